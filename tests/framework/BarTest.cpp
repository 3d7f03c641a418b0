// Control bars in a frame: a toolbar bar, a status bar with indicator panes
// and a central view laid out and resized; update UI of buttons and panes on
// idle; showing and hiding bars through the frame; children's commands passed
// on to the owner; bar styles kept apart from window styles.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "tests/framework/TestApp.h"
#include "tests/framework/TestIds.h"

namespace brx {
namespace {

using test::Pump;

const UINT kButtons[] = {ID_CMD_FRAME, ID_SEPARATOR, ID_CMD_NONE, ID_CMD_CHECKED, ID_CMD_DISABLED};
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_MODE, ID_INDICATOR_COUNT, ID_INDICATOR_OFF};

class CBarFrame : public CFrameWnd {
public:
  CBarFrame() { m_bAutoDelete = false; }
  ~CBarFrame() override { DestroyWindow(); }
  CToolBar m_toolBar;
  CStatusBar m_statusBar;
  CWnd m_view;
  bool live = false;
  int records = 0;
  bool checked = true;
  bool disable = true;
  std::vector<UINT> ran;

  bool Build() {
    if (!m_toolBar.CreateEx(m_hWnd, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
        !m_toolBar.SetButtons(kButtons, 5))
      return false;
    m_toolBar.SetSizes(CSize(40, 26), CSize(16, 16));
    if (!m_statusBar.CreateEx(m_hWnd, SBARS_SIZEGRIP) || !m_statusBar.SetIndicators(kIndicators, 4)) return false;
    if (!m_view.CreateEx(WS_EX_CLIENTEDGE, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), m_hWnd,
                         AFX_IDW_PANE_FIRST))
      return false;
    RecalcLayout();
    return true;
  }
  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_CMD_FRAME) || cmd.Is(ID_CMD_CHECKED) || cmd.Is(ID_CMD_DISABLED) || cmd.IsNotify(77, BN_CLICKED)) {
      ran.push_back(cmd.Id());
      return true;
    }
    return CFrameWnd::OnCommand(cmd);
  }
  std::vector<UINT> notified;
  bool OnNotify(NMHDR& nm, LRESULT& result) override {
    if (nm.idFrom == 78) {
      notified.push_back(nm.code);
      result = 5;
      return true;
    }
    return CFrameWnd::OnNotify(nm, result);
  }
  bool OnUpdateCommand(CCmdUI& ui) override {
    switch (ui.m_nID) {
    case ID_CMD_CHECKED: ui.SetCheck(checked ? 1 : 0); return true;
    case ID_CMD_DISABLED: ui.Enable(!disable); return true;
    case ID_INDICATOR_MODE: ui.SetText(live ? L"LIVE" : L"IDLE"); return true;
    case ID_INDICATOR_COUNT: ui.SetText((L"Records: " + std::to_wstring(records)).c_str()); return true;
    }
    return CFrameWnd::OnUpdateCommand(ui);
  }
};

using test::ChildRect;

std::wstring PartText(HWND bar, int part) {
  wchar_t text[128] = {};
  ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

class Bars : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    // Hidden: showing and hiding top-level windows is slow under Wine without
    // a window manager, and the bars lay out all the same.
    ASSERT_TRUE(frame.Create(nullptr, L"Bars", WS_OVERLAPPEDWINDOW, CRect(20, 20, 620, 420)));
    ASSERT_TRUE(frame.Build());
  }
  // The frame's client area laid out from the top: toolbar, view, status bar.
  void ExpectLayout(const char* when) {
    CRect client = frame.GetClientRect();
    CRect tool = ChildRect(frame.m_toolBar), status = ChildRect(frame.m_statusBar), view = ChildRect(frame.m_view);
    int toolHeight = frame.m_toolBar.CalcFixedLayout(true, true).cy;
    int statusHeight = frame.m_statusBar.CalcFixedLayout(true, true).cy;
    EXPECT_GE(toolHeight, 26) << when;  // at least the button height
    EXPECT_GT(statusHeight, 10) << when;
    EXPECT_EQ(tool, CRect(0, 0, client.right, toolHeight)) << when;
    EXPECT_EQ(status, CRect(0, client.bottom - statusHeight, client.right, client.bottom)) << when;
    EXPECT_EQ(view, CRect(0, toolHeight, client.right, client.bottom - statusHeight)) << when;
    // Indicators: their text's width plus borders, packed against the size
    // grip; the message pane takes the rest.
    int parts[8] = {};
    ASSERT_EQ(frame.m_statusBar.SendMessage(SB_GETPARTS, 8, reinterpret_cast<LPARAM>(parts)), 4);
    EXPECT_EQ(parts[3], client.right - ::GetSystemMetrics(SM_CXVSCROLL)) << when;
    for (int i = 1; i <= 3; ++i) {
      UINT id = 0, style = 0;
      int width = 0;
      ASSERT_TRUE(frame.m_statusBar.GetPaneInfo(i, id, style, width));
      EXPECT_EQ(id, kIndicators[i]);
      EXPECT_GT(width, 20) << when << " pane " << i;
      EXPECT_EQ(parts[i] - parts[i - 1], width + 2 * CStatusBar::PaneBorder()) << when << " pane " << i;
      EXPECT_EQ(frame.m_statusBar.GetItemRect(i).right, parts[i]) << when << " pane " << i;
    }
    CRect message = frame.m_statusBar.GetItemRect(0);
    EXPECT_EQ(message.left, 0) << when;
    EXPECT_EQ(message.right, parts[0]) << when;
  }
  CBarFrame frame;
};

