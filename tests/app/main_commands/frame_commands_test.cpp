// The main frame's commands in the real frame on the simulated machine:
// update rules as the menu shows them, capture and clear, find, go to, the
// corresponding request, and the messages of other instances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/commands/CommandIds.h"
#include "app/frame/win/RecentFilesMenu.h"
#include "app/res/devtree_ids.h"
#include "app/res/goto_ids.h"
#include "capture/MatchCriteria.h"
#include "capture/Record.h"
#include "tests/app/main_commands/FrameFixture.h"

#include <shellapi.h>

namespace brx::testing {
namespace {

std::vector<uint8_t> Criteria(bool issue, bool success, bool failure) {
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = issue;
    image[CRITERIA_SUCCESS] = success;
    image[CRITERIA_FAILURE] = failure;
    image[CRITERIA_INPUT] = 1;
    image[CRITERIA_OUTPUT] = 1;
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i) image[CRITERIA_KINDS + i] = 1;
    return image;
}

// The menu item's state after the menu opened (WM_INITMENUPOPUP ran the rules).
UINT MenuItemState(HMENU bar, int popup, UINT id, HWND frame) {
    HMENU sub = ::GetSubMenu(bar, popup);
    ::SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), popup);
    return ::GetMenuState(sub, id, MF_BYCOMMAND);
}

using FrameCommands = FrameTest;

TEST_F(FrameCommands, UpdateRulesFollowTheLogAndTheCapture) {
    // A new live log without records, the driver open.
    EXPECT_TRUE(Enabled(ID_CAPTURE_START));
    EXPECT_TRUE(Enabled(ID_CAPTURE_STOP));
    EXPECT_EQ(Update(ID_CAPTURE_STOP).m_nCheck, 1) << "radio mark while not capturing";
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_LOG));
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_LOG_AS));
    EXPECT_FALSE(Enabled(ID_CAPTURE_CLEAR_LIST));
    EXPECT_FALSE(Enabled(ID_SEARCH_GO_TO_RECORD));
    EXPECT_FALSE(Enabled(ID_FILE_CLOSE_LOG));
    EXPECT_TRUE(Enabled(ID_FILE_NEW_LOG));
    // Windows this program does not have: no handler, disabled.
    // Export, the filter and the find settings need records.
    for (UINT id : {ID_FILE_EXPORT_LIST, ID_FILTER_SETTINGS, ID_SEARCH_FIND}) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(ID_TOOLS_PREFERENCES));
    EXPECT_TRUE(Enabled(ID_CAPTURE_SETTINGS)) << "the capture settings dialog exists";

    SelectAllDevices();
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    EXPECT_EQ(Update(ID_CAPTURE_START).m_nCheck, 1);
    EXPECT_EQ(Update(ID_CAPTURE_STOP).m_nCheck, 0);
    EXPECT_FALSE(Enabled(ID_FILE_OPEN_LOG));
    EXPECT_FALSE(Enabled(ID_FILE_NEW_LOG));
    EXPECT_FALSE(Enabled(ID_FILTER_APPLY));
    ASSERT_TRUE(sim().WaitUntilDrained(kWait));
    EXPECT_TRUE(Enabled(ID_CAPTURE_CLEAR_LIST)) << "clearing is allowed while capturing";
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_LOG)) << "not while capturing";
    // What the menu shows agrees.
    EXPECT_TRUE(MenuItemState(frame->m_menu, 0, ID_FILE_OPEN_LOG, frame->m_hWnd) & MF_GRAYED);
    EXPECT_FALSE(MenuItemState(frame->m_menu, 1, ID_CAPTURE_STOP, frame->m_hWnd) & MF_GRAYED);
    EXPECT_TRUE(MenuItemState(frame->m_menu, 1, ID_CAPTURE_START, frame->m_hWnd) & MF_CHECKED);

    Command(ID_CAPTURE_STOP);
    frame->RefreshCaptureList();
    EXPECT_TRUE(Enabled(ID_FILE_SAVE_LOG)) << "records, live, modified";
    EXPECT_TRUE(Enabled(ID_FILE_SAVE_LOG_AS));
    EXPECT_TRUE(Enabled(ID_SEARCH_GO_TO_RECORD));
    EXPECT_TRUE(Enabled(ID_FILTER_APPLY));
    EXPECT_EQ(Update(ID_FILTER_APPLY).m_nCheck, 0);
    EXPECT_FALSE(MenuItemState(frame->m_menu, 0, ID_FILE_OPEN_LOG, frame->m_hWnd) & MF_GRAYED);
    EXPECT_FALSE(MenuItemState(frame->m_menu, 1, ID_FILTER_SETTINGS, frame->m_hWnd) & MF_GRAYED);
    EXPECT_TRUE(Enabled(ID_SEARCH_FIND));

    GetActiveLog()->SetModifiedFlag(false);
    EXPECT_FALSE(Enabled(ID_FILE_SAVE_LOG)) << "saved: nothing to save";
    EXPECT_TRUE(Enabled(ID_FILE_SAVE_LOG_AS));
}

