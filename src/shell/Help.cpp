#include "shell/Help.h"

#include <filesystem>

#include "platform/ProgramFile.h"

namespace kairos {
namespace fs = std::filesystem;

std::string HelpPage(int context) {
    switch (context) {
        case HelpAlarmList: return "alarm.html";
        case HelpDisplayPage: return "preferences.html#display";
        case HelpFormatPage: return "preferences.html#format";
        case HelpSoundPage: return "preferences.html#sound";
        case HelpTimeSetPage: return "preferences.html#timeset";
        default: return "index.html";
    }
}

std::string HelpFolder(const std::string& executableFolder) {
    const fs::path bin(executableFolder);
    // bin/help in a build or a portable copy; prefix/share/kairos/help when installed.
    for (const fs::path& folder : {bin / "help", bin.parent_path() / "share" / "kairos" / "help"}) {
        std::error_code ignored;
        if (fs::is_regular_file(folder / "index.html", ignored)) return folder.string();
    }
    return {};
}

std::string HelpAddress(int context) {
    const std::string folder = HelpFolder(fs::path(platform::ExecutablePath()).parent_path().string());
    if (folder.empty()) return {};
    return "file://" + folder + "/" + HelpPage(context);
}

}  // namespace kairos
