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
#include "toolkit/bars/win/WinAppEx.h"
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
         }},
        test::kReadyTickMs, [&] { return bar.IsPopupOpen(); });
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
                 [&] { bar.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); }},
                test::kReadyTickMs, [&] { return bar.IsPopupOpen(); });
    EXPECT_EQ(hots, (std::vector<int>{0, 1}));
    EXPECT_FALSE(bar.IsMenuMode());
}

TEST(MenuBar, QuitWhileAPopupIsOpenStillEndsTheProgram) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    EXPECT_TRUE(test::QuitEndsTheLoop([&] { bar.SendMessage(WM_MENUBAR_OPENPOPUP, 2, 0); },
                                      [&] {
                                          bool open = bar.IsPopupOpen();
                                          frame.PostMessage(WM_CANCELMODE);
                                          ::EndMenu();
                                          return open;
                                      },
                                      7, [&] { return bar.IsPopupOpen(); }));
    EXPECT_FALSE(bar.IsPopupOpen());
    EXPECT_FALSE(bar.IsMenuMode());
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        texts.emplace_back(text);
    }
    return texts;
}

std::vector<std::wstring> ClippedTexts(CMenuBar& bar) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < bar.GetCount(); ++i) {
        if (!bar.IsClipped(i)) continue;
        wchar_t text[64] = {};
        bar.SendMessage(TB_GETBUTTONTEXTW, bar.GetItemID(i), reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

void PushMenuChevron(CDemoFrame& frame, int index) {
    ::SendMessageW(frame.m_wndReBar.GetReBarCtrl(), RB_PUSHCHEVRON, 0, index < 0 ? 0 : index + 1);
}

TEST(MenuBar, ChevronMenuOffersTheClippedButtonsAndKeepsTheSubmenus) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CRect(40, 40, 220, 300), true)); // photographed with its chevron menu
    CMenuBar& bar = frame.m_wndMenuBar;
    std::vector<std::wstring> clipped = ClippedTexts(bar);
    ASSERT_FALSE(clipped.empty());
    std::vector<std::wstring> offered;
    bool shot = false;
    RunScenario([&] { PushMenuChevron(frame, -1); },
                {[&] {
                     HMENU menu = bar.GetChevronMenu();
                     if (!menu) return;
                     offered = MenuTexts(menu);
                     CRect rc = frame.GetWindowRect();
                     rc.right += 120;
                     shot = test::SaveScreenArea(rc, "menu_bar_chevron.bmp");
                     Key(VK_ESCAPE);
                 },
                 [] {}},
                test::kReadyTickMs, [&] { return bar.GetChevronMenu() != nullptr; });
    EXPECT_EQ(offered, clipped);
    EXPECT_TRUE(shot);
    EXPECT_EQ(bar.GetChevronMenu(), nullptr);
    EXPECT_FALSE(bar.IsMenuMode());
    // The submenus went back untouched with the frame's menu.
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(::IsMenu(::GetSubMenu(frame.m_menu, i))) << i;
    EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(frame.m_menu, 0)), 3);
}

TEST(MenuBar, ChevronWithAButtonOpensItsSubmenuAtOnce) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CRect(40, 40, 150, 300)));
    CMenuBar& bar = frame.m_wndMenuBar;
    int help = bar.CommandToIndex(ID_MENUBAR_FIRST + 2);
    ASSERT_TRUE(bar.IsClipped(help));
    bool hilited = false;
    RunScenario([&] { PushMenuChevron(frame, help); },
                {[&] {
                     HMENU menu = bar.GetChevronMenu();
                     if (!menu) return;
                     for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
                         if (::GetSubMenu(menu, i) == ::GetSubMenu(frame.m_menu, 2))
                             hilited = (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) != 0;
                     ::EndMenu();
                 },
                 [] {}},
                test::kReadyTickMs, [&] { return bar.GetChevronMenu() != nullptr; });
    EXPECT_TRUE(hilited);
}

TEST(MenuBar, AltWithTheSecondButtonClippedOpensTheChevronMenu) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CRect(40, 40, 200, 300)));
    // A first popup so wide that the second button is clipped.
    HMENU menu = ::CreateMenu();
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()), L"&First popup with a long name");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()), L"&Second");
    frame.SetMenu(menu);
    test::Pump();
    CMenuBar& bar = frame.m_wndMenuBar;
    ASSERT_TRUE(bar.IsClipped(1));
    bool chevron = false, menuMode = true;
    RunScenario([&] { frame.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0); },
                {[&] {
                     chevron = bar.GetChevronMenu() != nullptr;
                     menuMode = bar.IsMenuMode();
                     ::EndMenu();
                 },
                 [] {}},
                test::kReadyTickMs, [&] { return bar.GetChevronMenu() != nullptr; });
    EXPECT_TRUE(chevron);
    EXPECT_FALSE(menuMode); // the chevron menu is not the bar's menu mode
    frame.SetMenu(frame.m_menu);
    ::DestroyMenu(menu);
}

