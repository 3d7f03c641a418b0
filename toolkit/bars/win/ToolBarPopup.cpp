#include "toolkit/bars/win/ToolBarPopup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/MsgArgs.h"
#include "toolkit/bars/win/ToolBarEx.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx {

namespace {

CToolBarPopup* g_popup = nullptr; // the open popup, for the keyboard hook
HHOOK g_keyboardHook = nullptr;

constexpr DWORD kToolBarStyle = 0x56001B4C; // child, visible, clip, list, flat, wrapable, tooltips, no divider
constexpr DWORD kFlatStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_BORDER;
constexpr DWORD kRaisedStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_DLGFRAME;

bool IsButtonDown(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_NCLBUTTONDOWN ||
           msg == WM_NCRBUTTONDOWN || msg == WM_NCMBUTTONDOWN;
}

PopupAlign HorizontalAlign(UINT flags) {
    if (flags & TPM_CENTERALIGN) return PopupAlign::Centre;
    if (flags & TPM_RIGHTALIGN) return PopupAlign::End;
    return PopupAlign::Start;
}

PopupAlign VerticalAlign(UINT flags) {
    if (flags & TPM_VCENTERALIGN) return PopupAlign::Centre;
    if (flags & TPM_BOTTOMALIGN) return PopupAlign::End;
    return PopupAlign::Start;
}

// The slide direction the menu animation bits ask for.
DWORD SlideDirection(UINT flags) {
    DWORD direction = 0;
    if (flags & TPM_HORPOSANIMATION) direction |= AW_HOR_POSITIVE;
    if (flags & TPM_HORNEGANIMATION) direction |= AW_HOR_NEGATIVE;
    if (flags & TPM_VERPOSANIMATION) direction |= AW_VER_POSITIVE;
    if (flags & TPM_VERNEGANIMATION) direction |= AW_VER_NEGATIVE;
    return direction ? direction : AW_HOR_POSITIVE | AW_VER_POSITIVE;
}

DWORD SideDirection(PopupSide side, DWORD current) {
    switch (side) {
    case PopupSide::Below: return AW_VER_POSITIVE;
    case PopupSide::Above: return AW_VER_NEGATIVE;
    case PopupSide::Right: return AW_HOR_POSITIVE;
    case PopupSide::Left: return AW_HOR_NEGATIVE;
    default: return current;
    }
}

} // namespace

CToolBarPopup::CToolBarPopup(CToolBarEx* owner) : m_pOwner(owner), m_nVersionClass(owner->GetVersionClass()) {
    int text = owner->GetTextOption();
    m_bTextShown = text == 0 || text == 1;
    CWinAppEx* app = AfxGetAppEx();
    m_bFlat = m_nVersionClass == 6 && app && app->IsFlatMenu();
}

CToolBarPopup::~CToolBarPopup() {
    if (g_popup == this) g_popup = nullptr;
    DestroyWindow();
}

CToolBarPopup* CToolBarPopup::Current() { return g_popup; }

BOOL CToolBarPopup::Show(UINT flags, int x, int y, const RECT* excluded) {
    UINT classStyle = CS_SAVEBITS | (m_nVersionClass >= 6 ? CS_DROPSHADOW : 0u);
    LPCWSTR cls = RegisterWndClass(classStyle, ::LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1)));
    DWORD style = m_bFlat ? kFlatStyle : kRaisedStyle;
    DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | (m_bFlat ? 0u : static_cast<DWORD>(WS_EX_WINDOWEDGE));
    if (!CreateEx(exStyle, cls, nullptr, style, CRect(0, 0, 0, 0), m_pOwner->m_hWnd, 0)) return FALSE;
    Place(flags, x, y, excluded);

    CWinAppEx* app = AfxGetAppEx();
    bool animate = m_nVersionClass == 5 && !(flags & TPM_NOANIMATION) && app && app->IsMenuAnimation();
    if (animate) {
        DWORD how = app->IsMenuFade() ? AW_BLEND : AW_SLIDE | m_animation;
        ::AnimateWindow(m_hWnd, 200, how);
    }
    if (!IsWindowVisible()) ShowWindow(SW_SHOWNOACTIVATE);

    ::SetCapture(m_hWnd);
    SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hWnd), HTCLIENT);
    g_popup = this;
    g_keyboardHook = ::SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, nullptr, ::GetCurrentThreadId());
    RunModalLoop();
    if (g_keyboardHook) ::UnhookWindowsHookEx(g_keyboardHook);
    g_keyboardHook = nullptr;
    g_popup = nullptr;
    if (HoldsCapture()) ::ReleaseCapture();
    DestroyWindow();
    return TRUE;
}

