#include "shell/DeadlineTimers.h"

#include <algorithm>
#include <stdexcept>

namespace kairos {

DeadlineTimers::DeadlineTimers(std::unique_ptr<TimerBackend> backend) : backend_(std::move(backend)) {
    backend_->SetNotify([this](std::uint32_t id) { Expired(id); });
}

DeadlineTimers::~DeadlineTimers() {
    Clear();
    backend_->SetNotify({});
}

std::uint32_t DeadlineTimers::SmallestFreeId() const {
    std::uint32_t id = 1;
    // A handful of entries at most: rescanning after each hit is cheap.
    while (std::any_of(entries_.begin(), entries_.end(), [id](const DeadlineTimer& e) { return e.Id == id; })) ++id;
    return id;
}

std::uint32_t DeadlineTimers::StartTimer(int elapseMs, int key, TimerCallback onTimer) {
    const std::uint32_t elapse = elapseMs < 0 ? 0u : static_cast<std::uint32_t>(elapseMs);
    DeadlineTimer item;
    item.Id = backend_->SetTimer(SmallestFreeId(), elapse);
    item.OnTimer = std::move(onTimer);
    item.Key = key;
    item.Count = 1;
    entries_.push_back(std::move(item));
    return entries_.back().Id;
}

bool DeadlineTimers::IsTimerRunning(int key) const {
    return std::any_of(entries_.begin(), entries_.end(), [key](const DeadlineTimer& e) { return e.Key == key; });
}

void DeadlineTimers::Clear() {
    while (!entries_.empty()) RemoveAt(entries_.size() - 1);
}

void DeadlineTimers::RemoveAt(std::size_t index) {
    backend_->KillTimer(entries_[index].Id);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void DeadlineTimers::Expired(std::uint32_t id) {
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(), [id](const DeadlineTimer& e) { return e.Id == id; });
    if (found == entries_.rend()) return;  // already removed while its notification was on the way
    const auto index = static_cast<std::size_t>(std::distance(found, entries_.rend()) - 1);

    DeadlineTimer& entry = entries_[index];
    const int key = entry.Key;
    TimerCallback callback = entry.OnTimer;
    if (entry.Count != 0 && --entry.Count == 0) {
        const int count = 0;
        RemoveAt(index);
        if (callback) callback(key, count);
    } else if (callback) {
        callback(key, entry.Count);
    }
    if (expiryListener_) expiryListener_();
}

namespace {
DeadlineTimers* processTimerList = nullptr;
}

DeadlineTimers& ProgramTimers() {
    if (processTimerList == nullptr) throw std::logic_error("the timer list is used before it was created");
    return *processTimerList;
}

void InstallDeadlineTimers(DeadlineTimers* list) { processTimerList = list; }

}  // namespace kairos
