// Start-up and exit of the application on the simulated driver: first and
// second instances, show commands, the command-line file, the fatal start-up
// message, the screen sets and the frame's saved state, closing while
// capturing, and the help commands.
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main/win/App.h"
#include "app/main/win/MainFrame.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "framework/SystemLibrary.h"
#include "toolkit/controls/win/RichEditBase.h"
#include "app/devices/win/UsbHost.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"
#include "tests/WindowScreenshot.h"
#include "tests/capture/win/ScriptedPrompts.h"
#include "tests/capture/win/TestRegistry.h"
#include "toolkit/dock/ScreenSetBlob.h"
#include "toolkit/dock/win/ScreenSetRegistry.h"

namespace brx {
namespace {

class CTestableApp : public CApp {
public:
    CCommandLineInfo commandLine;
    bool failLogManager = false;

protected:
    void ReadCommandLine(CCommandLineInfo& info) override { info = commandLine; }
    void CreateLogManager() override {
        if (!failLogManager) CApp::CreateLogManager();
    }
};

void DrainQuit() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

class AppTest : public ::testing::Test {
protected:
    AppTest() {
        // The splash screen stays up for a while; one test shows it.
        GetPreferences().SetSplashAtStartup(0);
        GetPreferences().Save();
        previousDriver_ = SetDriverDevice(&driver);
        previousHost_ = SetUsbHost(&host);
    }
    ~AppTest() override {
        SetUsbHost(previousHost_);
        SetDriverDevice(previousDriver_);
        DrainQuit();
    }

    // Start-up as the program runs it, then the pending messages.
    BOOL Start(CTestableApp& app) {
        BOOL ok = app.InitInstance();
        app.PumpUntilIdle();
        DrainQuit();
        return ok;
    }
    // Closes the main window (answering No to a save question) and exits.
    void Stop(CTestableApp& app) {
        if (CMainFrame* frame = app.MainFrame()) {
            HWND hwnd = frame->m_hWnd;
            prompts.buttons.push_back(IDNO);
            ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
            EXPECT_FALSE(::IsWindow(hwnd));
        }
        app.m_pMainWnd = nullptr;
        app.PumpUntilIdle();
        DrainQuit();
        app.ExitInstance();
        prompts.buttons.clear();
    }

    static void SetScreenSetPreferences(int useMostRecent, uint32_t mostRecent, uint32_t startup) {
        CPreferences& prefs = GetPreferences();
        prefs.SetUseMostRecentScreenset(useMostRecent);
        prefs.SetMostRecentScreenset(mostRecent);
        prefs.SetStartupScreenset(startup);
        prefs.Save();
    }

    // A stored screen set: the default arrangement with some panes hidden.
    static std::vector<uint8_t> StoredSet(std::initializer_list<uint8_t> hidden, uint8_t locked = 0) {
        CDPLayout layout(nullptr, true);
        EXPECT_TRUE(layout.Load(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, ScreenSetRulesForThisScreen()));
        for (uint8_t id : hidden) layout.HidePane(layout.FindPane(id));
        layout.SetLocked(locked);
        std::vector<uint8_t> blob;
        EXPECT_TRUE(layout.Save(blob));
        return blob;
    }
    void PutScreenSet(int index, const std::vector<uint8_t>& blob) {
        wchar_t name[16];
        ScreenSetValueName(index, name);
        ASSERT_TRUE(registry.Put(kScreenSetsSection, name, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())));
    }
    bool ValueExists(const wchar_t* keyPath, const wchar_t* value) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        bool found = ::RegQueryValueExW(key, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return found;
    }

