// Request summaries of whole records: built as the driver writes them,
// indexed as the store indexes them, read back into views of exactly the
// record's size (so that ASan sees any read past a part), summarised as the
// pane summarises them and read back as plain text.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "capture/RequestKind.h"
#include "decode/RequestSummary.h"
#include "decode/SummaryLines.h"
#include "sim/DriverScenario.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/SummaryText.h"

namespace brx {
namespace {

using testing::RtfToText;
using testing::SummaryDocument;

DeviceSpec Interface(uint8_t cls, uint8_t sub = 0, uint8_t protocol = 0) {
    DeviceSpec d;
    d.interfaceClass = cls;
    d.interfaceSubClass = sub;
    d.interfaceProtocol = protocol;
    return d;
}

UrbSpec Control(std::initializer_list<uint8_t> setup, Bytes data = {}) {
    uint8_t s[8] = {};
    std::copy(setup.begin(), setup.end(), s);
    return ControlTransfer(s, std::move(data));
}

using testing::Utf16Bytes;

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

class RequestSummaryTest : public ::testing::Test {
protected:
    uint32_t Add(const Bytes& record) {
        log.Append(record);
        return log.GetRecordCount() - 1;
    }
    // An URB at issue and at completion; returns the issue's index.
    uint32_t Urb(const DeviceSpec& d, const UrbSpec& issue, const UrbSpec& completion, uint32_t status = 0) {
        const uint32_t first = Add(builder.UrbIssue(d, issue, builder.NewIrp()));
        Add(builder.UrbCompletion(d, completion, builder.Last(), status));
        return first;
    }
    uint32_t Urb(const DeviceSpec& d, const UrbSpec& u) { return Urb(d, u, u); }
    // A URB record whose block the test changes first.
    template <typename Patch>
    uint32_t PatchedUrb(const DeviceSpec& d, const UrbSpec& u, bool completion, Patch patch) {
        RequestSpec spec;
        spec.device = d;
        spec.kind = static_cast<uint16_t>(KIND_URB_FIRST + u.function);
        spec.completion = completion;
        spec.majorFunction = 15;
        spec.hasBlock = true;
        spec.block = builder.UrbBlock(d, u, completion);
        patch(spec.block);
        return Add(builder.Request(spec));
    }
    uint32_t Irp(uint16_t kind, uint8_t major, const Bytes& block, bool completion = false, uint32_t status = 0) {
        RequestSpec spec;
        spec.kind = kind;
        spec.majorFunction = major;
        spec.completion = completion;
        spec.status = status;
        spec.hasBlock = !block.empty();
        spec.block = block;
        return Add(builder.Request(spec));
    }
    uint32_t Pnp(uint8_t minor, const Bytes& block, bool completion = false, uint32_t status = 0) {
        return Irp(static_cast<uint16_t>(KIND_PNP_FIRST + minor), 27, block, completion, status);
    }
    uint32_t IoctlDone(uint16_t kind, const Bytes& buffer, uint32_t status = 0, uint32_t bufferLength = 0) {
        const uint32_t code = UserIoctlFromRequestKind(kind);
        Add(builder.IoctlIssue(hub, kind, code, bufferLength, {}, builder.NewIrp()));
        return Add(builder.IoctlCompletion(hub, kind, code, bufferLength, buffer, builder.Last(), status));
    }

    SummaryDocument Doc(uint32_t index, uint32_t size = 0x80000) {
        return testing::SummarizeLogRecord(log, index, &names, size);
    }
    std::string Text(uint32_t index) { return RtfToText(Doc(index).body); }
    // The lines after the header and the object lines.
    std::string Body(uint32_t index) {
        const std::string text = Text(index);
        const size_t at = text.find("\n\n");
        return at == std::string::npos ? "(no body) " + text : text.substr(at + 2);
    }

