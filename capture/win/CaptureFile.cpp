#include "capture/win/CaptureFile.h"

#include <objbase.h>
#include <propidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteReader.h"
#include "capture/CompoundFileCheck.h"
#include "capture/Product.h"
#include "capture/PropertySetCheck.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/FileLockBytes.h"
#include "capture/win/SystemHelpers.h"

namespace brx {

const wchar_t kText64BitCapture[] =
    L"This capture file was created with 64-bit version of the program and can't be viewed.";

namespace {

class CSystemCompoundFiles final : public ICompoundFiles {
public:
    HRESULT StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD, IStorage** storage) override {
        return CreateDocfileOnFile(name, mode, storage);
    }
    BOOL MoveFileExW(const WCHAR* existing, const WCHAR* target, DWORD flags) override {
        return ::MoveFileExW(existing, target, flags);
    }
};

ICompoundFiles* g_installed = nullptr;

// An owned interface pointer.
template <class T>
class CRef {
public:
    CRef() = default;
    ~CRef() { Reset(); }
    CRef(const CRef&) = delete;
    CRef& operator=(const CRef&) = delete;
    T** operator&() {
        Reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T* Detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

private:
    T* p_ = nullptr;
};

constexpr HRESULT Hr(HRESULT32 code) { return static_cast<HRESULT>(code); }

// The last Win32 error as a structured-storage failure (never a success).
HRESULT LastErrorAsStg() {
    const DWORD error = GetLastError();
    return Hr(Win32ErrorToStg(error ? error : ERROR_GEN_FAILURE));
}

const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

constexpr DWORD kCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kChildCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD kReadMode = STGM_READ | STGM_SHARE_EXCLUSIVE;

// The tables are serialised into a buffer that grows fourfold from 4 KB while
// the table asks for more, up to 4 MB.
constexpr size_t kTableBufferFirst = 4096;
constexpr size_t kTableBufferMax = 4u << 20;
// A table stream larger than the writer's largest buffer is not read.
constexpr uint64_t kTableStreamMax = kTableBufferMax;
// Records are written in runs of at most this many bytes.
constexpr uint32_t kWriteRun = 4u << 20;
// Index offsets are written, and record sizes taken, this many at a time.
constexpr uint32_t kBatch = 16384;
// The part of a record that holds its size and type.
constexpr uint32_t kRecordHead = 24;

// Writes all bytes to a stream; a short write is a write fault.
HRESULT WriteAll(IStream* stream, const void* bytes, uint64_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    while (size) {
        const ULONG chunk = static_cast<ULONG>(std::min<uint64_t>(size, kWriteRun));
        ULONG written = 0;
        const HRESULT hr = stream->Write(p, chunk, &written);
        if (FAILED(hr)) return hr;
        if (written != chunk) return STG_E_WRITEFAULT;
        p += chunk;
        size -= chunk;
    }
    return S_OK;
}

HRESULT CreateStream(IStorage* storage, const FILE_GUID& guid, IStream** stream) {
    const std::u16string name = StreamNameFromGuid(guid);
    return storage->CreateStream(Wide(name.c_str()), kChildCreateMode, 0, 0, stream);
}

HRESULT OpenStream(IStorage* storage, const FILE_GUID& guid, IStream** stream) {
    const std::u16string name = StreamNameFromGuid(guid);
    return storage->OpenStream(Wide(name.c_str()), nullptr, kReadMode, 0, stream);
}

HRESULT StreamSize(IStream* stream, uint64_t* size) {
    STATSTG stat{};
    const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    *size = stat.cbSize.QuadPart;
    return S_OK;
}

// Reads exactly size bytes from position; a short read fails.
HRESULT ReadExact(IStream* stream, uint64_t position, void* destination, uint32_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    HRESULT hr = stream->Seek(at, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    ULONG got = 0;
    hr = stream->Read(destination, size, &got);
    if (FAILED(hr)) return hr;
    return got == size ? S_OK : STG_E_READFAULT;
}

// Whether `size` bytes from a position read whole, in pieces of at most
// 64 KB.
bool ReadsWhole(IStream* stream, uint64_t position, uint64_t size) {
    std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(size, 64 * 1024)));
    for (uint64_t done = 0; done < size;) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(size - done, piece.size()));
        if (FAILED(ReadExact(stream, position + done, piece.data(), n))) return false;
        done += n;
    }
    return true;
}

// A table serialised as one block, into a buffer that grows fourfold from
// 4 KB while the table asks for more, up to 4 MB; the block's bytes are kept.
template <class ToBlock>
HRESULT SerialiseTable(std::vector<uint8_t>& block, ToBlock toBlock) {
    uint32_t written = 0;
    for (size_t size = kTableBufferFirst;; size *= 4) {
        block.assign(size, 0);
        const uint32_t error = toBlock(block.data(), size, written);
        if (error == 0) break;
        if (error != ERROR_INSUFFICIENT_BUFFER || size >= kTableBufferMax) return Hr(Win32ErrorToStg(error));
    }
    block.resize(std::min<size_t>(written, block.size()));
    return S_OK;
}

// A table's block written into a stream of its own.
HRESULT WriteTableStream(IStorage* storage, const FILE_GUID& guid, const std::vector<uint8_t>& block) {
    CRef<IStream> stream;
    HRESULT hr = CreateStream(storage, guid, &stream);
    if (FAILED(hr)) return hr;
    return WriteAll(stream.Get(), block.data(), block.size());
}

// What a compound file of `payload` stream bytes takes on disk at most: its
// sectors, their allocation table (4 bytes a 512-byte sector), the header,
// directory, property sets and small-stream sectors.
uint64_t CompoundFileBytes(uint64_t payload) {
    return payload + payload / 128 + 64 * 1024;
}