TEST_F(FrameCommands, ClearWhileCapturingRestartsTheCapture) {
    SetKnobs(1000, 400);
    SelectAllDevices();
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    const DWORD until = ::GetTickCount() + kWait;
    while (RecordCount() < 20 && ::GetTickCount() < until) {
        ::Sleep(20);
        Pump();
    }
    ASSERT_GE(RecordCount(), 20u);
    const uint32_t starts = sim().StartCount(), stops = sim().StopCount(), resets = sim().ResetCount();

    Command(ID_CAPTURE_CLEAR_LIST);
    EXPECT_TRUE(GetCaptureDriver().IsCaptureRunning()) << "running again after clearing";
    EXPECT_EQ(sim().StopCount(), stops + 1);
    EXPECT_EQ(sim().ResetCount(), resets + 1);
    EXPECT_EQ(sim().StartCount(), starts + 1);
    EXPECT_TRUE(GetActiveLog()->IsModified());

    // Records arrive again into the cleared log.
    const DWORD again = ::GetTickCount() + kWait;
    while (RecordCount() < 5 && ::GetTickCount() < again) {
        ::Sleep(20);
        Pump();
    }
    EXPECT_GE(RecordCount(), 5u);
    Command(ID_CAPTURE_STOP);
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning());
    // The log holds exactly what the driver delivered since the reset: the
    // records from before the clearing are gone.
    EXPECT_EQ(RecordCount(), sim().DeliveredRecords());
}

TEST_F(FrameCommands, ClearWithoutCaptureLeavesItStopped) {
    CaptureOneRound();
    const uint32_t starts = sim().StartCount();
    Command(ID_CAPTURE_CLEAR_LIST);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning());
    EXPECT_EQ(sim().StartCount(), starts);
}

TEST_F(FrameCommands, FindPrevWithoutAnEarlierMatchKeepsTheSelection) {
    CaptureOneRound();
    // Find completions (successful or not) of every kind.
    const auto image = Criteria(false, true, true);
    ASSERT_EQ(GetFindSettings().SetImage(image.data(), image.size()), 1);
    // The first completion's row.
    uint32_t first = 0;
    RECORD_INDEX_ENTRY entry{};
    while (GetRecordFilter().GetIndexEntry(first, entry) == 0 && !IsEntryCompletion(entry)) ++first;
    ASSERT_LT(first, ListCount());

    frame->SelectRow(first);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(first));
    EXPECT_TRUE(Enabled(ID_SEARCH_FIND_PREV));
    Command(ID_SEARCH_FIND_PREV);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(first)) << "no earlier completion: the selection stays";

    Command(ID_SEARCH_FIND_NEXT);
    const int next = frame->GetSelectedRow();
    ASSERT_GT(next, static_cast<int>(first));
    ASSERT_EQ(GetRecordFilter().GetIndexEntry(static_cast<uint32_t>(next), entry), 0);
    EXPECT_TRUE(IsEntryCompletion(entry));
    Command(ID_SEARCH_FIND_PREV);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(first));

    // Find Prev on row 0 and Find Next on the last row are disabled.
    frame->SelectRow(0);
    EXPECT_FALSE(Enabled(ID_SEARCH_FIND_PREV));
    frame->SelectRow(ListCount() - 1);
    EXPECT_FALSE(Enabled(ID_SEARCH_FIND_NEXT));
    GetFindSettings().Reset();
    EXPECT_FALSE(Enabled(ID_SEARCH_FIND_NEXT)) << "no criteria";
}

