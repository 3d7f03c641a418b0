#include "protocols/ScsiSpcData.h"

#include <algorithm>
#include <cinttypes>
#include <string>

#include "decode/SetupRows.h"
#include "protocols/ScsiData.h"
#include "protocols/ScsiNames.h"
#include "protocols/ScsiTables.h"

namespace brx {
namespace {

constexpr size_t kMaxText = 256;  // identification strings are shown up to this many bytes

uint32_t Bit(uint8_t byte, int bit) { return (byte >> bit) & 1u; }

// A text taken from the data: at most kMaxText bytes, up to the first NUL.
std::string CapturedText(std::span<const uint8_t> bytes) {
    const size_t n = std::min(bytes.size(), kMaxText);
    std::string s;
    for (size_t i = 0; i < n && bytes[i] != 0; ++i) s.push_back(static_cast<char>(bytes[i]));
    return s;
}

std::string TrimTrailing(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

void QualifierAndType(DECODE_CONTEXT& ctx, uint8_t byte0) {
    WriteScsiBits3Row(ctx, "Peripheral Qualifier", byte0 >> 5, PeripheralQualifierName(byte0 >> 5));
    WriteScsiByteRow(ctx, "Peripheral Device Type", byte0 & 0x1F, PeripheralDeviceTypeName(byte0 & 0x1F));
}

// The four rows that open a VPD page with a one-byte page length.
void VpdHeader(DECODE_CONTEXT& ctx, const uint8_t* d) {
    QualifierAndType(ctx, d[0]);
    WriteScsiByteRow(ctx, "Page Code", d[1], VpdPageName(d[1]));
    WriteScsiByteRow(ctx, "Page Length", d[3], nullptr);
}

void Begin(DECODE_CONTEXT& ctx, const char* title) {
    WriteSectionTitle(ctx, title);
    BeginScsiTable(ctx);
}

} // namespace

int RenderSenseData(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 13) return 0;
    const uint8_t response = d[0] & 0x7F;
    if (response != 0x70 && response != 0x71) return 0;
    Begin(ctx, "Sense Data");
    WriteScsiByteRow(ctx, "Response Code", response, SenseResponseCodeName(response));
    WriteScsiSpacerRow(ctx);
    WriteScsiBitRow(ctx, "File Mark", Bit(d[2], 7), nullptr);
    WriteScsiBitRow(ctx, "End of Medium (EOM)", Bit(d[2], 6), nullptr);
    WriteScsiBitRow(ctx, "Incorrect Length Indicator (ILI)", Bit(d[2], 5), nullptr);
    WriteScsiNibbleRow(ctx, "Sense Key", d[2] & 0x0F, ScsiSenseKeyName(d[2] & 0x0F));
    WriteScsiSpacerRow(ctx);
    WriteScsiBitRow(ctx, "Information Field Valid (Valid)", Bit(d[0], 7), nullptr);
    WriteScsiDwordRow(ctx, "Information", ReadBigEndian32(&d[3]), nullptr);
    WriteScsiSpacerRow(ctx);
    WriteScsiByteRow(ctx, "Additional Sense Length", d[7], ByteCountText(d[7]));
    WriteScsiDwordRow(ctx, "Command-Specific Information", ReadBigEndian32(&d[8]), nullptr);
    WriteScsiSpacerRow(ctx);
    WriteScsiBytePairRow(ctx, "ASC and ASCQ", d[12], d[13], ScsiAscAscqName(d[12], d[13]));
    if (d.size() > 17) {
        WriteScsiSpacerRow(ctx);
        WriteScsiByteRow(ctx, "Field Replaceable Unit Code", d[14], nullptr);
        WriteScsiSpacerRow(ctx);
        WriteScsiBitRow(ctx, "Sense-Key Specific Valid (SKSV)", Bit(d[15], 7), nullptr);
        WriteScsiTriByteRow(ctx, "Sense-Key Specific Information", ReadBigEndian24(&d[15]) & 0x7FFFFFu, nullptr);
    }
    EndScsiTable(ctx);
    return 1;
}

int DecodeInquiryData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, 0x12);
    if (cdb == nullptr || (cdb[1] & 1) == 0) return RenderStandardInquiryData(ctx);
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 4) return 0;
    switch (cdb[2]) {
    case 0x00: return d[1] == 0x00 ? RenderSupportedVpdPages(ctx) : 0;
    case 0x80: return d[1] == 0x80 ? RenderUnitSerialNumber(ctx) : 0;
    case 0x83: return d[1] == 0x83 ? RenderDeviceIdentification(ctx) : 0;
    default: return 0;
    }
}

