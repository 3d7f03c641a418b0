// The CDC and DFU fixtures as tshark reads them (tests/data/class_pages/
// tshark_fields.txt, written by tools/class_pages_tshark.py from captures of
// the same bytes): every field tshark decodes agrees with our rows, except
// the differences listed in kDifferences.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "decode/RequestNames.h"
#include "protocols/CdcDescriptors.h"
#include "protocols/CdcNotifications.h"
#include "protocols/CdcRequests.h"
#include "protocols/DfuPrinter.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/ClassPageTest.h"

namespace brx {
namespace {

using namespace brx::testing;

Bytes FromHex(const std::string& hex) {
    Bytes b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) b.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return b;
}

// The value cell of a row ("0110h").
std::string ValueOf(const std::string& row) {
    const size_t at = row.find("udval\">");
    if (at == std::string::npos) return "";
    return row.substr(at + 7, row.find('<', at) - at - 7);
}
std::string DescriptionOf(const std::string& row) {
    const size_t at = row.find("uddes\">");
    if (at == std::string::npos) return "";
    std::string d = row.substr(at + 7, row.find("</td>", at) - at - 7);
    if (d.starts_with("<span class=\"error\">")) d = d.substr(20, d.size() - 27);
    return d;
}
std::string Hex(unsigned long v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*lXh", digits, v);
    return text;
}
unsigned long Number(const std::string& s) { return std::stoul(s, nullptr, 0); }
std::string Spaced(std::string s) {
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}
std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(uint8_t(c)));
    return s;
}

// Where we read the bytes differently from tshark, and why.
const std::map<std::string, std::string> kDifferences = {
    // Subtypes above 19h are outside our table of functional descriptors.
    {"subtype=NCM Functional Descriptor", "Unknown Functional Descriptor"},
    // NCM requests (80h-8Ah) are outside our table of CDC requests.
    {"request_code=GET NTB PARAMETERS", "Setup Packet"},
};

struct Parsed {
    std::string kind;
    Bytes a, b;
    size_t offset = 0;
    std::vector<std::pair<std::string, std::string>> fields;
};

std::vector<Parsed> Load() {
    std::ifstream in(BRX_SOURCE_DIR "/tests/data/class_pages/tshark_fields.txt");
    std::vector<Parsed> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        Parsed p;
        std::string a, b, f;
        words >> p.kind >> a >> b;
        p.a = FromHex(a);
        if (p.kind == "descriptor")
            p.offset = std::stoul(b);
        else if (b != "-")
            p.b = FromHex(b);
        while (words >> f) p.fields.emplace_back(f.substr(0, f.find('=')), Spaced(f.substr(f.find('=') + 1)));
        out.push_back(p);
    }
    return out;
}

std::string DecodeDescriptor(const Parsed& p) {
    PageFixture f;
    const Exact block(p.a);
    const auto set = block.span();
    size_t ifc = 0;
    for (size_t at = 9; at < p.offset; at += set[at])
        if (set[at + 1] == 4) ifc = at;
    f.ctx.descriptor.configuration = set;
    f.ctx.descriptor.interfaceDescriptor = set.subspan(ifc, 9);
    f.ctx.bytes = set.subspan(p.offset, set[p.offset]);
    f.ctx.anchorBase = set;
    EXPECT_TRUE(set[p.offset + 1] == 0x21 ? DecodeDfuFunctionalDescriptor(f.ctx) : DecodeCdcFunctionalDescriptor(f.ctx));
    return f.Take();
}

std::string DecodeTransfer(const Parsed& p, bool notification) {
    PageFixture f;
    const Exact setup(p.a), data(p.b);
    f.ctx.bytes = setup.span();
    f.ctx.setupAsSent = true;
    f.ctx.request.data = data.span();
    f.ctx.request.dataPresent = !p.b.empty();
    f.ctx.request.completion = true;
    f.ctx.request.interfaceInfo = {true, 0, 2, 2, 1};
    EXPECT_TRUE(notification ? DecodeCdcNotification(f.ctx) : DecodeCdcRequest(f.ctx));
    return f.Take();
}

// Our row name of a bmEthernetStatistics bit tshark names `key`.
std::string EthernetBitName(std::string key) {
    if (key == "rvc_ok") key = "rcv_ok"; // tshark's field name has the letters swapped
    for (uint32_t bit = 0; bit < 29; ++bit) {
        std::string ours = Lower(CdcEthernetStatisticName(bit));
        std::replace(ours.begin(), ours.end(), ' ', '_');
        if (ours == key) return CdcEthernetStatisticName(bit);
    }
    return "";
}

