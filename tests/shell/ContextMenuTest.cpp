// The context menu of the clock window and what its commands do.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QPushButton>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniDocument.h"
#include "shell/ClockPanel.h"
#include "shell/DateTimeSettings.h"
#include "shell/ClockWindow.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/AlarmListDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "alarms/Alarm.h"
#include "shell/RerTrayReg.h"
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

class PopupMenuTest : public ::testing::Test {
protected:
    PopupMenuTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay(15, 4, 5, 0);
        list = std::make_unique<TTimerList>(std::make_unique<testing::SimulatedTimers>());
        settingsFile = dir.File("kairos.ini");
        Create();
    }
    ~PopupMenuTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    void Create() {
        form.reset();
        form = std::make_unique<TKairosDisplayForm>(TKairosDisplayForm::Services{
            clock, *list, [this] { return OpenIniFile(settingsFile); }, media, dir.File("Alarm.ini"), sync.Job()});
        form->Timer->stop();
    }

    testing::TempDir dir;
    std::string settingsFile;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    testing::FakeSyncJob sync;
    std::unique_ptr<TTimerList> list;
    std::unique_ptr<TKairosDisplayForm> form;
};

TEST_F(PopupMenuTest, ItemsInOrderWithCaptionsAndPlainKeys) {
    struct Item {
        const char* caption;  // empty for a separator
        const char* shortcut;
    };
    const std::vector<Item> expected{
        {"アラーム(&A)...", "A"}, {"日付をコピー(&D)", "D"}, {"時刻をコピー(&I)", "I"}, {"", ""},
        {"設定(&O)...", "P"}, {"日付と時刻のプロパティ(&P)...", ""}, {"常に手前表示(&T)", "T"},
        {"時刻あわせ(&S)", "S"}, {"現在の位置設定等を保存(&I)", ""}, {"", ""},
        {"バージョン情報(&A)", ""}, {"ヘルプ(&H)", "F1"}, {"", ""}, {"終了(&X)", ""},
    };
    const QList<QAction*> actions = form->PopupMenu->actions();
    ASSERT_EQ(actions.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        QAction* item = actions[qsizetype(i)];
        EXPECT_EQ(item->isSeparator(), std::string(expected[i].caption).empty());
        EXPECT_EQ(item->text().toStdString(), expected[i].caption);
        EXPECT_EQ(item->shortcut().toString().toStdString(), expected[i].shortcut);
        EXPECT_TRUE(item->isEnabled());
        EXPECT_EQ(item->isCheckable(), item == form->SetTopMost);
    }
    EXPECT_EQ(form->PopupMenu->defaultAction(), form->AlarmSetting);
    EXPECT_TRUE(form->AlarmSetting->font().bold());
    EXPECT_FALSE(form->SetTopMost->isChecked());
}

TEST_F(PopupMenuTest, RightClickOnEitherLineOpensTheMenu) {
    form->show();
    for (QWidget* line : {static_cast<QWidget*>(form->TimeLabel), static_cast<QWidget*>(form->DateLabel)}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3), line->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(line, &click);
        EXPECT_TRUE(form->PopupMenu->isVisible());
        form->PopupMenu->hide();
    }
}

TEST_F(PopupMenuTest, CopyCommandsCopyTheTemplatesNotTheStatusLine) {
    form->TimerTimer();
    form->ShowStatus("アラームです", StatusSound::Silent);
    struct Case {
        QAction* command;
        const char* text;
    };
    for (const Case& copy : {Case{form->CopyDate, "2026/12/07"}, Case{form->CopyTime, "午後 3:04:05"}}) {
        QGuiApplication::clipboard()->clear();
        copy.command->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), copy.text);
    }
    EXPECT_EQ(form->DateLabel->Text(), "アラームです");
}

