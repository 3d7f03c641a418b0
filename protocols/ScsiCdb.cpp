#include "protocols/ScsiCdb.h"

#include <cinttypes>
#include <cstdio>
#include <iterator>

#include "protocols/ScsiNames.h"
#include "protocols/ScsiOpcodes.h"
#include "protocols/ScsiTables.h"

namespace brx {
namespace {

constexpr size_t kCbwLength = 31;
constexpr size_t kCbwCdbLength = 14;  // bCBWCBLength
constexpr size_t kCbwCdb = 15;        // CBWCB
constexpr uint8_t kKindMmc = 3;

bool IsMmc(const DECODE_CONTEXT& ctx) { return ctx.bulk.deviceKind == kKindMmc; }

// The CDB of the wrapper when it is long enough for its group and carries
// the expected operation code; null otherwise.
const uint8_t* FittingCdb(const DECODE_CONTEXT& ctx, uint8_t op) {
    if (ctx.bytes.size() < kCbwLength) return nullptr;
    const uint8_t length = ctx.bytes[kCbwCdbLength] & 0x1F;
    const uint32_t size = ScsiCdbSize(op);
    const bool fits = size == 16 ? (length & 0x10) != 0 : length >= size;
    if (!fits || ctx.bytes[kCbwCdb] != op) return nullptr;
    return ctx.bytes.data() + kCbwCdb;
}

// Title, table and operation code row; the caller writes the fields, then End.
const uint8_t* Begin(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = FittingCdb(ctx, op);
    if (c == nullptr) return nullptr;
    WriteCdbTitle(ctx);
    BeginScsiTable(ctx);
    WriteCdbOperationCodeRow(ctx, c[0]);
    return c;
}

int End(DECODE_CONTEXT& ctx, const uint8_t* c) {
    WriteCdbControlRow(ctx, c[ScsiCdbSize(c[0]) - 1]);
    EndScsiTable(ctx);
    return 1;
}

uint32_t Bit(uint8_t byte, int bit) { return (byte >> bit) & 1u; }

void AllocationLength(DECODE_CONTEXT& ctx, uint32_t value, int width, const char* name = "Allocation Length") {
    const ScsiText text = ByteCountText(value);
    if (width == 1) WriteScsiByteRow(ctx, name, static_cast<uint8_t>(value), text);
    else if (width == 2) WriteScsiWordRow(ctx, name, static_cast<uint16_t>(value), text);
    else WriteScsiDwordRow(ctx, name, value, text);
}

void Lba32(DECODE_CONTEXT& ctx, const uint8_t* p, bool describe = true, const char* name = "Logical Block Address") {
    const uint32_t lba = ReadBigEndian32(p);
    WriteScsiDwordRow(ctx, name, lba, describe ? DecimalText(lba).get() : nullptr);
}

void Lba64(DECODE_CONTEXT& ctx, const uint8_t* p) {
    const uint64_t lba = ReadBigEndian64(p);
    WriteScsiQwordRow(ctx, "Logical Block Address", lba, DecimalText(lba));
}

void GroupNumber(DECODE_CONTEXT& ctx, uint8_t byte) { WriteScsiByteRow(ctx, "Group Number", byte & 0x1F, nullptr); }

// --- Decoders --------------------------------------------------------------------

int NoFields(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    return c ? End(ctx, c) : 0;
}

int TestUnitReady(DECODE_CONTEXT& ctx) { return NoFields(ctx, 0x00); }
int StopPlayScan(DECODE_CONTEXT& ctx) { return NoFields(ctx, 0x4E); }

int RequestSense(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x03);
    if (!c) return 0;
    AllocationLength(ctx, c[4], 1);
    return End(ctx, c);
}

int FormatUnit(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x04);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Format Data (FmtData)", Bit(c[1], 4),
                    Bit(c[1], 4) ? "Parameter list is available" : "There is no parameter list");
    WriteScsiBitRow(ctx, "Complete List (CmpList)", Bit(c[1], 3), nullptr);
    WriteScsiBits3Row(ctx, "Format Code", c[1] & 7, nullptr);
    return End(ctx, c);
}

