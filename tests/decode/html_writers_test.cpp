#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/UsbNames.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using brx::testing::CheckNesting;
using brx::testing::Count;
using brx::testing::PageFixture;

namespace {

std::vector<uint8_t> Sequence(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i);
    return v;
}

TEST(HtmlCells, FixedTexts) {
    PageFixture f;
    struct Case {
        const char* name;
        bool (*write)(DECODE_CONTEXT&);
        const char* text;
    };
    const Case cases[] = {
        {"empty", [](DECODE_CONTEXT& c) { return WriteEmptyCell(c); }, "<td class=\"ud\"></td>\r\n"},
        {"name", [](DECODE_CONTEXT& c) { return WriteFieldNameCell(c, "bLength"); },
         "<td class=\"udfld\"><nobr>bLength</nobr></td>\r\n"},
        {"null name", [](DECODE_CONTEXT& c) { return WriteFieldNameCell(c, nullptr); },
         "<td class=\"udfld\"><nobr></nobr></td>\r\n"},
        {"offset", [](DECODE_CONTEXT& c) { return WriteOffsetCell(c, 300); }, "<td class=\"udofs\">300</td>\r\n"},
        {"size not cut to a byte", [](DECODE_CONTEXT& c) { return WriteSizeCell(c, 4097); },
         "<td class=\"udsiz\">4097</td>\r\n"},
        {"description", [](DECODE_CONTEXT& c) { return WriteDescriptionCell(c, "Full Speed"); },
         "<td class=\"uddes\">Full Speed</td>\r\n"},
        {"null description", [](DECODE_CONTEXT& c) { return WriteDescriptionCell(c, nullptr); },
         "<td class=\"ud\"></td>\r\n"},
        {"error description", [](DECODE_CONTEXT& c) { return WriteErrorDescriptionCell(c, "Should be zero"); },
         "<td class=\"uddes\"><span class=\"error\">Should be zero</span></td>\r\n"},
        {"nibble", [](DECODE_CONTEXT& c) { return WriteNibbleValueCell(c, 0xAB); }, "<td class=\"udval\">Bh</td>\r\n"},
        {"byte", [](DECODE_CONTEXT& c) { return WriteByteValueCell(c, 0x0A); }, "<td class=\"udval\">0Ah</td>\r\n"},
        {"error byte", [](DECODE_CONTEXT& c) { return WriteErrorByteValueCell(c, 0xFF); },
         "<td class=\"udval\"><span class=\"error\">FFh</span></td>\r\n"},
        {"word", [](DECODE_CONTEXT& c) { return WriteWordValueCell(c, 0x0200); }, "<td class=\"udval\">0200h</td>\r\n"},
        {"error word", [](DECODE_CONTEXT& c) { return WriteErrorWordValueCell(c, 0x12); },
         "<td class=\"udval\"><span class=\"error\">0012h</span></td>\r\n"},
        {"tribyte", [](DECODE_CONTEXT& c) { return WriteTriByteValueCell(c, 0xFF123456); },
         "<td class=\"udval\">123456h</td>\r\n"},
        {"dword", [](DECODE_CONTEXT& c) { return WriteDwordValueCell(c, 0x43425355); },
         "<td class=\"udval\">43425355h</td>\r\n"},
        {"qword", [](DECODE_CONTEXT& c) { return WriteQwordValueCell(c, 0x0123456789ABCDEFull); },
         "<td class=\"udval\">0123456789ABCDEFh</td>\r\n"},
        {"byte pair", [](DECODE_CONTEXT& c) { return WriteBytePairValueCell(c, 1, 0xFE); },
         "<td class=\"udval\">01h&nbsp;FEh</td>\r\n"},
        {"quoted", [](DECODE_CONTEXT& c) { return WriteQuotedValueCell(c, "A&B \"X\""); },
         "<td class=\"udval\">\"A&amp;B &quot;X&quot;\"</td>\r\n"},
        {"bit pattern", [](DECODE_CONTEXT& c) { return WriteBitPatternValueCell(c, ".01....."); },
         "<td class=\"udval\"><nobr>.01.....&nbsp;</nobr></td>\r\n"},
        {"error bit pattern", [](DECODE_CONTEXT& c) { return WriteErrorBitPatternValueCell(c, "11"); },
         "<td class=\"udval\"><span class=\"error\"><nobr>11&nbsp;</nobr></span></td>\r\n"},
        {"bit field name", [](DECODE_CONTEXT& c) { return WriteBitFieldNameCell(c, "6..5", "Type"); },
         "<td class=\"udbmfld\"><nobr>6..5: Type</nobr></td>\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.write(f.ctx)) << c.name;
        EXPECT_EQ(f.Take(), c.text) << c.name;
    }
}

TEST(HtmlCells, OffsetAndSizeCellsFollowTheirFlags) {
    PageFixture f;
    f.ctx.offsetColumn = false;
    f.ctx.sizeColumn = false;
    EXPECT_TRUE(WriteOffsetCell(f.ctx, 1));
    EXPECT_TRUE(WriteSizeCell(f.ctx, 1));
    EXPECT_EQ(f.Take(), "");
}

TEST(HtmlCells, GuidValue) {
    PageFixture f;
    const uint8_t guid[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                              0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_TRUE(WriteGuidValueCell(f.ctx, guid));
    EXPECT_EQ(f.Take(), "<td class=\"udval\"><nobr>00112233-4455-6677-8899-AABBCCDDEEFF</nobr></td>\r\n");
    char text[39];
    EXPECT_EQ(FormatGuid(guid, text, sizeof text), 38u);
    EXPECT_STREQ(text, "{00112233-4455-6677-8899-aabbccddeeff}");
    EXPECT_EQ(FormatGuid(guid, text, 38), 0u);
    EXPECT_EQ(FormatGuid(std::span<const uint8_t>(guid, 15), text, sizeof text), 0u);
    // A GUID cut short is shown as the bytes held, in the error style.
    EXPECT_TRUE(WriteGuidValueCell(f.ctx, std::span<const uint8_t>(guid, 3)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><span class=\"error\"><nobr>33&nbsp;22&nbsp;11&nbsp;</nobr></span></td>\r\n");
}

TEST(HtmlCells, HexDumps) {
    PageFixture f;
    const std::vector<uint8_t> bytes = Sequence(4097);
    struct Case {
        size_t count;
        size_t breaks;
        bool cut;
    };
    for (const Case& c : {Case{0, 0, false}, Case{8, 0, false}, Case{9, 1, false}, Case{16, 1, false},
                          Case{17, 2, false}, Case{4096, 511, false}, Case{4097, 512, true}}) {
        EXPECT_TRUE(WriteHexDumpCell(f.ctx, std::span(bytes).first(c.count)));
        const std::string s = f.Take();
        EXPECT_EQ(Count(s, "<br>"), c.breaks) << c.count;
        EXPECT_EQ(Count(s, "&nbsp;"), c.count < 4096 ? c.count : 4096) << c.count;
        EXPECT_EQ(s.find("(1 more byte not shown)") != std::string::npos, c.cut) << c.count;
    }
    EXPECT_TRUE(WriteHexDumpCell(f.ctx, std::span(bytes).first(9)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><nobr>00&nbsp;01&nbsp;02&nbsp;03&nbsp;04&nbsp;05&nbsp;06&nbsp;07&nbsp;"
                        "<br>08&nbsp;</nobr></td>\r\n");
    EXPECT_TRUE(WriteErrorHexDumpCell(f.ctx, std::span(bytes).subspan(0x41, 1)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><span class=\"error\"><nobr>41&nbsp;</nobr></span></td>\r\n");
    // The cut says how many were left out.
    const std::vector<uint8_t> big(5000, 0xAA);
    EXPECT_TRUE(WriteHexDumpCell(f.ctx, big));
    EXPECT_NE(f.Take().find("<br>(904 more bytes not shown)</nobr>"), std::string::npos);
}

TEST(HtmlCells, WordArrays) {
    PageFixture f;
    const std::vector<uint8_t> bytes = Sequence(20);
    EXPECT_TRUE(WriteWordArrayCell(f.ctx, std::span(bytes).first(10)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><nobr>0100h&nbsp;0302h&nbsp;0504h&nbsp;0706h<br>0908h&nbsp;</nobr></td>\r\n");
    EXPECT_TRUE(WriteWordArrayCell(f.ctx, std::span(bytes).first(8)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><nobr>0100h&nbsp;0302h&nbsp;0504h&nbsp;0706h</nobr></td>\r\n");
    // An odd last byte is shown, not dropped.
    EXPECT_TRUE(WriteWordArrayCell(f.ctx, std::span(bytes).first(3)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><nobr>0100h&nbsp;02h</nobr></td>\r\n");
    EXPECT_TRUE(WriteWordArrayCell(f.ctx, std::span(bytes).first(9)));
    EXPECT_EQ(f.Take(), "<td class=\"udhex\"><nobr>0100h&nbsp;0302h&nbsp;0504h&nbsp;0706h<br>08h</nobr></td>\r\n");
}

TEST(HtmlFormat, BitLabels) {
    struct Case {
        uint32_t mask;
        const char* label;
    };
    const Case cases[] = {{0x01, "0"}, {0x0C, "3..2"}, {0x60, "6..5"}, {0x80, "7"}, {0x1F, "4..0"},
                          {0x0D, "0"}, {0x36, "2..1"}, {0x80000000u, "31"}, {0xFFFFFFFFu, "31..0"}, {0, ""}};
    for (const Case& c : cases) {
        char out[8];
        EXPECT_EQ(FormatBitLabel(c.mask, out, sizeof out), std::strlen(c.label)) << c.mask;
        EXPECT_STREQ(out, c.label) << c.mask;
    }
}

TEST(HtmlFormat, BitPatterns) {
    struct Case {
        uint32_t bytes, mask, value;
        const char* pattern;
    };
    const Case cases[] = {
        {1, 0x60, 0x20, ".01....."},
        {1, 0x80, 0x80, "1......."},
        {1, 0xFF, 0xA5, "10100101"},
        {2, 0x0300, 0xFFFF, "......11 ........"},
        {4, 0x80000001u, 1, "0....... ........ ........ .......1"},
        {0, 0xFF, 0, ""},
        {5, 0xFF, 0, ""},
    };
    for (const Case& c : cases) {
        char out[40];
        EXPECT_EQ(FormatBitPattern(c.bytes, c.mask, c.value, out, sizeof out), std::strlen(c.pattern)) << c.pattern;
        EXPECT_STREQ(out, c.pattern);
    }
    char small[8];
    EXPECT_EQ(FormatBitPattern(1, 1, 1, small, sizeof small), 0u);
}

// Cells per row: three with the Offset and Size columns off, five with them on
// (bit rows write empty cells in the two places).
TEST(HtmlRows, CellsPerRowFollowTheColumns) {
    const uint8_t value[4] = {1, 2, 3, 4};
    using Writer = bool (*)(DECODE_CONTEXT&);
    const Writer writers[] = {
        [](DECODE_CONTEXT& c) { return WriteByteRow(c, 0, "bLength", 1, 18, nullptr); },
        [](DECODE_CONTEXT& c) { return WriteErrorByteRow(c, 0, "bLength", 1, 17, "Incorrect"); },
        [](DECODE_CONTEXT& c) { return WriteWordRow(c, 2, "bcdUSB", 2, 0x200, "USB 2.0"); },
        [](DECODE_CONTEXT& c) { return WriteErrorWordRow(c, 2, "bcdUSB", 2, 0x201, "Bad"); },
        [](DECODE_CONTEXT& c) { return WriteDwordRow(c, 0, "dCBWSignature", 4, 0x43425355, nullptr); },
        [](DECODE_CONTEXT& c) { return WriteQwordRow(c, 0, "qw", 8, 1, nullptr); },
        [](DECODE_CONTEXT& c) { return WriteValueRow(c, 0, "v", std::span<const uint8_t>(), nullptr); },
        [](DECODE_CONTEXT& c) { return WriteBytesRow(c, 0, nullptr, std::span<const uint8_t>(), nullptr); },
        [](DECODE_CONTEXT& c) { return WriteWordArrayRow(c, 0, "w", std::span<const uint8_t>(), nullptr); },
        [](DECODE_CONTEXT& c) { return WriteGuidRow(c, 0, "g", std::span<const uint8_t>(), nullptr); },
        [](DECODE_CONTEXT& c) { return WriteQuotedRow(c, 0, "q", 4, "text", nullptr); },
        [](DECODE_CONTEXT& c) { return WriteBitFieldRow(c, "Type", 1, 0x60, 0x20, "Class"); },
        [](DECODE_CONTEXT& c) { return WriteErrorBitFieldRow(c, "Type", 1, 0x60, 0x60, "Reserved"); },
    };
    (void)value;
    for (bool columns : {false, true}) {
        PageFixture f;
        f.ctx.offsetColumn = f.ctx.sizeColumn = columns;
        for (Writer w : writers) {
            EXPECT_TRUE(w(f.ctx));
            const std::string row = f.Take();
            EXPECT_EQ(Count(row, "<td"), columns ? 5u : 3u) << row;
            EXPECT_TRUE(row.starts_with("<tr valign=\"top\">\r\n")) << row;
            EXPECT_TRUE(row.ends_with("</tr>\r\n")) << row;
            EXPECT_EQ(CheckNesting(row), "") << row;
        }
    }
}

TEST(HtmlRows, ByteRowText) {
    PageFixture f;
    EXPECT_TRUE(WriteByteRow(f.ctx, 4, "bNumInterfaces", 1, 2, "Two <interfaces>"));
    EXPECT_EQ(f.Take(), "<tr valign=\"top\">\r\n<td class=\"udofs\">4</td>\r\n"
                        "<td class=\"udfld\"><nobr>bNumInterfaces</nobr></td>\r\n<td class=\"udsiz\">1</td>\r\n"
                        "<td class=\"udval\">02h</td>\r\n<td class=\"uddes\">Two &lt;interfaces&gt;</td>\r\n</tr>\r\n");
    EXPECT_TRUE(WriteErrorWordRow(f.ctx, 2, "wTotalLength", 2, 0x20, "Should be 25"));
    const std::string error = f.Take();
    EXPECT_NE(error.find("<span class=\"error\">0020h</span>"), std::string::npos);
    EXPECT_NE(error.find("<span class=\"error\">Should be 25</span>"), std::string::npos);
}

TEST(HtmlRows, ValueRowBySize) {
    PageFixture f;
    const uint8_t v[5] = {0x56, 0x34, 0x12, 0x78, 0x9A};
    struct Case {
        size_t size;
        const char* cell;
    };
    const Case cases[] = {{1, ">56h<"}, {2, ">3456h<"}, {3, ">123456h<"}, {4, ">78123456h<"},
                          {5, ">56&nbsp;34&nbsp;12&nbsp;78&nbsp;9A&nbsp;<"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(WriteValueRow(f.ctx, 8, "field", std::span(v).first(c.size), nullptr));
        const std::string row = f.Take();
        EXPECT_NE(row.find(c.cell), std::string::npos) << row;
        EXPECT_NE(row.find("<td class=\"udsiz\">" + std::to_string(c.size) + "</td>"), std::string::npos) << row;
    }
}

TEST(HtmlRows, BitFieldRowHasEmptyOffsetAndSizeCells) {
    PageFixture f;
    EXPECT_TRUE(WriteBitFieldRow(f.ctx, "Type", 1, 0x60, 0x21, "Class"));
    EXPECT_EQ(f.Take(), "<tr valign=\"top\">\r\n<td class=\"ud\"></td>\r\n"
                        "<td class=\"udbmfld\"><nobr>6..5: Type</nobr></td>\r\n<td class=\"ud\"></td>\r\n"
                        "<td class=\"udval\"><nobr>.01.....&nbsp;</nobr></td>\r\n<td class=\"uddes\">Class</td>\r\n"
                        "</tr>\r\n");
}

TEST(HtmlRows, UndecodedBytesAreShown) {
    PageFixture f;
    const uint8_t rest[3] = {0xDE, 0xAD, 0x01};
    EXPECT_TRUE(WriteUndecodedBytesRow(f.ctx, 18, rest));
    const std::string row = f.Take();
    EXPECT_NE(row.find("<td class=\"udofs\">18</td>"), std::string::npos);
    EXPECT_NE(row.find("<nobr>Undecoded</nobr>"), std::string::npos);
    EXPECT_NE(row.find("<span class=\"error\"><nobr>DE&nbsp;AD&nbsp;01&nbsp;</nobr></span>"), std::string::npos);
    EXPECT_NE(row.find("<span class=\"error\">3 bytes not decoded</span>"), std::string::npos);
    EXPECT_TRUE(WriteUndecodedBytesRow(f.ctx, 18, std::span<const uint8_t>()));
    EXPECT_EQ(f.Take(), "");
}

TEST(HtmlFrames, TablesRowsAndDivisions) {
    PageFixture f;
    EXPECT_TRUE(BeginFieldTable(f.ctx));
    EXPECT_EQ(f.Take(), "<table cellspacing=\"0\">\r\n<tr valign=\"top\"><th class=\"ud\">Offset</th>"
                        "<th class=\"ud\">Field</th><th class=\"ud\">Size</th><th class=\"ud\">Value</th>"
                        "<th class=\"ud\">Description</th></tr>\r\n");
    f.ctx.offsetColumn = f.ctx.sizeColumn = false;
    EXPECT_TRUE(BeginFieldTable(f.ctx));
    EXPECT_EQ(f.Take(), "<table cellspacing=\"0\">\r\n<tr valign=\"top\"><th class=\"ud\">Field</th>"
                        "<th class=\"ud\">Value</th><th class=\"ud\">Description</th></tr>\r\n");
    f.ctx.headerRow = false;
    EXPECT_TRUE(BeginIndentDiv(f.ctx));
    EXPECT_EQ(f.ctx.divisionDepth, 1);
    EXPECT_TRUE(BeginFieldTable(f.ctx));
    EXPECT_TRUE(WriteSpacerRow(f.ctx));
    EXPECT_EQ(f.page.openDepth(), 2u);
    // Closing out of order is refused and writes nothing.
    EXPECT_FALSE(EndIndentDiv(f.ctx));
    EXPECT_TRUE(EndFieldTable(f.ctx));
    EXPECT_TRUE(EndIndentDiv(f.ctx));
    EXPECT_EQ(f.ctx.divisionDepth, 0);
    EXPECT_EQ(f.Take(), "<div class=\"uddiv2\">\r\n<table cellspacing=\"0\">\r\n"
                        "<tr><td style=\"height:.3em\"></td></tr>\r\n</table>\r\n</div>\r\n");
}

TEST(HtmlEscaping, EveryTextArgumentIsEscaped) {
    PageFixture f;
    const char* evil = "<img src=x onerror=\"alert(1)\">&\xE9";
    const char* safe = "&lt;img src=x onerror=&quot;alert(1)&quot;&gt;&amp;&#233;";
    using Writer = bool (*)(DECODE_CONTEXT&, const char*);
    const Writer writers[] = {
        [](DECODE_CONTEXT& c, const char* t) { return WriteFieldNameCell(c, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteDescriptionCell(c, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteErrorDescriptionCell(c, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteQuotedValueCell(c, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteBitFieldNameCell(c, t, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteByteRow(c, 0, t, 1, 0, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteQuotedRow(c, 0, t, 1, t, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteBitFieldRow(c, t, 1, 1, 1, t); },
        [](DECODE_CONTEXT& c, const char* t) { return WriteDescriptorAnchorTitle(c, t, "x"); },
    };
    for (Writer w : writers) {
        EXPECT_TRUE(w(f.ctx, evil));
        const std::string s = f.Take();
        EXPECT_NE(s.find(safe), std::string::npos) << s;
        EXPECT_EQ(s.find("<img"), std::string::npos) << s;
        for (unsigned char c : s) EXPECT_LT(c, 0x80) << s;
    }
    char title[200];
    EXPECT_GT(FormatDescriptorTitle("<Device>", "\"x\"", title, sizeof title), 0u);
    EXPECT_STREQ(title, "<b>&lt;Device&gt; Descriptor</b> &quot;x&quot;");
    EXPECT_GT(FormatBoldTitle("a&b", nullptr, title, sizeof title), 0u);
    EXPECT_STREQ(title, "<b>a&amp;b</b> ");
    EXPECT_EQ(FormatBoldTitle("a&b", nullptr, title, 10), 0u);
    EXPECT_STREQ(title, "");
}

TEST(HtmlAnchors, NamesComeFromOffsetsNotAddresses) {
    // The same descriptor set at two addresses gives the same names.
    const std::vector<uint8_t> set = {9, 2, 25, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0, 1, 3, 0, 0, 0};
    auto names = [](const std::vector<uint8_t>& bytes, uint32_t setNumber) {
        DECODE_CONTEXT ctx;
        ctx.anchorBase = bytes;
        ctx.anchorSet = setNumber;
        char a[24], b[24], c[24];
        FormatDescriptorAnchorName(ctx, bytes.data(), a, sizeof a);
        FormatDescriptorAnchorName(ctx, bytes.data() + 9, b, sizeof b);
        const uint8_t elsewhere = 0;
        FormatDescriptorAnchorName(ctx, &elsewhere, c, sizeof c);
        return std::string(a) + " " + b + " " + c;
    };
    auto copy = std::make_unique<std::vector<uint8_t>>(set);
    EXPECT_EQ(names(set, 0), "n0_0 n0_9 n0_x");
    EXPECT_EQ(names(*copy, 0), names(set, 0));
    EXPECT_EQ(names(set, 3), "n3_0 n3_9 n3_x");
    char small[4];
    DECODE_CONTEXT ctx;
    ctx.anchorBase = set;
    EXPECT_EQ(FormatDescriptorAnchorName(ctx, set.data() + 9, small, sizeof small), 0u);
    EXPECT_STREQ(small, "");

    PageFixture f;
    EXPECT_TRUE(WriteDescriptorAnchorTitle(f.ctx, "n0_9", "<b>Interface Descriptor</b> "));
    EXPECT_EQ(f.Take(), "<div class=\"uddiv1\"><a name=\"n0_9\"><b>Interface Descriptor</b> </a></div>\r\n");
    EXPECT_TRUE(WriteDescriptorAnchorTitle(f.ctx, nullptr, "t"));
    EXPECT_EQ(f.Take(), "<div class=\"uddiv1\"><a name=\"#\">t</a></div>\r\n");
}

TEST(HtmlDescriptors, BLengthRow) {
    PageFixture f;
    const uint8_t good[2] = {18, 1};
    const uint8_t bad[2] = {17, 1};
    f.ctx.bytes = good;
    EXPECT_TRUE(WriteBLengthRow(f.ctx, 18));
    std::string s = f.Take();
    EXPECT_NE(s.find("<td class=\"udval\">12h</td>"), std::string::npos);
    EXPECT_EQ(s.find("error"), std::string::npos);
    f.ctx.bytes = bad;
    EXPECT_TRUE(WriteBLengthRow(f.ctx, 18));
    s = f.Take();
    EXPECT_NE(s.find("<span class=\"error\">Incorrect, should be 12h</span>"), std::string::npos) << s;
    f.ctx.detail = false;
    EXPECT_TRUE(WriteBLengthRow(f.ctx, 18));
    EXPECT_EQ(f.Take(), "");
}

TEST(HtmlDescriptors, IntervalNames) {
    EXPECT_STREQ(IntervalName(1), "125 us");
    EXPECT_STREQ(IntervalName(4), "1 ms");
    EXPECT_STREQ(IntervalName(14), "1 s");
    EXPECT_STREQ(IntervalName(16), "4 s");
    EXPECT_STREQ(IntervalName(0), "");
    EXPECT_STREQ(IntervalName(17), "");
}

TEST(HtmlDescriptors, UnrecognizedDescriptors) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool rendered;
        const char* title;
    };
    const Case cases[] = {
        {{}, false, nullptr},
        {{1, 0x41}, false, nullptr},
        {{2, 0xFF}, true, "Unrecognized Descriptor"},
        {{4, 0x05, 0xAA, 0xBB}, true, "Endpoint Descriptor"},
        {{4, 0x1F, 0xAA, 0xBB}, true, "Unrecognized Standard Descriptor"},
        {{5, 0x41, 0x01, 0x02, 0x03}, true, "Unrecognized Vendor-Specific Descriptor"},
        {{3, 0x7F, 0x00}, true, "Unrecognized Descriptor"},
        // bLength past the bytes held: only the bytes held are shown.
        {{9, 0xC1, 0x01}, true, "Unrecognized Vendor-Specific Descriptor"},
    };
    for (const Case& c : cases) {
        PageFixture f;
        f.ctx.bytes = c.bytes;
        EXPECT_EQ(RenderUnrecognizedDescriptor(f.ctx), c.rendered);
        const std::string s = f.Take();
        if (!c.rendered) {
            EXPECT_EQ(s, "");
            continue;
        }
        EXPECT_NE(s.find(c.title), std::string::npos) << s;
        EXPECT_EQ(CheckNesting(s), "") << s;
        EXPECT_EQ(f.page.openDepth(), 0u);
    }
    {
        // Class-specific: named by the current interface's class, else the device's.
        PageFixture f;
        const std::vector<uint8_t> header = {5, 0x24, 0x01, 0x00, 0x01};
        const std::vector<uint8_t> audioControl = {9, 4, 0, 0, 0, 1, 1, 0, 0};
        f.ctx.bytes = header;
        f.ctx.anchorBase = header;
        f.ctx.descriptor.interfaceDescriptor = audioControl;
        EXPECT_TRUE(RenderUnrecognizedDescriptor(f.ctx));
        const char* name = ClassDescriptorName(0x24, 1, 1, 1, 0);
        ASSERT_NE(name, nullptr);
        std::string s = f.Take();
        EXPECT_NE(s.find(std::string("<a name=\"n0_0\"><b>") + name + " Descriptor</b>"), std::string::npos) << s;
        f.ctx.descriptor.interfaceDescriptor = {};
        f.ctx.descriptor.bDeviceClass = 0xDC;
        EXPECT_TRUE(RenderUnrecognizedDescriptor(f.ctx));
        s = f.Take();
        const char* deviceName = ClassDescriptorName(0x24, 1, 0xDC, 0, 0);
        EXPECT_NE(s.find(deviceName ? deviceName : "Unrecognized Class-Specific"), std::string::npos) << s;
    }
    PageFixture f;
    const std::vector<uint8_t> cut = {9, 0xC1, 0x01};
    f.ctx.bytes = cut;
    RenderUnrecognizedDescriptor(f.ctx);
    const std::string s = f.Take();
    EXPECT_NE(s.find("Longer than the bytes held"), std::string::npos);
    EXPECT_NE(s.find("<nobr>01&nbsp;</nobr>"), std::string::npos);
}

uint32_t FakeStrings(uint8_t index, char16_t* buffer, uint32_t size, void* user) {
    const std::u16string text = index == 1 ? u"Ac<m>e \u00E9\U0001F600" : index == 2 ? std::u16string(300, u'x') : u"";
    if (index == 3) throw 1;
    const size_t n = text.size() < size ? text.size() : size;
    text.copy(buffer, n);
    ++*static_cast<int*>(user);
    return static_cast<uint32_t>(n);
}

TEST(HtmlDescriptors, StringDescriptorText) {
    int calls = 0;
    DECODE_CONTEXT ctx;
    char out[300];
    EXPECT_EQ(GetStringDescriptorText(ctx, 1, out, sizeof out), 0u);
    ctx.stringCallback = FakeStrings;
    ctx.userData = &calls;
    EXPECT_EQ(GetStringDescriptorText(ctx, 0x100, out, sizeof out), 0u);
    EXPECT_EQ(calls, 0);
    // Characters outside printable ASCII show as "."; the emoji has no
    // Windows-1252 byte and becomes "?" on the way.
    EXPECT_EQ(GetStringDescriptorText(ctx, 1, out, sizeof out), 12u);
    EXPECT_STREQ(out, "\"Ac<m>e .??\"");
    EXPECT_EQ(GetStringDescriptorText(ctx, 1, out, 12), 0u);
    EXPECT_EQ(GetStringDescriptorText(ctx, 1, out, 13), 12u);
    EXPECT_EQ(GetStringDescriptorText(ctx, 2, out, sizeof out), 0u); // longer than 255
    EXPECT_EQ(GetStringDescriptorText(ctx, 3, out, sizeof out), 0u); // callback threw
    EXPECT_EQ(GetStringDescriptorText(ctx, 4, out, sizeof out), 0u); // no text
}

TEST(HtmlStyle, SheetHasEveryRule) {
    for (const char* selector : {"th.ud {", "td.ud {", "td.udofs {", "td.udsiz {", "td.udval {", "td.udfld {",
                                 "td.udbmfld {", "td.udhex {", "td.uddes {", "div.uddiv1 {", "div.uddiv7 {",
                                 "a:active {", "a.totop {", ".error {color:#f00;}"}) {
        EXPECT_NE(DESCRIPTOR_STYLE_SHEET.find(selector), std::string_view::npos) << selector;
    }
    EXPECT_EQ(Count(DESCRIPTOR_STYLE_SHEET, "\r\n"), 23u);
    EXPECT_EQ(Count(DESCRIPTOR_STYLE_SHEET, "{"), Count(DESCRIPTOR_STYLE_SHEET, "}"));
    EXPECT_NE(DESCRIPTOR_STYLE_SHEET.find("div.uddiv6 {font-size:8pt;font-style:normal;font-weight:bold;"
                                          "text-decoration:none;margin-top:12px;margin-right:0;margin-bottom:4px;"
                                          "margin-left:0;text-align:left;}\r\n"),
              std::string_view::npos);
}

} // namespace
