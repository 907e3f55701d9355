// Whole exchanges against the fake server on the loopback addresses, with the
// clock and the clock setter injected: the offset and the instant set, the
// replies refused, the datagrams ignored, every address of a name, the step
// bound, and the log.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "nettime/ClockSync.h"
#include "nettime/FakeSntpServer.h"
#include "nettime/HostileReplies.h"
#include "support/ScopedTimeZone.h"

namespace kairos {
namespace {

using namespace std::chrono;
using namespace testing;
using platform::AddressFamily;
using platform::UtcTime;
using ::testing::TestWithParam;
using ::testing::Values;
using ::testing::ValuesIn;

constexpr milliseconds ShortTimeout{300};

UtcTime At(int year, int month, int day, int hour, int minute, int second) {
    return UtcTime(sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) + seconds(second));
}

// The server runs 4.965 s ahead and the round trip takes 90 ms, of which the
// server holds the request 10 ms; the clock is to be set 5.065 s ahead of
// the request, as it reads when the reply is in.
struct Exchange {
    const char* name;
    UtcTime t1;
};
void PrintTo(const Exchange& e, std::ostream* os) { *os << e.name; }
const Exchange Plain{"Plain", At(2026, 12, 8, 12, 0, 0)};

SntpPacket ReplyFor(const SntpPacket& request, UtcTime t1 = Plain.t1) {
    return ServerReply(request, UtcToNtp(t1 + 5010ms), UtcToNtp(t1 + 5020ms));
}

ReplyScript Answering(UtcTime t1 = Plain.t1) {
    return [t1](const SntpPacket& request) { return std::vector<FakeDatagram>{{Bytes(ReplyFor(request, t1))}}; };
}

// The machine: its clock reads T1 when the request goes and T1 + 100 ms from
// then on; its setter only records.
struct Machine {
    explicit Machine(UtcTime t1 = Plain.t1) : clock({t1, t1 + 100ms}) {}
    SyncServices Services(milliseconds timeout = ShortTimeout) {
        SyncServices services{{}, setter, timeout, &log};
        services.sntp.UtcNow = std::ref(clock);
        return services;
    }
    SyncOutcome Sync(const FakeSntpServer& server, StepLimit limit = StepLimit::Refuse,
                     milliseconds timeout = ShortTimeout, const char* host = "127.0.0.1") {
        return SyncClock({std::string(host) + ':' + std::to_string(server.Port()), limit, std::nullopt},
                         Services(timeout));
    }
    SequenceClock clock;
    RecordingSetter setter;
    std::ostringstream log;
};

class OffsetTest : public TestWithParam<std::tuple<Exchange, AddressFamily>> {};

TEST_P(OffsetTest, SetsTheClockToTheServersTimeExactly) {
    const auto& [e, family] = GetParam();
    FakeSntpServer server(Answering(e.t1), family);
    if (server.Port() == 0) GTEST_SKIP() << "no loopback address of this family";
    Machine machine(e.t1);
    const SyncOutcome outcome = machine.Sync(server, StepLimit::Refuse, 2000ms, family == AddressFamily::V4 ? "127.0.0.1" : "[::1]");
    ASSERT_EQ(outcome.result, SyncResult::Set) << machine.log.str();
    EXPECT_EQ(outcome.sample->offset, 4965ms);
    EXPECT_EQ(outcome.sample->delay, 90ms);
    ASSERT_EQ(machine.setter.instants.size(), 1u);
    EXPECT_EQ(machine.setter.instants[0], e.t1 + 5065ms);
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, OffsetTest,
    ::testing::Combine(Values(Plain, Exchange{"EraOne", At(2036, 3, 1, 12, 0, 0)},
                              // sent in era 0, answered in era 1
                              Exchange{"AcrossTheRollover", At(2036, 2, 7, 6, 28, 14)}),
                       Values(AddressFamily::V4, AddressFamily::V6)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) == AddressFamily::V4 ? "IPv4" : "IPv6");
    });

// No local time on the way: in the hour an autumn night has twice, and
// around the hour a spring night skips, the instant set is the true one.
struct ZoneCase {
    const char* name;
    UtcTime t1;
    const char* localServerTime;  // as the question would show it
};
void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }

class BerlinTest : public TestWithParam<ZoneCase> {};

