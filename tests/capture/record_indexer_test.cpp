// The store's indexing core: entries per record kind and URB function, the
// issue/completion links, the Bulk-Only tie and the notification block walk.
// Fixtures come from the record builder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/ByteReader.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"

using namespace brx;

namespace {

constexpr uint32_t kBlock = 56 + 148;   // parameter block after a long IRP block

struct Fixture {
    RecordBuilder b;
    RecordStream s;
    CRecordIndexer indexer{1024};
    CVectorRecordIndex index;

    CommitResult Commit(uint32_t base = 0) {
        return indexer.Commit(s.bytes().data(), static_cast<uint32_t>(s.bytes().size()), base, b.layout(), index);
    }
    const RECORD_INDEX_ENTRY& E(size_t i) const { return index.entries().at(i); }
};

DeviceSpec Dev(uint32_t key = 0x81112200) {
    DeviceSpec d;
    d.deviceKey = key;
    d.deviceObject = key + 0x20;
    return d;
}

// A single record committed on its own.
RECORD_INDEX_ENTRY IndexOne(const Bytes& r, const RECORD_LAYOUT& layout = kDriverRecordLayout) {
    PendingCommandMap pending;
    DeviceKindMap kinds;
    RECORD_INDEX_ENTRY e{};
    EXPECT_TRUE(BuildIndexEntry(0, r.data(), r.size(), layout, pending, kinds, e));
    return e;
}

void PutLe32(Bytes& b, size_t off, uint32_t v) { PutU32(b, off, v); }

} // namespace

TEST(RecordIndexer, MarkersAndOtherTypes) {
    Fixture f;
    f.s.Add(f.b.StartMarker());
    f.s.Add(f.b.RawRecord(3, {}));
    f.s.Add(f.b.RawRecord(7, Bytes(8, 0)));   // walked over, not indexed
    f.s.Add(f.b.DropMarker());
    CommitResult r = f.Commit(1000);
    EXPECT_EQ(r.status, CommitStatus::Ok);
    EXPECT_EQ(r.consumed, f.s.bytes().size());
    ASSERT_EQ(f.index.GetCount(), 3u);
    EXPECT_EQ(f.E(0).firstDword, 24u | (2u << 24));
    EXPECT_EQ(f.E(0).position, 1000u);
    EXPECT_EQ(f.E(1).firstDword >> 24, 3u);
    EXPECT_EQ(f.E(2).firstDword >> 24, 4u);
    EXPECT_EQ(f.E(2).position, 1000u + 24 + 24 + 32);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(f.E(i).companion, NO_INDEX);
        EXPECT_EQ(f.E(i).commandWrapper, NO_INDEX);
        EXPECT_EQ(f.E(i).flags, 0u);
    }
}

TEST(RecordIndexer, IssueAndCompletionLinkBothWays) {
    Fixture f;
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    Issued create = f.b.Last();
    f.s.Add(f.b.Pnp(Dev(), 7, 0x8A000200, IrpForm::Short));
    Issued pnp = f.b.Last();
    f.s.Add(f.b.Complete(Dev(), 47, pnp, 0));
    f.s.Add(f.b.Complete(Dev(), 1, create, 0xC0000022));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 4u);
    EXPECT_EQ(f.E(0).companion, 3u);
    EXPECT_EQ(f.E(3).companion, 0u);
    EXPECT_EQ(f.E(1).companion, 2u);
    EXPECT_EQ(f.E(2).companion, 1u);
    EXPECT_EQ(f.E(2).flags, INDEX_FLAG_COMPLETION);
    EXPECT_EQ(f.E(1).kind, 47);
    EXPECT_EQ(f.E(3).kind, 1);
}

TEST(RecordIndexer, CompletionBeforeItsIssueKeepsNoCompanion) {
    Fixture f;
    f.b.SetSequence(10);
    // The completion names sequence 11, which only the next record gets.
    f.s.Add(f.b.Complete(Dev(), 1, Issued{11, 0x8A000100}, 0));
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    // A completion naming a sequence number never stored.
    f.s.Add(f.b.Complete(Dev(), 2, Issued{999, 0x8A000300}, 0));
    // A completion naming itself.
    f.s.Add(f.b.Complete(Dev(), 2, Issued{13, 0x8A000400}, 0));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(f.E(i).companion, NO_INDEX) << i;
}

TEST(RecordIndexer, RepeatedSequenceNumberTakesTheSlotOver) {
    Fixture f;
    f.b.SetSequence(5);
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    f.b.SetSequence(5);
    f.s.Add(f.b.Create(Dev(), 0x8A000200));
    f.s.Add(f.b.Complete(Dev(), 1, Issued{5, 0x8A000200}, 0));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    EXPECT_EQ(f.E(0).companion, NO_INDEX);
    EXPECT_EQ(f.E(1).companion, 2u);
    EXPECT_EQ(f.E(2).companion, 1u);
    uint32_t slot = NO_INDEX;
    ASSERT_TRUE(f.indexer.sequences().Find(5, slot));
    EXPECT_EQ(slot, 1u);
}

TEST(RecordIndexer, CompletionNamingItsOwnTakenOverNumberGetsNoCompanion) {
    Fixture f;
    f.b.SetSequence(7);
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    // The completion carries number 7 itself and names 7 as its issue: its
    // own number has taken the slot over, so the earlier issue is not linked.
    f.b.SetSequence(7);
    f.s.Add(f.b.Complete(Dev(), 1, Issued{7, 0x8A000100}, 0));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 2u);
    EXPECT_EQ(f.E(0).companion, NO_INDEX);
    EXPECT_EQ(f.E(1).companion, NO_INDEX);
    uint32_t slot = NO_INDEX;
    ASSERT_TRUE(f.indexer.sequences().Find(7, slot));
    EXPECT_EQ(slot, 1u);
}

