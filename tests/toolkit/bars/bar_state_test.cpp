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

TEST(ToolbarOptions, RestoreKeepsOnlyTheBarsButtonsOnceAndBoundedSeparators) {
    auto block = [](std::vector<uint32_t> ids, size_t recordBytes) {
        std::vector<uint8_t> out(ids.size() * recordBytes, 0xEE);
        for (size_t i = 0; i < ids.size(); ++i)
            for (size_t b = 0; b < 4; ++b) out[i * recordBytes + b] = static_cast<uint8_t>(ids[i] >> (8 * b));
        return out;
    };
    const std::vector<uint32_t> buttons{0x7301, 0x7302, 0x7303};
    const std::vector<uint32_t> separators{0};
    struct Case {
        std::vector<uint32_t> saved;
        std::vector<size_t> kept;
    };
    const Case cases[] = {
        {{0x7301, 0, 0x7303}, {0, 1, 2}},                       // all known
        {{0x7301, 0x9999, 0x7302, 0x7301, 0x7302}, {0, 2}},     // stale and repeated ids go
        {{0x80000000u, 0xFFFFFFFFu, 0x7303}, {0, 1, 2}},        // separators the control marks
        {{0, 0, 0, 0, 0, 0x7302}, {0, 1, 2, 3, 5}},             // at most 4 separators for 4 records
        {{}, {}},
        {{0x1234, 0x4321}, {}},                                 // nothing left: keep the current bar
    };
    for (size_t recordBytes : {size_t{4}, size_t{6}})
        for (const Case& c : cases) {
            const std::vector<uint8_t> bytes = block(c.saved, recordBytes);
            EXPECT_EQ(ToolbarRecordsToRestore(bytes.data(), c.saved.size(), recordBytes, buttons, separators), c.kept)
                << c.saved.size() << " records of " << recordBytes;
        }
    // Thousands of stale or repeated records keep one record per button.
    std::vector<uint32_t> many(16000, 0x5555);
    for (size_t i = 0; i < many.size(); i += 3) many[i] = buttons[(i / 3) % 3];
    const std::vector<uint8_t> bytes = block(many, 4);
    EXPECT_EQ(ToolbarRecordsToRestore(bytes.data(), many.size(), 4, buttons, separators).size(), 3u);
    // Records too short to hold an id, or no block, keep nothing.
    EXPECT_TRUE(ToolbarRecordsToRestore(bytes.data(), 4, 3, buttons, separators).empty());
    EXPECT_TRUE(ToolbarRecordsToRestore(nullptr, 4, 4, buttons, separators).empty());
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

TEST(PopupPlacement, AlignMoveInsideAndAvoidTheExcludedRectangle) {
    const LayoutRect desk{0, 0, 1000, 800};
    struct Case {
        const char* what;
        PopupRequest request;
        PopupPlacement expected;
    };
    auto req = [&](int32_t x, int32_t y, PopupAlign h, PopupAlign v, bool vertical, LayoutRect ex) {
        PopupRequest r;
        r.x = x;
        r.y = y;
        r.width = 100;
        r.height = 60;
        r.horizontal = h;
        r.vertical = v;
        r.besideVertically = vertical;
        r.desktop = desk;
        r.excluded = ex;
        return r;
    };
    const LayoutRect none{};
    const Case cases[] = {
        {"left and top at the point", req(10, 20, PopupAlign::Start, PopupAlign::Start, true, none),
         {{10, 20, 110, 80}, PopupSide::None}},
        {"centred", req(500, 400, PopupAlign::Centre, PopupAlign::Centre, true, none),
         {{450, 370, 550, 430}, PopupSide::None}},
        {"ending at the point", req(500, 400, PopupAlign::End, PopupAlign::End, true, none),
         {{400, 340, 500, 400}, PopupSide::None}},
        {"back from the right and bottom edges", req(950, 780, PopupAlign::Start, PopupAlign::Start, true, none),
         {{900, 740, 1000, 800}, PopupSide::None}},
        {"then from the left and top", req(-30, -5, PopupAlign::Start, PopupAlign::Start, true, none),
         {{0, 0, 100, 60}, PopupSide::None}},
        // A chevron (900..920, 100..120) with the popup at its left and bottom: no overlap.
        {"below the chevron", req(900, 120, PopupAlign::Start, PopupAlign::Start, true, {900, 100, 920, 120}),
         {{900, 120, 1000, 180}, PopupSide::None}},
        // Near the bottom it is pushed up over the chevron, so it goes above it.
        {"above near the bottom", req(900, 790, PopupAlign::Start, PopupAlign::Start, true, {900, 770, 920, 790}),
         {{900, 710, 1000, 770}, PopupSide::Above}},
        // Both sides fit: the smaller move wins.
        {"the smaller move", req(300, 300, PopupAlign::Start, PopupAlign::Start, true, {300, 280, 320, 310}),
         {{300, 310, 400, 370}, PopupSide::Below}},
        {"neither fits: below", req(0, 0, PopupAlign::Start, PopupAlign::Start, true, {0, 10, 1000, 790}),
         {{0, 790, 100, 850}, PopupSide::Below}},
        {"beside: right", req(400, 300, PopupAlign::Start, PopupAlign::Start, false, {390, 290, 420, 320}),
         {{420, 300, 520, 360}, PopupSide::Right}},
        {"beside: left near the right edge", req(950, 300, PopupAlign::Start, PopupAlign::Start, false,
                                                 {920, 290, 990, 320}),
         {{820, 300, 920, 360}, PopupSide::Left}},
    };
    for (const Case& c : cases) {
        PopupPlacement got = PlacePopup(c.request);
        EXPECT_EQ(got, c.expected) << c.what << ": " << got.rect.left << "," << got.rect.top << "," << got.rect.right
                                   << "," << got.rect.bottom;
    }
}

TEST(CustomizeList, ItemDataDecoding) {
    struct Case {
        int64_t data;
        bool separator;
        int record, image;
    };
    const Case cases[] = {
        {0x00020001, false, 2, 1},
        {0x0000FFFF, false, 0, -1},          // a button without image
        {-1, true, -1, -1},                  // negative: separator
        {static_cast<int64_t>(0xFFFFFFFFu), true, -1, -1}, // the same, not sign-extended
        {0x00050000, true, -1, -1},          // past the five records
    };
    for (const Case& c : cases) {
        CustomizeListItem item = DecodeCustomizeItem(c.data, 5);
        EXPECT_EQ(item.separator, c.separator) << std::hex << c.data;
        EXPECT_EQ(item.record, c.record) << std::hex << c.data;
        EXPECT_EQ(item.image, c.image) << std::hex << c.data;
    }
}

TEST(CustomizeList, MatchesTheToolbarOnlyInOurForm) {
    const std::vector<int32_t> records{10, 0, 20, 30};
    const std::vector<int32_t> toolbar{10, 0, 30};
    EXPECT_TRUE(CustomizeListMatchesToolbar({0x00000000, 0x00010000, 0x00030002, -1}, toolbar, records));
    EXPECT_TRUE(CustomizeListMatchesToolbar({0x00000000, -1, 0x00030002, -1}, toolbar, records));
    // Another system's pointers: they name no record with the button's command.
    EXPECT_FALSE(CustomizeListMatchesToolbar({0x370BE0, 0x370DE0, 0x370E60, 0x370F50}, toolbar, records));
    EXPECT_FALSE(CustomizeListMatchesToolbar({0x7FFF00370BE0LL, 0, 0, 0}, {0, 0, 0}, records));
    // The wrong count (no end item) or a different command.
    EXPECT_FALSE(CustomizeListMatchesToolbar({0x00000000, 0x00010000, 0x00030002}, toolbar, records));
    EXPECT_FALSE(CustomizeListMatchesToolbar({0x00020000, 0x00010000, 0x00030002, -1}, toolbar, records));
    EXPECT_TRUE(CustomizeListMatchesToolbar({-1}, {}, records));
}

TEST(CustomizeList, ItemLayout) {
    CustomizeItemRects r = CustomizeItemLayout(LayoutRect{0, 22, 200, 44}, 22);
    EXPECT_EQ(r.cell, (LayoutRect{0, 22, 22, 44}));
    EXPECT_EQ(r.text, (LayoutRect{27, 22, 198, 44}));
    EXPECT_EQ(r.highlight, (LayoutRect{23, 22, 200, 44}));
    EXPECT_EQ(CustomizeCellSize(0), 22);
    EXPECT_EQ(CustomizeCellSize(1), 30);
}

TEST(MenuMnemonic, DoubledAmpersandsAreNoMnemonic) {
    struct Case {
        std::u16string text;
        char16_t mnemonic;
    };
    const Case cases[] = {
        {u"&File", u'F'}, {u"E&xit", u'x'}, {u"Q && A", 0}, {u"&&&Tools", u'T'},
        {u"A&&B&C", u'C'}, {u"Trailing&", 0}, {u"", 0}, {u"&&", 0}, {u"Plain", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(MenuMnemonic(c.text), c.mnemonic);
}

} // namespace
} // namespace brx
