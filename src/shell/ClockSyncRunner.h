#pragma once
// Clock corrections off the window thread: the name lookup and the wait for
// the server would otherwise stop the clock for seconds. One run at a time;
// its outcome comes back on the window thread.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "nettime/ClockSync.h"

namespace kairos {

class ClockSyncRunner final : public QObject {
    Q_OBJECT
public:
    // Runs on the worker thread; it should give up soon once the flag is set.
    using Job = std::function<SyncOutcome(const SyncRequest&, const std::atomic<bool>& cancelled)>;
    using Done = std::function<void(const SyncOutcome&)>;

    explicit ClockSyncRunner(Job job, QObject* parent = nullptr);
    // A run still going is cancelled: its outcome is never delivered, and a
    // worker stuck beyond a short wait (a slow name lookup) ends on its own.
    ~ClockSyncRunner() override;

    bool Busy() const { return busy_ || asking_; }

    // Starts a run; done is called on this object's thread when it ends.
    // False, and nothing started, while another run is going.
    bool Start(SyncRequest request, Done done);

    // A run the user asked for: past the step bound it asks, with No as the
    // default, and steps only on Yes. A declined step ends as Declined.
    bool StartInteractive(std::string server, Done done);

private:
    struct Shared;
    void Finish(const SyncOutcome& outcome, const Done& done);
    void JoinFinished();

    Job job_;
    bool busy_ = false;
    bool asking_ = false;  // the question of a big step is open
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

// The job of the running program: the real server, clock and setter, with a
// line on standard error per run.
ClockSyncRunner::Job SystemSyncJob();

}  // namespace kairos
