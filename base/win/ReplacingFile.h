// A file written whole or not at all: the bytes go to a temporary file in
// the target's folder (same volume, so the move is a rename), which takes the
// target's place only once every byte is written and on the disk. A failure
// at any step leaves an existing target as it was and no temporary file
// behind, and gives the system's error code.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace brx {

// The write of the file, a seam for tests (the shape of WriteFile).
using FileWriteFunction = BOOL(WINAPI*)(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written,
                                        LPOVERLAPPED overlapped);

class CReplacingFile {
public:
    explicit CReplacingFile(FileWriteFunction write = ::WriteFile) : write_(write) {}
    // Abandons what was not committed.
    ~CReplacingFile() { Abandon(); }
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Creates the temporary file beside target (a relative path is taken
    // from the current directory). 0, else the system's error.
    DWORD Create(const wchar_t* target);
    // Appends bytes. False once a write failed or was short (Error() says
    // why); later writes then do nothing.
    bool Write(const void* bytes, size_t size);
    // Flushes and closes the temporary file, checks that it holds every byte
    // written, and moves it over the target. 0 when the target is the new
    // file; else the error, with the target untouched and the temporary file
    // removed.
    DWORD Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    DWORD Error() const { return error_; }
    uint64_t Written() const { return written_; }
    // The target's full path.
    const std::wstring& Target() const { return target_; }

private:
    FileWriteFunction write_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::wstring target_;
    std::wstring temp_;
    uint64_t written_ = 0;
    DWORD error_ = 0;
};

// The whole job for bytes at hand: 0 when target holds them, else the
// system's error (target untouched).
DWORD WriteFileReplacing(const wchar_t* target, const void* bytes, size_t size,
                         FileWriteFunction write = ::WriteFile);

// The full form of a path (GetFullPathNameW), or the path as given when the
// system cannot make one.
std::wstring FullPathOf(const wchar_t* path);

} // namespace brx
