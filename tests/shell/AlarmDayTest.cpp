// A whole simulated day of the clock: the alarms and the chimes fire exactly
// in the minutes they are due, once per minute, in the tick's order.

#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "alarms/MissedAlarms.h"
#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/ClockWindow.h"
#include "shell/DeadlineTimers.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/RecordingNotifier.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using Event = testing::RecordingMedia::Event;

constexpr const char* kSettings =
    "[TimeSignal]\r\nPlayJustTime=1\r\nPlayHalfTime=1\r\nTimesLoop=1\r\nPath=/sounds/chime.wav\r\n"
    "[Alarm]\r\nAlarmToBeep=0\r\nPath=/sounds/alarm.wav\r\n";

// Monday 7 December 2026. The sections are as the program writes them with
// a Japanese locale.
constexpr const char* kAlarms =
    "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nTime=7:30:00\r\nWeeks=wMon,wTue,wWed,wThu,wFri\r\n"
    "Snooze=sn10Minutes\r\nMessage=起床\r\n"
    "[Alarm2]\r\nAlarmKind=akAtDate\r\nDate=2026/12/07\r\nTime=23:50:00\r\nSnooze=sn5Minutes\r\n"
    "Message=日付\r\nCommand=/docs/memo.txt\r\n"
    "[Alarm3]\r\nAlarmKind=akAtWeeks\r\nTime=9:00:00\r\nWeeks=wSun,wSat\r\nMessage=週末\r\n"
    "[Alarm4]\r\nAlarmKind=akAtWeeks\r\nTime=12:15:00\r\nWeeks=wSun,wMon,wTue,wWed,wThu,wFri,wSat\r\n"
    "Message=一度\r\nRemoveOnExec=1\r\n"
    "[Alarm5]\r\nAlarmKind=akAtWeeks\r\nTime=18:00:00\r\nWeeks=wMon\r\nMessage=A\r\n"
    "[Alarm6]\r\nAlarmKind=akAtWeeks\r\nTime=18:00:00\r\nWeeks=wMon\r\nMessage=B\r\n"
    "[Alarm7]\r\nAlarmKind=akAtTickCount\r\nTime=10:00:00\r\nMessage=never\r\n";

std::string Minute(int minuteOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    return text;
}

// What the day must bring, worked out from the alarms above by hand rules.
std::vector<Event> ExpectedDay() {
    std::vector<Event> day;
    auto alarm = [&](int at) { day.push_back({"file", "/sounds/alarm.wav", 0, Minute(at)}); };
    for (int m = 0; m < 24 * 60; ++m) {
        for (int k = 0; k <= 4; ++k)
            if (m == 7 * 60 + 30 + 10 * k) alarm(m);
        if (m == 12 * 60 + 15) alarm(m);
        if (m == 18 * 60) {
            alarm(m);  // A
            alarm(m);  // B, in the same pass
        }
        if (m == 23 * 60 + 50 || m == 23 * 60 + 55) {
            alarm(m);
            day.push_back({"open", "/docs/memo.txt", 5, Minute(m)});
        }
        // The chime comes after the alarms of its tick.
        if (m % 60 == 0) day.push_back({"repeat", "/sounds/chime.wav", (m / 60) % 12 == 0 ? 12 : (m / 60) % 12, Minute(m)});
        if (m % 60 == 30) day.push_back({"file", "/sounds/chime.wav", 0, Minute(m)});
    }
    return day;
}

