#pragma once
// The locale values the clock's format language reads: names, separators,
// AM/PM texts and the date and time pictures, with English defaults wherever
// the locale gives nothing.

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace kairos::platform {
class LocaleSource;
}

namespace kairos {

inline constexpr int LangChinese = 0x04;
inline constexpr int LangEnglish = 0x09;
inline constexpr int LangJapanese = 0x11;
inline constexpr int LangKorean = 0x12;
inline constexpr int SubLangChineseTraditional = 0x01;

struct LocaleFormatSettings {
    char DateSeparatorChar = '/';  // '\0': the / token shows nothing
    char TimeSeparatorChar = ':';
    std::string ShortDatePicture = "m/d/yy";
    std::string LongDatePicture = "mmmm d, yyyy";
    std::string ShortTimePicture = "h:mm AMPM";
    std::string LongTimePicture = "h:mm:ss AMPM";
    std::string AmText = "am";
    std::string PmText = "pm";
    std::array<std::string, 13> MonthShortNames;  // [1..12]; [0] stays empty
    std::array<std::string, 13> MonthLongNames;
    std::array<std::string, 8> DayShortNames;  // [1..7], 1 = Sunday; [0] stays empty
    std::array<std::string, 8> DayLongNames;
    int PrimaryLanguage = LangEnglish;
    int SubLanguage = 1;
    // Answers the era tokens; without one they show nothing.
    std::shared_ptr<const platform::LocaleSource> Eras;

    LocaleFormatSettings();
};

// Rewrites a locale date picture for the clock: with an era calendar
// (3, 4, 5) years become era years and gg becomes ggg; in Chinese, Japanese
// and Korean the era letters of a Gregorian picture are dropped.
std::string TranslateLocaleDatePicture(std::string_view picture, int calendarType, int primaryLanguage);

// Builds the settings from what the locale source states.
LocaleFormatSettings LoadLocaleFormatSettings(std::shared_ptr<const platform::LocaleSource> source);

// The process-wide settings every caller without its own reads. Replaced
// whole, on the user-interface thread, when the user's locale is reloaded.
const LocaleFormatSettings& CurrentLocaleFormatSettings();
void SetCurrentLocaleFormatSettings(LocaleFormatSettings settings);
// Reads the user's locale into the process-wide settings.
void LoadLocaleFormatSettings();

}  // namespace kairos
