// The dock layout tree and its operations, without windows: docking modes,
// emptied groups and splitters, compaction, copies, toggling between docked
// and floating homes, and the division of a frame among the containers.
#include <gtest/gtest.h>

#include <set>

#include "tests/toolkit/dock/DockTestUtil.h"
#include "toolkit/dock/DockLayout.h"
#include "toolkit/dock/ScreenSetBlob.h"

using namespace brx;
using namespace brx::test;

namespace {

const DockRect kPaneRect{0, 0, 256, 256};
const DockMetrics kMetrics{17, 24};

void LoadDefault(CDPLayout& layout) {
    ASSERT_TRUE(layout.Load(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize, Screen1024()));
}

Bytes Saved(CDPLayout& layout) {
    Bytes out;
    EXPECT_TRUE(layout.Save(out));
    return out;
}

CDPTabbedContainer* GroupOf(CDPLayout& layout, uint8_t id) { return layout.FindPane(id)->Group(); }

// Pane 1 docked left of the placeholder, then each step adds a pane.
TEST(DockLayout, DockModes) {
    struct Step {
        uint8_t id;
        int mode;
        int ref;  // a pane id, 0 for the root, -1 for the placeholder
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        const char* tree;
    };
    const Case cases[] = {
        {"above a pane in a row makes a column", {{2, DP_DOCK_ABOVE, 1}}, "row[col[tab(2*) tab(1*)] ph]"},
        {"below a pane in a row makes a column", {{2, DP_DOCK_BELOW, 1}}, "row[col[tab(1*) tab(2*)] ph]"},
        {"left of a pane in a row", {{2, DP_DOCK_LEFT, 1}}, "row[tab(2*) tab(1*) ph]"},
        {"right of a pane in a row", {{2, DP_DOCK_RIGHT, 1}}, "row[tab(1*) tab(2*) ph]"},
        {"left of a row root goes first", {{2, DP_DOCK_LEFT, 0}}, "row[tab(2*) tab(1*) ph]"},
        {"right of a row root goes last", {{2, DP_DOCK_RIGHT, 0}}, "row[tab(1*) ph tab(2*)]"},
        {"above a row root makes a column root", {{2, DP_DOCK_ABOVE, 0}}, "col[tab(2*) row[tab(1*) ph]]"},
        {"below a row root makes a column root", {{2, DP_DOCK_BELOW, 0}}, "col[row[tab(1*) ph] tab(2*)]"},
        {"below the placeholder", {{2, DP_DOCK_BELOW, -1}}, "row[tab(1*) col[ph tab(2*)]]"},
        {"beside a pane in a column makes a row",
         {{2, DP_DOCK_BELOW, 1}, {3, DP_DOCK_RIGHT, 2}},
         "row[col[tab(1*) row[tab(2*) tab(3*)]] ph]"},
        {"into an existing column next to the reference",
         {{2, DP_DOCK_BELOW, 1}, {3, DP_DOCK_ABOVE, 2}},
         "row[col[tab(1*) tab(3*) tab(2*)] ph]"},
        {"the frame's own start-up order",
         {{2, DP_DOCK_BELOW, 1}, {3, DP_DOCK_BELOW, 1}, {4, DP_DOCK_BELOW, 1}},
         "row[col[tab(1*) tab(4*) tab(3*) tab(2*)] ph]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPLayout layout;
        layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
        for (const Step& s : c.steps) {
            CDPBase* ref = s.ref > 0 ? static_cast<CDPBase*>(layout.FindPane(static_cast<uint8_t>(s.ref)))
                                     : s.ref < 0 ? layout.Placeholder() : nullptr;
            layout.AddPane(s.id, kPaneRect, s.mode, ref);
        }
        EXPECT_EQ(c.tree, Describe(layout.Root()));
    }
}

TEST(DockLayout, NewContainersTakeTheExtentsOfWhatTheyReplace) {
    CDPLayout layout;
    layout.AddPane(1, DockRect{0, 0, 300, 200}, DP_DOCK_LEFT, nullptr);
    CDPTabbedContainer* group1 = GroupOf(layout, 1);
    EXPECT_EQ(300, group1->cx);
    EXPECT_EQ(200, group1->cy);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    CDPBase* column = group1->Parent();
    EXPECT_EQ(DP_NODE_SPLITTER, column->Type());
    EXPECT_EQ(300, column->cx);
    EXPECT_EQ(200, column->cy);
    EXPECT_EQ(layout.Root(), column->Parent());
}

TEST(DockLayout, RefusedDocksChangeNothing) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    const std::string before = DescribeLayout(layout);
    CDPTabbedContainer* group1 = GroupOf(layout, 1);
    CDPBase* column = group1->Parent();
    EXPECT_FALSE(layout.DockNodeAt(group1, DP_DOCK_LEFT, layout.FindPane(1)));  // into itself
    EXPECT_FALSE(layout.DockNodeAt(column, DP_DOCK_LEFT, layout.FindPane(2)));  // into a group it holds
    EXPECT_FALSE(layout.DockNodeAt(layout.FindPane(1), DP_DOCK_LEFT, layout.FindPane(1)));
    EXPECT_FALSE(layout.DockNodeAt(layout.Root(), DP_DOCK_LEFT, layout.FindPane(1)));
    EXPECT_FALSE(layout.DockNode(layout.Placeholder(), DP_DOCK_LEFT, nullptr));
    EXPECT_FALSE(layout.DockNode(column, DP_DOCK_LEFT, nullptr));  // still attached
    EXPECT_FALSE(layout.DockNode(layout.FindPane(1), 4, nullptr));
    // A detached splitter cannot dock beside a group inside it.
    CDPSplitterContainer* loose = layout.MakeSplitter(layout.MakeGroup(layout.Make<CDP>(7)), true);
    EXPECT_FALSE(layout.DockNode(loose, DP_DOCK_LEFT, loose->Children()[0]));
    EXPECT_EQ(nullptr, loose->Parent());
    EXPECT_EQ(nullptr, layout.FloatNode(layout.Root(), DockRect{}));
    EXPECT_EQ(nullptr, layout.FloatNode(layout.Placeholder(), DockRect{}));
    EXPECT_EQ(before, DescribeLayout(layout));
}

// A group that holds panes always has one of them active, as its saved
// form requires.
TEST(DockLayout, ActivePaneIsAlwaysOneOfTheGroup) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    CDPTabbedContainer* group = GroupOf(layout, 1);
    layout.MoveToContainer(layout.AddPane(3, kPaneRect, DP_DOCK_BELOW, nullptr), group);
    group->SetActivePane(layout.FindPane(1), false);
    group->SetActivePane(layout.FindPane(2), false);  // in another group
    group->SetActivePane(nullptr, false);
    EXPECT_EQ("tab(1* 3)", Describe(group));
    group->SwapTabs(layout.FindPane(1), layout.FindPane(3));
    EXPECT_EQ("tab(3 1*)", Describe(group));

    // Removing the active pane makes the first one left active.
    layout.HidePane(layout.FindPane(1));
    EXPECT_EQ("tab(3*)", Describe(group));
    layout.HidePane(layout.FindPane(3));
    EXPECT_EQ(nullptr, group->GetActivePane());
    Bytes blob = Saved(layout);
    CDPLayout back;
    DockLoadRules anyIds = Screen1024();
    anyIds.paneIds.reset();
    ASSERT_TRUE(back.Load(blob.data(), blob.size(), anyIds));
    EXPECT_EQ(blob, Saved(back));
}

TEST(DockLayout, DockNodeAtMovesAGroupAsANewGroup) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    layout.AddPane(3, kPaneRect, DP_DOCK_RIGHT, layout.FindPane(2));  // row[col[tab(1) row[tab(2) tab(3)]] ph]
    CDPTabbedContainer* group1 = GroupOf(layout, 1);
    ASSERT_TRUE(layout.DockNodeAt(group1, DP_DOCK_RIGHT, layout.Placeholder()));
    // The old group stays, empty, in its place (it is still pane 1's docked home).
    EXPECT_EQ("row[col[tab() row[tab(2*) tab(3*)]] ph tab(1*)]", Describe(layout.Root()));
    EXPECT_TRUE(group1->IsEmpty());
    EXPECT_NE(group1, GroupOf(layout, 1));
}

