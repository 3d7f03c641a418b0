#include "protocols/MmcData.h"

#include <algorithm>
#include <string>

#include "protocols/ScsiDataTable.h"
#include "protocols/ScsiNames.h"

namespace brx {
namespace {

constexpr uint8_t kReadToc = 0x43, kReadBufferCapacity = 0x5C, kGetPerformance = 0xAC, kSetStreaming = 0xB6;
constexpr uint32_t kLeadOutTrack = 0xAA;
constexpr size_t kMaxUnknownFeatureBytes = 64;
constexpr size_t kMaxSerialNumber = 256;
constexpr uint32_t kMaxDbiDescriptors = 32;

ByteReader Data(const DECODE_CONTEXT& ctx) { return ByteReader(ctx.bytes.data(), ctx.bytes.size()); }

const char* TrackNumberText(ScsiDataTable& t, uint32_t track) {
    return track == kLeadOutTrack ? "Start of Lead-out Area" : t.Dec(track);
}

// Adr and Control of byte 1 of a TOC or PMA descriptor.
void AdrControlRows(ScsiDataTable& t, uint32_t b1) {
    t.Nibble("Adr", b1 >> 4, TocAdrName(b1 >> 4));
    t.Nibble("Control", b1 & 0xF, t.TrackControl(b1 & 0xF));
}

void RawTocDescriptor(ScsiDataTable& t, const ByteReader& d, bool session) {
    t.Title(session ? "TOC Track Descriptor" : "PMA Descriptor");
    t.Begin();
    if (session) t.Byte("Session Number", Be8(d, 0), t.Dec(Be8(d, 0)));
    AdrControlRows(t, Be8(d, 1));
    t.Spacer();
    t.Byte("Track Number (TNo)", Be8(d, 2), t.Dec(Be8(d, 2)));
    t.Byte("Point", Be8(d, 3), TocPointName(Be8(d, 1) >> 4, Be8(d, 3)));
    t.Spacer();
    t.Byte("Min", Be8(d, 4), t.Dec(Be8(d, 4)));
    t.Byte("Sec", Be8(d, 5), t.Dec(Be8(d, 5)));
    t.Byte("Frame", Be8(d, 6), t.Dec(Be8(d, 6)));
    t.Spacer();
    t.Byte("Zero", Be8(d, 7), t.Dec(Be8(d, 7)));
    t.Spacer();
    t.Byte("Point Min (PMin)", Be8(d, 8), t.Dec(Be8(d, 8)));
    t.Byte("Point Sec (PSec)", Be8(d, 9), t.Dec(Be8(d, 9)));
    t.Byte("Point Frame (PFrame)", Be8(d, 10), t.Dec(Be8(d, 10)));
    t.End();
}

void AtipDescriptor(ScsiDataTable& t, const ByteReader& d) {
    if (d.size() <= 2) return;
    const uint32_t b0 = Be8(d, 0), b1 = Be8(d, 1), b2 = Be8(d, 2);
    t.Title("ATIP Descriptor");
    t.Begin();
    t.Nibble("Indicative Target Writing Power", b0 >> 4);
    t.Bit("DDCD", BitsOf(b0, 3, 1));
    t.Bits("Reference Speed", b0 & 7, 3);
    t.Spacer();
    t.Bit("0", BitsOf(b1, 7, 1));
    t.Bit("Unrestricted Use Disc (URU)", BitsOf(b1, 6, 1));
    t.Spacer();
    t.Bit("1", BitsOf(b2, 7, 1));
    t.Bit("Disc Type", BitsOf(b2, 6, 1), BitsOf(b2, 6, 1) ? "CD-RW" : "CD-R");
    t.Bits("Disc Sub-Type", BitsOf(b2, 3, 3), 3);
    t.Bit("A1 Valid", BitsOf(b2, 2, 1));
    t.Bit("A2 Valid", BitsOf(b2, 1, 1));
    t.Bit("A3 Valid", BitsOf(b2, 0, 1));
    if (d.size() > 6) {
        t.Spacer();
        t.Byte("ATIP Start Time of Lead-in (Min)", Be8(d, 4), t.Dec(Be8(d, 4)));
        t.Byte("ATIP Start Time of Lead-in (Sec)", Be8(d, 5), t.Dec(Be8(d, 5)));
        t.Byte("ATIP Start Time of Lead-in (Frame)", Be8(d, 6), t.Dec(Be8(d, 6)));
    }
    if (d.size() > 10) {
        t.Spacer();
        t.Byte("ATIP Last Possible Start Time of Lead-out (Min)", Be8(d, 8), t.Dec(Be8(d, 8)));
        t.Byte("ATIP Last Possible Start Time of Lead-out (Sec)", Be8(d, 9), t.Dec(Be8(d, 9)));
        t.Byte("ATIP Last Possible Start Time of Lead-out (Frame)", Be8(d, 10), t.Dec(Be8(d, 10)));
    }
    if (d.size() > 22) {
        t.Spacer();
        t.TriByte("A1 Values", Be24(d, 12));
        t.TriByte("A2 Values", Be24(d, 16));
        t.TriByte("A3 Values", Be24(d, 20));
    }
    if (d.size() > 26) t.TriByte("S4 Values", Be24(d, 24));
    t.End();
}

// Printable ASCII as it is, any other byte as ".".
std::string PrintableText(const ByteReader& r, size_t offset, size_t count) {
    std::string s;
    for (size_t i = 0; i < count && r.has(offset + i, 1); ++i) {
        const uint8_t c = Be8(r, offset + i);
        s.push_back(c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '.');
    }
    return s;
}

void FeatureBits(ScsiDataTable& t, uint32_t value, std::initializer_list<std::pair<const char*, uint32_t>> bits) {
    for (const auto& [name, bit] : bits) t.Bit(name, BitsOf(value, bit, 1));
}

} // namespace

int DecodeReadTocData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kReadToc);
    if (!cdb) return 0;
    const uint32_t format = cdb[2] & 0xF;
    if (format > 5) return 0;
    const ByteReader all = Data(ctx);
    const ByteReader r = all.sub(0, static_cast<size_t>(Be16(all, 0)) + 2);
    if (r.size() <= 3) return 0;
    static constexpr const char* kFormats[] = {"0000b", "0001b", "0010b", "0011b", "0100b", "0101b"};
    static constexpr const char* kLengths[] = {"TOC Data Length", "TOC Data Length", "TOC Data Length",
                                               "PMA Data Length", "ATIP Data Length", "CD-TEXT Data Length"};
    ScsiDataTable t(ctx);
    t.Title(t.Format("Read TOC/PMA/ATIP Data Header (Format = %s)", kFormats[format]));
    t.Begin();
    t.Word(kLengths[format], Be16(r, 0), t.Dec(Be16(r, 0), "bytes"));
    if (format == 0) {
        t.Byte("First Track Number", Be8(r, 2), t.Dec(Be8(r, 2)));
        t.Byte("Last Track Number", Be8(r, 3), t.Dec(Be8(r, 3)));
    } else if (format <= 2) {
        t.Byte("First Complete Session Number", Be8(r, 2), t.Dec(Be8(r, 2)));
        t.Byte("Last Complete Session Number", Be8(r, 3), t.Dec(Be8(r, 3)));
    }
    t.End();
    const ByteReader body = r.from(4);
    switch (format) {
    case 0:
    case 1:
        for (size_t at = 0; body.has(at, 8) && !ctx.full(); at += 8) {
            const ByteReader d = body.sub(at, 8);
            t.Title("TOC Track Descriptor");
            t.Begin();
            AdrControlRows(t, Be8(d, 1));
            if (format == 0) {
                t.Byte("Track Number", Be8(d, 2), TrackNumberText(t, Be8(d, 2)));
                t.Dword("Track Start Address", Be32(d, 4));
            } else {
                t.Byte("First Track Number in Last Complete Session", Be8(d, 2), t.Dec(Be8(d, 2)));
                t.Dword("Start Address of First Track in Last Session", Be32(d, 4));
            }
            t.End();
        }
        break;
    case 2:
    case 3:
        for (size_t at = 0; body.has(at, 11) && !ctx.full(); at += 11) RawTocDescriptor(t, body.sub(at, 11), format == 2);
        break;
    case 4: AtipDescriptor(t, body); break;
    case 5:
        if (body.size() > 17) {
            t.Title("CD-TEXT Descriptor");
            t.Begin();
            t.Hex("CD-TEXT Data", Span(body.sub(0, 18)));
            t.End();
        }
        break;
    default: break;
    }
    return 1;
}

