// The hyperlink over a real static control, with the shell behind a seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/HyperLink.h"

using namespace brx;
using namespace brx::test;

namespace {

class CScriptedLink : public CHyperLink {
public:
    INT_PTR answer = 42;
    std::vector<std::wstring> opened;
    int beeps = 0;

protected:
    INT_PTR ShellOpen(const wchar_t* target) override {
        opened.push_back(target);
        return answer;
    }
    void Beep() override { ++beeps; }
};

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = SharedHost(CRect(50, 50, 450, 150));
        ASSERT_NE(host->m_hWnd, nullptr);
        HWND stat = ::CreateWindowExW(0, L"STATIC", L"https://example.invalid/brindlex", WS_CHILD | WS_VISIBLE, 10, 10,
                                      300, 40, *host, reinterpret_cast<HMENU>(1113), ::GetModuleHandleW(nullptr),
                                      nullptr);
        ::SendMessageW(stat, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        ASSERT_TRUE(link.SubclassLink(stat));
        Pump();
    }
    void TearDown() override {
        HWND stat = link.m_hWnd;
        link.UnsubclassWindow();
        ::DestroyWindow(stat);
    }
    void Press(UINT msg) {
        link.SendMessage(msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(3, 3));
        Pump();
    }

    CTestHostWnd* host = nullptr;
    CScriptedLink link;
};

TEST_F(HyperLinkTest, AClickOpensOnReleaseAndTheLinkBecomesVisited) {
    EXPECT_EQ(link.GetURL(), L"https://example.invalid/brindlex");
    EXPECT_EQ(link.CurrentColor(), CHyperLink::NormalColor());
    Press(WM_LBUTTONUP);  // a release without a press does nothing
    EXPECT_TRUE(link.opened.empty());
    Press(WM_LBUTTONDOWN);
    EXPECT_TRUE(link.opened.empty());
    EXPECT_TRUE(link.IsActive());
    Press(WM_LBUTTONUP);
    ASSERT_EQ(link.opened.size(), 1u);
    EXPECT_EQ(link.opened[0], L"https://example.invalid/brindlex");
    EXPECT_TRUE(link.IsVisited());
    // Active colour while it has the focus, visited once it lost it.
    EXPECT_EQ(link.CurrentColor(), CHyperLink::ActiveColor());
    ::SetFocus(*host);
    Pump();
    EXPECT_EQ(link.CurrentColor(), CHyperLink::VisitedColor());
}

TEST_F(HyperLinkTest, AFailedOpenBeepsAndLeavesTheLinkUnvisited) {
    link.answer = 2;  // file not found
    link.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(link.opened.size(), 1u);
    EXPECT_EQ(link.beeps, 1);
    EXPECT_FALSE(link.IsVisited());
    link.SendMessage(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(link.opened.size(), 1u);
}

TEST_F(HyperLinkTest, StylesAndTheWindowFollowingItsText) {
    EXPECT_FALSE(link.ModifyLinkStyle(HLS_UNDERLINE, HLS_UNDERLINE | HLS_DOWNCLICK));
    EXPECT_EQ(link.GetLinkStyle(), kHyperLinkDefaultStyle);
    ASSERT_TRUE(link.ModifyLinkStyle(0, HLS_DOWNCLICK));
    Press(WM_LBUTTONDOWN);
    EXPECT_EQ(link.opened.size(), 1u);
    Press(WM_LBUTTONUP);
    EXPECT_EQ(link.opened.size(), 1u);
    // The font is underlined and the window as wide as its text.
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(link.GetFont(), sizeof(lf), &lf));
    EXPECT_TRUE(lf.lfUnderline);
    const int before = link.GetClientRect().Width();
    EXPECT_LT(before, 300);
    link.SetWindowText(L"short");
    EXPECT_LT(link.GetClientRect().Width(), before);
    // The tooltip names the target.
    link.SetURL(L"https://example.invalid/other");
    EXPECT_EQ(link.GetToolTip().GetText(link, 1), L"https://example.invalid/other");
    EXPECT_TRUE(SaveScreenshot(*host, "hyperlink.bmp"));
}

TEST(HyperLinkFont, AStaticWithoutAFontKeepsItsSize) {
    CTestHostWnd* host = SharedHost(CRect(50, 50, 450, 150));
    ASSERT_NE(host->m_hWnd, nullptr);
    HWND stat = ::CreateWindowExW(0, L"STATIC", L"link", WS_CHILD | WS_VISIBLE, 10, 10, 300, 40, *host, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    CScriptedLink link;
    ASSERT_TRUE(link.SubclassLink(stat));
    EXPECT_FALSE(link.GetLinkStyle() & HLS_AUTOSIZE);
    EXPECT_EQ(link.GetClientRect().Width(), 300);
    link.UnsubclassWindow();
    ::DestroyWindow(stat);
}

} // namespace
