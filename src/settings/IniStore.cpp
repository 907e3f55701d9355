#include "settings/IniStore.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <utility>

#include "platform/Folders.h"
#include "platform/Utf8.h"
#include "settings/FolderMacros.h"

namespace kairos {
namespace {

std::optional<std::uint32_t> ParseDigits(std::string_view digits, int base) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    // Blanks before a number were always accepted: "10, 20" is a point.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // ParseDigits reads unsigned numbers, so a second sign fails there.
    if (text.starts_with('$')) {
        const std::optional<std::uint32_t> bits = ParseDigits(text.substr(1), 16);
        if (!bits) return std::nullopt;
        const std::uint32_t value = negative ? 0u - *bits : *bits;
        return static_cast<std::int32_t>(value);
    }
    const std::optional<std::uint32_t> magnitude = ParseDigits(text, 10);
    if (!magnitude) return std::nullopt;
    constexpr std::uint32_t MaxPositive = std::numeric_limits<std::int32_t>::max();
    if (*magnitude > MaxPositive + (negative ? 1u : 0u)) return std::nullopt;
    const std::int64_t value = negative ? -static_cast<std::int64_t>(*magnitude) : *magnitude;
    return static_cast<std::int32_t>(value);
}

std::string SplitToken(std::string& text, char separator) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8CharLength(text, pos);
        if (length == 1 && text[pos] == separator) {
            std::string token = text.substr(0, pos);
            text.erase(0, pos + 1);
            return token;
        }
        pos += length;
    }
    return std::exchange(text, std::string());
}

std::string IniStore::ReadText(std::string_view key, std::string_view defaultValue) const {
    return ReadString(Section, key, defaultValue);
}

void IniStore::WriteText(std::string_view key, std::string_view value) {
    WriteString(Section, key, value);
}

std::optional<std::int32_t> StoredNumber(std::string_view stored) {
    std::string text(stored);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    return ParseInteger(text);
}

std::int32_t IniStore::ReadNumber(std::string_view key, std::int32_t defaultValue) const {
    return StoredNumber(ReadText(key, "")).value_or(defaultValue);
}

void IniStore::WriteNumber(std::string_view key, std::int32_t value) {
    WriteText(key, std::to_string(value));
}

bool IniStore::ReadFlag(std::string_view key, bool defaultValue) const {
    return ReadNumber(key, defaultValue ? 1 : 0) != 0;
}

void IniStore::WriteFlag(std::string_view key, bool value) {
    WriteText(key, value ? "1" : "0");
}

std::string IniStore::ReadPath(std::string_view key, std::string_view defaultValue) const {
    return ExpandFolderMacros(ReadText(key, defaultValue));
}

void IniStore::WritePath(std::string_view key, std::string_view value) {
    WriteText(key, CollapseFolderMacros(value));
}

Point IniStore::ReadPoint(std::string_view key, Point defaultValue) const {
    std::string text = ReadText(key, "");
    const std::string x = SplitToken(text, ',');
    return Point{ParseInteger(x).value_or(defaultValue.x), ParseInteger(text).value_or(defaultValue.y)};
}

void IniStore::WritePoint(std::string_view key, Point value) {
    WriteText(key, std::to_string(value.x) + "," + std::to_string(value.y));
}

ColorValue IniStore::ReadColor(std::string_view key, ColorValue defaultValue) const {
    if (!ValueExists(Section, key)) return defaultValue;
    const std::string text = ReadText(key, "");
    if (const std::optional<ColorValue> named = NameToColor(text)) return *named;
    if (const std::optional<std::int32_t> number = ParseInteger(text)) return static_cast<ColorValue>(*number);
    throw ValueFormatError(QuotedValue(text) + " は整数ではありません");
}

void IniStore::WriteColor(std::string_view key, ColorValue value) {
    if (const std::optional<std::string_view> name = ColorToName(value)) {
        WriteText(key, *name);
        return;
    }
    char text[10];
    std::snprintf(text, sizeof text, "$%08" PRIX32, value);
    WriteText(key, text);
}

std::unique_ptr<IniStore> OpenSettings() {
    return std::make_unique<IniStore>(platform::SettingsFilePath());
}

std::unique_ptr<IniStore> OpenIniFile(std::string_view name) {
    return std::make_unique<IniStore>(ExpandFolderMacros(name));
}

}  // namespace kairos
