// The application object: decides whether this process is the first instance
// (only the first one talks to the capture driver), installs crash reporting,
// prepares control containment for the HTML panes, loads the preferences,
// creates the log manager and the main frame, opens the file named on the
// command line (or starts an empty log) and shows the tip of the day. At exit
// it writes the preferences and lets everything go again. It also carries the
// help commands, which go to HTML Help.
#pragma once
#include <windows.h>

#include <memory>

#include "toolkit/bars/win/WinAppEx.h"

namespace brx {

class CCustomOccManager;
class CImpIDispatch;
class CMainFrame;

// Names and texts of start-up.
extern const char kInstanceMutexName[];
extern const char kFirstInstanceMutexName[];
extern const wchar_t kMainWindowClassName[];
extern const wchar_t kProductName[];
extern const wchar_t kVersionText[];
extern const char kFatalLogManagerText[];
// The crash-reporting library, loaded from the program's folder.
extern const wchar_t kCrashReporterLibrary[];

// Whether this process is a 32-bit one on a 64-bit system. Tests replace the
// question; null restores the system's (IsWow64Process, looked up at run
// time; a missing function counts as no).
using Wow64Query = bool (*)();
bool IsWow64ProcessNow();
Wow64Query SetWow64Query(Wow64Query query);

// HTML Help, with the shape of HtmlHelpW. Tests record the calls; null
// restores the system's.
using HtmlHelpCall = HWND (*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call);

// The HTML Help command a WinHelp command means (HELP_CONTENTS gives
// HH_DISPLAY_TOC, HELP_CONTEXT gives HH_HELP_CONTEXT, ...); false for a
// command without an HTML Help counterpart.
bool TranslateWinHelpCommand(UINT winHelpCommand, UINT& htmlHelpCommand);

// Takes the first-instance mutex: 1 and the owned handle when this process is
// the first instance, 0 and a null handle when another process holds it or
// the process runs under WOW64 (the mutex is then not created at all).
int TakeFirstInstanceMutex(bool wow64, HANDLE& mutex);

class CApp : public CWinAppEx {
public:
    CApp();
    ~CApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    int IsFirstInstance() const { return m_bFirstInstance; }
    CImpIDispatch* GetExternalDispatch() const { return m_pExternalDispatch.get(); }

    BOOL InstallCrashReporter();
    void UninstallCrashReporter();
    BOOL RegisterMainWindowClass();

    // Hands a WinHelp request to HTML Help, with the command translated.
    virtual void WinHelp(DWORD_PTR data, UINT command);
    // The help file: the executable's path with the extension ".chm".
    std::wstring HelpFilePath() const;

    bool OnCommand(CCommand& cmd) override;

    CMainFrame* MainFrame() const;

    // Where the crash report goes (deployment values; empty by default).
    static const char* s_supportEmail;
    static const char* s_privacyPolicyUrl;

protected:
    // The command line start-up reads (the process's own).
    virtual void ReadCommandLine(CCommandLineInfo& info) { ParseCommandLine(info); }
    // Creates the program's log manager with the capture-file type; leaves
    // none when either cannot be allocated.
    virtual void CreateLogManager();

private:
    void OpenStartupLog(const CCommandLineInfo& info);

    std::unique_ptr<CCustomOccManager> m_pOccManager;
    bool m_bOleInitialized = false;
    std::unique_ptr<CImpIDispatch> m_pExternalDispatch;
    HANDLE m_hFirstInstanceMutex = nullptr;
    int m_bFirstInstance = 0;
};

// The application object when it is a CApp, else null.
CApp* GetApp();
// Whether this process may talk to the capture driver: the application's
// first-instance flag; 1 when the application object is not a CApp (tests
// that build frames without the program's start-up).
int AppIsFirstInstance();
// The main window's handle, kept by start-up (null before).
HWND AppMainWindow();

} // namespace brx
