#include "app/main/win/MainFrame.h"

#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <map>
#include <vector>

#include "app/devices/win/CaptureSettingsDriver.h"
#include "app/frame/win/RecentFilesMenu.h"
#include "app/frame/win/SplashScreen.h"
#include "app/main/win/App.h"
#include "app/res/resource.h"
#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/SettingsStore.h"
#include "capture/win/WindowMessageTarget.h"
#include "framework/SystemLibrary.h"
#include "toolkit/bars/win/WinAppEx.h"
#include "toolkit/dock/ScreenSetBlob.h"
#include "toolkit/dock/win/ScreenSetRegistry.h"

namespace brx {

const wchar_t kScreenSetsSection[] = L"ScreenSets";
const wchar_t kReBarSection[] = L"ReBar";
const wchar_t kForceDataAnalysisValue[] = L"ForceDataAnalysisPanel";

namespace {

constexpr PaneDescription kPanes[] = {
    {PANE_DEVICE_TREE, L"Device Tree", L"Tree", IDC_DEVICE_TREE, 0},
    {PANE_DEVICE_STACK, L"Device Stack", L"Stack", IDC_DEVICE_STACK, 1},
    {PANE_USB_PROPERTIES, L"USB Properties", L"USB Prop", IDC_USB_PROPERTIES, 2},
    {PANE_PNP_PROPERTIES, L"PnP Properties", L"PnP Prop", IDC_PNP_PROPERTIES, 3},
    {PANE_REQUEST_SUMMARY, L"Request Summary", L"Summary", IDC_REQUEST_SUMMARY, 4},
    {PANE_RAW_DATA, L"Raw Data", L"Raw Data", IDC_RAW_DATA, 7},
    {PANE_IRP_DETAILS, L"IRP Details", L"IRP", IDC_IRP_DETAILS, 6},
    {PANE_URB_DETAILS, L"URB Details", L"URB", IDC_URB_DETAILS, 5},
    {PANE_DATA_ANALYSIS, L"Data Analysis", L"Analysis", IDC_DATA_ANALYSIS_TREE, 8},
};

// The order the panes' icons lie in their bitmap, and the order they are
// detached in.
constexpr int kPaneIconOrder[] = {1, 2, 3, 4, 5, 8, 7, 6, 9};

// Menu images: command and its place in the toolbar bitmap.
struct MenuImage {
    UINT command;
    int image;
};
constexpr MenuImage kMenuImages[] = {
    {ID_CAPTURE_SETTINGS, 0}, {ID_CAPTURE_START, 1},       {ID_CAPTURE_STOP, 2},      {ID_FILTER_SETTINGS, 3},
    {ID_FILTER_APPLY, 4},     {ID_FILE_NEW_LOG, 5},        {ID_FILE_OPEN_LOG, 6},     {ID_FILE_SAVE_LOG, 7},
    {ID_CAPTURE_CLEAR_LIST, 9}, {ID_SEARCH_FIND_PREV, 10}, {ID_SEARCH_FIND, 11},      {ID_SEARCH_FIND_NEXT, 12},
    {ID_VIEW_AUTO_SCROLL, 14}, {ID_SCREEN_SET_1, 15},      {ID_SCREEN_SET_2, 16},     {ID_SCREEN_SET_3, 17},
    {ID_SCREEN_SET_4, 18},
};

constexpr DWORD kOldToolBarStateSize = 100;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// The device interface classes whose arrivals and removals the device tree
// follows.
constexpr GUID kHubInterface = {0xF18A0E88, 0xC30C, 0x11D0, {0x88, 0x15, 0x00, 0xA0, 0xC9, 0x06, 0xBE, 0xD8}};
constexpr GUID kDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

CRecentFilesMenu* g_recentFiles = nullptr;

// Files that are saved or opened join the recent files list.
void AddRecentFile(const wchar_t* path) {
    if (g_recentFiles && path && *path) g_recentFiles->AddFile(path);
}

// Where the record filter's notices go: the capture list while it exists.
// It outlives the frame, since the capture thread may still post to it.
CWindowMessageTarget& ListNotifyTarget() {
    static CWindowMessageTarget target;
    return target;
}

int g_imageListDepth = 24;
DWORD g_commonControlsVersion = 0;

HDEVNOTIFY RegisterInterfaceNotification(HWND window, const GUID& interfaceClass) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    return ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

// The version of a system library: the one loaded already (the program
// imports it), else the system folder's.
DWORD DllVersion(const wchar_t* dll) {
    HMODULE module = ::GetModuleHandleW(dll);
    if (module) {
        ::GetModuleHandleExW(0, dll, &module); // a reference of our own for the FreeLibrary below
    } else {
        module = LoadSystemLibrary(dll);
    }
    if (!module) return 0;
    DWORD version = 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllGetVersion")));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (getVersion && SUCCEEDED(getVersion(&info))) version = (info.dwMajorVersion << 16) | info.dwMinorVersion;
    ::FreeLibrary(module);
    return version;
}

int ScreenColorDepth() {
    HDC dc = ::GetDC(nullptr);
    int depth = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
    ::ReleaseDC(nullptr, dc);
    return depth;
}

} // namespace

HRESULT CMainFrame::OnBrowserContextMenu(POINT pt, IUnknown* target, bool textSelected) {
    HWND window = nullptr;
    IOleWindow* ole = nullptr;
    if (target && SUCCEEDED(target->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&ole))) && ole) {
        ole->GetWindow(&window);
        ole->Release();
    }
    if (window && m_wndUsbProp.m_hWnd && (window == m_wndUsbProp.m_hWnd || ::IsChild(m_wndUsbProp.m_hWnd, window)))
        return m_wndUsbProp.OnShowContextMenu(pt, target, textSelected);
    // The data analysis page: its browser window, known from its first
    // DocumentComplete.
    CDataAnalysisHTML& page = m_wndDataAnalysis.GetHtmlView();
    if (window && window == page.GetBrowserWindow()) return page.ShowContextMenu(pt, target, textSelected);
    return S_OK;
}

