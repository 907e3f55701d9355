#pragma once
// Whole-file reading and replacing. A file is never rewritten in place: the
// new content goes to a temporary file beside the old one, reaches the disk,
// and only then takes the old one's name in a single rename, so a crash, a
// full disk or a size limit leaves the old file or the new one, never a mix.
// The primitive operations sit behind FileOps so that tests can make any of
// them fail half-way.

#include <cstddef>
#include <string>
#include <string_view>

namespace kairos::platform {

// An open file descriptor, closed when the object goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor();

    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return descriptor_; }
    bool IsOpen() const { return descriptor_ >= 0; }
    // Closes at once; 0, or the error the close reported (the descriptor is
    // gone either way). Some file systems report a failed write only here.
    int Close() noexcept;

private:
    int descriptor_ = -1;
};

// Every operation returns 0 or an error number of the system (errno values).
class FileOps {
public:
    virtual ~FileOps() = default;

    // The whole content of a regular file. A directory or another kind of
    // file is an error.
    virtual int ReadAll(const std::string& path, std::string& bytes) = 0;
    // The file a name finally stands for, symbolic links followed, so that a
    // linked file is replaced and not the link; the name itself when it does
    // not exist yet.
    virtual std::string ResolveLinks(const std::string& path) = 0;
    virtual int PermissionBits(const std::string& path, unsigned& mode) = 0;
    // Fails with EEXIST when the name is taken; the mode is subject to the umask.
    virtual int CreateNew(const std::string& path, unsigned mode, FileDescriptor& file) = 0;
    virtual int SetPermissionBits(const FileDescriptor& file, unsigned mode) = 0;
    // Writes a first part of the bytes, at least one byte on success.
    virtual int Write(const FileDescriptor& file, std::string_view bytes, std::size_t& written) = 0;
    virtual int Sync(const FileDescriptor& file) = 0;
    virtual int Close(FileDescriptor& file) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    virtual int SyncFolder(const std::string& folder) = 0;
};

// The operating system's files.
FileOps& SystemFileOps();

// True for the errors that mean there is no file of that name.
bool IsNoSuchFile(int error);

// The system's wording of an error number.
std::string ErrorText(int error);

// The permission bits of a file created by ReplaceFile, before the umask.
// Not 0666: the alarm file names programs the clock starts, so nobody but the
// owner may change it even under a permissive umask; reading stays open as
// for any configuration file.
inline constexpr unsigned NewFileMode = 0644;

// Replaces the file's whole content, or creates the file. An existing file
// keeps its permission bits; one without write permission for its owner is
// the user's decision and is refused with EACCES. Returns 0, or the error
// that stopped it; then the old file is as it was and no temporary file is
// left behind.
int ReplaceFile(FileOps& ops, const std::string& path, std::string_view bytes);

// Keeps the bytes under the first of "<path>.bak", "<path>.1.bak",
// "<path>.2.bak", ... that no file has: a backup, once written, is never
// replaced. Sets the name used; 0 or the error.
int WriteBackup(FileOps& ops, const std::string& path, std::string_view bytes, std::string& backupPath);
// The name WriteBackup would choose now.
std::string NextBackupPath(const std::string& path);

// Removes what saves of that file cut short by a crash left beside it: the
// temporary files of ReplaceFile (".<name>.XXXXXX"), the program's own and
// nobody else's. Returns how many went.
int RemoveStaleTemporaries(const std::string& path);

// A write past the process's file-size limit fails with EFBIG instead of
// ending the program with SIGXFSZ.
void IgnoreFileSizeSignal();

}  // namespace kairos::platform