int DecodeDiscInformationData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    if (r.size() < 8) return 0;
    ScsiDataTable t(ctx);
    const uint32_t b2 = Be8(r, 2), b7 = Be8(r, 7);
    t.Title("Disc Information Block");
    t.Begin();
    t.Word("Disc Information Length", Be16(r, 0), t.Dec(Be16(r, 0), "bytes"));
    t.Spacer();
    t.Bit("Erasable", BitsOf(b2, 4, 1));
    t.Bits("State of Last Session", BitsOf(b2, 2, 2), 2, SessionStateName(BitsOf(b2, 2, 2)));
    t.Bits("Disc Status", b2 & 3, 2, DiscStatusName(b2 & 3));
    t.Spacer();
    // The high bytes (9 to 11) lie past a block shorter than 12 bytes: such a
    // block shows the low byte alone.
    const uint32_t sessions = Be8(r, 9) << 8 | Be8(r, 4);
    const uint32_t firstTrack = Be8(r, 10) << 8 | Be8(r, 5);
    const uint32_t lastTrack = Be8(r, 11) << 8 | Be8(r, 6);
    t.Byte("Number of First Track on Disc", Be8(r, 3), t.Dec(Be8(r, 3)));
    t.Word("Number of Sessions", sessions, t.Dec(sessions));
    t.Word("First Track Number in Last Session", firstTrack, t.Dec(firstTrack));
    t.Word("Last Track Number in Last Session", lastTrack, t.Dec(lastTrack));
    t.Spacer();
    t.Bit("Disc ID Valid (DID_V)", BitsOf(b7, 7, 1));
    t.Bit("Disc Bar Code Valid (DBC_V)", BitsOf(b7, 6, 1));
    t.Bit("Unrestricted Use Disc (URU)", BitsOf(b7, 5, 1));
    t.Bit("Dirty Bit (DBit)", BitsOf(b7, 2, 1));
    t.Bits("Background (BG) Format Status", b7 & 3, 2, BackgroundFormatStatusName(b7 & 3));
    int answer = 0;
    if (r.size() > 15) {
        t.Spacer();
        t.Byte("Disc Type", Be8(r, 8), DiscTypeName(Be8(r, 8)));
        t.Spacer();
        t.Dword("Disc Identification", Be32(r, 12));
    }
    if (r.size() >= 32) {
        t.Dword("Last Session Lead-in Start Time HMSF", Be32(r, 16));
        t.Dword("Last Possible Start Time for Start of Lead-out HMSF", Be32(r, 20));
        t.Qword("Disc Bar Code", Be64(r, 24));
    }
    if (r.size() > 33) {
        t.Byte("Number of OPC Table Entries", Be8(r, 33), t.Dec(Be8(r, 33)));
        answer = 1;
    }
    t.End();
    return answer;
}

