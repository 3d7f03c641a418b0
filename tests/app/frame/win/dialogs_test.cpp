// The About box, the tip of the day and the splash screen as real windows:
// their texts, fonts and pictures, the tips' buttons with one tip and none,
// the start-up flag stored however the dialog closes, and the splash screen's
// placement and dismissal.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/frame/ProductTexts.h"
#include "app/frame/win/AboutDlg.h"
#include "app/frame/win/SplashScreen.h"
#include "app/frame/win/TipDlg.h"
#include "app/res/frame_ids.h"
#include "capture/win/SettingsStore.h"
#include "tests/app/frame/win/FrameTestUtil.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/toolkit/TestHostWnd.h"

namespace brx {
namespace {

std::wstring ItemText(HWND dialog, int id) { return CWnd::GetWindowText(::GetDlgItem(dialog, id)); }
bool ItemEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

uint32_t StoredTipFlag() { return ReadAppRegDword(L"Preferences", L"TipOfTheDay", 7); }

// The screen's pixels in a rectangle (0x00RRGGBB, rows from the top); empty
// when they cannot be read.
std::vector<uint32_t> ScreenPixels(const RECT& rc) {
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    std::vector<uint32_t> pixels;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = ::SelectObject(memory, dib);
        if (::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY)) {
            ::GdiFlush();
            const auto* first = static_cast<const uint32_t*>(bits);
            pixels.assign(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
            for (uint32_t& p : pixels) p &= 0xFFFFFF;
        }
        ::SelectObject(memory, old);
    }
    if (dib) ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// Lets the window's drawing reach the screen: Wine draws top-level windows
// into a surface of its own and copies it to the X server while the thread
// reads its messages (read here without the idle pass, which runs the test).
void Settle() {
    for (int i = 0; i < 3; ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
}

// The pixels whose three channels are equal and mid-grey (the splash
// screen's text colour, anti-aliased); -1 when the screen cannot be read.
int GreyPixels(const RECT& rc) {
    std::vector<uint32_t> pixels = ScreenPixels(rc);
    if (pixels.empty()) return -1;
    int count = 0;
    for (uint32_t p : pixels) {
        const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (r == g && g == b && r >= 100 && r <= 160) ++count;
    }
    return count;
}

CWnd* Host() { return test::SharedHost(RECT{60, 60, 760, 560}); }

TEST(AboutDlg, ShowsVersionLinkAndPicture) {
    testing::TestRegistry registry;
    CAboutDlg dialog(Host()->m_hWnd);
    bool checked = false;
    INT_PTR result = test::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        EXPECT_EQ(dialog.GetWindowText(), L"About Brindlex");
        EXPECT_EQ(ItemText(dlg, IDC_ABOUT_VERSION), L"2.2 Build 100");
        EXPECT_EQ(ItemText(dlg, IDC_ABOUT_LEGAL), kProductLegalNotice);
        // The version is bold, in the dialog's own face.
        HFONT font = reinterpret_cast<HFONT>(::SendDlgItemMessageW(dlg, IDC_ABOUT_VERSION, WM_GETFONT, 0, 0));
        EXPECT_EQ(font, dialog.GetBoldFont());
        LOGFONTW bold{}, normal{};
        ::GetObjectW(font, sizeof(bold), &bold);
        ::GetObjectW(dialog.GetFont(), sizeof(normal), &normal);
        EXPECT_EQ(bold.lfWeight, 600);
        EXPECT_EQ(std::wstring(bold.lfFaceName), std::wstring(normal.lfFaceName));
        // The link: the web address, hover colour on, blue links that turn red.
        EXPECT_EQ(dialog.GetLink().GetURL(), kProductWebAddress);
        EXPECT_NE(dialog.GetLink().GetLinkStyle() & HLS_HOVERCOLOR, 0u);
        EXPECT_EQ(CHyperLink::NormalColor(), RGB(0, 0, 255));
        EXPECT_EQ(CHyperLink::VisitedColor(), RGB(0, 0, 255));
        EXPECT_EQ(CHyperLink::HoverColor(), RGB(255, 0, 0));
        EXPECT_TRUE(dialog.GetPicture().IsLoaded());
        EXPECT_EQ(dialog.GetPicture().GetPixelSize().cx, 320);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg, IDOK));
        ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(test::SaveScreenshot(dlg, "about_box.bmp"));
        checked = true;
        test::PostKey(VK_RETURN);
        return true;
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(result, IDOK);
    // Closing freed the bold font.
    EXPECT_EQ(dialog.GetBoldFont(), nullptr);
    EXPECT_FALSE(dialog.GetPicture().IsLoaded());
}

TEST(TipDlg, ReadsTheProgramsTipsAndTheStoredFlag) {
    testing::TestRegistry registry;
    {
        CTipDlg dialog;
        EXPECT_EQ(dialog.m_tips.size(), 4u);
        EXPECT_EQ(
            dialog.m_tips[1],
            L"You can search for a specified request. Select the Navigate|Find... menu option to start the search.");
        EXPECT_EQ(dialog.m_bStartup, 0); // default
    }
    EXPECT_EQ(StoredTipFlag(), 0u); // the destructor stores the flag
    WriteAppRegDword(L"Preferences", L"TipOfTheDay", 1);
    CTipDlg dialog;
    EXPECT_EQ(dialog.m_bStartup, 1);
}

TEST(TipDlg, NextAndPreviousWalkTheTips) {
    testing::TestRegistry registry;
    CTipDlg dialog(Host()->m_hWnd);
    INT_PTR result = test::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        EXPECT_TRUE(ItemEnabled(dlg, IDC_TIP_NEXT));
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_PREVIOUS));
        EXPECT_EQ(::IsDlgButtonChecked(dlg, IDC_TIP_STARTUP), BST_UNCHECKED);
        ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(test::SaveScreenshot(dlg, "tip_of_the_day.bmp"));
        for (int i = 1; i <= 3; ++i) {
            Click(dlg, IDC_TIP_NEXT);
            EXPECT_EQ(dialog.m_nTip, i);
            EXPECT_TRUE(ItemEnabled(dlg, IDC_TIP_PREVIOUS));
        }
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_NEXT));
        ::SendMessageW(dlg, WM_COMMAND, IDC_TIP_NEXT, 0); // a disabled Next changes nothing
        EXPECT_EQ(dialog.m_nTip, 3);
        for (int i = 2; i >= 0; --i) {
            Click(dlg, IDC_TIP_PREVIOUS);
            EXPECT_EQ(dialog.m_nTip, i);
            EXPECT_TRUE(ItemEnabled(dlg, IDC_TIP_NEXT));
        }
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_PREVIOUS));
        // Checking the box and closing stores 1.
        Click(dlg, IDC_TIP_STARTUP);
        Click(dlg, IDOK);
        return true;
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredTipFlag(), 1u);
}

