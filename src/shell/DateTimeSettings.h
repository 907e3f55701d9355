#pragma once
// The desktop's own date and time settings, whichever desktop is installed.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kairos {

struct SettingsCommand {
    std::string program;
    std::string params;
};

// The first known settings program that installed() finds, in the order of
// the desktops' popularity; nothing when none is there.
std::optional<SettingsCommand> FindDateTimeSettings(const std::function<bool(std::string_view)>& installed);

// What the notice says when none is installed: the Debian packages that
// bring one, each with its desktop.
std::string NoDateTimeSettingsText();

// Starts the first one found on PATH without waiting. None found, or one
// that does not start, is told in a notice.
void OpenDateTimeSettings();

}  // namespace kairos
