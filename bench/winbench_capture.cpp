// Capture throughput: the simulated driver floods records as fast as the
// reader thread issues reads, through the driver connection and the capture
// log into an 8 MB and a 1 GB store, until the store is full. Prints records
// and megabytes per second for each size.
#include <windows.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "capture/Filter.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "sim/win/SimulatedDriver.h"

using namespace brx;

namespace {

// Receives nothing: the benchmark has no window.
class CNoWindow final : public IMessageTarget {
public:
    bool Post(uint32_t, uintptr_t, intptr_t) override { return false; }
};

// The capture list's place: signals when the log reports the store full
// (code 6), the moment the capture ends by itself.
class CFullSignal final : public IMessageTarget {
public:
    CFullSignal() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CFullSignal() override { CloseHandle(event_); }
    bool Post(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (message == WM_LOGCHANGED && wParam == LOG_NOTIFY_FULL) SetEvent(event_);
        return true;
    }
    bool Wait(DWORD ms) { return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0; }

private:
    HANDLE event_;
};

int Flood(uint32_t size, const wchar_t* folder) {
    CPreferences& preferences = GetPreferences();
    if (!preferences.SetTempDirectory(folder) || !preferences.SetTempFileSize(size)) {
        std::printf("cannot use the temporary folder\n");
        return 1;
    }
    CNoWindow noWindow;
    CFullSignal full;
    CFilter filter;
    filter.SetNotifyTarget(&full);
    CCaptureLog log(&filter, &noWindow);
    log.SetAutoDelete(false);
    filter.SetLogSource([&log]() -> IFilterLog* { return &log; });
    if (!log.CreateTempCaptureFile()) {
        std::printf("no temporary capture file of %u MB\n", size >> 20);
        return 1;
    }

    CSimulatedDriver sim;
    CSimulatedDriver::Knobs knobs = sim.GetKnobs();
    knobs.flood = true;
    sim.SetKnobs(knobs);
    CCaptureDriver driver(&sim, nullptr);
    if (!driver.Connect()) return 1;
    uint32_t devices[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    driver.AddCaptureDevices(devices);

    const auto start = std::chrono::steady_clock::now();
    if (!driver.StartCapture(&log)) {
        std::printf("the capture did not start\n");
        return 1;
    }
    const bool filled = full.Wait(600000);
    const auto stop = std::chrono::steady_clock::now();
    const bool ended = filled && driver.WaitForReaderEnd(60000);
    const uint64_t reads = sim.DeliveredReads();
    driver.StopCapture();
    driver.Disconnect();
    if (!ended || driver.GetCaptureEnd() != CaptureEnd::StoreFull) {
        std::printf("the capture did not end with a full store\n");
        return 1;
    }

    const uint32_t records = log.GetRecordCount();
    uint64_t bytes = 0;
    RECORD_INDEX_ENTRY last{};
    if (records && log.GetIndexEntry(records - 1, last) == S_OK32)
        bytes = static_cast<uint64_t>(GetEntryPosition(last)) + GetEntryRecordSize(last);
    const double seconds = std::chrono::duration<double>(stop - start).count();
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("%5u MB store: %10u records, %8.1f MB in %7.3f s (%" PRIu64 " reads): %10.0f records/s, %7.1f MB/s\n",
                size >> 20, records, mb, seconds, reads, seconds > 0 ? records / seconds : 0.0,
                seconds > 0 ? mb / seconds : 0.0);
    log.Close();
    return 0;
}

// The simulated driver's own share: how fast its scenario makes records.
void ScenarioRate() {
    CDriverScenario scenario;
    const std::set<uint32_t> selected = {SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    std::vector<Bytes> round;
    uint64_t records = 0, bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    while (records < 500000) {
        round.clear();
        scenario.NextRound(selected, round);
        for (const Bytes& r : round) bytes += r.size();
        records += round.size();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("scenario alone: %" PRIu64 " records, %.1f MB in %.3f s: %.0f records/s, %.1f MB/s\n", records,
                bytes / (1024.0 * 1024.0), seconds, records / seconds, bytes / (1024.0 * 1024.0) / seconds);
}

} // namespace

// Arguments: store sizes in MB (default 8 and 1024).
int main(int argc, char** argv) {
    ScenarioRate();
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return 1;
    int failed = 0;
    std::vector<uint32_t> sizes = {8u << 20, 1u << 30};
    if (argc > 1) sizes.clear();
    for (int i = 1; i < argc; ++i)
        sizes.push_back(static_cast<uint32_t>(std::atoi(argv[i])) << 20);
    for (uint32_t size : sizes)
        failed |= Flood(size, folder);
    return failed;
}
