#include "capture/win/CaptureDriver.h"

#include <process.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/Preferences.h"
#include "capture/win/SystemHelpers.h"
#include "capture/win/SystemSeams.h"

namespace brx {

const wchar_t kConnectFailedMessage[] =
    L"Unable to connect to capture driver. Continue in view mode.\n\n"
    L"Please reboot if you have just installed the software.\n\n"
    L"Otherwise try to reinstall the software to reenable the capture mode.";
const wchar_t kWrongVersionMessage[] =
    L"Incorrect version of capture driver. Continue in view mode.\n\n"
    L"If you have just updated the software, please reboot the system.\n\n"
    L"Otherwise try to reinstall the software to reenable the capture mode.";
const wchar_t kSafeModeMessage[] =
    L"The capture driver is disabled since the system is in Safe Mode.\nContinue in view mode.";
const wchar_t kReadErrorMessage[] =
    L"Reading from the capture driver failed (error %u). Capturing stopped.\n\n%ls";

namespace {

constexpr uint32_t kSelectedDevicesStart = 516;
constexpr uint32_t kRefreshDataStart = 0x4000;
constexpr uint32_t kListStart = 8192;
constexpr uint32_t kSelectedDevicesMinimum = 8;

void CloseIfSet(HANDLE& h) {
    if (h) {
        ::CloseHandle(h);
        h = nullptr;
    }
}

} // namespace

CCaptureDriver::CCaptureDriver(IDriverDevice* device, CPreferences* preferences)
    : device_(device), preferences_(preferences), followsInstalledDevice_(device == nullptr) {}

CCaptureDriver::~CCaptureDriver() {
    if (IsOpen() || thread_)
        Disconnect();
}

void CCaptureDriver::BuildDevicePath(uint32_t majorVersion, wchar_t* path, size_t capacity) {
    const GUID& g = BRX_DRIVER_INTERFACE_GUID;
    wchar_t name[64];
    swprintf(name, 64, L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
             g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    swprintf(path, capacity, majorVersion < 5 ? L"\\\\.\\%ls" : L"\\\\.\\Global\\%ls", name);
}

// ---------------------------------------------------------------------------
// Connection

BOOL CCaptureDriver::Connect() {
    std::lock_guard<std::mutex> guard(lock_);
    if (IsOpen())
        return 0;
    // Without a device of its own, each connection opens the device installed
    // now: the one of an earlier connection may be gone.
    if (followsInstalledDevice_)
        device_ = &DriverDevice();

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    uint32_t major = SystemSeams().GetVersionExW(&version) ? version.dwMajorVersion : 5;
    wchar_t path[96];
    BuildDevicePath(major, path, 96);

    const wchar_t* message = nullptr;
    handle_ = device_->CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OVERLAPPED, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        message = kConnectFailedMessage;
    } else {
        uint8_t reply[DRIVER_VERSION_SIZE] = {};
        DWORD n = 0;
        bool accepted = DriverIoControl(IOCTL_BRX_GET_VERSION, nullptr, 0, reply, sizeof(reply), &n) &&
                        n == DRIVER_VERSION_SIZE && reply[0] == DRIVER_INTERFACE_VERSION && reply[1] == 0 &&
                        reply[2] == DRIVER_INTERFACE_VERSION && reply[3] == 0;
        if (!accepted) {
            message = kWrongVersionMessage;
        } else {
            uint8_t safeMode[4] = {};
            n = 0;
            if (DriverIoControl(IOCTL_BRX_GET_SAFE_MODE, nullptr, 0, safeMode, sizeof(safeMode), &n) && n == 4 &&
                ByteReader(safeMode, n).u32le_or(0) != 0)
                message = kSafeModeMessage;
        }
        if (message) {
            device_->CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }
    if (message) {
        AppMessageBox(message, nullptr, MB_ICONEXCLAMATION);
        return 0;
    }
    if (preferences_)
        preferences_->SetKernelMemoryDriver(this);
    return 1;
}

void CCaptureDriver::Disconnect() {
    StopCapture();
    std::lock_guard<std::mutex> guard(lock_);
    if (!IsOpen())
        return;
    if (preferences_)
        preferences_->SetKernelMemoryDriver(nullptr);
    if (thread_)
        return; // a reader that would not end still uses the handle
    device_->CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool CCaptureDriver::IsReaderAlive() const {
    DWORD code = 0;
    return thread_ && GetExitCodeThread(thread_, &code) && code == STILL_ACTIVE;
}

bool CCaptureDriver::IsCaptureRunning() const { return IsReaderAlive(); }

bool CCaptureDriver::WaitForReaderEnd(uint32_t ms) const {
    return !thread_ || WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0;
}

// ---------------------------------------------------------------------------
// Device control

BOOL CCaptureDriver::Control(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize,
                             DWORD* returned, DWORD* error) {
    if (returned)
        *returned = 0;
    *error = ERROR_INVALID_HANDLE;
    if (!IsOpen())
        return 0;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
        *error = GetLastError();
        return 0;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD n = 0;
    BOOL ok = device_->DeviceIoControl(handle_, code, input, inputSize, output, outputSize, &n, &overlapped);
    *error = ok ? ERROR_SUCCESS : GetLastError();
    if (!ok && *error == ERROR_IO_PENDING) {
        // Counts as failed, but the driver owns the buffers until the request
        // ends: cancel it and wait for it.
        device_->CancelIo(handle_);
        DWORD ignored = 0;
        device_->GetOverlappedResult(handle_, &overlapped, &ignored, TRUE);
    }
    ::CloseHandle(event);
    if (ok && returned)
        *returned = n;
    SetLastError(*error);
    return ok;
}

BOOL CCaptureDriver::DriverIoControl(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize,
                                     DWORD* returned) {
    DWORD error = 0;
    return Control(code, input, inputSize, output, outputSize, returned, &error);
}

uint32_t CCaptureDriver::QueryDword(DWORD code) {
    uint8_t reply[4] = {};
    DWORD n = 0;
    if (!DriverIoControl(code, nullptr, 0, reply, sizeof(reply), &n))
        return 0;
    return ByteReader(reply, n).u32le_or(0);
}

uint32_t CCaptureDriver::GetKernelMemoryMax() { return QueryDword(IOCTL_BRX_GET_KERNEL_MEMORY_MAX); }
uint32_t CCaptureDriver::GetKernelMemoryStep() { return QueryDword(IOCTL_BRX_GET_KERNEL_MEMORY_STEP); }
uint32_t CCaptureDriver::GetKernelMemoryLimit() { return QueryDword(IOCTL_BRX_GET_KERNEL_MEMORY_LIMIT); }

int CCaptureDriver::SetKernelMemoryLimit(uint32_t bytes) {
    uint8_t value[4];
    PutLe32(value, bytes & ~KERNEL_MEMORY_UNIT_MASK);
    DWORD n = 0;
    return DriverIoControl(IOCTL_BRX_SET_KERNEL_MEMORY_LIMIT, value, sizeof(value), nullptr, 0, &n) ? 1 : 0;
}

BOOL CCaptureDriver::SetCaptureSettings(const uint8_t* block) {
    if (!block)
        return 0;
    uint8_t copy[CAPTURE_SETTINGS_SIZE];
    std::memcpy(copy, block, sizeof(copy));
    DWORD n = 0;
    return DriverIoControl(IOCTL_BRX_SET_CAPTURE_SETTINGS, copy, sizeof(copy), nullptr, 0, &n);
}

BOOL CCaptureDriver::SendDeviceList(DWORD code, const uint32_t* list) {
    if (!list || list[0] == 0 || list[0] > (0xFFFFFFFFu - 4) / 4)
        return 0;
    DWORD n = 0;
    return DriverIoControl(code, const_cast<uint32_t*>(list), 4 + 4 * list[0], nullptr, 0, &n);
}

BOOL CCaptureDriver::AddCaptureDevices(const uint32_t* list) {
    return SendDeviceList(IOCTL_BRX_ADD_CAPTURE_DEVICES, list);
}

BOOL CCaptureDriver::RemoveCaptureDevices(const uint32_t* list) {
    return SendDeviceList(IOCTL_BRX_REMOVE_CAPTURE_DEVICES, list);
}

BOOL CCaptureDriver::GetDriverInfo(DRIVER_INFO* info) {
    if (!info)
        return 0;
    std::memset(info, 0, sizeof(*info));
    DWORD n = 0;
    // A reply shorter than the record is no description: its layout DWORDs
    // would read as zero offsets.
    BOOL ok = DriverIoControl(IOCTL_BRX_GET_DRIVER_INFO, nullptr, 0, info->bytes, DRIVER_INFO_SIZE, &n) &&
              n == DRIVER_INFO_SIZE;
    if (!ok)
        std::memset(info, 0, sizeof(*info));
    return ok;
}

BOOL CCaptureDriver::ResetCapture() {
    DWORD n = 0;
    return DriverIoControl(IOCTL_BRX_RESET_CAPTURE, nullptr, 0, nullptr, 0, &n);
}

uint32_t CCaptureDriver::QueryVariable(DWORD code, uint32_t startSize, uint32_t minimum, bool limitFirstDword,
                                       DriverBuffer& out) {
    out.reset();
    for (uint32_t size = startSize; size <= MAX_QUERY_SIZE; size *= 4) {
        DriverBuffer buffer(new (std::nothrow) uint8_t[size]);
        if (!buffer)
            return 0;
        DWORD n = 0, error = 0;
        if (Control(code, nullptr, 0, buffer.get(), size, &n, &error)) {
            if (n == 0 || n < minimum)
                return 0;
            if (n > size)
                n = size;
            DriverBuffer copy(new (std::nothrow) uint8_t[n]);
            if (copy)
                std::memcpy(copy.get(), buffer.get(), n);
            else
                copy = std::move(buffer); // keeps the big buffer; only its n bytes count
            if (limitFirstDword && n >= 4 && ByteReader(copy.get(), n).u32le_or(0) > n)
                PutLe32(copy.get(), n);
            out = std::move(copy);
            return n;
        }
        if (error != ERROR_INSUFFICIENT_BUFFER)
            return 0;
    }
    return 0;
}

uint32_t CCaptureDriver::QuerySelectedDevices(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_SELECTED_DEVICES, kSelectedDevicesStart, kSelectedDevicesMinimum, false,
                         out);
}
uint32_t CCaptureDriver::QueryRefreshData(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_REFRESH_DATA, kRefreshDataStart, 0, false, out);
}
uint32_t CCaptureDriver::QueryRefreshList(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_REFRESH_LIST, kListStart, 0, true, out);
}
uint32_t CCaptureDriver::QueryDriverList(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_DRIVER_LIST, kListStart, 0, true, out);
}
uint32_t CCaptureDriver::QueryDeviceList(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_DEVICE_LIST, kListStart, 0, true, out);
}
uint32_t CCaptureDriver::QueryStartList(DriverBuffer& out) {
    return QueryVariable(IOCTL_BRX_GET_START_LIST, kListStart, 0, true, out);
}