// A table stream read whole; empty when it is missing, unreadable or larger
// than any table the program writes.
std::vector<uint8_t> ReadTableStream(IStorage* storage, const FILE_GUID& guid) {
    std::vector<uint8_t> bytes;
    CRef<IStream> stream;
    uint64_t size = 0;
    if (FAILED(OpenStream(storage, guid, &stream)) || FAILED(StreamSize(stream.Get(), &size)) ||
        size > kTableStreamMax || size == 0)
        return bytes;
    bytes.resize(static_cast<size_t>(size));
    if (FAILED(ReadExact(stream.Get(), 0, bytes.data(), static_cast<uint32_t>(size)))) bytes.clear();
    return bytes;
}

PROPSPEC PropId(PROPID id) {
    PROPSPEC spec;
    spec.ulKind = PRSPEC_PROPID;
    spec.propid = id;
    return spec;
}

PROPVARIANT Text(const wchar_t* text) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_LPWSTR;
    v.pwszVal = const_cast<LPWSTR>(text);
    return v;
}

PROPVARIANT Time(const FILETIME& time) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_FILETIME;
    v.filetime = time;
    return v;
}

PROPVARIANT UInt(ULONG value) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_UI4;
    v.ulVal = value;
    return v;
}

PROPVARIANT Blob(const std::vector<uint8_t>& bytes) {
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_BLOB;
    v.blob.cbSize = static_cast<ULONG>(bytes.size());
    v.blob.pBlobData = const_cast<BYTE*>(bytes.data());
    return v;
}

HRESULT WritePropertySet(IStorage* root, const FILE_GUID& fmtid, const std::vector<PROPSPEC>& specs,
                         const std::vector<PROPVARIANT>& values) {
    CRef<IPropertySetStorage> sets;
    HRESULT hr = StgCreatePropSetStg(root, 0, &sets);
    if (FAILED(hr)) return hr;
    CRef<IPropertyStorage> set;
    const GUID id = ToGuid(fmtid);
    hr = sets->Create(id, nullptr, PROPSETFLAG_DEFAULT, kCreateMode, &set);
    if (FAILED(hr)) return hr;
    hr = set->WriteMultiple(static_cast<ULONG>(specs.size()), specs.data(), values.data(), PID_FIRST_USABLE);
    if (FAILED(hr)) return hr;
    return set->Commit(STGC_DEFAULT);
}

OS_VERSION ThisSystem() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    OS_VERSION v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return v;
#pragma GCC diagnostic pop
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
    v.platform = info.dwPlatformId;
    const size_t chars = wcsnlen(info.szCSDVersion, 128);
    v.servicePack.assign(reinterpret_cast<const char16_t*>(info.szCSDVersion), std::min<size_t>(chars, 127));
    return v;
}

