// A whole year of a thousand alarms in simulated time, in a zone with
// daylight saving: the clock window must fire every alarm in exactly the
// minutes that the alarm rules give, worked out here from the local calendar
// of the C library without the program's due test.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/ClockWindow.h"
#include "shell/DeadlineTimers.h"
#include "support/BoxAnswerer.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/ScopedTimeZone.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

constexpr int kYear = 2028;  // a leap year
constexpr int kDaysInYear = 366;
constexpr int kMinutesPerDay = 24 * 60;
constexpr int kAlarmCount = 1000;
constexpr const char* kAlarmSound = "/sounds/alarm.wav";

// The tick runs at second 0 of every minute, and at second 30 of a minute
// in which an alarm fired. Nothing in the alarm rules looks below the minute
// except the 60-second pause, and 60 s is a whole number of such steps: a
// pause started by a firing at second 0 ends on the tick at second 0 of the
// next minute (or, if that tick came first, on the one at second 30, still
// inside that minute), so every minute is checked in its first tick, as with
// the program's 10 ms tick. The tick at second 30 after a firing falls inside
// the pause and shows that a due minute fires only once; in a minute without
// a firing it would only repeat the check of second 0 against the same minute.
constexpr int kSecondTick = 30;


// One alarm as the test writes it into the alarm file.
struct EdgeAlarm {
    AlarmKind kind = AlarmKind::Weekly;
    int year = kYear, month = 1, day = 1;  // the date of a date alarm
    int minute = 0;                        // the time, as the minute of the day
    WeekdaySet weeks = 0;
    SnoozeInterval snooze = SnoozeInterval::Off;
    bool removeOnExec = false;
    std::string message;
};

// Alarms that sit on the edges the year has to get right, whatever the
// random ones happen to hit.
std::vector<EdgeAlarm> EdgeAlarms() {
    auto on = [](int year, int month, int day, int hour, int minute, SnoozeInterval snooze = SnoozeInterval::Off,
                 bool removeOnExec = false) {
        EdgeAlarm a;
        a.kind = AlarmKind::OnDate;
        a.year = year, a.month = month, a.day = day, a.minute = hour * 60 + minute;
        a.snooze = snooze;
        a.removeOnExec = removeOnExec;
        return a;
    };
    std::vector<EdgeAlarm> edges = {
        on(kYear, 3, 26, 2, 30),                      // a minute that does not exist
        on(kYear, 3, 26, 1, 50, SnoozeInterval::FiveMinutes),          // repetitions run into the gap
        on(kYear, 3, 26, 2, 20, SnoozeInterval::FifteenMinutes),         // starts in the gap, repeats after it
        on(kYear, 10, 29, 2, 30),                     // a minute shown twice
        on(kYear, 10, 29, 2, 30, SnoozeInterval::Off, true),    // ... but removed after the first
        on(kYear, 10, 29, 2, 50, SnoozeInterval::FiveMinutes),         // repetitions across the change
        on(kYear, 10, 29, 1, 59, SnoozeInterval::FifteenMinutes, true),  // removed before the change
        on(kYear, 2, 29, 23, 50, SnoozeInterval::FiveMinutes),         // the leap day, cut at midnight
        on(kYear, 2, 29, 0, 0),
        on(kYear, 1, 1, 0, 0, SnoozeInterval::FifteenMinutes),  // the first minute of the run
        on(kYear, 12, 31, 23, 45, SnoozeInterval::FiveMinutes),
        on(kYear - 1, 12, 31, 23, 50, SnoozeInterval::FifteenMinutes),  // repetitions never cross into the year
        on(kYear + 1, 1, 1, 0, 0),
    };
    EdgeAlarm sundayInGap;
    sundayInGap.weeks = WeekBit(Weekday::Sunday);
    sundayInGap.minute = 2 * 60 + 30;
    edges.push_back(sundayInGap);
    sundayInGap.removeOnExec = true;
    edges.push_back(sundayInGap);
    EdgeAlarm tick;
    tick.kind = AlarmKind::AtTickCount;
    tick.minute = 12 * 60;
    edges.push_back(tick);
    return edges;
}

