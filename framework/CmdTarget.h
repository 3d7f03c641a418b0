// Command targets: objects that answer two questions about a command id,
// "what state is it in" (an update handler filling a CCmdUI) and "run it" (a
// command handler). A class answers in one switch per question and passes the
// ids it does not know on to its base class:
//
//   bool CMyFrame::OnCommand(CCommand& cmd) {
//     if (cmd.Is(ID_FILE_NEW)) { OnFileNew(); return true; }
//     if (cmd.InRange(ID_SET_1, ID_SET_4)) return cmd.Run([&] { OnSet(cmd.Id()); });
//     return CFrameWnd::OnCommand(cmd);
//   }
//   bool CMyFrame::OnUpdateCommand(CCmdUI& ui) {
//     switch (ui.m_nID) {
//     case ID_FILE_NEW: ui.Enable(!m_capturing); return true;
//     }
//     return CFrameWnd::OnUpdateCommand(ui);
//   }
//
// Menus, toolbars and status panes ask through the same CCmdUI; a command with
// neither an update handler nor a command handler is disabled.
#pragma once
#include <windows.h>
#include <string>

namespace brx {

// One command on its way to a handler. Code 0 is a menu item, an accelerator
// or a button click; other codes are control notifications (EN_CHANGE, ...).
//
// The same handler answers two callers: the command itself, and the update
// rule's question "does anybody handle this id" (a probe, asked when a menu
// opens or an idle pass updates a bar). A probe cannot run a handler: its
// matchers (Is, InRange, IsNotify) note the match and answer false, and its
// Id() is 0, which no command has. So a handler written the natural way,
//
//   if (cmd.Is(ID_FILE_SAVE)) { Save(); return true; }
//
// runs only for the command; one that compares Id() itself is never found by
// a probe and shows disabled until it uses the matchers.
class CCommand {
public:
    CCommand(UINT id, UINT code = 0, HWND control = nullptr) : m_id(id), m_code(code), m_control(control) {}
    // The question of the update rule about id.
    static CCommand Probe(UINT id) {
        CCommand cmd(id);
        cmd.m_probe = true;
        return cmd;
    }

    UINT Id() const { return m_probe ? 0 : m_id; }
    UINT Code() const { return m_probe ? 0 : m_code; }
    HWND Control() const { return m_probe ? nullptr : m_control; }
    bool IsProbe() const { return m_probe; }
    // Whether a probe met a matcher for its id.
    bool Matched() const { return m_matched; }

    bool Is(UINT cmdId) const { return Match(m_id == cmdId && m_code == 0); }
    bool InRange(UINT first, UINT last) const { return Match(m_code == 0 && m_id >= first && m_id <= last); }
    bool IsNotify(UINT ctlId, UINT notifyCode) const { return Match(m_id == ctlId && m_code == notifyCode); }
    // Runs the handler and answers "handled": `return cmd.Run([&] { ... });`.
    template <class F>
    bool Run(F&& handler) {
        handler();
        return true;
    }

private:
    bool Match(bool hit) const {
        if (!m_probe) return hit;
        if (hit) m_matched = true;
        return false;
    }

    UINT m_id;
    UINT m_code;
    HWND m_control;
    bool m_probe = false;
    mutable bool m_matched = false;
};

class CCmdTarget;

// The update object: the state a handler gives a command is shown by the
// user-interface element that asked (a menu item here; toolbar buttons and
// status panes below).
class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;          // position of the item in its menu or bar
    HMENU m_hMenu = nullptr;    // menu item: the popup holding it
    HMENU m_hSubMenu = nullptr; // a popup item: its popup (m_nID is its first item)
    bool m_bEnableChanged = false;

    virtual void Enable(bool on = true);
    // 0 unchecked, 1 checked, 2 indeterminate.
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(bool on = true);
    virtual void SetText(const wchar_t* text);

    // Routes the update through target (and its route); when no update handler
    // answers and disableIfNoHandler is set, the element is enabled exactly when
    // a command handler exists. Returns whether an update handler answered.
    bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);
};

// Records the state instead of showing it (used to test whether a command is
// enabled before running it from a menu or an accelerator).
class CTestCmdUI : public CCmdUI {
public:
    bool m_bEnabled = true;
    int m_nCheck = -1;
    bool m_bRadio = false;
    std::wstring m_text;
    bool m_bTextSet = false;
    void Enable(bool on = true) override {
        m_bEnabled = on;
        m_bEnableChanged = true;
    }
    void SetCheck(int check = 1) override { m_nCheck = check; }
    void SetRadio(bool on = true) override {
        m_bRadio = on;
        m_nCheck = on ? 1 : 0;
    }
    void SetText(const wchar_t* text) override {
        m_text = text ? text : L"";
        m_bTextSet = true;
    }
};

// A button of a toolbar common control (by command id).
class CToolCmdUI : public CCmdUI {
public:
    HWND m_hToolBar = nullptr;
    void Enable(bool on = true) override;
    void SetCheck(int check = 1) override;
    void SetRadio(bool on = true) override { SetCheck(on ? 1 : 0); }
    void SetText(const wchar_t*) override {}
};

// A part of a status bar common control (by m_nIndex): a disabled pane shows
// no text; a checked pane is drawn raised.
class CStatusCmdUI : public CCmdUI {
public:
    HWND m_hStatusBar = nullptr;
    void Enable(bool on = true) override;
    void SetCheck(int check = 1) override;
    void SetRadio(bool on = true) override { SetCheck(on ? 1 : 0); }
    void SetText(const wchar_t* text) override;
};

// Updates every button of a toolbar control and every listed pane of a status
// bar control (ids[i] for part i; id 0 is left alone).
void UpdateToolBarButtons(HWND toolBar, CCmdTarget* target, bool disableIfNoHandler);
void UpdateStatusPanes(HWND statusBar, const UINT* ids, int count, CCmdTarget* target, bool disableIfNoHandler);
// Runs the update pass over the items of a popup menu (WM_INITMENUPOPUP).
void UpdateMenuItems(HMENU popup, CCmdTarget* target, bool disableIfNoHandler);

class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // This class's own command and update handlers (see the top of this file).
    virtual bool OnCommand(CCommand& cmd) { return false; }
    virtual bool OnUpdateCommand(CCmdUI& ui) { return false; }

    // The route: this target alone; frames route on to their view and the
    // application.
    virtual bool RouteCommand(CCommand& cmd) { return OnCommand(cmd); }
    virtual bool RouteUpdate(CCmdUI& ui) { return OnUpdateCommand(ui); }

    // Runs a command from a menu or an accelerator: refused (true, nothing run)
    // when an update handler disables it; false when nobody handles it.
    bool ExecuteCommand(UINT id);
    // Whether some target on the route has a command handler for id.
    bool HasCommandHandler(UINT id);
};

} // namespace brx
