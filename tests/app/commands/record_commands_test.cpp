// The list commands' reads of records: the corresponding request read with
// its own size, find next and previous over the rows, the elapsed-time
// reference and the device object of a row.
#include <gtest/gtest.h>

#include "app/commands/RecordCommands.h"
#include "base/ByteReader.h"
#include "tests/app/commands/CommandFixtures.h"

using namespace brx;
using brx::testing::CommandLog;
using brx::testing::CriteriaImage;

namespace {

uint32_t SequenceOfRow(CFilter& filter, uint32_t row) {
    const auto bytes = ReadWholeRowRecord(filter, row);
    EXPECT_TRUE(bytes.has_value());
    return bytes ? GetRecordSequence(bytes->data(), bytes->size()) : 0;
}

TEST(CorrespondingRequest, ALargeCompletionIsReadWithItsOwnSize) {
    CommandLog f;
    f.Build(3, 8192);
    const uint32_t issue = f.bulkIssues[1], completion = f.bulkCompletions[1];
    RECORD_INDEX_ENTRY issueEntry{}, completionEntry{};
    ASSERT_EQ(f.log.GetIndexEntry(issue, issueEntry), S_OK32);
    ASSERT_EQ(f.log.GetIndexEntry(completion, completionEntry), S_OK32);
    // The fault this guards against: the completion does not fit the issue's size.
    ASSERT_GT(GetEntryRecordSize(completionEntry), GetEntryRecordSize(issueEntry) + 8000);

    const auto fromIssue = CorrespondingSequence(f.filter, f.log, issue);
    ASSERT_TRUE(fromIssue.has_value());
    EXPECT_EQ(*fromIssue, SequenceOfRow(f.filter, completion));
    const auto fromCompletion = CorrespondingSequence(f.filter, f.log, completion);
    ASSERT_TRUE(fromCompletion.has_value());
    EXPECT_EQ(*fromCompletion, SequenceOfRow(f.filter, issue));
}

TEST(CorrespondingRequest, FollowsTheFilteredRowsToAHiddenCompanion) {
    CommandLog f;
    f.Build(4);
    // Bulk issues only: their completions are hidden.
    f.ApplyFilter(CriteriaImage(true, false, false, true, true, {brx::testing::kBulkPosition}));
    ASSERT_EQ(f.filter.GetRowCount(), 4u);
    const auto companion = CorrespondingSequence(f.filter, f.log, 2);
    ASSERT_TRUE(companion.has_value());
    EXPECT_EQ(*companion, f.bulkCompletions[2] + 1) << "sequence numbers start at 1 with the marker";
    EXPECT_EQ(f.filter.FindRowBySequence(*companion), NO_ROW);
}

TEST(CorrespondingRequest, NothingForMarkersLoneRecordsAndMissingRows) {
    CommandLog f;
    f.Build(2);
    DeviceSpec d;
    f.log.Append(f.builder.Create(d, f.builder.NewIrp()));  // never completed
    const uint32_t lone = f.log.GetRecordCount() - 1;
    EXPECT_FALSE(CorrespondingSequence(f.filter, f.log, 0).has_value()) << "start marker";
    EXPECT_FALSE(CorrespondingSequence(f.filter, f.log, lone).has_value());
    EXPECT_FALSE(CorrespondingSequence(f.filter, f.log, lone + 1).has_value());
}

TEST(CorrespondingRequest, ACompanionThatCannotBeReadWholeGivesNothing) {
    // A log whose reads come up short: the companion's bytes are not trusted.
    class ShortReads final : public IFilterLog {
    public:
        explicit ShortReads(IFilterLog& inner) : inner_(inner) {}
        uint32_t GetRecordCount() override { return inner_.GetRecordCount(); }
        HRESULT32 GetIndexEntry(uint32_t i, RECORD_INDEX_ENTRY& e) override { return inner_.GetIndexEntry(i, e); }
        HRESULT32 ReadRecord(uint32_t i, CRecordView& v) override {
            CRecordView shorter;
            shorter.Init(v.buffer, v.bufferSize / 2);
            return inner_.ReadRecord(i, shorter);
        }
        HRESULT32 ReadRecordPair(uint32_t i, CRecordPairView& p) override { return inner_.ReadRecordPair(i, p); }
        RECORD_LAYOUT GetRecordLayout() override { return inner_.GetRecordLayout(); }

    private:
        IFilterLog& inner_;
    };
    CommandLog f;
    f.Build(2);
    ShortReads log(f.log);
    EXPECT_FALSE(CorrespondingSequence(f.filter, log, f.bulkIssues[0]).has_value());
}

class FindRows : public ::testing::Test {
protected:
    void SetUp() override {
        f.Build(5);
        // Create issues: rows 1, 5, 9, 13, 17 of 21.
        ASSERT_EQ(criteria.SetImage(createIssues.data(), createIssues.size()), 1);
    }
    std::optional<uint32_t> Find(int64_t selected, bool forward) {
        return FindMatchingRow(f.filter, f.log.GetRecordLayout(), criteria, f.filter.GetRowCount(), selected, forward);
    }
    CommandLog f;
    CFindSettings criteria;
    std::vector<uint8_t> createIssues = CriteriaImage(true, false, false, false, false, {brx::testing::kCreatePosition});
};

TEST_F(FindRows, NextStartsAfterTheSelection) {
    EXPECT_EQ(Find(-1, true), 1u);
    EXPECT_EQ(Find(1, true), 5u);
    EXPECT_EQ(Find(2, true), 5u);
    EXPECT_EQ(Find(17, true), std::nullopt);
    EXPECT_EQ(Find(20, true), std::nullopt);
}

TEST_F(FindRows, PrevStartsBeforeTheSelection) {
    EXPECT_EQ(Find(-1, false), 17u);
    EXPECT_EQ(Find(17, false), 13u);
    EXPECT_EQ(Find(6, false), 5u);
    EXPECT_EQ(Find(1, false), std::nullopt) << "no earlier match";
    EXPECT_EQ(Find(0, false), std::nullopt);
}

TEST_F(FindRows, AnEmptyListOrCriteriaThatMatchNothingFindNothing) {
    EXPECT_EQ(FindMatchingRow(f.filter, f.log.GetRecordLayout(), criteria, 0, -1, true), std::nullopt);
    CFindSettings none;
    EXPECT_EQ(FindMatchingRow(f.filter, f.log.GetRecordLayout(), none, 21, -1, true), std::nullopt);
}

TEST_F(FindRows, SearchesTheFilteredRows) {
    f.ApplyFilter(CriteriaImage(true, true, false, false, false, {brx::testing::kCreatePosition}));
    ASSERT_EQ(f.filter.GetRowCount(), 10u);  // Create issues and completions
    EXPECT_EQ(Find(-1, true), 0u);
    EXPECT_EQ(Find(0, true), 2u);
    EXPECT_EQ(Find(-1, false), 8u);
}

TEST(RowRecords, WholeRecordsGiveTheReferenceAndTheDeviceObject) {
    CommandLog f;
    f.Build(2);
    const auto bulk = ReadWholeRowRecord(f.filter, f.bulkCompletions[1]);
    ASSERT_TRUE(bulk.has_value());
    const auto ref = ReferenceOfRecord(*bulk);
    ASSERT_TRUE(ref.has_value());
    EXPECT_EQ(ref->sequence, f.bulkCompletions[1] + 1);
    EXPECT_EQ(ref->counter, static_cast<uint64_t>(GetRecordCounter(bulk->data(), bulk->size())));
    EXPECT_NE(ref->counter, 0u);

    const auto device = DeviceObjectOfRecord(*bulk, f.log.GetRecordLayout());
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(*device, DeviceSpec{}.deviceObject);

    const auto marker = ReadWholeRowRecord(f.filter, 0);
    ASSERT_TRUE(marker.has_value());
    EXPECT_FALSE(DeviceObjectOfRecord(*marker, f.log.GetRecordLayout()).has_value());
    EXPECT_FALSE(ReadWholeRowRecord(f.filter, 99).has_value());
    EXPECT_FALSE(ReferenceOfRecord(std::vector<uint8_t>(20, 0)).has_value());
}

} // namespace