bool CToolBarPopup::FillToolBar() {
    HWND owner = m_pOwner->m_hWnd;
    if (!m_toolBar.CreateEx(0, TOOLBARCLASSNAMEW, nullptr, kToolBarStyle, CRect(0, 0, 0, 0), m_hWnd,
                            static_cast<UINT_PTR>(::GetDlgCtrlID(owner))))
        return false;
    m_toolBar.SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    m_toolBar.SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    if (HWND tips = reinterpret_cast<HWND>(m_toolBar.SendMessage(TB_GETTOOLTIPS)))
        CWnd::ModifyStyle(tips, 0, TTS_ALWAYSTIP, 0);
    if (m_nVersionClass == 6) CWinAppEx::SetWindowTheme(m_toolBar.m_hWnd, L" ", L" ");
    for (UINT msg : {TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETDISABLEDIMAGELIST}) {
        UINT get = msg == TB_SETIMAGELIST      ? TB_GETIMAGELIST
                   : msg == TB_SETHOTIMAGELIST ? TB_GETHOTIMAGELIST
                                               : TB_GETDISABLEDIMAGELIST;
        m_toolBar.SendMessage(msg, 0, ::SendMessageW(owner, get, 0, 0));
    }

    // The owner's buttons that lie beyond its client area.
    CRect client = m_pOwner->GetClientRect();
    int count = m_pOwner->GetCount();
    int added = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        if (!::SendMessageW(owner, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b))) continue;
        if ((b.fsStyle & BTNS_SEP) || (b.fsState & TBSTATE_HIDDEN)) continue;
        if (m_pOwner->GetItemRect(i).right <= client.right) continue;
        std::wstring text;
        m_pOwner->GetButtonText(static_cast<UINT>(b.idCommand), text);
        b.fsState &= static_cast<BYTE>(~TBSTATE_WRAP);
        b.fsStyle |= BTNS_AUTOSIZE;
        if (m_bTextShown) b.fsStyle |= BTNS_SHOWTEXT;
        else b.fsStyle &= static_cast<BYTE>(~BTNS_SHOWTEXT);
        b.iString = reinterpret_cast<INT_PTR>(text.c_str());
        m_toolBar.SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
        ++added;
    }
    if (added == 0) return false;
    m_toolBar.SendMessage(TB_AUTOSIZE);
    if (m_bTextShown) {
        // One width for all: the widest button's.
        int widest = 0;
        for (int i = 0; i < added; ++i) {
            RECT rc{};
            m_toolBar.SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc));
            widest = std::max(widest, static_cast<int>(rc.right - rc.left));
        }
        for (int i = 0; i < added; ++i) {
            TBBUTTONINFOW info{};
            info.cbSize = sizeof(info);
            info.dwMask = TBIF_BYINDEX | TBIF_STYLE;
            m_toolBar.SendMessage(TB_GETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
            info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_SIZE;
            info.fsStyle = static_cast<BYTE>(info.fsStyle & ~BTNS_AUTOSIZE);
            info.cx = static_cast<WORD>(widest);
            m_toolBar.SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        }
        m_toolBar.SendMessage(TB_AUTOSIZE);
    }
    RECT rc{};
    if (added == 1) {
        m_toolBar.SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
    } else {
        m_toolBar.SendMessage(TB_SETROWS, MAKEWPARAM(added, TRUE), reinterpret_cast<LPARAM>(&rc));
    }
    m_toolBar.MoveWindow(rc);
    return true;
}

void CToolBarPopup::Place(UINT flags, int x, int y, const RECT* excluded) {
    CRect rc = m_toolBar.GetWindowRect();
    RECT frame{0, 0, rc.Width(), rc.Height()};
    ::AdjustWindowRectEx(&frame, GetStyle(), FALSE, GetExStyle());
    // The toolbar sits at the client's origin.
    m_toolBar.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT desk{};
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    PopupRequest request;
    request.x = x;
    request.y = y;
    request.width = frame.right - frame.left;
    request.height = frame.bottom - frame.top;
    request.horizontal = HorizontalAlign(flags);
    request.vertical = VerticalAlign(flags);
    request.besideVertically = (flags & TPM_VERTICAL) != 0;
    request.desktop = LayoutRect{desk.left, desk.top, desk.right, desk.bottom};
    if (excluded) request.excluded = LayoutRect{excluded->left, excluded->top, excluded->right, excluded->bottom};
    PopupPlacement placement = PlacePopup(request);
    m_side = placement.side;
    m_animation = SideDirection(m_side, SlideDirection(flags));
    const LayoutRect& at = placement.rect;
    SetWindowPos(HWND_TOPMOST, at.left, at.top, at.Width(), at.Height(), SWP_NOACTIVATE);
}

