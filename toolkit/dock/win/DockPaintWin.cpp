#include "toolkit/dock/win/DockPaintWin.h"

#include <cstddef>

namespace brx {

namespace {

// The non-client metrics as every Windows version answers them: without the
// padded border width that Vista added.
constexpr UINT kNonClientMetricsSize = 500;
static_assert(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth) == kNonClientMetricsSize);

// The desktop window's device context while in scope (null when none).
class DesktopDC {
public:
    DesktopDC() : wnd_(::GetDesktopWindow()), dc_(::GetDC(wnd_)) {}
    ~DesktopDC() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    DesktopDC(const DesktopDC&) = delete;
    DesktopDC& operator=(const DesktopDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

} // namespace

void CDPSystemGdi::RecreateFonts() {
    captionFont_.DeleteObject();
    tabFont_.DeleteObject();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0))
        captionFont_.CreateFontIndirect(metrics.lfStatusFont);
    LOGFONTW iconTitle{};
    if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0))
        tabFont_.CreateFontIndirect(iconTitle);
}

int32_t CDPSystemGdi::BlankHeight(DockFont font) {
    DesktopDC dc;
    if (!dc.get()) return 0;
    const HFONT f = Font(font);
    const HGDIOBJ old = f ? ::SelectObject(dc.get(), f) : nullptr;
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), L" ", 1, &size);
    if (old) ::SelectObject(dc.get(), old);
    return size.cy;
}

int32_t CDPSystemGdi::DesktopBitsPerPixel() {
    DesktopDC dc;
    return dc.get() ? ::GetDeviceCaps(dc.get(), BITSPIXEL) : 0;
}

void CDPDCCanvas::FillSolid(const DockRect& rc, uint32_t color) { CDC(dc_).FillSolidRect(ToRECT(rc), color); }

void CDPDCCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
    CPen pen(PS_SOLID, 1, color);
    const HGDIOBJ old = ::SelectObject(dc_, pen);
    ::MoveToEx(dc_, x1, y1, nullptr);
    ::LineTo(dc_, x2, y2);
    ::SelectObject(dc_, old);
}

void CDPDCCanvas::Text(DockFont font, const char16_t* text, const DockRect& rc, uint32_t color) {
    if (!text) return;
    const HFONT f = system_.Font(font);
    const HGDIOBJ oldFont = f ? ::SelectObject(dc_, f) : nullptr;
    const int oldMode = ::SetBkMode(dc_, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc_, color);
    RECT r = ToRECT(rc);
    ::DrawTextW(dc_, reinterpret_cast<const wchar_t*>(text), -1, &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
    ::SetTextColor(dc_, oldColor);
    ::SetBkMode(dc_, oldMode);
    if (oldFont) ::SelectObject(dc_, oldFont);
}

void CDPDCCanvas::Icon(const void* icon, int32_t x, int32_t y) {
    if (!icon) return;
    ::DrawStateW(dc_, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 0, 0, DST_ICON);
}

HBRUSH CreateHalftoneBrush() {
    // Monochrome rows are word-aligned: one byte of pattern, one of padding.
    static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    CBitmap pattern;
    if (!pattern.CreateBitmap(8, 8, 1, 1, rows)) return nullptr;
    return ::CreatePatternBrush(pattern);  // the brush keeps its own copy
}

} // namespace brx
