#include "platform/win32/Winsock.h"

namespace kairos::platform {

// Never cleaned up: sockets may be closed by static destructors, after which
// the process ends and the system releases the library anyway.
int StartWinsock() {
    static const int error = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return error;
}

}  // namespace kairos::platform
