#include "capture/win/FileLockBytes.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "capture/Result.h"

namespace brx {

namespace {

HRESULT StgFromWin32(uint32_t error) { return static_cast<HRESULT>(Win32ErrorToStg(error)); }

// The position of a positioned read or write on a handle opened without
// FILE_FLAG_OVERLAPPED: the call waits, and the position comes from here.
OVERLAPPED At(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

DWORD ShareOf(DWORD mode) {
    switch (mode & 0x70) {
    case STGM_SHARE_EXCLUSIVE: return 0;
    case STGM_SHARE_DENY_WRITE: return FILE_SHARE_READ;
    case STGM_SHARE_DENY_READ: return FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
}

} // namespace

CHandleFile::~CHandleFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

HRESULT CHandleFile::Open(const wchar_t* path, DWORD mode, bool create, std::unique_ptr<CHandleFile>& out) {
    out.reset();
    if (!path || !*path) return STG_E_INVALIDNAME;
    const bool writing = (mode & (STGM_WRITE | STGM_READWRITE)) != 0;
    // The cache reads sectors back while writing, so writing needs reading.
    const DWORD access = writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD disposition = !create ? OPEN_EXISTING : (mode & STGM_CREATE) ? CREATE_ALWAYS : CREATE_NEW;
    HANDLE h = CreateFileW(path, access, ShareOf(mode), nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return StgFromWin32(error ? error : ERROR_GEN_FAILURE);
    }
    out.reset(new (std::nothrow) CHandleFile(h));
    if (!out) {
        CloseHandle(h);
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

uint64_t CHandleFile::GetSize() const {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

uint32_t CHandleFile::ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) {
    *got = 0;
    OVERLAPPED o = At(offset);
    DWORD n = 0;
    if (!ReadFile(file_, destination, length, &n, &o)) {
        const DWORD error = GetLastError();
        if (error != ERROR_HANDLE_EOF) return error ? error : ERROR_READ_FAULT;
    }
    *got = n;
    return 0;
}

uint32_t CHandleFile::WriteAt(uint64_t offset, const void* source, uint32_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(source);
    while (length) {
        OVERLAPPED o = At(offset);
        DWORD n = 0;
        if (!WriteFile(file_, p, length, &n, &o)) {
            const DWORD error = GetLastError();
            return error ? error : ERROR_WRITE_FAULT;
        }
        if (n == 0) return ERROR_WRITE_FAULT;
        p += n;
        offset += n;
        length -= n;
    }
    return 0;
}

uint32_t CHandleFile::SetSize(uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_WRITE_FAULT;
    }
    return 0;
}

// ---------------------------------------------------------------------------

CFileLockBytes::CFileLockBytes(std::unique_ptr<IFileAccess> file, uint64_t size, std::wstring name, bool writable)
    : file_(std::move(file)), cache_(*file_, size), name_(std::move(name)), writable_(writable) {
    InitializeCriticalSection(&lock_);
}

CFileLockBytes::~CFileLockBytes() {
    cache_.Flush();
    DeleteCriticalSection(&lock_);
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ILockBytes)) {
        *out = static_cast<ILockBytes*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CFileLockBytes::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE CFileLockBytes::Release() {
    const LONG r = InterlockedDecrement(&refs_);
    if (r == 0) delete this;
    return static_cast<ULONG>(r);
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::ReadAt(ULARGE_INTEGER offset, void* destination, ULONG length,
                                                 ULONG* read) {
    if (read) *read = 0;
    if (!destination && length) return STG_E_INVALIDPOINTER;
    EnterCriticalSection(&lock_);
    uint32_t got = 0;
    const uint32_t error = cache_.ReadAt(offset.QuadPart, destination, length, &got);
    LeaveCriticalSection(&lock_);
    if (read) *read = got;
    if (error) return StgFromWin32(error);
    return got < length ? STG_E_READFAULT : S_OK;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::WriteAt(ULARGE_INTEGER offset, const void* source, ULONG length,
                                                  ULONG* written) {
    if (written) *written = 0;
    if (!writable_) return STG_E_ACCESSDENIED;
    if (!source && length) return STG_E_INVALIDPOINTER;
    EnterCriticalSection(&lock_);
    const uint32_t error = cache_.WriteAt(offset.QuadPart, source, length);
    LeaveCriticalSection(&lock_);
    if (error) return StgFromWin32(error);
    if (written) *written = length;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::Flush() {
    EnterCriticalSection(&lock_);
    const uint32_t error = cache_.Flush();
    LeaveCriticalSection(&lock_);
    return error ? StgFromWin32(error) : S_OK;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::SetSize(ULARGE_INTEGER size) {
    if (!writable_) return STG_E_ACCESSDENIED;
    EnterCriticalSection(&lock_);
    const uint32_t error = cache_.SetSize(size.QuadPart);
    LeaveCriticalSection(&lock_);
    return error ? StgFromWin32(error) : S_OK;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    // The file is opened with the sharing its mode asks for; no ranges are
    // locked (Stat says so).
    return STG_E_INVALIDFUNCTION;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return STG_E_INVALIDFUNCTION;
}

HRESULT STDMETHODCALLTYPE CFileLockBytes::Stat(STATSTG* stat, DWORD flags) {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_LOCKBYTES;
    EnterCriticalSection(&lock_);
    stat->cbSize.QuadPart = cache_.GetSize();
    LeaveCriticalSection(&lock_);
    stat->grfLocksSupported = 0;
    if (!(flags & STATFLAG_NONAME)) {
        const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
        stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!stat->pwcsName) return STG_E_INSUFFICIENTMEMORY;
        std::memcpy(stat->pwcsName, name_.c_str(), bytes);
    }
    return S_OK;
}

// ---------------------------------------------------------------------------

namespace {

// A new byte array over the file at path, opened for the mode.
HRESULT LockBytesOnFile(const wchar_t* path, DWORD mode, bool create, CFileLockBytes** out) {
    *out = nullptr;
    std::unique_ptr<CHandleFile> file;
    const HRESULT hr = CHandleFile::Open(path, mode, create, file);
    if (FAILED(hr)) return hr;
    const uint64_t size = create ? 0 : file->GetSize();
    try {
        *out = new CFileLockBytes(std::move(file), size, path, (mode & (STGM_WRITE | STGM_READWRITE)) != 0);
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

} // namespace

HRESULT CreateDocfileOnFile(const wchar_t* path, DWORD mode, IStorage** root) {
    if (!root) return STG_E_INVALIDPOINTER;
    *root = nullptr;
    CFileLockBytes* bytes = nullptr;
    HRESULT hr = LockBytesOnFile(path, mode, true, &bytes);
    if (FAILED(hr)) return hr;
    hr = StgCreateDocfileOnILockBytes(bytes, mode, 0, root);
    bytes->Release();   // the storage holds its own reference
    return hr;
}

HRESULT OpenDocfileOnFile(const wchar_t* path, DWORD mode, IStorage** root) {
    if (!root) return STG_E_INVALIDPOINTER;
    *root = nullptr;
    CFileLockBytes* bytes = nullptr;
    HRESULT hr = LockBytesOnFile(path, mode, false, &bytes);
    if (FAILED(hr)) return hr;
    hr = StgOpenStorageOnILockBytes(bytes, nullptr, mode, nullptr, 0, root);
    bytes->Release();
    return hr;
}

} // namespace brx
