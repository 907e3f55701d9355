#pragma once
// A clock for the fuzz targets: the moment 0 and a tick count of the input's
// choosing, so that a run depends on nothing but its input.

#include <cstdint>

#include "platform/Clock.h"
#include "platform/Moment.h"

namespace kairos::fuzz {

class FixedClock final : public platform::Clock {
public:
    explicit FixedClock(std::uint32_t ticks) : ticks_(ticks) {}
    Moment Now() const override { return 0; }
    std::uint32_t TickCount() const override { return ticks_; }

private:
    std::uint32_t ticks_;
};

}  // namespace kairos::fuzz
