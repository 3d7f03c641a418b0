// The extended header over a real report list: hiding and showing columns,
// the display order, divider drags beside hidden columns and double clicks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/HeaderCtrlEx.h"

using namespace brx;
using namespace brx::test;

namespace {

class CListHost : public CTestHostWnd {
public:
    std::vector<int> dividerDoubleClicks;

protected:
    bool OnNotify(NMHDR& nm, LRESULT& result) override {
        if (nm.code == HDN_DIVIDERDBLCLICKW) dividerDoubleClicks.push_back(reinterpret_cast<NMHEADERW&>(nm).iItem);
        result = 0;
        return false;
    }
};

class HeaderExTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.dividerDoubleClicks.clear();
        list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 700, 200, host,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 6; ++i) {
            wchar_t name[] = L"Col 0";
            name[4] = static_cast<wchar_t>(L'0' + i);
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.pszText = name;
            col.cx = 80;
            ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        }
        ASSERT_TRUE(header.SubclassWindow(reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0))));
        for (int i = 0; i < 6; ++i) header.SetItemData(i, new HEADER_COLUMN_INFO{80, i ? 1u : 0u, 1});
        Pump();
    }
    void TearDown() override { ::DestroyWindow(list); }

    std::vector<int> Order() {
        std::vector<int> order(static_cast<size_t>(header.GetItemCount()));
        header.GetOrderArray(order.data(), static_cast<int>(order.size()));
        return order;
    }

    CListHost& host = *SharedHost<CListHost>(CRect(40, 40, 740, 240));
    HWND list = nullptr;
    CHeaderCtrlEx header;
};

TEST_F(HeaderExTest, HidingAndShowingRestoresWidthAndDisplayPosition) {
    EXPECT_EQ(header.CountVisibleColumns(), 6);
    ASSERT_TRUE(header.ShowColumn(3, FALSE));
    EXPECT_EQ(header.GetColumnWidth(3), 0);
    EXPECT_FALSE(header.IsColumnVisible(3));
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 4, 5, 3}));
    EXPECT_EQ(header.GetOrderPosition(3), 5);
    ASSERT_TRUE(header.ShowColumn(3, TRUE));
    EXPECT_EQ(header.GetColumnWidth(3), 80);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Columns without a record answer nothing.
    EXPECT_FALSE(header.ShowColumn(9, FALSE));
    EXPECT_EQ(header.GetColumnOption(9), 0u);
    EXPECT_EQ(header.GetColumnOption(0), 0u);
    EXPECT_EQ(header.GetColumnOption(1), 1u);
    EXPECT_EQ(header.GetOrderPosition(64), -1);
}

TEST_F(HeaderExTest, OrdersPutHiddenColumnsLastAndAfterADragToo) {
    header.ShowColumn(2, FALSE);
    header.ShowColumn(4, FALSE);
    const int order[] = {0, 1, 2, 3, 4, 5};
    ASSERT_TRUE(header.SetOrderArray(order, 6));
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 5, 4, 2}));
    EXPECT_FALSE(header.SetOrderArray(order, 65));
    // A drag (the system's reordering) put a hidden column in front; the
    // list's message after HDN_ENDDRAG moves it back.
    const int dragged[] = {4, 0, 1, 3, 5, 2};
    header.CHeaderCtrl::SetOrderArray(dragged, 6);
    header.PostMessage(HCM_FIXORDER);
    Pump();
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 5, 2, 4}));
    // The nearest visible column to the left of a hidden one.
    EXPECT_EQ(header.FindVisibleColumn(2), 5);
    EXPECT_EQ(header.FindVisibleColumn(3), 3);
}

TEST_F(HeaderExTest, DividerDragsBesideAHiddenColumnResizeTheVisibleOne) {
    header.ShowColumn(2, FALSE);  // order 0 1 3 4 5 2: the hidden column sits at the right end
    BOOL original = FALSE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
    for (BOOL full : {TRUE, FALSE}) {
        SCOPED_TRACE(full);
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, full, nullptr, 0);
        const int before = header.GetColumnWidth(5);
        const int x = 5 * 80;  // the shared divider of columns 5 and 2
        header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
        ASSERT_EQ(header.GetTrackedColumn(), 5);
        header.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, 5));
        header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x + 30, 5));
        EXPECT_EQ(header.GetTrackedColumn(), -1);
        EXPECT_EQ(header.GetColumnWidth(5), before + 30);
        EXPECT_EQ(header.GetColumnWidth(2), 0);
        header.SetColumnWidth(5, 80);
    }
    // A drag that loses the capture: restored under full-window dragging,
    // untouched otherwise.
    for (BOOL full : {TRUE, FALSE}) {
        SCOPED_TRACE(full);
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, full, nullptr, 0);
        header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 5));
        ASSERT_EQ(header.GetTrackedColumn(), 0);
        header.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 5));
        ::SetCapture(host);
        ::ReleaseCapture();
        EXPECT_EQ(header.GetTrackedColumn(), -1);
        EXPECT_EQ(header.GetColumnWidth(0), 80);
    }
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, original, nullptr, 0);
}

