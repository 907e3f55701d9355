// Whole exchanges against the fake server on 127.0.0.1, with the clock and
// the clock setter injected: the offset arithmetic, unusable replies and the
// datagrams that must be ignored.

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "nettime/FakeSntpServer.h"
#include "nettime/SNTP.h"

namespace kairos {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using ::testing::TestWithParam;
using ::testing::Values;
using ::testing::ValuesIn;

constexpr double MsPerDay = 86'400'000.0;
constexpr double Microsecond = 0.001 / MsPerDay;
constexpr int ShortTimeoutMs = 300;

TDateTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return TryEncodeDateTime(year, month, day, hour, minute, second, ms).value();
}

// T1 request sent, T2 server received, T3 server sent, T4 reply taken in.
struct Exchange {
    const char* name;
    TDateTime t1, t2, t3, t4;
    int biasMinutes;
};
void PrintTo(const Exchange& e, std::ostream* os) { *os << e.name; }

// The server runs 4.965 s ahead and the network takes 90 ms; the clock is
// to be set to T1 + 5.055 s.
Exchange Example(const char* name, TDateTime t1, int biasMinutes) {
    return {name, t1, t1 + 5010 / MsPerDay, t1 + 5020 / MsPerDay, t1 + 100 / MsPerDay, biasMinutes};
}
const Exchange Plain = Example("Plain", At(2024, 6, 1, 12, 0, 0), 0);
const TDateTime PlainCorrected = At(2024, 6, 1, 12, 0, 5, 55);

SntpPacket ReplyFor(const SntpPacket& request, const Exchange& e = Plain) {
    return ServerReply(request, NtpOf(e.t2, e.biasMinutes), NtpOf(e.t3, e.biasMinutes));
}

struct Machine {
    explicit Machine(const Exchange& e = Plain) : clock({e.t1, e.t4}), bias(e.biasMinutes) {}
    SntpServices Services() { return {clock, setter, [b = bias] { return b; }}; }
    SyncClockOptions Options(const FakeSntpServer& server, int timeoutMs = ShortTimeoutMs) {
        return {server.Port(), timeoutMs, Services()};
    }
    SequenceClock clock;
    RecordingSetter setter;
    int bias;
};

ReplyScript Answering(const Exchange& e = Plain) {
    return [e](const SntpPacket& request) { return std::vector<FakeDatagram>{{Bytes(ReplyFor(request, e))}}; };
}

class OffsetTest : public TestWithParam<Exchange> {};

TEST_P(OffsetTest, ComputesOffsetDelayAndTheCorrectedMoment) {
    const Exchange& e = GetParam();
    FakeSntpServer server(Answering(e));
    Machine machine(e);
    TIdSNTP sntp(machine.Services());
    sntp.SetHost("127.0.0.1");
    sntp.SetPort(server.Port());
    sntp.SetReceiveTimeout(1000);

    ASSERT_TRUE(sntp.SyncClock());
    EXPECT_NEAR(sntp.OriginateMoment(), e.t1, Microsecond);
    EXPECT_NEAR(sntp.TransmitMoment(), e.t3, Microsecond);
    EXPECT_NEAR(sntp.ClockOffset() * MsPerDay, 4965.0, 0.001);
    EXPECT_NEAR(sntp.PathDelay() * MsPerDay, 90.0, 0.001);
    ASSERT_EQ(machine.setter.moments.size(), 1u);
    EXPECT_NEAR((machine.setter.moments[0] - e.t1) * MsPerDay, 5055.0, 0.001);
}

INSTANTIATE_TEST_SUITE_P(Exchanges, OffsetTest,
                         Values(Plain, Example("Tokyo", At(2024, 6, 1, 12, 0, 0), -540),
                                Example("NewYork", At(2024, 1, 15, 23, 59, 58), 300),
                                Example("EraOne", At(2036, 3, 1, 12, 0, 0), 0),
                                Example("EraOneInTokyo", At(2040, 1, 1, 9, 0, 0), -540),
                                // Sent in era 0, answered in era 1.
                                Example("AcrossTheRollover", At(2036, 2, 7, 6, 28, 14), 0)),
                         [](const auto& info) { return std::string(info.param.name); });

// A datagram made from the proper reply: altered, cut or padded to a length,
// and sent from the server's port or another.
struct Variant {
    const char* name;
    void (*alter)(SntpPacket&);
    std::size_t length;
    SentFrom from;
};
void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

void Keep(SntpPacket&) {}

FakeDatagram Make(const Variant& v, const SntpPacket& request, const Exchange& e = Plain) {
    SntpPacket reply = ReplyFor(request, e);
    v.alter(reply);
    std::string bytes = Bytes(reply);
    bytes.resize(v.length, '\0');
    return {bytes, v.from};
}

class UsabilityTest : public TestWithParam<std::pair<Variant, bool>> {};

TEST_P(UsabilityTest, SetsTheClockOnlyWithAUsableReply) {
    const auto& [variant, sets] = GetParam();
    FakeSntpServer server([v = variant](const SntpPacket& q) { return std::vector<FakeDatagram>{Make(v, q)}; });
    Machine machine;
    EXPECT_EQ(SyncClockFromHost("127.0.0.1", machine.Options(server)), sets);
    EXPECT_EQ(machine.setter.moments.size(), sets ? 1u : 0u);
}