// Alarms due in the same minute side by side, some removing themselves: the
// walk still examines the alarm after a removed one in the same pass, also
// after two removals in a row and at the end of the list.
std::vector<std::vector<EdgeAlarm>> AdjacentAlarms() {
    auto at = [](AlarmKind kind, int month, int day, WeekdaySet weeks, int hour, bool removeOnExec) {
        EdgeAlarm a;
        a.kind = kind;
        a.month = month, a.day = day, a.weeks = weeks, a.minute = hour * 60;
        a.removeOnExec = removeOnExec;
        return a;
    };
    return {
        {at(AlarmKind::Weekly, 1, 1, AllWeekdays, 6, false), at(AlarmKind::OnDate, 3, 1, 0, 6, true),
         at(AlarmKind::OnDate, 3, 1, 0, 6, false)},
        {at(AlarmKind::OnDate, 3, 31, 0, 12, true), at(AlarmKind::OnDate, 3, 31, 0, 12, true),
         at(AlarmKind::Weekly, 1, 1, WeekBit(Weekday::Friday), 12, false)},  // a Friday
        {at(AlarmKind::OnDate, 4, 30, 0, 8, false), at(AlarmKind::OnDate, 4, 30, 0, 8, true)},
    };
}

// Deterministic across standard libraries: the engine's output is fixed by
// the standard, the distributions are not, so they are not used.
class AlarmGenerator {
public:
    std::vector<EdgeAlarm> Generate() {
        const std::vector<std::vector<EdgeAlarm>> groups = AdjacentAlarms();
        std::size_t grouped = 0;
        for (const auto& group : groups) grouped += group.size();
        std::vector<EdgeAlarm> alarms = EdgeAlarms();
        for (int i = 0; i < 20; ++i) alarms.push_back(DateAlarm(2, 29, Below(kMinutesPerDay)));
        for (int i = 0; i < 40; ++i) alarms.push_back(DateAlarm(3, 26, 60 + Below(180)));
        for (int i = 0; i < 40; ++i) alarms.push_back(DateAlarm(10, 29, 60 + Below(180)));
        while (alarms.size() < 400) {
            const std::tm day = DayOfYear(Below(kDaysInYear));
            alarms.push_back(DateAlarm(day.tm_mon + 1, day.tm_mday, AnyMinute()));
        }
        while (alarms.size() < kAlarmCount - grouped) alarms.push_back(WeekdayAlarm());
        // Mixed, so that alarms of every kind meet in the same passes.
        for (std::size_t i = alarms.size() - 1; i > 0; --i)
            std::swap(alarms[i], alarms[Below(static_cast<int>(i) + 1)]);
        alarms.insert(alarms.begin() + 100, groups[0].begin(), groups[0].end());
        alarms.insert(alarms.begin() + 500, groups[1].begin(), groups[1].end());
        alarms.insert(alarms.end(), groups[2].begin(), groups[2].end());
        for (std::size_t i = 0; i < alarms.size(); ++i)
            alarms[i].message = i % 9 == 4 ? std::string() : "アラーム" + std::to_string(i + 1);
        return alarms;
    }

private:
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }

    // Around the daylight-saving hours, before midnight, or anywhere.
    int AnyMinute() {
        const int r = Below(100);
        if (r < 15) return 60 + Below(180);
        if (r < 20) return 23 * 60 + Below(60);
        return Below(kMinutesPerDay);
    }

    void Decorate(EdgeAlarm& a) {
        a.snooze = Percent(40) ? static_cast<SnoozeInterval>(1 + Below(3)) : SnoozeInterval::Off;
        a.removeOnExec = Percent(10);
    }

    EdgeAlarm DateAlarm(int month, int day, int minute) {
        EdgeAlarm a;
        a.kind = AlarmKind::OnDate;
        a.month = month, a.day = day, a.minute = minute;
        Decorate(a);
        return a;
    }

    EdgeAlarm WeekdayAlarm() {
        EdgeAlarm a;
        a.weeks = static_cast<WeekdaySet>(Below(128));  // the empty set and every day included
        a.minute = AnyMinute();
        // The daylight-saving changes fall on Sundays.
        if (a.minute < 4 * 60 && Percent(50)) a.weeks |= WeekBit(Weekday::Sunday);
        const std::tm date = DayOfYear(Below(kDaysInYear));  // carried, but not looked at
        a.month = date.tm_mon + 1, a.day = date.tm_mday;
        Decorate(a);
        return a;
    }

    static std::tm DayOfYear(int yday) {
        std::tm day{};
        day.tm_year = kYear - 1900;
        day.tm_mday = 1 + yday;
        day.tm_hour = 12;
        day.tm_isdst = -1;
        timegm(&day);  // normalises the day into month and day
        return day;
    }

    std::mt19937 engine_{20280229u};
};

