#pragma once
// Numbered one-shot deadline timers: a caller starts a timer under a small
// key and later asks whether any timer with that key still runs. Expiry is
// measured by the event loop's timers, reached through a TimerBackend.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kairos {

// Keys of the program's own holds.
inline constexpr int StatusKey = 1;       // a status message is on the date line
inline constexpr int AlarmPauseKey = 2;   // the alarm check rests after a firing
inline constexpr int SignalPauseKey = 3;  // the time signal rests after chiming

// The event loop's side: repeating timers registered under an identifier,
// each expiry reported back through the notify function until killed.
class TimerBackend {
public:
    using Notify = std::function<void(std::uint32_t id)>;
    virtual ~TimerBackend() = default;
    virtual void SetNotify(Notify notify) = 0;
    // Returns the identifier registered, 0 when the timer was refused.
    virtual std::uint32_t SetTimer(std::uint32_t id, std::uint32_t elapseMs) = 0;
    virtual void KillTimer(std::uint32_t id) = 0;
};

// Called with the entry's key and the notifications it still has to come.
using TimerCallback = std::function<void(int key, int count)>;

struct DeadlineTimer {
    std::uint32_t Id = 0;
    TimerCallback OnTimer;
    int Key = 0;
    int Count = 0;  // notifications before the entry ends itself; 0 = never
};

class DeadlineTimers {
public:
    explicit DeadlineTimers(std::unique_ptr<TimerBackend> backend);
    ~DeadlineTimers();
    DeadlineTimers(const DeadlineTimers&) = delete;
    DeadlineTimers& operator=(const DeadlineTimers&) = delete;

    std::uint32_t StartTimer(int elapseMs, int key, TimerCallback onTimer = {});
    bool IsTimerRunning(int key) const;
    void Clear();
    // One expiry reported by the backend.
    void Expired(std::uint32_t id);
    // Told after every expiry: the clock window sleeps between changes and
    // has to look again when a hold or a pause ends.
    void SetExpiryListener(std::function<void()> listener) { expiryListener_ = std::move(listener); }

    const std::vector<DeadlineTimer>& Entries() const { return entries_; }

private:
    std::uint32_t SmallestFreeId() const;
    void RemoveAt(std::size_t index);

    std::unique_ptr<TimerBackend> backend_;
    std::vector<DeadlineTimer> entries_;
    std::function<void()> expiryListener_;
};

// The one list of the process, created by the entry before the clock window.
DeadlineTimers& ProgramTimers();
void InstallDeadlineTimers(DeadlineTimers* list);

}  // namespace kairos
