#pragma once
// The program's 32-bit colour values on screen: a plain colour is red in the
// lowest byte, then green and blue; 0xFF0000nn is the system colour number
// nn, taken from the desktop's palette when painting.

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace kairos {

QColor ResolveColor(std::uint32_t color, const QPalette& palette);
std::uint32_t ToColorValue(const QColor& color);

}  // namespace kairos
