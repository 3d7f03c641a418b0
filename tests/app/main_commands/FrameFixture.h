// One main frame for the whole test program, built as start-up builds it:
// the simulated capture driver behind the driver seam, the log manager with
// the capture-file type and a new live log, scripted answers to every
// question, and settings of this process alone (a key of its own, empty at
// the start: the Wine prefix is shared with the other test programs of its
// slot, which store settings of their own). A top-level window takes Wine seconds to go, so the frame lives
// from the first test to the end of the program; each test starts with the
// capture stopped, a new empty log, no filter and no notice of an earlier
// log waiting.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main/win/App.h"
#include "app/main/win/MainFrame.h"
#include "app/res/resource.h"
#include "capture/win/AppMessageBox.h"
#include "capture/Filter.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/DriverDevice.h"
#include "framework/CmdTarget.h"
#include "app/devices/win/UsbHost.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"
#include "tests/capture/win/ScriptedPrompts.h"
#include "tests/capture/win/TestRegistry.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/html/FakeBrowser.h"
#include "toolkit/html/HtmlHost.h"

namespace brx::testing {

constexpr DWORD kWait = 20000;

struct FrameWorld {
    CSimulatedDriver sim;
    CSimulatedUsbHost host{sim.Topology()};
    ScriptedPrompts prompts;
    CMainFrame* frame = nullptr;
    // As start-up: OLE, the program's control sites; the data analysis page
    // hosts the stand-in browser (Wine has none).
    bool ole = AfxOleInit();
    test::CFakeBrowserRegistration browser;
    CCustomOccManager sites;

    FrameWorld() {
        AfxEnableControlContainer(&sites);
        CDataAnalysis::DefaultBrowserClass() = test::CLSID_FakeBrowser;
        SetDriverDevice(&sim);
        SetUsbHost(&host);
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kMainWindowClassName;
        ::RegisterClassW(&wc);
        auto* manager = new CLogManager();
        auto* logTemplate = new CLogTemplate();
        logTemplate->SetStrings(L"Brindlex Capture Files (*.bdx);*.bdx;All Files (*.*);*.*;", L"bdx",
                                L"Brindlex.Document", L"Brindlex Capture File");
        manager->SetTemplate(logTemplate);
        frame = new CMainFrame();
        // The browsers' context menus go to the frame, as start-up routes them.
        sites.SetContextMenuRouter([this](POINT pt, IUnknown* target, bool textSelected) {
            return frame->OnBrowserContextMenu(pt, target, textSelected);
        });
        test::App().m_pMainWnd = frame;
        SetAppMainWindow(frame->m_hWnd);
        ::ShowWindow(frame->m_hWnd, SW_SHOW);
        ::UpdateWindow(frame->m_hWnd);
        manager->NewLog();
        GetActiveLog()->SetWrapMode(0);
        test::Pump();
    }
};

// The one world of the program (never torn down: the process ends with it).
inline FrameWorld& World() {
    // Before the frame, which reads its settings as it is built; removed as
    // the program ends.
    static TestRegistry registry;
    static FrameWorld* world = new FrameWorld;
    return *world;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        FrameWorld& w = World();
        frame = w.frame;
        ASSERT_TRUE(frame && frame->m_hWnd);
        StartClean();
    }
    // The state every test starts from, whatever the test before it left.
    void StartClean() {
        GetCaptureDriver().StopCapture();
        // A paced capture posts four list notices per read and the list
        // handles them slower than they come: one that ran for seconds leaves
        // thousands waiting (tens of seconds of work under Wine). They speak of the
        // log that is replaced here, and the list is refreshed from the new
        // one below: they go unhandled.
        MSG stale;
        while (::PeekMessageW(&stale, nullptr, WM_LOGCHANGED, WM_LOGCHANGED, PM_REMOVE)) {
        }
        if (CCaptureLog* log = GetActiveLog()) log->SetModifiedFlag(false);
        GetRecordFilter().Apply(0);
        GetLogManager()->NewLog();
        GetActiveLog()->SetWrapMode(0);
        // The list does not follow new records on its own during these tests.
        frame->m_bAutoScroll = 0;
        frame->RefreshCaptureList();
        prompts().boxes.clear();
        prompts().buttons.clear();
        prompts().files.clear();
        SetKnobs(1, 0);
        DrainLogNotices();
    }
    void TearDown() override {
        GetCaptureDriver().StopCapture();
        frame->CloseModelessDialogs();
        Pump();
    }

