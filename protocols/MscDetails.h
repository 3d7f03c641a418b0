// One-line texts of Bulk-Only mass-storage transfers for the capture list:
// the command wrapper names the SCSI command with its main parameters, a data
// stage says whose data moves which way, the status wrapper gives the status.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/RequestDetailsText.h"

namespace brx {

// "Passed", "Failed", "Phase Error" for 0-2 (low 8 bits); null otherwise or
// when enabled is 0.
const char* CswStatusName(uint32_t status, int enabled);

// Entry for a bulk or interrupt URB of an interface of class 08h: interfaceInfo
// is the pipe's interface information (class at byte 8, protocol at 10).
// 1 when it wrote a text.
int DescribeMscTransfer(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* interfaceInfo, size_t interfaceInfoLength,
                        const uint8_t* urb);
int DescribeMscBulkOnly(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* urb);
int DescribeCbw(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length);
int DescribeCsw(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length);
int DescribeMscData(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* data, size_t length);

// Names of the mode pages in page bytes, joined with ", " (at most three, then
// " ..."); nonzero when at least one name was written.
int DescribeModePages(const uint8_t* pages, size_t length, uint32_t kind, char* out, size_t size);

} // namespace brx
