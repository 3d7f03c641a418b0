#include "toolkit/dock/DockPaint.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace brx {

namespace {

uint32_t Red(uint32_t c) { return c & 0xFF; }
uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Blue(uint32_t c) { return (c >> 16) & 0xFF; }
uint32_t MaxChannel(uint32_t c) { return std::max({Red(c), Green(c), Blue(c)}); }

// Every channel scaled by num / den (den > 0).
uint32_t ScaleChannels(uint32_t c, uint32_t num, uint32_t den) {
    return DockRgb(Red(c) * num / den, Green(c) * num / den, Blue(c) * num / den);
}

} // namespace

// ---- Colours

void CDPColorTable::Update(const uint32_t (&sys)[DP_SYS_LAST + 1], int32_t bitsPerPixel) {
    entries_[0] = 0;
    for (int i = 1; i <= DP_SYS_LAST; ++i) entries_[i] = sys[i];
    entries_[28] = entries_[29] = 0;
    const uint32_t face = sys[DP_SYS_BTNFACE] & 0xFFFFFF;
    const uint32_t shadow = sys[DP_SYS_BTNSHADOW] & 0xFFFFFF;
    entries_[DP_COLOR_ACTIVE_TAB] = sys[DP_SYS_BTNFACE];
    entries_[DP_COLOR_INACTIVE_TAB_TEXT] = sys[DP_SYS_BTNTEXT];
    entries_[DP_COLOR_TAB_STRIP] = sys[DP_SYS_BTNFACE];
    entries_[DP_COLOR_TAB_SEPARATOR] = sys[DP_SYS_BTNSHADOW];
    // A palette display keeps the plain system colours.
    if (bitsPerPixel >= 1 && bitsPerPixel <= 8) return;

    // The face lightened so that its largest channel grows by 35 (at most to
    // 255), keeping the hue.
    const uint32_t m = MaxChannel(face);
    entries_[DP_COLOR_ACTIVE_TAB] = m == 0 ? 0x232323 : ScaleChannels(face, m + std::min(35u, 255 - m), m);
    // The shadow darkened by 43 on its largest channel.
    const uint32_t s = MaxChannel(shadow);
    if (face == 0)
        entries_[DP_COLOR_INACTIVE_TAB_TEXT] = 0x7F7F7F;
    else
        entries_[DP_COLOR_INACTIVE_TAB_TEXT] = s == 0 ? 0 : ScaleChannels(shadow, s > 43 ? s - 43 : 0, s);
    entries_[DP_SYS_3DLIGHT] =
        DockRgb(std::min(Red(face) + 15, 255u), std::min(Green(face) + 15, 255u), std::min(Blue(face) + 15, 255u));
}

void CDPColorTable::Update(DockSystem& system) {
    uint32_t sys[DP_SYS_LAST + 1] = {};
    for (int i = 1; i <= DP_SYS_LAST; ++i) sys[i] = system.SysColor(i);
    Update(sys, system.DesktopBitsPerPixel());
}

CDPColorTable& DockColorTable() {
    static CDPColorTable table;
    return table;
}

// ---- Metrics

DockMetrics DockMetricsFromBlankHeights(int32_t captionBlank, int32_t tabBlank) {
    DockMetrics m;
    m.captionHeight = captionBlank + 4;
    m.tabHeight = std::max(tabBlank + 10, 24);
    return m;
}

DockRect AdjustGroupRect(DockRect rc, bool caption, bool tabs, const DockMetrics& metrics) {
    if (caption) rc.top += metrics.captionHeight + 3;
    if (tabs) rc.bottom -= metrics.tabHeight;
    return rc;
}

