#include "toolkit/layout/LayoutTree.h"

#include <algorithm>
#include <cstdlib>

namespace brx {

namespace {

constexpr int32_t kMin = static_cast<int32_t>(LM_MINIMUM_SIZE);

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t Percent(int32_t total, int32_t percent) {
    return Clamp32(static_cast<int64_t>(total) * percent / 100);
}

// The working state of one distribution.
struct Work {
    const LayoutSlot* slots;
    size_t n;
    std::vector<int64_t> size;
    std::vector<uint8_t> pinned; // 0 free, 1 at its minimum, 2 at its maximum
};

// Takes `deficit` pixels (a negative deficit gives them) from the free
// children of one sizing, in proportion to their sizes. A child that would
// cross one of its limits is pinned there and leaves the flexible total with
// its size at that moment. Small or rounded-away remainders go whole to the
// next free child. Returns the deficit left (nonzero when every child is
// pinned).
int64_t Rebalance(Work& w, LayoutSizing sizing, int64_t deficit) {
    int64_t flex = 0;
    for (size_t i = 0; i < w.n; ++i)
        if (w.slots[i].sizing == sizing && !w.pinned[i]) flex += w.size[i];
    while (deficit != 0 && flex > 0) {
        const int64_t passFlex = flex;
        int64_t taken = 0;
        for (size_t i = 0; i < w.n; ++i) {
            if (w.slots[i].sizing != sizing || w.pinned[i]) continue;
            const LayoutSlot& s = w.slots[i];
            int64_t& size = w.size[i];
            int64_t delta = deficit * size / passFlex;
            bool last = false;
            if (std::llabs(deficit) <= kMin || delta == 0) {
                delta = deficit - taken;
                last = true;
            }
            int64_t wanted = size - delta;
            if (wanted < s.minimum) {
                taken += size - s.minimum;
                flex -= size;
                size = s.minimum;
                w.pinned[i] = 1;
            } else if (s.maximum != -1 && wanted > s.maximum) {
                taken += size - s.maximum;
                flex -= size;
                size = s.maximum;
                w.pinned[i] = 2;
            } else {
                taken += delta;
                flex -= delta;
                size = wanted;
                if (last) break;
            }
            if (taken == deficit) break;
        }
        if (taken == 0) break;
        deficit -= taken;
    }
    return deficit;
}

} // namespace

void DistributeLayout(const LayoutSlot* slots, size_t n, int32_t space, int32_t* sizes) {
    if (n == 0) return;
    Work w{slots, n, std::vector<int64_t>(n, 0), std::vector<uint8_t>(n, 0)};
    int64_t avail = space;
    size_t sharing = 0;

    // Fixed children first.
    for (size_t i = 0; i < n; ++i) {
        if (slots[i].sizing == LayoutSizing::Fixed) {
            w.size[i] = slots[i].value;
            avail -= slots[i].value;
        } else if (slots[i].sizing == LayoutSizing::Share) {
            ++sharing;
        }
    }
    if (avail < 0) avail = 0;

    // Percent children: their part of what the fixed ones left.
    const int64_t base = avail;
    int64_t deficit = 0, slack = 0;
    bool anyPercent = false;
    for (size_t i = 0; i < n; ++i) {
        const LayoutSlot& s = slots[i];
        if (s.sizing != LayoutSizing::Percent) continue;
        anyPercent = true;
        int64_t wanted = base * s.value / 100;
        if (wanted < s.minimum) {
            w.size[i] = s.minimum;
            w.pinned[i] = 1;
            deficit += s.minimum - wanted;
        } else if (s.maximum != -1 && wanted > s.maximum) {
            w.size[i] = s.maximum;
            w.pinned[i] = 2;
            deficit += s.maximum - wanted;
        } else {
            w.size[i] = wanted;
            slack += wanted - s.minimum;
        }
        avail -= wanted;
    }
    if (anyPercent) {
        // What the free percent children cannot give up comes from the space
        // the sharing children would get.
        if (slack < deficit && avail >= deficit - slack) {
            avail -= deficit - slack;
            deficit = slack;
        }
        deficit = Rebalance(w, LayoutSizing::Percent, deficit);
        // Space that children pinned at their maximum did not take is not lost.
        if (deficit < 0) avail -= deficit;
    }
    if (avail < 0) avail = 0;

    // Sharing children split the rest; later ones take the remainders.
    deficit = 0;
    size_t left = sharing;
    for (size_t i = 0; i < n && left > 0; ++i) {
        const LayoutSlot& s = slots[i];
        if (s.sizing != LayoutSizing::Share) continue;
        int64_t share = left == 1 ? avail : avail / static_cast<int64_t>(left);
        if (share < s.minimum) {
            w.size[i] = s.minimum;
            w.pinned[i] = 1;
            deficit += s.minimum - share;
        } else if (s.maximum != -1 && share > s.maximum) {
            w.size[i] = s.maximum;
            w.pinned[i] = 2;
            deficit += s.maximum - share;
        } else {
            w.size[i] = share;
        }
        avail -= share;
        --left;
    }
    if (sharing > 0) {
        deficit = Rebalance(w, LayoutSizing::Share, deficit);
        // A surplus left by children at their maximum goes to the ones held
        // at their minimum, each up to its maximum.
        for (size_t i = 0; i < n && deficit < 0; ++i) {
            const LayoutSlot& s = slots[i];
            if (s.sizing != LayoutSizing::Share || w.pinned[i] != 1) continue;
            int64_t give = -deficit;
            if (s.maximum != -1) give = std::min<int64_t>(give, std::max<int64_t>(0, s.maximum - w.size[i]));
            w.size[i] += give;
            deficit += give;
        }
        if (deficit < 0) avail -= deficit;
    }

    // Leftover space goes to the filling fixed children.
    if (avail > 0) {
        int64_t k = 0;
        for (size_t i = 0; i < n; ++i)
            if (slots[i].sizing == LayoutSizing::Fixed && slots[i].fill) ++k;
        for (size_t i = 0; i < n && k > 0; ++i) {
            if (slots[i].sizing != LayoutSizing::Fixed || !slots[i].fill) continue;
            int64_t add = k == 1 ? avail : avail / k;
            w.size[i] += add;
            avail -= add;
            --k;
        }
    }
    for (size_t i = 0; i < n; ++i) sizes[i] = Clamp32(std::max<int64_t>(w.size[i], 0));
}

// --- items

int32_t LayoutItem::GetWidth(int32_t total) const {
    if (mode & LM_FIXED_W) return width;
    if (mode & LM_PERCENT_W) return Percent(total, width);
    return -1;
}

int32_t LayoutItem::GetHeight(int32_t total) const {
    if (mode & LM_FIXED_H) return height;
    if (mode & LM_PERCENT_H) return Percent(total, height);
    return -1;
}

int32_t LayoutItem::GetMinWidth() const { return (mode & LM_FIXED_W) ? width : std::max(minWidth, kMin); }
int32_t LayoutItem::GetMaxWidth() const { return (mode & LM_FIXED_W) ? width : -1; }
int32_t LayoutItem::GetMinHeight() const { return (mode & LM_FIXED_H) ? height : std::max(minHeight, kMin); }
int32_t LayoutItem::GetMaxHeight() const { return (mode & LM_FIXED_H) ? height : -1; }

bool LayoutItem::Resize(const LayoutRect& rect, LayoutPlacements& out) const {
    if (!window) return true;
    LayoutRect r = rect;
    if ((mode & LM_FIXED_W) && !(mode & LM_FILL_W)) {
        int32_t cell = r.Width();
        if ((mode & LM_ALIGN_L) && (mode & LM_ALIGN_R)) r.left += (cell - ownWidth) / 2;
        else if (mode & LM_ALIGN_R) r.left += cell - ownWidth;
        r.right = r.left + ownWidth;
    }
    if ((mode & LM_FIXED_H) && !(mode & LM_FILL_H)) {
        int32_t cell = r.Height();
        if ((mode & LM_ALIGN_T) && (mode & LM_ALIGN_B)) r.top += (cell - ownHeight) / 2;
        else if (mode & LM_ALIGN_B) r.top += cell - ownHeight;
        r.bottom = r.top + ownHeight;
    }
    LayoutPlacement p;
    p.window = window;
    p.rect = r;
    p.kind = LayoutPlacement::Control;
    p.combo = combo;
    out.push_back(p);
    return true;
}

// --- panes

LayoutPanePtr LayoutPane::AddItem(LayoutNodePtr item) {
    if (item) children.push_back(std::move(item));
    return shared_from_this();
}

LayoutPanePtr LayoutPane::AddPane(LayoutPanePtr pane) {
    if (!pane) return shared_from_this();
    const uint32_t m = pane->mode;
    const int32_t s = pane->size;
    LayoutPanePtr added = pane;
    if (pane->orientation == orientation) {
        added = std::make_shared<LayoutPane>(orientation == LM_ROW ? LM_COLUMN : LM_ROW, 0, 0);
        added->children.push_back(pane);
    }
    added->mode = m;
    added->size = s;
    const bool horizontal = Horizontal();
    const uint32_t fixed = horizontal ? LM_FIXED_W : LM_FIXED_H;
    if ((m & fixed) && s == 0) added->size = added->GetMinSize(horizontal);
    children.push_back(added);
    return shared_from_this();
}

int32_t LayoutPane::GetWidth(int32_t total) const {
    if (mode & LM_PERCENT_W) return Percent(total, size);
    if (mode & LM_FIXED_W) return size;
    return 0;
}

int32_t LayoutPane::GetHeight(int32_t total) const {
    if (mode & LM_PERCENT_H) return Percent(total, size);
    if (mode & LM_FIXED_H) return size;
    return 0;
}

int32_t LayoutPane::MinAlong() const {
    const bool h = Horizontal();
    int64_t sum = 2 * static_cast<int64_t>(border);
    for (const auto& c : children) sum += std::max(c->GetMinSize(h), kMin);
    if (!children.empty()) sum += static_cast<int64_t>(children.size() - 1) * gap;
    return Clamp32(sum);
}

int32_t LayoutPane::MaxAlong() const {
    const bool h = Horizontal();
    if (children.empty()) return -1;
    int64_t sum = 2 * static_cast<int64_t>(border) + static_cast<int64_t>(children.size() - 1) * gap;
    for (const auto& c : children) {
        int32_t m = c->GetMaxSize(h);
        if (m == -1) return -1;
        sum += m;
    }
    return Clamp32(sum);
}

int32_t LayoutPane::MinAcross() const {
    const bool h = Horizontal();
    if ((mode & (h ? LM_FIXED_H : LM_FIXED_W)) && size != 0) return size;
    int32_t largest = 0;
    for (const auto& c : children) largest = std::max(largest, c->GetMinSize(!h));
    return Clamp32(static_cast<int64_t>(largest) + 2 * static_cast<int64_t>(border));
}

int32_t LayoutPane::MaxAcross() const {
    const bool h = Horizontal();
    if ((mode & (h ? LM_FIXED_H : LM_FIXED_W)) && size != 0) return size;
    if (children.empty()) return -1;
    int32_t largest = 0;
    for (const auto& c : children) {
        int32_t m = c->GetMaxSize(!h);
        if (m == -1) return -1;
        largest = std::max(largest, m);
    }
    return Clamp32(static_cast<int64_t>(largest) + 2 * static_cast<int64_t>(border));
}

int32_t LayoutPane::GetMinWidth() const { return Horizontal() ? MinAlong() : MinAcross(); }
int32_t LayoutPane::GetMaxWidth() const { return Horizontal() ? MaxAlong() : MaxAcross(); }
int32_t LayoutPane::GetMinHeight() const { return Horizontal() ? MinAcross() : MinAlong(); }
int32_t LayoutPane::GetMaxHeight() const { return Horizontal() ? MaxAcross() : MaxAlong(); }

bool LayoutPane::Resize(const LayoutRect& rect, LayoutPlacements& out) const { return ResizeChildren(rect, out); }

bool LayoutPane::ResizeChildren(const LayoutRect& rect, LayoutPlacements& out) const {
    const size_t n = children.size();
    if (n == 0) return true;
    const bool h = Horizontal();
    const uint32_t fixed = h ? LM_FIXED_W : LM_FIXED_H;
    const uint32_t percent = h ? LM_PERCENT_W : LM_PERCENT_H;
    const uint32_t fill = h ? LM_FILL_W : LM_FILL_H;

    std::vector<LayoutSlot> slots(n);
    for (size_t i = 0; i < n; ++i) {
        const LayoutNode& c = *children[i];
        LayoutSlot& s = slots[i];
        s.minimum = c.GetMinSize(h);
        s.maximum = c.GetMaxSize(h);
        if (c.mode & fixed) {
            s.sizing = LayoutSizing::Fixed;
            s.value = c.GetSize(h, 0);
            s.fill = (c.mode & fill) != 0;
        } else if (c.mode & percent) {
            s.sizing = LayoutSizing::Percent;
            s.value = c.GetSize(h, 100); // the percentage itself
        }
    }
    const int64_t extent = h ? rect.Width() : rect.Height();
    const int64_t space = extent - static_cast<int64_t>(n - 1) * gap - 2 * static_cast<int64_t>(border);
    std::vector<int32_t> sizes(n);
    DistributeLayout(slots.data(), n, Clamp32(std::max<int64_t>(space, 0)), sizes.data());

    LayoutRect cell = rect;
    if (h) {
        cell.top += border;
        cell.bottom -= border;
    } else {
        cell.left += border;
        cell.right -= border;
    }
    int64_t p = static_cast<int64_t>(h ? rect.left : rect.top) + border;
    bool ok = true;
    for (size_t i = 0; i < n; ++i) {
        if (h) {
            cell.left = Clamp32(p);
            cell.right = Clamp32(p + sizes[i]);
        } else {
            cell.top = Clamp32(p);
            cell.bottom = Clamp32(p + sizes[i]);
        }
        if (!children[i]->Resize(cell, out)) ok = false;
        p += static_cast<int64_t>(sizes[i]) + gap;
    }
    return ok;
}

int32_t LayoutPaneCtrl::GetMinHeight() const {
    return Clamp32(static_cast<int64_t>(LayoutPane::GetMinHeight()) + extraTop);
}

int32_t LayoutPaneCtrl::GetMaxHeight() const {
    int32_t m = LayoutPane::GetMaxHeight();
    return m == -1 ? -1 : Clamp32(static_cast<int64_t>(m) + extraTop);
}

bool LayoutPaneCtrl::Resize(const LayoutRect& rect, LayoutPlacements& out) const {
    if (frame) {
        LayoutPlacement p;
        p.window = frame;
        p.rect = rect;
        p.kind = LayoutPlacement::Frame;
        out.push_back(p);
    }
    LayoutRect inner = rect;
    inner.top = Clamp32(static_cast<int64_t>(inner.top) + extraTop);
    return ResizeChildren(inner, out);
}

// --- building helpers

LayoutPanePtr MakeLayoutPane(int orientation, uint32_t mode, int32_t gap, int32_t border, int32_t size) {
    auto pane = std::make_shared<LayoutPane>(orientation, gap, border);
    pane->mode = mode;
    pane->size = size;
    return pane;
}

LayoutPanePtr MakeLayoutPaneCtrl(uintptr_t frame, int orientation, uint32_t mode, int32_t gap, int32_t border,
                                 int32_t extraTop, int32_t size) {
    auto pane = std::make_shared<LayoutPaneCtrl>(frame, orientation, gap, border, extraTop);
    pane->mode = mode;
    pane->size = size;
    return pane;
}

LayoutNodePtr MakeLayoutGrowingSpacer(int vertical) {
    auto item = std::make_shared<LayoutItem>();
    item->mode = vertical ? LM_FIXED_W : LM_FIXED_H;
    item->minWidth = -kMin;
    item->minHeight = -kMin;
    return item;
}

LayoutNodePtr MakeLayoutFixedSpacer(int direction, int32_t size) {
    auto item = std::make_shared<LayoutItem>();
    item->mode = LM_FIXED_W | LM_FIXED_H;
    if (direction == 0) item->width = size;
    else item->height = size;
    return item;
}

} // namespace brx
