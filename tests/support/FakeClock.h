#pragma once

#include "platform/Clock.h"

namespace kairos::testing {

// A clock the test sets by hand.
class FakeClock final : public platform::Clock {
public:
    Moment now = 0;
    std::uint32_t ticks = 0;

    Moment Now() const override { return now; }
    std::uint32_t TickCount() const override { return ticks; }
};

}  // namespace kairos::testing
