#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/RequestNames.h"
#include "protocols/HidClass.h"
#include "tests/capture/hid_test_util.h"
#include "tests/decode/PageTest.h"

namespace brx {
namespace {

using Bytes = std::vector<uint8_t>;
using brx::testing::CheckGoldenPage;
using brx::testing::CheckNesting;
using brx::testing::Count;
using brx::testing::PageFixture;

// Bytes in an exact-size heap block, so that a read past the end is caught.
struct Exact {
    explicit Exact(const Bytes& b) : data(new uint8_t[b.size() ? b.size() : 1]), size(b.size()) {
        std::copy(b.begin(), b.end(), data.get());
    }
    std::span<const uint8_t> span() const { return {data.get(), size}; }
    std::unique_ptr<uint8_t[]> data;
    size_t size;
};

std::string Descriptor(const Bytes& d, bool expectWritten = true) {
    PageFixture f;
    const Exact bytes(d);
    f.ctx.bytes = bytes.span();
    f.ctx.anchorBase = f.ctx.bytes;
    EXPECT_EQ(RenderHidDescriptor(f.ctx), expectWritten);
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    if (!expectWritten) {
        EXPECT_EQ(s, "");
    }
    return s;
}

// The description cell of the row of a field: the text after its name.
std::string RowOf(const std::string& page, const std::string& field, size_t nth = 0) {
    size_t at = 0;
    for (size_t k = 0; k <= nth; ++k) {
        at = page.find(">" + field + "<", at);
        if (at == std::string::npos) return "";
        ++at;
    }
    const size_t end = page.find("</tr>", at);
    return page.substr(at, end - at);
}

TEST(HidClass, Names) {
    EXPECT_STREQ(HidClassDescriptorTypeName(0x21), "HID");
    EXPECT_STREQ(HidClassDescriptorTypeName(0x23), "Physical");
    EXPECT_EQ(HidClassDescriptorTypeName(0x24), nullptr);
    EXPECT_EQ(HidCountryName(0), nullptr);
    EXPECT_STREQ(HidCountryName(1), "Arabic");
    EXPECT_STREQ(HidCountryName(33), "US");
    EXPECT_STREQ(HidCountryName(35), "Turkish-F");
    EXPECT_EQ(HidCountryName(36), nullptr);
}

TEST(HidClass, HidDescriptorLengthRules) {
    const Bytes ok = {9, 0x21, 0x11, 0x01, 0x00, 1, 0x22, 0x3F, 0x00};
    std::string s = Descriptor(ok);
    EXPECT_NE(s.find("<b>HID Descriptor</b>"), std::string::npos) << s;
    EXPECT_EQ(RowOf(s, "bLength").find("Incorrect"), std::string::npos) << s;
    EXPECT_NE(RowOf(s, "bcdHID").find("1.11"), std::string::npos) << RowOf(s, "bcdHID");
    EXPECT_NE(RowOf(s, "bDescriptorType", 1).find("Report"), std::string::npos);
    EXPECT_NE(RowOf(s, "wDescriptorLength").find("63 bytes"), std::string::npos);
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 1u);

    const Bytes twelve = {12, 0x21, 0x11, 0x01, 0x00, 1, 0x22, 0x3F, 0x00, 0x23, 0x01, 0x00};
    s = Descriptor(twelve);
    EXPECT_NE(RowOf(s, "bLength").find("Incorrect, must be equal to 9 + (bNumDescriptors - 1) * 3"),
              std::string::npos) << s;
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 1u);
    EXPECT_NE(s.find(">Undecoded<"), std::string::npos) << "the three bytes past the list";

    const Bytes ten = {10, 0x21, 0x11, 0x01, 0x00, 1, 0x22, 0x01, 0x00, 0x00};
    s = Descriptor(ten);
    EXPECT_NE(RowOf(s, "bLength").find("Incorrect, must be a multiple of 3"), std::string::npos) << s;
    EXPECT_NE(RowOf(s, "wDescriptorLength").find(">1 byte<"), std::string::npos) << RowOf(s, "wDescriptorLength");

