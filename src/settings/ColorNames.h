#pragma once
// Colours as the settings file stores them: a name from the table, or a
// number with the system colours above 0xFF000000.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kairos {

using ColorValue = std::uint32_t;

struct ColorName {
    std::string_view name;
    ColorValue value;
};

// Names under which colours are written, in the order the writer searches
// them: the first name of a value is the one written.
extern const std::array<ColorName, 52> ColorNameTable;

std::optional<std::string_view> ColorToName(ColorValue color);
// Letter case is ignored.
std::optional<ColorValue> NameToColor(std::string_view name);

}  // namespace kairos
