#pragma once
// Where a dragged window lands: within SnapDistance pixels of a work-area
// edge it is pulled flush against that edge.

namespace kairos {

struct SnapRect {
    int left, top, width, height;
};
struct SnapPoint {
    int x, y;
};

inline constexpr int SnapDistance = 10;

constexpr int SnapAxis(int position, int size, int areaStart, int areaSize) {
    const int areaEnd = areaStart + areaSize;
    const int gapStart = position - areaStart;
    const int gapEnd = areaEnd - (position + size);
    if (gapStart >= -SnapDistance && gapStart <= SnapDistance) return areaStart;
    if (gapEnd >= -SnapDistance && gapEnd <= SnapDistance) return areaEnd - size;
    return position;
}

constexpr SnapPoint SnapToWorkArea(SnapRect window, SnapRect workArea) {
    return {SnapAxis(window.left, window.width, workArea.left, workArea.width),
            SnapAxis(window.top, window.height, workArea.top, workArea.height)};
}

}  // namespace kairos
