#include <ctime>

#include "platform/Clock.h"

namespace kairos::platform {
namespace {

// The local calendar fields of one UTC second. The alarm check reads the
// clock once per alarm on every tick, and localtime_r costs far more than
// the rest of that work; a zone's offset only changes at a whole second, so
// the fields of the current second can be reused for its milliseconds.
struct LocalSecond {
    std::time_t utc = -1;
    tm local{};
};

const tm& LocalFieldsOf(std::time_t utc) {
    thread_local LocalSecond cached;
    if (cached.utc != utc) {
        localtime_r(&utc, &cached.local);
        cached.utc = utc;
    }
    return cached.local;
}

Moment LocalMomentOf(std::time_t second, long nanoseconds) {
    const tm& local = LocalFieldsOf(second);
    const auto moment =
        TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(nanoseconds / 1'000'000));
    return moment.value_or(0.0);
}

class PosixClock final : public Clock {
public:
    Moment Now() const override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return LocalMomentOf(now.tv_sec, now.tv_nsec);
    }

    std::uint32_t TickCount() const override {
        timespec since{};
        clock_gettime(CLOCK_BOOTTIME, &since);
        const auto ms = static_cast<std::uint64_t>(since.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(since.tv_nsec) / 1'000'000u;
        return static_cast<std::uint32_t>(ms);  // wraps like the Windows counter
    }
};

}  // namespace

const Clock& SystemClock() {
    static const PosixClock clock;
    return clock;
}

UtcTime UtcNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return UtcTime(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

Moment ToLocalMoment(UtcTime instant) {
    const auto second = std::chrono::floor<std::chrono::seconds>(instant);
    const auto nanoseconds = (instant - second).count();
    return LocalMomentOf(static_cast<std::time_t>(second.time_since_epoch().count()), static_cast<long>(nanoseconds));
}

int LocalTimeZoneBias() {
    const std::time_t now = std::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return static_cast<int>(-local.tm_gmtoff / 60);
}

}  // namespace kairos::platform
