#include "dialogs/AlarmEditDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>

#include <algorithm>

#include "controls/BaseFont.h"
#include "alarms/Alarm.h"
#include "controls/Hint.h"
#include "controls/HistoryComboBox.h"
#include "controls/FileNameEdit.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/TabControl.h"
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "shell/MessageBoxes.h"

namespace kairos {
namespace {

constexpr int kWeeksTab = Ordinal(AlarmKind::Weekly);
constexpr int kDateTab = Ordinal(AlarmKind::OnDate);

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QLabel* MakeLabel(QWidget* parent, const char* caption, int x, int y) {
    auto* label = new QLabel(Text(caption), parent);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QDate ToQDate(Moment moment) {
    const DecodedDate date = DecodeDate(moment);
    return date.year == 0 ? QDate() : QDate(date.year, date.month, date.day);
}

Moment FromQDate(QDate date) { return TryEncodeDate(date.year(), date.month(), date.day()).value_or(0); }

QTime ToQTime(Moment moment) {
    const DecodedTime time = DecodeTime(moment);
    return QTime(time.hour, time.minute, time.second, time.millisecond);
}

// The weekday handlers change each other's boxes; the flag on CheckAllDay
// keeps them from answering those changes. Cleared on every way out.
class BusyFlag {
public:
    explicit BusyFlag(QObject* holder) : holder_(holder) { holder_->setProperty("Tag", 1); }
    ~BusyFlag() { holder_->setProperty("Tag", 0); }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

    static bool IsSet(const QObject* holder) { return holder->property("Tag").toInt() == 1; }

private:
    QObject* holder_;
};

}  // namespace

AlarmEditDialog::AlarmEditDialog(const DialogServices& services, QWidget* owner)
    : QDialog(owner), clock_(services.clock) {
    setWindowTitle(Text("アラームのプロパティ"));
    setFont(BaseFont());
    setFixedSize(ClientWidth, ClientHeight);

    // Created in tab order.
    CreateFileControls(services);
    CreateTabControl();
    CreateWeeksGroup();
    CreateTimeControls();
    CreateButtons();
    StartAtNow();
}

AlarmEditDialog::~AlarmEditDialog() = default;

void AlarmEditDialog::CreateFileControls(const DialogServices& services) {
    Label1 = MakeLabel(this, "メッセージ(&M)", 20, 4);
    ShowMessage = new HistoryComboBox(this);
    // No completion from the history while typing.
    ShowMessage->setCompleter(nullptr);
    ShowMessage->setGeometry(40, 20, 245, 20);
    ShowMessage->SetSaveSection("AlarmMessages");
    ShowMessage->SetSelfIniOpener(services.openSettings);
    ShowMessage->SetErrorReporter([](const std::string& message) { ShowApplicationError(message); });
    ShowMessage->LoadHistory();
    Label1->setBuddy(ShowMessage);

    Label6 = MakeLabel(this, "同時に実行するファイル(&F)", 20, 44);
    FilePath = new FileNameEdit(this);
    FilePath->setGeometry(40, 60, 217, 20);
    // The edit moves its button beside it only once it is shown.
    if (QPushButton* browse = FilePath->Button()) {
        browse->setGeometry(258, 60, 23, 20);
        SetHint(browse, Text("ファイルを参照します"));
    }
    Label6->setBuddy(FilePath);
}

void AlarmEditDialog::CreateTabControl() {
    KindTabs = new TabControl(this);
    KindTabs->setGeometry(8, 84, 282, 163);
    KindTabs->AddTab(Text("曜日指定/毎日(&K)"));
    KindTabs->AddTab(Text("日付指定(&S)"));
    connect(KindTabs, &TabControl::Change, this, &AlarmEditDialog::KindTabChanged);

    DatePickerLabel = MakeLabel(KindTabs, "日付(&D)", 16, 32);
    DatePicker = new QDateEdit(KindTabs);
    DatePicker->setCalendarPopup(true);
    DatePicker->setGeometry(84, 28, 165, 20);
    DatePickerLabel->setBuddy(DatePicker);
    DatePickerLabel->hide();
    DatePicker->hide();
}

void AlarmEditDialog::CreateWeeksGroup() {
    WeeksGroup = new QGroupBox(Text("曜日(&W)"), KindTabs);
    WeeksGroup->setGeometry(16, 28, 245, 61);

    struct Place {
        QCheckBox** box;
        int x;
        int y;
    };
    const std::array<Place, 7> places = {{{&CheckSunday, 12, 16},
                                          {&CheckMonday, 48, 16},
                                          {&CheckTuesDay, 84, 16},
                                          {&CheckWednesDay, 120, 16},
                                          {&CheckThursDay, 12, 36},
                                          {&CheckFriDay, 48, 36},
                                          {&CheckSaturDay, 84, 36}}};
    for (std::size_t day = 0; day < places.size(); ++day) {
        const Place& place = places[day];
        *place.box =
            new QCheckBox(QString::fromUtf8(WeekdayLetters[day].data(), WeekdayLetters[day].size()), WeeksGroup);
        (*place.box)->setGeometry(place.x, place.y, 37, 17);
        // toggled, not clicked: a state set by the program is followed too.
        connect(*place.box, &QCheckBox::toggled, this, &AlarmEditDialog::FollowDayBoxes);
    }
    CheckAllDay = new QCheckBox(Text("毎日"), WeeksGroup);
    CheckAllDay->setGeometry(120, 36, 49, 17);
    CheckAllDay->setProperty("Tag", 0);
    connect(CheckAllDay, &QCheckBox::toggled, this, &AlarmEditDialog::TickEveryDay);
}

void AlarmEditDialog::CreateTimeControls() {
    TimePickerLabel = MakeLabel(KindTabs, "時刻(&T)", 16, 96);
    TimePicker = new QTimeEdit(KindTabs);
    TimePicker->setDisplayFormat(QStringLiteral("H:mm"));
    TimePicker->setGeometry(84, 92, 165, 20);
    TimePickerLabel->setBuddy(TimePicker);

    SnoozeLabel = MakeLabel(KindTabs, "スヌーズ(&N)", 16, 120);
    Snooze = new QComboBox(KindTabs);
    for (const char* item : {"スヌーズなし", "5分ごと(20分後まで)", "10分ごと(40分後まで)", "15分ごと(1時間後まで)"})
        Snooze->addItem(Text(item));
    Snooze->setGeometry(84, 116, 165, 20);
    Snooze->setCurrentIndex(Ordinal(SnoozeInterval::Off));
    SnoozeLabel->setBuddy(Snooze);
    // Only the user's pick; an item set by the program leaves the flag alone.
    connect(Snooze, &QComboBox::activated, this, &AlarmEditDialog::KeepSnoozedAlarm);

    RemoveOnExec = new QCheckBox(Text("一回実行したら自動削除(&R)"), KindTabs);
    RemoveOnExec->setGeometry(16, 140, 185, 17);
    connect(RemoveOnExec, &QCheckBox::toggled, this, &AlarmEditDialog::DropSnoozeForOneTime);
}

void AlarmEditDialog::CreateButtons() {
    OKBtn = new QPushButton(Text("OK"), this);
    OKBtn->setGeometry(119, 255, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(ModalOk); });
    CancelBtn = new QPushButton(Text("キャンセル"), this);
    CancelBtn->setGeometry(199, 255, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &AlarmEditDialog::reject);
}

void AlarmEditDialog::reject() { done(ModalCancel); }

std::array<QCheckBox*, 7> AlarmEditDialog::DayBoxes() const {
    return {CheckSunday, CheckMonday, CheckTuesDay, CheckWednesDay, CheckThursDay, CheckFriDay, CheckSaturDay};
}

void AlarmEditDialog::StartAtNow() {
    const Moment now = clock_.Now();
    DatePicker->setDate(ToQDate(now));
    TimePicker->setTime(ToQTime(now));
    CheckAllDay->setChecked(true);
}

void AlarmEditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnOwner(this);
    KeepOnScreen(this);
}