// Removing the last pane of a group keeps the group where it is; the
// splitter gives it no room and no bar; showing the pane puts it back.
TEST(DockLayout, EmptiedGroupKeepsItsPlace) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    CDP* pane2 = layout.FindPane(2);
    CDPTabbedContainer* group2 = pane2->Group();
    auto* column = static_cast<CDPSplitterContainer*>(group2->Parent());
    ASSERT_EQ(1u, column->Bars().size());

    layout.HidePane(pane2);
    EXPECT_TRUE(layout.IsPaneHidden(2));
    EXPECT_EQ("row[col[tab(1*) tab()] ph]", Describe(layout.Root()));
    EXPECT_TRUE(column->Bars().empty());
    layout.LayOut(DockRect{0, 0, 1000, 600}, kMetrics);
    EXPECT_EQ(0, GroupOf(layout, 1)->rect.top);
    EXPECT_EQ(600, GroupOf(layout, 1)->rect.bottom);

    EXPECT_TRUE(layout.ShowPane(pane2));
    EXPECT_EQ(group2, pane2->Group());
    EXPECT_EQ("row[col[tab(1*) tab(2*)] ph]", Describe(layout.Root()));
    EXPECT_EQ(1u, column->Bars().size());
}

TEST(DockLayout, ShowPaneWithoutLastHomeLeavesItHidden) {
    RecordingHost host;
    CDPLayout layout(&host, false);
    Bytes blob = DefaultBlob();
    blob[RecordOffset(blob, 4) + 13] = 0;  // pane 1 has no last home
    ASSERT_TRUE(layout.Load(blob.data(), blob.size(), Screen1024()));
    CDP* pane1 = layout.FindPane(1);
    layout.HidePane(pane1);
    host.log.clear();
    EXPECT_FALSE(layout.ShowPane(pane1));
    EXPECT_TRUE(pane1->IsHidden());
    EXPECT_TRUE(host.Lines("focus").empty());

    // A placed pane becomes its group's active one and gets the focus.
    EXPECT_TRUE(layout.ShowPane(layout.FindPane(4)));
    EXPECT_EQ("tab(3 4* 2)", Describe(GroupOf(layout, 4)));
    EXPECT_EQ(std::vector<std::string>{"focus p4"}, host.Lines("focus"));
}

// Removing the last child of a splitter removes the splitter too, upward.
TEST(DockLayout, EmptiedSplittersVanishUpward) {
    CDPLayout layout;
    CDP* pane = layout.Make<CDP>(1);
    CDPTabbedContainer* group = layout.MakeGroup(pane);
    CDPSplitterContainer* inner = layout.MakeSplitter(group, false);
    CDPSplitterContainer* outer = layout.MakeSplitter(inner, true);
    layout.Root()->InsertChild(outer, nullptr, false);
    ASSERT_EQ("row[row[col[tab(1*)]] ph]", Describe(layout.Root()));

    inner->RemoveChild(group);
    EXPECT_EQ("row[ph]", Describe(layout.Root()));
    EXPECT_EQ(nullptr, group->Parent());
    EXPECT_EQ(nullptr, inner->Parent());
    EXPECT_EQ(nullptr, outer->Parent());

    // Compaction then deletes them: the pane is no registered pane's.
    layout.Compact();
    EXPECT_FALSE(layout.Owns(inner));
    EXPECT_FALSE(layout.Owns(outer));
    EXPECT_FALSE(layout.Owns(group));
    EXPECT_TRUE(layout.Owns(pane));
}

