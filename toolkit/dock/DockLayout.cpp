#include "toolkit/dock/DockLayout.h"

#include <algorithm>
#include <unordered_set>

namespace brx {

CDPLayout::CDPLayout(DockHost* host, bool stored) : host_(host), stored_(stored) {
    placeholder_ = MakePlaceholder();
    root_ = MakeSplitter(placeholder_, true);
}

CDPLayout::~CDPLayout() { Clear(); }

bool CDPLayout::Owns(const CDPBase* node) const {
    if (!node) return false;
    for (const auto& owned : nodes_)
        if (owned.get() == node) return true;
    return false;
}

CDPBase* CDPLayout::MakePlaceholder() { return Make<CDPBase>(DP_NODE_PLACEHOLDER); }

CDPTabbedContainer* CDPLayout::MakeGroup(CDP* pane) {
    CDPTabbedContainer* group = Make<CDPTabbedContainer>();
    group->AddTab(pane);
    group->CopyExtents(*pane);
    group->SetCaption(true);
    return group;
}

CDPSplitterContainer* CDPLayout::MakeSplitter(CDPBase* first, bool row) {
    CDPSplitterContainer* splitter = Make<CDPSplitterContainer>(row);
    splitter->InsertChild(first, nullptr, true);
    splitter->CopyExtents(*first);
    return splitter;
}

CDPMiniWnd* CDPLayout::MakeFloatingFrame(CDPBase* node, const DockRect& screenRect) {
    CDPMiniWnd* frame = Make<CDPMiniWnd>();
    frame->rect = screenRect;
    DockHost* host = LiveHost();
    if (host) host->FrameWindowNeeded(*frame);
    if (node->Type() == DP_NODE_PANE) node = MakeGroup(static_cast<CDP*>(node));
    CDPSplitterContainer* content = MakeSplitter(node, true);
    frame->SetChild(content);
    frame->OnChildChanged(content);
    if (host) host->RelayoutNeeded(frame);
    return frame;
}

void CDPLayout::DeleteNode(CDPBase* node) {
    if (DockHost* host = LiveHost()) host->NodeDeleting(*node);
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [node](const auto& p) { return p.get() == node; });
    if (it != nodes_.end()) nodes_.erase(it);
}

void CDPLayout::Clear() {
    // Every node is still whole while the host hears of the deletions.
    if (DockHost* host = LiveHost())
        for (const auto& node : nodes_) host->NodeDeleting(*node);
    nodes_.clear();
    panes_.clear();
    root_ = nullptr;
    placeholder_ = nullptr;
}

void CDPLayout::CopyFrom(const CDPLayout& src) {
    if (&src == this) return;
    Clear();
    DockCloneMap map;
    for (const auto& node : src.nodes_)
        if (!node->Parent()) node->Clone(*this, &map, 0);
    auto copyOf = [&map](const CDPBase* node) -> CDPBase* {
        auto it = node ? map.find(node) : map.end();
        return it != map.end() ? it->second : nullptr;
    };
    auto groupCopy = [&copyOf](const CDPTabbedContainer* group) {
        CDPBase* copy = copyOf(group);
        return copy && copy->Type() == DP_NODE_TABBED ? static_cast<CDPTabbedContainer*>(copy) : nullptr;
    };
    CDPBase* root = copyOf(src.root_);
    root_ = root && root->Type() == DP_NODE_SPLITTER ? static_cast<CDPSplitterContainer*>(root) : nullptr;
    placeholder_ = copyOf(src.placeholder_);
    for (const DP_INFO& info : src.panes_) {
        CDPBase* pane = copyOf(info.pane);
        if (!pane) continue;
        panes_.push_back(DP_INFO{static_cast<CDP*>(pane), groupCopy(info.floatingHome), groupCopy(info.dockedHome),
                                 groupCopy(info.lastHome)});
    }
    if (DockHost* host = LiveHost()) host->RelayoutNeeded(nullptr);
}

