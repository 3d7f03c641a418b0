// Drawing, metrics and colours of the docking component, as arithmetic over
// the system's answers: the dock colour table, the caption and tab heights,
// the fitting of tab widths, and the group frame, caption and tab strip
// drawn onto a small canvas interface. The Windows side (win/DockPaintWin.h)
// supplies the system answers and draws the canvas calls on a device
// context. Pure.
#pragma once
#include <cstdint>
#include <memory>

#include "toolkit/dock/DockNodes.h"
#include "toolkit/dock/DockTypes.h"

namespace brx {

// System colour indexes the docking component reads (GetSysColor numbering).
enum : int {
    DP_SYS_WINDOW = 5,
    DP_SYS_BTNFACE = 15,
    DP_SYS_BTNSHADOW = 16,
    DP_SYS_BTNTEXT = 18,
    DP_SYS_BTNHIGHLIGHT = 20,
    DP_SYS_3DLIGHT = 22,
    DP_SYS_LAST = 27,
};

// Dock colours of their own, after the system ones.
enum : int {
    DP_COLOR_ACTIVE_TAB = 30,         // active tab background
    DP_COLOR_INACTIVE_TAB_TEXT = 31,  // inactive tab text
    DP_COLOR_TAB_STRIP = 32,          // tab strip and splitter bar background
    DP_COLOR_TAB_SEPARATOR = 33,      // tab separator
    DP_COLOR_COUNT = 34,
};

// Colours are COLORREF values: 0x00BBGGRR.
constexpr uint32_t DockRgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// The fonts the docking component draws with.
enum class DockFont { Caption, Tab };

// What the docking component asks of the system.
class DockSystem {
public:
    virtual ~DockSystem() = default;
    // Makes the caption font (from the status-bar font of the non-client
    // metrics) and the tab font (from the icon-title font) anew.
    virtual void RecreateFonts() = 0;
    // The height of a blank in the font.
    virtual int32_t BlankHeight(DockFont font) = 0;
    virtual uint32_t SysColor(int index) = 0;
    // Bits per pixel of the desktop, 0 when no device context could be had.
    virtual int32_t DesktopBitsPerPixel() = 0;
};

// The dock colour table: entry 0 and 28-29 are 0, 1-27 the system colours,
// 30-33 the dock colours.
class CDPColorTable {
public:
    // From the system colours 0..27 (index 0 is not read) and the desktop's
    // bits per pixel (0: unknown). At 8 bits or fewer the dock colours are
    // plain system colours; above, the active tab is the button face
    // lightened, the inactive tab text the shadow darkened, and the 3D light
    // the face lightened a little.
    void Update(const uint32_t (&sysColors)[DP_SYS_LAST + 1], int32_t bitsPerPixel);
    void Update(DockSystem& system);
    // The entry for an index below 34, else the index itself as a colour.
    uint32_t Get(uint32_t index) const { return index < DP_COLOR_COUNT ? entries_[index] : index; }

private:
    uint32_t entries_[DP_COLOR_COUNT] = {};
};

// The one table the component draws with.
CDPColorTable& DockColorTable();
inline uint32_t GetDPColor(uint32_t index) { return DockColorTable().Get(index); }

// Caption height: a blank in the caption font + 4. Tab height: a blank in
// the tab font + 10, at least 24.
DockMetrics DockMetricsFromBlankHeights(int32_t captionBlank, int32_t tabBlank);

// What is left of a group's rectangle for its panes: below the caption band
// (caption height + 3) and above the tab strip.
DockRect AdjustGroupRect(DockRect rc, bool caption, bool tabs, const DockMetrics& metrics);

// Fits measured tab widths (right - left of each tab) into the client width
// less 9 pixels, shrinking the widest tabs first, and sets every tab's left
// and right edge from x = 4 on.
void FitTabWidths(CDPTabsArray& tabs, const DockRect& client);

// Where the theme draws. Colours are COLORREF values.
class DockCanvas {
public:
    virtual ~DockCanvas() = default;
    virtual void FillSolid(const DockRect& rc, uint32_t color) = 0;
    // A one-pixel line from (x1, y1) up to, not including, (x2, y2).
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) = 0;
    // Text on a transparent background, one line, vertically centred, cut
    // with an ellipsis at the end.
    virtual void Text(DockFont font, const char16_t* text, const DockRect& rc, uint32_t color) = 0;
    // A 16 x 16 icon (DST_ICON) with its top-left corner at (x, y).
    virtual void Icon(const void* icon, int32_t x, int32_t y) = 0;
};

// Top and left edges in one colour, right and bottom in the other.
void Draw3dRect(DockCanvas& canvas, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t topLeft,
                uint32_t bottomRight);

// The paint manager: metrics and the shared drawing of a group. A theme
// draws the caption and the tabs.
class CDPPaintManager {
public:
    explicit CDPPaintManager(CDPColorTable& colors = DockColorTable()) : colors_(colors) {}
    virtual ~CDPPaintManager() = default;

    // Fills the client area with the button face, draws an etched outline
    // around all but the tab strip, then the caption and the tabs.
    virtual void DrawFrame(DockCanvas& canvas, CDPTabbedContainer& group, const DockRect& client);
    virtual void DrawTabs(DockCanvas& canvas, CDPTabsArray& tabs, const DockRect& client) = 0;
    virtual void DrawCaption(DockCanvas& canvas, CDPTabbedContainer& group, const DockRect& client) = 0;
    // Fonts anew, heights measured, colour table recomputed.
    virtual void UpdateMetrics(DockSystem& system);
    virtual void AdjustRect(const CDPTabbedContainer& group, DockRect& rc) const;
    virtual void FitTabs(CDPTabbedContainer& group, const DockRect& client);

    const DockMetrics& Metrics() const { return metrics_; }
    void SetMetrics(const DockMetrics& metrics) { metrics_ = metrics; }
    const CDPColorTable& Colors() const { return colors_; }
    int themeId = 0;

protected:
    uint32_t Color(uint32_t index) const { return colors_.Get(index); }
    CDPColorTable& colors_;
    DockMetrics metrics_;
};

namespace DPPaintThemes {

// Theme 1: a flat caption with the title and a close button, tabs on a
// strip with separators.
class CDPCustomTheme : public CDPPaintManager {
public:
    using CDPPaintManager::CDPPaintManager;
    void DrawTabs(DockCanvas& canvas, CDPTabsArray& tabs, const DockRect& client) override;
    void DrawCaption(DockCanvas& canvas, CDPTabbedContainer& group, const DockRect& client) override;
    // The close button: a 3D frame when pressed or hot, and the cross.
    void DrawCloseButton(DockCanvas& canvas, const CDPCaptionButton& button, uint32_t color);
};

} // namespace DPPaintThemes

// The theme with that id (only 1 exists), or null.
std::unique_ptr<CDPPaintManager> CreateDockTheme(int id, CDPColorTable& colors = DockColorTable());

} // namespace brx
