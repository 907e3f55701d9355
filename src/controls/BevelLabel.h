#pragma once
// A label with up to two bevelled frames around its text, sized to include
// them.

#include "controls/PlainLabel.h"

namespace kairos {

enum class BevelCut { None, Lowered, Raised, Space };
enum class AutoSizeMode { Off, On };

class BevelLabel : public PlainLabel {
    Q_OBJECT
public:
    explicit BevelLabel(QWidget* parent = nullptr);

    BevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(BevelCut cut);
    BevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(BevelCut cut);
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
    void StoreCut(BevelCut& field, BevelCut cut);
    void DrawBevel(QPainter& painter, BevelCut cut, QRect& frame, QRect& textRect) const;
    void NarrowAlignedSides(QRect& textRect) const;
    void PropertyChanged();

    BevelCut bevelInner_ = BevelCut::Raised;
    BevelCut bevelOuter_ = BevelCut::None;
    unsigned bevelWidth_ = 1;
    AutoSizeMode autoSize_ = AutoSizeMode::On;
};

}  // namespace kairos