TEST_F(Bars, ToolbarStatusBarAndViewLayOutAndFollowResizing) {
  Pump();
  ExpectLayout("created");
  CRect before = ChildRect(frame.m_view);
  frame.MoveWindow(CRect(20, 20, 820, 620));
  ExpectLayout("larger");
  EXPECT_EQ(ChildRect(frame.m_view).Width(), before.Width() + 200);
  EXPECT_EQ(ChildRect(frame.m_view).Height(), before.Height() + 200);
  frame.MoveWindow(CRect(20, 20, 420, 320));
  ExpectLayout("smaller");
  // A query asks the bars without moving them.
  CRect left;
  frame.RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &left, CRect(0, 0, 300, 200));
  EXPECT_EQ(left.top, frame.m_toolBar.CalcFixedLayout(true, true).cy);
  EXPECT_EQ(left.bottom, 200 - frame.m_statusBar.CalcFixedLayout(true, true).cy);
  ExpectLayout("after the query");
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  Pump();
  EXPECT_TRUE(test::SaveScreenshot(frame, "bars_frame.bmp"));
}

TEST_F(Bars, IdleUpdateReachesToolbarButtonsAndStatusPanes) {
  Pump();
  EXPECT_TRUE(frame.m_toolBar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_FRAME));
  EXPECT_FALSE(frame.m_toolBar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_NONE));  // no handler
  EXPECT_TRUE(frame.m_toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_CMD_CHECKED));
  EXPECT_FALSE(frame.m_toolBar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_DISABLED));
  EXPECT_EQ(PartText(frame.m_statusBar, 1), L"IDLE");
  EXPECT_EQ(PartText(frame.m_statusBar, 2), L"Records: 0");
  // No handler: the pane is disabled and shows nothing, but keeps its text.
  EXPECT_EQ(PartText(frame.m_statusBar, 3), L"");
  EXPECT_TRUE(frame.m_statusBar.GetPaneStyle(3) & SBPS_DISABLED);
  EXPECT_EQ(frame.m_statusBar.GetPaneText(3), L"OFFLINE");
  EXPECT_EQ(PartText(frame.m_statusBar, 0), L"Ready");

  frame.live = true;
  frame.records = 1234;
  frame.checked = false;
  frame.disable = false;
  ::PostMessageW(frame.m_hWnd, WM_NULL, 0, 0);
  Pump();
  EXPECT_EQ(PartText(frame.m_statusBar, 1), L"LIVE");
  EXPECT_EQ(PartText(frame.m_statusBar, 2), L"Records: 1234");
  EXPECT_FALSE(frame.m_toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_CMD_CHECKED));
  EXPECT_TRUE(frame.m_toolBar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_DISABLED));
  // A hidden bar is left alone by the idle pass.
  frame.ShowControlBar(frame.m_statusBar, false, false);
  frame.live = false;
  ::PostMessageW(frame.m_hWnd, WM_NULL, 0, 0);
  Pump();
  EXPECT_EQ(PartText(frame.m_statusBar, 1), L"LIVE");
}

