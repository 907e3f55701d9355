#include "clocktext/LocaleFormatSettings.h"

#include <gtest/gtest.h>

#include "clocktext/FormatMoment.h"
#include "support/SampleLocale.h"

namespace kairos {
namespace {

using testing::ExampleDay;
using testing::TableLocaleSource;

struct PictureCase {
    const char* picture;
    int calendar;
    int language;
    const char* expected;
};

class TranslatePicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(TranslatePicture, Translates) {
    const PictureCase& c = GetParam();
    EXPECT_EQ(TranslateLocaleDatePicture(c.picture, c.calendar, c.language), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, TranslatePicture,
    ::testing::Values(PictureCase{"gg y/MM/dd", 3, LangJapanese, "ggg e/MM/dd"},
                      PictureCase{"yyyy年M月d日", 3, LangJapanese, "eeee年M月d日"},
                      PictureCase{"YY.Yyy", 4, LangChinese, "ee.eee"},  // yy, then yy, then y
                      PictureCase{"Gg'x'", 5, LangKorean, "ggg'x'"},
                      PictureCase{"gg yyyy/MM/dd", 1, LangJapanese, " yyyy/MM/dd"},
                      PictureCase{"Gyy年", 1, LangChinese, "yy年"},
                      PictureCase{"gg yyyy", 1, LangKorean, " yyyy"},
                      PictureCase{"gg yyyy", 1, LangEnglish, "gg yyyy"},
                      PictureCase{"yyyy", 1, LangEnglish, "yyyy"}));

TEST(LoadLocaleFormatSettings, AnEmptyLocaleGivesTheEnglishDefaults) {
    const LocaleFormatSettings s = LoadLocaleFormatSettings(std::make_shared<TableLocaleSource>());
    EXPECT_EQ(s.DateSeparatorChar, '/');
    EXPECT_EQ(s.TimeSeparatorChar, ':');
    EXPECT_EQ(s.ShortDatePicture, "m/d/yy");
    EXPECT_EQ(s.LongDatePicture, "mmmm d, yyyy");
    EXPECT_EQ(s.ShortTimePicture, "h:mm AMPM");
    EXPECT_EQ(s.LongTimePicture, "h:mm:ss AMPM");
    EXPECT_EQ(s.AmText, "am");
    EXPECT_EQ(s.PmText, "pm");
    EXPECT_EQ(s.MonthShortNames[1], "Jan");
    EXPECT_EQ(s.MonthLongNames[12], "December");
    EXPECT_EQ(s.DayShortNames[1], "Sun");
    EXPECT_EQ(s.DayLongNames[7], "Saturday");
    EXPECT_EQ(s.PrimaryLanguage, LangEnglish);
    EXPECT_EQ(s.SubLanguage, 1);
    EXPECT_EQ(FormatMoment("c", ExampleDay(), s), "12/7/26 3:04:05 pm");
}

struct TimePictureCase {
    std::optional<int> timeFormat, leadingZero, markerPosition;
    const char* shortPicture;
    const char* longPicture;
};

class ComposedTimePictures : public ::testing::TestWithParam<TimePictureCase> {};

TEST_P(ComposedTimePictures, FollowTheLocaleClock) {
    auto source = std::make_shared<TableLocaleSource>();
    source->values.timeFormat = GetParam().timeFormat;
    source->values.hourLeadingZero = GetParam().leadingZero;
    source->values.timeMarkerPosition = GetParam().markerPosition;
    const LocaleFormatSettings s = LoadLocaleFormatSettings(source);
    EXPECT_EQ(s.ShortTimePicture, GetParam().shortPicture);
    EXPECT_EQ(s.LongTimePicture, GetParam().longPicture);
}

INSTANTIATE_TEST_SUITE_P(Clocks, ComposedTimePictures,
                         ::testing::Values(TimePictureCase{1, 0, 0, "h:mm", "h:mm:ss"},
                                           TimePictureCase{1, 1, 1, "hh:mm", "hh:mm:ss"},
                                           TimePictureCase{0, 0, 0, "h:mm AMPM", "h:mm:ss AMPM"},
                                           TimePictureCase{0, 1, 1, "AMPM hh:mm", "AMPM hh:mm:ss"},
                                           TimePictureCase{std::nullopt, std::nullopt, 1, "AMPM h:mm",
                                                           "AMPM h:mm:ss"}));

TEST(LoadLocaleFormatSettings, TakesLanguageNamesAndPicturesFromTheLocale) {
    auto source = std::make_shared<TableLocaleSource>();
    source->values.localeId = 0x404;  // Chinese (Taiwan)
    source->values.dateSeparator = "-";
    source->values.timeSeparator = "";
    source->values.shortDatePicture = "gg yyyy/M/d";
    source->values.monthShortNames[0] = "一月";
    source->values.monthShortNames[1] = "";  // empty counts as nothing
    source->values.dayShortNames[1] = "週一";
    const LocaleFormatSettings s = LoadLocaleFormatSettings(source);
    EXPECT_EQ(s.PrimaryLanguage, LangChinese);
    EXPECT_EQ(s.SubLanguage, SubLangChineseTraditional);
    EXPECT_EQ(s.DateSeparatorChar, '-');
    EXPECT_EQ(s.TimeSeparatorChar, '\0');
    EXPECT_EQ(s.ShortDatePicture, " yyyy/M/d");
    EXPECT_EQ(s.MonthShortNames[1], "一月");
    EXPECT_EQ(s.MonthShortNames[2], "Feb");
    EXPECT_EQ(s.DayShortNames[2], "週一");
    EXPECT_EQ(s.Eras, source);
}

TEST(LoadLocaleFormatSettings, EraCalendarTurnsYearsIntoEraYears) {
    auto source = std::make_shared<TableLocaleSource>();
    source->values.localeId = 0x411;
    source->values.calendarType = 3;
    source->values.shortDatePicture = "gg y/MM/dd";
    source->eras[{2026, 12, 7}] = {"令和", 8};
    const LocaleFormatSettings s = LoadLocaleFormatSettings(source);
    EXPECT_EQ(s.PrimaryLanguage, LangJapanese);
    EXPECT_EQ(s.SubLanguage, 1);
    EXPECT_EQ(FormatMoment("ddddd", ExampleDay(), s), "令和 8/12/07");
}

TEST(LoadLocaleFormatSettings, ALocaleIdWithoutLanguageKeepsEnglish) {
    auto source = std::make_shared<TableLocaleSource>();
    source->values.localeId = 0x10000;
    const LocaleFormatSettings s = LoadLocaleFormatSettings(source);
    EXPECT_EQ(s.PrimaryLanguage, LangEnglish);
    EXPECT_EQ(s.SubLanguage, 1);
}

}  // namespace
}  // namespace kairos
