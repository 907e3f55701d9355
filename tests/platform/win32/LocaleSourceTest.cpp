// The locale values Windows gives for two locales, the requoting of date
// pictures, and the eras of the alternate calendar.

#include "platform/LocaleSource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>

#include "platform/win32/DatePicture.h"

namespace kairos::platform {
namespace {

struct ValuesCase {
    const char* locale;
    std::uint32_t localeId;
    const char* dateSeparator;
    const char* shortDate;
    const char* am;
    const char* pm;
    const char* january;
    const char* sunday;
    int timeFormat;
    int hourLeadingZero;
};

void PrintTo(const ValuesCase& c, std::ostream* os) {
    *os << c.locale;
}

class LocaleValues : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(LocaleValues, AreTheLocalesOwn) {
    const ValuesCase& c = GetParam();
    const RawLocaleValues values = MakeLocaleSource(c.locale)->ReadValues();
    EXPECT_EQ(values.localeId, c.localeId);
    EXPECT_EQ(values.calendarType, 1);
    EXPECT_EQ(values.dateSeparator, c.dateSeparator);
    EXPECT_EQ(values.timeSeparator, ":");
    EXPECT_EQ(values.shortDatePicture, c.shortDate);
    EXPECT_EQ(values.amText, c.am);
    EXPECT_EQ(values.pmText, c.pm);
    EXPECT_EQ(values.monthLongNames[0], c.january);
    EXPECT_EQ(values.dayLongNames[0], c.sunday);
    EXPECT_EQ(values.timeFormat, c.timeFormat);
    EXPECT_EQ(values.hourLeadingZero, c.hourLeadingZero);
    EXPECT_EQ(values.timeMarkerPosition, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleValues,
    ::testing::Values(ValuesCase{"ja-JP", 0x411, "/", "yyyy/M/d", "午前", "午後", "1月", "日曜日", 1, 0},
                      ValuesCase{"ja_JP", 0x411, "/", "yyyy/M/d", "午前", "午後", "1月", "日曜日", 1, 0},
                      ValuesCase{"en-US", 0x409, "/", "M/d/yyyy", "AM", "PM", "January", "Sunday", 0, 0},
                      ValuesCase{"de-DE", 0x407, ".", "d.M.yyyy", "AM", "PM", "Januar", "Sonntag", 1, 1}));

TEST(LocaleValues, AnUnknownLocaleGivesNothing) {
    const RawLocaleValues values = MakeLocaleSource("xx-YY")->ReadValues();
    EXPECT_EQ(values.localeId, 0u);
    EXPECT_FALSE(values.dateSeparator);
    EXPECT_FALSE(values.longDatePicture);
    EXPECT_FALSE(values.monthShortNames[11]);
}

TEST(LocaleValues, TheUserLocaleIsOneWindowsKnows) {
    EXPECT_NE(MakeLocaleSource(UserLocaleName())->ReadValues().localeId, 0u) << UserLocaleName();
}

struct PictureCase {
    const char* windows;
    const char* clock;
};


class DatePictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(DatePictures, ReadInTheClocksLetters) {
    EXPECT_EQ(TranslateWindowsDatePicture(GetParam().windows), GetParam().clock) << GetParam().windows;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DatePictures,
    ::testing::Values(PictureCase{"dddd, MMMM d, yyyy", "dddd, MMMM d, yyyy"},
                      PictureCase{"yyyy'年'M'月'd'日'", "yyyy年M月d日"},
                      PictureCase{"gg y'年'M'月'd'日'", "gg y年M月d日"},
                      PictureCase{"d' de 'MMMM' de 'yyyy", "d 'de' MMMM 'de' yyyy"},
                      PictureCase{"d t MMMM", "d 't' MMMM"},  // unquoted letters Windows takes literally
                      PictureCase{"yy''MM", "yy\"'\"MM"},   // an apostrophe
                      PictureCase{"dd\"x\"", "dd'\"x\"'"},  // a double quote is no quote to Windows
                      PictureCase{"ddddd MMMMM", "dddd MMMM"}));

// Wine formats DATE_USE_ALT_CALENDAR dates in the Gregorian calendar (and
// writes "gg" as the era name twice), so the Japanese eras show only on
// Windows itself.
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct EraCase {
    int year, month, day;
    const char* era;
    int eraYear;
};

void PrintTo(const EraCase& c, std::ostream* os) {
    *os << c.year << '-' << c.month << '-' << c.day;
}

class JapaneseEras : public ::testing::TestWithParam<EraCase> {};

TEST_P(JapaneseEras, ChangeOnTheirFirstDay) {
    if (UnderWine()) GTEST_SKIP() << "wine has no Japanese era calendar";
    const EraCase& c = GetParam();
    const auto era = MakeLocaleSource("ja-JP")->EraOf(c.year, c.month, c.day);
    ASSERT_TRUE(era);
    EXPECT_EQ(era->name, c.era);
    EXPECT_EQ(era->year, c.eraYear);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, JapaneseEras,
                         ::testing::Values(EraCase{2019, 5, 1, "令和", 1}, EraCase{2019, 4, 30, "平成", 31}));

TEST(EraOf, GregorianLocalesCountFromTheCommonEra) {
    const auto era = MakeLocaleSource("en-US")->EraOf(2026, 12, 7);
    ASSERT_TRUE(era);
    EXPECT_FALSE(era->name.empty());
    EXPECT_EQ(era->year, 2026);
}

TEST(EraOf, DatesWithoutAnEraGiveNothing) {
    const auto ja = MakeLocaleSource("ja-JP");
    EXPECT_FALSE(ja->EraOf(2026, 2, 29));
    EXPECT_FALSE(ja->EraOf(2026, 13, 1));
    EXPECT_FALSE(ja->EraOf(1600, 12, 31));
    EXPECT_TRUE(ja->EraOf(2024, 2, 29));
}

}  // namespace
}  // namespace kairos::platform
