#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "decode/VendorNames.h"

using namespace brx;

TEST(VendorNames, TellingRows) {
    EXPECT_STREQ(VendorName(0x0001), "Fry's Electronics");
    EXPECT_STREQ(VendorName(0xF003), "Hewlett Packard");  // among the tail rows
    EXPECT_STREQ(VendorName(0x073C), "Industrial Electronic Engineers, Inc.");
    EXPECT_STREQ(VendorName(0x073D), "Eutron S.p.a.");
    EXPECT_STREQ(VendorName(0x093A), "Pixart Imaging, Inc.");
    EXPECT_EQ(VendorName(0x0000), nullptr);
    EXPECT_EQ(VendorName(0xFFFF), nullptr);
}

TEST(VendorNames, TableOrderKeepsTheOneRowAhead) {
    size_t at3D = 0, at3C = 0, outOfOrder = 0;
    for (size_t i = 0; i < kVendorTable.size(); ++i) {
        if (kVendorTable[i].id == 0x073D) at3D = i;
        if (kVendorTable[i].id == 0x073C) at3C = i;
        if (i > 0 && kVendorTable[i].id < kVendorTable[i - 1].id) ++outOfOrder;
    }
    EXPECT_EQ(at3C, at3D + 1);
    EXPECT_EQ(outOfOrder, 1u);
    // The tail (rows after 20 whole blocks) is where the highest IDs stand.
    EXPECT_GT(kVendorTable.size() % 20, 0u);
}

TEST(VendorNames, EveryRowIsFound) {
    std::set<uint16_t> ids;
    for (const VENDOR_ROW& row : kVendorTable) {
        ASSERT_TRUE(ids.insert(row.id).second) << "ID twice: " << row.id;
        const char* name = VendorName(row.id);
        ASSERT_NE(name, nullptr) << row.id;
        EXPECT_EQ(name, row.name) << row.id;
    }
}

// The block search over a small table: 40 rows, blocks of 2, and an
// out-of-order row in the middle of a block whose last row is lower.
TEST(VendorNames, BlockSearchFindsARowOutOfOrderInsideABlock) {
    std::vector<VENDOR_ROW> rows;
    static const char* const kNames[] = {"a", "b", "c"};
    for (uint16_t id = 0x0100; id < 0x0100 + 41; ++id) rows.push_back({id, kNames[id % 3]});
    // Block 4 holds rows 8 and 9: make row 8 a high ID out of order.
    rows[8] = {0x513A, "out of order"};
    const std::span<const VENDOR_ROW> table(rows);
    EXPECT_STREQ(FindVendorName(table, 0x513A), "out of order");
    EXPECT_STREQ(FindVendorName(table, 0x0109), "b");
    EXPECT_STREQ(FindVendorName(table, 0x0100), "b");
    EXPECT_STREQ(FindVendorName(table, 0x0128), "c");  // the tail row
    EXPECT_EQ(FindVendorName(table, 0x0108), nullptr);
    EXPECT_EQ(FindVendorName(table, 0x0200), nullptr);

    // Tables shorter than 20 rows are all tail.
    const VENDOR_ROW few[] = {{5, "five"}, {3, "three"}};
    EXPECT_STREQ(FindVendorName(few, 3), "three");
    EXPECT_EQ(FindVendorName(few, 4), nullptr);
    EXPECT_EQ(FindVendorName({}, 4), nullptr);
}

TEST(VendorNames, FirstOfTwoEqualRowsWins) {
    std::vector<VENDOR_ROW> rows;
    for (uint16_t id = 1; id <= 40; ++id) rows.push_back({id, "plain"});
    rows[21] = {21, "first"};  // rows 20 and 21 are both ID 21
    rows[20] = {21, "earlier"};
    EXPECT_STREQ(FindVendorName(rows, 21), "earlier");
}
