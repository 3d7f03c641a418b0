#include <algorithm>

#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockNodes.h"

namespace brx {

DockRect DockHost::ScreenRect(const CDPBase& node) const { return node.rect; }

void CopyDockText(char16_t* dst, int room, const char16_t* src) {
    if (!dst || room <= 0) return;
    int n = 0;
    if (src) {
        while (n < room - 1 && src[n]) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
}

// ---- CDPBase

CDPBase* CDPBase::Top() const {
    const CDPBase* node = this;
    while (node->parent_) node = node->parent_;
    return const_cast<CDPBase*>(node);
}

CDPMiniWnd* CDPBase::FloatingFrame() const {
    CDPBase* top = Top();
    return top->Type() == DP_NODE_FLOATING ? static_cast<CDPMiniWnd*>(top) : nullptr;
}

bool CDPBase::IsPlaced() const {
    const CDPBase* top = Top();
    return top == layout_->Root() || top->Type() == DP_NODE_FLOATING;
}

bool CDPBase::IsAncestorOf(const CDPBase* node) const {
    for (; node; node = node->parent_)
        if (node == this) return true;
    return false;
}

void CDPBase::SetExtents(int64_t width, int64_t height) {
    cx = static_cast<uint16_t>(std::clamp<int64_t>(width, 0, 0xFFFF));
    cy = static_cast<uint16_t>(std::clamp<int64_t>(height, 0, 0xFFFF));
}

void CDPBase::SetParent(CDPBase* parent) {
    parent_ = parent;
    if (DockHost* host = Live()) host->ParentChanged(*this);
}

CDPBase* CDPBase::Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) {
    CDPBase* copy = target.MakePlaceholder();
    copy->CopyExtents(*this);
    if (map) (*map)[this] = copy;
    return copy;
}

DockHost* CDPBase::Live() const { return layout_->LiveHost(); }

void CDPBase::RequestRelayout() const {
    if (DockHost* host = Live()) host->RelayoutNeeded(FloatingFrame());
}

// ---- CDP

CDP::CDP(DockNodeKey key, CDPLayout& layout, uint8_t id) : CDPBase(key, layout, DP_NODE_PANE), id_(id) {}

void CDP::SetTitles(const char16_t* title, const char16_t* shortTitle) {
    CopyDockText(title_, DP_TITLE_CHARS, title);
    CopyDockText(shortTitle_, DP_SHORT_TITLE_CHARS, shortTitle);
    if (CDPTabbedContainer* group = Group())
        if (DockHost* host = Live()) host->GroupChanged(*group);
}

void CDP::GetTitle(char16_t* buf, int cch) const { CopyDockText(buf, std::min(cch, DP_TITLE_CHARS), title_); }

void CDP::GetShortTitle(char16_t* buf, int cch) const {
    CopyDockText(buf, std::min(cch, DP_SHORT_TITLE_CHARS), shortTitle_);
}

CDPTabbedContainer* CDP::Group() const {
    CDPBase* parent = Parent();
    return parent && parent->Type() == DP_NODE_TABBED ? static_cast<CDPTabbedContainer*>(parent) : nullptr;
}

CDPBase* CDP::Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) {
    CDP* copy = target.Make<CDP>(id_);
    copy->flags_ = flags_;
    std::copy(std::begin(title_), std::end(title_), copy->title_);
    std::copy(std::begin(shortTitle_), std::end(shortTitle_), copy->shortTitle_);
    copy->CopyExtents(*this);
    if (map) (*map)[this] = copy;
    return copy;
}

} // namespace brx
