#pragma once
// The process-wide socket layer: name resolution and the turning of socket
// error numbers into exceptions with fixed messages.
//
// Error numbers are those of the Windows socket library (see
// platform/Sockets.h), so that messages read the same on every OS.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Sockets.h"

namespace kairos {

inline constexpr int WSAEMSGSIZE = 10040;
inline constexpr int WSAHOST_NOT_FOUND = 11001;

// One object per process while at least one network component exists
// (see TIdComponent); it keeps the last socket error seen.
class TIdStack {
public:
    int LastError() const { return lastError_; }
    void SetLastError(int error) { lastError_ = error; }

private:
    int lastError_ = 0;
};

// The current stack, or nullptr while no network component exists. Only
// components create and free it, so a pointer taken here is good for as
// long as the caller's component lives.
TIdStack* SocketStack();
// How many network components exist now.
int StackInstanceCount();

// "Socket Error # <number>\r\n<text>"; the text is empty for a number
// without one.
std::string SocketErrorText(int error);

// Notes the number as the stack's last error (when a stack exists) and
// raises EIdSocketError with SocketErrorText(error).
[[noreturn]] void RaiseSocketError(int error);

// Four parts cut at the first three dots, each an integer from 0 to 255.
bool IsDottedQuad(std::string_view text);
// The four numbers of a dotted quad; empty when IsDottedQuad is false.
std::optional<platform::Ipv4Address> ParseDottedQuad(std::string_view text);
// Four decimal numbers joined by "." (no leading zeros).
std::string FormatDottedQuad(const platform::Ipv4Address& address);

// "localhost" in any case is "127.0.0.1" without a lookup; a dotted quad is
// itself; anything else goes to the system resolver, IPv4 only, and its first
// address is the result. Raises EIdSocketError (11001 for an unknown name).
std::string ResolveHostAddress(const std::string& host);

}  // namespace kairos
