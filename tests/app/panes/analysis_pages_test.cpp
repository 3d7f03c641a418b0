// The Data Analysis pane's record dispatch over simulated records: one case
// per row of the dispatch (URB kinds, class requests, HID reports, the Bulk-Only
// stages, the hub's descriptor request), each page nesting cleanly; the pages
// worth looking at are golden pages that the browser check loads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/panes/AnalysisPages.h"
#include "decode/PageWriter.h"
#include "tests/app/panes/PaneRecords.h"
#include "tests/decode/PageTest.h"

namespace brx::testing {
namespace {

// A boot mouse: three buttons, X and Y (-127..127).
const Bytes kMouseDescriptor = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
                                0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                                0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                                0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
const Bytes kDeviceDescriptor = {18, 1, 0x00, 0x02, 0, 0, 0, 64, 0x34, 0x12, 0x78, 0x56, 0x00, 0x01, 1, 2, 0, 1};

DeviceSpec Interface(uint8_t cls, uint8_t sub = 0, uint8_t proto = 0) {
    DeviceSpec d;
    d.interfaceClass = cls;
    d.interfaceSubClass = sub;
    d.interfaceProtocol = proto;
    return d;
}

const PipeSpec kMousePipe{0x81, 0x8A0C5000, 0x0007, PIPE_TYPE_INTERRUPT};

class AnalysisPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const DeviceSpec d = Interface(0x03, 1, 2);
        const Bytes block = HidDescriptorBlock(
            {{0, kMouseDescriptor, {{d.deviceObject, d.deviceKey}}, {{kMousePipe.handle, kMousePipe.hidKey}}}});
        descriptors.AddFromBlock(block.data(), block.size(), kDriverRecordLayout);
        cache.SetRDHash(&descriptors);
        sources.reportDescriptors = &descriptors;
        sources.reportCache = &cache;
    }
    void TearDown() override { cache.SetRDHash(nullptr); }

    // The page of an issue (completion false) or completion record of u.
    std::string Page(const DeviceSpec& d, const UrbSpec& u, bool completion, uint32_t status = 0) {
        RecordBuilder b;
        const Bytes issue = b.UrbIssue(d, u, b.NewIrp());
        return PageOf(completion ? b.UrbCompletion(d, u, b.Last(), status) : issue);
    }
    std::string PageOf(const Bytes& record) {
        // BRX_WRITE_GOLDEN also writes each record as a seed of the fuzzer.
        if (std::getenv("BRX_WRITE_GOLDEN")) {
            static int seed = 0;
            const std::string path = std::string(BRX_SOURCE_DIR) + "/tests/data/corpus/analysis_pages/record_" +
                                     std::to_string(seed++);
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(record.data()),
                                                         static_cast<std::streamsize>(record.size()));
        }
        auto read = ReadOne(record);
        if (!read) {
            ADD_FAILURE() << "record not read back";
            return {};
        }
        PageBuffer page;
        const AnalysisPageResult result = BuildAnalysisPage(page, read->pair, read->layout, sources);
        std::string text(page.view());
        if (result == AnalysisPageResult::None) {
            EXPECT_TRUE(text.empty());
            return {};
        }
        EXPECT_TRUE(page.closed());
        EXPECT_EQ(CheckNesting(text), "");
        EXPECT_NE(text.find("</html>"), std::string::npos);
        return text;
    }

    CHIDDeviceRDHash descriptors;
    CHIDDeviceDataHash cache;
    ANALYSIS_SOURCES sources;
};

bool Has(const std::string& page, std::string_view what) { return page.find(what) != std::string::npos; }

