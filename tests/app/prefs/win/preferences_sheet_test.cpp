// The Preferences sheet on real windows with a host of our own: each page's
// values, limits and clamping as tables, the number edits as typed, the
// folder refused off fixed drives with a message, Cancel leaving the
// registry as it was (snapshot), OK and Apply Now applying every page once
// and writing once. Screenshots of every page are saved and looked at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/prefs/win/PreferencesDlg.h"
#include "app/res/prefs_ids.h"
#include "capture/KernelMemoryLimit.h"
#include "capture/PreferenceRules.h"
#include "capture/win/Preferences.h"
#include "capture/win/SettingsStore.h"
#include "tests/capture/win/ScriptedPrompts.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

class CFakeHost : public IPrefsHost {
public:
    bool hasRecent = true;
    int recentSize = 4;
    int recentSets = 0;
    bool hasList = true;
    PREF_COLOR_FLAGS colors{1, 0, 1};
    int colorSets = 0;
    int refreshes = 0;
    bool driverOpen = true;
    uint32_t step = 0, max = 0;
    uint64_t freeBytes = uint64_t{5} << 40; // 5 TB
    bool fixedDrive = true;
    std::vector<std::wstring> fixedAsked;

    bool GetRecentFilesSize(int& size) override {
        if (hasRecent) size = recentSize;
        return hasRecent;
    }
    void SetRecentFilesSize(int size) override {
        recentSize = size;
        ++recentSets;
    }
    bool GetColorFlags(PREF_COLOR_FLAGS& flags) override {
        if (hasList) flags = colors;
        return hasList;
    }
    void SetColorFlags(const PREF_COLOR_FLAGS& flags) override {
        colors = flags;
        ++colorSets;
    }
    void RefreshCaptureList() override { ++refreshes; }
    bool IsDriverOpen() override { return driverOpen; }
    uint32_t GetKernelMemoryStep() override { return step; }
    uint32_t GetKernelMemoryMax() override { return max; }
    uint64_t GetDiskFreeBytes(const wchar_t*) override { return freeBytes; }
    bool IsOnFixedDrive(const wchar_t* folder) override {
        fixedAsked.push_back(folder);
        return fixedDrive;
    }
    void GetLocalTime(SYSTEMTIME& t) override { t = SYSTEMTIME{2026, 3, 6, 7, 9, 5, 4, 12}; }
};

// The capture driver's side of the kernel memory limit.
class CFakeLimit : public IKernelMemoryLimit {
public:
    uint32_t limit = 0;
    bool accept = true;
    uint32_t GetKernelMemoryLimit() override { return limit; }
    int SetKernelMemoryLimit(uint32_t bytes) override {
        if (accept) limit = bytes;
        return accept ? 1 : 0;
    }
};

// Every value below the program's registry key, by path.
using Snapshot = std::map<std::wstring, std::vector<BYTE>>;
void TakeSnapshot(HKEY key, const std::wstring& path, Snapshot& out) {
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        BYTE data[2048];
        size = sizeof data;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> bytes(data, data + size);
        bytes.push_back(static_cast<BYTE>(type));
        out[path + L"|" + name] = bytes;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            TakeSnapshot(sub, path + L"\\" + name, out);
            ::RegCloseKey(sub);
        }
    }
}
Snapshot RegistrySnapshot() {
    Snapshot s;
    HKEY app = OpenAppRegKey();
    if (app) {
        TakeSnapshot(app, L"", s);
        ::RegCloseKey(app);
    }
    return s;
}

std::wstring Text(HWND page, int id) {
    wchar_t text[300] = {};
    ::GetDlgItemTextW(page, id, text, 300);
    return text;
}

// Typing into an edit as the keyboard would: the whole text replaced by the
// characters, then the key released.
void Type(HWND edit, const wchar_t* chars) {
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    if (!chars[0]) ::SendMessageW(edit, WM_CHAR, VK_BACK, 1); // deletes the selection
    for (const wchar_t* c = chars; *c; ++c) ::SendMessageW(edit, WM_CHAR, *c, 1);
    ::SendMessageW(edit, WM_KEYUP, chars[0] ? static_cast<WPARAM>(chars[0]) : VK_BACK, 0xC0000001);
}

void Scroll(HWND page, int id, int position) {
    HWND bar = ::GetDlgItem(page, id);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, position);
    ::SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

class PreferencesSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppRegKeyNameForTesting("BrindlexPrefsSheetTest");
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        prefs.SetKernelMemoryDriver(&limit);
    }
    void TearDown() override {
        prefs.SetKernelMemoryDriver(nullptr);
        HKEY software = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS, &software) == ERROR_SUCCESS) {
            ::RegDeleteTreeW(software, L"BrindlexPrefsSheetTest");
            ::RegCloseKey(software);
        }
        SetAppRegKeyNameForTesting(nullptr);
    }
    // A sheet shown modeless on the page asked for.
    std::unique_ptr<CPreferencesDlg> Open(int page = 0) {
        auto sheet = std::make_unique<CPreferencesDlg>(prefs, host);
        EXPECT_TRUE(sheet->Create());
        if (page) {
            EXPECT_TRUE(sheet->SetActivePage(page));
        }
        test::Pump();
        return sheet;
    }
    void Close(CPreferencesDlg& sheet, int button) {
        sheet.PressButton(button);
        test::Pump();
        if (sheet.m_hWnd) sheet.DestroyWindow();
    }

    CPreferences prefs;
    CFakeLimit limit;
    CFakeHost host;
};

TEST_F(PreferencesSheetTest, SheetHasFivePagesInATreeWithTheirCaptions) {
    auto sheet = Open();
    EXPECT_EQ(CWnd::GetWindowText(*sheet), L"Preferences");
    HWND tree = sheet->GetPageTree();
    ASSERT_TRUE(tree);
    RECT rc{};
    ::GetWindowRect(tree, &rc);
    EXPECT_EQ(rc.right - rc.left, 95); // tree width 100
    const wchar_t* titles[] = {L"General", L"Driver", L"Capture", L"Coloring", L"Time"};
    const char* shots[] = {"general", "driver", "capture", "coloring", "time"};
    ASSERT_EQ(TreeView_GetCount(tree), 5u);
    for (int i = 0; i < 5; ++i) {
        TreeView_SelectItem(tree, sheet->FindPageItem(i));
        test::Pump();
        EXPECT_EQ(sheet->GetActiveIndex(), i);
        EXPECT_EQ(sheet->GetPageFrame()->GetCaption(), titles[i]);
        TVITEMW tv{};
        tv.mask = TVIF_IMAGE | TVIF_HANDLE;
        tv.hItem = sheet->FindPageItem(i);
        TreeView_GetItem(tree, &tv);
        EXPECT_GE(tv.iImage, 0) << i; // every page has its icon
        ::UpdateWindow(*sheet);
        test::SaveWindowBmp(*sheet, std::string(BRX_TEST_OUTPUT_DIR) + "/prefs_" + shots[i] + ".bmp");
    }
    EXPECT_NE(::SendMessageW(*sheet, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(*sheet, IDHELP)));
    Close(*sheet, PSBTN_CANCEL);
}

TEST_F(PreferencesSheetTest, GeneralPageEditsClampAsTyped) {
    prefs.SetStartupScreenset(3);
    prefs.SetUseMostRecentScreenset(0);
    prefs.SetSplashAtStartup(1);
    host.recentSize = 7;
    auto sheet = Open();
    HWND page = sheet->m_pageGeneral.m_hWnd;
    EXPECT_EQ(Text(page, IDC_PREF_RECENT_FILES), L"7");
    EXPECT_EQ(Text(page, IDC_PREF_SCREENSET), L"3");
    EXPECT_TRUE(::IsDlgButtonChecked(page, IDC_PREF_SPLASH));
    EXPECT_FALSE(sheet->m_pageGeneral.IsModified());
    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_PREF_RECENT_FILES, EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_PREF_SCREENSET, EM_GETLIMITTEXT, 0, 0), 1);
    struct Case {
        int id;
        const wchar_t* typed;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {IDC_PREF_SCREENSET, L"9", L"4"},      {IDC_PREF_SCREENSET, L"0", L"1"},
        {IDC_PREF_SCREENSET, L"", L"1"},       {IDC_PREF_SCREENSET, L"2", L"2"},
        {IDC_PREF_RECENT_FILES, L"16", L"16"}, {IDC_PREF_RECENT_FILES, L"17", L"16"},
        {IDC_PREF_RECENT_FILES, L"99", L"16"}, {IDC_PREF_RECENT_FILES, L"", L"0"},
        {IDC_PREF_RECENT_FILES, L"12", L"12"}, {IDC_PREF_RECENT_FILES, L"x", L"12"}, // not a digit: not typed
        {IDC_PREF_RECENT_FILES, L"123", L"12"}, // a third digit does not fit
    };
    for (const Case& c : cases) {
        Type(::GetDlgItem(page, c.id), c.typed);
        EXPECT_EQ(Text(page, c.id), c.shown) << c.id << " typed " << std::string(c.typed, c.typed + wcslen(c.typed));
    }
    EXPECT_TRUE(sheet->m_pageGeneral.IsModified());
    // Text set from outside (the spin's buddy text) is clamped too.
    ::SetDlgItemTextW(page, IDC_PREF_SCREENSET, L"7");
    EXPECT_EQ(Text(page, IDC_PREF_SCREENSET), L"4");
    ::SetDlgItemTextW(page, IDC_PREF_RECENT_FILES, L"40");
    EXPECT_EQ(Text(page, IDC_PREF_RECENT_FILES), L"16");
    // "Remember most recent" turns the screen-set choice off.
    ::SendDlgItemMessageW(page, IDC_PREF_USE_RECENT_SCREENSET, BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_PREF_SCREENSET)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_PREF_SCREENSET_SPIN)));
    ::SendDlgItemMessageW(page, IDC_PREF_USE_RECENT_SCREENSET, BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_PREF_SCREENSET)));
    Type(::GetDlgItem(page, IDC_PREF_RECENT_FILES), L"0");
    Type(::GetDlgItem(page, IDC_PREF_SCREENSET), L"2");
    Close(*sheet, PSBTN_OK);
    EXPECT_EQ(host.recentSize, 0); // an empty list is kept
    EXPECT_EQ(prefs.GetStartupScreenset(), 2u);
}

