#include <gtest/gtest.h>

#include "shell/FrameColors.h"
#include "shell/SnapToWorkArea.h"

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

}  // namespace
}  // namespace kairos
