// The user's regional settings as Windows keeps them. The date pictures
// already speak the clock's letters and only need their literals requoted;
// the 12/24-hour choice, the hour's leading zero and the marker position are
// values of their own.

#include <windows.h>

#include <array>
#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LocaleSource.h"
#include "platform/Moment.h"
#include "platform/win32/DatePicture.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// The first year a SYSTEMTIME can hold.
constexpr int FirstSystemYear = 1601;

// Locale values are short; the longest documented one has 80 characters.
constexpr int InfoBufferLength = 256;

std::optional<std::string> TextInfo(const std::wstring& locale, LCTYPE type) {
    std::array<wchar_t, InfoBufferLength> buffer{};
    const int length = GetLocaleInfoEx(locale.c_str(), type, buffer.data(), InfoBufferLength);
    if (length <= 1) return std::nullopt;  // failed, or only the terminating NUL
    return Narrow(std::wstring_view(buffer.data(), static_cast<std::size_t>(length - 1)));
}

std::optional<int> NumberInfo(const std::wstring& locale, LCTYPE type) {
    DWORD value = 0;
    // With LOCALE_RETURN_NUMBER the buffer holds a DWORD, its size counted
    // in characters.
    const int length = GetLocaleInfoEx(locale.c_str(), type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                                       sizeof value / sizeof(wchar_t));
    if (length == 0) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> PictureInfo(const std::wstring& locale, LCTYPE type) {
    const auto picture = TextInfo(locale, type);
    if (!picture) return std::nullopt;
    return TranslateWindowsDatePicture(*picture);
}

template <std::size_t N>
void ReadNames(const std::wstring& locale, const std::array<LCTYPE, N>& types,
               std::array<std::optional<std::string>, N>& names) {
    for (std::size_t i = 0; i < N; ++i) names[i] = TextInfo(locale, types[i]);
}

constexpr std::array<LCTYPE, 12> MonthShortTypes = {
    LOCALE_SABBREVMONTHNAME1, LOCALE_SABBREVMONTHNAME2,  LOCALE_SABBREVMONTHNAME3,  LOCALE_SABBREVMONTHNAME4,
    LOCALE_SABBREVMONTHNAME5, LOCALE_SABBREVMONTHNAME6,  LOCALE_SABBREVMONTHNAME7,  LOCALE_SABBREVMONTHNAME8,
    LOCALE_SABBREVMONTHNAME9, LOCALE_SABBREVMONTHNAME10, LOCALE_SABBREVMONTHNAME11, LOCALE_SABBREVMONTHNAME12};
constexpr std::array<LCTYPE, 12> MonthLongTypes = {
    LOCALE_SMONTHNAME1, LOCALE_SMONTHNAME2, LOCALE_SMONTHNAME3,  LOCALE_SMONTHNAME4,  LOCALE_SMONTHNAME5,
    LOCALE_SMONTHNAME6, LOCALE_SMONTHNAME7, LOCALE_SMONTHNAME8,  LOCALE_SMONTHNAME9,  LOCALE_SMONTHNAME10,
    LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};
// Windows counts the week from Monday (DAYNAME1); the clock from Sunday.
constexpr std::array<LCTYPE, 7> DayShortTypes = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1,
                                                 LOCALE_SABBREVDAYNAME2, LOCALE_SABBREVDAYNAME3,
                                                 LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                                                 LOCALE_SABBREVDAYNAME6};
constexpr std::array<LCTYPE, 7> DayLongTypes = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2,
                                                LOCALE_SDAYNAME3, LOCALE_SDAYNAME4, LOCALE_SDAYNAME5,
                                                LOCALE_SDAYNAME6};

// GetDateFormatEx with the locale's alternate calendar, as for the era
// tokens; empty when the call fails or gives nothing.
std::wstring AlternateCalendarText(const std::wstring& locale, const SYSTEMTIME& date, const wchar_t* picture) {
    std::array<wchar_t, InfoBufferLength> buffer{};
    const int length =
        GetDateFormatEx(locale.c_str(), DATE_USE_ALT_CALENDAR, &date, picture, buffer.data(), InfoBufferLength, nullptr);
    if (length <= 1) return {};
    return std::wstring(buffer.data(), static_cast<std::size_t>(length - 1));
}

std::optional<int> ParseYear(std::wstring_view text) {
    std::string digits;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        digits += static_cast<char>(c);
    }
    int year = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), year);
    if (error != std::errc{} || end != digits.data() + digits.size() || year < 1) return std::nullopt;
    return year;
}

class Win32LocaleSource final : public LocaleSource {
public:
    explicit Win32LocaleSource(std::wstring locale) : locale_(std::move(locale)) {}

    RawLocaleValues ReadValues() const override {
        RawLocaleValues values;
        values.localeId = LocaleNameToLCID(locale_.c_str(), 0);
        values.calendarType = NumberInfo(locale_, LOCALE_ICALENDARTYPE);
        values.dateSeparator = TextInfo(locale_, LOCALE_SDATE);
        values.timeSeparator = TextInfo(locale_, LOCALE_STIME);
        values.shortDatePicture = PictureInfo(locale_, LOCALE_SSHORTDATE);
        values.longDatePicture = PictureInfo(locale_, LOCALE_SLONGDATE);
        values.amText = TextInfo(locale_, LOCALE_S1159);
        values.pmText = TextInfo(locale_, LOCALE_S2359);
        ReadNames(locale_, MonthShortTypes, values.monthShortNames);
        ReadNames(locale_, MonthLongTypes, values.monthLongNames);
        ReadNames(locale_, DayShortTypes, values.dayShortNames);
        ReadNames(locale_, DayLongTypes, values.dayLongNames);
        values.timeFormat = NumberInfo(locale_, LOCALE_ITIME);
        values.hourLeadingZero = NumberInfo(locale_, LOCALE_ITLZERO);
        values.timeMarkerPosition = NumberInfo(locale_, LOCALE_ITIMEMARKPOSN);
        return values;
    }

    // The system knows the eras and where they begin. A date it cannot
    // take (before 1601, or before the calendar's first era) has none.
    std::optional<EraDate> EraOf(int year, int month, int day) const override {
        if (year < FirstSystemYear || !TryEncodeDate(year, month, day)) return std::nullopt;
        SYSTEMTIME date{};
        date.wYear = static_cast<WORD>(year);
        date.wMonth = static_cast<WORD>(month);
        date.wDay = static_cast<WORD>(day);
        const std::wstring name = AlternateCalendarText(locale_, date, L"gg");
        const auto eraYear = ParseYear(AlternateCalendarText(locale_, date, L"yyyy"));
        if (name.empty() || !eraYear) return std::nullopt;
        return EraDate{Narrow(name), *eraYear};
    }

private:
    const std::wstring locale_;
};

}  // namespace

std::string UserLocaleName() {
    std::array<wchar_t, LOCALE_NAME_MAX_LENGTH> name{};
    const int length = GetUserDefaultLocaleName(name.data(), LOCALE_NAME_MAX_LENGTH);
    if (length <= 1) return "en-US";
    return Narrow(std::wstring_view(name.data(), static_cast<std::size_t>(length - 1)));
}

// POSIX-style names ("ja_JP") are taken too: Windows writes "ja-JP".
std::unique_ptr<LocaleSource> MakeLocaleSource(std::string_view localeName) {
    std::wstring name = Widen(localeName);
    for (wchar_t& c : name)
        if (c == L'_') c = L'-';
    return std::make_unique<Win32LocaleSource>(std::move(name));
}

}  // namespace kairos::platform
