#pragma once
// The INI document with a current section and typed values: numbers, flags,
// paths with folder macros, points and colours.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ColorNames.h"
#include "settings/IniDocument.h"

namespace kairos {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// Decimal with an optional sign, or hexadecimal after "$" (also signed),
// after any leading blanks. Hexadecimal takes the full 32 bits, so
// "$FF00000F" is a system colour; anything out of the 32-bit range fails.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// A stored number as ReadNumber reads it: decimal, "$" or "0x" hexadecimal;
// nothing for anything else.
std::optional<std::int32_t> StoredNumber(std::string_view text);

// Takes the text before the first single-byte separator off the text and
// returns it; without a separator the whole text is the token and the text
// becomes empty. A multi-byte character is never taken apart.
std::string SplitToken(std::string& text, char separator);

// The store with a current section for the typed accessors.
class IniStore : public IniDocument {
public:
    using IniDocument::IniDocument;

    std::string Section;

    std::string ReadText(std::string_view key, std::string_view defaultValue) const;
    void WriteText(std::string_view key, std::string_view value);
    // Decimal, "$" or "0x" hexadecimal; anything else gives the default.
    std::int32_t ReadNumber(std::string_view key, std::int32_t defaultValue) const;
    void WriteNumber(std::string_view key, std::int32_t value);
    bool ReadFlag(std::string_view key, bool defaultValue) const;
    void WriteFlag(std::string_view key, bool value);
    // Folder macros at the start are expanded on reading and put back on writing.
    std::string ReadPath(std::string_view key, std::string_view defaultValue) const;
    void WritePath(std::string_view key, std::string_view value);
    // "x,y"; each coordinate falls back to its own default.
    Point ReadPoint(std::string_view key, Point defaultValue) const;
    void WritePoint(std::string_view key, Point value);
    // A colour name or a number; a present value that is neither throws ValueFormatError.
    ColorValue ReadColor(std::string_view key, ColorValue defaultValue) const;
    void WriteColor(std::string_view key, ColorValue value);
};

// The settings file: beside the executable, or in the user's configuration folder.
std::unique_ptr<IniStore> OpenSettings();
// The file of that name after its folder macro is expanded.
std::unique_ptr<IniStore> OpenIniFile(std::string_view name);

}  // namespace kairos
