// The data stages of READ DVD STRUCTURE (physical format, copyright
// information, disc control blocks, write protection status), REPORT KEY and
// SEND KEY (the content-protection handshake). The data stage is ctx.bytes;
// the structure is chosen by the pending CDB (ctx.bulk.cdb when
// ctx.bulk.cdbKnown and its byte 0 is the command): READ DVD STRUCTURE's
// Format Code in byte 7, the Key Format in byte 10 bits 0-5. Key and
// challenge bytes are shown as hex dumps. The answer is 1 when the data stage
// counts as decoded, 0 when not.
#pragma once

#include "decode/DecodeContext.h"

namespace brx {

int DecodeReadDvdStructureData(DECODE_CONTEXT& ctx); // ADh
int DecodeReportKeyData(DECODE_CONTEXT& ctx);        // A4h
int DecodeSendKeyData(DECODE_CONTEXT& ctx);          // A3h, MMC devices (device kind 3) only

} // namespace brx