bool CToolBarPopup::HoldsCapture() const {
    HWND capture = ::GetCapture();
    return capture && (capture == m_hWnd || capture == m_toolBar.m_hWnd);
}

void CToolBarPopup::RunModalLoop() {
    m_bDone = false;
    while (!m_bDone && ::IsWindow(m_hWnd)) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // The program is closing: end here and let the caller's loop see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (FilterMouse(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool CToolBarPopup::FilterMouse(const MSG& msg) {
    bool mouse = (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                 (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
    if (!mouse || !HoldsCapture()) return false;
    POINT pt = msg.pt;
    CRect toolRect = m_toolBar.GetWindowRect();
    CRect popupRect = GetWindowRect();
    bool overToolBar = toolRect.PtInRect(pt) != FALSE;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (overToolBar) {
            POINT client = pt;
            ::ScreenToClient(m_toolBar.m_hWnd, &client);
            LRESULT hit = m_toolBar.SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&client));
            m_toolBar.SendMessage(TB_SETHOTITEM, hit >= 0 ? static_cast<WPARAM>(hit) : static_cast<WPARAM>(-1));
            if (HWND tips = reinterpret_cast<HWND>(m_toolBar.SendMessage(TB_GETTOOLTIPS))) {
                MSG relay = msg;
                relay.hwnd = m_toolBar.m_hWnd;
                relay.message = WM_MOUSEMOVE;
                relay.lParam = MAKELPARAM(client.x, client.y);
                ::SendMessageW(tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
            }
            m_bOverToolBar = true;
        } else if (m_bOverToolBar) {
            m_toolBar.SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
            m_bOverToolBar = false;
        }
        return true;
    }
    if (!IsButtonDown(msg.message)) {
        if (!overToolBar) return true;
        POINT client = pt;
        ::ScreenToClient(m_toolBar.m_hWnd, &client);
        m_toolBar.SendMessage(msg.message, msg.wParam, MAKELPARAM(client.x, client.y));
        return true;
    }
    if (overToolBar) {
        // A click on a button works as usual; the toolbar takes the capture.
        POINT client = pt;
        ::ScreenToClient(m_toolBar.m_hWnd, &client);
        UINT down = msg.message == WM_NCLBUTTONDOWN ? WM_LBUTTONDOWN : msg.message;
        m_toolBar.SendMessage(down, msg.wParam, MAKELPARAM(client.x, client.y));
        return true;
    }
    if (popupRect.PtInRect(pt)) return true; // the popup's frame
    Close();
    if (msg.message != WM_LBUTTONDOWN && msg.message != WM_NCLBUTTONDOWN) return true;
    // The click belongs to the window under the mouse.
    HWND target = ::WindowFromPoint(pt);
    if (target && target != m_hWnd) {
        LRESULT hit = ::SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        if (hit == HTCLIENT) {
            POINT client = pt;
            ::ScreenToClient(target, &client);
            ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
        } else {
            ::PostMessageW(target, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(pt.x, pt.y));
        }
    }
    return true;
}

LRESULT CALLBACK CToolBarPopup::KeyboardHook(int code, WPARAM wp, LPARAM lp) {
    CToolBarPopup* popup = g_popup;
    bool keyDown = (lp & 0x80000000) == 0;
    if (code == HC_ACTION && popup && keyDown && popup->HoldsCapture() && popup->OnKey(wp)) return 1;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool CToolBarPopup::OnKey(WPARAM vk) {
    switch (vk) {
    case VK_RETURN: {
        int hot = static_cast<int>(m_toolBar.SendMessage(TB_GETHOTITEM));
        TBBUTTON b{};
        if (hot >= 0 && m_toolBar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(hot), reinterpret_cast<LPARAM>(&b)) &&
            b.idCommand)
            SendMessage(WM_COMMAND, static_cast<WPARAM>(b.idCommand), 0);
        else
            Close();
        return true;
    }
    case VK_MENU:
    case VK_ESCAPE: Close(); return true;
    case VK_UP: MoveHot(-1); return true;
    case VK_DOWN: MoveHot(1); return true;
    default: return true; // the popup has the keyboard: other keys do nothing
    }
}