    const Bytes eight = {8, 0x21, 0x11, 0x01, 0x00, 1, 0x22, 0x01};
    s = Descriptor(eight);
    EXPECT_NE(RowOf(s, "bLength").find("Incorrect, must be equal to or greater than 9"), std::string::npos);
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 0u);

    // bNumDescriptors 3 with bLength 9: one class descriptor.
    s = Descriptor({9, 0x21, 0x00, 0x01, 33, 3, 0x22, 0x3F, 0x00});
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 1u);
    EXPECT_NE(RowOf(s, "bCountryCode").find("US"), std::string::npos);
    // bNumDescriptors 0, an old bcdHID and an unknown class descriptor type.
    s = Descriptor({9, 0x21, 0x10, 0x00, 0, 0, 0x22, 0x3F, 0x00});
    EXPECT_NE(RowOf(s, "bNumDescriptors").find("Must be at least one"), std::string::npos);
    EXPECT_NE(RowOf(s, "bcdHID").find("Should be equal to or greater than 0100h"), std::string::npos);
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 0u);
    s = Descriptor({9, 0x21, 0x11, 0x01, 0, 1, 0x25, 0x3F, 0x00});
    EXPECT_NE(RowOf(s, "bDescriptorType", 1).find("Invalid type of class descriptor"), std::string::npos);
}

TEST(HidClass, HidDescriptorBoundedByTheBytesHeld) {
    // bLength and bNumDescriptors promise three class descriptors; the bytes
    // held end after the first.
    std::string s = Descriptor({15, 0x21, 0x11, 0x01, 0, 3, 0x22, 0x3F, 0x00});
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 1u);
    s = Descriptor({15, 0x21, 0x11, 0x01, 0, 3, 0x22, 0x3F});  // not even one whole entry
    EXPECT_EQ(Count(s, ">wDescriptorLength<"), 0u);
    EXPECT_NE(s.find(">Undecoded<"), std::string::npos);
    // Nothing for too few bytes, a bLength of 5 or a type other than 21h.
    Descriptor({9, 0x21, 0x11, 0x01, 0}, false);
    Descriptor({5, 0x21, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00}, false);
    Descriptor({9, 0x22, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00}, false);
    Descriptor({}, false);
    // Detail rows off: no bLength, bDescriptorType or bcdHID row.
    PageFixture f;
    const Bytes d = {9, 0x21, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00};
    f.ctx.bytes = d;
    f.ctx.detail = false;
    ASSERT_TRUE(RenderHidDescriptor(f.ctx));
    const std::string plain = f.Take();
    EXPECT_EQ(Count(plain, ">bLength<") + Count(plain, ">bcdHID<"), 0u);
    EXPECT_EQ(Count(plain, ">bCountryCode<"), 1u);
}

struct Request {
    Request(Bytes s, Bytes d = {}, bool present = false, uint8_t cls = 3)
        : setup(std::move(s)), data(std::move(d)), dataPresent(present), interfaceClass(cls) {}
    Bytes setup;
    Bytes data;
    bool dataPresent;
    uint8_t interfaceClass;
};

std::string Decode(const Request& r, bool expectHandled = true, bool setupTable = true) {
    PageFixture f;
    const Exact setup(r.setup), data(r.data);
    f.ctx.bytes = setup.span();
    f.ctx.request.data = data.span();
    f.ctx.request.dataPresent = r.dataPresent;
    f.ctx.request.interfaceInfo.known = true;
    f.ctx.request.interfaceInfo.interfaceClass = r.interfaceClass;
    EXPECT_EQ(DecodeHidRequest(f.ctx, setupTable), expectHandled);
    std::string s = f.Take();
    EXPECT_EQ(CheckNesting(s), "");
    return s;
}