const PaneDescription* FindPaneDescription(BYTE id) {
    return id >= 1 && id <= 9 ? &kPanes[id - 1] : nullptr;
}

void ScreenSetValueName(int index, wchar_t (&name)[16]) { std::swprintf(name, 16, L"ScreenSet%d", index + 1); }

CFindSettings& GetFindSettings() {
    static CFindSettings settings;
    return settings;
}

CRecentFilesMenu* GetRecentFiles() { return g_recentFiles; }

int GetImageListColorDepth() { return g_imageListDepth; }
DWORD GetCommonControlsVersion() { return g_commonControlsVersion; }

int ImageListDepthFor(int screenDepth, DWORD commonControlsVersion) {
    return screenDepth == 32 && (commonControlsVersion >> 16) < 6 ? 24 : screenDepth;
}

CMainFrame::CMainFrame() : m_wndDeviceTree(AppIsFirstInstance() != 0) {
    Create(kMainWindowClassName, kProductName, WS_OVERLAPPEDWINDOW, rectDefault, nullptr, nullptr);
}

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return TRUE;
}

// ---- Creation

int CMainFrame::OnCreate() {
    if (AppIsFirstInstance()) GetCaptureDriver().Connect();
    if (GetPreferences().GetSplashAtStartup()) ShowSplashScreen();
    LoadAccelTable(IDR_ACCELERATORS);

    ::InitCommonControls();
    g_commonControlsVersion = DllVersion(L"comctl32.dll");
    g_imageListDepth = ImageListDepthFor(ScreenColorDepth(), g_commonControlsVersion);

    CreateToolBar();

    m_wndStatusBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR);

    if (m_menu.LoadMenu(IDR_MAINFRAME)) SetMenu(m_menu);

    m_dockManager.Create(this);
    m_dockManager.SetTheme(1);
    CreatePanes();
    LoadScreenSets();
    CreateViews();

    delete g_recentFiles;
    g_recentFiles = new CRecentFilesMenu(L"RecentFiles", L"File%d");
    g_recentFiles->Load();
    SetRecentFileHook(AddRecentFile);

    m_bAutoScroll = GetPreferences().GetAutoScrollCaptureList();
    GetCaptureSettings().LoadCurrent();
    GetRecordFilter().LoadCriteria();
    GetFindSettings().LoadCurrent();

    DestroySplashScreen();
    ForceDataAnalysisPane();
    ApplyStartupScreenSet();
    return 0;
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_FLYBY, AFX_IDW_TOOLBAR);
    m_wndToolBar.ModifyStyle(0, CCS_ADJUSTABLE);
    m_wndReBar.AddBar(&m_wndToolBar, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE);
    m_wndToolBar.InitBar();

    // A toolbar state of exactly 100 bytes is left from an older toolbar.
    uint8_t old[256];
    uint32_t size = 0;
    if (ReadAppRegBinary(kReBarSection, L"E800", old, sizeof old, &size) && size == kOldToolBarStateSize)
        DeleteAppRegValue(kReBarSection, L"E800");
    m_wndReBar.LoadState(kReBarSection);

    if (CWinAppEx* app = AfxGetAppEx()) {
        std::map<UINT, int> images;
        for (const MenuImage& image : kMenuImages) images[image.command] = image.image;
        app->AddMenuImages(images, IDB_TOOLBAR_SMALL, kMaskColour);
    }
}

