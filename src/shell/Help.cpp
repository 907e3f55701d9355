#include "shell/Help.h"

#include <filesystem>

#include "media/Launcher.h"
#include "media/Media.h"
#include "platform/ProgramFile.h"
#include "shell/MessageBoxes.h"

namespace kairos {
namespace fs = std::filesystem;
namespace {

std::string ExecutableFolder() {
    return fs::path(platform::ExecutablePath()).parent_path().string();
}

std::string AddressIn(const std::string& folder, int context) {
    return "file://" + folder + "/" + HelpPage(context);
}

// The page's file, without the anchor.
std::string PageFile(const std::string& folder, int context) {
    const std::string page = HelpPage(context);
    return folder + "/" + page.substr(0, page.find('#'));
}

std::string NotInstalledText(const std::string& executableFolder) {
    std::string text = "ヘルプのファイルが見つかりません。\n次のどちらかのフォルダーに index.html があるはずです。\n";
    for (const std::string& folder : HelpFolderCandidates(executableFolder)) text += "\n" + folder;
    return text;
}

std::string NotOpenedText(const std::string& file) {
    return "ヘルプを表示できませんでした。\n次のファイルを Web ブラウザーで開いてください。\n\n" + file;
}

}  // namespace

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

// bin/help in a build or a portable copy; prefix/share/kairos/help when installed.
std::vector<std::string> HelpFolderCandidates(const std::string& executableFolder) {
    const fs::path bin(executableFolder);
    return {(bin / "help").string(), (bin.parent_path() / "share" / "kairos" / "help").string()};
}

std::string HelpFolder(const std::string& executableFolder) {
    for (const std::string& folder : HelpFolderCandidates(executableFolder)) {
        std::error_code ignored;
        if (fs::is_regular_file(fs::path(folder) / "index.html", ignored)) return folder;
    }
    return {};
}

std::string HelpAddress(int context) {
    const std::string folder = HelpFolder(ExecutableFolder());
    if (folder.empty()) return {};
    return AddressIn(folder, context);
}

void OpenHelp(Media& media, int context) {
    OpenHelp(media, context, ExecutableFolder());
}

void OpenHelp(Media& media, int context, const std::string& executableFolder) {
    const std::string folder = HelpFolder(executableFolder);
    if (folder.empty()) {
        ShowNotice(NotInstalledText(executableFolder), DialogType::Information, 0);
        return;
    }
    if (media.ExecuteFile(AddressIn(folder, context), kShowNormally) <= 32)
        ShowNotice(NotOpenedText(PageFile(folder, context)), DialogType::Information, 0);
}

}  // namespace kairos
