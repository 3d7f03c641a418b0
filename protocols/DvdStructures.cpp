#include "protocols/DvdStructures.h"

#include <algorithm>
#include <string>

#include "protocols/ScsiDataTable.h"
#include "protocols/ScsiNames.h"

namespace brx {
namespace {

constexpr uint8_t kSendKey = 0xA3, kReportKey = 0xA4, kReadDvdStructure = 0xAD;
constexpr uint32_t kAllDcbs = 0xFFFFFFFF;

ByteReader Data(const DECODE_CONTEXT& ctx) { return ByteReader(ctx.bytes.data(), ctx.bytes.size()); }

void LayerDescriptor(ScsiDataTable& t, const ByteReader& d) {
    if (d.size() <= 3) return;
    const uint32_t b0 = Be8(d, 0), b1 = Be8(d, 1), b2 = Be8(d, 2), b3 = Be8(d, 3);
    const uint32_t layers = BitsOf(b2, 5, 2), size = b1 >> 4;
    t.Title("Layer Descriptor");
    t.Begin();
    t.Nibble("Book Type", b0 >> 4, BookTypeName(b0 >> 4));
    t.Nibble("Part Version", b0 & 0xF);
    t.Nibble("Disc Size", size, size == 0 ? "120 mm" : size == 1 ? "80 mm" : nullptr);
    t.Nibble("Maximum Rate", b1 & 0xF, MaximumRateName(b1 & 0xF));
    t.Spacer();
    t.Bits("Number of Layers", layers, 2, layers == 0 ? "One Layer" : layers == 1 ? "Two Layers" : nullptr);
    const char* path = nullptr;
    if (layers != 0) path = BitsOf(b2, 4, 1) ? "Opposite Track Path (OTP)" : "Parallel Track Path (PTP)";
    t.Bit("Track Path", BitsOf(b2, 4, 1), path);
    t.Nibble("Layer Type", b2 & 0xF, LayerTypeName(b2 & 0xF));
    t.Spacer();
    t.Nibble("Linear Density", b3 >> 4, LinearDensityName(b3 >> 4));
    t.Nibble("Track Density", b3 & 0xF, TrackDensityName(b3 & 0xF));
    if (d.size() > 15) {
        t.Spacer();
        t.TriByte("Starting Physical Sector Number of Data Area", Be24(d, 5));
        t.TriByte("End Physical Sector Number of Data Area", Be24(d, 9));
        t.TriByte("End Physical Sector Number in Layer 0", Be24(d, 13));
    }
    if (d.size() > 16) {
        t.Spacer();
        t.Bit("Burst Cutting Area (BCA)", BitsOf(Be8(d, 16), 7, 1));
        if (d.size() > 17) {
            t.Spacer();
            t.Hex("Media Specific", Span(d.from(17)));
        }
    }
    t.End();
}

void DiscControlBlock(ScsiDataTable& t, const ByteReader& d) {
    if (d.size() <= 43 || Be32(d, 0) != kAllDcbs) return;
    std::string vendor;
    for (size_t i = 8; i < 40; ++i) {
        const uint8_t c = Be8(d, i);
        vendor.push_back(c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '.');
    }
    vendor = "\"" + vendor + "\"";
    const uint32_t readable = Be8(d, 41), recordable = Be8(d, 43);
    t.Title("Disc Control Block");
    t.Begin();
    t.Dword("Content Descriptor", Be32(d, 0), "List readable/writable DCBs");
    t.Hex("Vendor ID", Span(d.sub(8, 32)), vendor.c_str());
    t.Byte("Number of Readable DCBs", readable, t.Dec(readable));
    t.Byte("Number of Recordable DCBs", recordable, t.Dec(recordable));
    size_t at = 44;
    const size_t readableRows = std::min<size_t>(readable, (d.size() - at) / 4);
    for (size_t i = 0; i < readableRows; ++i, at += 4) {
        t.Dword(t.Format("Readable DCB %u", static_cast<uint32_t>(i)), Be32(d, at), DcbContentDescriptorName(Be32(d, at)));
    }
    const size_t recordableRows = std::min<size_t>(recordable, (d.size() - at) / 4);
    for (size_t i = 0; i < recordableRows; ++i, at += 4) {
        t.Dword(t.Format("Recordable DCB %u", static_cast<uint32_t>(i)), Be32(d, at), DcbContentDescriptorName(Be32(d, at)));
    }
    t.End();
}

} // namespace

int DecodeReadDvdStructureData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kReadDvdStructure);
    const ByteReader r = Data(ctx);
    if (!cdb || r.size() <= 3) return 0;
    const uint32_t format = cdb[7];
    if (format != 0x00 && format != 0x01 && format != 0x30 && format != 0xC0) return 0;
    const uint32_t length = Be16(r, 0);
    ScsiDataTable t(ctx);
    t.Title("Read DVD Structure Data Header");
    t.Begin();
    t.Word("Data Length", length, t.Dec(length, "bytes"));
    t.End();
    if (length <= 1) return 1;
    const ByteReader d = r.sub(4, length - 2);
    switch (format) {
    case 0x00: LayerDescriptor(t, d); break;
    case 0x01:
        if (d.size() >= 2) {
            t.Title("DVD Copyright Information");
            t.Begin();
            t.Byte("Copyright Protection System Type", Be8(d, 0), CopyProtectionSystemName(Be8(d, 0)));
            t.Bits("Region Management Information", Be8(d, 1), 8);
            t.End();
        }
        break;
    case 0x30: DiscControlBlock(t, d); break;
    case 0xC0:
        if (d.size() >= 1) {
            const uint32_t b0 = Be8(d, 0);
            t.Title("Write Protection Status");
            t.Begin();
            t.Bit("Media Specific Write Inhibition (MSWI)", BitsOf(b0, 3, 1));
            t.Bit("Cartridge Write Protection (CWP)", BitsOf(b0, 2, 1));
            t.Bit("Persistent Write Protection (PWP)", BitsOf(b0, 1, 1));
            t.Bit("Software Write Protection until Power down (SWPP)", BitsOf(b0, 0, 1));
            t.End();
        }
        break;
    default: break;
    }
    return 1;
}