int DecodeTrackInformationData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    if (r.size() <= 7) return 0;
    ScsiDataTable t(ctx);
    const uint32_t b5 = Be8(r, 5), b6 = Be8(r, 6), b7 = Be8(r, 7);
    // The high bytes (32, 33) lie past a block shorter than 34 bytes: such a
    // block shows the low byte alone.
    const uint32_t track = Be8(r, 32) << 8 | Be8(r, 2);
    const uint32_t session = Be8(r, 33) << 8 | Be8(r, 3);
    t.Title("Track Information Block");
    t.Begin();
    t.Word("Data Length", Be16(r, 0), t.Dec(Be16(r, 0), "bytes"));
    t.Spacer();
    t.Word("Track Number", track, t.Dec(track));
    t.Word("Session Number", session, t.Dec(session));
    t.Spacer();
    t.Bit("Damage", BitsOf(b5, 5, 1));
    t.Bit("Copy", BitsOf(b5, 4, 1));
    t.Nibble("Track Mode", b5 & 0xF, t.TrackControl(b5 & 0xF));
    t.Spacer();
    t.Bit("Reserved Track (RT)", BitsOf(b6, 7, 1));
    t.Bit("Blank", BitsOf(b6, 6, 1));
    t.Bit("Packet/Inc", BitsOf(b6, 5, 1));
    t.Bit("Fixed Packet (FP)", BitsOf(b6, 4, 1));
    t.Nibble("Data Mode", b6 & 0xF, TrackDataModeName(b6 & 0xF));
    int answer = 0;
    if (r.size() >= 16) {
        t.Spacer();
        t.Dword("Track Start Address", Be32(r, 8));
        // Track Size lies at bytes 24-27: not shown from a shorter block.
        if (r.size() >= 28) t.Dword("Track Size", Be32(r, 24));
        t.Spacer();
        t.Bit("Next Writable Address Valid (NWA_V)", BitsOf(b7, 0, 1));
        t.Dword("Next Writable Address", Be32(r, 12));
    }
    if (r.size() >= 36) {
        t.Spacer();
        t.Bit("Last Recorded Address Valid (LRA_V)", BitsOf(b7, 1, 1));
        t.Dword("Last Recorded Address", Be32(r, 28));
        t.Spacer();
        t.Dword("Free Blocks", Be32(r, 16), t.Dec(Be32(r, 16)));
        t.Dword("Fixed Packet Size/Blocking Factor", Be32(r, 20), t.Dec(Be32(r, 20)));
        answer = 1;
    }
    t.End();
    return answer;
}

