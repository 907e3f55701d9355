#include "shell/DeadlineTimers.h"

#include <algorithm>
#include <stdexcept>

namespace kairos {

TTimerList::TTimerList(std::unique_ptr<TimerBackend> backend) : backend_(std::move(backend)) {
    backend_->SetNotify([this](std::uint32_t id) { TimerHandler(id); });
}

TTimerList::~TTimerList() {
    Clear();
    backend_->SetNotify({});
}

std::uint32_t TTimerList::SmallestFreeId() const {
    std::uint32_t id = 1;
    // A handful of entries at most: rescanning after each hit is cheap.
    while (std::any_of(entries_.begin(), entries_.end(), [id](const TTimerItem& e) { return e.Id == id; })) ++id;
    return id;
}

std::uint32_t TTimerList::StartTimer(int elapseMs, int key, TTimerEvent onTimer) {
    const std::uint32_t elapse = elapseMs < 0 ? 0u : static_cast<std::uint32_t>(elapseMs);
    TTimerItem item;
    item.Id = backend_->SetTimer(SmallestFreeId(), elapse);
    item.OnTimer = std::move(onTimer);
    item.Key = key;
    item.Count = 1;
    entries_.push_back(std::move(item));
    return entries_.back().Id;
}

bool TTimerList::IsTimerRunning(int key) const {
    return std::any_of(entries_.begin(), entries_.end(), [key](const TTimerItem& e) { return e.Key == key; });
}

void TTimerList::Clear() {
    while (!entries_.empty()) RemoveAt(entries_.size() - 1);
}

void TTimerList::RemoveAt(std::size_t index) {
    backend_->KillTimer(entries_[index].Id);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TTimerList::TimerHandler(std::uint32_t id) {
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(), [id](const TTimerItem& e) { return e.Id == id; });
    if (found == entries_.rend()) return;  // already removed while its notification was on the way
    const auto index = static_cast<std::size_t>(std::distance(found, entries_.rend()) - 1);

    TTimerItem& entry = entries_[index];
    const int key = entry.Key;
    TTimerEvent callback = entry.OnTimer;
    if (entry.Count != 0 && --entry.Count == 0) {
        const int count = 0;
        RemoveAt(index);
        if (callback) callback(key, count);
        return;
    }
    if (callback) callback(key, entry.Count);
}

namespace {
TTimerList* processTimerList = nullptr;
}

TTimerList& TimerList() {
    if (processTimerList == nullptr) throw std::logic_error("the timer list is used before it was created");
    return *processTimerList;
}

void InstallTimerList(TTimerList* list) { processTimerList = list; }

}  // namespace kairos
