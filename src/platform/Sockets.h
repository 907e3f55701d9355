#pragma once
// IPv4 datagram sockets and host-name lookup.
//
// Failures are reported as the error numbers of the Windows socket library
// (10004 for an interrupted call, 11001 for an unknown host, ...), whatever
// the OS: the clock's messages are built from those numbers and must read the
// same everywhere. 0 always means success.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kairos::platform {

using Ipv4Address = std::array<std::uint8_t, 4>;

struct Ipv4Endpoint {
    Ipv4Address address{};
    std::uint16_t port = 0;  // host order
};

enum class BroadcastOption { Disabled, Enabled };

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
    Ipv4Endpoint from;
    int error = 0;
};

struct ResolveOutcome {
    Ipv4Address address{};  // the first IPv4 address of the answer, when error is 0
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

    // Opens an IPv4 datagram socket (closing any held one); 0 or an error number.
    int Open();
    bool IsOpen() const { return descriptor_ >= 0; }
    // The descriptor, -1 when none is held.
    int Descriptor() const { return descriptor_; }

    int SetBroadcast(BroadcastOption option);
    // Without an explicit bind the system picks a random free port at the
    // first send.
    int Bind(const Ipv4Endpoint& local);
    // The address the socket is bound to; empty when it is not open or
    // the system cannot tell.
    std::optional<Ipv4Endpoint> LocalEndpoint() const;

    SendOutcome SendTo(std::string_view data, const Ipv4Endpoint& to);
    // One datagram of at most capacity bytes. A longer one is consumed and
    // reported as 10040 (message too long), never handed back cut short.
    ReceiveOutcome ReceiveFrom(std::size_t capacity);

    // Waits until a datagram can be read. No limit waits without end. A limit
    // the system rejects (a negative one) is Failed. A signal does not end
    // the wait early.
    WaitOutcome WaitReadable(std::optional<std::chrono::microseconds> limit);

    // No more sends, then the descriptor is released; failures are ignored
    // because there is nothing left to do about them.
    void Close() noexcept;

private:
    int descriptor_ = -1;
};

// The host's first IPv4 address from the system resolver (hosts file, DNS,
// ...). Numeric addresses are accepted as the resolver accepts them.
ResolveOutcome ResolveIpv4(const std::string& host);

// Windows socket error number for an errno value; values without a
// counterpart come back unchanged (they stay below 10000, out of the
// numbers that have a message).
int SocketErrorFromErrno(int posixError);
// Windows socket error number for a getaddrinfo result (EAI_*); EAI_SYSTEM
// takes the errno value that came with it.
int SocketErrorFromResolver(int resolverError, int posixError);

}  // namespace kairos::platform
