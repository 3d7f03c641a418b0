#include <gtest/gtest.h>

#include <string>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/DfuPrinter.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/ClassPageTest.h"

namespace brx {
namespace {

using namespace brx::testing;

// U-Boot's DFU function (drivers/usb/gadget/f_dfu.c): bmAttributes
// WILL_DETACH | MANIFESTATION_TOLERANT | CAN_UPLOAD | CAN_DNLOAD,
// wDetachTimeOut 0, wTransferSize DFU_USB_BUFSIZ 4096, bcdDFUVersion 1.10.
const Bytes kUbootDfu = {9, 0x21, 0x0F, 0x00, 0x00, 0x00, 0x10, 0x10, 0x01};
// The DFU 1.0 layout (7 bytes, no version), crafted: download only, 255 ms
// detach time-out, 64-byte transfers.
const Bytes kDfu10 = {7, 0x21, 0x01, 0xFF, 0x00, 0x40, 0x00};
// The Device ID of Linux's printer gadget (drivers/usb/gadget/legacy/
// printer.c, pnp_string, whose first two bytes the gadget replaces with the
// big-endian length).
const std::string kGadgetDeviceId = "MFG:linux;MDL:g_printer;CLS:PRINTER;SN:1;";

Bytes DeviceId(const std::string& text, int stated = -1) {
    const size_t n = stated < 0 ? text.size() + 2 : size_t(stated);
    Bytes b;
    b.reserve(text.size() + 2);
    b.push_back(uint8_t(n >> 8));
    b.push_back(uint8_t(n));
    for (char c : text) b.push_back(uint8_t(c));
    return b;
}

struct Result {
    bool handled = false;
    std::string page;
};

Result Descriptor(const Bytes& d, uint8_t cls = 0xFE) {
    PageFixture f;
    const Exact bytes(d);
    const Bytes ifc = {9, 4, 0, 0, 0, cls, 1, 2, 0};
    f.ctx.bytes = bytes.span();
    f.ctx.anchorBase = f.ctx.bytes;
    f.ctx.descriptor.interfaceDescriptor = ifc;
    Result r;
    r.handled = DecodeDfuFunctionalDescriptor(f.ctx);
    r.page = f.Take();
    EXPECT_EQ(CheckNesting(r.page), "");
    if (!r.handled) {
        EXPECT_EQ(r.page, "");
    }
    return r;
}

Result Request(const Bytes& setup, const Bytes& data, uint8_t cls, uint8_t subclass = 1, bool (*decode)(DECODE_CONTEXT&) = nullptr) {
    PageFixture f(0x40000);
    const Exact s(setup), d(data);
    f.ctx.bytes = s.span();
    f.ctx.setupAsSent = true;
    f.ctx.request.data = d.span();
    f.ctx.request.dataPresent = !data.empty();
    f.ctx.request.completion = true;
    f.ctx.request.interfaceInfo.known = true;
    f.ctx.request.interfaceInfo.interfaceClass = cls;
    f.ctx.request.interfaceInfo.interfaceSubClass = subclass;
    Result r;
    r.handled = decode ? decode(f.ctx) : cls == 7 ? DecodePrinterRequest(f.ctx) : DecodeDfuRequest(f.ctx);
    r.page = f.Take();
    EXPECT_EQ(CheckNesting(r.page), "");
    if (!r.handled) {
        EXPECT_EQ(r.page, "");
    }
    return r;
}

TEST(DfuPrinter, FunctionalDescriptor) {
    const Result v11 = Descriptor(kUbootDfu);
    ASSERT_TRUE(v11.handled);
    EXPECT_TRUE(Has(v11.page, "DFU Functional Descriptor"));
    EXPECT_TRUE(Has(BitRowOf(v11.page, "bitWillDetach"), "Yes"));
    EXPECT_TRUE(Has(BitRowOf(v11.page, "Reserved"), "0000...."));
    EXPECT_TRUE(Has(RowOf(v11.page, "wTransferSize"), "4096 bytes"));
    EXPECT_TRUE(Has(RowOf(v11.page, "bcdDFUVersion"), "1.10"));
    const Result v10 = Descriptor(kDfu10);
    ASSERT_TRUE(v10.handled);
    EXPECT_EQ(BitRowOf(v10.page, "bitWillDetach"), "");
    EXPECT_EQ(RowOf(v10.page, "bcdDFUVersion"), "");
    EXPECT_TRUE(Has(BitRowOf(v10.page, "bitCanUpload"), "No"));
    EXPECT_TRUE(Has(RowOf(v10.page, "wDetachTimeOut"), "255 ms"));
    EXPECT_TRUE(Has(RowOf(v10.page, "wTransferSize"), "64 bytes"));
    // Rejected: length 8, a short block, another class, another type.
    EXPECT_FALSE(Descriptor({8, 0x21, 0x0F, 0, 0, 0, 0x10, 0x10}).handled);
    EXPECT_FALSE(Descriptor(Bytes(kUbootDfu.begin(), kUbootDfu.begin() + 8)).handled);
    EXPECT_FALSE(Descriptor(kUbootDfu, 0x02).handled);
    EXPECT_FALSE(Descriptor({9, 0x22, 0x0F, 0, 0, 0, 0x10, 0x10, 0x01}).handled);
    EXPECT_FALSE(Descriptor({6, 0x21, 0x0F, 0, 0, 0}).handled);
    Bytes one = kDfu10;
    one[5] = 1;
    one[6] = 0;
    EXPECT_TRUE(Has(RowOf(Descriptor(one).page, "wTransferSize"), "1 byte<"));
}

TEST(DfuPrinter, DfuRequests) {
    struct Case {
        const char* what;
        Bytes setup;
        Bytes data;
        const char* field;
        const char* text;
        bool error;
        size_t nth = 0;
    };
    const Case cases[] = {
        {"status invalid", {0xA1, 3, 0, 0, 0, 0, 6, 0}, {0x10, 0xE8, 0x03, 0x00, 2, 0}, "bStatus", "Invalid", true},
        {"poll timeout", {0xA1, 3, 0, 0, 0, 0, 6, 0}, {0x00, 0xE8, 0x03, 0x00, 2, 0}, "bwPollTimeout",
         "Timeout: 1000 ms", false},
        {"state invalid", {0xA1, 5, 0, 0, 0, 0, 1, 0}, {11}, "bState", "Invalid", true},
        {"detach wLength 1", {0x21, 0, 0xE8, 0x03, 0, 0, 1, 0}, {}, "wLength", "Should be zero", true},
        {"detach timeout", {0x21, 0, 0xE8, 0x03, 0, 0, 0, 0}, {}, "wValue", "Timeout: 1000 ms", false},
        {"download block", {0x21, 1, 7, 0, 0, 0, 4, 0}, {1, 2, 3, 4}, "wValue", "Block Number: 7", false},
        {"download data", {0x21, 1, 7, 0, 0, 0, 4, 0}, {1, 2, 3, 4}, "Firmware Data", "04030201h", false},
        {"getstatus wLength", {0xA1, 3, 0, 0, 0, 0, 5, 0}, {}, "wLength", "Should be 6", true},
        {"abort wValue", {0x21, 6, 1, 0, 0, 0, 0, 0}, {}, "wValue", "Should be zero", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = Request(c.setup, c.data, 0xFE);
        ASSERT_TRUE(r.handled);
        const std::string row = RowOf(r.page, c.field, c.nth);
        ASSERT_NE(row, "") << r.page;
        if (c.error) {
            EXPECT_TRUE(HasError(row, c.text)) << row;
        } else {
            EXPECT_TRUE(Has(row, c.text) && !Has(row, "error")) << row;
        }
    }
    // Upload data before the completion, and DFU subclass missing: not decoded.
    EXPECT_FALSE(Request({0x21, 1, 0, 0, 0, 0, 0, 0}, {}, 0xFE, 2).handled);
    EXPECT_FALSE(Request({0x22, 1, 0, 0, 0, 0, 0, 0}, {}, 0xFE).handled);
    EXPECT_FALSE(Has(Request({0xA1, 3, 0, 0, 0, 0, 6, 0}, {0, 1, 2, 3, 4}, 0xFE).page, "Device Status"));
}

TEST(DfuPrinter, PrinterRequests) {
    const Result id = Request({0xA1, 0, 0, 0, 0, 0, 0xFF, 0x03}, DeviceId("MFG:X;CMD:Y;", 16), 7);
    ASSERT_TRUE(id.handled);
    EXPECT_TRUE(Has(RowOf(id.page, "Length"), "16 bytes"));
    EXPECT_TRUE(Has(RowOf(id.page, "String"), "MFG:X;<br>CMD:Y;<br>")) << id.page;
    EXPECT_TRUE(Has(RowOf(id.page, "wIndex.HiByte"), "Interface"));
    EXPECT_TRUE(Has(RowOf(id.page, "wIndex.LowByte"), "Alt Setting"));
    EXPECT_FALSE(Has(Request({0xA1, 0, 0, 0, 0, 0, 0xFF, 0x03}, {0x00, 0x01, 'A'}, 7).page, "1284 Device ID String"));

    const Result port = Request({0xA1, 1, 0, 0, 0, 0, 1, 0}, {0x18}, 7);
    EXPECT_TRUE(Has(BitRowOf(port.page, "Not Error"), "No Error"));
    EXPECT_TRUE(Has(BitRowOf(port.page, "Select"), "Selected"));
    EXPECT_TRUE(Has(BitRowOf(port.page, "Paper Empty"), "Paper Not Empty"));
    EXPECT_TRUE(HasError(BitRowOf(Request({0xA1, 1, 0, 0, 0, 0, 1, 0}, {0x19}, 7).page, "Reserved"), "Should be zero"));
    EXPECT_TRUE(HasError(RowOf(Request({0x21, 2, 0, 0, 0, 0, 1, 0}, {}, 7).page, "wLength"), "Should be zero"));
    EXPECT_FALSE(Request({0x21, 2, 0, 0, 0, 0, 0, 0}, {}, 8).handled);
}

TEST(DfuPrinter, DeviceIdSizesAndEscaping) {
    // The stated length (256) beyond the bytes held: the String row shows the
    // 18 bytes that are there.
    const Result cut = Request({0xA1, 0, 0, 0, 0, 0, 0, 1}, DeviceId("MFG:ACME;MDL:P1;XX", 0x100), 7);
    EXPECT_TRUE(Has(RowOf(cut.page, "Length"), "256 bytes"));
    EXPECT_TRUE(Has(RowOf(cut.page, "String"), "udsiz\">18<")) << RowOf(cut.page, "String");
    // Markup and bytes outside ASCII: escaped, then the breaks are added.
    const Result markup =
        Request({0xA1, 0, 0, 0, 0, 0, 0, 1}, DeviceId("MFG:<script>&\"x\";DES:\xE9t\x01;"), 7);
    const std::string row = RowOf(markup.page, "String");
    EXPECT_TRUE(Has(row, "MFG:&lt;script&gt;&amp;&quot;x&quot;;<br>DES:?t?;<br>")) << row;
    EXPECT_FALSE(Has(markup.page, "<script>"));
    // A long Device ID: the text stops at its limit; a ";" near the limit
    // is followed by "..." instead of a break.
    auto textOf = [](const std::string& row) {
        const size_t desc = row.find("uddes\">");
        return desc == std::string::npos ? std::string() : row.substr(desc + 7, row.find("</td>", desc) - desc - 7);
    };
    std::string pairs, keys;
    while (pairs.size() < 5000) pairs += "A;";
    while (keys.size() < 5000) keys += "KEY:VALUE;";
    const Result a = Request({0xA1, 0, 0, 0, 0, 0, 0xFF, 0xFF}, DeviceId(pairs, 0x1400), 7);
    const std::string aRow = RowOf(a.page, "String");
    EXPECT_TRUE(Has(aRow, "udsiz\">4096<")) << aRow.substr(0, 200);
    const std::string aText = textOf(aRow);
    EXPECT_TRUE(aText.ends_with("<br>A;...")) << aText.substr(aText.size() - 40);
    EXPECT_EQ(aText.size(), 3998u + 3u);
    const std::string kText = textOf(RowOf(Request({0xA1, 0, 0, 0, 0, 0, 0xFF, 0xFF}, DeviceId(keys), 7).page, "String"));
    EXPECT_TRUE(kText.ends_with("<br>KEY:VALUE")) << kText.substr(kText.size() - 40);
    EXPECT_EQ(kText.size(), kDeviceIdTextLimit);
}

// Goldens: the U-Boot and DFU 1.0 descriptors with a download session as
// dfu-util drives it (detach, download block, status, state), and the printer
// gadget's Device ID, a crafted one with markup, and port status.
TEST(DfuPrinter, Goldens) {
    {
        PageBuffer page;
        const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
        ASSERT_TRUE(BeginPage(page, "DFU", sheets));
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        const Bytes ifc = {9, 4, 0, 0, 0, 0xFE, 1, 2, 0};
        ctx.descriptor.interfaceDescriptor = ifc;
        for (const Bytes* d : {&kUbootDfu, &kDfu10}) {
            ctx.bytes = *d;
            ctx.anchorBase = *d;
            ASSERT_TRUE(DecodeDfuFunctionalDescriptor(ctx));
        }
        ctx.setupAsSent = true;
        ctx.request.interfaceInfo = {true, 0x0110, 0xFE, 1, 2};
        ctx.request.completion = true;
        struct T { Bytes setup, data; };
        const Bytes block = {0x00, 0x20, 0x00, 0x20, 0xC1, 0x01, 0x00, 0x08, 0xC9, 0x01, 0x00, 0x08,
                             0xCB, 0x01, 0x00, 0x08, 0xCD, 0x01, 0x00, 0x08};
        const T transfers[] = {
            {{0x21, 0, 0xE8, 0x03, 0, 0, 0, 0}, {}},
            {{0x21, 1, 0, 0, 0, 0, 20, 0}, block},
            {{0xA1, 3, 0, 0, 0, 0, 6, 0}, {0x00, 0x64, 0x00, 0x00, 0x04, 0x00}},
            {{0xA1, 5, 0, 0, 0, 0, 1, 0}, {0x05}},
            {{0xA1, 3, 0, 0, 0, 0, 6, 0}, {0x10, 0xE8, 0x03, 0x00, 0x0B, 0x00}},
        };
        for (const T& t : transfers) {
            ctx.bytes = t.setup;
            ctx.request.data = t.data;
            ctx.request.dataPresent = !t.data.empty();
            ASSERT_TRUE(DecodeDfuRequest(ctx));
        }
        ClosePage(page);
        EXPECT_EQ(CheckNesting(page.view()), "");
        CheckGoldenPage("dfu", page.view());
    }
    {
        PageBuffer page;
        const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
        ASSERT_TRUE(BeginPage(page, "Printer", sheets));
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        ctx.setupAsSent = true;
        ctx.request.interfaceInfo = {true, 0, 7, 1, 2};
        ctx.request.completion = true;
        const Bytes gadget = DeviceId(kGadgetDeviceId);
        const Bytes crafted = DeviceId("MFG:<b>Evil</b> & Co;MDL:\"P&lt;1\";CMD:PCL,PJL;");
        const Bytes setupId = {0xA1, 0, 0, 0, 0, 0, 0xF1, 0x03};
        const Bytes setupPort = {0xA1, 1, 0, 0, 0, 0, 1, 0};
        const Bytes setupReset = {0x21, 2, 0, 0, 0, 0, 0, 0};
        const Bytes port = {0x18};
        const std::pair<const Bytes*, const Bytes*> transfers[] = {
            {&setupId, &gadget}, {&setupId, &crafted}, {&setupPort, &port}, {&setupReset, nullptr}};
        for (const auto& [setup, data] : transfers) {
            ctx.bytes = *setup;
            ctx.request.data = data ? std::span<const uint8_t>(*data) : std::span<const uint8_t>();
            ctx.request.dataPresent = data != nullptr;
            ASSERT_TRUE(DecodePrinterRequest(ctx));
        }
        ClosePage(page);
        EXPECT_EQ(CheckNesting(page.view()), "");
        CheckGoldenPage("printer", page.view());
    }
}

} // namespace
} // namespace brx
