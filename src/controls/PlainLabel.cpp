#include "controls/PlainLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace kairos {

PlainLabel::PlainLabel(QWidget* parent) : QWidget(parent) { Relayout(); }

void PlainLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    Relayout();
    update();
}

void PlainLabel::setAlignment(Qt::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void PlainLabel::SetTextShift(int pixels) {
    if (pixels == shift_) return;
    shift_ = pixels;
    update();
}

QSize PlainLabel::TextExtent(const QString& text) const { return TextBlock::Measure(fontMetrics(), text); }

QSize PlainLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    return block_.Extent().grownBy(margins);
}

QSize PlainLabel::minimumSizeHint() const { return sizeHint(); }

void PlainLabel::ContentsResized() {
    // The clock's lines change text many times a second, mostly without
    // changing size: only a new size disturbs the parent's layout.
    if (sizeHint() == hint_) return;
    hint_ = sizeHint();
    updateGeometry();
}

void PlainLabel::DrawCaption(QPainter& painter, const QRect& rect, const QPen& pen) const {
    painter.setPen(pen);
    block_.Draw(painter, rect.translated(-shift_, 0), VisualAlignment());
}

const QPen& PlainLabel::ForegroundPen() {
    const QColor& colour = palette().color(foregroundRole());
    if (foreground_.color() != colour) foreground_.setColor(colour);
    return foreground_;
}

Qt::Alignment PlainLabel::VisualAlignment() const { return QStyle::visualAlignment(layoutDirection(), alignment_); }

void PlainLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Relayout();
}

void PlainLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawCaption(painter, contentsRect(), ForegroundPen());
}

void PlainLabel::Relayout() {
    block_.Layout(text_, font());
    ContentsResized();
}

}  // namespace kairos
