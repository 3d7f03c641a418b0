#include <gtest/gtest.h>

#include <string>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/CdcNotifications.h"
#include "protocols/CdcRequests.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/ClassPageTest.h"

namespace brx {
namespace {

using namespace brx::testing;

struct Transfer {
    Bytes setup;
    Bytes data;
    bool dataPresent = true;
    uint8_t cls = 2;
    bool setupTable = true;
    bool completion = true;
};

struct Result {
    bool handled = false;
    std::string page;
};

template <class Decoder>
Result RunDecoder(const Transfer& t, Decoder decode, bool detail = true) {
    PageFixture f(0x40000);
    const Exact setup(t.setup), data(t.data);
    f.ctx.bytes = setup.span();
    f.ctx.setupAsSent = t.setupTable;
    f.ctx.detail = detail;
    f.ctx.request.data = data.span();
    f.ctx.request.dataPresent = t.dataPresent;
    f.ctx.request.completion = t.completion;
    f.ctx.request.interfaceInfo.known = true;
    f.ctx.request.interfaceInfo.interfaceClass = t.cls;
    Result r;
    r.handled = decode(f.ctx);
    r.page = f.Take();
    EXPECT_EQ(CheckNesting(r.page), "");
    if (!r.handled) {
        EXPECT_EQ(r.page, "");
    }
    return r;
}
Result Request(const Transfer& t) { return RunDecoder(t, DecodeCdcRequest); }
Result Notification(const Transfer& t) { return RunDecoder(t, DecodeCdcNotification); }

TEST(CdcRequests, StatisticNames) {
    EXPECT_STREQ(CdcEthernetStatisticSelectorName(0), "Reserved");
    EXPECT_STREQ(CdcEthernetStatisticSelectorName(1), "Xmit OK");
    EXPECT_STREQ(CdcEthernetStatisticSelectorName(29), "Xmit Late Collisions");
    EXPECT_EQ(CdcEthernetStatisticSelectorName(30), nullptr);
    EXPECT_STREQ(CdcAtmDeviceStatisticName(6), "DS Cells HEC Error Corrected");
    EXPECT_EQ(CdcAtmDeviceStatisticName(7), nullptr);
    EXPECT_STREQ(CdcAtmVcStatisticName(2), "VC DS Cells Received");
}

// Rows of single requests: field (or bit row), text, error or not.
TEST(CdcRequests, EdgeCases) {
    struct Case {
        const char* what;
        Transfer t;
        const char* field;
        const char* text;
        bool error;
        bool bit = false;
        size_t nth = 0;
    };
    const Bytes lineCoding = {0x80, 0x25, 0, 0, 0, 0, 8};
    const Case cases[] = {
        {"line coding rate", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, lineCoding}, "dwDTERate", ">9600<", false},
        {"line coding stop bits", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, lineCoding}, "bCharFormat", "1 Stop bit", false},
        {"line coding parity", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, lineCoding}, "bParityType", "None", false},
        {"line coding 8 bits", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, lineCoding}, "bDataBits", "<td class=\"ud\"></td>", false},
        {"line coding 9 bits", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 9}}, "bDataBits", "Invalid", true},
        {"line coding parity 5", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 5, 8}}, "bParityType", "Invalid", true},
        {"rate prints unsigned", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 2, 4, 16}}, "dwDTERate",
         ">4294967295<", false},
        {"line coding wLength 8", {{0x21, 0x20, 0, 0, 0, 0, 8, 0}, lineCoding}, "wLength", "Should be 7", true},
        {"break forever", {{0x21, 0x23, 0xFF, 0xFF, 0, 0, 0, 0}, {}, false}, "wValue",
         "No breaks until another Send Break with 0", false},
        {"break 250", {{0x21, 0x23, 250, 0, 0, 0, 0, 0}, {}, false}, "wValue", "250 ms break duration", false},
        {"DTE present", {{0x21, 0x22, 3, 0, 0, 0, 0, 0}, {}, false}, "DTE", "Present", false, true},
        {"carrier activate", {{0x21, 0x22, 3, 0, 0, 0, 0, 0}, {}, false}, "Carrier Control", "Activate", false, true},
        {"control line reserved", {{0x21, 0x22, 7, 0, 0, 0, 0, 0}, {}, false}, "Reserved", "Should be zero", true, true},
        {"statistic 1", {{0xA1, 0x44, 1, 0, 0, 0, 4, 0}, {}, false}, "wValue", "Xmit OK", false},
        {"statistic 30", {{0xA1, 0x44, 30, 0, 0, 0, 4, 0}, {}, false}, "wValue", "Unknown", true},
        {"statistic data unsigned", {{0xA1, 0x44, 2, 0, 0, 0, 4, 0}, {0xFE, 0xFF, 0xFF, 0xFF}}, "Rcv OK",
         ">4294967294<", false, false, 2},
        {"hook state", {{0x21, 0x11, 2, 0, 0, 0, 0, 0}, {}, false}, "wValue", "Snooping", false},
        {"hook state invalid", {{0x21, 0x11, 3, 0, 0, 0, 0, 0}, {}, false}, "wValue", "Invalid", true},
        {"feature", {{0x21, 0x02, 1, 0, 0, 0, 2, 0}, {0x03, 0x00}}, "wValue", "Feature: ", false},
        {"abstract state", {{0x21, 0x02, 1, 0, 0, 0, 2, 0}, {0x03, 0x00}}, "Idle Setting",
         "All endpoints in the interface will not accept/offer data", false, true},
        {"multicast wLength", {{0x21, 0x40, 2, 0, 0, 0, 6, 0}, {1, 0, 0x5E, 0, 0, 1}}, "wLength", "Should be 12", true},
        // 2AABh filters need 65538 bytes: compared without 16-bit wrap-around.
        {"multicast wLength wraps", {{0x21, 0x40, 0xAB, 0x2A, 0, 0, 2, 0}, {}, false}, "wLength", "Should be 65538", true},
        {"multicast address", {{0x21, 0x40, 1, 0, 0, 0, 6, 0}, {1, 0, 0x5E, 0, 0, 1}}, "Multicast Address",
         "01-00-5E-00-00-01", false},
        {"pattern filter clear", {{0x21, 0x41, 1, 0, 0, 0, 0, 0}, {}, false}, "wLength", "Clear previous setting", false},
        {"filter status", {{0xA1, 0x42, 1, 0, 0, 0, 2, 0}, {2, 0}}, "Pattern Active", "Invalid", true},
        {"ATM format", {{0x21, 0x50, 4, 0, 0, 0, 0, 0}, {}, false}, "wValue", "Unknown Format Type", true},
        {"line parms switch", {{0x21, 0x34, 4, 0, 0, 0, 0, 0}, {}, false}, "wLength", "Should be 1", true},
        {"pulse time", {{0x21, 0x14, 20, 40, 0, 0, 0, 0}, {}, false}, "wValue.HiByte", "40 ms break time", false},
        {"unit parameter entity", {{0x21, 0x37, 5, 9, 0, 0, 2, 0}, {1, 2}}, "wValue.bParameterIndex", "09h", false},
        {"profile length", {{0xA1, 0x3A, 0, 0, 0, 0, 63, 0}, {}, false}, "wLength", "Should be 64", true},
        {"MDLM data", {{0x21, 0x61, 0, 0, 0, 0, 2, 0}, {0x34, 0x12}}, "Data", "1234h", false},
        {"ringer volume max", {{0xA1, 0x31, 0, 0, 0, 0, 4, 0}, {1, 0xFF, 0, 0x80}}, "Volume Setting", "Maximum", false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = Request(c.t);
        ASSERT_TRUE(r.handled);
        const std::string row = c.bit ? BitRowOf(r.page, c.field) : RowOf(r.page, c.field, c.nth);
        ASSERT_NE(row, "") << r.page;
        if (c.error) {
            EXPECT_TRUE(HasError(row, c.text)) << row;
        } else {
            EXPECT_TRUE(Has(row, c.text) && !Has(row, "error")) << row;
        }
    }
}