// Named after the alarm's section, so that each firing tells which alarm it was.
std::string CommandOf(std::size_t index) { return "/alarms/" + std::to_string(index + 1) + ".sh"; }

std::string AlarmFileText(const std::vector<EdgeAlarm>& alarms) {
    static constexpr std::array<const char*, 3> kinds = {"akAtWeeks", "akAtDate", "akAtTickCount"};
    static constexpr std::array<const char*, 7> days = {"wSun", "wMon", "wTue", "wWed", "wThu", "wFri", "wSat"};
    static constexpr std::array<const char*, 4> snoozes = {"snDisable", "sn5Minutes", "sn10Minutes", "sn15Minutes"};
    std::string text;
    char line[96];
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        const EdgeAlarm& a = alarms[i];
        std::string weeks;
        for (int d = 0; d < 7; ++d)
            if (Contains(a.weeks, static_cast<Weekday>(d))) weeks += (weeks.empty() ? "" : ",") + std::string(days[d]);
        std::snprintf(line, sizeof line, "[Alarm%zu]\r\nAlarmKind=%s\r\nDate=%04d/%02d/%02d\r\nTime=%d:%02d:00\r\n",
                      i + 1, kinds[Ordinal(a.kind)], a.year, a.month, a.day, a.minute / 60, a.minute % 60);
        text += line;
        text += "Weeks=" + weeks + "\r\nSnooze=" + snoozes[Ordinal(a.snooze)] + "\r\nMessage=" + a.message +
                "\r\nCommand=" + CommandOf(i) + "\r\nRemoveOnExec=" + (a.removeOnExec ? "1" : "0") + "\r\n";
    }
    return text;
}

// The local calendar of the year as the C library's zone rules show it,
// minute by UTC minute from local midnight of 1 January to local midnight
// of the next 1 January.
struct LocalYear {
    struct Day {
        int month = 0, mday = 0, wday = 0;
    };
    std::time_t startUtc = 0;
    std::int32_t minutes = 0;
    std::vector<Day> days = std::vector<Day>(kDaysInYear);
    std::vector<int> dayOfMinute;  // local day of the year of each UTC minute
    // The UTC minutes that show each local minute of a day of the run, in
    // order: none for a minute skipped when the clocks go forward, two for
    // one of the hour repeated when they go back.
    std::vector<std::array<std::int32_t, 2>> shown =
        std::vector<std::array<std::int32_t, 2>>(kDaysInYear * kMinutesPerDay, {-1, -1});

    std::time_t Utc(std::int32_t secondOfRun) const { return startUtc + secondOfRun; }
};

std::time_t LocalMidnight(int year) {
    std::tm midnight{};
    midnight.tm_year = year - 1900;
    midnight.tm_mday = 1;
    midnight.tm_isdst = -1;
    return std::mktime(&midnight);
}

