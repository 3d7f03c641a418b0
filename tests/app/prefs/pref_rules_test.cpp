// The Preferences pages' pure rules: strict digits, what the two number
// edits become on set and after a key, the trackbar arithmetic with its
// clamping, the "MB" texts (64-bit free space) and the time samples.
#include <gtest/gtest.h>

#include <string>

#include "app/prefs/PrefRules.h"

namespace brx {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }
std::string Or(const std::optional<std::u16string>& s) { return s ? Narrow(*s) : "(unchanged)"; }

TEST(PrefRules, DigitsAreParsedStrictly) {
    struct Case {
        const char16_t* text;
        bool ok;
        uint32_t value;
    };
    const Case cases[] = {
        {u"0", true, 0},          {u"7", true, 7},           {u"16", true, 16},
        {u"007", true, 7},        {u"4294967295", true, UINT32_MAX}, {u"99999999999", true, UINT32_MAX},
        {u"", false, 0},          {u"12a", false, 0},        {u"-1", false, 0},
        {u"+1", false, 0},        {u" 1", false, 0},         {u"1 ", false, 0},
        {u"\x0661", false, 0}, // an Arabic-Indic digit is not ours
    };
    for (const Case& c : cases) {
        const auto v = ParsePrefDigits(c.text);
        EXPECT_EQ(v.has_value(), c.ok) << Narrow(c.text);
        if (v && c.ok) {
            EXPECT_EQ(*v, c.value) << Narrow(c.text);
        }
    }
}

TEST(PrefRules, RecentFilesEditClampsToSixteen) {
    struct Case {
        const char16_t* text;
        const char* onSet;
        const char* onKeyUp;
        uint32_t value;
    };
    const Case cases[] = {
        {u"", "(unchanged)", "0", 0},      {u"0", "(unchanged)", "(unchanged)", 0},
        {u"9", "(unchanged)", "(unchanged)", 9}, {u"16", "(unchanged)", "(unchanged)", 16},
        {u"17", "16", "16", 16},           {u"99", "16", "16", 16},
        {u"x", "(unchanged)", "0", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Or(RecentFilesTextOnSet(c.text)), c.onSet) << Narrow(c.text);
        EXPECT_EQ(Or(RecentFilesTextOnKeyUp(c.text)), c.onKeyUp) << Narrow(c.text);
        EXPECT_EQ(RecentFilesValue(c.text), c.value) << Narrow(c.text);
    }
    EXPECT_EQ(kPrefRecentFilesDigits, 2); // "16" must be typeable
}

TEST(PrefRules, ScreensetEditClampsToOneToFour) {
    struct Case {
        const char16_t* text;
        const char* onSet;
        const char* onKeyUp;
        uint32_t value;
    };
    const Case cases[] = {
        {u"", "(unchanged)", "1", 1},  {u"0", "(unchanged)", "1", 1}, {u"1", "(unchanged)", "(unchanged)", 1},
        {u"4", "(unchanged)", "(unchanged)", 4}, {u"5", "4", "4", 4}, {u"9", "4", "4", 4},
        {u"-", "(unchanged)", "1", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Or(ScreensetTextOnSet(c.text)), c.onSet) << Narrow(c.text);
        EXPECT_EQ(Or(ScreensetTextOnKeyUp(c.text)), c.onKeyUp) << Narrow(c.text);
        EXPECT_EQ(ScreensetValue(c.text), c.value) << Narrow(c.text);
    }
}

