#include "nettime/SntpClient.h"

#include <algorithm>
#include <random>
#include <string>

#include "nettime/SocketErrorText.h"
#include "platform/UdpSocket.h"

namespace kairos {
namespace {

using Steady = std::chrono::steady_clock;
// How often a wait looks whether it has been cancelled.
constexpr auto CancelCheck = std::chrono::milliseconds(50);

NtpTimestamp RandomStamp() {
    thread_local std::random_device source;
    NtpTimestamp stamp;
    do {
        stamp = {static_cast<std::uint32_t>(source()), static_cast<std::uint32_t>(source())};
    } while (stamp == NtpTimestamp{});
    return stamp;
}

// One request to one address, and the wait for its reply until a deadline.
class Exchange {
public:
    Exchange(platform::Endpoint server, const SntpServices& services, QueryOutcome& outcome)
        : server_(server), services_(services), outcome_(outcome) {}

    // True when a usable reply came.
    bool Run(Steady::time_point until, std::chrono::nanoseconds maxDelay) {
        if (!Send()) return false;
        while (!Cancelled()) {
            const auto left = until - Steady::now();
            if (left <= Steady::duration::zero()) return false;
            const auto slice = std::chrono::ceil<std::chrono::microseconds>(std::min<Steady::duration>(left, CancelCheck));
            const platform::WaitOutcome wait = socket_.WaitReadable(slice);
            if (wait == platform::WaitOutcome::Failed) return false;
            if (wait == platform::WaitOutcome::Readable && TakeDatagram(maxDelay)) return true;
            if (gone_) return false;
        }
        return false;
    }

private:
    bool Send() {
        int error = socket_.Open(server_.address.family);
        if (error == 0) error = socket_.Connect(server_);
        if (error != 0) return Failed(error);
        SntpPacket request;
        request.LeapVersionMode = SntpClientRequestHeader;
        request.Transmit = stamp_ = RandomStamp();
        const auto bytes = EncodeSntpPacket(request);
        sent_ = services_.UtcNow();
        const platform::SendOutcome outcome =
            socket_.Send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (outcome.error != 0) return Failed(outcome.error);
        return outcome.sent == static_cast<long>(bytes.size()) || Failed(WSAEMSGSIZE);
    }

    // Anything but the usable reply is dropped as if it had not come, and
    // the wait goes on: only time running out ends it, so that a stream of
    // junk cannot hold the exchange open either.
    bool TakeDatagram(std::chrono::nanoseconds maxDelay) {
        // One byte more than a packet, so a longer datagram shows as one.
        platform::ReceiveOutcome datagram = socket_.ReceiveFrom(SntpPacketSize + 1);
        const platform::UtcTime received = services_.UtcNow();
        if (datagram.error == WSAEMSGSIZE) return Refused(ReplyCheck::WrongLength);
        if (datagram.error != 0) {
            // Refused or unreachable: nobody will answer at this address.
            gone_ = true;
            return Failed(datagram.error);
        }
        const ReplyJudgement judgement =
            JudgeReply(datagram.data, datagram.from, server_, stamp_, {sent_, received}, maxDelay);
        if (judgement.check != ReplyCheck::Accepted) return Refused(judgement.check);
        outcome_.sample = judgement.sample;
        return true;
    }

    bool Failed(int error) {
        outcome_.socketError = error;
        return false;
    }

    // Someone else's datagram says nothing about the server.
    bool Refused(ReplyCheck check) {
        if (check != ReplyCheck::WrongSender) outcome_.rejection = check;
        return false;
    }

    bool Cancelled() const { return services_.Cancelled != nullptr && services_.Cancelled->load(); }

    platform::Endpoint server_;
    const SntpServices& services_;
    QueryOutcome& outcome_;
    platform::UdpSocket socket_;
    NtpTimestamp stamp_;
    platform::UtcTime sent_{};
    bool gone_ = false;
};

}  // namespace

QueryOutcome QueryTimeServer(const ServerAddress& server, std::chrono::milliseconds timeout,
                             const SntpServices& services) {
    QueryOutcome outcome;
    platform::LookupOutcome found = ResolveServer(server.host, services.Lookup);
    if (found.error != 0 || found.addresses.empty()) {
        outcome.failure = QueryFailure::HostNotFound;
        outcome.socketError = found.error;
        return outcome;
    }
    outcome.addresses = std::move(found.addresses);
    const auto deadline = Steady::now() + timeout;
    const std::size_t count = outcome.addresses.size();
    for (std::size_t index = 0; index < count; ++index) {
        const auto until = Steady::now() + (deadline - Steady::now()) / static_cast<long>(count - index);
        Exchange exchange({outcome.addresses[index], server.port}, services, outcome);
        if (exchange.Run(until, timeout)) {
            outcome.failure = QueryFailure::None;
            return outcome;
        }
        if (services.Cancelled != nullptr && services.Cancelled->load()) break;
    }
    outcome.failure = outcome.rejection == ReplyCheck::Accepted ? QueryFailure::NoReply : QueryFailure::BadReply;
    return outcome;
}

}  // namespace kairos
