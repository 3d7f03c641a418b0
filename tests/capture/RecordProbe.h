// Runs every record accessor and the view filling over one record and checks
// that each part they hand out lies inside the bytes they were given; every
// byte of every part is read, so a sanitizer sees any part that does not.
// Shared by the capture tests and the record fuzzer.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/RequestKind.h"

namespace brx::fixtures {

struct ProbeResult {
    bool ok = true;            // every part inside its bytes
    bool request = false;
    bool irp = false;
    bool stack = false;
    uint32_t block = 0;        // GetParameterBlock length
    uint32_t viewBlock = 0;
    uint32_t viewUrb = 0;
    uint32_t viewData = 0;
    uint32_t checksum = 0;     // sum of every byte read
};

namespace probe_detail {
inline bool Inside(const uint8_t* base, size_t n, const uint8_t* p, size_t len) {
    return p >= base && static_cast<size_t>(p - base) <= n && len <= n - static_cast<size_t>(p - base);
}
inline uint32_t Sum(const uint8_t* p, size_t len) {
    uint32_t s = 0;
    for (size_t i = 0; i < len; ++i) s += p[i];
    return s;
}
} // namespace probe_detail

// `record` holds `bytes` bytes (best in a heap block of exactly that size);
// the view gets a buffer of `capacity` bytes filled with min(capacity, bytes).
inline ProbeResult ProbeRecord(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& l,
                               const RECORD_INDEX_ENTRY& entry, uint32_t capacity) {
    using namespace probe_detail;
    ProbeResult r;
    size_t ext = GetRecordExtent(record, bytes);
    if (ext > bytes) r.ok = false;
    r.checksum += GetRecordSize(record, bytes) + GetRecordType(record, bytes) + GetRecordSequence(record, bytes);
    r.checksum += static_cast<uint32_t>(GetRecordSystemTime(record, bytes) + GetRecordCounter(record, bytes));

    if (const uint8_t* req = GetRecordRequest(record, bytes, l)) {
        r.request = true;
        if (!Inside(record, ext, req, REQUEST_PART_SIZE)) r.ok = false;
        else r.checksum += Sum(req, REQUEST_PART_SIZE);
    }
    r.checksum += GetRequestFlags(record, bytes, l) + GetRequestKind(record, bytes, l) +
                  GetRequestStatus(record, bytes, l) + GetRequestDeviceObject(record, bytes, l) +
                  GetRequestDeviceKey(record, bytes, l) + GetRequestIssueSequence(record, bytes, l) +
                  static_cast<uint32_t>(GetRequestDriverKey(record, bytes, l)) + GetRequestIrp(record, bytes, l);
    r.checksum += IsCompletionRequest(record, bytes, l) + HasIrpInfo(record, bytes, l) +
                  IsShortIrpInfo(record, bytes, l) + GetParameterBlockOffset(record, bytes, l);

    if (const uint8_t* irp = GetIrpBlock(record, bytes, l)) {
        r.irp = true;
        if (!Inside(record, ext, irp, IRP_SIZE)) r.ok = false;
        else r.checksum += Sum(irp, IRP_SIZE);
    }
    if (const uint8_t* stack = GetCurrentStackLocation(record, bytes, l)) {
        r.stack = true;
        if (!Inside(record, ext, stack, STACK_LOCATION_SIZE)) r.ok = false;
        else r.checksum += Sum(stack, STACK_LOCATION_SIZE);
    }
    bool has = HasParameterBlock(record, bytes, l);
    uint32_t blockLength = 0;
    const uint8_t* block = GetParameterBlock(record, bytes, l, &blockLength);
    if (has != (block != nullptr) || (block == nullptr) != (blockLength == 0)) r.ok = false;
    if (block) {
        r.block = blockLength;
        if (blockLength < PARAMETER_BLOCK_MIN || !Inside(record, ext, block, blockLength) ||
            block + blockLength != record + ext)
            r.ok = false;
        else
            r.checksum += Sum(block, blockLength);
        for (uint32_t at : {URB_BLOCK_REQUEST_DATA_REF, URB_BLOCK_TRANSFER_DATA_REF}) {
            DATA_REFERENCE ref;
            if (!ReadDataReference(block, blockLength, at, ref)) continue;
            uint32_t n = 0;
            const uint8_t* data = GetDataRefBytes(block, blockLength, ref, &n);
            if (data && !Inside(block, blockLength, data, n)) r.ok = false;
            else if (data) r.checksum += Sum(data, n);
        }
    }

    // The view: the store copies min(capacity, record size) bytes.
    uint32_t recordSize = GetEntryRecordSize(entry);
    size_t copy = bytes < capacity ? bytes : capacity;
    if (copy > recordSize) copy = recordSize;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[capacity ? capacity : 1]);
    if (copy) std::memcpy(buffer.get(), record, copy);
    CRecordPairView pair;
    pair.Init(buffer.get(), capacity, nullptr, 0);
    CRecordView& v = pair.record;
    FillRecordView(v, 0, entry, static_cast<uint32_t>(copy));
    if (v.copied > copy) r.ok = false;
    const uint8_t* base = v.buffer;
    struct Part {
        const uint8_t* p;
        uint32_t n;
        uint32_t* out;
    } parts[] = {{v.block, v.blockLength, &r.viewBlock}, {v.urb, v.urbLength, &r.viewUrb},
                 {v.data, v.dataLength, &r.viewData}};
    for (const Part& part : parts) {
        *part.out = part.n;
        if (!part.n) continue;
        if (!Inside(base, v.copied, part.p, part.n)) r.ok = false;
        else r.checksum += Sum(part.p, part.n);
    }
    r.checksum += v.kind + v.direction + v.completion + v.companion + v.massStorageBytes[0];
    r.checksum += GetRequestKindListText(v.kind)[0] + GetRequestKindSummaryText(v.kind)[0];
    r.checksum += IrpMajorFromRequestKind(v.kind) + static_cast<uint32_t>(UrbFunctionFromRequestKind(v.kind)) +
                  PowerMinorFromRequestKind(v.kind) + PnpMinorFromRequestKind(v.kind) +
                  KernelIoctlFromRequestKind(v.kind) + UserIoctlFromRequestKind(v.kind);
    return r;
}

} // namespace brx::fixtures
