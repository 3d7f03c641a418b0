// Filling the view controls as the detail panes fill them: a tree-list with
// 10,000 rows of three columns (100 top-level rows of 99 children each,
// expanded after the fill as the details builders do) and
// a hex dump with 1 MB of data, each then painted once, the dump also copied
// to the clipboard. Prints the times. Run under Wine by scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "bench/WinBench.h"
#include "framework/WinApp.h"
#include "toolkit/controls/win/HexDumpCtrl.h"
#include "toolkit/controls/win/TreeList.h"

using namespace brx;
using brx::bench::Now;
using brx::bench::Seconds;

namespace {
CWinApp g_app;
}

int main() {
    ::InitCommonControls();
    CWnd frame;
    frame.CreateEx(0, CWnd::RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE)),
                   L"bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);

    CTreeList tree;
    tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 300), frame, 1);
    tree.ModifyStyle(0x0002, 0x1035);
    tree.InsertColumn(0, L"Field Name", 0, 150);
    tree.InsertColumn(1, L"Value", 0, 140);
    tree.InsertColumn(2, L"Comment", 0, 200);
    char name[32], value[32];
    LARGE_INTEGER t0 = Now();
    for (int parent = 0; parent < 100; ++parent) {
        std::snprintf(name, sizeof(name), "Field %d", parent);
        HTREEITEM p = tree.InsertItemA(name, TVI_ROOT, TVI_LAST);
        tree.SetItemTextA(p, 1, "00000000h");
        tree.SetItemTextA(p, 2, "struct _URB_BULK_OR_INTERRUPT_TRANSFER");
        for (int child = 0; child < 99; ++child) {
            std::snprintf(name, sizeof(name), "Member %d", child);
            std::snprintf(value, sizeof(value), "%08Xh", static_cast<unsigned>(parent * 100 + child));
            HTREEITEM c = tree.InsertItemA(name, p, TVI_LAST);
            tree.SetItemTextA(c, 1, value);
            tree.SetItemTextA(c, 2, "USBD_TRANSFER_DIRECTION_IN");
        }
    }
    LARGE_INTEGER tFilled = Now();
    for (HTREEITEM p = tree.GetTreeCtrl().GetRootItem(); p; p = tree.GetTreeCtrl().GetNextSiblingItem(p))
        tree.GetTreeCtrl().Expand(p, TVE_EXPAND);
    LARGE_INTEGER t1 = Now();
    ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    LARGE_INTEGER t2 = Now();
    tree.DeleteAllItems();
    LARGE_INTEGER t3 = Now();
    std::printf("tree-list: %u rows of 3 columns filled in %.3f s, expanded in %.3f s, painted in %.3f s, "
                "emptied in %.3f s\n",
                10000u, Seconds(t0, tFilled), Seconds(tFilled, t1), Seconds(t1, t2), Seconds(t2, t3));

    // The inner tree alone, for comparison: what the tree control itself costs.
    LARGE_INTEGER b0 = Now();
    for (int parent = 0; parent < 100; ++parent) {
        HTREEITEM p = tree.GetTreeCtrl().InsertItem(L"Field", TVI_ROOT, TVI_LAST);
        for (int child = 0; child < 99; ++child) tree.GetTreeCtrl().InsertItem(L"Member", p, TVI_LAST);
    }
    LARGE_INTEGER b1 = Now();
    tree.DeleteAllItems();
    std::printf("tree control alone: %u rows inserted in %.3f s\n", 10000u, Seconds(b0, b1));

    CHexDumpCtrl hex;
    hex.Create(CRect(0, 300, 800, 600), frame, 2);
    std::vector<uint8_t> data(1u << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31 + (i >> 8));
    LARGE_INTEGER h0 = Now();
    hex.SetData(data.data(), data.size(), TRUE);
    ::UpdateWindow(hex);
    LARGE_INTEGER h1 = Now();
    hex.SetSelection(500000, -1, TRUE);
    ::UpdateWindow(hex);
    LARGE_INTEGER h2 = Now();
    const BOOL copied = hex.CopyToClipboard(FALSE);
    LARGE_INTEGER h3 = Now();
    std::printf("hex dump: 1 MB set and painted in %.3f s, scrolled to the middle in %.3f s, copied (%s) in %.3f s\n",
                Seconds(h0, h1), Seconds(h1, h2), copied ? "yes" : "no", Seconds(h2, h3));
    frame.DestroyWindow();
    return 0;
}
