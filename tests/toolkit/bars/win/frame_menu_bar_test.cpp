// The toolkit frame with its menu bar in the rebar, a customisable toolbar
// and a status bar with a progress control: the buttons built from the menu,
// keyboard scenarios (Alt, arrows, Esc in a popup, mnemonics with "&&") run
// by a timer inside the menu loop, WM_QUIT arriving while a popup is open,
// and a screenshot of the whole demo frame.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/DemoFrame.h"
#include "toolkit/bars/win/FrameWndEx.h"
#include "toolkit/bars/win/StatusControlBar.h"
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx {
namespace {

using test::CDemoFrame;
using test::kCapture;

using test::Key;
using test::RunScenario;

TEST(MenuBar, ButtonsFollowTheMenu) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    EXPECT_EQ(::GetMenu(frame.m_hWnd), nullptr);
    CMenuBar& bar = frame.m_wndMenuBar;
    ASSERT_EQ(bar.GetCount(), 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar.GetItemID(i), ID_MENUBAR_FIRST + static_cast<UINT>(i));
        EXPECT_NE(bar.GetButtonStyle(i) & BTNS_DROPDOWN, 0u);
    }
    EXPECT_EQ(bar.GetItemID(4), kCapture);
    EXPECT_EQ(bar.GetButtonStyle(4) & BTNS_DROPDOWN, 0u);
    wchar_t text[32] = {};
    bar.SendMessage(TB_GETBUTTONTEXTW, ID_MENUBAR_FIRST + 3, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Q && A");
    // The band is at least a menu line high.
    EXPECT_GE(bar.GetWindowRect().Height(), ::GetSystemMetrics(SM_CYMENU));
}

TEST(MenuBar, AltSelectsTheBarArrowsMoveEscLeaves) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    EXPECT_EQ(frame.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
    EXPECT_TRUE(bar.IsMenuMode());
    EXPECT_EQ(bar.GetHotIndex(), 0);
    EXPECT_EQ(::GetCapture(), bar.m_hWnd);
    bar.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(bar.SendMessage(TB_GETHOTITEM), 1);
    EXPECT_EQ(bar.GetHotIndex(), 1);
    bar.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(bar.IsMenuMode());
    EXPECT_NE(::GetCapture(), bar.m_hWnd);
    // Other system commands go to the framework.
    EXPECT_FALSE(bar.OnSysKeyMenu(SC_KEYMENU, 'f'));
    EXPECT_FALSE(bar.OnSysKeyMenu(SC_CLOSE, 0));
}

TEST(MenuBar, MnemonicOpensItsPopupAndEscStepsBack) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    bool sawPopup = false, stayed = false;
    int hot = -1;
    RunScenario(
        [&] { EXPECT_EQ(frame.SendMessage(WM_MENUCHAR, MAKEWPARAM('v', MF_SYSMENU), 0), MAKELRESULT(0, MNC_CLOSE)); },
        {[&] {
             sawPopup = bar.IsPopupOpen();
             hot = bar.GetHotIndex();
             Key(VK_ESCAPE); // closes the top popup, the bar stays selected
         },
         [&] {
             stayed = bar.IsMenuMode() && !bar.IsPopupOpen();
             bar.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
         }});
    EXPECT_TRUE(sawPopup);
    EXPECT_EQ(hot, 1);
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(bar.IsMenuMode());
    // "Q && A" has no mnemonic: 'a' and '&' fall through to the frame.
    EXPECT_FALSE(bar.OnMenuChar('a', MF_SYSMENU));
    EXPECT_FALSE(bar.OnMenuChar('&', MF_SYSMENU));
    EXPECT_FALSE(bar.OnMenuChar('z', MF_SYSMENU));
    EXPECT_FALSE(bar.OnMenuChar('f', 0)); // not from the system menu
}

TEST(MenuBar, RightInAPopupMovesToTheNextPopup) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    std::vector<int> hots;
    RunScenario([&] { bar.PostMessage(WM_MENUBAR_OPENPOPUP, 0, 0x10001); },
                {[&] {
                     hots.push_back(bar.IsPopupOpen() ? bar.GetHotIndex() : -1);
                     Key(VK_RIGHT);
                 },
                 [&] {
                     hots.push_back(bar.IsPopupOpen() ? bar.GetHotIndex() : -1);
                     Key(VK_ESCAPE);
                 },
                 [&] { bar.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); }});
    EXPECT_EQ(hots, (std::vector<int>{0, 1}));
    EXPECT_FALSE(bar.IsMenuMode());
}

TEST(MenuBar, QuitWhileAPopupIsOpenStillEndsTheProgram) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    bool open = false;
    // The step runs inside the popup's loop; nothing is pumped afterwards.
    RunScenario([&] { bar.SendMessage(WM_MENUBAR_OPENPOPUP, 2, 0); },
                {[&] {
                    open = bar.IsPopupOpen();
                    ::PostQuitMessage(7);
                    frame.PostMessage(WM_CANCELMODE);
                    ::EndMenu();
                }});
    EXPECT_TRUE(open);
    EXPECT_FALSE(bar.IsPopupOpen());
    EXPECT_FALSE(bar.IsMenuMode());
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(FrameWndEx, DemoFrameScreenshot) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    frame.statusBar.SetPaneText(0, L"Ready");
    test::Pump();
    ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The rebar sits at the top with the menu band first, the status bar at the bottom.
    CRect rebar = test::ChildRect(frame.m_wndReBar.m_hWnd);
    CRect status = test::ChildRect(frame.statusBar.m_hWnd);
    EXPECT_EQ(rebar.top, 0);
    EXPECT_EQ(status.bottom, frame.GetClientRect().bottom);
    EXPECT_EQ(::SendMessageW(frame.m_wndReBar.GetReBarCtrl(), RB_IDTOINDEX, ID_MENUBAR, 0), 0);
    EXPECT_NE(frame.statusBar.GetStyle() & WS_CLIPCHILDREN, 0u);
    EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "demo_frame.bmp"));
}

} // namespace
} // namespace brx
