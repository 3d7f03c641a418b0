// The standard control requests on the data-analysis page: the setup packet
// as a checked field table (ctx.bytes: bmRequestType, bRequest, wValue,
// wIndex, wLength) and the data stage where the request has one (status
// words, configuration and alternate settings, frame numbers, exit latencies
// and, for GET/SET_DESCRIPTOR, the descriptors through the standard
// descriptor decoders in a nested context).
//
// The setup table is written only when the setup packet was captured as sent
// (ctx.setupAsSent); data stages need ctx.request.dataPresent with enough
// bytes and, for data from the device, the completion (ctx.request.completion).
#pragma once
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// Dispatches by bRequest; a request without a decoder, or whose
// bmRequestType is not the one its decoder requires, gets the generic table.
// Always true.
bool DecodeStandardRequest(DECODE_CONTEXT& ctx);

// Section title with the request's name ("Setup Packet" without one) and,
// when it has one, the subsection with its description.
bool WriteStandardRequestTitle(DECODE_CONTEXT& ctx);
// bmRequestType (with its bit rows when expanding, the direction checked
// where the request fixes it) and bRequest.
bool WriteStandardSetupRows(DECODE_CONTEXT& ctx);

// Per request: false when bmRequestType is not the one the request requires.
bool DecodeGetStatus(DECODE_CONTEXT& ctx);
bool DecodeClearFeature(DECODE_CONTEXT& ctx);
bool DecodeSetFeature(DECODE_CONTEXT& ctx);
bool DecodeSetAddress(DECODE_CONTEXT& ctx);
bool DecodeGetSetDescriptor(DECODE_CONTEXT& ctx);
bool DecodeGetConfiguration(DECODE_CONTEXT& ctx);
bool DecodeSetConfiguration(DECODE_CONTEXT& ctx);
bool DecodeGetInterface(DECODE_CONTEXT& ctx);
bool DecodeSetInterface(DECODE_CONTEXT& ctx);
bool DecodeSynchFrame(DECODE_CONTEXT& ctx);
bool DecodeSetSel(DECODE_CONTEXT& ctx);
bool DecodeSetIsochDelay(DECODE_CONTEXT& ctx);

// The version word of a request: ctx.request.version, else the device's
// bcdUSB, else the fallback.
uint16_t RequestVersionWord(const DECODE_CONTEXT& ctx);

// The context a data stage's descriptors are decoded in: page, flags,
// division depth, anchor set and class tables of ctx, the bytes, no string
// callback, speed unknown, fallback version = versionWord, the rest empty.
DECODE_CONTEXT NestedDescriptorContext(const DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes, uint16_t versionWord);

// Runs decode(nested) in that context; what a declining decoder wrote is
// rolled back.
template <class F>
bool DecodeNested(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes, uint16_t versionWord, F decode) {
    if (ctx.page == nullptr) return false;
    DECODE_CONTEXT nested = NestedDescriptorContext(ctx, bytes, versionWord);
    const PageMark mark = ctx.page->Mark();
    if (decode(nested)) return true;
    ctx.page->Rollback(mark);
    return false;
}

} // namespace brx
