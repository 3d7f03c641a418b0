#include "capture/win/MessageTarget.h"

#include "capture/win/AppMessageBox.h"

namespace brx {

namespace {

class CMainWindowTarget final : public IMessageTarget {
public:
    BOOL PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) override {
        HWND window = GetAppMainWindow();
        return window ? ::PostMessageW(window, message, wParam, lParam) : FALSE;
    }
    LRESULT SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) override {
        HWND window = GetAppMainWindow();
        return window ? ::SendMessageW(window, message, wParam, lParam) : 0;
    }
};

} // namespace

IMessageTarget& MainWindowTarget() {
    static CMainWindowTarget target;
    return target;
}

} // namespace brx
