#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "capture/RecordView.h"
#include "capture/RequestKind.h"
#include "tests/capture/RecordFixtures.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

// A view over a buffer of `capacity` bytes that holds the first bytes of the
// record, as the store copies them: min(capacity, record size).
struct ViewOf {
    ViewOf(const Bytes& rec, size_t capacity) : buffer(capacity ? capacity : 1, 0xEE) {
        copied = static_cast<uint32_t>(capacity < rec.size() ? capacity : rec.size());
        std::memcpy(buffer.data(), rec.data(), copied);
        view.Init(buffer.data(), static_cast<uint32_t>(capacity));
    }
    std::vector<uint8_t> buffer;
    uint32_t copied;
    CRecordView view;
};

} // namespace

TEST(RecordView, InitResetsAndResetNeedsABuffer) {
    uint8_t buf[64];
    CRecordView v;
    v.index = 3;
    v.blockLength = 9;
    v.Reset();  // no buffer bound yet: nothing changes
    EXPECT_EQ(v.index, 3u);
    EXPECT_EQ(v.blockLength, 9u);
    v.Init(buf, sizeof buf);
    EXPECT_EQ(v.buffer, buf);
    EXPECT_EQ(v.bufferSize, 64u);
    EXPECT_EQ(v.index, NO_INDEX);
    EXPECT_EQ(v.companion, NO_INDEX);
    EXPECT_EQ(v.blockLength, 0u);
    EXPECT_EQ(v.copied, 0u);
    v.kind = 5;
    v.dataLength = 4;
    v.dataTruncated = true;
    v.massStorageBytes[0] = 0x28;
    v.massStorageBytes[3] = 6;
    v.Reset();
    EXPECT_EQ(v.kind, 0u);
    EXPECT_EQ(v.dataLength, 0u);
    EXPECT_FALSE(v.dataTruncated);
    EXPECT_EQ(v.massStorageBytes[0], 0);
    EXPECT_EQ(v.massStorageBytes[3], 0);
    EXPECT_EQ(v.buffer, buf);

    // Rebinding to no buffer forgets the old record too: no length survives
    // without its buffer.
    v.urbLength = 20;
    v.Init(nullptr, 100);
    EXPECT_EQ(v.bufferSize, 0u);
    EXPECT_EQ(v.urbLength, 0u);
}

TEST(RecordPairView, InitAndResetBothViewsAndFlags) {
    uint8_t a[32], b[16];
    CRecordPairView p;
    p.companionPresent = 1;
    p.cdbPresent = 1;
    p.Init(a, sizeof a, b, sizeof b);
    EXPECT_EQ(p.record.buffer, a);
    EXPECT_EQ(p.companion.buffer, b);
    EXPECT_EQ(p.companion.bufferSize, 16u);
    EXPECT_EQ(p.companionPresent, 0u);
    EXPECT_EQ(p.cdbPresent, 0u);
    p.record.index = 4;
    p.companion.index = 5;
    p.companionPresent = 1;
    p.cdbPresent = 1;
    p.Reset();
    EXPECT_EQ(p.record.index, NO_INDEX);
    EXPECT_EQ(p.companion.index, NO_INDEX);
    EXPECT_EQ(p.companionPresent, 0u);
    EXPECT_EQ(p.cdbPresent, 0u);
}

TEST(FillRecordView, MarkersHaveATypeAndNoParts) {
    for (uint32_t type : {RECORD_TYPE_START, RECORD_TYPE_OTHER, RECORD_TYPE_DROP}) {
        SCOPED_TRACE(type);
        Bytes rec = MarkerRecord(type, 4, 64);
        RECORD_INDEX_ENTRY e = MarkerEntry(rec);
        // An entry with stray flags and offsets must not give a marker parts.
        e.flags = 0xFFFFFFFF;
        e.kind = KIND_URB_FIRST;
        e.blockOffset = 24;
        e.urbOffset = 28;
        e.dataOffset = 32;
        e.dataLength = 8;
        ViewOf v(rec, 600);
        FillRecordView(v.view, 12, e, v.copied);
        EXPECT_EQ(v.view.index, 12u);
        EXPECT_EQ(v.view.type, type);
        EXPECT_EQ(v.view.size, 64u);
        EXPECT_EQ(v.view.copied, 64u);
        EXPECT_FALSE(v.view.completion);
        EXPECT_FALSE(v.view.hasBlock);
        EXPECT_EQ(v.view.kind, 0u);
        EXPECT_EQ(v.view.companion, NO_INDEX);
        EXPECT_EQ(v.view.blockLength, 0u);
        EXPECT_EQ(v.view.urbLength, 0u);
        EXPECT_EQ(v.view.dataLength, 0u);
        EXPECT_EQ(v.view.direction, DIRECTION_NONE);
    }
}

