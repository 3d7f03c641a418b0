#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "capture/NameTables.h"
#include "tests/capture/HostileTables.h"
#include "tests/capture/NameBlockBuilder.h"

using namespace brx;
using brx::test::NameBlockBuilder;

namespace {

// Serialises a table, growing the buffer as a caller does on a short one.
std::vector<uint8_t> BlockOf(const CNameHash& table, const RECORD_LAYOUT& layout = kDefaultRecordLayout) {
    std::vector<uint8_t> buf(16);
    for (;;) {
        uint32_t written = 0;
        const uint32_t rc = table.ToBlock(buf.data(), buf.size(), written, layout);
        if (rc == 0) {
            buf.resize(written);
            return buf;
        }
        EXPECT_EQ(rc, NAME_ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(written, 0u);
        buf.resize(buf.size() * 2);
    }
}

// Feeds a block from a heap copy of exactly its bytes, so that a read past
// them is caught by the address sanitizer.
uint32_t Feed(CNameHash& table, const std::vector<uint8_t>& bytes, size_t available,
              const RECORD_LAYOUT& layout = kDefaultRecordLayout) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[available ? available : 1]);
    std::copy_n(bytes.begin(), std::min(available, bytes.size()), exact.get());
    return table.AddFromBlock(exact.get(), available, layout);
}

uint32_t Feed(CNameHash& table, const std::vector<uint8_t>& bytes) { return Feed(table, bytes, bytes.size()); }

WString NameOf(const CNameHash& table, OBJECT_KEY key) {
    WString name;
    table.Lookup(key, name);
    return name;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t n) {
    bytes.resize(n);
    return bytes;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

} // namespace

TEST(NameTables, ItemSizeFollowsTheNameLength) {
    EXPECT_EQ(NameItemSize(14), 36u);   // 7 characters
    EXPECT_EQ(NameItemSize(0), 24u);    // 20 + NUL, rounded up
    EXPECT_EQ(NameItemSize(2), 24u);
    EXPECT_EQ(NameItemSize(4), 28u);

    CDeviceNameHash t;
    ASSERT_TRUE(t.Add({1, 2}, u"USBPDO1"));
    const auto block = BlockOf(t);
    ASSERT_EQ(block.size(), 16u + 36u);
    EXPECT_EQ(U32At(block, 16), 36u);                       // item size
    EXPECT_EQ(U32At(block, 20), uint32_t{NAME_ITEM_DEVICE});
    EXPECT_EQ(block[32] | (block[33] << 8), 14 + 6);        // counted size
    EXPECT_EQ(block[34] | (block[35] << 8), 14);            // name bytes
    EXPECT_EQ(block[36 + 14] | (block[36 + 15] << 8), 0);   // the NUL character
}

TEST(NameTables, RoundTripThroughBlocks) {
    struct Named {
        OBJECT_KEY key;
        std::u16string name;
    };
    const Named names[] = {
        {{0x8A123400, 0x8A123400}, u"\\Device\\USBPDO-3"},
        {{0x8A123500, 0x8A123440}, u"\\Device\\00000042"},
        {{0x8B000000, 0x8A123400}, u"\\Device\\USBFDO-0"},   // same key1, other key0: one bucket
        {{0x00000001, 0x00000007}, u"x"},
        {{0xFFFFFFFF, 0xFFFFFFFF}, u""},
        {{0x12345678, 0x9ABCDEF0}, u"\\Device\\Kbd\u00e9\u4e2d"},   // beyond Latin-1
    };
    for (int pass = 0; pass < 2; ++pass) {
        std::unique_ptr<CNameHash> a, b;
        if (pass == 0) {
            a = std::make_unique<CDeviceNameHash>();
            b = std::make_unique<CDeviceNameHash>();
        } else {
            a = std::make_unique<CDriverNameHash>();
            b = std::make_unique<CDriverNameHash>();
        }
        SCOPED_TRACE(pass);
        for (const auto& n : names) ASSERT_TRUE(a->Add(n.key, n.name));
        const auto block = BlockOf(*a);
        EXPECT_EQ(U32At(block, 0), block.size());
        EXPECT_EQ(U32At(block, 4), a->GetBlockKind());
        EXPECT_EQ(U32At(block, 8), std::size(names));
        EXPECT_EQ(Feed(*b, block), std::size(names));
        for (const auto& n : names) EXPECT_EQ(NameOf(*b, n.key), n.name);
        EXPECT_EQ(BlockOf(*b), block);
        // A header of another size (from the driver's layout) moves the items.
        RECORD_LAYOUT wide = kDefaultRecordLayout;
        wide.deviceListHeaderSize = wide.driverListHeaderSize = 24;
        const auto wideBlock = BlockOf(*a, wide);
        EXPECT_EQ(wideBlock.size(), block.size() + 8);
        EXPECT_TRUE(std::equal(block.begin() + 16, block.end(), wideBlock.begin() + 24));
        b->RemoveAll();
        EXPECT_EQ(b->GetCount(), 0u);
        EXPECT_EQ(Feed(*b, wideBlock, wideBlock.size(), wide), std::size(names));
        EXPECT_EQ(BlockOf(*b), block);
    }
}

