// The sequence map keeps the latest value of every key ever mapped, across
// its folds into runs, for numbers in any order; and for numbers that come
// one after the other its memory stays the same however many are mapped.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "capture/SequenceMap.h"
#include "tests/capture/XorShift.h"

using namespace brx;
using brx::fixtures::NextRandom;

namespace {

// Checks the map against a model: every key the model holds, its neighbours
// and the ends of the range.
::testing::AssertionResult Agrees(const CSequenceMap& map, const std::unordered_map<uint32_t, uint32_t>& model) {
    if (map.GetCount() != model.size())
        return ::testing::AssertionFailure() << "count " << map.GetCount() << " for " << model.size();
    for (const auto& [key, value] : model) {
        for (uint32_t probe : {key, key - 1, key + 1}) {
            uint32_t got = 0;
            const bool found = map.Find(probe, got);
            const auto it = model.find(probe);
            if (found != (it != model.end()))
                return ::testing::AssertionFailure() << "key " << probe << (found ? " found" : " missing");
            if (found && got != it->second)
                return ::testing::AssertionFailure() << "key " << probe << " gives " << got << ", not " << it->second;
        }
    }
    for (uint32_t probe : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        uint32_t got = 0;
        const auto it = model.find(probe);
        if (map.Find(probe, got) != (it != model.end()) || (it != model.end() && got != it->second))
            return ::testing::AssertionFailure() << "end key " << probe;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

// Each pattern inserts (key, value) pairs through `put`; a small map folds
// every few entries, so every pattern crosses many folds.
TEST(SequenceMap, EveryKeyKeepsItsLatestValueAcrossFolds) {
    using Put = std::function<void(uint32_t, uint32_t)>;
    struct Pattern {
        const char* what;
        std::function<void(const Put&)> run;
    };
    const Pattern patterns[] = {
        {"consecutive keys and values", [](const Put& put) {
             for (uint32_t i = 0; i < 5000; ++i) put(100 + i, i);
         }},
        {"consecutive keys, values with gaps", [](const Put& put) {
             for (uint32_t i = 0; i < 5000; ++i) put(100 + i, i + i / 7);
         }},
        {"descending keys", [](const Put& put) {
             for (uint32_t i = 0; i < 3000; ++i) put(90000 - i, i);
         }},
        {"neighbours swapped now and then", [](const Put& put) {
             for (uint32_t i = 0; i < 6000; i += 2) {
                 const bool swap = i % 10 == 0;
                 put(1000 + i + (swap ? 1 : 0), i);
                 put(1000 + i + (swap ? 0 : 1), i + 1);
             }
         }},
        {"old keys mapped again inside earlier runs", [](const Put& put) {
             uint32_t v = 0;
             for (uint32_t i = 0; i < 4000; ++i) put(i, v++);
             for (uint32_t i = 500; i < 900; i += 3) put(i, v++);
             for (uint32_t i = 0; i < 4000; i += 997) put(i, v++);
             for (uint32_t i = 3990; i < 4100; ++i) put(i, v++);
             put(1999, 7);
             put(2000, 8);
         }},
        {"the same few keys again and again", [](const Put& put) {
             for (uint32_t i = 0; i < 3000; ++i) put(i % 13, i);
         }},
        {"keys at both ends of the range, values that wrap", [](const Put& put) {
             for (uint32_t i = 0; i < 300; ++i) put(0xFFFFFFFFu - 299 + i, 0xFFFFFF00u + i);
             for (uint32_t i = 0; i < 300; ++i) put(i, 0xFFFFFFF0u + i);
             put(0xFFFFFFFFu, 5);
             put(0, 0xFFFFFFFFu);
         }},
        {"random keys from a wide and a narrow range", [](const Put& put) {
             uint32_t x = 2463534242u;
             for (uint32_t i = 0; i < 20000; ++i) {
                 const uint32_t r = NextRandom(x);
                 put((r & 3) ? r % 4000 : r, i);
             }
         }},
    };
    for (size_t recent : {1u, 8u, 64u}) {
        for (const Pattern& p : patterns) {
            SCOPED_TRACE(::testing::Message() << p.what << ", folding every " << recent);
            CSequenceMap map(recent);
            std::unordered_map<uint32_t, uint32_t> model;
            size_t steps = 0;
            p.run([&](uint32_t key, uint32_t value) {
                map.Insert(key, value);
                model[key] = value;
                // Checked now and then on the way, where folds have happened.
                if (++steps % 977 == 0) {
                    ASSERT_TRUE(Agrees(map, model));
                }
            });
            ASSERT_TRUE(Agrees(map, model));
        }
    }
}

TEST(SequenceMap, ClearForgetsEverythingAndTheMapWorksAsNew) {
    CSequenceMap map(16);
    uint32_t x = 99;
    for (uint32_t i = 0; i < 50000; ++i) map.Insert(NextRandom(x), i);   // many runs, a larger table
    EXPECT_GT(map.GetRunCount(), 10000u);
    map.Clear();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.GetCount(), 0u);
    EXPECT_EQ(map.GetRunCount(), 0u);
    EXPECT_LE(map.GetTableCapacity(), 256u);   // back to its first size
    uint32_t v = 0;
    x = 99;
    EXPECT_FALSE(map.Find(NextRandom(x), v));
    std::unordered_map<uint32_t, uint32_t> model;
    for (uint32_t i = 0; i < 100; ++i) {
        map.Insert(i * 3, i);
        model[i * 3] = i;
    }
    EXPECT_TRUE(Agrees(map, model));
}

// Numbers as a driver gives them, one per record, with requests in flight
// and one that stays pending for the whole run: however many records pass,
// the map keeps one run and its first table.
TEST(SequenceMap, NumbersInOrderKeepTheMemoryOfTheRecordsInFlight) {
    CSequenceMap map;   // the size the store uses
    const size_t capacity = map.GetTableCapacity();
    EXPECT_LE(capacity * 8, 1u << 20);   // at most 1 MB of slots
    uint32_t sequence = 1, index = 0;
    const uint32_t pending = sequence;
    map.Insert(sequence++, index++);
    for (uint32_t round = 0; round < 500000; ++round) {
        // Four issues, then their completions.
        uint32_t issued[4];
        for (uint32_t& s : issued) {
            s = sequence;
            map.Insert(sequence++, index++);
        }
        for (uint32_t s : issued) {
            uint32_t found = 0;
            ASSERT_TRUE(map.Find(s, found));
            ASSERT_EQ(found, s - 1);
            map.Insert(sequence++, index++);
        }
    }
    uint32_t found = 0;
    ASSERT_TRUE(map.Find(pending, found));
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(map.GetCount(), index);
    EXPECT_EQ(map.GetRunCount(), 1u);
    EXPECT_EQ(map.GetTableCapacity(), capacity);
}
