// UDP over the BSD socket calls. Errors leave here as Windows socket numbers
// (see Sockets.h); the errno values have a one-to-one counterpart there for
// everything a datagram socket can report.

#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace kairos::platform {
namespace {

struct ErrorPair {
    int from;
    int to;
};

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

// WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY and WSANO_DATA are what
// gethostbyname reports for the same situations.
constexpr ErrorPair ResolverTable[] = {
    {EAI_NONAME, 11001},  {EAI_AGAIN, 11002},  {EAI_FAIL, 11003},       {EAI_NODATA, 11004},
    {EAI_ADDRFAMILY, 11004}, {EAI_MEMORY, 10055}, {EAI_FAMILY, 10047}, {EAI_SOCKTYPE, 10044},
    {EAI_SERVICE, 10109}, {EAI_BADFLAGS, 10022},
};

template <std::size_t N>
int Lookup(const ErrorPair (&table)[N], int value, int fallback) {
    const auto* match = std::find_if(std::begin(table), std::end(table),
                                     [value](const ErrorPair& pair) { return pair.from == value; });
    return match == std::end(table) ? fallback : match->to;
}

int LastSocketError() { return SocketErrorFromErrno(errno); }

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), endpoint.address.size());
    return address;
}

Ipv4Endpoint FromSockaddr(const sockaddr_in& address) {
    Ipv4Endpoint endpoint;
    std::memcpy(endpoint.address.data(), &address.sin_addr, endpoint.address.size());
    endpoint.port = ntohs(address.sin_port);
    return endpoint;
}

timespec ToTimespec(std::chrono::nanoseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    timespec value{};
    value.tv_sec = static_cast<time_t>(seconds.count());
    value.tv_nsec = static_cast<long>((span - seconds).count());
    return value;
}

struct AddrinfoDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

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

int UdpSocket::Open() {
    Close();
    // Close-on-exec: programs started by alarms must not inherit the socket.
    descriptor_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    return descriptor_ < 0 ? LastSocketError() : 0;
}

int UdpSocket::SetBroadcast(BroadcastOption option) {
    const int value = option == BroadcastOption::Enabled ? 1 : 0;
    return setsockopt(descriptor_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) < 0 ? LastSocketError() : 0;
}

int UdpSocket::Bind(const Ipv4Endpoint& local) {
    const sockaddr_in address = ToSockaddr(local);
    return bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 ? LastSocketError()
                                                                                               : 0;
}

std::optional<Ipv4Endpoint> UdpSocket::LocalEndpoint() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(descriptor_, reinterpret_cast<sockaddr*>(&address), &length) < 0) return std::nullopt;
    return FromSockaddr(address);
}

SendOutcome UdpSocket::SendTo(std::string_view data, const Ipv4Endpoint& to) {
    const sockaddr_in address = ToSockaddr(to);
    const ssize_t sent = sendto(descriptor_, data.data(), data.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0) return {-1, LastSocketError()};
    return {static_cast<long>(sent), 0};
}

ReceiveOutcome UdpSocket::ReceiveFrom(std::size_t capacity) {
    std::vector<char> buffer(capacity);
    sockaddr_in address{};
    socklen_t length = sizeof address;
    // MSG_TRUNC makes the call report the datagram's real length, so that a
    // datagram too long for the buffer is refused as Windows refuses it
    // instead of being passed on cut short.
    const ssize_t received =
        recvfrom(descriptor_, buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&address), &length);
    ReceiveOutcome outcome;
    if (received < 0) {
        outcome.error = LastSocketError();
    } else if (static_cast<std::size_t>(received) > capacity) {
        outcome.error = SocketErrorFromErrno(EMSGSIZE);
    } else {
        outcome.data.assign(buffer.data(), static_cast<std::size_t>(received));
        outcome.from = FromSockaddr(address);
    }
    return outcome;
}

WaitOutcome UdpSocket::WaitReadable(std::optional<std::chrono::microseconds> limit) {
    using Clock = std::chrono::steady_clock;
    if (descriptor_ < 0 || (limit && limit->count() < 0)) return WaitOutcome::Failed;
    const auto deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
    for (;;) {
        pollfd entry{descriptor_, POLLIN, 0};
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
    const int descriptor = std::exchange(descriptor_, -1);
    if (descriptor < 0) return;
    shutdown(descriptor, SHUT_WR);
    close(descriptor);
}

ResolveOutcome ResolveIpv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    const std::unique_ptr<addrinfo, AddrinfoDeleter> owned(list);
    ResolveOutcome outcome;
    if (result != 0) {
        outcome.error = SocketErrorFromResolver(result, errno);
    } else if (list == nullptr || list->ai_addr == nullptr || list->ai_family != AF_INET) {
        outcome.error = SocketErrorFromResolver(EAI_NODATA, 0);
    } else {
        sockaddr_in address{};
        std::memcpy(&address, list->ai_addr, sizeof address);
        outcome.address = FromSockaddr(address).address;
    }
    return outcome;
}

int SocketErrorFromErrno(int posixError) { return Lookup(ErrnoTable, posixError, posixError); }

int SocketErrorFromResolver(int resolverError, int posixError) {
    if (resolverError == EAI_SYSTEM) return SocketErrorFromErrno(posixError);
    // Negative EAI values must not pass as an error number.
    return Lookup(ResolverTable, resolverError, 11003);
}

}  // namespace kairos::platform