int ReadWrite6(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    const uint32_t lba = (static_cast<uint32_t>(c[1] & 0x1F) << 16) | (c[2] << 8) | c[3];
    WriteScsiTriByteRow(ctx, "Logical Block Address", lba, DecimalText(lba));
    WriteScsiByteRow(ctx, "Transfer Length", c[4], BlockCountText(c[4] == 0 ? 256 : c[4]));
    return End(ctx, c);
}
int Read6(DECODE_CONTEXT& ctx) { return ReadWrite6(ctx, 0x08); }
int Write6(DECODE_CONTEXT& ctx) { return ReadWrite6(ctx, 0x0A); }

int Inquiry(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x12);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Enable Vital Product Data (EVPD)", Bit(c[1], 0),
                    Bit(c[1], 0) ? "Vital Product Data" : "Standard Inquiry Data");
    WriteScsiByteRow(ctx, "Page Code", c[2], c[2] != 0 ? VpdPageName(c[2]) : nullptr);
    AllocationLength(ctx, ReadBigEndian16(c + 3), 2);
    return End(ctx, c);
}

int ModeSelect(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Page Format (PF)", Bit(c[1], 4),
                    Bit(c[1], 4) ? "Mode page(s)" : "Vendor specific parameter(s)");
    WriteScsiBitRow(ctx, "Save Pages (SP) bit", Bit(c[1], 0), Bit(c[1], 0) ? "Save" : "Not save");
    const uint32_t length = op == 0x15 ? c[4] : ReadBigEndian16(c + 7);
    const ScsiText text = length == 0 ? ScsiText().Format("Data-Out Buffer shall be empty") : ByteCountText(length);
    if (op == 0x15) WriteScsiByteRow(ctx, "Parameter List Length", static_cast<uint8_t>(length), text);
    else WriteScsiWordRow(ctx, "Parameter List Length", static_cast<uint16_t>(length), text);
    return End(ctx, c);
}
int ModeSelect6(DECODE_CONTEXT& ctx) { return ModeSelect(ctx, 0x15); }
int ModeSelect10(DECODE_CONTEXT& ctx) { return ModeSelect(ctx, 0x55); }

int ModeSense(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    if (op == 0x5A) WriteScsiBitRow(ctx, "Long LBA Accepted (LLBAA)", Bit(c[1], 4), nullptr);
    WriteScsiBitRow(ctx, "Disable Block Descriptors (DBD)", Bit(c[1], 3), nullptr);
    WriteScsiBits2Row(ctx, "Page Control (PC)", c[2] >> 6, PageControlName(c[2] >> 6));
    WriteScsiBytePairRow(ctx, "Page and Subpage Code", c[2] & 0x3F, c[3],
                         ModePageNameForCdb(c[2] & 0x3F, c[3], ctx.bulk.deviceKind, ctx.bulk.spcVersion));
    if (op == 0x1A) AllocationLength(ctx, c[4], 1);
    else AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}
int ModeSense6(DECODE_CONTEXT& ctx) { return ModeSense(ctx, 0x1A); }
int ModeSense10(DECODE_CONTEXT& ctx) { return ModeSense(ctx, 0x5A); }

int StartStopUnit(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x1B);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 0), nullptr);
    const uint8_t condition = c[4] >> 4;
    WriteScsiNibbleRow(ctx, "Power Condition", condition, PowerConditionName(condition));
    WriteScsiNibbleRow(ctx, "Power Condition Modifier", c[3] & 0x0F,
                       PowerConditionModifierName(condition, c[3] & 0x0F));
    const uint32_t loej = Bit(c[4], 1), start = Bit(c[4], 0);
    const char* text = nullptr;
    if (c[4] <= 0x0F) {
        if (IsMmc(ctx)) {
            static const char* const kMmc[] = {"Stop the disc", "Start the disc", "Eject the disc", "Load the disc"};
            text = kMmc[loej * 2 + start];
        } else if (loej == 0) {
            text = "No action regarding loading or ejecting the medium";
        } else {
            text = start ? "Load the medium" : "Unload the medium";
        }
    }
    WriteScsiBitPairRow(ctx, "LoEj and Start", loej, start, text);
    WriteScsiBitRow(ctx, "No Flush (NO_FLUSH)", Bit(c[4], 2), nullptr);
    return End(ctx, c);
}

