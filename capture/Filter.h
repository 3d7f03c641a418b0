// The record filter: while applied, the capture list shows only the records of
// the active log that meet the filter's criteria, and every reader that
// addresses records by list row goes through the row accessors here, which
// translate a row into a record index. The log reports each change of its
// contents (OnLogNotify); the filter brings its rows up to date and passes the
// change on to the capture list as WM_LOGCHANGED.
//
// Threads: the user-interface thread (commands, dialogs, row accessors, codes
// 1, 2, 5) and the capture reader thread (codes 3, 4, 6). The rows lock guards
// the rows, the applied flag's changes and the criteria; it is taken before
// the log's store lock and never while that is held. While applied, code 4
// tests only the records appended since the last look, so an append costs in
// proportion to what was appended; the rows stay equal to a full filtering of
// the log.
//
// Notices are coalesced: a code is posted only while no notice of that code
// waits for the receiver, which takes it (TakeNotify) before it reads the
// log's state. However fast the reader appends, the list's queue holds at
// most one notice of each code, and since the receiver reads the state as it
// is when it handles a notice, none that changes the state is lost: a notice
// that was not posted is covered by the one that waits. A post the target
// refuses is owed and goes out with the next notice of any code.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "capture/FilterIndexArray.h"
#include "capture/FilterLog.h"
#include "capture/MatchCriteria.h"
#include "capture/MessageTarget.h"

namespace brx {

// WM_USER + 167: wParam = change code, lParam = 0.
constexpr uint32_t WM_LOGCHANGED = 0x0400 + 167;

// Change codes of the capture log.
enum : uint32_t {
    LOG_NOTIFY_NEW = 1,      // a new empty temporary log is ready
    LOG_NOTIFY_OPENED = 2,   // a capture file was opened into the log
    LOG_NOTIFY_BEFORE = 3,   // before a write window is handed out or a commit
    LOG_NOTIFY_AFTER = 4,    // after it (also posted by Apply)
    LOG_NOTIFY_CLEARED = 5,  // the log was cleared or closed
    LOG_NOTIFY_FULL = 6,     // a write window was refused with LOG_E_FULL, after 4
};

constexpr uint32_t NO_ROW = 0xFFFFFFFFu;
// The result of a row accessor for a row that has no record (nothing read).
constexpr HRESULT32 FILTER_S_NO_RECORD = 1;
// Bytes of a record that a match sees.
constexpr uint32_t FILTER_MATCH_VIEW_SIZE = 612;

class CFilter {
public:
    // Gives the active log or null; called on both threads.
    using LogSource = std::function<IFilterLog*()>;

    CFilter();
    virtual ~CFilter() = default;
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;

    // Set once at start-up, before a capture can run.
    void SetLogSource(LogSource source);
    // The capture list's target (null: nothing is posted). A new target has
    // no notice waiting.
    void SetNotifyTarget(IMessageTarget* target) {
        target_.store(target);
        owed_.store(0);
        pending_.store(0);
    }

    uint32_t IsApplied() const { return applied_.load(); }
    // How many times the rows were rebuilt from the whole log (for tests and
    // the status of long rebuilds).
    uint32_t GetRebuildCount() const { return rebuilds_.load(); }

    // Registry (Windows only): the current criteria in value "0" of
    // "FilterSettings", and the named presets.
    int LoadCriteria();
    int SaveCriteria();
    int DeletePreset(const wchar_t* name);
    void EnumPresets(PresetCallback callback, void* userData);

    int GetCriteriaImage(uint8_t* out, size_t size);
    // Loads an image (CMatchCriteria::SetImage); when it loads and the filter
    // is applied, the rows are rebuilt with it. Posts nothing.
    int SetCriteria(const uint8_t* image, size_t size);

    // Switches the filter on (rows rebuilt from the whole log) or off (rows
    // emptied), then posts code 4. The caller shows a wait cursor.
    void Apply(uint32_t on);

    // A change of the active log: acts on it, then posts the code. Codes
    // outside 1..6 are neither acted on nor posted.
    void OnLogNotify(uint32_t code);
    // Posts WM_LOGCHANGED with the code unless a notice of that code waits
    // for the receiver already; first posts again what is owed. Codes
    // outside 1..6 are not posted.
    void PostNotify(uint32_t code, intptr_t lParam);
    // The receiver took the notice of this code off its queue (call it
    // before reading the log's state): the next change of that kind is
    // posted again.
    void TakeNotify(uint32_t code);
    // Posts again what the target refused (nothing when nothing is owed).
    void RepostOwed();
    // Whether a notice of this code was posted and not taken yet, or is owed.
    bool IsNotifyPending(uint32_t code) const;

    // Row accessors.
    uint32_t GetRowCount();
    // The record index of a row: applied, the row's record or NO_INDEX past
    // the rows; not applied, the row itself.
    uint32_t RowToRecord(uint32_t row);
    // The log's result, or FILTER_S_NO_RECORD (entry or view reset, nothing
    // read) for a row without a record or without an active log.
    HRESULT32 GetIndexEntry(uint32_t row, RECORD_INDEX_ENTRY& entry);
    HRESULT32 ReadRecord(uint32_t row, CRecordView& view);
    HRESULT32 ReadRecordData(uint32_t row, CRecordPairView& pair);
    // 1 when record `index` of the active log can be read and meets the criteria.
    int MatchRecord(uint32_t index);
    // The row whose record has the sequence number (rows are in ascending
    // sequence order), or NO_ROW.
    uint32_t FindRowBySequence(uint32_t sequence);
    // The sequence numbers of the first and the last row (both 0 first); 1
    // when done, 0 without rows or when a read fails.
    int GetSequenceRange(uint32_t& first, uint32_t& last);

private:
    IFilterLog* ActiveLog() const { return source_ ? source_() : nullptr; }
    // Posts what is owed, then `code` (0: none) unless one of it waits.
    void Deliver(uint32_t code, intptr_t lParam);
    // These run with the rows lock held.
    void EmptyRows();
    void Rebuild();
    void Grow();
    bool Translate(uint32_t row, uint32_t& index, IFilterLog*& log);
    template <class Read>
    HRESULT32 ReadRow(uint32_t row, Read&& read);
    HRESULT32 ReadSequence(uint32_t row, uint32_t& sequence);

    std::mutex rowsLock_;
    std::atomic<uint32_t> applied_{0};
    std::atomic<uint32_t> rebuilds_{0};
    CFilterSettings criteria_;
    std::atomic<IMessageTarget*> target_{nullptr};
    // One bit per code (1 << code): posted and not taken yet, or owed.
    std::atomic<uint32_t> pending_{0};
    // The codes whose post the target refused; posted with the next notice.
    std::atomic<uint32_t> owed_{0};
    LogSource source_;
    CFilterIndexArray rows_;        // passing record indices, ascending
    uint32_t checked_ = 0;          // records of lastLog_ tested so far
    IFilterLog* lastLog_ = nullptr; // the log the rows were taken from
};

// The one filter of the program.
CFilter& GetRecordFilter();

} // namespace brx
