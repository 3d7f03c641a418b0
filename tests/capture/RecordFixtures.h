// Builders of capture records for the capture tests: little-endian fields
// written byte by byte, laid out by a RECORD_LAYOUT.
#pragma once
#include <cstdint>
#include <vector>

#include "capture/Record.h"
#include "capture/RequestKind.h"

namespace brx::fixtures {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, size_t at, uint16_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, static_cast<uint16_t>(v));
    Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}
inline void Put64(Bytes& b, size_t at, uint64_t v) {
    Put32(b, at, static_cast<uint32_t>(v));
    Put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}

// The layout that the capture driver reports: request part at 24.
inline RECORD_LAYOUT DriverLayout() {
    RECORD_LAYOUT l = kDefaultRecordLayout;
    l.requestOffset = 24;
    l.irpBlockOffset = 56;
    return l;
}

inline Bytes MarkerRecord(uint32_t type, uint32_t sequence, uint32_t size = 24) {
    Bytes b(size, 0);
    Put32(b, 0, size | (type << 24));
    Put32(b, 4, sequence);
    Put64(b, 8, 0x01D0000000000000ull + sequence);
    Put64(b, 16, 1000 + sequence);
    return b;
}

struct RequestSpec {
    uint32_t sequence = 1;
    uint16_t flags = 0;
    uint16_t kind = KIND_CREATE;
    uint32_t issueSequence = 0;
    uint32_t status = 0;
    uint32_t tail = 0;  // bytes after the request part and the IRP block
};

// A type-1 record: header, request part, the IRP block its flags ask for
// (IRP bytes 34/35 = StackCount 5, CurrentLocation 4; stack location major
// 1Bh) and `tail` further bytes (the parameter block) filled with A5h.
inline Bytes RequestRecord(const RECORD_LAYOUT& l, const RequestSpec& s) {
    uint32_t irp = 0;
    if (s.flags & REQ_FLAG_IRP_BLOCK) irp = (s.flags & REQ_FLAG_SHORT_IRP) ? l.shortIrpBlockSize : l.irpBlockSize;
    uint32_t size = l.irpBlockOffset + irp + s.tail;
    Bytes b(size, 0);
    Put32(b, 0, size | (RECORD_TYPE_REQUEST << 24));
    Put32(b, 4, s.sequence);
    Put64(b, 8, 0x01D0000000000000ull);
    uint32_t r = l.requestOffset;
    Put32(b, r + REQ_DEVICE_OBJECT, 0x81000010);
    Put32(b, r + REQ_DEVICE_KEY, 0x81000020);
    Put32(b, r + REQ_ISSUE_SEQUENCE, s.issueSequence);
    Put32(b, r + REQ_DRIVER_KEY, 0x81000030);
    Put32(b, r + REQ_DRIVER_KEY + 4, 0x81000034);
    Put16(b, r + REQ_FLAGS, s.flags);
    Put16(b, r + REQ_KIND, s.kind);
    Put32(b, r + REQ_STATUS, s.status);
    Put32(b, r + REQ_IRP, 0x81000040);
    if (irp) {
        b.at(l.irpBlockOffset + 34) = 5;
        b.at(l.irpBlockOffset + 35) = 4;
        if (irp >= IRP_SIZE + STACK_LOCATION_SIZE) b.at(l.irpBlockOffset + IRP_SIZE) = 0x1B;
    }
    for (uint32_t i = size - s.tail; i < size; ++i) b[i] = 0xA5;
    return b;
}

// Positions inside a bulk-transfer URB record built by UrbRecord.
struct UrbRecordInfo {
    uint32_t blockOffset;
    uint32_t urbOffset;
    uint32_t dataOffset;
    uint32_t dataLength;
};

constexpr uint32_t kUrbInBlock = 48;
constexpr uint32_t kBulkUrbSize = 72;

// A bulk IN transfer (URB function 09h) with a short IRP block, a URB_BLOCK
// whose data reference at +36 points at `dataLength` bytes (0x10, 0x11, ...)
// after the URB.
inline Bytes UrbRecord(const RECORD_LAYOUT& l, bool completion, uint32_t dataLength, UrbRecordInfo* info = nullptr,
                       uint32_t sequence = 2) {
    RequestSpec s;
    s.sequence = sequence;
    s.flags = REQ_FLAG_IRP_BLOCK | REQ_FLAG_SHORT_IRP | REQ_FLAG_PARAM_BLOCK | (completion ? REQ_FLAG_COMPLETION : 0);
    s.kind = KIND_URB_FIRST + 0x09;
    s.issueSequence = completion ? sequence - 1 : 0;
    s.tail = kUrbInBlock + kBulkUrbSize + dataLength;
    Bytes b = RequestRecord(l, s);
    uint32_t block = l.irpBlockOffset + l.shortIrpBlockSize;
    Put16(b, block + URB_BLOCK_URB_OFFSET, kUrbInBlock);
    b[block + URB_BLOCK_PIPE_INFO + 3] = 0x81;
    Put32(b, block + URB_BLOCK_TRANSFER_DATA_REF, dataLength);
    Put16(b, block + URB_BLOCK_TRANSFER_DATA_REF + 4, kUrbInBlock + kBulkUrbSize);
    uint32_t urb = block + kUrbInBlock;
    Put16(b, urb, kBulkUrbSize);
    Put16(b, urb + 2, 0x0009);
    Put32(b, urb + 20, 3);
    uint32_t data = urb + kBulkUrbSize;
    for (uint32_t i = 0; i < dataLength; ++i) b[data + i] = static_cast<uint8_t>(0x10 + i);
    if (info) *info = {block, urb, data, dataLength};
    return b;
}

// The index entry the store builds for a record made by UrbRecord.
inline RECORD_INDEX_ENTRY UrbEntry(const Bytes& rec, const UrbRecordInfo& info, bool completion,
                                   uint32_t companion = NO_INDEX) {
    RECORD_INDEX_ENTRY e{};
    e.firstDword = static_cast<uint32_t>(rec[0] | (rec[1] << 8) | (rec[2] << 16) | (rec[3] << 24));
    e.companion = companion;
    e.commandWrapper = NO_INDEX;
    e.kind = KIND_URB_FIRST + 0x09;
    e.blockOffset = static_cast<uint16_t>(info.blockOffset);
    e.urbOffset = static_cast<uint16_t>(info.urbOffset);
    SetEntryBlock(e, true);
    SetEntryCompletion(e, completion);
    SetEntryIn(e, true);
    if (info.dataLength) {
        e.dataOffset = static_cast<uint16_t>(info.dataOffset);
        e.dataLength = info.dataLength;
    }
    return e;
}

inline RECORD_INDEX_ENTRY MarkerEntry(const Bytes& rec) {
    RECORD_INDEX_ENTRY e{};
    e.firstDword = static_cast<uint32_t>(rec[0] | (rec[1] << 8) | (rec[2] << 16) | (rec[3] << 24));
    e.companion = NO_INDEX;
    e.commandWrapper = NO_INDEX;
    return e;
}

} // namespace brx::fixtures
