#include "framework/pure/BarLayout.h"

#include <algorithm>

namespace brx {

namespace {

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

} // namespace

LayoutRect TakeEdge(LayoutRect& free, LayoutEdge edge, int32_t thickness) {
    bool across = edge == LayoutEdge::Left || edge == LayoutEdge::Right;
    int64_t room = across ? static_cast<int64_t>(free.right) - free.left : static_cast<int64_t>(free.bottom) - free.top;
    int32_t take = static_cast<int32_t>(std::clamp<int64_t>(thickness, 0, std::max<int64_t>(room, 0)));
    LayoutRect strip = free;
    switch (edge) {
    case LayoutEdge::Left:
        strip.right = free.left + take;
        free.left = strip.right;
        break;
    case LayoutEdge::Top:
        strip.bottom = free.top + take;
        free.top = strip.bottom;
        break;
    case LayoutEdge::Right:
        strip.left = free.right - take;
        free.right = strip.left;
        break;
    case LayoutEdge::Bottom:
        strip.top = free.bottom - take;
        free.bottom = strip.top;
        break;
    }
    // An inverted rectangle had no room: what is free is empty at its far side.
    if (room < 0) {
        if (across) free.right = free.left;
        else free.bottom = free.top;
    }
    return strip;
}

int32_t ClampSize(int32_t size, int32_t minimum, int32_t maximum) {
    if (size > maximum) size = maximum;
    if (size < minimum) size = minimum;
    return size;
}

LayoutSplit SplitRect(const LayoutRect& whole, bool sideBySide, int32_t position, int32_t gap, int32_t minFirst,
                      int32_t minSecond) {
    // The same arithmetic along either axis: the edges the split moves.
    int32_t LayoutRect::*low = sideBySide ? &LayoutRect::left : &LayoutRect::top;
    int32_t LayoutRect::*high = sideBySide ? &LayoutRect::right : &LayoutRect::bottom;
    int64_t length = std::max<int64_t>(static_cast<int64_t>(whole.*high) - whole.*low, 0);
    gap = std::max(gap, 0);
    minFirst = std::max(minFirst, 0);
    minSecond = std::max(minSecond, 0);
    int64_t room = std::max<int64_t>(length - gap, 0);
    // Keep the second part's minimum first, then the first part's.
    int64_t first = std::clamp<int64_t>(position, 0, room);
    first = std::min<int64_t>(first, std::max<int64_t>(room - minSecond, 0));
    first = std::max<int64_t>(first, std::min<int64_t>(minFirst, std::max<int64_t>(room - minSecond, 0)));
    int64_t gapUsed = std::min<int64_t>(gap, length);
    LayoutSplit split{whole, whole};
    int64_t start = whole.*low;
    split.second.*high = Clamp32(start + length);
    split.first.*high = std::min(Clamp32(start + first), split.second.*high);
    split.second.*low = std::min(Clamp32(start + first + gapUsed), split.second.*high);
    return split;
}

std::vector<int32_t> StatusPaneEdges(const std::vector<StatusPaneSpec>& panes, int32_t totalWidth, int32_t reserved) {
    std::vector<int32_t> edges;
    edges.reserve(panes.size());
    int64_t fixed = 0;
    int64_t stretchers = 0;
    for (const StatusPaneSpec& p : panes) {
        int64_t border = 2 * static_cast<int64_t>(std::max(p.border, 0));
        if (p.stretch) {
            ++stretchers;
            fixed += border;
        } else {
            fixed += std::max<int64_t>(p.width, 0) + border;
        }
    }
    int64_t left = std::max<int64_t>(static_cast<int64_t>(totalWidth) - std::max(reserved, 0) - fixed, 0);
    int64_t share = stretchers ? left / stretchers : 0;
    int64_t odd = stretchers ? left % stretchers : 0;
    int64_t x = 0;
    bool first = true;
    for (const StatusPaneSpec& p : panes) {
        int64_t border = 2 * static_cast<int64_t>(std::max(p.border, 0));
        int64_t width = border;
        if (p.stretch) {
            width += share + (first ? odd : 0);
            first = false;
        } else {
            width += std::max<int64_t>(p.width, 0);
        }
        x += width;
        edges.push_back(Clamp32(x));
    }
    return edges;
}

} // namespace brx
