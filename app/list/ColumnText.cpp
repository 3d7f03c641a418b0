#include "app/list/ColumnText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/ByteReader.h"
#include "base/Text.h"
#include "capture/RequestKind.h"
#include "capture/TimeFields.h"
#include "decode/SummaryWriter.h"
#include "decode/WindowsNames.h"
#include "protocols/RequestDetails.h"

namespace brx {

const CAPTURE_LIST_COLUMN CAPTURE_LIST_COLUMNS[COLUMN_COUNT] = {
    {44, u"Type"},          {72, u"Seq"},          {80, u"Time"},        {60, u"Elapsed"},
    {60, u"Duration"},      {160, u"Request"},     {120, u"Request Details"}, {130, u"Raw Data"},
    {30, u"I/O"},           {60, u"C:I:E"},        {80, u"Device Object"}, {100, u"Device Name"},
    {100, u"Driver Name"},  {80, u"IRP"},          {120, u"IRP Status (URB Status)"},
};

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;

// Windows-1252 text into a cell, cut to its size.
void PutAnsi(char16_t* out, size_t size, const char* text) {
    if (!out || size == 0 || !text) return;
    size_t n = 0;
    for (; n + 1 < size && text[n]; ++n) out[n] = Cp1252ToWide(static_cast<uint8_t>(text[n]));
    out[n] = 0;
}

__attribute__((format(printf, 3, 4))) void PutF(char16_t* out, size_t size, const char* format, ...) {
    if (!out || size == 0) return;
    char buffer[COLUMN_TEXT_SIZE * 2];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    PutAnsi(out, size, buffer);
}

// What the producers read of one record.
struct RecordFields {
    const CRecordView& r;
    const RECORD_LAYOUT& layout;
    ByteReader request;  // the request part, empty when absent