TEST_F(PreferencesSheetTest, GeneralPageWithoutRecentFilesShowsSixteenAndLeavesItAlone) {
    host.hasRecent = false;
    auto sheet = Open();
    EXPECT_EQ(Text(sheet->m_pageGeneral.m_hWnd, IDC_PREF_RECENT_FILES), L"16");
    Close(*sheet, PSBTN_OK);
    EXPECT_EQ(host.recentSets, 0);
}

TEST_F(PreferencesSheetTest, DriverPageClampsTheLimitToTheDriversScale) {
    struct Case {
        uint32_t step, max, stored;
        int rangeMax, position;
        const wchar_t* text;
        int scrollTo;
        const wchar_t* scrolledText;
        uint32_t applied;
    };
    const Case cases[] = {
        {0, 0, 0x100000, 16, 1, L"2 MB", 3, L"6 MB", 0x600000},              // below a step: one step
        {0, 0, 0x8000000, 16, 16, L"32 MB", 16, L"32 MB", 0x2000000},        // above the maximum
        {0x100000, 0x4000000, 0xA00000, 64, 10, L"10 MB", 64, L"64 MB", 0x4000000},
    };
    for (const Case& c : cases) {
        host.step = c.step;
        host.max = c.max;
        limit.limit = c.stored;
        auto sheet = Open(1);
        HWND page = sheet->m_pageDriver.m_hWnd;
        HWND bar = ::GetDlgItem(page, IDC_PREF_KERNEL_MEMORY);
        EXPECT_EQ(::SendMessageW(bar, TBM_GETRANGEMIN, 0, 0), 1) << c.stored;
        EXPECT_EQ(::SendMessageW(bar, TBM_GETRANGEMAX, 0, 0), c.rangeMax) << c.stored;
        EXPECT_EQ(::SendMessageW(bar, TBM_GETPOS, 0, 0), c.position) << c.stored;
        EXPECT_EQ(::SendMessageW(bar, TBM_GETPAGESIZE, 0, 0), 2);
        EXPECT_EQ(Text(page, IDC_PREF_KERNEL_MEMORY_TEXT), c.text) << c.stored;
        Scroll(page, IDC_PREF_KERNEL_MEMORY, c.scrollTo);
        EXPECT_EQ(Text(page, IDC_PREF_KERNEL_MEMORY_TEXT), c.scrolledText) << c.stored;
        EXPECT_TRUE(sheet->m_pageDriver.IsModified());
        Close(*sheet, PSBTN_OK);
        EXPECT_EQ(limit.limit, c.applied) << c.stored;
    }
}

TEST_F(PreferencesSheetTest, WithoutTheDriverDriverAndCapturePagesAreDisabledAndKeepTheirValues) {
    host.driverOpen = false;
    prefs.SetTempFileSize(64u << 20);
    limit.limit = 0x800000;
    auto sheet = Open(1);
    sheet->SetActivePage(2);
    test::Pump();
    for (HWND page : {sheet->m_pageDriver.m_hWnd, sheet->m_pageCapture.m_hWnd})
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            EXPECT_FALSE(::IsWindowEnabled(child)) << ::GetDlgCtrlID(child);
    Scroll(sheet->m_pageCapture.m_hWnd, IDC_PREF_TEMP_SIZE, 100);
    Close(*sheet, PSBTN_OK);
    EXPECT_EQ(prefs.GetTempFileSize(), 64u << 20);
    EXPECT_EQ(limit.limit, 0x800000u);
}

