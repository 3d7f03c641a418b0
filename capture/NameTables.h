// Tables from the kernel identity of a device or driver object (two 32-bit
// words) to its UTF-16 name, filled from the driver's name-list blocks and
// written back as one such block (the capture file keeps each table as one
// block in a stream of its own).
//
// Name-list block (little-endian): total size, block kind, item count, 0, then
// from the list header size H of the record layout the items back to back:
// item size, item kind, key0, key1, counted size (name bytes + 6), name bytes,
// the UTF-16 name and a NUL character, padded to a multiple of 4.
//
// Every operation takes the table's own lock for its whole duration; no other
// lock is ever taken while it is held.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "base/KeyIndex.h"
#include "base/Text.h"
#include "capture/Record.h"

namespace brx {

// Block and item kinds of the name lists.
enum : uint32_t {
    NAME_BLOCK_DEVICES = 1,
    NAME_ITEM_DEVICE = 2,
    NAME_BLOCK_DRIVERS = 3,
    NAME_ITEM_DRIVER = 4,
};

constexpr uint32_t NAME_BLOCK_HEADER_SIZE = 16;  // the four header DWORDs
constexpr uint32_t NAME_ITEM_HEADER_SIZE = 20;   // up to and including name bytes
// A name's counted size (name bytes + 6) must fit in 16 bits.
constexpr uint32_t NAME_MAX_BYTES = 0xFFF8;

// Win32 codes ToBlock returns (kept local until the shared result codes exist).
constexpr uint32_t NAME_ERROR_INSUFFICIENT_BUFFER = 122;

// Item size of a name of n bytes: 20 + name + NUL, rounded up to 4.
constexpr uint32_t NameItemSize(uint32_t nameBytes) { return (nameBytes + 25) & ~3u; }

struct OBJECT_KEY {
    uint32_t key0;
    uint32_t key1;
    bool operator==(const OBJECT_KEY&) const = default;
};

// The common table; CDeviceNameHash and CDriverNameHash fix its kinds.
class CNameHash {
public:
    static constexpr uint32_t kBuckets = 64;

    CNameHash(const CNameHash&) = delete;
    CNameHash& operator=(const CNameHash&) = delete;
    virtual ~CNameHash() = default;

    void RemoveAll();

    // Adds a name unless the key is present (the first name stays). Names
    // longer than NAME_MAX_BYTES are refused. True when added.
    bool Add(OBJECT_KEY key, std::u16string_view name);

    // Adds the whole items of a name-list block of this table's kind: the block
    // is ignored when shorter than its header or than it claims, or of another
    // kind; the walk stops at the first item that is not whole inside the
    // block, is shorter than its header, names more bytes than it holds, or is
    // of another kind. Returns the number of names added.
    uint32_t AddFromBlock(const void* block, size_t available, const RECORD_LAYOUT& layout);

    // Copies the name into out (at most capacity characters, NUL included) and
    // returns the characters copied; 0 and an empty string for an unknown key.
    uint32_t Lookup(OBJECT_KEY key, char16_t* out, uint32_t capacity) const;
    // The whole name; false (and an empty name) for an unknown key.
    bool Lookup(OBJECT_KEY key, WString& name) const;

    // Writes every entry as one name-list block: 0 with the block's size in
    // written, or NAME_ERROR_INSUFFICIENT_BUFFER with nothing counted as
    // written when the buffer is too small (the caller retries with more).
    uint32_t ToBlock(void* buffer, size_t size, uint32_t& written, const RECORD_LAYOUT& layout) const;

    size_t GetCount() const;

    uint32_t GetBlockKind() const { return blockKind_; }
    uint32_t GetItemKind() const { return itemKind_; }

protected:
    CNameHash(uint32_t blockKind, uint32_t itemKind) : blockKind_(blockKind), itemKind_(itemKind) {}

private:
    struct Entry {
        OBJECT_KEY key;
        WString name;
    };
    static uint32_t BucketOf(OBJECT_KEY key) { return key.key1 & (kBuckets - 1); }
    uint32_t HeaderSize(const RECORD_LAYOUT& layout) const;
    bool AddLocked(OBJECT_KEY key, std::u16string_view name);
    const Entry* FindLocked(OBJECT_KEY key) const;

    const uint32_t blockKind_;
    const uint32_t itemKind_;
    mutable std::mutex lock_;
    // Each bucket keeps its entries in the order they arrived; blocks are
    // written bucket by bucket in that order.
    std::vector<Entry> buckets_[kBuckets];
    // Beside the buckets: each key's place in its bucket, so that adding and
    // finding a key take constant time however many keys share a bucket.
    // Entries are never removed one by one, so a place never moves.
    CKeyIndex places_;
};

class CDeviceNameHash : public CNameHash {
public:
    CDeviceNameHash() : CNameHash(NAME_BLOCK_DEVICES, NAME_ITEM_DEVICE) {}
};

class CDriverNameHash : public CNameHash {
public:
    CDriverNameHash() : CNameHash(NAME_BLOCK_DRIVERS, NAME_ITEM_DRIVER) {}
};

} // namespace brx
