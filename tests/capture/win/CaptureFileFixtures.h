// Fixtures of the capture-file tests: a folder for saved files, a live log
// built from the record builder (records, names, HID descriptors, driver
// information, counter frequency), a recorder of the progress messages, and
// helpers that edit a saved file in place to damage or age it.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <propidl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureFileFormat.h"
#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/MessageTarget.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"
#include "tests/capture/win/ScratchFolder.h"

namespace brx::fixtures {

constexpr uint32_t kMB = 1u << 20;

// The messages a store sent and posted.
class MessageRecorder final : public IMessageTarget {
public:
    bool Post(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (message == WM_LOGFULLNESS) fullness.push_back(static_cast<uint32_t>(wParam));
        return true;
    }
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        EXPECT_EQ(message, WM_LOGPROGRESS);
        EXPECT_EQ(lParam, 0);
        progress.push_back(static_cast<uint32_t>(wParam));
        return 0;
    }
    std::vector<uint32_t> progress;
    std::vector<uint32_t> fullness;
};

// A folder for saved files, emptied and removed at the end.
class FileFolder {
public:
    FileFolder() {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        static int serial = 0;
        path_ = std::wstring(temp) + L"brx_files_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++serial);
        EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
    }
    ~FileFolder() {
        for (const std::wstring& name : Names(L"*")) {
            const std::wstring p = path_ + L"\\" + name;
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(p.c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    const std::wstring& path() const { return path_; }
    // The names of the files matching a pattern.
    std::vector<std::wstring> Names(const wchar_t* pattern) const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"\\" + pattern).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    // Temporary files of saves left behind.
    std::vector<std::wstring> Temporaries() const { return Names(L"bdx*.tmp"); }

private:
    std::wstring path_;
};

inline std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(h);
    return bytes;
}

inline void WriteFileBytes(const std::wstring& path, const uint8_t* bytes, size_t size) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (size) WriteFile(h, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, size);
}

// Keys and names the sample log carries.
struct SampleNames {
    static constexpr uint32_t kHidInterface = 0;
    std::vector<NameItem> devices = {
        {0x89A01030, 0x00000011, u"\\Device\\USBPDO-4"},
        {0x85550020, 0x00000022, u"\\Device\\USBSTOR-0"},
        {0x87770020, 0x00000033, u"\\Device\\HID-Mouse"},
    };
    std::vector<NameItem> drivers = {
        {0x89B00200, 0x00000001, u"\\Driver\\usbhub"},
        {0x89B00300, 0x00000002, u"\\Driver\\USBSTOR"},
    };
    HidDescriptorItem hid() const {
        HidDescriptorItem item;
        item.interfaceNumber = kHidInterface;
        // A three-button mouse.
        item.descriptor = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
                           0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                           0x95, 0x01, 0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                           0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
        item.objects = {{0x87770020, 0x00000033}};
        item.pipes = {{0x8A0C7000, 0x00000001, 1, 2}};
        return item;
    }
};

// A live log on a scratch file with the given records and the sample tables.
class SampleLog {
public:
    explicit SampleLog(size_t records = 300, const RECORD_LAYOUT& layout = kDriverRecordLayout,
                       uint32_t scratchSize = 8 * kMB)
        : b(layout), store(std::make_unique<CCaptureStore>(&messages)) {
        EXPECT_EQ(store->CreateTempFile(scratch.path().c_str(), scratchSize), S_OK);
        store->SetDriverInfo(MakeDriverInfo(layout));
        store->SetCounterFrequency(10000000);
        SampleNames names;
        Bytes notes = NameListBlock(1, names.devices, layout);
        const Bytes drivers = NameListBlock(3, names.drivers, layout);
        const Bytes hid = HidDescriptorBlock({names.hid()}, layout);
        notes.insert(notes.end(), drivers.begin(), drivers.end());
        notes.insert(notes.end(), hid.begin(), hid.end());
        EXPECT_TRUE(store->AddDriverNotifications(notes.data(), notes.size()));
        if (records) Deliver(MixedStream(records, b).bytes());
    }

    // The reader thread's turn: a window, the bytes written into it, a commit.
    void Deliver(const Bytes& bytes) {
        uint8_t* window = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(store->AcquireWriteWindow(&window, &length), S_OK);
        ASSERT_GE(length, bytes.size());
        std::memcpy(window, bytes.data(), bytes.size());
        ASSERT_EQ(store->CommitCapturedData(window, static_cast<uint32_t>(bytes.size())), S_OK);
    }
    // More records of the mixed kinds.
    void DeliverMore(size_t records) { Deliver(MixedStream(records, b).bytes()); }

    ScratchFolder scratch;   // outlives the store, which removes its file
    MessageRecorder messages;
    RecordBuilder b;
    std::unique_ptr<CCaptureStore> store;
};

// Reads record i of a store whole.
inline std::vector<uint8_t> RecordBytes(CCaptureStore& s, uint32_t i) {
    std::vector<uint8_t> buffer(64 * 1024);
    CRecordView view;
    view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
    EXPECT_EQ(s.ReadRecordView(i, view), S_OK) << i;
    buffer.resize(view.copied);
    return buffer;
}

// The records of a saved file as a new store opens them; 0 when it does not open.
inline uint32_t OpenedCount(const std::wstring& path) {
    CCaptureStore store;
    MessageRecorder r;
    if (store.OpenCaptureFile(path.c_str(), &r) != S_OK) return 0;
    return store.GetRecordCount();
}

