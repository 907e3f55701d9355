// The wall-clock timer as a waitable timer with an absolute due time in UTC:
// Windows compares it with the system time itself, across sleeps and clock
// changes. It is a manual-reset timer: a wait does not take the signal away,
// so Acknowledge can tell an expiry from a spurious wake, and clears it.

#include "platform/WallClockTimer.h"

#include <windows.h>

#include <chrono>
#include <cstdint>

namespace kairos::platform {
namespace {

// 100-ns intervals from 1601 to 1970, the two epochs of FILETIME and UtcTime.
constexpr std::int64_t FileTimeOf1970 = 116444736000000000;

LARGE_INTEGER DueTime(UtcTime when) {
    const auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
                           when.time_since_epoch()).count();
    LARGE_INTEGER due{};
    // A positive due time is absolute; an instant before 1601 stands for
    // "at once", as every instant in the past does.
    due.QuadPart = ticks + FileTimeOf1970 > 0 ? ticks + FileTimeOf1970 : 1;
    return due;
}

// Setting a timer clears its signal; cancelling it then keeps it from
// coming back.
void Clear(HANDLE timer) {
    LARGE_INTEGER never{};
    never.QuadPart = INT64_MAX;
    SetWaitableTimer(timer, &never, 0, nullptr, nullptr, FALSE);
    CancelWaitableTimer(timer);
}

}  // namespace

void WallClockTimer::HandleCloser::operator()(void* handle) const { CloseHandle(handle); }

WallClockTimer::WallClockTimer() : timer_(CreateWaitableTimerW(nullptr, TRUE, nullptr)) {}

void WallClockTimer::ArmAt(UtcTime when) {
    if (!Valid()) return;
    const LARGE_INTEGER due = DueTime(when);
    // Setting a timer again replaces its due time and clears a signal not yet
    // waited for.
    SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE);
}

void WallClockTimer::Disarm() {
    if (Valid()) Clear(timer_.get());
}

WallClockEvent WallClockTimer::Acknowledge() {
    if (!Valid() || WaitForSingleObject(timer_.get(), 0) != WAIT_OBJECT_0) return WallClockEvent::None;
    Clear(timer_.get());
    return WallClockEvent::Expired;
}

}  // namespace kairos::platform