void CMainFrame::CreatePanes() {
    const RECT rect{0, 0, 256, 256};
    CDP* tree = m_dockManager.AddPane(PANE_DEVICE_TREE, rect, DP_DOCK_LEFT, nullptr);
    for (BYTE id : {PANE_DEVICE_STACK, PANE_USB_PROPERTIES, PANE_PNP_PROPERTIES})
        m_dockManager.AddPane(id, rect, DP_DOCK_BELOW, tree);
    CDP* summary = m_dockManager.AddPane(PANE_REQUEST_SUMMARY, rect, DP_DOCK_LEFT, nullptr);
    for (BYTE id : {PANE_URB_DETAILS, PANE_IRP_DETAILS, PANE_RAW_DATA, PANE_DATA_ANALYSIS})
        m_dockManager.AddPane(id, rect, DP_DOCK_BELOW, summary);
    m_dockManager.LoadPaneIcons(IDB_PANE_ICONS, kPaneIconOrder, 9, kMaskColour);
}

void CMainFrame::LoadScreenSets() {
    const DockLoadRules rules = ScreenSetRulesForThisScreen();
    for (auto& set : m_screenSets) {
        set = m_dockManager.NewLayout();
        set->LoadFromMemory(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, rules);
    }
    for (int i = 0; i < kScreenSetCount; ++i) {
        RegKeyHolder key(OpenAppRegSection(kScreenSetsSection));
        wchar_t name[16];
        ScreenSetValueName(i, name);
        if (!LoadLayoutFromRegistry(*m_screenSets[i], key.get(), name))
            m_screenSets[i]->LoadFromMemory(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, rules);
    }
    for (auto& set : m_screenSets) GetPaneTitle(set.get());
}

