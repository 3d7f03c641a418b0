#include "capture/SequenceMap.h"

#include <algorithm>

namespace brx {

namespace {

// A table or log this many times larger than needed is given back.
constexpr size_t kShrinkFactor = 4;

} // namespace

CSequenceMap::CSequenceMap(size_t recent)
    : minimumFold_(std::max<size_t>(recent, 1)), foldAt_(minimumFold_), recent_(minimumFold_) {
    log_.reserve(foldAt_);
}

bool CSequenceMap::FindInRuns(uint32_t key, uint32_t& value) const {
    auto it = std::upper_bound(runs_.begin(), runs_.end(), key,
                               [](uint32_t k, const RUN& r) { return k < r.firstKey; });
    if (it == runs_.begin()) return false;
    --it;
    if (key > it->lastKey) return false;
    value = it->firstValue + (key - it->firstKey);
    return true;
}

void CSequenceMap::EndTail() {
    for (uint32_t i = 0; i < tailLength_; ++i) recent_.Insert(tail_.key + i, tail_.value + i);
    tailLength_ = 0;
}

namespace {

template <class Run>
void AppendRun(std::vector<Run>& runs, const Run& r) {
    if (!runs.empty()) {
        Run& last = runs.back();
        // Joined when both keys and values go on by one (a run up to the
        // largest key cannot go on).
        if (last.lastKey != UINT32_MAX && last.lastKey + 1 == r.firstKey &&
            last.firstValue + (last.lastKey - last.firstKey + 1) == r.firstValue) {
            last.lastKey = r.lastKey;
            return;
        }
    }
    runs.push_back(r);
}

} // namespace

void CSequenceMap::SortLog() {
    const auto byKey = [](const ENTRY& a, const ENTRY& b) { return a.key < b.key; };
    if (std::is_sorted(log_.begin(), log_.end(), byKey)) return;
    // Numbers a little out of order: an insertion sort (stable) while its
    // moves stay few, then the general sort for whatever is left.
    size_t budget = log_.size() * 4;
    for (size_t i = 1; i < log_.size() && budget; ++i) {
        const ENTRY e = log_[i];
        size_t j = i;
        for (; j > 0 && log_[j - 1].key > e.key && budget; --j, --budget) log_[j] = log_[j - 1];
        log_[j] = e;
    }
    if (!std::is_sorted(log_.begin(), log_.end(), byKey)) std::stable_sort(log_.begin(), log_.end(), byKey);
}

void CSequenceMap::SizeFor(size_t entries) {
    if (log_.capacity() < entries) log_.reserve(entries);
    if (recent_.GetCapacity() / 4 * 3 < entries) recent_.Reserve(entries);
}

void CSequenceMap::Fold() {
    // Everything up to the exchange below may throw; the map stays as it was
    // (the log only gets sorted, keeping the order of equal keys).
    SortLog();

    // The log as runs: of equal keys the last one counts.
    fresh_.clear();
    for (size_t i = 0; i < log_.size(); ++i) {
        if (i + 1 < log_.size() && log_[i + 1].key == log_[i].key) continue;
        AppendRun(fresh_, RUN{log_[i].key, log_[i].key, log_[i].value});
    }

    // The old runs with the new ones laid over them: where they overlap the
    // new value counts.
    merged_.clear();
    size_t j = 0;
    for (const RUN& o : runs_) {
        while (j < fresh_.size() && fresh_[j].lastKey < o.firstKey) AppendRun(merged_, fresh_[j++]);
        uint32_t lo = o.firstKey;   // o from lo on is still to place
        for (;;) {
            if (j < fresh_.size() && fresh_[j].firstKey <= o.lastKey) {
                const RUN& f = fresh_[j];
                if (f.firstKey > lo) AppendRun(merged_, RUN{lo, f.firstKey - 1, o.firstValue + (lo - o.firstKey)});
                if (f.lastKey >= o.lastKey) break;   // f covers the rest of o (and maybe more runs)
                AppendRun(merged_, f);
                ++j;
                lo = f.lastKey + 1;
            } else {
                AppendRun(merged_, RUN{lo, o.lastKey, o.firstValue + (lo - o.firstKey)});
                break;
            }
        }
    }
    while (j < fresh_.size()) AppendRun(merged_, fresh_[j++]);

    // The next fold comes after at least as many entries as there are runs,
    // so that folding costs a bounded amount per entry even when the numbers
    // make no runs at all.
    const size_t next = std::max(minimumFold_, merged_.size());
    SizeFor(next);

    runs_.swap(merged_);
    recent_.Clear();
    tailLength_ = 0;
    log_.clear();
    foldAt_ = next;
}

void CSequenceMap::Clear() {
    recent_.Clear();
    tailLength_ = 0;
    log_.clear();
    runs_.clear();
    fresh_.clear();
    merged_.clear();
    foldAt_ = minimumFold_;
    // Memory that crafted numbers made grow goes back; when that fails the
    // larger table and log simply stay.
    std::vector<RUN>().swap(runs_);
    std::vector<RUN>().swap(fresh_);
    std::vector<RUN>().swap(merged_);
    try {
        if (log_.capacity() > minimumFold_ * kShrinkFactor) {
            std::vector<ENTRY> log;
            log.reserve(minimumFold_);
            log_.swap(log);
        }
        if (recent_.GetCapacity() / 4 * 3 > minimumFold_ * kShrinkFactor) recent_ = CSequenceTable(minimumFold_);
    } catch (...) {
    }
}

uint64_t CSequenceMap::GetCount() const {
    uint64_t count = 0;
    for (const RUN& r : runs_) count += uint64_t{r.lastKey} - r.firstKey + 1;
    std::vector<uint32_t> keys;
    keys.reserve(log_.size());
    for (const ENTRY& e : log_) keys.push_back(e.key);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    uint32_t ignored;
    for (uint32_t key : keys)
        if (!FindInRuns(key, ignored)) ++count;
    return count;
}

} // namespace brx
