// The tree-list on real windows: columns and their widths, cells, hit tests,
// clicks, tooltips for cut cells, and a decoded URB rendered through the
// details tree interface (screenshot tree_list_urb.bmp).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "decode/IrpUrbDetails.h"
#include "tests/decode/DetailsRecords.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/TreeList.h"
#include "toolkit/controls/win/TreeListSink.h"

using namespace brx;
using namespace brx::test;

namespace {

// The host of the control under test; it records the notifications that
// reach it.
class CHostWnd : public CTestHostWnd {
public:
    std::vector<UINT> codes;

protected:
    bool OnNotify(NMHDR& nm, LRESULT& result) override {
        codes.push_back(nm.code);
        result = 0;
        return true;
    }
};

class TreeListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::InitCommonControls();
        ASSERT_NE(host.m_hWnd, nullptr);
        CRect client = host.GetClientRect();
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE, client, host, 77));
        list.ModifyStyle(kDetailsStyleRemove, kDetailsStyleAdd);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(list.InsertColumn(i, reinterpret_cast<const wchar_t*>(kDetailsColumns[i].caption), 0,
                                        kDetailsColumns[i].width),
                      i);
        ::SetForegroundWindow(host);
        list.GetTreeCtrl().SetFocus();
        Pump();
    }

    POINT TreePoint(HTREEITEM item, int dx) {
        RECT rc{};
        list.GetTreeCtrl().GetItemRect(item, rc, TRUE);
        return POINT{rc.left + dx, (rc.top + rc.bottom) / 2};
    }
    void Click(POINT pt, UINT msg = WM_LBUTTONDOWN) {
        list.GetTreeCtrl().SendMessage(msg, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        list.GetTreeCtrl().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        Pump();
    }

    CHostWnd& host = *SharedHost<CHostWnd>(CRect(20, 20, 640, 420));
    CTreeList list;
};

TEST_F(TreeListTest, ColumnWidthsFollowTheHeaderAndColumnZeroKeepsItsMinimum) {
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetColumnWidth(0), 150);
    EXPECT_EQ(list.GetColumnWidth(2), 200);
    // A width change of column 0 below 100 is refused, one at 100 is not.
    struct Case {
        int column, width, expected;
    };
    const Case cases[] = {{0, 99, 150}, {0, 40, 150}, {0, 100, 100}, {1, 30, 30}, {2, 260, 260}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column * 1000 + c.width);
        list.SetColumnWidth(c.column, c.width);
        EXPECT_EQ(list.GetColumnWidth(c.column), c.expected);
    }
    // Out-of-range columns are refused.
    EXPECT_FALSE(list.SetColumnWidth(8, 50));
    EXPECT_FALSE(list.SetColumnWidth(-1, 50));
    EXPECT_EQ(list.GetColumnWidth(8), 0);
}

TEST_F(TreeListTest, TheFirstHeaderChangeAfterASynchronisationIsRefused) {
    // A header change of its own (as a drag makes one) right after the widths
    // were synchronised is the echo of that synchronisation.
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 170;
    list.GetHeaderCtrl().SetItem(1, item);
    EXPECT_EQ(list.GetColumnWidth(1), 140);
    list.GetHeaderCtrl().SetItem(1, item);
    EXPECT_EQ(list.GetColumnWidth(1), 170);
}

TEST_F(TreeListTest, CellsAreStoredPerColumnAndOutOfRangeOrOverlongTextIsRefused) {
    HTREEITEM root = list.InsertItemA("Root", TVI_ROOT, TVI_LAST);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(list.GetItemText(root, 0), L"Root");
    EXPECT_EQ(list.GetItemText(root, 1), L"");  // never set
    EXPECT_TRUE(list.SetItemTextA(root, 0, "Renamed"));
    EXPECT_EQ(list.GetItemText(root, 0), L"Renamed");
    EXPECT_EQ(list.GetTreeCtrl().GetItemText(root), L"Renamed");
    EXPECT_TRUE(list.SetItemTextA(root, 7, "seven"));
    EXPECT_EQ(list.GetItemText(root, 7), L"seven");

    EXPECT_FALSE(list.SetItemTextA(root, 8, "eight"));
    EXPECT_EQ(list.GetItemText(root, 8), L"");
    EXPECT_FALSE(list.SetItemTextA(root, -1, "minus"));
    // A null item fails for every column.
    EXPECT_FALSE(list.SetItemTextA(nullptr, 1, "none"));
    EXPECT_FALSE(list.SetItemText(nullptr, 0, L"none"));

    const std::string longest(kTreeListTextChars - 1, 'x');
    const std::string tooLong(kTreeListTextChars, 'x');
    EXPECT_TRUE(list.SetItemTextA(root, 1, longest.c_str()));
    EXPECT_EQ(list.GetItemText(root, 1).size(), longest.size());
    EXPECT_FALSE(list.SetItemTextA(root, 1, tooLong.c_str()));
    EXPECT_EQ(list.GetItemText(root, 1).size(), longest.size());
    const UINT before = list.GetTreeCtrl().GetCount();
    EXPECT_EQ(list.InsertItemA(tooLong.c_str(), TVI_ROOT, TVI_LAST), nullptr);
    EXPECT_EQ(list.GetTreeCtrl().GetCount(), before);
    // A null text stores an empty cell.
    EXPECT_TRUE(list.SetItemTextA(root, 2, nullptr));
    EXPECT_EQ(list.GetItemText(root, 2), L"");
}