TEST_F(FrameCommands, GoToThroughTheDialogSelectsOrExplains) {
    CaptureOneRound();
    uint32_t first = 0, last = 0;
    ASSERT_TRUE(GetActiveLog()->GetSequenceRange(first, last));

    // The command opens the dialog; a second one brings the same one forward.
    ASSERT_TRUE(Enabled(ID_SEARCH_GO_TO_RECORD));
    Command(ID_SEARCH_GO_TO_RECORD);
    ASSERT_NE(frame->m_pGoToDlg, nullptr);
    HWND dialog = frame->m_pGoToDlg->m_hWnd;
    ASSERT_TRUE(::IsWindowVisible(dialog));
    EXPECT_FALSE(Enabled(ID_SEARCH_GO_TO_RECORD)) << "open already";
    CDialog* opened = frame->m_pGoToDlg;
    ::SendMessageW(frame->m_hWnd, WM_COMMAND, ID_SEARCH_GO_TO_RECORD, 0);
    EXPECT_EQ(frame->m_pGoToDlg, opened);

    auto go = [&](const std::wstring& text) {
        HWND edit = ::GetDlgItem(dialog, IDC_GOTO_SEQUENCE);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SendMessageW(edit, WM_CHAR, '\b', 1);
        for (wchar_t ch : text) ::SendMessageW(edit, WM_CHAR, ch, 1);
        ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        Pump();
    };
    const uint32_t target = first + 7;
    go(std::to_wstring(target));
    EXPECT_EQ(SequenceOfRow(static_cast<uint32_t>(frame->GetSelectedRow())), target);
    EXPECT_TRUE(prompts().boxes.empty());
    go(std::to_wstring(first + 2));
    EXPECT_EQ(SequenceOfRow(static_cast<uint32_t>(frame->GetSelectedRow())), first + 2) << "a second number";

    const int selected = frame->GetSelectedRow();
    go(L"0");
    ASSERT_EQ(prompts().boxes.size(), 1u);
    EXPECT_EQ(LastBox(), L"The record with sequence number 0 is out of range (" + std::to_wstring(first) + L"-" +
                             std::to_wstring(last) + L").");
    EXPECT_EQ(prompts().boxes.back().caption, L"Brindlex");
    EXPECT_EQ(prompts().boxes.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(frame->GetSelectedRow(), selected) << "the selection stays";
    go(L"4294967295");
    EXPECT_EQ(LastBox(), L"The record with sequence number 4294967295 is out of range (" + std::to_wstring(first) +
                             L"-" + std::to_wstring(last) + L").");
    const size_t boxes = prompts().boxes.size();
    go(L"4294967296");
    EXPECT_EQ(prompts().boxes.size(), boxes) << "not a number: nothing happens";

    // With the filter showing issues only, completions are filtered out.
    const auto issues = Criteria(true, false, false);
    ASSERT_EQ(GetRecordFilter().SetCriteria(issues.data(), issues.size()), 1);
    Command(ID_FILTER_APPLY);
    ASSERT_TRUE(GetRecordFilter().IsApplied());
    ASSERT_EQ(ListCount(), GetRecordFilter().GetRowCount());
    uint32_t visibleFirst = 0, visibleLast = 0;
    ASSERT_TRUE(GetRecordFilter().GetSequenceRange(visibleFirst, visibleLast));
    ASSERT_TRUE(visibleFirst > first || visibleLast < last) << "the last record is a completion";
    const uint32_t outside = visibleLast < last ? last : first;
    go(std::to_wstring(outside));
    EXPECT_EQ(LastBox(), L"The record with sequence number " + std::to_wstring(outside) +
                             L" is out of visible range (" + std::to_wstring(visibleFirst) + L"-" +
                             std::to_wstring(visibleLast) + L").");
    // A completion inside the visible range.
    uint32_t hidden = 0;
    for (uint32_t row = 0; row < RecordCount() && !hidden; ++row) {
        RECORD_INDEX_ENTRY entry{};
        GetActiveLog()->GetIndexEntry(row, entry);
        uint8_t buffer[16];
        CRecordView view;
        view.Init(buffer, sizeof buffer);
        GetActiveLog()->ReadRecord(row, view);
        const uint32_t seq = buffer[4] | buffer[5] << 8 | buffer[6] << 16 | static_cast<uint32_t>(buffer[7]) << 24;
        if (IsEntryCompletion(entry) && seq > visibleFirst && seq < visibleLast) hidden = seq;
    }
    ASSERT_NE(hidden, 0u);
    go(std::to_wstring(hidden));
    EXPECT_EQ(LastBox(), L"The record with sequence number " + std::to_wstring(hidden) + L" is filtered out.");
    test::SaveScreenshot(dialog, "frame_go_to_dialog.bmp");

    // "Close" closes the dialog; the frame forgets it and the command is offered again.
    ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_EQ(frame->m_pGoToDlg, nullptr);
    EXPECT_TRUE(Enabled(ID_SEARCH_GO_TO_RECORD));
}

// Export List: the save dialog titled "Export As", the rows written into a
// file that replaces the old one; a folder that does not exist leaves
// nothing behind and says why.
TEST_F(FrameCommands, ExportListWritesEveryRowOrExplains) {
    CaptureOneRound();
    ASSERT_TRUE(Enabled(ID_FILE_EXPORT_LIST));
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"brx_export_list.html";
    {
        HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        ::WriteFile(f, "old", 3, &n, nullptr);
        ::CloseHandle(f);
    }
    prompts().files.push_back(path);
    const size_t dialogs = prompts().fileDialogs.size();
    const size_t boxes = prompts().boxes.size();
    Command(ID_FILE_EXPORT_LIST);
    ASSERT_EQ(prompts().fileDialogs.size(), dialogs + 1);
    EXPECT_FALSE(prompts().fileDialogs.back().open);
    EXPECT_EQ(prompts().boxes.size(), boxes);
    std::string page;
    {
        HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        char buffer[65536];
        DWORD n = 0;
        while (::ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n) page.append(buffer, n);
        ::CloseHandle(f);
    }
    size_t rows = 0;
    for (size_t at = 0; (at = page.find("<tr><td>", at)) != std::string::npos; ++at) ++rows;
    EXPECT_EQ(rows, ListCount());
    EXPECT_EQ(page.substr(0, 9), "<!DOCTYPE");
    EXPECT_NE(page.find("</html>"), std::string::npos);
    ::DeleteFileW(path.c_str());

    const std::wstring nowhere = std::wstring(dir) + L"brx no such folder\\list.html";
    prompts().files.push_back(nowhere);
    Command(ID_FILE_EXPORT_LIST);
    ASSERT_EQ(prompts().boxes.size(), boxes + 1);
    EXPECT_EQ(prompts().boxes.back().text.find(L"The export file "), 0u);
    EXPECT_NE(prompts().boxes.back().text.find(L" could not be created.\n\n"), std::wstring::npos);
    EXPECT_EQ(::GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

// What the frame's status bar showed after each progress message it handled.
struct ProgressSeen {
    WPARAM value;
    bool shown;     // the progress control visible
    int position;
};
std::vector<ProgressSeen> g_progressSeen;
HWND g_progressFrame = nullptr;
HWND g_progressControl = nullptr;
const char* g_progressShot = nullptr;   // saved once at 100

LRESULT CALLBACK AfterFrameMessage(int code, WPARAM wp, LPARAM lp) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && call->hwnd == g_progressFrame && call->message == WM_LOGPROGRESS) {
        g_progressSeen.push_back({call->wParam, (::GetWindowLongW(g_progressControl, GWL_STYLE) & WS_VISIBLE) != 0,
                                  static_cast<int>(::SendMessageW(g_progressControl, PBM_GETPOS, 0, 0))});
        if (call->wParam == 100 && g_progressShot) {
            HWND bar = ::GetParent(g_progressControl);
            ::UpdateWindow(bar);
            test::FlushToScreen();
            test::SaveScreenshot(bar, g_progressShot);
            g_progressShot = nullptr;
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// The device tree's Export...: its save dialog belongs to the main window,
// and the frame's status bar shows the export's progress over the message
// pane (1, 100) and hides it at the end (0), whether the tree is docked in
// the frame or floats in a window of its own.
TEST_F(FrameCommands, UsbReportExportShowsItsProgressInTheStatusBar) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"brx_usb_report.html";
    CDeviceTree& tree = frame->GetDeviceTree();
    CDPManager& dock = frame->DockManager();
    g_progressFrame = frame->m_hWnd;
    g_progressControl = frame->m_wndStatusBar.GetProgressCtrl().m_hWnd;
    g_progressShot = "frame_usb_report_progress.bmp";
    ASSERT_NE(g_progressControl, nullptr);
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AfterFrameMessage, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const bool floating : {false, true}) {
        SCOPED_TRACE(floating ? "floating" : "docked");
        if (floating) {
            dock.ToggleDocking(dock.FindPane(PANE_DEVICE_TREE));
            Pump(300);
        }
        ASSERT_EQ(::GetAncestor(tree.m_hWnd, GA_ROOT) != frame->m_hWnd, floating);
        tree.SelectItem(tree.GetRootItem());
        ::DeleteFileW(path.c_str());
        prompts().files.push_back(path);
        g_progressSeen.clear();
        ::SendMessageW(tree.m_hWnd, WM_COMMAND, ID_USB_PROPERTIES_EXPORT, 0);
        ASSERT_FALSE(prompts().fileDialogs.empty());
        EXPECT_EQ(prompts().fileDialogs.back().owner, frame->m_hWnd);
        EXPECT_TRUE(prompts().boxes.empty());
        EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_EQ(g_progressSeen.size(), 3u);
        EXPECT_EQ(g_progressSeen[0].value, 1u);
        EXPECT_TRUE(g_progressSeen[0].shown);
        EXPECT_EQ(g_progressSeen[0].position, 1);
        EXPECT_EQ(g_progressSeen[1].value, 100u);
        EXPECT_TRUE(g_progressSeen[1].shown);
        EXPECT_EQ(g_progressSeen[1].position, 100);
        EXPECT_EQ(g_progressSeen[2].value, 0u);
        EXPECT_FALSE(g_progressSeen[2].shown);
        if (floating) {
            dock.ToggleDocking(dock.FindPane(PANE_DEVICE_TREE));
            Pump(300);
            EXPECT_EQ(::GetAncestor(tree.m_hWnd, GA_ROOT), frame->m_hWnd) << "docked again";
        }
    }
    ::UnhookWindowsHookEx(hook);
    ::DeleteFileW(path.c_str());
}

TEST_F(FrameCommands, CorrespondingRequestJumpsBetweenIssueAndCompletion) {
    CaptureOneRound();
    // The first issue whose completion is larger than it.
    uint32_t issue = NO_INDEX, completion = NO_INDEX;
    for (uint32_t row = 0; row < RecordCount() && issue == NO_INDEX; ++row) {
        RECORD_INDEX_ENTRY entry{}, other{};
        GetActiveLog()->GetIndexEntry(row, entry);
        if (GetEntryRecordType(entry) != RECORD_TYPE_REQUEST || IsEntryCompletion(entry) ||
            GetEntryCompanion(entry) == NO_INDEX)
            continue;
        GetActiveLog()->GetIndexEntry(GetEntryCompanion(entry), other);
        if (GetEntryRecordSize(other) > GetEntryRecordSize(entry) + 64) {
            issue = row;
            completion = GetEntryCompanion(entry);
        }
    }
    ASSERT_NE(issue, NO_INDEX) << "the scenario has transfers whose completions carry data";
    frame->SelectRow(issue);
    Command(ID_LIST_GO_TO_CORRESPONDING);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(completion));
    Command(ID_LIST_GO_TO_CORRESPONDING);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(issue));
    EXPECT_TRUE(prompts().boxes.empty());
}

