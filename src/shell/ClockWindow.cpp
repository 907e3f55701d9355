#include "shell/ClockWindow.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
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
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "platform/Utf8.h"
#include "alarms/Alarm.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "settings/IniDocument.h"
#include "settings/SettingsFile.h"
#include "shell/Colors.h"
#include "shell/ClockPanel.h"
#include "shell/DateTimeSettings.h"
#include "shell/Help.h"
#include "shell/RerTrayReg.h"
#include "shell/FrameColors.h"
#include "shell/SnapToWorkArea.h"
#include "shell/DeadlineTimers.h"
#include "shell/MessageBoxes.h"
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

TDateTime StartOfDay(TDateTime moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? static_cast<TDateTime>(parts.day) : 0.0;
}

TDateTime LastMillisecondOf(TDateTime day) { return ComposeDateTime(day, *TryEncodeTime(23, 59, 59, 999)); }

// Template line breaks are CR LF; a tooltip breaks on a lone '\n'.
QString ToTipText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Width of the widest line and height of all lines, as the label draws them.
QSize MeasureText(const TKairosLabel& label, const std::string& text) {
    return label.TextExtent(QString::fromStdString(text));
}

}  // namespace

TKairosDisplayForm::TKairosDisplayForm(Services services)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      Alarms(std::make_unique<TAlarmList>(services.alarmFile, services.clock)),
      clock_(services.clock),
      timers_(services.timers),
      openSettings_(std::move(services.openSettings)),
      media_(services.media) {
    setWindowTitle(QStringLiteral("Kairos"));
    setFont(BaseFont());
    resize(DefaultClientWidth, DefaultClientHeight);
    move(DefaultLeft, DefaultTop);

    SyncRunner = new ClockSyncRunner(std::move(services.syncJob), this);
    Timer = new QTimer(this);
    Timer->setInterval(TickIntervalMs);
    connect(Timer, &QTimer::timeout, this, &TKairosDisplayForm::TimerTimer);
    snapTimer_ = new QTimer(this);
    snapTimer_->setSingleShot(true);
    snapTimer_->setInterval(kSnapSettleMs);
    connect(snapTimer_, &QTimer::timeout, this, &TKairosDisplayForm::SnapIntoWorkArea);

    FormCreate();
    Timer->start();
    // Only once the window is shown and ticking: the box must not stop the
    // clock before it has started.
    if (!startupErrors_.empty())
        QTimer::singleShot(0, this, [this] { ShowApplicationError(std::exchange(startupErrors_, {})); });
}

TKairosDisplayForm::~TKairosDisplayForm() { FormDestroy(); }

