// The context menu of the clock window and what its commands do.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QPushButton>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/DateTimeSettings.h"
#include "shell/ClockWindow.h"
#include "shell/Help.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/AlarmListDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "media/Launcher.h"
#include "shell/TrayIcon.h"
#include "shell/DeadlineTimers.h"
#include "support/BoxAnswerer.h"
#include "support/ChildScripts.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/FakeSyncJob.h"
#include "support/RecordingMedia.h"
#include "support/ScopedEnvironment.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

class ContextMenuTest : public ::testing::Test {
protected:
    ContextMenuTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay(15, 4, 5, 0);
        list = std::make_unique<DeadlineTimers>(std::make_unique<testing::SimulatedTimers>());
        settingsFile = dir.File("kairos.ini");
        Create();
    }
    ~ContextMenuTest() override { SetCurrentLocaleFormatSettings(LocaleFormatSettings{}); }

    void Create() {
        window.reset();
        window = std::make_unique<ClockWindow>(ClockWindow::Services{
            clock, *list, [this] { return OpenIniFile(settingsFile); }, media, dir.File("Alarm.ini"), sync.Job()});
        window->Ticks->Stop();
    }

    testing::TempDir dir;
    std::string settingsFile;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    testing::FakeSyncJob sync;
    std::unique_ptr<DeadlineTimers> list;
    std::unique_ptr<ClockWindow> window;
};

TEST_F(ContextMenuTest, ItemsInOrderWithCaptionsAndPlainKeys) {
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
    const QList<QAction*> actions = window->ContextMenu->actions();
    ASSERT_EQ(actions.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        QAction* item = actions[qsizetype(i)];
        EXPECT_EQ(item->isSeparator(), std::string(expected[i].caption).empty());
        EXPECT_EQ(item->text().toStdString(), expected[i].caption);
        EXPECT_EQ(item->shortcut().toString().toStdString(), expected[i].shortcut);
        EXPECT_TRUE(item->isEnabled());
        EXPECT_EQ(item->isCheckable(), item == window->TopMostAction);
    }
    EXPECT_EQ(window->ContextMenu->defaultAction(), window->AlarmsAction);
    EXPECT_TRUE(window->AlarmsAction->font().bold());
    EXPECT_FALSE(window->TopMostAction->isChecked());
}

TEST_F(ContextMenuTest, RightClickOnEitherLineOpensTheMenu) {
    window->show();
    for (QWidget* line : {static_cast<QWidget*>(window->TimeLine), static_cast<QWidget*>(window->DateLine)}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3), line->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(line, &click);
        EXPECT_TRUE(window->ContextMenu->isVisible());
        window->ContextMenu->hide();
    }
}

TEST_F(ContextMenuTest, CopyCommandsCopyTheTemplatesNotTheStatusLine) {
    window->Tick();
    window->ShowStatus("アラームです", StatusSound::Silent);
    struct Case {
        QAction* command;
        const char* text;
    };
    for (const Case& copy :
         {Case{window->CopyDateAction, "2026/12/07"}, Case{window->CopyTimeAction, "午後 3:04:05"}}) {
        QGuiApplication::clipboard()->clear();
        copy.command->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), copy.text);
    }
    EXPECT_EQ(window->DateLine->Text(), "アラームです");
}

TEST_F(ContextMenuTest, AlwaysOnTopTwiceReturnsToTheNormalBand) {
    window->show();
    window->TopMostAction->trigger();
    EXPECT_TRUE(window->TopMostAction->isChecked());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    window->TopMostAction->trigger();
    EXPECT_FALSE(window->TopMostAction->isChecked());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ContextMenuTest, SavedPositionAndTopMostComeBackInTheNextWindow) {
    window->move(321, 123);
    window->TopMostAction->trigger();
    window->SavePositionAction->trigger();
    Create();
    EXPECT_EQ(window->pos(), QPoint(321, 123));
    EXPECT_TRUE(window->TopMostAction->isChecked());
    EXPECT_EQ(window->TopMost(), TopMostState::TopMost);
}

TEST_F(ContextMenuTest, SetTimeReportsOnTheDateLine) {
    window->SyncNowAction->trigger();
    testing::AwaitSync(*window->SyncRunner);
    EXPECT_EQ(window->DateLine->Text(), "時刻あわせに成功しました");
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

// What the notice of each dead end says, with "{dir}" for the test's folder.
std::string Expand(std::string text, const std::string& dir) {
    for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir);
    return text;
}

struct HelpCase {
    const char* name;
    bool installed;
    int openResult;
    std::optional<std::string> notice;  // none: no box
};

