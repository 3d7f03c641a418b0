// The body of the request summary of an I/O request record: the header
// paragraph, the device and driver object lines, then the lines of the
// request's parameters and, on a completion, its results, chosen through
// tables by IRP major function, power and PnP minor function and URB
// function. Every writer checks that the bytes it reads are in the record and
// writes nothing when they are not.
#pragma once
#include <cstdint>

#include "decode/SummaryWriter.h"

namespace brx {

// The summary of a record of type 1; stops with the header's result when the
// header does not fit.
HRESULT32 SummarizeRequestHeader(SUMMARY_CONTEXT& ctx);

// The writers of the IRP major function table.
void SummarizeIoctl(SUMMARY_CONTEXT& ctx);
void SummarizeInternalIoctl(SUMMARY_CONTEXT& ctx);
void SummarizePowerIrp(SUMMARY_CONTEXT& ctx);
void SummarizePnpIrp(SUMMARY_CONTEXT& ctx);
void SummarizeUrb(SUMMARY_CONTEXT& ctx);

// "I/O Control Code": the name when given, else the parts of the code.
HRESULT32 AppendIoctlCodeLine(SUMMARY_CONTEXT& ctx, uint32_t code, const char* name);
// The length line of the URB writers (as AppendLengthLine).
HRESULT32 AppendUrbLengthLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t length);

} // namespace brx
