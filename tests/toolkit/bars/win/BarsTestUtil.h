// Shared pieces of the bar tests: the application object, pumping, child
// rectangles and screenshots of real windows.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Geometry.h"
#include "tests/WindowScreenshot.h"
#include "toolkit/bars/win/WinAppEx.h"

namespace brx::test {

CWinAppEx& App();
// Dispatches pending messages and runs the idle pass.
void Pump();
// Whether a window carries WS_VISIBLE, whatever its parents: the tests keep
// their frames hidden unless they look at the screen, since showing and
// hiding a top-level window is slow under Wine without a window manager.
inline bool HasVisibleStyle(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// Changes a system setting for this session only (not saved) and puts it
// back when it goes out of scope.
class ScopedSetting {
public:
    ScopedSetting(UINT get, UINT set, BOOL value) : m_set(set) {
        ::SystemParametersInfoW(get, 0, &m_old, 0);
        ::SystemParametersInfoW(set, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(value)), 0);
    }
    ~ScopedSetting() { ::SystemParametersInfoW(m_set, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(m_old)), 0); }
    ScopedSetting(const ScopedSetting&) = delete;
    ScopedSetting& operator=(const ScopedSetting&) = delete;

private:
    UINT m_set;
    BOOL m_old = FALSE;
};

// Runs open (which may start a modal loop of its own), while a thread timer
// runs the steps one per tick, also inside that loop; then pumps until every
// step ran or 5 seconds passed. With ready, the first step waits until it
// holds (what open shows is up), for 3 seconds at most, so that the ticks
// can be short.
void RunScenario(const std::function<void()>& open, std::vector<std::function<void()>> steps,
                 UINT intervalMs = 150, std::function<bool()> ready = {});
// The tick of scenarios whose first step waits for ready.
constexpr UINT kReadyTickMs = 50;
// Runs open, which starts a modal loop, and posts WM_QUIT with code from
// inside it after inLoop (which says whether the loop is open and may help
// it end, as a menu needs). Succeeds when the loop was open, ended, and the
// quit message waits for the caller's loop (taken out here). The quit is
// posted once ready holds (the loop's window is up), as RunScenario waits.
::testing::AssertionResult QuitEndsTheLoop(const std::function<void()>& open, const std::function<bool()>& inLoop,
                                           int code, std::function<bool()> ready);
// A key pressed and released through the input queue.
void Key(WORD vk);
// Saves a rectangle of a DC's pixels as a BMP in the test output folder.
bool SaveBitmap(HDC dc, int x, int y, int width, int height, const char* name);
// The same for a rectangle of the screen.
bool SaveScreenArea(const RECT& area, const char* name);

} // namespace brx::test
