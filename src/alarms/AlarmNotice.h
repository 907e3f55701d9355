#pragma once
// What a desktop notification says when an alarm rings, or when alarms
// went by unrung. Which desktop service shows it is the shell's business.

#include <string>
#include <string_view>
#include <vector>

#include "alarms/Alarm.h"
#include "alarms/MissedAlarms.h"

namespace kairos {

enum class NoticeUrgency { Normal, Critical };
enum class NoticeAction { None, StopSeries };

struct Notice {
    std::string summary;
    std::string body;  // plain text: the service's markup, if any, is the shell's to escape
    // Critical notices stay until the user dismisses them.
    NoticeUrgency urgency = NoticeUrgency::Normal;
    NoticeAction action = NoticeAction::None;
};

inline constexpr std::string_view StopSeriesCaption = "今回で止める";

// "アラーム 7:30" over the whole message. A message is what the user wrote
// down to be told, so it stays until dismissed; a bare alarm times out. An
// alarm that repeats offers to end its repetitions for today.
Notice AlarmRangNotice(const Alarm& alarm, Moment rangAt);

// "見逃したアラーム" over one line per alarm, and a word on the one-time
// alarms, which stay in the list although their minute has gone.
Notice MissedAlarmsNotice(const std::vector<MissedAlarm>& missed);

}  // namespace kairos