TEST(CdcRequests, DataStagesNeedTheirDirectionAndLength) {
    // GET_LINE_CODING with 6 bytes: only the setup table.
    const Result shortData = Request({{0xA1, 0x21, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0}});
    EXPECT_NE(RowOf(shortData.page, "wLength"), "");
    EXPECT_FALSE(Has(shortData.page, "Line Coding Structure"));
    // IN data before the completion is not yet data.
    Transfer issue{{0xA1, 0x21, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}};
    issue.completion = false;
    EXPECT_FALSE(Has(Request(issue).page, "Line Coding Structure"));
    // SET_LINE_CODING marked IN: the data does not go the request's way.
    EXPECT_FALSE(Has(Request({{0xA1, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}}).page, "Line Coding Structure"));
    // Without the setup table the data stage is still decoded.
    Transfer bare{{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}};
    bare.setupTable = false;
    const Result r = Request(bare);
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(RowOf(r.page, "bmRequestType"), "");
    EXPECT_TRUE(Has(RowOf(r.page, "dwDTERate"), "9600"));
}

TEST(CdcRequests, NotDecodedHere) {
    EXPECT_FALSE(Request({{0x22, 0x20, 0, 0, 0x81, 0, 7, 0}, {}, false}).handled); // endpoint recipient
    Transfer data{{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {}, false};
    data.cls = 0x0A;
    EXPECT_FALSE(Request(data).handled);
    EXPECT_FALSE(RunDecoder(data, DecodeCdcDataRequest).handled);
    EXPECT_FALSE(Request({{0x41, 0x20, 0, 0, 0, 0, 7, 0}, {}, false}).handled); // vendor type
    EXPECT_FALSE(Request({{0x21, 0x20, 0, 0, 0, 0, 7}, {}, false}).handled);    // 7-byte setup
    // An unknown class request: the plain rows.
    const Result other = Request({{0x21, 0x7F - 0x20, 1, 2, 0, 0, 0, 0}, {}, false});
    EXPECT_TRUE(other.handled);
    EXPECT_NE(RowOf(other.page, "wValue"), "");
    EXPECT_TRUE(Has(other.page, "Setup Packet"));
}

TEST(CdcRequests, CapturedTextIsEscaped) {
    const std::string text = "<b>555&\"1\"</b>\x01\x80";
    const Result r = Request({{0x21, 0x36, 0, 0, 0, 0, uint8_t(text.size()), 0}, Bytes(text.begin(), text.end())});
    const std::string row = RowOf(r.page, "Dialing String", 1);
    EXPECT_TRUE(Has(row, "&lt;b&gt;555&amp;&quot;1&quot;&lt;/b&gt;??")) << row;
    EXPECT_FALSE(Has(r.page, "<b>555"));
}

TEST(CdcRequests, MulticastRowsAreCappedByTheBytesHeld) {
    // wValue claims 1000 filters; 300 are held: 256 rows and a "more" row.
    Bytes list;
    for (int i = 0; i < 300; ++i) list.insert(list.end(), {1, 0, 0x5E, 0, uint8_t(i >> 8), uint8_t(i)});
    list.push_back(0xAA); // a stray byte
    const Result r = Request({{0x21, 0x40, 0xE8, 0x03, 0, 0, 0x70, 0x17}, list});
    EXPECT_EQ(Count(r.page, ">Multicast Address<"), kMaxMulticastRows);
    EXPECT_TRUE(Has(RowOf(r.page, "More"), "44 more")) << RowOf(r.page, "More");
    EXPECT_TRUE(Has(RowOf(r.page, "Multicast Address", 255), "01-00-5E-00-00-FF"));
}

TEST(CdcRequests, LineStatusBoundedByBothLengths) {
    // wLength field 18 (two call states) but 22 bytes held: two rows.
    const Bytes data = {18, 0, 0x01, 0x05, 0, 0x80, 0x02, 0, 0, 0x80, 0x04, 0x01, 0, 0x80, 0x05, 0x09, 0, 0, 1, 2, 3, 4};
    const Result r = Request({{0xA1, 0x35, 0, 0, 0, 0, 22, 0}, data});
    EXPECT_NE(RowOf(r.page, "dwCallState1"), "");
    EXPECT_EQ(RowOf(r.page, "dwCallState2"), "");
    EXPECT_TRUE(Has(BitRowOf(r.page, "Ringback Type"), "Busy"));
    EXPECT_TRUE(HasError(BitRowOf(r.page, "Connection Type"), "Reserved"));
    EXPECT_TRUE(Has(BitRowOf(r.page, "Call Index"), ">2<"));
    EXPECT_TRUE(Has(BitRowOf(r.page, "Activity"), "Line is active (i.e. not idle)"));
    // A wLength field below 10: no structure.
    EXPECT_FALSE(Has(Request({{0xA1, 0x35, 0, 0, 0, 0, 10, 0}, {9, 0, 0, 0, 0, 0, 0, 0, 0, 0}}).page, "Line Status"));
}

// --- Notifications -----------------------------------------------------------

TEST(CdcNotifications, EdgeCases) {
    struct Case {
        const char* what;
        Transfer t;
        const char* field;
        const char* text;
        bool error;
        bool bit = false;
        size_t nth = 0;
    };
    const Case cases[] = {
        {"serial state rx", {{0xA1, 0x20, 0, 0, 0, 0, 2, 0}, {3, 0}}, "bRxCarrier",
         "State of receiver carrier detection mechanism of device", false, true},
        {"serial state tx", {{0xA1, 0x20, 0, 0, 0, 0, 2, 0}, {3, 0}}, "bTxCarrier", "State of transmission carrier",
         false, true},
        {"serial state reserved", {{0xA1, 0x20, 0, 0, 0, 0, 2, 0}, {0x80, 0}}, "Reserved", "Should be zero", true, true},
        {"serial state wLength 3", {{0xA1, 0x20, 0, 0, 0, 0, 3, 0}, {3, 0, 0}}, "wLength", "Should be 2", true},
        {"connected", {{0xA1, 0x00, 1, 0, 0, 0, 0, 0}, {}, false}, "wValue", "Connected", false},
        {"connection invalid", {{0xA1, 0x00, 2, 0, 0, 0, 0, 0}, {}, false}, "wValue", "Invalid", true},
        {"speed unsigned", {{0xA1, 0x2A, 0, 0, 0, 0, 8, 0}, {0, 0x40, 0x4B, 0x4C, 0xFF, 0xFF, 0xFF, 0xFF}}, "DSBitRate",
         "4294967295 bps", false},
        {"call state unknown", {{0xA1, 0x28, 7, 1, 0, 0, 0, 0}, {}, false}, "wValue.Call State Change", "Unknown", true},
        {"ringback busy", {{0xA1, 0x28, 3, 1, 0, 0, 1, 0}, {1}}, "Ringback", "Busy", false, false, 1},
        {"line state", {{0xA1, 0x29, 2, 0, 0, 0, 1, 0}, {7}}, "wValue", "Hook-switch has gone off hook", false},
        {"MDLM", {{0xA1, 0x41, 0, 0, 0, 0, 2, 0}, {1, 2}}, "Data", "0201h", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = Notification(c.t);
        ASSERT_TRUE(r.handled);
        const std::string row = c.bit ? BitRowOf(r.page, c.field) : RowOf(r.page, c.field, c.nth);
        ASSERT_NE(row, "") << r.page;
        if (c.error) {
            EXPECT_TRUE(HasError(row, c.text)) << row;
        } else {
            EXPECT_TRUE(Has(row, c.text) && !Has(row, "error")) << row;
        }
    }
}

TEST(CdcNotifications, CallerId) {
    const Result r = Notification({{0xA1, 0x28, 5, 1, 0, 0, 11, 0}, {0, 4, '1', '2', '3', '4', 0, 3, 'A', 0x0A, 'C'}});
    EXPECT_TRUE(Has(RowOf(r.page, "Ringing Pattern"), "Pattern 1 (default)"));
    EXPECT_TRUE(Has(RowOf(r.page, "Time"), "&quot;1234&quot;"));
    EXPECT_EQ(RowOf(r.page, "Number"), "");
    EXPECT_NE(RowOf(r.page, "Number String Size"), "");
    EXPECT_TRUE(Has(RowOf(r.page, "Name"), "&quot;A?C&quot;"));
    // Markup in the caller's name is escaped; a size past the data is cut.
    const std::string name = "<i>Eve & \"Mallory\"</i>";
    Bytes data = {1, 0, 0, uint8_t(name.size() + 40)};
    data.insert(data.end(), name.begin(), name.end());
    const Result m = Notification({{0xA1, 0x28, 5, 1, 0, 0, uint8_t(data.size()), 0}, data});
    const std::string row = RowOf(m.page, "Name");
    EXPECT_TRUE(Has(row, "&quot;&lt;i&gt;Eve &amp; &quot;Mallory&quot;&lt;/i&gt;&quot;")) << row;
    EXPECT_TRUE(Has(row, "udsiz\">" + std::to_string(name.size()) + "<")) << row;
    EXPECT_FALSE(Has(m.page, "<i>Eve"));
}

TEST(CdcNotifications, NotDecodedOrHeaderOnly) {
    EXPECT_FALSE(Notification({{0xA2, 0x20, 0, 0, 0, 0, 2, 0}, {3, 0}}).handled);
    Transfer data{{0xA1, 0x20, 0, 0, 0, 0, 2, 0}, {3, 0}};
    data.cls = 0x0A;
    EXPECT_FALSE(Notification(data).handled);
    EXPECT_FALSE(Notification({{0x81, 0x20, 0, 0, 0, 0, 2, 0}, {3, 0}}).handled); // standard type
    const Result speed = Notification({{0xA1, 0x2A, 0, 0, 0, 0, 8, 0}, {1, 2, 3, 4, 5, 6, 7}});
    EXPECT_TRUE(speed.handled);
    EXPECT_FALSE(Has(speed.page, "Connection Speed Change Structure"));
    const Result plain = Notification({{0xA1, 0x2B, 1, 0, 0, 0, 0, 0}, {}, false});
    EXPECT_NE(RowOf(plain.page, "wValue"), "");
    EXPECT_NE(RowOf(plain.page, "wIndex"), "");
    EXPECT_TRUE(Has(plain.page, "Notification"));
}

// Goldens: an ACM session (line coding, control lines, break, serial state,
// dialing and caller ID with markup) and an ECM/NCM session (packet filter as
// Linux's cdc_ether sets it, multicast list, statistics, connection and speed
// notifications as f_ecm.c sends them at full speed, an NCM request beyond
// the tables).
void Golden(const char* name, std::initializer_list<std::pair<Transfer, bool>> transfers) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(page, name, sheets));
    for (const auto& [t, notification] : transfers) {
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        ctx.bytes = t.setup;
        ctx.setupAsSent = true;
        ctx.request.data = t.data;
        ctx.request.dataPresent = t.dataPresent;
        ctx.request.completion = true;
        ctx.request.interfaceInfo.known = true;
        ctx.request.interfaceInfo.interfaceClass = 2;
        ASSERT_TRUE(notification ? DecodeCdcNotification(ctx) : DecodeCdcRequest(ctx));
    }
    ClosePage(page);
    EXPECT_EQ(CheckNesting(page.view()), "");
    CheckGoldenPage(name, page.view());
}

