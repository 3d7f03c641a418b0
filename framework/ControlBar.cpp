#include "framework/ControlBar.h"

#include <algorithm>

#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/MsgArgs.h"
#include "framework/pure/BarLayout.h"

namespace brx {

namespace {

// Each styled border is an etched line two pixels wide.
constexpr int kStyleBorder = 2;
// The length of a bar that stretches along a whole side.
constexpr int kStretchLength = 32767;

LayoutRect ToLayout(const RECT& rc) { return LayoutRect{rc.left, rc.top, rc.right, rc.bottom}; }

CRect FromLayout(const LayoutRect& rc) { return CRect(rc.left, rc.top, rc.right, rc.bottom); }

LayoutEdge EdgeOf(DWORD style) {
    if (style & CBRS_ALIGN_BOTTOM) return LayoutEdge::Bottom;
    if (style & CBRS_ALIGN_LEFT) return LayoutEdge::Left;
    if (style & CBRS_ALIGN_RIGHT) return LayoutEdge::Right;
    return LayoutEdge::Top;
}

} // namespace

void CControlBar::SetBarStyle(DWORD style) {
    DWORD old = m_dwStyle;
    m_dwStyle = style & CBRS_ALL;
    if (m_hWnd && ((old ^ m_dwStyle) & CBRS_BORDER_ANY))
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD CControlBar::SplitBarStyle(DWORD style) {
    m_dwStyle = style & CBRS_ALL;
    return style & ~CBRS_ALL;
}

CRect CControlBar::GetStyleBorders() const {
    return CRect((m_dwStyle & CBRS_BORDER_LEFT) ? kStyleBorder : 0, (m_dwStyle & CBRS_BORDER_TOP) ? kStyleBorder : 0,
                 (m_dwStyle & CBRS_BORDER_RIGHT) ? kStyleBorder : 0,
                 (m_dwStyle & CBRS_BORDER_BOTTOM) ? kStyleBorder : 0);
}

CSize CControlBar::CalcFixedLayout(bool stretch, bool horizontal) {
    CSize items = CalcItemsSize(horizontal);
    CRect styled = GetStyleBorders();
    int cx = items.cx + styled.left + styled.right + m_rectBorders.left + m_rectBorders.right;
    int cy = items.cy + styled.top + styled.bottom + m_rectBorders.top + m_rectBorders.bottom;
    if (horizontal) return CSize(stretch ? kStretchLength : cx, cy);
    return CSize(cx, stretch ? kStretchLength : cy);
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

CWnd* CControlBar::GetCommandOwner() const {
    if (CWnd* owner = FromHandle(GetOwner())) return owner;
    return GetParentFrame();
}

void CControlBar::OnSizeParent(AFX_SIZEPARENTPARAMS* layout) {
    if (!IsVisible()) return;
    bool horizontal = IsHorizontal();
    bool stretch = layout->bStretch != FALSE;
    CSize size =
        (m_dwStyle & CBRS_SIZE_DYNAMIC)
            ? CalcDynamicLayout(-1, (horizontal ? LM_HORZ | LM_HORZDOCK : LM_VERTDOCK) | (stretch ? LM_STRETCH : 0))
            : CalcFixedLayout(stretch, horizontal);
    LayoutRect free = ToLayout(layout->rect);
    LayoutRect strip = TakeEdge(free, EdgeOf(m_dwStyle), horizontal ? size.cy : size.cx);
    if (!stretch) {
        if (horizontal) strip.right = std::min(strip.right, strip.left + static_cast<int32_t>(size.cx));
        else strip.bottom = std::min(strip.bottom, strip.top + static_cast<int32_t>(size.cy));
    }
    layout->rect = FromLayout(free);
    if (horizontal) {
        layout->sizeTotal.cy += strip.Height();
        layout->sizeTotal.cx = std::max<LONG>(layout->sizeTotal.cx, size.cx);
    } else {
        layout->sizeTotal.cx += strip.Width();
        layout->sizeTotal.cy = std::max<LONG>(layout->sizeTotal.cy, size.cy);
    }
    RepositionWindow(layout, m_hWnd, FromLayout(strip));
}

void CControlBar::PaintStyleBorders() {
    if (!(m_dwStyle & CBRS_BORDER_ANY)) return;
    CWindowDC dc(m_hWnd);
    CRect rc = GetWindowRect();
    rc.OffsetRect(-rc.left, -rc.top);
    COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (m_dwStyle & CBRS_BORDER_TOP) {
        dc.FillSolidRect(CRect(rc.left, rc.top, rc.right, rc.top + 1), shadow);
        dc.FillSolidRect(CRect(rc.left, rc.top + 1, rc.right, rc.top + 2), light);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        dc.FillSolidRect(CRect(rc.left, rc.bottom - 2, rc.right, rc.bottom - 1), shadow);
        dc.FillSolidRect(CRect(rc.left, rc.bottom - 1, rc.right, rc.bottom), light);
    }
    if (m_dwStyle & CBRS_BORDER_LEFT) {
        dc.FillSolidRect(CRect(rc.left, rc.top, rc.left + 1, rc.bottom), shadow);
        dc.FillSolidRect(CRect(rc.left + 1, rc.top, rc.left + 2, rc.bottom), light);
    }
    if (m_dwStyle & CBRS_BORDER_RIGHT) {
        dc.FillSolidRect(CRect(rc.right - 2, rc.top, rc.right - 1, rc.bottom), shadow);
        dc.FillSolidRect(CRect(rc.right - 1, rc.top, rc.right, rc.bottom), light);
    }
}

bool CControlBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZEPARENT:
        OnSizeParent(StructArg<AFX_SIZEPARENTPARAMS>(lp));
        result = 0;
        return true;
    case WM_IDLEUPDATECMDUI:
        if (IsVisible())
            if (CWnd* target = GetCommandOwner()) OnUpdateCmdUI(target, wp != 0);
        result = 0;
        return true;
    case WM_NCCALCSIZE: {
        if (!(m_dwStyle & CBRS_BORDER_ANY)) return false;
        result = Default();
        // Both forms start with the new window rectangle, which becomes the client's.
        RECT* rc = wp ? &StructArg<NCCALCSIZE_PARAMS>(lp)->rgrc[0] : StructArg<RECT>(lp);
        CRect b = GetStyleBorders();
        rc->left += b.left;
        rc->top += b.top;
        rc->right = std::max(rc->left, rc->right - b.right);
        rc->bottom = std::max(rc->top, rc->bottom - b.bottom);
        return true;
    }
    case WM_NCPAINT:
        if (!(m_dwStyle & CBRS_BORDER_ANY)) return false;
        result = Default();
        PaintStyleBorders();
        return true;
    case WM_COMMAND:
    case WM_NOTIFY: {
        if (CWnd::OnWndMsg(msg, wp, lp, result)) return true;
        // A child's message the bar does not handle: its owner's.
        HWND owner = GetOwner();
        if (!owner || owner == m_hWnd) return false;
        if (msg == WM_NOTIFY && StructArg<NMHDR>(lp)->hwndFrom == m_hWnd) return false;
        result = ::SendMessageW(owner, msg, wp, lp);
        return true;
    }
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
