// Every control transfer of the shared real captures through the control
// setup dispatch, checked against tshark's reading of the same transfer
// (tests/data/details/control_transfers.txt, written by
// tools/control_tshark_fixtures.py): request fields, descriptor fields and
// hub port status bits agree, and all transfers together make a golden page.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "decode/ControlDispatch.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "base/Markup.h"
#include "decode/SetupRows.h"
#include "protocols/ClassDecoders.h"
#include "tests/decode/PageRows.h"
#include "tests/decode/PageTest.h"

using namespace brx;
using namespace brx::testing;

namespace {

struct Transfer {
    std::string capture;
    int setupFrame = 0, completionFrame = 0;
    std::vector<uint8_t> setup, data;
    int interfaceClass = -1;
    std::map<std::string, std::vector<std::string>> fields;
};

std::vector<uint8_t> Hex(const std::string& s) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<std::string> Split(const std::string& s, char by) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, by)) out.push_back(part);
    if (!s.empty() && s.back() == by) out.push_back("");
    return out;
}

std::vector<Transfer> LoadTransfers() {
    std::ifstream in(std::string(BRX_SOURCE_DIR) + "/tests/data/details/control_transfers.txt");
    std::vector<Transfer> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto cells = Split(line, '|');
        if (cells.size() < 7) continue;
        Transfer t;
        t.capture = cells[0];
        t.setupFrame = std::stoi(cells[1]);
        t.completionFrame = std::stoi(cells[2]);
        t.setup = Hex(cells[3]);
        t.data = Hex(cells[4]);
        t.interfaceClass = std::stoi(cells[5]);
        for (const std::string& f : Split(cells[6], ';')) {
            const size_t eq = f.find('=');
            if (eq != std::string::npos) t.fields[f.substr(0, eq)] = Split(f.substr(eq + 1), ',');
        }
        out.push_back(t);
    }
    return out;
}

// The transfer's page part as the data-analysis page writes it at completion.
void DecodeTransfer(DECODE_CONTEXT& ctx, const Transfer& t) {
    ctx.bytes = t.setup;
    ctx.setupAsSent = true;
    ctx.request.data = t.data;
    ctx.request.dataPresent = true;
    ctx.request.completion = true;
    // Every device of these captures is a USB 2.0 (or 1.1) device.
    ctx.request.version = 0x0200;
    ctx.request.interfaceInfo.known = t.interfaceClass >= 0;
    ctx.request.interfaceInfo.interfaceClass = static_cast<uint8_t>(t.interfaceClass < 0 ? 0 : t.interfaceClass);
    ctx.classDecoders = &kClassDecoders;
    ctx.anchorBase = {};
    ++ctx.anchorSet;
}

int64_t Number(const std::string& text) { return static_cast<int64_t>(std::stoll(text, nullptr, 0)); }

// The numbers of the rows named `name`, in page order.
std::vector<int64_t> Values(const std::vector<PageRow>& rows, const std::string& name) {
    std::vector<int64_t> out;
    for (const PageRow& r : RowsNamed(rows, name)) out.push_back(CellNumber(r.value));
    return out;
}

// A setup word, whole or as its two byte rows.
int64_t SetupWord(const std::vector<PageRow>& rows, const std::string& name) {
    const auto whole = Values(rows, name);
    if (!whole.empty()) return whole[0];
    const auto low = Values(rows, name + ".LowByte"), high = Values(rows, name + ".HiByte");
    if (low.empty() || high.empty()) return -1;
    return low[0] | (high[0] << 8);
}

bool IsSubsequence(const std::vector<int64_t>& expected, const std::vector<int64_t>& actual) {
    size_t at = 0;
    for (int64_t v : actual)
        if (at < expected.size() && v == expected[at]) ++at;
    return at == expected.size();
}

// The bit of a bit row's pattern ("........ .......1").
int BitOf(const PageRow& row, int bit) {
    std::string bits;
    for (char c : row.value)
        if (c == '0' || c == '1' || c == '.') bits.push_back(c);
    const size_t at = bits.size() - 1 - static_cast<size_t>(bit);
    return at < bits.size() && bits[at] != '.' ? bits[at] - '0' : -1;
}

