// The bytes of the USB host's device-control requests and replies, read and
// built without the system: names in two-call replies, a port's connection
// information, descriptor requests, and the string indices a device's
// descriptors refer to. Replies are untrusted: every length is checked against
// the bytes that came back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/devices/DeviceNode.h"

namespace brx {

// Device-control codes of host controllers and hubs.
enum : uint32_t {
    IOCTL_GET_HCD_DRIVERKEY_NAME = 0x220424,
    IOCTL_USB_GET_ROOT_HUB_NAME = 0x220408,
    IOCTL_USB_GET_NODE_INFORMATION = 0x220408,
    IOCTL_USB_GET_NODE_CONNECTION_INFORMATION = 0x22040C,
    IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION = 0x220410,
    IOCTL_USB_GET_NODE_CONNECTION_NAME = 0x220414,
    IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME = 0x220420,
    IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX = 0x220448,
};

// USB_NODE_CONNECTION_INFORMATION(_EX), packed.
constexpr uint32_t CONNECTION_INFO_INDEX = 0;
constexpr uint32_t CONNECTION_INFO_DEVICE_DESCRIPTOR = 4;
constexpr uint32_t CONNECTION_INFO_CONFIGURATION = 22;
constexpr uint32_t CONNECTION_INFO_SPEED = 23;   // the older request: nonzero for low speed
constexpr uint32_t CONNECTION_INFO_IS_HUB = 24;
constexpr uint32_t CONNECTION_INFO_ADDRESS = 25;
constexpr uint32_t CONNECTION_INFO_OPEN_PIPES = 27;
constexpr uint32_t CONNECTION_INFO_STATUS = 31;
constexpr uint32_t CONNECTION_INFO_HEADER = 35;
constexpr uint32_t CONNECTION_INFO_PIPE_SIZE = 11;
constexpr uint32_t CONNECTION_INFO_SIZE = CONNECTION_INFO_HEADER + PORT_MAX_OPEN_PIPES * CONNECTION_INFO_PIPE_SIZE;

// Descriptor types.
enum : uint8_t {
    USB_DEVICE_DESCRIPTOR_TYPE = 1,
    USB_CONFIGURATION_DESCRIPTOR_TYPE = 2,
    USB_STRING_DESCRIPTOR_TYPE = 3,
    USB_INTERFACE_DESCRIPTOR_TYPE = 4,
    USB_ENDPOINT_DESCRIPTOR_TYPE = 5,
    USB_DEVICE_QUALIFIER_DESCRIPTOR_TYPE = 6,
    USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE = 7,
    USB_INTERFACE_ASSOCIATION_DESCRIPTOR_TYPE = 11,
    USB_BOS_DESCRIPTOR_TYPE = 15,
};

// Names a host controller or hub reports are at most this many bytes; a
// larger length is refused before it sizes anything.
constexpr uint32_t USB_NAME_MAX_BYTES = 0x2000;

// The NUL-terminated UTF-16 name at offset in a reply of `returned` bytes;
// false when it has no character.
bool ReadReplyName(const uint8_t* reply, size_t returned, size_t offset, WString& name);

// A port's connection from a reply of `returned` bytes: null below 35 bytes.
// The pipes are the fewer of the count the hub gives, 30, and those whole in
// the reply. The older request reports low speed only (speed 0, else unknown).
std::unique_ptr<PORT_CONNECTION_INFO> ParseConnectionInfo(const uint8_t* reply, size_t returned, bool extended);

// USB_DESCRIPTOR_REQUEST header: port, then a GET_DESCRIPTOR setup packet.
void MakeDescriptorRequest(uint8_t* header, uint32_t port, uint8_t type, uint8_t index, uint16_t languageId,
                           uint16_t length);

// The string indices of a device: iManufacturer, iProduct, iSerialNumber when
// nonzero, then, walking the configuration set descriptor by descriptor,
// iConfiguration of configuration and other-speed descriptors, iInterface of
// interface descriptors and iFunction of interface associations. An index
// referred to twice is listed twice.
std::vector<uint8_t> StringIndices(const uint8_t* deviceDescriptor, const uint8_t* configuration,
                                   size_t configurationSize);
bool HasStringDescriptors(const uint8_t* deviceDescriptor, const uint8_t* configuration, size_t configurationSize);

// The language IDs of string descriptor 0: none when its bLength is below 2;
// never more than the descriptor holds.
std::vector<uint16_t> LanguageIds(const std::vector<uint8_t>& descriptor);

} // namespace brx
