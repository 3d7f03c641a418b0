#include "toolkit/bars/win/MenuBar.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/MsgArgs.h"
#include "toolkit/bars/BarState.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/VersionClass.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx {

namespace {

// The bar whose popup is tracked, for the thread's message-filter hook.
CMenuBar* g_trackingBar = nullptr;
HHOOK g_messageHook = nullptr;

// A WM_QUIT that arrived while a popup was tracked: taken out and posted
// again, so that the program still ends after the menu closed.
bool QuitArrived() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
}

} // namespace

CMenuBar::CMenuBar() : m_nVersionClass(GetWindowsVersionClass()) {}

CMenuBar::~CMenuBar() {
    if (g_trackingBar == this) g_trackingBar = nullptr;
    CloseTheme();
}

void CMenuBar::OpenTheme() {
    if (m_nVersionClass != 6) return;
    m_hTheme = CWinAppEx::OpenThemeData(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : m_hWnd, L"Window");
}

void CMenuBar::CloseTheme() {
    if (m_hTheme) CWinAppEx::CloseThemeData(m_hTheme);
    m_hTheme = nullptr;
}

bool CMenuBar::IsOverOwnChevron(POINT client) const {
    HWND rebar = GetParent();
    POINT at = client;
    ::MapWindowPoints(m_hWnd, rebar, &at, 1);
    RBHITTESTINFO hit{};
    hit.pt = at;
    ::SendMessageW(rebar, RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    int band = static_cast<int>(::SendMessageW(rebar, RB_IDTOINDEX, static_cast<WPARAM>(GetDlgCtrlID()), 0));
    return hit.flags == RBHT_CHEVRON && hit.iBand == band;
}

void CMenuBar::ShowChevronMenu(const RECT& chevron, int index) {
    LeaveMenuMode();
    if (!m_hMenu) return;
    HMENU popup = ::CreatePopupMenu();
    for (int i = 0; i < GetCount(); ++i) {
        if (!IsClipped(i)) continue;
        wchar_t text[261] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        info.dwTypeData = text;
        info.cch = 260;
        if (!::GetMenuItemInfoW(m_hMenu, static_cast<UINT>(i), TRUE, &info)) continue;
        // The popup does not start with a separator.
        if ((info.fType & MFT_SEPARATOR) && ::GetMenuItemCount(popup) == 0) continue;
        if (!(info.fType & MFT_SEPARATOR)) {
            info.dwTypeData = text;
            info.cch = static_cast<UINT>(::lstrlenW(text));
        }
        ::InsertMenuItemW(popup, static_cast<UINT>(::GetMenuItemCount(popup)), TRUE, &info);
    }
    if (index >= 0 && index < GetCount()) {
        // The button's mnemonic key opens its submenu as the menu opens.
        wchar_t text[260] = {};
        SendMessage(TB_GETBUTTONTEXTW, GetItemID(index), reinterpret_cast<LPARAM>(text));
        std::wstring wide(text);
        char16_t mnemonic = MenuMnemonic(std::u16string(wide.begin(), wide.end()));
        if (mnemonic) {
            wchar_t ch = static_cast<wchar_t>(mnemonic);
            char ansi = 0;
            WORD code = ch;
            if (::WideCharToMultiByte(CP_ACP, 0, &ch, 1, &ansi, 1, nullptr, nullptr) == 1)
                code = static_cast<unsigned char>(ansi);
            SHORT scan = ::VkKeyScanW(static_cast<wchar_t>(code));
            wchar_t upper[2] = {static_cast<wchar_t>(code), 0};
            ::CharUpperW(upper);
            WORD vk = scan == -1 ? static_cast<WORD>(upper[0]) : LOBYTE(scan);
            INPUT keys[2] = {};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = vk;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            ::SendInput(2, keys, sizeof(INPUT));
        }
    }
    CWnd* owner = GetParentFrame();
    if (!owner) owner = this;
    TPMPARAMS params{sizeof(params), chevron};
    UINT flags = TPM_VERTICAL | (m_nVersionClass < 5 ? 0u : static_cast<UINT>(TPM_VERPOSANIMATION));
    m_hChevronMenu = popup;
    TrackFramePopupMenu(popup, flags, chevron.left, chevron.bottom, owner, &params);
    m_hChevronMenu = nullptr;
    // The submenus stay with the frame's menu.
    while (::GetMenuItemCount(popup) > 0) ::RemoveMenu(popup, 0, MF_BYPOSITION);
    ::DestroyMenu(popup);
    QuitArrived();
}

void CMenuBar::UpdatePrefixes() {
    if (m_nVersionClass <= 4 || m_bMenuMode) return;
    CWinAppEx* app = AfxGetAppEx();
    bool cues = app && app->IsKeyboardCues();
    bool hide = !cues && ::GetKeyState(VK_MENU) >= 0 && ::GetKeyState(VK_F10) >= 0;
    if (hide == m_bHidePrefix) return;
    m_bHidePrefix = hide;
    SendMessage(TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, hide ? DT_HIDEPREFIX : 0);
    Invalidate();
}

LRESULT CMenuBar::OnCustomDraw(NMTBCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_PREERASE: return CDRF_NOTIFYPOSTERASE;
    case CDDS_ITEMPREPAINT: {
        CWinAppEx* app = AfxGetAppEx();
        bool flat = m_nVersionClass == 6 && app && app->IsFlatMenu();
        UINT state = draw.nmcd.uItemState;
        bool disabled = (state & (CDIS_DISABLED | CDIS_GRAYED)) != 0;
        if (!flat) {
            if (!m_bActive) draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        }
        LRESULT result = TBCDRF_NOEDGES | TBCDRF_NOOFFSET;
        if ((state & (CDIS_HOT | CDIS_SELECTED)) && !disabled) {
            draw.clrHighlightHotTrack = ::GetSysColor(COLOR_MENUHILIGHT);
            draw.clrText = draw.clrTextHighlight = ::GetSysColor(m_bActive ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT);
            result |= TBCDRF_HILITEHOTTRACK;
        } else if (disabled || !m_bActive) {
            draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
        }
        return result;
    }
    }
    return CDRF_DODEFAULT;
}

