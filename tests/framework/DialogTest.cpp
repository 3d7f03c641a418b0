// Dialogs: the modal loop (pre-translation, idle, keyboard navigation, data
// exchange with a failed check) and modeless dialogs in the main loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

using test::App;
using test::Pump;

// Builds a dialog template in memory (DLGTEMPLATE with its items).
class TemplateBuilder {
public:
  TemplateBuilder(const wchar_t* title, short cx, short cy) {
    DLGTEMPLATE head{};
    head.style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    head.cx = cx;
    head.cy = cy;
    Append(&head, sizeof(head));
    Word(0);  // no menu
    Word(0);  // default class
    Text(title);
    Word(8);
    Text(L"MS Shell Dlg");
  }
  TemplateBuilder& Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const wchar_t* text) {
    Align(4);
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Append(&item, sizeof(item));
    Word(0xFFFF);
    Word(cls);  // 0x80 button, 0x81 edit, 0x82 static
    Text(text);
    Word(0);  // no creation data
    ++reinterpret_cast<DLGTEMPLATE*>(m_data.data())->cdit;
    return *this;
  }
  const DLGTEMPLATE* Get() { return reinterpret_cast<const DLGTEMPLATE*>(m_data.data()); }

private:
  void Append(const void* p, size_t n) {
    size_t at = m_data.size();
    m_data.resize(at + (n + 1) / 2);
    std::memcpy(m_data.data() + at, p, n);
  }
  void Word(WORD w) { m_data.push_back(w); }
  void Text(const wchar_t* s) {
    for (; *s; ++s) m_data.push_back(static_cast<WORD>(*s));
    m_data.push_back(0);
  }
  void Align(size_t bytes) {
    while ((m_data.size() * 2) % bytes) m_data.push_back(0);
  }
  std::vector<WORD> m_data;  // DWORD alignment: vector storage is aligned
};

enum : WORD { IDC_NAME = 10, IDC_COUNT = 11, IDC_FLAG = 12, IDC_RADIO1 = 13, IDC_RADIO2 = 14 };

TemplateBuilder MakeSettingsTemplate() {
  TemplateBuilder t(L"Settings", 200, 120);
  t.Item(WS_TABSTOP | ES_AUTOHSCROLL | WS_BORDER, 10, 10, 100, 12, IDC_NAME, 0x81, L"")
      .Item(WS_TABSTOP | ES_AUTOHSCROLL | WS_BORDER, 10, 30, 100, 12, IDC_COUNT, 0x81, L"")
      .Item(WS_TABSTOP | BS_AUTOCHECKBOX, 10, 50, 100, 12, IDC_FLAG, 0x80, L"Flag")
      .Item(WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 10, 65, 50, 12, IDC_RADIO1, 0x80, L"One")
      .Item(BS_AUTORADIOBUTTON, 70, 65, 50, 12, IDC_RADIO2, 0x80, L"Two")
      .Item(WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 40, 95, 50, 14, IDOK, 0x80, L"OK")
      .Item(WS_TABSTOP | BS_PUSHBUTTON, 100, 95, 50, 14, IDCANCEL, 0x80, L"Cancel");
  return t;
}

class CSettingsDlg : public CDialog {
public:
  using CDialog::CDialog;
  std::wstring name = L"capture";
  int count = 5;
  int flag = 1;
  int choice = 0;
  int kickIdle = 0;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_KICKIDLE) ++kickIdle;
    return CDialog::OnWndMsg(msg, wp, lp, result);
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_NAME, name);
    DDX_Text(dx, IDC_COUNT, count);
    DDV_MinMaxInt(dx, count, 1, 100);
    DDX_Check(dx, IDC_FLAG, flag);
    DDX_Radio(dx, IDC_RADIO1, choice);
  }
};

// Posts a key to the control with the focus, as the keyboard would.
void PostKey(UINT vk) {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, vk, 1);
  ::PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
}

int FocusId() {
  return ::GetDlgCtrlID(::GetFocus());
}

struct ScopedIdle {
  explicit ScopedIdle(std::function<void(LONG)> f) { App().onIdle = std::move(f); }
  ~ScopedIdle() { App().onIdle = nullptr; }
};

