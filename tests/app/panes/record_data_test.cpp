// Which bytes of a record the raw data pane shows, and the summary's status
// picture: tables of URB, device-control and marker records built by the
// record builder, in buffers of exactly their size so that ASan sees any
// read past a part.
#include <gtest/gtest.h>

#include <string>

#include "app/panes/AnalysisTrees.h"
#include "app/panes/RecordData.h"
#include "capture/RequestKind.h"
#include "decode/TreeSink.h"
#include "tests/app/panes/PaneRecords.h"

using namespace brx;
using namespace brx::testing;

namespace {

constexpr uint32_t kFailed = 0xC0000001u;

Bytes Data(size_t n, uint8_t first = 0x10) {
    Bytes d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(first + i);
    return d;
}

Bytes Shown(const ReadPair& r) {
    const RECORD_DATA_BYTES d = GetRecordDataBytes(r.pair.record, r.layout);
    if (!d.length) return {};
    EXPECT_NE(d.bytes, nullptr);
    // Inside the record's own buffer.
    EXPECT_GE(d.bytes, r.a.data());
    EXPECT_LE(d.bytes + d.length, r.a.data() + r.a.size());
    return Bytes(d.bytes, d.bytes + d.length);
}

struct UrbCase {
    const char* name;
    UrbSpec spec;
    bool completion;
    uint32_t status;
    int32_t usbdStatus;
    bool shown;  // the record's transfer bytes are its data
};

UrbSpec In(UrbSpec u) {
    u.transferFlags |= 1;
    return u;
}

TEST(RecordDataBytes, TransfersShowTheirDataInTheirDirectionsPhase) {
    const Bytes payload = Data(24);
    const PipeSpec bulkIn{0x81, 0x8A0C2000, 0}, bulkOut{0x02, 0x8A0C2100, 0};
    const uint8_t setupIn[8] = {0x80, 6, 0, 1, 0, 0, 24, 0};
    const uint8_t setupOut[8] = {0x40, 1, 0, 0, 0, 0, 24, 0};
    const UrbCase cases[] = {
        {"bulk IN issue", BulkTransfer(bulkIn, 24, payload), false, 0, 0, false},
        {"bulk IN good completion", BulkTransfer(bulkIn, 24, payload), true, 0, 0, true},
        {"bulk IN failed completion", BulkTransfer(bulkIn, 24, payload), true, kFailed, 0, false},
        {"bulk IN URB error", BulkTransfer(bulkIn, 24, payload), true, 0, static_cast<int32_t>(0xC0000004u), false},
        {"bulk OUT issue", BulkTransfer(bulkOut, 24, payload), false, 0, 0, true},
        {"bulk OUT good completion", BulkTransfer(bulkOut, 24, payload), true, 0, 0, false},
        {"bulk OUT failed completion", BulkTransfer(bulkOut, 24, payload), true, kFailed, 0, false},
        {"control IN issue", In(ControlTransfer(setupIn, payload)), false, 0, 0, false},
        {"control IN completion", In(ControlTransfer(setupIn, payload)), true, 0, 0, true},
        {"control OUT issue", ControlTransfer(setupOut, payload), false, 0, 0, true},
        {"control OUT completion", ControlTransfer(setupOut, payload), true, 0, 0, false},
        {"get descriptor issue", GetDescriptor(1, 0, 0, 24, payload), false, 0, 0, false},
        {"get descriptor completion", GetDescriptor(1, 0, 0, 24, payload), true, 0, 0, true},
        {"get descriptor failed", GetDescriptor(1, 0, 0, 24, payload), true, kFailed, 0, false},
        {"set descriptor issue", SetDescriptor(2, 0, 0, payload), false, 0, 0, true},
        {"set descriptor completion", SetDescriptor(2, 0, 0, payload), true, 0, 0, false},
        {"vendor IN completion", VendorClassRequest(URB_FN_VENDOR_DEVICE, true, 1, 0, 0, 24, payload), true, 0, 0,
         true},
        {"vendor IN issue", VendorClassRequest(URB_FN_VENDOR_DEVICE, true, 1, 0, 0, 24, payload), false, 0, 0, false},
        {"class OUT issue", VendorClassRequest(URB_FN_CLASS_INTERFACE, false, 9, 0x200, 0, 24, payload), false, 0,
         0, true},
        {"isochronous IN completion", In(IsochTransfer(bulkIn, 1, 24, payload)), true, 0, 0, true},
        {"isochronous IN issue", In(IsochTransfer(bulkIn, 1, 24, payload)), false, 0, 0, false},
        {"abort pipe", PipeRequest(URB_FN_ABORT_PIPE, bulkIn), true, 0, 0, false},
    };
    for (const UrbCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuilder b;
        const DeviceSpec device;
        UrbSpec spec = c.spec;
        spec.usbdStatus = c.usbdStatus;
        const Bytes record = c.completion ? b.UrbCompletion(device, spec, Issued{1, 0x8A123000}, c.status)
                                          : b.UrbIssue(device, spec, 0x8A123000);
        auto r = ReadOne(record);
        ASSERT_TRUE(r);
        EXPECT_EQ(Shown(*r), c.shown ? payload : Bytes{});
    }
}

TEST(RecordDataBytes, ResultBytesOfTheGetRequestsComeFromTheBlock) {
    struct Case {
        const char* name;
        uint16_t function;
        Bytes result;
        bool completion;
        uint32_t status;
        Bytes shown;
    } cases[] = {
        {"status", URB_FN_GET_STATUS_FROM_DEVICE, {0x03, 0x00}, true, 0, {0x03, 0x00}},
        {"status of 3 bytes shows 2", URB_FN_GET_STATUS_FROM_DEVICE, {0x01, 0x02, 0x03}, true, 0, {0x01, 0x02}},
        {"status failed", URB_FN_GET_STATUS_FROM_DEVICE, {0x03, 0x00}, true, kFailed, {}},
        {"status at issue", URB_FN_GET_STATUS_FROM_DEVICE, {}, false, 0, {}},
        {"configuration", URB_FN_GET_CONFIGURATION, {0x01}, true, 0, {0x01}},
        {"configuration not captured", URB_FN_GET_CONFIGURATION, {}, true, 0, {}},
        {"interface", URB_FN_GET_INTERFACE, {0x02}, true, 0, {0x02}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuilder b;
        UrbSpec spec;
        spec.function = c.function;
        spec.resultBytes = c.result;
        const Bytes record = c.completion ? b.UrbCompletion(DeviceSpec{}, spec, Issued{1, 0x8A123000}, c.status)
                                          : b.UrbIssue(DeviceSpec{}, spec, 0x8A123000);
        auto r = ReadOne(record);
        ASSERT_TRUE(r);
        EXPECT_EQ(Shown(*r), c.shown);
    }
}

TEST(RecordDataBytes, ABlockCutShortShowsNothing) {
    // A bulk completion whose record ends inside the URB block: the view
    // keeps a block shorter than the 44 bytes a transfer needs.
    RecordBuilder b;
    Bytes record = b.UrbCompletion(DeviceSpec{}, BulkTransfer(PipeSpec{}, 8, Data(8)), Issued{1, 0x8A123000});
    const uint32_t blockAt = kDriverRecordLayout.irpBlockOffset + kDriverRecordLayout.irpBlockSize;
    record.resize(blockAt + 40);
    PutU32(record, 0, static_cast<uint32_t>(record.size()) | (RECORD_TYPE_REQUEST << 24));
    auto r = ReadOne(record);
    ASSERT_TRUE(r);
    EXPECT_EQ(Shown(*r), Bytes{});
}

// User-mode requests: the buffer after the 12-byte header.
TEST(RecordDataBytes, UserIoctlBuffersByKindAndPhase) {
    const Bytes buffer = Data(20, 0x40);
    struct Case {
        uint16_t kind;
        bool completion;
        uint32_t status;
        bool shown;
    } cases[] = {
        {KIND_HUB_FIRST + 1, true, 0, true},   {KIND_HUB_FIRST + 1, false, 0, false},
        {KIND_HUB_FIRST + 1, true, kFailed, false}, {KIND_HCD_FIRST + 12, false, 0, true},
        {KIND_HCD_FIRST + 12, true, 0, false}, {KIND_HUB_FIRST + 2, false, 0, true},
        {KIND_HUB_FIRST + 2, true, 0, true},   {KIND_HUB_FIRST + 2, true, kFailed, false},
        {KIND_HUB_FIRST + 100, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        RecordBuilder b;
        const Bytes record = c.completion
                                 ? b.IoctlCompletion(DeviceSpec{}, c.kind, 0x220448, 20, buffer, Issued{1, 0x8A123000},
                                                     c.status)
                                 : b.IoctlIssue(DeviceSpec{}, c.kind, 0x220448, 20, buffer, 0x8A123000);
        auto r = ReadOne(record);
        ASSERT_TRUE(r);
        EXPECT_EQ(Shown(*r), c.shown ? buffer : Bytes{});
    }
}

// A file's layout may declare a device-control header shorter than the
// block's own 12 bytes: the buffer still starts behind those 12 bytes and
// never reaches past the block.
TEST(RecordDataBytes, ADeclaredShortHeaderNeverReadsPastTheBlock) {
    for (uint32_t header : {4u, 8u, 12u, 16u}) {
        SCOPED_TRACE(header);
        RECORD_LAYOUT layout = kDriverRecordLayout;
        layout.ioctlHeaderSize = header;
        RecordBuilder b(layout);
        const Bytes buffer = Data(8, 0x70);
        // The block says 100 bytes were captured; it holds 8.
        Bytes block = RecordBuilder::IoctlBlock(0x220448, 100, buffer);
        PutU32(block, IOCTL_BLOCK_BUFFER_COUNT, 100);
        RequestSpec spec;
        spec.kind = KIND_HUB_FIRST + 1;
        spec.completion = true;
        spec.issueSequence = 1;
        spec.hasBlock = true;
        spec.block = block;
        auto r = ReadOne(b.Request(spec), layout);
        ASSERT_TRUE(r);
        const Bytes shown = Shown(*r);
        const size_t expected = header <= 12 ? 8 : 20 - header;
        ASSERT_EQ(shown.size(), expected);
        EXPECT_EQ(shown, Bytes(buffer.begin(), buffer.begin() + static_cast<long>(expected)));
    }
}

TEST(RecordDataBytes, KernelIoctlBlocks) {
    RecordBuilder b;
    RequestSpec spec;
    spec.kind = KIND_KMIO_FIRST + 9;  // SUBMIT_IDLE_NOTIFICATION: its first 8 bytes at issue
    spec.hasBlock = true;
    spec.block = Data(16, 0x90);
    auto issue = ReadOne(b.Request(spec));
    ASSERT_TRUE(issue);
    EXPECT_EQ(Shown(*issue), Data(8, 0x90));
    spec.completion = true;
    auto completion = ReadOne(b.Request(spec));
    ASSERT_TRUE(completion);
    EXPECT_EQ(Shown(*completion), Bytes{});

    // GET_HUB_NAME: the name's length at +4, never more than the block holds.
    spec.kind = KIND_KMIO_FIRST + 8;
    spec.block = Data(24, 0);
    PutU32(spec.block, 4, 1000);
    auto name = ReadOne(b.Request(spec));
    ASSERT_TRUE(name);
    EXPECT_EQ(Shown(*name).size(), 16u);
}

TEST(StatusImage, ByRecordTypeAndOutcome) {
    RecordBuilder b;
    const DeviceSpec d;
    struct Case {
        const char* name;
        Bytes record;
        int image;
    } cases[] = {
        {"start", b.StartMarker(), STATUS_IMAGE_START},
        {"drop", b.DropMarker(), STATUS_IMAGE_DROP},
        {"other type", b.RawRecord(RECORD_TYPE_OTHER, Data(8)), STATUS_IMAGE_NONE},
        {"issue", b.IrpIssue(d, KIND_CREATE, 0x8A123000), STATUS_IMAGE_ISSUED},
        {"success", b.Complete(d, KIND_CREATE, Issued{1, 0x8A123000}, 0), STATUS_IMAGE_SUCCEEDED},
        {"failed", b.Complete(d, KIND_CREATE, Issued{1, 0x8A123000}, kFailed), STATUS_IMAGE_FAILED},
        {"canceled", b.Complete(d, KIND_CREATE, Issued{1, 0x8A123000}, kStatusCancelled), STATUS_IMAGE_CANCELED},
        {"pending", b.Complete(d, KIND_CREATE, Issued{1, 0x8A123000}, kStatusPending), STATUS_IMAGE_PENDED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = ReadOne(c.record);
        ASSERT_TRUE(r);
        EXPECT_EQ(GetStatusImage(r->pair.record, r->layout), c.image);
    }
    // A request read only as far as its IRP block would start has no picture.
    auto cut = ReadOne(b.Complete(d, KIND_CREATE, Issued{1, 0x8A123000}, kFailed));
    ASSERT_TRUE(cut);
    cut->pair.record.copied = cut->layout.irpBlockOffset - 1;
    EXPECT_EQ(GetStatusImage(cut->pair.record, cut->layout), STATUS_IMAGE_NONE);
    cut->pair.record.copied = cut->layout.irpBlockOffset;
    EXPECT_EQ(GetStatusImage(cut->pair.record, cut->layout), STATUS_IMAGE_FAILED);
}

// A tree that keeps its rows as text lines.
class TextTree final : public ITreeSink {
public:
    std::vector<std::string> rows;
    TREE_ITEM InsertItem(const char* text, TREE_ITEM parent) override {
        rows.push_back(std::string(parent ? "  " : "") + (text ? text : ""));
        return reinterpret_cast<TREE_ITEM>(rows.size());
    }
    bool SetItemText(TREE_ITEM, int, const char*) override { return true; }
    bool SetItemTextWide(TREE_ITEM, int, std::u16string_view) override { return true; }
    TREE_ITEM GetParentItem(TREE_ITEM) override { return nullptr; }
    TREE_ITEM GetRootItem() override { return rows.empty() ? nullptr : reinterpret_cast<TREE_ITEM>(1); }
    TREE_ITEM GetNextSibling(TREE_ITEM) override { return nullptr; }
    void ExpandItem(TREE_ITEM) override { ++expanded; }
    int expanded = 0;
};

TEST(AnalysisTree, ChoosesTheViewByKind) {
    RecordBuilder b;
    // A hub's node information on a good completion: a tree.
    Bytes info = Data(76, 0);
    auto node = ReadOne(b.IoctlCompletion(DeviceSpec{}, KIND_HUB_FIRST, 0x220408, 76, info, Issued{1, 0x8A123000}));
    ASSERT_TRUE(node);
    TextTree tree;
    EXPECT_EQ(RenderAnalysisTree(tree, node->pair.record, node->layout), AnalysisView::Tree);
    EXPECT_FALSE(tree.rows.empty());
    EXPECT_EQ(tree.expanded, 1);

    // Failed: nothing.
    auto failed = ReadOne(
        b.IoctlCompletion(DeviceSpec{}, KIND_HUB_FIRST, 0x220408, 76, info, Issued{1, 0x8A123000}, kFailed));
    TextTree none;
    EXPECT_EQ(RenderAnalysisTree(none, failed->pair.record, failed->layout), AnalysisView::None);
    EXPECT_TRUE(none.rows.empty());

    // URBs are pages.
    auto urb = ReadOne(b.UrbCompletion(DeviceSpec{}, BulkTransfer(PipeSpec{}, 8, Data(8)), Issued{1, 0x8A123000}));
    TextTree page;
    EXPECT_EQ(RenderAnalysisTree(page, urb->pair.record, urb->layout), AnalysisView::Html);
    EXPECT_TRUE(page.rows.empty());

    // Markers: nothing.
    auto start = ReadOne(b.StartMarker());
    EXPECT_EQ(RenderAnalysisTree(none, start->pair.record, start->layout), AnalysisView::None);
}

TEST(AnalysisTree, DeviceCapabilitiesStayInsideTheBlock) {
    RecordBuilder b;
    RequestSpec spec;
    spec.kind = KIND_PNP_FIRST + 9;  // QUERY_CAPABILITIES
    spec.hasBlock = true;
    for (size_t length : {63u, 64u, 80u}) {
        SCOPED_TRACE(length);
        spec.block = Data(length, 0);
        PutU32(spec.block, 0, 64);
        auto r = ReadOne(b.Request(spec));
        ASSERT_TRUE(r);
        TextTree tree;
        EXPECT_EQ(RenderAnalysisTree(tree, r->pair.record, r->layout),
                  length >= 64 ? AnalysisView::Tree : AnalysisView::None);
    }
}

} // namespace
