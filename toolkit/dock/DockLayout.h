// One screen set: a dock layout tree with its panes' records, the docking
// operations on it, and its saved form (the layout blob, ScreenSetBlob.cpp).
//
// The same class serves the stored screen sets (stored-flag set: a tree
// only) and the live layout on screen (stored-flag clear: every change is
// reported to the DockHost so that the window layer creates, moves and
// destroys the windows). The operations never touch a window themselves.
// Pure.
#pragma once
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "toolkit/dock/DockHost.h"
#include "toolkit/dock/DockNodes.h"
#include "toolkit/dock/DockTypes.h"

namespace brx {

// A pane's registration: the group it last sat in while floating, while
// docked, and wherever it was. Homes are nodes of the same layout.
struct DP_INFO {
    CDP* pane = nullptr;
    CDPTabbedContainer* floatingHome = nullptr;
    CDPTabbedContainer* dockedHome = nullptr;
    CDPTabbedContainer* lastHome = nullptr;
};

// What a loaded blob must agree with besides its own consistency.
struct DockLoadRules {
    // Preferred sizes must be below the screen's size.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    // When not empty: the pane ids the blob must hold, each exactly once.
    std::bitset<256> paneIds;
};

class CDPLayout {
public:
    // A new layout: a placeholder and a row splitter (the root) holding it.
    explicit CDPLayout(DockHost* host = nullptr, bool stored = true);
    ~CDPLayout();
    CDPLayout(const CDPLayout&) = delete;
    CDPLayout& operator=(const CDPLayout&) = delete;

    DockHost* Host() const { return host_; }
    // The host when this is the live layout, else null.
    DockHost* LiveHost() const { return stored_ ? nullptr : host_; }
    bool IsStored() const { return stored_; }
    uint8_t IsLocked() const { return locked_; }
    void SetLocked(uint8_t locked) { locked_ = locked; }

    CDPSplitterContainer* Root() const { return root_; }
    CDPBase* Placeholder() const { return placeholder_; }
    const std::vector<DP_INFO>& PaneInfos() const { return panes_; }
    size_t NodeCount() const { return nodes_.size(); }
    CDPBase* Node(size_t i) const { return nodes_[i].get(); }
    // True when the node belongs to this layout (and has not been deleted).
    bool Owns(const CDPBase* node) const;

    // A new node of this layout, appended to the node list.
    template <class T, class... Args>
    T* Make(Args&&... args) {
        auto node = std::make_unique<T>(DockNodeKey(), *this, std::forward<Args>(args)...);
        T* raw = node.get();
        nodes_.push_back(std::move(node));
        return raw;
    }
    CDPBase* MakePlaceholder();
    // A group for one pane (not null; taken out of its group), caption on.
    CDPTabbedContainer* MakeGroup(CDP* pane);
    // A splitter holding `first` (not null) as its only child, with its
    // extents.
    CDPSplitterContainer* MakeSplitter(CDPBase* first, bool row);
    // A floating frame at `screenRect` around the node (a pane is wrapped in
    // a new group first); its window is asked for when the layout is live.
    CDPMiniWnd* MakeFloatingFrame(CDPBase* node, const DockRect& screenRect);

    // Deletes every node and forgets the panes, root and placeholder.
    void Clear();
    // Makes this layout a copy of `src` (not its lock or stored flag).
    void CopyFrom(const CDPLayout& src);
    // Prunes before saving: groups that are no pane's parent, docked home or
    // floating home, splitters without children and floating frames without
    // content are deleted; homes that pointed at them are cleared.
    void Compact();

    // Panes.
    // A new pane with preferred sizes from the rectangle, registered and
    // docked (a null reference means the root).
    CDP* AddPane(uint8_t id, const DockRect& rect, int mode, CDPBase* relativeTo);
    CDP* FindPane(uint8_t id) const;
    DP_INFO* FindInfo(const CDP* pane);
    const DP_INFO* FindInfo(const CDP* pane) const;
    bool IsPaneHidden(uint8_t id) const;
    // Makes a placed pane its group's active one, or puts a hidden pane back
    // into its last home; then asks for the focus. False when the pane stays
    // hidden (no last home).
    bool ShowPane(CDP* pane);
    // Takes the pane out of its group; it keeps its homes.
    void HidePane(CDP* pane);
    // Records every placed pane's group as its last home and as its floating
    // or docked home.
    void RefreshHomes();
    CDPTabbedContainer* GetHome(const CDP* pane, bool floating) const;

    // Docking operations.
    // Docks a detached node (a pane is taken out of its group and wrapped in
    // a new one) beside `ref` (null: the root). False when nothing could be
    // done: no root, a node that is attached, a floating frame, or a
    // reference inside the node.
    bool DockNode(CDPBase* node, int mode, CDPBase* ref);
    // Floats a pane, or a new copy of a group or splitter that takes its
    // panes, in a new floating frame.
    CDPMiniWnd* FloatNode(CDPBase* node, const DockRect& screenRect);
    // Takes the node (a pane, or a moving copy of a group or splitter) out
    // and docks it beside `ref`.
    bool DockNodeAt(CDPBase* node, int mode, CDPBase* ref);
    // The node's panes join the target group (a pane target means its group).
    void MoveToContainer(CDPBase* node, CDPBase* target);
    // Floats what is docked and docks what floats, through the panes' homes.
    void ToggleDocking(CDPBase* node);

    // The main frame's layout pass, then the homes are refreshed.
    void LayOut(const DockRect& area, const DockMetrics& metrics);

    // Saved form. Save compacts the layout first; it refuses (false, `out`
    // untouched) a layout without root or placeholder, with more nodes than
    // an index can name, or whose records would not fit the blob.
    bool Save(std::vector<uint8_t>& out);
    // Rebuilds the layout from a blob. A blob that fails any check is refused
    // as a whole and leaves the layout as it was.
    bool Load(const uint8_t* blob, size_t size, const DockLoadRules& rules);
    // As Load, but never lets an exception out.
    bool LoadFromMemory(const uint8_t* blob, size_t size, const DockLoadRules& rules);

private:
    friend class CDPBase;
    void DeleteNode(CDPBase* node);
    void Adopt(CDPLayout& other);
    DockRect ScreenRectOf(const CDPBase& node) const;

    DockHost* host_;
    bool stored_;
    uint8_t locked_ = 0;
    CDPSplitterContainer* root_ = nullptr;
    CDPBase* placeholder_ = nullptr;
    std::vector<DP_INFO> panes_;
    std::vector<std::unique_ptr<CDPBase>> nodes_;
};

} // namespace brx
