// The application's message boxes: owned by the main window, task-modal,
// captioned with the product name, and the keyboard focus given back
// afterwards. They go through the prompts (capture/win/Prompts.h).
#pragma once
#include <windows.h>

namespace brx {

// The application's main window, the owner of message boxes; null until the
// main frame exists (and after it is gone).
void SetAppMainWindow(HWND window);
HWND GetAppMainWindow();

// caption null gives the product name. Returns the button.
int AppMessageBox(const wchar_t* text, const wchar_t* caption, UINT style);
int AppMessageBoxA(const char* text, const char* caption, UINT style);

} // namespace brx
