#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "tests/capture/RecordFixtures.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

// The record in a heap block of exactly its size, so that the sanitizer sees
// any read past it.
struct ExactCopy {
    explicit ExactCopy(const Bytes& b, size_t n) : size(n), bytes(new uint8_t[n ? n : 1]) {
        if (n) std::memcpy(bytes.get(), b.data(), n);
    }
    explicit ExactCopy(const Bytes& b) : ExactCopy(b, b.size()) {}
    const uint8_t* data() const { return bytes.get(); }
    size_t size;
    std::unique_ptr<uint8_t[]> bytes;
};

DRIVER_INFO InfoWith(std::initializer_list<std::pair<uint32_t, uint32_t>> dwords) {
    DRIVER_INFO info = MakeEmptyDriverInfo();
    for (auto [at, v] : dwords)
        for (int i = 0; i < 4; ++i) info.bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return info;
}

// Driver information describing the default layout, with the request part at 24.
DRIVER_INFO DriverInfo24() {
    return InfoWith({{64, 0}, {72, 4}, {76, 24}, {80, 32}, {84, 148}, {88, 112}, {92, 12}, {96, 8},
                     {100, 16}, {108, 16}, {116, 16}});
}

} // namespace

TEST(RecordAccessors, ReadHeaderAndRequestFields) {
    RECORD_LAYOUT l = DriverLayout();
    RequestSpec s;
    s.sequence = 77;
    s.flags = REQ_FLAG_COMPLETION;
    s.kind = KIND_PNP_FIRST + 7;
    s.issueSequence = 76;
    s.status = 0xC0000001;
    Bytes b = RequestRecord(l, s);
    Put64(b, 16, static_cast<uint64_t>(-5));
    ExactCopy r(b);
    EXPECT_EQ(GetRecordSize(r.data(), r.size), 56u);
    EXPECT_EQ(GetRecordType(r.data(), r.size), RECORD_TYPE_REQUEST);
    EXPECT_EQ(GetRecordSequence(r.data(), r.size), 77u);
    EXPECT_EQ(GetRecordSystemTime(r.data(), r.size), 0x01D0000000000000ull);
    EXPECT_EQ(GetRecordCounter(r.data(), r.size), -5);
    EXPECT_EQ(GetRecordRequest(r.data(), r.size, l), r.data() + 24);
    EXPECT_EQ(GetRequestKind(r.data(), r.size, l), KIND_PNP_FIRST + 7);
    EXPECT_EQ(GetRequestStatus(r.data(), r.size, l), 0xC0000001u);
    EXPECT_EQ(GetRequestIssueSequence(r.data(), r.size, l), 76u);
    EXPECT_EQ(GetRequestDeviceObject(r.data(), r.size, l), 0x81000010u);
    EXPECT_EQ(GetRequestDeviceKey(r.data(), r.size, l), 0x81000020u);
    EXPECT_EQ(GetRequestDriverKey(r.data(), r.size, l), 0x8100003481000030ull);
    EXPECT_EQ(GetRequestIrp(r.data(), r.size, l), 0x81000040u);
    EXPECT_TRUE(IsCompletionRequest(r.data(), r.size, l));
    EXPECT_FALSE(HasIrpInfo(r.data(), r.size, l));
    EXPECT_FALSE(HasParameterBlock(r.data(), r.size, l));
    EXPECT_EQ(GetIrpBlock(r.data(), r.size, l), nullptr);
    EXPECT_EQ(GetCurrentStackLocation(r.data(), r.size, l), nullptr);
}

