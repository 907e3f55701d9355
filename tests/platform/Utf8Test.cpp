#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace kairos {
namespace {

struct CharCase {
    std::string_view text;
    std::size_t length;
};

class Utf8Length : public ::testing::TestWithParam<CharCase> {};

TEST_P(Utf8Length, OfTheFirstCharacter) {
    EXPECT_EQ(Utf8CharLength(GetParam().text, 0), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Characters, Utf8Length,
                         ::testing::Values(CharCase{"a", 1}, CharCase{"é", 2}, CharCase{"年", 3},
                                           CharCase{"\xF0\x9F\x95\x90", 4},  // clock face
                                           CharCase{"\xE5\xB9", 1},         // cut short
                                           CharCase{"\xE5" "a" "\xB4", 1},  // broken sequence
                                           CharCase{"\xB9\xB4", 1},         // stray continuation
                                           CharCase{"\xC0\x80", 1},         // overlong lead
                                           CharCase{"\xF8\x80\x80\x80", 1}));

TEST(Utf8, CutNeverSplitsACharacter) {
    EXPECT_EQ(Utf8CutPoint("年月日", 9), 9u);
    EXPECT_EQ(Utf8CutPoint("年月日", 8), 6u);
    EXPECT_EQ(Utf8CutPoint("年月日", 2), 0u);
    EXPECT_EQ(Utf8CutPoint("ab年", 4), 2u);
    EXPECT_EQ(Utf8CutPoint("ab", 10), 2u);
    EXPECT_EQ(Utf8CharCount("令和8年"), 4u);
    EXPECT_EQ(Utf8CharCount("\xB9\xB4" "a"), 3u);
}

}  // namespace
}  // namespace kairos