TEST_F(Bars, TheFrameShowsAndHidesItsBarsByCommand) {
  Pump();
  CRect client = frame.GetClientRect();
  frame.SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(frame.m_statusBar.IsVisible());
  EXPECT_EQ(ChildRect(frame.m_view).bottom, client.bottom);
  frame.SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
  EXPECT_FALSE(frame.m_toolBar.IsVisible());
  EXPECT_EQ(ChildRect(frame.m_view), CRect(0, 0, client.right, client.bottom));
  // The menu items of the bars show their state.
  HMENU popup = ::CreatePopupMenu();
  ::AppendMenuW(popup, MF_STRING, ID_VIEW_TOOLBAR, L"Toolbar");
  ::AppendMenuW(popup, MF_STRING, ID_VIEW_STATUS_BAR, L"Status bar");
  ::AppendMenuW(popup, MF_STRING, AFX_IDW_CONTROLBAR_FIRST + 5, L"No such bar");
  frame.SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_TRUE(::GetMenuState(popup, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_FALSE(::GetMenuState(popup, 1, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(::GetMenuState(popup, 2, MF_BYPOSITION) & MF_GRAYED);
  ::DestroyMenu(popup);
  frame.SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
  EXPECT_TRUE(frame.m_statusBar.IsVisible());
  ExpectLayout("shown again");
}

TEST_F(Bars, ButtonClicksAndChildCommandsReachTheOwner) {
  Pump();
  // A click on the first button, as the mouse would make it.
  CRect button = frame.m_toolBar.GetItemRect(0);
  LPARAM at = MAKELPARAM(button.CenterPoint().x, button.CenterPoint().y);
  frame.m_toolBar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  frame.m_toolBar.SendMessage(WM_LBUTTONUP, 0, at);
  // A control placed in the status bar reports to the bar, which passes it on.
  HWND child = ::CreateWindowW(L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, frame.m_statusBar,
                               reinterpret_cast<HMENU>(77), nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  ::SendMessageW(child, BM_CLICK, 0, 0);
  EXPECT_EQ(frame.ran, (std::vector<UINT>{ID_CMD_FRAME, 77}));
  // Its notifications too, with the owner's answer back to the child.
  NMHDR nm{child, 78, NM_CLICK};
  EXPECT_EQ(::SendMessageW(frame.m_statusBar, WM_NOTIFY, 78, reinterpret_cast<LPARAM>(&nm)), 5);
  EXPECT_EQ(frame.notified, std::vector<UINT>{static_cast<UINT>(NM_CLICK)});
  // Tooltips of buttons come from the second part of the command's string.
  NMTTDISPINFOW tip{};
  tip.hdr.hwndFrom = reinterpret_cast<HWND>(frame.m_toolBar.SendMessage(TB_GETTOOLTIPS));
  tip.hdr.idFrom = ID_CMD_FRAME;
  tip.hdr.code = TTN_GETDISPINFOW;
  frame.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip.lpszText, nullptr);
  EXPECT_STREQ(tip.lpszText, L"Frame command");
}

TEST_F(Bars, BarStylesAreKeptApartFromWindowStylesAndBordersArePainted) {
  EXPECT_EQ(frame.m_toolBar.GetBarStyle(), CBRS_TOP | CBRS_TOOLTIPS);
  EXPECT_EQ(frame.m_toolBar.GetStyle() & CBRS_ALIGN_TOP, 0u);
  EXPECT_EQ(frame.m_statusBar.GetStyle() & CBRS_ALIGN_ANY, 0u);
  EXPECT_TRUE(frame.m_toolBar.GetStyle() & TBSTYLE_TOOLTIPS);
  EXPECT_EQ(frame.m_statusBar.GetBarStyle(), CBRS_BOTTOM);
  // CBRS_TOP has a bottom border: two pixels of the window are not client.
  CRect window = frame.m_toolBar.GetWindowRect();
  CRect client = frame.m_toolBar.GetClientRect();
  EXPECT_EQ(client.Height(), window.Height() - 2);
  EXPECT_EQ(client.Width(), window.Width());
  frame.m_toolBar.SetBarStyle(CBRS_TOP & ~CBRS_BORDER_ANY);
  frame.RecalcLayout();
  EXPECT_EQ(frame.m_toolBar.GetClientRect().Height(), frame.m_toolBar.GetWindowRect().Height());
  // Pane info out of range is refused; in range it lays the parts out again.
  UINT id = 0, style = 0;
  int width = 0;
  EXPECT_FALSE(frame.m_statusBar.GetPaneInfo(4, id, style, width));
  EXPECT_FALSE(frame.m_statusBar.SetPaneInfo(-1, 0, 0, 10));
  EXPECT_TRUE(frame.m_statusBar.SetPaneInfo(2, ID_INDICATOR_COUNT, SBPS_NORMAL, 150));
  int parts[4] = {};
  frame.m_statusBar.SendMessage(SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts));
  EXPECT_EQ(parts[2] - parts[1], 150 + 2 * CStatusBar::PaneBorder());
  EXPECT_EQ(frame.m_statusBar.CommandToIndex(ID_INDICATOR_OFF), 3);
  EXPECT_EQ(frame.m_statusBar.CommandToIndex(ID_CMD_VIEW), -1);
  EXPECT_TRUE(frame.m_statusBar.GetItemRect(9).IsRectEmpty());
}

} // namespace
} // namespace brx
