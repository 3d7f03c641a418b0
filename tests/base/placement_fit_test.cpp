#include <gtest/gtest.h>

#include "base/PlacementFit.h"

namespace brx {
namespace {

TEST(PlacementFit, OverlapNeedsAPixelInCommon) {
    const PlacementRect work{0, 0, 100, 100};
    struct Case {
        const char* what;
        PlacementRect r;
        bool overlaps;
    } cases[] = {
        {"inside", {10, 10, 20, 20}, true},
        {"one pixel over the corner", {99, 99, 200, 200}, true},
        {"touching the right edge", {100, 10, 150, 20}, false},
        {"touching the bottom edge", {10, 100, 20, 150}, false},
        {"above", {10, -50, 20, -10}, false},
        {"empty inside", {50, 50, 50, 60}, false},
        {"empty across an edge", {-10, 50, 90, 50}, false},
        {"covering", {-10, -10, 110, 110}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(RectsOverlap(c.r, work), c.overlaps) << c.what;
}

TEST(PlacementFit, OffAreaRectanglesAreLeftForTheCallerToPlace) {
    // The caller sees with RectsOverlap that nothing was fitted (the dialogs
    // then centre themselves on their parent).
    const PlacementRect work{0, 0, 1280, 1000};
    const PlacementRect outside{1400, 100, 1800, 400};
    EXPECT_FALSE(RectsOverlap(outside, work));
    EXPECT_EQ(FitRectToWorkArea(outside, work), outside);
    const PlacementRect partly{1100, 100, 1500, 400};
    EXPECT_TRUE(RectsOverlap(partly, work));
    EXPECT_EQ(FitRectToWorkArea(partly, work), (PlacementRect{880, 100, 1280, 400}));
}

} // namespace
} // namespace brx