int DecodeConfigurationData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    const uint32_t length = Be32(r, 0);
    if (r.size() <= 7 || length <= 3) return 0;
    ScsiDataTable t(ctx);
    const uint32_t profile = Be16(r, 6);
    t.Title("Feature Header");
    t.Begin();
    t.Dword("Data Length", length, t.Dec(length, "bytes"));
    t.Word("Current Profile", profile, profile == 0 ? "No currently active profiles" : MmcProfileName(profile));
    t.End();
    const ByteReader list = r.sub(8, length - 4);
    size_t at = 0;
    while (list.size() - at > 3 && !ctx.full()) {
        const ByteReader rest = list.from(at);
        const size_t size = static_cast<size_t>(Be8(rest, 3)) + 4;
        // Each descriptor sees its own bytes only, never the next one's.
        RenderFeatureDescriptor(ctx, rest.sub(0, size));
        if (size > rest.size()) break;
        at += size;
    }
    return 1;
}

int RenderFeatureDescriptor(DECODE_CONTEXT& ctx, ByteReader d) {
    ScsiDataTable t(ctx);
    const uint32_t code = Be16(d, 0), b2 = Be8(d, 2), additional = Be8(d, 3);
    const uint32_t version = BitsOf(b2, 2, 4);
    const char* name = MmcFeatureName(code);
    const size_t n = d.size();
    t.Title(name ? t.Format("%s %s", name, "Feature Descriptor") : "Feature Descriptor");
    t.Begin();
    t.Word("Feature Code", code, name);
    t.Nibble("Version", version, t.Dec(version));
    t.Bit("Persistent", BitsOf(b2, 1, 1));
    t.Bit("Current", BitsOf(b2, 0, 1));
    t.Byte("Additional Length", additional, t.Dec(additional, "bytes"));
    t.Spacer();
    const uint32_t b4 = Be8(d, 4), b5 = Be8(d, 5);
    switch (code) {
    case 0x0000: {
        const size_t end = 4 + std::min<size_t>(additional, n > 4 ? n - 4 : 0);
        for (size_t at = 4; at + 4 <= end && !ctx.full(); at += 4) {
            if (at != 4) t.Spacer();
            t.Word("Profile Number", Be16(d, at), MmcProfileName(Be16(d, at)));
            t.Bit("Currently Active (CurrentP)", Be8(d, at + 2) & 1);
        }
        break;
    }
    case 0x0001:
        if (additional == 4 ? n > 7 : n > 11) {
            t.Dword("Physical Interface Standard", Be32(d, 4), PhysicalInterfaceStandardName(Be32(d, 4)));
            if (additional != 4) t.Bit("Device Busy Event (DBE)", Be8(d, 8) & 1);
        }
        break;
    case 0x0002:
        if (n > 7) {
            t.Bit("Operational Change Request/Notification Class Event (OCEvent)", BitsOf(b4, 1, 1));
            t.Bit("Asynchronous Get Event/Status Notification (ASYNC)", BitsOf(b4, 0, 1));
        }
        break;
    case 0x0003:
        if (n > 7) {
            t.Bits("Loading Mechanism Type", BitsOf(b4, 5, 3), 3, LoadingMechanismName(BitsOf(b4, 5, 3)));
            FeatureBits(t, b4, {{"Eject", 3}, {"Prevent Jumper", 2}, {"Lock", 0}});
        }
        break;
    case 0x0004:
        if (n > 7) {
            FeatureBits(t, b4, {{"Write Inhibit DCB (WDCB)", 2}, {"Support Persistent Write Protect (SPWP)", 1},
                                {"Support Software Write Protect until Powerdown (SWPP)", 0}});
        }
        break;
    case 0x0010:
    case 0x0025:
        if (n > 11) {
            t.Dword("Logical Block Size", Be32(d, 4), t.Dec(Be32(d, 4), "bytes"));
            t.Word("Blocking", Be16(d, 8), t.Dec(Be16(d, 8)));
            t.Bit("Page Present (PP)", Be8(d, 10) & 1);
        }
        break;
    case 0x001E:
        if (n > 7) FeatureBits(t, b4, {{"Digital Audio Play (DAP)", 7}, {"C2 Error Pointers (C2 Flags)", 1}, {"CD-Text", 0}});
        break;
    case 0x0020:
        if (n > 15) {
            t.Dword("Last Logical Block Address", Be32(d, 4), t.Dec(Be32(d, 4)));
            t.Dword("Logical Block Size", Be32(d, 8), t.Dec(Be32(d, 8), "bytes"));
            t.Word("Blocking", Be16(d, 12), t.Dec(Be16(d, 12)));
            t.Bit("Page Present (PP)", Be8(d, 14) & 1);
        }
        break;
    case 0x0021:
        if (n > 7) {
            const uint32_t links = Be8(d, 7);
            t.Word("Data Block Types Supported", Be16(d, 4));
            t.Bit("BUF", Be8(d, 6) & 1);
            t.Byte("Number of Link Sizes", links, t.Dec(links));
            if (links != 0 && additional > 4) {
                const size_t count = std::min<size_t>({links, additional - 4u, n - 8});
                for (size_t i = 0; i < count; ++i) t.Byte("Link Size", Be8(d, 8 + i), t.Dec(Be8(d, 8 + i)));
            }
        }
        break;
    case 0x0024:
        if (n > 7) t.Bit("Spare Area Information (SSA)", BitsOf(b4, 7, 1));
        break;
    case 0x002A:
        if (n > 7) {
            t.Bit("Write", b4 & 1);
            if (version != 0) t.Bit("Quick Start", BitsOf(b5, 1, 1));
            t.Bit("Close Only", b5 & 1);
        }
        break;
    case 0x002B:
        if (n > 7) t.Bit("Write", b4 & 1);
        break;
    case 0x002C:
        if (n > 7) {
            FeatureBits(t, b4, {{"Defect Status Data Generate (DSDG)", 3}, {"Defect Status Data Read (DSDR)", 2},
                                {"Intermediate", 1}, {"Blank", 0}});
        }
        break;
    case 0x002D:
        if (n > 7) {
            FeatureBits(t, b4, {{"BUF", 6}, {"R-W Raw", 4}, {"R-W Pack", 3}, {"Test Write", 2}, {"CD-RW", 1},
                                {"R-W Sub-Code", 0}});
            t.Word("Data Type Supported", Be16(d, 6));
        }
        break;
    case 0x002E:
        if (n > 7) {
            FeatureBits(t, b4, {{"BUF", 6}, {"Session at Once (SAO)", 5}, {"Raw Multi-Session (MS)", 4}, {"Raw", 3},
                                {"Test Write", 2}, {"CD-RW", 1}, {"R-W", 0}});
            t.TriByte("Maximum Cue Sheet Length", Be24(d, 5), t.Dec(Be24(d, 5), "bytes"));
        }
        break;
    case 0x002F:
        if (n > 7) {
            t.Bit("BUF", BitsOf(b4, 6, 1));
            if (version != 0) t.Bit("RDL", BitsOf(b4, 3, 1));
            FeatureBits(t, b4, {{"Test Write", 2}, {"DVD-RW", 1}});
        }
        break;
    case 0x0037:
        if (n > 7) {
            for (uint32_t bit = 0; bit < 8; ++bit) t.Bit(t.Format("Subtype%u", bit), BitsOf(b5, bit, 1));
        }
        break;
    case 0x0101:
        if (n > 7) t.Bit("Page Present (PP)", b4 & 1);
        break;
    case 0x0103:
        if (n > 7) {
            FeatureBits(t, b4, {{"Scan", 2}, {"Separate Channel Mute (SCM)", 1}, {"Separate Volume (SV)", 0}});
            t.Word("Number of Volume Levels", Be16(d, 6), t.Dec(Be16(d, 6)));
        }
        break;
    case 0x0104:
        if (additional == 4 && n > 7) t.Bit("5-bit Mode (M5)", b4 & 1);
        break;
    case 0x0105:
        if (additional == 4 && n > 7) {
            t.Bit("Group 3", b4 & 1);
            t.Word("Unit Length", Be16(d, 6), t.Dec(Be16(d, 6)));
        }
        break;
    case 0x0106:
        if (n > 7) t.Byte("CSS Version", Be8(d, 7));
        break;
    case 0x0107:
        if (n > 7) {
            FeatureBits(t, b4, {{"Read Buffer Capacity Block (RBCB)", 4}, {"Set CD Speed (SCS)", 3},
                                {"Mode Page 2A (MP2A)", 2}, {"Write Speed Performance Descriptor (WSPD)", 1},
                                {"Stream Writing (SW)", 0}});
        }
        break;
    case 0x0108:
        if (n > 3 && additional != 0) {
            std::string serial = PrintableText(d, 4, std::min<size_t>({additional, n - 4, kMaxSerialNumber}));
            serial = serial.substr(0, serial.find(' '));
            t.Quoted("Serial Number", serial);
        }
        break;
    case 0x010C:
        if (n > 19) {
            static constexpr const char* kFields[] = {"Century", "Year", "Month", "Day", "Hour", "Minute", "Second"};
            for (size_t i = 0; i < 7; ++i) t.Quoted(kFields[i], PrintableText(d, 4 + 2 * i, 2));
        }
        break;
    case 0x001D:
    case 0x001F:
    case 0x0023:
    case 0x0026:
    case 0x0100: break;
    default: {
        const size_t count = std::min<size_t>({additional, n > 4 ? n - 4 : 0, kMaxUnknownFeatureBytes});
        for (size_t i = 0; i < count; ++i) t.Byte(t.Format("%s %u", "byte", static_cast<uint32_t>(4 + i)), Be8(d, 4 + i));
        break;
    }
    }
    t.End();
    return 1;
}

