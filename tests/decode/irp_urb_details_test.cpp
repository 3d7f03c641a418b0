// The IRP Details and URB Details trees of records built with the record
// builder: golden dumps of an IRP with its stack locations and of a URB of
// every function with a table, and the edge cases of the fills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/FieldTables.h"
#include "decode/IrpUrbDetails.h"
#include "tests/decode/DetailsRecords.h"
#include "tests/decode/Golden.h"
#include "tests/decode/RecordingTreeSink.h"

namespace brx {
namespace {

using testing::CheckGolden;
using testing::MakeUrb;
using testing::RecordingTreeSink;
using testing::UrbRecord;
using testing::ViewedRecord;

const RECORD_LAYOUT& kLayout = kDriverRecordLayout;

std::string IrpTree(const Bytes& record) {
    ViewedRecord r(record);
    EXPECT_TRUE(r.ok());
    RecordingTreeSink tree;
    FillIrpDetails(tree, r.view(), kLayout);
    return tree.Dump();
}

std::string UrbTree(const Bytes& record, uint32_t bufferSize = 0) {
    ViewedRecord r(record, bufferSize);
    EXPECT_TRUE(r.ok());
    RecordingTreeSink tree;
    FillUrbDetails(tree, r.view());
    return tree.Dump();
}

// Offsets of the IRP and its current stack location in a driver record.
constexpr size_t kIrp = 56;
constexpr size_t kStack = kIrp + IRP_SIZE;

// A PnP QUERY_ID IRP at completion with most IRP fields set.
Bytes QueryIdIrp(RecordBuilder& b) {
    RequestSpec s;
    s.kind = 40 + 0x13;
    s.completion = true;
    s.issueSequence = 7;
    s.status = 0xC00000BB;
    s.irp = 0x8A123000;
    s.majorFunction = 0x1B;
    s.minorFunction = 0x13;
    s.stackParameters[0] = 1;  // BusQueryHardwareIDs
    Bytes r = b.Request(s);
    PutU32(r, kIrp + 4, 0x8A200000);              // MdlAddress
    PutU32(r, kIrp + 8, 0x00010043);              // Flags: three named bits and bit 16
    PutU32(r, kIrp + 12, 0x8A300000);             // SystemBuffer
    PutU32(r, kIrp + 16, 0x8A400010);             // ThreadListEntry
    PutU32(r, kIrp + 20, 0x8A400018);
    PutU32(r, kIrp + 28, 0x00000010);             // IoStatus.Information
    r[kIrp + 32] = 1;                             // RequestorMode UserMode
    r[kIrp + 33] = 1;                             // PendingReturned
    r[kIrp + 37] = 2;                             // CancelIrql
    r[kIrp + 39] = 0x85;                          // AllocationFlags
    PutU32(r, kIrp + 40, 0x0012F5A0);             // UserIosb
    PutU32(r, kIrp + 80, 0x8A500000);             // Tail.Overlay.Thread
    r[kStack + 2] = 0;                            // Flags
    r[kStack + 3] = 0xE1;                         // Control: pending returned, invoke on all
    PutU32(r, kStack + 28, 0xF8A01234);           // CompletionRoutine
    return r;
}

TEST(IrpDetails, QueryIdIrpWithItsStackLocations) {
    RecordBuilder b;
    CheckGolden("irp_query_id", IrpTree(QueryIdIrp(b)));
}

TEST(IrpDetails, StackLocationsUpToStackCountAndAtMost64) {
    struct Case {
        uint8_t stackCount, current;
        size_t rows;        // top-level rows after the IRP
        int rendered;       // the row rendered from the captured location, 0 none
    };
    const Case cases[] = {
        {4, 3, 4, 3}, {1, 1, 1, 1}, {0, 0, 0, 0}, {2, 3, 2, 0}, {200, 70, 64, 0}, {200, 64, 64, 64}, {3, 0, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.stackCount) << "/" << int(c.current));
        RecordBuilder b;
        Bytes r = QueryIdIrp(b);
        r[kIrp + 34] = c.stackCount;
        r[kIrp + 35] = c.current;
        ViewedRecord v(r);
        RecordingTreeSink tree;
        FillIrpDetails(tree, v.view(), kLayout);
        ASSERT_EQ(tree.TopLevel().size(), 1 + c.rows);
        for (size_t i = 1; i <= c.rows; ++i) {
            const TreeRow* row = tree.TopLevel()[i];
            EXPECT_EQ(row->columns[0], "IO_STACK_LOCATION");
            if (static_cast<int>(i) == c.rendered) {
                EXPECT_EQ(row->columns[2], "Location " + std::to_string(i) + " (current)");
                EXPECT_FALSE(row->children.empty());
            } else {
                EXPECT_EQ(row->columns[2], "Location " + std::to_string(i));
                EXPECT_TRUE(row->children.empty());
            }
        }
    }
}

TEST(IrpDetails, ShortFormHasNoCurrentLocationAndNoIrpBlockNoTree) {
    RecordBuilder b;
    DeviceSpec d;
    const std::string shortForm = IrpTree(b.Pnp(d, 0x13, b.NewIrp(), IrpForm::Short));
    EXPECT_NE(shortForm.find("IO_STACK_LOCATION |  | Location 3\n"), std::string::npos);
    EXPECT_EQ(shortForm.find("(current)"), std::string::npos);
    EXPECT_EQ(IrpTree(b.Pnp(d, 0x13, b.NewIrp(), IrpForm::None)), "");
    EXPECT_EQ(IrpTree(b.StartMarker()), "");
}

TEST(IrpDetails, IrpCutShortShowsNoTree) {
    RecordBuilder b;
    const Bytes r = QueryIdIrp(b);
    ViewedRecord v(r, static_cast<uint32_t>(kIrp + 100));
    RecordingTreeSink tree;
    FillIrpDetails(tree, v.view(), kLayout);
    EXPECT_EQ(tree.RowCount(), 0u);
}

std::string StackTree(uint8_t major, uint8_t minor, std::vector<uint32_t> params, uint8_t flags = 0) {
    uint8_t s[36] = {major, minor, flags, 0};
    for (size_t i = 0; i < params.size() && i < 4; ++i) {
        for (int k = 0; k < 4; ++k) s[4 + 4 * i + k] = static_cast<uint8_t>(params[i] >> (8 * k));
    }
    RecordingTreeSink tree;
    RenderStackLocation(tree, s, sizeof s);
    return tree.Dump();
}

TEST(IrpDetails, StackLocationParametersByMajorAndMinor) {
    struct Case {
        const char* golden;
        uint8_t major, minor;
        std::vector<uint32_t> params;
        uint8_t flags;
    };
    const Case cases[] = {
        {"stack_create", 0x00, 0, {0x8A001000, 0x01000060, 0x00070080, 0}, 0},
        {"stack_internal_ioctl", 0x0F, 0, {0x8A0B0000, 0, 0x00220003, 0}, 0x03},
        {"stack_device_control_unknown_type", 0x0E, 0, {0x200, 0x10, 0x8FFFC00B, 0}, 0x04},
        {"stack_wait_wake", 0x16, 0, {4}, 0},
        {"stack_set_power_system", 0x16, 2, {0, 0, 5, 3}, 0},
        {"stack_set_power_device", 0x16, 3, {0, 1, 4, 0}, 0},
        {"stack_power_odd_type", 0x16, 2, {0, 7, 4, 0}, 0},
        {"stack_query_relations", 0x1B, 7, {4}, 0},
        {"stack_query_interface", 0x1B, 8, {0x8A700000, 0x00010040, 0x8A710000, 0}, 0},
        {"stack_query_text", 0x1B, 12, {1, 0x0409}, 0},
        {"stack_usage_notification", 0x1B, 22, {0x00000101, 2}, 0},
        {"stack_surprise_removal", 0x1B, 23, {}, 0},
        {"stack_read", 0x03, 0, {0x200, 0, 0x1000, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        CheckGolden(c.golden, StackTree(c.major, c.minor, c.params, c.flags));
    }
}

// ---------------------------------------------------------------------------
// URBs

struct UrbCase {
    const char* golden;
    Bytes record;
};

std::vector<UrbCase> UrbCases() {
    RecordBuilder b;
    DeviceSpec d;
    std::vector<UrbCase> cases;
    auto completed = [&](const UrbSpec& u, uint32_t status = 0) {
        b.UrbIssue(d, u, b.NewIrp());
        return b.UrbCompletion(d, u, b.Last(), status);
    };
    const PipeSpec in{0x81, 0x8A0C2000, 0};
    const PipeSpec out{0x02, 0x8A0C2100, 0};

    cases.push_back({"urb_select_configuration", completed(SelectConfiguration(0, 0x08, 0x06, 0x50, {out, in}))});
    {
        UrbSpec u = SelectConfiguration(1, 0x03, 0x01, 0x02, {in});
        u.function = URB_FN_SELECT_INTERFACE;
        cases.push_back({"urb_select_interface", b.UrbIssue(d, u, b.NewIrp())});
    }
    cases.push_back({"urb_abort_pipe", b.UrbIssue(d, PipeRequest(URB_FN_ABORT_PIPE, in), b.NewIrp())});
    cases.push_back({"urb_sync_reset_pipe", b.UrbIssue(d, PipeRequest(URB_FN_SYNC_RESET_PIPE, in), b.NewIrp())});
    cases.push_back({"urb_take_frame_length_control", UrbRecord(b, MakeUrb(3, 24))});
    {
        Bytes u = MakeUrb(5, 24);
        PutU32(u, 16, 12000);
        PutU32(u, 20, 0x4321);
        cases.push_back({"urb_get_frame_length", UrbRecord(b, u)});
    }
    {
        Bytes u = MakeUrb(6, 20);
        PutU32(u, 16, 0xFFFFFFFF);
        cases.push_back({"urb_set_frame_length", UrbRecord(b, u)});
    }
    {
        Bytes u = MakeUrb(7, 20);
        PutU32(u, 16, 0x00012345);
        cases.push_back({"urb_get_current_frame_number", UrbRecord(b, u, true)});
    }
    {
        const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
        UrbSpec u = ControlTransfer(setup);
        u.bufferLength = 18;
        u.transferFlags = 0x2;
        u.usbdStatus = static_cast<int32_t>(0xC0000004);
        cases.push_back({"urb_control_transfer", completed(u, 0xC0000001)});
    }
    {
        UrbSpec u = BulkTransfer(in, 512);
        u.transferFlags = 0x3;
        cases.push_back({"urb_bulk_in", b.UrbIssue(d, u, b.NewIrp())});
    }
    cases.push_back({"urb_isoch", completed(IsochTransfer(in, 3, 3 * 192))});
    cases.push_back({"urb_get_descriptor", b.UrbIssue(d, GetDescriptor(3, 2, 0x0409, 255), b.NewIrp())});
    {
        UrbSpec u;
        u.function = URB_FN_SET_FEATURE_TO_DEVICE;
        u.value = 1;
        cases.push_back({"urb_set_feature", b.UrbIssue(d, u, b.NewIrp())});
    }
    {
        UrbSpec u;
        u.function = URB_FN_GET_STATUS_FROM_DEVICE;
        u.bufferLength = 2;
        cases.push_back({"urb_get_status", b.UrbIssue(d, u, b.NewIrp())});
    }
    cases.push_back({"urb_class_interface", b.UrbIssue(d, VendorClassRequest(URB_FN_CLASS_INTERFACE, true, 0xFE, 0,
                                                                             0, 1), b.NewIrp())});
    {
        UrbSpec u;
        u.function = URB_FN_GET_CONFIGURATION;
        u.bufferLength = 1;
        cases.push_back({"urb_get_configuration", b.UrbIssue(d, u, b.NewIrp())});
    }
    {
        UrbSpec u;
        u.function = URB_FN_GET_INTERFACE;
        u.bufferLength = 1;
        u.index = 2;
        cases.push_back({"urb_get_interface", b.UrbIssue(d, u, b.NewIrp())});
    }
    {
        Bytes u = MakeUrb(42, 80);
        PutU32(u, 20, 1);
        PutU32(u, 24, 0x28);
        PutU32(u, 28, 0x8A0E0000);
        u[72] = 0;
        u[74] = 0;
        u[75] = 0;
        PutU16(u, 76, 4);
        cases.push_back({"urb_os_feature_descriptor", UrbRecord(b, u)});
    }
    {
        const uint8_t setup[8] = {0x21, 0x0A, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
        UrbSpec u = ControlTransfer(setup);
        u.function = URB_FN_CONTROL_TRANSFER_EX;
        cases.push_back({"urb_control_transfer_ex", b.UrbIssue(d, u, b.NewIrp())});
    }
    {
        Bytes u = MakeUrb(51, 32);
        PutU32(u, 16, 0x8A0C2000);
        PutU32(u, 20, 1);
        PutU32(u, 24, 4);
        PutU32(u, 28, 0x10000);
        cases.push_back({"urb_set_pipe_io_policy", UrbRecord(b, u)});
    }
    return cases;
}

TEST(UrbDetails, EveryFunctionTableRendersItsGoldenTree) {
    for (const UrbCase& c : UrbCases()) {
        SCOPED_TRACE(c.golden);
        CheckGolden(c.golden, UrbTree(c.record));
    }
}

TEST(UrbDetails, FirstRowIsExpanded) {
    RecordBuilder b;
    ViewedRecord v(b.UrbIssue(DeviceSpec{}, BulkTransfer(PipeSpec{}, 64), b.NewIrp()));
    RecordingTreeSink tree;
    FillUrbDetails(tree, v.view());
    ASSERT_FALSE(tree.TopLevel().empty());
    EXPECT_TRUE(tree.TopLevel().front()->expanded);
}

TEST(UrbDetails, UrbBelowItsFunctionsMinimumShowsOnlyTheHeader) {
    RecordBuilder b;
    const std::string header =
        "struct _URB_HEADER\n"
        "  Length | 004Fh\n"
        "  Function | 0008h | URB_FUNCTION_CONTROL_TRANSFER\n"
        "  Status | 00000000h | USBD_STATUS_SUCCESS\n"
        "  UsbdDeviceHandle | 8A0D0000h\n"
        "  UsbdFlags | 00000000h\n";
    EXPECT_EQ(UrbTree(UrbRecord(b, MakeUrb(8, 79))), header);
    // The header's Length bounds the rendering too, whatever was captured.
    EXPECT_EQ(UrbTree(UrbRecord(b, MakeUrb(8, 80, 79))), header);
}

TEST(UrbDetails, RenderUrbRefusesShortUrbsAndFunctionsWithoutTables) {
    struct Case {
        uint16_t function;
        size_t size;
        bool shown;
    };
    const Case cases[] = {
        {53, 80, false}, {0xFFFF, 80, false}, {22, 80, false}, {29, 80, false}, {43, 80, false}, {47, 80, false},
        {9, 15, false},  {9, 16, true},       {52, 32, true},  {0, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        const Bytes urb = MakeUrb(c.function, c.size);
        RecordingTreeSink tree;
        RenderUrb(tree, urb.data(), urb.size());
        EXPECT_EQ(tree.RowCount() != 0, c.shown);
    }
}

TEST(UrbDetails, FillNeedsMoreThan15BytesOfUrb) {
    RecordBuilder b;
    EXPECT_EQ(UrbTree(UrbRecord(b, MakeUrb(9, 72, 15))), "");
    EXPECT_NE(UrbTree(UrbRecord(b, MakeUrb(9, 72, 16))), "");
    // A record cut inside the URB's first 16 bytes has no URB in its view.
    const Bytes r = UrbRecord(b, MakeUrb(9, 72));
    EXPECT_EQ(UrbTree(r, static_cast<uint32_t>(r.size() - 72 + 10)), "");
}

TEST(UrbDetails, IsochronousPacketsStayInsideTheUrbLength) {
    RecordBuilder b;
    DeviceSpec d;
    Bytes r = b.UrbIssue(d, IsochTransfer(PipeSpec{}, 4, 4 * 100), b.NewIrp());
    const size_t urb = r.size() - (84 + 4 * 12);
    // NumberOfPackets claims 1000 packets; only the four captured ones show.
    PutU32(r, urb + 76, 1000);
    std::string tree = UrbTree(r);
    EXPECT_NE(tree.find("IsoPacket[3]"), std::string::npos);
    EXPECT_EQ(tree.find("IsoPacket[4]"), std::string::npos);
    // The URB's Length cuts the list after two packets.
    PutU16(r, urb, 84 + 2 * 12 + 5);
    tree = UrbTree(r);
    EXPECT_NE(tree.find("IsoPacket[1]"), std::string::npos);
    EXPECT_EQ(tree.find("IsoPacket[2]"), std::string::npos);
}

TEST(UrbDetails, InterfaceLoopEndsAtABadLength) {
    struct Case {
        const char* name;
        uint16_t secondLength;  // 0: no second interface
        size_t interfaces;
    };
    const Case cases[] = {
        {"two interfaces", 36, 2},
        {"second below 16", 15, 1},
        {"second zero", 0xFFFE, 1},  // replaced by 0 below
        {"second past the data", 200, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuilder b;
        UrbSpec u = SelectConfiguration(0, 0x08, 0x06, 0x50, {PipeSpec{}});
        Bytes second = SelectConfiguration(1, 0x03, 0x00, 0x00, {PipeSpec{}}).selectTail;
        PutU16(second, 0, c.secondLength == 0xFFFE ? 0 : c.secondLength);
        u.selectTail.insert(u.selectTail.end(), second.begin(), second.end());
        const std::string tree = UrbTree(b.UrbIssue(DeviceSpec{}, u, b.NewIrp()));
        size_t count = 0;
        for (size_t at = tree.find("\n  Interface "); at != std::string::npos; at = tree.find("\n  Interface ", at + 1)) {
            ++count;
        }
        EXPECT_EQ(count, c.interfaces);
    }
}

TEST(UrbDetails, PipesStayInsideTheInterfaceLength) {
    RecordBuilder b;
    UrbSpec u = SelectConfiguration(0, 0x08, 0x06, 0x50, {PipeSpec{}, PipeSpec{}});
    PutU32(u.selectTail, 12, 0x7FFFFFFF);  // NumberOfPipes far beyond the data
    std::string tree = UrbTree(b.UrbIssue(DeviceSpec{}, u, b.NewIrp()));
    EXPECT_NE(tree.find("Pipes[1]"), std::string::npos);
    EXPECT_EQ(tree.find("Pipes[2]"), std::string::npos);
    PutU16(u.selectTail, 0, 16 + 20 + 19);  // the interface's Length ends inside the second pipe
    tree = UrbTree(b.UrbIssue(DeviceSpec{}, u, b.NewIrp()));
    EXPECT_NE(tree.find("Pipes[0]"), std::string::npos);
    EXPECT_EQ(tree.find("Pipes[1]"), std::string::npos);
}

TEST(UrbDetails, TransferFlagsSpreadOverRows) {
    const Bytes flagsOnly = [] {
        Bytes u = MakeUrb(9, 72);
        PutU32(u, 20, 0x0000000E);
        return u;
    }();
    RecordingTreeSink tree;
    RenderUrb(tree, flagsOnly.data(), flagsOnly.size());
    const std::string dump = tree.Dump();
    EXPECT_NE(dump.find("  TransferFlags | 0000000Eh | USBD_TRANSFER_DIRECTION_OUT\n"
                        "   |  | USBD_SHORT_TRANSFER_OK\n"
                        "   |  | USBD_START_ISO_TRANSFER_ASAP\n"
                        "   |  | USBD_DEFAULT_PIPE_TRANSFER\n"
                        "  TransferBufferLength"),
              std::string::npos)
        << dump;
}

} // namespace
} // namespace brx
