#include "platform/win32/SystemTime.h"

#include <chrono>
#include <cstdint>

namespace kairos::platform {

using namespace std::chrono;

namespace {

// From 1601-01-01 to 1970-01-01 in FILETIME's 100 ns units.
constexpr std::int64_t FileTimeOfUnixEpoch = 116'444'736'000'000'000;
using FileTimeUnits = duration<std::int64_t, std::ratio<1, 10'000'000>>;

WORD Word(std::int64_t value) { return static_cast<WORD>(value); }

}  // namespace

SYSTEMTIME ToSystemTime(UtcTime instant, SubMillisecond rest) {
    const sys_time<milliseconds> whole =
        rest == SubMillisecond::Round ? round<milliseconds>(instant) : floor<milliseconds>(instant);
    const sys_days day = floor<days>(whole);
    const year_month_day date(day);
    const hh_mm_ss<milliseconds> time(whole - day);
    SYSTEMTIME fields{};
    fields.wYear = Word(static_cast<int>(date.year()));
    fields.wMonth = Word(static_cast<unsigned>(date.month()));
    fields.wDayOfWeek = Word(weekday(day).c_encoding());
    fields.wDay = Word(static_cast<unsigned>(date.day()));
    fields.wHour = Word(time.hours().count());
    fields.wMinute = Word(time.minutes().count());
    fields.wSecond = Word(time.seconds().count());
    fields.wMilliseconds = Word(time.subseconds().count());
    return fields;
}

UtcTime FromFileTime(FILETIME time) {
    const auto units = static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                                 time.dwLowDateTime);
    return UtcTime(duration_cast<nanoseconds>(FileTimeUnits(units - FileTimeOfUnixEpoch)));
}

Moment ToMoment(const SYSTEMTIME& fields) {
    return TryEncodeDateTime(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond,
                             fields.wMilliseconds)
        .value_or(0.0);
}

}  // namespace kairos::platform
