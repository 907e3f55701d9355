#pragma once
// When the next periodic clock correction is due, on the 32-bit millisecond
// tick count that wraps every 49.7 days.

#include <cstdint>
#include <optional>

namespace kairos {

enum class AutoSyncMode { Off, On };

class SyncSchedule {
public:
    // The interval the preferences offer; a hand-edited value outside it is
    // brought inside, so that no value makes the correction run on every tick.
    static constexpr int MinMinutes = 1;
    static constexpr int MaxMinutes = 1440;

    // Next run "minutes" after now, or none when off.
    void Reschedule(std::uint32_t now, AutoSyncMode mode, int minutes);
    bool IsDue(std::uint32_t now) const;
    // How long until IsDue; 0 once it is, none when off.
    std::optional<std::uint32_t> MillisecondsUntilDue(std::uint32_t now) const;

    // Tick count of the next run; 0 means none.
    std::uint32_t AutoSyncDeadline() const { return deadline_; }

private:
    std::uint32_t deadline_ = 0;
    std::uint32_t scheduledAt_ = 0;
    std::uint32_t interval_ = 0;
};

}  // namespace kairos