TEST(PrefRules, KernelMemoryIsClampedToOneStepAndTheMaximum) {
    const KernelMemoryScale defaults = MakeKernelMemoryScale(0, 0);
    EXPECT_EQ(defaults.step, 0x200000u);
    EXPECT_EQ(defaults.max, 0x2000000u);
    struct Case {
        uint32_t step, max, limit;
        uint32_t shown;
        int position, rangeMax;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 0, 0x200000, 1, 16, "2 MB"},               // below the step: one step
        {0, 0, 0x100000, 0x200000, 1, 16, "2 MB"},
        {0, 0, 0x800000, 0x800000, 4, 16, "8 MB"},
        {0, 0, 0x2000000, 0x2000000, 16, 16, "32 MB"},
        {0, 0, 0xFFFFFFFF, 0x2000000, 16, 16, "32 MB"},   // above the maximum: the maximum
        {0x100000, 0x4000000, 0x300000, 0x300000, 3, 64, "3 MB"},
        {0x4000000, 0x1000000, 0, 0x1000000, 1, 1, "16 MB"}, // a step above the maximum
    };
    for (const Case& c : cases) {
        const KernelMemoryScale s = MakeKernelMemoryScale(c.step, c.max);
        EXPECT_EQ(ClampKernelMemory(c.limit, s), c.shown) << c.limit;
        EXPECT_EQ(KernelMemoryPosition(c.limit, s), c.position) << c.limit;
        EXPECT_EQ(KernelMemoryRangeMax(s), c.rangeMax) << c.limit;
        EXPECT_EQ(Narrow(MegabytesText(ClampKernelMemory(c.limit, s))), c.text) << c.limit;
    }
    EXPECT_EQ(KernelMemoryOfPosition(0, defaults), 0x200000u);
    EXPECT_EQ(KernelMemoryOfPosition(5, defaults), 0xA00000u);
    EXPECT_EQ(KernelMemoryOfPosition(99, defaults), 0x2000000u);
}

TEST(PrefRules, TempFileTrackbarIsEightMegabytesAPosition) {
    struct Case {
        uint32_t bytes;
        int position;
        uint32_t back;
        const char* text;
    };
    const Case cases[] = {
        {0, 1, 8u << 20, "8 MB"},                 {8u << 20, 1, 8u << 20, "8 MB"},
        {(16u << 20) + 5, 2, 16u << 20, "16 MB"}, {64u << 20, 8, 64u << 20, "64 MB"},
        {1u << 30, 128, 1u << 30, "1024 MB"},     {0xFFFFFFFF, 128, 1u << 30, "1024 MB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TempFilePosition(c.bytes), c.position) << c.bytes;
        EXPECT_EQ(TempFileSizeOfPosition(c.position), c.back) << c.bytes;
        EXPECT_EQ(Narrow(MegabytesText(TempFileSizeOfPosition(c.position))), c.text) << c.bytes;
    }
    EXPECT_EQ(TempFileSizeOfPosition(0), 8u << 20);
    EXPECT_EQ(TempFileSizeOfPosition(500), 1u << 30);
}

TEST(PrefRules, FreeSpaceBeyondFourGigabytesPrintsIn64Bits) {
    struct Case {
        uint64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 MB"},
        {1048575, "0 MB"},
        {uint64_t{5} << 30, "5120 MB"},              // above 4 GB
        {uint64_t{3} << 40, "3145728 MB"},           // 3 TB: more MB than an int32 "%d" of bytes could show
        {UINT64_MAX, "17592186044415 MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(Narrow(MegabytesText(c.bytes)), c.text) << c.bytes;
}

TEST(PrefRules, TimeSamplesFollowTheFormats) {
    const PrefLocalTime t{2026, 3, 7, 9, 5, 4, 12};
    EXPECT_EQ(Narrow(TimeSample(0, t)), "2026-03-07 9:05:04.012");
    EXPECT_EQ(Narrow(TimeSample(1, t)), "9:05:04.012");
    struct Case {
        uint32_t format;
        const char* elapsed;
        uint32_t choice;
        const char* duration;
    };
    const Case cases[] = {
        {0, "00:00:00.001234", 0, "0.005678"},
        {1, "0.001234", 1, "5.678 ms"},
        {2, "1.234 ms", 2, "5.678 ms"},
        {7, "0.001234", 1, "5.678 ms"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(ElapsedSample(c.format)), c.elapsed) << c.format;
        EXPECT_EQ(ElapsedFormatChoice(c.format), c.choice) << c.format;
        EXPECT_EQ(Narrow(DurationSample(c.format)), c.duration) << c.format;
    }
}

TEST(PrefRules, OnlyFixedDrivesHoldTheTemporaryFile) {
    // GetDriveType: 0 unknown, 1 no root, 2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
    for (uint32_t type = 0; type <= 6; ++type) EXPECT_EQ(IsTempDirectoryDriveType(type), type == 3) << type;
}

} // namespace
} // namespace brx