TEST_P(BerlinTest, SetsTheUtcInstantInAnyHour) {
    const ScopedTimeZone berlin("Europe/Berlin");
    const ZoneCase& c = GetParam();
    FakeSntpServer server(Answering(c.t1));
    Machine machine(c.t1);
    ASSERT_EQ(machine.Sync(server, StepLimit::Refuse, 2000ms).result, SyncResult::Set);
    ASSERT_EQ(machine.setter.instants.size(), 1u);
    EXPECT_EQ(machine.setter.instants[0], c.t1 + 5065ms);
    const Moment local = platform::ToLocalMoment(c.t1 + 5065ms);
    EXPECT_TRUE(StepQuestion(local, 2000s).starts_with(std::string("サーバーの時刻は ") + c.localServerTime))
        << StepQuestion(local, 2000s);
}

INSTANTIATE_TEST_SUITE_P(
    Hours, BerlinTest,
    Values(ZoneCase{"FirstPassOfTheRepeatedHour", At(2026, 10, 25, 0, 30, 0), "2026/10/25 02:30:05"},
           ZoneCase{"SecondPassOfTheRepeatedHour", At(2026, 10, 25, 1, 30, 0), "2026/10/25 02:30:05"},
           ZoneCase{"BeforeTheSkippedHour", At(2026, 3, 29, 0, 59, 50), "2026/03/29 01:59:55"},
           ZoneCase{"AfterTheSkippedHour", At(2026, 3, 29, 0, 59, 58), "2026/03/29 03:00:03"}),
    [](const auto& info) { return std::string(info.param.name); });

class HostileExchange : public TestWithParam<Hostile> {};

TEST_P(HostileExchange, IsRefusedWithItsReasonAndNeverSetsTheClock) {
    FakeSntpServer server([h = GetParam()](const SntpPacket& q) {
        SntpPacket reply = ReplyFor(q);
        h.alter(reply);
        return std::vector<FakeDatagram>{{Bytes(reply)}};
    });
    Machine machine;
    const SyncOutcome outcome = machine.Sync(server);
    EXPECT_EQ(outcome.result, SyncResult::Failed);
    EXPECT_EQ(outcome.failure, SyncFailure::BadReply);
    EXPECT_TRUE(machine.setter.instants.empty());
    EXPECT_NE(machine.log.str().find(std::string("bad reply, ") + std::string(ReplyCheckName(GetParam().check))),
              std::string::npos)
        << machine.log.str();
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileExchange, ValuesIn(HostileReplies),
                         [](const auto& info) { return std::string(info.param.name); });

// Datagrams that are not the usable reply, each claiming a time an hour off:
// ignored as if they had not come, and the wait goes on.
struct Intruder {
    const char* name;
    std::size_t length;
    SentFrom from;
    void (*alter)(SntpPacket&);
};
void PrintTo(const Intruder& i, std::ostream* os) { *os << i.name; }

const Intruder Intruders[] = {
    {"FromAnotherPort", 48, SentFrom::OtherPort, [](SntpPacket&) {}},
    {"WrongOriginate", 48, SentFrom::ServerPort, [](SntpPacket& r) { r.Originate.Fraction ^= 1; }},
    {"Unsynchronised", 48, SentFrom::ServerPort, [](SntpPacket& r) { r.LeapVersionMode |= 0xC0; }},
    {"Bytes47", 47, SentFrom::ServerPort, [](SntpPacket&) {}},
    {"Bytes49", 49, SentFrom::ServerPort, [](SntpPacket&) {}},
    {"Empty", 0, SentFrom::ServerPort, [](SntpPacket&) {}},
};

FakeDatagram Intruding(const Intruder& intruder, const SntpPacket& request) {
    SntpPacket reply = ReplyFor(request, Plain.t1 + 1h);
    reply.Originate = request.Transmit;
    intruder.alter(reply);
    std::string bytes = Bytes(reply);
    bytes.resize(intruder.length, '\0');
    return {bytes, intruder.from};
}

class IntruderTest : public TestWithParam<Intruder> {};

TEST_P(IntruderTest, TheRealReplyAfterItIsTaken) {
    FakeSntpServer server([i = GetParam()](const SntpPacket& q) {
        return std::vector<FakeDatagram>{Intruding(i, q), {Bytes(ReplyFor(q))}};
    });
    Machine machine;
    ASSERT_EQ(machine.Sync(server, StepLimit::Refuse, 2000ms).result, SyncResult::Set);
    EXPECT_EQ(machine.setter.instants, std::vector<UtcTime>{Plain.t1 + 5065ms});
}

