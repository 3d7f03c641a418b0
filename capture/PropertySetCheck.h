// A check of a property set stream's own structure before the system's
// property-set reader sees it. That reader trusts the stream's counts and
// sizes: a vector that claims more elements than the stream holds, a string
// longer than its section or a property offset past the end makes it read
// outside its buffer. The check walks the stream as the public property-set
// format lays it out (header, one section, the property offsets, each typed
// value) and refuses anything that does not lie wholly inside it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture/CaptureFileFormat.h"

namespace brx {

// A property set stream larger than this is refused unread: the sets of a
// capture file hold a few hundred bytes.
constexpr uint32_t MAX_PROPERTY_SET_STREAM = 1u << 20;

// True when the bytes are one property set of format id `fmtid` whose header,
// section, offsets and values all lie inside them: a byte-order mark 0xFFFE,
// format version 0 or 1, exactly one section, right after the header, with
// this format id; a section size within the stream (give or take the 3 bytes
// of padding after the last value that some writers leave out) and at least
// its header and offset table; every property offset inside the section; every value of a
// type the format defines, with its counts, lengths and vector elements inside
// the section. A dictionary (property 0) is refused: neither set of a capture
// file names its properties.
bool CheckPropertySetStream(const uint8_t* bytes, size_t size, const FILE_GUID& fmtid);

// The stream name of SummaryInformation: 0x0005 then "SummaryInformation".
extern const char16_t SUMMARY_INFORMATION_STREAM[];

} // namespace brx
