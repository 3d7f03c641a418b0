// The toolkit application: UxTheme bound for version class 6 only, the menu
// settings read per version class and again on WM_SETTINGCHANGE, menu images
// marked on popups (MNS_CHECKORBMP, own bitmaps, one level of submenus) and
// drawn (normal and grayed silhouette), popups tracked for a frame, and the
// window placement written on close.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/bars_test_ids.h"
#include "toolkit/bars/win/FrameWndEx.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx {
namespace {

constexpr UINT kOpen = 0x7501, kCapture = 0x7502, kAbout = 0x7503, kPlain = 0x7504, kOwnBitmap = 0x7505;

// Binding as the application does, for any version class.
struct ThemeBinder : CWinAppEx {
    using CWinAppEx::BindThemeFunctions;
};

class WinAppExTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool added = false;
        if (!added) {
            ASSERT_TRUE(test::App().AddMenuImages({{kOpen, 0}, {kCapture, 1}, {kAbout, 2}}, IDB_BARS_SMALL,
                                                  RGB(255, 0, 255)));
            added = true;
        }
    }
};

TEST_F(WinAppExTest, ThemeFunctionsAreBoundForVersionClassSixOnly) {
    struct Case {
        int versionClass;
        bool bound;
    };
    const Case cases[] = {{0, false}, {4, false}, {5, false}, {6, true}, {7, false}};
    for (const Case& c : cases) {
        HMODULE module = nullptr;
        ThemeBinder::BindThemeFunctions(c.versionClass, module);
        EXPECT_EQ(CWinAppEx::AreThemeFunctionsBound(), c.bound) << c.versionClass;
        if (!c.bound) {
            // Unbound wrappers answer as "no theme".
            EXPECT_FALSE(CWinAppEx::IsThemeActive());
            EXPECT_EQ(CWinAppEx::OpenThemeData(nullptr, L"Window"), nullptr);
            EXPECT_EQ(CWinAppEx::SetWindowTheme(nullptr, nullptr, nullptr), 0);
        }
        if (module) ::FreeLibrary(module);
    }
    HMODULE module = nullptr;
    ThemeBinder::BindThemeFunctions(test::App().GetVersionClass(), module);
    if (module) ::FreeLibrary(module);
}

using test::ScopedSetting;

TEST_F(WinAppExTest, MenuSettingsFollowTheVersionClass) {
    ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
    ScopedSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, TRUE);
    ScopedSetting cues(SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES, TRUE);
    struct Case {
        int versionClass;
        bool effects, flat;
    };
    const Case cases[] = {{4, false, false}, {5, true, false}, {6, true, true}, {7, true, false}};
    for (const Case& c : cases) {
        NONCLIENTMETRICSW metrics{};
        MenuEffectSettings settings;
        ReadMenuSettings(c.versionClass, metrics, settings);
        EXPECT_NE(metrics.lfMenuFont.lfHeight, 0) << c.versionClass; // the metrics are read for every class
        EXPECT_EQ(settings.uiEffects != 0, c.effects) << c.versionClass;
        EXPECT_EQ(settings.KeyboardCues(), c.effects) << c.versionClass;
        EXPECT_EQ(settings.FlatMenu(), c.flat) << c.versionClass;
    }
}

TEST_F(WinAppExTest, SettingChangeRereadsTheMenuSettings) {
    CWinAppEx& app = test::App();
    if (app.GetVersionClass() < 5) GTEST_SKIP() << "no menu effects below version class 5";
    CFrameWndEx frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.Create(nullptr, L"Settings", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    {
        ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
        ScopedSetting cues(SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES, TRUE);
        frame.SendMessage(WM_SETTINGCHANGE, SPI_SETKEYBOARDCUES, 0);
        EXPECT_TRUE(app.IsKeyboardCues());
        ScopedSetting off(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, FALSE);
        frame.SendMessage(WM_SETTINGCHANGE, SPI_SETUIEFFECTS, 0);
        EXPECT_FALSE(app.IsKeyboardCues()); // the UI effects switch every effect off
    }
    frame.DestroyWindow();
    app.UpdateMenuSettings();
}

MENUITEMINFOW BitmapOf(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_BITMAP;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info;
}

bool CheckOrBitmap(HMENU menu) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_STYLE;
    ::GetMenuInfo(menu, &info);
    return (info.dwStyle & MNS_CHECKORBMP) != 0;
}