TEST(RecordIndexer, LinksAcrossWindows) {
    Fixture f;
    f.s.Add(f.b.StartMarker());
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    Issued i = f.b.Last();
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    RecordStream second;
    second.Add(f.b.Complete(Dev(), 1, i, 0));
    CommitResult r = f.indexer.Commit(second.bytes().data(), static_cast<uint32_t>(second.bytes().size()),
                                      static_cast<uint32_t>(f.s.bytes().size()), f.b.layout(), f.index);
    ASSERT_EQ(r.indexed, 1u);
    EXPECT_EQ(f.E(2).position, f.s.bytes().size());
    EXPECT_EQ(f.E(2).companion, 1u);
    EXPECT_EQ(f.E(1).companion, 2u);
}

// The linking rules, written out plainly: every record maps its number to
// its index (a later one takes the number over), then a completion looks up
// the number it names; found at an index below its own, both point at each
// other (an issue completed again points at its latest completion).
std::vector<uint32_t> LinkByTheRules(const RecordStream& s, const RECORD_LAYOUT& layout) {
    std::unordered_map<uint32_t, uint32_t> numbers;
    std::vector<uint32_t> companion(s.count(), NO_INDEX);
    for (uint32_t i = 0; i < s.count(); ++i) {
        const ByteReader rec(s.bytes().data() + s.offsets()[i], s.bytes().size() - s.offsets()[i]);
        numbers[rec.u32le_or(RECORD_SEQUENCE_OFFSET)] = i;
        const bool completion = rec.u8or(3) == RECORD_TYPE_REQUEST &&
                                (rec.u16le_or(layout.requestOffset + REQ_FLAGS) & REQ_FLAG_COMPLETION);
        if (!completion) continue;
        const auto it = numbers.find(rec.u32le_or(layout.requestOffset + REQ_ISSUE_SEQUENCE));
        if (it == numbers.end() || it->second >= i) continue;
        companion[i] = it->second;
        companion[it->second] = i;
    }
    return companion;
}

// Numbers as no driver gives them (repeated, out of order, completions that
// name markers, completions or issues completed before), through an indexer
// that folds its numbers every few records: the links are those of the
// rules, for numbers folded long ago as for recent ones.
TEST(RecordIndexer, LinksFollowTheRulesForAnyNumbersAcrossFolds) {
    struct Shape {
        const char* what;
        uint32_t numberRange;   // own numbers drawn from [1, range]; 0: one after the other
        uint32_t lookBack;      // completions name a number up to this far back
    };
    const Shape shapes[] = {
        {"numbers in order, completions of old and completed issues", 0, 200},
        {"numbers repeated often", 40, 60},
        {"numbers from a wide range", 100000, 3000},
    };
    for (size_t recent : {1u, 4u, 64u}) {
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(::testing::Message() << shape.what << ", folding every " << recent);
            RecordBuilder b;
            RecordStream s;
            std::vector<uint32_t> given;   // every number given so far
            uint32_t x = 12345;
            for (uint32_t i = 0; i < 3000; ++i) {
                x = x * 1103515245u + 12345u;
                const uint32_t r = x >> 8;
                if (shape.numberRange) b.SetSequence(1 + r % shape.numberRange);
                given.push_back(b.NextSequence());
                if (r % 13 == 0) {
                    s.Add(b.DropMarker());
                } else if (r % 3 == 0 || given.size() < 2) {
                    s.Add(b.Create(Dev(), b.NewIrp()));
                } else {
                    // A number given before (possibly its own or a marker's),
                    // or now and then one never given.
                    const uint32_t back = 1 + (r >> 4) % std::min<uint32_t>(shape.lookBack, given.size() - 1);
                    const uint32_t named = (r % 17 == 0) ? 0xF0000000u + r : given[given.size() - 1 - back];
                    s.Add(b.Complete(Dev(), 1, Issued{named, 0x8A000100}, 0));
                }
            }
            CRecordIndexer indexer(recent);
            CVectorRecordIndex index;
            ASSERT_EQ(indexer.Commit(s.bytes().data(), static_cast<uint32_t>(s.bytes().size()), 0, b.layout(), index)
                          .status,
                      CommitStatus::Ok);
            ASSERT_EQ(index.GetCount(), s.count());
            const std::vector<uint32_t> expected = LinkByTheRules(s, b.layout());
            size_t links = 0;
            for (uint32_t i = 0; i < s.count(); ++i) {
                ASSERT_EQ(index.entries()[i].companion, expected[i]) << "record " << i;
                links += expected[i] != NO_INDEX;
            }
            EXPECT_GT(links, 1000u);
        }
    }
}

// Files without driver information use the default layout, whose request part
// starts at 16: the issue sequence is read at request +8 (byte 24), not at 32.
TEST(RecordIndexer, DefaultLayoutLinksThroughTheLayout) {
    Fixture f;
    f.b = RecordBuilder(kDefaultRecordLayout);
    f.s.Add(f.b.Create(Dev(), 0x8A000100));
    Issued i = f.b.Last();
    Bytes done = f.b.Complete(Dev(), 1, i, 0);
    PutLe32(done, 32, 12345);   // whatever sits at byte 32 must not matter
    f.s.Add(done);
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 2u);
    EXPECT_EQ(f.E(1).companion, 0u);
    EXPECT_EQ(f.E(0).companion, 1u);
}

