// The capture list's rows: kind and error colours, the cache fill of one
// cache hint through the record filter, and the saved column layout.
#include <gtest/gtest.h>

#include <string>

#include "app/list/ListRows.h"
#include "base/Text.h"
#include "capture/Filter.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;
using brx::testing::FakeFilterLog;

namespace {

constexpr LIST_COLOR kWindow = MakeListColor(250, 251, 252);
constexpr LIST_COLOR kWindowText = MakeListColor(1, 2, 3);

class Rows : public ::testing::Test {
protected:
    FakeFilterLog log;
    RecordBuilder b;
    CFilter filter;
    CListCache cache;
    uint8_t a[612], c[612];
    CRecordPairView pair;
    COLUMN_TEXT_CONTEXT ctx;
    LIST_ROW_COLORS colors;

    void SetUp() override {
        filter.SetLogSource([this] { return static_cast<IFilterLog*>(&log); });
        pair.Init(a, sizeof a, c, sizeof c);
        ctx.layout = log.GetRecordLayout();
        ctx.frequency = 10000000;
        colors.window = kWindow;
        colors.windowText = kWindowText;
    }
    uint32_t Add(const Bytes& record) {
        log.Append(record);
        return log.GetRecordCount() - 1;
    }
    void Fill(int from, int to, int columns = COLUMN_COUNT) {
        FillListCacheRows(cache, filter, pair, ctx, from, to, columns, colors);
    }
    std::string Text(int row, int column) {
        char16_t out[COLUMN_TEXT_SIZE] = u"";
        if (!cache.Lookup(row, column, out, COLUMN_TEXT_SIZE)) return "<none>";
        return WideToUtf8(out);
    }
    CRecordView View(uint32_t index) {
        pair.Reset();
        EXPECT_EQ(log.ReadRecordPair(index, pair), S_OK32);
        return pair.record;
    }
};

TEST_F(Rows, KindColours) {
    DeviceSpec d;
    MassStorageDevice msc = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> command;
    AppendMassStorageCommand(b, msc, {0x00, 0, 0, 0, 0, 0}, false, 0, {}, 0, command);
    struct Case {
        Bytes record;
        int32_t colorClass;
        LIST_COLOR color;
    } cases[] = {
        {b.Create(d, b.NewIrp()), 2, MakeListColor(255, 232, 210)},
        {b.IrpIssue(d, 3, b.NewIrp()), 2, MakeListColor(255, 232, 210)},
        {b.Pnp(d, 9, b.NewIrp()), 3, MakeListColor(255, 255, 224)},
        {b.Power(d, 2, b.NewIrp()), 4, MakeListColor(255, 228, 228)},
        {b.IoctlIssue(d, 843, 0x22000F, 0, {}, b.NewIrp()), 7, MakeListColor(255, 232, 255)},
        {b.IoctlIssue(d, 4441, 0x22040C, 64, {}, b.NewIrp()), 8, MakeListColor(230, 255, 255)},
        {b.UrbIssue(d, PipeRequest(URB_FN_RESET_PIPE, PipeSpec{}), b.NewIrp()), 6, kWindow},
        {command[0], 15, MakeListColor(237, 255, 242)},
        {b.IrpIssue(d, 200, b.NewIrp()), 0, kWindow},
    };
    for (const Case& k : cases) {
        const CRecordView v = View(Add(k.record));
        EXPECT_EQ(GetKindColorClass(v), k.colorClass) << v.kind;
        EXPECT_EQ(GetKindBkColor(v, kWindow), k.color) << v.kind;
    }
    EXPECT_EQ(GetKindColor(9), MakeListColor(230, 238, 255));
    EXPECT_EQ(GetKindColor(13), MakeListColor(230, 255, 255));
    for (int32_t unused : {0, 1, 5, 6, 10, 14, 16, -1}) EXPECT_EQ(GetKindColor(unused), kNoColor) << unused;
}

TEST_F(Rows, ErrorTextColour) {
    DeviceSpec d;
    MassStorageDevice msc = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> good, bad;
    AppendMassStorageCommand(b, msc, {0x00, 0, 0, 0, 0, 0}, false, 0, {}, 0, good);
    AppendMassStorageCommand(b, msc, {0x00, 0, 0, 0, 0, 0}, false, 0, {}, 1, bad);
    UrbSpec stalled = BulkTransfer(PipeSpec{}, 8);
    stalled.usbdStatus = static_cast<int32_t>(0xC0000004);
    const uint32_t pnpOk = (Add(b.Pnp(d, 9, b.NewIrp())), Add(b.Complete(d, 49, b.Last(), 0)));
    const uint32_t pnpFailed = (Add(b.Pnp(d, 9, b.NewIrp())), Add(b.Complete(d, 49, b.Last(), 0xC00000BB)));
    // A negative NTSTATUS at issue is not a failure: only completions are.
    RequestSpec odd;
    odd.kind = 49;
    odd.status = 0xC0000001;
    const uint32_t issueWithStatus = Add(b.Request(odd));
    const uint32_t urbStalled = (Add(b.UrbIssue(d, stalled, b.NewIrp())), Add(b.UrbCompletion(d, stalled, b.Last(), 0)));
    for (const Bytes& r : good) Add(r);
    const uint32_t goodCsw = log.GetRecordCount() - 1;
    for (const Bytes& r : bad) Add(r);
    const uint32_t badCsw = log.GetRecordCount() - 1;
    struct Case {
        uint32_t index;
        LIST_COLOR color;
    } cases[] = {{pnpOk, kWindowText},    {pnpFailed, kErrorTextColor}, {issueWithStatus, kWindowText},
                 {urbStalled, kErrorTextColor}, {goodCsw, kWindowText}, {badCsw, kErrorTextColor}};
    for (const Case& k : cases)
        EXPECT_EQ(GetErrorTextColor(View(k.index), ctx.layout, kWindowText), k.color) << k.index;
    EXPECT_EQ(kErrorTextColor, 0x000000CCu);
}

TEST(RowShade, EachByteLessByFour) {
    EXPECT_EQ(GetOddRowShade(MakeListColor(255, 255, 255)), MakeListColor(251, 251, 251));
    EXPECT_EQ(GetOddRowShade(MakeListColor(2, 100, 4)), MakeListColor(254, 96, 0));
    EXPECT_EQ(GetOddRowShade(0), MakeListColor(252, 252, 252));
}

TEST_F(Rows, CacheHintFillsExactlyTheHintedRows) {
    DeviceSpec d;
    Add(b.StartMarker());                                           // row 0
    Add(b.Pnp(d, 9, b.NewIrp()));                                   // row 1
    Add(b.Complete(d, 49, b.Last(), 0xC00000BB));                   // row 2
    Add(b.DropMarker());                                            // row 3
    Add(b.RawRecord(3, Bytes(16, 0)));                              // row 4: other type
    Add(b.Power(d, 2, b.NewIrp()));                                 // row 5

    Fill(0, 4);
    // Start marker: three cells, window background, no text colour.
    EXPECT_EQ(Text(0, 0), "START");
    EXPECT_EQ(Text(0, 1), "0001");
    EXPECT_NE(Text(0, 2), "<none>");
    EXPECT_EQ(Text(0, 3), "<none>");
    EXPECT_EQ(cache.GetRowBkColor(0), kWindow);
    EXPECT_EQ(cache.GetRowTextColor(0), kNoColor);
    // Requests: fifteen cells with their colours.
    EXPECT_EQ(Text(1, 0), "PnP");
    EXPECT_EQ(Text(1, 5), "Query Capabilities");
    EXPECT_EQ(Text(1, 14), "");
    EXPECT_EQ(cache.GetRowBkColor(1), MakeListColor(255, 255, 224));
    EXPECT_EQ(cache.GetRowTextColor(1), kWindowText);
    EXPECT_EQ(Text(2, 1), "0003-0002");
    EXPECT_EQ(Text(2, 14), "Not Supported");
    EXPECT_EQ(cache.GetRowTextColor(2), kErrorTextColor);
    // Drop marker: error colour.
    EXPECT_EQ(Text(3, 0), "DROP");
    EXPECT_EQ(cache.GetRowTextColor(3), kErrorTextColor);
    EXPECT_EQ(cache.GetRowBkColor(3), kWindow);
    // Other record types and rows outside the hint: no cells.
    EXPECT_EQ(Text(4, 0), "<none>");
    EXPECT_EQ(Text(5, 0), "<none>");

    // The next hint replaces the cache.
    Fill(5, 7);
    EXPECT_EQ(Text(1, 0), "<none>");
    EXPECT_EQ(Text(5, 0), "Power");
    EXPECT_EQ(Text(6, 0), "<none>");  // past the log
}

TEST_F(Rows, ColouringSwitchesAndColumnCount) {
    DeviceSpec d;
    Add(b.Pnp(d, 9, b.NewIrp()));
    Add(b.Complete(d, 49, b.Last(), 0xC00000BB));
    Add(b.DropMarker());
    colors.colorizeBk = false;
    colors.colorizeErrorFg = false;
    Fill(0, 2, 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(cache.GetRowBkColor(row), kNoColor);
        EXPECT_EQ(cache.GetRowTextColor(row), kNoColor);
    }
    EXPECT_NE(Text(0, 2), "<none>");
    EXPECT_EQ(Text(0, 3), "<none>");
}

TEST_F(Rows, FilteredRowsFollowTheFilter) {
    // Without an active log nothing is read and the cache stays empty.
    CFilter empty;
    empty.SetLogSource([] { return static_cast<IFilterLog*>(nullptr); });
    FillListCacheRows(cache, empty, pair, ctx, 0, 10, COLUMN_COUNT, colors);
    EXPECT_EQ(Text(0, 0), "<none>");
    // Reversed and negative ranges fill nothing and do not fail.
    Add(b.StartMarker());
    Fill(3, 1);
    EXPECT_EQ(Text(0, 0), "<none>");
    Fill(-5, 0);
    EXPECT_EQ(Text(0, 0), "START");
}

// ---------------------------------------------------------------------------

std::vector<uint8_t> StateBytes(std::initializer_list<uint32_t> dwords) {
    std::vector<uint8_t> out;
    for (uint32_t v : dwords)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

TEST(ColumnState, RoundTrip) {
    COLUMN_STATE state = DefaultColumnState(15);
    ASSERT_EQ(state.order.size(), 15u);
    EXPECT_EQ(state.widths[0], 44);
    EXPECT_EQ(state.widths[14], 120);
    std::swap(state.order[0], state.order[3]);
    state.widths[5] = 333;
    state.visible[7] = 0;
    const std::vector<uint8_t> bytes = BuildColumnState(state);
    ASSERT_EQ(bytes.size(), 4u + 12 * 15);
    COLUMN_STATE back;
    ASSERT_TRUE(ParseColumnState(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.order, state.order);
    EXPECT_EQ(back.widths, state.widths);
    EXPECT_EQ(back.visible, state.visible);
}

struct BadState {
    const char* what;
    std::vector<uint8_t> bytes;
};

class DamagedColumnState : public ::testing::TestWithParam<BadState> {};

TEST_P(DamagedColumnState, IsRefused) {
    COLUMN_STATE state = DefaultColumnState(2);
    const std::vector<uint8_t>& bytes = GetParam().bytes;
    EXPECT_FALSE(ParseColumnState(bytes.empty() ? nullptr : bytes.data(), bytes.size(), state));
    EXPECT_EQ(state.order.size(), 2u) << "left untouched";
}

std::vector<uint8_t> Cut(std::vector<uint8_t> v, size_t n) {
    v.resize(n);
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedColumnState,
    ::testing::Values(BadState{"empty", {}}, BadState{"three bytes", {1, 0, 0}},
                      BadState{"zero count", StateBytes({0})},
                      BadState{"65 columns", StateBytes({65})},
                      BadState{"short", Cut(StateBytes({2, 0, 1, 10, 20, 1, 1}), 27)},
                      BadState{"long", StateBytes({2, 0, 1, 10, 20, 1, 1, 0})},
                      BadState{"repeated", StateBytes({2, 1, 1, 10, 20, 1, 1})},
                      BadState{"out of range", StateBytes({2, 0, 2, 10, 20, 1, 1})},
                      BadState{"negative", StateBytes({2, 0, 0xFFFFFFFF, 10, 20, 1, 1})}),
    [](const ::testing::TestParamInfo<BadState>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(ColumnState, OrderValidation) {
    const int32_t good[] = {2, 0, 1};
    const int32_t twice[] = {0, 0, 1};
    EXPECT_TRUE(IsValidColumnOrder(good, 3));
    EXPECT_FALSE(IsValidColumnOrder(twice, 3));
    EXPECT_FALSE(IsValidColumnOrder(good, 2));  // 2 is out of range for two columns
    EXPECT_TRUE(IsValidColumnOrder(nullptr, 0));
    std::vector<int32_t> big(65);
    for (int i = 0; i < 65; ++i) big[i] = i;
    EXPECT_FALSE(IsValidColumnOrder(big.data(), 65));
    EXPECT_TRUE(IsValidColumnOrder(big.data(), 64));
    big[63] = 64;  // out of range for 64 columns
    EXPECT_FALSE(IsValidColumnOrder(big.data(), 64));
    COLUMN_STATE mismatched = DefaultColumnState(3);
    mismatched.widths.pop_back();
    EXPECT_TRUE(BuildColumnState(mismatched).empty());
}

} // namespace
