// The main toolbar and status bar in a host frame: the 23 slots with their
// images and styles, labels only on Start and Stop Capture, tooltips from the
// command strings; the fullness gauge in its pane; the progress control over
// pane 0 while an operation runs, and "Ready" back afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/res/frame_ids.h"
#include "tests/app/frame/win/FrameTestUtil.h"
#include "tests/capture/win/TestRegistry.h"

namespace brx {
namespace {

using test::CHostFrame;

const RECT kFrameRect{40, 40, 840, 300};

TBBUTTON ButtonAt(CToolBarEx& bar, int index) {
    TBBUTTON b{};
    bar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b));
    return b;
}

std::wstring Tip(CToolBarEx& bar, int id) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(bar.SendMessage(TB_GETTOOLTIPS));
    info.hdr.idFrom = static_cast<UINT_PTR>(id);
    info.hdr.code = TTN_GETDISPINFOW;
    info.lpszText = info.szText;
    bar.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
    if (info.lpszText && !IS_INTRESOURCE(info.lpszText)) return info.lpszText;
    return info.szText;
}

std::wstring ButtonText(CToolBarEx& bar, int id) {
    wchar_t text[128] = {};
    LRESULT n = bar.SendMessage(TB_GETBUTTONTEXTW, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
    return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

RECT PaneRect(CStatusBarEx& bar, int part) {
    RECT rc{};
    bar.SendMessage(SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&rc));
    return rc;
}

RECT ChildRect(HWND child) { return test::ChildRect(child); }

// What the screen shows in a window's client rectangle, read after Wine
// copied the drawing there.
struct ScreenPicture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels of the rectangle (client coordinates) whose colour is not `c`.
    int CountOther(const RECT& r, COLORREF c) const {
        int n = 0;
        for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, height); ++y)
            for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, width); ++x) n += At(x, y) != c;
        return n;
    }
};

ScreenPicture ReadScreen(HWND wnd) {
    test::FlushToScreen();
    ScreenPicture pic;
    RECT rc{};
    ::GetClientRect(wnd, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    pic.width = rc.right;
    pic.height = rc.bottom;
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = ::SelectObject(memory, dib);
        ::BitBlt(memory, 0, 0, pic.width, pic.height, screen, origin.x, origin.y, SRCCOPY);
        ::SelectObject(memory, old);
        ::GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (size_t i = 0, n = static_cast<size_t>(pic.width) * pic.height; i < n; ++i)
            pic.pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    }
    if (dib) ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pic;
}

TEST(MainToolBar, SlotsImagesAndStyles) {
    testing::TestRegistry registry;
    CHostFrame& frame = test::SharedFrame(kFrameRect);
    ASSERT_NE(frame.m_hWnd, nullptr);
    CToolBarMain& bar = frame.toolbar;
    ASSERT_EQ(bar.GetCount(), kMainToolBarButtons);
    struct Slot {
        int id;
        int image;
        BYTE style;
    };
    const Slot slots[kMainToolBarButtons] = {
        {ID_FILE_NEW, 5, BTNS_BUTTON},
        {ID_FILE_OPEN, 6, BTNS_BUTTON},
        {ID_FILE_SAVE, 7, BTNS_BUTTON},
        {0, 0, BTNS_SEP},
        {ID_CAPTURE_SETTINGS, 0, BTNS_BUTTON},
        {ID_CAPTURE_START, 1, BTNS_CHECKGROUP},
        {ID_CAPTURE_STOP, 2, BTNS_CHECKGROUP},
        {0, 0, BTNS_SEP},
        {ID_CAPTURE_CLEAR, 9, BTNS_BUTTON},
        {0, 0, BTNS_SEP},
        {ID_FILTER_SETTINGS, 3, BTNS_BUTTON},
        {ID_FILTER_APPLY, 4, BTNS_CHECK},
        {0, 0, BTNS_SEP},
        {ID_FIND_PREV, 10, BTNS_BUTTON},
        {ID_FIND, 11, BTNS_BUTTON},
        {ID_FIND_NEXT, 12, BTNS_BUTTON},
        {0, 0, BTNS_SEP},
        {ID_AUTO_SCROLL, 14, BTNS_CHECK},
        {0, 0, BTNS_SEP},
        {ID_SCREEN_SET_1, 15, BTNS_CHECKGROUP},
        {ID_SCREEN_SET_2, 16, BTNS_CHECKGROUP},
        {ID_SCREEN_SET_3, 17, BTNS_CHECKGROUP},
        {ID_SCREEN_SET_4, 18, BTNS_CHECKGROUP},
    };
    for (int i = 0; i < kMainToolBarButtons; ++i) {
        TBBUTTON b = ButtonAt(bar, i);
        const Slot& s = slots[i];
        if (s.style == BTNS_SEP) {
            EXPECT_NE(b.fsStyle & BTNS_SEP, 0) << i;
            continue;
        }
        EXPECT_EQ(b.idCommand, s.id) << i;
        EXPECT_EQ(b.iBitmap, s.image) << i;
        EXPECT_EQ(b.fsStyle & (BTNS_CHECK | BTNS_GROUP), s.style & (BTNS_CHECK | BTNS_GROUP)) << i;
        EXPECT_NE(b.fsState & TBSTATE_ENABLED, 0) << i;
    }
    // Both image strips hold the 19 button images and the 4 locked screen sets.
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(images), 23);
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_NE(bar.SendMessage(TB_GETHOTIMAGELIST), 0);
    EXPECT_EQ(bar.GetTextOption(), 1);
    EXPECT_EQ(bar.GetIconOption(), 0);
    bar.SetIconOptions(1);
    images = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
    ASSERT_NE(images, nullptr);
    ::ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 24);
    EXPECT_EQ(::ImageList_GetImageCount(images), 23);
}

