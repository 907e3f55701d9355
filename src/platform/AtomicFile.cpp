#include "platform/AtomicFile.h"

#include <chrono>
#include <random>
#include <system_error>
#include <utility>

namespace kairos::platform {
namespace {

constexpr int CreateAttempts = 100;

int ErrorOf(std::errc error) {
    return static_cast<int>(error);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Random letters as mkstemp uses them; the leading dot hides the file from
// a folder listing while it exists.
std::string TemporaryName(const std::string& target) {
    thread_local std::minstd_rand generator(static_cast<unsigned>(std::random_device{}()) ^
                                      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = target.substr(0, nameStart) + "." + target.substr(nameStart) + ".";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    for (int i = 0; i < 6; ++i) name += Letters[pick(generator)];
    return name;
}

// The temporary file goes away with this object unless it has been renamed.
class PendingFile {
public:
    explicit PendingFile(FileOps& ops) : ops_(ops) {}
    ~PendingFile() {
        if (file_.IsOpen()) ops_.Close(file_);
        if (!path_.empty() && !renamed_) ops_.Remove(path_);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int Create(const std::string& target, unsigned mode) {
        int error = ErrorOf(std::errc::file_exists);
        for (int attempt = 0; attempt < CreateAttempts && error == ErrorOf(std::errc::file_exists); ++attempt) {
            std::string candidate = TemporaryName(target);
            error = ops_.CreateNew(candidate, mode, file_);
            if (error == 0) path_ = std::move(candidate);
        }
        return error;
    }

    int WriteAll(std::string_view bytes) {
        while (!bytes.empty()) {
            std::size_t written = 0;
            if (const int error = ops_.Write(file_, bytes, written)) return error;
            // A write that makes no progress would loop for ever.
            if (written == 0 || written > bytes.size()) return ErrorOf(std::errc::io_error);
            bytes.remove_prefix(written);
        }
        return 0;
    }

    const FileDescriptor& File() const { return file_; }
    int Close() { return ops_.Close(file_); }
    int RenameTo(const std::string& target) {
        const int error = ops_.Rename(path_, target);
        renamed_ = error == 0;
        return error;
    }

private:
    FileOps& ops_;
    FileDescriptor file_;
    std::string path_;
    bool renamed_ = false;
};

}  // namespace

bool IsNoSuchFile(int error) {
    return error == ErrorOf(std::errc::no_such_file_or_directory) || error == ErrorOf(std::errc::not_a_directory);
}

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

int ReplaceFile(FileOps& ops, const std::string& path, std::string_view bytes) {
    const std::string target = ops.ResolveLinks(path);
    unsigned oldMode = 0;
    const int statError = ops.PermissionBits(target, oldMode);
    if (statError != 0 && !IsNoSuchFile(statError)) return statError;
    const bool replacing = statError == 0;

    PendingFile pending(ops);
    // An existing file's bits are set exactly below, so the temporary file
    // starts private and is never readable by others in between.
    if (const int error = pending.Create(target, replacing ? 0600 : NewFileMode)) return error;
    if (replacing) {
        if (const int error = ops.SetPermissionBits(pending.File(), oldMode & 0777)) return error;
    }
    if (const int error = pending.WriteAll(bytes)) return error;
    if (const int error = ops.Sync(pending.File())) return error;
    if (const int error = pending.Close()) return error;
    if (const int error = pending.RenameTo(target)) return error;
    // The new content is in place once the rename succeeded; a folder that
    // cannot be synced (some file systems refuse) does not undo that, so its
    // error is no failure of the replacement.
    ops.SyncFolder(FolderOf(target));
    return 0;
}

}  // namespace kairos::platform
