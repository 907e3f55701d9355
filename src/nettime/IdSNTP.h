#pragma once
// The SNTP client: one request, one reply, the clock offset and round-trip
// delay from the four timestamps, and the setting of the clock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "nettime/IdUDPClient.h"
#include "platform/Clock.h"
#include "platform/ClockSetter.h"
#include "platform/DateTime.h"

namespace kairos {

inline constexpr int SntpPort = 123;
inline constexpr std::size_t SntpPacketSize = 48;

// An NTP timestamp in host order: seconds of the NTP era and a fraction of
// a second.
struct NtpTimestamp {
    std::uint32_t Seconds = 0;
    std::uint32_t Fraction = 0;

    friend bool operator==(const NtpTimestamp&, const NtpTimestamp&) = default;
};

// One packet in host order; EncodeSntpPacket and DecodeSntpPacket make and
// read the big-endian wire form, whose offsets the members follow.
struct SntpPacket {
    std::uint8_t LeapVersionMode = 0;  // leap indicator bits 7-6, version 5-3, mode 2-0
    std::uint8_t Stratum = 0;
    std::uint8_t Poll = 0;
    std::uint8_t Precision = 0;
    std::uint32_t RootDelay = 0;
    std::uint32_t RootDispersion = 0;
    std::uint32_t ReferenceId = 0;
    NtpTimestamp Reference;
    NtpTimestamp Originate;
    NtpTimestamp Receive;
    NtpTimestamp Transmit;
};
static_assert(sizeof(NtpTimestamp) == 8);
static_assert(sizeof(SntpPacket) == SntpPacketSize);
static_assert(offsetof(SntpPacket, Stratum) == 1);
static_assert(offsetof(SntpPacket, RootDelay) == 4);
static_assert(offsetof(SntpPacket, ReferenceId) == 12);
static_assert(offsetof(SntpPacket, Reference) == 16);
static_assert(offsetof(SntpPacket, Originate) == 24);
static_assert(offsetof(SntpPacket, Receive) == 32);
static_assert(offsetof(SntpPacket, Transmit) == 40);

inline constexpr std::uint8_t SntpClientRequestHeader = 0x1B;  // leap 0, version 3, mode 3

inline int LeapIndicator(const SntpPacket& packet) { return packet.LeapVersionMode >> 6; }
inline int PacketVersion(const SntpPacket& packet) { return (packet.LeapVersionMode >> 3) & 7; }
inline int PacketMode(const SntpPacket& packet) { return packet.LeapVersionMode & 7; }

std::array<std::uint8_t, SntpPacketSize> EncodeSntpPacket(const SntpPacket& packet);
// Empty unless the datagram is exactly one packet long.
std::optional<SntpPacket> DecodeSntpPacket(std::string_view datagram);

// biasDays: UTC minus local time, in days. Seconds with the top bit clear
// belong to the era that starts 2036-02-07 06:28:16 UTC; moments from then on
// are sent with the seconds wrapped the same way. Fractions scale by
// 2^32 + 1 and are read back cut to whole milliseconds.
NtpTimestamp MomentToNtp(TDateTime moment, double biasDays);
TDateTime NtpToMoment(NtpTimestamp timestamp, double biasDays);

// Why a datagram is not taken as the reply to a request.
enum class ReplyVerdict {
    Accepted,
    WrongLength,
    WrongSender,
    NotServerMode,
    UnsupportedVersion,
    WrongOriginate,
};

// A reply must come from where the request went, be a server's (mode 4,
// version 3 or 4), and echo the request's transmit timestamp bit for bit:
// anything else may be forged or stale.
ReplyVerdict JudgeReply(std::string_view datagram, const TIdPeer& sender, const TIdPeer& destination,
                        NtpTimestamp requestTransmit);

// What the client reads and changes of the machine; tests hand in fakes.
struct SntpServices {
    const platform::Clock& Clock = platform::SystemClock();
    platform::ClockSetter& Setter = platform::SystemClockSetter();
    // Minutes to add to local time for UTC, asked at every conversion.
    std::function<int()> TimeZoneBias = platform::LocalTimeZoneBias;
};

enum class StratumCheckMode { Off, On };

class TIdSNTP : public TIdUDPClient {
public:
    explicit TIdSNTP(SntpServices services = {});

    // One exchange and, with a usable reply, the setting of the clock; true
    // only when the clock was set.
    bool SyncClock();
    // One exchange; the server's transmit time, local, or 0 when no usable
    // reply came in time. Fills the time fields from an accepted reply.
    TDateTime QueryServerTime();

    bool IsReplyUnusable(const SntpPacket& reply) const;
    NtpTimestamp MomentToNtp(TDateTime moment) const;
    TDateTime NtpToMoment(NtpTimestamp timestamp) const;
    // UTC minus local time, in days.
    double LocalUtcBias() const;
    bool SetLocalClock(TDateTime moment);

    TDateTime DestinationMoment() const { return destinationMoment_; }
    TDateTime OriginateMoment() const { return originateMoment_; }
    TDateTime ReceiveMoment() const { return receiveMoment_; }
    TDateTime TransmitMoment() const { return transmitMoment_; }
    // In days.
    double ClockOffset() const { return clockOffset_; }
    double PathDelay() const { return pathDelay_; }

    StratumCheckMode StratumCheck() const { return stratumCheck_; }
    void SetStratumCheck(StratumCheckMode mode) { stratumCheck_ = mode; }

private:
    std::optional<SntpPacket> AwaitReply(NtpTimestamp requestTransmit);
    // One datagram, empty when it was too long to take in; nothing when the
    // wait ran out.
    std::optional<std::string> ReceiveAny(int waitMs, TIdPeer& sender);
    void TakeTimes(const SntpPacket& reply, TDateTime destination);

    SntpServices services_;
    StratumCheckMode stratumCheck_ = StratumCheckMode::On;
    TDateTime destinationMoment_ = 0;
    TDateTime originateMoment_ = 0;
    TDateTime receiveMoment_ = 0;
    TDateTime transmitMoment_ = 0;
    double clockOffset_ = 0;
    double pathDelay_ = 0;
};

}  // namespace kairos