    testing::TestRegistry registry;
    testing::ScriptedPrompts prompts;
    CSimulatedDriver driver;
    CSimulatedUsbHost host{driver.Topology()};

private:
    IDriverDevice* previousDriver_ = nullptr;
    IUsbHost* previousHost_ = nullptr;
};

// The paths start-up asks the loader for; nothing is loaded.
std::vector<std::wstring>& AskedPaths() {
    static std::vector<std::wstring> paths;
    return paths;
}
HMODULE RecordLoad(const wchar_t* path) {
    AskedPaths().push_back(path ? path : L"");
    return nullptr;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

TEST(Libraries, LoadedFromTheProgramsFolderOrTheSystemFolderNeverTheCurrentOne) {
    // A folder holding a capture file and a planted library, made current
    // as when a file is opened from there.
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"brx-planted";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring planted = folder + L"\\" + kCrashReporterLibrary;
    HANDLE file = ::CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    wchar_t previousFolder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previousFolder);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

    wchar_t program[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);

    AskedPaths().clear();
    LoadLibraryCall previous = SetLoadLibraryCall(&RecordLoad);
    {
        CTestableApp app;
        EXPECT_FALSE(app.InstallCrashReporter());
    }
    HMODULE theme = LoadSystemLibrary(L"UxTheme.dll");
    CRichEditBase richEdit;
    SetLoadLibraryCall(previous);
    ::SetCurrentDirectoryW(previousFolder);
    ::DeleteFileW(planted.c_str());
    ::RemoveDirectoryW(folder.c_str());

    EXPECT_EQ(theme, nullptr);
    ASSERT_EQ(AskedPaths().size(), 3u);
    EXPECT_EQ(AskedPaths()[0], FolderOf(program) + L"\\CrashRpt.dll");
    EXPECT_EQ(AskedPaths()[1], std::wstring(system) + L"\\UxTheme.dll");
    EXPECT_EQ(AskedPaths()[2], std::wstring(system) + L"\\RichEd20.dll");
    for (const std::wstring& path : AskedPaths()) EXPECT_NE(FolderOf(path), folder) << "never the current folder";
}

TEST(FirstInstance, TheMutexDecidesAndIsFreeAgainAfterTheFirstLetsItGo) {
    HANDLE first = nullptr, second = nullptr, third = nullptr, wow = nullptr;
    // Under WOW64 the mutex is never created.
    EXPECT_EQ(TakeFirstInstanceMutex(true, wow), 0);
    EXPECT_EQ(wow, nullptr);
    EXPECT_EQ(::OpenMutexA(SYNCHRONIZE, FALSE, kFirstInstanceMutexName), nullptr);

    EXPECT_EQ(TakeFirstInstanceMutex(false, first), 1);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(TakeFirstInstanceMutex(false, second), 0);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(TakeFirstInstanceMutex(true, wow), 0);
    ::CloseHandle(first);
    EXPECT_EQ(TakeFirstInstanceMutex(false, third), 1);
    ::CloseHandle(third);
}

TEST_F(AppTest, SecondInstanceIsAViewerAndTheNextAfterTheFirstExitsIsFirstAgain) {
    HANDLE other = nullptr;
    ASSERT_EQ(TakeFirstInstanceMutex(false, other), 1); // another process runs

    {
        CTestableApp second;
        ASSERT_TRUE(Start(second));
        EXPECT_EQ(second.IsFirstInstance(), 0);
        EXPECT_FALSE(GetCaptureDriver().IsOpen());
        CMainFrame* frame = second.MainFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_NE(frame->m_wndDeviceStack.GetStyle() & WS_DISABLED, 0u);
        Stop(second);
    }
    ::CloseHandle(other); // the first one exits

    CTestableApp third;
    ASSERT_TRUE(Start(third));
    EXPECT_EQ(third.IsFirstInstance(), 1);
    EXPECT_TRUE(GetCaptureDriver().IsOpen());
    EXPECT_EQ(third.MainFrame()->m_wndDeviceStack.GetStyle() & WS_DISABLED, 0u);
    HANDLE probe = nullptr;
    EXPECT_EQ(TakeFirstInstanceMutex(false, probe), 0); // held while it runs
    Stop(third);
    EXPECT_FALSE(GetCaptureDriver().IsOpen());
    EXPECT_EQ(TakeFirstInstanceMutex(false, probe), 1); // released at exit
    ::CloseHandle(probe);
}

TEST_F(AppTest, Wow64ProcessRunsAsViewer) {
    Wow64Query previous = SetWow64Query([] { return true; });
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    EXPECT_EQ(app.IsFirstInstance(), 0);
    EXPECT_FALSE(GetCaptureDriver().IsOpen());
    Stop(app);
    SetWow64Query(previous);
}

TEST_F(AppTest, StoredShowCommandOpensTheWindow) {
    struct Case {
        UINT stored;
        bool zoomed;
    };
    for (Case c : {Case{SW_SHOWMAXIMIZED, true}, Case{12, false}, Case{SW_SHOWNORMAL, false}}) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        placement.showCmd = c.stored;
        placement.rcNormalPosition = RECT{10, 10, 700, 500};
        GetPreferences().SetMainWindowPlacement(&placement);
        GetPreferences().Save();
        CTestableApp app;
        ASSERT_TRUE(Start(app));
        HWND main = AppMainWindow();
        ASSERT_EQ(main, app.MainFrame()->m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(main)) << c.stored;
        EXPECT_EQ(::IsZoomed(main) != FALSE, c.zoomed) << c.stored;
        EXPECT_FALSE(::IsIconic(main)) << c.stored;
        Stop(app);
    }
}

