// Capture files on real OLE structured storage: a log built from the record
// builder saves, checks and reopens with identical records, index entries,
// names, HID descriptors, driver information and base block; the check's
// result codes; the opened file's edge cases (versions, bitness, missing
// driver information, older base block); damaged files; progress messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureStore.h"
#include "capture/PropertySetCheck.h"
#include "tests/capture/PropertySetBuilder.h"
#include "tests/capture/win/CaptureFileFixtures.h"
#include "tests/capture/win/ScriptedPrompts.h"

using namespace brx;
using namespace brx::fixtures;
using brx::fixtures::PropertySetBuilder;

namespace {

class CaptureFile : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        EXPECT_TRUE(files.Temporaries().empty()) << "a save left its temporary file";
        CoUninitialize();
    }

    // The index entries a live store gives an opened file of its log: the
    // same, with the wrapper flags shared between issue and completion.
    static std::vector<RECORD_INDEX_ENTRY> ExpectedEntries(CCaptureStore& live) {
        std::vector<RECORD_INDEX_ENTRY> e(live.GetRecordCount());
        for (uint32_t i = 0; i < e.size(); ++i) e[i] = EntryOf(live, i);
        for (RECORD_INDEX_ENTRY& x : e) {
            if (x.companion == NO_INDEX || !(x.flags & INDEX_FLAG_COMPLETION)) continue;
            x.flags |= e[x.companion].flags & INDEX_FLAG_CBW;
            e[x.companion].flags |= x.flags & INDEX_FLAG_CSW;
        }
        // Positions in the file: the records back to back.
        uint32_t position = 0;
        for (uint32_t i = 0; i < e.size(); ++i) {
            const uint32_t next = i + 1 < e.size() ? e[i + 1].position : 0;
            const uint32_t size = i + 1 < e.size() ? next - e[i].position : (e[i].firstDword & 0xFFFFFF);
            e[i].position = position;
            position += size;
        }
        return e;
    }

    // Everything of the live log is in the opened one.
    static void ExpectSameLog(CCaptureStore& live, CCaptureStore& opened) {
        const std::vector<RECORD_INDEX_ENTRY> expected = ExpectedEntries(live);
        ASSERT_EQ(opened.GetRecordCount(), expected.size());
        for (uint32_t i = 0; i < expected.size(); ++i) {
            const RECORD_INDEX_ENTRY e = EntryOf(opened, i);
            EXPECT_EQ(std::memcmp(&e, &expected[i], sizeof e), 0) << "entry " << i;
            EXPECT_EQ(RecordBytes(opened, i), RecordBytes(live, i)) << "record " << i;
        }
        EXPECT_EQ(std::memcmp(live.GetDriverInfo().bytes, opened.GetDriverInfo().bytes, DRIVER_INFO_SIZE), 0);
        const RECORD_LAYOUT a = live.GetRecordLayout(), b = opened.GetRecordLayout();
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
        const CAPTURE_BASE_BLOCK x = live.GetBaseBlock(), y = opened.GetBaseBlock();
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0);
        EXPECT_NE(y.firstTime, 0u);
        EXPECT_EQ(y.frequency, 10000000);

        SampleNames names;
        for (const NameItem& n : names.devices) {
            char16_t name[128];
            ASSERT_GT(opened.LookupDeviceName({n.key0, n.key1}, name, 128), 0u);
            EXPECT_EQ(std::u16string(name), n.name);
        }
        for (const NameItem& n : names.drivers) {
            char16_t name[128];
            ASSERT_GT(opened.LookupDriverName({n.key0, n.key1}, name, 128), 0u);
            EXPECT_EQ(std::u16string(name), n.name);
        }
        const HidDescriptorItem hid = names.hid();
        const HID_OBJECT_KEY object{hid.objects[0].key0, hid.objects[0].key1, 0, 0};
        const HID_OBJECT_KEY pipe{hid.pipes[0].key0, hid.pipes[0].key1, 0, 0};
        const uint32_t id = opened.GetRDHash().GetIdByObject(object, hid.interfaceNumber);
        ASSERT_NE(id, 0u);
        EXPECT_EQ(opened.GetRDHash().GetIdByPipe(pipe, HID_ANY_INTERFACE), id);
        std::vector<uint8_t> descriptor(256);
        descriptor.resize(opened.GetRDHash().GetDescriptor(id, descriptor.data(), descriptor.size()));
        EXPECT_EQ(descriptor, hid.descriptor);
    }

    std::wstring Saved(SampleLog& log, const wchar_t* name = L"log.bdx") {
        const std::wstring path = files.File(name);
        EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
        return path;
    }

    // Opens a file into a fresh store; the store's records must all read.
    HRESULT Open(const std::wstring& path, CCaptureStore& store) {
        const HRESULT hr = store.OpenCaptureFile(path.c_str(), &opening);
        if (SUCCEEDED(hr)) {
            EXPECT_FALSE(store.IsLive());
            for (uint32_t i = 0; i < store.GetRecordCount(); ++i) {
                const RECORD_INDEX_ENTRY e = EntryOf(store, i);
                EXPECT_EQ(RecordBytes(store, i).size(), std::min<uint32_t>(e.firstDword & 0xFFFFFF, 64 * 1024));
            }
        } else {
            EXPECT_EQ(store.GetRecordCount(), 0u);
        }
        return hr;
    }

    FileFolder files;
    MessageRecorder opening;
};

} // namespace

