// Match criteria: the kind positions, matching of each record kind by phase
// and direction, the image, the registry blob and the kind bitmap, with the
// wrong sizes and offsets that must leave the criteria as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "capture/MatchCriteria.h"
#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;
using brx::testing::FakeFilterLog;

namespace {

using Image = std::vector<uint8_t>;

// The bytes of a record that the filter's match sees.
constexpr uint32_t kViewBytes = 612;

enum Phase : uint8_t { ISSUE = 1, SUCCESS = 2, FAILURE = 4, INPUT = 8, OUTPUT = 16 };

Image MakeImage(uint8_t flags, const std::vector<int32_t>& positions) {
    Image image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = (flags & ISSUE) ? 1 : 0;
    image[CRITERIA_SUCCESS] = (flags & SUCCESS) ? 1 : 0;
    image[CRITERIA_FAILURE] = (flags & FAILURE) ? 1 : 0;
    image[CRITERIA_INPUT] = (flags & INPUT) ? 1 : 0;
    image[CRITERIA_OUTPUT] = (flags & OUTPUT) ? 1 : 0;
    for (int32_t p : positions) image.at(CRITERIA_KINDS + p) = 1;
    return image;
}
Image AllKinds(uint8_t flags) {
    std::vector<int32_t> all;
    for (int32_t i = 0; i < static_cast<int32_t>(KIND_SELECTION_COUNT); ++i) all.push_back(i);
    return MakeImage(flags, all);
}
CMatchCriteria Criteria(const Image& image) {
    CMatchCriteria c;
    EXPECT_EQ(c.SetImage(image.data(), image.size()), 1);
    return c;
}
Image ImageOf(const CMatchCriteria& c) {
    Image image(CRITERIA_IMAGE_SIZE, 0xEE);
    EXPECT_EQ(c.GetImage(image.data(), image.size()), 1);
    return image;
}

DeviceSpec Dev() { return DeviceSpec{}; }

// Builds the records of one case into a log; the last one is tested.
struct Records {
    RecordBuilder b;
    std::vector<Bytes> list;
    Issued Add(const Bytes& r) {
        list.push_back(r);
        return b.Last();
    }
};

using Build = void (*)(Records&);

void CreateIssue(Records& r) { r.Add(r.b.Create(Dev(), r.b.NewIrp())); }
void CreateDone(Records& r) { r.Add(r.b.Complete(Dev(), KIND_CREATE, r.Add(r.b.Create(Dev(), r.b.NewIrp())), 0)); }
void CreateDenied(Records& r) {
    r.Add(r.b.Complete(Dev(), KIND_CREATE, r.Add(r.b.Create(Dev(), r.b.NewIrp())), 0xC0000022));
}
void CloseIssue(Records& r) { r.Add(r.b.Close(Dev(), r.b.NewIrp())); }
void CleanupIssue(Records& r) { r.Add(r.b.IrpIssue(Dev(), KIND_CLEANUP, r.b.NewIrp())); }
void Power0(Records& r) { r.Add(r.b.Power(Dev(), 0, r.b.NewIrp())); }
void Power3(Records& r) { r.Add(r.b.Power(Dev(), 3, r.b.NewIrp())); }
void Power4(Records& r) { r.Add(r.b.Power(Dev(), 4, r.b.NewIrp())); }
void Pnp0(Records& r) { r.Add(r.b.Pnp(Dev(), 0, r.b.NewIrp(), IrpForm::Short)); }
void Pnp24(Records& r) { r.Add(r.b.Pnp(Dev(), 24, r.b.NewIrp())); }
void Pnp25(Records& r) { r.Add(r.b.Pnp(Dev(), 25, r.b.NewIrp())); }
void BulkIn(Records& r) { r.Add(r.b.UrbIssue(Dev(), BulkTransfer(PipeSpec{0x81}, 64), r.b.NewIrp())); }
void BulkOut(Records& r) { r.Add(r.b.UrbIssue(Dev(), BulkTransfer(PipeSpec{0x02}, 8, Bytes(8, 1)), r.b.NewIrp())); }
void BulkInDone(Records& r) {
    UrbSpec u = BulkTransfer(PipeSpec{0x81}, 4);
    Issued i = r.Add(r.b.UrbIssue(Dev(), u, r.b.NewIrp()));
    u.data = {1, 2, 3, 4};
    r.Add(r.b.UrbCompletion(Dev(), u, i, 0));
}
void BulkInFailed(Records& r) {
    UrbSpec u = BulkTransfer(PipeSpec{0x81}, 4);
    Issued i = r.Add(r.b.UrbIssue(Dev(), u, r.b.NewIrp()));
    u.usbdStatus = static_cast<int32_t>(0xC0000004);
    r.Add(r.b.UrbCompletion(Dev(), u, i, 0xC0000001));
}
void GetDeviceDescriptor(Records& r) { r.Add(r.b.UrbIssue(Dev(), GetDescriptor(1, 0, 0, 18), r.b.NewIrp())); }
void AbortPipe(Records& r) { r.Add(r.b.UrbIssue(Dev(), PipeRequest(URB_FN_ABORT_PIPE, PipeSpec{}), r.b.NewIrp())); }
void SyncClearStall(Records& r) {
    r.Add(r.b.UrbIssue(Dev(), PipeRequest(URB_FN_SYNC_CLEAR_STALL, PipeSpec{}), r.b.NewIrp()));
}
// A URB function past the last known one: the record's kind is a URB kind,
// but no position exists for it.
void UrbFunction35(Records& r) {
    UrbSpec u = PipeRequest(URB_FN_ABORT_PIPE, PipeSpec{});
    Bytes rec = r.b.UrbIssue(Dev(), u, r.b.NewIrp());
    const uint32_t block = 56 + 148;
    const uint32_t urb = block + (rec[block + 2] | (rec[block + 3] << 8));
    PutU16(rec, urb + 2, 0x35);
    r.Add(rec);
}
void Kmio841(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 841, 0x220007, 0, {}, r.b.NewIrp())); }
void Kmio842(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 842, 0x22000B, 0, {}, r.b.NewIrp())); }
void Kmio1108(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 1108, 0x220433, 0, {}, r.b.NewIrp())); }
void Umio4350(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 4350, 0x220428, 0, {}, r.b.NewIrp())); }
void Umio4351(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 4351, 0x220424, 0, {}, r.b.NewIrp())); }
void Umio4457(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 4457, 0x22044C, 0, {}, r.b.NewIrp())); }
void Umio4458(Records& r) { r.Add(r.b.IoctlIssue(Dev(), 4458, 0x220450, 0, {}, r.b.NewIrp())); }
void Start(Records& r) { r.Add(r.b.StartMarker()); }
void Drop(Records& r) { r.Add(r.b.DropMarker()); }
void MassStorage(Records& r, uint8_t status) {
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    AppendMassStorageCommand(r.b, dev, {0x00, 0, 0, 0, 0, 0}, false, 0, {}, status, r.list);
}
void CswFailed(Records& r) { MassStorage(r, 1); }
void CswPassed(Records& r) { MassStorage(r, 0); }
// The same status wrapper on an interface that is not Bulk-Only.
void CswOnOtherInterface(Records& r) {
    MassStorage(r, 1);
    r.list.back()[56 + 148 + URB_BLOCK_INTERFACE_PROTOCOL] = 0x62;
}

