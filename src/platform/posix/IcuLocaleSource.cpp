// The user's regional settings read from ICU. ICU speaks in its own date
// pattern letters, so the date pictures are translated into the clock's
// Windows-style letters here, and the 12/24-hour choice, the hour's leading
// zero and the marker position are read off the locale's short time pattern.

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Moment.h"
#include "platform/LocaleSource.h"
#include "platform/PictureWriter.h"
#include "platform/posix/IcuPattern.h"

namespace kairos::platform {
namespace {

// ---- The user's locale name -------------------------------------------------

std::string FirstLocaleVariable() {
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

// POSIX writes language_TERRITORY.codeset@modifier. The codeset means nothing
// to ICU and a modifier such as "euro" would be taken for a variant, but a
// modifier of the form key=value is an ICU keyword the user set on purpose.
std::string IcuNameFromPosix(std::string_view posixName) {
    const auto at = posixName.find('@');
    std::string_view base = posixName.substr(0, at);
    const std::string_view modifier = at == std::string_view::npos ? std::string_view{} : posixName.substr(at + 1);
    base = base.substr(0, base.find('.'));
    if (base.empty() || base == "C" || base == "POSIX") return "en_US";
    std::string name(base);
    if (modifier.find('=') != std::string_view::npos) name.append("@").append(modifier);
    return name;
}

// ---- ICU date patterns ------------------------------------------------------

// One element of an ICU pattern: a run of one pattern letter, or one literal
// character (letter == 0).
struct PatternPiece {
    char16_t letter = 0;
    int count = 0;
    UChar32 literal = 0;
};

bool IsAsciiLetter(UChar32 c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int RunLength(const icu::UnicodeString& pattern, int32_t start) {
    const char16_t letter = pattern.charAt(start);
    int32_t end = start + 1;
    while (end < pattern.length() && pattern.charAt(end) == letter) ++end;
    return end - start;
}

// ICU quotes literals with apostrophes and writes an apostrophe itself as two
// of them, inside quotes or out; unquoted ASCII letters are pattern letters.
std::vector<PatternPiece> SplitPattern(const icu::UnicodeString& pattern) {
    std::vector<PatternPiece> pieces;
    bool quoted = false;
    int32_t i = 0;
    while (i < pattern.length()) {
        const UChar32 c = pattern.char32At(i);
        const int32_t next = pattern.moveIndex32(i, 1);
        if (c == u'\'' && next < pattern.length() && pattern.charAt(next) == u'\'') {
            pieces.push_back({0, 0, u'\''});
            i = next + 1;
        } else if (c == u'\'') {
            quoted = !quoted;
            i = next;
        } else if (!quoted && IsAsciiLetter(c)) {
            const int run = RunLength(pattern, i);
            pieces.push_back({static_cast<char16_t>(c), run, 0});
            i += run;
        } else {
            pieces.push_back({0, 0, c});
            i = next;
        }
    }
    return pieces;
}

// The clock's picture for one ICU field; empty for fields the clock has no
// letter for (quarters, week numbers, time fields in a date pattern).
std::string PictureForField(char16_t letter, int count) {
    switch (letter) {
        case u'y': return count == 2 ? "yy" : "yyyy";
        case u'M':
        case u'L': return std::string(static_cast<std::size_t>(std::min(count, 4)), 'M');
        case u'd': return std::string(static_cast<std::size_t>(std::min(count, 2)), 'd');
        case u'E': return count == 4 ? "dddd" : "ddd";
        case u'c':
        case u'e':  // one or two of these are the numeric day of the week
            if (count < 3) return {};
            return count == 4 ? "dddd" : "ddd";
        case u'G': return "gg";
        default: return {};
    }
}

std::string Utf8Of(UChar32 c) {
    std::string out;
    icu::UnicodeString(c).toUTF8String(out);
    return out;
}

// Parts of words and invisible characters: the vowel signs of Indic scripts
// are marks, and Arabic patterns put a right-to-left mark before each '/'.
bool IsWordOrFormatting(UChar32 c) {
    return u_isalpha(c) || (U_GET_GC_MASK(c) & (U_GC_M_MASK | U_GC_CF_MASK)) != 0;
}

// The first literal that can separate numbers: words, quotes and blanks
// (including the narrow no-break spaces of newer CLDR data) are skipped. The
// clock keeps its separators as single bytes, so anything else counts as none.
std::optional<std::string> FirstSeparator(const std::vector<PatternPiece>& pieces) {
    for (const auto& piece : pieces) {
        const UChar32 c = piece.literal;
        if (piece.letter != 0 || IsWordOrFormatting(c) || c == u'\'' || c == u'"' || u_isUWhiteSpace(c)) continue;
        if (c >= 0x80) return std::nullopt;
        return std::string(1, static_cast<char>(c));
    }
    return std::nullopt;
}

struct TimeStyle {
    int timeFormat = 0;
    int hourLeadingZero = 0;
    int markerPosition = 0;
};

// h and K count 1-12 and 0-11 (a 12-hour clock), H and k 0-23 and 1-24. The
// day-period letters b and B stand in for a in some locales (zh_TW "Bh:mm").
std::optional<TimeStyle> ReadTimeStyle(const std::vector<PatternPiece>& pieces) {
    bool markerSeen = false;
    for (const auto& piece : pieces) {
        const char16_t letter = piece.letter;
        if (letter == u'a' || letter == u'b' || letter == u'B') markerSeen = true;
        const bool twelve = letter == u'h' || letter == u'K';
        if (twelve || letter == u'H' || letter == u'k')
            return TimeStyle{twelve ? 0 : 1, piece.count >= 2 ? 1 : 0, markerSeen ? 1 : 0};
    }
    return std::nullopt;
}

std::optional<icu::UnicodeString> PatternOf(std::unique_ptr<icu::DateFormat> format) {
    const auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(format.get());
    if (simple == nullptr) return std::nullopt;
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return pattern;
}

std::optional<icu::UnicodeString> DatePattern(icu::DateFormat::EStyle style, const icu::Locale& locale) {
    return PatternOf(std::unique_ptr<icu::DateFormat>(icu::DateFormat::createDateInstance(style, locale)));
}

std::optional<icu::UnicodeString> TimePattern(const icu::Locale& locale) {
    return PatternOf(
        std::unique_ptr<icu::DateFormat>(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale)));
}

std::string ToUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::optional<std::string> ToPicture(const std::optional<icu::UnicodeString>& pattern) {
    if (!pattern) return std::nullopt;
    const auto length = static_cast<std::size_t>(pattern->length());
    return TranslateIcuDatePattern(std::u16string_view(pattern->getBuffer(), length));
}

// ---- Calendars --------------------------------------------------------------

std::string CalendarKeyword(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    auto value = locale.getKeywordValue<std::string>("calendar", status);
    return U_SUCCESS(status) ? value : std::string{};
}

int CalendarTypeOf(const icu::Locale& locale) {
    const std::string calendar = CalendarKeyword(locale);
    if (calendar == "japanese") return 3;
    if (calendar == "roc") return 4;
    if (calendar == "dangi") return 5;
    return 1;
}

// The calendar whose eras the clock shows: Japanese locales count in imperial
// eras and Taiwan in years of the Republic whatever their main calendar is.
std::string EraCalendarName(const icu::Locale& locale) {
    const std::string_view language = locale.getLanguage();
    if (language == "ja") return "japanese";
    if (language == "zh" && std::string_view(locale.getCountry()) == "TW") return "roc";
    const std::string keyword = CalendarKeyword(locale);
    return keyword.empty() ? "gregorian" : keyword;
}

icu::Locale WithCalendar(const icu::Locale& locale, const std::string& calendar) {
    icu::Locale result(locale);
    UErrorCode status = U_ZERO_ERROR;
    result.setKeywordValue("calendar", calendar.c_str(), status);
    return result;
}

// Noon of the day, UTC, so that no zone offset can move the instant into a
// neighbouring day.
std::optional<UDate> NoonUtc(int year, int month, int day) {
    const auto date = TryEncodeDate(year, month, day);
    if (!date) return std::nullopt;
    constexpr double DaysFrom1899To1970 = 25569.0;
    return (*date - DaysFrom1899To1970 + 0.5) * static_cast<double>(MillisecondsPerDay);
}

std::unique_ptr<icu::Calendar> MakeEraCalendar(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(*icu::TimeZone::getGMT(), locale, status));
    if (U_FAILURE(status)) return nullptr;
    // ICU switches to the Julian calendar before October 1582; the clock's
    // dates are proleptic Gregorian throughout.
    if (auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get()))
        gregorian->setGregorianChange(std::numeric_limits<UDate>::lowest(), status);
    calendar->setLenient(false);  // out-of-range instants fail instead of clamping
    if (U_FAILURE(status)) return nullptr;
    return calendar;
}

std::unique_ptr<icu::SimpleDateFormat> MakeEraFormat(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"G"), locale, status);
    if (U_FAILURE(status)) return nullptr;
    format->setTimeZone(*icu::TimeZone::getGMT());
    return format;
}