BOOL CMenuBar::SetMenu(HMENU menu) {
    for (int i = GetCount() - 1; i >= 0; --i) SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(i));
    m_hMenu = menu;
    int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[260] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 259;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.fsState = TBSTATE_ENABLED;
        if (info.hSubMenu) {
            button.idCommand = static_cast<int>(ID_MENUBAR_FIRST + static_cast<UINT>(i));
            button.fsStyle = BTNS_AUTOSIZE | BTNS_DROPDOWN;
        } else if (info.wID == 0 || (info.fType & MFT_SEPARATOR)) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.idCommand = static_cast<int>(info.wID);
            button.fsStyle = BTNS_AUTOSIZE;
        }
        button.iString = (button.fsStyle & BTNS_SEP) ? -1 : reinterpret_cast<INT_PTR>(text);
        SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    UpdateFont();
    return TRUE;
}

void CMenuBar::UpdateFont() {
    m_font.DeleteObject();
    if (CWinAppEx* app = AfxGetAppEx()) {
        m_font.CreateFontIndirect(app->GetMenuFont());
    } else {
        NONCLIENTMETRICSW metrics{};
        MenuEffectSettings unused;
        ReadMenuSettings(m_nVersionClass, metrics, unused);
        m_font.CreateFontIndirect(metrics.lfMenuFont);
    }
    SetFont(m_font, TRUE);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    SendMessage(TB_AUTOSIZE);
    int menuHeight = ::GetSystemMetrics(SM_CYMENU);
    int height = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    if (height < menuHeight) {
        int padding = HIWORD(SendMessage(TB_GETPADDING));
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, std::max(0, menuHeight - padding)));
        SendMessage(TB_AUTOSIZE);
        height = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    }
    int width = 0;
    for (int i = 0; i < GetCount(); ++i) width += GetItemRect(i).Width();
    SetBandChildSize(m_hWnd, std::max(height, menuHeight), width);
}

