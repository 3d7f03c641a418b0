#include "capture/win/DriverDevice.h"

namespace brx {

namespace {

class SystemDriverDevice final : public IDriverDevice {
public:
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        return ::CreateFileW(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                         DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) override {
        return ::DeviceIoControl(device, code, input, inputSize, output, outputSize, returned, overlapped);
    }
    BOOL ReadFile(HANDLE device, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) override {
        return ::ReadFile(device, buffer, size, read, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override {
        return ::GetOverlappedResult(device, overlapped, transferred, wait);
    }
    BOOL CancelIo(HANDLE device) override { return ::CancelIo(device); }
    BOOL CloseHandle(HANDLE device) override { return ::CloseHandle(device); }
};

SystemDriverDevice g_systemDevice;
IDriverDevice* g_device = nullptr;

} // namespace

IDriverDevice& DriverDevice() { return g_device ? *g_device : g_systemDevice; }

IDriverDevice* SetDriverDevice(IDriverDevice* device) {
    IDriverDevice* previous = g_device;
    g_device = device;
    return previous;
}

} // namespace brx
