#include "controls/ShadowLabel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/LabelTestSupport.h"

namespace kairos {
namespace {

using namespace testing;
using enum BevelCut;

const QRect kArea(20, 20, 160, 80);
const QColor kGrey(0x80, 0x80, 0x80), kWhite(0xFF, 0xFF, 0xFF), kRed(0xFF, 0, 0), kYellow(0xFF, 0xFF, 0);

// A shown host with one label as the clock has them: no frames, text centred.
template <typename Label>
struct Scene {
    Host host;
    Label* label = new Label(&host);

    explicit Scene(const QString& text = QStringLiteral("Kg8&")) {
        label->SetAutoSize(AutoSizeMode::Off);
        label->SetBevelWidth(0);
        label->setGeometry(kArea);
        label->setFont(AliasedFont());
        label->setAlignment(Qt::AlignCenter);
        SetColor(*label, QPalette::WindowText, kTextColor);
        label->setText(text);
        host.show();
        Settle();
    }
};

void TextOnly(ShadowLabel& label) {
    label.Shadow().SetEnabled(PassState::Disabled);
    label.HighLight().SetEnabled(PassState::Disabled);
}

struct PassCase {
    const char* name;
    bool shadow;
    QPoint shadowAt;
    QColor shadowColor;
    bool highLight;
    QPoint highLightAt;
    QColor highLightColor;
};

void Apply(TextPass& pass, bool on, QPoint at, const QColor& color) {
    pass.SetEnabled(on ? PassState::Enabled : PassState::Disabled);
    pass.SetX(static_cast<unsigned>(at.x()));
    pass.SetY(static_cast<unsigned>(at.y()));
    pass.SetColor(color);
}

// The text-only picture with the shadow put under the text at +offset and
// the highlight over it at -offset, both clipped to the label.
QImage Composed(const QImage& textOnly, const PassCase& c) {
    QImage expected = textOnly;
    const std::vector<QPoint> text = PixelsOf(textOnly, kTextColor);
    auto put = [&](QPoint p, const QColor& color) {
        if (kArea.contains(p)) expected.setPixelColor(p, color);
    };
    for (const QPoint& p : text) {
        if (c.shadow) put(p + c.shadowAt, c.shadowColor);
    }
    for (const QPoint& p : text) put(p, kTextColor);
    for (const QPoint& p : text) {
        if (c.highLight) put(p - c.highLightAt, c.highLightColor);
    }
    return expected;
}

class Passes : public ::testing::TestWithParam<PassCase> {};

TEST_P(Passes, ShadowThenTextThenHighLight) {
    Scene<ShadowLabel> scene;
    TextOnly(*scene.label);
    const QImage textOnly = Render(scene.host);
    ASSERT_GT(PixelsOf(textOnly, kTextColor).size(), 50u);
    const PassCase& c = GetParam();
    Apply(scene.label->Shadow(), c.shadow, c.shadowAt, c.shadowColor);
    Apply(scene.label->HighLight(), c.highLight, c.highLightAt, c.highLightColor);
    EXPECT_TRUE(Render(scene.host) == Composed(textOnly, c));
}

INSTANTIATE_TEST_SUITE_P(
    ShadowLabel, Passes,
    ::testing::Values(PassCase{"ShadowOnly", true, {5, 1}, kRed, false, {}, {}},
                      PassCase{"Neither", false, {2, 2}, kRed, false, {2, 2}, kRed},
                      PassCase{"HighLightAboveLeft", true, {2, 2}, kGrey, true, {2, 2}, kWhite},
                      PassCase{"HighLightCoversText", false, {}, {}, true, {1, 0}, kYellow},
                      PassCase{"ShadowPastTheEdgeIsClipped", true, {70, 2}, kGrey, false, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShadowLabel, DefaultsDrawAGreyShadowTwoRightTwoDownNoHighLightNoBackground) {
    Scene<ShadowLabel> scene;
    const QImage defaults = Render(scene.host);
    for (const QPoint p : {kArea.topLeft(), kArea.bottomRight(), kArea.center() + QPoint(0, 30)})
        EXPECT_EQ(defaults.pixelColor(p), kBackground) << "the parent shows through";
    TextOnly(*scene.label);
    EXPECT_TRUE(defaults == Composed(Render(scene.host), PassCase{"", true, {2, 2}, kGrey, false, {}, {}}));
}

TEST(ShadowLabel, LineBreaksDrawNewLinesOneLineHeightApart) {
    Scene<ShadowLabel> scene(QStringLiteral("K\r\nK"));
    TextOnly(*scene.label);
    std::vector<QPoint> upper, lower;
    for (const QPoint& p : PixelsOf(Render(scene.host), kTextColor))
        (p.y() <= kArea.center().y() ? upper : lower).push_back(p);
    const int lineHeight = scene.label->TextExtent(QStringLiteral("K")).height();
    EXPECT_EQ(BoundsOf(lower), BoundsOf(upper).translated(0, lineHeight));
    EXPECT_EQ(lower.size(), upper.size());
}

// ------------------------------------------------------------------ bevels

const QColor kButtonShadow(0xC0, 0, 0), kButtonHighlight(0, 0, 0xC0);

struct BevelCase {
    const char* name;
    BevelCut outer, inner;
    unsigned width;
    const char* rings;  // outside in, one pixel each: Lowered, Raised, Space
};

class BevelRings : public ::testing::TestWithParam<BevelCase> {};

TEST_P(BevelRings, FramesAndSpacesFromTheOutsideIn) {
    const BevelCase& c = GetParam();
    Scene<BevelLabel> scene(QString{});
    SetColor(*scene.label, QPalette::Dark, kButtonShadow);
    SetColor(*scene.label, QPalette::Light, kButtonHighlight);
    scene.label->SetBevelOuter(c.outer);
    scene.label->SetBevelInner(c.inner);
    scene.label->SetBevelWidth(c.width);
    const QImage image = Render(scene.host);
    const QPoint mid = kArea.center();
    const std::string rings = std::string(c.rings) + "S";  // then the parent shows
    for (int d = 0; d < static_cast<int>(rings.size()); ++d) {
        const char ring = rings[static_cast<std::size_t>(d)];
        const QColor lowered = ring == 'L' ? kButtonShadow : ring == 'R' ? kButtonHighlight : kBackground;
        const QColor raised = ring == 'L' ? kButtonHighlight : ring == 'R' ? kButtonShadow : kBackground;
        SCOPED_TRACE("ring " + std::to_string(d));
        EXPECT_EQ(image.pixelColor(kArea.left() + d, mid.y()), lowered);
        EXPECT_EQ(image.pixelColor(mid.x(), kArea.top() + d), lowered);
        EXPECT_EQ(image.pixelColor(kArea.right() - d, mid.y()), raised);
        EXPECT_EQ(image.pixelColor(mid.x(), kArea.bottom() - d), raised);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BevelLabel, BevelRings,
    ::testing::Values(BevelCase{"LoweredOutsideRaisedInside", BevelCut::Lowered, BevelCut::Raised, 1, "LSRS"},
                      BevelCase{"TwoPixelLines", BevelCut::Raised, BevelCut::Lowered, 2, "RRSSLLSS"},
                      BevelCase{"SpaceDrawsNothing", BevelCut::None, BevelCut::Space, 3, "SSS"},
                      BevelCase{"SpaceOutsideAFrame", BevelCut::Space, BevelCut::Lowered, 1, "SLS"},
                      BevelCase{"WidthZero", BevelCut::Lowered, BevelCut::Raised, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct NarrowCase {
    const char* name;
    Qt::Alignment alignment;
    BevelCut inner;
    QPoint shift;
};

class TextNarrowing : public ::testing::TestWithParam<NarrowCase> {};

// Frames push the text inwards only on the sides it is aligned to.
TEST_P(TextNarrowing, MovesTheTextOffTheAlignedSides) {
    Scene<BevelLabel> scene;
    scene.label->setAlignment(GetParam().alignment);
    const QRect unframed = BoundsOf(PixelsOf(Render(scene.host), kTextColor));
    scene.label->SetBevelOuter(BevelCut::Lowered);
    scene.label->SetBevelInner(GetParam().inner);
    scene.label->SetBevelWidth(2);
    EXPECT_EQ(BoundsOf(PixelsOf(Render(scene.host), kTextColor)), unframed.translated(GetParam().shift));
}

INSTANTIATE_TEST_SUITE_P(
    BevelLabel, TextNarrowing,
    ::testing::Values(NarrowCase{"TopLeft", Qt::AlignLeft | Qt::AlignTop, BevelCut::None, {4, 4}},
                      NarrowCase{"BottomRight", Qt::AlignRight | Qt::AlignBottom, BevelCut::Space, {-6, -6}},
                      NarrowCase{"Centred", Qt::AlignCenter, BevelCut::Raised, {0, 0}},
                      NarrowCase{"LeftMiddle", Qt::AlignLeft | Qt::AlignVCenter, BevelCut::Raised, {8, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ repaints

struct RepaintCase {
    const char* name;
    std::function<void(ShadowLabel&)> change;
    bool repaints;
};

class Repaint : public ::testing::TestWithParam<RepaintCase> {};

TEST_P(Repaint, OnlyWhenSomethingVisibleChanges) {
    Scene<ShadowLabel> scene(QStringLiteral("12:34:56"));
    PaintCounter counter;
    scene.label->installEventFilter(&counter);
    for (int i = 0; i < 3; ++i) {
        GetParam().change(*scene.label);
        Settle();
    }
    EXPECT_EQ(counter.paints > 0, GetParam().repaints);
}

using L = ShadowLabel;

INSTANTIATE_TEST_SUITE_P(
    ShadowLabel, Repaint,
    ::testing::Values(RepaintCase{"SameText", [](L& l) { l.setText(QStringLiteral("12:34:56")); }, false},
                      RepaintCase{"NewText", [](L& l) { l.setText(QStringLiteral("12:34:57")); }, true},
                      RepaintCase{"SameShadowState", [](L& l) { l.Shadow().SetEnabled(PassState::Enabled); }, false},
                      RepaintCase{"SameShadowOffset",
                                  [](L& l) {
                                      l.Shadow().SetX(2);
                                      l.Shadow().SetY(2);
                                  },
                                  false},
                      RepaintCase{"NewShadowY", [](L& l) { l.Shadow().SetY(3); }, true},
                      RepaintCase{"SameShadowColour", [](L& l) { l.Shadow().SetColor(kGrey); }, false},
                      RepaintCase{"SameBevels",
                                  [](L& l) {
                                      l.SetBevelWidth(0);
                                      l.SetBevelOuter(BevelCut::None);
                                  },
                                  false},
                      RepaintCase{"NewBevelWidth", [](L& l) { l.SetBevelWidth(1); }, true},
                      RepaintCase{"NewHighLightColour", [](L& l) { l.HighLight().SetColor(kRed); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos
