// The USB host as the device model sees it: every system call that
// enumeration, the device panes and their actions make about the machine's
// USB controllers, hubs and devices, each with the shape of the call it stands
// for. The program forwards each method to the system; the simulated USB host
// answers the same calls from a fixture (sim/win/SimulatedUsbHost.h).
//
// What passes through here: host-controller and hub handles with their
// device-control requests; the SetupAPI and configuration-manager subset;
// device interfaces; object-manager symbolic links; volumes; class images and
// descriptions; restarting a device; device-change notifications; the
// computer's name.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>
#include <cfgmgr32.h>

namespace brx {

// The object-manager types of the two symbolic-link calls, as ntdll takes them.
struct NT_UNICODE_STRING {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};
struct NT_OBJECT_ATTRIBUTES {
    ULONG Length;
    HANDLE RootDirectory;
    NT_UNICODE_STRING* ObjectName;
    ULONG Attributes;
    PVOID SecurityDescriptor;
    PVOID SecurityQualityOfService;
};
constexpr ULONG NT_OBJ_CASE_INSENSITIVE = 0x40;
constexpr ACCESS_MASK NT_SYMBOLIC_LINK_QUERY = 0x0001;
constexpr LONG NT_STATUS_BUFFER_TOO_SMALL = static_cast<LONG>(0xC0000023);
constexpr LONG NT_STATUS_OBJECT_NAME_NOT_FOUND = static_cast<LONG>(0xC0000034);

class IUsbHost {
public:
    virtual ~IUsbHost() = default;

    // Controller and hub handles.
    virtual HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                 DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    // SetupAPI.
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) = 0;
    virtual HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) = 0;
    virtual BOOL SetupDiOpenDeviceInfoW(HDEVINFO set, PCWSTR instanceId, HWND parent, DWORD flags,
                                        PSP_DEVINFO_DATA data) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) = 0;
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA data, const GUID* interfaceGuid,
                                             DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData) = 0;
    virtual BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                  PDWORD required, PSP_DEVINFO_DATA data) = 0;
    virtual BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                                   PDWORD type, PBYTE buffer, DWORD size, PDWORD required) = 0;
    virtual BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD size,
                                             PDWORD required) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;
    virtual BOOL SetupDiGetClassImageList(PSP_CLASSIMAGELIST_DATA data) = 0;
    virtual BOOL SetupDiGetClassImageIndex(PSP_CLASSIMAGELIST_DATA data, const GUID* classGuid, PINT index) = 0;
    virtual BOOL SetupDiDestroyClassImageList(PSP_CLASSIMAGELIST_DATA data) = 0;
    virtual BOOL SetupDiGetClassDescriptionW(const GUID* classGuid, PWSTR buffer, DWORD size, PDWORD required) = 0;
    virtual BOOL SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_CLASSINSTALL_HEADER params,
                                               DWORD size) = 0;
    virtual BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) = 0;
    virtual BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data,
                                                PSP_DEVINSTALL_PARAMS_W params) = 0;

    // Configuration manager.
    virtual CONFIGRET CM_Locate_DevNodeW(PDEVINST devinst, DEVINSTID_W id, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Child(PDEVINST child, DEVINST devinst, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Sibling(PDEVINST sibling, DEVINST devinst, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_IDW(DEVINST devinst, PWSTR buffer, ULONG length, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_DevNode_Registry_PropertyW(DEVINST devinst, ULONG property, PULONG type, PVOID buffer,
                                                        PULONG length, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devinst, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_ID_List_SizeW(PULONG length, PCWSTR filter, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_ID_ListW(PCWSTR filter, PWCHAR buffer, ULONG length, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_Interface_List_SizeW(PULONG length, LPGUID interfaceGuid, DEVINSTID_W id,
                                                         ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_Interface_ListW(LPGUID interfaceGuid, DEVINSTID_W id, PWCHAR buffer,
                                                    ULONG length, ULONG flags) = 0;

    // Object-manager symbolic links (ntdll); NTSTATUS results.
    virtual LONG NtOpenSymbolicLinkObject(PHANDLE link, ACCESS_MASK access, NT_OBJECT_ATTRIBUTES* attributes) = 0;
    virtual LONG NtQuerySymbolicLinkObject(HANDLE link, NT_UNICODE_STRING* target, PULONG length) = 0;
    virtual LONG NtClose(HANDLE handle) = 0;

    // Volumes.
    virtual BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR name, DWORD size) = 0;

    // Device-change notifications to a window.
    virtual HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) = 0;
    virtual BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) = 0;

    // The computer's name (the device tree's root).
    virtual BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) = 0;
};

// The USB host in use: the installed one, else the system's.
IUsbHost& UsbHost();
// Installs a USB host (null restores the system's); returns the previous one
// (null when it was the system's).
IUsbHost* SetUsbHost(IUsbHost* host);

} // namespace brx
