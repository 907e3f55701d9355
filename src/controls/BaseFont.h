#pragma once
// The face and size every window of the program is designed in; on Linux the
// font substitutes map the face to an installed Japanese one.

#include <QFont>
#include <QString>

namespace kairos {

inline QFont BaseFont() { return QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9); }

}  // namespace kairos