// The walk ends on sizes that would never end it or would leave the window.
TEST(RecordIndexer, WalkStopsOnBadSizes) {
    struct Case {
        const char* name;
        uint32_t badFirstDword;
    } cases[] = {
        {"size 0", 0x01000000},
        {"below the header", 0x01000000 | 23},
        {"past the window", 0x01000000 | 0xFFFFFF},
        {"type 0 size 0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.s.Add(f.b.StartMarker());
        Bytes bad = f.b.Create(Dev(), 1);
        PutLe32(bad, 0, c.badFirstDword);
        f.s.Add(bad);
        f.s.Add(f.b.DropMarker());
        CommitResult r = f.Commit();
        EXPECT_EQ(r.status, CommitStatus::Stopped);
        EXPECT_EQ(r.consumed, 24u);
        EXPECT_EQ(r.indexed, 1u);
        EXPECT_EQ(f.index.GetCount(), 1u);
    }
}

TEST(RecordIndexer, TrailingBytesBelowTheHeaderAreNotConsumed) {
    Fixture f;
    f.s.Add(f.b.StartMarker());
    Bytes window = f.s.bytes();
    window.insert(window.end(), {1, 2, 3, 4, 5});
    CommitResult r = f.indexer.Commit(window.data(), static_cast<uint32_t>(window.size()), 0, f.b.layout(), f.index);
    EXPECT_EQ(r.consumed, 24u);
    EXPECT_EQ(r.status, CommitStatus::Stopped);
    EXPECT_EQ(f.index.GetCount(), 1u);
}

TEST(RecordIndexer, RequestsTooShortForTheirPartsGetNoEntry) {
    RecordBuilder b;
    PendingCommandMap pending;
    DeviceKindMap kinds;
    RECORD_INDEX_ENTRY e{};
    // Shorter than the request part: walked over, no entry.
    Bytes shortReq = b.Create(Dev(), 1, IrpForm::None);
    shortReq.resize(40);
    PutLe32(shortReq, 0, 40 | (1u << 24));
    EXPECT_FALSE(BuildIndexEntry(0, shortReq.data(), shortReq.size(), b.layout(), pending, kinds, e));
    // A parameter block that does not fit: no entry.
    Bytes cut = b.UrbIssue(Dev(), BulkTransfer(PipeSpec{}, 8, Bytes(8, 1)), 1);
    cut.resize(kBlock + 3);
    PutLe32(cut, 0, static_cast<uint32_t>(cut.size()) | (1u << 24));
    EXPECT_FALSE(BuildIndexEntry(0, cut.data(), cut.size(), b.layout(), pending, kinds, e));
    // The same record with a window that ends inside it.
    Bytes whole = b.UrbIssue(Dev(), BulkTransfer(PipeSpec{}, 8, Bytes(8, 1)), 1);
    EXPECT_FALSE(BuildIndexEntry(0, whole.data(), kBlock + 2, b.layout(), pending, kinds, e));
    // Unknown types are not indexed.
    Bytes odd = b.RawRecord(9, {});
    EXPECT_FALSE(BuildIndexEntry(0, odd.data(), odd.size(), b.layout(), pending, kinds, e));
}

// Direction and data reference per URB function, from the handler table.
TEST(RecordIndexer, UrbHandlersByFunction) {
    const uint8_t setupIn[8] = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
    const uint8_t setupOut[8] = {0x21, 0x09, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00};
    PipeSpec in{0x81, 0x8A0C5000, 0};
    PipeSpec out{0x02, 0x8A0C5100, 0};
    PipeSpec unknownIn{0xFF, 0x8A0C5200, 0};
    UrbSpec ex = ControlTransfer(setupOut, Bytes(1, 9));
    ex.function = URB_FN_CONTROL_TRANSFER_EX;
    UrbSpec getStatus;
    getStatus.function = URB_FN_GET_STATUS_FROM_DEVICE;
    UrbSpec setFeature;
    setFeature.function = URB_FN_SET_FEATURE_TO_DEVICE;
    UrbSpec clearFeature;
    clearFeature.function = URB_FN_CLEAR_FEATURE_TO_ENDPOINT;
    UrbSpec getConfig;
    getConfig.function = URB_FN_GET_CONFIGURATION;
    UrbSpec frame;
    frame.function = URB_FN_GET_CURRENT_FRAME_NUMBER;
    UrbSpec bulkUnknownIn = BulkTransfer(unknownIn, 4, Bytes(4, 1));
    UrbSpec bulkUnknownOut = BulkTransfer(unknownIn, 4, Bytes(4, 1));
    bulkUnknownOut.transferFlags = 0;
    struct Case {
        const char* name;
        UrbSpec urb;
        uint32_t direction;   // INDEX_FLAG_IN, INDEX_FLAG_OUT or 0
        uint32_t dataLength;
    } cases[] = {
        {"control in", ControlTransfer(setupIn, Bytes(18, 1)), INDEX_FLAG_IN, 18},
        {"control out", ControlTransfer(setupOut, Bytes(1, 2)), INDEX_FLAG_OUT, 1},
        {"control ex", ex, INDEX_FLAG_OUT, 1},
        {"bulk in", BulkTransfer(in, 64, Bytes(64, 3)), INDEX_FLAG_IN, 64},
        {"bulk out", BulkTransfer(out, 512, Bytes(512, 4)), INDEX_FLAG_OUT, 512},
        {"bulk unknown endpoint, flags in", bulkUnknownIn, INDEX_FLAG_IN, 4},
        {"bulk unknown endpoint, flags out", bulkUnknownOut, INDEX_FLAG_OUT, 4},
        {"isoch in", IsochTransfer(in, 3, 30, Bytes(30, 5)), INDEX_FLAG_IN, 30},
        {"get descriptor", GetDescriptor(2, 0, 0, 9, Bytes(9, 6)), INDEX_FLAG_IN, 9},
        {"set descriptor", SetDescriptor(3, 1, 0x409, Bytes(6, 7)), INDEX_FLAG_OUT, 6},
        {"vendor in", VendorClassRequest(URB_FN_VENDOR_DEVICE, true, 1, 0, 0, 2, Bytes(2, 8)), INDEX_FLAG_IN, 2},
        {"class out", VendorClassRequest(URB_FN_CLASS_INTERFACE, false, 9, 0, 0, 3, Bytes(3, 9)), INDEX_FLAG_OUT, 3},
        {"class other", VendorClassRequest(URB_FN_CLASS_OTHER, true, 0, 0, 1, 4, Bytes(4, 1)), INDEX_FLAG_IN, 4},
        {"get status", getStatus, INDEX_FLAG_IN, 0},
        {"get configuration", getConfig, INDEX_FLAG_IN, 0},
        {"set feature", setFeature, INDEX_FLAG_OUT, 0},
        {"clear feature", clearFeature, INDEX_FLAG_OUT, 0},
        {"abort pipe", PipeRequest(URB_FN_ABORT_PIPE, in), 0, 0},
        {"reset pipe", PipeRequest(URB_FN_RESET_PIPE, in), 0, 0},
        {"select configuration", SelectConfiguration(0, 3, 1, 1, {in}), 0, 0},
        {"frame number", frame, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuilder b;
        Bytes r = b.UrbCompletion(Dev(), c.urb, Issued{1, 1});
        RECORD_INDEX_ENTRY e = IndexOne(r);
        EXPECT_EQ(e.kind, 340 + c.urb.function);
        EXPECT_EQ(e.blockOffset, kBlock);
        EXPECT_EQ(e.urbOffset, kBlock + 48);
        EXPECT_EQ(e.flags & (INDEX_FLAG_IN | INDEX_FLAG_OUT), c.direction);
        EXPECT_EQ(e.flags & (INDEX_FLAG_COMPLETION | INDEX_FLAG_BLOCK), INDEX_FLAG_COMPLETION | INDEX_FLAG_BLOCK);
        EXPECT_EQ(e.dataLength, c.dataLength);
        if (c.dataLength) {
            ASSERT_LE(e.dataOffset + e.dataLength, r.size());
            EXPECT_TRUE(std::equal(c.urb.data.begin(), c.urb.data.end(), r.begin() + e.dataOffset));
        } else {
            EXPECT_EQ(e.dataOffset, 0);
        }
        EXPECT_EQ(e.flags & INDEX_FLAG_MSC, 0u);
    }
}

TEST(RecordIndexer, DataReferenceFlagAndUrbMinimum) {
    RecordBuilder b;
    UrbSpec u = BulkTransfer(PipeSpec{0x81, 1, 0}, 4, Bytes(4, 1));
    u.dataRefFlag = true;
    RECORD_INDEX_ENTRY e = IndexOne(b.UrbCompletion(Dev(), u, Issued{1, 1}));
    EXPECT_TRUE(e.flags & INDEX_FLAG_DATA_REF);
    EXPECT_EQ(e.dataLength, 4u);

    // A control URB cut below its 80 bytes: the URB is found, the handler adds
    // nothing.
    const uint8_t setup[8] = {0x80, 6, 0, 1, 0, 0, 18, 0};
    Bytes r = b.UrbCompletion(Dev(), ControlTransfer(setup, Bytes(18, 1)), Issued{1, 1});
    r.resize(kBlock + 48 + 79);
    PutLe32(r, 0, static_cast<uint32_t>(r.size()) | (1u << 24));
    e = IndexOne(r);
    EXPECT_EQ(e.urbOffset, kBlock + 48);
    EXPECT_EQ(e.flags & (INDEX_FLAG_IN | INDEX_FLAG_OUT), 0u);
    EXPECT_EQ(e.dataLength, 0u);

    // A URB offset that points past the record: no URB.
    r = b.UrbCompletion(Dev(), ControlTransfer(setup), Issued{1, 1});
    PutU16(r, kBlock + 2, 0xFFF0);
    e = IndexOne(r);
    EXPECT_EQ(e.urbOffset, 0);
    EXPECT_TRUE(e.flags & INDEX_FLAG_BLOCK);

    // A function above 52 has no handler.
    r = b.UrbCompletion(Dev(), BulkTransfer(PipeSpec{}, 4, Bytes(4, 1)), Issued{1, 1});
    PutU16(r, kBlock + 48 + 2, 0x35);
    e = IndexOne(r);
    EXPECT_EQ(e.urbOffset, kBlock + 48);
    EXPECT_EQ(e.flags & (INDEX_FLAG_IN | INDEX_FLAG_OUT), 0u);
    EXPECT_EQ(e.dataLength, 0u);
}

// Each handler's minimum at its edge: a record whose block ends one byte short
// of URB offset + minimum gets nothing from the handler, one that holds it
// exactly gets the direction and the data reference.
TEST(RecordIndexer, UrbHandlerMinimumsAtTheirEdges) {
    const uint8_t setupIn[8] = {0x80, 6, 0, 1, 0, 0, 18, 0};
    PipeSpec in{0x81, 0x8A0C5000, 0};
    const struct {
        const char* name;
        UrbSpec urb;
        uint32_t minimum;
    } rows[] = {
        {"control", ControlTransfer(setupIn, Bytes(4, 1)), 80},
        {"bulk", BulkTransfer(in, 4, Bytes(4, 1)), 72},
        {"isochronous", IsochTransfer(in, 2, 4, Bytes(4, 1)), 96},
        {"get descriptor", GetDescriptor(1, 0, 0, 4, Bytes(4, 1)), 80},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordBuilder b;
        const Bytes whole = b.UrbCompletion(Dev(), row.urb, Issued{1, 1});
        for (uint32_t cut : {row.minimum - 1, row.minimum}) {
            SCOPED_TRACE(cut);
            Bytes r = whole;
            ASSERT_GE(r.size(), kBlock + 48 + cut);
            r.resize(kBlock + 48 + cut);
            PutLe32(r, 0, static_cast<uint32_t>(r.size()) | (1u << 24));
            const RECORD_INDEX_ENTRY e = IndexOne(r);
            EXPECT_EQ(e.urbOffset, kBlock + 48);
            const bool handled = cut == row.minimum;
            EXPECT_EQ(e.flags & INDEX_FLAG_IN, handled ? INDEX_FLAG_IN : 0u);
            EXPECT_EQ(e.dataLength, handled ? 4u : 0u);
        }
    }
}

TEST(RecordIndexer, IoctlRecordsKeepTheirBlock) {
    RecordBuilder b;
    RECORD_INDEX_ENTRY e = IndexOne(b.IoctlIssue(Dev(), 4352, 0x220430, 16, Bytes(4, 0), 1));
    EXPECT_EQ(e.kind, 4352);
    EXPECT_EQ(e.blockOffset, kBlock);
    EXPECT_EQ(e.flags, INDEX_FLAG_BLOCK);
    EXPECT_EQ(e.urbOffset, 0);
    RequestSpec s;
    s.kind = 4340;
    s.irpForm = IrpForm::Short;
    s.hasBlock = true;
    s.block = RecordBuilder::IoctlBlock(0x2203FC, 0, {});
    e = IndexOne(b.Request(s));
    EXPECT_EQ(e.blockOffset, 56 + 112);
}

// ---------------------------------------------------------------------------
// Bulk-Only tie

namespace {

const Bytes kRead10 = {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0};
const Bytes kInquiry = {0x12, 0, 0, 0, 36, 0};

} // namespace

TEST(RecordIndexer, CommandDataStatusTieAndClear) {
    Fixture f;
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(f.b, dev, kRead10, true, 512, Bytes(512, 0xAB), 0, recs);
    f.s.Add(recs);
    // A data stage after the status wrapper belongs to no command.
    UrbSpec late = BulkTransfer(dev.bulkIn, 512);
    f.s.Add(f.b.UrbIssue(dev.device, late, 0x8A009000));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 7u);

    const RECORD_INDEX_ENTRY& cbw = f.E(0);
    EXPECT_EQ(cbw.flags & (INDEX_FLAG_CBW | INDEX_FLAG_MSC), INDEX_FLAG_CBW | INDEX_FLAG_MSC);
    EXPECT_EQ(cbw.opcode, 0x28);
    EXPECT_EQ(cbw.serviceAction, 0);
    EXPECT_EQ(cbw.flags & INDEX_FLAG_OUT, INDEX_FLAG_OUT);
    // CBW completion, data issue and completion, CSW issue: tied to entry 0.
    for (size_t i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(f.E(i).flags & INDEX_FLAG_MSC);
        EXPECT_EQ(f.E(i).commandWrapper, 0u);
        EXPECT_EQ(f.E(i).opcode, 0x28);
        EXPECT_EQ(f.E(i).flags & (INDEX_FLAG_CBW | INDEX_FLAG_CSW), 0u);
    }
    const RECORD_INDEX_ENTRY& csw = f.E(5);
    EXPECT_EQ(csw.flags & (INDEX_FLAG_CSW | INDEX_FLAG_MSC), INDEX_FLAG_CSW | INDEX_FLAG_MSC);
    EXPECT_EQ(csw.commandWrapper, 0u);
    EXPECT_EQ(csw.flags & INDEX_FLAG_IN, INDEX_FLAG_IN);
    EXPECT_TRUE(f.indexer.pendingCommands().empty());

    const RECORD_INDEX_ENTRY& after = f.E(6);
    EXPECT_EQ(after.flags & INDEX_FLAG_MSC, 0u);
    EXPECT_EQ(after.commandWrapper, NO_INDEX);
    // Subclass 06h (SCSI) says nothing of the kind.
    EXPECT_EQ(after.deviceKind, MSC_KIND_UNKNOWN);
}

TEST(RecordIndexer, TiesAreKeptPerDevice) {
    Fixture f;
    MassStorageDevice a = MakeMassStorageDevice(0x85550000);
    MassStorageDevice b = MakeMassStorageDevice(0x86660000);
    // Two commands interleaved stage by stage.
    std::vector<Bytes> ra, rb;
    AppendMassStorageCommand(f.b, a, kRead10, true, 8, Bytes(8, 1), 0, ra);
    AppendMassStorageCommand(f.b, b, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, false, 8, Bytes(8, 2), 0, rb);
    for (size_t i = 0; i < 6; ++i) {
        f.s.Add(ra[i]);
        f.s.Add(rb[i]);
    }
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    ASSERT_EQ(f.index.GetCount(), 12u);
    for (size_t i = 2; i < 12; ++i) {
        SCOPED_TRACE(i);
        const bool isA = (i % 2) == 0;
        EXPECT_EQ(f.E(i).commandWrapper, isA ? 0u : 1u);
        EXPECT_EQ(f.E(i).opcode, isA ? 0x28 : 0x2A);
    }
}

TEST(RecordIndexer, ServiceActionOfOpcode9E) {
    Fixture f;
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(f.b, dev, {0x9E, 0x30 | 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}, true, 32,
                             Bytes(32, 0), 0, recs);
    f.s.Add(recs);
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    EXPECT_EQ(f.E(0).opcode, 0x9E);
    EXPECT_EQ(f.E(0).serviceAction, 0x10);
    EXPECT_EQ(f.E(3).serviceAction, 0x10);
    EXPECT_EQ(f.indexer.pendingCommands().size(), 0u);
}

TEST(RecordIndexer, InquiryTeachesKindAndSpcVersion) {
    struct Case {
        uint8_t type, version, subClass;
        uint8_t kind, spc;
    } cases[] = {
        {0x05, 0x05, 0x06, MSC_KIND_MMC, 5},
        {0x00, 0x06, 0x06, MSC_KIND_SBC, 6},
        {0x04, 0x83, 0x06, MSC_KIND_SBC, 3},
        {0x07, 0x84, 0x06, MSC_KIND_SBC, 4},
        {0x0E, 0x02, 0x06, MSC_KIND_RBC, 0},
        {0x1F, 0x85, 0x01, MSC_KIND_RBC, 0},   // unknown type: by subclass
        {0x08, 0x04, 0x02, MSC_KIND_MMC, 4},
        {0x08, 0x04, 0x06, MSC_KIND_UNKNOWN, 4},
        {0x25, 0x05, 0x06, MSC_KIND_MMC, 5},   // qualifier bits ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " version " << int(c.version));
        Fixture f;
        MassStorageDevice dev = MakeMassStorageDevice(0x85550000, c.subClass);
        std::vector<Bytes> recs;
        AppendMassStorageCommand(f.b, dev, kInquiry, true, 36, InquiryData(c.type, c.version), 0, recs);
        AppendMassStorageCommand(f.b, dev, kRead10, true, 512, Bytes(512, 0), 0, recs);
        f.s.Add(recs);
        ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
        ASSERT_EQ(f.index.GetCount(), 12u);
        // The INQUIRY data completion learns; what comes later carries it.
        EXPECT_EQ(f.E(3).deviceKind, c.kind);
        EXPECT_EQ(f.E(3).spcVersion, c.spc);
        EXPECT_EQ(f.indexer.deviceKinds().at(0x85550000), (c.kind << 8) | c.spc);
        for (size_t i = 4; i < 12; ++i) {
            EXPECT_EQ(f.E(i).deviceKind, c.kind) << i;
            EXPECT_EQ(f.E(i).spcVersion, c.spc) << i;
        }
    }
}

TEST(RecordIndexer, InquiryThatFailedOrIsShortTeachesNothing) {
    struct Case {
        const char* name;
        uint32_t ntstatus;
        int32_t usbd;
        size_t dataBytes;
    } cases[] = {
        {"failed request", 0xC0000001, 0, 36},
        {"failed URB", 0, static_cast<int32_t>(0xC0000004), 36},
        {"short data", 0, 0, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        MassStorageDevice dev = MakeMassStorageDevice(0x85550000, 0x02);
        f.s.Add(f.b.UrbIssue(dev.device, BulkTransfer(dev.bulkOut, 31, CommandBlockWrapper(1, 36, true, 0, kInquiry)),
                             1));
        UrbSpec data = BulkTransfer(dev.bulkIn, 36, InquiryData(0x05, 0x05));
        data.data.resize(c.dataBytes);
        data.usbdStatus = c.usbd;
        f.s.Add(f.b.UrbCompletion(dev.device, data, Issued{99, 2}, c.ntstatus));
        ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
        EXPECT_TRUE(f.E(1).flags & INDEX_FLAG_MSC);
        EXPECT_EQ(f.E(1).deviceKind, MSC_KIND_MMC);   // from subclass 02h
        EXPECT_EQ(f.E(1).spcVersion, 0);
        EXPECT_TRUE(f.indexer.deviceKinds().empty());
    }
}

// The tie reads wrapper and data bytes only inside the record.
TEST(RecordIndexer, CraftedMassStorageRecordsGiveNoTie) {
    RecordBuilder b;
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    Bytes cbw = CommandBlockWrapper(1, 0, false, 0, kRead10);

    // The data reference claims 31 bytes, the record holds 20 of them.
    Bytes r = b.UrbIssue(dev.device, BulkTransfer(dev.bulkOut, 31, cbw), 1);
    r.resize(r.size() - 11);
    PutLe32(r, 0, static_cast<uint32_t>(r.size()) | (1u << 24));
    PendingCommandMap pending;
    DeviceKindMap kinds;
    RECORD_INDEX_ENTRY e{};
    ASSERT_TRUE(BuildIndexEntry(0, r.data(), r.size(), b.layout(), pending, kinds, e));
    EXPECT_EQ(e.flags & (INDEX_FLAG_CBW | INDEX_FLAG_MSC), 0u);
    EXPECT_TRUE(pending.empty());

    // The data offset points past the record.
    r = b.UrbIssue(dev.device, BulkTransfer(dev.bulkOut, 31, cbw), 1);
    PutU16(r, kBlock + 40, 0x7000);
    ASSERT_TRUE(BuildIndexEntry(0, r.data(), r.size(), b.layout(), pending, kinds, e));
    EXPECT_EQ(e.flags & INDEX_FLAG_CBW, 0u);
    EXPECT_TRUE(pending.empty());

    // A 31-byte issue without the signature is left alone even with a
    // command pending.
    pending[dev.device.deviceKey] = PENDING_CBW{0x28, 0, 5};
    Bytes notCbw = cbw;
    notCbw[0] = 'X';
    r = b.UrbIssue(dev.device, BulkTransfer(dev.bulkOut, 31, notCbw), 1);
    ASSERT_TRUE(BuildIndexEntry(0, r.data(), r.size(), b.layout(), pending, kinds, e));
    EXPECT_EQ(e.flags & INDEX_FLAG_MSC, 0u);
    EXPECT_EQ(pending.size(), 1u);

    // Other interfaces are never tied.
    DeviceSpec hid = dev.device;
    hid.interfaceClass = 0x03;
    r = b.UrbIssue(hid, BulkTransfer(dev.bulkOut, 31, cbw), 1);
    ASSERT_TRUE(BuildIndexEntry(0, r.data(), r.size(), b.layout(), pending, kinds, e));
    EXPECT_EQ(e.flags & INDEX_FLAG_MSC, 0u);
    EXPECT_EQ(e.commandWrapper, NO_INDEX);
}

TEST(RecordIndexer, ClearForgetsAllMaps) {
    Fixture f;
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(f.b, dev, kInquiry, true, 36, InquiryData(5, 5), 0, recs);
    f.s.Add(recs);
    f.s.Add(f.b.UrbIssue(dev.device, BulkTransfer(dev.bulkOut, 31, CommandBlockWrapper(9, 0, false, 0, kRead10)), 1));
    ASSERT_EQ(f.Commit().status, CommitStatus::Ok);
    EXPECT_NE(f.indexer.sequences().GetCount(), 0u);
    EXPECT_FALSE(f.indexer.pendingCommands().empty());
    EXPECT_FALSE(f.indexer.deviceKinds().empty());
    f.indexer.Clear();
    EXPECT_EQ(f.indexer.sequences().GetCount(), 0u);
    EXPECT_TRUE(f.indexer.pendingCommands().empty());
    EXPECT_TRUE(f.indexer.deviceKinds().empty());
}

// ---------------------------------------------------------------------------
// Index storage failure

namespace {
class LimitedIndex : public CVectorRecordIndex {
public:
    explicit LimitedIndex(uint32_t limit) : limit_(limit) {}
    bool Append(const RECORD_INDEX_ENTRY& e) override {
        return GetCount() < limit_ && CVectorRecordIndex::Append(e);
    }

private:
    uint32_t limit_;
};
} // namespace

TEST(RecordIndexer, StorageFailureStopsBeforeTheRecord) {
    RecordBuilder b;
    RecordStream s;
    s.Add(b.StartMarker());
    s.Add(b.Create(Dev(), 1));
    s.Add(b.DropMarker());
    CRecordIndexer indexer(64);
    LimitedIndex index(2);
    CommitResult r = indexer.Commit(s.bytes().data(), static_cast<uint32_t>(s.bytes().size()), 0, b.layout(), index);
    EXPECT_EQ(r.status, CommitStatus::OutOfMemory);
    EXPECT_EQ(r.indexed, 2u);
    EXPECT_EQ(r.consumed, s.offsets()[2]);
}

// ---------------------------------------------------------------------------
// A long mixed stream

TEST(RecordIndexer, HundredThousandMixedRecordsIndexAndLink) {
    RecordBuilder b;
    const RecordStream s = fixtures::MixedStream(100000, b);
    size_t issues = 0;
    ASSERT_EQ(s.count(), 100000u);

    // Commit in windows of about 64 KB cut at record boundaries.
    CRecordIndexer indexer;
    CVectorRecordIndex index;
    size_t at = 0;
    while (at < s.bytes().size()) {
        const size_t end = fixtures::WindowEnd(s, at, 65536);
        CommitResult r = indexer.Commit(s.bytes().data() + at, static_cast<uint32_t>(end - at),
                                        static_cast<uint32_t>(at), b.layout(), index);
        ASSERT_EQ(r.status, CommitStatus::Ok);
        ASSERT_EQ(r.consumed, end - at);
        at = end;
    }
    ASSERT_EQ(index.GetCount(), 100000u);

    size_t completions = 0, linked = 0, markers = 0, tied = 0;
    for (uint32_t i = 0; i < index.GetCount(); ++i) {
        const RECORD_INDEX_ENTRY& e = index.entries()[i];
        ASSERT_EQ(e.position, s.offsets()[i]);
        const uint32_t type = e.firstDword >> 24;
        if ((e.flags & INDEX_FLAG_MSC) && !(e.flags & INDEX_FLAG_CBW)) {
            ++tied;
            ASSERT_LT(e.commandWrapper, i);
            ASSERT_TRUE(index.entries()[e.commandWrapper].flags & INDEX_FLAG_CBW);
        }
        if (type != RECORD_TYPE_REQUEST) {
            ++markers;
            continue;
        }
        if (e.flags & INDEX_FLAG_COMPLETION) {
            ++completions;
            ASSERT_NE(e.companion, NO_INDEX) << i;
            ASSERT_LT(e.companion, i);
            ASSERT_EQ(index.entries()[e.companion].companion, i);
            ++linked;
        } else {
            ++issues;
            // Only the last issue may still wait for its completion.
            if (e.companion == NO_INDEX) {
                EXPECT_GE(i, 99990u);
            }
        }
    }
    EXPECT_EQ(completions, linked);
    EXPECT_GT(tied, 10000u);
    EXPECT_TRUE(indexer.pendingCommands().size() <= 1);
    EXPECT_GT(markers, 1000u);
    EXPECT_GT(completions, 40000u);
    EXPECT_EQ(markers + completions + issues, 100000u);
}

// ---------------------------------------------------------------------------
// Driver notification blocks

namespace {
struct RecordingSink : IDriverNotificationSink {
    std::string log;
    void AddDeviceNames(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Note('D', b, size); }
    void AddDriverNames(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Note('R', b, size); }
    void AddHidDescriptors(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Note('H', b, size); }
    void Note(char c, const uint8_t* b, uint32_t size) {
        // Every block handed on starts with its own size.
        EXPECT_EQ(ByteReader(b, size).u32le_or(0), size);
        log += c;
        log += std::to_string(size);
        log += ' ';
    }
};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
} // namespace

TEST(RecordIndexer, NotificationBlocksGoToTheirTables) {
    Bytes devices = NameListBlock(1, {{1, 2, u"USBPDO-3"}});
    Bytes drivers = NameListBlock(3, {{3, 4, u"\\Driver\\usbhub"}});
    HidDescriptorItem item;
    item.descriptor = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0};
    item.objects = {{5, 6}};
    Bytes hid = HidDescriptorBlock({item});
    Bytes other(12, 0);
    PutLe32(other, 0, 12);
    PutLe32(other, 4, 7);
    Bytes buf = Concat({devices, other, drivers, hid});
    RecordingSink sink;
    EXPECT_TRUE(WalkDriverNotifications(buf.data(), buf.size(), kDriverRecordLayout, sink));
    EXPECT_EQ(sink.log, "D" + std::to_string(devices.size()) + " R" + std::to_string(drivers.size()) + " H" +
                            std::to_string(hid.size()) + " ");
}

TEST(RecordIndexer, NotificationWalkEdgeCases) {
    Bytes devices = NameListBlock(1, {{1, 2, u"X"}});
    Bytes header8 = {8, 0, 0, 0, 1, 0, 0, 0};
    Bytes zero = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    Bytes huge = devices;
    PutLe32(huge, 0, 0x10000);
    Bytes unknown(16, 0);
    PutLe32(unknown, 0, 16);
    PutLe32(unknown, 4, 2);
    struct Case {
        const char* name;
        Bytes buffer;
        bool used;
        std::string log;
    } cases[] = {
        {"exactly 8 bytes", header8, false, ""},
        {"first block of 8 in a longer buffer", Concat({header8, devices}), false, ""},
        {"4 bytes", Bytes{40, 0, 0, 0}, false, ""},
        {"empty", Bytes{}, false, ""},
        {"zero size after a block", Concat({devices, zero, devices}), true, "D40 "},
        {"size past the end", Concat({devices, huge}), true, "D40 "},
        {"first block past the end", huge, false, ""},
        {"header-only block walked over", Concat({devices, header8, devices}), true, "D40 D40 "},
        {"unknown kinds only", unknown, false, ""},
        {"trailing bytes", Concat({devices, Bytes{1, 2, 3}}), true, "D40 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        EXPECT_EQ(WalkDriverNotifications(c.buffer.data(), c.buffer.size(), kDriverRecordLayout, sink), c.used);
        EXPECT_EQ(sink.log, c.log);
    }
    RecordingSink sink;
    EXPECT_FALSE(WalkDriverNotifications(nullptr, 100, kDriverRecordLayout, sink));
}

// The fuzzer's seed windows are builder streams: each record stream in them
// commits whole, with its completions linked.
TEST(RecordIndexer, FuzzSeedStreamsCommitWhole) {
    struct Seed {
        const char* name;
        uint32_t entries;
    } seeds[] = {
        {"mixed_driver_layout", 13},
        {"bulk_only_inquiry_read", 12},
        {"default_layout", 5},
        {"given_layout_isoch", 2},
    };
    for (const Seed& seed : seeds) {
        SCOPED_TRACE(seed.name);
        const std::string path = std::string(BRX_SOURCE_DIR) + "/tests/data/corpus/commit/" + seed.name;
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        Bytes bytes;
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
        ASSERT_GT(bytes.size(), 1u);
        RECORD_LAYOUT layout = bytes[0] % 3 == 1 ? kDefaultRecordLayout : kDriverRecordLayout;
        size_t skip = 1 + (bytes[0] % 3 == 2 ? sizeof(RECORD_LAYOUT) : 0);
        CRecordIndexer indexer(64);
        CVectorRecordIndex index;
        CommitResult r = indexer.Commit(bytes.data() + skip, static_cast<uint32_t>(bytes.size() - skip), 0, layout, index);
        EXPECT_EQ(r.status, CommitStatus::Ok);
        ASSERT_EQ(index.GetCount(), seed.entries);
        for (const RECORD_INDEX_ENTRY& e : index.entries())
            if (e.flags & INDEX_FLAG_COMPLETION) {
                EXPECT_NE(e.companion, NO_INDEX);
            }
    }
}
