// A headless capture with the simulated driver: connects, selects every
// simulated device, captures for a few seconds into a new capture log, saves
// it as a capture file and prints what was captured (records by kind, records
// per device, the file's size). A tool for looking at captures without the
// analyzer's window.
//
//   brx-capture [file.bdx [seconds]]
#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "base/ByteReader.h"
#include "capture/Filter.h"
#include "capture/RequestKind.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/Prompts.h"
#include "protocols/RequestDetails.h"
#include "sim/win/SimulatedDriver.h"

using namespace brx;

namespace {

constexpr uint32_t kRecordsPerSecond = 2000;

std::string Narrow(const char16_t* text) {
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

// No one to ask: messages are printed, questions answered No, dialogs
// cancelled.
class CConsolePrompts final : public IPrompts {
public:
    CConsolePrompts() { SetPrompts(this); }
    ~CConsolePrompts() override { SetPrompts(nullptr); }
    int MessageBoxW(HWND, LPCWSTR text, LPCWSTR, UINT type) override {
        std::printf("Message: %ls\n", text ? text : L"");
        return Answer(type);
    }
    int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT type) override {
        std::printf("Message: %s\n", text ? text : "");
        return Answer(type);
    }
    BOOL GetOpenFileNameW(OPENFILENAMEW*) override { return FALSE; }
    BOOL GetSaveFileNameW(OPENFILENAMEW*) override { return FALSE; }
    PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW*) override { return nullptr; }

private:
    static int Answer(UINT type) {
        switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDNO;
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        default:
            return IDOK;
        }
    }
};

struct DeviceCount {
    uint32_t records = 0;
    std::string name;
};

// Counts the log's records by kind and by device object.
void PrintRecords(CCaptureLog& log, const std::vector<SimDevice>& simDevices) {
    const RECORD_LAYOUT layout = log.GetRecordLayout();
    std::map<std::string, uint32_t> kinds;
    std::map<uint64_t, DeviceCount> devices;
    uint8_t buffer[512];
    const uint32_t count = log.GetRecordCount();
    for (uint32_t i = 0; i < count; ++i) {
        CRecordView view;
        view.Init(buffer, sizeof buffer);
        if (log.ReadRecord(i, view) != S_OK32) continue;
        if (view.type != RECORD_TYPE_REQUEST) {
            kinds[view.type == RECORD_TYPE_START ? "(capture start)" : "(other records)"]++;
            continue;
        }
        const char* text = GetRequestKindListText(view.kind);
        kinds[text ? text : "?"]++;
        ByteReader reader(buffer, view.copied);
        OBJECT_KEY key{};
        if (!reader.u32le(layout.requestOffset, key.key0) || !reader.u32le(layout.requestOffset + 4, key.key1))
            continue;
        DeviceCount& d = devices[(static_cast<uint64_t>(key.key0) << 32) | key.key1];
        d.records++;
        if (d.name.empty()) {
            char16_t name[256] = {};
            if (log.LookupDeviceName(key, name, 256)) d.name = Narrow(name);
        }
    }
    std::printf("Records: %u\n", count);
    std::printf("By kind:\n");
    for (const auto& k : kinds)
        std::printf("  %-16s %8u\n", k.first.c_str(), k.second);
    std::printf("By device object:\n");
    for (const auto& d : devices) {
        const uint32_t object = static_cast<uint32_t>(d.first >> 32);
        const char* label = "";
        for (const SimDevice& s : simDevices)
            if (s.device.deviceObject == object) label = s.label;
        std::printf("  %08X  %8u  %-20s %s\n", object, d.second.records,
                    d.second.name.empty() ? "(no name)" : d.second.name.c_str(), label);
    }
}