void FitTabWidths(CDPTabsArray& tabs, const DockRect& client) {
    const size_t n = tabs.size();
    if (n == 0) return;
    std::vector<int64_t> width(n);
    int64_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        width[i] = int64_t(tabs[i].rect.right) - tabs[i].rect.left;
        sum += width[i];
    }
    const int64_t room = int64_t(client.right) - (int64_t(client.left) + 9);
    if (room < sum) {
        if (n == 1) {
            width[0] = room;
        } else {
            // Shrink from the widest down: the widest group is cut to the
            // next width until what is left to take fits into one step.
            std::vector<size_t> order(n);
            std::iota(order.begin(), order.end(), size_t(0));
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return width[a] > width[b]; });
            int64_t excess = sum - room;
            size_t c = 1;
            for (;;) {
                const int64_t w = width[order[0]];
                while (c < n && width[order[c]] == w) ++c;
                if (c == n) {
                    for (int64_t& each : width) each = room / int64_t(n);
                    break;
                }
                const int64_t next = width[order[c]];
                const int64_t step = int64_t(c) * (w - next);
                if (excess < step) {
                    for (size_t i = 0; i < c; ++i) width[order[i]] -= excess / int64_t(c);
                    break;
                }
                for (size_t i = 0; i < c; ++i) width[order[i]] = next;
                excess -= step;
            }
        }
    }
    int64_t x = 4;
    for (size_t i = 0; i < n; ++i) {
        tabs[i].rect.left = DockClamp32(x);
        x += std::max<int64_t>(width[i], 0);
        tabs[i].rect.right = DockClamp32(x);
    }
}

// ---- Drawing

void Draw3dRect(DockCanvas& canvas, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t topLeft,
                uint32_t bottomRight) {
    canvas.FillSolid(DockRect{x, y, x + cx - 1, y + 1}, topLeft);
    canvas.FillSolid(DockRect{x, y, x + 1, y + cy - 1}, topLeft);
    canvas.FillSolid(DockRect{x + cx - 1, y, x + cx, y + cy}, bottomRight);
    canvas.FillSolid(DockRect{x, y + cy - 1, x + cx, y + cy}, bottomRight);
}

void CDPPaintManager::DrawFrame(DockCanvas& canvas, CDPTabbedContainer& group, const DockRect& client) {
    canvas.FillSolid(client, Color(DP_SYS_BTNFACE));
    const int32_t strip = group.HasTabs() ? metrics_.tabHeight : 0;
    const int32_t width = client.Width();
    const int32_t height = client.bottom - strip - client.top;
    Draw3dRect(canvas, client.left, client.top, width, height, Color(DP_SYS_BTNHIGHLIGHT),
               Color(DP_SYS_BTNHIGHLIGHT));
    Draw3dRect(canvas, client.left, client.top, width - 1, height - 1, Color(DP_SYS_BTNSHADOW),
               Color(DP_SYS_BTNSHADOW));
    if (group.HasCaption()) DrawCaption(canvas, group, client);
    if (group.HasTabs()) DrawTabs(canvas, group.tabs, client);
}

void CDPPaintManager::UpdateMetrics(DockSystem& system) {
    system.RecreateFonts();
    metrics_ = DockMetricsFromBlankHeights(system.BlankHeight(DockFont::Caption), system.BlankHeight(DockFont::Tab));
    colors_.Update(system);
}

void CDPPaintManager::AdjustRect(const CDPTabbedContainer& group, DockRect& rc) const {
    rc = AdjustGroupRect(rc, group.HasCaption(), group.HasTabs(), metrics_);
}

void CDPPaintManager::FitTabs(CDPTabbedContainer& group, const DockRect& client) { FitTabWidths(group.tabs, client); }

