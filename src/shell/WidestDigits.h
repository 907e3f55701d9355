#pragma once
// Samples that size a window for every text of their pattern.

#include <QString>

class QFontMetrics;

namespace kairos {

// The text with each digit 0 to 9 replaced by the one digit that makes it
// widest in this font. A face with proportional figures draws "10:10" wider
// than "11:59", so a sample measured as it is can be narrower than the
// texts it stands for.
QString WithWidestDigits(const QString& text, const QFontMetrics& metrics);

}  // namespace kairos