// The era name and era year of a date. ICU formatters and calendars keep
// state between calls and are not thread-safe, hence the lock.
class EraReader {
public:
    explicit EraReader(const icu::Locale& locale)
        : calendar_(MakeEraCalendar(locale)), format_(MakeEraFormat(locale)) {}

    std::optional<EraDate> Read(int year, int month, int day) const {
        const auto instant = NoonUtc(year, month, day);
        if (!instant) return std::nullopt;
        const std::lock_guard lock(mutex_);
        if (!calendar_ || !format_) return std::nullopt;
        UErrorCode status = U_ZERO_ERROR;
        calendar_->setTime(*instant, status);
        const int32_t eraYear = calendar_->get(UCAL_YEAR, status);
        icu::UnicodeString name;
        icu::FieldPosition position;
        format_->format(*calendar_, name, position);
        // Before an era calendar's first era ICU counts years below 1; the
        // clock shows no era there.
        if (U_FAILURE(status) || eraYear < 1 || name.isEmpty()) return std::nullopt;
        return EraDate{ToUtf8(name), eraYear};
    }

private:
    mutable std::mutex mutex_;
    std::unique_ptr<icu::Calendar> calendar_;
    std::unique_ptr<icu::SimpleDateFormat> format_;
};

// ---- The locale source ------------------------------------------------------

