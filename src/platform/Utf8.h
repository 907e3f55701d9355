#pragma once
// The program keeps all text as UTF-8. Scanners step over a multi-byte
// character whole and byte limits never split one; these helpers say where
// characters begin and end, tolerating malformed input byte by byte.

#include <cstddef>
#include <string_view>

namespace kairos {

inline bool IsUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// 2 to 4 for a well-formed multi-byte character at text[pos], otherwise 1
// (ASCII, a stray continuation byte, or a lead byte whose sequence is cut or
// broken), so every byte of the text is visited exactly once.
inline std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 1 || pos + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsUtf8Continuation(static_cast<unsigned char>(text[pos + i]))) return 1;
    return length;
}

// The largest length not above maxBytes that ends on a character boundary.
std::size_t Utf8CutPoint(std::string_view text, std::size_t maxBytes);

// The number of characters, counted as Utf8CharLength steps.
std::size_t Utf8CharCount(std::string_view text);

}  // namespace kairos
