// Frames: command routing, the update rule on a real menu, accelerators, the
// idle update of bars, the layout pass, delayed layout, the status line and
// the active state with tool windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/Resource.h"
#include "tests/framework/TestApp.h"
#include "tests/framework/TestIds.h"

namespace brx {
namespace {

using test::App;
using test::Pump;

class CTestView : public CWnd {
public:
  int viewCommands = 0;
  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_CMD_VIEW)) return cmd.Run([&] { ++viewCommands; });
    return CWnd::OnCommand(cmd);
  }
};

class CTestFrame : public CFrameWnd {
public:
  CTestFrame() { m_bAutoDelete = false; }
  ~CTestFrame() override { DestroyWindow(); }
  std::vector<UINT> frameCommands;
  bool disableCommand = true;
  bool checked = true;
  int paneState = 0;

  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_CMD_VIEW) || cmd.Is(ID_CMD_FRAME) || cmd.Is(ID_CMD_DISABLED) || cmd.Is(ID_CMD_CHECKED) ||
        cmd.Is(ID_CMD_RADIO) || cmd.Is(ID_CMD_TEXT))
      return cmd.Run([&] { frameCommands.push_back(cmd.Id()); });
    if (cmd.InRange(ID_CMD_RANGE_FIRST, ID_CMD_RANGE_LAST))
      return cmd.Run([&] { frameCommands.push_back(cmd.Id()); });
    return CFrameWnd::OnCommand(cmd);
  }
  bool OnUpdateCommand(CCmdUI& ui) override {
    switch (ui.m_nID) {
    case ID_CMD_DISABLED: ui.Enable(!disableCommand); return true;
    case ID_CMD_CHECKED: ui.SetCheck(checked ? 1 : 0); return true;
    case ID_CMD_RADIO: ui.SetRadio(true); return true;
    case ID_CMD_TEXT: ui.SetText(L"Renamed"); return true;
    case ID_PANE_STATE: ui.SetText(paneState ? L"On" : L"Off"); return true;
    }
    if (ui.m_nID >= ID_CMD_RANGE_FIRST + 2 && ui.m_nID <= ID_CMD_RANGE_LAST) {
      ui.Enable(false);
      return true;
    }
    return CFrameWnd::OnUpdateCommand(ui);
  }
};

UINT MenuState(HMENU menu, UINT pos) {
  return ::GetMenuState(menu, pos, MF_BYPOSITION);
}

TEST(Frame, CommandsRouteFromTheViewToTheFrameToTheApplication) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"route"));
  CTestView view;
  ASSERT_TRUE(view.Create(nullptr, L"view", WS_VISIBLE, CRect(), frame, AFX_IDW_PANE_FIRST));
  frame.SetActiveView(&view);
  App().appCommands = 0;

  frame.SendMessage(WM_COMMAND, ID_CMD_VIEW);    // view and frame both handle it: the view wins
  frame.SendMessage(WM_COMMAND, ID_CMD_FRAME);
  frame.SendMessage(WM_COMMAND, ID_CMD_APP);
  frame.SendMessage(WM_COMMAND, ID_CMD_NONE);    // nobody
  frame.SendMessage(WM_COMMAND, ID_CMD_RANGE_FIRST + 1);
  EXPECT_EQ(view.viewCommands, 1);
  EXPECT_EQ(frame.frameCommands, (std::vector<UINT>{ID_CMD_FRAME, ID_CMD_RANGE_FIRST + 1}));
  EXPECT_EQ(App().appCommands, 1);

  // Without an active view the frame takes the view's command.
  frame.SetActiveView(nullptr);
  frame.SendMessage(WM_COMMAND, ID_CMD_VIEW);
  EXPECT_EQ(frame.frameCommands.back(), static_cast<UINT>(ID_CMD_VIEW));
  EXPECT_EQ(view.viewCommands, 1);
}

TEST(Frame, ADisabledCommandDoesNotRunFromAMenuOrAnAccelerator) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"disabled"));
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_DISABLED, 0));
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_DISABLED, 1));
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_RANGE_FIRST + 2, 0));
  EXPECT_TRUE(frame.frameCommands.empty());
  frame.disableCommand = false;
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_DISABLED, 1));
  EXPECT_EQ(frame.frameCommands, std::vector<UINT>{ID_CMD_DISABLED});
}

