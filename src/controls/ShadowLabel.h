#pragma once
// A bevel label that draws its text up to three times: an offset shadow
// below and right, the text itself, and an offset highlight above and left,
// drawn last. The clock's two lines are labels of this kind.

#include "controls/BevelLabel.h"
#include "controls/TextPass.h"

namespace kairos {

class TThreeLabel : public TBevelLabel {
    Q_OBJECT
public:
    explicit TThreeLabel(QWidget* parent = nullptr);

    TTextPos& Shadow() { return shadow_; }
    const TTextPos& Shadow() const { return shadow_; }
    TTextPos& HighLight() { return highLight_; }
    const TTextPos& HighLight() const { return highLight_; }

protected:
    void DoDrawText(QPainter& painter, QRect& textRect) override;

private:
    void TextPosChanged();

    TTextPos highLight_;
    TTextPos shadow_;
};

}  // namespace kairos
