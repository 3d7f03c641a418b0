// The record filter's rows: record indices in blocks of a fixed size, so that
// appending never moves the rows already held (an append costs the same at
// ten million rows as at ten) and emptying gives all memory back. The filter
// guards it with its rows lock.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace brx {

class CFilterIndexArray {
public:
    static constexpr uint32_t kBlockBits = 14;
    static constexpr uint32_t kBlockSize = 1u << kBlockBits;   // entries per block

    uint32_t GetSize() const { return size_; }
    bool IsEmpty() const { return size_ == 0; }
    // The entry at index (index < GetSize()).
    uint32_t GetAt(uint32_t index) const { return blocks_[index >> kBlockBits][index & (kBlockSize - 1)]; }
    // Appends one entry; throws std::bad_alloc when no block can be had (the
    // array is then unchanged).
    void Append(uint32_t value) {
        if ((size_ >> kBlockBits) == blocks_.size()) {
            blocks_.reserve(blocks_.size() + 1);
            blocks_.emplace_back(new uint32_t[kBlockSize]);
        }
        blocks_[size_ >> kBlockBits][size_ & (kBlockSize - 1)] = value;
        ++size_;
    }
    // Empties the array and releases its memory.
    void RemoveAll() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        size_ = 0;
    }

private:
    std::vector<std::unique_ptr<uint32_t[]>> blocks_;
    uint32_t size_ = 0;
};

} // namespace brx
