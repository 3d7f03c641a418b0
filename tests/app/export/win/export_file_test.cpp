// The export's file under Windows: the temporary file beside the target that
// replaces it only when complete (a failing write, a short write and a cancel
// each leave the old file whole and no temporary file behind), the options
// template under its hook, and the real save dialog with the template.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/export/win/ExportList.h"
#include "app/res/export_ids.h"
#include "capture/win/SettingsStore.h"
#include "tests/WindowScreenshot.h"
#include "tests/app/export/ExportFixture.h"
#include "tests/capture/win/TestRegistry.h"

namespace brx {
namespace {

using testing::SimulatedCapture;
using testing::StringSink;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Folder() {
    static const std::wstring folder = [] {
        std::wstring f = Wide(BRX_TEST_OUTPUT_DIR) + L"\\export_files";
        ::CreateDirectoryW(f.c_str(), nullptr);
        return f;
    }();
    return folder;
}

std::string ReadFile(const std::wstring& path) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n) bytes.append(buffer, n);
    ::CloseHandle(f);
    return bytes;
}

void WriteWhole(const std::wstring& path, const std::string& bytes) {
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(f);
}

// Files of the folder other than the target (left-over temporary files).
std::vector<std::wstring> Others(const std::wstring& target) {
    std::vector<std::wstring> others;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((Folder() + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return others;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && Folder() + L"\\" + name != target) others.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return others;
}

// The write seam: fails at call `failAt` (1-based) with `error`, or reports
// a short write; counts calls.
int g_calls = 0;
int g_failAt = 0;
DWORD g_error = 0;
bool g_short = false;
BOOL WINAPI SeamWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (++g_calls == g_failAt) {
        if (g_short) return ::WriteFile(file, bytes, size / 2, written, overlapped);
        *written = 0;
        ::SetLastError(g_error);
        return FALSE;
    }
    return ::WriteFile(file, bytes, size, written, overlapped);
}

class ExportFiles : public ::testing::Test {
protected:
    static SimulatedCapture* cap;
    static void SetUpTestSuite() { cap = new SimulatedCapture; }
    static void TearDownTestSuite() {
        delete cap;
        cap = nullptr;
    }
    void SetUp() override {
        target = Folder() + L"\\capture.xml";
        for (const std::wstring& other : Others(target)) ::DeleteFileW((Folder() + L"\\" + other).c_str());
        WriteWhole(target, "the old export");
        g_calls = 0;
        g_failAt = 0;
        g_error = 0;
        g_short = false;
    }
    // XML with whole transfer buffers: several chunks, so writes fail midway too.
    EXPORT_JOB BigJob() const {
        EXPORT_JOB job = cap->Job(EXPORT_FORMAT_XML);
        job.settings.transferBuffer = 0;
        return job;
    }
    std::wstring target;
};
SimulatedCapture* ExportFiles::cap = nullptr;

TEST_F(ExportFiles, CompleteExportReplacesTheFile) {
    StringSink expected;
    ASSERT_EQ(WriteListExport(BigJob(), cap->source, expected, nullptr).result, ExportResult::Done);
    EXPECT_EQ(ExportToFile(target.c_str(), BigJob(), cap->source, nullptr, SeamWrite), 0u);
    EXPECT_GT(g_calls, 2);
    EXPECT_TRUE(ReadFile(target) == expected.bytes);
    EXPECT_TRUE(Others(target).empty());
    // A file that did not exist is created.
    ::DeleteFileW(target.c_str());
    EXPECT_EQ(ExportToFile(target.c_str(), cap->Job(EXPORT_FORMAT_TEXT), cap->source, nullptr), 0u);
    EXPECT_EQ(ReadFile(target).substr(0, 20), "\xEF\xBB\xBF" "Brindlex Report\r\n");
}

TEST_F(ExportFiles, FailuresLeaveTheOldFileWhole) {
    struct Case {
        const char* name;
        int failAt;
        DWORD error;
        bool shortWrite;
        DWORD result;
    } cases[] = {
        {"disk full at the first write", 1, ERROR_DISK_FULL, false, ERROR_DISK_FULL},
        {"disk full midway", 3, ERROR_DISK_FULL, false, ERROR_DISK_FULL},
        {"write error", 2, ERROR_WRITE_FAULT, false, ERROR_WRITE_FAULT},
        {"out of memory in the system", 2, ERROR_NOT_ENOUGH_MEMORY, false, ERROR_NOT_ENOUGH_MEMORY},
        {"short write", 2, 0, true, ERROR_WRITE_FAULT},
        {"failure without an error code", 1, 0, false, ERROR_WRITE_FAULT},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        g_calls = 0;
        g_failAt = k.failAt;
        g_error = k.error;
        g_short = k.shortWrite;
        EXPECT_EQ(ExportToFile(target.c_str(), BigJob(), cap->source, nullptr, SeamWrite), k.result);
        EXPECT_EQ(ReadFile(target), "the old export");
        EXPECT_TRUE(Others(target).empty());
    }
}

class CancelAt final : public IExportProgress {
public:
    bool OnExportProgress(uint32_t value) override { return value < 5; }
};

