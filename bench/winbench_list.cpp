// Scrolling the capture list through a log of a million records of the
// simulated driver's traffic, page by page as a user holding Page Down: each
// page is a key press on the list window and the repaint it causes (cache
// hint, fifteen columns of about forty rows, custom draw, the off-screen
// paint). Prints the mean and the slowest page, and the share of pages
// slower than 50 ms (a visible pause).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
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

constexpr uint32_t kRecords = 1000000;

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
    while (delivered < kRecords) {
        if (round.empty()) scenario.NextRound(selected, round);
        uint8_t* window = nullptr;
        uint32_t length = 0;
        if (log.AcquireWriteWindow(&window, &length) != S_OK32) return false;
        uint32_t used = 0;
        size_t taken = 0;
        while (taken < round.size() && delivered < kRecords && round[taken].size() <= length - used) {
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

int main() {
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
    CCaptureList list;
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

    std::vector<double> pages;
    pages.reserve(static_cast<size_t>(rows / std::max(perPage, 1) + 2));
    const LARGE_INTEGER start = bench::Now();
    while (list.GetNextItem(-1, LVNI_FOCUSED) < rows - 1) {
        const LARGE_INTEGER a = bench::Now();
        list.SendMessage(WM_KEYDOWN, VK_NEXT, 0);
        ::UpdateWindow(list);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        pages.push_back(bench::Seconds(a, bench::Now()));
        if (pages.size() > static_cast<size_t>(rows)) break;  // the focus did not move
    }
    const double total = bench::Seconds(start, bench::Now());
    const int last = list.GetNextItem(-1, LVNI_FOCUSED);
    std::sort(pages.begin(), pages.end());
    const size_t count = pages.size();
    const size_t slow = static_cast<size_t>(std::count_if(pages.begin(), pages.end(), [](double s) { return s > 0.05; }));
    std::printf("page down to row %d: %zu pages in %.2f s; per page mean %.3f ms, median %.3f ms, "
                "99th percentile %.3f ms, slowest %.3f ms; %zu pages over 50 ms\n",
                last, count, total, count ? 1000.0 * total / count : 0.0,
                count ? 1000.0 * pages[count / 2] : 0.0, count ? 1000.0 * pages[count * 99 / 100] : 0.0,
                count ? 1000.0 * pages.back() : 0.0, slow);
    target.SetWindow(nullptr);
    list.DestroyWindow();
    frame.DestroyWindow();
    log.Close();
    return last == rows - 1 ? 0 : 1;
}
