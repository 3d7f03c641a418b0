// SCSI data stages on the data-analysis page: the dispatch by pending
// command (and by the pending CDB's fields), and the SPC and SBC parameter
// data decoders over emulators' replies, their length rules and their
// captured texts. Also writes the fuzzer's seeds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "protocols/ScsiData.h"
#include "protocols/ScsiSpcData.h"
#include "tests/CorpusSeeds.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/MscPage.h"
#include "tests/protocols/ScsiFixtures.h"

using namespace brx;
using namespace brx::testing;

namespace {

bool Has(const std::string& html, std::string_view what) { return html.find(what) != std::string::npos; }

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t n) {
    bytes.resize(n);
    return bytes;
}

std::string Data(const MscStage& s) {
    const MscRender r = RenderStage(s);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(CheckNesting(r.html), "") << r.html;
    return r.html;
}

size_t Rows(const std::string& html, const char* field) {
    return Count(html, "<td class=\"udfld\"><nobr>" + std::string(field) + "</nobr></td>");
}

TEST(ScsiDataDispatch, WhatWritesNothing) {
    const std::vector<uint8_t> block(512, 0x5A);
    struct Case {
        const char* what;
        MscStage stage;
    } cases[] = {
        {"READ(10)", DataStage(block, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0})},
        {"WRITE(10)", DataStage(block, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0})},
        {"READ(6)", DataStage(block, {0x08, 0, 0, 0, 1, 0})},
        {"READ(12)", DataStage(block, {0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0})},
        {"READ(16)", DataStage(block, {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0})},
        {"SEND KEY of a disk", DataStage(block, {0xA3, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0x01, 0}, 1)},
        {"SERVICE ACTION IN other than 10h", DataStage(QemuReadCapacity16(), {0x9E, 0x11})},
        {"READ CAPACITY(16) data without its CDB", DataStage(QemuReadCapacity16(), {0x9E, 0x10}, 1, false)},
        {"SECURITY PROTOCOL IN of protocol 1", DataStage(SupportedSecurityProtocols(), {0xA2, 0x01, 0, 0})},
        {"unknown opcode", DataStage(block, {0xC5, 0})},
        {"mode sense data shorter than its header", DataStage({0x03, 0, 0}, {0x1A, 0, 0x3F, 0, 0xFF, 0})},
        {"sense data in descriptor format", DataStage({0x72, 0, 5, 0, 0, 0, 0, 0, 0x24, 0, 0, 0, 0, 0}, {0x03})},
        {"sense data of 13 bytes", DataStage(Cut(QemuSenseInvalidField(), 13), {0x03})},
        {"VPD page whose byte 1 differs", DataStage(QemuVpdSerial(), {0x12, 1, 0x83, 0, 0xFF, 0})},
        {"VPD page without a decoder", DataStage({0, 0xB0, 0, 4, 0, 0, 0, 0}, {0x12, 1, 0xB0, 0, 0xFF, 0})},
        {"READ CAPACITY(10) of 7 bytes", DataStage({0, 0, 0, 0, 0, 0, 2}, {0x25})},
        {"REPORT LUNS of 7 bytes", DataStage({0, 0, 0, 8, 0, 0, 0}, {0xA0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Data(c.stage), "");
    }
}

TEST(ScsiDataDispatch, TableRowsAndTheirKinds) {
    EXPECT_NE(FindScsiDataDecoder(0x12, 1), nullptr);
    EXPECT_EQ(FindScsiDataDecoder(0x28, 1), nullptr);
    EXPECT_EQ(FindScsiDataDecoder(0x01, 1), nullptr);
    EXPECT_EQ(FindScsiDataDecoder(0xA3, 1), nullptr);  // SEND KEY: optical drives only
    EXPECT_NE(FindScsiDataDecoder(0xA3, 3), nullptr);
    EXPECT_EQ(FindScsiDataDecoder(0x00, 2), FindScsiDataDecoder(0x88, 3));  // no data to show
}

