#include "controls/BevelLabel.h"

#include <QLayout>
#include <QPainter>
#include <algorithm>

namespace kairos {
namespace {

// Beyond any screen; keeps pixel arithmetic on a huge width inside int.
constexpr unsigned kMaxPixels = 0xFFFF;

int Pixels(unsigned value) { return static_cast<int>(std::min(value, kMaxPixels)); }

bool IsFramed(BevelCut cut) { return cut == BevelCut::Lowered || cut == BevelCut::Raised; }

int CutBorder(BevelCut cut, int width) {
    return (IsFramed(cut) ? width : 0) + (cut != BevelCut::None ? width : 0);
}

// Lines of one pixel, outside in; each line's top-right and bottom-left
// corners belong to the bottom-right colour.
void DrawFrame3D(QPainter& painter, QRect& rect, int lines, const QColor& topLeft, const QColor& bottomRight) {
    for (int i = 0; i < lines && rect.isValid(); ++i) {
        painter.fillRect(rect.x(), rect.y(), rect.width() - 1, 1, topLeft);
        painter.fillRect(rect.x(), rect.y(), 1, rect.height() - 1, topLeft);
        painter.fillRect(rect.right(), rect.y(), 1, rect.height(), bottomRight);
        painter.fillRect(rect.x(), rect.bottom(), rect.width(), 1, bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
}

}  // namespace

BevelLabel::BevelLabel(QWidget* parent) : PlainLabel(parent) {
    // The base could not yet see this class's frames and auto size.
    ContentsResized();
}

void BevelLabel::SetBevelInner(BevelCut cut) { StoreCut(bevelInner_, cut); }

void BevelLabel::SetBevelOuter(BevelCut cut) { StoreCut(bevelOuter_, cut); }

void BevelLabel::SetBevelWidth(unsigned width) {
    if (width == bevelWidth_) return;
    bevelWidth_ = width;
    PropertyChanged();
}

void BevelLabel::SetAutoSize(AutoSizeMode mode) {
    if (mode == autoSize_) return;
    autoSize_ = mode;
    ContentsResized();
    AdjustBounds();  // even when the hint stayed, the size may differ from it
}

int BevelLabel::BevelBorder() const {
    const int width = Pixels(bevelWidth_);
    return CutBorder(bevelOuter_, width) + CutBorder(bevelInner_, width);
}

QSize BevelLabel::sizeHint() const {
    const QSize text = AutoSize() ? Block().SingleLineExtent() : Block().Extent();
    const int border = 2 * BevelBorder();
    return (text + QSize(border, border)).grownBy(contentsMargins());
}

QSize BevelLabel::minimumSizeHint() const {
    const int border = 2 * BevelBorder();
    return QSize(border, border).grownBy(contentsMargins());
}

void BevelLabel::ContentsResized() {
    PlainLabel::ContentsResized();
    AdjustBounds();
}

void BevelLabel::DoDrawText(QPainter& painter, QRect& textRect) {
    QRect frame = contentsRect();
    DrawBevel(painter, bevelOuter_, frame, textRect);
    DrawBevel(painter, bevelInner_, frame, textRect);
    DrawCaption(painter, textRect, ForegroundPen());
}

void BevelLabel::AdjustBounds() {
    if (!AutoSize() || parentWidget() == nullptr) return;
    if (parentWidget()->layout() != nullptr) return;  // the layout sizes its widgets
    resize(sizeHint());
}

void BevelLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect textRect = contentsRect();
    DoDrawText(painter, textRect);
}

void BevelLabel::StoreCut(BevelCut& field, BevelCut cut) {
    if (cut == field) return;
    field = cut;
    PropertyChanged();
}

void BevelLabel::DrawBevel(QPainter& painter, BevelCut cut, QRect& frame, QRect& textRect) const {
    const int width = Pixels(bevelWidth_);
    if (IsFramed(cut)) {
        // The button shadow and highlight of the desktop palette.
        const QColor& shadow = palette().color(QPalette::Dark);
        const QColor& highlight = palette().color(QPalette::Light);
        const bool lowered = cut == BevelCut::Lowered;
        DrawFrame3D(painter, frame, width, lowered ? shadow : highlight, lowered ? highlight : shadow);
        NarrowAlignedSides(textRect);
    }
    if (cut == BevelCut::None) return;
    frame.adjust(width, width, -width, -width);
    NarrowAlignedSides(textRect);
}

void BevelLabel::NarrowAlignedSides(QRect& textRect) const {
    const int width = Pixels(bevelWidth_);
    const Qt::Alignment alignment = VisualAlignment();
    if (alignment & Qt::AlignRight) textRect.setRight(textRect.right() - width);
    else if (!(alignment & Qt::AlignHCenter)) textRect.setLeft(textRect.left() + width);
    if (alignment & Qt::AlignBottom) textRect.setBottom(textRect.bottom() - width);
    else if (!(alignment & Qt::AlignVCenter)) textRect.setTop(textRect.top() + width);
}

void BevelLabel::PropertyChanged() {
    ContentsResized();
    update();
}

}  // namespace kairos
