// The "Go to Record" dialog driven as a user drives it: typing into the
// number edit, "&Go", Enter and Escape through the main loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/commands/win/GoToDlg.h"
#include "app/res/goto_ids.h"
#include "framework/FrameWnd.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

using test::Pump;

class RecordingTarget final : public IGoToTarget {
public:
    void GoToRecord(uint32_t sequence) override { sequences.push_back(sequence); }
    void OnGoToDialogClosed() override { ++closed; }
    std::vector<uint32_t> sequences;
    int closed = 0;
};

// A top-level owner, as the main frame is.
class OwnerWindow : public CWnd {
public:
    OwnerWindow() {
        RECT rc{100, 100, 700, 500};
        CreateEx(0, RegisterWndClass(0), L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc, nullptr, 0);
    }
    ~OwnerWindow() override { DestroyWindow(); }
};

class GoToDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = new CGoToDlg(&owner, &target);
        ASSERT_TRUE(dlg->Create());
        hwnd = dlg->m_hWnd;
        dlg->ShowWindow(SW_SHOW);
        ::SetActiveWindow(hwnd);
        ::SetFocus(Edit());
        Pump();
    }
    void TearDown() override {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
        Pump();
    }
    HWND Edit() const { return ::GetDlgItem(hwnd, IDC_GOTO_SEQUENCE); }
    HWND Go() const { return ::GetDlgItem(hwnd, IDOK); }
    std::wstring Text() const { return CWnd::GetWindowText(Edit()); }
    // Keys as the keyboard gives them, through the main loop's dialog navigation.
    void Type(const std::wstring& keys) {
        for (wchar_t ch : keys) ::PostMessageW(Edit(), WM_CHAR, ch, 1);
        Pump();
    }
    void Key(UINT vk) {
        HWND focus = ::GetFocus();
        ::PostMessageW(focus, WM_KEYDOWN, vk, 1);
        ::PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
        Pump();
    }
    // Back in the edit (as a click there), all of it selected and deleted.
    void ClearEdit() {
        ::SetFocus(Edit());
        ::SendMessageW(Edit(), EM_SETSEL, 0, -1);
        Type(L"\b");
    }
    void ClickGo() {
        ::SendMessageW(Go(), BM_CLICK, 0, 0);
        Pump();
    }

    // One owner for the whole program: a top-level window takes Wine two
    // seconds to go.
    static OwnerWindow& Owner() {
        static OwnerWindow* owner = new OwnerWindow;
        return *owner;
    }
    OwnerWindow& owner = Owner();
    RecordingTarget target;
    CGoToDlg* dlg = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(GoToDialog, TemplateHasItsTitleControlsAndSize) {
    EXPECT_EQ(CWnd::GetWindowText(hwnd), L"Go to Record");
    EXPECT_EQ(CWnd::GetWindowText(Go()), L"&Go");
    EXPECT_EQ(CWnd::GetWindowText(::GetDlgItem(hwnd, IDCANCEL)), L"Close");
    RECT units{0, 0, 122, 58};
    ::MapDialogRect(hwnd, &units);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    // Centred on the owner.
    RECT o{}, d{};
    ::GetWindowRect(owner.m_hWnd, &o);
    ::GetWindowRect(hwnd, &d);
    EXPECT_NEAR((d.left + d.right) / 2, (o.left + o.right) / 2, 1);
    EXPECT_NEAR((d.top + d.bottom) / 2, (o.top + o.bottom) / 2, 1);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    test::SaveScreenshot(hwnd, "go_to_dialog.bmp");
}

TEST_F(GoToDialog, GoFollowsWhetherTheEditHoldsText) {
    EXPECT_FALSE(::IsWindowEnabled(Go()));
    Type(L"4");
    EXPECT_TRUE(::IsWindowEnabled(Go()));
    Type(L"\b");
    EXPECT_EQ(Text(), L"");
    EXPECT_FALSE(::IsWindowEnabled(Go()));
}

TEST_F(GoToDialog, ElevenDigitsCannotBeTyped) {
    Type(L"12345678901");
    EXPECT_EQ(Text(), L"1234567890");
}

TEST_F(GoToDialog, OnlyNumbersWithin32BitsGo) {
    Type(L"4294967296");
    ClickGo();
    EXPECT_TRUE(target.sequences.empty()) << "above 32 bits";
    ClearEdit();
    Type(L"12a");
    ClickGo();
    EXPECT_TRUE(target.sequences.empty()) << "not digits only";
    ClearEdit();
    Type(L"4294967295");
    ClickGo();
    ASSERT_EQ(target.sequences, std::vector<uint32_t>{4294967295u});
    EXPECT_TRUE(::IsWindow(hwnd)) << "the dialog stays open";
}

TEST_F(GoToDialog, TwoNumbersInARowWithGoAndEnter) {
    Type(L"17");
    ClickGo();
    ClearEdit();
    Type(L"0023");
    Key(VK_RETURN);
    EXPECT_EQ(target.sequences, (std::vector<uint32_t>{17, 23}));
    EXPECT_EQ(target.closed, 0);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
}

TEST_F(GoToDialog, EscapeTellsTheFrameAndDestroysTheDialog) {
    Type(L"5");
    Key(VK_ESCAPE);
    EXPECT_EQ(target.closed, 1);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(target.sequences.empty());
}

TEST_F(GoToDialog, CloseButtonTellsTheFrameOnce) {
    ::SendMessageW(::GetDlgItem(hwnd, IDCANCEL), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(target.closed, 1);
    EXPECT_FALSE(::IsWindow(hwnd));
}

} // namespace
} // namespace brx
