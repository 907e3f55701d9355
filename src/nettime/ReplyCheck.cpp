#include "nettime/ReplyCheck.h"

namespace kairos {
namespace {

using std::chrono::nanoseconds;

constexpr int ServerMode = 4;
constexpr int UnsynchronisedLeap = 3;
constexpr int MaxStratum = 15;
// Our own clock is read to the nanosecond but not that exactly; a true delay
// may come out this far below zero beside the server's stated precision.
constexpr nanoseconds ClientPrecision{1'000};

ReplyCheck CheckAddressing(const SntpPacket& reply, const platform::Endpoint& sender,
                           const platform::Endpoint& destination, NtpTimestamp requestStamp) {
    if (sender != destination) return ReplyCheck::WrongSender;
    if (PacketMode(reply) != ServerMode) return ReplyCheck::NotServerMode;
    const int version = PacketVersion(reply);
    if (version != 3 && version != 4) return ReplyCheck::UnsupportedVersion;
    if (reply.Originate != requestStamp) return ReplyCheck::WrongOriginate;
    return ReplyCheck::Accepted;
}

ReplyCheck CheckHeader(const SntpPacket& reply) {
    if (LeapIndicator(reply) == UnsynchronisedLeap) return ReplyCheck::Unsynchronised;
    if (reply.Stratum == 0 || reply.Stratum > MaxStratum) return ReplyCheck::BadStratum;
    constexpr NtpTimestamp zero{};
    if (reply.Originate == zero || reply.Receive == zero || reply.Transmit == zero) return ReplyCheck::ZeroTimestamp;
    // In units of 2^-17 s half the root delay is exact; nanoseconds would cut
    // both parts down and let a distance of exactly 16 s through.
    const std::chrono::duration<std::int64_t, std::ratio<1, 131'072>> rootDistance(
        std::int64_t{reply.RootDelay} + 2 * std::int64_t{reply.RootDispersion});
    if (rootDistance >= MaxRootDistance) return ReplyCheck::RootDistanceTooLong;
    return ReplyCheck::Accepted;
}

// 2^precision seconds; the field is a signed power of two.
nanoseconds PrecisionOf(const SntpPacket& reply) {
    const int exponent = reply.Precision;
    if (exponent >= 0) return std::chrono::seconds(1) * (exponent > 30 ? (1LL << 30) : (1LL << exponent));
    return exponent < -30 ? nanoseconds(0) : nanoseconds(1'000'000'000LL >> -exponent);
}

}  // namespace

std::string_view ReplyCheckName(ReplyCheck check) {
    switch (check) {
        case ReplyCheck::Accepted: return "accepted";
        case ReplyCheck::WrongLength: return "wrong length";
        case ReplyCheck::WrongSender: return "wrong sender";
        case ReplyCheck::NotServerMode: return "not a server's reply";
        case ReplyCheck::UnsupportedVersion: return "unsupported version";
        case ReplyCheck::WrongOriginate: return "answers another request";
        case ReplyCheck::Unsynchronised: return "server unsynchronised";
        case ReplyCheck::BadStratum: return "bad stratum";
        case ReplyCheck::ZeroTimestamp: return "zero timestamp";
        case ReplyCheck::NegativeDelay: return "negative delay";
        case ReplyCheck::DelayTooLong: return "delay too long";
        case ReplyCheck::RootDistanceTooLong: return "root distance too long";
    }
    return "unknown";
}

ReplyJudgement JudgeReply(std::string_view datagram, const platform::Endpoint& sender,
                          const platform::Endpoint& destination, NtpTimestamp requestStamp, ExchangeTimes times,
                          nanoseconds maxDelay) {
    ReplyJudgement judgement;
    const auto reply = DecodeSntpPacket(datagram);
    if (!reply) return judgement;
    judgement.check = CheckAddressing(*reply, sender, destination, requestStamp);
    if (judgement.check == ReplyCheck::Accepted) judgement.check = CheckHeader(*reply);
    if (judgement.check != ReplyCheck::Accepted) return judgement;

    // Exact integer arithmetic: a double of nanoseconds since 1970 would lose
    // a quarter of a microsecond.
    const nanoseconds serverHeld = NtpToUtc(reply->Transmit) - NtpToUtc(reply->Receive);
    const nanoseconds delay = (times.received - times.sent) - serverHeld;
    if (delay < -(PrecisionOf(*reply) + ClientPrecision)) judgement.check = ReplyCheck::NegativeDelay;
    else if (delay > maxDelay) judgement.check = ReplyCheck::DelayTooLong;
    if (judgement.check != ReplyCheck::Accepted) return judgement;

    const nanoseconds there = NtpToUtc(reply->Receive) - times.sent;
    const nanoseconds back = NtpToUtc(reply->Transmit) - times.received;
    judgement.sample = {destination, there / 2 + back / 2 + (there % 2 + back % 2) / 2, delay, reply->Stratum,
                        times.received};
    return judgement;
}

}  // namespace kairos
