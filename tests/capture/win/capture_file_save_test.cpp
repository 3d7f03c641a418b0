// Saving never destroys data: a save that fails at any write, or at the final
// replacement, leaves the previous file byte for byte and no temporary file;
// a read-only target is refused; Save As always writes the whole log; saving
// again without new records leaves the file alone; what cannot be saved says
// so. The failures come from compound-file calls installed through the seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/FileLockBytes.h"
#include "tests/capture/win/CaptureFileFixtures.h"
#include "tests/capture/win/FakeDisk.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

// Bytes written through all streams of one file, with a limit after which
// writes fail with STG_E_MEDIUMFULL; or one call that fails on its n-th use.
// Where the first refusal landed is kept, so that a test sees it fail where
// it meant to.
struct WriteBudget {
    uint64_t limit = UINT64_MAX;
    uint64_t written = 0;
    // The bytes written before the first write to each stream.
    std::map<std::wstring, uint64_t> firstWrite;
    // A call to refuse ("SetSize", "SetClass", "SetElementTimes", "Commit",
    // "PropertySets"), on its `failUse`-th use, with `failResult`.
    std::wstring failCall;
    int failUse = 1;
    HRESULT failResult = STG_E_WRITEFAULT;
    std::map<std::wstring, int> uses;
    // The stream whose write was refused, or the refused call.
    std::wstring refusedAt;

    // Whether this use of the call is the one to refuse.
    bool Refuse(const std::wstring& call) {
        if (call != failCall || ++uses[call] != failUse) return false;
        if (refusedAt.empty()) refusedAt = call;
        return true;
    }
};

class FailingStream final : public IStream {
public:
    FailingStream(IStream* inner, WriteBudget& budget, std::wstring name)
        : inner_(inner), budget_(budget), name_(std::move(name)) {}
    ~FailingStream() { inner_->Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) || IsEqualIID(iid, IID_ISequentialStream)) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG r = --refs_;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE Read(void* p, ULONG n, ULONG* got) override { return inner_->Read(p, n, got); }
    HRESULT STDMETHODCALLTYPE Write(const void* p, ULONG n, ULONG* written) override {
        budget_.firstWrite.emplace(name_, budget_.written);
        if (budget_.written + n > budget_.limit) {
            if (written) *written = 0;
            if (budget_.refusedAt.empty()) budget_.refusedAt = name_;
            return STG_E_MEDIUMFULL;
        }
        budget_.written += n;
        return inner_->Write(p, n, written);
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER m, DWORD o, ULARGE_INTEGER* at) override { return inner_->Seek(m, o, at); }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER s) override {
        if (budget_.Refuse(L"SetSize")) {
            budget_.refusedAt = L"SetSize " + name_;
            return budget_.failResult;
        }
        return inner_->SetSize(s);
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* s, ULARGE_INTEGER n, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
        return inner_->CopyTo(s, n, r, w);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD f) override { return inner_->Commit(f); }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD t) override {
        return inner_->LockRegion(a, b, t);
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD t) override {
        return inner_->UnlockRegion(a, b, t);
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* s, DWORD f) override { return inner_->Stat(s, f); }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override { return inner_->Clone(out); }

private:
    IStream* inner_;
    WriteBudget& budget_;
    std::wstring name_;
    ULONG refs_ = 1;
};

