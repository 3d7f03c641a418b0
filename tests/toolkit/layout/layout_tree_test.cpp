#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "toolkit/layout/LayoutTree.h"

namespace brx {
namespace {

LayoutSlot Fixed(int32_t size, bool fill = false) { return {LayoutSizing::Fixed, size, size, size, fill}; }
LayoutSlot Percent(int32_t percent, int32_t minimum = 5, int32_t maximum = -1) {
    return {LayoutSizing::Percent, percent, minimum, maximum, false};
}
LayoutSlot Share(int32_t minimum = 5, int32_t maximum = -1) { return {LayoutSizing::Share, 0, minimum, maximum, false}; }

std::vector<int32_t> Distribute(const std::vector<LayoutSlot>& slots, int32_t space) {
    std::vector<int32_t> sizes(slots.size(), -99);
    DistributeLayout(slots.data(), slots.size(), space, sizes.data());
    return sizes;
}

TEST(LayoutDistribution, EdgeCases) {
    struct Case {
        const char* what;
        std::vector<LayoutSlot> slots;
        int32_t space;
        std::vector<int32_t> sizes;
    } cases[] = {
        {"one sharing child takes everything", {Share()}, 100, {100}},
        {"three shares: remainders go to the later children", {Share(), Share(), Share()}, 100, {33, 33, 34}},
        {"three shares in 12 px stay at their minimums (overflow)", {Share(), Share(), Share()}, 12, {5, 5, 5}},
        {"fixed then share", {Fixed(30), Share()}, 100, {30, 70}},
        {"fixed wider than the space: the share keeps its minimum", {Fixed(150), Share()}, 100, {150, 5}},
        {"leftover goes to filling fixed children, the last takes the rest", {Fixed(30, true), Fixed(20, true)}, 101,
         {55, 46}},
        {"non-filling fixed children take no leftover", {Fixed(30), Fixed(20, true)}, 100, {30, 70}},
        {"percent of what the fixed ones leave", {Percent(50), Percent(50), Fixed(40)}, 240, {100, 100, 40}},
        {"percent then share", {Percent(25), Share()}, 200, {50, 150}},
        {"a percent child below its minimum is pinned, the other gives way", {Percent(10, 50), Percent(90)}, 200,
         {50, 150}},
        {"a child pinned while giving way leaves the rest to the others", {Percent(20, 40), Percent(20, 17), Percent(60)},
         100, {40, 17, 43}},
        {"a percent child at its maximum leaves its surplus to the shares", {Percent(50, 5, 40), Share()}, 200,
         {40, 160}},
        {"a share at its maximum gives the rest to the other share", {Share(5, 50), Share()}, 300, {50, 250}},
        {"two shares at their maximums leave the space unused", {Share(5, 50), Share(5, 60)}, 300, {50, 60}},
        {"a share held at its minimum takes a surplus up to its maximum", {Share(5, 10), Share(160, 200)}, 300,
         {10, 200}},
        {"share minimums count in the split", {Share(80), Share()}, 100, {80, 20}},
        {"zero space: shares at minimum", {Share(), Share()}, 0, {5, 5}},
        {"zero space: percent at minimum, fixed keeps its size", {Percent(50), Fixed(10)}, 0, {5, 10}},
        {"negative space counts as none", {Share(), Percent(30)}, -40, {5, 5}},
        {"percent minimum 0 at zero space", {Percent(50, 0), Percent(50, 0)}, 0, {0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Distribute(c.slots, c.space), c.sizes) << c.what;
}

TEST(LayoutDistribution, SizesFillTheSpaceWheneverTheLimitsAllowIt) {
    // Mixed children over many widths: limits always hold, and the sizes add up
    // to the space exactly when the minimums fit and some child is unbounded.
    std::vector<LayoutSlot> slots = {Fixed(23), Percent(30, 40), Share(12), Percent(15, 5, 60), Share(5, 90), Share(30)};
    int32_t minimums = 0;
    for (const LayoutSlot& s : slots) minimums += s.minimum;
    for (int32_t space = 0; space <= 2000; space += 7) {
        std::vector<int32_t> sizes = Distribute(slots, space);
        for (size_t i = 0; i < slots.size(); ++i) {
            EXPECT_GE(sizes[i], slots[i].minimum) << space << " child " << i;
            if (slots[i].maximum != -1) {
                EXPECT_LE(sizes[i], slots[i].maximum) << space << " child " << i;
            }
        }
        int32_t total = std::accumulate(sizes.begin(), sizes.end(), 0);
        if (space >= minimums + 60) {
            EXPECT_EQ(total, space) << space;
        } else {
            EXPECT_GE(total, std::min(space, minimums)) << space;
        }
    }
}

// --- nodes

std::shared_ptr<LayoutItem> Item(uintptr_t window, uint32_t mode, int32_t w, int32_t h, int32_t minW = 0,
                                 int32_t minH = 0) {
    auto item = std::make_shared<LayoutItem>();
    item->window = window;
    item->mode = mode;
    item->width = item->ownWidth = w;
    item->height = item->ownHeight = h;
    item->minWidth = minW;
    item->minHeight = minH;
    return item;
}

LayoutRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return LayoutRect{l, t, r, b}; }

LayoutRect PlacementOf(const LayoutPlacements& out, uintptr_t window) {
    for (const LayoutPlacement& p : out)
        if (p.window == window) return p.rect;
    ADD_FAILURE() << "no placement for " << window;
    return {};
}

TEST(LayoutItem, SizesByMode) {
    struct Case {
        const char* what;
        uint32_t mode;
        int32_t width, minWidth;
        int32_t getWidth200, minW, maxW;
    } cases[] = {
        {"fixed: its width is min and max", LM_FIXED_W, 80, 10, 80, 80, 80},
        {"percent of the total", LM_PERCENT_W, 25, 10, 50, 10, -1},
        {"sharing: no width, unbounded", 0, 80, 10, -1, 10, -1},
        {"sharing with minimum 0 still needs 5", 0, 80, 0, -1, 5, -1},
        {"negative minimum (a spacer) needs 5", 0, 0, -5, -1, 5, -1},
    };
    for (const Case& c : cases) {
        auto item = Item(1, c.mode, c.width, 20, c.minWidth, 0);
        EXPECT_EQ(item->GetWidth(200), c.getWidth200) << c.what;
        EXPECT_EQ(item->GetMinWidth(), c.minW) << c.what;
        EXPECT_EQ(item->GetMaxWidth(), c.maxW) << c.what;
    }
}

TEST(LayoutPane, LimitsAlongAndAcross) {
    auto row = MakeLayoutPane(LM_ROW, 0, 4, 3, 0);
    EXPECT_EQ(row->GetMaxWidth(), -1) << "no children: unbounded";
    row->AddItem(Item(1, LM_FIXED_W | LM_FIXED_H, 40, 20));
    EXPECT_EQ(row->GetMinWidth(), 46);
    EXPECT_EQ(row->GetMaxWidth(), 46) << "one fixed child: its width plus twice the border";
    EXPECT_EQ(row->GetMaxHeight(), 26);
    row->AddItem(Item(2, 0, 0, 0, 30, 12))->AddItem(MakeLayoutFixedSpacer(0, 2));
    EXPECT_EQ(row->GetMinWidth(), 40 + 30 + 5 + 2 * 4 + 6) << "every child counts at least 5";
    EXPECT_EQ(row->GetMaxWidth(), -1) << "a sharing child makes it unbounded";
    EXPECT_EQ(row->GetMinHeight(), 26) << "the largest child minimum plus the borders";
    EXPECT_EQ(row->GetMaxHeight(), -1);

    auto fixedRow = MakeLayoutPane(LM_ROW, LM_FIXED_H, 0, 0, 30);
    fixedRow->AddItem(Item(3, 0, 0, 0, 10, 10));
    EXPECT_EQ(fixedRow->GetMinHeight(), 30) << "a fixed size across wins";
    EXPECT_EQ(fixedRow->GetMaxHeight(), 30);

    auto group = MakeLayoutPaneCtrl(9, LM_COLUMN, 0, 2, 2, 14, 0);
    group->AddItem(Item(4, LM_FIXED_H, 0, 20, 10, 0));
    EXPECT_EQ(group->GetMinHeight(), 20 + 4 + 14) << "the caption space adds to the height";
    EXPECT_EQ(group->GetMaxHeight(), 20 + 4 + 14);
    EXPECT_EQ(group->GetMinWidth(), 14);
}

TEST(LayoutPane, AddingAPaneOfTheSameOrientationWrapsIt) {
    auto root = MakeLayoutPane(LM_ROW, 0, 0, 0, 0);
    auto inner = MakeLayoutPane(LM_ROW, LM_FIXED_W, 0, 0, 0);
    inner->AddItem(Item(1, LM_FIXED_W, 50, 10))->AddItem(Item(2, LM_FIXED_W, 30, 10));
    root->AddPane(inner);
    ASSERT_EQ(root->children.size(), 1u);
    auto* wrapper = dynamic_cast<LayoutPane*>(root->children[0].get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_NE(wrapper, inner.get());
    EXPECT_EQ(wrapper->orientation, LM_COLUMN);
    EXPECT_EQ(wrapper->mode, LM_FIXED_W);
    EXPECT_EQ(wrapper->size, 80) << "fixed with size 0 takes its minimum width";
    ASSERT_EQ(wrapper->children.size(), 1u);
    EXPECT_EQ(wrapper->children[0].get(), inner.get());

    auto column = MakeLayoutPane(LM_COLUMN, LM_PERCENT_W, 0, 0, 40);
    column->AddItem(Item(3, 0, 0, 0));
    root->AddPane(column);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[1].get(), column.get()) << "the other orientation is added as it is";
    EXPECT_EQ(column->GetWidth(200), 80);
}

TEST(LayoutPane, PlacesADialogLikeTree) {
    // A column: a list that grows, then a row of a growing spacer and two
    // buttons that keep their size at the right.
    auto root = MakeLayoutPane(LM_COLUMN, 0, 5, 0, 0);
    auto buttons = MakeLayoutPane(LM_ROW, LM_FIXED_H, 6, 0, 0);
    buttons->AddItem(MakeLayoutGrowingSpacer(0))
        ->AddItem(Item(11, LM_FIXED_W | LM_FIXED_H, 75, 23))
        ->AddItem(Item(12, LM_FIXED_W | LM_FIXED_H, 75, 23));
    root->AddItem(Item(10, 0, 0, 0, 100, 40))->AddPane(buttons);
    EXPECT_EQ(root->GetMinWidth(), 5 + 75 + 75 + 2 * 6) << "the spacer counts 5";
    EXPECT_EQ(root->GetMinHeight(), 40 + 5 + 23);

    for (LayoutRect area : {Rect(5, 5, 305, 205), Rect(5, 5, 605, 405)}) {
        LayoutPlacements out;
        ASSERT_TRUE(root->Resize(area, out));
        ASSERT_EQ(out.size(), 3u) << "the spacer moves nothing";
        EXPECT_EQ(PlacementOf(out, 10), Rect(5, 5, area.right, area.bottom - 28));
        EXPECT_EQ(PlacementOf(out, 12), Rect(area.right - 75, area.bottom - 23, area.right, area.bottom));
        EXPECT_EQ(PlacementOf(out, 11), Rect(area.right - 156, area.bottom - 23, area.right - 81, area.bottom));
    }
}

TEST(LayoutItem, AlignmentAndFillInTheCell) {
    struct Case {
        const char* what;
        uint32_t mode;
        LayoutRect expected;
    } cases[] = {
        {"fixed keeps its size at the top left", LM_FIXED_W | LM_FIXED_H, Rect(0, 0, 40, 20)},
        {"right and bottom", LM_FIXED_W | LM_FIXED_H | LM_ALIGN_R | LM_ALIGN_B, Rect(60, 80, 100, 100)},
        {"centred both ways", LM_FIXED_W | LM_FIXED_H | LM_ALIGN_L | LM_ALIGN_R | LM_ALIGN_T | LM_ALIGN_B,
         Rect(30, 40, 70, 60)},
        {"fill stretches a fixed width", LM_FIXED_W | LM_FIXED_H | LM_FILL_W | LM_ALIGN_R, Rect(0, 0, 100, 20)},
        {"sharing takes the cell", LM_ALIGN_R, Rect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        LayoutPlacements out;
        Item(7, c.mode, 40, 20)->Resize(Rect(0, 0, 100, 100), out);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].rect, c.expected) << c.what;
    }
}

TEST(LayoutPane, FramedPaneMovesItsFrameAndKeepsTheCaptionFree) {
    auto group = MakeLayoutPaneCtrl(20, LM_COLUMN, 0, 4, 8, 10, 0);
    group->AddItem(Item(21, 0, 0, 0));
    auto empty = MakeLayoutPaneCtrl(0, LM_COLUMN, 0, 0, 0, 10, 0);
    empty->AddItem(Item(22, 0, 0, 0));
    auto root = MakeLayoutPane(LM_ROW, 0, 0, 0, 0);
    root->AddPane(group)->AddPane(empty);
    LayoutPlacements out;
    ASSERT_TRUE(root->Resize(Rect(0, 0, 200, 100), out));
    ASSERT_EQ(out.size(), 3u) << "a framed pane without its control moves no frame";
    EXPECT_EQ(out[0].kind, LayoutPlacement::Frame);
    EXPECT_EQ(PlacementOf(out, 20), Rect(0, 0, 100, 100));
    EXPECT_EQ(PlacementOf(out, 21), Rect(8, 18, 92, 92));
    EXPECT_EQ(PlacementOf(out, 22), Rect(100, 10, 200, 100));
}

TEST(LayoutPane, PercentPanesAndZeroSpace) {
    auto root = MakeLayoutPane(LM_ROW, 0, 0, 0, 0);
    auto left = MakeLayoutPane(LM_COLUMN, LM_PERCENT_W, 0, 0, 30);
    left->AddItem(Item(1, 0, 0, 0));
    auto right = MakeLayoutPane(LM_COLUMN, 0, 0, 0, 0);
    right->AddItem(Item(2, 0, 0, 0));
    root->AddPane(left)->AddPane(right);
    LayoutPlacements out;
    root->Resize(Rect(0, 0, 300, 50), out);
    EXPECT_EQ(PlacementOf(out, 1), Rect(0, 0, 90, 50));
    EXPECT_EQ(PlacementOf(out, 2), Rect(90, 0, 300, 50));

    out.clear();
    root->Resize(Rect(0, 0, 0, 0), out);
    EXPECT_EQ(PlacementOf(out, 1), Rect(0, 0, 5, 5)) << "minimums hold in no space, both ways";
    EXPECT_EQ(PlacementOf(out, 2), Rect(5, 0, 10, 5));
}

} // namespace
} // namespace brx
