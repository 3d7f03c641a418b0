#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockNodes.h"

namespace brx {

CDPMiniWnd::CDPMiniWnd(DockNodeKey key, CDPLayout& layout) : CDPBase(key, layout, DP_NODE_FLOATING) {}

void CDPMiniWnd::SetChild(CDPSplitterContainer* child) {
    if (child_ == child) return;
    if (child_ && child_->Parent() == this) child_->SetParent(nullptr);
    child_ = child;
    if (child_) child_->SetParent(this);
}

std::vector<CDPTabbedContainer*> CDPMiniWnd::Groups() const {
    std::vector<CDPBase*> found;
    if (child_) child_->CollectNodes(DP_NODE_TABBED, found);
    std::vector<CDPTabbedContainer*> groups;
    for (CDPBase* node : found) groups.push_back(static_cast<CDPTabbedContainer*>(node));
    return groups;
}

bool CDPMiniWnd::ShouldShow() const { return child_ && !child_->IsEmpty(); }

void CDPMiniWnd::GetTitle(char16_t* buf, int cch) const {
    const std::vector<CDPTabbedContainer*> groups = Groups();
    const CDP* active = groups.size() == 1 ? groups.front()->GetActivePane() : nullptr;
    CopyDockText(buf, cch < DP_TITLE_CHARS ? cch : DP_TITLE_CHARS, active ? active->Title() : nullptr);
}

void CDPMiniWnd::LayOut(const DockRect& client, const DockMetrics& metrics) {
    if (!child_) return;
    child_->SetRect(client, metrics);
    Layout().RefreshHomes();
}

CDPBase* CDPMiniWnd::Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) {
    CDPMiniWnd* copy = target.Make<CDPMiniWnd>();
    copy->rect = rect;
    copy->CopyExtents(*this);
    if (map) (*map)[this] = copy;
    if (DockHost* host = target.LiveHost()) host->FrameWindowNeeded(*copy);
    if (child_) {
        copy->SetChild(static_cast<CDPSplitterContainer*>(child_->Clone(target, map, mask)));
        copy->OnChildChanged(copy->child_);
    }
    return copy;
}

void CDPMiniWnd::RemoveChild(CDPBase* child) {
    if (!child || child != child_) return;
    child_ = nullptr;
    child->SetParent(nullptr);
    if (DockHost* host = Live()) host->FrameChanged(*this);
}

void CDPMiniWnd::OnChildChanged(CDPBase* child) {
    DockHost* host = Live();
    if (!host) return;  // a stored frame has no window to update
    const std::vector<CDPTabbedContainer*> groups = Groups();
    for (CDPTabbedContainer* group : groups) {
        const bool caption = groups.size() > 1;
        if (group->HasCaption() != caption) group->SetCaption(caption);
    }
    host->FrameChanged(*this);
}

} // namespace brx
