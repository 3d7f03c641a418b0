// One node of the device tree: a host controller, a root hub, an external hub,
// or a port with its device (also a component device node below a device).
// It owns everything the panes show about it: names, the hub's node
// information, the port's connection, the descriptors read through the hub,
// the device stack the capture driver reported and the report descriptors it
// holds for the node's physical device object. Absent parts are empty.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/devices/DeviceStack.h"
#include "base/Text.h"

namespace brx {

enum : uint32_t {
    NODE_HOST_CONTROLLER = 1,
    NODE_ROOT_HUB = 2,
    NODE_EXTERNAL_HUB = 3,
    NODE_DEVICE = 4,   // a device, an empty port, or a device's component
};

constexpr uint32_t USB_NODE_INFORMATION_SIZE = 76;
constexpr uint32_t USB_NODE_INFO_PORT_COUNT = 6;   // bNumberOfPorts of the hub descriptor
constexpr uint32_t USB_DEVICE_DESCRIPTOR_SIZE = 18;
constexpr uint32_t USB_DEVICE_QUALIFIER_SIZE = 10;
constexpr uint32_t USB_DESCRIPTOR_REQUEST_HEADER = 12;
constexpr uint32_t PORT_MAX_OPEN_PIPES = 30;
constexpr uint32_t DRIVE_LETTERS_MAX = 31;
constexpr int32_t USB_SPEED_UNKNOWN = -1;   // as DECODE_CONTEXT::deviceSpeed

struct USB_PIPE {
    std::array<uint8_t, 7> endpoint{};   // the endpoint descriptor
    uint32_t scheduleOffset = 0;
};

struct PORT_CONNECTION_INFO {
    uint32_t connectionIndex = 0;   // the port number, from 1
    uint32_t connectionStatus = 0;  // 0 no device, 1 connected, others as the system defines
    std::array<uint8_t, USB_DEVICE_DESCRIPTOR_SIZE> deviceDescriptor{};
    uint8_t currentConfigurationValue = 0;
    int32_t speed = USB_SPEED_UNKNOWN;   // 0 low, 1 full, 2 high, 3 super
    uint8_t deviceIsHub = 0;
    uint16_t deviceAddress = 0;
    std::vector<USB_PIPE> pipes;         // at most PORT_MAX_OPEN_PIPES

    uint16_t BcdUsb() const { return static_cast<uint16_t>(deviceDescriptor[2] | deviceDescriptor[3] << 8); }
};

struct STRING_DESCRIPTOR_ENTRY {
    uint8_t index = 0;
    uint16_t languageId = 0;
    std::vector<uint8_t> descriptor;   // exactly as read, bLength bytes
};

struct DEVICE_NODE {
    uint32_t id = 0;     // 1-based, in creation order during one refresh
    uint32_t kind = 0;   // NODE_*
    WString name;
    WString instanceId;
    WString pdoName;
    WString symbolicName;   // hubs: the hub's name; controllers: the controller's path
    WString driveLetters;   // removable storage: "E:, F:"
    std::vector<uint8_t> hubInfo;                    // USB_NODE_INFORMATION, 76 bytes
    std::unique_ptr<PORT_CONNECTION_INFO> connection;
    std::vector<uint8_t> configDescriptor;           // request header + configuration set, index 0
    std::vector<STRING_DESCRIPTOR_ENTRY> strings;    // the language list (index 0) first
    std::vector<uint8_t> deviceQualifier;            // 10 bytes
    std::vector<uint8_t> otherSpeedConfig;           // request header + set
    std::vector<uint8_t> bos;                        // request header + set
    std::unique_ptr<DEVICE_STACK> stack;
    std::vector<REPORT_DESCRIPTOR_ENTRY> reportDescriptors;

    uint32_t PortCount() const { return hubInfo.size() > USB_NODE_INFO_PORT_COUNT ? hubInfo[USB_NODE_INFO_PORT_COUNT] : 0; }
};

} // namespace brx
