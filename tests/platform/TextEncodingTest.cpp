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
    const std::optional<std::string> text = Cp932ToUtf8(GetParam().cp932);
    ASSERT_TRUE(text.has_value()) << GetParam().what;
    EXPECT_EQ(*text, GetParam().utf8) << GetParam().what;
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

class Cp932Rejection : public ::testing::TestWithParam<std::string_view> {};

TEST_P(Cp932Rejection, GivesNothing) {
    EXPECT_FALSE(Cp932ToUtf8(GetParam()).has_value());
}

INSTANTIATE_TEST_SUITE_P(UndefinedBytes, Cp932Rejection,
                         ::testing::Values("\x80"sv, "ok\xA0"sv, "\x93\xFA\x96"sv /* cut after a lead byte */,
                                           "\x82\x20"sv /* lead byte without a trail */));

TEST(Cp932, LongTextGrowsTheBufferWithoutLoss) {
    std::string cp932, utf8;
    for (int i = 0; i < 5000; ++i) {
        cp932 += "\xB1\x93\xFA";
        utf8 += "ｱ日";
    }
    EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
}

}  // namespace
}  // namespace kairos::platform
