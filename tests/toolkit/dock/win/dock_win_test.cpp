// The Windows side of the dock model: the theme painting real group windows
// with the system's fonts and colours (a screenshot is saved as
// dock_groups.bmp beside the test), the halftone brush, and screen sets in
// the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Gdi.h"
#include "tests/toolkit/dock/DockTestUtil.h"
#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/DockPaint.h"
#include "toolkit/dock/ScreenSetBlob.h"
#include "toolkit/dock/win/DockManager.h"
#include "toolkit/dock/win/DockPaintWin.h"
#include "toolkit/dock/win/ScreenSetRegistry.h"

using namespace brx;
using namespace brx::test;

namespace {

// ---- A 32-bit top-down picture of a window, and its file.

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB

    COLORREF At(int x, int y) const {
        const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, COLORREF c) const {
        int n = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) n += At(x, y) == c;
        return n;
    }
    bool SaveBmp(const std::string& path) const {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + DWORD(pixels.size() * 4);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info, sizeof info, 1, f);
        // GDI leaves the alpha byte 0 where it draws: write the picture opaque.
        for (uint32_t p : pixels) {
            const uint32_t opaque = p | 0xFF000000u;
            std::fwrite(&opaque, 4, 1, f);
        }
        return std::fclose(f) == 0;
    }
};

// What the window shows on the screen.
Picture Capture(HWND wnd) {
    RECT rc{};
    ::GetClientRect(wnd, &rc);
    Picture pic;
    pic.width = rc.right;
    pic.height = rc.bottom;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = pic.width;
    bmi.bmiHeader.biHeight = -pic.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(wnd);
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, pic.width, pic.height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    pic.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(pic.width) * pic.height);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::DeleteObject(dib);
    ::ReleaseDC(wnd, screen);
    return pic;
}