struct MatchCase {
    const char* name;
    Build build;
    uint8_t flags;
    std::vector<int32_t> positions;  // empty: every position selected
    int expected;
};

const MatchCase kMatchCases[] = {
    {"create issue", CreateIssue, ISSUE, {0}, 1},
    {"create issue, completions only", CreateIssue, SUCCESS | FAILURE, {}, 0},
    {"create issue, other kinds", CreateIssue, ISSUE, {1, 2, 8}, 0},
    {"create done, success", CreateDone, SUCCESS, {0}, 1},
    {"create done, failure", CreateDone, FAILURE | ISSUE, {}, 0},
    {"create denied, failure", CreateDenied, FAILURE, {0}, 1},
    {"create denied, success", CreateDenied, SUCCESS | ISSUE, {}, 0},
    {"close", CloseIssue, ISSUE, {1}, 1},
    {"cleanup", CleanupIssue, ISSUE, {2}, 1},
    {"power 0", Power0, ISSUE, {8}, 1},
    {"power 3", Power3, ISSUE, {11}, 1},
    {"power kind 24 never", Power4, ISSUE | SUCCESS | FAILURE, {}, 0},
    {"pnp 0", Pnp0, ISSUE, {32}, 1},
    {"pnp 24", Pnp24, ISSUE, {56}, 1},
    {"pnp kind 65 never", Pnp25, ISSUE | SUCCESS | FAILURE, {}, 0},
    {"bulk in, input", BulkIn, ISSUE | INPUT, {64 + 9}, 1},
    {"bulk in, output only", BulkIn, ISSUE | OUTPUT, {64 + 9}, 0},
    {"bulk in, no direction flag", BulkIn, ISSUE, {64 + 9}, 0},
    {"bulk out, output", BulkOut, ISSUE | OUTPUT, {64 + 9}, 1},
    {"bulk out, input only", BulkOut, ISSUE | INPUT, {64 + 9}, 0},
    {"bulk in, kind position not the function's", BulkIn, ISSUE | INPUT | OUTPUT, {64 + 8, 64 + 0x0A}, 0},
    {"bulk in done", BulkInDone, SUCCESS | INPUT, {64 + 9}, 1},
    {"bulk in failed, success", BulkInFailed, SUCCESS | INPUT | OUTPUT, {}, 0},
    {"bulk in failed, failure", BulkInFailed, FAILURE | INPUT, {64 + 9}, 1},
    {"get descriptor in", GetDeviceDescriptor, ISSUE | INPUT, {64 + 0x0B}, 1},
    {"abort pipe has no direction", AbortPipe, ISSUE | INPUT | OUTPUT, {}, 0},
    {"sync clear stall has no direction", SyncClearStall, ISSUE | INPUT | OUTPUT, {}, 0},
    {"URB function 35h", UrbFunction35, ISSUE | INPUT | OUTPUT, {}, 0},
    {"kernel control 841", Kmio841, ISSUE, {161}, 1},
    {"kernel control 842 never", Kmio842, ISSUE | SUCCESS | FAILURE, {}, 0},
    {"kernel control 1108", Kmio1108, ISSUE, {174}, 1},
    {"user control 4350", Umio4350, ISSUE, {197}, 1},
    {"user control 4350 not at 196", Umio4350, ISSUE, {196}, 0},
    {"user control 4351", Umio4351, ISSUE, {196}, 1},
    {"user control 4457 never", Umio4457, ISSUE | SUCCESS | FAILURE, {}, 0},
    {"user control 4458", Umio4458, ISSUE, {213}, 1},
    {"start marker", Start, ISSUE | SUCCESS | FAILURE | INPUT | OUTPUT, {}, 0},
    {"drop marker", Drop, ISSUE | SUCCESS | FAILURE | INPUT | OUTPUT, {}, 0},
    {"failed status wrapper, failure", CswFailed, FAILURE | INPUT, {64 + 9}, 1},
    {"failed status wrapper, success", CswFailed, SUCCESS | INPUT | OUTPUT, {}, 0},
    {"passed status wrapper, success", CswPassed, SUCCESS | INPUT, {64 + 9}, 1},
    {"passed status wrapper, failure", CswPassed, FAILURE | INPUT | OUTPUT, {}, 0},
    {"status wrapper, other protocol", CswOnOtherInterface, SUCCESS | INPUT, {64 + 9}, 1},
    {"no phase matches nothing", BulkIn, INPUT | OUTPUT, {}, 0},
};