namespace DPPaintThemes {

void CDPCustomTheme::DrawCaption(DockCanvas& canvas, CDPTabbedContainer& group, const DockRect& client) {
    const int32_t h = metrics_.captionHeight;
    canvas.FillSolid(DockRect{0, 2, client.right, h + 1}, Color(DP_SYS_BTNFACE));
    Draw3dRect(canvas, 1, client.top + 1, client.Width() - 1, h + 2, Color(DP_SYS_WINDOW), Color(DP_SYS_WINDOW));
    Draw3dRect(canvas, 0, client.top, client.Width() - 1, h + 3, Color(DP_SYS_BTNSHADOW), Color(DP_SYS_BTNSHADOW));

    int32_t textRight = client.right - 3;
    const int32_t y = (2 + h + 1) / 2 - 7;
    const CDP* active = group.GetActivePane();
    if (!active || !active->CanClose()) {
        group.closeButton.rect = DockRect{};
    } else {
        group.closeButton.rect = DockRect{textRight - 14, y + 1, textRight - 1, y + 14};
        DrawCloseButton(canvas, group.closeButton, Color(DP_SYS_BTNTEXT));
        textRight -= 16;
    }
    if (active)
        canvas.Text(DockFont::Caption, active->Title(), DockRect{client.left + 4, 3, textRight, h + 1},
                    Color(DP_SYS_BTNTEXT));
}

void CDPCustomTheme::DrawCloseButton(DockCanvas& canvas, const CDPCaptionButton& button, uint32_t color) {
    const DockRect& r = button.rect;
    int32_t x = r.left;
    int32_t y = r.top;
    if (button.flags & DP_BUTTON_PRESSED) {
        Draw3dRect(canvas, x, y, r.Width(), r.Height(), Color(DP_SYS_BTNTEXT), Color(DP_SYS_BTNHIGHLIGHT));
        ++x;
        ++y;
    } else if (button.flags & DP_BUTTON_HOT) {
        Draw3dRect(canvas, x, y, r.Width(), r.Height(), Color(DP_SYS_BTNHIGHLIGHT), Color(DP_SYS_BTNTEXT));
    }
    if (button.flags & DP_BUTTON_CLOSE) {
        canvas.Line(x + 3, y + 3, x + 10, y + 10, color);
        canvas.Line(x + 3, y + 9, x + 10, y + 2, color);
    }
}

void CDPCustomTheme::DrawTabs(DockCanvas& canvas, CDPTabsArray& tabs, const DockRect& client) {
    const DockRect strip{client.left + 1, client.bottom - metrics_.tabHeight + 2, client.right - 1, client.bottom - 1};
    canvas.FillSolid(strip, Color(DP_COLOR_TAB_STRIP));
    auto separator = [&](int32_t x) {
        canvas.Line(x, strip.top + 2, x, strip.bottom - 2, Color(DP_COLOR_TAB_SEPARATOR));
        canvas.Line(x + 1, strip.top + 2, x + 1, strip.bottom - 2, Color(DP_COLOR_ACTIVE_TAB));
    };
    for (size_t i = 0; i < tabs.size(); ++i) {
        DP_TAB& tab = tabs[i];
        tab.rect.top = strip.top;
        tab.rect.bottom = strip.bottom;
        const DockRect& r = tab.rect;
        if (tab.active) {
            canvas.FillSolid(r, Color(DP_COLOR_ACTIVE_TAB));
            Draw3dRect(canvas, r.left, r.top, r.Width(), r.Height(), Color(DP_SYS_BTNSHADOW), Color(DP_SYS_BTNSHADOW));
        } else if (i == 0) {
            separator(r.left);
            if (tabs.size() > 1 && !tabs[1].active) separator(r.right);
        } else {
            separator(r.right);
        }
        if (r.Width() < 20) continue;
        DockRect text{r.left + 6, r.top, r.right - 6, r.bottom};
        if (tab.icon) {
            canvas.Icon(tab.icon, r.left + 3, (r.top + r.bottom) / 2 - 7);
            text.left += 16;
        }
        canvas.Text(DockFont::Tab, tab.text, text,
                    tab.active ? Color(DP_SYS_BTNTEXT) : Color(DP_COLOR_INACTIVE_TAB_TEXT));
    }
}

} // namespace DPPaintThemes

std::unique_ptr<CDPPaintManager> CreateDockTheme(int id, CDPColorTable& colors) {
    if (id != 1) return nullptr;
    auto theme = std::make_unique<DPPaintThemes::CDPCustomTheme>(colors);
    theme->themeId = id;
    return theme;
}

} // namespace brx