// ---------------------------------------------------------------------------
// Identities

TEST_F(CaptureFile, StreamNamesAreTheNamesOleGivesTheirGuids) {
    for (const FILE_GUID& g : {GUID_INDEX_STREAM, GUID_DATA_STREAM, GUID_DEVICE_NAME_STREAM, GUID_DRIVER_NAME_STREAM,
                               GUID_HID_STREAM, FMTID_CAPTURE_LOG}) {
        wchar_t ole[32] = {};
        const GUID guid = ToGuid(g);
        ASSERT_EQ(FmtIdToPropStgName(&guid, ole), S_OK);
        const std::u16string ours = StreamNameFromGuid(g);
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(ours.c_str())), std::wstring(ole));
    }
}

// ---------------------------------------------------------------------------
// Round trip

TEST_F(CaptureFile, RoundTripKeepsRecordsIndexNamesHidDescriptorsAndBaseBlock) {
    SampleLog log(600);
    // A mass-storage INQUIRY, so that the device kind is learnt again on open.
    MassStorageDevice msc = MakeMassStorageDevice(0x85560000, 0x02);
    std::vector<Bytes> recs;
    AppendMassStorageCommand(log.b, msc, {0x12, 0, 0, 0, 36, 0}, true, 36, InquiryData(0x05, 0x05), 0, recs);
    AppendMassStorageCommand(log.b, msc, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, true, 2048, Bytes(2048, 7), 0, recs);
    RecordStream s;
    s.Add(recs);
    log.Deliver(s.bytes());
    const uint32_t n = log.store->GetRecordCount();
    EXPECT_TRUE(EntryOf(*log.store, n - 3).deviceKind == MSC_KIND_MMC);

    const std::wstring path = Saved(log);
    EXPECT_FALSE(log.store->HasUnsavedRecords());
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), S_OK);

    CCaptureStore opened(&opening);
    ASSERT_EQ(Open(path, opened), S_OK);
    ExpectSameLog(*log.store, opened);
    // A second open into a store that holds a file is refused.
    EXPECT_EQ(opened.OpenCaptureFile(path.c_str(), &opening), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(opened.GetRecordCount(), n);
    // An opened file cannot be saved again.
    EXPECT_EQ(opened.SaveCaptureFile(files.File(L"again.bdx").c_str(), &opening), STG_E_ACCESSDENIED);
    // After closing, the same store opens it again.
    EXPECT_EQ(opened.Close(), S_OK);
    ASSERT_EQ(Open(path, opened), S_OK);
    EXPECT_EQ(opened.GetRecordCount(), n);
}

TEST_F(CaptureFile, PairsOfAnOpenedFileBringCompanionAndCommandBlock) {
    SampleLog log(0);
    MassStorageDevice msc = MakeMassStorageDevice(0x85560000);
    std::vector<Bytes> recs;
    const Bytes inquiry = {0x12, 0, 0, 0, 36, 0};
    AppendMassStorageCommand(log.b, msc, inquiry, true, 36, InquiryData(0x00, 0x06), 0, recs);
    RecordStream s;
    s.Add(recs);
    log.Deliver(s.bytes());
    const std::wstring path = Saved(log);
    CCaptureStore opened(&opening);
    ASSERT_EQ(Open(path, opened), S_OK);
    // Record 3 is the data stage at completion.
    std::vector<uint8_t> a(8192), b(8192);
    CRecordPairView pair;
    pair.Init(a.data(), 8192, b.data(), 8192);
    ASSERT_EQ(opened.ReadRecordPair(3, pair), S_OK);
    EXPECT_EQ(pair.companionPresent, 1u);
    EXPECT_EQ(pair.companion.index, 2u);
    ASSERT_EQ(pair.cdbPresent, 1u);
    EXPECT_EQ(std::memcmp(pair.cdb, inquiry.data(), inquiry.size()), 0);
}

