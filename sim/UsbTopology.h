// The simulated machine's USB topology: host controllers, hubs, ports, the
// devices on them with their descriptors, and the device nodes of the
// configuration manager with their properties, interfaces, volumes and the
// device stacks the capture driver reports. The simulated USB host answers the
// system's USB calls from it; the simulated driver answers its refresh
// queries and name lists from it; its seven captured devices are the driver
// scenario's, with the same device objects, names and descriptors.
//
// Descriptors come from real devices where the shared test data holds them:
// the keyboard's are those a Holtek keyboard (04D9:1603) sent in a usbmon
// capture, the mouse's report descriptor is a Logitech mouse's (046D:C077).
// The composite serial device, the DFU bootloader and the printer are
// open-source devices whose descriptors are written as their sources build
// them: the Linux "CDC ACM + mass storage" composite gadget (1D6B:0106, the
// f_acm and f_mass_storage functions), the Black Magic Probe's DFU bootloader
// (1D50:6017) and the Linux printer gadget (0525:A4A8, f_printer). The rest
// are written here in the same forms.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/RecordBuilder.h"
#include "sim/RefreshBlocks.h"

namespace brx {

// Device objects of the captured devices. The composite device's object is
// its CDC ACM function's (the child the composite driver makes for
// interfaces 0 and 1).
enum : uint32_t {
    SIM_STICK_OBJECT = 0x89A11030,
    SIM_MOUSE_OBJECT = 0x89A21030,
    SIM_KEYBOARD_OBJECT = 0x89A31030,
    SIM_SERIAL_OBJECT = 0x89A41030,
    SIM_COMPOSITE_OBJECT = 0x89A51030,
    SIM_DFU_OBJECT = 0x89A61030,
    SIM_PRINTER_OBJECT = 0x89A71030,
};

constexpr uint32_t SIM_NONE = 0xFFFFFFFF;

struct SimStringDescriptor {
    uint8_t index = 0;
    uint16_t languageId = 0;
    Bytes bytes;   // as the device sends it
};

struct SimUsbDescriptors {
    Bytes device;          // 18 bytes
    Bytes configuration;   // the whole set of configuration index 0
    Bytes qualifier;       // empty: the device stalls the request
    Bytes otherSpeed;      // other-speed configuration set
    Bytes bos;
    std::vector<SimStringDescriptor> strings;   // index 0 (language 0) lists the languages
    struct Report {
        uint8_t interfaceNumber;
        Bytes descriptor;
    };
    std::vector<Report> reportDescriptors;      // HID interfaces
};

// A device the capture scenario produces records for.
struct SimDevice {
    const char* label;
    DeviceSpec device;
    std::u16string deviceName;
    std::u16string driverName;
    SimUsbDescriptors descriptors;
    bool readsStrings = false;   // its enumeration reads the string descriptors too
};

// One device object of a stack as the capture driver reports it; a name key
// of 0 means the object has no name.
struct SimStackObject {
    uint32_t object = 0;
    uint32_t nameKey = 0;
    std::u16string name;
    uint32_t driver = 0;
    uint32_t driverKey = 0;
    std::u16string driverName;
    bool capturable = false;
};

struct SimInterface {
    std::u16string classGuid;   // braced, lower case
    std::u16string path;        // \\?\... as SetupAPI reports it
};

// A device node. Its devinst is its index + 1.
struct SimDevnode {
    std::u16string instanceId;
    uint32_t parent = 0;   // devinst of the parent; 0 for the root
    bool present = true;
    std::u16string classGuid, className, description, friendlyName, service, driverKey, manufacturer,
        location, pdoName;
    std::vector<std::u16string> hardwareIds, compatibleIds, removalRelations;
    bool hasAddress = false;
    uint32_t address = 0;        // the port number of a USB device
    uint32_t capabilities = 0;   // CM_DEVCAP_*
    uint32_t status = 0x0180200A;   // DN_DRIVER_LOADED | DN_STARTED | DN_DISABLEABLE | DN_NT_ENUMERATOR | DN_NT_DRIVER
    uint32_t problem = 0;
    std::vector<SimInterface> interfaces;
    std::u16string volumeName;   // a volume: \\?\Volume{...}\ and its drive letter
    char16_t driveLetter = 0;
    uint32_t stackValue = 0;
    std::vector<SimStackObject> stack;   // empty: the capture driver reports none
};

struct SimPort {
    uint32_t status = 0;       // USB_CONNECTION_STATUS: 0 no device, 1 connected, ...
    uint32_t devnode = 0;      // devinst of the device; 0 for none
    uint8_t speed = 0;         // 0 low, 1 full, 2 high, 3 super
    uint16_t address = 0;
    uint32_t hub = SIM_NONE;   // index of the hub when the device is one
    SimUsbDescriptors descriptors;
};

struct SimHub {
    std::u16string name;       // as the controller or the parent hub reports it
    uint32_t devnode = 0;
    bool busPowered = false;
    bool symbolicLink = true;  // \??\name leads to the hub's PDO
    std::vector<SimPort> ports;
};

struct SimController {
    uint32_t devnode = 0;
    int32_t hcdNumber = -1;        // \\.\HCDn; -1 for none
    uint32_t rootHub = SIM_NONE;   // index of the root hub; none: not openable
};

struct SimUsbTopology {
    std::vector<SimDevnode> devnodes;
    std::vector<SimController> controllers;
    std::vector<SimHub> hubs;

