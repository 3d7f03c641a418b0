// Scrolling the capture list through a log of a million records of the
// simulated driver's traffic, page by page: each page is a page-down on the
// list's scroll bar and the repaint it causes (cache hint, fifteen columns of
// 55 rows, custom draw, the off-screen paint), in three stretches (top,
// middle, up to the last row). Prints the time per page and the pages slower
// than 100 ms. Also the parts alone: the cache fill of a page and a repaint;
// and selection changes on the whole list: the Page Down key and a click on a
// row, each with its repaint and the selection's item-change notifications
// (Wine's owner-data list view deselects by walking every row unless no row
// is selected).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "app/list/win/CaptureList.h"
#include "bench/WinBench.h"
#include "capture/Filter.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/WindowMessageTarget.h"
#include "sim/DriverScenario.h"

using namespace brx;

namespace {

uint32_t g_records = 1000000;

// Counts the item-change notifications the list receives.
class CCountingList : public CCaptureList {
public:
    long itemChanges = 0;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_REFLECT_BASE + WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == LVN_ITEMCHANGED)
            ++itemChanges;
        return CCaptureList::OnWndMsg(msg, wp, lp, result);
    }
};

// The simulated driver's records, delivered through the capture target as
// its reader thread delivers them.
bool FillLog(CCaptureLog& log) {
    CDriverScenario scenario;
    log.SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
    log.SetCounterFrequency(3579545);
    const Bytes devices = scenario.DeviceListBlock(), drivers = scenario.DriverListBlock();
    log.AddDriverNotifications(devices.data(), static_cast<uint32_t>(devices.size()));
    log.AddDriverNotifications(drivers.data(), static_cast<uint32_t>(drivers.size()));
    const std::set<uint32_t> selected = {SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    std::vector<Bytes> round;
    round.push_back(scenario.StartMarker());
    uint32_t delivered = 0;
    while (delivered < g_records) {
        if (round.empty()) scenario.NextRound(selected, round);
        uint8_t* window = nullptr;
        uint32_t length = 0;
        if (log.AcquireWriteWindow(&window, &length) != S_OK32) return false;
        uint32_t used = 0;
        size_t taken = 0;
        while (taken < round.size() && delivered < g_records && round[taken].size() <= length - used) {
            std::memcpy(window + used, round[taken].data(), round[taken].size());
            used += static_cast<uint32_t>(round[taken].size());
            ++taken;
            ++delivered;
        }
        if (log.CommitCapturedData(window, used) != S_OK32) return false;
        round.erase(round.begin(), round.begin() + static_cast<std::ptrdiff_t>(taken));
        if (taken == 0 && !round.empty()) return false;
    }
    return true;
}

// The yardstick: a plain owner-data list view of the same size and columns,
// whose texts and row colours come from the capture list's cache (filled by
// the same cache hints), painted by the control itself.
CCaptureList* g_source = nullptr;

LRESULT CALLBACK PlainHostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_NOTIFY || !g_source) return ::DefWindowProcW(wnd, msg, wp, lp);
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    switch (nm->code) {
    case LVN_ODCACHEHINT: {
        const auto* hint = reinterpret_cast<NMLVCACHEHINT*>(lp);
        g_source->OnOdCacheHint(hint->iFrom, hint->iTo);
        return 0;
    }
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0)
            g_source->GetCache().Lookup(info->item.iItem, info->item.iSubItem,
                                        reinterpret_cast<char16_t*>(info->item.pszText),
                                        static_cast<size_t>(info->item.cchTextMax));
        return 0;
    }
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const int row = static_cast<int>(cd->nmcd.dwItemSpec);
            const LIST_COLOR bk = g_source->GetCache().GetRowBkColor(row);
            const LIST_COLOR text = g_source->GetCache().GetRowTextColor(row);
            if (bk != kNoColor) cd->clrTextBk = bk;
            if (text != kNoColor) cd->clrText = text;
            return CDRF_NEWFONT;
        }
        return 0;
    }
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

// Pages down with the scroll bar from the top, `pages` times; the times.
std::vector<double> ScrollPages(HWND list, size_t pages, int rows, int perPage) {
    std::vector<double> times;
    ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    ::UpdateWindow(list);
    for (size_t page = 0; page < pages; ++page) {
        const LARGE_INTEGER a = bench::Now();
        ::SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
        ::UpdateWindow(list);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        times.push_back(bench::Seconds(a, bench::Now()));
        if (static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + perPage >= rows) break;
    }
    return times;
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

} // namespace

