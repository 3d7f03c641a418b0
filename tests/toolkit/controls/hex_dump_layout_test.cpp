// The hex dump's arithmetic: cell texts, fitting, cell geometry, hit tests,
// keyboard targets and the clipboard text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/controls/HexDumpLayout.h"

namespace brx {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(HexDumpText, CellTextsPerPart) {
    struct Case {
        int part;
        uint8_t byte;
        bool lower;
        const char* text;
    };
    const Case cases[] = {
        {HEX_PART_HEX, 0xAB, false, "AB"},   {HEX_PART_HEX, 0xAB, true, "ab"},  {HEX_PART_HEX, 0x05, false, "05"},
        {HEX_PART_DECIMAL, 5, false, "  5"}, {HEX_PART_DECIMAL, 255, false, "255"},
        {HEX_PART_BINARY, 0xA5, false, "10100101"}, {HEX_PART_OCTAL, 8, false, " 10"},
        {HEX_PART_OCTAL, 255, false, "377"}, {HEX_PART_CHARS, 0x41, false, "A"},
        {HEX_PART_CHARS, 0x0A, false, "."},  {HEX_PART_CHARS, 0x00, false, "."}, {HEX_PART_CHARS, 0x1F, false, "."},
        {HEX_PART_CHARS, 0x20, false, " "},  {HEX_PART_CHARS, 0x7F, false, "."}, {HEX_PART_CHARS, 0x9F, false, "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part * 1000 + c.byte);
        EXPECT_EQ(Narrow(HexCellText(c.part, c.byte, c.lower)), c.text);
    }
    EXPECT_EQ(HexCellText(HEX_PART_CHARS, 0xE9, false), std::u16string(1, u'\u00E9'));
    EXPECT_EQ(Narrow(HexAddressText(0xABCDEF, false)), "00ABCDEF");
    EXPECT_EQ(Narrow(HexAddressText(0xABCDEF, true)), "00abcdef");
}

TEST(HexDumpText, ClipboardTextOfTwentyBytesAtSixteenPerLine) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 20; ++i) data.push_back(static_cast<uint8_t>(0x3A + i));
    data[1] = 0x0A;  // not printable
    const std::u16string text = HexClipboardText(data.data(), data.size(), 16, kHexDefaultParts, false);
    const std::string expected =
        "00000000  3A 0A 3C 3D 3E 3F 40 41 42 43 44 45 46 47 48 49  : . < = > ? @ A B C D E F G H I  \r\n"
        "00000010  4A 4B 4C 4D " + std::string(12 * 3, ' ') + " J K L M " + std::string(12 * 2, ' ') + " \r\n";
    EXPECT_EQ(Narrow(text), expected);
    // Lower case reaches the digits and the address alike.
    std::vector<uint8_t> many(0x1B, 0xAB);
    const std::string lower = Narrow(HexClipboardText(many.data(), many.size(), 0x1A, 0x03, true));
    EXPECT_EQ(lower.substr(0, 13), "00000000  ab ");
    EXPECT_EQ(lower.substr(lower.find("\r\n") + 2, 13), "0000001a  ab ");
    // Decimal and octal: right-aligned in digits + 1, past the end digits + 2 blanks.
    const uint8_t two[] = {7, 200};
    EXPECT_EQ(Narrow(HexClipboardText(two, 1, 2, 0x15, false)), "00000000     7          7       \r\n");
    EXPECT_EQ(Narrow(HexClipboardText(two, 2, 2, 0x05, false)), "00000000     7  200  \r\n");
    EXPECT_TRUE(HexClipboardText(two, 0, 16, kHexDefaultParts, false).empty());
}

HEXDUMP_METRICS Metrics(int width, int height) { return HEXDUMP_METRICS{8, 16, width, height, 16}; }