// Reads the last record of the case through the log and matches it.
int MatchLast(Records& r, const CMatchCriteria& c) {
    FakeFilterLog log;
    log.Append(r.list);
    uint8_t buffer[kViewBytes];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    EXPECT_EQ(log.ReadRecord(log.GetRecordCount() - 1, view), S_OK32);
    return c.Match(view, log.GetRecordLayout());
}

} // namespace

TEST(KindIndex, Positions) {
    struct Row {
        uint32_t kind;
        int32_t position;
    };
    const Row rows[] = {
        {0, -1},      {1, 0},       {2, 1},       {3, 2},       {4, -1},      {19, -1},     {20, 8},
        {23, 11},     {24, -1},     {27, -1},     {39, -1},     {40, 32},     {64, 56},     {65, -1},
        {71, -1},     {139, -1},    {340, -1},    {349, -1},    {839, -1},    {840, -1},    {841, 161},
        {842, -1},    {843, 163},   {849, 169},   {850, -1},    {1103, -1},   {1104, 170},  {1108, 174},
        {1109, -1},   {4339, -1},   {4340, 192},  {4343, 195},  {4344, -1},   {4349, -1},   {4350, 197},
        {4351, 196},  {4352, 198},  {4354, 200},  {4355, -1},   {4439, -1},   {4440, 201},  {4446, 207},
        {4447, -1},   {4452, -1},   {4453, 208},  {4456, 211},  {4457, -1},   {4458, 213},  {4459, -1},
        {9539, -1},   {65535, -1},
    };
    for (const Row& row : rows) EXPECT_EQ(KindIndexOf(row.kind), row.position) << "kind " << row.kind;
    EXPECT_EQ(KindIndexOfUrbFunction(0), 64);
    EXPECT_EQ(KindIndexOfUrbFunction(0x34), 116);
    EXPECT_EQ(KindIndexOfUrbFunction(0x35), -1);
    EXPECT_EQ(KindIndexOfUrbFunction(0xFFFF), -1);
}

