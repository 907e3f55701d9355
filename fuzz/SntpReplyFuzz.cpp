// Any bytes as an SNTP reply: the acceptance checks must take only a server's
// whole packet that echoes the request, the usability check must reject what
// can never set a clock, and every timestamp must convert to a finite moment
// that converts back to the same instant, give or take the millisecond cut.
//
// Input: 8 bytes of the request's transmit timestamp, 1 byte choosing the
// sender (even: the server; odd: a stranger's port), 1 byte of time-zone
// bias, then the datagram.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "nettime/IdSNTP.h"

namespace {

using kairos::NtpTimestamp;
using kairos::SntpPacket;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "SntpReply: %s\n", what);
    std::abort();
}

std::uint32_t Word(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

// Seconds from b to a, across an era boundary too.
double SecondsApart(NtpTimestamp a, NtpTimestamp b) {
    const auto whole = static_cast<std::int32_t>(a.Seconds - b.Seconds);
    return whole + (static_cast<double>(a.Fraction) - static_cast<double>(b.Fraction)) / 4'294'967'297.0;
}

void CheckVerdict(kairos::ReplyVerdict verdict, std::string_view datagram, bool fromServer, NtpTimestamp sent) {
    if (verdict != kairos::ReplyVerdict::Accepted) return;
    const auto reply = kairos::DecodeSntpPacket(datagram);
    if (!reply) Fail("accepted a datagram that is no packet");
    if (!fromServer) Fail("accepted a stranger's datagram");
    if (kairos::PacketMode(*reply) != 4) Fail("accepted a mode other than server");
    if (kairos::PacketVersion(*reply) < 3 || kairos::PacketVersion(*reply) > 4) Fail("accepted an unknown version");
    if (reply->Originate != sent) Fail("accepted a reply to another request");
}

void CheckUsability(const SntpPacket& reply) {
    const kairos::TIdSNTP sntp(kairos::SntpServices{.TimeZoneBias = [] { return 0; }});
    const bool unusable = sntp.IsReplyUnusable(reply);
    if (kairos::LeapIndicator(reply) == 3 && !unusable) Fail("took an unsynchronised server");
    if (reply.Transmit == NtpTimestamp{} && !unusable) Fail("took a reply without a transmit time");
    if ((reply.Stratum == 0 || reply.Stratum > 15) && !unusable) Fail("took a stratum out of 1 to 15");
}

void CheckConversion(NtpTimestamp timestamp, double biasDays) {
    const kairos::TDateTime moment = kairos::NtpToMoment(timestamp, biasDays);
    if (!std::isfinite(moment)) Fail("a timestamp gave no moment");
    const NtpTimestamp back = kairos::MomentToNtp(moment, biasDays);
    // The cut loses under a millisecond; the way back may lose one more.
    const double apart = SecondsApart(back, timestamp);
    if (apart > 1e-5 || apart < -0.002) Fail("a timestamp did not convert back to its instant");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    const NtpTimestamp sent{Word(data), Word(data + 4)};
    const bool fromServer = data[8] % 2 == 0;
    // -720 to +840 minutes, in quarter hours: every zone on Earth.
    const double biasDays = (static_cast<int>(data[9] % 103) * 15 - 720) / 1440.0;
    const std::string_view datagram(reinterpret_cast<const char*>(data + 10), size - 10);

    const kairos::TIdPeer server{"127.0.0.1", 123};
    const kairos::TIdPeer sender = fromServer ? server : kairos::TIdPeer{"127.0.0.1", 124};
    CheckVerdict(kairos::JudgeReply(datagram, sender, server, sent), datagram, fromServer, sent);

    const auto reply = kairos::DecodeSntpPacket(datagram);
    if (!reply) return 0;
    CheckUsability(*reply);
    for (const NtpTimestamp& timestamp : {reply->Originate, reply->Receive, reply->Transmit}) {
        CheckConversion(timestamp, biasDays);
    }
    return 0;
}
