// The model under the device tree: walks the machine's USB topology through
// the USB host (host-controller and hub requests, SetupAPI, the configuration
// manager) and builds one DEVICE_NODE per host controller, root hub, external
// hub, port and (optionally) component device node, each with the device stack
// and report descriptors the capture driver reported for it. The nodes go to a
// sink (the tree view's items), which owns those it accepts.
//
// User-interface thread only. Every failed request, open or look-up leaves
// its field absent and the walk goes on; nothing is reported to the user.
// The walk is bounded (hub tiers, devnode depth, set members) and no
// exception leaves it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/devices/DeviceNode.h"
#include "app/devices/win/UsbHost.h"
#include "capture/NameTables.h"

namespace brx {

class CCaptureDriver;

// An item of the sink (a tree item in the view); null for none.
using DEVICE_ITEM = void*;

class IDeviceNodeSink {
public:
    virtual ~IDeviceNodeSink() = default;
    // Adds the node below parent with its text. On success the sink takes the
    // node out of `node` (it owns it from then on) and returns the new item;
    // null leaves the node with the caller, which frees it.
    virtual DEVICE_ITEM InsertDeviceNode(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node,
                                         const wchar_t* text) = 0;
};

struct DEVICE_COUNTS {
    uint32_t hostControllers = 0;
    uint32_t rootHubs = 0;
    uint32_t externalHubs = 0;
    uint32_t connectedPorts = 0;   // connection status 1, hubs included
};

// Interface and setup classes the walk asks for.
extern const GUID BRX_GUID_DEVINTERFACE_USB_HOST_CONTROLLER;
extern const GUID BRX_GUID_DEVINTERFACE_USB_HUB;
extern const GUID BRX_GUID_DEVINTERFACE_VOLUME;
extern const GUID BRX_GUID_DEVCLASS_USB;

extern const wchar_t kUnknownDeviceName[];   // "*Unknown Device*"

class CDeviceEnumerator {
public:
    // host null: the installed USB host (UsbHost()) at each call.
    explicit CDeviceEnumerator(IUsbHost* host = nullptr);
    CDeviceEnumerator(const CDeviceEnumerator&) = delete;
    CDeviceEnumerator& operator=(const CDeviceEnumerator&) = delete;

    // What the capture driver reports for a refresh: the refresh data and
    // list (kept until the end of the next Enumerate) and the driver and
    // device names (kept for the device stack view). Each replaces the
    // previous copy; without a connection (or without memory) all are empty.
    void LoadDriverData(CCaptureDriver& driver);
    // Empties the name tables, the refresh buffers and the counts.
    void Clear();

    // One refresh of the topology below root: the node counter restarts, both
    // information sets are open for the walk, and the refresh buffers are
    // freed at its end.
    void Enumerate(IDeviceNodeSink& sink, DEVICE_ITEM root, bool displayDeviceComponents);

    const DEVICE_COUNTS& Counts() const { return counts_; }
    const CDriverNameHash& DriverNames() const { return driverNames_; }
    const CDeviceNameHash& DeviceNames() const { return deviceNames_; }

    // Look-ups the panes use too (the enumeration's information sets need not
    // be open: a set of the one device is made for the call).
    WString GetDeviceName(const WString& instanceId);
    WString GetPdoName(const WString& instanceId);
    WString GetDevNodeName(DEVINST devinst);
    // The drive letters of the volumes below a removable storage device, at
    // most 31 characters ("E:, F:"); empty for other devices.
    WString GetNodeDriveLetters(const WString& instanceId);
    // The target of \DosDevices\name (its PDO name for a hub); empty when a
    // link is missing.
    WString ResolveDosDeviceName(const WString& name);

private:
    IUsbHost& Host() const { return host_ ? *host_ : UsbHost(); }
    void LoadDriverDataOrThrow(CCaptureDriver& driver);
    std::unique_ptr<DEVICE_NODE> NewNode(uint32_t kind);
    DEVICE_ITEM Insert(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node, const WString& text);
    void MergeDeviceStack(DEVICE_NODE& node);
    void AttachReportDescriptors(DEVICE_NODE& node);

    void EnumerateHostControllers(DEVICE_ITEM parent);
    void EnumerateRootHub(DEVICE_ITEM parent, HANDLE controller, const WString& instanceId, const WString& path);
    // tier: 0 for a root hub, one more per external hub below it.
    void EnumerateHub(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE> node, uint32_t tier);
    void EnumeratePorts(DEVICE_ITEM parent, HANDLE hub, const WString& hubInstanceId, uint32_t portCount,
                        uint32_t hubTier);
    void EnumerateDeviceComponents(DEVICE_ITEM parent, const WString& instanceId);
    void EnumerateChildren(DEVICE_ITEM parent, DEVINST devinst, uint32_t depth);
    bool IsTopLevel(const WString& instanceId) const;

    WString DriverKeyToInstanceId(const WString& driverKey);
    WString HubNameToDriverKey(const WString& hubName);
    WString HubPathToInstanceId(const WString& hubName);
    WString FindChildByPortAddress(const WString& hubInstanceId, uint32_t port);

    // Drive letters.
    bool IsRemovableStorageNode(DEVINST devinst);
    WString GetVolumeDriveLetter(DEVINST devinst);
    bool CollectDriveLetters(DEVINST devinst, WString& text, uint32_t depth);
    bool AppendRemovalRelationLetters(DEVINST devinst, WString& text);

    IUsbHost* host_;
    IDeviceNodeSink* sink_ = nullptr;
    bool components_ = true;
    DEVICE_COUNTS counts_;
    uint32_t nodeCounter_ = 0;
    HDEVINFO allDevices_ = INVALID_HANDLE_VALUE;
    HDEVINFO hubInterfaces_ = INVALID_HANDLE_VALUE;
    std::vector<uint8_t> refreshData_;
    std::vector<uint8_t> refreshList_;
    std::vector<WString> topLevelIds_;
    CDriverNameHash driverNames_;
    CDeviceNameHash deviceNames_;
};

} // namespace brx
