// Control bars: windows along an edge of a frame (toolbars, status bars). A
// bar keeps its bar styles (CBRS_*) apart from its window style, takes its
// strip of the frame in the frame's layout pass (WM_SIZEPARENT), draws the
// borders its style asks for around its client area, updates its items on
// the idle pass (WM_IDLEUPDATECMDUI) through its owner's command route, and
// passes on to its owner the commands and notifications of its children that
// it does not handle itself.
#pragma once
#include <windows.h>

#include "framework/FrameworkDefs.h"
#include "framework/Wnd.h"

namespace brx {

class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    // Changes the bar styles; alignment or border changes take effect at the
    // next layout pass.
    void SetBarStyle(DWORD style);
    // Whether the bar is shown in its frame (its own WS_VISIBLE; the frame
    // itself may be hidden or minimised meanwhile).
    bool IsVisible() const { return (GetStyle() & WS_VISIBLE) != 0; }
    bool IsHorizontal() const { return (m_dwStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) == 0; }
    // Space kept free inside the bar around its items.
    void SetBorders(int left, int top, int right, int bottom) { m_rectBorders = CRect(left, top, right, bottom); }
    CRect GetBorders() const { return m_rectBorders; }
    // The width the styled borders (CBRS_BORDER_*) take on each side.
    CRect GetStyleBorders() const;

    // The size the bar asks for. Fixed layout: as long as the frame side when
    // stretch is set, else as long as its items; its thickness from its items.
    virtual CSize CalcFixedLayout(bool stretch, bool horizontal);
    // Dynamic layout (CBRS_SIZE_DYNAMIC): length -1 for the natural size; mode
    // LM_*. The base answers with the fixed layout.
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    // Updates the bar's items through target (the idle pass).
    virtual void OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) = 0;
    // The target of the update pass and of forwarded messages: the owner when
    // it is one of ours, else the parent frame.
    CWnd* GetCommandOwner() const;

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    // Splits a creation style: keeps the bar styles, returns the window style.
    DWORD SplitBarStyle(DWORD style);
    // The bar's thickness and length without styled borders: the derived bar's
    // measure of its items.
    virtual CSize CalcItemsSize(bool horizontal) { return CSize(0, 0); }
    // The bar's turn in the layout pass.
    void OnSizeParent(AFX_SIZEPARENTPARAMS* layout);
    void PaintStyleBorders();

    DWORD m_dwStyle = 0;
    CRect m_rectBorders;
};

} // namespace brx
