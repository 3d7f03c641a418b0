// The record builder writes records byte for byte in the driver's format; these
// tests read them back with plain bounds-checked reads at the documented offsets.
#include <gtest/gtest.h>

#include "base/ByteReader.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

constexpr uint32_t kReq = 24;      // request part in the driver layout
constexpr uint32_t kIrp = 56;      // IRP block
constexpr uint32_t kBlockLong = kIrp + 148;
constexpr uint32_t kBlockShort = kIrp + 112;

uint32_t U32(const Bytes& b, size_t off) { return ByteReader(b.data(), b.size()).u32le_or(off, 0xDEADBEEF); }
uint16_t U16(const Bytes& b, size_t off) { return ByteReader(b.data(), b.size()).u16le_or(off, 0xBEEF); }

DeviceSpec Dev() {
    DeviceSpec d;
    d.deviceObject = 0x81112220;
    d.deviceKey = 0x81112200;
    d.driverKey0 = 0x82000100;
    d.driverKey1 = 7;
    return d;
}

} // namespace

TEST(RecordBuilder, MarkersCarryHeaderAndAdvancingStamps) {
    RecordBuilder b;
    b.SetSequence(41);
    b.SetClock(1000, 500, 10, 3);
    Bytes start = b.StartMarker();
    Bytes drop = b.DropMarker();
    ASSERT_EQ(start.size(), 24u);
    EXPECT_EQ(U32(start, 0), 24u | (2u << 24));
    EXPECT_EQ(U32(start, 4), 41u);
    EXPECT_EQ(ByteReader(start.data(), start.size()).u64le_or(8), 1000u);
    EXPECT_EQ(ByteReader(start.data(), start.size()).u64le_or(16), 500u);
    EXPECT_EQ(U32(drop, 0), 24u | (4u << 24));
    EXPECT_EQ(U32(drop, 4), 42u);
    EXPECT_EQ(ByteReader(drop.data(), drop.size()).u64le_or(8), 1010u);
    EXPECT_EQ(ByteReader(drop.data(), drop.size()).u64le_or(16), 503u);
    EXPECT_EQ(b.NextSequence(), 43u);
}

// Whole records against bytes written out by hand from the record format, so
// that an offset constant shared by the builder and the readers cannot be
// wrong for both unnoticed.
TEST(RecordBuilder, RecordsMatchHandWrittenBytes) {
    RecordBuilder b;
    b.SetSequence(0x0107);
    b.SetClock(0x0102030405060708ull, 0x1112131415161718ll, 0x10, 0x20);
    DeviceSpec d = Dev();
    const Bytes close = b.Close(d, 0x8A001234, IrpForm::None);
    const Bytes closeWant = {
        0x38, 0x00, 0x00, 0x01,                          // 56 bytes, type 1
        0x07, 0x01, 0x00, 0x00,                          // sequence
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // FILETIME
        0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11,  // counter stamp
        0x20, 0x22, 0x11, 0x81,                          // request +0: device object
        0x00, 0x22, 0x11, 0x81,                          // +4: device key
        0x00, 0x00, 0x00, 0x00,                          // +8: no issue (an issue)
        0x00, 0x01, 0x00, 0x82, 0x07, 0x00, 0x00, 0x00,  // +12: driver key
        0x00, 0x00,                                      // +20: flags: no IRP block
        0x02, 0x00,                                      // +22: kind 2, Close
        0x00, 0x00, 0x00, 0x00,                          // +24: NTSTATUS
        0x34, 0x12, 0x00, 0x8A,                          // +28: IRP
    };
    EXPECT_EQ(close, closeWant);

    const Bytes done = b.Complete(d, 2, Issued{0x0107, 0x8A001234}, 0xC0000001, IrpForm::None);
    const Bytes doneWant = {
        0x38, 0x00, 0x00, 0x01,
        0x08, 0x01, 0x00, 0x00,
        0x18, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,
        0x38, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11,
        0x20, 0x22, 0x11, 0x81,
        0x00, 0x22, 0x11, 0x81,
        0x07, 0x01, 0x00, 0x00,                          // +8: the issue's sequence (record byte 32)
        0x00, 0x01, 0x00, 0x82, 0x07, 0x00, 0x00, 0x00,
        0x01, 0x00,                                      // taken at completion
        0x02, 0x00,
        0x01, 0x00, 0x00, 0xC0,
        0x34, 0x12, 0x00, 0x8A,
    };
    EXPECT_EQ(done, doneWant);

    // The start marker: the header alone.
    const Bytes start = b.StartMarker();
    const Bytes startWant = {0x18, 0x00, 0x00, 0x02, 0x09, 0x01, 0x00, 0x00, 0x28, 0x07, 0x06, 0x05,
                             0x04, 0x03, 0x02, 0x01, 0x58, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11};
    EXPECT_EQ(start, startWant);
}

