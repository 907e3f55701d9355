#include "dialogs/PreferencesDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
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
#include "controls/BaseFont.h"
#include "controls/Hint.h"
#include "controls/FileNameEdit.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/FormatTemplates.h"
#include "dialogs/SystemTimeSync.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "nettime/ClockSync.h"
#include "platform/Clock.h"
#include "settings/IniStore.h"
#include "settings/SettingsFile.h"
#include "shell/Help.h"
#include "shell/MessageBoxes.h"

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

PreferencesDialog::SystemSyncQuery& SyncQuery() {
    static PreferencesDialog::SystemSyncQuery query = QuerySystemTimeSync;
    return query;
}

// A family that more than one foundry makes is listed as "C059 [UKWN]" and
// "C059 [urw]"; the clock asks for the family and lets the fonts decide.
QString FamilyOf(const QString& face) {
    const qsizetype foundry = face.lastIndexOf(QStringLiteral(" ["));
    return foundry > 0 && face.endsWith(QLatin1Char(']')) ? face.left(foundry) : face;
}

QStringList FontFamilies() {
    QStringList families;
    for (const QString& face : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(face)) families << FamilyOf(face);
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    return families;
}

}  // namespace

PreferencesDialog::PreferencesDialog(const DialogServices& services, QWidget* owner)
    : QDialog(owner), services_(services) {
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    CreatePages();
    // The hint bar follows the mouse only while the dialog exists.
    QCoreApplication::instance()->installEventFilter(this);
    FillLists();
    // The answer may come after the dialog is shown, or never.
    if (const SystemSyncQuery query = SyncQuery())
        query(this, [this](bool active) { SystemSyncNote->setVisible(active); });
}

void PreferencesDialog::SetSystemSyncQuery(SystemSyncQuery query) {
    SyncQuery() = query ? std::move(query) : SystemSyncQuery(QuerySystemTimeSync);
}

PreferencesDialog::~PreferencesDialog() { QCoreApplication::instance()->removeEventFilter(this); }

void PreferencesDialog::FillLists() {
    PageControl->setCurrentIndex(0);

    DisplayFont->clear();
    // The first entry stands for an empty FontName: the clock's base face,
    // named as the font substitutes resolve it here.
    DisplayFont->addItem(QStringLiteral("既定 (%1)").arg(QFontInfo(BaseFont()).family()), QString());
    for (const QString& family : FontFamilies()) DisplayFont->addItem(family, family);
    DisplayFont->setCurrentIndex(-1);

    const std::string bitmaps = "*.bmp";
    BGImage->Button()->SetFilter("ビットマップ (" + bitmaps + ")|" + bitmaps);
    // These buttons show their group's hint (none for the picture).
    for (FileNameEdit* edit : {BGImage, InformationNotePath, TimeSignalPath}) SetHint(edit->Button(), QString());

    templateMenus_ = {{{DateTemplatesButton, DateTemplates},
                       {TimeTemplatesButton, TimeTemplates},
                       {ToolTipTemplatesButton, ToolTipTemplates}}};

    try {
        ReadSettings();
    } catch (const std::exception& error) {
        // A file that cannot be read at all: the dialog opens with the
        // defaults, and OK writes them.
        ShowApplicationError(error.what());
    }
    for (QComboBox* combo : {DateCombo, TimeCombo, ToolTipCombo}) ShowPreview(combo);
    for (QPushButton* play : {InformationNotePlay, TimeSignalPlay, StandardAlarmPlay}) FollowSoundName(play);
}

