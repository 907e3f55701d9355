#include "shell/TickPlan.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kairos {
namespace {

using enum ChangeUnit;

struct PlanCase {
    const char* name;
    TemplateChange texts;
    std::uint32_t msOfDay;  // of the wall clock
    std::uint32_t tickCount;
    std::optional<std::uint32_t> syncDueInMs;
    std::optional<std::uint32_t> afterMs;
    std::uint32_t wallAfterMs;
};

class TickPlanning : public ::testing::TestWithParam<PlanCase> {};

TEST_P(TickPlanning, WakesAtTheNextPossibleChange) {
    const PlanCase& c = GetParam();
    const Moment now = 46'000 + static_cast<double>(c.msOfDay) / MillisecondsPerDay;
    const TickPlan plan = PlanNextTick({c.texts, now, c.tickCount, c.syncDueInMs});
    EXPECT_EQ(plan.afterMs, c.afterMs);
    EXPECT_EQ(plan.wallAfterMs, c.wallAfterMs);
}

constexpr std::uint32_t kNoon = 12 * 3'600'000;

INSTANTIATE_TEST_SUITE_P(
    TickPlan, TickPlanning,
    ::testing::Values(
        // Seconds shown: just past the next second, whatever the tick count.
        PlanCase{"SecondsMidSecond", {Second, Never}, kNoon + 400, 123'456, {}, {}, 602},
        PlanCase{"SecondsRightAfterABoundary", {Second, Never}, kNoon + 2, 7, {}, {}, 1000},
        PlanCase{"SecondsOnTheBoundaryItself", {Second, Never}, kNoon, 7, {}, {}, 1002},
        // Minutes, or nothing at all: still every minute, for the alarms and the chime.
        PlanCase{"MinutesOnly", {Minute, Never}, kNoon + 59'000, 0, {}, {}, 1002},
        PlanCase{"NothingChanges", {Never, Never}, kNoon + 1, 0, {}, {}, 60'001},
        PlanCase{"LastMillisecondOfTheDay", {Minute, Never}, 86'399'999, 0, {}, {}, 3},
        // Milliseconds, on either clock: the old fast pace.
        PlanCase{"WallMilliseconds", {Millisecond, Never}, kNoon, 0, {}, 10u, 60'002},
        PlanCase{"UptimeMilliseconds", {Minute, Millisecond}, kNoon, 0, {}, 10u, 60'002},
        // Uptime tokens follow the tick count's own seconds and minutes.
        PlanCase{"UptimeSeconds", {Minute, Second}, kNoon, 10'250, {}, 752u, 60'002},
        PlanCase{"UptimeMinutes", {Never, Minute}, kNoon, 59'999, {}, 3u, 60'002},
        PlanCase{"UptimeAcrossTheWrap", {Never, Second}, kNoon, 0xFFFF'FF00u, {}, 258u, 60'002},
        // The periodic correction, when it is due sooner than anything else.
        PlanCase{"SyncSooner", {Second, Minute}, kNoon, 0, 150u, 150u, 1002},
        PlanCase{"SyncLater", {Second, Second}, kNoon, 500, 5'000u, 502u, 1002},
        PlanCase{"SyncDueNow", {Minute, Never}, kNoon, 0, 0u, 0u, 60'002}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos
