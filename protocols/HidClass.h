// The HID class descriptor (21h) and the control requests of a HID interface
// on the data-analysis page: GET_REPORT, GET_IDLE, GET_PROTOCOL, SET_REPORT,
// SET_IDLE, SET_PROTOCOL, and GET/SET_DESCRIPTOR of the HID, Report and
// Physical class descriptors, with their data stages.
#pragma once
#include <cstdint>

#include "decode/DecodeContext.h"

namespace brx {

// ctx.bytes is a HID descriptor. False, writing nothing, unless it holds at
// least 6 bytes, bDescriptorType is 21h and bLength is above 5. The class
// descriptor list is bounded by bLength, bNumDescriptors and the bytes held.
bool RenderHidDescriptor(DECODE_CONTEXT& ctx);

// ctx.bytes is the 8-byte setup packet, ctx.request the interface and data
// stage. False, writing nothing, when the request is not a HID class request
// to an interface of class 03h nor a standard GET/SET_DESCRIPTOR of a HID
// class descriptor. setupTable: the setup packet's table is written (the data
// stages are decoded either way).
bool DecodeHidRequest(DECODE_CONTEXT& ctx, bool setupTable = true);

// The data-stage tables of GET_IDLE and GET_PROTOCOL.
bool RenderHidIdleRate(DECODE_CONTEXT& ctx, uint8_t rate);
bool RenderHidProtocol(DECODE_CONTEXT& ctx, uint8_t protocol);

// 21h "HID", 22h "Report", 23h "Physical", else null.
const char* HidClassDescriptorTypeName(uint32_t type);
// The bCountryCode names of codes 1-35; 0 (not supported) and others null.
const char* HidCountryName(uint32_t code);

} // namespace brx
