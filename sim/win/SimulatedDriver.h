// The simulated capture driver: answers the driver connection's calls
// in-process, behind the driver seam, with the real driver's protocol: the
// version handshake, Safe Mode, counter frequency, DRIVER_INFO, name lists,
// start-up notifications, kernel memory, the capture settings block, the
// device selection, start, stop and reset. Overlapped reads and notification
// requests stay pending until its own device thread completes them by
// setting their OVERLAPPED and signalling their events, as the system does;
// CancelIo ends only the calling thread's requests.
//
// Its records come from the driver scenario (sim/DriverScenario.h) for the
// selected device objects, less the records a capture filter refuses (tests
// install SettingsBlockCaptures, sim/CaptureSettingsBlock.h, to capture only
// the kinds of the last settings block, as the driver does). What the
// connection sent (settings block,
// selection, limits, every call) is recorded for tests, and knobs make it
// refuse, fail, flood or pace itself.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "capture/win/DriverDevice.h"
#include "sim/DriverScenario.h"

namespace brx {

class CSimulatedDriver final : public IDriverDevice {
public:
    struct Knobs {
        bool refuseOpen = false;                 // CreateFileW fails (ERROR_FILE_NOT_FOUND)
        uint16_t version[2] = {2, 2};            // the interface version WORDs
        uint32_t safeMode = 0;                   // nonzero: the system runs in Safe Mode
        uint64_t counterFrequency = 10000000;
        uint32_t recordsPerSecond = 0;           // 0: as fast as reads are issued
        uint32_t rounds = 1;                     // scenario rounds per capture
        bool flood = false;                      // endless rounds (fills any store)
        uint32_t failReadAfter = 0;              // nonzero: the read after this many completes with readError
        uint32_t readError = ERROR_GEN_FAILURE;
        bool keepDelivered = false;              // keep a copy of every record delivered
        // A read or notification request that finds something to deliver
        // completes before the call returns (TRUE, its event set), as the
        // system does for an overlapped request finished at once.
        bool completeAtOnce = false;
    };

    struct Call {
        DWORD code;
        DWORD inputSize;
        DWORD outputSize;
    };

    CSimulatedDriver();
    ~CSimulatedDriver() override;
    CSimulatedDriver(const CSimulatedDriver&) = delete;
    CSimulatedDriver& operator=(const CSimulatedDriver&) = delete;

    // The driver seam.
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                         DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) override;
    BOOL ReadFile(HANDLE device, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) override;
    BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override;
    BOOL CancelIo(HANDLE device) override;
    BOOL CloseHandle(HANDLE device) override;

    // Knobs; set them between captures.
    Knobs GetKnobs();
    void SetKnobs(const Knobs& knobs);
    // Decides for each generated record whether it is captured, given the
    // last settings block sent (empty before one); null captures all.
    using CaptureFilter = std::function<bool(const Bytes& settingsBlock, const Bytes& record)>;
    void SetCaptureFilter(CaptureFilter filter);
    // Answers a query code with these bytes instead of its own reply (a reply
    // larger than the caller's buffer fails with ERROR_INSUFFICIENT_BUFFER).
    void SetReply(DWORD code, const Bytes& reply);
    // Fails every request of this code with this Win32 error (0: answers
    // again).
    void SetFailure(DWORD code, DWORD error);
    // Leaves every request of this code pending until it is cancelled.
    void SetPendingCode(DWORD code);
    // A block for the next notification request. A block larger than the
    // request is cut into blocks of whole items; what cannot be cut is
    // refused (left out), never completing the request with an error.
    void QueueNotification(const Bytes& block);
    uint32_t RefusedNotifications();
    // Reads and notification requests that completed before their call returned.
    uint32_t CompletedAtOnce();

    const CDriverScenario& Scenario() const { return scenario_; }
    // The machine whose devices the scenario captures; the simulated USB host
    // shares it, so that the device tree, the stacks and the records agree.
    // Change it only while no request is being answered.
    SimUsbTopology& Topology() { return scenario_.Topology(); }

