#include "framework/Wnd.h"

#include <commctrl.h>

#include <cwchar>
#include <mutex>
#include <set>
#include <unordered_map>

#include "framework/FrameWnd.h"
#include "framework/MsgArgs.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"

namespace brx {

namespace {

// Everything below belongs to the user-interface thread that made the windows.
thread_local std::unordered_map<HWND, CWnd*> t_handleMap;
thread_local CWnd* t_creating = nullptr; // object waiting for its window
thread_local HHOOK t_cbtHook = nullptr;
thread_local int t_cbtUsers = 0;
thread_local MSG t_current{};                     // message being handled (Default)
thread_local CCmdTarget* t_popupTarget = nullptr; // fills a tracked popup menu

HWND ParentOrOwner(HWND hwnd) {
    if (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) return ::GetParent(hwnd);
    return ::GetWindow(hwnd, GW_OWNER);
}

bool ReflectToControl(HWND control, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    CWnd* child = CWnd::FromHandle(control);
    return child && child->OnChildNotify(msg, wp, lp, result);
}

} // namespace

// The subclass id of our procedure in a window's subclass chain.
constexpr UINT_PTR kSubclassId = 0x42525831; // "BRX1"

static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

struct WndThunk {
    static void Map(CWnd* wnd, HWND hwnd) {
        t_handleMap[hwnd] = wnd;
        wnd->m_hWnd = hwnd;
        // Every frame takes part in the idle pass from its first message on.
        if (wnd->IsFrameWnd()) CWinApp::AddFrame(static_cast<CFrameWnd*>(wnd));
    }
    // Routes the window's messages to wnd: windows of our own classes already
    // come to StdWndProc; any other window (a system control, a dialog) gets our
    // procedure in its subclass chain, which other subclasses may share.
    static bool Subclass(CWnd* wnd, HWND hwnd, bool created) {
        bool ours = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(hwnd, GCLP_WNDPROC)) == &StdWndProc;
        if (!ours && !::SetWindowSubclass(hwnd, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(wnd)))
            return false;
        wnd->m_bSubclassed = !ours;
        Map(wnd, hwnd);
        wnd->m_bOwnsWindow = created;
        return true;
    }
    // The window is gone or let go: forget the handle and leave the chain.
    static void Unhook(CWnd* wnd) {
        HWND hwnd = wnd->m_hWnd;
        if (!hwnd) return;
        if (wnd->m_bSubclassed) ::RemoveWindowSubclass(hwnd, &SubclassProc, kSubclassId);
        auto it = t_handleMap.find(hwnd);
        if (it != t_handleMap.end() && it->second == wnd) t_handleMap.erase(it);
        if (wnd->IsFrameWnd()) CWinApp::RemoveFrame(static_cast<CFrameWnd*>(wnd));
        wnd->m_hWnd = nullptr;
        wnd->m_bOwnsWindow = false;
        wnd->m_bSubclassed = false;
    }

