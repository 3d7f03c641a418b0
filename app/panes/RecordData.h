// What the detail panes take from a selected record: the data bytes the raw
// data pane shows (and the export writes as a transfer buffer), and the
// status picture of the request summary.
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"

namespace brx {

struct RECORD_DATA_BYTES {
    const uint8_t* bytes = nullptr;  // inside the record's copied bytes
    uint32_t length = 0;             // 0: the record has no data bytes
};

// The bytes of a record that count as its data: transfers in their
// direction's phase (IN on a successful completion, OUT on the issue
// record), the result bytes of the GET_STATUS, GET_CONFIGURATION and
// GET_INTERFACE URBs, and the buffers of the device-control requests that
// carry one. Every byte returned lies inside the part that holds it.
RECORD_DATA_BYTES GetRecordDataBytes(const CRecordView& record, const RECORD_LAYOUT& layout);

// Status pictures of the summary, as indices of the status image strip.
enum : int {
    STATUS_IMAGE_NONE = 0,
    STATUS_IMAGE_ISSUED = 1,
    STATUS_IMAGE_SUCCEEDED = 2,
    STATUS_IMAGE_FAILED = 3,
    STATUS_IMAGE_PENDED = 4,
    STATUS_IMAGE_CANCELED = 5,
    STATUS_IMAGE_START = 6,
    STATUS_IMAGE_DROP = 8,
    STATUS_IMAGE_COUNT = 9,  // cells of the strip (7 is unused)
};
int GetStatusImage(const CRecordView& record, const RECORD_LAYOUT& layout);

constexpr uint32_t kStatusCancelled = 0xC0000120u;
constexpr uint32_t kStatusPending = 0x00000103u;

} // namespace brx

namespace brx {

// The buffer of a user-mode device-control record: the bytes after the
// 12-byte IOCTL_BLOCK header, as many as its byte count at +8 says and the
// block holds after both that header and the header size the layout
// declares. Empty when the block is no longer than either header.
RECORD_DATA_BYTES GetIoctlBufferBytes(const CRecordView& record, const RECORD_LAYOUT& layout);

} // namespace brx
