// The growable array of 36-byte record index entries. It lives in segments
// of reserved memory, each reserved once and committed in steps as the array
// grows, so that millions of entries grow without ever being copied and
// without needing one large free range of addresses (which a 32-bit process
// with a large scratch file may not have). The array takes no lock: the
// capture store serialises every call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/Record.h"

namespace brx {

// Reserved address space with pages committed on request (VirtualAlloc on
// Windows; a heap block for the native tests and tools).
class IReservedMemory {
public:
    virtual ~IReservedMemory() = default;
    virtual uint32_t GetPageSize() const = 0;
    virtual uint32_t GetGranularity() const = 0;
    // A region of bytes reserved (a multiple of the granularity); null on failure.
    virtual void* Reserve(size_t bytes) = 0;
    // Commits [address, address + bytes) inside a reservation; committed
    // bytes read as zero the first time. False on failure.
    virtual bool Commit(void* address, size_t bytes) = 0;
    virtual void Release(void* region, size_t bytes) = 0;
};

// Portable reservation: a heap block holds the whole region.
class CHeapReservedMemory final : public IReservedMemory {
public:
    uint32_t GetPageSize() const override { return 4096; }
    uint32_t GetGranularity() const override { return 65536; }
    void* Reserve(size_t bytes) override;
    bool Commit(void* address, size_t bytes) override;
    void Release(void* region, size_t bytes) override;
};

class CRecordIndexArray {
public:
    static constexpr uint32_t kEntrySize = sizeof(RECORD_INDEX_ENTRY);
    // Entries per segment: a power of two, so that finding an entry is a
    // shift and a mask. 16,384 entries are 576 KB, nine 64 KB granules.
    static constexpr uint32_t kSegmentShift = 14;
    static constexpr uint32_t kSegmentEntries = 1u << kSegmentShift;
    static constexpr size_t kSegmentBytes = size_t{kSegmentEntries} * kEntrySize;

    explicit CRecordIndexArray(IReservedMemory& memory);
    ~CRecordIndexArray() { Free(); }
    CRecordIndexArray(const CRecordIndexArray&) = delete;
    CRecordIndexArray& operator=(const CRecordIndexArray&) = delete;

    // Sets the number of entries; new entries are zero. False when memory for
    // them could not be reserved or committed: the array is then unchanged.
    bool SetCount(uint32_t count);
    // Appends a copy of the entry and returns its index; NO_INDEX when the
    // array could not grow (nothing is written then).
    uint32_t Append(const RECORD_INDEX_ENTRY& entry) {
        if (count_ < capacity_) {
            std::memcpy(Slot(count_), &entry, kEntrySize);
            return count_++;
        }
        return AppendGrowing(entry);
    }

    uint32_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    // The entry at index; null for an index not below the count.
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) {
        return index < count_ ? reinterpret_cast<RECORD_INDEX_ENTRY*>(Slot(index)) : nullptr;
    }
    const RECORD_INDEX_ENTRY* GetAt(uint32_t index) const {
        return const_cast<CRecordIndexArray*>(this)->GetAt(index);
    }

    // Gives back the segments beyond the last entry.
    void Compact();
    // Releases every segment; the array is empty.
    void Free();

    size_t GetReservedBytes() const { return segments_.size() * segmentReserve_; }
    size_t GetCommittedBytes() const {
        return segments_.empty() ? 0 : (segments_.size() - 1) * kSegmentBytes + lastCommitted_;
    }
    size_t GetCommitStep() const { return commitStep_; }
    // The reservation of one segment.
    size_t GetReserveStep() const { return segmentReserve_; }
    size_t GetSegmentCount() const { return segments_.size(); }

private:
    uint8_t* Slot(uint32_t index) const {
        return segments_[index >> kSegmentShift] + size_t{index & (kSegmentEntries - 1)} * kEntrySize;
    }
    uint32_t AppendGrowing(const RECORD_INDEX_ENTRY& entry);
    void AdaptCommitStep(size_t bytes);
    // Zeroes the entries [from, to).
    void ZeroEntries(uint32_t from, uint32_t to);
    // Releases the segments from `keep` on.
    void ReleaseFrom(size_t keep);
    void UpdateCapacity();

    IReservedMemory& memory_;
    // Every segment but the last is committed whole; committed bytes past
    // the count are zero.
    std::vector<uint8_t*> segments_;
    size_t lastCommitted_ = 0;   // bytes committed in the last segment
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;      // entries that fit in the committed bytes
    size_t segmentReserve_;
    size_t commitStep_;
    size_t firstCommitStep_;
};

} // namespace brx
