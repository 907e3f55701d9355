#pragma once
// A bevel label that draws its text up to three times: an offset shadow
// below and right, the text itself, and an offset highlight above and left,
// drawn last. The clock's two lines are labels of this kind.

#include "controls/BevelLabel.h"
#include "controls/TextPass.h"

namespace kairos {

class ShadowLabel : public BevelLabel {
    Q_OBJECT
public:
    explicit ShadowLabel(QWidget* parent = nullptr);

    TextPass& Shadow() { return shadow_; }
    const TextPass& Shadow() const { return shadow_; }
    TextPass& HighLight() { return highLight_; }
    const TextPass& HighLight() const { return highLight_; }

protected:
    void DoDrawText(QPainter& painter, QRect& textRect) override;

private:
    void TextPassChanged();

    TextPass highLight_;
    TextPass shadow_;
};

}  // namespace kairos
