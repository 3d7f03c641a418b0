// Layout arithmetic of frames and bars, without windows: a rectangle type of
// our own, taking a strip off an edge for a bar, splitting with minimum sizes,
// and the part edges of a status bar. Pure: the window code converts RECTs at
// its edge and moves windows in one deferred batch.
#pragma once
#include <cstdint>
#include <vector>

namespace brx {

struct LayoutRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const LayoutRect&) const = default;
};

enum class LayoutEdge { Left, Top, Right, Bottom };

// Takes a strip `thickness` thick along `edge` of `free` and returns it; the
// strip spans the whole free width (or height). Never more than is free and
// never less than nothing: `free` keeps the rest, at worst an empty rectangle
// on the far side. A negative thickness takes nothing.
LayoutRect TakeEdge(LayoutRect& free, LayoutEdge edge, int32_t thickness);

// A size kept between a minimum and a maximum (the minimum wins when they
// cross, so a window never gets less than it needs to draw itself).
int32_t ClampSize(int32_t size, int32_t minimum, int32_t maximum);

// `whole` split in two side by side (sideBySide) or one above the other, with
// a gap (a splitter bar) between. `position` is the first part's size; each
// part keeps its minimum where there is room for both, and when there is not,
// the first part gives way first.
struct LayoutSplit {
    LayoutRect first;
    LayoutRect second;
};
LayoutSplit SplitRect(const LayoutRect& whole, bool sideBySide, int32_t position, int32_t gap, int32_t minFirst,
                      int32_t minSecond);

// One pane of a status bar: its width, the padding its border takes on each
// side, and whether it stretches.
struct StatusPaneSpec {
    int32_t width = 0;
    int32_t border = 0;
    bool stretch = false;
};
// The right edges of the panes in a bar `totalWidth` wide, less `reserved` at
// the right (the size grip): fixed panes take their width and borders,
// stretching panes share what is left equally (the first takes the odd
// pixels) and none gets less than its borders. The edges never go down.
std::vector<int32_t> StatusPaneEdges(const std::vector<StatusPaneSpec>& panes, int32_t totalWidth, int32_t reserved);

} // namespace brx