TEST(KindIndex, EveryPositionHasOneKindAtMost) {
    std::set<int32_t> seen;
    for (uint32_t kind = 0; kind <= 0xFFFF; ++kind) {
        int32_t p = KindIndexOf(kind);
        if (p < 0) continue;
        EXPECT_LT(p, 640);
        EXPECT_TRUE(seen.insert(p).second) << "position " << p << " taken twice";
        EXPECT_FALSE(p >= 64 && p <= 116) << "URB positions come from the function";
    }
    EXPECT_EQ(seen.count(212), 0u);
    EXPECT_EQ(seen.size(), 3u + 4 + 25 + 8 + 5 + 4 + 1 + 1 + 3 + 7 + 4 + 1);
}

TEST(MatchCriteria, EachRecordKindByPhaseAndDirection) {
    for (const MatchCase& c : kMatchCases) {
        Records r;
        c.build(r);
        const Image image = c.positions.empty() ? AllKinds(c.flags) : MakeImage(c.flags, c.positions);
        EXPECT_EQ(MatchLast(r, Criteria(image)), c.expected) << c.name;
    }
}

TEST(MatchCriteria, NoPhaseMeansNoMatchAndNoCanMatch) {
    CMatchCriteria c = Criteria(AllKinds(INPUT | OUTPUT));
    EXPECT_EQ(c.CanMatch(), 0u);
    for (Build build : {CreateIssue, CreateDone, BulkIn, Umio4351}) {
        Records r;
        build(r);
        EXPECT_EQ(MatchLast(r, c), 0);
    }
    EXPECT_EQ(Criteria(MakeImage(ISSUE, {0})).CanMatch(), 1u);
    EXPECT_EQ(Criteria(MakeImage(FAILURE, {213})).CanMatch(), 1u);
    EXPECT_EQ(Criteria(MakeImage(ISSUE | SUCCESS | FAILURE, {})).CanMatch(), 0u);
}

TEST(MatchCriteria, ViewsThatLackTheirPartsDoNotMatch) {
    // A bulk transfer whose view was read too short to hold the URB: its
    // function is unknown, so it cannot match.
    Records r;
    BulkIn(r);
    FakeFilterLog log;
    log.Append(r.list);
    CMatchCriteria c = Criteria(AllKinds(ISSUE | INPUT | OUTPUT));
    for (uint32_t size : {8u, 60u, 56u + 148 + 8, 56u + 148 + 48 + 15}) {
        std::vector<uint8_t> buffer(size);
        CRecordView view;
        view.Init(buffer.data(), size);
        ASSERT_EQ(log.ReadRecord(0, view), S_OK32);
        EXPECT_EQ(c.Match(view, log.GetRecordLayout()), 0) << size;
    }
    std::vector<uint8_t> buffer(kViewBytes);
    CRecordView view;
    view.Init(buffer.data(), kViewBytes);
    ASSERT_EQ(log.ReadRecord(0, view), S_OK32);
    EXPECT_EQ(c.Match(view, log.GetRecordLayout()), 1);
    // An unbound view is no record.
    CRecordView empty;
    EXPECT_EQ(c.Match(empty, log.GetRecordLayout()), 0);
}

