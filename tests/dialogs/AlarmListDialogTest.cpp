// The alarm list dialog: its copy of the alarm file, written on OK only, and
// adding, editing and removing through the edit dialog and the question.

#include "dialogs/AlarmListDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "clocktext/LocaleFormatSettings.h"
#include "controls/HistoryComboBox.h"
#include "dialogs/AlarmEditDialog.h"
#include "settings/IniStore.h"
#include "shell/MessageBoxes.h"
#include "media/Launcher.h"
#include "support/BoxAnswerer.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/ModalDriver.h"
#include "support/RecordingMedia.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using testing::BoxAnswerer;
using testing::ModalDriver;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A section as the program writes it, under any name.
std::string Section(const std::string& name, const std::string& kind, const std::string& time, const std::string& weeks,
                    const std::string& message) {
    return "[" + name + "]\r\nAlarmKind=" + kind + "\r\nDate=2026/12/07\r\nTime=" + time + "\r\nWeeks=" + weeks +
           "\r\nSnooze=snDisable\r\nMessage=" + message + "\r\nCommand=\r\nRemoveOnExec=0\r\n\r\n";
}

std::string ThreeAlarms(const std::string& first, const std::string& second, const std::string& third,
                        const std::string& secondMessage = "会議") {
    return Section(first, "akAtWeeks", "07:30:00", "wMon,wTue,wWed,wThu,wFri", "起床") +
           Section(second, "akAtDate", "12:00:00", "", secondMessage) +
           Section(third, "akAtWeeks", "22:15:00", "wSun,wMon,wTue,wWed,wThu,wFri,wSat", "");
}

class AlarmListDialogTest : public ::testing::Test {
protected:
    AlarmListDialogTest() : saved_(CurrentLocaleFormatSettings()) {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay();
    }
    ~AlarmListDialogTest() override { SetCurrentLocaleFormatSettings(saved_); }

    void Open(const std::string& file = ThreeAlarms("Wake", "Foo", "Alarm7")) {
        dir.Write("Alarm.ini", file);
        dialog = std::make_unique<AlarmListDialog>(services);
    }
    void Select(int row) {
        dialog->AlarmView->selectionModel()->setCurrentIndex(dialog->AlarmView->model()->index(row, 0),
                                                             QItemSelectionModel::ClearAndSelect);
    }
    std::string Line(int row) const {
        return dialog->AlarmView->model()->index(row, 0).data().toString().toStdString();
    }
    int Lines() const { return dialog->AlarmView->model()->rowCount(); }
    std::string AlarmFile() const { return Contents(services.alarmFile); }

    // Opens the property dialog with the button and answers it with OK after
    // setting its message, or with Cancel.
    void RunPropertyDialog(QPushButton* button, const char* message, std::string* shownMessage = nullptr) {
        ModalDriver<AlarmEditDialog> driver([&](AlarmEditDialog& form) {
            if (shownMessage != nullptr) *shownMessage = form.ShowMessage->currentText().toStdString();
            if (message == nullptr) return form.CancelBtn->click();
            form.ShowMessage->setEditText(QString::fromUtf8(message));
            form.OKBtn->click();
        });
        button->click();
        EXPECT_TRUE(driver.Driven());
    }

    testing::TempDir dir;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    DialogServices services{
        clock, [this] { return OpenIniFile(dir.File("kairos.ini")); }, media, {}, dir.File("Alarm.ini")};
    std::unique_ptr<AlarmListDialog> dialog;

private:
    LocaleFormatSettings saved_;
};

TEST_F(AlarmListDialogTest, ControlsSitWhereTheLayoutPutsThem) {
    Open();
    const AlarmListDialog& d = *dialog;
    EXPECT_EQ(d.size(), QSize(313, 306));
    EXPECT_EQ(d.windowTitle().toStdString(), "アラーム");
    const struct {
        const QWidget* control;
        QRect place;
    } places[] = {
        {d.AlarmView, {8, 8, 197, 256}},  {d.Bevel, {212, 8, 91, 260}},    {d.AddButton, {8, 28, 75, 25}},
        {d.RemoveButton, {8, 64, 75, 25}}, {d.EditButton, {8, 100, 75, 25}}, {d.OK, {62, 273, 75, 25}},
        {d.Cancel, {144, 273, 75, 25}},   {d.Help, {226, 273, 75, 25}},
    };
    for (const auto& [control, place] : places) EXPECT_EQ(control->geometry(), place);
    EXPECT_EQ(d.AlarmView->visualRect(d.AlarmView->model()->index(1, 0)).height(), 12);
}

