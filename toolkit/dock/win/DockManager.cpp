#include "toolkit/dock/win/DockManager.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>

#include "framework/MsgArgs.h"

namespace brx {

namespace {

CDPMiniFrame* MiniFrameOf(const CDPMiniWnd* node) {
    return node && node->window ? static_cast<CDPMiniFrame*>(node->window) : nullptr;
}

DockPaneWindow* PaneWindowOf(const CDP* pane) {
    return pane && pane->window ? static_cast<DockPaneWindow*>(pane->window) : nullptr;
}

// True when the focus window is `wnd` or lies inside it.
bool FocusInside(HWND wnd) {
    const HWND focus = ::GetFocus();
    return wnd && focus && (focus == wnd || ::IsChild(wnd, focus));
}

// Posted to the manager's own window: compact the current layout.
constexpr UINT DPM_COMPACT = WM_APP + 0x7C1;

} // namespace

CDPManager::CDPManager() {
    theme_ = CreateDockTheme(1);
    theme_->UpdateMetrics(system_);
    theme_->themeId = 1;
}

CDPManager::~CDPManager() {
    // The windows hear of every node while the manager is still whole.
    layout_.reset();
    for (auto& [id, icon] : icons_) ::DestroyIcon(icon);
    DestroyWindow();
}

void CDPManager::Create(CFrameWnd* owner) {
    if (owner_ || !owner) return;
    owner_ = owner;
    CreateEx(0, RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW)), L"", WS_CHILD, RECT{0, 0, 0, 0}, *owner, 0);
    layout_ = std::make_unique<CDPLayout>(this, false);
}

void CDPManager::SetTheme(int id) {
    if (theme_ && theme_->themeId == id) return;
    std::unique_ptr<CDPPaintManager> theme = CreateDockTheme(id);
    if (!theme) return;
    theme->UpdateMetrics(system_);
    theme->themeId = id;
    theme_ = std::move(theme);
    DelayRecalcLayouts();
}

// ---- Panes

CDP* CDPManager::AddPane(BYTE id, const RECT& rect, int mode, CDPBase* relativeTo) {
    if (!layout_) return nullptr;
    return layout_->AddPane(id, ToDockRect(rect), mode, relativeTo);
}

CDP* CDPManager::FindPane(BYTE id) const { return layout_ ? layout_->FindPane(id) : nullptr; }

BOOL CDPManager::IsPaneHidden(BYTE id) const { return IsPaneHidden(FindPane(id)); }

void CDPManager::ActivatePane(CDP* pane) {
    if (!pane || !layout_) return;
    // A hidden pane without a last home stays hidden, and the focus stays
    // where it is.
    if (layout_->ShowPane(pane)) SetFocusToHost(pane);
}

void CDPManager::ClosePane(CDP* pane) {
    if (!pane || !layout_ || !layout_->Owns(pane)) return;
    if (owner_ && ::SendMessageW(*owner_, DP_NOTIFY, DPN_CLOSE_PANE, reinterpret_cast<LPARAM>(pane)) == -1) return;
    layout_->HidePane(pane);
}

void CDPManager::ToggleDocking(CDPBase* node) {
    if (layout_) layout_->ToggleDocking(node);
}

// ---- Screen sets

void CDPManager::ApplyLayout(CDPLayout* layout) {
    if (!layout || !layout_ || layout == layout_.get()) return;
    for (const DP_INFO& info : layout_->PaneInfos()) DetachHostWindow(info.pane);
    layout_->CopyFrom(*layout);
    DelayRecalcLayouts();
}

void CDPManager::SnapshotLayout(CDPLayout* layout) {
    if (layout && layout_ && !layout->IsLocked() && layout != layout_.get()) layout->CopyFrom(*layout_);
}

void CDPManager::ResetLayout() {
    layout_.reset();
    layout_ = std::make_unique<CDPLayout>(this, false);
}

// ---- Icons

BOOL CDPManager::LoadPaneIcons(UINT bitmapId, const int* ids, int count, COLORREF mask) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, count, 1);
    if (!list) return FALSE;
    if (HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId))) {
        ImageList_AddMasked(list, bitmap, mask);
        ::DeleteObject(bitmap);
    }
    for (int i = 0; ids && i < count; ++i) {
        HICON icon = ImageList_GetIcon(list, i, ILD_NORMAL);
        if (!icon) continue;
        if (ids[i] > 0) SetPaneIcon(static_cast<UINT>(ids[i]), icon);
        ::DestroyIcon(icon);
    }
    ImageList_Destroy(list);
    return TRUE;
}

