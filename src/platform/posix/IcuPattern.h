#pragma once

#include <string>
#include <string_view>

namespace kairos::platform {

// Rewrites an ICU date pattern in the clock's picture letters (d, M, y, g and
// quoted literals), so the locale's own pictures drive the date line.
std::string TranslateIcuDatePattern(std::u16string_view pattern);

}  // namespace kairos::platform
