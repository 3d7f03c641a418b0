#include "capture/win/AppMessageBox.h"

#include "capture/Product.h"
#include "capture/win/Prompts.h"

namespace brx {

namespace {

HWND g_mainWindow = nullptr;

// Gives the keyboard focus back to the window that had it, when it still
// exists.
class FocusKeeper {
public:
    FocusKeeper() : focus_(GetFocus()) {}
    ~FocusKeeper() {
        if (focus_ && IsWindow(focus_))
            SetFocus(focus_);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    HWND focus_;
};

HWND Owner() { return g_mainWindow && IsWindow(g_mainWindow) ? g_mainWindow : nullptr; }

} // namespace

void SetAppMainWindow(HWND window) { g_mainWindow = window; }
HWND GetAppMainWindow() { return g_mainWindow; }

int AppMessageBox(const wchar_t* text, const wchar_t* caption, UINT style) {
    FocusKeeper keeper;
    return Prompts().MessageBoxW(Owner(), text ? text : L"", caption ? caption : reinterpret_cast<const wchar_t*>(GetProductNameW()),
                                 style | MB_TASKMODAL);
}

int AppMessageBoxA(const char* text, const char* caption, UINT style) {
    FocusKeeper keeper;
    return Prompts().MessageBoxA(Owner(), text ? text : "", caption ? caption : GetProductNameA(),
                                 style | MB_TASKMODAL);
}

} // namespace brx
