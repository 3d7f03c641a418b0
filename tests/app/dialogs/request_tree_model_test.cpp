// The request kind tree without windows: its content and kind positions, the
// positions it drops, and the three-state rules of toggling and showing.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/dialogs/RequestTreeModel.h"
#include "capture/MatchCriteria.h"

using namespace brx;

namespace {

std::vector<uint8_t> Kinds(std::initializer_list<int> set) {
    std::vector<uint8_t> kinds(KIND_SELECTION_COUNT, 0);
    for (int position : set) kinds[static_cast<size_t>(position)] = 1;
    return kinds;
}

std::vector<uint8_t> Read(const RequestTreeModel& tree) {
    std::vector<uint8_t> kinds(KIND_SELECTION_COUNT, 0xEE);
    EXPECT_TRUE(tree.GetSelection(kinds.data(), kinds.size()));
    return kinds;
}

int32_t Child(const RequestTreeModel& tree, int32_t parent, const std::string& text) {
    for (int32_t child : tree.Item(parent).children)
        if (tree.Item(child).text == text) return child;
    ADD_FAILURE() << "no child " << text;
    return -1;
}

// The positions the tree shows: the URB functions but the reserved ones, the
// internal USB requests but 162, the user-mode requests but 200 and 212, and
// the IRP kinds but Plug and Play minor 14.
std::set<int> ShownPositions() {
    std::set<int> shown = {0, 1, 2, 8, 9, 10, 11};
    for (int p = 32; p <= 56; ++p)
        if (p != 46) shown.insert(p);
    for (int f = 0; f <= 0x34; ++f)
        if (f != 0x16 && f != 0x1D && (f < 0x2B || f > 0x2F)) shown.insert(64 + f);
    for (int p = 161; p <= 174; ++p)
        if (p != 162) shown.insert(p);
    for (int p = 192; p <= 213; ++p)
        if (p != 200 && p != 212) shown.insert(p);
    return shown;
}

} // namespace

TEST(RequestTreeModel, TopLevelItemsAndTheirGroupsInOrder) {
    RequestTreeModel tree;
    std::vector<std::string> top;
    for (int32_t i : tree.TopLevel()) top.push_back(tree.Item(i).text);
    EXPECT_EQ(top, (std::vector<std::string>{"URB Functions", "USB Kernel-Mode IOCTLs", "USB User-Mode IOCTLs", "IRP"}));

    const int32_t urb = tree.FindTopLevel("URB Functions");
    std::vector<std::string> groups;
    size_t urbLeaves = 0;
    for (int32_t g : tree.Item(urb).children) {
        groups.push_back(tree.Item(g).text);
        EXPECT_EQ(tree.Item(g).param, REQUEST_CATEGORY);
        urbLeaves += tree.Item(g).children.size();
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Class", "Configuration", "Descriptor", "Feature", "Frame",
                                                "Interface", "Pipe", "Status", "Transfer", "Vendor"}));
    EXPECT_EQ(urbLeaves, 46u);
    EXPECT_EQ(tree.Item(tree.FindTopLevel("USB Kernel-Mode IOCTLs")).children.size(), 13u);
    EXPECT_EQ(tree.Item(tree.FindTopLevel("USB User-Mode IOCTLs")).children.size(), 20u);

    const int32_t irp = tree.FindTopLevel("IRP");
    std::vector<std::pair<std::string, int32_t>> irpItems;
    for (int32_t c : tree.Item(irp).children) irpItems.emplace_back(tree.Item(c).text, tree.Item(c).param);
    EXPECT_EQ(irpItems, (std::vector<std::pair<std::string, int32_t>>{
                            {"Create", 0}, {"Cleanup", 18}, {"Close", 2}, {"PnP", 27}, {"Power", 22}}));
    EXPECT_EQ(tree.Item(Child(tree, irp, "PnP")).children.size(), 24u);
    EXPECT_EQ(tree.Item(Child(tree, irp, "Power")).children.size(), 4u);
    EXPECT_EQ(tree.FindTopLevel("irp"), -1); // exact, case-sensitive
    for (int32_t i : tree.TopLevel()) EXPECT_EQ(tree.Item(i).state, REQUEST_UNCHECKED);
}

