// The program's one top-level window: the menu bar and toolbar in the rebar,
// the status bar, the capture list as the central view, and the nine docked
// panes in four screen sets. This file builds the frame, gives the panes
// their windows and titles, loads, chooses and saves the screen sets, and
// closes and tears the frame down; the commands live in
// MainFrameCommands.cpp.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/commands/UpdateRules.h"
#include "app/commands/win/GoToDlg.h"
#include "app/export/win/ExportList.h"
#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "app/devtree/win/DeviceStack.h"
#include "app/devtree/win/DeviceTree.h"
#include "app/usbprops/win/PnpProp.h"
#include "app/usbprops/win/UsbProp.h"
#include "app/frame/win/MainToolBar.h"
#include "app/list/win/CaptureList.h"
#include "app/frame/win/StatusBars.h"
#include "app/panes/win/DataAnalysis.h"
#include "app/panes/win/DetailsPanes.h"
#include "app/panes/win/RawData.h"
#include "app/panes/win/RequestSummary.h"
#include "toolkit/bars/win/FrameWndEx.h"
#include "toolkit/controls/win/RichEditBase.h"
#include "toolkit/controls/win/TreeList.h"
#include "toolkit/dock/win/DockManager.h"

namespace brx {

class CFindSettings;
class CRecentFilesMenu;

// The panes: ids 1 to 9.
enum : BYTE {
    PANE_DEVICE_TREE = 1,
    PANE_DEVICE_STACK = 2,
    PANE_USB_PROPERTIES = 3,
    PANE_PNP_PROPERTIES = 4,
    PANE_REQUEST_SUMMARY = 5,
    PANE_RAW_DATA = 6,
    PANE_IRP_DETAILS = 7,
    PANE_URB_DETAILS = 8,
    PANE_DATA_ANALYSIS = 9,
};
constexpr int kScreenSetCount = 4;

// A pane's titles, its view's control id and its icon's place in the panes'
// bitmap.
struct PaneDescription {
    BYTE id;
    const wchar_t* title;
    const wchar_t* shortTitle;
    UINT controlId;
    int iconImage;
};
// The nine panes in id order; null for ids outside 1..9.
const PaneDescription* FindPaneDescription(BYTE id);

// Registry names of the frame's saved state.
extern const wchar_t kScreenSetsSection[];
extern const wchar_t kReBarSection[];
extern const wchar_t kForceDataAnalysisValue[];
// "ScreenSet1" .. "ScreenSet4" for index 0..3.
void ScreenSetValueName(int index, wchar_t (&name)[16]);

// Posted by the main frame to itself: open the file another instance handed
// it (WM_COPYDATA), once no other open, save or question is under way.
constexpr UINT WM_OPENPENDINGLOG = WM_APP + 0x101;
// The longest path a dropped file may have, in characters: the file
// functions the capture file goes through take no more.
constexpr UINT kMaxDroppedPath = MAX_PATH - 1;
extern const wchar_t kDroppedPathTooLongText[];

// The recent files list while the main frame exists, else null.
CRecentFilesMenu* GetRecentFiles();

// The program's find criteria.
CFindSettings& GetFindSettings();

// Set by the frame when it is created; read by the views that build image
// lists.
int GetImageListColorDepth();
DWORD GetCommonControlsVersion();
// The image-list depth for a screen depth and a common-controls version:
// 32 bits become 24 below version 6.
int ImageListDepthFor(int screenDepth, DWORD commonControlsVersion);

class CMainFrame : public CFrameWndEx, public IGoToTarget {
public:
    // Creates the window (its creation runs OnCreate).
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Sets the titles of every pane of the layout.
    static void GetPaneTitle(CDPLayout* layout);
    LRESULT AttachPaneWindow(CDP* pane);
    // The window a pane shows (null while there is none).
    HWND PaneViewWindow(BYTE id);
    // What the data analysis pages read of the active log.
    ANALYSIS_SOURCES DataAnalysisSources();

    void ShowSplashScreen();
    void DestroySplashScreen();
    void CloseModelessDialogs();

    CDPManager& DockManager() { return m_dockManager; }
    CDPLayout* ScreenSet(int index) const {
        return index >= 0 && index < kScreenSetCount ? m_screenSets[index].get() : nullptr;
    }
    int CurrentScreenSet() const { return m_nScreenSet; }

