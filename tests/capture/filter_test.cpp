// The record filter: rows versus record indices, the row accessors, the
// relay of the log's change codes, and the applied filter growing with the
// log so that its rows always equal a full filtering.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "base/ByteReader.h"
#include "capture/Filter.h"
#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;
using brx::testing::FakeFilterLog;

namespace {

// Records the posted messages.
class Recorder final : public IMessageTarget {
public:
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(lock_);
        EXPECT_EQ(message, 0x0400u + 167);
        EXPECT_EQ(lParam, 0);
        if (refuse) return false;   // a full queue
        codes_.push_back(static_cast<uint32_t>(wParam));
        return true;
    }
    std::atomic<bool> refuse{false};
    std::vector<uint32_t> codes() {
        std::lock_guard<std::mutex> lock(lock_);
        return codes_;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(lock_);
        codes_.clear();
    }

private:
    std::mutex lock_;
    std::vector<uint32_t> codes_;
};

std::vector<uint8_t> Image(bool issue, bool success, bool failure, bool in, bool out, std::vector<int> positions) {
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = issue;
    image[CRITERIA_SUCCESS] = success;
    image[CRITERIA_FAILURE] = failure;
    image[CRITERIA_INPUT] = in;
    image[CRITERIA_OUTPUT] = out;
    for (int p : positions) image.at(CRITERIA_KINDS + p) = 1;
    return image;
}

// Creates (kind 1) issues only.
const std::vector<uint8_t> kCreateIssues = Image(true, false, false, false, false, {0});

uint32_t SequenceOf(const CRecordView& v) { return ByteReader(v.buffer, v.copied).u32le_or(RECORD_SEQUENCE_OFFSET); }

// A varied stream: markers, IRPs with completions, URBs both ways, failed
// requests, device controls and Bulk-Only commands.
std::vector<Bytes> MixedStream(RecordBuilder& b, int rounds) {
    std::vector<Bytes> out;
    DeviceSpec d;
    MassStorageDevice disk = MakeMassStorageDevice(0x85550000);
    out.push_back(b.StartMarker());
    for (int i = 0; i < rounds; ++i) {
        out.push_back(b.Create(d, b.NewIrp()));
        out.push_back(b.Complete(d, KIND_CREATE, b.Last(), i % 3 == 0 ? 0xC0000022 : 0));
        UrbSpec in = BulkTransfer(PipeSpec{0x81}, 16);
        out.push_back(b.UrbIssue(d, in, b.NewIrp()));
        Issued issued = b.Last();
        in.data = Bytes(static_cast<size_t>(i % 17), 0x5A);
        out.push_back(b.UrbCompletion(d, in, issued, i % 5 == 0 ? 0xC0000001 : 0));
        UrbSpec outUrb = BulkTransfer(PipeSpec{0x02}, 8, Bytes(8, 1));
        out.push_back(b.UrbIssue(d, outUrb, b.NewIrp()));
        out.push_back(b.Pnp(d, static_cast<uint8_t>(i % 30), b.NewIrp()));
        out.push_back(b.IoctlIssue(d, 4351, 0x220424, 0, {}, b.NewIrp()));
        if (i % 4 == 0)
            AppendMassStorageCommand(b, disk, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, true, 512, Bytes(512, 0xAB),
                                     static_cast<uint8_t>(i % 8 == 0), out);
        if (i % 7 == 0) out.push_back(b.DropMarker());
    }
    return out;
}

const std::vector<uint8_t> kMixedCriteria =
    Image(true, false, true, true, false, {0, 32, 33, 64 + 9, 196});

std::vector<uint32_t> Rows(CFilter& f) {
    std::vector<uint32_t> rows;
    const uint32_t n = f.GetRowCount();
    for (uint32_t r = 0; r < n; ++r) rows.push_back(f.RowToRecord(r));
    return rows;
}

// The rows a filter applied now, from the whole log, gives.
std::vector<uint32_t> FullRebuild(FakeFilterLog& log, const std::vector<uint8_t>& image) {
    CFilter fresh;
    fresh.SetLogSource([&log] { return static_cast<IFilterLog*>(&log); });
    EXPECT_EQ(fresh.SetCriteria(image.data(), image.size()), 1);
    fresh.Apply(1);
    return Rows(fresh);
}

