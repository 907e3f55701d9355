// The alarm property dialog: what a new alarm starts as, the weekday boxes,
// the tab and snooze rules, editing an alarm and the message history.

#include "dialogs/AlarmEditDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "alarms/Alarm.h"
#include "controls/HistoryComboBox.h"
#include "controls/FileNameEdit.h"
#include "dialogs/TabControl.h"
#include "settings/IniStore.h"
#include "shell/MessageBoxes.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/ModalDriver.h"
#include "support/RecordingMedia.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using testing::ModalDriver;

Moment At(int hour, int minute) { return *TryEncodeTime(hour, minute, 0, 0); }

class AlarmEditDialogTest : public ::testing::Test {
protected:
    AlarmEditDialogTest() {
        clock.now = testing::ExampleDay(15, 4, 5, 678);
        dialog = std::make_unique<AlarmEditDialog>(services);
    }

    bool OnDateTab() const {
        return dialog->KindTabs->TabIndex() == Ordinal(AlarmKind::OnDate) && !dialog->DatePicker->isHidden() &&
               !dialog->DatePickerLabel->isHidden() && dialog->WeeksGroup->isHidden();
    }
    bool OnWeeksTab() const {
        return dialog->KindTabs->TabIndex() == Ordinal(AlarmKind::Weekly) && dialog->DatePicker->isHidden() &&
               dialog->DatePickerLabel->isHidden() && !dialog->WeeksGroup->isHidden();
    }
    WeekdaySet TickedDays() const { return dialog->GetAlarmData()->Weeks; }
    void PickSnooze(int item) {
        dialog->Snooze->setCurrentIndex(item);
        emit dialog->Snooze->activated(item);
    }

    testing::TempDir dir;
    testing::FakeClock clock;
    testing::RecordingMedia media;
    std::string settingsFile = dir.File("kairos.ini");
    DialogServices services{clock, [this] { return OpenIniFile(settingsFile); }, media, {}, dir.File("Alarm.ini")};
    std::unique_ptr<AlarmEditDialog> dialog;
};

TEST_F(AlarmEditDialogTest, ControlsSitWhereTheLayoutPutsThem) {
    const AlarmEditDialog& d = *dialog;
    EXPECT_EQ(d.size(), QSize(297, 289));
    EXPECT_EQ(d.windowTitle().toStdString(), "アラームのプロパティ");
    const struct {
        const QWidget* control;
        QRect place;
    } places[] = {
        {d.ShowMessage, {40, 20, 245, 20}},
        {d.FilePath, {40, 60, 217, 20}},
        {d.FilePath->Button(), {258, 60, 23, 20}},
        {d.KindTabs, {8, 84, 282, 163}},
        {d.DatePicker, {84, 28, 165, 20}},
        {d.WeeksGroup, {16, 28, 245, 61}},
        {d.CheckSunday, {12, 16, 37, 17}},
        {d.CheckWednesDay, {120, 16, 37, 17}},
        {d.CheckThursDay, {12, 36, 37, 17}},
        {d.CheckSaturDay, {84, 36, 37, 17}},
        {d.CheckAllDay, {120, 36, 49, 17}},
        {d.TimePicker, {84, 92, 165, 20}},
        {d.Snooze, {84, 116, 165, 20}},
        {d.RemoveOnExec, {16, 140, 185, 17}},
        {d.OKBtn, {119, 255, 75, 25}},
        {d.CancelBtn, {199, 255, 75, 25}},
    };
    for (const auto& [control, place] : places)
        EXPECT_EQ(control->geometry(), place) << control->metaObject()->className();
    EXPECT_EQ(d.TimePicker->displayFormat().toStdString(), "H:mm");
    EXPECT_EQ(d.ShowMessage->SaveSection(), "AlarmMessages");
}

TEST_F(AlarmEditDialogTest, NewAlarmIsEveryDayAtNowWithoutSnooze) {
    EXPECT_TRUE(OnWeeksTab());
    EXPECT_TRUE(dialog->CheckAllDay->isChecked());
    const std::unique_ptr<Alarm> alarm = dialog->GetAlarmData();
    EXPECT_EQ(alarm->Kind, AlarmKind::Weekly);
    EXPECT_EQ(alarm->Weeks, AllWeekdays);
    EXPECT_EQ(alarm->Date, testing::ExampleDay(0, 0, 0, 0));
    EXPECT_EQ(alarm->Time, At(15, 4)) << "seconds of the moment are dropped";
    EXPECT_EQ(alarm->Snooze, SnoozeInterval::Off);
    EXPECT_EQ(alarm->Message, "");
    EXPECT_EQ(alarm->Command, "");
    EXPECT_FALSE(alarm->RemoveOnExec);
}

TEST_F(AlarmEditDialogTest, EveryDayFollowsTheDayBoxesAndLeadsThem) {
    dialog->CheckMonday->click();
    EXPECT_FALSE(dialog->CheckAllDay->isChecked());
    EXPECT_EQ(TickedDays(), AllWeekdays & ~WeekBit(Weekday::Monday));
    dialog->CheckMonday->click();
    EXPECT_TRUE(dialog->CheckAllDay->isChecked());

    dialog->CheckAllDay->click();
    EXPECT_EQ(TickedDays(), 0);
    dialog->CheckSaturDay->click();
    dialog->CheckAllDay->click();
    EXPECT_EQ(TickedDays(), AllWeekdays) << "ticking every day ticks the days not yet ticked";
    EXPECT_EQ(dialog->CheckAllDay->property("Tag").toInt(), 0) << "the busy flag is cleared";
}

