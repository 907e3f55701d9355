#include "platform/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "platform/PathNames.h"

namespace kairos::platform {
namespace {

constexpr int CreateAttempts = 100;
constexpr int TemporarySuffixLength = 6;
constexpr int MaxBackups = 1000;
constexpr unsigned OwnerWrite = 0200;

int ErrorOf(std::errc error) {
    return static_cast<int>(error);
}

// The folder keeps its separator where it is a root ("/", "C:\\"), which
// has no name without one; a drive prefix alone ("C:name") stays "C:".
std::string FolderOf(const std::string& path) {
    const std::size_t nameStart = NameStart(path);
    if (nameStart == 0) return ".";
    if (!IsSeparator(path[nameStart - 1])) return path.substr(0, nameStart);
    const std::size_t folderEnd = nameStart - 1;
    const bool root = folderEnd == 0 || (folderEnd == 2 && path[1] == ':' && NativePathStyle == PathStyle::Windows);
    return path.substr(0, root ? nameStart : folderEnd);
}

// A path the file system finds from UTF-8 text on every system; a narrow
// string is read in Windows' ANSI code page, which loses Japanese names.
std::filesystem::path Utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Random letters as mkstemp uses them; the leading dot hides the file from
// a folder listing while it exists.
std::string TemporaryName(const std::string& target) {
    thread_local std::minstd_rand generator(static_cast<unsigned>(std::random_device{}()) ^
                                      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t nameStart = NameStart(target);
    std::string name = target.substr(0, nameStart) + "." + target.substr(nameStart) + ".";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    for (int i = 0; i < TemporarySuffixLength; ++i) name += Letters[pick(generator)];
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
        for (int attempt = 0; attempt < CreateAttempts && error == ErrorOf(std::errc::file_exists); ++attempt)
            error = CreateAs(TemporaryName(target), mode);
        return error;
    }

    int CreateAs(std::string path, unsigned mode) {
        const int error = ops_.CreateNew(path, mode, file_);
        if (error == 0) path_ = std::move(path);
        return error;
    }

    // Written, on the disk and closed under its own name, which it keeps.
    int Finish() {
        if (const int error = ops_.Sync(file_)) return error;
        if (const int error = ops_.Close(file_)) return error;
        renamed_ = true;
        return 0;
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

int ReplaceFile(FileOps& ops, const std::string& path, std::string_view bytes) {
    const std::string target = ops.ResolveLinks(path);
    unsigned oldMode = 0;
    const int statError = ops.PermissionBits(target, oldMode);
    if (statError != 0 && !IsNoSuchFile(statError)) return statError;
    const bool replacing = statError == 0;
    // The rename would replace it regardless; the mode says the owner does
    // not want it changed.
    if (replacing && (oldMode & OwnerWrite) == 0) return ErrorOf(std::errc::permission_denied);

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

namespace {

std::string BackupName(const std::string& target, int number) {
    std::string name = target;
    if (number != 0) name.append(".").append(std::to_string(number));
    return name.append(".bak");
}

}  // namespace

int WriteBackup(FileOps& ops, const std::string& path, std::string_view bytes, std::string& backupPath) {
    const std::string target = ops.ResolveLinks(path);
    unsigned mode = NewFileMode;
    ops.PermissionBits(target, mode);
    PendingFile pending(ops);
    int error = ErrorOf(std::errc::file_exists);
    for (int number = 0; number < MaxBackups && error == ErrorOf(std::errc::file_exists); ++number) {
        backupPath = BackupName(target, number);
        error = pending.CreateAs(backupPath, (mode | OwnerWrite) & 0777);
    }
    if (error != 0) return error;
    if (const int writeError = pending.WriteAll(bytes)) return writeError;
    if (const int finishError = pending.Finish()) return finishError;
    ops.SyncFolder(FolderOf(target));
    return 0;
}

std::string NextBackupPath(const std::string& path) {
    std::error_code error;
    int number = 0;
    while (number < MaxBackups && std::filesystem::symlink_status(Utf8Path(BackupName(path, number)), error).type() !=
                                      std::filesystem::file_type::not_found)
        ++number;
    return BackupName(path, number);
}

int RemoveStaleTemporaries(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target = Utf8Path(path);
    const std::string prefix = std::string(".").append(Utf8Text(target.filename())).append(".");
    std::error_code error;
    int removed = 0;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = Utf8Text(entry.path().filename());
        if (name.size() != prefix.size() + TemporarySuffixLength || !name.starts_with(prefix)) continue;
        const bool ours = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                                      [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
        std::error_code kind;
        if (!ours || !entry.is_regular_file(kind) || entry.is_symlink(kind)) continue;
        if (fs::remove(entry.path(), kind)) ++removed;
    }
    return removed;
}

}  // namespace kairos::platform