void PumpMessages() {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

// ---- Group windows painted by the theme.

struct Painter {
    CDPSystemGdi system;
    CDPColorTable colors;
    std::unique_ptr<CDPPaintManager> theme = CreateDockTheme(1, colors);
    Painter() { theme->UpdateMetrics(system); }
};

class CGroupsFrame : public CFrameWnd {
public:
    CGroupsFrame() { m_bAutoDelete = false; }
    ~CGroupsFrame() override { DestroyWindow(); }
};

TEST(DockPaintWin, MetricsAndColoursFromTheSystem) {
    Painter painter;
    ASSERT_NE(nullptr, painter.system.Font(DockFont::Caption));
    ASSERT_NE(nullptr, painter.system.Font(DockFont::Tab));
    const int32_t blank = painter.system.BlankHeight(DockFont::Tab);
    EXPECT_GT(blank, 0);
    EXPECT_EQ(painter.system.BlankHeight(DockFont::Caption) + 4, painter.theme->Metrics().captionHeight);
    EXPECT_EQ(std::max(blank + 10, 24), painter.theme->Metrics().tabHeight);
    for (int i = 1; i <= 27; ++i) {
        if (i == COLOR_3DLIGHT) continue;
        EXPECT_EQ(::GetSysColor(i), painter.colors.Get(uint32_t(i))) << i;
    }
    // The test display has more than 256 colours: the active tab is the
    // face lightened.
    EXPECT_GT(painter.system.DesktopBitsPerPixel(), 8);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (face != RGB(255, 255, 255)) {
        EXPECT_NE(face, painter.colors.Get(DP_COLOR_ACTIVE_TAB));
    }
    // The 3D light is the face a little lighter.
    const auto up = [](BYTE c) { return BYTE(c + 15 > 255 ? 255 : c + 15); };
    EXPECT_EQ(RGB(up(GetRValue(face)), up(GetGValue(face)), up(GetBValue(face))), painter.colors.Get(COLOR_3DLIGHT));
}

TEST(DockPaintWin, GroupWindowsPaintedByTheTheme) {
    // The docking manager's own group windows in a frame: they build their
    // tab records and paint them with the theme.
    CGroupsFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, L"", WS_POPUP | WS_CLIPCHILDREN, RECT{20, 20, 640, 220}));
    CDPManager manager;
    manager.Create(&frame);
    manager.SetTheme(1);
    const HICON icon = static_cast<HICON>(
        ::LoadImageW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION), IMAGE_ICON, 16, 16, LR_SHARED));
    for (UINT id : {1u, 2u, 3u}) manager.SetPaneIcon(id, icon);

    // Group A: three panes with icons, the second active. Group B: one pane
    // that cannot be closed.
    CDP* tree = manager.AddPane(1, RECT{0, 0, 380, 180}, DP_DOCK_LEFT, nullptr);
    CDP* stack = manager.AddPane(4, RECT{0, 0, 220, 180}, DP_DOCK_RIGHT, nullptr);
    CDPLayout& layout = *manager.GetLayout();
    CDP* request = layout.Make<CDP>(2);
    CDP* raw = layout.Make<CDP>(3);
    tree->SetTitles(u"Device Tree", u"Devices");
    request->SetTitles(u"Request Details of the selected record", u"Request");
    raw->SetTitles(u"Raw Data", u"");
    stack->SetTitles(u"Device Stack", u"Stack");
    stack->SetFlags(DP_PANE_NO_CLOSE);
    CDPTabbedContainer* groupA = tree->Group();
    CDPTabbedContainer* groupB = stack->Group();
    groupA->AddTab(request);
    groupA->AddTab(raw);
    groupA->SetActivePane(request, false);
    frame.ShowWindow(SW_SHOWNOACTIVATE);
    frame.RecalcLayout();
    PumpMessages();
    CDPGroupWnd* windowA = CDPManager::GroupWindow(groupA);
    CDPGroupWnd* windowB = CDPManager::GroupWindow(groupB);
    ASSERT_NE(nullptr, windowA);
    ASSERT_NE(nullptr, windowB);
    ASSERT_TRUE(groupA->HasTabs());
    ASSERT_FALSE(groupB->HasTabs());
    ASSERT_TRUE(groupA->HasCaption());
    ASSERT_EQ(3u, groupA->tabs.size());

    ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    const Picture a = Capture(*windowA);
    const Picture b = Capture(*windowB);
    const Picture all = Capture(frame);
    EXPECT_TRUE(all.SaveBmp(std::string(BRX_TEST_OUTPUT_DIR) + "/dock_groups.bmp"));
    const DockMetrics& m = manager.Theme()->Metrics();
    const CDPColorTable& colors = DockColorTable();

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    // Group A: the close button's cross where the theme put the button, the
    // title in the caption, the etched outline above the strip.
    const DockRect button = groupA->closeButton.rect;
    ASSERT_FALSE(button.IsEmpty());
    EXPECT_EQ(a.width - 17, button.left);
    EXPECT_EQ(text, a.At(button.left + 3, button.top + 3));
    EXPECT_EQ(text, a.At(button.left + 6, button.top + 6));
    EXPECT_EQ(face, a.At(button.left + 6, button.top + 2));
    EXPECT_GT(a.Count(RECT{4, 3, 200, m.captionHeight + 1}, text), 20);  // the title's letters
    const int outlineBottom = a.height - m.tabHeight;
    EXPECT_EQ(light, a.At(a.width - 1, 60));
    EXPECT_EQ(shadow, a.At(a.width - 2, 60));
    EXPECT_EQ(light, a.At(60, outlineBottom - 1));
    EXPECT_EQ(shadow, a.At(60, outlineBottom - 2));
    // The strip, the active tab and its letters, the separators.
    const int stripTop = a.height - m.tabHeight + 2;
    EXPECT_EQ(colors.Get(DP_COLOR_TAB_STRIP), a.At(a.width - 4, stripTop + 4));
    const DP_TAB& active = groupA->tabs[1];
    ASSERT_TRUE(active.active);
    EXPECT_EQ(stripTop, active.rect.top);
    EXPECT_EQ(colors.Get(DP_COLOR_ACTIVE_TAB), a.At(active.rect.left + 1, active.rect.top + 1));
    EXPECT_EQ(shadow, a.At(active.rect.left, active.rect.top + 5));
    EXPECT_GT(a.Count(RECT{active.rect.left + 22, active.rect.top, active.rect.right - 6, active.rect.bottom}, text), 10);
    EXPECT_EQ(colors.Get(DP_COLOR_TAB_SEPARATOR), a.At(groupA->tabs[0].rect.left, stripTop + 6));
    EXPECT_EQ(colors.Get(DP_COLOR_TAB_SEPARATOR), a.At(groupA->tabs[2].rect.right, stripTop + 6));
    // An empty short title still gets a tab: 10 + 28 pixels.
    EXPECT_EQ(38, groupA->tabs[2].rect.right - groupA->tabs[2].rect.left);

    // Group B: no close button, no strip, outline to the bottom.
    EXPECT_TRUE(groupB->closeButton.rect.IsEmpty());
    EXPECT_EQ(0, b.Count(RECT{b.width - 20, 2, b.width - 3, m.captionHeight + 1}, text));
    EXPECT_EQ(light, b.At(60, b.height - 1));
    EXPECT_EQ(face, b.At(60, b.height - 10));

    manager.ResetLayout();
}

