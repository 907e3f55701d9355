#pragma once
// Where a window stands wholly within the work areas of the screens: the
// same work areas the drag snaps to.

#include <span>

#include "shell/SnapToWorkArea.h"

namespace kairos {

// The window's own position when the work areas together cover it, seams
// between screens included. Otherwise the nearest position wholly inside
// one work area; a window larger than the area keeps its left or top edge
// at the area's. With no work areas at all the window stays.
SnapPoint VisiblePosition(SnapRect window, std::span<const SnapRect> workAreas);

}  // namespace kairos
