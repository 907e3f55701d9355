#include "controls/LinkLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace kairos {

std::optional<std::string> LinkTarget(TLinkType type, std::string_view caption) {
    switch (type) {
        case TLinkType::ltCaption: return std::string(caption);
        case TLinkType::ltMailTo: return "mailto:" + std::string(caption);
        case TLinkType::ltHTTP: return "http://" + std::string(caption);
        case TLinkType::ltNoFace: break;
    }
    return std::nullopt;
}

TLinkLabel::TLinkLabel(QWidget* parent) : TPlainLabel(parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::SetNormalColor(const QColor& color) { StoreColor(normalColor_, color); }

void TLinkLabel::SetHoverColor(const QColor& color) { StoreColor(hoverColor_, color); }

void TLinkLabel::SetActiveColor(const QColor& color) { StoreColor(activeColor_, color); }

void TLinkLabel::enterEvent(QEnterEvent* event) {
    TPlainLabel::enterEvent(event);
    SetState(TLinkState::lsHover);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    TPlainLabel::leaveEvent(event);
    SetState(TLinkState::lsIdle);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    // Accepting the press makes the release come here rather than to the parent.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    Click();
}

void TLinkLabel::paintEvent(QPaintEvent*) {
    const QColor& color = StateColor();
    // The active colour marks one repaint only, the one right after the click.
    if (state_ == TLinkState::lsActive) state_ = TLinkState::lsIdle;
    QPainter painter(this);
    DrawCaption(painter, contentsRect(), QPen(color));
}

void TLinkLabel::Click() {
    const QPointer<TLinkLabel> alive(this);
    SetState(TLinkState::lsActive);
    // A target the desktop cannot open fails silently; the window closes anyway.
    if (const auto target = LinkTarget(linkType_, text().toStdString()); target && opener_) opener_(*target);
    if (alive && ClickOnClose() && window() != this) window()->close();
    if (alive) emit clicked();
}

void TLinkLabel::SetState(TLinkState state) {
    if (state == state_) return;
    state_ = state;
    repaint();  // at once: the active colour must show before the window closes
}

void TLinkLabel::StoreColor(QColor& field, const QColor& color) {
    if (color == field) return;
    field = color;
    update();
}

const QColor& TLinkLabel::StateColor() const {
    switch (state_) {
        case TLinkState::lsHover: return hoverColor_;
        case TLinkState::lsActive: return activeColor_;
        case TLinkState::lsIdle: break;
    }
    return normalColor_;
}

}  // namespace kairos
