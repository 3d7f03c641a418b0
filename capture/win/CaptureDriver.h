// The one connection to the kernel-mode capture filter driver: connects and
// checks the interface version, sends device-control requests (settings,
// device selection, kernel memory, lists), starts and stops captures and runs
// the reader thread that moves the driver's records into the capture target.
// A closed connection means view-only mode.
//
// Threads: connect, start and stop are serialised by the connection's lock;
// the reader thread never takes it, so stop can wait for the thread while
// holding it. Everything else is called from the user-interface thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "capture/KernelMemoryLimit.h"
#include "capture/Record.h"
#include "capture/win/CaptureTarget.h"
#include "capture/win/DriverDevice.h"

namespace brx {

class CPreferences;

// Device-control codes of the capture driver (device type 0x8008).
enum : uint32_t {
    IOCTL_BRX_GET_VERSION = 0x80086000,
    IOCTL_BRX_GET_SAFE_MODE = 0x80086004,
    IOCTL_BRX_GET_COUNTER_FREQUENCY = 0x80086028,
    IOCTL_BRX_GET_DRIVER_INFO = 0x8008602C,
    IOCTL_BRX_GET_SELECTED_DEVICES = 0x80086050,
    IOCTL_BRX_GET_REFRESH_DATA = 0x80086013,
    IOCTL_BRX_GET_REFRESH_LIST = 0x80086090,
    IOCTL_BRX_GET_DRIVER_LIST = 0x80086060,
    IOCTL_BRX_GET_DEVICE_LIST = 0x80086068,
    IOCTL_BRX_GET_START_LIST = 0x80086088,
    IOCTL_BRX_NOTIFICATION = 0x8008605A,
    IOCTL_BRX_GET_KERNEL_MEMORY_LIMIT = 0x80086078,
    IOCTL_BRX_GET_KERNEL_MEMORY_STEP = 0x80086094,
    IOCTL_BRX_GET_KERNEL_MEMORY_MAX = 0x80086098,
    IOCTL_BRX_SET_KERNEL_MEMORY_LIMIT = 0x8008A074,
    IOCTL_BRX_SET_CAPTURE_SETTINGS = 0x8008A018,
    IOCTL_BRX_ADD_CAPTURE_DEVICES = 0x8008A048,
    IOCTL_BRX_REMOVE_CAPTURE_DEVICES = 0x8008A04C,
    IOCTL_BRX_START_CAPTURE = 0x80082040,
    IOCTL_BRX_STOP_CAPTURE = 0x80082044,
    IOCTL_BRX_RESET_CAPTURE = 0x80082070,
};

constexpr uint32_t DRIVER_VERSION_SIZE = 8;        // WORDs at 0 and 2 must both be 2
constexpr uint16_t DRIVER_INTERFACE_VERSION = 2;
constexpr uint32_t CAPTURE_SETTINGS_SIZE = 144;
constexpr uint32_t NOTIFICATION_BUFFER_SIZE = 8192;
constexpr uint32_t MAX_READ_SIZE = 0x200000;       // 2 MB per read
constexpr uint32_t MAX_QUERY_SIZE = 0x80000;       // variable queries grow fourfold up to 512 KB
constexpr uint32_t KERNEL_MEMORY_UNIT_MASK = 0x1FFFFF; // the limit goes in 2 MB units

// The driver's device interface class; its text in braces with lower-case
// digits names the device.
constexpr GUID BRX_DRIVER_INTERFACE_GUID = {0xACE00679, 0xB848, 0x4AC7,
                                            {0xB6, 0x45, 0xA2, 0xA3, 0x54, 0xEF, 0xA4, 0xF4}};

extern const wchar_t kConnectFailedMessage[];
extern const wchar_t kWrongVersionMessage[];
extern const wchar_t kSafeModeMessage[];
// The read-error message: the Win32 error code and its system text follow.
extern const wchar_t kReadErrorMessage[];

// A reply of a variable-size query; the caller owns it.
using DriverBuffer = std::unique_ptr<uint8_t[]>;

// How long starts and stops wait (milliseconds). Tests shorten them.
struct CAPTURE_TIMEOUTS {
    uint32_t startWait = 30000;      // start: for the reader to be ready or to end
    uint32_t stopWait = 10000;       // stop and a failed start: for the reader to end
    uint32_t readerEndWait = 10000;  // a reader that ended by itself: for the stop event
};

class CCaptureDriver final : public IKernelMemoryLimit {
public:
    // device null: the installed driver device (DriverDevice()) at connect.
    // preferences: the connection hands itself to them as the kernel memory
    // driver while connected; null for none.
    explicit CCaptureDriver(IDriverDevice* device = nullptr, CPreferences* preferences = nullptr);
    // Disconnects when connected.
    ~CCaptureDriver() override;
    CCaptureDriver(const CCaptureDriver&) = delete;
    CCaptureDriver& operator=(const CCaptureDriver&) = delete;

