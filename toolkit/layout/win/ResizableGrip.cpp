#include "toolkit/layout/win/ResizableGrip.h"

namespace brx {

void CResizableGrip::CSizeGrip::ReadMetrics() {
    m_size = CSize(::GetSystemMetrics(SM_CXVSCROLL), ::GetSystemMetrics(SM_CYHSCROLL));
}

void CResizableGrip::CSizeGrip::SetTriangularShape(bool on) {
    m_bTriangular = on;
    if (!m_hWnd) return;
    if (!on) {
        ::SetWindowRgn(m_hWnd, nullptr, TRUE);
        return;
    }
    POINT points[3] = {{0, m_size.cy}, {m_size.cx, m_size.cy}, {m_size.cx, 0}};
    HRGN region = ::CreatePolygonRgn(points, 3, WINDING);
    // The window owns the region once it is set.
    if (region && !::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
}

bool CResizableGrip::CSizeGrip::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_NCHITTEST: {
        HWND carrier = GetParent();
        bool rtl = carrier && (::GetWindowLongPtrW(carrier, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
        result = rtl ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
        return true;
    }
    case WM_NCLBUTTONDOWN:
        // The carrying window is sized, not the grip.
        if (wp == HTBOTTOMRIGHT || wp == HTBOTTOMLEFT) {
            ::SendMessageW(GetParent(), WM_SYSCOMMAND, SC_SIZE + (wp == HTBOTTOMRIGHT ? WMSZ_BOTTOMRIGHT : WMSZ_BOTTOMLEFT),
                           lp);
            result = 0;
            return true;
        }
        break;
    case WM_GETDLGCODE: result = DLGC_STATIC; return true;
    case WM_SETFOCUS: result = 0; return true;
    case WM_SETTINGCHANGE: {
        CSize old = m_size;
        ReadMetrics();
        if (m_bTriangular) SetTriangularShape(true);
        // The lower-right corner stays where it was.
        CRect rc = GetWindowRect();
        HWND parent = GetParent();
        if (parent) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
        ::SetWindowPos(m_hWnd, nullptr, rc.left - (m_size.cx - old.cx), rc.top - (m_size.cy - old.cy), m_size.cx,
                       m_size.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        break;
    }
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

BOOL CResizableGrip::CreateSizeGrip(BOOL visible, BOOL triangular) {
    CWnd* carrier = GetResizableWnd();
    if (!carrier || !carrier->m_hWnd) return FALSE;
    m_wndGrip.ReadMetrics();
    CRect rc(0, 0, m_wndGrip.m_size.cx, m_wndGrip.m_size.cy);
    BOOL created = m_wndGrip.CreateEx(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_CLIPSIBLINGS | SBS_SIZEGRIP, rc,
                                      carrier->m_hWnd, 0);
    if (!created) return FALSE;
    m_wndGrip.SetTriangularShape(triangular != FALSE);
    m_nShowCount = visible ? 1 : 0;
    UpdateSizeGrip();
    return TRUE;
}

void CResizableGrip::UpdateSizeGrip() {
    CWnd* carrier = GetResizableWnd();
    if (!m_wndGrip.m_hWnd || !carrier || !carrier->m_hWnd) return;
    CRect client = carrier->GetClientRect();
    CRect grip = m_wndGrip.GetWindowRect();
    ::SetWindowPos(m_wndGrip.m_hWnd, nullptr, client.right - grip.Width(), client.bottom - grip.Height(), 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER |
                       (m_nShowCount > 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void CResizableGrip::ShowSizeGrip(DWORD* bits, DWORD mask) {
    if (!bits || (*bits & mask)) return;
    *bits |= mask;
    ++m_nShowCount;
}

void CResizableGrip::HideSizeGrip(DWORD* bits, DWORD mask) {
    if (!bits || !(*bits & mask)) return;
    *bits &= ~mask;
    --m_nShowCount;
}

} // namespace brx