TEST_F(FrameCommands, CopyDataOpensAPathFromAnotherInstance) {
    CaptureOneRound();
    const uint32_t records = RecordCount();
    const std::wstring path = SaveAsTemp(L"frame_copydata.bdx");
    Command(ID_FILE_NEW_LOG);
    ASSERT_EQ(RecordCount(), 0u);

    auto send = [&](ULONG_PTR id, const void* data, DWORD size) {
        COPYDATASTRUCT cds{id, size, const_cast<void*>(data)};
        return ::SendMessageW(frame->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    };
    const DWORD size = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(send(99, path.c_str(), size), FALSE) << "another identifier: the default handling";
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(send(100, path.c_str(), size - 1), FALSE) << "odd size";
    EXPECT_EQ(send(100, path.c_str(), size - 2), FALSE) << "no NUL inside";
    EXPECT_EQ(send(100, nullptr, size), FALSE) << "no data";
    EXPECT_EQ(::SendMessageW(frame->m_hWnd, WM_COPYDATA, 0, 0), FALSE) << "no structure";
    EXPECT_EQ(RecordCount(), 0u);

    // During a capture nothing is opened.
    SelectAllDevices();
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    EXPECT_EQ(send(100, path.c_str(), size), FALSE);
    EXPECT_TRUE(GetActiveLog()->IsLive());
    Command(ID_CAPTURE_STOP);
    GetActiveLog()->SetModifiedFlag(false);

    // The sender has its answer at once; the file opens from the message loop.
    EXPECT_EQ(send(100, path.c_str(), size), TRUE);
    EXPECT_EQ(frame->PendingOpen(), path);
    Pump();
    EXPECT_TRUE(frame->PendingOpen().empty());
    ASSERT_NE(GetActiveLog(), nullptr);
    EXPECT_FALSE(GetActiveLog()->IsLive());
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);
    EXPECT_EQ(RecordCount(), records);

    // A file that is not there, or a folder: FALSE at once, nothing asked.
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    const std::wstring missing = folder + L"\\no_such_capture.bdx";
    const size_t boxes = prompts().boxes.size();
    EXPECT_EQ(send(100, missing.c_str(), static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t))), FALSE);
    EXPECT_EQ(send(100, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))), FALSE);
    Pump();
    EXPECT_EQ(prompts().boxes.size(), boxes);
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);
    ::DeleteFileW(path.c_str());
}