TEST_F(PopupMenuTest, AlwaysOnTopTwiceReturnsToTheNormalBand) {
    form->show();
    form->SetTopMost->trigger();
    EXPECT_TRUE(form->SetTopMost->isChecked());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    form->SetTopMost->trigger();
    EXPECT_FALSE(form->SetTopMost->isChecked());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(PopupMenuTest, SavedPositionAndTopMostComeBackInTheNextWindow) {
    form->move(321, 123);
    form->SetTopMost->trigger();
    form->SavePosition->trigger();
    Create();
    EXPECT_EQ(form->pos(), QPoint(321, 123));
    EXPECT_TRUE(form->SetTopMost->isChecked());
    EXPECT_EQ(form->TopMost(), TopMostState::TopMost);
}

TEST_F(PopupMenuTest, SetTimeReportsOnTheDateLine) {
    form->SetTime->trigger();
    testing::AwaitSync(*form->SyncRunner);
    EXPECT_EQ(form->DateLabel->Text(), "時刻あわせに成功しました");
}

TEST(DateTimeSettings, FirstInstalledDesktopToolWins) {
    const auto only = [](std::vector<std::string> present) {
        return FindDateTimeSettings([present](std::string_view program) {
            return std::find(present.begin(), present.end(), program) != present.end();
        });
    };
    EXPECT_FALSE(only({}));
    const auto kde = only({"xfce4-datetime-settings", "systemsettings"});
    ASSERT_TRUE(kde);
    EXPECT_EQ(kde->program + " " + kde->params, "systemsettings kcm_clock");
    const auto gnome = only({"systemsettings", "gnome-control-center"});
    ASSERT_TRUE(gnome);
    EXPECT_EQ(gnome->program + " " + gnome->params, "gnome-control-center datetime");
}

}  // namespace
}  // namespace kairos

namespace kairos {
namespace {

TEST(TrayTipText, CutsAtACharacterBoundaryWithin63Bytes) {
    struct Case {
        std::string tip;
        std::size_t length;
    };
    const std::string a60(60, 'a');
    for (const Case& cut : {
             Case{"", 6},                          // "Kairos"
             Case{std::string(70, 'x'), 63},
             Case{a60 + "あ" + "z", 63},           // the character ends on byte 63
             Case{a60 + "b" + "あ", 61},           // it would take bytes 62 to 64
             Case{a60 + "bc" + "é", 62},           // a two-byte character on byte 63
         }) {
        SCOPED_TRACE(cut.tip);
        EXPECT_EQ(TrayTipText(cut.tip).size(), cut.length);
    }
    EXPECT_EQ(TrayTipText(""), "Kairos");
}

TEST_F(PopupMenuTest, TheTickPutsTheTooltipOnTheIcon) {
    form->TipTemplate = "hh:nn";
    form->TimerTimer();
    EXPECT_EQ(form->TrayIcon->ShownTip(), "15:04");
    form->TrayIcon->SetTip("");
    EXPECT_EQ(form->TrayIcon->ShownTip(), "Kairos");
}

TEST_F(PopupMenuTest, CloseAndMinimiseHideInsteadOfEnding) {
    form->TrayIcon->NotificationAreaAvailable = [] { return true; };
    int ended = 0;
    QObject::connect(form.get(), &TKairosDisplayForm::Closed, [&ended] { ++ended; });
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(form->isVisible());
    form->show();
    form->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(form->TrayIcon->TaskTray());

    form->AppExit->trigger();
    EXPECT_EQ(ended, 1) << "the exit command ends the program";
    EXPECT_FALSE(form->TrayIcon->TaskTray());
}

TEST_F(PopupMenuTest, WithoutANotificationAreaCloseEndsAndMinimiseIsUndone) {
    // A hidden tool window without an icon to bring it back would be lost.
    form->TrayIcon->NotificationAreaAvailable = [] { return false; };
    int ended = 0;
    QObject::connect(form.get(), &TKairosDisplayForm::Closed, [&ended] { ++ended; });
    form->show();
    form->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ended, 1);
}

TEST_F(PopupMenuTest, IconClickTogglesTheWindowWithTheSystemSounds) {
    form->show();
    bool handled = false;
    form->TrayIconClick(form->TrayIcon, {}, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(form->isVisible());
    form->TrayIconClick(form->TrayIcon, {}, handled);
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(media.events.size(), 2u);
    EXPECT_EQ(media.events[0].name, "Minimize");
    EXPECT_EQ(media.events[1].name, "RestoreUp");
}

// Ends the next modal dialog of that type from the event loop, after the
// test has had its look at it.
template <typename Dialog>
class DialogCloser {
public:
    explicit DialogCloser(std::function<void(Dialog&)> close) : close_(std::move(close)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) return;
            poll_.stop();
            seen_ = true;
            close_(*dialog);
        });
        poll_.start(5);
    }
    bool Seen() const { return seen_; }