TEST(ScsiData, InquiryStandardData) {
    std::string html = Data(DataStage(QemuInquiry(), {0x12, 0, 0, 0, 36, 0}));
    EXPECT_EQ(FindRow(html, "Vendor Identification")->value, "\"QEMU\"");
    EXPECT_EQ(FindRow(html, "Product Identification")->value, "\"QEMU HARDDISK\"");
    EXPECT_EQ(FindRow(html, "Product Revision Level")->value, "\"2.5+\"");
    EXPECT_EQ(FindRow(html, "Removable Medium (RMB)")->description, "Not removable");
    EXPECT_EQ(FindRow(Data(DataStage(GadgetInquiry(), {0x12, 0, 0, 0, 36, 0})), "Removable Medium (RMB)")->description,
              "Removable");
    // Without its CDB a VPD page is taken as standard data.
    html = Data(DataStage(QemuVpdSerial(), {0x12, 1, 0x80, 0, 0xFF, 0}, 1, false));
    EXPECT_TRUE(Has(html, "Standard Inquiry Data"));
    // 5 to 35 bytes: the four rows up to Version.
    for (size_t n : {5, 20, 35}) {
        SCOPED_TRACE(n);
        html = Data(DataStage(Cut(QemuInquiry(), n), {0x12, 0, 0, 0, 36, 0}));
        EXPECT_TRUE(FindRow(html, "Version"));
        EXPECT_FALSE(FindRow(html, "Vendor Identification"));
    }
    EXPECT_EQ(Data(DataStage({0, 0, 5, 2}, {0x12, 0, 0, 0, 36, 0})), "");
}

TEST(ScsiData, CapturedTextsAreEscaped) {
    const std::string html = Data(DataStage(MarkupInquiry(), {0x12, 0, 0, 0, 36, 0}));
    EXPECT_FALSE(Has(html, "<script"));
    EXPECT_FALSE(Has(html, "<b>&"));
    EXPECT_EQ(FindRow(html, "Vendor Identification")->value, "\"&lt;b&gt;&amp;&quot;x&quot;&lt;\"");
    EXPECT_EQ(FindRow(html, "Product Identification")->value, "\"script&gt;alert(1)&lt;\"");
    EXPECT_EQ(FindRow(html, "Product Revision Level")->value, "\"/scr\"");
    // Serial numbers and vendor identifiers too.
    std::vector<uint8_t> serial = {0, 0x80, 0, 8};
    for (char ch : std::string("<i>&\"\x01\x7f")) serial.push_back(static_cast<uint8_t>(ch));
    const std::string s = Data(DataStage(serial, {0x12, 1, 0x80, 0, 0xFF, 0}));
    EXPECT_EQ(FindRow(s, "Product Serial Number")->value, "\"&lt;i&gt;&amp;&quot;..\"");
    const std::string t = Data(DataStage(T10VendorDeviceIdentification(), {0x12, 1, 0x83, 0, 0xFF, 0}));
    EXPECT_EQ(FindRow(t, "T10 Vendor Identification")->value, "\"LIO-ORG\"");
    EXPECT_EQ(FindRow(t, "Vendor Specific Identifier")->value, "\"disk0-&lt;sn&gt;&amp;1\"");
}

TEST(ScsiData, VitalProductDataPages) {
    std::string html = Data(DataStage(QemuVpdSupportedPages(), {0x12, 1, 0, 0, 0xFF, 0}));
    EXPECT_EQ(Rows(html, "Supported Page"), 5u);
    // The list is bounded by the bytes held and by 32.
    std::vector<uint8_t> many = {0, 0, 0, 0xFF};
    many.resize(4 + 40, 0x80);
    EXPECT_EQ(Rows(Data(DataStage(many, {0x12, 1, 0, 0, 0xFF, 0})), "Supported Page"), 32u);
    many.resize(4 + 7);
    EXPECT_EQ(Rows(Data(DataStage(many, {0x12, 1, 0, 0, 0xFF, 0})), "Supported Page"), 7u);

    html = Data(DataStage(QemuVpdSerial(), {0x12, 1, 0x80, 0, 0xFF, 0}));
    EXPECT_EQ(FindRow(html, "Product Serial Number")->value, "\"QM00001\"");
    // Leading spaces are skipped; only spaces leave an empty text; no bytes, no row.
    html = Data(DataStage({0, 0x80, 0, 4, ' ', ' ', ' ', ' '}, {0x12, 1, 0x80, 0, 0xFF, 0}));
    EXPECT_EQ(FindRow(html, "Product Serial Number")->value, "\"\"");
    html = Data(DataStage({0, 0x80, 0, 9, ' ', ' ', 'A', 'B'}, {0x12, 1, 0x80, 0, 0xFF, 0}));
    EXPECT_EQ(FindRow(html, "Product Serial Number")->value, "\"AB\"");
    EXPECT_FALSE(FindRow(Data(DataStage({0, 0x80, 0, 0}, {0x12, 1, 0x80, 0, 0xFF, 0})), "Product Serial Number"));

    html = Data(DataStage(QemuVpdDeviceIdentification(), {0x12, 1, 0x83, 0, 0xFF, 0}));
    EXPECT_EQ(Count(html, "Identification Descriptor</div>"), 2u);
    EXPECT_EQ(FindRow(html, "Page Length")->description, "23 bytes");
    EXPECT_FALSE(FindRow(html, "T10 Vendor Identification"));  // types 0 and 3 show no identifier
    // A descriptor that does not fit whole ends the walk.
    std::vector<uint8_t> cut = QemuVpdDeviceIdentification();
    cut.resize(cut.size() - 1);
    EXPECT_EQ(Count(Data(DataStage(cut, {0x12, 1, 0x83, 0, 0xFF, 0})), "Identification Descriptor</div>"), 1u);
    // A control byte in the vendor-specific part: a hex dump instead of text.
    html = Data(DataStage(T10VendorDeviceIdentification(0x1F), {0x12, 1, 0x83, 0, 0xFF, 0}));
    EXPECT_TRUE(Has(FindRow(html, "Vendor Specific Identifier")->value, "1F&nbsp;"));
}

