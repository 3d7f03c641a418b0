// The capture store on a real scratch file: write windows and fullness posts,
// commits through the index array, record and pair reads, notification
// blocks, clear, close. Records come from the record builder and reach the
// store as the reader thread delivers them: written into the window handed
// out, then committed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <string>
#include <vector>

#include "capture/RequestKind.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/MessageTarget.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"
#include "tests/capture/win/ScratchFolder.h"

using namespace brx;
using fixtures::ScratchFolder;

namespace {

constexpr uint32_t kMB = 1u << 20;
constexpr uint32_t kKB = 1u << 10;

// What the store posted, in order. Without a window nothing is posted.
class RecordingTarget final : public IMessageTarget {
public:
    BOOL PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (!hasWindow) return FALSE;
        EXPECT_EQ(message, WM_LOGFULLNESS);
        EXPECT_EQ(lParam, 0);
        values.push_back(static_cast<uint32_t>(wParam));
        return TRUE;
    }
    bool hasWindow = true;
    std::vector<uint32_t> values;
};

// Reserved memory whose commits fail once `limit` bytes are committed.
class LimitedMemory final : public IReservedMemory {
public:
    explicit LimitedMemory(size_t limit) : limit_(limit) {}
    uint32_t GetPageSize() const override { return heap_.GetPageSize(); }
    uint32_t GetGranularity() const override { return heap_.GetGranularity(); }
    void* Reserve(size_t bytes) override { return heap_.Reserve(bytes); }
    bool Commit(void* address, size_t bytes) override {
        if (bytes > limit_ - committed_) return false;
        committed_ += bytes;
        return heap_.Commit(address, bytes);
    }
    void Release(void* region, size_t bytes) override { heap_.Release(region, bytes); }

private:
    CHeapReservedMemory heap_;
    size_t limit_;
    size_t committed_ = 0;
};

class CaptureStore : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(store->CreateTempFile(folder.path().c_str(), 8 * kMB), S_OK);
        store->SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
    }

    // The reader thread's turn: a window, the bytes written into it, a commit.
    HRESULT Deliver(const Bytes& bytes) {
        uint8_t* window = nullptr;
        uint32_t length = 0;
        const HRESULT hr = store->AcquireWriteWindow(&window, &length);
        if (FAILED(hr)) return hr;
        if (length < bytes.size()) return E_FAIL;
        std::memcpy(window, bytes.data(), bytes.size());
        return store->CommitCapturedData(window, static_cast<uint32_t>(bytes.size()));
    }
    HRESULT Deliver(const std::vector<Bytes>& records) {
        RecordStream s;
        s.Add(records);
        return Deliver(s.bytes());
    }

    RECORD_INDEX_ENTRY Entry(uint32_t i) {
        RECORD_INDEX_ENTRY e{};
        EXPECT_EQ(store->GetIndexEntry(i, &e), S_OK) << i;
        return e;
    }

    ScratchFolder folder;   // outlives the store, which removes its file
    RecordingTarget target;
    std::unique_ptr<CCaptureStore> store = std::make_unique<CCaptureStore>(&target);
    RecordBuilder b;
};

const Bytes kInquiry = {0x12, 0, 0, 0, 36, 0};
const Bytes kRead10 = {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0};

} // namespace

// ---------------------------------------------------------------------------
// Windows and fullness

TEST_F(CaptureStore, FullAt192KbFreeOnAn8MbScratchPostsOneHundredOnce) {
    EXPECT_EQ(store->GetRecordLayout().requestOffset, kDriverRecordLayout.requestOffset);
    // Eight drop markers fill all but the reserve and one 24-byte marker.
    const uint32_t reserve = 192 * kKB;
    const uint32_t fill = 8 * kMB - reserve - 24;
    for (int i = 0; i < 8; ++i) ASSERT_EQ(Deliver(b.RawRecord(RECORD_TYPE_DROP, Bytes(fill / 8 - 24, 0))), S_OK);
    EXPECT_FALSE(store->IsFull());
    uint8_t* window = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(store->AcquireWriteWindow(&window, &length), S_OK);
    EXPECT_EQ(length, reserve + 24);
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    EXPECT_EQ(store->GetRecordCount(), 9u);

    // 192 KB free: full, however often asked.
    EXPECT_TRUE(store->IsFull());
    for (int i = 0; i < 5; ++i) {
        window = reinterpret_cast<uint8_t*>(1);
        length = 1;
        EXPECT_EQ(store->AcquireWriteWindow(&window, &length), HR_LOG_E_FULL);
        EXPECT_EQ(window, nullptr);
        EXPECT_EQ(length, 0u);
    }
    // 0 from the creation, 1 from the first window, one post per new value.
    const std::vector<uint32_t> expected = {0, 1, 12, 24, 37, 49, 62, 74, 87, 99, 100};
    EXPECT_EQ(target.values, expected);
}

