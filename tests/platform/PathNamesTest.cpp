#include "platform/PathNames.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

namespace kairos::platform {
namespace {

struct NameStartCase {
    std::string_view path;
    std::size_t posix;
    std::size_t windows;
};

void PrintTo(const NameStartCase& c, std::ostream* os) {
    *os << '"' << c.path << '"';
}

class NameStartOf : public ::testing::TestWithParam<NameStartCase> {};

TEST_P(NameStartOf, FollowsTheSeparatorsOfEachSystem) {
    EXPECT_EQ(NameStart(GetParam().path, PathStyle::Posix), GetParam().posix);
    EXPECT_EQ(NameStart(GetParam().path, PathStyle::Windows), GetParam().windows);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, NameStartOf,
    ::testing::Values(NameStartCase{"/home/u/kairos.ini", 8, 8},
                      NameStartCase{"C:\\Tools\\Kairos.ini", 0, 9},  // '\' is a name character on Linux
                      NameStartCase{"C:\\Tools/sub\\a.ini", 9, 13},
                      NameStartCase{"/opt/a\\b.ini", 5, 7},
                      NameStartCase{"C:Kairos.ini", 0, 2},  // the drive's current folder
                      NameStartCase{"1:a", 0, 0},         // no drive letter
                      NameStartCase{"/", 1, 1}, NameStartCase{"kairos.ini", 0, 0},
                      NameStartCase{"/x/時計.ini", 3, 3}, NameStartCase{"", 0, 0}));

TEST(PathStyle, NativeSeparatorIsTheSystems) {
    EXPECT_TRUE(IsSeparator(PreferredSeparator()));
    EXPECT_TRUE(IsSeparator('/'));
    EXPECT_EQ(IsSeparator('\\'), NativePathStyle == PathStyle::Windows);
}

}  // namespace
}  // namespace kairos::platform
