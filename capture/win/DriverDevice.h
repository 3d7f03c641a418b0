// The capture driver as the connection sees it: open, device control,
// overlapped read, result, cancel and close, each with the shape of the
// system call it stands for, so that the product forwards to the system and
// the simulated driver can answer the same calls in-process.
#pragma once
#include <windows.h>

namespace brx {

class IDriverDevice {
public:
    virtual ~IDriverDevice() = default;
    virtual HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                 DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) = 0;
    virtual BOOL ReadFile(HANDLE device, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) = 0;
    // Cancels the requests the calling thread issued on the handle.
    virtual BOOL CancelIo(HANDLE device) = 0;
    virtual BOOL CloseHandle(HANDLE device) = 0;
};

// The driver device in use: the installed one, else the system's.
IDriverDevice& DriverDevice();
// Installs a driver device (null restores the system's); returns the previous
// one (null when it was the system's).
IDriverDevice* SetDriverDevice(IDriverDevice* device);

} // namespace brx
