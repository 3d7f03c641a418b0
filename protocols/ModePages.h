// The parameter data of MODE SENSE(6)/(10) (data-in) and MODE SELECT(6)/(10)
// (data-out): the mode parameter header, laid out by the device's command set
// (ctx.bulk.deviceKind), and the mode pages behind it. The data stage is
// ctx.bytes; the pending command is ctx.bulk.opCode with its CDB in
// ctx.bulk.cdb (ctx.bulk.cdbKnown). Every entry answers 1 when the data stage
// counts as decoded, 0 when not (nothing or too little was written).
#pragma once
#include <cstdint>

#include "base/ByteReader.h"
#include "decode/DecodeContext.h"

namespace brx {

// Opcodes 15h and 1Ah: at least 4 bytes.
int DecodeModeParameters6(DECODE_CONTEXT& ctx);
// Opcodes 55h and 5Ah: at least 8 bytes.
int DecodeModeParameters10(DECODE_CONTEXT& ctx);
// The pages after the header and block descriptors, at most 15 of them: 1
// once a page was written.
int DecodeModeParameterData(DECODE_CONTEXT& ctx, ByteReader pages);
// The byte list of a page no decoder shows (or one that declines).
int RenderGenericModePage(DECODE_CONTEXT& ctx, ByteReader page);

} // namespace brx
