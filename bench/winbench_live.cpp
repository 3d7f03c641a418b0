// Live capture in a window: the simulated driver sends records at a rate
// (or floods them) through the driver connection, the capture log and the
// record filter to a capture list on screen, whose thread runs a message
// loop as the program's does. For each rate it prints the records the log
// took and the list showed per second, how far the list fell behind, the
// share of a core the window's thread used, and the time from a Stop posted
// to the window (as a click posts it) to the capture ended with the list
// showing every record; for a log that fills, the time from the full store
// to the window's stop.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

#include "app/list/win/CaptureList.h"
#include "bench/WinBench.h"
#include "capture/Filter.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/WindowMessageTarget.h"
#include "sim/win/SimulatedDriver.h"

using namespace brx;

namespace {

constexpr UINT WM_BENCH_STOP = WM_APP + 1;
constexpr double kGiveUp = 120.0;   // seconds a run may last

// Brings the list up to the log when the capture ended, where the list can.
template <class List>
void UpdateRows(List& list) {
    if constexpr (requires { list.UpdateRowCount(); }) list.UpdateRowCount();
}

struct World {
    CSimulatedDriver sim;
    CCaptureDriver driver{&sim, nullptr};
    CWindowMessageTarget listTarget;
    CWindowMessageTarget mainTarget;
    CFilter filter;
    CCaptureLog log{&filter, &mainTarget};
    CWnd frame;
    CCaptureList list;
    HWND main = nullptr;
    // The moments of one run (0: not yet).
    LARGE_INTEGER stopHandled{}, ended{}, fullHandled{};
    uint32_t fullnessMessages = 0;
};

World* g_world = nullptr;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    World& w = *g_world;
    switch (msg) {
    case WM_BENCH_STOP:
        w.stopHandled = bench::Now();
        w.driver.StopCapture();
        UpdateRows(w.list);
        w.ended = bench::Now();
        return 0;
    case WM_CAPTUREENDED:
        w.driver.HandleCaptureEnd();
        UpdateRows(w.list);
        return 0;
    case WM_LOGFULLNESS:
        ++w.fullnessMessages;
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

uint32_t Shown(World& w) { return static_cast<uint32_t>(w.list.SendMessage(LVM_GETITEMCOUNT)); }

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

// The window's loop for about ms: the messages that come, or a wait for one.
void Loop(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (static_cast<LONG>(::GetTickCount() - end) >= 0) return;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    } while (static_cast<LONG>(::GetTickCount() - end) < 0);
}

// Stop as a click gives it: posted to the window from outside its loop,
// after `seconds`, unless the capture ended before.
struct StopClick {
    HWND window;
    DWORD ms;
    HANDLE cancel;
    LARGE_INTEGER posted{};
    static DWORD WINAPI Main(void* p) {
        auto* self = static_cast<StopClick*>(p);
        if (::WaitForSingleObject(self->cancel, self->ms) == WAIT_TIMEOUT) {
            self->posted = bench::Now();
            ::PostMessageW(self->window, WM_BENCH_STOP, 0, 0);
        }
        return 0;
    }
};

// One capture at `rate` records a second (0: the flood) into a log of
// `megabytes`; Stop is posted after `seconds` unless the log filled first.
bool Run(World& w, uint32_t rate, uint32_t megabytes, double seconds) {
    if (!GetPreferences().SetTempFileSize(megabytes << 20) || !w.log.CreateTempCaptureFile()) {
        std::printf("no temporary capture file of %u MB\n", megabytes);
        return false;
    }
    w.log.SetWrapMode(0);
    for (int i = 0; i < 20; ++i) Loop(5);
    CSimulatedDriver::Knobs k = w.sim.GetKnobs();
    k.flood = true;
    k.recordsPerSecond = rate;
    w.sim.SetKnobs(k);
    w.stopHandled = w.ended = w.fullHandled = LARGE_INTEGER{};
    w.fullnessMessages = 0;
    w.list.onCaptureBufferFull = [&w] {
        w.driver.StopCapture();
        w.fullHandled = bench::Now();
    };

    const double cpu0 = ThreadSeconds();
    const LARGE_INTEGER start = bench::Now();
    if (!w.driver.StartCapture(&w.log)) {
        std::printf("the capture did not start\n");
        return false;
    }
    StopClick click{w.main, static_cast<DWORD>(seconds * 1000), ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE clicker = ::CreateThread(nullptr, 0, StopClick::Main, &click, 0, nullptr);
    LARGE_INTEGER stopPosted{}, fullSeen{};
    uint32_t recordsAtStop = 0, shownAtStop = 0, mostBehind = 0;
    double atStop = 0;
    uint32_t lastRecords = 0, lastShown = 0;
    double lastT = 0;
    for (;;) {
        Loop(10);
        const double t = bench::Seconds(start, bench::Now());
        const uint32_t records = w.log.GetRecordCount(), shown = Shown(w);
        if (records > shown) mostBehind = std::max(mostBehind, records - shown);
        if (!fullSeen.QuadPart && !click.posted.QuadPart && w.log.IsFull()) {
            fullSeen = bench::Now();
            ::SetEvent(click.cancel);
        }
        if (!atStop && (w.stopHandled.QuadPart || w.fullHandled.QuadPart)) {
            // What the log took and the list showed at the last look before
            // the window stopped the capture.
            recordsAtStop = lastRecords;
            shownAtStop = lastShown;
            atStop = lastT;
        }
        lastRecords = records;
        lastShown = shown;
        lastT = t;
        const bool over = (w.ended.QuadPart || w.fullHandled.QuadPart) && !w.driver.IsCaptureRunning();
        if ((over && Shown(w) == w.log.GetRecordCount()) || t > kGiveUp) break;
    }
    const double wall = bench::Seconds(start, bench::Now());
    const double cpu = ThreadSeconds() - cpu0;
    w.driver.StopCapture();
    ::SetEvent(click.cancel);
    ::WaitForSingleObject(clicker, INFINITE);
    ::CloseHandle(clicker);
    ::CloseHandle(click.cancel);
    stopPosted = click.posted;
    const uint32_t records = w.log.GetRecordCount(), shown = Shown(w);

    char rateText[32];
    if (rate) std::snprintf(rateText, sizeof rateText, "%u/s", rate);
    else std::snprintf(rateText, sizeof rateText, "flood");
    std::printf("%-8s %5u MB: log %9.0f rec/s, list %9.0f rec/s, at most %7u behind, window thread %3.0f%% of a "
                "core, %3u fullness messages;",
                rateText, megabytes, atStop > 0 ? recordsAtStop / atStop : 0.0, atStop > 0 ? shownAtStop / atStop : 0.0,
                mostBehind, wall > 0 ? 100.0 * cpu / wall : 0.0, w.fullnessMessages);
    if (stopPosted.QuadPart) {
        if (w.ended.QuadPart)
            std::printf(" Stop to ended %.3f s (handled after %.3f s)", bench::Seconds(stopPosted, w.ended),
                        bench::Seconds(stopPosted, w.stopHandled));
        else
            std::printf(" Stop not handled after %.0f s", kGiveUp - seconds);
    } else if (fullSeen.QuadPart || w.fullHandled.QuadPart) {
        if (w.fullHandled.QuadPart)
            std::printf(" full, stopped by the window after %.3f s", bench::Seconds(start, w.fullHandled));
        else
            std::printf(" full, not stopped by the window after %.0f s", kGiveUp);
    }
    std::printf("; %u records, %u shown at the end\n", records, shown);
    return shown == records;
}

} // namespace

// Arguments: seconds before Stop (default 3); then one run's rate (0: the
// flood) and log size in MB instead of the five runs.
int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH || !GetPreferences().SetTempDirectory(folder)) return 1;

    World& w = *new World;   // lives until the process ends
    g_world = &w;
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrxLiveBench";
    ::RegisterClassW(&wc);
    w.main = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!w.main) return 1;
    w.mainTarget.SetWindow(w.main);

    const wchar_t* cls = CWnd::RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE));
    if (!w.frame.CreateEx(0, cls, L"live", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1200, 760), nullptr, 0)) return 1;
    w.list.SetFilter(&w.filter);
    w.list.SetLogSource([] { return &g_world->log; });
    if (!w.list.Create(w.frame, 1, CRect(0, 0, 1200, 760))) return 1;
    w.list.OnInitialUpdate();
    w.list.isAutoScroll = [] { return true; };
    w.listTarget.SetWindow(w.list);
    w.filter.SetNotifyTarget(&w.listTarget);
    w.filter.SetLogSource([]() -> IFilterLog* { return &g_world->log; });
    w.log.SetAutoDelete(false);

    if (!w.driver.Connect()) return 1;
    uint32_t devices[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    w.driver.AddCaptureDevices(devices);

    int failed = 0;
    const struct {
        uint32_t rate, megabytes;
    } runs[] = {{200, 64}, {2000, 64}, {20000, 64}, {0, 1024}, {0, 64}};
    if (argc > 3) {
        failed = Run(w, static_cast<uint32_t>(std::atoi(argv[2])), static_cast<uint32_t>(std::atoi(argv[3])), seconds)
                     ? 0
                     : 1;
    } else {
        for (const auto& r : runs)
            failed |= Run(w, r.rate, r.megabytes, seconds) ? 0 : 1;
    }
    w.driver.Disconnect();
    w.log.Close();
    return failed;
}
