#pragma once
// Alarms whose minutes went by without a tick: the machine slept, the
// program was stopped, or the clock was set forward. They are reported, not
// fired, since a sound or a command hours late may do more harm than good.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Moment.h"

namespace kairos {

class AlarmList;
class SnoozeStops;

// Minutes further back are not looked at: a clock set years ahead would
// otherwise cost a walk through every minute in between.
inline constexpr int MissedLookBackDays = 7;

struct MissedAlarm {
    std::size_t index = 0;  // the alarm's place in the list when it was found
    Moment due = 0;         // its first due minute among those skipped
    std::string message;
    bool removesItself = false;  // kept all the same: it never fired
};

// The alarms due in the minutes strictly between the minutes of two ticks:
// the clock ticks in every minute it runs through, so a minute between them
// went by unexamined. Each alarm once, by its first due minute, in the order
// they fell due. The current minute is left to the normal check, and a clock
// set back skips nothing. Repetitions of a series ended for the day were
// not going to ring, and are not reported.
std::vector<MissedAlarm> FindMissedAlarms(Moment previousTick, Moment currentTick, const AlarmList& alarms,
                                          const SnoozeStops* stops = nullptr);

// "見逃したアラーム 7:30 起床, 8:00 会議"; empty when nothing was missed.
std::string MissedAlarmsText(const std::vector<MissedAlarm>& missed);

}  // namespace kairos