class FailingStorage final : public IStorage {
public:
    FailingStorage(IStorage* inner, WriteBudget& budget) : inner_(inner), budget_(budget) {}
    ~FailingStorage() { inner_->Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStorage)) {
            *out = static_cast<IStorage*>(this);
            AddRef();
            return S_OK;
        }
        // The property sets are the storage's own (their writes are not
        // counted), but reaching them can be refused.
        if (IsEqualIID(iid, IID_IPropertySetStorage) && budget_.Refuse(L"PropertySets")) {
            *out = nullptr;
            return budget_.failResult;
        }
        return inner_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG r = --refs_;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* name, DWORD mode, DWORD r1, DWORD r2,
                                           IStream** out) override {
        IStream* inner = nullptr;
        const HRESULT hr = inner_->CreateStream(name, mode, r1, r2, &inner);
        *out = SUCCEEDED(hr) ? new FailingStream(inner, budget_, name) : nullptr;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* name, void* r1, DWORD mode, DWORD r2, IStream** out) override {
        IStream* inner = nullptr;
        const HRESULT hr = inner_->OpenStream(name, r1, mode, r2, &inner);
        *out = SUCCEEDED(hr) ? new FailingStream(inner, budget_, name) : nullptr;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* name, DWORD mode, DWORD r1, DWORD r2,
                                            IStorage** out) override {
        IStorage* inner = nullptr;
        const HRESULT hr = inner_->CreateStorage(name, mode, r1, r2, &inner);
        *out = SUCCEEDED(hr) ? new FailingStorage(inner, budget_) : nullptr;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* name, IStorage* p, DWORD mode, SNB snb, DWORD r,
                                          IStorage** out) override {
        IStorage* inner = nullptr;
        const HRESULT hr = inner_->OpenStorage(name, p, mode, snb, r, &inner);
        *out = SUCCEEDED(hr) ? new FailingStorage(inner, budget_) : nullptr;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(DWORD n, const IID* ex, SNB snb, IStorage* to) override {
        return inner_->CopyTo(n, ex, snb, to);
    }
    HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR* n, IStorage* to, const OLECHAR* nn, DWORD f) override {
        return inner_->MoveElementTo(n, to, nn, f);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD f) override {
        return budget_.Refuse(L"Commit") ? budget_.failResult : inner_->Commit(f);
    }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
    HRESULT STDMETHODCALLTYPE EnumElements(DWORD a, void* b, DWORD c, IEnumSTATSTG** e) override {
        return inner_->EnumElements(a, b, c, e);
    }
    HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* n) override { return inner_->DestroyElement(n); }
    HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* a, const OLECHAR* b) override {
        return inner_->RenameElement(a, b);
    }
    HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* n, const FILETIME* c, const FILETIME* a,
                                              const FILETIME* m) override {
        return budget_.Refuse(L"SetElementTimes") ? budget_.failResult : inner_->SetElementTimes(n, c, a, m);
    }
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID c) override {
        return budget_.Refuse(L"SetClass") ? budget_.failResult : inner_->SetClass(c);
    }
    HRESULT STDMETHODCALLTYPE SetStateBits(DWORD a, DWORD b) override { return inner_->SetStateBits(a, b); }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* s, DWORD f) override { return inner_->Stat(s, f); }

private:
    IStorage* inner_;
    WriteBudget& budget_;
    ULONG refs_ = 1;
};

// Compound-file calls whose writes count against a budget, and whose final
// replacement can be made to fail.
class FailingFiles final : public ICompoundFiles {
public:
    FailingFiles() { previous_ = SetCompoundFiles(this); }
    ~FailingFiles() override { SetCompoundFiles(previous_); }
    HRESULT StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD, IStorage** out) override {
        ++created;
        IStorage* inner = nullptr;
        const HRESULT hr = CreateDocfileOnFile(name, mode, &inner);
        *out = SUCCEEDED(hr) ? new FailingStorage(inner, budget) : nullptr;
        return hr;
    }
    BOOL MoveFileExW(const WCHAR* existing, const WCHAR* target, DWORD flags) override {
        if (moveError) {
            SetLastError(moveError);
            return FALSE;
        }
        return ::MoveFileExW(existing, target, flags);
    }
    WriteBudget budget;
    DWORD moveError = 0;
    int created = 0;   // compound files created

private:
    ICompoundFiles* previous_ = nullptr;
};

class CaptureFileSave : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        EXPECT_TRUE(files.Temporaries().empty()) << "a save left its temporary file";
        CoUninitialize();
    }
    FileFolder files;
};

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

} // namespace

