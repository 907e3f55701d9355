// The parts of the folder rules that are the same on every system.

#include "platform/Folders.h"

#include "platform/PathNames.h"
#include "platform/ProgramFile.h"

namespace kairos::platform {

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const std::size_t nameStart = NameStart(path);
    if (nameStart == 0 || !IsSeparator(path[nameStart - 1])) return {};
    return path.substr(0, nameStart - 1);
}

std::string SettingsFolder() {
    return SettingsFolderFor(ExecutableFolder(), IsWritableFolder);
}

std::string SettingsFileName(std::string_view executablePath) {
    std::string_view name = executablePath.substr(NameStart(executablePath));
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name) + ".ini";
}

std::string SettingsFilePath() {
    return SettingsFolder() + PreferredSeparator() + SettingsFileName(ExecutablePath());
}

}  // namespace kairos::platform
