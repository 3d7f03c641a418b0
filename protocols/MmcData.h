// The data stages of the multimedia (MMC) commands that describe the disc and
// the drive: READ TOC/PMA/ATIP, READ DISC INFORMATION, READ TRACK
// INFORMATION, GET CONFIGURATION, GET EVENT STATUS NOTIFICATION, MECHANISM
// STATUS, READ BUFFER CAPACITY, GET PERFORMANCE and SET STREAMING.
//
// Each entry decodes ctx.bytes (the data stage) and, where the layout depends
// on the command, reads the pending CDB (ctx.bulk.cdb, present when
// ctx.bulk.cdbKnown and its byte 0 is the command's operation code). Every
// structure is read within the bytes held and within the length it declares.
// The answer is 1 when the data stage counts as decoded, 0 when not.
#pragma once
#include <cstdint>

#include "base/ByteReader.h"
#include "decode/DecodeContext.h"

namespace brx {

int DecodeReadTocData(DECODE_CONTEXT& ctx);          // 43h, format from CDB byte 2
int DecodeDiscInformationData(DECODE_CONTEXT& ctx);  // 51h
int DecodeTrackInformationData(DECODE_CONTEXT& ctx); // 52h
int DecodeConfigurationData(DECODE_CONTEXT& ctx);    // 46h
int DecodeEventStatusData(DECODE_CONTEXT& ctx);      // 4Ah
int DecodeMechanismStatusData(DECODE_CONTEXT& ctx);  // BDh
int DecodeBufferCapacityData(DECODE_CONTEXT& ctx);   // 5Ch, Block bit from CDB byte 1 (byte form without a CDB)
int DecodeGetPerformanceData(DECODE_CONTEXT& ctx);   // ACh, Type from CDB byte 10
int DecodeSetStreamingData(DECODE_CONTEXT& ctx);     // B6h, Type from CDB byte 8

// One feature descriptor of GET CONFIGURATION data; `descriptor` holds it,
// bounded by its own length and by the bytes left. Always 1.
int RenderFeatureDescriptor(DECODE_CONTEXT& ctx, ByteReader descriptor);

} // namespace brx