void TKairosDisplayForm::FormCreate() {
    CreatePopupMenu();
    CreateTrayIcon();
    ClockPanel = new TKairosPanel(this);
    TimeLabel = new TKairosLabel(ClockPanel);
    DateLabel = new TKairosLabel(ClockPanel);

    auto* lines = new QVBoxLayout(ClockPanel);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addWidget(TimeLabel, 1);
    lines->addWidget(DateLabel, 0);
    PlaceClockPanel();

    for (TKairosLabel* label : {TimeLabel, DateLabel}) {
        label->setAlignment(Qt::AlignCenter);
        label->Shadow().SetX(kShadowOffset);
        label->Shadow().SetY(kShadowOffset);
        label->installEventFilter(this);
        connect(label, &TKairosLabel::DragStarted, this, &TKairosDisplayForm::StartDrag);
    }

    // Each part that fails costs only itself: an unreadable setting keeps
    // its default, and the position and the alarms are read all the same.
    const auto note = [this](const std::string& error) {
        if (error.empty()) return;
        startupErrors_.append(startupErrors_.empty() ? "" : "\n\n").append(error);
    };
    try {
        // The store is freed on every way out, the error included.
        const std::unique_ptr<TMemIniFileEx> store = openSettings_();
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

void TKairosDisplayForm::ReadPlacement(TMemIniFileEx& store) {
    store.Section = SettingsKey::General;
    const TPoint point = store.ReadPoint("Point", TPoint{x(), y()});
    move(point.x, point.y);
    if (store.ReadFlag("TopMostMode", false)) ToggleTopMost();
}

void TKairosDisplayForm::FormDestroy() {
    Timer->stop();
    // No further chime starts; the one sounding may be cut off with the program.
    if (RepeatThread) RepeatThread->Terminate();
}

void TKairosDisplayForm::ReloadAlarms() { Alarms->LoadFromFile(); }

std::string TKairosDisplayForm::LoadSettings(TMemIniFileEx& store) {
    SettingsReader read(store);
    read.SetSection(SettingsKey::General);
    DateTemplate = read.Template("DateFormat", DefaultDateFormat);
    TimeTemplate = read.Template("TimeFormat", DefaultTimeFormat);
    TipTemplate = read.Template("ToolTipFormat", "");
    NTPAddress = read.Text("NTPAddress", DefaultNTPAddress);

    // One byte: 300 acts as 44, and only 255 is opaque.
    const int opacity = read.Number("Transparency", DefaultTransparency) & 0xFF;
    setWindowOpacity(opacity / 255.0);

    backColor_ = read.Color("BackColor", DefaultBackColor);
    update();
    ClockPanel->LoadPicture(read.Path("BGImage", ""));

    AutoNTP = read.Flag("AutoNTP", false) ? AutoSyncMode::On : AutoSyncMode::Off;
    AutoNTPInterval = read.Number("AutoNTPInterval", DefaultAutoNTPInterval);
    SynchronizeClock(SyncReport::Silent);

    read.SetSection(SettingsKey::Font);
    const std::string face = read.Text("FontName", font().family().toStdString());
    if (!face.empty()) {
        QFont base = font();
        base.setFamily(QString::fromStdString(face.substr(0, Utf8CutPoint(face, MaxFontNameBytes))));
        setFont(base);
    }
    ApplyLineSettings(read, DateLabel, "Date");
    ApplyLineSettings(read, TimeLabel, "Time");

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
void TKairosDisplayForm::ApplyLineSettings(SettingsReader& read, TKairosLabel* label, const char* prefix) {
    const std::string key(prefix);
    QFont lineFont = font();
    const int points = read.Number(key + "Size", 2 * font().pointSize());
    lineFont.setPointSize(std::clamp(points, kMinPointSize, kMaxPointSize));
    label->setFont(lineFont);
    label->SetFontColor(read.Color(key + "Color", DefaultTextColor));
    label->Shadow().SetEnabled(read.Flag(key + "Shadow", false) ? PassState::Enabled : PassState::Disabled);
    label->Shadow().SetColor(ResolveColor(read.Color(key + "ShadowColor", DefaultShadowColor), palette()));
}

void TKairosDisplayForm::ReloadSettings() {
    const std::unique_ptr<TMemIniFileEx> store = openSettings_();
    const std::string errors = LoadSettings(*store);
    if (!errors.empty()) ShowApplicationError(errors);
}

void TKairosDisplayForm::AdjustWindowSize() {
    const TDateTime today = StartOfDay(clock_.Now());
    const QSize time = MeasureText(*TimeLabel, Render(TimeTemplate, LastMillisecondOf(today)));

    const DecodedDate date = DecodeDate(today);
    const TDateTime yearEnd = TryEncodeDate(date.year, 12, 31).value_or(today);
    const QSize dateSize = MeasureText(*DateLabel, Render(DateTemplate, LastMillisecondOf(yearEnd)));

    // The date line's own height follows its text from here on (one line of
    // its font), and the time line takes the rest.
    resize(std::max(dateSize.width(), time.width()), dateSize.height() + time.height() + 6);
}

std::string TKairosDisplayForm::Render(const std::string& templateText, double moment) const {
    return RenderTemplate(templateText, moment, clock_, CurrentLocaleFormatSettings());
}

std::string TKairosDisplayForm::RenderTimeText() const { return Render(TimeTemplate, clock_.Now()); }

std::string TKairosDisplayForm::RenderTipText() const { return Render(TipTemplate, clock_.Now()); }

// The date line shows the start of today: time tokens in its template read 00:00:00.
std::string TKairosDisplayForm::RenderDateText() const { return Render(DateTemplate, StartOfDay(clock_.Now())); }

void TKairosDisplayForm::ShowStatus(const std::string& text, StatusSound sound) {
    DateLabel->SetText(text);
    if (sound == StatusSound::WithSound && InformationNote.Play) {
        if (InformationNote.OnBeep) media_.Beep(900, 300);
        else media_.PlaySoundFile(InformationNote.Path, SoundWait::Async);
    }
    // Each message starts its own hold, so the line stays until 5000 ms
    // after the latest one.
    timers_.StartTimer(StatusHoldMs, StatusKey);
}

void TKairosDisplayForm::CheckAlarms() {
    // Each alarm is tested against the clock as it is examined. An alarm
    // that removes itself leaves the next one at the same position.
    std::size_t index = 0;
    while (index < Alarms->Count()) {
        if (!(*Alarms)[index].IsAlarmTime(clock_.Now())) {
            ++index;
            continue;
        }
        const bool removed = (*Alarms)[index].RemoveOnExec;
        FireAlarm(index);
        if (!removed) ++index;
    }
}

void TKairosDisplayForm::FireAlarm(std::size_t index) {
    const TAlarmData& alarm = (*Alarms)[index];
    if (AlarmSound.AlarmToBeep) media_.Beep(1000, 100);
    else media_.PlaySoundFile(AlarmSound.Path, SoundWait::Async);
    ShowStatus(alarm.Message, StatusSound::Silent);
    if (!alarm.Command.empty()) media_.ExecuteFile(alarm.Command, kShowNormally);
    if (alarm.RemoveOnExec) {
        Alarms->Delete(index);
        Alarms->SaveToFile();  // a failure ends the pass here, as the tick's error
    }
    timers_.StartTimer(AlarmPauseMs, AlarmPauseKey);
}

void TKairosDisplayForm::PlayTimeSignal() {
    const DecodedTime now = DecodeTime(clock_.Now());
    if (TimeSignal.PlayJustTime && now.minute == 0) {
        if (TimeSignal.TimesLoop) {
            // The hour on a twelve-hour dial: 12 at midnight and noon.
            const int strokes = now.hour % 12 == 0 ? 12 : now.hour % 12;
            RepeatThread = media_.PlaySoundRepeated(TimeSignal.Path, strokes);
        } else {
            media_.PlaySoundFile(TimeSignal.Path, SoundWait::Async);
        }
    }
    if (TimeSignal.PlayHalfTime && now.minute == 30) media_.PlaySoundFile(TimeSignal.Path, SoundWait::Async);
    // Also when nothing played, so the minute is not examined again.
    timers_.StartTimer(SignalPauseMs, SignalPauseKey);
}

void TKairosDisplayForm::SynchronizeClock(SyncReport report) {
    if (report == SyncReport::Report &&
        SyncRunner->Start({NTPAddress, StepLimit::Refuse, std::nullopt},
                          [this](const SyncOutcome& outcome) { SyncEnded(outcome, SyncOrigin::Schedule); }))
        return;
    AutoSync.Reschedule(clock_.TickCount(), AutoNTP, AutoNTPInterval);
}

void TKairosDisplayForm::SyncEnded(const SyncOutcome& outcome, SyncOrigin origin) {
    // Measured from the end of this run, so a slow server delays the next one.
    AutoSync.Reschedule(clock_.TickCount(), AutoNTP, AutoNTPInterval);
    // The user said no to the step; there is nothing to tell.
    if (outcome.result == SyncResult::Declined) return;
    ShowStatus(SyncStatusText(outcome.result), StatusSound::WithSound);
    if (origin == SyncOrigin::Command && outcome.result != SyncResult::Set)
        ShowNotice(SyncReportText(outcome), DialogType::Information, 0);
}

void TKairosDisplayForm::TimerTimer() {
    try {
        RunTickSteps();
    } catch (const std::exception& error) {
        // A failing step ends this tick only; the next one starts afresh.
        ShowApplicationError(error.what());
    }
}

void TKairosDisplayForm::RunTickSteps() {
    TimeLabel->SetText(RenderTimeText());

    std::string tip = RenderTipText();
    TrayIcon->SetTip(tip);
    if (tip != shownTip_) {
        setToolTip(ToTipText(tip));
        shownTip_ = std::move(tip);
    }

    if (!timers_.IsTimerRunning(AlarmPauseKey)) CheckAlarms();
    if (!timers_.IsTimerRunning(SignalPauseKey) && DecodeTime(clock_.Now()).minute % 30 == 0) PlayTimeSignal();
    if (AutoSync.IsDue(clock_.TickCount()) && !SyncRunner->Busy()) SynchronizeClock(SyncReport::Report);
    if (!timers_.IsTimerRunning(StatusKey)) DateLabel->SetText(RenderDateText());
}

void TKairosDisplayForm::CreateTrayIcon() {
    TrayIcon = new TRerTray(this);
    TrayIcon->SetPopupMenu(PopupMenu);
    TrayIcon->SetTaskBar(eBAR_HIDE);
    TrayIcon->SetTaskTray(true);
    TrayIcon->OnClick = [this](QObject* sender, QPoint cursor, bool& handled) {
        TrayIconClick(sender, cursor, handled);
    };
}

void TKairosDisplayForm::CreatePopupMenu() {
    PopupMenu = new QMenu(this);
    AlarmSetting = AddMenuItem("アラーム(&A)...", Qt::Key_A, &TKairosDisplayForm::AlarmSettingClick);
    CopyDate = AddMenuItem("日付をコピー(&D)", Qt::Key_D, &TKairosDisplayForm::CopyDateClick);
    CopyTime = AddMenuItem("時刻をコピー(&I)", Qt::Key_I, &TKairosDisplayForm::CopyTimeClick);
    N1 = PopupMenu->addSeparator();
    Options = AddMenuItem("設定(&O)...", Qt::Key_P, &TKairosDisplayForm::OptionsClick);
    PropertyDateTime = AddMenuItem("日付と時刻のプロパティ(&P)...", {}, &TKairosDisplayForm::PropertyDateTimeClick);
    SetTopMost = AddMenuItem("常に手前表示(&T)", Qt::Key_T, &TKairosDisplayForm::SetTopMostClick);
    SetTime = AddMenuItem("時刻あわせ(&S)", Qt::Key_S, &TKairosDisplayForm::SetTimeClick);
    SavePosition = AddMenuItem("現在の位置設定等を保存(&I)", {}, &TKairosDisplayForm::SavePositionClick);
    N2 = PopupMenu->addSeparator();
    ShowAbout = AddMenuItem("バージョン情報(&A)", {}, &TKairosDisplayForm::ShowAboutClick);
    ShowHelp = AddMenuItem("ヘルプ(&H)", Qt::Key_F1, &TKairosDisplayForm::ShowHelpClick);
    N3 = PopupMenu->addSeparator();
    AppExit = AddMenuItem("終了(&X)", {}, &TKairosDisplayForm::AppExitClick);

    SetTopMost->setCheckable(true);
    PopupMenu->setDefaultAction(AlarmSetting);
    // Not every style draws the default item bold by itself.
    QFont bold = AlarmSetting->font();
    bold.setBold(true);
    AlarmSetting->setFont(bold);
}

QAction* TKairosDisplayForm::AddMenuItem(const char* caption, QKeySequence shortcut,
                                         void (TKairosDisplayForm::*handler)()) {
    QAction* item = PopupMenu->addAction(QString::fromUtf8(caption));
    item->setShortcut(shortcut);
    // The plain keys work on the clock window too, without opening the menu.
    addAction(item);
    connect(item, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
    return item;
}

void TKairosDisplayForm::RunCommand(void (TKairosDisplayForm::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        ShowApplicationError(error.what());
    }
}

void TKairosDisplayForm::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu->popup(event->globalPos());
    event->accept();
}

DialogServices TKairosDisplayForm::DialogServicesOf() const {
    const auto startSync = [runner = SyncRunner](const std::string& server, ClockSyncRunner::Done done) {
        return runner->StartInteractive(server, std::move(done));
    };
    return {clock_, openSettings_, media_, startSync, Alarms->FileName()};
}

// The dialog edits its own copy of the file; the live list follows on OK only.
void TKairosDisplayForm::AlarmSettingClick() {
    const int result = ShowOwnedModalForm(std::make_unique<TKairosAlarmDialog>(DialogServicesOf(), this));
    if (result == mrOk) ReloadAlarms();
}

void TKairosDisplayForm::CopyDateClick() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(RenderDateText()));
}

void TKairosDisplayForm::CopyTimeClick() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(RenderTimeText()));
}