int DecodeReportKeyData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kReportKey);
    const ByteReader r = Data(ctx);
    if (!cdb || r.size() < 4) return 0;
    const uint32_t format = cdb[10] & 0x3F;
    const char* title = nullptr;
    size_t needs = 0;
    switch (format) {
    case 0x00: title = "Authentication Grant ID for CSS/CPRM"; needs = 8; break;
    case 0x01: title = "Challenge Key"; needs = 16; break;
    case 0x02: title = "Key1"; needs = 12; break;
    case 0x04: title = "Copyright Management/Title Key"; needs = 12; break;
    case 0x05: title = "Authentication Success Flag"; needs = 8; break;
    case 0x08: title = "RPC State"; needs = 8; break;
    case 0x11: title = "Authentication Grant ID for CPRM"; needs = 8; break;
    default: return 0;
    }
    ScsiDataTable t(ctx);
    t.Title("Report Key Parameter List");
    t.Begin();
    t.Word("Data Length", Be16(r, 0), t.Dec(Be16(r, 0), "bytes"));
    t.End();
    // "more than 7/11/15 bytes": the structure at byte 4 needs `needs` bytes in all.
    if (r.size() < needs) return 1;
    const ByteReader k = r.from(4);
    const uint32_t b0 = Be8(k, 0);
    t.Title(title);
    t.Begin();
    switch (format) {
    case 0x00:
    case 0x11: t.Bits("Authentication Grant ID (AGID)", BitsOf(Be8(k, 3), 6, 2), 2); break;
    case 0x01: t.Hex("Challenge Key Value", Span(k.sub(0, 10))); break;
    case 0x02: t.Hex("Key1 Value", Span(k.sub(0, 5))); break;
    case 0x04:
        t.Bit("Copyrighted Material (CPM)", BitsOf(b0, 7, 1));
        t.Bit("CP_SEC", BitsOf(b0, 6, 1));
        t.Bits("Copy Guard Management System (CGMS)", BitsOf(b0, 4, 2), 2);
        t.Nibble("Copyright Protection Mode (CP_MOD)", b0 & 0xF);
        t.Hex("Title Key Value", Span(k.sub(1, 5)));
        break;
    case 0x05: t.Bit("Authentication Success Flag (ASF)", Be8(k, 3) & 1); break;
    case 0x08:
        t.Bits("Type Code", BitsOf(b0, 6, 2), 2, RpcTypeCodeName(BitsOf(b0, 6, 2)));
        t.Bits("# of Vendor Resets Available", BitsOf(b0, 3, 3), 3, t.Number(BitsOf(b0, 3, 3)));
        t.Bits("# of User Controlled Changes Available", BitsOf(b0, 0, 3), 3, t.Number(BitsOf(b0, 0, 3)));
        t.Byte("Region Mask", Be8(k, 1));
        t.Byte("RPC Scheme", Be8(k, 2), RpcSchemeName(Be8(k, 2)));
        break;
    default: break;
    }
    t.End();
    return 1;
}

int DecodeSendKeyData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, kSendKey);
    const ByteReader r = Data(ctx);
    if (ctx.bulk.deviceKind != 3 || !cdb || r.size() < 4) return 0;
    const uint32_t format = cdb[10] & 0x3F;
    if (format != 0x01 && format != 0x03 && format != 0x06) return 0;
    ScsiDataTable t(ctx);
    t.Title("Send Key Parameter List");
    t.Begin();
    t.Word("Parameter List Length", Be16(r, 0), t.Dec(Be16(r, 0), "bytes"));
    t.End();
    const ByteReader k = r.from(4);
    if (format == 0x01 && r.size() > 15) {
        t.Title("Challenge Key");
        t.Begin();
        t.Hex("Challenge Key Value", Span(k.sub(0, 10)));
        t.End();
    } else if (format == 0x03 && r.size() > 11) {
        t.Title("Key2");
        t.Begin();
        t.Hex("Key2 Value", Span(k.sub(0, 5)));
        t.End();
    } else if (format == 0x06 && r.size() > 7) {
        t.Title("RPC Structure");
        t.Begin();
        t.Byte("Preferred Logical Unit Region Code", Be8(k, 0));
        t.End();
    }
    return 1;
}

} // namespace brx
