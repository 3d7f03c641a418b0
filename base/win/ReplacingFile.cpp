#include "base/win/ReplacingFile.h"

#include <algorithm>

namespace brx {

std::wstring FullPathOf(const wchar_t* path) {
    const DWORD needed = ::GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD n = ::GetFullPathNameW(path, needed, full.data(), nullptr);
    if (n == 0 || n >= needed) return path;
    full.resize(n);
    return full;
}

DWORD CReplacingFile::Create(const wchar_t* target) {
    Abandon();
    written_ = 0;
    error_ = 0;
    target_ = FullPathOf(target);
    const size_t slash = target_.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : target_.substr(0, slash + 1);
    // A name of its own (GetTempFileNameW creates it), so that two writes
    // beside each other never share one, nor meet a file of the user's.
    wchar_t temp[MAX_PATH + 16] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"brx", 0, temp)) return error_ = ::GetLastError();
    temp_ = temp;
    file_ = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        error_ = ::GetLastError();
        Abandon();
        return error_;
    }
    return 0;
}

bool CReplacingFile::Write(const void* bytes, size_t size) {
    if (error_) return false;
    if (file_ == INVALID_HANDLE_VALUE) {
        error_ = ERROR_INVALID_HANDLE;
        return false;
    }
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
        DWORD done = 0;
        ::SetLastError(0);
        if (!write_(file_, at, part, &done, nullptr) || done != part) {
            error_ = ::GetLastError();
            if (error_ == 0) error_ = ERROR_WRITE_FAULT;
            return false;
        }
        written_ += part;
        at += part;
        size -= part;
    }
    return true;
}

DWORD CReplacingFile::Commit() {
    if (!error_ && file_ == INVALID_HANDLE_VALUE) error_ = ERROR_INVALID_HANDLE;
    if (!error_ && !::FlushFileBuffers(file_)) error_ = ::GetLastError();
    if (file_ != INVALID_HANDLE_VALUE) {
        if (!::CloseHandle(file_) && !error_) error_ = ::GetLastError();
        file_ = INVALID_HANDLE_VALUE;
    }
    // Only a file of every byte written takes the target's place.
    if (!error_) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(temp_.c_str(), GetFileExInfoStandard, &data)) {
            error_ = ::GetLastError();
        } else {
            const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            if (size != written_) error_ = ERROR_WRITE_FAULT;
        }
    }
    if (!error_ && !::MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error_ = ::GetLastError();
    if (!error_) temp_.clear();
    const DWORD error = error_;
    Abandon();
    error_ = error;
    return error;
}

void CReplacingFile::Abandon() {
    if (file_ != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    if (!temp_.empty()) {
        ::DeleteFileW(temp_.c_str());
        temp_.clear();
    }
}

DWORD WriteFileReplacing(const wchar_t* target, const void* bytes, size_t size, FileWriteFunction write) {
    CReplacingFile file(write);
    if (const DWORD error = file.Create(target)) return error;
    if (!file.Write(bytes, size)) return file.Error();
    return file.Commit();
}

} // namespace brx
