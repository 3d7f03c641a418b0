// The simulated USB host: answers the USB host seam in-process from the
// simulated machine (sim/UsbTopology.h), byte for byte as the system does,
// with its size rules: names and descriptor sets that take two calls, replies
// cut to the caller's buffer, "buffer too small" with the size needed.
//
// Controllers open as \\.\HCDn and through their interface paths, hubs as
// \\.\ and their names; information sets, device nodes, symbolic links,
// volumes and device-change registrations are handles of its own. Faults can
// be injected: short replies, strings that fail on the first request, a
// driver key that cannot be read, a device that goes away in the middle of
// its enumeration, the configuration manager's child walk answering without
// writing or naming the node asked about; hot-plug sends WM_DEVICECHANGE to
// the windows registered for notifications.
//
// The topology belongs to the caller (shared with the simulated driver);
// user-interface thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/devices/win/UsbHost.h"
#include "sim/UsbTopology.h"

namespace brx {

class CSimulatedUsbHost final : public IUsbHost {
public:
    struct Knobs {
        // Replies of a code come back cut to this many bytes.
        std::map<DWORD, DWORD> shortReplies;
        // Every string descriptor's first request fails; a second one works.
        bool failFirstStringRequest = false;
        // Ports (hub index, port) whose driver key cannot be read.
        std::set<std::pair<uint32_t, uint32_t>> driverKeyFailures;
        // The device on (hub index, port) goes away when a request of this
        // code first reaches its port.
        DWORD unplugOnCode = 0;
        uint32_t unplugHub = SIM_NONE, unplugPort = 0;
        // CM_Get_Child answers success without writing its result.
        bool childNotWritten = false;
        // CM_Get_Child and CM_Get_Sibling answer success with the node asked about.
        bool cmAnswersItself = false;
        // Paths that do not open.
        std::set<std::wstring> unopenable;
        // DI_NEEDRESTART / DI_NEEDREBOOT after a property change.
        DWORD installFlags = 0;
    };

    // One device-control request as it arrived.
    struct Request {
        DWORD code;
        uint32_t hub;        // hub index, or SIM_NONE for a controller
        uint32_t port;       // ConnectionIndex of hub requests
        uint8_t type, index; // descriptor requests
        uint16_t language, length;
        DWORD inputSize, outputSize;
    };

    explicit CSimulatedUsbHost(SimUsbTopology& topology);
    ~CSimulatedUsbHost() override = default;
    CSimulatedUsbHost(const CSimulatedUsbHost&) = delete;
    CSimulatedUsbHost& operator=(const CSimulatedUsbHost&) = delete;

    Knobs& knobs() { return knobs_; }
    SimUsbTopology& Topology() { return topology_; }

    // What callers left open, and the requests they made.
    size_t OpenHandles() const { return handles_.size(); }
    size_t OpenSets() const { return sets_.size(); }
    size_t OpenLinks() const { return links_.size(); }
    size_t Registrations() const { return registrations_.size(); }
    const std::vector<Request>& Requests() const { return requests_; }
    void ClearRequests() { requests_.clear(); }
    uint32_t Restarts(uint32_t devinst) const;

    // Hot-plug: the device on a port leaves (with everything below it) or
    // comes back; registered windows get WM_DEVICECHANGE.
    void Unplug(uint32_t hub, uint32_t port);
    void Replug(uint32_t hub, uint32_t port);

