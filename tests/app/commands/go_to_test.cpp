// Going to a record: the strict reading of the typed number, the warnings'
// texts, and the choice between a row and a warning over a real filter.
#include <gtest/gtest.h>

#include "app/commands/GoTo.h"
#include "tests/app/commands/CommandFixtures.h"

using namespace brx;
using brx::testing::CommandLog;
using brx::testing::CriteriaImage;

namespace {

struct ParseCase {
    const char16_t* text;
    bool valid;
    uint32_t value;
};

TEST(ParseSequenceNumber, TakesDigitsOnlyWithin32Bits) {
    const ParseCase cases[] = {
        {u"", false, 0},
        {u"0", true, 0},
        {u"7", true, 7},
        {u"0001", true, 1},
        {u"500", true, 500},
        {u"2147483648", true, 2147483648u},
        {u"4294967295", true, 4294967295u},
        {u"4294967296", false, 0},
        {u"9999999999", false, 0},
        {u"42949672950", false, 0},
        {u"12a", false, 0},     // the system's lenient reading takes this as 12
        {u"a12", false, 0},
        {u" 12", false, 0},
        {u"12 ", false, 0},
        {u"-1", false, 0},
        {u"+1", false, 0},
        {u"1.5", false, 0},
        {u"\uFF11", false, 0},  // full-width one
        {u"\u0661", false, 0},  // Arabic-Indic one
    };
    for (const ParseCase& c : cases) {
        const std::u16string text(c.text);
        const auto got = ParseSequenceNumber(text);
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        ASSERT_EQ(got.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(*got, c.value);
        }
    }
}

TEST(GoToTexts, AreTheProgramsOwn) {
    EXPECT_EQ(GoToOutOfRangeText(0, false, 1, 500), "The record with sequence number 0 is out of range (1-500).");
    EXPECT_EQ(GoToOutOfRangeText(600, true, 20, 480),
              "The record with sequence number 600 is out of visible range (20-480).");
    EXPECT_EQ(GoToFilteredOutText(17), "The record with sequence number 17 is filtered out.");
    // The whole unsigned range prints as typed, never as a negative number.
    EXPECT_EQ(GoToOutOfRangeText(4294967295u, false, 1, 3000000000u),
              "The record with sequence number 4294967295 is out of range (1-3000000000).");
}

// Sequence numbers 1 (marker) .. 1 + 4 * rounds.
class GoToRecord : public ::testing::Test {
protected:
    void SetUp() override { f.Build(10); }
    std::optional<SequenceRange> LogRange() { return SequenceRange{1, 41}; }
    CommandLog f;
};

TEST_F(GoToRecord, SelectsTheRowOfANumberInRange) {
    for (uint32_t n : {1u, 2u, 23u, 41u}) {
        const GoToResult r = ResolveGoTo(n, LogRange(), f.filter);
        ASSERT_EQ(r.kind, GoToResult::Select) << n;
        EXPECT_EQ(r.row, n - 1);
    }
}

TEST_F(GoToRecord, OutsideTheLogGivesTheRange) {
    GoToResult r = ResolveGoTo(0, LogRange(), f.filter);
    ASSERT_EQ(r.kind, GoToResult::Message);
    EXPECT_EQ(r.message, "The record with sequence number 0 is out of range (1-41).");
    r = ResolveGoTo(42, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 42 is out of range (1-41).");
    r = ResolveGoTo(4294967295u, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 4294967295 is out of range (1-41).");
}

TEST_F(GoToRecord, WithoutTheLogsRangeNothingHappens) {
    EXPECT_EQ(ResolveGoTo(3, std::nullopt, f.filter).kind, GoToResult::Nothing);
}

TEST_F(GoToRecord, AppliedFilterNamesTheVisibleRangeAndHiddenRecords) {
    // Only Create issues: sequence numbers 2, 6, ..., 38.
    f.ApplyFilter(CriteriaImage(true, false, false, false, false, {brx::testing::kCreatePosition}));
    ASSERT_EQ(f.filter.GetRowCount(), 10u);

    GoToResult r = ResolveGoTo(1, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 1 is out of visible range (2-38).");
    r = ResolveGoTo(40, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 40 is out of visible range (2-38).");
    r = ResolveGoTo(41, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 41 is out of visible range (2-38).");
    r = ResolveGoTo(3, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 3 is filtered out.");
    r = ResolveGoTo(42, LogRange(), f.filter);
    EXPECT_EQ(r.message, "The record with sequence number 42 is out of range (1-41).") << "the log's range first";
    r = ResolveGoTo(14, LogRange(), f.filter);
    ASSERT_EQ(r.kind, GoToResult::Select);
    EXPECT_EQ(r.row, 3u);
}

TEST_F(GoToRecord, AppliedFilterWithoutRowsGoesNowhere) {
    // Issues of failed requests only: none in this log.
    f.ApplyFilter(CriteriaImage(false, false, true, false, false, {brx::testing::kCreatePosition}));
    ASSERT_EQ(f.filter.GetRowCount(), 0u);
    EXPECT_EQ(ResolveGoTo(3, LogRange(), f.filter).kind, GoToResult::Nothing);
}

} // namespace
