// What a capture writes into: the calls the driver connection and its reader
// thread make on the active capture log. The log implements each with a
// forward to itself (and so to its store); tests implement it over a plain
// buffer.
#pragma once
#include <cstdint>

#include "capture/Record.h"
#include "capture/Result.h"

namespace brx {

// Why a capture's reader thread ended.
enum class CaptureEnd : uint8_t {
    None,        // still running, or never started
    Stopped,     // the stop event (StopCapture)
    StoreFull,   // a write window was refused with LOG_E_FULL
    ReadError,   // a read or notification request failed (the Win32 error is kept)
    Failed,      // no event, buffer or window could be had
};

class ICaptureTarget {
public:
    virtual ~ICaptureTarget() = default;

    // User-interface thread, before a start: nonzero when no capture can start
    // into the target (IsActiveLogFull: a full store or one without scratch).
    virtual bool IsFull() = 0;

    // User-interface thread, once the reader thread is ready and before the
    // driver is told to start: the counter frequency (8 bytes back from the
    // driver) and the driver information (124 bytes back).
    virtual void SetCounterFrequency(uint64_t frequency) = 0;
    virtual void SetDriverInfo(const DRIVER_INFO& info) = 0;

    // Either thread: a buffer of DRIVER_NOTIFICATION blocks (the driver, device
    // and start-up lists at start on the user-interface thread, completed
    // notification requests on the reader thread). Returns whether a block was
    // used. Must lock for itself.
    virtual bool AddDriverNotifications(const uint8_t* buffer, uint32_t length) = 0;

    // Reader thread: the next write window, 0 or LOG_E_FULL (null window,
    // length 0). The log sends notifications 3 and 4 around it, and 6 after 4
    // when full.
    virtual HRESULT32 AcquireWriteWindow(uint8_t** window, uint32_t* length) = 0;
    // Reader thread: count bytes of whole records that the driver read into the
    // window; the log sends 3 and 4 around it.
    virtual HRESULT32 CommitCapturedData(uint8_t* window, uint32_t count) = 0;

    // Reader thread, once, when a running capture ended by itself (StoreFull,
    // ReadError or Failed; never for Stopped). win32Error is the failed
    // request's error for ReadError, else 0. Must only post to the user
    // interface, never send or wait: the user-interface thread may be waiting
    // for this thread in StopCapture. The user interface answers it with
    // CCaptureDriver::HandleCaptureEnd.
    virtual void OnCaptureEnded(CaptureEnd end, uint32_t win32Error) = 0;
};

} // namespace brx
