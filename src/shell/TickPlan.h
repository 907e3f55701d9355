#pragma once
// When the clock window next has something to do. A tick runs when one of
// the three lines can show a new text, at each minute boundary (where the
// alarms and the chime are examined), and when the periodic clock correction
// is due. The end of a status hold or of a pause is a deadline timer of its
// own, which wakes the window by itself.

#include <cstdint>
#include <optional>

#include "clocktext/TemplateChange.h"
#include "platform/Moment.h"

namespace kairos {

// The pace of a line that shows milliseconds, and of the old fixed tick.
inline constexpr std::uint32_t FastTickMs = 10;
// How long after a boundary the tick runs, so that the clock it reads has
// passed the boundary too.
inline constexpr std::uint32_t BoundaryMarginMs = 2;

struct TickPlan {
    // By the tick count: milliseconds shown, uptime tokens, the periodic
    // correction. None when nothing counts on it.
    std::optional<std::uint32_t> afterMs;
    // By the wall clock: the next second or minute boundary, never more than
    // a minute away.
    std::uint32_t wallAfterMs = 0;

    std::uint32_t SoonestMs() const;
};

struct TickPlanInputs {
    TemplateChange texts;  // the finest of what the lines show
    Moment now = 0;
    std::uint32_t tickCount = 0;
    std::optional<std::uint32_t> syncDueInMs;
    // The next frame of a line that moves.
    std::optional<std::uint32_t> frameDueInMs = std::nullopt;
};

TickPlan PlanNextTick(const TickPlanInputs& inputs);

// The finer of two answers on each clock.
TemplateChange Finest(TemplateChange a, TemplateChange b);

}  // namespace kairos
