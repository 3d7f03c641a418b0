// The popup that shows a toolbar's clipped buttons when the rebar's chevron
// is pushed: a vertical, menu-like toolbar in a window of its own, placed
// like a menu beside the chevron and run modally until a button is chosen,
// Esc or Alt is pressed or the user clicks elsewhere (that click still
// reaches the window under the mouse).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"
#include "toolkit/bars/BarState.h"

namespace brx {

class CToolBarEx;

constexpr UINT WM_TBPOPUP_CLOSE = WM_USER + 101; // ends a popup's modal loop

class CToolBarPopup : public CWnd {
public:
    explicit CToolBarPopup(CToolBarEx* owner);
    ~CToolBarPopup() override;

    // Creates, places and runs the popup at x, y (TPM_* alignment, TPM_VERTICAL,
    // animation flags), away from the excluded screen rectangle. Returns TRUE
    // after it closed, FALSE when it could not be created (no clipped button).
    BOOL Show(UINT flags, int x, int y, const RECT* excluded);

    // The popup that is open, or null.
    static CToolBarPopup* Current();
    HWND GetToolBarCtrl() const { return m_toolBar.m_hWnd; }
    // Where the placement put it and the direction it slides in from.
    PopupSide GetSide() const { return m_side; }
    DWORD GetAnimation() const { return m_animation; }
    bool IsFlat() const { return m_bFlat; }
    bool IsTextShown() const { return m_bTextShown; }

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp);
    bool FillToolBar();
    void Place(UINT flags, int x, int y, const RECT* excluded);
    void RunModalLoop();
    // A mouse message of the loop; true when it was taken here.
    bool FilterMouse(const MSG& msg);
    bool OnKey(WPARAM vk);
    void MoveHot(int step);
    void Close() { m_bDone = true; }
    LRESULT OnToolBarNotify(NMHDR& nm);
    LRESULT OnCustomDraw(NMTBCUSTOMDRAW& draw);
    void PaintFlatFrame(HDC dc);
    bool HoldsCapture() const;

    CToolBarEx* m_pOwner;
    CWnd m_toolBar;
    bool m_bOverToolBar = false;
    bool m_bTextShown = false;
    bool m_bFlat = false;
    bool m_bDone = false;
    int m_nVersionClass = 0;
    PopupSide m_side = PopupSide::None;
    DWORD m_animation = 0;
};

} // namespace brx
