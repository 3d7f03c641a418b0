// The toolkit's main-window base: the window's own menu is replaced by a menu
// bar in the first band of a sizable rebar at the top of the frame, and the
// frame routes the menu keys and popup notices to that bar.
#pragma once
#include <windows.h>

#include <string>

#include "framework/FrameWnd.h"
#include "toolkit/bars/win/MenuBar.h"
#include "toolkit/bars/win/SizableReBar.h"

namespace brx {

class CFrameWndEx : public CFrameWnd {
public:
    BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr) override;
    // A menu goes to the menu bar; a null menu only removes the window's own.
    BOOL SetMenu(HMENU menu) override;
    void OnUpdateFrameMenu(HMENU menu) override;

    CSizableReBar m_wndReBar;
    CMenuBar m_wndMenuBar;
    // When set, the window placement is written to this profile section as
    // "FrameWndPlacement" on close (empty: nothing is written).
    std::wstring m_strPlacementSection;
    // While set, the frame shows its menu as the window's own menu, not in
    // the menu bar.
    bool m_bWindowMenu = false;

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    // The frame's bars after the framework's own creation; -1 on failure.
    int OnCreateBars();
    void SavePlacement();
};

} // namespace brx