TEST_F(WinAppExTest, MenuImagesAndTheCheckOrBitmapStyle) {
    CWinAppEx& app = test::App();
    ASSERT_TRUE(app.HasBitmapMenus());
    EXPECT_EQ(app.GetMenuImage(kOpen), app.GetMenuImage(kCapture) - 1);
    EXPECT_EQ(app.GetMenuImage(kPlain), -1);
    EXPECT_GE(app.GetMenuImageList().GetImageCount(), 4);

    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, kOpen, L"&Open");
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(popup, MF_STRING, kPlain, L"&Plain");
    app.SetMenuImages(popup, false);
    EXPECT_EQ(BitmapOf(popup, 0).hbmpItem, HBMMENU_CALLBACK);
    EXPECT_EQ(BitmapOf(popup, 2).hbmpItem, nullptr);
    EXPECT_TRUE(CheckOrBitmap(popup));

    // A checked item with an image keeps the separate check column.
    ::CheckMenuItem(popup, kOpen, MF_BYCOMMAND | MF_CHECKED);
    app.SetMenuImages(popup, false);
    EXPECT_FALSE(CheckOrBitmap(popup));

    // An item with a bitmap of its own keeps it and counts as an image.
    HMENU own = ::CreatePopupMenu();
    ::AppendMenuW(own, MF_STRING, kPlain, L"Plain");
    ::AppendMenuW(own, MF_STRING, kOwnBitmap, L"Own");
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = HBMMENU_POPUP_CLOSE;
    ::SetMenuItemInfoW(own, kOwnBitmap, FALSE, &info);
    app.SetMenuImages(own, false);
    EXPECT_EQ(BitmapOf(own, 1).hbmpItem, HBMMENU_POPUP_CLOSE);
    EXPECT_TRUE(CheckOrBitmap(own));
    ::DestroyMenu(own);

    // A popup without images loses the style.
    HMENU plain = ::CreatePopupMenu();
    ::AppendMenuW(plain, MF_STRING, kPlain, L"Plain");
    app.SetMenuImages(plain, false);
    EXPECT_FALSE(CheckOrBitmap(plain));
    ::DestroyMenu(plain);
    ::DestroyMenu(popup);
}

TEST_F(WinAppExTest, RecursiveMarkingGoesOneLevelDown) {
    CWinAppEx& app = test::App();
    HMENU deep = ::CreatePopupMenu();
    ::AppendMenuW(deep, MF_STRING, kAbout, L"About");
    HMENU sub = ::CreatePopupMenu();
    ::AppendMenuW(sub, MF_STRING, kCapture, L"Capture");
    ::AppendMenuW(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(deep), L"Deep");
    HMENU top = ::CreatePopupMenu();
    ::AppendMenuW(top, MF_STRING, kOpen, L"Open");
    ::AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Sub");
    app.SetMenuImages(top, false);
    EXPECT_EQ(BitmapOf(sub, 0).hbmpItem, nullptr); // not recursive: the submenu is untouched
    app.SetMenuImages(top, true);
    EXPECT_EQ(BitmapOf(top, 0).hbmpItem, HBMMENU_CALLBACK);
    EXPECT_EQ(BitmapOf(sub, 0).hbmpItem, HBMMENU_CALLBACK);
    EXPECT_TRUE(CheckOrBitmap(sub));
    EXPECT_EQ(BitmapOf(deep, 0).hbmpItem, nullptr); // two levels down: not marked
    ::DestroyMenu(top);
}

// Draws one menu image into a white 40x24 bitmap and returns its pixels.
std::vector<COLORREF> DrawItem(UINT id, UINT state, COLORREF text, COLORREF back) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 40, 24);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 40, 24};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = id;
    draw.itemState = state;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, 20, 24};
    EXPECT_TRUE(test::App().DrawMenuImage(draw));
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) pixels.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(WinAppExTest, MenuImagesAreMeasuredAndDrawn) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = kOpen;
    ASSERT_TRUE(test::App().MeasureMenuImage(measure));
    EXPECT_EQ(measure.itemWidth, 20u);
    EXPECT_EQ(measure.itemHeight, 16u);
    measure.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(test::App().MeasureMenuImage(measure)); // not a menu: the framework's
    // The frame answers the menu's own WM_MEASUREITEM with it.
    CFrameWndEx frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.Create(nullptr, L"Measure", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100)));
    MEASUREITEMSTRUCT fromMenu{};
    fromMenu.CtlType = ODT_MENU;
    fromMenu.itemID = kOpen;
    EXPECT_EQ(frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&fromMenu)), TRUE);
    EXPECT_EQ(fromMenu.itemWidth, 20u);
    frame.DestroyWindow();

    // The capture image (a red disc) is centred vertically at the left edge:
    // rows 4..19 of the 24-pixel item.
    // The list has 8-bit colours: the red comes out near the bitmap's.
    std::vector<COLORREF> normal = DrawItem(kCapture, 0, RGB(0, 0, 0), RGB(255, 255, 255));
    COLORREF red = normal[12 * 40 + 8];
    EXPECT_GT(GetRValue(red), 180);
    EXPECT_LT(GetGValue(red), 80);
    EXPECT_LT(GetBValue(red), 80);
    EXPECT_EQ(normal[2 * 40 + 8], RGB(255, 255, 255));  // above the image
    EXPECT_EQ(normal[12 * 40 + 30], RGB(255, 255, 255)); // right of it
    EXPECT_EQ(normal[4 * 40 + 0], RGB(255, 255, 255));  // the mask colour is transparent

    // Grayed: the silhouette in the DC's text colour over its background colour.
    const COLORREF text = RGB(128, 128, 128), back = RGB(0, 0, 255);
    std::vector<COLORREF> grayed = DrawItem(kCapture, ODS_GRAYED, text, back);
    EXPECT_EQ(grayed[12 * 40 + 8], text);
    EXPECT_EQ(grayed[4 * 40 + 0], back);
    for (int y = 4; y < 20; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF c = grayed[static_cast<size_t>(y * 40 + x)];
            EXPECT_TRUE(c == text || c == back) << x << "," << y;
        }
    // A command without an image draws nothing.
    std::vector<COLORREF> none = DrawItem(kPlain, 0, RGB(0, 0, 0), RGB(255, 255, 255));
    for (COLORREF c : none) ASSERT_EQ(c, RGB(255, 255, 255));
}

