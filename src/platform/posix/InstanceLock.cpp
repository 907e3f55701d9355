// The session lock is an exclusive flock on a file. flock belongs to the open
// file description, so the kernel drops it when the last descriptor closes,
// which includes the holder being killed. The file itself is never removed:
// unlinking it while another process opens it would let two holders lock two
// different files of the same name.

#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/Utf8.h"

namespace kairos::platform {
namespace {

// File names stay well below NAME_MAX (255) even with the user id and suffix
// around them; longer names keep a readable head and a hash of the whole.
constexpr std::size_t MaxEscapedLength = 200;
constexpr std::size_t HashDigits = 16;

bool IsAbsoluteFolder(const char* path) {
    if (path == nullptr || path[0] != '/') return false;
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// '/' and NUL cannot stand in a file name. '%' and '~' are escaped as well so
// that no two names, hashed or not, ever share a file.
std::string EscapeForFileName(std::string_view name) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(name.size());
    for (const char c : name) {
        if (c == '/' || c == '\0' || c == '%' || c == '~') {
            const auto byte = static_cast<unsigned char>(c);
            escaped += '%';
            escaped += Hex[byte >> 4];
            escaped += Hex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// FNV-1a: fixed by definition, so every build of the program derives the
// same file from the same name (std::hash promises no such thing).
std::uint64_t StableHash(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string HexDigits(std::uint64_t value) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string digits(HashDigits, '0');
    for (std::size_t i = HashDigits; i-- > 0; value >>= 4) digits[i] = Hex[value & 0x0F];
    return digits;
}

std::string FileNamePart(std::string_view name) {
    std::string escaped = EscapeForFileName(name);
    if (escaped.size() <= MaxEscapedLength) return escaped;
    escaped.resize(Utf8CutPoint(escaped, MaxEscapedLength - HashDigits - 1));
    return escaped + '~' + HexDigits(StableHash(name));
}

// Close-on-exec: a program the clock starts must not inherit the descriptor
// and keep the lock alive after the clock has ended.
int OpenLockFile(const std::string& path) {
    int descriptor = -1;
    do {
        descriptor = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// In a shared temp folder another user could plant the file and hold it to
// keep this user's program from starting; only a file of our own counts.
bool IsOwnRegularFile(int descriptor) {
    struct stat info {};
    return fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

LockOutcome TryLock(int descriptor) {
    int result = -1;
    do {
        result = flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return LockOutcome::Acquired;
    return errno == EWOULDBLOCK ? LockOutcome::HeldElsewhere : LockOutcome::Unavailable;
}

}  // namespace

std::string InstanceLockPath(std::string_view name) {
    const std::string fileName = FileNamePart(name) + ".lock";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); IsAbsoluteFolder(runtime))
        return std::string(runtime) + '/' + fileName;
    // The temp folder is shared by all users, hence the user id in the name.
    const char* temp = std::getenv("TMPDIR");
    const std::string folder = IsAbsoluteFolder(temp) ? temp : "/tmp";
    return folder + '/' + std::to_string(geteuid()) + '-' + fileName;
}

InstanceLock::InstanceLock(std::string_view name) {
    const int descriptor = OpenLockFile(InstanceLockPath(name));
    if (descriptor < 0) return;
    held_ = descriptor;
    outcome_ = IsOwnRegularFile(descriptor) ? TryLock(descriptor) : LockOutcome::Unavailable;
    if (outcome_ != LockOutcome::Acquired) Release();
}

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : held_(std::exchange(other.held_, -1)),
      outcome_(std::exchange(other.outcome_, LockOutcome::Unavailable)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = std::exchange(other.held_, -1);
        outcome_ = std::exchange(other.outcome_, LockOutcome::Unavailable);
    }
    return *this;
}

void InstanceLock::Release() noexcept {
    if (held_ < 0) return;
    const int descriptor = static_cast<int>(std::exchange(held_, -1));
    flock(descriptor, LOCK_UN);
    close(descriptor);
}

}  // namespace kairos::platform