TEST_F(ExportFiles, CancelLeavesTheOldFileWhole) {
    CancelAt cancel;
    EXPECT_EQ(ExportToFile(target.c_str(), BigJob(), cap->source, &cancel), static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_EQ(ReadFile(target), "the old export");
    EXPECT_TRUE(Others(target).empty());
}

TEST_F(ExportFiles, MissingFolderFails) {
    const std::wstring nowhere = Folder() + L"\\no such folder\\capture.xml";
    EXPECT_NE(ExportToFile(nowhere.c_str(), BigJob(), cap->source, nullptr), 0u);
    EXPECT_EQ(::GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Esc in the queue cancels at the next step; progress goes to the frame.
TEST(ExportProgress, EscapeCancels) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    CExportProgress progress(nullptr);
    EXPECT_TRUE(progress.OnExportProgress(3));
    ::PostMessageW(window, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(progress.OnExportProgress(4));
    ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(progress.OnExportProgress(5));
    ::DestroyWindow(window);
}

TEST(ExportDirectory, DriveRootKeepsItsBackslash) {
    EXPECT_EQ(ExportDirectoryOf(L"C:\\capture.html"), L"C:\\");
    EXPECT_EQ(ExportDirectoryOf(L"C:\\Logs\\capture.html"), L"C:\\Logs");
    EXPECT_EQ(ExportDirectoryOf(L"\\\\server\\share\\x.csv"), L"\\\\server\\share");
}

// Stored values outside their choices read as the defaults; saved ones come
// back. In a key of this process: the stored range would reach the other
// test programs sharing the Wine prefix.
TEST(ExportSettingsStore, LoadAcceptsAndSaveRoundTrips) {
    testing::TestRegistry registry;
    WriteAppRegDword(L"ExportSettings", L"Format", 7);
    WriteAppRegDword(L"ExportSettings", L"Range", 3);
    WriteAppRegDword(L"ExportSettings", L"Columns", 2);
    WriteAppRegDword(L"ExportSettings", L"TransferBuffer", 5);
    WriteAppRegDword(L"ExportSettings", L"TransferBufferLimit", 100000);
    WriteAppRegString(L"ExportSettings", L"Directory", L"C:\\Logs");
    CExportList loaded;
    EXPECT_EQ(loaded.m_settings.format, 0u);
    EXPECT_EQ(loaded.m_settings.range, 0u);
    EXPECT_EQ(loaded.m_settings.columns, 0u);
    EXPECT_EQ(loaded.m_settings.transferBuffer, 1u);
    EXPECT_EQ(loaded.m_settings.transferBufferLimit, 100000u);
    EXPECT_EQ(loaded.m_directory, L"C:\\Logs");
    loaded.m_settings.format = EXPORT_FORMAT_TEXT;
    loaded.m_settings.range = 1;
    loaded.m_settings.columns = 1;
    loaded.m_settings.transferBuffer = 0;
    loaded.m_directory = L"C:\\";
    loaded.SaveSettings();
    CExportList again;
    EXPECT_EQ(again.m_settings.format, EXPORT_FORMAT_TEXT);
    EXPECT_EQ(again.m_settings.range, 1u);
    EXPECT_EQ(again.m_settings.columns, 1u);
    EXPECT_EQ(again.m_settings.transferBuffer, 0u);
    EXPECT_EQ(again.m_directory, L"C:\\");
}

// ---------------------------------------------------------------------------
// The options template under its hook, as the save dialog would host it.

class HostWindow {
public:
    HostWindow() {
        hwnd = ::CreateWindowExW(0, L"#32770", L"Export As", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 40, 640, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    }
    ~HostWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd;
};

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
std::wstring Text(HWND dialog, int id) {
    wchar_t text[32] = {};
    ::GetDlgItemTextW(dialog, id, text, 32);
    return text;
}

TEST(ExportOptions, HookFollowsTheChoices) {
    CExportList exporter;
    exporter.m_settings = EXPORT_SETTINGS{};
    exporter.m_settings.transferBufferLimit = 48;
    exporter.m_firstSequence = 3;
    exporter.m_lastSequence = 4711;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.nFilterIndex = 1;
    ofn.lCustData = reinterpret_cast<LPARAM>(&exporter);
    HostWindow host;
    HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EXPORT_OPTIONS), host.hwnd,
                                       reinterpret_cast<DLGPROC>(ExportDlgHookProc), reinterpret_cast<LPARAM>(&ofn));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_EXPORT_RANGE_ALL), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_EXPORT_COLUMNS_DEFAULT), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_EXPORT_BUFFER_LIMIT), BST_CHECKED);
    EXPECT_FALSE(Enabled(dialog, IDC_EXPORT_FROM));
    EXPECT_FALSE(Enabled(dialog, IDC_EXPORT_TO));
    EXPECT_TRUE(Enabled(dialog, IDC_EXPORT_BUFFER_BYTES));
    EXPECT_TRUE(Enabled(dialog, IDC_EXPORT_COLUMNS_AS_IS));
    EXPECT_EQ(Text(dialog, IDC_EXPORT_FROM), L"3");
    EXPECT_EQ(Text(dialog, IDC_EXPORT_TO), L"4711");
    EXPECT_EQ(Text(dialog, IDC_EXPORT_BUFFER_BYTES), L"48");

    // The user picks a range, "As Is" and whole buffers, and types.
    ::SendDlgItemMessageW(dialog, IDC_EXPORT_RANGE_SOME, BM_CLICK, 0, 0);
    EXPECT_TRUE(Enabled(dialog, IDC_EXPORT_FROM));
    EXPECT_TRUE(Enabled(dialog, IDC_EXPORT_TO));
    ::SendDlgItemMessageW(dialog, IDC_EXPORT_COLUMNS_AS_IS, BM_CLICK, 0, 0);
    ::SendDlgItemMessageW(dialog, IDC_EXPORT_BUFFER_ALL, BM_CLICK, 0, 0);
    EXPECT_FALSE(Enabled(dialog, IDC_EXPORT_BUFFER_BYTES));
    ::SetDlgItemTextW(dialog, IDC_EXPORT_FROM, L"10");
    ::SetDlgItemTextW(dialog, IDC_EXPORT_TO, L"12a");  // not a number: the value stays
    const DWORD until = ::GetTickCount() + 300;
    MSG msg;
    while (::GetTickCount() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
    test::FlushToScreen();
    test::SaveScreenshot(host.hwnd, "export_options.bmp");

    OFNOTIFYW notify{};
    notify.hdr.hwndFrom = host.hwnd;
    notify.hdr.code = CDN_FILEOK;
    notify.lpOFN = &ofn;
    ::SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    EXPECT_EQ(exporter.m_settings.range, 1u);
    EXPECT_EQ(exporter.m_settings.from, 10u);
    EXPECT_EQ(exporter.m_settings.to, 0u);
    EXPECT_EQ(exporter.m_settings.columns, 1u);
    EXPECT_EQ(exporter.m_settings.transferBuffer, 0u);
    EXPECT_EQ(exporter.m_settings.transferBufferLimit, 48u);

    // The XML type takes every column: the choice is off while it is chosen.
    ofn.nFilterIndex = 2;
    notify.hdr.code = CDN_TYPECHANGE;
    ::SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    EXPECT_FALSE(Enabled(dialog, IDC_EXPORT_COLUMNS_DEFAULT));
    EXPECT_FALSE(Enabled(dialog, IDC_EXPORT_COLUMNS_AS_IS));
    ofn.nFilterIndex = 3;
    ::SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    EXPECT_TRUE(Enabled(dialog, IDC_EXPORT_COLUMNS_AS_IS));
    ::DestroyWindow(dialog);
}