// A bulk transfer's parameter block after a short IRP block, byte for byte:
// the block header, the 72-byte URB and the captured bytes.
TEST(RecordBuilder, BulkBlockMatchesHandWrittenBytes) {
    RecordBuilder b;
    DeviceSpec d = Dev();
    d.interfaceClass = 0x03;
    d.interfaceSubClass = 0x01;
    d.interfaceProtocol = 0x02;
    d.configurationValue = 1;
    d.interfaceNumber = 2;
    PipeSpec pipe{0x81, 0x8A0C2220, 0x0005};
    UrbSpec u = BulkTransfer(pipe, 8, Bytes{0xA1, 0xA2, 0xA3});
    const Bytes block = b.UrbBlock(d, u, true);
    Bytes want(48 + 72 + 3, 0);
    auto put16 = [&](size_t at, uint16_t v) { want[at] = v & 0xFF; want[at + 1] = v >> 8; };
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) want[at + i] = (v >> (8 * i)) & 0xFF; };
    put16(0, static_cast<uint16_t>(want.size()));   // block length
    put16(2, 48);                                   // URB offset in the block
    want[12] = 0x03; want[13] = 0x01; want[14] = 0x02;   // interface class, subclass, protocol
    want[32] = 1; want[33] = 2; want[35] = 0xC1;    // configuration, interface, endpoint 81h of a bulk pipe
    put32(36, 3);                                   // DATA_REFERENCE: length 3
    put16(40, 48 + 72);                             // ... at the end of the URB
    put16(42, 0x0005);                              // HID key word
    put16(48 + 0, 72);                              // URB Length
    put16(48 + 2, 0x09);                            // Function
    put32(48 + 16, 0x8A0C2220);                     // PipeHandle
    put32(48 + 20, 3);                              // transfer flags: IN, short transfer OK
    put32(48 + 24, 8);                              // TransferBufferLength
    want[120] = 0xA1; want[121] = 0xA2; want[122] = 0xA3;
    // Bytes the format leaves to the builder (block 4-11, 15-31, 34 and the
    // rest of the URB) are compared where the reader looks only.
    for (size_t at : {0, 1, 2, 3, 12, 13, 14, 32, 33, 35, 36, 37, 38, 39, 40, 41, 42, 43, 48, 49, 50, 51,
                      64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 120, 121, 122}) {
        ASSERT_LT(at, block.size());
        EXPECT_EQ(block[at], want[at]) << "block byte " << at;
    }
    EXPECT_EQ(block.size(), want.size());
}

TEST(RecordBuilder, IrpFormsPlaceTheirBlocks) {
    struct Case {
        IrpForm form;
        uint16_t flags;
        size_t size;
    } cases[] = {
        {IrpForm::Long, 0x0002, kIrp + 148},
        {IrpForm::Short, 0x000A, kIrp + 112},
        {IrpForm::None, 0x0000, kIrp},
    };
    for (const Case& c : cases) {
        RecordBuilder b;
        Bytes r = b.Pnp(Dev(), 0x14, 0x8A000100, c.form);
        SCOPED_TRACE(static_cast<int>(c.form));
        ASSERT_EQ(r.size(), c.size);
        EXPECT_EQ(U32(r, 0) & 0xFFFFFF, c.size);
        EXPECT_EQ(r[3], 1);
        EXPECT_EQ(U32(r, kReq + 0), 0x81112220u);
        EXPECT_EQ(U32(r, kReq + 4), 0x81112200u);
        EXPECT_EQ(U32(r, kReq + 12), 0x82000100u);
        EXPECT_EQ(U32(r, kReq + 16), 7u);
        EXPECT_EQ(U16(r, kReq + 20), c.flags);
        EXPECT_EQ(U16(r, kReq + 22), 40 + 0x14);
        EXPECT_EQ(U32(r, kReq + 28), 0x8A000100u);
        if (c.form != IrpForm::None) {
            EXPECT_EQ(U16(r, kIrp), 6);       // IO_TYPE_IRP
            EXPECT_EQ(r[kIrp + 34], 4);       // StackCount
            EXPECT_EQ(r[kIrp + 35], 3);       // CurrentLocation
        }
        if (c.form == IrpForm::Long) {
            EXPECT_EQ(r[kIrp + 112], 0x1B);   // IRP_MJ_PNP
            EXPECT_EQ(r[kIrp + 113], 0x14);
        }
    }
}

