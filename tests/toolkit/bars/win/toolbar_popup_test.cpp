// The chevron popup of the extended toolbar in a frame too narrow for all its
// buttons: only the clipped buttons, keys that move the hot button and choose
// it, Esc, a click on another window (which still gets the click), WM_QUIT
// while it is open, no popup without a clipped button, and the placement
// above the chevron near the bottom of the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/DemoFrame.h"
#include "toolkit/bars/win/ToolBarPopup.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx {
namespace {

using test::CDemoFrame;
using test::kAbout;
using test::kCapture;
using test::kOpen;
using test::kStop;

// Narrow enough that the toolbar band clips its last buttons.
const CRect kNarrow(40, 40, 200, 300);

std::vector<UINT> PopupCommands(CToolBarPopup* popup) {
    std::vector<UINT> ids;
    HWND bar = popup->GetToolBarCtrl();
    int count = static_cast<int>(::SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        ::SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        ids.push_back(static_cast<UINT>(b.idCommand));
    }
    return ids;
}

// The toolbar's clipped buttons as the user sees them.
std::vector<UINT> ClippedCommands(CDemoFrame& frame) {
    std::vector<UINT> ids;
    CRect client = frame.toolBar.GetClientRect();
    for (int i = 0; i < frame.toolBar.GetCount(); ++i) {
        UINT id = frame.toolBar.GetItemID(i);
        if (id && frame.toolBar.GetItemRect(i).right > client.right) ids.push_back(id);
    }
    return ids;
}

bool PopupIsUp() { return CToolBarPopup::Current() != nullptr; }

// Pushes the toolbar band's chevron as the user's click does.
void PushChevron(CDemoFrame& frame) {
    HWND rebar = frame.m_wndReBar.GetReBarCtrl();
    LRESULT band = ::SendMessageW(rebar, RB_IDTOINDEX, test::kDemoToolBarId, 0);
    ::SendMessageW(rebar, RB_PUSHCHEVRON, static_cast<WPARAM>(band), 0);
}

TEST(ToolBarPopup, ShowsOnlyTheClippedButtonsAndRunsTheChosenOne) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(kNarrow, true)); // photographed with its popup
    std::vector<UINT> clipped = ClippedCommands(frame);
    ASSERT_FALSE(clipped.empty());
    ASSERT_LT(clipped.size(), 4u);
    std::vector<UINT> shown;
    CRect popupRect, chevron;
    bool textShown = false, shot = false;
    int hotAfterDown = -2;
    test::RunScenario([&] { PushChevron(frame); },
                      {[&] {
                           CToolBarPopup* popup = CToolBarPopup::Current();
                           if (!popup) return;
                           shown = PopupCommands(popup);
                           popupRect = popup->GetWindowRect();
                           textShown = popup->IsTextShown();
                           CRect frameRect = frame.GetWindowRect();
                           CRect all(frameRect.left, frameRect.top, std::max(frameRect.right, popupRect.right) + 4,
                                     std::max(frameRect.bottom, popupRect.bottom) + 4);
                           shot = test::SaveScreenArea(all, "toolbar_chevron_popup.bmp");
                           test::Key(VK_DOWN);
                       },
                       [&] {
                           CToolBarPopup* popup = CToolBarPopup::Current();
                           if (!popup) return;
                           hotAfterDown = static_cast<int>(::SendMessageW(popup->GetToolBarCtrl(), TB_GETHOTITEM, 0, 0));
                           test::Key(VK_RETURN);
                       },
                       [] {}},
                      test::kReadyTickMs, PopupIsUp);
    EXPECT_EQ(shown, clipped);
    EXPECT_TRUE(textShown);
    EXPECT_TRUE(shot);
    EXPECT_EQ(hotAfterDown, 0);
    EXPECT_EQ(CToolBarPopup::Current(), nullptr);
    // The chosen button's command reached the frame through the toolbar.
    test::Pump();
    EXPECT_EQ(frame.ran, (std::vector<UINT>{clipped[0]}));
    // Below the toolbar band, not over it.
    CRect band = frame.toolBar.GetWindowRect();
    EXPECT_GE(popupRect.top, band.bottom - 1);
}

