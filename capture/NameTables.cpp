#include "capture/NameTables.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

namespace {

uint64_t KeyOf(OBJECT_KEY key) { return (uint64_t{key.key0} << 32) | key.key1; }

} // namespace

uint32_t CNameHash::HeaderSize(const RECORD_LAYOUT& layout) const {
    uint32_t h = blockKind_ == NAME_BLOCK_DEVICES ? layout.deviceListHeaderSize : layout.driverListHeaderSize;
    // The items never overlap the four header fields, whatever a layout says.
    return std::max(h, NAME_BLOCK_HEADER_SIZE);
}

const CNameHash::Entry* CNameHash::FindLocked(OBJECT_KEY key) const {
    const uint32_t* place = places_.Find(KeyOf(key));
    return place ? &buckets_[BucketOf(key)][*place] : nullptr;
}

bool CNameHash::AddLocked(OBJECT_KEY key, std::u16string_view name) {
    if (name.size() * 2 > NAME_MAX_BYTES) return false;
    std::vector<Entry>& bucket = buckets_[BucketOf(key)];
    try {
        // Everything that can fail first: once the key is in the index its
        // entry must follow.
        Entry entry{key, WString(name)};
        ReserveOneMore(bucket);
        places_.ReserveOne();
        if (!places_.Insert(KeyOf(key), 0, static_cast<uint32_t>(bucket.size()))) return false;   // the first name stays
        bucket.push_back(std::move(entry));
    } catch (...) {
        return false;   // out of memory: the name is not kept
    }
    return true;
}

bool CNameHash::Add(OBJECT_KEY key, std::u16string_view name) {
    std::lock_guard<std::mutex> guard(lock_);
    return AddLocked(key, name);
}

void CNameHash::RemoveAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& bucket : buckets_) {
        bucket.clear();
        bucket.shrink_to_fit();
    }
    places_.Clear();
}

size_t CNameHash::GetCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    size_t n = 0;
    for (const auto& bucket : buckets_) n += bucket.size();
    return n;
}

uint32_t CNameHash::AddFromBlock(const void* block, size_t available, const RECORD_LAYOUT& layout) {
    const uint32_t h = HeaderSize(layout);
    ByteReader r(block, available);
    uint32_t total, kind, count;
    if (r.size() < h || !r.u32le(0, total) || !r.u32le(4, kind) || !r.u32le(8, count)) return 0;
    if (kind != blockKind_ || total < h || total > r.size()) return 0;
    const ByteReader items = r.sub(0, total);

    std::lock_guard<std::mutex> guard(lock_);
    try {
        // The index grows once for all the items the block can hold.
        places_.Reserve(std::min<size_t>(count, (items.size() - h) / NAME_ITEM_HEADER_SIZE));
    } catch (...) {
        // each name below reserves its own room, or is dropped
    }
    uint32_t added = 0;
    size_t pos = h;
    WString name;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t remaining = items.size() - pos;
        if (remaining < NAME_ITEM_HEADER_SIZE) break;
        const ByteReader item = items.from(pos);
        const uint32_t itemSize = item.u32le_or(0);
        if (itemSize < NAME_ITEM_HEADER_SIZE || itemSize > remaining) break;
        if (item.u32le_or(4) != itemKind_) break;
        const OBJECT_KEY key{item.u32le_or(8), item.u32le_or(12)};
        const uint32_t nameBytes = item.u16le_or(18);
        if (nameBytes > itemSize - NAME_ITEM_HEADER_SIZE) break;
        // An odd trailing byte is not a whole character and is dropped.
        name.resize(nameBytes / 2);
        for (size_t c = 0; c < name.size(); ++c)
            name[c] = static_cast<char16_t>(item.u16le_or(NAME_ITEM_HEADER_SIZE + 2 * c));
        if (AddLocked(key, name)) ++added;
        pos += itemSize;
    }
    return added;
}

uint32_t CNameHash::Lookup(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
    if (!out || capacity == 0) return 0;
    out[0] = 0;
    std::lock_guard<std::mutex> guard(lock_);
    const Entry* e = FindLocked(key);
    if (!e) return 0;
    const size_t n = std::min<size_t>(e->name.size(), capacity - 1);
    std::copy_n(e->name.data(), n, out);
    out[n] = 0;
    return static_cast<uint32_t>(n);
}

bool CNameHash::Lookup(OBJECT_KEY key, WString& name) const {
    std::lock_guard<std::mutex> guard(lock_);
    const Entry* e = FindLocked(key);
    if (!e) {
        name.clear();
        return false;
    }
    name = e->name;
    return true;
}

uint32_t CNameHash::ToBlock(void* buffer, size_t size, uint32_t& written, const RECORD_LAYOUT& layout) const {
    written = 0;
    const uint32_t h = HeaderSize(layout);
    if (!buffer || size < h) return NAME_ERROR_INSUFFICIENT_BUFFER;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    std::memset(out, 0, h);

    std::lock_guard<std::mutex> guard(lock_);
    // The block's size field is 32 bits wide: a block cannot grow past it.
    const size_t limit = std::min<uint64_t>(size, 0xFFFFFFFFu);
    size_t total = h;
    uint32_t count = 0;
    for (const auto& bucket : buckets_) {
        for (const Entry& e : bucket) {
            const uint32_t nameBytes = static_cast<uint32_t>(e.name.size() * 2);
            const uint32_t itemSize = NameItemSize(nameBytes);
            if (itemSize > limit - total) return NAME_ERROR_INSUFFICIENT_BUFFER;
            uint8_t* item = out + total;
            PutLe32(item, itemSize);
            PutLe32(item + 4, itemKind_);
            PutLe32(item + 8, e.key.key0);
            PutLe32(item + 12, e.key.key1);
            PutLe16(item + 16, static_cast<uint16_t>(nameBytes + 6));
            PutLe16(item + 18, static_cast<uint16_t>(nameBytes));
            for (size_t c = 0; c < e.name.size(); ++c) PutLe16(item + NAME_ITEM_HEADER_SIZE + 2 * c, e.name[c]);
            // NUL character and padding.
            std::memset(item + NAME_ITEM_HEADER_SIZE + nameBytes, 0, itemSize - NAME_ITEM_HEADER_SIZE - nameBytes);
            total += itemSize;
            ++count;
        }
    }
    PutLe32(out, static_cast<uint32_t>(total));
    PutLe32(out + 4, blockKind_);
    PutLe32(out + 8, count);
    PutLe32(out + 12, 0);
    written = static_cast<uint32_t>(total);
    return 0;
}

} // namespace brx
