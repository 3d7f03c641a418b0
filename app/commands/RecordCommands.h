// What the list commands read of the records behind the capture list's rows:
// a row's whole record, the sequence number of its corresponding request,
// the next or previous row that meets the find criteria, the elapsed-time
// reference a row gives and the device object its request went to.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "capture/Record.h"

namespace brx {

class CFilter;
class CMatchCriteria;
class IFilterLog;

// The bytes of the row's record, read with the size its index entry gives;
// nothing when the row does not exist or fewer bytes were read.
std::optional<std::vector<uint8_t>> ReadWholeRowRecord(CFilter& filter, uint32_t row);

// The sequence number of the issue or completion that belongs to the row's
// request record. The companion is read with the size of its own index entry
// (a completion is often larger than its issue). Nothing for other records,
// a record without a companion, or a companion that cannot be read whole.
std::optional<uint32_t> CorrespondingSequence(CFilter& filter, IFilterLog& log, uint32_t row);

// The size of the view a find reads each record into.
constexpr uint32_t FIND_VIEW_SIZE = 612;

// Whether the row's record meets the criteria (read into a FIND_VIEW_SIZE
// view with the log's layout) and, when they carry a data pattern, its data
// bytes (GetRecordDataBytes; the record is then read whole) hold the
// pattern; false when the row does not exist.
bool FindRecord(CFilter& filter, const RECORD_LAYOUT& layout, const CMatchCriteria& criteria, uint32_t row);

// The first row after the selection (from row 0 without one) that meets the
// criteria, or for backwards the first one before it (from the last row
// without one). selected is -1 without a selection. Nothing when no row
// matches or the list is empty.
std::optional<uint32_t> FindMatchingRow(CFilter& filter, const RECORD_LAYOUT& layout, const CMatchCriteria& criteria,
                                        uint32_t count, int64_t selected, bool forward);

struct ElapsedReference {
    uint64_t counter = 0;   // the counter stamp at record offset 16
    uint32_t sequence = 0;
};
// The reference a whole record gives; nothing when it is too short.
std::optional<ElapsedReference> ReferenceOfRecord(const std::vector<uint8_t>& record);

// The device object of a request record (the first DWORD of its request
// part); nothing for other records.
std::optional<uint32_t> DeviceObjectOfRecord(const std::vector<uint8_t>& record, const RECORD_LAYOUT& layout);

} // namespace brx
