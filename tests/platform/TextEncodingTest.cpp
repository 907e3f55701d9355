#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kairos::platform {
namespace {

using namespace std::string_view_literals;

struct Utf8Case {
    std::string_view bytes;
    bool valid;
    const char* what;
};

void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.what;
}

class Utf8Validity : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, IsJudgedStrictly) {
    EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Validity,
    ::testing::Values(Utf8Case{""sv, true, "empty"}, Utf8Case{"[General]\r\nName=x"sv, true, "ASCII"},
                      Utf8Case{"a\0b"sv, true, "NUL is a character"}, Utf8Case{"é"sv, true, "two bytes"},
                      Utf8Case{"時刻あわせ"sv, true, "three bytes"},
                      Utf8Case{"\xF0\x9F\x95\x90"sv, true, "four bytes"},
                      Utf8Case{"\xED\x9F\xBF"sv, true, "U+D7FF, just below the surrogates"},
                      Utf8Case{"\xEE\x80\x80"sv, true, "U+E000, just above them"},
                      Utf8Case{"\xF4\x8F\xBF\xBF"sv, true, "U+10FFFF"},
                      Utf8Case{"\xC0\x80"sv, false, "overlong NUL"},
                      Utf8Case{"\xC1\xBF"sv, false, "overlong two-byte"},
                      Utf8Case{"\xE0\x80\xAF"sv, false, "overlong slash"},
                      Utf8Case{"\xE0\x9F\xBF"sv, false, "overlong three-byte"},
                      Utf8Case{"\xF0\x8F\xBF\xBF"sv, false, "overlong four-byte"},
                      Utf8Case{"\xED\xA0\x80"sv, false, "high surrogate"},
                      Utf8Case{"\xED\xBF\xBF"sv, false, "low surrogate"},
                      Utf8Case{"\xF4\x90\x80\x80"sv, false, "U+110000"},
                      Utf8Case{"\xF5\x80\x80\x80"sv, false, "lead beyond F4"},
                      Utf8Case{"\xFF"sv, false, "FF"}, Utf8Case{"a\x80"sv, false, "stray continuation"},
                      Utf8Case{"\xE6\x97"sv, false, "cut at the end"},
                      Utf8Case{"\xE6" "A\x97"sv, false, "broken by ASCII"},
                      Utf8Case{"\x93\xFA\x96\x7B"sv, false, "Shift-JIS 日本"}));

struct Cp932Case {
    std::string_view cp932;
    std::string_view utf8;
    const char* what;
};

void PrintTo(const Cp932Case& c, std::ostream* os) {
    *os << c.what;
}

class Cp932Conversion : public ::testing::TestWithParam<Cp932Case> {};

TEST_P(Cp932Conversion, GivesTheJapaneseText) {
    const std::optional<DecodedText> decoded = DecodeCp932(GetParam().cp932);
    ASSERT_TRUE(decoded.has_value()) << GetParam().what;
    EXPECT_EQ(decoded->text, GetParam().utf8) << GetParam().what;
    EXPECT_TRUE(decoded->unreadable.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Words, Cp932Conversion,
    ::testing::Values(
        Cp932Case{""sv, ""sv, "empty"}, Cp932Case{"\x93\xFA\x96\x7B\x8C\xEA"sv, "日本語"sv, "kanji"},
        Cp932Case{"\x83\x41\x83\x89\x81\x5B\x83\x80"sv, "アラーム"sv, "katakana with a 0x5B trail byte"},
        Cp932Case{"\x8E\x9E\x8D\x8F\x82\xA0\x82\xED\x82\xB9\x82\xC9\x90\xAC\x8C\xF7\x82\xB5\x82\xDC\x82\xB5\x82\xBD"sv,
                  "時刻あわせに成功しました"sv, "status message"},
        Cp932Case{"Name=\xB1\xD7\xB0\xD1\r\n"sv, "Name=ｱﾗｰﾑ\r\n"sv, "half-width katakana grow threefold"},
        Cp932Case{"%APPLICATION%\\a.wav ~"sv, "%APPLICATION%\\a.wav ~"sv, "0x5C and 0x7E stay ASCII"},
        Cp932Case{"\x95\x5C"sv, "表"sv, "0x5C as a trail byte"},
        Cp932Case{"\x81\x60"sv, "\xEF\xBD\x9E"sv, "wave dash is Microsoft's U+FF5E"},
        Cp932Case{"\x87\x40\xFA\x40"sv, "①ⅰ"sv, "NEC and IBM extensions"}));

struct DamagedCase {
    std::string_view bytes;
    std::string_view text;
    std::vector<std::size_t> unreadable;
};
void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.text; }

