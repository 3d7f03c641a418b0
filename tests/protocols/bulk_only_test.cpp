// The Bulk-Only transport on the data-analysis page: which bytes are a
// command wrapper, a status wrapper or a data stage, the wrappers' tables,
// the class requests, and the simulated stick's records read back from a log
// the way the pane reads a selected row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/CaptureStoreRules.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/BulkOnly.h"
#include "protocols/ScsiCdb.h"
#include "protocols/ScsiOpcodes.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/PageTest.h"
#include "tests/protocols/MscPage.h"
#include "tests/protocols/ScsiFixtures.h"

using namespace brx;
using namespace brx::testing;

namespace {

bool Has(const std::string& html, std::string_view what) { return html.find(what) != std::string::npos; }

TEST(BulkOnlyStage, WrappersAreTakenOnlyInTheirPhaseWithTheirSignature) {
    const std::vector<uint8_t> cbw = MakeCbw({0x12, 0, 0, 0, 36, 0}, 7, 36);
    const std::vector<uint8_t> csw = MakeCsw(7, 0, 0);
    std::vector<uint8_t> unsigned31(31, 0);
    unsigned31[0] = 0x70;  // fixed-format sense data of 31 bytes
    unsigned31[2] = 0x05;
    unsigned31[12] = 0x24;
    std::vector<uint8_t> unsigned13(13, 0x41);
    struct Case {
        const char* what;
        MscStage stage;
        int result;
        bool cbwTable, cswTable;
        const char* also;  // a text the page must hold (null: none)
    } cases[] = {
        {"CBW at issue", {cbw, false, 0x12}, 1, true, false, "CDB - Inquiry"},
        {"signed CBW taken at completion is data", {cbw, true, 0x12}, 1, false, false, nullptr},
        {"CSW at completion", {csw, true, 0x12}, 1, false, true, nullptr},
        {"signed CSW taken at issue is data", {csw, false, 0x12}, 1, false, false, nullptr},
        {"31 bytes without USBC at issue are a data stage", {unsigned31, false, 0x03}, 1, false, false,
         "Sense Data"},
        {"13 bytes without USBS at completion are a data stage", {unsigned13, true, 0x28}, 1, false, false,
         nullptr},
        {"no bytes", {{}, true, 0x12}, 0, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MscRender r = RenderStage(c.stage);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(Has(r.html, "dCBWSignature"), c.cbwTable);
        EXPECT_EQ(Has(r.html, "dCSWSignature"), c.cswTable);
        if (c.also) {
            EXPECT_TRUE(Has(r.html, c.also)) << r.html;
        }
        EXPECT_EQ(CheckNesting(r.html), "");
    }
}

TEST(BulkOnlyStage, OnlyBulkOnlyMassStorageInterfacesAreDecoded) {
    struct Case {
        const char* what;
        INTERFACE_INFO info;
        bool msc;
        int result;
    } cases[] = {
        {"Bulk-Only", {true, 0, 0x08, 0x06, 0x50}, true, 1},
        {"unknown interface", {false, 0, 0x08, 0x06, 0x50}, true, 0},
        {"HID class", {true, 0, 0x03, 0x00, 0x50}, true, 0},
        {"CBI protocol", {true, 0, 0x08, 0x04, 0x00}, true, 0},
        {"no mass-storage bytes", {true, 0, 0x08, 0x06, 0x50}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PageBuffer page;
        DECODE_CONTEXT ctx;
        ctx.page = &page;
        const MscStage stage = CbwStage({0x00, 0, 0, 0, 0, 0});
        SetStage(ctx, stage);
        ctx.bulk.interfaceInfo = c.info;
        ctx.bulk.mscKnown = c.msc;
        EXPECT_EQ(DecodeBulkOnlyTransfer(ctx), c.result);
        EXPECT_EQ(page.size() != 0, c.result == 1);
    }
}

TEST(BulkOnlyCbw, FieldsAndTheirTexts) {
    struct Case {
        const char* what;
        uint32_t length;
        uint8_t flags, lun;
        int cdbLength;
        const char* field;
        const char* value;
        const char* description;
    } cases[] = {
        {"IN without data", 0, 0x80, 0, 6, "Direction", "<nobr>1.......&nbsp;</nobr>", "Direction ignored since dCBWDataTransferLength is zero"},
        {"OUT without data", 0, 0x00, 0, 6, "Direction", "<nobr>0.......&nbsp;</nobr>", "Data-Out from host to device"},
        {"IN with data", 36, 0x80, 0, 6, "Direction", "<nobr>1.......&nbsp;</nobr>", "Data-In from device to host"},
        {"no data", 0, 0x00, 0, 6, "dCBWDataTransferLength", "00000000h", "No data transfer"},
        {"one byte", 1, 0x80, 0, 6, "dCBWDataTransferLength", "00000001h",
         "1 byte of data are expected to be transferred"},
        {"LBA-sized length prints unsigned", 0x80000000u, 0x80, 0, 6, "dCBWDataTransferLength", "80000000h",
         "2147483648 bytes of data are expected to be transferred"},
        {"LUN uses the low nibble", 36, 0x80, 0x35, 6, "bCBWLUN", "05h", "LUN 5"},
        {"CB length of 0 from E0h", 36, 0x80, 0, 0xE0, "bCBWCBLength",
         "<span class=\"error\">00h</span>", "<span class=\"error\">The only legal values are 1 through 16</span>"},
        {"CB length 17", 36, 0x80, 0, 17, "bCBWCBLength", "<span class=\"error\">11h</span>",
         "<span class=\"error\">The only legal values are 1 through 16</span>"},
        {"CB length 16", 36, 0x80, 0, 16, "bCBWCBLength", "10h", "SCSI command descriptor block size (valid bytes)"},
        {"reserved flag bits", 36, 0x81, 0, 6, "Reserved", "<span class=\"error\"><nobr>..000001&nbsp;</nobr></span>",
         "<span class=\"error\">Should be zero</span>"},
        {"obsolete flag bit", 36, 0xC0, 0, 6, "Obsolete", "<span class=\"error\"><nobr>.1......&nbsp;</nobr></span>",
         "<span class=\"error\">Should be zero</span>"},
        {"signature", 36, 0x80, 0, 6, "dCBWSignature", "43425355h", "&quot;USBC&quot;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MscStage s;
        s.bytes = MakeCbw({0x00, 0, 0, 0, 0, 0}, 0x1234, c.length, c.flags, c.lun, c.cdbLength);
        const MscRender r = RenderStage(s);
        std::string html = r.html;
        // Bit rows name their field "bits: name".
        const std::string field = c.field;
        std::optional<RowCells> row = FindRow(html, field);
        if (!row) {
            const size_t at = html.find(": " + field + "</nobr>");
            ASSERT_NE(at, std::string::npos) << html;
            size_t cellEnd = html.find("</td>\r\n", at) + 7;
            if (html.compare(cellEnd, 20, "<td class=\"ud\"></td>") == 0) cellEnd += 22;  // the size column
            const size_t open = html.find('>', cellEnd) + 1;
            const size_t close = html.find("</td>", open);
            const size_t dOpen = html.find('>', close + 7) + 1;
            row = RowCells{html.substr(open, close - open), html.substr(dOpen, html.find("</td>", dOpen) - dOpen)};
        }
        EXPECT_EQ(row->value, c.value);
        EXPECT_EQ(row->description, c.description);
    }
}

TEST(BulkOnlyCbw, DisplayFlagsChooseTheRows) {
    MscStage s = CbwStage({0x00, 0, 0, 0, 0, 0});
    PageBuffer page;
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    SetStage(ctx, s);
    ctx.detail = false;
    ctx.expand = false;
    ASSERT_EQ(DecodeBulkOnlyTransfer(ctx), 1);
    const std::string html(page.view());
    EXPECT_FALSE(Has(html, "dCBWSignature"));
    EXPECT_FALSE(Has(html, "dCBWTag"));
    EXPECT_FALSE(Has(html, "Reserved"));
    const auto flags = FindRow(html, "bmCBWFlags");
    ASSERT_TRUE(flags);
    EXPECT_EQ(flags->description, "Data-In from device to host");
    // Without the wrapper tables only the heading and the CDB remain.
    page.Reset();
    SetStage(ctx, s);
    ctx.bulk.writeWrappers = false;
    ASSERT_EQ(DecodeBulkOnlyTransfer(ctx), 1);
    const std::string bare(page.view());
    EXPECT_FALSE(Has(bare, "bmCBWFlags"));
    EXPECT_TRUE(Has(bare, "CDB - Test Unit Ready"));
}

TEST(BulkOnlyCbw, CommandWithoutNameHasNoHeadingButItsTables) {
    // Codes with a CDB decoder that some device kind has no name for.
    const uint8_t codes[] = {0x00, 0x03, 0x04, 0x12, 0x1B, 0x25, 0x28, 0x42, 0x43, 0xA1, 0xBE};
    bool found = false;
    for (uint8_t kind : {1, 2, 3}) {
        for (uint8_t code : codes) {
            std::vector<uint8_t> cdb(ScsiCdbSize(code), 0);
            cdb[0] = code;
            if (ScsiOpcodeName(code, 0, kind, 0, 1) != nullptr) continue;
            found = true;
            const MscRender r = RenderStage(CbwStage(cdb, kind));
            SCOPED_TRACE(r.html);
            EXPECT_FALSE(Has(r.html, "uddiv7"));
            EXPECT_TRUE(r.html.starts_with("<div class=\"uddiv6\">CBW</div>"));
            EXPECT_TRUE(Has(r.html, "<div class=\"uddiv6\">CDB</div>"));
        }
    }
    EXPECT_TRUE(found);
}

TEST(BulkOnlyCsw, FieldsAndTheirTexts) {
    struct Case {
        uint32_t residue;
        uint8_t status;
        const char* residueText;
        const char* statusText;
    } cases[] = {
        {0, 0, "0 bytes", "Passed"},
        {1, 1, "1 byte", "Failed"},
        {512, 2, "512 bytes", "Phase Error"},
        {0x80000000u, 3, "2147483648 bytes", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        const MscRender r = RenderStage({MakeCsw(9, c.residue, c.status), true, 0x28});
        ASSERT_EQ(r.result, 1);
        EXPECT_EQ(FindRow(r.html, "dCSWDataResidue")->description, c.residueText);
        EXPECT_EQ(FindRow(r.html, "bCSWStatus")->description, c.statusText);
        EXPECT_EQ(FindRow(r.html, "dCSWTag")->value, "00000009h");
    }
}

// --- Class requests ------------------------------------------------------------

struct RequestPage {
    int result = 0;
    std::string html;
};

RequestPage Request(std::vector<uint8_t> setup, std::vector<uint8_t> data, bool asSent = true,
                    uint8_t protocol = 0x50) {
    PageBuffer page;
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.bytes = setup;
    ctx.setupAsSent = asSent;
    ctx.request.interfaceInfo = {true, 0, 0x08, 0x06, protocol};
    ctx.request.data = data;
    ctx.request.dataPresent = !data.empty();
    RequestPage r;
    r.result = DecodeMscRequest(ctx);
    r.html = std::string(page.view());
    return r;
}

TEST(BulkOnlyRequests, GetMaxLunAndReset) {
    const std::vector<uint8_t> maxLun = {0xA1, 0xFE, 0, 0, 0, 0, 1, 0};
    RequestPage r = Request(maxLun, {0});
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(Has(r.html, "<div class=\"uddiv6\">Get Max LUN</div>"));
    EXPECT_TRUE(Has(r.html, "Allows to determine the number of logical units supported by the device."));
    EXPECT_EQ(FindRow(r.html, "Max LUN")->description, "No LUN is associated with the device");
    EXPECT_EQ(FindRow(Request(maxLun, {3}).html, "Max LUN")->description, "4 LUNs");
    EXPECT_EQ(FindRow(Request(maxLun, {1}).html, "Max LUN")->description, "2 LUNs");
    // Without the setup as sent only the data table is written.
    r = Request(maxLun, {3}, false);
    EXPECT_FALSE(Has(r.html, "bmRequestType"));
    EXPECT_TRUE(Has(r.html, "Maximum LUNs supported"));
    // wLength other than 1 is flagged.
    r = Request({0xA1, 0xFE, 0, 0, 0, 0, 2, 0}, {});
    EXPECT_TRUE(Has(FindRow(r.html, "wLength")->value, "error"));
    EXPECT_FALSE(Has(r.html, "Maximum LUNs supported"));

    r = Request({0x21, 0xFF, 0, 0, 0, 0, 0, 0}, {});
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(Has(r.html, "<div class=\"uddiv6\">Bulk-Only Mass Storage Reset</div>"));
    EXPECT_FALSE(Has(FindRow(r.html, "wLength")->value, "error"));
    // Another class request to the interface: unchecked rows.
    r = Request({0x21, 0x01, 0, 0, 0, 0, 0, 0}, {});
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(Has(r.html, "<div class=\"uddiv6\">Setup Packet</div>"));
    // Standard requests, and interfaces of other protocols, are not ours.
    EXPECT_EQ(Request({0x80, 0x06, 0, 1, 0, 0, 18, 0}, {}).result, 0);
    EXPECT_EQ(Request(maxLun, {0}, true, 0x00).result, 0);
    EXPECT_EQ(BulkOnlyRequestName(maxLun.data(), 0), nullptr);
    EXPECT_EQ(BulkOnlyRequestName(nullptr, 1), nullptr);
    const uint8_t maxLunAsOut[8] = {0x21, 0xFE, 0, 0, 0, 0, 1, 0};
    EXPECT_EQ(BulkOnlyRequestName(maxLunAsOut, 1), nullptr);
}

// --- The simulated stick, read back from a log ----------------------------------

struct StickRecord {
    std::vector<uint8_t> a, b;
    CRecordPairView pair;
};

// Every record of the commands, read back as the capture list reads a row,
// with the pending command's CDB attached the way the store attaches it.
std::vector<std::unique_ptr<StickRecord>> ReadStick(const std::vector<Bytes>& records) {
    FakeFilterLog log;
    log.Append(records);
    std::vector<std::unique_ptr<StickRecord>> out;
    for (uint32_t i = 0; i < log.GetRecordCount(); ++i) {
        auto r = std::make_unique<StickRecord>();
        RECORD_INDEX_ENTRY e{};
        log.GetIndexEntry(i, e);
        r->a.resize(GetEntryRecordSize(e));
        r->b.resize(4096);
        r->pair.Init(r->a.data(), static_cast<uint32_t>(r->a.size()), r->b.data(), 4096);
        log.ReadRecordPair(i, r->pair);
        if (IsEntryMassStorage(e) && CommandNeedsCdb(GetEntryOpcode(e)) && !IsEntryCommandWrapper(e) &&
            GetEntryCommandWrapper(e) != NO_INDEX) {
            std::vector<uint8_t> wa(4096);
            CRecordView wrapper;
            wrapper.Init(wa.data(), 4096);
            if (log.ReadRecord(GetEntryCommandWrapper(e), wrapper) == S_OK32 &&
                CopyWrapperCdb(wrapper.data, wrapper.dataLength, r->pair.cdb)) {
                r->pair.cdbPresent = 1;
            }
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::string RenderRecord(const StickRecord& r, int* result = nullptr) {
    PageBuffer page;
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    SetBulkTransferContext(ctx, r.pair, kDriverRecordLayout, INTERFACE_INFO{true, 0, 0x08, 0x06, 0x50});
    const int rc = DecodeBulkOnlyTransfer(ctx);
    if (result) *result = rc;
    return std::string(page.view());
}

TEST(BulkOnlyRecords, EachRecordOfACommandShowsTheBytesItHolds) {
    RecordBuilder b;
    MassStorageDevice dev = MakeMassStorageDevice(0x100);
    std::vector<Bytes> records;
    AppendMassStorageCommand(b, dev, {0x12, 0, 0, 0, 36, 0}, true, 36, QemuInquiry(), 0, records);
    ASSERT_EQ(records.size(), 6u);
    const auto read = ReadStick(records);
    ASSERT_EQ(read.size(), 6u);
    struct Expect {
        int result;
        const char* holds;  // null: nothing written
    } expect[] = {
        {1, "CDB - Inquiry"},          // CBW issue
        {0, nullptr},                  // CBW completion: no data of its own
        {0, nullptr},                  // data IN issue: the buffer is not data yet
        {1, "Standard Inquiry Data"},  // data IN completion
        {0, nullptr},                  // CSW issue
        {1, "bCSWStatus"},             // CSW completion
    };
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        int result = -1;
        const std::string html = RenderRecord(*read[i], &result);
        EXPECT_EQ(result, expect[i].result);
        if (expect[i].holds) {
            EXPECT_TRUE(Has(html, expect[i].holds)) << html;
        } else {
            EXPECT_EQ(html, "");
        }
    }
}

TEST(BulkOnlyRecords, AFailedCompletionCarriesNoScsiData) {
    RecordBuilder b;
    MassStorageDevice dev = MakeMassStorageDevice(0x100);
    std::vector<Bytes> records;
    AppendMassStorageCommand(b, dev, {0x12, 0, 0, 0, 36, 0}, true, 36, QemuInquiry(), 0, records);
    // The data stage's completion again, failed.
    UrbSpec d = BulkTransfer(dev.bulkIn, 36, QemuInquiry());
    records[3] = b.UrbCompletion(dev.device, d, Issued{GetRecordSequence(records[2].data(), records[2].size()),
                                                       0x8A123000},
                                 0xC0000001u);
    const auto read = ReadStick(records);
    int result = -1;
    EXPECT_EQ(RenderRecord(*read[3], &result), "");
    EXPECT_EQ(result, 0);
}

// --- Golden pages ------------------------------------------------------------

// One command of the simulated stick per family: its wrapper page, its data
// page and its status page, each a whole page as the pane shows it.
TEST(BulkOnlyGoldens, CommandFamilies) {
    struct Family {
        const char* name;
        std::vector<uint8_t> cdb;
        bool in;
        std::vector<uint8_t> data;
        uint8_t status;
        uint8_t subClass;
        const char* pages;  // which pages are golden: c(bw), d(ata), s(tatus)
    } families[] = {
        {"msc_inquiry", {0x12, 0, 0, 0, 36, 0}, true, QemuInquiry(), 0, 0x06, "ds"},
        {"msc_inquiry_markup", {0x12, 0, 0, 0, 36, 0}, true, MarkupInquiry(), 0, 0x02, "d"},
        {"msc_inquiry_vpd00", {0x12, 1, 0x00, 0, 0xFF, 0}, true, QemuVpdSupportedPages(), 0, 0x06, "d"},
        {"msc_inquiry_vpd80", {0x12, 1, 0x80, 0, 0xFF, 0}, true, QemuVpdSerial(), 0, 0x06, "cd"},
        {"msc_inquiry_vpd83", {0x12, 1, 0x83, 0, 0xFF, 0}, true, QemuVpdDeviceIdentification(), 0, 0x06, "d"},
        {"msc_inquiry_vpd83_t10", {0x12, 1, 0x83, 0, 0xFF, 0}, true, T10VendorDeviceIdentification(), 0, 0x06, "d"},
        {"msc_request_sense", {0x03, 0, 0, 0, 18, 0}, true, QemuSenseMediumNotPresent(), 0, 0x06, "cd"},
        {"msc_read_capacity10", {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true, QemuReadCapacity10(), 0, 0x06, "d"},
        {"msc_read_capacity16", {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}, true, QemuReadCapacity16(), 0, 0x06, "cd"},
        {"msc_format_capacities", {0x23, 0, 0, 0, 0, 0, 0, 0, 0xFC, 0}, true, GadgetFormatCapacities(), 0, 0x06, "d"},
        {"msc_report_luns", {0xA0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}, true, QemuReportLuns(), 0, 0x06, "d"},
        {"msc_security_protocol_in", {0xA2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}, true, SupportedSecurityProtocols(), 0, 0x06, "cd"},
        {"msc_format_unit", {0x04, 0x11, 0, 0, 0, 0}, false, FormatUnitList(), 0, 0x02, "cd"},
        {"msc_read10", {0x28, 0x08, 0x80, 0, 0, 0, 0, 0, 8, 0}, true, std::vector<uint8_t>(4096, 0xE5), 1, 0x06, "cs"},
        {"msc_write16", {0x8A, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, false, std::vector<uint8_t>(512, 0), 2, 0x06, "cs"},
        {"msc_start_stop_mmc", {0x1B, 0, 0, 0, 0x02, 0}, false, {}, 0, 0x02, "c"},
        {"msc_read_cd_mmc", {0xBE, 0x04, 0, 0, 0x10, 0, 0, 0, 1, 0xF8, 0x01, 0}, true, std::vector<uint8_t>(96, 0),
         0, 0x02, "c"},
    };
    for (const Family& f : families) {
        SCOPED_TRACE(f.name);
        RecordBuilder b;
        MassStorageDevice dev = MakeMassStorageDevice(0x100, f.subClass);
        std::vector<Bytes> records;
        AppendMassStorageCommand(b, dev, f.cdb, f.in, static_cast<uint32_t>(f.data.size()), f.data, f.status,
                                 records);
        const auto read = ReadStick(records);
        ASSERT_EQ(read.size(), records.size());
        const INTERFACE_INFO info{true, 0, 0x08, f.subClass, 0x50};
        auto page = [&](const StickRecord& r) {
            PageBuffer buffer(0x40000);
            const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
            BeginPage(buffer, f.name, heads);
            DECODE_CONTEXT ctx;
            ctx.page = &buffer;
            SetBulkTransferContext(ctx, r.pair, kDriverRecordLayout, info);
            EXPECT_EQ(DecodeBulkOnlyTransfer(ctx), 1);
            ClosePage(buffer);
            const std::string s(buffer.view());
            EXPECT_EQ(CheckNesting(s), "");
            return s;
        };
        // Every page is written and checked for nesting; the pages that show
        // something new are golden (each costs the browser check a run).
        const std::string pages = f.pages;
        const std::string cbwPage = page(*read[0]);
        if (pages.find('c') != std::string::npos) CheckGoldenPage(std::string(f.name) + "_cbw", cbwPage);
        if (!f.data.empty()) {
            const std::string dataPage = page(*read[f.in ? 3 : 2]);
            if (pages.find('d') != std::string::npos) CheckGoldenPage(std::string(f.name) + "_data", dataPage);
            // Blocks read or written are not shown.
            if (f.cdb[0] == 0x28 || f.cdb[0] == 0x8A || f.cdb[0] == 0xBE) {
                EXPECT_EQ(dataPage.find("<div class=\"uddiv6\">"), std::string::npos);
            }
        }
        const std::string cswPage = page(*read.back());
        if (pages.find('s') != std::string::npos) CheckGoldenPage(std::string(f.name) + "_csw", cswPage);
    }
}

TEST(BulkOnlyGoldens, GetMaxLunPage) {
    PageBuffer page;
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, "Get Max LUN", heads);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    const std::vector<uint8_t> setup = {0xA1, 0xFE, 0, 0, 0, 0, 1, 0}, data = {1};
    ctx.bytes = setup;
    ctx.setupAsSent = true;
    ctx.request.interfaceInfo = {true, 0, 0x08, 0x06, 0x50};
    ctx.request.data = data;
    ctx.request.dataPresent = true;
    ASSERT_EQ(DecodeMscRequest(ctx), 1);
    ClosePage(page);
    CheckGoldenPage("msc_get_max_lun", page.view());
}

} // namespace
