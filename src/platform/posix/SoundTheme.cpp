// The freedesktop sound theme: themes are folders under .../sounds with an
// index.theme naming their sound folders and the themes they inherit from;
// every theme falls back to "freedesktop". Localised subfolders are not
// searched: the themes Debian ships have none.

#include "platform/SoundTheme.h"
#include "platform/AsciiCase.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace kairos::platform {
namespace {

constexpr std::string_view FallbackTheme = "freedesktop";
constexpr std::string_view DefaultOutputProfile = "stereo";
// ".disabled" comes first: a theme switches a sound off with such a marker,
// which then hides the same name in the themes it inherits from.
constexpr std::array<std::string_view, 4> Extensions = {".disabled", ".oga", ".ogg", ".wav"};
constexpr std::string_view Disabled = ".disabled";

struct AliasEntry {
    std::string_view alias;
    std::array<std::string_view, 2> names;  // an empty second name: none
};

// The events of the Windows sound scheme with a counterpart in the
// freedesktop sound naming. Where Windows' own default scheme is silent
// (Minimize, RestoreUp, SystemQuestion) no general sound such as "bell" is
// added, so that the clock stays as quiet as it is on Windows.
constexpr AliasEntry AliasTable[] = {
    {".Default", {"bell", ""}},
    {"SystemDefault", {"bell", ""}},
    {"SystemAsterisk", {"dialog-information", ""}},
    {"SystemExclamation", {"dialog-warning", ""}},
    {"SystemHand", {"dialog-error", ""}},
    {"SystemQuestion", {"dialog-question", "window-question"}},
    {"SystemStart", {"desktop-login", "service-login"}},
    {"SystemExit", {"desktop-logout", "service-logout"}},
    {"Minimize", {"window-minimized", ""}},
    {"Maximize", {"window-maximized", ""}},
    {"RestoreUp", {"window-unminimized", ""}},
    {"RestoreDown", {"window-unmaximized", ""}},
    {"Open", {"window-new", ""}},
    {"Close", {"window-close", ""}},
    {"MailBeep", {"message-new-email", "message"}},
    {"DeviceConnect", {"device-added", ""}},
    {"DeviceDisconnect", {"device-removed", ""}},
};

using IniSection = std::map<std::string, std::string, std::less<>>;
using IniFile = std::map<std::string, IniSection, std::less<>>;

struct Theme {
    std::string name;
    std::vector<std::string> subfolders;
    std::vector<std::string> parents;
};

// Sound names end up in paths: only the characters the naming uses.
bool IsSoundName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
}

bool IsThemeName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos;
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (std::string item = Trim(text.substr(start, end - start)); !item.empty()) items.push_back(std::move(item));
        start = end + 1;
    }
    return items;
}

IniFile ReadIni(const std::string& path) {
    IniFile ini;
    std::ifstream in(path);
    std::string line;
    IniSection* section = nullptr;
    while (std::getline(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == '#' || text.front() == ';') continue;
        if (text.front() == '[' && text.back() == ']') {
            section = &ini[text.substr(1, text.size() - 2)];
        } else if (const auto equals = text.find('='); section != nullptr && equals != std::string::npos) {
            (*section)[Trim(std::string_view(text).substr(0, equals))] = Trim(std::string_view(text).substr(equals + 1));
        }
    }
    return ini;
}

std::string IniValue(const IniFile& ini, std::string_view section, std::string_view key) {
    const auto found = ini.find(section);
    if (found == ini.end()) return {};
    const auto value = found->second.find(key);
    return value == found->second.end() ? std::string() : value->second;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The XDG base directory rules ignore a relative value as invalid.
std::optional<std::string> AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return std::string(value);
}

std::optional<std::string> HomeSubfolder(std::string_view relative) {
    const std::optional<std::string> home = AbsoluteEnv("HOME");
    if (!home) return std::nullopt;
    return *home + '/' + std::string(relative);
}

std::optional<Theme> LoadTheme(const std::string& name, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string index = folder + '/' + name + "/index.theme";
        if (!IsRegularFile(index)) continue;
        const IniFile ini = ReadIni(index);
        Theme theme{name, {}, SplitList(IniValue(ini, "Sound Theme", "Inherits"), ',')};
        for (std::string& subfolder : SplitList(IniValue(ini, "Sound Theme", "Directories"), ',')) {
            const std::string profile = IniValue(ini, subfolder, "OutputProfile");
            if (profile.empty() || profile == DefaultOutputProfile) theme.subfolders.push_back(std::move(subfolder));
        }
        return theme;
    }
    return std::nullopt;
}

