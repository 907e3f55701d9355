#include "dialogs/PreferenceDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

#include <memory>
#include <stdexcept>
#include <string>

#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "controls/Hint.h"
#include "controls/ReferEdit.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/FormatTemplates.h"
#include "media/Media.h"
#include "media/stdFiles.h"
#include "nettime/ClockSync.h"
#include "platform/Clock.h"
#include "settings/ExIniFiles.h"
#include "settings/SettingsFile.h"
#include "shell/Help.h"
#include "shell/stdDialogs.h"

namespace kairos {
namespace {

// Stored texts break lines with CR or CR LF; a label breaks them at LF.
QString ForDisplay(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::string TextOf(const QComboBox* combo) { return combo->currentText().toStdString(); }

void SetComboText(QComboBox* combo, const std::string& text) {
    // Only the user's edits run the change handler; the previews are drawn
    // once everything is read.
    const QSignalBlocker quiet(combo);
    combo->setEditText(QString::fromStdString(text));
}

// A number the user is still typing is taken (or corrected) first, so OK
// right after typing saves what the box shows, within its range.
int PositionOf(QSpinBox* box) {
    box->interpretText();
    return box->value();
}

}  // namespace

TKairosPreferenceDialog::TKairosPreferenceDialog(const DialogServices& services, QWidget* owner)
    : QDialog(owner), services_(services) {
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    CreateComponents();
    // The hint bar follows the mouse only while the dialog exists.
    QCoreApplication::instance()->installEventFilter(this);
    FormCreate();
}

TKairosPreferenceDialog::~TKairosPreferenceDialog() { QCoreApplication::instance()->removeEventFilter(this); }

void TKairosPreferenceDialog::FormCreate() {
    PageControl->setCurrentIndex(0);

    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    DisplayFont->clear();
    DisplayFont->addItems(families);
    DisplayFont->setCurrentIndex(-1);

    const std::string bitmaps = "*.bmp";
    BGImage->ReferButton()->SetFilter("ビットマップ (" + bitmaps + ")|" + bitmaps);
    // These buttons show their group's hint (none for the picture).
    for (TReferEdit* edit : {BGImage, InformationNotePath, TimeSignalPath}) SetHint(edit->ReferButton(), QString());

    referMenus_ = {{{DateRefer, DateTemplates}, {TimeRefer, TimeTemplates}, {ToolTipRefer, ToolTipTemplates}}};

    try {
        ReadSettings();
    } catch (const std::exception& error) {
        // The dialog still opens, with what was read before the bad value.
        ShowApplicationError(error.what());
        return;
    }
    for (QComboBox* combo : {DateCombo, TimeCombo, ToolTipCombo}) FormatComboChange(combo);
}

void TKairosPreferenceDialog::ReadSettings() {
    const std::unique_ptr<TMemIniFileEx> store = services_.openSettings();
    TMemIniFileEx& settings = *store;

    settings.Section = SettingsKey::General;
    SetComboText(DateCombo, settings.ReadText("DateFormat", DefaultDateFormat));
    SetComboText(TimeCombo, settings.ReadText("TimeFormat", DefaultTimeFormat));
    SetComboText(ToolTipCombo, settings.ReadText("ToolTipFormat", ""));
    SetComboText(NTPServer, settings.ReadText("NTPAddress", DefaultNTPAddress));
    Timeset->setChecked(settings.ReadFlag("AutoNTP", false));
    TimesetIntervalUpDown->setValue(settings.ReadNumber("AutoNTPInterval", DefaultAutoNTPInterval));
    TransparencyUpDown->setValue(settings.ReadNumber("Transparency", DefaultTransparency));
    BackColor->SetSelected(settings.ReadColor("BackColor", DefaultBackColor));
    BGImage->SetFileName(settings.ReadPath("BGImage", ""));

    settings.Section = SettingsKey::Font;
    const std::string face = settings.ReadText("FontName", font().family().toStdString());
    DisplayFont->setCurrentIndex(DisplayFont->findText(QString::fromStdString(face), Qt::MatchFixedString));
    DateSizeUpDown->setValue(settings.ReadNumber("DateSize", 2 * font().pointSize()));
    TimeSizeUpDown->setValue(settings.ReadNumber("TimeSize", 2 * font().pointSize()));
    DateShadow->setChecked(settings.ReadFlag("DateShadow", false));
    TimeShadow->setChecked(settings.ReadFlag("TimeShadow", false));
    DateColor->SetSelected(settings.ReadColor("DateColor", DefaultTextColor));
    TimeColor->SetSelected(settings.ReadColor("TimeColor", DefaultTextColor));

    settings.Section = SettingsKey::InformationNote;
    InformationShowSound->setChecked(settings.ReadFlag("Play", false));
    InformationShowBeep->setChecked(settings.ReadFlag("OnBeep", false));
    InformationNotePath->SetFileName(settings.ReadPath("Path", ""));

    settings.Section = SettingsKey::TimeSignal;
    TimeSignalJustTime->setChecked(settings.ReadFlag("PlayJustTime", false));
    TimeSignalHalfTime->setChecked(settings.ReadFlag("PlayHalfTime", false));
    TimeSignalTimesLoop->setChecked(settings.ReadFlag("TimesLoop", false));
    TimeSignalPath->SetFileName(settings.ReadPath("Path", ""));

    settings.Section = SettingsKey::Alarm;
    AlarmToBeep->setChecked(settings.ReadFlag("AlarmToBeep", false));
    StandardAlarmPath->SetFileName(settings.ReadPath("Path", ""));
}

PreferenceValues TKairosPreferenceDialog::CollectValues() {
    PreferenceValues values;
    values.DateFormat = TextOf(DateCombo);
    values.TimeFormat = TextOf(TimeCombo);
    values.ToolTipFormat = TextOf(ToolTipCombo);
    values.NTPAddress = TextOf(NTPServer);
    values.Transparency = PositionOf(TransparencyUpDown);
    values.BackColor = BackColor->Selected();
    values.BGImage = BGImage->FileName();
    values.AutoNTP = Timeset->isChecked();
    values.AutoNTPInterval = PositionOf(TimesetIntervalUpDown);

    values.FontName = TextOf(DisplayFont);
    values.DateSize = PositionOf(DateSizeUpDown);
    values.TimeSize = PositionOf(TimeSizeUpDown);
    values.DateShadow = DateShadow->isChecked();
    values.TimeShadow = TimeShadow->isChecked();
    values.DateColor = DateColor->Selected();
    values.TimeColor = TimeColor->Selected();

    values.InformationPlay = InformationShowSound->isChecked();
    values.InformationOnBeep = InformationShowBeep->isChecked();
    values.InformationPath = InformationNotePath->FileName();

    values.PlayJustTime = TimeSignalJustTime->isChecked();
    values.PlayHalfTime = TimeSignalHalfTime->isChecked();
    values.TimesLoop = TimeSignalTimesLoop->isChecked();
    values.TimeSignalPath = TimeSignalPath->FileName();

    values.AlarmToBeep = AlarmToBeep->isChecked();
    values.AlarmPath = StandardAlarmPath->FileName();
    return values;
}

void TKairosPreferenceDialog::ApplicationEventsHint() { HelpLabel->setText(ForDisplay(LongHint(applicationHint_))); }

void TKairosPreferenceDialog::FormatComboChange(QComboBox* sender) {
    const QList<QLabel*> labels = sender->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    if (labels.isEmpty()) return;
    const platform::Clock& clock = services_.clock;
    const std::string text = RenderTemplate(TextOf(sender), clock.Now(), clock, CurrentLocaleFormatSettings());
    labels.last()->setText(ForDisplay(QString::fromStdString(text)));
}

void TKairosPreferenceDialog::InsFormatClick(QAction* sender) {
    QComboBox* combo = TargetCombo(sender->property("Tag").toInt());
    if (combo == nullptr) return;
    std::string caption = sender->text().toStdString();
    const std::string token = SplitToken(caption, ' ');
    // Replaces the selection, or goes in at the caret; the change runs
    // FormatComboChange like any edit.
    combo->lineEdit()->insert(QString::fromStdString(token));
}

void TKairosPreferenceDialog::FormatReferClick(QPushButton* sender) {
    if (QMenu* menu = TemplateMenuOf(sender)) menu->popup(QCursor::pos());
}

void TKairosPreferenceDialog::InformationShowSoundClick() {
    InformationShowBeep->setEnabled(InformationShowSound->isChecked());
    InformationShowBeepClick();
}

void TKairosPreferenceDialog::InformationShowBeepClick() {
    const bool soundFile = InformationShowSound->isChecked() && !InformationShowBeep->isChecked();
    InformationNotePath->setEnabled(soundFile);
    InformationNotePlay->setEnabled(soundFile);
}

void TKairosPreferenceDialog::TimeSignalJustTimeClick() {
    TimeSignalTimesLoop->setEnabled(TimeSignalJustTime->isChecked());
    TimeSignalHalfTimeClick();
}

void TKairosPreferenceDialog::TimeSignalHalfTimeClick() {
    const bool chime = TimeSignalJustTime->isChecked() || TimeSignalHalfTime->isChecked();
    TimeSignalPath->setEnabled(chime);
    TimeSignalPlay->setEnabled(chime);
}

void TKairosPreferenceDialog::AlarmToBeepClick() {
    const bool soundFile = !AlarmToBeep->isChecked();
    StandardAlarmPath->setEnabled(soundFile);
    StandardAlarmPlay->setEnabled(soundFile);
}

void TKairosPreferenceDialog::NotePlayClick(QPushButton* sender) {
    const auto* edit = sender->parentWidget()->findChild<TReferEdit*>(QString(), Qt::FindDirectChildrenOnly);
    if (edit != nullptr) services_.media.PlaySoundFile(edit->FileName(), SoundWait::Async);
}

void TKairosPreferenceDialog::TimesetClick() {
    TimesetInterval->setEnabled(Timeset->isChecked());
    TimesetIntervalUpDown->setEnabled(TimesetInterval->isEnabled());
}

// The server in the box, saved or not. The button waits for the run to end;
// the dialog stays usable meanwhile.
void TKairosPreferenceDialog::TimesetNowClick() {
    const QPointer<TKairosPreferenceDialog> alive(this);
    const auto report = [alive](const SyncOutcome& outcome) {
        if (!alive) return;
        alive->TimesetNow->setEnabled(true);
        if (outcome.result == SyncResult::Declined) return;
        ShowNotice(SyncReportText(outcome), DialogType::Information, 0);
    };
    TimesetNow->setEnabled(false);
    if (!services_.startSync || !services_.startSync(TextOf(NTPServer), report)) TimesetNow->setEnabled(true);
}

void TKairosPreferenceDialog::OKBtnClick() {
    try {
        const PreferenceValues values = CollectValues();
        const std::unique_ptr<TMemIniFileEx> store = services_.openSettings();
        WritePreferences(*store, values);
        store->SaveToDisk();
    } catch (const std::exception& error) {
        // The clock window still reloads: it then shows what the file holds.
        ShowApplicationError(error.what());
    }
    done(mrOk);
}

void TKairosPreferenceDialog::HelpClick() {
    const std::string address = HelpAddress(HelpDisplayPage + PageControl->currentIndex());
    if (!address.empty()) services_.media.ExecuteFile(address, kShowNormally);
}

void TKairosPreferenceDialog::reject() { done(mrCancel); }

bool TKairosPreferenceDialog::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return QDialog::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::ToolTip:
            return true;  // hints go to the hint bar only
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::MouseMove:
            SetApplicationHint(EffectiveHint(widget));
            break;
        case QEvent::Leave:
            // The mouse is now over the enclosing control, or outside the dialog.
            SetApplicationHint(widget == this ? QString() : EffectiveHint(widget->parentWidget()));
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void TKairosPreferenceDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    CentreOnOwner(this);
    KeepInWorkArea(this);
}

QComboBox* TKairosPreferenceDialog::TargetCombo(int tag) const {
    switch (tag) {
        case DateTarget: return DateCombo;
        case TimeTarget: return TimeCombo;
        case ToolTipTarget: return ToolTipCombo;
        default: return nullptr;
    }
}

QMenu* TKairosPreferenceDialog::TemplateMenuOf(const QPushButton* refer) const {
    for (const auto& [button, menu] : referMenus_)
        if (button == refer) return menu;
    return nullptr;
}

void TKairosPreferenceDialog::SetApplicationHint(const QString& hint) {
    if (hint == applicationHint_) return;
    applicationHint_ = hint;
    ApplicationEventsHint();
}

}  // namespace kairos