inline RECORD_INDEX_ENTRY EntryOf(CCaptureStore& s, uint32_t i) {
    RECORD_INDEX_ENTRY e{};
    EXPECT_EQ(s.GetIndexEntry(i, &e), S_OK) << i;
    return e;
}

// Opens a saved file for editing and runs fn on its root storage.
inline void EditFile(const std::wstring& path, const std::function<void(IStorage*)>& fn) {
    IStorage* root = nullptr;
    ASSERT_EQ(StgOpenStorageEx(path.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0, nullptr,
                               nullptr, IID_IStorage, reinterpret_cast<void**>(&root)),
              S_OK);
    fn(root);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
}

// Runs fn on a stream of storage "0000".
inline void EditStream(IStorage* root, const FILE_GUID& guid, const std::function<void(IStream*)>& fn) {
    IStorage* storage = nullptr;
    ASSERT_EQ(root->OpenStorage(L"0000", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &storage), S_OK);
    IStream* stream = nullptr;
    const std::u16string name = StreamNameFromGuid(guid);
    ASSERT_EQ(storage->OpenStream(reinterpret_cast<const wchar_t*>(name.c_str()), nullptr,
                                  STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stream),
              S_OK);
    fn(stream);
    stream->Release();
    storage->Commit(STGC_DEFAULT);
    storage->Release();
}

inline void WriteAt(IStream* stream, uint64_t position, const void* bytes, ULONG size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    ASSERT_EQ(stream->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream->Write(bytes, size, &written), S_OK);
    ASSERT_EQ(written, size);
}

inline void ReadAt(IStream* stream, uint64_t position, void* bytes, ULONG size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    ASSERT_EQ(stream->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
    ULONG got = 0;
    ASSERT_EQ(stream->Read(bytes, size, &got), S_OK);
    ASSERT_EQ(got, size);
}

inline void SetStreamSize(IStream* stream, uint64_t size) {
    ULARGE_INTEGER s;
    s.QuadPart = size;
    ASSERT_EQ(stream->SetSize(s), S_OK);
}

// Replaces the bytes of one of the root's streams (a property set's, for one).
inline void ReplaceRootStream(IStorage* root, const std::u16string& name, const std::vector<uint8_t>& bytes) {
    IStream* stream = nullptr;
    ASSERT_EQ(root->OpenStream(reinterpret_cast<const wchar_t*>(name.c_str()), nullptr,
                               STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stream),
              S_OK);
    SetStreamSize(stream, bytes.size());
    WriteAt(stream, 0, bytes.data(), static_cast<ULONG>(bytes.size()));
    stream->Release();
}

// A driver information blob whose layout DWORDs all hold one value.
inline PROPVARIANT DriverInfoOfDwords(std::vector<uint8_t>& storage, uint32_t value) {
    storage.assign(DRIVER_INFO_SIZE, 0);
    for (size_t i = 0; i < DRIVER_INFO_SIZE; i += 4) std::memcpy(storage.data() + i, &value, 4);
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_BLOB;
    v.blob.cbSize = DRIVER_INFO_SIZE;
    v.blob.pBlobData = storage.data();
    return v;
}

// Writes or deletes properties of one of the root's property sets.
inline void EditProperties(IStorage* root, const FILE_GUID& fmtid,
                           const std::function<void(IPropertyStorage*)>& fn) {
    IPropertySetStorage* sets = nullptr;
    ASSERT_EQ(StgCreatePropSetStg(root, 0, &sets), S_OK);
    IPropertyStorage* set = nullptr;
    ASSERT_EQ(sets->Open(ToGuid(fmtid), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &set), S_OK);
    fn(set);
    EXPECT_EQ(set->Commit(STGC_DEFAULT), S_OK);
    set->Release();
    sets->Release();
}

inline void WriteProperty(IPropertyStorage* set, PROPID id, const PROPVARIANT& value) {
    PROPSPEC spec;
    spec.ulKind = PRSPEC_PROPID;
    spec.propid = id;
    ASSERT_EQ(set->WriteMultiple(1, &spec, &value, PID_FIRST_USABLE), S_OK);
}

inline void DeleteProperty(IPropertyStorage* set, PROPID id) {
    PROPSPEC spec;
    spec.ulKind = PRSPEC_PROPID;
    spec.propid = id;
    ASSERT_EQ(set->DeleteMultiple(1, &spec), S_OK);
}

inline PROPVARIANT UInt32Value(ULONG v) {
    PROPVARIANT p;
    PropVariantInit(&p);
    p.vt = VT_UI4;
    p.ulVal = v;
    return p;
}

// Reads one property of a saved file's property set; VT_EMPTY when missing.
inline PROPVARIANT ReadProperty(const std::wstring& path, const FILE_GUID& fmtid, PROPID id) {
    PROPVARIANT v;
    PropVariantInit(&v);
    IStorage* root = nullptr;
    if (FAILED(StgOpenStorageEx(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0, nullptr,
                                nullptr, IID_IStorage, reinterpret_cast<void**>(&root))))
        return v;
    IPropertySetStorage* sets = nullptr;
    IPropertyStorage* set = nullptr;
    if (SUCCEEDED(StgCreatePropSetStg(root, 0, &sets)) &&
        SUCCEEDED(sets->Open(ToGuid(fmtid), STGM_READ | STGM_SHARE_EXCLUSIVE, &set))) {
        PROPSPEC spec;
        spec.ulKind = PRSPEC_PROPID;
        spec.propid = id;
        set->ReadMultiple(1, &spec, &v);
        set->Release();
    }
    if (sets) sets->Release();
    root->Release();
    return v;
}

} // namespace brx::fixtures
