#pragma once
// The HTML help that ships with the program, opened in the user's browser:
// beside the executable in a build or portable install, else in the install
// prefix's share folder.

#include <string>

namespace kairos {

// The help numbers the dialogs ask for: the contents, the alarm list, and
// the four pages of the preferences dialog.
inline constexpr int HelpContents = 0;
inline constexpr int HelpAlarmList = 6;
inline constexpr int HelpDisplayPage = 7;
inline constexpr int HelpFormatPage = 8;
inline constexpr int HelpSoundPage = 9;
inline constexpr int HelpTimeSetPage = 10;

// The page, with its anchor, for a help number; an unknown number is the contents.
std::string HelpPage(int context);

// The help folder found from the executable's folder; empty when none is there.
std::string HelpFolder(const std::string& executableFolder);

// The URL of the page for the number, or empty when the help is not installed.
std::string HelpAddress(int context);

}  // namespace kairos
