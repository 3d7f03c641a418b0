// Truncated and garbage records through every accessor and the view filling.
// Each record sits in a heap block of exactly its size, so a read past it is a
// sanitizer failure in the native run.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/capture/RecordFixtures.h"
#include "tests/capture/RecordProbe.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

struct Expect {
    bool request, irp, stack;
    uint32_t block, viewBlock, viewUrb, viewData;
};

struct Case {
    const char* name;
    Bytes bytes;
    RECORD_LAYOUT layout;
    RECORD_INDEX_ENTRY entry;
    uint32_t capacity;  // view buffer
    Expect want;
};

Bytes Prefix(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); }

RECORD_INDEX_ENTRY GarbageEntry(uint32_t firstDword, uint16_t offsets, uint32_t dataLength) {
    RECORD_INDEX_ENTRY e;
    std::memset(&e, 0xFF, sizeof e);
    e.firstDword = firstDword;
    e.blockOffset = e.urbOffset = e.dataOffset = offsets;
    e.dataLength = dataLength;
    e.kind = KIND_URB_FIRST + 0x09;
    return e;
}

std::vector<Case> Cases() {
    const RECORD_LAYOUT d = DriverLayout();
    UrbRecordInfo u;
    const Bytes urb = UrbRecord(d, true, 13, &u);  // block 168, URB 216, data 288, 301 bytes
    const RECORD_INDEX_ENTRY ue = UrbEntry(urb, u, true, 1);
    RequestSpec pnp;
    pnp.flags = REQ_FLAG_IRP_BLOCK;
    pnp.kind = KIND_PNP_FIRST + 0x13;
    const Bytes irp = RequestRecord(d, pnp);  // long IRP block at 56, 204 bytes
    const RECORD_INDEX_ENTRY ie = MarkerEntry(irp);

    Bytes ff(300, 0xFF);
    Bytes ffRequest = ff;
    Put32(ffRequest, 0, 0x01FFFFFF);
    Bytes zeroSize = ff;
    Put32(zeroSize, 0, 0x01000000);

    RECORD_LAYOUT wild{};  // a layout no builder makes: every offset near 2^32
    std::memset(&wild, 0xFF, sizeof wild);
    wild.requestOffset = 0xFFFFFFF0;
    wild.requestSize = 32;
    RECORD_LAYOUT zero{};

    const Expect none = {false, false, false, 0, 0, 0, 0};
    return {
        {"no bytes", {}, d, ue, 600, none},
        {"three bytes", Prefix(urb, 3), d, ue, 600, none},
        {"ends before the request part", Prefix(urb, 55), d, ue, 600, none},
        {"request part only", Prefix(urb, 56), d, ue, 600, {true, false, false, 0, 0, 0, 0}},
        {"ends inside the short IRP", Prefix(urb, 167), d, ue, 600, {true, false, false, 0, 0, 0, 0}},
        {"ends after the short IRP", Prefix(urb, 168), d, ue, 600, {true, true, false, 0, 0, 0, 0}},
        {"3 bytes of the block", Prefix(urb, 171), d, ue, 600, {true, true, false, 0, 0, 0, 0}},
        {"4 bytes of the block", Prefix(urb, 172), d, ue, 600, {true, true, false, 4, 4, 0, 0}},
        {"ends inside the URB header", Prefix(urb, 231), d, ue, 600, {true, true, false, 63, 63, 0, 0}},
        {"URB header whole", Prefix(urb, 232), d, ue, 600, {true, true, false, 64, 64, 16, 0}},
        {"ends where the data starts", Prefix(urb, 288), d, ue, 600, {true, true, false, 120, 120, 72, 0}},
        {"one byte of data", Prefix(urb, 289), d, ue, 600, {true, true, false, 121, 121, 73, 1}},
        {"whole URB record", urb, d, ue, 600, {true, true, false, 133, 133, 85, 13}},
        {"view buffer smaller than the record", urb, d, ue, 290, {true, true, false, 133, 122, 74, 2}},
        {"view buffer of 0 bytes", urb, d, ue, 0, {true, true, false, 133, 0, 0, 0}},
        {"long IRP block cut", Prefix(irp, 203), d, ie, 600, {true, false, false, 0, 0, 0, 0}},
        {"long IRP block whole", irp, d, ie, 600, {true, true, true, 0, 0, 0, 0}},
        {"size field 0", zeroSize, d, MarkerEntry(zeroSize), 600, none},
        {"all FFh (type 255)", ff, d, GarbageEntry(0xFFFFFFFF, 0xFFFF, 0xFFFFFFFF), 600, none},
        {"all FFh as a request", ffRequest, d, GarbageEntry(0x01FFFFFF, 0xFFFF, 0xFFFFFFFF), 600,
         {true, true, false, 132, 0, 0, 0}},
        {"entry offsets past the copy", urb, d, GarbageEntry(ue.firstDword, 0xFFFF, 0xFFFFFFFF), 600,
         {true, true, false, 133, 0, 0, 0}},
        {"entry offsets at the last byte", urb, d, GarbageEntry(ue.firstDword, 297, 0xFFFFFFFF), 600,
         {true, true, false, 133, 4, 0, 0}},
        {"entry data length past the copy", urb, d, GarbageEntry(ue.firstDword, 200, 0x0FFFFFFF), 600,
         {true, true, false, 133, 101, 101, 101}},
        {"entry claims a huge record", urb, d, GarbageEntry(0x01FFFFFF, 168, 0xFFFFFFFF), 301,
         {true, true, false, 133, 133, 133, 133}},
        {"layout near 2^32", urb, wild, ue, 600, {false, false, false, 0, 133, 85, 13}},
        {"zeroed layout", urb, zero, ue, 600, {false, false, false, 0, 133, 85, 13}},
    };
}

} // namespace

TEST(TruncatedRecords, EveryAccessorAndTheViewStayInside) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        size_t n = c.bytes.size();
        std::unique_ptr<uint8_t[]> exact(new uint8_t[n ? n : 1]);
        if (n) std::memcpy(exact.get(), c.bytes.data(), n);
        ProbeResult r = ProbeRecord(n ? exact.get() : nullptr, n, c.layout, c.entry, c.capacity);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.request, c.want.request);
        EXPECT_EQ(r.irp, c.want.irp);
        EXPECT_EQ(r.stack, c.want.stack);
        EXPECT_EQ(r.block, c.want.block);
        EXPECT_EQ(r.viewBlock, c.want.viewBlock);
        EXPECT_EQ(r.viewUrb, c.want.viewUrb);
        EXPECT_EQ(r.viewData, c.want.viewData);
    }
}