int SendDiagnostic(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x1D);
    if (!c) return 0;
    const uint32_t selfTest = Bit(c[1], 2);
    WriteScsiBitRow(ctx, "Self-Test", selfTest, selfTest ? "Default Self-Test" : nullptr);
    WriteScsiBits3Row(ctx, "Self-Test Code", c[1] >> 5, selfTest ? nullptr : SelfTestCodeName(c[1] >> 5));
    WriteScsiBitRow(ctx, "Page Format (PF)", Bit(c[1], 4), nullptr);
    WriteScsiBitRow(ctx, "Device Offline (DevOffL)", Bit(c[1], 1), nullptr);
    WriteScsiBitRow(ctx, "Unit Offline (UnitOffL)", Bit(c[1], 0), nullptr);
    AllocationLength(ctx, ReadBigEndian16(c + 3), 2, "Parameter List Length");
    return End(ctx, c);
}

int PreventAllow(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x1E);
    if (!c) return 0;
    WriteScsiBits2Row(ctx, "Prevent", c[4] & 3, PreventAllowName(c[4] & 3));
    return End(ctx, c);
}

int ReadFormatCapacities(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x23);
    if (!c) return 0;
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int ReadCapacity10(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x25);
    if (!c) return 0;
    Lba32(ctx, c + 2);
    WriteScsiBitRow(ctx, "Partial Medium Indicator (PMI)", Bit(c[8], 0), nullptr);
    return End(ctx, c);
}

int ReadWrite10(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    const bool read = op == 0x28;
    const uint16_t blocks = ReadBigEndian16(c + 7);
    if (IsMmc(ctx)) {
        WriteScsiBitRow(ctx, "Force Unit Access (FUA)", Bit(c[1], 3), nullptr);
        Lba32(ctx, c + 2, read);
        WriteScsiWordRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
    } else {
        WriteScsiBits3Row(ctx, read ? "Read Protect (RDPROTECT)" : "Write Protect (WRPROTECT)", c[1] >> 5, nullptr);
        WriteScsiBitRow(ctx, "Disable Page Out (DPO)", Bit(c[1], 4), nullptr);
        WriteScsiBitRow(ctx, "Force Unit Access (FUA)", Bit(c[1], 3), nullptr);
        WriteScsiBitRow(ctx, "Force Unit Access Non-Volatile Cache (FUA_NV)", Bit(c[1], 1), nullptr);
        Lba32(ctx, c + 2);
        WriteScsiWordRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
        GroupNumber(ctx, c[6]);
    }
    return End(ctx, c);
}
int Read10(DECODE_CONTEXT& ctx) { return ReadWrite10(ctx, 0x28); }
int Write10(DECODE_CONTEXT& ctx) { return ReadWrite10(ctx, 0x2A); }

int Seek10(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x2B);
    if (!c) return 0;
    Lba32(ctx, c + 2);
    return End(ctx, c);
}

int Verify10(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x2F);
    if (!c) return 0;
    const uint16_t blocks = ReadBigEndian16(c + 7);
    if (IsMmc(ctx)) {
        Lba32(ctx, c + 2);
        WriteScsiWordRow(ctx, "Number of Blocks", blocks, BlockCountText(blocks));
    } else {
        WriteScsiBits3Row(ctx, "Verify Protect (VRPROTECT)", c[1] >> 5, nullptr);
        WriteScsiBitRow(ctx, "Disable Page Out (DPO)", Bit(c[1], 4), nullptr);
        WriteScsiBitRow(ctx, "Byte Check (BYTCHK)", Bit(c[1], 1), nullptr);
        Lba32(ctx, c + 2);
        WriteScsiWordRow(ctx, "Verification Length", blocks, BlockCountText(blocks));
        GroupNumber(ctx, c[6]);
    }
    return End(ctx, c);
}