TEST(ToolBarPopup, UpAndDownMoveCyclicallyEscCloses) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CRect(40, 40, 150, 300)));
    size_t clipped = ClippedCommands(frame).size();
    ASSERT_GE(clipped, 2u);
    std::vector<int> hots;
    auto readHot = [&] {
        if (CToolBarPopup* popup = CToolBarPopup::Current())
            hots.push_back(static_cast<int>(::SendMessageW(popup->GetToolBarCtrl(), TB_GETHOTITEM, 0, 0)));
    };
    test::RunScenario([&] { PushChevron(frame); },
                      {[&] { test::Key(VK_UP); },     // from none, up goes to the last button
                       [&] { readHot(); test::Key(VK_DOWN); }, // and down wraps round to the first
                       [&] { readHot(); test::Key('X'); },     // other keys do nothing
                       [&] { readHot(); test::Key(VK_ESCAPE); },
                       [] {}},
                      test::kReadyTickMs, PopupIsUp);
    EXPECT_EQ(hots, (std::vector<int>{static_cast<int>(clipped) - 1, 0, 0}));
    EXPECT_EQ(CToolBarPopup::Current(), nullptr);
    EXPECT_TRUE(frame.ran.empty());
}

// A window that records the clicks it gets.
class CClickTarget : public CWnd {
public:
    std::vector<POINT> clicks;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_LBUTTONDOWN) {
            clicks.push_back(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            result = 0;
            return true;
        }
        return CWnd::OnWndMsg(msg, wp, lp, result);
    }
};

TEST(ToolBarPopup, ClickOnAnotherWindowClosesThePopupAndReachesThatWindow) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(kNarrow));
    CClickTarget other;
    ASSERT_TRUE(other.CreateEx(0, CWnd::RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                         ::GetSysColorBrush(COLOR_WINDOW)),
                               L"Other", WS_POPUP | WS_BORDER, CRect(500, 500, 700, 650), nullptr, 0));
    // On the screen under the click, not activated (which would make closing it slow under Wine).
    other.ShowWindow(SW_SHOWNOACTIVATE);
    bool open = false;
    test::RunScenario([&] { PushChevron(frame); },
                      {[&] {
                           CToolBarPopup* popup = CToolBarPopup::Current();
                           if (!popup) return;
                           open = true;
                           // The popup holds the mouse: the click arrives at it.
                           ::SetCursorPos(560, 540);
                           popup->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
                       },
                       [] {}},
                      test::kReadyTickMs, PopupIsUp);
    EXPECT_TRUE(open);
    EXPECT_EQ(CToolBarPopup::Current(), nullptr);
    test::Pump();
    ASSERT_EQ(other.clicks.size(), 1u);
    CRect client = other.GetClientRect();
    other.ClientToScreen(client);
    EXPECT_EQ(other.clicks[0].x, 560 - client.left);
    EXPECT_EQ(other.clicks[0].y, 540 - client.top);
    EXPECT_TRUE(frame.ran.empty());
    other.DestroyWindow();
}

TEST(ToolBarPopup, QuitWhileOpenClosesItAndStillEndsTheProgram) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(kNarrow));
    EXPECT_TRUE(test::QuitEndsTheLoop([&] { PushChevron(frame); },
                                      [] { return CToolBarPopup::Current() != nullptr; }, 9, PopupIsUp));
    EXPECT_EQ(CToolBarPopup::Current(), nullptr);
}

