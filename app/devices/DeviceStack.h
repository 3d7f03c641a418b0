// Device stacks and report descriptors as the capture driver reports them at a
// device-tree refresh, matched to the tree's nodes.
//
// Refresh data (the driver's reply, records packed one after another, all
// little-endian, offsets from the record start):
//   stack record (type 5): 0 size, 4 type, 8 offset of the first entry,
//     12 entry count, 16 a value kept with the stack, 20 the physical device
//     object, 62 WORD byte length of the instance ID, 64 offset of the
//     instance ID counted from offset 60;
//   device entry (type 6, packed inside the record): 0 size (at least 40),
//     4 type, 8 device object, 12 second word of its device-name key, 16 flags
//     (bit 2: the object can be selected for capture), 20 driver object,
//     24 second word of its driver-name key.
// Refresh list: a 16-byte header (0 its size, above 16; 4 the value 12;
// 8 entry count), then descriptor entries (type 11): 0 size (at least 20),
// 4 type, 8 WORD descriptor length, 10 WORD offset of the descriptor from the
// entry start, 12 interface number, 16 the physical device object.
//
// Both come from the driver and are read as untrusted bytes: a size of 0,
// below its header or past the bytes left ends a walk, and every string and
// descriptor must lie inside its own record or entry.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "capture/NameTables.h"

namespace brx {

enum : uint32_t {
    REFRESH_STACK_RECORD_TYPE = 5,
    REFRESH_DEVICE_ENTRY_TYPE = 6,
    REFRESH_DESCRIPTOR_ENTRY_TYPE = 11,
};

// Stack record.
constexpr uint32_t REFRESH_STACK_SIZE = 0;
constexpr uint32_t REFRESH_STACK_TYPE = 4;
constexpr uint32_t REFRESH_STACK_FIRST_ENTRY = 8;
constexpr uint32_t REFRESH_STACK_ENTRY_COUNT = 12;
constexpr uint32_t REFRESH_STACK_VALUE = 16;
constexpr uint32_t REFRESH_STACK_PDO = 20;
constexpr uint32_t REFRESH_STACK_ID_BASE = 60;     // the instance ID offset counts from here
constexpr uint32_t REFRESH_STACK_ID_LENGTH = 62;
constexpr uint32_t REFRESH_STACK_ID_OFFSET = 64;
constexpr uint32_t REFRESH_STACK_MIN_SIZE = 84;    // less than this left ends the walk

// Device entry.
constexpr uint32_t REFRESH_ENTRY_SIZE = 0;
constexpr uint32_t REFRESH_ENTRY_TYPE = 4;
constexpr uint32_t REFRESH_ENTRY_DEVICE = 8;
constexpr uint32_t REFRESH_ENTRY_DEVICE_KEY = 12;
constexpr uint32_t REFRESH_ENTRY_FLAGS = 16;
constexpr uint32_t REFRESH_ENTRY_DRIVER = 20;
constexpr uint32_t REFRESH_ENTRY_DRIVER_KEY = 24;
constexpr uint32_t REFRESH_ENTRY_MIN_SIZE = 40;
constexpr uint8_t REFRESH_ENTRY_CAPTURABLE = 0x04;

// Refresh list.
constexpr uint32_t REFRESH_LIST_HEADER_SIZE = 16;
constexpr uint32_t REFRESH_LIST_MARK = 12;         // header DWORD at 4
constexpr uint32_t REFRESH_LIST_COUNT = 8;
constexpr uint32_t REFRESH_DESCRIPTOR_SIZE = 0;
constexpr uint32_t REFRESH_DESCRIPTOR_TYPE = 4;
constexpr uint32_t REFRESH_DESCRIPTOR_LENGTH = 8;
constexpr uint32_t REFRESH_DESCRIPTOR_OFFSET = 10;
constexpr uint32_t REFRESH_DESCRIPTOR_INTERFACE = 12;
constexpr uint32_t REFRESH_DESCRIPTOR_PDO = 16;
constexpr uint32_t REFRESH_DESCRIPTOR_MIN_SIZE = 20;

// A stack has at most this many entries; a record that counts more (or none)
// still gives a stack, without entries.
constexpr uint32_t DEVICE_STACK_MAX_ENTRIES = 255;

struct DEVICE_STACK_ENTRY {
    uint32_t deviceObject = 0;
    uint32_t deviceNameKey = 0;   // second word of the device-name key; 0: no name
    uint32_t driverObject = 0;
    uint32_t driverNameKey = 0;   // second word of the driver-name key; 0: no name
    uint32_t capturable = 0;      // 1: the object can be selected for capture

    OBJECT_KEY DeviceKey() const { return {deviceObject, deviceNameKey}; }
    OBJECT_KEY DriverKey() const { return {driverObject, driverNameKey}; }
};

struct DEVICE_STACK {
    uint32_t value = 0;                 // the record's DWORD at 16
    uint32_t physicalDeviceObject = 0;
    WString instanceId;                 // as the driver reported it; empty when it gave none
    // The record's entry count when it is 1 to 255, else 0.
    uint32_t entryCount = 0;
    // The valid entries, bottom of the stack (the physical device object)
    // first; after the first invalid entry the remaining slots stay empty, so
    // there may be fewer than entryCount.
    std::vector<DEVICE_STACK_ENTRY> entries;
};

struct REPORT_DESCRIPTOR_ENTRY {
    uint8_t interfaceNumber = 0;
    std::vector<uint8_t> descriptor;
};

// The stack record that belongs to a node: by instance ID when the node has
// one and the record carries one, otherwise by the name of the record's
// physical device object (its first entry for that object, looked up in the
// device names) against the node's PDO name. Both compare whole texts,
// ignoring case. Null when no record matches or the data is malformed before
// a match.
std::unique_ptr<DEVICE_STACK> FindDeviceStack(const uint8_t* data, size_t size, std::u16string_view instanceId,
                                              std::u16string_view pdoName, const CDeviceNameHash& deviceNames);

// The report descriptors the refresh list holds for a physical device object,
// in the list's order. An invalid header gives none; the walk ends at an entry
// that is too short, runs past the list or is of another type; an entry whose
// descriptor does not lie inside it is skipped.
std::vector<REPORT_DESCRIPTOR_ENTRY> FindReportDescriptors(const uint8_t* list, size_t size,
                                                           uint32_t physicalDeviceObject);

} // namespace brx
