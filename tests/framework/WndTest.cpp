// The window wrapper: objects from handles, the creation hook, subclassing,
// handler chaining, reflection, self-deletion and the small helpers.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Resource.h"
#include "framework/Wnd.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

const RECT kRect{10, 10, 310, 210};

// Records the messages it sees.
class CRecorder : public CWnd {
public:
  std::vector<UINT> seen;
  LPVOID createParam = nullptr;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    seen.push_back(msg);
    if (msg == WM_CREATE) createParam = reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams;
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
  bool Saw(UINT msg) const {
    for (UINT m : seen)
      if (m == msg) return true;
    return false;
  }
};

TEST(Wnd, ObjectIsFoundFromItsHandleFromCreationToDestruction) {
  CRecorder wnd;
  int param = 7;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"rec", WS_OVERLAPPEDWINDOW, kRect, nullptr, 0, &param));
  HWND hwnd = wnd.m_hWnd;
  EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd);
  // The hook attached the object before the window's first message.
  ASSERT_FALSE(wnd.seen.empty());
  EXPECT_TRUE(wnd.Saw(WM_NCCREATE));
  EXPECT_TRUE(wnd.Saw(WM_CREATE));
  EXPECT_EQ(wnd.createParam, &param);
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
  EXPECT_EQ(wnd.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(Wnd, ForeignWindowsHaveNoObject) {
  HWND hwnd = ::CreateWindowW(L"STATIC", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
  ::DestroyWindow(hwnd);
}

TEST(Wnd, SystemClassCreatedThroughTheHookKeepsItsBehaviour) {
  CRecorder parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_POPUP, kRect, nullptr, 0));
  CRecorder edit;
  ASSERT_TRUE(edit.Create(L"EDIT", L"hello", WS_VISIBLE, CRect(0, 0, 100, 20), parent, 5));
  EXPECT_TRUE(edit.Saw(WM_CREATE));
  EXPECT_EQ(edit.GetWindowText(), L"hello");
  edit.SendMessage(EM_SETSEL, 0, -1);
  edit.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"bye"));
  EXPECT_EQ(edit.GetWindowText(), L"bye");  // the edit control's own procedure ran
  EXPECT_EQ(edit.GetDlgCtrlID(), 5);
  parent.DestroyWindow();
  EXPECT_EQ(edit.m_hWnd, nullptr);  // children go with their parent
}

TEST(Wnd, NestedCreationAttachesEachObjectToItsOwnWindow) {
  struct CParent : CWnd {
    CRecorder child;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
      if (msg == WM_CREATE) {
        result = child.Create(nullptr, L"c", WS_VISIBLE, CRect(0, 0, 5, 5), m_hWnd, 9) ? 0 : -1;
        return true;
      }
      return CWnd::OnWndMsg(msg, wp, lp, result);
    }
  } parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_POPUP, kRect, nullptr, 0));
  ASSERT_NE(parent.child.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(parent.child.m_hWnd), &parent.child);
  EXPECT_EQ(::GetParent(parent.child.m_hWnd), parent.m_hWnd);
  parent.DestroyWindow();
}

// Deletes itself after its last message; notes when the destructor runs.
class CSelfDeleting : public CWnd {
public:
  explicit CSelfDeleting(std::vector<std::string>* log) : m_log(log) {}
  ~CSelfDeleting() override { m_log->push_back("deleted"); }
  void PostNcDestroy() override { delete this; }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_USER) {
      DestroyWindow();
      // Still alive: the object goes only after this handler returns.
      m_log->push_back(m_hWnd == nullptr ? "handler after destroy" : "still has window");
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }

private:
  std::vector<std::string>* m_log;
};

TEST(Wnd, SelfDeletionWaitsForTheLastHandlerOfTheWindow) {
  std::vector<std::string> log;
  auto* wnd = new CSelfDeleting(&log);
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"s", WS_POPUP, kRect, nullptr, 0));
  HWND hwnd = wnd->m_hWnd;
  ::SendMessageW(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"handler after destroy", "deleted"}));
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Wnd, SelfDeletionFromOutsideHappensAtDestroy) {
  std::vector<std::string> log;
  auto* wnd = new CSelfDeleting(&log);
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"s", WS_POPUP, kRect, nullptr, 0));
  ::DestroyWindow(wnd->m_hWnd);
  EXPECT_EQ(log, std::vector<std::string>{"deleted"});
}