TEST(CdcRequests, Goldens) {
    const std::string dial = "ATDT<b>555</b>&1234;";
    Golden("cdc_acm_requests",
           {{{{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x00, 0xC2, 0x01, 0x00, 0, 0, 8}}, false},
            {{{0xA1, 0x21, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 2, 2, 7}}, false},
            {{{0x21, 0x22, 3, 0, 0, 0, 0, 0}, {}, false}, false},
            {{{0x21, 0x23, 0xFF, 0xFF, 0, 0, 0, 0}, {}, false}, false},
            {{{0xA1, 0x20, 0, 0, 0, 0, 2, 0}, {0x03, 0x00}}, true},
            {{{0x21, 0x36, 0, 0, 0, 0, uint8_t(dial.size()), 0}, Bytes(dial.begin(), dial.end())}, false},
            {{{0xA1, 0x28, 5, 1, 0, 0, 17, 0},
              {1, 4, '0', '9', '3', '0', 4, '5', '5', '5', '1', 4, '<', 'b', '>', '&'}},
             true}});
    Golden("cdc_ecm_requests",
           {{{{0x21, 0x43, 0x0E, 0, 0, 0, 0, 0}, {}, false}, false},
            {{{0x21, 0x40, 2, 0, 0, 0, 12, 0}, {0x01, 0x00, 0x5E, 0x00, 0x00, 0x01, 0x33, 0x33, 0, 0, 0, 1}}, false},
            {{{0xA1, 0x44, 1, 0, 0, 0, 4, 0}, {0x10, 0x27, 0, 0}}, false},
            {{{0xA1, 0x00, 1, 0, 0, 0, 0, 0}, {}, false}, true},
            {{{0xA1, 0x2A, 0, 0, 0, 0, 8, 0}, {0x00, 0x70, 0x94, 0x00, 0x00, 0x70, 0x94, 0x00}}, true},
            {{{0xA1, 0x80, 0, 0, 0, 0, 28, 0}, {}, false}, false}});
}

} // namespace
} // namespace brx