TEST(Frame, MenuItemsWithoutAHandlerAreDisabledWhenThePopupOpens) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"menu"));
  HMENU popup = ::CreatePopupMenu();
  HMENU sub = ::CreatePopupMenu();
  ::AppendMenuW(sub, MF_STRING, ID_CMD_SUB_FIRST, L"sub");  // no handler, but a popup item stays enabled
  struct Item { UINT id; const wchar_t* text; };
  const Item items[] = {
    {ID_CMD_FRAME, L"frame"}, {0, nullptr}, {ID_CMD_APP, L"app"}, {ID_CMD_NONE, L"none"},
    {ID_CMD_DISABLED, L"disabled"}, {ID_CMD_CHECKED, L"checked"}, {ID_CMD_RADIO, L"radio"},
    {ID_CMD_TEXT, L"text"}, {ID_CMD_RANGE_FIRST, L"r0"}, {ID_CMD_RANGE_LAST, L"r3"},
  };
  for (const Item& item : items) {
    if (item.id == 0) ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    else ::AppendMenuW(popup, MF_STRING, item.id, item.text);
  }
  ::AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"more");
  // The system menu's popup is left alone.
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, TRUE));
  EXPECT_FALSE(MenuState(popup, 3) & MF_GRAYED);

  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  struct Expect { UINT pos; bool grayed; bool checked; };
  const Expect expected[] = {
    {0, false, false},  // frame command handler
    {2, false, false},  // the application's handler
    {3, true, false},   // nobody handles it
    {4, true, false},   // update handler disables it
    {5, false, true},   // update handler checks it
    {6, false, true},   // radio
    {7, false, false},  // text
    {8, false, false},  // range handler
    {9, true, false},   // range update handler disables
    {10, false, false}, // popup
  };
  for (const Expect& e : expected) {
    UINT state = MenuState(popup, e.pos);
    EXPECT_EQ((state & MF_GRAYED) != 0, e.grayed) << "position " << e.pos;
    EXPECT_EQ((state & MF_CHECKED) != 0, e.checked) << "position " << e.pos;
  }
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  ASSERT_TRUE(::GetMenuItemInfoW(popup, 6, TRUE, &info));
  EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
  wchar_t text[32] = {};
  ::GetMenuStringW(popup, 7, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Renamed");
  // A state change shows at the next opening.
  frame.disableCommand = false;
  frame.checked = false;
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_FALSE(MenuState(popup, 4) & MF_GRAYED);
  EXPECT_FALSE(MenuState(popup, 5) & MF_CHECKED);
  ::DestroyMenu(popup);
}

TEST(Frame, LoadFrameTakesMenuAcceleratorsIconAndTitleFromOneId) {
  auto* frame = new CTestFrame;
  ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME));
  EXPECT_EQ(frame->GetWindowText(), L"Framework Test");
  HMENU menu = frame->GetMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(::GetMenuItemID(::GetSubMenu(menu, 0), 0), static_cast<UINT>(ID_CMD_VIEW));
  EXPECT_NE(frame->GetAccelTable(), nullptr);
  EXPECT_NE(::GetClassLongPtrW(frame->m_hWnd, GCLP_HICON), 0);
  // The accelerator reaches the command through the pre-translation chain.
  ::PostMessageW(frame->m_hWnd, WM_KEYDOWN, VK_F5, 0);
  ::PostMessageW(frame->m_hWnd, WM_KEYDOWN, VK_F6, 0);  // disabled: refused
  Pump();
  EXPECT_EQ(frame->frameCommands, std::vector<UINT>{ID_CMD_VIEW});
  frame->m_bAutoDelete = true;
  frame->DestroyWindow();  // deletes itself
}

// A toolbar and a status bar that update themselves on idle through their frame.
class CTestToolBar : public CWnd {
public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_IDLEUPDATECMDUI) {
      UpdateToolBarButtons(m_hWnd, GetParentFrame(), wp != 0);
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
};

