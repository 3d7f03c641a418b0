// The SCSI command descriptor block of a Bulk-Only command wrapper as a field
// table: one decoder per operation code, chosen by the pending operation
// code of the context; several decode differently for optical drives (device
// kind 3) and block devices. ctx.bytes holds the 31-byte wrapper (the CDB
// length at byte 14, the CDB from byte 15).
#pragma once
#include <cstdint>

#include "decode/DecodeContext.h"

namespace brx {

// Writes the CDB table when a decoder for the pending operation code takes
// it; always answers 0 (callers ignore it).
int DecodeScsiCdb(DECODE_CONTEXT& ctx);
// Called when no decoder rendered the CDB: writes nothing.
void OnScsiCdbNotDecoded(DECODE_CONTEXT& ctx);

// Decoders named by other parts of the mass-storage pages: 1 when they wrote
// their table, 0 when the CDB does not fit.
int DecodeServiceActionIn16Cdb(DECODE_CONTEXT& ctx);
int DecodeReadCapacity16Cdb(DECODE_CONTEXT& ctx);

// The CDB size of an operation code's group (6, 10, 12 or 16; 0 for the
// groups without a fixed size).
uint32_t ScsiCdbSize(uint8_t opCode);

} // namespace brx