// Compaction deletes an empty floating frame, a splitter without children
// and groups that are nobody's parent, docked home or floating home, also
// one that is only some pane's last home, and clears that home.
TEST(DockLayout, CompactDeletesWhatNoPaneNeeds) {
    Bytes blob = DefaultBlob();
    blob[4] = 31;
    blob[RecordOffset(blob, 4) + 13] = 31;  // pane 1's last home: group 31
    const Bytes extra = {
        18, 0, DP_NODE_FLOATING, 0, 0, 0, 0, 0, 29, 0, 0, 0, 0, 0, 50, 0, 50, 0,  // 28: frame around 29
        11, 0, DP_NODE_SPLITTER, 0, 0, 0, 0, 0, 1, 0, 0,                          // 29: splitter, no child
        10, 0, DP_NODE_TABBED, 0, 0, 0, 0, 0, 0, 0,                                // 30: group nobody needs
        10, 0, DP_NODE_TABBED, 0, 0, 0, 0, 0, 0, 0,                                // 31: only a last home
    };
    blob.insert(blob.end(), extra.begin(), extra.end());
    CDPLayout layout;
    ASSERT_TRUE(layout.Load(blob.data(), blob.size(), Screen1024()));
    ASSERT_EQ(31u, layout.NodeCount());

    Bytes want = DefaultBlob();
    want[RecordOffset(want, 4) + 13] = 0;
    EXPECT_EQ(want, Saved(layout));
    EXPECT_EQ(27u, layout.NodeCount());
    EXPECT_EQ(nullptr, layout.FindInfo(layout.FindPane(1))->lastHome);
    // Hidden with no last home, the pane stays hidden.
    layout.HidePane(layout.FindPane(1));
    EXPECT_FALSE(layout.ShowPane(layout.FindPane(1)));
}

TEST(DockLayout, CompactKeepsEmptyHomesAndDropsFramesNobodyNeeds) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    CDP* pane2 = layout.FindPane(2);
    CDPTabbedContainer* dockedHome = pane2->Group();
    CDPMiniWnd* first = layout.FloatNode(pane2, DockRect{10, 10, 200, 200});
    layout.RefreshHomes();
    CDPMiniWnd* second = layout.FloatNode(pane2, DockRect{20, 20, 200, 200});
    layout.RefreshHomes();
    EXPECT_EQ("row[col[tab(1*) tab()] ph] frame[row[tab()]] frame[row[tab(2*)]]", DescribeLayout(layout));

    layout.Compact();
    // The first frame's group is no home any more; the empty docked home is.
    EXPECT_FALSE(layout.Owns(first));
    EXPECT_TRUE(layout.Owns(second));
    EXPECT_TRUE(layout.Owns(dockedHome));
    EXPECT_EQ("row[col[tab(1*) tab()] ph] frame[row[tab(2*)]]", DescribeLayout(layout));
    layout.ToggleDocking(pane2);
    EXPECT_EQ(dockedHome, pane2->Group());
}

TEST(DockLayout, CopyIntoAStoredLayoutMakesNoWindow) {
    CDPLayout source;
    LoadDefault(source);
    RecordingHost host;
    CDPLayout stored(&host, true);
    stored.CopyFrom(source);
    EXPECT_TRUE(host.log.empty());
    // A full copy: it saves to the very bytes of its source.
    EXPECT_EQ(DefaultBlob(), Saved(stored));
}

