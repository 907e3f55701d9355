#include "shell/DateTimeSettings.h"

#include <QStandardPaths>
#include <array>

#include "media/Launcher.h"
#include "shell/MessageBoxes.h"

namespace kairos {
namespace {

struct KnownSettings {
    std::string_view program;
    std::string_view params;
    std::string_view package;  // the Debian package that brings it; empty for none
    std::string_view desktop;
};

// time-admin is GNOME's old system tool, still used on MATE.
constexpr std::array<KnownSettings, 6> kKnownSettings{{
    {"gnome-control-center", "datetime", "gnome-control-center", "GNOME"},
    {"systemsettings", "kcm_clock", "systemsettings", "KDE Plasma"},
    {"systemsettings5", "clock", "systemsettings", "KDE Plasma"},
    {"cinnamon-settings", "calendar", "cinnamon", "Cinnamon"},
    {"xfce4-datetime-settings", "", "", "Xfce"},
    {"time-admin", "", "gnome-system-tools", "MATE など"},
}};

}  // namespace

std::optional<SettingsCommand> FindDateTimeSettings(const std::function<bool(std::string_view)>& installed) {
    for (const KnownSettings& known : kKnownSettings)
        if (installed(known.program)) return SettingsCommand{std::string(known.program), std::string(known.params)};
    return std::nullopt;
}

std::string NoDateTimeSettingsText() {
    std::string text =
        "日付と時刻を設定するプログラムが見つかりません。\n"
        "次のいずれかのパッケージをインストールしてください。\n";
    std::string_view previous;
    for (const KnownSettings& known : kKnownSettings) {
        if (known.package.empty() || known.package == previous) continue;
        // Appended piece by piece: gcc 12 at -O3 warns falsely about a
        // literal added to a temporary string.
        text.append("\n").append(known.package).append(" (").append(known.desktop).append(")");
        previous = known.package;
    }
    return text + "\n\n端末の timedatectl でも設定できます。";
}

#ifdef Q_OS_WIN
// Windows' own dialog, the one its task-bar clock opens; Windows 11 still has it.
void OpenDateTimeSettings() {
    if (!RunProcess("control.exe", "timedate.cpl", kShowNormally, {}, RunWait::Immediately))
        ShowNotice("日付と時刻の設定 (control.exe timedate.cpl) を開けませんでした。", DialogType::Information, 0);
}
#else
void OpenDateTimeSettings() {
    const auto command = FindDateTimeSettings([](std::string_view program) {
        return !QStandardPaths::findExecutable(QString::fromUtf8(program.data(), qsizetype(program.size()))).isEmpty();
    });
    if (!command) {
        ShowNotice(NoDateTimeSettingsText(), DialogType::Information, 0);
        return;
    }
    if (!RunProcess(command->program, command->params, kShowNormally, {}, RunWait::Immediately))
        ShowNotice(command->program + " を起動できませんでした。", DialogType::Information, 0);
}
#endif

}  // namespace kairos