    // The seam.
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output, DWORD outputSize,
                         LPDWORD returned, LPOVERLAPPED overlapped) override;
    BOOL CloseHandle(HANDLE handle) override;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override;
    HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) override;
    BOOL SetupDiOpenDeviceInfoW(HDEVINFO set, PCWSTR instanceId, HWND parent, DWORD flags,
                                PSP_DEVINFO_DATA data) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA data, const GUID* interfaceGuid, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA interfaceData) override;
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                          PSP_DEVINFO_DATA data) override;
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                           PBYTE buffer, DWORD size, PDWORD required) override;
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD size,
                                     PDWORD required) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    BOOL SetupDiGetClassImageList(PSP_CLASSIMAGELIST_DATA data) override;
    BOOL SetupDiGetClassImageIndex(PSP_CLASSIMAGELIST_DATA data, const GUID* classGuid, PINT index) override;
    BOOL SetupDiDestroyClassImageList(PSP_CLASSIMAGELIST_DATA data) override;
    BOOL SetupDiGetClassDescriptionW(const GUID* classGuid, PWSTR buffer, DWORD size, PDWORD required) override;
    BOOL SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_CLASSINSTALL_HEADER params,
                                       DWORD size) override;
    BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) override;
    BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_W params) override;

    CONFIGRET CM_Locate_DevNodeW(PDEVINST devinst, DEVINSTID_W id, ULONG flags) override;
    CONFIGRET CM_Get_Child(PDEVINST child, DEVINST devinst, ULONG flags) override;
    CONFIGRET CM_Get_Sibling(PDEVINST sibling, DEVINST devinst, ULONG flags) override;
    CONFIGRET CM_Get_Device_IDW(DEVINST devinst, PWSTR buffer, ULONG length, ULONG flags) override;
    CONFIGRET CM_Get_DevNode_Registry_PropertyW(DEVINST devinst, ULONG property, PULONG type, PVOID buffer,
                                                PULONG length, ULONG flags) override;
    CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devinst, ULONG flags) override;
    CONFIGRET CM_Get_Device_ID_List_SizeW(PULONG length, PCWSTR filter, ULONG flags) override;
    CONFIGRET CM_Get_Device_ID_ListW(PCWSTR filter, PWCHAR buffer, ULONG length, ULONG flags) override;
    CONFIGRET CM_Get_Device_Interface_List_SizeW(PULONG length, LPGUID interfaceGuid, DEVINSTID_W id,
                                                 ULONG flags) override;
    CONFIGRET CM_Get_Device_Interface_ListW(LPGUID interfaceGuid, DEVINSTID_W id, PWCHAR buffer, ULONG length,
                                            ULONG flags) override;

    LONG NtOpenSymbolicLinkObject(PHANDLE link, ACCESS_MASK access, NT_OBJECT_ATTRIBUTES* attributes) override;
    LONG NtQuerySymbolicLinkObject(HANDLE link, NT_UNICODE_STRING* target, PULONG length) override;
    LONG NtClose(HANDLE handle) override;

    BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR name, DWORD size) override;

    HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) override;
    BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) override;

    BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) override;

private:
    struct Target {
        bool hub;
        uint32_t index;   // controller or hub
    };
    struct Set {
        std::vector<uint32_t> members;   // devinsts
        struct Interface {
            uint32_t devinst;
            std::u16string path;
            GUID guid;
        };
        std::vector<Interface> interfaces;
        std::map<uint32_t, bool> installParams;   // devinst: property-change parameters set
    };

    bool Present(uint32_t devinst) const;
    // The set a call names, and the member it names; null with the error set
    // when either is not there.
    Set* FindSet(HDEVINFO set);
    Set* MemberOf(HDEVINFO set, const SP_DEVINFO_DATA* data, uint32_t& devinst);
    // A property as the registry holds it; false when the device has none.
    bool PropertyBytes(uint32_t devinst, DWORD property, DWORD& type, std::vector<uint8_t>& bytes) const;
    BOOL HubRequest(uint32_t hub, DWORD code, const uint8_t* input, DWORD inputSize, std::vector<uint8_t>& reply,
                    DWORD outputSize, DWORD& error);
    void SetPresent(uint32_t devinst, bool present);
    void Notify(WPARAM event, const std::u16string& devicePath);

    SimUsbTopology& topology_;
    Knobs knobs_;
    std::map<HANDLE, Target> handles_;
    std::map<HDEVINFO, Set> sets_;
    std::map<HANDLE, std::u16string> links_;
    std::map<HDEVNOTIFY, HWND> registrations_;
    std::map<std::pair<uint32_t, uint32_t>, SimPort> unplugged_;
    std::set<std::tuple<uint32_t, uint32_t, uint8_t, uint16_t>> stringsAsked_;
    std::map<uint32_t, uint32_t> restarts_;
    std::vector<Request> requests_;
    uintptr_t nextHandle_ = 0x5B000;
};

} // namespace brx