// The real save dialog with the template: a timer looks at it as the user
// would, takes its picture, picks whole buffers and presses Save on the
// name given.
std::wstring g_typed;
bool g_sawOptions = false;
void CALLBACK AnswerSaveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    static int ticks = 0;
    HWND dialog = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM found) -> BOOL {
            wchar_t title[64] = {}, cls[64] = {};
            ::GetWindowTextW(w, title, 64);
            ::GetClassNameW(w, cls, 64);
            if (std::wstring(cls) == L"#32770" && std::wstring(title) == L"Export As") {
                *reinterpret_cast<HWND*>(found) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog && ++ticks > 50) std::abort();
    if (!dialog) return;
    ::KillTimer(nullptr, timer);
    HWND options = ::FindWindowExW(dialog, nullptr, nullptr, L"Export Options");
    g_sawOptions = options && ::GetDlgItem(options, IDC_EXPORT_RANGE_SOME) && ::GetDlgItem(options, IDC_EXPORT_BUFFER_BYTES);
    if (options) ::SendDlgItemMessageW(options, IDC_EXPORT_BUFFER_ALL, BM_CLICK, 0, 0);
    test::FlushToScreen();
    test::SaveScreenshot(dialog, "export_save_dialog.bmp");
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(ExportOptions, SaveDialogTakesTheChoices) {
    CExportList exporter;
    exporter.m_settings = EXPORT_SETTINGS{};
    exporter.m_settings.format = EXPORT_FORMAT_CSV;
    exporter.m_directory = Folder();
    g_typed = Folder() + L"\\from the dialog.csv";
    ::DeleteFileW(g_typed.c_str());
    ::SetTimer(nullptr, 0, 200, AnswerSaveDialog);
    wchar_t name[MAX_PATH + 1] = {};
    g_typed.copy(name, MAX_PATH);
    ASSERT_EQ(exporter.ShowExportDialog(name, MAX_PATH + 1), 1);
    EXPECT_TRUE(g_sawOptions);
    wchar_t full[MAX_PATH + 1] = {};
    ::GetFullPathNameW(g_typed.c_str(), MAX_PATH + 1, full, nullptr);
    EXPECT_EQ(std::wstring(name), std::wstring(full));
    EXPECT_EQ(exporter.m_settings.format, EXPORT_FORMAT_CSV);
    EXPECT_EQ(exporter.m_settings.transferBuffer, 0u);
    EXPECT_EQ(exporter.m_directory, std::wstring(full).substr(0, std::wstring(full).rfind(L'\\')));
}

} // namespace
} // namespace brx
