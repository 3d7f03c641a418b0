// Drag arithmetic: the start rectangle, the edge bands of a rectangle (inner
// and outer) and the outline shapes.
#include <gtest/gtest.h>

#include <climits>

#include "toolkit/dock/DockDrag.h"

using namespace brx;

namespace {

TEST(DockDragTest, StartRectangleMovesTheLeastToHoldThePoint) {
    const DockRect r{100, 100, 300, 200};
    struct Case {
        int32_t x, y;
        DockRect want;
    } cases[] = {
        {150, 150, r},                         // inside: unchanged
        {50, 150, {50, 100, 250, 200}},        // left of it
        {350, 250, {150, 150, 350, 250}},      // right of and below it
        {200, 80, {100, 80, 300, 180}},        // above it
        {INT32_MIN, 150, {INT32_MIN, 100, INT32_MIN + 200, 200}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, DockDragStartRect(r, c.x, c.y)) << c.x << "," << c.y;
}

TEST(DockDragTest, InnerBandsTheNearerEdgeWinsAndLeftWinsATie) {
    const DockRect r{0, 0, 200, 100};
    struct Case {
        int32_t x, y;
        bool found;
        int mode;
        DockRect half;
    } cases[] = {
        {15, 10, true, DP_DOCK_ABOVE, {0, 0, 200, 50}},
        {10, 15, true, DP_DOCK_LEFT, {0, 0, 100, 100}},
        {12, 12, true, DP_DOCK_LEFT, {0, 0, 100, 100}},
        {0, 50, true, DP_DOCK_LEFT, {0, 0, 100, 100}},
        {21, 50, true, DP_DOCK_LEFT, {0, 0, 100, 100}},
        {22, 50, false, 0, {}},
        {190, 95, true, DP_DOCK_RIGHT, {100, 0, 200, 100}},  // right is tested before bottom
        {100, 90, true, DP_DOCK_BELOW, {0, 50, 200, 100}},
        {100, 50, false, 0, {}},
        {-1, 50, false, 0, {}},  // outside: nothing with inner bands
        {200, 50, false, 0, {}},
    };
    for (const Case& c : cases) {
        DockRect half{};
        int mode = -1;
        EXPECT_EQ(c.found, DockEdgeTest(r, c.x, c.y, true, half, mode)) << c.x << "," << c.y;
        if (!c.found) continue;
        EXPECT_EQ(c.mode, mode) << c.x << "," << c.y;
        EXPECT_EQ(c.half, half) << c.x << "," << c.y;
    }
}

TEST(DockDragTest, OuterBandsLieOutsideTheEdges) {
    const DockRect r{100, 100, 301, 201};
    struct Case {
        int32_t x, y;
        bool found;
        int mode;
    } cases[] = {
        {90, 150, true, DP_DOCK_LEFT},   {150, 79, true, DP_DOCK_ABOVE}, {310, 150, true, DP_DOCK_RIGHT},
        {150, 223, false, 0},            {150, 222, true, DP_DOCK_BELOW}, {150, 150, false, 0},
        {105, 150, false, 0},  // inside the left edge: an outer band does not reach in
    };
    for (const Case& c : cases) {
        DockRect half{};
        int mode = -1;
        EXPECT_EQ(c.found, DockEdgeTest(r, c.x, c.y, false, half, mode)) << c.x << "," << c.y;
        if (c.found) {
            EXPECT_EQ(c.mode, mode) << c.x << "," << c.y;
        }
    }
    // Halves split at the rounded-down midpoint.
    DockRect half{};
    int mode = 0;
    ASSERT_TRUE(DockEdgeTest(r, 310, 150, false, half, mode));
    EXPECT_EQ((DockRect{200, 100, 301, 201}), half);
}

TEST(DockDragTest, OutlineIsAFrameOrATabShape) {
    const DockRect r{0, 0, 200, 100};
    const DockOutlineShape frame = DockOutlineFor(r, false);
    ASSERT_EQ(1u, frame.frames.size());
    EXPECT_EQ(r, frame.frames[0]);

    // Tab 50 wide and 20 high at the bottom left; the body above it; the
    // joint where they meet, narrowed by 4 on each side.
    const DockOutlineShape tab = DockOutlineFor(r, true);
    ASSERT_EQ(3u, tab.frames.size());
    EXPECT_EQ((DockRect{5, 76, 55, 100}), tab.frames[0]);
    EXPECT_EQ((DockRect{0, 0, 200, 80}), tab.frames[1]);
    EXPECT_EQ((DockRect{9, 76, 51, 80}), tab.frames[2]);

    // A small rectangle: tab width w - 5, height h / 2.
    const DockOutlineShape small = DockOutlineFor(DockRect{0, 0, 30, 20}, true);
    EXPECT_EQ((DockRect{5, 6, 30, 20}), small.frames[0]);
    EXPECT_EQ((DockRect{0, 0, 30, 10}), small.frames[1]);
}

} // namespace
