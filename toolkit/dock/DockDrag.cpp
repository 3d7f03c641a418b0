#include "toolkit/dock/DockDrag.h"

#include <algorithm>
#include <cstdlib>

namespace brx {

DockRect DockDragStartRect(const DockRect& r, int32_t x, int32_t y) {
    const int64_t dx = x < r.left ? int64_t(x) - r.left : x > r.right ? int64_t(x) - r.right : 0;
    const int64_t dy = y < r.top ? int64_t(y) - r.top : y > r.bottom ? int64_t(y) - r.bottom : 0;
    return DockRect{DockClamp32(r.left + dx), DockClamp32(r.top + dy), DockClamp32(r.right + dx),
                    DockClamp32(r.bottom + dy)};
}

bool DockEdgeTest(const DockRect& r, int32_t x, int32_t y, bool inside, DockRect& half, int& mode) {
    if (inside && !(x >= r.left && x < r.right && y >= r.top && y < r.bottom)) return false;
    const int64_t sign = inside ? 1 : -1;
    int64_t zone = DP_DOCK_ZONE;
    const int64_t midX = (int64_t(r.left) + r.right) / 2;
    const int64_t midY = (int64_t(r.top) + r.bottom) / 2;
    bool found = false;
    auto within = [&](int64_t d) { return std::llabs(d) < zone && sign * d >= 0; };
    const int64_t left = int64_t(x) - r.left;
    if (within(left)) {
        half = DockRect{r.left, r.top, DockClamp32(midX), r.bottom};
        mode = DP_DOCK_LEFT;
        zone = std::llabs(left);
        found = true;
    }
    const int64_t top = int64_t(y) - r.top;
    const int64_t right = int64_t(r.right) - x;
    const int64_t bottom = int64_t(r.bottom) - y;
    if (within(top)) {
        half = DockRect{r.left, r.top, r.right, DockClamp32(midY)};
        mode = DP_DOCK_ABOVE;
        found = true;
    } else if (within(right)) {
        half = DockRect{DockClamp32(midX), r.top, r.right, r.bottom};
        mode = DP_DOCK_RIGHT;
        found = true;
    } else if (within(bottom)) {
        half = DockRect{r.left, DockClamp32(midY), r.right, r.bottom};
        mode = DP_DOCK_BELOW;
        found = true;
    }
    return found;
}

DockOutlineShape DockOutlineFor(const DockRect& r, bool tab) {
    DockOutlineShape shape;
    if (!tab) {
        shape.frames.push_back(r);
        return shape;
    }
    const int32_t w = r.right - r.left;
    const int32_t h = r.bottom - r.top;
    const int32_t tw = std::min(w - 5, 50);
    const int32_t th = std::min(h / 2, 20);
    const DockRect body{r.left, r.top, r.right, r.bottom - th};
    const DockRect tabRect{r.left + 5, r.bottom - th - 4, r.left + tw + 5, r.bottom};
    DockRect joint{std::max(body.left, tabRect.left) + 4, std::max(body.top, tabRect.top),
                   std::min(body.right, tabRect.right) - 4, std::min(body.bottom, tabRect.bottom)};
    shape.frames.push_back(tabRect);
    shape.frames.push_back(body);
    if (joint.left < joint.right && joint.top < joint.bottom) shape.frames.push_back(joint);
    return shape;
}

} // namespace brx