    RecordFields(const CRecordView& view, const RECORD_LAYOUT& l) : r(view), layout(l) {
        const uint8_t* part = view.buffer ? GetRecordRequest(view.buffer, view.copied, l) : nullptr;
        if (part) request = ByteReader(part, REQUEST_PART_SIZE);
    }
    uint32_t Sequence() const { return GetRecordSequence(r.buffer, r.copied); }
    int64_t Counter() const { return GetRecordCounter(r.buffer, r.copied); }
    uint32_t Status() const { return request.u32le_or(REQ_STATUS); }
    // The URB, the device context block at least 32 bytes and the URB at least 16.
    bool HasUrbParts() const {
        return IsUrbKind(r.kind) && r.urb && r.urbLength >= 16 && r.block && r.blockLength >= 32;
    }
    ByteReader Urb() const { return ByteReader(r.urb, r.urbLength); }
    ByteReader Block() const { return ByteReader(r.block, r.blockLength); }
    uint16_t UrbFunction() const { return Urb().u16le_or(2); }
    uint32_t UsbdStatus() const { return Urb().u32le_or(4); }
    // NTSTATUS 0 and a non-negative USBD status on a completion.
    bool SuccessfulCompletion() const {
        return r.completion && Status() == 0 && static_cast<int32_t>(UsbdStatus()) >= 0;
    }
};

void WriteSequence(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    if (f.r.type == RECORD_TYPE_REQUEST && f.r.completion) {
        PutF(ctx.text, ctx.textSize, "%04u-%04u", f.Sequence(), f.request.u32le_or(REQ_ISSUE_SEQUENCE));
    } else {
        PutF(ctx.text, ctx.textSize, "%04u", f.Sequence());
    }
}

void WriteTime(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    FormatAbsoluteTime(GetRecordSystemTime(f.r.buffer, f.r.copied), ctx.timeFormat, ctx.toLocalTime, ctx.text,
                       ctx.textSize);
}

void WriteRequest(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    const uint32_t kind = f.r.kind;
    const char* name = nullptr;
    if (kind == KIND_CREATE) {
        name = "Create";
    } else if (kind == KIND_CLOSE) {
        name = "Close";
    } else if (kind == KIND_CLEANUP) {
        name = "Cleanup";
    } else if (IsPowerKind(kind)) {
        name = MinorFunctionName(22, PowerMinorFromRequestKind(kind), NAME_FRIENDLY);
        if (!name) name = "Power";
    } else if (IsPnpKind(kind)) {
        name = MinorFunctionName(27, PnpMinorFromRequestKind(kind), NAME_FRIENDLY);
        if (!name) name = "Plug and Play";
    } else if (IsUrbKind(kind)) {
        if (!f.HasUrbParts()) return;
        name = UrbFunctionName(f.UrbFunction(), NAME_FRIENDLY);
        if (!name) name = "Submit URB";
    } else if (IsKernelIoctlKind(kind)) {
        name = InternalUsbIoctlName(KernelIoctlFromRequestKind(kind), NAME_FRIENDLY);
        if (!name) name = "Internal Device Control";
    } else if (kind >= KIND_HCD_FIRST && kind < KIND_HUB_FIRST) {
        name = HcdIoctlName(UserIoctlFromRequestKind(kind), NAME_FRIENDLY);
    } else if (kind >= KIND_HUB_FIRST && kind < KIND_HUB_FIRST + 100) {
        name = HubIoctlName(UserIoctlFromRequestKind(kind), NAME_FRIENDLY);
    } else if (kind >= KIND_HUB_FIRST + 100 && kind <= KIND_UMIO_LAST) {
        name = "Device Control";
    }
    PutAnsi(ctx.text, ctx.textSize, name);
}

// "CC:II:EE" of the device context block's pipe bytes; needs 9 characters.
void WritePipeAddress(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    if (ctx.textSize < 9) return;
    const ByteReader block = f.Block();
    const uint8_t c = block.u8or(URB_BLOCK_PIPE_INFO);
    const uint8_t i = block.u8or(URB_BLOCK_PIPE_INFO + 1);
    const uint8_t e = block.u8or(URB_BLOCK_PIPE_INFO + 3);
    if ((e & 0x8F) == 0 && (e & 0x60) == 0) {
        PutAnsi(ctx.text, ctx.textSize, "--:--:00");
        return;
    }
    char text[16];
    int n = c == 0xFF ? std::snprintf(text, sizeof text, "??:") : std::snprintf(text, sizeof text, "%02X:", c);
    n += i == 0xFF ? std::snprintf(text + n, sizeof text - n, "??:")
                   : std::snprintf(text + n, sizeof text - n, "%02X:", i);
    if (e == 0xFF) {
        std::snprintf(text + n, sizeof text - n, "??");
    } else {
        std::snprintf(text + n, sizeof text - n, "%02X", e & 0x8F);
    }
    PutAnsi(ctx.text, ctx.textSize, text);
}

void WriteCie(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    if (!f.HasUrbParts()) return;
    const bool block36 = f.r.blockLength >= 36;
    const bool urb24 = f.r.urbLength >= 24;
    switch (f.UrbFunction()) {
    case 0x00: case 0x01: case 0x0B: case 0x0C: case 0x0D: case 0x10:
    case 0x13: case 0x17: case 0x1A: case 0x26: case 0x27:
        PutAnsi(ctx.text, ctx.textSize, "--:--:00");
        return;
    case 0x02: case 0x1E: case 0x30: case 0x31:
        if (block36) WritePipeAddress(ctx, f);
        return;
    case 0x09: case 0x0A:
        if (block36 && urb24) WritePipeAddress(ctx, f);
        return;
    case 0x08: case 0x32:
        if (!block36 || !urb24) return;
        if (f.Urb().u32le_or(20) & 0x08) {
            PutAnsi(ctx.text, ctx.textSize, "--:--:00");
        } else {
            WritePipeAddress(ctx, f);
        }
        return;
    default:
        return;
    }
}

// Rules of the "Raw Data" column by URB function 0x00-0x34.
enum class Preview : uint8_t { None, Transfer, BulkOrInterrupt, GetConfiguration, GetInterface };
constexpr uint32_t kPreviewRules = 0x35;
constexpr Preview URB_DATA_PREVIEW_TABLE[kPreviewRules] = {
    // 0x00-0x07
    Preview::None, Preview::None, Preview::None, Preview::None,
    Preview::None, Preview::None, Preview::None, Preview::None,
    // 0x08-0x0F
    Preview::Transfer, Preview::BulkOrInterrupt, Preview::Transfer, Preview::Transfer,
    Preview::Transfer, Preview::None, Preview::None, Preview::None,
    // 0x10-0x17
    Preview::None, Preview::None, Preview::None, Preview::None,
    Preview::None, Preview::None, Preview::None, Preview::Transfer,
    // 0x18-0x1F
    Preview::Transfer, Preview::Transfer, Preview::Transfer, Preview::Transfer,
    Preview::Transfer, Preview::None, Preview::None, Preview::Transfer,
    // 0x20-0x27
    Preview::Transfer, Preview::None, Preview::None, Preview::None,
    Preview::Transfer, Preview::Transfer, Preview::GetConfiguration, Preview::GetInterface,
    // 0x28-0x2F
    Preview::Transfer, Preview::Transfer, Preview::None, Preview::None,
    Preview::None, Preview::None, Preview::None, Preview::None,
    // 0x30-0x34
    Preview::None, Preview::None, Preview::Transfer, Preview::None, Preview::None,
};

void PreviewData(const COLUMN_TEXT_CONTEXT& ctx, const CRecordView& r) {
    if (r.dataLength) FormatHexPreview(r.data, r.dataLength, r.dataTruncated, ctx.text, ctx.textSize);
}

// The one-byte answer of a get-configuration or get-interface request, kept
// in the device context block (presence byte, then the value).
void PreviewResultByte(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f, uint32_t presenceAt) {
    if (f.r.blockLength < 44 || f.r.urbLength < 80) return;
    if (f.Urb().u32le_or(24) == 0 || !f.SuccessfulCompletion()) return;
    const ByteReader block = f.Block();
    if (block.u8or(presenceAt) == 0) return;
    const uint8_t value = block.u8or(presenceAt + 1);
    FormatHexPreview(&value, 1, false, ctx.text, ctx.textSize);
}

void WriteDataPreview(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    if (!f.HasUrbParts()) return;
    const uint16_t function = f.UrbFunction();
    if (function >= kPreviewRules) return;
    switch (URB_DATA_PREVIEW_TABLE[function]) {
    case Preview::None:
        return;
    case Preview::Transfer:
        PreviewData(ctx, f.r);
        return;
    case Preview::BulkOrInterrupt: {
        const bool in = f.r.direction == DIRECTION_IN && f.r.urbLength >= 72 && f.SuccessfulCompletion();
        const bool out = f.r.direction == DIRECTION_OUT && !f.r.completion;
        if (in || out) PreviewData(ctx, f.r);
        return;
    }
    case Preview::GetConfiguration:
        PreviewResultByte(ctx, f, 36);
        return;
    case Preview::GetInterface:
        PreviewResultByte(ctx, f, 40);
        return;
    }
}

// The part of an object's name after its last backslash.
void WriteObjectName(const COLUMN_TEXT_CONTEXT& ctx, bool driver, OBJECT_KEY key) {
    if (!ctx.names) return;
    char16_t name[257];
    name[0] = 0;
    const uint32_t n = driver ? ctx.names->LookupDriverName(key, name, 257) : ctx.names->LookupDeviceName(key, name, 257);
    if (n == 0) return;
    const size_t length = WideLength(name, 256);
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == u'\\') start = i + 1;
    }
    const size_t count = length - start < ctx.textSize - 1 ? length - start : ctx.textSize - 1;
    std::memcpy(ctx.text, name + start, count * sizeof(char16_t));
    ctx.text[count] = 0;
}

