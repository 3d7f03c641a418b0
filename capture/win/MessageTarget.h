// Messages from the capture core to a window (the fullness of the store, and
// later progress and log changes) go through a message target with the shape
// of PostMessageW: a window handle in the product, a recorder in tests.
#pragma once
#include <windows.h>

namespace brx {

// The store's fullness in percent (wParam 0-100, lParam 0), posted to the
// application's main window whenever it changes.
constexpr UINT WM_LOGFULLNESS = WM_USER + 4;

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // Posts the message to the target's window; FALSE when nothing was posted
    // (no window, or the system refused).
    virtual BOOL PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// The application's main window (capture/win/AppMessageBox.h), taken at every
// post: nothing is posted while there is none.
IMessageTarget& MainWindowTarget();

} // namespace brx
