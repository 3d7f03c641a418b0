// The control setup dispatch, the standard request decoders and the hub class
// requests: what the page says for each case (a table per behaviour).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/ClassDecoders.h"
#include "decode/ControlDispatch.h"
#include "decode/SetupRows.h"
#include "decode/StandardRequests.h"
#include "protocols/ClassDecoders.h"
#include "protocols/HubRequests.h"
#include "tests/decode/PageRows.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using namespace brx::testing;

namespace {

using Bytes = std::vector<uint8_t>;

struct Request {
    Bytes setup;
    Bytes data;
    int interfaceClass = -1; // -1: no interface information
    uint8_t interfaceSubClass = 0;
    uint16_t version = 0x0200;
    bool completion = true;
    const CLASS_DECODERS* table = &kClassDecoders;
};

struct Page {
    std::string text;
    std::vector<PageRow> rows;
};

Page Decode(const Request& r) {
    PageFixture f(0x40000);
    f.ctx.bytes = r.setup;
    f.ctx.setupAsSent = true;
    f.ctx.request.data = r.data;
    f.ctx.request.dataPresent = !r.data.empty();
    f.ctx.request.completion = r.completion;
    f.ctx.request.version = r.version;
    f.ctx.request.interfaceInfo.known = r.interfaceClass >= 0;
    f.ctx.request.interfaceInfo.interfaceClass = static_cast<uint8_t>(r.interfaceClass);
    f.ctx.request.interfaceInfo.interfaceSubClass = r.interfaceSubClass;
    f.ctx.classDecoders = r.table;
    EXPECT_TRUE(DecodeControlSetup(f.ctx));
    EXPECT_EQ(CheckNesting(f.page.view()), "");
    EXPECT_EQ(f.ctx.divisionDepth, 0);
    Page p{std::string(f.page.view()), {}};
    p.rows = ParseRows(p.text);
    return p;
}

// The first row named `field`: its description and error style.
struct Expect {
    const char* field;
    const char* description;
    bool error;
};

void Check(const Page& p, const Expect& e) {
    const auto rows = RowsNamed(p.rows, e.field);
    ASSERT_FALSE(rows.empty()) << "no row " << e.field;
    EXPECT_EQ(rows[0].description, e.description) << e.field;
    EXPECT_EQ(rows[0].error, e.error) << e.field;
}

std::string Title(const Page& p) {
    const size_t at = p.text.find("<div class=\"uddiv6\">");
    if (at == std::string::npos) return {};
    const size_t end = p.text.find("</div>", at);
    return p.text.substr(at + 20, end - at - 20);
}

TEST(ControlDispatch, FallsBackToTheSetupPacketTable) {
    struct Case {
        const char* name;
        Request request;
    };
    const std::vector<Case> cases = {
        {"vendor request", {{0xC0, 0x01, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00}, {}, 9}},
        {"class request on FEh/02h", {{0x21, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {}, 0xFE, 0x02}},
        {"type bits 3", {{0xE0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {}, 9}},
        {"class request without interface", {{0x23, 0x03, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}, {}, -1}},
        {"HID class request (no HID decoder yet)", {{0x21, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {}, 3}},
        {"hub request with the standard table", {{0xA3, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00}, {}, 9, 0, 0x200, true,
                                                  &kStandardClassDecoders}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Page p = Decode(c.request);
        EXPECT_EQ(Title(p), "Setup Packet");
        EXPECT_EQ(Count(p.text, "<table"), 1u);
        ASSERT_EQ(p.rows.size(), 8u); // bmRequestType, its 3 bit rows, bRequest, wValue, wIndex, wLength
        for (const PageRow& r : p.rows) EXPECT_EQ(r.description.empty(), !r.bits) << r.name;
    }
}

TEST(ControlDispatch, ClassDescriptorRequestsGoToTheStandardDecoderUntilTheClassFillsItsRow) {
    // GET_DESCRIPTOR(Report) on a HID interface and on another interface: both
    // reach the standard decoder, which names the class descriptor.
    for (int cls : {3, 8}) {
        const Page p = Decode({{0x81, 0x06, 0x00, 0x22, 0x00, 0x00, 0x3E, 0x00}, {}, cls});
        EXPECT_EQ(Title(p), "Get Descriptor");
        Check(p, {"wValue.HiByte", "Report Descriptor", false});
        Check(p, {"wIndex", "Interface", false});
    }
    // A row's descriptor-request decoder is tried first.
    static const CLASS_REQUEST_ROW kRows[] = {{0x03, kAnySubclass, nullptr, [](DECODE_CONTEXT& ctx) {
                                                   return WriteSectionTitle(ctx, "class decoder");
                                               }}};
    static const CLASS_DECODERS kTable = {{}, kRows};
    Request r{{0x81, 0x06, 0x00, 0x22, 0x00, 0x00, 0x3E, 0x00}, {}, 3};
    r.table = &kTable;
    EXPECT_EQ(Title(Decode(r)), "class decoder");
    r.interfaceClass = 8;
    EXPECT_EQ(Title(Decode(r)), "Get Descriptor");
}

TEST(StandardRequests, SetupChecks) {
    struct Case {
        const char* name;
        Bytes setup;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"GET_CONFIGURATION wLength 2", {0x80, 0x08, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {"wLength", "Should be 1", true}},
        {"SET_ADDRESS wIndex 1", {0x00, 0x05, 0x05, 0x00, 0x01, 0x00, 0x00, 0x00}, {"wIndex", "Should be zero", true}},
        {"SET_ADDRESS value", {0x00, 0x05, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}, {"wValue", "Address", false}},
        {"GET_STATUS endpoint 81h", {0x82, 0x00, 0x00, 0x00, 0x81, 0x00, 0x02, 0x00}, {"wIndex", "Endpoint 1 In", false}},
        {"GET_DESCRIPTOR interface: generic", {0x80, 0x06, 0x00, 0x04, 0x00, 0x00, 0x09, 0x00}, {"wValue", "", false}},
        {"type 61h", {0x61, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {"6..5: Type", "3 is reserved value", true}},
        {"recipient 05h", {0x05, 0x09, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, {"4..0: Recipient", "4..31 are reserved values", true}},
        {"SET_INTERFACE as 81h: generic", {0x81, 0x0B, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, {"wValue", "", false}},
        {"SET_INTERFACE", {0x01, 0x0B, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, {"wValue", "Alternate Setting", false}},
        {"GET_DESCRIPTOR direction", {0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00}, {"7: Direction", "Should be Device-to-Host", true}},
        {"CLEAR_FEATURE halt", {0x02, 0x01, 0x00, 0x00, 0x81, 0x00, 0x00, 0x00}, {"wValue", "Feature: Halt", false}},
        {"SET_FEATURE test mode", {0x00, 0x03, 0x02, 0x00, 0x00, 0x04, 0x00, 0x00}, {"wIndex.LowByte", "", false}},
        {"SET_FEATURE function suspend", {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}, {"0: Function Suspend State", "Low power", false}},
        {"SET_ISOCH_DELAY", {0x00, 0x31, 0x28, 0x00, 0x00, 0x00, 0x00, 0x00}, {"wValue", "40 ns delay", false}},
        {"SET_SEL length", {0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00}, {"wLength", "Should be 6", true}},
        {"string descriptor language", {0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 0xFF, 0x00}, {"wIndex", "English (United States)", false}},
        {"string zero", {0x80, 0x06, 0x00, 0x03, 0x00, 0x00, 0xFF, 0x00}, {"wValue.LowByte", "Lang ID", false}},
        {"device descriptor index", {0x80, 0x06, 0x01, 0x01, 0x00, 0x00, 0x12, 0x00}, {"wValue.LowByte", "Should be zero", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Check(Decode({c.setup, {}, 0}), c.expect);
    }
}

TEST(StandardRequests, DataStages) {
    // Device status of a USB 2 device: no U1/U2/LTM rows.
    const Page usb2 = Decode({{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {0x03, 0x00}, 0});
    Check(usb2, {"0: Self-powered", "Self Powered", false});
    Check(usb2, {"1: Remote Wakeup", "Enabled", false});
    EXPECT_TRUE(RowsNamed(usb2.rows, "2: U1 Enable").empty());
    Request usb3{{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {0x1C, 0x00}, 0};
    usb3.version = 0x0300;
    const Page u3 = Decode(usb3);
    Check(u3, {"4: LTM Enable", "Enabled", false});
    Check(u3, {"0: Self-powered", "Bus Powered", false});
    // Interface status of a USB 3 device: wakeup set without the capability.
    Request itf{{0x81, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {0x02, 0x00}, 0};
    itf.version = 0x0300;
    Check(Decode(itf), {"1: Function Remote Wakeup", "Should be zero", true});
    // Endpoint halted.
    Check(Decode({{0x82, 0x00, 0x00, 0x00, 0x81, 0x00, 0x02, 0x00}, {0x01, 0x00}, 0}), {"0: Halt", "Halted", false});
    // The issue (no completion) has no data table.
    Request issued{{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {0x01, 0x00}, 0};
    issued.completion = false;
    EXPECT_TRUE(RowsNamed(Decode(issued).rows, "Status").empty());
    // GET_CONFIGURATION, GET_INTERFACE, SYNCH_FRAME, SET_SEL.
    EXPECT_EQ(CellNumber(RowsNamed(Decode({{0x80, 0x08, 0, 0, 0, 0, 1, 0}, {0x01}, 0}).rows, "Configuration").at(0).value), 1);
    EXPECT_EQ(CellNumber(RowsNamed(Decode({{0x81, 0x0A, 0, 0, 0, 0, 1, 0}, {0x02}, 0}).rows, "Alternate Setting").at(0).value), 2);
    EXPECT_EQ(CellNumber(RowsNamed(Decode({{0x82, 0x0C, 0, 0, 0x81, 0, 2, 0}, {0x34, 0x12}, 0}).rows, "Frame Number").at(0).value),
              0x1234);
    Request sel{{0x00, 0x30, 0, 0, 0, 0, 6, 0}, {0x0A, 0x14, 0x00, 0x01, 0x00, 0x02}, 0};
    sel.completion = false; // host-to-device data is there at the issue
    Check(Decode(sel), {"U2PEL", "512 \xB5s", false});
    // A device descriptor of 12 bytes shows the setup table only.
    const Page shortDevice = Decode({{0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00},
                                  {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x6D, 0x04, 0x77, 0xC0}, 0});
    EXPECT_EQ(Count(shortDevice.text, "<table"), 1u);
    // A string descriptor in the data stage.
    const Page string = Decode({{0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 0xFF, 0x00},
                             {0x0A, 0x03, 'Q', 0, 'E', 0, 'M', 0, 'U', 0}, 0});
    Check(string, {"bString", "\"QEMU\"", false});
}

// --- Hub class requests -------------------------------------------------------

TEST(HubRequests, SetupChecks) {
    struct Case {
        const char* name;
        Bytes setup;
        const char* title;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"21h to a hub interface: generic rows", {0x21, 0x0C, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, "Setup Packet",
         {"4..0: Recipient", "Should be 0 (Hub) or 3 (Port)", true}},
        {"SET_HUB_DEPTH 4", {0x20, 0x0C, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, "Set Hub Depth", {"wValue", "Hub Depth", false}},
        {"SET_HUB_DEPTH 5", {0x20, 0x0C, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}, "Set Hub Depth",
         {"wValue", "Should be in the range of 0-4.", true}},
        {"port indicator low byte 0", {0x23, 0x01, 0x16, 0x00, 0x00, 0x01, 0x00, 0x00}, "Clear Port Feature",
         {"wIndex.LowByte", "Port - Should be greater than zero", true}},
        {"port indicator selector", {0x23, 0x01, 0x16, 0x00, 0x00, 0x01, 0x00, 0x00}, "Clear Port Feature",
         {"wIndex.HiByte", "Port Indicator Selector", false}},
        {"port feature", {0x23, 0x03, 0x04, 0x00, 0x03, 0x00, 0x00, 0x00}, "Set Port Feature", {"wValue", "Feature: Reset", false}},
        {"port 0", {0x23, 0x03, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, "Set Port Feature",
         {"wIndex", "Port - Should be greater than zero", true}},
        {"hub status wIndex", {0xA0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00}, "Get Hub Status", {"wIndex", "Should be zero", true}},
        {"port status length", {0xA3, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00}, "Get Port Status", {"wLength", "Should be 4", true}},
        {"clear TT buffer", {0x23, 0x08, 0x81, 0x98, 0x01, 0x00, 0x00, 0x00}, "Clear TT Buffer", {"12..11: Endpoint Type", "Interrupt", false}},
        {"clear TT buffer direction", {0x23, 0x08, 0x81, 0x98, 0x01, 0x00, 0x00, 0x00}, "Clear TT Buffer", {"15: Direction", "In", false}},
        {"clear TT buffer address", {0x23, 0x08, 0x81, 0x98, 0x01, 0x00, 0x00, 0x00}, "Clear TT Buffer", {"10..4: Device Address", "8", false}},
        {"get hub descriptor", {0xA0, 0x06, 0x00, 0x29, 0x00, 0x00, 0x47, 0x00}, "Get Hub Descriptor", {"wValue.HiByte", "Descriptor Type", false}},
        {"get SuperSpeed hub descriptor", {0xA0, 0x06, 0x00, 0x2A, 0x00, 0x00, 0x0C, 0x00}, "Get Hub Descriptor", {"wValue.HiByte", "Hub Descriptor", false}},
        {"reset TT", {0x23, 0x09, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00}, "Reset TT", {"wValue", "Should be zero", true}},
        {"port error count", {0xA3, 0x0D, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00}, "Get Port Error Count", {"wIndex", "Port", false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Page p = Decode({c.setup, {}, 9});
        EXPECT_EQ(Title(p), c.title);
        Check(p, c.expect);
    }
}

TEST(HubRequests, DataStages) {
    // GET_STATUS to recipients 1 and 2: setup rows, no status tables.
    for (uint8_t type : {0xA1, 0xA2}) {
        const Page p = Decode({{type, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00}, {0x03, 0x01, 0x01, 0x00}, 9});
        EXPECT_FALSE(RowsNamed(p.rows, "bmRequestType").empty());
        EXPECT_TRUE(RowsNamed(p.rows, "Status").empty());
    }
    // A port's status: USB 2.0 tables at 0210h, SuperSpeed ones at 0300h.
    Request port{{0xA3, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00}, {0x03, 0x02, 0x11, 0x00}, 9};
    port.version = 0x0210;
    const Page usb2 = Decode(port);
    Check(usb2, {"9: Low-Speed Device Attached", "Low-speed device attached to this port", false});
    Check(usb2, {"4: Reset Change", "Reset complete", false});
    // A cleared change bit says that nothing changed.
    Check(usb2, {"1: Port Enable/Disable Change", "No change", false});
    port.version = 0x0300;
    port.data = {0x03, 0x02, 0x41, 0x00}; // U0, powered (bit 9), link state change
    const Page ss = Decode(port);
    Check(ss, {"8..5: Port Link State", "Link is in the U0 State", false});
    Check(ss, {"9: Port Power", "This port is not in the Powered-off state", false});
    Check(ss, {"12..10: Negotiated Speed", "Negotiated speed is 5 Gbps", false});
    Check(ss, {"6: Port Link State Change", "Link Status has changed", false});
    // Hub status.
    const Page hub = Decode({{0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00}, {0x02, 0x00, 0x02, 0x00}, 9});
    EXPECT_EQ(Title(hub), "Get Hub Status");
    Check(hub, {"1: Over-Current", "A hub over-current condition exists", false});
    Check(hub, {"1: Over-Current Change", "Over-current status has changed", false});
    // GET_DESCRIPTOR(29h) with 8 bytes: no descriptor table; with 9: decoded.
    const Bytes hubDescriptor = {0x09, 0x29, 0x04, 0x00, 0x00, 0x32, 0x64, 0x00, 0xFF};
    const Page eight = Decode({{0xA0, 0x06, 0x00, 0x29, 0x00, 0x00, 0x47, 0x00}, Bytes(hubDescriptor.begin(), hubDescriptor.end() - 1), 9});
    EXPECT_EQ(Count(eight.text, "<table"), 1u);
    const Page nine = Decode({{0xA0, 0x06, 0x00, 0x29, 0x00, 0x00, 0x47, 0x00}, hubDescriptor, 9});
    Check(nine, {"bPwrOn2PwrGood", "100 ms", false});
    // TT state keeps its whole count: 4 flag bytes and 300 bytes of state.
    Bytes tt(304, 0xAB);
    tt[0] = tt[1] = tt[2] = tt[3] = 0;
    const Page state = Decode({{0xA3, 0x0A, 0x00, 0x00, 0x01, 0x00, 0x30, 0x01}, tt, 9});
    const auto specific = RowsNamed(state.rows, "TT Specific State");
    ASSERT_EQ(specific.size(), 1u);
    EXPECT_NE(state.text.find("<td class=\"udsiz\">300</td>"), std::string::npos);
    EXPECT_EQ(Count(specific[0].value, "AB"), 300u);
    // Bus state and link errors.
    Check(Decode({{0xA3, 0x02, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00}, {0x07}, 9}), {"7..2: Reserved", "Should be zero", true});
    EXPECT_EQ(CellNumber(RowsNamed(Decode({{0xA3, 0x0D, 0, 0, 1, 0, 2, 0}, {0x05, 0x00}, 9}).rows, "Error Count").at(0).value), 5);
}

} // namespace
