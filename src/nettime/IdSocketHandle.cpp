#include "nettime/IdSocketHandle.h"

#include <chrono>
#include <utility>

#include "nettime/IdException.h"
#include "nettime/IdStack.h"

namespace kairos {
namespace {

constexpr int WSAEINVAL = 10022;

platform::Ipv4Endpoint EndpointOf(const std::string& ip, int port) {
    const auto address = ParseDottedQuad(ip);
    // A port outside 16 bits would be cut to another, valid one without
    // this check.
    if (!address || port < 0 || port > 0xFFFF) RaiseSocketError(WSAEINVAL);
    return {*address, static_cast<std::uint16_t>(port)};
}

}  // namespace

std::optional<TIdWaitLimit> WaitLimitFor(int timeoutMs) {
    if (timeoutMs == IdTimeoutInfinite) return std::nullopt;
    return TIdWaitLimit{timeoutMs / 1000, (timeoutMs % 1000) * 1000L};
}

void TIdSocketHandle::AllocateSocket(platform::BroadcastOption broadcast) {
    if (socket_.Open() != 0) throw EIdInvalidSocket();
    if (const int error = socket_.SetBroadcast(broadcast); error != 0) RaiseSocketError(error);
}

void TIdSocketHandle::Bind(const std::string& ip, int port) {
    if (const int error = socket_.Bind(EndpointOf(ip, port)); error != 0) RaiseSocketError(error);
}

int TIdSocketHandle::LocalPort() const {
    const auto local = socket_.IsOpen() ? socket_.LocalEndpoint() : std::nullopt;
    return local ? local->port : 0;
}

void TIdSocketHandle::SendTo(const std::string& ip, int port, std::string_view data) {
    const platform::SendOutcome outcome = socket_.SendTo(data, EndpointOf(ip, port));
    if (outcome.error == WSAEMSGSIZE) throw EIdPackageSizeTooBig();
    if (outcome.error != 0) RaiseSocketError(outcome.error);
    if (outcome.sent != static_cast<long>(data.size())) throw EIdNotAllBytesSent();
}

std::string TIdSocketHandle::RecvFrom(std::size_t bufferSize) {
    platform::ReceiveOutcome outcome = socket_.ReceiveFrom(bufferSize);
    if (outcome.error != 0) RaiseSocketError(outcome.error);
    peerIP_ = FormatDottedQuad(outcome.from.address);
    peerPort_ = outcome.from.port;
    return std::move(outcome.data);
}

bool TIdSocketHandle::WaitReadable(int timeoutMs) {
    if (!HandleAllocated()) throw EIdConnClosedGracefully();
    std::optional<std::chrono::microseconds> limit;
    if (const auto wait = WaitLimitFor(timeoutMs)) {
        limit = std::chrono::seconds(wait->Seconds) + std::chrono::microseconds(wait->Microseconds);
    }
    return socket_.WaitReadable(limit) == platform::WaitOutcome::Readable;
}

}  // namespace kairos
