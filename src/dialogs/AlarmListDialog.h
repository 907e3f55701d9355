#pragma once
// The dialog that lists all alarms and adds, edits and removes them. It works
// on its own copy of the alarms: OK writes the copy to the alarm file, after
// which the clock window reloads its own list; Cancel throws it away.

#include <QDialog>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "dialogs/DialogServices.h"

class QGroupBox;
class QListView;
class QPushButton;

namespace kairos {

class AlarmList;
class VirtualListModel;

class AlarmListDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 313;
    static constexpr int ClientHeight = 306;
    static constexpr int LineHeight = 12;

    explicit AlarmListDialog(const DialogServices& services, QWidget* owner = nullptr);
    ~AlarmListDialog() override;

    const AlarmList& Alarms() const { return *alarms_; }
    std::optional<std::size_t> SelectedIndex() const;

    void LoadAlarms();
    std::string AlarmListData(int index) const;
    void FollowSelection();
    // The button's Tag tells the case: 1 edits the selected alarm, 0 adds one.
    void EditOrAddAlarm(const QPushButton* sender);
    void RemoveAlarm();
    void SaveAndClose();
    void ShowHelp();

    // Esc and the close box end with ModalCancel, as the Cancel button does.
    void reject() override;

    QListView* AlarmView = nullptr;
    QGroupBox* Bevel = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* EditButton = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Help = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateAlarmList();
    void CreateButtons();
    // Sets the number of lines; the selected line stays selected while it exists.
    void SetLineCount(std::size_t count);

    DialogServices services_;
    std::unique_ptr<AlarmList> alarms_;
    VirtualListModel* model_ = nullptr;
};

}  // namespace kairos
