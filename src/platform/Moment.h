#pragma once
// The moment type shared by the whole program and its one set of calendar
// conversions: days since 1899-12-30 as a double, the fraction being the part
// of the day elapsed, local time, proleptic Gregorian calendar.

#include <cstdint>
#include <ctime>
#include <optional>

namespace kairos {

using Moment = double;

inline constexpr std::int64_t MillisecondsPerDay = 86'400'000;

enum class DayOfWeek : int { None = 0, Sunday = 1, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };

struct DecodedDate {
    int year = 0;   // 0 when the moment lies outside the calendar (before 0001-01-01)
    int month = 0;
    int day = 0;
    int dayOfWeek = 0;  // 1 = Sunday ... 7 = Saturday, 0 with an invalid date
};

struct DecodedTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// A moment rounded to whole milliseconds (ties to even), split into a day
// number and the millisecond of that day. For a negative moment the split is
// done on the absolute value and the day number negated, so -1.25 is
// 1899-12-29 06:00, the same way dates before day 0 are composed.
struct MomentParts {
    std::int64_t day = 0;
    std::int64_t millisecondOfDay = 0;
    bool valid = false;  // false for NaN, infinities and moments beyond any calendar
};

MomentParts SplitMoment(Moment moment);
DecodedDate DecodeDay(std::int64_t day);
DecodedTime DecodeMillisecondOfDay(std::int64_t millisecondOfDay);

DecodedDate DecodeDate(Moment moment);
DecodedTime DecodeTime(Moment moment);

// The moment's calendar fields for the C library (whole seconds; tm_isdst -1,
// so the zone rules decide daylight saving). Nothing for an invalid moment.
std::optional<std::tm> ToCalendarFields(Moment moment);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Empty for a date or time that does not exist (month 13, 24:00, year 0).
std::optional<Moment> TryEncodeDate(int year, int month, int day);
std::optional<Moment> TryEncodeTime(int hour, int minute, int second, int millisecond);

// Joins a whole-day date and a time of day; before day 0 the time is
// subtracted, mirroring SplitMoment.
Moment ComposeDateTime(Moment date, Moment time);

std::optional<Moment> TryEncodeDateTime(int year, int month, int day, int hour, int minute,
                                        int second, int millisecond);

}  // namespace kairos
