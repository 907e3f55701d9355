#pragma once

#include <string>
#include <string_view>

namespace kairos::platform {

// Rewrites a Windows date picture (UTF-8) in the clock's picture language.
// Both know d, M, y and g, but Windows quotes only with apostrophes (two of
// them standing for one) and takes every other character literally, while
// the clock reads every ASCII letter as a token and also quotes with double
// quotes; so literals are requoted and all else is kept.
std::string TranslateWindowsDatePicture(std::string_view picture);

}  // namespace kairos::platform
