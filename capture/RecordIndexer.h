// The indexing core of the capture store: one RECORD_INDEX_ENTRY per record,
// completions linked to their issue records by sequence number, Bulk-Only data
// and status stages tied to their command wrapper, and the walk over the
// driver's notification blocks. Pure: the store supplies the bytes, the index
// storage and the tables, and holds its lock around every call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "capture/Record.h"
#include "capture/SequenceMap.h"

namespace brx {

// A command wrapper whose status wrapper has not arrived yet, per device key.
struct PENDING_CBW {
    uint8_t opcode;
    uint8_t serviceAction;
    uint32_t wrapperIndex;
};
using PendingCommandMap = std::unordered_map<uint32_t, PENDING_CBW>;
// Device key -> (MSC_DEVICE_KIND << 8) | SPC version, learnt from INQUIRY.
using DeviceKindMap = std::unordered_map<uint32_t, uint16_t>;
// Record sequence number -> record index.
using SequenceMap = CSequenceMap;

// Mass-storage device kinds (MSC_DEVICE_KIND).
enum : uint8_t { MSC_KIND_UNKNOWN = 0, MSC_KIND_SBC = 1, MSC_KIND_RBC = 2, MSC_KIND_MMC = 3 };

// Fills entry for the record at `record` with `remaining` bytes from it to the
// end of the window. Returns whether the record gets an index entry. Every
// read stays inside min(record size, remaining). index is the number the entry
// will have; the two maps carry the mass-storage state between records.
bool BuildIndexEntry(uint32_t index, const uint8_t* record, size_t remaining, const RECORD_LAYOUT& layout,
                     PendingCommandMap& pending, DeviceKindMap& deviceKinds, RECORD_INDEX_ENTRY& entry);

// The storage of index entries (the store's reserved-memory array, or a
// vector in tests).
class IRecordIndex {
public:
    virtual ~IRecordIndex() = default;
    virtual uint32_t GetCount() const = 0;
    // Appends one entry; false when the storage cannot grow.
    virtual bool Append(const RECORD_INDEX_ENTRY& entry) = 0;
    // The entry at index (index < GetCount()).
    virtual RECORD_INDEX_ENTRY* GetAt(uint32_t index) = 0;
};

// Index storage in a plain vector: tests, the fuzzer and tools.
class CVectorRecordIndex : public IRecordIndex {
public:
    uint32_t GetCount() const override { return static_cast<uint32_t>(entries_.size()); }
    bool Append(const RECORD_INDEX_ENTRY& entry) override {
        entries_.push_back(entry);
        return true;
    }
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) override { return &entries_[index]; }
    const std::vector<RECORD_INDEX_ENTRY>& entries() const { return entries_; }
    void Clear() { entries_.clear(); }

private:
    std::vector<RECORD_INDEX_ENTRY> entries_;
};

enum class CommitStatus : uint8_t {
    Ok,            // the whole window was walked
    Stopped,       // a record size below the header or past the window ended the walk
    OutOfMemory,   // the index or a map could not grow
};

struct CommitResult {
    CommitStatus status = CommitStatus::Ok;
    uint32_t consumed = 0;   // bytes of whole records walked from the window start
    uint32_t indexed = 0;    // entries appended
};

// The smallest record the walk accepts: the layout's request offset, and
// never below the eight bytes of size, type and sequence number.
uint32_t MinimumRecordSize(const RECORD_LAYOUT& layout);

// The commit walk and the maps it keeps between windows.
class CRecordIndexer {
public:
    // The sequence map folds its newest numbers into runs every
    // `recentSequences` records or so; tests and the fuzzer pass a small
    // count, so that they fold often.
    explicit CRecordIndexer(size_t recentSequences = CSequenceMap::kDefaultRecent);

    // Walks the records in [window, window + count): builds an entry for each,
    // with position = basePosition + its offset in the window, appends it,
    // maps its sequence number to its index (a later record with the same
    // number takes the slot over), and links a completion to its issue record
    // when that was indexed before it. The walk stops at a record whose size
    // is below MinimumRecordSize or larger than the bytes left, or when the
    // storage fails; consumed then says where. Callers check count against the
    // request offset first.
    CommitResult Commit(const uint8_t* window, uint32_t count, uint32_t basePosition, const RECORD_LAYOUT& layout,
                        IRecordIndex& index);

    // One record of `bytes` bytes (at least its size field; reads stay inside
    // min(bytes, size)) at a position: builds its entry, links a completion
    // to its issue record indexed before it, appends the entry and maps its
    // sequence number. With shareWrapperFlags (an opened file) the link also
    // copies the command-wrapper flag to the completion and the
    // completion's status-wrapper flag to the issue.
    struct IndexRecordResult {
        bool appended = false;
        bool outOfMemory = false;   // the storage or a map could not grow
    };
    IndexRecordResult IndexRecord(const uint8_t* record, uint32_t bytes, uint32_t position,
                                  const RECORD_LAYOUT& layout, IRecordIndex& index, bool shareWrapperFlags = false);

    // Empties the three maps (the index is the caller's).
    void Clear();
    // Empties the pending-command and device-kind maps (after an opened
    // file's index is built; the sequence map stays).
    void ClearMassStorage();

    const SequenceMap& sequences() const { return sequences_; }
    const PendingCommandMap& pendingCommands() const { return pending_; }
    const DeviceKindMap& deviceKinds() const { return deviceKinds_; }

private:
    SequenceMap sequences_;
    PendingCommandMap pending_;
    DeviceKindMap deviceKinds_;
};

// Receives the blocks of a driver notification buffer (DRIVER_NOTIFICATION:
// DWORD size, DWORD kind, body). The store forwards them to its tables.
class IDriverNotificationSink {
public:
    virtual ~IDriverNotificationSink() = default;
    virtual void AddDeviceNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) = 0;    // kind 1
    virtual void AddDriverNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) = 0;    // kind 3
    virtual void AddHidDescriptors(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) = 0; // kind 10
};

enum : uint32_t {
    NOTIFY_DEVICE_NAMES = 1,
    NOTIFY_DRIVER_NAMES = 3,
    NOTIFY_HID_DESCRIPTORS = 10,
};

// Walks the blocks of one notification buffer and hands kinds 1, 3 and 10 to
// the sink; other kinds and header-only blocks are skipped. A buffer or first block not larger than
// the header is ignored; the walk stops at a block whose size is below the
// header or larger than the bytes left. Returns whether a block was handed on.
bool WalkDriverNotifications(const uint8_t* buffer, size_t length, const RECORD_LAYOUT& layout,
                             IDriverNotificationSink& sink);

} // namespace brx
