// The shell folders of Windows map onto the XDG base and user directories and
// $HOME; the two system folders of Windows have no counterpart and stay empty.

#include "platform/Folders.h"

#include <algorithm>
#include <iterator>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace kairos::platform {
namespace {

// "Program Files" holds software installed apart from the operating system.
// Its Linux counterpart is /usr/local: the FHS place for software the
// administrator installs outside the distribution, and the default prefix of
// this program's own install, so that, as on Windows, an installed program's
// folder lies under it. /usr itself is the distribution's (as C:\Windows is
// Windows'), and /opt holds whole packages of which a portable copy is one.
constexpr const char* ProgramFilesFolder = "/usr/local";
// "Common Files" holds data that several programs share; /usr/share is that
// folder on Linux and holds the freedesktop sound theme, the most likely home
// of a chime. It does not overlap /usr/local, so both macros stay usable.
constexpr const char* CommonProgramFilesFolder = "/usr/share";

std::string StripTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The XDG base directory rules ignore a relative value as invalid.
std::optional<std::string> AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return StripTrailingSlashes(value);
}

std::optional<std::string> PasswordHome() {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return std::nullopt;
    if (entry.pw_dir == nullptr || entry.pw_dir[0] != '/') return std::nullopt;
    return StripTrailingSlashes(entry.pw_dir);
}

// Empty for a home of "/", nullopt when no home is known at all.
std::optional<std::string> HomeFolder() {
    if (auto home = AbsoluteEnv("HOME")) return home;
    return PasswordHome();
}

std::optional<std::string> BaseFolder(const char* variable, const char* underHome) {
    if (auto folder = AbsoluteEnv(variable)) return folder;
    if (auto home = HomeFolder()) return *home + underHome;
    return std::nullopt;
}

std::optional<std::string> ConfigHome() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Shell quoting as xdg-user-dirs-update writes it: double quotes, with '\'
// escaping the next character. An unquoted value ends at a blank.
std::optional<std::string> Unquote(std::string_view value) {
    if (value.empty() || value.front() != '"') return std::string(value.substr(0, value.find_first_of(" \t")));
    std::string text;
    for (std::size_t i = 1; i < value.size(); ++i) {
        char c = value[i];
        if (c == '"') return text;
        if (c == '\\' && i + 1 < value.size()) c = value[++i];
        text += c;
    }
    return std::nullopt;
}

std::optional<std::string> ExpandHome(std::string_view value, std::string_view home) {
    for (const std::string_view variable : {std::string_view("$HOME"), std::string_view("${HOME}")}) {
        if (!value.starts_with(variable)) continue;
        const std::string_view rest = value.substr(variable.size());
        if (rest.empty() || rest.front() == '/') return StripTrailingSlashes(std::string(home) + std::string(rest));
    }
    if (value.starts_with('/')) return StripTrailingSlashes(std::string(value));
    return std::nullopt;
}

void ParseUserDirsLine(std::string_view line, std::string_view home,
                       std::map<std::string, std::string, std::less<>>& dirs) {
    line = Trim(line);
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) return;
    const std::optional<std::string> value = Unquote(Trim(line.substr(equals + 1)));
    if (!value) return;
    if (auto path = ExpandHome(*value, home)) dirs[std::string(Trim(line.substr(0, equals)))] = *path;
}

// A user folder from its environment variable, else from user-dirs.dirs,
// else the name xdg-user-dirs gives it by default. A folder set to $HOME
// itself is how xdg-user-dirs marks it as turned off.
std::string UserFolder(const char* variable, const char* defaultName) {
    const std::optional<std::string> home = HomeFolder();
    if (!home) return {};
    std::optional<std::string> folder;
    if (const char* value = std::getenv(variable)) folder = ExpandHome(value, *home);
    if (!folder) {
        if (auto config = ConfigHome()) {
            const auto dirs = ParseUserDirs(ReadFile(*config + "/user-dirs.dirs"), *home);
            if (const auto found = dirs.find(variable); found != dirs.end()) folder = found->second;
        }
    }
    if (!folder) folder = *home + '/' + defaultName;
    if (*folder == *home || !IsFolder(*folder)) return {};
    return *folder;
}

std::string ExistingOrEmpty(const std::optional<std::string>& folder) {
    return folder && IsFolder(*folder) ? *folder : std::string();
}

// mkdir -p with the mode the XDG base directory rules ask for.
void CreateFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
        if (slash == std::string::npos) return;
    }
}

}  // namespace

std::map<std::string, std::string, std::less<>> ParseUserDirs(std::string_view text, std::string_view home) {
    std::map<std::string, std::string, std::less<>> dirs;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        ParseUserDirsLine(text.substr(0, end), home, dirs);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return dirs;
}

std::string FolderPath(FolderId id) {
    switch (id) {
        case FolderId::Desktop: return UserFolder("XDG_DESKTOP_DIR", "Desktop");
        case FolderId::Documents: return UserFolder("XDG_DOCUMENTS_DIR", "Documents");
        case FolderId::Music: return UserFolder("XDG_MUSIC_DIR", "Music");
        case FolderId::Pictures: return UserFolder("XDG_PICTURES_DIR", "Pictures");
        case FolderId::Profile: return ExistingOrEmpty(HomeFolder());
        case FolderId::RoamingAppData: return ExistingOrEmpty(ConfigHome());
        case FolderId::LocalAppData: return ExistingOrEmpty(BaseFolder("XDG_DATA_HOME", "/.local/share"));
        case FolderId::ProgramFiles: return ExistingOrEmpty(ProgramFilesFolder);
        case FolderId::CommonProgramFiles: return ExistingOrEmpty(CommonProgramFilesFolder);
        case FolderId::Executable: return ExecutableFolder();
        case FolderId::WindowsDirectory:
        case FolderId::SystemDirectory: return {};
    }
    return {};
}

bool IsWritableFolder(const std::string& folder) {
    return !folder.empty() && access(folder.c_str(), W_OK) == 0;
}

bool IsSystemProgramFolder(std::string_view folder) {
    constexpr std::string_view system[] = {"/bin", "/sbin", "/usr/bin", "/usr/sbin", "/usr/local/bin", "/usr/local/sbin"};
    return std::find(std::begin(system), std::end(system), folder) != std::end(system);
}

std::string SettingsFolderFor(const std::string& executableFolder, const WritableTest& isWritable) {
    // Root may write anywhere; an installed program's folder is still not
    // the place for one user's settings.
    if (!IsSystemProgramFolder(executableFolder) && isWritable(executableFolder)) return executableFolder;
    const std::optional<std::string> config = ConfigHome();
    // Without any home there is no per-user folder; the executable's is
    // still where a read finds the settings.
    if (!config) return executableFolder;
    const std::string folder = *config + "/kairos";
    CreateFolders(folder);
    return folder;
}

}  // namespace kairos::platform
