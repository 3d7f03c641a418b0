#include "protocols/ClassRows.h"

#include <cstdio>

#include "decode/HtmlWriters.h"
#include "decode/SetupRows.h"

namespace brx {

bool WriteBitRows(DECODE_CONTEXT& ctx, uint32_t byteCount, uint32_t value, uint32_t reservedMask,
                  const char* reservedError, std::span<const BIT_ROW> bits) {
    if (!ctx.expand) return true;
    bool ok = true;
    if (reservedMask != 0 && ctx.detail) {
        ok = (value & reservedMask) ? WriteErrorBitFieldRow(ctx, "Reserved", byteCount, reservedMask, value, reservedError)
                                    : WriteBitFieldRow(ctx, "Reserved", byteCount, reservedMask, value, nullptr);
    }
    for (const BIT_ROW& b : bits) {
        if (!ok) break;
        ok = WriteBitFieldRow(ctx, b.name, byteCount, b.mask, value, (value & b.mask) ? b.set : b.clear);
    }
    return ok;
}

bool BeginClassRequestTable(DECODE_CONTEXT& ctx, const char* title, const char* description) {
    if (!ctx.setupAsSent || ctx.bytes.size() < 2) return false;
    const char* heading = title ? title : "Setup Packet";
    bool ok = WriteSectionTitle(ctx, heading);
    if (ok && description) ok = WriteSubsectionTitle(ctx, description);
    ok = ok && BeginFieldTable(ctx) && WriteSetupRequestTypeRow(ctx);
    if (ok && ctx.expand) ok = WriteSetupRecipientRow(ctx) && WriteSetupTypeRow(ctx) && WriteSetupDirectionRow(ctx);
    ok = ok && WriteSetupRequestRow(ctx, heading);
    return ok;
}

std::span<const uint8_t> ClassRequestData(const DECODE_CONTEXT& ctx, bool in, size_t minimum) {
    const REQUEST_FIELDS& r = ctx.request;
    if (ctx.bytes.empty() || !r.dataPresent || r.data.data() == nullptr || r.data.empty()) return {};
    if (r.data.size() < minimum) return {};
    if (((ctx.bytes[0] & 0x80) != 0) != in) return {};
    if (in && !r.completion) return {};
    return r.data;
}

bool RenderClassDataBlock(DECODE_CONTEXT& ctx, std::span<const uint8_t> data, const char* title, const char* rowName) {
    if (data.empty()) return false;
    if (data.size() > 255) data = data.first(255);
    return WriteSectionTitle(ctx, title) && BeginFieldTable(ctx) && WriteValueRow(ctx, 0, rowName, data, nullptr) &&
           EndFieldTable(ctx);
}

void FormatByteCount(uint32_t count, char* out, size_t size) {
    std::snprintf(out, size, count == 1 ? "%u byte" : "%u bytes", count);
}

bool SetupFields::Read(std::span<const uint8_t> b) {
    if (b.size() < 8) return false;
    raw = b.data();
    type = b[0];
    request = b[1];
    value = uint16_t(b[2] | (b[3] << 8));
    index = uint16_t(b[4] | (b[5] << 8));
    length = uint16_t(b[6] | (b[7] << 8));
    return true;
}

} // namespace brx
