#include "nettime/SntpPacket.h"

namespace kairos {
namespace {

using std::chrono::nanoseconds;
using std::chrono::seconds;

// 1900-01-01 00:00 UTC, the start of NTP era 0, on the Unix time line.
constexpr seconds NtpEpoch{-2'208'988'800};
constexpr std::int64_t EraSeconds = 4'294'967'296;  // 2^32
constexpr std::uint32_t EraZeroMarker = 0x8000'0000U;
constexpr std::uint64_t NanosecondsPerSecond = 1'000'000'000;

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

}  // namespace

std::array<std::uint8_t, SntpPacketSize> EncodeSntpPacket(const SntpPacket& packet) {
    std::array<std::uint8_t, SntpPacketSize> bytes{};
    bytes[0] = packet.LeapVersionMode;
    bytes[1] = packet.Stratum;
    bytes[2] = packet.Poll;
    bytes[3] = static_cast<std::uint8_t>(packet.Precision);
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
    packet.Precision = static_cast<std::int8_t>(datagram[3]);
    packet.RootDelay = GetWord(datagram, 4);
    packet.RootDispersion = GetWord(datagram, 8);
    packet.ReferenceId = GetWord(datagram, 12);
    packet.Reference = GetTimestamp(datagram, 16);
    packet.Originate = GetTimestamp(datagram, 24);
    packet.Receive = GetTimestamp(datagram, 32);
    packet.Transmit = GetTimestamp(datagram, 40);
    return packet;
}

platform::UtcTime NtpToUtc(NtpTimestamp timestamp) {
    std::int64_t whole = timestamp.Seconds;
    if ((timestamp.Seconds & EraZeroMarker) == 0) whole += EraSeconds;
    // Below 2^32 * 10^9 < 2^62: no overflow.
    const auto fraction = static_cast<std::int64_t>((timestamp.Fraction * NanosecondsPerSecond) >> 32);
    return platform::UtcTime(NtpEpoch + seconds(whole) + nanoseconds(fraction));
}

NtpTimestamp UtcToNtp(platform::UtcTime instant) {
    const nanoseconds sinceEpoch = instant.time_since_epoch() - NtpEpoch;
    const auto whole = std::chrono::floor<seconds>(sinceEpoch);
    const auto part = static_cast<std::uint64_t>((sinceEpoch - whole).count());
    const std::uint64_t fraction = ((part << 32) + NanosecondsPerSecond - 1) / NanosecondsPerSecond;
    return {static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole.count()) % EraSeconds),
            static_cast<std::uint32_t>(fraction)};
}

std::chrono::nanoseconds NtpShortToDuration(std::uint32_t value) {
    return nanoseconds(static_cast<std::int64_t>((std::uint64_t{value} * NanosecondsPerSecond) >> 16));
}

}  // namespace kairos
