#include "shell/ClockWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QFontDatabase>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "shell/ClockPanel.h"
#include "shell/FontSubstitutes.h"
#include "settings/IniDocument.h"
#include "shell/DeadlineTimers.h"
#include "support/BoxAnswerer.h"
#include "support/ExampleLocale.h"
#include "support/FakeClock.h"
#include "support/FakeSyncJob.h"
#include "support/RecordingMedia.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

// The clock window in simulated time: Advance() moves the clock, the tick
// count and the deadline timers together and ticks every 10 ms.
class ClockWindowTest : public ::testing::Test {
protected:
    ClockWindowTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay(15, 4, 5, 0);
        clock.ticks = 1'000'000;
        auto backend = std::make_unique<testing::SimulatedTimers>();
        timers = backend.get();
        list = std::make_unique<TTimerList>(std::move(backend));
        Create("");
    }

    // A new window over a settings file with this content (none when empty).
    void Create(std::string_view settings) {
        form.reset();
        const std::string file = settings.empty() ? dir.File("absent.ini") : dir.Write("kairos.ini", settings);
        form = std::make_unique<TKairosDisplayForm>(TKairosDisplayForm::Services{
            clock, *list, [file] { return OpenIniFile(file); }, media, dir.File("Alarm.ini"), sync.Job()});
        form->Timer->stop();  // the test ticks by hand
    }
    ~ClockWindowTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    void Advance(std::uint32_t ms) {
        for (std::uint32_t done = 0; done < ms; done += 10) {
            clock.now += 10.0 / MillisecondsPerDay;
            clock.ticks += 10;
            timers->Advance(10);
            form->TimerTimer();
            // A correction ends within the tick that started it, as far as
            // simulated time can tell.
            if (form->SyncRunner->Busy()) testing::AwaitSync(*form->SyncRunner);
        }
    }

    std::vector<std::string> SyncServers() const {
        std::vector<std::string> servers;
        for (const SyncRequest& request : sync.Requests()) servers.push_back(request.server);
        return servers;
    }

    testing::TempDir dir;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    testing::FakeSyncJob sync;
    testing::SimulatedTimers* timers = nullptr;
    std::unique_ptr<TTimerList> list;
    std::unique_ptr<TKairosDisplayForm> form;
};

TEST_F(ClockWindowTest, DefaultsShowTimeAndDateOfToday) {
    form->TimerTimer();
    EXPECT_EQ(form->TimeLabel->Text(), "午後 3:04:05");
    EXPECT_EQ(form->DateLabel->Text(), "2026/12/07");
    EXPECT_EQ(form->toolTip().toStdString(), "2026/12/07 15:04:05") << "an empty tooltip template reads as c";
    Advance(1000);
    EXPECT_EQ(form->TimeLabel->Text(), "午後 3:04:06");
}

TEST_F(ClockWindowTest, DateLineIsRenderedForTheStartOfTheDay) {
    form->DateTemplate = "yyyy/mm/dd hh:nn:ss.zzz %tch";
    form->TipTemplate = "hh:nn";
    form->TimerTimer();
    EXPECT_EQ(form->DateLabel->Text().substr(0, 23), "2026/12/07 00:00:00.000");
    EXPECT_EQ(form->toolTip().toStdString(), "15:04");
}

TEST_F(ClockWindowTest, StatusHoldsTheDateLineUntil5000MsAfterTheLatestMessage) {
    form->TimerTimer();
    form->ShowStatus("first", StatusSound::Silent);
    Advance(3000);
    EXPECT_EQ(form->DateLabel->Text(), "first");
    form->ShowStatus("second", StatusSound::Silent);
    Advance(4990);  // 7990 ms after the first: its hold has ended, the second's has not
    EXPECT_EQ(form->DateLabel->Text(), "second");
    Advance(10);
    EXPECT_EQ(form->DateLabel->Text(), "2026/12/07");
}

