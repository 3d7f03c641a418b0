// Dock painting without a device context: the colour table, the heights,
// tab fitting, and the frame, caption and tab strip painted pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/toolkit/dock/DockTestUtil.h"
#include "tests/toolkit/dock/RasterCanvas.h"
#include "toolkit/dock/DockPaint.h"

using namespace brx;
using namespace brx::test;

namespace {

constexpr uint32_t kWindow = 0xFFFFFE;
constexpr uint32_t kFace = 0xC0C0C0;
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kText = 0x010203;
constexpr uint32_t kHighlight = 0xFFFFFF;

struct SysColors {
    uint32_t c[DP_SYS_LAST + 1] = {};
    SysColors(uint32_t face = kFace, uint32_t shadow = kShadow, uint32_t text = kText) {
        for (int i = 1; i <= DP_SYS_LAST; ++i) c[i] = 0x010101u * uint32_t(i);  // recognisable
        c[DP_SYS_WINDOW] = kWindow;
        c[DP_SYS_BTNFACE] = face;
        c[DP_SYS_BTNSHADOW] = shadow;
        c[DP_SYS_BTNTEXT] = text;
        c[DP_SYS_BTNHIGHLIGHT] = kHighlight;
    }
};

TEST(DockColors, TableFromTheSystemColours) {
    struct Case {
        const char* name;
        uint32_t face;
        uint32_t shadow;
        int32_t bits;
        uint32_t activeTab;     // entry 30
        uint32_t inactiveText;  // entry 31
        uint32_t light;         // entry 22
    };
    const uint32_t plain22 = SysColors().c[DP_SYS_3DLIGHT];
    const Case cases[] = {
        {"grey face", 0xC0C0C0, 0x808080, 32, DockRgb(227, 227, 227), 0x555555, DockRgb(207, 207, 207)},
        {"white face stays white", 0xFFFFFF, 0x808080, 32, 0xFFFFFF, 0x555555, 0xFFFFFF},
        {"coloured face keeps its hue", DockRgb(200, 100, 50), DockRgb(90, 60, 30), 24, DockRgb(235, 117, 58),
         DockRgb(47, 31, 15), DockRgb(215, 115, 65)},
        {"black face", 0, 0x808080, 32, 0x232323, 0x7F7F7F, DockRgb(15, 15, 15)},
        {"black shadow", 0xC0C0C0, 0, 32, DockRgb(227, 227, 227), 0, DockRgb(207, 207, 207)},
        {"shadow darker than the step", 0xC0C0C0, 0x202020, 32, DockRgb(227, 227, 227), 0, DockRgb(207, 207, 207)},
        {"no desktop context", 0xC0C0C0, 0x808080, 0, DockRgb(227, 227, 227), 0x555555, DockRgb(207, 207, 207)},
        {"256 colours", 0xC0C0C0, 0x808080, 8, 0xC0C0C0, kText, plain22},
        {"16 colours", 0xC0C0C0, 0x808080, 4, 0xC0C0C0, kText, plain22},
        {"monochrome", 0xC0C0C0, 0x808080, 1, 0xC0C0C0, kText, plain22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SysColors sys(c.face, c.shadow);
        CDPColorTable table;
        table.Update(sys.c, c.bits);
        EXPECT_EQ(c.activeTab, table.Get(DP_COLOR_ACTIVE_TAB));
        EXPECT_EQ(c.inactiveText, table.Get(DP_COLOR_INACTIVE_TAB_TEXT));
        EXPECT_EQ(c.light, table.Get(DP_SYS_3DLIGHT));
        EXPECT_EQ(c.face, table.Get(DP_COLOR_TAB_STRIP));
        EXPECT_EQ(c.shadow, table.Get(DP_COLOR_TAB_SEPARATOR));
    }

    CDPColorTable table;
    const SysColors sys;
    table.Update(sys.c, 32);
    EXPECT_EQ(0u, table.Get(0));
    EXPECT_EQ(sys.c[1], table.Get(1));
    EXPECT_EQ(sys.c[27], table.Get(27));
    EXPECT_EQ(0u, table.Get(28));
    EXPECT_EQ(0u, table.Get(29));
    // Past the table an index is a colour of its own.
    EXPECT_EQ(34u, table.Get(34));
    EXPECT_EQ(0xFF00FFu, table.Get(0xFF00FF));
}

TEST(DockMetrics, HeightsFromTheFonts) {
    struct Case {
        int32_t captionBlank;
        int32_t tabBlank;
        int32_t caption;
        int32_t tab;
    };
    const Case cases[] = {{13, 13, 17, 24}, {16, 20, 20, 30}, {13, 14, 17, 24}, {0, 15, 4, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tabBlank);
        const DockMetrics m = DockMetricsFromBlankHeights(c.captionBlank, c.tabBlank);
        EXPECT_EQ(c.caption, m.captionHeight);
        EXPECT_EQ(c.tab, m.tabHeight);
    }
    const DockMetrics m{17, 24};
    const DockRect rc{10, 20, 300, 200};
    EXPECT_EQ((DockRect{10, 40, 300, 200}), AdjustGroupRect(rc, true, false, m));
    EXPECT_EQ((DockRect{10, 20, 300, 176}), AdjustGroupRect(rc, false, true, m));
    EXPECT_EQ((DockRect{10, 40, 300, 176}), AdjustGroupRect(rc, true, true, m));
    EXPECT_EQ(rc, AdjustGroupRect(rc, false, false, m));
}

class FakeSystem : public DockSystem {
public:
    int fontsMade = 0;
    void RecreateFonts() override { ++fontsMade; }
    int32_t BlankHeight(DockFont font) override { return font == DockFont::Caption ? 16 : 20; }
    uint32_t SysColor(int index) override { return SysColors().c[index]; }
    int32_t DesktopBitsPerPixel() override { return 8; }
};

TEST(DockMetrics, UpdateMetricsAsksTheSystem) {
    CDPColorTable colors;
    std::unique_ptr<CDPPaintManager> theme = CreateDockTheme(1, colors);
    ASSERT_NE(nullptr, theme);
    EXPECT_EQ(1, theme->themeId);
    EXPECT_EQ(nullptr, CreateDockTheme(2, colors));
    EXPECT_EQ(nullptr, CreateDockTheme(0, colors));

    FakeSystem system;
    theme->UpdateMetrics(system);
    EXPECT_EQ(1, system.fontsMade);
    EXPECT_EQ(20, theme->Metrics().captionHeight);
    EXPECT_EQ(30, theme->Metrics().tabHeight);
    EXPECT_EQ(kFace, colors.Get(DP_COLOR_ACTIVE_TAB));  // a palette display
    EXPECT_EQ(kText, colors.Get(DP_COLOR_INACTIVE_TAB_TEXT));
}

CDPTabsArray TabsOfWidths(std::vector<int32_t> widths) {
    CDPTabsArray tabs(widths.size());
    for (size_t i = 0; i < widths.size(); ++i) tabs[i].rect = DockRect{0, 0, widths[i], 20};
    return tabs;
}

TEST(DockTabs, FittingShrinksTheWidestFirst) {
    struct Case {
        const char* name;
        std::vector<int32_t> widths;
        DockRect client;
        std::vector<int32_t> want;
    };
    const Case cases[] = {
        {"enough room", {100, 80, 60}, {0, 0, 249, 30}, {100, 80, 60}},
        {"widest cut to the next, then both shrink", {100, 80, 60}, {0, 0, 209, 30}, {70, 70, 60}},
        {"order kept", {60, 100, 80}, {0, 0, 209, 30}, {60, 70, 70}},
        {"all equal share the room", {100, 100, 100}, {0, 0, 209, 30}, {66, 66, 66}},
        {"two widest equal", {100, 100, 60}, {0, 0, 209, 30}, {70, 70, 60}},
        {"down to the smallest, then shared", {100, 80, 60}, {0, 0, 129, 30}, {40, 40, 40}},
        {"one tab takes the room", {100}, {0, 0, 59, 30}, {50}},
        {"client left counts in the room", {100, 80, 60}, {10, 0, 219, 30}, {70, 70, 60}},
        {"no room at all", {100, 80}, {0, 0, 5, 30}, {0, 0}},
        {"one tab and no room", {100}, {0, 0, 0, 30}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPTabsArray tabs = TabsOfWidths(c.widths);
        FitTabWidths(tabs, c.client);
        int32_t x = 4;  // the strip starts 4 pixels in, whatever the client's left
        for (size_t i = 0; i < tabs.size(); ++i) {
            EXPECT_EQ(x, tabs[i].rect.left) << i;
            EXPECT_EQ(c.want[i], tabs[i].rect.right - tabs[i].rect.left) << i;
            x = tabs[i].rect.right;
        }
    }
    CDPTabsArray none;
    FitTabWidths(none, DockRect{0, 0, 0, 0});
    EXPECT_TRUE(none.empty());
}

// A group of one pane placed in a splitter: caption on, no tabs.
struct GroupFixture {
    CDPLayout layout;
    CDP* pane;
    CDPTabbedContainer* group;
    CDPColorTable colors;
    std::unique_ptr<CDPPaintManager> theme;

    GroupFixture() {
        pane = layout.AddPane(1, DockRect{0, 0, 200, 100}, DP_DOCK_LEFT, nullptr);
        pane->SetTitles(u"Device Tree", u"Devices");
        group = pane->Group();
        colors.Update(SysColors().c, 32);
        theme = CreateDockTheme(1, colors);
        theme->SetMetrics(DockMetrics{17, 24});
    }
    DP_TAB Tab(CDP* p, int32_t left, int32_t right, bool active, const void* icon = nullptr) const {
        DP_TAB tab;
        std::memcpy(tab.text, p->ShortTitle(), sizeof tab.text);
        tab.rect = DockRect{left, 0, right, 20};
        tab.pane = p;
        tab.active = active;
        tab.icon = icon;
        return tab;
    }
};

TEST(DockCaption, CloseButtonAndTitle) {
    struct Case {
        const char* name;
        uint8_t flags;
        bool active;
        uint8_t buttonFlags;
        DockRect button;
        int32_t textRight;
    };
    const Case cases[] = {
        {"closable pane", 0, true, DP_BUTTON_CLOSE, {183, 4, 196, 17}, 181},
        {"pane that cannot be closed", DP_PANE_NO_CLOSE, true, DP_BUTTON_CLOSE, {}, 197},
        {"flag value 1 changes nothing", 1, true, DP_BUTTON_CLOSE, {183, 4, 196, 17}, 181},
        {"no active pane", 0, false, DP_BUTTON_CLOSE, {}, 0},
        {"hot button", 0, true, DP_BUTTON_CLOSE | DP_BUTTON_HOT, {183, 4, 196, 17}, 181},
        {"pressed button", 0, true, DP_BUTTON_CLOSE | DP_BUTTON_PRESSED, {183, 4, 196, 17}, 181},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GroupFixture f;
        f.pane->SetFlags(c.flags);
        if (!c.active) f.layout.HidePane(f.pane);  // an empty group
        f.group->closeButton.flags = c.buttonFlags;
        RasterCanvas canvas(200, 100);
        const DockRect client{0, 0, 200, 100};
        f.theme->DrawCaption(canvas, *f.group, client);

        EXPECT_EQ(c.button, f.group->closeButton.rect);
        // The band and its outlines.
        EXPECT_EQ(kFace, canvas.At(100, 10));
        EXPECT_EQ(kShadow, canvas.At(100, 0));
        EXPECT_EQ(kWindow, canvas.At(100, 1));
        EXPECT_EQ(kShadow, canvas.At(100, 19));
        EXPECT_EQ(RasterCanvas::kUnpainted, canvas.At(100, 21));
        // The cross, shifted by one pixel when pressed.
        const bool button = !c.button.IsEmpty();
        const int32_t shift = (c.buttonFlags & DP_BUTTON_PRESSED) ? 1 : 0;
        EXPECT_EQ(button, canvas.At(186 + shift, 7 + shift) == kText);
        EXPECT_EQ(button, canvas.At(189 + shift, 10 + shift) == kText);
        EXPECT_EQ(button, canvas.At(190 + shift, 9 + shift) == kText);
        if (c.buttonFlags & DP_BUTTON_HOT) {
            EXPECT_EQ(kHighlight, canvas.At(183, 4));
            EXPECT_EQ(kText, canvas.At(195, 16));
        } else if (c.buttonFlags & DP_BUTTON_PRESSED) {
            EXPECT_EQ(kText, canvas.At(183, 4));
            EXPECT_EQ(kHighlight, canvas.At(195, 16));
        } else if (button) {
            EXPECT_EQ(kFace, canvas.At(183, 4));
        }
        if (c.active) {
            ASSERT_EQ(1u, canvas.texts.size());
            EXPECT_EQ(u"Device Tree", canvas.texts[0].text);
            EXPECT_EQ(DockFont::Caption, canvas.texts[0].font);
            EXPECT_EQ((DockRect{4, 3, c.textRight, 18}), canvas.texts[0].rect);
            EXPECT_EQ(kText, canvas.texts[0].color);
        } else {
            EXPECT_TRUE(canvas.texts.empty());
        }
    }
}

TEST(DockTabs, StripSeparatorsAndContent) {
    GroupFixture f;
    CDP* second = f.layout.Make<CDP>(2);
    CDP* third = f.layout.Make<CDP>(3);
    CDP* fourth = f.layout.Make<CDP>(4);
    second->SetTitles(u"Request", u"Req");
    const int iconHandle = 7;
    struct Case {
        const char* name;
        int active;  // index of the active tab, -1 for none
        std::vector<int32_t> separators;
    };
    // Tabs at 4-64, 64-124, 124-184 and a narrow one at 184-199.
    const Case cases[] = {
        {"first active", 0, {124, 184, 199}},
        {"second active: no separator between the first two", 1, {4, 184, 199}},
        {"none active", -1, {4, 64, 124, 184, 199}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPTabsArray tabs = {
            f.Tab(f.pane, 4, 64, c.active == 0),
            f.Tab(second, 64, 124, c.active == 1),
            f.Tab(third, 124, 184, c.active == 2, &iconHandle),
            f.Tab(fourth, 184, 199, c.active == 3),
        };
        RasterCanvas canvas(300, 100);
        f.theme->DrawTabs(canvas, tabs, DockRect{0, 0, 300, 100});

        const uint32_t strip = f.colors.Get(DP_COLOR_TAB_STRIP);
        const uint32_t separator = f.colors.Get(DP_COLOR_TAB_SEPARATOR);
        const uint32_t lit = f.colors.Get(DP_COLOR_ACTIVE_TAB);
        // The strip: 2 pixels below the top of the last 24, 1 pixel in.
        EXPECT_EQ(strip, canvas.At(250, 78));
        EXPECT_EQ(RasterCanvas::kUnpainted, canvas.At(250, 77));
        EXPECT_EQ(RasterCanvas::kUnpainted, canvas.At(250, 99));
        EXPECT_EQ(RasterCanvas::kUnpainted, canvas.At(0, 85));
        for (const DP_TAB& tab : tabs) {
            EXPECT_EQ(78, tab.rect.top);
            EXPECT_EQ(99, tab.rect.bottom);
        }
        // Separators: a shadow line and a light one beside it, 2 pixels
        // short of the strip's edges.
        for (int32_t x = 0; x < 300; ++x) {
            const bool want = std::find(c.separators.begin(), c.separators.end(), x) != c.separators.end();
            const bool inActive = c.active >= 0 && x >= tabs[size_t(c.active)].rect.left &&
                                  x < tabs[size_t(c.active)].rect.right;
            if (inActive) continue;
            EXPECT_EQ(want, canvas.At(x, 85) == separator) << x;
            if (want) {
                EXPECT_EQ(lit, canvas.At(x + 1, 85)) << x;
                EXPECT_EQ(separator, canvas.At(x, 80)) << x;
                EXPECT_EQ(strip, canvas.At(x, 79)) << x;
                EXPECT_EQ(strip, canvas.At(x, 97)) << x;
            }
        }
        if (c.active >= 0) {
            const DockRect& r = tabs[size_t(c.active)].rect;
            EXPECT_EQ(lit, canvas.At(r.left + 10, 88));
            EXPECT_EQ(kShadow, canvas.At(r.left, 88));
            EXPECT_EQ(kShadow, canvas.At(r.right - 1, 88));
            EXPECT_EQ(kShadow, canvas.At(r.left + 10, 78));
            EXPECT_EQ(kShadow, canvas.At(r.left + 10, 98));
        }
        // Text for the three wide tabs only; the icon moves the third one's
        // text right by 16.
        ASSERT_EQ(3u, canvas.texts.size());
        EXPECT_EQ((DockRect{10, 78, 58, 99}), canvas.texts[0].rect);
        EXPECT_EQ(u"Req", canvas.texts[1].text);
        EXPECT_EQ((DockRect{146, 78, 178, 99}), canvas.texts[2].rect);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(DockFont::Tab, canvas.texts[i].font);
            EXPECT_EQ(int(i) == c.active ? kText : f.colors.Get(DP_COLOR_INACTIVE_TAB_TEXT), canvas.texts[i].color);
        }
        ASSERT_EQ(1u, canvas.icons.size());
        EXPECT_EQ(&iconHandle, canvas.icons[0].icon);
        EXPECT_EQ(127, canvas.icons[0].x);
        EXPECT_EQ(81, canvas.icons[0].y);
    }
}

TEST(DockFrame, EtchedOutlineAboveTheStrip) {
    for (bool tabs : {false, true}) {
        SCOPED_TRACE(tabs);
        GroupFixture f;
        if (tabs) f.group->AddTab(f.layout.Make<CDP>(2));
        const DockRect client{0, 0, 200, 100};
        f.group->SetRect(client, f.theme->Metrics());
        ASSERT_EQ(tabs, f.group->HasTabs());
        f.group->tabs = {f.Tab(f.pane, 4, 64, false)};
        RasterCanvas canvas(200, 100);
        f.theme->DrawFrame(canvas, *f.group, client);

        const int32_t bottom = tabs ? 76 : 100;  // the outline leaves the strip out
        EXPECT_EQ(kFace, canvas.At(100, 50));
        EXPECT_EQ(kHighlight, canvas.At(199, 50));
        EXPECT_EQ(kShadow, canvas.At(198, 50));
        EXPECT_EQ(kHighlight, canvas.At(100, bottom - 1));
        EXPECT_EQ(kShadow, canvas.At(100, bottom - 2));
        EXPECT_EQ(kShadow, canvas.At(0, 50));
        // Caption drawn, tab strip only with more than one pane.
        EXPECT_EQ(kWindow, canvas.At(100, 1));
        EXPECT_EQ(tabs ? f.colors.Get(DP_COLOR_TAB_SEPARATOR) : kFace, canvas.At(4, 85));
        EXPECT_EQ(tabs ? 2u : 1u, canvas.texts.size());
    }
}

} // namespace