int RenderStandardInquiryData(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 4) return 0;
    Begin(ctx, "Standard Inquiry Data");
    QualifierAndType(ctx, d[0]);
    WriteScsiBitRow(ctx, "Removable Medium (RMB)", Bit(d[1], 7), Bit(d[1], 7) ? "Removable" : "Not removable");
    WriteScsiByteRow(ctx, "Version", d[2], VersionName(d[2]));
    if (d.size() < 36) {
        EndScsiTable(ctx);
        return 0;
    }
    WriteScsiQuotedRow(ctx, "Vendor Identification", TrimTrailing(CapturedText(d.subspan(8, 8))), nullptr);
    WriteScsiQuotedRow(ctx, "Product Identification", TrimTrailing(CapturedText(d.subspan(16, 16))), nullptr);
    WriteScsiQuotedRow(ctx, "Product Revision Level", TrimTrailing(CapturedText(d.subspan(32, 4))), nullptr);
    EndScsiTable(ctx);
    return 1;
}

int RenderSupportedVpdPages(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 4 || d[1] != 0x00) return 0;
    Begin(ctx, "Supported VPD Pages");
    VpdHeader(ctx, d.data());
    WriteScsiSpacerRow(ctx);
    const size_t count = std::min({static_cast<size_t>(d[3]), d.size() - 4, size_t{32}});
    for (size_t i = 0; i < count; ++i) WriteScsiByteRow(ctx, "Supported Page", d[4 + i], VpdPageName(d[4 + i]));
    EndScsiTable(ctx);
    return 1;
}

int RenderUnitSerialNumber(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 4 || d[1] != 0x80) return 0;
    Begin(ctx, "Unit Serial Number");
    VpdHeader(ctx, d.data());
    const size_t length = std::min(static_cast<size_t>(d[3]), d.size() - 4);
    if (length != 0) {
        std::span<const uint8_t> serial = d.subspan(4, length);
        while (!serial.empty() && serial.front() == ' ') serial = serial.subspan(1);
        WriteScsiQuotedRow(ctx, "Product Serial Number", CapturedText(serial), nullptr);
    }
    EndScsiTable(ctx);
    return 1;
}

namespace {

bool Printable(std::span<const uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b >= 0x20 && b <= 0x7E; });
}

void IdentificationDescriptor(DECODE_CONTEXT& ctx, std::span<const uint8_t> d) {
    Begin(ctx, "Identification Descriptor");
    const uint32_t piv = Bit(d[1], 7);
    WriteScsiBitRow(ctx, "Protocol Identifier Valid (PIV)", piv, nullptr);
    WriteScsiNibbleRow(ctx, "Protocol Identifier", d[0] >> 4, piv ? ProtocolIdentifierName(d[0] >> 4) : nullptr);
    WriteScsiNibbleRow(ctx, "Identifier Type", d[1] & 0x0F, IdentifierTypeName(d[1] & 0x0F));
    WriteScsiNibbleRow(ctx, "Code Set", d[0] & 0x0F, CodeSetName(d[0] & 0x0F));
    WriteScsiBits2Row(ctx, "Association", (d[1] >> 4) & 3, AssociationName((d[1] >> 4) & 3));
    WriteScsiByteRow(ctx, "Identifier Length", d[3], ByteCountText(d[3]));
    const std::span<const uint8_t> id = d.subspan(4);
    if ((d[1] & 0x0F) == 1 && id.size() >= 8) {
        std::span<const uint8_t> vendor = id.first(8);
        const auto space = std::find(vendor.begin(), vendor.end(), uint8_t{' '});
        vendor = vendor.first(static_cast<size_t>(space - vendor.begin()));
        WriteScsiQuotedRow(ctx, "T10 Vendor Identification", CapturedText(vendor), nullptr);
        if (id.size() > 8) {
            const std::span<const uint8_t> rest = id.subspan(8, std::min(id.size() - 8, kMaxText));
            if (Printable(rest)) WriteScsiQuotedRow(ctx, "Vendor Specific Identifier", CapturedText(rest), nullptr);
            else WriteScsiHexRow(ctx, "Vendor Specific Identifier", rest, nullptr);
        }
    }
    EndScsiTable(ctx);
}

} // namespace

