// The export of a million rows under Wine, as the Export List command runs
// it: the record filter over a mixed log, the progress sent to a window
// (WM_LOGPROGRESS, with the Esc check of every step), the temporary file
// beside the target and its replacement. Prints the time, the progress
// messages received and the size written, for each format (no transfer
// buffers, and HTML and XML with buffers limited to 32 bytes).
#include <windows.h>

#include <cstdio>

#include "app/export/win/ExportList.h"
#include "bench/WinBench.h"
#include "capture/Filter.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/capture/MixedStream.h"

using namespace brx;

namespace {

int g_progress = 0;
uint32_t g_last = 0;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LOGPROGRESS) {
        ++g_progress;
        g_last = static_cast<uint32_t>(wp);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int main() {
    constexpr uint32_t kRecords = 1000000;
    testing::FakeFilterLog log;
    {
        RecordBuilder b;
        log.Append(fixtures::MixedStream(kRecords, b).bytes());
    }
    CFilter filter;
    filter.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    CFilterExportSource source(filter);

    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrxExportBenchFrame";
    ::RegisterClassW(&wc);
    HWND frame = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    CExportProgress progress(frame);

    struct Run {
        const char* name;
        uint32_t format;
        uint32_t limit;
        const wchar_t* file;
    } runs[] = {
        {"csv, no data", EXPORT_FORMAT_CSV, 0, L"winbench_export.csv"},
        {"text, no data", EXPORT_FORMAT_TEXT, 0, L"winbench_export.txt"},
        {"html, 32 bytes of data", EXPORT_FORMAT_HTML, 32, L"winbench_export.html"},
        {"xml, 32 bytes of data", EXPORT_FORMAT_XML, 32, L"winbench_export.xml"},
    };
    std::printf("%u rows\n", filter.GetRowCount());
    int failed = 0;
    for (const Run& run : runs) {
        EXPORT_JOB job;
        job.settings.format = run.format;
        job.settings.transferBuffer = 1;
        job.settings.transferBufferLimit = run.limit;
        job.order.resize(COLUMN_COUNT);
        job.visible.assign(COLUMN_COUNT, 1);
        for (uint32_t c = 0; c < COLUMN_COUNT; ++c) job.order[c] = static_cast<int32_t>(c);
        job.text.layout = log.GetRecordLayout();
        job.text.frequency = 3579545;
        job.text.reference = 1000000;
        g_progress = 0;
        const LARGE_INTEGER start = bench::Now();
        const DWORD error = ExportToFile(run.file, job, source, &progress);
        const double seconds = bench::Seconds(start, bench::Now());
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(run.file, GetFileExInfoStandard, &data);
        std::printf("%-24s %6.2f s  %8.0f rows/s  %3d progress messages (last %u)  %7.1f MB  error %lu\n", run.name,
                    seconds, kRecords / seconds, g_progress, g_last, data.nFileSizeLow / 1e6 + data.nFileSizeHigh * 4294.967296,
                    static_cast<unsigned long>(error));
        if (error || g_progress < 99) ++failed;
        ::DeleteFileW(run.file);
    }
    ::DestroyWindow(frame);
    return failed;
}
