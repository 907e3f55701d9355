#include "platform/WallClockTimer.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#endif

#include <chrono>
#include <ostream>
#include <string>

namespace kairos::platform {
namespace {

using namespace std::chrono_literals;

// What the event loop would see: the descriptor readable, or the handle signalled.
bool Readable(const WallClockTimer& timer, std::chrono::milliseconds wait) {
#ifdef _WIN32
    return WaitForSingleObject(timer.Handle(), static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
#else
    pollfd watched{timer.Descriptor(), POLLIN, 0};
    return poll(&watched, 1, static_cast<int>(wait.count())) == 1 && (watched.revents & POLLIN) != 0;
#endif
}

// Generous: only a failing test waits this long.
constexpr auto AtOnce = 2000ms;

void ExpireUnacknowledged(WallClockTimer& timer) {
    timer.ArmAt(UtcNow() - 1s);
    ASSERT_TRUE(Readable(timer, AtOnce));
}

struct WakeCase {
    const char* name;
    void (*steps)(WallClockTimer&);
    bool wakesAtOnce;  // else never within the wait
};
void PrintTo(const WakeCase& c, std::ostream* out) { *out << c.name; }

class WallClockTimerWake : public ::testing::TestWithParam<WakeCase> {};

TEST_P(WallClockTimerWake, ExpiresOnceOrNotAtAll) {
    WallClockTimer timer;
    ASSERT_TRUE(timer.Valid());
    GetParam().steps(timer);
    if (GetParam().wakesAtOnce) {
        ASSERT_TRUE(Readable(timer, AtOnce));
        EXPECT_EQ(timer.Acknowledge(), WallClockEvent::Expired);
    }
    EXPECT_FALSE(Readable(timer, GetParam().wakesAtOnce ? 0ms : 60ms));
    EXPECT_EQ(timer.Acknowledge(), WallClockEvent::None);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WallClockTimerWake,
    ::testing::Values(
        WakeCase{"Idle", [](WallClockTimer&) {}, false},
        WakeCase{"SecondAgo", [](WallClockTimer& t) { t.ArmAt(UtcNow() - 1s); }, true},
        // the system reads an expiry of zero as "disarm" and refuses one before 1970
        WakeCase{"Epoch", [](WallClockTimer& t) { t.ArmAt(UtcTime{}); }, true},
        WakeCase{"Before1970", [](WallClockTimer& t) { t.ArmAt(UtcTime{} - 24h); }, true},
        WakeCase{"DisarmBeforeExpiry", [](WallClockTimer& t) { t.ArmAt(UtcNow() + 20ms); t.Disarm(); }, false},
        WakeCase{"DisarmAfterExpiry", [](WallClockTimer& t) { ExpireUnacknowledged(t); t.Disarm(); }, false},
        WakeCase{"RearmLaterBeforeExpiry", [](WallClockTimer& t) { t.ArmAt(UtcNow() + 20ms); t.ArmAt(UtcNow() + 1h); },
                 false},
        WakeCase{"RearmLaterAfterExpiry", [](WallClockTimer& t) { ExpireUnacknowledged(t); t.ArmAt(UtcNow() + 1h); },
                 false},
        WakeCase{"RearmEarlier", [](WallClockTimer& t) { t.ArmAt(UtcNow() + 1h); t.ArmAt(UtcNow() - 1s); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WallClockTimer, ExpiresAfterTheInstantAndNotBefore) {
    WallClockTimer timer;
#ifndef _WIN32
    // Programs started by alarms must not inherit it.
    EXPECT_NE(fcntl(timer.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
#endif
    const UtcTime when = UtcNow() + 30ms;
    timer.ArmAt(when);
    bool expired = false;
    for (auto waited = 0ms; !expired && waited < AtOnce; waited += 5ms) {
        expired = Readable(timer, 5ms);
        // Read after the poll: a late wake makes it later still, never earlier.
        if (expired) {
            EXPECT_GE(UtcNow(), when);
        }
    }
    ASSERT_TRUE(expired);
    EXPECT_EQ(timer.Acknowledge(), WallClockEvent::Expired);
}

}  // namespace
}  // namespace kairos::platform
