// The main frame's commands and the messages it takes from other instances,
// the capture core and the system. Each command has a handler here and an
// update rule in app/commands (GetCommandUpdate); commands whose windows the
// program does not have yet get no handler and stay disabled.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/commands/CommandIds.h"
#include "app/commands/CopyData.h"
#include "app/commands/FrameTexts.h"
#include "app/commands/GoTo.h"
#include "app/commands/RecordCommands.h"
#include "app/devices/win/CaptureSettingsDriver.h"
#include "app/dialogs/win/CaptureSettingsDlg.h"
#include "app/dialogs/win/FilterSettingsDlg.h"
#include "app/dialogs/win/FindSettingsDlg.h"
#include "app/frame/win/AboutDlg.h"
#include "app/frame/win/RecentFilesMenu.h"
#include "app/frame/win/TipDlg.h"
#include "app/main/win/App.h"
#include "app/main/win/MainFrame.h"
#include "app/prefs/win/PreferencesDlg.h"
#include "app/res/resource.h"
#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/MessageTarget.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "framework/FrameworkDefs.h"
#include "framework/Resource.h"
#include "toolkit/dock/DockNodes.h"
#include "toolkit/dock/ScreenSetBlob.h"
#include "toolkit/dock/win/ScreenSetRegistry.h"

namespace brx {

// The resource script and the commands agree on every id.
static_assert(ID_FILE_NEW_LOG == cmd::kNew && ID_FILE_OPEN_LOG == cmd::kOpen && ID_FILE_CLOSE_LOG == cmd::kClose);
static_assert(ID_FILE_SAVE_LOG == cmd::kSave && ID_FILE_SAVE_LOG_AS == cmd::kSaveAs && ID_FILE_EXIT == cmd::kExit);
static_assert(ID_FILE_EXPORT_LIST == cmd::kExportList && ID_FILE_RECENT_FIRST == cmd::kRecentFileFirst);
static_assert(ID_CAPTURE_SETTINGS == cmd::kCaptureSettings && ID_CAPTURE_START == cmd::kStartCapture);
static_assert(ID_CAPTURE_STOP == cmd::kStopCapture && ID_CAPTURE_HOT_PLUGGED == cmd::kCaptureHotPlugged);
static_assert(ID_CAPTURE_ENTIRE_STACK == cmd::kCaptureEntireStack && ID_FILTER_SETTINGS == cmd::kFilterSettings);
static_assert(ID_FILTER_APPLY == cmd::kApplyFilter && ID_CAPTURE_CLEAR_LIST == cmd::kClearCaptureList);
static_assert(ID_SEARCH_FIND == cmd::kFind && ID_SEARCH_FIND_NEXT == cmd::kFindNext);
static_assert(ID_SEARCH_FIND_PREV == cmd::kFindPrev && ID_SEARCH_GO_TO_RECORD == cmd::kGoToRecord);
static_assert(ID_VIEW_AUTO_SCROLL == cmd::kAutoScroll && ID_LIST_GO_TO_CORRESPONDING == cmd::kGoToCorresponding);
static_assert(ID_VIEW_MAIN_TOOLBAR == cmd::kMainToolbar && ID_VIEW_LOCK_TOOLBARS == cmd::kLockToolbars);
static_assert(ID_VIEW_STATUS_BAR_PANE == cmd::kStatusBar && ID_SCREEN_SET_1 == cmd::kScreenSetFirst);
static_assert(ID_SCREEN_SET_LOCK == cmd::kLockScreenSet && ID_SCREEN_SET_RESET == cmd::kResetScreenSet);
static_assert(ID_PANE_DEVICE_TREE == cmd::kPaneDeviceTree && ID_PANE_DATA_ANALYSIS_KEY == cmd::kPaneDataAnalysis2);
static_assert(ID_PANE_URB_DETAILS == cmd::kPaneUrbDetails && ID_PANE_NEXT == cmd::kNextPane);
static_assert(ID_VIEW_ALWAYS_ON_TOP == cmd::kAlwaysOnTop && ID_TOOLS_PREFERENCES == cmd::kPreferences);
static_assert(ID_LIST_SYNC_WITH_TREE == cmd::kSyncWithTree && ID_LIST_AUTO_SYNC_WITH_TREE == cmd::kAutoSyncWithTree);
static_assert(ID_LIST_SET_REFERENCE == cmd::kSetElapsedReference && ID_LIST_CLEAR_REFERENCE == cmd::kClearElapsedReference);
static_assert(ID_LIST_GO_TO_REFERENCE == cmd::kGoToElapsedReference && ID_FILE_RECENT_CLEAR == cmd::kClearRecentFiles);
static_assert(ID_PANE_FLOAT == cmd::kPaneCaptionFloat && ID_PANE_CLOSE == cmd::kPaneCaptionClose);

const wchar_t kDroppedPathTooLongText[] =
    L"The dropped file cannot be opened: its path is longer than 259 characters.";

namespace {

// The product name as the 8-bit caption of the frame's message boxes.
void Warn(const std::string& text) { AppMessageBoxA(text.c_str(), nullptr, MB_ICONEXCLAMATION); }

std::wstring MenuText(HMENU menu, UINT id) {
    wchar_t text[260] = {};
    ::GetMenuStringW(menu, id, text, 260, MF_BYCOMMAND);
    return text;
}

struct ForwardedMessage {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

BOOL CALLBACK SendToChild(HWND child, LPARAM data) {
    const auto* m = reinterpret_cast<const ForwardedMessage*>(data);
    ::SendMessageW(child, m->msg, m->wp, m->lp);
    return TRUE;
}

// Sends a message to every window inside a window, at every depth.
void SendToDescendants(HWND parent, UINT msg, WPARAM wp, LPARAM lp) {
    ForwardedMessage message{msg, wp, lp};
    ::EnumChildWindows(parent, &SendToChild, reinterpret_cast<LPARAM>(&message));
}

// The frame's side of the capture settings dialog: it forgets the dialog
// when it closes.
class CaptureSettingsOwner final : public ICaptureSettingsOwner {
public:
    void OnCaptureSettingsClosed(int) override {
        if (frame) frame->m_pCaptureSettingsDlg = nullptr;
    }
    void OnCaptureSettingsApplied() override {}

