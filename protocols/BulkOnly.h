// Bulk-Only mass-storage transfers on the data-analysis page: the command
// wrapper (CBW) with the SCSI command it carries, the status wrapper (CSW),
// the hand-off of data stages to the SCSI data decoders, and the two class
// requests of the transport (Get Max LUN, Bulk-Only Mass Storage Reset).
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/DecodeContext.h"

namespace brx {

// Fills ctx.bytes and ctx.bulk for one bulk record of a pair: the data bytes
// are the record's valid data (decode/RecordDataBytes.h: a bulk-IN issue
// record or a failed completion has none), the pending command's bytes come
// from the record's mass-storage bytes and the pair's command block.
void SetBulkTransferContext(DECODE_CONTEXT& ctx, const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                            const INTERFACE_INFO& interfaceInfo);

// Entry from the pane: 0 unless the interface is a Bulk-Only mass-storage
// interface (class 08h, protocol 50h) and the record carries mass-storage
// bytes; else DecodeBulkOnlyStage.
int DecodeBulkOnlyTransfer(DECODE_CONTEXT& ctx);
// A CBW (31 bytes at issue, signed "USBC"), a CSW (13 bytes at completion,
// signed "USBS") or a data stage (anything else); 0 for no bytes.
int DecodeBulkOnlyStage(DECODE_CONTEXT& ctx);
bool RenderCbw(DECODE_CONTEXT& ctx);
bool RenderCsw(DECODE_CONTEXT& ctx);

// Class requests to a Bulk-Only interface: ctx.bytes is the setup packet,
// ctx.request the data stage and the interface.
int DecodeMscRequest(DECODE_CONTEXT& ctx);
int DecodeBulkOnlyRequest(DECODE_CONTEXT& ctx);
int RenderMaxLun(DECODE_CONTEXT& ctx, uint8_t value);
const char* BulkOnlyRequestName(const uint8_t* setup, int enabled);
const char* BulkOnlyRequestDescription(const uint8_t* setup);

} // namespace brx
