#include "tests/toolkit/bars/win/BarsTestUtil.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/WindowScreenshot.h"

namespace brx::test {

namespace {
CWinAppEx g_app(L"BrindlexBarsTest");
} // namespace

CWinAppEx& App() { return g_app; }

void Pump() { g_app.PumpUntilIdle(); }



namespace {
std::vector<std::function<void()>> g_steps;
size_t g_step = 0;
std::function<bool()> g_ready;
DWORD g_readyUntil = 0;
void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_step == 0 && g_ready && !g_ready() && ::GetTickCount() < g_readyUntil) return;
    if (g_step < g_steps.size()) g_steps[g_step++]();
}
} // namespace

void RunScenario(const std::function<void()>& open, std::vector<std::function<void()>> steps, UINT intervalMs,
                 std::function<bool()> ready) {
    g_steps = std::move(steps);
    g_step = 0;
    g_ready = std::move(ready);
    g_readyUntil = ::GetTickCount() + 3000;
    UINT_PTR timer = ::SetTimer(nullptr, 0, intervalMs, RunStep);
    open();
    DWORD until = ::GetTickCount() + 5000;
    while (g_step < g_steps.size() && ::GetTickCount() < until) {
        Pump();
        ::Sleep(10);
    }
    ::KillTimer(nullptr, timer);
    g_steps.clear();
    g_ready = nullptr;
}

bool SaveBitmap(HDC dc, int x, int y, int width, int height, const char* name) {
    // Through a window-less copy: blit into a screen-sized DIB the screenshot
    // helper can write.
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP copy = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, copy);
    ::BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<BYTE> bits(stride * static_cast<size_t>(height));
    bool ok = ::GetDIBits(memory, copy, 0, static_cast<UINT>(height), bits.data(), &bmi, DIB_RGB_COLORS) == height;
    ::DeleteObject(copy);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!ok) return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(bmi.bmiHeader);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + bits.size());
    FILE* f = std::fopen((std::string(BRX_TEST_OUTPUT_DIR) + "/" + name).c_str(), "wb");
    if (!f) return false;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&bmi.bmiHeader, sizeof(bmi.bmiHeader), 1, f);
    std::fwrite(bits.data(), bits.size(), 1, f);
    return std::fclose(f) == 0;
}

bool SaveScreenArea(const RECT& area, const char* name) {
    FlushToScreen();
    HDC screen = ::GetDC(nullptr);
    bool ok = SaveBitmap(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, name);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

::testing::AssertionResult QuitEndsTheLoop(const std::function<void()>& open, const std::function<bool()>& inLoop,
                                           int code, std::function<bool()> ready) {
    bool wasOpen = false;
    RunScenario(open, {[&] {
                    ::PostQuitMessage(code);
                    wasOpen = inLoop();
                }},
                kReadyTickMs, std::move(ready));
    if (!wasOpen) return ::testing::AssertionFailure() << "the loop was not open";
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return ::testing::AssertionFailure() << "WM_QUIT did not reach the caller";
    if (msg.wParam != static_cast<WPARAM>(code)) return ::testing::AssertionFailure() << "exit code " << msg.wParam;
    return ::testing::AssertionSuccess();
}

void Key(WORD vk) {
    ::keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
    ::keybd_event(static_cast<BYTE>(vk), 0, KEYEVENTF_KEYUP, 0);
}

} // namespace brx::test