TEST(RecordBuilder, RequestKindsOfIrps) {
    RecordBuilder b;
    const uint32_t irp = b.NewIrp();
    EXPECT_EQ(U16(b.Create(Dev(), irp), kReq + 22), 1);
    EXPECT_EQ(U16(b.Close(Dev(), irp), kReq + 22), 2);
    EXPECT_EQ(U16(b.Power(Dev(), 2, irp), kReq + 22), 22);
    EXPECT_EQ(U16(b.Pnp(Dev(), 0, irp), kReq + 22), 40);
    Bytes cleanup = b.IrpIssue(Dev(), 3, irp);
    EXPECT_EQ(U16(cleanup, kReq + 22), 3);
    EXPECT_EQ(cleanup[kIrp + 112], 0x12);   // IRP_MJ_CLEANUP
    EXPECT_EQ(b.Power(Dev(), 2, irp)[kIrp + 112], 0x16);
    EXPECT_NE(b.NewIrp(), irp);
}

TEST(RecordBuilder, CompletionCarriesIssueSequenceAndStatus) {
    RecordBuilder b;
    b.SetSequence(100);
    Bytes issue = b.Create(Dev(), 0x8A000200);
    Issued i = b.Last();
    EXPECT_EQ(i.sequence, 100u);
    EXPECT_EQ(i.irp, 0x8A000200u);
    b.Create(Dev(), 0x8A000300);   // something in between
    Bytes done = b.Complete(Dev(), 1, i, 0xC0000001);
    EXPECT_EQ(U32(done, 4), 102u);
    EXPECT_EQ(U32(done, 32), 100u);   // record byte 32 = request part +8
    EXPECT_EQ(U16(done, kReq + 20) & 1, 1);
    EXPECT_EQ(U32(done, kReq + 24), 0xC0000001u);
    EXPECT_EQ(U32(done, kReq + 28), 0x8A000200u);
    EXPECT_EQ(U32(done, kIrp + 24), 0xC0000001u);   // IoStatus.Status
    EXPECT_EQ(U32(issue, 32), 0u);
}

TEST(RecordBuilder, DefaultLayoutPutsIssueSequenceAtRequestPlusEight) {
    RecordBuilder b(kDefaultRecordLayout);
    b.Create(Dev(), 0x8A000200);
    Issued i = b.Last();
    Bytes done = b.Complete(Dev(), 1, i, 0);
    EXPECT_EQ(U32(done, 16 + 8), i.sequence);
    EXPECT_EQ(U16(done, 16 + 20), 0x0003);
    EXPECT_EQ(done.size(), 48u + 148u);
}