    testing::FakeFilterLog log;
    RecordBuilder builder;
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    CHIDDeviceRDHash reports;
    CSummaryNameTables names{&devices, &drivers, &reports};
    DeviceSpec hub = Interface(0x09);
};

// ---------------------------------------------------------------------------
// Whole summaries

TEST_F(RequestSummaryTest, InterruptReportWithObjectNames) {
    DeviceSpec hid = Interface(0x03);
    devices.Add({hid.deviceObject, hid.deviceKey}, u"\\Device\\USBPDO-{5}");
    drivers.Add({hid.driverKey0, hid.driverKey1}, u"\\Driver\\hidusb");
    PipeSpec in{0x81, 0x8A0C7000, 1, PIPE_TYPE_INTERRUPT};
    UrbSpec read = BulkTransfer(in, 8);
    read.transferFlags = 1;
    UrbSpec answered = read;
    answered.data = {0, 1, 2, 3, 4, 5, 6, 7};
    const uint32_t i = Urb(hid, read, answered);
    EXPECT_EQ(Text(i + 1),
              " URB Bulk or Interrupt Transfer succeeded\n"
              "Device Object\tUSBPDO-{5}\n"
              "Driver Object\thidusb\n"
              "\n"
              "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n"
              "URB Status\tUSBD_STATUS_SUCCESS\n"
              "\n"
              "Endpoint 81h\t1 In, Interrupt\n"
              "\n"
              "Report Type\tInput\n"
              "Report Length\t8\n");
    // The name's braces are escaped in the RTF.
    EXPECT_NE(Doc(i + 1).body.find("USBPDO-\\{5\\}"), std::string::npos);
    // An input report is shown on its completion only: the issue has the buffer.
    EXPECT_EQ(Body(i),
              "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n\n"
              "Endpoint 81h\t1 In, Interrupt\n\n"
              "Buffer Length\t8\n");
}

// The simulated driver's traffic names its transfer types: the HID devices'
// reports come on interrupt pipes, the stick's commands and data and the
// serial port's bytes on bulk pipes.
TEST_F(RequestSummaryTest, SimulatedTrafficShowsBulkAndInterrupt) {
    CDriverScenario scenario;
    std::vector<Bytes> records;
    const std::set<uint32_t> all = {SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    for (int round = 0; round < 2; ++round) scenario.NextRound(all, records);
    std::map<std::string, std::set<std::string>> endpoints;   // device object -> endpoint lines
    for (const Bytes& r : records) {
        const uint32_t i = Add(r);
        const std::string text = Text(i);
        if (text.find("BULK_OR_INTERRUPT") == std::string::npos) continue;
        const size_t device = text.find("Device Object\t");
        const size_t at = text.find("\nEndpoint ");
        ASSERT_NE(at, std::string::npos) << text;
        endpoints[text.substr(device, text.find('\n', device) - device)].insert(
            text.substr(at + 1, text.find('\n', at + 1) - at - 1));
    }
    const std::map<std::string, std::set<std::string>> expected = {
        {"Device Object\t89A11030h", {"Endpoint 02h\t2 Out, Bulk", "Endpoint 81h\t1 In, Bulk"}},
        {"Device Object\t89A21030h", {"Endpoint 81h\t1 In, Interrupt"}},
        {"Device Object\t89A31030h", {"Endpoint 81h\t1 In, Interrupt"}},
        {"Device Object\t89A41030h", {"Endpoint 02h\t2 Out, Bulk", "Endpoint 82h\t2 In, Bulk"}},
    };
    EXPECT_EQ(endpoints, expected);
}

TEST_F(RequestSummaryTest, ObjectsWithoutNamesShowTheirPointers) {
    DeviceSpec d;
    const uint32_t i = Add(builder.Close(d, builder.NewIrp()));
    EXPECT_EQ(Text(i), " Close IRP Close issued\nDevice Object\t89A01030h\nDriver Object\t89B00200h\n\n");
}

TEST_F(RequestSummaryTest, HidReportIdsFromTheReportDescriptor) {
    DeviceSpec hid = Interface(0x03);
    PipeSpec out{0x02, 0x8A0C7100, 7, PIPE_TYPE_INTERRUPT};
    // A report descriptor with a report ID, known for the pipe's key.
    const Bytes descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08,
                              0x95, 0x02, 0x91, 0x02, 0xC0};
    const Bytes block = HidDescriptorBlock({{0, descriptor, {}, {{out.handle, out.hidKey}}}});
    reports.AddFromBlock(block.data(), block.size(), kDriverRecordLayout);
    const uint32_t i = Urb(hid, BulkTransfer(out, 3, {2, 0xAA, 0xBB}));
    EXPECT_EQ(Body(i), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n\n"
                       "Endpoint 02h\t2 Out, Interrupt\n\n"
                       "Report Type\tOutput\nReport ID\t2\nReport Length\t3\n");
    // An output report shows on its issue only; the completion has the length.
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n"
                           "URB Status\tUSBD_STATUS_SUCCESS\n\n"
                           "Endpoint 02h\t2 Out, Interrupt\n\n"
                           "Bytes Transferred\t3\n");
}

TEST_F(RequestSummaryTest, StartAndDropMarkers) {
    const uint32_t start = Add(builder.StartMarker());
    const uint32_t drop = Add(builder.DropMarker());
    EXPECT_EQ(Text(start), " Start Capture\n");
    EXPECT_EQ(Text(drop), " Drop\n");
    EXPECT_NE(Doc(drop).body.find("\\cf6  \\b Drop"), std::string::npos);
}

// ---------------------------------------------------------------------------
// URBs

TEST_F(RequestSummaryTest, BulkLengthLinesByDirectionAndPhase) {
    DeviceSpec d = Interface(0x08, 0x06, 0x50);
    PipeSpec in{0x81, 0x8A0C3100, 0, PIPE_TYPE_BULK};
    PipeSpec out{0x42, 0x8A0C3000, 0}; // 02h bulk
    UrbSpec read = BulkTransfer(in, 512);
    read.transferFlags = 1;
    UrbSpec got = read;
    got.data.assign(512, 0x5A);
    uint32_t i = Urb(d, read, got);
    EXPECT_EQ(Body(i), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n\n"
                       "Endpoint 81h\t1 In, Bulk\n\nBuffer Length\t200h (512)\n");
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
                           "Endpoint 81h\t1 In, Bulk\n\nBytes Received\t200h (512)\n");
    // A failed completion shows no length line.
    UrbSpec stalled = read;
    stalled.usbdStatus = static_cast<int32_t>(0xC0000004);
    i = Urb(d, read, stalled, 0xC0000001);
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\nURB Status\tUSBD_STATUS_STALL_PID\n"
                           "\nEndpoint 81h\t1 In, Bulk\n\n");
    i = Urb(d, BulkTransfer(out, 31, Bytes(31, 1)));
    EXPECT_EQ(Body(i), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n\n"
                       "Endpoint 02h\t2 Out, Bulk\n\nBytes to Transfer\t31\n");
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
                           "Endpoint 02h\t2 Out, Bulk\n\nBytes Transferred\t31\n");
}

