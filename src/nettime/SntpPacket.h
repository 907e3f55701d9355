#pragma once
// The 48-byte SNTP packet, its NTP timestamps and their UTC instants.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Clock.h"

namespace kairos {

inline constexpr int SntpPort = 123;
inline constexpr std::size_t SntpPacketSize = 48;

// An NTP timestamp in host order: seconds of the NTP era and a fraction of
// a second in units of 2^-32 s.
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
    std::int8_t Precision = 0;         // log2 of the server clock's precision in seconds
    std::uint32_t RootDelay = 0;       // NTP short format: seconds in 16.16 fixed point
    std::uint32_t RootDispersion = 0;  // the same
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

// Seconds with the top bit set belong to the era that began 1900-01-01, those
// with it clear to the next one, from 2036-02-07 06:28:16 UTC: timestamps
// stand for 1968 to 2104. Fractions convert exactly to the nanosecond (down).
platform::UtcTime NtpToUtc(NtpTimestamp timestamp);
// The wire form of an instant in that range, the fraction rounded up so that
// NtpToUtc gives the same nanosecond back.
NtpTimestamp UtcToNtp(platform::UtcTime instant);

// An NTP short-format value (16.16 fixed-point seconds).
std::chrono::nanoseconds NtpShortToDuration(std::uint32_t value);

}  // namespace kairos
