// A map from a 64-bit key with an 8-bit tag to a 32-bit value, for tables
// whose keys come from files anyone can craft: open addressing over one
// array (a lookup or insertion touches one or two cache lines, whatever the
// keys), every key bit mixed into the slot, the first value of a key kept.
// Growth doubles the array at half load, so n insertions take time in
// proportion to n.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brx {

// Room for one more element in a vector, growing it geometrically (as
// push_back would), so that the push_back after it cannot throw.
template <class Vector>
void ReserveOneMore(Vector& v) {
    if (v.size() == v.capacity()) v.reserve(v.capacity() < 8 ? 8 : v.capacity() * 2);
}

class CKeyIndex {
public:
    // The value of (key, tag), or null.
    const uint32_t* Find(uint64_t key, uint8_t tag = 0) const {
        if (slots_.empty()) return nullptr;
        for (size_t i = SlotOf(key, tag);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot& s = slots_[i];
            if (!s.used) return nullptr;
            if (s.key == key && s.tag == tag) return &s.value;
        }
    }
    // Adds (key, tag) with the value unless present; true when added. Throws
    // std::bad_alloc when it cannot grow (the index is then unchanged).
    bool Insert(uint64_t key, uint8_t tag, uint32_t value) {
        ReserveOne();
        for (size_t i = SlotOf(key, tag);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& s = slots_[i];
            if (!s.used) {
                s = Slot{key, value, tag, 1};
                ++count_;
                return true;
            }
            if (s.key == key && s.tag == tag) return false;
        }
    }
    // Room for one more key, so that the next Insert cannot throw.
    void ReserveOne() {
        if ((count_ + 1) * 2 > slots_.size()) Grow(slots_.empty() ? 16 : slots_.size() * 2);
    }
    // Room for `more` keys beyond those held, in one step: callers that know
    // how many keys come (as many as their input can hold) spare the steps
    // of growing one doubling at a time.
    void Reserve(size_t more) {
        size_t size = slots_.empty() ? 16 : slots_.size();
        while ((count_ + more) * 2 > size) size *= 2;
        if (size != slots_.size()) Grow(size);
    }
    size_t Count() const { return count_; }
    void Clear() {
        std::vector<Slot>().swap(slots_);
        count_ = 0;
    }

private:
    struct Slot {
        uint64_t key;
        uint32_t value;
        uint8_t tag;
        uint8_t used;
    };
    size_t SlotOf(uint64_t key, uint8_t tag) const {
        uint64_t v = key ^ (uint64_t{tag} << 56) ^ (uint64_t{tag} * 0x9E3779B97F4A7C15ull);
        v ^= v >> 33;   // the finaliser of MurmurHash3
        v *= 0xFF51AFD7ED558CCDull;
        v ^= v >> 33;
        v *= 0xC4CEB9FE1A85EC53ull;
        v ^= v >> 33;
        return static_cast<size_t>(v) & (slots_.size() - 1);
    }
    void Grow(size_t size) {
        std::vector<Slot> old(size, Slot{0, 0, 0, 0});
        old.swap(slots_);
        count_ = 0;
        for (const Slot& s : old)
            if (s.used) Insert(s.key, s.tag, s.value);
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

} // namespace brx