TEST_F(AlarmListDialogTest, OkRewritesTheFileNumberedFromOne) {
    Open();
    ASSERT_EQ(Lines(), 3);
    EXPECT_EQ(Line(0), "起床 - 月火水木金 7:30");
    EXPECT_EQ(Line(1), "会議 - 12/07 12:00");
    EXPECT_EQ(Line(2), "無題 - 毎 22:15");
    dialog->OK->click();
    EXPECT_EQ(dialog->result(), ModalOk);
    EXPECT_EQ(AlarmFile(), ThreeAlarms("Alarm1", "Alarm2", "Alarm3"));
}

TEST_F(AlarmListDialogTest, CancelLeavesTheFileAsItWasAfterAnAdd) {
    Open();
    const std::string before = AlarmFile();
    RunPropertyDialog(dialog->AddButton, nullptr);
    EXPECT_EQ(Lines(), 3) << "a cancelled property dialog adds nothing";
    RunPropertyDialog(dialog->AddButton, "新規");
    ASSERT_EQ(Lines(), 4);
    EXPECT_EQ(Line(3), "新規 - 毎 15:04");
    dialog->Cancel->click();
    EXPECT_EQ(dialog->result(), ModalCancel);
    EXPECT_EQ(AlarmFile(), before);
}

TEST_F(AlarmListDialogTest, EditedAlarmKeepsItsPlace) {
    Open();
    Select(1);
    std::string shown;
    RunPropertyDialog(dialog->EditButton, "打合せ", &shown);
    EXPECT_EQ(shown, "会議");
    EXPECT_EQ(Lines(), 3);
    EXPECT_EQ(Line(1), "打合せ - 12/07 12:00");
    dialog->OK->click();
    EXPECT_EQ(AlarmFile(), ThreeAlarms("Alarm1", "Alarm2", "Alarm3", "打合せ"));
}

struct RemoveCase {
    const char* answer;
    int row;
    int linesLeft;
    bool buttonsEnabled;
    const char* lineAtRow;
};

class AlarmRemoveTest : public AlarmListDialogTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(AlarmRemoveTest, AsksAndKeepsTheSelectionWhileItsLineExists) {
    const RemoveCase& c = GetParam();
    Open();
    EXPECT_FALSE(dialog->RemoveButton->isEnabled());
    EXPECT_FALSE(dialog->EditButton->isEnabled());
    Select(c.row);
    ASSERT_TRUE(dialog->RemoveButton->isEnabled());
    const BoxAnswerer answerer(QString::fromUtf8(c.answer));
    dialog->RemoveButton->click();
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->text.toStdString(), "削除しますか？");
    EXPECT_EQ(Lines(), c.linesLeft);
    EXPECT_EQ(dialog->Alarms().Count(), static_cast<std::size_t>(c.linesLeft));
    EXPECT_EQ(dialog->RemoveButton->isEnabled(), c.buttonsEnabled);
    EXPECT_EQ(dialog->EditButton->isEnabled(), c.buttonsEnabled);
    if (c.buttonsEnabled) {
        EXPECT_EQ(Line(static_cast<int>(*dialog->SelectedIndex())), c.lineAtRow);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, AlarmRemoveTest,
                         ::testing::Values(RemoveCase{"いいえ(&N)", 1, 3, true, "会議 - 12/07 12:00"},
                                           RemoveCase{"はい(&Y)", 1, 2, true, "無題 - 毎 22:15"},
                                           RemoveCase{"はい(&Y)", 2, 2, false, ""}));

TEST_F(AlarmListDialogTest, UnreadableAlarmIsReportedAndTheDialogOpensWithTheOnesBefore) {
    std::string file = ThreeAlarms("A", "B", "C");
    file.replace(file.find("snDisable", file.find("[B]")), 9, "sn20Minutes");
    const BoxAnswerer answerer(QStringLiteral("OK"));
    Open(file);
    ASSERT_TRUE(answerer.Seen());
    EXPECT_NE(answerer.Seen()->text.toStdString().find("sn20Minutes"), std::string::npos);
    EXPECT_EQ(Lines(), 1);
}

TEST_F(AlarmListDialogTest, FailedWriteIsReportedAndStillEndsWithOk) {
    services.alarmFile = dir.File("missing-folder/Alarm.ini");
    dialog = std::make_unique<AlarmListDialog>(services);
    const BoxAnswerer answerer(QStringLiteral("OK"));
    dialog->OK->click();
    EXPECT_TRUE(answerer.Seen());
    EXPECT_EQ(dialog->result(), ModalOk);
}

// Help that cannot be shown says so and where the pages are, as from the clock's menu.
TEST_F(AlarmListDialogTest, HelpThatCannotOpenSaysSo) {
    Open();
    media.executeResult = ExecuteNoAssociation;
    const BoxAnswerer answerer("OK");
    dialog->Help->click();
    ASSERT_TRUE(answerer.Seen().has_value());
    EXPECT_TRUE(answerer.Seen()->text.contains("help")) << answerer.Seen()->text.toStdString();
}

}  // namespace
}  // namespace kairos