TEST(MatchCriteria, ImageKeepsFlagsAndSelectionsOnly) {
    Image image = MakeImage(ISSUE | FAILURE | OUTPUT, {0, 56, 64 + 9, 213, 639});
    image[CRITERIA_KINDS + 100] = 2;   // not a selection
    image[CRITERIA_KINDS + 101] = 0xFF;
    image[3] = 7;                      // reserved bytes are ignored
    for (uint32_t i = 6; i < CRITERIA_KINDS; ++i) image[i] = 0xA5;
    image[CRITERIA_PATTERN_COUNT] = 0;  // without a pattern its bytes are ignored too
    CMatchCriteria c = Criteria(image);
    Image out = ImageOf(c);
    Image expected = MakeImage(ISSUE | FAILURE | OUTPUT, {0, 56, 64 + 9, 213, 639});
    EXPECT_EQ(out, expected);
    EXPECT_EQ(c.CanMatch(), 1u);

    // Selection bytes of 2 only: nothing is selected.
    Image twos = MakeImage(ISSUE, {});
    for (uint32_t i = 0; i < KIND_SELECTION_COUNT; ++i) twos[CRITERIA_KINDS + i] = 2;
    CMatchCriteria none = Criteria(twos);
    EXPECT_EQ(none.CanMatch(), 0u);
    Records r;
    CreateIssue(r);
    EXPECT_EQ(MatchLast(r, none), 0);

    // A flag byte of 2 is not set.
    Image flag2 = MakeImage(0, {0});
    flag2[CRITERIA_ISSUE] = 2;
    CMatchCriteria unset = Criteria(flag2);
    EXPECT_EQ(unset.CanMatch(), 0u);
    EXPECT_EQ(MatchLast(r, unset), 0);
}

TEST(MatchCriteria, ImageOfWrongSizeIsRefused) {
    CMatchCriteria c = Criteria(MakeImage(ISSUE, {0, 1}));
    const Image before = ImageOf(c);
    Image other = AllKinds(SUCCESS);
    for (size_t size : {size_t{0}, size_t{907}, size_t{909}, size_t{96}}) {
        Image sized(size, 1);
        EXPECT_EQ(c.SetImage(sized.data(), sized.size()), 0) << size;
    }
    EXPECT_EQ(c.SetImage(nullptr, CRITERIA_IMAGE_SIZE), 0);
    EXPECT_EQ(ImageOf(c), before);
    EXPECT_EQ(c.CanMatch(), 1u);
    Image small(907);
    EXPECT_EQ(c.GetImage(small.data(), small.size()), 0);
    EXPECT_EQ(c.SetImage(other.data(), other.size()), 1);
    c.Reset();
    EXPECT_EQ(ImageOf(c), Image(CRITERIA_IMAGE_SIZE, 0));
    EXPECT_EQ(c.CanMatch(), 0u);
}

TEST(MatchCriteria, SectionsOfTheDerivedCriteria) {
    EXPECT_EQ(std::wstring(CMatchCriteria().GetSection()), L"");
    EXPECT_EQ(std::wstring(CFilterSettings().GetSection()), L"FilterSettings");
    EXPECT_EQ(std::wstring(CFindSettings().GetSection()), L"FindSettings");
}

// ---------------------------------------------------------------------------
// Blob and bitmap

