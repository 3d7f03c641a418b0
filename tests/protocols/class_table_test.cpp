// The CDC, DFU and printer decoders reached through the class decoder table:
// a configuration holding CDC functional descriptors and a DFU functional
// descriptor walked by the standard descriptor decoders, and class requests
// through the control setup dispatch.
#include <gtest/gtest.h>

#include <string>

#include "decode/ControlDispatch.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/StandardDescriptors.h"
#include "protocols/ClassDecoders.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/CdcFixtures.h"

namespace brx {
namespace {

using namespace brx::testing;

// Linux's ACM function (CdcFixtures.h) with a DFU run-time interface as a
// composite gadget adds it (U-Boot's f_dfu descriptor values).
Bytes CompositeConfiguration() {
    Bytes acm = AcmConfiguration();
    const Bytes dfu = {9, 4, 2, 0, 0, 0xFE, 1, 1, 0, 9, 0x21, 0x0F, 0x00, 0x00, 0x00, 0x10, 0x10, 0x01};
    acm.insert(acm.end(), dfu.begin(), dfu.end());
    acm[2] = uint8_t(acm.size());
    acm[3] = uint8_t(acm.size() >> 8);
    acm[4] = 3;
    return acm;
}

std::string Walk(const Bytes& set, const CLASS_DECODERS* table) {
    PageFixture f(0x40000);
    const Exact block(set);
    f.ctx.bytes = block.span();
    f.ctx.anchorBase = block.span();
    f.ctx.classDecoders = table;
    EXPECT_TRUE(DecodeConfigurationDescriptorSet(f.ctx));
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

TEST(ClassTable, ConfigurationWithCdcAndDfuDescriptors) {
    const Bytes set = CompositeConfiguration();
    const std::string s = Walk(set, &kClassDecoders);
    for (const char* title : {"Header Functional Descriptor", "Call Management Functional Descriptor",
                              "Abstract Control Management Functional Descriptor", "Union Functional Descriptor",
                              "DFU Functional Descriptor"})
        EXPECT_TRUE(Has(s, title)) << title;
    EXPECT_FALSE(Has(s, "Unrecognized"));
    EXPECT_TRUE(Has(RowOf(s, "bSubordinateInterface0"), "CDC Data"));
    EXPECT_TRUE(Has(RowOf(s, "bcdCDC"), "1.10"));
    EXPECT_TRUE(Has(RowOf(s, "wTransferSize"), "4096 bytes"));
    // Without the protocols' table the same descriptors are raw tables.
    const std::string bare = Walk(set, nullptr);
    EXPECT_FALSE(Has(bare, "Union Functional Descriptor"));
    EXPECT_EQ(RowOf(bare, "bcdCDC"), "");
    EXPECT_EQ(RowOf(bare, "wTransferSize"), "");
}

struct Request {
    Bytes setup, data;
    uint8_t cls, subclass;
};

std::string Dispatch(const Request& r) {
    PageFixture f(0x40000);
    f.ctx.bytes = r.setup;
    f.ctx.setupAsSent = true;
    f.ctx.request.data = r.data;
    f.ctx.request.dataPresent = !r.data.empty();
    f.ctx.request.completion = true;
    f.ctx.request.interfaceInfo = {true, 0, r.cls, r.subclass, 0};
    f.ctx.classDecoders = &kClassDecoders;
    EXPECT_TRUE(DecodeControlSetup(f.ctx));
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

TEST(ClassTable, ClassRequestsReachTheirDecoders) {
    struct Case {
        const char* what;
        Request r;
        const char* expected;
    };
    const Case cases[] = {
        {"CDC", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}, 2, 2}, "Line Coding Structure"},
        {"DFU", {{0xA1, 3, 0, 0, 0, 0, 6, 0}, {0, 0xE8, 3, 0, 2, 0}, 0xFE, 1}, "Device Status"},
        {"printer", {{0xA1, 0, 0, 0, 0, 0, 0xFF, 3}, {0, 0x10, 'M', 'F', 'G', ':', 'X', ';', 'C', 'M', 'D', ':', 'Y', ';'}, 7, 1},
         "1284 Device ID String"},
        {"CDC data interface", {{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}, 0x0A, 0}, "Setup Packet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string s = Dispatch(c.r);
        EXPECT_TRUE(Has(s, c.expected)) << s;
    }
    EXPECT_FALSE(Has(Dispatch({{0x21, 0x20, 0, 0, 0, 0, 7, 0}, {0x80, 0x25, 0, 0, 0, 0, 8}, 0x0A, 0}),
                     "Line Coding Structure"));
}

TEST(ClassTable, Golden) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(page, "ACM and DFU configuration", sheets));
    const Bytes set = CompositeConfiguration();
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.bytes = set;
    ctx.anchorBase = set;
    ctx.classDecoders = &kClassDecoders;
    ASSERT_TRUE(DecodeConfigurationDescriptorSet(ctx));
    ClosePage(page);
    EXPECT_EQ(CheckNesting(page.view()), "");
    CheckGoldenPage("cdc_dfu_configuration", page.view());
}

} // namespace
} // namespace brx
