// The mode parameter, MMC disc and drive, and DVD structure decoders, reached
// through the data-stage dispatch: golden pages of every data stage in
// MmcFixtures.h (checked in a browser by the check_pages test), tables of edge
// cases, every truncation of every stage in an exact-size block, small pages
// that fill up, and the mass-storage fuzzer's seeds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/SetupRows.h"
#include "protocols/ScsiData.h"
#include "tests/CorpusSeeds.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/MmcFixtures.h"

namespace brx {
namespace {

using brx::testing::Bytes;
using brx::testing::CheckGoldenPage;
using brx::testing::CheckNesting;
using brx::testing::Count;
using brx::testing::DataStage;
using brx::testing::Join;
using brx::testing::PageFixture;
using brx::testing::Zeros;

struct Result {
    int answer = 0;
    std::string html;
};

// Decodes `data` held in a block of exactly its size, so that a read past it
// trips the address sanitizer.
Result Decode(uint8_t op, const Bytes& cdb, uint8_t kind, const Bytes& data, size_t capacity = 0x40000) {
    PageFixture f(capacity);
    std::unique_ptr<uint8_t[]> block(new uint8_t[data.size() ? data.size() : 1]);
    std::copy(data.begin(), data.end(), block.get());
    f.ctx.bytes = std::span<const uint8_t>(block.get(), data.size());
    testing::SetPendingCommand(f.ctx, op, cdb, kind);
    Result r;
    r.answer = DecodeScsiData(f.ctx);
    r.html = f.Take();
    return r;
}

Result Decode(const DataStage& s) { return Decode(s.op, s.cdb, s.kind, s.data); }

const DataStage& Stage(std::string_view name) {
    static const std::vector<DataStage> stages = testing::MmcDataStages();
    for (const DataStage& s : stages)
        if (name == s.name) return s;
    ADD_FAILURE() << "no stage " << name;
    return stages.front();
}

// The markup of the row whose field name is `name` (escaped), empty when none.
std::string Row(const std::string& html, const std::string& name) {
    const size_t at = html.find("<nobr>" + name + "</nobr>");
    if (at == std::string::npos) return {};
    return html.substr(at, html.find("</tr>", at) - at);
}

std::string Cell(const std::string& row, const char* cls) {
    const std::string open = std::string("<td class=\"") + cls + "\">";
    const size_t at = row.find(open);
    if (at == std::string::npos) return {};
    const size_t start = at + open.size();
    return row.substr(start, row.find("</td>", start) - start);
}

std::string Description(const std::string& html, const std::string& name) { return Cell(Row(html, name), "uddes"); }
std::string Value(const std::string& html, const std::string& name) { return Cell(Row(html, name), "udval"); }

void CheckFamilyPage(char family, const char* golden, const char* title) {
    PageFixture f(PageBuffer::kPageCapacity);
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(f.page, title, heads));
    for (const DataStage& s : testing::MmcDataStages()) {
        if (s.family != family) continue;
        WriteSubsectionTitle(f.ctx, s.name);
        f.ctx.bytes = s.data;
        testing::SetPendingCommand(f.ctx, s.op, s.cdb, s.kind);
        EXPECT_EQ(DecodeScsiData(f.ctx), 1) << s.name;
    }
    ClosePage(f.page);
    EXPECT_FALSE(f.page.full());
    EXPECT_EQ(CheckNesting(f.page.view()), "");
    CheckGoldenPage(golden, f.page.view());
}

TEST(MmcDataPages, ModeParameterGoldenPage) { CheckFamilyPage('M', "mode_parameters", "Mode parameter data"); }
TEST(MmcDataPages, MmcDiscAndDriveGoldenPage) { CheckFamilyPage('C', "mmc_disc_drive_data", "MMC disc and drive data"); }
TEST(MmcDataPages, DvdStructureGoldenPage) { CheckFamilyPage('D', "dvd_structures", "DVD structures and keys"); }

// --- Edge cases: present and absent texts ---------------------------------------

struct TextCase {
    const char* what;
    uint8_t op;
    Bytes cdb;
    uint8_t kind;
    Bytes data;
    int answer;
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

void RunTextCases(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = Decode(c.op, c.cdb, c.kind, c.data);
        EXPECT_EQ(r.answer, c.answer);
        EXPECT_EQ(CheckNesting(r.html), "");
        for (const std::string& text : c.present) EXPECT_NE(r.html.find(text), std::string::npos) << "missing: " << text;
        for (const std::string& text : c.absent) EXPECT_EQ(r.html.find(text), std::string::npos) << "unexpected: " << text;
        if (c.answer == 0 && c.present.empty()) {
            EXPECT_EQ(r.html, "");
        }
    }
}

Bytes Page05(size_t size) {
    Bytes p = Join({{0x05, static_cast<uint8_t>(size - 2)}, Zeros(size - 2)});
    return p;
}

Bytes WriteParameters52() {
    Bytes p = testing::T10WriteParametersPage();
    p.resize(52);
    p[1] = 0x32;
    return p;
}

TEST(MmcDataPages, ModeParameterCases) {
    using namespace brx::testing;
    const Bytes sense6 = ModeSense6Cdb(0x3F);
    const Bytes sense10 = ModeSense10Cdb(0x3F);
    Bytes psCapabilities = T10CapabilitiesPage();
    psCapabilities[0] |= 0x80;
    RunTextCases({
        {"MODE SENSE(6) with Mode Data Length 3 shows the header only", 0x1A, sense6, 1,
         Join({Header6(3, 0, 0), QemuCachingPage()}), 1, {"Mode Parameter Header(6)"}, {"Mode Page"}},
        {"page 05h of 32 bytes is the Flexible Disk page", 0x1A, sense6, 1,
         Join({Header6(35, 0, 0), QemuFlexibleDiskPage()}), 1,
         {"Flexible Disk Mode Page", "Number of Heads", "512 bytes"}, {"BUFE", "byte 2<"}},
        {"page 05h of 52 bytes is the Write Parameters page", 0x5A, sense10, 3,
         Join({Header10(58), WriteParameters52()}), 1,
         {"Write Parameter Mode Page", "Buffer Under-run Free Recording Enable (BUFE)", "Sub-header Byte 3"},
         {"Vendor Specific", "Number of Heads"}},
        {"page 05h of 56 bytes shows its vendor-specific bytes", 0x5A, sense10, 3,
         Join({Header10(62), T10WriteParametersPage()}), 1, {"Vendor Specific", "12345678h"}, {}},
        {"page 05h of any other size is the generic table", 0x1A, sense6, 1, Join({Header6(43, 0, 0), Page05(40)}), 1,
         {"byte 33"}, {"Number of Heads", "BUFE", "byte 34"}},
        {"page 2Ah with PS set is the generic table", 0x5A, sense10, 3, Join({Header10(38), psCapabilities}), 1,
         {"byte 31"}, {"DVD-RAM Read"}},
        {"page 2Ah of 32 bytes is decoded", 0x5A, sense10, 3, Join({Header10(38), T10CapabilitiesPage()}), 1,
         {"DVD-RAM Read", "2048 Kbytes", "7056 kBps", "Number of Logical Unit Write Speed Performance Descriptor Tables"}, {}},
        {"page 08h of an MMC device shows WCE and RCD only", 0x5A, sense10, 3, Join({Header10(26), QemuCachingPage()}), 1,
         {"Write Cache Enable (WCE)", "Read Cache Disable (RCD)"}, {"Abort Pre-Fetch (ABPF)"}},
        {"page 08h of an SBC device is the full caching page", 0x1A, sense6, 1,
         Join({Header6(23, 0, 0), T10SbcCachingPage()}), 1,
         {"Abort Pre-Fetch (ABPF)", "Writeback Cache Enable (WCE)", "Maximum Pre-Fetch Ceiling"}, {}},
        {"MODE SENSE with page code 00h shows the header only", 0x5A, ModeSense10Cdb(0x00), 3,
         Join({Header10(26), QemuCachingPage()}), 1, {"Mode Parameter Header(10)"}, {"Mode Page"}},
        {"MODE SELECT without PF shows the header only", 0x15, {0x15, 0x00, 0, 0, 0x18, 0}, 1,
         Join({Header6(0, 0, 0), QemuCachingPage()}), 1, {"Device-Specific Parameter"}, {"Mode Page", "Write Protect"}},
        {"MODE SELECT with PF shows the pages", 0x15, {0x15, 0x10, 0, 0, 0x18, 0}, 1,
         Join({Header6(0, 0, 0), QemuCachingPage()}), 1, {"Caching Mode Page", "Writeback Cache Enable (WCE)"}, {}},
        {"mode data without its CDB shows the header only", 0x1A, {}, 1, Join({Header6(23, 0, 0), QemuCachingPage()}), 1,
         {"Mode Parameter Header(6)"}, {"Mode Page"}},
        {"a CDB of another command shows the header only", 0x1A, ModeSense10Cdb(0x3F), 1,
         Join({Header6(23, 0, 0), QemuCachingPage()}), 1, {"Mode Parameter Header(6)"}, {"Mode Page"}},
        {"block descriptors longer than the data end the decoding", 0x1A, sense6, 1,
         Join({Header6(23, 0, 0xF0), QemuCachingPage()}), 1, {"Block Descriptor Length"}, {"Mode Page"}},
        {"a Mode Data Length past the bytes held is shown", 0x1A, sense6, 1, Header6(0x63, 0x00, 0x08), 1,
         {"100 bytes announced, 4 held"}, {"Mode Page"}},
        {"a Mode Data Length shorter than the header is flagged", 0x1A, sense6, 1, Join({Header6(1, 0, 0), Zeros(4)}), 1,
         {"<span class=\"error\">01h</span>", "Shorter than the mode parameter header"}, {"Mode Page"}},
        {"MODE SENSE(10) with Mode Data Length 5 shows the header only", 0x5A, sense10, 3,
         Join({Header10(5), QemuCachingPage()}), 1, {"Shorter than the mode parameter header"}, {"Mode Page"}},
        {"an RBC header flags its non-zero fields", 0x1A, ModeSense6Cdb(0x06), 2, {0x03, 0x05, 0x00, 0x01}, 1,
         {"Should be zero"}, {"Write Protect"}},
        {"a write-protected SBC disk", 0x1A, sense6, 1, Header6(3, 0x90, 0), 1,
         {"Medium is write protected", ">Supported<"}, {}},
        {"six-byte data of 3 bytes is not decoded", 0x1A, sense6, 1, {0x03, 0x00, 0x00}, 0, {}, {}},
        {"ten-byte data of 7 bytes is not decoded", 0x5A, sense10, 3, {0x00, 0x06, 0, 0, 0, 0, 0}, 0, {}, {}},
    });
}

// An older drive's short page must not show the next page's bytes as its fields.
TEST(MmcDataPages, ShortModePageStaysWithinItsLength) {
    {
        const Result r = Decode(Stage("qemu_cd_short_capabilities"));
        EXPECT_EQ(Count(r.html, " Mode Page</div>"), 5u);
        // The 22-byte capabilities page is the generic table of its 20 bytes ...
        EXPECT_NE(r.html.find("<nobr>byte 21</nobr>"), std::string::npos);
        EXPECT_EQ(r.html.find("Copy Management Revision Supported"), std::string::npos);
        EXPECT_EQ(r.html.find("DVD-RAM Read"), std::string::npos);
        // ... and the vendor page after it keeps its own bytes.
        EXPECT_NE(r.html.find(">Vendor Specific Mode Page</div>"), std::string::npos);
    }
    {
        const Result r = Decode(Stage("t10_disk_short_caching"));
        EXPECT_EQ(Count(r.html, " Mode Page</div>"), 2u);
        EXPECT_EQ(r.html.find("Force Sequential Write (FSW)"), std::string::npos);
        EXPECT_EQ(r.html.find("Number of Cache Segments"), std::string::npos);
        EXPECT_NE(r.html.find("<nobr>byte 11</nobr>"), std::string::npos);
        EXPECT_EQ(r.html.find("<nobr>byte 12</nobr>"), std::string::npos);
        EXPECT_NE(r.html.find("Method of Reporting Informational Exceptions (MRIE)"), std::string::npos);
        EXPECT_EQ(Value(r.html, "Interval Timer"), "00001770h");
    }
}

TEST(MmcDataPages, ModePageWalkLimits) {
    const Bytes cdb = testing::ModeSense10Cdb(0x3F);
    Bytes pages;
    for (int i = 0; i < 16; ++i) pages = Join({pages, {static_cast<uint8_t>(0x21 + i), 0x02, 0xAA, 0xBB}});
    Result r = Decode(0x5A, cdb, 1, Join({testing::Header10(6 + 64), pages}));
    EXPECT_EQ(Count(r.html, " Mode Page</div>"), 15u);
    EXPECT_NE(r.html.find("<td class=\"udval\">2Fh</td>"), std::string::npos);
    EXPECT_EQ(r.html.find("<td class=\"udval\">30h</td>"), std::string::npos);

    r = Decode(0x5A, cdb, 1, Join({testing::Header10(6 + 202), {0x21, 0xC8}, Zeros(200)}));
    EXPECT_EQ(Count(r.html, "<nobr>byte "), 32u);
    EXPECT_NE(r.html.find("<nobr>byte 2</nobr>"), std::string::npos);
    EXPECT_NE(r.html.find("<nobr>byte 33</nobr>"), std::string::npos);
    EXPECT_EQ(r.html.find("<nobr>byte 34</nobr>"), std::string::npos);

    // A subpage: 16-bit page length, bytes from offset 4.
    r = Decode(0x5A, cdb, 1, Join({testing::Header10(6 + 12), {0x61, 0x01, 0x00, 0x08}, Zeros(8)}));
    EXPECT_NE(r.html.find("Subpage Code"), std::string::npos);
    EXPECT_EQ(Count(r.html, "<nobr>byte "), 8u);
    EXPECT_NE(r.html.find("<nobr>byte 4</nobr>"), std::string::npos);

    // A page length of 0 ends the walk; so does a page longer than what is left.
    r = Decode(0x5A, cdb, 1, Join({testing::Header10(6 + 8), {0x21, 0x02, 1, 2, 0x22, 0x00, 0x23, 0x02}}));
    EXPECT_EQ(Count(r.html, " Mode Page</div>"), 1u);
    r = Decode(0x5A, cdb, 1, Join({testing::Header10(6 + 8), {0x21, 0x02, 1, 2, 0x22, 0x09, 0x23, 0x02}}));
    EXPECT_EQ(Count(r.html, " Mode Page</div>"), 1u);
}

TEST(MmcDataPages, MmcDataCases) {
    using namespace brx::testing;
    const Bytes toc0 = Cdb(10, {0x43, 0x00, 0x00});
    const Bytes config = Cdb(10, {0x46});
    Bytes unknownFeature = Join({{0x00, 0x00, 0x00, 0x6C, 0x00, 0x00, 0x00, 0x08, 0x02, 0x00, 0x00, 0x64}, Zeros(100)});
    RunTextCases({
        {"a TOC whose length says 18 with 30 bytes held shows two descriptors", 0x43, toc0, 3,
         Join({{0x00, 0x12, 0x01, 0x02}, Zeros(26)}), 1, {"First Track Number"}, {}},
        {"a TOC without its CDB is not decoded", 0x43, {}, 3, Stage("qemu_cd_toc_formatted").data, 0, {}, {}},
        {"TOC format 6 is not decoded", 0x43, Cdb(10, {0x43, 0x00, 0x06}), 3, Stage("qemu_cd_toc_formatted").data, 0, {}, {}},
        {"a TOC of 3 bytes is not decoded", 0x43, toc0, 3, {0x00, 0x12, 0x01}, 0, {}, {}},
        {"an unknown feature with Additional Length 100 shows 64 bytes", 0x46, config, 3, unknownFeature, 1,
         {"<nobr>byte 4</nobr>", "<nobr>byte 67</nobr>"}, {"<nobr>byte 68</nobr>"}},
        {"a feature descriptor is read within its own length", 0x46, config, 3,
         {0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x08, 0x00, 0x10, 0x01, 0x04, 0x00, 0x00, 0x08, 0x00,
          0x00, 0x03, 0x0B, 0x04, 0x39, 0x00, 0x00, 0x00}, 1,
         {"Random Readable Feature Descriptor", "Loading Mechanism Type"}, {"Logical Block Size", "Blocking"}},
        {"configuration data whose length is 3 is not decoded", 0x46, config, 3, {0, 0, 0, 3, 0, 0, 0, 8}, 0, {}, {}},
        {"an event header with NEA set shows no descriptor", 0x4A, Cdb(10, {0x4A, 0x01}), 3,
         {0x00, 0x06, 0x84, 0x10, 0x02, 0x02, 0x00, 0x00}, 1, {"Event Header"}, {"Media Event Descriptor"}},
        {"the media event descriptor", 0x4A, Cdb(10, {0x4A, 0x01}), 3, Stage("t10_cd_event_media").data, 1,
         {"Media Event Descriptor", "Media Present"}, {}},
        {"no event classes", 0x4A, Cdb(10, {0x4A, 0x01}), 3, {0x00, 0x02, 0x80, 0x00}, 1, {"No Event Classes"}, {}},
        {"an event length of 1 is not decoded", 0x4A, Cdb(10, {0x4A, 0x01}), 3, {0x00, 0x01, 0x80, 0x00}, 0, {}, {}},
        {"READ BUFFER CAPACITY data with Data Length 8 writes nothing", 0x5C, Cdb(10, {0x5C}), 3,
         {0x00, 0x08, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x1F, 0xF0, 0x00}, 0, {}, {}},
        {"buffer capacity without its CDB is the byte form", 0x5C, {}, 3, Stage("t10_buffer_capacity_blocks").data, 1,
         {"Length of Buffer"}, {"Available Length of Buffer"}},
        {"a disc information block of 8 bytes", 0x51, Cdb(10, {0x51}), 3,
         {0x00, 0x20, 0x0E, 0x01, 0x05, 0x01, 0x01, 0x20}, 0, {"Number of Sessions", "Background (BG) Format Status"},
         {"Disc Type", "Disc Identification"}},
        {"a disc information block of 7 bytes is not decoded", 0x51, Cdb(10, {0x51}), 3,
         {0x00, 0x20, 0x0E, 0x01, 0x05, 0x01, 0x01}, 0, {}, {}},
        {"a track information block of 16 bytes shows no Track Size", 0x52, Cdb(10, {0x52}), 3,
         Bytes(Stage("t10_cd_track_information").data.begin(), Stage("t10_cd_track_information").data.begin() + 16), 0,
         {"Track Start Address", "Next Writable Address"}, {"Track Size", "Free Blocks"}},
        {"a track information block of 28 bytes shows Track Size", 0x52, Cdb(10, {0x52}), 3,
         Bytes(Stage("t10_cd_track_information").data.begin(), Stage("t10_cd_track_information").data.begin() + 28), 0,
         {"Track Size"}, {"Free Blocks"}},
        {"GET PERFORMANCE of another type shows the header alone", 0xAC, Cdb(12, {0xAC, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x05}), 3,
         Stage("t10_performance_nominal").data, 1, {"Performance Header"}, {"Performance Descriptor"}},
        {"GET PERFORMANCE without its CDB is not decoded", 0xAC, {}, 3, Stage("t10_performance_nominal").data, 0, {}, {}},
        {"SET STREAMING of another type is not decoded", 0xB6, Cdb(12, {0xB6, 0, 0, 0, 0, 0, 0, 0, 0x03}), 3,
         Stage("t10_set_streaming").data, 0, {}, {}},
        {"SET STREAMING type 00h needs 28 bytes", 0xB6, Stage("t10_set_streaming").cdb, 3,
         Bytes(Stage("t10_set_streaming").data.begin(), Stage("t10_set_streaming").data.begin() + 27), 0, {}, {}},
        {"mechanism status of 7 bytes is not decoded", 0xBD, Cdb(12, {0xBD}), 3, Zeros(7), 0, {}, {}},
    });
}

TEST(MmcDataPages, MmcDataDescriptions) {
    Result r = Decode(0x43, testing::Cdb(10, {0x43, 0x00, 0x00}), 3, Join({{0x00, 0x12, 0x01, 0x02}, Zeros(26)}));
    EXPECT_EQ(Count(r.html, ">TOC Track Descriptor<"), 2u);

    r = Decode(Stage("qemu_cd_toc_formatted"));
    EXPECT_NE(r.html.find("Start of Lead-out Area"), std::string::npos);
    EXPECT_EQ(Value(r.html, "Track Start Address"), "00000000h");

    r = Decode(Stage("qemu_cd_configuration"));
    EXPECT_EQ(Count(r.html, "<nobr>Profile Number</nobr>"), 2u);
    EXPECT_EQ(Value(r.html, "Current Profile"), "0008h");

    r = Decode(0x4A, testing::Cdb(10, {0x4A, 0x01}), 3, {0x00, 0x02, 0x80, 0x12});
    EXPECT_EQ(Description(r.html, "Supported Event Classes"), "Operational Change Request/Notification + Media");

    r = Decode(Stage("t10_cd_event_busy"));
    EXPECT_EQ(Description(r.html, "Time"), "4.5 seconds");

    r = Decode(Stage("t10_performance_exceptions"));
    EXPECT_EQ(Count(r.html, "Performance Descriptor &#8211; Exceptions"), 2u);
    EXPECT_EQ(Description(r.html, "Time"), "2500 microseconds");

    // The short disc information block reads the low bytes of its 16-bit numbers only.
    r = Decode(0x51, testing::Cdb(10, {0x51}), 3, {0x00, 0x20, 0x0E, 0x01, 0x05, 0x01, 0x01, 0x20});
    EXPECT_EQ(Value(r.html, "Number of Sessions"), "0005h");

    // The serial number: bytes outside printable ASCII as ".", cut at the first space, escaped.
    r = Decode(Stage("t10_cd_features"));
    EXPECT_EQ(Value(r.html, "Serial Number"), "\"SN&lt;1&gt;&amp;.x\"");
    EXPECT_EQ(r.html.find("<1>"), std::string::npos);

    r = Decode(Stage("t10_changer_mechanism_status"));
    EXPECT_EQ(Count(r.html, ">Slot Table "), 2u);
    EXPECT_EQ(Value(r.html, "Current LBA"), "001234h");
    EXPECT_EQ(Description(r.html, "Current LBA"), "4660");
}

TEST(MmcDataPages, DvdStructureCases) {
    using namespace brx::testing;
    const auto reportKey = [](uint8_t format) { return Cdb(12, {0xA4, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, format}); };
    Bytes otherDcb = Stage("t10_dvd_dcb_list").data;
    otherDcb[4] = 0x00;
    RunTextCases({
        {"REPORT KEY data of 8 bytes with Key Format 01h shows the header only", 0xA4, reportKey(0x01), 3,
         {0x00, 0x0E, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44}, 1, {"Report Key Parameter List"}, {"Challenge Key"}},
        {"REPORT KEY with an unknown key format writes nothing", 0xA4, reportKey(0x03), 3,
         {0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0, {}, {}},
        {"SEND KEY data of a device of kind 1 writes nothing", 0xA3, Stage("t10_send_key2").cdb, 1,
         Stage("t10_send_key2").data, 0, {}, {}},
        {"SEND KEY with key format 00h writes nothing", 0xA3, Cdb(12, {0xA3, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x00}), 3,
         Stage("t10_send_key2").data, 0, {}, {}},
        {"a disc control block of another content descriptor is not shown", 0xAD, Stage("t10_dvd_dcb_list").cdb, 3,
         otherDcb, 1, {"Read DVD Structure Data Header"}, {"Disc Control Block"}},
        {"READ DVD STRUCTURE format 02h is not decoded", 0xAD, Cdb(12, {0xAD, 0, 0, 0, 0, 0, 0, 0x02}), 3,
         Stage("qemu_dvd_copyright").data, 0, {}, {}},
        {"a data length of 1 shows the header only", 0xAD, Stage("qemu_dvd_copyright").cdb, 3,
         {0x00, 0x01, 0x00, 0x00, 0x01, 0x02}, 1, {"Read DVD Structure Data Header"}, {"DVD Copyright Information"}},
        {"a layer descriptor of 16 bytes has no BCA row", 0xAD, Stage("t10_dvd_layer_otp").cdb, 3,
         Bytes(Stage("t10_dvd_layer_otp").data.begin(), Stage("t10_dvd_layer_otp").data.begin() + 20), 1,
         {"End Physical Sector Number in Layer 0"}, {"Burst Cutting Area"}},
        {"the vendor ID of a disc control block is escaped", 0xAD, Stage("t10_dvd_dcb_list").cdb, 3,
         Stage("t10_dvd_dcb_list").data, 1, {"&quot;Brindlex &lt;drive&gt; &amp; &quot;co&quot;"}, {"<drive>"}},
    });
}

TEST(MmcDataPages, DvdStructureDescriptions) {
    Result r = Decode(Stage("qemu_dvd_physical_format"));
    EXPECT_EQ(Description(r.html, "Track Path"), "");  // byte 2 = 01h: one layer
    EXPECT_EQ(Description(r.html, "Disc Size"), "120 mm");
    EXPECT_EQ(Value(r.html, "End Physical Sector Number of Data Area"), "23053Fh");

    r = Decode(Stage("t10_dvd_layer_otp"));
    EXPECT_EQ(Description(r.html, "Track Path"), "Opposite Track Path (OTP)");
    EXPECT_EQ(Description(r.html, "Number of Layers"), "Two Layers");

    Bytes sized = Stage("t10_dvd_layer_otp").data;
    sized[5] = 0x22;  // Disc Size 2
    sized[6] = 0x00;  // one layer, parallel
    r = Decode(0xAD, Stage("t10_dvd_layer_otp").cdb, 3, sized);
    EXPECT_EQ(Description(r.html, "Disc Size"), "");
    EXPECT_EQ(Description(r.html, "Track Path"), "");

    r = Decode(Stage("t10_dvd_dcb_list"));
    EXPECT_EQ(Description(r.html, "Readable DCB 0"), "TOC");
    EXPECT_EQ(Description(r.html, "Readable DCB 1"), "Write Inhibit DCB");
    EXPECT_EQ(Description(r.html, "Recordable DCB 0"), "Write Inhibit DCB");

    r = Decode(Stage("t10_report_rpc_state"));
    EXPECT_EQ(Value(r.html, "# of Vendor Resets Available"), "100b");
    EXPECT_EQ(Description(r.html, "# of User Controlled Changes Available"), "4");
}

// Every prefix of every stage, in a block of exactly that size: no read past
// it (the address sanitizer watches), and every table the decoder opened is closed.
TEST(MmcDataPages, EveryTruncationStaysInBounds) {
    for (const DataStage& s : testing::MmcDataStages()) {
        const size_t limit = std::min<size_t>(s.data.size(), 96);
        for (size_t n = 0; n <= limit; ++n) {
            const Result r = Decode(s.op, s.cdb, s.kind, Bytes(s.data.begin(), s.data.begin() + n));
            ASSERT_EQ(CheckNesting(r.html), "") << s.name << " " << n;
            if (n == 0) {
                EXPECT_EQ(r.answer, 0) << s.name;
            }
        }
    }
}

// Pages that fill up part way: the page stays within its capacity and closes whole.
TEST(MmcDataPages, FullPagesCloseWhole) {
    for (const DataStage& s : testing::MmcDataStages()) {
        for (size_t capacity : {4000u, 6000u, 9000u}) {
            PageFixture f(capacity);
            ASSERT_TRUE(BeginPage(f.page, s.name, {}));
            f.ctx.bytes = s.data;
            testing::SetPendingCommand(f.ctx, s.op, s.cdb, s.kind);
            DecodeScsiData(f.ctx);
            ClosePage(f.page);
            EXPECT_LE(f.page.size(), capacity) << s.name;
            EXPECT_EQ(CheckNesting(f.page.view()), "") << s.name << " " << capacity;
        }
    }
}

TEST(MmcDataPages, FuzzSeeds) {
    std::vector<testing::CorpusSeed> seeds;
    for (const DataStage& s : testing::MmcDataStages()) seeds.push_back({std::string("mmc_") + s.name, testing::FuzzInput(s)});
    testing::CheckCorpusSeeds("msc_pages", seeds);
}

} // namespace
} // namespace brx
