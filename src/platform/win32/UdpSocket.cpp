// UDP over the Windows socket library, whose error numbers are the ones the
// interface reports. Where Windows and the BSD calls differ, this follows
// what the interface promises (the refused datagram, the unconnected socket
// that hears of a stranger's refusal).

#include "platform/UdpSocket.h"

#include "platform/win32/Winsock.h"
// SIO_UDP_CONNRESET; the header needs winsock2.h before it.
#include <mswsock.h>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "platform/SocketAddress.h"

namespace kairos::platform {
namespace {

SOCKET Handle(std::intptr_t descriptor) { return static_cast<SOCKET>(descriptor); }

// Windows tells of a refused datagram as a reset connection; the interface
// calls it refused, as the BSD calls do.
int LastSocketError() {
    const int error = WSAGetLastError();
    return error == WSAECONNRESET ? WSAECONNREFUSED : error;
}

// Windows reports the refusal of a datagram sent through an unconnected
// socket at that socket's next receive, so one peer gone could fail a
// server's receive from another. Only a connected socket should hear of it,
// as with the BSD calls.
enum class Refusals { Ignored, Reported };

void SetRefusals(SOCKET socket, Refusals refusals) {
    BOOL value = refusals == Refusals::Reported ? TRUE : FALSE;
    DWORD returned = 0;
    WSAIoctl(socket, SIO_UDP_CONNRESET, &value, sizeof value, nullptr, 0, &returned, nullptr, nullptr);
}

// A datagram beyond what an int counts cannot be sent anyway.
int LengthOf(std::string_view data) { return static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX)); }

SendOutcome SendOutcomeOf(int sent) {
    if (sent == SOCKET_ERROR) return {-1, LastSocketError()};
    return {static_cast<long>(sent), 0};
}

timeval ToTimeval(std::chrono::microseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    return timeval{static_cast<long>(seconds.count()), static_cast<long>((span - seconds).count())};
}

// The socket's error, which reading clears; 0 for none.
int TakeSocketError(SOCKET socket) {
    int error = 0;
    int length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == SOCKET_ERROR) return 0;
    return error == WSAECONNRESET ? WSAECONNREFUSED : error;
}

}  // namespace

UdpSocket::~UdpSocket() { Close(); }

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), pendingError_(std::exchange(other.pendingError_, 0)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        pendingError_ = std::exchange(other.pendingError_, 0);
    }
    return *this;
}

int UdpSocket::Open(AddressFamily family) {
    Close();
    if (const int error = StartWinsock(); error != 0) return error;
    // Not inherited: programs started by alarms must not hold the socket.
    const SOCKET socket = WSASocketW(family == AddressFamily::V4 ? AF_INET : AF_INET6, SOCK_DGRAM, IPPROTO_UDP,
                                     nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) return LastSocketError();
    SetRefusals(socket, Refusals::Ignored);
    descriptor_ = static_cast<std::intptr_t>(socket);
    return 0;
}

int UdpSocket::Bind(const Endpoint& local) {
    const SocketAddress address = ToSocketAddress(local);
    return bind(Handle(descriptor_), address.get(), address.length) == SOCKET_ERROR ? LastSocketError() : 0;
}

std::optional<Endpoint> UdpSocket::LocalEndpoint() const {
    sockaddr_storage storage{};
    int length = sizeof storage;
    if (getsockname(Handle(descriptor_), reinterpret_cast<sockaddr*>(&storage), &length) == SOCKET_ERROR)
        return std::nullopt;
    return FromSocketAddress(storage);
}

int UdpSocket::Connect(const Endpoint& peer) {
    const SocketAddress address = ToSocketAddress(peer);
    if (connect(Handle(descriptor_), address.get(), address.length) == SOCKET_ERROR) return LastSocketError();
    SetRefusals(Handle(descriptor_), Refusals::Reported);
    return 0;
}

SendOutcome UdpSocket::Send(std::string_view data) {
    return SendOutcomeOf(send(Handle(descriptor_), data.data(), LengthOf(data), 0));
}

SendOutcome UdpSocket::SendTo(std::string_view data, const Endpoint& to) {
    const SocketAddress address = ToSocketAddress(to);
    return SendOutcomeOf(sendto(Handle(descriptor_), data.data(), LengthOf(data), 0, address.get(), address.length));
}

// A datagram longer than the buffer fails with WSAEMSGSIZE and its rest is
// dropped by the system: consumed and refused, as the interface wants.
ReceiveOutcome UdpSocket::ReceiveFrom(std::size_t capacity) {
    if (const int pending = std::exchange(pendingError_, 0); pending != 0) return {{}, {}, pending};
    const int length = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
    std::vector<char> buffer(std::max(length, 1));  // never a null buffer, even for room 0
    sockaddr_storage storage{};
    int addressLength = sizeof storage;
    const int received = recvfrom(Handle(descriptor_), buffer.data(), length, 0,
                                  reinterpret_cast<sockaddr*>(&storage), &addressLength);
    ReceiveOutcome outcome;
    if (received == SOCKET_ERROR) {
        outcome.error = LastSocketError();
    } else {
        outcome.data.assign(buffer.data(), static_cast<std::size_t>(received));
        outcome.from = FromSocketAddress(storage);
    }
    return outcome;
}

// Windows marks a socket readable when a refusal arrives; wine does not, and
// keeps it as the socket's error instead, so the wait looks there between
// short rounds of select and keeps what it finds for the receive.
WaitOutcome UdpSocket::WaitReadable(std::optional<std::chrono::microseconds> limit) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds Round{20};
    if (descriptor_ < 0 || (limit && limit->count() < 0)) return WaitOutcome::Failed;
    const auto deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
    for (;;) {
        if (pendingError_ == 0) pendingError_ = TakeSocketError(Handle(descriptor_));
        if (pendingError_ != 0) return WaitOutcome::Readable;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(Handle(descriptor_), &readable);
        const auto left = limit ? std::max(Clock::duration::zero(), deadline - Clock::now()) : Clock::duration(Round);
        timeval timeout = ToTimeval(std::min<std::chrono::microseconds>(
            std::chrono::duration_cast<std::chrono::microseconds>(left), Round));
        // The first argument is ignored by Windows.
        const int ready = select(0, &readable, nullptr, nullptr, &timeout);
        if (ready > 0) return WaitOutcome::Readable;
        if (ready == SOCKET_ERROR && WSAGetLastError() != WSAEINTR) return WaitOutcome::Failed;
        if (ready == 0 && limit && Clock::now() >= deadline) return WaitOutcome::TimedOut;
    }
}

void UdpSocket::Close() noexcept {
    pendingError_ = 0;
    const std::intptr_t descriptor = std::exchange(descriptor_, -1);
    if (descriptor < 0) return;
    shutdown(Handle(descriptor), SD_SEND);
    closesocket(Handle(descriptor));
}

}  // namespace kairos::platform