ScsiText RemainingBlocksText(uint64_t blocks) {
    if (blocks == 0) return ScsiText().Format("All remaining logical blocks");
    return BlockCountText(blocks);
}

int SynchronizeCache10(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x35);
    if (!c) return 0;
    if (!IsMmc(ctx)) {
        WriteScsiBitRow(ctx, "Synchronize Volatile and Non-Volatile Caches (SYNC_NV)", Bit(c[1], 2), nullptr);
    }
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 1), nullptr);
    Lba32(ctx, c + 2);
    const uint16_t blocks = ReadBigEndian16(c + 7);
    WriteScsiWordRow(ctx, "Number of Blocks", blocks, RemainingBlocksText(blocks));
    if (!IsMmc(ctx)) GroupNumber(ctx, c[6]);
    return End(ctx, c);
}

int ReadSubChannel(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x42);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Time", Bit(c[1], 1), nullptr);
    WriteScsiBitRow(ctx, "Sub Q", Bit(c[2], 6), nullptr);
    static const char* const kLists[] = {nullptr, "CD Current Position", "Media Catalog Number", "Track ISRC"};
    WriteScsiByteRow(ctx, "Sub-Channel Parameter List", c[3], c[3] <= 3 ? kLists[c[3]] : nullptr);
    ScsiText track;
    if (c[3] == 3) track.Format("%u", c[6]);
    WriteScsiByteRow(ctx, "Track Number", c[6], track);
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int ReadToc(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x43);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Time", Bit(c[1], 1), nullptr);
    WriteScsiNibbleRow(ctx, "Format", c[2] & 0x0F, TocFormatName(c[2] & 0x0F));
    WriteScsiByteRow(ctx, "Track/Session Number", c[6], nullptr);
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int GetConfiguration(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x46);
    if (!c) return 0;
    static const char* const kRt[] = {"All Feature Descriptors supported", "Only Current Feature Descriptors",
                                      "Feature Descriptor identified by Starting Feature Number", nullptr};
    WriteScsiBits2Row(ctx, "RT", c[1] & 3, kRt[c[1] & 3]);
    const uint16_t feature = ReadBigEndian16(c + 2);
    WriteScsiWordRow(ctx, "Starting Feature Number", feature, MmcFeatureName(feature));
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int GetEventStatus(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x4A);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 0), nullptr);
    ScsiText classes;
    if (c[4] == 0) {
        classes.Format("No Event Classes");
    } else {
        char joined[400] = "";
        size_t n = 0;
        for (uint32_t bit = 1; bit <= 6; ++bit) {
            const char* name = Bit(c[4], static_cast<int>(bit)) ? EventClassName(bit) : nullptr;
            if (name == nullptr) continue;
            const int k = std::snprintf(joined + n, sizeof joined - n, "%s%s", n ? " + " : "", name);
            if (k > 0 && static_cast<size_t>(k) < sizeof joined - n) n += static_cast<size_t>(k);
        }
        if (n != 0) classes.Format("%s", joined);
    }
    WriteScsiByteRow(ctx, "Notification Class Request", c[4], classes);
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int AllocationOnly(DECODE_CONTEXT& ctx, uint8_t op, size_t at) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    AllocationLength(ctx, ReadBigEndian16(c + at), 2);
    return End(ctx, c);
}
int ReadDiscInformation(DECODE_CONTEXT& ctx) { return AllocationOnly(ctx, 0x51, 7); }
int MechanismStatus(DECODE_CONTEXT& ctx) { return AllocationOnly(ctx, 0xBD, 8); }

int ReadTrackInformation(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x52);
    if (!c) return 0;
    WriteScsiBits2Row(ctx, "Address/Number Type", c[1] & 3, AddressNumberTypeName(c[1] & 3));
    Lba32(ctx, c + 2, true, "Logical Block Address/Track/Session Number");
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int CloseTrackSession(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x5B);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 0), nullptr);
    WriteScsiBits3Row(ctx, "Close Function", c[2] & 7, CloseFunctionName(c[2] & 7));
    WriteScsiWordRow(ctx, "Track Number", ReadBigEndian16(c + 4), nullptr);
    return End(ctx, c);
}