TEST_F(RequestSummaryTest, BulkUrbOfAnotherLengthShowsOnlyItsFunction) {
    DeviceSpec d;
    // The URB's own Length says less, or more (with the data after it) than 72.
    for (uint16_t length : {64, 80}) {
        const uint32_t i = PatchedUrb(d, BulkTransfer(PipeSpec{0x02, 0x8A0C3000, 0}, 8, Bytes(8, 1)), false,
                                      [&](Bytes& block) { PutU16(block, URB_BLOCK_HEADER, length); });
        EXPECT_EQ(Body(i), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\n\n");
    }
}

TEST_F(RequestSummaryTest, StandardControlRequests) {
    const Bytes config = {9, 2, 34, 0, 1, 1, 0, 0xA0, 50,
                          9, 4, 0, 0, 1, 3, 1, 2, 0,
                          9, 0x21, 0x11, 1, 0, 1, 0x22, 65, 0,
                          7, 5, 0x81, 3, 8, 0, 10};
    struct Case {
        std::initializer_list<uint8_t> setup;
        Bytes data;
        const char* lines;  // after the endpoint line and its blank line
    } cases[] = {
        {{0x80, 0x06, 0x00, 0x01, 0, 0, 18, 0}, Bytes(18, 0), "Request\tGet Descriptor from Device\nDescriptor\tDevice\n"},
        {{0x80, 0x06, 0x00, 0x02, 0, 0, 34, 0}, config,
         "Request\tGet Descriptor from Device\nDescriptor\tConfiguration 0\n\nConfiguration\t1\n\n"
         "Interface 0 / Alt 0\tHID, 1 endpoint\nEndpoint 81h\t1 In, Interrupt 8 bytes\n"},
        {{0x80, 0x06, 0x00, 0x03, 0, 0, 4, 0}, {4, 3, 0x09, 0x04},
         "Request\tGet Descriptor from Device\nDescriptor\tString Lang ID\nwLANGID[0]\tEnglish (United States)\n"},
        {{0x80, 0x06, 0x02, 0x03, 0x09, 0x04, 10, 0}, {10, 3, 'H', 0, 'i', 0, '{', 0, '\\', 0},
         "Request\tGet Descriptor from Device\nDescriptor\tString 2\nString\t\"Hi{\\\"\n"},
        {{0x80, 0x00, 0, 0, 0, 0, 2, 0}, {3, 0},
         "Request\tGet Status from Device\nStatus\tDevice is self-powered\n\t\tRemote wakeup is enabled\n"},
        {{0x82, 0x00, 0, 0, 0x81, 0, 2, 0}, {1, 0}, "Request\tGet Status from Endpoint 81h, 1 In\nStatus\tHalt\n"},
        {{0x00, 0x03, 2, 0, 0, 0x04, 0, 0}, {}, "Request\tSet Feature to Device\nFeature\tTest Mode (Test Packet)\n"},
        {{0x00, 0x03, 2, 0, 0, 0x09, 0, 0}, {}, "Request\tSet Feature to Device\nFeature\tTest Mode\n"},
        {{0x02, 0x01, 0, 0, 0x02, 0, 0, 0}, {}, "Request\tClear Feature to Endpoint 02h, 2 Out\nFeature\tHalt\n"},
        {{0x00, 0x09, 0, 0, 0, 0, 0, 0}, {}, "Request\tSet Configuration to Device\nConfiguration\tUnconfigure\n"},
        {{0x81, 0x0A, 0, 0, 2, 0, 1, 0}, {1}, "Request\tGet Interface from Interface 2\nInterface\t2 / Alt 1\n"},
        {{0x00, 0x30, 0, 0, 0, 0, 6, 0}, {1, 2, 3, 0, 4, 0},
         "Request\tSet SEL to Device\nU1SEL\t1 \xc2\xb5s\nU1PEL\t2 \xc2\xb5s\nU2SEL\t3 \xc2\xb5s\nU2PEL\t4 \xc2\xb5s\n"},
        {{0x00, 0x31, 40, 0, 0, 0, 0, 0}, {}, "Request\tSet Isochronous Delay to Device\nDelay\t40 ns\n"},
        {{0x40, 0x01, 0x34, 0x12, 0, 0, 0, 0}, {},
         "Request Type\tVendor request to Device\nRequest\t01h\nValue\t1234h\nIndex\t0000h\nLength\t0000h\n"},
        {{0xE0, 0x07, 0, 0, 0, 0, 0, 0}, {},
         "Request Type\tUnknown request from Device\nRequest\t07h\nValue\t0000h\nIndex\t0000h\nLength\t0000h\n"},
    };
    DeviceSpec d;
    for (const Case& c : cases) {
        const bool in = (*c.setup.begin() & 0x80) != 0;
        UrbSpec u = Control(c.setup, in ? Bytes{} : c.data);
        UrbSpec done = Control(c.setup, in ? c.data : Bytes{});
        const uint32_t i = Urb(d, u, done);
        const std::string prefix = "URB Function\tURB_FUNCTION_CONTROL_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
                                   "Endpoint 0\tDefault Control\n\n";
        SCOPED_TRACE(c.lines);
        // Result data shows on the completion of an IN request, OUT data on the issue.
        EXPECT_EQ(Body(in ? i + 1 : i), (in ? prefix : std::string("URB Function\tURB_FUNCTION_CONTROL_TRANSFER\n\n"
                                                                    "Endpoint 0\tDefault Control\n\n")) +
                                            c.lines);
    }
}

TEST_F(RequestSummaryTest, DescriptorAndFeatureUrbs) {
    DeviceSpec d;
    UrbSpec feature = PipeRequest(URB_FN_SET_FEATURE_TO_DEVICE, PipeSpec{});
    feature.value = 3;
    EXPECT_EQ(Body(Urb(d, feature)), "URB Function\tURB_FUNCTION_SET_FEATURE_TO_DEVICE\n\nFeature Selector\t0003h\n");
    feature.value = 1;
    EXPECT_EQ(Body(Urb(d, feature)),
              "URB Function\tURB_FUNCTION_SET_FEATURE_TO_DEVICE\n\nFeature Selector\tRemote Wakeup\n");
    UrbSpec halt = PipeRequest(URB_FN_CLEAR_FEATURE_TO_ENDPOINT, PipeSpec{});
    halt.index = 0x81;
    EXPECT_EQ(Body(Urb(d, halt)),
              "URB Function\tURB_FUNCTION_CLEAR_FEATURE_TO_ENDPOINT\n\nEndpoint\t81h, 1 In\nFeature Selector\tHalt\n");

    UrbSpec lang = GetDescriptor(3, 0, 0, 255);
    UrbSpec langDone = GetDescriptor(3, 0, 0, 255, {6, 3, 0x09, 0x04, 0x07, 0x04});
    EXPECT_EQ(Body(Urb(d, lang, langDone) + 1),
              "URB Function\tURB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
              "Request\tGet Descriptor from Device\nDescriptor\tString Lang ID\n"
              "wLANGID[0]\tEnglish (United States)\nwLANGID[1]\tGerman (Germany)\n");
}

TEST_F(RequestSummaryTest, SelectConfiguration) {
    DeviceSpec d;
    UrbSpec select = SelectConfiguration(0, 0x03, 1, 1, {PipeSpec{0x81, 0x8A0C2000, 0}});
    // The interface information the host filled in: one interrupt pipe of 8 bytes.
    PutU32(select.selectTail, 12, 1);
    PutU16(select.selectTail, 16, 8);
    select.selectTail[18] = 0x81;
    PutU32(select.selectTail, 20, 3);
    const uint32_t i = Urb(d, select);
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_SELECT_CONFIGURATION\nURB Status\tUSBD_STATUS_SUCCESS\n\n\n"
                           "Interface 0 / Alt 0\tHID, 1 pipe\nEndpoint 81h\t1 In, Interrupt 8 bytes\n");
    const uint32_t none = PatchedUrb(d, select, false, [](Bytes& block) { PutU32(block, URB_BLOCK_HEADER + 16, 0); });
    EXPECT_EQ(Body(none), "URB Function\tURB_FUNCTION_SELECT_CONFIGURATION\n\nConfiguration\tUnconfigure\n");
}

