// The bytes of a live capture log: a hidden temporary file ("Scr" prefix)
// that the system deletes when it is closed, mapped whole into memory. The
// reader thread reads driver records straight into the mapping at the write
// position; records are stored back to back from the base, so the free bytes
// are always one run at the end and a record never wraps. Clearing the log
// starts writing at the base again. No lock: the capture store serialises
// every call.
//
// The first write into a page of the mapping costs the system far more than
// the copy itself (it finds and zeroes a page and ties it to the file), so a
// helper thread touches the pages ahead of the write position (a locked add
// of 0, which keeps each byte as it is) and the reader's writes find them
// ready.
#pragma once
#include <windows.h>

#include <atomic>
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

    // How far ahead of the write position the helper keeps pages touched.
    static constexpr DWORD kTouchAhead = 64u << 20;
    // The bytes from the base whose pages were touched (tests, benchmarks).
    DWORD GetTouched() const { return touched_.load(); }

private:
    static DWORD WINAPI TouchMain(void* self);
    void TouchAhead();
    void StartToucher();
    void StopToucher();
    // Wakes the helper when the write position came near its end.
    void WakeToucher();

    std::wstring folder_;
    DWORD size_ = 0;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    uint8_t* base_ = nullptr;
    uint8_t* write_ = nullptr;
    // The helper that touches pages ahead of the writer, its wake-up event,
    // and what it reads: the write offset and whether to end.
    HANDLE toucher_ = nullptr;
    HANDLE wake_ = nullptr;
    std::atomic<bool> quit_{false};
    std::atomic<DWORD> writeOffset_{0};
    std::atomic<DWORD> touched_{0};
};

} // namespace brx