TEST_F(CaptureFileSave, AFailedWriteOrReplacementLeavesTheOldFileWhole) {
    SampleLog log(200);
    const std::wstring path = files.File(L"kept.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    const std::vector<uint8_t> old = ReadFileBytes(path);
    const uint32_t oldCount = log.store->GetRecordCount();

    log.DeliverMore(100);
    // Where each stream's first write falls, from a save that succeeds of a
    // twin log with the same tables and records as the failing saves write.
    std::map<std::wstring, uint64_t> firstWrite;
    uint64_t total = 0;
    {
        SampleLog twin(200);
        twin.DeliverMore(100);
        ASSERT_EQ(twin.store->GetRecordCount(), log.store->GetRecordCount());
        FailingFiles probe;
        ASSERT_EQ(twin.store->SaveCaptureFile(files.File(L"probe.bdx").c_str(), &twin.messages), S_OK);
        EXPECT_TRUE(probe.budget.refusedAt.empty());
        firstWrite = probe.budget.firstWrite;
        total = probe.budget.written;
    }
    auto streamName = [](const FILE_GUID& g) {
        const std::u16string n = StreamNameFromGuid(g);
        return std::wstring(reinterpret_cast<const wchar_t*>(n.c_str()));
    };
    const std::wstring hid = streamName(GUID_HID_STREAM), drivers = streamName(GUID_DRIVER_NAME_STREAM),
                       devices = streamName(GUID_DEVICE_NAME_STREAM), index = streamName(GUID_INDEX_STREAM),
                       data = streamName(GUID_DATA_STREAM);
    for (const std::wstring* name : {&hid, &drivers, &devices, &index, &data})
        ASSERT_EQ(firstWrite.count(*name), 1u);
    // Each stream's first write starts after what the streams before it wrote.
    ASSERT_LT(firstWrite[drivers], firstWrite[devices]);
    ASSERT_LT(firstWrite[index], firstWrite[data]);
    struct Row {
        const char* what;
        uint64_t limit;
        const wchar_t* failCall;
        int failUse;
        DWORD moveError;
        HRESULT result;
        std::wstring refusedAt;   // where the refusal must land
    };
    const Row rows[] = {
        {"HID stream, its first write", firstWrite[hid], L"", 1, 0, STG_E_MEDIUMFULL, hid},
        {"driver-name stream", firstWrite[drivers], L"", 1, 0, STG_E_MEDIUMFULL, drivers},
        {"device-name stream", firstWrite[devices], L"", 1, 0, STG_E_MEDIUMFULL, devices},
        {"index, after its header", firstWrite[index] + 70, L"", 1, 0, STG_E_MEDIUMFULL, index},
        {"data, first run", firstWrite[data], L"", 1, 0, STG_E_MEDIUMFULL, data},
        {"data, halfway", (firstWrite[data] + total) / 2, L"", 1, 0, STG_E_MEDIUMFULL, data},
        {"summary property set", UINT64_MAX, L"PropertySets", 1, 0, STG_E_WRITEFAULT, L"PropertySets"},
        {"own property set", UINT64_MAX, L"PropertySets", 2, 0, STG_E_WRITEFAULT, L"PropertySets"},
        {"SetSize of the index", UINT64_MAX, L"SetSize", 1, 0, STG_E_WRITEFAULT, L"SetSize " + index},
        {"SetSize of the data", UINT64_MAX, L"SetSize", 2, 0, STG_E_WRITEFAULT, L"SetSize " + data},
        {"SetClass of the root", UINT64_MAX, L"SetClass", 1, 0, STG_E_WRITEFAULT, L"SetClass"},
        {"SetClass of the storage", UINT64_MAX, L"SetClass", 2, 0, STG_E_WRITEFAULT, L"SetClass"},
        {"SetElementTimes of the root", UINT64_MAX, L"SetElementTimes", 1, 0, STG_E_WRITEFAULT, L"SetElementTimes"},
        {"Commit of the storage", UINT64_MAX, L"Commit", 1, 0, STG_E_WRITEFAULT, L"Commit"},
        {"Commit of the root", UINT64_MAX, L"Commit", 2, 0, STG_E_WRITEFAULT, L"Commit"},
        {"replacement", UINT64_MAX, L"", 1, ERROR_SHARING_VIOLATION, STG_E_SHAREVIOLATION, L""},
        {"replacement, disk full", UINT64_MAX, L"", 1, ERROR_DISK_FULL, STG_E_MEDIUMFULL, L""},
    };
    for (const Row& r : rows) {
        FailingFiles failing;
        failing.budget.limit = r.limit;
        failing.budget.failCall = r.failCall;
        failing.budget.failUse = r.failUse;
        failing.moveError = r.moveError;
        log.messages.progress.clear();
        EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), r.result) << r.what;
        EXPECT_EQ(failing.budget.refusedAt, r.refusedAt) << r.what;
        EXPECT_EQ(ReadFileBytes(path), old) << r.what;
        EXPECT_TRUE(files.Temporaries().empty()) << r.what;
        EXPECT_TRUE(log.store->HasUnsavedRecords()) << r.what;
        ASSERT_FALSE(log.messages.progress.empty());
        EXPECT_EQ(log.messages.progress.front(), 1u);
        EXPECT_EQ(log.messages.progress.back(), 0u) << r.what;
        EXPECT_EQ(std::count(log.messages.progress.begin(), log.messages.progress.end(), 100u), 0) << r.what;
    }
    EXPECT_EQ(OpenedCount(path), oldCount);
    // Without the failures the same save goes through.
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    EXPECT_EQ(OpenedCount(path), oldCount + 100);
    PROPVARIANT v = ReadProperty(path, FMTID_SUMMARY_INFORMATION, SUMMARY_PID_REVISION);
    EXPECT_STREQ(v.pwszVal, L"2");   // kept.bdx twice: failed saves do not count
    PropVariantClear(&v);
}