TEST(FillRecordView, CompletionCarriesItsIssueIndex) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, true, 13, &info);
    ViewOf v(rec, 600);
    FillRecordView(v.view, 8, UrbEntry(rec, info, true, 5), v.copied);
    EXPECT_TRUE(v.view.completion);
    EXPECT_EQ(v.view.companion, 5u);
    EXPECT_EQ(v.view.kind, KIND_URB_FIRST + 0x09u);
    EXPECT_EQ(v.view.direction, DIRECTION_IN);
    ASSERT_EQ(v.view.blockLength, rec.size() - info.blockOffset);
    EXPECT_EQ(v.view.block, v.buffer.data() + info.blockOffset);
    ASSERT_EQ(v.view.urbLength, rec.size() - info.urbOffset);
    EXPECT_EQ(v.view.urb[2], 0x09);
    ASSERT_EQ(v.view.dataLength, 13u);
    EXPECT_EQ(v.view.data, v.buffer.data() + info.dataOffset);
    EXPECT_EQ(v.view.data[0], 0x10);
    EXPECT_EQ(v.view.data[12], 0x1C);
}

TEST(FillRecordView, DataIsClippedToTheCopiedBytes) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, true, 100, &info);
    ViewOf v(rec, info.dataOffset + 30);
    FillRecordView(v.view, 1, UrbEntry(rec, info, true), v.copied);
    EXPECT_EQ(v.view.size, rec.size());
    EXPECT_EQ(v.view.copied, info.dataOffset + 30);
    EXPECT_EQ(v.view.dataLength, 30u);
}

// The truncation flag says the record holds more transfer bytes than the view
// shows: set exactly when the copy ends before the data does.
TEST(FillRecordView, DataTruncationFlagFollowsTheCopy) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, true, 9, &info);
    const RECORD_INDEX_ENTRY e = UrbEntry(rec, info, true);
    struct Row {
        uint32_t capacity;
        uint32_t length;
        bool truncated;
    };
    const Row rows[] = {
        {info.dataOffset + 9, 9, false},  // every byte
        {600, 9, false},                  // a larger buffer
        {info.dataOffset + 8, 8, true},   // one byte short: eight shown, more held
        {info.dataOffset + 1, 1, true},
        {info.dataOffset, 0, true},       // none of the bytes copied
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.capacity);
        ViewOf v(rec, r.capacity);
        FillRecordView(v.view, 1, e, v.copied);
        EXPECT_EQ(v.view.dataLength, r.length);
        EXPECT_EQ(v.view.dataTruncated, r.truncated);
    }
    // A record without transfer bytes is never truncated.
    UrbRecordInfo none;
    Bytes empty = UrbRecord(l, true, 0, &none);
    ViewOf w(empty, none.dataOffset);
    FillRecordView(w.view, 1, UrbEntry(empty, none, true), w.copied);
    EXPECT_FALSE(w.view.dataTruncated);
    // A view filled again forgets the flag of its last record.
    ViewOf x(rec, info.dataOffset + 2);
    FillRecordView(x.view, 1, e, x.copied);
    ASSERT_TRUE(x.view.dataTruncated);
    FillRecordView(x.view, 2, UrbEntry(empty, none, true), none.dataOffset);
    EXPECT_FALSE(x.view.dataTruncated);
}