// ---------------------------------------------------------------------------
// Class requests

TEST_F(RequestSummaryTest, ClassRequestsByInterface) {
    struct Case {
        DeviceSpec device;
        std::initializer_list<uint8_t> setup;
        Bytes data;
        const char* lines;
    } cases[] = {
        {Interface(0x09), {0xA3, 0x02, 0, 0, 1, 0, 1, 0}, {0x03},
         "Request\tGet Bus State\nPort\t1\nD- Signal\t1\nD+ Signal\t1\n"},
        {Interface(0x09), {0xA3, 0x00, 0, 0, 2, 0, 4, 0}, {0x03, 0x01, 0x01, 0x00},
         "Request\tGet Port Status\nPort\t2\n\nPort Status\tA device is present on this port\n\t\tPort is enabled\n"
         "\t\tThis port is not in the Powered-off state\nPort Status Change\tCurrent Connect status has changed\n"},
        {Interface(0x09), {0xA0, 0x00, 0, 0, 0, 0, 4, 0}, {0, 0, 0, 0},
         "Request\tGet Hub Status\n\nHub Status\t0\nHub Status Change\tNo change\n"},
        {Interface(0x09), {0x23, 0x03, 4, 0, 3, 0, 0, 0}, {}, "Request\tSet Port Feature\nPort\t3\nFeature\tReset\n"},
        {Interface(0x09), {0x23, 0x08, 0x01, 0x02, 1, 0, 0, 0}, {}, "Request\tClear TT Buffer\nTT Port\t1\n"},
        {Interface(0x03), {0x21, 0x0A, 0, 250, 0, 0, 0, 0}, {}, "Request\tSet Idle\nIdle Rate\t1.000 sec\n"},
        {Interface(0x03), {0x21, 0x0A, 1, 0, 0, 0, 0, 0}, {}, "Request\tSet Idle\nReport ID\t1\nIdle Rate\tInfinite\n"},
        {Interface(0x03), {0xA1, 0x01, 3, 1, 0, 0, 0, 1}, {},
         "Request\tGet Report\nReport Type\tInput\nReport ID\t3\nReport Length\t100h (256)\n"},
        {Interface(0x03), {0x21, 0x0B, 0, 0, 0, 0, 0, 0}, {}, "Request\tSet Protocol\nProtocol\tBoot\n"},
        {Interface(0x08, 0x06, 0x50), {0xA1, 0xFE, 0, 0, 0, 0, 1, 0}, {0},
         "Request\tGet Max LUN\nInterface\t0\nMax LUN\t0\n"},
        {Interface(0xFE, 0x01), {0xA1, 0x02, 5, 0, 0, 0, 64, 0}, {},
         "Request\tDFU Upload\n\nInterface\t0\nBlock Number\t5\nBlock Length\t64\n"},
        {Interface(0xFE, 0x01), {0xA1, 0x03, 0, 0, 0, 0, 6, 0}, {0x00, 0, 0, 0, 0x02, 0},
         "Request\tDFU Get Status\n\nInterface\t0\n\nStatus\tOK\nState\tDFU Idle\n"},
        {Interface(0x02), {0x21, 0x05, 0, 0, 0, 0, 0, 0}, {},
         "Request\tCDC CS Request\n\nInterface\t0\nRequest Type\tClass request to Interface\nRequest\t05h\n"
         "Value\t0000h\nIndex\t0000h\nLength\t0000h\n"},
        {Interface(0x0A), {0x21, 0x20, 0, 0, 0, 0, 7, 0}, {},
         "Request Type\tClass request to Interface\nRequest\t20h\nValue\t0000h\nIndex\t0000h\nLength\t0007h\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        const bool in = (*c.setup.begin() & 0x80) != 0;
        const uint32_t i = Urb(c.device, Control(c.setup, in ? Bytes{} : c.data), Control(c.setup, in ? c.data : Bytes{}));
        const std::string text = Body(in ? i + 1 : i);
        const size_t at = text.find("Default Control\n\n");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.substr(at + 17), c.lines);
    }
}

