// What a window shows on the screen (its whole window rectangle), saved as a
// 24-bit BMP: shared by the window tests, which keep their screenshots as
// test artefacts.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/Geometry.h"

namespace brx::test {

// Wine copies what windows draw to the X server lazily, at most every 50 ms
// and from inside its message calls: a screen read right after a paint can
// miss it. Wait, then let a message call flush.
inline void FlushToScreen() {
    ::GdiFlush();
    ::Sleep(60);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

inline bool SaveWindowBmp(HWND hwnd, const std::string& path) {
    FlushToScreen();
    RECT rc{};
    if (!::GetWindowRect(hwnd, &rc)) return false;
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height; // bottom-up, as the file stores it
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = dib && bits;
    if (ok) {
        HGDIOBJ old = ::SelectObject(memory, dib);
        ok = ::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY) != 0;
        ::SelectObject(memory, old);
        ::GdiFlush();
    }
    if (ok) {
        size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(bmi.bmiHeader);
        file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * static_cast<size_t>(height));
        FILE* f = std::fopen(path.c_str(), "wb");
        ok = f != nullptr;
        if (f) {
            std::fwrite(&file, sizeof(file), 1, f);
            std::fwrite(&bmi.bmiHeader, sizeof(bmi.bmiHeader), 1, f);
            std::fwrite(bits, stride * static_cast<size_t>(height), 1, f);
            ok = std::fclose(f) == 0;
        }
    }
    if (dib) ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

// A child window's rectangle in its parent's client coordinates.
inline CRect ChildRect(HWND child) {
    CRect rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Saves what a window shows on the screen as a 24-bit BMP in the test output
// folder; false when it cannot.
inline bool SaveScreenshot(HWND hwnd, const char* name) {
    return SaveWindowBmp(hwnd, std::string(BRX_TEST_OUTPUT_DIR) + "/" + name);
}

} // namespace brx::test