TEST(MainToolBar, OnlyStartAndStopShowLabels) {
    testing::TestRegistry registry;
    CHostFrame& frame = test::SharedFrame(kFrameRect);
    ASSERT_NE(frame.m_hWnd, nullptr);
    CToolBarMain& bar = frame.toolbar;
    for (int i = 0; i < kMainToolBarButtons; ++i) {
        TBBUTTON b = ButtonAt(bar, i);
        if (b.fsStyle & BTNS_SEP) continue;
        const bool labelled = b.idCommand == ID_CAPTURE_START || b.idCommand == ID_CAPTURE_STOP;
        EXPECT_EQ((b.fsStyle & BTNS_SHOWTEXT) != 0, labelled) << b.idCommand;
        // A button without its label beside it says what it does in a tooltip.
        EXPECT_EQ(Tip(bar, b.idCommand).empty(), labelled) << b.idCommand;
    }
    EXPECT_EQ(ButtonText(bar, ID_CAPTURE_START), L"Start capture");
    EXPECT_EQ(ButtonText(bar, ID_CAPTURE_STOP), L"Stop capture");
    EXPECT_EQ(Tip(bar, ID_FILE_OPEN), L"Open");
    EXPECT_EQ(Tip(bar, ID_SCREEN_SET_3), L"Screen set 3");
    // Labelled buttons are wider than the image-only ones.
    RECT start{}, open{};
    bar.SendMessage(TB_GETRECT, ID_CAPTURE_START, reinterpret_cast<LPARAM>(&start));
    bar.SendMessage(TB_GETRECT, ID_FILE_OPEN, reinterpret_cast<LPARAM>(&open));
    EXPECT_GT(start.right - start.left, open.right - open.left + 20);
    // Every label under the images: every button has its text.
    bar.SetTextOption(0);
    EXPECT_EQ(ButtonText(bar, ID_FIND_NEXT), L"Find next");
}

TEST(StatusBarEx, PanesAndFullnessGauge) {
    testing::TestRegistry registry;
    CHostFrame& frame = test::SharedFrame(kFrameRect);
    ASSERT_NE(frame.m_hWnd, nullptr);
    CStatusBarEx& bar = frame.status;
    ASSERT_EQ(bar.GetCount(), 2);
    CStatusControlBar::_STATUSBAR_PANE pane;
    ASSERT_TRUE(bar.GetStatusPane(0, pane));
    EXPECT_EQ(pane.nID, 0u);
    EXPECT_NE(pane.nStyle & SBPS_STRETCH, 0u);
    ASSERT_TRUE(bar.GetStatusPane(1, pane));
    EXPECT_EQ(pane.nID, static_cast<UINT>(ID_INDICATOR_FULLNESS));
    EXPECT_EQ(pane.nStyle, static_cast<UINT>(SBPS_NOBORDERS));
    EXPECT_EQ(pane.cxText, 100);

    auto* gauge = bar.GetFullnessIndicator();
    ASSERT_NE(gauge, nullptr);
    EXPECT_TRUE(gauge->IsWindowVisible());
    // The gauge fills pane 1 (borderless), which reaches the bar's right.
    RECT part = PaneRect(bar, 1), rc = ChildRect(gauge->m_hWnd);
    EXPECT_EQ(rc.left, part.left);
    EXPECT_EQ(rc.top, part.top);
    EXPECT_GE(rc.right, part.right);
    EXPECT_EQ(part.right, bar.GetClientRect().right);
    EXPECT_GE(rc.right - rc.left, 100);
    RECT message = PaneRect(bar, 0);
    EXPECT_GT(message.right - message.left, 400); // the message pane stretches

    struct Case {
        int percent;
        int shown;
    } cases[] = {{0, 0}, {37, 37}, {100, 100}, {250, 100}};
    for (const Case& c : cases) {
        bar.SetFullness(c.percent);
        EXPECT_EQ(gauge->GetPos(), c.shown) << c.percent;
    }
    // Resizing moves the gauge with its pane.
    frame.SetWindowPos(nullptr, 0, 0, 600, 260, SWP_NOMOVE | SWP_NOZORDER);
    test::Pump();
    EXPECT_EQ(ChildRect(gauge->m_hWnd).left, PaneRect(bar, 1).left);
    EXPECT_EQ(PaneRect(bar, 1).right, bar.GetClientRect().right);
}

