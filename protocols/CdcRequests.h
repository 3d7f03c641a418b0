// The class requests of a CDC communication interface (class 02h) on the
// data-analysis page: the setup packet with each request's meanings of
// wValue, wIndex and wLength, and the data stage in the request's direction
// (line coding, ringer bitmap, line status, dialing string, filters,
// statistics and the others).
//
// ctx.bytes is the 8-byte setup packet; the setup table is written when
// ctx.setupAsSent; data stages come from ctx.request (present, with a buffer,
// in the request's direction; data from the device with the completion) and
// are decoded whether or not the setup table is written.
#pragma once
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// False, writing nothing, unless the request is a class request to an
// interface of class 02h; true for every such request.
bool DecodeCdcRequest(DECODE_CONTEXT& ctx);
// CDC data interfaces (0Ah) have no class requests of their own: always
// false, so that the plain setup table is shown.
bool DecodeCdcDataRequest(DECODE_CONTEXT& ctx);

// Data-stage tables: a section title and a table; false (nothing written)
// when the data is too short.
bool RenderLineCoding(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderAbstractState(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderCountrySetting(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderRingerConfiguration(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderOperationMode(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderCallIndex(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
// wLength is the setup packet's: the structure's own length field and it
// both bound the call states shown.
bool RenderLineStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderDialingString(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderUnitParameter(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderProfileInformation(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
// One row per 6-byte address, described in the order the bytes travel
// (network byte order); at most kMaxMulticastRows rows, then a row "More"
// telling how many more the data holds.
constexpr uint32_t kMaxMulticastRows = 256;
bool RenderMulticastAddressList(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderPatternFilter(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderFilterStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderEthernetStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> data);
bool RenderAtmDeviceStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> data);
bool RenderVpiVciValue(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderAtmVcStatistic(DECODE_CONTEXT& ctx, uint16_t selector, std::span<const uint8_t> data);
bool RenderCdcDataBlock(DECODE_CONTEXT& ctx, std::span<const uint8_t> data, const char* title);

// Statistic names by feature selector; null beyond the tables.
const char* CdcEthernetStatisticSelectorName(uint32_t selector);
const char* CdcAtmDeviceStatisticName(uint32_t selector);
const char* CdcAtmVcStatisticName(uint32_t selector);

// The ringer configuration bit rows (Pattern Type, Volume Setting, Reserved,
// Existence) of a 32-bit ringer bitmap, with ctx.expand.
bool WriteRingerBitRows(DECODE_CONTEXT& ctx, uint32_t value);
// Bytes outside 20h-7Eh as "?": the text of captured dialing and caller-ID
// strings (escaped by the writers like every description).
void FormatPrintableText(std::span<const uint8_t> bytes, char* out, size_t size);

} // namespace brx
