#pragma once
// A label with up to two bevelled frames around its text, sized to include
// them.

#include "controls/PlainLabel.h"

namespace kairos {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class AutoSizeMode { Off, On };

class TBevelLabel : public TPlainLabel {
    Q_OBJECT
public:
    explicit TBevelLabel(QWidget* parent = nullptr);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    unsigned BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(unsigned width);

    // On: the label takes its size hint whenever its text, font or frames
    // change; inside a layout the layout applies the hint instead.
    bool AutoSize() const { return autoSize_ == AutoSizeMode::On; }
    void SetAutoSize(AutoSizeMode mode);

    // Frames and space on each side of the text, in pixels.
    int BevelBorder() const;

    // With auto size on: the caption measured as one line, plus the frames.
    QSize sizeHint() const override;
    // The text is clipped rather than widening the parent: the clock's date
    // line may be wider than the window.
    QSize minimumSizeHint() const override;

protected:
    void ContentsResized() override;
    // Frames first, then the text in the rectangle they leave; narrows
    // textRect on the sides the text is aligned to.
    virtual void DoDrawText(QPainter& painter, QRect& textRect);
    void AdjustBounds();

    void paintEvent(QPaintEvent* event) override;

private:
    void StoreCut(TBevelCut& field, TBevelCut cut);
    void DrawBevel(QPainter& painter, TBevelCut cut, QRect& frame, QRect& textRect) const;
    void NarrowAlignedSides(QRect& textRect) const;
    void PropertyChanged();

    TBevelCut bevelInner_ = TBevelCut::bvRaised;
    TBevelCut bevelOuter_ = TBevelCut::bvNone;
    unsigned bevelWidth_ = 1;
    AutoSizeMode autoSize_ = AutoSizeMode::On;
};

}  // namespace kairos
