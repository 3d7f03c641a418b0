// The layout tree of resizable windows, without windows: rows and columns of
// items, each taking space along its parent's direction as a fixed size, a
// percentage or a share of what is left. From the tree come the window's
// minimum and maximum sizes and, for a rectangle, a rectangle for every
// control. The window code (toolkit/layout/win/LayoutManager.h) makes the
// nodes from its controls and moves the controls to the rectangles found
// here, in one deferred batch.
//
// Controls are named by an opaque token (the window handle there, anything in
// tests); token 0 is an empty spacer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/pure/BarLayout.h"

namespace brx {

// Resize mode flags: how a node takes space along its parent's direction. A
// node with neither the fixed nor the percent flag of that direction shares
// what the fixed and percent nodes leave.
constexpr uint32_t LM_FIXED_W = 0x001;
constexpr uint32_t LM_PERCENT_W = 0x002;
constexpr uint32_t LM_FIXED_H = 0x004;
constexpr uint32_t LM_PERCENT_H = 0x008;
constexpr uint32_t LM_ALIGN_L = 0x010;  // with LM_ALIGN_R: centred
constexpr uint32_t LM_ALIGN_R = 0x020;  // alone: at the right of the cell
constexpr uint32_t LM_ALIGN_T = 0x040;  // with LM_ALIGN_B: centred
constexpr uint32_t LM_ALIGN_B = 0x080;  // alone: at the bottom of the cell
constexpr uint32_t LM_FILL_W = 0x100;   // a fixed width stretches to its cell and takes leftover space
constexpr uint32_t LM_FILL_H = 0x200;   // the same for heights
constexpr uint32_t LM_MINIMUM_SIZE = 5; // no node shares less than this

// Orientation of a pane.
constexpr int LM_ROW = 0;    // children side by side, left to right
constexpr int LM_COLUMN = 1; // children stacked, top to bottom

constexpr uint32_t CombineLayoutFlags(uint32_t a, uint32_t b) { return a | b; }

// What a layout pass decides for one window.
struct LayoutPlacement {
    enum Kind : uint8_t { Control, Frame };
    uintptr_t window = 0;
    LayoutRect rect;
    Kind kind = Control;
    bool combo = false; // the control is a combo box (its own height may win)
};
using LayoutPlacements = std::vector<LayoutPlacement>;

// --- the distribution along one direction

enum class LayoutSizing : uint8_t { Fixed, Percent, Share };

// One child as the distribution sees it: a fixed size, a percentage of the
// space the fixed children leave, or a share of what remains; its minimum and
// maximum (-1 unbounded); whether a fixed child takes part of leftover space.
struct LayoutSlot {
    LayoutSizing sizing = LayoutSizing::Share;
    int32_t value = 0; // the fixed size, or the percentage
    int32_t minimum = 0;
    int32_t maximum = -1;
    bool fill = false;
};

// Sizes for n children sharing `space` pixels (the extent less gaps and
// borders). Fixed children take their size; percent children take their
// percentage of what the fixed ones leave, kept within their limits, the
// others giving back in proportion what the pinned ones overdraw; sharing
// children split the rest equally (later children take the remainders of the
// division), again within their limits; space still left goes to the
// filling fixed children. When the minimums do not fit, children stay at
// their minimums and the sizes add up to more than `space`. Never divides by
// zero; negative space counts as none.
void DistributeLayout(const LayoutSlot* slots, size_t n, int32_t space, int32_t* sizes);

// --- the nodes

class LayoutNode {
public:
    virtual ~LayoutNode() = default;
    // The size in percent mode for a parent distributing `total` pixels, or
    // the fixed size; -1 (items) or 0 (panes) when the node has neither.
    virtual int32_t GetWidth(int32_t total) const = 0;
    virtual int32_t GetHeight(int32_t total) const = 0;
    virtual int32_t GetMinWidth() const = 0;
    virtual int32_t GetMaxWidth() const = 0; // -1: unbounded
    virtual int32_t GetMinHeight() const = 0;
    virtual int32_t GetMaxHeight() const = 0; // -1: unbounded
    // Places the node and its subtree in `rect`, appending a placement for
    // every window it moves.
    virtual bool Resize(const LayoutRect& rect, LayoutPlacements& out) const = 0;

    uint32_t mode = 0;

