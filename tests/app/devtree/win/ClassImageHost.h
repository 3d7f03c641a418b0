// A USB host that answers like the simulated one but has the system's class
// images, as Windows does (the simulated host, like Wine, has none): three
// images, for the computer, USB and HID setup classes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "sim/win/SimulatedUsbHost.h"

namespace brx::test {

class CClassImageHost final : public IUsbHost {
public:
    static constexpr GUID kComputer = {0x4D36E966, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    static constexpr GUID kUsb = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
    static constexpr GUID kHid = {0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

    explicit CClassImageHost(CSimulatedUsbHost& host) : h_(host) {}

    int listsMade = 0, listsDestroyed = 0;

    BOOL SetupDiGetClassImageList(PSP_CLASSIMAGELIST_DATA data) override {
        if (!data || data->cbSize != sizeof(SP_CLASSIMAGELIST_DATA))
            return FALSE;
        data->ImageList = ::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 4);
        HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
        for (int i = 0; i < 3; ++i)
            ::ImageList_ReplaceIcon(data->ImageList, -1, icon);
        ++listsMade;
        return data->ImageList != nullptr;
    }
    BOOL SetupDiGetClassImageIndex(PSP_CLASSIMAGELIST_DATA data, const GUID* guid, PINT index) override {
        if (!data || !data->ImageList || !guid || !index)
            return FALSE;
        const GUID* known[] = {&kComputer, &kUsb, &kHid};
        for (int i = 0; i < 3; ++i)
            if (IsEqualGUID(*guid, *known[i])) {
                *index = i;
                return TRUE;
            }
        return FALSE;
    }
    BOOL SetupDiDestroyClassImageList(PSP_CLASSIMAGELIST_DATA data) override {
        if (!data || !data->ImageList)
            return FALSE;
        ::ImageList_Destroy(data->ImageList);
        data->ImageList = nullptr;
        ++listsDestroyed;
        return TRUE;
    }

    // Everything else as the simulated host answers it.
    HANDLE CreateFileW(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) override {
        return h_.CreateFileW(a, b, c, d, e, f, g);
    }
    BOOL DeviceIoControl(HANDLE a, DWORD b, LPVOID c, DWORD d, LPVOID e, DWORD f, LPDWORD g, LPOVERLAPPED o) override {
        return h_.DeviceIoControl(a, b, c, d, e, f, g, o);
    }
    BOOL CloseHandle(HANDLE a) override { return h_.CloseHandle(a); }
    HDEVINFO SetupDiGetClassDevsW(const GUID* a, PCWSTR b, HWND c, DWORD d) override {
        return h_.SetupDiGetClassDevsW(a, b, c, d);
    }
    HDEVINFO SetupDiCreateDeviceInfoList(const GUID* a, HWND b) override { return h_.SetupDiCreateDeviceInfoList(a, b); }
    BOOL SetupDiOpenDeviceInfoW(HDEVINFO a, PCWSTR b, HWND c, DWORD d, PSP_DEVINFO_DATA e) override {
        return h_.SetupDiOpenDeviceInfoW(a, b, c, d, e);
    }
    BOOL SetupDiEnumDeviceInfo(HDEVINFO a, DWORD b, PSP_DEVINFO_DATA c) override {
        return h_.SetupDiEnumDeviceInfo(a, b, c);
    }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO a, PSP_DEVINFO_DATA b, const GUID* c, DWORD d,
                                     PSP_DEVICE_INTERFACE_DATA e) override {
        return h_.SetupDiEnumDeviceInterfaces(a, b, c, d, e);
    }
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO a, PSP_DEVICE_INTERFACE_DATA b, PSP_DEVICE_INTERFACE_DETAIL_DATA_W c,
                                          DWORD d, PDWORD e, PSP_DEVINFO_DATA f) override {
        return h_.SetupDiGetDeviceInterfaceDetailW(a, b, c, d, e, f);
    }
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO a, PSP_DEVINFO_DATA b, DWORD c, PDWORD d, PBYTE e, DWORD f,
                                           PDWORD g) override {
        return h_.SetupDiGetDeviceRegistryPropertyW(a, b, c, d, e, f, g);
    }
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO a, PSP_DEVINFO_DATA b, PWSTR c, DWORD d, PDWORD e) override {
        return h_.SetupDiGetDeviceInstanceIdW(a, b, c, d, e);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO a) override { return h_.SetupDiDestroyDeviceInfoList(a); }
    BOOL SetupDiGetClassDescriptionW(const GUID* a, PWSTR b, DWORD c, PDWORD d) override {
        return h_.SetupDiGetClassDescriptionW(a, b, c, d);
    }
    BOOL SetupDiSetClassInstallParamsW(HDEVINFO a, PSP_DEVINFO_DATA b, PSP_CLASSINSTALL_HEADER c, DWORD d) override {
        return h_.SetupDiSetClassInstallParamsW(a, b, c, d);
    }
    BOOL SetupDiCallClassInstaller(DI_FUNCTION a, HDEVINFO b, PSP_DEVINFO_DATA c) override {
        return h_.SetupDiCallClassInstaller(a, b, c);
    }
    BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO a, PSP_DEVINFO_DATA b, PSP_DEVINSTALL_PARAMS_W c) override {
        return h_.SetupDiGetDeviceInstallParamsW(a, b, c);
    }
    CONFIGRET CM_Locate_DevNodeW(PDEVINST a, DEVINSTID_W b, ULONG c) override { return h_.CM_Locate_DevNodeW(a, b, c); }
    CONFIGRET CM_Get_Child(PDEVINST a, DEVINST b, ULONG c) override { return h_.CM_Get_Child(a, b, c); }
    CONFIGRET CM_Get_Sibling(PDEVINST a, DEVINST b, ULONG c) override { return h_.CM_Get_Sibling(a, b, c); }
    CONFIGRET CM_Get_Device_IDW(DEVINST a, PWSTR b, ULONG c, ULONG d) override {
        return h_.CM_Get_Device_IDW(a, b, c, d);
    }
    CONFIGRET CM_Get_DevNode_Registry_PropertyW(DEVINST a, ULONG b, PULONG c, PVOID d, PULONG e, ULONG f) override {
        return h_.CM_Get_DevNode_Registry_PropertyW(a, b, c, d, e, f);
    }
    CONFIGRET CM_Get_DevNode_Status(PULONG a, PULONG b, DEVINST c, ULONG d) override {
        return h_.CM_Get_DevNode_Status(a, b, c, d);
    }
    CONFIGRET CM_Get_Device_ID_List_SizeW(PULONG a, PCWSTR b, ULONG c) override {
        return h_.CM_Get_Device_ID_List_SizeW(a, b, c);
    }
    CONFIGRET CM_Get_Device_ID_ListW(PCWSTR a, PWCHAR b, ULONG c, ULONG d) override {
        return h_.CM_Get_Device_ID_ListW(a, b, c, d);
    }
    CONFIGRET CM_Get_Device_Interface_List_SizeW(PULONG a, LPGUID b, DEVINSTID_W c, ULONG d) override {
        return h_.CM_Get_Device_Interface_List_SizeW(a, b, c, d);
    }
    CONFIGRET CM_Get_Device_Interface_ListW(LPGUID a, DEVINSTID_W b, PWCHAR c, ULONG d, ULONG e) override {
        return h_.CM_Get_Device_Interface_ListW(a, b, c, d, e);
    }
    LONG NtOpenSymbolicLinkObject(PHANDLE a, ACCESS_MASK b, NT_OBJECT_ATTRIBUTES* c) override {
        return h_.NtOpenSymbolicLinkObject(a, b, c);
    }
    LONG NtQuerySymbolicLinkObject(HANDLE a, NT_UNICODE_STRING* b, PULONG c) override {
        return h_.NtQuerySymbolicLinkObject(a, b, c);
    }
    LONG NtClose(HANDLE a) override { return h_.NtClose(a); }
    BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR a, LPWSTR b, DWORD c) override {
        return h_.GetVolumeNameForVolumeMountPointW(a, b, c);
    }
    HDEVNOTIFY RegisterDeviceNotificationW(HANDLE a, LPVOID b, DWORD c) override {
        return h_.RegisterDeviceNotificationW(a, b, c);
    }
    BOOL UnregisterDeviceNotification(HDEVNOTIFY a) override { return h_.UnregisterDeviceNotification(a); }
    BOOL GetComputerNameW(LPWSTR a, LPDWORD b) override { return h_.GetComputerNameW(a, b); }

private:
    CSimulatedUsbHost& h_;
};

} // namespace brx::test