class CTestStatusBar : public CWnd {
public:
  UINT ids[2] = {0, ID_PANE_STATE};
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_IDLEUPDATECMDUI) {
      UpdateStatusPanes(m_hWnd, ids, 2, GetParentFrame(), wp != 0);
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
};

std::wstring StatusText(HWND bar, int part) {
  wchar_t text[128] = {};
  ::SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(Frame, IdleUpdatesToolbarButtonsAndStatusPanes) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"idle"));
  CTestToolBar bar;
  ASSERT_TRUE(bar.Create(TOOLBARCLASSNAMEW, nullptr, WS_VISIBLE | CCS_TOP, CRect(), frame, AFX_IDW_TOOLBAR));
  bar.SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  TBBUTTON buttons[] = {
    {I_IMAGENONE, ID_CMD_FRAME, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {I_IMAGENONE, 0, 0, BTNS_SEP, {}, 0, 0},
    {I_IMAGENONE, ID_CMD_NONE, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {I_IMAGENONE, ID_CMD_CHECKED, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
    {I_IMAGENONE, ID_CMD_DISABLED, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
  };
  ASSERT_TRUE(bar.SendMessage(TB_ADDBUTTONSW, 5, reinterpret_cast<LPARAM>(buttons)));
  CTestStatusBar status;
  ASSERT_TRUE(status.Create(STATUSCLASSNAMEW, nullptr, WS_VISIBLE, CRect(), frame, AFX_IDW_STATUS_BAR));
  int parts[] = {100, -1};
  status.SendMessage(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  Pump();
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_FRAME));
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_NONE));
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_CMD_CHECKED));
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_DISABLED));
  EXPECT_EQ(StatusText(status, 1), L"Off");
  EXPECT_EQ(StatusText(status, 0), L"Ready");  // the idle message once nothing is tracked

  frame.checked = false;
  frame.disableCommand = false;
  frame.paneState = 1;
  ::PostMessageW(frame.m_hWnd, WM_NULL, 0, 0);
  Pump();
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_CMD_CHECKED));
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_DISABLED));
  EXPECT_EQ(StatusText(status, 1), L"On");
}

// Handlers written the natural way: they run their command at once, with
// no wrapper around the body.
class CNaturalFrame : public CFrameWnd {
public:
  CNaturalFrame() { m_bAutoDelete = false; }
  ~CNaturalFrame() override { DestroyWindow(); }
  int runs = 0;
  int rangeRuns = 0;
  int idRuns = 0;
  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_CMD_FRAME)) {
      ++runs;
      return true;
    }
    if (cmd.InRange(ID_CMD_RANGE_FIRST, ID_CMD_RANGE_LAST)) {
      ++rangeRuns;
      return true;
    }
    // Comparing the id by hand: a probe never matches it.
    if (cmd.Id() == ID_CMD_VIEW) {
      ++idRuns;
      return true;
    }
    return CFrameWnd::OnCommand(cmd);
  }
  // Its own WM_CREATE, without calling the frame's.
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_CREATE) {
      result = 0;
      return true;
    }
    return CFrameWnd::OnWndMsg(msg, wp, lp, result);
  }
};