void CMainFrame::CreateViews() {
    const UINT imageColour = g_imageListDepth >= 32 ? ILC_COLOR32 : g_imageListDepth >= 24 ? ILC_COLOR24
                             : g_imageListDepth >= 16 ? ILC_COLOR16 : ILC_COLOR8;
    const DWORD treeStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    m_wndDeviceTree.SetDeviceStack(&m_wndDeviceStack);
    m_wndDeviceTree.SetImageListColor(imageColour);
    if (m_wndDeviceTree.Create(m_hWnd, IDC_DEVICE_TREE, RECT{}, treeStyle)) ::SetFocus(m_wndDeviceTree);

    DWORD stackStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL |
                       LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    if (!GetCaptureDriver().IsOpen()) stackStyle |= WS_DISABLED;
    m_wndDeviceStack.SetDeviceTree(&m_wndDeviceTree);
    m_wndDeviceStack.SetImageListColor(imageColour);
    if (m_wndDeviceStack.Create(m_hWnd, IDC_DEVICE_STACK, RECT{}, stackStyle)) m_wndDeviceStack.InitColumns();

    // USB properties: shown empty, then hidden until a device is selected.
    if (m_wndUsbProp.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, m_hWnd, IDC_USB_PROPERTIES)) {
        m_wndUsbProp.Navigate(L"about:blank");
        m_wndUsbProp.ModifyStyle(WS_VISIBLE, 0);
    }

    const DWORD richStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_READONLY | ES_MULTILINE;
    if (m_wndPnpProp.Create(richStyle, RECT{0, 0, 0, 0}, m_hWnd, IDC_PNP_PROPERTIES)) m_wndPnpProp.InitFormat();
    m_wndDeviceTree.SetPropertyPanes(&m_wndUsbProp, &m_wndPnpProp);

    m_hHubNotify = RegisterInterfaceNotification(m_hWnd, kHubInterface);
    m_hDeviceNotify = RegisterInterfaceNotification(m_hWnd, kDeviceInterface);
    m_wndDeviceTree.Refresh();

    if (m_wndCaptureList.Create(m_hWnd, AFX_IDW_PANE_FIRST, RECT{})) {
        SetActiveView(&m_wndCaptureList);
        m_wndCaptureList.OnInitialUpdate();
        CAPTURE_LIST_PANES panes;
        panes.summary = &m_wndRequestSummary;
        panes.irpDetails = &m_wndIrpDetails;
        panes.urbDetails = &m_wndUrbDetails;
        panes.rawData = &m_wndRawData;
        panes.dataAnalysis = &m_wndDataAnalysis;
        m_wndCaptureList.SetPanes(panes);
        m_wndCaptureList.isAutoScroll = [this] { return m_bAutoScroll != 0; };
        m_wndCaptureList.onCaptureBufferFull = [this] { OnCaptureBufferFull(); };
        m_wndCaptureList.onSyncWithTree = [this](uint32_t deviceObject) {
            m_wndDeviceTree.SelectByDeviceObject(deviceObject);
        };
        ListNotifyTarget().SetWindow(m_wndCaptureList.m_hWnd);
        GetRecordFilter().SetNotifyTarget(&ListNotifyTarget());
    }

    m_wndRequestSummary.CreatePane(m_hWnd, IDC_REQUEST_SUMMARY);
    m_wndIrpDetails.CreatePane(m_hWnd, IDC_IRP_DETAILS);
    m_wndUrbDetails.CreatePane(m_hWnd, IDC_URB_DETAILS);
    m_wndRawData.Create(m_hWnd, IDC_RAW_DATA);
    // The data analysis pane shows one of its two children at a time; a swap
    // changes the window the pane hosts.
    m_wndDataAnalysis.attachView = [this](HWND child) {
        CDP* pane = m_dockManager.FindPane(PANE_DATA_ANALYSIS);
        if (!pane || !child || CDPManager::HostWindow(pane) == child) return;
        if (CDPManager::HostWindow(pane)) m_dockManager.DetachHostWindow(pane);
        m_dockManager.AttachHostWindow(pane, child);
    };
    m_wndDataAnalysis.sources = [this] { return DataAnalysisSources(); };
    m_wndDataAnalysis.Create(m_hWnd);
}

ANALYSIS_SOURCES CMainFrame::DataAnalysisSources() {
    CCaptureLog* log = GetActiveLog();
    if (!log) return {};
    // A log made after start-up (New, Open) has no parsed-descriptor cache
    // of its own: the frame's serves it, emptied when it changes logs.
    if (!log->GetHIDDataHash()) {
        m_hidReports.RemoveAll();
        m_hidReports.SetRDHash(&log->GetRDHash());
        log->SetHIDDataHash(&m_hidReports);
    }
    return ANALYSIS_SOURCES{&log->GetRDHash(), log->GetHIDDataHash()};
}

