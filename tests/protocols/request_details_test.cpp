#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "protocols/RequestDetails.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx {
namespace {

// Records built as the driver writes them, indexed as the store indexes
// them, read back as the capture list reads a row, and formatted.
class RequestDetailsTest : public ::testing::Test {
protected:
    std::u16string Text(uint32_t index) {
        CRecordPairView pair;
        std::vector<uint8_t> a(4096), b(4096);
        pair.Init(a.data(), 4096, b.data(), 4096);
        EXPECT_EQ(log.ReadRecordPair(index, pair), S_OK32);
        std::u16string text(260, u'#');
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text.data();
        ctx.textSize = static_cast<uint32_t>(text.size());
        RECORD_LAYOUT layout = log.GetRecordLayout();
        ctx.layout = &layout;
        FormatRequestDetails(ctx);
        size_t end = text.find(u'\0');
        return end == std::u16string::npos ? u"(untouched)" : text.substr(0, end);
    }
    // Appends an URB at issue and at completion; returns the issue's index.
    uint32_t Urb(const DeviceSpec& d, const UrbSpec& issue, const UrbSpec& completion, uint32_t status = 0) {
        uint32_t first = log.GetRecordCount();
        log.Append(builder.UrbIssue(d, issue, builder.NewIrp()));
        log.Append(builder.UrbCompletion(d, completion, builder.Last(), status));
        return first;
    }
    uint32_t Urb(const DeviceSpec& d, const UrbSpec& u) { return Urb(d, u, u); }
    uint32_t Request(RequestSpec spec) {
        uint32_t first = log.GetRecordCount();
        log.Append(builder.Request(spec));
        return first;
    }

