// The masked hex edit over a real edit control, driven with the messages a
// user's keys, clicks and clipboard commands send.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/HexMaskedEdit.h"

using namespace brx;
using namespace brx::test;

namespace {

constexpr UINT kEditId = 1058;

class CCountingHost : public CTestHostWnd {
public:
    int changes = 0;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_COMMAND && LOWORD(wp) == kEditId && HIWORD(wp) == EN_CHANGE) ++changes;
        return CTestHostWnd::OnWndMsg(msg, wp, lp, result);
    }
};

class CQuietEdit : public CHexMaskedEdit {
public:
    using CHexMaskedEdit::CHexMaskedEdit;
    int beeps = 0;
    void OnBadKey() override { ++beeps; }
};

class HexMaskedEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = SharedHost<CCountingHost>(CRect(60, 60, 460, 160));
        ASSERT_NE(host->m_hWnd, nullptr);
        HWND raw = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10,
                                     300, 24, *host, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditId)),
                                     ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(raw, nullptr);
        ::SendMessageW(raw, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
        edit.SetPromptChar(L'_');
        ASSERT_TRUE(edit.SubclassEdit(raw));
        ::SetFocus(raw);
        Pump();
    }
    void TearDown() override {
        HWND raw = edit.m_hWnd;
        edit.UnsubclassWindow();
        ::DestroyWindow(raw);
    }
    void Keys(const wchar_t* chars) {
        for (const wchar_t* c = chars; *c; ++c) edit.SendMessage(WM_CHAR, *c, 1);
    }
    void Key(UINT vk) { edit.SendMessage(WM_KEYDOWN, vk, 1); }
    std::wstring Text() const { return edit.GetWindowText(); }
    int Caret() const {
        int s = 0, e = 0;
        edit.GetSel(s, e);
        return e;
    }
    void Select(int s, int e) { edit.SetSel(s, e); }
    std::string ClipboardText() {
        std::string text;
        if (!::OpenClipboard(host->m_hWnd)) return "(closed)";
        if (HANDLE h = ::GetClipboardData(CF_TEXT))
            if (const char* p = static_cast<const char*>(::GlobalLock(h))) {
                text = p;
                ::GlobalUnlock(h);
            }
        ::CloseClipboard();
        return text;
    }
    void PutClipboard(const char* text) {
        ASSERT_TRUE(::OpenClipboard(host->m_hWnd));
        ::EmptyClipboard();
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
        memcpy(::GlobalLock(h), text, strlen(text) + 1);
        ::GlobalUnlock(h);
        ::SetClipboardData(CF_TEXT, h);
        ::CloseClipboard();
    }

    CCountingHost* host = nullptr;
    CQuietEdit edit{L"## ##"};
};

TEST_F(HexMaskedEditTest, KeysTable) {
    // Each row starts from "A1 F_" typed, then runs its keys.
    struct Row {
        const char* name;
        int selStart, selEnd;  // -1: leave the caret where typing left it
        std::vector<std::pair<UINT, WPARAM>> messages;
        const wchar_t* text;
        int caret;
        int beeps;
    } rows[] = {
        {"typed", -1, -1, {}, L"A1 F_", 4, 0},
        {"backspace", -1, -1, {{WM_CHAR, 8}}, L"A1 __", 3, 0},
        {"backspace to start", -1, -1, {{WM_CHAR, 8}, {WM_CHAR, 8}, {WM_CHAR, 8}, {WM_CHAR, 8}}, L"__ __", 0, 0},
        {"insert at start", 0, 0, {{WM_CHAR, L'5'}}, L"5A 1F", 1, 0},
        {"refused G", 0, 0, {{WM_CHAR, L'G'}}, L"A1 F_", 0, 1},
        {"refused space", 1, 1, {{WM_CHAR, L' '}}, L"A1 F_", 1, 1},
        {"on a literal", 2, 2, {{WM_CHAR, L'7'}}, L"A1 F_", 3, 1},
        {"delete on literal", 2, 2, {{WM_KEYDOWN, VK_DELETE}}, L"A1 __", 3, 0},
        {"delete selection", 0, 3, {{WM_KEYDOWN, VK_DELETE}}, L"F_ __", 0, 0},
        {"overwrite", 0, 0, {{WM_KEYDOWN, VK_INSERT}, {WM_CHAR, L'c'}}, L"C1 F_", 1, 0},
        {"end", 0, 0, {{WM_KEYDOWN, VK_END}}, L"A1 F_", 4, 0},
        {"replace selection", 1, 4, {{WM_CHAR, L'e'}}, L"AE __", 3, 0},
    };
    for (const Row& row : rows) {
        edit.ResetInput(TRUE);
        if (!edit.IsInsertMode()) Key(VK_INSERT);
        edit.beeps = 0;
        Select(0, 0);
        Keys(L"a1f");
        if (row.selStart >= 0) Select(row.selStart, row.selEnd);
        for (const auto& [msg, wp] : row.messages) edit.SendMessage(msg, wp, 1);
        EXPECT_EQ(Text(), row.text) << row.name;
        EXPECT_EQ(Caret(), row.caret) << row.name;
        EXPECT_EQ(edit.beeps, row.beeps) << row.name;
    }
    if (!edit.IsInsertMode()) Key(VK_INSERT);
}

