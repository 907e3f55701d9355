#pragma once
// General string helpers.

#include <string>
#include <string_view>
#include <vector>

namespace kairos {

enum class ReplaceFlags : unsigned {
    None = 0,
    ReplaceAll = 1,  // every non-overlapping occurrence, else only the first
    IgnoreCase = 2,  // ASCII letters compared without case
};

constexpr ReplaceFlags operator|(ReplaceFlags a, ReplaceFlags b) {
    return static_cast<ReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool HasFlag(ReplaceFlags flags, ReplaceFlags flag) {
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(flag)) != 0;
}

// Replaces each old pattern in turn, in order, by the new text at the same
// position (or the fallback where the new list is shorter). Each pattern sees
// the output of the ones before it. Matches start only on character
// boundaries; an empty pattern replaces nothing.
std::string MultiReplace(std::string_view text, const std::vector<std::string_view>& oldPatterns,
                         const std::vector<std::string_view>& newTexts, ReplaceFlags flags,
                         std::string_view fallback);

}  // namespace kairos
