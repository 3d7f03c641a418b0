// The application object: start-up and exit, the message loop with its
// pre-translation chain and idle pass, and the profile of the application
// (a private INI file named after the executable).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/CmdTarget.h"
#include "framework/pure/CommandLine.h"

namespace brx {

class CWnd;
class CFrameWnd;

class CWinApp : public CCmdTarget {
public:
    // One application object per process; appName null takes the executable's
    // base name.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    std::wstring m_strAppName;
    // The profile file: the executable's path with the extension ".INI".
    std::wstring m_strProfileName;
    // The main window; when it is destroyed the message loop ends.
    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    MSG m_msgCur{};

    virtual BOOL InitInstance() { return TRUE; }
    // Returns the exit code (the WM_QUIT code unless overridden).
    virtual int ExitInstance() { return m_nExitCode; }
    // The message loop until WM_QUIT; then ExitInstance.
    virtual int Run();
    // The pre-translation chain: from the message's window up to its top-level
    // window (accelerators of frames, IsDialogMessage of dialogs, tooltips),
    // then the main window for messages of other top-level windows.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Idle work; count 0 is the first call after messages. Returns true while
    // more idle work remains. The pass updates every frame and its descendants
    // (WM_IDLEUPDATECMDUI) and runs pending delayed layouts.
    virtual BOOL OnIdle(LONG count);
    // Whether a message ends an idle period (paint, timers and unmoved mouse
    // messages do not).
    virtual bool IsIdleMessage(const MSG& msg);

    // Reads the process's command line (GetCommandLineW) into info.
    void ParseCommandLine(CCommandLineInfo& info) const;

    // Takes one message (waiting for it), pre-translates and dispatches it.
    // False on WM_QUIT.
    bool PumpMessage();
    // For tests: dispatches every pending message, then runs the idle pass to
    // its end, until no message is left. False when WM_QUIT arrived (it is
    // posted again for the caller).
    bool PumpUntilIdle();

    // Profile functions.
    UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    bool WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const;
    std::wstring GetProfileString(const wchar_t* section, const wchar_t* entry,
                                  const wchar_t* defaultValue = L"") const;
    // A null value deletes the entry.
    bool WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const;
    // Binary values are kept as text, two letters per byte, low nibble first,
    // each letter "A" plus the nibble. A value that is not such text is absent.
    bool GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<uint8_t>& data) const;
    bool WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const void* data, size_t size) const;

    // The frames of this thread (the idle pass visits them).
    static void AddFrame(CFrameWnd* frame);
    static void RemoveFrame(CFrameWnd* frame);
    static std::vector<CFrameWnd*> Frames();

protected:
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
// Runs the application object: InitInstance, then Run (or ExitInstance when
// InitInstance fails). The program's WinMain calls it.
int AfxWinMain(HINSTANCE instance, int cmdShow);

// Encodes and decodes the profile's text form of binary values.
std::wstring EncodeProfileBinary(const void* data, size_t size);
bool DecodeProfileBinary(const std::wstring& text, std::vector<uint8_t>& data);

} // namespace brx
