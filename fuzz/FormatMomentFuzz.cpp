// Any moment (NaN and infinities included) with any format, under locales
// whose pictures are long and full of tokens, must give a result that fits
// the 256-byte buffer and never splits a character.
//
// Input: 8 bytes of a double (the moment), 1 byte choosing the locale, then
// the format.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "FuzzText.h"
#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/LocaleSource.h"

namespace {

// Strict: overlong forms, surrogates and code points above U+10FFFF are
// invalid, so a result that only looks plausible byte by byte still fails.
bool IsValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead == 0xE0) {
            length = 3;
            low = 0xA0;
        } else if (lead == 0xED) {
            length = 3;
            high = 0x9F;
        } else if (lead >= 0xE1 && lead <= 0xEF) {
            length = 3;
        } else if (lead == 0xF0) {
            length = 4;
            low = 0x90;
        } else if (lead >= 0xF1 && lead <= 0xF3) {
            length = 4;
        } else if (lead == 0xF4) {
            length = 4;
            high = 0x8F;
        } else {
            return false;
        }
        if (text.size() - pos < length) return false;
        const auto second = static_cast<unsigned char>(text[pos + 1]);
        if (second < low || second > high) return false;
        for (std::size_t i = 2; i < length; ++i)
            if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return false;
        pos += length;
    }
    return true;
}

// One era for every date from 1868 on, with the era year counted from a
// fixed start: far-off dates give era years of any size and sign.
class FixedEraSource final : public kairos::platform::LocaleSource {
public:
    FixedEraSource(std::string name, int firstYear) : name_(std::move(name)), firstYear_(firstYear) {}

    kairos::platform::RawLocaleValues ReadValues() const override { return {}; }
    std::optional<kairos::platform::EraDate> EraOf(int year, int, int) const override {
        if (year < 1868) return std::nullopt;
        return kairos::platform::EraDate{name_, year - firstYear_ + 1};
    }

private:
    std::string name_;
    int firstYear_;
};

// Japanese names and texts, with pictures that are long, nest the tokens
// that expand pictures again and end in an unclosed quote, so that the
// buffer limit is reached inside multi-byte characters.
kairos::LocaleFormatSettings JapaneseLikeLocale() {
    kairos::LocaleFormatSettings locale;
    locale.ShortDatePicture = "ggge'年'M'月'd'日'(aaa) yyyy/MM/dd c t tt ddddd dddddd \"引用\" 'unclosed 𝄞";
    locale.LongDatePicture =
        "gggg ee年 M月 d日 dddd、yyyy年mm月dd日 hh:nn:ss.zzz AMPM h時m分 a/p A/P aaaa mmmm mmm "
        "長い長い日付の絵柄がまだまだ続きます𝄞𝄞𝄞 "
        "yyyy年mm月dd日(ddd) gg e 年号の後にもまだ文字が続きます";
    locale.ShortTimePicture = "AMPM h:mm";
    locale.LongTimePicture = "hh'時'mm'分'ss'秒' zzz AMPM t tt c";
    locale.AmText = "午前";
    locale.PmText = "午後ですよ午後ですよ午後ですよ";
    const char* monthNames[] = {"睦月", "如月", "弥生", "卯月", "皐月", "水無月",
                                "文月", "葉月", "長月", "神無月", "霜月", "師走"};
    for (int i = 1; i <= 12; ++i) {
        locale.MonthShortNames[static_cast<std::size_t>(i)] = std::to_string(i) + "月";
        locale.MonthLongNames[static_cast<std::size_t>(i)] = monthNames[i - 1];
    }
    const char* dayNames[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 1; i <= 7; ++i) {
        locale.DayShortNames[static_cast<std::size_t>(i)] = dayNames[i - 1];
        locale.DayLongNames[static_cast<std::size_t>(i)] = std::string(dayNames[i - 1]) + "曜日";
    }
    locale.PrimaryLanguage = kairos::LangJapanese;
    locale.SubLanguage = 1;
    locale.Eras = std::make_shared<FixedEraSource>("令和", 2019);
    return locale;
}

// Separators that are NUL show nothing; a NUL inside a picture is ordinary
// text. Traditional Chinese shortens a four-character era name to its last two.
kairos::LocaleFormatSettings NulSeparatorLocale() {
    kairos::LocaleFormatSettings locale;
    locale.DateSeparatorChar = '\0';
    locale.TimeSeparatorChar = '\0';
    locale.ShortDatePicture = std::string("g e/MM/dd\0ddd", 13);
    locale.LongDatePicture = "gg ee年M月d日 dddd";
    locale.ShortTimePicture = "AMPM hh:mm";
    locale.LongTimePicture = "AMPM hh:mm:ss";
    locale.AmText = "上午";
    locale.PmText = "下午";
    locale.PrimaryLanguage = kairos::LangChinese;
    locale.SubLanguage = kairos::SubLangChineseTraditional;
    locale.Eras = std::make_shared<FixedEraSource>("中華民國", 1912);
    return locale;
}

bool LocaleTextsAreValid(const kairos::LocaleFormatSettings& locale) {
    for (const std::string* text : {&locale.ShortDatePicture, &locale.LongDatePicture, &locale.ShortTimePicture,
                                    &locale.LongTimePicture, &locale.AmText, &locale.PmText})
        if (!IsValidUtf8(*text)) return false;
    for (const auto* names : {&locale.MonthShortNames, &locale.MonthLongNames})
        for (const std::string& name : *names)
            if (!IsValidUtf8(name)) return false;
    for (const auto* names : {&locale.DayShortNames, &locale.DayLongNames})
        for (const std::string& name : *names)
            if (!IsValidUtf8(name)) return false;
    return true;
}

using kairos::fuzz::Visible;

[[noreturn]] void Fail(const char* what, std::string_view format, double moment, std::string_view result) {
    std::fprintf(stderr, "FormatMoment: %s\n  moment %.17g\n  format (%zu bytes) \"%s\"\n  result (%zu bytes) \"%s\"\n",
                 what, moment, format.size(), Visible(format).c_str(), result.size(), Visible(result).c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kairos::LocaleFormatSettings locales[] = {JapaneseLikeLocale(), NulSeparatorLocale(),
                                                           kairos::LocaleFormatSettings()};
    static const bool localesValid = [] {
        for (const auto& locale : locales)
            if (!LocaleTextsAreValid(locale)) return false;
        return true;
    }();
    if (!localesValid) {
        std::fprintf(stderr, "a fuzzing locale holds invalid UTF-8\n");
        std::abort();
    }

    double moment = 0;
    if (size <= sizeof moment) return 0;
    std::memcpy(&moment, data, sizeof moment);
    const kairos::LocaleFormatSettings& locale = locales[data[sizeof moment] % std::size(locales)];
    const std::string_view format(reinterpret_cast<const char*>(data) + sizeof moment + 1, size - sizeof moment - 1);

    const std::string result = kairos::FormatMoment(format, moment, locale);

    if (result.size() > kairos::FormatMomentLimit) Fail("result longer than the buffer", format, moment, result);
    if (IsValidUtf8(format) && !IsValidUtf8(result)) Fail("valid format gave invalid UTF-8", format, moment, result);
    return 0;
}