TEST_F(CaptureFile, PropertiesAndStreamsOfASavedFile) {
    SampleLog log(50);
    const std::wstring path = Saved(log);
    Saved(log, L"second.bdx");   // Save As: the whole log again, the second save
    const std::wstring second = files.File(L"second.bdx");

    PROPVARIANT v = ReadProperty(path, FMTID_CAPTURE_LOG, LOG_PID_VERSION);
    EXPECT_EQ(v.vt, VT_UI4);
    EXPECT_EQ(v.ulVal, 0x00010001u);
    v = ReadProperty(path, FMTID_CAPTURE_LOG, LOG_PID_BITNESS);
    EXPECT_EQ(v.ulVal, 32u);
    v = ReadProperty(path, FMTID_CAPTURE_LOG, LOG_PID_RESERVED3);
    EXPECT_EQ(v.ulVal, 2u);
    v = ReadProperty(path, FMTID_CAPTURE_LOG, LOG_PID_DRIVER_INFO);
    EXPECT_EQ(v.vt, VT_BLOB);
    EXPECT_EQ(v.blob.cbSize, 124u);
    PropVariantClear(&v);
    v = ReadProperty(path, FMTID_CAPTURE_LOG, LOG_PID_CAPTURE_SYSTEM);
    ASSERT_EQ(v.vt, VT_BLOB);
    EXPECT_GE(v.blob.cbSize, 22u);
    EXPECT_EQ(v.blob.pBlobData[0] | v.blob.pBlobData[1] << 8, 276);
    PropVariantClear(&v);
    v = ReadProperty(path, FMTID_SUMMARY_INFORMATION, SUMMARY_PID_REVISION);
    ASSERT_EQ(v.vt, VT_LPWSTR);
    EXPECT_STREQ(v.pwszVal, L"1");
    PropVariantClear(&v);
    v = ReadProperty(second, FMTID_SUMMARY_INFORMATION, SUMMARY_PID_REVISION);
    EXPECT_STREQ(v.pwszVal, L"2");
    PropVariantClear(&v);
    v = ReadProperty(path, FMTID_SUMMARY_INFORMATION, SUMMARY_PID_APPLICATION);
    EXPECT_STREQ(v.pwszVal, L"Brindlex 2.2 ");
    PropVariantClear(&v);
    v = ReadProperty(path, FMTID_SUMMARY_INFORMATION, SUMMARY_PID_CREATED);
    ASSERT_EQ(v.vt, VT_FILETIME);
    const FILETIME created = log.store->GetCreationTime();
    EXPECT_EQ(v.filetime.dwLowDateTime, created.dwLowDateTime);
    EXPECT_EQ(v.filetime.dwHighDateTime, created.dwHighDateTime);

    // The root's class id, and the index stream's size.
    IStorage* root = nullptr;
    ASSERT_EQ(StgOpenStorageEx(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0, nullptr, nullptr,
                               IID_IStorage, reinterpret_cast<void**>(&root)),
              S_OK);
    STATSTG stat{};
    root->Stat(&stat, STATFLAG_NONAME);
    EXPECT_TRUE(IsEqualGUID(stat.clsid, ToGuid(CLSID_CAPTURE_FILE)));
    root->Release();
    EditFile(path, [&](IStorage* r) {
        EditStream(r, GUID_INDEX_STREAM, [&](IStream* s) {
            STATSTG st{};
            s->Stat(&st, STATFLAG_NONAME);
            EXPECT_EQ(st.cbSize.QuadPart, 64u + 4u * log.store->GetRecordCount());
        });
    });
}

// ---------------------------------------------------------------------------
// Check

