// The Windows file primitives. A FileDescriptor holds a C runtime descriptor
// over a handle that CreateFileW opened: the work is done by the system's own
// calls on that handle, the descriptor only gives it the interface's int.
// No handle is inheritable (no security attributes ask for it), so a program
// the clock starts never holds a half-written settings file open.
//
// The replacing rename is MoveFileExW with MOVEFILE_REPLACE_EXISTING, one
// rename of the file system that leaves the old file or the new one. Not
// ReplaceFileW: it carries the old file's attributes and access list over,
// but works in several steps, some of which can fail half-way with the
// target renamed away, and it needs an existing target besides.

#include "platform/AtomicFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/PathNames.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// Far above any settings file; a name that stands for an endless device
// must not make the clock read until memory runs out.
constexpr std::size_t MaxReadBytes = 64u << 20;
constexpr DWORD ReadChunk = 64u << 10;
// WriteFile takes a 32-bit count; larger writes go in parts.
constexpr std::size_t MaxWriteChunk = 1u << 30;
constexpr unsigned OwnerWrite = 0200;
// What the C runtime's stat reports for the one permission Windows has.
constexpr unsigned WritableMode = 0666;
constexpr unsigned ReadOnlyMode = 0444;
// Another program may read, write or rename the file while it is read, as
// Windows programs expect of an INI file.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE HandleOf(const FileDescriptor& file) {
    return file.IsOpen() ? reinterpret_cast<HANDLE>(_get_osfhandle(file.Get())) : INVALID_HANDLE_VALUE;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int ReadRegularFile(HANDLE file, std::string& bytes) {
    std::string content;
    std::size_t length = 0;
    for (;;) {
        if (content.size() - length < ReadChunk) content.resize(length + ReadChunk);
        DWORD got = 0;
        if (!ReadFile(file, content.data() + length, ReadChunk, &got, nullptr)) return LastErrno();
        if (got == 0) break;
        length += got;
        if (length > MaxReadBytes) return EFBIG;
    }
    content.resize(length);
    bytes = std::move(content);
    return 0;
}

// "\\?\C:\x" is "C:\x", and "\\?\UNC\server\x" is "\\server\x", as long as
// the name is short enough to do without the prefix.
std::wstring WithoutLongPathPrefix(std::wstring path) {
    constexpr std::wstring_view Unc = L"\\\\?\\UNC\\";
    constexpr std::wstring_view Local = L"\\\\?\\";
    if (path.size() >= MAX_PATH) return path;
    if (path.starts_with(Unc)) return path.replace(0, Unc.size(), L"\\\\");
    if (path.starts_with(Local)) return path.erase(0, Local.size());
    return path;
}

std::wstring FinalPath(HANDLE file) {
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    if (size == 0) return {};
    std::wstring path(size, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, path.data(), size, flags);
    if (length == 0 || length >= size) return {};
    path.resize(length);
    return WithoutLongPathPrefix(std::move(path));
}

class Win32FileOps final : public FileOps {
public:
    int ReadAll(const std::string& path, std::string& bytes) override {
        const std::wstring name = Widen(path);
        UniqueHandle file(
            CreateFileW(name.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen()) {
            // A folder cannot be opened as a file at all.
            const int error = LastErrno();
            return error == EACCES && IsFolder(name) ? EISDIR : error;
        }
        // Devices ("CON", "NUL") and pipes are no settings files.
        if (GetFileType(file.Get()) != FILE_TYPE_DISK) return EINVAL;
        return ReadRegularFile(file.Get(), bytes);
    }

    std::string ResolveLinks(const std::string& path) override {
        const std::wstring name = Widen(path);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
        // No access asked for: the handle only names the file the link ends in.
        const UniqueHandle file(
            CreateFileW(name.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file.IsOpen()) return path;
        const std::wstring resolved = FinalPath(file.Get());
        return resolved.empty() ? path : Narrow(resolved);
    }

    // Windows has one permission of its own, the read-only attribute; it is
    // the owner's write bit, and the bits of group and others follow it.
    int PermissionBits(const std::string& path, unsigned& mode) override {
        const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrno();
        mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? ReadOnlyMode : WritableMode;
        return 0;
    }

    int CreateNew(const std::string& path, unsigned mode, FileDescriptor& file) override {
        const DWORD attributes = (mode & OwnerWrite) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
        UniqueHandle created(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                         attributes, nullptr));
        if (!created.IsOpen()) return LastErrno();
        const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(created.Get()), _O_WRONLY | _O_BINARY);
        if (descriptor < 0) return EMFILE;
        created.Release();  // the descriptor closes it now
        file = FileDescriptor(descriptor);
        return 0;
    }

    int SetPermissionBits(const FileDescriptor& file, unsigned mode) override {
        const HANDLE handle = HandleOf(file);
        FILE_BASIC_INFO info{};
        if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info)) return LastErrno();
        DWORD attributes = info.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if ((mode & OwnerWrite) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
        // Zero times leave the times as they are; zero attributes would too.
        FILE_BASIC_INFO changed{};
        changed.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
        return SetFileInformationByHandle(handle, FileBasicInfo, &changed, sizeof changed) ? 0 : LastErrno();
    }

    int Write(const FileDescriptor& file, std::string_view bytes, std::size_t& written) override {
        DWORD done = 0;
        const auto count = static_cast<DWORD>(std::min(bytes.size(), MaxWriteChunk));
        if (!WriteFile(HandleOf(file), bytes.data(), count, &done, nullptr)) return LastErrno();
        written = done;
        return 0;
    }

    int Sync(const FileDescriptor& file) override {
        return FlushFileBuffers(HandleOf(file)) ? 0 : LastErrno();
    }

    int Close(FileDescriptor& file) override {
        return file.Close();
    }

    int Rename(const std::string& from, const std::string& to) override {
        return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : LastErrno();
    }

    int Remove(const std::string& path) override {
        return DeleteFileW(Widen(path).c_str()) ? 0 : LastErrno();
    }

    // Windows has no call that flushes a folder's entries; NTFS writes the
    // rename to its journal, and MOVEFILE_WRITE_THROUGH waited for that.
    int SyncFolder(const std::string&) override {
        return 0;
    }
};

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

// The system's message for the code, in the user's language, without the
// line break and full stop it ends with.
std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length =
        FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring_view text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.remove_suffix(1);
    return Narrow(text);
}

}  // namespace

const PathStyle NativePathStyle = PathStyle::Windows;

FileDescriptor::~FileDescriptor() {
    Close();
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

int FileDescriptor::Close() noexcept {
    if (descriptor_ < 0) return 0;
    return _close(std::exchange(descriptor_, -1)) == 0 ? 0 : errno;
}

// The errors are errno values; the text is the system's own wording of the
// Windows error they stand for, where there is one.
std::string ErrorText(int error) {
    if (const unsigned long code = Win32FromErrno(error); code != 0) {
        std::string text = SystemMessage(code);
        if (!text.empty()) return text;
    }
    return std::generic_category().message(error);
}

// Windows has no file-size signal: a write past a limit simply fails.
void IgnoreFileSizeSignal() {}

FileOps& SystemFileOps() {
    static Win32FileOps ops;
    return ops;
}

}  // namespace kairos::platform
