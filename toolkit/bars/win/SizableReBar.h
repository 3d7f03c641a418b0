// The bar at the top of a frame that holds the menu bar and the toolbars as
// bands of a common rebar control. A sizing strip at its bottom edge lets the
// user drag the bands into more or fewer rows; a lock removes the grippers
// and the strip; its context menu shows and hides bands, locks them and
// offers the band child's own items; its state (order, widths, breaks,
// hidden bands, lock, and each toolbar band's buttons) is kept in a section
// of the settings store.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "framework/ControlBar.h"

namespace brx {

// Messages a band's child receives from the rebar. They share numbers with
// toolbar-control messages, so bars of ours take them before the control's
// own procedure does, and the rebar sends them only to children of ours.
constexpr UINT WM_BAR_CHEVRONPUSHED = WM_USER + 103; // wParam screen RECT*, lParam from RB_PUSHCHEVRON
constexpr UINT WM_BAR_ADDMENUITEMS = WM_USER + 104;  // wParam HMENU of the rebar's context menu
constexpr UINT ID_REBAR_LOCK = 33003;                // "Lock the Toolbars"
constexpr UINT AFX_IDW_SIZABLE_REBAR = 0xE8FE;

// Sets the band holding bar (found by the bar's id in its parent rebar) to
// the bar's height, any width down to 0 and an ideal width; nothing when the
// bar is not in a rebar.
void SetBandChildSize(HWND bar, int height, int idealWidth);

class CSizableReBar : public CControlBar {
public:
    struct BARINFO {
        uint32_t nID = 0;
        wchar_t szTitle[260] = {};
        uint32_t bFixed = 0;
    };

    BOOL Create(HWND parent, UINT id = AFX_IDW_SIZABLE_REBAR,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_ALIGN_TOP |
                              CBRS_SIZE_DYNAMIC);
    // Adds bar as a band at the end: text shown on the band, band style
    // (RBBS_*), title in the context menu (null: not listed), fixed (listed
    // grayed), gripper (shown unless locked).
    BOOL AddBar(CWnd* bar, const wchar_t* text, UINT bandStyle, const wchar_t* title, BOOL fixed, BOOL gripper);
    // Returns the previous state.
    BOOL Lock(BOOL lock);
    BOOL IsLocked() const { return m_bLocked; }

    void SaveState(const wchar_t* section);
    void LoadState(const wchar_t* section);

    HWND GetReBarCtrl() const { return m_rebar; }
    const std::vector<BARINFO>& GetBarInfo() const { return m_bars; }
    // The context menu's band and child-item parts.
    bool m_bShowBandMenu = true;
    bool m_bShowChildMenu = true;
    // For tests: the menu the context menu would show at a screen point,
    // and the child asked for items (the caller destroys the menu).
    HMENU BuildContextMenu(POINT screen, HWND* itemsChild);
    // Runs a context-menu command as the user choosing it does.
    void OnContextCommand(UINT command, HWND itemsChild);

    CSize CalcFixedLayout(bool stretch, bool horizontal) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    static constexpr int kStripHeight = 3;

private:
    bool HasStrip() const { return !m_bLocked && (m_dwStyle & CBRS_ALIGN_TOP) != 0; }
    int BandCount() const;
    void RecalcParent();
    bool OnReBarNotify(NMHDR& nm, LRESULT& result);
    void OnContextMenu(POINT screen);
    void ToggleBand(UINT id);
    void SendToolbarSaveRestore(bool save, const wchar_t* section);
    void EndSizing();

    HWND m_rebar = nullptr;
    SIZE m_sizeStart{0, 0};
    POINT m_ptStart{0, 0};
    bool m_bSizing = false;
    BOOL m_bLocked = FALSE;
    std::vector<BARINFO> m_bars;
};

} // namespace brx