TEST_F(AppTest, StoredHiddenShowStateReadsAsMissing) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = RECT{10, 10, 700, 500};
    GetPreferences().SetMainWindowPlacement(&placement);
    // What another program (or a damaged profile) left in the registry.
    WINDOWPLACEMENT hidden = placement;
    hidden.showCmd = SW_HIDE;
    ASSERT_TRUE(registry.Put(L"General", L"MainWindowPlacement", REG_BINARY, &hidden, sizeof hidden));
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    EXPECT_TRUE(::IsWindowVisible(AppMainWindow())) << "a program without a window cannot be used";
    EXPECT_FALSE(::IsIconic(AppMainWindow()));
    Stop(app);
}

TEST_F(AppTest, MissingCommandLineFileGivesAnEmptyNewLog) {
    CTestableApp app;
    app.commandLine.m_nShellCommand = CCommandLineInfo::FileOpen;
    app.commandLine.m_strFileName = L"Z:\\no\\such\\folder\\capture.bdx";
    ASSERT_TRUE(Start(app));
    EXPECT_FALSE(prompts.boxes.empty()); // the log manager said why
    CCaptureLog* log = GetActiveLog();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(IsActiveLogLive());
    EXPECT_TRUE(IsActiveLogEmpty());
    EXPECT_TRUE(log->GetPathName().empty());
    EXPECT_TRUE(::IsWindowVisible(app.MainFrame()->m_hWnd));
    Stop(app);
}

TEST_F(AppTest, NoLogManagerIsFatal) {
    CTestableApp app;
    app.failLogManager = true;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, L"Fatal error: Failed to create log manager.\nThe application exits.");
    EXPECT_EQ(prompts.boxes[0].caption, L"");
    EXPECT_EQ(prompts.boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(prompts.boxes[0].owner, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    app.ExitInstance();
}

TEST_F(AppTest, DamagedScreenSetFallsBackAloneAndTheMostRecentSetOpens) {
    const std::vector<uint8_t> stored = StoredSet({PANE_DEVICE_TREE});
    PutScreenSet(0, stored);
    PutScreenSet(1, {6, 0, 1, 2, 3, 0, 9, 9, 9});
    PutScreenSet(2, stored);
    PutScreenSet(3, stored);
    SetScreenSetPreferences(1, 3, 1);

    CTestableApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    for (int i : {0, 2, 3}) EXPECT_TRUE(frame->ScreenSet(i)->IsPaneHidden(PANE_DEVICE_TREE)) << i;
    EXPECT_FALSE(frame->ScreenSet(1)->IsPaneHidden(PANE_DEVICE_TREE));
    CDPLayout fallback(nullptr, true);
    ASSERT_TRUE(fallback.Load(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, ScreenSetRulesForThisScreen()));
    std::vector<uint8_t> expected, got;
    ASSERT_TRUE(fallback.Save(expected));
    ASSERT_TRUE(frame->ScreenSet(1)->Save(got));
    EXPECT_EQ(got, expected);

    EXPECT_EQ(frame->CurrentScreenSet(), 2);
    EXPECT_TRUE(frame->DockManager().IsPaneHidden(PANE_DEVICE_TREE));
    // Every pane has its title in every set.
    for (int i = 0; i < kScreenSetCount; ++i) {
        for (const DP_INFO& info : frame->ScreenSet(i)->PaneInfos()) {
            const PaneDescription* pane = FindPaneDescription(info.pane->GetId());
            ASSERT_NE(pane, nullptr);
            EXPECT_EQ(std::u16string(info.pane->Title()), reinterpret_cast<const char16_t*>(pane->title));
        }
    }
    Stop(app);
}

HHOOK g_refuseHook = nullptr;
// Refuses the creation of main windows.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[64] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wp), name, 64);
        if (std::wstring(name) == kMainWindowClassName) return 1;
    }
    return ::CallNextHookEx(g_refuseHook, code, wp, lp);
}

