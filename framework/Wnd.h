// The window wrapper. A CWnd is attached to its window from the window's first
// message on (a creation hook catches it before WM_NCCREATE) until
// WM_NCDESTROY; the handle map finds the object of a handle in constant time.
//
// Messages arrive in WindowProc, which asks OnWndMsg and lets unhandled ones go
// to the default procedure. A class handles its messages in one switch in its
// OnWndMsg override and passes everything else to its base class:
//
//   bool CMyView::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
//     switch (msg) {
//     case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return true;
//     case WM_REFLECT_BASE + WM_NOTIFY: return OnReflectedNotify(*(NMHDR*)lp, result);
//     }
//     return CWnd::OnWndMsg(msg, wp, lp, result);
//   }
//
// Notifications (WM_NOTIFY, control WM_COMMAND, WM_CTLCOLOR*, WM_DRAWITEM,
// scroll-bar messages) first reach the control that sent them, as
// WM_REFLECT_BASE + msg in its OnWndMsg; only when it does not handle them does
// the parent see them (OnNotify, OnCommand).
#pragma once
#include <windows.h>
#include <string>

#include "framework/CmdTarget.h"
#include "framework/FrameworkDefs.h"
#include "framework/Geometry.h"

namespace brx {

class CFrameWnd;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to a window, or null for windows that are not ours.
    static CWnd* FromHandle(HWND hwnd);

    // --- creation and destruction
    // parent is the parent of a child window and the owner of a popup.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, HWND parent,
                  UINT_PTR idOrMenu, LPVOID param = nullptr);
    // A rectangle with left == CW_USEDEFAULT lets the system place and size the
    // window. idOrMenu is a child's id or a top-level window's HMENU.
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, HWND parent, UINT id);
    // Last chance to change the class, styles or position before creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs) { return TRUE; }
    BOOL DestroyWindow();
    // Called after the window's last message (after WM_NCDESTROY, once every
    // handler of the window on the stack has returned). Classes whose objects
    // live on the heap and belong to their window override it with `delete this`.
    virtual void PostNcDestroy() {}

    // A window class of our own with the given attributes (registered once per
    // combination); the name stays valid for the life of the process.
    static LPCWSTR RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                    HICON icon = nullptr);
    // Registers a named class whose procedure is the framework's.
    static bool RegisterClass(LPCWSTR name, UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

    // --- attaching existing windows
    // Attach only maps the handle; SubclassWindow also routes its messages here.
    // Neither takes the window over: deleting the object leaves such a window
    // alive (with its own procedure back), while a window the object created
    // is destroyed with it.
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, HWND parent);
    HWND UnsubclassWindow();

    // --- messages
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The window's own handling: the rest of its subclass chain down to its
    // class procedure (or DefWindowProc for windows of our own classes).
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The message being handled, passed on to DefWindowProc unchanged.
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // A control's turn at a notification it sent (reflection); true when handled.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // WM_NOTIFY from a child that did not handle it itself.
    virtual bool OnNotify(NMHDR& nm, LRESULT& result) { return false; }
    // WM_COMMAND: a control's own handling first, then the command route.
    virtual bool OnCommandMessage(WPARAM wp, LPARAM lp);

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    // Sends to every child (deep: and their children); onlyOurs: only windows
    // with an object attached.
    void SendMessageToDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0, bool deep = true,
                                  bool onlyOurs = false) const;
    static void SendMessageToDescendants(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool deep, bool onlyOurs);

    // --- relatives
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    // The owner set with SetOwner, else the parent (owner of a popup).
    HWND GetOwner() const;
    void SetOwner(HWND owner) { m_hWndOwner = owner; }
    virtual bool IsFrameWnd() const { return false; }
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    HWND GetTopLevelParent() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, id)); }

    // --- state and placement (one-line calls)
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Changes styles; with swpFlags, also SetWindowPos(... swpFlags | no move,
    // size, z-order, activation) so that a frame change takes effect.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    static BOOL ModifyStyle(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags);
    static BOOL ModifyStyleEx(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags);
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL MoveWindow(const RECT& rc, BOOL repaint = TRUE) {
        return ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    CRect GetClientRect() const {
        CRect rc;
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }
    CRect GetWindowRect() const {
        CRect rc;
        ::GetWindowRect(m_hWnd, &rc);
        return rc;
    }
    void ScreenToClient(RECT& rc) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2); }
    void ClientToScreen(RECT& rc) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2); }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    std::wstring GetWindowText() const { return GetWindowText(m_hWnd); }
    static std::wstring GetWindowText(HWND hwnd);
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // Centres the window over `alternate`, else over its owner (or parent), else
    // over the work area; the result stays inside the work area.
    void CenterWindow(HWND alternate = nullptr);

    // The layout pass over the children with ids first..last: each is sent
    // WM_SIZEPARENT in z-order and takes its part of the client rectangle (or
    // of *clientRect); the child with id leftOver gets what remains. With
    // reposQuery nothing moves and *rectParam receives what would remain; with
    // reposExtra *rectParam is a border taken off the remainder first.
    void RepositionBars(UINT first, UINT last, UINT leftOver, UINT flags = reposDefault, RECT* rectParam = nullptr,
                        const RECT* clientRect = nullptr, bool stretch = true);
    // Moves a window inside a layout pass (deferred; nothing in a query).
    static void RepositionWindow(AFX_SIZEPARENTPARAMS* layout, HWND hwnd, const RECT& rect);

    // While a popup menu tracks for a window that is not a frame, the target
    // whose update handlers fill its items (WM_INITMENUPOPUP). Returns the
    // previous one; CMenu::TrackPopupMenu sets and restores it.
    static CCmdTarget* SetPopupUpdateTarget(CCmdTarget* target);

    // Mouse messages relayed to a tooltip control while pre-translating.
    void SetToolTipRelay(HWND toolTip) { m_hWndToolTip = toolTip; }

protected:
    // While it lives, the next window created on this thread (except input-method
    // windows) attaches to wnd before its first message. CreateEx uses it;
    // dialogs, whose windows the dialog manager creates, too.
    class CreationHook {
    public:
        explicit CreationHook(CWnd* wnd);
        ~CreationHook();
        CreationHook(const CreationHook&) = delete;
        CreationHook& operator=(const CreationHook&) = delete;

    private:
        CWnd* m_previous;
    };

    HWND m_hWndOwner = nullptr;
    HWND m_hWndToolTip = nullptr;

private:
    friend struct WndThunk;
    bool m_bOwnsWindow = false;  // created through this object: destroyed with it
    bool m_bSubclassed = false;  // our procedure sits in the window's subclass chain
    int m_nMsgDepth = 0;         // handlers of this window on the stack
    bool m_bNcDestroyed = false; // PostNcDestroy pending until depth 0
};

// The framework's window procedure (the class procedure of our own classes).
LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace brx