TEST(ScsiData, SenseData) {
    std::vector<uint8_t> sense = QemuSenseMediumNotPresent();
    std::string html = Data(DataStage(sense, {0x03, 0, 0, 0, 18, 0}));
    EXPECT_EQ(FindRow(html, "Sense Key")->value, "2h");
    EXPECT_EQ(FindRow(html, "Sense Key")->description, "Not Ready");
    EXPECT_EQ(FindRow(html, "ASC and ASCQ")->value, "3Ah&nbsp;00h");
    EXPECT_TRUE(Has(FindRow(html, "ASC and ASCQ")->description, "Medium not Present"));
    EXPECT_EQ(FindRow(html, "Additional Sense Length")->description, "10 bytes");
    EXPECT_TRUE(FindRow(html, "Field Replaceable Unit Code"));
    sense.resize(14);
    html = Data(DataStage(sense, {0x03, 0, 0, 0, 18, 0}));
    EXPECT_TRUE(FindRow(html, "ASC and ASCQ"));
    EXPECT_FALSE(FindRow(html, "Field Replaceable Unit Code"));
    sense.resize(17);
    EXPECT_FALSE(FindRow(Data(DataStage(sense, {0x03, 0, 0, 0, 18, 0})), "Sense-Key Specific Valid (SKSV)"));
    sense = QemuSenseInvalidField();
    sense[0] = 0xF1;  // deferred error, information valid
    html = Data(DataStage(sense, {0x03, 0, 0, 0, 18, 0}));
    EXPECT_EQ(FindRow(html, "Response Code")->value, "71h");
    EXPECT_EQ(FindRow(html, "Information Field Valid (Valid)")->value, "1b");
}

TEST(ScsiData, CapacitiesAndLuns) {
    std::string html = Data(DataStage(QemuReadCapacity10(), {0x25}));
    EXPECT_EQ(FindRow(html, "Logical Block Address")->description, "2097151");
    EXPECT_EQ(FindRow(html, "Block Length")->description, "512 bytes");
    html = Data(DataStage({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 8, 0}, {0x25}));
    EXPECT_EQ(FindRow(html, "Logical Block Address")->description, "");
    html = Data(DataStage({0x80, 0, 0, 0, 0, 0, 8, 0}, {0x25}));
    EXPECT_EQ(FindRow(html, "Logical Block Address")->description, "2147483648");

    html = Data(DataStage(QemuReadCapacity16(), {0x9E, 0x10}));
    EXPECT_EQ(FindRow(html, "Returned Logical Block Address")->description, "2097151");
    EXPECT_EQ(FindRow(html, "Thin Provisioning Enabled (TPE)")->value, "1b");
    EXPECT_EQ(FindRow(html, "Logical Blocks per Physical Block Exponent")->value, "3h");
    std::vector<uint8_t> ones = QemuReadCapacity16();
    std::fill(ones.begin(), ones.begin() + 8, 0xFF);
    EXPECT_EQ(FindRow(Data(DataStage(ones, {0x9E, 0x10})), "Returned Logical Block Address")->description, "");
    ones.resize(31);
    EXPECT_EQ(Data(DataStage(ones, {0x9E, 0x10})), "");

    html = Data(DataStage(GadgetFormatCapacities(), {0x23}));
    EXPECT_EQ(FindRow(html, "Number of Blocks")->description, "2048");
    EXPECT_EQ(FindRow(html, "Descriptor Type")->value, "10b");
    EXPECT_EQ(FindRow(html, "Block Length")->description, "512 bytes");
    // A list shorter than a descriptor: the header alone (and not decoded).
    const MscRender header = RenderStage(DataStage({0, 0, 0, 4, 0, 0, 0, 1}, {0x23}));
    EXPECT_TRUE(Has(header.html, "Capacity List Header"));
    EXPECT_FALSE(Has(header.html, "Current/Maximum"));
    // Formattable descriptors: at most 32, each whole.
    std::vector<uint8_t> list = {0, 0, 0, 0xF8};
    list.resize(4 + 0xF8 + 16, 0x01);
    EXPECT_EQ(Count(Data(DataStage(list, {0x23})), "Formattable Capacity Descriptor</div>"), 30u);

    html = Data(DataStage(QemuReportLuns(), {0xA0}));
    EXPECT_EQ(Rows(html, "LUN #0") + Rows(html, "LUN #1"), 2u);
    EXPECT_EQ(FindRow(html, "LUN #1")->value, "0001000000000000h");
    EXPECT_EQ(FindRow(html, "LUN #1")->description, "281474976710656");
    // 2048 bytes of list with 2056 captured: 128 entries.
    std::vector<uint8_t> luns(2056, 0);
    luns[2] = 0x08;
    html = Data(DataStage(luns, {0xA0}));
    EXPECT_TRUE(FindRow(html, "LUN #127"));
    EXPECT_FALSE(FindRow(html, "LUN #128"));
    // A list length beyond the bytes held is cut to them.
    luns.assign(8 + 20, 0);
    luns[3] = 0xFF;
    EXPECT_EQ(Count(Data(DataStage(luns, {0xA0})), "LUN #"), 2u);
}

