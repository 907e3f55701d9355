#pragma once
// Setting the machine's clock. Only the running program reaches the real
// setter; everything else is handed a setter that merely records, so that no
// test can move the machine's clock.

#include "platform/Clock.h"

namespace kairos::platform {

enum class ClockSetResult {
    Set,
    NoPermission,      // the process may not, and nobody would do it for it
    SystemSyncActive,  // the system's own time synchronisation keeps the clock
    Failed,
};

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the clock to an absolute instant.
    virtual ClockSetResult SetUtc(UtcTime instant) = 0;
};

// The machine's clock: directly when the process holds CAP_SYS_TIME, else
// through systemd-timedated (polkit may ask the user), else refused.
// On Windows: directly when the user holds the right to change the system
// time (administrators do), else refused.
ClockSetter& SystemClockSetter();

}  // namespace kairos::platform
