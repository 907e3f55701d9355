#include "shell/TickPlan.h"

#include <algorithm>

namespace kairos {
namespace {

constexpr std::uint32_t MsPerSecond = 1000;
constexpr std::uint32_t MsPerMinute = 60'000;

// Milliseconds from a position to the next boundary of the unit, past it by
// the margin; at a boundary itself, the one after.
std::uint32_t ToNextBoundary(std::uint64_t position, std::uint32_t unit) {
    return unit - static_cast<std::uint32_t>(position % unit) + BoundaryMarginMs;
}

void TakeSooner(std::optional<std::uint32_t>& soonest, std::uint32_t candidate) {
    soonest = soonest ? std::min(*soonest, candidate) : candidate;
}

}  // namespace

std::uint32_t TickPlan::SoonestMs() const { return afterMs ? std::min(*afterMs, wallAfterMs) : wallAfterMs; }

TemplateChange Finest(TemplateChange a, TemplateChange b) { return {Finer(a.wall, b.wall), Finer(a.uptime, b.uptime)}; }

TickPlan PlanNextTick(const TickPlanInputs& inputs) {
    TickPlan plan;
    // Every zone is a whole number of minutes off UTC, so a local second or
    // minute boundary is a boundary of the wall clock too; a change of
    // daylight saving time moves no minute boundary.
    const MomentParts now = SplitMoment(inputs.now);
    const std::uint64_t ofDay = now.valid ? static_cast<std::uint64_t>(now.millisecondOfDay) : 0;
    plan.wallAfterMs = ToNextBoundary(ofDay, inputs.texts.wall == ChangeUnit::Second ? MsPerSecond : MsPerMinute);

    const TemplateChange& texts = inputs.texts;
    if (texts.wall == ChangeUnit::Millisecond || texts.uptime == ChangeUnit::Millisecond)
        TakeSooner(plan.afterMs, FastTickMs);
    if (texts.uptime == ChangeUnit::Second) TakeSooner(plan.afterMs, ToNextBoundary(inputs.tickCount, MsPerSecond));
    if (texts.uptime == ChangeUnit::Minute) TakeSooner(plan.afterMs, ToNextBoundary(inputs.tickCount, MsPerMinute));
    // The tick count wraps every 49.7 days off any second's boundary; the
    // uptime shown starts again from zero there.
    if (texts.uptime != ChangeUnit::Never && inputs.tickCount != 0)
        TakeSooner(plan.afterMs, (0u - inputs.tickCount) + BoundaryMarginMs);
    if (inputs.syncDueInMs) TakeSooner(plan.afterMs, *inputs.syncDueInMs);
    if (inputs.frameDueInMs) TakeSooner(plan.afterMs, *inputs.frameDueInMs);
    return plan;
}

}  // namespace kairos