template <std::size_t N>
void CopyNames(const icu::UnicodeString* names, int32_t count, int32_t first,
               std::array<std::optional<std::string>, N>& target) {
    for (std::size_t i = 0; i < N; ++i) {
        const auto index = first + static_cast<int32_t>(i);
        if (names != nullptr && index < count && !names[index].isEmpty()) target[i] = ToUtf8(names[index]);
    }
}

void ReadSymbols(const icu::Locale& locale, RawLocaleValues& values) {
    using Symbols = icu::DateFormatSymbols;
    UErrorCode status = U_ZERO_ERROR;
    // Without a calendar type ICU gives the Gregorian names, which the clock
    // needs whatever calendar the locale is set to: it counts months and
    // weekdays in the Gregorian calendar.
    const Symbols symbols(locale, status);
    if (U_FAILURE(status)) return;
    int32_t count = 0;
    const icu::UnicodeString* names = symbols.getAmPmStrings(count);
    if (count >= 2 && !names[0].isEmpty()) values.amText = ToUtf8(names[0]);
    if (count >= 2 && !names[1].isEmpty()) values.pmText = ToUtf8(names[1]);
    names = symbols.getMonths(count, Symbols::FORMAT, Symbols::ABBREVIATED);
    CopyNames(names, count, 0, values.monthShortNames);
    names = symbols.getMonths(count, Symbols::FORMAT, Symbols::WIDE);
    CopyNames(names, count, 0, values.monthLongNames);
    // ICU numbers the weekdays from 1 = Sunday; element 0 is unused.
    names = symbols.getWeekdays(count, Symbols::FORMAT, Symbols::ABBREVIATED);
    CopyNames(names, count, UCAL_SUNDAY, values.dayShortNames);
    names = symbols.getWeekdays(count, Symbols::FORMAT, Symbols::WIDE);
    CopyNames(names, count, UCAL_SUNDAY, values.dayLongNames);
}

void ReadDateValues(const icu::Locale& locale, RawLocaleValues& values) {
    const auto shortPattern = DatePattern(icu::DateFormat::kShort, locale);
    values.shortDatePicture = ToPicture(shortPattern);
    values.longDatePicture = ToPicture(DatePattern(icu::DateFormat::kLong, locale));
    if (shortPattern) values.dateSeparator = FirstSeparator(SplitPattern(*shortPattern));
}

void ReadTimeValues(const icu::Locale& locale, RawLocaleValues& values) {
    const auto pattern = TimePattern(locale);
    if (!pattern) return;
    const auto pieces = SplitPattern(*pattern);
    values.timeSeparator = FirstSeparator(pieces);
    if (const auto style = ReadTimeStyle(pieces)) {
        values.timeFormat = style->timeFormat;
        values.hourLeadingZero = style->hourLeadingZero;
        values.timeMarkerPosition = style->markerPosition;
    }
}

class IcuLocaleSource final : public LocaleSource {
public:
    explicit IcuLocaleSource(const icu::Locale& locale)
        : locale_(locale), eras_(WithCalendar(locale, EraCalendarName(locale))) {}

    RawLocaleValues ReadValues() const override {
        RawLocaleValues values;
        values.localeId = uloc_getLCID(locale_.getName());
        values.calendarType = CalendarTypeOf(locale_);
        ReadDateValues(locale_, values);
        ReadTimeValues(locale_, values);
        ReadSymbols(locale_, values);
        return values;
    }

    std::optional<EraDate> EraOf(int year, int month, int day) const override {
        return eras_.Read(year, month, day);
    }

private:
    const icu::Locale locale_;
    const EraReader eras_;
};

}  // namespace

// Kept outside the anonymous namespace so the translation can be tested on
// patterns no locale happens to use.
std::string TranslateIcuDatePattern(std::u16string_view pattern) {
    const icu::UnicodeString text(false, pattern.data(), static_cast<int32_t>(pattern.size()));
    PictureWriter writer;
    for (const auto& piece : SplitPattern(text)) {
        if (piece.letter != 0)
            writer.Field(PictureForField(piece.letter, piece.count));
        else
            writer.Literal(Utf8Of(piece.literal));
    }
    return writer.Finish();
}

std::string UserLocaleName() {
    return IcuNameFromPosix(FirstLocaleVariable());
}

std::unique_ptr<LocaleSource> MakeLocaleSource(std::string_view localeName) {
    const icu::Locale locale(std::string(localeName).c_str());
    return std::make_unique<IcuLocaleSource>(locale);
}

}  // namespace kairos::platform