TEST_F(AppTest, MainWindowThatCannotBeCreatedEndsStartUp) {
    // Without a window nothing would ever end the message loop.
    g_refuseHook = ::SetWindowsHookExW(WH_CBT, RefuseMainWindow, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(g_refuseHook, nullptr);
    CTestableApp app;
    EXPECT_FALSE(app.InitInstance());
    ::UnhookWindowsHookEx(g_refuseHook);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(prompts.boxes.empty());
    app.ExitInstance();
}

TEST_F(AppTest, MainWindowClassIsAWideOneAndCrashReportingIsOptional) {
    CTestableApp app;
    EXPECT_FALSE(app.InstallCrashReporter()); // no library beside the program
    ASSERT_TRUE(Start(app));
    WNDCLASSW wc{};
    ASSERT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), kMainWindowClassName, &wc));
    EXPECT_TRUE(::IsWindowUnicode(AppMainWindow()));
    EXPECT_EQ(GetAppMainWindow(), AppMainWindow()); // owns the program's message boxes
    wchar_t title[64] = {};
    ::GetWindowTextW(AppMainWindow(), title, 64);
    EXPECT_NE(std::wstring(title).find(L"Brindlex"), std::wstring::npos);
    Stop(app);
}

TEST_F(AppTest, StartupScreenSetWhenTheMostRecentIsNotUsed) {
    SetScreenSetPreferences(0, 3, 4);
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    EXPECT_EQ(app.MainFrame()->CurrentScreenSet(), 3);
    Stop(app);
}

TEST_F(AppTest, ScreenSetsAreSavedAtExitAndRestoredAtTheNextStart) {
    SetScreenSetPreferences(0, 1, 2);
    {
        CTestableApp app;
        ASSERT_TRUE(Start(app));
        ASSERT_EQ(app.MainFrame()->CurrentScreenSet(), 1);
        app.MainFrame()->DockManager().HidePane(PANE_RAW_DATA);
        Stop(app);
    }
    CTestableApp again;
    ASSERT_TRUE(Start(again));
    CMainFrame* frame = again.MainFrame();
    EXPECT_TRUE(frame->ScreenSet(1)->IsPaneHidden(PANE_RAW_DATA));
    EXPECT_FALSE(frame->ScreenSet(0)->IsPaneHidden(PANE_RAW_DATA));
    EXPECT_TRUE(frame->DockManager().IsPaneHidden(PANE_RAW_DATA));
    Stop(again);
}

