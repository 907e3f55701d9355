// The clock window as the settings file configures it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <memory>
#include <string>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/ClockWindow.h"
#include "shell/DeadlineTimers.h"
#include "shell/FontSubstitutes.h"
#include "shell/WidestDigits.h"
#include "support/BoxAnswerer.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

class ClockLookTest : public ::testing::Test {
protected:
    ClockLookTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay(15, 4, 5, 0);
        list = std::make_unique<DeadlineTimers>(std::make_unique<testing::SimulatedTimers>());
    }
    ~ClockLookTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    // Creates the window over these settings and returns the text of the
    // error box it raised once it was up, if any (the box is closed at once).
    std::string Create(const std::string& settings) {
        const std::string file = dir.Write("kairos.ini", settings);
        const testing::BoxAnswerer answerer("OK");
        window = std::make_unique<ClockWindow>(ClockWindow::Services{
            clock, *list, [file] { return OpenIniFile(file); }, media, dir.File("Alarm.ini"), {}});
        window->Ticks->Stop();
        for (int i = 0; i < 5; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
        return answerer.Seen() ? answerer.Seen()->text.toStdString() : std::string();
    }

    // Templates that render as blanks only: the window keeps a size, and no
    // glyph covers the pixels a test looks at.
    static constexpr const char* kBlankLines = "TimeFormat='                '\nDateFormat='                '\n";

    QImage Shot() {
        window->Tick();
        return window->grab().toImage();
    }

    testing::TempDir dir;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    std::unique_ptr<DeadlineTimers> list;
    std::unique_ptr<ClockWindow> window;
};

struct OpacityCase {
    const char* value;
    double opacity;
};

TEST_F(ClockLookTest, TransparencyIsOneByte) {
    for (const OpacityCase c : {OpacityCase{"255", 1.0}, {"254", 254 / 255.0}, {"300", 44 / 255.0}, {"abc", 1.0}}) {
        Create(std::string("[General]\nTransparency=") + c.value + "\n");
        EXPECT_NEAR(window->windowOpacity(), c.opacity, 1e-3) << c.value;
    }
}

struct PointCase {
    const char* value;
    QPoint expected;
};

TEST_F(ClockLookTest, PointFallsBackPerCoordinate) {
    for (const PointCase c : {PointCase{"10,20", {10, 20}}, {"100", {100, 425}}, {"abc,50", {184, 50}}, {",5", {184, 5}}}) {
        Create(std::string("[General]\nPoint=") + c.value + "\n");
        EXPECT_EQ(window->pos(), c.expected) << c.value;
    }
}

TEST_F(ClockLookTest, BackColorByNameInAnyCaseOrByNumber) {
    for (const char* value : {"clRed", "CLRED", "$000000FF", "255"}) {
        EXPECT_EQ(Create(std::string("[General]\nBackColor=") + value + "\n" + kBlankLines), "") << value;
        EXPECT_EQ(Shot().pixelColor(10, 10), QColor(255, 0, 0)) << value;
    }
}

// One typo costs its own setting only: everything else, the position and
// the alarms included, is applied, and the box names the key.
TEST_F(ClockLookTest, UnreadableColourLeavesOnlyItselfAtTheDefault) {
    dir.Write("Alarm.ini", "[Alarm1]\nTime=07:30:00\nMessage=朝\n");
    const std::string error = Create(
        "[General]\nDateFormat=dd\nPoint=10,10\nTopMostMode=1\nBackColor=red\n"
        "[Font]\nTimeSize=40\nTimeColor=\nDateColor=clRed\n");
    EXPECT_EQ(error, "次の設定を読めなかったため、既定の値を使います。\n"
                     "[General] BackColor: 'red' は整数ではありません\n[Font] TimeColor: '' は整数ではありません");
    EXPECT_EQ(window->DateTemplate, "dd");
    EXPECT_EQ(window->TimeLine->font().pointSize(), 40);
    EXPECT_EQ(window->pos(), QPoint(10, 10));
    EXPECT_EQ(window->TopMost(), TopMostState::TopMost);
    EXPECT_EQ(window->Alarms->Count(), 1u);
    EXPECT_EQ(Shot().pixelColor(10, 10), QApplication::palette().color(QPalette::Button)) << "the default face colour";
}

// Rendered on every tick: a template of megabytes would take the processor.
TEST_F(ClockLookTest, TemplatesAreCutAtACharacterBoundary) {
    std::string longText;
    for (int i = 0; i < 1500; ++i) longText += "日";
    Create("[General]\nTimeFormat=" + longText + "\nDateFormat=" + std::string(5000, 'd') + "\n");
    EXPECT_EQ(window->TimeTemplate.size(), 4095u) << "whole characters only";
    EXPECT_EQ(window->DateTemplate.size(), 4096u);
}

TEST_F(ClockLookTest, TheErrorBoxComesOnlyOnceTheClockTicks) {
    const std::string file = dir.Write("kairos.ini", "[General]\nBackColor=red\n");
    window = std::make_unique<ClockWindow>(ClockWindow::Services{
        clock, *list, [file] { return OpenIniFile(file); }, media, dir.File("Alarm.ini"), {}});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no box inside the constructor";
    EXPECT_TRUE(window->Ticks->Running());
    const testing::BoxAnswerer answerer("OK");
    for (int i = 0; i < 5 && !answerer.Seen(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(answerer.Seen());
}

TEST_F(ClockLookTest, FlagsAreNumbers) {
    struct Case {
        const char* value;
        bool on;
    };
    for (const Case c : {Case{"1", true}, {"2", true}, {"0x1", true}, {"0", false}, {"yes", false}}) {
        Create(std::string("[General]\nAutoNTP=") + c.value + "\n");
        EXPECT_EQ(window->AutoSync.AutoSyncDeadline() != 0, c.on) << c.value;
    }
}

TEST_F(ClockLookTest, FrameIsLighterAboveAndDarkerBelowTheWindowColour) {
    struct Case {
        const char* color;
        QRgb light, dark;
    };
    for (const Case c : {Case{"$00808080", qRgb(0xA0, 0xA0, 0xA0), qRgb(0x60, 0x60, 0x60)},
                         {"$00000000", qRgb(0x20, 0x20, 0x20), qRgb(0, 0, 0)},
                         {"$00FFFFFF", qRgb(0xFF, 0xFF, 0xFF), qRgb(0xDF, 0xDF, 0xDF)},
                         // Carries cross the channels: red 0xFF plus 0x20 spills into green.
                         {"$000000FF", qRgb(0x1F, 0x21, 0x20), qRgb(0, 0, 0)}}) {
        Create(std::string("[General]\nBackColor=") + c.color + "\n");
        const QImage shot = Shot();
        EXPECT_EQ(shot.pixel(0, 0), c.light) << c.color;
        EXPECT_EQ(shot.pixel(1, 1), c.light) << c.color;
        EXPECT_EQ(shot.pixel(shot.width() - 1, shot.height() - 1), c.dark) << c.color;
        EXPECT_EQ(shot.pixel(shot.width() - 2, shot.height() - 2), c.dark) << c.color;
    }
}

TEST_F(ClockLookTest, LineBreakInTheTimeTemplateAddsOneLine) {
    Create("[General]\nTimeFormat=hh:nn\n");
    const int oneLine = window->height();
    Create("[General]\nTimeFormat=hh:nn%nhh:nn\n");
    EXPECT_EQ(window->height() - oneLine, QFontMetrics(window->TimeLine->font()).height());
}

TEST_F(ClockLookTest, WindowFitsItsWidestSample) {
    Create("[General]\nTimeFormat=hh:nn:ss\nDateFormat=yyyy/mm/dd\n[Font]\nTimeSize=40\n");
    window->show();
    QApplication::processEvents();
    const ClockLine& time = *window->TimeLine;
    EXPECT_EQ(time.width(), time.TextExtent(WithWidestDigits("23:59:59", time.fontMetrics())).width());
    EXPECT_EQ(window->width(), time.width() + 4) << "the frame on either side";
    EXPECT_EQ(window->DateLine->height(), window->DateLine->TextExtent("2026/12/31").height());
}

// With the defaults and the face the program substitutes, as the user first
// sees the clock: no time of the day is cut.
TEST_F(ClockLookTest, EveryMinuteOfTheDayFitsTheTimeLine) {
    InstallFontSubstitutes();
    Create("");
    window->show();
    QApplication::processEvents();
    const ClockLine& time = *window->TimeLine;
    const std::string face = QFontInfo(time.font()).family().toStdString();
    for (int minute = 0; minute < 24 * 60; ++minute) {
        clock.now = testing::ExampleDay(minute / 60, minute % 60, minute % 60, 0);
        const std::string text = window->RenderTimeText();
        ASSERT_LE(time.TextExtent(QString::fromStdString(text)).width(), time.contentsRect().width())
            << text << " in " << face;
    }
}

// A clock the screen shows whole stays where it was put; one that grows past
// the edge on a reload of the settings moves back in, along that axis only.
TEST_F(ClockLookTest, ClockThatGrowsPastTheScreenEdgeMovesBackIn) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::string point = "[General]\nPoint=" + std::to_string(screen.right() - 180) + ",100\n";
    Create(point);
    EXPECT_EQ(window->pos(), QPoint(screen.right() - 180, 100));
    dir.Write("kairos.ini", point + "[Font]\nTimeSize=60\n");
    window->ReloadSettings();
    EXPECT_EQ(window->geometry().right(), screen.right());
    EXPECT_EQ(window->y(), 100);
}

TEST_F(ClockLookTest, PictureIsTiledOverThePanelAndItsBevel) {
    QImage tile(10, 10, QImage::Format_RGB32);
    tile.fill(QColor(0, 0, 255));
    ASSERT_TRUE(tile.save(QString::fromStdString(dir.File("tile.bmp")), "BMP"));

    Create("[General]\nBGImage=" + dir.File("tile.bmp") + "\nBackColor=$00808080\n" + kBlankLines);
    const QImage shot = Shot();
    for (int y = 2; y < shot.height() - 2; ++y)
        for (int x = 2; x < shot.width() - 2; ++x)
            ASSERT_EQ(shot.pixel(x, y), qRgb(0, 0, 255)) << x << "," << y;
    EXPECT_EQ(shot.pixel(0, 0), qRgb(0xA0, 0xA0, 0xA0)) << "the frame stays visible";
}

TEST_F(ClockLookTest, UnsupportedPictureIsIgnoredSilently) {
    QImage tile(10, 10, QImage::Format_RGB32);
    tile.fill(Qt::blue);
    ASSERT_TRUE(tile.save(QString::fromStdString(dir.File("tile.jpg")), "JPEG"));
    for (const std::string& name : {dir.File("tile.jpg"), dir.File("missing.bmp"), std::string()}) {
        EXPECT_EQ(Create("[General]\nBGImage=" + name + "\n"), "") << name;
        EXPECT_TRUE(window->Panel->Picture().isNull()) << name;
    }
}

}  // namespace
}  // namespace kairos
