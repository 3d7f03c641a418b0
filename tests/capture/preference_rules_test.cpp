#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "capture/PreferenceRules.h"

using namespace brx;

TEST(PreferenceRules, TempFileSizeIsRoundedToEightMegabytesWithinItsRange) {
    constexpr uint32_t MB = 0x100000;
    struct Case {
        uint32_t requested;
        bool taken;
        uint32_t kept;
    } cases[] = {
        {32 * MB - 1, true, 24 * MB},
        {32 * MB, true, 32 * MB},
        {8 * MB, true, 8 * MB},
        {8 * MB - 1, false, 0},
        {0, false, 0},
        {1024 * MB, true, 1024 * MB},
        {1024 * MB + 1, true, 1024 * MB},
        {1024 * MB + 8 * MB, false, 0},
        {UINT32_MAX, false, 0},
    };
    for (const Case& c : cases) {
        uint32_t kept = 0xDEADBEEF;
        EXPECT_EQ(AcceptTempFileSize(c.requested, kept), c.taken) << c.requested;
        EXPECT_EQ(kept, c.taken ? c.kept : 0xDEADBEEF) << c.requested;
    }
}

TEST(PreferenceRules, ScreensetsAndFormatsKeepTheirRanges) {
    EXPECT_FALSE(IsScreensetInRange(0));
    EXPECT_TRUE(IsScreensetInRange(1));
    EXPECT_TRUE(IsScreensetInRange(4));
    EXPECT_FALSE(IsScreensetInRange(5));
    EXPECT_FALSE(IsScreensetInRange(UINT32_MAX));

    struct Case {
        uint32_t stored, time, elapsed, duration;
    } cases[] = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 1, 2, 1}, {3, 1, 2, 1}, {7, 1, 2, 1}, {UINT32_MAX, 1, 2, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampTimeFormat(c.stored), c.time) << c.stored;
        EXPECT_EQ(ClampElapsedTimeFormat(c.stored), c.elapsed) << c.stored;
        EXPECT_EQ(ClampDurationFormat(c.stored), c.duration) << c.stored;
    }
}

TEST(PreferenceRules, ShowCommandsAboveElevenReadAsNormal) {
    EXPECT_EQ(ReadableShowCmd(0), 0u);
    EXPECT_EQ(ReadableShowCmd(3), 3u);
    EXPECT_EQ(ReadableShowCmd(11), 11u);
    EXPECT_EQ(ReadableShowCmd(12), 1u);
    EXPECT_EQ(ReadableShowCmd(UINT32_MAX), 1u);
}

TEST(PreferenceRules, MostRecentScreensetHoldsTheFlagAndTheSet) {
    EXPECT_EQ(EncodeMostRecentScreenset(true, 3), 3u);
    EXPECT_EQ(EncodeMostRecentScreenset(false, 3), 0u);

    struct Case {
        uint32_t stored;
        bool use;
        uint32_t set;
    } cases[] = {{0, false, 2}, {1, true, 1}, {4, true, 4}, {5, true, 2}, {UINT32_MAX, true, 2}};
    for (const Case& c : cases) {
        bool use = !c.use;
        uint32_t set = 2;
        DecodeMostRecentScreenset(c.stored, use, set);
        EXPECT_EQ(use, c.use) << c.stored;
        EXPECT_EQ(set, c.set) << c.stored;
    }
}

TEST(PreferenceRules, NormalizeSwapsInvertedEdges) {
    EXPECT_EQ(NormalizeRect({30, 40, 10, 20}), (PlacementRect{10, 20, 30, 40}));
    EXPECT_EQ(NormalizeRect({10, 20, 30, 40}), (PlacementRect{10, 20, 30, 40}));
}

TEST(PreferenceRules, PlacementIsMovedBackOntoTheWorkArea) {
    const PlacementRect work{0, 0, 1280, 1000};
    struct Case {
        const char* what;
        PlacementRect stored;
        PlacementRect fitted;
    } cases[] = {
        {"inside stays", {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"filling stays", {0, 0, 1280, 1000}, {0, 0, 1280, 1000}},
        {"100 px off the right edge", {980, 100, 1380, 400}, {880, 100, 1280, 400}},
        {"off the left edge", {-50, 100, 350, 400}, {0, 100, 400, 400}},
        {"off the top", {100, -30, 500, 270}, {100, 0, 500, 300}},
        {"off the bottom", {100, 900, 500, 1100}, {100, 800, 500, 1000}},
        {"off two edges", {1000, 900, 1400, 1200}, {880, 700, 1280, 1000}},
        {"wider than the area narrows", {-100, 10, 1500, 20}, {0, 10, 1280, 20}},
        {"taller than the area narrows", {10, -5, 20, 1200}, {10, 0, 20, 1000}},
        {"inverted edges", {1380, 400, 980, 100}, {880, 100, 1280, 400}},
        {"wholly outside stays", {2000, 100, 2400, 400}, {2000, 100, 2400, 400}},
        {"touching only at an edge stays", {1280, 100, 1600, 400}, {1280, 100, 1600, 400}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitRectToWorkArea(c.stored, work), c.fitted) << c.what;
}

TEST(PreferenceRules, FittingExtremeStoredEdgesStaysInsideTheWorkArea) {
    // A crafted registry value: the arithmetic must neither overflow nor
    // leave an edge outside the area.
    const PlacementRect work{-200, 50, 1080, 1000};
    PlacementRect rects[] = {
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {INT32_MIN, 100, 0, 200},
        {1000, 100, INT32_MAX, 200},
        {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
    };
    for (const PlacementRect& r : rects) {
        PlacementRect f = FitRectToWorkArea(r, work);
        EXPECT_GE(f.left, work.left);
        EXPECT_LE(f.right, work.right);
        EXPECT_GE(f.top, work.top);
        EXPECT_LE(f.bottom, work.bottom);
        EXPECT_LE(f.left, f.right);
        EXPECT_LE(f.top, f.bottom);
    }
    EXPECT_EQ(FitRectToWorkArea({INT32_MIN, 100, 0, 200}, work), (PlacementRect{-200, 100, 1080, 200}));
}
