#include "capture/SequenceTable.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <random>

namespace brx {

namespace {

constexpr size_t kMinimumCapacity = 16;

// The most entries a capacity holds: three quarters of its slots keep the
// probe runs short.
size_t LimitOf(size_t capacity) { return capacity / 4 * 3; }

uint32_t NewSeed() {
    try {
        std::random_device device;
        return device();
    } catch (...) {
        // Without a random source the table still works; only its defence
        // against crafted numbers is weaker.
        return 0x9E3779B9u;
    }
}

} // namespace

CSequenceTable::CSequenceTable(size_t entries) : seed_(NewSeed()) {
    Rehash(kMinimumCapacity);
    Reserve(entries);
}

void CSequenceTable::Reserve(size_t entries) {
    // Doubling stops before the slot count passes what a vector can hold
    // (max_size() keeps count * sizeof(SLOT) within the address space).
    size_t capacity = slots_.size();
    while (LimitOf(capacity) < entries) {
        if (capacity > slots_.max_size() / 2) throw std::bad_alloc();
        capacity *= 2;
    }
    if (capacity != slots_.size()) Rehash(capacity);
}

void CSequenceTable::Grow() {
    if (slots_.size() > slots_.max_size() / 2) throw std::bad_alloc();
    Rehash(slots_.size() * 2);
}

void CSequenceTable::Rehash(size_t capacity) {
    std::vector<SLOT> old(capacity, SLOT{kEmptyKey, 0});   // may throw: the table is unchanged then
    old.swap(slots_);
    mask_ = capacity - 1;
    limit_ = LimitOf(capacity);
    for (const SLOT& s : old)
        if (s.key != kEmptyKey) Place(s.key, s.value);
}

void CSequenceTable::Place(uint32_t key, uint32_t value) {
    size_t i = Home(key);
    while (slots_[i].key != kEmptyKey) i = (i + 1) & mask_;
    slots_[i] = SLOT{key, value};
}

void CSequenceTable::Clear() {
    if (used_ != 0) std::fill(slots_.begin(), slots_.end(), SLOT{kEmptyKey, 0});
    used_ = 0;
    hasEmptyKey_ = false;
    emptyKeyValue_ = 0;
}

} // namespace brx
