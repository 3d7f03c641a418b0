// Compound files on a byte array of our own: the file is reached through a
// small page cache (capture/PagedFile.h) instead of the system's own file
// access, which goes to the file one 512-byte sector at a time. The format
// written is the system's own, byte for byte; only the way to the disk
// differs.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <memory>
#include <string>

#include "capture/PagedFile.h"

namespace brx {

// Positioned reads and writes on a file handle that it owns.
class CHandleFile final : public IFileAccess {
public:
    explicit CHandleFile(HANDLE file) : file_(file) {}
    ~CHandleFile() override;
    CHandleFile(const CHandleFile&) = delete;
    CHandleFile& operator=(const CHandleFile&) = delete;

    // Opens (or with create, creates or empties) the file at path with the
    // access and sharing a structured-storage mode asks for: 0 or the
    // storage form of the Win32 error.
    static HRESULT Open(const wchar_t* path, DWORD mode, bool create, std::unique_ptr<CHandleFile>& out);

    uint32_t ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) override;
    uint32_t WriteAt(uint64_t offset, const void* source, uint32_t length) override;
    uint32_t SetSize(uint64_t size) override;

    HANDLE GetHandle() const { return file_; }
    // The size of the file; 0 when it cannot be read.
    uint64_t GetSize() const;

private:
    HANDLE file_;
};

// The byte array of a compound file over a file, with the page cache. It
// owns the file; the last release writes the cache back and closes it (a
// failure then is lost: commits report it first). Errors are the storage
// forms of the Win32 errors; once a write failed, every later write and
// flush returns that first failure. A file opened for reading refuses writes
// and size changes, as the file itself would.
class CFileLockBytes final : public ILockBytes {
public:
    CFileLockBytes(std::unique_ptr<IFileAccess> file, uint64_t size, std::wstring name, bool writable);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* destination, ULONG length, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER offset, const void* source, ULONG length,
                                      ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Flush() override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER length, DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER length, DWORD type) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;

private:
    ~CFileLockBytes();

    LONG refs_ = 1;
    CRITICAL_SECTION lock_;
    std::unique_ptr<IFileAccess> file_;
    CPagedFile cache_;
    std::wstring name_;
    const bool writable_;
};

// StgCreateDocfile and StgOpenStorage (compound-file format) over a file at
// path through the byte array above: the same modes and results.
HRESULT CreateDocfileOnFile(const wchar_t* path, DWORD mode, IStorage** root);
HRESULT OpenDocfileOnFile(const wchar_t* path, DWORD mode, IStorage** root);

} // namespace brx