TEST_F(FrameCommands, ScreenSetsPanesAndAlwaysOnTop) {
    const int before = frame->CurrentScreenSet();
    const int other = (before + 1) % kScreenSetCount;
    Command(ID_SCREEN_SET_1 + other);
    EXPECT_EQ(frame->CurrentScreenSet(), other);
    EXPECT_EQ(Update(ID_SCREEN_SET_1 + other).m_nCheck, 1);
    EXPECT_EQ(Update(ID_SCREEN_SET_1 + before).m_nCheck, 0);

    // Locking stores the set; a locked set is not reset, and its menu text carries the mark.
    Command(ID_SCREEN_SET_LOCK);
    ASSERT_TRUE(frame->ScreenSet(other)->IsLocked());
    EXPECT_EQ(Update(ID_SCREEN_SET_LOCK).m_nCheck, 1);
    EXPECT_FALSE(Enabled(ID_SCREEN_SET_RESET));
    HMENU view = ::GetSubMenu(frame->m_menu, 3);
    HMENU sets = nullptr;
    for (int i = 0; i < ::GetMenuItemCount(view); ++i)
        if (HMENU sub = ::GetSubMenu(view, i); sub && ::GetMenuItemID(sub, 0) == ID_SCREEN_SET_1) sets = sub;
    ASSERT_NE(sets, nullptr);
    ::SendMessageW(frame->m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sets), 0);
    wchar_t text[64] = {};
    ::GetMenuStringW(sets, ID_SCREEN_SET_1 + other, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(text[3], L'#');
    Command(ID_SCREEN_SET_LOCK);
    EXPECT_FALSE(frame->ScreenSet(other)->IsLocked());
    ::SendMessageW(frame->m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sets), 0);
    ::GetMenuStringW(sets, ID_SCREEN_SET_1 + other, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(text[3], L' ');

    // A pane toggles between shown and hidden, and its item is checked while shown.
    const bool hidden = frame->DockManager().IsPaneHidden(PANE_RAW_DATA);
    Command(ID_PANE_RAW_DATA);
    EXPECT_EQ(frame->DockManager().IsPaneHidden(PANE_RAW_DATA) != FALSE, !hidden);
    EXPECT_EQ(Update(ID_PANE_RAW_DATA).m_nCheck, hidden ? 1 : 0);
    Command(ID_PANE_RAW_DATA);
    EXPECT_EQ(frame->DockManager().IsPaneHidden(PANE_RAW_DATA) != FALSE, hidden);

    // Wine (without a window manager) gives the topmost style only when some
    // topmost window exists already: a small one is shown first.
    HWND above = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"above", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                   nullptr, nullptr, nullptr);
    Command(ID_VIEW_ALWAYS_ON_TOP);
    EXPECT_EQ(frame->m_bAlwaysOnTop, 1);
    EXPECT_TRUE(::GetWindowLongW(frame->m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Update(ID_VIEW_ALWAYS_ON_TOP).m_nCheck, 1);
    Command(ID_VIEW_ALWAYS_ON_TOP);
    EXPECT_FALSE(::GetWindowLongW(frame->m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ::DestroyWindow(above);
    Command(ID_SCREEN_SET_1 + before);
}

TEST_F(FrameCommands, ARecentFileLeavesTheListOnlyWhenItCannotBeOpened) {
    CRecentFilesMenu* recent = GetRecentFiles();
    ASSERT_NE(recent, nullptr);
    recent->Clear();
    CaptureOneRound();
    const std::wstring path = SaveAsTemp(L"frame_recent.bdx");
    ASSERT_EQ(recent->GetEntry(0), path) << "a saved file joins the list";

    // A new capture with changes; opening the recent file asks to save them.
    Command(ID_FILE_NEW_LOG);
    CaptureOneRound();
    ASSERT_TRUE(GetActiveLog()->IsModified());
    prompts().buttons.push_back(IDCANCEL);
    Command(ID_FILE_RECENT_FIRST);
    ASSERT_FALSE(prompts().boxes.empty());
    EXPECT_EQ(prompts().boxes.back().text.rfind(L"Save changes to ", 0), 0u);
    EXPECT_TRUE(GetActiveLog()->IsLive()) << "the capture stays";
    EXPECT_EQ(recent->GetEntry(0), path) << "Cancel keeps a good file in the list";

    // Not saving the capture opens the file.
    prompts().buttons.push_back(IDNO);
    Command(ID_FILE_RECENT_FIRST);
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);
    EXPECT_EQ(recent->GetEntry(0), path);

    // A file that is gone leaves the list.
    Command(ID_FILE_NEW_LOG);
    ASSERT_TRUE(::DeleteFileW(path.c_str()));
    Command(ID_FILE_RECENT_FIRST);
    EXPECT_TRUE(recent->GetEntry(0).empty()) << "a missing file is forgotten";
}

TEST_F(FrameCommands, RecentFileItemsTellTheStatusLine) {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, ID_FILE_RECENT_FIRST, L"&1 C:\\caps\\mouse.bdx");
    ::SendMessageW(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(ID_FILE_RECENT_FIRST, MF_STRING),
                   reinterpret_cast<LPARAM>(menu));
    Pump();
    wchar_t status[260] = {};
    ::SendMessageW(frame->m_wndStatusBar.m_hWnd, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_STREQ(status, L"Open the capture file C:\\caps\\mouse.bdx");
    ::DestroyMenu(menu);
}

} // namespace
} // namespace brx::testing