void PreferencesDialog::ReadSettings() {
    const std::unique_ptr<IniStore> store = services_.openSettings();
    SettingsReader read(*store);
    // A box that cannot show the file's number shows the nearest it can.
    const auto setNumber = [this, &read](QSpinBox* box, const char* key, int defaultValue) {
        const int value = read.Number(key, defaultValue);
        box->setValue(value);
        if (box->value() != value) unshown_.emplace_back(read.Section(), key);
    };
    read.SetSection(SettingsKey::General);
    SetComboText(DateCombo, read.Template("DateFormat", DefaultDateFormat));
    SetComboText(TimeCombo, read.Template("TimeFormat", DefaultTimeFormat));
    SetComboText(ToolTipCombo, read.Template("ToolTipFormat", ""));
    SetComboText(NTPServer, read.Text("NTPAddress", DefaultNTPAddress));
    Timeset->setChecked(read.Flag("AutoNTP", false));
    setNumber(TimesetIntervalUpDown, "AutoNTPInterval", DefaultAutoNTPInterval);
    setNumber(TransparencyUpDown, "Transparency", DefaultTransparency);
    BackColor->SetSelected(read.Color("BackColor", DefaultBackColor));
    BGImage->SetFileName(read.Path("BGImage", ""));

    read.SetSection(SettingsKey::Font);
    const QString face = QString::fromStdString(read.Text("FontName", ""));
    const int faceIndex = DisplayFont->findData(FamilyOf(face), Qt::UserRole, Qt::MatchFixedString);
    DisplayFont->setCurrentIndex(face.isEmpty() ? 0 : faceIndex);
    // The name stays as the file has it unless the user picks another face:
    // one that is not installed here may be on the machine the file came
    // from, and one with a foundry or in other letter case names the same face.
    if (DisplayFont->currentData().toString() != face) unshown_.emplace_back(SettingsKey::Font, "FontName");
    setNumber(DateSizeUpDown, "DateSize", 2 * font().pointSize());
    setNumber(TimeSizeUpDown, "TimeSize", 2 * font().pointSize());
    DateShadow->setChecked(read.Flag("DateShadow", false));
    TimeShadow->setChecked(read.Flag("TimeShadow", false));
    DateColor->SetSelected(read.Color("DateColor", DefaultTextColor));
    TimeColor->SetSelected(read.Color("TimeColor", DefaultTextColor));

    read.SetSection(SettingsKey::InformationNote);
    InformationShowSound->setChecked(read.Flag("Play", false));
    InformationShowBeep->setChecked(read.Flag("OnBeep", false));
    InformationNotePath->SetFileName(read.Path("Path", ""));

    read.SetSection(SettingsKey::TimeSignal);
    TimeSignalJustTime->setChecked(read.Flag("PlayJustTime", false));
    TimeSignalHalfTime->setChecked(read.Flag("PlayHalfTime", false));
    TimeSignalTimesLoop->setChecked(read.Flag("TimesLoop", false));
    TimeSignalPath->SetFileName(read.Path("Path", ""));

    read.SetSection(SettingsKey::Alarm);
    AlarmToBeep->setChecked(read.Flag("AlarmToBeep", false));
    read.SetSection(SettingsKey::General);
    AlarmNotification->setChecked(read.Flag("AlarmNotification", true));
    read.SetSection(SettingsKey::Alarm);
    StandardAlarmPath->SetFileName(read.Path("Path", ""));

    for (const UnreadSetting& entry : read.Unread()) unshown_.emplace_back(entry.section, entry.key);
    shown_ = CollectValues();
    if (!read.ErrorText().empty())
        ShowApplicationError("次の設定を読めなかったため、既定の値を表示します。変えない限り、ファイルの値はそのまま残ります。\n" +
                             read.ErrorText());
}