TEST(NameTables, FirstNameOfAKeyStays) {
    CDriverNameHash t;
    EXPECT_TRUE(t.Add({5, 9}, u"\\Driver\\usbhub"));
    EXPECT_FALSE(t.Add({5, 9}, u"\\Driver\\other"));
    EXPECT_TRUE(t.Add({6, 9}, u"\\Driver\\usbccgp"));   // differs in key0 only
    EXPECT_EQ(NameOf(t, {5, 9}), u"\\Driver\\usbhub");
    EXPECT_EQ(NameOf(t, {6, 9}), u"\\Driver\\usbccgp");
    EXPECT_EQ(NameOf(t, {9, 5}), u"");
    EXPECT_EQ(t.GetCount(), 2u);
    // A block repeating the key adds nothing.
    const auto block = NameBlockBuilder(NAME_BLOCK_DRIVERS).Item(NAME_ITEM_DRIVER, 5, 9, u"later").Finish();
    EXPECT_EQ(Feed(t, block), 0u);
    EXPECT_EQ(NameOf(t, {5, 9}), u"\\Driver\\usbhub");
}

TEST(NameTables, ManyKeysInOneBucketKeepTheirOrderAndFirstNames) {
    // 50,000 names in one bucket, then a block that repeats every tenth key
    // with another name and adds keys of other buckets between them.
    CDeviceNameHash t;
    const std::vector<uint8_t> crowd = test::OneBucketNameBlock(50000, NAME_BLOCK_DEVICES, NAME_ITEM_DEVICE);
    EXPECT_EQ(t.AddFromBlock(crowd.data(), crowd.size(), kDefaultRecordLayout), 50000u);
    NameBlockBuilder again(NAME_BLOCK_DEVICES);
    for (uint32_t i = 0; i < 50000; i += 10) {
        again.Item(NAME_ITEM_DEVICE, 0x80000000u + i, 0x1000u * (i & 0xFF) + 5, u"late");
        again.Item(NAME_ITEM_DEVICE, i, 6, u"other bucket");
    }
    const std::vector<uint8_t> b = again.Finish();
    EXPECT_EQ(t.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout), 5000u);
    EXPECT_EQ(t.GetCount(), 55000u);
    WString name;
    EXPECT_TRUE(t.Lookup({0x80000000u + 40, 0x1000u * 40 + 5}, name));
    EXPECT_TRUE(name.empty());   // the first (empty) name stays
    EXPECT_TRUE(t.Lookup({40, 6}, name));
    EXPECT_EQ(name, u"other bucket");
    EXPECT_FALSE(t.Lookup({0x80000000u + 40, 6}, name));
    // The block lists bucket 5 in arrival order, then bucket 6.
    const std::vector<uint8_t> out = BlockOf(t);
    ASSERT_EQ(out.size(), 16u + 50000u * 24 + 5000u * NameItemSize(24));
    for (uint32_t i : {0u, 1u, 49999u}) {
        const size_t at = 16 + size_t(i) * 24;
        EXPECT_EQ(out[at + 8] | out[at + 9] << 8 | out[at + 10] << 16 | uint32_t(out[at + 11]) << 24,
                  0x80000000u + i);
    }
    EXPECT_EQ(out[16 + 50000 * 24 + 8], 0);   // key0 of the first name of bucket 6
    t.RemoveAll();
    EXPECT_FALSE(t.Lookup({40, 6}, name));
    EXPECT_EQ(t.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout), 10000u);
}

TEST(NameTables, OverlongNameIsRefused) {
    CDeviceNameHash t;
    EXPECT_FALSE(t.Add({1, 1}, std::u16string(NAME_MAX_BYTES / 2 + 1, u'a')));
    EXPECT_TRUE(t.Add({1, 1}, std::u16string(NAME_MAX_BYTES / 2, u'a')));
    const auto block = BlockOf(t);
    EXPECT_EQ(block.size(), 16u + NameItemSize(NAME_MAX_BYTES));
    EXPECT_EQ(block[32] | (block[33] << 8), NAME_MAX_BYTES + 6);
}