TEST(ScsiData, SecurityProtocolsAndFormatUnit) {
    std::string html = Data(DataStage(SupportedSecurityProtocols(), {0xA2, 0, 0, 0}));
    EXPECT_EQ(Rows(html, "Supported Security Protocol"), 3u);
    // The list stops at a zero after the first entry, and at the bytes held.
    html = Data(DataStage({0, 0, 0, 0, 0, 0, 0, 5, 0x00, 0x01, 0x00, 0x02}, {0xA2, 0, 0, 0}));
    EXPECT_EQ(Rows(html, "Supported Security Protocol"), 2u);
    html = Data(DataStage({0, 0, 0, 0, 0, 0, 0, 9, 0x00}, {0xA2, 0, 0, 0}));
    EXPECT_EQ(Rows(html, "Supported Security Protocol"), 1u);

    html = Data(DataStage(FormatUnitList(), {0x04, 0x11, 0, 0, 0, 0}, 3));
    EXPECT_TRUE(Has(html, "Format Code 001b Format Descriptor"));
    EXPECT_EQ(FindRow(html, "Number of Blocks")->description, "The number of addressable blocks for the entire disc");
    EXPECT_EQ(FindRow(html, "Type Dependent Parameter")->description, "Block Length (0800h)");
    // Without the pending CDB, the header only.
    html = Data(DataStage(FormatUnitList(), {0x04, 0x11, 0, 0, 0, 0}, 3, false));
    EXPECT_TRUE(Has(html, "Format List Header"));
    EXPECT_FALSE(Has(html, "Format Descriptor</div>"));
    // An initialization pattern descriptor is skipped; one that does not fit
    // leaves the header alone.
    std::vector<uint8_t> ip = {0, 0x8A, 0, 8, 0, 0, 0, 2, 0xAA, 0xBB};
    const std::vector<uint8_t> list = FormatUnitList();
    const std::vector<uint8_t> descriptor(list.begin() + 4, list.end());
    ip.insert(ip.end(), descriptor.begin(), descriptor.end());
    EXPECT_TRUE(Has(Data(DataStage(ip, {0x04, 0x11, 0, 0, 0, 0}, 3)), "Format Code 001b Format Descriptor"));
    ip[7] = 0x40;
    EXPECT_FALSE(Has(Data(DataStage(ip, {0x04, 0x11, 0, 0, 0, 0}, 3)), "Format Code 001b Format Descriptor"));
    html = Data(DataStage({0, 0, 0, 8, 0x80, 0, 0, 0, 0, 0, 0x10, 0}, {0x04, 0x17, 0, 0, 0, 0}, 3));
    EXPECT_EQ(FindRow(html, "Session (SESS)")->value, "1b");
    EXPECT_EQ(FindRow(html, "Format Size")->value, "00001000h");
}