std::wstring FullPathOf(const wchar_t* path) {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(path, static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (n == 0 || n >= std::size(buffer)) return std::wstring();
    return std::wstring(buffer, n);
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The temporary file of a save: deleted unless the save kept it.
class CTemporaryFile {
public:
    ~CTemporaryFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    // Creates a new empty file in the folder.
    HRESULT Create(const std::wstring& folder) {
        wchar_t name[MAX_PATH];
        if (!GetTempFileNameW(folder.c_str(), L"bdx", 0, name)) return LastErrorAsStg();
        path_ = name;
        return S_OK;
    }
    const std::wstring& path() const { return path_; }
    // The finished file takes the target's place; from then on it is kept.
    HRESULT ReplaceTarget(const std::wstring& target) {
        if (!CompoundFiles().MoveFileExW(path_.c_str(), target.c_str(),
                                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return LastErrorAsStg();
        path_.clear();
        return S_OK;
    }

private:
    std::wstring path_;
};

// The data stream of an opened file as the re-indexing reads it.
class CStreamSource final : public IRecordSource {
public:
    explicit CStreamSource(IStream* stream) : stream_(stream) {}
    bool ReadAt(uint64_t position, void* destination, uint32_t length, uint32_t* got) override {
        *got = 0;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        if (FAILED(stream_->Seek(at, STREAM_SEEK_SET, nullptr))) return false;
        ULONG n = 0;
        if (FAILED(stream_->Read(destination, length, &n))) return false;
        *got = n;
        return true;
    }

private:
    IStream* stream_;
};

// Index storage for an opened file: the array is sized once for all records
// and filled from the front.
class CPresizedIndex final : public IRecordIndex {
public:
    explicit CPresizedIndex(CRecordIndexArray& a) : a_(a) {}
    uint32_t GetCount() const override { return built_; }
    bool Append(const RECORD_INDEX_ENTRY& entry) override {
        RECORD_INDEX_ENTRY* slot = a_.GetAt(built_);
        if (!slot) return false;
        *slot = entry;
        ++built_;
        return true;
    }
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) override { return index < built_ ? a_.GetAt(index) : nullptr; }

private:
    CRecordIndexArray& a_;
    uint32_t built_ = 0;
};

// Holds the store's lock (a critical section) for a save or an open.
class CSectionGuard {
public:
    explicit CSectionGuard(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~CSectionGuard() { LeaveCriticalSection(&cs_); }
    CSectionGuard(const CSectionGuard&) = delete;
    CSectionGuard& operator=(const CSectionGuard&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

// Sends WM_LOGPROGRESS; 0 at the end of every save and open.
class CProgress {
public:
    explicit CProgress(IMessageTarget& target) : target_(target) {}
    ~CProgress() { Send(0); }
    void Send(uint32_t value) { target_.Send(WM_LOGPROGRESS, value, 0); }

private:
    IMessageTarget& target_;
};

} // namespace

ICompoundFiles& CompoundFiles() {
    static CSystemCompoundFiles system;
    return g_installed ? *g_installed : system;
}

ICompoundFiles* SetCompoundFiles(ICompoundFiles* files) {
    ICompoundFiles* previous = g_installed;
    g_installed = files;
    return previous;
}

GUID ToGuid(const FILE_GUID& guid) {
    GUID g;
    g.Data1 = guid.data1;
    g.Data2 = guid.data2;
    g.Data3 = guid.data3;
    std::memcpy(g.Data4, guid.data4, sizeof g.Data4);
    return g;
}

// ---------------------------------------------------------------------------
// The steps, with the store's lock held by the caller.

class CCaptureStore::CFileIo {
public:
    static HRESULT Write(CCaptureStore& s, const std::wstring& target, CProgress& progress);
    static HRESULT WriteSummaryInformation(CCaptureStore& s, IStorage* root);
    static HRESULT WriteLogProperties(CCaptureStore& s, IStorage* root);
    // The three tables as blocks: HID, driver names, device names.
    struct TableBlocks {
        std::vector<uint8_t> hid, drivers, devices;
        uint64_t Bytes() const { return hid.size() + drivers.size() + devices.size(); }
    };
    static HRESULT SerialiseTables(CCaptureStore& s, const RECORD_LAYOUT& layout, TableBlocks& blocks);
    static HRESULT WriteTables(IStorage* storage, const TableBlocks& blocks);
    static HRESULT WriteRecords(CCaptureStore& s, IStorage* storage, CProgress& progress);
    // Calls fn(i, position, size) for every record in index order with the
    // sizes a live store gives its records; stops at the first failure.
    template <class Fn>
    static HRESULT ForEachRecord(CCaptureStore& s, Fn fn);

    static HRESULT ReadLogProperties(CCaptureStore& s, IStorage* root);
    static HRESULT Open(CCaptureStore& s, const wchar_t* path, CProgress& progress);
};

template <class Fn>
HRESULT CCaptureStore::CFileIo::ForEachRecord(CCaptureStore& s, Fn fn) {
    const uint32_t n = s.index_.GetCount();
    std::vector<uint32_t> positions(kBatch + 1), sizes(kBatch + 1);
    for (uint32_t first = 0; first < n; first += kBatch) {
        const uint32_t k = std::min(kBatch, n - first);
        // One position beyond the batch, so that its last size is a distance.
        const uint32_t with = k + (first + k < n ? 1 : 0);
        for (uint32_t j = 0; j < with; ++j) positions[j] = GetEntryPosition(*s.index_.GetAt(first + j));
        s.GetRecordSizes(positions.data(), sizes.data(), with);
        for (uint32_t j = 0; j < k; ++j) {
            const HRESULT hr = fn(first + j, positions[j], sizes[j]);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT CCaptureStore::CFileIo::WriteSummaryInformation(CCaptureStore& s, IStorage* root) {
    wchar_t revision[16];
    std::swprintf(revision, std::size(revision), L"%u", s.saveCount_);
    wchar_t application[64];
    std::swprintf(application, std::size(application), L"%ls %hs", Wide(GetProductNameW()), GetVersionText());
    FILETIME now;
    CoFileTimeNow(&now);
    const std::vector<PROPSPEC> specs = {
        PropId(SUMMARY_PID_TITLE),     PropId(SUMMARY_PID_AUTHOR),      PropId(SUMMARY_PID_COMMENTS),
        PropId(SUMMARY_PID_LAST_AUTHOR), PropId(SUMMARY_PID_REVISION),  PropId(SUMMARY_PID_EDIT_TIME),
        PropId(SUMMARY_PID_CREATED),   PropId(SUMMARY_PID_LAST_SAVED),  PropId(SUMMARY_PID_APPLICATION),
        PropId(SUMMARY_PID_SECURITY),
    };
    PROPVARIANT security;
    PropVariantInit(&security);
    security.vt = VT_I4;
    security.lVal = 0;
    const std::vector<PROPVARIANT> values = {
        Text(L""), Text(L""), Text(L""), Text(L""), Text(revision), Time(FILETIME{}),
        Time(s.creationTime_), Time(now), Text(application), security,
    };
    return WritePropertySet(root, FMTID_SUMMARY_INFORMATION, specs, values);
}

HRESULT CCaptureStore::CFileIo::WriteLogProperties(CCaptureStore& s, IStorage* root) {
    // The log is saved on the system that captured it.
    const std::vector<uint8_t> system = MakeOsVersionBlob(ThisSystem());
    const std::vector<uint8_t> base = BaseBlockToBlob(s.baseBlock_);
    const std::vector<uint8_t> info(s.driverInfo_.bytes, s.driverInfo_.bytes + DriverInfoBlobSize(s.driverInfo_));
    const std::vector<PROPSPEC> specs = {
        PropId(LOG_PID_VERSION),        PropId(LOG_PID_RESERVED3),     PropId(LOG_PID_RESERVED4),
        PropId(LOG_PID_CAPTURE_SYSTEM), PropId(LOG_PID_SAVING_SYSTEM), PropId(LOG_PID_BITNESS),
        PropId(LOG_PID_BASE_BLOCK),     PropId(LOG_PID_DRIVER_INFO),
    };
    const std::vector<PROPVARIANT> values = {
        UInt(CAPTURE_FILE_VERSION), UInt(LOG_RESERVED_VALUE), UInt(LOG_RESERVED_VALUE),
        Blob(system),               Blob(system),             UInt(s.is64Bit_ ? LOG_BITNESS_64 : LOG_BITNESS_32),
        Blob(base),                 Blob(info),
    };
    return WritePropertySet(root, FMTID_CAPTURE_LOG, specs, values);
}

HRESULT CCaptureStore::CFileIo::SerialiseTables(CCaptureStore& s, const RECORD_LAYOUT& layout, TableBlocks& blocks) {
    HRESULT hr = SerialiseTable(blocks.hid, [&](uint8_t* b, size_t n, uint32_t& written) {
        size_t w = 0;
        const uint32_t error = s.hidDescriptors_.ToBlock(b, n, &w, layout);
        written = static_cast<uint32_t>(w);
        return error;
    });
    if (FAILED(hr)) return hr;
    hr = SerialiseTable(blocks.drivers, [&](uint8_t* b, size_t n, uint32_t& written) {
        return s.driverNames_.ToBlock(b, n, written, layout);
    });
    if (FAILED(hr)) return hr;
    return SerialiseTable(blocks.devices, [&](uint8_t* b, size_t n, uint32_t& written) {
        return s.deviceNames_.ToBlock(b, n, written, layout);
    });
}

HRESULT CCaptureStore::CFileIo::WriteTables(IStorage* storage, const TableBlocks& blocks) {
    HRESULT hr = WriteTableStream(storage, GUID_HID_STREAM, blocks.hid);
    if (FAILED(hr)) return hr;
    hr = WriteTableStream(storage, GUID_DRIVER_NAME_STREAM, blocks.drivers);
    if (FAILED(hr)) return hr;
    return WriteTableStream(storage, GUID_DEVICE_NAME_STREAM, blocks.devices);
}

HRESULT CCaptureStore::CFileIo::WriteRecords(CCaptureStore& s, IStorage* storage, CProgress& progress) {
    const uint32_t n = s.index_.GetCount();
    if (n == 0) return STG_E_WRITEFAULT;
    const uint8_t* base = s.scratch_.GetBase();
    const uint32_t used = s.scratch_.GetUsed();
    if (!base) return STG_E_WRITEFAULT;

    // The index: header, then each record's offset in the data stream. Every
    // record must lie in the committed part of the scratch file.
    CRef<IStream> index;
    HRESULT hr = CreateStream(storage, GUID_INDEX_STREAM, &index);
    if (FAILED(hr)) return hr;
    ULARGE_INTEGER size;
    size.QuadPart = INDEX_HEADER_SIZE + 4ull * n;
    hr = index->SetSize(size);
    if (FAILED(hr)) return hr;
    uint8_t header[INDEX_HEADER_SIZE];
    MakeIndexHeader(n, header);
    hr = WriteAll(index.Get(), header, sizeof header);
    if (FAILED(hr)) return hr;
    std::vector<uint8_t> offsets;
    offsets.reserve(4 * kBatch);
    uint64_t total = 0;
    hr = ForEachRecord(s, [&](uint32_t i, uint32_t position, uint32_t recordSize) -> HRESULT {
        if (recordSize == 0 || position > used || recordSize > used - position) return STG_E_WRITEFAULT;
        for (int b = 0; b < 4; ++b) offsets.push_back(static_cast<uint8_t>(total >> (8 * b)));
        total += recordSize;
        if (offsets.size() == 4 * kBatch || i + 1 == n) {
            const HRESULT w = WriteAll(index.Get(), offsets.data(), offsets.size());
            offsets.clear();
            return w;
        }
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    if (total > s.scratch_.GetSize()) return STG_E_WRITEFAULT;
    index.Reset();

    // The records, straight from the mapped scratch file in runs of records
    // that follow each other; progress every hundredth of the records.
    CRef<IStream> data;
    hr = CreateStream(storage, GUID_DATA_STREAM, &data);
    if (FAILED(hr)) return hr;
    size.QuadPart = total;
    hr = data->SetSize(size);
    if (FAILED(hr)) return hr;
    const uint32_t interval = ProgressInterval(n);
    uint32_t runStart = 0, runLength = 0;
    hr = ForEachRecord(s, [&](uint32_t i, uint32_t position, uint32_t recordSize) -> HRESULT {
        if (runLength && (position != runStart + runLength || runLength >= kWriteRun)) {
            const HRESULT w = WriteAll(data.Get(), base + runStart, runLength);
            if (FAILED(w)) return w;
            runLength = 0;
        }
        if (!runLength) runStart = position;
        runLength += recordSize;
        if ((i + 1) % interval == 0 || i + 1 == n) {
            const HRESULT w = WriteAll(data.Get(), base + runStart, runLength);
            if (FAILED(w)) return w;
            runLength = 0;
            if ((i + 1) % interval == 0) progress.Send(ProgressValue(i + 1, interval));
        }
        return S_OK;
    });
    return hr;
}

HRESULT CCaptureStore::CFileIo::Write(CCaptureStore& s, const std::wstring& target, CProgress& progress) {
    const size_t slash = target.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return STG_E_INVALIDNAME;
    const std::wstring folder = target.substr(0, slash + 1);
    // The tables in the layout the file's driver information gives its
    // reader, serialised first: with them the file's size is known.
    RECORD_LAYOUT layout;
    BuildRecordLayout(s.driverInfo_, layout);
    TableBlocks tables;
    HRESULT hr = SerialiseTables(s, layout, tables);
    if (FAILED(hr)) return hr;
    // A disk without room for the whole file is refused before anything is
    // written: a store that meets a full disk halfway may not come back.
    const uint64_t records = s.scratch_.GetUsed();
    const uint64_t index = INDEX_HEADER_SIZE + 4ull * s.index_.GetCount();
    if (!DiskHasRoomFor(folder.c_str(), CompoundFileBytes(records + index + tables.Bytes())))
        return STG_E_MEDIUMFULL;
    CTemporaryFile temp;
    hr = temp.Create(folder);
    if (FAILED(hr)) return hr;

    {
        CRef<IStorage> root;
        hr = CompoundFiles().StgCreateDocfile(temp.path().c_str(), kCreateMode, 0, &root);
        if (FAILED(hr)) return hr;
        // Every call's result counts: a file without its class id or times
        // is one the check refuses, so it must not be reported as saved.
        hr = root->SetClass(ToGuid(CLSID_CAPTURE_FILE));
        if (FAILED(hr)) return hr;
        hr = root->SetElementTimes(nullptr, &s.creationTime_, nullptr, nullptr);
        if (FAILED(hr)) return hr;

        // The property sets: without them the file would not open again.
        hr = WriteSummaryInformation(s, root.Get());
        if (FAILED(hr)) return hr;
        hr = WriteLogProperties(s, root.Get());
        if (FAILED(hr)) return hr;

        CRef<IStorage> storage;
        hr = root->CreateStorage(Wide(CAPTURE_STORAGE_NAME), kChildCreateMode, 0, 0, &storage);
        if (FAILED(hr)) return hr;
        FILETIME now;
        CoFileTimeNow(&now);
        hr = storage->SetClass(ToGuid(CLSID_CAPTURE_STORAGE));
        if (FAILED(hr)) return hr;
        hr = root->SetElementTimes(Wide(CAPTURE_STORAGE_NAME), &now, nullptr, nullptr);
        if (FAILED(hr)) return hr;

        hr = WriteTables(storage.Get(), tables);
        if (FAILED(hr)) return hr;
        hr = WriteRecords(s, storage.Get(), progress);
        if (FAILED(hr)) return hr;
        hr = storage->Commit(STGC_DEFAULT);
        if (FAILED(hr)) return hr;
        storage.Reset();
        hr = root->Commit(STGC_DEFAULT);
        if (FAILED(hr)) return hr;
    }

    // Everything is written: the new file takes the target's place.
    return temp.ReplaceTarget(target);
}

HRESULT CCaptureStore::SaveCaptureFile(const wchar_t* path, IMessageTarget* progressTarget) {
    if (!path || !*path) return STG_E_INVALIDNAME;
    const std::wstring target = FullPathOf(path);
    if (target.empty()) return STG_E_INVALIDNAME;
    CSectionGuard guard(lock_);
    if (!live_.load()) return STG_E_ACCESSDENIED;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // Nothing new for the file this log was saved to: it is up to date.
    if (!unsavedRecords_ && attributes != INVALID_FILE_ATTRIBUTES && SameTime(savedCreationTime_, creationTime_) &&
        CompareStringOrdinal(target.c_str(), -1, savedPath_.c_str(), -1, TRUE) == CSTR_EQUAL)
        return S_OK;
    // A read-only file or a folder is not replaced.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return STG_E_ACCESSDENIED;

    CProgress progress(progressTarget ? *progressTarget : MainWindowTarget());
    progress.Send(1);
    const uint32_t saveCount = saveCount_;
    ++saveCount_;
    HRESULT hr;
    try {
        hr = CFileIo::Write(*this, target, progress);
    } catch (...) {
        hr = STG_E_ABNORMALAPIEXIT;
    }
    if (FAILED(hr)) {
        saveCount_ = saveCount;
        return hr;
    }
    unsavedRecords_ = false;
    savedPath_ = target;
    savedCreationTime_ = creationTime_;
    progress.Send(100);
    return S_OK;
}

// Save As of a store opened from a file: the opened compound file is copied
// whole (records, index, tables and properties as they are) into a temporary
// file beside the target, which replaces the target only when everything
// was written.
HRESULT CCaptureStore::SaveOpenedCaptureFile(const wchar_t* path, IMessageTarget* progressTarget) {
    if (!path || !*path) return STG_E_INVALIDNAME;
    const std::wstring target = FullPathOf(path);
    const size_t slash = target.find_last_of(L"\\/");
    if (target.empty() || slash == std::wstring::npos) return STG_E_INVALIDNAME;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return STG_E_ACCESSDENIED;
    CSectionGuard guard(lock_);
    if (live_.load() || !rootStorage_) return STG_E_ACCESSDENIED;

    CProgress progress(progressTarget ? *progressTarget : MainWindowTarget());
    progress.Send(1);
    // The copy needs about what the opened file's records and index take.
    uint64_t dataSize = 0;
    if (dataStream_ && FAILED(StreamSize(dataStream_, &dataSize))) dataSize = 0;
    const uint64_t index = INDEX_HEADER_SIZE + 4ull * index_.GetCount();
    if (!DiskHasRoomFor(target.substr(0, slash + 1).c_str(), CompoundFileBytes(dataSize + index)))
        return STG_E_MEDIUMFULL;
    CTemporaryFile temp;
    HRESULT hr = temp.Create(target.substr(0, slash + 1));
    if (FAILED(hr)) return hr;
    {
        CRef<IStorage> copy;
        hr = CompoundFiles().StgCreateDocfile(temp.path().c_str(), kCreateMode, 0, &copy);
        if (FAILED(hr)) return hr;
        hr = rootStorage_->CopyTo(0, nullptr, nullptr, copy.Get());
        if (FAILED(hr)) return hr;
        hr = copy->Commit(STGC_DEFAULT);
        if (FAILED(hr)) return hr;
    }
    hr = temp.ReplaceTarget(target);
    if (FAILED(hr)) return hr;
    progress.Send(100);
    return S_OK;
}

// ---------------------------------------------------------------------------
// Check

namespace {

// The size of the file: no stream of it can be larger.
uint64_t FileSizeOf(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool FileExists(const wchar_t* path) {
    return path && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A file read through its handle, for the structure check.
class CFileSource final : public IRecordSource {
public:
    explicit CFileSource(HANDLE file) : file_(file) {}
    bool ReadAt(uint64_t position, void* destination, uint32_t length, uint32_t* got) override {
        *got = 0;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        DWORD n = 0;
        if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !ReadFile(file_, destination, length, &n, nullptr))
            return false;
        *got = n;
        return true;
    }

private:
    HANDLE file_;
};

// The compound file's own structure is sound (its tables and directory lie
// inside it and end): 0, STG_E_DOCFILECORRUPT, or the error of reading it.
HRESULT CheckFileStructure(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrorAsStg();
    LARGE_INTEGER size{};
    CFileSource source(file);
    const bool sound = GetFileSizeEx(file, &size) && CheckCompoundFileStructure(source, static_cast<uint64_t>(size.QuadPart));
    CloseHandle(file);
    return sound ? S_OK : STG_E_DOCFILECORRUPT;
}

// Opens the compound file for reading: STG_E_DOCFILECORRUPT for a file that
// is not one or whose structure is damaged, else the result of opening it.
HRESULT OpenCompoundFile(const wchar_t* path, IStorage** root) {
    // S_FALSE: not a compound file. Other failures (a file in use reads as
    // missing to some implementations) are left to the open to explain.
    if (StgIsStorageFile(path) == S_FALSE) return STG_E_DOCFILECORRUPT;
    const HRESULT hr = CheckFileStructure(path);
    if (FAILED(hr)) return hr;
    return OpenDocfileOnFile(path, kReadMode, root);
}

HRESULT ReadUInt(IPropertyStorage* set, PROPID id, uint32_t* value) {
    PROPSPEC spec = PropId(id);
    PROPVARIANT v;
    PropVariantInit(&v);
    HRESULT hr = set->ReadMultiple(1, &spec, &v);
    if (hr == S_OK && v.vt == VT_UI4) *value = v.ulVal;
    else if (SUCCEEDED(hr)) hr = S_FALSE;
    PropVariantClear(&v);
    return hr;
}

// The property set's own stream is whole and sound (its counts and sizes lie
// inside it): the system's reader trusts them. 0, STG_E_FILENOTFOUND when the
// set is missing, or STG_E_DOCFILECORRUPT.
HRESULT CheckPropertySet(IStorage* root, const FILE_GUID& fmtid) {
    const std::u16string name =
        fmtid == FMTID_SUMMARY_INFORMATION ? std::u16string(SUMMARY_INFORMATION_STREAM) : StreamNameFromGuid(fmtid);
    CRef<IStream> stream;
    if (FAILED(root->OpenStream(Wide(name.c_str()), nullptr, kReadMode, 0, &stream))) return STG_E_FILENOTFOUND;
    uint64_t size = 0;
    if (FAILED(StreamSize(stream.Get(), &size)) || size > MAX_PROPERTY_SET_STREAM) return STG_E_DOCFILECORRUPT;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (FAILED(ReadExact(stream.Get(), 0, bytes.data(), static_cast<uint32_t>(size))) ||
        !CheckPropertySetStream(bytes.data(), bytes.size(), fmtid))
        return STG_E_DOCFILECORRUPT;
    return S_OK;
}

// Opens a property set of the root for reading, once its stream passed the
// check.
HRESULT OpenPropertySet(IStorage* root, const FILE_GUID& fmtid, IPropertyStorage** set) {
    HRESULT hr = CheckPropertySet(root, fmtid);
    if (FAILED(hr)) return hr;
    CRef<IPropertySetStorage> sets;
    hr = StgCreatePropSetStg(root, 0, &sets);
    if (FAILED(hr)) return hr;
    return sets->Open(ToGuid(fmtid), kReadMode, set);
}

// The driver information and the record layout that a PID 12 value gives:
// the empty information and the default layout without a blob.
void DriverInfoFromProperty(const PROPVARIANT& value, DRIVER_INFO& info, RECORD_LAYOUT& layout) {
    info = MakeEmptyDriverInfo();
    layout = kDefaultRecordLayout;
    if (value.vt != VT_BLOB) return;
    info = DriverInfoFromBlob(value.blob.pBlobData, value.blob.cbSize);
    BuildRecordLayout(info, layout);   // impossible information gives the default
}

// The record layout an open of the file will use.
RECORD_LAYOUT FileRecordLayout(IPropertyStorage* own) {
    PROPSPEC spec = PropId(LOG_PID_DRIVER_INFO);
    PROPVARIANT value;
    PropVariantInit(&value);
    if (FAILED(own->ReadMultiple(1, &spec, &value))) PropVariantInit(&value);
    DRIVER_INFO info;
    RECORD_LAYOUT layout;
    DriverInfoFromProperty(value, info, layout);
    PropVariantClear(&value);
    return layout;
}

// The structure of a capture file, its records measured by the layout the
// open will use; 0 or STG_E_DOCFILECORRUPT.
HRESULT CheckStructure(IStorage* root, uint64_t fileSize) {
    STATSTG stat{};
    if (FAILED(root->Stat(&stat, STATFLAG_NONAME)) || !IsEqualGUID(stat.clsid, ToGuid(CLSID_CAPTURE_FILE)))
        return STG_E_DOCFILECORRUPT;
    CRef<IPropertyStorage> summary, own;
    if (FAILED(OpenPropertySet(root, FMTID_SUMMARY_INFORMATION, &summary)) ||
        FAILED(OpenPropertySet(root, FMTID_CAPTURE_LOG, &own)))
        return STG_E_DOCFILECORRUPT;
    const uint32_t minimumRecord = MinimumRecordSize(FileRecordLayout(own.Get()));
    CRef<IStorage> storage;
    CRef<IStream> data, index;
    if (FAILED(root->OpenStorage(Wide(CAPTURE_STORAGE_NAME), nullptr, kReadMode, nullptr, 0, &storage)) ||
        FAILED(OpenStream(storage.Get(), GUID_DATA_STREAM, &data)) ||
        FAILED(OpenStream(storage.Get(), GUID_INDEX_STREAM, &index)))
        return STG_E_DOCFILECORRUPT;
    uint64_t indexSize = 0, dataSize = 0;
    if (FAILED(StreamSize(index.Get(), &indexSize)) || FAILED(StreamSize(data.Get(), &dataSize)) ||
        indexSize > fileSize || dataSize > fileSize)
        return STG_E_DOCFILECORRUPT;

    // The header, and a count that the streams can hold.
    uint8_t header[INDEX_HEADER_SIZE];
    uint32_t n = 0;
    if (FAILED(ReadExact(index.Get(), 0, header, sizeof header)) ||
        Failed(ParseIndexHeader(header, sizeof header, indexSize, dataSize, minimumRecord, &n)))
        return STG_E_DOCFILECORRUPT;
    // The offset table reads whole: its last offset is enough to read.
    uint8_t last[4];
    if (FAILED(ReadExact(index.Get(), INDEX_HEADER_SIZE + 4ull * (n - 1), last, 4))) return STG_E_DOCFILECORRUPT;

    // A record at an offset: its head reads, its type is not 0, its size fits
    // the bytes it may take, and `whole` of them read: the directory's stream
    // size is only a claim, what counts is what the sectors deliver.
    auto recordReads = [&](uint32_t offset, uint64_t room, bool untilRoom) {
        uint8_t head[kRecordHead];
        const uint64_t take = std::min<uint64_t>({kRecordHead, room, dataSize - std::min<uint64_t>(offset, dataSize)});
        if (take < 4 || FAILED(ReadExact(data.Get(), offset, head, static_cast<uint32_t>(take)))) return false;
        const uint32_t size = GetRecordSize(head, take);
        if (GetRecordType(head, take) == 0 || size < minimumRecord || size > room) return false;
        return ReadsWhole(data.Get(), offset, untilRoom ? room : size);
    };
    if (n > 1) {
        uint8_t first[8];
        if (FAILED(ReadExact(index.Get(), INDEX_HEADER_SIZE, first, 8))) return STG_E_DOCFILECORRUPT;
        const uint32_t offset0 = ByteReader(first, 8).u32le_or(0);
        const uint32_t offset1 = ByteReader(first, 8).u32le_or(4);
        // The bytes from offset 0 to offset 1 read whole.
        if (offset1 <= offset0 || offset1 > dataSize || !recordReads(offset0, offset1 - offset0, true))
            return STG_E_DOCFILECORRUPT;
    }
    // The last record (its head gives its size) reads whole.
    const uint32_t lastOffset = ByteReader(last, 4).u32le_or(0);
    if (lastOffset >= dataSize || !recordReads(lastOffset, dataSize - lastOffset, false)) return STG_E_DOCFILECORRUPT;
    return S_OK;
}

} // namespace

HRESULT CCaptureStore::CheckCaptureFileFormat(const wchar_t* path) {
    if (!FileExists(path)) return STG_E_FILENOTFOUND;
    try {
        CRef<IStorage> root;
        HRESULT hr = OpenCompoundFile(path, &root);
        if (hr == STG_E_SHAREVIOLATION) return hr;
        if (FAILED(hr) || !root) return STG_E_DOCFILECORRUPT;
        hr = CheckStructure(root.Get(), FileSizeOf(path));
        if (FAILED(hr)) return hr;
        CRef<IPropertyStorage> own;
        uint32_t version = 0;
        if (FAILED(OpenPropertySet(root.Get(), FMTID_CAPTURE_LOG, &own)) ||
            ReadUInt(own.Get(), LOG_PID_VERSION, &version) != S_OK)
            return STG_E_DOCFILECORRUPT;
        return Hr(ClassifyFormatVersion(version));
    } catch (...) {
        return STG_E_DOCFILECORRUPT;
    }
}

// ---------------------------------------------------------------------------
// Open

HRESULT CCaptureStore::CFileIo::ReadLogProperties(CCaptureStore& s, IStorage* root) {
    s.is64Bit_ = false;
    s.baseBlock_ = MakeEmptyBaseBlock();
    s.driverInfo_ = MakeEmptyDriverInfo();
    s.layout_ = kDefaultRecordLayout;
    CRef<IPropertyStorage> own;
    const HRESULT opened = OpenPropertySet(root, FMTID_CAPTURE_LOG, &own);
    if (opened == STG_E_DOCFILECORRUPT) return opened;   // never handed to the system's reader
    if (FAILED(opened)) return S_OK;
    PROPSPEC specs[3] = {PropId(LOG_PID_BITNESS), PropId(LOG_PID_BASE_BLOCK), PropId(LOG_PID_DRIVER_INFO)};
    PROPVARIANT values[3];
    for (PROPVARIANT& v : values) PropVariantInit(&v);
    if (FAILED(own->ReadMultiple(3, specs, values))) return S_OK;
    HRESULT hr = S_OK;
    if (values[0].vt == VT_UI4 && values[0].ulVal == LOG_BITNESS_64) {
        AppMessageBox(kText64BitCapture, nullptr, MB_ICONHAND);
        s.openRefusalShown_ = true;
        hr = STG_E_DOCFILECORRUPT;
    } else {
        if (values[1].vt == VT_BLOB) {
            BaseBlockFromBlob(values[1].blob.pBlobData, values[1].blob.cbSize, s.baseBlock_);
        } else if (values[1].vt == VT_I8) {
            // Older files keep only the time of the first record.
            s.baseBlock_.firstTime = static_cast<uint64_t>(values[1].hVal.QuadPart);
        }
        DriverInfoFromProperty(values[2], s.driverInfo_, s.layout_);
    }
    FreePropVariantArray(3, values);
    return hr;
}

HRESULT CCaptureStore::CFileIo::Open(CCaptureStore& s, const wchar_t* path, CProgress& progress) {
    CRef<IStorage> root;
    HRESULT hr = OpenCompoundFile(path, &root);
    if (FAILED(hr)) return hr;
    if (!root) return STG_E_DOCFILECORRUPT;
    CRef<IStorage> storage;
    if (FAILED(root->OpenStorage(Wide(CAPTURE_STORAGE_NAME), nullptr, kReadMode, nullptr, 0, &storage)))
        return STG_E_DOCFILECORRUPT;
    hr = ReadLogProperties(s, root.Get());
    if (FAILED(hr)) return hr;

    // The tables; a missing or damaged one leaves its table empty.
    const std::vector<uint8_t> devices = ReadTableStream(storage.Get(), GUID_DEVICE_NAME_STREAM);
    s.deviceNames_.AddFromBlock(devices.data(), devices.size(), s.layout_);
    const std::vector<uint8_t> drivers = ReadTableStream(storage.Get(), GUID_DRIVER_NAME_STREAM);
    s.driverNames_.AddFromBlock(drivers.data(), drivers.size(), s.layout_);
    const std::vector<uint8_t> hid = ReadTableStream(storage.Get(), GUID_HID_STREAM);
    if (!hid.empty()) s.hidDescriptors_.AddFromBlock(hid.data(), hid.size(), s.layout_);

    // The index header and the offsets, checked against the streams (whose
    // sizes cannot pass the file's) before anything is allocated.
    CRef<IStream> index, data;
    if (FAILED(OpenStream(storage.Get(), GUID_INDEX_STREAM, &index)) ||
        FAILED(OpenStream(storage.Get(), GUID_DATA_STREAM, &data)))
        return STG_E_DOCFILECORRUPT;
    uint64_t indexSize = 0, dataSize = 0;
    const uint64_t fileSize = FileSizeOf(path);
    if (FAILED(StreamSize(index.Get(), &indexSize)) || FAILED(StreamSize(data.Get(), &dataSize)) ||
        indexSize > fileSize || dataSize > fileSize)
        return STG_E_DOCFILECORRUPT;
    uint8_t header[INDEX_HEADER_SIZE];
    uint32_t n = 0;
    if (FAILED(ReadExact(index.Get(), 0, header, sizeof header)) ||
        Failed(ParseIndexHeader(header, sizeof header, indexSize, dataSize, MinimumRecordSize(s.layout_), &n)))
        return STG_E_DOCFILECORRUPT;
    if (n > UINT32_MAX / 4) return STG_E_DOCFILECORRUPT;
    std::vector<uint32_t> offsets(n);
    if (FAILED(ReadExact(index.Get(), INDEX_HEADER_SIZE, offsets.data(), 4 * n))) return STG_E_DOCFILECORRUPT;
    for (uint32_t& offset : offsets) offset = ByteReader(&offset, 4).u32le_or(0);   // little-endian on disk

    // An older file without the base block dates its log by its first record.
    if (s.baseBlock_.firstTime == 0) {
        uint8_t head[RECORD_HEADER_SIZE];
        if (SUCCEEDED(ReadExact(data.Get(), offsets[0], head, sizeof head)))
            s.baseBlock_.firstTime = ByteReader(head, sizeof head).u64le_or(RECORD_TIME_OFFSET);
    }

    // The index, built as a live commit builds it.
    if (!s.index_.SetCount(n)) return STG_E_INSUFFICIENTMEMORY;
    CPresizedIndex entries(s.index_);
    CStreamSource source(data.Get());
    CChunkedRecordReader reader(source, dataSize);
    const uint32_t interval = ProgressInterval(n);
    s.skippedRecords_ = 0;
    const ReindexResult built = ReindexCaptureFile(offsets.data(), n, reader, s.layout_, s.indexer_, entries,
                                                   [&](uint32_t done) { progress.Send(ProgressValue(done, interval)); });
    if (built.outOfMemory) return STG_E_INSUFFICIENTMEMORY;
    if (built.indexed == 0) return STG_E_DOCFILECORRUPT;
    s.skippedRecords_ = built.skipped;
    s.index_.SetCount(built.indexed);
    s.index_.Compact();
    s.indexer_.ClearMassStorage();

    // Records are read from the data stream from now on.
    s.rootStorage_ = root.Detach();
    s.storage0000_ = storage.Detach();
    s.dataStream_ = data.Detach();
    return S_OK;
}

HRESULT CCaptureStore::OpenCaptureFile(const wchar_t* path, IMessageTarget* progressTarget) {
    if (!FileExists(path)) return STG_E_FILENOTFOUND;
    HRESULT hr;
    {
        CProgress progress(progressTarget ? *progressTarget : MainWindowTarget());
        progress.Send(1);
        CSectionGuard guard(lock_);
        if (rootStorage_) return STG_E_FILEALREADYEXISTS;
        openRefusalShown_ = false;
        ReleaseContent();
        live_ = false;
        saveCount_ = 0;
        unsavedRecords_ = false;
        savedPath_.clear();
        try {
            hr = CFileIo::Open(*this, path, progress);
        } catch (const std::bad_alloc&) {
            hr = STG_E_INSUFFICIENTMEMORY;
        } catch (...) {
            hr = STG_E_DOCFILECORRUPT;
        }
        if (FAILED(hr)) {
            ReleaseContent();
            driverInfo_ = MakeEmptyDriverInfo();
            layout_ = RECORD_LAYOUT{};
        }
    }
    fullness_.Post(0);
    return hr;
}

} // namespace brx
