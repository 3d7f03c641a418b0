// A visible top-level window of our own that hosts the controls under test.
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

} // namespace brx::test
