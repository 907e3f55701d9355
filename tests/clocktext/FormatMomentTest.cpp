#include "clocktext/FormatMoment.h"

#include <gtest/gtest.h>

#include "support/SampleLocale.h"

namespace kairos {
namespace {

using testing::ExampleDay;
using testing::JapaneseExampleLocale;

struct FormatCase {
    const char* format;
    Moment moment;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << '"' << c.format << "\" -> \"" << c.expected << '"';
}

class JapaneseFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(JapaneseFormat, Renders) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatMoment(c.format, c.moment, JapaneseExampleLocale()), c.expected);
}

const Moment Afternoon = ExampleDay();
const Moment Midnight = ExampleDay(0, 0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Presets, JapaneseFormat,
    ::testing::Values(FormatCase{"yyyy/mm/dd", Afternoon, "2026/12/07"},
                      FormatCase{"yyyy/mm/dd ddd", Afternoon, "2026/12/07 月"},
                      FormatCase{"yyyy年mm月dd日", Afternoon, "2026年12月07日"},
                      FormatCase{"yyyy年mm月dd日(ddd)", Afternoon, "2026年12月07日(月)"},
                      FormatCase{"hh:nn:ss", Afternoon, "15:04:05"},
                      FormatCase{"h:nn:ss", Afternoon, "15:04:05"},
                      FormatCase{"h:nn:ss", ExampleDay(9, 4, 5), "9:04:05"},
                      FormatCase{"AM/PM h:nn:ss", Afternoon, "PM 3:04:05"},
                      FormatCase{"AMPM h時nn分ss秒", Afternoon, "午後 3時04分05秒"},
                      FormatCase{"c", Afternoon, "2026/12/07 15:04:05"},
                      FormatCase{"dd日 am/pm h:mm:ss", Afternoon, "07日 pm 3:04:05"},
                      FormatCase{"ampm h:nn:ss", Afternoon, "午後 3:04:05"},
                      FormatCase{"ampm h:nn:ss", ExampleDay(9, 4, 5), "午前 9:04:05"}));

INSTANTIATE_TEST_SUITE_P(
    Tokens, JapaneseFormat,
    ::testing::Values(
        FormatCase{"", Afternoon, "2026/12/07 15:04:05"}, FormatCase{"", Midnight, "2026/12/07"},
        FormatCase{"C", ExampleDay(0, 0, 0, 500), "2026/12/07"},  // milliseconds are not looked at
        FormatCase{"hh:mm", Afternoon, "15:04"}, FormatCase{"hh時mm分", Afternoon, "15時12分"},
        FormatCase{"hh'時'mm", Afternoon, "15時04"}, FormatCase{"h x mm", Afternoon, "15 x 12"},
        FormatCase{"h:m", Afternoon, "15:4"}, FormatCase{"h:MMMM", Afternoon, "15:04"},
        FormatCase{"y", Afternoon, "26"}, FormatCase{"yy", Afternoon, "26"}, FormatCase{"yyy", Afternoon, "2026"},
        FormatCase{"Yyyy", Afternoon, "262026"},  // a run is of one byte, case included
        FormatCase{"m/mm/mmm/mmmm/mmmmm", Afternoon, "12/12/12月/12月/12月"},
        FormatCase{"d dd dddd", ExampleDay(), "7 07 月曜日"},
        FormatCase{"ddddd", Afternoon, "2026/12/07"}, FormatCase{"ddddddd", Afternoon, "2026年12月7日"},
        FormatCase{"hhh", ExampleDay(5, 0, 0), "05"}, FormatCase{"n nn s ss", ExampleDay(0, 4, 5), "4 04 5 05"},
        FormatCase{"z zz zzz zzzz", ExampleDay(0, 0, 0, 5), "5 05 005 005"},
        FormatCase{"t|tt", Afternoon, "15:04|15:04:05"}, FormatCase{"2026 xqw!", Afternoon, "2026 xqw!"},
        FormatCase{"yyyy年mm月dd日", ExampleDay(3, 27, 0), "2026年12月07日"},  // 年's bytes hold no N
        FormatCase{"\r\nh", Afternoon, "\r\n15"}));