TEST(DockLayout, CopyIntoTheLiveLayoutAsksForTheWindows) {
    CDPLayout source;
    LoadDefault(source);
    RecordingHost host;
    CDPLayout live(&host, false);
    host.log.clear();
    live.CopyFrom(source);
    EXPECT_EQ(2u, host.Lines("delete").size());  // the new layout's placeholder and root
    EXPECT_EQ((std::vector<std::string>{"frame+ 466,231,795,495", "frame+ 151,232,461,495", "frame+ 0,69,456,349"}),
              host.Lines("frame+"));
    // Windows for the frames and for the groups that show panes, none for
    // the empty groups.
    std::set<const CDPBase*> want = {GroupOf(live, 1), GroupOf(live, 3), GroupOf(live, 5)};
    for (size_t i = 0; i < live.NodeCount(); ++i)
        if (live.Node(i)->Type() == DP_NODE_FLOATING) want.insert(live.Node(i));
    EXPECT_EQ(6u, want.size());
    EXPECT_EQ(want, host.windows);
    EXPECT_EQ(0, live.IsLocked());
    EXPECT_EQ(DefaultBlob(), Saved(live));

    // Nothing happens for a copy of itself.
    host.log.clear();
    live.CopyFrom(live);
    EXPECT_TRUE(host.log.empty());
}

// A docked group whose panes have no floating home floats the first pane in
// a new frame and each following pane in a frame of its own, at the group's
// rectangle on the screen.
TEST(DockLayout, ToggleWithoutFloatingHomesFloatsEachPaneAlone) {
    RecordingHost host;
    host.screenDx = 100;
    host.screenDy = 50;
    CDPLayout layout(&host, false);
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    layout.AddPane(2, kPaneRect, DP_DOCK_BELOW, layout.FindPane(1));
    layout.AddPane(3, kPaneRect, DP_DOCK_BELOW, layout.FindPane(2));
    CDPTabbedContainer* group = GroupOf(layout, 1);
    layout.MoveToContainer(layout.FindPane(2), group);
    layout.MoveToContainer(layout.FindPane(3), group);
    group->SetActivePane(layout.FindPane(1), false);
    ASSERT_EQ("row[col[tab(1* 2 3) tab() tab()] ph]", DescribeLayout(layout));
    layout.LayOut(DockRect{0, 0, 800, 600}, kMetrics);
    const DockRect r = group->rect;
    host.log.clear();

    layout.ToggleDocking(group);
    EXPECT_EQ("row[col[tab() tab() tab()] ph] frame[row[tab(1*)]] frame[row[tab(2*)]] frame[row[tab(3*)]]",
              DescribeLayout(layout));
    const std::string at = "frame+ " + std::to_string(r.left + 100) + "," + std::to_string(r.top + 50) + "," +
                           std::to_string(r.right + 100) + "," + std::to_string(r.bottom + 50);
    EXPECT_EQ((std::vector<std::string>{at, at, at}), host.Lines("frame+"));
    // A frame that holds one group shows no caption on it.
    EXPECT_FALSE(GroupOf(layout, 1)->HasCaption());
}

// With floating homes the panes go there and come back to their docked
// homes: the round trip ends where it began, byte for byte.
TEST(DockLayout, ToggleRoundTripThroughTheHomes) {
    RecordingHost host;
    CDPLayout layout(&host, false);
    LoadDefault(layout);
    CDPTabbedContainer* docked = GroupOf(layout, 3);
    layout.ToggleDocking(docked);
    EXPECT_EQ("row[col[tab(1*) row[tab()]] col[ph row[tab(5* 7 8 6 9)]]] frame[row[tab()]] "
              "frame[row[tab(3* 4 2)]] frame[row[tab()]]",
              DescribeLayout(layout));
    CDPTabbedContainer* floating = GroupOf(layout, 3);
    EXPECT_NE(nullptr, floating->FloatingFrame());
    EXPECT_TRUE(floating->FloatingFrame()->ShouldShow());

    host.focused = layout.FindPane(2);  // the focused pane is the one shown after the move
    layout.ToggleDocking(floating);
    EXPECT_EQ(docked, GroupOf(layout, 3));
    EXPECT_EQ(layout.FindPane(2), docked->GetActivePane());
    docked->SetActivePane(layout.FindPane(3), false);
    EXPECT_EQ(DefaultBlob(), Saved(layout));

    // A single pane goes to its own home of the other kind.
    layout.ToggleDocking(layout.FindPane(1));
    EXPECT_EQ(layout.GetHome(layout.FindPane(1), true), GroupOf(layout, 1));
}

