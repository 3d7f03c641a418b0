// The arithmetic of dragging a group or pane: where the drag rectangle
// starts, which edge band of a rectangle the mouse is in, and the outline
// shapes the tracker shows. Pure.
#pragma once
#include <cstdint>
#include <vector>

#include "toolkit/dock/DockTypes.h"

namespace brx {

// How far from an edge a point still docks there.
constexpr int32_t DP_DOCK_ZONE = 22;
// How far the mouse must move before a drag starts.
constexpr int32_t DP_DRAG_THRESHOLD = 4;
// Thickness of a drag outline.
constexpr int32_t DP_OUTLINE_WIDTH = 4;

// The node's screen rectangle moved the least distance that puts the point
// inside it.
DockRect DockDragStartRect(const DockRect& nodeRect, int32_t x, int32_t y);

// The half of `r` the point docks into, and the dock mode. With `inside`
// the bands lie along the inner edges and a point outside gives nothing;
// without, they lie outside the edges. The left edge is tested first; top,
// right or bottom replace it only when strictly nearer, the first of them
// within the zone winning.
bool DockEdgeTest(const DockRect& r, int32_t x, int32_t y, bool inside, DockRect& half, int& mode);

// The outline shown for a rectangle, as frames 4 pixels thick: one frame,
// or with `tab` a group with a tab below it: (tab OR body) XOR joint, the
// joint (where tab and body meet) left out when they do not overlap.
struct DockOutlineShape {
    std::vector<DockRect> frames;  // each a frame 4 pixels thick
};
DockOutlineShape DockOutlineFor(const DockRect& r, bool tab);

} // namespace brx
