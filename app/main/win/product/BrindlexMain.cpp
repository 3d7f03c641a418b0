// The program: the application object and its entry point, with the real
// capture driver and USB host.
#include <windows.h>

#include "app/main/win/App.h"

brx::CApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return brx::AfxWinMain(instance, showCommand);
}