TEST_F(PreferencesSheetTest, CapturePageSizesFreeSpaceAndTheRefusedFolder) {
    prefs.SetTempFileSize(24u << 20);
    auto sheet = Open(2);
    HWND page = sheet->m_pageCapture.m_hWnd;
    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_PREF_TEMP_SIZE, TBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(Text(page, IDC_PREF_TEMP_SIZE_TEXT), L"24 MB");
    EXPECT_EQ(Text(page, IDC_PREF_FREE_SPACE), L"5242880 MB"); // 5 TB, beyond 32 bits of bytes
    struct Case {
        int position;
        const wchar_t* text;
    };
    for (const Case& c : {Case{128, L"1024 MB"}, Case{1, L"8 MB"}, Case{16, L"128 MB"}}) {
        Scroll(page, IDC_PREF_TEMP_SIZE, c.position);
        EXPECT_EQ(Text(page, IDC_PREF_TEMP_SIZE_TEXT), c.text) << c.position;
    }

    const std::wstring before = Text(page, IDC_PREF_TEMP_DIRECTORY);
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    testing::ScriptedPrompts prompts;
    std::wstring title;
    prompts.browse = [&](BROWSEINFOW* info) -> PIDLIST_ABSOLUTE {
        title = info->lpszTitle ? info->lpszTitle : L"";
        return ILCreateFromPathW(windows);
    };
    struct Browse {
        bool fixed;
        bool taken;
    };
    for (const Browse& b : {Browse{false, false}, Browse{true, true}}) {
        host.fixedDrive = b.fixed;
        const size_t boxes = prompts.boxes.size();
        ::SendDlgItemMessageW(page, IDC_PREF_BROWSE, BM_CLICK, 0, 0);
        EXPECT_EQ(title, L"Choose a directory for temporary capture file (use fixed drives only).");
        EXPECT_EQ(Text(page, IDC_PREF_TEMP_DIRECTORY), b.taken ? std::wstring(windows) : before) << b.fixed;
        EXPECT_EQ(prompts.boxes.size(), boxes + (b.taken ? 0 : 1)) << b.fixed; // refused with a message
    }
    ASSERT_FALSE(prompts.boxes.empty());
    EXPECT_NE(prompts.boxes[0].text.find(L"fixed drive"), std::wstring::npos);
    Close(*sheet, PSBTN_OK);
    EXPECT_EQ(prefs.GetTempFileSize(), 128u << 20);
    wchar_t directory[MAX_PATH] = {};
    prefs.GetTempDirectory(directory, MAX_PATH);
    EXPECT_EQ(_wcsicmp(directory, windows), 0);
}

