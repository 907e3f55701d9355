// The machine's clock, in a program wine starts with TZ=Europe/Berlin (it
// takes the zone from TZ when a program starts; a change inside the program
// would not reach the system's zone).

#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

namespace kairos::platform {
namespace {

using namespace std::chrono;

TEST(SystemClockTest, TicksAreTheLowBitsOfTheSystemsMillisecondCount) {
    const std::uint32_t ticks = SystemClock().TickCount();
    const std::uint32_t after = static_cast<std::uint32_t>(GetTickCount64());
    EXPECT_LT(static_cast<std::uint32_t>(after - ticks), 1000u);  // wraps as unsigned arithmetic does
}

// A Moment of a UTC instant, by the calendar alone.
Moment UtcMoment(UtcTime instant) {
    const auto day = floor<days>(instant);
    const year_month_day date(day);
    const hh_mm_ss<milliseconds> time(floor<milliseconds>(instant - day));
    return *TryEncodeDateTime(static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                              static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                              static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                              static_cast<int>(time.subseconds().count()));
}

TEST(SystemClockTest, BiasIsWhatTurnsLocalTimeIntoUtcEastOfGreenwich) {
    const int bias = LocalTimeZoneBias();
    EXPECT_TRUE(bias == -60 || bias == -120) << bias;  // CET or CEST
    const double localMinusUtc = (SystemClock().Now() - UtcMoment(UtcNow())) * 24 * 60;
    EXPECT_EQ(std::lround(localMinusUtc), -bias);
}

std::string Text(Moment moment) {
    const DecodedDate d = DecodeDate(moment);
    const DecodedTime t = DecodeTime(moment);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

struct LocalCase {
    const char* name;
    UtcTime instant;
    const char* local;
};
void PrintTo(const LocalCase& c, std::ostream* os) { *os << c.name; }

constexpr UtcTime At(year_month_day date, milliseconds timeOfDay) { return UtcTime(sys_days(date) + timeOfDay); }
constexpr milliseconds Hm(int h, int m, int ms = 0) { return hours(h) + minutes(m) + milliseconds(ms); }

const LocalCase LocalCases[] = {
    {"Summer", At(2026y / 7 / 1, Hm(12, 0, 123)), "2026-07-01 14:00:00.123"},
    {"Winter", At(2026y / 12 / 8, Hm(23, 30)), "2026-12-09 00:30:00.000"},
    {"LastMillisecondBeforeSpring", At(2026y / 3 / 29, Hm(0, 59, 59'999)), "2026-03-29 01:59:59.999"},
    {"SpringSkipsAnHour", At(2026y / 3 / 29, Hm(1, 0)), "2026-03-29 03:00:00.000"},
    {"AutumnFirstPass", At(2026y / 10 / 25, Hm(0, 30)), "2026-10-25 02:30:00.000"},
    {"AutumnSecondPass", At(2026y / 10 / 25, Hm(1, 30)), "2026-10-25 02:30:00.000"},
};

class ToLocalMomentTest : public ::testing::TestWithParam<LocalCase> {};

TEST_P(ToLocalMomentTest, FollowsTheRulesInForceAtTheInstant) {
    EXPECT_EQ(Text(ToLocalMoment(GetParam().instant)), GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(Berlin, ToLocalMomentTest, ::testing::ValuesIn(LocalCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToLocalMomentTest, DropsTheNanosecondsBelowTheMillisecond) {
    EXPECT_EQ(Text(ToLocalMoment(At(2026y / 7 / 1, Hm(12, 0, 123)) + 999'999ns)), "2026-07-01 14:00:00.123");
}

}  // namespace
}  // namespace kairos::platform
