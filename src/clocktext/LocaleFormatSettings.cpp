#include "clocktext/LocaleFormatSettings.h"

#include <utility>

#include "platform/LocaleSource.h"
#include "platform/Utf8.h"

namespace kairos {
namespace {

constexpr std::array<const char*, 12> EnglishMonthShort = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> EnglishMonthLong = {"January", "February", "March",     "April",
                                                          "May",     "June",     "July",      "August",
                                                          "September", "October", "November", "December"};
constexpr std::array<const char*, 7> EnglishDayShort = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> EnglishDayLong = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

constexpr int GregorianCalendar = 1;

bool IsEraCalendar(int calendarType) {
    return calendarType == 3 || calendarType == 4 || calendarType == 5;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view lowerForm) {
    if (text.size() - pos < lowerForm.size()) return false;
    for (std::size_t i = 0; i < lowerForm.size(); ++i) {
        char c = text[pos + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerForm[i]) return false;
    }
    return true;
}

std::string ToEraYears(std::string_view picture) {
    std::string out;
    std::size_t pos = 0;
    while (pos < picture.size()) {
        const std::size_t length = Utf8CharLength(picture, pos);
        if (length > 1) {
            out.append(picture.substr(pos, length));
            pos += length;
        } else if (StartsWithNoCase(picture, pos, "gg")) {
            out += "ggg";
            pos += 2;
        } else if (StartsWithNoCase(picture, pos, "yyyy")) {
            out += "eeee";
            pos += 4;
        } else if (StartsWithNoCase(picture, pos, "yy")) {
            out += "ee";
            pos += 2;
        } else if (picture[pos] == 'y' || picture[pos] == 'Y') {
            out += 'e';
            ++pos;
        } else {
            out += picture[pos++];
        }
    }
    return out;
}

std::string WithoutEraLetters(std::string_view picture) {
    std::string out;
    std::size_t pos = 0;
    while (pos < picture.size()) {
        const std::size_t length = Utf8CharLength(picture, pos);
        if (length == 1 && (picture[pos] == 'g' || picture[pos] == 'G')) {
            ++pos;
            continue;
        }
        out.append(picture.substr(pos, length));
        pos += length;
    }
    return out;
}

template <std::size_t N>
void FillNames(std::array<std::string, N + 1>& names, const std::array<std::optional<std::string>, N>& fromLocale,
               const std::array<const char*, N>& english) {
    for (std::size_t i = 0; i < N; ++i) {
        const auto& name = fromLocale[i];
        names[i + 1] = (name && !name->empty()) ? *name : english[i];
    }
}

char SeparatorOr(const std::optional<std::string>& fromLocale, char fallback) {
    if (!fromLocale) return fallback;
    if (fromLocale->empty()) return '\0';
    const auto first = static_cast<unsigned char>((*fromLocale)[0]);
    return first < 0x80 ? static_cast<char>(first) : fallback;
}

void ComposeTimePictures(const platform::RawLocaleValues& raw, LocaleFormatSettings& settings) {
    const std::string hour = raw.hourLeadingZero.value_or(0) != 0 ? "hh" : "h";
    std::string prefix;
    std::string suffix;
    if (raw.timeFormat.value_or(0) == 0) {
        if (raw.timeMarkerPosition.value_or(0) == 0) suffix = " AMPM";
        else prefix = "AMPM ";
    }
    settings.ShortTimePicture = prefix + hour + ":mm" + suffix;
    settings.LongTimePicture = prefix + hour + ":mm:ss" + suffix;
}

LocaleFormatSettings& Current() {
    static LocaleFormatSettings settings;
    return settings;
}

}  // namespace

LocaleFormatSettings::LocaleFormatSettings() {
    FillNames<12>(MonthShortNames, {}, EnglishMonthShort);
    FillNames<12>(MonthLongNames, {}, EnglishMonthLong);
    FillNames<7>(DayShortNames, {}, EnglishDayShort);
    FillNames<7>(DayLongNames, {}, EnglishDayLong);
}

std::string TranslateLocaleDatePicture(std::string_view picture, int calendarType, int primaryLanguage) {
    if (IsEraCalendar(calendarType)) return ToEraYears(picture);
    if (primaryLanguage == LangChinese || primaryLanguage == LangJapanese || primaryLanguage == LangKorean)
        return WithoutEraLetters(picture);
    return std::string(picture);
}

LocaleFormatSettings LoadLocaleFormatSettings(std::shared_ptr<const platform::LocaleSource> source) {
    LocaleFormatSettings settings;
    const platform::RawLocaleValues raw = source->ReadValues();
    if ((raw.localeId & 0xFFFF) != 0) {
        settings.PrimaryLanguage = static_cast<int>(raw.localeId & 0x3FF);
        settings.SubLanguage = static_cast<int>((raw.localeId >> 10) & 0x3F);
    }
    FillNames<12>(settings.MonthShortNames, raw.monthShortNames, EnglishMonthShort);
    FillNames<12>(settings.MonthLongNames, raw.monthLongNames, EnglishMonthLong);
    FillNames<7>(settings.DayShortNames, raw.dayShortNames, EnglishDayShort);
    FillNames<7>(settings.DayLongNames, raw.dayLongNames, EnglishDayLong);

    settings.DateSeparatorChar = SeparatorOr(raw.dateSeparator, '/');
    settings.TimeSeparatorChar = SeparatorOr(raw.timeSeparator, ':');
    const int calendar = raw.calendarType.value_or(GregorianCalendar);
    settings.ShortDatePicture = TranslateLocaleDatePicture(raw.shortDatePicture.value_or("m/d/yy"), calendar,
                                                           settings.PrimaryLanguage);
    settings.LongDatePicture = TranslateLocaleDatePicture(raw.longDatePicture.value_or("mmmm d, yyyy"), calendar,
                                                          settings.PrimaryLanguage);
    settings.AmText = raw.amText.value_or("am");
    settings.PmText = raw.pmText.value_or("pm");
    ComposeTimePictures(raw, settings);
    settings.Eras = std::move(source);
    return settings;
}

const LocaleFormatSettings& CurrentLocaleFormatSettings() {
    return Current();
}

void SetCurrentLocaleFormatSettings(LocaleFormatSettings settings) {
    Current() = std::move(settings);
}

void LoadLocaleFormatSettings() {
    SetCurrentLocaleFormatSettings(LoadLocaleFormatSettings(platform::MakeLocaleSource(platform::UserLocaleName())));
}

}  // namespace kairos