int RenderDeviceIdentification(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 4 || d[1] != 0x83) return 0;
    Begin(ctx, "Device Identification VPD Page");
    QualifierAndType(ctx, d[0]);
    WriteScsiByteRow(ctx, "Page Code", d[1], VpdPageName(d[1]));
    const uint16_t pageLength = ReadBigEndian16(&d[2]);
    WriteScsiWordRow(ctx, "Page Length", pageLength, ByteCountText(pageLength));
    EndScsiTable(ctx);
    const size_t area = std::min({static_cast<size_t>(pageLength), d.size() - 4, size_t{1024}});
    std::span<const uint8_t> left = d.subspan(4, area);
    while (left.size() >= 4 && !ctx.full()) {
        const size_t length = size_t{left[3]} + 4;
        if (length > left.size()) break;
        IdentificationDescriptor(ctx, left.first(length));
        left = left.subspan(length);
    }
    return 1;
}

int RenderReadCapacity10Data(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 7) return 0;
    Begin(ctx, "Read Capacity(10) Data");
    const uint32_t lba = ReadBigEndian32(&d[0]);
    WriteScsiDwordRow(ctx, "Logical Block Address", lba, AddressText(lba, 32));
    const uint32_t blockLength = ReadBigEndian32(&d[4]);
    WriteScsiDwordRow(ctx, "Block Length", blockLength, ByteCountText(blockLength));
    EndScsiTable(ctx);
    return 1;
}

int RenderReadCapacity16Data(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 31) return 0;
    Begin(ctx, "Read Capacity(16) Data");
    const uint64_t lba = ReadBigEndian64(&d[0]);
    WriteScsiQwordRow(ctx, "Returned Logical Block Address", lba, AddressText(lba, 64));
    const uint32_t blockLength = ReadBigEndian32(&d[8]);
    WriteScsiDwordRow(ctx, "Logical Block Length in Bytes", blockLength, ByteCountText(blockLength));
    WriteScsiBits3Row(ctx, "Protection Type (P_TYPE)", (d[12] >> 1) & 7, nullptr);
    WriteScsiBitRow(ctx, "Protection Enable (PROT_EN)", Bit(d[12], 0), nullptr);
    WriteScsiNibbleRow(ctx, "Protection Information Exponent (P_I_Exponent)", d[13] >> 4, nullptr);
    WriteScsiNibbleRow(ctx, "Logical Blocks per Physical Block Exponent", d[13] & 0x0F, nullptr);
    WriteScsiBitRow(ctx, "Thin Provisioning Enabled (TPE)", Bit(d[14], 7), nullptr);
    WriteScsiBitRow(ctx, "Thin Provisioning Read Zeros (TPRZ)", Bit(d[14], 6), nullptr);
    const uint16_t aligned = static_cast<uint16_t>(((d[14] & 0x3F) << 8) | d[15]);
    WriteScsiWordRow(ctx, "Lowest Aligned Logical Block Address", aligned, DecimalText(aligned));
    EndScsiTable(ctx);
    return 1;
}

int DecodeServiceActionInData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, 0x9E);
    if (cdb == nullptr) return 0;
    if ((cdb[1] & 0x1F) != 0x10) return 1;
    return RenderReadCapacity16Data(ctx);
}

