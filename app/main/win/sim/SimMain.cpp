// The program on a simulated machine: the same application with the
// simulated capture driver and the simulated USB host installed behind the
// driver and USB host seams before start-up, for demonstrations and for
// trying the windows where no capture driver or USB hardware exists.
#include <windows.h>

#include "app/devices/win/UsbHost.h"
#include "app/main/win/App.h"
#include "framework/Wnd.h"
#include "capture/win/DriverDevice.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"

namespace {

// The cue for a script that takes a picture of the program (scripts/run.sh
// without a display): with BRX_DRAWN_FILE naming a file, the program creates
// it at its first idle pass once the main window is shown. The loop goes idle
// only when no message and no paint is left; what that pass changed (the
// command states it updates) is drawn before the file is made.
class CSimApp final : public brx::CApp {
public:
    BOOL OnIdle(LONG count) override {
        const BOOL more = CApp::OnIdle(count);
        if (!m_drawnTold && m_pMainWnd && m_pMainWnd->m_hWnd && ::IsWindowVisible(m_pMainWnd->m_hWnd)) {
            m_drawnTold = true;
            TellDrawn();
        }
        return more;
    }

private:
    static BOOL CALLBACK DrawNow(HWND window, LPARAM) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return TRUE;
    }
    static void TellDrawn() {
        wchar_t path[MAX_PATH];
        const DWORD n = ::GetEnvironmentVariableW(L"BRX_DRAWN_FILE", path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        ::EnumThreadWindows(::GetCurrentThreadId(), DrawNow, 0);
        const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }

    bool m_drawnTold = false;
};

} // namespace

CSimApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    brx::CSimulatedDriver driver;
    // A steady trickle of records that a person can watch arrive.
    brx::CSimulatedDriver::Knobs knobs = driver.GetKnobs();
    knobs.recordsPerSecond = 200;
    knobs.rounds = 1000;
    driver.SetKnobs(knobs);
    brx::CSimulatedUsbHost host(driver.Topology());
    brx::SetDriverDevice(&driver);
    brx::SetUsbHost(&host);
    const int result = brx::AfxWinMain(instance, showCommand);
    brx::SetUsbHost(nullptr);
    brx::SetDriverDevice(nullptr);
    return result;
}