TEST_F(RequestSummaryTest, SuperSpeedPortStatusShowsTheLinkState) {
    DeviceSpec hub3 = Interface(0x09);
    hub3.usbVersion = 0x0300;
    const uint32_t i = Urb(hub3, Control({0xA3, 0x00, 0, 0, 1, 0, 4, 0}),
                           Control({0xA3, 0x00, 0, 0, 1, 0, 4, 0}, {0x61, 0x02, 0x40, 0x00}));
    const std::string text = Body(i + 1);
    EXPECT_NE(text.find("Port Status\tA device is present on this port\n\t\tLink is in the U3 State\n"
                        "\t\tThis port is not in the Powered-off state\n\t\tNegotiated speed is 5 Gbps\n"
                        "Port Status Change\tLink Status has changed\n"),
              std::string::npos)
        << text;
}

TEST_F(RequestSummaryTest, CdcNotificationOnInterruptIn) {
    DeviceSpec cdc = Interface(0x02, 0x02);
    PipeSpec notify{0x83, 0x8A0C2200, 0, PIPE_TYPE_INTERRUPT};
    UrbSpec u = BulkTransfer(notify, 10);
    u.transferFlags = 1;
    UrbSpec done = u;
    done.data = {0xA1, 0x20, 0, 0, 1, 0, 2, 0, 3, 0};
    const uint32_t i = Urb(cdc, u, done);
    EXPECT_EQ(Body(i + 1), "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
                           "Endpoint 83h\t3 In, Interrupt\n\nCDC Notification\tSerial State\nInterface\t1\n");
}

// ---------------------------------------------------------------------------
// IRPs and kernel-mode requests

TEST_F(RequestSummaryTest, PlugAndPlayRequests) {
    // QUERY_INTERFACE: the all-zero GUID, version 0100h; a known GUID, version 3.
    Bytes query(28, 0);
    PutU32(query, 0, 28);   // the block's own length
    PutU16(query, 22, 0x0100);
    EXPECT_EQ(Body(Pnp(8, query)), "IRP Minor Function\tIRP_MN_QUERY_INTERFACE\n\n"
                                   "Interface Type\tGUID_BOGUS_INTERFACE\n\t\t{00000000-0000-0000-0000-000000000000}\n"
                                   "Version\t0100h\n");
    const uint8_t usbdi[16] = {0x4A, 0xE4, 0xA2, 0xB1, 0x7A, 0x28, 0xD1, 0x11,
                               0xB4, 0x9C, 0x00, 0xC0, 0x4F, 0xB9, 0x76, 0x03};
    std::copy(std::begin(usbdi), std::end(usbdi), query.begin() + 4);
    PutU16(query, 22, 3);
    PutU16(query, 26, 0x0200);
    const std::string ask = Body(Pnp(8, query));
    EXPECT_NE(ask.find("\nVersion\t3\n"), std::string::npos) << ask;
    EXPECT_NE(Body(Pnp(8, query, true)).find("\nVersion\t0200h\n"), std::string::npos);

    // QUERY_DEVICE_RELATIONS: 40 relations, 32 shown; one of them named.
    Bytes relations(12 + 8 * 40, 0);
    PutU32(relations, 0, static_cast<uint32_t>(relations.size()));
    PutU32(relations, 4, 0);
    PutU32(relations, 8, 40);
    for (uint32_t k = 0; k < 40; ++k) {
        PutU32(relations, 12 + 4 * k, 0x8B000000 + k * 0x100);
        PutU32(relations, 12 + 160 + 4 * k, 0x8C000000);
    }
    devices.Add({0x8B000100, 0x8C000000}, u"\\Device\\USBPDO-7");
    const std::string list = Body(Pnp(7, relations, true));
    size_t pdo = 0;
    for (size_t at = list.find("PDO\t"); at != std::string::npos; at = list.find("PDO\t", at + 1)) ++pdo;
    EXPECT_EQ(pdo, 32u) << list;
    EXPECT_NE(list.find("Relationships\tBus Relations\nPDO\t8B000000h\nPDO\tUSBPDO-7\nPDO\t8B000200h\n"),
              std::string::npos)
        << list;

    // QUERY_ID: the hardware IDs, one line each.
    Bytes ids(8, 0);
    PutU32(ids, 4, 1);
    Append(ids, Utf16Bytes(u"USB\\VID_1234&PID_5678"));
    Append(ids, {0, 0});
    Append(ids, Utf16Bytes(u"USB\\VID_1234"));
    Append(ids, {0, 0, 0, 0});
    PutU32(ids, 0, static_cast<uint32_t>(ids.size()));
    EXPECT_EQ(Body(Pnp(19, ids, true)), "IRP Minor Function\tIRP_MN_QUERY_ID\n\n"
                                        "Hardware IDs\tUSB\\VID_1234&PID_5678\n\t\tUSB\\VID_1234\n");
    EXPECT_EQ(Body(Pnp(19, ids)), "IRP Minor Function\tIRP_MN_QUERY_ID\n\nType\tHardware IDs\n");

    Bytes usage(8, 0);
    PutU32(usage, 0, 1);
    PutU32(usage, 4, 1);
    EXPECT_EQ(Body(Pnp(22, usage)), "IRP Minor Function\tIRP_MN_DEVICE_USAGE_NOTIFICATION\n\nUsage\tCreating Paging File\n");
    // A failed completion: the status and the minor function.
    EXPECT_EQ(Body(Pnp(18, {1, 0, 0, 0}, true, 0xC00000BB)),
              "IRP Minor Function\tIRP_MN_SET_LOCK\nIRP Status\tSTATUS_NOT_SUPPORTED\n\nSet Lock\tLock\n");
}