class AlarmDayTest : public ::testing::Test {
protected:
    AlarmDayTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        Start();
    }
    ~AlarmDayTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    // A fresh clock at midnight, with the files as they were at the start.
    void Start() {
        window.reset();
        list.reset();
        media.events.clear();
        notifier.shown.clear();
        clock.now = testing::ExampleDay(0, 0, 0, 0);
        clock.ticks = 0;
        media.now = [this] { return FormatMoment("hh:nn", clock.now); };
        auto backend = std::make_unique<testing::SimulatedTimers>();
        timers = backend.get();
        list = std::make_unique<DeadlineTimers>(std::move(backend));
        const std::string settings = dir.Write("kairos.ini", kSettings);
        dir.Write("Alarm.ini", kAlarms);
        window = std::make_unique<ClockWindow>(ClockWindow::Services{
            clock, *list, [settings] { return OpenIniFile(settings); }, media, dir.File("Alarm.ini"), {},
            TickScheduling::Planned, &notifier});
        window->Ticks->Stop();
    }

    void Pass(std::uint64_t ms) {
        clock.now += static_cast<double>(ms) / MillisecondsPerDay;
        clock.ticks += static_cast<std::uint32_t>(ms);
        timers->Advance(ms);
    }

    // Ticks every stepMs until ms have passed.
    void Run(std::uint64_t ms, std::uint32_t stepMs) {
        for (std::uint64_t done = 0; done < ms; done += stepMs) {
            Pass(stepMs);
            window->Tick();
        }
    }

    // Ticks only when the window's plan or a deadline timer would wake it,
    // as the running program does; returns the number of ticks.
    std::uint64_t RunPlanned(std::uint64_t ms) {
        std::uint64_t ticks = 0;
        for (std::uint64_t done = 0; done < ms; ++ticks) {
            std::uint64_t step = window->Ticks->Plan().SoonestMs();
            if (const auto due = timers->NextDueIn()) step = std::min(step, *due);
            step = std::clamp<std::uint64_t>(step, 1, ms - done);
            Pass(step);
            done += step;
            window->Tick();
        }
        return ticks;
    }

    testing::TempDir dir;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    testing::RecordingNotifier notifier;
    testing::SimulatedTimers* timers = nullptr;
    std::unique_ptr<DeadlineTimers> list;
    std::unique_ptr<ClockWindow> window;
};

TEST_F(AlarmDayTest, EveryAlarmAndChimeFiresInItsMinuteOnce) {
    ASSERT_EQ(window->Alarms->Count(), 7u);
    Run(18 * 3'600'000ull, 500);  // to 18:00:00.000
    Run(1000, 500);
    EXPECT_EQ(window->DateLine->Text(), "B") << "the last alarm of a pass keeps the line";
    Run(6 * 3'600'000ull - 1000, 500);

    const std::vector<Event> expected = ExpectedDay();
    ASSERT_EQ(media.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(media.events[i].what, expected[i].what) << i << " at " << expected[i].at;
        EXPECT_EQ(media.events[i].name, expected[i].name) << i << " at " << expected[i].at;
        EXPECT_EQ(media.events[i].number, expected[i].number) << i << " at " << expected[i].at;
        EXPECT_EQ(media.events[i].at, expected[i].at) << i;
    }

    // Every ringing is a notice of its own, the two of 18:00 too.
    std::vector<std::string> notices;
    for (const auto& shown : notifier.shown) notices.push_back(shown.notice.summary + " " + shown.notice.body);
    EXPECT_EQ(notices, (std::vector<std::string>{"アラーム 7:30 起床", "アラーム 7:40 起床", "アラーム 7:50 起床",
                                                 "アラーム 8:00 起床", "アラーム 8:10 起床", "アラーム 12:15 一度",
                                                 "アラーム 18:00 A", "アラーム 18:00 B", "アラーム 23:50 日付",
                                                 "アラーム 23:55 日付"}));

    // The one-shot alarm is gone from the list and from the file.
    EXPECT_EQ(window->Alarms->Count(), 6u);
    AlarmList reread(dir.File("Alarm.ini"));
    reread.LoadFromFile();
    ASSERT_EQ(reread.Count(), 6u);
    for (std::size_t i = 0; i < reread.Count(); ++i) EXPECT_NE(reread[i].Message, "一度");
}

