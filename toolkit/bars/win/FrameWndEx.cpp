#include "toolkit/bars/win/FrameWndEx.h"

#include "framework/MsgArgs.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx {

namespace {
constexpr DWORD kMenuBarCtrlStyle = TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_CUSTOMERASE | TBSTYLE_TRANSPARENT;
constexpr DWORD kMenuBarStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_FLYBY | CBRS_TOOLTIPS | CBRS_HIDE_INPLACE;
} // namespace

int CFrameWndEx::OnCreateBars() {
    if (!m_wndReBar.Create(m_hWnd, AFX_IDW_SIZABLE_REBAR)) return -1;
    if (!m_wndMenuBar.CreateEx(m_hWnd, kMenuBarCtrlStyle, kMenuBarStyle, CRect(0, 0, 0, 0), ID_MENUBAR)) return -1;
    if (!m_wndReBar.AddBar(&m_wndMenuBar, nullptr, 0, nullptr, TRUE, TRUE)) return -1;
    m_wndMenuBar.UpdateFont();
    return 0;
}

BOOL CFrameWndEx::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
    if (!CFrameWnd::LoadFrame(resourceId, style, parent)) return FALSE;
    m_wndMenuBar.SetMenu(GetMenu());
    SetMenu(nullptr);
    return TRUE;
}

BOOL CFrameWndEx::SetMenu(HMENU menu) {
    if (menu) {
        m_wndMenuBar.SetMenu(menu);
        RecalcLayout();
        return TRUE;
    }
    return ::SetMenu(m_hWnd, nullptr);
}

void CFrameWndEx::OnUpdateFrameMenu(HMENU menu) {
    if (!menu) menu = m_hMenuDefault;
    if (m_bWindowMenu) ::SetMenu(m_hWnd, menu);
    else if (menu && menu != m_wndMenuBar.GetMenu()) m_wndMenuBar.SetMenu(menu);
}

void CFrameWndEx::SavePlacement() {
    CWinApp* app = AfxGetApp();
    if (m_strPlacementSection.empty() || !app) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(m_hWnd, &placement))
        app->WriteProfileBinary(m_strPlacementSection.c_str(), L"FrameWndPlacement", &placement, sizeof(placement));
}

bool CFrameWndEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        if (!CFrameWnd::OnWndMsg(msg, wp, lp, result)) result = Default();
        if (result != -1) result = OnCreateBars();
        return true;
    case WM_SYSCOMMAND:
        if (m_wndMenuBar.m_hWnd && m_wndMenuBar.OnSysKeyMenu(static_cast<UINT>(wp), lp)) {
            result = 0;
            return true;
        }
        break;
    case WM_MENUCHAR:
        if (m_wndMenuBar.m_hWnd && m_wndMenuBar.OnMenuChar(LOWORD(wp), HIWORD(wp))) {
            result = MAKELRESULT(0, MNC_CLOSE);
            return true;
        }
        break;
    case WM_NCACTIVATE:
        if (m_wndMenuBar.m_hWnd) {
            CFrameWnd* top = GetTopLevelFrame();
            if (!top) top = this;
            m_wndMenuBar.SetActive((wp != 0 || top->IsStayActive()) && ::IsWindowEnabled(top->m_hWnd));
        }
        break;
    case WM_INITMENUPOPUP:
        if (!CFrameWnd::OnWndMsg(msg, wp, lp, result)) result = Default();
        if (CWinAppEx* app = AfxGetAppEx()) app->SetMenuImages(reinterpret_cast<HMENU>(wp), false);
        if (m_wndMenuBar.m_hWnd) m_wndMenuBar.OnPopupInit(reinterpret_cast<HMENU>(wp), LOWORD(lp));
        return true;
    case WM_MENUSELECT:
        if (!CFrameWnd::OnWndMsg(msg, wp, lp, result)) result = Default();
        if (m_wndMenuBar.m_hWnd) m_wndMenuBar.OnPopupSelect(HIWORD(wp), reinterpret_cast<HMENU>(lp));
        return true;
    case WM_SETTINGCHANGE:
        if (CWinAppEx* app = AfxGetAppEx()) app->UpdateMenuSettings();
        break;
    case WM_MEASUREITEM:
        if (CWinAppEx* app = AfxGetAppEx())
            if (app->MeasureMenuImage(*StructArg<MEASUREITEMSTRUCT>(lp))) {
                result = TRUE;
                return true;
            }
        break;
    case WM_DRAWITEM:
        if (CWinAppEx* app = AfxGetAppEx())
            if (app->DrawMenuImage(*StructArg<DRAWITEMSTRUCT>(lp))) {
                result = TRUE;
                return true;
            }
        break;
    case WM_CLOSE:
        SavePlacement();
        break;
    }
    return CFrameWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