TEST(HidClass, ClassRequests) {
    struct Case {
        Bytes setup;
        const char* field;
        size_t nth;
        const char* text;
    } cases[] = {
        {{0x21, 0x0A, 0x00, 0x00, 0, 0, 0, 0}, "wValue.HiByte", 0, "Infinite Idle Rate"},
        {{0x21, 0x0A, 0x00, 0x7D, 0, 0, 0, 0}, "wValue.HiByte", 0, "Idle Rate 0.500 sec"},
        {{0x21, 0x0A, 0x00, 0x01, 0, 0, 0, 0}, "wValue.HiByte", 0, "Idle Rate 0.004 sec"},
        {{0x21, 0x0A, 0x00, 0xFF, 0, 0, 0, 0}, "wValue.HiByte", 0, "Idle Rate 1.020 sec"},
        {{0x21, 0x0A, 0x00, 0xFF, 0, 0, 1, 0}, "wLength", 0, "Should be zero"},
        {{0xA1, 0x01, 0x02, 0x00, 0, 0, 8, 0}, "wValue.HiByte", 0, "Invalid report type"},
        {{0xA1, 0x01, 0x02, 0x03, 0, 0, 8, 0}, "wValue.HiByte", 0, "Feature Report"},
        {{0xA1, 0x01, 0x02, 0x03, 0, 0, 8, 0}, "wValue.LowByte", 0, "Report ID"},
        {{0xA1, 0x01, 0x02, 0x03, 0, 0, 8, 0}, "wLength", 0, "Report Length"},
        {{0x21, 0x09, 0x00, 0x02, 1, 0, 1, 0}, "wValue.HiByte", 0, "Output Report"},
        {{0x21, 0x09, 0x00, 0x02, 1, 0, 1, 0}, "wIndex", 0, "Interface"},
        {{0xA1, 0x02, 0x00, 0x01, 0, 0, 2, 0}, "wValue.HiByte", 0, "Should be zero"},
        {{0xA1, 0x02, 0x00, 0x00, 0, 0, 2, 0}, "wLength", 0, "Should be 1"},
        {{0xA1, 0x03, 0x00, 0x00, 0, 0, 1, 0}, "wLength", 0, "</td>"},
        {{0x21, 0x0B, 0x01, 0x00, 0, 0, 0, 0}, "wValue", 0, "Report Protocol"},
        {{0x21, 0x0B, 0x00, 0x00, 0, 0, 0, 0}, "wValue", 0, "Boot Protocol"},
        {{0x21, 0x0B, 0x02, 0x00, 0, 0, 0, 0}, "wValue", 0, "Invalid protocol value"},
    };
    for (const Case& c : cases) {
        const std::string s = Decode({c.setup});
        EXPECT_NE(RowOf(s, c.field, c.nth).find(c.text), std::string::npos) << c.text << "\n" << s;
    }
    // GET_IDLE sent with 21h: the plain wValue, wIndex and wLength rows.
    const std::string plain = Decode({{0x21, 0x02, 0x00, 0x00, 0, 0, 1, 0}});
    EXPECT_EQ(Count(plain, ">wValue<") + Count(plain, ">wIndex<") + Count(plain, ">wLength<"), 3u) << plain;
    EXPECT_EQ(Count(plain, ">wValue.LowByte<"), 0u);
    // Not HID: another interface class, a vendor request, a standard request
    // that is not a HID class descriptor's.
    Decode({{0x21, 0x0A, 0, 0, 0, 0, 0, 0}, {}, false, 8}, false);
    Decode({{0x41, 0x0A, 0, 0, 0, 0, 0, 0}}, false);
    Decode({{0x81, 0x06, 0, 0x02, 0, 0, 9, 0}}, false);
    Decode({{0x81, 0x06, 0, 0x22, 0, 0}}, false);  // short setup packet
}