TEST_F(AlarmDayTest, StartingMidSnoozeFiresTheRemainingRepetitions) {
    clock.now = testing::ExampleDay(7, 40, 0, 0);
    Run(40 * 60'000ull, 1000);
    std::vector<std::string> firings;
    for (const Event& e : media.events)
        if (e.name == "/sounds/alarm.wav") firings.push_back(e.at);
    EXPECT_EQ(firings, (std::vector<std::string>{"07:40", "07:50", "08:00", "08:10"}));
}

std::vector<std::string> AlarmSounds(const std::vector<Event>& events) {
    std::vector<std::string> at;
    for (const Event& e : events)
        if (e.name == "/sounds/alarm.wav") at.push_back(e.at);
    return at;
}

TEST_F(AlarmDayTest, TheNoticesStopActionEndsTheSnoozeSeriesForTheDayOnly) {
    clock.now = testing::ExampleDay(7, 29, 59, 0);
    Run(11 * 60'000ull, 1000);  // the alarm and its first repetition
    ASSERT_EQ(notifier.shown.size(), 2u);
    ASSERT_EQ(notifier.shown[0].notice.action, NoticeAction::StopSeries);
    notifier.shown[0].onAction();  // the notice of 7:30, picked after 7:40
    Run(60 * 60'000ull, 1000);
    EXPECT_EQ(AlarmSounds(media.events), (std::vector<std::string>{"07:30", "07:40"}));

    clock.now = testing::ExampleDay(7, 29, 59, 0) + 1;  // Tuesday
    Run(11 * 60'000ull, 1000);
    EXPECT_EQ(AlarmSounds(media.events), (std::vector<std::string>{"07:30", "07:40", "07:30", "07:40"}));
}

TEST_F(AlarmDayTest, NoNoticeWhenTurnedOffTheDateLineAndSoundStay) {
    dir.Write("kairos.ini", std::string(kSettings) + "[General]\r\nAlarmNotification=0\r\n");
    window->ReloadSettings();
    clock.now = testing::ExampleDay(7, 29, 59, 0);
    Run(2000, 500);
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(AlarmSounds(media.events), std::vector<std::string>{"07:30"});
    EXPECT_EQ(window->DateLine->Text(), "起床");
}

TEST_F(AlarmDayTest, BeepReplacesTheAlarmSoundWhenAsked) {
    dir.Write("kairos.ini", "[Alarm]\r\nAlarmToBeep=1\r\nPath=/sounds/alarm.wav\r\n");
    window->ReloadSettings();
    clock.now = testing::ExampleDay(7, 29, 59, 0);
    Run(2000, 500);
    // The settings file now has no time signal: only the alarm sounds.
    ASSERT_EQ(media.events.size(), 1u);
    EXPECT_EQ(media.events[0].what, "beep");
    EXPECT_EQ(media.events[0].number, 1000);
    EXPECT_EQ(window->DateLine->Text(), "起床");
}

TEST_F(AlarmDayTest, PlannedTicksBringTheSameDayAsTheFixedTick) {
    const std::uint64_t ticks = RunPlanned(24 * 3'600'000ull - 1000);
    const std::vector<Event> expected = ExpectedDay();
    ASSERT_EQ(media.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(media.events[i].what, expected[i].what) << i << " at " << expected[i].at;
        EXPECT_EQ(media.events[i].at, expected[i].at) << i;
    }
    // A tick a second for the seconds of the time line and a few for the
    // holds, where the fixed tick would have run 8.6 million times.
    EXPECT_LE(ticks, 86'400u + 200u);
    EXPECT_EQ(window->DateLine->Text(), "2026/12/07") << "the last hold has ended";
}

// The wall clock set forward or back, or a suspend, seen by both ways of
// ticking: the same alarms and chimes in the same minutes.
struct JumpCase {
    const char* name;
    std::int64_t wallMs;     // how far the wall clock moves
    std::uint32_t tickMs;    // how far the tick count moves meanwhile
};

class AlarmDayJump : public AlarmDayTest, public ::testing::WithParamInterface<JumpCase> {
protected:
    // 07:00 to 07:27, the jump, then on to 09:05; planned or every 100 ms.
    std::vector<Event> Replay(bool planned) {
        Start();
        clock.now = testing::ExampleDay(7, 0, 0, 0);
        const auto run = [&](std::uint64_t ms) { planned ? (void)RunPlanned(ms) : Run(ms, 100); };
        run(27 * 60'000ull);
        clock.now += static_cast<double>(GetParam().wallMs) / MillisecondsPerDay;
        clock.ticks += GetParam().tickMs;
        timers->Advance(GetParam().tickMs);
        // The wall-clock timer wakes the window at once after a jump.
        window->Tick();
        run(98 * 60'000ull);
        return media.events;
    }
};

TEST_P(AlarmDayJump, PlannedTicksFireWhatTheFixedTickFires) {
    const std::vector<Event> fixed = Replay(false);
    const std::vector<Event> planned = Replay(true);
    ASSERT_FALSE(fixed.empty());
    ASSERT_EQ(planned.size(), fixed.size());
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        EXPECT_EQ(planned[i].what, fixed[i].what) << i;
        EXPECT_EQ(planned[i].name, fixed[i].name) << i;
        EXPECT_EQ(planned[i].at, fixed[i].at) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AlarmDay, AlarmDayJump,
                         ::testing::Values(JumpCase{"ClockSetAnHourForward", 3'600'000, 0},
                                           JumpCase{"ClockSetAnHourBack", -3'600'000, 0},
                                           JumpCase{"TwoHourSuspend", 7'200'000, 0},
                                           JumpCase{"NoJump", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The wall clock jumps forward from 07:27 over three alarms, one of them
// removed on firing; the boot clock may or may not go on meanwhile.
struct MissedCase {
    const char* name;
    std::int64_t wallMs;
    std::uint32_t tickMs;
};

constexpr const char* kMissableAlarms =
    "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nTime=7:30:00\r\nWeeks=wMon,wTue,wWed,wThu,wFri\r\n"
    "Snooze=sn10Minutes\r\nMessage=起床\r\n"
    "[Alarm2]\r\nAlarmKind=akAtDate\r\nDate=2026/12/07\r\nTime=7:45:00\r\nMessage=会議\r\n"
    "Command=/bin/meeting\r\nRemoveOnExec=1\r\n"
    "[Alarm3]\r\nAlarmKind=akAtWeeks\r\nTime=8:15:00\r\nWeeks=wSun,wMon,wTue,wWed,wThu,wFri,wSat\r\n"
    "Message=散歩\r\nCommand=/docs/walk.txt\r\n";

class AlarmDayMissed : public AlarmDayTest, public ::testing::WithParamInterface<MissedCase> {};

TEST_P(AlarmDayMissed, AreToldWithTheNoticeSoundNeitherSoundedNorRunNorRemoved) {
    dir.Write("kairos.ini", std::string(kSettings) + "[InformationNote]\r\nPlay=1\r\nPath=/sounds/note.wav\r\n");
    window->ReloadSettings();
    dir.Write("Alarm.ini", kMissableAlarms);
    window->ReloadAlarms();
    clock.now = testing::ExampleDay(7, 0, 0, 0);
    RunPlanned(27 * 60'000ull);
    media.events.clear();
    notifier.shown.clear();

    clock.now += static_cast<double>(GetParam().wallMs) / MillisecondsPerDay;
    clock.ticks += GetParam().tickMs;
    timers->Advance(GetParam().tickMs);
    window->Tick();
    EXPECT_EQ(window->DateLine->Text(), "見逃したアラーム 7:30 起床, 7:45 会議, 8:15 散歩");
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notice.summary, "見逃したアラーム");
    EXPECT_EQ(notifier.shown[0].notice.body,
              "7:30 起床\n7:45 会議\n8:15 散歩\n一度だけのアラームは削除せずに残してあります。");
    RunPlanned(2 * 60'000ull);
    ASSERT_EQ(media.events.size(), 1u) << "only the notice, once";
    EXPECT_EQ(media.events[0].name, "/sounds/note.wav");

    EXPECT_EQ(window->Alarms->Count(), 3u);
    AlarmList reread(dir.File("Alarm.ini"));
    reread.LoadFromFile();
    ASSERT_EQ(reread.Count(), 3u);
    EXPECT_EQ(reread[1].Message, "会議");
}

INSTANTIATE_TEST_SUITE_P(AlarmDay, AlarmDayMissed,
                         ::testing::Values(MissedCase{"TwoHourSuspend", 7'200'000, 0},
                                           MissedCase{"TwoHourSuspendBootClockGoingOn", 7'200'000, 7'200'000},
                                           MissedCase{"ClockSetAnHourForward", 3'600'000, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A date alarm without a date is due today: the day of the window's clock.
TEST_F(AlarmDayTest, ADateAlarmWithoutADateIsDueOnTheClocksToday) {
    dir.Write("Alarm.ini", "[Alarm1]\r\nAlarmKind=akAtDate\r\nTime=7:30:00\r\nMessage=今日\r\n");
    window->ReloadAlarms();
    clock.now = testing::ExampleDay(7, 29, 59, 0);
    Run(2000, 500);
    EXPECT_EQ(window->DateLine->Text(), "今日");
}

}  // namespace
}  // namespace kairos
