#include "controls/LinkLabel.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QEnterEvent>
#include <QMouseEvent>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "controls/LabelTestSupport.h"

namespace kairos {
namespace {

using namespace testing;
using enum LinkKind;

const QColor kBlue(0, 0, 0xFF), kFuchsia(0xFF, 0, 0xFF), kRed(0xFF, 0, 0), kGreen(0, 0xC0, 0);

void Enter(QWidget& widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

void Click(QWidget& widget) {
    const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

struct TargetCase {
    const char* name;
    LinkKind type;
    std::string caption;
    std::optional<std::string> target;
};

class Target : public ::testing::TestWithParam<TargetCase> {};

TEST_P(Target, IsBuiltFromTheCaptionByType) {
    EXPECT_EQ(LinkTarget(GetParam().type, GetParam().caption), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    LinkLabel, Target,
    ::testing::Values(TargetCase{"WebAddressUnchanged", LinkKind::Caption, "https://example.org/k/",
                                 "https://example.org/k/"},
                      TargetCase{"MailTo", LinkKind::MailTo, "時計@example.jp", "mailto:時計@example.jp"},
                      TargetCase{"Http", LinkKind::Http, "example.org/kairos", "http://example.org/kairos"},
                      TargetCase{"NoFaceOpensNothing", LinkKind::NoFace, "example.org", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClickCase {
    const char* name;
    LinkKind type;
    ClickOnCloseMode closing;
    std::vector<std::string> events;
};

class Clicking : public ::testing::TestWithParam<ClickCase> {};

struct CloseRecorder final : QObject {
    std::vector<std::string>& events;
    explicit CloseRecorder(std::vector<std::string>& log) : events(log) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) events.push_back("close");
        return false;
    }
};

TEST_P(Clicking, OpensTheTargetThenClosesTheFormThenFiresClicked) {
    std::vector<std::string> events;
    QDialog form;
    CloseRecorder closes(events);
    form.installEventFilter(&closes);
    auto* link = new LinkLabel(&form);
    link->setText(QStringLiteral("kairos@example.org"));
    link->SetLinkType(GetParam().type);
    link->SetClickOnClose(GetParam().closing);
    link->SetTargetOpener([&](const std::string& target) { events.push_back("open " + target); });
    QObject::connect(link, &LinkLabel::clicked, [&] { events.push_back("clicked"); });
    form.show();
    Settle();
    Click(*link);
    EXPECT_EQ(events, GetParam().events);
    EXPECT_EQ(form.isVisible(), GetParam().closing == ClickOnCloseMode::Off);
}

INSTANTIATE_TEST_SUITE_P(
    LinkLabel, Clicking,
    ::testing::Values(
        ClickCase{"MailAddressClosesTheDialog",
                  LinkKind::MailTo,
                  ClickOnCloseMode::On,
                  {"open mailto:kairos@example.org", "close", "clicked"}},
        ClickCase{"StaysOpen", LinkKind::Caption, ClickOnCloseMode::Off, {"open kairos@example.org", "clicked"}},
        ClickCase{"NoFaceStillCloses", LinkKind::NoFace, ClickOnCloseMode::On, {"close", "clicked"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkLabel, ActiveColourIsPaintedBeforeTheTargetOpens) {
    QDialog form;
    auto* link = new LinkLabel(&form);
    link->setText(QStringLiteral("example.org"));
    form.show();
    Settle();
    std::optional<LinkState> atOpen;
    link->SetTargetOpener([&](const std::string&) { atOpen = link->State(); });
    Click(*link);
    EXPECT_EQ(atOpen, LinkState::Idle) << "the active repaint ran at once and ended the active state";
}

// The colours the text was drawn in, the label's own background left out.
std::set<QRgb> InkColours(LinkLabel& label) {
    const QImage image = Render(label, QWidget::DrawChildren);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) colours.insert(image.pixel(x, y));
    return colours;
}

struct ColourCase {
    const char* name;
    std::function<void(LinkLabel&)> act;
    std::vector<QColor> renders;  // the colour of each render in turn
};

class Colours : public ::testing::TestWithParam<ColourCase> {};

// The label is never shown: only the test's renders paint it.
TEST_P(Colours, FollowTheLinkState) {
    LinkLabel link;
    link.setFont(AliasedFont());
    link.setText(QStringLiteral("example.org"));
    link.resize(link.sizeHint());
    GetParam().act(link);
    for (const QColor& color : GetParam().renders) EXPECT_EQ(InkColours(link), std::set<QRgb>{color.rgba()});
}

using L = LinkLabel;

INSTANTIATE_TEST_SUITE_P(
    LinkLabel, Colours,
    ::testing::Values(ColourCase{"Idle", [](L&) {}, {kBlue}},
                      ColourCase{"Hover", [](L& l) { Enter(l); }, {kFuchsia}},
                      ColourCase{"LeftAgain", [](L& l) { Enter(l); Leave(l); }, {kBlue}},
                      ColourCase{"ActiveForOneRepaint", [](L& l) { Click(l); }, {kRed, kBlue}},
                      ColourCase{"HoverRecoloured", [](L& l) { Enter(l); l.SetHoverColor(kGreen); }, {kGreen}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos
