// The rows of a control request's 8-byte setup packet (ctx.bytes: bmRequestType,
// bRequest, wValue, wIndex, wLength, little-endian), the checked rows that show
// an expected value, the bit rows of bmRequestType and the section titles.
// The rows stand inside BeginFieldTable / EndFieldTable, written by the caller.
// A setup packet shorter than a field's end writes no row for that field.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/DecodeContext.h"

namespace brx {

bool WriteSetupRequestTypeRow(DECODE_CONTEXT& ctx, const char* description = nullptr);
bool WriteSetupRequestRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupValueRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupValueLowByteRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupValueHighByteRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupIndexRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupIndexLowByteRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupIndexHighByteRow(DECODE_CONTEXT& ctx, const char* description);
bool WriteSetupLengthRow(DECODE_CONTEXT& ctx, const char* description);

// Equal to expected: the plain row with the description; else the error row
// with "Should be zero" (expected 0) or "Should be <expected>".
bool WriteCheckedSetupValueRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description);
bool WriteCheckedSetupValueHighByteRow(DECODE_CONTEXT& ctx, uint8_t expected, const char* description);
bool WriteCheckedSetupIndexRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description);
bool WriteCheckedSetupLengthRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description);

// Bit rows of bmRequestType, written only with ctx.expand.
bool WriteSetupRecipientRow(DECODE_CONTEXT& ctx);
bool WriteSetupTypeRow(DECODE_CONTEXT& ctx);
bool WriteSetupDirectionRow(DECODE_CONTEXT& ctx);
// expected 0 (host-to-device) or 1 (device-to-host): a mismatch is an error
// row "Should be ..."; any other expected value means no check.
bool WriteCheckedSetupDirectionRow(DECODE_CONTEXT& ctx, uint32_t expected);

// <div class="uddiv6">text</div> and <div class="uddiv7">text</div> (escaped).
bool WriteSectionTitle(DECODE_CONTEXT& ctx, const char* text);
bool WriteSubsectionTitle(DECODE_CONTEXT& ctx, const char* text);

// "1 In" / "2 Out" of an endpoint address; an empty text for endpoint 0.
// Returns the characters written (out needs 8 bytes).
size_t FormatEndpointNumber(uint8_t address, char* out, size_t size);

} // namespace brx
