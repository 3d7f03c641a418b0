// Column texts of the capture list: every column producer on records built
// as the capture driver writes them, read back through an indexed log as the
// list reads a row; the time formats with their examples and their limits.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/list/ColumnText.h"
#include "base/Text.h"
#include "decode/SummaryWriter.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;
using brx::testing::FakeFilterLog;

namespace {

std::string Narrow(const char16_t* text) { return WideToUtf8(text); }

class FakeNames final : public ISummaryNames {
public:
    std::map<uint64_t, std::u16string> devices, drivers;
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return Copy(devices, key, out, capacity);
    }
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return Copy(drivers, key, out, capacity);
    }
    int HasReportIds(const HID_OBJECT_KEY&, uint8_t) const override { return 0; }
    static uint64_t Key(uint32_t a, uint32_t b) { return (static_cast<uint64_t>(b) << 32) | a; }

private:
    static uint32_t Copy(const std::map<uint64_t, std::u16string>& m, OBJECT_KEY key, char16_t* out, uint32_t cap) {
        auto it = m.find(Key(key.key0, key.key1));
        if (it == m.end() || cap == 0) return 0;
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(it->second.size(), cap - 1));
        std::copy_n(it->second.data(), n, out);
        out[n] = 0;
        return n;
    }
};

// A log of records and the list's way of reading one row of it.
class Columns : public ::testing::Test {
protected:
    FakeFilterLog log;
    RecordBuilder b;
    uint8_t recordBuffer[612];
    uint8_t companionBuffer[612];
    CRecordPairView pair;
    char16_t text[COLUMN_TEXT_SIZE];
    COLUMN_TEXT_CONTEXT ctx;

    void SetUp() override {
        b.SetClock(0x01DD5A2B3C4D5E00ull, 5000000, 10000, 10000);
        ctx.layout = log.GetRecordLayout();
        ctx.frequency = 10000000;
        ctx.reference = 5000000;
    }

    uint32_t Add(const Bytes& record) {
        log.Append(record);
        return log.GetRecordCount() - 1;
    }

    void Read(uint32_t index) {
        pair.Init(recordBuffer, sizeof recordBuffer, companionBuffer, sizeof companionBuffer);
        ASSERT_EQ(log.ReadRecordPair(index, pair), S_OK32);
    }

    // The text of one column of record `index`.
    std::string Cell(uint32_t index, uint32_t kind) {
        Read(index);
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = COLUMN_TEXT_SIZE;
        text[0] = 0;
        if (pair.record.type == RECORD_TYPE_START) {
            GetStartMarkerColumnText(ctx, kind);
        } else if (pair.record.type == RECORD_TYPE_DROP) {
            GetDropMarkerColumnText(ctx, kind);
        } else {
            GetColumnText(ctx, kind);
        }
        return Narrow(text);
    }

    // An issue and its completion; returns the completion's index.
    uint32_t UrbPair(const DeviceSpec& d, const UrbSpec& issue, const UrbSpec& done, uint32_t status = 0) {
        Add(b.UrbIssue(d, issue, b.NewIrp()));
        return Add(b.UrbCompletion(d, done, b.Last(), status));
    }
};

TEST_F(Columns, TypeColumnByKind) {
    DeviceSpec d;
    struct Case {
        Bytes record;
        const char* type;
    } cases[] = {
        {b.Create(d, b.NewIrp()), "Create"},
        {b.Close(d, b.NewIrp()), "Close"},
        {b.IrpIssue(d, 3, b.NewIrp()), "Cleanup"},
        {b.Power(d, 2, b.NewIrp()), "Power"},
        {b.Pnp(d, 9, b.NewIrp()), "PnP"},
        {b.UrbIssue(d, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{}), b.NewIrp()), "URB"},
        {b.IoctlIssue(d, 843, 0x22000F, 0, {}, b.NewIrp()), "KmIO"},
        {b.IoctlIssue(d, 4441, 0x22040C, 64, {}, b.NewIrp()), "UmIO"},
        {b.IrpIssue(d, 200, b.NewIrp()), "IRP"},
        {b.StartMarker(), "START"},
        {b.DropMarker(), "DROP"},
    };
    for (const Case& c : cases) EXPECT_EQ(Cell(Add(c.record), COLUMN_TYPE), c.type);
}

