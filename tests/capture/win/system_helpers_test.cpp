#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/Convert.h"
#include "capture/SystemArithmetic.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/SystemCodePages.h"
#include "capture/win/SystemHelpers.h"
#include "capture/win/SystemSeams.h"
#include "tests/capture/win/ScriptedPrompts.h"

using namespace brx;
using brx::testing::ScriptedPrompts;

namespace {

// Fake system facts, installed for their lifetime.
class FakeSeams final : public ISystemSeams {
public:
    FakeSeams() { previous_ = SetSystemSeams(this); }
    ~FakeSeams() override { SetSystemSeams(previous_); }

    BOOL diskAnswer = TRUE;
    uint64_t freeBytes = 0;
    std::vector<std::wstring> diskQueries;
    BOOL wowAnswer = TRUE;
    BOOL wow64 = FALSE;
    DWORD major = 6, minor = 1;

    BOOL GetDiskFreeSpaceExW(LPCWSTR directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER*,
                             ULARGE_INTEGER*) override {
        diskQueries.push_back(directory ? directory : L"(null)");
        if (diskAnswer && freeToCaller)
            freeToCaller->QuadPart = freeBytes;
        return diskAnswer;
    }
    BOOL IsWow64Process(HANDLE, PBOOL result) override {
        if (wowAnswer)
            *result = wow64;
        return wowAnswer;
    }
    BOOL GetVersionExW(OSVERSIONINFOW* info) override {
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
        return TRUE;
    }

private:
    ISystemSeams* previous_ = nullptr;
};

// A hidden window that records the messages it receives.
struct Recorded {
    UINT message;
    WPARAM wParam;
    std::wstring text; // for BFFM_SETSELECTIONW
};
std::vector<Recorded> g_recorded;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONW)
        g_recorded.push_back({message, wParam, reinterpret_cast<const wchar_t*>(lParam)});
    else if (message == BFFM_ENABLEOK)
        g_recorded.push_back({message, static_cast<WPARAM>(lParam), L""});
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateRecorder() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BrindlexTestRecorder";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"BrindlexTestRecorder", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

PIDLIST_ABSOLUTE ItemOf(const wchar_t* path) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(path, nullptr, &item, 0, nullptr)))
        return nullptr;
    return item;
}

std::wstring WindowsDirectory() {
    wchar_t dir[MAX_PATH];
    GetWindowsDirectoryW(dir, MAX_PATH);
    return dir;
}

} // namespace

TEST(SystemHelpers, LocalFileTimeMatchesTheTimeZoneConversion) {
    const uint64_t utc = 132223104000000000ull + 36000000000ull * 5; // 2020-01-01 05:00 UTC
    uint64_t local = 0;
    ASSERT_EQ(ToLocalFileTime(utc, &local), 1);
    FILETIME ft{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    SYSTEMTIME st{}, localSt{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &st, &localSt));
    FILETIME expected{};
    ASSERT_TRUE(SystemTimeToFileTime(&localSt, &expected));
    EXPECT_EQ(local, (static_cast<uint64_t>(expected.dwHighDateTime) << 32) | expected.dwLowDateTime);
    EXPECT_EQ(ToLocalFileTime(utc, nullptr), 0);
}

TEST(SystemHelpers, AnsiAndWideCopiesRoundTrip) {
    EXPECT_EQ(AnsiToWideAlloc(nullptr), nullptr);
    EXPECT_EQ(WideToAnsiAlloc(nullptr), nullptr);
    auto wide = AnsiToWideAlloc("Bulk-Only 0x1F");
    ASSERT_NE(wide, nullptr);
    EXPECT_STREQ(wide.get(), L"Bulk-Only 0x1F");
    auto empty = WideToAnsiAlloc(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty.get(), "");
    std::wstring longText(20000, L'w');
    auto narrow = WideToAnsiAlloc(longText.c_str());
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(std::string(narrow.get()), std::string(20000, 'w'));
    if (GetACP() == 1252) {
        auto e = WideToAnsiAlloc(L"caf\u00e9 \u20ac");
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e.get(), "caf\xe9 \x80");
        auto back = AnsiToWideAlloc("caf\xe9 \x80");
        ASSERT_NE(back, nullptr);
        EXPECT_STREQ(back.get(), L"caf\u00e9 \u20ac");
    }
}

