#pragma once
// Snooze series ended for the day from an alarm's notification. Kept in
// memory only: the next day the alarm rings and repeats as before.

#include <cstdint>
#include <vector>

#include "alarms/Alarm.h"

namespace kairos {

class SnoozeStops {
public:
    // Ends the series this alarm rang in at the moment: none of its
    // repetitions later that day fires.
    void Stop(const Alarm& alarm, Moment firedAt);
    // Whether the alarm's series was ended on the moment's day. An alarm
    // edited since is another alarm, and rings again.
    bool Stopped(const Alarm& alarm, Moment moment) const;

private:
    struct Entry {
        Alarm alarm;
        std::int64_t day = 0;
    };
    std::vector<Entry> entries_;
};

}  // namespace kairos
