// The growable array of 36-byte record index entries. It lives in one
// reserved region whose pages are committed in steps as the array grows, so
// that millions of entries grow without copying; only a reservation that is
// too small moves the entries to a larger one, half as large again, so that
// moves stay rare. The array takes no lock: the
// capture store serialises every call.
#pragma once
#include <cstddef>
#include <cstdint>

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

    explicit CRecordIndexArray(IReservedMemory& memory);
    ~CRecordIndexArray() { Free(); }
    CRecordIndexArray(const CRecordIndexArray&) = delete;
    CRecordIndexArray& operator=(const CRecordIndexArray&) = delete;

    // Sets the number of entries; new entries are zero. False when memory for
    // them could not be reserved or committed: the array is then unchanged.
    bool SetCount(uint32_t count);
    // Appends a copy of the entry and returns its index; NO_INDEX when the
    // array could not grow (nothing is written then).
    uint32_t Append(const RECORD_INDEX_ENTRY& entry);

    uint32_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    // The entry at index; null for an index not below the count.
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) {
        return index < count_ ? reinterpret_cast<RECORD_INDEX_ENTRY*>(data_ + size_t{index} * kEntrySize) : nullptr;
    }
    const RECORD_INDEX_ENTRY* GetAt(uint32_t index) const {
        return const_cast<CRecordIndexArray*>(this)->GetAt(index);
    }
    const RECORD_INDEX_ENTRY* GetData() const { return reinterpret_cast<const RECORD_INDEX_ENTRY*>(data_); }

    // Shrinks the reservation to fit the entries.
    void Compact();
    // Releases the region; the array is empty.
    void Free();

    size_t GetReservedBytes() const { return reserved_; }
    size_t GetCommittedBytes() const { return committed_; }
    size_t GetCommitStep() const { return commitStep_; }
    size_t GetReserveStep() const { return reserveStep_; }

private:
    void AdaptCommitStep(size_t bytes);
    // Moves the entries into a new region of the given sizes.
    bool MoveTo(size_t reserve, size_t commit);

    IReservedMemory& memory_;
    uint8_t* data_ = nullptr;
    uint32_t count_ = 0;
    size_t reserved_ = 0;
    size_t committed_ = 0;   // zero beyond count_ entries
    size_t reserveStep_;
    size_t commitStep_;
    size_t firstCommitStep_;
};

} // namespace brx
