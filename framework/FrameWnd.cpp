#include "framework/FrameWnd.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "framework/ControlBar.h"
#include "framework/MsgArgs.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"

namespace brx {

const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT), 0, 0};

CFrameWnd::~CFrameWnd() { CWinApp::RemoveFrame(this); }

void CFrameWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, HWND parent, LPCWSTR menuName,
                       DWORD exStyle) {
    HMENU menu = nullptr;
    if (menuName) {
        menu = ::LoadMenuW(AfxGetResourceHandle(), menuName);
        if (!menu) return FALSE;
    }
    if (!className)
        className = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                     reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    m_hMenuDefault = menu;
    if (!CreateEx(exStyle, className, title, style, rect, parent, reinterpret_cast<UINT_PTR>(menu))) {
        if (menu) ::DestroyMenu(menu);
        m_hMenuDefault = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
    std::wstring title = ExtractSubString(LoadStringResource(resourceId), 0);
    HICON icon = LoadIconResource(resourceId);
    LPCWSTR cls = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    HMENU menu = LoadMenuResource(resourceId);
    bool menuAllowed = !(style & WS_CHILD);
    m_hMenuDefault = menuAllowed ? menu : nullptr;
    if (!CreateEx(0, cls, title.c_str(), style, rectDefault, parent, reinterpret_cast<UINT_PTR>(m_hMenuDefault))) {
        if (menu) ::DestroyMenu(menu);
        m_hMenuDefault = nullptr;
        return FALSE;
    }
    if (menu && !menuAllowed) ::DestroyMenu(menu);
    LoadAccelTable(resourceId);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(UINT id) {
    if (m_hAccelTable) return FALSE;
    m_hAccelTable = LoadAcceleratorsResource(id);
    return m_hAccelTable != nullptr;
}

void CFrameWnd::OnUpdateFrameMenu(HMENU menu) {
    if (!menu) menu = m_hMenuDefault;
    ::SetMenu(m_hWnd, menu);
}

void CFrameWnd::DelayUpdateFrameMenu(HMENU menu) {
    m_hMenuDelayed = menu;
    m_nIdleFlags |= idleMenu;
}

void CFrameWnd::RecalcLayout() {
    if (m_bInRecalcLayout || !m_hWnd) return;
    m_bInRecalcLayout = true;
    m_nIdleFlags &= ~idleLayout;
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &m_rectBorder);
    m_bInRecalcLayout = false;
}

void CFrameWnd::DelayRecalcLayout() { m_nIdleFlags |= idleLayout; }

void CFrameWnd::ShowControlBar(HWND bar, bool show, bool delay) {
    ::ShowWindow(bar, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (delay) DelayRecalcLayout();
    else RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
    return dynamic_cast<CControlBar*>(FromHandle(::GetDlgItem(m_hWnd, static_cast<int>(id))));
}

bool CFrameWnd::OnCommand(CCommand& cmd) {
    if (cmd.InRange(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST)) {
        CControlBar* bar = GetControlBar(cmd.Id());
        if (!bar) return false;
        ShowControlBar(*bar, !bar->IsVisible(), false);
        return true;
    }
    return CWnd::OnCommand(cmd);
}

bool CFrameWnd::OnUpdateCommand(CCmdUI& ui) {
    if (ui.m_nID >= AFX_IDW_CONTROLBAR_FIRST && ui.m_nID <= AFX_IDW_CONTROLBAR_LAST) {
        CControlBar* bar = GetControlBar(ui.m_nID);
        ui.Enable(bar != nullptr);
        ui.SetCheck(bar && bar->IsVisible() ? 1 : 0);
        return true;
    }
    return CWnd::OnUpdateCommand(ui);
}

bool CFrameWnd::OnNotify(NMHDR& nm, LRESULT& result) {
    if (nm.code != TTN_GETDISPINFOW) return CWnd::OnNotify(nm, result);
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(nm);
    if (info.uFlags & TTF_IDISHWND) return false;
    std::wstring tip = ExtractSubString(LoadStringResource(static_cast<UINT>(nm.idFrom)), 1);
    size_t n = std::min(tip.size(), std::size(info.szText) - 1);
    tip.copy(info.szText, n);
    info.szText[n] = L'\0';
    info.lpszText = info.szText;
    info.hinst = nullptr;
    result = 0;
    return true;
}

bool CFrameWnd::RouteCommand(CCommand& cmd) {
    CWnd* view = GetActiveView();
    if (view && view != this && view->RouteCommand(cmd)) return true;
    if (OnCommand(cmd)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->RouteCommand(cmd);
}

bool CFrameWnd::RouteUpdate(CCmdUI& ui) {
    CWnd* view = GetActiveView();
    if (view && view != this && view->RouteUpdate(ui)) return true;
    if (OnUpdateCommand(ui)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->RouteUpdate(ui);
}

bool CFrameWnd::GetMessageString(UINT id, std::wstring& text) const {
    text.clear();
    if (id == 0) return false;
    if (LoadStringResource(id, text)) {
        text = ExtractSubString(text, 0);
        return true;
    }
    if (id == AFX_IDS_IDLEMESSAGE) {
        text = L"Ready";
        return true;
    }
    return false;
}

void CFrameWnd::SetMessageText(UINT id) { SendMessage(WM_SETMESSAGESTRING, id, 0); }

void CFrameWnd::SetMessageText(const wchar_t* text) {
    SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(text));
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM id, LPARAM text) {
    UINT previous = m_nIDLastMessage;
    std::wstring prompt;
    if (text) prompt = reinterpret_cast<const wchar_t*>(text);
    else GetMessageString(static_cast<UINT>(id), prompt);
    if (HWND bar = GetMessageBar()) ::SetWindowTextW(bar, prompt.c_str()); // pane 0 of a status bar
    m_nIDLastMessage = static_cast<UINT>(id);
    m_nIDTracking = static_cast<UINT>(id);
    return previous;
}

void CFrameWnd::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    UINT tracking;
    if (flags == 0xFFFF && !menu) tracking = AFX_IDS_IDLEMESSAGE; // the menu closed
    else if (flags & (MF_SEPARATOR | MF_POPUP | MF_SYSMENU)) tracking = 0;
    else tracking = item;
    m_nIDTracking = tracking;
    if (tracking != m_nIDLastMessage) SetMessageText(tracking);
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    if (m_nIdleFlags & idleMenu) {
        m_nIdleFlags &= ~idleMenu;
        OnUpdateFrameMenu(m_hMenuDelayed);
    }
    if (m_nIDTracking != m_nIDLastMessage) SetMessageText(m_nIDTracking);
}

void CFrameWnd::IdleUpdate() {
    HWND self = m_hWnd;
    SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    if (!::IsWindow(self)) return;
    SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true, true);
    if (FromHandle(self) != this) return;
    if (m_nIdleFlags & idleLayout) RecalcLayout();
}

void CFrameWnd::OnClose() { DestroyWindow(); }

bool CFrameWnd::OnActivate(UINT state, HWND other) {
    CFrameWnd* top = (GetStyle() & WS_CHILD) ? this : GetTopLevelFrame();
    if (!top) return false;
    HWND active = state == WA_INACTIVE ? other : m_hWnd;
    bool stay = false;
    if (active == top->m_hWnd) {
        stay = true;
    } else if (CWnd* wnd = FromHandle(active)) {
        stay = wnd->GetTopLevelFrame() == top && ::SendMessageW(active, WM_FLOATSTATUS, FS_SYNCACTIVE, 0) != 0;
    }
    top->m_bStayActive = stay;
    ::SendMessageW(top->m_hWnd, WM_NCACTIVATE, stay ? TRUE : FALSE, 0);
    return false; // the default handling still runs (focus)
}

LRESULT CFrameWnd::OnNcActivate(BOOL active, LPARAM lp) {
    if (m_bStayActive) active = TRUE;
    if (!IsWindowEnabled()) active = FALSE;
    // Tool windows that follow this frame show the same state.
    HWND self = m_hWnd;
    for (CFrameWnd* frame : CWinApp::Frames()) {
        if (frame == this || !frame->m_hWnd) continue;
        if ((frame->GetStyle() & MFS_SYNCACTIVE) && ::GetWindow(frame->m_hWnd, GW_OWNER) == self)
            ::SendMessageW(frame->m_hWnd, WM_NCACTIVATE, active, 0);
    }
    return DefWindowProc(WM_NCACTIVATE, active, lp);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable && IsWindowEnabled() &&
        ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, msg))
        return TRUE;
    return CWnd::PreTranslateMessage(msg);
}

