#include "capture/RecordIndexArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace brx {

void* CHeapReservedMemory::Reserve(size_t bytes) { return std::malloc(bytes); }

bool CHeapReservedMemory::Commit(void* address, size_t bytes) {
    std::memset(address, 0, bytes);
    return true;
}

void CHeapReservedMemory::Release(void* region, size_t) { std::free(region); }

namespace {

// The smallest multiple of step that is at least x; false when that overflows.
bool RoundUp(size_t x, size_t step, size_t& out) {
    if (step == 0) {
        out = x;
        return true;
    }
    const size_t r = x % step;
    if (r == 0) {
        out = x;
        return true;
    }
    if (x > SIZE_MAX - (step - r)) return false;
    out = x + (step - r);
    return true;
}

} // namespace

CRecordIndexArray::CRecordIndexArray(IReservedMemory& memory)
    : memory_(memory), commitStep_(size_t{memory.GetPageSize()} * 4), firstCommitStep_(commitStep_) {
    if (!RoundUp(kSegmentBytes, memory.GetGranularity(), segmentReserve_)) segmentReserve_ = kSegmentBytes;
}

void CRecordIndexArray::AdaptCommitStep(size_t bytes) {
    // Commits grow by about an eighth of the array, at most a segment.
    size_t eighth = bytes / 8;
    if (eighth > 0) --eighth;
    size_t rounded;
    if (RoundUp(eighth, commitStep_, rounded)) commitStep_ = std::max(commitStep_, rounded);
    commitStep_ = std::min(commitStep_, kSegmentBytes);
}

void CRecordIndexArray::UpdateCapacity() {
    capacity_ = static_cast<uint32_t>(std::min<uint64_t>(GetCommittedBytes() / kEntrySize, NO_INDEX));
}

void CRecordIndexArray::ReleaseFrom(size_t keep) {
    while (segments_.size() > keep) {
        memory_.Release(segments_.back(), segmentReserve_);
        segments_.pop_back();
        // The segment before a released one was committed whole.
        lastCommitted_ = segments_.empty() ? 0 : kSegmentBytes;
    }
}

void CRecordIndexArray::Free() {
    ReleaseFrom(0);
    count_ = 0;
    capacity_ = 0;
    commitStep_ = firstCommitStep_;
}

void CRecordIndexArray::ZeroEntries(uint32_t from, uint32_t to) {
    while (from < to) {
        const uint32_t segmentEnd = (from | (kSegmentEntries - 1)) + 1;
        const uint32_t stop = to < segmentEnd || segmentEnd == 0 ? to : segmentEnd;
        std::memset(Slot(from), 0, size_t{stop - from} * kEntrySize);
        from = stop;
    }
}

bool CRecordIndexArray::SetCount(uint32_t count) {
    if (count == 0) {
        Free();
        return true;
    }
    if (count <= capacity_) {
        // Dropped entries are zeroed, so committed bytes past the count stay zero.
        if (count < count_) ZeroEntries(count, count_);
        count_ = count;
        return true;
    }

    // Growth: new segments are reserved and committed first, then the rest
    // of the current last segment, so that a failure at any step is undone
    // by releasing the new segments. Memory that the system commits reads
    // as zero.
    const uint64_t wanted = uint64_t{count} * kEntrySize;
    if (wanted > SIZE_MAX / 2) return false;   // beyond the address space
    const size_t oldStep = commitStep_;
    AdaptCommitStep(static_cast<size_t>(wanted));
    const size_t oldSegments = segments_.size();
    const size_t needed = ((count - 1) >> kSegmentShift) + 1;
    // The bytes committed in segment i once it holds `count` entries.
    auto target = [&](size_t i) {
        if (i + 1 < needed) return kSegmentBytes;
        size_t bytes = static_cast<size_t>(wanted - uint64_t{i} * kSegmentBytes), rounded;
        if (!RoundUp(bytes, commitStep_, rounded)) rounded = kSegmentBytes;
        return std::min(rounded, kSegmentBytes);
    };
    const size_t oldLastCommitted = lastCommitted_;
    auto fail = [&] {
        ReleaseFrom(oldSegments);
        lastCommitted_ = oldLastCommitted;
        commitStep_ = oldStep;
        return false;
    };
    try {
        if (segments_.capacity() < needed) segments_.reserve(std::max(needed, segments_.capacity() * 2));
    } catch (...) {
        return fail();
    }
    for (size_t i = oldSegments; i < needed; ++i) {
        uint8_t* segment = static_cast<uint8_t*>(memory_.Reserve(segmentReserve_));
        if (!segment) return fail();
        segments_.push_back(segment);   // no allocation: reserved above
        lastCommitted_ = 0;
        if (!memory_.Commit(segment, target(i))) return fail();
        lastCommitted_ = target(i);
    }
    if (oldSegments) {
        const size_t want = target(oldSegments - 1);
        if (want > oldLastCommitted &&
            !memory_.Commit(segments_[oldSegments - 1] + oldLastCommitted, want - oldLastCommitted))
            return fail();
        if (oldSegments == needed) lastCommitted_ = want;
    }
    count_ = count;
    UpdateCapacity();
    return true;
}

uint32_t CRecordIndexArray::AppendGrowing(const RECORD_INDEX_ENTRY& entry) {
    if (count_ == NO_INDEX) return NO_INDEX;   // that index value means "none"
    const uint32_t index = count_;
    if (!SetCount(index + 1)) return NO_INDEX;
    std::memcpy(Slot(index), &entry, kEntrySize);
    return index;
}

void CRecordIndexArray::Compact() {
    if (count_ == 0) {
        Free();
        return;
    }
    ReleaseFrom(((count_ - 1) >> kSegmentShift) + 1);
    UpdateCapacity();
}

} // namespace brx
