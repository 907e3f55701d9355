#include "shell/ClockWindow.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <utility>

#include "controls/BaseFont.h"
#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "clocktext/TemplateChange.h"
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "platform/Utf8.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "alarms/AlarmNotice.h"
#include "alarms/MissedAlarms.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "settings/IniStore.h"
#include "settings/SettingsFile.h"
#include "shell/Colors.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/DateTimeSettings.h"
#include "shell/Help.h"
#include "shell/ScreenWatch.h"
#ifndef Q_OS_WIN
#include "shell/SkipTaskbarHints.h"
#endif
#include "shell/TrayIcon.h"
#include "shell/WidestDigits.h"
#include "shell/FrameColors.h"
#include "shell/SnapToWorkArea.h"
#include "shell/DeadlineTimers.h"
#include "shell/MessageBoxes.h"
#include "shell/Notifier.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/AlarmListDialog.h"
#include "dialogs/DialogServices.h"
#include "dialogs/PreferencesDialog.h"

namespace kairos {
namespace {

constexpr int kFrameWidth = 2;
constexpr int kShadowOffset = 2;
constexpr int kSnapSettleMs = 200;
// Point sizes a hand-edited file may ask for; beyond them Qt refuses the font.
constexpr int kMinPointSize = 1;
constexpr int kMaxPointSize = 400;

Moment StartOfDay(Moment moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? static_cast<Moment>(parts.day) : 0.0;
}

// Qt's own Wayland client: the compositor alone places and stacks windows,
// and a window has no opacity (Qt warns at each change of it).
bool NativeWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

Moment LastMillisecondOf(Moment day) { return ComposeDateTime(day, *TryEncodeTime(23, 59, 59, 999)); }

// Template line breaks are CR LF; a tooltip breaks on a lone '\n'.
QString ToTipText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Width of the widest line and height of all lines, as the label draws them,
// for whichever digits the sample's places come to hold.
QSize MeasureText(const ClockLine& label, const std::string& text) {
    return label.TextExtent(WithWidestDigits(QString::fromStdString(text), label.fontMetrics()));
}

}  // namespace

ClockWindow::ClockWindow(Services services)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      Alarms(std::make_unique<AlarmList>(services.alarmFile, services.clock)),
      clock_(services.clock),
      timers_(services.timers),
      openSettings_(std::move(services.openSettings)),
      media_(services.media),
      notifier_(services.notifier) {
    setWindowTitle(QStringLiteral("Kairos"));
    setFont(BaseFont());
    // A tool window is seldom the active one; its tip shows all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
#ifndef Q_OS_WIN
    // Windows keeps a tool window out of the task bar by itself.
    new SkipTaskbarHints(this);
#endif
    resize(DefaultClientWidth, DefaultClientHeight);
    move(DefaultLeft, DefaultTop);

    SyncRunner = new ClockSyncRunner(std::move(services.syncJob), this);
    Ticks = new TickDriver([this] { Tick(); }, services.scheduling, this);
    // A hold or a pause that ends may uncover a line or an examination.
    timers_.SetExpiryListener([this] { Ticks->TickSoon(); });
    snapTimer_ = new QTimer(this);
    snapTimer_->setSingleShot(true);
    snapTimer_->setInterval(kSnapSettleMs);
    connect(snapTimer_, &QTimer::timeout, this, &ClockWindow::SnapIntoWorkArea);
    connect(new ScreenWatch(this), &ScreenWatch::Changed, this, &ClockWindow::KeepOnScreen);

    CreateContextMenu();
    CreateTrayIcon();
    CreateLines();
    LoadStartupState();
    ScheduleNextTick();
    // Only once the window is shown and ticking: the box must not stop the
    // clock before it has started.
    if (!startupErrors_.empty())
        QTimer::singleShot(0, this, [this] { ShowApplicationError(std::exchange(startupErrors_, {})); });
}

ClockWindow::~ClockWindow() {
    timers_.SetExpiryListener({});
    Ticks->Stop();
    // No further chime starts; the one sounding may be cut off with the program.
    if (HourChime) HourChime->Terminate();
}

void ClockWindow::CreateLines() {
    Panel = new ClockPanel(this);
    TimeLine = new ClockLine(Panel);
    DateLine = new ClockLine(Panel);

    auto* lines = new QVBoxLayout(Panel);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addWidget(TimeLine, 1);
    lines->addWidget(DateLine, 0);
    PlaceClockPanel();

    for (ClockLine* label : {TimeLine, DateLine}) {
        label->setAlignment(Qt::AlignCenter);
        label->Shadow().SetX(kShadowOffset);
        label->Shadow().SetY(kShadowOffset);
        label->installEventFilter(this);
        connect(label, &ClockLine::DragStarted, this, &ClockWindow::StartDrag);
    }
}

void ClockWindow::LoadStartupState() {
    // Each part that fails costs only itself: an unreadable setting keeps
    // its default, and the position and the alarms are read all the same.
    const auto note = [this](const std::string& error) {
        if (error.empty()) return;
        startupErrors_.append(startupErrors_.empty() ? "" : "\n\n").append(error);
    };
    try {
        // The store is freed on every way out, the error included.
        const std::unique_ptr<IniStore> store = openSettings_();
        note(LoadSettings(*store));
        ReadPlacement(*store);
    } catch (const std::exception& error) {
        note(error.what());
    }
    try {
        ReloadAlarms();
    } catch (const std::exception& error) {
        // The alarms read before the error are kept.
        note(error.what());
    }
}

void ClockWindow::ReadPlacement(IniStore& store) {
    store.Section = SettingsKey::General;
    const Point point = store.ReadPoint("Point", Point{x(), y()});
    move(point.x, point.y);
    KeepOnScreen();
    if (store.ReadFlag("TopMostMode", false)) ToggleTopMost();
}

void ClockWindow::ReloadAlarms() { Alarms->LoadFromFile(); }

std::string ClockWindow::LoadSettings(IniStore& store) {
    SettingsReader read(store);
    read.SetSection(SettingsKey::General);
    DateTemplate = read.Template("DateFormat", DefaultDateFormat);
    TimeTemplate = read.Template("TimeFormat", DefaultTimeFormat);
    TipTemplate = read.Template("ToolTipFormat", "");
    NTPAddress = read.Text("NTPAddress", DefaultNTPAddress);

    // One byte: 300 acts as 44, and only 255 is opaque. On Wayland the clock
    // stays opaque.
    const int opacity = read.Number("Transparency", DefaultTransparency) & 0xFF;
    if (!NativeWayland()) setWindowOpacity(opacity / 255.0);

    backColor_ = read.Color("BackColor", DefaultBackColor);
    update();
    Panel->LoadPicture(read.Path("BGImage", ""));

    AutoNTP = read.Flag("AutoNTP", false) ? AutoSyncMode::On : AutoSyncMode::Off;
    AutoNTPInterval = read.Number("AutoNTPInterval", DefaultAutoNTPInterval);
    AlarmNotification = read.Flag("AlarmNotification", true);
    SynchronizeClock(SyncReport::Silent);

    read.SetSection(SettingsKey::Font);
    // An empty name is the base face: a face chosen before and taken back
    // again must not linger until the next start.
    const std::string face = read.Text("FontName", "");
    QFont base = font();
    base.setFamily(face.empty() ? BaseFont().family()
                                : QString::fromStdString(face.substr(0, Utf8CutPoint(face, MaxFontNameBytes))));
    setFont(base);
    ApplyLineSettings(read, DateLine, "Date");
    ApplyLineSettings(read, TimeLine, "Time");

    read.SetSection(SettingsKey::InformationNote);
    InformationNote.Play = read.Flag("Play", false);
    InformationNote.OnBeep = read.Flag("OnBeep", false);
    InformationNote.Path = read.Path("Path", "");

    read.SetSection(SettingsKey::TimeSignal);
    TimeSignal.PlayJustTime = read.Flag("PlayJustTime", false);
    TimeSignal.PlayHalfTime = read.Flag("PlayHalfTime", false);
    TimeSignal.TimesLoop = read.Flag("TimesLoop", false);
    TimeSignal.Path = read.Path("Path", "");

    read.SetSection(SettingsKey::Alarm);
    AlarmSound.AlarmToBeep = read.Flag("AlarmToBeep", false);
    AlarmSound.Path = read.Path("Path", "");

    AdjustWindowSize();
    if (read.ErrorText().empty()) return {};
    return "次の設定を読めなかったため、既定の値を使います。\n" + read.ErrorText();
}

// Size, colour and shadow of one line, from the keys that start with prefix.
void ClockWindow::ApplyLineSettings(SettingsReader& read, ClockLine* label, const char* prefix) {
    const std::string key(prefix);
    QFont lineFont = font();
    const int points = read.Number(key + "Size", 2 * font().pointSize());
    lineFont.setPointSize(std::clamp(points, kMinPointSize, kMaxPointSize));
    label->setFont(lineFont);
    label->SetFontColor(read.Color(key + "Color", DefaultTextColor));
    label->Shadow().SetEnabled(read.Flag(key + "Shadow", false) ? PassState::Enabled : PassState::Disabled);
    label->Shadow().SetColor(ResolveColor(read.Color(key + "ShadowColor", DefaultShadowColor), palette()));
}

void ClockWindow::ReloadSettings() {
    const std::unique_ptr<IniStore> store = openSettings_();
    const std::string errors = LoadSettings(*store);
    // New templates may show finer units than the tick now planned for.
    ScheduleNextTick();
    if (!errors.empty()) ShowApplicationError(errors);
}

void ClockWindow::AdjustWindowSize() {
    const Moment today = StartOfDay(clock_.Now());
    const QSize time = MeasureText(*TimeLine, Render(TimeTemplate, LastMillisecondOf(today)));

    const DecodedDate date = DecodeDate(today);
    const Moment yearEnd = TryEncodeDate(date.year, 12, 31).value_or(today);
    const QSize dateSize = MeasureText(*DateLine, Render(DateTemplate, LastMillisecondOf(yearEnd)));

    // The date line's own height follows its text from here on (one line of
    // its font), and the time line takes the rest. Both lines lie inside the
    // frame, so the frame is added to the width: a text as wide as the
    // window would lose a frame's width on either side.
    resize(std::max(dateSize.width(), time.width()) + 2 * kFrameWidth, dateSize.height() + time.height() + 6);
    KeepOnScreen();
}

std::string ClockWindow::Render(const std::string& templateText, double moment) const {
    return RenderTemplate(templateText, moment, clock_, CurrentLocaleFormatSettings());
}

std::string ClockWindow::RenderTimeText() const { return Render(TimeTemplate, clock_.Now()); }

std::string ClockWindow::RenderTipText() const { return Render(TipTemplate, clock_.Now()); }

// The date line shows the start of today: time tokens in its template read 00:00:00.
std::string ClockWindow::RenderDateText() const { return Render(DateTemplate, StartOfDay(clock_.Now())); }

void ClockWindow::ShowStatus(const std::string& text, StatusSound sound) {
    DateLine->SetText(text);
    scrollStart_ = DateLine->Overflows() ? std::optional(clock_.TickCount()) : std::nullopt;
    if (sound == StatusSound::WithSound && InformationNote.Play) {
        if (InformationNote.OnBeep) media_.Beep(900, 300);
        else media_.PlaySoundFile(InformationNote.Path, SoundWait::Async);
    }
    // Each message starts its own hold, so the line stays until 5000 ms
    // after the latest one.
    timers_.StartTimer(StatusHoldMs, StatusKey);
}

void ClockWindow::CheckAlarms() {
    // Each alarm is tested against the clock as it is examined. An alarm
    // that removes itself leaves the next one at the same position.
    std::size_t index = 0;
    while (index < Alarms->Count()) {
        const Alarm& alarm = (*Alarms)[index];
        if (!alarm.IsAlarmTime(clock_.Now()) || snoozeStops_.Stopped(alarm, clock_.Now())) {
            ++index;
            continue;
        }
        const bool removed = alarm.RemoveOnExec;
        FireAlarm(index);
        if (!removed) ++index;
    }
}

void ClockWindow::FireAlarm(std::size_t index) {
    const Alarm& alarm = (*Alarms)[index];
    if (AlarmSound.AlarmToBeep) media_.Beep(1000, 100);
    else media_.PlaySoundFile(AlarmSound.Path, SoundWait::Async);
    ShowStatus(alarm.Message, StatusSound::Silent);
    const Moment now = clock_.Now();
    Notify(AlarmRangNotice(alarm, now), [window = QPointer(this), rang = alarm, now] {
        if (window) window->snoozeStops_.Stop(rang, now);
    });
    if (!alarm.Command.empty()) media_.LaunchFile(alarm.Command, kShowNormally);
    if (alarm.RemoveOnExec) {
        Alarms->Delete(index);
        Alarms->SaveToFile();  // a failure ends the pass here, as the tick's error
    }
    timers_.StartTimer(AlarmPauseMs, AlarmPauseKey);
}

void ClockWindow::ReportMissedAlarms() {
    const Moment now = clock_.Now();
    const std::optional<Moment> previous = std::exchange(lastTick_, now);
    if (!previous) return;
    const std::vector<MissedAlarm> missed = FindMissedAlarms(*previous, now, *Alarms, &snoozeStops_);
    if (missed.empty()) return;
    // With the notice sound: the line holds the report only a few seconds,
    // and someone just back at the machine may not be looking. That sound is
    // the user's own choice for news, so it does not pass for the alarm.
    ShowStatus(MissedAlarmsText(missed), StatusSound::WithSound);
    Notify(MissedAlarmsNotice(missed));
}

void ClockWindow::Notify(const Notice& notice, std::function<void()> onAction) {
    if (notifier_ != nullptr && AlarmNotification) notifier_->Show(notice, std::move(onAction));
}

// A frame of a status text moving through the line: first its start, then
// an even glide to its end, where it stays.
void ClockWindow::ScrollStatus() {
    if (!scrollStart_) return;
    const std::uint32_t elapsed = clock_.TickCount() - *scrollStart_;
    const double position = (static_cast<double>(elapsed) - ScrollStartMs) / ScrollGlideMs;
    DateLine->SetScrollPosition(position);
    if (position >= 1) scrollStart_.reset();
}

void ClockWindow::PlayTimeSignal() {
    const DecodedTime now = DecodeTime(clock_.Now());
    if (TimeSignal.PlayJustTime && now.minute == 0) {
        if (TimeSignal.TimesLoop) {
            // The hour on a twelve-hour dial: 12 at midnight and noon.
            const int strokes = now.hour % 12 == 0 ? 12 : now.hour % 12;
            HourChime = media_.PlaySoundRepeated(TimeSignal.Path, strokes);
        } else {
            media_.PlaySoundFile(TimeSignal.Path, SoundWait::Async);
        }
    }
    if (TimeSignal.PlayHalfTime && now.minute == 30) media_.PlaySoundFile(TimeSignal.Path, SoundWait::Async);
    // Also when nothing played, so the minute is not examined again.
    timers_.StartTimer(SignalPauseMs, SignalPauseKey);
}

void ClockWindow::SynchronizeClock(SyncReport report) {
    if (report == SyncReport::Report &&
        SyncRunner->Start({NTPAddress, StepLimit::Refuse, std::nullopt},
                          [this](const SyncOutcome& outcome) { SyncEnded(outcome, SyncOrigin::Schedule); }))
        return;
    AutoSync.Reschedule(clock_.TickCount(), AutoNTP, AutoNTPInterval);
}

void ClockWindow::SyncEnded(const SyncOutcome& outcome, SyncOrigin origin) {
    // Measured from the end of this run, so a slow server delays the next one.
    AutoSync.Reschedule(clock_.TickCount(), AutoNTP, AutoNTPInterval);
    ScheduleNextTick();
    // The user said no to the step; there is nothing to tell.
    if (outcome.result == SyncResult::Declined) return;
    ShowStatus(SyncStatusText(outcome.result), StatusSound::WithSound);
    if (origin == SyncOrigin::Command && outcome.result != SyncResult::Set)
        ShowNotice(SyncReportText(outcome), DialogType::Information, 0);
}

void ClockWindow::Tick() {
    try {
        RunTickSteps();
    } catch (const std::exception& error) {
        // A failing step ends this tick only; the next one starts afresh.
        ShowApplicationError(error.what());
    }
    ScheduleNextTick();
}

TemplateChange ClockWindow::TextChanges() {
    const auto analysed = [](AnalysedTemplate& cache, const std::string& text) {
        if (!cache.analysed || cache.text != text) {
            cache = {text, AnalyseTemplate(text, CurrentLocaleFormatSettings()), true};
        }
        return cache.change;
    };
    // The date line renders the start of the day: only its uptime tokens
    // change within a day, and the day's change is a minute boundary.
    const TemplateChange date = analysed(dateChange_, DateTemplate);
    // The tip counts even when nobody hovers: the notification area keeps a copy.
    return Finest(Finest(analysed(timeChange_, TimeTemplate), analysed(tipChange_, TipTemplate)),
                  {ChangeUnit::Never, date.uptime});
}

void ClockWindow::ScheduleNextTick() {
    const std::uint32_t ticks = clock_.TickCount();
    // A run under way is due until it ends; its end plans again.
    const auto syncDue = SyncRunner->Busy() ? std::nullopt : AutoSync.MillisecondsUntilDue(ticks);
    std::optional<std::uint32_t> frameDue;
    if (scrollStart_) {
        const std::uint32_t elapsed = ticks - *scrollStart_;
        frameDue = elapsed < ScrollStartMs ? ScrollStartMs - elapsed : ScrollFrameMs;
    }
    Ticks->Follow(PlanNextTick({TextChanges(), clock_.Now(), ticks, syncDue, frameDue}));
}

void ClockWindow::RunTickSteps() {
    TimeLine->SetText(RenderTimeText());

    std::string tip = RenderTipText();
    Tray->SetTip(tip);
    if (tip != shownTip_) {
        setToolTip(ToTipText(tip));
        shownTip_ = std::move(tip);
    }

    // Before the current minute's alarms, so that one firing now keeps the line.
    ReportMissedAlarms();
    if (!timers_.IsTimerRunning(AlarmPauseKey)) CheckAlarms();
    if (!timers_.IsTimerRunning(SignalPauseKey) && DecodeTime(clock_.Now()).minute % 30 == 0) PlayTimeSignal();
    if (AutoSync.IsDue(clock_.TickCount()) && !SyncRunner->Busy()) SynchronizeClock(SyncReport::Report);
    if (timers_.IsTimerRunning(StatusKey)) {
        ScrollStatus();
    } else {
        scrollStart_.reset();
        DateLine->SetText(RenderDateText());
    }
}

void ClockWindow::CreateTrayIcon() {
    Tray = new TrayIcon(this);
    Tray->SetContextMenu(ContextMenu);
    Tray->SetTaskbar(TaskbarButton::Hidden);
    Tray->SetIconShown(true);
    Tray->OnClick = [this](QObject* sender, QPoint cursor, bool& handled) {
        ToggleVisibility(sender, cursor, handled);
    };
}

void ClockWindow::CreateContextMenu() {
    ContextMenu = new QMenu(this);
    AlarmsAction = AddMenuItem("アラーム(&A)...", Qt::Key_A, &ClockWindow::ShowAlarms);
    CopyDateAction = AddMenuItem("日付をコピー(&D)", Qt::Key_D, &ClockWindow::CopyDate);
    CopyTimeAction = AddMenuItem("時刻をコピー(&I)", Qt::Key_I, &ClockWindow::CopyTime);
    ContextMenu->addSeparator();
    PreferencesAction = AddMenuItem("設定(&O)...", Qt::Key_P, &ClockWindow::ShowPreferences);
    DateTimeSettingsAction = AddMenuItem("日付と時刻のプロパティ(&P)...", {}, &ClockWindow::ShowDateTimeSettings);
    TopMostAction = AddMenuItem("常に手前表示(&T)", Qt::Key_T, &ClockWindow::ApplyTopMostCheck);
    SyncNowAction = AddMenuItem("時刻あわせ(&S)", Qt::Key_S, &ClockWindow::SyncClockNow);
    SavePositionAction = AddMenuItem("現在の位置設定等を保存(&I)", {}, &ClockWindow::SavePosition);
    ContextMenu->addSeparator();
    AboutAction = AddMenuItem("バージョン情報(&A)", {}, &ClockWindow::ShowAbout);
    HelpAction = AddMenuItem("ヘルプ(&H)", Qt::Key_F1, &ClockWindow::ShowHelp);
    ContextMenu->addSeparator();
    QuitAction = AddMenuItem("終了(&X)", {}, &ClockWindow::Quit);

    TopMostAction->setCheckable(true);
    // A Wayland client cannot keep itself on top; the check mark is still
    // read and saved, for the next session on X11.
    TopMostAction->setEnabled(!NativeWayland());
    ContextMenu->setDefaultAction(AlarmsAction);
    // Not every style draws the default item bold by itself.
    QFont bold = AlarmsAction->font();
    bold.setBold(true);
    AlarmsAction->setFont(bold);
}

QAction* ClockWindow::AddMenuItem(const char* caption, QKeySequence shortcut,
                                  void (ClockWindow::*handler)()) {
    QAction* item = ContextMenu->addAction(QString::fromUtf8(caption));
    item->setShortcut(shortcut);
    // The plain keys work on the clock window too, without opening the menu.
    addAction(item);
    connect(item, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
    return item;
}

void ClockWindow::RunCommand(void (ClockWindow::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        ShowApplicationError(error.what());
    }
}

void ClockWindow::contextMenuEvent(QContextMenuEvent* event) {
    ContextMenu->popup(event->globalPos());
    event->accept();
}

DialogServices ClockWindow::DialogServicesOf() const {
    const auto startSync = [runner = SyncRunner](const std::string& server, ClockSyncRunner::Done done) {
        return runner->StartInteractive(server, std::move(done));
    };
    return {clock_, openSettings_, media_, startSync, Alarms->FileName()};
}

// The dialog edits its own copy of the file; the live list follows on OK only.
void ClockWindow::ShowAlarms() {
    const int result = ShowModalDialog(std::make_unique<AlarmListDialog>(DialogServicesOf(), this));
    if (result == ModalOk) ReloadAlarms();
}

void ClockWindow::CopyDate() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(RenderDateText()));
}