int DecodeEventStatusData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    const uint32_t length = Be16(r, 0);
    if (r.size() <= 3 || length <= 1) return 0;
    ScsiDataTable t(ctx);
    const uint32_t b2 = Be8(r, 2), classes = Be8(r, 3);
    const uint32_t nea = BitsOf(b2, 7, 1), notification = b2 & 7;
    std::string names;
    for (uint32_t bit = 1; bit <= 6; ++bit) {
        if (!(classes & (1u << bit))) continue;
        const char* name = EventClassName(bit);
        if (!name) continue;
        if (!names.empty()) names += " + ";
        names += name;
    }
    if (names.size() > 256) names.resize(256);
    t.Title("Event Header");
    t.Begin();
    t.Word("Event Data Length", length, t.Dec(length, "bytes"));
    t.Bit("No Event Available (NEA)", nea);
    t.Bits("Notification Class", notification, 3, NotificationClassName(notification));
    t.Byte("Supported Event Classes", classes,
           classes == 0 ? "No Event Classes" : (names.empty() ? nullptr : names.c_str()));
    t.End();
    if (nea || std::min<size_t>(r.size() - 4, length - 2) <= 3) return 1;
    const uint32_t event = Be8(r, 4) & 0xF, status = Be8(r, 5), request = Be16(r, 6);
    switch (notification) {
    case 1:
        t.Title("Operational Change Event Descriptor");
        t.Begin();
        t.Nibble("Operational Event", event, OperationalEventName(event));
        t.Nibble("Operational Status", status & 0xF, OperationalStatusName(status & 0xF));
        t.Bit("Persistent Prevented", BitsOf(status, 7, 1));
        t.Word("Operation Request/Report", request, OperationalRequestName(request));
        break;
    case 2:
        t.Title("Power Management Event Descriptor");
        t.Begin();
        t.Nibble("Power Event", event, PowerEventName(event));
        t.Byte("Power Status", status, PowerStatusName(status));
        break;
    case 3:
        t.Title("External Request Event Descriptor");
        t.Begin();
        t.Nibble("External Request Event", event, ExternalRequestEventName(event));
        t.Nibble("External Request Status", status & 0xF, ExternalRequestStatusName(status & 0xF));
        t.Bit("Persistent Prevented", BitsOf(status, 7, 1));
        t.Word("External Request", request, ExternalRequestName(request));
        break;
    case 4:
        t.Title("Media Event Descriptor");
        t.Begin();
        t.Nibble("Media Event", event, MediaEventName(event));
        t.Bit("Media Present", BitsOf(status, 1, 1));
        t.Bit("Door or Tray Open", BitsOf(status, 0, 1));
        t.Byte("Start Slot", Be8(r, 6), t.Dec(Be8(r, 6)));
        t.Byte("End Slot", Be8(r, 7), t.Dec(Be8(r, 7)));
        break;
    case 5:
        t.Title("Multiple Initiator Event Descriptor");
        t.Begin();
        t.Nibble("Multiple Initiator Event", event, MultipleInitiatorEventName(event));
        t.Nibble("Multiple Initiator Status", status & 0xF, MultipleInitiatorStatusName(status & 0xF));
        t.Bit("Persistent Prevented", BitsOf(status, 7, 1));
        t.Word("Multiple Initiator Priority", request, MultipleInitiatorPriorityName(request));
        break;
    case 6:
        t.Title("Device Busy Event Descriptor");
        t.Begin();
        t.Nibble("Device Busy Event", event, DeviceBusyEventName(event));
        t.Byte("Device Busy Status", status, DeviceBusyStatusName(status));
        t.Word("Time", request, t.Format("%u.%u seconds", request / 10, request % 10));
        break;
    default: return 1;
    }
    t.End();
    return 1;
}