int DecodeFormatCapacitiesData(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 3) return 0;
    Begin(ctx, "Capacity List Header");
    WriteScsiByteRow(ctx, "Capacity List Length", d[3], nullptr);
    EndScsiTable(ctx);
    std::span<const uint8_t> list = d.subspan(4, std::min(d.size() - 4, static_cast<size_t>(d[3])));
    if (list.size() < 8) return 0;
    Begin(ctx, "Current/Maximum Capacity Descriptor");
    uint32_t blocks = ReadBigEndian32(&list[0]);
    WriteScsiDwordRow(ctx, "Number of Blocks", blocks, DecimalText(blocks));
    WriteScsiBits2Row(ctx, "Descriptor Type", list[4] & 3, CapacityDescriptorTypeName(list[4] & 3));
    const uint32_t blockLength = ReadBigEndian24(&list[5]);
    WriteScsiTriByteRow(ctx, "Block Length", blockLength, ByteCountText(blockLength));
    EndScsiTable(ctx);
    list = list.subspan(8);
    for (int i = 0; i < 32 && list.size() >= 8 && !ctx.full(); ++i, list = list.subspan(8)) {
        Begin(ctx, "Formattable Capacity Descriptor");
        blocks = ReadBigEndian32(&list[0]);
        WriteScsiDwordRow(ctx, "Number of Blocks", blocks, DecimalText(blocks));
        WriteScsiByteRow(ctx, "Format Type", list[4] >> 2, nullptr);
        const uint32_t parameter = ReadBigEndian24(&list[5]);
        WriteScsiTriByteRow(ctx, "Type Dependent Parameter", parameter, DecimalText(parameter));
        EndScsiTable(ctx);
    }
    return 1;
}

int RenderReportLunsData(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() <= 7) return 0;
    Begin(ctx, "Report LUNs Data");
    const uint32_t listLength = ReadBigEndian32(&d[0]);
    WriteScsiDwordRow(ctx, "LUN List Length", listLength, nullptr);
    const size_t entries = std::min<size_t>(std::min<uint64_t>(listLength, d.size() - 8) / 8, 128);
    for (size_t i = 0; i < entries; ++i) {
        const uint64_t lun = ReadBigEndian64(&d[8 + 8 * i]);
        ScsiText name, text;
        name.Format("LUN #%u", static_cast<unsigned>(i));
        text.Format("%" PRIu64, lun);
        WriteScsiQwordRow(ctx, name, lun, text);
    }
    EndScsiTable(ctx);
    return 1;
}

int RenderSupportedSecurityProtocols(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 8) return 0;
    Begin(ctx, "Supported Security Protocols");
    const uint16_t listLength = ReadBigEndian16(&d[6]);
    WriteScsiWordRow(ctx, "Supported Security Protocol List Length", listLength, nullptr);
    if (listLength != 0) {
        const size_t limit = std::min<size_t>(listLength, 32);
        for (size_t i = 0; 8 + i < d.size() && i < limit; ++i) {
            if (i != 0 && d[8 + i] == 0) break;
            WriteScsiByteRow(ctx, "Supported Security Protocol", d[8 + i], SecurityProtocolName(d[8 + i]));
        }
    }
    EndScsiTable(ctx);
    return 1;
}

int DecodeSecurityProtocolInData(DECODE_CONTEXT& ctx) {
    const uint8_t* cdb = PendingCdb(ctx, 0xA2);
    if (cdb == nullptr || cdb[1] != 0 || ReadBigEndian16(cdb + 2) != 0) return 0;
    return RenderSupportedSecurityProtocols(ctx);
}

