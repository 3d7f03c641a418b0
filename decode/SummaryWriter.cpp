#include "decode/SummaryWriter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/ByteReader.h"
#include "base/Text.h"
#include "capture/RequestKind.h"
#include "decode/UsbNames.h"
#include "decode/WindowsNames.h"

namespace brx {
namespace {

// Paragraph templates, split where their arguments go.
constexpr std::string_view kLineStart = "\\pard\\plain\\li100\\sb0\\sa0\\tx120\\tx2000\\ql\\f0\\fs16\\cf1\\b ";
constexpr std::string_view kIndentedStart = "\\pard\\plain\\li100\\sb0\\sa0\\tx100\\tx340\\tx2200\\ql\\f0\\fs16\\cf1\\tab ";
constexpr std::string_view kLineMiddle = "\\tab\\b0\\f0\\fs16\\cf1 ";
constexpr std::string_view kLineEnd = "\\par";

constexpr uint32_t kStatusPending = 0x00000103u;
constexpr uint32_t kStatusCancelled = 0xC0000120u;

constexpr size_t kLineScratch = 1024;
constexpr size_t kWideNameChars = 256;

template <typename UnitAt>
size_t Escape(UnitAt unitAt, size_t units, char* out, size_t outSize) {
    if (!out || outSize == 0) return 0;
    size_t n = 0;
    for (size_t i = 0; i < units; ++i) {
        const char16_t c = unitAt(i);
        if (c == 0) break;
        char piece[RTF_ESCAPE_MAX + 1];
        size_t len;
        if (c == u'\\' || c == u'{' || c == u'}') {
            piece[0] = '\\';
            piece[1] = static_cast<char>(c);
            len = 2;
        } else if (c >= 0x20 && c < 0x7F) {
            piece[0] = static_cast<char>(c);
            len = 1;
        } else {
            // RTF numbers are signed 16-bit: units from 8000h on are negative.
            len = static_cast<size_t>(std::snprintf(piece, sizeof piece, "\\u%d?", static_cast<int16_t>(c)));
        }
        if (len >= outSize - n) break;
        std::memcpy(out + n, piece, len);
        n += len;
    }
    out[n] = '\0';
    return n;
}

const char* OrEmpty(const char* s) { return s ? s : ""; }

// The label/value line from its pieces.
HRESULT32 AppendLine(SUMMARY_CONTEXT& ctx, const char* label, std::string_view value, uint32_t flags) {
    HRESULT32 hr = SummaryAppend(ctx, (flags & RTF_LINE_INDENTED) ? kIndentedStart : kLineStart);
    if (hr == S_OK32) hr = SummaryAppend(ctx, OrEmpty(label));
    if (hr == S_OK32) hr = SummaryAppend(ctx, kLineMiddle);
    if (hr == S_OK32) hr = SummaryAppend(ctx, value);
    if (hr == S_OK32) hr = SummaryAppend(ctx, kLineEnd);
    return hr;
}

// The characters after the last backslash of a name.
size_t LastComponent(const char16_t* name, size_t length) {
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
        if (name[i] == u'\\') start = i + 1;
    return start;
}

HRESULT32 AppendMarker(SUMMARY_CONTEXT& ctx, int color, const char* text) {
    return SummaryAppendF(ctx, "\\pard\\li100\\sb100\\sa200\\ql\\f0\\fs20\\cf%d  \\b %s\\par", color, text);
}

} // namespace

uint32_t CSummaryNameTables::LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
    return devices_ ? devices_->Lookup(key, out, capacity) : 0;
}
uint32_t CSummaryNameTables::LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
    return drivers_ ? drivers_->Lookup(key, out, capacity) : 0;
}
int CSummaryNameTables::HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const {
    return reports_ ? reports_->HasReportIds(pipe, interfaceNumber) : 0;
}

void InitSummaryContext(SUMMARY_CONTEXT& ctx, char* buffer, uint32_t size, const CRecordView* record,
                        const RECORD_LAYOUT& layout, const ISummaryNames* names) {
    ctx.record = record;
    ctx.cursor = buffer;
    ctx.remaining = buffer ? size : 0;
    ctx.layout = layout;
    ctx.names = names;
    if (ctx.remaining) *ctx.cursor = '\0';
}

