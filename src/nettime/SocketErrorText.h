#pragma once
// The fixed English texts of socket error numbers (those of the Windows
// socket library, see platform/UdpSocket.h), for the log.

#include <string>

namespace kairos {

inline constexpr int WSAEMSGSIZE = 10040;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSAHOST_NOT_FOUND = 11001;

// "Socket Error # <number>\r\n<text>"; the text is empty for a number
// without one.
std::string SocketErrorText(int error);
// The same on one line, for a log: "Socket Error # 10061 Connection refused."
std::string SocketErrorLine(int error);

}  // namespace kairos
