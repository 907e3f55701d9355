#include "controls/ShadowLabel.h"

namespace kairos {

ShadowLabel::ShadowLabel(QWidget* parent)
    : BevelLabel(parent),
      highLight_(2, 2, QColor(0xFF, 0xFF, 0xFF), PassState::Disabled, [this] { TextPassChanged(); }),
      shadow_(2, 2, QColor(0x80, 0x80, 0x80), PassState::Enabled, [this] { TextPassChanged(); }) {}

void ShadowLabel::DoDrawText(QPainter& painter, QRect& textRect) {
    // The shadow lies under the text's rectangle before the frames narrow
    // it; the highlight follows the narrowed one.
    if (shadow_.Enabled()) DrawCaption(painter, textRect.translated(shadow_.Offset()), shadow_.Pen());
    BevelLabel::DoDrawText(painter, textRect);
    if (highLight_.Enabled()) DrawCaption(painter, textRect.translated(-highLight_.Offset()), highLight_.Pen());
}

void ShadowLabel::TextPassChanged() {
    AdjustBounds();
    update();
}

}  // namespace kairos