void WriteStatus(const COLUMN_TEXT_CONTEXT& ctx, const RecordFields& f) {
    if (!f.r.completion || f.request.empty()) return;
    const uint32_t status = f.Status();
    const char* s = NtStatusName(status, NAME_FRIENDLY);
    const char* u = nullptr;
    if (IsUrbKind(f.r.kind)) {
        if (!f.HasUrbParts()) return;
        u = UsbdStatusName(f.UsbdStatus(), NAME_FRIENDLY);
    }
    if (s && u) {
        PutF(ctx.text, ctx.textSize, "%s (%s)", s, u);
    } else if (s) {
        PutAnsi(ctx.text, ctx.textSize, s);
    } else if (u) {
        PutF(ctx.text, ctx.textSize, "%08Xh (%s)", status, u);
    } else {
        PutF(ctx.text, ctx.textSize, "%08Xh", status);
    }
}

void WriteMarkerColumn(const COLUMN_TEXT_CONTEXT& ctx, uint32_t column) {
    if (!ctx.pair || !ctx.text || ctx.textSize == 0) return;
    const CRecordView& r = ctx.pair->record;
    if (!r.buffer) return;
    const RecordFields f(r, ctx.layout);
    switch (column) {
    case COLUMN_TYPE:
        if (r.type == RECORD_TYPE_START) {
            PutAnsi(ctx.text, ctx.textSize, "START");
        } else if (r.type == RECORD_TYPE_DROP) {
            PutAnsi(ctx.text, ctx.textSize, "DROP");
        } else if (r.type == RECORD_TYPE_REQUEST) {
            PutAnsi(ctx.text, ctx.textSize, GetRequestKindListText(r.kind));
        }
        return;
    case COLUMN_SEQUENCE:
        WriteSequence(ctx, f);
        return;
    case COLUMN_TIME:
        WriteTime(ctx, f);
        return;
    default:
        return;
    }
}