void ClockWindow::CopyTime() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(RenderTimeText()));
}

void ClockWindow::ShowPreferences() {
    const int result = ShowModalDialog(std::make_unique<PreferencesDialog>(DialogServicesOf(), this));
    if (result == ModalOk) ReloadSettings();
}

void ClockWindow::ShowDateTimeSettings() { OpenDateTimeSettings(); }

TopMostState ClockWindow::TopMost() const {
    return TopMostAction->isChecked() ? TopMostState::TopMost : TopMostState::Normal;
}

void ClockWindow::SetTopMostState(TopMostState state) { TopMostAction->setChecked(state == TopMostState::TopMost); }

void ClockWindow::ToggleTopMost() {
    TopMostAction->toggle();
    ApplyTopMostCheck();
}

void ClockWindow::ApplyTopMostCheck() {
    if (TopMost() == TopMostState::TopMost) SetTopMostWindow(this);
    else SetNoTopMostWindow(this);
}

// Asks before a big step; a failure is told in a box with its reason too.
void ClockWindow::SyncClockNow() {
    SyncRunner->StartInteractive(NTPAddress,
                                 [this](const SyncOutcome& outcome) { SyncEnded(outcome, SyncOrigin::Command); });
}

void ClockWindow::SavePosition() {
    const std::unique_ptr<IniStore> store = openSettings_();
    WritePosition(*store, Point{x(), y()}, TopMost() == TopMostState::TopMost ? TopMostMode::On : TopMostMode::Off);
    store->SaveToDisk();
}

