#pragma once
// The clock's date-time picture language: letters y m d h n s z a c t g e
// (any case) render parts of a moment with the locale's names and
// separators; everything else is copied.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Moment.h"

namespace kairos {

struct LocaleFormatSettings;

// Results are cut to this many bytes, at a character boundary.
inline constexpr std::size_t FormatMomentLimit = 256;

// Never fails; an empty format renders like "c".
std::string FormatMoment(std::string_view format, Moment moment, const LocaleFormatSettings& locale);
std::string FormatMoment(std::string_view format, Moment moment);

}  // namespace kairos