TEST_F(CaptureFile, CheckGivesEachResultOfTheFormat) {
    SampleLog log(40);
    const std::wstring good = Saved(log);
    const std::vector<uint8_t> goodBytes = ReadFileBytes(good);
    struct Row {
        const char* what;
        std::function<void(IStorage*)> edit;
        HRESULT check;
        HRESULT open;
    };
    auto version = [](ULONG v) {
        return [v](IStorage* r) {
            EditProperties(r, FMTID_CAPTURE_LOG, [&](IPropertyStorage* p) { WriteProperty(p, LOG_PID_VERSION, UInt32Value(v)); });
        };
    };
    const Row rows[] = {
        {"as saved", nullptr, S_OK, S_OK},
        {"old version", version(0x00010000), static_cast<HRESULT>(LOG_E_OLD_FORMAT), S_OK},
        {"newer version", version(0x00010002), static_cast<HRESULT>(LOG_S_NEWER_FORMAT), S_OK},
        {"version 5", version(0x00000005), S_OK, S_OK},
        {"version not VT_UI4",
         [](IStorage* r) {
             EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) {
                 PROPVARIANT v;
                 PropVariantInit(&v);
                 v.vt = VT_I2;
                 v.iVal = 1;
                 WriteProperty(p, LOG_PID_VERSION, v);
             });
         },
         STG_E_DOCFILECORRUPT, S_OK},
        {"wrong class id", [](IStorage* r) { r->SetClass(CLSID_NULL); }, STG_E_DOCFILECORRUPT, S_OK},
        {"no summary information", [](IStorage* r) { r->DestroyElement(L"\x0005SummaryInformation"); },
         STG_E_DOCFILECORRUPT, S_OK},
        {"no own property set",
         [](IStorage* r) {
             const std::u16string n = StreamNameFromGuid(FMTID_CAPTURE_LOG);
             r->DestroyElement(reinterpret_cast<const wchar_t*>(n.c_str()));
         },
         STG_E_DOCFILECORRUPT, S_OK},
        {"no storage 0000", [](IStorage* r) { r->DestroyElement(L"0000"); }, STG_E_DOCFILECORRUPT,
         STG_E_DOCFILECORRUPT},
    };
    for (const Row& r : rows) {
        const std::wstring path = files.File(L"edited.bdx");
        WriteFileBytes(path, goodBytes.data(), goodBytes.size());
        if (r.edit) EditFile(path, r.edit);
        EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), r.check) << r.what;
        CCaptureStore store(&opening);
        EXPECT_EQ(Open(path, store), r.open) << r.what;
        if (r.open == S_OK) {
            EXPECT_EQ(store.GetRecordCount(), log.store->GetRecordCount()) << r.what;
        }
    }
}

TEST_F(CaptureFile, CheckOfMissingLockedAndForeignFiles) {
    SampleLog log(10);
    const std::wstring good = Saved(log);
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(files.File(L"missing.bdx").c_str()), STG_E_FILENOTFOUND);
    CCaptureStore store(&opening);
    EXPECT_EQ(store.OpenCaptureFile(files.File(L"missing.bdx").c_str(), &opening), STG_E_FILENOTFOUND);

    const char text[] = "Not a compound file at all, just some text that someone named .bdx";
    const std::wstring foreign = files.File(L"text.bdx");
    WriteFileBytes(foreign, reinterpret_cast<const uint8_t*>(text), sizeof text);
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(foreign.c_str()), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(Open(foreign, store), STG_E_DOCFILECORRUPT);
    WriteFileBytes(foreign, nullptr, 0);
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(foreign.c_str()), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(Open(foreign, store), STG_E_DOCFILECORRUPT);

    HANDLE locked = CreateFileW(good.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(good.c_str()), STG_E_SHAREVIOLATION);
    EXPECT_EQ(Open(good, store), STG_E_SHAREVIOLATION);
    CloseHandle(locked);
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(good.c_str()), S_OK);
}

// ---------------------------------------------------------------------------
// Open: what the properties say

TEST_F(CaptureFile, BitnessSixtyFourIsRefusedWithItsMessage) {
    SampleLog log(10);
    const std::wstring path = Saved(log);
    EditFile(path, [](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) { WriteProperty(p, LOG_PID_BITNESS, UInt32Value(64)); });
    });
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), S_OK);
    brx::testing::ScriptedPrompts prompts;
    CCaptureStore store(&opening);
    EXPECT_EQ(Open(path, store), STG_E_DOCFILECORRUPT);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              L"This capture file was created with 64-bit version of the program and can't be viewed.");
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
    EXPECT_FALSE(store.IsLive());
    // Bitness 32 opens without a message.
    EditFile(path, [](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) { WriteProperty(p, LOG_PID_BITNESS, UInt32Value(32)); });
    });
    EXPECT_EQ(Open(path, store), S_OK);
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_FALSE(store.Is64Bit());
}

TEST_F(CaptureFile, WithoutDriverInformationTheDefaultLayoutReadsTheRecords) {
    SampleLog log(120, kDefaultRecordLayout);
    const std::wstring path = Saved(log);
    EditFile(path, [](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) { DeleteProperty(p, LOG_PID_DRIVER_INFO); });
    });
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), S_OK);
    CCaptureStore store(&opening);
    ASSERT_EQ(Open(path, store), S_OK);
    const RECORD_LAYOUT layout = store.GetRecordLayout();
    EXPECT_EQ(std::memcmp(&layout, &kDefaultRecordLayout, sizeof layout), 0);
    EXPECT_EQ(std::memcmp(store.GetDriverInfo().bytes, MakeEmptyDriverInfo().bytes, DRIVER_INFO_SIZE), 0);
    const std::vector<RECORD_INDEX_ENTRY> expected = ExpectedEntries(*log.store);
    ASSERT_EQ(store.GetRecordCount(), expected.size());
    for (uint32_t i = 0; i < expected.size(); ++i) {
        const RECORD_INDEX_ENTRY e = EntryOf(store, i);
        EXPECT_EQ(std::memcmp(&e, &expected[i], sizeof e), 0) << i;
    }
}

