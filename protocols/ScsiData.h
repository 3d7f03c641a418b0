// The data stage of a Bulk-Only command, decoded against the command whose
// wrapper came before it: ctx.bytes holds the data-stage bytes, ctx.bulk the
// pending operation code, the device kind and, for the commands whose data
// has several layouts, the pending CDB.
//
// The decoders sit in one table keyed by operation code
// (kScsiDataDecoders in ScsiData.cpp). A decoder is a ScsiDataDecoder:
// (ctx) -> 1 when the data stage counts as decoded, 0 when not. To add one,
// declare it in the header of its family and put its name in the row of its
// operation code; a row may ask for an optical drive (device kind 3). Rows
// whose decoder is still null fall back like unknown codes.
#pragma once
#include <cstdint>

#include "decode/DecodeContext.h"

namespace brx {

using ScsiDataDecoder = int (*)(DECODE_CONTEXT& ctx);

// Runs the decoder of the pending operation code; calls OnScsiDataNotDecoded
// when there is none or it answered 0. Answers whether the data stage was
// decoded.
int DecodeScsiData(DECODE_CONTEXT& ctx);
// The hook for a data stage no decoder took: writes nothing.
void OnScsiDataNotDecoded(DECODE_CONTEXT& ctx);

// The decoder the table holds for an operation code under a device kind
// (null: none), for tests and callers that want to know before they decode.
ScsiDataDecoder FindScsiDataDecoder(uint8_t opCode, uint8_t deviceKind);

// The pending CDB when the store attached one whose operation code is op.
const uint8_t* PendingCdb(const DECODE_CONTEXT& ctx, uint8_t op);

// A data stage that moves blocks (or nothing): counts as decoded, writes nothing.
int DecodeNoScsiData(DECODE_CONTEXT& ctx);

} // namespace brx
