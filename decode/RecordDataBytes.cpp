#include "decode/RecordDataBytes.h"

#include "base/ByteReader.h"
#include "capture/RequestKind.h"

namespace brx {
namespace {

constexpr uint32_t kIoctlBlockHeader = 12;  // control code, buffer length, bytes captured
constexpr uint32_t kUrbFieldsRead = 24;     // up to TransferFlags at +20

RECORD_DATA_BYTES Bytes(const uint8_t* bytes, uint32_t length) {
    RECORD_DATA_BYTES d;
    if (bytes && length) {
        d.bytes = bytes;
        d.length = length;
    }
    return d;
}

// The record's transfer bytes (already clipped to what was copied).
RECORD_DATA_BYTES TransferData(const CRecordView& r) { return Bytes(r.data, r.dataLength); }

uint32_t RequestStatus(const CRecordView& r, const RECORD_LAYOUT& layout) {
    return GetRequestStatus(r.buffer, r.copied, layout);
}

bool SuccessfulCompletion(const CRecordView& r, const RECORD_LAYOUT& layout) {
    return r.completion && RequestStatus(r, layout) == 0;
}

// Block bytes [offset, offset + count) when the block holds them.
RECORD_DATA_BYTES BlockBytes(const ByteReader& block, size_t offset, size_t count) {
    if (!block.has(offset, count)) return {};
    return Bytes(block.data() + offset, static_cast<uint32_t>(count));
}

RECORD_DATA_BYTES UrbData(const CRecordView& r, const RECORD_LAYOUT& layout) {
    const ByteReader block(r.block, r.blockLength);
    if (block.size() < 32 || !r.urb) return {};
    // The URB header fields read below (function, status, transfer flags)
    // must have been captured.
    const ByteReader urb(r.urb, r.urbLength);
    if (urb.size() < kUrbFieldsRead) return {};
    const uint16_t function = urb.u16le_or(2);
    const int32_t urbStatus = static_cast<int32_t>(urb.u32le_or(4));
    const bool in = (urb.u32le_or(20) & 1) != 0;
    const bool success = SuccessfulCompletion(r, layout) && urbStatus >= 0;
    const bool issue = !r.completion;
    const size_t n = block.size();
    // Transfers in their direction's phase.
    auto byFlags = [&]() { return (in ? success : issue) ? TransferData(r) : RECORD_DATA_BYTES{}; };

    switch (function) {
    case 0x08:
    case 0x32:  // control transfers
        return n > 43 ? byFlags() : RECORD_DATA_BYTES{};
    case 0x09:  // bulk or interrupt: by the record's direction
        if (n < 44) return {};
        if (r.direction == DIRECTION_IN) return success ? TransferData(r) : RECORD_DATA_BYTES{};
        if (r.direction == DIRECTION_OUT) return issue ? TransferData(r) : RECORD_DATA_BYTES{};
        return {};
    case 0x0A:  // isochronous
        return n >= 44 ? byFlags() : RECORD_DATA_BYTES{};
    case 0x0B:
    case 0x24:
    case 0x28:  // get descriptor
        return n >= 40 && success ? TransferData(r) : RECORD_DATA_BYTES{};
    case 0x0C:
    case 0x25:
    case 0x29:  // set descriptor
        return n >= 40 && issue ? TransferData(r) : RECORD_DATA_BYTES{};
    case 0x17:
    case 0x18:
    case 0x19:
    case 0x1A:
    case 0x1B:
    case 0x1C:
    case 0x1F:
    case 0x20:  // vendor and class requests
        return n >= 40 ? byFlags() : RECORD_DATA_BYTES{};
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x21: {  // get status: the captured status word
        if (n <= 35 || !success) return {};
        const uint16_t count = block.u16le_or(32);
        return BlockBytes(block, 34, count < 2 ? count : 2);
    }
    case 0x26:  // get configuration
        return n >= 40 && success && block.u8or(36) != 0 ? BlockBytes(block, 37, 1) : RECORD_DATA_BYTES{};
    case 0x27:  // get interface
        return n > 43 && success && block.u8or(40) != 0 ? BlockBytes(block, 41, 1) : RECORD_DATA_BYTES{};
    default:
        return {};
    }
}

RECORD_DATA_BYTES KernelIoctlData(const CRecordView& r, const RECORD_LAYOUT& layout) {
    if (r.kind > 1340) return {};
    const ByteReader block(r.block, r.blockLength);
    const size_t n = block.size();
    if (n <= layout.ioctlHeaderSize) return {};
    const bool success = SuccessfulCompletion(r, layout);
    switch (r.kind) {
    case 844:
    case 846:
        return success ? BlockBytes(block, 0, 4) : RECORD_DATA_BYTES{};
    case 848:
    case 1105: {  // hub and controller names: a length at +4, the name from +8
        if (!success || n <= 15) return {};
        uint64_t count = block.u32le_or(4);
        if (count > n - 8) count = n - 8;
        return count > 3 ? BlockBytes(block, 8, static_cast<size_t>(count)) : RECORD_DATA_BYTES{};
    }
    case 849:
        return !r.completion ? BlockBytes(block, 0, 8) : RECORD_DATA_BYTES{};
    case 1104:
        return success ? BlockBytes(block, 0, 16) : RECORD_DATA_BYTES{};
    case 1108:
        return success ? BlockBytes(block, 0, 4) : RECORD_DATA_BYTES{};
    default:
        return {};
    }
}

RECORD_DATA_BYTES UserIoctlData(const CRecordView& r, const RECORD_LAYOUT& layout) {
    if (r.kind > KIND_HUB_FIRST + 99) return {};
    const bool success = SuccessfulCompletion(r, layout);
    bool show = false;
    switch (r.kind) {
    case 4340: case 4343: case 4350: case 4351: case 4440: case 4441: case 4443:
    case 4446: case 4453: case 4454: case 4456: case 4458:
        show = success;
        break;
    case 4352: case 4353: case 4455:
        show = !r.completion;
        break;
    case 4442:
        show = !r.completion || success;
        break;
    default:
        break;
    }
    return show ? GetIoctlBufferBytes(r, layout) : RECORD_DATA_BYTES{};
}

} // namespace

RECORD_DATA_BYTES GetIoctlBufferBytes(const CRecordView& r, const RECORD_LAYOUT& layout) {
    const ByteReader block(r.block, r.blockLength);
    const size_t n = block.size();
    if (n <= layout.ioctlHeaderSize || n <= kIoctlBlockHeader) return {};
    uint64_t count = block.u32le_or(IOCTL_BLOCK_BUFFER_COUNT);
    // The layout may declare a header other than the block's own 12 bytes:
    // the buffer must fit after both.
    if (count > n - layout.ioctlHeaderSize) count = n - layout.ioctlHeaderSize;
    if (count > n - kIoctlBlockHeader) count = n - kIoctlBlockHeader;
    return BlockBytes(block, kIoctlBlockHeader, static_cast<size_t>(count));
}

RECORD_DATA_BYTES GetRecordDataBytes(const CRecordView& r, const RECORD_LAYOUT& layout) {
    if (r.type != RECORD_TYPE_REQUEST || !r.hasBlock || !r.block || r.blockLength == 0) return {};
    if (r.kind >= KIND_UMIO_FIRST && r.kind <= KIND_HUB_FIRST + 99) return UserIoctlData(r, layout);
    if (IsUrbKind(r.kind)) return UrbData(r, layout);
    if (IsKernelIoctlKind(r.kind)) return KernelIoctlData(r, layout);
    return {};
}

} // namespace brx
