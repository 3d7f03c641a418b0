// The capture store's arithmetic: scratch sizes and reserves, the fullness
// percentage, the base block from the first record, and the command blocks
// of mass-storage stages.
#include <gtest/gtest.h>

#include <cstring>

#include "capture/CaptureStoreRules.h"
#include "capture/Record.h"
#include "sim/RecordBuilder.h"

using namespace brx;

TEST(CaptureStoreRules, ScratchSizesAndTheirReserves) {
    EXPECT_EQ(ClampScratchSize(0), 8u << 20);
    EXPECT_EQ(ClampScratchSize((8u << 20) - 1), 8u << 20);
    EXPECT_EQ(ClampScratchSize(100u << 20), 100u << 20);
    EXPECT_EQ(ClampScratchSize(0xFFFFFFFFu), 1u << 30);
    struct Case {
        uint32_t size, reserve;
    } cases[] = {
        {8u << 20, 192u << 10},         {(8u << 20) + 1, 256u << 10}, {16u << 20, 256u << 10},
        {(16u << 20) + 1, 384u << 10},  {32u << 20, 384u << 10},      {(32u << 20) + 1, 512u << 10},
        {64u << 20, 512u << 10},        {1u << 30, 512u << 10},
    };
    for (const Case& c : cases) EXPECT_EQ(FullReserveForScratchSize(c.size), c.reserve) << c.size;
}

TEST(CaptureStoreRules, FullnessPercentIsOneToHundred) {
    const uint32_t size = 8u << 20, reserve = 192u << 10;   // hundredths of 81,920 bytes
    struct Case {
        uint32_t used, percent;
    } cases[] = {
        {0, 1}, {81919, 1}, {81920, 1}, {163839, 1}, {163840, 2}, {819200, 10},
        {size - reserve - 1, 99}, {size - reserve, 100}, {size, 100},
    };
    for (const Case& c : cases) EXPECT_EQ(FullnessPercent(c.used, size, reserve), c.percent) << c.used;
    // A scratch no larger than its reserve, or too small for hundredths.
    EXPECT_EQ(FullnessPercent(0, 100, 100), 100u);
    EXPECT_EQ(FullnessPercent(0, 150, 100), 100u);
}

TEST(CaptureStoreRules, BaseBlockTakesTheFirstRecordsTimes) {
    RecordBuilder b;
    const Bytes marker = b.StartMarker();
    CAPTURE_BASE_BLOCK block = MakeEmptyBaseBlock();
    EXPECT_EQ(block.size, 32u);
    ASSERT_TRUE(TakeFirstRecordTimes(block, marker.data(), marker.size()));
    EXPECT_EQ(block.firstTime, 0x01DD5A2B3C4D5E00ull);
    EXPECT_EQ(block.firstCounter, 1000000);
    // Only once.
    const Bytes next = b.DropMarker();
    EXPECT_FALSE(TakeFirstRecordTimes(block, next.data(), next.size()));
    EXPECT_EQ(block.firstTime, 0x01DD5A2B3C4D5E00ull);

    // Only what the record and the window hold.
    CAPTURE_BASE_BLOCK partial = MakeEmptyBaseBlock();
    EXPECT_TRUE(TakeFirstRecordTimes(partial, marker.data(), 20));
    EXPECT_EQ(partial.firstTime, 0x01DD5A2B3C4D5E00ull);
    EXPECT_EQ(partial.firstCounter, 0);
    Bytes shortRecord = marker;
    PutU32(shortRecord, 0, 0x02000010);   // a record of 16 bytes
    partial = MakeEmptyBaseBlock();
    EXPECT_TRUE(TakeFirstRecordTimes(partial, shortRecord.data(), shortRecord.size()));
    EXPECT_EQ(partial.firstCounter, 0);
    partial = MakeEmptyBaseBlock();
    EXPECT_FALSE(TakeFirstRecordTimes(partial, marker.data(), 15));
    EXPECT_FALSE(TakeFirstRecordTimes(partial, nullptr, 100));
    EXPECT_EQ(partial.firstTime, 0u);
}

TEST(CaptureStoreRules, CommandsDecodedWithTheirCommandBlock) {
    const uint8_t needs[] = {0x04, 0x12, 0x15, 0x1A, 0x43, 0x46, 0x55, 0x5A,
                             0x5C, 0x9E, 0xA2, 0xA3, 0xA4, 0xAC, 0xAD, 0xB6};
    int count = 0;
    for (int op = 0; op < 256; ++op) count += CommandNeedsCdb(static_cast<uint8_t>(op));
    EXPECT_EQ(count, 16);
    for (uint8_t op : needs) EXPECT_TRUE(CommandNeedsCdb(op)) << int(op);
    EXPECT_FALSE(CommandNeedsCdb(0x28));
    EXPECT_FALSE(CommandNeedsCdb(0x00));
}

TEST(CaptureStoreRules, CommandBlockComesOnlyFromAWholeWrapper) {
    const Bytes cdb = {0x12, 0x01, 0x80, 0x00, 0xFF, 0x00, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const Bytes cbw = CommandBlockWrapper(5, 255, true, 0, cdb);
    ASSERT_EQ(cbw.size(), 31u);
    uint8_t out[16];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_TRUE(CopyWrapperCdb(cbw.data(), 31, out));
    EXPECT_EQ(std::memcmp(out, cdb.data(), 16), 0);

    std::memset(out, 0xEE, sizeof out);
    Bytes bad = cbw;
    bad[0] = 'X';
    EXPECT_FALSE(CopyWrapperCdb(bad.data(), 31, out));
    EXPECT_FALSE(CopyWrapperCdb(cbw.data(), 30, out));
    EXPECT_FALSE(CopyWrapperCdb(nullptr, 31, out));
    EXPECT_EQ(out[0], 0xEE);
}