int DecodeMechanismStatusData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    if (r.size() <= 7) return 0;
    ScsiDataTable t(ctx);
    const uint32_t b0 = Be8(r, 0), b1 = Be8(r, 1);
    const uint32_t slots = Be8(r, 5), tableLength = Be16(r, 6), lba = Be24(r, 2);
    t.Title("Mechanism Status Header");
    t.Begin();
    t.Bit("Fault", BitsOf(b0, 7, 1));
    t.Bits("Changer State", BitsOf(b0, 5, 2), 2, ChangerStateName(BitsOf(b0, 5, 2)));
    t.Byte("Current Slot", ((b1 & 7) << 5 | (b0 & 0x1F)) & 0xFF);
    t.Bits("Mechanism State", BitsOf(b1, 5, 3), 3, MechanismStateName(BitsOf(b1, 5, 3)));
    t.Bit("Door Open", BitsOf(b1, 4, 1));
    t.TriByte("Current LBA", lba, lba == 0xFFFFFF ? nullptr : t.Dec(lba));
    t.Byte("Number of Slots Available", slots, t.Dec(slots));
    t.Word("Length of Slot Table(s)", tableLength, t.Dec(tableLength, "bytes"));
    t.End();
    const ByteReader table = r.sub(8, tableLength);
    for (uint32_t slot = 0; slot < slots && table.has(slot * 4u, 4) && !ctx.full(); ++slot) {
        const ByteReader e = table.sub(slot * 4u, 4);
        t.Title(t.Format("Slot Table %u", slot + 1));
        t.Begin();
        t.Bit("Disc Present", BitsOf(Be8(e, 0), 7, 1));
        t.Bit("Change", Be8(e, 0) & 1);
        t.Bit("Media Cartridge Write Protection Valid (CWP_V)", BitsOf(Be8(e, 1), 1, 1));
        t.Bit("Media Cartridge Write Protection (CWP)", Be8(e, 1) & 1);
        t.End();
    }
    return 1;
}