TEST(ControlTransfers, EveryTransferOfTheCapturesAgreesWithTshark) {
    const std::vector<Transfer> transfers = LoadTransfers();
    ASSERT_GE(transfers.size(), 70u);
    size_t compared = 0;
    struct Field {
        const char* tshark;
        const char* row;
    };
    static const Field kDescriptorFields[] = {
        {"usb.bLength", "bLength"}, {"usb.bDescriptorType", "bDescriptorType"}, {"usb.bcdUSB", "bcdUSB"},
        {"usb.bDeviceClass", "bDeviceClass"}, {"usb.bMaxPacketSize0", "bMaxPacketSize0"}, {"usb.idVendor", "idVendor"},
        {"usb.idProduct", "idProduct"}, {"usb.bcdDevice", "bcdDevice"}, {"usb.bNumConfigurations", "bNumConfigurations"},
        {"usb.wTotalLength", "wTotalLength"}, {"usb.bNumInterfaces", "bNumInterfaces"},
        {"usb.bConfigurationValue", "bConfigurationValue"}, {"usb.bMaxPower", "bMaxPower"},
        {"usb.bInterfaceNumber", "bInterfaceNumber"}, {"usb.bAlternateSetting", "bAlternateSetting"},
        {"usb.bNumEndpoints", "bNumEndpoints"}, {"usb.bInterfaceClass", "bInterfaceClass"},
        {"usb.bInterfaceSubClass", "bInterfaceSubClass"}, {"usb.bInterfaceProtocol", "bInterfaceProtocol"},
        {"usb.bEndpointAddress", "bEndpointAddress"}, {"usb.wMaxPacketSize", "wMaxPacketSize"},
        {"usb.bInterval", "bInterval"}, {"usb.setup.wStatus", "Status"},
    };
    struct Bit {
        const char* tshark;
        const char* row;
        int bit;
    };
    static const Bit kPortBits[] = {
        {"usbhub.status.port.connection", "0: Current Connect Status", 0},
        {"usbhub.status.port.enable", "1: Port Enabled/Disabled", 1},
        {"usbhub.status.port.suspend", "2: Suspend", 2},
        {"usbhub.status.port.overcurrent", "3: Over-Current", 3},
        {"usbhub.status.port.reset", "4: Reset", 4},
        {"usbhub.status.port.power", "8: Port Power", 8},
        {"usbhub.status.port.low_speed", "9: Low-Speed Device Attached", 9},
        {"usbhub.status.port.high_speed", "10: High-Speed Device Attached", 10},
        {"usbhub.status.port.test", "11: Port Test Mode", 11},
        {"usbhub.status.port.indicator", "12: Port Indicator Control", 12},
        {"usbhub.change.port.connection", "0: Connect Status Change", 0},
        {"usbhub.change.port.enable", "1: Port Enable/Disable Change", 1},
    };
    for (const Transfer& t : transfers) {
        SCOPED_TRACE(t.capture + " frame " + std::to_string(t.setupFrame));
        PageFixture f(0x40000);
        DecodeTransfer(f.ctx, t);
        ASSERT_TRUE(DecodeControlSetup(f.ctx));
        EXPECT_EQ(CheckNesting(f.page.view()), "");
        const auto rows = ParseRows(f.page.view());
        auto field = [&](const char* a, const char* b = nullptr) -> const std::vector<std::string>* {
            auto it = t.fields.find(a);
            if (it == t.fields.end() && b) it = t.fields.find(b);
            return it == t.fields.end() ? nullptr : &it->second;
        };
        // The request.
        if (auto v = field("usb.bmRequestType")) {
            EXPECT_EQ(Values(rows, "bmRequestType").at(0), Number(v->at(0)));
            ++compared;
        }
        if (auto v = field("usb.setup.bRequest", "usbhub.setup.bRequest")) {
            EXPECT_EQ(Values(rows, "bRequest").at(0), Number(v->at(0)));
            ++compared;
        }
        for (const char* word : {"wValue", "wIndex", "wLength"}) {
            const std::string a = std::string("usb.setup.") + word, b = std::string("usbhub.setup.") + word;
            if (auto v = field(a.c_str(), b.c_str())) {
                EXPECT_EQ(SetupWord(rows, word), Number(v->at(0))) << word;
                ++compared;
            }
        }
        // The descriptors (and device status) of standard requests: tshark's
        // values appear in the page's rows in order.
        const bool standard = (t.setup[0] & 0x60) == 0;
        for (const Field& d : kDescriptorFields) {
            if (!standard) break;
            auto v = field(d.tshark);
            if (!v) continue;
            std::vector<int64_t> expected;
            for (const std::string& s : *v) expected.push_back(Number(s));
            const std::string name = d.tshark;
            if (name == "usb.bInterfaceClass" && !field("usb.bInterfaceNumber")) continue; // tshark's context, not a descriptor
            if (name == "usb.bEndpointAddress") {
                // tshark also reads the endpoint addresses inside class-specific
                // descriptors (video streaming headers), which the page shows
                // as bytes: the endpoint descriptors' addresses are among them.
                const auto types = field("usb.bDescriptorType");
                const auto endpoints = static_cast<size_t>(std::count(types->begin(), types->end(), "0x05"));
                const auto ours = Values(rows, d.row);
                EXPECT_EQ(ours.size(), endpoints);
                EXPECT_TRUE(IsSubsequence(ours, expected));
                compared += ours.size();
                continue;
            }
            EXPECT_TRUE(IsSubsequence(expected, Values(rows, d.row))) << d.tshark;
            compared += expected.size();
        }
        if (standard && (field("usb.configuration.bmAttributes") || field("usb.bmAttributes"))) {
            std::vector<int64_t> expected;
            for (const char* name : {"usb.configuration.bmAttributes", "usb.bmAttributes"})
                if (auto v = field(name))
                    for (const std::string& s : *v) expected.push_back(Number(s));
            EXPECT_TRUE(IsSubsequence(expected, Values(rows, "bmAttributes")));
            compared += expected.size();
        }
        if (auto v = field("usb.bString")) {
            const std::string quoted = "\"" + v->at(0) + "\"";
            bool found = false;
            for (const PageRow& r : RowsNamed(rows, "bString")) found = found || r.description == quoted;
            EXPECT_TRUE(found) << quoted;
            ++compared;
        }
        // Hub port status: the two words and their bits.
        if (auto v = field("usbhub.status.port")) {
            const auto status = Values(rows, "Status");
            ASSERT_EQ(status.size(), 2u);
            EXPECT_EQ(status[0], Number(v->at(0)));
            EXPECT_EQ(status[1], Number(field("usbhub.change.port")->at(0)));
            compared += 2;
            for (const Bit& b : kPortBits) {
                const auto expected = field(b.tshark);
                if (!expected) continue;
                const auto named = RowsNamed(rows, b.row);
                ASSERT_EQ(named.size(), 1u) << b.row;
                EXPECT_EQ(BitOf(named[0], b.bit), Number(expected->at(0))) << b.tshark;
                ++compared;
            }
        }
    }
    // The comparison covers the captures, not a handful of rows.
    EXPECT_GE(compared, 900u);
}

