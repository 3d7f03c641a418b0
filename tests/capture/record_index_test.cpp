#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "capture/RecordIndexArray.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRX_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BRX_TEST_ASAN 1
#endif
#ifdef BRX_TEST_ASAN
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

using namespace brx;

namespace {

// Reservations on the heap whose uncommitted bytes are poisoned for the
// address sanitizer (any touch of them fails the test), with budgets to make
// reservations or commits fail.
class FakeMemory final : public IReservedMemory {
public:
    FakeMemory(uint32_t page = 4096, uint32_t granularity = 65536) : page_(page), granularity_(granularity) {}
    ~FakeMemory() override { EXPECT_TRUE(regions_.empty()) << "regions not released"; }

    uint32_t GetPageSize() const override { return page_; }
    uint32_t GetGranularity() const override { return granularity_; }
    void* Reserve(size_t bytes) override {
        ++reserveCalls;
        if (bytes > reserveLimit || reserveCalls > reserveBudget) return nullptr;
        uint8_t* p = static_cast<uint8_t*>(std::malloc(bytes));
        if (!p) return nullptr;
        std::memset(p, 0xCD, bytes);   // stale bytes: a commit zeroes them, as the system does
        POISON(p, bytes);
        regions_[p] = bytes;
        return p;
    }
    bool Commit(void* address, size_t bytes) override {
        uint8_t* a = static_cast<uint8_t*>(address);
        auto it = regions_.upper_bound(a);
        EXPECT_NE(it, regions_.begin());
        --it;
        EXPECT_LE(a + bytes, it->first + it->second) << "commit past the reservation";
        if (a + bytes > it->first + it->second) return false;
        if (committedTotal + bytes > commitLimit) return false;
        committedTotal += bytes;
        UNPOISON(a, bytes);
        std::memset(a, 0, bytes);
        return true;
    }
    void Release(void* region, size_t bytes) override {
        auto it = regions_.find(static_cast<uint8_t*>(region));
        ASSERT_NE(it, regions_.end());
        EXPECT_EQ(it->second, bytes);
        UNPOISON(it->first, it->second);
        std::free(region);
        regions_.erase(it);
    }

    size_t reserveLimit = SIZE_MAX;   // the largest reservation granted
    int reserveBudget = INT32_MAX;     // reservations granted in all
    size_t commitLimit = SIZE_MAX;
    size_t committedTotal = 0;
    int reserveCalls = 0;

private:
    uint32_t page_, granularity_;
    std::map<uint8_t*, size_t> regions_;
};

RECORD_INDEX_ENTRY EntryFor(uint32_t i) {
    RECORD_INDEX_ENTRY e{};
    e.position = i * 100;
    e.firstDword = 0x01000000u | i;
    e.companion = NO_INDEX;
    e.commandWrapper = i ^ 0x5A5A;
    e.kind = static_cast<uint16_t>(i);
    e.dataLength = ~i;
    e.spcVersion = static_cast<uint8_t>(i);
    return e;
}

bool Holds(const CRecordIndexArray& a, uint32_t i) {
    const RECORD_INDEX_ENTRY want = EntryFor(i);
    const RECORD_INDEX_ENTRY* got = a.GetAt(i);
    return got && std::memcmp(got, &want, sizeof want) == 0;
}

} // namespace

TEST(RecordIndexArray, FirstAppendReservesAndCommitsOneStep) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetAt(0), nullptr);
    EXPECT_EQ(a.Append(EntryFor(0)), 0u);
    EXPECT_EQ(a.GetReservedBytes(), 576u * 1024);   // one segment of 16,384 entries
    EXPECT_EQ(a.GetCommittedBytes(), 16u * 1024);
    for (uint32_t i = 1; i < 455; ++i) ASSERT_EQ(a.Append(EntryFor(i)), i);
    EXPECT_EQ(a.GetCommittedBytes(), 16u * 1024);   // 455 x 36 = 16,380 bytes
    EXPECT_EQ(a.Append(EntryFor(455)), 455u);       // the 456th needs 16,416
    EXPECT_EQ(a.GetCommittedBytes(), 32u * 1024);
    for (uint32_t i = 0; i < 456; ++i) ASSERT_TRUE(Holds(a, i)) << i;
    EXPECT_EQ(a.GetAt(456), nullptr);
}

