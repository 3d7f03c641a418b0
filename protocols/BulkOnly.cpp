#include "protocols/BulkOnly.h"

#include <algorithm>

#include "base/ByteReader.h"
#include "decode/HtmlWriters.h"
#include "decode/RecordDataBytes.h"
#include "decode/SetupRows.h"
#include "protocols/MscDetails.h"
#include "protocols/ScsiCdb.h"
#include "protocols/ScsiData.h"
#include "protocols/ScsiTables.h"

namespace brx {
namespace {

// The wrappers' layouts (little-endian fields).
constexpr size_t kCbwLength = 31;
constexpr size_t kCswLength = 13;
constexpr size_t kCbwSignature = 0, kCbwTag = 4, kCbwDataTransferLength = 8, kCbwFlags = 12, kCbwLun = 13,
                 kCbwCdbLength = 14, kCbwCdb = 15;
constexpr size_t kCswSignature = 0, kCswTag = 4, kCswDataResidue = 8, kCswStatus = 12;
constexpr uint32_t kCbwSignatureValue = 0x43425355u;  // "USBC"
constexpr uint32_t kCswSignatureValue = 0x53425355u;  // "USBS"

constexpr uint8_t kClassMassStorage = 0x08;
constexpr uint8_t kProtocolBulkOnly = 0x50;

const char* DirectionText(uint8_t flags, uint32_t length) {
    if ((flags & 0x80) == 0) return "Data-Out from host to device";
    return length != 0 ? "Data-In from device to host" : "Direction ignored since dCBWDataTransferLength is zero";
}

void CheckedBitRow(DECODE_CONTEXT& ctx, const char* name, uint32_t mask, uint8_t value) {
    if ((value & mask) != 0) WriteErrorBitFieldRow(ctx, name, 1, mask, value, "Should be zero");
    else WriteBitFieldRow(ctx, name, 1, mask, value, nullptr);
}

} // namespace

void SetBulkTransferContext(DECODE_CONTEXT& ctx, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                            const INTERFACE_INFO& interfaceInfo) {
    const RECORD_DATA_BYTES data = GetRecordDataBytes(pair.record, layout);
    ctx.bytes = data.length != 0 ? std::span<const uint8_t>(data.bytes, data.length) : std::span<const uint8_t>();
    BULK_FIELDS& bulk = ctx.bulk;
    bulk.writeWrappers = true;
    bulk.interfaceInfo = interfaceInfo;
    bulk.completion = pair.record.completion;
    bulk.mscKnown = pair.record.massStorage;
    bulk.opCode = pair.record.massStorageBytes[0];
    bulk.cdbByte1 = pair.record.massStorageBytes[1];
    bulk.deviceKind = pair.record.massStorageBytes[2];
    bulk.spcVersion = pair.record.massStorageBytes[3];
    bulk.cdbKnown = pair.cdbPresent != 0;
    std::copy(pair.cdb, pair.cdb + 16, bulk.cdb.begin());
}

int DecodeBulkOnlyTransfer(DECODE_CONTEXT& ctx) {
    const INTERFACE_INFO& info = ctx.bulk.interfaceInfo;
    if (!info.known || info.interfaceClass != kClassMassStorage || !ctx.bulk.mscKnown ||
        info.interfaceProtocol != kProtocolBulkOnly) {
        return 0;
    }
    return DecodeBulkOnlyStage(ctx);
}

int DecodeBulkOnlyStage(DECODE_CONTEXT& ctx) {
    const ByteReader r(ctx.bytes.data(), ctx.bytes.size());
    if (r.empty()) return 0;
    // A transfer of a wrapper's length that does not carry the wrapper's
    // signature is a data stage like any other.
    if (!ctx.bulk.completion && r.size() == kCbwLength && r.u32le_or(kCbwSignature) == kCbwSignatureValue) {
        WriteScsiCommandHeading(ctx);
        if (ctx.bulk.writeWrappers) RenderCbw(ctx);
        DecodeScsiCdb(ctx);
        return 1;
    }
    if (ctx.bulk.completion && r.size() == kCswLength && r.u32le_or(kCswSignature) == kCswSignatureValue) {
        if (ctx.bulk.writeWrappers) RenderCsw(ctx);
        return 1;
    }
    DecodeScsiData(ctx);
    return 1;
}

bool RenderCbw(DECODE_CONTEXT& ctx) {
    const ByteReader r(ctx.bytes.data(), ctx.bytes.size());
    if (r.size() < kCbwLength) return false;
    WriteSectionTitle(ctx, "CBW");
    BeginFieldTable(ctx);
    if (ctx.detail) {
        WriteDwordRow(ctx, kCbwSignature, "dCBWSignature", 4, r.u32le_or(kCbwSignature), "\"USBC\"");
        WriteDwordRow(ctx, kCbwTag, "dCBWTag", 4, r.u32le_or(kCbwTag), nullptr);
    }
    const uint32_t length = r.u32le_or(kCbwDataTransferLength);
    ScsiText lengthText;
    if (length == 0) lengthText.Format("No data transfer");
    else lengthText.Format("%u %s of data are expected to be transferred", length, length == 1 ? "byte" : "bytes");
    WriteDwordRow(ctx, kCbwDataTransferLength, "dCBWDataTransferLength", 4, length, lengthText);
    const uint8_t flags = r.u8or(kCbwFlags);
    if (ctx.expand) {
        WriteByteRow(ctx, kCbwFlags, "bmCBWFlags", 1, flags, nullptr);
        if (ctx.detail) {
            CheckedBitRow(ctx, "Reserved", 0x3F, flags);
            CheckedBitRow(ctx, "Obsolete", 0x40, flags);
        }
        WriteBitFieldRow(ctx, "Direction", 1, 0x80, flags, DirectionText(flags, length));
    } else {
        WriteByteRow(ctx, kCbwFlags, "bmCBWFlags", 1, flags, DirectionText(flags, length));
    }
    const uint8_t lun = r.u8or(kCbwLun) & 0x0F;
    ScsiText lunText;
    lunText.Format("LUN %u", lun);
    WriteByteRow(ctx, kCbwLun, "bCBWLUN", 1, lun, lunText);
    const uint8_t cdbLength = r.u8or(kCbwCdbLength) & 0x1F;
    if (cdbLength >= 1 && cdbLength <= 16) {
        WriteByteRow(ctx, kCbwCdbLength, "bCBWCBLength", 1, cdbLength, "SCSI command descriptor block size (valid bytes)");
    } else {
        WriteErrorByteRow(ctx, kCbwCdbLength, "bCBWCBLength", 1, cdbLength, "The only legal values are 1 through 16");
    }
    WriteBytesRow(ctx, kCbwCdb, "CBWCB", ctx.bytes.subspan(kCbwCdb, 16), "SCSI command descriptor block");
    return EndFieldTable(ctx);
}

bool RenderCsw(DECODE_CONTEXT& ctx) {
    const ByteReader r(ctx.bytes.data(), ctx.bytes.size());
    if (r.size() < kCswLength) return false;
    WriteSectionTitle(ctx, "CSW");
    BeginFieldTable(ctx);
    if (ctx.detail) {
        WriteDwordRow(ctx, kCswSignature, "dCSWSignature", 4, r.u32le_or(kCswSignature), "\"USBS\"");
        WriteDwordRow(ctx, kCswTag, "dCSWTag", 4, r.u32le_or(kCswTag), nullptr);
    }
    const uint32_t residue = r.u32le_or(kCswDataResidue);
    ScsiText residueText;
    residueText.Format("%u %s", residue, residue == 1 ? "byte" : "bytes");
    WriteDwordRow(ctx, kCswDataResidue, "dCSWDataResidue", 4, residue, residueText);
    const uint8_t status = r.u8or(kCswStatus);
    WriteByteRow(ctx, kCswStatus, "bCSWStatus", 1, status, CswStatusName(status, 1));
    return EndFieldTable(ctx);
}

// --- Class requests ------------------------------------------------------------

namespace {

constexpr uint8_t kGetMaxLun = 0xFE, kReset = 0xFF;

bool IsClassInterfaceRequest(const uint8_t* setup) {
    return setup != nullptr && ((setup[0] >> 5) & 3) == 1 && (setup[0] & 3) == 1;
}

} // namespace

const char* BulkOnlyRequestName(const uint8_t* setup, int enabled) {
    if (setup == nullptr || enabled == 0) return nullptr;
    if (setup[1] == kGetMaxLun && setup[0] == 0xA1) return "Get Max LUN";
    if (setup[1] == kReset && setup[0] == 0x21) return "Bulk-Only Mass Storage Reset";
    return nullptr;
}

const char* BulkOnlyRequestDescription(const uint8_t* setup) {
    if (setup == nullptr) return nullptr;
    if (setup[1] == kGetMaxLun && setup[0] == 0xA1)
        return "Allows to determine the number of logical units supported by the device.";
    if (setup[1] == kReset && setup[0] == 0x21) return "Resets the mass storage device and its associated interface.";
    return nullptr;
}

int RenderMaxLun(DECODE_CONTEXT& ctx, uint8_t value) {
    WriteSectionTitle(ctx, "Maximum LUNs supported");
    BeginFieldTable(ctx);
    ScsiText text;
    if (value == 0) text.Format("No LUN is associated with the device");
    else text.Format("%u LUNs", value + 1u);
    WriteByteRow(ctx, 0, "Max LUN", 1, value, text);
    EndFieldTable(ctx);
    return 1;
}

int DecodeMscRequest(DECODE_CONTEXT& ctx) {
    if (ctx.request.interfaceInfo.interfaceProtocol != kProtocolBulkOnly) return 0;
    return DecodeBulkOnlyRequest(ctx);
}

int DecodeBulkOnlyRequest(DECODE_CONTEXT& ctx) {
    if (ctx.bytes.size() < 8) return 0;
    const uint8_t* setup = ctx.bytes.data();
    if (!IsClassInterfaceRequest(setup)) return 0;
    const char* name = BulkOnlyRequestName(setup, 1);
    const bool maxLun = setup[1] == kGetMaxLun && setup[0] == 0xA1;
    const bool reset = setup[1] == kReset && setup[0] == 0x21;
    if (ctx.setupAsSent) {
        WriteSectionTitle(ctx, name ? name : "Setup Packet");
        if (const char* description = BulkOnlyRequestDescription(setup)) WriteSubsectionTitle(ctx, description);
        BeginFieldTable(ctx);
        WriteSetupRequestTypeRow(ctx);
        WriteSetupRecipientRow(ctx);
        WriteSetupTypeRow(ctx);
        WriteSetupDirectionRow(ctx);
        WriteSetupRequestRow(ctx, name);
        if (maxLun || reset) {
            WriteCheckedSetupValueRow(ctx, 0, nullptr);
            WriteSetupIndexRow(ctx, "Interface");
            WriteCheckedSetupLengthRow(ctx, maxLun ? 1 : 0, nullptr);
        } else {
            WriteSetupValueRow(ctx, nullptr);
            WriteSetupIndexRow(ctx, nullptr);
            WriteSetupLengthRow(ctx, nullptr);
        }
        EndFieldTable(ctx);
    }
    if (maxLun && ctx.request.dataPresent && (setup[0] & 0x80) != 0 && !ctx.request.data.empty()) {
        RenderMaxLun(ctx, ctx.request.data[0]);
    }
    return 1;
}

} // namespace brx
