#pragma once
// The BSD socket calls and the resolver report errno and EAI_* values; the
// platform interfaces hand out Windows socket error numbers instead (see
// UdpSocket.h).

namespace kairos::platform {

// Windows socket error number for an errno value; values without a
// counterpart come back unchanged (they stay below 10000, out of the
// numbers that have a message).
int SocketErrorFromErrno(int posixError);

// Windows socket error number for a getaddrinfo result (EAI_*); EAI_SYSTEM
// takes the errno value that came with it.
int SocketErrorFromResolver(int resolverError, int posixError);

}  // namespace kairos::platform