TEST(HexDumpLayout, FittingCountsCellsPerLineAndNeverGoesBelowOne) {
    // address 80 + scroll 16 + hex (one blank 8) + chars (2s - 1 = 15); cost 24 + 9 = 33 per cell.
    struct Case {
        int width, parts, expected;
    };
    const Case cases[] = {
        {80 + 16 + 8 + 15 + 33 * 16, 0x23, 16}, {80 + 16 + 8 + 15 + 33 * 16 - 1, 0x23, 15},
        {10, 0x23, 1},  {600, 0x01, 1},
        {16 + 8 + 33 * 4, 0x02, 5},  // hex only: cost 24
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(LayoutHexDump(Metrics(c.width, 200), c.parts, 0, 0, 0).cellsPerLine, c.expected);
    }
    EXPECT_EQ(LayoutHexDump(Metrics(900, 200), 0x23, 0, 0, 7).cellsPerLine, 7);
}

TEST(HexDumpLayout, PartsSitSideBySideUnderTheValueBarAndCaption) {
    const HEXDUMP_LAYOUT l = LayoutHexDump(Metrics(800, 300), 0x3F, kHexDefaultStyle | HEXDUMP_STYLE_CAPTION,
                                           kHexDefaultValueBar, 4);
    ASSERT_TRUE(l.valid);
    // Value bar: a (8+4)s, h (2+4)s, d (3+4)s, b (8+4)s with gaps of s from x = s.
    EXPECT_TRUE(l.valueShown[0] && l.valueShown[3] && !l.valueShown[4]);
    EXPECT_EQ(l.valueLabels[0].left, 8);
    EXPECT_EQ(l.valueItems[0].right, 8 + 12 * 8);
    EXPECT_EQ(l.valueItems[0].Width(), 10 * 8);
    EXPECT_EQ(l.valueLabels[1].left, 8 + 13 * 8);
    EXPECT_EQ(l.valueBar.bottom, 2 + 16 + 2);
    EXPECT_EQ(l.caption.top, l.valueBar.bottom);
    EXPECT_EQ(l.dataTop, l.caption.bottom);
    EXPECT_EQ(l.parts[HEX_PART_ADDRESS].Width(), 80);
    EXPECT_EQ(l.parts[HEX_PART_HEX].left, 80);
    EXPECT_EQ(l.parts[HEX_PART_HEX].Width(), (3 * 4 + 1) * 8);
    EXPECT_EQ(l.parts[HEX_PART_DECIMAL].Width(), (4 * 4 + 1) * 8);
    EXPECT_EQ(l.parts[HEX_PART_CHARS].Width(), 6 * 8 + 4);
    EXPECT_EQ(l.parts[HEX_PART_CHARS].left, l.parts[HEX_PART_OCTAL].right);
    EXPECT_EQ(l.cellsPerPage, (300 - 4) / 16 * 4);
    // Value-bar items wider than the window are left out, the others wrap.
    const HEXDUMP_LAYOUT narrow = LayoutHexDump(Metrics(100, 300), 0x23, 0, 0x0F, 0);
    EXPECT_FALSE(narrow.valueShown[0]);
    EXPECT_TRUE(narrow.valueShown[1] && narrow.valueShown[2]);
    EXPECT_EQ(narrow.valueItems[2].top, narrow.valueItems[1].top + 16);
}

TEST(HexDumpLayout, ZeroFontMetricsLayNothingOutAndDivideByNothing) {
    for (const HEXDUMP_METRICS& m : {HEXDUMP_METRICS{0, 16, 500, 300, 16}, HEXDUMP_METRICS{8, 0, 500, 300, 16},
                                     HEXDUMP_METRICS{0, 0, 0, 0, 0}}) {
        const HEXDUMP_LAYOUT l = LayoutHexDump(m, 0x3F, 0x2B, 0x3F, 0);
        EXPECT_FALSE(l.valid);
        EXPECT_EQ(l.cellsPerPage, 0);
        int part = -1;
        size_t cell = 99;
        EXPECT_FALSE(HexHitTest(l, 0x3F, 100, 100, 0, 1000, &part, &cell));
        EXPECT_EQ(HexCellRect(l, HEX_PART_HEX, 0, 0).Width(), 0);
    }
}

