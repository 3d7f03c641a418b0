// The program on a simulated machine: the same application with the
// simulated capture driver and the simulated USB host installed behind the
// driver and USB host seams before start-up, for demonstrations and for
// trying the windows where no capture driver or USB hardware exists.
#include <windows.h>

#include "app/devices/win/UsbHost.h"
#include "app/main/win/App.h"
#include "capture/win/DriverDevice.h"
#include "sim/win/SimulatedDriver.h"
#include "sim/win/SimulatedUsbHost.h"

brx::CApp theApp;

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
