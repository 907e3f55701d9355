#pragma once
// The well-known folders of the user and the system, as the folder macros of
// the INI store and the settings file name need them. Paths are absolute and
// never end in a separator.

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kairos::platform {

// The numbers are the Windows shell folder ids (and the store's pseudo-ids
// from 4096 on), so that a Windows implementation can hand them on as they are.
enum class FolderId : int {
    Desktop = 0,
    Documents = 5,
    Music = 13,
    RoamingAppData = 26,
    LocalAppData = 28,
    ProgramFiles = 38,
    Pictures = 39,
    Profile = 40,
    CommonProgramFiles = 43,
    Executable = 4096,
    WindowsDirectory = 4097,
    SystemDirectory = 4098,
};

// The folder's path, empty when it is not set, does not exist as a folder or
// has no counterpart on this system.
std::string FolderPath(FolderId id);

// The directory part of the executable's path; empty when that path is
// unknown or the executable lies in '/' ("C:" for one in "C:\").
std::string ExecutableFolder();

// Beside the executable when that folder is writable (a portable install)
// and not one of the system's program folders, else $XDG_CONFIG_HOME/kairos,
// created with mode 0700 when missing (on Windows %APPDATA%\Kairos, created
// when missing).
std::string SettingsFolder();

// SettingsFolder() and the executable's name with the extension ".ini".
std::string SettingsFilePath();

// ---- The parts of the above that tests drive directly ----------------------

using WritableTest = std::function<bool(const std::string& folder)>;

// access(W_OK): also false on a read-only mount, but always true for root on
// a writable one, whatever the mode bits say. On Windows a file is created
// there and removed again: the access list decides, not the folder's
// read-only attribute, which only marks a customised folder.
bool IsWritableFolder(const std::string& folder);

// True for /usr/bin and the other folders installed programs live in. On
// Windows: Program Files (either one) and the Windows folder, and every
// folder below them, letter case ignored, as an installer puts each program
// into a folder of its own there.
bool IsSystemProgramFolder(std::string_view folder);

// The settings folder for an executable in executableFolder, creating the
// per-user folder when that is the choice.
std::string SettingsFolderFor(const std::string& executableFolder, const WritableTest& isWritable);

// The base name of executablePath with its extension (from the last '.')
// replaced by ".ini", or ".ini" appended when it has none.
std::string SettingsFileName(std::string_view executablePath);

// The assignments of a user-dirs.dirs file, by variable name, with "$HOME"
// replaced by home. Entries that are neither absolute nor under "$HOME" are
// left out, as the XDG user-dirs format allows nothing else.
std::map<std::string, std::string, std::less<>> ParseUserDirs(std::string_view text, std::string_view home);

}  // namespace kairos::platform