TEST_F(Columns, SequenceOfIssueCompletionAndMarkers) {
    DeviceSpec d;
    b.SetSequence(11);
    const uint32_t issue = Add(b.Pnp(d, 9, b.NewIrp()));
    const uint32_t done = Add(b.Complete(d, 49, b.Last(), 0));
    b.SetSequence(123456);
    const uint32_t marker = Add(b.StartMarker());
    EXPECT_EQ(Cell(issue, COLUMN_SEQUENCE), "0011");
    EXPECT_EQ(Cell(done, COLUMN_SEQUENCE), "0012-0011");
    EXPECT_EQ(Cell(marker, COLUMN_SEQUENCE), "123456");
    // Marker rows show only their first three columns.
    EXPECT_EQ(Cell(marker, COLUMN_REQUEST), "");
    EXPECT_EQ(Cell(marker, COLUMN_DEVICE_OBJECT), "");
}

TEST_F(Columns, TimeColumnFormatsAndLocalTime) {
    // 2024-03-05 13:07:09.123 UTC as a FILETIME.
    const uint64_t t = 133541176291230000ull;
    b.SetClock(t, 0, 0, 0);
    const uint32_t i = Add(b.StartMarker());
    EXPECT_EQ(Cell(i, COLUMN_TIME), "13:07:09.123");
    ctx.timeFormat = TIME_FORMAT_DATE_AND_TIME;
    EXPECT_EQ(Cell(i, COLUMN_TIME), "2024-03-05 13:07:09.123");
    ctx.toLocalTime = [](uint64_t utc) -> uint64_t { return utc + 2 * 3600 * 10000000ull; };
    EXPECT_EQ(Cell(i, COLUMN_TIME), "2024-03-05 15:07:09.123");
}

struct TimeCase {
    int64_t stamp, reference, frequency;
    uint32_t format;
    const char* text;
};

class TimeValue : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeValue, Formats) {
    const TimeCase& c = GetParam();
    char16_t out[COLUMN_TEXT_SIZE] = u"";
    FormatTimeValue(c.stamp, c.reference, c.frequency, c.format, out, COLUMN_TEXT_SIZE);
    EXPECT_EQ(Narrow(out), c.text);
}

constexpr int64_t F = 10000000;      // 100-ns counter
constexpr int64_t Q = 3579545;       // the ACPI timer's rate
INSTANTIATE_TEST_SUITE_P(
    Elapsed, TimeValue,
    ::testing::Values(
        // Scaled (format 2), the default.
        TimeCase{1000, 1000, F, 2, "0"}, TimeCase{1000 + 15000, 1000, F, 2, "1.500 ms"},
        TimeCase{1000 - 15000, 1000, F, 2, "-1.500 ms"}, TimeCase{1004, 1000, F, 2, "< 1 us"},
        TimeCase{996, 1000, F, 2, "< -1 us"}, TimeCase{1000 + 250, 1000, F, 2, "25 us"},
        TimeCase{1000 - 250, 1000, F, 2, "-25 us"}, TimeCase{1000 + 25000000, 1000, F, 2, "2.500000 s"},
        // Seconds (format 1).
        TimeCase{1000 + 15000, 1000, F, 1, "0.001500"}, TimeCase{1000 - 15000, 1000, F, 1, "-0.001500"},
        // Clock (format 0): whole days are not shown.
        TimeCase{F * 3600 * 25, 0, F, 0, "1:00:00.000000"}, TimeCase{0, F * 3600 * 25, F, 0, "-1:00:00.000000"},
        TimeCase{F * 3723 + 45678, 0, F, 0, "1:02:03.004568"},
        // 0.9999996 s rounds into the seconds, not to zero.
        TimeCase{9999996, 0, F, 0, "0:00:01.000000"}, TimeCase{9999994, 0, F, 0, "0:00:00.999999"},
        // Past 10^12 counts the old product of counts and 10^7 would have
        // overflowed; 3 * 10^12 counts at 3.579545 MHz are 838,095.3445200 s.
        TimeCase{3000000000000, 0, Q, 0, "16:48:15.344520"}, TimeCase{3000000000000, 0, Q, 1, "838095.344520"},
        TimeCase{3000000000000, 0, Q, 2, "838095.344520 s"},
        // Far apart stamps of opposite sign do not wrap.
        TimeCase{INT64_MAX, INT64_MIN, F, 0, "5:36:10.955162"},
        // No frequency: nothing.
        TimeCase{5000, 0, 0, 2, ""}));

