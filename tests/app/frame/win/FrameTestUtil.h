// Shared pieces of the frame window tests: a host frame with the main
// toolbar in a rebar and the main status bar, and runs of modal dialogs
// driven from the idle pass of their own loop.
#pragma once
#include <windows.h>

#include <functional>

#include "app/frame/win/MainToolBar.h"
#include "app/frame/win/StatusBars.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "tests/framework/TestApp.h"
#include "toolkit/bars/win/SizableReBar.h"

namespace brx::test {

class CHostFrame : public CFrameWnd {
public:
    CHostFrame() { m_bAutoDelete = false; }
    ~CHostFrame() override;
    CSizableReBar rebar;
    CToolBarMain toolbar;
    CStatusBarEx status;

    // Frame, rebar, toolbar and status bar as the main frame makes them; the
    // frame becomes the application's main window.
    bool Build(const RECT& rect);
    // Every command enabled, so that the bar shows its buttons as a user sees them.
    bool OnUpdateCommand(CCmdUI& ui) override;
};

// Runs dialog.DoModal(); once the dialog's window exists, step runs from the
// idle pass (again on every idle pass while it returns false). Returns the
// modal result.
INT_PTR RunModal(CDialog& dialog, const std::function<bool()>& step);

// Sends a key press (down and up) to the focused window through the message
// loop, as the keyboard would.
void PostKey(UINT key);

} // namespace brx::test