TEST_F(AnalysisPagesTest, ControlTransferGetDescriptor) {
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 18, 0};
    UrbSpec u = ControlTransfer(setup, kDeviceDescriptor);
    const std::string page = Page(DeviceSpec{}, u, true);
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(Has(page, "bcdUSB"));
    EXPECT_TRUE(Has(page, "idVendor"));
    EXPECT_FALSE(Has(page, kDecoderFailedLine));
    CheckGoldenPage("analysis_control_get_descriptor", page);
    // The issue record of the same IN transfer has no data yet: the setup
    // packet alone.
    u.data.clear();
    const std::string issue = Page(DeviceSpec{}, u, false);
    EXPECT_TRUE(Has(issue, "bmRequestType"));
    EXPECT_FALSE(Has(issue, "idVendor"));
}

TEST_F(AnalysisPagesTest, ControlTransferHidReports) {
    const DeviceSpec d = Interface(0x03, 1, 2);
    // GET_REPORT (input, ID 0) on the mouse's interface: the report's fields.
    const uint8_t get[8] = {0xA1, 0x01, 0x00, 0x01, 0x00, 0x00, 3, 0};
    UrbSpec u = ControlTransfer(get, {0x01, 0x05, 0xFD});
    u.pipe = kMousePipe;
    const std::string page = Page(d, u, true);
    EXPECT_TRUE(Has(page, "hrpt"));
    EXPECT_TRUE(Has(page, "Input Report"));
    EXPECT_TRUE(Has(page, "-3"));
    CheckGoldenPage("analysis_control_hid_get_report", page);
    // SET_REPORT of report type 4: the request without report rows.
    const uint8_t set[8] = {0x21, 0x09, 0x00, 0x04, 0x00, 0x00, 1, 0};
    UrbSpec s = ControlTransfer(set, {0x01});
    s.pipe = kMousePipe;
    const std::string bad = Page(d, s, false);
    EXPECT_TRUE(Has(bad, "bmRequestType"));
    EXPECT_FALSE(Has(bad, "hrptdiv1"));
}

TEST_F(AnalysisPagesTest, ControlTransferReportDescriptorGetsItsSheet) {
    const DeviceSpec d = Interface(0x03, 1, 2);
    const uint8_t setup[8] = {0x81, 0x06, 0x00, 0x22, 0x00, 0x00, 50, 0};
    const std::string page = Page(d, ControlTransfer(setup, kMouseDescriptor), true);
    EXPECT_TRUE(Has(page, "hrd"));
    EXPECT_TRUE(Has(page, "Usage Page"));
}

TEST_F(AnalysisPagesTest, InterruptHidReports) {
    const DeviceSpec d = Interface(0x03, 1, 2);
    const UrbSpec u = BulkTransfer(kMousePipe, 3, {0x05, 0x7F, 0x81});
    const std::string page = Page(d, u, true);
    EXPECT_TRUE(Has(page, "Input Report"));
    EXPECT_TRUE(Has(page, "127"));
    CheckGoldenPage("analysis_interrupt_hid_report", page);
    // IN data come from the completion only; a failed completion has none.
    EXPECT_EQ(Page(d, u, false), "");
    EXPECT_EQ(Page(d, u, true, 0xC0000001), "");
    // Without the log's descriptor store there is no page.
    sources.reportDescriptors = nullptr;
    EXPECT_EQ(Page(d, u, true), "");
}

TEST_F(AnalysisPagesTest, AReportThatCannotBeDecodedSaysSo) {
    // The descriptor store knows the pipe but nothing parses the report: the
    // page carries the error line instead of being blank.
    sources.reportCache = nullptr;
    const std::string page = Page(Interface(0x03, 1, 2), BulkTransfer(kMousePipe, 3, {1, 2, 3}), true);
    EXPECT_TRUE(Has(page, kDecoderFailedLine));
}