int ReadBufferCapacity(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x5C);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Block", Bit(c[1], 0), nullptr);
    AllocationLength(ctx, ReadBigEndian16(c + 7), 2);
    return End(ctx, c);
}

int ReadWrite16(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    WriteScsiBits3Row(ctx, op == 0x88 ? "Read Protect (RDPROTECT)" : "Write Protect (WRPROTECT)", c[1] >> 5, nullptr);
    WriteScsiBitRow(ctx, "Disable Page Out (DPO)", Bit(c[1], 4), nullptr);
    WriteScsiBitRow(ctx, "Force Unit Access (FUA)", Bit(c[1], 3), nullptr);
    WriteScsiBitRow(ctx, "Force Unit Access Non-Volatile Cache (FUA_NV)", Bit(c[1], 1), nullptr);
    Lba64(ctx, c + 2);
    const uint32_t blocks = ReadBigEndian32(c + 10);
    WriteScsiDwordRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
    GroupNumber(ctx, c[14]);
    return End(ctx, c);
}
int Read16(DECODE_CONTEXT& ctx) { return ReadWrite16(ctx, 0x88); }
int Write16(DECODE_CONTEXT& ctx) { return ReadWrite16(ctx, 0x8A); }

int SynchronizeCache16(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0x91);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Synchronize Volatile and Non-Volatile Caches (SYNC_NV)", Bit(c[1], 2), nullptr);
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 1), nullptr);
    Lba64(ctx, c + 2);
    const uint32_t blocks = ReadBigEndian32(c + 10);
    WriteScsiDwordRow(ctx, "Number of Blocks", blocks, RemainingBlocksText(blocks));
    GroupNumber(ctx, c[14]);
    return End(ctx, c);
}

int ReportLuns(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xA0);
    if (!c) return 0;
    WriteScsiByteRow(ctx, "Select Report", c[2], nullptr);
    AllocationLength(ctx, ReadBigEndian32(c + 6), 4);
    return End(ctx, c);
}

int Blank(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xA1);
    if (!c) return 0;
    WriteScsiBitRow(ctx, "Immediate (Immed)", Bit(c[1], 4), nullptr);
    WriteScsiBits3Row(ctx, "Blanking Type", c[1] & 7, BlankingTypeName(c[1] & 7));
    Lba32(ctx, c + 2, true, "Start Address/Track Number");
    return End(ctx, c);
}

int SecurityProtocolIn(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xA2);
    if (!c) return 0;
    WriteScsiByteRow(ctx, "Security Protocol", c[1], SecurityProtocolName(c[1]));
    const uint16_t specific = ReadBigEndian16(c + 2);
    static const char* const kSpecific[] = {"Supported Security Protocol List", "Certificate Data",
                                            "Security Compliance Information"};
    WriteScsiWordRow(ctx, "Security Protocol Specific", specific,
                     c[1] == 0 && specific <= 2 ? kSpecific[specific] : nullptr);
    const uint32_t inc512 = Bit(c[4], 7);
    WriteScsiBitRow(ctx, "512 Increment (INC_512)", inc512, nullptr);
    const uint32_t length = ReadBigEndian32(c + 6);
    WriteScsiDwordRow(ctx, "Allocation Length", length, ByteCountText(inc512 ? uint64_t{length} * 512 : length));
    return End(ctx, c);
}

int SendKey(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xA3);
    if (!c) return 0;
    AllocationLength(ctx, ReadBigEndian16(c + 8), 2, "Parameter List Length");
    WriteScsiBits2Row(ctx, "Authentication Grant ID (AGID)", c[10] >> 6, nullptr);
    WriteScsiBits6Row(ctx, "Key Format", c[10] & 0x3F, SendKeyFormatName(c[10] & 0x3F));
    return End(ctx, c);
}

