// Instants to the system's time fields, checked against the system's own
// calendar (SystemTimeToFileTime) as well as by hand.

#include "platform/win32/SystemTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

namespace kairos::platform {
namespace {

using namespace std::chrono;

struct Fields {
    int year, month, dayOfWeek, day, hour, minute, second, millisecond;
    friend bool operator==(const Fields&, const Fields&) = default;
};
void PrintTo(const Fields& f, std::ostream* os) {
    *os << f.year << '-' << f.month << '-' << f.day << " (" << f.dayOfWeek << ") " << f.hour << ':' << f.minute << ':'
        << f.second << '.' << f.millisecond;
}

Fields FieldsOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

struct ConversionCase {
    const char* name;
    UtcTime instant;
    SubMillisecond rest;
    Fields expected;
};
void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

constexpr UtcTime On(year_month_day date, nanoseconds timeOfDay) { return UtcTime(sys_days(date) + timeOfDay); }
constexpr nanoseconds Time(int h, int m, int s, long long ns) {
    return hours(h) + minutes(m) + seconds(s) + nanoseconds(ns);
}

const ConversionCase Cases[] = {
    {"UnixEpochIsAThursday", On(1970y / 1 / 1, {}), SubMillisecond::Truncate, {1970, 1, 4, 1, 0, 0, 0, 0}},
    {"LeapDay", On(2024y / 2 / 29, Time(12, 34, 56, 789'000'000)), SubMillisecond::Truncate,
     {2024, 2, 4, 29, 12, 34, 56, 789}},
    {"LeapDayOfACentury", On(2000y / 2 / 29, Time(23, 0, 0, 0)), SubMillisecond::Round, {2000, 2, 2, 29, 23, 0, 0, 0}},
    {"NoLeapDayIn2100", On(2100y / 2 / 28, Time(24, 0, 0, 0)), SubMillisecond::Round, {2100, 3, 1, 1, 0, 0, 0, 0}},
    {"TruncateKeepsTheMillisecondReached", On(2026y / 12 / 8, Time(1, 2, 3, 4'999'999)), SubMillisecond::Truncate,
     {2026, 12, 2, 8, 1, 2, 3, 4}},
    {"RoundGoesToTheNearest", On(2026y / 12 / 8, Time(1, 2, 3, 4'500'001)), SubMillisecond::Round,
     {2026, 12, 2, 8, 1, 2, 3, 5}},
    {"RoundingCarriesIntoTheNextYear", On(2023y / 12 / 31, Time(23, 59, 59, 999'600'000)), SubMillisecond::Round,
     {2024, 1, 1, 1, 0, 0, 0, 0}},
    {"TruncateStaysInTheOldYear", On(2023y / 12 / 31, Time(23, 59, 59, 999'600'000)), SubMillisecond::Truncate,
     {2023, 12, 0, 31, 23, 59, 59, 999}},
    {"BeforeTheEpochTruncatesTowardThePast", On(1969y / 12 / 31, Time(23, 59, 59, 999'400'000)),
     SubMillisecond::Truncate, {1969, 12, 3, 31, 23, 59, 59, 999}},
};

class ToSystemTimeTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ToSystemTimeTest, GivesTheFieldsAndTheSystemAgrees) {
    const SYSTEMTIME fields = ToSystemTime(GetParam().instant, GetParam().rest);
    EXPECT_EQ(FieldsOf(fields), GetParam().expected);
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&fields, &file));
    const auto whole = GetParam().rest == SubMillisecond::Round ? round<milliseconds>(GetParam().instant)
                                                                : floor<milliseconds>(GetParam().instant);
    EXPECT_EQ(FromFileTime(file), whole);
}

INSTANTIATE_TEST_SUITE_P(Table, ToSystemTimeTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos::platform
