// Any bytes as the reply to one SNTP request: a reply may only be accepted
// when it is a sound answer to that very request, from that server, and then
// its offset and delay must be the exact arithmetic of the four timestamps; a
// refusal must name the first check that fails; and every timestamp must
// convert to an instant that converts back to itself, the timestamp losing
// no more than what lies under a nanosecond.
//
// Input, big-endian:
//   bytes 0-7   the request's transmit stamp (seconds, fraction)
//   bytes 8-15  T1: taken modulo the nanoseconds from 1970 to 2200, after 1970
//   bytes 16-19 T4 - T1: the top two bits choose the scale (see RoundTrip)
//   byte 20     bit 0: the server is IPv4 or IPv6; bits 1-2: the sender is
//               the server, its address on another port, another address on
//               its port, or its address as the other family shows it
//   the rest    the datagram

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "nettime/ReplyCheck.h"
#include "nettime/SntpPacket.h"

namespace {

using namespace std::chrono;
using kairos::NtpTimestamp;
using kairos::ReplyCheck;
using kairos::SntpPacket;
using kairos::platform::AddressFamily;
using kairos::platform::Endpoint;
using kairos::platform::IpAddress;
using kairos::platform::UtcTime;

// The offset's exact sum of two differences may need 65 bits.
__extension__ typedef __int128 Wide;

constexpr std::size_t HeaderSize = 21;
constexpr nanoseconds MaxDelay = 3s;
constexpr auto FirstRule = static_cast<int>(ReplyCheck::WrongLength);
constexpr auto LastRule = static_cast<int>(ReplyCheck::DelayTooLong);

[[noreturn]] void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "SntpReply: %s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

std::uint32_t Word(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

UtcTime SentAt(std::uint64_t choice) {
    const nanoseconds span = sys_days(year(2200) / 1 / 1) - sys_days(year(1970) / 1 / 1);
    return UtcTime(nanoseconds(static_cast<std::int64_t>(choice % static_cast<std::uint64_t>(span.count()))));
}

// Mostly a true round trip, to the nanosecond up to 1.07 s or in 4 ns steps
// up to 4.3 s; otherwise a clock stepped back by up to 18 minutes while we
// waited, or by up to 36 years either way. T4 stays within 1933 to 2237, so
// no difference of two instants here leaves 64-bit nanoseconds.
nanoseconds RoundTrip(std::uint32_t choice) {
    const std::int64_t part = choice & 0x3FFF'FFFF;
    switch (choice >> 30) {
        case 0: return nanoseconds(part);
        case 1: return nanoseconds(part * 4);
        case 2: return -microseconds(part);
        default: return nanoseconds((part - (1 << 29)) * (std::int64_t{1} << 31));
    }
}

IpAddress V6(std::initializer_list<std::uint8_t> head, std::uint8_t last) {
    IpAddress address{AddressFamily::V6, {}};
    std::size_t i = 0;
    for (const std::uint8_t byte : head) address.bytes[i++] = byte;
    address.bytes[15] = last;
    return address;
}

Endpoint ServerOf(std::uint8_t choice) {
    if (choice % 2 == 0) return {IpAddress::V4(192, 0, 2, 123), kairos::SntpPort};
    return {V6({0x20, 0x01, 0x0D, 0xB8}, 0x23), kairos::SntpPort};
}

Endpoint SenderOf(std::uint8_t choice, const Endpoint& server) {
    Endpoint sender = server;
    switch ((choice >> 1) & 3) {
        case 0: break;
        case 1: sender.port = kairos::SntpPort + 1; break;
        case 2: sender.address.bytes[server.address.family == AddressFamily::V4 ? 3 : 15] ^= 1; break;
        default:
            // ::ffff:192.0.2.123 as a dual-stack socket reports it, or the
            // first four bytes of the IPv6 address as an IPv4 one.
            if (server.address.family == AddressFamily::V4) {
                sender.address = V6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 192, 0, 2}, 123);
            } else {
                const auto& b = server.address.bytes;
                sender.address = IpAddress::V4(b[0], b[1], b[2], b[3]);
            }
    }
    return sender;
}

