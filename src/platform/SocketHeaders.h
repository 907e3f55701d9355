#pragma once
// The system's socket declarations, for the files that implement the socket
// interfaces: Winsock 2 on Windows, the BSD socket calls elsewhere. Only
// those files include this; the interfaces themselves stay free of it.

#ifdef _WIN32
#include "platform/win32/Winsock.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace kairos::platform {

#ifdef _WIN32
using SocketLength = int;
#else
using SocketLength = socklen_t;
#endif

}  // namespace kairos::platform