TEST(RecordAccessors, ParameterBlockFollowsTheIrpBlockOfEachForm) {
    struct Case {
        RECORD_LAYOUT layout;
        uint16_t irpFlags;
        uint32_t blockOffset;
        bool stackLocation;
    };
    const Case cases[] = {
        {kDefaultRecordLayout, 0, 48, false},
        {kDefaultRecordLayout, REQ_FLAG_IRP_BLOCK | REQ_FLAG_SHORT_IRP, 160, false},
        {kDefaultRecordLayout, REQ_FLAG_IRP_BLOCK, 196, true},
        {DriverLayout(), 0, 56, false},
        {DriverLayout(), REQ_FLAG_IRP_BLOCK | REQ_FLAG_SHORT_IRP, 168, false},
        {DriverLayout(), REQ_FLAG_IRP_BLOCK, 204, true},
        // The short-form flag alone has no IRP block to skip.
        {DriverLayout(), REQ_FLAG_SHORT_IRP, 56, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "irp flags " << c.irpFlags << ", request at " << c.layout.requestOffset);
        RequestSpec s;
        s.flags = c.irpFlags | REQ_FLAG_PARAM_BLOCK;
        s.kind = KIND_KMIO_FIRST;
        s.tail = 20;
        ExactCopy r(RequestRecord(c.layout, s));
        EXPECT_EQ(GetParameterBlockOffset(r.data(), r.size, c.layout), c.blockOffset);
        EXPECT_TRUE(HasParameterBlock(r.data(), r.size, c.layout));
        uint32_t length = 0;
        EXPECT_EQ(GetParameterBlock(r.data(), r.size, c.layout, &length), r.data() + c.blockOffset);
        EXPECT_EQ(length, 20u);
        const uint8_t* irp = GetIrpBlock(r.data(), r.size, c.layout);
        if (c.irpFlags & REQ_FLAG_IRP_BLOCK) {
            ASSERT_EQ(irp, r.data() + c.layout.irpBlockOffset);
            EXPECT_EQ(irp[34], 5);
            EXPECT_EQ(irp[35], 4);
        } else {
            EXPECT_EQ(irp, nullptr);
        }
        const uint8_t* stack = GetCurrentStackLocation(r.data(), r.size, c.layout);
        if (c.stackLocation) {
            ASSERT_EQ(stack, irp + IRP_SIZE);
            EXPECT_EQ(stack[0], 0x1B);
        } else {
            EXPECT_EQ(stack, nullptr);
        }
    }
}

TEST(RecordAccessors, ParameterBlockNeedsItsFlagFourBytesAndAnOffsetBelowFFFF) {
    RECORD_LAYOUT l = DriverLayout();
    RequestSpec s;
    s.flags = REQ_FLAG_PARAM_BLOCK;
    s.tail = 4;
    Bytes b = RequestRecord(l, s);
    EXPECT_TRUE(HasParameterBlock(b.data(), b.size(), l));
    EXPECT_FALSE(HasParameterBlock(b.data(), b.size() - 1, l));  // only 3 bytes of the block

    s.flags = 0;
    Bytes noFlag = RequestRecord(l, s);
    EXPECT_FALSE(HasParameterBlock(noFlag.data(), noFlag.size(), l));
    EXPECT_EQ(GetParameterBlock(noFlag.data(), noFlag.size(), l), nullptr);

    // A layout whose IRP block starts at FFFFh: the block's offset cannot be
    // held in an index entry, even though the record holds its bytes.
    RECORD_LAYOUT far = l;
    far.irpBlockOffset = 0xFFFF;
    s.flags = REQ_FLAG_PARAM_BLOCK;
    s.tail = 16;
    Bytes big = RequestRecord(far, s);
    EXPECT_EQ(GetParameterBlockOffset(big.data(), big.size(), far), 0xFFFFu);
    EXPECT_FALSE(HasParameterBlock(big.data(), big.size(), far));
    far.irpBlockOffset = 0xFFFE;
    EXPECT_TRUE(HasParameterBlock(big.data(), big.size(), far));
}

TEST(RecordAccessors, PartsPastTheSizeFieldAreAbsent) {
    // A record followed by other bytes (the next record of a stream): nothing
    // beyond its own size field belongs to it.
    RECORD_LAYOUT l = DriverLayout();
    RequestSpec s;
    s.flags = REQ_FLAG_IRP_BLOCK | REQ_FLAG_PARAM_BLOCK;
    s.tail = 8;
    Bytes b = RequestRecord(l, s);
    uint32_t claimed = 56 + 100;  // inside the IRP block
    Put32(b, 0, claimed | (RECORD_TYPE_REQUEST << 24));
    EXPECT_EQ(GetRecordExtent(b.data(), b.size()), claimed);
    EXPECT_NE(GetRecordRequest(b.data(), b.size(), l), nullptr);
    EXPECT_EQ(GetIrpBlock(b.data(), b.size(), l), nullptr);
    EXPECT_FALSE(HasParameterBlock(b.data(), b.size(), l));
}

