#include "clocktext/RenderTemplate.h"

#include <gtest/gtest.h>

#include <random>

#include "clocktext/FormatMoment.h"
#include "clocktext/MultiReplace.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"

namespace kairos {
namespace {

using testing::ExampleDay;
using testing::FakeClock;
using testing::JapaneseExampleLocale;

struct SplitCase {
    std::uint32_t ms;
    SplitTime expected;
};

class SplitCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCases, Splits) {
    const SplitTime s = SplitMilliseconds(GetParam().ms);
    EXPECT_EQ(s.hours, GetParam().expected.hours);
    EXPECT_EQ(s.minutes, GetParam().expected.minutes);
    EXPECT_EQ(s.seconds, GetParam().expected.seconds);
    EXPECT_EQ(s.milliseconds, GetParam().expected.milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Uptimes, SplitCases,
                         ::testing::Values(SplitCase{0, {0, 0, 0, 0}}, SplitCase{90'061'234, {25, 1, 1, 234}},
                                           SplitCase{3'599'999, {0, 59, 59, 999}},
                                           SplitCase{4'294'967'295u, {1193, 2, 47, 295}}));

struct TemplateCase {
    const char* templateText;
    std::uint32_t ticks;
    const char* expected;
};

class TemplateCases : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateCases, Renders) {
    FakeClock clock;
    clock.ticks = GetParam().ticks;
    EXPECT_EQ(RenderTemplate(GetParam().templateText, ExampleDay(), clock, JapaneseExampleLocale()),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TemplateCases,
    ::testing::Values(TemplateCase{"%tch:%tcn:%tcs.%tcm", 90'061'234, "25:01:01.234"},
                      TemplateCase{"%tcms", 90'061'234, "90061234"},
                      TemplateCase{"%tcms", 5, "005"},
                      TemplateCase{"%tch", 59'999, "0"},
                      TemplateCase{"%tcn:%tcs.%tcm", 59'999, "00:59.999"},
                      TemplateCase{"%tcms %tch", 3'000'000'000u, "3000000000 833"},  // above 2^31
                      TemplateCase{"hh:nn%nyyyy", 0, "15:04\r\n2026"},
                      TemplateCase{"%tch%tch%n%n", 7'200'000, "22\r\n\r\n"},
                      TemplateCase{"up %tch h", 7'200'000, "up 2 15"},   // the h after it is an hour
                      TemplateCase{"", 0, "2026/12/07 15:04:05"},
                      TemplateCase{"100%", 0, "100%"}));

TEST(RenderTemplate, UnknownPercentSequencesReachTheFormatLanguage) {
    FakeClock clock;
    clock.ticks = 90'061'234;
    const LocaleFormatSettings locale = JapaneseExampleLocale();
    for (const char* text : {"%TCH", "%md", "%tc", "%tcx", "%%tch"}) {
        const std::string expected = FormatMoment(
            MultiReplace(text, {RunTimeTokens.begin(), RunTimeTokens.end()}, {"25", "01", "01", "90061234", "234", "\r\n"},
                         ReplaceFlags::ReplaceAll, ""),
            ExampleDay(), locale);
        EXPECT_EQ(RenderTemplate(text, ExampleDay(), clock, locale), expected) << text;
    }
    EXPECT_EQ(RenderTemplate("%TCH", ExampleDay(), clock, locale), "%15:042026/12/07 15:04:0515");
}

// The single scan must give what the six replace passes one after another give.
TEST(RenderTemplate, MatchesSequentialReplacementOnRandomTemplates) {
    FakeClock clock;
    clock.ticks = 4'000'000'123u;
    const LocaleFormatSettings locale = JapaneseExampleLocale();
    const std::vector<std::string_view> values = {"1111", "06", "40", "4000000123", "123", "\r\n"};
    const std::vector<std::string_view> tokens(RunTimeTokens.begin(), RunTimeTokens.end());
    const std::string_view pieces[] = {"%", "t", "c", "h", "n", "s", "m", "ms", "%tc", "年", "'", "x"};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 20);
        for (int i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
        const std::string expected =
            FormatMoment(MultiReplace(text, tokens, values, ReplaceFlags::ReplaceAll, ""), ExampleDay(), locale);
        ASSERT_EQ(RenderTemplate(text, ExampleDay(), clock, locale), expected) << text;
    }
}

TEST(RenderTemplate, LongTemplatesAreReplacedWhole) {
    FakeClock clock;
    clock.ticks = 7'200'000;
    std::string text;
    for (int i = 0; i < 300; ++i) text += "'%tch'";
    EXPECT_EQ(RenderTemplate(text, ExampleDay(), clock, JapaneseExampleLocale()), std::string(256, '2'));
}

}  // namespace
}  // namespace kairos
