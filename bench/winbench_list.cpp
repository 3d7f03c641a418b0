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