TEST(RecordAccessors, OnlyTypeOneRecordsHaveARequestPart) {
    RECORD_LAYOUT l = DriverLayout();
    for (uint32_t type : {0u, 2u, 3u, 4u, 5u, 255u}) {
        Bytes b = MarkerRecord(type, 9, 120);
        Put16(b, 24 + REQ_FLAGS, 0xFFFF);
        EXPECT_EQ(GetRecordType(b.data(), b.size()), type);
        EXPECT_EQ(GetRecordRequest(b.data(), b.size(), l), nullptr);
        EXPECT_EQ(GetRequestFlags(b.data(), b.size(), l), 0u);
        EXPECT_FALSE(IsCompletionRequest(b.data(), b.size(), l));
        EXPECT_EQ(GetParameterBlockOffset(b.data(), b.size(), l), 0u);
    }
}

TEST(RecordAccessors, StackLocationMustFitTheLayoutsLongBlock) {
    RECORD_LAYOUT l = DriverLayout();
    RequestSpec s;
    s.flags = REQ_FLAG_IRP_BLOCK;
    s.tail = 64;
    Bytes b = RequestRecord(l, s);
    ASSERT_NE(GetCurrentStackLocation(b.data(), b.size(), l), nullptr);
    RECORD_LAYOUT small = l;
    small.irpBlockSize = IRP_SIZE + STACK_LOCATION_SIZE - 1;
    EXPECT_NE(GetIrpBlock(b.data(), b.size(), small), nullptr);
    EXPECT_EQ(GetCurrentStackLocation(b.data(), b.size(), small), nullptr);
    // An IRP block sized below the IRP itself still needs the whole IRP.
    small.irpBlockSize = 8;
    EXPECT_EQ(GetIrpBlock(b.data(), 56 + IRP_SIZE - 1, small), nullptr);
    EXPECT_NE(GetIrpBlock(b.data(), b.size(), small), nullptr);
}

TEST(DataReference, SplitsLengthFlagAndOffset) {
    Bytes block(48, 0);
    Put32(block, 36, 0xF0000014);  // flag, bits 28-30 set, length 20
    Put16(block, 40, 30);
    DATA_REFERENCE ref;
    ASSERT_TRUE(ReadDataReference(block.data(), block.size(), 36, ref));
    EXPECT_EQ(GetDataRefLength(ref), 20u);
    EXPECT_TRUE(IsDataRefFlagSet(ref));
    EXPECT_EQ(GetDataRefOffset(ref), 30u);
    uint32_t n = 0;
    EXPECT_EQ(GetDataRefBytes(block.data(), block.size(), ref, &n), block.data() + 30);
    EXPECT_EQ(n, 18u);  // clipped to the 48 - 30 bytes the block holds
    Put16(block, 40, 48);  // starts at the end
    ASSERT_TRUE(ReadDataReference(block.data(), block.size(), 36, ref));
    EXPECT_EQ(GetDataRefBytes(block.data(), block.size(), ref, &n), nullptr);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(ReadDataReference(block.data(), 41, 36, ref));  // a byte of the offset missing
    EXPECT_EQ(ref.lengthAndFlag, 0u);
    EXPECT_FALSE(ReadDataReference(block.data(), block.size(), 0xFFFFFFFE, ref));
}

