#include "clocktext/TemplateChange.h"

#include <gtest/gtest.h>

#include <ostream>

#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "support/FakeClock.h"
#include "support/SampleLocale.h"

namespace kairos {
namespace {

using enum ChangeUnit;

enum class Pictures { English, Japanese, Unusual };

// Pictures that go against the usual split: seconds in the short time and
// not in the long, and a long date whose only token is too deep to render.
LocaleFormatSettings UnusualLocale() {
    LocaleFormatSettings locale;
    locale.ShortTimePicture = "h:nn:ss";
    locale.LongTimePicture = "h:nn";
    locale.ShortDatePicture = "yyyy-mm-dd";
    locale.LongDatePicture = "'zzz' tt";
    return locale;
}

LocaleFormatSettings LocaleOf(Pictures pictures) {
    switch (pictures) {
    case Pictures::Japanese:
        return testing::JapaneseExampleLocale();
    case Pictures::Unusual:
        return UnusualLocale();
    case Pictures::English:
        break;
    }
    return {};
}

struct ChangeCase {
    const char* templateText;
    Pictures pictures;
    TemplateChange expected;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << '"' << c.templateText << "\" pictures " << static_cast<int>(c.pictures);
}

class TemplateChangeCases : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(TemplateChangeCases, Analyses) {
    const TemplateChange got = AnalyseTemplate(GetParam().templateText, LocaleOf(GetParam().pictures));
    EXPECT_EQ(got.wall, GetParam().expected.wall);
    EXPECT_EQ(got.uptime, GetParam().expected.uptime);
}

// Whatever unit is answered, the text must hold still from one boundary of
// that unit to the next; otherwise the clock would show a stale text.
TEST_P(TemplateChangeCases, TextHoldsWithinTheAnsweredUnit) {
    const LocaleFormatSettings locale = LocaleOf(GetParam().pictures);
    const TemplateChange change = AnalyseTemplate(GetParam().templateText, locale);
    testing::FakeClock clock;
    const auto render = [&](Moment moment, std::uint32_t ticks) {
        clock.ticks = ticks;
        return RenderTemplate(GetParam().templateText, moment, clock, locale);
    };

    // Midnight is where a date-and-time token drops its time.
    for (const int hour : {0, 11, 12, 23}) {
        const auto at = [&](int minute, int second, int ms) {
            return *TryEncodeDateTime(2026, 12, 31, hour, minute, second, ms);
        };
        const Moment lastOfUnit = change.wall == Second   ? at(0, 0, 999)
                                  : change.wall == Minute ? at(0, 59, 999)
                                                          : testing::ExampleDay();
        if (change.wall != Millisecond) {
            EXPECT_EQ(render(at(0, 0, 0), 90'061'234), render(lastOfUnit, 90'061'234)) << hour;
        }
    }

    const Moment moment = testing::ExampleDay();
    const std::uint32_t span = change.uptime == Second ? 999 : change.uptime == Minute ? 59'999 : 3'723'456;
    for (const std::uint32_t start : {0u, 3'600'000u, 4'294'860'000u}) {
        if (change.uptime != Millisecond) {
            EXPECT_EQ(render(moment, start), render(moment, start + span)) << start;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Templates, TemplateChangeCases,
    ::testing::Values(
        // the default lines; an empty tip renders like c
        ChangeCase{"ampm h:nn:ss", Pictures::English, {Second, Never}},
        ChangeCase{"yyyy/mm/dd", Pictures::English, {Minute, Never}},
        ChangeCase{"", Pictures::English, {Second, Never}},
        ChangeCase{"hh:nn:ss.zzz", Pictures::English, {Millisecond, Never}},
        ChangeCase{"dddd", Pictures::English, {Minute, Never}},
        // literal text
        ChangeCase{"'ss zzz' h", Pictures::English, {Minute, Never}},
        ChangeCase{"\"It's\" /:", Pictures::English, {Never, Never}},
        ChangeCase{"'unclosed ss", Pictures::English, {Never, Never}},
        ChangeCase{"a b ï", Pictures::English, {Never, Never}},
        ChangeCase{"a/p", Pictures::English, {Minute, Never}},
        // locale pictures
        ChangeCase{"c", Pictures::English, {Second, Never}},
        ChangeCase{"t", Pictures::English, {Minute, Never}},
        ChangeCase{"tt", Pictures::English, {Second, Never}},
        ChangeCase{"tt", Pictures::Japanese, {Second, Never}},
        ChangeCase{"t", Pictures::Unusual, {Second, Never}},
        ChangeCase{"tt", Pictures::Unusual, {Minute, Never}},
        ChangeCase{"c", Pictures::Unusual, {Second, Never}},
        ChangeCase{"ddddd", Pictures::Unusual, {Minute, Never}},
        ChangeCase{"dddddd", Pictures::Unusual, {Never, Never}},
        // run-time tokens
        ChangeCase{"%tch:%tcn", Pictures::English, {Never, Minute}},
        ChangeCase{"%tcs", Pictures::English, {Never, Second}},
        ChangeCase{"%tcm", Pictures::English, {Never, Millisecond}},
        ChangeCase{"%tcms", Pictures::English, {Never, Millisecond}},
        ChangeCase{"'%tcs'", Pictures::English, {Never, Second}},
        ChangeCase{"%n%n", Pictures::English, {Never, Never}},
        ChangeCase{"100%", Pictures::English, {Never, Never}},
        ChangeCase{"%tch h", Pictures::Japanese, {Minute, Minute}},
        ChangeCase{"%TCS", Pictures::English, {Second, Never}},
        ChangeCase{"%tc%nn", Pictures::English, {Second, Never}}));

}  // namespace
}  // namespace kairos