HRESULT32 SummaryAppend(SUMMARY_CONTEXT& ctx, std::string_view text) {
    if (!ctx.cursor || ctx.remaining == 0) return text.empty() ? S_OK32 : SUMMARY_E_BUFFER_FULL;
    const size_t room = ctx.remaining - 1;
    const size_t n = text.size() < room ? text.size() : room;
    if (n) std::memcpy(ctx.cursor, text.data(), n);
    ctx.cursor += n;
    ctx.remaining -= static_cast<uint32_t>(n);
    *ctx.cursor = '\0';
    return n == text.size() ? S_OK32 : SUMMARY_E_BUFFER_FULL;
}

HRESULT32 SummaryAppendF(SUMMARY_CONTEXT& ctx, const char* format, ...) {
    char line[kLineScratch];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return SUMMARY_E_BUFFER_FULL;
    size_t len = static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1;
    return SummaryAppend(ctx, std::string_view(line, len));
}

HRESULT32 AppendSummaryHead(SUMMARY_CONTEXT& ctx, const char* proportionalFont, const char* fixedFont) {
    // Font names go into the font table, where ";" ends a name.
    char fonts[2][128];
    const char* names[2] = {proportionalFont, fixedFont};
    for (int f = 0; f < 2; ++f) {
        size_t n = 0;
        for (const char* p = OrEmpty(names[f]); *p && n + 5 < sizeof fonts[f]; ++p) {
            uint8_t c = static_cast<uint8_t>(*p);
            if (c == '\\' || c == '{' || c == '}' || c == ';' || c < 0x20 || c >= 0x80) {
                n += static_cast<size_t>(std::snprintf(fonts[f] + n, sizeof fonts[f] - n, "\\'%02x", c));
            } else {
                fonts[f][n++] = static_cast<char>(c);
            }
        }
        fonts[f][n] = '\0';
    }
    return SummaryAppendF(
        ctx,
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset1{\\*\\fname %s;}%s;}"
        "{\\f1\\fmodern\\fprq1\\fcharset1{\\*\\fname %s;}%s;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;"
        "\\red0\\green255\\blue255;\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
        "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;"
        "\\red0\\green128\\blue0;\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red128\\green128\\blue0;"
        "\\red128\\green128\\blue128;\\red192\\green192\\blue192;}",
        fonts[0], fonts[0], fonts[1], fonts[1]);
}

HRESULT32 AppendRtfLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value, uint32_t flags, const char* text) {
    char number[16];
    const char* format;
    if (!text && (flags & RTF_VALUE_DECIMAL))
        format = "%d";
    else if (!text && (flags & RTF_VALUE_HEX2))
        format = "%02Xh";
    else if (!text && (flags & RTF_VALUE_HEX4))
        format = "%04Xh";
    else if (!text || (flags & RTF_VALUE_HEX8_ONLY))
        format = "%08Xh";
    else
        return AppendLine(ctx, label, text, flags);
    if (format[1] == 'd')
        std::snprintf(number, sizeof number, format, static_cast<int32_t>(value));
    else
        std::snprintf(number, sizeof number, format, value);
    return AppendLine(ctx, label, number, flags);
}

HRESULT32 AppendRtfTextLine(SUMMARY_CONTEXT& ctx, const char* label, const char* value, uint32_t flags) {
    return AppendLine(ctx, label, OrEmpty(value), flags);
}

HRESULT32 AppendRtfWideLine(SUMMARY_CONTEXT& ctx, const char* label, const uint8_t* utf16le, size_t units,
                            uint32_t flags, bool quoted) {
    char value[kLineScratch];
    size_t n = 0;
    ByteReader bytes(utf16le, utf16le ? units * 2 : 0);
    if (quoted) value[n++] = '"';
    if (bytes.u16le_or(0) != 0) {
        n += static_cast<size_t>(std::snprintf(value + n, sizeof value - n, "\\uc1"));
        for (size_t i = 0; i < units; ++i) {
            uint16_t unit = bytes.u16le_or(2 * i);
            if (unit == 0 || sizeof value - n <= 8u + (quoted ? 1u : 0u)) break;
            n += static_cast<size_t>(std::snprintf(value + n, sizeof value - n, "\\u%04d?", unit));
        }
    }
    if (quoted) value[n++] = '"';
    return AppendLine(ctx, label, std::string_view(value, n), flags);
}

HRESULT32 AppendRtfPar(SUMMARY_CONTEXT& ctx) { return SummaryAppend(ctx, kLineEnd); }

size_t EscapeRtfText(const uint8_t* utf16le, size_t units, char* out, size_t outSize) {
    ByteReader bytes(utf16le, utf16le ? units * 2 : 0);
    return Escape([&](size_t i) { return static_cast<char16_t>(bytes.u16le_or(2 * i)); }, utf16le ? units : 0, out,
                  outSize);
}

