// Small helpers the descriptor and request decoders share: reads of held
// bytes (a field not held reads 0; decoders check their length first), the
// bDescriptorType and string-index rows, checked rows and bit rows.
#pragma once
#include <cstdint>
#include <cstdio>
#include <span>

#include "decode/HtmlWriters.h"
#include "decode/UsbNames.h"

namespace brx::rows {

inline uint8_t B(std::span<const uint8_t> d, size_t offset) { return offset < d.size() ? d[offset] : 0; }
inline uint16_t W(std::span<const uint8_t> d, size_t offset) {
    return offset + 1 < d.size() ? static_cast<uint16_t>(d[offset] | (d[offset + 1] << 8)) : 0;
}
inline uint32_t D(std::span<const uint8_t> d, size_t offset) {
    return offset + 3 < d.size() ? d[offset] | (d[offset + 1] << 8) | (d[offset + 2] << 16) |
                                       (static_cast<uint32_t>(d[offset + 3]) << 24)
                                 : 0;
}

// The descriptor as held: its first bLength bytes, or fewer when cut short.
inline std::span<const uint8_t> Held(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return bytes;
    return bytes.first(bytes[0] < bytes.size() ? bytes[0] : bytes.size());
}

// The descriptor decoders' version word: the device's bcdUSB, else the fallback.
inline uint16_t VersionWord(const DECODE_CONTEXT& ctx) {
    return ctx.descriptor.bcdUSB != 0 ? ctx.descriptor.bcdUSB : static_cast<uint16_t>(ctx.fallbackVersion);
}

inline bool Ok(const DECODE_CONTEXT& ctx) { return !ctx.full(); }

inline bool Byte(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint8_t value, const char* text,
                 bool error = false) {
    return error ? WriteErrorByteRow(ctx, offset, name, 1, value, text) : WriteByteRow(ctx, offset, name, 1, value, text);
}
inline bool Word(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint16_t value, const char* text,
                 bool error = false) {
    return error ? WriteErrorWordRow(ctx, offset, name, 2, value, text) : WriteWordRow(ctx, offset, name, 2, value, text);
}
inline bool Bits(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask, uint32_t value,
                 const char* text, bool error = false) {
    return error ? WriteErrorBitFieldRow(ctx, name, byteCount, mask, value, text)
                 : WriteBitFieldRow(ctx, name, byteCount, mask, value, text);
}
// A "Reserved" bit row (detail rows only): an error "Reserved, should be zero"
// when any bit under the mask is set.
inline bool ReservedBits(DECODE_CONTEXT& ctx, uint32_t byteCount, uint32_t mask, uint32_t value,
                         const char* errorText = "Reserved, should be zero") {
    if (!ctx.detail) return Ok(ctx);
    return Bits(ctx, "Reserved", byteCount, mask, value, (value & mask) != 0 ? errorText : nullptr,
                (value & mask) != 0);
}

// bDescriptorType (detail): the standard name, else `otherwise`.
inline bool TypeRow(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* otherwise = "Unrecognized Standard") {
    if (!ctx.detail) return Ok(ctx);
    const char* name = DescriptorTypeName(B(d, 1));
    return WriteByteRow(ctx, 1, "bDescriptorType", 1, B(d, 1), name ? name : otherwise);
}

// A string index row described by the string's text when there is one.
inline bool StringRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint8_t index) {
    char text[300];
    const bool have = index != 0 && GetStringDescriptorText(ctx, index, text, sizeof text) != 0;
    return WriteByteRow(ctx, offset, name, 1, index, have ? text : nullptr);
}

// "%d byte" / "%d bytes".
inline const char* BytesText(uint32_t n, char (&out)[32]) {
    std::snprintf(out, sizeof out, n == 1 ? "%u byte" : "%u bytes", n);
    return out;
}

} // namespace brx::rows