void CToolBarPopup::MoveHot(int step) {
    int count = static_cast<int>(m_toolBar.SendMessage(TB_BUTTONCOUNT));
    if (count <= 0) return;
    int hot = static_cast<int>(m_toolBar.SendMessage(TB_GETHOTITEM));
    int index = hot < 0 ? (step > 0 ? -1 : count) : hot;
    for (int n = 0; n < count; ++n) {
        index = (index + step + count) % count;
        TBBUTTON b{};
        m_toolBar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b));
        bool canBeHot = !(b.fsStyle & BTNS_SEP) && (b.fsState & TBSTATE_ENABLED) && !(b.fsState & TBSTATE_HIDDEN);
        if (canBeHot) {
            m_toolBar.SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(index));
            return;
        }
    }
}

LRESULT CToolBarPopup::OnCustomDraw(NMTBCUSTOMDRAW& draw) {
    if (m_nVersionClass < 6) return m_pOwner->OnCustomDraw(draw);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        UINT state = draw.nmcd.uItemState;
        COLORREF hot = ::GetSysColor(m_bFlat ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
        LRESULT result = TBCDRF_NOEDGES | TBCDRF_NOOFFSET;
        bool disabled = (state & (CDIS_DISABLED | CDIS_GRAYED)) != 0;
        if ((state & (CDIS_HOT | CDIS_SELECTED)) && !disabled) {
            draw.clrHighlightHotTrack = hot;
            // The hot text colour of the control is clrTextHighlight.
            draw.clrText = draw.clrTextHighlight = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            result |= TBCDRF_HILITEHOTTRACK;
        } else if (disabled) {
            draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
        } else if (state & CDIS_CHECKED) {
            draw.clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw.clrBtnFace = hot;
        } else {
            draw.clrText = ::GetSysColor(COLOR_MENUTEXT);
        }
        return result;
    }
    }
    return CDRF_DODEFAULT;
}

LRESULT CToolBarPopup::OnToolBarNotify(NMHDR& nm) {
    switch (nm.code) {
    case NM_RELEASEDCAPTURE:
        if (!m_bDone) ::SetCapture(m_hWnd);
        return 0;
    case NM_CUSTOMDRAW: return OnCustomDraw(reinterpret_cast<NMTBCUSTOMDRAW&>(nm));
    case TBN_GETINFOTIPW:
        if (!m_bTextShown) {
            auto& tip = reinterpret_cast<NMTBGETINFOTIPW&>(nm);
            std::wstring text;
            m_pOwner->GetButtonTip(static_cast<UINT>(tip.iItem), text);
            if (tip.pszText && tip.cchTextMax > 0) lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
            return 0;
        }
        break;
    }
    HWND owner = m_pOwner->GetOwner();
    return owner ? ::SendMessageW(owner, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm)) : 0;
}

void CToolBarPopup::PaintFlatFrame(HDC dc) {
    CRect window = GetWindowRect();
    CRect client = GetClientRect();
    ClientToScreen(client);
    client.OffsetRect(-window.left, -window.top);
    window.OffsetRect(-window.left, -window.top);
    ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    ::FillRect(dc, &window, ::GetSysColorBrush(COLOR_BTNSHADOW));
}

bool CToolBarPopup::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        result = FillToolBar() ? 0 : -1;
        return true;
    case WM_MOUSEACTIVATE: result = MA_NOACTIVATEANDEAT; return true;
    case WM_CAPTURECHANGED: {
        HWND to = reinterpret_cast<HWND>(lp);
        if (to != m_hWnd && to != m_toolBar.m_hWnd) Close();
        result = 0;
        return true;
    }
    case WM_TBPOPUP_CLOSE:
        Close();
        result = 0;
        return true;
    case WM_COMMAND:
        if (lp == 0 || reinterpret_cast<HWND>(lp) == m_toolBar.m_hWnd) {
            Close();
            m_pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(LOWORD(wp), 0), 0);
            result = 0;
            return true;
        }
        break;
    case WM_NOTIFY: {
        NMHDR& nm = *StructArg<NMHDR>(lp);
        if (nm.hwndFrom == m_toolBar.m_hWnd) {
            result = OnToolBarNotify(nm);
            return true;
        }
        break;
    }
    case WM_NCPAINT:
        if (m_bFlat) {
            HDC dc = ::GetWindowDC(m_hWnd);
            PaintFlatFrame(dc);
            ::ReleaseDC(m_hWnd, dc);
            result = 0;
            return true;
        }
        break;
    case WM_PRINT:
        if (m_bFlat && (lp & PRF_NONCLIENT)) {
            int saved = ::SaveDC(reinterpret_cast<HDC>(wp));
            PaintFlatFrame(reinterpret_cast<HDC>(wp));
            ::RestoreDC(reinterpret_cast<HDC>(wp), saved);
            result = DefWindowProc(msg, wp, lp & ~static_cast<LPARAM>(PRF_NONCLIENT));
            return true;
        }
        break;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
