// The POSIX file primitives. Every descriptor is close-on-exec: a program the
// clock starts must not inherit a half-written settings file.

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

#include "platform/PathNames.h"

namespace kairos::platform {
namespace {

// Far above any settings file; a link to an endless device must not make
// the clock read until memory runs out.
constexpr std::size_t MaxReadBytes = 64u << 20;
constexpr std::size_t ReadChunk = 64u << 10;

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int descriptor = -1;
    do {
        descriptor = open(path, flags, mode);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

int ReadRegularFile(int descriptor, std::string& bytes) {
    std::string content;
    std::size_t length = 0;
    for (;;) {
        if (content.size() - length < ReadChunk) content.resize(length + ReadChunk);
        const ssize_t got = read(descriptor, content.data() + length, content.size() - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) break;
        length += static_cast<std::size_t>(got);
        if (length > MaxReadBytes) return EFBIG;
    }
    content.resize(length);
    bytes = std::move(content);
    return 0;
}

class PosixFileOps final : public FileOps {
public:
    int ReadAll(const std::string& path, std::string& bytes) override {
        // Non-blocking, so that a FIFO under the file's name cannot hang the
        // open; it is refused below like every other kind of non-file.
        FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!file.IsOpen()) return errno;
        struct stat info {};
        if (fstat(file.Get(), &info) != 0) return errno;
        if (S_ISDIR(info.st_mode)) return EISDIR;
        if (!S_ISREG(info.st_mode)) return EINVAL;
        return ReadRegularFile(file.Get(), bytes);
    }

    std::string ResolveLinks(const std::string& path) override {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
        return resolved ? std::string(resolved.get()) : path;
    }

    int PermissionBits(const std::string& path, unsigned& mode) override {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) return errno;
        mode = static_cast<unsigned>(info.st_mode) & 07777u;
        return 0;
    }

    int CreateNew(const std::string& path, unsigned mode, FileDescriptor& file) override {
        FileDescriptor created(
            OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, static_cast<mode_t>(mode)));
        if (!created.IsOpen()) return errno;
        file = std::move(created);
        return 0;
    }

    int SetPermissionBits(const FileDescriptor& file, unsigned mode) override {
        return fchmod(file.Get(), static_cast<mode_t>(mode)) == 0 ? 0 : errno;
    }

    int Write(const FileDescriptor& file, std::string_view bytes, std::size_t& written) override {
        ssize_t result = -1;
        do {
            result = write(file.Get(), bytes.data(), bytes.size());
        } while (result < 0 && errno == EINTR);
        if (result < 0) return errno;
        written = static_cast<std::size_t>(result);
        return 0;
    }

    int Sync(const FileDescriptor& file) override {
        return fsync(file.Get()) == 0 ? 0 : errno;
    }

    int Close(FileDescriptor& file) override {
        return file.Close();
    }

    int Rename(const std::string& from, const std::string& to) override {
        return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int Remove(const std::string& path) override {
        return unlink(path.c_str()) == 0 ? 0 : errno;
    }

    int SyncFolder(const std::string& folder) override {
        FileDescriptor directory(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!directory.IsOpen()) return errno;
        return fsync(directory.Get()) == 0 ? 0 : errno;
    }
};

}  // namespace

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
    // Not retried on EINTR: on Linux the descriptor is released even then,
    // and a retry could close a descriptor another thread has just opened.
    const int result = close(std::exchange(descriptor_, -1));
    return result == 0 || errno == EINTR ? 0 : errno;
}

const PathStyle NativePathStyle = PathStyle::Posix;

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

void IgnoreFileSizeSignal() { signal(SIGXFSZ, SIG_IGN); }

FileOps& SystemFileOps() {
    static PosixFileOps ops;
    return ops;
}

}  // namespace kairos::platform
