// The wall-clock timer as a Linux timerfd on CLOCK_REALTIME with an absolute
// expiry: the kernel then compares against the wall clock itself, across
// suspends and steps, with no drift to correct. TFD_TIMER_CANCEL_ON_SET makes
// a step of the clock fail the next read with ECANCELED.

#include "platform/WallClockTimer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace kairos::platform {
namespace {

constexpr int UntilClockSet = TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET;

// Stands for every instant up to 1970: an expiry of zero would disarm the
// timer, and one before 1970 is refused.
constexpr timespec LongAgo{0, 1};

timespec ToTimespec(UtcTime when) {
    if (when.time_since_epoch() <= std::chrono::nanoseconds::zero()) return LongAgo;
    const auto seconds = std::chrono::floor<std::chrono::seconds>(when);
    timespec value{};
    value.tv_sec = static_cast<time_t>(seconds.time_since_epoch().count());
    value.tv_nsec = static_cast<long>((when - seconds).count());
    return value;
}

// 0 or the errno value.
int SetExpiry(int descriptor, const timespec& expiry, int flags) {
    itimerspec value{};
    value.it_value = expiry;
    return timerfd_settime(descriptor, flags, &value, nullptr) == 0 ? 0 : errno;
}

}  // namespace

// Non-blocking: a wake the kernel takes back (a re-arm racing the event
// loop) must not block the loop in read. Close-on-exec: programs started by
// alarms must not inherit it.
WallClockTimer::WallClockTimer() : descriptor_(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {}

void WallClockTimer::ArmAt(UtcTime when) {
    if (!Valid()) return;
    // A clock set since the last read fails the arming with ECANCELED, yet the
    // timer is armed. The instant was probably computed from the old time, so
    // the change is passed on at once rather than waiting for that instant.
    if (!clockChangePending_ && SetExpiry(descriptor_.Get(), ToTimespec(when), UntilClockSet) == ECANCELED) {
        clockChangePending_ = true;
    }
    if (clockChangePending_) SetExpiry(descriptor_.Get(), LongAgo, UntilClockSet);
}

void WallClockTimer::Disarm() {
    clockChangePending_ = false;
    if (!Valid()) return;
    // Without the flags: a timer left on the kernel's list of those cancelled
    // by a clock change would still wake on one.
    SetExpiry(descriptor_.Get(), timespec{}, 0);
}

WallClockEvent WallClockTimer::Acknowledge() {
    if (!Valid()) return WallClockEvent::None;
    std::uint64_t expirations = 0;
    const ssize_t got = read(descriptor_.Get(), &expirations, sizeof expirations);
    if ((got < 0 && errno == ECANCELED) || clockChangePending_) {
        // The kernel leaves the old instant armed; it would wake once more
        // with an expiry nobody asked for any more.
        Disarm();
        return WallClockEvent::ClockChanged;
    }
    return got == static_cast<ssize_t>(sizeof expirations) ? WallClockEvent::Expired : WallClockEvent::None;
}

}  // namespace kairos::platform
