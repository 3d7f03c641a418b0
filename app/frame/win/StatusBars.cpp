#include "app/frame/win/StatusBars.h"

#include "app/res/frame_ids.h"
#include "framework/WinApp.h"

namespace brx {

BOOL CProgStatusBar::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style |= WS_CLIPCHILDREN;
    return CStatusControlBar::PreCreateWindow(cs);
}

int CProgStatusBar::OnCreate(CREATESTRUCTW*) {
    if (Default() == -1) return -1;
    if (!m_progress.Create(PBS_SMOOTH, CRect(0, 0, 0, 0), m_hWnd, 1)) return -1;
    m_progress.ModifyStyleEx(WS_EX_STATICEDGE, 0);
    m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    return 0;
}

void CProgStatusBar::PlaceProgress() {
    RECT rc{};
    if (!SendMessage(SB_GETRECT, 0, reinterpret_cast<LPARAM>(&rc))) rc = RECT{};
    ::SetWindowPos(m_progress, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CProgStatusBar::OnSize() {
    if (m_progress.m_hWnd && m_progress.IsWindowVisible()) PlaceProgress();
}

void CProgStatusBar::SetProgress(int position) {
    if (!m_progress.m_hWnd) return;
    const bool show = position != 0;
    const bool shown = (m_progress.GetStyle() & WS_VISIBLE) != 0;
    if (show != shown) {
        if (!show) {
            SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, 0);
            CWnd* main = AfxGetMainWnd();
            HWND target = main ? main->m_hWnd : GetTopLevelParent();
            if (target) ::PostMessageW(target, WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
        } else {
            PlaceProgress();
            SetPaneText(0, L"");
            SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 0);
        }
        m_progress.ModifyStyle(show ? 0 : WS_VISIBLE, show ? WS_VISIBLE : 0);
        // The style alone does not repaint what the control covered or uncovered.
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    m_progress.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
}

bool CProgStatusBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: result = OnCreate(reinterpret_cast<CREATESTRUCTW*>(lp)); return true;
    case WM_SIZE:
        CStatusControlBar::OnWndMsg(msg, wp, lp, result);
        OnSize();
        return true;
    }
    return CStatusControlBar::OnWndMsg(msg, wp, lp, result);
}

int CStatusBarEx::OnCreate(CREATESTRUCTW* cs) {
    if (CProgStatusBar::OnCreate(cs) == -1) return -1;
    AddIndicator(ID_SEPARATOR, 0);
    // The message pane stretches over what the other panes leave.
    SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, 0);
    auto* indicator = new CLogFullnessIndicator;
    if (!indicator->Create(WS_VISIBLE | PBS_SMOOTH, CRect(0, 0, 0, 0), m_hWnd, 0)) {
        delete indicator;
        return -1;
    }
    m_pIndicator = indicator;
    indicator->SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    indicator->SendMessage(PBM_SETPOS, 0);
    AddIndicator(ID_INDICATOR_FULLNESS, 1);
    indicator->SetWindowPos(nullptr, 0, 0, 0, 0,
                            SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetPaneInfo(1, ID_INDICATOR_FULLNESS, SBPS_NOBORDERS, 100);
    AddControl(indicator, ID_INDICATOR_FULLNESS, TRUE);
    return 0;
}

void CStatusBarEx::SetFullness(int percent) {
    if (m_pIndicator && m_pIndicator->m_hWnd) m_pIndicator->SendMessage(PBM_SETPOS, static_cast<WPARAM>(percent));
}

bool CStatusBarEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_NCDESTROY) m_pIndicator = nullptr; // destroyed with the bar
    return CProgStatusBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
