// Any bytes as the content of an INI file: the store must read them as
// UTF-8 (converted or repaired), write a file that reads back as the same
// file, every section with the same values and, when nothing had to be
// repaired, undamaged; and every typed reader must either give a value that
// its writer writes back unchanged or, for colours, dates and times, raise
// the conversion error.
//
// Input: the file's bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/TextEncoding.h"
#include "settings/IniStore.h"

namespace {

// Bounds the work per input; the rules are the same for every line.
constexpr std::size_t MaxKeysChecked = 200;

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "IniFile: %s\n  %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

kairos::IniStore Parsed(std::string_view bytes) {
    kairos::IniStore ini("fuzz.ini", kairos::IniLoading::Empty);
    ini.SetFileContent(bytes);
    return ini;
}

// A written value of each type reads back as the same value.
void CheckTypedRoundTrips(kairos::IniStore& ini, const std::string& key) {
    const std::int32_t number = ini.ReadNumber(key, 0);
    const kairos::Point point = ini.ReadPoint(key, kairos::Point{1, 2});
    kairos::ColorValue color = 0x1FFFFFFF;
    try {
        color = ini.ReadColor(key, color);
    } catch (const kairos::ValueFormatError&) {
    }
    ini.Section = "FuzzTyped";
    ini.WriteNumber("Number", number);
    ini.WritePoint("Point", point);
    ini.WriteColor("Color", color);
    if (ini.ReadNumber("Number", ~number) != number) Fail("number did not read back", std::to_string(number));
    if (!(ini.ReadPoint("Point", kairos::Point{~point.x, ~point.y}) == point)) Fail("point did not read back", key);
    if (ini.ReadColor("Color", ~color) != color) Fail("colour did not read back", ini.ReadText("Color", ""));
    ini.EraseSection("FuzzTyped");
}

// A date or time read from a value is written, and that text reads back as
// the same date or time (the writer drops milliseconds, so the written text
// is compared, not the first value).
void CheckDateRoundTrip(std::string_view value) {
    static const kairos::LocaleFormatSettings locale;  // m/d/yy and h:mm:ss AMPM
    if (const auto date = kairos::ParseDateText(value, "yyyy/MM/dd", 2026)) {
        const std::string written = kairos::FormatMoment("yyyy/mm/dd", *date, locale);
        if (kairos::ParseDateText(written, "yyyy/MM/dd", 2026) != date) Fail("date did not read back", written);
    }
    if (const auto time = kairos::ParseTimeText(value, locale)) {
        const std::string written = kairos::FormatMoment(locale.LongTimePicture, *time, locale);
        const auto reread = kairos::ParseTimeText(written, locale);
        if (!reread || kairos::FormatMoment(locale.LongTimePicture, *reread, locale) != written)
            Fail("time did not read back", written);
    }
}

// The dates and times the store writes read back as they were written.
void CheckStoredDateRoundTrip(kairos::IniStore& ini, std::string_view value) {
    try {
        if (const auto date = kairos::StoredDate(value)) {
            ini.WriteDate("FuzzDate", "Date", *date);
            const std::string written = ini.ReadString("FuzzDate", "Date", "");
            ini.WriteDate("FuzzDate", "Date", *kairos::StoredDate(written));
            if (ini.ReadString("FuzzDate", "Date", "") != written) Fail("stored date did not read back", written);
        }
        if (const auto time = kairos::StoredTime(value)) {
            ini.WriteTime("FuzzDate", "Time", *time);
            const std::string written = ini.ReadString("FuzzDate", "Time", "");
            ini.WriteTime("FuzzDate", "Time", *kairos::StoredTime(written));
            if (ini.ReadString("FuzzDate", "Time", "") != written) Fail("stored time did not read back", written);
        }
    } catch (const kairos::ValueFormatError&) {
    }
    ini.EraseSection("FuzzDate");
}

// Read, written and read again: the same sections with the same values, in
// the same order, twice-named sections included.
void CheckFileRoundTrip(const kairos::IniStore& ini, const std::string& content) {
    const kairos::IniStore reread = Parsed(content);
    if (!ini.Damaged() && reread.Damaged()) Fail("an undamaged file read back damaged", content);
    if (reread.SectionCount() != ini.SectionCount()) Fail("sections lost or gained", content);
    const std::vector<std::string> names = ini.ReadSections();
    const std::vector<std::string> rereadNames = reread.ReadSections();
    for (std::size_t i = 0; i < names.size() && i < MaxKeysChecked; ++i) {
        if (names[i] != rereadNames[i]) Fail("a section changed its name", names[i]);
        for (const std::string& key : ini.ReadSection(names[i]))
            if (ini.ReadValue(i, key) != reread.ReadValue(i, key)) Fail("a value changed", key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kairos::IniStore ini = Parsed(bytes);

    const std::string content = ini.FileContent();
    if (!kairos::platform::IsValidUtf8(content)) Fail("written file is not UTF-8", content);
    if (Parsed(content).FileContent() != content) Fail("written file reads back differently", content);
    if (kairos::platform::IsValidUtf8(bytes) && ini.Damaged()) Fail("valid UTF-8 read as damaged", bytes);
    CheckFileRoundTrip(ini, content);

    std::size_t checked = 0;
    for (const std::string& section : ini.ReadSections()) {
        for (const std::string& key : ini.ReadSection(section)) {
            if (++checked > MaxKeysChecked) return 0;
            const std::string value = ini.ReadString(section, key, "");
            ini.Section = section;
            CheckTypedRoundTrips(ini, key);
            CheckDateRoundTrip(value);
            CheckStoredDateRoundTrip(ini, value);

            // Rewriting a value, and copying it under a plain key, survives a
            // write and a fresh read of the file.
            ini.WriteString(section, key, value);
            ini.WriteString("FuzzCopy", "Value", value);
            const kairos::IniStore reread = Parsed(ini.FileContent());
            if (reread.ReadString(section, key, "\x01") != value) Fail("rewritten value changed", value);
            if (reread.ReadString("FuzzCopy", "Value", "\x01") != value) Fail("copied value changed", value);
            ini.EraseSection("FuzzCopy");
        }
    }
    return 0;
}
