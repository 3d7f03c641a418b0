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
    header.ShowColumn(2, FALSE);
    host.dividerDoubleClicks.clear();
    header.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5 * 80, 5));
    // Whatever the header reports for the shared divider, column 2 is never named.
    for (int column : host.dividerDoubleClicks) EXPECT_NE(column, 2);
    EXPECT_FALSE(host.dividerDoubleClicks.empty());
}

} // namespace