TEST_F(HeaderExTest, ADoubleClickOnAHiddenColumnsDividerAsksForTheVisibleOne) {
    header.ShowColumn(2, FALSE);  // order 0 1 3 4 5 2: column 2 sits, zero wide, on column 5's right edge
    // The system's header procedure, called past the extended header.
    WNDCLASSW systemClass{};
    ASSERT_TRUE(::GetClassInfoW(nullptr, WC_HEADERW, &systemClass));
    auto systemHeader = [&](LPARAM at) {
        ::CallWindowProcW(systemClass.lpfnWndProc, header, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    };
    auto rightEdge = [&](int column) {
        RECT r{};
        Header_GetItemRect(header, column, &r);
        return MAKELPARAM(r.right, 5);
    };
    // The list sizes the column named in a request to its content; once
    // that is done, the dividers stay where they are.
    for (int column : {5, 0}) systemHeader(rightEdge(column));
    for (int column : {5, 0}) {
        SCOPED_TRACE(column);
        const LPARAM at = rightEdge(column);
        // What the system's header alone reports for the divider...
        host.dividerDoubleClicks.clear();
        systemHeader(at);
        const std::vector<int> system = host.dividerDoubleClicks;
        // ...and the extended header: on the divider of the hidden column
        // one request more, for the visible column, before the system's own;
        // on an ordinary divider the system's alone.
        host.dividerDoubleClicks.clear();
        header.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        if (column == 0) {
            EXPECT_EQ(host.dividerDoubleClicks, system);
            continue;
        }
        ASSERT_EQ(host.dividerDoubleClicks.size(), system.size() + 1) << system.size();
        EXPECT_EQ(host.dividerDoubleClicks.front(), 5);
        EXPECT_EQ(std::vector<int>(host.dividerDoubleClicks.begin() + 1, host.dividerDoubleClicks.end()), system);
    }
}

// The cursor the header sets when the mouse is at a point of its client area.
HCURSOR CursorAt(CHeaderCtrlEx& header, POINT client) {
    POINT screen = client;
    ::ClientToScreen(header, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SetCursor(nullptr);
    EXPECT_EQ(header.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(header.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    return ::GetCursor();
}

TEST_F(HeaderExTest, DividersShowTheHeadersOwnCursors) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HCURSOR divider = ::LoadCursorW(module, MAKEINTRESOURCEW(kHeaderDividerCursor));
    const HCURSOR split = ::LoadCursorW(module, MAKEINTRESOURCEW(kHeaderSplitCursor));
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_NE(divider, nullptr);
    ASSERT_NE(split, nullptr);
    EXPECT_NE(divider, split);
    ::SetForegroundWindow(host);
    // On a divider, on one that borders a hidden column, and over an item.
    EXPECT_EQ(CursorAt(header, POINT{80, 5}), divider);
    header.ShowColumn(2, FALSE);
    EXPECT_EQ(CursorAt(header, POINT{5 * 80, 5}), divider);
    EXPECT_EQ(CursorAt(header, POINT{40, 5}), arrow);
    // A visible column the user narrowed to nothing: its divider offers the
    // split cursor where the header reports the divider as opening it.
    header.ShowColumn(2, TRUE);
    header.SetColumnWidth(1, 0);
    HDHITTESTINFO hit{};
    hit.pt = POINT{80, 5};
    header.HitTest(hit);
    const HCURSOR expected = (hit.flags & HHT_ONDIVOPEN) && header.FindVisibleColumn(hit.iItem) == 1 ? split : divider;
    EXPECT_EQ(CursorAt(header, POINT{80, 5}), expected) << hit.flags << " " << hit.iItem;
}

} // namespace