TEST(TimeValueLimits, LargeFrequencyStaysExact) {
    // A frequency above 2^64 / 10^7: the remainder cannot be multiplied by
    // 10^7 in 64 bits.
    const uint64_t f = 4000000000000000000ull;
    EXPECT_EQ(CountsToTicks(f / 2, f), 5000000u);
    EXPECT_EQ(CountsToTicks(3 * (f / 4), f), 7500000u);
    EXPECT_EQ(CountsToTicks(UINT64_MAX, 1), UINT64_MAX);
    EXPECT_EQ(CountsToTicks(1234, 0), 0u);
}

struct DurationCase {
    int64_t issue, completion;
    uint32_t format;
    const char* text;
};

class Duration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(Duration, Formats) {
    const DurationCase& c = GetParam();
    char16_t out[COLUMN_TEXT_SIZE] = u"";
    FormatDurationText(c.issue, c.completion, F, c.format, out, COLUMN_TEXT_SIZE);
    EXPECT_EQ(Narrow(out), c.text);
}

INSTANTIATE_TEST_SUITE_P(Formats, Duration,
                         ::testing::Values(DurationCase{50, 50, 1, "0"}, DurationCase{50, 53, 1, "< 1 us"},
                                           DurationCase{0, 1230, 1, "123 us"},
                                           DurationCase{0, 15000, 1, "1.500 ms"},
                                           DurationCase{0, 36000000, 1, "3.600000 s"},
                                           DurationCase{0, 15000, 0, "0.001500"},
                                           DurationCase{0, 0, 0, "0.000000"}));

TEST_F(Columns, ElapsedAndDurationOfRecords) {
    DeviceSpec d;
    b.SetClock(0x01DD5A2B3C4D5E00ull, 5000000 + 15000, 1000, 250);
    const uint32_t issue = Add(b.Pnp(d, 9, b.NewIrp()));
    const uint32_t done = Add(b.Complete(d, 49, b.Last(), 0));
    EXPECT_EQ(Cell(issue, COLUMN_ELAPSED), "1.500 ms");
    EXPECT_EQ(Cell(done, COLUMN_ELAPSED), "1.525 ms");
    EXPECT_EQ(Cell(issue, COLUMN_DURATION), "");
    EXPECT_EQ(Cell(done, COLUMN_DURATION), "25 us");
    ctx.frequency = 0;
    EXPECT_EQ(Cell(done, COLUMN_ELAPSED), "");
    EXPECT_EQ(Cell(done, COLUMN_DURATION), "");
}

TEST_F(Columns, RequestNames) {
    DeviceSpec d;
    struct Case {
        Bytes record;
        const char* name;
    } cases[] = {
        {b.Create(d, b.NewIrp()), "Create"},
        {b.IrpIssue(d, 3, b.NewIrp()), "Cleanup"},
        {b.Power(d, 2, b.NewIrp()), "Set Power"},
        {b.IrpIssue(d, 39, b.NewIrp()), "Power"},
        {b.Pnp(d, 9, b.NewIrp()), "Query Capabilities"},
        {b.IrpIssue(d, 139, b.NewIrp()), "Plug and Play"},
        {b.UrbIssue(d, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{}), b.NewIrp()), "Sync Reset Pipe and Clear Stall"},
        {b.IoctlIssue(d, 843, 0x22000F, 0, {}, b.NewIrp()), "Internal USB Get Roothub PDO"},
        {b.IoctlIssue(d, 4339, 0x22FFFF, 0, {}, b.NewIrp()), "Internal Device Control"},
        {b.IoctlIssue(d, 4441, 0x22040C, 64, {}, b.NewIrp()), "USB Get Node Connection Information"},
        {b.IoctlIssue(d, 4540, 0x220000, 0, {}, b.NewIrp()), "Device Control"},
        {b.IrpIssue(d, 200, b.NewIrp()), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Cell(Add(c.record), COLUMN_REQUEST), c.name) << c.name;
}

