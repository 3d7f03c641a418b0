#include "app/main/win/App.h"

#include <htmlhelp.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/frame/win/TipDlg.h"
#include "app/main/win/MainFrame.h"
#include "app/res/resource.h"
#include "capture/HidTables.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/Prompts.h"
#include "framework/SystemLibrary.h"
#include "toolkit/html/HtmlHost.h"

namespace brx {

const char kInstanceMutexName[] = "Local\\{af9e56d0-5f23-488a-8bcf-c697f0f7cceb}";
const char kFirstInstanceMutexName[] = "Local\\{8c1d28df-71dc-4caf-b18c-584f705e4c97}";
const wchar_t kMainWindowClassName[] = L"Brindlex";
const wchar_t kProductName[] = L"Brindlex";
const wchar_t kVersionText[] = L"2.2 Build 100";
const wchar_t kCrashReporterLibrary[] = L"CrashRpt.dll";
const char kFatalLogManagerText[] = "Fatal error: Failed to create log manager.\nThe application exits.";

const char* CApp::s_supportEmail = "";
const char* CApp::s_privacyPolicyUrl = "";

namespace {

const wchar_t kCaptureFileFilter[] = L"Brindlex Capture Files (*.bdx);*.bdx;All Files (*.*);*.*;";
const wchar_t kCaptureFileExtension[] = L"bdx";
const wchar_t kCaptureFileProgId[] = L"Brindlex.Document";
const wchar_t kCaptureFileTypeName[] = L"Brindlex Capture File";

// The help commands.
constexpr UINT kIdHelpIndex = 57666;
constexpr UINT kIdHelpFinder = 57667;
constexpr UINT kIdHelpUsing = 57668;
constexpr UINT kIdContextHelp = 57669;
constexpr UINT kIdHelp = 57670;
constexpr UINT kIdDefaultHelp = 57671;

HWND g_mainWindow = nullptr;
HMODULE g_crashReporter = nullptr;

bool SystemIsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32");
    auto fn = kernel ? reinterpret_cast<IsWow64ProcessFn>(
                           reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")))
                     : nullptr;
    BOOL wow64 = FALSE;
    return fn && fn(::GetCurrentProcess(), &wow64) && wow64;
}

Wow64Query g_wow64Query = nullptr;

HWND SystemHtmlHelp(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    return ::HtmlHelpW(caller, file, command, data);
}

HtmlHelpCall g_htmlHelp = nullptr;

HWND CallHtmlHelp(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
    return (g_htmlHelp ? g_htmlHelp : SystemHtmlHelp)(caller, file, command, data);
}

// The crash-reporting library's install record (its 32-bit form is 104 bytes).
struct CrashInstallInfo {
    DWORD size;
    const char* appName;
    const char* appVersion;
    const char* emailTo;
    const char* emailSubject;
    const char* serverUrl;
    const char* senderPath;
    BOOL(CALLBACK* crashCallback)(void* state);
    UINT priorities[5];
    DWORD flags;
    const char* privacyPolicyUrl;
    const char* debugHelpDll;
    DWORD miniDumpType;
    const char* reportSaveDir;
    const char* restartCommandLine;
    const char* languageFile;
    const char* emailText;
    const char* smtpProxy;
    const char* senderIcon;
    const char* smtpLogin;
    const char* smtpPassword;
    int restartTimeout;
};
#ifndef _WIN64
static_assert(sizeof(CrashInstallInfo) == 104, "the library's install record");
#endif

enum : UINT { kPriorityHttp = 0, kPrioritySmtp = 1, kPrioritySimpleMapi = 2 };
constexpr DWORD kCrashFlags = 0x11FFF; // every exception handler, and restart

BOOL CALLBACK CrashCallback(void* state) {
    using Entry = int(WINAPI*)(void*, int);
    if (g_crashReporter) {
        auto entry = reinterpret_cast<Entry>(
            reinterpret_cast<void*>(::GetProcAddress(g_crashReporter, MAKEINTRESOURCEA(2))));
        if (entry) entry(state, 0);
    }
    return TRUE;
}

// The cache of HID report descriptors the active log's decoders read through.
CHIDDeviceDataHash& HidDataCache() {
    static CHIDDeviceDataHash cache;
    return cache;
}

} // namespace

bool IsWow64ProcessNow() { return (g_wow64Query ? g_wow64Query : SystemIsWow64)(); }

Wow64Query SetWow64Query(Wow64Query query) {
    Wow64Query previous = g_wow64Query;
    g_wow64Query = query;
    return previous;
}

HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call) {
    HtmlHelpCall previous = g_htmlHelp;
    g_htmlHelp = call;
    return previous;
}

