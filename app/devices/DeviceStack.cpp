#include "app/devices/DeviceStack.h"

#include "base/ByteReader.h"

namespace brx {

namespace {

// The instance ID of a stack record, when it lies inside the record; trailing
// NUL characters are not part of it.
bool ReadInstanceId(const ByteReader& record, WString& id) {
    id.clear();
    const uint16_t length = record.u16le_or(REFRESH_STACK_ID_LENGTH);
    const uint32_t offset = record.u32le_or(REFRESH_STACK_ID_OFFSET);
    const uint64_t start = uint64_t{REFRESH_STACK_ID_BASE} + offset;
    if (start > record.size() || length > record.size() - start)
        return false;
    for (size_t i = 0; i + 1 < length; i += 2)
        id.push_back(static_cast<char16_t>(record.u16le_or(static_cast<size_t>(start) + i)));
    while (!id.empty() && id.back() == 0)
        id.pop_back();
    return true;
}

// Calls visit(entry) for the record's valid device entries in order, at most
// its entry count; stops at the first entry that is not whole inside the
// record, shorter than its header or of another type, or when visit returns
// false.
template <typename Visit>
void WalkEntries(const ByteReader& record, uint32_t count, Visit visit) {
    uint64_t at = record.u32le_or(REFRESH_STACK_FIRST_ENTRY);
    for (uint32_t i = 0; i < count; ++i) {
        if (at >= record.size())
            return;
        ByteReader rest = record.from(static_cast<size_t>(at));
        uint32_t size = 0, type = 0;
        if (!rest.u32le(REFRESH_ENTRY_SIZE, size) || !rest.u32le(REFRESH_ENTRY_TYPE, type) ||
            type != REFRESH_DEVICE_ENTRY_TYPE || size < REFRESH_ENTRY_MIN_SIZE || size > rest.size())
            return;
        DEVICE_STACK_ENTRY e;
        e.deviceObject = rest.u32le_or(REFRESH_ENTRY_DEVICE);
        e.deviceNameKey = rest.u32le_or(REFRESH_ENTRY_DEVICE_KEY);
        e.capturable = (rest.u8or(REFRESH_ENTRY_FLAGS) & REFRESH_ENTRY_CAPTURABLE) ? 1 : 0;
        e.driverObject = rest.u32le_or(REFRESH_ENTRY_DRIVER);
        e.driverNameKey = rest.u32le_or(REFRESH_ENTRY_DRIVER_KEY);
        if (!visit(e))
            return;
        at += size;
    }
}

bool MatchesByName(const ByteReader& record, uint32_t pdo, std::u16string_view pdoName,
                   const CDeviceNameHash& deviceNames) {
    bool matched = false;
    WalkEntries(record, record.u32le_or(REFRESH_STACK_ENTRY_COUNT), [&](const DEVICE_STACK_ENTRY& e) {
        if (e.deviceObject != pdo)
            return true;
        // Only the first entry of the physical device object is compared.
        WString name;
        if (e.deviceNameKey != 0 && deviceNames.Lookup(e.DeviceKey(), name) && !name.empty())
            matched = WideEqualsIgnoreCase(name, pdoName);
        return false;
    });
    return matched;
}

std::unique_ptr<DEVICE_STACK> BuildStack(const ByteReader& record, WString instanceId) {
    auto stack = std::make_unique<DEVICE_STACK>();
    stack->value = record.u32le_or(REFRESH_STACK_VALUE);
    stack->physicalDeviceObject = record.u32le_or(REFRESH_STACK_PDO);
    stack->instanceId = std::move(instanceId);
    const uint32_t count = record.u32le_or(REFRESH_STACK_ENTRY_COUNT);
    if (count >= 1 && count <= DEVICE_STACK_MAX_ENTRIES) {
        stack->entryCount = count;
        stack->entries.reserve(count);
        WalkEntries(record, count, [&](const DEVICE_STACK_ENTRY& e) {
            stack->entries.push_back(e);
            return true;
        });
    }
    return stack;
}

} // namespace

std::unique_ptr<DEVICE_STACK> FindDeviceStack(const uint8_t* data, size_t size, std::u16string_view instanceId,
                                              std::u16string_view pdoName, const CDeviceNameHash& deviceNames) {
    const ByteReader all(data, size);
    size_t at = 0;
    while (all.size() - at >= REFRESH_STACK_MIN_SIZE) {
        const ByteReader rest = all.from(at);
        const uint32_t recordSize = rest.u32le_or(REFRESH_STACK_SIZE);
        if (rest.u32le_or(REFRESH_STACK_TYPE) != REFRESH_STACK_RECORD_TYPE || recordSize < REFRESH_STACK_MIN_SIZE ||
            recordSize > rest.size())
            return nullptr;
        const ByteReader record = rest.sub(0, recordSize);
        WString recordId;
        if (!ReadInstanceId(record, recordId))
            return nullptr;

        bool match = false;
        if (!instanceId.empty() && record.u16le_or(REFRESH_STACK_ID_LENGTH) != 0)
            match = WideEqualsIgnoreCase(recordId, instanceId);
        else if (!pdoName.empty())
            match = MatchesByName(record, record.u32le_or(REFRESH_STACK_PDO), pdoName, deviceNames);
        if (match)
            return BuildStack(record, std::move(recordId));
        at += recordSize;
    }
    return nullptr;
}

std::vector<REPORT_DESCRIPTOR_ENTRY> FindReportDescriptors(const uint8_t* list, size_t size,
                                                           uint32_t physicalDeviceObject) {
    std::vector<REPORT_DESCRIPTOR_ENTRY> found;
    const ByteReader given(list, size);
    uint32_t listSize = 0, mark = 0, count = 0;
    if (!given.u32le(0, listSize) || !given.u32le(4, mark) || !given.u32le(REFRESH_LIST_COUNT, count) ||
        listSize <= REFRESH_LIST_HEADER_SIZE || mark != REFRESH_LIST_MARK)
        return found;
    // The list's own size bounds the walk as much as the bytes given.
    const ByteReader all = given.sub(0, listSize);
    size_t at = REFRESH_LIST_HEADER_SIZE;
    for (uint32_t i = 0; i < count && at < all.size(); ++i) {
        const ByteReader rest = all.from(at);
        uint32_t entrySize = 0, type = 0;
        if (!rest.u32le(REFRESH_DESCRIPTOR_SIZE, entrySize) || !rest.u32le(REFRESH_DESCRIPTOR_TYPE, type) ||
            type != REFRESH_DESCRIPTOR_ENTRY_TYPE || entrySize < REFRESH_DESCRIPTOR_MIN_SIZE ||
            entrySize > rest.size())
            break;
        const ByteReader entry = rest.sub(0, entrySize);
        const uint16_t length = entry.u16le_or(REFRESH_DESCRIPTOR_LENGTH);
        const uint16_t offset = entry.u16le_or(REFRESH_DESCRIPTOR_OFFSET);
        if (entry.u32le_or(REFRESH_DESCRIPTOR_PDO) == physicalDeviceObject && length != 0 && offset != 0 &&
            entry.has(offset, length)) {
            REPORT_DESCRIPTOR_ENTRY d;
            d.interfaceNumber = entry.u8or(REFRESH_DESCRIPTOR_INTERFACE);
            d.descriptor.assign(entry.data() + offset, entry.data() + offset + length);
            found.push_back(std::move(d));
        }
        at += entrySize;
    }
    return found;
}

} // namespace brx