TEST_F(AnalysisPagesTest, CdcNotifications) {
    const PipeSpec notify{0x83, 0x8A0C6000, 0, PIPE_TYPE_INTERRUPT};
    // SERIAL_STATE with its two data bytes.
    const Bytes serialState = {0xA1, 0x20, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00};
    const std::string page = Page(Interface(0x02, 2, 1), BulkTransfer(notify, 10, serialState), true);
    EXPECT_TRUE(Has(page, "Serial State"));
    EXPECT_TRUE(Has(page, "bTxCarrier"));
    CheckGoldenPage("analysis_cdc_notification", page);
    // A header that is no class notification: its table and its data bytes.
    const Bytes odd = {0x80, 0x20, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00};
    const std::string bytes = Page(Interface(0x02, 2, 1), BulkTransfer(notify, 10, odd), true);
    EXPECT_TRUE(Has(bytes, "bmRequestType"));
    EXPECT_TRUE(Has(bytes, "03&nbsp;00&nbsp;"));
    EXPECT_FALSE(Has(bytes, kDecoderFailedLine));
    // A data interface (0Ah) and a notification shorter than its header: none.
    EXPECT_EQ(Page(Interface(0x0A), BulkTransfer(notify, 10, serialState), true), "");
    EXPECT_EQ(Page(Interface(0x02, 2, 1), BulkTransfer(notify, 4, {0xA1, 0x20, 0, 0}), true), "");
}

TEST_F(AnalysisPagesTest, MassStorageStages) {
    const PipeSpec out{0x02, 0x8A0C3000, 0, PIPE_TYPE_BULK};
    const PipeSpec in{0x81, 0x8A0C3100, 0, PIPE_TYPE_BULK};
    const Bytes cbw = CommandBlockWrapper(7, 36, true, 0, {0x12, 0, 0, 0, 36, 0});
    const DeviceSpec bot = Interface(0x08, 0x06, 0x50);
    const std::string page = Page(bot, BulkTransfer(out, 31, cbw), false);
    EXPECT_TRUE(Has(page, "dCBWSignature"));
    EXPECT_TRUE(Has(page, "CDB - Inquiry"));
    CheckGoldenPage("analysis_mass_storage_cbw", page);
    // Data-in: valid only on the successful completion.
    const UrbSpec data = BulkTransfer(in, 36, InquiryData(0, 6));
    // A record without the driver's mass-storage bytes: the stage's bytes.
    const std::string bytes = Page(bot, data, true);
    EXPECT_TRUE(Has(bytes, "00&nbsp;00&nbsp;06&nbsp;02&nbsp;"));
    EXPECT_FALSE(Has(bytes, kDecoderFailedLine));
    CheckGoldenPage("analysis_mass_storage_bytes", bytes);
    // The INQUIRY command's data stage as the driver records it (with the
    // pending command's bytes): the decoded data.
    RecordBuilder b;
    MassStorageDevice stick = MakeMassStorageDevice(0x89A01000);
    std::vector<Bytes> records;
    AppendMassStorageCommand(b, stick, {0x12, 0, 0, 0, 36, 0}, true, 36, InquiryData(0, 6), 0, records);
    FakeFilterLog log;
    log.Append(records);
    std::string inquiry;
    for (uint32_t i = 0; i < log.GetRecordCount(); ++i) {
        auto read = ReadBack(log, i);
        ASSERT_TRUE(read);
        const CRecordView& v = read->pair.record;
        if (!v.completion || v.direction != DIRECTION_IN || v.dataLength != 36) continue;
        PageBuffer page;
        ASSERT_EQ(BuildAnalysisPage(page, read->pair, read->layout, sources), AnalysisPageResult::Page);
        inquiry.assign(page.view());
    }
    EXPECT_TRUE(Has(inquiry, "BRINDLEX")) << inquiry;
    EXPECT_EQ(CheckNesting(inquiry), "");
    CheckGoldenPage("analysis_mass_storage_inquiry_data", inquiry);
    EXPECT_EQ(Page(bot, data, false), "");
    // Protocol 06h is not Bulk-Only: nothing.
    EXPECT_EQ(Page(Interface(0x08, 0x06, 0x06), BulkTransfer(out, 31, cbw), false), "");
}

