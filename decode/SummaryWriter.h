// The request summary: a short RTF document about one record, a coloured
// header paragraph naming the request and its outcome, then bold-label/value
// lines. This header holds the writing context, the document head, the
// paragraph templates and the line writers every summary renderer is built
// on, and the one-line summaries of the marker records.
//
// Every writer appends at the context's cursor with a bounded copy: a write
// that does not fit is cut at the buffer's end, the cursor stops with one
// character (the terminating NUL) left, and the writer returns
// SUMMARY_E_BUFFER_FULL; later writes add nothing. The text is narrow
// Windows-1252, as the head declares; captured UTF-16 text is written as RTF
// Unicode escapes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "capture/HidTables.h"
#include "capture/NameTables.h"
#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/Result.h"

namespace brx {

// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
constexpr HRESULT32 SUMMARY_E_BUFFER_FULL = 0x8007007Au;

// What a summary looks up in the log its record came from.
class ISummaryNames {
public:
    // Copy the name of an object into out (capacity characters, NUL included)
    // and return the characters copied, 0 for an unknown key.
    virtual uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const = 0;
    virtual uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const = 0;
    // 1 when the report descriptor of the pipe uses report IDs.
    virtual int HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const = 0;

protected:
    ~ISummaryNames() = default;
};

// The lookups over a log's own tables (any of them may be null).
class CSummaryNameTables final : public ISummaryNames {
public:
    CSummaryNameTables(const CNameHash* devices, const CNameHash* drivers, const CHIDDeviceRDHash* reports)
        : devices_(devices), drivers_(drivers), reports_(reports) {}
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override;
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override;
    int HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const override;

private:
    const CNameHash* devices_;
    const CNameHash* drivers_;
    const CHIDDeviceRDHash* reports_;
};

struct SUMMARY_CONTEXT {
    const CRecordView* record = nullptr; // the selected record
    char* cursor = nullptr;              // next free character of the output
    uint32_t remaining = 0;              // characters left from the cursor, the NUL included
    RECORD_LAYOUT layout = kDefaultRecordLayout; // the log's layout
    const ISummaryNames* names = nullptr;        // the log's name tables; null looks nothing up
};

// Binds a context to a buffer (its whole size) and writes an empty text.
void InitSummaryContext(SUMMARY_CONTEXT& ctx, char* buffer, uint32_t size, const CRecordView* record,
                        const RECORD_LAYOUT& layout, const ISummaryNames* names = nullptr);

// Colour table indices of the head.
enum : int {
    RTF_COLOR_AUTO = 0,
    RTF_COLOR_BLACK = 1,
    RTF_COLOR_RED = 6,
    RTF_COLOR_NAVY = 9,
    RTF_COLOR_DARK_GREEN = 11,
};

// AppendRtfLine flags: bits 0-6 choose how the value shows, bit 31 the
// indented template.
enum : uint32_t {
    RTF_VALUE_DECIMAL = 0x01,  // "%d" (without a text)
    RTF_VALUE_HEX2 = 0x02,     // "%02Xh" (without a text)
    RTF_VALUE_HEX8_ONLY = 0x04, // "%08Xh", a text given is not shown
    RTF_VALUE_HEX4 = 0x08,     // "%04Xh" (without a text)
    RTF_VALUE_TEXT = 0x10,     // the value is narrow RTF text
    RTF_VALUE_HEX8 = 0x20,     // "%08Xh" (without a text)
    RTF_VALUE_WIDE = 0x40,     // the value is UTF-16 text
    RTF_LINE_INDENTED = 0x80000000u,
};

// Bounded appends: S_OK32, or SUMMARY_E_BUFFER_FULL when the text was cut.
HRESULT32 SummaryAppend(SUMMARY_CONTEXT& ctx, std::string_view text);
HRESULT32 SummaryAppendF(SUMMARY_CONTEXT& ctx, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The document head with the proportional and the fixed-pitch font names
// (null is an empty name). The top-level group stays open: the caller closes
// it with "}" after the body.
HRESULT32 AppendSummaryHead(SUMMARY_CONTEXT& ctx, const char* proportionalFont, const char* fixedFont);

// One label/value line with a number: the value shows by the flag rules
// (decimal, hex of 2, 4 or 8 digits), or the text (the name of the number)
// shows in its place.
HRESULT32 AppendRtfLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t value, uint32_t flags,
                        const char* text = nullptr);
// One line whose value is RTF text written unchanged (null: empty value).
HRESULT32 AppendRtfTextLine(SUMMARY_CONTEXT& ctx, const char* label, const char* value, uint32_t flags = 0);
// One line whose value is UTF-16 text (little-endian bytes, units units,
// ending early at a NUL), written as "\uc1" and one "\uN?" per unit; the value
// is at most about 1000 characters. Null or empty: an empty value.
// A quoted value stands between double quotes.
HRESULT32 AppendRtfWideLine(SUMMARY_CONTEXT& ctx, const char* label, const uint8_t* utf16le, size_t units,
                            uint32_t flags = 0, bool quoted = false);
HRESULT32 AppendRtfPar(SUMMARY_CONTEXT& ctx);

// Captured UTF-16 text (little-endian bytes or characters, ending at a NUL or
// after units units) as RTF: printable ASCII as it is, "\", "{" and "}" with
// a backslash before them, everything else as "\uN?". Writes as many whole
// characters as fit in out (keeping room for the NUL) and returns the length.
size_t EscapeRtfText(const uint8_t* utf16le, size_t units, char* out, size_t outSize);
size_t EscapeRtfText(const char16_t* text, size_t units, char* out, size_t outSize);
// The same for Windows-1252 text of our own that may hold RTF specials.
size_t EscapeRtfText(std::string_view ansi, char* out, size_t outSize);
// The longest escape of one character.
constexpr size_t RTF_ESCAPE_MAX = 9;

// The request part of the context's record, and its fields.
bool SummaryIsCompletion(const SUMMARY_CONTEXT& ctx);
uint32_t SummaryRequestStatus(const SUMMARY_CONTEXT& ctx);

HRESULT32 AppendSummaryHeader(SUMMARY_CONTEXT& ctx);
// The request name of the header; never null.
const char* GetSummaryRequestName(const SUMMARY_CONTEXT& ctx);

HRESULT32 AppendIrpStatusLine(SUMMARY_CONTEXT& ctx, uint32_t status);
// "%Xh (%d)" from 256 on, "%d" below; a null label is "Buffer Length".
HRESULT32 AppendLengthLine(SUMMARY_CONTEXT& ctx, const char* label, uint32_t length);
// The object's name after its last backslash, beside the pointer; the pointer
// alone when the log has no name for it.
HRESULT32 AppendObjectNameLine(SUMMARY_CONTEXT& ctx, const char* label, OBJECT_KEY key);

// "0", "81h, 1 In", "80h".
void FormatEndpointAddress(uint32_t value, char* buffer, size_t size);
constexpr uint16_t GetMaxPacketSize(uint16_t wMaxPacketSize) { return wMaxPacketSize & 0x07FF; }

// Endpoint lines from an endpoint descriptor (checked: bLength > 6, type 5),
// an endpoint descriptor taken as it is (at least 6 bytes), a pipe
// information record (at least 8 bytes), and the packed endpoint byte of a
// URB block (bits 0-3 number, 5-6 transfer type, 7 IN; FFh unknown).
HRESULT32 AppendEndpointDescriptorLine(SUMMARY_CONTEXT& ctx, const uint8_t* descriptor, size_t length);
HRESULT32 AppendEndpointLine(SUMMARY_CONTEXT& ctx, const uint8_t* descriptor, size_t length);
HRESULT32 AppendPipeLine(SUMMARY_CONTEXT& ctx, const uint8_t* pipe, size_t length);
HRESULT32 AppendUrbEndpointLine(SUMMARY_CONTEXT& ctx, uint8_t packed);

// The marker records: "Start Capture" (type 2) and "Drop" (type 4).
HRESULT32 SummarizeStartMarker(SUMMARY_CONTEXT& ctx);
HRESULT32 SummarizeDropMarker(SUMMARY_CONTEXT& ctx);

} // namespace brx
