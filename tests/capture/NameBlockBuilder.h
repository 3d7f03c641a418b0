// Builds name-list blocks field by field, well-formed or not, for the name
// table tests and the fuzzer's seed corpus.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture/NameTables.h"

namespace brx::test {

class NameBlockBuilder {
public:
    // Header of the given kind; the size and count are fixed up by Finish
    // unless set explicitly.
    explicit NameBlockBuilder(uint32_t blockKind, uint32_t headerSize = NAME_BLOCK_HEADER_SIZE)
        : kind_(blockKind) {
        bytes_.assign(headerSize, 0);
    }

    // A well-formed item.
    NameBlockBuilder& Item(uint32_t itemKind, uint32_t key0, uint32_t key1, std::u16string_view name) {
        const uint32_t nameBytes = static_cast<uint32_t>(name.size() * 2);
        return RawItem(NameItemSize(nameBytes), itemKind, key0, key1, nameBytes + 6, nameBytes, name);
    }
    // An item with every size field given; the name's characters are written
    // (and padded with zeros to the item size) as far as the item holds them.
    NameBlockBuilder& RawItem(uint32_t itemSize, uint32_t itemKind, uint32_t key0, uint32_t key1,
                              uint32_t counted, uint32_t nameBytes, std::u16string_view name) {
        std::vector<uint8_t> item;
        Put32(item, itemSize);
        Put32(item, itemKind);
        Put32(item, key0);
        Put32(item, key1);
        Put16(item, counted);
        Put16(item, nameBytes);
        for (char16_t c : name) Put16(item, c);
        const size_t want = itemSize < 20 ? 20 : itemSize;
        item.resize(want, 0);
        bytes_.insert(bytes_.end(), item.begin(), item.end());
        ++items_;
        return *this;
    }
    NameBlockBuilder& Bytes(std::vector<uint8_t> tail) {
        bytes_.insert(bytes_.end(), tail.begin(), tail.end());
        return *this;
    }
    NameBlockBuilder& TotalSize(uint32_t v) {
        total_ = v;
        totalSet_ = true;
        return *this;
    }
    NameBlockBuilder& Count(uint32_t v) {
        count_ = v;
        countSet_ = true;
        return *this;
    }

    std::vector<uint8_t> Finish() const {
        std::vector<uint8_t> b = bytes_;
        Set32(b, 0, totalSet_ ? total_ : static_cast<uint32_t>(b.size()));
        Set32(b, 4, kind_);
        Set32(b, 8, countSet_ ? count_ : items_);
        Set32(b, 12, 0);
        return b;
    }

private:
    static void Put16(std::vector<uint8_t>& v, uint32_t x) {
        v.push_back(static_cast<uint8_t>(x));
        v.push_back(static_cast<uint8_t>(x >> 8));
    }
    static void Put32(std::vector<uint8_t>& v, uint32_t x) {
        Put16(v, x & 0xFFFF);
        Put16(v, x >> 16);
    }
    static void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
        if (v.size() < at + 4) return;   // a header cut short stays cut short
        for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
    }

    uint32_t kind_;
    std::vector<uint8_t> bytes_;
    uint32_t items_ = 0;
    uint32_t total_ = 0, count_ = 0;
    bool totalSet_ = false, countSet_ = false;
};

} // namespace brx::test