TEST_F(AnalysisPagesTest, DescriptorRequests) {
    const UrbSpec get = GetDescriptor(1, 0, 0, 18, kDeviceDescriptor);
    const std::string page = Page(DeviceSpec{}, get, true);
    EXPECT_TRUE(Has(page, "idVendor"));
    CheckGoldenPage("analysis_urb_get_descriptor", page);
    // A failed completion and the issue record: no page.
    EXPECT_EQ(Page(DeviceSpec{}, get, true, 0xC0000001), "");
    EXPECT_EQ(Page(DeviceSpec{}, get, false), "");
    // SET_DESCRIPTOR: its data on the issue record.
    const std::string set = Page(DeviceSpec{}, SetDescriptor(1, 0, 0, kDeviceDescriptor), false);
    EXPECT_TRUE(Has(set, "idVendor"));
}

TEST_F(AnalysisPagesTest, ResultRequests) {
    struct Case {
        uint16_t function;
        Bytes result;
        std::string_view expected;
    } cases[] = {
        {URB_FN_GET_STATUS_FROM_DEVICE, {0x01, 0x00, 0x07}, "Self Powered"},
        {URB_FN_GET_CONFIGURATION, {0x01}, "Configuration Value"},
        {URB_FN_GET_INTERFACE, {0x02}, "Alternate Setting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        UrbSpec u;
        u.function = c.function;
        u.transferFlags = 1;
        u.bufferLength = static_cast<uint32_t>(c.result.size());
        u.resultBytes = c.result;
        const std::string page = Page(DeviceSpec{}, u, true);
        EXPECT_TRUE(Has(page, c.expected)) << page;
        EXPECT_EQ(Page(DeviceSpec{}, u, true, 0xC0000001), "");
    }
}

TEST_F(AnalysisPagesTest, VendorAndClassRequests) {
    // A vendor OUT request with data: its issue record.
    const UrbSpec vendor = VendorClassRequest(URB_FN_VENDOR_DEVICE, false, 0x42, 0x1234, 0, 2, {0xAB, 0xCD});
    const std::string page = Page(DeviceSpec{}, vendor, false);
    EXPECT_TRUE(Has(page, "42h"));
    EXPECT_EQ(Page(DeviceSpec{}, vendor, true), "");
    // HID GET_REPORT as a class request: the report through the device object.
    const DeviceSpec hid = Interface(0x03, 1, 2);
    const UrbSpec report = VendorClassRequest(URB_FN_CLASS_INTERFACE, true, 0x01, 0x0100, 0, 3, {0x02, 0x10, 0x20});
    const std::string hidPage = Page(hid, report, true);
    EXPECT_TRUE(Has(hidPage, "Input Report"));
    EXPECT_TRUE(Has(hidPage, "GET_REPORT") || Has(hidPage, "Get Report") || Has(hidPage, "GET REPORT"));
    CheckGoldenPage("analysis_class_hid_get_report", hidPage);
}

TEST_F(AnalysisPagesTest, HubDescriptorRequest) {
    RecordBuilder b;
    // USB_DESCRIPTOR_REQUEST: connection index, setup packet, then the data.
    Bytes request = {1, 0, 0, 0, 0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 18, 0};
    const Bytes issue = b.IoctlIssue(DeviceSpec{}, 4442, 0x220410, 12, request, b.NewIrp());
    const std::string setupOnly = PageOf(issue);
    EXPECT_TRUE(Has(setupOnly, "bmRequestType"));
    EXPECT_FALSE(Has(setupOnly, "idVendor"));
    Bytes answer = request;
    answer.insert(answer.end(), kDeviceDescriptor.begin(), kDeviceDescriptor.end());
    const std::string page =
        PageOf(b.IoctlCompletion(DeviceSpec{}, 4442, 0x220410, static_cast<uint32_t>(answer.size()), answer, b.Last()));
    EXPECT_TRUE(Has(page, "idVendor"));
    CheckGoldenPage("analysis_hub_descriptor_request", page);
    // Shorter than the request: nothing.
    EXPECT_EQ(PageOf(b.IoctlIssue(DeviceSpec{}, 4442, 0x220410, 8, Bytes(8, 0), b.NewIrp())), "");
}

TEST_F(AnalysisPagesTest, RecordsWithoutAPage) {
    RecordBuilder b;
    // A PnP request (a tree), a kind beyond the tables, an isochronous URB.
    EXPECT_EQ(PageOf(b.Pnp(DeviceSpec{}, 9, b.NewIrp())), "");
    EXPECT_EQ(PageOf(b.IoctlIssue(DeviceSpec{}, 4540, 0x220000, 16, Bytes(16, 0), b.NewIrp())), "");
    EXPECT_EQ(Page(DeviceSpec{}, IsochTransfer(kMousePipe, 1, 8, Bytes(8, 1)), true), "");
}

TEST_F(AnalysisPagesTest, AFullPageEndsWithItsTruncationLine) {
    // A configuration of many endpoints in a small page: cut, closed.
    Bytes config(9 + 7 * 2000, 0);
    const uint8_t head[9] = {9, 2, 0, 0, 1, 1, 0, 0x80, 50};
    std::copy(head, head + 9, config.begin());
    PutU16(config, 2, static_cast<uint16_t>(config.size()));
    for (size_t i = 0; i < 2000; ++i) {
        const uint8_t ep[7] = {7, 5, 0x81, 2, 0x00, 0x02, 0};
        std::copy(ep, ep + 7, config.begin() + static_cast<long>(9 + 7 * i));
    }
    RecordBuilder b;
    const UrbSpec get = GetDescriptor(2, 0, 0, static_cast<uint32_t>(config.size()), config);
    b.UrbIssue(DeviceSpec{}, get, b.NewIrp());
    auto read = ReadOne(b.UrbCompletion(DeviceSpec{}, get, b.Last()));
    ASSERT_TRUE(read);
    PageBuffer page(0x8000);
    ASSERT_EQ(BuildAnalysisPage(page, read->pair, read->layout, sources), AnalysisPageResult::Page);
    const std::string text(page.view());
    EXPECT_TRUE(Has(text, kTruncationLine));
    EXPECT_EQ(CheckNesting(text), "");
}

TEST_F(AnalysisPagesTest, ReportRowsAreCapped) {
    // 2000 one-bit buttons, all pressed: the list stops at the cap and says
    // how many fields it left out.
    const Bytes descriptor = {0x05, 0x01, 0x09, 0x05, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x2A, 0xD0, 0x07,
                              0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x96, 0xD0, 0x07, 0x81, 0x02, 0xC0};
    CHIDDeviceRDHash rd;
    const Bytes block = HidDescriptorBlock({{0, descriptor, {}, {{0x1234, 9}}}});
    rd.AddFromBlock(block.data(), block.size(), kDriverRecordLayout);
    CHIDDeviceDataHash big;
    big.SetRDHash(&rd);
    const Bytes report(250, 0xFF);
    REPORT_DATA_ARGS a;
    a.data = report;
    a.reportType = 1;
    a.pipeKey = HID_OBJECT_KEY{0x1234, 9, 0, 0};
    PageBuffer page;
    BeginPage(page, "", {});
    EXPECT_TRUE(EntryRenderReportData(page, &big, a));
    ClosePage(page);
    const std::string text(page.view());
    EXPECT_TRUE(Has(text, "976 more report fields not listed.")) << text;
    big.SetRDHash(nullptr);
}

TEST_F(AnalysisPagesTest, EntryPointsLeaveThePageAloneWhenTheyWriteNothing) {
    PageBuffer page;
    BeginPage(page, "", {});
    const size_t before = page.size();
    EXPECT_FALSE(EntryDecodeControlSetup(page, nullptr, true, {}, false, INTERFACE_INFO{}, false));
    EXPECT_FALSE(EntryRenderReportData(page, &cache, REPORT_DATA_ARGS{}));
    EXPECT_EQ(page.size(), before);
}

} // namespace
} // namespace brx::testing