TEST_F(ClockWindowTest, PeriodicSyncRunsOncePerIntervalAcrossTheTickWrap) {
    clock.ticks = 0u - 90'000;  // 90 s before the count wraps
    form->AutoNTP = AutoSyncMode::On;
    form->AutoNTPInterval = 1;
    form->SynchronizeClock(SyncReport::Silent);  // what reading the settings does

    std::vector<std::uint32_t> runs;
    std::uint32_t deadline = form->AutoSync.AutoSyncDeadline();
    for (int step = 0; step < 3 * 6000 + 50; ++step) {
        Advance(10);
        if (form->AutoSync.AutoSyncDeadline() != deadline) {
            runs.push_back(clock.ticks);
            deadline = form->AutoSync.AutoSyncDeadline();
        }
    }
    EXPECT_EQ(runs, (std::vector<std::uint32_t>{0u - 30'000, 30'000, 90'000}));
    EXPECT_EQ(SyncServers().size(), 3u) << "each periodic run asks the server once";
    for (const SyncRequest& request : sync.Requests()) EXPECT_EQ(request.limit, StepLimit::Refuse);
}

TEST_F(ClockWindowTest, SyncReportsOnTheDateLineWithTheStatusSound) {
    Create("[General]\nNTPAddress=127.0.0.1\n[InformationNote]\nPlay=1\nOnBeep=1\n");
    for (const bool succeeds : {true, false}) {
        sync.SetOutcome(succeeds ? SyncResult::Set : SyncResult::Failed, succeeds ? SyncFailure::None : SyncFailure::NoReply);
        form->SynchronizeClock(SyncReport::Report);
        testing::AwaitSync(*form->SyncRunner);
        EXPECT_EQ(form->DateLabel->Text(), succeeds ? "時刻あわせに成功しました" : "時刻あわせに失敗しました");
    }
    EXPECT_EQ(SyncServers(), (std::vector<std::string>{"127.0.0.1", "127.0.0.1"}));
    ASSERT_EQ(media.events.size(), 2u);
    EXPECT_EQ(media.events[0].what, "beep");
    EXPECT_EQ(media.events[0].number, 900);
    Advance(5000);
    EXPECT_EQ(form->DateLabel->Text(), "2026/12/07");
}

TEST_F(ClockWindowTest, SwitchingAutoSyncOffStopsThePeriodicRun) {
    form->AutoNTP = AutoSyncMode::On;
    form->AutoNTPInterval = 1;
    form->SynchronizeClock(SyncReport::Silent);
    form->AutoNTP = AutoSyncMode::Off;
    form->SynchronizeClock(SyncReport::Silent);
    Advance(70'000);
    EXPECT_EQ(form->AutoSync.AutoSyncDeadline(), 0u);
}

// The run goes on elsewhere: the clock keeps ticking, a second run is not
// started beside it, and the next one is measured from its end.
TEST_F(ClockWindowTest, ARunningCorrectionNeitherStopsTheClockNorStartsTwice) {
    Create("[General]\nNTPAddress=127.0.0.1\nAutoNTP=1\nAutoNTPInterval=1\n");
    sync.Hold();
    form->SynchronizeClock(SyncReport::Report);
    form->SetTime->trigger();
    for (int i = 0; i < 200; ++i) {  // two seconds of ticks by hand, the run still open
        clock.now += 10.0 / MillisecondsPerDay;
        clock.ticks += 10;
        timers->Advance(10);
        form->TimerTimer();
    }
    EXPECT_EQ(form->TimeLabel->Text(), "午後 3:04:07");
    EXPECT_TRUE(form->SyncRunner->Busy());
    sync.Release();
    testing::AwaitSync(*form->SyncRunner);
    EXPECT_EQ(sync.Requests().size(), 1u);
    EXPECT_EQ(form->DateLabel->Text(), "時刻あわせに成功しました");
    EXPECT_EQ(form->AutoSync.AutoSyncDeadline(), clock.ticks + 60'000);
}

TEST_F(ClockWindowTest, ClosingDuringARunCancelsItWithoutWaitingForIt) {
    sync.Hold();
    form->SynchronizeClock(SyncReport::Report);
    // Closed while the run waits, not before it has begun.
    for (int i = 0; i < 1000 && sync.Requests().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(sync.Requests().size(), 1u);
    form.reset();
    EXPECT_TRUE(sync.SawCancel());
}

struct CommandCase {
    const char* name;
    SyncResult first;
    SyncFailure failure;
    QString answer;      // to the one box that comes up
    const char* seen;    // that box's text, or how the question ends
    const char* status;  // on the date line; empty: the date
    std::size_t runs;
};
void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.name; }

class SyncCommand : public ClockWindowTest, public ::testing::WithParamInterface<CommandCase> {};

// The menu command asks before a big step and tells why a run failed.
TEST_P(SyncCommand, AsksBeforeABigStepAndGivesTheReasonOfAFailure) {
    const CommandCase& c = GetParam();
    SntpSample bigStep;
    bigStep.offset = std::chrono::hours(74);
    sync.SetAnswer([c, bigStep](const SyncRequest& request) {
        if (request.confirmed) return SyncOutcome{SyncResult::Set, SyncFailure::None, request.confirmed};
        return SyncOutcome{c.first, c.failure, bigStep};
    });
    const testing::BoxAnswerer answerer(c.answer);
    form->SetTime->trigger();
    testing::AwaitSync(*form->SyncRunner);
    form->TimerTimer();

    EXPECT_EQ(form->DateLabel->Text(), *c.status != '\0' ? c.status : "2026/12/07");
    if (*c.seen == '\0') {
        EXPECT_FALSE(answerer.Seen());
    } else {
        ASSERT_TRUE(answerer.Seen());
        EXPECT_TRUE(answerer.Seen()->text.endsWith(QString::fromUtf8(c.seen))) << answerer.Seen()->text.toStdString();
        if (c.first == SyncResult::NeedsConfirmation) {
            EXPECT_EQ(answerer.Seen()->defaultButton, "いいえ(&N)");
        }
    }
    ASSERT_EQ(sync.Requests().size(), c.runs);
    EXPECT_EQ(sync.Requests()[0].limit, StepLimit::Ask);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SyncCommand,
    ::testing::Values(
        CommandCase{"Set", SyncResult::Set, SyncFailure::None, "OK", "", "時刻あわせに成功しました", 1},
        CommandCase{"NoReply", SyncResult::Failed, SyncFailure::NoReply, "OK", "時刻あわせに失敗しました\n応答がありません",
                    "時刻あわせに失敗しました", 1},
        CommandCase{"NoPermission", SyncResult::Failed, SyncFailure::NoPermission, "OK",
                    "時刻あわせに失敗しました\n時計を設定する権限がありません", "時刻あわせに失敗しました", 1},
        CommandCase{"BigStepAccepted", SyncResult::NeedsConfirmation, SyncFailure::None, "はい(&Y)",
                    "時計を 3日 2時間 進めますか？", "時刻あわせに成功しました", 2},
        CommandCase{"BigStepDeclined", SyncResult::NeedsConfirmation, SyncFailure::None, "いいえ(&N)",
                    "時計を 3日 2時間 進めますか？", "", 1}),
    [](const auto& info) { return std::string(info.param.name); });

class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(ClockWindowTest, LinesRepaintOnlyWhenTheirTextChanges) {
    form->show();
    form->TimerTimer();
    QApplication::processEvents();
    PaintCounter counter;
    form->TimeLabel->installEventFilter(&counter);

    for (int i = 0; i < 5; ++i) {
        clock.now += 10.0 / MillisecondsPerDay;  // still 15:04:05
        form->TimerTimer();
        QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);

    clock.now += 1.0 / 86'400;
    form->TimerTimer();
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}

TEST_F(ClockWindowTest, WindowDefaults) {
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->pos(), QPoint(184, 425));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->windowType(), Qt::Tool) << "no task-bar button";
    EXPECT_EQ(form->font().family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(form->font().pointSize(), 9);
    EXPECT_EQ(form->TimeLabel->font().pointSize(), 18);
    EXPECT_EQ(form->DateLabel->font().pointSize(), 18);
    EXPECT_FALSE(form->TimeLabel->Shadow().Enabled());
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
    EXPECT_EQ(form->Timer->interval(), 10);
    EXPECT_EQ(form->ClockPanel->geometry(), QRect(2, 2, form->width() - 4, form->height() - 4));
    EXPECT_EQ(form->DateLabel->y() + form->DateLabel->height(), form->ClockPanel->height())
        << "the date line sits at the bottom of the panel";
}

TEST(FontSubstitutes, WindowsFaceFallsBackToItsMetricCompatibleFace) {
    if (!QFontDatabase::hasFamily("IPAPGothic")) GTEST_SKIP() << "IPAPGothic is not installed";
    InstallFontSubstitutes();
    EXPECT_EQ(QFontInfo(QFont("ＭＳ Ｐゴシック", 9)).family().toStdString(), "IPAPGothic");
}

TEST_F(ClockWindowTest, AlwaysOnTopWindowEntersTheTopmostBandWhenShown) {
    Create("[General]\nTopMostMode=1\n");
    EXPECT_EQ(form->TopMost(), TopMostState::TopMost);
    form->hide();
    form->show();
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ClockWindowTest, AlwaysOnTopCommandTwiceOnAShownWindowReturnsToNormal) {
    form->show();
    QApplication::processEvents();
    const QPoint where = form->pos();
    for (const TopMostState expected : {TopMostState::TopMost, TopMostState::Normal}) {
        form->ToggleTopMost();
        EXPECT_EQ(form->TopMost(), expected);
        EXPECT_EQ(bool(form->windowFlags() & Qt::WindowStaysOnTopHint), expected == TopMostState::TopMost);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->pos(), where);
    }
}

}  // namespace
}  // namespace kairos
