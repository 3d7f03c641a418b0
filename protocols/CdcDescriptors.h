// The class-specific interface descriptors (CS_INTERFACE, 24h) of CDC
// communication and data interfaces on the data-analysis page: one decoder
// per functional descriptor subtype, with the checks of lengths and reserved
// bits and the cross-references to the interfaces, terminals and units of the
// same configuration.
//
// ctx.bytes is the functional descriptor, ctx.descriptor.configuration the
// configuration descriptor set being walked (every look-up is bounded by the
// bytes it holds as well as by wTotalLength) and
// ctx.descriptor.interfaceDescriptor the interface descriptor the functional
// descriptor follows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// The entry for interfaces of class 02h and 0Ah: false, writing nothing,
// without a current interface of those classes, with fewer than 3 bytes or
// bytes that are not a CS_INTERFACE descriptor. A subtype without a decoder,
// and a descriptor its decoder declines (too short), shows as the raw table.
bool DecodeCdcFunctionalDescriptor(DECODE_CONTEXT& ctx);

// The anchored title "<name> Functional Descriptor" (with the channel or
// protocol as subtitle for subtypes 0Ah and 0Bh) of ctx.bytes, and the
// bFunctionLength, bDescriptorType and bDescriptorSubtype rows (only with
// ctx.detail; bFunctionLength checked against the subtype's length).
bool WriteFunctionalDescriptorTitle(DECODE_CONTEXT& ctx);
bool WriteFunctionalDescriptorHeaderRows(DECODE_CONTEXT& ctx);

// The raw table: title, header rows and the bytes after the subtype.
bool RenderUnknownFunctionalDescriptor(DECODE_CONTEXT& ctx);

// 00h-19h by name; above 19h "Vendor-Specific" (bit 7 set) or "Unknown".
const char* CdcSubtypeName(uint8_t subtype);
// bFunctionLength a subtype must have, or 0 where any length goes.
uint8_t CdcExpectedFunctionLength(uint8_t subtype);
// Bit names of bmEthernetStatistics (0-31).
const char* CdcEthernetStatisticName(uint32_t bit);

// The USB Terminal, Network Channel Terminal, Protocol Unit or Extension
// Unit functional descriptor (subtypes 09h-0Ch) with bEntityId `id` among the
// descriptors after `interfaceDescriptor` in `configuration`, up to the next
// interface or association; empty when none, when id is 0 or when the
// interface is not a Multi-Channel or CAPI control interface.
std::span<const uint8_t> FindEntityInConfiguration(std::span<const uint8_t> configuration,
                                                   std::span<const uint8_t> interfaceDescriptor, uint8_t id);
// The text describing entity `id` of ctx's configuration; false without one.
bool DescribeCdcEntity(const DECODE_CONTEXT& ctx, uint8_t id, char* out, size_t size);

} // namespace brx
