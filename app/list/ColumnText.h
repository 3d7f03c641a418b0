// The capture list's column texts: one captured record, read with its
// companion (the issue of a completion, the completion of an issue), turned
// into the text of one of the fifteen columns; and the time formats of the
// "Time", "Elapsed" and "Duration" columns. The list calls this for every
// cell of every row it prepares, the export for every exported cell.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"

namespace brx {

class ISummaryNames;
class CHIDDeviceRDHash;

// Column kinds: the index of the column in the list.
enum : uint32_t {
    COLUMN_TYPE = 0,
    COLUMN_SEQUENCE,
    COLUMN_TIME,
    COLUMN_ELAPSED,
    COLUMN_DURATION,
    COLUMN_REQUEST,
    COLUMN_REQUEST_DETAILS,
    COLUMN_RAW_DATA,
    COLUMN_DIRECTION,
    COLUMN_CIE,
    COLUMN_DEVICE_OBJECT,
    COLUMN_DEVICE_NAME,
    COLUMN_DRIVER_NAME,
    COLUMN_IRP,
    COLUMN_STATUS,
    COLUMN_COUNT
};

struct CAPTURE_LIST_COLUMN {
    int32_t width;
    const char16_t* heading;
};
extern const CAPTURE_LIST_COLUMN CAPTURE_LIST_COLUMNS[COLUMN_COUNT];

// Text size of every caller's cell buffer, the NUL included.
constexpr uint32_t COLUMN_TEXT_SIZE = 260;

// The choices of the preferences.
enum : uint32_t {
    TIME_FORMAT_DATE_AND_TIME = 0,
    TIME_FORMAT_TIME = 1,         // the default
    ELAPSED_FORMAT_CLOCK = 0,
    ELAPSED_FORMAT_SECONDS = 1,
    ELAPSED_FORMAT_SCALED = 2,    // the default
    DURATION_FORMAT_SECONDS = 0,
    DURATION_FORMAT_SCALED = 1,   // the default
};

// UTC FILETIME to local FILETIME; null keeps the time as it is.
using LocalTimeConverter = uint64_t (*)(uint64_t utc);

struct COLUMN_TEXT_CONTEXT {
    const CRecordPairView* pair = nullptr;
    char16_t* text = nullptr;   // emptied by the caller before each call
    uint32_t textSize = 0;      // characters, the NUL included
    int64_t reference = 0;      // counter stamp of the "Elapsed" origin
    int64_t frequency = 0;      // counts a second; 0 when unknown
    RECORD_LAYOUT layout = kDefaultRecordLayout;
    uint32_t timeFormat = TIME_FORMAT_TIME;
    uint32_t elapsedFormat = ELAPSED_FORMAT_SCALED;
    uint32_t durationFormat = DURATION_FORMAT_SCALED;
    const ISummaryNames* names = nullptr;                 // the log's device and driver names
    const CHIDDeviceRDHash* reportDescriptors = nullptr;  // for the details column
    LocalTimeConverter toLocalTime = nullptr;
};

// The text of column `kind` of a request record; other kinds write nothing.
void GetColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t kind);
// Columns 0-2 of marker rows ("START" or "DROP", "%04u" sequence, time); the
// same texts as GetColumnText for a request record.
void GetStartMarkerColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t column);
void GetDropMarkerColumnText(const COLUMN_TEXT_CONTEXT& ctx, uint32_t column);

// The shared formatters. Each writes a terminated text of at most size
// characters (the NUL included) and writes nothing when size is 0.
void FormatAbsoluteTime(uint64_t fileTime, uint32_t timeFormat, LocalTimeConverter toLocal, char16_t* out,
                        size_t size);
void FormatTimeValue(int64_t stamp, int64_t reference, int64_t frequency, uint32_t format, char16_t* out,
                     size_t size);
void FormatDurationText(int64_t issueStamp, int64_t completionStamp, int64_t frequency, uint32_t format,
                        char16_t* out, size_t size);
// Up to eight bytes as "01 02 ..", with "..." when more bytes than shown or
// truncated is set; nothing for a length of 0.
void FormatHexPreview(const uint8_t* bytes, uint32_t length, bool truncated, char16_t* out, size_t size);

// Counts to 100-ns units without overflow: (d / f) * 10^7 + (d % f) * 10^7 / f,
// saturating at the largest value.
uint64_t CountsToTicks(uint64_t counts, uint64_t frequency);

} // namespace brx
