#pragma once
// The platform interfaces report errno values on every system, so that the
// portable code above them has one set of errors to tell apart. Windows
// error codes are translated here.

namespace kairos::platform {

// The errno value for a Windows error code (GetLastError); EIO for the codes
// that have no closer counterpart.
int ErrnoFromWin32(unsigned long error);

// The Windows error code an errno value most often comes from, so that it
// can be worded by the system; 0 for an errno no code maps to.
unsigned long Win32FromErrno(int error);

// ErrnoFromWin32(GetLastError()).
int LastErrno();

}  // namespace kairos::platform
