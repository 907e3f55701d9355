#pragma once
// Settings files are UTF-8, but files kept by earlier Windows installations
// are in code page 932 (Shift-JIS); a reader tells them apart by validity
// and converts the old ones so their Japanese text survives.

#include <optional>
#include <string>
#include <string_view>

namespace kairos::platform {

// Strict well-formedness: no overlong forms, no surrogate halves, nothing
// above U+10FFFF, no cut or stray sequences. NUL is a valid character.
bool IsValidUtf8(std::string_view bytes);

// The text converted from code page 932 (Microsoft's Shift-JIS, with its
// NEC and IBM extensions and 0x5C as a backslash) to UTF-8; nullopt when a
// byte sequence is not defined in that code page or the converter is missing.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

}  // namespace kairos::platform