void CMenuBar::SetActive(bool active) {
    m_bActive = active;
    Invalidate();
    UpdateWindow();
}

bool CMenuBar::IsClipped(int index) const {
    CRect rc = GetItemRect(index);
    return !rc.IsRectEmpty() && rc.right > GetClientRect().right;
}

void CMenuBar::PushChevron(int index) {
    if (m_bPopupOpen)
        if (CFrameWnd* frame = GetParentFrame()) frame->PostMessage(WM_CANCELMODE);
    HWND rebar = GetParent();
    int band = static_cast<int>(::SendMessageW(rebar, RB_IDTOINDEX, static_cast<WPARAM>(GetDlgCtrlID()), 0));
    ::PostMessageW(rebar, RB_PUSHCHEVRON, static_cast<WPARAM>(band), index < 0 ? 0 : index + 1);
}

BOOL CMenuBar::OnSysKeyMenu(UINT command, LPARAM lp) {
    if ((command & 0xFFF0) != SC_KEYMENU || lp != 0) return FALSE;
    if (GetCount() > 1 && IsClipped(1)) PushChevron(-1);
    else EnterMenuMode(0);
    return TRUE;
}

BOOL CMenuBar::OnMenuChar(UINT ch, UINT flags) {
    if (!(flags & MF_SYSMENU)) return FALSE;
    UINT id = 0;
    if (!SendMessage(TB_MAPACCELERATORW, ch, reinterpret_cast<LPARAM>(&id))) return FALSE;
    int index = CommandToIndex(id);
    if (index < 0) return FALSE;
    PostMessage(WM_MENUBAR_OPENPOPUP, static_cast<WPARAM>(index), 0x10001);
    return TRUE;
}

void CMenuBar::OnPopupInit(HMENU menu, UINT position) {
    if (!m_bPopupOpen) return;
    m_bSelInTopPopup = menu == m_hPopup;
    m_bSelHasSubmenu = ::GetSubMenu(menu, static_cast<int>(position)) != nullptr;
}

void CMenuBar::OnPopupSelect(UINT flags, HMENU menu) {
    if (!m_bPopupOpen) return;
    m_bSelInTopPopup = menu == m_hPopup;
    m_bSelHasSubmenu = (flags & MF_POPUP) != 0;
}

void CMenuBar::EnterMenuMode(int index) {
    if (m_bMenuMode) return;
    m_bMenuMode = true;
    HWND focus = ::GetFocus();
    if (focus != m_hWnd) {
        m_hWndSavedFocus = focus;
        SetFocus();
    }
    if (::GetCapture() != m_hWnd) {
        ::SetCapture(m_hWnd);
        SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hWnd), HTCLIENT);
    }
    SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(index));
    m_nHotIndex = index;
}

void CMenuBar::LeaveMenuMode() {
    if (!m_bMenuMode) return;
    // Cleared first: the hot-item change below must not be refused.
    m_bMenuMode = false;
    SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
    if (::GetFocus() == m_hWnd && m_hWndSavedFocus && ::IsWindow(m_hWndSavedFocus)) ::SetFocus(m_hWndSavedFocus);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_hWndSavedFocus = nullptr;
}

void CMenuBar::OpenPopup(int index, LPARAM lp) {
    if (HIWORD(lp) && IsClipped(index)) {
        PushChevron(index);
        return;
    }
    EnterMenuMode(index);
    m_nHotIndex = index;
    m_bKeyboardOpen = LOWORD(lp) != 0;
    m_bContinueTracking = true;
    m_bStayInMenuMode = false;
    TrackPopups();
    if (m_bStayInMenuMode && m_bMenuMode) {
        ::SetCapture(m_hWnd);
        SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hWnd), HTCLIENT);
    } else {
        LeaveMenuMode();
    }
}