// The page is opened when it can be; otherwise the notice says where the
// help's file is, or where it was looked for.
TEST(Help, OpensThePageOrSaysWhereItsFileIs) {
    const HelpCase cases[] = {
        {"opened", true, ExecuteSucceeded, std::nullopt},
        {"no browser", true, ExecuteNoAssociation,
         "ヘルプを表示できませんでした。\n次のファイルを Web ブラウザーで開いてください。\n\n"
         "{dir}/bin/help/preferences.html"},
        {"not installed", false, ExecuteSucceeded,
         "ヘルプのファイルが見つかりません。\n次のどちらかのフォルダーに index.html があるはずです。\n\n"
         "{dir}/bin/help\n{dir}/share/kairos/help"},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const std::string bin = dir.File("bin");
        std::filesystem::create_directories(bin + "/help");
        if (c.installed) dir.Write("bin/help/index.html", "<html></html>");
        testing::RecordingMedia media;
        media.executeResult = c.openResult;
        const testing::BoxAnswerer answerer("OK");

        OpenHelp(media, HelpSoundPage, bin);

        const std::string folder = dir.Path().string();
        if (c.installed) {
            ASSERT_EQ(media.events.size(), 1u);
            EXPECT_EQ(media.events[0].name, Expand("file://{dir}/bin/help/preferences.html#sound", folder));
        } else {
            EXPECT_TRUE(media.events.empty());
        }
        EXPECT_EQ(answerer.Seen().has_value(), c.notice.has_value());
        if (c.notice && answerer.Seen()) {
            EXPECT_EQ(answerer.Seen()->text.toStdString(), Expand(*c.notice, folder));
            EXPECT_EQ(answerer.Seen()->icon, QMessageBox::Information);
        }
    }
}

// The test programs have no help beside them.
TEST_F(ContextMenuTest, HelpWithoutTheHelpFilesSaysSo) {
    const testing::BoxAnswerer answerer("OK");
    window->HelpAction->trigger();
    ASSERT_TRUE(answerer.Seen());
    EXPECT_TRUE(answerer.Seen()->text.startsWith("ヘルプのファイルが見つかりません。"));
    EXPECT_TRUE(media.events.empty());
}

// PATH holds only the test's folder; the fake settings program writes down
// its arguments.
class DateTimeSettingsCommand : public ContextMenuTest {
protected:
    DateTimeSettingsCommand() {
        std::filesystem::create_directory(Bin());
        env.Set("PATH", Bin());
    }
    void TearDown() override { EXPECT_TRUE(testing::AllChildrenReaped()); }

    std::string Bin() const { return dir.File("bin"); }
    std::string Recorded() const { return dir.File("recorded"); }

    testing::ScopedEnvironment env;
};

TEST_F(DateTimeSettingsCommand, NoneInstalledNamesThePackagesThatBringOne) {
    const testing::BoxAnswerer answerer("OK");
    window->DateTimeSettingsAction->trigger();
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->text.toStdString(),
              "日付と時刻を設定するプログラムが見つかりません。\n"
              "次のいずれかのパッケージをインストールしてください。\n\n"
              "gnome-control-center (GNOME)\n"
              "systemsettings (KDE Plasma)\n"
              "cinnamon (Cinnamon)\n"
              "gnome-system-tools (MATE など)\n\n"
              "端末の timedatectl でも設定できます。");
    EXPECT_EQ(answerer.Seen()->icon, QMessageBox::Information);
}

TEST_F(DateTimeSettingsCommand, OneFoundIsStartedWithoutANotice) {
    testing::WriteScript(Bin() + "/gnome-control-center", "PATH=/usr/bin:/bin\n" + testing::RecordArguments(Recorded()));
    const testing::BoxAnswerer answerer("OK");
    window->DateTimeSettingsAction->trigger();
    ASSERT_TRUE(testing::Eventually([&] { return testing::Exists(Recorded()); }));
    EXPECT_EQ(testing::ReadLines(Recorded()), (std::vector<std::string>{"1", "datetime"}));
    EXPECT_FALSE(answerer.Seen());
}

TEST_F(DateTimeSettingsCommand, OneThatCannotStartSaysSo) {
    dir.Write("bin/gnome-control-center", "not a program\n");
    std::filesystem::permissions(Bin() + "/gnome-control-center", std::filesystem::perms::owner_all);
    const testing::BoxAnswerer answerer("OK");
    window->DateTimeSettingsAction->trigger();
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->text.toStdString(), "gnome-control-center を起動できませんでした。");
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

TEST_F(ContextMenuTest, TheTickPutsTheTooltipOnTheIcon) {
    window->TipTemplate = "hh:nn";
    window->Tick();
    EXPECT_EQ(window->Tray->ShownTip(), "15:04");
    window->Tray->SetTip("");
    EXPECT_EQ(window->Tray->ShownTip(), "Kairos");
}

