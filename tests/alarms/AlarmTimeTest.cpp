// The due test: the day by kind, then the minute or a snooze repetition.

#include <gtest/gtest.h>

#include "alarms/Alarm.h"
#include "platform/Moment.h"

namespace kairos {
namespace {

constexpr WeekdaySet MonToFri = 0x3E;

Moment At(int year, int month, int day, int hour, int minute, int second = 0, int millisecond = 0) {
    return *TryEncodeDateTime(year, month, day, hour, minute, second, millisecond);
}

Alarm MakeAlarm(AlarmKind kind, WeekdaySet weeks, Moment time, SnoozeInterval snooze = SnoozeInterval::Off,
                Moment date = At(2026, 12, 7, 0, 0)) {
    Alarm alarm;
    alarm.Kind = kind;
    alarm.Weeks = weeks;
    alarm.Time = time;
    alarm.Snooze = snooze;
    alarm.Date = date;
    return alarm;
}

Moment Clock(int hour, int minute) {
    return *TryEncodeTime(hour, minute, 0, 0);
}

struct DueCase {
    const char* name;
    Alarm alarm;
    Moment moment;
    bool due;
};

// 7 December 2026 is a Monday, the 9th a Wednesday, the 12th a Saturday.
TEST(AlarmTime, IsDueExactlyInItsMinutes) {
    const Alarm workdays = MakeAlarm(AlarmKind::Weekly, MonToFri, Clock(7, 30));
    const Alarm snooze10 = MakeAlarm(AlarmKind::Weekly, MonToFri, Clock(7, 30), SnoozeInterval::TenMinutes);
    const Alarm lateDate = MakeAlarm(AlarmKind::OnDate, 0, Clock(23, 50), SnoozeInterval::FiveMinutes);
    const Alarm everyNight = MakeAlarm(AlarmKind::Weekly, AllWeekdays, Clock(23, 50), SnoozeInterval::FifteenMinutes);
    // What a load leaves for a missing time: the moment of loading, date included.
    const Alarm timeWithDate =
        MakeAlarm(AlarmKind::Weekly, AllWeekdays, At(2026, 12, 7, 7, 30), SnoozeInterval::FifteenMinutes);
    const Alarm timeDayBefore =
        MakeAlarm(AlarmKind::Weekly, AllWeekdays, At(1899, 12, 29, 23, 59), SnoozeInterval::FifteenMinutes);
    const DueCase cases[] = {
        {"Wednesday", workdays, At(2026, 12, 9, 7, 30), true},
        {"last millisecond", workdays, At(2026, 12, 9, 7, 30, 59, 999), true},
        {"minute before", workdays, At(2026, 12, 9, 7, 29, 59, 999), false},
        {"minute after", workdays, At(2026, 12, 9, 7, 31), false},
        {"Saturday", workdays, At(2026, 12, 12, 7, 30), false},
        {"no days", MakeAlarm(AlarmKind::Weekly, 0, Clock(7, 30)), At(2026, 12, 9, 7, 30), false},
        {"Friday before day 0", MakeAlarm(AlarmKind::Weekly, WeekBit(Weekday::Friday), Clock(7, 30)),
         At(1899, 12, 29, 7, 30), true},
        {"snooze 07:40", snooze10, At(2026, 12, 9, 7, 40), true},
        {"snooze 07:50", snooze10, At(2026, 12, 9, 7, 50), true},
        {"snooze 08:00", snooze10, At(2026, 12, 9, 8, 0), true},
        {"snooze 08:10", snooze10, At(2026, 12, 9, 8, 10), true},
        {"no fifth step 08:20", snooze10, At(2026, 12, 9, 8, 20), false},
        {"between steps", snooze10, At(2026, 12, 9, 7, 35), false},
        {"no step before", snooze10, At(2026, 12, 9, 7, 20), false},
        {"step on Saturday", snooze10, At(2026, 12, 12, 7, 40), false},
        {"no steps when disabled", workdays, At(2026, 12, 9, 7, 40), false},
        {"15-minute last step", MakeAlarm(AlarmKind::Weekly, MonToFri, Clock(7, 30), SnoozeInterval::FifteenMinutes),
         At(2026, 12, 9, 8, 30), true},
        {"date 23:50", lateDate, At(2026, 12, 7, 23, 50), true},
        {"date 23:55", lateDate, At(2026, 12, 7, 23, 55), true},
        {"date step not on next day", lateDate, At(2026, 12, 8, 0, 0), false},
        {"date step not wrapped", lateDate, At(2026, 12, 7, 0, 0), false},
        {"weekly step not wrapped", everyNight, At(2026, 12, 8, 0, 5), false},
        {"date next day", MakeAlarm(AlarmKind::OnDate, AllWeekdays, Clock(7, 30)), At(2026, 12, 8, 7, 30), false},
        {"date next year", MakeAlarm(AlarmKind::OnDate, AllWeekdays, Clock(7, 30)), At(2027, 12, 7, 7, 30), false},
        {"date ignores weeks", MakeAlarm(AlarmKind::OnDate, 0, Clock(7, 30)), At(2026, 12, 7, 7, 30), true},
        {"tick count", MakeAlarm(AlarmKind::AtTickCount, AllWeekdays, Clock(7, 30)), At(2026, 12, 7, 7, 30), false},
        {"time with date", timeWithDate, At(2026, 12, 7, 7, 30), false},
        {"time with date, step", timeWithDate, At(2026, 12, 7, 8, 30), false},
        {"time a day before day 0, step", timeDayBefore, At(2026, 12, 7, 0, 14), false},
    };
    for (const DueCase& c : cases) EXPECT_EQ(c.alarm.IsAlarmTime(c.moment), c.due) << c.name;
}

// Times of day are not exact in binary; every minute must match itself and
// nothing else however the fraction rounds, and the weekday must agree with
// the calendar on every day.
TEST(AlarmTime, EveryMinuteAndWeekdayMatchesOnlyItself) {
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const Alarm alarm = MakeAlarm(AlarmKind::Weekly, AllWeekdays, Clock(minute / 60, minute % 60));
        const Moment start = At(2026, 12, 9, minute / 60, minute % 60);
        ASSERT_TRUE(alarm.IsAlarmTime(start) && alarm.IsAlarmTime(start + 59.999 / 86400)) << minute;
        ASSERT_FALSE(alarm.IsAlarmTime(start - 0.001 / 86400) || alarm.IsAlarmTime(start + 60.0 / 86400)) << minute;
    }
    for (int offset = -10; offset < 10; ++offset) {
        const Moment moment = At(2026, 12, 7, 7, 30) + offset;
        for (int day = Ordinal(Weekday::Sunday); day <= Ordinal(Weekday::Saturday); ++day)
            EXPECT_EQ(MakeAlarm(AlarmKind::Weekly, 1 << day, Clock(7, 30)).IsAlarmTime(moment),
                      day == DecodeDate(moment).dayOfWeek - 1)
                << offset << " " << day;
    }
}

}  // namespace
}  // namespace kairos