TEST_F(PreferencesSheetTest, ColoringAndTimePagesShowAndApplyTheirChoices) {
    struct Case {
        uint32_t time, elapsed, duration;
        int timeId, elapsedId, durationId;
        const wchar_t *timeSample, *elapsedSample, *durationSample;
    };
    const Case cases[] = {
        {0, 0, 0, IDC_PREF_TIME_DATE, IDC_PREF_ELAPSED_TIME, IDC_PREF_DURATION_SECONDS, L"2026-03-07 9:05:04.012",
         L"00:00:00.001234", L"0.005678"},
        {1, 1, 1, IDC_PREF_TIME_OF_DAY, IDC_PREF_ELAPSED_SECONDS, IDC_PREF_DURATION_FORMATTED, L"9:05:04.012",
         L"0.001234", L"5.678 ms"},
        {1, 2, 1, IDC_PREF_TIME_OF_DAY, IDC_PREF_ELAPSED_FORMATTED, IDC_PREF_DURATION_FORMATTED, L"9:05:04.012",
         L"1.234 ms", L"5.678 ms"},
    };
    for (const Case& c : cases) {
        prefs.SetTimeFormat(c.time);
        prefs.SetElapsedTimeFormat(c.elapsed);
        prefs.SetDurationFormat(c.duration);
        auto sheet = Open(4);
        HWND page = sheet->m_pageTime.m_hWnd;
        EXPECT_TRUE(::IsDlgButtonChecked(page, c.timeId));
        EXPECT_TRUE(::IsDlgButtonChecked(page, c.elapsedId));
        EXPECT_TRUE(::IsDlgButtonChecked(page, c.durationId));
        EXPECT_EQ(Text(page, IDC_PREF_TIME_SAMPLE), c.timeSample);
        EXPECT_EQ(Text(page, IDC_PREF_ELAPSED_SAMPLE), c.elapsedSample);
        EXPECT_EQ(Text(page, IDC_PREF_DURATION_SAMPLE), c.durationSample);
        Close(*sheet, PSBTN_CANCEL);
    }
    // Clicking changes the sample at once and applies on OK.
    auto sheet = Open(4);
    HWND page = sheet->m_pageTime.m_hWnd;
    ::SendDlgItemMessageW(page, IDC_PREF_ELAPSED_TIME, BM_CLICK, 0, 0);
    ::SendDlgItemMessageW(page, IDC_PREF_TIME_DATE, BM_CLICK, 0, 0);
    EXPECT_EQ(Text(page, IDC_PREF_ELAPSED_SAMPLE), L"00:00:00.001234");
    EXPECT_TRUE(sheet->m_pageTime.IsModified());
    sheet->SetActivePage(3);
    test::Pump();
    HWND colors = sheet->m_pageColoring.m_hWnd;
    EXPECT_TRUE(::IsDlgButtonChecked(colors, IDC_PREF_COLORIZE_BK));
    EXPECT_FALSE(::IsDlgButtonChecked(colors, IDC_PREF_COLORIZE_ROW));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(colors, IDC_PREF_COLORIZE_ROW)));
    ::SendDlgItemMessageW(colors, IDC_PREF_COLORIZE_BK, BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(colors, IDC_PREF_COLORIZE_ROW))); // only with the background
    ::SendDlgItemMessageW(colors, IDC_PREF_COLORIZE_ERROR, BM_CLICK, 0, 0);
    Close(*sheet, PSBTN_OK);
    EXPECT_EQ(prefs.GetTimeFormat(), 0u);
    EXPECT_EQ(prefs.GetElapsedTimeFormat(), 0u);
    EXPECT_EQ(host.colors.colorizeBk, 0u);
    EXPECT_EQ(host.colors.colorizeErrorFg, 0u);
    EXPECT_EQ(host.colorSets, 1);
}

TEST_F(PreferencesSheetTest, CancelWritesNothingOkAndApplyNowWriteEveryPageOnce) {
    prefs.Save();
    const Snapshot stored = RegistrySnapshot();
    ASSERT_FALSE(stored.empty());

    // Cancel after visiting and changing every page: nothing written or set.
    {
        auto sheet = Open();
        for (int i = 1; i < 5; ++i) {
            sheet->SetActivePage(i);
            test::Pump();
        }
        Type(::GetDlgItem(sheet->m_pageGeneral.m_hWnd, IDC_PREF_SCREENSET), L"4");
        Scroll(sheet->m_pageCapture.m_hWnd, IDC_PREF_TEMP_SIZE, 100);
        ::SendDlgItemMessageW(sheet->m_pageTime.m_hWnd, IDC_PREF_TIME_OF_DAY, BM_CLICK, 0, 0);
        Close(*sheet, PSBTN_CANCEL);
        EXPECT_FALSE(sheet->IsChanged());
    }
    EXPECT_EQ(RegistrySnapshot(), stored);
    EXPECT_EQ(host.recentSets + host.colorSets, 0);
    EXPECT_EQ(prefs.GetTempFileSize(), PREF_DEFAULT_TEMP_FILE_SIZE);

    // Apply Now applies every created page once and writes nothing yet; OK
    // applies once more; the registry is written once, as the sheet closes.
    {
        auto sheet = Open();
        sheet->SetActivePage(3); // General and Coloring exist
        test::Pump();
        Type(::GetDlgItem(sheet->m_pageGeneral.m_hWnd, IDC_PREF_SCREENSET), L"4");
        sheet->PressButton(PSBTN_APPLYNOW);
        test::Pump();
        EXPECT_EQ(host.recentSets, 1);
        EXPECT_EQ(host.colorSets, 1);
        EXPECT_EQ(prefs.GetStartupScreenset(), 4u);
        EXPECT_EQ(RegistrySnapshot(), stored) << "written when the sheet closes";
        EXPECT_GT(host.refreshes, 0) << "the capture list redraws at once";
        Close(*sheet, PSBTN_OK);
        EXPECT_EQ(host.recentSets, 2);
        EXPECT_EQ(host.colorSets, 2);
    }
    const Snapshot written = RegistrySnapshot();
    EXPECT_NE(written, stored);
    CPreferences reread;
    reread.LoadPreferences();
    EXPECT_EQ(reread.GetStartupScreenset(), 4u);
}

} // namespace
} // namespace brx
