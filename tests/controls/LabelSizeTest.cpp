#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "controls/LabelTestSupport.h"
#include "controls/ShadowLabel.h"

namespace kairos {
namespace {

using namespace testing;
using enum BevelCut;

struct ExtentCase {
    const char* name;
    QString text;
    std::vector<QString> lines;
};

class Extent : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(Extent, IsTheWidestLineByTheHeightOfAllLines) {
    ShadowLabel label;
    label.setFont(AliasedFont());
    int widest = 0;
    for (const QString& line : GetParam().lines) widest = std::max(widest, label.TextExtent(line).width());
    const int height = static_cast<int>(GetParam().lines.size()) * QFontMetrics(AliasedFont()).height();
    EXPECT_EQ(label.TextExtent(GetParam().text), QSize(widest, height));
}

INSTANTIATE_TEST_SUITE_P(TextExtent, Extent,
                         ::testing::Values(ExtentCase{"CrLf", "12:34\r\n2024/12/31", {"12:34", "2024/12/31"}},
                                           ExtentCase{"Lf", "a wide first line\nb", {"a wide first line", "b"}},
                                           ExtentCase{"Cr", "a\rwider second", {"a", "wider second"}},
                                           ExtentCase{"TrailingBreak", "12:34\r\n", {"12:34", ""}},
                                           ExtentCase{"Empty", "", {""}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextExtent, OneLineIsTheFontsAdvanceWithAmpersandsAsCharacters) {
    ShadowLabel label;
    label.setFont(AliasedFont());
    const QFontMetrics metrics(AliasedFont());
    EXPECT_EQ(label.TextExtent(QStringLiteral("R&D 10:00")),
              QSize(metrics.horizontalAdvance(QStringLiteral("R&D 10:00")), metrics.height()));
}

struct AutoSizeCase {
    const char* name;
    BevelCut outer, inner;
    unsigned width;
    int added;  // to the caption's width and to its height
};

class AutoSize : public ::testing::TestWithParam<AutoSizeCase> {};

TEST_P(AutoSize, IsTheCaptionPlusFramesAndSpacesOnBothSides) {
    Host host;
    auto* label = new BevelLabel(&host);
    label->setFont(AliasedFont());
    label->setText(QStringLiteral("2024/12/31"));
    label->SetBevelOuter(GetParam().outer);
    label->SetBevelInner(GetParam().inner);
    label->SetBevelWidth(GetParam().width);
    EXPECT_EQ(label->size(), label->TextExtent(label->text()) + QSize(GetParam().added, GetParam().added));
}

INSTANTIATE_TEST_SUITE_P(BevelLabel, AutoSize,
                         ::testing::Values(AutoSizeCase{"Defaults", BevelCut::None, BevelCut::Raised, 1, 4},
                                           AutoSizeCase{"LoweredAndRaised", BevelCut::Lowered, BevelCut::Raised, 1, 8},
                                           AutoSizeCase{"SpaceOnly", BevelCut::None, BevelCut::Space, 3, 6},
                                           AutoSizeCase{"SpaceAndFrame", BevelCut::Space, BevelCut::Lowered, 2, 12},
                                           AutoSizeCase{"WidthZero", BevelCut::Lowered, BevelCut::Raised, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BevelLabel, AutoSizeFollowsTextAndFontAsOneLine) {
    Host host;
    auto* label = new ShadowLabel(&host);
    label->SetBevelWidth(0);
    label->setFont(AliasedFont(18));
    label->setText(QStringLiteral("アラーム\r\nです"));
    EXPECT_EQ(label->size(), QSize(label->TextExtent(QStringLiteral("アラーム")).width() +
                                       label->TextExtent(QStringLiteral("です")).width(),
                                   QFontMetrics(AliasedFont(18)).height()));
    label->setFont(AliasedFont(30));
    EXPECT_EQ(label->height(), QFontMetrics(AliasedFont(30)).height());

    label->SetAutoSize(AutoSizeMode::Off);
    label->setText(QStringLiteral("12:34"));
    label->setFont(AliasedFont(12));
    EXPECT_EQ(label->height(), QFontMetrics(AliasedFont(30)).height()) << "stays while auto size is off";
}

// The clock's date line sits under a stretching time line: its height is one
// line of its own font, and a text wider than the window is clipped rather
// than widening the window.
TEST(BevelLabel, InALayoutTheAutoSizedLineTakesOneLineOfItsFont) {
    Host host;
    auto* lines = new QVBoxLayout(&host);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    auto* time = new ShadowLabel(&host);
    auto* date = new ShadowLabel(&host);
    lines->addWidget(time, 1);
    lines->addWidget(date, 0);
    date->SetBevelWidth(0);
    date->setFont(AliasedFont(18));
    date->setText(QStringLiteral("2024/12/31"));
    host.show();
    Settle();
    EXPECT_EQ(date->height(), QFontMetrics(AliasedFont(18)).height());

    date->setFont(AliasedFont(26));
    date->setText(QStringLiteral("Wednesday, 31 December 2025"));
    host.resize(120, 80);
    Settle();
    EXPECT_EQ(date->height(), QFontMetrics(AliasedFont(26)).height());
    EXPECT_EQ(time->height(), 80 - date->height());
    EXPECT_EQ(host.width(), 120);
    EXPECT_EQ(date->width(), 120);
}

}  // namespace
}  // namespace kairos