    static LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND && t_creating) {
            auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lp);
            LPCWSTR cls = cbt->lpcs->lpszClass;
            // Input-method windows can be made on the way; they are not ours.
            bool ime = cls && !IS_INTRESOURCE(cls) && ::lstrcmpiW(cls, L"IME") == 0;
            if (!ime) {
                CWnd* wnd = t_creating;
                t_creating = nullptr;
                try {
                    if (!Subclass(wnd, reinterpret_cast<HWND>(wp), true)) return 1;
                } catch (...) {
                    return 1; // no memory for the map: refuse the window
                }
            }
        }
        return ::CallNextHookEx(t_cbtHook, code, wp, lp);
    }

    static CWnd* BeginCreate(CWnd* wnd) {
        if (t_cbtUsers++ == 0) t_cbtHook = ::SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
        CWnd* previous = t_creating;
        t_creating = wnd;
        return previous;
    }
    static void EndCreate(CWnd* previous) {
        t_creating = previous;
        if (--t_cbtUsers == 0 && t_cbtHook) {
            ::UnhookWindowsHookEx(t_cbtHook);
            t_cbtHook = nullptr;
        }
    }

    static LRESULT Dispatch(CWnd* wnd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        MSG saved = t_current;
        t_current = MSG{hwnd, msg, wp, lp, 0, {0, 0}};
        ++wnd->m_nMsgDepth;
        LRESULT result = 0;
        try {
            result = wnd->WindowProc(msg, wp, lp);
        } catch (...) {
            // Nothing may leave a window procedure; the message counts as handled.
            ::OutputDebugStringW(L"brx: exception in a window procedure\n");
            result = 0;
        }
        if (msg == WM_NCDESTROY) {
            Unhook(wnd);
            wnd->m_bNcDestroyed = true;
            CWinApp* app = AfxGetApp();
            if (app && app->m_pMainWnd == wnd) {
                app->m_pMainWnd = nullptr;
                ::PostQuitMessage(0);
            }
        }
        --wnd->m_nMsgDepth;
        t_current = saved;
        // Only after the last handler of this window returned may it delete itself.
        if (wnd->m_bNcDestroyed && wnd->m_nMsgDepth == 0) {
            wnd->m_bNcDestroyed = false;
            try {
                wnd->PostNcDestroy();
            } catch (...) {
                ::OutputDebugStringW(L"brx: exception in PostNcDestroy\n");
            }
        }
        return result;
    }
};

LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = CWnd::FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wp, lp);
    return WndThunk::Dispatch(wnd, hwnd, msg, wp, lp);
}

static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* wnd = reinterpret_cast<CWnd*>(data);
    if (!wnd || CWnd::FromHandle(hwnd) != wnd) return ::DefSubclassProc(hwnd, msg, wp, lp);
    return WndThunk::Dispatch(wnd, hwnd, msg, wp, lp);
}

CWnd::CreationHook::CreationHook(CWnd* wnd) : m_previous(WndThunk::BeginCreate(wnd)) {}

CWnd::CreationHook::~CreationHook() { WndThunk::EndCreate(m_previous); }

CWnd::~CWnd() {
    if (!m_hWnd) return;
    // The object goes first: the window's last messages see no object. A window
    // this object created goes with it; a subclassed or attached one stays, with
    // its own procedure back.
    HWND hwnd = m_hWnd;
    bool owned = m_bOwnsWindow;
    WndThunk::Unhook(this);
    if (owned) ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = t_handleMap.find(hwnd);
    return it == t_handleMap.end() ? nullptr : it->second;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, HWND parent,
                    UINT_PTR idOrMenu, LPVOID param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = ::GetModuleHandleW(nullptr);
    cs.hMenu = reinterpret_cast<HMENU>(idOrMenu);
    cs.hwndParent = parent;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    if (rect.left == CW_USEDEFAULT) cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!PreCreateWindow(cs)) return FALSE;
    if (!cs.lpszClass) cs.lpszClass = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    CreationHook hook(this);
    HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    return hwnd != nullptr;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

bool CWnd::RegisterClass(LPCWSTR name, UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (::GetClassInfoW(inst, name, &wc)) return wc.lpfnWndProc == &StdWndProc;
    wc.style = classStyle;
    wc.lpfnWndProc = &StdWndProc;
    wc.hInstance = inst;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return ::RegisterClassW(&wc) != 0;
}

LPCWSTR CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::mutex lock;
    static std::set<std::wstring> names;
    wchar_t name[96];
    std::swprintf(name, 96, L"Brx:%x:%llx:%llx:%llx", classStyle,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(cursor)),
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(background)),
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(icon)));
    std::lock_guard<std::mutex> guard(lock);
    auto it = names.find(name);
    if (it != names.end()) return it->c_str();
    if (!RegisterClass(name, classStyle, cursor, background, icon)) return nullptr;
    return names.insert(name).first->c_str();
}

BOOL CWnd::Attach(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandle(hwnd)) return FALSE;
    WndThunk::Map(this, hwnd);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    WndThunk::Unhook(this);
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !::IsWindow(hwnd) || FromHandle(hwnd)) return FALSE;
    return WndThunk::Subclass(this, hwnd, false) ? TRUE : FALSE;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id))); }

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    WndThunk::Unhook(this);
    return hwnd;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (!OnWndMsg(msg, wp, lp, result)) result = DefWindowProc(msg, wp, lp);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A subclassed window's messages go on down its chain to its own procedure.
    if (m_bSubclassed) return ::DefSubclassProc(m_hWnd, msg, wp, lp);
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

bool CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SETCURSOR:
        if (!CWaitCursor::IsWaiting()) return false;
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (!OnCommandMessage(wp, lp)) return false;
        result = 0;
        return true;
    case WM_INITMENUPOPUP: {
        // A popup tracked for this window on behalf of a frame.
        InitMenuPopupArgs args = InitMenuPopupArg(wp, lp);
        if (!t_popupTarget || args.systemMenu) return false;
        UpdateMenuItems(args.popup, t_popupTarget, true);
        return true;
    }
    case WM_NOTIFY: {
        auto* nm = StructArg<NMHDR>(lp);
        if (!nm) return false;
        // The control that sent it first, even when a rebar or another common
        // control forwarded the notification of its own child.
        if (nm->hwndFrom != m_hWnd && ReflectToControl(nm->hwndFrom, msg, wp, lp, &result)) return true;
        return OnNotify(*nm, result);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: {
        HWND control = HwndArg(lp);
        return control && control != m_hWnd && ReflectToControl(control, msg, wp, lp, &result);
    }
    case WM_DRAWITEM: {
        auto* dis = StructArg<DRAWITEMSTRUCT>(lp);
        return dis && dis->CtlType != ODT_MENU && ReflectToControl(dis->hwndItem, msg, wp, lp, &result);
    }
    case WM_MEASUREITEM: {
        auto* mis = StructArg<MEASUREITEMSTRUCT>(lp);
        return mis && mis->CtlType != ODT_MENU &&
               ReflectToControl(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID)), msg, wp, lp, &result);
    }
    case WM_COMPAREITEM: {
        auto* cis = StructArg<COMPAREITEMSTRUCT>(lp);
        return cis && ReflectToControl(cis->hwndItem, msg, wp, lp, &result);
    }
    case WM_DELETEITEM: {
        auto* dis = StructArg<DELETEITEMSTRUCT>(lp);
        return dis && ReflectToControl(dis->hwndItem, msg, wp, lp, &result);
    }
    }
    return false;
}

bool CWnd::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    LRESULT r = 0;
    if (!OnWndMsg(WM_REFLECT_BASE + msg, wp, lp, r)) return false;
    if (result) *result = r;
    return true;
}

bool CWnd::OnCommandMessage(WPARAM wp, LPARAM lp) {
    CommandArgs args = CommandArg(wp, lp);
    if (args.control) {
        LRESULT ignored = 0;
        if (args.control != m_hWnd && ReflectToControl(args.control, WM_COMMAND, wp, lp, &ignored)) return true;
        CCommand cmd(args.id, args.code, args.control);
        return RouteCommand(cmd);
    }
    // A menu item or an accelerator (codes 0 and 1): refused while disabled.
    return ExecuteCommand(args.id);
}

CCmdTarget* CWnd::SetPopupUpdateTarget(CCmdTarget* target) {
    CCmdTarget* previous = t_popupTarget;
    t_popupTarget = target;
    return previous;
}