// The query blocks end at their own leading length when the record holds
// more: bytes after it (the driver's buffer beyond the structure) are never
// read as IDs, texts, relations or GUIDs; a length of 0 reads nothing.
TEST_F(RequestSummaryTest, APnpBlockEndsAtItsLeadingLength) {
    const char* header = "IRP Minor Function\tIRP_MN_QUERY_ID\n\n";
    // Two hardware IDs, the length covering the first only.
    Bytes ids(8, 0);
    PutU32(ids, 4, 1);
    Append(ids, Utf16Bytes(u"USB\\VID_1234&PID_5678"));
    Append(ids, {0, 0});
    const uint32_t first = static_cast<uint32_t>(ids.size());
    Append(ids, Utf16Bytes(u"USB\\VID_1234"));
    Append(ids, {0, 0, 0, 0});
    PutU32(ids, 0, first);
    EXPECT_EQ(Body(Pnp(19, ids, true)), std::string(header) + "Hardware IDs\tUSB\\VID_1234&PID_5678\n");
    PutU32(ids, 0, 0);
    EXPECT_EQ(Body(Pnp(19, ids, true)), std::string(header));

    // A device text cut by its length after three characters.
    Bytes text(12, 0);
    PutU32(text, 4, 0);   // description
    Append(text, Utf16Bytes(u"Mouse port"));
    Append(text, {0, 0});
    PutU32(text, 0, 12 + 6);
    const std::string body = Body(Pnp(12, text, true));
    EXPECT_NE(body.find("\tMou\n"), std::string::npos) << body;
    EXPECT_EQ(body.find("port"), std::string::npos) << body;

    // Relations: a count of 3 whose length holds two objects.
    Bytes relations(12 + 8 * 3, 0);
    PutU32(relations, 0, 20);
    PutU32(relations, 8, 3);
    for (uint32_t k = 0; k < 3; ++k) PutU32(relations, 12 + 4 * k, 0x8B000000 + k * 0x100);
    const std::string list = Body(Pnp(7, relations, true));
    EXPECT_NE(list.find("PDO\t8B000000h\nPDO\t8B000100h\n"), std::string::npos) << list;
    EXPECT_EQ(list.find("8B000200h"), std::string::npos) << list;

    // An interface query whose length stops inside the GUID shows nothing.
    Bytes query(28, 0);
    PutU32(query, 0, 12);
    EXPECT_EQ(Body(Pnp(8, query)), "IRP Minor Function\tIRP_MN_QUERY_INTERFACE\n\n");
}

TEST_F(RequestSummaryTest, PowerRequests) {
    Bytes setPower(16, 0);
    PutU32(setPower, 4, 1);
    PutU32(setPower, 8, 4);
    PutU32(setPower, 12, 3);
    EXPECT_EQ(Body(Irp(KIND_POWER_FIRST + 2, 22, setPower)),
              "IRP Minor Function\tIRP_MN_SET_POWER\n\nDevice Power State\tD3\nShutdown Type\tHibernate\n");
    // Only the issue carries the parameters.
    EXPECT_EQ(Body(Irp(KIND_POWER_FIRST + 2, 22, setPower, true)), "IRP Minor Function\tIRP_MN_SET_POWER\n\n");
}

TEST_F(RequestSummaryTest, CreateShowsTheProcess) {
    Bytes block(32, 0);
    PutU32(block, 0, 32);
    const Bytes path = Utf16Bytes(u"\\??\\C:\\Tools\\viewer{1}.exe");
    PutU16(block, 18, static_cast<uint16_t>(path.size()));
    PutU32(block, 20, 16);
    Append(block, path);
    EXPECT_EQ(Body(Irp(KIND_CREATE, 0, block)), "Process\tviewer{1}.exe\n");
    EXPECT_EQ(Body(Irp(KIND_CREATE, 0, block, true, 0xC0000034)),
              "IRP Status\tSTATUS_OBJECT_NAME_NOT_FOUND\n\nProcess\tviewer{1}.exe\n");
    // A path that ends in a backslash names nothing; one past the block is not read.
    Bytes folder = block;
    folder.resize(32);
    const Bytes dir = Utf16Bytes(u"C:\\Tools\\");
    PutU16(folder, 18, static_cast<uint16_t>(dir.size()));
    Append(folder, dir);
    EXPECT_EQ(Body(Irp(KIND_CLEANUP, 18, folder)), "");
    PutU16(block, 18, static_cast<uint16_t>(path.size() + 2));
    EXPECT_EQ(Body(Irp(KIND_CREATE, 0, block)), "");
}

TEST_F(RequestSummaryTest, KernelModeRequests) {
    DeviceSpec d;
    devices.Add({0x8B001000, 0x8C000001}, u"\\Device\\USBPDO-0");
    Bytes pdo(16, 0);
    PutU32(pdo, 0, 0x8B001000);
    PutU32(pdo, 4, 0x8B002000);
    PutU32(pdo, 8, 0x8C000001);
    PutU32(pdo, 12, 0x8C000002);
    Add(builder.IoctlIssue(d, KIND_KMIO_FIRST + 3, 0x22000F, 0, {}, builder.NewIrp()));
    RequestSpec done;
    done.kind = KIND_KMIO_FIRST + 3;
    done.completion = true;
    done.majorFunction = 15;
    done.hasBlock = true;
    done.block = pdo;
    EXPECT_EQ(Body(Add(builder.Request(done))),
              "I/O Control Code\tIOCTL_INTERNAL_USB_GET_ROOTHUB_PDO\n\n"
              "Root Hub PDO\t8B001000h  USBPDO-0\nHost Controller FDO\t8B002000h\n");
    // An IOCTL code without a name shows its parts.
    SUMMARY_CONTEXT none;
    std::vector<char> out(512);
    InitSummaryContext(none, out.data(), 512, nullptr, kDefaultRecordLayout);
    AppendIoctlCodeLine(none, 0x0022C00Bu, nullptr);
    AppendIoctlCodeLine(none, 0, nullptr);
    EXPECT_EQ(RtfToText(out.data()),
              "I/O Control Code\tCTL_CODE( FILE_DEVICE_UNKNOWN, 2h, METHOD_NEITHER, FILE_READ_ACCESS | FILE_WRITE_ACCESS )\n"
              "I/O Control Code\t00000000h\n");
}

