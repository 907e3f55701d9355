#pragma once
// The clock window: a small borderless window with the time line above the
// date line, and the 10 ms tick that drives the whole program.

#include <QKeySequence>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "alarms/SnoozeStops.h"
#include "clocktext/TemplateChange.h"
#include "shell/ClockSyncRunner.h"
#include "shell/SyncSchedule.h"
#include "shell/TickDriver.h"

class QTimer;
class QMenu;
class QAction;

namespace kairos {

namespace platform {
class Clock;
}
class DeadlineTimers;
class ClockPanel;
class ClockLine;
class IniStore;
class SettingsReader;
class AlarmList;
class RepeatedSound;
class TrayIcon;
class Media;
class Notifier;
struct Notice;
struct DialogServices;

enum class StatusSound { Silent, WithSound };
enum class SyncReport { Silent, Report };
enum class TopMostState { Normal, TopMost };

class ClockWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultClientWidth = 174;
    static constexpr int DefaultClientHeight = 58;
    static constexpr int DefaultLeft = 184;
    static constexpr int DefaultTop = 425;
    static constexpr int StatusHoldMs = 5000;
    static constexpr int AlarmPauseMs = 60000;
    static constexpr int SignalPauseMs = 60000;
    // A status text wider than the date line shows its start, moves
    // through to its end, and holds there until the hold is over.
    static constexpr int ScrollStartMs = 1000;
    static constexpr int ScrollGlideMs = 3000;
    static constexpr int ScrollFrameMs = 30;

    using SettingsOpener = std::function<std::unique_ptr<IniStore>()>;

    // What the window works with; tests hand in their own.
    struct Services {
        const platform::Clock& clock;
        DeadlineTimers& timers;
        SettingsOpener openSettings;
        Media& media;
        std::string alarmFile;
        // Sets the computer's clock from a time server; runs off the window thread.
        ClockSyncRunner::Job syncJob;
        TickScheduling scheduling = TickScheduling::Planned;
        // The desktop's notifications; none where there is no service to ask.
        Notifier* notifier = nullptr;
    };

    explicit ClockWindow(Services services);
    ~ClockWindow() override;

    std::string RenderTimeText() const;
    std::string RenderTipText() const;
    std::string RenderDateText() const;

    void ShowStatus(const std::string& text, StatusSound sound);
    // Reads every setting from the store and applies it at once, key by key.
    // A value that cannot be read leaves its own setting at the default; the
    // text for the error box names each one (empty when there is none).
    std::string LoadSettings(IniStore& store);
    void ReloadSettings();
    void ReloadAlarms();
    // Sizes the window to the widest time and date it will show.
    void AdjustWindowSize();
    void CheckAlarms();
    void PlayTimeSignal();
    // With a report, starts a periodic run (one past the step bound fails)
    // unless one is going; the status line tells its end. In every case the
    // next periodic run is scheduled, after the end of the run when there is one.
    void SynchronizeClock(SyncReport report);

    // One tick; the driver calls it whenever something can change, and it
    // plans the next one.
    void Tick();

    // The always-on-top state is the check mark of TopMostAction; showing and
    // hiding honour it.
    void SetTopMostState(TopMostState state);
    TopMostState TopMost() const;
    // Flips the check mark, then enters or leaves the band.
    void ToggleTopMost();

    // The context menu's commands.
    void ShowAlarms();
    void CopyDate();
    void CopyTime();
    void ShowPreferences();
    void ShowDateTimeSettings();
    // The check mark has already been flipped.
    void ApplyTopMostCheck();
    void SyncClockNow();
    void SavePosition();
    void ShowAbout();
    void ShowHelp();
    void Quit();
    // A left click on the notification-area icon: hides or shows the window.
    void ToggleVisibility(QObject* sender, QPoint cursor, bool& handled);

    void setVisible(bool visible) override;