    CMainFrame* frame = nullptr; // the frame that opened the dialog last
};

// The frame's side of the filter settings dialog: it forgets the dialog when
// it closes, and after Apply the list shows the rows and its selection anew.
class FilterSettingsOwner final : public IFilterSettingsOwner {
public:
    void OnFilterSettingsClosed(int) override {
        if (frame) frame->m_pFilterSettingsDlg = nullptr;
    }
    void OnFilterSettingsApplied() override {
        if (frame) frame->RefreshCaptureList();
    }

    CMainFrame* frame = nullptr;
};

// The frame's side of the find settings dialog: it forgets the dialog when
// it closes.
class FindSettingsOwner final : public IFindSettingsOwner {
public:
    void OnFindSettingsClosed(int) override {
        if (frame) frame->m_pFindDlg = nullptr;
    }
    void OnFindSettingsApplied() override {}

    CMainFrame* frame = nullptr;
};

std::u16string ToU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

} // namespace

// ---- State

int CMainFrame::GetSelectedRow() const {
    HWND list = m_wndCaptureList.m_hWnd;
    if (!list) return -1;
    int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              LVNI_FOCUSED | LVNI_SELECTED));
    if (row < 0) row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return row;
}

void CMainFrame::SelectRow(uint32_t row) {
    HWND list = m_wndCaptureList.m_hWnd;
    if (!list) return;
    LVITEMW item{};
    item.stateMask = 0xF;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

FrameState CMainFrame::GetCommandState() {
    CCaptureDriver& driver = GetCaptureDriver();
    FrameState s;
    s.capturing = driver.IsCaptureRunning();
    s.driverOpen = driver.IsOpen();
    s.live = IsActiveLogLive() != FALSE;
    s.empty = IsActiveLogEmpty() != FALSE;
    s.full = IsActiveLogFull() != FALSE;
    s.modified = IsActiveLogModified() != FALSE;
    s.filterApplied = GetRecordFilter().IsApplied() != 0;
    s.findSet = GetFindSettings().CanMatch() != 0;
    if (m_pCaptureSettingsDlg) s.openDialogs |= DIALOG_CAPTURE_SETTINGS;
    if (m_pFilterSettingsDlg) s.openDialogs |= DIALOG_FILTER;
    if (m_pFindDlg) s.openDialogs |= DIALOG_FIND;
    if (m_pGoToDlg) s.openDialogs |= DIALOG_GO_TO;
    if (m_wndCaptureList.m_hWnd)
        s.listCount = static_cast<uint32_t>(::SendMessageW(m_wndCaptureList.m_hWnd, LVM_GETITEMCOUNT, 0, 0));
    s.selectedRow = GetSelectedRow();
    s.autoScroll = m_bAutoScroll != 0;
    s.alwaysOnTop = m_bAlwaysOnTop != 0;
    const CCaptureSettings& settings = GetCaptureSettings();
    s.captureHotPlugged = settings.IsCaptureHotPlugged();
    s.captureEntireStack = settings.IsCaptureEntireStack();
    s.toolbarVisible = m_wndToolBar.m_hWnd && ::IsWindowVisible(m_wndToolBar.m_hWnd);
    s.statusBarVisible = m_wndStatusBar.m_hWnd && ::IsWindowVisible(m_wndStatusBar.m_hWnd);
    s.toolbarsLocked = m_wndReBar.IsLocked() != FALSE;
    s.currentScreenSet = m_nScreenSet;
    for (int i = 0; i < kScreenSetCount; ++i)
        if (m_screenSets[i] && m_screenSets[i]->IsLocked()) s.lockedScreenSets |= 1u << i;
    for (BYTE pane = 1; pane <= 9; ++pane)
        if (m_dockManager.IsPaneHidden(pane)) s.hiddenPanes |= 1u << pane;
    return s;
}

// ---- Update rules

bool CMainFrame::OnUpdateCommand(CCmdUI& ui) {
    if ((ui.m_nID >= cmd::kRecentFileFirst && ui.m_nID <= cmd::kRecentFileLast) || ui.m_nID == cmd::kClearRecentFiles) {
        if (GetCaptureDriver().IsCaptureRunning()) {
            // Only the "Recent Files" popup item itself is greyed meanwhile.
            if (ui.m_hSubMenu && ui.m_hMenu)
                ::EnableMenuItem(ui.m_hMenu, ui.m_nIndex, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
        } else if (CRecentFilesMenu* recent = GetRecentFiles()) {
            recent->UpdateMenu(&ui);
        }
        return true;
    }
    const CommandUpdate update = GetCommandUpdate(ui.m_nID, GetCommandState());
    if (!update.hasRule) {
        // The device tree's commands (F5 among them) reach it from the frame
        // wherever the focus is.
        if (m_wndDeviceTree.m_hWnd && m_wndDeviceTree.OnUpdateCommand(ui)) return true;
        return CFrameWndEx::OnUpdateCommand(ui);
    }
    ui.Enable(update.enabled);
    if (update.check != CommandUpdate::NoCheck) {
        if (update.radio) ui.SetRadio(update.check == CommandUpdate::Checked);
        else ui.SetCheck(update.check == CommandUpdate::Checked ? 1 : 0);
    }
    if (ui.m_nID >= cmd::kScreenSetFirst && ui.m_nID <= cmd::kScreenSetLast) {
        const int set = static_cast<int>(ui.m_nID - cmd::kScreenSetFirst);
        const bool locked = m_screenSets[set] && m_screenSets[set]->IsLocked();
        // The lock mark in the menu text and the locked image on the button.
        if (ui.m_hMenu) {
            std::u16string text = ToU16(MenuText(ui.m_hMenu, ui.m_nID));
            if (MarkLockedScreenSet(text, locked)) {
                const std::wstring wide = ToWide(text);
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_STRING;
                info.dwTypeData = const_cast<wchar_t*>(wide.c_str());
                ::SetMenuItemInfoW(ui.m_hMenu, ui.m_nID, FALSE, &info);
            }
        }
        if (auto* tool = dynamic_cast<CToolCmdUI*>(&ui); tool && tool->m_hToolBar) {
            TBBUTTONINFOW info{};
            info.cbSize = sizeof info;
            info.dwMask = TBIF_IMAGE;
            const int image = ScreenSetImage(set, locked);
            if (::SendMessageW(tool->m_hToolBar, TB_GETBUTTONINFOW, ui.m_nID, reinterpret_cast<LPARAM>(&info)) >= 0 &&
                info.iImage != image) {
                info.iImage = image;
                ::SendMessageW(tool->m_hToolBar, TB_SETBUTTONINFOW, ui.m_nID, reinterpret_cast<LPARAM>(&info));
            }
        }
    }
    return true;
}

// ---- Busy work and files from elsewhere

CMainFrame::BusyScope::BusyScope(CMainFrame& frame) : m_frame(frame) { ++m_frame.m_nBusy; }

CMainFrame::BusyScope::~BusyScope() {
    // A frame disabled by a modal window posts again when it is enabled.
    if (--m_frame.m_nBusy == 0 && !m_frame.m_pendingOpen.empty() && m_frame.m_hWnd && !m_frame.IsBusy())
        m_frame.PostMessage(WM_OPENPENDINGLOG);
}

bool CMainFrame::IsBusy() const { return m_nBusy > 0 || (m_hWnd && !::IsWindowEnabled(m_hWnd)); }

LRESULT CMainFrame::OnCopyData(const COPYDATASTRUCT* data) {
    std::u16string path;
    const CopyDataCheck check = CheckCopyDataPath(data != nullptr, data ? data->dwData : 0,
                                                  data ? data->lpData : nullptr, data ? data->cbData : 0, path);
    if (check != CopyDataCheck::Path) return FALSE;
    // The sender waits for this answer: it gets it at once, and the file is
    // opened afterwards from the message loop, never inside another open,
    // save or question. One request waits at a time.
    const std::wstring wide = ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (!GetLogManager() || GetCaptureDriver().IsCaptureRunning() || !m_pendingOpen.empty() ||
        attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    m_pendingOpen = wide;
    PostMessage(WM_OPENPENDINGLOG);
    return TRUE;
}

void CMainFrame::OpenPendingLog() {
    // While busy the request waits: the end of the busy work (or the frame
    // enabled again after a modal window) posts it again.
    if (m_pendingOpen.empty() || IsBusy()) return;
    std::wstring path;
    path.swap(m_pendingOpen);
    CLogManager* manager = GetLogManager();
    if (!manager || GetCaptureDriver().IsCaptureRunning()) return;
    BusyScope busy(*this);
    manager->OpenLog(path.c_str());
}

void CMainFrame::OnDropFiles(HDROP drop) {
    if (GetCaptureDriver().IsCaptureRunning()) return;
    ::SetForegroundWindow(m_hWnd);
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return;
    BusyScope busy(*this);
    // A longer path is refused, never cut to another file's name.
    if (length > kMaxDroppedPath) {
        AppMessageBox(kDroppedPathTooLongText, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    wchar_t path[kMaxDroppedPath + 1] = {};
    if (::DragQueryFileW(drop, 0, path, kMaxDroppedPath + 1) != length) return;
    if (CLogManager* manager = GetLogManager()) manager->OpenLogPrompt(path);
}

// ---- Commands

bool CMainFrame::OnCommand(CCommand& cmd) {
    // Exit destroys the frame: nothing of it may be touched afterwards.
    if (cmd.Is(cmd::kExit)) return HandleCommand(cmd);
    BusyScope busy(*this);
    return HandleCommand(cmd);
}

bool CMainFrame::HandleCommand(CCommand& cmd) {
    CCaptureDriver& driver = GetCaptureDriver();
    CLogManager* manager = GetLogManager();
    if (cmd.Is(cmd::kNew)) return cmd.Run([&] {
        driver.ResetCapture();
        if (manager) manager->NewLog();
        if (CCaptureLog* log = GetActiveLog()) log->SetWrapMode(0);
    });
    if (cmd.Is(cmd::kOpen)) return cmd.Run([&] {
        if (!driver.IsCaptureRunning() && manager) manager->OpenLogPrompt(nullptr);
    });
    if (cmd.Is(cmd::kClose)) return cmd.Run([&] {
        if (manager) manager->NewLog();
    });
    if (cmd.Is(cmd::kSave)) return cmd.Run([&] {
        CCaptureLog* log = GetActiveLog();
        if (!driver.IsCaptureRunning() && log) log->Save();
    });
    if (cmd.Is(cmd::kSaveAs)) return cmd.Run([&] {
        CCaptureLog* log = GetActiveLog();
        if (!driver.IsCaptureRunning() && log) log->SaveAs();
    });
    if (cmd.Is(cmd::kExportList)) return cmd.Run([&] {
        if (driver.IsCaptureRunning()) return;
        if (!m_pExportList) m_pExportList = std::make_unique<CExportList>();
        m_pExportList->m_frame = m_hWnd;
        m_pExportList->Export(m_wndCaptureList);
    });
    if (cmd.Is(cmd::kExit)) return cmd.Run([&] { SendMessage(WM_CLOSE); });
    if (cmd.InRange(cmd::kRecentFileFirst, cmd::kRecentFileLast)) return cmd.Run([&] {
        CRecentFilesMenu* recent = GetRecentFiles();
        const int entry = static_cast<int>(cmd.Id() - cmd::kRecentFileFirst);
        if (!recent || !manager || driver.IsCaptureRunning() || entry >= recent->GetSize()) return;
        const std::wstring path = recent->GetEntry(entry);
        // Only a file that cannot be opened leaves the list: Cancel at "Save
        // changes?" or No to a newer file's question keeps it.
        if (!manager->OpenLog(path.c_str()) && manager->LastOpenFailed()) recent->RemoveFile(entry);
    });
    if (cmd.Is(cmd::kClearRecentFiles)) return cmd.Run([&] {
        if (CRecentFilesMenu* recent = GetRecentFiles()) recent->Clear();
    });
    if (cmd.Is(cmd::kStartCapture)) return cmd.Run([&] {
        ::DragAcceptFiles(m_hWnd, FALSE);
        ApplyFilterOff();
        driver.StartCapture(GetActiveLog());
    });
    if (cmd.Is(cmd::kStopCapture)) return cmd.Run([&] {
        driver.StopCapture();
        // The reader is gone: the list shows every record now.
        m_wndCaptureList.UpdateRowCount();
        ::DragAcceptFiles(m_hWnd, TRUE);
    });
    if (cmd.Is(cmd::kCaptureSettings)) return cmd.Run([&] {
        if (m_pCaptureSettingsDlg) {
            ::SetActiveWindow(m_pCaptureSettingsDlg->m_hWnd);
            return;
        }
        // The frame closes the dialog before it goes (CloseModelessDialogs).
        static CaptureSettingsOwner owner;
        owner.frame = this;
        auto* dialog = new CCaptureSettingsDlg(this, &owner, &GetCaptureSettings());
        if (!dialog->Create()) {
            delete dialog;
            return;
        }
        m_pCaptureSettingsDlg = dialog;
        dialog->ShowWindow(SW_SHOW);
    });
    if (cmd.Is(cmd::kFilterSettings)) return cmd.Run([&] {
        if (m_pFilterSettingsDlg) {
            ::SetActiveWindow(m_pFilterSettingsDlg->m_hWnd);
            return;
        }
        static FilterSettingsOwner owner;
        owner.frame = this;
        auto* dialog = new CFilterSettingsDlg(this, &owner, &GetRecordFilter());
        if (!dialog->Create()) {
            delete dialog;
            return;
        }
        m_pFilterSettingsDlg = dialog;
        dialog->ShowWindow(SW_SHOW);
    });
    if (cmd.Is(cmd::kFind)) return cmd.Run([&] {
        if (m_pFindDlg) {
            ::SetActiveWindow(m_pFindDlg->m_hWnd);
            return;
        }
        static FindSettingsOwner owner;
        owner.frame = this;
        auto* dialog = new CFindSettingsDlg(this, &owner, &GetFindSettings());
        if (!dialog->Create()) {
            delete dialog;
            return;
        }
        m_pFindDlg = dialog;
        dialog->ShowWindow(SW_SHOW);
    });
    if (cmd.Is(cmd::kCaptureHotPlugged)) return cmd.Run([&] {
        CCaptureSettings& settings = GetCaptureSettings();
        if (driver.IsOpen()) settings.SetCaptureHotPlugged(!settings.IsCaptureHotPlugged());
    });
    if (cmd.Is(cmd::kCaptureEntireStack)) return cmd.Run([&] {
        CCaptureSettings& settings = GetCaptureSettings();
        if (driver.IsOpen()) settings.SetCaptureEntireStack(!settings.IsCaptureEntireStack());
    });
    if (cmd.Is(cmd::kApplyFilter)) return cmd.Run([&] {
        if (GetRecordFilter().IsApplied()) ApplyFilterOff();
        else ApplyFilterOn();
    });
    if (cmd.Is(cmd::kClearCaptureList)) return cmd.Run([&] { OnClearCaptureList(); });
    if (cmd.Is(cmd::kFindNext)) return cmd.Run([&] { FindNext(); });
    if (cmd.Is(cmd::kFindPrev)) return cmd.Run([&] { FindPrev(); });
    if (cmd.Is(cmd::kPreferences)) return cmd.Run([&] {
        // A new sheet each time, run modally; it writes the preferences as it closes.
        CAppPrefsHost host(&m_wndCaptureList, GetRecentFiles(), driver);
        CPreferencesDlg sheet(GetPreferences(), host, m_hWnd);
        sheet.SetImageListColorFlag(static_cast<UINT>(GetImageListColorDepth()));
        sheet.DoModal();
    });
    if (cmd.Is(cmd::kGoToRecord)) return cmd.Run([&] {
        if (m_pGoToDlg) {
            ::SetActiveWindow(m_pGoToDlg->m_hWnd);
            return;
        }
        auto* dialog = new CGoToDlg(this, this);
        if (!dialog->Create()) {
            delete dialog;
            return;
        }
        m_pGoToDlg = dialog;
        dialog->ShowWindow(SW_SHOW);
    });
    if (cmd.Is(cmd::kGoToCorresponding)) return cmd.Run([&] {
        const int row = GetSelectedRow();
        CCaptureLog* log = GetActiveLog();
        if (row < 0 || !log) return;
        if (const auto sequence = CorrespondingSequence(GetRecordFilter(), *log, static_cast<uint32_t>(row)))
            GoToRecord(*sequence);
    });
    if (cmd.Is(cmd::kSyncWithTree)) return cmd.Run([&] {
        const int row = GetSelectedRow();
        CCaptureLog* log = GetActiveLog();
        if (row < 0 || !log) return;
        if (const auto record = ReadWholeRowRecord(GetRecordFilter(), static_cast<uint32_t>(row))) {
            if (const auto device = DeviceObjectOfRecord(*record, log->GetRecordLayout()))
                m_wndDeviceTree.SelectByDeviceObject(*device);
        }
    });
    if (cmd.Is(cmd::kAutoSyncWithTree)) return cmd.Run([&] {
        const bool on = !m_wndCaptureList.GetAutoSyncWithTree();
        m_wndCaptureList.SetAutoSyncWithTree(on);
        if (on) SendMessage(WM_COMMAND, cmd::kSyncWithTree);
        m_wndCaptureList.SaveAutoSync();
    });
    if (cmd.Is(cmd::kSetElapsedReference)) return cmd.Run([&] {
        const int row = GetSelectedRow();
        if (row < 0) return;
        const auto record = ReadWholeRowRecord(GetRecordFilter(), static_cast<uint32_t>(row));
        const auto reference = record ? ReferenceOfRecord(*record) : std::nullopt;
        if (!reference) return;
        m_wndCaptureList.SetReference(static_cast<int64_t>(reference->counter), reference->sequence);
        m_wndCaptureList.Invalidate();
    });
    if (cmd.Is(cmd::kClearElapsedReference)) return cmd.Run([&] {
        m_wndCaptureList.ClearReference();
        m_wndCaptureList.Invalidate();
    });
    if (cmd.Is(cmd::kGoToElapsedReference)) return cmd.Run([&] {
        GoToRecord(m_wndCaptureList.HasReference() ? m_wndCaptureList.GetReferenceSequence() : 1);
    });
    if (cmd.Is(cmd::kAutoScroll)) return cmd.Run([&] {
        m_bAutoScroll = !m_bAutoScroll;
        GetPreferences().SetAutoScrollCaptureList(m_bAutoScroll);
    });
    if (cmd.Is(cmd::kMainToolbar)) return cmd.Run([&] {
        if (m_wndToolBar.m_hWnd) ShowControlBar(m_wndToolBar.m_hWnd, !::IsWindowVisible(m_wndToolBar.m_hWnd), false);
    });
    if (cmd.Is(cmd::kStatusBar)) return cmd.Run([&] {
        if (m_wndStatusBar.m_hWnd)
            ShowControlBar(m_wndStatusBar.m_hWnd, !::IsWindowVisible(m_wndStatusBar.m_hWnd), false);
    });
    if (cmd.Is(cmd::kLockToolbars)) return cmd.Run([&] { m_wndReBar.Lock(!m_wndReBar.IsLocked()); });
    if (cmd.InRange(cmd::kScreenSetFirst, cmd::kScreenSetLast)) return cmd.Run([&] {
        const int set = static_cast<int>(cmd.Id() - cmd::kScreenSetFirst);
        m_dockManager.SnapshotLayout(m_screenSets[m_nScreenSet].get());
        m_dockManager.ApplyLayout(m_screenSets[set].get());
        m_nScreenSet = set;
        GetPreferences().SetMostRecentScreenset(static_cast<uint32_t>(set + 1));
    });
    if (cmd.Is(cmd::kLockScreenSet)) return cmd.Run([&] {
        CDPLayout* set = m_screenSets[m_nScreenSet].get();
        if (!set) return;
        if (!set->IsLocked()) {
            m_dockManager.SnapshotLayout(set);
            set->SetLocked(1);
        } else {
            set->SetLocked(0);
            m_dockManager.SnapshotLayout(set);
        }
    });
    if (cmd.Is(cmd::kResetScreenSet)) return cmd.Run([&] {
        CDPLayout* set = m_screenSets[m_nScreenSet].get();
        if (!set || set->IsLocked()) return;
        set->LoadFromMemory(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, ScreenSetRulesForThisScreen());
        GetPaneTitle(set);
        m_dockManager.ApplyLayout(set);
    });
    for (uint32_t id : cmd::kPaneCommands) {
        if (cmd.Is(id)) return cmd.Run([&] {
            const BYTE pane = static_cast<BYTE>(cmd::PaneOfCommand(id));
            if (m_dockManager.IsPaneHidden(pane)) m_dockManager.ShowPane(pane);
            else m_dockManager.HidePane(pane);
        });
    }
    if (cmd.Is(cmd::kPaneDataAnalysis2)) return cmd.Run([&] {
        if (m_dockManager.IsPaneHidden(PANE_DATA_ANALYSIS)) m_dockManager.ShowPane(PANE_DATA_ANALYSIS);
        else m_dockManager.HidePane(PANE_DATA_ANALYSIS);
    });
    if (cmd.Is(cmd::kNextPane)) return cmd.Run([&] {
        HWND dataChild = PaneViewWindow(PANE_DATA_ANALYSIS);
        const HWND ring[] = {m_wndDeviceTree.m_hWnd,
                             m_wndDeviceStack.m_hWnd,
                             m_wndUsbProp.m_hWnd,
                             m_wndPnpProp.m_hWnd,
                             m_wndCaptureList.m_hWnd,
                             m_wndRequestSummary.m_hWnd,
                             m_wndIrpDetails.GetTreeCtrl().m_hWnd,
                             m_wndUrbDetails.GetTreeCtrl().m_hWnd,
                             m_wndRawData.m_hWnd,
                             dataChild};
        constexpr int count = static_cast<int>(sizeof ring / sizeof ring[0]);
        bool visible[count];
        for (int i = 0; i < count; ++i) visible[i] = ring[i] && ::IsWindowVisible(ring[i]);
        const HWND focus = ::GetFocus();
        int place = -1;
        if (focus == m_hWnd) place = -2;
        for (int i = 0; i < count && place == -1; ++i)
            if (ring[i] && ring[i] == focus) place = i;
        const int next = NextPaneInRing(place, visible, count);
        if (next >= 0 && ring[next]) ::SetFocus(ring[next]);
    });
    if (cmd.Is(cmd::kAlwaysOnTop)) return cmd.Run([&] {
        m_bAlwaysOnTop = !m_bAlwaysOnTop;
        ::SetWindowPos(m_hWnd, m_bAlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    });
    if (cmd.Is(cmd::kAbout)) return cmd.Run([&] {
        CAboutDlg about(m_hWnd);
        about.DoModal();
    });
    if (cmd.Is(cmd::kTipOfTheDay)) return cmd.Run([&] {
        CTipDlg tip(m_hWnd);
        tip.DoModal();
    });
    if (m_wndDeviceTree.m_hWnd && m_wndDeviceTree.OnCommand(cmd)) return true;
    return CFrameWndEx::OnCommand(cmd);
}

// ---- Filter, clearing and the full buffer

void CMainFrame::RefreshCaptureList() {
    if (m_wndCaptureList.m_hWnd) m_wndCaptureList.RefreshSelection();
}

void CMainFrame::ApplyFilterOff() {
    CFilter& filter = GetRecordFilter();
    if (!filter.IsApplied()) return;
    filter.Apply(0);
    RefreshCaptureList();
}

void CMainFrame::ApplyFilterOn() {
    CFilter& filter = GetRecordFilter();
    if (filter.IsApplied()) return;
    filter.Apply(1);
    RefreshCaptureList();
}

void CMainFrame::OnClearCaptureList() {
    CCaptureLog* log = GetActiveLog();
    if (!log || IsActiveLogEmpty() || !IsActiveLogLive()) return;
    CCaptureDriver& driver = GetCaptureDriver();
    const bool running = driver.IsCaptureRunning();
    // Stopping waits for the reader, so nothing is written while the log clears.
    if (running) driver.StopCapture();
    log->Clear();
    driver.ResetCapture();
    if (running) driver.StartCapture(log);
}

void CMainFrame::OnCaptureBufferFull() {
    GetCaptureDriver().StopCapture();
    ::DragAcceptFiles(m_hWnd, TRUE);
    AppMessageBoxA("Capture buffer is full. Capturing stopped.", nullptr, MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

// ---- Searching and jumping

void CMainFrame::FindNext() { FindFromSelection(true); }

void CMainFrame::FindPrev() { FindFromSelection(false); }

void CMainFrame::FindFromSelection(bool forward) {
    CCaptureLog* log = GetActiveLog();
    HWND list = m_wndCaptureList.m_hWnd;
    if (!log || !list) return;
    const auto count = static_cast<uint32_t>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (count == 0) return;
    CWaitCursor wait;
    // Without a match the selection stays where it is.
    if (const auto row = FindMatchingRow(GetRecordFilter(), log->GetRecordLayout(), GetFindSettings(), count,
                                         GetSelectedRow(), forward))
        SelectRow(*row);
}

void CMainFrame::GoToRecord(uint32_t sequence) {
    CCaptureLog* log = GetActiveLog();
    if (!log) return;
    std::optional<SequenceRange> range;
    SequenceRange r;
    if (log->GetSequenceRange(r.first, r.last)) range = r;
    const GoToResult result = ResolveGoTo(sequence, range, GetRecordFilter());
    if (result.kind == GoToResult::Select) SelectRow(result.row);
    else if (result.kind == GoToResult::Message) Warn(result.message);
}

void CMainFrame::OnGoToDialogClosed() { m_pGoToDlg = nullptr; }

// ---- Messages

bool CMainFrame::OnFrameMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COPYDATA: {
        // Another identifier, or no structure: the default handling.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (!data || data->dwData != COPYDATA_OPEN_PATH) return false;
        result = OnCopyData(data);
        return true;
    }
    case WM_OPENPENDINGLOG:
        OpenPendingLog();
        result = 0;
        return true;
    case WM_ENABLE:
        // A modal window has gone: a waiting open may run now.
        if (wp && !m_pendingOpen.empty()) PostMessage(WM_OPENPENDINGLOG);
        return false;
    case WM_DROPFILES: {
        auto drop = reinterpret_cast<HDROP>(wp);
        OnDropFiles(drop);
        ::DragFinish(drop);
        result = 0;
        return true;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_FONTCHANGE:
        // The system tells top-level windows only: the dock, the list and the
        // panes hear of new colours, metrics and fonts from the frame. The
        // frame's own handling follows.
        SendToDescendants(m_hWnd, msg, wp, lp);
        return false;
    case WM_LOGFULLNESS:
        m_wndStatusBar.SetFullness(static_cast<int>(wp));
        result = 0;
        return true;
    case WM_LOGPROGRESS:
        m_wndStatusBar.SetProgress(static_cast<int>(wp));
        result = 0;
        return true;
    case WM_DEVICECHANGE:
        m_wndDeviceTree.OnDeviceChange(wp, lp);
        result = TRUE;
        return true;
    case WM_CAPTUREENDED:
        GetCaptureDriver().HandleCaptureEnd();
        m_wndCaptureList.UpdateRowCount();
        // A notice the list's queue refused (a full store's among them) goes
        // out again.
        GetRecordFilter().RepostOwed();
        ::DragAcceptFiles(m_hWnd, TRUE);
        result = 0;
        return true;
    case WM_MENUSELECT: {
        const UINT item = LOWORD(wp);
        const UINT flags = HIWORD(wp);
        if (item < cmd::kRecentFileFirst || item > cmd::kRecentFileLast || (flags & MF_POPUP) || flags == 0xFFFF)
            return false;
        const std::u16string status = RecentFileStatusText(ToU16(MenuText(reinterpret_cast<HMENU>(lp), item)));
        const std::wstring wide = ToWide(status);
        SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        result = 0;
        return true;
    }
    case DP_NOTIFY:
        if (wp == DPN_CLOSE_PANE) {
            result = 0;
            return true;
        }
        if (wp == DPN_CAPTION_MENU) {
            result = 0;
            auto* group = reinterpret_cast<CDPTabbedContainer*>(lp);
            CDP* pane = group ? group->GetActivePane() : nullptr;
            HMENU menu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_PANE_MENU));
            if (!pane || !menu) {
                if (menu) ::DestroyMenu(menu);
                return true;
            }
            POINT at{};
            ::GetCursorPos(&at);
            const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(::GetSubMenu(menu, 0),
                                                                     TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                                     at.x, at.y, m_hWnd, nullptr));
            ::DestroyMenu(menu);
            if (chosen == cmd::kPaneCaptionFloat) m_dockManager.ToggleDocking(pane);
            else if (chosen == cmd::kPaneCaptionClose) m_dockManager.HidePane(pane->GetId());
            result = chosen != 0 ? 1 : 0;
            return true;
        }
        return false;
    }
    return false;
}

} // namespace brx