int DecodeBufferCapacityData(DECODE_CONTEXT& ctx) {
    const ByteReader r = Data(ctx);
    if (r.size() < 12 || Be16(r, 0) < 10) return 0;
    const uint8_t* cdb = PendingCdb(ctx, kReadBufferCapacity);
    const bool block = cdb && (cdb[1] & 1);
    ScsiDataTable t(ctx);
    t.Title("Buffer Capacity");
    t.Begin();
    if (block) {
        t.Bit("Block", Be8(r, 3) & 1);
        t.Dword("Available Length of Buffer", Be32(r, 8), t.Dec(Be32(r, 8), "blocks"));
    } else {
        t.Dword("Length of Buffer", Be32(r, 4), t.Dec(Be32(r, 4), "bytes"));
        t.Dword("Blank Length of Buffer", Be32(r, 8), t.Dec(Be32(r, 8), "bytes"));
    }
    t.End();
    return 1;
}

int DecodeGetPerformanceData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kGetPerformance);
    const ByteReader r = Data(ctx);
    if (!cdb || r.size() < 8) return 0;
    const uint32_t type = cdb[10];
    const uint32_t length = Be32(r, 0), b4 = Be8(r, 4);
    const bool except = (b4 & 1) != 0;
    ScsiDataTable t(ctx);
    t.Title("Performance Header");
    t.Begin();
    t.Dword("Performance Data Length", length, t.Dec(length, "bytes"));
    t.Bit("Write", BitsOf(b4, 1, 1));
    t.Bit("Except", b4 & 1, except ? "Exception Conditions" : "Nominal Performance");
    t.End();
    if (length <= 3) return 1;
    const ByteReader list = r.sub(8, length - 4);
    size_t size = 0;
    if (type == 0x00) size = except ? 6 : 16;
    if (type == 0x03) size = 16;
    for (size_t at = 0; size != 0 && list.has(at, size) && !ctx.full(); at += size) {
        const ByteReader d = list.sub(at, size);
        if (type == 0x03) {
            const uint32_t b0 = Be8(d, 0);
            t.Title("Write Speed Descriptor");
            t.Begin();
            t.Bits("Write Rotation Control (WRC)", BitsOf(b0, 3, 2), 2, WriteRotationControlName(BitsOf(b0, 3, 2)));
            t.Bit("Restore Drive Defaults (RDD)", BitsOf(b0, 2, 1));
            t.Bit("Exact", BitsOf(b0, 1, 1));
            t.Bit("Mixed Read/Write (MRW)", b0 & 1);
            t.Spacer();
            t.Dword("End LBA", Be32(d, 4), t.Dec(Be32(d, 4)));
            t.Dword("Read Speed", Be32(d, 8), t.Dec(Be32(d, 8), "Kbytes/sec"));
            t.Dword("Write Speed", Be32(d, 12), t.Dec(Be32(d, 12), "Kbytes/sec"));
        } else if (except) {
            t.Title("Performance Descriptor \x96 Exceptions");
            t.Begin();
            t.Dword("LBA", Be32(d, 0), t.Dec(Be32(d, 0)));
            t.Word("Time", Be16(d, 4), t.Dec(static_cast<uint64_t>(Be16(d, 4)) * 100, "microseconds"));
        } else {
            t.Title("Performance Descriptor \x96 Nominal Performance");
            t.Begin();
            t.Dword("Start LBA", Be32(d, 0), t.Dec(Be32(d, 0)));
            t.Dword("Start Performance", Be32(d, 4), t.Dec(Be32(d, 4), "Kbytes/sec"));
            t.Dword("End LBA", Be32(d, 8), t.Dec(Be32(d, 8)));
            t.Dword("End Performance", Be32(d, 12), t.Dec(Be32(d, 12), "Kbytes/sec"));
        }
        t.End();
    }
    return 1;
}