TEST(RecordLayout, BuildsFromTheDriverInformation) {
    DRIVER_INFO info = InfoWith({{64, 0xA}, {68, 0xDEAD}, {72, 0xB}, {76, 24}, {80, 32}, {84, 150}, {88, 114},
                                 {92, 13}, {96, 9}, {100, 17}, {104, 0xDEAD}, {108, 18}, {112, 0xDEAD}, {116, 19}});
    RECORD_LAYOUT l{};
    ASSERT_TRUE(BuildRecordLayout(info, l));
    const RECORD_LAYOUT want = {1, 0xA, 0xB, 24, 32, 56, 150, 114, 13, 9, 17, 18, 19};
    EXPECT_EQ(std::memcmp(&l, &want, sizeof l), 0);
}

// Field by field against the Default column of the layout table, the numbers
// written out here rather than taken from the code's constants.
TEST(RecordLayout, DefaultLayoutMatchesItsTable) {
    const RECORD_LAYOUT& d = kDefaultRecordLayout;
    EXPECT_EQ(d.valid, 1u);
    EXPECT_EQ(d.headerA, 0u);
    EXPECT_EQ(d.headerB, 4u);
    EXPECT_EQ(d.requestOffset, 16u);
    EXPECT_EQ(d.requestSize, 32u);
    EXPECT_EQ(d.irpBlockOffset, 48u);
    EXPECT_EQ(d.irpBlockSize, 148u);
    EXPECT_EQ(d.shortIrpBlockSize, 112u);
    EXPECT_EQ(d.ioctlHeaderSize, 12u);
    EXPECT_EQ(d.notifyHeaderSize, 8u);
    EXPECT_EQ(d.deviceListHeaderSize, 16u);
    EXPECT_EQ(d.driverListHeaderSize, 16u);
    EXPECT_EQ(d.hidBlockHeaderSize, 16u);
    // The same thirteen DWORDs as the table lists them, in memory order.
    const uint32_t table[13] = {1, 0, 4, 16, 32, 48, 148, 112, 12, 8, 16, 16, 16};
    EXPECT_EQ(std::memcmp(&d, table, sizeof table), 0);
}

