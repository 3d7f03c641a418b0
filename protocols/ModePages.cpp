#include "protocols/ModePages.h"

#include <algorithm>

#include "protocols/ScsiDataTable.h"
#include "protocols/ScsiNames.h"
#include "protocols/ScsiOpcodes.h"

namespace brx {
namespace {

constexpr uint8_t kModeSelect6 = 0x15, kModeSense6 = 0x1A, kModeSelect10 = 0x55, kModeSense10 = 0x5A;
constexpr uint32_t kMaxPages = 15;
constexpr uint32_t kGenericPageBytes = 32;

const char* WriteProtectText(uint32_t bit) { return bit ? "Medium is write protected" : "Medium is write enabled"; }
const char* SupportedText(uint32_t bit) { return bit ? "Supported" : "Not supported"; }

void CheckedByte(ScsiDataTable& t, const char* name, uint32_t v) {
    if (v) {
        t.ErrorByte(name, v, "Should be zero");
    } else {
        t.Byte(name, v);
    }
}

// Title, table and the page code and length rows of a page decoder.
void BeginPage(ScsiDataTable& t, const ByteReader& p, const char* title = nullptr) {
    const uint32_t code = Be8(p, 0) & 0x3F;
    if (title) {
        t.Title(title);
    } else {
        t.ModePageTitle(code, 0);
    }
    t.Begin();
    t.Byte("Page Code", code, ModePageName(code, 0, t.ctx().bulk.deviceKind, t.ctx().bulk.spcVersion));
    t.Byte("Page Length", Be8(p, 1));
}

// Page decoders: `p` holds the page, bounded by its own length and by the
// bytes left. Each answers -1 when it declines, else its answer.
int FlexibleDiskPage(ScsiDataTable& t, const ByteReader& p) {
    BeginPage(t, p);
    t.Spacer();
    t.Byte("Number of Heads", Be8(p, 4), t.Dec(Be8(p, 4)));
    t.Byte("Sectors per Track", Be8(p, 5), t.Dec(Be8(p, 5)));
    t.Word("Data Bytes per Sector", Be16(p, 6), t.Number(Be16(p, 6), "bytes"));
    t.Word("Number of Cylinders", Be16(p, 8), t.Dec(Be16(p, 8)));
    t.End();
    return 1;
}

int WriteParametersPage(ScsiDataTable& t, const ByteReader& p) {
    if ((Be8(p, 0) & 0x3F) != 0x05) return -1;
    const char* name = ModePageName(0x05, 0, 3, t.ctx().bulk.spcVersion);
    BeginPage(t, p, name ? t.Format("%s %s", name, "Mode Page") : nullptr);
    const uint32_t b2 = Be8(p, 2), b3 = Be8(p, 3);
    t.Spacer();
    t.Bit("Buffer Under-run Free Recording Enable (BUFE)", BitsOf(b2, 6, 1));
    t.Bit("Test Write", BitsOf(b2, 4, 1));
    t.Nibble("Write Type", b2 & 0xF, WriteTypeName(b2 & 0xF));
    t.Spacer();
    t.Bits("Multi-Session", BitsOf(b3, 6, 2), 2, MultiSessionName(BitsOf(b3, 6, 2)));
    t.Bit("Fixed Packet (FP)", BitsOf(b3, 5, 1));
    t.Bit("Copy", BitsOf(b3, 4, 1));
    t.Nibble("Track Mode", b3 & 0xF, t.TrackControl(b3 & 0xF));
    t.Spacer();
    t.Nibble("Data Block Type", Be8(p, 4) & 0xF, DataBlockTypeName(Be8(p, 4) & 0xF));
    t.Spacer();
    t.Bit("Link Size Valid (LS_V)", BitsOf(b2, 5, 1));
    t.Byte("Link Size", Be8(p, 5));
    t.Spacer();
    t.Byte("Initiator Application Code", Be8(p, 7) & 0x3F);
    t.Byte("Session Format", Be8(p, 8), SessionFormatName(Be8(p, 8)));
    t.Dword("Packet Size", Be32(p, 10), t.Dec(Be32(p, 10)));
    t.Word("Audio Pause Length", Be16(p, 14), t.Dec(Be16(p, 14)));
    t.Spacer();
    t.Hex("Media Catalog Number", Span(p.sub(16, 16)));
    t.Hex("International Standard Recording Code", Span(p.sub(32, 16)));
    t.Spacer();
    t.Byte("Sub-header Byte 0", Be8(p, 48));
    t.Byte("Sub-header Byte 1", Be8(p, 49));
    t.Byte("Sub-header Byte 2", Be8(p, 50));
    t.Byte("Sub-header Byte 3", Be8(p, 51));
    if (Be8(p, 1) == 0x36 && p.size() > 55) {
        t.Spacer();
        t.Dword("Vendor Specific", Be32(p, 52));
    }
    t.End();
    return 1;
}

int MmcCachingPage(ScsiDataTable& t, const ByteReader& p) {
    BeginPage(t, p);
    t.Spacer();
    t.Bit("Write Cache Enable (WCE)", BitsOf(Be8(p, 2), 2, 1));
    t.Bit("Read Cache Disable (RCD)", BitsOf(Be8(p, 2), 0, 1));
    t.End();
    return 1;
}

int SbcCachingPage(ScsiDataTable& t, const ByteReader& p) {
    if (Be8(p, 0) & 0x40) return -1;
    BeginPage(t, p);
    static constexpr const char* kByte2[8] = {
        "Read Cache Disable (RCD)", "Multiplication Factor (MF)", "Writeback Cache Enable (WCE)", "Size Enable (SIZE)",
        "Discontinuity (DISC)", "Caching Analysis Permitted (CAP)", "Abort Pre-Fetch (ABPF)",
        "Initiator Control (IC) Enable"};
    t.Spacer();
    for (uint32_t bit = 8; bit-- > 0;) t.Bit(kByte2[bit], BitsOf(Be8(p, 2), bit, 1));
    t.Spacer();
    t.Nibble("Demand Read Retention Priority", BitsOf(Be8(p, 3), 4, 4));
    t.Nibble("Write Retention Priority", BitsOf(Be8(p, 3), 0, 4));
    t.Spacer();
    t.Word("Disable Pre-Fetch Transfer Length", Be16(p, 4));
    t.Word("Minimum Pre-Fetch", Be16(p, 6));
    t.Word("Maximum Pre-Fetch", Be16(p, 8));
    t.Word("Maximum Pre-Fetch Ceiling", Be16(p, 10));
    const uint32_t b12 = Be8(p, 12);
    t.Spacer();
    t.Bit("Force Sequential Write (FSW)", BitsOf(b12, 7, 1));
    t.Bit("Logical Block Cache Segment Size (LBCSS)", BitsOf(b12, 6, 1));
    t.Bit("Disable Read-Ahead (DRA)", BitsOf(b12, 5, 1));
    t.Bits("Vendor Specific", BitsOf(b12, 3, 2), 2);
    t.Bit("Non-Volatile Cache Disable (NV_DIS)", BitsOf(b12, 0, 1));
    t.Spacer();
    t.Byte("Number of Cache Segments", Be8(p, 13));
    t.Word("Cache Segment Size", Be16(p, 14));
    t.End();
    return 1;
}

int PowerConditionPage(ScsiDataTable& t, const ByteReader& p) {
    if (Be8(p, 0) & 0x40) return -1;
    BeginPage(t, p);
    t.Spacer();
    t.Bit("Idle", BitsOf(Be8(p, 3), 1, 1));
    t.Bit("Standby", BitsOf(Be8(p, 3), 0, 1));
    t.Dword("Idle Condition Timer", Be32(p, 4));
    t.Dword("Standby Condition Timer", Be32(p, 8), t.Dec(Be32(p, 8)));
    t.End();
    return 1;
}

int InformationalExceptionsPage(ScsiDataTable& t, const ByteReader& p) {
    if (Be8(p, 0) & 0x40) return -1;
    BeginPage(t, p);
    const uint32_t b2 = Be8(p, 2);
    t.Spacer();
    t.Bit("Performance (Perf)", BitsOf(b2, 7, 1));
    t.Bit("Enable Background Function (EBF)", BitsOf(b2, 5, 1));
    t.Bit("Enable Warning (EWasc)", BitsOf(b2, 4, 1));
    t.Bit("Disable Exception Control (DExcpt)", BitsOf(b2, 3, 1));
    t.Bit("Test", BitsOf(b2, 2, 1));
    t.Bit("Log Errors (LogErr)", BitsOf(b2, 0, 1));
    t.Spacer();
    t.Nibble("Method of Reporting Informational Exceptions (MRIE)", Be8(p, 3) & 0xF);
    t.Spacer();
    t.Dword("Interval Timer", Be32(p, 4), t.Dec(Be32(p, 4)));
    t.Dword("Report Count", Be32(p, 8), t.Dec(Be32(p, 8)));
    t.End();
    return 1;
}

void BitGroup(ScsiDataTable& t, uint32_t value, const char* const* names, const uint8_t* bits, size_t count) {
    t.Spacer();
    for (size_t i = 0; i < count; ++i) t.Bit(names[i], BitsOf(value, bits[i], 1));
}

const char* Speed(ScsiDataTable& t, uint32_t v) { return v ? t.Number(v, "kBps") : nullptr; }

int CapabilitiesPage(ScsiDataTable& t, const ByteReader& p) {
    if (Be8(p, 0) & 0x80) return -1;
    BeginPage(t, p);
    static constexpr const char* k2[] = {"DVD-RAM Read", "DVD-R Read", "DVD-ROM Read", "Method 2", "CD-RW Read", "CD-R Read"};
    static constexpr uint8_t b2[] = {5, 4, 3, 2, 1, 0};
    static constexpr const char* k3[] = {"DVD-RAM Write", "DVD-R Write", "Test Write", "CD-R/RW Write", "CD-R Write"};
    static constexpr uint8_t b3[] = {5, 4, 2, 1, 0};
    static constexpr const char* k4[] = {"Buffer Underrun Free (BUF)", "Multi-Session", "Mode 2 Form 2", "Mode 2 Form 1",
                                         "Digital Port(2)", "Digital Port(1)", "Composite", "Audio Play"};
    static constexpr const char* k5[] = {"Read Bar Code", "Uniform Product Code (UPC)",
                                         "International Standard Recording Code (ISRC)", "C2 Pointers Supported",
                                         "R-W Deinterleaved & Corrected", "R-W Supported", "CD-DA Stream is Accurate",
                                         "CD-DA Cmds Supported"};
    static constexpr uint8_t b8[] = {7, 6, 5, 4, 3, 2, 1, 0};
    static constexpr const char* k7[] = {"R-W in Lead-In", "Side Change Capable", "S/W Slot Selection (SSS)",
                                         "Changer Supports Disc Present", "Separate Channel Mute", "Separate Volume Levels"};
    BitGroup(t, Be8(p, 2), k2, b2, 6);
    BitGroup(t, Be8(p, 3), k3, b3, 5);
    BitGroup(t, Be8(p, 4), k4, b8, 8);
    BitGroup(t, Be8(p, 5), k5, b8, 8);
    const uint32_t b6 = Be8(p, 6);
    t.Spacer();
    t.Bits("Loading Mechanism Type", BitsOf(b6, 5, 3), 3, LoadingMechanismName(BitsOf(b6, 5, 3)));
    t.Bit("Eject (Individual or Magazine)", BitsOf(b6, 3, 1));
    t.Bit("Prevent Jumper", BitsOf(b6, 2, 1));
    t.Bit("Lock State", BitsOf(b6, 1, 1));
    t.Bit("Lock", BitsOf(b6, 0, 1));
    BitGroup(t, Be8(p, 7), k7, b2, 6);
    t.Spacer();
    t.Word("Maximum Read Speed Supported (Obsolete)", Be16(p, 8), Speed(t, Be16(p, 8)));
    t.Word("Number of Volume Levels Supported", Be16(p, 10), t.Dec(Be16(p, 10)));
    t.Word("Buffer Size Supported", Be16(p, 12), Be16(p, 12) ? t.Number(Be16(p, 12), "Kbytes") : nullptr);
    t.Word("Current Read Speed Selected (Obsolete)", Be16(p, 14), Speed(t, Be16(p, 14)));
    const uint32_t b17 = Be8(p, 17);
    t.Spacer();
    t.Bits("Bit Length of IEC958 Words (Length)", BitsOf(b17, 4, 2), 2, Iec958WordLengthName(BitsOf(b17, 4, 2)));
    t.Bit("Least Significant Bit First (LSBF)", BitsOf(b17, 3, 1));
    t.Bit("RCK", BitsOf(b17, 2, 1));
    t.Bit("BCKF", BitsOf(b17, 1, 1));
    t.Spacer();
    t.Word("Maximum Write Speed Supported (Obsolete)", Be16(p, 18), Speed(t, Be16(p, 18)));
    t.Word("Current Write Speed Selected (Obsolete)", Be16(p, 20), Speed(t, Be16(p, 20)));
    int answer = 0;
    if (p.size() > 22) {
        t.Word("Copy Management Revision Supported", Be16(p, 22));
        t.Bits("Rotation Control Selected", Be8(p, 27) & 3, 2, RotationControlName(Be8(p, 27) & 3));
        t.Word("Current Write Speed Selected", Be16(p, 28), Speed(t, Be16(p, 28)));
    }
    if (p.size() > 30) {
        t.Word("Number of Logical Unit Write Speed Performance Descriptor Tables", Be16(p, 30), t.Dec(Be16(p, 30)));
        answer = 1;
    }
    t.End();
    return answer;
}

// Decodes one whole page (SPF clear or set); -1 when no decoder takes it.
int DecodePage(DECODE_CONTEXT& ctx, const ByteReader& page, uint32_t pageSize) {
    ScsiDataTable t(ctx);
    const uint32_t code = Be8(page, 0) & 0x3F;
    const size_t n = page.size();
    switch (code) {
    case 0x05:
        if (pageSize == 32 && n >= 32) return FlexibleDiskPage(t, page);
        if ((pageSize == 52 || pageSize == 56) && n > 51) return WriteParametersPage(t, page);
        return -1;
    case 0x08:
        if (ctx.bulk.deviceKind == 3) return n > 11 ? MmcCachingPage(t, page) : -1;
        return n >= 20 ? SbcCachingPage(t, page) : -1;
    case 0x1A: return n > 11 ? PowerConditionPage(t, page) : -1;
    case 0x1C: return n > 11 ? InformationalExceptionsPage(t, page) : -1;
    case 0x2A: return n >= 32 ? CapabilitiesPage(t, page) : -1;
    default: return -1;
    }
}

// Header rows shared by the two forms; `sense` tells MODE SENSE from MODE SELECT.
struct HeaderBound {
    bool stop = false;
    size_t left = 0;
};

// Mode Data Length row: a length shorter than the header is flagged; one
// longer than the bytes held says so (the allocation length may cut it).
void ModeDataLengthRow(ScsiDataTable& t, bool sense, uint32_t length, uint32_t lengthBytes, uint32_t minimum,
                       size_t held, bool word) {
    const char* description = nullptr;
    bool error = false;
    if (sense && length < minimum) {
        description = "Shorter than the mode parameter header";
        error = true;
    } else if (sense && length + lengthBytes > held) {
        description = t.Format("%u bytes announced, %u held", length + lengthBytes, static_cast<uint32_t>(held));
    }
    if (word) {
        if (error) {
            t.ErrorWord("Mode Data Length", length, description);
        } else {
            t.Word("Mode Data Length", length, description);
        }
    } else if (error) {
        t.ErrorByte("Mode Data Length", length, description);
    } else {
        t.Byte("Mode Data Length", length, description);
    }
}

bool WalkPages(const DECODE_CONTEXT& ctx, uint8_t selectOp, uint8_t senseOp) {
    if (const uint8_t* cdb = PendingCdb(ctx, senseOp)) return (cdb[2] & 0x3F) != 0;
    if (const uint8_t* cdb = PendingCdb(ctx, selectOp)) return (cdb[1] & 0x10) != 0;
    return false;
}

} // namespace

int DecodeModeParameters6(DECODE_CONTEXT& ctx) {
    const ByteReader r(ctx.bytes.data(), ctx.bytes.size());
    if (r.size() < 4) return 0;
    ScsiDataTable t(ctx);
    const bool sense = ctx.bulk.opCode == kModeSense6;
    const uint32_t length = Be8(r, 0), medium = Be8(r, 1), dsp = Be8(r, 2), bdl = Be8(r, 3);
    const uint8_t kind = ctx.bulk.deviceKind;
    t.Title("Mode Parameter Header(6)");
    t.Begin();
    ModeDataLengthRow(t, sense, length, 1, 3, r.size(), false);
    if (kind == 0 || kind == 1) {
        CheckedByte(t, "Medium Type", medium);
        if (sense) {
            t.Bit("Write Protect", BitsOf(dsp, 7, 1), WriteProtectText(BitsOf(dsp, 7, 1)));
            t.Bit("Disable Page Out (DPO) and Force Unit Access (FUA)", BitsOf(dsp, 4, 1), SupportedText(BitsOf(dsp, 4, 1)));
        } else {
            t.Byte("Device-Specific Parameter", dsp);
        }
        t.Byte("Block Descriptor Length", bdl);
    } else if (kind == 2) {
        CheckedByte(t, "Medium Type", medium);
        CheckedByte(t, "Device-Specific Parameter", dsp);
        CheckedByte(t, "Block Descriptor Length", bdl);
    } else {
        t.Byte("Medium Type", medium);
        t.Byte("Device-Specific Parameter", dsp);
        t.Byte("Block Descriptor Length", bdl);
    }
    t.End();
    size_t left = r.size() - 4;
    if (sense) {
        if (length < 3) return 1;
        left = std::min<size_t>(left, length - 3);
    }
    if (bdl > left) return 1;
    if (WalkPages(ctx, kModeSelect6, kModeSense6)) DecodeModeParameterData(ctx, r.sub(4 + bdl, left - bdl));
    return 1;
}

int DecodeModeParameters10(DECODE_CONTEXT& ctx) {
    const ByteReader r(ctx.bytes.data(), ctx.bytes.size());
    if (r.size() < 8) return 0;
    ScsiDataTable t(ctx);
    const bool sense = ctx.bulk.opCode == kModeSense10;
    const uint32_t length = Be16(r, 0), medium = Be8(r, 2), dsp = Be8(r, 3), bdl = Be16(r, 6);
    t.Title("Mode Parameter Header(10)");
    t.Begin();
    ModeDataLengthRow(t, sense, length, 2, 6, r.size(), true);
    if (ctx.bulk.deviceKind == 3) {
        t.Byte("Medium Type", medium);
    } else {
        CheckedByte(t, "Medium Type", medium);
        t.Byte("Device-Specific Parameter", dsp);
        t.Bit("Long LBA (LONGLBA)", Be8(r, 4) & 1);
    }
    t.Word("Block Descriptor Length", bdl);
    t.End();
    size_t left = r.size() - 8;
    if (sense) {
        if (length < 6) return 1;
        left = std::min<size_t>(left, length - 6);
    }
    if (bdl > left) return 1;
    if (WalkPages(ctx, kModeSelect10, kModeSense10)) DecodeModeParameterData(ctx, r.sub(8 + bdl, left - bdl));
    return 1;
}

int DecodeModeParameterData(DECODE_CONTEXT& ctx, ByteReader pages) {
    int answer = 0;
    bool answered = false;
    size_t at = 0;
    for (uint32_t count = 0; count < kMaxPages && pages.size() - at >= 2 && !ctx.full(); ++count) {
        const ByteReader rest = pages.from(at);
        size_t pageSize;
        if (Be8(rest, 0) & 0x40) {
            if (rest.size() < 4 || Be16(rest, 2) == 0) break;
            pageSize = Be16(rest, 2) + 4;
        } else {
            if (Be8(rest, 1) == 0) break;
            pageSize = Be8(rest, 1) + 2;
        }
        if (pageSize > rest.size()) break;
        // A page decoder sees its own page only: a short page of an older
        // device never shows the next page's bytes as its fields.
        const ByteReader page = rest.sub(0, pageSize);
        int result = DecodePage(ctx, page, static_cast<uint32_t>(pageSize));
        if (result < 0) result = RenderGenericModePage(ctx, page);
        if (!answered) {
            answer = result;
            answered = true;
        }
        at += pageSize;
    }
    return answer;
}

int RenderGenericModePage(DECODE_CONTEXT& ctx, ByteReader page) {
    const bool spf = (Be8(page, 0) & 0x40) != 0;
    if (page.size() <= (spf ? 3u : 1u)) return 0;
    ScsiDataTable t(ctx);
    const uint32_t code = Be8(page, 0) & 0x3F;
    const uint32_t subpage = spf ? Be8(page, 1) : 0;
    const uint32_t length = spf ? Be16(page, 2) : Be8(page, 1);
    const uint32_t first = spf ? 4 : 2;
    t.ModePageTitle(code, subpage);
    t.Begin();
    t.Byte("Page Code", code, ModePageName(code, subpage, ctx.bulk.deviceKind, ctx.bulk.spcVersion));
    if (spf) {
        t.Byte("Subpage Code", subpage);
        t.Word("Page Length", length);
    } else {
        t.Byte("Page Length", length);
    }
    const uint32_t shown = std::min(length, kGenericPageBytes);
    for (uint32_t i = 0; i < shown && first + i < page.size(); ++i) {
        t.Byte(t.Format("%s %u", "byte", first + i), Be8(page, first + i));
    }
    t.End();
    return 1;
}

} // namespace brx