// Writes the scaled form of a time: "0", "< 1 us", "N us", "N.NNN ms", "N.NNNNNN s".
void PutScaledSeconds(char16_t* out, size_t size, double seconds, bool zero, const char* sign) {
    if (zero) {
        PutAnsi(out, size, "0");
    } else if (seconds < 1e-6) {
        PutF(out, size, "< %s1 us", sign);
    } else if (seconds < 0.001) {
        PutF(out, size, "%s%.0f us", sign, seconds * 1000000.0);
    } else if (seconds < 1.0) {
        PutF(out, size, "%s%.3f ms", sign, seconds * 1000.0);
    } else {
        PutF(out, size, "%s%.6f s", sign, seconds);
    }
}

double CountsToSeconds(uint64_t counts, uint64_t frequency) {
    return static_cast<double>(counts / frequency) +
           static_cast<double>(counts % frequency) / static_cast<double>(frequency);
}

} // namespace

uint64_t CountsToTicks(uint64_t counts, uint64_t frequency) {
    if (frequency == 0) return 0;
    const uint64_t whole = counts / frequency;
    const uint64_t rest = counts % frequency;
    if (whole > UINT64_MAX / kTicksPerSecond) return UINT64_MAX;
    uint64_t part;
    if (rest <= UINT64_MAX / kTicksPerSecond) {
        part = rest * kTicksPerSecond / frequency;
    } else {
        // rest < frequency, so the quotient stays below 10^7.
        part = static_cast<uint64_t>(static_cast<long double>(rest) * kTicksPerSecond /
                                     static_cast<long double>(frequency));
        if (part >= kTicksPerSecond) part = kTicksPerSecond - 1;
    }
    const uint64_t ticks = whole * kTicksPerSecond;
    return ticks > UINT64_MAX - part ? UINT64_MAX : ticks + part;
}

void FormatAbsoluteTime(uint64_t fileTime, uint32_t timeFormat, LocalTimeConverter toLocal, char16_t* out,
                        size_t size) {
    TIME_FIELDS t{};
    TimeToTimeFields(toLocal ? toLocal(fileTime) : fileTime, t);
    if (timeFormat == TIME_FORMAT_DATE_AND_TIME) {
        PutF(out, size, "%04d-%02d-%02d %d:%02d:%02d.%03d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second,
             t.Milliseconds);
    } else {
        PutF(out, size, "%d:%02d:%02d.%03d", t.Hour, t.Minute, t.Second, t.Milliseconds);
    }
}

void FormatTimeValue(int64_t stamp, int64_t reference, int64_t frequency, uint32_t format, char16_t* out,
                     size_t size) {
    if (frequency <= 0) return;
    const bool negative = stamp < reference;
    const uint64_t d = negative ? static_cast<uint64_t>(reference) - static_cast<uint64_t>(stamp)
                                : static_cast<uint64_t>(stamp) - static_cast<uint64_t>(reference);
    const uint64_t f = static_cast<uint64_t>(frequency);
    const char* sign = negative ? "-" : "";
    if (format == ELAPSED_FORMAT_CLOCK) {
        // Whole seconds and microseconds from one rounded count, so that a
        // fraction that rounds up carries into the seconds.
        const uint64_t ticks = CountsToTicks(d, f);
        const uint64_t micro = ticks / 10 + (ticks % 10 >= 5 ? 1 : 0);
        const uint64_t seconds = micro / 1000000;
        PutF(out, size, "%s%u:%02u:%02u.%06u", sign, static_cast<uint32_t>(seconds / 3600 % 24),
             static_cast<uint32_t>(seconds / 60 % 60), static_cast<uint32_t>(seconds % 60),
             static_cast<uint32_t>(micro % 1000000));
        return;
    }
    const double seconds = CountsToSeconds(d, f);
    if (format == ELAPSED_FORMAT_SECONDS) {
        PutF(out, size, "%s%.6f", sign, seconds);
    } else {
        PutScaledSeconds(out, size, seconds, d == 0, sign);
    }
}

