// The nodes of a dock layout tree: the placeholder (a plain CDPBase), panes,
// tabbed groups, splitter containers and floating frames. Pure: a node holds
// its place in the tree and its preferences; the windows that show it are
// the window layer's, tied to the node through `window` and told of changes
// through the layout's DockHost.
//
// Nodes are made only by their CDPLayout (CDPLayout::Make), which owns them
// and deletes them in Compact, Clear or its destructor.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "toolkit/dock/DockHost.h"
#include "toolkit/dock/DockTypes.h"

namespace brx {

class CDPLayout;
class CDPBase;
class CDP;
class CDPTabbedContainer;
class CDPSplitterContainer;
class CDPMiniWnd;

// Source node to copy, filled while a tree is cloned.
using DockCloneMap = std::unordered_map<const CDPBase*, CDPBase*>;

// Lets only CDPLayout construct nodes.
class DockNodeKey {
    friend class CDPLayout;
    DockNodeKey() = default;
};

class CDPBase {
public:
    CDPBase(DockNodeKey, CDPLayout& layout, uint8_t type) : layout_(&layout), type_(type) {}
    virtual ~CDPBase() = default;
    CDPBase(const CDPBase&) = delete;
    CDPBase& operator=(const CDPBase&) = delete;

    uint8_t Type() const { return type_; }
    CDPLayout& Layout() const { return *layout_; }
    CDPBase* Parent() const { return parent_; }

    // The topmost node above this one (itself when it has no parent).
    CDPBase* Top() const;
    // The floating frame this node is shown in, or null: the main frame.
    CDPMiniWnd* FloatingFrame() const;
    // True when the node hangs under its layout's root or under a floating
    // frame, that is when some frame window shows it.
    bool IsPlaced() const;
    // True when `node` is this node or lies anywhere below it.
    bool IsAncestorOf(const CDPBase* node) const;

    // Preferred sizes, clamped to 16 bits.
    void SetExtents(int64_t width, int64_t height);
    void CopyExtents(const CDPBase& from) { cx = from.cx; cy = from.cy; }

    // Node operations.
    virtual bool Contains(const CDPBase* node) const { return node == this; }
    void SetParent(CDPBase* parent);
    virtual void OnChildChanged(CDPBase* child) {}
    virtual void OnAttach(CDPBase* parent) {}
    // A copy in `target`. With a map the whole subtree is copied and every
    // source node is mapped to its copy; without one, groups move their panes
    // into new groups (panes whose flags share a bit with `mask` stay).
    virtual CDPBase* Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask);
    virtual void RemoveChild(CDPBase* child) {}
    virtual void CollectNodes(uint8_t type, std::vector<CDPBase*>& out) {}
    virtual bool IsEmpty() const { return false; }
    // The layout pass: takes the rectangle (client coordinates of the frame
    // that shows the node) and divides it among the children.
    virtual void SetRect(const DockRect& rc, const DockMetrics& metrics) { rect = rc; }

    DockRect rect;         // a floating frame's is its window rectangle on the screen
    uint16_t cx = 0;       // preferred width
    uint16_t cy = 0;       // preferred height
    uint8_t index = 0;     // position in a blob, set while saving or loading
    DockNodeWindow* window = nullptr;  // the window layer's object, never touched here

protected:
    // The host when the layout is live, else null.
    DockHost* Live() const;
    // Asks the frame that shows this node to lay out again.
    void RequestRelayout() const;

private:
    friend class CDPLayout;
    CDPLayout* layout_;
    CDPBase* parent_ = nullptr;
    uint8_t type_;
};

// One pane: a view window's place in the layout.
class CDP final : public CDPBase {
public:
    CDP(DockNodeKey key, CDPLayout& layout, uint8_t id);

    uint8_t GetId() const { return id_; }
    uint8_t GetFlags() const { return flags_; }
    void SetFlags(uint8_t flags) { flags_ = flags; }
    bool CanClose() const { return flags_ != DP_PANE_NO_CLOSE; }

    // Copies both texts, cut to 31 and 11 characters (a null text is empty).
    void SetTitles(const char16_t* title, const char16_t* shortTitle);
    const char16_t* Title() const { return title_; }
    const char16_t* ShortTitle() const { return shortTitle_; }
    // Copy into a buffer of cch characters (at most 32, or 12 for the short
    // title); the buffer always ends with a null.
    void GetTitle(char16_t* buf, int cch) const;
    void GetShortTitle(char16_t* buf, int cch) const;

    CDPTabbedContainer* Group() const;
    bool IsHidden() const { return Parent() == nullptr; }

    CDPBase* Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) override;

private:
    uint8_t id_;
    uint8_t flags_ = 0;
    char16_t title_[DP_TITLE_CHARS] = {};
    char16_t shortTitle_[DP_SHORT_TITLE_CHARS] = {};
};

using CDPTabsArray = std::vector<DP_TAB>;

// A group of panes shown one at a time, with a caption and a tab strip.
class CDPTabbedContainer final : public CDPBase {
public:
    CDPTabbedContainer(DockNodeKey key, CDPLayout& layout);