// A pane without a home of the other kind follows the previous pane when
// that one had a home of its own, and floats alone otherwise.
TEST(DockLayout, TogglePanesWithoutHomeFollowThePreviousPane) {
    CDPLayout layout;
    layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    for (uint8_t id = 2; id <= 4; ++id) layout.AddPane(id, kPaneRect, DP_DOCK_BELOW, layout.FindPane(id - 1));
    CDPMiniWnd* frame = layout.FloatNode(layout.FindPane(1), DockRect{5, 5, 100, 100});
    layout.RefreshHomes();  // pane 1's floating home: the frame's group
    CDPTabbedContainer* group2 = GroupOf(layout, 2);
    for (uint8_t id : {1, 3, 4}) layout.MoveToContainer(layout.FindPane(id), group2);
    ASSERT_EQ("tab(2 1 3 4*)", Describe(group2));

    layout.ToggleDocking(group2);
    // Pane 2: no home, nothing before it: floats alone. Pane 1: its home.
    // Pane 3: no home, but pane 1 had one: follows it. Pane 4: no home and
    // pane 3 had none: floats alone.
    EXPECT_EQ("tab(1 3*)", Describe(GroupOf(layout, 1)));
    EXPECT_EQ(frame, GroupOf(layout, 1)->FloatingFrame());
    CDPMiniWnd* frame2 = GroupOf(layout, 2)->FloatingFrame();
    CDPMiniWnd* frame4 = GroupOf(layout, 4)->FloatingFrame();
    EXPECT_EQ("tab(2*)", Describe(GroupOf(layout, 2)));
    EXPECT_EQ("tab(4*)", Describe(GroupOf(layout, 4)));
    EXPECT_NE(nullptr, frame2);
    EXPECT_NE(nullptr, frame4);
    EXPECT_NE(frame, frame2);
    EXPECT_NE(frame, frame4);
    EXPECT_NE(frame2, frame4);
}

