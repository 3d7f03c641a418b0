// The windows of the docking component: the manager that takes part in the
// owner frame's layout pass, the group windows with caption, tabs and close
// button, the splitter bars, the floating frames, and the drag tracker.
//
// The layout model (DockLayout.h) decides; these windows show it. The
// manager is the model's DockHost: it creates, re-parents, moves and
// destroys the windows the model asks for.
#pragma once
#include <windows.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/Wnd.h"
#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockPaint.h"
#include "toolkit/dock/win/DockPaintWin.h"

namespace brx {

// Sent (synchronously) to the owner frame.
constexpr UINT DP_NOTIFY = 0x87C0;
enum : WPARAM {
    DPN_SHOW_PANE = 3,     // lParam CDP*: a group is about to show its active pane
    DPN_CAPTION_MENU = 4,  // lParam CDPTabbedContainer*: right button released, focus in its pane
    DPN_CLOSE_PANE = 5,    // lParam CDP*: the user asks to close the pane; -1 vetoes
};

// Where drag outlines are drawn. The desktop one inverts them on the
// screen; tests record them.
enum class DockOutlineKind { Frame, Tab, Bar };
class DockOutline {
public:
    virtual ~DockOutline() = default;
    virtual void Begin() = 0;
    // Shows the rectangle (screen coordinates) in place of the last one.
    virtual void Show(const RECT& rc, DockOutlineKind kind) = 0;
    // Takes the last outline away.
    virtual void Erase() = 0;
    virtual void End() = 0;
};
std::unique_ptr<DockOutline> MakeDesktopOutline();

class CDPManager;

// A group's window: caption band, tab strip and the active pane's view.
class CDPGroupWnd : public CWnd, public DockNodeWindow {
public:
    CDPGroupWnd(CDPManager& manager, CDPTabbedContainer& group) : manager_(manager), group_(&group) {}
    // -2 the caption band, a tab's index, or -1.
    int HitTest(POINT client) const;
    // True when the screen point lies in the band a drop there makes a tab:
    // the caption (or, without one, the frame's window above the group) or
    // the tab strip.
    BOOL HitTestDockZone(const RECT& rc, POINT screen) const;
    void RecalcTabs();
    CDPTabbedContainer* Group() const { return group_; }
    void Forget() { group_ = nullptr; }
    // The close button's tool tip (null until the button first showed).
    HWND ToolTip() const { return toolTip_; }
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PostNcDestroy() override { delete this; }

private:
    void OnPaint();
    void OnLButtonDown(POINT pt);
    void OnMouseMove(POINT pt);
    void EndTabDrag();
    void FocusActive();
    bool TrackCloseButton();
    void SetHot(POINT pt);
    void UpdateToolTip();

    CDPManager& manager_;
    CDPTabbedContainer* group_;
    CDP* dragged_ = nullptr;
    std::vector<DockRect> snapshot_;
    bool focus_ = false;
    HWND toolTip_ = nullptr;
    DockRect toolRect_;
    friend class CDPManager;
};

// A bar between two neighbours of a splitter; dragging it splits their room
// anew.
class CDPSplitterWnd : public CWnd {
public:
    CDPSplitterWnd(CDPManager& manager, CDPSplitterContainer& splitter, size_t index)
        : manager_(manager), splitter_(&splitter), index_(index) {}
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PostNcDestroy() override { delete this; }
    void Forget() { splitter_ = nullptr; }
    // The drag, from a point in screen coordinates; true when the bar moved.
    bool TrackDrag(POINT start);

private:
    CDPManager& manager_;
    CDPSplitterContainer* splitter_;
    size_t index_;
};

struct DockBarWindows : DockNodeWindow {
    std::vector<CDPSplitterWnd*> bars;
};

struct DockPaneWindow : DockNodeWindow {
    HWND host = nullptr;
};

// A floating frame.
class CDPMiniFrame : public CMiniFrameWnd, public DockNodeWindow {
public:
    CDPMiniFrame(CDPManager& manager, CDPMiniWnd& node) : manager_(manager), node_(&node) {}
    void RecalcLayout() override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Forget() { node_ = nullptr; }
    CDPMiniWnd* Node() const { return node_; }

private:
    CDPManager& manager_;
    CDPMiniWnd* node_;
};

// One drag of a node: outline while the mouse moves, then a dock, a join,
// a move or a float.
class CDPDragTracker {
public:
    explicit CDPDragTracker(CDPManager& manager) : manager_(manager) {}
    // Runs the whole drag; true when it was accepted and changed something.
    bool Track(CDPBase* node, POINT screen);
    // The target search at a point (Ctrl not held).
    void FindTarget(POINT pt);

