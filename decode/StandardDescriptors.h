// The standard USB descriptors as checked field tables: device, device
// qualifier, configuration (and other-speed configuration), interface,
// interface association, endpoint, SuperSpeed endpoint companion and string
// descriptors, the walkers of configuration sets and the dispatch of one
// descriptor by its type.
//
// Every decoder reads ctx.bytes: the descriptor, or for the set walkers the
// whole set as held. Nothing is read past the bytes held: a decoder whose
// fields are not all held declines (false) and the descriptor shows as
// unrecognized with its bytes; a walk is bounded by the smaller of
// wTotalLength and the bytes held, shows a descriptor cut short as cut, and
// says on the page where it stopped at a malformed descriptor. Each decoder
// returns true when it wrote its table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// The dispatcher for one descriptor: by type, to the decoders below, the BOS
// and hub decoders (decode/BosDescriptors.h) or the class-specific table;
// false without bytes or with a bLength below 2. A declined descriptor is
// shown by RenderUnrecognizedDescriptor (then the result is that one's).
bool DecodeDescriptor(DECODE_CONTEXT& ctx);
// Class-specific descriptors (type bits 5-6 = 1) by the class of the current
// interface, through ClassDecodersOf(ctx); unrecognized when no row decodes it.
bool DecodeClassSpecificDescriptor(DECODE_CONTEXT& ctx);

// Walkers. The set walker records the configuration as the current one
// (ctx.descriptor.configuration = the set as held) and leaves it set.
bool DecodeConfigurationDescriptorSet(DECODE_CONTEXT& ctx);
bool DecodeInterfaceAssociationGroup(DECODE_CONTEXT& ctx, size_t groupLength);
bool DecodeInterfaceGroup(DECODE_CONTEXT& ctx, size_t groupLength);

bool DecodeDeviceDescriptor(DECODE_CONTEXT& ctx);
bool DecodeDeviceQualifierDescriptor(DECODE_CONTEXT& ctx);
bool DecodeConfigurationDescriptor(DECODE_CONTEXT& ctx);
bool DecodeInterfaceDescriptor(DECODE_CONTEXT& ctx);
bool DecodeInterfaceAssociationDescriptor(DECODE_CONTEXT& ctx);
bool DecodeEndpointDescriptor(DECODE_CONTEXT& ctx);
bool DecodeSsEndpointCompanionDescriptor(DECODE_CONTEXT& ctx);
// index: the string's index, 255 when unknown (a list of language IDs is then
// told by its length).
constexpr uint32_t kUnknownStringIndex = 255;
bool DecodeStringDescriptor(DECODE_CONTEXT& ctx, uint32_t index);

// Queries over a configuration set as held (spans, so never past its bytes).
// A set qualifies with type 02h or 07h, bLength above 8 and wTotalLength above 8.
std::span<const uint8_t> FindInterfaceDescriptor(std::span<const uint8_t> set, uint8_t number, int alternate);
std::span<const uint8_t> FindPreviousInterfaceDescriptor(std::span<const uint8_t> set,
                                                         std::span<const uint8_t> interfaceDescriptor);
// 1 first, 0 another comes first, -1 without a set or interface descriptors.
int IsFirstInterfaceDescriptor(std::span<const uint8_t> set, std::span<const uint8_t> interfaceDescriptor);
bool CountEndpointDescriptors(std::span<const uint8_t> set, std::span<const uint8_t> interfaceDescriptor,
                              uint32_t& count);
// descriptor: the interface (or IAD) and the bytes after it.
size_t GetInterfaceGroupLength(std::span<const uint8_t> descriptor);
size_t GetIadGroupLength(std::span<const uint8_t> descriptor);
bool ConfigurationHasIad(std::span<const uint8_t> set, bool& hasIad);

// "Configuration Descriptor 1" / "Other Speed Configuration Descriptor 1" and
// the power text ("Bus Powered, 100 mA", "Self Powered" or none).
size_t FormatConfigurationTitle(std::span<const uint8_t> configuration, uint16_t version, char* out, size_t size);
// The endpoint's title markup ("<b>Endpoint Descriptor 81</b> 1 In, Bulk, 512 bytes").
size_t FormatEndpointTitle(std::span<const uint8_t> endpoint, int32_t speed, char* out, size_t size);
size_t FormatInterfaceTitle(std::span<const uint8_t> interfaceDescriptor, char* out, size_t size);
size_t FormatIadTitle(std::span<const uint8_t> iad, char* out, size_t size);

// A descriptor the walk could not take whole, written as its own small table:
// an error row with the bytes held (offset in the set) and the reason.
bool WriteWalkStop(DECODE_CONTEXT& ctx, uint32_t offset, std::span<const uint8_t> bytes, const char* name,
                   const char* reason);
// The walk of the descriptors of a set from `from` to `end` (bounded by the
// bytes held): steps by bLength, shows a cut or malformed descriptor and
// stops there. visit(ctx, descriptorSpan, offset) returns the bytes it used
// (at least the descriptor's bLength, at most what is left) or 0 to stop.
// Returns false when the page is full.
template <class Visit>
bool WalkDescriptors(DECODE_CONTEXT& ctx, std::span<const uint8_t> set, size_t from, size_t declaredEnd, Visit visit);

} // namespace brx

#include "decode/DescriptorWalk.inl"