size_t EscapeRtfText(const char16_t* text, size_t units, char* out, size_t outSize) {
    return Escape([&](size_t i) { return text[i]; }, text ? units : 0, out, outSize);
}

size_t EscapeRtfText(std::string_view ansi, char* out, size_t outSize) {
    return Escape([&](size_t i) { return Cp1252ToWide(static_cast<uint8_t>(ansi[i])); }, ansi.size(), out, outSize);
}

bool SummaryIsCompletion(const SUMMARY_CONTEXT& ctx) { return ctx.record && ctx.record->completion; }

uint32_t SummaryRequestStatus(const SUMMARY_CONTEXT& ctx) {
    const CRecordView* r = ctx.record;
    return r && r->buffer ? GetRequestStatus(r->buffer, r->copied, ctx.layout) : 0;
}

const char* GetSummaryRequestName(const SUMMARY_CONTEXT& ctx) {
    const uint32_t kind = ctx.record ? ctx.record->kind : 0;
    const char* name = nullptr;
    if (kind >= KIND_HCD_FIRST && kind < KIND_HUB_FIRST) {
        name = HcdIoctlName(UserIoctlFromRequestKind(kind), NAME_FRIENDLY);
    } else if (kind >= KIND_HUB_FIRST && kind < KIND_HUB_FIRST + 100) {
        name = HubIoctlName(UserIoctlFromRequestKind(kind), NAME_FRIENDLY);
    } else if (kind >= KIND_HUB_FIRST + 100 && kind <= KIND_UMIO_LAST) {
        name = "Device Control";
    } else if (IsUrbKind(kind)) {
        name = UrbFunctionName(kind - KIND_URB_FIRST, NAME_FRIENDLY);
        if (!name) name = "URB";
    } else if (IsKernelIoctlKind(kind)) {
        name = InternalUsbIoctlName(KernelIoctlFromRequestKind(kind), NAME_FRIENDLY);
        if (!name) name = "Internal Device Control";
    } else if (IsPowerKind(kind)) {
        name = MinorFunctionName(22, kind - KIND_POWER_FIRST, NAME_FRIENDLY);
        if (!name) name = "Power";
    } else if (IsPnpKind(kind)) {
        name = MinorFunctionName(27, kind - KIND_PNP_FIRST, NAME_FRIENDLY);
        if (!name) name = "Plug and Play";
    } else if (kind == KIND_CREATE) {
        name = "Create";
    } else if (kind == KIND_CLOSE) {
        name = "Close";
    } else if (kind == KIND_CLEANUP) {
        name = "Cleanup";
    }
    return OrEmpty(name);
}

HRESULT32 AppendSummaryHeader(SUMMARY_CONTEXT& ctx) {
    const char* status = "issued";
    int color = RTF_COLOR_NAVY;
    if (SummaryIsCompletion(ctx)) {
        const uint32_t s = SummaryRequestStatus(ctx);
        if (s == kStatusPending) {
            status = "pended";
        } else if (static_cast<int32_t>(s) >= 0) {
            status = "succeeded";
            color = RTF_COLOR_DARK_GREEN;
        } else if (s == kStatusCancelled) {
            status = "canceled";
            color = RTF_COLOR_RED;
        } else {
            status = "failed";
            color = RTF_COLOR_RED;
        }
    }
    const uint32_t kind = ctx.record ? ctx.record->kind : 0;
    return SummaryAppendF(ctx, "\\pard\\li100\\sb100\\sa200\\ql\\f0\\fs20\\cf%d  %s \\b %s \\b0 %s\\par", color,
                          GetRequestKindSummaryText(kind), GetSummaryRequestName(ctx), status);
}

HRESULT32 AppendIrpStatusLine(SUMMARY_CONTEXT& ctx, uint32_t status) {
    return AppendRtfLine(ctx, "IRP Status", status, RTF_VALUE_HEX8, NtStatusName(status, NAME_SYMBOLIC));
}

HRESULT32 AppendLengthLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t length) {
    char text[64];
    if (length >= 256)
        std::snprintf(text, sizeof text, "%Xh (%d)", length, static_cast<int32_t>(length));
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(length));
    return AppendRtfTextLine(ctx, label ? label : "Buffer Length", text);
}

