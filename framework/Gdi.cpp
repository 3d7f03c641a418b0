#include "framework/Gdi.h"

#include "framework/Resource.h"

namespace brx {

BOOL CBitmap::LoadBitmap(UINT id) {
    Attach(LoadBitmapResource(id));
    return m_hObject != nullptr;
}

CSize CBitmap::GetSize() const {
    BITMAP bm{};
    if (!m_hObject || !::GetObjectW(m_hObject, sizeof(bm), &bm)) return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}

void CDC::FillSolidRect(const RECT& rc, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CSize CDC::GetTextExtent(std::wstring_view text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(m_hDC, text.data(), static_cast<int>(text.size()), &size);
    return CSize(size.cx, size.cy);
}

CDoubleBufferDC::CDoubleBufferDC(HDC target, const RECT& area) : m_hTarget(target), m_rect(area) {
    m_rect.NormalizeRect();
    if (!m_rect.IsRectEmpty() && CreateCompatibleDC(target) &&
        m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height())) {
        m_hOldBitmap = SelectObject(m_bitmap);
        // Drawing uses the target's coordinates.
        ::SetWindowOrgEx(m_hDC, m_rect.left, m_rect.top, nullptr);
        // Start from the target's font and colours.
        ::SelectObject(m_hDC, ::GetCurrentObject(target, OBJ_FONT));
        ::SetTextColor(m_hDC, ::GetTextColor(target));
        ::SetBkColor(m_hDC, ::GetBkColor(target));
        return;
    }
    if (m_bOwnsDC && m_hDC) ::DeleteDC(m_hDC);
    m_bOwnsDC = false;
    m_hDC = target;
}

CDoubleBufferDC::~CDoubleBufferDC() {
    if (!m_hOldBitmap) {
        m_hDC = nullptr; // drew on the target itself
        return;
    }
    ::BitBlt(m_hTarget, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, m_rect.left, m_rect.top,
             SRCCOPY);
    ::SelectObject(m_hDC, m_hOldBitmap);
}

} // namespace brx
