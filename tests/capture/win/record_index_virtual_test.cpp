#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "capture/RecordIndexArray.h"
#include "capture/win/VirtualReservedMemory.h"

using namespace brx;

namespace {

RECORD_INDEX_ENTRY EntryFor(uint32_t i) {
    RECORD_INDEX_ENTRY e{};
    e.position = i * 64;
    e.firstDword = 0x01000040u;
    e.companion = i + 1;
    e.commandWrapper = NO_INDEX;
    e.kind = static_cast<uint16_t>(340 + i % 500);
    e.dataLength = i;
    e.opcode = static_cast<uint8_t>(i >> 3);
    return e;
}

DWORD StateAt(const void* p) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(p, &info, sizeof info) == 0) return 0;
    return info.State;
}

} // namespace

TEST(RecordIndexArrayVirtual, GrowsBySegmentsCommittedInStepsWithoutMovingEntries) {
    CVirtualReservedMemory& mem = CVirtualReservedMemory::Get();
    ASSERT_EQ(mem.GetPageSize(), 4096u);
    ASSERT_EQ(mem.GetGranularity(), 65536u);
    CRecordIndexArray a(mem);
    ASSERT_EQ(a.Append(EntryFor(0)), 0u);
    EXPECT_EQ(a.GetReservedBytes(), 576u * 1024);
    EXPECT_EQ(a.GetCommittedBytes(), 16u * 1024);
    const uint8_t* first = reinterpret_cast<const uint8_t*>(a.GetAt(0));
    EXPECT_EQ(StateAt(first), static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(StateAt(first + 16 * 1024), static_cast<DWORD>(MEM_RESERVE));   // reserved, not committed

    int commits = 0;
    size_t committed = a.GetCommittedBytes();
    constexpr uint32_t kCount = 300000;   // 10.8 MB in 19 segments
    for (uint32_t i = 1; i < kCount; ++i) {
        ASSERT_EQ(a.Append(EntryFor(i)), i);
        if (a.GetCommittedBytes() != committed) {
            ++commits;
            committed = a.GetCommittedBytes();
            // The last entry's page is committed; past the committed part of
            // its segment the pages are only reserved.
            const uint8_t* last = reinterpret_cast<const uint8_t*>(a.GetAt(i));
            ASSERT_EQ(StateAt(last), static_cast<DWORD>(MEM_COMMIT));
            const size_t inSegment = committed - (a.GetSegmentCount() - 1) * CRecordIndexArray::kSegmentBytes;
            const uint8_t* segment = reinterpret_cast<const uint8_t*>(a.GetAt(i & ~(CRecordIndexArray::kSegmentEntries - 1)));
            if (inSegment < CRecordIndexArray::kSegmentBytes) {
                ASSERT_EQ(StateAt(segment + inSegment), static_cast<DWORD>(MEM_RESERVE));
            }
        }
    }
    EXPECT_GT(commits, 10);
    EXPECT_EQ(a.GetSegmentCount(), 19u);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.GetAt(0)), first);   // never moved
    for (uint32_t i = 0; i < kCount; ++i) {
        const RECORD_INDEX_ENTRY want = EntryFor(i);
        ASSERT_EQ(std::memcmp(a.GetAt(i), &want, sizeof want), 0) << i;
    }

    const void* segment1 = a.GetAt(CRecordIndexArray::kSegmentEntries);
    ASSERT_TRUE(a.SetCount(0));
    EXPECT_EQ(StateAt(first), static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(StateAt(segment1), static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(a.GetCommitStep(), 16u * 1024);
}