TEST_F(ContextMenuTest, CloseAndMinimiseHideInsteadOfEnding) {
    window->Tray->NotificationAreaAvailable = [] { return true; };
    int ended = 0;
    QObject::connect(window.get(), &ClockWindow::Closed, [&ended] { ++ended; });
    window->show();
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    window->show();
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(window->Tray->IconShown());

    window->QuitAction->trigger();
    EXPECT_EQ(ended, 1) << "the exit command ends the program";
    EXPECT_FALSE(window->Tray->IconShown());
}

TEST_F(ContextMenuTest, WithoutANotificationAreaCloseEndsAndMinimiseIsUndone) {
    // A hidden tool window without an icon to bring it back would be lost.
    window->Tray->NotificationAreaAvailable = [] { return false; };
    int ended = 0;
    QObject::connect(window.get(), &ClockWindow::Closed, [&ended] { ++ended; });
    window->show();
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ended, 1);
}

TEST_F(ContextMenuTest, IconClickTogglesTheWindowWithTheSystemSounds) {
    window->show();
    bool handled = false;
    window->ToggleVisibility(window->Tray, {}, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(window->isVisible());
    window->ToggleVisibility(window->Tray, {}, handled);
    EXPECT_TRUE(window->isVisible());
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

TEST_F(ContextMenuTest, EachDialogCommandOpensItsDialogOwnedByTheClock) {
    const DialogCloser<PreferencesDialog> preferences([this](QDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), window.get());
        dialog.reject();
    });
    window->PreferencesAction->trigger();
    EXPECT_TRUE(preferences.Seen());

    const DialogCloser<AlarmListDialog> alarms([](QDialog& dialog) { dialog.reject(); });
    window->AlarmsAction->trigger();
    EXPECT_TRUE(alarms.Seen());

    // The test program carries no version strings: the dialog says so first.
    const testing::BoxAnswerer noVersion("OK");
    const DialogCloser<AboutDialog> about([](QDialog& dialog) { dialog.accept(); });
    window->AboutAction->trigger();
    EXPECT_TRUE(about.Seen());
    ASSERT_TRUE(noVersion.Seen());
    EXPECT_EQ(noVersion.Seen()->text, "ファイルバージョンが取得できません");
}

TEST_F(ContextMenuTest, PreferencesOkWithoutASettingsFileWritesOneThatChangesNothing) {
    window->Tick();
    const QSize size = window->size();
    const std::string time = window->TimeLine->Text(), date = window->DateLine->Text();
    const QFont timeFont = window->TimeLine->font(), dateFont = window->DateLine->font();
    const double opacity = window->windowOpacity();

    const DialogCloser<PreferencesDialog> ok([](PreferencesDialog& dialog) { dialog.OKBtn->click(); });
    window->PreferencesAction->trigger();
    ASSERT_TRUE(ok.Seen());
    window->Tick();

    const IniStore written(settingsFile);
    EXPECT_EQ(written.ReadString("General", "TimeFormat", "-"), "ampm h:nn:ss");
    EXPECT_EQ(written.ReadString("Font", "TimeSize", "-"), "18");
    EXPECT_EQ(written.ReadString("Alarm", "AlarmToBeep", "-"), "0");
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->TimeLine->Text(), time);
    EXPECT_EQ(window->DateLine->Text(), date);
    EXPECT_EQ(window->TimeLine->font(), timeFont);
    EXPECT_EQ(window->DateLine->font(), dateFont);
    EXPECT_EQ(window->windowOpacity(), opacity);
    EXPECT_EQ(window->AutoNTP, AutoSyncMode::Off);
}

TEST_F(ContextMenuTest, AlarmDialogOkMakesTheLiveListFollowAndCancelDoesNot) {
    const std::string one = "[Alarm1]\r\nTime=7:30:00\r\nWeeks=wMon\r\n";
    dir.Write("Alarm.ini", one);
    window->ReloadAlarms();
    // Another copy of the program, say, added a second alarm meanwhile.
    dir.Write("Alarm.ini", one + "[Alarm2]\r\nTime=8:00:00\r\nWeeks=wTue\r\n");

    const DialogCloser<AlarmListDialog> cancel([](QDialog& dialog) { dialog.reject(); });
    window->AlarmsAction->trigger();
    ASSERT_TRUE(cancel.Seen());
    EXPECT_EQ(window->Alarms->Count(), 1u);

    const DialogCloser<AlarmListDialog> ok([](AlarmListDialog& dialog) { dialog.OK->click(); });
    window->AlarmsAction->trigger();
    ASSERT_TRUE(ok.Seen());
    EXPECT_EQ(window->Alarms->Count(), 2u);
}

}  // namespace
}  // namespace kairos