TEST(DockPaintWin, HalftoneBrushIsACheckerboard) {
    HBRUSH brush = CreateHalftoneBrush();
    ASSERT_NE(nullptr, brush);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = 8;
    bmi.bmiHeader.biHeight = -8;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC mem = ::CreateCompatibleDC(nullptr);
    HBITMAP dib = ::CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(mem, dib);
    ::SetTextColor(mem, RGB(0, 0, 0));
    ::SetBkColor(mem, RGB(255, 255, 255));
    HGDIOBJ oldBrush = ::SelectObject(mem, brush);
    ::PatBlt(mem, 0, 0, 8, 8, PATCOPY);
    ::GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    const uint32_t even = px[0] & 0xFFFFFF;
    const uint32_t odd = px[1] & 0xFFFFFF;
    EXPECT_NE(even, odd);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ((x + y) % 2 ? odd : even, px[y * 8 + x] & 0xFFFFFF) << x << "," << y;
    ::SelectObject(mem, oldBrush);
    ::SelectObject(mem, oldBitmap);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::DeleteObject(brush);
}

// ---- Screen sets in the registry.

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                   &key_, nullptr));
    }
    void TearDown() override {
        if (key_) ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    void SetBinary(const wchar_t* name, const Bytes& data, DWORD type = REG_BINARY) {
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegSetValueExW(key_, name, 0, type, data.empty() ? nullptr : data.data(), DWORD(data.size())));
    }
    static constexpr const wchar_t* kKey = L"Software\\BrindlexDockTest\\ScreenSets";
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ScreenSetSavedAndLoadedBack) {
    CDPLayout layout;
    ASSERT_TRUE(layout.Load(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, ScreenSetRulesForThisScreen()));
    // A subkey of the value's name goes first.
    HKEY sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(key_, L"ScreenSet1", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    ::RegCloseKey(sub);
    ASSERT_TRUE(SaveLayoutToRegistry(layout, key_, L"ScreenSet1"));
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(key_, L"ScreenSet1", 0, KEY_READ, &sub));

    DWORD type = 0;
    Bytes stored(1000);
    DWORD size = DWORD(stored.size());
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key_, L"ScreenSet1", nullptr, &type, stored.data(), &size));
    stored.resize(size);
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(DefaultBlob(), stored);

    CDPLayout back;
    back.AddPane(1, DockRect{0, 0, 10, 10}, DP_DOCK_LEFT, nullptr);
    ASSERT_TRUE(LoadLayoutFromRegistry(back, key_, L"ScreenSet1"));
    EXPECT_EQ(DescribeLayout(layout), DescribeLayout(back));
}

TEST_F(RegistryTest, UnusableValuesAreRefused) {
    Bytes damaged = DefaultBlob();
    damaged[RecordOffset(damaged, 11) + 2] = 3;
    Bytes tooLong = DefaultBlob();
    tooLong.resize(DP_BLOB_MAX + 1, 0);
    SetBinary(L"Damaged", damaged);
    SetBinary(L"Empty", Bytes{});
    SetBinary(L"TooLong", tooLong);
    SetBinary(L"Dword", Bytes{1, 0, 0, 0}, REG_DWORD);
    SetBinary(L"Text", Bytes{'a', 0, 0, 0}, REG_SZ);
    for (const wchar_t* name : {L"Missing", L"Damaged", L"Empty", L"TooLong", L"Dword", L"Text"}) {
        CDPLayout layout;
        layout.AddPane(7, DockRect{0, 0, 10, 10}, DP_DOCK_LEFT, nullptr);
        EXPECT_FALSE(LoadLayoutFromRegistry(layout, key_, name));
        EXPECT_EQ("row[tab(7*) ph]", DescribeLayout(layout));
    }
    // Trailing bytes within the limit are no reason to refuse.
    Bytes padded = DefaultBlob();
    padded.resize(DP_BLOB_MAX, 0);
    SetBinary(L"Padded", padded);
    CDPLayout layout;
    EXPECT_TRUE(LoadLayoutFromRegistry(layout, key_, L"Padded"));
}

} // namespace
