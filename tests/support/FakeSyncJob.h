#pragma once
// A clock-correction job for window and dialog tests: it records what it was
// asked on the runner's worker thread and answers with a chosen outcome; it
// can also hold the run open until released, or until cancelled.

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "nettime/ClockSync.h"
#include "shell/ClockSyncRunner.h"

namespace kairos::testing {

class FakeSyncJob {
public:
    using Answer = std::function<SyncOutcome(const SyncRequest&)>;

    // The outcome of each run from now on; by default, set.
    void SetAnswer(Answer answer) {
        Set([&](State& s) { s.answer = std::move(answer); });
    }
    void SetOutcome(SyncResult result, SyncFailure failure = SyncFailure::None) {
        SetAnswer([=](const SyncRequest&) { return SyncOutcome{result, failure, std::nullopt}; });
    }

    ClockSyncRunner::Job Job() {
        return [state = state_](const SyncRequest& request, const std::atomic<bool>& cancelled) {
            std::unique_lock lock(state->mutex);
            state->requests.push_back(request);
            // Looks at the flag now and then, as a real query does: nobody
            // wakes a waiting job when the flag is set.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (state->holding && !cancelled.load() && std::chrono::steady_clock::now() < end)
                state->released.wait_for(lock, std::chrono::milliseconds(10));
            state->sawCancel = cancelled.load();
            return state->answer(request);
        };
    }

    // Runs hold until Release (or a cancel).
    void Hold() { Set([](State& s) { s.holding = true; }); }
    void Release() { Set([](State& s) { s.holding = false; }); }

    std::vector<SyncRequest> Requests() const {
        const std::lock_guard lock(state_->mutex);
        return state_->requests;
    }
    bool SawCancel() const {
        const std::lock_guard lock(state_->mutex);
        return state_->sawCancel;
    }

private:
    struct State {
        mutable std::mutex mutex;
        std::condition_variable released;
        std::vector<SyncRequest> requests;
        bool holding = false;
        bool sawCancel = false;
        Answer answer = [](const SyncRequest&) { return SyncOutcome{SyncResult::Set, SyncFailure::None, std::nullopt}; };
    };
    void Set(const std::function<void(State&)>& change) {
        {
            const std::lock_guard lock(state_->mutex);
            change(*state_);
        }
        state_->released.notify_all();
    }
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Lets the event loop deliver the end of the run going, if any.
inline void AwaitSync(const ClockSyncRunner& runner) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (runner.Busy() && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace kairos::testing