void CMenuBar::TrackPopups() {
    UINT animation = TPM_VERPOSANIMATION;
    CWnd* owner = GetParentFrame();
    if (!owner) owner = this;
    while (m_bContinueTracking) {
        int index = m_nHotIndex;
        UINT id = GetItemID(index);
        HMENU popup = (m_hMenu && id >= ID_MENUBAR_FIRST && id <= ID_MENUBAR_LAST)
                          ? ::GetSubMenu(m_hMenu, static_cast<int>(id - ID_MENUBAR_FIRST))
                          : nullptr;
        if (!popup) break;
        m_hPopup = popup;
        SendMessage(TB_PRESSBUTTON, id, TRUE);
        if (m_bKeyboardOpen) {
            ::keybd_event(VK_DOWN, 0, 0, 0);
            ::keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
        }
        CRect rc = GetItemRect(index);
        ClientToScreen(rc);
        TPMPARAMS params{sizeof(params), rc};
        m_bSelInTopPopup = m_bSelHasSubmenu = m_bContinueTracking = false;
        m_bPopupOpen = true;
        g_trackingBar = this;
        g_messageHook = ::SetWindowsHookExW(WH_MSGFILTER, MessageHook, nullptr, ::GetCurrentThreadId());
        UINT flags = TPM_VERTICAL | (m_nVersionClass >= 5 ? animation : 0u);
        TrackFramePopupMenu(popup, flags, rc.left, rc.bottom, owner, &params);
        if (g_messageHook) ::UnhookWindowsHookEx(g_messageHook);
        g_messageHook = nullptr;
        g_trackingBar = nullptr;
        m_hPopup = nullptr;
        m_bPopupOpen = false;
        if (::IsWindow(m_hWnd)) SendMessage(TB_PRESSBUTTON, id, FALSE);
        if (m_nVersionClass > 4) animation = TPM_NOANIMATION;
        if (QuitArrived()) {
            m_bContinueTracking = false;
            m_bStayInMenuMode = false;
        }
    }
}

LRESULT CALLBACK CMenuBar::MessageHook(int code, WPARAM wp, LPARAM lp) {
    CMenuBar* bar = g_trackingBar;
    if (code == MSGF_MENU && bar && lp) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lp);
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) bar->m_bStayInMenuMode = bar->m_bSelInTopPopup;
            else if (msg.wParam == VK_LEFT && bar->m_bSelInTopPopup) bar->SendMessage(WM_KEYDOWN, msg.wParam, msg.lParam);
            else if (msg.wParam == VK_RIGHT && !bar->m_bSelHasSubmenu)
                bar->SendMessage(WM_KEYDOWN, msg.wParam, msg.lParam);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDBLCLK: {
            POINT pt = msg.pt;
            ::ScreenToClient(bar->m_hWnd, &pt);
            bar->SendMessage(msg.message, msg.wParam, MAKELPARAM(pt.x, pt.y));
            break;
        }
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool CMenuBar::OnReflectedNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case NM_CUSTOMDRAW: result = OnCustomDraw(reinterpret_cast<NMTBCUSTOMDRAW&>(nm)); return true;
    case TBN_HOTITEMCHANGE: {
        if (!m_bMenuMode) return false;
        auto& hot = reinterpret_cast<NMTBHOTITEM&>(nm);
        int index = (hot.dwFlags & HICF_LEAVING) ? -1 : CommandToIndex(static_cast<UINT>(hot.idNew));
        if (index != m_nHotIndex && (hot.dwFlags & 0x0F)) {
            if (index == -1) {
                result = 1; // the bar keeps a hot item while it has the keyboard
                return true;
            }
            if (IsClipped(index)) {
                PushChevron(index);
            } else if (m_bPopupOpen) {
                if (CFrameWnd* frame = GetParentFrame()) frame->PostMessage(WM_CANCELMODE);
                m_bKeyboardOpen = (hot.dwFlags & HICF_MOUSE) == 0;
                m_bContinueTracking = true;
            }
        }
        m_nHotIndex = index;
        result = 0;
        return true;
    }
    case TBN_DROPDOWN: {
        auto& drop = reinterpret_cast<NMTOOLBARW&>(nm);
        if (!m_bPopupOpen)
            PostMessage(WM_MENUBAR_OPENPOPUP, static_cast<WPARAM>(CommandToIndex(static_cast<UINT>(drop.iItem))),
                        (::GetKeyState(VK_LBUTTON) < 0) ? 0 : 0x10001);
        result = TBDDRET_DEFAULT;
        return true;
    }
    }
    return false;
}

