// The thin control wrappers on real controls, and popup menus tracked for a
// view: the frame's update handlers fill them and the chosen command takes
// the frame's route.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/CommonControls.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/Menu.h"
#include "framework/RichEdit.h"
#include "framework/StdControls.h"
#include "tests/framework/TestApp.h"
#include "tests/framework/TestIds.h"

namespace brx {
namespace {

class Controls : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"controls", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0));
  }
  CWnd parent;
};

TEST_F(Controls, ListAndTreeKeepTheirItems) {
  CListCtrl list;
  ASSERT_TRUE(list.Create(LVS_REPORT, CRect(0, 0, 300, 200), parent, 1));
  EXPECT_EQ(list.InsertColumn(0, L"Name", LVCFMT_LEFT, 120), 0);
  EXPECT_EQ(list.InsertColumn(1, L"Value", LVCFMT_RIGHT, 80), 1);
  EXPECT_EQ(list.GetColumnWidth(1), 80);
  EXPECT_EQ(list.InsertItem(0, L"first"), 0);
  EXPECT_EQ(list.InsertItem(1, L"second"), 1);
  EXPECT_TRUE(list.SetItemText(1, 1, L"42"));
  EXPECT_TRUE(list.SetItemData(1, 0x1234));
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(0, 0), L"first");
  EXPECT_EQ(list.GetItemText(1, 1), L"42");
  EXPECT_EQ(list.GetItemText(1, 1, 1), L"4");  // cut to the room given
  EXPECT_EQ(list.GetItemData(1), 0x1234);
  EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(list.GetSelectedCount(), 1u);
  EXPECT_NE(list.GetHeaderCtrl(), nullptr);
  CHeaderCtrl header;
  ASSERT_TRUE(header.Attach(list.GetHeaderCtrl()));
  EXPECT_EQ(header.GetItemCount(), 2);
  header.Detach();
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);

  CTreeCtrl tree;
  ASSERT_TRUE(tree.Create(TVS_HASBUTTONS, CRect(0, 0, 200, 200), parent, 2));
  HTREEITEM root = tree.InsertItem(L"Host controller", TVI_ROOT, TVI_LAST, -1, -1, 7);
  HTREEITEM hub = tree.InsertItem(L"Root hub", root);
  HTREEITEM port = tree.InsertItem(L"Port 1", hub);
  ASSERT_TRUE(root && hub && port);
  EXPECT_EQ(tree.GetRootItem(), root);
  EXPECT_EQ(tree.GetChildItem(root), hub);
  EXPECT_EQ(tree.GetParentItem(port), hub);
  EXPECT_EQ(tree.GetNextSiblingItem(hub), nullptr);
  EXPECT_EQ(tree.GetItemText(port), L"Port 1");
  EXPECT_EQ(tree.GetItemData(root), 7);
  EXPECT_TRUE(tree.SetItemText(port, L"Port 2"));
  EXPECT_EQ(tree.GetItemText(port), L"Port 2");
  EXPECT_EQ(tree.GetCount(), 3u);
  EXPECT_TRUE(tree.SelectItem(port));
  EXPECT_EQ(tree.GetSelectedItem(), port);
  EXPECT_TRUE(tree.DeleteItem(hub));
  EXPECT_EQ(tree.GetCount(), 1u);
}

