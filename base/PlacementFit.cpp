#include "base/PlacementFit.h"

#include <utility>

namespace brx {

namespace {

// One axis of the fitting, in 64 bits: stored edges may be anything.
void FitSpan(int64_t& low, int64_t& high, int64_t areaLow, int64_t areaHigh) {
    if (low < areaLow) {
        int64_t d = areaLow - low;
        low += d;
        high += d;
    }
    if (high > areaHigh) {
        int64_t d = high - areaHigh;
        low -= d;
        high -= d;
    }
    if (low < areaLow)
        low = areaLow;
}

} // namespace

PlacementRect NormalizeRect(PlacementRect r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

bool RectsOverlap(const PlacementRect& a, const PlacementRect& b) {
    if (a.left >= a.right || a.top >= a.bottom || b.left >= b.right || b.top >= b.bottom) return false;
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

PlacementRect FitRectToWorkArea(PlacementRect r, const PlacementRect& workArea) {
    r = NormalizeRect(r);
    const PlacementRect& w = workArea;
    bool inside = r.left >= w.left && r.right <= w.right && r.top >= w.top && r.bottom <= w.bottom;
    if (!RectsOverlap(r, w) || inside)
        return r;
    int64_t left = r.left, right = r.right, top = r.top, bottom = r.bottom;
    FitSpan(left, right, w.left, w.right);
    FitSpan(top, bottom, w.top, w.bottom);
    // After fitting each edge lies within the work area's span.
    return PlacementRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                         static_cast<int32_t>(bottom)};
}

} // namespace brx
