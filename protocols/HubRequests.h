// The hub class requests (USB 2.0 and SuperSpeed hubs) on the data-analysis
// page: the setup packet with the checks the hub class defines, and the data
// stage where there is one (hub and port status words, bus state, TT state,
// link error count, hub descriptor). ctx.bytes is the setup packet; the data
// stage, completion flag and interface come from ctx.request.
#pragma once
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// False unless the request is a class request and the interface is a hub's
// (class 09h); otherwise true: the title, then the request's table or the
// generic rows.
bool DecodeHubRequest(DECODE_CONTEXT& ctx);

// Per request: false when bmRequestType does not fit the request.
bool DecodeHubGetStatus(DECODE_CONTEXT& ctx);
bool DecodeHubFeatureRequest(DECODE_CONTEXT& ctx);
bool DecodeHubGetBusState(DECODE_CONTEXT& ctx);
bool DecodeHubDescriptorRequest(DECODE_CONTEXT& ctx);
bool DecodeClearTtBuffer(DECODE_CONTEXT& ctx);
bool DecodeResetTt(DECODE_CONTEXT& ctx);
bool DecodeGetTtState(DECODE_CONTEXT& ctx);
bool DecodeStopTt(DECODE_CONTEXT& ctx);
bool DecodeSetHubDepth(DECODE_CONTEXT& ctx);
bool DecodeGetPortErrorCount(DECODE_CONTEXT& ctx);

// Data tables.
bool RenderHubStatus(DECODE_CONTEXT& ctx, uint16_t status);
bool RenderHubStatusChange(DECODE_CONTEXT& ctx, uint16_t change);
bool RenderPortStatus(DECODE_CONTEXT& ctx, uint16_t status);
bool RenderPortStatusChange(DECODE_CONTEXT& ctx, uint16_t change);
bool RenderSuperSpeedPortStatus(DECODE_CONTEXT& ctx, uint16_t status);
bool RenderSuperSpeedPortStatusChange(DECODE_CONTEXT& ctx, uint16_t change);
bool RenderBusState(DECODE_CONTEXT& ctx, uint8_t state);
// The TT state as held: 4 bytes of flags, then the TT-specific state (all
// the bytes after them, whatever their count). False below 4 bytes.
bool RenderTtState(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes);
bool RenderLinkErrorCount(DECODE_CONTEXT& ctx, uint16_t count);

// The Recipient bit row of a hub request (0 hub, 3 port).
bool WriteHubRecipientRow(DECODE_CONTEXT& ctx);

} // namespace brx
