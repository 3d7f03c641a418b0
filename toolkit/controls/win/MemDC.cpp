#include "toolkit/controls/win/MemDC.h"

namespace brx {

CMemDC::CMemDC(HDC target, const RECT* area) : m_hTarget(target) {
    if (area)
        m_rect = *area;
    else
        ::GetClipBox(target, &m_rect);
    m_bMemory = ::GetDeviceCaps(target, TECHNOLOGY) != DT_RASPRINTER;
    if (m_bMemory && CreateCompatibleDC(target)) {
        RECT device = m_rect;
        ::LPtoDP(target, reinterpret_cast<POINT*>(&device), 2);
        m_hBitmap = ::CreateCompatibleBitmap(target, device.right - device.left, device.bottom - device.top);
        if (m_hBitmap) {
            m_hOldBitmap = ::SelectObject(m_hDC, m_hBitmap);
            ::SetMapMode(m_hDC, ::GetMapMode(target));
            ::SetWindowOrgEx(m_hDC, m_rect.left, m_rect.top, nullptr);
        }
    }
    if (!m_hOldBitmap) {
        // Printing, or no bitmap to be had: draw on the target itself.
        if (m_bOwnsDC && m_hDC) ::DeleteDC(m_hDC);
        m_bOwnsDC = false;
        m_bMemory = false;
        m_hDC = target;
    }
    FillSolidRect(m_rect, ::GetBkColor(target));
}

CMemDC::~CMemDC() {
    if (m_bMemory) {
        ::BitBlt(m_hTarget, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, m_rect.left, m_rect.top,
                 SRCCOPY);
        ::SelectObject(m_hDC, m_hOldBitmap);
    } else {
        m_hDC = nullptr;  // the target's own: not ours to delete
    }
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
}

} // namespace brx
