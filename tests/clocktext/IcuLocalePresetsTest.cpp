// The presets rendered with locales loaded from ICU's own data, so the
// mapping from ICU to the clock's locale values is checked end to end.

#include <gtest/gtest.h>

#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/LocaleSource.h"
#include "support/SampleLocale.h"

namespace kairos {
namespace {

using testing::ExampleDay;

struct PresetCase {
    const char* format;
    const char* japanese;
    const char* english;
};

class IcuPresets : public ::testing::TestWithParam<PresetCase> {
protected:
    static const LocaleFormatSettings& Locale(const char* name) {
        static const LocaleFormatSettings ja = LoadLocaleFormatSettings(platform::MakeLocaleSource("ja_JP"));
        static const LocaleFormatSettings en = LoadLocaleFormatSettings(platform::MakeLocaleSource("en_US"));
        return std::string_view(name) == "ja_JP" ? ja : en;
    }
};

TEST_P(IcuPresets, RenderInJapanese) {
    EXPECT_EQ(FormatMoment(GetParam().format, ExampleDay(), Locale("ja_JP")), GetParam().japanese);
}

TEST_P(IcuPresets, RenderInEnglish) {
    EXPECT_EQ(FormatMoment(GetParam().format, ExampleDay(), Locale("en_US")), GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, IcuPresets,
    ::testing::Values(PresetCase{"yyyy/mm/dd", "2026/12/07", "2026/12/07"},
                      PresetCase{"yyyy/mm/dd ddd", "2026/12/07 月", "2026/12/07 Mon"},
                      PresetCase{"yyyy年mm月dd日", "2026年12月07日", "2026年12月07日"},
                      PresetCase{"yyyy年mm月dd日(ddd)", "2026年12月07日(月)", "2026年12月07日(Mon)"},
                      PresetCase{"hh:nn:ss", "15:04:05", "15:04:05"},
                      PresetCase{"h:nn:ss", "15:04:05", "15:04:05"},
                      PresetCase{"AM/PM h:nn:ss", "PM 3:04:05", "PM 3:04:05"},
                      PresetCase{"AMPM h時nn分ss秒", "午後 3時04分05秒", "PM 3時04分05秒"},
                      PresetCase{"c", "2026/12/07 15:04:05", "12/7/26 3:04:05 PM"},
                      PresetCase{"dd日 am/pm h:mm:ss", "07日 pm 3:04:05", "07日 pm 3:04:05"},
                      PresetCase{"ampm h:nn:ss", "午後 3:04:05", "PM 3:04:05"},
                      PresetCase{"dddddd", "2026年12月7日", "December 7, 2026"},
                      PresetCase{"mmm mmmm dddd", "12月 12月 月曜日", "Dec December Monday"}));

struct EraCase {
    int year, month, day;
    const char* expected;
};

class IcuJapaneseEras : public ::testing::TestWithParam<EraCase> {};

TEST_P(IcuJapaneseEras, FollowTheImperialCalendar) {
    static const LocaleFormatSettings ja = LoadLocaleFormatSettings(platform::MakeLocaleSource("ja_JP"));
    const EraCase& c = GetParam();
    EXPECT_EQ(FormatMoment("gg e年|g ee", *TryEncodeDate(c.year, c.month, c.day), ja), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, IcuJapaneseEras,
                         ::testing::Values(EraCase{2026, 12, 7, "令和 8年|令 08"},
                                           EraCase{2019, 5, 1, "令和 1年|令 01"},
                                           EraCase{2019, 4, 30, "平成 31年|平 31"},
                                           EraCase{1989, 1, 8, "平成 1年|平 01"},
                                           EraCase{1989, 1, 7, "昭和 64年|昭 64"}));

TEST(IcuEras, TaiwanUsesTheRepublicCalendarAndEnglishTheGregorian) {
    const LocaleFormatSettings tw = LoadLocaleFormatSettings(platform::MakeLocaleSource("zh_TW"));
    EXPECT_EQ(FormatMoment("gg e", ExampleDay(), tw), "民國 115");
    const LocaleFormatSettings en = LoadLocaleFormatSettings(platform::MakeLocaleSource("en_US"));
    EXPECT_EQ(FormatMoment("gg e", ExampleDay(), en), "AD 2026");
}

}  // namespace
}  // namespace kairos
