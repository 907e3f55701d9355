#include "settings/IniStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/PathNames.h"
#include "settings/FolderMacros.h"
#include "support/SampleLocale.h"

namespace kairos {
namespace {

using ::testing::ElementsAre;

IniStore Parsed(std::string_view bytes) {
    IniStore ini("test.ini", IniLoading::Empty);
    ini.SetFileContent(bytes);
    return ini;
}

// ---- Reading a file and writing it back ---------------------------------------

struct LayoutCase {
    const char* what;
    std::string_view file;
    std::string_view written;
};

class FileLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(FileLayout, IsNormalisedOnWriting) {
    EXPECT_EQ(Parsed(GetParam().file).FileContent(), GetParam().written) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileLayout,
    ::testing::Values(
        LayoutCase{"empty", "", ""},
        LayoutCase{"CR LF, CR and LF all end lines", "[A]\rk=1\nj=2\r\ni=3", "[A]\r\nk=1\r\nj=2\r\ni=3\r\n\r\n"},
        LayoutCase{"blanks and control characters trimmed", "  [ General ] \x01\r\n\t key \t=  Value x  \x1F\r\n",
                   "[General]\r\nkey=Value x\r\n\r\n"},
        LayoutCase{"comments, empty lines and lines before the first section go",
                   "orphan=1\r\n;comment\r\n[S]\r\n\r\n  ;k=2\r\n\r\nk=v\r\n", "[S]\r\nk=v\r\n\r\n"},
        LayoutCase{"bare lines stay", "[S]\nbare text\n[\nk=v", "[S]\r\nbare text\r\n[\r\nk=v\r\n\r\n"},
        LayoutCase{"a value keeps later equals signs", "[S]\nk = a = b", "[S]\r\nk=a = b\r\n\r\n"},
        LayoutCase{"sections of one name stay apart", "[A]\nk=1\n[a]\nk=2\n[]\n",
                   "[A]\r\nk=1\r\n\r\n[a]\r\nk=2\r\n\r\n[]\r\n\r\n"},
        LayoutCase{"byte-order mark skipped", "\xEF\xBB\xBF[S]\nk=v", "[S]\r\nk=v\r\n\r\n"}));

TEST(IniStore, FindsTheLastSectionAndKeyOfAName) {
    const IniStore ini = Parsed("[General]\nDate=1\nDate=2\nbare\n[Other]\nx=\n[GENERAL]\nTime=Late Value\n");
    EXPECT_EQ(ini.ReadString("general", "time", "-"), "Late Value");
    EXPECT_EQ(ini.ReadString("General", "Date", "-"), "-") << "the earlier General is hidden";
    EXPECT_EQ(ini.ReadString("other", "X", "-"), "") << "an empty value is no missing key";
    EXPECT_EQ(ini.ReadString("Other", "bare", "-"), "-");
    EXPECT_FALSE(ini.ValueExists("General", "bare"));
    EXPECT_EQ(ini.ReadString("Missing", "x", "-"), "-");
    EXPECT_THAT(ini.ReadSections(), ElementsAre("General", "Other", "GENERAL"));
    const IniStore japanese = Parsed("[Ａbc]\nキーA=1\n");
    EXPECT_EQ(japanese.ReadString("ＡBC", "キーa", "-"), "1");
    EXPECT_EQ(japanese.ReadString("ａbc", "キーA", "-"), "-") << "full-width letters are compared exactly";
}

TEST(IniStore, WritesInPlaceWithTheCallersSpelling) {
    IniStore ini = Parsed("[S]\nDate=1\nOther=2\nDATE=3\n[s]\nDate=4\nLast=5\n");
    ini.WriteString("s", "date", "new");
    ini.WriteString("S", "added", "6");
    ini.WriteString("Fresh", "k", "v");
    EXPECT_EQ(ini.FileContent(),
              "[S]\r\nDate=1\r\nOther=2\r\nDATE=3\r\n\r\n"
              "[s]\r\ndate=new\r\nLast=5\r\nadded=6\r\n\r\n"
              "[Fresh]\r\nk=v\r\n\r\n");
    IniStore empty = Parsed("");
    empty.Section = "General";
    empty.WriteText("DateFormat", "yyyy/mm/dd");
    EXPECT_EQ(empty.FileContent(), "[General]\r\nDateFormat=yyyy/mm/dd\r\n\r\n");
}

TEST(IniStore, ALineBreakInAValueCannotAddKeysOrSections) {
    IniStore ini = Parsed("[Alarm1]\nMessage=old\n");
    ini.WriteString("Alarm1", "Message", "wake\r\n[General]\nTimeFormat=x");
    const IniStore reread = Parsed(ini.FileContent());
    EXPECT_EQ(reread.ReadSections(), std::vector<std::string>{"Alarm1"});
    EXPECT_EQ(reread.ReadString("Alarm1", "Message", ""), "wake  [General] TimeFormat=x");
}

TEST(IniStore, ListsErasesAndClears) {
    IniStore ini = Parsed("[A]\nk=1\nbare\nj=2\n[B]\nx=1\n[a]\nm=3\nn=4\n");
    EXPECT_THAT(ini.ReadSection("A"), ElementsAre("m", "n"));
    EXPECT_THAT(Parsed("[H]\n2=b\nbare\nx = y=z\n1=\n").ReadSectionValues("h"), ElementsAre("2=b", "x=y=z", "1="));
    EXPECT_TRUE(ini.ReadSectionValues("Missing").empty());
    ini.EraseSection("A");
    EXPECT_THAT(ini.ReadSections(), ElementsAre("B"));
    ini.Clear();
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_EQ(ini.FileContent(), "");
}

// ---- Numbers, flags and points --------------------------------------------------

struct NumberCase {
    std::string_view text;
    std::optional<std::int32_t> value;  // empty: the default
};

class ReadNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumber, AcceptsDecimalAndHexadecimal) {
    IniStore ini = Parsed("");
    ini.Section = "S";
    ini.WriteText("n", GetParam().text);
    EXPECT_EQ(ini.ReadNumber("n", -77), GetParam().value.value_or(-77)) << GetParam().text;
}

constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadNumber,
    ::testing::Values(NumberCase{"0x1F", 31}, NumberCase{"0X1f", 31}, NumberCase{"1F", {}}, NumberCase{"$1F", 31},
                      NumberCase{"-12", -12}, NumberCase{"+7", 7}, NumberCase{" 5", 5}, NumberCase{"-$1", -1},
                      NumberCase{"", {}}, NumberCase{"0x", {}}, NumberCase{"$", {}}, NumberCase{"12abc", {}},
                      NumberCase{"--5", {}}, NumberCase{"$-5", {}}, NumberCase{"0x-5", {}}, NumberCase{"5 ", {}},
                      NumberCase{"2147483647", Max32}, NumberCase{"2147483648", {}},
                      NumberCase{"-2147483648", Min32}, NumberCase{"-2147483649", {}},
                      NumberCase{"$FFFFFFFF", -1}, NumberCase{"0x80000000", Min32}, NumberCase{"$100000000", {}},
                      NumberCase{"99999999999999999999", {}}));

