// Table blocks of the sizes a crafted capture file can carry: every name in
// one bucket, one HID descriptor item with a great many keys, and a HID
// descriptor with a great many usages. Shared by the table tests and the
// benchmarks.
#pragma once
#include <cstdint>
#include <vector>

namespace brx::test {

inline void PutLe(std::vector<uint8_t>& b, uint32_t v, int bytes = 4) {
    for (int k = 0; k < bytes; ++k) b.push_back(uint8_t(v >> (8 * k)));
}

inline void SetLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(v >> (8 * k));
}

// A name-list block of `count` 20-byte items with empty names, all in bucket
// `bucket` (key1), told apart by key0.
inline std::vector<uint8_t> OneBucketNameBlock(uint32_t count, uint32_t blockKind, uint32_t itemKind,
                                               uint32_t bucket = 5) {
    std::vector<uint8_t> b;
    b.reserve(16 + size_t(count) * 20);
    PutLe(b, 0);
    PutLe(b, blockKind);
    PutLe(b, count);
    PutLe(b, 0);
    for (uint32_t i = 0; i < count; ++i) {
        PutLe(b, 20);
        PutLe(b, itemKind);
        PutLe(b, 0x80000000u + i);
        PutLe(b, 0x1000u * (i & 0xFF) + bucket);
        PutLe(b, 6, 2);
        PutLe(b, 0, 2);
    }
    SetLe32(b, 0, uint32_t(b.size()));
    return b;
}

// A kind-10 block with one descriptor item (a small mouse descriptor) that
// carries `keys` device-object keys and `keys` pipe keys, all in one bucket.
inline std::vector<uint8_t> ManyKeysHidBlock(uint32_t keys) {
    const uint8_t desc[] = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
                            0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0, 0x00};
    std::vector<uint8_t> b;
    PutLe(b, 0);
    PutLe(b, 10);
    PutLe(b, 1);
    PutLe(b, 0);
    const size_t item = b.size();
    const uint32_t objects = 32 + sizeof desc;
    const uint32_t pipes = objects + 12 * keys;
    PutLe(b, 0);
    PutLe(b, 9);
    PutLe(b, 0);
    PutLe(b, sizeof desc, 2);
    PutLe(b, 32, 2);
    PutLe(b, keys);
    PutLe(b, keys ? objects : 0);
    PutLe(b, keys);
    PutLe(b, keys ? pipes : 0);
    b.insert(b.end(), desc, desc + sizeof desc);
    for (int list = 0; list < 2; ++list)
        for (uint32_t i = 0; i < keys; ++i) {
            PutLe(b, 0x40000000u + i);
            PutLe(b, 0x2000u * (i & 0xFF) + 7);
            PutLe(b, 0);
        }
    SetLe32(b, item, uint32_t(b.size() - item));
    SetLe32(b, 0, uint32_t(b.size()));
    return b;
}

// A descriptor of `usages` button usages of page 9, each its own Usage item
// (4-byte form), read twice: as `usages` one-bit variable fields and as an
// array of `usages` 16-bit fields that index them.
inline std::vector<uint8_t> ManyUsagesDescriptor(uint32_t usages) {
    std::vector<uint8_t> d = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09};
    auto usageItems = [&] {
        for (uint32_t u = 1; u <= usages; ++u) {
            d.push_back(0x0B);  // Usage, 4 bytes: page 9, usage u
            PutLe(d, (9u << 16) | u);
        }
    };
    auto global = [&](uint8_t prefix, uint32_t v) {
        d.push_back(prefix);
        PutLe(d, v, 2);
    };
    usageItems();
    global(0x16, 0);             // Logical Minimum 0
    global(0x26, 1);             // Logical Maximum 1
    global(0x76, 1);             // Report Size 1
    global(0x96, usages);        // Report Count
    d.insert(d.end(), {0x81, 0x02});
    usageItems();
    global(0x26, usages - 1);    // Logical Maximum
    global(0x76, 16);
    global(0x96, usages);
    d.insert(d.end(), {0x81, 0x00});
    d.push_back(0xC0);
    return d;
}

} // namespace brx::test
