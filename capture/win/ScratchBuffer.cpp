#include "capture/win/ScratchBuffer.h"

#include "capture/win/SystemSeams.h"

#include <shlwapi.h>

#include <cstring>

namespace brx {

namespace {

// The error of a call that failed; never 0, so a failure is never taken for
// success when the system left no code.
DWORD FailureCode() {
    const DWORD e = GetLastError();
    return e ? e : ERROR_GEN_FAILURE;
}

bool SameFolder(const std::wstring& a, const wchar_t* b) {
    const size_t n = wcslen(b);
    if (a.empty() || n != a.size() || n > static_cast<size_t>(INT_MAX)) return false;
    return CompareStringOrdinal(a.c_str(), static_cast<int>(n), b, static_cast<int>(n), TRUE) == CSTR_EQUAL;
}

} // namespace

DWORD CScratchBuffer::Create(const wchar_t* folder, DWORD size) {
    if (!folder) return ERROR_INVALID_PARAMETER;
    if (!PathFileExistsW(folder)) return ERROR_PATH_NOT_FOUND;
    if (size == 0) return ERROR_INVALID_PARAMETER;

    if (base_ && size == size_ && SameFolder(folder_, folder)) {
        Reset();
        return 0;
    }

    wchar_t name[MAX_PATH + 1] = {};
    if (GetTempFileNameW(folder, L"Scr", 0, name) == 0) return FailureCode();
    Close();

    DWORD result = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    void* view = nullptr;
    file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY |
                           FILE_ATTRIBUTE_HIDDEN,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result = FailureCode();
    } else {
        mapping = SystemSeams().CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, size, nullptr);
        if (!mapping) {
            result = FailureCode();
        } else {
            view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
            if (!view) result = FailureCode();
        }
    }
    if (result == 0) {
        try {
            folder_ = folder;
        } catch (...) {
            result = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    if (result != 0) {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        DeleteFileW(name);   // the name GetTempFileNameW created, if still there
        return result;
    }
    size_ = size;
    file_ = file;
    mapping_ = mapping;
    base_ = static_cast<uint8_t*>(view);
    write_ = base_;
    writeOffset_ = 0;
    touched_ = 0;
    StartToucher();
    return 0;
}

void CScratchBuffer::StartToucher() {
    quit_ = false;
    wake_ = CreateEventW(nullptr, FALSE, TRUE, nullptr);   // set: the first stretch at once
    if (!wake_) return;   // the writer then touches its own pages
    toucher_ = CreateThread(nullptr, 0, TouchMain, this, 0, nullptr);
    if (!toucher_) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
}

void CScratchBuffer::StopToucher() {
    if (toucher_) {
        quit_ = true;
        SetEvent(wake_);
        WaitForSingleObject(toucher_, INFINITE);
        CloseHandle(toucher_);
        toucher_ = nullptr;
    }
    if (wake_) CloseHandle(wake_);
    wake_ = nullptr;
}

DWORD WINAPI CScratchBuffer::TouchMain(void* self) {
    static_cast<CScratchBuffer*>(self)->TouchAhead();
    return 0;
}

void CScratchBuffer::TouchAhead() {
    constexpr DWORD kPage = 4096;
    while (WaitForSingleObject(wake_, INFINITE) == WAIT_OBJECT_0 && !quit_.load()) {
        const DWORD write = writeOffset_.load();
        const DWORD end = size_ - write > kTouchAhead ? write + kTouchAhead : size_;
        // Pages the writer reached first are touched already.
        const DWORD from = write & ~(kPage - 1);
        for (DWORD at = touched_.load() > from ? touched_.load() : from; at < end && !quit_.load(); at += kPage) {
            // A locked add of 0: the page is written (so the system makes it
            // ready for writing) and keeps its bytes, even while the reader
            // writes into the same page.
            InterlockedExchangeAdd(reinterpret_cast<volatile LONG*>(base_ + at), 0);
            touched_.store(at + kPage < size_ ? at + kPage : size_);
        }
    }
}

void CScratchBuffer::WakeToucher() {
    if (!wake_) return;
    const DWORD touched = touched_.load(), write = writeOffset_.load();
    if (touched < size_ && (touched <= write || touched - write < kTouchAhead / 2)) SetEvent(wake_);
}

void CScratchBuffer::Close() {
    StopToucher();
    if (base_) UnmapViewOfFile(base_);
    if (mapping_) CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    base_ = nullptr;
    write_ = nullptr;
    mapping_ = nullptr;
    file_ = INVALID_HANDLE_VALUE;
    size_ = 0;
    folder_.clear();
    writeOffset_ = 0;
    touched_ = 0;
}

void CScratchBuffer::Reset() {
    if (!base_) return;
    // The pages written before stay touched.
    write_ = base_;
    writeOffset_ = 0;
}

BOOL CScratchBuffer::Read(DWORD offset, void* destination, DWORD length, DWORD* bytesRead) const {
    if (bytesRead) *bytesRead = 0;
    if (!base_ || offset >= size_ || (length && !destination)) return FALSE;
    const DWORD n = length < size_ - offset ? length : size_ - offset;
    // The mapping's disk space is allocated when it is created, so copying
    // from inside the view cannot fault for want of space.
    if (n) std::memcpy(destination, base_ + offset, n);
    if (bytesRead) *bytesRead = n;
    return TRUE;
}

BOOL CScratchBuffer::AdvanceWrite(DWORD n) {
    if (!base_ || n > GetFreeSpan()) return FALSE;
    write_ += n;
    writeOffset_ = static_cast<DWORD>(write_ - base_);
    WakeToucher();
    return TRUE;
}

} // namespace brx