// Arguments: the pages of each stretch (default 400), the number of records
// (default a million) and the key presses and clicks (default 10 each).
int main(int argc, char** argv) {
    const size_t maxPages = argc > 1 ? static_cast<size_t>(std::strtoul(argv[1], nullptr, 10)) : 400;
    if (argc > 2) g_records = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const int presses = argc > 3 ? std::atoi(argv[3]) : 10;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return 1;
    CPreferences& preferences = GetPreferences();
    if (!preferences.SetTempDirectory(folder) || !preferences.SetTempFileSize(1u << 30)) return 1;

    CWindowMessageTarget target;
    bench::NoWindow noWindow;
    CFilter filter;
    filter.SetNotifyTarget(&target);
    CCaptureLog log(&filter, &noWindow);
    log.SetAutoDelete(false);
    filter.SetLogSource([&log]() -> IFilterLog* { return &log; });
    if (!log.CreateTempCaptureFile()) {
        std::printf("no temporary capture file\n");
        return 1;
    }
    const LARGE_INTEGER fillStart = bench::Now();
    if (!FillLog(log)) {
        std::printf("the log did not take the records\n");
        return 1;
    }
    std::printf("log: %u records in %.2f s\n", log.GetRecordCount(), bench::Seconds(fillStart, bench::Now()));

    const wchar_t* cls = CWnd::RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                ::GetSysColorBrush(COLOR_BTNFACE));
    CWnd frame;
    if (!frame.CreateEx(0, cls, L"list", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1200, 760), nullptr, 0)) return 1;
    CCountingList list;
    list.SetFilter(&filter);
    list.SetLogSource([&log] { return &log; });
    if (!list.Create(frame, 1, CRect(0, 0, 1200, 760))) return 1;
    list.OnInitialUpdate();
    target.SetWindow(list);
    list.OnLogNotify(LOG_NOTIFY_OPENED);
    ::UpdateWindow(list);
    const int rows = list.GetItemCount();
    const int perPage = static_cast<int>(list.SendMessage(LVM_GETCOUNTPERPAGE));
    std::printf("list: %d rows, %d a page\n", rows, perPage);

    // The parts of a page on their own: filling the cache for one page of
    // rows, and repainting the list without moving.
    {
        const LARGE_INTEGER a = bench::Now();
        for (int i = 0; i < 20; ++i) list.OnOdCacheHint(i * perPage, i * perPage + perPage - 1);
        const LARGE_INTEGER b = bench::Now();
        for (int i = 0; i < 20; ++i) {
            ::InvalidateRect(list, nullptr, TRUE);
            ::UpdateWindow(list);
        }
        const LARGE_INTEGER c = bench::Now();
        // The message the control sends the header for each row it visits
        // when it clears a selection row by row (the header is subclassed).
        HWND header = reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER));
        for (int i = 0; i < 2000; ++i) ::SendMessageW(header, HDM_ORDERTOINDEX, 0, 0);
        const LARGE_INTEGER d = bench::Now();
        std::printf("alone: cache fill %.3f ms a page, repaint %.3f ms, header column order %.2f us a message\n",
                    50.0 * bench::Seconds(a, b), 50.0 * bench::Seconds(b, c), 500.0 * bench::Seconds(c, d));
        list.SendMessage(WM_KEYDOWN, VK_HOME, 0);
        ::UpdateWindow(list);
    }
    // Selection changes: Page Down from the middle of the log, then clicks on
    // rows of the page, alternating between two rows; each with its repaint.
    if (presses > 0) {
        list.SelectRow(rows / 2 + 100);
        const LARGE_INTEGER s0 = bench::Now();
        list.SelectRow(rows / 2);
        std::printf("SelectRow from row %d to row %d: %.3f ms\n", rows / 2 + 100, list.GetSelectedRow(),
                    1000.0 * bench::Seconds(s0, bench::Now()));
        ::UpdateWindow(list);
        list.itemChanges = 0;
        const LARGE_INTEGER a = bench::Now();
        for (int i = 0; i < presses; ++i) {
            list.SendMessage(WM_KEYDOWN, VK_NEXT, 0);
            ::UpdateWindow(list);
        }
        const LARGE_INTEGER b = bench::Now();
        const long keyChanges = list.itemChanges;
        const int afterKeys = list.GetSelectedRow();
        const int top = static_cast<int>(list.SendMessage(LVM_GETTOPINDEX));
        list.itemChanges = 0;
        const LARGE_INTEGER c = bench::Now();
        for (int i = 0; i < presses; ++i) {
            RECT r{LVIR_BOUNDS, 0, 0, 0};
            list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(top + 2 + i % 2), reinterpret_cast<LPARAM>(&r));
            const LPARAM at = MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2);
            list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
            list.SendMessage(WM_LBUTTONUP, 0, at);
            ::UpdateWindow(list);
        }
        const LARGE_INTEGER d = bench::Now();
        std::printf("selection on %d rows: Page Down key %.3f ms a press (%.1f item changes a press, row %d after "
                    "%d presses), click on a row %.3f ms a click (%.1f item changes a click, row %d selected)\n",
                    rows, 1000.0 * bench::Seconds(a, b) / presses, double(keyChanges) / presses, afterKeys, presses,
                    1000.0 * bench::Seconds(c, d) / presses, double(list.itemChanges) / presses,
                    list.GetSelectedRow());
        const LARGE_INTEGER e = bench::Now();
        list.SendMessage(WM_KEYDOWN, VK_END, 0);
        ::UpdateWindow(list);
        const LARGE_INTEGER f = bench::Now();
        const int atEnd = list.GetSelectedRow();
        const LARGE_INTEGER g = bench::Now();
        list.SendMessage(WM_KEYDOWN, VK_HOME, 0);
        ::UpdateWindow(list);
        const LARGE_INTEGER h = bench::Now();
        std::printf("End key %.3f ms (row %d selected, found in %.3f ms), Home key %.3f ms (row %d)\n",
                    1000.0 * bench::Seconds(e, f), atEnd, 1000.0 * bench::Seconds(f, g),
                    1000.0 * bench::Seconds(g, h), list.GetSelectedRow());
    }
    // Page down with the scroll bar (the selection stays), in three stretches
    // of the log: from the top, from the middle, and up to the last row.
    std::vector<double> pages;
    const LARGE_INTEGER start = bench::Now();
    const int stretches[3] = {0, rows / 2, std::max(0, rows - static_cast<int>(maxPages) * perPage)};
    for (int from : stretches) {
        list.EnsureRowVisible(rows - 1);
        list.EnsureRowVisible(from);
        ::UpdateWindow(list);
        for (size_t page = 0; page < maxPages; ++page) {
            const LARGE_INTEGER a = bench::Now();
            list.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
            ::UpdateWindow(list);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            pages.push_back(bench::Seconds(a, bench::Now()));
            if (static_cast<int>(list.SendMessage(LVM_GETTOPINDEX)) + perPage >= rows) break;
        }
    }
    const double total = bench::Seconds(start, bench::Now());
    const int last = static_cast<int>(list.SendMessage(LVM_GETTOPINDEX)) + perPage;
    // The same pages from the top on the capture list and on the plain
    // owner-data list, taking turns so that both see the same machine.
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainHostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BrxPlainListHost";
        ::RegisterClassW(&wc);
        HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"plain", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 760, nullptr,
                                      nullptr, wc.hInstance, nullptr);
        HWND plain = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA |
                                           LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0, 1200, 760, host, nullptr,
                                       wc.hInstance, nullptr);
        ::SendMessageW(plain, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                       list.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
        ::SendMessageW(plain, WM_SETFONT, list.SendMessage(WM_GETFONT), FALSE);
        HWND header = reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER));
        for (int i = 0, n = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); i < n; ++i) {
            wchar_t text[64] = L"";
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = text;
            column.cchTextMax = 64;
            list.SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
            ::SendMessageW(plain, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
        ::SendMessageW(plain, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOINVALIDATEALL);
        g_source = &list;
        ::UpdateWindow(plain);
        const size_t turnPages = std::min<size_t>(maxPages, 200);
        std::vector<double> ours, theirs;
        for (int turn = 0; turn < 3; ++turn) {
            ::SetWindowPos(frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            const std::vector<double> a = ScrollPages(list, turnPages, rows, perPage);
            ::SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            const std::vector<double> b = ScrollPages(plain, turnPages, rows, perPage);
            ours.insert(ours.end(), a.begin(), a.end());
            theirs.insert(theirs.end(), b.begin(), b.end());
        }
        g_source = nullptr;
        std::printf("scroll-bar page down from the top, %zu pages each, three turns: capture list %.3f ms a page, "
                    "plain owner-data list view %.3f ms a page (%.2fx)\n",
                    ours.size() / 3, 1000.0 * Mean(ours), 1000.0 * Mean(theirs),
                    Mean(theirs) > 0 ? Mean(ours) / Mean(theirs) : 0.0);
        ::DestroyWindow(host);
    }
    std::sort(pages.begin(), pages.end());
    const size_t count = pages.size();
    const size_t slow = static_cast<size_t>(std::count_if(pages.begin(), pages.end(), [](double s) { return s > 0.1; }));
    std::printf("scroll-bar page down, %zu pages from rows 0, %d and %d to the last row (%d on the screen): "
                "per page mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms; "
                "%zu pages over 100 ms\n",
                count, stretches[1], stretches[2], last, count ? 1000.0 * total / count : 0.0,
                count ? 1000.0 * pages[count / 2] : 0.0, count ? 1000.0 * pages[count * 99 / 100] : 0.0,
                count ? 1000.0 * pages.back() : 0.0, slow);
    target.SetWindow(nullptr);
    list.DestroyWindow();
    frame.DestroyWindow();
    log.Close();
    return last >= rows ? 0 : 1;
}
