// Prints what the record model makes of a few built-in sample records: a
// capture-start marker, a bulk transfer URB at issue and at completion (with
// data), and a PnP IRP. The records are laid out as the capture driver writes
// them (request part at byte 24), described by a sample driver information
// record. Output is the same on every toolchain.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/RequestKind.h"
#include "capture/TimeFields.h"

using namespace brx;

namespace {

constexpr uint64_t kCounterFrequency = 3579545;        // counter ticks per second
constexpr uint64_t kStartTime = 0x01DDD32FC4395C00ull;  // 2027-03-15 09:30:00 UTC
constexpr uint32_t kUrbInBlock = 48;                    // the URB's offset inside the URB_BLOCK
constexpr uint32_t kBulkUrbSize = 72;                   // _URB_BULK_OR_INTERRUPT_TRANSFER, 32-bit

// Little-endian writer for building sample records.
class Builder {
public:
    explicit Builder(uint32_t size) : bytes_(size, 0) {}
    Builder& u8(uint32_t at, uint8_t v) { bytes_.at(at) = v; return *this; }
    Builder& u16(uint32_t at, uint16_t v) { u8(at, v & 0xFF); return u8(at + 1, v >> 8); }
    Builder& u32(uint32_t at, uint32_t v) { u16(at, v & 0xFFFF); return u16(at + 2, v >> 16); }
    Builder& u64(uint32_t at, uint64_t v) { u32(at, static_cast<uint32_t>(v)); return u32(at + 4, v >> 32); }
    std::vector<uint8_t> take() { return bytes_; }
private:
    std::vector<uint8_t> bytes_;
};

DRIVER_INFO SampleDriverInfo() {
    DRIVER_INFO info = MakeEmptyDriverInfo();
    const uint32_t dwords[][2] = {{64, 0}, {72, 4}, {76, 24}, {80, 32}, {84, 148}, {88, 112},
                                  {92, 12}, {96, 8}, {100, 16}, {108, 16}, {116, 16}};
    for (const auto& d : dwords)
        for (int i = 0; i < 4; ++i) info.bytes[d[0] + i] = static_cast<uint8_t>(d[1] >> (8 * i));
    return info;
}

void Header(Builder& b, uint32_t size, uint32_t type, uint32_t sequence, uint64_t counter) {
    b.u32(0, size | (type << 24)).u32(4, sequence);
    b.u64(8, kStartTime + counter * 10000000 / kCounterFrequency).u64(16, counter);
}

void Request(Builder& b, const RECORD_LAYOUT& l, uint16_t flags, uint16_t kind, uint32_t issueSeq,
             uint32_t status, uint32_t irp) {
    uint32_t r = l.requestOffset;
    b.u32(r + REQ_DEVICE_OBJECT, 0x8A41C030).u32(r + REQ_DEVICE_KEY, 0x8A3F2E10);
    b.u32(r + REQ_ISSUE_SEQUENCE, issueSeq).u32(r + REQ_DRIVER_KEY, 0x8A2B7F88).u32(r + REQ_DRIVER_KEY + 4, 0);
    b.u16(r + REQ_FLAGS, flags).u16(r + REQ_KIND, kind).u32(r + REQ_STATUS, status).u32(r + REQ_IRP, irp);
}

std::vector<uint8_t> StartMarker() {
    Builder b(24);
    Header(b, 24, RECORD_TYPE_START, 1, 1000);
    return b.take();
}

// A bulk IN transfer on endpoint 81h with a short IRP block; the completion
// carries `dataLength` captured bytes after the URB.
std::vector<uint8_t> BulkTransfer(const RECORD_LAYOUT& l, bool completion, uint32_t sequence,
                                  uint64_t counter, const uint8_t* data, uint32_t dataLength) {
    uint32_t block = l.irpBlockOffset + l.shortIrpBlockSize;
    uint32_t dataInBlock = kUrbInBlock + kBulkUrbSize;
    uint32_t size = block + dataInBlock + dataLength;
    Builder b(size);
    Header(b, size, RECORD_TYPE_REQUEST, sequence, counter);
    uint16_t flags = REQ_FLAG_IRP_BLOCK | REQ_FLAG_SHORT_IRP | REQ_FLAG_PARAM_BLOCK;
    if (completion) flags |= REQ_FLAG_COMPLETION;
    Request(b, l, flags, KIND_URB_FIRST + 0x09, completion ? 2 : 0, 0, 0x8A5D0E48);
    uint32_t irp = l.irpBlockOffset;
    b.u16(irp + 2, IRP_SIZE).u8(irp + 34, 4).u8(irp + 35, 3);  // Size, StackCount, CurrentLocation
    // URB_BLOCK: URB offset, interface class FFh, pipe information, data reference.
    b.u16(block + URB_BLOCK_URB_OFFSET, kUrbInBlock);
    b.u8(block + URB_BLOCK_INTERFACE_CLASS, 0xFF);
    b.u8(block + URB_BLOCK_PIPE_INFO, 1).u8(block + URB_BLOCK_PIPE_INFO + 1, 0).u8(block + URB_BLOCK_PIPE_INFO + 3, 0x81);
    b.u32(block + URB_BLOCK_TRANSFER_DATA_REF, dataLength).u16(block + URB_BLOCK_TRANSFER_DATA_REF + 4, dataInBlock);
    // The URB: header, pipe handle, transfer flags (IN, short transfer OK), length.
    uint32_t urb = block + kUrbInBlock;
    b.u16(urb, kBulkUrbSize).u16(urb + 2, 0x0009).u32(urb + 16, 0x8A61F2C4).u32(urb + 20, 3);
    b.u32(urb + 24, completion ? dataLength : 512);
    for (uint32_t i = 0; i < dataLength; ++i) b.u8(block + dataInBlock + i, data[i]);
    return b.take();
}

// IRP_MN_QUERY_ID with the long IRP block (IRP and current stack location).
std::vector<uint8_t> PnpIrp(const RECORD_LAYOUT& l, uint32_t sequence, uint64_t counter) {
    uint32_t size = l.irpBlockOffset + l.irpBlockSize;
    Builder b(size);
    Header(b, size, RECORD_TYPE_REQUEST, sequence, counter);
    Request(b, l, REQ_FLAG_IRP_BLOCK, KIND_PNP_FIRST + 0x13, 0, 0, 0x8A70A008);
    uint32_t irp = l.irpBlockOffset;
    b.u16(irp + 2, IRP_SIZE).u8(irp + 34, 6).u8(irp + 35, 6);
    uint32_t stack = irp + IRP_SIZE;
    b.u8(stack, 0x1B).u8(stack + 1, 0x13).u32(stack + 4, 1);  // major, minor, BusQueryHardwareIDs
    return b.take();
}

// The index entry of a record, as far as these samples need it: kind, flags,
// parameter block, URB, and the transfer data of a bulk transfer.
RECORD_INDEX_ENTRY EntryFor(const std::vector<uint8_t>& rec, const RECORD_LAYOUT& l, uint32_t position,
                            uint32_t companion) {
    const uint8_t* p = rec.data();
    size_t n = rec.size();
    RECORD_INDEX_ENTRY e{};
    e.position = position;
    e.firstDword = GetRecordSize(p, n) | (GetRecordType(p, n) << 24);
    e.companion = companion;
    e.commandWrapper = NO_INDEX;
    if (GetRecordType(p, n) != RECORD_TYPE_REQUEST) return e;
    e.kind = GetRequestKind(p, n, l);
    SetEntryCompletion(e, IsCompletionRequest(p, n, l));
    uint32_t blockLength = 0;
    const uint8_t* block = GetParameterBlock(p, n, l, &blockLength);
    if (!block) return e;
    uint32_t blockOffset = static_cast<uint32_t>(block - p);
    e.blockOffset = static_cast<uint16_t>(blockOffset);
    SetEntryBlock(e, true);
    if (!IsUrbKind(e.kind) || blockLength < 44) return e;
    uint32_t urbInBlock = block[URB_BLOCK_URB_OFFSET] | (block[URB_BLOCK_URB_OFFSET + 1] << 8);
    if (urbInBlock + kBulkUrbSize > blockLength) return e;
    e.urbOffset = static_cast<uint16_t>(blockOffset + urbInBlock);
    uint8_t endpoint = block[URB_BLOCK_PIPE_INFO + 3];
    SetEntryIn(e, (endpoint & 0x80) != 0);
    SetEntryOut(e, (endpoint & 0x80) == 0);
    DATA_REFERENCE ref;
    if (ReadDataReference(block, blockLength, URB_BLOCK_TRANSFER_DATA_REF, ref) && GetDataRefLength(ref) != 0) {
        e.dataOffset = static_cast<uint16_t>(blockOffset + GetDataRefOffset(ref));
        e.dataLength = GetDataRefLength(ref);
        SetEntryDataRefFlag(e, IsDataRefFlagSet(ref));
    }
    return e;
}

const char* DirectionText(uint32_t d) { return d == DIRECTION_IN ? "IN" : d == DIRECTION_OUT ? "OUT" : "none"; }

void PrintTime(const char* label, const TIME_FIELDS& t) {
    std::printf("  %-22s %04u-%02u-%02u %02u:%02u:%02u.%03u weekday %u\n", label, t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second, t.Milliseconds, t.Weekday);
}

void Describe(const char* title, const std::vector<uint8_t>& rec, const RECORD_LAYOUT& l,
              const RECORD_INDEX_ENTRY& entry, uint32_t index, int64_t firstCounter) {
    const uint8_t* p = rec.data();
    size_t n = rec.size();
    std::printf("%s\n", title);
    std::printf("  %-22s %u bytes, type %u, sequence %04u\n", "record", GetRecordSize(p, n), GetRecordType(p, n),
                GetRecordSequence(p, n));
    TIME_FIELDS t{};
    TimeToTimeFields(GetRecordSystemTime(p, n), t);
    PrintTime("system time (UTC)", t);
    int64_t ticks = GetRecordCounter(p, n) - firstCounter;
    uint64_t elapsed = ticks > 0 ? static_cast<uint64_t>(ticks) * 10000000 / kCounterFrequency : 0;
    TIME_FIELDS d{};
    TimeToDurationFields(elapsed, d);
    std::printf("  %-22s %u d %02u:%02u:%02u.%03u (%" PRId64 " counter ticks)\n", "elapsed since start", d.Day,
                d.Hour, d.Minute, d.Second, d.Milliseconds, ticks);

    if (GetRecordRequest(p, n, l)) {
        uint32_t kind = GetRequestKind(p, n, l);
        std::printf("  %-22s %u \"%s\" / \"%s\", IRP major %u", "request kind", kind, GetRequestKindListText(kind),
                    GetRequestKindSummaryText(kind), IrpMajorFromRequestKind(kind));
        if (UrbFunctionFromRequestKind(kind) >= 0)
            std::printf(", URB function 0x%04X", static_cast<unsigned>(UrbFunctionFromRequestKind(kind)));
        if (PnpMinorFromRequestKind(kind) != 255) std::printf(", PnP minor 0x%02X", PnpMinorFromRequestKind(kind));
        std::printf("\n");
        std::printf("  %-22s 0x%04X (%s%s%s), status 0x%08X, IRP 0x%08X\n", "request flags",
                    GetRequestFlags(p, n, l), IsCompletionRequest(p, n, l) ? "completion" : "issue",
                    HasIrpInfo(p, n, l) ? (IsShortIrpInfo(p, n, l) ? ", short IRP" : ", IRP + stack location") : "",
                    HasParameterBlock(p, n, l) ? ", parameter block" : "", GetRequestStatus(p, n, l),
                    GetRequestIrp(p, n, l));
        if (IsCompletionRequest(p, n, l))
            std::printf("  %-22s %04u-%04u\n", "sequence pair", GetRecordSequence(p, n), GetRequestIssueSequence(p, n, l));
        if (const uint8_t* irp = GetIrpBlock(p, n, l)) {
            std::printf("  %-22s at %u, StackCount %u, CurrentLocation %u\n", "IRP", static_cast<unsigned>(irp - p),
                        irp[34], irp[35]);
        }
        if (const uint8_t* stack = GetCurrentStackLocation(p, n, l)) {
            std::printf("  %-22s at %u, major 0x%02X minor 0x%02X\n", "stack location",
                        static_cast<unsigned>(stack - p), stack[0], stack[1]);
        }
    }

    std::vector<uint8_t> buffer(rec);
    CRecordView view;
    view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
    FillRecordView(view, index, entry, static_cast<uint32_t>(buffer.size()));
    std::printf("  %-22s index %u, companion %s", "view", view.index,
                view.companion == NO_INDEX ? "none" : "");
    if (view.companion != NO_INDEX) std::printf("%u", view.companion);
    std::printf(", direction %s, copied %u\n", DirectionText(view.direction), view.copied);
    if (view.blockLength)
        std::printf("  %-22s at %u, %u bytes\n", "parameter block", static_cast<unsigned>(view.block - view.buffer),
                    view.blockLength);
    if (view.urbLength) {
        const uint8_t* u = view.urb;
        std::printf("  %-22s at %u, %u bytes, Length %u, Function 0x%04X\n", "URB",
                    static_cast<unsigned>(u - view.buffer), view.urbLength, u[0] | (u[1] << 8), u[2] | (u[3] << 8));
    }
    if (view.dataLength) {
        std::printf("  %-22s at %u, %u bytes:", "data", static_cast<unsigned>(view.data - view.buffer),
                    view.dataLength);
        for (uint32_t i = 0; i < view.dataLength; ++i) std::printf(" %02X", view.data[i]);
        std::printf("\n");
    }
    std::printf("\n");
}

} // namespace

