// The walk of the structure renderer over small tables: where it stops,
// which rows parent which, arrays, unions, choosers and bit names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/StructRenderer.h"
#include "tests/decode/RecordingTreeSink.h"

namespace brx {
namespace {

using testing::RecordingTreeSink;

std::string Render(FieldTable table, const std::vector<uint8_t>& bytes, size_t length = SIZE_MAX) {
    RecordingTreeSink tree;
    // An exact-size heap copy, so a read past the handed length trips ASan.
    const size_t n = length == SIZE_MAX ? bytes.size() : length;
    std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    RenderStructFields(tree, nullptr, copy.empty() ? nullptr : copy.data(), n, table);
    return tree.Dump();
}

constexpr const char* kEight[] = {"B0", "B1", "B2", "B3", "B4", "B5", "B6", "B7"};
constexpr BIT_NAMES kEightNames = {kEight};
constexpr CODE_NAME kColours[] = {{1, "RED"}, {2, "GREEN"}};
const std::span<const CODE_NAME> kColourNames = kColours;

constexpr FIELD_DESC kPair[] = {
    Header("struct PAIR"),
    Field("Low", 0, 2),
    Code("Colour", 2, 1, &kColourNames),
};

constexpr FIELD_DESC kShapes[] = {
    Header("struct SHAPES"),
    Field("Byte", 0, 1),
    Field("Word", 2, 2),
    Field("Dword", 4, 4),
    Field("Eight", 8, 8),
    Note("Noted", 16, 4, "PVOID"),
};

TEST(StructRenderer, ValuesByFieldSizeAndFixedComment) {
    std::vector<uint8_t> b = {0xAB, 0, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 1, 2, 3, 4, 5, 6, 7, 8, 0xEF, 0xBE, 0xAD, 0xDE};
    EXPECT_EQ(Render(kShapes, b),
              "struct SHAPES\n"
              "  Byte | ABh\n"
              "  Word | 1234h\n"
              "  Dword | 12345678h\n"
              "  Eight\n"
              "  Noted | DEADBEEFh | PVOID\n");
}

TEST(StructRenderer, WalkStopsAtTheFirstFieldAtOrPastTheEnd) {
    constexpr FIELD_DESC table[] = {
        Header("struct S"), Field("A", 0, 4), Field("B", 4, 4), Field("union U", 0, 0), Field("C", 2, 2, 2),
    };
    const std::vector<uint8_t> b = {1, 0, 0, 0, 2, 0, 0, 0};
    // B starts at the end of 4 bytes: the union of offset 0 after it is never walked.
    EXPECT_EQ(Render(table, b, 4), "struct S\n  A | 00000001h\n");
    EXPECT_EQ(Render(table, b, 8), "struct S\n  A | 00000001h\n  B | 00000002h\n  union U\n    C | 0000h\n");
    EXPECT_EQ(Render(table, b, 0), "");
}

TEST(StructRenderer, FieldCutByTheEndShowsNoValue) {
    constexpr FIELD_DESC table[] = {Header("struct S"), Field("A", 0, 1), Code("B", 2, 4, &kColourNames)};
    EXPECT_EQ(Render(table, {5, 0, 1, 0, 0}), "struct S\n  A | 05h\n  B\n");
    EXPECT_EQ(Render(table, {5, 0, 1, 0, 0, 0}), "struct S\n  A | 05h\n  B | 00000001h | RED\n");
}

TEST(StructRenderer, CodeNamesAndUnknownCodes) {
    EXPECT_EQ(Render(kPair, {0x10, 0, 2}), "struct PAIR\n  Low | 0010h\n  Colour | 02h | GREEN\n");
    EXPECT_EQ(Render(kPair, {0x10, 0, 7}), "struct PAIR\n  Low | 0010h\n  Colour | 07h\n");
}

TEST(StructRenderer, LevelsChooseTheirParents) {
    constexpr FIELD_DESC table[] = {
        Header("struct S"),  Field("union A", 0, 0), Field("A1", 0, 1, 2), Field("struct {...}", 0, 0, 2),
        Field("A2", 1, 1, 3), Field("A3", 2, 1, 3), Field("B", 3, 1),       Field("B1", 3, 1, 2),
    };
    EXPECT_EQ(Render(table, {1, 2, 3, 4}),
              "struct S\n"
              "  union A\n"
              "    A1 | 01h\n"
              "    struct {...}\n"
              "      A2 | 02h\n"
              "      A3 | 03h\n"
              "  B | 04h\n"
              "    B1 | 04h\n");
}

TEST(StructRenderer, LateUnionIsShownWhenTheBufferReachesIt) {
    constexpr FIELD_DESC table[] = {
        Header("struct S"), Field("Far", 6, 2), Field("union State", 0, 0), Field("Near", 1, 1, 2),
    };
    EXPECT_EQ(Render(table, {0, 9, 0, 0, 0, 0, 1, 0}),
              "struct S\n  Far | 0001h\n  union State\n    Near | 09h\n");
    // Too short for Far: nothing after it is walked, the union included.
    EXPECT_EQ(Render(table, {0, 9, 0, 0, 0, 0}), "struct S\n");
}

TEST(StructRenderer, NestedStructureGetsItsHeaderAsComment) {
    constexpr FIELD_DESC table[] = {Header("struct OUTER"), Nested("Inner", 1, 3, kPair), Field("After", 4, 1)};
    EXPECT_EQ(Render(table, {0, 0x22, 0x11, 1, 9}),
              "struct OUTER\n  Inner |  | struct PAIR\n    Low | 1122h\n    Colour | 01h | RED\n  After | 09h\n");
    // The nested walk sees only the bytes that remain: its cut field has no value.
    EXPECT_EQ(Render(table, {0, 0x22, 0x11}), "struct OUTER\n  Inner |  | struct PAIR\n    Low | 1122h\n");
}

TEST(StructRenderer, ArraysShowOnlyElementsThatStartInside) {
    constexpr FIELD_DESC table[] = {Header("struct A"), Field("N", 0, 2), Array("Items", 2, 2, 3), Field("Tail", 8, 1)};
    const std::vector<uint8_t> b = {3, 0, 1, 0, 2, 0, 3, 0, 7};
    EXPECT_EQ(Render(table, b),
              "struct A\n  N | 0003h\n  Items[3]\n    [0] | 0001h\n    [1] | 0002h\n    [2] | 0003h\n  Tail | 07h\n");
    // The end falls in the middle: [1] starts inside but is cut, [2] starts outside.
    EXPECT_EQ(Render(table, b, 5), "struct A\n  N | 0003h\n  Items[3]\n    [0] | 0001h\n    [1]\n");
    // No element below the end: no array row at all.
    EXPECT_EQ(Render(table, b, 2), "struct A\n  N | 0003h\n");
}

// Choosers: a null-named one inserts the chosen table with its header as the row.
int gChooserCalls = 0;
TREE_ITEM gChooserLastRow = nullptr;
FieldTable ChoosePair(ITreeSink&, TREE_ITEM lastRow, const uint8_t* data, size_t length) {
    ++gChooserCalls;
    gChooserLastRow = lastRow;
    return data[0] == 1 ? FieldTable(kPair) : FieldTable{};
}

TEST(StructRenderer, ChoosersInsertTheirTableOrNothing) {
    constexpr FIELD_DESC unnamed[] = {
        Header("struct S"), Field("Kind", 0, 1), Field("union P", 0, 0), Choose(nullptr, 1, 3, ChoosePair, 2),
        Field("Other", 1, 2, 2),
    };
    gChooserCalls = 0;
    EXPECT_EQ(Render(unnamed, {1, 0x34, 0x12, 2}),
              "struct S\n  Kind | 01h\n  union P\n    struct PAIR\n      Low | 1234h\n      Colour | 02h | GREEN\n"
              "    Other | 1234h\n");
    EXPECT_EQ(gChooserCalls, 1);
    // No table: no trace, and the next entry of the same level still finds its parent.
    EXPECT_EQ(Render(unnamed, {0, 0x34, 0x12, 2}), "struct S\n  Kind | 00h\n  union P\n    Other | 1234h\n");

    constexpr FIELD_DESC named[] = {Header("struct S"), Field("Kind", 0, 1), Choose("Params", 1, 3, ChoosePair)};
    EXPECT_EQ(Render(named, {1, 0x34, 0x12, 1}),
              "struct S\n  Kind | 01h\n  Params |  | struct PAIR\n    Low | 1234h\n    Colour | 01h | RED\n");
    EXPECT_EQ(Render(named, {0, 0x34, 0x12, 1}), "struct S\n  Kind | 00h\n");
}

TEST(StructRenderer, ChooserGetsTheLastRowOfItsWalk) {
    RecordingTreeSink tree;
    constexpr FIELD_DESC table[] = {Header("struct S"), Field("Kind", 0, 1), Choose(nullptr, 1, 3, ChoosePair)};
    const uint8_t b[] = {0, 0, 0, 0};
    RenderStructFields(tree, nullptr, b, sizeof b, table);
    ASSERT_NE(gChooserLastRow, nullptr);
    EXPECT_EQ(gChooserLastRow->columns[0], "Kind");

    constexpr FIELD_DESC first[] = {Header("struct S"), Choose(nullptr, 0, 3, ChoosePair)};
    RenderStructFields(tree, nullptr, b, sizeof b, first, false);
    EXPECT_EQ(gChooserLastRow, nullptr);
}

TEST(StructRenderer, BitFlagNamesSpreadOverRows) {
    constexpr FIELD_DESC table[] = {Header("struct F"), Bits("Flags", 0, 1, &kEightNames), Field("Next", 1, 1)};
    EXPECT_EQ(Render(table, {0x00, 1}), "struct F\n  Flags | 00h\n  Next | 01h\n");
    EXPECT_EQ(Render(table, {0x13, 1}), "struct F\n  Flags | 13h | B0\n   |  | B1\n   |  | B4\n  Next | 01h\n");
}

TEST(StructRenderer, UnknownBitsByFieldSize) {
    struct Case {
        size_t size;
        uint32_t value;
        const char* comment;
    };
    const Case cases[] = {
        {1, 0x80, "B7"},
        {2, 0x8000, "Unknown (0x8000)"},
        {2, 0x0100, "Unknown (0x0100)"},
        {3, 0x800000, "Unknown (0x00800000)"},
        {4, 0x80000000, "Unknown (0x80000000)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        RecordingTreeSink tree;
        TREE_ITEM parent = tree.InsertItem("struct F", nullptr);
        TREE_ITEM row = tree.InsertItem("Flags", parent);
        RenderBitFlagNames(tree, row, c.value, c.size, &kEightNames);
        EXPECT_EQ(row->columns[2], c.comment);
        EXPECT_EQ(parent->children.size(), 1u);
    }
}

TEST(StructRenderer, BitFlagNamesNeedASizeATableAndAParent) {
    RecordingTreeSink tree;
    TREE_ITEM top = tree.InsertItem("Flags", nullptr);
    RenderBitFlagNames(tree, top, 1, 1, &kEightNames);  // a top-level row has no parent
    TREE_ITEM row = tree.InsertItem("Flags", top);
    RenderBitFlagNames(tree, row, 1, 0, &kEightNames);
    RenderBitFlagNames(tree, row, 1, 5, &kEightNames);
    RenderBitFlagNames(tree, row, 1, 1, nullptr);
    EXPECT_EQ(tree.Dump(), "Flags\n  Flags\n");
}

TEST(StructRenderer, RefusedTextsLeaveNoRowAndTheWalkGoesOn) {
    const std::string longName(kTreeTextLimit, 'x');
    const std::string fitting(kTreeTextLimit - 1, 'y');
    const FIELD_DESC table[] = {Header("struct S"), Field(longName.c_str(), 0, 1), Field(fitting.c_str(), 1, 1),
                                Field("Last", 2, 1)};
    EXPECT_EQ(Render(table, {1, 2, 3}), "struct S\n  " + fitting + " | 02h\n  Last | 03h\n");
}

TEST(StructRenderer, RowsGoUnderTheGivenParentOrAfterTheTopLevelRows) {
    RecordingTreeSink tree;
    const uint8_t b[] = {0x10, 0, 1};
    tree.InsertItem("existing", nullptr);
    RenderStructFields(tree, nullptr, b, sizeof b, kPair);
    TREE_ITEM holder = tree.InsertItem("holder", nullptr);
    RenderStructFields(tree, holder, b, sizeof b, kPair, false);
    EXPECT_EQ(tree.Dump(),
              "existing\nstruct PAIR\n  Low | 0010h\n  Colour | 01h | RED\nholder\n  Low | 0010h\n  Colour | 01h | RED\n");
}

} // namespace
} // namespace brx