TEST(Wnd, DeletingTheObjectFirstDestroysTheWindowWithoutCallingBack) {
  std::vector<std::string> log;
  auto* wnd = new CSelfDeleting(&log);
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"s", WS_POPUP, kRect, nullptr, 0));
  HWND hwnd = wnd->m_hWnd;
  delete wnd;  // PostNcDestroy must not run on a deleted object
  EXPECT_EQ(log, std::vector<std::string>{"deleted"});
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Wnd, SubclassingRoutesMessagesAndUnsubclassingRestoresTheProcedure) {
  HWND button = ::CreateWindowW(L"BUTTON", L"b", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  LONG_PTR original = ::GetWindowLongPtrW(button, GWLP_WNDPROC);
  {
    CRecorder wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(button));
    EXPECT_FALSE(CRecorder().SubclassWindow(button));  // one object per window
    EXPECT_EQ(CWnd::FromHandle(button), &wrapper);
    ::SetWindowTextW(button, L"new");
    EXPECT_TRUE(wrapper.Saw(WM_SETTEXT));
    EXPECT_EQ(CWnd::GetWindowText(button), L"new");  // the button's procedure still ran
    EXPECT_EQ(wrapper.UnsubclassWindow(), button);
    EXPECT_EQ(::GetWindowLongPtrW(button, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandle(button), nullptr);
    // Subclass again and let the destructor remove the object.
    ASSERT_TRUE(wrapper.SubclassWindow(button));
  }
  // The window stays, with its own procedure and no object.
  ASSERT_TRUE(::IsWindow(button));
  EXPECT_EQ(::GetWindowLongPtrW(button, GWLP_WNDPROC), original);
  EXPECT_EQ(CWnd::FromHandle(button), nullptr);
  ::SetWindowTextW(button, L"after");
  EXPECT_EQ(CWnd::GetWindowText(button), L"after");
  ::DestroyWindow(button);
}

// Another subclass in the same chain (an accessibility tool, a theme engine,
// a toolkit helper) counts the messages it sees.
LRESULT CALLBACK CountingSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  ++*reinterpret_cast<int*>(data);
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

TEST(Wnd, AStackedSubclassOutlivesOurWrapperAndTheControlStillAnswers) {
  HWND box = ::CreateWindowW(L"BUTTON", L"box", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 80, 20, nullptr, nullptr, nullptr,
                             nullptr);
  ASSERT_NE(box, nullptr);
  int counted = 0;
  {
    CRecorder wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(box));
    // Stacked above ours: it sees messages first and passes them down to us.
    ASSERT_TRUE(::SetWindowSubclass(box, &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&counted)));
    ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(wrapper.Saw(BM_SETCHECK));
    EXPECT_GT(counted, 0);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    // Our wrapper goes while the other subclass stays on top of the chain.
    EXPECT_EQ(wrapper.UnsubclassWindow(), box);
  }
  int before = counted;
  EXPECT_EQ(CWnd::FromHandle(box), nullptr);
  EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ::SetWindowTextW(box, L"still a button");
  EXPECT_EQ(CWnd::GetWindowText(box), L"still a button");
  EXPECT_GT(counted, before);  // the other subclass still runs
  ::RemoveWindowSubclass(box, &CountingSubclass, 1);
  ::DestroyWindow(box);
}

TEST(Wnd, SystemControlsWeCreateAreSubclassedThroughTheChain) {
  CRecorder parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_POPUP, kRect, nullptr, 0));
  CRecorder edit;
  ASSERT_TRUE(edit.Create(L"EDIT", L"text", WS_VISIBLE, CRect(0, 0, 100, 20), parent, 5));
  EXPECT_TRUE(edit.Saw(WM_NCCREATE));
  LONG_PTR proc = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
  int counted = 0;
  ASSERT_TRUE(::SetWindowSubclass(edit, &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&counted)));
  ::SetWindowTextW(edit, L"typed");
  EXPECT_EQ(edit.GetWindowText(), L"typed");
  ::RemoveWindowSubclass(edit, &CountingSubclass, 1);
  EXPECT_EQ(::GetWindowLongPtrW(edit, GWLP_WNDPROC), proc);
  EXPECT_TRUE(edit.DestroyWindow());
  EXPECT_EQ(edit.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(Wnd, SubclassDlgItemFindsTheChildById) {
  CRecorder parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_POPUP, kRect, nullptr, 0));
  HWND child = ::CreateWindowW(L"STATIC", L"s", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(33),
                               nullptr, nullptr);
  CRecorder item;
  ASSERT_TRUE(item.SubclassDlgItem(33, parent));
  EXPECT_EQ(item.m_hWnd, child);
  EXPECT_FALSE(CRecorder().SubclassDlgItem(34, parent));
  parent.DestroyWindow();
  EXPECT_EQ(item.m_hWnd, nullptr);
}

