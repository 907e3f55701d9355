#include "shell/SyncSchedule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kairos {
namespace {

constexpr std::uint32_t kMinute = 60'000;

// Walks the tick count in 10 ms steps from start, as the tick would, and
// returns the tick count at which the schedule first reads due, or nothing.
std::optional<std::uint32_t> FirstDueTick(const SyncSchedule& schedule, std::uint32_t start, std::uint64_t span) {
    for (std::uint64_t step = 0; step <= span; step += 10) {
        const auto now = static_cast<std::uint32_t>(start + step);
        if (schedule.IsDue(now)) return now;
    }
    return std::nullopt;
}

struct WrapCase {
    const char* name;
    std::uint32_t scheduledAt;
    int minutes;
};

class SyncScheduleWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(SyncScheduleWrap, DueExactlyOneIntervalLaterAndNotBefore) {
    const WrapCase& c = GetParam();
    SyncSchedule schedule;
    schedule.Reschedule(c.scheduledAt, AutoSyncMode::On, c.minutes);
    EXPECT_NE(schedule.AutoSyncDeadline(), 0u) << "a deadline of 0 would mean no run at all";

    const std::uint32_t interval = static_cast<std::uint32_t>(c.minutes) * kMinute;
    const auto due = FirstDueTick(schedule, c.scheduledAt, 2ull * interval);
    ASSERT_TRUE(due.has_value()) << "the run is lost";
    const std::uint32_t waited = *due - c.scheduledAt;
    EXPECT_GE(waited, interval);
    EXPECT_LE(waited, interval + 10);
    // Once due it stays due until the run reschedules it.
    EXPECT_TRUE(schedule.IsDue(*due + 5 * kMinute));
    // The sleeping tick wakes exactly when the schedule turns due.
    EXPECT_EQ(schedule.MillisecondsUntilDue(c.scheduledAt), interval);
    EXPECT_EQ(schedule.MillisecondsUntilDue(c.scheduledAt + interval - 1), 1u);
    EXPECT_EQ(schedule.MillisecondsUntilDue(*due + 5 * kMinute), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    AcrossTheTickWrap, SyncScheduleWrap,
    ::testing::Values(WrapCase{"far_from_wrap", 1'000'000, 10}, WrapCase{"deadline_after_wrap", 0xFFFF'0000u, 1},
                      WrapCase{"deadline_exactly_zero", 0u - 10 * kMinute, 10},
                      WrapCase{"scheduled_at_zero", 0, 1}, WrapCase{"longest_interval", 0xF000'0000u, 1440},
                      WrapCase{"scheduled_just_before_wrap", 0xFFFF'FFF6u, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SyncSchedule, NotDueOnTheTicksBeforeAWrappedDeadline) {
    // A plain "now >= deadline" would call a deadline of 20000 due at once
    // when scheduled at 2^32 - 40000.
    SyncSchedule schedule;
    schedule.Reschedule(0u - 40'000, AutoSyncMode::On, 1);
    EXPECT_EQ(schedule.AutoSyncDeadline(), 20'000u);
    EXPECT_FALSE(schedule.IsDue(0u - 39'990));
    EXPECT_FALSE(schedule.IsDue(0u - 10));
    EXPECT_FALSE(schedule.IsDue(19'990));
    EXPECT_TRUE(schedule.IsDue(20'000));
}

TEST(SyncSchedule, OffMeansNoRun) {
    SyncSchedule schedule;
    EXPECT_FALSE(schedule.IsDue(0));
    EXPECT_EQ(schedule.MillisecondsUntilDue(0), std::nullopt);
    schedule.Reschedule(5000, AutoSyncMode::On, 1);
    schedule.Reschedule(6000, AutoSyncMode::Off, 1);
    EXPECT_EQ(schedule.AutoSyncDeadline(), 0u);
    EXPECT_FALSE(FirstDueTick(schedule, 6000, 10ull * kMinute).has_value());
}

TEST(SyncSchedule, HandEditedIntervalsStayWithinTheOfferedRange) {
    struct Case {
        int minutes;
        std::uint32_t expectedInterval;
    };
    for (const Case c : {Case{0, kMinute}, Case{-5, kMinute}, Case{1441, 1440 * kMinute},
                         Case{100'000'000, 1440 * kMinute}}) {
        SyncSchedule schedule;
        schedule.Reschedule(1000, AutoSyncMode::On, c.minutes);
        EXPECT_EQ(schedule.AutoSyncDeadline() - 1000, c.expectedInterval) << c.minutes << " minutes";
        EXPECT_FALSE(schedule.IsDue(1010)) << c.minutes << " minutes must not run on the next tick";
    }
}

}  // namespace
}  // namespace kairos