void AlarmEditDialog::ShowTabControls(int tab) {
    WeeksGroup->setVisible(tab == kWeeksTab);
    DatePickerLabel->setVisible(tab == kDateTab);
    DatePicker->setVisible(tab == kDateTab);
}

void AlarmEditDialog::KindTabChanged() {
    const int tab = KindTabs->TabIndex();
    ShowTabControls(tab);
    {
        // DropSnoozeForOneTime runs once below, changed or not.
        const QSignalBlocker blocker(RemoveOnExec);
        RemoveOnExec->setChecked(tab == kDateTab);
    }
    DropSnoozeForOneTime();
}

void AlarmEditDialog::FollowDayBoxes() {
    if (BusyFlag::IsSet(CheckAllDay)) return;
    const BusyFlag busy(CheckAllDay);
    const auto boxes = DayBoxes();
    CheckAllDay->setChecked(std::all_of(boxes.begin(), boxes.end(), [](QCheckBox* box) { return box->isChecked(); }));
}

void AlarmEditDialog::TickEveryDay() {
    if (BusyFlag::IsSet(CheckAllDay)) return;
    const BusyFlag busy(CheckAllDay);
    for (QCheckBox* box : DayBoxes()) box->setChecked(CheckAllDay->isChecked());
}

void AlarmEditDialog::DropSnoozeForOneTime() {
    if (RemoveOnExec->isChecked()) Snooze->setCurrentIndex(Ordinal(SnoozeInterval::Off));
}

