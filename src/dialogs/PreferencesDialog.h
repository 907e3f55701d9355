#pragma once
// The preferences: four pages that edit the settings file, read when the
// dialog is made and written back by OK. Besides editing it previews the
// three text templates, inserts format tokens from menus, plays the sound
// files, sets the clock at once and explains the control under the mouse in
// its hint bar.

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogs/DialogServices.h"
#include "settings/SettingsFile.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace kairos {

namespace platform {
struct SoundFileType;
}
class ColorComboBox;
class FileNameEdit;
struct PreferenceValues;

// The browse filter of the sound edits: every type the decoder reads at
// once, then each type that adds an extension, then every file.
std::string SoundFileFilter(const std::vector<platform::SoundFileType>& types);

class PreferencesDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 313;
    static constexpr int ClientHeight = 399;

    // Asks whether the system's own time service keeps the clock and answers
    // later, or never (SystemTimeSync.h).
    using SystemSyncQuery = std::function<void(QObject* context, std::function<void(bool active)> answer)>;

    explicit PreferencesDialog(const DialogServices& services, QWidget* owner = nullptr);
    ~PreferencesDialog() override;

    // The question every dialog asks; tests put their own in, an empty one
    // brings timedated back.
    static void SetSystemSyncQuery(SystemSyncQuery query);

    // The hint of the control under the mouse, as the hint bar follows it.
    const QString& ApplicationHint() const { return applicationHint_; }

    // Handlers.
    void FillLists();
    void ShowApplicationHint();
    void ShowPreview(QComboBox* sender);
    void InsertToken(QAction* sender);
    void ShowTemplateMenu(QPushButton* sender);
    void FollowStatusSound();
    void FollowStatusBeep();
    void FollowHourChime();
    void FollowHalfHourChime();
    void FollowAlarmBeep();
    void FollowSoundName(QPushButton* play);
    void PlaySample(QPushButton* sender);
    void FollowAutoSync();
    void SyncNow();
    void SaveAndClose();
    void ShowHelp();

    // Closing the window or Escape ends with ModalCancel, as the Cancel button does.
    void reject() override;

    QTabWidget* PageControl = nullptr;
    QLabel* HelpLabel = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* Help = nullptr;

    // A number box and its up-down buttons are one spin box here; both
    // names lead to it.
    QWidget* DisplaySetting = nullptr;
    QComboBox* DisplayFont = nullptr;
    QSpinBox* TimeSize = nullptr;
    QSpinBox* TimeSizeUpDown = nullptr;
    QSpinBox* DateSize = nullptr;
    QSpinBox* DateSizeUpDown = nullptr;
    ColorComboBox* TimeColor = nullptr;
    QCheckBox* TimeShadow = nullptr;
    ColorComboBox* DateColor = nullptr;
    QCheckBox* DateShadow = nullptr;
    ColorComboBox* BackColor = nullptr;
    FileNameEdit* BGImage = nullptr;
    QSpinBox* Transparency = nullptr;
    QSpinBox* TransparencyUpDown = nullptr;
    QLabel* DisplayFontLabel = nullptr;
    QLabel* TimeSizeLabel = nullptr;
    QLabel* DateSizeLabel = nullptr;
    QLabel* TimeColorLabel = nullptr;
    QLabel* DateColorLabel = nullptr;
    QLabel* BackColorLabel = nullptr;
    QLabel* BGImageLabel = nullptr;
    QLabel* TransparencyLabel = nullptr;

    QWidget* FormatSetting = nullptr;
    QGroupBox* DateFormat = nullptr;
    QComboBox* DateCombo = nullptr;
    QPushButton* DateTemplatesButton = nullptr;
    QLabel* DatePreview = nullptr;
    QGroupBox* TimeFormat = nullptr;
    QComboBox* TimeCombo = nullptr;
    QPushButton* TimeTemplatesButton = nullptr;
    QLabel* TimePreview = nullptr;
    QGroupBox* ToolTipFormat = nullptr;
    QComboBox* ToolTipCombo = nullptr;
    QPushButton* ToolTipTemplatesButton = nullptr;
    QLabel* ToolTipPreview = nullptr;
    QMenu* DateTemplates = nullptr;
    QMenu* TimeTemplates = nullptr;
    QMenu* ToolTipTemplates = nullptr;

    QWidget* AlarmSetting = nullptr;
    QGroupBox* InformationNote = nullptr;
    QCheckBox* InformationShowSound = nullptr;
    QCheckBox* InformationShowBeep = nullptr;
    FileNameEdit* InformationNotePath = nullptr;
    QPushButton* InformationNotePlay = nullptr;
    QGroupBox* TimeSignals = nullptr;
    QCheckBox* TimeSignalJustTime = nullptr;
    QCheckBox* TimeSignalHalfTime = nullptr;
    QCheckBox* TimeSignalTimesLoop = nullptr;
    FileNameEdit* TimeSignalPath = nullptr;
    QPushButton* TimeSignalPlay = nullptr;
    QGroupBox* StandardAlarm = nullptr;
    QCheckBox* AlarmToBeep = nullptr;
    QCheckBox* AlarmNotification = nullptr;
    FileNameEdit* StandardAlarmPath = nullptr;
    QPushButton* StandardAlarmPlay = nullptr;

    QWidget* NTPTimeSetting = nullptr;
    QComboBox* NTPServer = nullptr;
    QLabel* NTPServerLabel = nullptr;
    QCheckBox* Timeset = nullptr;
    QSpinBox* TimesetInterval = nullptr;
    QSpinBox* TimesetIntervalUpDown = nullptr;
    QLabel* TimesetIntervalLabel = nullptr;
    QPushButton* TimesetNow = nullptr;
    // "システムの時刻同期が有効です", shown while the system keeps the clock itself.
    QLabel* SystemSyncNote = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Building, in PreferencePages.cpp.
    void CreatePages();
    void CreateDisplayPage();
    void CreateFormatPage();
    QGroupBox* CreateFormatGroup(const char* caption, QComboBox*& combo, QPushButton*& templatesButton,
                                 QLabel*& preview);
    void CreateAlarmPage();
    QPushButton* CreatePlayButton(QWidget* group);
    FileNameEdit* CreateSoundEdit(QWidget* group);
    void CreateTimeSetPage();
    void CreateButtons();
    void CreateTemplateMenus();
    void AddTemplateItems(QMenu* menu, const std::string_view* items, std::size_t count, int tag);
    void SetHints();

    void ReadSettings();
    PreferenceValues CollectValues();
    QComboBox* TargetCombo(int tag) const;
    QMenu* TemplateMenuOf(const QPushButton* templatesButton) const;
    void SetApplicationHint(const QString& hint);

    DialogServices services_;
    // The values as the controls showed them after loading, and the keys
    // whose file values they could not show: OK leaves those alone unless
    // the user changed them.
    PreferenceValues shown_;
    KeptKeys unshown_;
    QString applicationHint_;
    // The menu each "..." button pops up.
    std::array<std::pair<const QPushButton*, QMenu*>, 3> templateMenus_{};
};

}  // namespace kairos
