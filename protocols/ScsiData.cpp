#include "protocols/ScsiData.h"

#include <array>
#include <iterator>

#include "protocols/DvdStructures.h"
#include "protocols/MmcData.h"
#include "protocols/ModePages.h"
#include "protocols/ScsiSpcData.h"

namespace brx {
namespace {

constexpr uint8_t kKindMmc = 3;

struct ScsiDataRow {
    uint8_t code;
    ScsiDataDecoder decoder;  // null: not decoded yet (falls back like an unknown code)
    bool mmcOnly;             // decoded only for optical drives
};

// One row per operation code whose data stage has a decoder.
constexpr ScsiDataRow kScsiDataDecoders[] = {
    {0x00, DecodeNoScsiData, false},                 // TEST UNIT READY
    {0x03, RenderSenseData, false},                  // REQUEST SENSE
    {0x04, DecodeFormatUnitData, false},             // FORMAT UNIT
    {0x08, DecodeNoScsiData, false},                 // READ(6)
    {0x0A, DecodeNoScsiData, false},                 // WRITE(6)
    {0x12, DecodeInquiryData, false},                // INQUIRY
    {0x15, DecodeModeParameters6, false},             // MODE SELECT(6)
    {0x1A, DecodeModeParameters6, false},             // MODE SENSE(6)
    {0x23, DecodeFormatCapacitiesData, false},       // READ FORMAT CAPACITIES
    {0x25, RenderReadCapacity10Data, false},         // READ CAPACITY(10)
    {0x43, DecodeReadTocData, false},                 // READ TOC/PMA/ATIP
    {0x46, DecodeConfigurationData, false},           // GET CONFIGURATION
    {0x4A, DecodeEventStatusData, false},             // GET EVENT STATUS NOTIFICATION
    {0x51, DecodeDiscInformationData, false},         // READ DISC INFORMATION
    {0x52, DecodeTrackInformationData, false},        // READ TRACK INFORMATION
    {0x55, DecodeModeParameters10, false},            // MODE SELECT(10)
    {0x5A, DecodeModeParameters10, false},            // MODE SENSE(10)
    {0x5C, DecodeBufferCapacityData, false},          // READ BUFFER CAPACITY
    {0x88, DecodeNoScsiData, false},                 // READ(16)
    {0x8A, DecodeNoScsiData, false},                 // WRITE(16)
    {0x9E, DecodeServiceActionInData, false},        // SERVICE ACTION IN(16)
    {0xA0, RenderReportLunsData, false},             // REPORT LUNS
    {0xA2, DecodeSecurityProtocolInData, false},     // SECURITY PROTOCOL IN
    {0xA3, DecodeSendKeyData, true},                  // SEND KEY
    {0xA4, DecodeReportKeyData, false},               // REPORT KEY
    {0xA8, DecodeNoScsiData, false},                 // READ(12)
    {0xAA, DecodeNoScsiData, false},                 // WRITE(12)
    {0xAC, DecodeGetPerformanceData, false},          // GET PERFORMANCE
    {0xAD, DecodeReadDvdStructureData, false},        // READ DVD STRUCTURE
    {0xB6, DecodeSetStreamingData, false},            // SET STREAMING
    {0xBD, DecodeMechanismStatusData, false},         // MECHANISM STATUS
};

// The rows spread over all 256 codes, built once at compile time.
constexpr std::array<const ScsiDataRow*, 256> BuildIndex() {
    std::array<const ScsiDataRow*, 256> index{};
    for (const ScsiDataRow& row : kScsiDataDecoders) index[row.code] = &row;
    return index;
}
constexpr std::array<const ScsiDataRow*, 256> kScsiDataIndex = BuildIndex();

constexpr bool UniqueCodes() {
    for (size_t i = 0; i < std::size(kScsiDataDecoders); ++i)
        for (size_t j = i + 1; j < std::size(kScsiDataDecoders); ++j)
            if (kScsiDataDecoders[i].code == kScsiDataDecoders[j].code) return false;
    return true;
}
static_assert(UniqueCodes());

} // namespace

int DecodeNoScsiData(DECODE_CONTEXT&) { return 1; }

const uint8_t* PendingCdb(const DECODE_CONTEXT& ctx, uint8_t op) {
    return ctx.bulk.cdbKnown && ctx.bulk.cdb[0] == op ? ctx.bulk.cdb.data() : nullptr;
}

ScsiDataDecoder FindScsiDataDecoder(uint8_t opCode, uint8_t deviceKind) {
    const ScsiDataRow* row = kScsiDataIndex[opCode];
    if (row == nullptr || (row->mmcOnly && deviceKind != kKindMmc)) return nullptr;
    return row->decoder;
}

int DecodeScsiData(DECODE_CONTEXT& ctx) {
    const ScsiDataDecoder decoder = FindScsiDataDecoder(ctx.bulk.opCode, ctx.bulk.deviceKind);
    if (decoder != nullptr && !ctx.full() && decoder(ctx) != 0) return 1;
    OnScsiDataNotDecoded(ctx);
    return 0;
}

void OnScsiDataNotDecoded(DECODE_CONTEXT&) {}

} // namespace brx