TEST_P(IntruderTest, AloneItNeitherSetsTheClockNorEndsTheWait) {
    FakeSntpServer server([i = GetParam()](const SntpPacket& q) { return std::vector<FakeDatagram>{Intruding(i, q)}; });
    Machine machine;
    const auto start = steady_clock::now();
    const SyncOutcome outcome = machine.Sync(server);
    EXPECT_GE(steady_clock::now() - start, ShortTimeout);
    EXPECT_EQ(outcome.failure, GetParam().from == SentFrom::OtherPort ? SyncFailure::NoReply : SyncFailure::BadReply);
    EXPECT_TRUE(machine.setter.instants.empty());
}

INSTANTIATE_TEST_SUITE_P(Datagrams, IntruderTest, ValuesIn(Intruders),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SntpExchangeTest, ASilentServerFailsTheRunAfterTheFullThreeSeconds) {
    FakeSntpServer server([](const SntpPacket&) { return std::vector<FakeDatagram>{}; });
    Machine machine;
    const auto start = steady_clock::now();
    EXPECT_EQ(machine.Sync(server, StepLimit::Refuse, SyncReceiveTimeout).failure, SyncFailure::NoReply);
    EXPECT_GE(steady_clock::now() - start, 3000ms);
    EXPECT_TRUE(machine.setter.instants.empty());
}

TEST(SntpExchangeTest, RequestsCarryRandomStampsNotTheClock) {
    FakeSntpServer server(Answering());
    for (int i = 0; i < 2; ++i) {
        Machine machine;
        machine.Sync(server, StepLimit::Refuse, 2000ms);
    }
    const std::vector<SntpPacket> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].Transmit, requests[1].Transmit);
    for (const SntpPacket& request : requests) {
        EXPECT_EQ(request.LeapVersionMode, 0x1B);
        EXPECT_NE(request.Transmit, NtpTimestamp{});
        EXPECT_NE(request.Transmit, UtcToNtp(Plain.t1));
    }
}

// A name with an IPv6 and an IPv4 address, both on one port: the first
// address is silent, or nobody listens there; the second answers, on the
// machine's own clock, as the first exchange has taken its time.
class EveryAddress : public TestWithParam<bool> {};

