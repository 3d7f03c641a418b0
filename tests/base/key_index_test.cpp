// The key index of the name and HID tables: first value wins, tags tell keys
// apart, growth keeps every key, and keys that differ only in high bits or
// share their low bits still find their own values.
#include <gtest/gtest.h>

#include <vector>

#include "base/KeyIndex.h"

using namespace brx;

TEST(KeyIndex, FirstValueOfAKeyAndTagStays) {
    CKeyIndex k;
    EXPECT_EQ(k.Find(5), nullptr);
    EXPECT_TRUE(k.Insert(5, 0, 100));
    EXPECT_FALSE(k.Insert(5, 0, 200));
    EXPECT_TRUE(k.Insert(5, 1, 300));   // another tag is another key
    ASSERT_NE(k.Find(5), nullptr);
    EXPECT_EQ(*k.Find(5), 100u);
    ASSERT_NE(k.Find(5, 1), nullptr);
    EXPECT_EQ(*k.Find(5, 1), 300u);
    EXPECT_EQ(k.Find(5, 2), nullptr);
    EXPECT_EQ(k.Count(), 2u);
    k.Clear();
    EXPECT_EQ(k.Find(5), nullptr);
    EXPECT_EQ(k.Count(), 0u);
    EXPECT_TRUE(k.Insert(5, 0, 7));
    EXPECT_EQ(*k.Find(5), 7u);
}

TEST(KeyIndex, KeysSharingLowOrHighBitsKeepTheirValuesThroughGrowth) {
    CKeyIndex k;
    std::vector<uint64_t> keys;
    for (uint64_t i = 0; i < 40000; ++i) {
        keys.push_back(i << 40);                       // only high bits differ
        keys.push_back((i << 6) | 5);                  // one low 6-bit bucket
        keys.push_back(0xFFFFFFFF00000000ull | i);     // high bits all set
    }
    for (size_t n = 0; n < keys.size(); ++n) ASSERT_TRUE(k.Insert(keys[n], uint8_t(n % 3), uint32_t(n))) << n;
    EXPECT_EQ(k.Count(), keys.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        const uint32_t* v = k.Find(keys[n], uint8_t(n % 3));
        ASSERT_NE(v, nullptr) << n;
        EXPECT_EQ(*v, n);
        EXPECT_EQ(k.Find(keys[n], uint8_t(n % 3 + 1)), nullptr) << n;
    }
}

TEST(KeyIndex, ReserveOneMoreGrowsGeometrically) {
    std::vector<int> v;
    size_t growths = 0, capacity = v.capacity();
    for (int i = 0; i < 100000; ++i) {
        ReserveOneMore(v);
        if (v.capacity() != capacity) ++growths, capacity = v.capacity();
        v.push_back(i);
    }
    EXPECT_LT(growths, 20u);
    EXPECT_EQ(v.size(), 100000u);
}