TEST(IniStore, FlagsAreNumbers) {
    IniStore ini = Parsed("[S]\nTwo=2\nHex=0x1\nYes=yes\nZero=0\n");
    ini.Section = "S";
    EXPECT_TRUE(ini.ReadFlag("Two", false) && ini.ReadFlag("Hex", false) && ini.ReadFlag("Yes", true));
    EXPECT_FALSE(ini.ReadFlag("Yes", false) || ini.ReadFlag("Zero", true));
    ini.WriteFlag("Zero", true);
    EXPECT_EQ(ini.ReadText("Zero", ""), "1");
}

struct PointCase {
    std::string_view text;
    Point point;
};

class ReadPoint : public ::testing::TestWithParam<PointCase> {};

TEST_P(ReadPoint, FallsBackPerCoordinate) {
    IniStore ini = Parsed("");
    ini.Section = "S";
    ini.WriteText("P", GetParam().text);
    EXPECT_EQ(ini.ReadPoint("P", Point{184, 425}), GetParam().point) << GetParam().text;
    ini.WritePoint("P", GetParam().point);
    EXPECT_EQ(ini.ReadPoint("P", Point{}), GetParam().point);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadPoint,
                         ::testing::Values(PointCase{"10,20", {10, 20}}, PointCase{",5", {184, 5}},
                                           PointCase{"7", {7, 425}}, PointCase{"abc,50", {184, 50}},
                                           PointCase{"100", {100, 425}}, PointCase{"10, 20", {10, 20}},
                                           PointCase{"1,2,3", {1, 425}}, PointCase{"-5,-6", {-5, -6}},
                                           PointCase{"", {184, 425}}));

TEST(SplitToken, TakesTheTextBeforeTheFirstSeparator) {
    std::string text = "AM/PM - 午前午後";
    EXPECT_EQ(SplitToken(text, ' '), "AM/PM");
    EXPECT_EQ(text, "- 午前午後");
    EXPECT_EQ(SplitToken(text, ','), "- 午前午後");
    EXPECT_EQ(text, "");
}

// ---- Colours ------------------------------------------------------------------------

struct ColorCase {
    std::string_view text;
    ColorValue color;
};

