// Property sheets run modeless in our own loop: Tab and Ctrl+Tab navigation
// under Wine, a page that refuses to be left, Apply and the modified state,
// the sheet's own initialisation, help flags and the result.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/PropertySheet.h"
#include "tests/framework/TestApp.h"
#include "tests/framework/TestIds.h"

namespace brx {
namespace {

using test::App;

class CNamePage : public CPropertyPage {
public:
  CNamePage() : CPropertyPage(IDD_PAGE_ONE) {}
  std::wstring name = L"hub";
  int killActive = 0;
  int applied = 0;
  void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_NAME, name); }
  BOOL OnKillActive() override {
    ++killActive;
    if (!CPropertyPage::OnKillActive()) return FALSE;
    return name != L"bad";  // invalid data keeps the page
  }
  BOOL OnApply() override {
    ++applied;
    return CPropertyPage::OnApply();
  }
};

class CFlagPage : public CPropertyPage {
public:
  CFlagPage() : CPropertyPage(IDD_PAGE_TWO, IDS_PAGE_TWO) {}
  int setActive = 0;
  int applied = 0;
  BOOL OnSetActive() override {
    ++setActive;
    return TRUE;
  }
  BOOL OnApply() override {
    ++applied;
    return CPropertyPage::OnApply();
  }
};

class CTestSheet : public CPropertySheet {
public:
  using CPropertySheet::CPropertySheet;
  int initialised = 0;
  int tabsAtInit = -1;
  BOOL OnInitDialog() override {
    ++initialised;
    tabsAtInit = TabCtrl_GetItemCount(GetTabControl());
    return TRUE;
  }
};

// Keys as the keyboard would give them to the focused window; Ctrl and
// Shift are held in the thread's key state meanwhile.
void HoldKeys(bool ctrl, bool shift) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(keys);
}

void PressTab() {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
  ::PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
}

std::wstring TabText(HWND tab, int index) {
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  TabCtrl_GetItem(tab, index, &item);
  return text;
}

TEST(Sheets, TwoPagesRunWithTabAndCtrlTabRefuseAPageChangeAndApply) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&icc);
  CNamePage one;
  CFlagPage two;
  CTestSheet sheet(L"Preferences");
  sheet.m_psh.dwFlags &= ~PSH_HASHELP;
  one.m_psp.dwFlags &= ~PSP_HASHELP;
  two.m_psp.dwFlags &= ~PSP_HASHELP;
  sheet.AddPage(&one);
  sheet.AddPage(&two);

  // The script runs on the idle passes of the sheet's loop.
  std::vector<std::string> failures;
  auto check = [&](bool ok, const char* what) {
    if (!ok) failures.push_back(what);
  };
  int step = 0;
  HWND secondEdit = nullptr;
  App().onIdle = [&](LONG count) {
    if (count != 0 || !sheet.m_hWnd) return;
    switch (step++) {
    case 0:
      check(sheet.initialised == 1 && sheet.tabsAtInit == 2, "OnInitDialog after the system's own");
      check(TabText(sheet.GetTabControl(), 0) == L"General", "template title");
      check(TabText(sheet.GetTabControl(), 1) == L"Coloring", "caption from the string");
      check(!::IsWindowVisible(::GetDlgItem(sheet, IDHELP)), "no Help button without help flags");
      check(::GetDlgCtrlID(::GetFocus()) == IDC_NAME, "focus on the first control");
      PressTab();
      break;
    case 1:
      secondEdit = ::GetFocus();
      check(::GetDlgCtrlID(secondEdit) == IDC_COUNT, "Tab moves to the next control of the page");
      ::SetDlgItemTextW(one, IDC_NAME, L"bad");
      HoldKeys(true, false);
      PressTab();
      break;
    case 2:
      check(sheet.GetActiveIndex() == 0 && one.killActive == 1, "the page refused to be left");
      check(two.setActive == 0, "the second page was not shown");
      ::SetDlgItemTextW(one, IDC_NAME, L"root hub");
      PressTab();
      break;
    case 3:
      HoldKeys(false, false);
      check(sheet.GetActiveIndex() == 1 && sheet.GetActivePage() == &two, "Ctrl+Tab moves to the next page");
      check(two.setActive == 1 && one.name == L"root hub", "the page took its data");
      check(!::IsWindowEnabled(::GetDlgItem(sheet, 0x3021)), "Apply disabled while nothing changed");
      two.SetModified(true);
      check(two.IsModified() && ::IsWindowEnabled(::GetDlgItem(sheet, 0x3021)), "a change enables Apply");
      sheet.PressButton(PSBTN_APPLYNOW);
      break;
    case 4:
      check(one.applied == 1 && two.applied == 1, "Apply reaches every page made");
      check(!two.IsModified() && !::IsWindowEnabled(::GetDlgItem(sheet, 0x3021)), "applied: unchanged");
      HoldKeys(true, true);
      PressTab();
      break;
    case 5:
      HoldKeys(false, false);
      check(sheet.GetActiveIndex() == 0, "Ctrl+Shift+Tab goes back");
      sheet.PressButton(PSBTN_OK);
      break;
    default:
      if (step > 50) {
        failures.push_back("the sheet did not close");
        sheet.PressButton(PSBTN_CANCEL);
      }
      break;
    }
  };
  INT_PTR result = sheet.DoModal();
  App().onIdle = nullptr;
  HoldKeys(false, false);
  for (const std::string& f : failures) ADD_FAILURE() << f;
  EXPECT_GE(step, 6);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(one.applied, 2);  // OK applies once more
  EXPECT_EQ(sheet.m_hWnd, nullptr);
  EXPECT_EQ(one.m_hWnd, nullptr);
}

TEST(Sheets, ModelessSheetLivesInTheMainLoopAndCancelIsTheResult) {
  CNamePage one;
  CFlagPage two;
  CTestSheet sheet(L"Modeless", nullptr, 1);
  sheet.AddPage(&one);
  sheet.AddPage(&two);
  EXPECT_EQ(sheet.GetActiveIndex(), 1);  // before creation: the start page
  ASSERT_TRUE(sheet.Create());
  EXPECT_EQ(sheet.GetActivePage(), &two);
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet, IDHELP)));  // help flags are on by default
  EXPECT_TRUE(sheet.SetActivePage(&one));
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  ::SetDlgItemTextW(one, IDC_NAME, L"bad");
  EXPECT_FALSE(sheet.SetActivePage(1));  // refused by the page
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  ::SetDlgItemTextW(one, IDC_NAME, L"ok");
  // Keys reach the sheet through the main loop's pre-translation.
  HoldKeys(true, false);
  PressTab();
  test::Pump();
  HoldKeys(false, false);
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_FALSE(sheet.IsClosed());
  sheet.PressButton(PSBTN_CANCEL);
  test::Pump();
  EXPECT_TRUE(sheet.IsClosed());
  EXPECT_EQ(sheet.GetResult(), IDCANCEL);
  EXPECT_EQ(one.applied, 0);
  sheet.DestroyWindow();
  EXPECT_EQ(sheet.m_hWnd, nullptr);
}

} // namespace
} // namespace brx