    testing::FakeFilterLog log;
    RecordBuilder builder;
};

DeviceSpec Interface(uint8_t cls, uint8_t sub = 0, uint8_t protocol = 0) {
    DeviceSpec d;
    d.interfaceClass = cls;
    d.interfaceSubClass = sub;
    d.interfaceProtocol = protocol;
    return d;
}

UrbSpec Control(std::initializer_list<uint8_t> setup) {
    uint8_t s[8] = {};
    std::copy(setup.begin(), setup.end(), s);
    return ControlTransfer(s);
}

TEST_F(RequestDetailsTest, TransfersSayBufferThenData) {
    DeviceSpec d;
    PipeSpec in{0x81, 0x8A0C2000, 0};
    UrbSpec read = BulkTransfer(in, 64);
    read.transferFlags = 1;
    UrbSpec answered = read;
    answered.data.assign(64, 0x55);
    uint32_t i = Urb(d, read, answered);
    EXPECT_EQ(Text(i), u"64 bytes buffer");
    EXPECT_EQ(Text(i + 1), u"64 bytes data");

    UrbSpec failed = read;
    failed.usbdStatus = static_cast<int32_t>(0xC0000004);
    i = Urb(d, read, failed);
    EXPECT_EQ(Text(i + 1), u"(untouched)");
    i = Urb(d, read, read, 0xC0000001); // the request itself failed
    EXPECT_EQ(Text(i + 1), u"(untouched)");

    PipeSpec out{0x02, 0x8A0C2100, 0};
    UrbSpec write = BulkTransfer(out, 1, {0x42});
    i = Urb(d, write);
    EXPECT_EQ(Text(i), u"1 byte data");
    EXPECT_EQ(Text(i + 1), u"1 byte buffer");
}

TEST_F(RequestDetailsTest, StandardRequests) {
    struct Case {
        std::initializer_list<uint8_t> setup;
        const char16_t* text;
    } cases[] = {
        {{0x80, 0x06, 0x00, 0x01, 0, 0, 18, 0}, u"Get Descriptor (Dvc)"},
        {{0x80, 0x06, 0x00, 0x03, 0, 0, 255, 0}, u"Get Descriptor (Str Lang Id)"},
        {{0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 255, 0}, u"Get Descriptor (Str Ind 2)"},
        {{0x80, 0x06, 0x00, 0x02, 0, 0, 9, 0}, u"Get Descriptor (Cfg Ind 0)"},
        {{0x80, 0x06, 0x00, 0x0F, 0, 0, 5, 0}, u"Get Descriptor (Binary Device Object Store (BOS) )"},
        {{0x00, 0x09, 0x00, 0x00, 0, 0, 0, 0}, u"Set Configuration (Unconfigure)"},
        {{0x00, 0x09, 0x01, 0x00, 0, 0, 0, 0}, u"Set Configuration 1"},
        {{0x02, 0x01, 0x00, 0x00, 0x81, 0, 0, 0}, u"Clear Feature (Ep 81h, Halt)"},
        {{0x02, 0x01, 0x00, 0x00, 0x00, 0, 0, 0}, u"Clear Feature (Ep 0, Halt)"},
        {{0x00, 0x03, 0x01, 0x00, 0, 0, 0, 0}, u"Set Feature (Dvc, Remote Wakeup)"},
        {{0x01, 0x03, 0x00, 0x00, 2, 0, 0, 0}, u"Set Feature (Ifc, Function Suspend)"},
        {{0x80, 0x00, 0, 0, 0, 0, 2, 0}, u"Get Status (Dvc)"},
        {{0x82, 0x00, 0, 0, 0x81, 0, 2, 0}, u"Get Status (Ep 81h)"},
        {{0x00, 0x05, 7, 0, 0, 0, 0, 0}, u"Set Address (7)"},
        {{0x01, 0x0B, 1, 0, 2, 0, 0, 0}, u"Set Interface (Ifc 2 / Alt 1)"},
        {{0x82, 0x0C, 0, 0, 0x83, 0, 2, 0}, u"Synch Frame (Ep 83h)"},
        {{0x40, 0x01, 0, 0, 0, 0, 0, 0}, u"(untouched)"}, // vendor
    };
    DeviceSpec d;
    for (const Case& c : cases) EXPECT_EQ(Text(Urb(d, Control(c.setup))), c.text);
}

TEST_F(RequestDetailsTest, DescriptorAndFeatureUrbs) {
    DeviceSpec hid = Interface(0x03);
    EXPECT_EQ(Text(Urb(hid, GetDescriptor(0x03, 0, 0, 255))), u"Str Lang Id");
    EXPECT_EQ(Text(Urb(hid, GetDescriptor(0x03, 3, 0x0409, 255))), u"Str Ind 3");
    EXPECT_EQ(Text(Urb(hid, GetDescriptor(0x06, 0, 0, 10))), u"Dvc Qual");
    UrbSpec report = GetDescriptor(0x22, 0, 0, 74);
    report.function = URB_FN_GET_DESCRIPTOR_FROM_INTERFACE;
    EXPECT_EQ(Text(Urb(hid, report)), u"Report");

    UrbSpec halt = PipeRequest(URB_FN_CLEAR_FEATURE_TO_ENDPOINT, PipeSpec{});
    halt.value = 0;
    halt.index = 0x81;
    EXPECT_EQ(Text(Urb(hid, halt)), u"Ep 81h, Halt");
    UrbSpec wakeup = PipeRequest(URB_FN_SET_FEATURE_TO_DEVICE, PipeSpec{});
    wakeup.value = 1;
    EXPECT_EQ(Text(Urb(hid, wakeup)), u"Remote Wakeup");
}

TEST_F(RequestDetailsTest, ClassRequestsByInterfaceClass) {
    struct Case {
        DeviceSpec device;
        std::initializer_list<uint8_t> setup;
        const char16_t* text;
    } cases[] = {
        {Interface(0x03), {0xA1, 0x01, 0x02, 0x01, 0, 0, 8, 0}, u"Get Report (Input, Id 2, Len 8)"},
        {Interface(0x03), {0x21, 0x09, 0x00, 0x02, 0, 0, 1, 0}, u"Set Report (Output, Len 1)"},
        {Interface(0x03), {0xA0, 0x01, 0x02, 0x01, 0, 0, 8, 0}, u"(untouched)"}, // GET_REPORT needs A1h
        {Interface(0x03), {0x21, 0x0A, 0x00, 0x00, 0, 0, 0, 0}, u"Set Idle"},
        {Interface(0x09), {0x23, 0x01, 0x10, 0x00, 0x01, 0, 0, 0},
         u"Clear Port Feature (Port 1, Connect Status Change)"},
        {Interface(0x09), {0x23, 0x03, 0x06, 0x00, 0x02, 0, 0, 0}, u"Set Port Feature (Port 2, Fea 6)"},
        {Interface(0x09), {0xA3, 0x00, 0, 0, 0x03, 0, 4, 0}, u"Get Port Status (3)"},
        {Interface(0x09), {0x23, 0x08, 0, 0, 0x01, 0, 0, 0}, u"Clear TT Buffer (TT Port 1)"},
        {Interface(0x02, 0x02), {0x21, 0x20, 0, 0, 0, 0, 7, 0}, u"Set Line Coding (Ifc 0)"},
        {Interface(0x02, 0x02), {0xA1, 0x20, 0, 0, 0, 0, 7, 0}, u"(untouched)"}, // a SET read by the host
        {Interface(0x02, 0x02), {0x21, 0x11, 1, 0, 0, 0, 0, 0}, u"Set Hook State (Ifc 0, Off-Hook)"},
        {Interface(0x0A), {0xA1, 0x21, 0, 0, 1, 0, 7, 0}, u"Get Line Coding (Ifc 1)"},
        {Interface(0xFE, 0x01), {0x21, 0x01, 5, 0, 0, 0, 64, 0}, u"DFU Download (Ifc 0, Blk 5)"},
        {Interface(0xFE, 0x01), {0xA1, 0x01, 5, 0, 0, 0, 64, 0}, u"(untouched)"},
        {Interface(0xFE, 0x01), {0xA1, 0x03, 0, 0, 0, 0, 6, 0}, u"DFU Get Status (Ifc 0)"},
        {Interface(0x08, 0x06, 0x50), {0xA1, 0xFE, 0, 0, 0, 0, 1, 0}, u"Get Max LUN"},
        {Interface(0x08, 0x06, 0x50), {0x21, 0xFF, 0, 0, 0, 0, 0, 0}, u"Bulk-Only Mass Storage Reset"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(Urb(c.device, Control(c.setup))), c.text);

    // A class URB gets its setup packet made up from its fields.
    UrbSpec lineCoding = VendorClassRequest(URB_FN_CLASS_INTERFACE, true, 0x21, 0, 1, 7);
    EXPECT_EQ(Text(Urb(Interface(0x02, 0x02), lineCoding)), u"Get Line Coding (Ifc 1)");
}

TEST_F(RequestDetailsTest, CdcNotificationsAndHidReports) {
    DeviceSpec cdc = Interface(0x02, 0x02);
    PipeSpec notify{0x83, 0x8A0C2200, 0};
    UrbSpec wait = BulkTransfer(notify, 16);
    wait.transferFlags = 1;
    UrbSpec serialState = wait;
    serialState.data = {0xA1, 0x20, 0, 0, 0, 0, 2, 0, 0x03, 0x00};
    uint32_t i = Urb(cdc, wait, serialState);
    EXPECT_EQ(Text(i), u"16 bytes buffer");
    EXPECT_EQ(Text(i + 1), u"Serial State (Ifc 0)");
    UrbSpec network = wait;
    network.data = {0xA1, 0x00, 1, 0, 1, 0, 0, 0};
    EXPECT_EQ(Text(Urb(cdc, wait, network) + 1), u"Network Connection (Ifc 1, Connected)");
    UrbSpec odd = wait;
    odd.data = {0x21, 0x20, 0, 0, 0, 0, 2, 0};
    EXPECT_EQ(Text(Urb(cdc, wait, odd) + 1), u"16 bytes data");

    DeviceSpec hid = Interface(0x03);
    PipeSpec keys{0x81, 0x8A0C2300, 0};
    UrbSpec poll = BulkTransfer(keys, 8);
    poll.transferFlags = 1;
    UrbSpec report = poll;
    report.data = {0, 0, 4, 0, 0, 0, 0, 0};
    i = Urb(hid, poll, report);
    EXPECT_EQ(Text(i), u"8 bytes buffer"); // the report is on the completion
    EXPECT_EQ(Text(i + 1), u"Input Report (Len 8)");
}

TEST_F(RequestDetailsTest, MassStorageStages) {
    MassStorageDevice dev = MakeMassStorageDevice(0x89A05000);
    std::vector<Bytes> records;
    Bytes read10 = {0x28, 0, 0, 0, 0, 16, 0, 0, 1, 0};
    AppendMassStorageCommand(builder, dev, read10, true, 512, Bytes(512, 0xEE), 0, records);
    log.Append(records);
    ASSERT_EQ(log.GetRecordCount(), 6u);
    EXPECT_EQ(Text(0), u"Read(10) (Lba 16, Blocks 1) - CBW");
    EXPECT_EQ(Text(1), u"Read(10) (Lba 16, Blocks 1) - CBW");
    EXPECT_EQ(Text(3), u"Read(10) - Data-In");
    EXPECT_EQ(Text(4), u"Read(10) - CSW");
    EXPECT_EQ(Text(5), u"Read(10) - CSW (Passed)");
}

TEST_F(RequestDetailsTest, IrpRequests) {
    DeviceSpec d;
    auto irp = [&](uint16_t kind, Bytes block, bool completion = false) {
        RequestSpec s;
        s.device = d;
        s.kind = kind;
        s.completion = completion;
        s.hasBlock = true;
        s.block = std::move(block);
        return Request(s);
    };
    auto dwords = [](std::initializer_list<uint32_t> v) {
        Bytes b;
        for (uint32_t x : v)
            for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(x >> (8 * k)));
        return b;
    };
    EXPECT_EQ(Text(irp(22, dwords({0, 1, 4, 0}))), u"D3");              // SET_POWER device state
    EXPECT_EQ(Text(irp(22, dwords({0, 0, 1, 0}))), u"S0 (Working)");    // SET_POWER system state
    EXPECT_EQ(Text(irp(22, dwords({0, 1, 4, 0}), true)), u"(untouched)"); // only at issue
    EXPECT_EQ(Text(irp(20, dwords({5}))), u"S4 (Hibernate)");            // WAIT_WAKE
    EXPECT_EQ(Text(irp(40 + 0x13, dwords({8, 1}))), u"Hardware IDs");    // QUERY_ID
    EXPECT_EQ(Text(irp(40 + 0x07, dwords({8, 0}))), u"Bus Relations");   // QUERY_DEVICE_RELATIONS
    EXPECT_EQ(Text(irp(40 + 0x07, dwords({8}))), u"(untouched)");        // short block

    // Create with a captured file name: the part after the last backslash.
    // Size, then at 16 a counted-name header: byte count at 18, offset of the
    // characters (from 16) at 20; the characters follow the 32 bytes.
    Bytes create = dwords({64, 0, 0, 0, 0, 16, 0, 0});
    std::u16string path = u"\\Device\\Name\\COM3";
    for (char16_t c : path) create.push_back(static_cast<uint8_t>(c)), create.push_back(static_cast<uint8_t>(c >> 8));
    create[18] = static_cast<uint8_t>(path.size() * 2);
    create[19] = 0;
    EXPECT_EQ(Text(irp(1, create)), u"COM3");
    Bytes cut = create;
    cut.resize(cut.size() - 2); // the name runs past the block
    EXPECT_EQ(Text(irp(1, cut)), u"(untouched)");
    // Offsets near 2^32 lie far past the block; where size_t has 32 bits,
    // 16 + offset must not wrap round to the block's own header (Create and
    // Cleanup alike).
    for (uint32_t offset : {0xFFFFFFF0u, 0xFFFFFFF8u, 0xFFFFFFFFu, 0xFFFFFFF4u}) {
        Bytes wrapped = create;
        wrapped[20] = static_cast<uint8_t>(offset);
        wrapped[21] = static_cast<uint8_t>(offset >> 8);
        wrapped[22] = static_cast<uint8_t>(offset >> 16);
        wrapped[23] = static_cast<uint8_t>(offset >> 24);
        EXPECT_EQ(Text(irp(1, wrapped)), u"(untouched)") << offset;
        EXPECT_EQ(Text(irp(18, wrapped)), u"(untouched)") << offset;
    }
}

TEST_F(RequestDetailsTest, HubIoctlsNeedTheirPortBytes) {
    DeviceSpec hub = Interface(0x09);
    uint32_t first = log.GetRecordCount();
    log.Append(builder.IoctlIssue(hub, 4441, 0x22040C, 4, {3, 0, 0, 0}, builder.NewIrp()));
    log.Append(builder.IoctlIssue(hub, 4441, 0x22040C, 2, {3, 0}, builder.NewIrp()));
    Bytes descriptorRequest = {2, 0, 0, 0, 0x80, 0x06, 0x00, 0x03, 0, 0, 0xFF, 0};
    log.Append(builder.IoctlIssue(hub, 4442, 0x220410, 12, descriptorRequest, builder.NewIrp()));
    descriptorRequest[6] = 1;
    descriptorRequest[7] = 2;
    log.Append(builder.IoctlIssue(hub, 4442, 0x220410, 12, descriptorRequest, builder.NewIrp()));
    log.Append(builder.IoctlIssue(hub, 4352, 0x220430, 4, {5, 0, 0, 0}, builder.NewIrp()));
    EXPECT_EQ(Text(first), u"Port 3");
    EXPECT_EQ(Text(first + 1), u"(untouched)");
    EXPECT_EQ(Text(first + 2), u"Port 2, String Lang ID");
    EXPECT_EQ(Text(first + 3), u"Port 2, Configuration 1");
    EXPECT_EQ(Text(first + 4), u"Port Index 5");
}

TEST_F(RequestDetailsTest, TextIsCutToTheBuffer) {
    DeviceSpec d;
    log.Append(builder.UrbIssue(d, Control({0x80, 0x06, 0x00, 0x01, 0, 0, 18, 0}), builder.NewIrp()));
    CRecordPairView pair;
    std::vector<uint8_t> a(4096), b(4096);
    pair.Init(a.data(), 4096, b.data(), 4096);
    ASSERT_EQ(log.ReadRecordPair(0, pair), S_OK32);
    char16_t small[8];
    REQUEST_DETAILS_CONTEXT ctx;
    ctx.pair = &pair;
    ctx.text = small;
    ctx.textSize = 8;
    FormatRequestDetails(ctx);
    EXPECT_EQ(std::u16string(small), u"Get Des");
}

} // namespace
} // namespace brx