struct Fixture {
    FakeFilterLog log;
    CFilter filter;
    Recorder recorder;
    RecordBuilder b;
    Fixture() {
        filter.SetLogSource([this] { return static_cast<IFilterLog*>(&log); });
        filter.SetNotifyTarget(&recorder);
    }
    // One commit as the log reports it.
    void Append(const std::vector<Bytes>& records) {
        filter.OnLogNotify(LOG_NOTIFY_BEFORE);
        log.Append(records);
        filter.OnLogNotify(LOG_NOTIFY_AFTER);
    }
};

} // namespace

TEST(Filter, NotAppliedRowsAreTheRecords) {
    Fixture f;
    DeviceSpec d;
    f.log.Append({f.b.StartMarker(), f.b.Create(d, 1), f.b.Close(d, 2)});
    ASSERT_EQ(f.filter.SetCriteria(kCreateIssues.data(), kCreateIssues.size()), 1);
    EXPECT_EQ(f.filter.IsApplied(), 0u);
    EXPECT_EQ(f.filter.GetRowCount(), 3u);
    for (uint32_t row = 0; row < 3; ++row) {
        EXPECT_EQ(f.filter.RowToRecord(row), row);
        uint8_t buffer[64];
        CRecordView v;
        v.Init(buffer, sizeof buffer);
        ASSERT_EQ(f.filter.ReadRecord(row, v), S_OK32);
        EXPECT_EQ(v.index, row);
        EXPECT_EQ(SequenceOf(v), row + 1);
    }
    uint8_t buffer[64];
    CRecordView v;
    v.Init(buffer, sizeof buffer);
    EXPECT_EQ(f.filter.ReadRecord(3, v), STG_E_READFAULT) << "the log's result, unchanged";
    uint32_t first = 0, last = 0;
    EXPECT_EQ(f.filter.GetSequenceRange(first, last), 1);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 3u);
    EXPECT_EQ(f.filter.FindRowBySequence(2), 1u);
    EXPECT_TRUE(f.recorder.codes().empty()) << "SetCriteria posts nothing";
}

TEST(Filter, AppliedRowsMapToPassingRecords) {
    Fixture f;
    DeviceSpec d;
    // Records 1, 3 and 4 are create issues; 2 is the completion of 1.
    f.log.Append({f.b.StartMarker(), f.b.Create(d, 0x100)});
    Issued first = f.b.Last();
    f.log.Append({f.b.Complete(d, KIND_CREATE, first, 0), f.b.Create(d, 0x200), f.b.Create(d, 0x300),
                  f.b.Close(d, 0x400)});
    ASSERT_EQ(f.filter.SetCriteria(kCreateIssues.data(), kCreateIssues.size()), 1);
    f.filter.Apply(1);
    EXPECT_EQ(f.filter.IsApplied(), 1u);
    EXPECT_EQ(f.recorder.codes(), std::vector<uint32_t>{LOG_NOTIFY_AFTER});
    EXPECT_EQ(Rows(f.filter), (std::vector<uint32_t>{1, 3, 4}));
    EXPECT_EQ(f.filter.RowToRecord(3), NO_INDEX);
    EXPECT_EQ(f.filter.MatchRecord(3), 1);
    EXPECT_EQ(f.filter.MatchRecord(2), 0);
    EXPECT_EQ(f.filter.MatchRecord(99), 0);

    RECORD_INDEX_ENTRY entry{}, direct{};
    ASSERT_EQ(f.filter.GetIndexEntry(1, entry), S_OK32);
    ASSERT_EQ(f.log.GetIndexEntry(3, direct), S_OK32);
    EXPECT_EQ(std::memcmp(&entry, &direct, sizeof entry), 0);

    // Row 0 is record 1, whose completion is record 2.
    uint8_t a[256], c[256];
    CRecordPairView pair;
    pair.Init(a, sizeof a, c, sizeof c);
    ASSERT_EQ(f.filter.ReadRecordData(0, pair), S_OK32);
    EXPECT_EQ(pair.record.index, 1u);
    EXPECT_EQ(pair.companionPresent, 1u);
    EXPECT_EQ(pair.companion.index, 2u);

    EXPECT_EQ(f.filter.FindRowBySequence(4), 1u);
    EXPECT_EQ(f.filter.FindRowBySequence(5), 2u);
    EXPECT_EQ(f.filter.FindRowBySequence(3), NO_ROW) << "the completion is filtered out";
    uint32_t lo = 0, hi = 0;
    EXPECT_EQ(f.filter.GetSequenceRange(lo, hi), 1);
    EXPECT_EQ(lo, 2u);
    EXPECT_EQ(hi, 5u);

    // Off again: every record is a row (the list took the first notice).
    f.filter.TakeNotify(LOG_NOTIFY_AFTER);
    f.filter.Apply(0);
    EXPECT_EQ(f.filter.GetRowCount(), 6u);
    EXPECT_EQ(f.filter.RowToRecord(5), 5u);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{LOG_NOTIFY_AFTER, LOG_NOTIFY_AFTER}));
}