TEST(SystemHelpers, SystemErrorTextStaysInsideItsBuffer) {
    wchar_t buffer[512];
    uint32_t n = SystemErrorText(ERROR_FILE_NOT_FOUND, buffer, 512);
    EXPECT_GT(n, 0u);
    EXPECT_EQ(wcslen(buffer), n);
    wchar_t small[8];
    wmemset(small, L'#', 8);
    n = SystemErrorText(ERROR_FILE_NOT_FOUND, small, 4);
    EXPECT_LT(n, 4u);
    EXPECT_EQ(small[n], 0);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(small[i], L'#');
    EXPECT_EQ(SystemErrorText(ERROR_FILE_NOT_FOUND, nullptr, 8), 0u);
    EXPECT_EQ(SystemErrorText(ERROR_FILE_NOT_FOUND, buffer, 0), 0u);
    // A text with inserts is given as it is, never formatted from missing
    // arguments.
    n = SystemErrorText(ERROR_WRONG_DISK, buffer, 512);
    EXPECT_EQ(wcslen(buffer), n);
}

TEST(SystemHelpers, Wow64ComesFromTheSeam) {
    EXPECT_EQ(IsWow64(), 0); // a 64-bit test process
    FakeSeams seams;
    seams.wow64 = TRUE;
    EXPECT_EQ(IsWow64(), 1);
    seams.wow64 = FALSE;
    EXPECT_EQ(IsWow64(), 0);
    seams.wow64 = TRUE;
    seams.wowAnswer = FALSE; // missing or failing
    EXPECT_EQ(IsWow64(), 0);
}

TEST(SystemHelpers, DiskFreeBytesAsksForTheRootOfThePathsDrive) {
    {
        FakeSeams seams;
        seams.freeBytes = 0x123456789ull;
        EXPECT_EQ(GetDiskFreeBytes(L"d:\\captures\\today"), 0x123456789ull);
        EXPECT_EQ(GetDiskFreeBytes(L"C:"), 0x123456789ull);
        const wchar_t* noDrive[] = {nullptr, L"", L"relative\\dir", L"\\\\server\\share", L"1:\\x"};
        for (const wchar_t* path : noDrive)
            EXPECT_EQ(GetDiskFreeBytes(path), 0u);
        EXPECT_EQ(seams.diskQueries, (std::vector<std::wstring>{L"d:\\", L"C:\\"}));
        seams.diskAnswer = FALSE;
        EXPECT_EQ(GetDiskFreeBytes(L"C:\\"), 0u);
    }
    EXPECT_GT(GetDiskFreeBytes(WindowsDirectory().c_str()), 0u);
}

TEST(SystemHelpers, DllVersionFromDllGetVersion) {
    uint32_t comctl = GetDllVersion(L"comctl32.dll");
    EXPECT_GE(comctl >> 16, 5u);
    EXPECT_EQ(GetDllVersion(L"kernel32.dll"), 0u); // no DllGetVersion
    EXPECT_EQ(GetDllVersion(L"no-such-library-here.dll"), 0u);
    EXPECT_EQ(GetDllVersion(nullptr), 0u);
}

