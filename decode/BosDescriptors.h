// The Binary Device Object Store (BOS) with its device capability
// descriptors, and the hub class descriptors (USB 2.0 hub, SuperSpeed hub),
// as checked field tables of the same shape as the standard descriptors
// (decode/StandardDescriptors.h). ctx.bytes holds the descriptor (or the BOS
// set); nothing is read past the bytes held.
#pragma once
#include "decode/DecodeContext.h"

namespace brx {

// The BOS descriptor and the descriptors after it up to wTotalLength.
bool DecodeBosDescriptorSet(DECODE_CONTEXT& ctx);
bool DecodeBosDescriptor(DECODE_CONTEXT& ctx);
// By bDevCapabilityType; a capability no decoder takes is shown as an
// unrecognized capability (false only for a wrong type or fewer than 4 bytes).
bool DecodeDeviceCapabilityDescriptor(DECODE_CONTEXT& ctx);
bool DecodeUsb20ExtensionCapability(DECODE_CONTEXT& ctx);
bool DecodeSuperSpeedUsbCapability(DECODE_CONTEXT& ctx);
bool DecodeContainerIdCapability(DECODE_CONTEXT& ctx);
bool DecodeUnrecognizedCapability(DECODE_CONTEXT& ctx);

// 29h or 00h: USB 2.0 hub; 2Ah: SuperSpeed hub; else false.
bool DecodeHubDescriptor(DECODE_CONTEXT& ctx);
bool DecodeUsb20HubDescriptor(DECODE_CONTEXT& ctx);
bool DecodeSuperSpeedHubDescriptor(DECODE_CONTEXT& ctx);

} // namespace brx