namespace brx::testing {
namespace {

// A drop of files as the shell hands it to the window (DROPFILES in global memory).
HDROP MakeDrop(const std::wstring& path) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<uint8_t*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

using FrameMessages = FrameTest;

TEST_F(FrameMessages, DroppedFilesOpenUnlessCapturing) {
    CaptureOneRound();
    const uint32_t records = RecordCount();
    const std::wstring path = SaveAsTemp(L"frame_drop.bdx");
    Command(ID_FILE_NEW_LOG);

    SelectAllDevices();
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
    EXPECT_TRUE(GetActiveLog()->IsLive()) << "ignored while capturing";
    Command(ID_CAPTURE_STOP);
    GetActiveLog()->SetModifiedFlag(false);

    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
    EXPECT_FALSE(GetActiveLog()->IsLive());
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);
    EXPECT_EQ(RecordCount(), records);
    EXPECT_TRUE(Enabled(ID_FILE_CLOSE_LOG)) << "an opened file can be closed";
    Command(ID_FILE_CLOSE_LOG);
    EXPECT_TRUE(GetActiveLog()->IsLive()) << "a new empty log replaced the file";
    ::DeleteFileW(path.c_str());
}

TEST_F(FrameMessages, CopyDataNeverOpensInsideAnotherOpenOrQuestion) {
    CaptureOneRound();
    const uint32_t records = RecordCount();
    const std::wstring path = SaveAsTemp(L"frame_copydata_wait.bdx");
    Command(ID_FILE_NEW_LOG);
    auto send = [&](const std::wstring& file) {
        COPYDATASTRUCT cds{100, static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t*>(file.c_str())};
        return ::SendMessageW(frame->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    };

    // Another instance asks while the refusal box of a dropped file that is
    // gone is up: the sender is answered, nothing opens under the box, and
    // the first open's end leaves the requested file whole afterwards.
    const std::wstring gone = path.substr(0, path.find_last_of(L"\\/") + 1) + L"frame_gone.bdx";
    ::DeleteFileW(gone.c_str());
    LRESULT answer = -1;
    std::wstring pathDuringBox = L"?";
    bool asked = false;   // only the first box sends
    prompts().duringMessageBox = [&] {
        if (asked) return;
        asked = true;
        answer = send(path);
        pathDuringBox = GetActiveLog() ? GetActiveLog()->GetPathName() : L"";
        Pump(200);   // the box's own message loop
        if (GetActiveLog() && !GetActiveLog()->GetPathName().empty()) pathDuringBox = GetActiveLog()->GetPathName();
    };
    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(gone)), 0);
    prompts().duringMessageBox = nullptr;
    ASSERT_EQ(prompts().boxes.size(), 1u) << "the refusal of the gone file";
    EXPECT_EQ(answer, TRUE);
    EXPECT_TRUE(pathDuringBox.empty()) << "nothing was opened under the box";
    Pump();
    ASSERT_NE(GetActiveLog(), nullptr);
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);
    EXPECT_EQ(RecordCount(), records) << "the requested file is shown whole";

    // The question an open asks comes after the sender has its answer,
    // not while it waits.
    Command(ID_FILE_NEW_LOG);
    CaptureOneRound();
    ASSERT_TRUE(GetActiveLog()->IsModified());
    prompts().boxes.clear();
    prompts().buttons.push_back(IDNO);
    EXPECT_EQ(send(path), TRUE);
    EXPECT_TRUE(prompts().boxes.empty()) << "no box while the sender is blocked";
    Pump();
    ASSERT_EQ(prompts().boxes.size(), 1u);
    EXPECT_EQ(prompts().boxes[0].text.rfind(L"Save changes to ", 0), 0u);
    EXPECT_EQ(GetActiveLog()->GetPathName(), path);

    // One request waits at a time.
    asked = false;
    prompts().duringMessageBox = [&] {
        if (asked) return;
        asked = true;
        answer = send(path);
        EXPECT_EQ(send(path), FALSE) << "a second request while one waits";
    };
    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(gone)), 0);
    prompts().duringMessageBox = nullptr;
    EXPECT_EQ(answer, TRUE);
    Pump();
    EXPECT_TRUE(frame->PendingOpen().empty());
    ::DeleteFileW(path.c_str());
}