// Request records as the capture list would show them, kind and Request
// Details column: the first record of each different text.
void PrintRequestDetails(CCaptureLog& log, uint32_t rows) {
    const RECORD_LAYOUT layout = log.GetRecordLayout();
    std::vector<uint8_t> a(8192), b(8192);
    std::printf("Request details (first record of each text):\n");
    std::map<std::string, bool> seen;
    const uint32_t count = log.GetRecordCount();
    for (uint32_t i = 0, shown = 0; i < count && shown < rows; ++i) {
        CRecordPairView pair;
        pair.Init(a.data(), static_cast<uint32_t>(a.size()), b.data(), static_cast<uint32_t>(b.size()));
        if (log.ReadRecordPair(i, pair) != S_OK32 || pair.record.type != RECORD_TYPE_REQUEST) continue;
        char16_t text[260] = u"";
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = 260;
        ctx.layout = &layout;
        FormatRequestDetails(ctx);
        const char* kind = GetRequestKindListText(pair.record.kind);
        const std::string details = Narrow(text);
        if (details.empty() || !seen.emplace(std::string(kind ? kind : "?") + details, true).second) continue;
        std::printf("  %6u  %-6s %-3s %s\n", i, kind ? kind : "?", pair.record.completion ? "<-" : "->",
                    details.c_str());
        ++shown;
    }
}

} // namespace

int main(int argc, char** argv) {
    wchar_t file[MAX_PATH] = L"brx-capture.bdx";
    if (argc > 1 && !MultiByteToWideChar(CP_ACP, 0, argv[1], -1, file, MAX_PATH)) return 1;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 3;

    setvbuf(stdout, nullptr, _IONBF, 0);
    CConsolePrompts prompts;

    // A new capture log on a temporary file in the system's temporary folder.
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    CPreferences& preferences = GetPreferences();
    if (n > 0 && n <= MAX_PATH) preferences.SetTempDirectory(folder);
    preferences.SetTempFileSize(64u << 20);

    CLogManager manager;
    CLogTemplate* logTemplate = new CLogTemplate();
    logTemplate->SetStrings(L"Brindlex Capture Files (*.bdx);*.bdx;All Files (*.*);*.*;", L"bdx",
                            L"Brindlex.Document", L"Brindlex Capture File");
    manager.SetTemplate(logTemplate);
    CCaptureLog* log = manager.NewLog();
    if (!log) {
        std::printf("No capture log.\n");
        return 1;
    }

    // The simulated driver with its devices, all selected.
    CSimulatedDriver sim;
    CSimulatedDriver::Knobs knobs = sim.GetKnobs();
    knobs.recordsPerSecond = kRecordsPerSecond;
    knobs.rounds = 1000000;
    sim.SetKnobs(knobs);
    CCaptureDriver driver(&sim, nullptr);
    if (!driver.Connect()) {
        std::printf("Cannot connect to the simulated driver.\n");
        return 1;
    }
    const auto& simDevices = sim.Scenario().Devices();
    std::printf("Simulated devices:\n");
    uint32_t list[16] = {};
    for (const SimDevice& d : simDevices)
        std::printf("  %s\n", d.label);
    for (const SimDevice& d : simDevices)
        if (list[0] < 15)
            list[1 + list[0]++] = d.device.deviceObject;
    if (!driver.AddCaptureDevices(list)) {
        std::printf("The device selection was refused.\n");
        return 1;
    }

    std::printf("Capturing for %d seconds...\n", seconds);
    if (!driver.StartCapture(log)) {
        std::printf("The capture did not start.\n");
        return 1;
    }
    Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 1) * 1000);
    driver.StopCapture();
    driver.Disconnect();

    if (!log->DoSave(file, TRUE)) {
        std::printf("Cannot save %ls.\n", file);
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    uint64_t size = 0;
    if (GetFileAttributesExW(log->GetPathName().c_str(), GetFileExInfoStandard, &data))
        size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    PrintRecords(*log, simDevices);
    PrintRequestDetails(*log, 40);
    std::printf("Saved %ls: %" PRIu64 " bytes\n", log->GetPathName().c_str(), size);
    log->Close();
    return 0;
}
