#pragma once

#include <QRect>
#include <cstdint>

class QPainter;
class QPixmap;

namespace kairos {

// Tiles the picture over the rectangle at its natural size from the
// rectangle's top-left corner, through one off-screen image copied in one
// step so the clock does not flicker. Returns the milliseconds it took.
std::uint32_t TileDraw(const QRect& rect, QPainter& canvas, const QPixmap& picture);

}  // namespace kairos