// Every decoder over every cut of its fixture, in blocks of exactly that
// size: nothing is read past the bytes held (ASan), the page nests.
TEST(ScsiData, EveryCutOfEveryFixtureStaysInside) {
    struct Fixture {
        std::vector<uint8_t> data;
        std::vector<uint8_t> cdb;
    } fixtures[] = {
        {QemuInquiry(), {0x12, 0, 0, 0, 36, 0}},
        {QemuVpdSupportedPages(), {0x12, 1, 0, 0, 0xFF, 0}},
        {QemuVpdSerial(), {0x12, 1, 0x80, 0, 0xFF, 0}},
        {QemuVpdDeviceIdentification(), {0x12, 1, 0x83, 0, 0xFF, 0}},
        {T10VendorDeviceIdentification(0x05), {0x12, 1, 0x83, 0, 0xFF, 0}},
        {QemuSenseMediumNotPresent(), {0x03}},
        {QemuReadCapacity10(), {0x25}},
        {QemuReadCapacity16(), {0x9E, 0x10}},
        {GadgetFormatCapacities(), {0x23}},
        {QemuReportLuns(), {0xA0}},
        {SupportedSecurityProtocols(), {0xA2, 0, 0, 0}},
        {FormatUnitList(), {0x04, 0x11}},
    };
    for (const Fixture& f : fixtures) {
        for (size_t n = 0; n <= f.data.size(); ++n) {
            SCOPED_TRACE(::testing::Message() << std::hex << int(f.cdb[0]) << " cut at " << std::dec << n);
            MscStage s = DataStage({}, f.cdb);
            s.bytes.clear();
            auto exact = std::make_unique<uint8_t[]>(n ? n : 1);
            std::copy_n(f.data.begin(), n, exact.get());
            PageBuffer page;
            DECODE_CONTEXT ctx;
            ctx.page = &page;
            SetStage(ctx, s);
            ctx.bytes = std::span<const uint8_t>(exact.get(), n);
            DecodeBulkOnlyTransfer(ctx);
            EXPECT_EQ(CheckNesting(page.view()), "");
        }
    }
}

// The fuzzer's seeds: flags byte, pending operation code, device kind, the
// pending CDB (16 bytes), then the data stage (see tests/fuzz/fuzz_msc_pages.cpp).
TEST(ScsiData, FuzzSeeds) {
    auto seed = [](const char* name, uint8_t flags, uint8_t kind, std::vector<uint8_t> cdb, std::vector<uint8_t> data) {
        std::vector<uint8_t> bytes = {flags, cdb[0], kind};
        cdb.resize(16, 0);
        bytes.insert(bytes.end(), cdb.begin(), cdb.end());
        bytes.insert(bytes.end(), data.begin(), data.end());
        return CorpusSeed{name, bytes};
    };
    CheckCorpusSeeds("msc_pages", {
        seed("inquiry", 0x1F, 1, {0x12, 0, 0, 0, 36, 0}, QemuInquiry()),
        seed("inquiry_markup", 0x1F, 3, {0x12, 0, 0, 0, 36, 0}, MarkupInquiry()),
        seed("vpd00", 0x1F, 1, {0x12, 1, 0, 0, 0xFF, 0}, QemuVpdSupportedPages()),
        seed("vpd80", 0x1F, 1, {0x12, 1, 0x80, 0, 0xFF, 0}, QemuVpdSerial()),
        seed("vpd83", 0x1F, 1, {0x12, 1, 0x83, 0, 0xFF, 0}, QemuVpdDeviceIdentification()),
        seed("vpd83_t10", 0x1F, 1, {0x12, 1, 0x83, 0, 0xFF, 0}, T10VendorDeviceIdentification(0x1F)),
        seed("sense", 0x1F, 1, {0x03, 0, 0, 0, 18, 0}, QemuSenseMediumNotPresent()),
        seed("read_capacity10", 0x1F, 1, {0x25}, QemuReadCapacity10()),
        seed("read_capacity16", 0x1F, 1, {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}, QemuReadCapacity16()),
        seed("format_capacities", 0x1F, 1, {0x23, 0, 0, 0, 0, 0, 0, 0, 0xFC, 0}, GadgetFormatCapacities()),
        seed("report_luns", 0x1F, 1, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}, QemuReportLuns()),
        seed("security_protocols", 0x1F, 1, {0xA2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}, SupportedSecurityProtocols()),
        seed("format_unit", 0x1F, 3, {0x04, 0x11, 0, 0, 0, 0}, FormatUnitList()),
        seed("start_stop_mmc", 0x0F, 3, {0x1B, 0, 0, 0x02, 0x32, 0}, {}),
        seed("read_cd", 0x1F, 3, {0xBE, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0xF8, 0x01, 0}, {}),
        seed("service_action_in", 0x1F, 1, {0x9E, 0xF2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0}, {}),
    });
}

} // namespace
