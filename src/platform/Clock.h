#pragma once
// What the program reads of time: the local moment and the millisecond tick
// count since boot. Everything that depends on time takes a Clock, so tests
// drive it in simulated time instead of sleeping.

#include <chrono>
#include <cstdint>

#include "platform/Moment.h"

namespace kairos::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // The local moment to the millisecond.
    virtual Moment Now() const = 0;
    // Milliseconds since the system started; wraps after 2^32 ms (49.7 days).
    virtual std::uint32_t TickCount() const = 0;
};

// The machine's own clock (local time; CLOCK_BOOTTIME ticks, GetTickCount on
// Windows: both count on while the machine sleeps).
const Clock& SystemClock();

// Minutes to add to local time to get UTC (-540 in Japan), for the current moment.
int LocalTimeZoneBias();

// An absolute instant: nanoseconds since 1970-01-01 00:00 UTC, leap seconds
// not counted. Setting the clock works in it, never in local time, where an
// autumn hour happens twice.
using UtcTime = std::chrono::sys_time<std::chrono::nanoseconds>;

// The machine's clock read as UTC.
UtcTime UtcNow();

// The local wall-clock moment of an instant under the zone rules in force
// then, to the millisecond; 0 outside the calendar.
Moment ToLocalMoment(UtcTime instant);

}  // namespace kairos::platform