TEST(RecordBuilder, BulkUrbBlockWithDataReference) {
    RecordBuilder b;
    DeviceSpec d = Dev();
    d.interfaceClass = 0x03;
    d.configurationValue = 1;
    d.interfaceNumber = 2;
    PipeSpec pipe{0x02, 0x8A0C2220, 0x1234};
    Bytes payload = {1, 2, 3, 4, 5};
    Bytes r = b.UrbIssue(d, BulkTransfer(pipe, 64, payload), 0x8A000400);
    EXPECT_EQ(U16(r, kReq + 20), 0x0012);
    EXPECT_EQ(U16(r, kReq + 22), 340 + 0x09);
    const size_t blk = kBlockLong;
    const uint16_t urbOff = U16(r, blk + 2);
    EXPECT_EQ(urbOff, 48);
    EXPECT_EQ(r[blk + 12], 0x03);
    EXPECT_EQ(r[blk + 32], 1);
    EXPECT_EQ(r[blk + 33], 2);
    EXPECT_EQ(r[blk + 35], 0x42);   // endpoint 02h, bulk
    EXPECT_EQ(U16(r, blk + 42), 0x1234);
    const size_t urb = blk + urbOff;
    EXPECT_EQ(U16(r, urb), 72);                     // URB Length
    EXPECT_EQ(U16(r, urb + 2), 0x09);               // Function
    EXPECT_EQ(U32(r, urb + 16), 0x8A0C2220u);       // PipeHandle
    EXPECT_EQ(U32(r, urb + 20) & 1, 0u);            // OUT
    EXPECT_EQ(U32(r, urb + 24), 64u);
    const uint32_t ref = U32(r, blk + 36);
    const uint16_t dataOff = U16(r, blk + 40);
    ASSERT_EQ(ref & 0x0FFFFFFF, 5u);
    EXPECT_EQ(ref >> 31, 0u);
    ASSERT_LE(blk + dataOff + 5, r.size());
    EXPECT_EQ(Bytes(r.begin() + blk + dataOff, r.begin() + blk + dataOff + 5), payload);
    EXPECT_EQ(U16(r, blk), r.size() - blk);         // block length
    EXPECT_EQ(U32(r, 0) & 0xFFFFFF, r.size());
}

