#include "platform/Moment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kairos {
namespace {

struct DateCase {
    int year, month, day;
    double serial;
    int dayOfWeek;
};

class DateRoundTrip : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateRoundTrip, EncodesAndDecodes) {
    const DateCase& c = GetParam();
    ASSERT_EQ(TryEncodeDate(c.year, c.month, c.day), c.serial);
    const DecodedDate d = DecodeDate(c.serial);
    EXPECT_EQ(d.year, c.year);
    EXPECT_EQ(d.month, c.month);
    EXPECT_EQ(d.day, c.day);
    EXPECT_EQ(d.dayOfWeek, c.dayOfWeek);
}

INSTANTIATE_TEST_SUITE_P(Calendar, DateRoundTrip,
                         ::testing::Values(DateCase{1899, 12, 30, 0, 7}, DateCase{1900, 1, 1, 2, 2},
                                           DateCase{1900, 3, 1, 61, 5}, DateCase{2026, 12, 7, 46363, 2},
                                           DateCase{2000, 2, 29, 36585, 3}, DateCase{2100, 3, 1, 73110, 2},
                                           DateCase{1600, 2, 29, -109512, 3}, DateCase{1, 1, 1, -693593, 2},
                                           DateCase{9999, 12, 31, 2958465, 6}, DateCase{1899, 12, 29, -1, 6},
                                           DateCase{2019, 5, 1, 43586, 4}, DateCase{2024, 12, 31, 45657, 3}));

TEST(Moment, RejectsDatesAndTimesThatDoNotExist) {
    EXPECT_FALSE(TryEncodeDate(2025, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2100, 2, 29));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2026, 13, 1));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000));
}

TEST(Moment, EveryDayOfFourHundredYearsRoundTrips) {
    const double first = *TryEncodeDate(1900, 1, 1);
    int year = 1900, month = 1, day = 1;
    for (double serial = first; serial < first + 146097; ++serial) {
        const DecodedDate d = DecodeDate(serial);
        ASSERT_EQ(d.year, year);
        ASSERT_EQ(d.month, month);
        ASSERT_EQ(d.day, day);
        if (++day > DaysInMonth(year, month)) {
            day = 1;
            if (++month > 12) month = 1, ++year;
        }
    }
}

struct TimeCase {
    double moment;
    int hour, minute, second, millisecond;
};

class TimeDecoding : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeDecoding, RoundsToWholeMillisecondsTiesToEven) {
    const TimeCase& c = GetParam();
    const DecodedTime t = DecodeTime(c.moment);
    EXPECT_EQ(t.hour, c.hour);
    EXPECT_EQ(t.minute, c.minute);
    EXPECT_EQ(t.second, c.second);
    EXPECT_EQ(t.millisecond, c.millisecond);
}

// 2^-11 days is exactly 42187.5 ms and 3 * 2^-11 days 126562.5 ms.
INSTANTIATE_TEST_SUITE_P(Moments, TimeDecoding,
                         ::testing::Values(TimeCase{0.5, 12, 0, 0, 0}, TimeCase{46363.0 + 54245678.0 / 86400000.0, 15, 4, 5, 678},
                                           TimeCase{std::ldexp(1.0, -11), 0, 0, 42, 188},
                                           TimeCase{3 * std::ldexp(1.0, -11), 0, 2, 6, 562},
                                           TimeCase{-1.25, 6, 0, 0, 0}, TimeCase{0.99999999999, 0, 0, 0, 0}));

TEST(Moment, RoundingUpAtMidnightMovesToTheNextDay) {
    const DecodedDate d = DecodeDate(46363.99999999999);
    EXPECT_EQ(d.day, 8);
}

TEST(Moment, NegativeMomentsSplitOnTheAbsoluteValue) {
    const MomentParts parts = SplitMoment(-1.25);
    EXPECT_EQ(parts.day, -1);
    EXPECT_EQ(parts.millisecondOfDay, 6 * 3'600'000);
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(TryEncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
}

TEST(Moment, MomentsOutsideAnyCalendarDecodeAsZero) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
                       -1e12, -693594.0}) {
        const DecodedDate d = DecodeDate(bad);
        EXPECT_EQ(d.year, 0) << bad;
        EXPECT_EQ(d.dayOfWeek, 0) << bad;
    }
}

TEST(Moment, EncodeTimeIsTheFractionOfTheDay) {
    EXPECT_EQ(TryEncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(TryEncodeTime(6, 0, 0, 0), 0.25);
    const DecodedTime t = DecodeTime(*TryEncodeDateTime(2026, 12, 7, 23, 59, 59, 999));
    EXPECT_EQ(t.hour * 10'000'000 + t.minute * 100'000 + t.second * 1000 + t.millisecond, 235'959'999);
}

}  // namespace
}  // namespace kairos