// A library named alone comes from the system folder: a copy of a library
// with DllGetVersion planted in the current folder is not loaded.
TEST(SystemHelpers, DllVersionNeverLoadsFromTheCurrentFolder) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"brx-planted-dll";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring planted = folder + L"\\brxplanted.dll";
    ASSERT_TRUE(::CopyFileW((std::wstring(system) + L"\\shell32.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_GT(GetDllVersion(planted.c_str()), 0u) << "the copy answers when asked by its path";
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    const uint32_t byName = GetDllVersion(L"brxplanted.dll");
    ::SetCurrentDirectoryW(previous);
    ::DeleteFileW(planted.c_str());
    ::RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(byName, 0u);
}

// The depth class against what the display settings report, an answer the
// helper does not ask for.
TEST(SystemHelpers, ScreenColorDepthIsTheDisplaysBitsPerPixelClass) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    ASSERT_GT(mode.dmBitsPerPel, 0u);
    const uint32_t depth = GetScreenColorDepth();
    const uint32_t want = mode.dmBitsPerPel >= 32 ? 32 : mode.dmBitsPerPel >= 24 ? 24 : mode.dmBitsPerPel >= 16 ? 16
                        : mode.dmBitsPerPel >= 8 ? 8 : mode.dmBitsPerPel >= 4 ? 4 : 0;
    EXPECT_EQ(depth, want) << mode.dmBitsPerPel;
}

// The system's conversions agree with the table the native build uses, for
// the characters that table knows, in a single- and a double-byte code page.
TEST(SystemCodePages, AgreeWithTheNativeTable) {
    const std::u16string texts[] = {
        u"Plain; {braces} C:\\dir\t\u00e9\u20ac",
        u"\u4e2d\u65e5\u672c \u8868 \u30dc\u30bd\u30a1\u30f6 \u3041\u3093 \uff61\uff9f\u3000 \uff10\uff19\uff21\uff3a\uff41\uff5a",
        u"a{\u3042};x",
    };
    ICodePages& system = SystemCodePages();
    for (uint32_t page : {CP_WESTERN, CP_JAPANESE}) {
        for (const std::u16string& t : texts) {
            // No kanji in Windows-1252; the system's best fit for Shift-JIS (e
            // for \u00e9) is not in the table.
            const bool kanji = t[0] == u'\u4e2d', accents = t[0] == u'P';
            if ((page == CP_WESTERN && kanji) || (page == CP_JAPANESE && accents)) continue;
            SCOPED_TRACE(page);
            const uint32_t bytes = static_cast<uint32_t>((t.size() + 1) * 2);
            const auto fromSystem = RtfEscapeText(t.c_str(), bytes, page, system);
            const auto fromTable = RtfEscapeText(t.c_str(), bytes, page, TableCodePages());
            ASSERT_TRUE(fromSystem.has_value());
            ASSERT_TRUE(fromTable.has_value());
            EXPECT_EQ(*fromSystem, *fromTable);
        }
    }
    // A pair written whole, its trail byte a backslash.
    const char16_t table[] = u"\u8868";
    EXPECT_EQ(RtfEscapeText(table, sizeof table, CP_JAPANESE, system).value(), "\\'95\\'5c");
    for (uint8_t lead : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(system.IsDBCSLeadByteEx(CP_JAPANESE, lead)) << +lead;
    for (uint8_t single : {0x41, 0x80, 0xA0, 0xB1, 0xDF}) EXPECT_FALSE(system.IsDBCSLeadByteEx(CP_JAPANESE, single)) << +single;
    // A code page the system does not have falls back to the ANSI code page.
    const char16_t plain[] = u"a;b";
    EXPECT_EQ(RtfEscapeText(plain, sizeof plain, 12345, system).value(), "a\\'3bb");
    EXPECT_EQ(system.WideCharToMultiByte(12345, 0, plain, 3, nullptr, 0), 0u);
}

TEST(SystemHelpers, ProductVersionAgreesWithTheVersionApi) {
    uint16_t parts[4] = {};
    EXPECT_EQ(GetProductVersion(parts), 0); // the test program has no version resource

    std::wstring path = WindowsDirectory() + L"\\system32\\comctl32.dll";
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_EQ(GetModuleProductVersion(module, parts), 1);
    EXPECT_EQ(parts[0], HIWORD(fixed->dwProductVersionMS));
    EXPECT_EQ(parts[1], LOWORD(fixed->dwProductVersionMS));
    EXPECT_EQ(parts[2], HIWORD(fixed->dwProductVersionLS));
    EXPECT_EQ(parts[3], LOWORD(fixed->dwProductVersionLS));

    // The same resource copied whole, and refused for a buffer one byte short.
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    ASSERT_NE(found, nullptr);
    DWORD resourceSize = SizeofResource(module, found);
    std::vector<uint8_t> copy(resourceSize + 1, 0xAA);
    EXPECT_EQ(LoadModuleResourceBytes(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16), copy.data(),
                                      resourceSize),
              resourceSize);
    EXPECT_EQ(copy[resourceSize], 0xAA);
    EXPECT_EQ(std::memcmp(copy.data(), LockResource(LoadResource(module, found)), resourceSize), 0);
    EXPECT_EQ(LoadModuleResourceBytes(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16), copy.data(),
                                      resourceSize - 1),
              0u);
    EXPECT_EQ(LoadModuleResourceBytes(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16), nullptr,
                                      resourceSize),
              0u);
    FreeLibrary(module);
    EXPECT_EQ(LoadResourceBytes(MAKEINTRESOURCEW(4711), MAKEINTRESOURCEW(10), copy.data(), 16), 0u);
}

TEST(SystemHelpers, PopupMenuIsDetachedFromItsBar) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 100, L"Copy");
    AppendMenuW(popup, MF_STRING, 101, L"Select All");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Edit");
    HMENU other = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(other), L"View");
    HMENU detached = DetachFirstPopup(bar);
    EXPECT_EQ(detached, popup);
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(other)); // destroyed with the bar
    ASSERT_TRUE(IsMenu(detached));
    EXPECT_EQ(GetMenuItemCount(detached), 2);
    DestroyMenu(detached);

    HMENU empty = CreateMenu();
    EXPECT_EQ(DetachFirstPopup(empty), nullptr);
    EXPECT_FALSE(IsMenu(empty));
    EXPECT_EQ(DetachFirstPopup(nullptr), nullptr);
    EXPECT_EQ(LoadPopupMenu(4711), nullptr);
}

