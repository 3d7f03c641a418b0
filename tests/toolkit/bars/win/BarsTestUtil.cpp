#include "tests/toolkit/bars/win/BarsTestUtil.h"

#include <commctrl.h>

#include <string>

#include "tests/WindowScreenshot.h"

namespace brx::test {

namespace {
CWinAppEx g_app(L"BrindlexBarsTest");
} // namespace

CWinAppEx& App() { return g_app; }

void Pump() { g_app.PumpUntilIdle(); }

CRect ChildRect(HWND child) {
    CRect rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool SaveScreenshot(HWND hwnd, const char* name) {
    return SaveWindowBmp(hwnd, std::string(BRX_TEST_OUTPUT_DIR) + "/" + name);
}

} // namespace brx::test