TEST(Frame, NaturalHandlersRunOnlyWhenClickedNeverFromUpdatePasses) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  CNaturalFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"natural"));
  // The frame answered WM_CREATE itself and still takes part in the idle pass.
  bool listed = false;
  for (CFrameWnd* f : CWinApp::Frames()) listed = listed || f == &frame;
  EXPECT_TRUE(listed);
  CTestToolBar bar;
  ASSERT_TRUE(bar.Create(TOOLBARCLASSNAMEW, nullptr, WS_VISIBLE | CCS_TOP, CRect(), frame, AFX_IDW_TOOLBAR));
  bar.SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  TBBUTTON buttons[] = {
    {I_IMAGENONE, ID_CMD_FRAME, 0, BTNS_BUTTON, {}, 0, 0},
    {I_IMAGENONE, ID_CMD_RANGE_FIRST, 0, BTNS_BUTTON, {}, 0, 0},
    {I_IMAGENONE, ID_CMD_VIEW, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
  };
  ASSERT_TRUE(bar.SendMessage(TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons)));

  // Idle passes update the toolbar: the handlers are found, none runs.
  for (int i = 0; i < 3; ++i) {
    ::PostMessageW(frame.m_hWnd, WM_NULL, 0, 0);
    Pump();
  }
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_FRAME));
  EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_RANGE_FIRST));
  EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_CMD_VIEW));  // not found by a probe: disabled
  // A menu opens: its update pass finds the handlers, none runs.
  HMENU popup = ::CreatePopupMenu();
  ::AppendMenuW(popup, MF_STRING, ID_CMD_FRAME, L"frame");
  ::AppendMenuW(popup, MF_STRING, ID_CMD_RANGE_FIRST + 1, L"range");
  ::AppendMenuW(popup, MF_STRING, ID_CMD_VIEW, L"by id");
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_EQ(::GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
  EXPECT_EQ(::GetMenuState(popup, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
  EXPECT_NE(::GetMenuState(popup, 2, MF_BYPOSITION) & MF_GRAYED, 0u);
  EXPECT_TRUE(frame.HasCommandHandler(ID_CMD_FRAME));
  EXPECT_FALSE(frame.HasCommandHandler(ID_CMD_VIEW));
  EXPECT_EQ(frame.runs, 0);
  EXPECT_EQ(frame.rangeRuns, 0);
  EXPECT_EQ(frame.idRuns, 0);

  // A click runs each exactly once.
  bar.SendMessage(WM_LBUTTONDOWN, 0, 0);  // nothing: clicks come as WM_COMMAND below
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CMD_FRAME, BN_CLICKED), reinterpret_cast<LPARAM>(bar.m_hWnd));
  frame.SendMessage(WM_COMMAND, ID_CMD_RANGE_FIRST + 1);
  EXPECT_EQ(frame.runs, 1);
  EXPECT_EQ(frame.rangeRuns, 1);
  ::DestroyMenu(popup);
}

TEST(Frame, StatusLineShowsThePromptOfTheSelectedItemAndReadyWhenTheMenuCloses) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"status"));
  HWND status = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_STATUS_BAR)), nullptr,
                                  nullptr);
  ASSERT_NE(status, nullptr);
  HMENU popup = ::CreatePopupMenu();
  ::AppendMenuW(popup, MF_STRING, ID_CMD_VIEW, L"view");
  struct Case { UINT item; UINT flags; HMENU menu; const wchar_t* text; };
  const Case cases[] = {
    {ID_CMD_VIEW, MF_STRING, popup, L"Runs the view's command"},    // "prompt\ntip": the prompt
    {ID_CMD_FRAME, MF_STRING, popup, L"Runs the frame's command"},
    {ID_CMD_NONE, MF_STRING, popup, L""},                            // no string: empty
    {0, MF_POPUP, popup, L""},
    {ID_CMD_VIEW, MF_STRING, popup, L"Runs the view's command"},
    {0, 0xFFFF, nullptr, L"Ready"},                                  // the menu closed
  };
  for (const Case& c : cases) {
    frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(c.item, c.flags), reinterpret_cast<LPARAM>(c.menu));
    EXPECT_EQ(StatusText(status, 0), c.text) << c.item;
  }
  frame.SetMessageText(L"Free text");
  EXPECT_EQ(StatusText(status, 0), L"Free text");
  EXPECT_EQ(ExtractSubString(LoadStringResource(ID_CMD_VIEW), 1), L"View command");  // the tooltip part
  ::DestroyMenu(popup);
}

// A bar that takes a strip of the offered rectangle and logs its turn.
class CTestBar : public CWnd {
public:
  CTestBar(std::vector<int>* log, int id, int height, bool bottom)
      : m_log(log), m_id(id), m_height(height), m_bottom(bottom) {}
  int sizeParentCalls = 0;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_SIZEPARENT) {
      ++sizeParentCalls;
      m_log->push_back(m_id);
      auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lp);
      CRect rc = layout->rect;
      if (m_bottom) {
        rc.top = rc.bottom - m_height;
        layout->rect.bottom = rc.top;
      } else {
        rc.bottom = rc.top + m_height;
        layout->rect.top = rc.bottom;
      }
      layout->sizeTotal.cy += m_height;
      RepositionWindow(layout, m_hWnd, rc);
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }

private:
  std::vector<int>* m_log;
  int m_id, m_height;
  bool m_bottom;
};

using test::ChildRect;

std::vector<int> ZOrderIds(HWND parent) {
  std::vector<int> ids;
  for (HWND c = ::GetTopWindow(parent); c; c = ::GetWindow(c, GW_HWNDNEXT)) ids.push_back(::GetDlgCtrlID(c));
  return ids;
}

TEST(Frame, LayoutPassOffersTheClientAreaInZOrderAndTheViewFillsTheRest) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"layout", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
  std::vector<int> log;
  CTestBar top1(&log, 1, 20, false), top2(&log, 2, 30, false), bottom(&log, 3, 10, true);
  ASSERT_TRUE(top1.Create(nullptr, L"1", WS_VISIBLE, CRect(), frame, 1));
  ASSERT_TRUE(top2.Create(nullptr, L"2", WS_VISIBLE, CRect(), frame, 2));
  ASSERT_TRUE(bottom.Create(nullptr, L"3", WS_VISIBLE, CRect(), frame, 3));
  CTestView view;
  ASSERT_TRUE(view.Create(nullptr, L"v", WS_VISIBLE, CRect(), frame, AFX_IDW_PANE_FIRST));
  // Bar 2 first, then bar 1, then the view and bar 3.
  ::SetWindowPos(top1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetWindowPos(top2, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetWindowPos(bottom, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_EQ(ZOrderIds(frame), (std::vector<int>{2, 1, static_cast<int>(AFX_IDW_PANE_FIRST), 3}));

  frame.RecalcLayout();
  EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));  // z-order; the view is not asked
  CRect client = frame.GetClientRect();
  EXPECT_EQ(ChildRect(top2), CRect(0, 0, client.right, 30));
  EXPECT_EQ(ChildRect(top1), CRect(0, 30, client.right, 50));
  EXPECT_EQ(ChildRect(bottom), CRect(0, client.bottom - 10, client.right, client.bottom));
  EXPECT_EQ(ChildRect(view), CRect(0, 50, client.right, client.bottom - 10));

  // A query moves nothing and tells what would be left.
  CRect left;
  log.clear();
  frame.MoveWindow(CRect(0, 0, 500, 400));  // WM_SIZE: a pass at once
  EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));
  client = frame.GetClientRect();
  CRect viewBefore = ChildRect(view);
  frame.RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &left, CRect(0, 0, 200, 100));
  EXPECT_EQ(left, CRect(0, 50, 200, 90));
  EXPECT_EQ(ChildRect(view), viewBefore);
  EXPECT_EQ(viewBefore, CRect(0, 50, client.right, client.bottom - 10));
}

TEST(Frame, DelayedLayoutRunsOnceAtIdleTime) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"delayed", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
  std::vector<int> log;
  CTestBar bar(&log, 1, 25, false);
  ASSERT_TRUE(bar.Create(nullptr, L"1", WS_VISIBLE, CRect(), frame, 1));
  Pump();
  log.clear();
  frame.DelayRecalcLayout();
  frame.DelayRecalcLayout();
  frame.DelayRecalcLayout();
  EXPECT_TRUE(frame.IsLayoutPending());
  EXPECT_TRUE(log.empty());
  Pump();
  EXPECT_EQ(log, std::vector<int>{1});
  EXPECT_FALSE(frame.IsLayoutPending());
  EXPECT_EQ(ChildRect(bar).Height(), 25);
}

