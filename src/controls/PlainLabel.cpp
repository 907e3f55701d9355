#include "controls/PlainLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace kairos {

TPlainLabel::TPlainLabel(QWidget* parent) : QWidget(parent) { Relayout(); }

void TPlainLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    Relayout();
    update();
}

void TPlainLabel::setAlignment(Qt::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

QSize TPlainLabel::TextExtent(const QString& text) const { return TTextBlock::Measure(fontMetrics(), text); }

QSize TPlainLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    return block_.Extent().grownBy(margins);
}

QSize TPlainLabel::minimumSizeHint() const { return sizeHint(); }

void TPlainLabel::ContentsResized() {
    // The clock's lines change text many times a second, mostly without
    // changing size: only a new size disturbs the parent's layout.
    if (sizeHint() == hint_) return;
    hint_ = sizeHint();
    updateGeometry();
}

void TPlainLabel::DrawCaption(QPainter& painter, const QRect& rect, const QPen& pen) const {
    painter.setPen(pen);
    block_.Draw(painter, rect, VisualAlignment());
}

const QPen& TPlainLabel::ForegroundPen() {
    const QColor& colour = palette().color(foregroundRole());
    if (foreground_.color() != colour) foreground_.setColor(colour);
    return foreground_;
}

Qt::Alignment TPlainLabel::VisualAlignment() const { return QStyle::visualAlignment(layoutDirection(), alignment_); }

void TPlainLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Relayout();
}

void TPlainLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawCaption(painter, contentsRect(), ForegroundPen());
}

void TPlainLabel::Relayout() {
    block_.Layout(text_, font());
    ContentsResized();
}

}  // namespace kairos
