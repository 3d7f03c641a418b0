// The system facts that tests need to choose: free disk space (and a disk
// that fills before its answer said), whether the process runs under WOW64,
// and the OS version. Each method has the shape of
// the system call it stands for; the product forwards to the system, tests
// install fakes with SetSystemSeams.
#pragma once
#include <windows.h>

namespace brx {

class ISystemSeams {
public:
    virtual ~ISystemSeams() = default;
    // GetDiskFreeSpaceExW, looked up at run time; where the system lacks it
    // the product falls back to GetDiskFreeSpaceW (all three counts filled).
    virtual BOOL GetDiskFreeSpaceExW(LPCWSTR directory, ULARGE_INTEGER* freeToCaller,
                                     ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) = 0;
    // IsWow64Process, looked up at run time; FALSE (ERROR_PROC_NOT_FOUND)
    // where the system lacks it.
    virtual BOOL IsWow64Process(HANDLE process, PBOOL wow64) = 0;
    virtual BOOL GetVersionExW(OSVERSIONINFOW* info) = 0;
    // The mapping that gives the scratch file its size: where a disk that
    // is fuller than its free-space answer said shows (ERROR_DISK_FULL).
    // Seams that do not choose it leave it to the system.
    virtual HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                      DWORD sizeHigh, DWORD sizeLow, LPCWSTR name) {
        return ::CreateFileMappingW(file, attributes, protect, sizeHigh, sizeLow, name);
    }
};

// The seams in use: the installed ones, else the system's.
ISystemSeams& SystemSeams();
// Installs seams (null restores the system's); returns the previous ones
// (null when they were the system's).
ISystemSeams* SetSystemSeams(ISystemSeams* seams);

} // namespace brx
