// GDI objects and device contexts. Objects own their handle and delete it;
// CDC wraps a context it does not own; the paint, client and window contexts
// release theirs; CDoubleBufferDC draws off-screen and copies the result to
// its target in one BitBlt.
#pragma once
#include <windows.h>
#include <string_view>

#include "framework/Geometry.h"

namespace brx {

class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(HGDIOBJ object) : m_hObject(object) {}
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    void Attach(HGDIOBJ object) {
        DeleteObject();
        m_hObject = object;
    }
    HGDIOBJ Detach() {
        HGDIOBJ object = m_hObject;
        m_hObject = nullptr;
        return object;
    }
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }

protected:
    HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color) {
        Attach(::CreatePen(style, width, color));
        return m_hObject != nullptr;
    }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color) {
        Attach(::CreateSolidBrush(color));
        return m_hObject != nullptr;
    }
    BOOL CreatePatternBrush(HBITMAP bitmap) {
        Attach(::CreatePatternBrush(bitmap));
        return m_hObject != nullptr;
    }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTW& font) {
        Attach(::CreateFontIndirectW(&font));
        return m_hObject != nullptr;
    }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height) {
        Attach(::CreateCompatibleBitmap(dc, width, height));
        return m_hObject != nullptr;
    }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
        Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
        return m_hObject != nullptr;
    }
    BOOL LoadBitmap(UINT id);
    CSize GetSize() const;
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int l, int t, int r, int b) {
        Attach(::CreateRectRgn(l, t, r, b));
        return m_hObject != nullptr;
    }
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode) {
        Attach(::CreatePolygonRgn(points, count, fillMode));
        return m_hObject != nullptr;
    }
    int CombineRgn(HRGN a, HRGN b, int mode) { return ::CombineRgn(*this, a, b, mode); }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

// A device context it does not own (see the derived classes for owners).
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC() {
        if (m_bOwnsDC && m_hDC) ::DeleteDC(m_hDC);
    }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    // A memory context owned by this object.
    BOOL CreateCompatibleDC(HDC dc) {
        if (m_bOwnsDC && m_hDC) ::DeleteDC(m_hDC);
        m_hDC = ::CreateCompatibleDC(dc);
        m_bOwnsDC = m_hDC != nullptr;
        return m_bOwnsDC;
    }

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, ::GetStockObject(index)); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    void FillSolidRect(const RECT& rc, COLORREF color);
    BOOL FillRect(const RECT& rc, HBRUSH brush) { return ::FillRect(m_hDC, &rc, brush) != 0; }
    BOOL FrameRect(const RECT& rc, HBRUSH brush) { return ::FrameRect(m_hDC, &rc, brush) != 0; }
    BOOL Rectangle(const RECT& rc) { return ::Rectangle(m_hDC, rc.left, rc.top, rc.right, rc.bottom); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL TextOut(int x, int y, std::wstring_view text) {
        return ::TextOutW(m_hDC, x, y, text.data(), static_cast<int>(text.size()));
    }
    int DrawText(std::wstring_view text, RECT& rc, UINT format) {
        return ::DrawTextW(m_hDC, text.data(), static_cast<int>(text.size()), &rc, format);
    }
    CSize GetTextExtent(std::wstring_view text) const;
    BOOL BitBlt(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src, sx, sy, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    CPoint SetViewportOrg(int x, int y) {
        POINT old{};
        ::SetViewportOrgEx(m_hDC, x, y, &old);
        return old;
    }
    int GetClipBox(RECT& rc) const { return ::GetClipBox(m_hDC, &rc); }
    int SelectClipRgn(HRGN rgn) { return ::SelectClipRgn(m_hDC, rgn); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

protected:
    bool m_bOwnsDC = false;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() override {
        ::EndPaint(m_hWnd, &m_ps);
        m_hDC = nullptr;
    }
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::GetDC(hwnd); }
    ~CClientDC() override {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
        m_hDC = nullptr;
    }

private:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::GetWindowDC(hwnd); }
    ~CWindowDC() override {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
        m_hDC = nullptr;
    }

private:
    HWND m_hWnd;
};

// Double-buffered drawing: draw into this context with the target's
// coordinates; the destructor copies the area to the target in one BitBlt.
// When no off-screen bitmap can be made it draws on the target directly.
class CDoubleBufferDC : public CDC {
public:
    CDoubleBufferDC(HDC target, const RECT& area);
    ~CDoubleBufferDC() override;
    bool IsBuffered() const { return m_hOldBitmap != nullptr; }

private:
    HDC m_hTarget;
    CRect m_rect;
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
};

} // namespace brx
