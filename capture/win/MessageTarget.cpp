#include "capture/win/MessageTarget.h"

#include <windows.h>

#include "capture/win/AppMessageBox.h"

namespace brx {

namespace {

class CMainWindowTarget final : public IMessageTarget {
public:
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        HWND window = GetAppMainWindow();
        return window && ::PostMessageW(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        HWND window = GetAppMainWindow();
        return window ? ::SendMessageW(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)) : 0;
    }
};

} // namespace

IMessageTarget& MainWindowTarget() {
    static CMainWindowTarget target;
    return target;
}

} // namespace brx
