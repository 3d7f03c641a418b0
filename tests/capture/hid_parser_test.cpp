// HID report-descriptor parser: item reader, passes, caps and report queries.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/HidParser.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;
using namespace brx::test;

namespace {

uint32_t Value(const HIDP_PREPARSED* pp, uint16_t page, uint16_t usage, const Bytes& report,
               uint32_t* status = nullptr) {
    uint32_t v = 0xDEADBEEF;
    const uint32_t st = HidGetUsageValue(HidP_Input, page, 0, usage, &v, pp, report.data(), uint32_t(report.size()));
    if (status) *status = st;
    return v;
}

} // namespace

TEST(HidReadItem, ShortItemsLongItemsAndTheEnd) {
    struct Case {
        const char* hex;
        bool read;
        uint8_t type, tag, size;
        uint32_t data;
        int32_t sdata;
        size_t next;
    } cases[] = {
        {"0501", true, 1, 0, 1, 1, 1, 2},
        {"1581", true, 1, 1, 1, 0x81, -127, 2},
        {"2600ff", true, 1, 2, 2, 0xFF00, -256, 3},
        {"27ffffff7f", true, 1, 2, 4, 0x7FFFFFFF, 0x7FFFFFFF, 5},
        {"14", true, 1, 1, 0, 0, 0, 1},              // zero-size item: value 0
        {"fe0210aabb0509", true, 1, 0, 1, 9, 9, 7},  // long item skipped whole
        {"fe05", false, 0, 0, 0, 0, 0, 0},           // long item past the end
        {"fe0510aabb", false, 0, 0, 0, 0, 0, 0},
        {"26ff", false, 0, 0, 0, 0, 0, 0},           // data past the end
        {"", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const Bytes b = FromHex(c.hex);
        size_t pos = 0;
        HID_ITEM item{};
        const uint8_t dummy = 0;
        ASSERT_EQ(HidReadItem(b.empty() ? &dummy : b.data(), b.size(), pos, item), c.read);
        if (!c.read) continue;
        EXPECT_EQ(item.type, c.type);
        EXPECT_EQ(item.tag, c.tag);
        EXPECT_EQ(item.size, c.size);
        EXPECT_EQ(item.data, c.data);
        EXPECT_EQ(item.sdata, c.sdata);
        EXPECT_EQ(pos, c.next);
    }
}

TEST(HidParse, TrailingZeroBytesAreDropped) {
    Bytes d = BootKeyboardDescriptor();
    ParsedHid plain(d);
    d.insert(d.end(), 5, 0);
    ParsedHid padded(d);
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(padded.ok());
    EXPECT_EQ(padded->mainItemCount, plain->mainItemCount);
    EXPECT_EQ(padded->collectionCount, plain->collectionCount);
    HID_CAPS a, b;
    ASSERT_EQ(HidGetCaps(plain.get(), &a), HIDP_STATUS_SUCCESS);
    ASSERT_EQ(HidGetCaps(padded.get(), &b), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(b.inputReportByteLength, 8);
    EXPECT_EQ(b.outputReportByteLength, 1);
    EXPECT_EQ(b.numberInputButtonCaps, a.numberInputButtonCaps);
}

TEST(HidParse, MalformedDescriptorsAreRefused) {
    const char* cases[] = {
        "05010902a101 0930 7508 9501 8102 b4 c0",    // Pop without Push
        "0501 0930 7508 9501 8102 c0",               // End Collection without Collection
        "05010902a101 0930 7508 9501 8102",          // Collection never closed
        "05010902a101 c0",                           // no main item
        "0501 0930 7508 9501 8102",                  // no collection
        "05010902a101 1901 7501 9501 8102 c0",       // Usage Minimum without Maximum
        "05010902a101 0930 7508 9501 8102 0c c0",    // reserved item type
        "05010902a101 0930 7508 9501 8102 d0 c0",    // Main tag 13
        "05010902a101 0930 7508 97ffffff00 8102 c0",  // a report longer than 64 KB
        "",
    };
    for (const char* hex : cases) {
        SCOPED_TRACE(hex);
        const Bytes d = FromHex(hex);
        HIDP_PREPARSED* pp = reinterpret_cast<HIDP_PREPARSED*>(1);
        EXPECT_EQ(HidParseReportDescriptor(d.empty() ? nullptr : d.data(), d.size(), &pp), 0);
        EXPECT_EQ(pp, nullptr);
    }
}

TEST(HidParse, ReportIdFiveMakesATwoByteReport) {
    ParsedHid pp(FromHex("05010902a101 8505 0509 1901 2908 1500 2501 7501 9508 8102 c0"));
    ASSERT_TRUE(pp.ok());
    HID_CAPS caps;
    ASSERT_EQ(HidGetCaps(pp.get(), &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.inputReportByteLength, 2);
    EXPECT_EQ(caps.hasReportIds, 1);
    ASSERT_EQ(pp->mainItemCount, 1);
    EXPECT_EQ(pp->mainItems[0].bitOffset, 8u);
    EXPECT_EQ(pp->mainItems[0].global.reportId, 5u);

    uint32_t st;
    EXPECT_EQ(UsagesOn(pp.get(), 9, {5, 0x81}, HidP_Input, &st), (std::vector<uint16_t>{1, 8}));
    EXPECT_EQ(st, HIDP_STATUS_SUCCESS);
    UsagesOn(pp.get(), 9, {6, 0x81}, HidP_Input, &st);
    EXPECT_EQ(st, HIDP_STATUS_REPORT_DOES_NOT_EXIST);
    UsagesOn(pp.get(), 9, {5}, HidP_Input, &st);
    EXPECT_EQ(st, HIDP_STATUS_INVALID_REPORT_LENGTH);
    UsagesOn(pp.get(), 9, {5, 0x81}, HidP_Output, &st);
    EXPECT_EQ(st, HIDP_STATUS_REPORT_DOES_NOT_EXIST);
    UsagesOn(pp.get(), 9, {5, 0x81}, 4, &st);
    EXPECT_EQ(st, HIDP_STATUS_INVALID_REPORT_TYPE);
    UsagesOn(pp.get(), 9, {5, 0x00}, HidP_Input, &st);
    EXPECT_EQ(st, HIDP_STATUS_USAGE_NOT_FOUND);
}

TEST(HidParse, ReversedLogicalLimitsAreSwappedAndValuesMirrored) {
    ParsedHid pp(FromHex("05010904a1010930150a250075089501 8102c0" + std::string()).size() ? FromHex("05010904a1010930150a2500750895018102c0") : Bytes{});
    ASSERT_TRUE(pp.ok());
    const HIDP_MAIN_ITEM& m = pp->mainItems[0];
    EXPECT_EQ(m.global.logicalMinimum, 0);
    EXPECT_EQ(m.global.logicalMaximum, 10);
    EXPECT_EQ(m.flags & HID_ITEM_FLAG_SWAPPED, HID_ITEM_FLAG_SWAPPED);
    EXPECT_EQ(Value(pp.get(), 1, 0x30, {3}), 7u);
    EXPECT_EQ(Value(pp.get(), 1, 0x30, {10}), 0u);
}

TEST(HidParse, SignedLimitsSignExtendValues) {
    struct Case {
        const char* desc;
        Bytes report;
        int32_t value;
    } cases[] = {
        {"05010902a1010930158125 7f75089501 8106c0", {0xFE}, -2},
        {"05010902a101093016008026ff7f75109501 8106c0", {0x00, 0x80}, -32768},
        {"05010902a10109301500 26ff0075089501 8102c0", {0xFE}, 254},    // unsigned limits: no sign
        {"05010902a1010930158125 7f750c9501 8106 7504 8101 c0", {0xFF, 0x0F}, -1},  // 12 bits
        {"05010902a1010930 14 257f75089501 8102c0", {0x80}, 128},      // zero-size Logical Minimum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        ParsedHid pp(FromHex(c.desc));
        ASSERT_TRUE(pp.ok());
        uint32_t st;
        EXPECT_EQ(int32_t(Value(pp.get(), 1, 0x30, c.report, &st)), c.value);
        EXPECT_EQ(st, HIDP_STATUS_SUCCESS);
    }
}

TEST(HidParse, MaximumWithoutANegativeMinimumIsReadUnsigned) {
    // HID 1.11 (6.2.2.7): with a minimum that is not negative the extents are
    // unsigned, so a maximum of 0xFF in one byte is 255, whatever the order of
    // the two items. Limits that are truly reversed are still swapped.
    struct Case {
        const char* limits;
        int32_t min, max;
        bool swapped;
    } cases[] = {
        {"1500 25ff", 0, 255, false},
        {"25ff 1500", 0, 255, false},            // maximum before minimum
        {"25ff", 0, 255, false},                 // no minimum item: 0
        {"1501 25ff", 1, 255, false},
        {"1500 2580", 0, 128, false},
        {"1500 26ffff", 0, 65535, false},
        {"1500 27ffffffff", 0, 0x7FFFFFFF, false},   // held at the largest signed value
        {"1581 257f", -127, 127, false},
        {"1580 25ff", -128, -1, false},          // a negative minimum: both signed
        {"150a 2500", 0, 10, true},              // truly reversed
        {"25ff 1581 257f", -127, 127, false},    // a later maximum replaces the first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limits);
        ParsedHid pp(FromHex(std::string("05010904a101 0930") + c.limits + "7508 9501 8102 c0"));
        ASSERT_TRUE(pp.ok());
        const HIDP_MAIN_ITEM& m = pp->mainItems[0];
        EXPECT_EQ(m.global.logicalMinimum, c.min);
        EXPECT_EQ(m.global.logicalMaximum, c.max);
        EXPECT_EQ((m.flags & HID_ITEM_FLAG_SWAPPED) != 0, c.swapped);
    }
    // Physical limits follow the same reading.
    ParsedHid phys(FromHex("05010904a101 0930 1500 2564 3500 45ff 7508 9501 8102 c0"));
    ASSERT_TRUE(phys.ok());
    HID_VALUE_CAPS caps[1];
    uint16_t n = 1;
    ASSERT_EQ(HidGetValueCaps(HidP_Input, caps, &n, phys.get()), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps[0].logicalMax, 100);
    EXPECT_EQ(caps[0].physicalMin, 0);
    EXPECT_EQ(caps[0].physicalMax, 255);
    // The values of such an item are the bytes as they are, never mirrored.
    ParsedHid value(FromHex("05010904a101 0930 1500 25ff 7508 9501 8102 c0"));
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(Value(value.get(), 1, 0x30, {3}), 3u);
    EXPECT_EQ(Value(value.get(), 1, 0x30, {0xFF}), 255u);
    EXPECT_EQ(Value(value.get(), 1, 0x30, {0}), 0u);
}

TEST(HidParse, KeyboardWithAOneByteMaximumDecodesItsReports) {
    // A boot keyboard whose key array says Logical Maximum 255 and Usage
    // Maximum 255 in one byte each (15 00 25 FF, 19 00 29 FF), as many
    // keyboards do. The first two reports are a real keyboard's (idle, then
    // the key 'i' down); the others follow HID 1.11 appendix C.
    ParsedHid pp(FromHex("05010906a101 050719e029e7 1500 2501 7501 9508 8102 9501 7508 8101"
                         "9506 7508 1500 25ff 0507 1900 29ff 8100 c0"));
    ASSERT_TRUE(pp.ok());
    ASSERT_EQ(pp->mainItemCount, 3);
    EXPECT_EQ(pp->mainItems[2].global.logicalMaximum, 255);
    EXPECT_EQ(pp->mainItems[2].flags & HID_ITEM_FLAG_SWAPPED, 0u);
    struct Case {
        const char* what;
        const char* report;
        std::vector<uint16_t> usages;   // as HID 1.11 reads them: 0 for an empty field
    } cases[] = {
        {"idle", "0000000000000000", {0, 0, 0, 0, 0, 0}},
        {"one key", "00000c0000000000", {0x0C, 0, 0, 0, 0, 0}},
        {"modifier and key", "0200040000000000", {0xE1, 0x04, 0, 0, 0, 0, 0}},
        {"two modifiers, three keys", "11000405060000 00", {0xE0, 0xE4, 0x04, 0x05, 0x06, 0, 0, 0}},
        {"six roll-over codes", "0000010101010101", {1, 1, 1, 1, 1, 1}},
        {"the largest key code", "00000000000000ff", {0, 0, 0, 0, 0, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t st;
        EXPECT_EQ(UsagesOn(pp.get(), 7, FromHex(c.report), HidP_Input, &st), c.usages);
        EXPECT_EQ(st, HIDP_STATUS_SUCCESS);
    }
}

TEST(HidParse, KeyboardArrayGivesOneUsagePerField) {
    ParsedHid pp(BootKeyboardDescriptor());
    ASSERT_TRUE(pp.ok());
    // Left Shift, then 'a' and an empty field for each of the other five.
    EXPECT_EQ(UsagesOn(pp.get(), 7, {0x02, 0, 0x04, 0, 0, 0, 0, 0}),
              (std::vector<uint16_t>{0xE1, 0x04, 0, 0, 0, 0, 0}));
    // An array value outside the logical range names no usage.
    EXPECT_EQ(UsagesOn(pp.get(), 7, {0, 0, 0x66, 0xFF, 0x05, 0, 0, 0}),
              (std::vector<uint16_t>{0x05, 0, 0, 0}));
    EXPECT_EQ(HidMaxUsageListLength(HidP_Input, 7, pp.get()), 14u);
    EXPECT_EQ(HidMaxUsageListLength(HidP_Output, 8, pp.get()), 5u);
    // A full output list stops with the right status and never writes past it.
    uint16_t out[3] = {0, 0, 0};
    uint32_t n = 2;
    const Bytes r = {0x03, 0, 0x04, 0x05, 0x06, 0, 0, 0};
    EXPECT_EQ(HidGetUsages(HidP_Input, 7, 0, out, &n, pp.get(), r.data(), uint32_t(r.size())),
              HIDP_STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(out[2], 0);
}

TEST(HidParse, UsagesOfAPageHeldByTheAskedReportAreNotFoundElsewhere) {
    // Report 1: buttons 1-8 of page 9; report 2: keys of page 7.
    ParsedHid pp(FromHex("05010902a101 8501 0509 1901 2908 1500 2501 7501 9508 8102"
                         "8502 0507 1900 2965 1500 2565 7508 9501 8100 c0"));
    ASSERT_TRUE(pp.ok());
    struct Case {
        const char* what;
        uint16_t page;
        Bytes report;
        uint32_t status;
        std::vector<uint16_t> usages;
    } cases[] = {
        {"the report's page, buttons on", 9, {1, 0x05}, HIDP_STATUS_SUCCESS, {1, 3}},
        {"the report's page, nothing on", 9, {1, 0x00}, HIDP_STATUS_USAGE_NOT_FOUND, {}},
        {"a page only the other report holds", 7, {1, 0x05}, HIDP_STATUS_REPORT_DOES_NOT_EXIST, {}},
        {"a page no report holds", 8, {1, 0x05}, HIDP_STATUS_USAGE_NOT_FOUND, {}},
        {"the other report's page", 7, {2, 0x04}, HIDP_STATUS_SUCCESS, {4}},
        {"the other report's page, no key", 7, {2, 0x00}, HIDP_STATUS_SUCCESS, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t st;
        EXPECT_EQ(UsagesOn(pp.get(), c.page, c.report, HidP_Input, &st), c.usages);
        EXPECT_EQ(st, c.status);
    }
}

TEST(HidParse, LocalItemsBelongToTheNextMainItemOnly) {
    // Boot mouse with wheel: Usage Mouse and Usage Pointer precede the two
    // Collections; the buttons must map to Button 1-3 only.
    ParsedHid pp(FromHex("05010902a1010901a1000509190129031500250195087501810205010930093109381581257f750895038106c0c0"));
    ASSERT_TRUE(pp.ok());
    ASSERT_EQ(pp->collectionCount, 2);
    EXPECT_EQ(pp->collections[0].usageCount, 1);
    EXPECT_EQ(pp->usages[pp->collections[0].firstUsage].usage, 2);
    EXPECT_EQ(pp->collections[1].usageCount, 1);
    EXPECT_EQ(pp->usages[pp->collections[1].firstUsage].usage, 1);
    EXPECT_EQ(pp->collections[1].parent, 0);
    EXPECT_EQ(pp->collections[0].childCount, 1);
    ASSERT_EQ(pp->mainItemCount, 2);
    ASSERT_EQ(pp->mainItems[0].usageCount, 1);
    const HIDP_USAGE& b = pp->usages[pp->mainItems[0].firstUsage];
    EXPECT_EQ(b.usagePage, 9);
    EXPECT_EQ(b.usageMinimum, 1);
    EXPECT_EQ(b.usageMaximum, 3);
    EXPECT_EQ(pp->mainItems[1].usageCount, 3);
    EXPECT_EQ(UsagesOn(pp.get(), 9, {0x05, 1, 2, 3}), (std::vector<uint16_t>{1, 3}));
    uint32_t st;
    UsagesOn(pp.get(), 1, {0x05, 1, 2, 3}, HidP_Input, &st);
    EXPECT_EQ(st, HIDP_STATUS_USAGE_NOT_FOUND);
    HID_CAPS caps;
    HidGetCaps(pp.get(), &caps);
    EXPECT_EQ(caps.usagePage, 1);
    EXPECT_EQ(caps.usage, 2);
    EXPECT_EQ(caps.numberInputButtonCaps, 1);
    EXPECT_EQ(caps.numberInputValueCaps, 3);
}

TEST(HidParse, PushAndPopRestoreTheGlobalState) {
    ParsedHid p2(FromHex("05010902a101 0509 1500 2501 7501 9503"   // the buttons' globals
                         "a4 0501 1581 257f 7508 9501 0930 8106"     // Push; X with globals of its own
                         "b4 1901 2903 8102"                         // Pop; the buttons
                         "9505 8101 c0"));
    ASSERT_TRUE(p2.ok());
    ASSERT_EQ(p2->mainItemCount, 3);
    const HIDP_MAIN_ITEM& x = p2->mainItems[0];
    EXPECT_EQ(x.global.usagePage, 1u);
    EXPECT_EQ(x.global.reportSize, 8u);
    const HIDP_MAIN_ITEM& buttons = p2->mainItems[1];
    EXPECT_EQ(buttons.global.usagePage, 9u);
    EXPECT_EQ(buttons.global.reportSize, 1u);
    EXPECT_EQ(buttons.global.reportCount, 3u);
    EXPECT_EQ(buttons.global.logicalMinimum, 0);
    EXPECT_EQ(buttons.bitOffset, 8u);
    EXPECT_EQ(int32_t(Value(p2.get(), 1, 0x30, {0xFF, 0x02})), -1);
    EXPECT_EQ(UsagesOn(p2.get(), 9, {0x00, 0x06}), (std::vector<uint16_t>{2, 3}));
}

TEST(HidParse, ValueRangeGivesEachUsageItsField) {
    ParsedHid pp(FromHex("05010904a101 1930 2932 1581 257f 7508 9503 8102 c0"));
    ASSERT_TRUE(pp.ok());
    const Bytes r = {0x01, 0x02, 0xFE};
    EXPECT_EQ(Value(pp.get(), 1, 0x30, r), 1u);
    EXPECT_EQ(Value(pp.get(), 1, 0x31, r), 2u);
    EXPECT_EQ(int32_t(Value(pp.get(), 1, 0x32, r)), -2);
    uint32_t st;
    Value(pp.get(), 1, 0x33, r, &st);
    EXPECT_EQ(st, HIDP_STATUS_USAGE_NOT_FOUND);
    Value(pp.get(), 9, 0x31, r, &st);
    EXPECT_EQ(st, HIDP_STATUS_USAGE_NOT_FOUND);
    EXPECT_EQ(Value(pp.get(), 0, 0x31, r), 2u);  // page 0 matches any page
    HID_VALUE_CAPS caps[2];
    uint16_t n = 2;
    ASSERT_EQ(HidGetValueCaps(HidP_Input, caps, &n, pp.get()), HIDP_STATUS_SUCCESS);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(caps[0].isRange, 1);
    EXPECT_EQ(caps[0].usageMin, 0x30);
    EXPECT_EQ(caps[0].usageMax, 0x32);
    EXPECT_EQ(caps[0].reportCount, 3);
    EXPECT_EQ(caps[0].bitSize, 8);
    EXPECT_EQ(caps[0].logicalMin, -127);
    EXPECT_EQ(caps[0].physicalMax, 127);  // no physical limits: the logical ones
    EXPECT_EQ(caps[0].isAbsolute, 1);
    EXPECT_EQ(caps[0].linkUsage, 4);
    EXPECT_EQ(caps[0].linkUsagePage, 1);
}

TEST(HidParse, ValueArrays) {
    // Two usages, four 8-bit fields: the last usage owns every remaining field.
    ParsedHid pp(FromHex("0601ff0901a101 0920 0921 1500 26ff00 7508 9504 8102 c0"));
    ASSERT_TRUE(pp.ok());
    const Bytes r = {0x10, 0x20, 0x30, 0x40};
    uint8_t out[4] = {0, 0, 0, 0};
    EXPECT_EQ(HidGetUsageValueArray(HidP_Input, 0xFF01, 0, 0x21, out, sizeof out, pp.get(), r.data(), 4),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(out[0], 0x20);
    EXPECT_EQ(out[2], 0x40);
    EXPECT_EQ(out[3], 0);  // only (8 x 3 + 7) / 8 bytes
    EXPECT_EQ(HidGetUsageValueArray(HidP_Input, 0xFF01, 0, 0x20, out, sizeof out, pp.get(), r.data(), 4),
              HIDP_STATUS_NOT_VALUE_ARRAY);
    EXPECT_EQ(HidGetUsageValueArray(HidP_Input, 0xFF01, 0, 0x21, out, 0, pp.get(), r.data(), 4),
              HIDP_STATUS_INVALID_ARGUMENT);
    HID_VALUE_CAPS caps[2];
    uint16_t n = 2;
    ASSERT_EQ(HidGetValueCaps(HidP_Input, caps, &n, pp.get()), HIDP_STATUS_SUCCESS);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(caps[0].reportCount, 1);
    EXPECT_EQ(caps[1].reportCount, 3);
    // A swapped 8-bit array mirrors every byte.
    ParsedHid sw(FromHex("0601ff0901a101 0921 150a 2500 7508 9502 8102 c0"));
    ASSERT_TRUE(sw.ok());
    const Bytes r2 = {3, 10};
    EXPECT_EQ(HidGetUsageValueArray(HidP_Input, 0xFF01, 0, 0x21, out, 2, sw.get(), r2.data(), 2), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 0);
}

TEST(HidParse, FieldsWiderThan32BitsAreNotRead) {
    for (const char* size : {"7521", "7540", "7600 01"}) {
        SCOPED_TRACE(size);
        ParsedHid pp(FromHex(std::string("05010902a101 0930 1500 2501") + size + "9501 8102 c0"));
        ASSERT_TRUE(pp.ok());
        const Bytes r(64, 0xFF);
        uint32_t st;
        Value(pp.get(), 1, 0x30, r, &st);
        EXPECT_EQ(st, HIDP_STATUS_INVALID_ARGUMENT);
    }
}

TEST(HidParse, MainItemBeforeTheFirstCollection) {
    ParsedHid pp(FromHex("0501 0930 7508 9501 8102 0902 a101 0931 8102 c0"));
    ASSERT_TRUE(pp.ok());
    ASSERT_EQ(pp->mainItemCount, 2);
    EXPECT_EQ(pp->collections[0].firstMainItem, 0);
    EXPECT_EQ(pp->collections[0].mainItemCount, 2);
    EXPECT_EQ(Value(pp.get(), 1, 0x30, {7, 9}), 7u);
    EXPECT_EQ(Value(pp.get(), 1, 0x31, {7, 9}), 9u);
}

TEST(HidParse, OversizedCountsStayInsideTheTables) {
    // Zero-width fields in huge numbers: nothing to read, nothing to hang on.
    ParsedHid zero(FromHex("05010902a101 0509 1901 2903 7500 97ffffffff 8100 0930 8102 c0"));
    ASSERT_TRUE(zero.ok());
    uint32_t st;
    UsagesOn(zero.get(), 9, {0xFF}, HidP_Input, &st);
    EXPECT_EQ(st, HIDP_STATUS_USAGE_NOT_FOUND);
    // More usages than a 16-bit table index can reach are refused.
    Bytes many = FromHex("05010902a101");
    many.insert(many.end(), 70000, 0x08);  // zero-size Usage items
    for (uint8_t b : FromHex("7501 9501 8102 c0")) many.push_back(b);
    HIDP_PREPARSED* pp = nullptr;
    EXPECT_EQ(HidParseReportDescriptor(many.data(), many.size(), &pp), 0);
    // Just below the limit they parse, and every field takes a usage.
    many.erase(many.begin() + 6, many.begin() + 6 + 10000);
    ParsedHid ok(many);
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok->mainItems[0].usageCount, 60000);
    // Unmatched or reversed Minimum/Maximum pairs report and drop their record.
    ParsedHid reversed(FromHex("05010902a101 0509 2903 1901 1905 2901 7501 9503 8102 c0"));
    ASSERT_TRUE(reversed.ok());
    ASSERT_EQ(reversed->mainItems[0].usageCount, 1);
    const HIDP_USAGE& range = reversed->usages[reversed->mainItems[0].firstUsage];
    EXPECT_EQ(range.usageMinimum, 1);
    EXPECT_EQ(range.usageMaximum, 3);
}

TEST(HidExtractBits, FieldsAcrossBytesSignsAndLimits) {
    const uint8_t r[] = {0xA5, 0x3C, 0xFF, 0x01, 0x80};
    struct Case {
        uint32_t offset, count;
        int isSigned;
        uint32_t status, value;
    } cases[] = {
        {0, 8, 0, HIDP_STATUS_SUCCESS, 0xA5},
        {4, 8, 0, HIDP_STATUS_SUCCESS, 0xCA},
        {4, 8, 1, HIDP_STATUS_SUCCESS, 0xFFFFFFCA},
        {0, 1, 1, HIDP_STATUS_SUCCESS, 0xFFFFFFFF},   // a 1-bit signed field: bit 0 is the sign
        {1, 1, 0, HIDP_STATUS_SUCCESS, 0},
        {7, 32, 0, HIDP_STATUS_SUCCESS, 0x0003FE79},  // five bytes touched
        {8, 32, 0, HIDP_STATUS_SUCCESS, 0x8001FF3C},
        {8, 32, 1, HIDP_STATUS_SUCCESS, 0x8001FF3C},
        {9, 32, 0, HIDP_STATUS_INVALID_ARGUMENT, 0},  // one bit past the end
        {0, 0, 0, HIDP_STATUS_INVALID_ARGUMENT, 0},
        {0, 33, 0, HIDP_STATUS_INVALID_ARGUMENT, 0},
        {0xFFFFFFF0u, 32, 0, HIDP_STATUS_INVALID_ARGUMENT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << "+" << c.count);
        uint32_t v = 0;
        EXPECT_EQ(HidExtractBits(r, sizeof r, c.offset, c.count, &v, c.isSigned), c.status);
        if (c.status == HIDP_STATUS_SUCCESS) {
            EXPECT_EQ(v, c.value);
        }
    }
    uint32_t v;
    EXPECT_EQ(HidExtractBits(nullptr, 4, 0, 8, &v, 0), HIDP_STATUS_INVALID_ARGUMENT);
}

TEST(HidParse, CapsAndTheirStatusCodes) {
    ParsedHid pp(BootKeyboardDescriptor());
    ASSERT_TRUE(pp.ok());
    HID_CAPS caps;
    ASSERT_EQ(HidGetCaps(pp.get(), &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.usagePage, 1);
    EXPECT_EQ(caps.usage, 6);
    EXPECT_EQ(caps.inputReportByteLength, 8);
    EXPECT_EQ(caps.outputReportByteLength, 1);
    EXPECT_EQ(caps.featureReportByteLength, 0);
    EXPECT_EQ(caps.numberLinkCollectionNodes, 1);
    EXPECT_EQ(caps.numberInputButtonCaps, 2);   // modifiers and keys; the constant byte is neither
    EXPECT_EQ(caps.numberInputValueCaps, 0);
    EXPECT_EQ(caps.numberOutputButtonCaps, 1);
    EXPECT_EQ(caps.hasReportIds, 0);

    HID_BUTTON_CAPS b[2];
    uint16_t n = 2;
    ASSERT_EQ(HidGetButtonCaps(HidP_Input, b, &n, pp.get()), HIDP_STATUS_SUCCESS);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(b[0].usagePage, 7);
    EXPECT_EQ(b[0].usageMin, 0xE0);
    EXPECT_EQ(b[0].usageMax, 0xE7);
    EXPECT_EQ(b[0].bitField, 0x02);
    EXPECT_EQ(b[1].usageMax, 0x65);
    EXPECT_EQ(b[1].linkUsage, 6);
    n = 1;
    EXPECT_EQ(HidGetButtonCaps(HidP_Input, b, &n, pp.get()), HIDP_STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(n, 1);
    n = 2;
    EXPECT_EQ(HidGetSpecificButtonCaps(HidP_Input, 7, 0, 0x04, b, &n, pp.get()), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(n, 1);  // only the key array's range holds usage 4
    n = 2;
    EXPECT_EQ(HidGetSpecificButtonCaps(HidP_Input, 0, 1, 0, b, &n, pp.get()), HIDP_STATUS_INDEX_OUT_OF_RANGE);
    n = 2;
    EXPECT_EQ(HidGetSpecificButtonCaps(7, 0, 0, 0, b, &n, pp.get()), HIDP_STATUS_INVALID_REPORT_TYPE);

    HIDP_PREPARSED bogus{};
    n = 2;
    EXPECT_EQ(HidGetButtonCaps(HidP_Input, b, &n, &bogus), HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_EQ(HidGetCaps(&bogus, &caps), HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_EQ(HidGetCaps(nullptr, &caps), HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_EQ(HidFreePreparsedData(nullptr), 0);
    EXPECT_EQ(HidFreePreparsedData(&bogus), 0);
    const Bytes r(8, 0);
    uint32_t count = 4;
    uint16_t u[4];
    EXPECT_EQ(HidGetUsages(HidP_Input, 7, 1, u, &count, pp.get(), r.data(), 8), HIDP_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(HidGetUsages(HidP_Input, 7, 0, u, &count, pp.get(), r.data(), 0), HIDP_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(HidGetUsages(HidP_Input, 7, 0, u, &count, &bogus, r.data(), 8), HIDP_STATUS_INVALID_PREPARSED_DATA);
}

TEST(HidReportHasReportId, FindsTheGlobalItemOnly) {
    EXPECT_EQ(HidReportHasReportId(BootKeyboardDescriptor().data(), BootKeyboardDescriptor().size()), 0);
    const Bytes with = FromHex("05010902a101 8501 c0");
    EXPECT_EQ(HidReportHasReportId(with.data(), with.size()), 1);
    const Bytes local = FromHex("0501 8901 fe01 85 00");   // a Local tag 8 and a long item holding 0x85
    EXPECT_EQ(HidReportHasReportId(local.data(), local.size()), 0);
    EXPECT_EQ(HidReportHasReportId(nullptr, 4), 0);
}