void CDPManager::SetPaneIcon(UINT id, HICON icon) {
    auto it = icons_.find(id);
    if (it != icons_.end()) {
        ::DestroyIcon(it->second);
        icons_.erase(it);
    }
    if (icon)
        if (HICON copy = ::CopyIcon(icon)) icons_[id] = copy;
}

HICON CDPManager::GetPaneIcon(UINT id) const {
    auto it = icons_.find(id);
    return it != icons_.end() ? it->second : nullptr;
}

// ---- Pane views

BOOL CDPManager::AttachHostWindow(CDP* pane, HWND wnd) {
    if (!pane || !::IsWindow(wnd)) return FALSE;
    DockPaneWindow* pw = PaneWindowOf(pane);
    if (!pw) {
        pw = new DockPaneWindow;
        pane->window = pw;
    }
    pw->host = wnd;
    DelayRecalcLayouts();
    if (CDPGroupWnd* gw = GroupWindow(pane->Group())) ::SetParent(wnd, *gw);
    return TRUE;
}

void CDPManager::DetachHostWindow(CDP* pane) {
    DockPaneWindow* pw = PaneWindowOf(pane);
    if (!pw || !pw->host) return;
    ::ShowWindow(pw->host, SW_HIDE);
    if (owner_) ::SetParent(pw->host, *owner_);
    pw->host = nullptr;
    DelayRecalcLayouts();
}

HWND CDPManager::HostWindow(const CDP* pane) {
    DockPaneWindow* pw = PaneWindowOf(pane);
    return pw ? pw->host : nullptr;
}

BOOL CDPManager::HasFocus(const CDP* pane) { return FocusInside(HostWindow(pane)); }

void CDPManager::SetFocusToHost(const CDP* pane) {
    const HWND host = HostWindow(pane);
    if (host && !FocusInside(host)) ::SetFocus(host);
}

void CDPManager::ShowPaneView(CDP* pane, bool show) {
    if (show && owner_) ::SendMessageW(*owner_, DP_NOTIFY, DPN_SHOW_PANE, reinterpret_cast<LPARAM>(pane));
    if (HWND host = HostWindow(pane)) ::ShowWindow(host, show ? SW_SHOW : SW_HIDE);
}

// ---- Windows of nodes

CDPGroupWnd* CDPManager::GroupWindow(const CDPTabbedContainer* group) {
    return group && group->window ? static_cast<CDPGroupWnd*>(group->window) : nullptr;
}

HWND CDPManager::FrameWindowOf(const CDPBase& node) const {
    if (CDPMiniFrame* frame = MiniFrameOf(node.FloatingFrame())) return *frame;
    return owner_ ? owner_->m_hWnd : m_hWnd;
}

CFrameWnd* CDPManager::FrameOf(const CDPBase& node) const {
    if (CDPMiniFrame* frame = MiniFrameOf(node.FloatingFrame())) return frame;
    return owner_;
}

DockOutline& CDPManager::Outline() {
    if (outline_) return *outline_;
    if (!desktopOutline_) desktopOutline_ = MakeDesktopOutline();
    return *desktopOutline_;
}

void CDPManager::DelayRecalcLayouts() {
    if (owner_) owner_->DelayRecalcLayout();
    if (!layout_) return;
    for (size_t i = 0; i < layout_->NodeCount(); ++i)
        if (layout_->Node(i)->Type() == DP_NODE_FLOATING)
            if (CDPMiniFrame* frame = MiniFrameOf(static_cast<CDPMiniWnd*>(layout_->Node(i))))
                frame->DelayRecalcLayout();
}

