// The docking operations: docking beside a node, floating, joining a group
// and toggling between the docked and floating homes.
#include "toolkit/dock/DockLayout.h"

namespace brx {

namespace {

bool IsRowMode(int mode) { return mode == DP_DOCK_LEFT || mode == DP_DOCK_RIGHT; }
bool IsAfterMode(int mode) { return mode == DP_DOCK_RIGHT || mode == DP_DOCK_BELOW; }

// The node a dock beside `ref` really goes next to: a pane means its group.
CDPBase* DockReference(CDPBase* ref) {
    if (ref && ref->Parent() && ref->Parent()->Type() == DP_NODE_TABBED) return ref->Parent();
    return ref;
}

} // namespace

bool CDPLayout::DockNode(CDPBase* node, int mode, CDPBase* ref) {
    if (mode < DP_DOCK_LEFT || mode > DP_DOCK_BELOW || !Owns(node)) return false;
    if (!ref) ref = root_;
    if (!ref || !Owns(ref)) return false;
    if (node == ref || node == root_ || node == placeholder_ || node->Type() == DP_NODE_FLOATING) return false;
    const bool pane = node->Type() == DP_NODE_PANE;
    if (!pane && node->Parent()) return false;
    ref = DockReference(ref);
    // Nothing docks beside itself or beside a node inside it.
    if (node->IsAncestorOf(ref)) return false;
    if (ref != root_ && (!ref->Parent() || ref->Parent()->Type() != DP_NODE_SPLITTER)) return false;

    const bool row = IsRowMode(mode);
    const bool after = IsAfterMode(mode);
    if (pane) node = MakeGroup(static_cast<CDP*>(node));
    if (ref == root_) {
        if (root_->IsRow() != row) root_ = MakeSplitter(root_, row);
        root_->InsertChild(node, nullptr, after);
    } else {
        auto* parent = static_cast<CDPSplitterContainer*>(ref->Parent());
        if (parent->IsRow() == row) {
            parent->InsertChild(node, ref, after);
        } else {
            CDPSplitterContainer* split = MakeSplitter(ref, row);
            parent->ReplaceChild(ref, split);
            split->InsertChild(node, ref, after);
        }
    }
    if (DockHost* host = LiveHost()) host->RelayoutNeeded(ref->FloatingFrame());
    return true;
}

CDPMiniWnd* CDPLayout::FloatNode(CDPBase* node, const DockRect& screenRect) {
    if (!Owns(node)) return nullptr;
    const uint8_t type = node->Type();
    if (type != DP_NODE_PANE && type != DP_NODE_TABBED && type != DP_NODE_SPLITTER) return nullptr;
    if (node == root_ || node->IsAncestorOf(placeholder_)) return nullptr;
    if (type == DP_NODE_PANE) {
        if (CDPBase* parent = node->Parent()) parent->RemoveChild(node);
    } else {
        node = node->Clone(*this, nullptr, 0);
    }
    CDPMiniWnd* frame = MakeFloatingFrame(node, screenRect);
    if (DockHost* host = LiveHost()) host->CompactNeeded();
    return frame;
}

bool CDPLayout::DockNodeAt(CDPBase* node, int mode, CDPBase* ref) {
    if (mode < DP_DOCK_LEFT || mode > DP_DOCK_BELOW || !Owns(node)) return false;
    const uint8_t type = node->Type();
    if (type != DP_NODE_PANE && type != DP_NODE_TABBED && type != DP_NODE_SPLITTER) return false;
    if (node == root_ || node->IsAncestorOf(placeholder_)) return false;
    CDPBase* target = DockReference(ref ? ref : root_);
    if (!Owns(target) || node == ref || node->IsAncestorOf(target)) return false;
    if (target != root_ && (!target->Parent() || target->Parent()->Type() != DP_NODE_SPLITTER)) return false;
    if (type == DP_NODE_PANE) {
        if (CDPBase* parent = node->Parent()) parent->RemoveChild(node);
    } else {
        node = node->Clone(*this, nullptr, 0);
    }
    const bool docked = DockNode(node, mode, ref);
    if (DockHost* host = LiveHost()) host->CompactNeeded();
    return docked;
}

void CDPLayout::MoveToContainer(CDPBase* node, CDPBase* target) {
    if (!Owns(node) || !Owns(target)) return;
    if (target->Type() == DP_NODE_PANE) target = target->Parent();
    if (!target || target->Type() != DP_NODE_TABBED) return;
    std::vector<CDPBase*> panes;
    if (node->Type() == DP_NODE_PANE)
        panes.push_back(node);
    else
        node->CollectNodes(DP_NODE_PANE, panes);
    auto* group = static_cast<CDPTabbedContainer*>(target);
    for (CDPBase* pane : panes) group->AddTab(static_cast<CDP*>(pane));
    RefreshHomes();
    if (DockHost* host = LiveHost()) host->CompactNeeded();
}

void CDPLayout::ToggleDocking(CDPBase* node) {
    if (!Owns(node)) return;
    const bool floating = node->FloatingFrame() != nullptr;
    // A pane without a group floats where it last was laid out.
    auto floatRect = [this](const CDP* pane) {
        return ScreenRectOf(pane->Parent() ? *pane->Parent() : static_cast<const CDPBase&>(*pane));
    };
    if (node->Type() == DP_NODE_PANE) {
        auto* pane = static_cast<CDP*>(node);
        if (CDPTabbedContainer* home = GetHome(pane, !floating))
            MoveToContainer(pane, home);
        else
            FloatNode(pane, floatRect(pane));
        return;
    }
    if (node->Type() != DP_NODE_TABBED && node->Type() != DP_NODE_SPLITTER) return;

    std::vector<CDPBase*> panes;
    node->CollectNodes(DP_NODE_PANE, panes);
    uint8_t reactivate = 0;
    if (node->Type() == DP_NODE_TABBED)
        if (CDP* active = static_cast<CDPTabbedContainer*>(node)->GetActivePane()) reactivate = active->GetId();
    if (host_)
        for (CDPBase* p : panes)
            if (host_->PaneHasFocus(*static_cast<CDP*>(p))) reactivate = static_cast<CDP*>(p)->GetId();

    // A pane without a home of the other kind follows the previous pane when
    // that one had a home; otherwise it floats on its own.
    CDPTabbedContainer* previousHome = nullptr;
    for (CDPBase* p : panes) {
        auto* pane = static_cast<CDP*>(p);
        CDPTabbedContainer* home = GetHome(pane, !floating);
        if (CDPTabbedContainer* target = home ? home : previousHome)
            MoveToContainer(pane, target);
        else
            FloatNode(pane, floatRect(pane));
        previousHome = home;
    }
    if (reactivate > 0) ShowPane(FindPane(reactivate));
}

void CDPLayout::LayOut(const DockRect& area, const DockMetrics& metrics) {
    if (root_) root_->SetRect(area, metrics);
    RefreshHomes();
}

} // namespace brx
