#pragma once
// UTC instants and moments in the system's own time structures.

#include <windows.h>

#include "platform/Clock.h"
#include "platform/Moment.h"

namespace kairos::platform {

// What becomes of the part of an instant below the millisecond, which
// SYSTEMTIME cannot hold.
enum class SubMillisecond {
    Truncate,  // as the clock reads: a moment never shows a time not yet reached
    Round,     // as the clock is set: the nearest millisecond
};

// The UTC fields of an instant, the day of the week included. Every UtcTime
// (1677 to 2262) lies within the years SYSTEMTIME takes.
SYSTEMTIME ToSystemTime(UtcTime instant, SubMillisecond rest);

// FILETIME counts 100 ns since 1601-01-01 UTC.
UtcTime FromFileTime(FILETIME time);

// The moment of the fields; 0 when they name no date.
Moment ToMoment(const SYSTEMTIME& fields);

}  // namespace kairos::platform