// The theme first, then its parents depth first, "freedesktop" last; each
// theme once, so that a cycle of Inherits ends.
std::vector<Theme> ThemeChain(std::string_view theme, const std::vector<std::string>& folders) {
    std::vector<Theme> chain;
    std::set<std::string, std::less<>> seen;
    std::vector<std::string> pending{std::string(FallbackTheme)};
    if (IsThemeName(theme)) pending.emplace_back(theme);
    while (!pending.empty()) {
        std::string name = std::move(pending.back());
        pending.pop_back();
        if (!IsThemeName(name) || !seen.insert(name).second) continue;
        std::optional<Theme> loaded = LoadTheme(name, folders);
        if (!loaded) continue;
        pending.insert(pending.end(), loaded->parents.rbegin(), loaded->parents.rend());
        chain.push_back(std::move(*loaded));
    }
    return chain;
}

// A found file, an empty string for a disabled sound, nothing when absent.
std::optional<std::string> FindInFolder(const std::string& folder, std::string_view name) {
    for (const std::string_view extension : Extensions) {
        std::string path = folder + '/' + std::string(name) + std::string(extension);
        if (!IsRegularFile(path)) continue;
        if (extension == Disabled) return std::string();
        return path;
    }
    return std::nullopt;
}

std::optional<std::string> FindInTheme(const Theme& theme, std::string_view name,
                                       const std::vector<std::string>& folders) {
    for (const std::string& subfolder : theme.subfolders) {
        for (const std::string& folder : folders) {
            if (auto found = FindInFolder(folder + '/' + theme.name + '/' + subfolder, name)) return found;
        }
    }
    return std::nullopt;
}

std::string_view WithoutLastComponent(std::string_view name) {
    const auto dash = name.rfind('-');
    return dash == std::string_view::npos ? std::string_view() : name.substr(0, dash);
}

}  // namespace

std::vector<std::string> SoundNamesForAlias(std::string_view alias) {
    for (const AliasEntry& entry : AliasTable) {
        if (!SameIgnoringAsciiCase(entry.alias, alias)) continue;
        std::vector<std::string> names;
        for (const std::string_view name : entry.names) {
            if (!name.empty()) names.emplace_back(name);
        }
        return names;
    }
    if (IsSoundName(alias)) return {std::string(alias)};
    return {};
}

std::vector<std::string> SoundThemeFolders() {
    std::vector<std::string> folders;
    if (auto home = AbsoluteEnv("XDG_DATA_HOME")) folders.push_back(*home + "/sounds");
    else if (auto fallback = HomeSubfolder(".local/share")) folders.push_back(*fallback + "/sounds");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share:/usr/share";
    for (const std::string& folder : SplitList(list, ':')) {
        if (folder.front() == '/') folders.push_back(folder + "/sounds");
    }
    return folders;
}

std::string UserSoundTheme() {
    std::optional<std::string> config = AbsoluteEnv("XDG_CONFIG_HOME");
    if (!config) config = HomeSubfolder(".config");
    if (!config) return std::string(FallbackTheme);
    struct Source {
        std::string_view file, section, key;
    };
    constexpr std::array<Source, 3> Sources = {{
        {"gtk-4.0/settings.ini", "Settings", "gtk-sound-theme-name"},
        {"gtk-3.0/settings.ini", "Settings", "gtk-sound-theme-name"},
        {"kdeglobals", "Sounds", "Theme"},
    }};
    for (const Source& source : Sources) {
        std::string theme = IniValue(ReadIni(*config + '/' + std::string(source.file)), source.section, source.key);
        if (IsThemeName(theme)) return theme;
    }
    return std::string(FallbackTheme);
}

std::string FindThemeSound(const std::vector<std::string>& names, const std::vector<std::string>& folders,
                           std::string_view theme) {
    const std::vector<Theme> chain = ThemeChain(theme, folders);
    for (const std::string& name : names) {
        for (std::string_view candidate = name; !candidate.empty(); candidate = WithoutLastComponent(candidate)) {
            for (const Theme& each : chain) {
                if (auto found = FindInTheme(each, candidate, folders)) return *found;
            }
        }
    }
    for (const std::string& name : names) {
        for (const std::string& folder : folders) {
            if (auto found = FindInFolder(folder, name)) return *found;
        }
    }
    return {};
}

std::string EventSoundFile(std::string_view alias) {
    return FindThemeSound(SoundNamesForAlias(alias), SoundThemeFolders(), UserSoundTheme());
}

}  // namespace kairos::platform
