#include "capture/RecordIndexer.h"

#include <algorithm>
#include <array>
#include <new>

#include "base/ByteReader.h"

namespace brx {

namespace {

constexpr uint16_t kFirstUrbKind = 340;
constexpr uint16_t kLastUrbKind = 839;
constexpr uint16_t kLastUrbFunction = 0x34;
constexpr uint32_t kMaxOffset = 0xFFFF;      // offsets in the entry are WORDs
constexpr uint32_t kUrbHeaderSize = 16;
constexpr uint32_t kUrbBlockMinimum = 32;    // the block header the handlers read
constexpr uint32_t kPrefetchDistance = 4096; // bytes ahead of the walk to fetch
constexpr uint32_t kCacheLine = 64;

// URB_BLOCK fields read here.
constexpr uint32_t kBlockUrbOffset = 2;
constexpr uint32_t kBlockClass = 12;
constexpr uint32_t kBlockSubClass = 13;
constexpr uint32_t kBlockProtocol = 14;
constexpr uint32_t kBlockEndpoint = 35;

// URB fields read here.
constexpr uint32_t kUrbFunction = 2;
constexpr uint32_t kUrbStatus = 4;
constexpr uint32_t kUrbTransferFlags = 20;
constexpr uint32_t kUrbSetupRequestType = 72;

enum class Direction : uint8_t {
    None,
    In,
    Out,
    SetupPacket,     // bit 7 of bmRequestType at URB +72
    Endpoint,        // endpoint address at block +35; transfer flags bit 0 when it is FFh
    TransferFlags,   // transfer flags bit 0
};

struct UrbHandler {
    uint16_t minimum = 0;     // URB offset in the block + minimum must fit the block bytes
    Direction direction = Direction::None;
    uint8_t dataRef = 0;      // block offset of the DATA_REFERENCE, 0 for none
    bool massStorage = false; // bulk or interrupt: the Bulk-Only tie follows
};

struct HandlerRow {
    uint16_t functions[8];
    uint8_t count;
    UrbHandler handler;
};

// The handlers by URB function; functions without a row add nothing.
constexpr HandlerRow kHandlerRows[] = {
    {{0x08, 0x32}, 2, {80, Direction::SetupPacket, 36, false}},
    {{0x09}, 1, {72, Direction::Endpoint, 36, true}},
    {{0x0A}, 1, {96, Direction::Endpoint, 36, false}},
    {{0x0B, 0x24, 0x28}, 3, {80, Direction::In, 32, false}},
    {{0x0C, 0x25, 0x29}, 3, {80, Direction::Out, 32, false}},
    {{0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1F, 0x20}, 8, {80, Direction::TransferFlags, 32, false}},
    {{0x13, 0x14, 0x15, 0x21, 0x26, 0x27}, 6, {0, Direction::In, 0, false}},
    {{0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x22, 0x23}, 8, {0, Direction::Out, 0, false}},
};

constexpr std::array<UrbHandler, kLastUrbFunction + 1> MakeHandlerTable() {
    std::array<UrbHandler, kLastUrbFunction + 1> t{};
    for (const HandlerRow& row : kHandlerRows)
        for (uint8_t i = 0; i < row.count; ++i) t[row.functions[i]] = row.handler;
    return t;
}
constexpr auto kUrbHandlers = MakeHandlerTable();

uint8_t KindFromSubClass(uint8_t subClass) {
    if (subClass == 0x01) return MSC_KIND_RBC;
    if (subClass == 0x02) return MSC_KIND_MMC;
    return MSC_KIND_UNKNOWN;
}

uint8_t KindFromPeripheralType(uint8_t type, uint8_t subClass) {
    switch (type & 0x1F) {
    case 0x00: case 0x04: case 0x07: return MSC_KIND_SBC;
    case 0x05: return MSC_KIND_MMC;
    case 0x0E: return MSC_KIND_RBC;
    default: return KindFromSubClass(subClass);
    }
}

uint8_t SpcVersionFromInquiry(uint8_t version) {
    switch (version) {
    case 0x03: case 0x83: return 3;
    case 0x04: case 0x84: return 4;
    case 0x05: return 5;
    case 0x06: return 6;
    default: return 0;
    }
}

// The Bulk-Only tie of a bulk transfer on a mass-storage interface. rec is the
// record clipped to its own bytes; the data stage is read only inside it.
void TieMassStorage(uint32_t index, const ByteReader& rec, const RECORD_LAYOUT& layout, uint32_t blockOffset,
                    uint32_t urbOffset, PendingCommandMap& pending, DeviceKindMap& deviceKinds,
                    RECORD_INDEX_ENTRY& e) {
    const uint8_t subClass = rec.u8or(blockOffset + kBlockSubClass);
    const uint32_t key = rec.u32le_or(layout.requestOffset + REQ_DEVICE_KEY);
    const bool completion = (e.flags & INDEX_FLAG_COMPLETION) != 0;

    // 1. What is known of the device.
    if (auto it = deviceKinds.find(key); it != deviceKinds.end()) {
        e.deviceKind = static_cast<uint8_t>(it->second >> 8);
        e.spcVersion = static_cast<uint8_t>(it->second);
    } else {
        e.deviceKind = KindFromSubClass(subClass);
    }

    // The data stage as far as the record holds it.
    ByteReader data;
    if (e.dataLength) data = rec.sub(e.dataOffset, e.dataLength);

    auto takePending = [&](const PENDING_CBW& p) {
        e.flags |= INDEX_FLAG_MSC;
        e.opcode = p.opcode;
        e.serviceAction = p.serviceAction;
        e.commandWrapper = p.wrapperIndex;
    };

    // 2. A command block wrapper at issue.
    if (!completion && e.dataLength == CBW_LENGTH) {
        if (data.size() == CBW_LENGTH && data.u32le_or(0) == CBW_SIGNATURE) {
            e.flags |= INDEX_FLAG_CBW | INDEX_FLAG_MSC;
            e.opcode = data.u8or(15);
            e.serviceAction = e.opcode == 0x9E ? static_cast<uint8_t>(data.u8or(16) & 0x1F) : 0;
            pending.insert_or_assign(key, PENDING_CBW{e.opcode, e.serviceAction, index});
        }
        return;
    }
    // 3. A command status wrapper at completion ends the command.
    if (completion && e.dataLength == CSW_LENGTH) {
        if (data.size() == CSW_LENGTH && data.u32le_or(0) == CSW_SIGNATURE) {
            e.flags |= INDEX_FLAG_CSW;
            if (auto it = pending.find(key); it != pending.end()) {
                takePending(it->second);
                pending.erase(it);
            }
        }
        return;
    }
    // 4. A data stage (or the issue of a status stage) of the pending command.
    auto it = pending.find(key);
    if (it == pending.end()) return;
    takePending(it->second);
    if (e.opcode != 0x12 || !completion || data.size() < 36) return;
    const uint32_t ntStatus = rec.u32le_or(layout.requestOffset + REQ_STATUS, 1);
    uint32_t usbdStatus = 0;
    if (!rec.u32le(urbOffset + kUrbStatus, usbdStatus)) return;
    if (ntStatus != 0 || static_cast<int32_t>(usbdStatus) < 0) return;
    const uint8_t kind = KindFromPeripheralType(data.u8or(0), subClass);
    const uint8_t version = SpcVersionFromInquiry(data.u8or(2));
    deviceKinds.insert_or_assign(key, static_cast<uint16_t>((kind << 8) | version));
    e.deviceKind = kind;
    e.spcVersion = version;
}

} // namespace

uint32_t MinimumRecordSize(const RECORD_LAYOUT& layout) {
    return std::max<uint32_t>(layout.requestOffset, RECORD_SEQUENCE_OFFSET + 4);
}

bool BuildIndexEntry(uint32_t index, const uint8_t* record, size_t remaining, const RECORD_LAYOUT& layout,
                     PendingCommandMap& pending, DeviceKindMap& deviceKinds, RECORD_INDEX_ENTRY& e) {
    uint32_t first = 0;
    if (!record || !ByteReader(record, remaining).u32le(0, first)) return false;
    const uint32_t size = first & 0xFFFFFF;
    const uint32_t type = first >> 24;
    // 1. Too short for its header.
    if (size < MinimumRecordSize(layout)) return false;

    // 2. Every read below stays inside the record and the window.
    const ByteReader rec(record, std::min<size_t>(size, remaining));
    e = RECORD_INDEX_ENTRY{};
    e.firstDword = first;
    e.companion = NO_INDEX;
    e.commandWrapper = NO_INDEX;

    // 3. Markers carry nothing more.
    if (type == RECORD_TYPE_START || type == RECORD_TYPE_OTHER || type == RECORD_TYPE_DROP) return true;
    if (type != RECORD_TYPE_REQUEST) return false;

    // 4. A request needs its request part (and the layout's IRP block offset).
    const uint64_t requestEnd = std::max<uint64_t>(layout.irpBlockOffset, uint64_t{layout.requestOffset} + 32);
    if (rec.size() < requestEnd) return false;
    const uint16_t requestFlags = rec.u16le_or(layout.requestOffset + REQ_FLAGS);
    if (requestFlags & REQ_FLAG_COMPLETION) e.flags |= INDEX_FLAG_COMPLETION;
    e.kind = rec.u16le_or(layout.requestOffset + REQ_KIND);

    // 5. The parameter block must lie inside the record.
    if (!(requestFlags & REQ_FLAG_PARAM_BLOCK)) return true;
    const uint64_t blockOffset64 = ParameterBlockOffsetFromFlags(requestFlags, layout);
    if (blockOffset64 >= kMaxOffset || rec.size() < blockOffset64 + 4) return false;
    const uint32_t blockOffset = static_cast<uint32_t>(blockOffset64);
    e.blockOffset = static_cast<uint16_t>(blockOffset);
    e.flags |= INDEX_FLAG_BLOCK;

    // 6. URBs: the URB's function picks the handler.
    if (e.kind < kFirstUrbKind || e.kind > kLastUrbKind) return true;
    if (rec.size() < blockOffset + kUrbBlockMinimum) return true;
    const uint32_t u = rec.u16le_or(blockOffset + kBlockUrbOffset);
    const uint32_t urbOffset = blockOffset + u;
    if (urbOffset >= kMaxOffset || rec.size() < urbOffset + kUrbHeaderSize) return true;
    e.urbOffset = static_cast<uint16_t>(urbOffset);
    const uint16_t function = rec.u16le_or(urbOffset + kUrbFunction);
    if (function > kLastUrbFunction) return true;

    const UrbHandler& h = kUrbHandlers[function];
    const size_t blockBytes = rec.size() - blockOffset;
    if (uint64_t{u} + h.minimum > blockBytes) return true;

    switch (h.direction) {
    case Direction::None:
        break;
    case Direction::In:
        e.flags |= INDEX_FLAG_IN;
        break;
    case Direction::Out:
        e.flags |= INDEX_FLAG_OUT;
        break;
    case Direction::SetupPacket:
        e.flags |= (rec.u8or(urbOffset + kUrbSetupRequestType) & 0x80) ? INDEX_FLAG_IN : INDEX_FLAG_OUT;
        break;
    case Direction::Endpoint: {
        const uint8_t endpoint = rec.u8or(blockOffset + kBlockEndpoint, 0xFF);
        const bool in = endpoint == 0xFF ? (rec.u32le_or(urbOffset + kUrbTransferFlags) & 1) != 0
                                         : (endpoint & 0x80) != 0;
        e.flags |= in ? INDEX_FLAG_IN : INDEX_FLAG_OUT;
        break;
    }
    case Direction::TransferFlags:
        e.flags |= (rec.u32le_or(urbOffset + kUrbTransferFlags) & 1) ? INDEX_FLAG_IN : INDEX_FLAG_OUT;
        break;
    }

    if (h.dataRef) {
        uint32_t ref = 0;
        uint16_t refOffset = 0;
        if (rec.u32le(blockOffset + h.dataRef, ref) && rec.u16le(blockOffset + h.dataRef + 4, refOffset)) {
            const uint32_t length = ref & 0x0FFFFFFF;
            const uint32_t dataOffset = blockOffset + refOffset;
            if (length != 0 && dataOffset < kMaxOffset) {
                e.dataOffset = static_cast<uint16_t>(dataOffset);
                e.dataLength = length;
            }
            if (ref & 0x80000000u) e.flags |= INDEX_FLAG_DATA_REF;
        }
    }

    if (h.massStorage && rec.u8or(blockOffset + kBlockClass) == 0x08 &&
        rec.u8or(blockOffset + kBlockProtocol) == 0x50)
        TieMassStorage(index, rec, layout, blockOffset, urbOffset, pending, deviceKinds, e);
    return true;
}

// ---------------------------------------------------------------------------

CRecordIndexer::CRecordIndexer(size_t recentSequences) : sequences_(recentSequences) {
    pending_.reserve(17);
    deviceKinds_.reserve(17);
}

void CRecordIndexer::Clear() {
    sequences_.Clear();
    ClearMassStorage();
}

void CRecordIndexer::ClearMassStorage() {
    pending_.clear();
    deviceKinds_.clear();
}

CRecordIndexer::IndexRecordResult CRecordIndexer::IndexRecord(const uint8_t* record, uint32_t bytes,
                                                              uint32_t position, const RECORD_LAYOUT& layout,
                                                              IRecordIndex& index, bool shareWrapperFlags) {
    IndexRecordResult x;
    try {
        RECORD_INDEX_ENTRY e;
        const uint32_t idx = index.GetCount();
        if (!BuildIndexEntry(idx, record, bytes, layout, pending_, deviceKinds_, e)) return x;
        e.position = position;
        const ByteReader rec(record, std::min<size_t>(bytes, e.firstDword & RECORD_SIZE_MASK));
        const uint32_t sequence = rec.u32le_or(RECORD_SEQUENCE_OFFSET);
        // A completion's issue record, looked up before the record maps its
        // own number: a completion that names its own number would find
        // itself, and gets no companion.
        uint32_t issue = NO_INDEX;
        if ((e.firstDword >> 24) == RECORD_TYPE_REQUEST && (e.flags & INDEX_FLAG_COMPLETION)) {
            uint32_t issueSequence = 0;
            if (rec.u32le(uint64_t{layout.requestOffset} + REQ_ISSUE_SEQUENCE, issueSequence) &&
                issueSequence != sequence && sequences_.Find(issueSequence, issue) && issue < idx)
                e.companion = issue;
            else
                issue = NO_INDEX;
        }
        if (issue != NO_INDEX && shareWrapperFlags) e.flags |= index.GetAt(issue)->flags & INDEX_FLAG_CBW;
        if (!index.Append(e)) {
            x.outOfMemory = true;
            return x;
        }
        x.appended = true;
        if (issue != NO_INDEX) {
            RECORD_INDEX_ENTRY* issueEntry = index.GetAt(issue);
            issueEntry->companion = idx;
            if (shareWrapperFlags) issueEntry->flags |= e.flags & INDEX_FLAG_CSW;
        }
        sequences_.Insert(sequence, idx);
    } catch (const std::bad_alloc&) {
        x.outOfMemory = true;
    }
    return x;
}

CommitResult CRecordIndexer::Commit(const uint8_t* window, uint32_t count, uint32_t basePosition,
                                    const RECORD_LAYOUT& layout, IRecordIndex& index) {
    CommitResult r;
    if (!window) count = 0;
    const uint32_t minimum = MinimumRecordSize(layout);
    uint32_t offset = 0;
    uint64_t prefetched = 0;   // 64-bit: cannot wrap near the end of a large window
    while (count - offset >= minimum) {
        const uint8_t* rec = window + offset;
        const uint32_t remaining = count - offset;
        // The walk is one chain of dependent loads (each size gives the next
        // record) over bytes that are rarely in the cache yet: every cache
        // line up to a few records ahead is asked for before it is needed.
        const uint32_t ahead = remaining > kPrefetchDistance ? offset + kPrefetchDistance : count;
        for (; prefetched < ahead; prefetched += kCacheLine) __builtin_prefetch(window + prefetched);
        const ByteReader reader(rec, remaining);
        const uint32_t first = reader.u32le_or(0);
        const uint32_t size = first & 0xFFFFFF;
        if (size < minimum || size > remaining) break;   // a size that would never end the walk

        const IndexRecordResult x = IndexRecord(rec, remaining, basePosition + offset, layout, index);
        if (x.appended) ++r.indexed;
        if (x.outOfMemory) {
            r.status = CommitStatus::OutOfMemory;
            if (x.appended) offset += size;
            break;
        }
        offset += size;
    }
    r.consumed = offset;
    if (r.status == CommitStatus::Ok && offset != count) r.status = CommitStatus::Stopped;
    return r;
}

// ---------------------------------------------------------------------------

bool WalkDriverNotifications(const uint8_t* buffer, size_t length, const RECORD_LAYOUT& layout,
                             IDriverNotificationSink& sink) {
    const uint32_t header = std::max<uint32_t>(layout.notifyHeaderSize, 8);
    const ByteReader all(buffer, length);
    if (all.size() <= header || all.u32le_or(0) <= header) return false;
    bool used = false;
    size_t offset = 0;
    while (all.size() - offset >= 8) {
        const uint32_t size = all.u32le_or(offset);
        const uint32_t kind = all.u32le_or(offset + 4);
        if (size < header || size > all.size() - offset) break;
        const uint8_t* block = buffer + offset;
        // A header without a body carries nothing for the tables.
        switch (size > header ? kind : 0) {
        case NOTIFY_DEVICE_NAMES:
            sink.AddDeviceNames(block, size, layout);
            used = true;
            break;
        case NOTIFY_DRIVER_NAMES:
            sink.AddDriverNames(block, size, layout);
            used = true;
            break;
        case NOTIFY_HID_DESCRIPTORS:
            sink.AddHidDescriptors(block, size, layout);
            used = true;
            break;
        default:
            break;
        }
        offset += size;
    }
    return used;
}

} // namespace brx
