#pragma once
// System event sounds. Windows names them by aliases of the user's sound
// scheme ("SystemHand", "Minimize"); on Linux they are files of the
// freedesktop sound theme, found by the names of the freedesktop sound
// naming.

#include <string>
#include <string_view>
#include <vector>

namespace kairos::platform {

// The sound file for a Windows event alias, or (Linux) for a freedesktop
// sound name given as it is ("bell", "dialog-warning"); empty when the theme
// has none or has disabled it. Windows: the file the user's current scheme
// gives the alias (HKCU\AppEvents\Schemes\Apps\.Default\<alias>\.Current),
// with environment variables expanded and a bare file name taken from
// %SystemRoot%\Media, as PlaySound finds it; empty when the scheme has none.
std::string EventSoundFile(std::string_view alias);

#ifndef _WIN32
// ---- The freedesktop parts of the above, which tests drive directly ------

// The freedesktop sound names for an alias, the closest first. An alias
// without an entry is taken for a freedesktop name itself.
std::vector<std::string> SoundNamesForAlias(std::string_view alias);

// Where sound themes live: $XDG_DATA_HOME/sounds (else ~/.local/share/sounds),
// then each folder of $XDG_DATA_DIRS (else /usr/local/share:/usr/share) with
// "/sounds" appended.
std::vector<std::string> SoundThemeFolders();

// The theme the desktop's settings name (GTK 4, GTK 3, then KDE, all under
// $XDG_CONFIG_HOME), else "freedesktop".
std::string UserSoundTheme();

// The first of names that the theme, the themes it inherits from and then
// "freedesktop" provide, each name also tried without its trailing
// "-component"s; then an unthemed file directly in a folder. Empty when none
// is found, or when the first match is a ".disabled" marker.
std::string FindThemeSound(const std::vector<std::string>& names,
                           const std::vector<std::string>& folders, std::string_view theme);

#endif  // _WIN32

}  // namespace kairos::platform
