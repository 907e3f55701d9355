#pragma once
// Event-loop timers in simulated time: Advance() fires every timer whose
// elapse has passed, in order, as the event loop would, without sleeping.

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

#include "shell/DeadlineTimers.h"

namespace kairos::testing {

class SimulatedTimers final : public TimerBackend {
public:
    struct Registered {
        std::uint32_t elapse = 0;
        std::uint64_t due = 0;
    };

    void SetNotify(Notify notify) override { notify_ = std::move(notify); }

    std::uint32_t SetTimer(std::uint32_t id, std::uint32_t elapseMs) override {
        if (refuse) return 0;
        timers_[id] = {elapseMs, now_ + std::max<std::uint32_t>(elapseMs, 1)};
        return id;
    }

    void KillTimer(std::uint32_t id) override { timers_.erase(id); }

    // Moves simulated time forward by ms, delivering each expiry on the way.
    void Advance(std::uint64_t ms) {
        const std::uint64_t target = now_ + ms;
        for (;;) {
            auto next = std::min_element(timers_.begin(), timers_.end(),
                                         [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
            if (next == timers_.end() || next->second.due > target) break;
            now_ = next->second.due;
            next->second.due += std::max<std::uint32_t>(next->second.elapse, 1);  // repeats until killed
            if (notify_) notify_(next->first);
        }
        now_ = target;
    }

    // Milliseconds to the next expiry; none without timers.
    std::optional<std::uint64_t> NextDueIn() const {
        if (timers_.empty()) return std::nullopt;
        const auto next = std::min_element(timers_.begin(), timers_.end(),
                                           [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        return next->second.due - now_;
    }

    std::size_t RegisteredCount() const { return timers_.size(); }
    bool refuse = false;

private:
    Notify notify_;
    std::map<std::uint32_t, Registered> timers_;
    std::uint64_t now_ = 0;
};

}  // namespace kairos::testing