LocalYear MapYear(const std::vector<bool>& daysRun) {
    LocalYear year;
    year.startUtc = LocalMidnight(kYear);
    year.minutes = static_cast<std::int32_t>((LocalMidnight(kYear + 1) - year.startUtc) / 60);
    year.dayOfMinute.resize(static_cast<std::size_t>(year.minutes));
    for (std::int32_t u = 0; u < year.minutes; ++u) {
        const std::time_t utc = year.Utc(u * 60);
        std::tm local{};
        localtime_r(&utc, &local);
        year.dayOfMinute[u] = local.tm_yday;
        year.days[local.tm_yday] = {local.tm_mon + 1, local.tm_mday, local.tm_wday};
        if (!daysRun[local.tm_yday]) continue;
        auto& showings = year.shown[local.tm_yday * kMinutesPerDay + local.tm_hour * 60 + local.tm_min];
        (showings[0] < 0 ? showings[0] : showings[1]) = u;
    }
    return year;
}

bool DayMatches(const EdgeAlarm& a, const LocalYear::Day& day) {
    switch (a.kind) {
        case AlarmKind::Weekly: return (a.weeks >> day.wday & 1) != 0;  // bit 0 is Sunday, as tm_wday 0
        case AlarmKind::OnDate: return a.year == kYear && a.month == day.month && a.day == day.mday;
        default: return false;
    }
}

// The seconds of the run at which the alarm must fire. The due test looks
// at the local wall clock alone and keeps no record of earlier firings, so
// an alarm fires in every showing of each of its due minutes: a minute of
// the hour shown twice fires twice, an hour apart, long after the pause of
// the first showing has ended; a minute skipped never fires. The pause
// after a firing keeps the tick from checking any alarm for 60 s, but a
// firing comes in the first tick of its minute, where every alarm due in
// that minute fires in the same pass: the pause covers only the rest of
// that minute and never holds back another minute. Firings therefore fall
// at second 0 of each showing, and an alarm removed on firing has only its
// first.
std::vector<std::int32_t> ExpectedFirings(const EdgeAlarm& a, const LocalYear& year) {
    const int step = SnoozeMinutes[Ordinal(a.snooze)];
    const int repetitions = step == 0 ? 0 : 4;
    std::vector<std::int32_t> at;
    for (int yday = 0; yday < kDaysInYear; ++yday) {
        if (!DayMatches(a, year.days[yday])) continue;
        for (int k = 0; k <= repetitions; ++k) {
            const int minute = a.minute + k * step;
            if (minute >= kMinutesPerDay) break;  // not carried past midnight
            for (const std::int32_t u : year.shown[yday * kMinutesPerDay + minute])
                if (u >= 0) at.push_back(u * 60);
        }
    }
    std::sort(at.begin(), at.end());
    if (a.removeOnExec && at.size() > 1) at.resize(1);
    return at;
}

#if defined(__SANITIZE_ADDRESS__)
int YearDay(int month, int day) {
    std::tm date{};
    date.tm_year = kYear - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    timegm(&date);
    return date.tm_yday;
}
#endif

// The local days the clock runs through. Under the address sanitizer a day
// takes some fifteen times longer, so the run keeps the days around the ends
// of the year, the leap day and the two changes, and one day in thirty; the
// clock and the timers still move on through the days left out.
std::vector<bool> DaysRun() {
    std::vector<bool> run(kDaysInYear, true);
#if defined(__SANITIZE_ADDRESS__)
    const std::array<int, 5> edges = {0, YearDay(2, 29), YearDay(3, 26), YearDay(10, 29), kDaysInYear - 1};
    for (int d = 0; d < kDaysInYear; ++d)
        run[d] = d % 30 == 0 || std::any_of(edges.begin(), edges.end(), [d](int e) { return std::abs(d - e) <= 1; });
#endif
    return run;
}

std::string Describe(const EdgeAlarm& a, std::size_t index) {
    char text[128];
    std::snprintf(text, sizeof text, "Alarm%zu (%s %04d/%02d/%02d weeks 0x%02X %d:%02d snooze %d%s)", index + 1,
                  a.kind == AlarmKind::Weekly   ? "akAtWeeks"
                  : a.kind == AlarmKind::OnDate ? "akAtDate"
                                                : "akAtTickCount",
                  a.year, a.month, a.day, a.weeks, a.minute / 60, a.minute % 60, SnoozeMinutes[Ordinal(a.snooze)],
                  a.removeOnExec ? " RemoveOnExec" : "");
    return text;
}

