#include "protocols/MscDetails.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "base/ByteReader.h"
#include "protocols/ScsiNames.h"
#include "protocols/ScsiOpcodes.h"

namespace brx {
namespace {

// Bounded sizes of the formatted parts.
constexpr size_t kCbwDetailSize = 64;
constexpr size_t kDataDetailSize = 128;
constexpr size_t kWrapperSize = 32;

constexpr size_t kCbwLunOffset = 13;
constexpr size_t kCbwCdbLengthOffset = 14;
constexpr size_t kCbwCdbOffset = 15;

struct MscBytes {
    bool known = false; // the record carries the pending command's bytes
    uint8_t op = 0;
    uint8_t cdb1 = 0;
    uint8_t kind = 0;
    uint8_t version = 0;
};

MscBytes ReadMscBytes(const CRecordView& r) {
    MscBytes m;
    m.known = r.massStorage;
    m.op = r.massStorageBytes[0];
    m.cdb1 = r.massStorageBytes[1];
    m.kind = r.massStorageBytes[2];
    m.version = r.massStorageBytes[3];
    return m;
}

const char* OpName(const MscBytes& m) { return ScsiOpcodeName(m.op, m.cdb1, m.kind, m.version, 1); }

// snprintf that reports whether anything was written (cut texts count).
template <typename... Args>
bool Put(char* out, size_t size, const char* format, Args... args) {
    int n = std::snprintf(out, size, format, args...);
    return n > 0;
}

bool PutName(char* out, size_t size, const char* name) { return name && Put(out, size, "%s", name); }

// Bytes of a command block needed for its group's size.
size_t CdbSize(uint8_t op) {
    switch (op >> 5) {
    case 0: return 6;
    case 1:
    case 2: return 10;
    case 4: return 16;
    case 5: return 12;
    default: return 16;
    }
}


bool FeatureText(uint16_t feature, char* out, size_t size) {
    if (feature >= 0xFF00) return Put(out, size, "%04Xh %s %s", feature, "Vendor Specific", "Feature");
    if (const char* name = MmcFeatureName(feature)) return Put(out, size, "%s %s", name, "Feature");
    return Put(out, size, "%04Xh %s", feature, "Feature");
}

bool TocDetail(const ByteReader& cdb, char* out, size_t size) {
    uint8_t format = cdb.u8or(2) & 0x0F;
    const char* name = TocFormatName(format);
    if (!name) return false;
    if (format == 0) return Put(out, size, "%s, %s %d", name, "Starting Track", cdb.u8or(6));
    if (format == 2) return Put(out, size, "%s, %s %d", name, "Starting Session", cdb.u8or(6));
    return Put(out, size, "%s", name);
}

bool InquiryDetail(const ByteReader& cdb, char* out, size_t size) {
    if (!(cdb.u8or(1) & 1)) return Put(out, size, "%s", "Standard");
    uint8_t page = cdb.u8or(2);
    if (const char* name = VpdPageName(page)) return Put(out, size, "%s", name);
    return Put(out, size, "VPD %02Xh", page);
}

bool SecurityProtocolInDetail(const ByteReader& cdb, char* out, size_t size) {
    if (cdb.u8or(1) != 0) return false;
    static constexpr const char* kPages[] = {"Supported Protocol List", "Certificate Data",
                                             "Compliance Information"};
    uint16_t specific = cdb.u16be_or(2);
    return specific < 3 && Put(out, size, "%s", kPages[specific]);
}

bool GetConfigurationDetail(const ByteReader& cdb, char* out, size_t size) {
    switch (cdb.u8or(1) & 3) {
    case 0: return Put(out, size, "%s", "Supported Features");
    case 1: return Put(out, size, "%s", "Current Features");
    case 2: return FeatureText(cdb.u16be_or(2), out, size);
    default: return false;
    }
}

bool GetPerformanceDetail(const ByteReader& cdb, char* out, size_t size) {
    uint8_t b1 = cdb.u8or(1);
    switch (cdb.u8or(10)) {
    case 0: {
        const char* rw = (b1 & 4) ? "Write" : "Read";
        switch (b1 & 3) {
        case 0: return Put(out, size, "%s %s, %s", rw, "Performance", "Nominal");
        case 1:
            return Put(out, size, "%s %s, %s, %s %u", rw, "Performance", "Entire List", "Starting LBA",
                       cdb.u32be_or(2));
        case 2: return Put(out, size, "%s %s, %s", rw, "Performance", "Exceptions Only");
        default: return Put(out, size, "%s %s", rw, "Performance");
        }
    }
    case 1: {
        static constexpr const char* kAreas[] = {"Zone Boundary", "PDL", "SDL"};
        uint8_t area = b1 & 7;
        if (area < 3)
            return Put(out, size, "%s, %s, %s %u", "Unusable Area", kAreas[area], "Starting LBA", cdb.u32be_or(2));
        return Put(out, size, "%s, %s %u", "Unusable Area", "Starting LBA", cdb.u32be_or(2));
    }
    case 2: return Put(out, size, "%s", "Defect Status");
    case 3: return Put(out, size, "%s", "Write Speed");
    case 4: return Put(out, size, "%s", "DBI");
    case 5: return Put(out, size, "%s", "DBI Cache Zone");
    default: return false;
    }
}

bool StartStopDetail(const ByteReader& cdb, uint8_t kind, char* out, size_t size) {
    uint8_t b4 = cdb.u8or(4);
    if (b4 > 0x0F) return PutName(out, size, PowerConditionName(b4 >> 4));
    bool loej = b4 & 2, start = b4 & 1;
    if (kind == 3) {
        static constexpr const char* kDisc[] = {"Stop Disc", "Start Disc", "Eject Disc", "Load Disc"};
        return Put(out, size, "%s", kDisc[(loej ? 2 : 0) + (start ? 1 : 0)]);
    }
    if (!loej) return Put(out, size, "%s", "No Action");
    return Put(out, size, "%s", start ? "Load Medium" : "Unload Medium");
}

// The detail of a command block whose operation code is op; false when it has none.
bool CdbDetail(const ByteReader& cdb, const MscBytes& m, char* out, size_t size) {
    switch (m.op) {
    case 0x08:
    case 0x0A: {
        uint32_t lba = (cdb.u8or(1) & 0x1Fu) << 16 | cdb.u16be_or(2);
        uint32_t blocks = cdb.u8or(4) ? cdb.u8or(4) : 256;
        return Put(out, size, "Lba %u, Blocks %u", lba, blocks);
    }
    case 0x28:
    case 0x2A:
    case 0x2F:
    case 0x35: return Put(out, size, "Lba %u, Blocks %u", cdb.u32be_or(2), static_cast<uint32_t>(cdb.u16be_or(7)));
    case 0xA8:
    case 0xAA: return Put(out, size, "Lba %u, Blocks %u", cdb.u32be_or(2), cdb.u32be_or(6));
    case 0x88:
    case 0x8A:
    case 0x91: {
        uint64_t lba = 0;
        cdb.u64be(2, lba);
        return Put(out, size, "Lba %" PRIu64 ", Blocks %u", lba, cdb.u32be_or(10));
    }
    case 0x2B: return Put(out, size, "%s %u", "Lba", cdb.u32be_or(2));
    case 0x12: return InquiryDetail(cdb, out, size);
    case 0x1A:
    case 0x5A: {
        uint8_t b2 = cdb.u8or(2);
        const char* page = ModePageNameForCdb(b2 & 0x3F, cdb.u8or(3), m.kind, m.version);
        const char* control = PageControlName(b2 >> 6);
        if (!page) return false;
        return control ? Put(out, size, "%s, %s", page, control) : Put(out, size, "%s", page);
    }
    case 0x1B: return StartStopDetail(cdb, m.kind, out, size);
    case 0x1D:
        if (cdb.u8or(1) & 4) return Put(out, size, "%s", "Default Self-Test");
        return PutName(out, size, SelfTestCodeName(cdb.u8or(1) >> 5));
    case 0x1E: return PutName(out, size, PreventAllowName(cdb.u8or(4) & 3));
    case 0x42:
        switch (cdb.u8or(3)) {
        case 1: return Put(out, size, "%s", "CD Current Position");
        case 2: return Put(out, size, "%s", "Media Catalog Number");
        case 3: {
            uint8_t track = cdb.u8or(6);
            if (track >= 1 && track <= 63) return Put(out, size, "Track #%d ISRC", track);
            return Put(out, size, "%s", "Track ISRC");
        }
        default: return false;
        }
    case 0x43: return TocDetail(cdb, out, size);
    case 0x46: return GetConfigurationDetail(cdb, out, size);
    case 0x52: {
        uint32_t number = cdb.u32be_or(2);
        switch (cdb.u8or(1) & 3) {
        case 0: return Put(out, size, "Lba %u", number);
        case 1: return number != 0 && Put(out, size, "Track %u", number);
        case 2: return Put(out, size, "Session %u", number);
        default: return false;
        }
    }
    case 0x5B: return PutName(out, size, CloseFunctionName(cdb.u8or(2) & 7));
    case 0xA1: return PutName(out, size, BlankingTypeName(cdb.u8or(1) & 7));
    case 0xA2: return SecurityProtocolInDetail(cdb, out, size);
    case 0xA3: return PutName(out, size, SendKeyFormatName(cdb.u8or(10) & 0x3F));
    case 0xA4: return PutName(out, size, ReportKeyFormatName(cdb.u8or(10) & 0x3F));
    case 0xAC: return GetPerformanceDetail(cdb, out, size);
    case 0xAD: {
        uint8_t format = cdb.u8or(7);
        const char* name = DiscStructureFormatName(format);
        switch (format) {
        case 0x00:
        case 0x01:
        case 0x04:
        case 0x10:
        case 0xFF: return name && Put(out, size, "%s, %s %d", name, "Layer", cdb.u8or(6));
        default: return name ? Put(out, size, "%s", name) : Put(out, size, "%s %02Xh", "Format", format);
        }
    }
    case 0xB6: return PutName(out, size, StreamingTypeName(cdb.u8or(8)));
    case 0xBB: return PutName(out, size, RotationalControlName(cdb.u8or(1) & 3));
    case 0xBE: {
        uint32_t lba = cdb.u32be_or(2);
        if (lba == 0xFFFFFFFFu) return Put(out, size, "%s", "Sub-Channel Data");
        uint32_t blocks = static_cast<uint32_t>(cdb.u8or(6)) << 16 | cdb.u16be_or(7);
        if (const char* type = ExpectedSectorTypeName((cdb.u8or(1) >> 2) & 7))
            return Put(out, size, "Type %s, Lba %u, Blocks %u", type, lba, blocks);
        return Put(out, size, "Lba %u, Blocks %u", lba, blocks);
    }
    default: return false;
    }
}

// The CDB of the pending command, when the store attached it to the pair.
const uint8_t* PendingCdb(const REQUEST_DETAILS_CONTEXT& ctx) {
    return ctx.pair && ctx.pair->cdbPresent ? ctx.pair->cdb : nullptr;
}

bool DataDetail(const REQUEST_DETAILS_CONTEXT& ctx, const MscBytes& m, const ByteReader& d, char* out,
                size_t size) {
    const uint8_t* pendingCdb = PendingCdb(ctx);
    ByteReader cdb(pendingCdb, pendingCdb ? 16 : 0);
    size_t n = d.size();
    switch (m.op) {
    case 0x03: {
        uint8_t response = d.u8or(0) & 0x7F;
        if (n <= 13 || (response != 0x70 && response != 0x71)) return false;
        const char* key = ScsiSenseKeyName(d.u8or(2) & 0x0F);
        if (!key) return false;
        if (const char* asc = ScsiAscAscqName(d.u8or(12), d.u8or(13))) return Put(out, size, "%s, %s", key, asc);
        return Put(out, size, "%s", key);
    }
    case 0x04: {
        if (n <= 3) return false;
        size_t descriptor = 4;
        if (d.u8or(1) & 0x08) {
            // An initialization pattern descriptor stands between the header and
            // the format descriptor.
            size_t pattern = d.u16be_or(6);
            if (n < pattern + 13) return false;
            descriptor = 4 + 4 + pattern;
        } else if (n <= 8) {
            return false;
        }
        uint8_t b = 0;
        return d.u8(descriptor + 4, b) && PutName(out, size, FormatTypeName(b >> 2));
    }
    case 0x12: return pendingCdb && InquiryDetail(cdb, out, size);
    case 0x15:
    case 0x1A: {
        if (n <= 3) return false;
        size_t start = 4 + d.u8or(3);
        size_t end = n;
        // The mode data length counts the bytes after itself.
        if (m.op == 0x1A) end = 1 + static_cast<size_t>(d.u8or(0));
        if (end > n) end = n;
        if (start >= end) return false;
        return DescribeModePages(d.data() + start, end - start, m.kind, out, size) != 0;
    }
    case 0x55:
    case 0x5A: {
        if (n <= 7) return false;
        size_t start = 8 + d.u16be_or(6);
        size_t end = n;
        if (m.op == 0x5A) end = 2 + static_cast<size_t>(d.u16be_or(0));
        if (end > n) end = n;
        if (start >= end) return false;
        return DescribeModePages(d.data() + start, end - start, m.kind, out, size) != 0;
    }
    case 0x43: return pendingCdb && TocDetail(cdb, out, size);
    case 0x46: {
        if (!pendingCdb) return false;
        switch (cdb.u8or(1) & 3) {
        case 0: return Put(out, size, "%s", "Supported Features");
        case 1: return Put(out, size, "%s", "Current Features");
        case 2:
            if (n <= 7) return false;
            if (d.u32be_or(0) == 4) return Put(out, size, "%s", "No Feature Descriptor");
            return n > 9 && FeatureText(d.u16be_or(8), out, size);
        default: return false;
        }
    }
    case 0x4A:
        if (n <= 3 || d.u16be_or(0) <= 1) return false;
        if (d.u8or(2) & 0x80) return Put(out, size, "%s", "No Event Classes");
        return PutName(out, size, NotificationClassName(d.u8or(2) & 7));
    case 0x51: {
        if (n <= 2) return false;
        const char* disc = DiscStatusName(d.u8or(2) & 3);
        const char* session = SessionStateName((d.u8or(2) >> 2) & 3);
        return disc && session && Put(out, size, "%s, %s", disc, session);
    }
    case 0x52:
        if (n <= 33) return false;
        return Put(out, size, "Track %u, Session %u", static_cast<uint32_t>(d.u8or(32)) << 8 | d.u8or(2),
                   static_cast<uint32_t>(d.u8or(33)) << 8 | d.u8or(3));
    case 0xA2: return pendingCdb && SecurityProtocolInDetail(cdb, out, size);
    case 0xA3: return pendingCdb && PutName(out, size, SendKeyFormatName(cdb.u8or(10) & 0x3F));
    case 0xA4: return pendingCdb && PutName(out, size, ReportKeyFormatName(cdb.u8or(10) & 0x3F));
    case 0xAC:
        if (!pendingCdb || cdb.u8or(10) != 0 || n <= 4) return false;
        return Put(out, size, "%s, %s", (d.u8or(4) & 2) ? "Write" : "Read",
                   (d.u8or(4) & 1) ? "Exceptions" : "Nominal Performance");
    case 0xAD: return pendingCdb && PutName(out, size, DiscStructureFormatName(cdb.u8or(7)));
    case 0xB6: return pendingCdb && PutName(out, size, StreamingTypeName(cdb.u8or(8)));
    case 0xBD: {
        if (n <= 1) return false;
        static constexpr const char* kStates[] = {"Idle", "Playing", "Scanning", "Active"};
        uint8_t state = d.u8or(1) >> 5;
        return state < 4 && Put(out, size, "%s", kStates[state]);
    }
    default: return false;
    }
}

} // namespace

const char* CswStatusName(uint32_t status, int enabled) {
    static constexpr const char* kStatus[] = {"Passed", "Failed", "Phase Error"};
    status &= 0xFF;
    return enabled && status < 3 ? kStatus[status] : nullptr;
}

int DescribeModePages(const uint8_t* pages, size_t length, uint32_t kind, char* out, size_t size) {
    if (!out || size == 0) return 0;
    out[0] = 0;
    ByteReader r(pages, length);
    size_t pos = 0, used = 0;
    int written = 0;
    auto append = [&](const char* format, const char* text) {
        int n = std::snprintf(out + used, size - used, format, text);
        if (n < 0) return false;
        if (static_cast<size_t>(n) >= size - used) {
            used = size - 1; // keep what fitted
            return false;
        }
        used += static_cast<size_t>(n);
        return true;
    };
    auto ellipsis = [&] {
        // Make room for the marker when the buffer is full.
        const char* mark = " ...";
        size_t need = std::strlen(mark) + 1;
        if (size < need) return;
        if (used + need > size) used = size - need;
        std::memcpy(out + used, mark, need);
    };
    for (int step = 0; step < 16 && pos < length; ++step) {
        uint8_t b0 = 0;
        r.u8(pos, b0);
        size_t occupies;
        uint8_t subpage = 0;
        if (b0 & 0x40) {
            uint16_t len = 0;
            if (!r.u16be(pos + 2, len)) break;
            if (len == 0) break;
            r.u8(pos + 1, subpage);
            occupies = 4u + len;
        } else {
            uint8_t len = 0;
            if (!r.u8(pos + 1, len)) break;
            if (len == 0) break;
            occupies = 2u + len;
        }
        const char* name = ModePageName(b0 & 0x3F, subpage, kind, 0);
        if (name) {
            if (written == 3) {
                ellipsis();
                break;
            }
            if (!append(written ? ", %s" : "%s", name)) {
                ellipsis();
                ++written;
                break;
            }
            ++written;
        }
        // A page without a name is passed over; the walk goes on while whole
        // pages remain.
        if (length - pos < occupies) break;
        pos += occupies;
    }
    return written;
}

int DescribeCbw(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length) {
    if (!ctx.pair || !data || length < CBW_LENGTH) return 0;
    ByteReader d(data, length);
    char wrapper[kWrapperSize];
    uint8_t lun = d.u8or(kCbwLunOffset) & 0x0F;
    if (lun)
        std::snprintf(wrapper, sizeof wrapper, "%s (Lun %d)", "CBW", lun);
    else
        std::snprintf(wrapper, sizeof wrapper, "%s", "CBW");
    MscBytes m = ReadMscBytes(ctx.pair->record);
    if (!m.known) return RequestDetailsPutText(ctx, wrapper) == S_OK32;
    const char* name = OpName(m);
    if (!name) return RequestDetailsPrintf(ctx, "%s %02Xh - %s", "SCSI Command", m.op, wrapper) == S_OK32;
    ByteReader cdb(data + kCbwCdbOffset, 16);
    size_t cbLength = d.u8or(kCbwCdbLengthOffset) & 0x1F;
    bool longEnough = m.op == 0xA2 ? cbLength > 3 : m.op == 0x52 ? cbLength > 5 : cbLength >= CdbSize(m.op);
    char detail[kCbwDetailSize];
    if (longEnough && cdb.u8or(0) == m.op && CdbDetail(cdb, m, detail, sizeof detail))
        return RequestDetailsPrintf(ctx, "%s (%s) - %s", name, detail, wrapper) == S_OK32;
    return RequestDetailsPrintf(ctx, "%s - %s", name, wrapper) == S_OK32;
}

int DescribeCsw(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length) {
    if (!ctx.pair || !data || length < CSW_LENGTH) return 0;
    const CRecordView& r = ctx.pair->record;
    uint8_t status = data[CSW_STATUS_OFFSET];
    const char* statusText = CswStatusName(status, 1);
    MscBytes m = ReadMscBytes(r);
    HRESULT32 hr;
    if (m.known) {
        const char* name = OpName(m);
        if (r.completion) {
            if (name)
                hr = statusText ? RequestDetailsPrintf(ctx, "%s - %s (%s)", name, "CSW", statusText)
                                : RequestDetailsPrintf(ctx, "%s - %s (%s %02Xh)", name, "CSW", "Status", status);
            else
                hr = statusText ? RequestDetailsPrintf(ctx, "%s %02Xh - %s (%s)", "SCSI Command", m.op, "CSW",
                                                       statusText)
                                : RequestDetailsPrintf(ctx, "%s %02Xh - %s (%s %02Xh)", "SCSI Command", m.op,
                                                       "CSW", "Status", status);
        } else {
            hr = name ? RequestDetailsPrintf(ctx, "%s - %s", name, "CSW")
                      : RequestDetailsPrintf(ctx, "%s %02Xh - %s", "SCSI Command", m.op, "CSW");
        }
    } else if (r.completion) {
        hr = statusText ? RequestDetailsPrintf(ctx, "%s (%s)", "CSW", statusText)
                        : RequestDetailsPrintf(ctx, "%s (%s %02Xh)", "CSW", "Status", status);
    } else {
        hr = RequestDetailsPutText(ctx, "CSW");
    }
    return hr == S_OK32;
}

int DescribeMscData(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length) {
    if (!ctx.pair) return 0;
    const CRecordView& r = ctx.pair->record;
    const char* direction = r.direction == DIRECTION_IN ? "Data-In" : r.direction == DIRECTION_OUT ? "Data-Out" : "Data";
    MscBytes m = ReadMscBytes(r);
    const char* name = m.known ? OpName(m) : nullptr;
    if (!name) return RequestDetailsPrintf(ctx, "%s %s", "MSC", direction) == S_OK32;
    char detail[kDataDetailSize];
    if (DataDetail(ctx, m, ByteReader(data, length), detail, sizeof detail))
        return RequestDetailsPrintf(ctx, "%s (%s) - %s", name, detail, direction) == S_OK32;
    return RequestDetailsPrintf(ctx, "%s - %s", name, direction) == S_OK32;
}

int DescribeMscBulkOnly(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* /*urb*/) {
    if (!ctx.pair) return 0;
    const CRecordView& r = ctx.pair->record;
    const uint8_t* data = r.dataLength ? r.data : nullptr;
    size_t length = r.dataLength;
    if (!data && ctx.pair->companionPresent && ctx.pair->companion.dataLength) {
        data = ctx.pair->companion.data;
        length = ctx.pair->companion.dataLength;
    }
    if (!data) return 0;
    uint32_t signature = 0;
    ByteReader(data, length).u32le(0, signature);
    if (length == CBW_LENGTH) return signature == CBW_SIGNATURE ? DescribeCbw(ctx, data, length) : 0;
    if (length == CSW_LENGTH) return signature == CSW_SIGNATURE ? DescribeCsw(ctx, data, length) : 0;
    return DescribeMscData(ctx, data, length);
}

int DescribeMscTransfer(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* interfaceInfo, size_t interfaceInfoLength,
                        const uint8_t* urb) {
    if (!ctx.pair || !ctx.pair->record.hasBlock || !urb || !interfaceInfo || interfaceInfoLength <= 43) return 0;
    if (interfaceInfo[10] != 0x50) return 0;
    return DescribeMscBulkOnly(ctx, urb);
}

} // namespace brx
