#include "shell/ClockSyncRunner.h"

#include <QMetaObject>
#include <QPointer>
#include <chrono>
#include <iostream>
#include <utility>

#include "shell/MessageBoxes.h"

namespace kairos {

// What the window thread and a worker share; the worker keeps it alive past
// the runner when it has to be left behind.
struct ClockSyncRunner::Shared {
    std::mutex mutex;
    std::condition_variable ended;
    std::atomic<bool> cancelled{false};
    bool finished = true;
};

namespace {

// Long enough for a worker in its wait for a reply, which looks at the flag
// every 50 ms; not so long that a quit feels slow.
constexpr auto CancelGrace = std::chrono::milliseconds(300);

}  // namespace

ClockSyncRunner::ClockSyncRunner(Job job, QObject* parent)
    : QObject(parent), job_(std::move(job)), shared_(std::make_shared<Shared>()) {}

ClockSyncRunner::~ClockSyncRunner() {
    std::unique_lock lock(shared_->mutex);
    shared_->cancelled = true;
    const bool finished = shared_->ended.wait_for(lock, CancelGrace, [this] { return shared_->finished; });
    lock.unlock();
    if (!worker_.joinable()) return;
    if (finished) worker_.join();
    else worker_.detach();
}

void ClockSyncRunner::JoinFinished() {
    if (worker_.joinable()) worker_.join();
}

bool ClockSyncRunner::Start(SyncRequest request, Done done) {
    if (Busy() || !job_) return false;
    JoinFinished();
    busy_ = true;
    shared_->finished = false;
    worker_ = std::thread([this, shared = shared_, job = job_, request = std::move(request), done = std::move(done)] {
        const SyncOutcome outcome = job(request, shared->cancelled);
        // Under the lock, so that the runner, once it has set the flag, is
        // never reached again: a cancelled run says nothing.
        const std::lock_guard lock(shared->mutex);
        if (!shared->cancelled) {
            QMetaObject::invokeMethod(this, [this, outcome, done] { Finish(outcome, done); }, Qt::QueuedConnection);
        }
        shared->finished = true;
        shared->ended.notify_all();
    });
    return true;
}

void ClockSyncRunner::Finish(const SyncOutcome& outcome, const Done& done) {
    JoinFinished();
    busy_ = false;
    if (done) done(outcome);
}

bool ClockSyncRunner::StartInteractive(std::string server, Done done) {
    return Start({server, StepLimit::Ask, std::nullopt}, [this, server, done](const SyncOutcome& outcome) {
        if (outcome.result != SyncResult::NeedsConfirmation) {
            if (done) done(outcome);
            return;
        }
        const QPointer<ClockSyncRunner> alive(this);
        const auto serverNow = platform::ToLocalMoment(platform::UtcNow() + outcome.sample->offset);
        asking_ = true;
        const bool step = AskYesNo(StepQuestion(serverNow, outcome.sample->offset), DialogType::Confirmation, 0,
                                   DefaultAnswer::No);
        if (!alive) return;
        asking_ = false;
        if (!step) {
            if (done) done({SyncResult::Declined, SyncFailure::None, outcome.sample});
            return;
        }
        Start({server, StepLimit::Ask, outcome.sample}, done);
    });
}

ClockSyncRunner::Job SystemSyncJob() {
    return [](const SyncRequest& request, const std::atomic<bool>& cancelled) {
        SyncServices services;
        services.sntp.Cancelled = &cancelled;
        services.log = &std::cerr;
        return SyncClock(request, services);
    };
}

}  // namespace kairos