TEST(ControlTransfers, EveryCutOfSetupAndDataStaysInItsBytes) {
    // Each transfer's setup packet and data stage cut at every length, each in
    // a block of exactly that size (ASan catches a read past it).
    for (const Transfer& t : LoadTransfers()) {
        SCOPED_TRACE(t.capture + " frame " + std::to_string(t.setupFrame));
        for (size_t n = 0; n <= t.data.size() + 8; ++n) {
            const size_t setupSize = n < 8 ? n : 8;
            const size_t dataSize = n < 8 ? t.data.size() : n - 8;
            auto setup = std::make_unique<uint8_t[]>(setupSize + 1);
            auto data = std::make_unique<uint8_t[]>(dataSize + 1);
            if (setupSize != 0) std::memcpy(setup.get(), t.setup.data(), setupSize);
            if (dataSize != 0) std::memcpy(data.get(), t.data.data(), dataSize);
            PageFixture f(0x40000);
            DecodeTransfer(f.ctx, t);
            f.ctx.bytes = std::span<const uint8_t>(setup.get(), setupSize);
            f.ctx.request.data = std::span<const uint8_t>(data.get(), dataSize);
            EXPECT_EQ(DecodeControlSetup(f.ctx), setupSize != 0);
            EXPECT_EQ(f.ctx.divisionDepth, 0);
            EXPECT_EQ(CheckNesting(f.page.view()), "");
        }
    }
}

TEST(ControlTransfers, TheCapturesMakeOneGoldenPage) {
    PageBuffer page;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, "Control transfers of the shared captures", sheets);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    for (const Transfer& t : LoadTransfers()) {
        const std::string heading = t.capture + ", frames " + std::to_string(t.setupFrame) + "/" + std::to_string(t.completionFrame);
        WriteDescriptorAnchorTitle(ctx, nullptr, MarkupText(heading));
        DecodeTransfer(ctx, t);
        EXPECT_TRUE(DecodeControlSetup(ctx));
    }
    EXPECT_EQ(ctx.divisionDepth, 0);
    ClosePage(page);
    EXPECT_FALSE(page.full());
    EXPECT_EQ(CheckNesting(page.view()), "");
    CheckGoldenPage("capture_control_transfers", page.view());
}

} // namespace