// Each common URB function: URB length, function word, and where the data
// reference lies.
TEST(RecordBuilder, UrbFunctionsTable) {
    const uint8_t getConfig[8] = {0x80, 0x06, 0x00, 0x02, 0x00, 0x00, 0x09, 0x00};
    PipeSpec in{0x81, 0x8A0C5000, 0};
    struct Case {
        const char* name;
        UrbSpec urb;
        uint16_t urbLength;
        uint32_t dataRefAt;   // 0: none
    } cases[] = {
        {"control", ControlTransfer(getConfig, Bytes(9, 0x22)), 80, 36},
        {"get descriptor", GetDescriptor(0x01, 0, 0, 18, Bytes(18, 0x12)), 80, 32},
        {"set descriptor", SetDescriptor(0x03, 1, 0x0409, Bytes(4, 0x33)), 80, 32},
        {"vendor", VendorClassRequest(URB_FN_VENDOR_DEVICE, true, 0x01, 2, 3, 4, Bytes(4, 0x44)), 80, 32},
        {"class", VendorClassRequest(URB_FN_CLASS_INTERFACE, false, 0x09, 0x200, 0, 1, Bytes(1, 0x55)), 80, 32},
        {"bulk", BulkTransfer(in, 8, Bytes(8, 0x66)), 72, 36},
        {"isoch", IsochTransfer(in, 2, 16, Bytes(16, 0x77)), 84 + 24, 36},
        {"abort", PipeRequest(URB_FN_ABORT_PIPE, in), 24, 0},
        {"reset", PipeRequest(URB_FN_RESET_PIPE, in), 24, 0},
        {"select", SelectConfiguration(0, 8, 6, 0x50, {in, PipeSpec{}}), 24 + 16 + 40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuilder b;
        Bytes r = b.UrbCompletion(Dev(), c.urb, Issued{7, 0x8A000100});
        const size_t urb = kBlockLong + U16(r, kBlockLong + 2);
        EXPECT_EQ(U16(r, urb), c.urbLength);
        EXPECT_EQ(U16(r, urb + 2), c.urb.function);
        EXPECT_EQ(U16(r, kReq + 22), 340 + c.urb.function);
        if (c.dataRefAt) {
            const uint32_t len = U32(r, kBlockLong + c.dataRefAt) & 0x0FFFFFFF;
            const size_t at = kBlockLong + U16(r, kBlockLong + c.dataRefAt + 4);
            ASSERT_EQ(len, c.urb.data.size());
            ASSERT_LE(at + len, r.size());
            EXPECT_EQ(Bytes(r.begin() + at, r.begin() + at + len), c.urb.data);
        }
    }
}

TEST(RecordBuilder, ControlTransferSetupAndDescriptorFields) {
    RecordBuilder b;
    const uint8_t setup[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
    Bytes r = b.UrbIssue(Dev(), ControlTransfer(setup), 0x8A000500);
    const size_t urb = kBlockLong + 48;
    EXPECT_EQ(Bytes(r.begin() + urb + 72, r.begin() + urb + 80), Bytes(setup, setup + 8));
    EXPECT_EQ(U32(r, urb + 20) & 1, 1u);   // IN from bmRequestType
    EXPECT_EQ(U32(r, urb + 24), 0x12u);

    Bytes g = b.UrbIssue(Dev(), GetDescriptor(0x03, 2, 0x0409, 255), 0x8A000600);
    EXPECT_EQ(g[urb + 74], 2);
    EXPECT_EQ(g[urb + 75], 0x03);
    EXPECT_EQ(U16(g, urb + 76), 0x0409);
    EXPECT_EQ(U32(g, kBlockLong + 32), 0u);   // no data at issue
}

TEST(RecordBuilder, BulkOnlyWrappers) {
    Bytes cbw = CommandBlockWrapper(0x11223344, 36, true, 0, {0x12, 0, 0, 0, 36, 0});
    ASSERT_EQ(cbw.size(), 31u);
    EXPECT_EQ(U32(cbw, 0), 0x43425355u);
    EXPECT_EQ(U32(cbw, 4), 0x11223344u);
    EXPECT_EQ(U32(cbw, 8), 36u);
    EXPECT_EQ(cbw[12], 0x80);
    EXPECT_EQ(cbw[14], 6);
    EXPECT_EQ(cbw[15], 0x12);
    EXPECT_EQ(cbw[19], 36);
    Bytes csw = CommandStatusWrapper(0x11223344, 4, 1);
    ASSERT_EQ(csw.size(), 13u);
    EXPECT_EQ(U32(csw, 0), 0x53425355u);
    EXPECT_EQ(U32(csw, 8), 4u);
    EXPECT_EQ(csw[12], 1);
    Bytes inq = InquiryData(0x05, 0x05);
    ASSERT_EQ(inq.size(), 36u);
    EXPECT_EQ(inq[0], 0x05);
    EXPECT_EQ(inq[2], 0x05);
    EXPECT_EQ(inq[8], 'B');
}

TEST(RecordBuilder, MassStorageCommandIsSixLinkedRecords) {
    RecordBuilder b;
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(b, dev, {0x12, 0, 0, 0, 36, 0}, true, 36, InquiryData(0, 5), 0, recs);
    ASSERT_EQ(recs.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Bytes& r = recs[i];
        EXPECT_EQ(r[kBlockLong + 12], 0x08);
        EXPECT_EQ(r[kBlockLong + 14], 0x50);
        EXPECT_EQ(U32(r, kReq + 4), 0x85550000u);
        EXPECT_EQ(U16(r, kReq + 20) & 1, i % 2);
        if (i % 2) {
            EXPECT_EQ(U32(r, 32), U32(recs[i - 1], 4));
        }
    }
    // CBW out at issue, INQUIRY data in at completion, CSW in at completion.
    EXPECT_EQ(U32(recs[0], kBlockLong + 36) & 0x0FFFFFFF, 31u);
    EXPECT_EQ(recs[0][kBlockLong + 35], 0x42);   // bulk OUT 02h
    EXPECT_EQ(U32(recs[3], kBlockLong + 36) & 0x0FFFFFFF, 36u);
    EXPECT_EQ(recs[3][kBlockLong + 35], 0xC1);   // bulk IN 81h
    EXPECT_EQ(U32(recs[5], kBlockLong + 36) & 0x0FFFFFFF, 13u);
    EXPECT_EQ(U32(recs[2], kBlockLong + 36), 0u);   // IN data stage issue carries no bytes
}

TEST(RecordBuilder, IoctlBlockHeaderAndBuffer) {
    RecordBuilder b;
    Bytes buf = {0x10, 0, 0, 0, 'H', 0, 'C', 0};
    Bytes r = b.IoctlCompletion(Dev(), 4351, 0x220424, 64, buf, Issued{3, 0x8A000700});
    EXPECT_EQ(U16(r, kReq + 22), 4351);
    EXPECT_EQ(U16(r, kReq + 20), 0x0013);
    EXPECT_EQ(r[kIrp + 112], 0x0E);   // IRP_MJ_DEVICE_CONTROL
    EXPECT_EQ(U32(r, kIrp + 112 + 12), 0x220424u);
    EXPECT_EQ(U32(r, kBlockLong + 0), 0x220424u);
    EXPECT_EQ(U32(r, kBlockLong + 4), 64u);
    EXPECT_EQ(U32(r, kBlockLong + 8), 8u);
    EXPECT_EQ(Bytes(r.begin() + kBlockLong + 12, r.end()), buf);
    Bytes k = b.IoctlIssue(Dev(), 840 + 0x108, 0x220420, 0, {}, 0x8A000800);
    EXPECT_EQ(k[kIrp + 112], 0x0F);   // IRP_MJ_INTERNAL_DEVICE_CONTROL
}

TEST(RecordBuilder, ShortIrpMovesTheParameterBlock) {
    RecordBuilder b;
    RequestSpec s;
    s.kind = 4340;
    s.irpForm = IrpForm::Short;
    s.hasBlock = true;
    s.block = RecordBuilder::IoctlBlock(0x2203FC, 0, {});
    Bytes r = b.Request(s);
    EXPECT_EQ(U16(r, kReq + 20), 0x001A);
    EXPECT_EQ(r.size(), kBlockShort + 12);
    EXPECT_EQ(U32(r, kBlockShort), 0x2203FCu);
}

TEST(RecordBuilder, NameListBlockItems) {
    Bytes blk = NameListBlock(1, {{0x100, 0x41, u"USBSTOR"}, {0x200, 0x42, u"A"}});
    // A 7-character name gives a 36-byte item, a 1-character one 24 bytes.
    ASSERT_EQ(blk.size(), 16u + 36 + 24);
    EXPECT_EQ(U32(blk, 0), blk.size());
    EXPECT_EQ(U32(blk, 4), 1u);
    EXPECT_EQ(U32(blk, 8), 2u);
    EXPECT_EQ(U32(blk, 16), 36u);
    EXPECT_EQ(U32(blk, 20), 2u);   // device name item
    EXPECT_EQ(U32(blk, 24), 0x100u);
    EXPECT_EQ(U32(blk, 28), 0x41u);
    EXPECT_EQ(U16(blk, 32), 14 + 6);
    EXPECT_EQ(U16(blk, 34), 14);
    EXPECT_EQ(U16(blk, 36), 'U');
    EXPECT_EQ(U16(blk, 36 + 12), 'R');
    EXPECT_EQ(U16(blk, 36 + 14), 0);   // terminator
    EXPECT_EQ(U32(blk, 52), 24u);
    Bytes drv = NameListBlock(3, {{1, 2, u"usbhub"}});
    EXPECT_EQ(U32(drv, 4), 3u);
    EXPECT_EQ(U32(drv, 20), 4u);       // driver name item
}

TEST(RecordBuilder, HidDescriptorBlockItems) {
    Bytes desc = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0};
    HidDescriptorItem item;
    item.interfaceNumber = 1;
    item.descriptor = desc;
    item.objects = {{0x10, 0x20}};
    item.pipes = {{0x30, 0x40, 5, 6}, {0x50, 0x60}};
    Bytes blk = HidDescriptorBlock({item});
    const size_t it = 16;
    const uint32_t itemSize = U32(blk, it);
    EXPECT_EQ(itemSize, 40u + 3 * 12);   // (7 + 35) & ~3, then three keys
    EXPECT_EQ(U32(blk, 0), 16u + itemSize);
    EXPECT_EQ(U32(blk, 4), 10u);
    EXPECT_EQ(U32(blk, 8), 1u);
    EXPECT_EQ(U32(blk, it + 4), 9u);
    EXPECT_EQ(blk[it + 8], 1);
    EXPECT_EQ(U16(blk, it + 12), 7);
    EXPECT_EQ(U16(blk, it + 14), 32);
    EXPECT_EQ(Bytes(blk.begin() + it + 32, blk.begin() + it + 39), desc);
    EXPECT_EQ(U32(blk, it + 16), 1u);
    EXPECT_EQ(U32(blk, it + 20), 40u);
    EXPECT_EQ(U32(blk, it + 40), 0x10u);
    EXPECT_EQ(U32(blk, it + 24), 2u);
    EXPECT_EQ(U32(blk, it + 28), 52u);
    EXPECT_EQ(U32(blk, it + 52 + 4), 0x40u);
    EXPECT_EQ(blk[it + 52 + 8], 5);
    EXPECT_EQ(blk[it + 52 + 9], 6);
}

TEST(RecordBuilder, DriverInfoCarriesTheLayout) {
    DRIVER_INFO info = MakeDriverInfo(kDriverRecordLayout);
    Bytes b(info.bytes, info.bytes + DRIVER_INFO_SIZE);
    EXPECT_EQ(U32(b, 0), 124u);
    EXPECT_EQ(U32(b, 76), 24u);
    EXPECT_EQ(U32(b, 80), 32u);
    EXPECT_EQ(U32(b, 84), 148u);
    EXPECT_EQ(U32(b, 88), 112u);
    EXPECT_EQ(U32(b, 96), 8u);
    EXPECT_EQ(U32(b, 116), 16u);
}

TEST(RecordBuilder, StreamKeepsOffsets) {
    RecordBuilder b;
    RecordStream s;
    s.Add(b.StartMarker());
    s.Add(b.Create(Dev(), 1));
    s.Add(std::vector<Bytes>{b.DropMarker(), b.StartMarker()});
    ASSERT_EQ(s.count(), 4u);
    EXPECT_EQ(s.offsets()[1], 24u);
    EXPECT_EQ(s.offsets()[2], 24u + 204u);
    EXPECT_EQ(s.bytes().size(), 24u + 204u + 48u);
    size_t off = 0;
    for (size_t i = 0; i < s.count(); ++i) {
        EXPECT_EQ(off, s.offsets()[i]);
        off += U32(s.bytes(), off) & 0xFFFFFF;
    }
    EXPECT_EQ(off, s.bytes().size());
}

// The endpoint byte of a URB block packs the transfer type in bits 5-6 as the
// driver writes it: control, isochronous, bulk and interrupt pipes, both
// directions, and the unknown endpoint FFh left as it is.
TEST(RecordBuilder, EndpointByteCarriesTheTransferType) {
    RecordBuilder b;
    DeviceSpec d;
    const uint8_t getStatus[8] = {0x80, 0, 0, 0, 0, 0, 2, 0};
    struct Case {
        const char* what;
        UrbSpec urb;
        uint8_t packed;
    };
    const Case cases[] = {
        {"control", ControlTransfer(getStatus), 0x00},
        {"isochronous in", IsochTransfer(PipeSpec{0x83, 1, 0}, 2, 64), 0xA3},
        {"isochronous out, pipe said bulk", IsochTransfer(PipeSpec{0x04, 1, 0, PIPE_TYPE_BULK}, 2, 64), 0x24},
        {"bulk in", BulkTransfer(PipeSpec{0x81, 1, 0}, 8), 0xC1},
        {"bulk out", BulkTransfer(PipeSpec{0x02, 1, 0}, 8), 0x42},
        {"interrupt in", BulkTransfer(PipeSpec{0x83, 1, 0, PIPE_TYPE_INTERRUPT}, 8), 0xE3},
        {"interrupt out", BulkTransfer(PipeSpec{0x05, 1, 0, PIPE_TYPE_INTERRUPT}, 8), 0x65},
        {"reset of an interrupt pipe", PipeRequest(URB_FN_RESET_PIPE, PipeSpec{0x81, 1, 0, PIPE_TYPE_INTERRUPT}), 0xE1},
        {"unknown endpoint", BulkTransfer(PipeSpec{0xFF, 1, 0, PIPE_TYPE_INTERRUPT}, 8), 0xFF},
    };
    for (const Case& c : cases) {
        const Bytes block = b.UrbBlock(d, c.urb, false);
        ASSERT_GT(block.size(), 35u) << c.what;
        EXPECT_EQ(block[35], c.packed) << c.what;
    }
}
