// CLM, the layout manager of resizable windows: a host window (a dialog, a
// sheet, a view) embeds one, describes its controls once as a tree of rows
// and columns (toolkit/layout/LayoutTree.h), and from then on every size
// change places the controls by the tree, in one deferred batch. The tree
// also gives the host its minimum and maximum tracking sizes. The manager
// paints the host's background around its children and keeps up-down
// controls on their buddies; it also saves and restores the host's window
// placement in the application profile.
//
// Building a tree (after the controls exist, at the end of OnInitDialog):
//
//   CLM::CPane root = CreateRoot(LM_COLUMN);            // gap 5, border 0
//   CLM::CPane group = MakePaneCtrl(IDC_GROUP, LM_COLUMN, 0, 5, 7, 10); // border 7, caption 10
//   group->AddItem(MakeItem(IDC_LIST, 0));               // shares the height
//   CLM::CPane buttons = MakePane(LM_ROW, LM_FIXED_H);
//   buttons->AddItem(MakeGrowingSpacer(0))               // pushes the buttons right
//          ->AddItem(MakeItem(IDOK, LM_FIXED_W | LM_FIXED_H))
//          ->AddItem(MakeItem(IDCANCEL, LM_FIXED_W | LM_FIXED_H));
//   root->AddPane(group)->AddPane(buttons);
//   SetRoot(root);                                       // lays out at once
//
// Each node takes space along its parent's direction as LM_FIXED_* (its own
// size; MakeItem's width/height 0 means the control's current size),
// LM_PERCENT_* (a percentage of what the fixed ones leave) or neither (a
// share of the rest, never below its minimum; MakeItem's minimum -1 means the
// control's current size). LM_ALIGN_* place a fixed control in a larger
// cell; LM_FILL_* stretch it and let it take leftover space. Fill a pane
// before adding it to its parent: a fixed pane of size 0 takes its minimum
// at that moment.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "framework/Geometry.h"
#include "framework/Wnd.h"
#include "toolkit/layout/LayoutTree.h"

namespace brx {

class CLM {
public:
    using PaneBase = LayoutNode;
    using Pane = LayoutPane;
    using PaneCtrl = LayoutPaneCtrl;
    using PaneItem = LayoutItem;
    // Holders: a node is owned jointly by every holder of it (the root, the
    // children of panes, the temporaries of the building expressions).
    using CPaneBase = LayoutNodePtr;
    using CPane = LayoutPanePtr;

    static constexpr int kDefaultGap = 5;
    static constexpr int kDefaultBorder = 0;

    // section null: the host's placement is neither saved nor restored;
    // entry null: "WindowPlacement".
    explicit CLM(CWnd* host, const wchar_t* section = nullptr, const wchar_t* entry = nullptr);
    virtual ~CLM();
    CLM(const CLM&) = delete;
    CLM& operator=(const CLM&) = delete;

    // The host's client rectangle.
    virtual CRect GetLayoutRect() const;
    // Keeps the new root (releasing the old one) and lays out.
    virtual void SetRoot(CPaneBase root);
    // Fits a top-level dialog host into the tree's limits, places the tree in
    // the client rectangle less the margin, re-attaches up-down controls and
    // invalidates the host. Nothing without a root.
    virtual void UpdateLayout();
    // Places the tree in `rect`; false without doing anything when the
    // rectangle has no width or no height.
    virtual BOOL ResizeRoot(const CRect& rect);

    // --- building
    // A new root pane (replacing any previous root), returned for filling.
    CPane CreateRoot(int orientation, int gap = kDefaultGap, int border = kDefaultBorder);
    CPane MakePane(int orientation, uint32_t mode, int gap = kDefaultGap, int border = kDefaultBorder, int size = 0);
    // A pane framed by the control `id` (a group box), whose caption takes
    // `extraTop` pixels; a missing control frames nothing.
    CPane MakePaneCtrl(UINT id, int orientation, uint32_t mode, int gap = kDefaultGap, int border = kDefaultBorder,
                       int extraTop = 0, int size = 0);
    // An item for the host's control `id` (or a window). Width and height 0
    // take the window's current size, minimums -1 likewise. A missing control
    // gives an item without window that keeps the given sizes.
    CPaneBase MakeItem(UINT id, uint32_t mode, int width = 0, int height = 0, int minWidth = -1, int minHeight = -1);
    CPaneBase MakeItem(HWND window, uint32_t mode, int width = 0, int height = 0, int minWidth = -1,
                       int minHeight = -1);
    // An empty item growing in height (vertical nonzero) or in width.
    CPaneBase MakeGrowingSpacer(int vertical);
    // An empty gap: direction 0 `size` wide, 1 `size` high.
    CPaneBase MakeFixedSpacer(int direction, int size);

    const CPaneBase& GetRoot() const { return m_root; }
    // The host's minimum and maximum window sizes (maximum -1: unbounded)
    // that the tree allows, with the host's current frame; false without a
    // root.
    bool GetTrackSizes(CSize& minimum, CSize& maximum) const;

    // Paints the host's background where no visible child covers it (group
    // boxes and hidden children are painted over; a tab control's display
    // area is painted).
    void EraseBackground(HDC dc) const;

    // The host's placement in the application profile (section, entry).
    // Save keeps a maximised state and turns anything else into normal.
    // Load applies a stored 44-byte record fitted to the work area of the
    // monitor nearest to it; a damaged record, or one wholly off every
    // monitor, leaves the host centred on its parent. Both return whether
    // they did it.
    bool SaveWindowPlacement() const;
    bool LoadWindowPlacement();

    CSize m_margin{5, 5};

protected:
    CWnd* m_pLayoutHost;
    CPaneBase m_root;
    std::wstring m_strSection;
    std::wstring m_strEntry;
    bool m_bSavePlacement;

private:
    void ApplyPlacements();
    void AttachUpDowns() const;

    LayoutPlacements m_placements; // reused by every layout pass
    std::vector<HWND> m_moved;
    bool m_bInLayout = false;
};

} // namespace brx
