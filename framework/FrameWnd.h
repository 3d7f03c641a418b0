// Frame windows: the main window with its menu, accelerators, bars and central
// view, and the mini frame that floating panes live in.
//
// The layout pass (RecalcLayout) offers the client area to the children in
// z-order with WM_SIZEPARENT: every bar takes its strip, and the central view
// (id AFX_IDW_PANE_FIRST) fills what is left. DelayRecalcLayout asks for the
// pass at the next idle time. Commands go from the frame to its active view,
// then to the frame's own handlers, then to the application.
#pragma once
#include <windows.h>
#include <string>

#include "framework/Wnd.h"

namespace brx {

class CControlBar;

class CFrameWnd : public CWnd {
public:
    CFrameWnd() = default;
    ~CFrameWnd() override;

    // Lets the system choose the place and size of a new frame.
    static const RECT rectDefault;

    // Frames live on the heap and are deleted after their window is gone,
    // unless this flag is cleared.
    bool m_bAutoDelete = true;

    bool IsFrameWnd() const override { return true; }

    // menuName: a menu resource or null. A null class registers the frame class.
    BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                HWND parent = nullptr, LPCWSTR menuName = nullptr, DWORD exStyle = 0);
    // Creates the frame from the resources of one id: menu, accelerators, icon
    // and title (the text before the first '\n' of the string).
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
    BOOL LoadAccelTable(UINT id);
    HACCEL GetAccelTable() const { return m_hAccelTable; }

    // Menus.
    virtual BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    // Shows menu (null: the frame's default menu) as the frame's menu.
    virtual void OnUpdateFrameMenu(HMENU menu);
    // The same at the next idle time.
    virtual void DelayUpdateFrameMenu(HMENU menu);
    HMENU m_hMenuDefault = nullptr;

    // Layout.
    virtual void RecalcLayout();
    void DelayRecalcLayout();
    bool IsInRecalcLayout() const { return m_bInRecalcLayout; }
    bool IsLayoutPending() const { return (m_nIdleFlags & idleLayout) != 0; }
    // Border kept free around the central view inside the bars.
    RECT m_rectBorder{0, 0, 0, 0};
    // Shows or hides a bar, with an immediate or a delayed layout pass. The
    // commands with a bar's id (ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR) toggle
    // that bar, and their update handler checks them while it shows.
    void ShowControlBar(HWND bar, bool show, bool delay);
    // The frame's child bar with id, or null.
    CControlBar* GetControlBar(UINT id) const;

    // The central view and command routing.
    CWnd* GetActiveView() const { return FromHandle(m_hWndViewActive); }
    void SetActiveView(CWnd* view) { m_hWndViewActive = view ? view->m_hWnd : nullptr; }
    bool RouteCommand(CCommand& cmd) override;
    bool RouteUpdate(CCmdUI& ui) override;

    // Status line: pane 0 of the child with id AFX_IDW_STATUS_BAR.
    HWND GetMessageBar() const { return ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR); }
    // The prompt of a command (the text before the first '\n' of its string;
    // "Ready" for AFX_IDS_IDLEMESSAGE when the table lacks it). False when none.
    virtual bool GetMessageString(UINT id, std::wstring& text) const;
    void SetMessageText(UINT id);
    void SetMessageText(const wchar_t* text);
    UINT GetTrackingId() const { return m_nIDTracking; }
    UINT GetLastMessageId() const { return m_nIDLastMessage; }

    // Whether the frame keeps its active look while one of its tool windows
    // (a mini frame with MFS_SYNCACTIVE) is the active window.
    bool IsStayActive() const { return m_bStayActive; }

    // The frame's part of the idle pass: WM_IDLEUPDATECMDUI to the frame and to
    // its descendants, then the pending delayed layout.
    void IdleUpdate();

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnCommand(CCommand& cmd) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    // Tooltips of toolbar buttons: the second part of the command's string.
    bool OnNotify(NMHDR& nm, LRESULT& result) override;
    void PostNcDestroy() override;

protected:
    // The frame's own handling of some messages, for derived classes to call
    // from their own cases (WM_CLOSE last).
    void OnClose();
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    LRESULT OnSetMessageString(WPARAM id, LPARAM text);
    void OnIdleUpdateCmdUI();
    bool OnActivate(UINT state, HWND other);
    LRESULT OnNcActivate(BOOL active, LPARAM lp);

    enum : UINT { idleLayout = 1, idleMenu = 2 };
    UINT m_nIdleFlags = 0;
    bool m_bInRecalcLayout = false;
    bool m_bStayActive = false;
    HACCEL m_hAccelTable = nullptr;
    HMENU m_hMenuDelayed = nullptr;
    HWND m_hWndViewActive = nullptr;
    UINT m_nIDTracking = AFX_IDS_IDLEMESSAGE; // what the status line should show
    UINT m_nIDLastMessage = 0;                // what it shows
};

// A small tool frame (floating panes). MFS_SYNCACTIVE keeps its caption and
// its owner frame's caption active together.
class CMiniFrameWnd : public CFrameWnd {
public:
    // owner: the frame the mini frame floats over.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, HWND owner,
                  UINT id = 0);
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    static LPCWSTR ClassName();
};

} // namespace brx