TEST_F(Columns, StatusColumn) {
    DeviceSpec d;
    const uint32_t issue = Add(b.Pnp(d, 9, b.NewIrp()));
    const uint32_t ok = Add(b.Complete(d, 49, b.Last(), 0));
    Add(b.Pnp(d, 9, b.NewIrp()));
    const uint32_t odd = Add(b.Complete(d, 49, b.Last(), 0xC0FFEE01));
    UrbSpec failed = BulkTransfer(PipeSpec{}, 8);
    failed.usbdStatus = static_cast<int32_t>(0xC0000004);  // stall
    const uint32_t stalled = UrbPair(d, failed, failed, 0xC0000001);
    failed.usbdStatus = static_cast<int32_t>(0xC0ABCDEF);
    const uint32_t unknownUsbd = UrbPair(d, failed, failed, 0xC0000001);
    UrbSpec good = BulkTransfer(PipeSpec{}, 8);
    const uint32_t urbOdd = UrbPair(d, good, good, 0xC0FFEE02);
    EXPECT_EQ(Cell(issue, COLUMN_STATUS), "");
    EXPECT_EQ(Cell(ok, COLUMN_STATUS), "Success");
    EXPECT_EQ(Cell(odd, COLUMN_STATUS), "C0FFEE01h");
    EXPECT_EQ(Cell(stalled, COLUMN_STATUS), "Unsuccessful (Stall PID)");
    EXPECT_EQ(Cell(unknownUsbd, COLUMN_STATUS), "Unsuccessful");
    EXPECT_EQ(Cell(urbOdd, COLUMN_STATUS), "C0FFEE02h (Success)");
}

TEST_F(Columns, PipeAddressColumn) {
    DeviceSpec d;
    d.configurationValue = 1;
    d.interfaceNumber = 0;
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
    struct Case {
        uint32_t index;
        const char* text;
    } cases[] = {
        {Add(b.UrbIssue(d, BulkTransfer(PipeSpec{0x81, 1, 0}, 8), b.NewIrp())), "01:00:81"},
        {Add(b.UrbIssue(d, BulkTransfer(PipeSpec{0x02, 1, 0}, 8), b.NewIrp())), "01:00:02"},
        {Add(b.UrbIssue(d, BulkTransfer(PipeSpec{0xFF, 1, 0}, 8), b.NewIrp())), "01:00:??"},
        {Add(b.UrbIssue(d, BulkTransfer(PipeSpec{0x00, 1, 0, PIPE_TYPE_CONTROL}, 8), b.NewIrp())), "--:--:00"},
        // Endpoint number 0 of another transfer type is a pipe of its own.
        {Add(b.UrbIssue(d, BulkTransfer(PipeSpec{0x00, 1, 0, PIPE_TYPE_BULK}, 8), b.NewIrp())), "01:00:00"},
        {Add(b.UrbIssue(d, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{0x83, 1, 0}), b.NewIrp())), "01:00:83"},
        // A control transfer flagged for the default pipe.
        {Add(b.UrbIssue(d, ControlTransfer(setup), b.NewIrp())), "--:--:00"},
        {Add(b.UrbIssue(d, GetDescriptor(1, 0, 0, 18), b.NewIrp())), "--:--:00"},
        {Add(b.UrbIssue(d, PipeRequest(0x14, PipeSpec{}), b.NewIrp())), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Cell(c.index, COLUMN_CIE), c.text) << c.text;
    DeviceSpec unknown = d;
    unknown.configurationValue = 0xFF;
    unknown.interfaceNumber = 0xFF;
    EXPECT_EQ(Cell(Add(b.UrbIssue(unknown, BulkTransfer(PipeSpec{0x81, 1, 0}, 8), b.NewIrp())), COLUMN_CIE),
              "??:??:81");
}

