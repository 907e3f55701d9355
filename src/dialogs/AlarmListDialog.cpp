#include "dialogs/AlarmListDialog.h"

#include <QGroupBox>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QShortcut>

#include <exception>

#include "controls/BaseFont.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "dialogs/AlarmEditDialog.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/VirtualListModel.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "shell/Help.h"
#include "shell/MessageBoxes.h"

namespace kairos {
namespace {

constexpr int kAddTag = 0;
constexpr int kEditTag = 1;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QPushButton* MakeButton(QWidget* parent, const char* caption, QRect place) {
    auto* button = new QPushButton(Text(caption), parent);
    button->setGeometry(place);
    return button;
}

}  // namespace

AlarmListDialog::AlarmListDialog(const DialogServices& services, QWidget* owner)
    : QDialog(owner), services_(services) {
    setWindowTitle(Text("アラーム"));
    setFont(BaseFont());
    // Fixed size: the anchors of the list and the button group never act.
    setFixedSize(ClientWidth, ClientHeight);
    CreateAlarmList();
    CreateButtons();
    LoadAlarms();
}

AlarmListDialog::~AlarmListDialog() = default;

void AlarmListDialog::CreateAlarmList() {
    AlarmView = new QListView(this);
    AlarmView->setGeometry(8, 8, 197, 256);
    AlarmView->setSelectionMode(QAbstractItemView::SingleSelection);
    AlarmView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AlarmView->setUniformItemSizes(true);
    model_ = new VirtualListModel([this](int index) { return AlarmListData(index); }, LineHeight, this);
    AlarmView->setModel(model_);
    connect(AlarmView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AlarmListDialog::FollowSelection);
}

void AlarmListDialog::CreateButtons() {
    Bevel = new QGroupBox(this);
    Bevel->setGeometry(212, 8, 91, 260);
    AddButton = MakeButton(Bevel, "追加", QRect(8, 28, 75, 25));
    AddButton->setProperty("Tag", kAddTag);
    RemoveButton = MakeButton(Bevel, "削除", QRect(8, 64, 75, 25));
    RemoveButton->setEnabled(false);
    EditButton = MakeButton(Bevel, "編集", QRect(8, 100, 75, 25));
    EditButton->setProperty("Tag", kEditTag);
    EditButton->setEnabled(false);
    for (QPushButton* button : {AddButton, EditButton})
        connect(button, &QPushButton::clicked, this, [this, button] { EditOrAddAlarm(button); });
    connect(RemoveButton, &QPushButton::clicked, this, &AlarmListDialog::RemoveAlarm);

    OK = MakeButton(this, "OK", QRect(62, 273, 75, 25));
    OK->setDefault(true);
    connect(OK, &QPushButton::clicked, this, &AlarmListDialog::SaveAndClose);
    Cancel = MakeButton(this, "キャンセル", QRect(144, 273, 75, 25));
    connect(Cancel, &QPushButton::clicked, this, &AlarmListDialog::reject);
    Help = MakeButton(this, "ヘルプ(&H)", QRect(226, 273, 75, 25));
    connect(Help, &QPushButton::clicked, this, &AlarmListDialog::ShowHelp);
    // The dialog's help topic, as its Help button opens it.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, &AlarmListDialog::ShowHelp);
}

void AlarmListDialog::LoadAlarms() {
    alarms_ = std::make_unique<AlarmList>(services_.alarmFile, services_.clock);
    try {
        alarms_->LoadFromFile();
    } catch (const std::exception& error) {
        // The dialog opens with the alarms read before the error; the list
        // keeps a backup of the file when it is saved over.
        ShowApplicationError(error.what());
    }
    SetLineCount(alarms_->Count());
}

void AlarmListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnOwner(this);
    KeepOnScreen(this);
}

std::string AlarmListDialog::AlarmListData(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= alarms_->Count()) return {};
    return (*alarms_)[static_cast<std::size_t>(index)].DisplayText();
}

std::optional<std::size_t> AlarmListDialog::SelectedIndex() const {
    const QModelIndexList selected = AlarmView->selectionModel()->selectedRows();
    if (selected.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(selected.first().row());
}

void AlarmListDialog::FollowSelection() {
    RemoveButton->setEnabled(SelectedIndex().has_value());
    EditButton->setEnabled(RemoveButton->isEnabled());
}

void AlarmListDialog::SetLineCount(std::size_t count) {
    const std::optional<std::size_t> selected = SelectedIndex();
    model_->SetCount(static_cast<int>(count));
    if (selected && *selected < count)
        AlarmView->selectionModel()->setCurrentIndex(model_->index(static_cast<int>(*selected)),
                                                     QItemSelectionModel::ClearAndSelect);
}

void AlarmListDialog::EditOrAddAlarm(const QPushButton* sender) {
    const bool editing = sender->property("Tag").toInt() == kEditTag;
    const std::optional<std::size_t> selected = SelectedIndex();
    if (editing && !selected) return;

    ShowModalDialog(
        std::make_unique<AlarmEditDialog>(services_, this), 0,
        [&](AlarmEditDialog& form) {
            if (editing) {
                alarms_->Replace(*selected, form.GetAlarmData());
            } else {
                alarms_->Add(form.GetAlarmData());
                SetLineCount(alarms_->Count());
            }
            model_->Redraw();
        },
        [&](AlarmEditDialog& form) {
            if (editing) form.SetAlarmData((*alarms_)[*selected]);
        });
}

void AlarmListDialog::RemoveAlarm() {
    const std::optional<std::size_t> selected = SelectedIndex();
    if (!selected || !AskYesNo("削除しますか？", DialogType::Confirmation, 0)) return;
    alarms_->Delete(*selected);
    SetLineCount(alarms_->Count());
    FollowSelection();
}

void AlarmListDialog::SaveAndClose() {
    // The result stands before the write: after a failed write the dialog
    // still ends with OK and the clock window reloads what the file holds.
    setResult(ModalOk);
    try {
        alarms_->SaveToFile();
    } catch (const std::exception& error) {
        ShowApplicationError(error.what());
    }
    done(ModalOk);
}

void AlarmListDialog::reject() { done(ModalCancel); }

void AlarmListDialog::ShowHelp() {
    OpenHelp(services_.media, HelpAlarmList);
}

}  // namespace kairos
