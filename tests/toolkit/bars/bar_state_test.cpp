// The bars' decisions without windows: version classes, saved rebar band
// records and their restore plan, the toolbar's option header, tooltips per
// text option and the rectangle of a status pane's control.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/bars/BarState.h"

namespace brx {
namespace {

TEST(VersionClass, TableOfVersions) {
    struct Case {
        OsVersion version;
        int expected;
    };
    const Case cases[] = {
        {{false, 4, 10}, 0}, {{false, 5, 1}, 0}, {{true, 3, 51}, 4}, {{true, 4, 0}, 4},
        {{true, 5, 0}, 5},   {{true, 5, 1}, 6},   {{true, 5, 2}, 7},  {{true, 6, 0}, 5},
        {{true, 6, 1}, 6},   {{true, 6, 2}, 7},   {{true, 6, 3}, 7},  {{true, 10, 0}, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VersionClassOf(c.version), c.expected)
            << "nt " << c.version.nt << " " << c.version.major << "." << c.version.minor;
}

TEST(RebarState, EncodeDecodeRoundTripIsLittleEndian) {
    std::vector<RebarBandRecord> records = {{0x81, 120, 33004}, {kBandBreak | kBandHidden, 300, 0xE800}};
    std::vector<uint8_t> bytes = EncodeRebarState(records);
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], 0x81);
    EXPECT_EQ(bytes[4], 120);
    EXPECT_EQ(bytes[8], 0xEC); // 33004 = 0x80EC
    EXPECT_EQ(bytes[9], 0x80);
    EXPECT_EQ(DecodeRebarState(bytes.data(), bytes.size()), records);
}

TEST(RebarState, TrailingPartialRecordIsIgnored) {
    std::vector<uint8_t> bytes = EncodeRebarState({{1, 2, 3}, {4, 5, 6}});
    for (size_t cut : {0u, 5u, 11u, 12u, 13u, 23u}) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        EXPECT_EQ(DecodeRebarState(part.data(), part.size()).size(), cut / 12) << cut;
    }
    EXPECT_TRUE(DecodeRebarState(nullptr, 24).empty());
}

TEST(RebarRestore, MovesBandsToSavedOrderWithWidthsAndBreaks) {
    // Current: menu (A), toolbar (B), tools (C); saved order C, A, B.
    std::vector<uint32_t> ids = {10, 20, 30};
    std::vector<uint32_t> styles = {0x100, 0x100 | kBandBreak, 0x100 | kBandHidden};
    std::vector<RebarBandRecord> saved = {{kBandBreak, 150, 30}, {0, 200, 10}, {kBandHidden, 90, 20}};
    std::vector<RebarRestoreStep> steps = PlanRebarRestore(ids, styles, saved);
    std::vector<RebarRestoreStep> expected = {
        {0, 30, 150, 0x100 | kBandBreak}, {1, 10, 200, 0x100}, {2, 20, 90, 0x100 | kBandHidden}};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(ApplyRebarMoves(ids, steps), (std::vector<uint32_t>{30, 10, 20}));
}

TEST(RebarRestore, FewerRecordsThanBandsLeaveTheRestAlone) {
    std::vector<uint32_t> ids = {10, 20, 30};
    std::vector<RebarRestoreStep> steps = PlanRebarRestore(ids, {0, 0, 0}, {{0, 77, 20}});
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0], (RebarRestoreStep{0, 20, 77, 0}));
    EXPECT_EQ(ApplyRebarMoves(ids, steps), (std::vector<uint32_t>{20, 10, 30}));
    EXPECT_TRUE(PlanRebarRestore(ids, {0, 0, 0}, {}).empty());
}

TEST(RebarRestore, StaleRecordNeverHidesAnotherBand) {
    // A record of a band that no longer exists, saved hidden, in front of the
    // menu band's own record: the menu band keeps its place and stays shown.
    std::vector<uint32_t> ids = {33004, 0xE800};
    std::vector<RebarBandRecord> saved = {{kBandHidden, 50, 0xE900}, {0, 400, 33004}, {kBandBreak, 300, 0xE800}};
    std::vector<RebarRestoreStep> steps = PlanRebarRestore(ids, {0, 0}, saved);
    std::vector<RebarRestoreStep> expected = {{0, 33004, 400, 0}, {1, 0xE800, 300, kBandBreak}};
    EXPECT_EQ(steps, expected);
    for (const RebarRestoreStep& step : steps) EXPECT_EQ(step.style & kBandHidden, 0u);
}

TEST(RebarRestore, DuplicatedIdRestoresOnce) {
    std::vector<RebarRestoreStep> steps = PlanRebarRestore({1, 2}, {0, 0}, {{0, 5, 2}, {0, 6, 2}, {0, 7, 1}});
    std::vector<RebarRestoreStep> expected = {{0, 2, 5, 0}, {1, 1, 7, 0}};
    EXPECT_EQ(steps, expected);
}