    CDeviceTree& GetDeviceTree() { return m_wndDeviceTree; }
    CUsbProp& GetUsbProp() { return m_wndUsbProp; }
    // A browser pane's context menu request: the USB properties pane's
    // document and the data analysis page get their menus; any other gets
    // none. S_OK.
    HRESULT OnBrowserContextMenu(POINT pt, IUnknown* target, bool textSelected);
    CCaptureList& GetCaptureList() { return m_wndCaptureList; }
    CDataAnalysis& GetDataAnalysis() { return m_wndDataAnalysis; }

    // The toolbar and status bar.
    CToolBarMain m_wndToolBar;
    CStatusBarEx m_wndStatusBar;
    CMenu m_menu;

    // The panes' views.
    CDeviceTree m_wndDeviceTree;
    CDeviceStack m_wndDeviceStack;
    CUsbProp m_wndUsbProp;
    CPnpProp m_wndPnpProp;
    CCaptureList m_wndCaptureList;
    CRequestSummary m_wndRequestSummary;
    CUrbDetails m_wndUrbDetails;
    CIrpDetails m_wndIrpDetails;
    CDataAnalysis m_wndDataAnalysis;
    CHIDDeviceDataHash m_hidReports;  // parsed report descriptors for logs without a cache
    CRawData m_wndRawData;

    // ---- Commands and messages (MainFrameCommands.cpp)
    bool OnCommand(CCommand& cmd) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    // The frame's messages other than creation, layout and closing; false
    // for the rest.
    bool OnFrameMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Whether an open, a save or a question to the user is under way (a
    // command, a drop, closing; or a modal window has the frame disabled).
    bool IsBusy() const;
    // The path another instance asked to open, not opened yet.
    const std::wstring& PendingOpen() const { return m_pendingOpen; }
    // What the update rules read.
    FrameState GetCommandState();
    // The capture list's selected row (focused and selected, else the first
    // selected), -1 without one; selecting shows the row.
    int GetSelectedRow() const;
    void SelectRow(uint32_t row);
    void GoToRecord(uint32_t sequence) override;
    void OnGoToDialogClosed() override;
    void FindNext();
    void FindPrev();
    void FindFromSelection(bool forward);
    void OnClearCaptureList();
    void OnCaptureBufferFull();
    void ApplyFilterOn();
    void ApplyFilterOff();
    void RefreshCaptureList();

    int m_bAutoScroll = 0;
    int m_bAlwaysOnTop = 0;
    HDEVNOTIFY m_hDeviceNotify = nullptr;
    HDEVNOTIFY m_hHubNotify = nullptr;
    int m_nScreenSet = 0;
    CDialog* m_pCaptureSettingsDlg = nullptr;
    CDialog* m_pFilterSettingsDlg = nullptr;
    CDialog* m_pFindDlg = nullptr;
    CDialog* m_pGoToDlg = nullptr;
    // The list export, made at its first use (it reads its settings then).
    std::unique_ptr<CExportList> m_pExportList;
    CDialog* m_pSplash = nullptr;
    DWORD m_dwSplashStart = static_cast<DWORD>(-1);

protected:
    int OnCreate();
    void OnClose();
    void OnDestroy();
    // The end of the user's session (log-off, shut-down): the question asks
    // to save an unsaved capture (false when the user cancels, which keeps
    // the session); the end writes everything a close would write.
    bool OnQueryEndSession();
    void OnEndSession(bool ending);

private:
    // Marks the frame busy while it lives; the last one to go hands a
    // pending open to the message loop.
    class BusyScope {
    public:
        explicit BusyScope(CMainFrame& frame);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CMainFrame& m_frame;
    };
    bool HandleCommand(CCommand& cmd);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void OpenPendingLog();
    void OnDropFiles(HDROP drop);

    int m_nBusy = 0;
    std::wstring m_pendingOpen;

    void CreateToolBar();
    void CreatePanes();
    void LoadScreenSets();
    void CreateViews();
    void ForceDataAnalysisPane();
    void ApplyStartupScreenSet();
    void WriteScreenSets();
    void SaveScreenSets();
    void KeepWindowPlacement();

    CDPManager m_dockManager;
    std::unique_ptr<CDPLayout> m_screenSets[kScreenSetCount];
};

} // namespace brx