TEST_P(EveryAddress, IsTriedInTurnWithinTheOneTimeout) {
    FakeSntpServer answering([](const SntpPacket& q) {
        const NtpTimestamp now = UtcToNtp(platform::UtcNow() + 5s);
        return std::vector<FakeDatagram>{{Bytes(ServerReply(q, now, now))}};
    });
    std::optional<FakeSntpServer> silent;
    if (GetParam()) {
        silent.emplace([](const SntpPacket&) { return std::vector<FakeDatagram>{}; }, AddressFamily::V6,
                       answering.Port());
        if (silent->Port() == 0) GTEST_SKIP() << "no IPv6 loopback, or its port is taken";
    }
    Machine machine;
    SyncServices services = machine.Services(2000ms);
    services.sntp.UtcNow = platform::UtcNow;
    services.sntp.Lookup = [](const std::string&) {
        return platform::LookupOutcome{{LoopbackOf(AddressFamily::V6), LoopbackOf(AddressFamily::V4)}, 0};
    };
    const SyncOutcome outcome =
        SyncClock({"both.example:" + std::to_string(answering.Port()), StepLimit::Refuse, std::nullopt}, services);
    ASSERT_EQ(outcome.result, SyncResult::Set) << machine.log.str();
    EXPECT_EQ(outcome.sample->server.address, LoopbackOf(AddressFamily::V4));
    if (GetParam()) {
        EXPECT_EQ(silent->Requests().size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(FirstAddress, EveryAddress, Values(true, false),
                         [](const auto& info) { return info.param ? "Silent" : "Refusing"; });

struct StepCase {
    const char* name;
    seconds lead;  // of the server over the clock
    StepLimit limit;
    SyncResult result;
    SyncFailure failure;
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

class StepBound : public TestWithParam<StepCase> {};

TEST_P(StepBound, BigStepsAreRefusedOrAskedFor) {
    const StepCase& c = GetParam();
    FakeSntpServer server([lead = c.lead](const SntpPacket& q) {
        return std::vector<FakeDatagram>{
            {Bytes(ServerReply(q, UtcToNtp(Plain.t1 + lead + 50ms), UtcToNtp(Plain.t1 + lead + 50ms)))}};
    });
    Machine machine;
    const SyncOutcome outcome = machine.Sync(server, c.limit, 2000ms);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_EQ(machine.setter.instants.size(), c.result == SyncResult::Set ? 1u : 0u);
    if (c.result != SyncResult::NeedsConfirmation) return;

    // Agreed to: the step is made on the clock as it reads by then.
    Machine later(Plain.t1 + 1h);
    const SyncOutcome confirmed = SyncClock({"", StepLimit::Ask, outcome.sample}, later.Services());
    EXPECT_EQ(confirmed.result, SyncResult::Set);
    EXPECT_EQ(later.setter.instants, std::vector<UtcTime>{Plain.t1 + 1h + c.lead});
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepBound,
    Values(StepCase{"AheadBy999s", 999s, StepLimit::Refuse, SyncResult::Set, SyncFailure::None},
           StepCase{"BehindBy999s", -999s, StepLimit::Refuse, SyncResult::Set, SyncFailure::None},
           StepCase{"PeriodicAheadBy1001s", 1001s, StepLimit::Refuse, SyncResult::Failed, SyncFailure::StepTooLarge},
           StepCase{"PeriodicBehindBy1001s", -1001s, StepLimit::Refuse, SyncResult::Failed, SyncFailure::StepTooLarge},
           StepCase{"AskedAheadBy3Days", 3 * 86'400s, StepLimit::Ask, SyncResult::NeedsConfirmation, SyncFailure::None},
           StepCase{"AskedBehindBy1001s", -1001s, StepLimit::Ask, SyncResult::NeedsConfirmation, SyncFailure::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SntpExchangeTest, TheSettersRefusalIsTheReason) {
    FakeSntpServer server(Answering());
    for (const auto& [refusal, failure] :
         {std::pair{platform::ClockSetResult::NoPermission, SyncFailure::NoPermission},
          std::pair{platform::ClockSetResult::SystemSyncActive, SyncFailure::SystemSyncActive},
          std::pair{platform::ClockSetResult::Failed, SyncFailure::SetFailed}}) {
        Machine machine;
        machine.setter.result = refusal;
        const SyncOutcome outcome = machine.Sync(server, StepLimit::Refuse, 2000ms);
        EXPECT_EQ(outcome.result, SyncResult::Failed);
        EXPECT_EQ(outcome.failure, failure);
    }
}

TEST(SntpExchangeTest, NamesThatLeadNowhereAreNotFound) {
    Machine machine;
    SyncServices services = machine.Services();
    services.sntp.Lookup = [](const std::string&) { return platform::LookupOutcome{{}, 11001}; };
    for (const char* server : {"kairos-no-such-host.invalid", "", "host:99999"})
        EXPECT_EQ(SyncClock({server, StepLimit::Refuse, std::nullopt}, services).failure, SyncFailure::HostNotFound)
            << server;
    EXPECT_NE(machine.log.str().find("host not found, Socket Error # 11001 Host not found."), std::string::npos)
        << machine.log.str();
}

TEST(SntpExchangeTest, EachRunLogsServerAddressOffsetDelayAndOutcome) {
    FakeSntpServer server(Answering());
    Machine machine;
    machine.Sync(server, StepLimit::Refuse, 2000ms);
    const std::string port = std::to_string(server.Port());
    EXPECT_EQ(machine.log.str(),
              "kairos: time server 127.0.0.1:" + port + ": offset +4.965000 s, delay 0.090000 s, stratum 2: set\n");
}

TEST(SntpExchangeTest, ACancelledQueryEndsAtOnce) {
    FakeSntpServer server([](const SntpPacket&) { return std::vector<FakeDatagram>{}; });
    Machine machine;
    const std::atomic<bool> cancelled{true};
    SyncServices services = machine.Services(SyncReceiveTimeout);
    services.sntp.Cancelled = &cancelled;
    const auto start = steady_clock::now();
    EXPECT_EQ(SyncClock({"127.0.0.1:" + std::to_string(server.Port()), StepLimit::Refuse, std::nullopt}, services).failure,
              SyncFailure::NoReply);
    EXPECT_LT(steady_clock::now() - start, 1000ms);
}

}  // namespace
}  // namespace kairos
