// The commit walk's sequence number table: replacement, growth through
// several rehashes, clearing, the keys that sit beside the slots, and a run
// of mixed operations checked against std::unordered_map.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <unordered_map>
#include <vector>

#include "capture/SequenceTable.h"

using namespace brx;

namespace {

bool Has(const CSequenceTable& t, uint32_t key, uint32_t expected) {
    uint32_t v = ~expected;
    return t.Find(key, v) && v == expected;
}

bool Absent(const CSequenceTable& t, uint32_t key) {
    uint32_t v = 0;
    return !t.Find(key, v);
}

// Keys that crowd the same slots: consecutive runs, multiples of large powers
// of two (equal low bits), both ends of the range, and scattered ones.
std::vector<uint32_t> CrowdingKeys() {
    std::vector<uint32_t> keys;
    for (uint32_t i = 0; i < 20000; ++i) keys.push_back(1000 + i);
    for (uint32_t i = 1; i < 4096; ++i) keys.push_back(i << 20);
    for (uint32_t i = 0; i < 64; ++i) keys.push_back(0xFFFFFFFFu - i);
    uint32_t x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1664525u + 1013904223u;
        keys.push_back(x);
    }
    keys.push_back(0);
    return keys;
}

} // namespace

TEST(SequenceTable, EmptyTableFindsNothing) {
    CSequenceTable t;
    EXPECT_EQ(t.GetCount(), 0u);
    for (uint32_t key : {0u, 1u, 5u, 64u, 0xFFFFFFFFu}) EXPECT_TRUE(Absent(t, key)) << key;
}

TEST(SequenceTable, RepeatedKeyTakesTheNewValue) {
    // 0 and FFFFFFFFh are ordinary keys, whatever the table keeps apart.
    for (uint32_t key : {0u, 1u, 63u, 64u, 0x80000000u, 0xFFFFFFFFu}) {
        CSequenceTable t(4);
        t.Insert(key, 10);
        EXPECT_TRUE(Has(t, key, 10)) << key;
        t.Insert(key, 0xFFFFFFFFu);
        EXPECT_TRUE(Has(t, key, 0xFFFFFFFFu)) << key;
        t.Insert(key, 0);
        EXPECT_TRUE(Has(t, key, 0)) << key;
        EXPECT_EQ(t.GetCount(), 1u) << key;
        EXPECT_TRUE(Absent(t, key ^ 1)) << key;
    }
}

TEST(SequenceTable, KeysZeroAndMaxBesideOthers) {
    CSequenceTable t;
    t.Insert(0, 7);
    t.Insert(0xFFFFFFFFu, 8);
    t.Insert(1, 9);
    t.Insert(0xFFFFFFFEu, 10);
    EXPECT_EQ(t.GetCount(), 4u);
    EXPECT_TRUE(Has(t, 0, 7));
    EXPECT_TRUE(Has(t, 0xFFFFFFFFu, 8));
    EXPECT_TRUE(Has(t, 1, 9));
    EXPECT_TRUE(Has(t, 0xFFFFFFFEu, 10));
    EXPECT_TRUE(Absent(t, 2));
}

TEST(SequenceTable, GrowsThroughSeveralRehashesKeepingEveryEntry) {
    CSequenceTable t;   // the smallest table
    const size_t first = t.GetCapacity();
    const std::vector<uint32_t> keys = CrowdingKeys();
    std::unordered_map<uint32_t, uint32_t> model;
    for (size_t i = 0; i < keys.size(); ++i) {
        t.Insert(keys[i], static_cast<uint32_t>(i));
        model[keys[i]] = static_cast<uint32_t>(i);
    }
    EXPECT_GE(t.GetCapacity(), first << 10);   // ten doublings at least
    EXPECT_LE(t.GetCount(), t.GetCapacity() / 4 * 3 + 1);
    ASSERT_EQ(t.GetCount(), model.size());
    for (const auto& [key, value] : model) ASSERT_TRUE(Has(t, key, value)) << key;
    for (uint32_t key : {999u, 21000u, 4096u << 20, 0xFFFFFFFFu - 64, 0x12345u << 8})
        EXPECT_TRUE(model.count(key) != 0 || Absent(t, key)) << key;
}

TEST(SequenceTable, ReserveHoldsItsEntriesWithoutGrowth) {
    CSequenceTable t(1024000);
    const size_t capacity = t.GetCapacity();
    EXPECT_GE(capacity / 4 * 3, 1024000u);
    for (uint32_t i = 0; i < 1024000; ++i) t.Insert(0x40000000u + i * 3, i);
    EXPECT_EQ(t.GetCapacity(), capacity);
    EXPECT_EQ(t.GetCount(), 1024000u);
    EXPECT_TRUE(Has(t, 0x40000000u, 0));
    EXPECT_TRUE(Has(t, 0x40000000u + 1023999u * 3, 1023999u));
    EXPECT_TRUE(Absent(t, 0x40000001u));
}

TEST(SequenceTable, ReserveBeyondMemoryThrowsAndKeepsTheTable) {
    CSequenceTable t;
    t.Insert(3, 4);
    t.Insert(0, 5);
    const size_t capacity = t.GetCapacity();
    EXPECT_THROW(t.Reserve(std::numeric_limits<size_t>::max()), std::bad_alloc);
    EXPECT_EQ(t.GetCapacity(), capacity);
    EXPECT_EQ(t.GetCount(), 2u);
    EXPECT_TRUE(Has(t, 3, 4));
    EXPECT_TRUE(Has(t, 0, 5));
}

TEST(SequenceTable, ClearForgetsEverythingAndKeepsTheSlots) {
    CSequenceTable t;
    const std::vector<uint32_t> keys = CrowdingKeys();
    for (size_t i = 0; i < keys.size(); ++i) t.Insert(keys[i], static_cast<uint32_t>(i));
    t.Insert(0xFFFFFFFFu, 1);
    const size_t capacity = t.GetCapacity();
    t.Clear();
    EXPECT_EQ(t.GetCount(), 0u);
    EXPECT_EQ(t.GetCapacity(), capacity);
    for (uint32_t key : keys) ASSERT_TRUE(Absent(t, key)) << key;
    EXPECT_TRUE(Absent(t, 0xFFFFFFFFu));
    // The table works as new after a clear, and a second clear of an empty
    // table changes nothing.
    t.Insert(0, 1);
    t.Insert(keys[5], 2);
    EXPECT_EQ(t.GetCount(), 2u);
    EXPECT_TRUE(Has(t, 0, 1));
    EXPECT_TRUE(Has(t, keys[5], 2));
    t.Clear();
    t.Clear();
    EXPECT_EQ(t.GetCount(), 0u);
    EXPECT_TRUE(Absent(t, 0));
}

TEST(SequenceTable, MixedOperationsMatchAStandardMap) {
    CSequenceTable t(8);
    std::unordered_map<uint32_t, uint32_t> model;
    uint32_t x = 777;
    for (uint32_t step = 0; step < 200000; ++step) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        // Keys from a small range repeat often; some from the whole range.
        const uint32_t key = (x & 3) ? (x >> 8) % 5000 : x;
        if ((x >> 4) & 1) {
            t.Insert(key, step);
            model[key] = step;
        } else {
            uint32_t v = 0;
            const auto it = model.find(key);
            ASSERT_EQ(t.Find(key, v), it != model.end()) << step;
            if (it != model.end()) {
                ASSERT_EQ(v, it->second) << step;
            }
        }
        if (step == 100000) {
            t.Clear();
            model.clear();
        }
    }
    EXPECT_EQ(t.GetCount(), model.size());
}