void CMenuBar::OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) {
    UpdatePrefixes();
    // The popup buttons are always enabled; command buttons follow their
    // handlers. Popup buttons are left out of the handler pass: disabling
    // and enabling them again on every idle pass would repaint the bar each
    // time.
    for (int i = 0; i < GetCount(); ++i) {
        TBBUTTON button{};
        if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) continue;
        UINT id = static_cast<UINT>(button.idCommand);
        if (id >= ID_MENUBAR_FIRST && id <= ID_MENUBAR_LAST) {
            if (!(button.fsState & TBSTATE_ENABLED)) SendMessage(TB_ENABLEBUTTON, id, TRUE);
            continue;
        }
        CToolCmdUI ui;
        ui.m_hToolBar = m_hWnd;
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

bool CMenuBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_REFLECT_BASE + WM_NOTIFY:
        if (OnReflectedNotify(*StructArg<NMHDR>(lp), result)) return true;
        break;
    case WM_MENUBAR_OPENPOPUP:
        if (static_cast<int>(wp) >= 0 && static_cast<int>(wp) < GetCount()) OpenPopup(static_cast<int>(wp), lp);
        result = 0;
        return true;
    case WM_BAR_CHEVRONPUSHED:
        if (const RECT* chevron = reinterpret_cast<const RECT*>(wp)) ShowChevronMenu(*chevron, static_cast<int>(lp) - 1);
        else LeaveMenuMode();
        result = 0;
        return true;
    case WM_CREATE:
        if (!CToolBar::OnWndMsg(msg, wp, lp, result)) result = Default();
        if (result != -1 && m_nVersionClass == 6) {
            OpenTheme();
            CWinAppEx::SetWindowTheme(m_hWnd, nullptr, nullptr);
        }
        return true;
    case WM_THEMECHANGED:
        CloseTheme();
        OpenTheme();
        break;
    case WM_DESTROY:
        CloseTheme();
        break;
    case WM_KEYDOWN:
        if (m_bMenuMode && !m_bPopupOpen) {
            if (wp == VK_ESCAPE) {
                LeaveMenuMode();
                result = 0;
                return true;
            }
            if (wp == VK_SPACE) {
                LeaveMenuMode();
                if (CFrameWnd* frame = GetParentFrame()) frame->PostMessage(WM_SYSCOMMAND, SC_KEYMENU, ' ');
                result = 0;
                return true;
            }
            if (wp == VK_DOWN || wp == VK_RETURN || wp == VK_UP) {
                PostMessage(WM_MENUBAR_OPENPOPUP, static_cast<WPARAM>(m_nHotIndex), 1);
                result = 0;
                return true;
            }
        }
        break;
    case WM_SYSKEYDOWN:
    case WM_KILLFOCUS:
        if (m_bMenuMode && !m_bPopupOpen) LeaveMenuMode();
        break;
    case WM_GETDLGCODE:
        result = Default() | (m_bMenuMode ? DLGC_WANTALLKEYS : 0);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (m_bMenuMode && !m_bPopupOpen) {
            POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (!GetClientRect().PtInRect(pt)) {
                LeaveMenuMode();
                result = 0;
                return true;
            }
        }
        break;
    case WM_MOUSEMOVE: {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (m_bMenuMode) {
            if (m_bPopupOpen && pt.x == m_ptLast.x && pt.y == m_ptLast.y) {
                result = 0;
                return true;
            }
            if (IsOverOwnChevron(pt)) {
                PushChevron(-1);
                result = 0;
                return true;
            }
            POINT screen = pt;
            ::ClientToScreen(m_hWnd, &screen);
            if (::WindowFromPoint(screen) != m_hWnd) {
                result = 0;
                return true;
            }
        }
        m_ptLast = pt;
        break;
    }
    case WM_SETTINGCHANGE:
        Default();
        UpdateFont();
        result = 0;
        return true;
    }
    return CToolBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
