#pragma once
// Where a dialog comes up: centred on its owner window, then moved, if need
// be, to lie within the screen.

#include <QRect>

class QWidget;

namespace kairos {

// The top-left corner that keeps the rectangle inside the area: each edge is
// clamped to the area's start and its end minus the size, and when the
// rectangle is larger than the area the end wins.
QPoint ClampIntoArea(const QRect& window, const QRect& area);

// The centre of the owner's frame, or of the screen without an owner.
void CentreOnOwner(QWidget* dialog);
// Within the work area of the dialog's screen (the screen without the panels).
void KeepInWorkArea(QWidget* dialog);
// Within the whole screen, from its origin.
void KeepOnScreen(QWidget* dialog);

}  // namespace kairos