TEST(SystemHelpers, FixedDrivesAndDirectories) {
    std::wstring windows = WindowsDirectory();
    EXPECT_EQ(IsOnFixedDrive(windows.c_str()), 1);
    EXPECT_EQ(IsOnFixedDrive(L"Q:\\"), 0);
    EXPECT_EQ(IsOnFixedDrive(L"relative"), 0);
    EXPECT_EQ(IsOnFixedDrive(nullptr), 0);

    wchar_t appData[MAX_PATH], temp[MAX_PATH];
    ASSERT_EQ(GetAppDataFolder(appData, MAX_PATH), 1);
    ASSERT_EQ(GetDefaultTempDirectory(temp, MAX_PATH), 1);
    EXPECT_EQ(std::wstring(temp), std::wstring(appData) + L"\\Brindlex");
    EXPECT_EQ(GetDefaultTempDirectory(temp, 4), 0);

    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring root = std::wstring(base) + L"BrindlexDirs-" + std::to_wstring(GetCurrentProcessId());
    std::wstring nested = root + L"\\a\\b\\c";
    EXPECT_EQ(CreateDirectoryPath(nested.c_str()), 1);
    EXPECT_EQ(CreateDirectoryPath(nested.c_str()), 1); // already there
    EXPECT_EQ(CreateDirectoryPath(L""), 0);
    EXPECT_EQ(CreateDirectoryPath(nullptr), 0);
    for (std::wstring d = nested; d.size() > root.size(); d = d.substr(0, d.rfind(L'\\')))
        RemoveDirectoryW(d.c_str());
    RemoveDirectoryW(root.c_str());
}

TEST(SystemHelpers, BrowseForFolderAsksThePromptsAndReturnsThePath) {
    ScriptedPrompts prompts;
    std::wstring windows = WindowsDirectory();
    BROWSEINFOW seen{};
    std::wstring seenPrompt;
    prompts.browse = [&](BROWSEINFOW* info) {
        seen = *info;
        seenPrompt = info->lpszTitle ? info->lpszTitle : L"";
        return ItemOf(windows.c_str());
    };
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(BrowseForFolder(nullptr, 0, L"C:\\", L"Select", L"Choose a directory", path, MAX_PATH), 1);
    EXPECT_EQ(std::wstring(path), windows);
    EXPECT_EQ(seen.ulFlags, 0x4Bu);
    EXPECT_EQ(seen.pidlRoot, nullptr);
    EXPECT_EQ(seenPrompt, L"Choose a directory");
    EXPECT_NE(seen.lpfn, nullptr);

    // Rooted at a CSIDL folder.
    EXPECT_EQ(BrowseForFolder(nullptr, CSIDL_DRIVES, nullptr, nullptr, nullptr, path, MAX_PATH), 1);
    EXPECT_NE(seen.pidlRoot, nullptr);

    // A path longer than the caller's buffer is not cut.
    wchar_t small[4] = {L'k', 0};
    EXPECT_EQ(BrowseForFolder(nullptr, 0, nullptr, nullptr, nullptr, small, 4), 0);
    EXPECT_STREQ(small, L"k");

    prompts.browse = [](BROWSEINFOW*) { return PIDLIST_ABSOLUTE(nullptr); }; // cancelled
    EXPECT_EQ(BrowseForFolder(nullptr, 0, nullptr, nullptr, nullptr, path, MAX_PATH), 0);
}

