#include "controls/LinkLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace kairos {

std::optional<std::string> LinkTarget(LinkKind type, std::string_view caption) {
    switch (type) {
        case LinkKind::Caption: return std::string(caption);
        case LinkKind::MailTo: return "mailto:" + std::string(caption);
        case LinkKind::Http: return "http://" + std::string(caption);
        case LinkKind::NoFace: break;
    }
    return std::nullopt;
}

LinkLabel::LinkLabel(QWidget* parent) : PlainLabel(parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::SetNormalColor(const QColor& color) { StoreColor(normalColor_, color); }

void LinkLabel::SetHoverColor(const QColor& color) { StoreColor(hoverColor_, color); }

void LinkLabel::SetActiveColor(const QColor& color) { StoreColor(activeColor_, color); }

void LinkLabel::enterEvent(QEnterEvent* event) {
    PlainLabel::enterEvent(event);
    SetState(LinkState::Hover);
}

void LinkLabel::leaveEvent(QEvent* event) {
    PlainLabel::leaveEvent(event);
    SetState(LinkState::Idle);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    // Accepting the press makes the release come here rather than to the parent.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    Click();
}

void LinkLabel::paintEvent(QPaintEvent*) {
    const QColor& color = StateColor();
    // The active colour marks one repaint only, the one right after the click.
    if (state_ == LinkState::Active) state_ = LinkState::Idle;
    QPainter painter(this);
    DrawCaption(painter, contentsRect(), QPen(color));
}

void LinkLabel::Click() {
    const QPointer<LinkLabel> alive(this);
    SetState(LinkState::Active);
    // A target the desktop cannot open fails silently; the window closes anyway.
    if (const auto target = LinkTarget(linkType_, text().toStdString()); target && opener_) opener_(*target);
    if (alive && ClickOnClose() && window() != this) window()->close();
    if (alive) emit clicked();
}

void LinkLabel::SetState(LinkState state) {
    if (state == state_) return;
    state_ = state;
    repaint();  // at once: the active colour must show before the window closes
}

void LinkLabel::StoreColor(QColor& field, const QColor& color) {
    if (color == field) return;
    field = color;
    update();
}

const QColor& LinkLabel::StateColor() const {
    switch (state_) {
        case LinkState::Hover: return hoverColor_;
        case LinkState::Active: return activeColor_;
        case LinkState::Idle: break;
    }
    return normalColor_;
}

}  // namespace kairos
