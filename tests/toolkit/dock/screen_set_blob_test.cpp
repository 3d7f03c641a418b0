// The screen-set blob: the default arrangement, saving back to the same
// bytes, and damaged blobs refused as a whole. Every blob is loaded from an
// exact-size heap block, so a read past it is a sanitizer failure.
#include <gtest/gtest.h>

#include <memory>

#include "tests/toolkit/dock/DockTestUtil.h"
#include "toolkit/dock/ScreenSetBlob.h"

using namespace brx;
using namespace brx::test;

namespace {

bool LoadExact(CDPLayout& layout, const Bytes& blob, const DockLoadRules& rules = Screen1024()) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[blob.size() ? blob.size() : 1]);
    std::copy(blob.begin(), blob.end(), block.get());
    return layout.Load(block.get(), blob.size(), rules);
}

Bytes Saved(CDPLayout& layout) {
    Bytes out;
    EXPECT_TRUE(layout.Save(out));
    return out;
}

const char* const kDefaultTree =
    "row[col[tab(1*) row[tab(3* 4 2)]] col[ph row[tab(5* 7 8 6 9)]]]"
    " frame[row[tab()]] frame[row[tab()]] frame[row[tab()]]";

CDPTabbedContainer* FrameGroup(const CDPLayout& layout, size_t frame) {
    for (size_t i = 0; i < layout.NodeCount(); ++i) {
        const CDPBase* node = layout.Node(i);
        if (node->Type() == DP_NODE_FLOATING && frame-- == 0) {
            auto* content = static_cast<const CDPMiniWnd*>(node)->Child();
            return static_cast<CDPTabbedContainer*>(content->Children().front());
        }
    }
    return nullptr;
}

TEST(ScreenSetBlob, DefaultBlobHoldsTheDefaultArrangement) {
    CDPLayout layout;
    ASSERT_TRUE(LoadExact(layout, DefaultBlob()));
    EXPECT_EQ(kDefaultTree, DescribeLayout(layout));
    EXPECT_EQ(0, layout.IsLocked());
    EXPECT_EQ(27u, layout.NodeCount());
    EXPECT_EQ(DP_NODE_PLACEHOLDER, layout.Placeholder()->Type());

    // Extents as stored: the left column 457 wide, the right one 563.
    const auto& columns = layout.Root()->Children();
    EXPECT_EQ(457, columns[0]->cx);
    EXPECT_EQ(256, columns[0]->cy);
    EXPECT_EQ(563, columns[1]->cx);
    EXPECT_EQ(0, columns[1]->cy);

    // Floating frames at their rectangles; their empty groups are the
    // floating homes of pane 1, panes 2-4 and panes 5-9.
    auto frameRect = [&](size_t i) { return static_cast<const CDPMiniWnd*>(FrameGroup(layout, i)->FloatingFrame())->rect; };
    EXPECT_EQ((DockRect{466, 231, 795, 495}), frameRect(0));
    EXPECT_EQ((DockRect{151, 232, 461, 495}), frameRect(1));
    EXPECT_EQ((DockRect{0, 69, 456, 349}), frameRect(2));
    const int floatingHomeFrame[10] = {0, 2, 1, 1, 1, 0, 0, 0, 0, 0};
    for (uint8_t id = 1; id <= 9; ++id) {
        SCOPED_TRACE(id);
        CDP* pane = layout.FindPane(id);
        ASSERT_NE(nullptr, pane);
        EXPECT_EQ(0, pane->GetFlags());
        EXPECT_EQ(FrameGroup(layout, floatingHomeFrame[id]), layout.GetHome(pane, true));
        EXPECT_EQ(pane->Group(), layout.GetHome(pane, false));
        EXPECT_EQ(pane->Group(), layout.FindInfo(pane)->lastHome);
    }
}

TEST(ScreenSetBlob, DefaultBlobSavesBackToTheSameBytes) {
    CDPLayout layout;
    ASSERT_TRUE(LoadExact(layout, DefaultBlob()));
    EXPECT_EQ(DefaultBlob(), Saved(layout));

    // The lock flag travels in byte 5.
    layout.SetLocked(1);
    Bytes locked = Saved(layout);
    Bytes want = DefaultBlob();
    want[5] = 1;
    EXPECT_EQ(want, locked);
    CDPLayout again;
    ASSERT_TRUE(LoadExact(again, locked));
    EXPECT_EQ(1, again.IsLocked());
}

