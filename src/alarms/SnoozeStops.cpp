#include "alarms/SnoozeStops.h"

#include <algorithm>

namespace kairos {

void SnoozeStops::Stop(const Alarm& alarm, Moment firedAt) {
    const MomentParts at = SplitMoment(firedAt);
    if (!at.valid) return;
    // Stops of earlier days have done their work.
    std::erase_if(entries_, [&](const Entry& entry) { return entry.day < at.day; });
    if (!Stopped(alarm, firedAt)) entries_.push_back({alarm, at.day});
}

bool SnoozeStops::Stopped(const Alarm& alarm, Moment moment) const {
    if (entries_.empty()) return false;
    const MomentParts at = SplitMoment(moment);
    return at.valid && std::ranges::any_of(entries_, [&](const Entry& entry) {
               return entry.day == at.day && entry.alarm == alarm;
           });
}

}  // namespace kairos
