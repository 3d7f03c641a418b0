// What the record filter needs of the active capture log. The capture log
// implements it (forwarding to its store); tests use an in-memory log.
//
// Rules for an implementation:
// - every call may come from the user-interface thread or the capture reader
//   thread and takes the store's own lock inside;
// - the filter calls it while holding its rows lock (rows lock first, store
//   lock second), so the log never calls into the filter (OnLogNotify or a
//   row accessor) while it holds the store lock;
// - results are the store's: 0 on success, else an error code
//   (STG_E_READFAULT for an index not below the record count).
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "capture/Result.h"

namespace brx {

class IFilterLog {
public:
    virtual ~IFilterLog() = default;
    // The number of indexed records.
    virtual uint32_t GetRecordCount() = 0;
    // A copy of the index entry of record `index`.
    virtual HRESULT32 GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY& entry) = 0;
    // Copies min(buffer size, record size) bytes of record `index` into the
    // view's buffer and fills the view (FillRecordView).
    virtual HRESULT32 ReadRecord(uint32_t index, CRecordView& view) = 0;
    // The record with its issue or completion companion and, for a
    // mass-storage stage, the command block of its command.
    virtual HRESULT32 ReadRecordPair(uint32_t index, CRecordPairView& pair) = 0;
    // The layout the log's records were written with.
    virtual RECORD_LAYOUT GetRecordLayout() = 0;
};

} // namespace brx
