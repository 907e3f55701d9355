#include "alarms/MissedAlarms.h"

#include <algorithm>
#include <optional>

#include "alarms/AlarmList.h"
#include "alarms/SnoozeStops.h"
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

struct Search {
    const AlarmList& alarms;
    const SnoozeStops* stops;
    std::vector<bool> found;
    std::vector<MissedAlarm> missed;
};

void CollectDueIn(Moment minute, Search& search) {
    for (std::size_t i = 0; i < search.alarms.Count(); ++i) {
        const Alarm& alarm = search.alarms[i];
        if (search.found[i] || !alarm.IsAlarmTime(minute)) continue;
        if (search.stops && search.stops->Stopped(alarm, minute)) continue;
        search.found[i] = true;
        search.missed.push_back({i, minute, alarm.Message, alarm.RemoveOnExec});
    }
}

}  // namespace

std::vector<MissedAlarm> FindMissedAlarms(Moment previousTick, Moment currentTick, const AlarmList& alarms,
                                          const SnoozeStops* stops) {
    const std::optional<std::int64_t> last = MinuteNumber(previousTick);
    const std::optional<std::int64_t> now = MinuteNumber(currentTick);
    if (!last || !now) return {};
    const std::int64_t first = std::max(*last + 1, *now - MissedLookBackDays * MinutesPerDay);
    // Every tick asks: between ticks of adjacent minutes it costs nothing.
    if (first >= *now) return {};
    Search search{alarms, stops, std::vector<bool>(alarms.Count(), false), {}};
    for (std::int64_t minute = first; minute < *now && search.missed.size() < alarms.Count(); ++minute)
        CollectDueIn(MinuteMoment(minute), search);
    return std::move(search.missed);
}

std::string MissedAlarmsText(const std::vector<MissedAlarm>& missed) {
    if (missed.empty()) return {};
    std::string text = "見逃したアラーム";
    const char* separator = " ";
    for (const MissedAlarm& alarm : missed) {
        // Untitled as in the alarm list, so that an alarm without a message is still told.
        text.append(separator).append(FormatMoment("h:nn", alarm.due)).append(" ");
        text.append(alarm.message.empty() ? std::string(UntitledAlarm) : alarm.message);
        separator = ", ";
    }
    return text;
}

}  // namespace kairos
