// The capture road in the window as a user takes it: check a device in the
// device tree, start capturing, watch records arrive and the fullness gauge
// move, stop, save the capture as a file and open that file in a second,
// viewer instance of the simulated-machine program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main/win/App.h"
#include "capture/MessageTarget.h"
#include "capture/Record.h"
#include "capture/RequestKind.h"
#include "capture/win/Preferences.h"
#include "tests/app/main_commands/FrameFixture.h"
#include "tests/app/road/win/RoadDriver.h"

namespace brx::testing {
namespace {

using CaptureRoad = FrameTest;

// Checks a tree item's box from the keyboard: the item selected, then Space.
// (Wine's tree reports no state-icon zone for a mouse hit here.)
void CheckWithSpace(HWND tree, HTREEITEM item) {
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ::SetFocus(tree);
    ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
    ::PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0390001);
    test::Pump();
}

int GaugePosition(CMainFrame* frame) {
    auto* gauge = frame->m_wndStatusBar.GetFullnessIndicator();
    return gauge && gauge->m_hWnd ? static_cast<int>(::SendMessageW(gauge->m_hWnd, PBM_GETPOS, 0, 0)) : -1;
}

// The toolbar of another process's frame: the child toolbar that carries
// the Start Capture button.
BOOL CALLBACK FindToolBar(HWND hwnd, LPARAM lp) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    if (std::wstring(name) == TOOLBARCLASSNAMEW && ::SendMessageW(hwnd, TB_COMMANDTOINDEX, ID_CAPTURE_START, 0) >= 0) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The messages of the log found waiting in the queue: the list's notices,
// the fullness and the capture's end.
struct QueuedLogMessages {
    uint32_t notices = 0, fullness = 0, ends = 0;
    uint32_t Total() const { return notices + fullness + ends; }
    void KeepMost(const QueuedLogMessages& q) {
        notices = std::max(notices, q.notices);
        fullness = std::max(fullness, q.fullness);
        ends = std::max(ends, q.ends);
    }
};

// Takes the messages of the log that wait in this thread's queue, in their
// order, counts them and dispatches them.
QueuedLogMessages DispatchQueuedLogMessages() {
    std::vector<MSG> queued;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_LOGPROGRESS, WM_LOGCHANGED, PM_REMOVE)) queued.push_back(msg);
    QueuedLogMessages count;
    for (const MSG& m : queued) {
        count.notices += m.message == WM_LOGCHANGED;
        count.fullness += m.message == WM_LOGFULLNESS;
        count.ends += m.message == WM_CAPTUREENDED;
        ::DispatchMessageW(&m);
    }
    return count;
}

// The simulated driver's flood for one test: endless rounds, at a rate (0:
// as fast as the reader reads).
class Flood {
public:
    Flood(CSimulatedDriver& sim, uint32_t recordsPerSecond) : sim_(sim), saved_(sim.GetKnobs()) {
        CSimulatedDriver::Knobs k = saved_;
        k.flood = true;
        k.recordsPerSecond = recordsPerSecond;
        sim_.SetKnobs(k);
    }
    ~Flood() {
        GetCaptureDriver().StopCapture();
        sim_.SetKnobs(saved_);
    }

private:
    CSimulatedDriver& sim_;
    CSimulatedDriver::Knobs saved_;
};

constexpr wchar_t kBufferFull[] = L"Capture buffer is full. Capturing stopped.";

TEST_F(CaptureRoad, AFloodFillsTheLogAndTheWindowKeepsUp) {
    GetPreferences().SetTempFileSize(MIN_TEMP_FILE_SIZE);
    GetLogManager()->NewLog();
    GetActiveLog()->SetWrapMode(0);
    SelectAllDevices();
    Pump(300);
    Flood flood(sim(), 0);
    frame->ExecuteCommand(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    // The window's loop, one message a turn, looking at its queue between
    // turns (a turn of many messages may, on a loaded machine, take longer
    // than the whole flood and see nothing queued).
    QueuedLogMessages most;
    uint32_t looks = 0;
    const DWORD until = ::GetTickCount() + kWait;
    while ((LastBox() != kBufferFull || GetCaptureDriver().IsCaptureRunning()) && ::GetTickCount() < until) {
        most.KeepMost(DispatchQueuedLogMessages());
        ++looks;
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!test::App().PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        } else {
            LONG count = 0;
            while (count < 8 && test::App().OnIdle(count)) ++count;
            ::Sleep(1);
        }
    }
    std::printf("flood into 8 MB: %u records; at most %u notices, %u fullness and %u ends queued (%u looks)\n",
                RecordCount(), most.notices, most.fullness, most.ends, looks);
    RecordProperty("most_queued_notices", static_cast<int>(most.notices));
    RecordProperty("most_queued_fullness", static_cast<int>(most.fullness));
    EXPECT_EQ(LastBox(), kBufferFull);
    EXPECT_EQ(prompts().boxes.size(), 1u) << "said once";
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning()) << "the capture stopped";
    EXPECT_EQ(GetCaptureDriver().GetCaptureEnd(), CaptureEnd::StoreFull);
    EXPECT_TRUE(IsActiveLogFull());
    EXPECT_GT(RecordCount(), 10000u);
    EXPECT_EQ(ListCount(), RecordCount()) << "the list shows every record without another turn of the loop";
    // One notice of each kind at most (3, 4 and 6 while capturing), and one
    // capture end.
    EXPECT_LE(most.notices, 3u);
    EXPECT_LE(most.ends, 1u);
    EXPECT_GT(looks, 1u);
    // Start is refused now; nothing waits in the queue.
    EXPECT_FALSE(Enabled(ID_CAPTURE_START));
    EXPECT_FALSE(Enabled(ID_CAPTURE_STOP));
    Pump(300);
    EXPECT_EQ(DispatchQueuedLogMessages().Total(), 0u);
    EXPECT_EQ(prompts().boxes.size(), 1u);
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::SaveScreenshot(frame->m_hWnd, "flood_full.bmp");
}