void FormatDurationText(int64_t issueStamp, int64_t completionStamp, int64_t frequency, uint32_t format,
                        char16_t* out, size_t size) {
    if (frequency <= 0) return;
    const int64_t d = static_cast<int64_t>(static_cast<uint64_t>(completionStamp) - static_cast<uint64_t>(issueStamp));
    const double seconds = static_cast<double>(d) / static_cast<double>(frequency);
    if (format == DURATION_FORMAT_SECONDS) {
        PutF(out, size, "%.6f", seconds);
    } else {
        PutScaledSeconds(out, size, seconds, d == 0, "");
    }
}

void FormatHexPreview(const uint8_t* bytes, uint32_t length, bool truncated, char16_t* out, size_t size) {
    if (!out || size == 0 || !bytes || length == 0) return;
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    const uint32_t n = length < 8 ? length : 8;
    size_t at = 0;
    uint32_t written = 0;
    for (; written < n && size - at >= 4; ++written) {
        if (written) out[at++] = u' ';
        out[at++] = kDigits[bytes[written] >> 4];
        out[at++] = kDigits[bytes[written] & 15];
    }
    if (written < length || truncated) {
        for (int dot = 0; dot < 3 && at + 1 < size; ++dot) out[at++] = u'.';
    }
    out[at] = 0;
}

void GetColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t kind) {
    if (!ctx.pair || !ctx.text || ctx.textSize == 0) return;
    const CRecordView& r = ctx.pair->record;
    if (r.type != RECORD_TYPE_REQUEST || !r.buffer) return;
    const RecordFields f(r, ctx.layout);
    switch (kind) {
    case COLUMN_TYPE:
        PutAnsi(ctx.text, ctx.textSize, GetRequestKindListText(r.kind));
        return;
    case COLUMN_SEQUENCE:
        WriteSequence(ctx, f);
        return;
    case COLUMN_TIME:
        WriteTime(ctx, f);
        return;
    case COLUMN_ELAPSED:
        FormatTimeValue(f.Counter(), ctx.reference, ctx.frequency, ctx.elapsedFormat, ctx.text, ctx.textSize);
        return;
    case COLUMN_DURATION: {
        const CRecordView& c = ctx.pair->companion;
        if (!r.completion || !ctx.pair->companionPresent || !c.buffer) return;
        FormatDurationText(GetRecordCounter(c.buffer, c.copied), f.Counter(), ctx.frequency, ctx.durationFormat,
                           ctx.text, ctx.textSize);
        return;
    }
    case COLUMN_REQUEST:
        WriteRequest(ctx, f);
        return;
    case COLUMN_REQUEST_DETAILS: {
        REQUEST_DETAILS_CONTEXT details;
        details.pair = ctx.pair;
        details.text = ctx.text;
        details.textSize = ctx.textSize;
        details.layout = &ctx.layout;
        details.reportDescriptors = ctx.reportDescriptors;
        FormatRequestDetails(details);
        return;
    }
    case COLUMN_RAW_DATA:
        WriteDataPreview(ctx, f);
        return;
    case COLUMN_DIRECTION:
        if (!IsUrbKind(r.kind)) return;
        if (r.direction == DIRECTION_IN) PutAnsi(ctx.text, ctx.textSize, "in");
        if (r.direction == DIRECTION_OUT) PutAnsi(ctx.text, ctx.textSize, "out");
        return;
    case COLUMN_CIE:
        WriteCie(ctx, f);
        return;
    case COLUMN_DEVICE_OBJECT:
        if (!f.request.empty()) PutF(ctx.text, ctx.textSize, "%08Xh", f.request.u32le_or(REQ_DEVICE_OBJECT));
        return;
    case COLUMN_DEVICE_NAME:
        if (!f.request.empty())
            WriteObjectName(ctx, false, {f.request.u32le_or(REQ_DEVICE_OBJECT), f.request.u32le_or(REQ_DEVICE_KEY)});
        return;
    case COLUMN_DRIVER_NAME:
        if (!f.request.empty())
            WriteObjectName(ctx, true, {f.request.u32le_or(REQ_DRIVER_KEY), f.request.u32le_or(REQ_DRIVER_KEY + 4)});
        return;
    case COLUMN_IRP:
        if (!f.request.empty()) PutF(ctx.text, ctx.textSize, "%08Xh", f.request.u32le_or(REQ_IRP));
        return;
    case COLUMN_STATUS:
        WriteStatus(ctx, f);
        return;
    default:
        return;
    }
}

void GetStartMarkerColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t column) { WriteMarkerColumn(ctx, column); }
void GetDropMarkerColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t column) { WriteMarkerColumn(ctx, column); }

} // namespace brx