// Next draws the new tip exactly where painting the whole dialog puts it.
TEST(TipDlg, NextDrawsTheTipWherePaintingDoes) {
    testing::TestRegistry registry;
    CTipDlg dialog(Host()->m_hWnd);
    test::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        CRect area;
        ::GetWindowRect(::GetDlgItem(dlg, IDC_TIP_AREA), &area);
        // The X server shows the window a moment after it is mapped: wait
        // until the screen has the tip area's window colour.
        const COLORREF window = ::GetSysColor(COLOR_WINDOW);
        const uint32_t expected = (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window);
        const RECT probe{area.right - 12, area.top + 4, area.right - 10, area.top + 6};
        for (int i = 0; i < 40; ++i) {
            ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            std::vector<uint32_t> corner = ScreenPixels(probe);
            if (!corner.empty() && corner[0] == expected) break;
            Settle();
        }
        std::vector<uint32_t> first = ScreenPixels(area);
        Click(dlg, IDC_TIP_NEXT);
        Settle();
        std::vector<uint32_t> drawn = ScreenPixels(area);
        ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle();
        std::vector<uint32_t> painted = ScreenPixels(area);
        EXPECT_FALSE(first.empty());
        EXPECT_NE(drawn, first);
        EXPECT_TRUE(drawn == painted);
        Click(dlg, IDOK);
        return true;
    });
}

TEST(TipDlg, OneTipDisablesBothButtonsAfterNext) {
    testing::TestRegistry registry;
    CTipDlg dialog(Host()->m_hWnd);
    dialog.m_tips.resize(1);
    test::RunModal(dialog, [&] {
        HWND dlg = dialog.m_hWnd;
        EXPECT_TRUE(ItemEnabled(dlg, IDC_TIP_NEXT));
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_PREVIOUS));
        Click(dlg, IDC_TIP_NEXT);
        EXPECT_EQ(dialog.m_nTip, 0);
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_NEXT));
        EXPECT_FALSE(ItemEnabled(dlg, IDC_TIP_PREVIOUS));
        Click(dlg, IDOK);
        return true;
    });
}

