#pragma once
// Setting the machine's clock. Only the running program reaches the real
// setter; everything else is handed a setter that merely records, so that no
// test can move the machine's clock.

#include "platform/DateTime.h"

namespace kairos::platform {

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the clock to a local moment; false when the system refused.
    virtual bool SetLocalTime(TDateTime local) = 0;
};

// The machine's clock: directly when the process holds CAP_SYS_TIME, else
// through systemd-timedated (polkit may ask the user), else refused.
ClockSetter& SystemClockSetter();

}  // namespace kairos::platform