TEST(Filter, NothingPassing) {
    Fixture f;
    DeviceSpec d;
    f.log.Append({f.b.StartMarker(), f.b.Close(d, 1), f.b.Power(d, 1, 2)});
    ASSERT_EQ(f.filter.SetCriteria(kCreateIssues.data(), kCreateIssues.size()), 1);
    f.filter.Apply(1);
    EXPECT_EQ(f.filter.GetRowCount(), 0u);
    EXPECT_EQ(f.filter.RowToRecord(0), NO_INDEX);
    uint8_t buffer[64];
    CRecordView v;
    v.Init(buffer, sizeof buffer);
    EXPECT_EQ(f.filter.ReadRecord(0, v), FILTER_S_NO_RECORD);
    EXPECT_EQ(v.copied, 0u);
    EXPECT_EQ(v.index, NO_INDEX);
    RECORD_INDEX_ENTRY entry;
    entry.position = 1234;
    EXPECT_EQ(f.filter.GetIndexEntry(0, entry), FILTER_S_NO_RECORD);
    EXPECT_EQ(entry.position, 0u);
    uint8_t a[64], c[64];
    CRecordPairView pair;
    pair.Init(a, sizeof a, c, sizeof c);
    EXPECT_EQ(f.filter.ReadRecordData(0, pair), FILTER_S_NO_RECORD);
    EXPECT_EQ(f.filter.FindRowBySequence(1), NO_ROW);
    uint32_t first = 7, last = 7;
    EXPECT_EQ(f.filter.GetSequenceRange(first, last), 0);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
}

TEST(Filter, WithoutAnActiveLog) {
    CFilter filter;
    EXPECT_EQ(filter.GetRowCount(), 0u);
    uint8_t buffer[64];
    CRecordView v;
    v.Init(buffer, sizeof buffer);
    EXPECT_EQ(filter.ReadRecord(0, v), FILTER_S_NO_RECORD);
    filter.Apply(1);
    EXPECT_EQ(filter.GetRowCount(), 0u);
    filter.OnLogNotify(LOG_NOTIFY_AFTER);
    EXPECT_EQ(filter.MatchRecord(0), 0);
    uint32_t first = 0, last = 0;
    EXPECT_EQ(filter.GetSequenceRange(first, last), 0);
}

// The receiver takes every notice it was posted, as the capture list does.
void TakeAll(CFilter& filter) {
    for (uint32_t code = 0; code < 8; ++code) filter.TakeNotify(code);
}

TEST(Filter, RelaysTheSixCodesOnly) {
    Fixture f;
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 167u, 0xFFFFFFFFu}) f.filter.OnLogNotify(code);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    // The log's refused window: 3, then 4, then 6 for the same window.
    TakeAll(f.filter);
    f.recorder.Clear();
    f.filter.Apply(1);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{4}));
    TakeAll(f.filter);
    f.recorder.Clear();
    f.filter.OnLogNotify(LOG_NOTIFY_BEFORE);
    f.filter.OnLogNotify(LOG_NOTIFY_AFTER);
    f.filter.OnLogNotify(LOG_NOTIFY_FULL);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{3, 4, 6}));
    // Without a target nothing is posted, and nothing fails.
    f.filter.SetNotifyTarget(nullptr);
    f.filter.OnLogNotify(LOG_NOTIFY_AFTER);
    EXPECT_EQ(f.recorder.codes().size(), 3u);
}

