// The frame's menu as a row of flat toolbar buttons in the first rebar band,
// dropping the popups down from them with a real menu's keyboard behaviour:
// Alt or F10 selects the bar, Alt+letter opens a popup, the arrows move
// between popups and Esc steps back.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include "framework/Gdi.h"
#include "framework/ToolBar.h"

namespace brx {

constexpr UINT WM_MENUBAR_OPENPOPUP = WM_USER + 100; // wParam index, lParam LOWORD keyboard, HIWORD use chevron
constexpr UINT ID_MENUBAR = 33004;
constexpr UINT ID_MENUBAR_FIRST = 65000; // a popup button's id: 65000 + its position
constexpr UINT ID_MENUBAR_LAST = 65100;

class CMenuBar : public CToolBar {
public:
    CMenuBar();
    ~CMenuBar() override;

    BOOL SetMenu(HMENU menu);
    HMENU GetMenu() const { return m_hMenu; }
    void UpdateFont();
    void SetActive(bool active);
    // The frame's WM_SYSCOMMAND: Alt or F10 alone (SC_KEYMENU, lParam 0).
    BOOL OnSysKeyMenu(UINT command, LPARAM lp);
    // The frame's WM_MENUCHAR for Alt+letter: true when a button took it.
    BOOL OnMenuChar(UINT ch, UINT flags);
    void OnPopupInit(HMENU menu, UINT position);
    void OnPopupSelect(UINT flags, HMENU menu);

    bool IsMenuMode() const { return m_bMenuMode; }
    bool IsPopupOpen() const { return m_bPopupOpen; }
    int GetHotIndex() const { return m_nHotIndex; }
    bool IsClipped(int index) const;

    // The menu of clipped buttons while the chevron shows it, else null.
    HMENU GetChevronMenu() const { return m_hChevronMenu; }
    bool IsPrefixHidden() const { return m_bHidePrefix; }

    void OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK MessageHook(int code, WPARAM wp, LPARAM lp);
    void EnterMenuMode(int index);
    void LeaveMenuMode();
    void OpenPopup(int index, LPARAM lp);
    void TrackPopups();
    void PushChevron(int index);
    bool OnReflectedNotify(NMHDR& nm, LRESULT& result);
    LRESULT OnCustomDraw(NMTBCUSTOMDRAW& draw);
    void ShowChevronMenu(const RECT& chevron, int index);
    bool IsOverOwnChevron(POINT client) const;
    void UpdatePrefixes();
    void OpenTheme();
    void CloseTheme();

    int m_nVersionClass = 0;
    CFont m_font;
    POINT m_ptLast{-1, -1};
    HWND m_hWndSavedFocus = nullptr;
    HMENU m_hMenu = nullptr;
    HMENU m_hPopup = nullptr;
    int m_nHotIndex = -1;
    bool m_bMenuMode = false;
    bool m_bPopupOpen = false;
    bool m_bSelInTopPopup = false;
    bool m_bSelHasSubmenu = false;
    bool m_bStayInMenuMode = false;
    bool m_bContinueTracking = false;
    bool m_bKeyboardOpen = false;
    bool m_bActive = true;
    bool m_bHidePrefix = false;
    HMENU m_hChevronMenu = nullptr;
    HTHEME m_hTheme = nullptr;
};

} // namespace brx
