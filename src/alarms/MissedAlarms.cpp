#include "alarms/MissedAlarms.h"

#include <algorithm>
#include <optional>

#include "alarms/AlarmList.h"
#include "clocktext/FormatMoment.h"

namespace kairos {

namespace {

constexpr std::int64_t MillisecondsPerMinute = 60'000;
constexpr std::int64_t MinutesPerDay = 24 * 60;

// Minutes since day 0; none before it, where days count backwards.
std::optional<std::int64_t> MinuteNumber(Moment moment) {
    if (!(moment >= 0)) return std::nullopt;
    const MomentParts parts = SplitMoment(moment);
    if (!parts.valid) return std::nullopt;
    return parts.day * MinutesPerDay + parts.millisecondOfDay / MillisecondsPerMinute;
}

// Off by far less than a millisecond, which the due test rounds away.
Moment MinuteMoment(std::int64_t minute) { return static_cast<Moment>(minute) / MinutesPerDay; }

void CollectDueIn(Moment minute, const AlarmList& alarms, std::vector<bool>& found, std::vector<MissedAlarm>& missed) {
    for (std::size_t i = 0; i < alarms.Count(); ++i) {
        if (found[i] || !alarms[i].IsAlarmTime(minute)) continue;
        found[i] = true;
        missed.push_back({i, minute, alarms[i].Message});
    }
}

}  // namespace

std::vector<MissedAlarm> FindMissedAlarms(Moment previousTick, Moment currentTick, const AlarmList& alarms) {
    const std::optional<std::int64_t> last = MinuteNumber(previousTick);
    const std::optional<std::int64_t> now = MinuteNumber(currentTick);
    if (!last || !now) return {};
    const std::int64_t first = std::max(*last + 1, *now - MissedLookBackDays * MinutesPerDay);
    // Every tick asks: between ticks of adjacent minutes it costs nothing.
    if (first >= *now) return {};
    std::vector<bool> found(alarms.Count(), false);
    std::vector<MissedAlarm> missed;
    for (std::int64_t minute = first; minute < *now && missed.size() < alarms.Count(); ++minute)
        CollectDueIn(MinuteMoment(minute), alarms, found, missed);
    return missed;
}

std::string MissedAlarmsText(const std::vector<MissedAlarm>& missed) {
    if (missed.empty()) return {};
    std::string text = "見逃したアラーム";
    const char* separator = " ";
    for (const MissedAlarm& alarm : missed) {
        // Untitled as in the alarm list, so that an alarm without a message is still told.
        text.append(separator).append(FormatMoment("h:nn", alarm.due)).append(" ");
        text.append(alarm.message.empty() ? std::string("無題") : alarm.message);
        separator = ", ";
    }
    return text;
}

}  // namespace kairos
