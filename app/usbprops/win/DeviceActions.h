// The device actions of the device tree's context menu: restarting a device
// through SetupAPI (a property change of the device's current configuration)
// and opening the system's device properties dialog. All calls go through
// the USB host seam and the library loader seam (framework/SystemLibrary.h),
// so both run against the simulated machine in tests. User-interface thread.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <string>

#include "base/Text.h"

namespace brx {

class IUsbHost;

constexpr DWORD kRestartAction = 4;   // the one action RestartDevice takes

// What a restart came to, for the message the tree shows.
enum class RestartOutcome {
    Restarted,      // the property change went through and needs nothing more
    NotRestartable, // not removable, or it has a problem code
    Refused,        // the class installer refused the change (or the device is gone)
    RebootNeeded,   // done, but the system asks for a restart or reboot
};

class CDeviceActions {
public:
    // 1 when the device's status has no problem and its capabilities say
    // removable.
    static BOOL CanRestartDevice(IUsbHost& host, HDEVINFO set, PSP_DEVINFO_DATA device);
    // The same for an instance ID (the context menu's update).
    static BOOL CanRestartInstance(IUsbHost& host, const WString& instanceId);
    static RestartOutcome RestartDeviceInstance(IUsbHost& host, HDEVINFO set, PSP_DEVINFO_DATA device);
    // Opens the instance ID in a list of its own; any action but
    // kRestartAction is refused.
    static RestartOutcome RestartDevice(IUsbHost& host, const WString& instanceId, DWORD action);
};

// The text the tree shows for a restart's outcome.
const wchar_t* RestartOutcomeText(RestartOutcome outcome);

// "/MachineName \"\" /DeviceID <instance ID>" (empty when it would pass 1124
// characters).
std::wstring DevicePropertiesCommandLine(const WString& instanceId);
// Loads "devmgr.dll" from the system folder and calls its
// DeviceProperties_RunDLLW(owner, module, command line, SW_SHOW). False when
// the library or the entry point is missing (as under Wine).
bool ShowDeviceProperties(HWND owner, const WString& instanceId);

} // namespace brx