class AlarmYearTest : public ::testing::Test {
protected:
    AlarmYearTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        auto backend = std::make_unique<testing::SimulatedTimers>();
        timers = backend.get();
        list = std::make_unique<DeadlineTimers>(std::move(backend));
    }
    ~AlarmYearTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    void CreateWindow() {
        const std::string settings =
            dir.Write("kairos.ini", std::string("[Alarm]\r\nAlarmToBeep=0\r\nPath=") + kAlarmSound + "\r\n");
        window = std::make_unique<ClockWindow>(ClockWindow::Services{
            clock, *list, [settings] { return OpenIniFile(settings); }, media, alarmFile, {}});
        window->Ticks->Stop();  // the test ticks by hand
    }

    // Local wall time of the UTC second, with the zone's name.
    std::string MomentText(std::int32_t secondOfRun) const {
        const std::time_t utc = year.Utc(secondOfRun);
        std::tm local{};
        localtime_r(&utc, &local);
        char text[48];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %Z", &local);
        return text;
    }

    // The local moment of the UTC second, as the real clock reads it.
    Moment LocalMoment(std::int32_t secondOfRun) const {
        const std::time_t utc = year.Utc(secondOfRun);
        std::tm local{};
        localtime_r(&utc, &local);
        return *TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                  local.tm_sec, 0);
    }

    // The tick count and the timers move on by the real time elapsed.
    void TickAt(std::int32_t secondOfRun) {
        clock.now = LocalMoment(secondOfRun);
        const auto elapsedMs = static_cast<std::uint64_t>(secondOfRun - lastTick) * 1000;
        lastTick = secondOfRun;
        clock.ticks += static_cast<std::uint32_t>(elapsedMs);  // wraps every 49.7 days, as the real count
        timers->Advance(elapsedMs);
        window->Tick();
        Collect(secondOfRun);
    }

    // Takes the firings of one tick: each is the alarm sound and the alarm's
    // own command, in list order, with the last message on the status line.
    void Collect(std::int32_t secondOfRun) {
        std::size_t sounds = 0, opened = 0;
        std::optional<std::size_t> last;
        for (const testing::RecordingMedia::Event& e : media.events) {
            if (e.what == "file" && e.name == kAlarmSound) {
                ++sounds;
                continue;
            }
            const std::size_t index = e.what == "open" && e.name.starts_with("/alarms/") && e.number == 5
                                          ? std::strtoul(e.name.c_str() + 8, nullptr, 10) - 1
                                          : alarms.size();
            if (index >= alarms.size() || CommandOf(index) != e.name) {
                Problem(MomentText(secondOfRun) + ": unexpected " + e.what + " " + e.name);
                continue;
            }
            if (last && index <= *last) Problem(MomentText(secondOfRun) + ": out of list order: " + e.name);
            fired[index].push_back(secondOfRun);
            ++firingsSeen;
            last = index;
            ++opened;
        }
        if (sounds != opened) Problem(MomentText(secondOfRun) + ": sounds and firings differ");
        if (last && window->DateLine->Text() != alarms[*last].message)
            Problem(MomentText(secondOfRun) + ": status line \"" + window->DateLine->Text() + "\" after " +
                    Describe(alarms[*last], *last));
        soundsHeard += sounds;
        media.events.clear();
    }

    void Problem(const std::string& text) {
        if (problems++ < 20) ADD_FAILURE() << text;
    }

    testing::TempDir dir;
    std::string alarmFile = dir.File("Alarm.ini");
    testing::FakeClock clock;
    testing::RecordingMedia media;
    testing::SimulatedTimers* timers = nullptr;
    std::unique_ptr<DeadlineTimers> list;
    std::unique_ptr<ClockWindow> window;

    LocalYear year;
    std::vector<EdgeAlarm> alarms;
    std::vector<std::vector<std::int32_t>> fired;
    std::int32_t lastTick = 0;
    std::size_t soundsHeard = 0;
    std::size_t firingsSeen = 0;
    std::size_t problems = 0;
};

