// A message target that posts to a window (PostMessageW). The window may be
// set on the user-interface thread while the capture reader thread posts.
#pragma once
#include <windows.h>

#include <atomic>

#include "capture/MessageTarget.h"

namespace brx {

class CWindowMessageTarget final : public IMessageTarget {
public:
    explicit CWindowMessageTarget(HWND window = nullptr) : window_(window) {}
    void SetWindow(HWND window) { window_.store(window); }
    HWND GetWindow() const { return window_.load(); }
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        HWND window = window_.load();
        return window && PostMessageW(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }

private:
    std::atomic<HWND> window_;
};

} // namespace brx