class Cp932Damage : public ::testing::TestWithParam<DamagedCase> {};

// Only the sequence the code page does not define is lost.
TEST_P(Cp932Damage, ReplacesOnlyTheUndefinedSequence) {
    const std::optional<DecodedText> decoded = DecodeCp932(GetParam().bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->text, GetParam().text);
    EXPECT_EQ(decoded->unreadable, GetParam().unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    UndefinedSequences, Cp932Damage,
    ::testing::Values(DamagedCase{"\x93\xFA\x96"sv, "日\uFFFD"sv, {2}},  // cut after a lead byte
                      DamagedCase{"\x82\x20\x82\xA0"sv, "\uFFFD あ"sv, {0}},  // a lead byte without its trail
                      // an undefined pair loses its lead byte only
                      DamagedCase{"\x8E\x9E\x85\x40"sv, "時\uFFFD@"sv, {2}}));

// The single bytes outside the code page's two ranges are where the systems'
// tables differ: iconv defines none of them, Windows maps 0x80 to U+0080.
// Windows itself also maps 0xA0 and 0xFD..0xFF to private-use characters,
// which wine's table (like iconv) rejects, so those stay Linux cases here.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    SystemTable, Cp932Damage,
    ::testing::Values(DamagedCase{"\x80"sv, "\u0080"sv, {}},
                      DamagedCase{"Message=\x96\xDA\x8A\x6F\x82\xDC\x82\xB5\x80\x8B\x4E\x8F\xB0"sv,
                                  "Message=目覚まし\u0080起床"sv, {}}));
#else
INSTANTIATE_TEST_SUITE_P(
    SystemTable, Cp932Damage,
    ::testing::Values(DamagedCase{"\x80"sv, "\uFFFD"sv, {0}}, DamagedCase{"ok\xA0"sv, "ok\uFFFD"sv, {2}},
                      DamagedCase{"Message=\x96\xDA\x8A\x6F\x82\xDC\x82\xB5\xFF\x8B\x4E\x8F\xB0"sv,
                                  "Message=目覚まし\uFFFD起床"sv, {16}}));
#endif

TEST(Utf8Damage, ReplacesEachBrokenByteAndCountsTheGoodCharacters) {
    const DecodedText decoded = DecodeUtf8("目覚\xFFまし\xE3\x81"sv);
    EXPECT_EQ(decoded.text, "目覚\uFFFDまし\uFFFD\uFFFD");
    EXPECT_EQ(decoded.unreadable, (std::vector<std::size_t>{6, 13, 14}));
    EXPECT_EQ(CountUtf8MultiByteCharacters("目覚\xFFまし\xE3\x81"sv), 4u);
    // Shift-JIS forms one now and then, among many more broken bytes.
    const std::string_view shiftJis = "\x96\xDA\x8A\x6F\x82\xDC"sv;
    EXPECT_LT(CountUtf8MultiByteCharacters(shiftJis), DecodeUtf8(shiftJis).unreadable.size());
}

TEST(Cp932, LongTextGrowsTheBufferWithoutLoss) {
    std::string cp932, utf8;
    for (int i = 0; i < 5000; ++i) {
        cp932 += "\xB1\x93\xFA";
        utf8 += "ｱ日";
    }
    EXPECT_EQ(DecodeCp932(cp932)->text, utf8);
}

}  // namespace
}  // namespace kairos::platform