void ClockWindow::ShowAbout() {
    ShowModalDialog(std::make_unique<AboutDialog>(DialogServicesOf(), this));
}

void ClockWindow::ShowHelp() { OpenHelp(media_, HelpContents); }

// Without the icon the close is not turned into hiding, and the program ends.
void ClockWindow::Quit() {
    Tray->RemoveIcon();
    close();
}

void ClockWindow::ToggleVisibility(QObject*, QPoint, bool& handled) {
    const bool wasVisible = isVisible();
    media_.PlaySystemSound(wasVisible ? "Minimize" : "RestoreUp", SoundWait::Async);
    setVisible(!wasVisible);
    if (!wasVisible) {
        raise();
        activateWindow();
    }
    handled = true;
}

void ClockWindow::setVisible(bool visible) {
    // An always-on-top clock re-enters the topmost band whenever it is shown,
    // in case another window took the band meanwhile. Only on showing: a
    // change of flags hides the window first, which comes back here.
    if (visible && TopMost() == TopMostState::TopMost && !(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QWidget::setVisible(visible);
}

void ClockWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor back = ResolveColor(backColor_, palette());
    painter.fillRect(rect(), back);
    const std::uint32_t rgb = ToColorValue(back);
    const QColor light = ResolveColor(FrameLightColor(rgb), palette());
    const QColor dark = ResolveColor(FrameDarkColor(rgb), palette());
    for (int ring = 0; ring < kFrameWidth; ++ring) {
        const QRect edge = rect().adjusted(ring, ring, -ring, -ring);
        painter.setPen(light);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(dark);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    }
}

void ClockWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceClockPanel();
}