TEST_F(CaptureFile, OlderBaseBlockAndAMissingFirstTime) {
    SampleLog log(30);
    const std::wstring path = Saved(log);
    const CAPTURE_BASE_BLOCK saved = log.store->GetBaseBlock();
    // An older file: PID 10 holds only the first record's time.
    EditFile(path, [](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) {
            PROPVARIANT v;
            PropVariantInit(&v);
            v.vt = VT_I8;
            v.hVal.QuadPart = 0x01D000000000ABCDll;
            WriteProperty(p, LOG_PID_BASE_BLOCK, v);
        });
    });
    CCaptureStore store(&opening);
    ASSERT_EQ(Open(path, store), S_OK);
    CAPTURE_BASE_BLOCK b = store.GetBaseBlock();
    EXPECT_EQ(b.size, 32u);
    EXPECT_EQ(b.firstTime, 0x01D000000000ABCDull);
    EXPECT_EQ(b.frequency, 0);
    EXPECT_EQ(b.firstCounter, 0);
    // Without PID 10 the first record dates the log.
    store.Close();
    EditFile(path, [](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [](IPropertyStorage* p) { DeleteProperty(p, LOG_PID_BASE_BLOCK); });
    });
    ASSERT_EQ(Open(path, store), S_OK);
    b = store.GetBaseBlock();
    EXPECT_EQ(b.firstTime, saved.firstTime);
    EXPECT_EQ(b.frequency, 0);
}

// ---------------------------------------------------------------------------
// Damaged files

// A property set whose counts and sizes its stream does not hold never
// reaches the system's property-set reader: check and open refuse the file.
TEST_F(CaptureFile, PropertySetsWithImpossibleCountsAreRefusedUnread) {
    SampleLog log(20, kDefaultRecordLayout);   // the layout a file without driver information gets
    const std::wstring good = Saved(log);
    const std::vector<uint8_t> goodBytes = ReadFileBytes(good);
    // The own set with the version, then a vector of 1000 strings that holds
    // none; and the summary with a title longer than its section.
    PropertySetBuilder own(FMTID_CAPTURE_LOG);
    own.UInt(LOG_PID_VERSION, CAPTURE_FILE_VERSION);
    own.Raw(LOG_PID_RESERVED3, {0x1F, 0x10, 0, 0, 0xE8, 0x03, 0, 0});
    PropertySetBuilder summary(FMTID_SUMMARY_INFORMATION);
    summary.Raw(SUMMARY_PID_TITLE, {0x1F, 0, 0, 0, 0x00, 0x00, 0x01, 0x00, 'a', 0, 0, 0});
    struct Row {
        const char* what;
        std::u16string stream;
        std::vector<uint8_t> bytes;
        HRESULT open;   // an open reads the own set only
    };
    const Row rows[] = {
        {"own set, vector of 1000 strings", StreamNameFromGuid(FMTID_CAPTURE_LOG), own.Bytes(), STG_E_DOCFILECORRUPT},
        {"own set, section past its stream", StreamNameFromGuid(FMTID_CAPTURE_LOG), own.Bytes(64),
         STG_E_DOCFILECORRUPT},
        {"summary, title past its section", SUMMARY_INFORMATION_STREAM, summary.Bytes(), S_OK},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::wstring path = files.File(L"hostile.bdx");
        WriteFileBytes(path, goodBytes.data(), goodBytes.size());
        EditFile(path, [&](IStorage* root) { ReplaceRootStream(root, r.stream, r.bytes); });
        EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), STG_E_DOCFILECORRUPT);
        CCaptureStore store(&opening);
        EXPECT_EQ(Open(path, store), r.open);
    }
    // The sound set written the same way opens.
    PropertySetBuilder sound(FMTID_CAPTURE_LOG);
    sound.UInt(LOG_PID_VERSION, CAPTURE_FILE_VERSION);
    const std::wstring path = files.File(L"rewritten.bdx");
    WriteFileBytes(path, goodBytes.data(), goodBytes.size());
    EditFile(path, [&](IStorage* root) { ReplaceRootStream(root, StreamNameFromGuid(FMTID_CAPTURE_LOG), sound.Bytes()); });
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), S_OK);
    CCaptureStore store(&opening);
    EXPECT_EQ(Open(path, store), S_OK);
    EXPECT_EQ(store.GetRecordCount(), log.store->GetRecordCount());
}

