#pragma once
// The platform interfaces report errno values on every system, so that the
// portable code above them has one set of errors to tell apart. Windows
// error codes are translated here.

namespace kairos::platform {

// The errno value for a Windows error code (GetLastError); EIO for the codes
// that have no closer counterpart.
int ErrnoFromWin32(unsigned long error);

// ErrnoFromWin32(GetLastError()).
int LastErrno();

}  // namespace kairos::platform