    // What the connection sent and asked.
    std::wstring OpenedPath();
    Bytes SettingsBlock();           // empty until a block was sent
    std::set<uint32_t> SelectedDevices();
    uint32_t KernelMemoryLimit();
    std::vector<Call> Calls();
    uint32_t CallCount(DWORD code);
    bool IsOpen();
    bool IsCapturing();
    uint32_t StartCount();
    uint32_t StopCount();
    uint32_t ResetCount();

    // What reads delivered since the last reset: records, completed reads,
    // and (with keepDelivered) the bytes.
    uint64_t DeliveredRecords();
    uint64_t DeliveredReads();
    Bytes DeliveredBytes();
    uint32_t PendingReads();
    uint32_t PendingNotifications();
    uint32_t PendingOthers();

    // Waits (up to ms) until a capture's rounds are all delivered, the reader
    // has its next read and both notification requests pending, and no
    // notification block waits. Never true while flooding.
    bool WaitUntilDrained(DWORD ms);
    // Waits until the requests of another code left pending number n.
    bool WaitForPendingOthers(uint32_t n, DWORD ms);

private:
    // Generated records back to back in one buffer, with the list of their
    // sizes: the first of them are due (a read may take them), the rest
    // upcoming. A read takes the due records that fit in one copy; the bytes
    // delivered are given back from the front of the buffer once they are
    // half of it. (A heap block per record slows the system's heap as
    // thousands of them wait.)
    class CRecordQueue {
    public:
        void Clear();
        void Add(const Bytes& record);
        // Makes up to n upcoming records due; returns how many.
        size_t MakeDue(size_t n);
        // Copies the due records that fit in room bytes to `to` (and to the
        // end of keep when given); returns their bytes, and their number in
        // count.
        uint32_t Take(uint8_t* to, uint32_t room, uint64_t& count, Bytes* keep);
        size_t Count() const { return sizes_.size(); }
        size_t Due() const { return due_; }
        size_t Upcoming() const { return sizes_.size() - due_; }
        size_t QueuedBytes() const { return bytes_.size() - head_; }

    private:
        Bytes bytes_;
        size_t head_ = 0;   // the first byte not yet delivered
        std::deque<uint32_t> sizes_;
        size_t due_ = 0;
    };

    struct Request {
        OVERLAPPED* overlapped;
        uint8_t* buffer;
        DWORD size;
        DWORD thread;
    };

    void Pump();
    bool Produce();   // under the lock; true when records were added
    bool Finished() const;
    bool Drained() const;
    void Complete(const Request& r, uint32_t status, DWORD bytes);
    // Under the lock: fill a request with what is waiting; the bytes used
    // (0: nothing fitted or nothing waits).
    DWORD FillNotification(const Request& r);
    DWORD FillRead(const Request& r);
    bool ValidHandle(HANDLE device) const;
    // A synchronous reply; false with the Win32 error.
    bool Answer(DWORD code, const uint8_t* input, DWORD inputSize, Bytes& reply, DWORD& error);

    std::mutex m_;
    std::condition_variable cv_;
    std::thread pump_;
    bool quit_ = false;
    bool open_ = false;
    Knobs knobs_;
    CDriverScenario scenario_;
    std::map<DWORD, Bytes> replies_;
    std::map<DWORD, DWORD> failures_;
    uint32_t refusedNotifications_ = 0;
    uint32_t completedAtOnce_ = 0;
    std::set<DWORD> pendingCodes_;

    std::deque<Request> reads_, notifies_, others_;
    std::deque<Bytes> notifications_;
    CRecordQueue queue_;   // generated records, due or not yet
    uint32_t roundsLeft_ = 0;
    uint64_t produced_ = 0;
    ULONGLONG startTick_ = 0;
    bool capturing_ = false;

    std::wstring path_;
    Bytes settings_;
    CaptureFilter captureFilter_;
    std::set<uint32_t> selected_;
    uint32_t kernelLimit_ = 0x800000;
    uint32_t kernelStep_ = 0x200000;
    uint32_t kernelMax_ = 0x4000000;
    std::vector<Call> calls_;
    uint32_t starts_ = 0, stops_ = 0, resets_ = 0;
    uint64_t deliveredRecords_ = 0, deliveredReads_ = 0;
    Bytes delivered_;
};

} // namespace brx