class ReadColor : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ReadColor, TakesNamesAndNumbers) {
    IniStore ini = Parsed("");
    ini.Section = "S";
    ini.WriteText("C", GetParam().text);
    EXPECT_EQ(ini.ReadColor("C", 0x12345678), GetParam().color) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadColor,
                         ::testing::Values(ColorCase{"clRed", 0xFF}, ColorCase{"CLRED", 0xFF},
                                           ColorCase{"$000000FF", 0xFF}, ColorCase{"255", 0xFF},
                                           ColorCase{"clBtnFace", 0xFF00000F}, ColorCase{"$FF00000F", 0xFF00000F},
                                           ColorCase{"-1", 0xFFFFFFFF}, ColorCase{"cl3ddkshadow", 0xFF000015}));

TEST(IniStore, ColourThatIsNoNumberIsAnError) {
    IniStore ini = Parsed("[S]\nEmpty=\nWord=red\nHex=0x10\n");
    ini.Section = "S";
    EXPECT_EQ(ini.ReadColor("Missing", 0x20000000), 0x20000000u);
    for (const auto& [key, message] : {std::pair{"Empty", "'' は整数ではありません"},
                                       std::pair{"Word", "'red' は整数ではありません"},
                                       std::pair{"Hex", "'0x10' は整数ではありません"}}) {
        try {
            ini.ReadColor(key, 0);
            ADD_FAILURE() << key << " read without an error";
        } catch (const ValueFormatError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

TEST(IniStore, WrittenColoursReadBackTheSame) {
    EXPECT_EQ(ColorNameTable.front().name, "clBlack");
    EXPECT_EQ(ColorNameTable.back().name, "clWindowText");
    IniStore ini = Parsed("");
    ini.Section = "S";
    ini.WriteColor("C", 0x00C0DCC0);
    EXPECT_EQ(ini.ReadText("C", ""), "clMoneyGreen");
    ini.WriteColor("C", 0xFE00A0B1);
    EXPECT_EQ(ini.ReadText("C", ""), "$FE00A0B1");
    std::vector<ColorValue> colors = {0, 0x00123456, 0x80000000, 0xFFFFFFFF, 0x1FFFFFFF};
    for (const ColorName& entry : ColorNameTable) colors.push_back(entry.value);
    for (const ColorValue color : colors) {
        ini.WriteColor("C", color);
        EXPECT_EQ(ini.ReadColor("C", ~color), color) << ini.ReadText("C", "");
    }
}

// ---- Paths --------------------------------------------------------------------------------

ResolvedFolders WithApplicationFolder(const std::string& folder) {
    ResolvedFolders folders;
    folders.back() = folder;  // %APPLICATION% is the last entry
    return folders;
}

TEST(IniPaths, FollowTheProgramFolder) {
    const ResolvedFolders saved = CurrentResolvedFolders();
    SetResolvedFolders(WithApplicationFolder("/opt/tools"));
    IniStore ini = Parsed("[S]\nLower=%application%/c.wav\n");
    ini.Section = "S";
    ini.WritePath("Sound", "/opt/tools/a.wav");
    EXPECT_EQ(ini.ReadText("Sound", ""), "%APPLICATION%/a.wav");
    // The rest of the path takes the system's own separator.
    const std::string separator(1, platform::PreferredSeparator());
    EXPECT_EQ(ini.ReadPath("Missing", "%APPLICATION%/b.wav"), "/opt/tools" + separator + "b.wav");
    EXPECT_EQ(ini.ReadPath("Lower", ""), "%application%/c.wav");
    SetResolvedFolders(WithApplicationFolder("/srv/clock"));
    EXPECT_EQ(ini.ReadPath("Sound", ""), "/srv/clock" + separator + "a.wav");
    SetResolvedFolders(saved);
}

// ---- Dates and times ----------------------------------------------------------------------

struct DateCase {
    std::string_view picture;
    std::string_view text;
    std::optional<Moment> date;
};

class ParseDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(ParseDate, ReadsWhatThePictureWrites) {
    EXPECT_EQ(ParseDateText(GetParam().text, GetParam().picture, 2026), GetParam().date)
        << GetParam().picture << " " << GetParam().text;
}

const Moment Dec7 = *TryEncodeDate(2026, 12, 7);

INSTANTIATE_TEST_SUITE_P(
    Pictures, ParseDate,
    ::testing::Values(DateCase{"yyyy/MM/dd", "2026/12/07", Dec7}, DateCase{"m/d/yy", "12/7/26", Dec7},
                      DateCase{"m/d/yy", "1/1/75", TryEncodeDate(2075, 1, 1)},
                      DateCase{"m/d/yy", "1/1/76", TryEncodeDate(1976, 1, 1)}, DateCase{"d.M.yyyy", "7.12.2026", Dec7},
                      DateCase{"yyyy'年'M'月'd'日'", "2026年12月7日", Dec7}, DateCase{"yyyy/MM/dd", "2026/02/29", {}},
                      DateCase{"yyyy/MM/dd", "", {}}, DateCase{"yyyy/MM/dd", "2026/12/07 7:30", {}},
                      DateCase{"yyyy/MM/dd", "99999999999/1/1", {}}, DateCase{"ggge/MM/dd", "令和8/12/07", {}},
                      DateCase{"dd-MMM-yy", "07-Dec-26", {}}));

struct TimeCase {
    std::string_view text;
    std::optional<Moment> time;
};

class ParseTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(ParseTime, ReadsHoursMinutesAndSeconds) {
    EXPECT_EQ(ParseTimeText(GetParam().text, testing::JapaneseExampleLocale()), GetParam().time) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTime,
    ::testing::Values(TimeCase{"7:30", TryEncodeTime(7, 30, 0, 0)}, TimeCase{"19:05:09", TryEncodeTime(19, 5, 9, 0)},
                      TimeCase{"午後 3:04:05", TryEncodeTime(15, 4, 5, 0)},
                      TimeCase{"午前 12:00:00", TryEncodeTime(0, 0, 0, 0)},
                      TimeCase{"3:04:05 pm", TryEncodeTime(15, 4, 5, 0)},
                      TimeCase{"PM 12:00:00", TryEncodeTime(12, 0, 0, 0)}, TimeCase{"13:00:00 PM", {}},
                      TimeCase{"24:00:00", {}}, TimeCase{"7:60:00", {}}, TimeCase{"7", {}}, TimeCase{"午後", {}},
                      TimeCase{"1:2:3:4:5", {}}));

// The locale of the process is the user's, and one clock may start under
// another than the one that wrote the file.
LocaleFormatSettings LocaleOf(std::string_view date, std::string_view time) {
    LocaleFormatSettings locale;
    locale.ShortDatePicture = date;
    locale.LongTimePicture = time;
    locale.AmText = "AM";
    locale.PmText = "PM";
    return locale;
}

class IniDates : public ::testing::Test {
protected:
    ~IniDates() override { SetCurrentLocaleFormatSettings(saved_); }
    const LocaleFormatSettings saved_ = CurrentLocaleFormatSettings();
};

TEST_F(IniDates, ReadTheSameUnderEveryLocale) {
    SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
    IniStore ini = Parsed("");
    const Moment time = *TryEncodeTime(7, 30, 0, 0);
    ini.WriteDate("Alarm1", "Date", Dec7 + 0.75);
    ini.WriteTime("Alarm1", "Time", time);
    EXPECT_EQ(ini.ReadString("Alarm1", "Date", ""), "2026/12/07");
    EXPECT_EQ(ini.ReadString("Alarm1", "Time", ""), "07:30:00");
    for (const LocaleFormatSettings& reader : {LocaleFormatSettings{}, LocaleOf("M/d/yyyy", "h:mm:ss tt"),
                                               LocaleOf("dd.MM.yyyy", "HH:mm:ss")}) {
        SetCurrentLocaleFormatSettings(reader);
        EXPECT_EQ(ini.ReadDate("Alarm1", "Date", 0), Dec7) << reader.ShortDatePicture;
        EXPECT_EQ(ini.ReadTime("Alarm1", "Time", 0), time) << reader.ShortDatePicture;
    }
}

TEST_F(IniDates, OtherFormsAreReadAndNothingBecomesTodayUnseen) {
    SetCurrentLocaleFormatSettings(LocaleOf("M/d/yyyy", "h:mm:ss tt"));
    IniStore ini = Parsed(
        "[A]\nIso=2027-01-03\nShort=2027/1/3\nUs=1/3/2027\nUsTime=7:30:00 PM\nEmpty=\nBad=someday\nBadTime=seven\n");
    const Moment jan3 = *TryEncodeDate(2027, 1, 3);
    EXPECT_EQ(ini.ReadDate("A", "Iso", 0), jan3);
    EXPECT_EQ(ini.ReadDate("A", "Short", 0), jan3);
    EXPECT_EQ(ini.ReadDate("A", "Us", 0), jan3) << "as the desktop that wrote it";
    EXPECT_EQ(ini.ReadTime("A", "UsTime", 0), *TryEncodeTime(19, 30, 0, 0));
    EXPECT_EQ(ini.ReadDate("A", "Empty", 42), 42);
    EXPECT_EQ(ini.ReadDate("A", "Missing", 42), 42);
    EXPECT_THROW(ini.ReadDate("A", "Bad", 42), ValueFormatError);
    EXPECT_THROW(ini.ReadTime("A", "BadTime", 0.5), ValueFormatError);
}

}  // namespace
}  // namespace kairos