    CDPBase* node = nullptr;
    RECT dragRect{};
    CDPBase* target = nullptr;
    RECT targetRect{};
    bool tab = false;
    int mode = 0;

private:
    void Move(POINT pt, bool ctrl);
    void Draw();
    CDPManager& manager_;
    POINT last_{};
    DockOutline* outline_ = nullptr;
};

class CDPManager : public CWnd, public DockHost {
public:
    CDPManager();
    ~CDPManager() override;

    void Create(CFrameWnd* owner);
    void SetTheme(int id);
    CDPPaintManager* Theme() const { return theme_.get(); }
    CDPSystemGdi& System() { return system_; }
    CFrameWnd* Owner() const { return owner_; }

    CDP* AddPane(BYTE id, const RECT& rect, int mode, CDPBase* relativeTo);
    CDP* FindPane(BYTE id) const;
    BOOL IsPaneHidden(BYTE id) const;
    static BOOL IsPaneHidden(const CDP* pane) { return !pane || pane->IsHidden(); }
    void ShowPane(BYTE id) { ActivatePane(FindPane(id)); }
    void ActivatePane(CDP* pane);
    void HidePane(BYTE id) { ClosePane(FindPane(id)); }
    void ClosePane(CDP* pane);
    void ToggleDocking(CDPBase* node);

    std::unique_ptr<CDPLayout> NewLayout() { return std::make_unique<CDPLayout>(this, true); }
    void ApplyLayout(CDPLayout* layout);
    void SnapshotLayout(CDPLayout* layout);
    void ResetLayout();

    BOOL LoadPaneIcons(UINT bitmapId, const int* ids, int count, COLORREF mask);
    void SetPaneIcon(UINT id, HICON icon);
    HICON GetPaneIcon(UINT id) const;

    CDPLayout* GetLayout() const { return layout_.get(); }

    // Pane views.
    BOOL AttachHostWindow(CDP* pane, HWND wnd);
    void DetachHostWindow(CDP* pane);
    static HWND HostWindow(const CDP* pane);
    static BOOL HasFocus(const CDP* pane);
    static void SetFocusToHost(const CDP* pane);

    // The window that shows a node (a group's window), and the frame window
    // its rectangle is measured in.
    static CDPGroupWnd* GroupWindow(const CDPTabbedContainer* group);
    HWND FrameWindowOf(const CDPBase& node) const;
    CFrameWnd* FrameOf(const CDPBase& node) const;

    // Where drag outlines go (null: the desktop).
    void SetOutline(DockOutline* outline) { outline_ = outline; }
    DockOutline& Outline();

    // Asks every frame that shows a pane for a layout at idle time.
    void DelayRecalcLayouts();
    // Moves the windows of a laid-out subtree; notifies the groups' active
    // panes.
    void PlaceWindows(CDPBase* node);
    void IdleUpdate();

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // DockHost.
    void GroupWindowNeeded(CDPTabbedContainer&) override;
    void GroupWindowNotNeeded(CDPTabbedContainer&) override;
    void FrameWindowNeeded(CDPMiniWnd&) override;
    void BarsChanged(CDPSplitterContainer&) override;
    void NodeDeleting(CDPBase&) override;
    void ParentChanged(CDPBase&) override;
    void GroupChanged(CDPTabbedContainer&) override;
    void FrameChanged(CDPMiniWnd&) override;
    void RelayoutNeeded(CDPMiniWnd* frame) override;
    void FocusPane(CDP&) override;
    void CompactNeeded() override;
    DockRect ScreenRect(const CDPBase& node) const override;
    bool PaneHasFocus(const CDP& pane) const override { return HasFocus(&pane); }

private:
    void Reparent(CDPBase& node);
    void DestroyBars(CDPSplitterContainer& splitter);
    void ShowPaneView(CDP* pane, bool show);

    CFrameWnd* owner_ = nullptr;
    std::unique_ptr<CDPPaintManager> theme_;
    CDPSystemGdi system_;
    std::unique_ptr<CDPLayout> layout_;
    std::unordered_map<UINT, HICON> icons_;
    DockOutline* outline_ = nullptr;
    std::unique_ptr<DockOutline> desktopOutline_;
    bool compactPosted_ = false;
};

} // namespace brx