TEST_F(AppTest, ForcedDataAnalysisPaneShowsInEverySetOnce) {
    PutScreenSet(0, StoredSet({PANE_DATA_ANALYSIS}));
    PutScreenSet(1, StoredSet({PANE_DATA_ANALYSIS}));
    PutScreenSet(2, StoredSet({PANE_DATA_ANALYSIS}, 1));
    PutScreenSet(3, StoredSet({PANE_DATA_ANALYSIS, PANE_RAW_DATA}));
    SetScreenSetPreferences(0, 1, 1);
    const DWORD one = 1;
    HKEY product = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, registry.KeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &product, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(product, kForceDataAnalysisValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    ::RegCloseKey(product);

    CTestableApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    for (int i = 0; i < kScreenSetCount; ++i) EXPECT_FALSE(frame->ScreenSet(i)->IsPaneHidden(PANE_DATA_ANALYSIS)) << i;
    EXPECT_TRUE(frame->ScreenSet(2)->IsLocked());
    EXPECT_TRUE(frame->ScreenSet(3)->IsPaneHidden(PANE_RAW_DATA));
    EXPECT_FALSE(ValueExists(registry.KeyPath().c_str(), kForceDataAnalysisValue));
    // The stored sets carry the pane too.
    for (int i = 0; i < kScreenSetCount; ++i) {
        RegKeyHolder key(OpenAppRegSection(kScreenSetsSection));
        wchar_t name[16];
        ScreenSetValueName(i, name);
        CDPLayout stored(nullptr, true);
        ASSERT_TRUE(LoadLayoutFromRegistry(stored, key.get(), name)) << i;
        EXPECT_FALSE(stored.IsPaneHidden(PANE_DATA_ANALYSIS)) << i;
    }
    Stop(app);
}

TEST_F(AppTest, OldToolBarStateOfExactly100BytesIsDeleted) {
    for (DWORD size : {100u, 99u, 101u}) {
        std::vector<uint8_t> bytes(size, 0x5A);
        ASSERT_TRUE(registry.Put(kReBarSection, L"E800", REG_BINARY, bytes.data(), size));
        CTestableApp app;
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(ValueExists(registry.SectionPath(kReBarSection).c_str(), L"E800"), size != 100) << size;
        Stop(app);
    }
}

TEST_F(AppTest, CancelAtTheSaveQuestionKeepsTheProgramRunningWithTheCaptureStopped) {
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    HWND main = app.MainFrame()->m_hWnd;
    CCaptureLog* log = GetActiveLog();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(GetCaptureDriver().StartCapture(log));
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    log->SetModifiedFlag(true);

    prompts.buttons.push_back(IDCANCEL);
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(L"Save changes to"), std::wstring::npos);
    EXPECT_TRUE(::IsWindow(main));
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning());
    EXPECT_EQ(GetActiveLog(), log);
    EXPECT_TRUE(log->IsModified());
    EXPECT_TRUE(GetCaptureDriver().IsOpen());

    Stop(app); // answers No this time
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(AppTest, EndOfSessionAsksForAnUnsavedCaptureAndWritesTheProgramsState) {
    SetScreenSetPreferences(0, 1, 1);
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    HWND main = frame->m_hWnd;
    CCaptureLog* log = GetActiveLog();
    ASSERT_NE(log, nullptr);
    log->SetModifiedFlag(true);

    // The user cancels the log-off at the question: the capture is kept.
    prompts.buttons.push_back(IDCANCEL);
    EXPECT_EQ(::SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(L"Save changes to"), std::wstring::npos);
    EXPECT_TRUE(log->IsModified());
    EXPECT_TRUE(::IsWindow(main));
    // An answer of No lets the session end.
    prompts.buttons.push_back(IDNO);
    EXPECT_EQ(::SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(prompts.boxes.size(), 2u);

    // Changes since start-up that only a close used to write.
    frame->DockManager().HidePane(PANE_RAW_DATA);
    ASSERT_TRUE(::SetWindowPos(main, nullptr, 31, 37, 640, 470, SWP_NOZORDER | SWP_NOACTIVATE));
    DWORD type = 0;
    std::string bytes;
    EXPECT_FALSE(registry.Get(kScreenSetsSection, L"ScreenSet1", type, bytes)) << "nothing written yet";
    EXPECT_FALSE(registry.Get(kReBarSection, L"State", type, bytes));

    // The session ends without a WM_CLOSE: everything is written now.
    ::SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(prompts.boxes.size(), 2u) << "nothing more is asked";
    {
        RegKeyHolder key(OpenAppRegSection(kScreenSetsSection));
        wchar_t name[16];
        ScreenSetValueName(0, name);
        CDPLayout stored(nullptr, true);
        ASSERT_TRUE(LoadLayoutFromRegistry(stored, key.get(), name));
        EXPECT_TRUE(stored.IsPaneHidden(PANE_RAW_DATA));
    }
    EXPECT_TRUE(registry.Get(kReBarSection, L"State", type, bytes)) << "the bars' state";
    ASSERT_TRUE(registry.Get(L"General", L"MainWindowPlacement", type, bytes));
    ASSERT_EQ(bytes.size(), sizeof(WINDOWPLACEMENT));
    WINDOWPLACEMENT stored{};
    std::memcpy(&stored, bytes.data(), sizeof stored);
    EXPECT_EQ(stored.rcNormalPosition.left, 31);
    EXPECT_EQ(stored.rcNormalPosition.top, 37);
    Stop(app);
}

TEST_F(AppTest, MainWindowWithTheDefaultScreenSet) {
    SetScreenSetPreferences(0, 1, 1);
    GetPreferences().SetSplashAtStartup(1);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWNORMAL;
    GetPreferences().SetMainWindowPlacement(&placement);
    GetPreferences().Save();
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    EXPECT_EQ(frame->m_pSplash, nullptr); // shown while the frame was built, gone now
    ::SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    app.PumpUntilIdle();
    DrainQuit();
    // Every pane of the default set that shows has its view; the three that
    // wait for their content have theirs too (shown empty).
    for (BYTE id : {PANE_DEVICE_TREE, PANE_REQUEST_SUMMARY}) {
        CDP* pane = frame->DockManager().FindPane(id);
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(CDPManager::HostWindow(pane), frame->PaneViewWindow(id)) << int(id);
    }
    EXPECT_TRUE(::IsWindowVisible(frame->GetCaptureList().m_hWnd));
    // The simulated machine's devices are in the tree.
    EXPECT_GT(TreeView_GetCount(frame->GetDeviceTree().m_hWnd), 5u);
    EXPECT_TRUE(test::SaveWindowBmp(frame->m_hWnd, std::string(BRX_TEST_OUTPUT_DIR) + "/main_window.bmp"));

    // A tab brought forward gets its view when it first shows: the data
    // analysis pane hosts the child its pane shows (the tree-list).
    for (BYTE id : {PANE_DATA_ANALYSIS, PANE_RAW_DATA, PANE_PNP_PROPERTIES}) {
        frame->DockManager().ShowPane(id);
        app.PumpUntilIdle();
        DrainQuit();
        CDP* pane = frame->DockManager().FindPane(id);
        ASSERT_NE(pane, nullptr);
        EXPECT_NE(frame->PaneViewWindow(id), nullptr) << int(id);
        EXPECT_EQ(CDPManager::HostWindow(pane), frame->PaneViewWindow(id)) << int(id);
    }
    EXPECT_EQ(frame->PaneViewWindow(PANE_DATA_ANALYSIS), frame->GetDataAnalysis().GetTreeList().m_hWnd);
    Stop(app);
}

TEST_F(AppTest, SelectingADeviceFillsThePropertyPanes) {
    SetScreenSetPreferences(0, 1, 1);
    GetPreferences().Save();
    CTestableApp app;
    ASSERT_TRUE(Start(app));
    CMainFrame* frame = app.MainFrame();
    ::SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    frame->DockManager().ShowPane(PANE_PNP_PROPERTIES);
    app.PumpUntilIdle();
    DrainQuit();
    CDeviceTree& tree = frame->GetDeviceTree();
    HTREEITEM stick = nullptr;
    for (HTREEITEM item = tree.GetRootItem(); item && !stick;) {
        if (tree.GetItemText(item).rfind(L"Port1: USB Mass Storage", 0) == 0) stick = item;
        HTREEITEM next = tree.GetChildItem(item);
        while (!next && item) {
            next = tree.GetNextSiblingItem(item);
            if (!next) item = tree.GetParentItem(item);
        }
        item = next;
    }
    ASSERT_NE(stick, nullptr);
    tree.SelectItem(stick);
    app.PumpUntilIdle();
    DrainQuit();
    HWND pnp = frame->PaneViewWindow(PANE_PNP_PROPERTIES);
    ASSERT_NE(pnp, nullptr);
    wchar_t text[4096] = {};
    ::GetWindowTextW(pnp, text, 4096);
    EXPECT_NE(std::wstring(text).find(L"Instance ID:\tUSB\\VID_1209&PID_B5D1"), std::wstring::npos) << text;
    // The browser pane took the report (Wine draws none of it).
    if (frame->GetUsbProp().m_hWnd) {
        EXPECT_TRUE(frame->GetUsbProp().HasReport());
    }
    EXPECT_TRUE(test::SaveWindowBmp(frame->m_hWnd, std::string(BRX_TEST_OUTPUT_DIR) + "/main_window_pnp.bmp"));
    Stop(app);
}

HWND g_helpCaller = nullptr;
std::vector<UINT> g_helpCommands;
std::wstring g_helpFile;
HWND RecordHelp(HWND caller, LPCWSTR file, UINT command, DWORD_PTR) {
    g_helpCaller = caller;
    g_helpCommands.push_back(command);
    g_helpFile = file ? file : L"";
    return nullptr;
}

TEST(Help, WinHelpCommandsBecomeTheHtmlHelpCommandsTheyMean) {
    struct Case {
        UINT winHelp;
        bool known;
        UINT htmlHelp;
    };
    const Case cases[] = {
        {HELP_CONTENTS, true, HH_DISPLAY_TOC},  {HELP_FINDER, true, HH_DISPLAY_TOC},
        {HELP_PARTIALKEY, true, HH_DISPLAY_INDEX}, {HELP_KEY, true, HH_DISPLAY_INDEX},
        {HELP_CONTEXT, true, HH_HELP_CONTEXT},  {HELP_QUIT, true, HH_CLOSE_ALL},
        {HELP_SETWINPOS, false, 0},             {HELP_COMMAND, false, 0},
    };
    for (const Case& c : cases) {
        UINT got = 0xFFFF;
        EXPECT_EQ(TranslateWinHelpCommand(c.winHelp, got), c.known) << c.winHelp;
        if (c.known) {
            EXPECT_EQ(got, c.htmlHelp) << c.winHelp;
        }
    }
}

TEST(Help, CommandsReachHtmlHelp) {
    HtmlHelpCall previous = SetHtmlHelpCall(RecordHelp);
    CApp app;
    g_helpCommands.clear();
    for (UINT id : {57670u, 57669u, 57666u, 57667u, 57671u, 57668u}) {
        CCommand cmd(id);
        EXPECT_TRUE(app.OnCommand(cmd)) << id;
    }
    EXPECT_EQ(g_helpCommands, (std::vector<UINT>{HH_DISPLAY_TOC, HH_DISPLAY_TOC, HH_DISPLAY_INDEX, HH_DISPLAY_SEARCH,
                                                 HH_DISPLAY_SEARCH}));
    EXPECT_EQ(g_helpCaller, nullptr);
    EXPECT_EQ(g_helpFile.substr(g_helpFile.size() - 4), L".chm");
    g_helpCommands.clear();
    app.WinHelp(7, HELP_CONTEXT);
    app.WinHelp(0, HELP_SETWINPOS);
    EXPECT_EQ(g_helpCommands, std::vector<UINT>{HH_HELP_CONTEXT});
    SetHtmlHelpCall(previous);
}

TEST(ImageLists, ThirtyTwoBitsBecome24BelowCommonControls6) {
    struct Case {
        int screen;
        DWORD version;
        int depth;
    };
    for (Case c : {Case{32, 0x00050050, 24}, Case{32, 0x00060000, 32}, Case{32, 0, 24}, Case{24, 0x00050050, 24},
                   Case{16, 0x00060000, 16}})
        EXPECT_EQ(ImageListDepthFor(c.screen, c.version), c.depth) << c.screen << " " << c.version;
}

} // namespace
} // namespace brx
