#include "controls/ShadowLabel.h"

namespace kairos {

TThreeLabel::TThreeLabel(QWidget* parent)
    : TBevelLabel(parent),
      highLight_(2, 2, QColor(0xFF, 0xFF, 0xFF), PassState::Disabled, [this] { TextPosChanged(); }),
      shadow_(2, 2, QColor(0x80, 0x80, 0x80), PassState::Enabled, [this] { TextPosChanged(); }) {}

void TThreeLabel::DoDrawText(QPainter& painter, QRect& textRect) {
    // The shadow lies under the text's rectangle before the frames narrow
    // it; the highlight follows the narrowed one.
    if (shadow_.Enabled()) DrawCaption(painter, textRect.translated(shadow_.Offset()), shadow_.Pen());
    TBevelLabel::DoDrawText(painter, textRect);
    if (highLight_.Enabled()) DrawCaption(painter, textRect.translated(-highLight_.Offset()), highLight_.Pen());
}

void TThreeLabel::TextPosChanged() {
    AdjustBounds();
    update();
}

}  // namespace kairos