TEST(RecordIndexArray, GrowsPastManyStepsAndReservations) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    constexpr uint32_t kCount = 200000;   // about 7 MB: many commit steps, several moves
    size_t lastCommitted = 0, steps = 0;
    for (uint32_t i = 0; i < kCount; ++i) {
        ASSERT_EQ(a.Append(EntryFor(i)), i);
        if (a.GetCommittedBytes() != lastCommitted) {
            ++steps;
            lastCommitted = a.GetCommittedBytes();
            ASSERT_LE(a.GetCommitStep(), a.GetReserveStep());
            ASSERT_LE(a.GetCommittedBytes(), a.GetReservedBytes());
        }
    }
    EXPECT_GT(steps, 20u);
    EXPECT_EQ(a.GetCommitStep(), a.GetReserveStep());   // a large array commits whole reserve steps
    EXPECT_EQ(a.GetCount(), kCount);
    for (uint32_t i = 0; i < kCount; ++i) ASSERT_TRUE(Holds(a, i)) << i;
}

// A capture of millions of records never copies its index: the array grows
// by segments, and an entry stays where it was first written.
TEST(RecordIndexArray, GrowingToMillionsNeverMovesAnEntry) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    constexpr uint32_t kCount = 1000000;   // 36 MB of entries in 62 segments
    std::vector<const RECORD_INDEX_ENTRY*> where;
    for (uint32_t i = 0; i < kCount; ++i) {
        ASSERT_EQ(a.Append(EntryFor(i)), i);
        if (i % 4099 == 0) where.push_back(a.GetAt(i));
    }
    EXPECT_EQ(a.GetSegmentCount(), 62u);
    EXPECT_EQ(mem.reserveCalls, 62);
    EXPECT_EQ(a.GetReservedBytes(), 62u * 576 * 1024);
    for (size_t k = 0; k < where.size(); ++k) {
        const uint32_t i = static_cast<uint32_t>(k * 4099);
        ASSERT_EQ(a.GetAt(i), where[k]) << i;
        ASSERT_TRUE(Holds(a, i)) << i;
    }
    // Entries on both sides of every segment boundary.
    for (uint32_t s = 1; s < 62; ++s) {
        ASSERT_TRUE(Holds(a, s * 16384 - 1)) << s;
        ASSERT_TRUE(Holds(a, s * 16384)) << s;
    }
    EXPECT_EQ(a.GetAt(kCount), nullptr);
}

TEST(RecordIndexArray, SetCountZeroesNewEntriesAndReleasesAtZero) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(a.Append(EntryFor(i)), i);
    ASSERT_TRUE(a.SetCount(10));   // shrinking keeps the memory
    EXPECT_EQ(a.GetCount(), 10u);
    EXPECT_TRUE(Holds(a, 9));
    ASSERT_TRUE(a.SetCount(20000));   // grows into new commits and a new reservation
    RECORD_INDEX_ENTRY zero{};
    for (uint32_t i = 10; i < 20000; ++i) ASSERT_EQ(std::memcmp(a.GetAt(i), &zero, sizeof zero), 0) << i;
    for (uint32_t i = 0; i < 10; ++i) ASSERT_TRUE(Holds(a, i));
    const size_t grownStep = a.GetCommitStep();
    EXPECT_GT(grownStep, 16u * 1024);
    ASSERT_TRUE(a.SetCount(0));
    EXPECT_EQ(a.GetReservedBytes(), 0u);
    EXPECT_EQ(a.GetCommittedBytes(), 0u);
    EXPECT_EQ(a.GetCommitStep(), 16u * 1024);
    EXPECT_EQ(a.GetSegmentCount(), 0u);
    EXPECT_EQ(a.GetAt(0), nullptr);
}

TEST(RecordIndexArray, CommitNeverPassesTheSegment) {
    // A commit step that does not divide the segment (80 KB into 576 KB)
    // must still stop at the end of the segment.
    FakeMemory mem(20 * 1024, 65536);
    CRecordIndexArray a(mem);
    ASSERT_TRUE(a.SetCount(100));
    EXPECT_EQ(a.GetReservedBytes(), 576u * 1024);
    EXPECT_EQ(a.GetCommittedBytes(), 80u * 1024);
    ASSERT_TRUE(a.SetCount(16000));   // 576,000 bytes: eight 80 KB steps would pass the segment
    EXPECT_EQ(a.GetCommittedBytes(), 576u * 1024);
    EXPECT_EQ(a.GetReservedBytes(), 576u * 1024);
    ASSERT_TRUE(a.SetCount(16384));   // the last entry of the segment
    EXPECT_EQ(a.GetSegmentCount(), 1u);
    for (uint32_t i = 16384; i < 17384; ++i) ASSERT_EQ(a.Append(EntryFor(i)), i);
    EXPECT_EQ(a.GetSegmentCount(), 2u);
    EXPECT_EQ(a.GetCommittedBytes(), 576u * 1024 + 80 * 1024);
    EXPECT_TRUE(Holds(a, 16384));
    EXPECT_TRUE(Holds(a, 17383));
}