TEST_F(Controls, RangedControlsKeepTheirPositionsInRange) {
  CProgressCtrl progress;
  ASSERT_TRUE(progress.Create(PBS_SMOOTH, CRect(0, 0, 100, 16), parent, 3));
  progress.SetRange(0, 100);
  progress.SetPos(40);
  EXPECT_EQ(progress.GetPos(), 40);
  progress.SetPos(250);  // clamped by the control
  EXPECT_EQ(progress.GetPos(), 100);
  int low = -1, high = -1;
  progress.GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);

  CSliderCtrl slider;
  ASSERT_TRUE(slider.Create(TBS_HORZ, CRect(0, 20, 200, 50), parent, 4));
  slider.SetRange(1, 16);
  slider.SetPageSize(4);
  slider.SetPos(20);
  EXPECT_EQ(slider.GetRangeMin(), 1);
  EXPECT_EQ(slider.GetRangeMax(), 16);
  EXPECT_EQ(slider.GetPos(), 16);
  EXPECT_EQ(slider.GetPageSize(), 4);

  CEdit buddy;
  ASSERT_TRUE(buddy.Create(ES_NUMBER, CRect(0, 60, 60, 80), parent, 5));
  CSpinButtonCtrl spin;
  ASSERT_TRUE(spin.Create(UDS_SETBUDDYINT | UDS_ALIGNRIGHT, CRect(60, 60, 76, 80), parent, 6));
  spin.SetBuddy(buddy);
  spin.SetRange32(0, 500);
  spin.SetPos32(123);
  EXPECT_EQ(spin.GetBuddy(), buddy.m_hWnd);
  EXPECT_EQ(spin.GetPos32(), 123);
  EXPECT_EQ(buddy.GetWindowText(), L"123");
  int lower = -1, upper = -1;
  spin.GetRange32(lower, upper);
  EXPECT_EQ(upper, 500);
}

TEST_F(Controls, StandardControlsAndTheRichEdit) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST, CRect(0, 0, 120, 200), parent, 7));
  EXPECT_EQ(combo.AddString(L"Show text labels"), 0);
  EXPECT_EQ(combo.AddString(L"No text labels"), 1);
  EXPECT_EQ(combo.InsertString(1, L"Selective text on right"), 1);
  EXPECT_EQ(combo.GetCount(), 3);
  EXPECT_EQ(combo.SetCurSel(2), 2);
  EXPECT_EQ(combo.GetLBText(combo.GetCurSel()), L"No text labels");
  EXPECT_EQ(combo.GetLBText(9), L"");
  EXPECT_EQ(combo.FindStringExact(-1, L"Selective text on right"), 1);

  CEdit edit;
  ASSERT_TRUE(edit.Create(ES_AUTOHSCROLL, CRect(0, 30, 200, 50), parent, 8));
  edit.SetWindowText(L"0123456789");
  edit.SetSel(2, 5);
  int start = 0, end = 0;
  edit.GetSel(start, end);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 5);
  edit.ReplaceSel(L"-");
  EXPECT_EQ(edit.GetWindowText(), L"01-56789");
  edit.SetLimitText(4);
  EXPECT_EQ(edit.GetLimitText(), 4u);

  CButton check;
  ASSERT_TRUE(check.Create(L"Colorize", BS_AUTOCHECKBOX, CRect(0, 60, 100, 80), parent, 9));
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
  check.Click();
  EXPECT_EQ(check.GetCheck(), BST_CHECKED);
  EXPECT_EQ(check.GetButtonStyle() & 0x0F, static_cast<UINT>(BS_AUTOCHECKBOX));

  CStatic label;
  ASSERT_TRUE(label.Create(L"Note", SS_LEFT, CRect(0, 90, 100, 110), parent));
  EXPECT_EQ(label.GetWindowText(), L"Note");

  CRichEditCtrl rich;
  ASSERT_TRUE(rich.Create(ES_MULTILINE, CRect(0, 120, 200, 200), parent, 10));
  rich.SetWindowText(L"line one\r\nline two");
  rich.SetSel(9, 13);
  long from = 0, to = 0;
  rich.GetSel(from, to);
  EXPECT_EQ(from, 9);
  EXPECT_EQ(to, 13);
  EXPECT_EQ(rich.LineFromChar(from), 1);
  rich.SetEventMask(ENM_SELCHANGE);
  EXPECT_EQ(rich.GetEventMask(), static_cast<DWORD>(ENM_SELCHANGE));

  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1));
  EXPECT_EQ(images.Add(::LoadIconW(nullptr, IDI_INFORMATION)), 0);
  EXPECT_EQ(images.Add(::LoadIconW(nullptr, IDI_WARNING)), 1);
  EXPECT_EQ(images.GetImageCount(), 2);
  int cx = 0, cy = 0;
  EXPECT_TRUE(images.GetIconSize(cx, cy));
  EXPECT_EQ(cx, 16);
  HIMAGELIST kept = images.Detach();
  EXPECT_EQ(images.GetSafeHandle(), nullptr);
  EXPECT_TRUE(::ImageList_Destroy(kept));

  CToolTipCtrl tips;
  ASSERT_TRUE(tips.Create(parent));
  EXPECT_TRUE(tips.AddTool(check, L"Colours the background"));
  EXPECT_EQ(tips.GetToolCount(), 1);
  EXPECT_EQ(tips.GetText(check), L"Colours the background");
  tips.UpdateTipText(L"New tip", check);
  EXPECT_EQ(tips.GetText(check), L"New tip");
}

