#pragma once
// Settings files are UTF-8, but files kept by earlier Windows installations
// are in code page 932 (Shift-JIS); a reader tells them apart and converts
// the old ones so their Japanese text survives. A byte sequence that is no
// character of the encoding becomes U+FFFD on its own: one bad byte never
// costs the text around it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kairos::platform {

inline constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// Strict well-formedness: no overlong forms, no surrogate halves, nothing
// above U+10FFFF, no cut or stray sequences. NUL is a valid character.
bool IsValidUtf8(std::string_view bytes);

struct DecodedText {
    std::string text;  // UTF-8
    // Where in the input each sequence that became U+FFFD began.
    std::vector<std::size_t> unreadable;
};

// UTF-8 with every byte that begins no well-formed character replaced.
DecodedText DecodeUtf8(std::string_view bytes);
// How many characters of two bytes or more are well-formed UTF-8: a file
// with many of them is UTF-8 even where a few bytes are broken, since
// Shift-JIS text hardly ever forms one.
std::size_t CountUtf8MultiByteCharacters(std::string_view bytes);

// Code page 932 (Microsoft's Shift-JIS, with its NEC and IBM extensions and
// 0x5C as a backslash) to UTF-8; nothing when the converter is missing.
std::optional<DecodedText> DecodeCp932(std::string_view bytes);

}  // namespace kairos::platform