TEST(HexDumpLayout, HitTestFindsCellsOfEveryPartButTheAddress) {
    const HEXDUMP_LAYOUT l = LayoutHexDump(Metrics(800, 300), 0x3F, 0, 0, 4);
    for (int part = HEX_PART_HEX; part < HEX_PART_COUNT; ++part) {
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 4; ++column) {
                const HexRect rc = HexCellRect(l, part, row, column);
                int hitPart = -1;
                size_t cell = 0;
                ASSERT_TRUE(HexHitTest(l, 0x3F, rc.left + 1, rc.top + 1, 8, 100, &hitPart, &cell));
                EXPECT_EQ(hitPart, part);
                EXPECT_EQ(cell, 8u + static_cast<size_t>(row * 4 + column));
            }
        }
    }
    int part = -1;
    size_t cell = 0;
    EXPECT_FALSE(HexHitTest(l, 0x3F, 10, 20, 0, 100, &part, &cell));  // address
    const HexRect rc = HexCellRect(l, HEX_PART_HEX, 2, 3);
    EXPECT_FALSE(HexHitTest(l, 0x3F, rc.left + 1, rc.top + 1, 0, 11, &part, &cell));  // past the data
    EXPECT_TRUE(HexHitTest(l, 0x3F, rc.left + 1, rc.top + 1, 0, 12, &part, &cell));
}

TEST(HexDumpKeys, TargetsFromTheSelectionStart) {
    // 16 per line, 64 per page, 100 cells (last line 96-99).
    struct Case {
        HexKey key;
        size_t c;
        bool select, scroll;
        size_t to;
    };
    const Case cases[] = {
        {HexKey::Home, 21, true, true, 16},      {HexKey::End, 21, true, true, 31},
        {HexKey::End, 97, true, true, 99},       {HexKey::CtrlHome, 50, true, true, 0},
        {HexKey::CtrlEnd, 5, true, true, 99},    {HexKey::Left, 0, false, true, 0},
        {HexKey::Right, 99, false, false, 99},   {HexKey::Up, 5, false, true, 0},
        {HexKey::Down, 80, true, true, 96}, {HexKey::Down, 90, false, true, 99}, {HexKey::Down, 88, false, true, 99},
        {HexKey::Down, 97, false, false, 97},    {HexKey::PageUp, 70, true, true, 6},
        {HexKey::PageUp, 21, true, true, 5},     {HexKey::PageDown, 21, true, true, 85},
        {HexKey::PageDown, 40, false, true, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key) * 1000 + static_cast<int>(c.c));
        const HEXDUMP_MOVE move = HexKeyMove(c.key, c.c, 16, 64, 100);
        EXPECT_EQ(move.select, c.select);
        EXPECT_EQ(move.scroll, c.scroll);
        EXPECT_EQ(move.scrollTo, c.to);
    }
}

TEST(HexDumpKeys, ScrollingIntoViewKeepsTheLineOnScreen) {
    EXPECT_EQ(HexScrollIntoView(5, 32, 16, 64), 0u);     // above: its line on top
    EXPECT_EQ(HexScrollIntoView(40, 32, 16, 64), 32u);   // inside: nothing moves
    EXPECT_EQ(HexScrollIntoView(99, 32, 16, 64), 48u);   // below: last whole line
    EXPECT_EQ(HexScrollIntoView(99, 0, 16, 0), 96u);     // a page of no line still shows it
}

TEST(HexDumpKeys, AResizeKeepsTheFirstLineWithinTheScrollRange) {
    struct Case {
        size_t first, n, p, count, expected;
    };
    const Case cases[] = {
        {48, 16, 64, 256, 48},   // fits: unchanged
        {192, 16, 64, 256, 192}, // the last page exactly
        {224, 16, 64, 256, 192}, // a taller window: up to the last full page
        {224, 32, 256, 256, 0},  // everything fits now
        {200, 8, 64, 256, 192},  // narrower: the line of the old first cell
        {200, 32, 64, 250, 192}, // wider: a line start, within the range (8 lines, 2 a page)
        {40, 16, 0, 100, 32},    // no whole line on the page: the last line may be first
        {40, 0, 64, 100, 0},     // no layout yet
        {0, 16, 64, 0, 0},       // no data
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexClampFirstVisible(c.first, c.n, c.p, c.count), c.expected)
            << c.first << " " << c.n << " " << c.p << " " << c.count;
}

} // namespace
} // namespace brx
