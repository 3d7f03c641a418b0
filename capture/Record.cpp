#include "capture/Record.h"

#include "base/ByteReader.h"

namespace brx {
namespace {

// The readable bytes of a record: no further than its own size field.
ByteReader RecordBytes(const uint8_t* record, size_t bytes) {
    return ByteReader(record, GetRecordExtent(record, bytes));
}

// The request part as a reader of exactly the layout's request size, or an
// empty reader when the record is not a request or does not hold the part.
ByteReader RequestPart(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    ByteReader r = RecordBytes(record, bytes);
    // Every field read below must lie inside the part, whatever the layout says.
    if (layout.requestSize < REQUEST_PART_SIZE) return ByteReader();
    if (GetRecordType(record, bytes) != RECORD_TYPE_REQUEST) return ByteReader();
    if (!r.has(layout.requestOffset, layout.requestSize)) return ByteReader();
    return r.sub(layout.requestOffset, layout.requestSize);
}

uint64_t Min(uint64_t a, uint64_t b) { return a < b ? a : b; }

} // namespace

uint32_t GetRecordSize(const uint8_t* record, size_t bytes) {
    return ByteReader(record, bytes).u32le_or(0) & RECORD_SIZE_MASK;
}

uint32_t GetRecordType(const uint8_t* record, size_t bytes) {
    return ByteReader(record, bytes).u32le_or(0) >> 24;
}

size_t GetRecordExtent(const uint8_t* record, size_t bytes) {
    if (!record || bytes < 4) return 0;
    size_t size = GetRecordSize(record, bytes);
    return size < bytes ? size : bytes;
}

uint32_t GetRecordSequence(const uint8_t* record, size_t bytes) {
    return RecordBytes(record, bytes).u32le_or(RECORD_SEQUENCE_OFFSET);
}

uint64_t GetRecordSystemTime(const uint8_t* record, size_t bytes) {
    return RecordBytes(record, bytes).u64le_or(RECORD_TIME_OFFSET);
}

int64_t GetRecordCounter(const uint8_t* record, size_t bytes) {
    return static_cast<int64_t>(RecordBytes(record, bytes).u64le_or(RECORD_COUNTER_OFFSET));
}

const uint8_t* GetRecordRequest(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    ByteReader part = RequestPart(record, bytes, layout);
    return part.empty() ? nullptr : part.data();
}

uint16_t GetRequestFlags(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u16le_or(REQ_FLAGS);
}

uint16_t GetRequestKind(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u16le_or(REQ_KIND);
}

uint32_t GetRequestStatus(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u32le_or(REQ_STATUS);
}

uint32_t GetRequestDeviceObject(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u32le_or(REQ_DEVICE_OBJECT);
}

uint32_t GetRequestDeviceKey(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u32le_or(REQ_DEVICE_KEY);
}

uint32_t GetRequestIssueSequence(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u32le_or(REQ_ISSUE_SEQUENCE);
}

uint64_t GetRequestDriverKey(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u64le_or(REQ_DRIVER_KEY);
}

uint32_t GetRequestIrp(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return RequestPart(record, bytes, layout).u32le_or(REQ_IRP);
}

bool IsCompletionRequest(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return (GetRequestFlags(record, bytes, layout) & REQ_FLAG_COMPLETION) != 0;
}

bool HasIrpInfo(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return (GetRequestFlags(record, bytes, layout) & REQ_FLAG_IRP_BLOCK) != 0;
}

bool IsShortIrpInfo(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    return (GetRequestFlags(record, bytes, layout) & REQ_FLAG_SHORT_IRP) != 0;
}

uint64_t ParameterBlockOffsetFromFlags(uint16_t requestFlags, const RECORD_LAYOUT& layout) {
    uint64_t offset = layout.irpBlockOffset;
    if (requestFlags & REQ_FLAG_IRP_BLOCK)
        offset += (requestFlags & REQ_FLAG_SHORT_IRP) ? layout.shortIrpBlockSize : layout.irpBlockSize;
    return offset;
}

uint32_t GetParameterBlockOffset(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    ByteReader part = RequestPart(record, bytes, layout);
    if (part.empty()) return 0;
    uint64_t offset = ParameterBlockOffsetFromFlags(part.u16le_or(REQ_FLAGS), layout);
    return static_cast<uint32_t>(Min(offset, 0xFFFFFFFFu));
}

bool HasParameterBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    if (!(GetRequestFlags(record, bytes, layout) & REQ_FLAG_PARAM_BLOCK)) return false;
    uint32_t offset = GetParameterBlockOffset(record, bytes, layout);
    return offset < MAX_PART_OFFSET && RecordBytes(record, bytes).has(offset, PARAMETER_BLOCK_MIN);
}