int ReportKey(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xA4);
    if (!c) return 0;
    Lba32(ctx, c + 2);
    WriteScsiByteRow(ctx, "Key Class", c[7], KeyClassName(c[7]));
    AllocationLength(ctx, ReadBigEndian16(c + 8), 2);
    WriteScsiBits2Row(ctx, "Authentication Grant ID (AGID)", c[10] >> 6, nullptr);
    WriteScsiBits6Row(ctx, "Key Format", c[10] & 0x3F, ReportKeyFormatName(c[10] & 0x3F));
    return End(ctx, c);
}

int ReadWrite12(DECODE_CONTEXT& ctx, uint8_t op) {
    const uint8_t* c = Begin(ctx, op);
    if (!c) return 0;
    const uint32_t blocks = ReadBigEndian32(c + 6);
    if (IsMmc(ctx)) {
        WriteScsiBitRow(ctx, "Force Unit Access (FUA)", Bit(c[1], 3), nullptr);
        Lba32(ctx, c + 2);
        WriteScsiDwordRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
        WriteScsiBitRow(ctx, "Streaming", Bit(c[10], 7), nullptr);
    } else {
        WriteScsiBits3Row(ctx, op == 0xA8 ? "Read Protect (RDPROTECT)" : "Write Protect (WRPROTECT)", c[1] >> 5,
                          nullptr);
        WriteScsiBitRow(ctx, "Disable Page Out (DPO)", Bit(c[1], 4), nullptr);
        WriteScsiBitRow(ctx, "Force Unit Access (FUA)", Bit(c[1], 3), nullptr);
        WriteScsiBitRow(ctx, "Force Unit Access Non-Volatile Cache (FUA_NV)", Bit(c[1], 1), nullptr);
        Lba32(ctx, c + 2);
        WriteScsiDwordRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
        GroupNumber(ctx, c[10]);
    }
    return End(ctx, c);
}
int Read12(DECODE_CONTEXT& ctx) { return ReadWrite12(ctx, 0xA8); }
int Write12(DECODE_CONTEXT& ctx) { return ReadWrite12(ctx, 0xAA); }

int GetPerformance(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xAC);
    if (!c) return 0;
    if (c[10] == 0) {
        const uint32_t tolerance = (c[1] >> 3) & 3;
        WriteScsiBits2Row(ctx, "Tolerance", tolerance, tolerance == 2 ? "10%, nominal; 20%, exceptions" : nullptr);
        WriteScsiBitRow(ctx, "Write", Bit(c[1], 2), Bit(c[1], 2) ? "Write Performance" : "Read Performance");
        static const char* const kExcept[] = {"Nominal performance parameters", "Entire performance exception list",
                                              "Only performance exceptions", nullptr};
        WriteScsiBits2Row(ctx, "Except", c[1] & 3, kExcept[c[1] & 3]);
    } else if (c[10] == 1) {
        WriteScsiBits3Row(ctx, "Unusable Area Type", c[1] & 7, UnusableAreaTypeName(c[1] & 7));
    }
    if ((c[1] & 3) == 1) Lba32(ctx, c + 2, true, "Starting LBA");
    const uint16_t count = ReadBigEndian16(c + 8);
    WriteScsiWordRow(ctx, "Maximum Number of Descriptors", count, DecimalText(count));
    WriteScsiByteRow(ctx, "Type", c[10], PerformanceTypeName(c[10]));
    return End(ctx, c);
}

int ReadDiscStructure(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xAD);
    if (!c) return 0;
    const uint8_t format = c[7];
    const uint32_t address = ReadBigEndian32(c + 2);
    const char* name = "Address";
    const char* text = nullptr;
    switch (format) {
    case 0x05: name = "LBA"; break;
    case 0x07: name = "Pack Number"; break;
    case 0x0C: name = "Start Field Number of RMD Blocks"; break;
    case 0x0D: name = "Start RMA Sector Number"; break;
    case 0x30:
        name = "Content Descriptor";
        text = DcbContentDescriptorName(address);
        break;
    default: break;
    }
    WriteScsiDwordRow(ctx, name, address, text);
    if (format == 0x00 || format == 0x01 || format == 0x04 || format == 0x10 || format == 0xFF) {
        WriteScsiByteRow(ctx, "LayerNumber", c[6], nullptr);
    }
    WriteScsiByteRow(ctx, "Format", format, DiscStructureFormatName(format));
    AllocationLength(ctx, ReadBigEndian16(c + 8), 2);
    WriteScsiBits2Row(ctx, "Authentication Grant ID (AGID)", c[10] >> 6, nullptr);
    return End(ctx, c);
}

