#include "app/usbprops/win/DeviceActions.h"

#include <cfgmgr32.h>

#include "app/devices/win/UsbHost.h"
#include "framework/SystemLibrary.h"

namespace brx {

namespace {

constexpr size_t kCommandLineMax = 1124;
constexpr DWORD kRemovable = 4;   // CM_DEVCAP_REMOVABLE

wchar_t* W(const WString& s) { return const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(s.c_str())); }

// A device information list holding one device, destroyed with the object.
class OneDevice {
public:
    OneDevice(IUsbHost& host, const WString& instanceId) : host_(host) {
        set_ = host.SetupDiCreateDeviceInfoList(nullptr, nullptr);
        if (set_ == INVALID_HANDLE_VALUE || instanceId.empty()) return;
        data_.cbSize = sizeof(data_);
        SP_DEVINFO_DATA opened{};
        opened.cbSize = sizeof(opened);
        ok_ = host.SetupDiOpenDeviceInfoW(set_, W(instanceId), nullptr, 0, &opened) &&
              host.SetupDiEnumDeviceInfo(set_, 0, &data_);
    }
    ~OneDevice() {
        if (set_ != INVALID_HANDLE_VALUE) host_.SetupDiDestroyDeviceInfoList(set_);
    }
    OneDevice(const OneDevice&) = delete;
    OneDevice& operator=(const OneDevice&) = delete;
    bool ok() const { return ok_; }
    HDEVINFO set() const { return set_; }
    PSP_DEVINFO_DATA data() { return &data_; }

private:
    IUsbHost& host_;
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA data_{};
    bool ok_ = false;
};

} // namespace

BOOL CDeviceActions::CanRestartDevice(IUsbHost& host, HDEVINFO set, PSP_DEVINFO_DATA device) {
    if (!device) return FALSE;
    ULONG status = 0, problem = 0;
    if (host.CM_Get_DevNode_Status(&status, &problem, device->DevInst, 0) != CR_SUCCESS || problem != 0) return FALSE;
    DWORD capabilities = 0, type = 0, size = 0;
    if (!host.SetupDiGetDeviceRegistryPropertyW(set, device, SPDRP_CAPABILITIES, &type,
                                                reinterpret_cast<PBYTE>(&capabilities), sizeof(capabilities), &size))
        return FALSE;
    return (capabilities & kRemovable) ? TRUE : FALSE;
}

BOOL CDeviceActions::CanRestartInstance(IUsbHost& host, const WString& instanceId) {
    OneDevice d(host, instanceId);
    return d.ok() && CanRestartDevice(host, d.set(), d.data());
}

RestartOutcome CDeviceActions::RestartDeviceInstance(IUsbHost& host, HDEVINFO set, PSP_DEVINFO_DATA device) {
    if (!CanRestartDevice(host, set, device)) return RestartOutcome::NotRestartable;
    SP_PROPCHANGE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = DICS_PROPCHANGE;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;
    if (!host.SetupDiSetClassInstallParamsW(set, device, &params.ClassInstallHeader, sizeof(params)) ||
        !host.SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, device))
        return RestartOutcome::Refused;
    SP_DEVINSTALL_PARAMS_W install{};
    install.cbSize = sizeof(install);
    if (host.SetupDiGetDeviceInstallParamsW(set, device, &install) &&
        (install.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)))
        return RestartOutcome::RebootNeeded;
    return RestartOutcome::Restarted;
}

RestartOutcome CDeviceActions::RestartDevice(IUsbHost& host, const WString& instanceId, DWORD action) {
    OneDevice d(host, instanceId);
    if (!d.ok()) return RestartOutcome::Refused;
    if (action != kRestartAction) return RestartOutcome::Refused;
    return RestartDeviceInstance(host, d.set(), d.data());
}

const wchar_t* RestartOutcomeText(RestartOutcome outcome) {
    switch (outcome) {
    case RestartOutcome::Restarted: return L"The device was restarted.";
    case RestartOutcome::NotRestartable:
        return L"The device cannot be restarted: it is not removable or it has a problem.";
    case RestartOutcome::Refused: return L"The device could not be restarted.";
    case RestartOutcome::RebootNeeded:
        return L"The device's settings were changed, but it will not restart until the computer is restarted.";
    }
    return L"";
}

std::wstring DevicePropertiesCommandLine(const WString& instanceId) {
    std::wstring line = L"/MachineName \"\" /DeviceID ";
    line.append(reinterpret_cast<const wchar_t*>(instanceId.c_str()), instanceId.size());
    if (line.size() > kCommandLineMax) return {};
    return line;
}

bool ShowDeviceProperties(HWND owner, const WString& instanceId) {
    std::wstring line = DevicePropertiesCommandLine(instanceId);
    if (line.empty() || instanceId.empty()) return false;
    HMODULE library = LoadSystemLibrary(L"devmgr.dll");
    if (!library) return false;
    using RunDll = void(WINAPI*)(HWND, HINSTANCE, LPCWSTR, int);
    auto run = reinterpret_cast<RunDll>(reinterpret_cast<void*>(::GetProcAddress(library, "DeviceProperties_RunDLLW")));
    if (run) run(owner, ::GetModuleHandleW(nullptr), line.c_str(), SW_SHOW);
    ::FreeLibrary(library);
    return run != nullptr;
}

} // namespace brx
