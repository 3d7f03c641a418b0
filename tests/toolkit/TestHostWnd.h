// A visible top-level window of our own that hosts the controls under test.
// One window of each host class serves a whole test program: under Wine
// without a window manager, destroying a visible top-level window waits for
// the X server for up to two seconds, so the tests keep their host and
// destroy only their controls.
#pragma once
#include <windows.h>

#include "framework/Wnd.h"

namespace brx::test {

class CTestHostWnd : public CWnd {
public:
    bool Create(const RECT& rect, const wchar_t* title = L"controls") {
        return CreateEx(0, RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE)),
                        title, WS_POPUP | WS_VISIBLE, rect, nullptr, 0) != FALSE;
    }
};

// The program's host of class T, moved to the rectangle (its window is null
// when it cannot be made).
template <class T = CTestHostWnd>
T* SharedHost(const RECT& rect) {
    static T host;
    if (!host.m_hWnd) host.Create(rect);
    if (host.m_hWnd)
        ::SetWindowPos(host, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_SHOWWINDOW);
    return &host;
}

} // namespace brx::test