int SetStreaming(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xB6);
    if (!c) return 0;
    WriteScsiByteRow(ctx, "Type", c[8], StreamingTypeName(c[8]));
    AllocationLength(ctx, ReadBigEndian16(c + 9), 2, "Parameter List Length");
    return End(ctx, c);
}

ScsiText SpeedText(uint16_t speed) {
    if (speed == 0xFFFF) return ScsiText().Format("Set for optimal performance");
    if (speed == 0) return {};
    return ScsiText().Format("%u Kbytes/sec", speed);
}

int SetCdSpeed(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xBB);
    if (!c) return 0;
    WriteScsiBits2Row(ctx, "Rotational Control", c[1] & 3, RotationalControlName(c[1] & 3));
    WriteScsiWordRow(ctx, "Logical Unit Read Speed", ReadBigEndian16(c + 2), SpeedText(ReadBigEndian16(c + 2)));
    WriteScsiWordRow(ctx, "Logical Unit Write Speed", ReadBigEndian16(c + 4), SpeedText(ReadBigEndian16(c + 4)));
    return End(ctx, c);
}

int ReadCd(DECODE_CONTEXT& ctx) {
    const uint8_t* c = Begin(ctx, 0xBE);
    if (!c) return 0;
    WriteScsiSpacerRow(ctx);
    const uint32_t sector = (c[1] >> 2) & 7;
    WriteScsiBits3Row(ctx, "Expected Sector Type", sector, ExpectedSectorTypeName(sector));
    WriteScsiSpacerRow(ctx);
    const uint32_t lba = ReadBigEndian32(c + 2);
    WriteScsiDwordRow(ctx, "Starting Logical Block Address", lba,
                      lba == 0xFFFFFFFFu ? ScsiText().Format("Sub-Channel Data") : DecimalText(lba));
    const uint32_t blocks = ReadBigEndian24(c + 6);
    WriteScsiTriByteRow(ctx, "Transfer Length", blocks, BlockCountText(blocks));
    WriteScsiSpacerRow(ctx);
    WriteScsiBitRow(ctx, "Sync", Bit(c[9], 7), nullptr);
    WriteScsiBits2Row(ctx, "Header Code", (c[9] >> 5) & 3, HeaderCodeName((c[9] >> 5) & 3));
    WriteScsiBitRow(ctx, "User Data", Bit(c[9], 4), nullptr);
    WriteScsiBitRow(ctx, "EDC & ECC", Bit(c[9], 3), nullptr);
    WriteScsiBits2Row(ctx, "C2 Error Information", (c[9] >> 1) & 3, C2ErrorInformationName((c[9] >> 1) & 3));
    WriteScsiSpacerRow(ctx);
    WriteScsiBits3Row(ctx, "Sub-Channel Selection Bits", c[10] & 7, SubChannelSelectionName(c[10] & 7));
    WriteScsiSpacerRow(ctx);
    return End(ctx, c);
}

using CdbDecoder = int (*)(DECODE_CONTEXT&);
struct CdbRow {
    uint8_t code;
    CdbDecoder decoder;
};

