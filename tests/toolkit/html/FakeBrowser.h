// An in-process stand-in for the web browser control (Wine has no browser
// engine): it answers Navigate2, Document and RegisterAsDropTarget by DISPID,
// its document takes HTML through IPersistStreamInit, and it records what
// its site answered when it was set. Like the browser, it fires its events
// through a connection point for DWebBrowserEvents2: BeforeNavigate2 inside
// Navigate2, DocumentComplete later, from the message loop (a thread timer).
// In place it makes a child window of its own (the "browser window"), tells
// the frame its in-place active object, and records the keys and commands
// that reach it.
#pragma once
#include <windows.h>
#include <ole2.h>

#include "tests/FakeOleObject.h"

#include <string>
#include <vector>

namespace brx::test {

// {5B7E3A10-2C44-4F6B-9E1D-7A3C2B1F0E55}
extern const CLSID CLSID_FakeBrowser;

struct FakeBrowserLog {
    std::vector<std::wstring> navigations;
    std::vector<bool> dropTarget;
    int initNew = 0;
    std::string loaded;         // the bytes the document read (its last load)
    HRESULT initNewAnswer = S_OK;
    bool hostHandler = false;   // the site answered IDocHostUIHandler
    DWORD hostFlags = 0;
    std::wstring optionKey;
    IDispatch* external = nullptr;
    IDispatch* browser = nullptr;  // the last browser made (its IDispatch; not counted)
    IDispatch* document = nullptr; // its document
    int advised = 0;               // event sinks connected now
    int documentCompletes = 0;     // DocumentComplete events fired
    int beforeNavigates = 0;
    HWND window = nullptr;         // the browser window of the last browser made
    std::vector<WPARAM> keys;      // WM_KEYDOWN keys its active object was offered
    std::vector<WPARAM> commands;  // WM_COMMAND ids its window received
    std::wstring bodyText;         // document.body.innerText (set by the test; the loaded page when empty)
};
FakeBrowserLog& Browser();

class CFakeBrowserRegistration : public CClassRegistration {
public:
    CFakeBrowserRegistration();
};

} // namespace brx::test
