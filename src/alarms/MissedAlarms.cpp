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

bool MinutesWereSkipped(ClockReading previous, ClockReading current) {
    const double wallMs = (current.wall - previous.wall) * static_cast<double>(MillisecondsPerDay);
    // Unsigned, so that a count that wrapped still gives the time between.
    const std::uint32_t tickMs = current.ticks - previous.ticks;
    // The tick runs at every minute boundary at the latest. The tick count
    // is the boot clock, which goes on while the machine sleeps: when it
    // moved more than a minute, the program did not run meanwhile, and the
    // wall clock's move beyond that minute went unexamined.
    const std::int64_t examined = std::min<std::int64_t>(tickMs, MillisecondsPerMinute);
    return wallMs > static_cast<double>(examined + JumpToleranceMs);
}

std::vector<MissedAlarm> FindMissedAlarms(ClockReading previous, ClockReading current, const AlarmList& alarms) {
    if (!MinutesWereSkipped(previous, current)) return {};
    const std::optional<std::int64_t> last = MinuteNumber(previous.wall);
    const std::optional<std::int64_t> now = MinuteNumber(current.wall);
    if (!last || !now) return {};
    const std::int64_t first = std::max(*last + 1, *now - MissedLookBackDays * MinutesPerDay);
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