    SimDevnode& Devnode(uint32_t devinst) { return devnodes[devinst - 1]; }
    const SimDevnode& Devnode(uint32_t devinst) const { return devnodes[devinst - 1]; }
    bool ValidDevinst(uint32_t devinst) const { return devinst >= 1 && devinst <= devnodes.size(); }
    // The present devnode with this instance ID (ignoring case); 0 for none.
    uint32_t FindDevnode(std::u16string_view instanceId) const;
    // The port a devnode's device sits on, or null.
    SimPort* FindPort(uint32_t devinst, uint32_t* hubIndex = nullptr);

    // The capture driver's view of the present devices: one stack record per
    // devnode with a stack, the report descriptors of their PDOs, and the
    // names of every named object and driver of those stacks.
    std::vector<RefreshStackSpec> Stacks() const;
    Bytes RefreshData() const;
    Bytes RefreshList() const;
    std::vector<NameItem> DeviceNames() const;
    std::vector<NameItem> DriverNames() const;
};

// The descriptor sets of the simulated devices.
SimUsbDescriptors StickDescriptors();
SimUsbDescriptors MouseDescriptors();
SimUsbDescriptors KeyboardDescriptors();
SimUsbDescriptors SerialDescriptors();
SimUsbDescriptors CompositeDescriptors();
SimUsbDescriptors DfuDescriptors();
SimUsbDescriptors PrinterDescriptors();
SimUsbDescriptors HubDescriptors();

// The printer's IEEE 1284 Device ID as GET_DEVICE_ID answers it: a big-endian
// length that counts itself, then the text.
Bytes PrinterDeviceId();

// The machine: an EHCI controller (also \\.\HCD0) with its root hub, the
// stick on port 1, a four-port hub on port 2 with the mouse and the keyboard,
// the serial port on port 3, the composite device (its CDC ACM function and
// its mass-storage function) on port 4; an xHCI controller found only through
// its interface, with the printer on port 1 and the DFU bootloader on port 2
// of its two-port root hub; an OHCI controller found only through its setup
// class. The captured devices are given in the scenario's order: stick,
// mouse, keyboard, serial port, composite device, DFU bootloader, printer.
SimUsbTopology MakeSimUsbTopology(const std::vector<SimDevice>& captured);

// Open pipes of a configuration set: the endpoint descriptors of every
// interface's first alternate setting.
std::vector<Bytes> OpenPipes(const Bytes& configuration);

} // namespace brx
