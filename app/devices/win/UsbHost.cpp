#include "app/devices/win/UsbHost.h"

namespace brx {

namespace {

// The two symbolic-link calls live in ntdll without an import library entry
// every toolchain has: looked up once.
using OpenLinkFn = LONG(WINAPI*)(PHANDLE, ACCESS_MASK, NT_OBJECT_ATTRIBUTES*);
using QueryLinkFn = LONG(WINAPI*)(HANDLE, NT_UNICODE_STRING*, PULONG);
using CloseFn = LONG(WINAPI*)(HANDLE);

template <typename Fn>
Fn NtdllFunction(const char* name) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

constexpr LONG kNotImplemented = static_cast<LONG>(0xC0000002);

class SystemUsbHost final : public IUsbHost {
public:
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) override {
        return ::CreateFileW(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output, DWORD outputSize,
                         LPDWORD returned, LPOVERLAPPED overlapped) override {
        return ::DeviceIoControl(device, code, input, inputSize, output, outputSize, returned, overlapped);
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override {
        return ::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
    }
    HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) override {
        return ::SetupDiCreateDeviceInfoList(classGuid, parent);
    }
    BOOL SetupDiOpenDeviceInfoW(HDEVINFO set, PCWSTR instanceId, HWND parent, DWORD flags,
                                PSP_DEVINFO_DATA data) override {
        return ::SetupDiOpenDeviceInfoW(set, instanceId, parent, flags, data);
    }
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) override {
        return ::SetupDiEnumDeviceInfo(set, index, data);
    }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA data, const GUID* interfaceGuid, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA interfaceData) override {
        return ::SetupDiEnumDeviceInterfaces(set, data, interfaceGuid, index, interfaceData);
    }
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                          PSP_DEVINFO_DATA data) override {
        return ::SetupDiGetDeviceInterfaceDetailW(set, interfaceData, detail, size, required, data);
    }
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                           PBYTE buffer, DWORD size, PDWORD required) override {
        return ::SetupDiGetDeviceRegistryPropertyW(set, data, property, type, buffer, size, required);
    }
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD size,
                                     PDWORD required) override {
        return ::SetupDiGetDeviceInstanceIdW(set, data, buffer, size, required);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override { return ::SetupDiDestroyDeviceInfoList(set); }
    BOOL SetupDiGetClassImageList(PSP_CLASSIMAGELIST_DATA data) override { return ::SetupDiGetClassImageList(data); }
    BOOL SetupDiGetClassImageIndex(PSP_CLASSIMAGELIST_DATA data, const GUID* classGuid, PINT index) override {
        return ::SetupDiGetClassImageIndex(data, classGuid, index);
    }
    BOOL SetupDiDestroyClassImageList(PSP_CLASSIMAGELIST_DATA data) override {
        return ::SetupDiDestroyClassImageList(data);
    }
    BOOL SetupDiGetClassDescriptionW(const GUID* classGuid, PWSTR buffer, DWORD size, PDWORD required) override {
        return ::SetupDiGetClassDescriptionW(classGuid, buffer, size, required);
    }
    BOOL SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_CLASSINSTALL_HEADER params,
                                       DWORD size) override {
        return ::SetupDiSetClassInstallParamsW(set, data, params, size);
    }
    BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) override {
        return ::SetupDiCallClassInstaller(function, set, data);
    }
    BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_W params) override {
        return ::SetupDiGetDeviceInstallParamsW(set, data, params);
    }

    CONFIGRET CM_Locate_DevNodeW(PDEVINST devinst, DEVINSTID_W id, ULONG flags) override {
        return ::CM_Locate_DevNodeW(devinst, id, flags);
    }
    CONFIGRET CM_Get_Child(PDEVINST child, DEVINST devinst, ULONG flags) override {
        return ::CM_Get_Child(child, devinst, flags);
    }
    CONFIGRET CM_Get_Sibling(PDEVINST sibling, DEVINST devinst, ULONG flags) override {
        return ::CM_Get_Sibling(sibling, devinst, flags);
    }
    CONFIGRET CM_Get_Device_IDW(DEVINST devinst, PWSTR buffer, ULONG length, ULONG flags) override {
        return ::CM_Get_Device_IDW(devinst, buffer, length, flags);
    }
    CONFIGRET CM_Get_DevNode_Registry_PropertyW(DEVINST devinst, ULONG property, PULONG type, PVOID buffer,
                                                PULONG length, ULONG flags) override {
        return ::CM_Get_DevNode_Registry_PropertyW(devinst, property, type, buffer, length, flags);
    }
    CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devinst, ULONG flags) override {
        return ::CM_Get_DevNode_Status(status, problem, devinst, flags);
    }
    CONFIGRET CM_Get_Device_ID_List_SizeW(PULONG length, PCWSTR filter, ULONG flags) override {
        return ::CM_Get_Device_ID_List_SizeW(length, filter, flags);
    }
    CONFIGRET CM_Get_Device_ID_ListW(PCWSTR filter, PWCHAR buffer, ULONG length, ULONG flags) override {
        return ::CM_Get_Device_ID_ListW(filter, buffer, length, flags);
    }
    CONFIGRET CM_Get_Device_Interface_List_SizeW(PULONG length, LPGUID interfaceGuid, DEVINSTID_W id,
                                                 ULONG flags) override {
        return ::CM_Get_Device_Interface_List_SizeW(length, interfaceGuid, id, flags);
    }
    CONFIGRET CM_Get_Device_Interface_ListW(LPGUID interfaceGuid, DEVINSTID_W id, PWCHAR buffer, ULONG length,
                                            ULONG flags) override {
        return ::CM_Get_Device_Interface_ListW(interfaceGuid, id, buffer, length, flags);
    }

    LONG NtOpenSymbolicLinkObject(PHANDLE link, ACCESS_MASK access, NT_OBJECT_ATTRIBUTES* attributes) override {
        static const OpenLinkFn fn = NtdllFunction<OpenLinkFn>("NtOpenSymbolicLinkObject");
        return fn ? fn(link, access, attributes) : kNotImplemented;
    }
    LONG NtQuerySymbolicLinkObject(HANDLE link, NT_UNICODE_STRING* target, PULONG length) override {
        static const QueryLinkFn fn = NtdllFunction<QueryLinkFn>("NtQuerySymbolicLinkObject");
        return fn ? fn(link, target, length) : kNotImplemented;
    }
    LONG NtClose(HANDLE handle) override {
        static const CloseFn fn = NtdllFunction<CloseFn>("NtClose");
        return fn ? fn(handle) : kNotImplemented;
    }

    BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR name, DWORD size) override {
        return ::GetVolumeNameForVolumeMountPointW(mountPoint, name, size);
    }

    HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) override {
        return ::RegisterDeviceNotificationW(recipient, filter, flags);
    }
    BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) override {
        return ::UnregisterDeviceNotification(notification);
    }

    BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) override { return ::GetComputerNameW(buffer, size); }
};

SystemUsbHost g_systemHost;
IUsbHost* g_host = nullptr;

} // namespace

IUsbHost& UsbHost() { return g_host ? *g_host : g_systemHost; }

IUsbHost* SetUsbHost(IUsbHost* host) {
    IUsbHost* previous = g_host;
    g_host = host;
    return previous;
}

} // namespace brx
