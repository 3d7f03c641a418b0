// Shared pieces of the bar tests: the application object, pumping, child
// rectangles and screenshots of real windows.
#pragma once
#include <windows.h>

#include "framework/Geometry.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx::test {

CWinAppEx& App();
// Dispatches pending messages and runs the idle pass.
void Pump();
// A child window's rectangle in its parent's client coordinates.
CRect ChildRect(HWND child);
// Saves what a window shows on the screen as a 24-bit BMP in the test output
// folder; false when it cannot.
bool SaveScreenshot(HWND hwnd, const char* name);

} // namespace brx::test
