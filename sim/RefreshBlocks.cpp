#include "sim/RefreshBlocks.h"

#include "app/devices/DeviceStack.h"

namespace brx {

Bytes RefreshStackRecord(const RefreshStackSpec& stack) {
    const size_t entriesAt = REFRESH_STACK_MIN_SIZE;
    const size_t idAt = entriesAt + stack.entries.size() * REFRESH_ENTRY_MIN_SIZE;
    const size_t idBytes = stack.instanceId.size() * 2;
    Bytes r((idAt + idBytes + 2 + 3) & ~size_t{3}, 0);
    PutU32(r, REFRESH_STACK_SIZE, static_cast<uint32_t>(r.size()));
    PutU32(r, REFRESH_STACK_TYPE, REFRESH_STACK_RECORD_TYPE);
    PutU32(r, REFRESH_STACK_FIRST_ENTRY, static_cast<uint32_t>(entriesAt));
    PutU32(r, REFRESH_STACK_ENTRY_COUNT, static_cast<uint32_t>(stack.entries.size()));
    PutU32(r, REFRESH_STACK_VALUE, stack.value);
    PutU32(r, REFRESH_STACK_PDO, stack.physicalDeviceObject);
    PutU16(r, REFRESH_STACK_ID_LENGTH, static_cast<uint16_t>(idBytes));
    PutU32(r, REFRESH_STACK_ID_OFFSET, static_cast<uint32_t>(idAt - REFRESH_STACK_ID_BASE));
    size_t at = entriesAt;
    for (const RefreshEntrySpec& e : stack.entries) {
        PutU32(r, at + REFRESH_ENTRY_SIZE, REFRESH_ENTRY_MIN_SIZE);
        PutU32(r, at + REFRESH_ENTRY_TYPE, REFRESH_DEVICE_ENTRY_TYPE);
        PutU32(r, at + REFRESH_ENTRY_DEVICE, e.deviceObject);
        PutU32(r, at + REFRESH_ENTRY_DEVICE_KEY, e.deviceNameKey);
        r[at + REFRESH_ENTRY_FLAGS] = e.capturable ? REFRESH_ENTRY_CAPTURABLE : 0;
        PutU32(r, at + REFRESH_ENTRY_DRIVER, e.driverObject);
        PutU32(r, at + REFRESH_ENTRY_DRIVER_KEY, e.driverNameKey);
        at += REFRESH_ENTRY_MIN_SIZE;
    }
    for (size_t i = 0; i < stack.instanceId.size(); ++i)
        PutU16(r, idAt + 2 * i, stack.instanceId[i]);
    return r;
}

Bytes RefreshData(const std::vector<RefreshStackSpec>& stacks) {
    Bytes all;
    for (const RefreshStackSpec& s : stacks) {
        Bytes r = RefreshStackRecord(s);
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

Bytes RefreshDescriptorEntry(const RefreshDescriptorSpec& d) {
    Bytes e((REFRESH_DESCRIPTOR_MIN_SIZE + d.descriptor.size() + 3) & ~size_t{3}, 0);
    PutU32(e, REFRESH_DESCRIPTOR_SIZE, static_cast<uint32_t>(e.size()));
    PutU32(e, REFRESH_DESCRIPTOR_TYPE, REFRESH_DESCRIPTOR_ENTRY_TYPE);
    PutU16(e, REFRESH_DESCRIPTOR_LENGTH, static_cast<uint16_t>(d.descriptor.size()));
    PutU16(e, REFRESH_DESCRIPTOR_OFFSET, REFRESH_DESCRIPTOR_MIN_SIZE);
    e[REFRESH_DESCRIPTOR_INTERFACE] = d.interfaceNumber;
    PutU32(e, REFRESH_DESCRIPTOR_PDO, d.physicalDeviceObject);
    std::copy(d.descriptor.begin(), d.descriptor.end(), e.begin() + REFRESH_DESCRIPTOR_MIN_SIZE);
    return e;
}

Bytes RefreshList(const std::vector<RefreshDescriptorSpec>& descriptors) {
    Bytes all(REFRESH_LIST_HEADER_SIZE, 0);
    for (const RefreshDescriptorSpec& d : descriptors) {
        Bytes e = RefreshDescriptorEntry(d);
        all.insert(all.end(), e.begin(), e.end());
    }
    PutU32(all, 0, static_cast<uint32_t>(all.size()));
    PutU32(all, 4, REFRESH_LIST_MARK);
    PutU32(all, REFRESH_LIST_COUNT, static_cast<uint32_t>(descriptors.size()));
    return all;
}

} // namespace brx
