// Record sequence number -> record index, for the commit walk: every number
// ever mapped keeps its latest index (a later record with the same number
// takes it over), in memory that stays about the size of the records in
// flight when the numbers come as a driver gives them.
//
// The numbers mapped since the last fold sit in a log of the order they came
// in; the newest of them, as long as keys and values go on by one, form the
// tail, and the older ones are also in a small open-addressing table. When
// the log is full, its entries are folded into runs: sorted, non-overlapping
// ranges of numbers that map to consecutive indexes. A driver numbers its
// records one after the other, so a whole capture folds into a handful of
// runs, the tail takes nearly every number, and the table stays the same few
// hundred KB however many records come; numbers in any other order are kept
// just as well, as more runs. Lookups try the tail, the table and the runs,
// newest first. Pure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/SequenceTable.h"

namespace brx {

class CSequenceMap {
public:
    // Numbers mapped between two folds at least (the table's size).
    static constexpr size_t kDefaultRecent = 16384;

    explicit CSequenceMap(size_t recent = kDefaultRecent);

    // Maps key to value; a key already present takes the new value. Throws
    // std::bad_alloc when a fold needs memory it cannot get: the map is then
    // unchanged.
    void Insert(uint32_t key, uint32_t value) {
        if (log_.size() >= foldAt_) Fold();
        // The log and the table have room for foldAt_ entries: neither
        // allocates here.
        log_.push_back(ENTRY{key, value});
        if (tailLength_ && key - tail_.key == tailLength_ && key != 0 &&
            value - tail_.value == tailLength_) {
            ++tailLength_;
            return;
        }
        EndTail();
        tail_ = ENTRY{key, value};
        tailLength_ = 1;
    }

    // The latest value of key, if it was ever mapped.
    bool Find(uint32_t key, uint32_t& value) const {
        if (key - tail_.key < tailLength_) {
            value = tail_.value + (key - tail_.key);
            return true;
        }
        return recent_.Find(key, value) || FindInRuns(key, value);
    }

    // Forgets every entry; memory beyond the first size is given back.
    void Clear();

    // The number of distinct keys (counts them: for tests and diagnostics).
    uint64_t GetCount() const;
    bool IsEmpty() const { return log_.empty() && runs_.empty(); }
    // What the map holds memory for: the runs, and the slots of its table.
    size_t GetRunCount() const { return runs_.size(); }
    size_t GetTableCapacity() const { return recent_.GetCapacity(); }

private:
    struct ENTRY {
        uint32_t key;
        uint32_t value;
    };
    // Keys firstKey..lastKey map to firstValue, firstValue + 1, ...
    struct RUN {
        uint32_t firstKey;
        uint32_t lastKey;
        uint32_t firstValue;
    };

    bool FindInRuns(uint32_t key, uint32_t& value) const;
    // Moves the tail's entries into the table.
    void EndTail();
    // Folds the log into the runs; the table and the log start empty.
    void Fold();
    // Sorts the log by key, keeping the order of equal keys.
    void SortLog();
    // Sizes the table and the log for `entries` between folds.
    void SizeFor(size_t entries);

    const size_t minimumFold_;
    size_t foldAt_;                 // log entries that trigger a fold
    ENTRY tail_{0, 0};              // the first entry of the tail
    uint32_t tailLength_ = 0;       // entries in the tail
    CSequenceTable recent_;         // the entries since the last fold before the tail
    std::vector<ENTRY> log_;        // the same, in the order they came
    std::vector<RUN> runs_;         // everything folded, sorted by key
    std::vector<RUN> fresh_, merged_;   // the fold's work, kept for reuse
};

} // namespace brx