TEST(StatusBarEx, ProgressCoversPaneZeroWhileAnOperationRuns) {
    testing::TestRegistry registry;
    CHostFrame& frame = test::SharedFrame(kFrameRect);
    ASSERT_NE(frame.m_hWnd, nullptr);
    CStatusBarEx& bar = frame.status;
    CProgressCtrl& progress = bar.GetProgressCtrl();
    ASSERT_NE(progress.m_hWnd, nullptr);
    EXPECT_FALSE(progress.IsWindowVisible());
    EXPECT_EQ(progress.GetExStyle() & WS_EX_STATICEDGE, 0u);

    // 0 while hidden: only the position changes.
    progress.SetPos(40);
    bar.SetPaneText(0, L"Opening");
    bar.SetProgress(0);
    EXPECT_FALSE(progress.IsWindowVisible());
    EXPECT_EQ(progress.GetPos(), 0);
    EXPECT_EQ(bar.GetPaneText(0), L"Opening");

    bar.SetProgress(1);
    EXPECT_TRUE(progress.IsWindowVisible());
    EXPECT_EQ(progress.GetPos(), 1);
    EXPECT_TRUE(bar.GetPaneText(0).empty());
    RECT placed = ChildRect(progress.m_hWnd), part = PaneRect(bar, 0);
    EXPECT_TRUE(::EqualRect(&placed, &part));
    // A second value keeps the place; a resize moves it with pane 0.
    progress.SetWindowPos(nullptr, 3, 3, 50, 8, SWP_NOZORDER);
    bar.SetProgress(60);
    EXPECT_EQ(progress.GetPos(), 60);
    RECT kept = ChildRect(progress.m_hWnd);
    EXPECT_EQ(kept.left, 3);
    EXPECT_EQ(kept.right, 53);
    frame.SetWindowPos(nullptr, 0, 0, 640, 260, SWP_NOMOVE | SWP_NOZORDER);
    test::Pump();
    placed = ChildRect(progress.m_hWnd);
    part = PaneRect(bar, 0);
    EXPECT_TRUE(::EqualRect(&placed, &part));
    bar.SetProgress(100);
    ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "main_bars_progress.bmp"));

    // The end of the operation hides the control and brings back "Ready".
    bar.SetProgress(0);
    EXPECT_FALSE(progress.IsWindowVisible());
    test::Pump();
    EXPECT_EQ(bar.GetPaneText(0), L"Ready");
    CStatusControlBar::_STATUSBAR_PANE pane;
    ASSERT_TRUE(bar.GetStatusPane(0, pane));
    EXPECT_EQ(pane.nStyle, static_cast<UINT>(SBPS_STRETCH | SBPS_NOBORDERS));
}

TEST(MainToolBar, Screenshot) {
    testing::TestRegistry registry;
    CHostFrame& frame = test::SharedFrame(kFrameRect);
    ASSERT_NE(frame.m_hWnd, nullptr);
    frame.status.SetFullness(35);
    frame.toolbar.SendMessage(TB_CHECKBUTTON, ID_CAPTURE_STOP, TRUE);
    frame.toolbar.SendMessage(TB_CHECKBUTTON, ID_SCREEN_SET_1, TRUE);
    test::Pump();
    ::RedrawWindow(frame.m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "main_bars.bmp"));

    // What the screen shows: every button's image, the two labels, and the
    // gauge filled to about a third of its pane.
    CToolBarMain& bar = frame.toolbar;
    const ScreenPicture tools = ReadScreen(bar);
    ASSERT_GT(tools.width, 0);
    const COLORREF background = tools.At(tools.width - 2, tools.height / 2);  // beyond the last button
    for (int i = 0; i < kMainToolBarButtons; ++i) {
        const TBBUTTON b = ButtonAt(bar, i);
        if (b.fsStyle & BTNS_SEP) continue;
        RECT r{};
        bar.SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        const RECT image{r.left + 3, r.top + 3, r.left + 19, r.bottom - 3};
        EXPECT_GT(tools.CountOther(image, background), 20) << "no image on button " << b.idCommand;
    }
    for (int id : {ID_CAPTURE_START, ID_CAPTURE_STOP}) {
        RECT r{};
        bar.SendMessage(TB_GETRECT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&r));
        const RECT label{r.left + 24, r.top + 3, r.right - 3, r.bottom - 3};
        EXPECT_GT(tools.CountOther(label, background), 30) << "no label on button " << id;
    }
    const ScreenPicture status = ReadScreen(frame.status);
    const RECT gauge = PaneRect(frame.status, 1);
    const int y = (gauge.top + gauge.bottom) / 2;
    const int width = gauge.right - gauge.left;
    ASSERT_GT(width, 20);
    const COLORREF empty = status.At(gauge.right - 4, y);
    const int third = width * 3 / 10, half = width / 2;
    EXPECT_GT(status.CountOther(RECT{gauge.left + 3, y, gauge.left + third, y + 1}, empty), (third - 3) / 2)
        << "the gauge shows no fill";
    EXPECT_LT(status.CountOther(RECT{gauge.left + half, y, gauge.right - 4, y + 1}, empty), (half - 4) / 10)
        << "the gauge is filled beyond its value";
}

} // namespace
} // namespace brx