TEST_F(CaptureRoad, StopPostedAsAClickWorksWhileRecordsPourIn) {
    GetPreferences().SetTempFileSize(64u << 20);
    GetLogManager()->NewLog();
    GetActiveLog()->SetWrapMode(0);
    SelectAllDevices();
    Pump(300);
    Flood flood(sim(), 20000);   // 64 MB would last about 10 s
    frame->m_bAutoScroll = 1;
    frame->ExecuteCommand(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    QueuedLogMessages most;
    uint32_t shown = 0;
    DWORD until = ::GetTickCount() + kWait;
    // The list follows while records arrive.
    while ((RecordCount() < 5000 || ListCount() < 1000) && ::GetTickCount() < until) {
        most.KeepMost(DispatchQueuedLogMessages());
        Pump(10);
        EXPECT_GE(ListCount(), shown) << "the list only grows";
        shown = ListCount();
    }
    EXPECT_GE(ListCount(), 1000u);
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::SaveScreenshot(frame->m_hWnd, "flood_capturing.bmp");
    EXPECT_TRUE(Enabled(ID_CAPTURE_STOP));
    // Stop as the toolbar button sends it, through the queue.
    ::PostMessageW(frame->m_hWnd, WM_COMMAND, ID_CAPTURE_STOP, 0);
    until = ::GetTickCount() + kWait;
    while (GetCaptureDriver().IsCaptureRunning() && ::GetTickCount() < until) {
        most.KeepMost(DispatchQueuedLogMessages());
        Pump(10);
    }
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning());
    EXPECT_EQ(GetCaptureDriver().GetCaptureEnd(), CaptureEnd::Stopped);
    EXPECT_FALSE(IsActiveLogFull());
    EXPECT_EQ(ListCount(), RecordCount()) << "the list shows every record once stopped";
    EXPECT_LE(most.notices, 2u) << "one 3 and one 4 at most";
    EXPECT_EQ(most.ends, 0u) << "a stopped capture did not end by itself";
    EXPECT_TRUE(prompts().boxes.empty());
    frame->m_bAutoScroll = 0;
}

TEST_F(CaptureRoad, StatusBarFollowsFullnessAndProgress) {
    ::SendMessageW(frame->m_hWnd, WM_LOGFULLNESS, 42, 0);
    EXPECT_EQ(GaugePosition(frame), 42);
    ::SendMessageW(frame->m_hWnd, WM_LOGFULLNESS, 0, 0);
    EXPECT_EQ(GaugePosition(frame), 0);
    HWND progress = frame->m_wndStatusBar.GetProgressCtrl().m_hWnd;
    ::SendMessageW(frame->m_hWnd, WM_LOGPROGRESS, 1, 0);
    ::SendMessageW(frame->m_hWnd, WM_LOGPROGRESS, 37, 0);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(::IsWindowVisible(progress));
    EXPECT_EQ(::SendMessageW(progress, PBM_GETPOS, 0, 0), 37);
    ::SendMessageW(frame->m_hWnd, WM_LOGPROGRESS, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(progress));
}