int DecodeSetStreamingData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kSetStreaming);
    if (!cdb) return 0;
    const ByteReader r = Data(ctx);
    ScsiDataTable t(ctx);
    if (cdb[8] == 0x00 && r.size() >= 28) {
        const uint32_t b0 = Be8(r, 0);
        t.Title("Performance Descriptor");
        t.Begin();
        t.Bits("Write Rotation Control (WRC)", BitsOf(b0, 3, 2), 2);
        t.Bit("Restore Drive Defaults (RDD)", BitsOf(b0, 2, 1));
        t.Bit("Exact", BitsOf(b0, 1, 1));
        t.Bit("Random Access (RA)", b0 & 1);
        static constexpr const char* kFields[] = {"Start LBA", "End LBA", "Read Size", "Read Time", "Write Size", "Write Time"};
        for (size_t i = 0; i < 6; ++i) {
            if (i % 2 == 0) t.Spacer();
            t.Dword(kFields[i], Be32(r, 4 + 4 * i), t.Dec(Be32(r, 4 + 4 * i)));
        }
        t.End();
        return 1;
    }
    if (cdb[8] == 0x05 && r.size() > 7) {
        const uint32_t length = Be32(r, 0);
        t.Title("DBI Cache Zone Header");
        t.Begin();
        t.Dword("DBI Cache Zone Data Length", length, t.Dec(length, "bytes"));
        t.End();
        if (length > 3) {
            const ByteReader list = r.sub(8, length - 4);
            for (uint32_t i = 0; i < kMaxDbiDescriptors && list.has(i * 8u, 8) && !ctx.full(); ++i) {
                t.Title("DBI Cache Zone Descriptor");
                t.Begin();
                t.Dword("Start LBA of DBI Cache Zone", Be32(list, i * 8u), t.Dec(Be32(list, i * 8u)));
                t.End();
            }
        }
        return 1;
    }
    return 0;
}

} // namespace brx