void CDPLayout::Compact() {
    // Groups in use: every registered pane's group and its two kept homes.
    std::unordered_set<const CDPBase*> used;
    for (const DP_INFO& info : panes_) {
        if (CDPBase* parent = info.pane->Parent()) used.insert(parent);
        if (info.dockedHome) used.insert(info.dockedHome);
        if (info.floatingHome) used.insert(info.floatingHome);
    }
    auto snapshot = [this] {
        std::vector<CDPBase*> all;
        for (const auto& node : nodes_) all.push_back(node.get());
        return all;
    };
    for (CDPBase* node : snapshot())
        if (node->Type() == DP_NODE_TABBED && !used.count(node) && node->Parent()) node->Parent()->RemoveChild(node);

    // Deleting a loaded node that still sits in its parent can empty that
    // parent in turn, so the walk repeats until nothing more goes.
    for (bool deleted = true; deleted;) {
        deleted = false;
        for (CDPBase* node : snapshot()) {
            bool drop = false;
            switch (node->Type()) {
            case DP_NODE_TABBED: drop = !used.count(node); break;
            case DP_NODE_SPLITTER:
                drop = node != root_ && static_cast<CDPSplitterContainer*>(node)->Children().empty();
                break;
            case DP_NODE_FLOATING: drop = !static_cast<CDPMiniWnd*>(node)->Child(); break;
            default: break;
            }
            if (!drop) continue;
            if (CDPBase* parent = node->Parent()) parent->RemoveChild(node);
            if (node->Type() == DP_NODE_TABBED) {
                auto* group = static_cast<CDPTabbedContainer*>(node);
                while (!group->Panes().empty()) group->RemoveChild(group->Panes().front());
                // No home may point at a deleted group (a pane's last home
                // is not kept alive by itself).
                for (DP_INFO& info : panes_) {
                    if (info.lastHome == group) info.lastHome = nullptr;
                    if (info.dockedHome == group) info.dockedHome = nullptr;
                    if (info.floatingHome == group) info.floatingHome = nullptr;
                }
            }
            DeleteNode(node);
            deleted = true;
        }
    }
}

// ---- Panes

CDP* CDPLayout::AddPane(uint8_t id, const DockRect& rect, int mode, CDPBase* relativeTo) {
    CDP* pane = Make<CDP>(id);
    pane->rect = rect;
    pane->SetExtents(int64_t(rect.right) - rect.left, int64_t(rect.bottom) - rect.top);
    panes_.push_back(DP_INFO{pane, nullptr, nullptr, nullptr});
    DockNode(pane, mode, relativeTo);
    RefreshHomes();
    return pane;
}

CDP* CDPLayout::FindPane(uint8_t id) const {
    for (const DP_INFO& info : panes_)
        if (info.pane->GetId() == id) return info.pane;
    return nullptr;
}

DP_INFO* CDPLayout::FindInfo(const CDP* pane) {
    for (DP_INFO& info : panes_)
        if (info.pane == pane) return &info;
    return nullptr;
}

const DP_INFO* CDPLayout::FindInfo(const CDP* pane) const { return const_cast<CDPLayout*>(this)->FindInfo(pane); }

bool CDPLayout::IsPaneHidden(uint8_t id) const {
    const CDP* pane = FindPane(id);
    return !pane || pane->IsHidden();
}

bool CDPLayout::ShowPane(CDP* pane) {
    if (!pane || !Owns(pane)) return false;
    if (CDPTabbedContainer* group = pane->Group()) {
        group->SetActivePane(pane, true);
        return true;
    }
    const DP_INFO* info = FindInfo(pane);
    if (!info || !info->lastHome) return false;
    info->lastHome->AddTab(pane);
    return true;
}

void CDPLayout::HidePane(CDP* pane) {
    if (pane && Owns(pane) && pane->Parent()) pane->Parent()->RemoveChild(pane);
}

void CDPLayout::RefreshHomes() {
    for (DP_INFO& info : panes_) {
        CDPTabbedContainer* group = info.pane->Group();
        if (!group || !group->IsPlaced()) continue;
        if (group->FloatingFrame())
            info.floatingHome = group;
        else
            info.dockedHome = group;
        info.lastHome = group;
    }
}

CDPTabbedContainer* CDPLayout::GetHome(const CDP* pane, bool floating) const {
    const DP_INFO* info = FindInfo(pane);
    if (!info) return nullptr;
    return floating ? info->floatingHome : info->dockedHome;
}

DockRect CDPLayout::ScreenRectOf(const CDPBase& node) const { return host_ ? host_->ScreenRect(node) : node.rect; }

} // namespace brx