TEST(CriteriaBlob, LayoutAndRoundTrip) {
    CMatchCriteria c = Criteria(MakeImage(ISSUE | SUCCESS | FAILURE | INPUT | OUTPUT, {0, 7, 8, 64 + 9, 639}));
    CriteriaBlob blob = c.ToBlob();
    ByteReader r(blob.data(), blob.size());
    EXPECT_EQ(r.u32le_or(0), 96u);
    EXPECT_EQ(r.u32le_or(4), 12u);
    EXPECT_EQ(r.u32le_or(8), 0x1Fu);
    EXPECT_EQ(r.u32le_or(12), 84u);
    EXPECT_EQ(blob[16], 0x81);            // selections 0 and 7, most significant bit first
    EXPECT_EQ(blob[17], 0x80);            // selection 8
    EXPECT_EQ(blob[16 + 73 / 8], 0x40);   // selection 73 = 64 + 9
    EXPECT_EQ(blob[95], 0x01);            // selection 639

    CMatchCriteria back;
    EXPECT_EQ(back.FromBlob(blob.data(), blob.size()), 1);
    EXPECT_EQ(ImageOf(back), ImageOf(c));
    EXPECT_EQ(back.CanMatch(), 1u);

    // Each flag on its own.
    const uint8_t flags[] = {ISSUE, SUCCESS, FAILURE, INPUT, OUTPUT};
    for (uint32_t i = 0; i < 5; ++i) {
        CMatchCriteria one = Criteria(MakeImage(flags[i], {}));
        CriteriaBlob b = one.ToBlob();
        EXPECT_EQ(ByteReader(b.data(), b.size()).u32le_or(8), 1u << i);
        CMatchCriteria read;
        ASSERT_EQ(read.FromBlob(b.data(), b.size()), 1);
        EXPECT_EQ(ImageOf(read), ImageOf(one));
    }
}

TEST(CriteriaBlob, BadBlobsLeaveTheCriteriaAsTheyWere) {
    CMatchCriteria base = Criteria(AllKinds(ISSUE | SUCCESS | FAILURE | INPUT | OUTPUT));
    const CriteriaBlob good = Criteria(MakeImage(FAILURE, {3})).ToBlob();
    struct Case {
        const char* name;
        size_t size;         // bytes handed over
        uint32_t total;      // total-size field
        uint32_t offset;     // bitmap offset
        uint32_t bitmapSize; // bitmap size field
    };
    const Case cases[] = {
        {"empty", 0, 96, 12, 84},
        {"header only", 12, 96, 12, 84},
        {"total size 12", 96, 12, 12, 84},
        {"total size 0", 96, 0, 12, 84},
        {"total size past the bytes", 96, 200, 12, 84},
        {"offset 96", 96, 96, 96, 84},
        {"offset past the end", 96, 96, 0xFFFFFFF0u, 84},
        {"offset 11", 96, 96, 11, 84},
        {"offset 0", 96, 96, 0, 84},
        {"bitmap of 4 bytes left", 96, 96, 92, 84},
        {"bitmap size 4", 96, 96, 12, 4},
        {"bitmap size 0", 96, 96, 12, 0},
        {"cut to 16 bytes", 16, 16, 12, 84},
    };
    for (const Case& c : cases) {
        Bytes blob(good.begin(), good.end());
        blob.resize(std::max<size_t>(c.size, 16));
        PutU32(blob, 0, c.total);
        PutU32(blob, 4, c.offset);
        PutU32(blob, 12, c.bitmapSize);
        CMatchCriteria criteria = base;
        EXPECT_EQ(criteria.FromBlob(blob.data(), c.size), 0) << c.name;
        EXPECT_EQ(ImageOf(criteria), ImageOf(base)) << c.name;
        EXPECT_EQ(criteria.CanMatch(), 1u) << c.name;
    }
    CMatchCriteria criteria = base;
    EXPECT_EQ(criteria.FromBlob(nullptr, 96), 0);
    EXPECT_EQ(ImageOf(criteria), ImageOf(base));
}

