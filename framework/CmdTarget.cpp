#include "framework/CmdTarget.h"

#include <commctrl.h>

namespace brx {

void CCmdUI::Enable(bool on) {
    m_bEnableChanged = true;
    if (!m_hMenu) return;
    ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
}

void CCmdUI::SetCheck(int check) {
    if (!m_hMenu || m_hSubMenu) return;
    ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetRadio(bool on) {
    if (!m_hMenu || m_hSubMenu) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!::GetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &info)) return;
    info.fType |= MFT_RADIOCHECK;
    info.fState = on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    ::SetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &info);
}

void CCmdUI::SetText(const wchar_t* text) {
    if (!m_hMenu || !text) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text);
    ::SetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &info);
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler) {
    if (!target || m_nID == 0) return false;
    m_bEnableChanged = false;
    bool handled = target->RouteUpdate(*this);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) Enable(target->HasCommandHandler(m_nID));
    return handled;
}

void CToolCmdUI::Enable(bool on) {
    m_bEnableChanged = true;
    ::SendMessageW(m_hToolBar, TB_ENABLEBUTTON, m_nID, MAKELPARAM(on ? TRUE : FALSE, 0));
}

void CToolCmdUI::SetCheck(int check) {
    ::SendMessageW(m_hToolBar, TB_CHECKBUTTON, m_nID, MAKELPARAM(check == 1 ? TRUE : FALSE, 0));
    ::SendMessageW(m_hToolBar, TB_INDETERMINATE, m_nID, MAKELPARAM(check == 2 ? TRUE : FALSE, 0));
}

void CStatusCmdUI::Enable(bool on) {
    m_bEnableChanged = true;
    if (!on) ::SendMessageW(m_hStatusBar, SB_SETTEXTW, m_nIndex, reinterpret_cast<LPARAM>(L""));
}

void CStatusCmdUI::SetCheck(int check) {
    // Keep the text, change only the drawing style.
    int len = LOWORD(::SendMessageW(m_hStatusBar, SB_GETTEXTLENGTHW, m_nIndex, 0));
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    ::SendMessageW(m_hStatusBar, SB_GETTEXTW, m_nIndex, reinterpret_cast<LPARAM>(text.data()));
    ::SendMessageW(m_hStatusBar, SB_SETTEXTW, m_nIndex | (check ? SBT_POPOUT : 0),
                   reinterpret_cast<LPARAM>(text.c_str()));
}

void CStatusCmdUI::SetText(const wchar_t* text) {
    ::SendMessageW(m_hStatusBar, SB_SETTEXTW, m_nIndex, reinterpret_cast<LPARAM>(text ? text : L""));
}

void UpdateToolBarButtons(HWND toolBar, CCmdTarget* target, bool disableIfNoHandler) {
    int count = static_cast<int>(::SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!::SendMessageW(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) continue;
        CToolCmdUI ui;
        ui.m_hToolBar = toolBar;
        ui.m_nID = static_cast<UINT>(button.idCommand);
        ui.m_nIndex = static_cast<UINT>(i);
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

void UpdateStatusPanes(HWND statusBar, const UINT* ids, int count, CCmdTarget* target, bool disableIfNoHandler) {
    for (int i = 0; i < count; ++i) {
        if (ids[i] == 0) continue;
        CStatusCmdUI ui;
        ui.m_hStatusBar = statusBar;
        ui.m_nID = ids[i];
        ui.m_nIndex = static_cast<UINT>(i);
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

void UpdateMenuItems(HMENU popup, CCmdTarget* target, bool disableIfNoHandler) {
    int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        CCmdUI ui;
        ui.m_hMenu = popup;
        ui.m_nIndex = static_cast<UINT>(i);
        UINT id = ::GetMenuItemID(popup, i);
        if (id == 0) continue; // separator
        if (id == static_cast<UINT>(-1)) {
            // A popup item takes the state its first item's update handler gives it;
            // it is never disabled for want of a handler.
            HMENU sub = ::GetSubMenu(popup, i);
            if (!sub) continue;
            UINT first = ::GetMenuItemID(sub, 0);
            if (first == 0 || first == static_cast<UINT>(-1)) continue;
            ui.m_nID = first;
            ui.m_hSubMenu = sub;
            ui.DoUpdate(target, false);
        } else {
            ui.m_nID = id;
            ui.DoUpdate(target, disableIfNoHandler);
        }
        // An update handler may add or remove items (a recent-files list does):
        // keep walking from the item after this one.
        int newCount = ::GetMenuItemCount(popup);
        i += newCount - count;
        count = newCount;
    }
}

bool CCmdTarget::ExecuteCommand(UINT id) {
    CTestCmdUI state;
    state.m_nID = id;
    RouteUpdate(state);
    if (!state.m_bEnabled) return true; // disabled: swallowed
    CCommand cmd(id);
    return RouteCommand(cmd);
}

bool CCmdTarget::HasCommandHandler(UINT id) {
    // No handler runs: the route answers false and the matchers tell.
    CCommand probe = CCommand::Probe(id);
    RouteCommand(probe);
    return probe.Matched();
}

} // namespace brx
