#include "shell/SyncSchedule.h"

#include <algorithm>

namespace kairos {

void SyncSchedule::Reschedule(std::uint32_t now, AutoSyncMode mode, int minutes) {
    if (mode == AutoSyncMode::Off) {
        deadline_ = 0;
        scheduledAt_ = 0;
        interval_ = 0;
        return;
    }
    interval_ = static_cast<std::uint32_t>(std::clamp(minutes, MinMinutes, MaxMinutes)) * 60'000u;
    scheduledAt_ = now;
    deadline_ = now + interval_;  // wraps with the tick count
    // 0 would read as "none" and the run would be lost for good; one
    // millisecond later costs nothing.
    if (deadline_ == 0) deadline_ = 1;
}

bool SyncSchedule::IsDue(std::uint32_t now) const {
    if (deadline_ == 0) return false;
    // Measured as time elapsed since scheduling, which unsigned arithmetic
    // gets right across the wrap; a plain "now >= deadline" would fire on
    // every tick before a wrapped deadline, or never after one.
    return now - scheduledAt_ >= interval_;
}

std::optional<std::uint32_t> SyncSchedule::MillisecondsUntilDue(std::uint32_t now) const {
    if (deadline_ == 0) return std::nullopt;
    const std::uint32_t elapsed = now - scheduledAt_;
    return elapsed >= interval_ ? 0 : interval_ - elapsed;
}

}  // namespace kairos