TEST_F(CaptureRoad, CheckCaptureStopSaveAndViewInASecondInstance) {
    // A small scratch file, so that the gauge moves within a short capture.
    GetPreferences().SetTempFileSize(MIN_TEMP_FILE_SIZE);
    GetActiveLog()->SetModifiedFlag(false);
    GetLogManager()->NewLog();
    GetActiveLog()->SetWrapMode(0);
    uint32_t all[8] = {7, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT,
                       SIM_COMPOSITE_OBJECT, SIM_DFU_OBJECT, SIM_PRINTER_OBJECT};
    GetCaptureDriver().RemoveCaptureDevices(all);
    CDeviceTree& tree = frame->GetDeviceTree();
    tree.Refresh();
    Pump();

    // The stick's check box.
    HTREEITEM stick = tree.ItemOfDeviceObject(SIM_STICK_OBJECT);
    ASSERT_NE(stick, nullptr);
    ::SendMessageW(tree.m_hWnd, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(stick));
    CheckWithSpace(tree.m_hWnd, stick);
    ASSERT_EQ(sim().SelectedDevices().count(SIM_STICK_OBJECT), 1u) << "checking selected the stick for capture";
    EXPECT_EQ(::SendMessageW(tree.m_hWnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(stick), TVIS_STATEIMAGEMASK) >> 12,
              2) << "its box shows checked";
    EXPECT_EQ(sim().SelectedDevices().count(SIM_MOUSE_OBJECT), 0u);

    SetKnobs(1000, 2000);
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    const DWORD until = ::GetTickCount() + kWait;
    uint32_t seen = 0;
    while ((RecordCount() < 1500 || GaugePosition(frame) < 2) && ::GetTickCount() < until) {
        ::Sleep(20);
        Pump();
        EXPECT_GE(RecordCount(), seen) << "the log only grows";
        seen = RecordCount();
    }
    EXPECT_GE(RecordCount(), 1500u);
    EXPECT_GE(GaugePosition(frame), 2) << "the fullness gauge moved";
    frame->RefreshCaptureList();
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::SaveScreenshot(frame->m_hWnd, "capture_in_progress.bmp");
    Command(ID_CAPTURE_STOP);
    ASSERT_FALSE(GetCaptureDriver().IsCaptureRunning());
    const uint32_t records = RecordCount();
    Pump();
    EXPECT_EQ(ListCount(), records) << "the list shows every record";

    // A bulk transfer's completion that carries data, selected in the list:
    // the summary, the URB details and the raw data show it.
    uint32_t bulk = NO_INDEX;
    for (uint32_t row = 0; row < records && bulk == NO_INDEX; ++row) {
        RECORD_INDEX_ENTRY entry{};
        GetActiveLog()->GetIndexEntry(row, entry);
        if (GetEntryKind(entry) == KIND_URB_FIRST + 9 && IsEntryCompletion(entry) && GetEntryDataLength(entry) >= 64)
            bulk = row;
    }
    ASSERT_NE(bulk, NO_INDEX) << "the stick's reads are bulk transfers";
    frame->SelectRow(bulk);
    Pump();
    EXPECT_GT(::GetWindowTextLengthW(frame->m_wndRequestSummary.m_hWnd), 0) << "request summary";
    EXPECT_GT(::SendMessageW(frame->m_wndUrbDetails.GetTreeCtrl().m_hWnd, TVM_GETCOUNT, 0, 0), 0) << "URB details";
    EXPECT_GE(frame->m_wndRawData.GetData().size(), 64u) << "raw data";
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::SaveScreenshot(frame->m_hWnd, "bulk_transfer_selected.bmp");

    // Save As, then open the file in a viewer instance (not the first: the
    // first-instance mutex is held here, as a running analyzer holds it).
    const std::wstring path = SaveAsTemp(L"capture_road.bdx");
    EXPECT_FALSE(GetActiveLog()->IsModified());

    HANDLE firstInstance = ::CreateMutexA(nullptr, TRUE, kFirstInstanceMutexName);
    // The program makes this file once it has drawn its main window; this
    // frame keeps handling its messages meanwhile.
    const std::wstring drawn = path + L".drawn";
    road::Program viewer;
    road::ProgramGuard viewerGuard{viewer};
    ASSERT_TRUE(road::StartProgram(viewer, L"\"" + path + L"\"", drawn, [] { Pump(50); }))
        << "the viewer's main window";
    EXPECT_TRUE(::DeleteFileW(drawn.c_str())) << "the viewer drew its main window";
    Pump();
    test::SaveScreenshot(viewer.main, "viewer_instance.bmp");
    // Its toolbar tells what it holds: a file with records (the filter can be
    // applied), opened for viewing only (no capture, nothing to save).
    HWND toolbar = nullptr;
    ::EnumChildWindows(viewer.main, FindToolBar, reinterpret_cast<LPARAM>(&toolbar));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(::SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_FILTER_APPLY, 0));
    EXPECT_FALSE(::SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_CAPTURE_START, 0));
    EXPECT_FALSE(::SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_CAPTURE_CLEAR_LIST, 0));
    EXPECT_TRUE(::SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_FILE_OPEN_LOG, 0));
    // Its capture list holds the same number of records.
    HWND viewerList = ::GetDlgItem(viewer.main, AFX_IDW_PANE_FIRST);
    ASSERT_NE(viewerList, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(::SendMessageW(viewerList, LVM_GETITEMCOUNT, 0, 0)), records);
    ::PostMessageW(viewer.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(viewer.process.hProcess, kWait), WAIT_OBJECT_0);
    if (firstInstance) ::CloseHandle(firstInstance);

    // The file holds the captured records: opened again here, they are all there.
    GetLogManager()->NewLog();
    COPYDATASTRUCT cds{100, static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)),
                       const_cast<wchar_t*>(path.c_str())};
    EXPECT_EQ(::SendMessageW(frame->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), TRUE);
    // The frame opens it from its message loop, behind the notices the
    // capture left there.
    const DWORD opened = ::GetTickCount() + kWait;
    while (!frame->PendingOpen().empty() && ::GetTickCount() < opened) Pump(200);
    EXPECT_EQ(RecordCount(), records);
    ::DeleteFileW(path.c_str());
}

} // namespace
} // namespace brx::testing
