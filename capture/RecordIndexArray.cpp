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
    : memory_(memory),
      reserveStep_(size_t{memory.GetGranularity()} * 4),
      commitStep_(size_t{memory.GetPageSize()} * 4),
      firstCommitStep_(commitStep_) {}

void CRecordIndexArray::AdaptCommitStep(size_t bytes) {
    // Commits grow by about an eighth of the array, at most a reserve step.
    size_t eighth = bytes / 8;
    if (eighth > 0) --eighth;
    size_t rounded;
    if (RoundUp(eighth, commitStep_, rounded)) commitStep_ = std::max(commitStep_, rounded);
    commitStep_ = std::min(commitStep_, reserveStep_);
}

void CRecordIndexArray::Free() {
    if (data_) memory_.Release(data_, reserved_);
    data_ = nullptr;
    count_ = 0;
    reserved_ = 0;
    committed_ = 0;
    commitStep_ = firstCommitStep_;
}

bool CRecordIndexArray::MoveTo(size_t reserve, size_t commit) {
    uint8_t* region = static_cast<uint8_t*>(memory_.Reserve(reserve));
    if (!region) return false;
    if (!memory_.Commit(region, commit)) {
        memory_.Release(region, reserve);
        return false;
    }
    const size_t used = size_t{count_} * kEntrySize;
    if (used) std::memcpy(region, data_, used);
    std::memset(region + used, 0, commit - used);
    if (data_) memory_.Release(data_, reserved_);
    data_ = region;
    reserved_ = reserve;
    committed_ = commit;
    return true;
}

bool CRecordIndexArray::SetCount(uint32_t count) {
    if (count == 0) {
        Free();
        return true;
    }
    const uint64_t wanted = uint64_t{count} * kEntrySize;
    if (wanted > SIZE_MAX / 2) return false;   // beyond the address space
    const size_t bytes = static_cast<size_t>(wanted);
    const size_t used = size_t{count_} * kEntrySize;

    if (bytes <= committed_) {
        // Dropped entries are zeroed, so committed bytes past the count stay zero.
        if (bytes < used) std::memset(data_ + bytes, 0, used - bytes);
        count_ = count;
        return true;
    }

    const size_t oldStep = commitStep_;
    AdaptCommitStep(bytes);
    size_t commit;
    if (!RoundUp(bytes, commitStep_, commit)) {
        commitStep_ = oldStep;
        return false;
    }
    if (bytes > reserved_) {
        // No region yet, or one too small: a new region, entries moved into it.
        // The new region is half as large again as the old one (at least what
        // is needed), so that a growing capture moves its entries a
        // logarithmic number of times rather than once every reserve step,
        // which would copy the whole array again and again. When that much
        // cannot be reserved, just what is needed.
        size_t reserve, roomy = 0;
        if (!RoundUp(bytes, reserveStep_, reserve)) {
            commitStep_ = oldStep;
            return false;
        }
        if (reserved_ <= SIZE_MAX / 3 && RoundUp(reserved_ + reserved_ / 2, reserveStep_, roomy) && roomy > reserve &&
            MoveTo(roomy, std::min(commit, roomy))) {
            count_ = count;
            return true;
        }
        if (!MoveTo(reserve, std::min(commit, reserve))) {
            commitStep_ = oldStep;
            return false;
        }
    } else {
        // More of the reservation committed; never past its end.
        commit = std::min(commit, reserved_);
        if (!memory_.Commit(data_ + committed_, commit - committed_)) {
            commitStep_ = oldStep;
            return false;
        }
        std::memset(data_ + committed_, 0, commit - committed_);
        committed_ = commit;
    }
    count_ = count;
    return true;
}

uint32_t CRecordIndexArray::Append(const RECORD_INDEX_ENTRY& entry) {
    if (count_ == NO_INDEX) return NO_INDEX;   // that index value means "none"
    const uint32_t index = count_;
    if (committed_ < (size_t{index} + 1) * kEntrySize) {
        if (!SetCount(index + 1)) return NO_INDEX;
    } else {
        count_ = index + 1;
    }
    std::memcpy(data_ + size_t{index} * kEntrySize, &entry, kEntrySize);
    return index;
}

void CRecordIndexArray::Compact() {
    if (count_ == 0) {
        Free();
        return;
    }
    const size_t bytes = size_t{count_} * kEntrySize;
    size_t reserve, commit;
    if (!RoundUp(bytes, reserveStep_, reserve) || reserve >= reserved_) return;
    if (!RoundUp(bytes, commitStep_, commit)) return;
    MoveTo(reserve, std::min(commit, reserve));   // on failure the old region stays
}

} // namespace brx