PreferenceValues PreferencesDialog::CollectValues() {
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
    values.AlarmNotification = AlarmNotification->isChecked();

    values.FontName = DisplayFont->currentData().toString().toStdString();
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

void PreferencesDialog::ShowApplicationHint() { HelpLabel->setText(ForDisplay(LongHint(applicationHint_))); }

void PreferencesDialog::ShowPreview(QComboBox* sender) {
    const QList<QLabel*> labels = sender->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    if (labels.isEmpty()) return;
    const platform::Clock& clock = services_.clock;
    const std::string text = RenderTemplate(TextOf(sender), clock.Now(), clock, CurrentLocaleFormatSettings());
    labels.last()->setText(ForDisplay(QString::fromStdString(text)));
}

void PreferencesDialog::InsertToken(QAction* sender) {
    QComboBox* combo = TargetCombo(sender->property("Tag").toInt());
    if (combo == nullptr) return;
    std::string caption = sender->text().toStdString();
    const std::string token = SplitToken(caption, ' ');
    // Replaces the selection, or goes in at the caret; the change runs
    // ShowPreview like any edit.
    combo->lineEdit()->insert(QString::fromStdString(token));
}

void PreferencesDialog::ShowTemplateMenu(QPushButton* sender) {
    if (QMenu* menu = TemplateMenuOf(sender)) menu->popup(QCursor::pos());
}

void PreferencesDialog::FollowStatusSound() {
    InformationShowBeep->setEnabled(InformationShowSound->isChecked());
    FollowStatusBeep();
}

void PreferencesDialog::FollowStatusBeep() {
    const bool soundFile = InformationShowSound->isChecked() && !InformationShowBeep->isChecked();
    InformationNotePath->setEnabled(soundFile);
    FollowSoundName(InformationNotePlay);
}

void PreferencesDialog::FollowHourChime() {
    TimeSignalTimesLoop->setEnabled(TimeSignalJustTime->isChecked());
    FollowHalfHourChime();
}

void PreferencesDialog::FollowHalfHourChime() {
    const bool chime = TimeSignalJustTime->isChecked() || TimeSignalHalfTime->isChecked();
    TimeSignalPath->setEnabled(chime);
    FollowSoundName(TimeSignalPlay);
}

void PreferencesDialog::FollowAlarmBeep() {
    const bool soundFile = !AlarmToBeep->isChecked();
    StandardAlarmPath->setEnabled(soundFile);
    FollowSoundName(StandardAlarmPlay);
}

// ♪ plays only a name there is, and only while its edit is enabled.
void PreferencesDialog::FollowSoundName(QPushButton* play) {
    const auto* edit = play->parentWidget()->findChild<FileNameEdit*>(QString(), Qt::FindDirectChildrenOnly);
    play->setEnabled(edit != nullptr && edit->isEnabledTo(edit->parentWidget()) && !edit->FileName().empty());
}

void PreferencesDialog::PlaySample(QPushButton* sender) {
    const auto* edit = sender->parentWidget()->findChild<FileNameEdit*>(QString(), Qt::FindDirectChildrenOnly);
    if (edit != nullptr) services_.media.PlaySoundFile(edit->FileName(), SoundWait::Async);
}

void PreferencesDialog::FollowAutoSync() {
    TimesetInterval->setEnabled(Timeset->isChecked());
    TimesetIntervalUpDown->setEnabled(TimesetInterval->isEnabled());
}

// The server in the box, saved or not. The button waits for the run to end;
// the dialog stays usable meanwhile.
void PreferencesDialog::SyncNow() {
    const QPointer<PreferencesDialog> alive(this);
    const auto report = [alive](const SyncOutcome& outcome) {
        if (!alive) return;
        alive->TimesetNow->setEnabled(true);
        if (outcome.result == SyncResult::Declined) return;
        ShowNotice(SyncReportText(outcome), DialogType::Information, 0);
    };
    TimesetNow->setEnabled(false);
    if (!services_.startSync || !services_.startSync(TextOf(NTPServer), report)) TimesetNow->setEnabled(true);
}

void PreferencesDialog::SaveAndClose() {
    try {
        const PreferenceValues values = CollectValues();
        const std::unique_ptr<IniStore> store = services_.openSettings();
        WritePreferences(*store, values, KeysLeftAlone(shown_, values, unshown_));
        store->SaveToDisk();
    } catch (const std::exception& error) {
        // The clock window still reloads: it then shows what the file holds.
        ShowApplicationError(error.what());
    }
    done(ModalOk);
}

void PreferencesDialog::ShowHelp() {
    OpenHelp(services_.media, HelpDisplayPage + PageControl->currentIndex());
}

void PreferencesDialog::reject() { done(ModalCancel); }

bool PreferencesDialog::eventFilter(QObject* watched, QEvent* event) {
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

void PreferencesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    CentreOnOwner(this);
    KeepInWorkArea(this);
}

QComboBox* PreferencesDialog::TargetCombo(int tag) const {
    switch (tag) {
        case DateTarget: return DateCombo;
        case TimeTarget: return TimeCombo;
        case ToolTipTarget: return ToolTipCombo;
        default: return nullptr;
    }
}

QMenu* PreferencesDialog::TemplateMenuOf(const QPushButton* templatesButton) const {
    for (const auto& [button, menu] : templateMenus_)
        if (button == templatesButton) return menu;
    return nullptr;
}

void PreferencesDialog::SetApplicationHint(const QString& hint) {
    if (hint == applicationHint_) return;
    applicationHint_ = hint;
    ShowApplicationHint();
}

}  // namespace kairos