TEST(ToolbarOptions, ShortBlockKeepsEverythingAndOptionsAreClamped) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool present;
        int text;
        int icon;
    };
    const Case cases[] = {
        {{}, false, 0, 0},
        {{1, 0, 0, 0, 1, 0, 0}, false, 0, 0}, // 7 bytes: too short
        {{1, 0, 0, 0, 1, 0, 0, 0}, true, 1, 1},
        {{2, 0, 0, 0, 0, 0, 0, 0, 9}, true, 2, 0},
        {{7, 0, 0, 0, 5, 0, 0, 0}, true, 2, 1},                       // above the range
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}, true, 0, 0}, // -1 and -2
    };
    for (const Case& c : cases) {
        ToolbarOptionsHeader h = DecodeToolbarOptions(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(h.present, c.present) << c.bytes.size();
        if (!c.present) continue;
        EXPECT_EQ(h.textOption, c.text);
        EXPECT_EQ(h.iconOption, c.icon);
    }
    uint8_t out[kToolbarOptionBytes];
    EncodeToolbarOptions(1, 0, out);
    ToolbarOptionsHeader back = DecodeToolbarOptions(out, sizeof(out));
    EXPECT_TRUE(back.present);
    EXPECT_EQ(back.textOption, 1);
    EXPECT_EQ(back.iconOption, 0);
}

TEST(ToolbarOptions, RecordCountAfterTheHeader) {
    EXPECT_EQ(ToolbarRecordCount(0, 20), 0u);
    EXPECT_EQ(ToolbarRecordCount(7, 20), 0u);
    EXPECT_EQ(ToolbarRecordCount(8, 20), 0u);
    EXPECT_EQ(ToolbarRecordCount(28, 20), 1u);
    EXPECT_EQ(ToolbarRecordCount(67, 20), 2u);
    EXPECT_EQ(ToolbarRecordCount(68, 0), 0u);
}

TEST(ToolbarTips, PerTextOption) {
    EXPECT_FALSE(ToolbarButtonHasTip(-1, false));
    EXPECT_FALSE(ToolbarButtonHasTip(0, false));
    EXPECT_FALSE(ToolbarButtonHasTip(0, true));
    EXPECT_TRUE(ToolbarButtonHasTip(1, false));
    EXPECT_FALSE(ToolbarButtonHasTip(1, true));
    EXPECT_TRUE(ToolbarButtonHasTip(2, false));
    EXPECT_TRUE(ToolbarButtonHasTip(2, true));
}

TEST(StatusControl, RectanglePerPaneKind) {
    const int32_t edge = 2, icon = 16, right = 500;
    struct Case {
        StatusControlPane pane;
        bool grip;
        LayoutRect expected;
    };
    const LayoutRect pane{100, 2, 200, 22};
    const Case cases[] = {
        {{pane, false, false, false, 96}, true, {102, 4, 198, 20}},    // not last: its own rectangle
        {{pane, false, false, true, 96}, true, {100, 2, 200, 22}},     // no borders: not shrunk
        {{pane, true, true, false, 96}, true, {102, 4, 480, 20}},      // stretched to the grip
        {{pane, true, true, false, 96}, false, {102, 4, 498, 20}},     // stretched to the edge
        {{pane, true, false, false, 40}, true, {102, 4, 144, 20}},     // last, fixed: width + 3 edges
        {{{10, 0, 12, 3}, false, false, false, 0}, false, {12, 2, 12, 2}}, // never inverted
    };
    for (const Case& c : cases) {
        LayoutRect rc = StatusControlRect(c.pane, right, c.grip, edge, icon);
        EXPECT_EQ(rc, c.expected) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    }
}

TEST(MenuEffects, EachCountsOnlyWithTheUiEffects) {
    struct Case {
        uint32_t uiEffects, value;
        bool on;
    };
    const Case cases[] = {{0, 0, false}, {0, 1, false}, {1, 0, false}, {1, 1, true}};
    for (const Case& c : cases) {
        MenuEffectSettings s{c.value, c.value, c.value, c.uiEffects, c.value};
        EXPECT_EQ(s.MenuAnimation(), c.on);
        EXPECT_EQ(s.KeyboardCues(), c.on);
        EXPECT_EQ(s.MenuFade(), c.on);
        EXPECT_EQ(s.FlatMenu(), c.on);
    }
    // One effect on does not switch the others on.
    MenuEffectSettings flatOnly{0, 0, 0, 1, 1};
    EXPECT_TRUE(flatOnly.FlatMenu());
    EXPECT_FALSE(flatOnly.MenuAnimation() || flatOnly.KeyboardCues() || flatOnly.MenuFade());
}

} // namespace
} // namespace brx
