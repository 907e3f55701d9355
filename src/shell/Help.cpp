#include "shell/Help.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QUrl>

#include "media/Launcher.h"
#include "media/Media.h"
#include "platform/Folders.h"
#include "shell/MessageBoxes.h"

namespace kairos {
namespace {

// Paths go through Qt, which keeps a Japanese folder name whole on Windows,
// where a narrow std::filesystem path would pass it through the ANSI code page.
QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

std::string NativePath(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

// The page's file, without the anchor.
QString PageFileIn(const std::string& folder, int context) {
    const std::string page = HelpPage(context);
    return QDir(FromUtf8(folder)).filePath(FromUtf8(page.substr(0, page.find('#'))));
}

std::string AddressIn(const std::string& folder, int context) {
    const std::string page = HelpPage(context);
    QUrl address = QUrl::fromLocalFile(PageFileIn(folder, context));
    if (const auto anchor = page.find('#'); anchor != std::string::npos)
        address.setFragment(FromUtf8(page.substr(anchor + 1)));
    return address.toString(QUrl::FullyEncoded).toStdString();
}

std::string PageFile(const std::string& folder, int context) { return NativePath(PageFileIn(folder, context)); }

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
    const QFileInfo bin(FromUtf8(executableFolder));
    return {NativePath(bin.filePath() + QStringLiteral("/help")),
            NativePath(bin.path() + QStringLiteral("/share/kairos/help"))};
}

std::string HelpFolder(const std::string& executableFolder) {
    for (const std::string& folder : HelpFolderCandidates(executableFolder))
        if (QFileInfo(QDir(FromUtf8(folder)).filePath(QStringLiteral("index.html"))).isFile()) return folder;
    return {};
}

std::string HelpAddress(int context) {
    const std::string folder = HelpFolder(platform::ExecutableFolder());
    if (folder.empty()) return {};
    return AddressIn(folder, context);
}

void OpenHelp(Media& media, int context) {
    OpenHelp(media, context, platform::ExecutableFolder());
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