// Handler chaining: each class answers its own messages and passes the rest on.
class CBase : public CWnd {
public:
  std::vector<std::string> calls;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_USER + 1: calls.push_back("base 1"); result = 11; return true;
    case WM_USER + 2: calls.push_back("base 2"); result = 12; return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
};

class CDerived : public CBase {
public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_USER + 1: calls.push_back("derived 1"); result = 21; return true;
    case WM_USER + 3: calls.push_back("derived 3"); return false;  // looked, left it to the default
    }
    return CBase::OnWndMsg(msg, wp, lp, result);
  }
};

TEST(Wnd, HandlersChainToTheBaseClass) {
  CDerived wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"d", WS_POPUP, kRect, nullptr, 0));
  struct Case { UINT msg; LRESULT result; const char* call; };
  const Case cases[] = {
    {WM_USER + 1, 21, "derived 1"},
    {WM_USER + 2, 12, "base 2"},
    {WM_USER + 3, 0, "derived 3"},
  };
  for (const Case& c : cases) {
    wnd.calls.clear();
    EXPECT_EQ(wnd.SendMessage(c.msg), c.result) << c.call;
    EXPECT_EQ(wnd.calls, std::vector<std::string>{c.call});
  }
  wnd.calls.clear();
  EXPECT_EQ(wnd.SendMessage(WM_USER + 4), 0);  // nobody: the default procedure
  EXPECT_TRUE(wnd.calls.empty());
}

TEST(Wnd, AnExceptionInAHandlerDoesNotLeaveTheWindowProcedure) {
  struct CThrower : CWnd {
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
      if (msg == WM_USER) throw std::runtime_error("boom");
      return CWnd::OnWndMsg(msg, wp, lp, result);
    }
  } wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"t", WS_POPUP, kRect, nullptr, 0));
  EXPECT_EQ(wnd.SendMessage(WM_USER, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
  EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
}

// Reflection: a control answers its own notifications first.
class CControl : public CWnd {
public:
  std::vector<std::string> calls;
  HBRUSH brush = reinterpret_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_REFLECT_BASE + WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->code != NM_CLICK) return false;  // others go to the parent
      calls.push_back("control click");
      result = 5;
      return true;
    }
    case WM_REFLECT_BASE + WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return false;
      calls.push_back("control clicked");
      return true;
    case WM_REFLECT_BASE + WM_CTLCOLORSTATIC:
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
};

class CParent : public CWnd {
public:
  std::vector<std::string> calls;
  bool OnNotify(NMHDR& nm, LRESULT& result) override {
    calls.push_back(nm.code == NM_DBLCLK ? "parent dblclk" : "parent other");
    result = 9;
    return true;
  }
  bool OnCommand(CCommand& cmd) override {
    if (cmd.IsNotify(7, BN_CLICKED)) return cmd.Run([&] { calls.push_back("parent clicked"); });
    if (cmd.IsNotify(7, BN_SETFOCUS)) return cmd.Run([&] { calls.push_back("parent setfocus"); });
    return CWnd::OnCommand(cmd);
  }
};

TEST(Wnd, NotificationsReachTheSendingControlFirst) {
  CParent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_POPUP, kRect, nullptr, 0));
  CControl control;
  ASSERT_TRUE(control.Create(L"STATIC", L"c", 0, CRect(0, 0, 10, 10), parent, 7));

  NMHDR nm{control.m_hWnd, 7, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&nm)), 5);
  nm.code = static_cast<UINT>(NM_DBLCLK);
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&nm)), 9);
  EXPECT_EQ(control.calls, std::vector<std::string>{"control click"});
  EXPECT_EQ(parent.calls, std::vector<std::string>{"parent dblclk"});

  parent.calls.clear();
  control.calls.clear();
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(control.m_hWnd));
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(7, BN_SETFOCUS), reinterpret_cast<LPARAM>(control.m_hWnd));
  EXPECT_EQ(control.calls, std::vector<std::string>{"control clicked"});
  EXPECT_EQ(parent.calls, std::vector<std::string>{"parent setfocus"});

  HDC dc = ::GetDC(control.m_hWnd);
  EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(control.m_hWnd)),
            reinterpret_cast<LRESULT>(control.brush));
  ::ReleaseDC(control.m_hWnd, dc);
  parent.DestroyWindow();
}