bool CFrameWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CLOSE: OnClose(); return true;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) RecalcLayout();
        return true;
    case WM_SETFOCUS:
        if (CWnd* view = GetActiveView()) {
            view->SetFocus();
            return true;
        }
        return false;
    case WM_INITMENUPOPUP: {
        InitMenuPopupArgs args = InitMenuPopupArg(wp, lp);
        if (args.systemMenu) return false;
        UpdateMenuItems(args.popup, this, true);
        return true;
    }
    case WM_MENUSELECT: {
        MenuSelectArgs args = MenuSelectArg(wp, lp);
        OnMenuSelect(args.item, args.flags, args.menu);
        return true;
    }
    case WM_EXITMENULOOP:
        m_nIDTracking = AFX_IDS_IDLEMESSAGE;
        if (m_nIDTracking != m_nIDLastMessage) SetMessageText(m_nIDTracking);
        return false;
    case WM_SETMESSAGESTRING:
    case WM_POPMESSAGESTRING: result = OnSetMessageString(wp, lp); return true;
    case WM_IDLEUPDATECMDUI: OnIdleUpdateCmdUI(); return true;
    case WM_ACTIVATE: return OnActivate(LOWORD(wp), HwndArg(lp));
    case WM_NCACTIVATE: result = OnNcActivate(static_cast<BOOL>(wp), lp); return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

// --- mini frame

LPCWSTR CMiniFrameWnd::ClassName() {
    static const wchar_t name[] = L"BrxMiniFrame";
    static bool registered = RegisterClass(name, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    return registered ? name : nullptr;
}

BOOL CMiniFrameWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, HWND owner,
                             UINT id) {
    if (!className) className = ClassName();
    return CWnd::CreateEx(exStyle | WS_EX_TOOLWINDOW, className, title, style, rect, owner, id);
}

bool CMiniFrameWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_FLOATSTATUS: result = (wp & FS_SYNCACTIVE) && (GetStyle() & MFS_SYNCACTIVE) ? 1 : 0; return true;
    case WM_NCACTIVATE:
        if (GetStyle() & MFS_SYNCACTIVE) {
            // Active while this window or the frame it follows is.
            CFrameWnd* top = GetTopLevelFrame();
            BOOL active = wp || (top && top != this && (top->IsStayActive() || ::GetActiveWindow() == top->m_hWnd));
            result = DefWindowProc(WM_NCACTIVATE, active, lp);
            return true;
        }
        result = DefWindowProc(WM_NCACTIVATE, wp, lp);
        return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        if (wp == HTSYSMENU && (GetStyle() & MFS_BLOCKSYSMENU)) return true;
        break;
    }
    return CFrameWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