HRESULT32 AppendObjectNameLine(SUMMARY_CONTEXT& ctx, const char* label, OBJECT_KEY key) {
    char16_t name[kWideNameChars];
    uint32_t length = ctx.names ? ctx.names->LookupDeviceName(key, name, kWideNameChars) : 0;
    if (length == 0 || length >= kWideNameChars) return AppendRtfLine(ctx, label, key.key0, RTF_VALUE_HEX8_ONLY);
    const size_t start = LastComponent(name, length);
    char value[16 + kWideNameChars * RTF_ESCAPE_MAX];
    int n = std::snprintf(value, sizeof value, "%08Xh  ", key.key0);
    EscapeRtfText(name + start, length - start, value + n, sizeof value - static_cast<size_t>(n));
    return AppendRtfTextLine(ctx, label, value);
}

void FormatEndpointAddress(uint32_t value, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    const uint8_t address = static_cast<uint8_t>(value);
    if (address == 0)
        std::snprintf(buffer, size, "0");
    else if (address & 0x0F)
        std::snprintf(buffer, size, "%02Xh, %d %s", address, address & 0x0F, (address & 0x80) ? "In" : "Out");
    else
        std::snprintf(buffer, size, "%02Xh", address);
}

namespace {

// "1 In, Bulk 64 bytes"; control endpoints "0, Control 64 bytes".
HRESULT32 AppendEndpointValue(SUMMARY_CONTEXT& ctx, uint8_t address, uint32_t type, uint32_t maxPacket,
                              bool numberOnlyLabel) {
    char label[32];
    std::snprintf(label, sizeof label, "Endpoint %02Xh", numberOnlyLabel ? address & 0x0F : address);
    const char* typeName = OrEmpty(PipeTypeName(type, NAME_FRIENDLY));
    char value[96];
    if (type == 0)
        std::snprintf(value, sizeof value, "%d, %s %d bytes", address & 0x0F, typeName, static_cast<int32_t>(maxPacket));
    else
        std::snprintf(value, sizeof value, "%d %s, %s %d bytes", address & 0x0F, (address & 0x80) ? "In" : "Out",
                      typeName, static_cast<int32_t>(maxPacket));
    return AppendRtfTextLine(ctx, label, value);
}

} // namespace

HRESULT32 AppendEndpointDescriptorLine(SUMMARY_CONTEXT& ctx, const uint8_t* descriptor, size_t length) {
    ByteReader d(descriptor, length);
    if (d.size() < 7 || d.u8or(0) <= 6 || d.u8or(1) != 5) return S_OK32;
    return AppendEndpointValue(ctx, d.u8or(2), d.u8or(3) & 3, GetMaxPacketSize(d.u16le_or(4)), false);
}

HRESULT32 AppendEndpointLine(SUMMARY_CONTEXT& ctx, const uint8_t* descriptor, size_t length) {
    ByteReader d(descriptor, length);
    if (d.size() < 6) return S_OK32;
    return AppendEndpointValue(ctx, d.u8or(2), d.u8or(3) & 3, GetMaxPacketSize(d.u16le_or(4)), true);
}

HRESULT32 AppendPipeLine(SUMMARY_CONTEXT& ctx, const uint8_t* pipe, size_t length) {
    ByteReader p(pipe, length);
    if (p.size() < 8) return S_OK32;
    return AppendEndpointValue(ctx, p.u8or(2), p.u32le_or(4), p.u16le_or(0), false);
}

HRESULT32 AppendUrbEndpointLine(SUMMARY_CONTEXT& ctx, uint8_t packed) {
    if (packed == 0xFF) return AppendRtfTextLine(ctx, "Endpoint ??", "");
    if ((packed & 0x8F) == 0) return AppendRtfTextLine(ctx, "Endpoint 0", "Default Control");
    char label[32];
    std::snprintf(label, sizeof label, "Endpoint %02Xh", packed & 0x8F);
    const uint32_t type = (packed >> 5) & 3;
    const char* direction = (packed & 0x80) ? "In" : "Out";
    char value[64];
    // Without type bits the transfer type is not known: number and direction.
    if (type)
        std::snprintf(value, sizeof value, "%d %s, %s", packed & 0x0F, direction,
                      OrEmpty(PipeTypeName(type, NAME_FRIENDLY)));
    else
        std::snprintf(value, sizeof value, "%d, %s", packed & 0x0F, direction);
    return AppendRtfTextLine(ctx, label, value);
}

HRESULT32 SummarizeStartMarker(SUMMARY_CONTEXT& ctx) { return AppendMarker(ctx, RTF_COLOR_AUTO, "Start Capture"); }
HRESULT32 SummarizeDropMarker(SUMMARY_CONTEXT& ctx) { return AppendMarker(ctx, RTF_COLOR_RED, "Drop"); }

} // namespace brx