TEST_F(CaptureFileSave, ADiskWithoutRoomForTheFileIsRefusedBeforeAnythingIsWritten) {
    SampleLog log(300);
    const std::wstring path = files.File(L"full.bdx");
    const std::wstring sized = files.File(L"sized.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(sized.c_str(), &log.messages), S_OK);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(sized.c_str(), GetFileExInfoStandard, &data));
    const uint64_t fileSize = data.nFileSizeLow;
    log.DeliverMore(10);   // the file to save is a little larger still
    const std::vector<uint8_t> old(5000, 0x17);
    WriteFileBytes(path, old.data(), old.size());
    struct Row {
        const char* what;
        uint64_t freeBytes;
        HRESULT result;
    } rows[] = {
        {"no room", 0, STG_E_MEDIUMFULL},
        {"96 KB", 96 * 1024, STG_E_MEDIUMFULL},
        {"a byte less than the file takes", fileSize - 1, STG_E_MEDIUMFULL},
        {"room to spare", fileSize + (1u << 20), S_OK},
    };
    for (const Row& r : rows) {
        brx::testing::FakeDisk disk;
        disk.freeBytes = r.freeBytes;
        FailingFiles watching;
        log.messages.progress.clear();
        EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), r.result) << r.what;
        EXPECT_GT(disk.queries, 0) << r.what;
        EXPECT_TRUE(files.Temporaries().empty()) << r.what;
        if (r.result == S_OK) {
            EXPECT_EQ(OpenedCount(path), log.store->GetRecordCount()) << r.what;
            continue;
        }
        // Refused before the temporary file: nothing created, nothing written.
        EXPECT_EQ(watching.created, 0) << r.what;
        EXPECT_EQ(watching.budget.written, 0u) << r.what;
        EXPECT_EQ(ReadFileBytes(path), old) << r.what;
        EXPECT_TRUE(log.store->HasUnsavedRecords()) << r.what;
        EXPECT_EQ(log.messages.progress.back(), 0u) << r.what;
    }
}

