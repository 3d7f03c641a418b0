// The Windows side of dock painting: the system's fonts, colours and colour
// depth for the paint manager, a canvas that draws on a device context, and
// the halftone brush of the drag outlines.
#pragma once
#include <windows.h>

#include "framework/Gdi.h"
#include "toolkit/dock/DockPaint.h"

namespace brx {

// Caption font from the status-bar font of the non-client metrics, tab font
// from the icon-title font; measured on the desktop's device context.
class CDPSystemGdi : public DockSystem {
public:
    void RecreateFonts() override;
    int32_t BlankHeight(DockFont font) override;
    uint32_t SysColor(int index) override { return ::GetSysColor(index); }
    int32_t DesktopBitsPerPixel() override;

    HFONT Font(DockFont font) const { return font == DockFont::Caption ? captionFont_ : tabFont_; }

private:
    CFont captionFont_;
    CFont tabFont_;
};

// Draws the theme's calls on a device context with the system's fonts.
class CDPDCCanvas : public DockCanvas {
public:
    CDPDCCanvas(HDC dc, const CDPSystemGdi& system) : dc_(dc), system_(system) {}

    void FillSolid(const DockRect& rc, uint32_t color) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) override;
    void Text(DockFont font, const char16_t* text, const DockRect& rc, uint32_t color) override;
    void Icon(const void* icon, int32_t x, int32_t y) override;

private:
    HDC dc_;
    const CDPSystemGdi& system_;
};

inline RECT ToRECT(const DockRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline DockRect ToDockRect(const RECT& r) {
    return DockRect{static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
                    static_cast<int32_t>(r.bottom)};
}

// An 8 x 8 checkerboard pattern brush (rows 0x55 and 0xAA); the caller
// deletes it.
HBRUSH CreateHalftoneBrush();

} // namespace brx
