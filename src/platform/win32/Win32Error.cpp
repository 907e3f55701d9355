#include "platform/win32/Win32Error.h"

#include <windows.h>

#include <cerrno>

#include "platform/ErrorTable.h"

namespace kairos::platform {
namespace {

// Where several codes give the same errno, the first is that errno's most
// usual cause: its wording is the one Win32FromErrno picks.
constexpr ErrorPair ErrnoTable[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_TOO_LARGE, EFBIG},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_BAD_FORMAT, ENOEXEC},
    {ERROR_BAD_EXE_FORMAT, ENOEXEC},
    {ERROR_EXE_MACHINE_TYPE_MISMATCH, ENOEXEC},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_BUFFER_OVERFLOW, ENAMETOOLONG},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_PRIVILEGE_NOT_HELD, EPERM},
    {ERROR_NOT_SUPPORTED, ENOTSUP},
};

}  // namespace

int ErrnoFromWin32(unsigned long error) {
    return TranslateError(ErrnoTable, static_cast<int>(error), EIO);
}

unsigned long Win32FromErrno(int error) {
    for (const ErrorPair& pair : ErrnoTable)
        if (pair.to == error) return static_cast<unsigned long>(pair.from);
    return 0;
}

int LastErrno() {
    return ErrnoFromWin32(GetLastError());
}

}  // namespace kairos::platform
