// Capture files whose compound-file structure another writer chose: a file
// large enough that its allocation table needs the master-FAT chain, a
// version-4 file with 4096-byte sectors written by the system's structured
// storage, and (with tools/check_other_writers.sh) files re-packed stream by
// stream by libgsf. Each opens with the records, names and descriptors of the
// file it came from.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/ByteReader.h"
#include "capture/win/CaptureStore.h"
#include "tests/capture/win/CaptureFileFixtures.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

constexpr uint32_t kHeaderFatSectors = 109;   // FAT sectors the header itself lists

struct CompoundHeader {
    uint16_t major = 0;
    uint16_t sectorShift = 0;
    uint32_t fatSectors = 0;
    uint32_t masterFatSectors = 0;
};

CompoundHeader HeaderOf(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const ByteReader r(bytes.data(), bytes.size());
    CompoundHeader h;
    h.major = r.u16le_or(26);
    h.sectorShift = r.u16le_or(30);
    h.fatSectors = r.u32le_or(44);
    h.masterFatSectors = r.u32le_or(72);
    return h;
}

// Everything an opened file shows: its records, names and HID descriptors.
struct Opened {
    HRESULT check = E_FAIL;
    HRESULT open = E_FAIL;
    std::vector<std::vector<uint8_t>> records;
    std::vector<std::u16string> names;
    std::vector<uint8_t> hid;
};

Opened OpenAll(const std::wstring& path) {
    Opened o;
    o.check = CCaptureStore::CheckCaptureFileFormat(path.c_str());
    CCaptureStore store;
    MessageRecorder progress;
    o.open = store.OpenCaptureFile(path.c_str(), &progress);
    if (o.open != S_OK) return o;
    for (uint32_t i = 0; i < store.GetRecordCount(); ++i) o.records.push_back(RecordBytes(store, i));
    SampleNames sample;
    char16_t name[256];
    for (const NameItem& d : sample.devices) {
        const uint32_t n = store.LookupDeviceName(OBJECT_KEY{d.key0, d.key1}, name, 256);
        o.names.emplace_back(name, n);
    }
    for (const NameItem& d : sample.drivers) {
        const uint32_t n = store.LookupDriverName(OBJECT_KEY{d.key0, d.key1}, name, 256);
        o.names.emplace_back(name, n);
    }
    o.hid.resize(4096);
    size_t size = 0;
    if (store.GetRDHash().ToBlock(o.hid.data(), o.hid.size(), &size, store.GetRecordLayout()) == 0) o.hid.resize(size);
    else o.hid.clear();
    return o;
}

void ExpectSameContent(const Opened& got, const Opened& want, uint32_t records) {
    EXPECT_EQ(got.check, S_OK);
    ASSERT_EQ(got.open, S_OK);
    EXPECT_EQ(got.records.size(), records);
    EXPECT_TRUE(got.records == want.records);
    EXPECT_EQ(got.names, want.names);
    EXPECT_FALSE(got.hid.empty());
    EXPECT_EQ(got.hid, want.hid);
}

// A log of at least `bytes` bytes of records, saved to path; its record count.
uint32_t SaveLogOf(size_t bytes, const std::wstring& path) {
    SampleLog log(0, kDriverRecordLayout, 16 * kMB);
    size_t total = 0;
    while (total < bytes) {
        const RecordStream s = MixedStream(2000, log.b);
        log.Deliver(s.bytes());
        total += s.bytes().size();
    }
    EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    return log.store->GetRecordCount();
}

class OtherWriters : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    FileFolder files;
};

} // namespace

// More than 109 allocation-table sectors: the header lists the first 109 and
// the master-FAT chain the rest. The structure check follows that chain.
TEST_F(OtherWriters, AFileOverSevenMegabytesUsesTheMasterFatChain) {
    const std::wstring path = files.File(L"large.bdx");
    const uint32_t records = SaveLogOf(7680 * 1024, path);
    const CompoundHeader h = HeaderOf(path);
    EXPECT_GT(h.fatSectors, kHeaderFatSectors);
    EXPECT_GE(h.masterFatSectors, 1u);
    const Opened opened = OpenAll(path);
    EXPECT_EQ(opened.check, S_OK);
    ASSERT_EQ(opened.open, S_OK);
    EXPECT_EQ(opened.records.size(), records);
}

// The same file written again by the system's structured storage with
// 4096-byte sectors (format version 4): every stream, storage and the class
// id copied, the layout the system's own.
TEST_F(OtherWriters, AVersionFourFileOpensWithTheSameRecords) {
    const std::wstring path = files.File(L"v3.bdx");
    const std::wstring v4 = files.File(L"v4.bdx");
    const uint32_t records = SaveLogOf(600 * 1024, path);
    {
        IStorage* source = nullptr;
        ASSERT_EQ(StgOpenStorageEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, STGFMT_STORAGE, 0, nullptr,
                                   nullptr, IID_IStorage, reinterpret_cast<void**>(&source)),
                  S_OK);
        STGOPTIONS options{};
        options.usVersion = 1;
        options.ulSectorSize = 4096;
        IStorage* target = nullptr;
        const HRESULT created = StgCreateStorageEx(v4.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                   STGFMT_DOCFILE, 0, &options, nullptr, IID_IStorage,
                                                   reinterpret_cast<void**>(&target));
        ASSERT_EQ(created, S_OK);
        EXPECT_EQ(source->CopyTo(0, nullptr, nullptr, target), S_OK);
        EXPECT_EQ(target->Commit(STGC_DEFAULT), S_OK);
        target->Release();
        source->Release();
    }
    const CompoundHeader h = HeaderOf(v4);
    EXPECT_EQ(h.major, 4);
    EXPECT_EQ(h.sectorShift, 12);
    ExpectSameContent(OpenAll(v4), OpenAll(path), records);
}

// With BRX_OTHER_WRITERS set to a folder (tools/check_other_writers.sh): the
// first run saves a small and a large sample there; after libgsf re-packed
// them (NAME.gsf.bdx), the second run opens both forms and compares them.
TEST_F(OtherWriters, WritesSamplesForASecondWriter) {
    const char* folder = std::getenv("BRX_OTHER_WRITERS");
    if (!folder || !*folder) GTEST_SKIP() << "BRX_OTHER_WRITERS not set";
    const std::wstring dir(folder, folder + strlen(folder));
    SaveLogOf(100 * 1024, dir + L"\\small.bdx");
    SaveLogOf(7680 * 1024, dir + L"\\large.bdx");
}

TEST_F(OtherWriters, RepackedFilesOpenWithTheSameRecords) {
    const char* folder = std::getenv("BRX_OTHER_WRITERS");
    if (!folder || !*folder) GTEST_SKIP() << "BRX_OTHER_WRITERS not set";
    const std::wstring dir(folder, folder + strlen(folder));
    for (const wchar_t* name : {L"small", L"large"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        const std::wstring original = dir + L"\\" + name + L".bdx";
        const std::wstring repacked = dir + L"\\" + name + L".gsf.bdx";
        ASSERT_NE(ReadFileBytes(repacked), ReadFileBytes(original));   // another layout
        const Opened want = OpenAll(original);
        ASSERT_EQ(want.open, S_OK);
        ExpectSameContent(OpenAll(repacked), want, static_cast<uint32_t>(want.records.size()));
        if (std::wstring(name) == L"large") {
            const CompoundHeader h = HeaderOf(repacked);
            EXPECT_GT(h.fatSectors, kHeaderFatSectors);
            EXPECT_GE(h.masterFatSectors, 1u);
        }
    }
}