// A view whose context menu comes from the frame's handlers.
class CMenuFrame : public CFrameWnd {
public:
  CMenuFrame() { m_bAutoDelete = false; }
  ~CMenuFrame() override { DestroyWindow(); }
  std::vector<UINT> ran;
  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_CMD_FRAME) || cmd.Is(ID_CMD_DISABLED)) {
      ran.push_back(cmd.Id());
      return true;
    }
    return CFrameWnd::OnCommand(cmd);
  }
  bool OnUpdateCommand(CCmdUI& ui) override {
    if (ui.m_nID == ID_CMD_DISABLED) {
      ui.Enable(false);
      return true;
    }
    if (ui.m_nID == ID_CMD_CHECKED) {
      ui.SetCheck(1);
      return true;
    }
    return CFrameWnd::OnUpdateCommand(ui);
  }
};

struct MenuScript {
  HWND owner;
  HMENU popup;
  UINT disabledState = 0;
  UINT checkedState = 0;
  UINT noneState = 0;
};
MenuScript* g_script = nullptr;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  // The popup is open: look at its items, then choose the first one.
  g_script->disabledState = ::GetMenuState(g_script->popup, 1, MF_BYPOSITION);
  g_script->checkedState = ::GetMenuState(g_script->popup, 2, MF_BYPOSITION);
  g_script->noneState = ::GetMenuState(g_script->popup, 3, MF_BYPOSITION);
  ::PostMessageW(g_script->owner, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageW(g_script->owner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(Menu, APopupOfAViewIsFilledAndRoutedByItsFrame) {
  CMenuFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200)));
  CWnd view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), frame,
                            AFX_IDW_PANE_FIRST));
  frame.SetActiveView(&view);
  ::SetForegroundWindow(frame);
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, ID_CMD_FRAME, L"Frame");
  menu.AppendMenu(MF_STRING, ID_CMD_DISABLED, L"Disabled");
  menu.AppendMenu(MF_STRING, ID_CMD_CHECKED, L"Checked");
  menu.AppendMenu(MF_STRING, ID_CMD_NONE, L"Nobody");
  EXPECT_EQ(menu.GetMenuString(0, MF_BYPOSITION), L"Frame");
  MenuScript script{view.m_hWnd, menu};
  g_script = &script;
  ::SetTimer(nullptr, 0, 300, &DriveMenu);
  EXPECT_TRUE(menu.TrackPopupMenu(TPM_LEFTALIGN, 50, 50, &view));
  g_script = nullptr;
  EXPECT_TRUE(script.disabledState & MF_GRAYED);
  EXPECT_TRUE(script.checkedState & MF_CHECKED);
  EXPECT_TRUE(script.noneState & MF_GRAYED);  // no handler anywhere on the route
  EXPECT_EQ(frame.ran, std::vector<UINT>{ID_CMD_FRAME});
  // With TPM_RETURNCMD the caller gets the id and nothing runs.
  script = MenuScript{view.m_hWnd, menu};
  g_script = &script;
  ::SetTimer(nullptr, 0, 300, &DriveMenu);
  EXPECT_EQ(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, 50, 50, &view), static_cast<BOOL>(ID_CMD_FRAME));
  g_script = nullptr;
  EXPECT_EQ(frame.ran.size(), 1u);
}

} // namespace
} // namespace brx