void TKairosDisplayForm::OptionsClick() {
    const int result = ShowOwnedModalForm(std::make_unique<TKairosPreferenceDialog>(DialogServicesOf(), this));
    if (result == mrOk) ReloadSettings();
}

void TKairosDisplayForm::PropertyDateTimeClick() { OpenDateTimeSettings(); }

TopMostState TKairosDisplayForm::TopMost() const {
    return SetTopMost->isChecked() ? TopMostState::TopMost : TopMostState::Normal;
}

void TKairosDisplayForm::SetTopMostState(TopMostState state) { SetTopMost->setChecked(state == TopMostState::TopMost); }

void TKairosDisplayForm::ToggleTopMost() {
    SetTopMost->toggle();
    SetTopMostClick();
}

void TKairosDisplayForm::SetTopMostClick() {
    if (TopMost() == TopMostState::TopMost) SetTopMostWindow(this);
    else SetNoTopMostWindow(this);
}

// Asks before a big step; a failure is told in a box with its reason too.
void TKairosDisplayForm::SetTimeClick() {
    SyncRunner->StartInteractive(NTPAddress,
                                 [this](const SyncOutcome& outcome) { SyncEnded(outcome, SyncOrigin::Command); });
}

void TKairosDisplayForm::SavePositionClick() {
    const std::unique_ptr<TMemIniFileEx> store = openSettings_();
    WritePosition(*store, TPoint{x(), y()}, TopMost() == TopMostState::TopMost ? TopMostMode::On : TopMostMode::Off);
    store->SaveToDisk();
}