// The check measures records by the layout the open will use: driver
// information that no record of the file can satisfy is refused by the check,
// not found out by the open.
TEST_F(CaptureFile, TheCheckUsesTheLayoutTheOpenWillUse) {
    SampleLog log(20);
    const std::wstring path = Saved(log);
    std::vector<uint8_t> blob;
    EditFile(path, [&](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [&](IPropertyStorage* p) {
            WriteProperty(p, LOG_PID_DRIVER_INFO, DriverInfoOfDwords(blob, 0xFFFF));
        });
    });
    EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), STG_E_DOCFILECORRUPT);
    CCaptureStore store(&opening);
    EXPECT_EQ(Open(path, store), STG_E_DOCFILECORRUPT);
    // DWORDs of FFFFFFFFh make no layout at all: the default one reads the
    // records, and check and open agree.
    EditFile(path, [&](IStorage* r) {
        EditProperties(r, FMTID_CAPTURE_LOG, [&](IPropertyStorage* p) {
            WriteProperty(p, LOG_PID_DRIVER_INFO, DriverInfoOfDwords(blob, 0xFFFFFFFF));
        });
    });
    const HRESULT check = CCaptureStore::CheckCaptureFileFormat(path.c_str());
    EXPECT_EQ(Open(path, store), check);
}

TEST_F(CaptureFile, DamagedFilesAreRefusedOrOpenedToTheirLastWholeRecord) {
    SampleLog log(80);
    const std::wstring good = Saved(log);
    const std::vector<uint8_t> goodBytes = ReadFileBytes(good);
    const uint32_t n = log.store->GetRecordCount();
    const std::vector<RECORD_INDEX_ENTRY> entries = ExpectedEntries(*log.store);
    const uint32_t dataSize = entries[n - 1].position + (entries[n - 1].firstDword & 0xFFFFFF);

    auto index = [](std::function<void(IStream*)> fn) {
        return [fn](IStorage* r) { EditStream(r, GUID_INDEX_STREAM, fn); };
    };
    auto data = [](std::function<void(IStream*)> fn) {
        return [fn](IStorage* r) { EditStream(r, GUID_DATA_STREAM, fn); };
    };
    auto putIndex = [](uint64_t at, uint32_t value) {
        return [at, value](IStream* s) { WriteAt(s, at, &value, 4); };
    };
    auto offsetOf = [](uint32_t record) { return 64ull + 4ull * record; };
    struct Row {
        const char* what;
        std::function<void(IStorage*)> edit;
        HRESULT check;
        HRESULT open;
        uint32_t records;   // opened
    };
    const uint32_t big = 0x00FFFFFF | 0x01000000;   // type 1, largest size
    const Row rows[] = {
        {"count 0", index(putIndex(4, 0)), STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"count flipped", index(putIndex(4, ~n)), STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"count one too many", index(putIndex(4, n + 1)), STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"header size 63", index(putIndex(0, 63)), STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"index cut in the offsets", index([&](IStream* s) { SetStreamSize(s, offsetOf(n / 2)); }),
         STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"index cut in the header", index([](IStream* s) { SetStreamSize(s, 40); }), STG_E_DOCFILECORRUPT,
         STG_E_DOCFILECORRUPT, 0},
        {"index stream gone",
         [](IStorage* r) {
             IStorage* st = nullptr;
             r->OpenStorage(L"0000", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &st);
             const std::u16string name = StreamNameFromGuid(GUID_INDEX_STREAM);
             EXPECT_EQ(st->DestroyElement(reinterpret_cast<const wchar_t*>(name.c_str())), S_OK);
             st->Release();
         },
         STG_E_DOCFILECORRUPT, STG_E_DOCFILECORRUPT, 0},
        {"middle offset outside the data", index(putIndex(offsetOf(n / 2), 0x7FFFFFF0)), S_OK, S_OK, n - 1},
        {"last offset at the end of the data", index(putIndex(offsetOf(n - 1), dataSize)), STG_E_DOCFILECORRUPT,
         S_OK, n - 1},
        {"data cut inside the last record", data([&](IStream* s) { SetStreamSize(s, dataSize - 5); }),
         STG_E_DOCFILECORRUPT, S_OK, n - 1},
        {"data cut at half", data([&](IStream* s) { SetStreamSize(s, entries[n / 2].position); }),
         STG_E_DOCFILECORRUPT, S_OK, n / 2},
        {"data empty", data([](IStream* s) { SetStreamSize(s, 0); }), STG_E_DOCFILECORRUPT,
         STG_E_DOCFILECORRUPT, 0},
        {"first record oversized", data([&](IStream* s) { WriteAt(s, 0, &big, 4); }), STG_E_DOCFILECORRUPT, S_OK,
         n - 1},
        {"middle record oversized", data([&](IStream* s) { WriteAt(s, entries[n / 2].position, &big, 4); }),
         S_OK, S_OK, n - 1},
        {"middle record size 0",
         data([&](IStream* s) {
             const uint32_t zero = 0x01000000;
             WriteAt(s, entries[n / 3].position, &zero, 4);
         }),
         S_OK, S_OK, n - 1},
        {"last record of type 0",
         data([&](IStream* s) {
             uint32_t first = entries[n - 1].firstDword & 0xFFFFFF;
             WriteAt(s, entries[n - 1].position, &first, 4);
         }),
         STG_E_DOCFILECORRUPT, S_OK, n - 1},
    };
    for (const Row& r : rows) {
        const std::wstring path = files.File(L"damaged.bdx");
        WriteFileBytes(path, goodBytes.data(), goodBytes.size());
        EditFile(path, r.edit);
        EXPECT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), r.check) << r.what;
        CCaptureStore store(&opening);
        EXPECT_EQ(Open(path, store), r.open) << r.what;
        EXPECT_EQ(store.GetRecordCount(), r.records) << r.what;
        // What an open leaves out is counted, for the user to be told.
        EXPECT_EQ(store.GetSkippedRecords(), r.open == S_OK ? n - r.records : 0u) << r.what;
    }
}

