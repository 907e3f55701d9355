#pragma once
// What makes the clock window tick: a single-shot timer on the tick count for
// the plan's nearer wake-up, and a timer on the wall clock for its boundary,
// which also fires at once when the wall clock is set and after a resume
// from suspend. Tests stop both and tick by hand.

#include <QObject>
#include <functional>
#include <memory>

#include "shell/TickPlan.h"

class QTimer;
#ifdef Q_OS_WIN
class QWinEventNotifier;
#else
class QSocketNotifier;
#endif

namespace kairos {

namespace platform {
class WallClockTimer;
}

// Planned: a tick when something can change. EveryTenMs: the old fixed pace,
// kept to measure the planned ticks against.
enum class TickScheduling { Planned, EveryTenMs };

class TickDriver final : public QObject {
    Q_OBJECT
public:
    TickDriver(std::function<void()> tick, TickScheduling scheduling, QObject* parent);
    ~TickDriver() override;

    // Arms the timers for the plan, replacing the earlier one.
    void Follow(const TickPlan& plan);
    // A tick from the event loop as soon as it is free.
    void TickSoon();
    // Nothing fires by itself any more; the plan is still kept.
    void Stop();

    bool Running() const { return running_; }
    const TickPlan& Plan() const { return plan_; }
    // The interval the tick-count timer was last started with.
    int TimerIntervalMs() const;

signals:
    // After each tick the driver ran itself (benchmarks watch it).
    void Ticked();

private:
    void RunTick();
    void WallClockWoke();

    std::function<void()> tick_;
    TickScheduling scheduling_;
    QTimer* timer_;
    std::unique_ptr<platform::WallClockTimer> wallClock_;
#ifdef Q_OS_WIN
    QWinEventNotifier* wallClockNotifier_ = nullptr;
#else
    QSocketNotifier* wallClockNotifier_ = nullptr;
#endif
    TickPlan plan_;
    bool running_ = true;
};

}  // namespace kairos