TEST(RecordLayout, ImpossibleInformationGivesTheDefaultLayout) {
    struct Case {
        const char* name;
        uint32_t at, value;
        bool accepted;
    };
    const Case cases[] = {
        {"request inside the header", 76, 15, false},
        {"request at the end of the header", 76, 16, true},
        {"request at FFFFh", 76, 0xFFFF, true},
        {"request past FFFFh", 76, 0x10000, false},
        {"request part of 31 bytes", 80, 31, false},
        {"request part of 0 bytes", 80, 0, false},
        {"long IRP block of 0", 84, 0, false},
        {"short IRP block of 0", 88, 0, false},
        {"IOCTL header of 0", 92, 0, false},
        {"notification header of 0", 96, 0, false},
        {"device-list header of 0", 100, 0, false},
        {"driver-list header of 0", 108, 0, false},
        {"HID block header of 0", 116, 0, false},
        {"request size wraps the IRP-block offset", 80, 0xFFFFFFF0, false},
        {"long IRP block wraps", 84, 0xFFFFFFC9, false},
        // No record is larger than its 24-bit size field: parts that end past
        // FFFFFFh would hide every record.
        {"request part of FFFFFFh bytes", 80, 0xFFFFFF, false},
        {"long IRP block ends at FFFFFFh", 84, 0xFFFFFF - 56, true},
        {"long IRP block ends past FFFFFFh", 84, 0xFFFFFF - 55, false},
        {"long IRP block of FFFF0000h", 84, 0xFFFF0000, false},
        {"short IRP block of FFFF0000h", 88, 0xFFFF0000, false},
        {"short IRP block wraps", 88, 0xFFFFFFFF, false},
        {"IOCTL header past FFFFFFh", 92, 0xFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DRIVER_INFO info = DriverInfo24();
        for (int i = 0; i < 4; ++i) info.bytes[c.at + i] = static_cast<uint8_t>(c.value >> (8 * i));
        RECORD_LAYOUT l{};
        std::memset(&l, 0xCC, sizeof l);
        EXPECT_EQ(BuildRecordLayout(info, l), c.accepted);
        EXPECT_EQ(l.valid, 1u);
        if (c.accepted) {
            EXPECT_EQ(l.irpBlockOffset, l.requestOffset + l.requestSize);
        } else {
            EXPECT_EQ(std::memcmp(&l, &kDefaultRecordLayout, sizeof l), 0);
        }
    }
    // An empty description record (files without one) is refused as well.
    RECORD_LAYOUT l{};
    EXPECT_FALSE(BuildRecordLayout(MakeEmptyDriverInfo(), l));
    EXPECT_EQ(std::memcmp(&l, &kDefaultRecordLayout, sizeof l), 0);
}

TEST(RecordLayout, RequestAt24PutsTheIrpBlockAt56) {
    RECORD_LAYOUT l{};
    ASSERT_TRUE(BuildRecordLayout(DriverInfo24(), l));
    EXPECT_EQ(l.irpBlockOffset, 56u);
}

TEST(IndexEntry, FlagSettersTouchOnlyTheirBit) {
    struct Flag {
        uint32_t bit;
        void (*set)(RECORD_INDEX_ENTRY&, bool);
        bool (*get)(const RECORD_INDEX_ENTRY&);
    };
    const Flag flags[] = {
        {INDEX_FLAG_COMPLETION, SetEntryCompletion, IsEntryCompletion},
        {INDEX_FLAG_BLOCK, SetEntryBlock, EntryHasBlock},
        {INDEX_FLAG_IN, SetEntryIn, IsEntryIn},
        {INDEX_FLAG_OUT, SetEntryOut, IsEntryOut},
        {INDEX_FLAG_DATA_REF, SetEntryDataRefFlag, IsEntryDataRefFlagSet},
        {INDEX_FLAG_MSC, SetEntryMassStorage, IsEntryMassStorage},
        {INDEX_FLAG_CBW, SetEntryCommandWrapper, IsEntryCommandWrapper},
        {INDEX_FLAG_CSW, SetEntryStatusWrapper, IsEntryStatusWrapper},
    };
    for (const Flag& f : flags) {
        SCOPED_TRACE(f.bit);
        RECORD_INDEX_ENTRY e{};
        f.set(e, true);
        EXPECT_EQ(GetEntryFlags(e), f.bit);
        EXPECT_TRUE(f.get(e));
        e.flags = 0xFFFFFFFF;
        f.set(e, false);
        EXPECT_EQ(GetEntryFlags(e), ~f.bit);
        EXPECT_FALSE(f.get(e));
        for (const Flag& other : flags) {
            if (other.bit != f.bit) {
                EXPECT_TRUE(other.get(e));
            }
        }
    }
}

TEST(IndexEntry, FieldGetters) {
    RECORD_INDEX_ENTRY e{};
    e.position = 1000;
    e.firstDword = 0x04123456;
    e.companion = 7;
    e.commandWrapper = 5;
    e.kind = 349;
    e.blockOffset = 168;
    e.urbOffset = 216;
    e.dataOffset = 288;
    e.dataLength = 13;
    e.opcode = 0x28;
    e.serviceAction = 0x10;
    e.deviceKind = 3;
    e.spcVersion = 5;
    EXPECT_EQ(GetEntryPosition(e), 1000u);
    EXPECT_EQ(GetEntryFirstDword(e), 0x04123456u);
    EXPECT_EQ(GetEntryRecordType(e), 4u);
    EXPECT_EQ(GetEntryRecordSize(e), 0x123456u);
    EXPECT_EQ(GetEntryCompanion(e), 7u);
    EXPECT_EQ(GetEntryCommandWrapper(e), 5u);
    EXPECT_EQ(GetEntryKind(e), 349);
    EXPECT_EQ(GetEntryBlockOffset(e), 168);
    EXPECT_EQ(GetEntryUrbOffset(e), 216);
    EXPECT_EQ(GetEntryDataOffset(e), 288);
    EXPECT_EQ(GetEntryDataLength(e), 13u);
    EXPECT_EQ(GetEntryOpcode(e), 0x28);
    EXPECT_EQ(GetEntryServiceAction(e), 0x10);
    EXPECT_EQ(GetEntryDeviceKind(e), 3);
    EXPECT_EQ(GetEntrySpcVersion(e), 5);
}
