// Group windows (caption, tab strip, close button) and splitter bars.
#include <algorithm>

#include <windows.h>
#include <commctrl.h>

#include "framework/MsgArgs.h"
#include "toolkit/dock/win/DockManager.h"

namespace brx {

namespace {

// Ends a modal loop that met WM_QUIT: the quit goes back for the outer loop.
void RepostQuit(const MSG& msg) { ::PostQuitMessage(static_cast<int>(msg.wParam)); }

POINT ScreenPoint(HWND wnd, POINT client) {
    ::ClientToScreen(wnd, &client);
    return client;
}

} // namespace

// ---- CDPGroupWnd

void CDPGroupWnd::RecalcTabs() {
    if (!group_) return;
    group_->tabs.clear();
    if (!m_hWnd) return;
    CDPPaintManager* theme = manager_.Theme();
    const DockMetrics& m = theme->Metrics();
    HDC dc = ::GetDC(m_hWnd);
    const HGDIOBJ old = ::SelectObject(dc, manager_.System().Font(DockFont::Tab));
    for (CDP* pane : group_->Panes()) {
        DP_TAB tab;
        CopyDockText(tab.text, DP_SHORT_TITLE_CHARS, pane->ShortTitle());
        tab.pane = pane;
        tab.active = pane == group_->GetActivePane();
        tab.icon = manager_.GetPaneIcon(pane->GetId());
        RECT calc{0, 0, 0, 0};
        int width = 10;
        if (tab.text[0]) {
            ::DrawTextW(dc, reinterpret_cast<const wchar_t*>(tab.text), -1, &calc,
                        DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
            width = calc.right - calc.left;
        }
        tab.rect = DockRect{0, 0, width + 28, static_cast<int32_t>(calc.bottom - calc.top)};
        group_->tabs.push_back(tab);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    const DockRect client = ToDockRect(GetClientRect());
    theme->FitTabs(*group_, client);
    // Hit tests see the tabs where the theme paints them: on the strip.
    for (DP_TAB& tab : group_->tabs) {
        tab.rect.top = client.bottom - m.tabHeight + 2;
        tab.rect.bottom = client.bottom - 1;
    }
    SetHot(POINT{-1, -1});
}

int CDPGroupWnd::HitTest(POINT pt) const {
    if (!group_) return -1;
    const DockMetrics& m = manager_.Theme()->Metrics();
    const CRect client = GetClientRect();
    if (group_->HasCaption() && pt.x >= client.left && pt.x < client.right && pt.y >= client.top + 2 &&
        pt.y < m.captionHeight + 1)
        return -2;
    if (group_->HasTabs())
        for (size_t i = 0; i < group_->tabs.size(); ++i)
            if (group_->tabs[i].rect.Contains(pt.x, pt.y)) return static_cast<int>(i);
    return -1;
}

BOOL CDPGroupWnd::HitTestDockZone(const RECT& rc, POINT pt) const {
    if (!group_) return FALSE;
    const DockMetrics& m = manager_.Theme()->Metrics();
    RECT band{rc.left, rc.top, rc.right, rc.top + m.captionHeight + 3};
    if (!group_->HasCaption()) {
        ::GetWindowRect(manager_.FrameWindowOf(*group_), &band);
        band.bottom = rc.top;
    }
    if (::PtInRect(&band, pt)) return TRUE;
    const RECT strip{rc.left, rc.bottom - m.tabHeight, rc.right, rc.bottom};
    return group_->HasTabs() && ::PtInRect(&strip, pt);
}

void CDPGroupWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    const CRect client = GetClientRect();
    if (group_ && client.Width() > 0 && client.Height() > 0) {
        HDC mem = ::CreateCompatibleDC(dc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.Width(), client.Height());
        const HGDIOBJ old = ::SelectObject(mem, bitmap);
        CDPDCCanvas canvas(mem, manager_.System());
        manager_.Theme()->DrawFrame(canvas, *group_, ToDockRect(client));
        UpdateToolTip();
        ::BitBlt(dc, 0, 0, client.Width(), client.Height(), mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(mem);
    }
    ::EndPaint(m_hWnd, &ps);
}

// The theme places the close button while it draws the caption; the tool
// tip follows it.
void CDPGroupWnd::UpdateToolTip() {
    const DockRect rc = group_->closeButton.rect;
    if (rc == toolRect_) return;
    toolRect_ = rc;
    if (!toolTip_) {
        toolTip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
        if (!toolTip_) return;
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.uId = 1;
    ::SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!rc.IsEmpty()) {
        static wchar_t closeText[] = L"Close";
        static wchar_t buttonText[] = L"Button";
        tool.rect = ToRECT(rc);
        tool.lpszText = (group_->closeButton.flags & DP_BUTTON_CLOSE) ? closeText : buttonText;
        ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::SendMessageW(toolTip_, TTM_ACTIVATE, TRUE, 0);
}

void CDPGroupWnd::FocusActive() {
    if (!group_) return;
    CDP* active = group_->GetActivePane();
    if (active && CDPManager::HostWindow(active))
        CDPManager::SetFocusToHost(active);
    else
        SetFocus();
}

void CDPGroupWnd::SetHot(POINT pt) {
    if (!group_) return;
    CDPCaptionButton& button = group_->closeButton;
    const bool inside = button.rect.Contains(pt.x, pt.y);
    const bool hot = (button.flags & DP_BUTTON_HOT) != 0;
    if (hot && !inside) {
        button.flags &= ~DP_BUTTON_HOT;
        Invalidate(FALSE);
    } else if (!hot && inside) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
        button.flags |= DP_BUTTON_HOT;
        Invalidate(FALSE);
    }
}

bool CDPGroupWnd::TrackCloseButton() {
    if (::GetCapture() || !group_) return false;
    CDPCaptionButton& button = group_->closeButton;
    ::SetCapture(m_hWnd);
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    bool result = false;
    for (;;) {
        const bool inside = button.rect.Contains(pt.x, pt.y);
        if (inside != ((button.flags & DP_BUTTON_PRESSED) != 0)) {
            button.flags ^= DP_BUTTON_PRESSED;
            Invalidate(FALSE);
            UpdateWindow();
        }
        if (::GetCapture() != m_hWnd) break;
        MSG msg;
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            RepostQuit(msg);
            break;
        }
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            pt = PointArg(msg.lParam);
        } else if (msg.message == WM_LBUTTONUP) {
            result = button.rect.Contains(static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam)));
            break;
        } else if (msg.message == WM_CANCELMODE || msg.message == WM_RBUTTONDOWN ||
                   (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)) {
            break;
        } else if (msg.message != WM_KEYDOWN) {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    button.flags &= ~(DP_BUTTON_PRESSED | DP_BUTTON_HOT);
    SetHot(pt);
    Invalidate(FALSE);
    return result;
}

void CDPGroupWnd::OnLButtonDown(POINT pt) {
    FocusActive();
    manager_.IdleUpdate();
    if (!group_) return;
    if (group_->closeButton.rect.Contains(pt.x, pt.y)) {
        CDP* active = group_->GetActivePane();
        if (active && TrackCloseButton()) manager_.ClosePane(active);
        return;
    }
    const int hit = HitTest(pt);
    if (hit == -2) {
        CDPDragTracker(manager_).Track(group_, ScreenPoint(m_hWnd, pt));
        return;
    }
    if (hit >= 0) {
        snapshot_.clear();
        for (const DP_TAB& tab : group_->tabs) snapshot_.push_back(tab.rect);
        CDP* pane = group_->tabs[size_t(hit)].pane;
        ::SetCapture(m_hWnd);
        dragged_ = pane;
        group_->SetActivePane(pane, true);
        if (CFrameWnd* frame = manager_.FrameOf(*group_)) frame->RecalcLayout();
        CDPManager::SetFocusToHost(pane);
        Invalidate(FALSE);
    }
}

void CDPGroupWnd::OnMouseMove(POINT pt) {
    if (!group_) return;
    if (!dragged_ || ::GetCapture() != m_hWnd) {
        SetHot(pt);
        return;
    }
    for (size_t i = 0; i < group_->tabs.size() && i < snapshot_.size(); ++i) {
        CDP* pane = group_->tabs[i].pane;
        if (pane == dragged_ || !snapshot_[i].Contains(pt.x, pt.y)) continue;
        group_->SwapTabs(dragged_, pane);
        RecalcTabs();
        Invalidate(FALSE);
        return;
    }
    const CRect client = GetClientRect();
    const int32_t tabHeight = manager_.Theme()->Metrics().tabHeight;
    if (pt.y < client.bottom - tabHeight || pt.y >= client.bottom || pt.x < client.left || pt.x >= client.right) {
        EndTabDrag();
        if (CDP* active = group_->GetActivePane())
            CDPDragTracker(manager_).Track(active, ScreenPoint(m_hWnd, pt));
    }
}

void CDPGroupWnd::EndTabDrag() {
    if (!dragged_) return;
    dragged_ = nullptr;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

bool CDPGroupWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_NCMOUSEMOVE:
        if (toolTip_) {
            MSG relay{m_hWnd, msg, wp, lp, ::GetMessageTime(), {}};
            ::GetCursorPos(&relay.pt);
            ::SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
        }
        break;
    }
    switch (msg) {
    case WM_PAINT: OnPaint(); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_LBUTTONDOWN: OnLButtonDown(PointArg(lp)); return true;
    case WM_MOUSEMOVE: OnMouseMove(PointArg(lp)); return true;
    case WM_MOUSELEAVE: SetHot(POINT{-1, -1}); return true;
    case WM_LBUTTONUP: EndTabDrag(); return true;
    case WM_CAPTURECHANGED:
        dragged_ = nullptr;
        return true;
    case WM_LBUTTONDBLCLK: {
        const POINT pt = PointArg(lp);
        if (!group_ || group_->closeButton.rect.Contains(pt.x, pt.y)) return true;
        const int hit = HitTest(pt);
        if (hit == -2)
            manager_.ToggleDocking(group_);
        else if (hit >= 0)
            manager_.ToggleDocking(group_->tabs[size_t(hit)].pane);
        return true;
    }
    case WM_RBUTTONDOWN: {
        const int hit = HitTest(PointArg(lp));
        if (group_ && hit >= 0) {
            group_->SetActivePane(group_->tabs[size_t(hit)].pane, true);
            if (CFrameWnd* frame = manager_.FrameOf(*group_)) frame->RecalcLayout();
        }
        FocusActive();
        manager_.IdleUpdate();
        return true;
    }
    case WM_RBUTTONUP:
        if (group_ && CDPManager::HasFocus(group_->GetActivePane()) && manager_.Owner())
            ::SendMessageW(*manager_.Owner(), DP_NOTIFY, DPN_CAPTION_MENU, reinterpret_cast<LPARAM>(group_));
        return true;
    case WM_DESTROY:
        if (toolTip_) ::DestroyWindow(toolTip_);
        toolTip_ = nullptr;
        break;
    case WM_NCDESTROY:
        if (group_ && group_->window == this) group_->window = nullptr;
        group_ = nullptr;
        break;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

// ---- CDPSplitterWnd

bool CDPSplitterWnd::TrackDrag(POINT start) {
    if (!splitter_ || index_ >= splitter_->Bars().size() || ::GetCapture()) return false;
    const DockBar& bar = splitter_->Bars()[index_];
    const DockRect a = manager_.ScreenRect(*bar.before);
    const DockRect b = manager_.ScreenRect(*bar.after);
    const RECT bounds{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                      std::max(a.bottom, b.bottom)};
    const bool row = splitter_->IsRow();
    CRect rc = GetWindowRect();
    DockOutline& outline = manager_.Outline();
    ::SetCapture(m_hWnd);
    outline.Begin();
    outline.Show(rc, DockOutlineKind::Bar);
    bool accepted = false;
    while (::GetCapture() == m_hWnd) {
        MSG msg;
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            RepostQuit(msg);
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
        if (msg.message == WM_LBUTTONUP) {
            accepted = true;
            break;
        }
        if (msg.message == WM_TIMER) continue;
        if (msg.message != WM_MOUSEMOVE) {
            ::DispatchMessageW(&msg);
            continue;
        }
        POINT pt = PointArg(msg.lParam);
        ::ClientToScreen(msg.hwnd, &pt);
        pt.x = std::clamp<LONG>(pt.x, bounds.left, std::max(bounds.left, bounds.right - 1));
        pt.y = std::clamp<LONG>(pt.y, bounds.top, std::max(bounds.top, bounds.bottom - 1));
        if (row && pt.x != rc.left) {
            rc.OffsetRect(pt.x - rc.left, 0);
            outline.Show(rc, DockOutlineKind::Bar);
        } else if (!row && pt.y != rc.top) {
            rc.OffsetRect(0, pt.y - rc.top);
            outline.Show(rc, DockOutlineKind::Bar);
        }
    }
    outline.Erase();
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    outline.End();
    if (!accepted || !splitter_) return false;
    // The bar's new edge, in the coordinates of the node rectangles.
    POINT edge{rc.left, rc.top};
    ::ScreenToClient(manager_.FrameWindowOf(*splitter_), &edge);
    return splitter_->MoveBar(index_, row ? edge.x : edge.y);
}

bool CDPSplitterWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        CDC(dc).FillSolidRect(GetClientRect(), GetDPColor(DP_COLOR_TAB_STRIP));
        ::EndPaint(m_hWnd, &ps);
        return true;
    }
    case WM_ERASEBKGND: result = 1; return true;
    case WM_LBUTTONDOWN: TrackDrag(ScreenPoint(m_hWnd, PointArg(lp))); return true;
    case WM_NCDESTROY:
        if (splitter_)
            if (auto* bars = static_cast<DockBarWindows*>(splitter_->window))
                std::erase(bars->bars, this);
        splitter_ = nullptr;
        break;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