    // Along a parent's direction (horizontal: widths).
    int32_t GetSize(bool horizontal, int32_t total) const { return horizontal ? GetWidth(total) : GetHeight(total); }
    int32_t GetMinSize(bool horizontal) const { return horizontal ? GetMinWidth() : GetMinHeight(); }
    int32_t GetMaxSize(bool horizontal) const { return horizontal ? GetMaxWidth() : GetMaxHeight(); }
};

// A leaf: one control, or an empty spacer (window 0).
class LayoutItem : public LayoutNode {
public:
    int32_t width = 0; // fixed pixels, or a percentage with LM_PERCENT_W
    int32_t minWidth = 0;
    int32_t height = 0;
    int32_t minHeight = 0;
    uintptr_t window = 0;
    // The control's own size: a fixed, non-filling control keeps it and is
    // aligned in its cell.
    int32_t ownWidth = 0;
    int32_t ownHeight = 0;
    bool combo = false;

    int32_t GetWidth(int32_t total) const override;
    int32_t GetHeight(int32_t total) const override;
    int32_t GetMinWidth() const override;
    int32_t GetMaxWidth() const override;
    int32_t GetMinHeight() const override;
    int32_t GetMaxHeight() const override;
    bool Resize(const LayoutRect& rect, LayoutPlacements& out) const override;
};

using LayoutNodePtr = std::shared_ptr<LayoutNode>;
class LayoutPane;
using LayoutPanePtr = std::shared_ptr<LayoutPane>;

// A row or a column.
class LayoutPane : public LayoutNode, public std::enable_shared_from_this<LayoutPane> {
public:
    LayoutPane(int orientation, int32_t gap, int32_t border) : orientation(orientation), gap(gap), border(border) {}

    int orientation = LM_ROW;
    std::vector<LayoutNodePtr> children;
    int32_t size = 0; // fixed pixels or a percentage in the parent's direction
    int32_t gap = 0;
    int32_t border = 0;

    // Appends a node; returns this pane, so additions chain.
    LayoutPanePtr AddItem(LayoutNodePtr item);
    // Appends a pane with its own mode and size. A pane of this pane's own
    // orientation is wrapped in a pane of the other one first (the wrapper
    // carries the mode and size). A fixed pane of size 0 takes its minimum
    // along this pane's direction.
    LayoutPanePtr AddPane(LayoutPanePtr pane);

    int32_t GetWidth(int32_t total) const override;
    int32_t GetHeight(int32_t total) const override;
    int32_t GetMinWidth() const override;
    int32_t GetMaxWidth() const override;
    int32_t GetMinHeight() const override;
    int32_t GetMaxHeight() const override;
    bool Resize(const LayoutRect& rect, LayoutPlacements& out) const override;

protected:
    bool Horizontal() const { return orientation == LM_ROW; }
    int32_t MinAlong() const;
    int32_t MaxAlong() const;
    int32_t MinAcross() const;
    int32_t MaxAcross() const;
    // Lays the children out in `rect` (the whole pane, border included).
    bool ResizeChildren(const LayoutRect& rect, LayoutPlacements& out) const;
};

// A pane framed by a control (a group box): the frame takes the whole
// rectangle and the children go below its caption.
class LayoutPaneCtrl : public LayoutPane {
public:
    LayoutPaneCtrl(uintptr_t frame, int orientation, int32_t gap, int32_t border, int32_t extraTop)
        : LayoutPane(orientation, gap, border), frame(frame), extraTop(extraTop) {}

    uintptr_t frame = 0; // 0: no frame to move
    int32_t extraTop = 0;

    int32_t GetMinHeight() const override;
    int32_t GetMaxHeight() const override;
    bool Resize(const LayoutRect& rect, LayoutPlacements& out) const override;
};

// Building helpers (the window code adds the control lookups).
LayoutPanePtr MakeLayoutPane(int orientation, uint32_t mode, int32_t gap, int32_t border, int32_t size);
LayoutPanePtr MakeLayoutPaneCtrl(uintptr_t frame, int orientation, uint32_t mode, int32_t gap, int32_t border,
                                 int32_t extraTop, int32_t size);
// An item without window that grows in one direction: vertical (nonzero) a
// zero-width item growing in height, else a zero-height one growing in width.
LayoutNodePtr MakeLayoutGrowingSpacer(int vertical);
// A fixed gap: direction 0 `size` wide, 1 `size` high.
LayoutNodePtr MakeLayoutFixedSpacer(int direction, int32_t size);

} // namespace brx
