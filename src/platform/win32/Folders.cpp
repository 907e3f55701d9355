// The shell's known folders, the Windows and system directories, and where a
// portable or an installed copy keeps its settings.

#include "platform/Folders.h"

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <optional>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

constexpr std::wstring_view SettingsFolderName = L"Kairos";
// Names of the probe files that IsWritableFolder creates; a name taken by
// another probe at the same moment moves on to the next number.
constexpr int ProbeAttempts = 16;

struct CoTaskMemDeleter {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

std::optional<KNOWNFOLDERID> KnownFolderOf(FolderId id) {
    switch (id) {
        case FolderId::Desktop: return FOLDERID_Desktop;
        case FolderId::Documents: return FOLDERID_Documents;
        case FolderId::Music: return FOLDERID_Music;
        case FolderId::RoamingAppData: return FOLDERID_RoamingAppData;
        case FolderId::LocalAppData: return FOLDERID_LocalAppData;
        case FolderId::ProgramFiles: return FOLDERID_ProgramFiles;
        case FolderId::Pictures: return FOLDERID_Pictures;
        case FolderId::Profile: return FOLDERID_Profile;
        case FolderId::CommonProgramFiles: return FOLDERID_ProgramFilesCommon;
        case FolderId::Executable:
        case FolderId::WindowsDirectory:
        case FolderId::SystemDirectory: return std::nullopt;
    }
    return std::nullopt;
}

std::wstring KnownFolderPath(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    const std::unique_ptr<wchar_t, CoTaskMemDeleter> owned(path);
    return SUCCEEDED(result) && path != nullptr ? std::wstring(path) : std::wstring();
}

// GetWindowsDirectoryW and GetSystemDirectoryW: the length needed, counting
// the terminating null, when the buffer is too small.
template <typename Query>
std::wstring SystemFolder(Query query) {
    std::wstring path(MAX_PATH, L'\0');
    UINT length = query(path.data(), static_cast<UINT>(path.size()));
    if (length >= path.size()) {
        path.resize(length);
        length = query(path.data(), static_cast<UINT>(path.size()));
    }
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    return path;
}

std::wstring WindowsFolder() {
    return SystemFolder([](wchar_t* buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); });
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

// The folder itself or one below it: the same letters (case ignored, as the
// file system compares names) followed by the end or a separator.
bool IsSameOrBelow(std::wstring_view folder, std::wstring_view root) {
    if (root.empty() || folder.size() < root.size()) return false;
    if (CompareStringOrdinal(folder.data(), static_cast<int>(root.size()), root.data(),
                             static_cast<int>(root.size()), TRUE) != CSTR_EQUAL)
        return false;
    return folder.size() == root.size() || folder[root.size()] == L'\\' || folder[root.size()] == L'/';
}

std::wstring ProbeName(const std::wstring& folder, int attempt) {
    return folder + L"\\~kairos-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) +
           L".tmp";
}

}  // namespace

std::string FolderPath(FolderId id) {
    std::wstring path;
    if (id == FolderId::Executable) return ExecutableFolder();
    if (id == FolderId::WindowsDirectory) path = WindowsFolder();
    else if (id == FolderId::SystemDirectory)
        path = SystemFolder([](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
    else if (const std::optional<KNOWNFOLDERID> known = KnownFolderOf(id))
        path = KnownFolderPath(*known);
    path = WithoutTrailingSeparators(std::move(path));
    return IsFolder(path) ? Narrow(path) : std::string();
}

// Created with delete-on-close, so that the probe goes even if the program
// ends right here.
bool IsWritableFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const std::wstring wide = Widen(folder);
    for (int attempt = 0; attempt < ProbeAttempts; ++attempt) {
        const UniqueHandle probe(CreateFileW(ProbeName(wide, attempt).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_FLAG_DELETE_ON_CLOSE,
                                             nullptr));
        if (probe.IsOpen()) return true;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool IsSystemProgramFolder(std::string_view folder) {
    const std::wstring wide = Widen(folder);
    for (const std::wstring& root :
         {KnownFolderPath(FOLDERID_ProgramFiles), KnownFolderPath(FOLDERID_ProgramFilesX86), WindowsFolder()}) {
        if (IsSameOrBelow(wide, WithoutTrailingSeparators(root))) return true;
    }
    return false;
}

std::string SettingsFolderFor(const std::string& executableFolder, const WritableTest& isWritable) {
    // An administrator may write into Program Files; it is still not the
    // place for one user's settings.
    if (!IsSystemProgramFolder(executableFolder) && isWritable(executableFolder)) return executableFolder;
    const std::wstring appData = WithoutTrailingSeparators(KnownFolderPath(FOLDERID_RoamingAppData));
    // Without a profile there is no per-user folder; the executable's is
    // still where a read finds the settings.
    if (appData.empty()) return executableFolder;
    const std::wstring folder = appData + L"\\" + std::wstring(SettingsFolderName);
    CreateDirectoryW(folder.c_str(), nullptr);
    return Narrow(folder);
}

}  // namespace kairos::platform