namespace {

const char* NumberOfBlocksText(uint8_t type) {
    switch (type) {
    case 0x00:
    case 0x01: return "The number of addressable blocks for the entire disc";
    case 0x10:
    case 0x15: return "The number of addressable blocks for the new session";
    case 0x11:
        return "The number of addressable blocks to be enlarged (for CD-RW) or to be added to current session "
               "capacity (for DVD-RW)";
    case 0x13: return "The number of addressable blocks to be added to current session capacity";
    case 0x20: return "The maximum number of addressable blocks for the whole disc";
    case 0x31: return "The total number of user accessible blocks on all layers of the disc";
    case 0x32: return "The minimum number of LBAs that shall be formatted on the disc";
    default: return nullptr;
    }
}

const char* SubtypeText(uint8_t type, uint32_t subtype) {
    static const char* const kSrm[] = {"SRM+POW", "SRM-POW", "RRM", nullptr};
    static const char* const kCertification[] = {"Quick Reformat", "No Certification", "Full Certification",
                                                 "Quick Certification"};
    if (type == 0x00 || type == 0x32) return kSrm[subtype & 3];
    if (type == 0x30 || type == 0x31) return kCertification[subtype & 3];
    return nullptr;
}

void FormatCode1Descriptor(DECODE_CONTEXT& ctx, std::span<const uint8_t> f) {
    Begin(ctx, "Format Code 001b Format Descriptor");
    const uint8_t type = f[4] >> 2;
    WriteScsiDwordRow(ctx, "Number of Blocks", ReadBigEndian32(&f[0]), NumberOfBlocksText(type));
    WriteScsiByteRow(ctx, "Format Type", type, FormatTypeName(type));
    WriteScsiBits2Row(ctx, "Format Sub-type", f[4] & 3, SubtypeText(type, f[4] & 3));
    switch (type) {
    case 0x00: case 0x01: case 0x31:
        WriteScsiTriByteRow(ctx, "Type Dependent Parameter", ReadBigEndian24(&f[5]), "Block Length (0800h)");
        break;
    case 0x10: case 0x11:
        WriteScsiTriByteRow(ctx, "Type Dependent Parameter", ReadBigEndian24(&f[5]),
                            "CD Fixed Packet Size/ECC block size (16)");
        break;
    case 0x13: case 0x15:
        WriteScsiTriByteRow(ctx, "Type Dependent Parameter", ReadBigEndian24(&f[5]), "ECC block size (16)");
        break;
    case 0x20: case 0x32:
        WriteScsiHexRow(ctx, "Type Dependent Parameter", f.subspan(5, 3), "Sparing Parameters");
        break;
    case 0x26:
        WriteScsiHexRow(ctx, "Type Dependent Parameter", f.subspan(5, 3), "New/Restart Format");
        break;
    default: break;
    }
    EndScsiTable(ctx);
}

void CdRwFormatDescriptor(DECODE_CONTEXT& ctx, std::span<const uint8_t> f) {
    Begin(ctx, "CD-RW Format Descriptor");
    WriteScsiBitRow(ctx, "Session (SESS)", Bit(f[0], 7), nullptr);
    WriteScsiBitRow(ctx, "Grow", Bit(f[0], 6), nullptr);
    WriteScsiDwordRow(ctx, "Format Size", ReadBigEndian32(&f[4]), nullptr);
    EndScsiTable(ctx);
}

} // namespace

int DecodeFormatUnitData(DECODE_CONTEXT& ctx) {
    const std::span<const uint8_t> d = ctx.bytes;
    if (d.size() < 4) return 0;
    Begin(ctx, "Format List Header");
    static const char* const kBits[] = {"Format Options Valid (FOV)", "Disable Primary (DPRY)",
                                        "Disable Certification (DCRT)", "Stop Format (STPF)",
                                        "Initialization Pattern (IP)", "Try-out", "Immediate (Immed)",
                                        "Vendor Specific (VS)"};
    for (int i = 0; i < 8; ++i) WriteScsiBitRow(ctx, kBits[i], Bit(d[1], 7 - i), nullptr);
    WriteScsiWordRow(ctx, "Format Descriptor Length", ReadBigEndian16(&d[2]), nullptr);
    EndScsiTable(ctx);
    size_t at = 4;
    if (Bit(d[1], 3)) {  // an initialization pattern descriptor comes first
        if (d.size() - at < 4) return 1;
        const size_t length = 4 + size_t{ReadBigEndian16(&d[at + 2])};
        if (length > d.size() - at) return 1;
        at += length;
    }
    const uint8_t* cdb = PendingCdb(ctx, 0x04);
    if (cdb == nullptr || d.size() - at <= 7) return 1;
    const std::span<const uint8_t> descriptor = d.subspan(at);
    switch (cdb[1] & 7) {
    case 1: FormatCode1Descriptor(ctx, descriptor); break;
    case 7: CdRwFormatDescriptor(ctx, descriptor); break;
    default: break;
    }
    return 1;
}

} // namespace brx