TEST_F(Columns, RawDataPreview) {
    DeviceSpec d;
    Bytes nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Bytes eight(nine.begin(), nine.begin() + 8);
    const PipeSpec in{0x81, 1, 0}, out{0x02, 2, 0};
    // Bulk IN: nothing at issue, the data at a good completion.
    const uint32_t inDone = UrbPair(d, BulkTransfer(in, 9), BulkTransfer(in, 9, nine));
    const uint32_t inIssue = inDone - 1;
    // Bulk OUT: the data at issue, nothing at completion.
    const uint32_t outDone = UrbPair(d, BulkTransfer(out, 8, eight), BulkTransfer(out, 8, eight));
    UrbSpec bad = BulkTransfer(in, 8, eight);
    bad.usbdStatus = static_cast<int32_t>(0xC0000004);
    const uint32_t inFailed = UrbPair(d, BulkTransfer(in, 8), bad, 0xC0000001);
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
    const uint32_t control = UrbPair(d, ControlTransfer(setup), ControlTransfer(setup, {0x12, 0x01, 0x00}));
    UrbSpec config;
    config.function = URB_FN_GET_CONFIGURATION;
    config.bufferLength = 1;
    UrbSpec configDone = config;
    configDone.resultBytes = {0x01};
    const uint32_t getConfig = UrbPair(d, config, configDone);
    UrbSpec iface;
    iface.function = URB_FN_GET_INTERFACE;
    iface.bufferLength = 1;
    UrbSpec ifaceDone = iface;
    ifaceDone.resultBytes = {0x02};
    const uint32_t getIface = UrbPair(d, iface, ifaceDone);
    const uint32_t reset = Add(b.UrbIssue(d, PipeRequest(URB_FN_RESET_PIPE, in), b.NewIrp()));

    EXPECT_EQ(Cell(inIssue, COLUMN_RAW_DATA), "");
    EXPECT_EQ(Cell(inDone, COLUMN_RAW_DATA), "01 02 03 04 05 06 07 08...");
    EXPECT_EQ(Cell(outDone - 1, COLUMN_RAW_DATA), "01 02 03 04 05 06 07 08");
    EXPECT_EQ(Cell(outDone, COLUMN_RAW_DATA), "");
    EXPECT_EQ(Cell(inFailed, COLUMN_RAW_DATA), "");
    EXPECT_EQ(Cell(control, COLUMN_RAW_DATA), "12 01 00");
    EXPECT_EQ(Cell(getConfig - 1, COLUMN_RAW_DATA), "");
    EXPECT_EQ(Cell(getConfig, COLUMN_RAW_DATA), "01");
    EXPECT_EQ(Cell(getIface, COLUMN_RAW_DATA), "02");
    EXPECT_EQ(Cell(reset, COLUMN_RAW_DATA), "");
    EXPECT_EQ(Cell(inDone, COLUMN_DIRECTION), "in");
    EXPECT_EQ(Cell(outDone, COLUMN_DIRECTION), "out");
}

TEST_F(Columns, PreviewOfRecordCutByTheListBuffer) {
    // 600 data bytes do not fit the list's 612-byte buffer with the headers:
    // the preview shows eight bytes and the ellipsis.
    DeviceSpec d;
    const PipeSpec out{0x02, 2, 0};
    const uint32_t i = Add(b.UrbIssue(d, BulkTransfer(out, 600, Bytes(600, 0xAB)), b.NewIrp()));
    EXPECT_EQ(Cell(i, COLUMN_RAW_DATA), "AB AB AB AB AB AB AB AB...");
}

struct PreviewCase {
    Bytes bytes;
    bool truncated;
    size_t size;
    const char* text;
};

