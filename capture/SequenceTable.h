// Record sequence numbers -> record indexes, the newest part of the sequence
// map (capture/SequenceMap.h): an open-addressing table with linear probing
// over one flat array, so that neither an insert nor a lookup allocates.
// Sequence numbers mostly come in runs, so groups of 8 consecutive numbers
// share one cache line of slots; where a group goes is decided by a hash with
// a per-table random seed, so that crafted numbers cannot pile up into one
// long probe run. Groups are kept that short because two groups that land on
// the same slots make every key of the second probe past the whole first.
// Pure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brx {

class CSequenceTable {
public:
    // An empty table that holds `entries` entries before it first grows.
    explicit CSequenceTable(size_t entries = 0);

    // Maps key to value; a key already present takes the new value. Throws
    // std::bad_alloc when the table would have to grow beyond memory or
    // beyond the largest capacity it can address.
    void Insert(uint32_t key, uint32_t value) {
        if (key == kEmptyKey) {
            hasEmptyKey_ = true;
            emptyKeyValue_ = value;
            return;
        }
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            SLOT& s = slots_[i];
            if (s.key == key) {
                s.value = value;
                return;
            }
            if (s.key == kEmptyKey) {
                if (used_ >= limit_) break;   // full: grow, then place it
                s.key = key;
                s.value = value;
                ++used_;
                return;
            }
        }
        Grow();
        Place(key, value);
        ++used_;
    }

    // The value of key, if it is present.
    bool Find(uint32_t key, uint32_t& value) const {
        if (key == kEmptyKey) {
            value = emptyKeyValue_;
            return hasEmptyKey_;
        }
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            const SLOT& s = slots_[i];
            if (s.key == key) {
                value = s.value;
                return true;
            }
            if (s.key == kEmptyKey) return false;
        }
    }

    // Makes room for `entries` entries without further growth (may throw
    // std::bad_alloc as Insert does).
    void Reserve(size_t entries);

    // Forgets every entry and keeps the slots for reuse.
    void Clear();

    size_t GetCount() const { return used_ + (hasEmptyKey_ ? 1 : 0); }
    // The number of slots (a power of two); entries fit up to 3/4 of it.
    size_t GetCapacity() const { return slots_.size(); }

private:
    struct SLOT {
        uint32_t key;
        uint32_t value;
    };
    // Marks a free slot; the entry with this key is held beside the slots.
    static constexpr uint32_t kEmptyKey = 0;
    static constexpr uint32_t kRunBits = 3;   // 8 consecutive keys share a cache line

    size_t Home(uint32_t key) const {
        uint32_t h = (key >> kRunBits) ^ seed_;
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
        return ((static_cast<size_t>(h) << kRunBits) | (key & ((1u << kRunBits) - 1))) & mask_;
    }
    void Grow();
    void Rehash(size_t capacity);
    // Puts a key known to be absent into a table known to have room.
    void Place(uint32_t key, uint32_t value);

    std::vector<SLOT> slots_;
    size_t mask_ = 0;
    size_t limit_ = 0;   // the most entries in the slots before growth
    size_t used_ = 0;    // entries in the slots
    uint32_t seed_ = 0;
    bool hasEmptyKey_ = false;
    uint32_t emptyKeyValue_ = 0;
};

} // namespace brx
