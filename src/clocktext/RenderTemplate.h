#pragma once
// Templates of the clock's three lines: run-time tokens (uptime, line break)
// are replaced first, then the result is rendered as a date-time picture.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Moment.h"

namespace kairos::platform {
class Clock;
}

namespace kairos {

struct LocaleFormatSettings;

struct SplitTime {
    std::uint16_t hours = 0;
    std::uint16_t minutes = 0;
    std::uint16_t seconds = 0;
    std::uint16_t milliseconds = 0;
};

SplitTime SplitMilliseconds(std::uint32_t milliseconds);

// The run-time tokens, in the order they are replaced: %tcms comes before
// %tcm so the longer token is not read as the shorter one plus "s".
inline constexpr std::array<std::string_view, 6> RunTimeTokens = {"%tch", "%tcn", "%tcs", "%tcms", "%tcm", "%n"};

std::string RenderTemplate(std::string_view templateText, Moment moment, const platform::Clock& clock,
                           const LocaleFormatSettings& locale);
// With the system clock and the process-wide locale settings.
std::string RenderTemplate(std::string_view templateText, Moment moment);

}  // namespace kairos
