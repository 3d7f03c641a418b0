// Layout arithmetic of frames and bars: strips taken off edges, splits with
// minimum sizes and status-bar part edges, without windows.
#include <gtest/gtest.h>

#include <climits>

#include "framework/pure/BarLayout.h"

namespace brx {
namespace {

struct EdgeCase {
  const char* name;
  LayoutRect free;
  LayoutEdge edge;
  int32_t thickness;
  LayoutRect strip;
  LayoutRect rest;
};

TEST(BarLayout, TakeEdgeTakesAStripAndLeavesTheRest) {
  const EdgeCase cases[] = {
    {"top", {0, 0, 400, 300}, LayoutEdge::Top, 28, {0, 0, 400, 28}, {0, 28, 400, 300}},
    {"bottom", {0, 28, 400, 300}, LayoutEdge::Bottom, 20, {0, 280, 400, 300}, {0, 28, 400, 280}},
    {"left", {10, 10, 110, 60}, LayoutEdge::Left, 30, {10, 10, 40, 60}, {40, 10, 110, 60}},
    {"right", {10, 10, 110, 60}, LayoutEdge::Right, 30, {80, 10, 110, 60}, {10, 10, 80, 60}},
    {"more than there is", {0, 0, 400, 50}, LayoutEdge::Top, 80, {0, 0, 400, 50}, {0, 50, 400, 50}},
    {"more than there is, bottom", {0, 0, 400, 50}, LayoutEdge::Bottom, 80, {0, 0, 400, 50}, {0, 0, 400, 0}},
    {"negative", {0, 0, 400, 50}, LayoutEdge::Left, -5, {0, 0, 0, 50}, {0, 0, 400, 50}},
    {"inverted free", {0, 60, 400, 50}, LayoutEdge::Top, 10, {0, 60, 400, 60}, {0, 60, 400, 60}},
    {"at the limits", {INT32_MIN, 0, INT32_MAX, 10}, LayoutEdge::Left, INT32_MAX,
     {INT32_MIN, 0, -1, 10}, {-1, 0, INT32_MAX, 10}},
  };
  for (const EdgeCase& c : cases) {
    LayoutRect free = c.free;
    LayoutRect strip = TakeEdge(free, c.edge, c.thickness);
    EXPECT_EQ(strip, c.strip) << c.name;
    EXPECT_EQ(free, c.rest) << c.name;
    EXPECT_LE(free.left, free.right) << c.name;
    EXPECT_LE(free.top, free.bottom) << c.name;
  }
}

TEST(BarLayout, BarsStackInTheOrderTheyTakeTheirStrips) {
  // A frame's pass: toolbar on top, status bar at the bottom, the view gets the rest.
  LayoutRect client{0, 0, 640, 400};
  LayoutRect toolbar = TakeEdge(client, LayoutEdge::Top, 26);
  LayoutRect status = TakeEdge(client, LayoutEdge::Bottom, 22);
  EXPECT_EQ(toolbar, (LayoutRect{0, 0, 640, 26}));
  EXPECT_EQ(status, (LayoutRect{0, 378, 640, 400}));
  EXPECT_EQ(client, (LayoutRect{0, 26, 640, 378}));
  // A frame shrunk below its bars: the bars keep what they can, the view nothing.
  LayoutRect small{0, 0, 640, 30};
  TakeEdge(small, LayoutEdge::Top, 26);
  LayoutRect cut = TakeEdge(small, LayoutEdge::Bottom, 22);
  EXPECT_EQ(cut.Height(), 4);
  EXPECT_TRUE(small.IsEmpty());
}

TEST(BarLayout, ClampSizeLetsTheMinimumWin) {
  EXPECT_EQ(ClampSize(50, 10, 100), 50);
  EXPECT_EQ(ClampSize(5, 10, 100), 10);
  EXPECT_EQ(ClampSize(500, 10, 100), 100);
  EXPECT_EQ(ClampSize(50, 80, 60), 80);
}

struct SplitCase {
  const char* name;
  LayoutRect whole;
  bool sideBySide;
  int32_t position, gap, minFirst, minSecond;
  LayoutRect first, second;
};

TEST(BarLayout, SplitKeepsMinimumsAndTheFirstPartGivesWayFirst) {
  const SplitCase cases[] = {
    {"plain", {0, 0, 300, 100}, true, 100, 4, 20, 20, {0, 0, 100, 100}, {104, 0, 300, 100}},
    {"above and below", {0, 0, 300, 100}, false, 30, 4, 10, 10, {0, 0, 300, 30}, {0, 34, 300, 100}},
    {"first below its minimum", {0, 0, 300, 100}, true, 5, 4, 50, 20, {0, 0, 50, 100}, {54, 0, 300, 100}},
    {"second below its minimum", {0, 0, 300, 100}, true, 290, 4, 20, 60, {0, 0, 236, 100}, {240, 0, 300, 100}},
    {"no room for both", {0, 0, 100, 100}, true, 50, 4, 60, 60, {0, 0, 36, 100}, {40, 0, 100, 100}},
    {"smaller than the gap", {0, 0, 3, 10}, true, 2, 4, 1, 1, {0, 0, 0, 10}, {3, 0, 3, 10}},
    {"negative position", {10, 0, 110, 10}, true, -40, 0, 0, 0, {10, 0, 10, 10}, {10, 0, 110, 10}},
    {"inverted whole", {100, 0, 0, 10}, true, 40, 4, 0, 0, {100, 0, 100, 10}, {100, 0, 100, 10}},
  };
  for (const SplitCase& c : cases) {
    LayoutSplit s = SplitRect(c.whole, c.sideBySide, c.position, c.gap, c.minFirst, c.minSecond);
    EXPECT_EQ(s.first, c.first) << c.name;
    EXPECT_EQ(s.second, c.second) << c.name;
  }
}

TEST(BarLayout, StatusPanesStretchIntoWhatTheFixedOnesLeave) {
  // A message pane that stretches and three indicators, with a size grip.
  std::vector<StatusPaneSpec> panes = {{0, 2, true}, {60, 2, false}, {40, 2, false}, {100, 0, false}};
  EXPECT_EQ(StatusPaneEdges(panes, 500, 16), (std::vector<int32_t>{276, 340, 384, 484}));  // ends at the grip
  // Too narrow: the stretching pane keeps only its borders, the rest overflow.
  EXPECT_EQ(StatusPaneEdges(panes, 150, 16), (std::vector<int32_t>{4, 68, 112, 212}));
  // Two stretching panes share the rest; the first takes the odd pixel.
  std::vector<StatusPaneSpec> two = {{0, 0, true}, {10, 0, false}, {0, 0, true}};
  EXPECT_EQ(StatusPaneEdges(two, 111, 0), (std::vector<int32_t>{51, 61, 111}));
  EXPECT_TRUE(StatusPaneEdges({}, 100, 0).empty());
  // Nonsense widths count as nothing.
  std::vector<StatusPaneSpec> bad = {{-50, -3, false}, {INT32_MAX, 0, false}, {INT32_MAX, 0, false}};
  EXPECT_EQ(StatusPaneEdges(bad, 100, 0), (std::vector<int32_t>{0, INT32_MAX, INT32_MAX}));
}

} // namespace
} // namespace brx