// The check must not take the directory's word for a stream's size: a file
// cut anywhere in its last sectors is accepted only when every record still
// reads whole, and then opens with all of them.
TEST_F(CaptureFile, ACheckedFileOpensWithEveryRecordWhole) {
    SampleLog log(120);
    const std::wstring good = Saved(log);
    const std::vector<uint8_t> bytes = ReadFileBytes(good);
    const uint32_t n = log.store->GetRecordCount();
    const std::wstring path = files.File(L"cut.bdx");
    int accepted = 0, refused = 0;
    const size_t from = bytes.size() > 48 * 1024 ? bytes.size() - 48 * 1024 : 0;
    for (size_t cut = from; cut < bytes.size(); cut += 512) {
        WriteFileBytes(path, bytes.data(), cut);
        const HRESULT check = CCaptureStore::CheckCaptureFileFormat(path.c_str());
        if (check != S_OK) {
            ++refused;
            continue;
        }
        ++accepted;
        CCaptureStore store(&opening);
        ASSERT_EQ(Open(path, store), S_OK) << cut;
        EXPECT_EQ(store.GetRecordCount(), n) << cut;
        EXPECT_EQ(store.GetSkippedRecords(), 0u) << cut;
        const std::vector<uint8_t> last = RecordBytes(store, n - 1);
        EXPECT_EQ(last, RecordBytes(*log.store, n - 1)) << cut;
    }
    EXPECT_GT(refused, 0);
    std::printf("cuts accepted %d, refused %d\n", accepted, refused);
}