// Sorted by operation code.
constexpr CdbRow kCdbDecoders[] = {
    {0x00, TestUnitReady},      {0x03, RequestSense},        {0x04, FormatUnit},
    {0x08, Read6},              {0x0A, Write6},              {0x12, Inquiry},
    {0x15, ModeSelect6},        {0x1A, ModeSense6},          {0x1B, StartStopUnit},
    {0x1D, SendDiagnostic},     {0x1E, PreventAllow},        {0x23, ReadFormatCapacities},
    {0x25, ReadCapacity10},     {0x28, Read10},              {0x2A, Write10},
    {0x2B, Seek10},             {0x2F, Verify10},            {0x35, SynchronizeCache10},
    {0x42, ReadSubChannel},     {0x43, ReadToc},             {0x46, GetConfiguration},
    {0x4A, GetEventStatus},     {0x4E, StopPlayScan},        {0x51, ReadDiscInformation},
    {0x52, ReadTrackInformation}, {0x55, ModeSelect10},      {0x5A, ModeSense10},
    {0x5B, CloseTrackSession},  {0x5C, ReadBufferCapacity},  {0x88, Read16},
    {0x8A, Write16},            {0x91, SynchronizeCache16},  {0x9E, DecodeServiceActionIn16Cdb},
    {0xA0, ReportLuns},         {0xA1, Blank},               {0xA2, SecurityProtocolIn},
    {0xA3, SendKey},            {0xA4, ReportKey},           {0xA8, Read12},
    {0xAA, Write12},            {0xAC, GetPerformance},      {0xAD, ReadDiscStructure},
    {0xB6, SetStreaming},       {0xBB, SetCdSpeed},          {0xBD, MechanismStatus},
    {0xBE, ReadCd},
};
static_assert(std::size(kCdbDecoders) == 46);

constexpr bool Sorted() {
    for (size_t i = 1; i < std::size(kCdbDecoders); ++i)
        if (kCdbDecoders[i - 1].code >= kCdbDecoders[i].code) return false;
    return true;
}
static_assert(Sorted());

CdbDecoder FindCdbDecoder(uint8_t code) {
    size_t lo = 0, hi = std::size(kCdbDecoders);
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (kCdbDecoders[mid].code < code) lo = mid + 1;
        else hi = mid;
    }
    return lo < std::size(kCdbDecoders) && kCdbDecoders[lo].code == code ? kCdbDecoders[lo].decoder : nullptr;
}

} // namespace

uint32_t ScsiCdbSize(uint8_t op) {
    switch (op >> 5) {
    case 0: return 6;
    case 1:
    case 2: return 10;
    case 4: return 16;
    case 5: return 12;
    default: return 0;
    }
}

int DecodeReadCapacity16Cdb(DECODE_CONTEXT& ctx) {
    const uint8_t* c = FittingCdb(ctx, 0x9E);
    if (c == nullptr || (c[1] & 0x1F) != 0x10) return 0;
    Begin(ctx, 0x9E);
    WriteScsiByteRow(ctx, "Service Action", c[1] & 0x1F,
                     ScsiOpcodeName(0x9E, c[1] & 0x1F, ctx.bulk.deviceKind, ctx.bulk.spcVersion, 1));
    Lba64(ctx, c + 2);
    AllocationLength(ctx, ReadBigEndian32(c + 10), 4);
    WriteScsiBitRow(ctx, "Partial Medium Indicator (PMI)", Bit(c[14], 0), nullptr);
    return End(ctx, c);
}

int DecodeServiceActionIn16Cdb(DECODE_CONTEXT& ctx) {
    const uint8_t* c = FittingCdb(ctx, 0x9E);
    if (c == nullptr) return 0;
    const uint8_t action = c[1] & 0x1F;
    if (action == 0x10) return DecodeReadCapacity16Cdb(ctx);
    Begin(ctx, 0x9E);
    WriteScsiByteRow(ctx, "Service Action", action,
                     ScsiOpcodeName(0x9E, action, ctx.bulk.deviceKind, ctx.bulk.spcVersion, 1));
    WriteScsiBits3Row(ctx, "Miscellaneous CDB Information", c[1] >> 5, nullptr);
    for (int i = 2; i <= 14; ++i) {
        ScsiText name;
        name.Format("Miscellaneous CDB Information %d", i);
        WriteScsiByteRow(ctx, name, c[i], nullptr);
    }
    return End(ctx, c);
}

int DecodeScsiCdb(DECODE_CONTEXT& ctx) {
    if (ctx.full()) return 0;
    const CdbDecoder decoder = FindCdbDecoder(ctx.bulk.opCode);
    if (decoder == nullptr || decoder(ctx) == 0) OnScsiCdbNotDecoded(ctx);
    return 0;
}

void OnScsiCdbNotDecoded(DECODE_CONTEXT&) {}

} // namespace brx
