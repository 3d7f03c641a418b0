// What the detail panes take from a selected record: the data bytes the raw
// data pane shows (the rule itself lives in decode/RecordDataBytes.h, where
// the class decoders use it too), and the status picture of the request
// summary.
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/RecordDataBytes.h"

namespace brx {

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