void CDPManager::PlaceWindows(CDPBase* node) {
    if (!node) return;
    if (node->Type() == DP_NODE_SPLITTER) {
        auto* splitter = static_cast<CDPSplitterContainer*>(node);
        for (CDPBase* child : splitter->Children())
            if (!child->IsEmpty()) PlaceWindows(child);
        auto* bars = static_cast<DockBarWindows*>(splitter->window);
        const std::vector<DockBar>& model = splitter->Bars();
        for (size_t i = 0; bars && i < bars->bars.size() && i < model.size(); ++i) {
            const DockRect& r = model[i].rect;
            const DockRect& c = splitter->rect;
            const RECT rc{std::max(r.left, c.left), std::max(r.top, c.top), std::min(r.right, c.right),
                          std::min(r.bottom, c.bottom)};
            ::SetWindowPos(*bars->bars[i], nullptr, rc.left, rc.top, std::max<LONG>(0, rc.right - rc.left),
                           std::max<LONG>(0, rc.bottom - rc.top), SWP_NOZORDER | SWP_NOACTIVATE);
            ::InvalidateRect(*bars->bars[i], nullptr, FALSE);
        }
        return;
    }
    if (node->Type() != DP_NODE_TABBED) return;
    auto* group = static_cast<CDPTabbedContainer*>(node);
    CDPGroupWnd* gw = GroupWindow(group);
    if (!gw) return;
    const DockRect& r = group->rect;
    ::SetWindowPos(*gw, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    gw->Invalidate(FALSE);
    gw->RecalcTabs();
    // The notice may attach views and so change the list: walk a copy.
    const std::vector<CDP*> panes = group->Panes();
    for (CDP* pane : panes) {
        if (pane->Group() != group) continue;
        ShowPaneView(pane, pane == group->GetActivePane());
        if (HWND host = HostWindow(pane)) {
            const DockRect p = pane->rect;
            ::SetWindowPos(host, nullptr, p.left - r.left + 1, p.top - r.top, std::max(0, p.Width() - 3),
                           std::max(0, p.Height() - 2), SWP_NOZORDER | SWP_NOACTIVATE);
            ::InvalidateRect(host, nullptr, TRUE);
        }
    }
}

void CDPManager::IdleUpdate() {
    if (!layout_) return;
    std::unordered_set<CDPTabbedContainer*> seen;
    for (const DP_INFO& info : layout_->PaneInfos()) {
        CDPTabbedContainer* group = info.pane->Group();
        CDPGroupWnd* gw = GroupWindow(group);
        if (!gw || !seen.insert(group).second) continue;
        const bool focus = FocusInside(*gw);
        if (focus != gw->focus_) {
            gw->focus_ = focus;
            gw->Invalidate(FALSE);
        }
    }
}

bool CDPManager::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZEPARENT: {
        auto* params = StructArg<AFX_SIZEPARENTPARAMS>(lp);
        result = 0;
        if (!layout_ || !layout_->Root() || !params) return true;
        layout_->LayOut(ToDockRect(params->rect), theme_->Metrics());
        // A query pass only measures; the windows move in a real one.
        if (params->hDWP) PlaceWindows(layout_->Root());
        if (CDPBase* placeholder = layout_->Placeholder(); placeholder && placeholder->IsPlaced())
            params->rect = ToRECT(placeholder->rect);
        return true;
    }
    case WM_IDLEUPDATECMDUI:
        IdleUpdate();
        result = 0;
        return true;
    case DPM_COMPACT:
        // Nodes that floated or docked elsewhere leave empty groups, empty
        // splitters and hidden frames behind: without this every float and
        // re-dock would add some until exit. Homes are kept.
        compactPosted_ = false;
        if (layout_) {
            layout_->RefreshHomes();
            layout_->Compact();
        }
        result = 0;
        return true;
    case WM_SYSCOLORCHANGE:
        DockColorTable().Update(system_);
        DelayRecalcLayouts();
        return true;
    case WM_SETTINGCHANGE:
        theme_->UpdateMetrics(system_);
        DelayRecalcLayouts();
        return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

// ---- DockHost

void CDPManager::GroupWindowNeeded(CDPTabbedContainer& group) {
    if (group.window) return;
    auto* gw = new CDPGroupWnd(*this, group);
    if (!gw->CreateEx(0, RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, RECT{0, 0, 0, 0},
                      FrameWindowOf(group), 0)) {
        delete gw;
        return;
    }
    group.window = gw;
}

void CDPManager::GroupWindowNotNeeded(CDPTabbedContainer& group) {
    CDPGroupWnd* gw = GroupWindow(&group);
    if (!gw) return;
    group.window = nullptr;
    gw->Forget();
    // Views belong to their owners: they leave before the window goes.
    for (HWND child = ::GetWindow(*gw, GW_CHILD); child; child = ::GetWindow(*gw, GW_CHILD)) {
        ::ShowWindow(child, SW_HIDE);
        ::SetParent(child, m_hWnd);
    }
    gw->DestroyWindow();  // deletes itself once its last handler returned
}

void CDPManager::FrameWindowNeeded(CDPMiniWnd& node) {
    if (node.window || !owner_) return;
    auto* frame = new CDPMiniFrame(*this, node);
    const RECT rc = ToRECT(node.rect);
    if (!frame->CreateEx(0, nullptr, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | MFS_BLOCKSYSMENU |
                                              MFS_SYNCACTIVE, rc, *owner_, 0)) {
        delete frame;
        return;
    }
    if (HMENU menu = ::GetSystemMenu(*frame, FALSE)) {
        ::DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        ::DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    }
    node.window = frame;
    frame->DelayRecalcLayout();
}

void CDPManager::DestroyBars(CDPSplitterContainer& splitter) {
    auto* bars = static_cast<DockBarWindows*>(splitter.window);
    if (!bars) return;
    for (CDPSplitterWnd* bar : bars->bars) {
        bar->Forget();
        bar->DestroyWindow();
    }
    bars->bars.clear();
}

void CDPManager::BarsChanged(CDPSplitterContainer& splitter) {
    DestroyBars(splitter);
    auto* bars = static_cast<DockBarWindows*>(splitter.window);
    if (!bars) {
        bars = new DockBarWindows;
        splitter.window = bars;
    }
    const LPCWSTR cls =
        RegisterWndClass(0, ::LoadCursorW(nullptr, splitter.IsRow() ? IDC_SIZEWE : IDC_SIZENS));
    for (size_t i = 0; i < splitter.Bars().size(); ++i) {
        auto* bar = new CDPSplitterWnd(*this, splitter, i);
        if (!bar->CreateEx(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0},
                           FrameWindowOf(splitter), 0)) {
            delete bar;
            continue;
        }
        bars->bars.push_back(bar);
    }
}