constexpr auto Server = SentFrom::ServerPort;

INSTANTIATE_TEST_SUITE_P(
    Replies, UsabilityTest,
    Values(std::pair{Variant{"Stratum1", [](SntpPacket& r) { r.Stratum = 1; }, 48, Server}, true},
           std::pair{Variant{"Stratum15", [](SntpPacket& r) { r.Stratum = 15; }, 48, Server}, true},
           std::pair{Variant{"Unsynchronised", [](SntpPacket& r) { r.LeapVersionMode |= 0xC0; }, 48, Server}, false},
           std::pair{Variant{"KissOfDeath", [](SntpPacket& r) { r.Stratum = 0; }, 48, Server}, false},
           std::pair{Variant{"Stratum16", [](SntpPacket& r) { r.Stratum = 16; }, 48, Server}, false},
           std::pair{Variant{"ZeroTransmit", [](SntpPacket& r) { r.Transmit = {}; }, 48, Server}, false},
           std::pair{Variant{"Bytes47", Keep, 47, Server}, false},
           std::pair{Variant{"Bytes49", Keep, 49, Server}, false}),
    [](const auto& info) { return std::string(info.param.first.name); });

// Datagrams that are not the reply to this request: ignored as if they had
// not come. Each claims a time an hour off, so taking one would show.
const Variant Intruders[] = {
    {"FromAnotherPort", Keep, 48, SentFrom::OtherPort},
    {"WrongOriginate", [](SntpPacket& r) { r.Originate.Fraction ^= 1; }, 48, Server},
    {"ClientMode", [](SntpPacket& r) { r.LeapVersionMode = 0x1B; }, 48, Server},
    {"Version2", [](SntpPacket& r) { r.LeapVersionMode = (2 << 3) | 4; }, 48, Server},
    {"Version5", [](SntpPacket& r) { r.LeapVersionMode = (5 << 3) | 4; }, 48, Server},
    {"Bytes47", Keep, 47, Server},
    {"Bytes49", Keep, 49, Server},
    {"Empty", Keep, 0, Server},
};

FakeDatagram Intruding(const Variant& v, const SntpPacket& request) {
    Exchange hourOff = Plain;
    hourOff.t2 += 1.0 / 24;
    hourOff.t3 += 1.0 / 24;
    return Make(v, request, hourOff);
}

class IntruderTest : public TestWithParam<Variant> {};

TEST_P(IntruderTest, TheRealReplyAfterItIsTaken) {
    FakeSntpServer server([v = GetParam()](const SntpPacket& q) {
        return std::vector<FakeDatagram>{Intruding(v, q), {Bytes(ReplyFor(q))}};
    });
    Machine machine;
    ASSERT_TRUE(SyncClockFromHost("127.0.0.1", machine.Options(server, 2000)));
    ASSERT_EQ(machine.setter.moments.size(), 1u);
    EXPECT_NEAR(machine.setter.moments[0], PlainCorrected, Microsecond);
}

TEST_P(IntruderTest, AloneItNeitherSetsTheClockNorEndsTheWait) {
    FakeSntpServer server([v = GetParam()](const SntpPacket& q) { return std::vector<FakeDatagram>{Intruding(v, q)}; });
    Machine machine;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SyncClockFromHost("127.0.0.1", machine.Options(server)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(ShortTimeoutMs));
    EXPECT_TRUE(machine.setter.moments.empty());
}

INSTANTIATE_TEST_SUITE_P(Datagrams, IntruderTest, ValuesIn(Intruders),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SntpExchangeTest, ASilentServerFailsTheRunAfterTheFullThreeSeconds) {
    FakeSntpServer server([](const SntpPacket&) { return std::vector<FakeDatagram>{}; });
    Machine machine;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SyncClockFromHost("127.0.0.1", {server.Port(), SyncReceiveTimeoutMs, machine.Services()}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3000ms);
    EXPECT_TRUE(machine.setter.moments.empty());
}

TEST(SntpExchangeTest, EachExchangeUsesAFreshSocket) {
    FakeSntpServer server(Answering());
    Machine machine;
    TIdSNTP sntp(machine.Services());
    sntp.SetHost("127.0.0.1");
    sntp.SetPort(server.Port());
    sntp.SetReceiveTimeout(1000);
    sntp.QueryServerTime();
    sntp.QueryServerTime();
    const std::vector<int> ports = server.RequestPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_NE(ports[0], ports[1]);
}

TEST(SntpExchangeTest, FailuresRaisedOrNotBecomeFalse) {
    FakeSntpServer server(Answering());
    Machine machine;
    struct Refusing final : platform::ClockSetter {
        bool SetLocalTime(TDateTime) override { return false; }
    } refusing;
    EXPECT_FALSE(SyncClockFromHost("127.0.0.1", {server.Port(), ShortTimeoutMs, {machine.clock, refusing, [] { return 0; }}}));
    const SntpServices zoneFails{machine.clock, machine.setter, []() -> int { throw EIdException("no zone"); }};
    EXPECT_FALSE(SyncClockFromHost("127.0.0.1", {server.Port(), ShortTimeoutMs, zoneFails}));
    EXPECT_FALSE(SyncClockFromHost("127.0.0.1", {70000, ShortTimeoutMs, machine.Services()}));  // no such port
    EXPECT_TRUE(machine.setter.moments.empty());
}

}  // namespace
}  // namespace kairos
