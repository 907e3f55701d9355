// Which alarms a jump of the wall clock passed over, told once each.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "alarms/AlarmList.h"
#include "alarms/MissedAlarms.h"
#include "platform/Moment.h"
#include "support/FakeClock.h"

namespace kairos {
namespace {

constexpr WeekdaySet MonToFri = 0x3E;
constexpr std::int64_t Second = 1000, Minute = 60 * Second, Hour = 60 * Minute;

// Monday 7 December 2026.
Moment At(int hour, int minute, int second = 0, int millisecond = 0, int day = 7) {
    return *TryEncodeDateTime(2026, 12, day, hour, minute, second, millisecond);
}

std::unique_ptr<Alarm> MakeAlarm(AlarmKind kind, WeekdaySet weeks, int hour, int minute, std::string message,
                                 SnoozeInterval snooze = SnoozeInterval::Off, bool removeOnExec = false) {
    return std::make_unique<Alarm>(Alarm{kind, At(0, 0), *TryEncodeTime(hour, minute, 0, 0), weeks, snooze,
                                         std::move(message), "/bin/true", removeOnExec});
}

struct SkipCase {
    const char* name;
    Moment previous;       // the last tick
    std::int64_t wallMs;   // how far the wall clock moved until the next
    const char* reported;  // "" for nothing
};

TEST(MissedAlarms, ReportsTheAlarmsOfSkippedMinutesOnce) {
    testing::FakeClock clock;
    AlarmList list("unused.ini", clock);
    list.Add(MakeAlarm(AlarmKind::Weekly, MonToFri, 7, 30, "起床", SnoozeInterval::TenMinutes));
    list.Add(MakeAlarm(AlarmKind::OnDate, 0, 8, 0, "会議", SnoozeInterval::Off, true));
    list.Add(MakeAlarm(AlarmKind::Weekly, AllWeekdays, 8, 45, "散歩"));
    list.Add(MakeAlarm(AlarmKind::Weekly, AllWeekdays, 6, 59, ""));
    const SkipCase cases[] = {
        {"no jump", At(7, 0), Second, ""},
        {"into the due minute", At(6, 58, 59, 500), Second, ""},
        {"stopped over the due minute", At(6, 58, 40), 90 * Second, "見逃したアラーム 6:59 無題"},
        {"two-hour suspend", At(7, 0), 2 * Hour, "見逃したアラーム 7:30 起床, 8:00 会議, 8:45 散歩"},
        {"an hour forward", At(7, 10), Hour, "見逃したアラーム 7:30 起床, 8:00 会議"},
        {"back two hours", At(9, 0), -2 * Hour, ""},
        {"ending in a due minute", At(7, 0), 30 * Minute, ""},
        {"starting in a due minute", At(7, 30, 10), 40 * Minute, "見逃したアラーム 7:40 起床, 8:00 会議"},
        {"ten days, a week looked back", At(7, 0), 10 * 24 * Hour, "見逃したアラーム 7:30 起床, 8:45 散歩, 6:59 無題"},
    };
    for (const SkipCase& c : cases) {
        const Moment current = c.previous + static_cast<double>(c.wallMs) / MillisecondsPerDay;
        EXPECT_EQ(MissedAlarmsText(FindMissedAlarms(c.previous, current, list)), c.reported) << c.name;
    }
}

TEST(MissedAlarms, GivesEachAlarmsFirstDueMinuteAndPlace) {
    testing::FakeClock clock;
    AlarmList list("unused.ini", clock);
    list.Add(MakeAlarm(AlarmKind::Weekly, AllWeekdays, 8, 0, "後"));
    list.Add(MakeAlarm(AlarmKind::Weekly, MonToFri, 7, 30, "起床", SnoozeInterval::FiveMinutes));
    const auto missed = FindMissedAlarms(At(7, 32), At(9, 0), list);
    ASSERT_EQ(missed.size(), 2u);
    EXPECT_EQ(missed[0].index, 1u);
    EXPECT_EQ(missed[0].due, At(7, 35));
    EXPECT_EQ(missed[1].index, 0u);
    EXPECT_EQ(missed[1].due, At(8, 0));
}

}  // namespace
}  // namespace kairos