BOOL CWnd::PreTranslateMessage(MSG* msg) {
    if (m_hWndToolTip && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        ::SendMessageW(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return FALSE;
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wp, LPARAM lp, bool deep, bool onlyOurs) const {
    SendMessageToDescendants(m_hWnd, msg, wp, lp, deep, onlyOurs);
}

void CWnd::SendMessageToDescendants(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool deep, bool onlyOurs) {
    for (HWND child = ::GetTopWindow(hwnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!onlyOurs || FromHandle(child)) ::SendMessageW(child, msg, wp, lp);
        if (!::IsWindow(child)) break; // destroyed by the message: the chain is gone
        if (deep && ::GetTopWindow(child)) SendMessageToDescendants(child, msg, wp, lp, deep, onlyOurs);
    }
}

HWND CWnd::GetOwner() const { return m_hWndOwner ? m_hWndOwner : ::GetParent(m_hWnd); }

CFrameWnd* CWnd::GetParentFrame() const {
    for (HWND hwnd = ParentOrOwner(m_hWnd); hwnd; hwnd = ParentOrOwner(hwnd)) {
        CWnd* wnd = FromHandle(hwnd);
        if (wnd && wnd->IsFrameWnd()) return static_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
    CFrameWnd* frame = IsFrameWnd() ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this)) : GetParentFrame();
    while (frame) {
        CFrameWnd* next = frame->GetParentFrame();
        if (!next) break;
        frame = next;
    }
    return frame;
}

HWND CWnd::GetTopLevelParent() const {
    HWND top = m_hWnd;
    for (HWND next = ParentOrOwner(top); next; next = ParentOrOwner(next)) top = next;
    return top;
}

namespace {

BOOL ModifyWindowLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

} // namespace

BOOL CWnd::ModifyStyle(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyWindowLong(hwnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyWindowLong(hwnd, GWL_EXSTYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) { return ModifyStyle(m_hWnd, remove, add, swpFlags); }

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyStyleEx(m_hWnd, remove, add, swpFlags);
}

std::wstring CWnd::GetWindowText(HWND hwnd) {
    int len = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    int got = ::GetWindowTextW(hwnd, text.data(), len + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void CWnd::CenterWindow(HWND alternate) {
    CRect window = GetWindowRect();
    CRect bounds, over;
    if (GetStyle() & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &bounds);
        over = bounds;
        if (alternate) {
            ::GetWindowRect(alternate, &over);
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&over), 2);
        }
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    } else {
        HWND center = alternate ? alternate : ::GetWindow(m_hWnd, GW_OWNER);
        if (center && (!::IsWindowVisible(center) || ::IsIconic(center))) center = nullptr;
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoW(::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        bounds = mi.rcWork;
        over = bounds;
        if (center) ::GetWindowRect(center, &over);
    }
    int x = (over.left + over.right) / 2 - window.Width() / 2;
    int y = (over.top + over.bottom) / 2 - window.Height() / 2;
    if (x + window.Width() > bounds.right) x = bounds.right - window.Width();
    if (x < bounds.left) x = bounds.left;
    if (y + window.Height() > bounds.bottom) y = bounds.bottom - window.Height();
    if (y < bounds.top) y = bounds.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::RepositionBars(UINT first, UINT last, UINT leftOver, UINT flags, RECT* rectParam, const RECT* clientRect,
                          bool stretch) {
    AFX_SIZEPARENTPARAMS layout{};
    layout.bStretch = stretch;
    if (clientRect) layout.rect = *clientRect;
    else ::GetClientRect(m_hWnd, &layout.rect);
    layout.hDWP = flags == reposQuery ? nullptr : ::BeginDeferWindowPos(8);
    HWND leftOverWnd = nullptr;
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        auto id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (leftOver != 0 && id == leftOver) leftOverWnd = child;
        else if (id >= first && id <= last) ::SendMessageW(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }
    if (flags == reposQuery) {
        if (rectParam) {
            if (stretch) *rectParam = layout.rect;
            else *rectParam = RECT{0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy};
        }
        return;
    }
    if (flags == reposExtra && rectParam) {
        layout.rect.left += rectParam->left;
        layout.rect.top += rectParam->top;
        layout.rect.right -= rectParam->right;
        layout.rect.bottom -= rectParam->bottom;
    }
    if (leftOverWnd) RepositionWindow(&layout, leftOverWnd, layout.rect);
    if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}

void CWnd::RepositionWindow(AFX_SIZEPARENTPARAMS* layout, HWND hwnd, const RECT& rect) {
    if (!layout->hDWP) return;
    CRect current;
    ::GetWindowRect(hwnd, &current);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&current), 2);
    if (current == rect) return;
    layout->hDWP = ::DeferWindowPos(layout->hDWP, hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, SWP_NOACTIVATE | SWP_NOZORDER);
}

} // namespace brx