class CTrackFrame : public CFrameWndEx {
public:
    CTrackFrame() { m_bAutoDelete = false; }
    ~CTrackFrame() override { DestroyWindow(); }
    bool OnUpdateCommand(CCmdUI& ui) override {
        if (ui.m_nID == kOpen) {
            ui.Enable(false);
            return true;
        }
        if (ui.m_nID == kCapture) {
            ui.Enable(true);
            ui.SetCheck(1);
            return true;
        }
        return CFrameWndEx::OnUpdateCommand(ui);
    }
};

UINT g_stateOpen = 0, g_stateCapture = 0;
HMENU g_tracked = nullptr;
void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_stateOpen = ::GetMenuState(g_tracked, kOpen, MF_BYCOMMAND);
    g_stateCapture = ::GetMenuState(g_tracked, kCapture, MF_BYCOMMAND);
    ::EndMenu();
}

TEST_F(WinAppExTest, FramePopupsAreFilledByTheFrameForAChildOwner) {
    CTrackFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, L"Track", WS_OVERLAPPEDWINDOW, CRect(20, 20, 400, 300)));
    test::Pump(); // hidden: the popup needs no shown owner
    g_tracked = ::CreatePopupMenu();
    ::AppendMenuW(g_tracked, MF_STRING, kOpen, L"Open");
    ::AppendMenuW(g_tracked, MF_STRING | MF_GRAYED, kCapture, L"Capture");
    g_stateOpen = g_stateCapture = 0xFFFF;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadAndClose);
    // The menu bar is a child of the rebar: its frame's handlers fill the popup.
    TrackFramePopupMenu(g_tracked, TPM_RETURNCMD, 60, 60, &frame.m_wndMenuBar, nullptr);
    ::KillTimer(nullptr, timer);
    EXPECT_NE(g_stateOpen & MF_GRAYED, 0u);
    EXPECT_EQ(g_stateCapture & MF_GRAYED, 0u);
    EXPECT_NE(g_stateCapture & MF_CHECKED, 0u);
    // Marked when it opened: the checked item keeps the check column.
    EXPECT_FALSE(CheckOrBitmap(g_tracked));
    ::DestroyMenu(g_tracked);
}

TEST_F(WinAppExTest, PlacementIsWrittenOnCloseOnlyWithASection) {
    CWinAppEx& app = test::App();
    const wchar_t* section = L"BarsTestFrame";
    app.WriteProfileString(section, L"FrameWndPlacement", nullptr);
    {
        auto* frame = new CFrameWndEx; // closing deletes it
        ASSERT_TRUE(frame->Create(nullptr, L"Placement", WS_OVERLAPPEDWINDOW, CRect(30, 40, 330, 240)));
        frame->SendMessage(WM_CLOSE);
    }
    std::vector<uint8_t> data;
    EXPECT_FALSE(app.GetProfileBinary(section, L"FrameWndPlacement", data));

    auto* frame = new CFrameWndEx;
    ASSERT_TRUE(frame->Create(nullptr, L"Placement", WS_OVERLAPPEDWINDOW, CRect(30, 40, 330, 240)));
    frame->m_strPlacementSection = section;
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(app.GetProfileBinary(section, L"FrameWndPlacement", data));
    ASSERT_EQ(data.size(), sizeof(WINDOWPLACEMENT));
    WINDOWPLACEMENT placement{};
    std::memcpy(&placement, data.data(), sizeof(placement));
    EXPECT_EQ(placement.length, sizeof(WINDOWPLACEMENT));
    EXPECT_EQ(placement.rcNormalPosition.left, 30);
    EXPECT_EQ(placement.rcNormalPosition.bottom, 240);
    app.WriteProfileString(section, L"FrameWndPlacement", nullptr);
}

} // namespace
} // namespace brx