TEST_F(FrameMessages, ADroppedPathLongerThanTheProgramTakesIsRefusedNotCut) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring longPath = dir;
    while (longPath.size() < 300) longPath += L"a-rather-long-folder-name\\";
    longPath += L"capture.bdx";
    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(longPath)), 0);
    ASSERT_EQ(prompts().boxes.size(), 1u);
    EXPECT_EQ(prompts().boxes[0].text, kDroppedPathTooLongText);
    EXPECT_EQ(prompts().boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(GetActiveLog()->IsLive()) << "nothing was opened";

    // The longest path taken still reaches the log side (which says the
    // file is not there).
    std::wstring longest = dir;
    longest += std::wstring(kMaxDroppedPath - longest.size() - 4, L'x') + L".bdx";
    ASSERT_EQ(longest.size(), kMaxDroppedPath);
    prompts().boxes.clear();
    ::SendMessageW(frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(longest)), 0);
    ASSERT_EQ(prompts().boxes.size(), 1u);
    EXPECT_NE(prompts().boxes[0].text.find(longest), std::wstring::npos);
}

TEST_F(FrameMessages, AFullBufferStopsTheCaptureAndSaysSo) {
    SetKnobs(1000, 400);
    SelectAllDevices();
    Command(ID_CAPTURE_START);
    ASSERT_TRUE(GetCaptureDriver().IsCaptureRunning());
    // What the capture list does when the log reports that it is full.
    frame->OnCaptureBufferFull();
    EXPECT_FALSE(GetCaptureDriver().IsCaptureRunning());
    ASSERT_EQ(prompts().boxes.size(), 1u);
    EXPECT_EQ(prompts().boxes[0].text, L"Capture buffer is full. Capturing stopped.");
    EXPECT_EQ(prompts().boxes[0].caption, L"Brindlex");
    EXPECT_EQ(prompts().boxes[0].type & (MB_ICONMASK | MB_SETFOREGROUND),
              static_cast<UINT>(MB_ICONEXCLAMATION | MB_SETFOREGROUND));
}

TEST_F(FrameMessages, SyncWithTreeSelectsTheRequestsDevice) {
    CaptureOneRound();
    // The first request of the mouse.
    const RECORD_LAYOUT layout = GetActiveLog()->GetRecordLayout();
    uint32_t row = 0;
    for (; row < RecordCount(); ++row) {
        std::vector<uint8_t> record(4096);
        CRecordView view;
        view.Init(record.data(), static_cast<uint32_t>(record.size()));
        if (GetRecordFilter().ReadRecord(row, view) == 0 &&
            GetRequestDeviceObject(record.data(), view.copied, layout) == SIM_MOUSE_OBJECT)
            break;
    }
    ASSERT_LT(row, RecordCount());
    frame->SelectRow(row);
    Command(ID_LIST_SYNC_WITH_TREE);
    CDeviceTree& tree = frame->GetDeviceTree();
    const HTREEITEM mouse = tree.ItemOfDeviceObject(SIM_MOUSE_OBJECT);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(::SendMessageW(tree.m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0)), mouse);
}

// The first row whose request belongs to a device object; the row count
// when there is none.
uint32_t FirstRowOfDevice(uint32_t rows, uint32_t deviceObject) {
    const RECORD_LAYOUT layout = GetActiveLog()->GetRecordLayout();
    std::vector<uint8_t> record(4096);
    for (uint32_t row = 0; row < rows; ++row) {
        CRecordView view;
        view.Init(record.data(), static_cast<uint32_t>(record.size()));
        if (GetRecordFilter().ReadRecord(row, view) == 0 &&
            GetRequestDeviceObject(record.data(), view.copied, layout) == deviceObject)
            return row;
    }
    return rows;
}

HTREEITEM TreeCaret(const CDeviceTree& tree) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree.m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

TEST_F(FrameMessages, AutoSyncMovesTheTreeWithEverySelection) {
    CaptureOneRound();
    const uint32_t mouseRow = FirstRowOfDevice(ListCount(), SIM_MOUSE_OBJECT);
    const uint32_t keyboardRow = FirstRowOfDevice(ListCount(), SIM_KEYBOARD_OBJECT);
    ASSERT_LT(mouseRow, ListCount());
    ASSERT_LT(keyboardRow, ListCount());
    CDeviceTree& tree = frame->GetDeviceTree();
    const HTREEITEM mouse = tree.ItemOfDeviceObject(SIM_MOUSE_OBJECT);
    const HTREEITEM keyboard = tree.ItemOfDeviceObject(SIM_KEYBOARD_OBJECT);
    ASSERT_TRUE(mouse && keyboard && mouse != keyboard);

    if (frame->GetCaptureList().GetAutoSyncWithTree()) Command(ID_LIST_AUTO_SYNC_WITH_TREE);
    ASSERT_FALSE(frame->GetCaptureList().GetAutoSyncWithTree());
    frame->SelectRow(mouseRow);
    Pump();
    Command(ID_LIST_AUTO_SYNC_WITH_TREE);   // on: syncs once at once
    ASSERT_TRUE(frame->GetCaptureList().GetAutoSyncWithTree());
    EXPECT_EQ(TreeCaret(tree), mouse);

    // Every later selection moves the tree too.
    frame->SelectRow(keyboardRow);
    Pump();
    EXPECT_EQ(TreeCaret(tree), keyboard) << "the tree follows the list";
    frame->SelectRow(mouseRow);
    Pump();
    EXPECT_EQ(TreeCaret(tree), mouse);

    // Off: the tree stays where it is.
    Command(ID_LIST_AUTO_SYNC_WITH_TREE);
    ASSERT_FALSE(frame->GetCaptureList().GetAutoSyncWithTree());
    frame->SelectRow(keyboardRow);
    Pump();
    EXPECT_EQ(TreeCaret(tree), mouse);
}