TEST(CriteriaBlob, OtherOffsetsAndSizesThatFit) {
    CMatchCriteria source = Criteria(MakeImage(ISSUE | INPUT, {0, 100, 320, 639}));
    const CriteriaBlob blob = source.ToBlob();

    // The bitmap moved to offset 20 of a larger value.
    Bytes moved(120, 0);
    std::copy(blob.begin(), blob.begin() + 12, moved.begin());
    std::copy(blob.begin() + 12, blob.end(), moved.begin() + 20);
    PutU32(moved, 0, 120);
    PutU32(moved, 4, 20);
    CMatchCriteria a;
    EXPECT_EQ(a.FromBlob(moved.data(), moved.size()), 1);
    EXPECT_EQ(ImageOf(a), ImageOf(source));

    // A bitmap whose size field is 44 gives selections 0..319 only.
    Bytes half(blob.begin(), blob.end());
    PutU32(half, 12, 44);
    CMatchCriteria b;
    EXPECT_EQ(b.FromBlob(half.data(), half.size()), 1);
    EXPECT_EQ(ImageOf(b), MakeImage(ISSUE | INPUT, {0, 100}));

    // Flag bits beyond the five are ignored.
    Bytes extra(blob.begin(), blob.end());
    PutU32(extra, 8, 0xFFFFFFE0u | CRITERIA_FLAG_OUTPUT);
    CMatchCriteria d;
    EXPECT_EQ(d.FromBlob(extra.data(), extra.size()), 1);
    EXPECT_EQ(ImageOf(d), MakeImage(OUTPUT, {0, 100, 320, 639}));
    EXPECT_EQ(d.CanMatch(), 0u);
}

TEST(KindBitmap, PackAndUnpackRoundTrip) {
    std::vector<uint8_t> selections(640, 0);
    for (uint32_t i = 0; i < 640; ++i) selections[i] = (i * 7 + i / 5) % 3 == 0 ? 1 : (i % 11 == 0 ? 2 : 0);
    uint8_t bitmap[KIND_BITMAP_SIZE + 4];
    std::memset(bitmap, 0xCC, sizeof bitmap);
    ASSERT_EQ(PackKindBitmap(selections.data(), selections.size(), bitmap, sizeof bitmap), 1);
    EXPECT_EQ(ByteReader(bitmap, 4).u32le_or(0), 84u);
    EXPECT_EQ(bitmap[84], 0) << "the whole target is zeroed";
    std::vector<uint8_t> back(640, 0xEE);
    ASSERT_EQ(UnpackKindBitmap(bitmap, KIND_BITMAP_SIZE, back.data(), back.size()), 1);
    for (uint32_t i = 0; i < 640; ++i) EXPECT_EQ(back[i], selections[i] == 1 ? 1 : 0) << i;
}

TEST(KindBitmap, SizesThatAreRefusedOrClipped) {
    std::vector<uint8_t> selections(640, 1);
    uint8_t bitmap[KIND_BITMAP_SIZE];
    EXPECT_EQ(PackKindBitmap(selections.data(), 639, bitmap, sizeof bitmap), 0);
    EXPECT_EQ(PackKindBitmap(selections.data(), 640, bitmap, 83), 0);
    EXPECT_EQ(PackKindBitmap(nullptr, 640, bitmap, sizeof bitmap), 0);
    ASSERT_EQ(PackKindBitmap(selections.data(), 640, bitmap, sizeof bitmap), 1);

    std::vector<uint8_t> target(640, 0xEE);
    EXPECT_EQ(UnpackKindBitmap(bitmap, 84, target.data(), 639), 0);
    EXPECT_EQ(target[0], 0xEE) << "a target too small is not touched";
    EXPECT_EQ(UnpackKindBitmap(bitmap, 4, target.data(), 640), 0);
    EXPECT_EQ(UnpackKindBitmap(bitmap, 0, target.data(), 640), 0);
    EXPECT_EQ(target[0], 0);

    // Fewer bytes available than the size field says: only those are read.
    ASSERT_EQ(UnpackKindBitmap(bitmap, 5, target.data(), 640), 1);
    for (uint32_t i = 0; i < 640; ++i) ASSERT_EQ(target[i], i < 8 ? 1 : 0) << i;

    // A size field above 84 with bits set past the 640th: those are ignored.
    Bytes big(100, 0xFF);
    PutU32(big, 0, 100);
    ASSERT_EQ(UnpackKindBitmap(big.data(), big.size(), target.data(), 640), 1);
    for (uint32_t i = 0; i < 640; ++i) ASSERT_EQ(target[i], 1) << i;
}

// ---------------------------------------------------------------------------
// Data pattern

namespace {

Image WithPattern(Image image, const std::vector<uint8_t>& pattern) {
    image[CRITERIA_PATTERN_COUNT] = static_cast<uint8_t>(pattern.size());
    std::copy(pattern.begin(), pattern.end(), image.begin() + CRITERIA_PATTERN);
    return image;
}

} // namespace