    // The main loop's work for at most ms: messages until none is left, then
    // the idle pass, again while new messages arrive. (The framework's
    // PumpUntilIdle runs a hundred rounds while a capture keeps the list
    // busy, which takes minutes.)
    static void Pump(DWORD ms = 1500) {
        const DWORD end = ::GetTickCount() + ms;
        MSG msg;
        do {
            while (::GetTickCount() < end && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!test::App().PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            LONG count = 0;
            while (count < 8 && test::App().OnIdle(count)) ++count;
        } while (::GetTickCount() < end && ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }

    // Pumps until no notice of the log waits for the list any more (a fast
    // capture leaves thousands behind it; each sets the list's item count).
    static void DrainLogNotices() {
        const DWORD end = ::GetTickCount() + kWait;
        MSG msg;
        do {
            Pump(500);
        } while (::PeekMessageW(&msg, nullptr, WM_LOGCHANGED, WM_LOGCHANGED, PM_NOREMOVE) && ::GetTickCount() < end);
    }

    CSimulatedDriver& sim() { return World().sim; }
    ScriptedPrompts& prompts() { return World().prompts; }

    void SetKnobs(uint32_t rounds, uint32_t recordsPerSecond) {
        CSimulatedDriver::Knobs k = sim().GetKnobs();
        k.rounds = rounds;
        k.recordsPerSecond = recordsPerSecond;
        sim().SetKnobs(k);
    }
    void SelectAllDevices() {
        uint32_t list[8] = {7, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT,
                            SIM_COMPOSITE_OBJECT, SIM_DFU_OBJECT, SIM_PRINTER_OBJECT};
        ASSERT_TRUE(GetCaptureDriver().AddCaptureDevices(list));
    }
    // A command as a menu item or an accelerator gives it: refused when its
    // update rule disables it.
    void Command(UINT id) {
        frame->ExecuteCommand(id);
        Pump();
    }
    // The state the update rule gives a command in this frame.
    CTestCmdUI Update(UINT id) {
        CTestCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, true);
        return ui;
    }
    bool Enabled(UINT id) { return Update(id).m_bEnabled; }

    // Captures one round of the scenario of every device and stops.
    void CaptureOneRound() {
        SelectAllDevices();
        Command(ID_CAPTURE_START);
        ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
        ASSERT_TRUE(sim().WaitUntilDrained(kWait));
        Command(ID_CAPTURE_STOP);
        ASSERT_FALSE(GetCaptureDriver().IsCaptureRunning());
        // Every notice of the capture reaches the list before the test selects rows.
        DrainLogNotices();
        frame->RefreshCaptureList();
        ASSERT_GT(ListCount(), 10u);
    }

    // Save As through the menu command, the file dialog answered with a file
    // of this name in the temporary folder; the file's path.
    std::wstring SaveAsTemp(const wchar_t* name) {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        const std::wstring path = std::wstring(dir) + name;
        ::DeleteFileW(path.c_str());
        prompts().files.push_back(path);
        Command(ID_FILE_SAVE_LOG_AS);
        EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        return path;
    }

    HWND List() const { return frame->m_wndCaptureList.m_hWnd; }
    uint32_t ListCount() const { return static_cast<uint32_t>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
    uint32_t RecordCount() const { return GetActiveLog() ? GetActiveLog()->GetRecordCount() : 0; }
    uint32_t SequenceOfRow(uint32_t row) {
        uint8_t buffer[32];
        CRecordView view;
        view.Init(buffer, sizeof buffer);
        if (GetRecordFilter().ReadRecord(row, view) != 0 || view.copied < 8) return 0;
        return buffer[4] | buffer[5] << 8 | buffer[6] << 16 | static_cast<uint32_t>(buffer[7]) << 24;
    }
    std::wstring LastBox() const {
        return World().prompts.boxes.empty() ? L"" : World().prompts.boxes.back().text;
    }

    CMainFrame* frame = nullptr;
};

} // namespace brx::testing
