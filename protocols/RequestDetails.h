// The capture list's "Request Details" column: a few words on what a request
// is about, chosen by request kind and URB function.
#pragma once
#include <cstddef>
#include <cstdint>

#include "decode/RequestDetailsText.h"

namespace brx {

// Fills the context's buffer, or leaves it as it was when nothing applies.
// Never fails outward.
void FormatRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx) noexcept;

// The text of a control request from its 8-byte setup packet. interfaceInfo is
// the pipe's interface information (class at byte 8, subclass 9, protocol 10)
// and may be null (no class texts then). 1 when it wrote a text.
int ControlRequestDetails(const REQUEST_DETAILS_CONTEXT& ctx, const uint8_t* setup, const uint8_t* interfaceInfo,
                          size_t interfaceInfoLength);

} // namespace brx