// 2^exponent seconds, rounded down to the nanosecond, which decides the same
// comparisons with a whole number of nanoseconds as the exact value; empty
// when it is longer than any delay that can come out here.
std::optional<nanoseconds> StatedPrecision(int exponent) {
    if (exponent > 32) return std::nullopt;
    if (exponent >= 0) return seconds(std::int64_t{1} << exponent);
    return nanoseconds(exponent < -30 ? 0 : 1'000'000'000LL >> -exponent);
}

// The way back must give the same instant to the nanosecond, and the same
// timestamp but for what lies under a nanosecond: a nanosecond spans 4.29
// fractions, so NtpToUtc cannot tell them apart.
void CheckConversion(NtpTimestamp timestamp) {
    const UtcTime instant = kairos::NtpToUtc(timestamp);
    const UtcTime eraStart = sys_days(year(1968) / 1 / 20) + 3h + 14min + 8s;
    if (instant < eraStart || instant >= eraStart + seconds(std::int64_t{1} << 32))
        Fail("a timestamp fell outside 1968 to 2104");
    const NtpTimestamp back = kairos::UtcToNtp(instant);
    if (kairos::NtpToUtc(back) != instant) Fail("an instant did not convert back to itself");
    if (back.Seconds != timestamp.Seconds || back.Fraction > timestamp.Fraction ||
        timestamp.Fraction - back.Fraction > 4)
        Fail("a timestamp came back other than cut to the nanosecond");
}

void CheckSample(const kairos::SntpSample& sample, const SntpPacket& reply, const Endpoint& server, UtcTime t1,
                 UtcTime t4) {
    const UtcTime t2 = kairos::NtpToUtc(reply.Receive);
    const UtcTime t3 = kairos::NtpToUtc(reply.Transmit);
    if (sample.delay != (t4 - t1) - (t3 - t2)) Fail("the delay is not (T4 - T1) - (T3 - T2)");
    const Wide twice = Wide{(t2 - t1).count()} + Wide{(t3 - t4).count()};
    const Wide error = 2 * Wide{sample.offset.count()} - twice;
    if (error < -2 || error > 2) Fail("the offset is not ((T2 - T1) + (T3 - T4)) / 2");
    if (sample.received != t4) Fail("the sample was not received at T4");
    if (sample.stratum != reply.Stratum) Fail("the sample has another stratum than the reply");
    if (sample.server != server) Fail("the sample names another server");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < HeaderSize) return 0;
    const NtpTimestamp stamp{Word(data), Word(data + 4)};
    const UtcTime t1 = SentAt((std::uint64_t{Word(data + 8)} << 32) | Word(data + 12));
    const UtcTime t4 = t1 + RoundTrip(Word(data + 16));
    const Endpoint server = ServerOf(data[20]);
    const Endpoint sender = SenderOf(data[20], server);
    const std::string_view datagram(reinterpret_cast<const char*>(data + HeaderSize), size - HeaderSize);

    const kairos::ReplyJudgement judgement = kairos::JudgeReply(datagram, sender, server, stamp, {t1, t4}, MaxDelay);
    const ReplyCheck verdict = judgement.check;
    const std::string_view name = kairos::ReplyCheckName(verdict);

    const auto reply = kairos::DecodeSntpPacket(datagram);
    if (!reply) {
        if (datagram.size() == kairos::SntpPacketSize) Fail("a whole packet did not decode");
        if (verdict != ReplyCheck::WrongLength) Fail("a datagram of another length than a packet's was", name);
        return 0;
    }
    for (const NtpTimestamp timestamp : {reply->Reference, reply->Originate, reply->Receive, reply->Transmit})
        CheckConversion(timestamp);

    // Whether each check fails, in the order the header lists them.
    const nanoseconds delay =
        (t4 - t1) - (kairos::NtpToUtc(reply->Transmit) - kairos::NtpToUtc(reply->Receive));
    const std::optional<nanoseconds> precision = StatedPrecision(reply->Precision);
    const int version = kairos::PacketVersion(*reply);
    constexpr NtpTimestamp zero{};
    std::array<bool, LastRule + 1> fails{};
    const auto rule = [&fails](ReplyCheck check) -> bool& { return fails[static_cast<std::size_t>(check)]; };
    rule(ReplyCheck::WrongSender) = sender != server;
    rule(ReplyCheck::NotServerMode) = kairos::PacketMode(*reply) != 4;
    rule(ReplyCheck::UnsupportedVersion) = version != 3 && version != 4;
    rule(ReplyCheck::WrongOriginate) = reply->Originate != stamp;
    rule(ReplyCheck::Unsynchronised) = kairos::LeapIndicator(*reply) == 3;
    rule(ReplyCheck::BadStratum) = reply->Stratum == 0 || reply->Stratum > 15;
    rule(ReplyCheck::ZeroTimestamp) = reply->Originate == zero || reply->Receive == zero || reply->Transmit == zero;
    rule(ReplyCheck::NegativeDelay) = precision && delay < -(*precision + 1us);
    rule(ReplyCheck::DelayTooLong) = delay > MaxDelay;
    // In units of 2^-17 s, where the half of the root delay is exact.
    rule(ReplyCheck::RootDistanceTooLong) =
        std::uint64_t{reply->RootDelay} + 2 * std::uint64_t{reply->RootDispersion} >= std::uint64_t{32} << 16;

    if (verdict == ReplyCheck::Accepted) {
        for (int check = FirstRule; check <= LastRule; ++check)
            if (fails[static_cast<std::size_t>(check)])
                Fail("accepted a reply that fails the check", kairos::ReplyCheckName(static_cast<ReplyCheck>(check)));
        CheckSample(judgement.sample, *reply, server, t1, t4);
        return 0;
    }

    // A server may claim a clock far coarser than any real one; a refusal
    // need not believe more than a second of it.
    const bool named = verdict == ReplyCheck::NegativeDelay
                           ? delay < -(std::min(precision.value_or(1s), nanoseconds(1s)) + 1us)
                           : rule(verdict);
    if (!named) Fail("refused a reply for a reason it does not have:", name);
    for (int check = FirstRule; check < static_cast<int>(verdict); ++check) {
        if (fails[static_cast<std::size_t>(check)]) Fail("refused a reply for a later reason than its first:", name);
    }
    return 0;
}