const uint8_t* GetParameterBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout,
                                 uint32_t* length) {
    if (length) *length = 0;
    if (!HasParameterBlock(record, bytes, layout)) return nullptr;
    uint32_t offset = GetParameterBlockOffset(record, bytes, layout);
    ByteReader block = RecordBytes(record, bytes).from(offset);
    if (length) *length = static_cast<uint32_t>(block.size());
    return block.data();
}

const uint8_t* GetIrpBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    uint16_t flags = GetRequestFlags(record, bytes, layout);
    if (!(flags & REQ_FLAG_IRP_BLOCK)) return nullptr;
    uint32_t blockSize = (flags & REQ_FLAG_SHORT_IRP) ? layout.shortIrpBlockSize : layout.irpBlockSize;
    if (blockSize < IRP_SIZE) blockSize = IRP_SIZE;
    ByteReader r = RecordBytes(record, bytes);
    if (!r.has(layout.irpBlockOffset, blockSize)) return nullptr;
    return r.data() + layout.irpBlockOffset;
}

const uint8_t* GetCurrentStackLocation(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout) {
    if (IsShortIrpInfo(record, bytes, layout)) return nullptr;
    const uint8_t* irp = GetIrpBlock(record, bytes, layout);
    if (!irp) return nullptr;
    // The stack location must lie inside the block as the layout sizes it, so
    // that it never reaches into the parameter block.
    if (layout.irpBlockSize < IRP_SIZE + STACK_LOCATION_SIZE) return nullptr;
    return irp + IRP_SIZE;
}

bool ReadDataReference(const uint8_t* block, size_t blockBytes, uint32_t refOffset, DATA_REFERENCE& ref) {
    ByteReader r(block, blockBytes);
    ref = DATA_REFERENCE{};
    uint32_t lengthAndFlag;
    uint16_t offset;
    if (!r.u32le(refOffset, lengthAndFlag) || !r.u16le(static_cast<size_t>(refOffset) + 4, offset))
        return false;
    ref.lengthAndFlag = lengthAndFlag;
    ref.offset = offset;
    return true;
}

const uint8_t* GetDataRefBytes(const uint8_t* block, size_t blockBytes, const DATA_REFERENCE& ref,
                               uint32_t* length) {
    if (length) *length = 0;
    uint32_t want = GetDataRefLength(ref);
    ByteReader r(block, blockBytes);
    if (want == 0 || !r.has(ref.offset, 1)) return nullptr;
    ByteReader bytes = r.sub(ref.offset, want);
    if (length) *length = static_cast<uint32_t>(bytes.size());
    return bytes.data();
}

DRIVER_INFO MakeEmptyDriverInfo() {
    DRIVER_INFO info{};
    info.bytes[0] = static_cast<uint8_t>(DRIVER_INFO_SIZE);
    return info;
}

bool BuildRecordLayout(const DRIVER_INFO& info, RECORD_LAYOUT& layout) {
    ByteReader r(info.bytes, sizeof info.bytes);
    RECORD_LAYOUT l{};
    l.valid = 1;
    l.headerA = r.u32le_or(64);
    l.headerB = r.u32le_or(72);
    l.requestOffset = r.u32le_or(76);
    l.requestSize = r.u32le_or(80);
    l.irpBlockSize = r.u32le_or(84);
    l.shortIrpBlockSize = r.u32le_or(88);
    l.ioctlHeaderSize = r.u32le_or(92);
    l.notifyHeaderSize = r.u32le_or(96);
    l.deviceListHeaderSize = r.u32le_or(100);
    l.driverListHeaderSize = r.u32le_or(108);
    l.hidBlockHeaderSize = r.u32le_or(116);

    // Every part must fit in a record of the largest size the 24-bit size
    // field allows: a layout no record can satisfy would hide every record.
    const uint64_t irpBlockOffset = static_cast<uint64_t>(l.requestOffset) + l.requestSize;
    bool sound = l.requestOffset >= RECORD_HEADER_SIZE && l.requestOffset <= MAX_PART_OFFSET &&
                 l.requestSize >= REQUEST_PART_SIZE && l.irpBlockSize != 0 && l.shortIrpBlockSize != 0 &&
                 l.ioctlHeaderSize != 0 && l.notifyHeaderSize != 0 && l.deviceListHeaderSize != 0 &&
                 l.driverListHeaderSize != 0 && l.hidBlockHeaderSize != 0 &&
                 irpBlockOffset + l.irpBlockSize <= MAX_RECORD_SIZE &&
                 irpBlockOffset + l.shortIrpBlockSize + l.ioctlHeaderSize <= MAX_RECORD_SIZE;
    if (!sound) {
        layout = kDefaultRecordLayout;
        return false;
    }
    l.irpBlockOffset = static_cast<uint32_t>(irpBlockOffset);
    layout = l;
    return true;
}

} // namespace brx
