// The bytes of a captured record that count as its data: what the raw data
// pane shows, what the export writes as a transfer buffer, and the only bytes
// a class decoder may read as a transfer's payload (a bulk-IN issue record or
// a failed completion carries a buffer, but not data the device sent).
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

// The buffer of a user-mode device-control record: the bytes after the
// 12-byte IOCTL_BLOCK header, as many as its byte count at +8 says and the
// block holds after both that header and the header size the layout
// declares. Empty when the block is no longer than either header.
RECORD_DATA_BYTES GetIoctlBufferBytes(const CRecordView& record, const RECORD_LAYOUT& layout);

} // namespace brx