void AlarmEditDialog::KeepSnoozedAlarm() {
    if (Snooze->currentIndex() != Ordinal(SnoozeInterval::Off)) RemoveOnExec->setChecked(false);
}

void AlarmEditDialog::SetAlarmData(const Alarm& alarm) {
    // A kind without a tab leaves the selected one; the one-time choice the
    // user's tab change proposes is not made here.
    if (Ordinal(alarm.Kind) < KindTabs->TabCount()) KindTabs->SetTabIndex(Ordinal(alarm.Kind), TabChangeNotice::Silent);
    ShowTabControls(KindTabs->TabIndex());

    if (const QDate date = ToQDate(alarm.Date); date.isValid()) DatePicker->setDate(date);
    TimePicker->setTime(ToQTime(alarm.Time));

    const auto boxes = DayBoxes();
    for (std::size_t day = 0; day < boxes.size(); ++day)
        boxes[day]->setChecked(Contains(alarm.Weeks, static_cast<Weekday>(day)));

    Snooze->setCurrentIndex(Ordinal(alarm.Snooze));
    ShowMessage->setEditText(QString::fromStdString(alarm.Message));
    FilePath->SetFileName(alarm.Command);
    RemoveOnExec->setChecked(alarm.RemoveOnExec);
}

std::unique_ptr<Alarm> AlarmEditDialog::GetAlarmData() const {
    auto alarm = std::make_unique<Alarm>();
    alarm->Kind = static_cast<AlarmKind>(std::max(KindTabs->TabIndex(), 0));
    alarm->Date = FromQDate(DatePicker->date());
    const QTime time = TimePicker->time();
    alarm->Time = TryEncodeTime(time.hour(), time.minute(), 0, 0).value_or(0);
    const auto boxes = DayBoxes();
    for (std::size_t day = 0; day < boxes.size(); ++day)
        if (boxes[day]->isChecked()) alarm->Weeks |= WeekBit(static_cast<Weekday>(day));
    alarm->Snooze = static_cast<SnoozeInterval>(std::max(Snooze->currentIndex(), 0));
    alarm->Message = ShowMessage->currentText().toStdString();
    alarm->Command = FilePath->FileName();
    alarm->RemoveOnExec = RemoveOnExec->isChecked();
    return alarm;
}

}  // namespace kairos
