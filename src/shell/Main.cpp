#include "shell/Main.h"

#include <QCloseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "shell/Comps.h"
#include "shell/Timeout.h"
#include "shell/stdDialogs.h"

namespace kairos {
namespace {

constexpr const char* kBaseFontFace = "ＭＳ Ｐゴシック";
constexpr int kBaseFontPoints = 9;
constexpr int kLinePoints = 18;  // both lines until the settings say otherwise
constexpr int kFrameWidth = 2;

TDateTime StartOfDay(TDateTime moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? static_cast<TDateTime>(parts.day) : 0.0;
}

}  // namespace

TKairosDisplayForm::TKairosDisplayForm(const platform::Clock& clock, TTimerList& timers)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), clock_(clock), timers_(timers) {
    setWindowTitle(QStringLiteral("Kairos"));
    setFont(QFont(QString::fromUtf8(kBaseFontFace), kBaseFontPoints));
    resize(DefaultClientWidth, DefaultClientHeight);
    move(DefaultLeft, DefaultTop);

    Timer = new QTimer(this);
    Timer->setInterval(TickIntervalMs);
    connect(Timer, &QTimer::timeout, this, &TKairosDisplayForm::TimerTimer);

    FormCreate();
    Timer->start();
}

TKairosDisplayForm::~TKairosDisplayForm() { FormDestroy(); }

void TKairosDisplayForm::FormCreate() {
    // Snapping to the work-area edges is left to the window manager, which
    // does it for every window on the desktops that offer it.
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
        QFont lineFont = font();
        lineFont.setPointSize(kLinePoints);
        label->setFont(lineFont);
    }
    // The alarm list and the settings file join here once they exist; the
    // defaults above stand in for the settings until then.
    SynchronizeClock(SyncReport::Silent);
}

void TKairosDisplayForm::FormDestroy() {
    Timer->stop();
    // The chime worker is asked to stop here once the time signal exists.
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
    // The status sound plays here once the sound layer exists.
    static_cast<void>(sound);
    // Each message starts its own hold, so the line stays until 5000 ms
    // after the latest one.
    timers_.StartTimer(StatusHoldMs, StatusKey);
}

void TKairosDisplayForm::CheckAlarms() {
    // Fires the alarms due at this moment, once the alarm list exists.
}

void TKairosDisplayForm::PlayTimeSignal() {
    // Chimes the full or half hour, once the time signal exists.
}

void TKairosDisplayForm::SynchronizeClock(SyncReport report) {
    // The clock correction itself runs here, with its report, once the
    // network time client exists; the schedule already follows its rule.
    static_cast<void>(report);
    AutoSync.Reschedule(clock_.TickCount(), AutoNTP, AutoNTPInterval);
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
    if (tip != shownTip_) {
        setToolTip(QString::fromStdString(tip));
        shownTip_ = std::move(tip);
    }

    if (!timers_.IsTimerRunning(AlarmPauseKey)) CheckAlarms();
    if (!timers_.IsTimerRunning(SignalPauseKey) && DecodeTime(clock_.Now()).minute % 30 == 0) PlayTimeSignal();
    if (AutoSync.IsDue(clock_.TickCount())) SynchronizeClock(SyncReport::Report);
    if (!timers_.IsTimerRunning(StatusKey)) DateLabel->SetText(RenderDateText());
}

void TKairosDisplayForm::setVisible(bool visible) {
    // An always-on-top clock re-enters the topmost band whenever it is shown
    // or hidden, in case another window took the band meanwhile.
    if (topMost_ == TopMostState::TopMost && !(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QWidget::setVisible(visible);
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

void TKairosDisplayForm::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace kairos
