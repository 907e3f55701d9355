#pragma once
// What the program reads of time: the local moment and the millisecond tick
// count since boot. Everything that depends on time takes a Clock, so tests
// drive it in simulated time instead of sleeping.

#include <cstdint>

#include "platform/DateTime.h"

namespace kairos::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // The local moment to the millisecond.
    virtual TDateTime Now() const = 0;
    // Milliseconds since the system started; wraps after 2^32 ms (49.7 days).
    virtual std::uint32_t TickCount() const = 0;
};

// The machine's own clock (local time, CLOCK_BOOTTIME ticks).
const Clock& SystemClock();

// Minutes to add to local time to get UTC (-540 in Japan), for the current moment.
int LocalTimeZoneBias();

}  // namespace kairos::platform
