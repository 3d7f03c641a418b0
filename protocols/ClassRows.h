// Row helpers the CDC, DFU and printer decoders share: named bit rows of a
// bitmap field, the head of a class request's setup table, the data stage in
// a request's direction and the generic data row.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// One named bit (or bit group) of a bitmap field: set/clear descriptions
// (null: no description). For a group (more than one bit in mask) the
// description is chosen by value != 0.
struct BIT_ROW {
    const char* name;
    uint32_t mask;
    const char* set;
    const char* clear;
};

// With ctx.expand: first, with ctx.detail too, a "Reserved" row over
// reservedMask (an error row with reservedError when any of its bits is set;
// none for mask 0), then one row per entry of bits in order.
bool WriteBitRows(DECODE_CONTEXT& ctx, uint32_t byteCount, uint32_t value, uint32_t reservedMask,
                  const char* reservedError, std::span<const BIT_ROW> bits);

// The head of a class request's setup table (only when ctx.setupAsSent):
// section title (title, else "Setup Packet"), subsection with the description
// when there is one, the table, bmRequestType with its bit rows when
// expanding, and bRequest described by the title. Returns true when the table
// was opened (the caller then writes its rows and closes it).
bool BeginClassRequestTable(DECODE_CONTEXT& ctx, const char* title, const char* description);

// The data stage of the request in ctx.bytes when it is present with a
// buffer and at least minimum bytes (at least one), travels in the given
// direction (in: device-to-host, per bmRequestType) and, for data from the
// device, comes with the completion. Empty otherwise.
std::span<const uint8_t> ClassRequestData(const DECODE_CONTEXT& ctx, bool in, size_t minimum);

// Section title, then one row "Data" of at most the first 255 bytes (1 to 4
// bytes as a number, more as a hex dump). False for no bytes.
bool RenderClassDataBlock(DECODE_CONTEXT& ctx, std::span<const uint8_t> data, const char* title,
                          const char* rowName = "Data");

// "%u byte" / "%u bytes".
void FormatByteCount(uint32_t count, char* out, size_t size);

// Copies the first 8 bytes of a setup packet or notification header; false
// when fewer are held.
struct SetupFields {
    bool Read(std::span<const uint8_t> bytes);
    uint8_t type = 0, request = 0;
    uint16_t value = 0, index = 0, length = 0;
    const uint8_t* raw = nullptr;
};

} // namespace brx
