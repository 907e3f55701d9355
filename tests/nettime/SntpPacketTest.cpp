// The wire form, the timestamps and the judgement of replies, without a
// network.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "nettime/FakeSntpServer.h"
#include "nettime/HostileReplies.h"
#include "nettime/ReplyCheck.h"

namespace kairos {
namespace {

using namespace std::chrono;
using platform::UtcTime;

UtcTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, nanoseconds part = {}) {
    return UtcTime(sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) +
                   seconds(second) + part);
}

TEST(SntpPacketTest, WireFormIsBigEndianAtTheFixedOffsets) {
    SntpPacket packet;
    packet.LeapVersionMode = 0x1B;
    packet.Stratum = 2;
    packet.Precision = -20;
    packet.RootDelay = 0x00010002;
    packet.Originate = {0x11223344, 0x55667788};
    packet.Transmit = {0xDEADBEEF, 0x00000001};
    const std::string wire = testing::Bytes(packet);
    EXPECT_EQ(wire.substr(0, 4), std::string("\x1B\x02\x00\xEC", 4));
    EXPECT_EQ(wire.substr(4, 4), std::string("\x00\x01\x00\x02", 4));
    EXPECT_EQ(wire.substr(24, 8), "\x11\x22\x33\x44\x55\x66\x77\x88");
    EXPECT_EQ(wire.substr(40, 8), std::string("\xDE\xAD\xBE\xEF\x00\x00\x00\x01", 8));
    const auto back = DecodeSntpPacket(wire);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Precision, -20);
    EXPECT_EQ(back->Originate, packet.Originate);
    EXPECT_EQ(back->Transmit, packet.Transmit);
    EXPECT_FALSE(DecodeSntpPacket(wire.substr(0, 47)));
    EXPECT_FALSE(DecodeSntpPacket(wire + '\0'));
}

struct Instant {
    const char* name;
    UtcTime utc;
    NtpTimestamp timestamp;
};
void PrintTo(const Instant& c, std::ostream* os) { *os << c.name; }

class NtpInstantTest : public ::testing::TestWithParam<Instant> {};

TEST_P(NtpInstantTest, ConvertsBothWays) {
    EXPECT_EQ(NtpToUtc(GetParam().timestamp), GetParam().utc);
    EXPECT_EQ(UtcToNtp(GetParam().utc), GetParam().timestamp);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NtpInstantTest,
    ::testing::Values(Instant{"UnixEpoch", At(1970, 1, 1), {2'208'988'800u, 0}},
                      Instant{"HalfASecond", At(2026, 12, 8, 12, 0, 0, 500ms), {4'005'720'000u, 0x8000'0000u}},
                      // 2^-32 s is under a nanosecond: the fraction is rounded up so it reads back the same
                      Instant{"OneNanosecond", At(2026, 12, 8, 12, 0, 0, 1ns), {4'005'720'000u, 5}},
                      Instant{"LastSecondOfEraZero", At(2036, 2, 7, 6, 28, 15), {0xFFFF'FFFFu, 0}},
                      Instant{"StartOfEraOne", At(2036, 2, 7, 6, 28, 16), {0, 0}},
                      Instant{"EraOne", At(2040, 1, 1), {0x0754'FD00u, 0}},
                      Instant{"EarliestOfEraZero", At(1968, 1, 20, 3, 14, 8), {0x8000'0000u, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NtpShortFormat, IsSecondsInSixteenDotSixteen) {
    EXPECT_EQ(NtpShortToDuration(0x0001'0000), 1s);
    EXPECT_EQ(NtpShortToDuration(0x0000'8000), 500ms);
    EXPECT_EQ(NtpShortToDuration(0xFFFF'FFFF), 65536s - nanoseconds(15'259));
}

// The exchange of every case: sent at T1, received by the server 5.010 s
// later on its clock, answered after 10 ms, the answer in after 100 ms of
// ours. The server runs 4.965 s ahead, the round trip took 90 ms.
const UtcTime T1 = At(2026, 12, 8, 12, 0, 0);
const platform::Endpoint Server{platform::IpAddress::V4(127, 0, 0, 1), 123};
const NtpTimestamp Stamp{0x1234'5678, 0x9ABC'DEF0};

SntpPacket Genuine() {
    SntpPacket request;
    request.Transmit = Stamp;
    return testing::ServerReply(request, UtcToNtp(T1 + 5010ms), UtcToNtp(T1 + 5020ms));
}

ReplyJudgement Judge(const SntpPacket& reply, const platform::Endpoint& sender = Server) {
    return JudgeReply(testing::Bytes(reply), sender, Server, Stamp, {T1, T1 + 100ms}, 3s);
}

TEST(JudgeReply, AGenuineReplyGivesOffsetAndDelayExactly) {
    const ReplyJudgement judgement = Judge(Genuine());
    ASSERT_EQ(judgement.check, ReplyCheck::Accepted);
    EXPECT_EQ(judgement.sample.offset, 4965ms);
    EXPECT_EQ(judgement.sample.delay, 90ms);
    EXPECT_EQ(judgement.sample.stratum, 2);
    EXPECT_EQ(judgement.sample.ServerTime(), T1 + 5065ms);
}

// Each hostile reply is refused for its reason over a real exchange, in
// SntpExchangeTest; here only what needs the exact arithmetic.

TEST(JudgeReply, LengthAndSenderComeFirst) {
    const std::string wire = testing::Bytes(Genuine());
    EXPECT_EQ(JudgeReply(wire.substr(0, 47), Server, Server, Stamp, {T1, T1 + 100ms}, 3s).check, ReplyCheck::WrongLength);
    EXPECT_EQ(Judge(Genuine(), {Server.address, 124}).check, ReplyCheck::WrongSender);
}

TEST(JudgeReply, AcceptsWhatSoundRepliesLookLike) {
    SntpPacket reply = Genuine();
    reply.Stratum = 15;
    reply.RootDelay = 0x0001'0000;       // 1 s
    reply.RootDispersion = 0x000F'0000;  // 15 s: 15.5 s in all
    EXPECT_EQ(Judge(reply).check, ReplyCheck::Accepted);
    // The server's clock ticks coarsely: its 10 ms may read as a little more
    // than our round trip, within its stated precision.
    reply = Genuine();
    reply.Precision = -6;  // 15.6 ms
    reply.Transmit = testing::Shifted(reply.Receive, 105ms);
    EXPECT_EQ(Judge(reply).check, ReplyCheck::Accepted);
}

}  // namespace
}  // namespace kairos
