#include "platform/win32/ArgumentQuoting.h"

namespace kairos::platform {
namespace {

bool NeedsQuotes(std::string_view argument) {
    return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

}  // namespace

std::string QuoteArgument(std::string_view argument) {
    if (!NeedsQuotes(argument)) return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only right before a quote.
        const std::size_t copies = c == '"' ? 2 * backslashes + 1 : backslashes;
        quoted.append(copies, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}

std::optional<std::string> QuoteCommandLine(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty() || argv.front().find('"') != std::string::npos) return std::nullopt;
    const std::string& program = argv.front();
    std::string line = program.find_first_of(" \t") == std::string::npos ? program : '"' + program + '"';
    for (std::size_t i = 1; i < argv.size(); ++i) {
        line += ' ';
        line += QuoteArgument(argv[i]);
    }
    return line;
}

}  // namespace kairos::platform