TEST(RecordIndexArray, FailedGrowthFailsTheAppendAndKeepsTheEntries) {
    struct Case {
        const char* what;
        int reserveBudget;
        size_t commitLimit;
        uint32_t fitting;   // appends that still succeed
    } cases[] = {
        {"first reservation", 0, SIZE_MAX, 0},
        {"first commit", INT32_MAX, 0, 0},
        {"second commit step", INT32_MAX, 16 * 1024, 455},
        {"second segment's reservation", 1, SIZE_MAX, 16384},
        {"second segment's commit", INT32_MAX, 576 * 1024, 16384},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMemory mem;
        mem.reserveBudget = c.reserveBudget;
        mem.commitLimit = c.commitLimit;
        CRecordIndexArray a(mem);
        for (uint32_t i = 0; i < c.fitting; ++i) ASSERT_EQ(a.Append(EntryFor(i)), i);
        const size_t committed = a.GetCommittedBytes();
        const size_t reserved = a.GetReservedBytes();
        const size_t step = a.GetCommitStep();
        EXPECT_EQ(a.Append(EntryFor(c.fitting)), NO_INDEX);
        EXPECT_EQ(a.Append(EntryFor(c.fitting)), NO_INDEX);
        EXPECT_EQ(a.GetCount(), c.fitting);
        EXPECT_EQ(a.GetCommittedBytes(), committed);
        EXPECT_EQ(a.GetReservedBytes(), reserved);
        EXPECT_EQ(a.GetCommitStep(), step);
        EXPECT_FALSE(a.SetCount(c.fitting + 1));
        EXPECT_FALSE(a.SetCount(c.fitting + 40000));
        EXPECT_EQ(a.GetReservedBytes(), reserved);
        for (uint32_t i = 0; i < c.fitting; ++i) ASSERT_TRUE(Holds(a, i)) << i;
        // Once memory is there again, appending goes on where it stopped.
        mem.commitLimit = SIZE_MAX;
        mem.reserveBudget = INT32_MAX;
        EXPECT_EQ(a.Append(EntryFor(c.fitting)), c.fitting);
        EXPECT_TRUE(Holds(a, c.fitting));
    }
}

TEST(RecordIndexArray, CountBeyondTheAddressSpaceFails) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    ASSERT_EQ(a.Append(EntryFor(0)), 0u);
    if (sizeof(size_t) == 4) {
        EXPECT_FALSE(a.SetCount(0xFFFFFFFFu));
        EXPECT_EQ(a.GetCount(), 1u);
    }
    mem.reserveBudget = 100;   // a huge count whose segments are refused after a while
    EXPECT_FALSE(a.SetCount(0xFFFFFFF0u));
    EXPECT_EQ(a.GetCount(), 1u);
    EXPECT_EQ(a.GetSegmentCount(), 1u);
    EXPECT_TRUE(Holds(a, 0));
}

TEST(RecordIndexArray, CompactShrinksTheReservationToFit) {
    FakeMemory mem;
    CRecordIndexArray a(mem);
    ASSERT_TRUE(a.SetCount(100000));   // 3.6 MB in seven segments
    for (uint32_t i = 0; i < 100; ++i) *a.GetAt(i) = EntryFor(i);
    ASSERT_TRUE(a.SetCount(100));
    EXPECT_EQ(a.GetSegmentCount(), 7u);
    a.Compact();
    EXPECT_EQ(a.GetSegmentCount(), 1u);
    EXPECT_EQ(a.GetReservedBytes(), 576u * 1024);
    EXPECT_LE(a.GetCommittedBytes(), a.GetReservedBytes());
    EXPECT_GE(a.GetCommittedBytes(), 3600u);
    for (uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(Holds(a, i));
    const int reserves = mem.reserveCalls;
    a.Compact();   // already fits: nothing moves
    EXPECT_EQ(mem.reserveCalls, reserves);
    // Growing again after the compaction: new entries are zero.
    ASSERT_TRUE(a.SetCount(40000));
    RECORD_INDEX_ENTRY zero{};
    for (uint32_t i = 100; i < 40000; i += 97) ASSERT_EQ(std::memcmp(a.GetAt(i), &zero, sizeof zero), 0) << i;
    EXPECT_TRUE(Holds(a, 99));
    ASSERT_TRUE(a.SetCount(0));
    a.Compact();
    EXPECT_EQ(a.GetReservedBytes(), 0u);
}

TEST(RecordIndexArray, HeapMemoryServesTheSameArray) {
    CHeapReservedMemory mem;
    CRecordIndexArray a(mem);
    for (uint32_t i = 0; i < 30000; ++i) ASSERT_EQ(a.Append(EntryFor(i)), i);
    for (uint32_t i = 0; i < 30000; ++i) ASSERT_TRUE(Holds(a, i));
}