void CDPManager::CompactNeeded() {
    if (compactPosted_ || !m_hWnd) return;
    compactPosted_ = ::PostMessageW(m_hWnd, DPM_COMPACT, 0, 0) != FALSE;
}

void CDPManager::NodeDeleting(CDPBase& node) {
    switch (node.Type()) {
    case DP_NODE_PANE: {
        auto* pane = static_cast<CDP*>(&node);
        DetachHostWindow(pane);
        delete PaneWindowOf(pane);
        node.window = nullptr;
        break;
    }
    case DP_NODE_TABBED: GroupWindowNotNeeded(static_cast<CDPTabbedContainer&>(node)); break;
    case DP_NODE_SPLITTER:
        DestroyBars(static_cast<CDPSplitterContainer&>(node));
        delete static_cast<DockBarWindows*>(node.window);
        node.window = nullptr;
        break;
    case DP_NODE_FLOATING:
        if (CDPMiniFrame* frame = MiniFrameOf(static_cast<CDPMiniWnd*>(&node))) {
            node.window = nullptr;
            frame->Forget();
            frame->DestroyWindow();
        }
        break;
    default: break;
    }
}

void CDPManager::Reparent(CDPBase& node) {
    const HWND frame = FrameWindowOf(node);
    switch (node.Type()) {
    case DP_NODE_PANE: {
        auto* pane = static_cast<CDP*>(&node);
        const HWND host = HostWindow(pane);
        if (!host) break;
        if (CDPGroupWnd* gw = GroupWindow(pane->Group())) {
            ::SetParent(host, *gw);
        } else {
            ::ShowWindow(host, SW_HIDE);
            ::SetParent(host, m_hWnd);
        }
        break;
    }
    case DP_NODE_TABBED:
        if (CDPGroupWnd* gw = GroupWindow(static_cast<CDPTabbedContainer*>(&node)))
            if (::GetParent(*gw) != frame) ::SetParent(*gw, frame);
        break;
    case DP_NODE_SPLITTER: {
        auto& splitter = static_cast<CDPSplitterContainer&>(node);
        if (auto* bars = static_cast<DockBarWindows*>(splitter.window))
            for (CDPSplitterWnd* bar : bars->bars)
                if (::GetParent(*bar) != frame) ::SetParent(*bar, frame);
        for (CDPBase* child : splitter.Children()) Reparent(*child);
        break;
    }
    default: break;
    }
}

void CDPManager::ParentChanged(CDPBase& node) { Reparent(node); }

void CDPManager::GroupChanged(CDPTabbedContainer& group) {
    if (CDPGroupWnd* gw = GroupWindow(&group)) {
        gw->RecalcTabs();
        gw->Invalidate(FALSE);
    }
}

void CDPManager::FrameChanged(CDPMiniWnd& node) {
    CDPMiniFrame* frame = MiniFrameOf(&node);
    if (!frame) return;
    char16_t title[DP_TITLE_CHARS] = {};
    node.GetTitle(title, DP_TITLE_CHARS);
    frame->SetWindowText(reinterpret_cast<const wchar_t*>(title));
    const bool show = node.ShouldShow();
    if (show != (frame->IsWindowVisible() != FALSE)) frame->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CDPManager::RelayoutNeeded(CDPMiniWnd* node) {
    if (CDPMiniFrame* frame = MiniFrameOf(node))
        frame->DelayRecalcLayout();
    else if (owner_)
        owner_->DelayRecalcLayout();
}

void CDPManager::FocusPane(CDP& pane) { SetFocusToHost(&pane); }

DockRect CDPManager::ScreenRect(const CDPBase& node) const {
    if (node.Type() == DP_NODE_FLOATING) return node.rect;
    RECT rc = ToRECT(node.rect);
    ::MapWindowPoints(FrameWindowOf(node), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return ToDockRect(rc);
}

} // namespace brx
