// UDP over the BSD socket calls. Errors leave here as Windows socket numbers
// (see UdpSocket.h); the errno values have a one-to-one counterpart there for
// everything a datagram socket can report.

#include "platform/UdpSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/ErrorTable.h"
#include "platform/SocketAddress.h"
#include "platform/posix/SocketErrors.h"

namespace kairos::platform {
namespace {

// EAGAIN and EWOULDBLOCK are one value on Linux; the first match wins either way.
constexpr ErrorPair ErrnoTable[] = {
    {EINTR, 10004},           {EBADF, 10009},        {EACCES, 10013},          {EPERM, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},       {EMFILE, 10024},          {ENFILE, 10024},
    {EWOULDBLOCK, 10035},     {EAGAIN, 10035},       {EINPROGRESS, 10036},     {EALREADY, 10037},
    {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},     {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},        {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},      {ENOBUFS, 10055},      {ENOMEM, 10055},          {EISCONN, 10056},
    {ENOTCONN, 10057},        {ESHUTDOWN, 10058},    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},    {ELOOP, 10062},        {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
};

int LastSocketError() { return SocketErrorFromErrno(errno); }

// The member is wide enough for a Windows socket; here it always holds an int.
int Fd(std::intptr_t descriptor) { return static_cast<int>(descriptor); }

timespec ToTimespec(std::chrono::nanoseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    timespec value{};
    value.tv_sec = static_cast<time_t>(seconds.count());
    value.tv_nsec = static_cast<long>((span - seconds).count());
    return value;
}

}  // namespace

UdpSocket::~UdpSocket() { Close(); }

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

int UdpSocket::Open(AddressFamily family) {
    Close();
    // Close-on-exec: programs started by alarms must not inherit the socket.
    descriptor_ = socket(family == AddressFamily::V4 ? AF_INET : AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    return descriptor_ < 0 ? LastSocketError() : 0;
}

int UdpSocket::Bind(const Endpoint& local) {
    const SocketAddress address = ToSocketAddress(local);
    return bind(Fd(descriptor_), address.get(), address.length) < 0 ? LastSocketError() : 0;
}

std::optional<Endpoint> UdpSocket::LocalEndpoint() const {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (getsockname(Fd(descriptor_), reinterpret_cast<sockaddr*>(&storage), &length) < 0) return std::nullopt;
    return FromSocketAddress(storage);
}

int UdpSocket::Connect(const Endpoint& peer) {
    const SocketAddress address = ToSocketAddress(peer);
    return connect(Fd(descriptor_), address.get(), address.length) < 0 ? LastSocketError() : 0;
}

SendOutcome UdpSocket::Send(std::string_view data) {
    const ssize_t sent = send(Fd(descriptor_), data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0) return {-1, LastSocketError()};
    return {static_cast<long>(sent), 0};
}

SendOutcome UdpSocket::SendTo(std::string_view data, const Endpoint& to) {
    const SocketAddress address = ToSocketAddress(to);
    const ssize_t sent = sendto(Fd(descriptor_), data.data(), data.size(), MSG_NOSIGNAL, address.get(), address.length);
    if (sent < 0) return {-1, LastSocketError()};
    return {static_cast<long>(sent), 0};
}

ReceiveOutcome UdpSocket::ReceiveFrom(std::size_t capacity) {
    std::vector<char> buffer(capacity);
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    // MSG_TRUNC makes the call report the datagram's real length, so that a
    // datagram too long for the buffer is refused as Windows refuses it
    // instead of being passed on cut short.
    const ssize_t received = recvfrom(Fd(descriptor_), buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&storage), &length);
    ReceiveOutcome outcome;
    if (received < 0) {
        outcome.error = LastSocketError();
    } else if (static_cast<std::size_t>(received) > capacity) {
        outcome.error = SocketErrorFromErrno(EMSGSIZE);
    } else {
        outcome.data.assign(buffer.data(), static_cast<std::size_t>(received));
        outcome.from = FromSocketAddress(storage);
    }
    return outcome;
}

WaitOutcome UdpSocket::WaitReadable(std::optional<std::chrono::microseconds> limit) {
    using Clock = std::chrono::steady_clock;
    if (descriptor_ < 0 || (limit && limit->count() < 0)) return WaitOutcome::Failed;
    const auto deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
    for (;;) {
        pollfd entry{Fd(descriptor_), POLLIN, 0};
        timespec remaining{};
        if (limit) remaining = ToTimespec(std::max(Clock::duration::zero(), deadline - Clock::now()));
        const int ready = ppoll(&entry, 1, limit ? &remaining : nullptr, nullptr);
        // A pending error counts as readable, as with select: the receive
        // that follows reports it.
        if (ready > 0) return (entry.revents & POLLNVAL) != 0 ? WaitOutcome::Failed : WaitOutcome::Readable;
        if (ready == 0) return WaitOutcome::TimedOut;
        if (errno != EINTR) return WaitOutcome::Failed;
    }
}

void UdpSocket::Close() noexcept {
    const int descriptor = Fd(std::exchange(descriptor_, -1));
    if (descriptor < 0) return;
    shutdown(descriptor, SHUT_WR);
    close(descriptor);
}

int SocketErrorFromErrno(int posixError) {
    return TranslateError(ErrnoTable, posixError, posixError);
}

}  // namespace kairos::platform
