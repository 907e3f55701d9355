#pragma once
// The user's regional settings as the operating system states them, before
// the clock turns them into its own format settings. Each value is empty when
// the locale gives nothing for it; the caller supplies the defaults.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kairos::platform {

struct RawLocaleValues {
    // Windows-style locale id (0x411 for Japanese, 0x409 for US English); 0 when unknown.
    std::uint32_t localeId = 0;
    // 1 Gregorian, 3 Japanese era, 4 Taiwan, 5 Korean era.
    std::optional<int> calendarType;
    std::optional<std::string> dateSeparator;
    std::optional<std::string> timeSeparator;
    // Date pictures in the clock's letters (d, M, y, g and quoted literals).
    std::optional<std::string> shortDatePicture;
    std::optional<std::string> longDatePicture;
    std::optional<std::string> amText;
    std::optional<std::string> pmText;
    std::array<std::optional<std::string>, 12> monthShortNames;  // [0] = January
    std::array<std::optional<std::string>, 12> monthLongNames;
    std::array<std::optional<std::string>, 7> dayShortNames;  // [0] = Sunday
    std::array<std::optional<std::string>, 7> dayLongNames;
    // 0 for a 12-hour clock, 1 for a 24-hour clock.
    std::optional<int> timeFormat;
    // Non-zero when hours carry a leading zero.
    std::optional<int> hourLeadingZero;
    // 0 when the AM/PM marker follows the time, 1 when it precedes it.
    std::optional<int> timeMarkerPosition;
};

struct EraDate {
    std::string name;  // the era's name as the locale writes it (令和, 民國, AD)
    int year = 0;      // the year within the era
};

class LocaleSource {
public:
    virtual ~LocaleSource() = default;
    virtual RawLocaleValues ReadValues() const = 0;
    // The era of a date in the locale's alternate calendar (the Japanese
    // imperial calendar for Japanese, the Republic of China calendar for
    // Taiwan, else the Gregorian one); empty when the date has none.
    virtual std::optional<EraDate> EraOf(int year, int month, int day) const = 0;
};

// The locale the user chose for dates and times: LC_ALL, then LC_TIME, then
// LANG, without codeset; "C", "POSIX" and nothing at all mean "en_US". On
// Windows the user's default locale ("ja-JP").
std::string UserLocaleName();

// Takes a name as UserLocaleName gives it; Windows also takes "ja_JP".
std::unique_ptr<LocaleSource> MakeLocaleSource(std::string_view localeName);

}  // namespace kairos::platform