TEST_F(HexMaskedEditTest, SetTextFromOutsideFillsTheBytesWithOrWithoutBlanks) {
    for (const wchar_t* text : {L"12 34", L"1234"}) {
        edit.ResetInput(TRUE);
        EXPECT_TRUE(::SetWindowTextW(edit, text));
        EXPECT_EQ(Text(), L"12 34") << text;
        EXPECT_EQ(edit.GetInputText(), L"1234");
    }
}

TEST_F(HexMaskedEditTest, TheControlsOwnChangesReachTheParent) {
    host->changes = 0;
    Keys(L"b");
    EXPECT_GE(host->changes, 1);
}

TEST_F(HexMaskedEditTest, LeavingWithAnOddDigitCompletesTheByte) {
    Keys(L"a1f");
    ::SetFocus(*host);
    Pump();
    EXPECT_EQ(Text(), L"A1 F0");
}

TEST_F(HexMaskedEditTest, ClickingPlacesTheCaretOnInput) {
    ::SetFocus(*host);
    edit.ResetInput(TRUE);
    Pump();
    // Empty, without the focus: the first input position, whatever the spot.
    edit.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 8));
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 8));
    EXPECT_EQ(::GetFocus(), edit.m_hWnd);
    EXPECT_EQ(Caret(), 0);
    // Far to the right of "A1": pulled back to the first empty position.
    Keys(L"a1");
    edit.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(280, 8));
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(280, 8));
    EXPECT_EQ(Caret(), 3);
}

TEST_F(HexMaskedEditTest, ClipboardCopyCutAndPaste) {
    Keys(L"a1f");
    Select(0, 1);
    edit.Copy();
    EXPECT_EQ(ClipboardText(), "A1F");  // the whole typed text, whatever is selected
    // Cut hands the selected digits over, then removes them.
    Select(0, 3);
    edit.Cut();
    EXPECT_EQ(ClipboardText(), "A1");
    EXPECT_EQ(Text(), L"F_ __");
    // Clear removes without touching the clipboard.
    Select(0, 1);
    edit.Clear();
    EXPECT_EQ(Text(), L"__ __");
    EXPECT_EQ(ClipboardText(), "A1");
    // Paste: non-hex characters are dropped.
    PutClipboard("de-ad");
    Select(0, 0);
    edit.Paste();
    EXPECT_EQ(Text(), L"DE AD");
}

TEST(HexMaskedEditPlain, WithoutAMaskItIsAPlainEdit) {
    CCountingHost* host = SharedHost<CCountingHost>(CRect(60, 60, 460, 160));
    HWND raw = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 40, 200, 24, *host,
                                 reinterpret_cast<HMENU>(77), ::GetModuleHandleW(nullptr), nullptr);
    CQuietEdit plain;
    ASSERT_TRUE(plain.SubclassEdit(raw));
    plain.SendMessage(WM_CHAR, L'x', 1);
    plain.SendMessage(WM_CHAR, L'G', 1);
    EXPECT_EQ(plain.GetWindowText(), L"xG");
    EXPECT_EQ(plain.GetInputText(), L"xG");
    EXPECT_EQ(plain.beeps, 0);
    plain.ResetInput(TRUE);
    EXPECT_EQ(plain.GetWindowText(), L"");
    plain.UnsubclassWindow();
    ::DestroyWindow(raw);
}

} // namespace
