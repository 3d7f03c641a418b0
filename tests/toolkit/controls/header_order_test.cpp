#include <gtest/gtest.h>

#include "toolkit/controls/HeaderOrder.h"

namespace brx {
namespace {

TEST(HeaderOrder, HiddenColumnsGoBehindTheVisibleOnesInReverse) {
    struct Case {
        std::vector<int> order;
        std::vector<bool> visible;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{0, 1, 2, 3, 4, 5}, {true, true, false, true, false, true}, {0, 1, 3, 5, 4, 2}},
        {{5, 2, 0, 1}, {true, true, false, true, true, true}, {5, 0, 1, 2}},
        {{0, 1, 2}, {true, true, true}, {0, 1, 2}},
        {{1, 0}, {false, false}, {0, 1}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(HiddenColumnsLast(c.order, c.visible), c.expected);
}

TEST(HeaderOrder, AShownColumnReturnsToItsPlace) {
    // Column 3 of 6 was hidden (last); shown again with four or more visible.
    EXPECT_EQ(OrderAfterShowing({0, 1, 2, 4, 5, 3}, 3, 5, 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Only two columns visible: it goes to position 1.
    EXPECT_EQ(OrderAfterShowing({0, 1, 2, 4, 5, 3}, 3, 5, 2), (std::vector<int>{0, 3, 1, 2, 4, 5}));
    // Already in front of its target: unchanged.
    EXPECT_EQ(OrderAfterShowing({3, 0, 1}, 3, 0, 3), (std::vector<int>{3, 0, 1}));
    EXPECT_EQ(OrderAfterShowing({0, 1}, 1, 7, 2), (std::vector<int>{0, 1}));
}

} // namespace
} // namespace brx
