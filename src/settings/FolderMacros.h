#pragma once
// Stored file paths begin with a macro for a well-known folder instead of the
// folder itself, so that they survive a move of the program folder or of the
// user's folders, and paths written by the Windows program keep working.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Folders.h"

namespace kairos {

inline constexpr std::size_t FolderMacroCount = 11;
// A resolved folder, and the part of a path after its macro, are each cut to
// this many bytes at a character boundary, as Windows' MAX_PATH bounded them.
inline constexpr std::size_t MaxFolderPathBytes = 260;

struct FolderMacro {
    std::string_view macro;
    platform::FolderId folder;
    std::optional<platform::FolderId> fallback;  // tried when folder resolves empty
};

// Searched in this order, first match wins: a folder that lies inside another
// is written with the macro that comes first (a program under /usr/local
// collapses to %PROGRAM_FILES%, not %APPLICATION%).
inline constexpr std::array<FolderMacro, FolderMacroCount> FolderMacroTable{{
    {"%PERSONAL%", platform::FolderId::Documents, platform::FolderId::Desktop},
    {"%MYMUSIC%", platform::FolderId::Music, platform::FolderId::Documents},
    {"%APPDATA%", platform::FolderId::RoamingAppData, platform::FolderId::Documents},
    {"%COMMON_APPDATA%", platform::FolderId::LocalAppData, platform::FolderId::Documents},
    {"%WINDOWS%", platform::FolderId::WindowsDirectory, std::nullopt},
    {"%SYSTEMS%", platform::FolderId::SystemDirectory, std::nullopt},
    {"%PROGRAM_FILES%", platform::FolderId::ProgramFiles, platform::FolderId::WindowsDirectory},
    {"%MYPICTURES%", platform::FolderId::Pictures, platform::FolderId::Documents},
    {"%PROFILE%", platform::FolderId::Profile, platform::FolderId::Documents},
    {"%PROGRAM_FILES_COMMON%", platform::FolderId::CommonProgramFiles, platform::FolderId::SystemDirectory},
    {"%APPLICATION%", platform::FolderId::Executable, std::nullopt},
}};

// One folder per table entry, in table order; empty for a folder that could
// not be resolved even through its fallbacks.
using ResolvedFolders = std::array<std::string, FolderMacroCount>;
using FolderLookup = std::function<std::string(platform::FolderId)>;

// Each entry's folder by lookup; an empty answer moves on to the entry's
// fallback, then to the fallback's own fallback where that folder has an
// entry of its own (music -> documents -> desktop). Trailing separators removed.
ResolvedFolders ResolveFolders(const FolderLookup& lookup);

// Fills the folders from the system. Called once at start-up, before any
// store exists and before a second thread runs; they stay fixed afterwards.
void ResolveFolderMacros();

// Replaces the folders as they are given; for tests.
void SetResolvedFolders(ResolvedFolders folders);
const ResolvedFolders& CurrentResolvedFolders();

// A text that begins with a macro (exact, case-sensitive) becomes its folder
// followed by the rest of the text. Left unchanged: a text without a leading
// macro, and one whose macro's folder is empty (see the .cpp for why).
std::string ExpandFolderMacros(std::string_view text);

// A text that begins with a resolved folder (character by character, not by
// path components) becomes that entry's macro followed by the rest.
std::string CollapseFolderMacros(std::string_view text);

}  // namespace kairos