TEST(MenuBar, PrefixesHideUnlessKeyboardCuesAreOn) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    CWinAppEx& app = test::App();
    test::ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
    for (BOOL cues : {FALSE, TRUE, FALSE}) {
        test::ScopedSetting setting(SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES, cues);
        app.UpdateMenuSettings();
        bar.OnUpdateCmdUI(&frame, false);
        // Setting no flag returns the current ones.
        auto flags = static_cast<UINT>(bar.SendMessage(TB_SETDRAWTEXTFLAGS, 0, 0));
        EXPECT_EQ(bar.IsPrefixHidden(), !cues);
        EXPECT_EQ((flags & DT_HIDEPREFIX) != 0, !cues) << cues;
    }
    app.UpdateMenuSettings();
}

LRESULT ItemPrePaint(CMenuBar& bar, UINT state, NMTBCUSTOMDRAW& draw) {
    draw = NMTBCUSTOMDRAW{};
    draw.nmcd.hdr = NMHDR{bar.m_hWnd, ID_MENUBAR, static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.uItemState = state;
    draw.clrText = RGB(1, 2, 3);
    return bar.SendMessage(WM_REFLECT_BASE + WM_NOTIFY, ID_MENUBAR, reinterpret_cast<LPARAM>(&draw));
}

TEST(MenuBar, CustomDrawFollowsFlatMenusAndTheFramesActivation) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build());
    CMenuBar& bar = frame.m_wndMenuBar;
    CWinAppEx& app = test::App();
    NMTBCUSTOMDRAW draw{};
    const COLORREF gray = ::GetSysColor(COLOR_GRAYTEXT);
    {
        test::ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
        test::ScopedSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, FALSE);
        app.UpdateMenuSettings();
        bar.SetActive(true);
        EXPECT_EQ(ItemPrePaint(bar, CDIS_HOT, draw), CDRF_DODEFAULT);
        EXPECT_EQ(draw.clrText, RGB(1, 2, 3));
        bar.SetActive(false);
        EXPECT_EQ(ItemPrePaint(bar, 0, draw), CDRF_DODEFAULT);
        EXPECT_EQ(draw.clrText, gray);
    }
    if (app.GetVersionClass() == 6 && bar.SendMessage(TB_BUTTONCOUNT) > 0) {
        test::ScopedSetting effects(SPI_GETUIEFFECTS, SPI_SETUIEFFECTS, TRUE);
        test::ScopedSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, TRUE);
        app.UpdateMenuSettings();
        ASSERT_TRUE(app.IsFlatMenu());
        bar.SetActive(true);
        LRESULT hot = ItemPrePaint(bar, CDIS_HOT, draw);
        EXPECT_EQ(hot, TBCDRF_NOEDGES | TBCDRF_NOOFFSET | TBCDRF_HILITEHOTTRACK);
        EXPECT_EQ(draw.clrHighlightHotTrack, ::GetSysColor(COLOR_MENUHILIGHT));
        EXPECT_EQ(draw.clrText, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        EXPECT_EQ(ItemPrePaint(bar, CDIS_DISABLED, draw), TBCDRF_NOEDGES | TBCDRF_NOOFFSET);
        EXPECT_EQ(draw.clrText, gray);
        EXPECT_EQ(ItemPrePaint(bar, 0, draw), TBCDRF_NOEDGES | TBCDRF_NOOFFSET);
        EXPECT_EQ(draw.clrText, RGB(1, 2, 3));
        bar.SetActive(false);
        ItemPrePaint(bar, CDIS_HOT, draw);
        EXPECT_EQ(draw.clrText, gray);
        ItemPrePaint(bar, 0, draw);
        EXPECT_EQ(draw.clrText, gray);
    }
    app.UpdateMenuSettings();
}

TEST(FrameWndEx, DemoFrameScreenshot) {
    CDemoFrame frame;
    ASSERT_TRUE(frame.Build(CDemoFrame::kDemoRect, true));
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
    // The progress control's bar (35 %) is on the screen: its first third is
    // neither the pane's face nor the empty part.
    CRect bar;
    ::GetWindowRect(frame.progress, &bar);
    HDC screen = ::GetDC(nullptr);
    COLORREF filled = ::GetPixel(screen, bar.left + bar.Width() / 6, (bar.top + bar.bottom) / 2);
    COLORREF empty = ::GetPixel(screen, bar.right - 6, (bar.top + bar.bottom) / 2);
    ::ReleaseDC(nullptr, screen);
    EXPECT_NE(filled, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(filled, empty);

    // An update pass over bars whose states did not change repaints nothing.
    for (CControlBar* bar : {static_cast<CControlBar*>(&frame.m_wndMenuBar), static_cast<CControlBar*>(&frame.toolBar)}) {
        bar->OnUpdateCmdUI(&frame, true);
        ::ValidateRect(bar->m_hWnd, nullptr);
        bar->OnUpdateCmdUI(&frame, true);
        EXPECT_FALSE(::GetUpdateRect(bar->m_hWnd, nullptr, FALSE));
    }
}

} // namespace
} // namespace brx
