#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/LocaleSource.h"
#include "platform/posix/IcuPattern.h"

namespace kairos::platform {
namespace {

// ---- UserLocaleName ---------------------------------------------------------

constexpr std::array<const char*, 3> LocaleVariables{"LC_ALL", "LC_TIME", "LANG"};

void SetOrUnset(const char* name, const char* value) {
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

// Sets the locale variables for one case and puts the old ones back after it.
class LocaleEnvironment {
public:
    explicit LocaleEnvironment(const std::array<const char*, 3>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (const char* old = std::getenv(LocaleVariables[i])) saved_[i] = old;
            SetOrUnset(LocaleVariables[i], values[i]);
        }
    }
    ~LocaleEnvironment() {
        for (std::size_t i = 0; i < saved_.size(); ++i)
            SetOrUnset(LocaleVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

private:
    std::array<std::optional<std::string>, 3> saved_;
};

struct EnvCase {
    std::array<const char*, 3> values;  // LC_ALL, LC_TIME, LANG; nullptr: unset
    const char* expected;
};

class UserLocaleNameTest : public ::testing::TestWithParam<EnvCase> {};

TEST_P(UserLocaleNameTest, ReadsTheFirstSetVariableWithoutCodeset) {
    const LocaleEnvironment environment(GetParam().values);
    EXPECT_EQ(UserLocaleName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, UserLocaleNameTest,
    ::testing::Values(EnvCase{{"ja_JP.UTF-8", "de_DE.UTF-8", "ko_KR.UTF-8"}, "ja_JP"},
                      EnvCase{{nullptr, "de_DE.UTF-8", "ko_KR.UTF-8"}, "de_DE"},
                      EnvCase{{"", "", "ko_KR.UTF-8"}, "ko_KR"},  // empty counts as unset
                      EnvCase{{nullptr, nullptr, "de_DE@euro"}, "de_DE"},
                      EnvCase{{nullptr, nullptr, "de_DE.ISO-8859-15@euro"}, "de_DE"},
                      EnvCase{{nullptr, nullptr, "ja_JP@calendar=japanese"}, "ja_JP@calendar=japanese"},
                      EnvCase{{nullptr, nullptr, "ja_JP.UTF-8@calendar=japanese"}, "ja_JP@calendar=japanese"},
                      EnvCase{{"C", nullptr, "ja_JP.UTF-8"}, "en_US"},  // C is a choice, not a gap
                      EnvCase{{nullptr, "C.UTF-8", nullptr}, "en_US"},
                      EnvCase{{nullptr, nullptr, "POSIX"}, "en_US"},
                      EnvCase{{nullptr, nullptr, nullptr}, "en_US"}));

// ---- Date pattern translation -----------------------------------------------

struct PatternCase {
    const char16_t* icu;
    const char* clock;
};

class TranslateIcuDatePatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(TranslateIcuDatePatternTest, WritesTheClockPicture) {
    EXPECT_EQ(TranslateIcuDatePattern(GetParam().icu), GetParam().clock);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TranslateIcuDatePatternTest,
    ::testing::Values(PatternCase{u"y/MM/dd", "yyyy/MM/dd"}, PatternCase{u"yy.M.d", "yy.M.d"},
                      PatternCase{u"yyy", "yyyy"}, PatternCase{u"LLL MMMMM", "MMM MMMM"},
                      PatternCase{u"E EEE EEEE EEEEE", "ddd ddd dddd ddd"},
                      PatternCase{u"c cc ccc cccc e eeee", "  ddd dddd  dddd"},
                      PatternCase{u"GGGGGy/M/d", "ggyyyy/M/d"},
                      // Fields the clock cannot show vanish, their literals stay.
                      PatternCase{u"QQQ y, w", " yyyy, "}, PatternCase{u"h:mm a", ": "},
                      // Side by side, d and ddd would read as one run of four d's.
                      PatternCase{u"dE", "d''ddd"}));

INSTANTIATE_TEST_SUITE_P(
    Literals, TranslateIcuDatePatternTest,
    ::testing::Values(PatternCase{u"y年M月d日", "yyyy年M月d日"},
                      PatternCase{u"d 'de' MMMM 'de' y", "d 'de' MMMM 'de' yyyy"},
                      PatternCase{u"y('e')'ko' MMMM'ren' d('a')", "yyyy('e')'ko' MMMM'ren' d('a')"},
                      PatternCase{u"d.MM.yy 'г'.", "d.MM.yy г."},        // not ASCII: no quotes needed
                      PatternCase{u"d 'x/y:z' M", "d 'x'/'y':'z' M"},  // separators stay tokens
                      // An apostrophe is only safe inside double quotes, a double quote inside apostrophes.
                      PatternCase{u"''", "\"'\""}, PatternCase{u"d'o''clock'", "d'o'\"'clock\""},
                      PatternCase{u"d\"M", "d'\"'M"}, PatternCase{u"'a\"b'", "'a\"b'"},
                      PatternCase{u"y\U00020BB7d", "yyyy\xF0\xA0\xAE\xB7" "d"},  // outside the BMP
                      PatternCase{u"d 'de", "d 'de'"}));  // an unclosed quote runs to the end

// ---- ReadValues ----------------------------------------------------------------

struct LocaleCase {
    const char* locale;
    std::uint32_t localeId;
    const char* dateSeparator;
    const char* timeSeparator;
    int timeFormat, hourLeadingZero, timeMarkerPosition;
    const char* shortDate;  // nullptr: not checked, CLDR revises it
    const char* longDate;
    const char* amText;
    const char* pmText;
};

void ExpectIfGiven(const std::optional<std::string>& actual, const char* expected) {
    if (expected != nullptr) {
        EXPECT_EQ(actual, expected);
    }
}

class ReadValuesTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ReadValuesTest, MatchesTheLocale) {
    const LocaleCase& c = GetParam();
    const auto values = MakeLocaleSource(c.locale)->ReadValues();
    EXPECT_EQ(values.localeId, c.localeId);
    EXPECT_EQ(values.calendarType, 1);
    EXPECT_EQ(values.dateSeparator, c.dateSeparator);
    EXPECT_EQ(values.timeSeparator, c.timeSeparator);
    EXPECT_EQ(values.timeFormat, c.timeFormat);
    EXPECT_EQ(values.hourLeadingZero, c.hourLeadingZero);
    EXPECT_EQ(values.timeMarkerPosition, c.timeMarkerPosition);
    ASSERT_TRUE(values.shortDatePicture && values.longDatePicture);
    ExpectIfGiven(values.shortDatePicture, c.shortDate);
    ExpectIfGiven(values.longDatePicture, c.longDate);
    ExpectIfGiven(values.amText, c.amText);
    ExpectIfGiven(values.pmText, c.pmText);
    for (const auto* names : {&values.monthShortNames, &values.monthLongNames})
        for (const auto& name : *names) EXPECT_TRUE(name && !name->empty());
    for (const auto* names : {&values.dayShortNames, &values.dayLongNames})
        for (const auto& name : *names) EXPECT_TRUE(name && !name->empty());
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ReadValuesTest,
    ::testing::Values(
        LocaleCase{"ja_JP", 0x411, "/", ":", 1, 0, 0, "yyyy/MM/dd", "yyyy年M月d日", "午前", "午後"},
        LocaleCase{"en_US", 0x409, "/", ":", 0, 0, 0, "M/d/yy", "MMMM d, yyyy", "AM", "PM"},
        LocaleCase{"de_DE", 0x407, ".", ":", 1, 1, 0, nullptr, nullptr, nullptr, nullptr},
        LocaleCase{"ko_KR", 0x412, ".", ":", 0, 0, 1, nullptr, nullptr, nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.locale); });

TEST(ReadValues, NamesStartWithJanuaryAndSunday) {
    // Months are counted in the Gregorian calendar whatever the locale's own.
    for (const char* locale : {"en_US", "en_US@calendar=hebrew"}) {
        SCOPED_TRACE(locale);
        const auto values = MakeLocaleSource(locale)->ReadValues();
        EXPECT_EQ(values.monthLongNames[0], "January");
        EXPECT_EQ(values.monthShortNames[11], "Dec");
        EXPECT_EQ(values.dayLongNames[0], "Sunday");
        EXPECT_EQ(values.dayShortNames[6], "Sat");
    }
    const auto ja = MakeLocaleSource("ja_JP")->ReadValues();
    EXPECT_EQ(ja.monthShortNames[0], "1月");
    EXPECT_EQ(ja.dayLongNames[0], "日曜日");
}

TEST(ReadValues, SeparatorsSkipWordsAndInvisibleMarks) {
    // Arabic writes d<RLM>/M<RLM>/y; the mark is not the separator.
    EXPECT_EQ(MakeLocaleSource("ar_EG")->ReadValues().dateSeparator, "/");
    // Canadian French writes 13 h 45: no separator at all.
    EXPECT_EQ(MakeLocaleSource("fr_CA")->ReadValues().timeSeparator, std::nullopt);
}

TEST(ReadValues, CalendarTypeFollowsTheCalendarKeyword) {
    EXPECT_EQ(MakeLocaleSource("ja_JP@calendar=japanese")->ReadValues().calendarType, 3);
    EXPECT_EQ(MakeLocaleSource("zh_TW@calendar=roc")->ReadValues().calendarType, 4);
    EXPECT_EQ(MakeLocaleSource("ko_KR@calendar=dangi")->ReadValues().calendarType, 5);
    EXPECT_EQ(MakeLocaleSource("en_US@calendar=gregorian")->ReadValues().calendarType, 1);
    // The clock turns gg into era names only if the picture still has them.
    const auto era = MakeLocaleSource("ja_JP@calendar=japanese")->ReadValues().longDatePicture;
    EXPECT_NE(era.value_or("").find("gg"), std::string::npos);
}

// ---- EraOf ---------------------------------------------------------------------

struct EraCase {
    const char* locale;
    int year, month, day;
    const char* era;
    int eraYear;
};

// The era must not depend on the process's time zone: far east of UTC, noon
// UTC is already the next day.
class EraOfTest : public ::testing::TestWithParam<EraCase> {
protected:
    void SetUp() override {
        saved_.reset(icu::TimeZone::createDefault());
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("Pacific/Kiritimati"));
    }
    void TearDown() override { icu::TimeZone::adoptDefault(saved_.release()); }

private:
    std::unique_ptr<icu::TimeZone> saved_;
};

TEST_P(EraOfTest, NamesTheEraAndItsYear) {
    const EraCase& c = GetParam();
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
    const auto era = MakeLocaleSource(c.locale)->EraOf(c.year, c.month, c.day);
    ASSERT_TRUE(era);
    EXPECT_EQ(era->name, c.era);
    EXPECT_EQ(era->year, c.eraYear);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, EraOfTest,
    ::testing::Values(EraCase{"ja_JP", 2026, 12, 7, "令和", 8}, EraCase{"ja_JP", 2019, 5, 1, "令和", 1},
                      EraCase{"ja_JP", 2019, 4, 30, "平成", 31}, EraCase{"ja_JP", 1989, 1, 8, "平成", 1},
                      EraCase{"ja_JP", 1989, 1, 7, "昭和", 64},
                      EraCase{"ja_JP@calendar=gregorian", 2019, 5, 1, "令和", 1},
                      EraCase{"zh_TW", 2026, 12, 7, "民國", 115}, EraCase{"zh_Hant_TW", 2026, 1, 1, "民國", 115},
                      EraCase{"en_US", 2026, 12, 7, "AD", 2026},
                      EraCase{"en_US", 1, 12, 31, "AD", 1}));  // Julian dates would make this year 2

TEST(EraOf, DatesWithoutAnEraGiveNothing) {
    const auto ja = MakeLocaleSource("ja_JP");
    EXPECT_FALSE(ja->EraOf(0, 1, 1));
    EXPECT_FALSE(ja->EraOf(2026, 13, 1));
    EXPECT_FALSE(ja->EraOf(2026, 2, 29));
    EXPECT_FALSE(ja->EraOf(600, 1, 1));  // before the first Japanese era
    EXPECT_TRUE(ja->EraOf(2024, 2, 29));
}

TEST(EraOf, OneSourceServesManyThreads) {
    const auto ja = MakeLocaleSource("ja_JP");
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&ja, &wrong, t] {
            for (int i = 0; i < 200; ++i) {
                const bool heisei = (i + t) % 2 == 0;
                const auto era = heisei ? ja->EraOf(1990, 1, 1) : ja->EraOf(2020, 1, 1);
                if (!era || era->year != 2 || era->name != (heisei ? "平成" : "令和")) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace kairos::platform