TEST(ClassPagesTshark, FieldsAgree) {
    const std::vector<Parsed> all = Load();
    ASSERT_EQ(all.size(), 28u);
    size_t compared = 0, differences = 0;
    for (const Parsed& p : all) {
        SCOPED_TRACE(p.kind + " " + std::to_string(p.offset) + " " + (p.fields.empty() ? "" : p.fields[0].second));
        const bool descriptor = p.kind == "descriptor";
        const std::string s = descriptor ? DecodeDescriptor(p) : DecodeTransfer(p, p.kind == "notification");
        const bool dfu = descriptor && p.a[p.offset + 1] == 0x21;
        std::map<std::string, size_t> seen;
        for (const auto& [key, value] : p.fields) {
            SCOPED_TRACE(key + "=" + value);
            const size_t nth = seen[key]++;
            const auto diff = kDifferences.find(key + "=" + value);
            auto expectRowValue = [&](const char* field, const std::string& expected) {
                EXPECT_EQ(ValueOf(RowOf(s, field)), expected) << s;
            };
            auto expectBit = [&](const char* name, bool set, const char* ifSet, const char* ifClear) {
                const std::string row = BitRowOf(s, name);
                ASSERT_NE(row, "") << s;
                const char* text = set ? ifSet : ifClear;
                if (text) {
                    EXPECT_EQ(DescriptionOf(row), text);
                } else {
                    EXPECT_EQ(row.find("uddes"), std::string::npos) << row;
                }
            };
            ++compared;
            if (diff != kDifferences.end()) {
                EXPECT_TRUE(Has(s, diff->second)) << s;
                ++differences;
            } else if (key == "subtype") {
                EXPECT_TRUE(Has(s, "<b>" + value + "</b>")) << s;
            } else if (key == "request_code" || key == "response_code" || key == "notification_code") {
                EXPECT_TRUE(Has(Lower(s), "uddiv6\">" + Lower(value) + "<")) << s;
            } else if (key == "value" || key == "index" || key == "length") {
                const char* field = key == "value" ? "wValue" : key == "index" ? "wIndex" : "wLength";
                expectRowValue(field, Hex(Number(value), 4));
            } else if (key == "cdc") {
                expectRowValue("bcdCDC", Hex(Number(value), 4));
            } else if (key == "capabilities") {
                expectRowValue("bmCapabilities", Hex(Number(value), 2));
            } else if (key == "cm.data_interface") {
                expectRowValue("bDataInterface", Hex(Number(value), 2));
            } else if (key == "control_interface") {
                expectRowValue("bControlInterface", Hex(Number(value), 2));
            } else if (key == "subordinate_interface") {
                expectRowValue(("bSubordinateInterface" + std::to_string(nth)).c_str(), Hex(Number(value), 2));
            } else if (key == "cm.capabilities.reserved" || key == "acm.capabilities.reserved") {
                EXPECT_FALSE(HasError(BitRowOf(s, "Reserved"), "Reserved, should be zero"));
                EXPECT_EQ(Number(value), 0u);
            } else if (key == "cm.capabilities.call_management") {
                expectBit("Call Management", value == "1", "Handles call management itself",
                          "Does not handle call management itself");
            } else if (key == "cm.capabilities.call_management_over_data_class_interface") {
                expectBit("Data Ifc Usage", value == "1", "Call management over Data Ifc",
                          "Call management only over Comm Ifc");
            } else if (key == "acm.capabilities.network_connection") {
                expectBit("Connection", value == "1", "Network Connection notification supported", nullptr);
            } else if (key == "acm.capabilities.send_break") {
                expectBit("Send Break", value == "1", "Send Break request supported", nullptr);
            } else if (key == "acm.capabilities.line_and_state") {
                expectBit("Line Coding", value == "1", "Line Coding requests and Serial State notification supported",
                          nullptr);
            } else if (key == "acm.capabilities.comm_features") {
                expectBit("Comm Features", value == "1", "Set/Clear/Get Comm Feature requests supported", nullptr);
            } else if (key == "ecm.mac_address") {
                expectRowValue("iMACAddress", Hex(Number(value), 2));
            } else if (key == "ecm.eth_stats") {
                expectRowValue("bmEthernetStatistics", Hex(Number(value), 8));
            } else if (key.starts_with("ecm.eth_stats.") &&
                       ValueOf(RowOf(s, "bmEthernetStatistics")) == "00000000h") {
                // No statistics: one row says so, where tshark lists each bit.
                EXPECT_EQ(Number(value), 0u);
                EXPECT_EQ(DescriptionOf(RowOf(s, "bmEthernetStatistics")), "Get Ethernet Statistic request not supported");
            } else if (key == "ecm.eth_stats.reserved") {
                // tshark: bits 31-29 as one number; ours: one row each, highest first.
                for (size_t k = 0; k < 3; ++k)
                    EXPECT_EQ(DescriptionOf(BitRowOf(s, "Reserved", k)), (Number(value) >> (2 - k)) & 1 ? "Supported" : "");
            } else if (key.starts_with("ecm.eth_stats.")) {
                const std::string name = EthernetBitName(key.substr(14));
                ASSERT_NE(name, "");
                expectBit(name.c_str(), value == "1", "Supported", nullptr);
            } else if (key == "ecm.max_segment_size") {
                EXPECT_EQ(DescriptionOf(RowOf(s, "wMaxSegmentSize")), value + " bytes");
            } else if (key == "ecm.nb_mc_filters") {
                expectRowValue("wNumberMCFilters", Hex(Number(value), 4));
            } else if (key == "ecm.nb_mc_filters.mc_address_filtering") {
                expectBit("Hashing", value == "1", "Imperfect multicast address filtering (hashing)",
                          "Perfect multicast address filtering (no hashing)");
            } else if (key == "ecm.nb_mc_filters.nb_filters_supported") {
                EXPECT_EQ(DescriptionOf(BitRowOf(s, "MC Filters")),
                          value == "0" ? "Set Ethernet Multicast Filters request not supported" : value);
            } else if (key == "ecm.nb_power_filters") {
                expectRowValue("bNumberPowerFilters", Hex(Number(value), 2));
            } else if (key == "payload") {
                // tshark leaves the body undecoded; we decode OBEX's version
                // and show NCM's as the raw table: the same bytes either way.
                std::string hex = value;
                hex.erase(std::remove(hex.begin(), hex.end(), ':'), hex.end());
                EXPECT_EQ(hex, [&] {
                    std::string h;
                    char b[3];
                    for (size_t i = 3; i < p.a[p.offset]; ++i) {
                        std::snprintf(b, sizeof b, "%02x", p.a[p.offset + i]);
                        h += b;
                    }
                    return h;
                }());
                if (p.a[p.offset + 2] == 0x15) {
                    EXPECT_EQ(DescriptionOf(RowOf(s, "bcdVersion")), "1.00");
                }
            } else if (dfu && key.starts_with("bmAttributes.") && key != "bmAttributes.reserved") {
                const std::string bit = key.substr(13);
                const std::string ours = bit == "CanDownload" ? "bitCanDnload" : "bit" + bit;
                const std::string row = BitRowOf(s, ours);
                if (row.empty() && ours == "bitWillDetach" && p.a[p.offset] == 7) {
                    // A 7-byte (DFU 1.0) descriptor has no bitWillDetach:
                    // we leave bit 3 to the Reserved row, tshark reads it.
                    ++differences;
                    EXPECT_EQ(value, "0");
                } else {
                    EXPECT_EQ(DescriptionOf(row), value == "1" ? "Yes" : "No") << s;
                }
            } else if (dfu && key == "bmAttributes.reserved") {
                EXPECT_NE(BitRowOf(s, "Reserved"), "");
            } else if (dfu && key == "wDetachTimeOut") {
                EXPECT_EQ(DescriptionOf(RowOf(s, "wDetachTimeOut")), value + " ms");
            } else if (dfu && key == "wTransferSize") {
                EXPECT_EQ(DescriptionOf(RowOf(s, "wTransferSize")), value + (value == "1" ? " byte" : " bytes"));
            } else if (dfu && key == "bcdDFUVersion") {
                expectRowValue("bcdDFUVersion", Hex(Number(value), 4));
            } else {
                ADD_FAILURE() << "field without a comparison";
            }
        }
    }
    EXPECT_GT(compared, 100u);
    EXPECT_EQ(differences, 3u);
}

} // namespace
} // namespace brx