// ---------------------------------------------------------------------------
// Capture

bool CCaptureDriver::EndReader() {
    if (!thread_)
        return true;
    SetEvent(stopEvent_);
    if (WaitForSingleObject(thread_, timeouts_.stopWait) != WAIT_OBJECT_0)
        return false;
    CloseIfSet(thread_);
    CloseIfSet(stopEvent_);
    CloseIfSet(startedEvent_);
    target_ = nullptr;
    return true;
}

BOOL CCaptureDriver::StartCapture(ICaptureTarget* target) {
    if (!IsOpen())
        return 0;
    std::lock_guard<std::mutex> guard(lock_);
    if (IsReaderAlive())
        return 1;
    if (thread_) {
        // The last capture ended by itself: the driver still gets its stop.
        DWORD n = 0;
        DriverIoControl(IOCTL_BRX_STOP_CAPTURE, nullptr, 0, nullptr, 0, &n);
        if (!EndReader())
            return 0;
    }
    if (!target || target->IsFull())
        return 0;

    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    startedEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ && startedEvent_) {
        target_ = target;
        end_ = CaptureEnd::None;
        endError_ = 0;
        thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ReaderThreadMain, this, CREATE_SUSPENDED,
                                                          nullptr));
    }
    if (!thread_) {
        CloseIfSet(stopEvent_);
        CloseIfSet(startedEvent_);
        target_ = nullptr;
        return 0;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_HIGHEST);
    ResumeThread(thread_);

    HANDLE waits[2] = {startedEvent_, thread_};
    BOOL result = 0;
    if (WaitForMultipleObjects(2, waits, FALSE, timeouts_.startWait) == WAIT_OBJECT_0) {
        uint8_t frequency[8] = {};
        DWORD n = 0;
        if (DriverIoControl(IOCTL_BRX_GET_COUNTER_FREQUENCY, nullptr, 0, frequency, sizeof(frequency), &n) &&
            n == sizeof(frequency))
            target->SetCounterFrequency(ByteReader(frequency, n).u64le_or(0));
        DRIVER_INFO info{};
        n = 0;
        if (DriverIoControl(IOCTL_BRX_GET_DRIVER_INFO, nullptr, 0, info.bytes, DRIVER_INFO_SIZE, &n) &&
            n == DRIVER_INFO_SIZE)
            target->SetDriverInfo(info);
        using Query = uint32_t (CCaptureDriver::*)(DriverBuffer&);
        for (Query query : {&CCaptureDriver::QueryDriverList, &CCaptureDriver::QueryDeviceList,
                            &CCaptureDriver::QueryStartList}) {
            DriverBuffer list;
            if (uint32_t bytes = (this->*query)(list))
                target->AddDriverNotifications(list.get(), bytes);
        }
        n = 0;
        result = DriverIoControl(IOCTL_BRX_START_CAPTURE, nullptr, 0, nullptr, 0, &n);
    }
    if (!result)
        EndReader();
    return result;
}

