#include "settings/FolderMacros.h"

#include <algorithm>
#include <utility>

#include "platform/PathNames.h"
#include "platform/Utf8.h"

namespace kairos {
namespace {

ResolvedFolders& Folders() {
    static ResolvedFolders folders;
    return folders;
}

std::optional<platform::FolderId> FallbackOf(platform::FolderId id) {
    for (const FolderMacro& entry : FolderMacroTable)
        if (entry.folder == id) return entry.fallback;
    return std::nullopt;
}

// Bounded by the table size, so that no table edit can make it loop.
std::string ResolveWithFallbacks(platform::FolderId id, const FolderLookup& lookup) {
    std::optional<platform::FolderId> next = id;
    for (std::size_t hops = 0; next && hops <= FolderMacroCount; ++hops) {
        std::string path = lookup(*next);
        if (!path.empty()) return path;
        next = FallbackOf(*next);
    }
    return {};
}

std::string_view CutToLimit(std::string_view text) {
    return text.substr(0, Utf8CutPoint(text, MaxFolderPathBytes));
}

// "/" itself becomes empty: a root folder has no form without a trailing
// delimiter, and an empty folder is one that never collapses. On Windows
// "C:\" keeps its drive, "C:".
std::string Normalised(std::string path) {
    while (!path.empty() && platform::IsSeparator(path.back())) path.pop_back();
    return std::string(CutToLimit(path));
}

// Paths are stored by the Windows program and by this one, each with its own
// separator after the macro. On Windows '/' can stand in no file name, so
// every one becomes '\'. Elsewhere a rest that begins with '\' was written
// by Windows: a collapse here always leaves the rest starting with '/'
// (folders carry no trailing delimiter), unless a file name itself begins
// with '\' right after the folder's characters. In a Windows path every '\'
// is a separator, so all of them become '/', and
// "%APPLICATION%\sounds\a.wav" finds sounds/a.wav.
std::string PortableRest(std::string_view rest) {
    std::string text(CutToLimit(rest));
    if (platform::NativePathStyle == platform::PathStyle::Windows)
        std::replace(text.begin(), text.end(), '/', '\\');
    else if (text.starts_with('\\'))
        std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

}  // namespace

ResolvedFolders ResolveFolders(const FolderLookup& lookup) {
    ResolvedFolders folders;
    for (std::size_t i = 0; i < FolderMacroCount; ++i)
        folders[i] = Normalised(ResolveWithFallbacks(FolderMacroTable[i].folder, lookup));
    return folders;
}

void ResolveFolderMacros() {
    SetResolvedFolders(ResolveFolders(platform::FolderPath));
}

void SetResolvedFolders(ResolvedFolders folders) {
    Folders() = std::move(folders);
}

const ResolvedFolders& CurrentResolvedFolders() {
    return Folders();
}

// An empty folder (the Windows and system directories, which have no
// counterpart here, or a folder missing along with its fallbacks) leaves the
// text as it is. Expanding to nothing would turn "%WINDOWS%\Media\a.wav"
// into "/Media/a.wav", a real absolute path of another meaning; kept as it
// is, the path names no file and the sound is silently not found.
std::string ExpandFolderMacros(std::string_view text) {
    const ResolvedFolders& folders = Folders();
    for (std::size_t i = 0; i < FolderMacroCount; ++i) {
        const std::string_view macro = FolderMacroTable[i].macro;
        if (!text.starts_with(macro)) continue;
        if (folders[i].empty()) return std::string(text);
        return folders[i] + PortableRest(text.substr(macro.size()));
    }
    return std::string(text);
}

std::string CollapseFolderMacros(std::string_view text) {
    const ResolvedFolders& folders = Folders();
    for (std::size_t i = 0; i < FolderMacroCount; ++i) {
        if (folders[i].empty() || !text.starts_with(folders[i])) continue;
        return std::string(FolderMacroTable[i].macro) + std::string(CutToLimit(text.substr(folders[i].size())));
    }
    return std::string(text);
}

}  // namespace kairos