class HexPreview : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(HexPreview, Limits) {
    const PreviewCase& c = GetParam();
    std::u16string out(c.size + 1, u'#');
    FormatHexPreview(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()), c.truncated, out.data(), c.size);
    EXPECT_EQ(out[c.size], u'#') << "wrote past the buffer";
    const size_t end = out.find(u'\0');
    EXPECT_EQ(end == std::u16string::npos ? std::string("<untouched>") : WideToUtf8(out.substr(0, end)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes_, HexPreview,
    ::testing::Values(PreviewCase{{}, false, 260, "<untouched>"}, PreviewCase{{0xAB}, false, 260, "AB"},
                      PreviewCase{{0xAB}, true, 260, "AB..."},
                      PreviewCase{{0, 1, 2, 3, 4, 5, 6, 7}, false, 260, "00 01 02 03 04 05 06 07"},
                      PreviewCase{{0, 1, 2, 3, 4, 5, 6, 7, 8}, false, 260, "00 01 02 03 04 05 06 07..."},
                      // Room for two pairs only: the rest is an ellipsis, cut to the buffer.
                      PreviewCase{{0, 1, 2, 3}, false, 8, "00 01.."}, PreviewCase{{0xFE}, false, 3, ".."},
                      PreviewCase{{0xFE, 1}, false, 4, "FE."}, PreviewCase{{0xFE}, false, 1, ""},
                      PreviewCase{{0xFE}, false, 0, "<untouched>"}));

TEST_F(Columns, ObjectColumnsAndNames) {
    DeviceSpec d;
    d.deviceObject = 0x89A01030;
    d.deviceKey = 0x89A01000;
    d.driverKey0 = 0x89B00200;
    d.driverKey1 = 1;
    FakeNames names;
    names.devices[FakeNames::Key(0x89A01030, 0x89A01000)] = u"\\Device\\USBPDO-5";
    names.drivers[FakeNames::Key(0x89B00200, 1)] = u"\\Driver\\usbhub";
    const uint32_t i = Add(b.Pnp(d, 9, 0x8A123456));
    EXPECT_EQ(Cell(i, COLUMN_DEVICE_OBJECT), "89A01030h");
    EXPECT_EQ(Cell(i, COLUMN_IRP), "8A123456h");
    EXPECT_EQ(Cell(i, COLUMN_DEVICE_NAME), "");
    ctx.names = &names;
    EXPECT_EQ(Cell(i, COLUMN_DEVICE_NAME), "USBPDO-5");
    EXPECT_EQ(Cell(i, COLUMN_DRIVER_NAME), "usbhub");
    names.devices.clear();
    EXPECT_EQ(Cell(i, COLUMN_DEVICE_NAME), "");
    EXPECT_EQ(Cell(i, COLUMN_DIRECTION), "");  // not a URB
}

TEST_F(Columns, UrbRecordWithoutItsUrb) {
    // A URB record whose parameter block stops before its URB.
    DeviceSpec d;
    RequestSpec s;
    s.device = d;
    s.kind = 340 + URB_FN_BULK_OR_INTERRUPT;
    s.completion = true;
    s.status = 0xC0000001;
    s.hasBlock = true;
    s.block = Bytes(40, 0);
    PutU16(s.block, URB_BLOCK_URB_OFFSET, 48);  // the URB would start past the block
    const uint32_t i = Add(b.Request(s));
    EXPECT_EQ(Cell(i, COLUMN_TYPE), "URB");
    for (uint32_t kind : {COLUMN_REQUEST, COLUMN_RAW_DATA, COLUMN_CIE, COLUMN_STATUS})
        EXPECT_EQ(Cell(i, kind), "") << kind;
    EXPECT_EQ(Cell(i, COLUMN_DEVICE_OBJECT), "89A01030h");
}

TEST_F(Columns, KindsOutsideTheColumnsWriteNothing) {
    DeviceSpec d;
    const uint32_t i = Add(b.Pnp(d, 9, b.NewIrp()));
    EXPECT_EQ(Cell(i, COLUMN_COUNT), "");
    EXPECT_EQ(Cell(i, 0xFFFFFFFFu), "");
}

TEST_F(Columns, RequestDetailsComeFromTheDecoders) {
    DeviceSpec d;
    const uint32_t i = Add(b.UrbIssue(d, GetDescriptor(1, 0, 0, 18), b.NewIrp()));
    EXPECT_EQ(Cell(i, COLUMN_REQUEST_DETAILS), "Dvc");
}

TEST_F(Columns, SmallBuffersAreNeverOverrun) {
    DeviceSpec d;
    FakeNames names;
    names.devices[FakeNames::Key(d.deviceObject, d.deviceKey)] = u"\\Device\\A-rather-long-device-name";
    ctx.names = &names;
    const uint32_t i = UrbPair(d, BulkTransfer(PipeSpec{0x81, 1, 0}, 8), BulkTransfer(PipeSpec{0x81, 1, 0}, 8, Bytes(8, 7)));
    Read(i);
    ctx.pair = &pair;
    for (uint32_t size : {1u, 2u, 5u}) {
        for (uint32_t kind = 0; kind < COLUMN_COUNT; ++kind) {
            char16_t out[8];
            std::fill(std::begin(out), std::end(out), u'#');
            out[0] = 0;
            ctx.text = out;
            ctx.textSize = size;
            GetColumnText(ctx, kind);
            EXPECT_EQ(out[size], u'#') << "kind " << kind << " size " << size;
            EXPECT_LT(WideLength(out, 8), size) << "kind " << kind;
        }
    }
}

} // namespace