namespace {

// Rounds' bulk completions carry 4096 bytes of 0x40 + round; the last round
// (5000 bytes) ends in 0x99 0x98, past what a find's view copies.
class FindPattern : public ::testing::Test {
protected:
    void SetUp() override {
        f.Build(4);
        DeviceSpec d;
        UrbSpec in = BulkTransfer(PipeSpec{0x81}, 5000);
        std::vector<Bytes> records;
        records.push_back(f.builder.UrbIssue(d, in, f.builder.NewIrp()));
        const Issued issued = f.builder.Last();
        in.data = Bytes(5000, 0x11);
        in.data[4998] = 0x99;
        in.data[4999] = 0x98;
        lastCompletion = f.log.GetRecordCount() + 1;
        records.push_back(f.builder.UrbCompletion(d, in, issued));
        f.log.Append(records);
    }
    std::optional<uint32_t> Find(std::vector<uint8_t> pattern, int64_t selected, bool forward) {
        std::vector<uint8_t> image =
            CriteriaImage(true, true, false, true, false, {brx::testing::kBulkPosition, brx::testing::kCreatePosition});
        image[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(pattern.size());
        std::copy(pattern.begin(), pattern.end(), image.begin() + CRITERIA_PATTERN);
        CFindSettings criteria;
        EXPECT_EQ(criteria.SetImage(image.data(), image.size()), 1);
        return FindMatchingRow(f.filter, f.log.GetRecordLayout(), criteria, f.filter.GetRowCount(), selected, forward);
    }
    CommandLog f;
    uint32_t lastCompletion = 0;
};

TEST_F(FindPattern, LandsOnTheRecordsWhoseDataHoldThePattern) {
    EXPECT_EQ(Find({0x42, 0x42}, -1, true), f.bulkCompletions[2]);
    EXPECT_EQ(Find({0x42, 0x42}, -1, false), f.bulkCompletions[2]);
    EXPECT_EQ(Find({0x42, 0x42}, f.bulkCompletions[2], true), std::nullopt);
    EXPECT_EQ(Find({0x40}, f.bulkCompletions[0], true), std::nullopt);
    EXPECT_EQ(Find({0x41, 0x42}, -1, true), std::nullopt);  // never side by side
    // Without a pattern the first match is the first Create issue.
    EXPECT_EQ(Find({}, -1, true), f.creates[0]);
}

TEST_F(FindPattern, ThePatternIsFoundPastTheFindsView) {
    ASSERT_GT(5000u, FIND_VIEW_SIZE);
    EXPECT_EQ(Find({0x99, 0x98}, -1, true), lastCompletion);
    EXPECT_EQ(Find({0x99, 0x98}, -1, false), lastCompletion);
    EXPECT_EQ(Find({0x98, 0x99}, -1, true), std::nullopt);
}

} // namespace
