// Device Firmware Upgrade (interface class FEh, subclass 01h) and printer
// (interface class 07h) decoding on the data-analysis page: the DFU
// functional descriptor, the DFU and printer class requests and their data
// stages (DFU status and state, firmware blocks, the printer's IEEE 1284
// Device ID and port status).
//
// Requests: ctx.bytes is the 8-byte setup packet, the setup table is written
// when ctx.setupAsSent, data stages come from ctx.request in the request's
// direction (data from the device with the completion).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// For the class-descriptor dispatch: a current interface of class FEh,
// bLength above 6 and type 21h, then RenderDfuFunctionalDescriptor.
bool DecodeDfuFunctionalDescriptor(DECODE_CONTEXT& ctx);
// False (nothing written) unless the type is 21h and bLength 7 or 9 and the
// bytes hold bLength.
bool RenderDfuFunctionalDescriptor(DECODE_CONTEXT& ctx);

// False, writing nothing, unless the request is a class request to an
// interface of class FEh subclass 01h.
bool DecodeDfuRequest(DECODE_CONTEXT& ctx);
bool RenderDfuStatus(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);   // 6 bytes
bool RenderDfuState(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);    // 1 byte
bool RenderDfuFirmwareData(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);

// False, writing nothing, unless the request is a class request and the
// interface is of class 07h.
bool DecodePrinterRequest(DECODE_CONTEXT& ctx);
// The IEEE 1284 Device ID: a big-endian length (counting itself) and the
// text; false (nothing written) when the length is below 2 or fewer than 2
// bytes are held. The text is escaped, then each ";" is followed by a line
// break; it stops at kDeviceIdTextLimit characters.
constexpr size_t kDeviceIdBytesLimit = 4096;
constexpr size_t kDeviceIdTextLimit = 3999;
bool RenderPrinterDeviceId(DECODE_CONTEXT& ctx, std::span<const uint8_t> data);
bool RenderPrinterPortStatus(DECODE_CONTEXT& ctx, uint8_t status);

} // namespace brx