TEST_F(CaptureStore, FullnessStartsAtOneAndZeroComesOnlyFromCreateAndClear) {
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    ASSERT_EQ(Deliver(b.DropMarker()), S_OK);   // still 1%: not posted again
    EXPECT_EQ(target.values, (std::vector<uint32_t>{0, 1}));
    EXPECT_TRUE(store->Clear());
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    EXPECT_EQ(target.values, (std::vector<uint32_t>{0, 1, 0, 1}));

    // No main window: nothing goes out and nothing is taken as posted; the
    // value goes out once there is a window again.
    target.hasWindow = false;
    EXPECT_FALSE(store->Clear());
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    target.hasWindow = true;
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    EXPECT_EQ(target.values, (std::vector<uint32_t>{0, 1, 0, 1}));
    EXPECT_TRUE(store->Clear());
    EXPECT_EQ(target.values.back(), 0u);
}

TEST(FullnessNotifier, ReachesTheMainWindowOnlyWhileThereIsOne) {
    SetAppMainWindow(nullptr);
    CFullnessNotifier notifier(MainWindowTarget());
    EXPECT_FALSE(notifier.Post(5));
    EXPECT_EQ(notifier.GetLastPosted(), -1);

    HWND main = CreateWindowExW(0, L"STATIC", L"main", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    SetAppMainWindow(main);
    EXPECT_TRUE(notifier.Post(5));
    EXPECT_FALSE(notifier.Post(5));
    EXPECT_TRUE(notifier.Post(100));
    MSG msg;
    std::vector<WPARAM> got;
    while (PeekMessageW(&msg, main, WM_LOGFULLNESS, WM_LOGFULLNESS, PM_REMOVE)) {
        EXPECT_EQ(msg.lParam, 0);
        got.push_back(msg.wParam);
    }
    EXPECT_EQ(got, (std::vector<WPARAM>{5, 100}));
    SetAppMainWindow(nullptr);
    DestroyWindow(main);
}

TEST(CaptureStoreCreate, MissingFolderAndSizesOutsideTheRange) {
    RecordingTarget target;
    CCaptureStore store(&target);
    EXPECT_FALSE(store.IsLive());
    EXPECT_TRUE(store.IsFull());   // no scratch file: no capture into it
    EXPECT_EQ(store.GetBaseBlock().size, 32u);
    EXPECT_EQ(store.GetRecordLayout().valid, 0u);
    EXPECT_EQ(store.CreateTempFile(L"Z:\\no\\such\\folder", 8 * kMB), STG_E_PATHNOTFOUND);
    EXPECT_EQ(store.CreateTempFile(nullptr, 8 * kMB), STG_E_PATHNOTFOUND);
    EXPECT_FALSE(store.IsLive());
    uint8_t* window = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(store.AcquireWriteWindow(&window, &length), HR_LOG_E_FULL);

    ScratchFolder folder;
    {
        CCaptureStore small(&target);
        ASSERT_EQ(small.CreateTempFile(folder.path().c_str(), 1 * kMB), S_OK);
        EXPECT_TRUE(small.IsLive());
        EXPECT_FALSE(small.HasUnsavedRecords());
        ASSERT_EQ(small.AcquireWriteWindow(&window, &length), S_OK);
        EXPECT_EQ(length, 8 * kMB);   // held to 8 MB
        FILETIME t = small.GetCreationTime();
        EXPECT_TRUE(t.dwHighDateTime != 0 || t.dwLowDateTime != 0);
    }
    EXPECT_TRUE(folder.Files().empty());
}

// ---------------------------------------------------------------------------
// Commit and linking

TEST_F(CaptureStore, CommitIndexesLinksAndDatesTheLog) {
    DeviceSpec d;
    std::vector<Bytes> recs;
    const uint64_t firstTime = b.FileTime();
    const int64_t firstCounter = b.Counter();
    recs.push_back(b.StartMarker());
    recs.push_back(b.Create(d, b.NewIrp()));
    const Issued create = b.Last();
    recs.push_back(b.UrbIssue(d, BulkTransfer(PipeSpec{}, 64), b.NewIrp()));
    const Issued bulk = b.Last();
    recs.push_back(b.Complete(d, KIND_CREATE, create, 0));
    recs.push_back(b.UrbCompletion(d, BulkTransfer(PipeSpec{}, 64, Bytes(64, 0x77)), bulk));
    RecordStream s;
    s.Add(recs);
    ASSERT_EQ(Deliver(s.bytes()), S_OK);
    ASSERT_EQ(store->GetRecordCount(), 5u);
    EXPECT_TRUE(store->HasUnsavedRecords());
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(Entry(i).position, s.offsets()[i]);
    EXPECT_EQ(Entry(1).companion, 3u);
    EXPECT_EQ(Entry(3).companion, 1u);
    EXPECT_EQ(Entry(2).companion, 4u);
    EXPECT_EQ(Entry(4).companion, 2u);

    const CAPTURE_BASE_BLOCK base = store->GetBaseBlock();
    EXPECT_EQ(base.size, 32u);
    EXPECT_EQ(base.firstTime, firstTime);
    EXPECT_EQ(base.firstCounter, firstCounter);
    EXPECT_EQ(store->GetFirstCounterStamp(), firstCounter);
    store->SetCounterFrequency(10000000);
    EXPECT_EQ(store->GetCounterFrequency(), 10000000);
    // Later windows do not move the origin.
    ASSERT_EQ(Deliver(b.DropMarker()), S_OK);
    EXPECT_EQ(store->GetBaseBlock().firstTime, firstTime);

    // The view of the bulk completion: its parts and its issue.
    uint8_t buffer[1024];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    ASSERT_EQ(store->ReadRecordView(4, view), S_OK);
    EXPECT_EQ(view.index, 4u);
    EXPECT_TRUE(view.completion);
    EXPECT_EQ(view.companion, 2u);
    EXPECT_EQ(view.direction, DIRECTION_IN);
    ASSERT_EQ(view.dataLength, 64u);
    EXPECT_EQ(view.data[0], 0x77);
    EXPECT_EQ(view.copied, recs[4].size());
    EXPECT_EQ(std::memcmp(buffer, recs[4].data(), recs[4].size()), 0);
    // A buffer too small for the data clips it.
    CRecordView small;
    small.Init(buffer, static_cast<uint32_t>(recs[4].size() - 10));
    ASSERT_EQ(store->ReadRecordView(4, small), S_OK);
    EXPECT_EQ(small.dataLength, 54u);
    // Outside the index.
    EXPECT_EQ(store->ReadRecordView(6, view), STG_E_READFAULT);
    EXPECT_EQ(view.dataLength, 0u);
    RECORD_INDEX_ENTRY e;
    EXPECT_EQ(store->GetIndexEntry(6, &e), STG_E_READFAULT);
}

TEST_F(CaptureStore, CompletionBeforeItsIssueKeepsNoCompanion) {
    DeviceSpec d;
    b.SetSequence(10);
    // The completion names issue 50, which comes after it.
    ASSERT_EQ(Deliver(b.Complete(d, KIND_CREATE, Issued{50, 0x8A000000}, 0)), S_OK);
    b.SetSequence(50);
    ASSERT_EQ(Deliver(b.Create(d, 0x8A000000)), S_OK);
    EXPECT_EQ(Entry(0).companion, NO_INDEX);
    EXPECT_EQ(Entry(1).companion, NO_INDEX);
}

TEST_F(CaptureStore, RepeatedSequenceNumberTakesTheSlotOver) {
    DeviceSpec d;
    b.SetSequence(5);
    std::vector<Bytes> recs;
    recs.push_back(b.Create(d, 0x8A000100));
    b.SetSequence(5);
    recs.push_back(b.Create(d, 0x8A000200));
    recs.push_back(b.Complete(d, KIND_CREATE, Issued{5, 0x8A000200}, 0));
    ASSERT_EQ(Deliver(recs), S_OK);
    EXPECT_EQ(Entry(0).companion, NO_INDEX);
    EXPECT_EQ(Entry(1).companion, 2u);
    EXPECT_EQ(Entry(2).companion, 1u);
}

TEST_F(CaptureStore, CommitRefusesWhatIsNotTheHandedOutWindow) {
    uint8_t* window = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(store->AcquireWriteWindow(&window, &length), S_OK);
    const Bytes marker = b.StartMarker();
    std::memcpy(window, marker.data(), marker.size());
    // Below the request offset (24 in the driver's layout).
    EXPECT_EQ(store->CommitCapturedData(window, 23), E_FAIL);
    // Not the write position, past the scratch, no window at all.
    EXPECT_EQ(store->CommitCapturedData(window + 24, 24), E_FAIL);
    EXPECT_EQ(store->CommitCapturedData(window, length + 1), E_FAIL);
    EXPECT_EQ(store->CommitCapturedData(nullptr, 24), E_FAIL);
    EXPECT_EQ(store->GetRecordCount(), 0u);
    EXPECT_FALSE(store->HasUnsavedRecords());
    ASSERT_EQ(store->CommitCapturedData(window, 24), S_OK);
    EXPECT_EQ(store->GetRecordCount(), 1u);
}

TEST_F(CaptureStore, BadSizeStopsTheWalkAndTheWritePositionStaysAtIt) {
    RecordStream s;
    s.Add(b.StartMarker());
    Bytes bad = b.DropMarker();
    PutU32(bad, 0, 0x04000000);   // size 0
    s.Add(bad);
    s.Add(b.DropMarker());
    ASSERT_EQ(Deliver(s.bytes()), S_OK);
    EXPECT_EQ(store->GetRecordCount(), 1u);
    // The next window starts where the walk stopped.
    ASSERT_EQ(Deliver(b.DropMarker()), S_OK);
    ASSERT_EQ(store->GetRecordCount(), 2u);
    EXPECT_EQ(Entry(1).position, 24u);
}

TEST(CaptureStoreMemory, FailedIndexGrowthFailsTheCommitCleanly) {
    ScratchFolder folder;
    RecordingTarget target;
    LimitedMemory memory(16 * kKB);   // room for 455 entries
    {
        CCaptureStore store(&target, &memory);
        ASSERT_EQ(store.CreateTempFile(folder.path().c_str(), 8 * kMB), S_OK);
        store.SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
        RecordBuilder b;
        RecordStream s;
        for (int i = 0; i < 600; ++i) s.Add(b.StartMarker());
        uint8_t* window = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(store.AcquireWriteWindow(&window, &length), S_OK);
        std::memcpy(window, s.bytes().data(), s.bytes().size());
        EXPECT_EQ(store.CommitCapturedData(window, static_cast<uint32_t>(s.bytes().size())),
                  STG_E_INSUFFICIENTMEMORY);
        const uint32_t n = store.GetRecordCount();
        EXPECT_EQ(n, 16 * kKB / sizeof(RECORD_INDEX_ENTRY));
        // The scratch holds exactly the indexed records; the next window
        // starts after them, so nothing is lost or indexed twice.
        uint8_t* next = nullptr;
        ASSERT_EQ(store.AcquireWriteWindow(&next, &length), S_OK);
        EXPECT_EQ(next, window + n * 24);
        RECORD_INDEX_ENTRY e;
        ASSERT_EQ(store.GetIndexEntry(n - 1, &e), S_OK);
        EXPECT_EQ(e.position, (n - 1) * 24);
    }
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(CaptureStore, RecordsWithoutDriverInformationUseTheDefaultLayout) {
    store->ResetDriverInfo();
    EXPECT_EQ(store->GetRecordLayout().valid, 0u);
    RecordBuilder d(kDefaultRecordLayout);
    DeviceSpec dev;
    std::vector<Bytes> recs;
    recs.push_back(d.Create(dev, d.NewIrp()));
    recs.push_back(d.Complete(dev, KIND_CREATE, d.Last(), 0));
    ASSERT_EQ(Deliver(recs), S_OK);
    const RECORD_LAYOUT l = store->GetRecordLayout();
    EXPECT_EQ(std::memcmp(&l, &kDefaultRecordLayout, sizeof l), 0);
    EXPECT_EQ(Entry(1).companion, 0u);
    EXPECT_EQ(Entry(1).kind, KIND_CREATE);
}

TEST_F(CaptureStore, HundredThousandMixedRecordsIndexIntoAsManyLinkedEntries) {
    const RecordStream s = fixtures::MixedStream(100000, b);
    ASSERT_EQ(s.count(), 100000u);
    // About 35 MB of records: a scratch with room for them.
    ASSERT_LT(s.bytes().size(), 60 * kMB);
    ASSERT_EQ(store->CreateTempFile(folder.path().c_str(), 64 * kMB), S_OK);
    store->SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
    // Windows of about 2 MB cut at record boundaries, as the driver fills them.
    size_t at = 0;
    while (at < s.bytes().size()) {
        const size_t end = fixtures::WindowEnd(s, at, 2 * kMB);
        ASSERT_EQ(Deliver(Bytes(s.bytes().begin() + at, s.bytes().begin() + end)), S_OK);
        at = end;
    }
    ASSERT_EQ(store->GetRecordCount(), 100000u);

    size_t completions = 0, issues = 0, markers = 0, tied = 0;
    std::vector<uint32_t> positions(100000);
    for (uint32_t i = 0; i < 100000; ++i) {
        const RECORD_INDEX_ENTRY e = Entry(i);
        positions[i] = e.position;
        ASSERT_EQ(e.position, s.offsets()[i]);
        if (IsEntryMassStorage(e) && !IsEntryCommandWrapper(e)) {
            ++tied;
            ASSERT_LT(e.commandWrapper, i);
            ASSERT_TRUE(IsEntryCommandWrapper(Entry(e.commandWrapper)));
        }
        if (GetEntryRecordType(e) != RECORD_TYPE_REQUEST) {
            ++markers;
        } else if (IsEntryCompletion(e)) {
            ++completions;
            ASSERT_LT(e.companion, i) << i;
            ASSERT_EQ(Entry(e.companion).companion, i);
        } else {
            ++issues;
            if (e.companion == NO_INDEX) {
                EXPECT_GE(i, 99990u);
            }
        }
    }
    EXPECT_EQ(markers + completions + issues, 100000u);
    EXPECT_GT(completions, 40000u);
    EXPECT_GT(tied, 10000u);

    // The record sizes a save would take: the distances between positions.
    std::vector<uint32_t> sizes(100000);
    store->GetRecordSizes(positions.data(), sizes.data(), 100000);
    for (uint32_t i = 0; i < 100000; ++i) {
        const size_t next = i + 1 < 100000 ? s.offsets()[i + 1] : s.bytes().size();
        ASSERT_EQ(sizes[i], next - s.offsets()[i]) << i;
    }
}

// ---------------------------------------------------------------------------
// Mass storage

TEST_F(CaptureStore, CommandDataStatusTieAndClear) {
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(b, dev, kRead10, true, 512, Bytes(512, 0xAB), 0, recs);
    // A data stage after the status wrapper belongs to no command.
    recs.push_back(b.UrbIssue(dev.device, BulkTransfer(dev.bulkIn, 512), b.NewIrp()));
    ASSERT_EQ(Deliver(recs), S_OK);
    ASSERT_EQ(store->GetRecordCount(), 7u);
    EXPECT_TRUE(IsEntryCommandWrapper(Entry(0)));
    for (uint32_t i = 1; i <= 5; ++i) {
        EXPECT_TRUE(IsEntryMassStorage(Entry(i))) << i;
        EXPECT_EQ(Entry(i).commandWrapper, 0u) << i;
        EXPECT_EQ(Entry(i).opcode, 0x28) << i;
    }
    EXPECT_TRUE(IsEntryStatusWrapper(Entry(5)));
    EXPECT_FALSE(IsEntryMassStorage(Entry(6)));
    EXPECT_EQ(Entry(6).commandWrapper, NO_INDEX);

    // READ(10) is decoded without its command block: pairs bring none.
    uint8_t a[1024], c[1024];
    CRecordPairView pair;
    pair.Init(a, sizeof a, c, sizeof c);
    ASSERT_EQ(store->ReadRecordPair(3, pair), S_OK);
    EXPECT_EQ(pair.companionPresent, 1u);
    EXPECT_EQ(pair.companion.index, 2u);
    EXPECT_EQ(pair.cdbPresent, 0u);
}

TEST_F(CaptureStore, PairOfAnInquiryDataStageBringsCompanionAndCommandBlock) {
    MassStorageDevice dev = MakeMassStorageDevice(0x85550000);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(b, dev, kInquiry, true, 36, InquiryData(0x05, 0x05), 0, recs);
    AppendMassStorageCommand(b, dev, kRead10, true, 64, Bytes(64, 0), 0, recs);
    ASSERT_EQ(Deliver(recs), S_OK);
    ASSERT_EQ(store->GetRecordCount(), 12u);

    // INQUIRY answered: peripheral type 05h and version 05h make MMC, SPC-3.
    EXPECT_EQ(Entry(3).deviceKind, MSC_KIND_MMC);
    EXPECT_EQ(Entry(3).spcVersion, 5u);
    for (uint32_t i = 6; i < 12; ++i) {
        EXPECT_EQ(Entry(i).deviceKind, MSC_KIND_MMC) << i;
        EXPECT_EQ(Entry(i).spcVersion, 5u) << i;
    }

    uint8_t a[1024], c[1024];
    CRecordPairView pair;
    pair.Init(a, sizeof a, c, sizeof c);
    ASSERT_EQ(store->ReadRecordPair(3, pair), S_OK);
    EXPECT_EQ(pair.record.index, 3u);
    EXPECT_EQ(pair.record.dataLength, 36u);
    EXPECT_EQ(pair.record.massStorageBytes[0], 0x12);
    EXPECT_EQ(pair.record.massStorageBytes[2], MSC_KIND_MMC);
    EXPECT_EQ(pair.record.massStorageBytes[3], 5);
    ASSERT_EQ(pair.companionPresent, 1u);
    EXPECT_EQ(pair.companion.index, 2u);
    EXPECT_FALSE(pair.companion.completion);
    ASSERT_EQ(pair.cdbPresent, 1u);
    uint8_t cdb[16] = {};
    std::copy(kInquiry.begin(), kInquiry.end(), cdb);
    EXPECT_EQ(std::memcmp(pair.cdb, cdb, 16), 0);
    // The data stage's issue has it too.
    ASSERT_EQ(store->ReadRecordPair(2, pair), S_OK);
    EXPECT_EQ(pair.cdbPresent, 1u);

    // Neither the wrappers nor the stages beside them get a command block:
    // the CBW itself, its completion (companion of a CBW), the CSW's issue
    // (companion of a CSW) and the CSW.
    for (uint32_t i : {0u, 1u, 4u, 5u}) {
        pair.cdbPresent = 7;
        ASSERT_EQ(store->ReadRecordPair(i, pair), S_OK) << i;
        EXPECT_EQ(pair.cdbPresent, 0u) << i;
        EXPECT_EQ(pair.companionPresent, 1u) << i;
    }
}

TEST_F(CaptureStore, PairOfAMarkerOrAnUnlinkedRecordHasNoCompanion) {
    DeviceSpec d;
    ASSERT_EQ(Deliver({b.StartMarker(), b.Create(d, b.NewIrp())}), S_OK);
    uint8_t a[512], c[512];
    CRecordPairView pair;
    pair.Init(a, sizeof a, c, sizeof c);
    for (uint32_t i : {0u, 1u}) {
        pair.companionPresent = 3;
        ASSERT_EQ(store->ReadRecordPair(i, pair), S_OK);
        EXPECT_EQ(pair.companionPresent, 0u);
        EXPECT_EQ(pair.cdbPresent, 0u);
    }
    EXPECT_EQ(store->ReadRecordPair(2, pair), STG_E_READFAULT);
}

// ---------------------------------------------------------------------------
// Notification blocks and names

TEST_F(CaptureStore, NamesFromNotificationBlocks) {
    Bytes buffer = NameListBlock(1, {{0x89A01030, 0x89A01000, u"USBPDO-7"}});
    const Bytes drivers = NameListBlock(3, {{0x89B00200, 1, u"\\Driver\\usbhub"}});
    buffer.insert(buffer.end(), drivers.begin(), drivers.end());
    EXPECT_TRUE(store->AddDriverNotifications(buffer.data(), buffer.size()));

    char16_t name[64];
    EXPECT_EQ(store->LookupDeviceName({0x89A01030, 0x89A01000}, name, 64), 8u);
    EXPECT_EQ(std::u16string(name), u"USBPDO-7");
    EXPECT_EQ(store->LookupDriverName({0x89B00200, 1}, name, 64), 14u);
    EXPECT_EQ(std::u16string(name), u"\\Driver\\usbhub");
    EXPECT_EQ(store->LookupDeviceName({0x89B00200, 1}, name, 64), 0u);
    EXPECT_EQ(name[0], 0);
}

TEST_F(CaptureStore, HidDescriptorsFromNotificationBlocksAndTheirCacheGoWithClear) {
    // A three-button mouse with X and Y: report {buttons, x, y}.
    const Bytes mouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01,
                         0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x05,
                         0x75, 0x01, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,
                         0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
    HidDescriptorItem item;
    item.interfaceNumber = 0;
    item.descriptor = mouse;
    item.objects = {{0x89A01030, 0x89A01000}};
    const Bytes block = HidDescriptorBlock({item});
    EXPECT_TRUE(store->AddDriverNotifications(block.data(), block.size()));
    const HID_OBJECT_KEY key{0x89A01030, 0x89A01000, 0, 0};
    ASSERT_NE(store->GetRDHash().GetIdByObject(key, 0), 0u);

    // The application links the global cache with the log's table.
    CHIDDeviceDataHash cache;
    cache.SetRDHash(&store->GetRDHash());
    store->SetHIDDataHash(&cache);
    const uint8_t report[3] = {0x05, 0x10, 0xF0};
    HID_REPORT_ITEM items[8];
    uint32_t n = 8;
    EXPECT_NE(cache.GetReportItemsByObject(report, 3, 0, HidP_Input, key, 0, items, &n), 0);
    EXPECT_EQ(n, 4u);   // buttons 1 and 3, X, Y

    // Clearing empties both the table and what the cache parsed from it.
    store->Clear();   // the gauge already shows 0: nothing posted
    EXPECT_EQ(store->GetRDHash().GetIdByObject(key, 0), 0u);
    n = 8;
    EXPECT_EQ(cache.GetReportItems(report, 3, 0, HidP_Input, 1, items, &n), 0);
    EXPECT_EQ(n, 0u);
    store->SetHIDDataHash(nullptr);
}

TEST_F(CaptureStore, ShortNotificationBuffersAreIgnored) {
    Bytes header(8, 0);
    PutU32(header, 0, 8);
    PutU32(header, 4, 1);
    EXPECT_FALSE(store->AddDriverNotifications(header.data(), header.size()));
    EXPECT_FALSE(store->AddDriverNotifications(nullptr, 100));
    // A block claiming more than the buffer holds adds nothing.
    Bytes block = NameListBlock(1, {{1, 2, u"X"}});
    EXPECT_FALSE(store->AddDriverNotifications(block.data(), block.size() - 1));
    char16_t name[8];
    EXPECT_EQ(store->LookupDeviceName({1, 2}, name, 8), 0u);
}

// ---------------------------------------------------------------------------
// Clear and close

TEST_F(CaptureStore, ClearThenMoreRecords) {
    DeviceSpec d;
    const Bytes names = NameListBlock(1, {{1, 2, u"USBPDO-1"}});
    ASSERT_TRUE(store->AddDriverNotifications(names.data(), names.size()));
    ASSERT_EQ(Deliver({b.StartMarker(), b.Create(d, b.NewIrp())}), S_OK);
    const Issued before = b.Last();
    store->SetCounterFrequency(3000000);

    EXPECT_TRUE(store->Clear());
    EXPECT_EQ(target.values.back(), 0u);
    EXPECT_TRUE(store->IsLive());
    EXPECT_TRUE(store->HasUnsavedRecords());
    EXPECT_EQ(store->GetRecordCount(), 0u);
    EXPECT_EQ(store->GetBaseBlock().firstTime, 0u);
    EXPECT_EQ(store->GetCounterFrequency(), 0);
    EXPECT_EQ(store->GetRecordLayout().valid, 0u);
    char16_t name[16];
    EXPECT_EQ(store->LookupDeviceName({1, 2}, name, 16), 0u);

    // The capture starts again: new driver information, records from the base.
    store->SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
    const uint64_t time = b.FileTime();
    std::vector<Bytes> recs = {b.Complete(d, KIND_CREATE, before, 0), b.Create(d, b.NewIrp())};
    recs.push_back(b.Complete(d, KIND_CREATE, b.Last(), 0));
    ASSERT_EQ(Deliver(recs), S_OK);
    ASSERT_EQ(store->GetRecordCount(), 3u);
    EXPECT_EQ(Entry(0).position, 0u);
    EXPECT_EQ(store->GetBaseBlock().firstTime, time);
    // The issue from before the clear is forgotten.
    EXPECT_EQ(Entry(0).companion, NO_INDEX);
    EXPECT_EQ(Entry(2).companion, 1u);
    uint8_t buffer[512];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    ASSERT_EQ(store->ReadRecordView(1, view), S_OK);
    EXPECT_EQ(std::memcmp(buffer, recs[1].data(), recs[1].size()), 0);
}

TEST_F(CaptureStore, CloseEndsTheLogAndTheFileGoesWithTheStore) {
    ASSERT_EQ(Deliver(b.StartMarker()), S_OK);
    const auto files = folder.Files();
    ASSERT_EQ(files.size(), 1u);

    EXPECT_EQ(store->Close(), S_OK);
    EXPECT_FALSE(store->IsLive());
    EXPECT_TRUE(store->IsFull());
    EXPECT_EQ(store->GetRecordCount(), 0u);
    EXPECT_EQ(store->GetBaseBlock().size, 0u);
    // No capture into a closed store, and nothing to clear.
    uint8_t* window = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(store->AcquireWriteWindow(&window, &length), HR_LOG_E_FULL);
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(store->Clear());
    uint32_t size = 1, position = 0;
    store->GetRecordSizes(&position, &size, 1);
    EXPECT_EQ(size, 0u);
    uint8_t byte;
    uint32_t n = 1;
    EXPECT_EQ(store->ReadRecordBytes(0, &byte, 1, &n), STG_E_READFAULT);
    EXPECT_EQ(n, 0u);

    // A new log in the same folder of the same size takes the same file.
    ASSERT_EQ(store->CreateTempFile(folder.path().c_str(), 8 * kMB), S_OK);
    ASSERT_EQ(folder.Files().size(), 1u);
    EXPECT_EQ(std::wstring(folder.Files()[0].cFileName), std::wstring(files[0].cFileName));
    EXPECT_FALSE(store->HasUnsavedRecords());
    store->SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
    ASSERT_EQ(Deliver(b.DropMarker()), S_OK);
    EXPECT_EQ(Entry(0).position, 0u);

    store->Close();
    store.reset();
    EXPECT_TRUE(folder.Files().empty());
}

// ---------------------------------------------------------------------------
// An opened capture file reads through its data stream.

namespace {
class OpenedFileStore : public CCaptureStore {
public:
    using CCaptureStore::CCaptureStore;
    void AttachDataStream(IStream* stream) {
        stream->AddRef();
        dataStream_ = stream;
    }
};
} // namespace

TEST(CaptureStoreFile, RecordBytesComeFromTheDataStream) {
    RecordingTarget target;
    OpenedFileStore store(&target);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const char text[] = "0123456789";
    ULONG written = 0;
    ASSERT_EQ(stream->Write(text, 10, &written), S_OK);
    store.AttachDataStream(stream);

    char out[8] = {};
    uint32_t n = 0;
    EXPECT_EQ(store.ReadRecordBytes(4, out, 3, &n), S_OK);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(out, 3), "456");
    EXPECT_EQ(store.ReadRecordBytes(8, out, 8, &n), S_OK);   // the stream's end clips
    EXPECT_EQ(n, 2u);
    // Releasing the content lets the stream go.
    EXPECT_EQ(store.Close(), S_OK);
    EXPECT_EQ(store.ReadRecordBytes(0, out, 1, &n), STG_E_READFAULT);
    EXPECT_EQ(stream->Release(), 0u);
}