TEST_F(AlarmEditDialogTest, DateTabProposesOneTimeAlarmThatASnoozeUndoes) {
    PickSnooze(Ordinal(SnoozeInterval::TenMinutes));
    dialog->KindTabs->SetTabIndex(Ordinal(AlarmKind::OnDate));
    EXPECT_TRUE(OnDateTab());
    EXPECT_TRUE(dialog->RemoveOnExec->isChecked());
    EXPECT_EQ(dialog->Snooze->currentIndex(), Ordinal(SnoozeInterval::Off));

    PickSnooze(Ordinal(SnoozeInterval::FiveMinutes));
    EXPECT_FALSE(dialog->RemoveOnExec->isChecked());
    EXPECT_EQ(dialog->Snooze->currentIndex(), Ordinal(SnoozeInterval::FiveMinutes));

    dialog->RemoveOnExec->click();
    EXPECT_EQ(dialog->Snooze->currentIndex(), Ordinal(SnoozeInterval::Off));
    dialog->KindTabs->SetTabIndex(Ordinal(AlarmKind::Weekly));
    EXPECT_TRUE(OnWeeksTab());
    EXPECT_FALSE(dialog->RemoveOnExec->isChecked());
}

struct EditCase {
    AlarmKind kind;
    bool removeOnExec;
    SnoozeInterval snooze;
    AlarmKind shownAs;
    SnoozeInterval snoozeShown;
};

class AlarmPropertyEditTest : public AlarmEditDialogTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(AlarmPropertyEditTest, ShowsTheAlarmAndGivesItBack) {
    const EditCase& c = GetParam();
    const WeekdaySet tuesdayAndSaturday = WeekBit(Weekday::Tuesday) | WeekBit(Weekday::Saturday);
    const Alarm stored{c.kind,   *TryEncodeDate(2027, 1, 3), At(6, 45), tuesdayAndSaturday,
                       c.snooze, "会議",                     "/usr/bin/true", c.removeOnExec};
    dialog->SetAlarmData(stored);
    EXPECT_TRUE(c.shownAs == AlarmKind::OnDate ? OnDateTab() : OnWeeksTab());
    EXPECT_EQ(dialog->RemoveOnExec->isChecked(), c.removeOnExec) << "the stored choice is kept";
    EXPECT_FALSE(dialog->CheckAllDay->isChecked());

    const std::unique_ptr<Alarm> back = dialog->GetAlarmData();
    EXPECT_EQ(back->Kind, c.shownAs);
    EXPECT_EQ(back->Date, stored.Date);
    EXPECT_EQ(back->Time, stored.Time);
    EXPECT_EQ(back->Weeks, stored.Weeks);
    EXPECT_EQ(back->Snooze, c.snoozeShown);
    EXPECT_EQ(back->Message, "会議");
    EXPECT_EQ(back->Command, "/usr/bin/true");
    EXPECT_EQ(back->RemoveOnExec, c.removeOnExec);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AlarmPropertyEditTest,
                         ::testing::Values(EditCase{AlarmKind::OnDate, false, SnoozeInterval::TenMinutes,
                                                    AlarmKind::OnDate, SnoozeInterval::TenMinutes},
                                           EditCase{AlarmKind::OnDate, true, SnoozeInterval::TenMinutes,
                                                    AlarmKind::OnDate, SnoozeInterval::Off},
                                           EditCase{AlarmKind::Weekly, false, SnoozeInterval::FifteenMinutes,
                                                    AlarmKind::Weekly, SnoozeInterval::FifteenMinutes},
                                           EditCase{AlarmKind::AtTickCount, false, SnoozeInterval::Off,
                                                    AlarmKind::Weekly, SnoozeInterval::Off}));

TEST_F(AlarmEditDialogTest, PickedTimeIsStoredInWholeMinutes) {
    dialog->TimePicker->setTime(QTime(7, 30, 5, 678));
    EXPECT_EQ(dialog->GetAlarmData()->Time, At(7, 30));
}

TEST_F(AlarmEditDialogTest, MessageHistoryIsRecordedOnOkOnly) {
    for (QPushButton* AlarmEditDialog::*button :
         {&AlarmEditDialog::CancelBtn, &AlarmEditDialog::OKBtn}) {
        dialog = std::make_unique<AlarmEditDialog>(services);
        ModalDriver<AlarmEditDialog> driver([button](AlarmEditDialog& form) {
            form.ShowMessage->setEditText(QStringLiteral("朝会"));
            (form.*button)->click();
        });
        const int result = dialog->exec();
        dialog.reset();
        const bool ok = button == &AlarmEditDialog::OKBtn;
        EXPECT_EQ(result, ok ? ModalOk : ModalCancel);
        EXPECT_EQ(std::filesystem::exists(settingsFile), ok);
    }
    std::ifstream in(settingsFile, std::ios::binary);
    const std::string content(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(content.find("[AlarmMessages]"), std::string::npos) << content;
    EXPECT_NE(content.find("1=朝会"), std::string::npos) << content;

    dialog = std::make_unique<AlarmEditDialog>(services);
    EXPECT_EQ(dialog->ShowMessage->Entries(), std::vector<std::string>{"朝会"});
    EXPECT_EQ(dialog->GetAlarmData()->Message, "") << "a new alarm starts without a message";
}

}  // namespace
}  // namespace kairos
