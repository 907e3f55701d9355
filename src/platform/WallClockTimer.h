#pragma once
// A one-shot timer on the wall clock, for a clock that sleeps between visible
// changes. A timer on the monotonic clock would drift from the displayed
// second, stand still while the machine is suspended and keep waiting after
// the clock is set; this one aims at a UTC instant, fires after a resume when
// that instant has passed meanwhile, and wakes at once when the clock is set,
// because every instant computed from the old time is then wrong.
//
// It does not call back: the owner's event loop watches it (a descriptor
// for reading with a QSocketNotifier on Linux, a handle for being signalled
// with a QWinEventNotifier on Windows) and calls Acknowledge, so the timer
// needs no thread and no toolkit.

#include <memory>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"

namespace kairos::platform {

enum class WallClockEvent {
    None,          // a spurious wake, or nothing happened since the last Acknowledge
    Expired,       // the armed instant has come
    ClockChanged,  // the wall clock was set; the timer is disarmed
};

class WallClockTimer {
public:
    // Not armed. Valid() is false when the system refused a timer; the rest
    // then does nothing and the descriptor never becomes readable.
    WallClockTimer();

#ifdef _WIN32
    bool Valid() const { return timer_ != nullptr; }
#else
    bool Valid() const { return descriptor_.IsOpen(); }
#endif

    // Wakes at that instant, or at once when it has already passed or when
    // the wall clock is set first. Replaces any earlier instant and any wake
    // not yet acknowledged, so the owner never sees a stale expiry.
    void ArmAt(UtcTime when);
    // No wake until the next ArmAt, not even from a clock change.
    void Disarm();

#ifdef _WIN32
    // For the event loop to watch for being signalled; null when not Valid().
    void* Handle() const { return timer_.get(); }
#else
    // For the event loop to watch for reading; -1 when not Valid().
    int Descriptor() const { return descriptor_.Get(); }
#endif

    // What made the descriptor readable; clears it. After ClockChanged the
    // timer stays disarmed until the owner arms it again with an instant
    // computed from the new time. Waking from suspend may also show as
    // ClockChanged: the wall clock moved on while the monotonic one did not.
    WallClockEvent Acknowledge();

private:
#ifdef _WIN32
    // Windows moves an absolute timer's due time along when the clock is set,
    // and tells a clock change to the windows (WM_TIMECHANGE), not to the
    // timer: the shell listens there.
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, HandleCloser> timer_;
#else
    FileDescriptor descriptor_;
    // The clock was set before an ArmAt, which the system reports there
    // instead of at the descriptor; held until Acknowledge passes it on.
    bool clockChangePending_ = false;
#endif
};

}  // namespace kairos::platform
