#pragma once
// The dialog in which one alarm is composed or changed. It never touches the
// alarm file; its only lasting effect is the history of its message box.

#include <QDialog>

#include <array>
#include <memory>

#include "dialogs/DialogServices.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;

namespace kairos {

class Alarm;
class HistoryComboBox;
class FileNameEdit;
class TabControl;

class AlarmEditDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 297;
    static constexpr int ClientHeight = 289;

    explicit AlarmEditDialog(const DialogServices& services, QWidget* owner = nullptr);
    ~AlarmEditDialog() override;

    // Shows the alarm; the caller keeps it.
    void SetAlarmData(const Alarm& alarm);
    // A new alarm built from the controls, whatever tab is selected.
    std::unique_ptr<Alarm> GetAlarmData() const;

    void StartAtNow();
    void KindTabChanged();
    void FollowDayBoxes();
    void TickEveryDay();
    void DropSnoozeForOneTime();
    void KeepSnoozedAlarm();

    // Esc and the close box end with ModalCancel, as the Cancel button does.
    void reject() override;

    // Sunday first.
    std::array<QCheckBox*, 7> DayBoxes() const;

    QLabel* Label1 = nullptr;
    HistoryComboBox* ShowMessage = nullptr;
    QLabel* Label6 = nullptr;
    FileNameEdit* FilePath = nullptr;
    TabControl* KindTabs = nullptr;
    QLabel* DatePickerLabel = nullptr;
    QDateEdit* DatePicker = nullptr;
    QGroupBox* WeeksGroup = nullptr;
    QCheckBox* CheckSunday = nullptr;
    QCheckBox* CheckMonday = nullptr;
    QCheckBox* CheckTuesDay = nullptr;
    QCheckBox* CheckWednesDay = nullptr;
    QCheckBox* CheckThursDay = nullptr;
    QCheckBox* CheckFriDay = nullptr;
    QCheckBox* CheckSaturDay = nullptr;
    QCheckBox* CheckAllDay = nullptr;
    QLabel* TimePickerLabel = nullptr;
    QTimeEdit* TimePicker = nullptr;
    QLabel* SnoozeLabel = nullptr;
    QComboBox* Snooze = nullptr;
    QCheckBox* RemoveOnExec = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateFileControls(const DialogServices& services);
    void CreateTabControl();
    void CreateWeeksGroup();
    void CreateTimeControls();
    void CreateButtons();
    void ShowTabControls(int tab);

    const platform::Clock& clock_;
};

}  // namespace kairos