// A damaged blob is refused and the layout keeps what it had.
TEST(ScreenSetBlob, DamagedBlobsAreRefusedWhole) {
    const Bytes d = DefaultBlob();
    auto patched = [&](size_t at, uint8_t v) {
        Bytes b = d;
        b[at] = v;
        return b;
    };
    auto inRecord = [&](int index, size_t field, uint8_t v) { return patched(RecordOffset(d, index) + field, v); };
    auto inRecord16 = [&](int index, size_t field, uint16_t v) {
        Bytes b = d;
        Put16(b, RecordOffset(d, index) + field, v);
        return b;
    };
    auto withRecord = [&](int index, Bytes record) { return WithRecord(d, index, std::move(record)); };
    auto splitter = [](uint8_t row, Bytes children) {
        Bytes r = {0, 0, DP_NODE_SPLITTER, 0, 0, 1, 0, 1, row, 0, static_cast<uint8_t>(children.size())};
        r.insert(r.end(), children.begin(), children.end());
        return r;
    };
    auto tabbed = [](uint8_t active, Bytes panes) {
        Bytes r = {0, 0, DP_NODE_TABBED, 0, 0, 1, 0, 1, active, static_cast<uint8_t>(panes.size())};
        r.insert(r.end(), panes.begin(), panes.end());
        return r;
    };
    Bytes splitterCountPastRecord = RecordOf(d, 1);  // row of 2, claims 3
    splitterCountPastRecord[10] = 3;
    Bytes tabbedCountPastRecord = RecordOf(d, 13);   // 5 panes, claims 6
    tabbedCountPastRecord[9] = 6;
    Bytes pane13 = RecordOf(d, 4);
    pane13.pop_back();
    Bytes splitter10 = RecordOf(d, 12);
    splitter10.resize(10);
    Bytes frame20 = RecordOf(d, 19);
    frame20.resize(20);
    Bytes cycle = WithRecord(withRecord(1, splitter(1, {10})), 5, splitter(1, {6, 2}));
    Bytes paneInSplitter = WithRecord(withRecord(3, tabbed(0, {})), 5, splitter(1, {6, 4}));

    struct Case {
        const char* name;
        Bytes blob;
    };
    const Case cases[] = {
        {"5 bytes", Bytes(d.begin(), d.begin() + 5)},
        {"header size past the end", patched(1, 2)},
        {"header size below 6", patched(0, 4)},
        {"node count 0", patched(4, 0)},
        {"node count 1", patched(4, 1)},
        {"node count above the records", patched(4, 28)},
        {"node count above 100", patched(4, 101)},
        {"root index 0", patched(2, 0)},
        {"placeholder index past the count", patched(3, 28)},
        {"last record cut short", Bytes(d.begin(), d.end() - 1)},
        {"record size 0", inRecord(11, 0, 0)},
        {"record size below 8", inRecord(11, 0, 7)},
        {"record size past the end", inRecord(27, 0, 11)},
        {"type 3", inRecord(11, 2, 3)},
        {"type 0", inRecord(11, 2, 0)},
        {"type 7", inRecord(11, 2, 7)},
        {"pane id 0", inRecord(4, 8, 0)},
        {"pane flags 3", inRecord(4, 10, 3)},
        {"home index 101", inRecord(4, 12, 101)},
        {"home names a splitter", inRecord(4, 11, 2)},
        {"home names a pane", inRecord(4, 13, 7)},
        {"pane record of 13 bytes", withRecord(4, pane13)},
        {"floating frame of 20 bytes", withRecord(19, frame20)},
        {"frame child 0", inRecord(19, 8, 0)},
        {"frame child not a splitter", inRecord(19, 8, 21)},
        {"tabbed count past its record", withRecord(13, tabbedCountPastRecord)},
        {"tabbed names a splitter", withRecord(3, tabbed(0, {2}))},
        {"tabbed names index 0", withRecord(3, tabbed(0, {0}))},
        {"splitter record of 10 bytes", withRecord(12, splitter10)},
        {"splitter count past its record", withRecord(1, splitterCountPastRecord)},
        {"splitter holds a pane", paneInSplitter},
        {"splitter holds a floating frame", withRecord(5, splitter(1, {6, 19}))},
        {"splitter holds itself", withRecord(5, splitter(1, {6, 5}))},
        {"splitter child past the count", withRecord(5, splitter(1, {6, 50}))},
        {"pane in two groups", withRecord(3, tabbed(4, {4, 7}))},
        {"group in two splitters", withRecord(5, splitter(1, {6, 3}))},
        {"splitter below itself", cycle},
        {"root not a splitter", patched(2, 3)},
        {"root placed in a splitter", patched(2, 10)},
        {"placeholder of another type", patched(3, 4)},
        {"placeholder outside the root", withRecord(10, splitter(0, {12}))},
        {"pane id twice", inRecord(15, 8, 5)},
        {"pane id missing", inRecord(18, 8, 10)},
        {"width equal to the screen width", inRecord16(2, 4, 1024)},
        {"height equal to the screen height", inRecord16(2, 6, 768)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPLayout layout;
        ASSERT_TRUE(LoadExact(layout, d));
        EXPECT_FALSE(LoadExact(layout, c.blob));
        EXPECT_EQ(kDefaultTree, DescribeLayout(layout));
    }
}

TEST(ScreenSetBlob, PaneIdsFollowTheRules) {
    // Without expected ids any distinct ids load; duplicates never do.
    DockLoadRules anyIds = Screen1024();
    anyIds.paneIds.reset();
    Bytes renamed = DefaultBlob();
    renamed[RecordOffset(renamed, 18) + 8] = 42;
    CDPLayout layout;
    EXPECT_FALSE(LoadExact(layout, renamed));
    EXPECT_TRUE(LoadExact(layout, renamed, anyIds));
    EXPECT_NE(nullptr, layout.FindPane(42));
    renamed[RecordOffset(renamed, 17) + 8] = 42;
    EXPECT_FALSE(LoadExact(layout, renamed, anyIds));
}

// Odd but sound blobs load the way the format says.
TEST(ScreenSetBlob, TolerantCasesLoad) {
    const Bytes d = DefaultBlob();
    struct Case {
        const char* name;
        Bytes blob;
        const char* tree;
    };
    Bytes headerOf8 = d;
    headerOf8[0] = 8;
    headerOf8.insert(headerOf8.begin() + 6, {0xEE, 0xEE});
    Bytes trailing = d;
    trailing.insert(trailing.end(), {1, 2, 3});
    Bytes longPane = RecordOf(d, 4);
    longPane.insert(longPane.end(), {9, 9});
    Bytes emptyGroup8 = RecordOf(d, 21);
    emptyGroup8.resize(8);
    Bytes activeElsewhere = RecordOf(d, 6);
    activeElsewhere[8] = 14;  // names a pane of another group
    Bytes activeOutOfRange = RecordOf(d, 6);
    activeOutOfRange[8] = 101;
    Bytes splitterOver100 = RecordOf(d, 20);
    splitterOver100[10] = 101;
    const std::string tail = " frame[row[tab()]] frame[row[tab()]] frame[row[tab()]]";
    const Case cases[] = {
        {"header of 8 bytes", headerOf8, kDefaultTree},
        {"bytes after the last record", trailing, kDefaultTree},
        {"pane record longer than 14", WithRecord(d, 4, longPane), kDefaultTree},
        {"tabbed record of 8 bytes is an empty group", WithRecord(d, 21, emptyGroup8), kDefaultTree},
        {"active index naming no tab leaves the last tab active", WithRecord(d, 6, activeElsewhere),
         "row[col[tab(1*) row[tab(3 4 2*)]] col[ph row[tab(5* 7 8 6 9)]]]"},
        {"active index above 100 leaves the group empty", WithRecord(d, 6, activeOutOfRange),
         "row[col[tab(1*) row[tab()]] col[ph row[tab(5* 7 8 6 9)]]]"},
        {"splitter count above 100 leaves an empty column", WithRecord(d, 20, splitterOver100),
         "row[col[tab(1*) row[tab(3* 4 2)]] col[ph row[tab(5* 7 8 6 9)]]] frame[col[]] frame[row[tab()]] "
         "frame[row[tab()]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPLayout layout;
        ASSERT_TRUE(LoadExact(layout, c.blob));
        std::string tree = c.tree;
        if (tree.find("frame") == std::string::npos) tree += tail;
        EXPECT_EQ(tree, DescribeLayout(layout));
    }

    // A home index beyond the last node is no home.
    CDPLayout layout;
    Bytes farHome = d;
    farHome[RecordOffset(d, 4) + 13] = 50;
    ASSERT_TRUE(LoadExact(layout, farHome));
    EXPECT_EQ(nullptr, layout.FindInfo(layout.FindPane(1))->lastHome);
}

TEST(ScreenSetBlob, SaveRefusesWhatAnIndexCannotName) {
    DockLoadRules anyIds = ScreenSetLoadRules(30000, 30000);
    anyIds.paneIds.reset();
    const DockRect rect{0, 0, 100, 100};
    // Placeholder, root, then a pane and its group per id.
    CDPLayout fits;
    for (int id = 1; id <= 49; ++id) fits.AddPane(static_cast<uint8_t>(id), rect, DP_DOCK_RIGHT, nullptr);
    ASSERT_EQ(100u, fits.NodeCount());
    Bytes blob = Saved(fits);
    CDPLayout back;
    ASSERT_TRUE(LoadExact(back, blob, anyIds));
    EXPECT_EQ(blob, Saved(back));

    fits.AddPane(50, rect, DP_DOCK_RIGHT, nullptr);
    Bytes untouched = {1, 2, 3};
    EXPECT_FALSE(fits.Save(untouched));
    EXPECT_EQ((Bytes{1, 2, 3}), untouched);

    CDPLayout cleared;
    cleared.Clear();
    EXPECT_FALSE(cleared.Save(untouched));
}

TEST(ScreenSetBlob, LoadFromMemoryRefusesNull) {
    CDPLayout layout;
    EXPECT_FALSE(layout.LoadFromMemory(nullptr, 362, Screen1024()));
    EXPECT_TRUE(layout.LoadFromMemory(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, Screen1024()));
    EXPECT_EQ(kDefaultTree, DescribeLayout(layout));
}

} // namespace