BOOL CCaptureDriver::StopCapture() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!thread_)
        return 0;
    DWORD n = 0;
    BOOL result = DriverIoControl(IOCTL_BRX_STOP_CAPTURE, nullptr, 0, nullptr, 0, &n);
    EndReader();
    return result;
}

void CCaptureDriver::HandleCaptureEnd() {
    CaptureEnd end = end_.load();
    uint32_t error = endError_.load();
    StopCapture();
    if (end != CaptureEnd::ReadError)
        return;
    wchar_t reason[512];
    SystemErrorText(error, reason, 512);
    wchar_t text[800];
    swprintf(text, 800, kReadErrorMessage, static_cast<unsigned>(error), reason);
    AppMessageBox(text, nullptr, MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------------------
// Reader thread

unsigned __stdcall CCaptureDriver::ReaderThreadMain(void* self) {
    try {
        return static_cast<CCaptureDriver*>(self)->RunReader();
    } catch (...) {
        return static_cast<unsigned>(-1);
    }
}

namespace {

// One overlapped request of the reader and whether the driver holds it.
struct ReaderRequest {
    OVERLAPPED overlapped{};
    HANDLE event = nullptr;
    bool pending = false;
};

} // namespace

uint32_t CCaptureDriver::RunReader() {
    IDriverDevice& device = *device_;
    const HANDLE handle = handle_;
    ICaptureTarget& target = *target_;

    enum { NOTIFY0, NOTIFY1, READ, REQUESTS };
    ReaderRequest requests[REQUESTS];
    DriverBuffer notifyBuffers[2];
    uint8_t* window = nullptr;
    uint32_t windowLength = 0;
    bool started = false;
    CaptureEnd end = CaptureEnd::Failed;
    uint32_t error = 0;

    auto issueNotification = [&](int i) {
        ReaderRequest& r = requests[i];
        std::memset(&r.overlapped, 0, sizeof(r.overlapped));
        r.overlapped.hEvent = r.event;
        ResetEvent(r.event);
        DWORD n = 0;
        if (device.DeviceIoControl(handle, IOCTL_BRX_NOTIFICATION, nullptr, 0, notifyBuffers[i].get(),
                                   NOTIFICATION_BUFFER_SIZE, &n, &r.overlapped) ||
            GetLastError() == ERROR_IO_PENDING) {
            r.pending = true; // a request done at once has signalled its event
            return true;
        }
        error = GetLastError();
        return false;
    };
    auto issueRead = [&]() {
        ReaderRequest& r = requests[READ];
        std::memset(&r.overlapped, 0, sizeof(r.overlapped));
        r.overlapped.hEvent = r.event;
        ResetEvent(r.event);
        DWORD n = 0;
        if (device.ReadFile(handle, window, windowLength, &n, &r.overlapped) || GetLastError() == ERROR_IO_PENDING) {
            r.pending = true;
            return true;
        }
        error = GetLastError();
        return false;
    };
    auto acquireWindow = [&]() {
        window = nullptr;
        windowLength = 0;
        HRESULT32 hr = target.AcquireWriteWindow(&window, &windowLength);
        if (hr != S_OK32 || !window || windowLength == 0) {
            end = hr == LOG_E_FULL ? CaptureEnd::StoreFull : CaptureEnd::Failed;
            return false;
        }
        if (windowLength > MAX_READ_SIZE)
            windowLength = MAX_READ_SIZE;
        return true;
    };
    // Hands on what a finished request brought: 1 when it had finished, 0 when
    // it is still with the driver (or was not issued), -1 when it failed (its
    // error is kept unless the reader is already on its way out).
    auto collect = [&](int i, BOOL wait, bool leaving) -> int {
        ReaderRequest& r = requests[i];
        if (!r.pending)
            return 0;
        DWORD n = 0;
        if (!device.GetOverlappedResult(handle, &r.overlapped, &n, wait)) {
            DWORD e = GetLastError();
            if (e == ERROR_IO_INCOMPLETE && !wait)
                return 0;
            r.pending = false;
            if (!leaving)
                error = e;
            return -1;
        }
        r.pending = false;
        try {
            if (i == READ) {
                if (n > windowLength)
                    n = windowLength;
                if (n)
                    target.CommitCapturedData(window, n);
            } else if (n) {
                target.AddDriverNotifications(notifyBuffers[i].get(),
                                              n > NOTIFICATION_BUFFER_SIZE ? NOTIFICATION_BUFFER_SIZE : n);
            }
        } catch (...) {
            if (!leaving)
                throw;
        }
        return 1;
    };

    bool ready = true;
    for (ReaderRequest& r : requests) {
        r.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ready = ready && r.event;
    }
    for (DriverBuffer& b : notifyBuffers) {
        b.reset(new (std::nothrow) uint8_t[NOTIFICATION_BUFFER_SIZE]);
        ready = ready && b;
    }
    // Issues the requests, tells the start that the reader is ready, and moves
    // what the driver delivers until the stop event or a failure.
    auto run = [&]() {
        if (!ready || !acquireWindow() || !issueNotification(NOTIFY0) || !issueNotification(NOTIFY1) ||
            !issueRead())
            return;
        started = true;
        SetEvent(startedEvent_);
        HANDLE waits[4] = {stopEvent_, requests[NOTIFY0].event, requests[NOTIFY1].event, requests[READ].event};
        for (;;) {
            DWORD w = WaitForMultipleObjects(4, waits, FALSE, INFINITE);
            if (w == WAIT_OBJECT_0) {
                end = CaptureEnd::Stopped;
                return;
            }
            if (w > WAIT_OBJECT_0 + 3) {
                end = CaptureEnd::Failed;
                return;
            }
            for (int i : {NOTIFY0, NOTIFY1}) {
                int got = collect(i, FALSE, false);
                if (got < 0 || (got > 0 && !issueNotification(i))) {
                    end = CaptureEnd::ReadError;
                    return;
                }
            }
            int got = collect(READ, FALSE, false);
            if (got < 0) {
                end = CaptureEnd::ReadError;
                return;
            }
            if (got > 0) {
                if (!acquireWindow())
                    return; // end says why
                if (!issueRead()) {
                    end = CaptureEnd::ReadError;
                    return;
                }
            }
        }
    };
    try {
        run();
    } catch (...) {
        end = CaptureEnd::Failed; // the requests are still ended below
    }

    // What completed before the end is still handed on, then what is left is
    // cancelled and waited for: the buffers and the window stay the driver's
    // until then.
    for (int i : {NOTIFY0, NOTIFY1, READ})
        collect(i, FALSE, true);
    device.CancelIo(handle);
    for (int i : {NOTIFY0, NOTIFY1, READ})
        collect(i, TRUE, true);
    for (ReaderRequest& r : requests)
        CloseIfSet(r.event);

    end_ = end;
    endError_ = end == CaptureEnd::ReadError ? error : 0;
    if (end == CaptureEnd::Stopped)
        return 0;
    // A reader that could not start ends at once: the start waits for its
    // end (and fails), not for a stop.
    if (!started)
        return static_cast<uint32_t>(-1);
    try {
        target.OnCaptureEnded(end, endError_.load());
    } catch (...) {
    }
    return WaitForSingleObject(stopEvent_, timeouts_.readerEndWait) == WAIT_OBJECT_0 ? 0 : static_cast<uint32_t>(-1);
}

CCaptureDriver& GetCaptureDriver() {
    static CCaptureDriver driver(nullptr, &GetPreferences());
    return driver;
}

} // namespace brx
