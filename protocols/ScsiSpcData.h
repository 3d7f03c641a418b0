// Decoders of the parameter data of the generic SCSI commands (REQUEST
// SENSE, INQUIRY and its vital product data pages, READ CAPACITY(10) and
// (16), READ FORMAT CAPACITIES, REPORT LUNS, SECURITY PROTOCOL IN, FORMAT
// UNIT). Each reads ctx.bytes (the data stage) and answers 1 when the data
// stage counts as decoded; they never read past ctx.bytes, and every length
// the data declares is cut to what was captured.
#pragma once
#include <cstdint>

#include "decode/DecodeContext.h"

namespace brx {

int RenderSenseData(DECODE_CONTEXT& ctx);
int DecodeInquiryData(DECODE_CONTEXT& ctx);
int RenderStandardInquiryData(DECODE_CONTEXT& ctx);
int RenderSupportedVpdPages(DECODE_CONTEXT& ctx);
int RenderUnitSerialNumber(DECODE_CONTEXT& ctx);
int RenderDeviceIdentification(DECODE_CONTEXT& ctx);
int RenderReadCapacity10Data(DECODE_CONTEXT& ctx);
int RenderReadCapacity16Data(DECODE_CONTEXT& ctx);
int DecodeServiceActionInData(DECODE_CONTEXT& ctx);
int DecodeFormatCapacitiesData(DECODE_CONTEXT& ctx);
int RenderReportLunsData(DECODE_CONTEXT& ctx);
int RenderSupportedSecurityProtocols(DECODE_CONTEXT& ctx);
int DecodeSecurityProtocolInData(DECODE_CONTEXT& ctx);
int DecodeFormatUnitData(DECODE_CONTEXT& ctx);

} // namespace brx
