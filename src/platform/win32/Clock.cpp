#include "platform/Clock.h"

#include <windows.h>

#include "platform/win32/SystemTime.h"

namespace kairos::platform {
namespace {

class Win32Clock final : public Clock {
public:
    Moment Now() const override {
        SYSTEMTIME local{};
        GetLocalTime(&local);
        return ToMoment(local);
    }

    // GetTickCount keeps counting while the machine sleeps, as the interface
    // wants, and wraps at 2^32 ms by itself.
    std::uint32_t TickCount() const override { return GetTickCount(); }
};

}  // namespace

const Clock& SystemClock() {
    static const Win32Clock clock;
    return clock;
}

UtcTime UtcNow() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return FromFileTime(now);
}

// The zone's rules for the year of the instant, as the system knows them
// (dynamic daylight saving), not this year's. The UTC year picks them: a zone
// does not change its rules in the hours around New Year.
// (SystemTimeToTzSpecificLocalTimeEx would pick them itself, but wine lacks it.)
Moment ToLocalMoment(UtcTime instant) {
    const SYSTEMTIME utc = ToSystemTime(instant, SubMillisecond::Truncate);
    TIME_ZONE_INFORMATION zone{};
    if (!GetTimeZoneInformationForYear(utc.wYear, nullptr, &zone)) return 0.0;
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) return 0.0;
    return ToMoment(local);
}

int LocalTimeZoneBias() {
    TIME_ZONE_INFORMATION zone{};
    switch (GetTimeZoneInformation(&zone)) {
        case TIME_ZONE_ID_DAYLIGHT: return static_cast<int>(zone.Bias + zone.DaylightBias);
        case TIME_ZONE_ID_STANDARD: return static_cast<int>(zone.Bias + zone.StandardBias);
        default: return static_cast<int>(zone.Bias);  // a zone without daylight saving
    }
}

}  // namespace kairos::platform
