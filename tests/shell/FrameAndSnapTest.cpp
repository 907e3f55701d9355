#include <gtest/gtest.h>

#include "shell/FrameColors.h"
#include "shell/SnapToWorkArea.h"
#include "shell/VisiblePosition.h"

#include <vector>

namespace kairos {
namespace {

TEST(FrameColors, StepOnTheWhole24BitNumberAndClamp) {
    struct Case {
        std::uint32_t color, light, dark;
    };
    for (const Case c : {Case{0x808080, 0xA0A0A0, 0x606060}, {0x000000, 0x202020, 0x000000},
                         {0xFFFFFF, 0xFFFFFF, 0xDFDFDF}, {0x0000FF, 0x20211F, 0x000000},
                         {0x100000, 0x302020, 0x000000}, {0xF00000, 0xFFFFFF, 0xCFDFE0}}) {
        EXPECT_EQ(FrameLightColor(c.color), c.light) << std::hex << c.color;
        EXPECT_EQ(FrameDarkColor(c.color), c.dark) << std::hex << c.color;
    }
}

TEST(SnapToWorkArea, PullsFlushWithinTenPixels) {
    constexpr SnapRect area{0, 0, 1000, 700};
    struct Case {
        SnapRect window;
        SnapPoint expected;
    };
    for (const Case c : {
             Case{{10, 10, 100, 50}, {0, 0}},       // both edges at 10 px
             Case{{11, 300, 100, 50}, {11, 300}},   // 11 px stays
             Case{{-8, 300, 100, 50}, {0, 300}},    // overhanging by up to 10 px too
             Case{{895, 645, 100, 50}, {900, 650}}, // right and bottom edges
             Case{{500, 300, 100, 50}, {500, 300}},
         }) {
        const SnapPoint snapped = SnapToWorkArea(c.window, area);
        EXPECT_EQ(snapped.x, c.expected.x) << c.window.left << "," << c.window.top;
        EXPECT_EQ(snapped.y, c.expected.y) << c.window.left << "," << c.window.top;
    }
    // A work area that does not start at 0 (a panel on the left).
    EXPECT_EQ(SnapToWorkArea({52, 5, 100, 50}, {48, 0, 952, 700}).x, 48);
}

// A 100 x 50 window over two screens side by side, the right one lower and
// with a panel along its top.
TEST(VisiblePosition, MovesOnlyWhatTheScreensDoNotWhollyShowToTheNearestPlaceTheyDo) {
    const std::vector<SnapRect> screens{{0, 0, 1000, 700}, {1000, 100, 800, 600}};
    struct Case {
        SnapRect window;
        SnapPoint expected;
    };
    for (const Case c : {
             Case{{500, 300, 100, 50}, {500, 300}},      // inside
             Case{{950, 300, 100, 50}, {950, 300}},      // across the seam, shown whole
             Case{{920, 660, 100, 50}, {900, 650}},      // over the seam and off the bottom: one screen
             Case{{950, 80, 100, 50}, {900, 80}},        // its right half above the right screen's panel
             Case{{1750, -30, 100, 50}, {1700, 100}},    // off the corner
             Case{{-400, 2000, 100, 50}, {0, 650}},      // far away, nearest the left screen
             Case{{1900, 400, 100, 50}, {1700, 400}},
         }) {
        const SnapPoint position = VisiblePosition(c.window, screens);
        EXPECT_EQ(position.x, c.expected.x) << c.window.left << "," << c.window.top;
        EXPECT_EQ(position.y, c.expected.y) << c.window.left << "," << c.window.top;
    }
    // Larger than the area: its top left corner is shown.
    const SnapRect small{0, 0, 80, 40};
    EXPECT_EQ(VisiblePosition({30, 20, 100, 50}, {&small, 1}).x, 0);
    EXPECT_EQ(VisiblePosition({30, 20, 100, 50}, {&small, 1}).y, 0);
    EXPECT_EQ(VisiblePosition({-30, 20, 100, 50}, {}).x, -30) << "no screen at all";
}

}  // namespace
}  // namespace kairos