TEST(HidClass, DataStages) {
    std::string s = Decode({{0xA1, 0x02, 0x00, 0x00, 0, 0, 1, 0}, {0x7D}, true});
    EXPECT_NE(s.find(">Idle Rate</div>"), std::string::npos) << s;
    EXPECT_NE(RowOf(s, "Idle Rate", 1).find("0.500 sec"), std::string::npos) << s;
    s = Decode({{0xA1, 0x02, 0x00, 0x00, 0, 0, 1, 0}, {0x00}, true}, true, false);  // without the setup table
    EXPECT_NE(RowOf(s, "Idle Rate", 1).find("Infinite"), std::string::npos) << s;
    EXPECT_EQ(s.find(">bmRequestType<"), std::string::npos);
    s = Decode({{0xA1, 0x03, 0x00, 0x00, 0, 0, 1, 0}, {0x01}, true});
    EXPECT_NE(RowOf(s, "Protocol", 1).find("Report Protocol"), std::string::npos) << s;
    s = Decode({{0xA1, 0x03, 0x00, 0x00, 0, 0, 1, 0}, {0x05}, true});
    EXPECT_NE(RowOf(s, "Protocol", 1).find("Invalid protocol value"), std::string::npos) << s;
    s = Decode({{0xA1, 0x03, 0x00, 0x00, 0, 0, 1, 0}, {}, true});
    EXPECT_EQ(s.find(">Protocol</div>"), std::string::npos);
}

TEST(HidClass, GetDescriptorOfClassDescriptors) {
    const Bytes report = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0};
    std::string s = Decode({{0x81, 0x06, 0x00, 0x22, 1, 0, 7, 0}, report, true});
    EXPECT_NE(RowOf(s, "wValue.HiByte").find("Report Descriptor"), std::string::npos) << s;
    EXPECT_NE(RowOf(s, "wLength").find("Descriptor Length"), std::string::npos);
    EXPECT_NE(s.find("<b>Interface 1 HID Report Descriptor</b> Mouse"), std::string::npos) << s;
    // Two bytes of data: the setup table only.
    s = Decode({{0x81, 0x06, 0x00, 0x22, 1, 0, 2, 0}, {0x05, 0x01}, true});
    EXPECT_EQ(s.find("hrddiv1"), std::string::npos) << s;
    // A HID descriptor in the data stage.
    s = Decode({{0x81, 0x06, 0x00, 0x21, 0, 0, 9, 0}, {9, 0x21, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00}, true});
    EXPECT_NE(s.find("<b>HID Descriptor</b>"), std::string::npos) << s;
    // Not one of ours in the data stage: taken back.
    s = Decode({{0x81, 0x06, 0x00, 0x21, 0, 0, 9, 0}, {9, 0x22, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00}, true});
    EXPECT_EQ(s.find("HID Descriptor</b>"), std::string::npos) << s;
    // SET_DESCRIPTOR with OUT data decodes; GET with OUT data does not.
    s = Decode({{0x01, 0x07, 0x00, 0x22, 0, 0, 7, 0}, report, true});
    EXPECT_NE(s.find("hrddiv1"), std::string::npos) << s;
    s = Decode({{0x01, 0x06, 0x00, 0x22, 0, 0, 7, 0}, report, true});
    EXPECT_EQ(s.find("hrddiv1"), std::string::npos) << s;
    // wValue.LowByte: a descriptor set for Physical, else zero.
    s = Decode({{0x81, 0x06, 0x01, 0x23, 0, 0, 9, 0}});
    EXPECT_NE(RowOf(s, "wValue.LowByte").find("Descriptor Set"), std::string::npos) << s;
    s = Decode({{0x81, 0x06, 0x01, 0x22, 0, 0, 9, 0}});
    EXPECT_NE(RowOf(s, "wValue.LowByte").find("Should be zero"), std::string::npos) << s;
    // A standard request to the interface with another recipient byte: plain rows.
    s = Decode({{0x80, 0x06, 0x00, 0x22, 0, 0, 9, 0}});
    EXPECT_EQ(Count(s, ">wValue<"), 1u) << s;
}

