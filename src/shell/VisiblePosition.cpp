#include "shell/VisiblePosition.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace kairos {
namespace {

int Right(const SnapRect& r) { return r.left + r.width; }
int Bottom(const SnapRect& r) { return r.top + r.height; }

bool Contains(const SnapRect& area, int x, int y) {
    return x >= area.left && x < Right(area) && y >= area.top && y < Bottom(area);
}

// The edges of the window and of every area that cut it divide it into
// cells each either wholly inside an area or wholly outside all of them.
bool IsCovered(const SnapRect& window, std::span<const SnapRect> areas) {
    std::vector<int> xs{window.left, Right(window)};
    std::vector<int> ys{window.top, Bottom(window)};
    for (const SnapRect& area : areas) {
        for (const int x : {area.left, Right(area)})
            if (x > window.left && x < Right(window)) xs.push_back(x);
        for (const int y : {area.top, Bottom(area)})
            if (y > window.top && y < Bottom(window)) ys.push_back(y);
    }
    std::ranges::sort(xs);
    std::ranges::sort(ys);
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            if (xs[i] == xs[i + 1] || ys[j] == ys[j + 1]) continue;
            const auto holdsCell = [&](const SnapRect& area) { return Contains(area, xs[i], ys[j]); };
            if (!std::ranges::any_of(areas, holdsCell)) return false;
        }
    }
    return true;
}

int FitAxis(int position, int size, int areaStart, int areaSize) {
    return std::max(areaStart, std::min(position, areaStart + areaSize - size));
}

}  // namespace

SnapPoint VisiblePosition(SnapRect window, std::span<const SnapRect> workAreas) {
    const SnapPoint kept{window.left, window.top};
    if (workAreas.empty() || IsCovered(window, workAreas)) return kept;
    SnapPoint nearest = kept;
    auto nearestDistance = std::numeric_limits<std::int64_t>::max();
    for (const SnapRect& area : workAreas) {
        const SnapPoint fitted{FitAxis(window.left, window.width, area.left, area.width),
                               FitAxis(window.top, window.height, area.top, area.height)};
        const std::int64_t dx = fitted.x - window.left;
        const std::int64_t dy = fitted.y - window.top;
        if (const std::int64_t distance = dx * dx + dy * dy; distance < nearestDistance) {
            nearest = fitted;
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace kairos
