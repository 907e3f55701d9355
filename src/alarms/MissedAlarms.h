#pragma once
// Alarms whose minutes went by without a tick: the machine slept, the
// program was stopped, or the clock was set forward. They are reported, not
// fired, since a sound or a command hours late may do more harm than good.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Moment.h"

namespace kairos {

class AlarmList;

// What a tick reads of time: the local wall clock and the tick count.
struct ClockReading {
    Moment wall = 0;
    std::uint32_t ticks = 0;
};

// How much farther than the tick count the wall clock may move between two
// ticks before minutes count as skipped: a late tick or a small correction
// of the clock is no jump.
inline constexpr std::int64_t JumpToleranceMs = 90'000;
// Minutes further back are not looked at: a clock set years ahead would
// otherwise cost a walk through every minute in between.
inline constexpr int MissedLookBackDays = 7;

struct MissedAlarm {
    std::size_t index = 0;  // the alarm's place in the list when it was found
    Moment due = 0;         // its first due minute among those skipped
    std::string message;
};

// Whether the wall clock moved forward past minutes no tick examined.
bool MinutesWereSkipped(ClockReading previous, ClockReading current);

// The alarms due in the minutes strictly between the two readings' minutes,
// when they were skipped; each alarm once, by its first due minute, in the
// order they fell due. The current minute is left to the normal check.
std::vector<MissedAlarm> FindMissedAlarms(ClockReading previous, ClockReading current, const AlarmList& alarms);

// "見逃したアラーム 7:30 起床, 8:00 会議"; empty when nothing was missed.
std::string MissedAlarmsText(const std::vector<MissedAlarm>& missed);

}  // namespace kairos