TEST(NameTables, LookupTruncatesToTheCapacity) {
    CDeviceNameHash t;
    ASSERT_TRUE(t.Add({1, 2}, u"0123456789"));
    struct Case {
        uint32_t capacity;
        uint32_t result;
        std::u16string text;
    } cases[] = {{1, 0, u""}, {2, 1, u"0"}, {4, 3, u"012"}, {10, 9, u"012345678"}, {11, 10, u"0123456789"},
                 {64, 10, u"0123456789"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        std::vector<char16_t> out(c.capacity, u'#');
        EXPECT_EQ(t.Lookup({1, 2}, out.data(), c.capacity), c.result);
        EXPECT_EQ(std::u16string(out.data()), c.text);
    }
    char16_t out[8] = {u'#', u'#'};
    EXPECT_EQ(t.Lookup({2, 2}, out, 8), 0u);   // unknown key
    EXPECT_EQ(out[0], 0);
    out[0] = u'#';
    EXPECT_EQ(t.Lookup({1, 2}, out, 0), 0u);   // no room at all: nothing written
    EXPECT_EQ(out[0], u'#');
}

TEST(NameTables, ToBlockNeedsRoomForEveryItem) {
    CDriverNameHash t;
    uint8_t buf[64];
    uint32_t written = 99;
    EXPECT_EQ(t.ToBlock(buf, 15, written, kDefaultRecordLayout), NAME_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(written, 0u);
    ASSERT_EQ(t.ToBlock(buf, 16, written, kDefaultRecordLayout), 0u);   // empty table: header only
    EXPECT_EQ(written, 16u);
    const std::vector<uint8_t> empty(buf, buf + 16);
    EXPECT_EQ(empty, NameBlockBuilder(NAME_BLOCK_DRIVERS).Finish());

    ASSERT_TRUE(t.Add({1, 1}, u"\\Driver\\usbhub"));   // 14 characters: item 52
    ASSERT_TRUE(t.Add({1, 2}, u"\\Driver\\hidusb"));
    EXPECT_EQ(t.ToBlock(buf, 64, written, kDefaultRecordLayout), NAME_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(written, 0u);
    std::vector<uint8_t> big(16 + 2 * 52);
    EXPECT_EQ(t.ToBlock(big.data(), big.size() - 1, written, kDefaultRecordLayout), NAME_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(t.ToBlock(big.data(), big.size(), written, kDefaultRecordLayout), 0u);
    EXPECT_EQ(written, big.size());
    EXPECT_EQ(t.ToBlock(nullptr, 4096, written, kDefaultRecordLayout), NAME_ERROR_INSUFFICIENT_BUFFER);
}

TEST(NameTables, ListHeaderBelowItsFourFieldsCountsAsSixteen) {
    RECORD_LAYOUT narrow = kDefaultRecordLayout;
    narrow.deviceListHeaderSize = 8;
    CDeviceNameHash a, b;
    ASSERT_TRUE(a.Add({3, 4}, u"dev"));
    const auto block = BlockOf(a, narrow);
    EXPECT_EQ(block, BlockOf(a));
    EXPECT_EQ(Feed(b, block, block.size(), narrow), 1u);
    EXPECT_EQ(NameOf(b, {3, 4}), u"dev");
}

// A malformed block adds the whole items before the fault and nothing after.
TEST(NameTables, MalformedBlocksAddOnlyWholeItemsBeforeTheFault) {
    const uint32_t D = NAME_BLOCK_DEVICES, I = NAME_ITEM_DEVICE;
    auto two = [&] { return NameBlockBuilder(D).Item(I, 1, 1, u"one").Item(I, 2, 2, u"two"); };
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        size_t available;   // 0: the block's own length
        std::vector<uint32_t> added;   // key0 of the names expected (key1 equals key0)
    };
    const Case cases[] = {
        {"well formed", two().Finish(), 0, {1, 2}},
        {"total size 0", two().TotalSize(0).Finish(), 0, {}},
        {"total size below the header", two().TotalSize(12).Finish(), 0, {}},
        {"total size past the bytes", two().TotalSize(0x1000).Finish(), 0, {}},
        {"total size 0xFFFFFFFF", two().TotalSize(0xFFFFFFFF).Finish(), 0, {}},
        {"fewer bytes than the header", two().Finish(), 12, {}},
        {"no bytes", two().Finish(), 0xFFFFFFFF, {}},
        {"block kind of the other table", NameBlockBuilder(NAME_BLOCK_DRIVERS).Item(I, 1, 1, u"one").Finish(), 0, {}},
        {"count 0", two().Count(0).Finish(), 0, {}},
        {"count 1", two().Count(1).Finish(), 0, {1}},
        {"count beyond the items", two().Count(0xFFFFFFFF).Finish(), 0, {1, 2}},
        {"count beyond the items, zero bytes after",
         two().Count(5).Bytes(std::vector<uint8_t>(40, 0)).Finish(), 0, {1, 2}},
        {"item size 0", two().RawItem(0, I, 3, 3, 6, 0, u"").Item(I, 4, 4, u"four").Finish(), 0, {1, 2}},
        {"item size below its header", two().RawItem(16, I, 3, 3, 6, 0, u"").Item(I, 4, 4, u"four").Finish(), 0,
         {1, 2}},
        {"item size past the block", Cut(two().RawItem(200, I, 3, 3, 12, 6, u"abc").TotalSize(96).Finish(), 96), 0,
         {1, 2}},
        {"item size past the block, bytes follow it",
         two().RawItem(48, I, 3, 3, 12, 6, u"abc").TotalSize(72 + 24).Bytes(std::vector<uint8_t>(64, 0))
             .Finish(),
         0, {1, 2}},
        {"item header cut by the block end", two().Bytes({20, 0, 0, 0, 2, 0}).Count(3).Finish(), 0, {1, 2}},
        {"name past the item", two().RawItem(24, I, 3, 3, 16, 10, u"abcde").Item(I, 4, 4, u"four").Finish(), 0,
         {1, 2}},
        {"name length 0xFFFF", two().RawItem(24, I, 3, 3, 6, 0xFFFF, u"").Finish(), 0, {1, 2}},
        {"name filling the item without its NUL", two().RawItem(26, I, 3, 3, 12, 6, u"abc").Finish(), 0, {1, 2, 3}},
        {"empty name in a bare header", two().RawItem(20, I, 3, 3, 6, 0, u"").Finish(), 0, {1, 2, 3}},
        {"item of the other kind", two().Item(NAME_ITEM_DRIVER, 3, 3, u"drv").Item(I, 4, 4, u"four").Finish(), 0,
         {1, 2}},
        {"first item malformed", NameBlockBuilder(D).RawItem(0, I, 1, 1, 6, 0, u"").Item(I, 2, 2, u"two").Finish(),
         0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDeviceNameHash t;
        const size_t available = c.available == 0 ? c.block.size() : c.available == 0xFFFFFFFF ? 0 : c.available;
        EXPECT_EQ(Feed(t, c.block, available), c.added.size());
        EXPECT_EQ(t.GetCount(), c.added.size());
        WString name;
        for (uint32_t k : c.added) EXPECT_TRUE(t.Lookup({k, k}, name)) << k;
    }
    // An odd name length keeps the whole characters.
    CDeviceNameHash t;
    EXPECT_EQ(Feed(t, NameBlockBuilder(D).RawItem(28, I, 7, 7, 11, 5, u"abc").Finish()), 1u);
    EXPECT_EQ(NameOf(t, {7, 7}), u"ab");
    // A null block with a claimed length reads nothing.
    EXPECT_EQ(t.AddFromBlock(nullptr, 4096, kDefaultRecordLayout), 0u);
}

TEST(NameTables, ConcurrentAddsLookupsAndSaves) {
    CDeviceNameHash t;
    constexpr uint32_t kNames = 2000;
    auto nameOf = [](uint32_t k) { return u"name" + std::u16string(1, char16_t(u'A' + k % 26)); };
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        char16_t out[32];
        std::vector<uint8_t> buf(128 * 1024);
        while (!done.load()) {
            for (uint32_t k = 0; k < kNames; k += 97) {
                const uint32_t n = t.Lookup({k, k}, out, 32);
                if (n && std::u16string(out, n) != nameOf(k)) ++wrong;
            }
            uint32_t written = 0;
            if (t.ToBlock(buf.data(), buf.size(), written, kDefaultRecordLayout) != 0) ++wrong;
        }
    });
    for (uint32_t k = 0; k < kNames; ++k) t.Add({k, k}, nameOf(k));
    done = true;
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(t.GetCount(), kNames);
    CDeviceNameHash copy;
    EXPECT_EQ(Feed(copy, BlockOf(t)), kNames);
}