TEST(Filter, ANoticeWaitingForTheReceiverCoversTheNextOnesOfItsCode) {
    Fixture f;
    // A flood of appends the receiver does not keep up with: one 3 and one
    // 4 wait, however many appends there were.
    for (int i = 0; i < 1000; ++i) f.Append(MixedStream(f.b, 1));
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{3, 4}));
    EXPECT_TRUE(f.filter.IsNotifyPending(LOG_NOTIFY_AFTER));
    // The receiver takes the 4 (and reads the log): the next append posts a
    // 4 again, not a 3, which still waits.
    f.filter.TakeNotify(LOG_NOTIFY_AFTER);
    EXPECT_FALSE(f.filter.IsNotifyPending(LOG_NOTIFY_AFTER));
    f.Append(MixedStream(f.b, 1));
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{3, 4, 4}));
    // Each kind waits on its own: a clear and a full store go out at once
    // while 3 and 4 wait, and a second full store does not.
    f.filter.OnLogNotify(LOG_NOTIFY_CLEARED);
    f.filter.OnLogNotify(LOG_NOTIFY_FULL);
    f.filter.OnLogNotify(LOG_NOTIFY_FULL);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{3, 4, 4, 5, 6}));
    // A new receiver has nothing waiting for it.
    Recorder other;
    f.filter.SetNotifyTarget(&other);
    f.Append(MixedStream(f.b, 1));
    EXPECT_EQ(other.codes(), (std::vector<uint32_t>{3, 4}));
}

TEST(Filter, ANoticeTheTargetRefusedIsPostedAgainNeverLost) {
    Fixture f;
    // The queue is full when the store fills: the 6 is owed.
    f.recorder.refuse = true;
    f.filter.OnLogNotify(LOG_NOTIFY_FULL);
    EXPECT_TRUE(f.recorder.codes().empty());
    EXPECT_TRUE(f.filter.IsNotifyPending(LOG_NOTIFY_FULL));
    f.filter.TakeNotify(LOG_NOTIFY_FULL);   // no receiver has it: it stays owed
    EXPECT_TRUE(f.filter.IsNotifyPending(LOG_NOTIFY_FULL));
    f.filter.RepostOwed();                  // still refused
    EXPECT_TRUE(f.recorder.codes().empty());
    // Once the queue takes posts again, the next notice brings it along.
    f.recorder.refuse = false;
    f.filter.OnLogNotify(LOG_NOTIFY_AFTER);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{4, 6}));
    f.filter.RepostOwed();                  // nothing owed any more
    EXPECT_EQ(f.recorder.codes().size(), 2u);
    // Or the receiver asks for what is owed.
    TakeAll(f.filter);
    f.recorder.Clear();
    f.recorder.refuse = true;
    f.filter.OnLogNotify(LOG_NOTIFY_CLEARED);
    f.recorder.refuse = false;
    f.filter.RepostOwed();
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{5}));
}

TEST(Filter, SetCriteriaWhileOffChangesNoRowsUntilApply) {
    Fixture f;
    RecordBuilder& b = f.b;
    f.log.Append(MixedStream(b, 5));
    const uint32_t records = f.log.GetRecordCount();
    ASSERT_EQ(f.filter.SetCriteria(kMixedCriteria.data(), kMixedCriteria.size()), 1);
    EXPECT_EQ(f.filter.GetRowCount(), records);
    EXPECT_TRUE(f.recorder.codes().empty());
    f.filter.Apply(1);
    const std::vector<uint32_t> mixed = Rows(f.filter);
    EXPECT_EQ(mixed, FullRebuild(f.log, kMixedCriteria));
    EXPECT_LT(mixed.size(), records);
    EXPECT_FALSE(mixed.empty());

    // While applied, new criteria rebuild the rows at once (and post nothing).
    f.recorder.Clear();
    ASSERT_EQ(f.filter.SetCriteria(kCreateIssues.data(), kCreateIssues.size()), 1);
    EXPECT_EQ(Rows(f.filter), FullRebuild(f.log, kCreateIssues));
    EXPECT_TRUE(f.recorder.codes().empty());
    // A refused image changes nothing.
    EXPECT_EQ(f.filter.SetCriteria(kMixedCriteria.data(), 100), 0);
    EXPECT_EQ(Rows(f.filter), FullRebuild(f.log, kCreateIssues));
}

