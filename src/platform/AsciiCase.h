#pragma once
// Letter case of names the program compares itself: keys, sections, value
// names, host names. Only ASCII letters fold; the bytes of a multi-byte
// character are all above 0x7F and stay exact, so no locale can make two
// different names equal.

#include <cstddef>
#include <string_view>

namespace kairos {

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

}  // namespace kairos