void CMainFrame::ForceDataAnalysisPane() {
    RegKeyHolder product(OpenAppRegKey());
    if (!product.get()) return;
    BYTE value[4];
    DWORD size = sizeof value;
    if (::RegQueryValueExW(product.get(), kForceDataAnalysisValue, nullptr, nullptr, value, &size) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueW(product.get(), kForceDataAnalysisValue);
    for (int i = 0; i < kScreenSetCount; ++i) {
        CDPLayout* set = m_screenSets[i].get();
        m_dockManager.ApplyLayout(set);
        m_dockManager.ShowPane(PANE_DATA_ANALYSIS);
        if (uint8_t locked = set->IsLocked()) {
            set->SetLocked(0);
            m_dockManager.SnapshotLayout(set);
            set->SetLocked(locked);
        } else {
            m_dockManager.SnapshotLayout(set);
        }
        RegKeyHolder key(OpenAppRegSection(kScreenSetsSection));
        wchar_t name[16];
        ScreenSetValueName(i, name);
        SaveLayoutToRegistry(*set, key.get(), name);
        GetPaneTitle(set);
    }
}

void CMainFrame::ApplyStartupScreenSet() {
    CPreferences& prefs = GetPreferences();
    const uint32_t set = prefs.GetUseMostRecentScreenset() ? prefs.GetMostRecentScreenset()
                                                           : prefs.GetStartupScreenset();
    m_nScreenSet = set >= 1 && set <= kScreenSetCount ? static_cast<int>(set) - 1 : 0;
    m_dockManager.ApplyLayout(m_screenSets[m_nScreenSet].get());
}

void CMainFrame::GetPaneTitle(CDPLayout* layout) {
    if (!layout) return;
    for (const DP_INFO& info : layout->PaneInfos()) {
        if (!info.pane) continue;
        const PaneDescription* pane = FindPaneDescription(info.pane->GetId());
        if (pane)
            info.pane->SetTitles(reinterpret_cast<const char16_t*>(pane->title),
                                 reinterpret_cast<const char16_t*>(pane->shortTitle));
    }
}

HWND CMainFrame::PaneViewWindow(BYTE id) {
    switch (id) {
    case PANE_DEVICE_TREE: return m_wndDeviceTree.m_hWnd;
    case PANE_DEVICE_STACK: return m_wndDeviceStack.m_hWnd;
    case PANE_USB_PROPERTIES: return m_wndUsbProp.m_hWnd;
    case PANE_PNP_PROPERTIES: return m_wndPnpProp.m_hWnd;
    case PANE_REQUEST_SUMMARY: return m_wndRequestSummary.m_hWnd;
    case PANE_RAW_DATA: return m_wndRawData.m_hWnd;
    case PANE_IRP_DETAILS: return m_wndIrpDetails.m_hWnd;
    case PANE_URB_DETAILS: return m_wndUrbDetails.m_hWnd;
    case PANE_DATA_ANALYSIS:
        switch (m_wndDataAnalysis.GetMode()) {
        case CDataAnalysis::ModeTree: return m_wndDataAnalysis.GetTreeList().m_hWnd;
        case CDataAnalysis::ModeHtml: return m_wndDataAnalysis.GetHtmlView().m_hWnd;
        }
        return nullptr;
    }
    return nullptr;
}

LRESULT CMainFrame::AttachPaneWindow(CDP* pane) {
    if (pane && !CDPManager::HostWindow(pane)) {
        if (HWND view = PaneViewWindow(pane->GetId())) m_dockManager.AttachHostWindow(pane, view);
    }
    return 1;
}

// ---- Splash screen and modeless dialogs

void CMainFrame::ShowSplashScreen() {
    if (m_pSplash) return;
    auto* splash = new CSplashScreen(m_hWnd);
    if (!splash->Create(m_hWnd)) {
        delete splash;
        return;
    }
    m_pSplash = splash;
    m_pSplash->ShowWindow(SW_SHOW);
    m_pSplash->UpdateWindow();
    m_dwSplashStart = ::GetTickCount();
}

void CMainFrame::DestroySplashScreen() {
    if (!m_pSplash) return;
    m_pSplash->DestroyWindow();
    delete m_pSplash;
    m_pSplash = nullptr;
}

void CMainFrame::CloseModelessDialogs() {
    for (CDialog** dialog : {&m_pCaptureSettingsDlg, &m_pFilterSettingsDlg, &m_pFindDlg, &m_pGoToDlg}) {
        if (*dialog && (*dialog)->m_hWnd) ::SendMessageW((*dialog)->m_hWnd, WM_COMMAND, IDCANCEL, 0);
        *dialog = nullptr;
    }
}

// ---- Closing and destruction

void CMainFrame::OnClose() {
    CCaptureDriver& driver = GetCaptureDriver();
    driver.StopCapture();
    if (CCaptureLog* log = GetActiveLog()) {
        bool keep = false;
        {
            BusyScope busy(*this);
            keep = !log->SaveModified();
        }
        if (keep) return;
        log->Close();
    }
    CloseModelessDialogs();
    driver.Disconnect();
    KeepWindowPlacement();
    CFrameWndEx::OnClose();
}

void CMainFrame::KeepWindowPlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement)) GetPreferences().SetMainWindowPlacement(&placement);
}

bool CMainFrame::OnQueryEndSession() {
    CCaptureLog* log = GetActiveLog();
    if (!log || !log->IsModified()) return true;
    // A capture is saved whole or not at all: it stops before the question.
    GetCaptureDriver().StopCapture();
    ::DragAcceptFiles(m_hWnd, TRUE);
    BusyScope busy(*this);
    return log->SaveModified() != FALSE;
}

