#pragma once
// A hyperlink label: underlined, coloured by the mouse, and opening its
// target when clicked.

#include <QColor>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "controls/PlainLabel.h"

namespace kairos {

enum class LinkKind { Caption, MailTo, Http, NoFace };
enum class LinkState { Idle, Hover, Active };
enum class ClickOnCloseMode { Off, On };

// What a click on a link of that type with that caption opens; none for LinkKind::NoFace.
std::optional<std::string> LinkTarget(LinkKind type, std::string_view caption);

class LinkLabel final : public PlainLabel {
    Q_OBJECT
public:
    // Receives the UTF-8 target to open with the desktop's "open" action.
    using TargetOpener = std::function<void(const std::string& target)>;

    explicit LinkLabel(QWidget* parent = nullptr);

    QColor NormalColor() const { return normalColor_; }
    void SetNormalColor(const QColor& color);
    QColor HoverColor() const { return hoverColor_; }
    void SetHoverColor(const QColor& color);
    QColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(const QColor& color);

    // On: a click closes the window the label sits in.
    bool ClickOnClose() const { return clickOnClose_ == ClickOnCloseMode::On; }
    void SetClickOnClose(ClickOnCloseMode mode) { clickOnClose_ = mode; }
    LinkKind LinkType() const { return linkType_; }
    void SetLinkType(LinkKind type) { linkType_ = type; }
    LinkState State() const { return state_; }

    void SetTargetOpener(TargetOpener opener) { opener_ = std::move(opener); }

signals:
    // After the target was opened and the window closed.
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Click();
    void SetState(LinkState state);
    void StoreColor(QColor& field, const QColor& color);
    const QColor& StateColor() const;

    QColor normalColor_{0x00, 0x00, 0xFF};
    QColor hoverColor_{0xFF, 0x00, 0xFF};
    QColor activeColor_{0xFF, 0x00, 0x00};
    ClickOnCloseMode clickOnClose_ = ClickOnCloseMode::On;
    LinkKind linkType_ = LinkKind::Caption;
    LinkState state_ = LinkState::Idle;
    // Set by the window that holds the label; while empty a click opens nothing.
    TargetOpener opener_;
};

}  // namespace kairos