private:
    std::function<void(Dialog&)> close_;
    QTimer poll_;
    bool seen_ = false;
};

TEST_F(PopupMenuTest, EachDialogCommandOpensItsDialogOwnedByTheClock) {
    const DialogCloser<TKairosPreferenceDialog> preferences([this](QDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), form.get());
        dialog.reject();
    });
    form->Options->trigger();
    EXPECT_TRUE(preferences.Seen());

    const DialogCloser<TKairosAlarmDialog> alarms([](QDialog& dialog) { dialog.reject(); });
    form->AlarmSetting->trigger();
    EXPECT_TRUE(alarms.Seen());

    // The test program carries no version strings: the dialog says so first.
    const testing::BoxAnswerer noVersion("OK");
    const DialogCloser<TKairosAboutDialog> about([](QDialog& dialog) { dialog.accept(); });
    form->ShowAbout->trigger();
    EXPECT_TRUE(about.Seen());
    ASSERT_TRUE(noVersion.Seen());
    EXPECT_EQ(noVersion.Seen()->text, "ファイルバージョンが取得できません");
}

TEST_F(PopupMenuTest, PreferencesOkWithoutASettingsFileWritesOneThatChangesNothing) {
    form->TimerTimer();
    const QSize size = form->size();
    const std::string time = form->TimeLabel->Text(), date = form->DateLabel->Text();
    const QFont timeFont = form->TimeLabel->font(), dateFont = form->DateLabel->font();
    const double opacity = form->windowOpacity();

    const DialogCloser<TKairosPreferenceDialog> ok([](TKairosPreferenceDialog& dialog) { dialog.OKBtn->click(); });
    form->Options->trigger();
    ASSERT_TRUE(ok.Seen());
    form->TimerTimer();

    const TMemIniFileEx written(settingsFile);
    EXPECT_EQ(written.ReadString("General", "TimeFormat", "-"), "ampm h:nn:ss");
    EXPECT_EQ(written.ReadString("Font", "TimeSize", "-"), "18");
    EXPECT_EQ(written.ReadString("Alarm", "AlarmToBeep", "-"), "0");
    EXPECT_EQ(form->size(), size);
    EXPECT_EQ(form->TimeLabel->Text(), time);
    EXPECT_EQ(form->DateLabel->Text(), date);
    EXPECT_EQ(form->TimeLabel->font(), timeFont);
    EXPECT_EQ(form->DateLabel->font(), dateFont);
    EXPECT_EQ(form->windowOpacity(), opacity);
    EXPECT_EQ(form->AutoNTP, AutoSyncMode::Off);
}

TEST_F(PopupMenuTest, AlarmDialogOkMakesTheLiveListFollowAndCancelDoesNot) {
    const std::string one = "[Alarm1]\r\nTime=7:30:00\r\nWeeks=wMon\r\n";
    dir.Write("Alarm.ini", one);
    form->ReloadAlarms();
    // Another copy of the program, say, added a second alarm meanwhile.
    dir.Write("Alarm.ini", one + "[Alarm2]\r\nTime=8:00:00\r\nWeeks=wTue\r\n");

    const DialogCloser<TKairosAlarmDialog> cancel([](QDialog& dialog) { dialog.reject(); });
    form->AlarmSetting->trigger();
    ASSERT_TRUE(cancel.Seen());
    EXPECT_EQ(form->Alarms->Count(), 1u);

    const DialogCloser<TKairosAlarmDialog> ok([](TKairosAlarmDialog& dialog) { dialog.OK->click(); });
    form->AlarmSetting->trigger();
    ASSERT_TRUE(ok.Seen());
    EXPECT_EQ(form->Alarms->Count(), 2u);
}

}  // namespace
}  // namespace kairos
