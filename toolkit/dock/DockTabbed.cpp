#include <algorithm>

#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockNodes.h"
#include "toolkit/dock/DockPaint.h"

namespace brx {

CDPTabbedContainer::CDPTabbedContainer(DockNodeKey key, CDPLayout& layout)
    : CDPBase(key, layout, DP_NODE_TABBED) {}

void CDPTabbedContainer::AddTab(CDP* pane) {
    if (!pane) return;
    if (pane->Parent() == this) {
        SetActivePane(pane, true);
        return;
    }
    if (CDPBase* old = pane->Parent()) old->RemoveChild(pane);
    DockHost* host = Live();
    // The window exists before the view moves into it.
    if (panes_.empty() && host) host->GroupWindowNeeded(*this);
    panes_.push_back(pane);
    pane->SetParent(this);
    RequestRelayout();
    SetActivePane(pane, true);
}

void CDPTabbedContainer::RemoveChild(CDPBase* child) {
    auto it = std::find(panes_.begin(), panes_.end(), child);
    if (it == panes_.end()) return;
    panes_.erase(it);
    DockHost* host = Live();
    if (host) host->GroupChanged(*this);
    child->SetParent(nullptr);
    if (CDPBase* parent = Parent()) parent->OnChildChanged(this);
    if (panes_.empty() && host) host->GroupWindowNotNeeded(*this);
    RequestRelayout();
    if (active_ == child) SetActivePane(panes_.empty() ? nullptr : panes_.front(), true);
}

void CDPTabbedContainer::SetActivePane(CDP* pane, bool focus) {
    // A group that holds panes always shows one of them (a saved group
    // cannot say otherwise): a pane from elsewhere, or none, is refused.
    const bool member = pane && std::find(panes_.begin(), panes_.end(), pane) != panes_.end();
    if (pane ? !member : !panes_.empty()) return;
    active_ = pane;
    DockHost* host = Live();
    if (host) host->GroupChanged(*this);
    RequestRelayout();
    if (CDPBase* parent = Parent()) parent->OnChildChanged(this);
    if (focus && pane && host) host->FocusPane(*pane);
}

void CDPTabbedContainer::SwapTabs(CDP* a, CDP* b) {
    auto ia = std::find(panes_.begin(), panes_.end(), a);
    auto ib = std::find(panes_.begin(), panes_.end(), b);
    if (ia == panes_.end() || ib == panes_.end() || ia == ib) return;
    std::iter_swap(ia, ib);
    if (DockHost* host = Live()) host->GroupChanged(*this);
}

void CDPTabbedContainer::SetCaption(bool on) {
    caption_ = on;
    RequestRelayout();
}

void CDPTabbedContainer::OnAttach(CDPBase* parent) { SetCaption(true); }

CDPBase* CDPTabbedContainer::Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) {
    CDPTabbedContainer* copy = target.Make<CDPTabbedContainer>();
    copy->CopyExtents(*this);
    if (map) {
        (*map)[this] = copy;
        for (CDP* pane : panes_) copy->AddTab(static_cast<CDP*>(pane->Clone(target, map, mask)));
        if (active_) {
            auto it = map->find(active_);
            copy->SetActivePane(it != map->end() ? static_cast<CDP*>(it->second) : nullptr, false);
        }
        return copy;
    }
    CDP* formerActive = active_;
    const std::vector<CDP*> moving = panes_;
    for (CDP* pane : moving)
        if (!(pane->GetFlags() & mask)) copy->AddTab(pane);
    if (formerActive && formerActive->Parent() == copy) copy->SetActivePane(formerActive, false);
    return copy;
}

void CDPTabbedContainer::CollectNodes(uint8_t type, std::vector<CDPBase*>& out) {
    if (type == DP_NODE_PANE) out.insert(out.end(), panes_.begin(), panes_.end());
}

void CDPTabbedContainer::SetRect(const DockRect& rc, const DockMetrics& metrics) {
    rect = rc;
    tabsShown_ = panes_.size() > 1;
    const DockRect inner = AdjustGroupRect(rc, caption_, tabsShown_, metrics);
    for (CDP* pane : panes_) pane->rect = inner;
}

} // namespace brx
