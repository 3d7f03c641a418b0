// Saves and reopens a capture log of about 100 MB of typical records (the
// mixed stream of a mass-storage and a HID device) and reports MB/s for each
// beside a plain copy of the saved file. Run under Wine by scripts/bench.sh.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "capture/win/CaptureStore.h"
#include "bench/WinBench.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"

using namespace brx;
using brx::bench::NoWindow;
using brx::bench::Now;
using brx::bench::Seconds;

namespace {

constexpr uint32_t kMB = 1u << 20;
constexpr uint64_t kLogBytes = 100ull * kMB;

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
    return (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brx_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring saved = folder + L"\\bench.bdx", copy = folder + L"\\copy.bdx";

    NoWindow target;
    uint32_t records = 0;
    double save = 0, open = 0, copyTime = 0;
    uint64_t bytes = 0, fileBytes = 0;
    {
        CCaptureStore live(&target);
        if (live.CreateTempFile(folder.c_str(), 128 * kMB) != S_OK) return 1;
        live.SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
        RecordBuilder b;
        // Windows of about 1 MB of whole records, as the reader delivers them.
        const RecordStream chunk = fixtures::MixedStream(4000, b);
        while (bytes + chunk.bytes().size() <= kLogBytes) {
            uint8_t* window = nullptr;
            uint32_t length = 0;
            if (live.AcquireWriteWindow(&window, &length) != S_OK || length < chunk.bytes().size()) break;
            std::memcpy(window, chunk.bytes().data(), chunk.bytes().size());
            if (live.CommitCapturedData(window, static_cast<uint32_t>(chunk.bytes().size())) != S_OK) return 1;
            bytes += chunk.bytes().size();
        }
        records = live.GetRecordCount();

        LARGE_INTEGER t0 = Now();
        if (live.SaveCaptureFile(saved.c_str(), &target) != S_OK) return 1;
        LARGE_INTEGER t1 = Now();
        save = Seconds(t0, t1);
        fileBytes = FileSize(saved);

        CCaptureStore opened(&target);
        t0 = Now();
        if (opened.OpenCaptureFile(saved.c_str(), &target) != S_OK) return 1;
        t1 = Now();
        open = Seconds(t0, t1);
        if (opened.GetRecordCount() != records) return 1;
        opened.Close();

        t0 = Now();
        if (!CopyFileW(saved.c_str(), copy.c_str(), FALSE)) return 1;
        t1 = Now();
        copyTime = Seconds(t0, t1);
    }
    const double mb = double(bytes) / kMB;
    std::printf("log: %u records, %.1f MB of records, file %.1f MB\n", records, mb, double(fileBytes) / kMB);
    std::printf("save: %.3f s, %.0f MB/s\n", save, mb / save);
    std::printf("open and re-index: %.3f s, %.0f MB/s\n", open, mb / open);
    std::printf("plain file copy: %.3f s, %.0f MB/s\n", copyTime, double(fileBytes) / kMB / copyTime);
    DeleteFileW(saved.c_str());
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
