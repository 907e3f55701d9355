#pragma once
// The time zone of one test, set through TZ and put back after it.
// On Windows only the C library follows TZ; the clock follows the system's
// zone, which under wine is the TZ the program started with.

#include <ctime>
#include <optional>
#include <string>

#include "support/ScopedEnvironment.h"

namespace kairos::testing {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone) {
        environment_.emplace();
        environment_->Set("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone() {
        environment_.reset();
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<ScopedEnvironment> environment_;
};

}  // namespace kairos::testing