TEST(Filter, AppendsGrowTheRowsAsAFullRebuildWould) {
    Fixture f;
    ASSERT_EQ(f.filter.SetCriteria(kMixedCriteria.data(), kMixedCriteria.size()), 1);
    f.filter.Apply(1);
    const std::vector<Bytes> stream = MixedStream(f.b, 60);
    size_t at = 0;
    for (size_t chunk = 1; at < stream.size(); chunk = chunk * 3 % 17 + 1) {
        const size_t end = std::min(stream.size(), at + chunk);
        const uint32_t before = f.log.GetRecordCount();
        f.log.ResetReads();
        f.Append(std::vector<Bytes>(stream.begin() + static_cast<std::ptrdiff_t>(at), stream.begin() + static_cast<std::ptrdiff_t>(end)));
        const uint32_t added = f.log.GetRecordCount() - before;
        EXPECT_EQ(f.log.reads(), added) << "only the appended records are tested";
        ASSERT_EQ(Rows(f.filter), FullRebuild(f.log, kMixedCriteria)) << "after record " << end;
        at = end;
    }
    EXPECT_GT(f.filter.GetRowCount(), 20u);

    // Cleared: no rows, and the next appends start from the first record.
    f.log.Clear();
    f.filter.OnLogNotify(LOG_NOTIFY_CLEARED);
    EXPECT_EQ(f.filter.GetRowCount(), 0u);
    f.Append(MixedStream(f.b, 3));
    EXPECT_EQ(Rows(f.filter), FullRebuild(f.log, kMixedCriteria));
    EXPECT_FALSE(Rows(f.filter).empty());

    // A log that lost records without a notice is filtered afresh.
    f.log.Clear();
    f.log.Append(MixedStream(f.b, 1));
    f.filter.OnLogNotify(LOG_NOTIFY_AFTER);
    EXPECT_EQ(Rows(f.filter), FullRebuild(f.log, kMixedCriteria));
}

TEST(Filter, AppendsWhileOffOnlyPost) {
    Fixture f;
    ASSERT_EQ(f.filter.SetCriteria(kMixedCriteria.data(), kMixedCriteria.size()), 1);
    f.log.ResetReads();
    f.Append(MixedStream(f.b, 4));
    EXPECT_EQ(f.log.reads(), 0u);
    EXPECT_EQ(f.recorder.codes(), (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(f.filter.GetRowCount(), f.log.GetRecordCount());
}

TEST(Filter, ReaderAppendsWhileTheListReads) {
    Fixture f;
    ASSERT_EQ(f.filter.SetCriteria(kMixedCriteria.data(), kMixedCriteria.size()), 1);
    f.filter.Apply(1);
    const std::vector<Bytes> stream = MixedStream(f.b, 80);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        for (size_t at = 0; at < stream.size(); at += 7) {
            const size_t end = std::min(stream.size(), at + 7);
            f.Append(std::vector<Bytes>(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                        stream.begin() + static_cast<std::ptrdiff_t>(end)));
        }
        done = true;
    });
    while (!done) {
        const uint32_t n = f.filter.GetRowCount();
        uint8_t buffer[FILTER_MATCH_VIEW_SIZE];
        CRecordView v;
        v.Init(buffer, sizeof buffer);
        for (uint32_t row = n > 5 ? n - 5 : 0; row < n; ++row) {
            EXPECT_EQ(f.filter.ReadRecord(row, v), S_OK32);
        }
        uint32_t first = 0, last = 0;
        if (f.filter.GetSequenceRange(first, last)) {
            EXPECT_LE(first, last);
        }
    }
    reader.join();
    EXPECT_EQ(Rows(f.filter), FullRebuild(f.log, kMixedCriteria));
}

TEST(FilterIndexArray, AppendsAcrossBlocksAndEmpties) {
    CFilterIndexArray rows;
    EXPECT_TRUE(rows.IsEmpty());
    const uint32_t n = 3 * CFilterIndexArray::kBlockSize + 5;
    for (uint32_t i = 0; i < n; ++i) rows.Append(i * 3 + 1);
    ASSERT_EQ(rows.GetSize(), n);
    for (uint32_t i : {0u, CFilterIndexArray::kBlockSize - 1, CFilterIndexArray::kBlockSize,
                       2 * CFilterIndexArray::kBlockSize + 7, n - 1})
        EXPECT_EQ(rows.GetAt(i), i * 3 + 1) << i;
    rows.RemoveAll();
    EXPECT_EQ(rows.GetSize(), 0u);
    rows.Append(42);
    EXPECT_EQ(rows.GetAt(0), 42u);
}