TEST(SystemHelpers, FolderPickerCallbackSelectsTitlesAndEnablesOkOnFixedDrivesOnly) {
    HWND window = CreateRecorder();
    ASSERT_NE(window, nullptr);
    BROWSE_FOLDER_START start{L"C:\\windows", L"Select temporary capture file directory"};
    g_recorded.clear();
    BrowseForFolderCallback(window, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(&start));
    ASSERT_EQ(g_recorded.size(), 1u);
    EXPECT_EQ(g_recorded[0].message, static_cast<UINT>(BFFM_SETSELECTIONW));
    EXPECT_EQ(g_recorded[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(g_recorded[0].text, L"C:\\windows");
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Select temporary capture file directory");

    PIDLIST_ABSOLUTE fixed = ItemOf(WindowsDirectory().c_str());
    PIDLIST_ABSOLUTE virtualFolder = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, &virtualFolder)));
    ASSERT_NE(fixed, nullptr);
    g_recorded.clear();
    BrowseForFolderCallback(window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(fixed),
                            reinterpret_cast<LPARAM>(&start));
    BrowseForFolderCallback(window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(virtualFolder),
                            reinterpret_cast<LPARAM>(&start));
    BrowseForFolderCallback(window, BFFM_SELCHANGED, 0, reinterpret_cast<LPARAM>(&start));
    ASSERT_EQ(g_recorded.size(), 3u);
    EXPECT_EQ(g_recorded[0].message, static_cast<UINT>(BFFM_ENABLEOK));
    EXPECT_EQ(g_recorded[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(g_recorded[1].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(g_recorded[2].wParam, static_cast<WPARAM>(FALSE));
    CoTaskMemFree(fixed);
    CoTaskMemFree(virtualFolder);

    // Without an initial folder or title nothing is selected or renamed.
    BROWSE_FOLDER_START none{nullptr, nullptr};
    g_recorded.clear();
    BrowseForFolderCallback(window, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(&none));
    EXPECT_TRUE(g_recorded.empty());
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Select temporary capture file directory");
    DestroyWindow(window);
}

TEST(AppMessageBoxes, AreOwnedTaskModalCaptionedAndGiveTheFocusBack) {
    HWND main = CreateRecorder();
    HWND other = CreateRecorder();
    ASSERT_NE(main, nullptr);
    ASSERT_NE(other, nullptr);
    SetAppMainWindow(main);
    SetFocus(main);
    ASSERT_EQ(GetFocus(), main);

    ScriptedPrompts prompts;
    prompts.buttons = {IDNO, IDYES};
    prompts.duringMessageBox = [&] {
        SetFocus(other);
        EXPECT_EQ(GetFocus(), other); // the box took the focus away
    };
    EXPECT_EQ(AppMessageBox(L"The log file x.bdx was not found.\n", nullptr, MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(GetFocus(), main);
    EXPECT_EQ(AppMessageBoxA("Capture buffer is full. Capturing stopped.", "Other", MB_YESNO), IDYES);
    EXPECT_EQ(GetFocus(), main);
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[0].owner, main);
    EXPECT_EQ(prompts.boxes[0].caption, L"Brindlex");
    EXPECT_EQ(prompts.boxes[0].text, L"The log file x.bdx was not found.\n");
    EXPECT_EQ(prompts.boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_TASKMODAL));
    EXPECT_EQ(prompts.boxes[1].caption, L"Other");
    EXPECT_EQ(prompts.boxes[1].type, static_cast<UINT>(MB_YESNO | MB_TASKMODAL));

    // Without a main window (before it exists, or once it is gone) there is
    // no owner, and a focus window that disappeared is left alone.
    DestroyWindow(main);
    prompts.duringMessageBox = [&] { DestroyWindow(other); };
    SetFocus(other);
    EXPECT_EQ(AppMessageBoxA(nullptr, nullptr, 0), IDOK);
    EXPECT_EQ(prompts.boxes[2].owner, nullptr);
    EXPECT_EQ(prompts.boxes[2].caption, L"Brindlex");
    SetAppMainWindow(nullptr);
    EXPECT_EQ(GetAppMainWindow(), nullptr);
}

TEST(PromptsSeam, InstalledPromptsAnswerUntilTheyLeave) {
    IPrompts& system = Prompts();
    {
        ScriptedPrompts outer;
        EXPECT_EQ(&Prompts(), &outer);
        {
            ScriptedPrompts inner;
            EXPECT_EQ(&Prompts(), &inner);
            inner.files = {L"C:\\logs\\run.bdx", L"", std::wstring(300, L'x')};
            wchar_t file[MAX_PATH] = {};
            OPENFILENAMEW dialog{};
            dialog.lStructSize = sizeof dialog;
            dialog.lpstrFile = file;
            dialog.nMaxFile = MAX_PATH;
            EXPECT_TRUE(Prompts().GetSaveFileNameW(&dialog));
            EXPECT_STREQ(file, L"C:\\logs\\run.bdx");
            EXPECT_FALSE(Prompts().GetOpenFileNameW(&dialog)); // cancelled
            EXPECT_FALSE(Prompts().GetOpenFileNameW(&dialog)); // longer than the buffer
            EXPECT_FALSE(Prompts().GetOpenFileNameW(&dialog)); // nothing scripted
            EXPECT_STREQ(file, L"C:\\logs\\run.bdx");
        }
        EXPECT_EQ(&Prompts(), &outer);
    }
    EXPECT_EQ(&Prompts(), &system);
}
