#include "platform/ClockSetter.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>
#include <chrono>
#include <ctime>
#include <memory>

namespace kairos::platform {
namespace {

constexpr const char* TimedateService = "org.freedesktop.timedate1";
constexpr const char* TimedatePath = "/org/freedesktop/timedate1";
constexpr const char* TimedateInterface = "org.freedesktop.timedate1";

struct BusRelease {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusHandle = std::unique_ptr<sd_bus, BusRelease>;

class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    sd_bus_error* get() { return &error_; }

private:
    // SD_BUS_ERROR_NULL is a C compound literal; all-null members are the same.
    sd_bus_error error_{nullptr, nullptr, 0};
};

timespec ToTimespec(UtcTime instant) {
    const auto second = std::chrono::floor<std::chrono::seconds>(instant);
    return timespec{static_cast<std::time_t>(second.time_since_epoch().count()),
                    static_cast<long>((instant - second).count())};
}

// Who keeps the clock instead is worth telling the user; every other refusal
// of the service means the user may not set it.
ClockSetResult ResultOfRefusal(const sd_bus_error* error) {
    if (sd_bus_error_has_name(error, "org.freedesktop.timedate1.AutomaticTimeSyncEnabled"))
        return ClockSetResult::SystemSyncActive;
    if (sd_bus_error_has_name(error, SD_BUS_ERROR_ACCESS_DENIED) ||
        sd_bus_error_has_name(error, SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED) ||
        sd_bus_error_has_name(error, SD_BUS_ERROR_SERVICE_UNKNOWN))
        return ClockSetResult::NoPermission;
    return ClockSetResult::Failed;
}

ClockSetResult SetThroughTimedated(UtcTime instant) {
    sd_bus* opened = nullptr;
    // No system bus: nobody can set the clock for this process.
    if (sd_bus_open_system(&opened) < 0) return ClockSetResult::NoPermission;
    const BusHandle bus(opened);
    // Without this polkit refuses at once instead of asking the user.
    sd_bus_set_allow_interactive_authorization(bus.get(), 1);
    const std::int64_t usecUtc =
        std::chrono::floor<std::chrono::microseconds>(instant).time_since_epoch().count();
    BusError error;
    const int relative = 0;
    const int interactive = 1;
    if (sd_bus_call_method(bus.get(), TimedateService, TimedatePath, TimedateInterface, "SetTime", error.get(), nullptr,
                           "xbb", usecUtc, relative, interactive) >= 0)
        return ClockSetResult::Set;
    return ResultOfRefusal(error.get());
}

class PosixClockSetter final : public ClockSetter {
public:
    ClockSetResult SetUtc(UtcTime instant) override {
        const timespec utc = ToTimespec(instant);
        if (clock_settime(CLOCK_REALTIME, &utc) == 0) return ClockSetResult::Set;
        // Only a missing privilege is worth asking the time service about;
        // any other refusal would be its refusal too.
        if (errno != EPERM) return ClockSetResult::Failed;
        return SetThroughTimedated(instant);
    }
};

}  // namespace

ClockSetter& SystemClockSetter() {
    static PosixClockSetter setter;
    return setter;
}

}  // namespace kairos::platform