TEST_F(TreeListTest, DeletedItemsLeaveNoCellsForTheItemsThatReuseTheirHandles) {
    HTREEITEM a = list.InsertItemA("A", TVI_ROOT, TVI_LAST);
    HTREEITEM child = list.InsertItemA("A.1", a, TVI_LAST);
    list.SetItemTextA(a, 1, "value of A");
    list.SetItemTextA(child, 2, "comment of A.1");
    EXPECT_EQ(list.GetCellRowCount(), 2u);
    ASSERT_TRUE(list.DeleteItem(a));
    EXPECT_EQ(list.GetCellRowCount(), 0u);
    EXPECT_EQ(list.GetItemText(a, 1), L"");
    EXPECT_EQ(list.GetItemText(child, 2), L"");
    // New items (which may get the same handles) start without cells.
    HTREEITEM b = list.InsertItemA("B", TVI_ROOT, TVI_LAST);
    HTREEITEM c = list.InsertItemA("C", b, TVI_LAST);
    EXPECT_EQ(list.GetItemText(b, 1), L"");
    EXPECT_EQ(list.GetItemText(c, 2), L"");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetCellRowCount(), 0u);
}

TEST_F(TreeListTest, HitTestFindsTheColumnAndCellRectsAddUpTheWidths) {
    HTREEITEM item = list.InsertItemA("Row", TVI_ROOT, TVI_LAST);
    list.SetItemTextA(item, 1, "v");
    Pump();
    RECT cell{};
    ASSERT_TRUE(list.GetCellRect(item, 1, cell));
    EXPECT_EQ(cell.left, 150);
    EXPECT_EQ(cell.right, 290);
    ASSERT_TRUE(list.GetCellRect(item, 2, cell));
    EXPECT_EQ(cell.left, 290);
    EXPECT_EQ(cell.right, 490);
    // A column beyond the header answers the last header item's span.
    RECT beyond{};
    ASSERT_TRUE(list.GetCellRect(item, 6, beyond));
    EXPECT_EQ(beyond.left, 290);
    EXPECT_EQ(beyond.right, 490);
    EXPECT_FALSE(list.GetCellRect(item, 8, beyond));
    EXPECT_FALSE(list.GetCellRect(nullptr, 1, beyond));

    // With full-row selection every point of the row right of the label hits.
    const int y = (cell.top + cell.bottom) / 2;
    struct Case {
        int x, column;
    };
    for (const Case& c : {Case{160, 1}, Case{289, 1}, Case{300, 2}, Case{489, 2}}) {
        SCOPED_TRACE(c.x);
        TLHITTESTINFO hit{{c.x, y}, 0, nullptr, -1};
        EXPECT_EQ(reinterpret_cast<HTREEITEM>(list.SendMessage(TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))),
                  item);
        EXPECT_EQ(hit.column, c.column);
        EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMLABEL));
    }
    // The cell text message copies a non-empty cell only.
    wchar_t buffer[16] = {};
    TLCELLTEXT text{1, buffer, 16};
    EXPECT_EQ(list.SendMessage(TLM_GETCELLTEXT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&text)), 1);
    EXPECT_STREQ(buffer, L"v");
    text.column = 2;
    EXPECT_EQ(list.SendMessage(TLM_GETCELLTEXT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&text)), 0);
}

