// The bytes of a live capture log: a hidden temporary file ("Scr" prefix)
// that the system deletes when it is closed, mapped whole into memory. The
// reader thread reads driver records straight into the mapping at the write
// position; records are stored back to back from the base, so the free bytes
// are always one run at the end and a record never wraps. Clearing the log
// starts writing at the base again. No lock: the capture store serialises
// every call.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace brx {

class CScratchBuffer {
public:
    CScratchBuffer() = default;
    ~CScratchBuffer() { Close(); }
    CScratchBuffer(const CScratchBuffer&) = delete;
    CScratchBuffer& operator=(const CScratchBuffer&) = delete;

    // Creates (or, for the same folder in any letter case and the same size,
    // empties) the file. Returns a Win32 error code, 0 on success. A null or
    // missing folder or a size of 0 fails before the current file is touched.
    DWORD Create(const wchar_t* folder, DWORD size);
    // Unmaps and closes the file; the system deletes it.
    void Close();
    // Empties the buffer: writing starts at the base again.
    void Reset();

    // Copies up to length bytes from offset (clipped to the size) into
    // destination. FALSE with a count of 0 when the offset is outside.
    BOOL Read(DWORD offset, void* destination, DWORD length, DWORD* bytesRead) const;

    // Writable bytes at the write position: the rest of the file.
    DWORD GetFreeSpan() const { return base_ ? static_cast<DWORD>(base_ + size_ - write_) : 0; }
    DWORD GetUsed() const { return static_cast<DWORD>(write_ - base_); }
    DWORD GetSize() const { return size_; }
    uint8_t* GetBase() const { return base_; }
    uint8_t* GetWritePosition() const { return write_; }
    const std::wstring& GetFolder() const { return folder_; }
    // Commits n written bytes. The buffer may be filled exactly to its end;
    // FALSE (nothing moved) when n would pass it.
    BOOL AdvanceWrite(DWORD n);

private:
    std::wstring folder_;
    DWORD size_ = 0;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    uint8_t* base_ = nullptr;
    uint8_t* write_ = nullptr;
};

} // namespace brx