TEST_F(CaptureFile, FilesCutAtAnyPointNeverCrashAndKeepOnlyWholeRecords) {
    SampleLog log(200);
    const std::wstring good = Saved(log);
    const std::vector<uint8_t> bytes = ReadFileBytes(good);
    CCaptureStore reference(&opening);
    ASSERT_EQ(Open(good, reference), S_OK);
    const std::wstring path = files.File(L"cut.bdx");
    for (size_t cut : {size_t{0}, size_t{100}, size_t{512}, size_t{1536}, size_t{4096}, bytes.size() / 3,
                       bytes.size() / 2, bytes.size() - 4096, bytes.size() - 512, bytes.size() - 1}) {
        WriteFileBytes(path, bytes.data(), cut);
        const HRESULT check = CCaptureStore::CheckCaptureFileFormat(path.c_str());
        CCaptureStore store(&opening);
        const HRESULT open = Open(path, store);
        // Cut at half or earlier, records are lost: the check refuses. A file
        // the check accepts lost nothing but padding.
        if (cut <= bytes.size() / 2) {
            EXPECT_NE(check, S_OK) << cut;
        }
        if (check == S_OK) {
            EXPECT_EQ(open, S_OK) << cut;
            EXPECT_EQ(store.GetRecordCount(), reference.GetRecordCount()) << cut;
        }
        if (SUCCEEDED(open)) {
            // Whatever opened is byte for byte what was saved.
            for (uint32_t i = 0; i < store.GetRecordCount(); ++i) {
                const RECORD_INDEX_ENTRY e = EntryOf(store, i);
                uint32_t j = 0;
                while (j < reference.GetRecordCount() && EntryOf(reference, j).position != e.position) ++j;
                ASSERT_LT(j, reference.GetRecordCount()) << cut;
                EXPECT_EQ(RecordBytes(store, i), RecordBytes(reference, j)) << cut;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Progress

TEST_F(CaptureFile, ProgressOfSaveAndOpen) {
    SampleLog log(250);
    const std::wstring path = files.File(L"progress.bdx");
    log.messages.progress.clear();
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    // 1, then a step every 3 records (83 steps), 100 after success, 0 at the end.
    std::vector<uint32_t> expected = {1};
    for (uint32_t i = 1; i <= 83; ++i) expected.push_back(i);
    expected.push_back(100);
    expected.push_back(0);
    EXPECT_EQ(log.messages.progress, expected);

    CCaptureStore store(&opening);
    ASSERT_EQ(store.OpenCaptureFile(path.c_str(), &opening), S_OK);
    expected.erase(expected.end() - 2);   // no 100 for an open
    EXPECT_EQ(opening.progress, expected);
    EXPECT_EQ(opening.fullness, std::vector<uint32_t>{0});

    // A failed open ends with 0 as well.
    opening.progress.clear();
    EXPECT_EQ(store.OpenCaptureFile(path.c_str(), &opening), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(opening.progress, (std::vector<uint32_t>{1, 0}));
}

// ---------------------------------------------------------------------------
// A sample for the independent check (tools/check_bdx.py reads it with a
// second compound-file implementation). With BRX_BDX_EXPORT set to a path,
// the file and its expectations (path + ".json") stay there.

namespace {

std::string Hex(const uint8_t* bytes, size_t size) {
    std::string s;
    char b[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        s += b;
    }
    return s;
}

} // namespace

TEST_F(CaptureFile, WritesASampleForTheIndependentCheck) {
    SampleLog log(0);
    RecordStream s = fixtures::MixedStream(500, log.b);
    log.Deliver(s.bytes());
    const char* exportPath = std::getenv("BRX_BDX_EXPORT");
    std::wstring path = files.File(L"sample.bdx");
    if (exportPath && *exportPath) {
        path.clear();
        for (const char* p = exportPath; *p; ++p) path.push_back(static_cast<unsigned char>(*p));
    }
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    ASSERT_EQ(CCaptureStore::CheckCaptureFileFormat(path.c_str()), S_OK);

    SampleNames names;
    std::vector<uint8_t> hid(4096);
    size_t hidSize = 0;
    ASSERT_EQ(log.store->GetRDHash().ToBlock(hid.data(), hid.size(), &hidSize, kDriverRecordLayout), 0u);
    const CAPTURE_BASE_BLOCK base = log.store->GetBaseBlock();
    const std::vector<uint8_t> baseBlob = BaseBlockToBlob(base);
    const DRIVER_INFO info = log.store->GetDriverInfo();
    const FILETIME created = log.store->GetCreationTime();
    const uint64_t createdTime = (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;

    std::string json = "{\n";
    json += "  \"records\": " + std::to_string(s.count()) + ",\n";
    json += "  \"data_size\": " + std::to_string(s.bytes().size()) + ",\n";
    json += "  \"device_names_size\": " + std::to_string(NameListBlock(1, names.devices).size()) + ",\n";
    json += "  \"driver_names_size\": " + std::to_string(NameListBlock(3, names.drivers).size()) + ",\n";
    json += "  \"hid_size\": " + std::to_string(hidSize) + ",\n";
    json += "  \"version\": " + std::to_string(CAPTURE_FILE_VERSION) + ",\n";
    json += "  \"bitness\": " + std::to_string(log.store->Is64Bit() ? 64 : 32) + ",\n";
    json += "  \"base_block\": \"" + Hex(baseBlob.data(), baseBlob.size()) + "\",\n";
    json += "  \"driver_info\": \"" + Hex(info.bytes, DRIVER_INFO_SIZE) + "\",\n";
    json += "  \"revision\": \"1\",\n";
    json += "  \"application\": \"Brindlex 2.2 \",\n";
    json += "  \"created\": " + std::to_string(createdTime) + "\n";
    json += "}\n";
    std::wstring jsonPath = path + L".json";
    HANDLE h = CreateFileW(jsonPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(written, json.size());
}