void TKairosDisplayForm::ShowAboutClick() {
    ShowOwnedModalForm(std::make_unique<TKairosAboutDialog>(DialogServicesOf(), this));
}

void TKairosDisplayForm::ShowHelpClick() {
    const std::string address = HelpAddress(HelpContents);
    if (!address.empty()) media_.ExecuteFile(address, kShowNormally);
}

// Without the icon the close is not turned into hiding, and the program ends.
void TKairosDisplayForm::AppExitClick() {
    TrayIcon->RemoveIcon();
    close();
}

void TKairosDisplayForm::TrayIconClick(QObject*, QPoint, bool& handled) {
    const bool wasVisible = isVisible();
    media_.PlaySystemSound(wasVisible ? "Minimize" : "RestoreUp", SoundWait::Async);
    setVisible(!wasVisible);
    if (!wasVisible) {
        raise();
        activateWindow();
    }
    handled = true;
}

void TKairosDisplayForm::setVisible(bool visible) {
    // An always-on-top clock re-enters the topmost band whenever it is shown,
    // in case another window took the band meanwhile. Only on showing: a
    // change of flags hides the window first, which comes back here.
    if (visible && TopMost() == TopMostState::TopMost && !(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QWidget::setVisible(visible);
}

void TKairosDisplayForm::paintEvent(QPaintEvent*) {
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

void TKairosDisplayForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceClockPanel();
}

// The panel sits inside the window's 2-pixel frame.
void TKairosDisplayForm::PlaceClockPanel() {
    if (ClockPanel == nullptr) return;
    ClockPanel->setGeometry(kFrameWidth, kFrameWidth, width() - 2 * kFrameWidth, height() - 2 * kFrameWidth);
}

void TKairosDisplayForm::StartDrag(QPoint globalPosition) {
    // The window manager moves the window as if by its caption; where it
    // cannot (no window manager at all), the window follows the mouse itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        drag_ = DragMode::System;
        return;
    }
    drag_ = DragMode::Manual;
    dragOffset_ = globalPosition - pos();
}

bool TKairosDisplayForm::eventFilter(QObject* watched, QEvent* event) {
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

void TKairosDisplayForm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window manager reports no end of its move: snap once the moves settle.
    if (drag_ == DragMode::System) snapTimer_->start();
}

void TKairosDisplayForm::SnapIntoWorkArea() {
    if (drag_ == DragMode::System) drag_ = DragMode::None;
    const QScreen* area = screen();
    if (area == nullptr) return;
    const QRect work = area->availableGeometry();
    const SnapPoint snapped = SnapToWorkArea({x(), y(), width(), height()},
                                             {work.left(), work.top(), work.width(), work.height()});
    if (snapped.x != x() || snapped.y != y()) move(snapped.x, snapped.y);
}

void TKairosDisplayForm::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace kairos
