#include "nettime/IdSNTP.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

namespace kairos {
namespace {

// 2^32 + 1, not 2^32: the clock has always scaled fractions so, and its
// readings stay comparable with earlier versions'.
constexpr double FractionScale = 4'294'967'297.0;
constexpr std::uint64_t FractionScaleInt = 4'294'967'297ULL;
constexpr double EraSeconds = 4'294'967'296.0;     // 2^32
constexpr std::int64_t EraSecondsInt = 4'294'967'296LL;
constexpr double SecondsPerDay = 86'400.0;
constexpr double NtpEpochMoment = 2.0;  // 1900-01-01 00:00 as a TDateTime
constexpr std::uint32_t EraZeroMarker = 0x8000'0000U;
constexpr int ServerMode = 4;

void PutWord(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetWord(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

NtpTimestamp GetTimestamp(std::string_view bytes, std::size_t offset) {
    return {GetWord(bytes, offset), GetWord(bytes, offset + 4)};
}

void PutTimestamp(std::uint8_t* at, NtpTimestamp timestamp) {
    PutWord(at, timestamp.Seconds);
    PutWord(at + 4, timestamp.Fraction);
}

std::uint32_t FractionWord(double fractionOfSecond) {
    const double scaled = std::trunc(fractionOfSecond * FractionScale);
    // 2^32 + 1 overshoots the word for the last 2^-32 of a second.
    if (scaled >= EraSeconds) return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(scaled);
}

// The wait still left for a reply. A negative timeout (no limit) is passed on
// as it is; the rest is rounded up so that the last wait does not end early.
class ReplyDeadline {
public:
    explicit ReplyDeadline(int timeoutMs)
        : timeoutMs_(timeoutMs), end_(Steady::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs)) {}

    int RemainingMs() const {
        if (timeoutMs_ < 0) return timeoutMs_;
        const auto left = end_ - Steady::now();
        if (left <= Steady::duration::zero()) return 0;
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

    bool Expired() const { return timeoutMs_ >= 0 && RemainingMs() == 0; }

private:
    using Steady = std::chrono::steady_clock;
    int timeoutMs_;
    Steady::time_point end_;
};

}  // namespace

std::array<std::uint8_t, SntpPacketSize> EncodeSntpPacket(const SntpPacket& packet) {
    std::array<std::uint8_t, SntpPacketSize> bytes{};
    bytes[0] = packet.LeapVersionMode;
    bytes[1] = packet.Stratum;
    bytes[2] = packet.Poll;
    bytes[3] = packet.Precision;
    PutWord(&bytes[4], packet.RootDelay);
    PutWord(&bytes[8], packet.RootDispersion);
    PutWord(&bytes[12], packet.ReferenceId);
    PutTimestamp(&bytes[16], packet.Reference);
    PutTimestamp(&bytes[24], packet.Originate);
    PutTimestamp(&bytes[32], packet.Receive);
    PutTimestamp(&bytes[40], packet.Transmit);
    return bytes;
}

std::optional<SntpPacket> DecodeSntpPacket(std::string_view datagram) {
    if (datagram.size() != SntpPacketSize) return std::nullopt;
    SntpPacket packet;
    packet.LeapVersionMode = static_cast<std::uint8_t>(datagram[0]);
    packet.Stratum = static_cast<std::uint8_t>(datagram[1]);
    packet.Poll = static_cast<std::uint8_t>(datagram[2]);
    packet.Precision = static_cast<std::uint8_t>(datagram[3]);
    packet.RootDelay = GetWord(datagram, 4);
    packet.RootDispersion = GetWord(datagram, 8);
    packet.ReferenceId = GetWord(datagram, 12);
    packet.Reference = GetTimestamp(datagram, 16);
    packet.Originate = GetTimestamp(datagram, 24);
    packet.Receive = GetTimestamp(datagram, 32);
    packet.Transmit = GetTimestamp(datagram, 40);
    return packet;
}

NtpTimestamp MomentToNtp(TDateTime moment, double biasDays) {
    const double seconds = (moment + biasDays - NtpEpochMoment) * SecondsPerDay;
    if (!std::isfinite(seconds)) return {};
    // Floor, not truncation: equal for every moment after 1900, and it keeps
    // the fraction in [0, 1) before it.
    const double whole = std::floor(seconds);
    double wrapped = std::fmod(whole, EraSeconds);
    if (wrapped < 0) wrapped += EraSeconds;
    return {static_cast<std::uint32_t>(wrapped), FractionWord(seconds - whole)};
}

TDateTime NtpToMoment(NtpTimestamp timestamp, double biasDays) {
    std::int64_t seconds = timestamp.Seconds;
    if ((timestamp.Seconds & EraZeroMarker) == 0) seconds += EraSecondsInt;
    const auto milliseconds = static_cast<std::int64_t>(timestamp.Fraction * 1000ULL / FractionScaleInt);
    const double totalMs = static_cast<double>(seconds * 1000 + milliseconds);
    return totalMs / static_cast<double>(MillisecondsPerDay) - biasDays + NtpEpochMoment;
}

ReplyVerdict JudgeReply(std::string_view datagram, const TIdPeer& sender, const TIdPeer& destination,
                        NtpTimestamp requestTransmit) {
    const auto reply = DecodeSntpPacket(datagram);
    if (!reply) return ReplyVerdict::WrongLength;
    if (sender.IP != destination.IP || sender.Port != destination.Port) return ReplyVerdict::WrongSender;
    if (PacketMode(*reply) != ServerMode) return ReplyVerdict::NotServerMode;
    const int version = PacketVersion(*reply);
    if (version != 3 && version != 4) return ReplyVerdict::UnsupportedVersion;
    if (reply->Originate != requestTransmit) return ReplyVerdict::WrongOriginate;
    return ReplyVerdict::Accepted;
}

TIdSNTP::TIdSNTP(SntpServices services) : services_(std::move(services)) { SetPort(SntpPort); }

double TIdSNTP::LocalUtcBias() const { return services_.TimeZoneBias() / 1440.0; }

NtpTimestamp TIdSNTP::MomentToNtp(TDateTime moment) const { return kairos::MomentToNtp(moment, LocalUtcBias()); }

TDateTime TIdSNTP::NtpToMoment(NtpTimestamp timestamp) const {
    return kairos::NtpToMoment(timestamp, LocalUtcBias());
}

bool TIdSNTP::IsReplyUnusable(const SntpPacket& reply) const {
    constexpr int Unsynchronised = 3;
    if (LeapIndicator(reply) == Unsynchronised) return true;
    if (reply.Transmit == NtpTimestamp{}) return true;
    return stratumCheck_ == StratumCheckMode::On && (reply.Stratum == 0 || reply.Stratum > 15);
}

TDateTime TIdSNTP::QueryServerTime() {
    // A new socket, so a new random local port, for every exchange: a reply
    // aimed at an earlier one's port cannot land here.
    SetActive(false);
    SntpPacket request;
    request.LeapVersionMode = SntpClientRequestHeader;
    request.Transmit = MomentToNtp(services_.Clock.Now());
    SetBufferSize(static_cast<int>(SntpPacketSize));
    const auto bytes = EncodeSntpPacket(request);
    SendDatagram(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));

    const auto reply = AwaitReply(request.Transmit);
    if (!reply) return 0;
    TakeTimes(*reply, services_.Clock.Now());
    return IsReplyUnusable(*reply) ? 0 : transmitMoment_;
}

// Anything but the reply to this request is dropped as if it had not come,
// and the wait goes on for the time left; only time running out ends it, so
// that a stream of junk cannot hold the exchange open either.
std::optional<SntpPacket> TIdSNTP::AwaitReply(NtpTimestamp requestTransmit) {
    const ReplyDeadline deadline(ReceiveTimeout());
    const TIdPeer destination = LastDestination();
    for (;;) {
        TIdPeer sender;
        const auto datagram = ReceiveAny(deadline.RemainingMs(), sender);
        if (!datagram) return std::nullopt;
        if (JudgeReply(*datagram, sender, destination, requestTransmit) == ReplyVerdict::Accepted) {
            return DecodeSntpPacket(*datagram);
        }
        if (deadline.Expired()) return std::nullopt;
    }
}

std::optional<std::string> TIdSNTP::ReceiveAny(int waitMs, TIdPeer& sender) {
    try {
        std::string datagram = ReceiveDatagram(waitMs, sender);
        // An empty datagram names its sender; running out of time does not.
        if (datagram.empty() && sender.IP.empty()) return std::nullopt;
        return datagram;
    } catch (const EIdSocketError& error) {
        // An oversized datagram is consumed; whoever sent it, it is not the
        // reply, and it must not end the wait.
        if (error.LastError() != WSAEMSGSIZE) throw;
        return std::string();
    }
}

void TIdSNTP::TakeTimes(const SntpPacket& reply, TDateTime destination) {
    destinationMoment_ = destination;
    originateMoment_ = NtpToMoment(reply.Originate);
    receiveMoment_ = NtpToMoment(reply.Receive);
    transmitMoment_ = NtpToMoment(reply.Transmit);
    pathDelay_ = (destinationMoment_ - originateMoment_) - (transmitMoment_ - receiveMoment_);
    clockOffset_ = ((receiveMoment_ - originateMoment_) + (transmitMoment_ - destinationMoment_)) / 2;
}

bool TIdSNTP::SyncClock() {
    if (QueryServerTime() == 0) return false;
    return SetLocalClock(originateMoment_ + clockOffset_ + pathDelay_);
}

bool TIdSNTP::SetLocalClock(TDateTime moment) { return services_.Setter.SetLocalTime(moment); }

}  // namespace kairos