TEST(Dialog, ModalDialogRunsIdleAndKeyboardNavigationAndChecksItsData) {
  auto* owner = new CFrameWnd;
  ASSERT_TRUE(owner->Create(nullptr, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 400)));
  TemplateBuilder t = MakeSettingsTemplate();
  CSettingsDlg dlg(t.Get(), owner->m_hWnd);
  // The script runs at idle time inside the modal loop, one step per idle pass.
  std::vector<int> focusSeen;
  bool ownerDisabled = false;
  std::wstring shownName;
  LRESULT shownRadio1 = -1, shownRadio2 = -1;
  int step = 0;
  ScopedIdle idle([&](LONG) {
    if (!dlg.m_hWnd) return;
    switch (step++) {
    case 0:
      ownerDisabled = !::IsWindowEnabled(owner->m_hWnd);
      shownName = CWnd::GetWindowText(dlg.GetDlgItem(IDC_NAME));
      shownRadio1 = ::SendMessageW(dlg.GetDlgItem(IDC_RADIO1), BM_GETCHECK, 0, 0);
      shownRadio2 = ::SendMessageW(dlg.GetDlgItem(IDC_RADIO2), BM_GETCHECK, 0, 0);
      focusSeen.push_back(FocusId());
      PostKey(VK_TAB);
      break;
    case 1:
      focusSeen.push_back(FocusId());
      PostKey(VK_TAB);
      break;
    case 2:
      focusSeen.push_back(FocusId());
      ::SetWindowTextW(dlg.GetDlgItem(IDC_NAME), L"usb");
      ::SetWindowTextW(dlg.GetDlgItem(IDC_COUNT), L"12x");  // not a number
      PostKey(VK_RETURN);
      break;
    case 3:
      focusSeen.push_back(FocusId());  // the failed field took the focus
      ::SetWindowTextW(dlg.GetDlgItem(IDC_COUNT), L" 42 ");
      ::SendMessageW(dlg.GetDlgItem(IDC_RADIO2), BM_CLICK, 0, 0);
      PostKey(VK_RETURN);
      break;
    }
  });
  INT_PTR result = dlg.DoModal();
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(::IsWindowEnabled(owner->m_hWnd));
  EXPECT_EQ(shownName, L"capture");  // UpdateData(FALSE) in OnInitDialog
  EXPECT_EQ(shownRadio1, BST_CHECKED);  // choice 0 shown as the first button
  EXPECT_EQ(shownRadio2, BST_UNCHECKED);
  EXPECT_EQ(focusSeen, (std::vector<int>{IDC_NAME, IDC_COUNT, IDC_FLAG, IDC_COUNT}));
  EXPECT_EQ(dlg.name, L"usb");
  EXPECT_EQ(dlg.count, 42);
  EXPECT_EQ(dlg.choice, 1);  // the second button, clicked
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_GT(dlg.kickIdle, 0);
  owner->DestroyWindow();
}

TEST(Dialog, EscapeCancelsAndAnOutOfRangeValueIsRefused) {
  TemplateBuilder t = MakeSettingsTemplate();
  CSettingsDlg dlg(t.Get());
  int step = 0;
  bool stillOpenAfterBadValue = false;
  ScopedIdle idle([&](LONG) {
    if (!dlg.m_hWnd) return;
    switch (step++) {
    case 0:
      ::SetWindowTextW(dlg.GetDlgItem(IDC_COUNT), L"101");  // above the range
      ::PostMessageW(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
      break;
    case 1:
      stillOpenAfterBadValue = dlg.m_hWnd != nullptr && FocusId() == IDC_COUNT;
      PostKey(VK_ESCAPE);
      break;
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(stillOpenAfterBadValue);
}

TEST(Dialog, EndDialogDuringInitialisationNeverEntersTheLoop) {
  struct CQuick : CDialog {
    using CDialog::CDialog;
    BOOL OnInitDialog() override {
      CDialog::OnInitDialog();
      EndDialog(77);
      return TRUE;
    }
  };
  TemplateBuilder t(L"Quick", 50, 50);
  CQuick dlg(t.Get());
  EXPECT_EQ(dlg.DoModal(), 77);
}

class CModeless : public CSettingsDlg {
public:
  CModeless(bool* deleted) : m_deleted(deleted) {}
  ~CModeless() override { *m_deleted = true; }
  void PostNcDestroy() override { delete this; }

private:
  bool* m_deleted;
};

TEST(Dialog, ModelessDialogNavigatesWithTheKeyboardInTheMainLoopAndDeletesItself) {
  TemplateBuilder t = MakeSettingsTemplate();
  bool deleted = false;
  auto* dlg = new CModeless(&deleted);
  ASSERT_TRUE(dlg->CreateIndirect(t.Get(), nullptr));
  dlg->ShowWindow(SW_SHOW);
  ::SetActiveWindow(dlg->m_hWnd);
  Pump();
  EXPECT_EQ(FocusId(), IDC_NAME);
  PostKey(VK_TAB);
  Pump();
  EXPECT_EQ(FocusId(), IDC_COUNT);
  // Shift+Tab is told by the key state; Enter instead goes to the default button.
  ::SetWindowTextW(dlg->GetDlgItem(IDC_COUNT), L"7");
  PostKey(VK_RETURN);
  Pump();
  EXPECT_TRUE(deleted);  // OK on a modeless dialog destroys it
}

} // namespace
} // namespace brx
