#pragma once
// A UDP socket over IPv4 or IPv6.
//
// Failures are reported as the error numbers of the Windows socket library
// (10004 for an interrupted call, 10061 for a refused datagram, ...), whatever
// the OS: the clock's messages are built from those numbers and must read the
// same everywhere. 0 always means success.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/IpAddress.h"

namespace kairos::platform {

enum class WaitOutcome {
    Readable,
    TimedOut,
    Failed,
};

struct SendOutcome {
    long sent = -1;  // bytes handed to the system; -1 on failure
    int error = 0;
};

struct ReceiveOutcome {
    std::string data;  // one datagram, when error is 0
    Endpoint from;
    int error = 0;
};

// One UDP socket, owned: closed exactly once, by Close or the destructor.
class UdpSocket {
public:
    UdpSocket() = default;  // holds no socket until Open
    ~UdpSocket();

    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Opens a datagram socket of the family (closing any held one); 0 or an
    // error number.
    int Open(AddressFamily family);
    bool IsOpen() const { return descriptor_ >= 0; }

    // Without an explicit bind the system picks a random free port at the
    // connect or the first send.
    int Bind(const Endpoint& local);
    // The address the socket is bound to; empty when it is not open or the
    // system cannot tell.
    std::optional<Endpoint> LocalEndpoint() const;

    // From now on only that peer's datagrams arrive, and a peer that refuses
    // them (nobody at that port) shows as 10061 on the next receive.
    int Connect(const Endpoint& peer);
    // To the connected peer.
    SendOutcome Send(std::string_view data);
    SendOutcome SendTo(std::string_view data, const Endpoint& to);
    // One datagram of at most capacity bytes. A longer one is consumed and
    // reported as 10040 (message too long), never handed back cut short.
    ReceiveOutcome ReceiveFrom(std::size_t capacity);

    // Waits until a datagram (or an error) can be read. No limit waits
    // without end; a negative limit is Failed. A signal does not end the wait
    // early.
    WaitOutcome WaitReadable(std::optional<std::chrono::microseconds> limit);

    // No more sends, then the descriptor is released; failures are ignored
    // because there is nothing left to do about them.
    void Close() noexcept;

private:
    // A descriptor on POSIX systems, a SOCKET on Windows (whose
    // INVALID_SOCKET reads as -1 here); negative when none is held.
    std::intptr_t descriptor_ = -1;
    // Windows only: a refusal the wait found, kept for the receive that
    // follows it (wine takes it off the socket when it is looked at).
    [[maybe_unused]] int pendingError_ = 0;
};

}  // namespace kairos::platform