// The HID requests of the shared keyboard capture, against tshark's reading
// of the same setup packets (tests/data/hid/keyboard_class_requests.txt, made
// by tools/hid_class_requests_tshark.py).
TEST(HidClass, RealRequestsReadAsTsharkReadsThem) {
    std::ifstream in(BRX_SOURCE_DIR "/tests/data/hid/keyboard_class_requests.txt");
    ASSERT_TRUE(in);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line.substr(0, 60));
        std::istringstream words(line);
        std::string key, setupHex, dataHex, field;
        words >> key >> setupHex >> dataHex;
        std::map<std::string, std::string> tshark;
        while (words >> field) tshark[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
        const Bytes setup = test::FromHex(setupHex);
        const Bytes data = dataHex == "-" ? Bytes{} : test::FromHex(dataHex);
        const std::string s = Decode({setup, data, !data.empty()});
        auto value = [&](const char* name) {
            const std::string row = RowOf(s, name);
            const size_t at = row.find("udval\">");
            return at == std::string::npos ? std::string() : row.substr(at + 7, row.find('<', at) - at - 7);
        };
        char hex[16];
        if (tshark["bRequest"] == "0x0a") {
            const int duration = std::stoi(tshark["Duration"]);
            char text[32];
            if (duration == 0)
                std::snprintf(text, sizeof text, "Infinite Idle Rate");
            else
                std::snprintf(text, sizeof text, "Idle Rate %d.%03d sec", duration * 4 / 1000, duration * 4 % 1000);
            EXPECT_NE(RowOf(s, "wValue.HiByte").find(text), std::string::npos) << s;
        }
        if (tshark["bRequest"] == "0x09") {
            const char* type = HidReportTypeName(std::stoul(tshark["ReportType"]));
            ASSERT_NE(type, nullptr);
            EXPECT_NE(RowOf(s, "wValue.HiByte").find(type), std::string::npos) << s;
        }
        if (tshark["bRequest"] != "-") {
            std::snprintf(hex, sizeof hex, "%02Xh", unsigned(std::stoul(tshark["ReportID"])));
            EXPECT_EQ(value("wValue.LowByte"), hex);
            std::snprintf(hex, sizeof hex, "%04Xh", unsigned(std::stoul(tshark["wIndex"])));
            EXPECT_EQ(value("wIndex"), hex);
        } else {
            EXPECT_EQ(tshark["bDescriptorType"], "0x22");
            EXPECT_NE(RowOf(s, "wValue.HiByte").find("Report Descriptor"), std::string::npos) << s;
            std::snprintf(hex, sizeof hex, "%04Xh", unsigned(std::stoul(tshark["wDescriptorLength"])));
            EXPECT_EQ(value("wLength"), hex);
            const std::string title = "<b>Interface " + tshark["wInterfaceNumber"] + " HID Report Descriptor</b>";
            EXPECT_NE(s.find(title), std::string::npos) << s;
            EXPECT_EQ(data.size(), std::stoul(tshark["wDescriptorLength"]));
            EXPECT_NE(s.find("End Collection"), std::string::npos);
            EXPECT_EQ(s.find("(Cut"), std::string::npos);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

TEST(HidClass, Golden) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(page, "HID requests", sheets));
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    const Bytes hid = {9, 0x21, 0x11, 0x01, 0, 1, 0x22, 0x3F, 0x00};
    ctx.bytes = hid;
    ctx.anchorBase = hid;
    ASSERT_TRUE(RenderHidDescriptor(ctx));
    const Bytes idle = {0x21, 0x0A, 0x00, 0x7D, 0, 0, 0, 0};
    ctx.bytes = idle;
    ctx.request.interfaceInfo.known = true;
    ctx.request.interfaceInfo.interfaceClass = 3;
    ASSERT_TRUE(DecodeHidRequest(ctx));
    const Bytes getReport = {0xA1, 0x01, 0x00, 0x00, 0, 0, 8, 0};
    ctx.bytes = getReport;
    ASSERT_TRUE(DecodeHidRequest(ctx));
    ClosePage(page);
    CheckGoldenPage("hid_class", page.view());
}

} // namespace
} // namespace brx
