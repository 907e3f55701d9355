#pragma once
// The socket library of Windows, started once for the process.

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kairos::platform {

// 0 once the library is started, else the Windows socket error number that
// kept it from starting; every call after the first gives the same answer.
int StartWinsock();

}  // namespace kairos::platform
