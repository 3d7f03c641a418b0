#include "toolkit/controls/win/PictureEx.h"

#include <cstring>

namespace brx {

CPictureEx::~CPictureEx() { FreePicture(); }

void CPictureEx::FreePicture() {
    m_picture.Release();
    if (m_hMemDC) {
        if (m_hOldBitmap) ::SelectObject(m_hMemDC, m_hOldBitmap);
        ::DeleteDC(m_hMemDC);
    }
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
    m_hMemDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
    m_bLoaded = false;
    m_background = 0xFFFFFF;
    m_dataSize = 0;
}

bool CPictureEx::PrepareMemoryDC() {
    if (!m_hWnd) return false;
    SetWindowPos(nullptr, 0, 0, m_pixels.cx, m_pixels.cy, SWP_NOZORDER | SWP_NOMOVE);
    HDC dc = ::GetDC(m_hWnd);
    if (!dc) return false;
    bool ok = false;
    m_hMemDC = ::CreateCompatibleDC(dc);
    if (m_hMemDC) m_hBitmap = ::CreateCompatibleBitmap(dc, m_pixels.cx, m_pixels.cy);
    if (m_hBitmap) {
        m_hOldBitmap = ::SelectObject(m_hMemDC, m_hBitmap);
        m_background = ::GetSysColor(COLOR_BTNFACE);
        RECT all{0, 0, m_pixels.cx, m_pixels.cy};
        ::FillRect(m_hMemDC, &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
        m_bLoaded = true;
        ok = true;
    } else if (m_hMemDC) {
        ::DeleteDC(m_hMemDC);
        m_hMemDC = nullptr;
    }
    ::ReleaseDC(m_hWnd, dc);
    return ok;
}

BOOL CPictureEx::LoadFromMemory(HGLOBAL block, DWORD size) {
    FreePicture();
    m_dataSize = size;
    CComPtr<IStream> stream;
    if (!block || FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        FreePicture();
        return FALSE;
    }
    if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&m_picture))) ||
        !m_picture) {
        FreePicture();
        return FALSE;
    }
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    m_picture->get_Width(&width);
    m_picture->get_Height(&height);
    m_himetric = SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
    HDC dc = ::GetDC(m_hWnd);
    m_pixels.cx = ::MulDiv(width, ::GetDeviceCaps(dc, LOGPIXELSX), 2540);
    m_pixels.cy = ::MulDiv(height, ::GetDeviceCaps(dc, LOGPIXELSY), 2540);
    ::ReleaseDC(m_hWnd, dc);
    if (!PrepareMemoryDC()) {
        FreePicture();
        return FALSE;
    }
    return TRUE;
}

BOOL CPictureEx::LoadFromResource(const wchar_t* name, const wchar_t* type) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return FALSE;
    HGLOBAL resource = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const void* bytes = resource ? ::LockResource(resource) : nullptr;
    if (!bytes || !size) return FALSE;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size);
    if (!block) return FALSE;
    BOOL ok = FALSE;
    if (void* p = ::GlobalLock(block)) {
        std::memcpy(p, bytes, size);
        ::GlobalUnlock(block);
        ok = LoadFromMemory(block, size);
    }
    ::GlobalFree(block);
    return ok;
}

BOOL CPictureEx::RenderPicture() {
    if (!m_bLoaded || !m_picture || !m_hMemDC) return FALSE;
    if (FAILED(m_picture->Render(m_hMemDC, 0, 0, m_pixels.cx, m_pixels.cy, 0, m_himetric.cy, m_himetric.cx,
                                 -m_himetric.cy, nullptr)))
        return FALSE;
    Invalidate(FALSE);
    return TRUE;
}

bool CPictureEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (m_hMemDC) ::BitBlt(dc, 0, 0, m_pixels.cx, m_pixels.cy, m_hMemDC, 0, 0, SRCCOPY);
        ::EndPaint(m_hWnd, &ps);
        result = 0;
        return true;
    }
    return CStatic::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
