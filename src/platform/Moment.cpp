#include "platform/Moment.h"

#include <cmath>

namespace kairos {
namespace {

// Days from 0001-01-01 (counted as day 1) to 1899-12-30.
constexpr std::int64_t DaysBeforeEpoch = 693594;
// Beyond this many days the millisecond count no longer fits 64 bits.
constexpr double MaxAbsDays = 1.0e11;

constexpr int DaysPer400Years = 146097;
constexpr int DaysPer100Years = 36524;
constexpr int DaysPer4Years = 1461;

constexpr int CumulativeDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    const int leap = IsLeapYear(year) ? 1 : 0;
    return CumulativeDays[leap][month] - CumulativeDays[leap][month - 1];
}

MomentParts SplitMoment(Moment moment) {
    MomentParts parts;
    if (!std::isfinite(moment) || std::fabs(moment) >= MaxAbsDays) return parts;
    // Round half to even by hand: the rounding mode of the FPU is global state
    // that a library may have changed.
    const double scaled = std::fabs(moment) * static_cast<double>(MillisecondsPerDay);
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    std::int64_t total = static_cast<std::int64_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && total % 2 != 0)) ++total;
    parts.day = total / MillisecondsPerDay;
    parts.millisecondOfDay = total % MillisecondsPerDay;
    if (moment < 0) parts.day = -parts.day;
    parts.valid = true;
    return parts;
}

DecodedDate DecodeDay(std::int64_t day) {
    DecodedDate date;
    std::int64_t d = day + DaysBeforeEpoch;  // 1 = 0001-01-01
    if (d <= 0) return date;
    date.dayOfWeek = static_cast<int>(d % 7) + 1;
    --d;
    std::int64_t year = 1;
    year += 400 * (d / DaysPer400Years);
    d %= DaysPer400Years;
    std::int64_t centuries = d / DaysPer100Years;
    if (centuries == 4) centuries = 3;  // the last day of a 400-year cycle
    year += 100 * centuries;
    d -= centuries * DaysPer100Years;
    year += 4 * (d / DaysPer4Years);
    d %= DaysPer4Years;
    std::int64_t years = d / 365;
    if (years == 4) years = 3;  // the last day of a leap cycle
    year += years;
    d -= years * 365;
    date.year = static_cast<int>(year);
    const int leap = IsLeapYear(date.year) ? 1 : 0;
    int month = 1;
    while (d >= CumulativeDays[leap][month]) ++month;
    date.month = month;
    date.day = static_cast<int>(d - CumulativeDays[leap][month - 1]) + 1;
    return date;
}

DecodedTime DecodeMillisecondOfDay(std::int64_t ms) {
    DecodedTime time;
    time.hour = static_cast<int>(ms / 3'600'000);
    ms %= 3'600'000;
    time.minute = static_cast<int>(ms / 60'000);
    ms %= 60'000;
    time.second = static_cast<int>(ms / 1000);
    time.millisecond = static_cast<int>(ms % 1000);
    return time;
}

DecodedDate DecodeDate(Moment moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? DecodeDay(parts.day) : DecodedDate{};
}

DecodedTime DecodeTime(Moment moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? DecodeMillisecondOfDay(parts.millisecondOfDay) : DecodedTime{};
}

std::optional<Moment> TryEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    const int leap = IsLeapYear(year) ? 1 : 0;
    const std::int64_t y = year - 1;
    const std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + CumulativeDays[leap][month - 1] + day;
    return static_cast<Moment>(days - DaysBeforeEpoch);
}

std::optional<Moment> TryEncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return std::nullopt;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<Moment>(ms) / static_cast<Moment>(MillisecondsPerDay);
}

Moment ComposeDateTime(Moment date, Moment time) {
    return date < 0 ? date - time : date + time;
}

std::optional<Moment> TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                        int millisecond) {
    const auto date = TryEncodeDate(year, month, day);
    const auto time = TryEncodeTime(hour, minute, second, millisecond);
    if (!date || !time) return std::nullopt;
    return ComposeDateTime(*date, *time);
}

std::optional<std::tm> ToCalendarFields(Moment moment) {
    const MomentParts parts = SplitMoment(moment);
    if (!parts.valid) return std::nullopt;
    const DecodedDate date = DecodeDay(parts.day);
    if (date.year == 0) return std::nullopt;
    const DecodedTime time = DecodeMillisecondOfDay(parts.millisecondOfDay);
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_isdst = -1;
    return fields;
}

}  // namespace kairos