    const std::vector<CDP*>& Panes() const { return panes_; }
    CDP* GetActivePane() const { return active_; }
    bool HasCaption() const { return caption_; }
    bool HasTabs() const { return tabsShown_; }

    // Appends the pane (taking it out of any group it is in) and makes it
    // the active one with the focus.
    void AddTab(CDP* pane);
    // Only a pane of the group can be the active one; none only when the
    // group is empty.
    void SetActivePane(CDP* pane, bool focus);
    void SwapTabs(CDP* a, CDP* b);
    void SetCaption(bool on);

    void OnAttach(CDPBase* parent) override;
    CDPBase* Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) override;
    void RemoveChild(CDPBase* child) override;
    void CollectNodes(uint8_t type, std::vector<CDPBase*>& out) override;
    bool IsEmpty() const override { return panes_.empty(); }
    // Every pane gets the rectangle left below the caption and above the tabs.
    void SetRect(const DockRect& rc, const DockMetrics& metrics) override;

    // Window-side state kept with the group: the tab records its window
    // rebuilds and the theme fits and paints, and the caption's close button.
    CDPTabsArray tabs;
    CDPCaptionButton closeButton;

private:
    std::vector<CDP*> panes_;
    CDP* active_ = nullptr;
    bool caption_ = false;
    bool tabsShown_ = false;
};

// A bar between two neighbours of a splitter that are not empty.
struct DockBar {
    CDPBase* before = nullptr;
    CDPBase* after = nullptr;
    DockRect rect;  // set by the layout pass
};

constexpr int32_t DP_BAR_SIZE = 4;

// Children side by side (a row) or stacked (a column).
class CDPSplitterContainer final : public CDPBase {
public:
    CDPSplitterContainer(DockNodeKey key, CDPLayout& layout, bool row);

    bool IsRow() const { return row_; }
    void SetRow(bool row) { row_ = row; }
    const std::vector<CDPBase*>& Children() const { return children_; }
    const std::vector<DockBar>& Bars() const { return bars_; }

    // Inserts before or after `ref`; with no `ref` (or one that is not a
    // child) at the front, or at the end when `after` is set.
    void InsertChild(CDPBase* node, CDPBase* ref, bool after);
    // Puts `replacement` in the place of `old`; `old` loses its parent unless
    // it already sits elsewhere (in the replacement, a new splitter around it).
    void ReplaceChild(CDPBase* old, CDPBase* replacement);
    void RebuildBars();
    // After a bar drag: the bar's new position (its left or top edge, in the
    // coordinates of the node rectangles) splits the two neighbours'
    // preferred sizes anew, keeping their sum. False when nothing changed.
    bool MoveBar(size_t bar, int32_t position);

    bool Contains(const CDPBase* node) const override;
    void OnChildChanged(CDPBase* child) override;
    void OnAttach(CDPBase* parent) override;
    CDPBase* Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) override;
    // Removing the last child takes the splitter out of its own parent too.
    void RemoveChild(CDPBase* child) override;
    void CollectNodes(uint8_t type, std::vector<CDPBase*>& out) override;
    bool IsEmpty() const override;
    // Divides the rectangle among the children that are not empty in
    // proportion to their preferred sizes; the child holding the placeholder
    // takes what the others leave.
    void SetRect(const DockRect& rc, const DockMetrics& metrics) override;

private:
    std::vector<CDPBase*> NonEmptyChildren() const;
    bool BarsMatch(const std::vector<CDPBase*>& shown) const;

    bool row_;
    std::vector<CDPBase*> children_;
    std::vector<DockBar> bars_;
};

// A floating frame: one splitter in a small tool frame of its own. Its
// rectangle is the frame window's rectangle on the screen; the window layer
// keeps it current while the window moves.
class CDPMiniWnd final : public CDPBase {
public:
    CDPMiniWnd(DockNodeKey key, CDPLayout& layout);

    CDPSplitterContainer* Child() const { return child_; }
    // Makes the splitter this frame's content (loading and cloning).
    void SetChild(CDPSplitterContainer* child);

    // The groups inside that hold panes.
    std::vector<CDPTabbedContainer*> Groups() const;
    // The frame is shown while something inside it is.
    bool ShouldShow() const;
    // The frame's title: the active pane's title of its only group, else
    // empty.
    void GetTitle(char16_t* buf, int cch) const;
    // The frame's layout pass, in its client rectangle.
    void LayOut(const DockRect& client, const DockMetrics& metrics);

    CDPBase* Clone(CDPLayout& target, DockCloneMap* map, uint8_t mask) override;
    void RemoveChild(CDPBase* child) override;
    // Groups get a caption only when there are several of them.
    void OnChildChanged(CDPBase* child) override;

private:
    CDPSplitterContainer* child_ = nullptr;
};

// Copies a NUL-terminated text into room for `room` characters (the null
// included), cutting it to fit; a null text copies as empty.
void CopyDockText(char16_t* dst, int room, const char16_t* src);

} // namespace brx
