#include <gtest/gtest.h>

#include <string>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/CdcDescriptors.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/CdcFixtures.h"

namespace brx {
namespace {

using namespace brx::testing;

// Decodes one functional descriptor given on its own, following an interface
// descriptor of the given class and subclass (no configuration).
struct Alone {
    std::string page;
    bool written = false;
};
Alone DecodeAlone(const Bytes& d, uint8_t cls = 2, uint8_t subclass = 2, bool detail = true, uint8_t number = 0) {
    PageFixture f;
    const Exact bytes(d);
    const Bytes ifc = {9, 4, number, 0, 1, cls, subclass, 0, 0};
    f.ctx.bytes = bytes.span();
    f.ctx.anchorBase = f.ctx.bytes;
    f.ctx.descriptor.interfaceDescriptor = ifc;
    f.ctx.detail = detail;
    Alone r;
    r.written = DecodeCdcFunctionalDescriptor(f.ctx);
    r.page = f.Take();
    EXPECT_EQ(CheckNesting(r.page), "");
    return r;
}

// Decodes the functional descriptor at `at` inside a configuration set held
// in an exact block of `held` bytes (all by default), following the
// interface descriptor at `ifcAt`.
std::string DecodeIn(const Bytes& set, size_t at, size_t ifcAt, Strings* strings = nullptr, size_t held = 0) {
    PageFixture f;
    const Exact block(Bytes(set.begin(), set.begin() + (held ? held : set.size())));
    const auto all = block.span();
    f.ctx.descriptor.configuration = all;
    f.ctx.descriptor.interfaceDescriptor = all.subspan(ifcAt, 9);
    f.ctx.bytes = all.subspan(at, std::min<size_t>(set[at], all.size() - at));
    f.ctx.anchorBase = all;
    if (strings) strings->Install(f.ctx);
    EXPECT_TRUE(DecodeCdcFunctionalDescriptor(f.ctx));
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

TEST(CdcDescriptors, Names) {
    EXPECT_STREQ(CdcSubtypeName(0x00), "Header");
    EXPECT_STREQ(CdcSubtypeName(0x19), "OBEX Service Identifier");
    EXPECT_STREQ(CdcSubtypeName(0x1A), "Unknown");
    EXPECT_STREQ(CdcSubtypeName(0x80), "Vendor-Specific");
    EXPECT_EQ(CdcExpectedFunctionLength(0x0F), 13);
    EXPECT_EQ(CdcExpectedFunctionLength(0x06), 0);
    EXPECT_STREQ(CdcEthernetStatisticName(0), "Xmit OK");
    EXPECT_STREQ(CdcEthernetStatisticName(28), "Xmit Late Collisions");
    EXPECT_STREQ(CdcEthernetStatisticName(31), "Reserved");
    EXPECT_EQ(CdcEthernetStatisticName(32), nullptr);
}

// The edge cases of single descriptors: field, expected text, error or not.
TEST(CdcDescriptors, EdgeCases) {
    struct Case {
        const char* what;
        Bytes d;
        uint8_t cls;
        const char* title;
        const char* field;
        const char* text;
        bool error;
    };
    const Case cases[] = {
        {"header 1.10", {5, 0x24, 0, 0x10, 0x01}, 2, "Header Functional Descriptor", "bcdCDC", "1.10", false},
        {"header below 1.0", {5, 0x24, 0, 0x99, 0x00}, 2, "Header Functional Descriptor", "bcdCDC",
         "Must be at least 0100h (1.0)", true},
        {"header on a data interface", {5, 0x24, 0, 0x10, 0x01}, 0x0A, "Header Functional Descriptor", "bcdCDC",
         "1.10", false},
        {"ACM of length 5", {5, 0x24, 2, 0x02, 0}, 2, "Abstract Control Management Functional Descriptor",
         "bFunctionLength", "Incorrect, should be 04h", true},
        {"ACM still decodes", {5, 0x24, 2, 0x02, 0}, 2, nullptr, "bmCapabilities", "", false},
        {"ACM nothing supported", {4, 0x24, 2, 0x00}, 2, nullptr, "bmCapabilities",
         "Requests/notifications not supported", false},
        {"call management D1 without D0", {5, 0x24, 1, 0x02, 1}, 2, "Call Management Functional Descriptor",
         "bDataInterface", "", false},
        {"ringer 0 steps", {5, 0x24, 4, 0, 3}, 2, nullptr, "bRingerVolSteps", "256 discrete volume steps", false},
        {"ringer 129 steps", {5, 0x24, 4, 129, 3}, 2, nullptr, "bRingerVolSteps",
         "Should be less than or equal to 128", true},
        {"union control mismatch", {5, 0x24, 6, 3, 1}, 2, "Union Functional Descriptor", "bControlInterface",
         "Should match the Ifc number of Ifc descriptor", true},
        {"union subordinate outside any configuration", {5, 0x24, 6, 0, 1}, 2, nullptr, "bSubordinateInterface0",
         "Interface not found in config", true},
        {"subtype 1Ah", {6, 0x24, 0x1A, 0x00, 0x01, 0x11}, 2, "Unknown Functional Descriptor", "bDescriptorSubtype",
         "Unknown", false},
        {"call management on a data interface", {5, 0x24, 1, 3, 1}, 0x0A, "Call Management Functional Descriptor",
         "bDescriptorSubtype", "Call Management", false},
        {"vendor subtype", {4, 0x24, 0x80, 0x55}, 2, "Vendor-Specific Functional Descriptor", "bDescriptorSubtype",
         "Vendor-Specific", false},
        {"ethernet of 12 bytes", {12, 0x24, 0x0F, 0, 0, 0, 0, 0, 0xEA, 0x05, 0, 0}, 2,
         "Ethernet Networking Functional Descriptor", "bFunctionLength", "Incorrect, should be 0Dh", true},
        {"network channel reserved range", {7, 0x24, 0x0A, 1, 0, 2, 7}, 2, "Network Channel Terminal",
         "bPhysicalInterface", "In reserved range", true},
        {"network channel ISDN B2", {7, 0x24, 0x0A, 1, 0, 2, 1}, 2, "B2-Channel", "bChannelIndex", "B2-Channel", false},
        {"network channel D", {7, 0x24, 0x0A, 1, 0, 0, 1}, 2, "D-Channel", "bPhysicalInterface", "ISDN", false},
        {"country codes", {8, 0x24, 7, 0, 0x7C, 0x00, 0x14, 0x03}, 2, nullptr, "wCountryCode1", "", false},
        {"OBEX 1.00", {5, 0x24, 0x15, 0x00, 0x01}, 2, "OBEX Functional Descriptor", "bcdVersion", "1.00", false},
        {"ATM reserved bit 0", {12, 0x24, 0x10, 0, 0x09, 0, 0x30, 0, 0x30, 0, 1, 0}, 2, nullptr, "Reserved",
         "Reserved, should be zero", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Alone r = DecodeAlone(c.d, c.cls);
        ASSERT_TRUE(r.written);
        if (c.title) {
            EXPECT_TRUE(Has(r.page, c.title)) << r.page;
        }
        const bool bit = std::string(c.field) == "Reserved";
        const std::string row = bit ? BitRowOf(r.page, c.field, 1) : RowOf(r.page, c.field);
        ASSERT_NE(row, "") << r.page;
        if (c.error) {
            EXPECT_TRUE(HasError(row, c.text)) << row;
        } else {
            EXPECT_TRUE(Has(row, c.text) && !Has(row, "error")) << row;
        }
    }
}

TEST(CdcDescriptors, RawTableHoldsTheBytesAfterTheSubtype) {
    const Alone r = DecodeAlone({12, 0x24, 0x0F, 7, 0, 0, 0, 0, 0xEA, 0x05, 0, 0});
    // The fallback shows the nine bytes after the subtype as one dump, and no
    // decoded field.
    EXPECT_TRUE(Has(r.page, "07&nbsp;00&nbsp;00&nbsp;00&nbsp;00&nbsp;EA&nbsp;05&nbsp;00&nbsp;<br>00")) << r.page;
    EXPECT_EQ(RowOf(r.page, "iMACAddress"), "");
}

TEST(CdcDescriptors, BitRows) {
    const Alone acm = DecodeAlone({4, 0x24, 2, 0x16});
    EXPECT_TRUE(HasError(BitRowOf(acm.page, "Reserved"), "Reserved, should be zero"));
    EXPECT_TRUE(Has(BitRowOf(acm.page, "Send Break"), "Send Break request supported"));
    EXPECT_TRUE(Has(BitRowOf(acm.page, "Line Coding"), "Line Coding requests and Serial State"));
    EXPECT_FALSE(Has(BitRowOf(acm.page, "Comm Features"), "supported"));
    // Without the detail flag neither the header rows nor the Reserved row.
    const Alone quiet = DecodeAlone({4, 0x24, 2, 0x16}, 2, 2, false);
    EXPECT_EQ(RowOf(quiet.page, "bFunctionLength"), "");
    EXPECT_EQ(BitRowOf(quiet.page, "Reserved"), "");
    EXPECT_NE(BitRowOf(quiet.page, "Send Break"), "");

    const Alone cm = DecodeAlone({5, 0x24, 1, 0x02, 1});
    EXPECT_TRUE(HasError(BitRowOf(cm.page, "Data Ifc Usage"), "Should be zero if bit D0 is reset to 0"));
    const Alone eth = DecodeAlone({13, 0x24, 0x0F, 0, 0x03, 0, 0, 0x80, 0xEA, 0x05, 0x05, 0x80, 0});
    EXPECT_TRUE(Has(BitRowOf(eth.page, "Xmit OK"), "Supported"));
    EXPECT_TRUE(Has(BitRowOf(eth.page, "Rcv OK"), "Supported"));
    EXPECT_FALSE(Has(BitRowOf(eth.page, "Xmit Error"), "Supported"));
    EXPECT_TRUE(Has(BitRowOf(eth.page, "Reserved"), "Supported")); // bit 31
    EXPECT_TRUE(Has(RowOf(eth.page, "wMaxSegmentSize"), "1514 bytes"));
    EXPECT_TRUE(Has(BitRowOf(eth.page, "Hashing"), "Imperfect multicast address filtering (hashing)"));
    EXPECT_TRUE(Has(BitRowOf(eth.page, "MC Filters"), ">5<"));
}

TEST(CdcDescriptors, RejectsWhatIsNotAFunctionalDescriptor) {
    EXPECT_FALSE(DecodeAlone({5, 0x25, 0, 0x10, 1}).written);  // CS_ENDPOINT
    EXPECT_FALSE(DecodeAlone({2, 0x24}).written);              // fewer than 3 bytes
    EXPECT_FALSE(DecodeAlone({2, 0x24, 0}).written);           // bLength below 3
    EXPECT_FALSE(DecodeAlone({5, 0x24, 0, 0x10, 1}, 3).written); // a HID interface
    PageFixture f;
    const Bytes d = {5, 0x24, 0, 0x10, 1};
    f.ctx.bytes = d;
    EXPECT_FALSE(DecodeCdcFunctionalDescriptor(f.ctx)); // no current interface
    EXPECT_EQ(f.Take(), "");
}

// A descriptor cut short of its bFunctionLength: the table stops where the
// bytes end, and nothing is read past them (the block is exact).
TEST(CdcDescriptors, TruncatedDescriptors) {
    const Bytes full = {22, 0x24, 0x19, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x00, 0x01};
    for (size_t n = 3; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        const Alone r = DecodeAlone(Bytes(full.begin(), full.begin() + n));
        EXPECT_TRUE(r.written);
        EXPECT_EQ(RowOf(r.page, "wOBEXServiceVersion"), "");
    }
    const Alone whole = DecodeAlone(full);
    EXPECT_TRUE(Has(BitRowOf(whole.page, "Obex Role"), "OBEX Client"));
    EXPECT_NE(RowOf(whole.page, "wOBEXServiceVersion"), "");
    EXPECT_TRUE(Has(RowOf(whole.page, "bOBEXServiceUUID"), "{04030201-0605-0807-090a-0b0c0d0e0f10}"))
        << whole.page;
}

TEST(CdcDescriptors, AcmConfigurationLookups) {
    const Bytes set = AcmConfiguration();
    Strings strings{{{4, "CDC Abstract Control Model (ACM)"}, {5, "CDC ACM Data"}}};
    const size_t ifc = FindDescriptor(set, 4);
    const std::string uni = DecodeIn(set, FindDescriptor(set, 0x24, 6), ifc, &strings);
    EXPECT_TRUE(Has(RowOf(uni, "bControlInterface"), "&quot;CDC Abstract Control Model (ACM)&quot;")) << uni;
    EXPECT_TRUE(Has(RowOf(uni, "bSubordinateInterface0"), "&quot;CDC ACM Data&quot;")) << uni;
    // Without strings the data interface is named by its class.
    const std::string bare = DecodeIn(set, FindDescriptor(set, 0x24, 6), ifc);
    EXPECT_TRUE(Has(RowOf(bare, "bSubordinateInterface0"), "CDC Data")) << bare;

    // Call management 03h: the data interface is looked up.
    Bytes cm = set;
    const size_t at = FindDescriptor(cm, 0x24, 1);
    cm[at + 3] = 0x03;
    EXPECT_TRUE(Has(RowOf(DecodeIn(cm, at, ifc, &strings), "bDataInterface"), "&quot;CDC ACM Data&quot;"));
    cm[at + 4] = 0x00; // the control interface itself
    EXPECT_TRUE(HasError(RowOf(DecodeIn(cm, at, ifc), "bDataInterface"), "Must be Data Class interface"));
    cm[at + 4] = 0x07;
    EXPECT_TRUE(HasError(RowOf(DecodeIn(cm, at, ifc), "bDataInterface"), "Interface not found in config"));
    // A configuration held only up to the call management descriptor: the
    // data interface after it is not found, though wTotalLength covers it.
    cm[at + 4] = 0x01;
    const std::string cut = DecodeIn(cm, at, ifc, nullptr, at + 5);
    EXPECT_TRUE(HasError(RowOf(cut, "bDataInterface"), "Interface not found in config")) << cut;
}

// A Multi-Channel control interface with a USB terminal, a network channel
// terminal, a protocol unit and an extension unit (bytes laid out after the
// tables of the CDC specification).
Bytes MultiChannelConfiguration() {
    return Configuration({
        {9, 4, 0, 0, 1, 2, 4, 0, 0},
        {5, 0x24, 0x00, 0x10, 0x01},
        {4, 0x24, 0x0D, 0x07},
        {8, 0x24, 0x09, 1, 1, 1, 0x00, 2},     // USB terminal 1 -> child 2
        {7, 0x24, 0x0A, 2, 0, 2, 1},           // network channel terminal 2, B2
        {6, 0x24, 0x0B, 3, 0x30, 1},           // protocol unit 3 (I.430), child 1
        {8, 0x24, 0x0C, 4, 0x42, 6, 3, 9},     // extension unit 4, children 3 and 9
        {9, 4, 1, 0, 2, 0x0A, 0, 0, 0},
    });
}

TEST(CdcDescriptors, EntityLookups) {
    const Bytes set = MultiChannelConfiguration();
    Strings strings{{{6, "Ext <unit> & co"}}};
    const size_t ifc = FindDescriptor(set, 4);
    const std::string terminal = DecodeIn(set, FindDescriptor(set, 0x24, 0x09), ifc, &strings);
    EXPECT_TRUE(Has(RowOf(terminal, "bChildId0"), "B2-Channel")) << terminal;
    EXPECT_TRUE(Has(RowOf(terminal, "bInInterfaceNo"), "CDC Data")) << terminal;
    const std::string unit = DecodeIn(set, FindDescriptor(set, 0x24, 0x0C), ifc, &strings);
    EXPECT_TRUE(Has(RowOf(unit, "bChildId0"), "<td class=\"uddes\"></td>") ||
                !Has(RowOf(unit, "bChildId0"), "error"))
        << unit;
    EXPECT_TRUE(HasError(RowOf(unit, "bChildId1"), "Terminal or Unit not found")) << unit;

    // The entity texts, the extension unit's string escaped.
    PageFixture f;
    f.ctx.descriptor.configuration = set;
    f.ctx.descriptor.interfaceDescriptor = std::span<const uint8_t>(set).subspan(ifc, 9);
    strings.Install(f.ctx);
    char text[300];
    ASSERT_TRUE(DescribeCdcEntity(f.ctx, 2, text, sizeof text));
    EXPECT_STREQ(text, "B2-Channel");
    ASSERT_TRUE(DescribeCdcEntity(f.ctx, 4, text, sizeof text));
    EXPECT_STREQ(text, "\"Ext <unit> & co\"");
    EXPECT_FALSE(DescribeCdcEntity(f.ctx, 1, text, sizeof text)); // USB terminal: no text
    EXPECT_FALSE(DescribeCdcEntity(f.ctx, 0, text, sizeof text));
    EXPECT_FALSE(DescribeCdcEntity(f.ctx, 9, text, sizeof text));
    const std::string page = DecodeIn(set, FindDescriptor(set, 0x24, 0x0B), ifc, &strings);
    EXPECT_FALSE(Has(page, "Ext <unit>"));

    // An ACM interface has no entities: every child is "not found".
    Bytes acm = set;
    acm[FindDescriptor(acm, 4) + 6] = 2;
    const std::string none = DecodeIn(acm, FindDescriptor(acm, 0x24, 0x09), ifc);
    EXPECT_TRUE(HasError(RowOf(none, "bChildId0"), "Terminal or Unit not found")) << none;
    // Entities past the bytes held are not found.
    const std::string cut = DecodeIn(set, FindDescriptor(set, 0x24, 0x09), ifc, nullptr, FindDescriptor(set, 0x24, 0x0A) + 3);
    EXPECT_TRUE(HasError(RowOf(cut, "bChildId0"), "Terminal or Unit not found")) << cut;
}

TEST(CdcDescriptors, EntityWalkStopsAtBadLengths) {
    Bytes set = MultiChannelConfiguration();
    const size_t ifc = FindDescriptor(set, 4);
    set[FindDescriptor(set, 0x24, 0x0D)] = 0; // a zero length before the terminals
    PageFixture f;
    EXPECT_TRUE(FindEntityInConfiguration(set, std::span<const uint8_t>(set).subspan(ifc, 9), 2).empty());
    // An interface span outside the configuration finds nothing.
    const Bytes other(set.begin() + ifc, set.begin() + ifc + 9);
    EXPECT_TRUE(FindEntityInConfiguration(MultiChannelConfiguration(), other, 2).empty());
}

// Goldens: every functional descriptor of the ACM, ECM, NCM and OBEX sets.
void GoldenOf(const char* name, const Bytes& set, Strings& strings) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(page, name, sheets));
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.descriptor.configuration = set;
    ctx.anchorBase = set;
    strings.Install(ctx);
    size_t decoded = 0;
    for (size_t at = 9; at + 2 <= set.size() && set[at] >= 2; at += set[at]) {
        if (set[at + 1] == 4) ctx.descriptor.interfaceDescriptor = std::span<const uint8_t>(set).subspan(at, 9);
        if (set[at + 1] != 0x24) continue;
        ctx.bytes = std::span<const uint8_t>(set).subspan(at, set[at]);
        ASSERT_TRUE(DecodeCdcFunctionalDescriptor(ctx));
        ++decoded;
    }
    EXPECT_GT(decoded, 2u);
    ClosePage(page);
    EXPECT_EQ(CheckNesting(page.view()), "");
    CheckGoldenPage(name, page.view());
}

TEST(CdcDescriptors, Goldens) {
    Strings strings{{{4, "CDC Ethernet Control Model (ECM)"}, {5, "CDC Ethernet Data"}, {7, "0211223344AA"}}};
    GoldenOf("cdc_acm_descriptors", AcmConfiguration(), strings);
    GoldenOf("cdc_ecm_descriptors", EcmConfiguration(), strings);
    GoldenOf("cdc_ncm_descriptors", NcmConfiguration(), strings);
    GoldenOf("cdc_obex_descriptors", ObexConfiguration(), strings);
}

} // namespace
} // namespace brx