// The hub-name and controller-name requests read their name only from the
// bytes that follow it, whatever their length fields claim.
TEST_F(RequestSummaryTest, KernelModeNamesStayInsideTheirBlock) {
    for (uint16_t kind : {static_cast<uint16_t>(KIND_KMIO_FIRST + 8), static_cast<uint16_t>(KIND_KMIO_FIRST + 265)}) {
        Bytes block(12, 0);
        PutU32(block, 0, 200);
        PutU32(block, 4, 100);   // bytes returned
        PutU32(block, 8, 100);   // length the name needs
        Append(block, Utf16Bytes(u"ABCDEF"));
        RequestSpec spec;
        spec.kind = kind;
        spec.completion = true;
        spec.majorFunction = 15;
        spec.hasBlock = true;
        spec.block = block;
        const std::string text = Body(Add(builder.Request(spec)));
        EXPECT_NE(text.find(kind == KIND_KMIO_FIRST + 8 ? "Hub Name\tABCDEF\n" : "Controller Name\tABCDEF\n"),
                  std::string::npos)
            << text;
    }
}

// ---------------------------------------------------------------------------
// User-mode hub and host-controller requests

TEST_F(RequestSummaryTest, HubRequestsAtIssueAndCompletion) {
    // GET_NODE_CONNECTION_INFORMATION_EX: a high-speed device with one pipe.
    Bytes info(35 + 11, 0);
    PutU32(info, 0, 3);
    info[8] = 0x00;        // bDeviceClass: per interface
    info[22] = 1;          // configuration
    info[23] = 2;          // high speed
    PutU32(info, 27, 1);   // open pipes
    PutU32(info, 31, 1);   // connected
    const uint8_t endpoint[] = {7, 5, 0x81, 3, 64, 0, 1};
    std::copy(std::begin(endpoint), std::end(endpoint), info.begin() + 35);
    Add(builder.IoctlIssue(hub, KIND_HUB_FIRST + 16, 0x220448, 64, {3, 0, 0, 0}, builder.NewIrp()));
    EXPECT_EQ(Body(log.GetRecordCount() - 1),
              "I/O Control Code\tIOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX\n\nPort Number\t3\n");
    EXPECT_EQ(Body(Add(builder.IoctlCompletion(hub, KIND_HUB_FIRST + 16, 0x220448, 64, info, builder.Last()))),
              "I/O Control Code\tIOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX\n\n"
              "Port Number\t3\nCurrent Configuration\t1\nSpeed\tHigh (480 Mbit/s)\n\n"
              "Number of Open Pipes\t1\nEndpoint 01h\t1 In, Interrupt 64 bytes\n");
    // Too small: the completion shows the buffer's length.
    EXPECT_EQ(Body(IoctlDone(KIND_HUB_FIRST + 16, {}, 0xC0000023, 40)),
              "I/O Control Code\tIOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX\nIRP Status\tSTATUS_BUFFER_TOO_SMALL\n"
              "\nBuffer Length\t40\n");

    // GET_NODE_CONNECTION_NAME: a name with RTF specials in it.
    Bytes name(8, 0);
    PutU32(name, 0, 2);
    PutU32(name, 4, 8 + 14);
    Append(name, Utf16Bytes(u"a\\{b}c"));
    Append(name, {0, 0});
    EXPECT_NE(Body(IoctlDone(KIND_HUB_FIRST + 3, name)).find("Port Number\t2\nNode Name\ta\\{b}c\n"), std::string::npos);
    EXPECT_NE(Doc(log.GetRecordCount() - 1).body.find("a\\\\\\{b\\}c"), std::string::npos);
    Bytes empty(10, 0);
    PutU32(empty, 4, 10);
    EXPECT_NE(Body(IoctlDone(KIND_HUB_FIRST + 6, empty)).find("Driver Key Name\t<no name>\n"), std::string::npos);

    // GET_DESCRIPTOR_FROM_NODE_CONNECTION of a configuration descriptor.
    Bytes request = {1, 0, 0, 0, 0x80, 6, 0, 2, 0, 0, 25, 0};
    Append(request, {9, 2, 25, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0, 1, 9, 0, 0, 0, 7, 5, 0x81, 3, 1, 0, 12});
    EXPECT_EQ(Body(IoctlDone(KIND_HUB_FIRST + 2, request)),
              "I/O Control Code\tIOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION\n\n"
              "Port Number\t1\nDescriptor Type\tConfiguration\nDescriptor Index\t0\n\n"
              "Configuration\t1\n\nInterface 0 / Alt 0\tHub, 1 endpoin(s)\nEndpoint 81h\t1 In, Interrupt 1 bytes\n");

    Bytes capabilities = {5, 0, 0, 0};
    EXPECT_EQ(Body(IoctlDone(KIND_HUB_FIRST + 18, capabilities)),
              "I/O Control Code\tIOCTL_USB_GET_HUB_CAPABILITIES_EX\n\nHigh Speed Capable\tYes\nMulti TT Capable\tYes\n");
}

TEST_F(RequestSummaryTest, RootHubNameReadsOnlyTheBytesThatFollowIt) {
    // ActualLength 20 asks for 16 name bytes; the buffer holds 12 after the length.
    Bytes buffer(4, 0);
    PutU32(buffer, 0, 20);
    Append(buffer, Utf16Bytes(u"ABCDEF"));
    Bytes block = RecordBuilder::IoctlBlock(0x220408, 64, buffer);
    Append(block, Utf16Bytes(u"GH"));  // bytes of the block beyond the captured count
    RequestSpec spec;
    spec.device = hub;
    spec.kind = KIND_HCD_FIRST + 3;
    spec.completion = true;
    spec.majorFunction = 14;
    spec.hasBlock = true;
    spec.block = block;
    EXPECT_EQ(Body(Add(builder.Request(spec))), "I/O Control Code\tIOCTL_USB_GET_ROOT_HUB_NAME\n\nRoot Hub Name\tABCDEF\n");
}

