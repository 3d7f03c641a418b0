// The capture driver's device-tree refresh replies, built byte for byte: the
// refresh data (one stack record per watched device stack, with its device
// entries and instance ID) and the refresh list (the report descriptors the
// driver holds per physical device object). The simulated driver answers with
// them; tests build odd variants from the same pieces.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/RecordBuilder.h"

namespace brx {

struct RefreshEntrySpec {
    uint32_t deviceObject = 0;
    uint32_t deviceNameKey = 0;   // 0: the object has no name
    uint32_t driverObject = 0;
    uint32_t driverNameKey = 0;
    bool capturable = false;
};

struct RefreshStackSpec {
    uint32_t value = 0;
    uint32_t physicalDeviceObject = 0;
    std::u16string instanceId;            // empty: the record carries none
    std::vector<RefreshEntrySpec> entries;
};

// One stack record: an 84-byte header, 40-byte entries from offset 84, then
// the instance ID (NUL-terminated, the NUL not counted); size padded to 4.
Bytes RefreshStackRecord(const RefreshStackSpec& stack);
// Records back to back.
Bytes RefreshData(const std::vector<RefreshStackSpec>& stacks);

struct RefreshDescriptorSpec {
    uint32_t physicalDeviceObject = 0;
    uint8_t interfaceNumber = 0;
    Bytes descriptor;
};

// One descriptor entry: a 20-byte header and the descriptor, padded to 4.
Bytes RefreshDescriptorEntry(const RefreshDescriptorSpec& d);
// The 16-byte header (size, 12, count, 0) and the entries.
Bytes RefreshList(const std::vector<RefreshDescriptorSpec>& descriptors);

} // namespace brx
