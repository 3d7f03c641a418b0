#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "protocols/HidReportValues.h"
#include "protocols/HidUsageNames.h"
#include "tests/capture/hid_test_util.h"
#include "tests/decode/PageTest.h"

namespace brx {
namespace {

using brx::test::Bytes;
using brx::test::FromHex;
using brx::test::HidCache;
using brx::testing::CheckNesting;
using brx::testing::Count;

HID_REPORT_ITEM Value(uint16_t page, uint16_t usage, uint32_t value, int32_t lmin, int32_t lmax, int32_t pmin,
                      int32_t pmax) {
    HID_REPORT_ITEM it{};
    it.usagePage = page;
    it.usage = usage;
    it.value = value;
    it.logicalMin = lmin;
    it.logicalMax = lmax;
    it.physicalMin = pmin;
    it.physicalMax = pmax;
    return it;
}

HID_REPORT_ITEM Button(uint16_t page, uint16_t usage) {
    HID_REPORT_ITEM it{};
    it.usagePage = page;
    it.usage = usage;
    it.isButton = 1;
    it.value = 1;
    return it;
}

std::string Render(const std::vector<HID_REPORT_ITEM>& items, uint32_t options, uint8_t type = 1, uint8_t id = 0,
                   uint16_t page = 0, uint16_t usage = 0) {
    PageBuffer buffer(0x10000);
    HID_REPORT_TABLE_CONTEXT ctx;
    ctx.page = &buffer;
    ctx.options = options;
    ctx.items = items.data();
    ctx.itemCount = uint32_t(items.size());
    ctx.reportType = type;
    ctx.reportId = id;
    ctx.usagePage = page;
    ctx.usage = usage;
    const bool ok = RenderHidReportFields(ctx);
    EXPECT_EQ(ok, !items.empty());
    std::string s(buffer.view());
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

std::string Row(std::initializer_list<const char*> cells) {
    std::string s = "<tr>\r\n";
    for (const char* c : cells) s += std::string("<td class=\"hrpt\">") + c + "</td>\r\n";
    return s + "</tr>\r\n";
}

TEST(HidReportValues, Ranges) {
    struct Case {
        HID_REPORT_ITEM item;
        uint32_t options;
        const char* range;
        const char* value;
    } cases[] = {
        {Value(1, 0x30, 17, 0, 255, 0, 255), kHidReportPageOptions, "[0..255]", "17"},
        {Value(1, 0x30, 17, 0, 255, 0, 1000), kHidReportPageOptions, "[0..255]/[0..1000]", "17"},
        {Value(1, 0x30, 17, 0, 255, 0, 255), kHidReportPageOptions | HRPT_PHYSICAL_ALWAYS, "[0..255]/[0..255]", "17"},
        {Value(1, 0x30, 255, 0, 255, 0, 255), kHidReportPageOptions | HRPT_HEXADECIMAL, "[0..FFh]", "FFh"},
        {Value(1, 0x30, 0, 0, 255, 0, 255), kHidReportPageOptions | HRPT_HEXADECIMAL, "[0..FFh]", "0"},
        {Value(1, 0x30, 0, 1, 255, 0, 255), kHidReportPageOptions | HRPT_HEXADECIMAL, "[1h..FFh]/[0..FFh]", "0"},
        // A signed field (negative logical limit): the cache sign-extends it.
        {Value(1, 0x31, 0xFFFFFFFBu, -127, 127, -127, 127), kHidReportPageOptions, "[-127..127]", "-5"},
        {Value(1, 0x31, 0xFFFFFF81u, -127, 127, -127, 127), kHidReportPageOptions | HRPT_HEXADECIMAL,
         "[-7Fh..7Fh]", "-7Fh"},
        // An unsigned field keeps its full range: 4000000000 is not negative.
        {Value(1, 0x32, 4000000000u, 0, -1, 0, -1), kHidReportPageOptions, "[0..-1]", "-294967296"},
        {Value(1, 0x32, 4000000000u, 0, 0x7FFFFFFF, 0, 0x7FFFFFFF), kHidReportPageOptions, "[0..2147483647]",
         "4000000000"},
        {Button(9, 3), kHidReportPageOptions, "Off..On", "On"},
    };
    for (const Case& c : cases) {
        const std::string s = Render({c.item}, c.options);
        char name[kHidNameSize];
        const std::string usage = HidReportUsageText(c.item.usagePage, c.item.usage, name, sizeof name);
        EXPECT_NE(s.find(Row({usage.c_str(), c.range, c.value})), std::string::npos) << c.range << "\n" << s;
    }
}

TEST(HidReportValues, UsageTexts) {
    char buf[kHidNameSize];
    EXPECT_STREQ(HidReportUsageText(1, 0, buf, sizeof buf), "Unknown 0");
    EXPECT_STREQ(HidReportUsageText(0x0E, 7, buf, sizeof buf), "Unknown 7");
    EXPECT_STREQ(HidReportUsageText(1, 0x30, buf, sizeof buf), "X");
    EXPECT_STREQ(HidReportUsageText(7, 0x36, buf, sizeof buf), "Keyboard , and <");
    const std::string s = Render({Button(7, 0x36)}, kHidReportPageOptions);
    EXPECT_NE(s.find("Keyboard , and &lt;"), std::string::npos) << s;  // escaped
}

TEST(HidReportValues, TitleHeaderAndColumns) {
    const std::vector<HID_REPORT_ITEM> items = {Button(9, 1), Value(1, 0x30, 3, 0, 7, 0, 7)};
    struct Case {
        uint32_t options;
        uint8_t type, id;
        uint16_t page, usage;
        const char* expected;
    } cases[] = {
        {HRPT_TITLE, 3, 2, 0, 0, "<div class=\"hrptdiv1\"><b>Feature Report (ID 2)</b> </div>\r\n"},
        {HRPT_TITLE, 0, 0, 0, 0, "<b>HID Report</b> </div>"},
        {HRPT_TITLE, 9, 0, 0, 0, "<b>HID Report</b> </div>"},
        {HRPT_TITLE, 1, 0, 1, 2, "<b>Input Report</b> Mouse</div>"},
        {HRPT_TITLE, 2, 0, 1, 0, "<b>Output Report</b> </div>"},
        {HRPT_HEADER_ROW, 1, 0, 0, 0, "<tr>\r\n<th class=\"hrpt\">Usage</th>\r\n<th class=\"hrpt\">Value</th>\r\n</tr>"},
        {HRPT_HEADER_ROW | HRPT_TYPE_COLUMN | HRPT_RANGE_COLUMN, 1, 0, 0, 0,
         "<th class=\"hrpt\">T</th>\r\n<th class=\"hrpt\">Usage</th>\r\n<th class=\"hrpt\">Range Lg/Ph</th>\r\n"
         "<th class=\"hrpt\">Value</th>"},
        {HRPT_TYPE_COLUMN, 1, 0, 0, 0, "<td class=\"hrpt\">Btn</td>\r\n<td class=\"hrpt\">Button 1</td>\r\n<td class=\"hrpt\">On</td>"},
        {HRPT_TYPE_COLUMN, 1, 0, 0, 0, "<td class=\"hrpt\">Val</td>\r\n<td class=\"hrpt\">X</td>\r\n<td class=\"hrpt\">3</td>"},
    };
    for (const Case& c : cases) {
        const std::string s = Render(items, c.options, c.type, c.id, c.page, c.usage);
        EXPECT_NE(s.find(c.expected), std::string::npos) << c.expected << "\n" << s;
        EXPECT_EQ(s.find("<th") != std::string::npos, (c.options & HRPT_HEADER_ROW) != 0);
        EXPECT_EQ(s.find("hrptdiv1") != std::string::npos, (c.options & HRPT_TITLE) != 0);
    }
}

TEST(HidReportValues, NothingForNoItemsOrAFullPage) {
    Render({}, kHidReportPageOptions);
    HID_REPORT_TABLE_CONTEXT ctx;
    const HID_REPORT_ITEM item = Button(9, 1);
    ctx.items = &item;
    ctx.itemCount = 1;
    EXPECT_FALSE(RenderHidReportFields(ctx));  // no page
    PageBuffer small(PageBuffer::kTailReserve + 100);
    ctx.page = &small;
    std::vector<HID_REPORT_ITEM> many(50, Value(1, 0x30, 1, 0, 1, 0, 1));
    ctx.items = many.data();
    ctx.itemCount = uint32_t(many.size());
    EXPECT_FALSE(RenderHidReportFields(ctx));
    EXPECT_EQ(small.size(), 0u);  // all or nothing
    EXPECT_TRUE(small.full());
}

// The real reports: the parsed-descriptor cache decodes each, the table shows
// it, and every button and value is the one tshark reads (HID 1.11: a field
// with a negative logical limit is signed).
void CheckFixture(const std::string& name, const Bytes& fileDescriptor, int& reportsChecked) {
    SCOPED_TRACE(name);
    std::ifstream f(std::string(BRX_SOURCE_DIR) + "/tests/data/hid/" + name + ".txt");
    ASSERT_TRUE(f);
    Bytes desc = fileDescriptor;
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(f, line)) lines.push_back(line);
    for (const std::string& l : lines)
        if (l.rfind("descriptor-hex ", 0) == 0) desc = FromHex(l.substr(15));
    ASSERT_FALSE(desc.empty());
    HidCache cache(desc);
    const bool ids = HidReportHasReportId(desc.data(), desc.size()) != 0;
    std::vector<HID_REPORT_ITEM> items;
    std::string page;
    for (const std::string& l : lines) {
        std::istringstream in(l);
        std::string key;
        in >> key;
        if (key == "report-data") {
            std::string hex;
            in >> hex;
            const Bytes report = FromHex(hex);
            items.assign(512, HID_REPORT_ITEM{});
            uint32_t n = uint32_t(items.size());
            cache.cache.GetReportItems(report.data(), uint32_t(report.size()), ids ? report[0] : 0, HidP_Input, 1,
                                       items.data(), &n);
            items.resize(std::min<size_t>(n, items.size()));
            PageBuffer buffer;
            HID_REPORT_TABLE_CONTEXT ctx;
            ctx.page = &buffer;
            ctx.items = items.data();
            ctx.itemCount = uint32_t(items.size());
            ctx.reportType = 1;
            ctx.reportId = ids ? report[0] : 0;
            ASSERT_EQ(RenderHidReportFields(ctx), !items.empty()) << hex;
            page.assign(buffer.view());
            EXPECT_EQ(CheckNesting(page), "");
            ++reportsChecked;
        } else if (key == "usages") {
            std::string pageHex, list;
            in >> pageHex >> list;
            const uint16_t usagePage = uint16_t(std::stoul(pageHex, nullptr, 16));
            std::stringstream ss(list);
            std::string u;
            while (std::getline(ss, u, ',')) {
                const uint16_t usage = uint16_t(std::stoul(u, nullptr, 16));
                if (usage == 0) continue;  // an empty array slot
                char nameBuf[kHidNameSize];
                const std::string cell = std::string("<td class=\"hrpt\">") +
                                         HidReportUsageText(usagePage, usage, nameBuf, sizeof nameBuf) +
                                         "</td>\r\n<td class=\"hrpt\">Off..On</td>\r\n<td class=\"hrpt\">On</td>";
                EXPECT_NE(page.find(cell), std::string::npos) << l;
            }
        } else if (key == "value") {
            std::string pageHex, usageHex;
            long long expected = 0;
            in >> pageHex >> usageHex >> expected;
            const uint16_t usagePage = uint16_t(std::stoul(pageHex, nullptr, 16));
            const uint16_t usage = uint16_t(std::stoul(usageHex, nullptr, 16));
            // The first value field of the usage (tshark names some by usage only).
            const auto it = std::find_if(items.begin(), items.end(), [&](const HID_REPORT_ITEM& i) {
                return !i.isButton && i.usage == usage && (usagePage == 0 || i.usagePage == usagePage);
            });
            ASSERT_NE(it, items.end()) << l;
            char value[24];
            FormatHidReportValue(*it, false, value, sizeof value);
            EXPECT_EQ(std::string(value), std::to_string(expected)) << l;
            EXPECT_NE(page.find(std::string("<td class=\"hrpt\">") + value + "</td>\r\n</tr>"), std::string::npos);
        }
    }
}

TEST(HidReportValues, RealReportsReadAsTsharkReadsThem) {
    int checked = 0;
    CheckFixture("keyboard_capture", {}, checked);
    CheckFixture("qemu_tablet_reports", {}, checked);
    EXPECT_GE(checked, 240);
    // The fixtures whose descriptors are in the shared folder, with signed
    // fields among them.
    const std::filesystem::path folder = std::filesystem::path(BRX_TESTDATA_DIR) / "hid-descriptors";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "shared test data not found at " << folder;
    for (const auto& [name, file] : {std::pair{"mouse_report_ids", "249.bin"}, std::pair{"boot_mouse", "241.bin"},
                                     std::pair{"keyboard_logitech", "234.bin"}, std::pair{"gamepad", "000.bin"}}) {
        std::ifstream in(folder / file, std::ios::binary);
        const Bytes d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        CheckFixture(name, d, checked);
    }
}

} // namespace
} // namespace brx