TEST(FillRecordView, BufferEndingInsideTheUrbHeaderGivesNoUrb) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, false, 0, &info);
    ViewOf v(rec, info.urbOffset + 15);
    FillRecordView(v.view, 1, UrbEntry(rec, info, false), v.copied);
    EXPECT_EQ(v.view.blockLength, info.urbOffset + 15 - info.blockOffset);
    EXPECT_EQ(v.view.urbLength, 0u);
    EXPECT_EQ(v.view.direction, DIRECTION_NONE);  // the walk stopped before step 5

    ViewOf w(rec, info.urbOffset + 16);
    FillRecordView(w.view, 1, UrbEntry(rec, info, false), w.copied);
    EXPECT_EQ(w.view.urbLength, 16u);
    EXPECT_EQ(w.view.direction, DIRECTION_IN);
}

TEST(FillRecordView, MassStorageBytesAndOutDirection) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, false, 31, &info);
    RECORD_INDEX_ENTRY e = UrbEntry(rec, info, false);
    SetEntryIn(e, false);
    SetEntryOut(e, true);
    SetEntryCommandWrapper(e, true);
    e.opcode = 0x28;
    e.serviceAction = 0;
    e.deviceKind = 1;
    e.spcVersion = 4;
    ViewOf v(rec, 600);
    FillRecordView(v.view, 1, e, v.copied);
    EXPECT_EQ(v.view.direction, DIRECTION_OUT);
    EXPECT_TRUE(v.view.commandWrapper);
    EXPECT_FALSE(v.view.massStorage);
    EXPECT_EQ(v.view.massStorageBytes[0], 0);  // not copied without the flag

    SetEntryMassStorage(e, true);
    FillRecordView(v.view, 1, e, v.copied);
    EXPECT_TRUE(v.view.massStorage);
    const uint8_t want[4] = {0x28, 0, 1, 4};
    EXPECT_EQ(std::memcmp(v.view.massStorageBytes, want, 4), 0);
}

TEST(FillRecordView, AnEntryWithoutUrbGivesNoUrb) {
    // The store leaves the URB offset 0 when the URB did not fit; the record's
    // start must not be taken for a URB.
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, true, 8, &info);
    RECORD_INDEX_ENTRY e = UrbEntry(rec, info, true);
    e.urbOffset = 0;
    ViewOf v(rec, 600);
    FillRecordView(v.view, 1, e, v.copied);
    EXPECT_GT(v.view.blockLength, 0u);
    EXPECT_EQ(v.view.urbLength, 0u);
    EXPECT_EQ(v.view.dataLength, 0u);
}

TEST(FillRecordView, NonUrbKindsStopAfterTheBlock) {
    RECORD_LAYOUT l = DriverLayout();
    RequestSpec s;
    s.flags = REQ_FLAG_PARAM_BLOCK;
    s.kind = KIND_UMIO_FIRST;
    s.tail = 40;
    Bytes rec = RequestRecord(l, s);
    RECORD_INDEX_ENTRY e = MarkerEntry(rec);
    e.kind = KIND_UMIO_FIRST;
    e.blockOffset = 56;
    SetEntryBlock(e, true);
    e.urbOffset = 60;
    ViewOf v(rec, 600);
    FillRecordView(v.view, 1, e, v.copied);
    EXPECT_EQ(v.view.block, v.buffer.data() + 56);
    EXPECT_EQ(v.view.blockLength, 40u);
    EXPECT_EQ(v.view.urbLength, 0u);
}

TEST(FillRecordView, CopiedCountIsHeldToBufferAndRecordSize) {
    RECORD_LAYOUT l = DriverLayout();
    UrbRecordInfo info;
    Bytes rec = UrbRecord(l, true, 50, &info);
    RECORD_INDEX_ENTRY e = UrbEntry(rec, info, true);
    ViewOf v(rec, info.dataOffset + 10);
    // A caller that claims more than the buffer holds.
    FillRecordView(v.view, 1, e, 0xFFFFFFFF);
    EXPECT_EQ(v.view.copied, info.dataOffset + 10);
    EXPECT_EQ(v.view.dataLength, 10u);
    // An entry whose record size is smaller than what was copied.
    ViewOf w(rec, 600);
    e.firstDword = (info.dataOffset + 4) | (RECORD_TYPE_REQUEST << 24);
    FillRecordView(w.view, 1, e, w.copied);
    EXPECT_EQ(w.view.copied, info.dataOffset + 4);
    EXPECT_EQ(w.view.dataLength, 4u);
}