std::vector<std::string> CommandsOf(const AlarmList& list) {
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < list.Count(); ++i) commands.push_back(list[i].Command);
    return commands;
}

TEST_F(AlarmYearTest, EveryAlarmFiresInEachShowingOfItsMinutesAcrossLeapDayAndBothChanges) {
    const testing::ScopedTimeZone zone("Europe/Berlin");
    const std::vector<bool> daysRun = DaysRun();
    year = MapYear(daysRun);
    // Without the zone's data the C library quietly keeps to UTC.
    if (year.startUtc % 86400 != 23 * 3600) GTEST_SKIP() << "no zone data for Europe/Berlin";
    std::size_t skipped = 0, doubled = 0;
    for (int d = 0; d < kDaysInYear; ++d)
        for (int m = 0; daysRun[d] && m < kMinutesPerDay; ++m) {
            skipped += year.shown[d * kMinutesPerDay + m][0] < 0;
            doubled += year.shown[d * kMinutesPerDay + m][1] >= 0;
        }
    ASSERT_EQ(skipped, 60u) << "02:00-02:59 on 26 March";
    ASSERT_EQ(doubled, 60u) << "02:00-02:59 on 29 October";

    alarms = AlarmGenerator().Generate();
    ASSERT_EQ(alarms.size(), static_cast<std::size_t>(kAlarmCount));
    dir.Write("Alarm.ini", AlarmFileText(alarms));
    fired.resize(alarms.size());
    const testing::BoxAnswerer errorBox("");  // an error box would stop the run
    clock.now = LocalMoment(0);
    clock.ticks = 4'000'000'000u;
    CreateWindow();
    ASSERT_EQ(window->Alarms->Count(), alarms.size());

    for (std::int32_t u = 0; u < year.minutes; ++u) {
        if (!daysRun[year.dayOfMinute[u]]) continue;
        const std::size_t before = firingsSeen;
        TickAt(u * 60);
        if (firingsSeen != before) TickAt(u * 60 + kSecondTick);
    }
    EXPECT_FALSE(errorBox.Seen().has_value()) << errorBox.Seen()->text.toStdString();
    EXPECT_EQ(problems, 0u);

    std::size_t firings = 0, wrong = 0;
    std::vector<std::string> remaining;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        const std::vector<std::int32_t> expected = ExpectedFirings(alarms[i], year);
        firings += expected.size();
        if (!(alarms[i].removeOnExec && !expected.empty())) remaining.push_back(CommandOf(i));
        if (fired[i] == expected) continue;
        if (++wrong > 10) continue;
        const auto [e, f] = std::mismatch(expected.begin(), expected.end(), fired[i].begin(), fired[i].end());
        ADD_FAILURE() << Describe(alarms[i], i) << ": expected " << expected.size() << " firings, fired "
                      << fired[i].size() << "; first difference: expected "
                      << (e == expected.end() ? "none" : MomentText(*e)) << ", fired "
                      << (f == fired[i].end() ? "none" : MomentText(*f));
    }
    EXPECT_EQ(wrong, 0u) << "alarms whose firings differ";
    EXPECT_EQ(soundsHeard, firings) << "one alarm sound per firing";
    std::cout << "[          ] " << firings << " firings of " << alarms.size() << " alarms checked over "
              << std::count(daysRun.begin(), daysRun.end(), true) << " days\n";

    // The alarms removed on firing are gone from the window and the file.
    EXPECT_EQ(CommandsOf(*window->Alarms), remaining);
    AlarmList reread(alarmFile);
    reread.LoadFromFile();
    EXPECT_EQ(CommandsOf(reread), remaining);
}

}  // namespace
}  // namespace kairos