TEST(TipDlg, WithoutTipsNothingShows) {
    testing::TestRegistry registry;
    WriteAppRegDword(L"Preferences", L"TipOfTheDay", 1);
    CTipDlg dialog(Host()->m_hWnd);
    dialog.m_tips.clear();
    bool shown = false;
    EXPECT_EQ(test::RunModal(dialog, [&] { return shown = true; }), IDOK);
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(TipDlg, EscapeStoresTheUncheckedBox) {
    testing::TestRegistry registry;
    WriteAppRegDword(L"Preferences", L"TipOfTheDay", 1);
    {
        CTipDlg dialog(Host()->m_hWnd);
        INT_PTR result = test::RunModal(dialog, [&] {
            HWND dlg = dialog.m_hWnd;
            EXPECT_EQ(::IsDlgButtonChecked(dlg, IDC_TIP_STARTUP), BST_CHECKED);
            Click(dlg, IDC_TIP_STARTUP);
            ::SetFocus(::GetDlgItem(dlg, IDC_TIP_NEXT));
            test::PostKey(VK_ESCAPE);
            return true;
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    EXPECT_EQ(StoredTipFlag(), 0u);
}

// The splash screen on a desktop of the test's choosing.
class CTestSplash : public CSplashScreen {
public:
    RECT desktop{0, 0, 0, 0};
    RECT area{0, 0, 0, 0};

protected:
    void GetDesktopRects(RECT& window, RECT& client) const override {
        if (desktop.right == 0) return CSplashScreen::GetDesktopRects(window, client);
        window = desktop;
        client = area;
    }
};

// One splash window serves the placement cases and the click that removes it:
// under Wine without a window manager every shown top-level window takes
// seconds to go.
TEST(SplashScreen, SizedToItsPictureCentredAndRemovedByAClick) {
    testing::TestRegistry registry;
    CTestSplash splash;
    ASSERT_TRUE(splash.Create(Host()->m_hWnd));
    EXPECT_TRUE(splash.GetPicture().IsLoaded());
    CRect rc = splash.GetWindowRect();
    EXPECT_EQ(rc.Width(), 400);
    EXPECT_EQ(rc.Height(), 300);
    EXPECT_EQ(test::ChildRect(splash.GetPicture().m_hWnd).Width(), 400);
    RECT screen{};
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    EXPECT_EQ(rc.left, (screen.right - screen.left) / 2 - 200);
    EXPECT_EQ(rc.top, (screen.bottom - screen.top) / 2 - 150);
    splash.ShowWindow(SW_SHOW);
    ::RedrawWindow(splash.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(splash.m_hWnd, "splash_screen.bmp"));
    // The short version and the legal notice are painted in grey over the
    // (bluish) picture, in their bands of the picture's height (inside the
    // window's border).
    rc = splash.GetWindowRect();
    rc.DeflateRect(1, 1);
    EXPECT_GT(GreyPixels(CRect(rc.left, rc.top + 216, rc.right, rc.top + 266)), 10);
    EXPECT_GT(GreyPixels(CRect(rc.left, rc.top + 266, rc.right, rc.bottom)), 50);
    EXPECT_EQ(GreyPixels(CRect(rc.left, rc.top, rc.right, rc.top + 200)), 0);

    // A desktop smaller than the picture puts it at the desktop's top-left.
    struct Case {
        RECT desktop, area;
        POINT expected;
    } cases[] = {
        {{0, 0, 300, 200}, {0, 0, 300, 200}, {0, 0}},
        {{0, 0, 300, 800}, {0, 0, 300, 800}, {0, 250}},     // too narrow only
        {{0, 0, 1000, 250}, {0, 0, 1000, 250}, {300, 0}},   // too low only
        {{0, 0, 1000, 800}, {0, 0, 1000, 800}, {300, 250}}, // room: centred
        {{0, 0, 1000, 800}, {0, 0, 500, 500}, {100, 200}},  // client area ends first
    };
    for (const Case& c : cases) {
        splash.desktop = c.desktop;
        splash.area = c.area;
        splash.CenterOnDesktop();
        rc = splash.GetWindowRect();
        EXPECT_EQ(rc.left, c.expected.x) << c.desktop.right << "x" << c.desktop.bottom;
        EXPECT_EQ(rc.top, c.expected.y) << c.desktop.right << "x" << c.desktop.bottom;
        EXPECT_EQ(rc.Width(), 400);
    }

    // Moving the mouse over it leaves it; a click removes it at once.
    ::PostMessageW(splash.GetPicture().m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    test::Pump();
    ASSERT_NE(splash.m_hWnd, nullptr);
    ::PostMessageW(splash.GetPicture().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    test::Pump();
    EXPECT_EQ(splash.m_hWnd, nullptr);
    EXPECT_EQ(splash.GetPicture().m_hWnd, nullptr);
}

TEST(SplashScreen, AKeyRemovesIt) {
    testing::TestRegistry registry;
    CTestSplash splash;
    ASSERT_TRUE(splash.Create(Host()->m_hWnd));
    splash.ShowWindow(SW_SHOW);
    test::Pump();
    ::PostMessageW(splash.m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
    test::Pump();
    EXPECT_EQ(splash.m_hWnd, nullptr);
}

TEST(SplashScreen, DismissMessages) {
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_NCLBUTTONDOWN,
                         WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN})
        EXPECT_TRUE(CSplashScreen::IsDismissMessage(message)) << message;
    for (UINT message : {WM_MOUSEMOVE, WM_KEYUP, WM_LBUTTONUP, WM_CHAR, WM_PAINT, WM_TIMER, WM_NCMOUSEMOVE})
        EXPECT_FALSE(CSplashScreen::IsDismissMessage(message)) << message;
}

} // namespace
} // namespace brx