bool TranslateWinHelpCommand(UINT winHelpCommand, UINT& htmlHelpCommand) {
    struct Row {
        UINT winHelp;
        UINT htmlHelp;
    };
    static constexpr Row kRows[] = {
        {HELP_CONTENTS, HH_DISPLAY_TOC},     {HELP_FINDER, HH_DISPLAY_TOC},
        {HELP_PARTIALKEY, HH_DISPLAY_INDEX}, // HELP_INDEX is HELP_CONTENTS
        {HELP_KEY, HH_DISPLAY_INDEX},        {HELP_CONTEXT, HH_HELP_CONTEXT},
        {HELP_CONTEXTPOPUP, HH_HELP_CONTEXT}, {HELP_QUIT, HH_CLOSE_ALL},
    };
    for (const Row& row : kRows) {
        if (row.winHelp == winHelpCommand) {
            htmlHelpCommand = row.htmlHelp;
            return true;
        }
    }
    return false;
}

int TakeFirstInstanceMutex(bool wow64, HANDLE& mutex) {
    mutex = nullptr;
    if (wow64) return 0;
    ::SetLastError(ERROR_SUCCESS);
    mutex = ::CreateMutexA(nullptr, TRUE, kFirstInstanceMutexName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex) ::CloseHandle(mutex);
        mutex = nullptr;
        return 0;
    }
    return mutex ? 1 : 0;
}

CApp* GetApp() { return dynamic_cast<CApp*>(AfxGetApp()); }

int AppIsFirstInstance() {
    CApp* app = GetApp();
    return app ? app->IsFirstInstance() : 1;
}

HWND AppMainWindow() { return g_mainWindow; }

CApp::CApp() : CWinAppEx(nullptr) {}

CApp::~CApp() = default;

CMainFrame* CApp::MainFrame() const { return dynamic_cast<CMainFrame*>(m_pMainWnd); }

BOOL CApp::InitInstance() {
    // Libraries loaded by name later (by the system too) never come from the
    // current folder.
    RemoveCurrentFolderFromLibrarySearch();
    InstallCrashReporter();
    ::CreateMutexA(nullptr, FALSE, kInstanceMutexName); // lives as long as the process

    m_bFirstInstance = TakeFirstInstanceMutex(IsWow64ProcessNow(), m_hFirstInstanceMutex);

    // OLE once for the program's UI thread, before any window hosts a control
    // or a rich edit takes an object.
    m_bOleInitialized = AfxOleInit();
    m_pOccManager = std::make_unique<CCustomOccManager>();
    CCustomOccManager::WriteBrowserSettings();
    m_pExternalDispatch = std::make_unique<CImpIDispatch>();
    m_pOccManager->SetExternalDispatch(m_pExternalDispatch.get());
    AfxEnableControlContainer(m_pOccManager.get());

    GetPreferences().Load();
    if (!RegisterMainWindowClass()) return FALSE;

    CCommandLineInfo info;
    ReadCommandLine(info);

    if (!GetLogManager()) CreateLogManager();
    if (!GetLogManager()) {
        Prompts().MessageBoxA(nullptr, kFatalLogManagerText, nullptr, MB_ICONERROR);
        return FALSE;
    }

    auto* frame = new (std::nothrow) CMainFrame();
    if (!frame) return FALSE;
    if (!frame->m_hWnd || !::IsWindow(frame->m_hWnd)) {
        // The window was not created: nothing would ever end the program.
        delete frame;
        return FALSE;
    }
    m_pMainWnd = frame;
    // The browser panes' context menus go to the frame, which knows the panes.
    m_pOccManager->SetContextMenuRouter([frame](POINT pt, IUnknown* target, bool textSelected) {
        return frame->OnBrowserContextMenu(pt, target, textSelected);
    });

    g_mainWindow = frame->m_hWnd;
    SetAppMainWindow(g_mainWindow); // the owner of the program's message boxes
    ::ShowWindow(g_mainWindow, static_cast<int>(GetPreferences().GetMainWindowShowCmd()));
    ::UpdateWindow(g_mainWindow);
    ::DragAcceptFiles(g_mainWindow, TRUE);

    OpenStartupLog(info);

    if (CCaptureLog* log = GetActiveLog()) {
        HidDataCache().SetRDHash(&log->GetRDHash());
        log->SetHIDDataHash(&HidDataCache());
    }

    {
        CTipDlg tip(g_mainWindow);
        if (tip.m_bStartup) tip.DoModal();
    }

    return TRUE;
}

void CApp::CreateLogManager() {
    auto* manager = new (std::nothrow) CLogManager();
    if (!manager) return;
    auto* logTemplate = new (std::nothrow) CLogTemplate();
    if (!logTemplate) {
        delete manager;
        return;
    }
    logTemplate->SetStrings(kCaptureFileFilter, kCaptureFileExtension, kCaptureFileProgId, kCaptureFileTypeName);
    manager->SetTemplate(logTemplate);
}

void CApp::OpenStartupLog(const CCommandLineInfo& info) {
    CLogManager* manager = GetLogManager();
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        manager->NewLog();
        if (CCaptureLog* log = GetActiveLog()) log->SetWrapMode(0);
        break;
    case CCommandLineInfo::FileOpen: {
        manager->OpenLogPrompt(info.m_strFileName.c_str());
        CCaptureLog* log = GetActiveLog();
        if (!log || log->GetPathName().empty()) manager->NewLog();
        break;
    }
    default:
        manager->NewLog();
        break;
    }
}

