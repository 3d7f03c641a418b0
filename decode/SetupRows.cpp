#include "decode/SetupRows.h"

#include <cstdio>

#include "decode/HtmlWriters.h"

namespace brx {

namespace {

// Offsets of the setup packet's fields.
constexpr uint32_t kRequestTypeOffset = 0;
constexpr uint32_t kRequestOffset = 1;
constexpr uint32_t kValueOffset = 2;
constexpr uint32_t kIndexOffset = 4;
constexpr uint32_t kLengthOffset = 6;

bool Holds(const DECODE_CONTEXT& ctx, uint32_t offset, uint32_t size) {
    return ctx.bytes.size() >= static_cast<size_t>(offset) + size;
}

// A missing field writes nothing; the page is only "not written to" when full.
bool Skip(const DECODE_CONTEXT& ctx) { return !ctx.full(); }

uint16_t Word(const DECODE_CONTEXT& ctx, uint32_t offset) {
    return static_cast<uint16_t>(ctx.bytes[offset] | (ctx.bytes[offset + 1] << 8));
}

bool ByteRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, const char* description) {
    if (!Holds(ctx, offset, 1)) return Skip(ctx);
    return WriteByteRow(ctx, offset, name, 1, ctx.bytes[offset], description);
}

bool WordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, const char* description) {
    if (!Holds(ctx, offset, 2)) return Skip(ctx);
    return WriteWordRow(ctx, offset, name, 2, Word(ctx, offset), description);
}

const char* ShouldBe(uint32_t expected, char (&text)[32]) {
    if (expected == 0) return "Should be zero";
    std::snprintf(text, sizeof text, "Should be %u", expected);
    return text;
}

bool CheckedWordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint16_t expected,
                    const char* description) {
    if (!Holds(ctx, offset, 2)) return Skip(ctx);
    const uint16_t value = Word(ctx, offset);
    if (value == expected) return WriteWordRow(ctx, offset, name, 2, value, description);
    char text[32];
    return WriteErrorWordRow(ctx, offset, name, 2, value, ShouldBe(expected, text));
}

} // namespace

bool WriteSetupRequestTypeRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kRequestTypeOffset, "bmRequestType", description);
}
bool WriteSetupRequestRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kRequestOffset, "bRequest", description);
}
bool WriteSetupValueRow(DECODE_CONTEXT& ctx, const char* description) {
    return WordRow(ctx, kValueOffset, "wValue", description);
}
bool WriteSetupValueLowByteRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kValueOffset, "wValue.LowByte", description);
}
bool WriteSetupValueHighByteRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kValueOffset + 1, "wValue.HiByte", description);
}
bool WriteSetupIndexRow(DECODE_CONTEXT& ctx, const char* description) {
    return WordRow(ctx, kIndexOffset, "wIndex", description);
}
bool WriteSetupIndexLowByteRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kIndexOffset, "wIndex.LowByte", description);
}
bool WriteSetupIndexHighByteRow(DECODE_CONTEXT& ctx, const char* description) {
    return ByteRow(ctx, kIndexOffset + 1, "wIndex.HiByte", description);
}
bool WriteSetupLengthRow(DECODE_CONTEXT& ctx, const char* description) {
    return WordRow(ctx, kLengthOffset, "wLength", description);
}

bool WriteCheckedSetupValueRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description) {
    return CheckedWordRow(ctx, kValueOffset, "wValue", expected, description);
}

bool WriteCheckedSetupValueHighByteRow(DECODE_CONTEXT& ctx, uint8_t expected, const char* description) {
    const uint32_t offset = kValueOffset + 1;
    if (!Holds(ctx, offset, 1)) return Skip(ctx);
    const uint8_t value = ctx.bytes[offset];
    if (value == expected) return WriteByteRow(ctx, offset, "wValue.HiByte", 1, value, description);
    char text[32];
    return WriteErrorByteRow(ctx, offset, "wValue.HiByte", 1, value, ShouldBe(expected, text));
}

bool WriteCheckedSetupIndexRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description) {
    return CheckedWordRow(ctx, kIndexOffset, "wIndex", expected, description);
}

bool WriteCheckedSetupLengthRow(DECODE_CONTEXT& ctx, uint16_t expected, const char* description) {
    return CheckedWordRow(ctx, kLengthOffset, "wLength", expected, description);
}

bool WriteSetupRecipientRow(DECODE_CONTEXT& ctx) {
    if (!ctx.expand || !Holds(ctx, kRequestTypeOffset, 1)) return Skip(ctx);
    static const char* const kNames[] = {"Device", "Interface", "Endpoint", "Other"};
    const uint8_t type = ctx.bytes[kRequestTypeOffset];
    const uint32_t recipient = type & 0x1Fu;
    if (recipient < 4) return WriteBitFieldRow(ctx, "Recipient", 1, 0x1F, type, kNames[recipient]);
    return WriteErrorBitFieldRow(ctx, "Recipient", 1, 0x1F, type, "4..31 are reserved values");
}

bool WriteSetupTypeRow(DECODE_CONTEXT& ctx) {
    if (!ctx.expand || !Holds(ctx, kRequestTypeOffset, 1)) return Skip(ctx);
    static const char* const kNames[] = {"Standard", "Class", "Vendor"};
    const uint8_t type = ctx.bytes[kRequestTypeOffset];
    const uint32_t kind = (type >> 5) & 3u;
    if (kind < 3) return WriteBitFieldRow(ctx, "Type", 1, 0x60, type, kNames[kind]);
    return WriteErrorBitFieldRow(ctx, "Type", 1, 0x60, type, "3 is reserved value");
}

namespace {
const char* DirectionName(uint32_t in) { return in ? "Device-to-Host" : "Host-to-Device"; }
} // namespace

bool WriteSetupDirectionRow(DECODE_CONTEXT& ctx) {
    if (!ctx.expand || !Holds(ctx, kRequestTypeOffset, 1)) return Skip(ctx);
    const uint8_t type = ctx.bytes[kRequestTypeOffset];
    return WriteBitFieldRow(ctx, "Direction", 1, 0x80, type, DirectionName(type >> 7));
}

bool WriteCheckedSetupDirectionRow(DECODE_CONTEXT& ctx, uint32_t expected) {
    if (!ctx.expand || !Holds(ctx, kRequestTypeOffset, 1)) return Skip(ctx);
    const uint8_t type = ctx.bytes[kRequestTypeOffset];
    const uint32_t in = type >> 7;
    if (expected > 1 || in == expected) return WriteBitFieldRow(ctx, "Direction", 1, 0x80, type, DirectionName(in));
    char text[40];
    std::snprintf(text, sizeof text, "Should be %s", DirectionName(expected));
    return WriteErrorBitFieldRow(ctx, "Direction", 1, 0x80, type, text);
}

bool WriteSectionTitle(DECODE_CONTEXT& ctx, const char* text) {
    if (ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (ctx.page->Append("<div class=\"uddiv6\">") && ctx.page->AppendText(text ? text : "") &&
        ctx.page->Append("</div>\r\n")) {
        return true;
    }
    ctx.page->Rollback(mark);
    return false;
}

bool WriteSubsectionTitle(DECODE_CONTEXT& ctx, const char* text) {
    if (ctx.page == nullptr) return false;
    const PageMark mark = ctx.page->Mark();
    if (ctx.page->Append("<div class=\"uddiv7\">") && ctx.page->AppendText(text ? text : "") &&
        ctx.page->Append("</div>\r\n")) {
        return true;
    }
    ctx.page->Rollback(mark);
    return false;
}

size_t FormatEndpointNumber(uint8_t address, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    const uint32_t number = address & 0x0Fu;
    if (number == 0) return 0;
    const int n = std::snprintf(out, size, "%u %s", number, (address & 0x80) ? "In" : "Out");
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(n);
}

} // namespace brx