TEST(RequestTreeModel, LeavesCarryTheirKindPositionAndSymbolicName) {
    RequestTreeModel tree;
    struct Case {
        int position;
        const char* text;
        const char* parent;
    };
    const Case cases[] = {
        {64 + 0x1A, "URB_FUNCTION_CLASS_DEVICE", "Class"},
        {64 + 0x00, "URB_FUNCTION_SELECT_CONFIGURATION", "Configuration"},
        {64 + 0x09, "URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER", "Transfer"},
        {165, "IOCTL_INTERNAL_USB_ENABLE_PORT", "USB Kernel-Mode IOCTLs"},
        {169, "IOCTL_INTERNAL_USB_SUBMIT_IDLE_NOTIFICATION", "USB Kernel-Mode IOCTLs"},
        {213, "IOCTL_USB_GET_HUB_CAPABILITIES_EX", "USB User-Mode IOCTLs"},
        {0, "Create", "IRP"},
        {1, "Close", "IRP"},
        {2, "Cleanup", "IRP"},
        {32 + 0, "IRP_MN_START_DEVICE", "PnP"},
        {32 + 24, "IRP_MN_QUERY_LEGACY_BUS_INFORMATION", "PnP"},
        {8 + 2, "IRP_MN_SET_POWER", "Power"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const int32_t leaf = tree.LeafOfPosition(c.position);
        ASSERT_GE(leaf, 0);
        EXPECT_EQ(tree.Item(leaf).position, c.position);
        EXPECT_EQ(tree.Item(leaf).text, c.text);
        EXPECT_EQ(tree.Item(tree.Item(leaf).parent).text, c.parent);
    }
    // Under "IRP" the parameter is the major function, the position the
    // selection byte: Close is major 2 but position 1, Cleanup major 18 but 2.
    EXPECT_EQ(tree.Item(tree.LeafOfPosition(1)).param, 2);
    EXPECT_EQ(tree.Item(tree.LeafOfPosition(2)).param, 18);
    // Groups select nothing themselves.
    const int32_t irp = tree.FindTopLevel("IRP");
    EXPECT_EQ(tree.Item(Child(tree, irp, "PnP")).position, REQUEST_NO_POSITION);
}

TEST(RequestTreeModel, ShowsExactlyTheKnownPositionsAndDropsTheRest) {
    RequestTreeModel tree;
    const std::set<int> shown = ShownPositions();
    std::set<int> leaves;
    for (const RequestTreeItem& item : tree.Items())
        if (item.children.empty()) leaves.insert(item.position);
    EXPECT_EQ(leaves, shown);

    // Every byte set: only the shown ones come back; 46, 162, 200, 212 and
    // the reserved URB functions never do.
    std::vector<uint8_t> all(KIND_SELECTION_COUNT, 1);
    ASSERT_TRUE(tree.SetSelection(all.data(), all.size()));
    const std::vector<uint8_t> back = Read(tree);
    for (int p = 0; p < static_cast<int>(KIND_SELECTION_COUNT); ++p)
        EXPECT_EQ(back[static_cast<size_t>(p)], shown.count(p) ? 1 : 0) << "position " << p;
    for (int dropped : {46, 162, 200, 212, 64 + 0x16, 64 + 0x1D, 64 + 0x2B, 64 + 0x2F})
        EXPECT_EQ(tree.LeafOfPosition(dropped), -1) << dropped;
}

TEST(RequestTreeModel, MergeKeepsThePositionsItDoesNotShow) {
    RequestTreeModel tree;
    tree.SetSelection(Kinds({0, 64}).data(), KIND_SELECTION_COUNT);
    std::vector<uint8_t> kinds = Kinds({1, 46, 162, 200, 212, 300});
    ASSERT_TRUE(tree.MergeSelection(kinds.data(), kinds.size()));
    EXPECT_EQ(kinds, Kinds({0, 64, 46, 162, 200, 212, 300}));
}

TEST(RequestTreeModel, AllUrbPositionsCheckEveryGroupAndClearingOneLeafMakesItPartial) {
    RequestTreeModel tree;
    std::vector<uint8_t> kinds(KIND_SELECTION_COUNT, 0);
    for (int p = 64; p <= 116; ++p) kinds[static_cast<size_t>(p)] = 1;
    tree.SetSelection(kinds.data(), kinds.size());
    const int32_t urb = tree.FindTopLevel("URB Functions");
    EXPECT_EQ(tree.Item(urb).state, REQUEST_CHECKED);
    for (int32_t g : tree.Item(urb).children) EXPECT_EQ(tree.Item(g).state, REQUEST_CHECKED);
    EXPECT_EQ(tree.Item(tree.FindTopLevel("IRP")).state, REQUEST_UNCHECKED);

    const int32_t leaf = tree.LeafOfPosition(64 + 0x0B); // a descriptor function
    ASSERT_TRUE(tree.Toggle(leaf));
    EXPECT_EQ(tree.Item(leaf).state, REQUEST_UNCHECKED);
    EXPECT_EQ(tree.Item(Child(tree, urb, "Descriptor")).state, REQUEST_PARTIAL);
    EXPECT_EQ(tree.Item(Child(tree, urb, "Class")).state, REQUEST_CHECKED);
    EXPECT_EQ(tree.Item(urb).state, REQUEST_PARTIAL);
    EXPECT_EQ(Read(tree)[64 + 0x0B], 0);
    EXPECT_EQ(Read(tree)[64 + 0x24], 1);
}

TEST(RequestTreeModel, TogglingFollowsTheThreeStateRules) {
    struct Case {
        const char* name;
        std::initializer_list<int> before;
        int toggledPosition;  // a leaf, or -1 for the "PnP" group, -2 for "IRP"
        RequestCheck pnp;
        RequestCheck irp;
    };
    const Case cases[] = {
        // A partly checked group: unchecked with all its leaves.
        {"partial group off", {32, 33}, -1, REQUEST_UNCHECKED, REQUEST_UNCHECKED},
        // An unchecked group: checked with all its leaves; IRP mixes.
        {"group on", {}, -1, REQUEST_CHECKED, REQUEST_PARTIAL},
        // The whole partly checked top level, with a partial child: all off.
        {"partial top off", {0, 32, 8}, -2, REQUEST_UNCHECKED, REQUEST_UNCHECKED},
        // The last missing leaf of a group checks it.
        {"last leaf", {0, 1, 2, 8, 9, 10, 32}, 11, REQUEST_PARTIAL, REQUEST_PARTIAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestTreeModel tree;
        tree.SetSelection(Kinds(c.before).data(), KIND_SELECTION_COUNT);
        const int32_t irp = tree.FindTopLevel("IRP");
        const int32_t pnp = Child(tree, irp, "PnP");
        const int32_t target = c.toggledPosition == -1 ? pnp : c.toggledPosition == -2 ? irp
                                                                                       : tree.LeafOfPosition(c.toggledPosition);
        ASSERT_TRUE(tree.Toggle(target));
        EXPECT_EQ(tree.Item(pnp).state, c.pnp);
        EXPECT_EQ(tree.Item(irp).state, c.irp);
        // Groups always agree with their leaves.
        if (c.pnp != REQUEST_PARTIAL) {
            for (int32_t leaf : tree.Item(pnp).children) EXPECT_EQ(tree.Item(leaf).state, c.pnp);
        }
    }
    RequestTreeModel tree;
    tree.SetSelection(Kinds({0, 1, 2, 8, 9, 10}).data(), KIND_SELECTION_COUNT);
    const int32_t power = Child(tree, tree.FindTopLevel("IRP"), "Power");
    EXPECT_EQ(tree.Item(power).state, REQUEST_PARTIAL);
    tree.Toggle(tree.LeafOfPosition(11));
    EXPECT_EQ(tree.Item(power).state, REQUEST_CHECKED);
    EXPECT_FALSE(tree.Toggle(-1));
    EXPECT_FALSE(tree.Toggle(static_cast<int32_t>(tree.Count())));
}

TEST(RequestTreeModel, RefusesArraysItCannotReadOrWrite) {
    RequestTreeModel tree;
    std::vector<uint8_t> shortArray(KIND_SELECTION_COUNT - 1, 1);
    EXPECT_FALSE(tree.SetSelection(nullptr, KIND_SELECTION_COUNT));
    EXPECT_FALSE(tree.SetSelection(shortArray.data(), shortArray.size()));
    EXPECT_EQ(tree.Item(tree.FindTopLevel("IRP")).state, REQUEST_UNCHECKED);
    EXPECT_FALSE(tree.GetSelection(nullptr, KIND_SELECTION_COUNT));
    EXPECT_FALSE(tree.GetSelection(shortArray.data(), shortArray.size()));
    EXPECT_EQ(shortArray[0], 1);
    // Bytes other than 1 select nothing.
    std::vector<uint8_t> twos(KIND_SELECTION_COUNT, 2);
    tree.SetSelection(twos.data(), twos.size());
    EXPECT_EQ(Read(tree), Kinds({}));
}
