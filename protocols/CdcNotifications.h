// CDC notifications on the data-analysis page: the 8-byte header a
// communication interface sends on its notification endpoint (bmRequestType,
// bNotificationCode, wValue, wIndex, wLength) and the data after it (UART
// state, call state change with its caller-ID strings, connection speeds).
//
// ctx.bytes is the header; ctx.request.data the bytes after it (used when
// ctx.request.dataPresent); ctx.request.interfaceInfo the endpoint's
// interface. The header table is written when ctx.setupAsSent.
#pragma once
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// False, writing nothing, unless bmRequestType is a class type and the
// interface is a CDC communication interface (data interfaces: false).
bool DecodeCdcNotification(DECODE_CONTEXT& ctx);
// False unless the notification goes to an interface recipient of a CDC
// communication interface.
bool RenderCdcNotification(DECODE_CONTEXT& ctx);
bool DecodeCdcDataNotification(DECODE_CONTEXT& ctx);

bool RenderUartStateBitmap(DECODE_CONTEXT& ctx, uint16_t state);
// False below 8 bytes.
bool RenderConnectionSpeedChange(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
// state: the Call State Change value (wValue low byte). At most 255 data
// bytes are considered; the caller-ID strings are bounded by them.
bool RenderCallStateChange(DECODE_CONTEXT& ctx, uint8_t state, std::span<const uint8_t> data);
bool RenderCdcNotificationData(DECODE_CONTEXT& ctx, std::span<const uint8_t> data, const char* title);

} // namespace brx
