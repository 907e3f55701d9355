#include "platform/ClockSetter.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>

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

// mktime decides daylight saving itself (tm_isdst -1): the moment is a wall
// clock reading, and only the zone rules know which offset it had.
std::optional<timespec> LocalMomentToUtc(TDateTime local) {
    std::optional<std::tm> fields = ToCalendarFields(local);
    if (!fields) return std::nullopt;
    const std::time_t utc = std::mktime(&*fields);
    if (utc == static_cast<std::time_t>(-1)) return std::nullopt;
    const auto millisecond = DecodeMillisecondOfDay(SplitMoment(local).millisecondOfDay).millisecond;
    return timespec{utc, static_cast<long>(millisecond) * 1'000'000L};
}

bool SetThroughTimedated(const timespec& utc) {
    sd_bus* opened = nullptr;
    if (sd_bus_open_system(&opened) < 0) return false;
    const BusHandle bus(opened);
    // Without this polkit refuses at once instead of asking the user.
    sd_bus_set_allow_interactive_authorization(bus.get(), 1);
    const std::int64_t usecUtc = static_cast<std::int64_t>(utc.tv_sec) * 1'000'000 + utc.tv_nsec / 1000;
    BusError error;
    const int relative = 0;
    const int interactive = 1;
    return sd_bus_call_method(bus.get(), TimedateService, TimedatePath, TimedateInterface, "SetTime", error.get(),
                              nullptr, "xbb", usecUtc, relative, interactive) >= 0;
}

class PosixClockSetter final : public ClockSetter {
public:
    bool SetLocalTime(TDateTime local) override {
        const auto utc = LocalMomentToUtc(local);
        if (!utc) return false;
        if (clock_settime(CLOCK_REALTIME, &*utc) == 0) return true;
        // Only a missing privilege is worth asking the time service about;
        // any other refusal would be its refusal too.
        if (errno != EPERM) return false;
        return SetThroughTimedated(*utc);
    }
};

}  // namespace

ClockSetter& SystemClockSetter() {
    static PosixClockSetter setter;
    return setter;
}

}  // namespace kairos::platform
