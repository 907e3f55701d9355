#pragma once
// The plain text label the shadow-text and link labels build on: it draws
// its caption with line breaks as new lines, never treats "&" as a mnemonic
// mark, leaves its background to its parent, and repaints only when the
// caption or something it is drawn with changes.

#include <QPen>
#include <QString>
#include <QWidget>

#include "controls/TextBlock.h"

namespace kairos {

class PlainLabel : public QWidget {
    Q_OBJECT
public:
    explicit PlainLabel(QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    // Draws the caption this many pixels left of where its alignment puts
    // it: a caption wider than the label can be moved through it.
    void SetTextShift(int pixels);
    int TextShift() const { return shift_; }

    // The extent of the text drawn in this label's font: the widest line and
    // the height of all lines, "&" counted as a character.
    QSize TextExtent(const QString& text) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // The caption's layout changed size, or a property that sizes the label.
    virtual void ContentsResized();

    const TextBlock& Block() const { return block_; }
    // The block placed in rect by the label's alignment, in the pen's colour.
    void DrawCaption(QPainter& painter, const QRect& rect, const QPen& pen) const;
    // The palette's text colour as a pen that is rebuilt only when it changes.
    const QPen& ForegroundPen();
    Qt::Alignment VisualAlignment() const;

    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Relayout();

    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    int shift_ = 0;
    TextBlock block_;
    QPen foreground_;
    QSize hint_;
};

}  // namespace kairos