// The root row of the default layout in a frame 1200 wide: the left column
// keeps its 457 pixels, the bar takes 4, the column with the central view
// takes the rest and its preferred width becomes 1200 - 457 - 4.
TEST(DockLayout, SplittersDivideInProportionAroundTheElasticChild) {
    CDPLayout layout;
    LoadDefault(layout);
    layout.LayOut(DockRect{0, 0, 1200, 800}, kMetrics);
    const auto& columns = layout.Root()->Children();
    EXPECT_EQ((DockRect{0, 0, 457, 800}), columns[0]->rect);
    EXPECT_EQ((DockRect{457, 0, 461, 800}), layout.Root()->Bars()[0].rect);
    EXPECT_EQ((DockRect{461, 0, 1200, 800}), columns[1]->rect);
    EXPECT_EQ(739, columns[1]->cx);
    // In the right column the placeholder takes what the group leaves.
    EXPECT_EQ((DockRect{461, 0, 1200, 452}), layout.Placeholder()->rect);
    // A pane's rectangle is its group's, below the caption, above the tabs.
    const DockRect g = GroupOf(layout, 5)->rect;
    EXPECT_EQ((DockRect{461, 456, 1200, 800}), g);
    EXPECT_EQ((DockRect{g.left, g.top + 20, g.right, g.bottom - 24}), layout.FindPane(5)->rect);
    EXPECT_TRUE(GroupOf(layout, 5)->HasTabs());
    EXPECT_FALSE(GroupOf(layout, 1)->HasTabs());

    struct Case {
        const char* name;
        uint16_t first;
        uint16_t second;
        bool elasticSecond;
        int32_t width;
        int32_t firstRight;  // the bar follows; the second child starts 4 later
    };
    const Case cases[] = {
        {"elastic child gets what is left", 300, 50, true, 1000, 300},
        {"elastic child gets no room when the others need more", 600, 50, true, 500, 496},
        {"proportions without an elastic child", 100, 300, false, 804, 202},
        {"nothing to divide", 100, 300, false, 0, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDPLayout row;
        row.AddPane(1, DockRect{0, 0, c.first, 100}, DP_DOCK_LEFT, nullptr);
        if (!c.elasticSecond) {
            row.AddPane(2, DockRect{0, 0, c.second, 100}, DP_DOCK_RIGHT, row.FindPane(1));
            row.Root()->RemoveChild(row.Placeholder());
        }
        row.LayOut(DockRect{0, 0, c.width, 100}, kMetrics);
        const auto& kids = row.Root()->Children();
        ASSERT_EQ(2u, kids.size());
        EXPECT_EQ(c.firstRight, kids[0]->rect.right);
        EXPECT_EQ(c.firstRight + 4, kids[1]->rect.left);
        EXPECT_EQ(c.width, kids[1]->rect.right);
    }
}

// A bar drag splits the two neighbours' preferred sizes anew and keeps
// their sum, also at the far end and between neighbours without room.
TEST(DockLayout, MovingABarKeepsTheSumOfTheNeighbours) {
    CDPLayout layout;
    LoadDefault(layout);
    layout.LayOut(DockRect{0, 0, 1200, 800}, kMetrics);
    const auto& columns = layout.Root()->Children();
    ASSERT_EQ(1196, columns[0]->cx + columns[1]->cx);
    EXPECT_TRUE(layout.Root()->MoveBar(0, 600));
    EXPECT_EQ(599, columns[0]->cx);
    EXPECT_EQ(597, columns[1]->cx);
    EXPECT_TRUE(layout.Root()->MoveBar(0, 1200));
    EXPECT_EQ(1196, columns[0]->cx);
    EXPECT_EQ(0, columns[1]->cx);
    EXPECT_FALSE(layout.Root()->MoveBar(1, 600));

    layout.LayOut(DockRect{0, 0, 0, 0}, kMetrics);
    const uint16_t before = columns[0]->cx;
    EXPECT_FALSE(layout.Root()->MoveBar(0, 0));  // no room: no proportion to take
    EXPECT_EQ(before, columns[0]->cx);
}

TEST(DockLayout, PaneTitlesAreCutToTheirRoom) {
    CDPLayout layout;
    CDP* pane = layout.AddPane(1, kPaneRect, DP_DOCK_LEFT, nullptr);
    const std::u16string forty(40, u'x');
    const std::u16string fifteen = u"abcdefghijklmno";
    pane->SetTitles(forty.c_str(), fifteen.c_str());
    EXPECT_EQ(std::u16string(31, u'x'), pane->Title());
    EXPECT_EQ(u"abcdefghijk", std::u16string(pane->ShortTitle()));
    char16_t small[5];
    pane->GetTitle(small, 5);
    EXPECT_EQ(u"xxxx", std::u16string(small));
    char16_t big[64];
    pane->GetShortTitle(big, 64);
    EXPECT_EQ(u"abcdefghijk", std::u16string(big));
    pane->SetTitles(nullptr, nullptr);
    EXPECT_EQ(u"", std::u16string(pane->Title()));

    // A copy carries titles, flags and extents.
    pane->SetTitles(u"Device Tree", u"Devices");
    pane->SetFlags(DP_PANE_NO_CLOSE);
    CDPLayout copy;
    copy.CopyFrom(layout);
    CDP* same = copy.FindPane(1);
    EXPECT_EQ(u"Device Tree", std::u16string(same->Title()));
    EXPECT_EQ(u"Devices", std::u16string(same->ShortTitle()));
    EXPECT_EQ(DP_PANE_NO_CLOSE, same->GetFlags());
    EXPECT_EQ(256, same->cx);
}

} // namespace