int main() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as on every other system
#endif
    RECORD_LAYOUT layout{};
    bool fromInfo = BuildRecordLayout(SampleDriverInfo(), layout);
    std::printf("Brindlex record model sample\n");
    std::printf("layout %s: request part at %u (%u bytes), IRP block at %u (%u long, %u short)\n\n",
                fromInfo ? "from driver information" : "default", layout.requestOffset, layout.requestSize,
                layout.irpBlockOffset, layout.irpBlockSize, layout.shortIrpBlockSize);

    const uint8_t csw[13] = {0x55, 0x53, 0x42, 0x53, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::vector<std::vector<uint8_t>> records = {
        StartMarker(),
        BulkTransfer(layout, false, 2, 1000 + 3579, nullptr, 0),
        BulkTransfer(layout, true, 3, 1000 + 5012, csw, sizeof csw),
        PnpIrp(layout, 4, 1000 + 3579545 + 61),
    };
    const char* titles[] = {"Record 0: capture start", "Record 1: bulk transfer, issue",
                            "Record 2: bulk transfer, completion", "Record 3: PnP IRP"};
    const uint32_t companions[] = {NO_INDEX, 2, 1, NO_INDEX};

    uint32_t position = 0;
    int64_t firstCounter = GetRecordCounter(records[0].data(), records[0].size());
    for (uint32_t i = 0; i < records.size(); ++i) {
        RECORD_INDEX_ENTRY entry = EntryFor(records[i], layout, position, companions[i]);
        Describe(titles[i], records[i], layout, entry, i, firstCounter);
        position += static_cast<uint32_t>(records[i].size());
    }
    return 0;
}