// ---------------------------------------------------------------------------
// Bounds

TEST_F(RequestSummaryTest, SummaryNeverPassesItsBuffer) {
    const Bytes config = {9, 2, 25, 0, 1, 1, 0, 0xA0, 50, 9, 4, 0, 0, 1, 3, 1, 2, 0, 7, 5, 0x81, 3, 8, 0, 10};
    const uint32_t i = Urb(DeviceSpec{}, Control({0x80, 0x06, 0, 2, 0, 0, 25, 0}),
                           Control({0x80, 0x06, 0, 2, 0, 0, 25, 0}, config)) + 1;
    const SummaryDocument whole = Doc(i);
    ASSERT_EQ(whole.result, S_OK32);
    const size_t full = whole.rtf.size() - 1;  // without the closing brace
    for (uint32_t size = 1; size <= full + 2; ++size) {
        SCOPED_TRACE(size);
        const SummaryDocument cut = Doc(i, size);
        const std::string written = cut.rtf.substr(0, cut.rtf.size() - 1);
        ASSERT_LE(written.size(), size - 1u);
        EXPECT_EQ(whole.rtf.compare(0, written.size(), written), 0);
        if (size > full) {
            EXPECT_EQ(written.size(), full);
        }
    }
    // A header that does not fit fails the summary; a cut body does not.
    const size_t head = whole.rtf.size() - whole.body.size() - 1;
    EXPECT_EQ(Doc(i, static_cast<uint32_t>(head + 10)).result, SUMMARY_E_BUFFER_FULL);
    EXPECT_EQ(Doc(i, static_cast<uint32_t>(full - 10)).result, S_OK32);
}

// ---------------------------------------------------------------------------
// Goldens: whole documents, compared byte for byte with the committed files
// (BRX_WRITE_GOLDENS set writes them).

TEST_F(RequestSummaryTest, DocumentGoldens) {
    DeviceSpec hidDevice = Interface(0x03);
    devices.Add({hidDevice.deviceObject, hidDevice.deviceKey}, u"\\Device\\USBPDO-3");
    drivers.Add({hidDevice.driverKey0, hidDevice.driverKey1}, u"\\Driver\\usbccgp");
    struct Golden {
        const char* name;
        uint32_t index;
        const char* text;
    };
    const Bytes langs = {4, 3, 0x09, 0x04};
    const uint32_t control =
        Urb(hidDevice, Control({0x80, 0x06, 0, 3, 0, 0, 4, 0}), Control({0x80, 0x06, 0, 3, 0, 0, 4, 0}, langs)) + 1;
    const uint32_t cancelled = Urb(hidDevice, BulkTransfer(PipeSpec{0x81, 0x8A0C7000, 0, PIPE_TYPE_INTERRUPT}, 8),
                                   BulkTransfer(PipeSpec{0x81, 0x8A0C7000, 0, PIPE_TYPE_INTERRUPT}, 8), 0xC0000120) + 1;
    const uint32_t pending = Add(builder.Complete(hidDevice, KIND_POWER_FIRST + 0, {1, 0x8A123000}, 0x103));
    const uint32_t tooSmall = IoctlDone(KIND_HUB_FIRST + 0, {}, 0xC0000023, 76);
    const uint32_t start = Add(builder.StartMarker());
    const std::vector<Golden> goldens = {
        {"control_succeeded", control,
         " URB Control Transfer succeeded\nDevice Object\tUSBPDO-3\nDriver Object\tusbccgp\n\n"
         "URB Function\tURB_FUNCTION_CONTROL_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
         "Endpoint 0\tDefault Control\n\nRequest\tGet Descriptor from Device\nDescriptor\tString Lang ID\n"
         "wLANGID[0]\tEnglish (United States)\n"},
        {"bulk_canceled", cancelled,
         " URB Bulk or Interrupt Transfer canceled\nDevice Object\tUSBPDO-3\nDriver Object\tusbccgp\n\n"
         "URB Function\tURB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER\nURB Status\tUSBD_STATUS_SUCCESS\n\n"
         "Endpoint 81h\t1 In, Interrupt\n\n"},
        {"power_pended", pending,
         " Power IRP Wait Wake pended\nDevice Object\tUSBPDO-3\nDriver Object\tusbccgp\n\n"
         "IRP Minor Function\tIRP_MN_WAIT_WAKE\nIRP Status\tSTATUS_PENDING\n\n"},
        {"hub_too_small", tooSmall,
         " I/O Control Request USB Get Node Information failed\nDevice Object\tUSBPDO-3\nDriver Object\tusbccgp\n\n"
         "I/O Control Code\tIOCTL_USB_GET_NODE_INFORMATION\nIRP Status\tSTATUS_BUFFER_TOO_SMALL\n\n"
         "Buffer Length\t76\n"},
        {"start_marker", start, " Start Capture\n"},
    };
    const bool write = std::getenv("BRX_WRITE_GOLDENS") != nullptr;
    for (const Golden& g : goldens) {
        SCOPED_TRACE(g.name);
        const SummaryDocument doc = Doc(g.index);
        EXPECT_EQ(RtfToText(doc.rtf), g.text);
        const std::string path = std::string(BRX_SOURCE_DIR) + "/tests/data/summary/" + g.name + ".rtf";
        if (write) {
            std::ofstream(path, std::ios::binary) << doc.rtf;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in.good()) << "missing golden " << path;
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), doc.rtf);
    }
}

} // namespace
} // namespace brx
