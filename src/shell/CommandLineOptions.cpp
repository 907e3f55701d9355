#include "shell/CommandLineOptions.h"

namespace kairos {

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLineOptions options;
    const auto invalid = [&options](const std::string& argument) {
        options.mode = StartMode::Invalid;
        options.invalid = argument;
        return options;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        StartMode mode = StartMode::Clock;
        if (argument == "--help" || argument == "-h") {
            mode = StartMode::Help;
        } else if (argument == "--version") {
            mode = StartMode::Version;
        } else if (argument == "--query" || argument.starts_with("--query=")) {
            mode = StartMode::Query;
            if (argument == "--query") {
                if (i + 1 >= arguments.size()) return invalid(argument);
                options.server = arguments[++i];
            } else {
                options.server = argument.substr(8);
            }
            if (options.server.empty()) return invalid(argument);
        } else if (argument.starts_with("--")) {
            return invalid(argument);
        } else {
            continue;  // Qt's, or a stray word Qt will leave behind
        }
        // One thing at a time: "--help --version" says what it does.
        if (options.mode != StartMode::Clock && options.mode != mode) return invalid(argument);
        options.mode = mode;
    }
    return options;
}

std::string UsageText() {
    return "使い方: kairos [--query ホスト[:ポート]] [--help] [--version]\n"
           "デスクトップ時計です。アラーム、時報、SNTPによる時刻あわせができます。\n"
           "\n"
           "  --query ホスト[:ポート]  時刻サーバーに一度だけ問い合わせ、時計との差を表示します\n"
           "                          (時計は設定しません)。IPv6 は [::1]:123 のように書きます\n"
           "  --help                  この説明を表示します\n"
           "  --version               バージョンを表示します\n";
}

}  // namespace kairos