TEST_F(CaptureFileSave, AReadOnlyTargetIsRefusedAndKept) {
    SampleLog log(30);
    const std::wstring path = files.File(L"readonly.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    const std::vector<uint8_t> old = ReadFileBytes(path);
    log.DeliverMore(10);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    log.messages.progress.clear();
    EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), STG_E_ACCESSDENIED);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_TRUE(log.messages.progress.empty());   // refused before any work
    // A folder is no target either.
    EXPECT_EQ(log.store->SaveCaptureFile(files.path().c_str(), &log.messages), STG_E_ACCESSDENIED);
}

TEST_F(CaptureFileSave, SaveAsWritesTheWholeLogAndSavingAgainWithoutNewRecordsWritesNothing) {
    SampleLog log(40);
    const std::wstring first = files.File(L"first.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(first.c_str(), &log.messages), S_OK);
    const FILETIME written = LastWrite(first);
    const std::vector<uint8_t> bytes = ReadFileBytes(first);
    Sleep(20);

    // Same file, nothing new: success without writing.
    log.messages.progress.clear();
    EXPECT_EQ(log.store->SaveCaptureFile(first.c_str(), &log.messages), S_OK);
    const FILETIME after = LastWrite(first);
    EXPECT_EQ(CompareFileTime(&written, &after), 0);
    EXPECT_EQ(ReadFileBytes(first), bytes);
    EXPECT_TRUE(log.messages.progress.empty());

    // Another path: the whole log, although nothing is new.
    const std::wstring second = files.File(L"second.bdx");
    EXPECT_EQ(log.store->SaveCaptureFile(second.c_str(), &log.messages), S_OK);
    EXPECT_EQ(OpenedCount(second), 40u);
    // The first file deleted meanwhile: written again.
    ASSERT_TRUE(DeleteFileW(second.c_str()));
    EXPECT_EQ(log.store->SaveCaptureFile(second.c_str(), &log.messages), S_OK);
    EXPECT_EQ(OpenedCount(second), 40u);
    // New records go to the file saved last.
    log.DeliverMore(5);
    EXPECT_EQ(log.store->SaveCaptureFile(second.c_str(), &log.messages), S_OK);
    EXPECT_EQ(OpenedCount(second), 45u);
    EXPECT_EQ(OpenedCount(first), 40u);
}

TEST_F(CaptureFileSave, WhatCannotBeSavedSaysSo) {
    // A log without records.
    SampleLog empty(0);
    const std::wstring path = files.File(L"empty.bdx");
    EXPECT_EQ(empty.store->SaveCaptureFile(path.c_str(), &empty.messages), STG_E_WRITEFAULT);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    // A cleared log: nothing to save either.
    SampleLog cleared(20);
    cleared.store->Clear();
    EXPECT_EQ(cleared.store->SaveCaptureFile(path.c_str(), &cleared.messages), STG_E_WRITEFAULT);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    // A closed store is not live.
    cleared.store->Close();
    EXPECT_EQ(cleared.store->SaveCaptureFile(path.c_str(), &cleared.messages), STG_E_ACCESSDENIED);
    // A folder that does not exist: a Win32 error, as a failure.
    SampleLog log(5);
    const HRESULT hr = log.store->SaveCaptureFile(files.File(L"no such folder\\x.bdx").c_str(), &log.messages);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(log.store->SaveCaptureFile(L"", &log.messages), STG_E_INVALIDNAME);
}

// Tables larger than the first 4 KB buffer (here more than 16 KB of names, so
// the buffer grows twice, and more than 4 KB of HID descriptors) are saved
// whole and read back whole.
TEST_F(CaptureFileSave, TablesLargerThanTheFirstBufferAreSavedWhole) {
    SampleLog log(50);
    std::vector<NameItem> devices, drivers;
    for (uint32_t i = 0; i < 200; ++i) {
        std::u16string name = u"\\Device\\A-rather-long-device-object-name-for-the-table-";
        for (char c : std::to_string(i)) name.push_back(static_cast<char16_t>(c));
        devices.push_back({0x8C000000 + i * 0x100, i, name});
        drivers.push_back({0x8D000000 + i * 0x100, i, u"\\Driver\\" + name.substr(8)});
    }
    std::vector<HidDescriptorItem> hid;
    for (uint8_t i = 0; i < 24; ++i) {
        HidDescriptorItem item = SampleNames().hid();
        item.interfaceNumber = i;
        // A long vendor-defined collection: 240 more bytes of items.
        for (int k = 0; k < 40; ++k) item.descriptor.insert(item.descriptor.end() - 1, {0x09, 0x01, 0x75, 0x08, 0x95, 0x01});
        item.objects = {{0x8E000000u + i * 0x100u, i}};
        item.pipes = {{0x8F000000u + i * 0x100u, i, 1, 2}};
        hid.push_back(item);
    }
    Bytes notes = NameListBlock(1, devices);
    const Bytes driverBlock = NameListBlock(3, drivers);
    const Bytes hidBlock = HidDescriptorBlock(hid);
    notes.insert(notes.end(), driverBlock.begin(), driverBlock.end());
    notes.insert(notes.end(), hidBlock.begin(), hidBlock.end());
    ASSERT_TRUE(log.store->AddDriverNotifications(notes.data(), notes.size()));
    std::vector<uint8_t> hidBytes(1u << 20);
    size_t hidSize = 0;
    ASSERT_EQ(log.store->GetRDHash().ToBlock(hidBytes.data(), hidBytes.size(), &hidSize, kDriverRecordLayout), 0u);
    ASSERT_GT(hidSize, 4096u);

    const std::wstring path = files.File(L"tables.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    CCaptureStore opened;
    MessageRecorder progress;
    ASSERT_EQ(opened.OpenCaptureFile(path.c_str(), &progress), S_OK);
    char16_t name[256];
    for (const NameItem& d : devices) {
        const uint32_t n = opened.LookupDeviceName(OBJECT_KEY{d.key0, d.key1}, name, 256);
        EXPECT_EQ(std::u16string(name, n), d.name);
    }
    for (const NameItem& d : drivers) {
        const uint32_t n = opened.LookupDriverName(OBJECT_KEY{d.key0, d.key1}, name, 256);
        EXPECT_EQ(std::u16string(name, n), d.name);
    }
    // Every descriptor is found again by its object and its pipe, whole (the
    // table's own order of entries may differ after the reload).
    for (const HidDescriptorItem& item : hid) {
        const HID_OBJECT_KEY object{item.objects[0].key0, item.objects[0].key1, 0, 0};
        const HID_OBJECT_KEY pipe{item.pipes[0].key0, item.pipes[0].key1, 0, 0};
        const uint32_t id = opened.GetRDHash().GetIdByObject(object, item.interfaceNumber);
        ASSERT_NE(id, 0u) << +item.interfaceNumber;
        EXPECT_EQ(opened.GetRDHash().GetIdByPipe(pipe, item.interfaceNumber), id);
        std::vector<uint8_t> descriptor(opened.GetRDHash().GetDescriptorLength(id));
        ASSERT_EQ(opened.GetRDHash().GetDescriptor(id, descriptor.data(), descriptor.size()), descriptor.size());
        EXPECT_EQ(descriptor, item.descriptor);
    }
    std::vector<uint8_t> reopened(1u << 20);
    size_t reopenedSize = 0;
    ASSERT_EQ(opened.GetRDHash().ToBlock(reopened.data(), reopened.size(), &reopenedSize, opened.GetRecordLayout()), 0u);
    EXPECT_EQ(reopenedSize, hidSize);
    EXPECT_EQ(opened.GetRecordCount(), 50u);
}
