#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decode/PageWriter.h"
#include "protocols/HidReportDescriptorPage.h"
#include "tests/decode/PageTest.h"

namespace brx {
namespace {

using Bytes = std::vector<uint8_t>;
using brx::testing::CheckGoldenPage;
using brx::testing::CheckNesting;
using brx::testing::Count;
using brx::testing::PageFixture;

Bytes Hex(const char* text) {
    Bytes out;
    std::string hex;
    for (const char* p = text; *p; ++p)
        if (*p != ' ') hex += *p;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The fragment for a descriptor held in an exact-size heap block, so that a
// read past its end is caught.
std::string Render(const Bytes& d, uint32_t options = HRD_HEADER_ROW, uint32_t interfaceNumber = kHidNoInterface) {
    PageFixture f;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[d.size() ? d.size() : 1]);
    std::copy(d.begin(), d.end(), exact.get());
    f.ctx.bytes = std::span<const uint8_t>(exact.get(), d.size());
    f.ctx.anchorBase = f.ctx.bytes;
    EXPECT_TRUE(RenderHidReportDescriptor(f.ctx, interfaceNumber, options));
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

TEST(HidReportDescriptorPage, NothingForNoBytesOrNoPage) {
    PageFixture f;
    EXPECT_FALSE(RenderHidReportDescriptor(f.ctx, 0, HRD_HEADER_ROW));
    EXPECT_EQ(f.page.size(), 0u);
    const Bytes d = Hex("0501");
    DECODE_CONTEXT bare;
    bare.bytes = d;
    EXPECT_FALSE(RenderHidReportDescriptor(bare, 0, HRD_HEADER_ROW));
}

TEST(HidReportDescriptorPage, TitleAndIndentation) {
    const std::string s = Render(Hex("05010902a101 0901 c0"), HRD_HEADER_ROW, 2);
    EXPECT_NE(s.find("<div class=\"hrddiv1\"><a name=\"n0_0\"><b>Interface 2 HID Report Descriptor</b> Mouse</a></div>"),
              std::string::npos) << s;
    // The Usage inside the collection is indented by four spaces; End
    // Collection lines up with its Collection.
    EXPECT_NE(s.find("<td class=\"hrdn\">&nbsp;&nbsp;&nbsp;&nbsp;Usage (Pointer)</td>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdn\">End Collection</td>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdn\">Collection (Application)</td>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdn\">Usage Page (Generic Desktop)</td>\r\n<td class=\"hrdm\">05&nbsp;01&nbsp;</td>"),
              std::string::npos) << s;
    const std::string none = Render(Hex("05010902a101c0"));
    EXPECT_NE(none.find("<b>HID Report Descriptor</b> Mouse</a>"), std::string::npos) << none;
}

TEST(HidReportDescriptorPage, OnlyLongItemsGiveTitleAndEmptyTable) {
    const std::string s = Render(Hex("fe0201aabb fe0003"), HRD_HEADER_ROW);
    EXPECT_NE(s.find("<b>HID Report Descriptor</b> </a></div>"), std::string::npos) << s;
    EXPECT_EQ(Count(s, "<tr>"), 1u);  // the header row only
    EXPECT_NE(s.find("</table>"), std::string::npos);
}

TEST(HidReportDescriptorPage, HeaderCellsFollowOptions) {
    struct Case {
        uint32_t options;
        const char* header;
        size_t cellsPerRow;
    } cases[] = {
        {HRD_HEADER_ROW, "Item Tag (Value)</th>\r\n<th class=\"hrd\">Raw Data</th>\r\n</tr>", 2},
        {HRD_HEADER_ROW | HRD_SEPARATE_VALUE, "Item Tag</th>\r\n<th class=\"hrd\">Value</th>\r\n<th class=\"hrd\">Raw Data</th>", 3},
        {HRD_HEADER_ROW | HRD_TYPE_COLUMN, "Raw Data</th>\r\n<th class=\"hrd\">T</th>\r\n</tr>", 3},
        // The Comment heading comes with (empty) cells of its own.
        {HRD_HEADER_ROW | HRD_COMMENT_COLUMN, "Raw Data</th>\r\n<th class=\"hrd\">Comment</th>\r\n</tr>", 3},
        {0, nullptr, 2},
    };
    for (const Case& c : cases) {
        const std::string s = Render(Hex("0501"), c.options);
        if (c.header) {
            EXPECT_NE(s.find(c.header), std::string::npos) << c.options << s;
        } else {
            EXPECT_EQ(s.find("<th"), std::string::npos) << s;
        }
        EXPECT_EQ(Count(s, "<td"), c.cellsPerRow) << c.options << s;
    }
    const std::string typed = Render(Hex("0501 0902 a101 c0"), HRD_TYPE_COLUMN);
    EXPECT_NE(typed.find("05&nbsp;01&nbsp;</td>\r\n<td class=\"hrdn\">g</td>"), std::string::npos) << typed;
    EXPECT_NE(typed.find("09&nbsp;02&nbsp;</td>\r\n<td class=\"hrdn\">l</td>"), std::string::npos) << typed;
    EXPECT_NE(typed.find("A1&nbsp;01&nbsp;</td>\r\n<td class=\"hrdn\">m</td>"), std::string::npos) << typed;
    const std::string split = Render(Hex("0501"), HRD_SEPARATE_VALUE);
    EXPECT_NE(split.find("<td class=\"hrdn\">Usage Page</td>\r\n<td class=\"hrdn\">Generic Desktop</td>"),
              std::string::npos) << split;
}

TEST(HidReportDescriptorPage, ItemValues) {
    struct Case {
        const char* bytes;
        const char* cell;
    } cases[] = {
        {"8100", "<b>Input</b> (Data,Ary,Abs)"},
        {"8102", "<b>Input</b> (Data,Var,Abs,NWrp,Lin,Pref,NNul,Bit)"},
        {"9100", "<b>Output</b> (Data,Ary,Abs,NWrp,Lin,Pref,NNul,NVol,Bit)"},
        {"b182", "<b>Feature</b> (Data,Var,Abs,NWrp,Lin,Pref,NNul,Vol,Bit)"},
        {"a107", "Collection</td>"},  // no collection type of that number: no value
        {"a180", "Collection (Vendor-Defined 1)"},
        {"1581", "Logical Minimum (-127)"},
        {"26ff00", "Logical Maximum (255)"},
        {"37feffffff", "Physical Minimum (-2)"},
        {"550e", "Unit Exponent (-2)"},
        {"6511", "Unit (SI Lin: Length (cm))"},
        {"660110", "Unit (SI Lin: Time (s))"}, {"67010001 00", "Unit (SI Lin: Temperature (K))"},
        {"7508", "Report Size (8)"},
        {"8502", "Report ID (2)"},
        {"97ffffffff", "Report Count (4294967295)"},
        {"a4", "Push</td>"},
        {"b4", "Pop</td>"},
        {"0507 09e3", "Usage (Keyboard Left GUI)"},
        {"0507 0936", "Usage (Keyboard , and &lt;)"},  // escaped
        {"0507 09c7", "Usage (Keypad &amp;)"},
        {"0b38020c00", "Usage (Consumer Devices:AC Pan)"},
        {"0b0100 0e00", "Usage (0x000E:0x0001)"},  // no names: hexadecimal
        {"050e 0901", "Usage (0x0001)"},
        {"0509 1901 2903", "Usage Minimum (Button 1)"},
        {"0509 1901 2903", "Usage Maximum (Button 3)"},
        {"3905", "Designator Index (5)"},
        {"7903", "String Index (3)"},
        {"a901", "Delimiter (Open)"},
        {"a900", "Delimiter (Close)"},
        {"06 00ff 0901", "Usage Page (Vendor-Defined 1)"},
    };
    for (const Case& c : cases) {
        const std::string s = Render(Hex(c.bytes));
        EXPECT_NE(s.find(c.cell), std::string::npos) << c.bytes << "\n" << s;
    }
}

TEST(HidReportDescriptorPage, ItemsWithoutRows) {
    // Main tags other than 8-12, global tags above 11, local tag 6 and tags
    // above 10, and reserved-type items write no row.
    for (const char* bytes : {"0100", "e100", "d100", "6900", "b900", "0d00", "fd00"}) {
        const std::string s = Render(Hex(bytes), 0);
        EXPECT_EQ(Count(s, "<tr>"), 0u) << bytes << s;
    }
}

TEST(HidReportDescriptorPage, DepthNeverBelowZeroAndCappedIndent) {
    const std::string s = Render(Hex("c0 0901"));
    EXPECT_NE(s.find("<td class=\"hrdn\">End Collection</td>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdn\">Usage (0x0001)</td>"), std::string::npos) << s;
    std::string nested;
    for (int i = 0; i < 10; ++i) nested += "a100";
    nested += "0901";
    const std::string deep = Render(Hex(nested.c_str()));
    std::string indent;
    for (int i = 0; i < 32; ++i) indent += "&nbsp;";
    EXPECT_NE(deep.find("\">" + indent + "Usage"), std::string::npos);
    EXPECT_EQ(deep.find("\">" + indent + "&nbsp;"), std::string::npos);
    // Delimiters indent like collections.
    const std::string delim = Render(Hex("a901 0901 a900"));
    EXPECT_NE(delim.find("&nbsp;&nbsp;&nbsp;&nbsp;Usage"), std::string::npos);
    EXPECT_NE(delim.find("<td class=\"hrdn\">Delimiter (Close)</td>"), std::string::npos) << delim;
}

TEST(HidReportDescriptorPage, PushStackHoldsThirtyOneStates) {
    // Pages 1..32 each pushed; the 32nd push saves nothing, so the first Pop
    // restores page 31 and Usage 1 then reads as an Ordinal... page 0x1F has
    // no names, so the usage shows in hexadecimal; page 0x0A (pushed 10th)
    // proves the stack order.
    std::string d;
    char item[16];
    for (int page = 1; page <= 32; ++page) {
        std::snprintf(item, sizeof item, "05%02xa4", page);
        d += item;
    }
    d += "0521 b4 0901";  // page 33 current; Pop restores the 31st saved state
    const std::string s = Render(Hex(d.c_str()));
    EXPECT_EQ(Count(s, "Push</td>"), 32u);
    EXPECT_NE(s.find("Pop</td>"), std::string::npos);
    EXPECT_NE(s.find("Usage (0x0001)</td>"), std::string::npos) << "page 31 (1Fh) has no names";
    std::string tenPops = "05010902";
    for (int page = 1; page <= 10; ++page) {
        std::snprintf(item, sizeof item, "05%02xa4", page);
        tenPops += item;
    }
    tenPops += "050c";
    for (int i = 0; i < 3; ++i) tenPops += "b4";
    tenPops += "0903";  // back to page 8 (LEDs): usage 3 is Scroll Lock
    const std::string t = Render(Hex(tenPops.c_str()));
    EXPECT_NE(t.find("Usage (Scroll Lock)"), std::string::npos) << t;
}

TEST(HidReportDescriptorPage, RawDataBreaksEveryEightBytes) {
    const std::string s = Render(Hex("27ffffff7f"));
    EXPECT_NE(s.find("<td class=\"hrdm\">27&nbsp;FF&nbsp;FF&nbsp;FF&nbsp;7F&nbsp;</td>"), std::string::npos) << s;
    // A cut long item shows its bytes, eight to a line.
    const std::string cut = Render(Hex("0501 fe0a01 0102030405060708"));
    EXPECT_NE(cut.find("FE&nbsp;0A&nbsp;01&nbsp;01&nbsp;02&nbsp;03&nbsp;04&nbsp;05&nbsp;<br>06&nbsp;07&nbsp;08&nbsp;"),
              std::string::npos) << cut;
    EXPECT_NE(cut.find("Long Item (Cut: the item runs past the end of the descriptor)"), std::string::npos) << cut;
}

TEST(HidReportDescriptorPage, LastItemCutShowsItsBytes) {
    struct Case {
        const char* bytes;
        const char* row;
    } cases[] = {
        {"0501 26ff", "Logical Maximum (Cut: 1 of 2 data bytes held)</td>\r\n<td class=\"hrdm\">26&nbsp;FF&nbsp;</td>"},
        {"0501 27", "Logical Maximum (Cut: 0 of 4 data bytes held)</td>\r\n<td class=\"hrdm\">27&nbsp;</td>"},
        {"0501 81", "<td class=\"hrdn\">Input (Cut: 0 of 1 data bytes held)"},
        {"0501 fe", "Long Item (Cut"},
        {"0501 fe01", "Long Item (Cut"},
    };
    for (const Case& c : cases) {
        const std::string s = Render(Hex(c.bytes));
        EXPECT_NE(s.find(c.row), std::string::npos) << c.bytes << "\n" << s;
        EXPECT_NE(s.find("Usage Page (Generic Desktop)"), std::string::npos);
    }
}

TEST(HidReportDescriptorPage, CellClassesByReportKind) {
    const std::string s = Render(Hex("0501 8102 9102 b102 0901"), HRD_REPORT_CLASSES);
    EXPECT_NE(s.find("<td class=\"hrdnin\"><b>Input</b>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdmin\">81&nbsp;02"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdnout\"><b>Output</b>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdnfea\"><b>Feature</b>"), std::string::npos) << s;
    EXPECT_NE(s.find("<td class=\"hrdn\">Usage (Pointer)"), std::string::npos) << s;
}

TEST(HidReportDescriptorPage, FullPageStopsCleanly) {
    std::string hex = "05010902a101";
    for (int i = 0; i < 200; ++i) hex += "0901";
    hex += "c0";
    const Bytes d = Hex(hex.c_str());
    for (size_t capacity : {3000u, 3100u, 3300u, 3700u, 5000u, 12000u}) {
        PageFixture f(capacity);
        const std::string_view sheets[] = {"td.x {}\r\n"};
        ASSERT_TRUE(BeginPage(f.page, "t", sheets));
        f.ctx.bytes = d;
        EXPECT_TRUE(RenderHidReportDescriptor(f.ctx, 0, HRD_HEADER_ROW));
        EXPECT_TRUE(f.page.full()) << capacity;
        ClosePage(f.page);
        const std::string s = f.Take();
        EXPECT_EQ(CheckNesting(s), "") << capacity;
        EXPECT_NE(s.find(kTruncationLine), std::string::npos) << capacity;
        EXPECT_EQ(Count(s, "<tr>"), Count(s, "</tr>")) << capacity;  // no row cut in the middle
    }
}

// Every shared descriptor renders under the sanitizers; its page nests, and
// is written out for the browser check (tools/check_page.py). Four pages are
// goldens, reviewed by eye: a keyboard, a mouse, a vendor page and the
// largest descriptor.
std::string WholePage(const Bytes& d, uint32_t interfaceNumber) {
    PageBuffer page;
    const std::string_view sheets[] = {HID_REPORT_DESCRIPTOR_STYLE_SHEET};
    EXPECT_TRUE(BeginPage(page, "HID Report Descriptor", sheets));
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[d.size()]);
    std::copy(d.begin(), d.end(), exact.get());
    ctx.bytes = std::span<const uint8_t>(exact.get(), d.size());
    ctx.anchorBase = ctx.bytes;
    EXPECT_TRUE(RenderHidReportDescriptor(ctx, interfaceNumber, HRD_HEADER_ROW));
    ClosePage(page);
    return std::string(page.view());
}

TEST(HidReportDescriptorPage, SharedDescriptors) {
    const std::filesystem::path folder = std::filesystem::path(BRX_TESTDATA_DIR) / "hid-descriptors";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "shared test data not found at " << folder;
    const std::filesystem::path out = std::filesystem::path(BRX_TEST_OUTPUT_DIR) / "hid_pages";
    std::filesystem::create_directories(out);
    const std::map<std::string, std::string> goldens = {
        {"234.bin", "hid_keyboard"}, {"241.bin", "hid_mouse"}, {"248.bin", "hid_vendor"}, {"026.bin", "hid_large"}};
    int rendered = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".bin") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string page = WholePage(d, 0);
        EXPECT_EQ(CheckNesting(page), "") << entry.path();
        EXPECT_EQ(page.find("Output truncated"), std::string::npos) << entry.path();
        EXPECT_EQ(page.find("(Cut"), std::string::npos) << entry.path() << " walks cleanly item by item";
        std::ofstream(out / (entry.path().stem().string() + ".html"), std::ios::binary) << page;
        const auto golden = goldens.find(entry.path().filename().string());
        if (golden != goldens.end()) CheckGoldenPage(golden->second, page);
        ++rendered;
    }
    EXPECT_EQ(rendered, 259);
}

} // namespace
} // namespace brx
