// Messages from the capture core to a window (the fullness of the store, the
// progress of saving and opening, and later log changes) go through a message
// target with the shape of PostMessageW and SendMessageW: a window handle in
// the product, a recorder in tests.
#pragma once
#include <windows.h>

namespace brx {

// The store's fullness in percent (wParam 0-100, lParam 0), posted to the
// application's main window whenever it changes.
constexpr UINT WM_LOGFULLNESS = WM_USER + 4;
// The progress of saving or opening a capture file (wParam 1-100, 0 at the
// end), sent: the status bar shows it before the work goes on.
constexpr UINT WM_LOGPROGRESS = WM_USER + 1;

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // Posts the message to the target's window; FALSE when nothing was posted
    // (no window, or the system refused).
    virtual BOOL PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Sends the message and returns the window's answer; 0 when there is no
    // window (a target that takes only posted messages sends nothing).
    virtual LRESULT SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
};

// The application's main window (capture/win/AppMessageBox.h), taken at every
// post: nothing is posted while there is none.
IMessageTarget& MainWindowTarget();

} // namespace brx
