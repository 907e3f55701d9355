#include "shell/ClockWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QFontDatabase>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/FontSubstitutes.h"
#include "shell/QtTranslations.h"
#include "settings/IniStore.h"
#include "shell/DeadlineTimers.h"
#include "support/BoxAnswerer.h"
#include "support/SampleLocale.h"
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
        list = std::make_unique<DeadlineTimers>(std::move(backend));
        Create("");
    }

    // A new window over a settings file with this content (none when empty).
    void Create(std::string_view settings) {
        window.reset();
        const std::string file = settings.empty() ? dir.File("absent.ini") : dir.Write("kairos.ini", settings);
        window = std::make_unique<ClockWindow>(ClockWindow::Services{
            clock, *list, [file] { return OpenIniFile(file); }, media, dir.File("Alarm.ini"), sync.Job()});
        window->Ticks->Stop();  // the test ticks by hand
    }
    ~ClockWindowTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    void Advance(std::uint32_t ms) {
        for (std::uint32_t done = 0; done < ms; done += 10) {
            clock.now += 10.0 / MillisecondsPerDay;
            clock.ticks += 10;
            timers->Advance(10);
            window->Tick();
            // A correction ends within the tick that started it, as far as
            // simulated time can tell.
            if (window->SyncRunner->Busy()) testing::AwaitSync(*window->SyncRunner);
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
    std::unique_ptr<DeadlineTimers> list;
    std::unique_ptr<ClockWindow> window;
};

TEST_F(ClockWindowTest, DefaultsShowTimeAndDateOfToday) {
    window->Tick();
    EXPECT_EQ(window->TimeLine->Text(), "午後 3:04:05");
    EXPECT_EQ(window->DateLine->Text(), "2026/12/07");
    EXPECT_EQ(window->toolTip().toStdString(), "2026/12/07 15:04:05") << "an empty tooltip template reads as c";
    Advance(1000);
    EXPECT_EQ(window->TimeLine->Text(), "午後 3:04:06");
}

TEST_F(ClockWindowTest, DateLineIsRenderedForTheStartOfTheDay) {
    window->DateTemplate = "yyyy/mm/dd hh:nn:ss.zzz %tch";
    window->TipTemplate = "hh:nn";
    window->Tick();
    EXPECT_EQ(window->DateLine->Text().substr(0, 23), "2026/12/07 00:00:00.000");
    EXPECT_EQ(window->toolTip().toStdString(), "15:04");
}

TEST_F(ClockWindowTest, StatusHoldsTheDateLineUntil5000MsAfterTheLatestMessage) {
    window->Tick();
    window->ShowStatus("first", StatusSound::Silent);
    Advance(3000);
    EXPECT_EQ(window->DateLine->Text(), "first");
    window->ShowStatus("second", StatusSound::Silent);
    Advance(4990);  // 7990 ms after the first: its hold has ended, the second's has not
    EXPECT_EQ(window->DateLine->Text(), "second");
    Advance(10);
    EXPECT_EQ(window->DateLine->Text(), "2026/12/07");
}

// The first and last columns of the line's picture where its text leaves ink.
std::pair<int, int> InkColumns(ClockLine& line) {
    const QImage picture = line.grab().toImage();
    int first = -1, last = -1;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (qGray(picture.pixel(x, y)) < 64) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST_F(ClockWindowTest, AStatusWiderThanTheLineShowsItsStartThenMovesThroughToItsEnd) {
    window->show();
    window->Tick();
    window->ShowStatus("第三会議室でプロジェクトの定例会議があります", StatusSound::Silent);
    ASSERT_TRUE(window->DateLine->Overflows());
    const int right = window->DateLine->width() - 1;
    // Ink at a border means the text goes on beyond it.
    struct Frame {
        std::uint32_t atMs;
        bool startShows, endShows;
    };
    std::uint32_t elapsed = 0;
    for (const Frame frame : {Frame{0, true, false}, Frame{990, true, false}, Frame{2500, false, false},
                              Frame{4010, false, true}, Frame{4990, false, true}}) {
        Advance(frame.atMs - elapsed);
        elapsed = frame.atMs;
        const auto [first, last] = InkColumns(*window->DateLine);
        EXPECT_EQ(first > 0, frame.startShows) << frame.atMs << " ms: first ink at " << first;
        EXPECT_EQ(last < right, frame.endShows) << frame.atMs << " ms: last ink at " << last;
    }
    Advance(10);
    EXPECT_EQ(window->DateLine->Text(), "2026/12/07");
    EXPECT_EQ(window->DateLine->TextShift(), 0);
}

TEST_F(ClockWindowTest, PeriodicSyncRunsOncePerIntervalAcrossTheTickWrap) {
    clock.ticks = 0u - 90'000;  // 90 s before the count wraps
    window->AutoNTP = AutoSyncMode::On;
    window->AutoNTPInterval = 1;
    window->SynchronizeClock(SyncReport::Silent);  // what reading the settings does

    std::vector<std::uint32_t> runs;
    std::uint32_t deadline = window->AutoSync.AutoSyncDeadline();
    for (int step = 0; step < 3 * 6000 + 50; ++step) {
        Advance(10);
        if (window->AutoSync.AutoSyncDeadline() != deadline) {
            runs.push_back(clock.ticks);
            deadline = window->AutoSync.AutoSyncDeadline();
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
        window->SynchronizeClock(SyncReport::Report);
        testing::AwaitSync(*window->SyncRunner);
        EXPECT_EQ(window->DateLine->Text(), succeeds ? "時刻あわせに成功しました" : "時刻あわせに失敗しました");
    }
    EXPECT_EQ(SyncServers(), (std::vector<std::string>{"127.0.0.1", "127.0.0.1"}));
    ASSERT_EQ(media.events.size(), 2u);
    EXPECT_EQ(media.events[0].what, "beep");
    EXPECT_EQ(media.events[0].number, 900);
    Advance(5000);
    EXPECT_EQ(window->DateLine->Text(), "2026/12/07");
}

TEST_F(ClockWindowTest, SwitchingAutoSyncOffStopsThePeriodicRun) {
    window->AutoNTP = AutoSyncMode::On;
    window->AutoNTPInterval = 1;
    window->SynchronizeClock(SyncReport::Silent);
    window->AutoNTP = AutoSyncMode::Off;
    window->SynchronizeClock(SyncReport::Silent);
    Advance(70'000);
    EXPECT_EQ(window->AutoSync.AutoSyncDeadline(), 0u);
}

// The run goes on elsewhere: the clock keeps ticking, a second run is not
// started beside it, and the next one is measured from its end.
TEST_F(ClockWindowTest, ARunningCorrectionNeitherStopsTheClockNorStartsTwice) {
    Create("[General]\nNTPAddress=127.0.0.1\nAutoNTP=1\nAutoNTPInterval=1\n");
    sync.Hold();
    window->SynchronizeClock(SyncReport::Report);
    window->SyncNowAction->trigger();
    for (int i = 0; i < 200; ++i) {  // two seconds of ticks by hand, the run still open
        clock.now += 10.0 / MillisecondsPerDay;
        clock.ticks += 10;
        timers->Advance(10);
        window->Tick();
    }
    EXPECT_EQ(window->TimeLine->Text(), "午後 3:04:07");
    EXPECT_TRUE(window->SyncRunner->Busy());
    sync.Release();
    testing::AwaitSync(*window->SyncRunner);
    EXPECT_EQ(sync.Requests().size(), 1u);
    EXPECT_EQ(window->DateLine->Text(), "時刻あわせに成功しました");
    EXPECT_EQ(window->AutoSync.AutoSyncDeadline(), clock.ticks + 60'000);
}

TEST_F(ClockWindowTest, ClosingDuringARunCancelsItWithoutWaitingForIt) {
    sync.Hold();
    window->SynchronizeClock(SyncReport::Report);
    // Closed while the run waits, not before it has begun.
    for (int i = 0; i < 1000 && sync.Requests().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(sync.Requests().size(), 1u);
    window.reset();
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
    window->SyncNowAction->trigger();
    testing::AwaitSync(*window->SyncRunner);
    window->Tick();

    EXPECT_EQ(window->DateLine->Text(), *c.status != '\0' ? c.status : "2026/12/07");
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
    window->show();
    window->Tick();
    QApplication::processEvents();
    PaintCounter counter;
    window->TimeLine->installEventFilter(&counter);

    for (int i = 0; i < 5; ++i) {
        clock.now += 10.0 / MillisecondsPerDay;  // still 15:04:05
        window->Tick();
        QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);

    clock.now += 1.0 / 86'400;
    window->Tick();
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}

TEST_F(ClockWindowTest, WindowDefaults) {
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->pos(), QPoint(184, 425));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->windowType(), Qt::Tool) << "no task-bar button";
    EXPECT_EQ(window->font().family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(window->font().pointSize(), 9);
    EXPECT_EQ(window->TimeLine->font().pointSize(), 18);
    EXPECT_EQ(window->DateLine->font().pointSize(), 18);
    EXPECT_FALSE(window->TimeLine->Shadow().Enabled());
    EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
    EXPECT_LE(window->Ticks->Plan().SoonestMs(), 1000 + BoundaryMarginMs) << "the default time line shows seconds";
    EXPECT_EQ(window->Panel->geometry(), QRect(2, 2, window->width() - 4, window->height() - 4));
    EXPECT_EQ(window->DateLine->y() + window->DateLine->height(), window->Panel->height())
        << "the date line sits at the bottom of the panel";
}

TEST_F(ClockWindowTest, AFaceTakenBackReturnsToTheBaseFaceOnReload) {
    Create("[Font]\nFontName=Serif\n");
    EXPECT_EQ(window->font().family().toStdString(), "Serif");
    dir.Write("kairos.ini", "[Font]\nFontName=\n");
    window->ReloadSettings();
    EXPECT_EQ(window->font().family().toStdString(), "ＭＳ Ｐゴシック");
}

TEST(QtTranslations, QtsOwnButtonsSpeakJapanese) {
    InstallQtTranslations();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "キャンセル");
}

TEST(FontSubstitutes, WindowsFaceFallsBackToItsMetricCompatibleFace) {
    if (!QFontDatabase::hasFamily("IPAPGothic")) GTEST_SKIP() << "IPAPGothic is not installed";
    InstallFontSubstitutes();
    EXPECT_EQ(QFontInfo(QFont("ＭＳ Ｐゴシック", 9)).family().toStdString(), "IPAPGothic");
}

// A tool window is seldom the active one; hovering shows its tip all the same.
TEST_F(ClockWindowTest, TipShowsOnHoverWhileAnotherWindowIsActive) {
    Create("[General]\nToolTipFormat=ヒント\n");
    window->Tick();
    window->show();
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(window->isActiveWindow());
    // Two moves: one to where the pointer already is would be no move at all.
    const QPoint onTheTime = window->TimeLine->mapTo(window.get(), window->TimeLine->rect().center());
    QTest::mouseMove(window->windowHandle(), onTheTime + QPoint(1, 0));
    QTest::mouseMove(window->windowHandle(), onTheTime);
    for (int wait = 0; wait < 300 && !QToolTip::isVisible(); ++wait) QTest::qWait(10);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), "ヒント");
    QToolTip::hideText();
}

TEST_F(ClockWindowTest, AlwaysOnTopWindowEntersTheTopmostBandWhenShown) {
    Create("[General]\nTopMostMode=1\n");
    EXPECT_EQ(window->TopMost(), TopMostState::TopMost);
    window->hide();
    window->show();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ClockWindowTest, AlwaysOnTopCommandTwiceOnAShownWindowReturnsToNormal) {
    window->show();
    QApplication::processEvents();
    const QPoint where = window->pos();
    for (const TopMostState expected : {TopMostState::TopMost, TopMostState::Normal}) {
        window->ToggleTopMost();
        EXPECT_EQ(window->TopMost(), expected);
        EXPECT_EQ(bool(window->windowFlags() & Qt::WindowStaysOnTopHint), expected == TopMostState::TopMost);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->pos(), where);
    }
}

}  // namespace
}  // namespace kairos