INSTANTIATE_TEST_SUITE_P(
    Markers, JapaneseFormat,
    ::testing::Values(FormatCase{"h:nn am/pm", ExampleDay(0, 30, 0), "12:30 am"},
                      FormatCase{"h:nn am/pm", ExampleDay(12, 0, 0), "12:00 pm"},
                      FormatCase{"h:nn", ExampleDay(0, 30, 0), "0:30"},
                      FormatCase{"hh:nn A/P", ExampleDay(13, 0, 0), "01:00 P"},
                      FormatCase{"a/p", ExampleDay(13, 0, 0), "p"}, FormatCase{"A/P", ExampleDay(1, 0, 0), "A"},
                      FormatCase{"Am/pM", ExampleDay(13, 0, 0), "pM"},
                      FormatCase{"aaa h", Afternoon, "月 15"}, FormatCase{"AAAA", Afternoon, "月曜日"},
                      FormatCase{"ax", Afternoon, "ax"}, FormatCase{"Ab", Afternoon, "Ab"},
                      FormatCase{"h ampm", ExampleDay(23, 0, 0), "11 午後"},
                      FormatCase{"h 'AM/PM'", Afternoon, "15 AM/PM"},
                      FormatCase{"h \"x\" a/p", Afternoon, "3 x p"},
                      FormatCase{"h h a/p", Afternoon, "15 3 p"}, FormatCase{"h a", Afternoon, "15 a"},
                      FormatCase{"h年ampm", Afternoon, "3年午後"}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, JapaneseFormat,
    ::testing::Values(FormatCase{"'yyyy' yyyy", Afternoon, "yyyy 2026"},
                      FormatCase{"hh 'abc", Afternoon, "15 abc"},       // no closing quote
                      FormatCase{"\"'\"", Afternoon, "'"},              // other kind is ordinary text
                      FormatCase{"'\"h\"'", Afternoon, "\"h\""},
                      FormatCase{"h'x'mm", Afternoon, "15x04"},         // quoted letters are no token
                      FormatCase{"h'年'mm", Afternoon, "15年04"}, FormatCase{"''", Afternoon, ""}));

INSTANTIATE_TEST_SUITE_P(
    Eras, JapaneseFormat,
    ::testing::Values(FormatCase{"gg", Afternoon, "令和"}, FormatCase{"g", Afternoon, "令"},
                      FormatCase{"ggge年", Afternoon, "令和8年"}, FormatCase{"e ee eee", Afternoon, "8 08 0008"},
                      FormatCase{"gge", ExampleDay() + 1, ""}));  // a day the source knows nothing of

TEST(FormatMoment, ExpandedPicturesDoNotExpandAgain) {
    LocaleFormatSettings locale = JapaneseExampleLocale();
    locale.ShortDatePicture = "yyyy c t tt ddddd dddddd|";
    locale.LongTimePicture = "h:mm:ss c";
    EXPECT_EQ(FormatMoment("ddddd", Afternoon, locale), "2026" + std::string(6, ' ') + "|");
    // The blank c adds for a time that is not midnight survives at the second level.
    EXPECT_EQ(FormatMoment("tt", Afternoon, locale), "15:04:05  ");
    EXPECT_EQ(FormatMoment("tt", Midnight, locale), "0:00:00 ");
}

TEST(FormatMoment, MarkerStateBelongsToOnePass) {
    LocaleFormatSettings locale = JapaneseExampleLocale();
    locale.LongTimePicture = "AMPM h:mm:ss";
    // The marker inside the picture makes its hour 12-hour, not the outer one.
    EXPECT_EQ(FormatMoment("tt h", Afternoon, locale), "午後 3:04:05 15");
}

TEST(FormatMoment, SeparatorsComeFromTheLocale) {
    LocaleFormatSettings locale = JapaneseExampleLocale();
    locale.DateSeparatorChar = '-';
    locale.TimeSeparatorChar = '.';
    EXPECT_EQ(FormatMoment("yyyy/mm/dd hh:nn", Afternoon, locale), "2026-12-07 15.04");
    locale.DateSeparatorChar = '\0';
    EXPECT_EQ(FormatMoment("yyyy/mm/dd", Afternoon, locale), "20261207");
}

TEST(FormatMoment, ResultIsCutAtTheLimitOnACharacterBoundary) {
    const LocaleFormatSettings locale = JapaneseExampleLocale();
    EXPECT_EQ(FormatMoment(std::string(300, 'x'), Afternoon, locale), std::string(256, 'x'));
    std::string kanji;
    for (int i = 0; i < 100; ++i) kanji += "年";
    const std::string cut = FormatMoment(kanji, Afternoon, locale);
    EXPECT_EQ(cut.size(), 255u);  // 85 whole characters
    EXPECT_EQ(cut, kanji.substr(0, 255));
    // After the cut nothing more gets in, not even what would still fit.
    EXPECT_EQ(FormatMoment(std::string(255, 'x') + "年x", Afternoon, locale), std::string(255, 'x'));
    EXPECT_EQ(FormatMoment(std::string(254, 'x') + "yyyy", Afternoon, locale), std::string(254, 'x') + "20");
}

TEST(FormatMoment, FiveDigitYearsAreNotCut) {
    EXPECT_EQ(FormatMoment("yyyy", *TryEncodeDate(9999, 12, 31) + 366, JapaneseExampleLocale()), "10000");
}

TEST(FormatMoment, EraNameIsShortenedOnlyForTraditionalChineseFourCharacterNames) {
    LocaleFormatSettings locale = JapaneseExampleLocale();
    auto eras = std::make_shared<testing::TableLocaleSource>();
    eras->eras[{2026, 12, 7}] = {"中華民國", 115};
    locale.Eras = eras;
    locale.PrimaryLanguage = LangChinese;
    locale.SubLanguage = SubLangChineseTraditional;
    EXPECT_EQ(FormatMoment("g|gg|e", Afternoon, locale), "民國|中華民國|115");
    locale.SubLanguage = 2;
    EXPECT_EQ(FormatMoment("g", Afternoon, locale), "中華民國");
    eras->eras[{2026, 12, 7}] = {"民國", 115};
    locale.SubLanguage = SubLangChineseTraditional;
    EXPECT_EQ(FormatMoment("g", Afternoon, locale), "民國");
    locale.PrimaryLanguage = LangEnglish;
    eras->eras[{2026, 12, 7}] = {"AD", 2026};
    EXPECT_EQ(FormatMoment("g e ee eee", Afternoon, locale), "AD 2026 2026 2026");
}

TEST(FormatMoment, WithoutEraSourceEraTokensShowNothing) {
    LocaleFormatSettings locale = JapaneseExampleLocale();
    locale.Eras.reset();
    EXPECT_EQ(FormatMoment("[gg e]", Afternoon, locale), "[ ]");
}

}  // namespace
}  // namespace kairos