int CApp::ExitInstance() {
    GetPreferences().Save();
    delete GetLogManager();
    if (m_hFirstInstanceMutex) {
        ::CloseHandle(m_hFirstInstanceMutex);
        m_hFirstInstanceMutex = nullptr;
    }
    int result = CWinAppEx::ExitInstance();
    UninstallCrashReporter();
    if (m_bOleInitialized) ::OleUninitialize();
    m_bOleInitialized = false;
    g_mainWindow = nullptr;
    SetAppMainWindow(nullptr);
    return result;
}

BOOL CApp::InstallCrashReporter() {
    // From the program's folder only: a library of that name in the current
    // folder (beside a capture file opened from there) is never run.
    g_crashReporter = LoadProgramLibrary(kCrashReporterLibrary);
    if (!g_crashReporter) return FALSE;
    using InstallFn = int(WINAPI*)(CrashInstallInfo*);
    auto install = reinterpret_cast<InstallFn>(
        reinterpret_cast<void*>(::GetProcAddress(g_crashReporter, "crInstallA")));
    if (!install) return FALSE;

    char subject[128];
    std::snprintf(subject, sizeof subject, "Brindlex %ls Error Report", kVersionText);
    char version[32];
    std::snprintf(version, sizeof version, "%ls", kVersionText);
    CrashInstallInfo info{};
    info.size = sizeof info;
    info.appName = "Brindlex";
    info.appVersion = version;
    info.emailTo = s_supportEmail;
    info.emailSubject = subject;
    info.crashCallback = CrashCallback;
    info.priorities[kPriorityHttp] = 3;
    info.priorities[kPrioritySmtp] = 2;
    info.priorities[kPrioritySimpleMapi] = 1;
    info.flags = kCrashFlags;
    info.privacyPolicyUrl = s_privacyPolicyUrl;
    info.restartCommandLine = "/restart";
    if (install(&info) != 0) {
        using LastErrorFn = int(WINAPI*)(char*, UINT);
        auto lastError = reinterpret_cast<LastErrorFn>(
            reinterpret_cast<void*>(::GetProcAddress(g_crashReporter, "crGetLastErrorMsgA")));
        char text[512] = "";
        if (lastError) lastError(text, sizeof text);
        return FALSE;
    }
    return TRUE;
}

void CApp::UninstallCrashReporter() {
    if (!g_crashReporter) return;
    using UninstallFn = int(WINAPI*)();
    auto uninstall = reinterpret_cast<UninstallFn>(
        reinterpret_cast<void*>(::GetProcAddress(g_crashReporter, "crUninstall")));
    if (!uninstall) return;
    uninstall();
    ::FreeLibrary(g_crashReporter);
    g_crashReporter = nullptr;
}

BOOL CApp::RegisterMainWindowClass() {
    WNDCLASSW existing{};
    if (::GetClassInfoW(m_hInstance, kMainWindowClassName, &existing)) return TRUE;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = m_hInstance;
    wc.hIcon = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_MAINFRAME));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kMainWindowClassName;
    return ::RegisterClassW(&wc) != 0;
}

std::wstring CApp::HelpFilePath() const {
    std::wstring path = m_strProfileName; // the executable's path with ".INI"
    size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos) path.resize(dot);
    return path + L".chm";
}

void CApp::WinHelp(DWORD_PTR data, UINT command) {
    UINT htmlCommand = 0;
    if (!TranslateWinHelpCommand(command, htmlCommand)) return;
    CallHtmlHelp(g_mainWindow, HelpFilePath().c_str(), htmlCommand, data);
}

bool CApp::OnCommand(CCommand& cmd) {
    const std::wstring file = HelpFilePath();
    if (cmd.Is(kIdHelp) || cmd.Is(kIdContextHelp))
        return cmd.Run([&] { CallHtmlHelp(nullptr, file.c_str(), HH_DISPLAY_TOC, 0); });
    if (cmd.Is(kIdHelpIndex))
        return cmd.Run([&] { CallHtmlHelp(nullptr, file.c_str(), HH_DISPLAY_INDEX, 0); });
    if (cmd.Is(kIdHelpFinder) || cmd.Is(kIdDefaultHelp))
        return cmd.Run([&] {
            HH_FTS_QUERY query{};
            query.cbStruct = sizeof query;
            query.fUniCodeStrings = FALSE;
            query.pszSearchQuery = reinterpret_cast<LPCTSTR>("");
            query.iProximity = -1;
            query.fStemmedSearch = FALSE;
            query.fTitleOnly = FALSE;
            query.fExecute = TRUE;
            query.pszWindow = nullptr;
            CallHtmlHelp(nullptr, file.c_str(), HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query));
        });
    if (cmd.Is(kIdHelpUsing)) return cmd.Run([] {});
    return CWinAppEx::OnCommand(cmd);
}

} // namespace brx
