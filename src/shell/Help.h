#pragma once
// The HTML help that ships with the program, opened in the user's browser:
// beside the executable in a build or portable install, else in the install
// prefix's share folder.

#include <string>
#include <vector>

namespace kairos {

class Media;

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

// The folders the help is looked for in, in order, for the executable's folder.
std::vector<std::string> HelpFolderCandidates(const std::string& executableFolder);

// The first of them that holds the help; empty when none does.
std::string HelpFolder(const std::string& executableFolder);

// The URL of the page for the number, or empty when the help is not installed.
std::string HelpAddress(int context);

// Opens the page for the number in the browser through media. The command
// never ends in silence: when the help is not installed, or nothing opens
// it, a notice says so and where the help's file is (or was looked for).
void OpenHelp(Media& media, int context);
// The same for an executable in that folder.
void OpenHelp(Media& media, int context, const std::string& executableFolder);

}  // namespace kairos
