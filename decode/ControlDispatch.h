// Where every control request of the data-analysis page enters: by the type
// bits of bmRequestType to the standard request decoders, the class request
// decoder of the interface that owns the pipe (ClassDecodersOf(ctx), by
// interface class and subclass) or the vendor fallback; whatever no decoder
// takes is shown as the plain "Setup Packet" table, so a control request is
// never left without output.
//
// ctx.bytes is the 8-byte setup packet; ctx.request the data stage, the
// interface information and the completion flag.
#pragma once
#include "decode/DecodeContext.h"

namespace brx {

// False only for an empty setup packet.
bool DecodeControlSetup(DECODE_CONTEXT& ctx);
// The class decoder's result, or the setup table's; false without interface
// information.
bool DecodeClassRequest(DECODE_CONTEXT& ctx);
bool DecodeVendorRequest(DECODE_CONTEXT& ctx);
// The "Setup Packet" table: bmRequestType (its bit rows when expanding),
// bRequest, wValue, wIndex, wLength without descriptions.
bool RenderSetupPacket(DECODE_CONTEXT& ctx);

} // namespace brx
