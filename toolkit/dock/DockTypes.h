// Small shared types of the docking component: rectangles, node types, dock
// modes, the metrics a layout pass needs, and the tab and caption-button
// records a group paints. Pure.
#pragma once
#include <algorithm>
#include <cstdint>

#include "framework/pure/BarLayout.h"

namespace brx {

class CDP;

// The framework's layout rectangle: one rectangle type for all layout arithmetic.
using DockRect = LayoutRect;

// A 64-bit result of coordinate arithmetic brought back into 32 bits.
inline int32_t DockClamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Node types, as stored in a layout blob. There is no type 3.
enum : uint8_t {
    DP_NODE_PLACEHOLDER = 1,
    DP_NODE_PANE = 2,
    DP_NODE_FLOATING = 4,
    DP_NODE_TABBED = 5,
    DP_NODE_SPLITTER = 6,
};

// Where a node docks relative to its reference node. Left and right need a
// row, above and below a column; right and below insert after the reference.
enum : int {
    DP_DOCK_LEFT = 0,
    DP_DOCK_ABOVE = 1,
    DP_DOCK_RIGHT = 2,
    DP_DOCK_BELOW = 3,
};

// Pane flags: a pane with this value cannot be closed by the user.
constexpr uint8_t DP_PANE_NO_CLOSE = 2;
constexpr uint8_t DP_PANE_FLAGS_MAX = 2;

// Room for a pane's title and short title, the terminating null included.
constexpr int DP_TITLE_CHARS = 32;
constexpr int DP_SHORT_TITLE_CHARS = 12;

// The heights a group's caption band and tab strip take from its rectangle.
struct DockMetrics {
    int32_t captionHeight = 0;
    int32_t tabHeight = 24;
};

// One tab of a group's strip: rebuilt by the group's window from its panes
// (text measured in the tab font), fitted and painted by the theme.
struct DP_TAB {
    char16_t text[DP_SHORT_TITLE_CHARS] = {};
    DockRect rect;
    CDP* pane = nullptr;
    int active = 0;
    const void* icon = nullptr;  // the pane's icon handle, or null
};

// The close button of a group's caption. Its rectangle is set by the theme
// while it draws the caption (empty when no button is shown).
enum : uint8_t {
    DP_BUTTON_CLOSE = 2,
    DP_BUTTON_PRESSED = 4,
    DP_BUTTON_HOT = 8,
};

struct CDPCaptionButton {
    DockRect rect;
    uint8_t flags = DP_BUTTON_CLOSE;
};

} // namespace brx