TEST(Wnd, NotificationForwardedByARebarReachesTheControlInsideIt) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  CParent frame;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, L"f", WS_OVERLAPPEDWINDOW, kRect, nullptr, 0));
  HWND rebar = ::CreateWindowExW(0, REBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 30,
                                 frame, reinterpret_cast<HMENU>(1), nullptr, nullptr);
  ASSERT_NE(rebar, nullptr);
  CControl band;
  ASSERT_TRUE(band.Create(L"STATIC", L"band", WS_VISIBLE, CRect(0, 0, 50, 20), rebar, 77));
  REBARBANDINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID;
  info.hwndChild = band;
  info.cxMinChild = 50;
  info.cyMinChild = 20;
  info.wID = 77;
  ASSERT_TRUE(::SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info)));
  // The band's child notifies its parent, the rebar, which passes it on to the frame.
  frame.calls.clear();  // the rebar's own notifications (height change, ...)
  NMHDR nm{band.m_hWnd, 77, static_cast<UINT>(NM_CLICK)};
  LRESULT r = ::SendMessageW(rebar, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(band.calls, std::vector<std::string>{"control click"});
  EXPECT_EQ(r, 5);
  EXPECT_TRUE(frame.calls.empty());
  // One the band's child leaves alone reaches the frame.
  nm.code = static_cast<UINT>(NM_DBLCLK);
  EXPECT_EQ(::SendMessageW(rebar, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&nm)), 9);
  EXPECT_EQ(frame.calls, std::vector<std::string>{"parent dblclk"});
  frame.DestroyWindow();
}

TEST(Wnd, StyleChangesReportWhetherSomethingChanged) {
  CRecorder wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"s", WS_POPUP | WS_BORDER, kRect, nullptr, 0));
  EXPECT_TRUE(wnd.ModifyStyle(WS_BORDER, WS_THICKFRAME, SWP_FRAMECHANGED));
  EXPECT_EQ(wnd.GetStyle() & (WS_BORDER | WS_THICKFRAME), static_cast<DWORD>(WS_THICKFRAME));
  EXPECT_FALSE(wnd.ModifyStyle(0, WS_THICKFRAME));
  EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
  EXPECT_TRUE(wnd.GetExStyle() & WS_EX_TOOLWINDOW);
}

TEST(Wnd, CentringPlacesTheWindowOverItsOwnerInsideTheWorkArea) {
  CRecorder owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, L"o", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0));
  CRecorder popup;
  ASSERT_TRUE(popup.CreateEx(0, nullptr, L"c", WS_POPUP, CRect(0, 0, 100, 50), owner, 0));
  popup.CenterWindow();
  EXPECT_EQ(popup.GetWindowRect(), CRect(250, 225, 350, 275));
  // Over a window near the left edge the result is pushed back inside.
  owner.MoveWindow(CRect(-300, 0, -100, 100));
  popup.CenterWindow();
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_EQ(popup.GetWindowRect().left, mi.rcWork.left);
}

TEST(Wnd, MessagesToDescendantsReachEveryLevelOrOnlyOurs) {
  CRecorder top;
  ASSERT_TRUE(top.CreateEx(0, nullptr, L"t", WS_POPUP, kRect, nullptr, 0));
  CRecorder child, grandchild;
  ASSERT_TRUE(child.Create(nullptr, L"c", 0, CRect(0, 0, 50, 50), top, 1));
  ASSERT_TRUE(grandchild.Create(nullptr, L"g", 0, CRect(0, 0, 5, 5), child, 2));
  ASSERT_NE(::CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr, nullptr), nullptr);
  top.SendMessageToDescendants(WM_USER + 9, 0, 0, false, false);
  EXPECT_TRUE(child.Saw(WM_USER + 9));
  EXPECT_FALSE(grandchild.Saw(WM_USER + 9));
  top.SendMessageToDescendants(WM_USER + 10, 0, 0, true, true);
  EXPECT_TRUE(grandchild.Saw(WM_USER + 10));
  top.DestroyWindow();
}

} // namespace
} // namespace brx

namespace brx {
namespace {

TEST(Wnd, WaitCursorHoldsWhileItLives) {
  CRecorder wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"w", WS_POPUP, kRect, nullptr, 0));
  HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  EXPECT_FALSE(CWaitCursor::IsWaiting());
  {
    CWaitCursor busy;
    EXPECT_TRUE(CWaitCursor::IsWaiting());
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(::GetCursor(), wait);
  }
  EXPECT_FALSE(CWaitCursor::IsWaiting());
}

} // namespace
} // namespace brx