// The panel sits inside the window's 2-pixel frame.
void ClockWindow::PlaceClockPanel() {
    if (Panel == nullptr) return;
    Panel->setGeometry(kFrameWidth, kFrameWidth, width() - 2 * kFrameWidth, height() - 2 * kFrameWidth);
}

void ClockWindow::StartDrag(QPoint globalPosition) {
    // The window manager moves the window as if by its caption; where it
    // cannot (no window manager at all), the window follows the mouse itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        drag_ = DragMode::System;
        return;
    }
    drag_ = DragMode::Manual;
    dragOffset_ = globalPosition - pos();
}

bool ClockWindow::eventFilter(QObject* watched, QEvent* event) {
    if (drag_ == DragMode::Manual) {
        if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            move(mouse->globalPosition().toPoint() - dragOffset_);
            SnapIntoWorkArea();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            drag_ = DragMode::None;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClockWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window manager reports no end of its move: snap once the moves settle.
    if (drag_ == DragMode::System) snapTimer_->start();
}

void ClockWindow::SnapIntoWorkArea() {
    if (drag_ == DragMode::System) drag_ = DragMode::None;
    const QScreen* area = screen();
    if (area == nullptr) return;
    const QRect work = area->availableGeometry();
    const SnapPoint snapped = SnapToWorkArea({x(), y(), width(), height()},
                                             {work.left(), work.top(), work.width(), work.height()});
    if (snapped.x != x() || snapped.y != y()) move(snapped.x, snapped.y);
}

// The position in the settings file stays as it is: on the next start with
// room for it, the window stands there again.
void ClockWindow::KeepOnScreen() {
    const QPoint visible = OnScreenPosition(geometry());
    if (visible != pos()) move(visible);
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace kairos