    ClockSyncRunner* SyncRunner = nullptr;
    ClockPanel* Panel = nullptr;
    QMenu* ContextMenu = nullptr;
    QAction* AlarmsAction = nullptr;
    QAction* CopyDateAction = nullptr;
    QAction* CopyTimeAction = nullptr;
    QAction* PreferencesAction = nullptr;
    QAction* DateTimeSettingsAction = nullptr;
    QAction* TopMostAction = nullptr;
    QAction* SyncNowAction = nullptr;
    QAction* SavePositionAction = nullptr;
    QAction* AboutAction = nullptr;
    QAction* HelpAction = nullptr;
    QAction* QuitAction = nullptr;
    TrayIcon* Tray = nullptr;
    ClockLine* TimeLine = nullptr;
    ClockLine* DateLine = nullptr;
    TickDriver* Ticks = nullptr;
    std::unique_ptr<AlarmList> Alarms;
    // The last hour-count chime, kept to ask it to stop when the window goes.
    std::shared_ptr<RepeatedSound> HourChime;

    std::string DateTemplate = "yyyy/mm/dd";
    std::string TimeTemplate = "ampm h:nn:ss";
    std::string TipTemplate;
    std::string NTPAddress;
    AutoSyncMode AutoNTP = AutoSyncMode::Off;
    int AutoNTPInterval = 10;
    SyncSchedule AutoSync;

    // The sounds the tick plays, as the settings give them.
    struct SoundSetting {
        bool Play = false;    // status sound: on or off
        bool OnBeep = false;  // beep instead of the file
        std::string Path;
    };
    SoundSetting InformationNote;
    struct {
        bool PlayJustTime = false;
        bool PlayHalfTime = false;
        bool TimesLoop = false;
        std::string Path;
    } TimeSignal;
    struct {
        bool AlarmToBeep = false;
        std::string Path;
    } AlarmSound;
    // Alarms and missed alarms are also told as desktop notifications.
    bool AlarmNotification = true;

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateLines();
    // The settings, the position and the alarms; what fails is told once the window shows.
    void LoadStartupState();
    void CreateContextMenu();
    void CreateTrayIcon();
    void RunCommand(void (ClockWindow::*handler)());
    QAction* AddMenuItem(const char* caption, QKeySequence shortcut, void (ClockWindow::*handler)());
    void ReadPlacement(IniStore& store);
    void ApplyLineSettings(SettingsReader& read, ClockLine* label, const char* prefix);
    void FireAlarm(std::size_t index);
    void ReportMissedAlarms();
    void Notify(const Notice& notice, std::function<void()> onAction = {});
    void ScrollStatus();
    enum class SyncOrigin { Schedule, Command };
    void SyncEnded(const SyncOutcome& outcome, SyncOrigin origin);
    void StartDrag(QPoint globalPosition);
    void SnapIntoWorkArea();
    // Moves a window the screens do not wholly show to the nearest place they do.
    void KeepOnScreen();
    DialogServices DialogServicesOf() const;
    void RunTickSteps();
    void PlaceClockPanel();
    void ScheduleNextTick();
    TemplateChange TextChanges();
    std::string Render(const std::string& templateText, double moment) const;

    const platform::Clock& clock_;
    DeadlineTimers& timers_;
    SettingsOpener openSettings_;
    Media& media_;
    Notifier* notifier_;
    SnoozeStops snoozeStops_;
    // The tick count at which a status text too wide for the line began to
    // show, until it has moved through to its end.
    std::optional<std::uint32_t> scrollStart_;
    std::string shownTip_;
    // What went wrong while the window was made, for the box once it shows.
    std::string startupErrors_;
    std::uint32_t backColor_ = 0xFF00000F;
    // A drag the window follows itself, where the window manager cannot move it.
    enum class DragMode { None, System, Manual } drag_ = DragMode::None;
    QPoint dragOffset_;
    QTimer* snapTimer_ = nullptr;
    // What each template shows, worked out again only when it changes.
    struct AnalysedTemplate {
        std::string text;
        TemplateChange change;
        bool analysed = false;
    };
    AnalysedTemplate timeChange_, tipChange_, dateChange_;
    // None before the first tick: minutes before the program ran were not missed by it.
    std::optional<Moment> lastTick_;
};

}  // namespace kairos