void CMainFrame::OnEndSession(bool ending) {
    if (!ending) return;
    // The system may end the process as soon as this returns: everything a
    // close writes is written now. The windows stay as they are.
    CCaptureDriver& driver = GetCaptureDriver();
    driver.StopCapture();
    CloseModelessDialogs();
    KeepWindowPlacement();
    if (m_screenSets[0]) WriteScreenSets();
    m_wndReBar.SaveState(kReBarSection);
    if (m_wndCaptureList.m_hWnd) m_wndCaptureList.SaveColumnState();
    if (g_recentFiles) g_recentFiles->Save();
    GetPreferences().Save();
    driver.Disconnect();
}

void CMainFrame::WriteScreenSets() {
    m_dockManager.SnapshotLayout(m_screenSets[m_nScreenSet].get());
    for (int i = 0; i < kScreenSetCount; ++i) {
        RegKeyHolder key(OpenAppRegSection(kScreenSetsSection));
        wchar_t name[16];
        ScreenSetValueName(i, name);
        if (m_screenSets[i]) SaveLayoutToRegistry(*m_screenSets[i], key.get(), name);
    }
}

void CMainFrame::SaveScreenSets() {
    WriteScreenSets();
    for (auto& set : m_screenSets) set.reset();
}

void CMainFrame::OnDestroy() {
    if (m_screenSets[0]) SaveScreenSets();
    for (int id : kPaneIconOrder) {
        CDP* pane = m_dockManager.FindPane(static_cast<BYTE>(id));
        if (pane && CDPManager::HostWindow(pane)) m_dockManager.DetachHostWindow(pane);
    }
    m_dockManager.ResetLayout();

    SetMenu(nullptr);
    m_wndMenuBar.SetMenu(nullptr);
    m_menu.DestroyMenu();

    m_wndReBar.SaveState(kReBarSection);
    m_wndToolBar.DestroyWindow();
    m_wndStatusBar.DestroyWindow();

    m_wndDeviceStack.Clear();
    m_wndDeviceTree.ClearTree();
    m_wndDeviceTree.DestroyWindow();
    m_wndDeviceStack.DestroyWindow();
    m_wndUsbProp.DestroyWindow();
    m_wndPnpProp.DestroyWindow();

    if (m_hDeviceNotify) {
        ::UnregisterDeviceNotification(m_hDeviceNotify);
        m_hDeviceNotify = nullptr;
    }
    if (m_hHubNotify) {
        ::UnregisterDeviceNotification(m_hHubNotify);
        m_hHubNotify = nullptr;
    }

    ListNotifyTarget().SetWindow(nullptr);
    m_wndRequestSummary.DestroyWindow();
    m_wndIrpDetails.DeleteAllItems();
    m_wndUrbDetails.DeleteAllItems();
    m_wndRawData.Destroy();
    if (auto* sites = dynamic_cast<CCustomOccManager*>(AfxGetOccManager())) sites->SetContextMenuRouter(nullptr);
    m_wndDataAnalysis.DestroyWindows();
    if (CCaptureLog* log = GetActiveLog(); log && log->GetHIDDataHash() == &m_hidReports) log->SetHIDDataHash(nullptr);

    if (g_recentFiles) {
        SetRecentFileHook(nullptr);
        g_recentFiles->Save();
        delete g_recentFiles;
        g_recentFiles = nullptr;
    }
}

// ---- Messages

bool CMainFrame::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (OnFrameMessage(msg, wp, lp, result)) return true;
    switch (msg) {
    case WM_CREATE:
        CFrameWndEx::OnWndMsg(msg, wp, lp, result);
        if (result != -1) result = OnCreate();
        return true;
    case WM_CLOSE:
        OnClose();
        result = 0;
        return true;
    case WM_QUERYENDSESSION:
        result = OnQueryEndSession() ? TRUE : FALSE;
        return true;
    case WM_ENDSESSION:
        OnEndSession(wp != FALSE);
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize.x = 400;
        info->ptMinTrackSize.y = 200;
        break;
    }
    case WM_SIZE:
        CFrameWndEx::OnWndMsg(msg, wp, lp, result);
        if (m_wndToolBar.m_hWnd) {
            if (HWND rebar = ::GetParent(m_wndToolBar.m_hWnd)) ::InvalidateRect(rebar, nullptr, TRUE);
        }
        return true;
    case DP_NOTIFY:
        if (wp == DPN_SHOW_PANE) {
            result = AttachPaneWindow(reinterpret_cast<CDP*>(lp));
            return true;
        }
        break;
    }
    return CFrameWndEx::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
