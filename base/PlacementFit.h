// Fitting a saved window rectangle onto a monitor's work area: the one rule
// for every window whose placement outlives the program (the main window and
// the resizable dialogs). Pure arithmetic; the window code picks the work
// area (the monitor nearest to the rectangle) and applies the result.
#pragma once
#include <cstdint>

namespace brx {

struct PlacementRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

inline bool operator==(const PlacementRect& a, const PlacementRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Swaps edges so that left <= right and top <= bottom.
PlacementRect NormalizeRect(PlacementRect r);

// Whether two normalised rectangles share at least one pixel (touching edges
// do not count, and an empty rectangle has none).
bool RectsOverlap(const PlacementRect& a, const PlacementRect& b);

// Moves a rectangle that overlaps the work area but is not wholly inside it
// back onto the work area, keeping its size, and narrows it at the area's
// left (top) edge when it is wider (taller) than the area. A rectangle wholly
// outside the area (or empty) is returned normalised and otherwise unchanged: what then
// happens to the window (centred on its parent, or left to the system) is the
// caller's choice, which it makes with RectsOverlap. Never overflows,
// whatever the stored edges.
PlacementRect FitRectToWorkArea(PlacementRect r, const PlacementRect& workArea);

} // namespace brx