TEST(ToolBarPopup, WithoutTextsTipsComeFromTheOwnerAndFlatMenusGetAFlatFrame) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CRect(40, 40, 125, 300)));
    frame.toolBar.SetTextOption(2, true); // no text labels
    test::Pump();
    if (ClippedCommands(frame).empty()) GTEST_SKIP() << "no button clipped without texts";
    CWinAppEx& app = test::App();
    test::ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
    test::ScopedSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, TRUE);
    app.UpdateMenuSettings();
    std::wstring tip, expectedTip;
    bool textShown = true, flatFrame = false, showText = true;
    DWORD style = 0;
    COLORREF border = 0;
    test::RunScenario([&] { PushChevron(frame); },
                      {[&] {
                           CToolBarPopup* popup = CToolBarPopup::Current();
                           if (!popup) return;
                           textShown = popup->IsTextShown();
                           flatFrame = popup->IsFlat();
                           style = popup->GetStyle();
                           HWND bar = popup->GetToolBarCtrl();
                           TBBUTTON b{};
                           ::SendMessageW(bar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&b));
                           showText = (b.fsStyle & BTNS_SHOWTEXT) != 0;
                           wchar_t text[64] = L"x";
                           NMTBGETINFOTIPW info{};
                           info.hdr = NMHDR{bar, static_cast<UINT_PTR>(::GetDlgCtrlID(bar)),
                                            static_cast<UINT>(TBN_GETINFOTIPW)};
                           info.pszText = text;
                           info.cchTextMax = 64;
                           info.iItem = b.idCommand;
                           popup->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
                           tip = text;
                           frame.toolBar.GetButtonTip(static_cast<UINT>(b.idCommand), expectedTip);
                           test::FlushToScreen();
                           CRect rc = popup->GetWindowRect();
                           HDC screen = ::GetDC(nullptr);
                           border = ::GetPixel(screen, rc.left, rc.top + rc.Height() / 2);
                           ::ReleaseDC(nullptr, screen);
                           popup->PostMessage(WM_TBPOPUP_CLOSE);
                       },
                       [] {}},
                      test::kReadyTickMs, PopupIsUp);
    app.UpdateMenuSettings();
    EXPECT_FALSE(textShown);
    EXPECT_FALSE(showText);
    EXPECT_FALSE(expectedTip.empty());
    EXPECT_TRUE(tip == expectedTip);
    if (app.GetVersionClass() == 6 && frame.toolBar.GetVersionClass() == 6) {
        EXPECT_TRUE(flatFrame);
        EXPECT_NE(style & WS_BORDER, 0u);
        EXPECT_EQ(style & WS_DLGFRAME, 0u);
        EXPECT_EQ(border, ::GetSysColor(COLOR_BTNSHADOW));
    }
}

TEST(ToolBarPopup, NoClippedButtonNoPopup) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    ASSERT_TRUE(ClippedCommands(frame).empty());
    CToolBarPopup popup(&frame.toolBar);
    CRect rc = frame.toolBar.GetWindowRect();
    EXPECT_FALSE(popup.Show(TPM_VERTICAL, rc.right, rc.bottom, &rc));
    EXPECT_EQ(popup.m_hWnd, nullptr);
    // The toolbar's own chevron message returns at once.
    EXPECT_EQ(frame.toolBar.SendMessage(WM_USER + 103, reinterpret_cast<WPARAM>(&rc), 0), 0);
    EXPECT_EQ(CToolBarPopup::Current(), nullptr);
}

TEST(ToolBarPopup, NearTheScreenBottomItOpensAboveAndSlidesUp) {
    CDemoFrame frame;
    RECT desk{};
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    ASSERT_TRUE(frame.Build(CRect(40, desk.bottom - 130, 200, desk.bottom - 30)));
    ASSERT_FALSE(ClippedCommands(frame).empty());
    CRect popupRect;
    PopupSide side = PopupSide::None;
    DWORD animation = 0;
    test::RunScenario([&] { PushChevron(frame); },
                      {[&] {
                           CToolBarPopup* popup = CToolBarPopup::Current();
                           if (!popup) return;
                           popupRect = popup->GetWindowRect();
                           side = popup->GetSide();
                           animation = popup->GetAnimation();
                           popup->PostMessage(WM_TBPOPUP_CLOSE);
                       },
                       [] {}},
                      test::kReadyTickMs, PopupIsUp);
    EXPECT_EQ(side, PopupSide::Above);
    EXPECT_EQ(animation, static_cast<DWORD>(AW_VER_NEGATIVE));
    EXPECT_LE(popupRect.bottom, desk.bottom);
    // It ends at the chevron's top, inside the band, so it is above the band's bottom.
    CRect band = frame.toolBar.GetWindowRect();
    EXPECT_LT(popupRect.bottom, band.bottom);
}

} // namespace
} // namespace brx