TEST_F(FrameMessages, F5RefreshesTheDeviceTreeWhereverTheFocusIs) {
    CDeviceTree& tree = frame->GetDeviceTree();
    ASSERT_TRUE(frame->GetAccelTable());
    EXPECT_TRUE(Enabled(ID_DEVICE_TREE_REFRESH)) << "the tree's update rule answers through the frame";
    for (HWND focus : {List(), tree.m_hWnd}) {
        ::SetFocus(focus);
        tree.ClearTree();
        ASSERT_EQ(::SendMessageW(tree.m_hWnd, TVM_GETCOUNT, 0, 0), 0);
        // The key as the user presses it: through the frame's accelerator table.
        ::PostMessageW(focus, WM_KEYDOWN, VK_F5, 0);
        ::PostMessageW(focus, WM_KEYUP, VK_F5, 0);
        Pump();
        EXPECT_GT(::SendMessageW(tree.m_hWnd, TVM_GETCOUNT, 0, 0), 0);
        EXPECT_NE(tree.ItemOfDeviceObject(SIM_MOUSE_OBJECT), nullptr);
    }
}

// Counts the system-change messages a window receives.
struct ChangeCounts {
    int colours = 0;
    int settings = 0;
    int fonts = 0;
};

LRESULT CALLBACK CountChanges(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* counts = reinterpret_cast<ChangeCounts*>(data);
    if (msg == WM_SYSCOLORCHANGE) ++counts->colours;
    if (msg == WM_SETTINGCHANGE) ++counts->settings;
    if (msg == WM_FONTCHANGE) ++counts->fonts;
    return ::DefSubclassProc(wnd, msg, wp, lp);
}

TEST_F(FrameMessages, ColourSettingAndFontChangesReachTheDockTheListAndThePanes) {
    // The system sends these to top-level windows only: the test sends them
    // to the frame, as the system does.
    const HWND windows[] = {frame->DockManager().m_hWnd, List(), frame->GetDeviceTree().m_hWnd,
                            frame->m_wndRequestSummary.m_hWnd};
    ChangeCounts counts[4];
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(windows[i], nullptr);
        ASSERT_TRUE(::SetWindowSubclass(windows[i], &CountChanges, 77, reinterpret_cast<DWORD_PTR>(&counts[i])));
    }
    ::SendMessageW(frame->m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    ::SendMessageW(frame->m_hWnd, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    ::SendMessageW(frame->m_hWnd, WM_FONTCHANGE, 0, 0);
    for (int i = 0; i < 4; ++i) {
        ::RemoveWindowSubclass(windows[i], &CountChanges, 77);
        EXPECT_GE(counts[i].colours, 1) << "window " << i;
        EXPECT_GE(counts[i].settings, 1) << "window " << i;
        EXPECT_GE(counts[i].fonts, 1) << "window " << i;
    }
    Pump();
    EXPECT_TRUE(::IsWindowVisible(List())) << "the frame lays out again and keeps its views";
}

TEST_F(FrameMessages, APaneMayAlwaysBeClosed) {
    CDP* pane = frame->DockManager().FindPane(PANE_RAW_DATA);
    EXPECT_EQ(::SendMessageW(frame->m_hWnd, DP_NOTIFY, DPN_CLOSE_PANE, reinterpret_cast<LPARAM>(pane)), 0);
}

TEST_F(FrameMessages, NextPaneWalksTheVisibleViews) {
    // From the device tree, the first of the ring, round to it again.
    HWND first = frame->GetDeviceTree().m_hWnd;
    ::SetFocus(first);
    ASSERT_EQ(::GetFocus(), first);
    std::vector<HWND> seen{first};
    for (int i = 0; i < 12; ++i) {
        Command(ID_PANE_NEXT);
        HWND now = ::GetFocus();
        EXPECT_TRUE(::IsWindowVisible(now));
        if (now == first) break;
        seen.push_back(now);
    }
    EXPECT_EQ(::GetFocus(), first) << "the ring wraps";
    EXPECT_GE(seen.size(), 3u);
    EXPECT_NE(std::find(seen.begin(), seen.end(), frame->m_wndCaptureList.m_hWnd), seen.end());
}

} // namespace
} // namespace brx::testing

namespace brx::testing {
namespace {

using FrameReference = FrameTest;

TEST_F(FrameReference, SetGoToAndClearTheElapsedTimeReference) {
    CaptureOneRound();
    uint32_t first = 0, last = 0;
    ASSERT_TRUE(GetActiveLog()->GetSequenceRange(first, last));
    CCaptureList& list = frame->GetCaptureList();
    const uint32_t row = 9;
    frame->SelectRow(row);
    Command(ID_LIST_SET_REFERENCE);
    ASSERT_TRUE(list.HasReference());
    EXPECT_EQ(list.GetReferenceSequence(), SequenceOfRow(row));
    EXPECT_NE(list.GetReferenceStamp(), 0);

    frame->SelectRow(20);
    Command(ID_LIST_GO_TO_REFERENCE);
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(row)) << "back to the reference";

    Command(ID_LIST_CLEAR_REFERENCE);
    EXPECT_FALSE(list.HasReference());
    frame->SelectRow(20);
    Command(ID_LIST_GO_TO_REFERENCE);
    if (first == 1) {
        EXPECT_EQ(frame->GetSelectedRow(), 0) << "without a reference: sequence number 1";
    } else {
        EXPECT_EQ(LastBox(), L"The record with sequence number 1 is out of range (" + std::to_wstring(first) + L"-" +
                                 std::to_wstring(last) + L").");
    }
}

} // namespace
} // namespace brx::testing