TEST(Frame, ToolWindowKeepsItsFrameActive) {
  CTestFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"main", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
  auto* synced = new CMiniFrameWnd;
  ASSERT_TRUE(synced->CreateEx(0, nullptr, L"tool", WS_POPUP | WS_CAPTION | MFS_SYNCACTIVE, CRect(50, 50, 150, 150),
                               frame));
  auto* plain = new CMiniFrameWnd;
  ASSERT_TRUE(plain->CreateEx(0, nullptr, L"plain", WS_POPUP | WS_CAPTION, CRect(60, 60, 160, 160), frame));
  EXPECT_TRUE(synced->GetExStyle() & WS_EX_TOOLWINDOW);
  EXPECT_EQ(synced->GetTopLevelFrame(), &frame);
  EXPECT_EQ(synced->GetParentFrame(), &frame);

  synced->SendMessage(WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(frame.m_hWnd));
  EXPECT_TRUE(frame.IsStayActive());
  frame.SendMessage(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(synced->m_hWnd));
  EXPECT_TRUE(frame.IsStayActive());
  frame.SendMessage(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(plain->m_hWnd));
  EXPECT_FALSE(frame.IsStayActive());
  frame.SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(frame.IsStayActive());
  frame.SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);  // another program
  EXPECT_FALSE(frame.IsStayActive());
  // Mini frames are frames of the idle pass and delete themselves.
  int frames = 0;
  for (CFrameWnd* f : CWinApp::Frames()) frames += (f == synced || f == plain) ? 1 : 0;
  EXPECT_EQ(frames, 2);
  synced->DestroyWindow();
  plain->DestroyWindow();
  for (CFrameWnd* f : CWinApp::Frames()) EXPECT_TRUE(f != synced && f != plain);
}

// Records what passes through its pre-translation and swallows one message.
class CPreTranslator : public CWnd {
public:
  std::vector<UINT> seen;
  UINT swallow = 0;
  BOOL PreTranslateMessage(MSG* msg) override {
    seen.push_back(msg->message);
    if (swallow && msg->message == swallow) return TRUE;
    return CWnd::PreTranslateMessage(msg);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg >= WM_USER + 50 && msg <= WM_USER + 51) dispatched.push_back(msg);
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
  std::vector<UINT> dispatched;
};

TEST(Frame, PreTranslationWalksFromTheTargetUpItsParents) {
  CPreTranslator top, middle, target;
  ASSERT_TRUE(top.CreateEx(0, nullptr, L"top", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
  ASSERT_TRUE(middle.Create(nullptr, L"middle", WS_VISIBLE, CRect(0, 0, 50, 50), top, 1));
  ASSERT_TRUE(target.Create(nullptr, L"target", WS_VISIBLE, CRect(0, 0, 20, 20), middle, 2));
  middle.swallow = WM_USER + 51;
  ::PostMessageW(target, WM_USER + 50, 0, 0);
  ::PostMessageW(target, WM_USER + 51, 0, 0);
  ::PostMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  Pump();
  const std::vector<UINT> all{WM_USER + 50, WM_USER + 51, WM_MOUSEMOVE};
  EXPECT_EQ(target.seen, all);
  EXPECT_EQ(middle.seen, all);
  // The walk ends at the top-level window, or where a window takes the message.
  EXPECT_EQ(top.seen, (std::vector<UINT>{WM_USER + 50, WM_MOUSEMOVE}));
  EXPECT_EQ(target.dispatched, std::vector<UINT>{WM_USER + 50});  // 51 was swallowed on the way
  top.DestroyWindow();
}

TEST(Frame, MouseMessagesAreRelayedToTheTooltip) {
  CPreTranslator wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"w", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
  struct CTipRecorder : CWnd {
    int relayed = 0;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
      if (msg == TTM_RELAYEVENT) ++relayed;
      return CWnd::OnWndMsg(msg, wp, lp, result);
    }
  } tip;
  ASSERT_TRUE(tip.CreateEx(0, nullptr, L"tip", WS_POPUP, CRect(0, 0, 5, 5), wnd, 0));
  wnd.SetToolTipRelay(tip);
  ::PostMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  ::PostMessageW(wnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
  ::PostMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0);
  Pump();
  EXPECT_EQ(tip.relayed, 2);
}

TEST(Frame, DestroyingTheMainWindowEndsTheMessageLoop) {
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, L"main"));
  App().m_pMainWnd = frame;
  frame->DestroyWindow();
  EXPECT_EQ(App().m_pMainWnd, nullptr);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

} // namespace
} // namespace brx