TEST(CriteriaPattern, TheImageKeepsThePattern) {
    const Image image = WithPattern(MakeImage(ISSUE, {3}), {0xDE, 0xAD, 0x00, 0xEF});
    CFindSettings c = {};
    ASSERT_EQ(c.SetImage(image.data(), image.size()), 1);
    EXPECT_EQ(c.PatternLength(), 4u);
    EXPECT_EQ(ImageOf(c), image);
    // Bytes past the count are not kept.
    Image extra = image;
    extra[CRITERIA_PATTERN + 4] = 0x55;
    c.SetImage(extra.data(), extra.size());
    EXPECT_EQ(ImageOf(c), image);
}

TEST(CriteriaPattern, MatchesAnywhereInTheData) {
    struct Case {
        std::vector<uint8_t> pattern;
        std::vector<uint8_t> data;
        int expected;
    } cases[] = {
        {{}, {}, 1},                                  // no pattern: everything
        {{0x12}, {}, 0},                              // no data: no match
        {{0x12, 0x34}, {0x12, 0x34}, 1},              // whole
        {{0x34, 0x56}, {0x12, 0x34, 0x56, 0x78}, 1},  // middle
        {{0x78}, {0x12, 0x34, 0x56, 0x78}, 1},        // last byte
        {{0x56, 0x78, 0x9A}, {0x12, 0x34, 0x56, 0x78}, 0},  // runs past the end
        {{0x12, 0x56}, {0x12, 0x34, 0x56}, 0},        // not contiguous
        {{0x00, 0x00}, {0x00, 0x01, 0x00, 0x00}, 1},
    };
    for (const Case& k : cases) {
        CFindSettings c;
        const Image image = WithPattern(MakeImage(ISSUE, {3}), k.pattern);
        c.SetImage(image.data(), image.size());
        EXPECT_EQ(c.MatchPattern(k.data.data(), k.data.size()), k.expected) << k.pattern.size() << "/" << k.data.size();
    }
}

TEST(CriteriaPattern, StoredBlobRoundTripAndOldBlobs) {
    std::vector<uint8_t> pattern(CRITERIA_PATTERN_MAX);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(255 - i);
    for (size_t length : {size_t{1}, size_t{16}, size_t{255}}) {
        CFindSettings c;
        const Image image = WithPattern(MakeImage(ISSUE | INPUT, {64 + 9}), {pattern.begin(), pattern.begin() + length});
        c.SetImage(image.data(), image.size());
        const std::vector<uint8_t> blob = c.ToStoredBlob();
        EXPECT_EQ(blob.size(), CRITERIA_BLOB_SIZE + 4 + length);
        EXPECT_EQ(ByteReader(blob.data(), blob.size()).u32le_or(0), blob.size());
        CFindSettings back;
        ASSERT_EQ(back.FromBlob(blob.data(), blob.size()), 1);
        EXPECT_EQ(ImageOf(back), image) << length;
        // Cut short by one byte: the total no longer fits, refused whole.
        CFindSettings cut = back;
        EXPECT_EQ(cut.FromBlob(blob.data(), blob.size() - 1), 0);
        EXPECT_EQ(ImageOf(cut), image);
    }
    // Without a pattern the stored blob is the fixed 96 bytes.
    CFindSettings plain = {};
    const Image image = MakeImage(ISSUE, {1});
    plain.SetImage(image.data(), image.size());
    EXPECT_EQ(plain.ToStoredBlob().size(), CRITERIA_BLOB_SIZE);
    // A tail whose count runs past the total size is no pattern.
    std::vector<uint8_t> bad = plain.ToStoredBlob();
    bad.resize(CRITERIA_BLOB_SIZE + 4 + 8);
    PutLe32(bad.data(), static_cast<uint32_t>(bad.size()));
    PutLe32(bad.data() + CRITERIA_BLOB_SIZE, 300);
    CFindSettings read;
    ASSERT_EQ(read.FromBlob(bad.data(), bad.size()), 1);
    EXPECT_EQ(read.PatternLength(), 0u);
}
