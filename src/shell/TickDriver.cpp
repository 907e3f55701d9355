#include "shell/TickDriver.h"

#include <QTimer>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif
#include <chrono>
#include <utility>

#include "platform/Clock.h"
#include "platform/WallClockTimer.h"

namespace kairos {

TickDriver::TickDriver(std::function<void()> tick, TickScheduling scheduling, QObject* parent)
    : QObject(parent),
      tick_(std::move(tick)),
      scheduling_(scheduling),
      timer_(new QTimer(this)),
      wallClock_(std::make_unique<platform::WallClockTimer>()) {
    timer_->setSingleShot(true);
    // A coarse timer may fire up to 5 % early: a second's tick would come
    // 50 ms before the second it is meant to show.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &TickDriver::RunTick);
    if (wallClock_->Valid() && scheduling_ == TickScheduling::Planned) {
#ifdef Q_OS_WIN
        wallClockNotifier_ = new QWinEventNotifier(wallClock_->Handle(), this);
        connect(wallClockNotifier_, &QWinEventNotifier::activated, this, &TickDriver::WallClockWoke);
#else
        wallClockNotifier_ = new QSocketNotifier(wallClock_->Descriptor(), QSocketNotifier::Read, this);
        connect(wallClockNotifier_, &QSocketNotifier::activated, this, &TickDriver::WallClockWoke);
#endif
    }
}

TickDriver::~TickDriver() = default;

void TickDriver::Follow(const TickPlan& plan) {
    plan_ = plan;
    if (!running_) return;
    if (scheduling_ == TickScheduling::EveryTenMs) {
        timer_->start(static_cast<int>(FastTickMs));
        return;
    }
    if (wallClockNotifier_ == nullptr) {
        // No wall-clock timer from the system: the tick count stands in, at
        // the cost of a late tick after a suspend or a clock change.
        timer_->start(static_cast<int>(plan.SoonestMs()));
        return;
    }
    if (plan.afterMs) timer_->start(static_cast<int>(*plan.afterMs));
    else timer_->stop();
    wallClock_->ArmAt(platform::UtcNow() + std::chrono::milliseconds(plan.wallAfterMs));
}

void TickDriver::TickSoon() {
    if (running_) timer_->start(0);
}

void TickDriver::Stop() {
    running_ = false;
    timer_->stop();
    if (wallClockNotifier_ != nullptr) {
        wallClockNotifier_->setEnabled(false);
        wallClock_->Disarm();
    }
}

int TickDriver::TimerIntervalMs() const { return timer_->interval(); }

void TickDriver::WallClockWoke() {
    // Expired, or the clock was set and the timer wants arming again: either
    // way the tick looks at the new time and plans afresh.
    if (wallClock_->Acknowledge() != platform::WallClockEvent::None) RunTick();
}

void TickDriver::RunTick() {
    tick_();
    emit Ticked();
}

}  // namespace kairos
