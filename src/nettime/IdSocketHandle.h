#pragma once
// One socket of a UDP component: allocation, send, wait and receive, with
// failures raised as the exceptions of IdException.h.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Sockets.h"

namespace kairos {

// Timeout arguments in milliseconds, besides plain non-negative values.
inline constexpr int IdTimeoutDefault = -1;   // the component's ReceiveTimeout
inline constexpr int IdTimeoutInfinite = -2;  // no limit

struct TIdWaitLimit {
    long Seconds = 0;
    long Microseconds = 0;
};

// The time limit a wait of timeoutMs passes to the system: none for
// IdTimeoutInfinite, else timeoutMs div 1000 seconds and (timeoutMs mod
// 1000) * 1000 microseconds. A negative result makes the wait fail (false).
std::optional<TIdWaitLimit> WaitLimitFor(int timeoutMs);

class TIdSocketHandle {
public:
    TIdSocketHandle() = default;
    ~TIdSocketHandle() { CloseSocket(); }

    TIdSocketHandle(TIdSocketHandle&&) noexcept = default;
    TIdSocketHandle& operator=(TIdSocketHandle&&) noexcept = default;
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;

    bool HandleAllocated() const { return socket_.IsOpen(); }
    // The system socket; -1 while none is allocated.
    int Handle() const { return socket_.Descriptor(); }

    // Opens a UDP socket and sets SO_BROADCAST. Raises EIdInvalidSocket when
    // no socket can be had, EIdSocketError when the option is refused.
    void AllocateSocket(platform::BroadcastOption broadcast);

    // Binds to a dotted-quad address and port (0 for any free port). Not
    // needed for sending; used by peers that must be found at a known port.
    void Bind(const std::string& ip, int port);
    // The local port; 0 while none is bound.
    int LocalPort() const;

    // One datagram to a dotted-quad address. Raises EIdPackageSizeTooBig,
    // EIdNotAllBytesSent or EIdSocketError.
    void SendTo(const std::string& ip, int port, std::string_view data);

    // One datagram of at most bufferSize bytes; notes its sender in
    // PeerIP/PeerPort. Raises EIdSocketError (10040 for a longer datagram,
    // which is lost).
    std::string RecvFrom(std::size_t bufferSize);
    // The sender of the last datagram received; empty and 0 before any.
    const std::string& PeerIP() const { return peerIP_; }
    int PeerPort() const { return peerPort_; }

    // True when a datagram can be read within the timeout (IdTimeoutInfinite
    // waits without end); time up and failures of the wait are false.
    // Raises EIdConnClosedGracefully when no socket is allocated.
    bool WaitReadable(int timeoutMs);

    // Closing an unallocated handle does nothing.
    void CloseSocket() noexcept { socket_.Close(); }

private:
    platform::UdpSocket socket_;
    std::string peerIP_;
    int peerPort_ = 0;
};

}  // namespace kairos
