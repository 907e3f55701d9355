#include "shell/DateTimeSettings.h"

#include <QStandardPaths>
#include <array>

#include "media/Launcher.h"

namespace kairos {
namespace {

struct KnownSettings {
    std::string_view program;
    std::string_view params;
};

constexpr std::array<KnownSettings, 6> kKnownSettings{{
    {"gnome-control-center", "datetime"},
    {"systemsettings", "kcm_clock"},
    {"systemsettings5", "clock"},
    {"cinnamon-settings", "calendar"},
    {"xfce4-datetime-settings", ""},
    {"time-admin", ""},
}};

}  // namespace

std::optional<SettingsCommand> FindDateTimeSettings(const std::function<bool(std::string_view)>& installed) {
    for (const KnownSettings& known : kKnownSettings)
        if (installed(known.program)) return SettingsCommand{std::string(known.program), std::string(known.params)};
    return std::nullopt;
}

void OpenDateTimeSettings() {
    const auto command = FindDateTimeSettings([](std::string_view program) {
        return !QStandardPaths::findExecutable(QString::fromUtf8(program.data(), qsizetype(program.size()))).isEmpty();
    });
    if (command) RunProcess(command->program, command->params, kShowNormally, {}, RunWait::Immediately);
}

}  // namespace kairos