TEST_F(TreeListTest, AClickBesideALabelSelectsNothingAndARightClickSelects) {
    // Without full-row selection only the label's text counts.
    list.ModifyStyle(TVS_FULLROWSELECT, 0);
    HTREEITEM first = list.InsertItemA("First", TVI_ROOT, TVI_LAST);
    HTREEITEM second = list.InsertItemA("Second", TVI_ROOT, TVI_LAST);
    list.GetTreeCtrl().SelectItem(first);
    Pump();
    Click(TreePoint(second, 110));  // right of "Second", inside column 0
    EXPECT_EQ(list.GetTreeCtrl().GetSelectedItem(), first);
    Click(TreePoint(second, 5));
    EXPECT_EQ(list.GetTreeCtrl().GetSelectedItem(), second);

    // A right click selects the row under the cursor and is not passed on.
    host.codes.clear();
    POINT pt = TreePoint(first, 5);
    POINT screen = pt;
    ::ClientToScreen(list.GetTreeCtrl(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    NMHDR nm{list.GetTreeCtrl().m_hWnd, 2, static_cast<UINT>(NM_RCLICK)};
    list.SendMessage(WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&nm));
    POINT now;
    ::GetCursorPos(&now);
    if (now.x == screen.x && now.y == screen.y) {
        EXPECT_EQ(list.GetTreeCtrl().GetSelectedItem(), first);
    }
    for (UINT code : host.codes) EXPECT_NE(code, static_cast<UINT>(NM_RCLICK));
}

TEST_F(TreeListTest, OtherTreeNotificationsReachTheParentFromTheTreeList) {
    host.codes.clear();
    HTREEITEM item = list.InsertItemA("Sel", TVI_ROOT, TVI_LAST);
    list.GetTreeCtrl().SelectItem(item);
    Pump();
    EXPECT_NE(std::find(host.codes.begin(), host.codes.end(), static_cast<UINT>(TVN_SELCHANGEDW)), host.codes.end());
}

HWND FindTip() { return ::FindWindowW(L"TreeListToolTip", nullptr); }

TEST_F(TreeListTest, OnlyCutCellsGetATooltip) {
    HTREEITEM item = list.InsertItemA("Item", TVI_ROOT, TVI_LAST);
    list.SetItemTextA(item, 1, "short");
    list.SetItemTextA(item, 2, "a comment far too long to fit in the two hundred pixels of its column, cut");
    Pump();
    struct Case {
        int column;
        bool tip;
    };
    for (const Case& c : {Case{1, false}, Case{2, true}}) {
        SCOPED_TRACE(c.column);
        RECT cell{};
        ASSERT_TRUE(list.GetCellRect(item, c.column, cell));
        POINT pt{cell.left + 20, (cell.top + cell.bottom) / 2};
        ::ClientToScreen(list, &pt);
        ::SetCursorPos(pt.x, pt.y);
        POINT check;
        ::GetCursorPos(&check);
        if (check.x != pt.x || check.y != pt.y) GTEST_SKIP() << "the cursor cannot be placed";
        // The hover timer's work, as it runs 40 ms after the mouse stopped.
        POINT inTree = pt;
        ::ScreenToClient(list.GetTreeCtrl(), &inTree);
        list.GetTreeCtrl().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(inTree.x, inTree.y));
        list.GetTreeCtrl().SendMessage(WM_TIMER, kTreeListHoverTimer, 0);
        HWND tip = FindTip();
        EXPECT_EQ(tip != nullptr, c.tip);
        if (tip) {
            Pump();
            EXPECT_TRUE(SaveScreenshot(host, "tree_list_tooltip.bmp"));
            ::SendMessageW(tip, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(FindTip(), nullptr);
    }
}

TEST_F(TreeListTest, AutoSizeOfColumnZeroNeverGoesBelowItsMinimum) {
    HTREEITEM item = list.InsertItemA("x", TVI_ROOT, TVI_LAST);
    list.SetItemTextA(item, 2, "A comment long enough to widen its column well beyond two hundred pixels");
    list.AutoSizeColumn(0);
    EXPECT_EQ(list.GetColumnWidth(0), kTreeListMinColumn0);
    list.AutoSizeColumn(2);
    EXPECT_GT(list.GetColumnWidth(2), 200);
    // Double-clicking column 0's divider goes the same way.
    list.SetColumnWidth(0, 300);
    NMHEADERW hd{};
    hd.hdr = {list.GetHeaderCtrl().m_hWnd, 1, static_cast<UINT>(HDN_DIVIDERDBLCLICKW)};
    hd.iItem = 0;
    hd.iButton = 0;
    list.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hd));
    EXPECT_EQ(list.GetColumnWidth(0), kTreeListMinColumn0);
}

TEST_F(TreeListTest, ADecodedUrbRendersIntoTheTreeList) {
    using namespace brx::testing;
    Bytes urb = MakeUrb(9, 72);  // bulk or interrupt transfer
    PutU32(urb, 24, 0x0000000B);  // TransferFlags
    PutU32(urb, 28, 512);         // TransferBufferLength
    CTreeListSink sink(list);
    RenderUrb(sink, urb.data(), urb.size());
    CTreeListCtrl& tree = list.GetTreeCtrl();
    HTREEITEM top = tree.GetRootItem();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(list.GetItemText(top, 0), L"struct _URB_BULK_OR_INTERRUPT_TRANSFER");
    tree.Expand(top, TVE_EXPAND);
    HTREEITEM first = tree.GetChildItem(top);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(list.GetItemText(first, 0), L"Hdr");
    // Count the fields and open every nested row, for the picture.
    int rows = 0, nested = 0;
    std::vector<HTREEITEM> stack{first};
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        for (; item; item = tree.GetNextSiblingItem(item)) {
            ++rows;
            if (HTREEITEM child = tree.GetChildItem(item)) {
                ++nested;
                tree.Expand(item, TVE_EXPAND);
                stack.push_back(child);
            }
        }
    }
    EXPECT_GT(rows, 10);
    EXPECT_GT(nested, 0);
    std::wstring dump;
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item))
        dump += list.GetItemText(item, 0) + L"|" + list.GetItemText(item, 1) + L"\n";
    EXPECT_NE(dump.find(L"TransferBufferLength|"), std::wstring::npos) << std::string(dump.begin(), dump.end());
    tree.SelectItem(tree.GetNextSiblingItem(first));
    Pump();
    ::RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(SaveScreenshot(host, "tree_list_urb.bmp"));
}

} // namespace
