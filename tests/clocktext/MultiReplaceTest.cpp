#include "clocktext/MultiReplace.h"

#include <gtest/gtest.h>

namespace kairos {
namespace {

struct ReplaceCase {
    const char* text;
    std::vector<std::string_view> oldPatterns;
    std::vector<std::string_view> newTexts;
    ReplaceFlags flags;
    const char* expected;
};

class MultiReplaceCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(MultiReplaceCases, Replaces) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(MultiReplace(c.text, c.oldPatterns, c.newTexts, c.flags, "<fb>"), c.expected);
}

constexpr auto All = ReplaceFlags::ReplaceAll;
constexpr auto AllNoCase = ReplaceFlags::ReplaceAll | ReplaceFlags::IgnoreCase;

INSTANTIATE_TEST_SUITE_P(
    Cases, MultiReplaceCases,
    ::testing::Values(
        ReplaceCase{"a-b-a", {"a"}, {"x"}, All, "x-b-x"},
        ReplaceCase{"a-b-a", {"a"}, {"x"}, ReplaceFlags::None, "x-b-a"},
        ReplaceCase{"aaa", {"aa"}, {"X"}, All, "Xa"},                  // non-overlapping, left to right
        ReplaceCase{"aaaa", {"aa"}, {"a"}, All, "aa"},                 // no rescan of what was put in
        ReplaceCase{"Tick TICK", {"tick"}, {"t"}, AllNoCase, "t t"},
        ReplaceCase{"Tick TICK", {"tick"}, {"t"}, All, "Tick TICK"},
        ReplaceCase{"ab", {"a", "xb"}, {"x", "y"}, All, "y"},         // later patterns see earlier output
        ReplaceCase{"ab", {"a", "b"}, {"1"}, All, "1<fb>"},           // fallback past the new list
        ReplaceCase{"ab", {"", "b"}, {"1", "2"}, All, "a2"},          // an empty pattern replaces nothing
        ReplaceCase{"年", {"\xB9\xB4"}, {"x"}, All, "年"},             // never from inside a character
        ReplaceCase{"年年", {"年"}, {"y"}, All, "yy"},
        ReplaceCase{"ÄA", {"a"}, {"x"}, AllNoCase, "Äx"}));          // case folding is ASCII only

}  // namespace
}  // namespace kairos