    void SetTimeouts(const CAPTURE_TIMEOUTS& timeouts) { timeouts_ = timeouts; }

    // Opens the driver and checks version and Safe Mode; a failure shows its
    // message and leaves view-only mode. 0 at once when already connected.
    BOOL Connect();
    // Stops a capture (also one that ended by itself), closes the handle.
    void Disconnect();
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // A reader thread exists and has not ended.
    bool IsCaptureRunning() const;

    // One device-control request: bytes returned is set to 0 first; 0 when not
    // connected. A request that the driver leaves pending counts as failed; it
    // is cancelled and waited for before its buffer and event are let go.
    BOOL DriverIoControl(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize,
                         DWORD* returned);

    // Kernel memory (bytes); 0 on failure. The limit is sent in 2 MB units.
    uint32_t GetKernelMemoryMax();
    uint32_t GetKernelMemoryStep();
    uint32_t GetKernelMemoryLimit() override;
    int SetKernelMemoryLimit(uint32_t bytes) override;

    // The 144-byte capture settings block, sent as given; 0 for null.
    BOOL SetCaptureSettings(const uint8_t* block);
    // DEVICE_OBJECT_LIST: a count n > 0, then n device objects; 0 for null or
    // a count of 0.
    BOOL AddCaptureDevices(const uint32_t* list);
    BOOL RemoveCaptureDevices(const uint32_t* list);
    // The whole 124-byte record; zeroed on failure and for a shorter reply.
    BOOL GetDriverInfo(DRIVER_INFO* info);
    BOOL ResetCapture();

    // Variable-size queries: the reply as an exact-size copy and its byte
    // count; 0 (and no buffer) on failure. The buffer starts at the query's
    // size and grows fourfold while the driver answers ERROR_INSUFFICIENT_BUFFER,
    // up to 512 KB.
    uint32_t QuerySelectedDevices(DriverBuffer& out);
    uint32_t QueryRefreshData(DriverBuffer& out);
    uint32_t QueryRefreshList(DriverBuffer& out);
    uint32_t QueryDriverList(DriverBuffer& out);
    uint32_t QueryDeviceList(DriverBuffer& out);
    uint32_t QueryStartList(DriverBuffer& out);

    // Starts a capture into the target, which must outlive it (the user
    // interface stops the capture before it closes the log). 1 when running
    // (also when it already ran); 0 when not connected, without a target, when
    // the target is full, or when the reader or the driver could not start.
    BOOL StartCapture(ICaptureTarget* target);
    // Tells the driver to stop, ends the reader and closes its handles; also
    // after a capture that ended by itself. The driver's answer; 0 when there
    // was no capture.
    BOOL StopCapture();
    // The user interface's answer to ICaptureTarget::OnCaptureEnded: stops the
    // capture and, when it ended by a read error, tells the user.
    void HandleCaptureEnd();

    // How the last capture's reader ended, and the Win32 error of a read error.
    CaptureEnd GetCaptureEnd() const { return end_.load(); }
    uint32_t GetCaptureError() const { return endError_.load(); }
    // Waits up to ms for the reader thread to end; true when there is none or
    // it ended (the capture still needs StopCapture).
    bool WaitForReaderEnd(uint32_t ms) const;

    // The device path of the driver for a major system version.
    static void BuildDevicePath(uint32_t majorVersion, wchar_t* path, size_t capacity);

private:
    BOOL Control(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize, DWORD* returned,
                 DWORD* error);
    uint32_t QueryDword(DWORD code);
    BOOL SendDeviceList(DWORD code, const uint32_t* list);
    uint32_t QueryVariable(DWORD code, uint32_t startSize, uint32_t minimum, bool limitFirstDword,
                           DriverBuffer& out);
    bool IsReaderAlive() const;
    // Sets the stop event and waits for the reader; closes the thread and its
    // events when it ended (a reader that does not end keeps them, so nothing
    // it uses goes away under it). True when the reader is gone.
    bool EndReader();

    static unsigned __stdcall ReaderThreadMain(void* self);
    uint32_t RunReader();

    IDriverDevice* device_;
    CPreferences* preferences_;
    CAPTURE_TIMEOUTS timeouts_;
    std::mutex lock_;   // connect, start, stop
    bool followsInstalledDevice_;   // made without a device: DriverDevice() at each connect
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE thread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE startedEvent_ = nullptr;
    ICaptureTarget* target_ = nullptr;
    std::atomic<CaptureEnd> end_{CaptureEnd::None};
    std::atomic<uint32_t> endError_{0};
};

// The program's one connection (to the installed driver device, exchanging
// the kernel memory limit with the program's preferences).
CCaptureDriver& GetCaptureDriver();

} // namespace brx
