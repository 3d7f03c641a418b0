// The program's one wait cursor: the hourglass for the lifetime of a
// CWaitCursor, on the user-interface thread. Every window of the framework
// keeps it while any CWaitCursor lives (IsWaiting, asked on WM_SETCURSOR), and
// the capture log shows it around file operations.
#pragma once
#include <windows.h>

namespace brx {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Sets the wait cursor again (after a message box changed it).
    void Restore();
    static bool IsWaiting();

private:
    HCURSOR previous_;
};

} // namespace brx
