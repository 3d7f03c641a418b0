#include "sim/win/SimulatedDriver.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/ByteReader.h"
#include "capture/win/CaptureDriver.h"

namespace brx {

namespace {

const HANDLE kSimHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x51D0));

// OVERLAPPED.Internal as this driver fills it: pending, success, or the
// Win32 error of the failure with the high bits set.
constexpr ULONG_PTR kPending = 0x103;
constexpr ULONG_PTR kFailureBits = 0xC0000000u;

// Records queued ahead of the reads while running as fast as the reads come.
constexpr size_t kQueueBytes = 4u << 20;

void PutDword(Bytes& b, uint32_t v) {
    size_t at = b.size();
    b.resize(at + 4);
    PutU32(b, at, v);
}

} // namespace

CSimulatedDriver::CSimulatedDriver() = default;

CSimulatedDriver::~CSimulatedDriver() {
    if (IsOpen())
        CloseHandle(kSimHandle);
}

bool CSimulatedDriver::ValidHandle(HANDLE device) const { return open_ && device == kSimHandle; }

// ---------------------------------------------------------------------------
// The seam

HANDLE CSimulatedDriver::CreateFileW(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(m_);
        path_ = path ? path : L"";
        if (knobs_.refuseOpen) {
            error = ERROR_FILE_NOT_FOUND;
        } else if (open_) {
            error = ERROR_ACCESS_DENIED; // opened without sharing
        } else {
            open_ = true;
            quit_ = false;
            pump_ = std::thread([this] { Pump(); });
        }
    }
    if (error == ERROR_SUCCESS)
        return kSimHandle;
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL CSimulatedDriver::CloseHandle(HANDLE device) {
    std::thread pump;
    {
        std::lock_guard<std::mutex> guard(m_);
        if (!ValidHandle(device)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        // Closing the device ends whatever is still pending.
        for (auto* queue : {&reads_, &notifies_, &others_}) {
            for (const Request& r : *queue)
                Complete(r, kFailureBits | ERROR_OPERATION_ABORTED, 0);
            queue->clear();
        }
        open_ = false;
        capturing_ = false;
        quit_ = true;
        pump = std::move(pump_);
    }
    cv_.notify_all();
    if (pump.joinable())
        pump.join();
    return TRUE;
}

void CSimulatedDriver::Complete(const Request& r, uint32_t status, DWORD bytes) {
    r.overlapped->InternalHigh = bytes;
    r.overlapped->Internal = status;
    SetEvent(r.overlapped->hEvent);
    cv_.notify_all();
}

BOOL CSimulatedDriver::DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                       DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) {
    std::unique_lock<std::mutex> lock(m_);
    if (returned)
        *returned = 0;
    if (!ValidHandle(device)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    calls_.push_back({code, inputSize, outputSize});
    if (!overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER); // the device is opened for overlapped I/O
        return FALSE;
    }
    overlapped->Internal = kPending;
    overlapped->InternalHigh = 0;
    ResetEvent(overlapped->hEvent);

    const bool notification = code == IOCTL_BRX_NOTIFICATION;
    if (notification || pendingCodes_.count(code)) {
        Request r{overlapped, static_cast<uint8_t*>(output), outputSize, GetCurrentThreadId()};
        auto failure = failures_.find(code);
        if (failure != failures_.end()) {
            const DWORD error = failure->second;
            Complete(r, kFailureBits | error, 0);
            lock.unlock();
            SetLastError(error);
            return FALSE;
        }
        if (notification && knobs_.completeAtOnce) {
            if (DWORD used = FillNotification(r)) {
                ++completedAtOnce_;
                Complete(r, 0, used);
                if (returned)
                    *returned = used;
                lock.unlock();
                cv_.notify_all();
                return TRUE;
            }
        }
        (notification ? notifies_ : others_).push_back(r);
        lock.unlock();
        cv_.notify_all();
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }

    Bytes reply;
    DWORD error = ERROR_SUCCESS;
    bool ok = Answer(code, static_cast<const uint8_t*>(input), input ? inputSize : 0, reply, error);
    if (ok && reply.size() > outputSize) {
        ok = false;
        error = ERROR_INSUFFICIENT_BUFFER;
    }
    Request r{overlapped, static_cast<uint8_t*>(output), outputSize, GetCurrentThreadId()};
    if (!ok) {
        Complete(r, kFailureBits | error, 0);
        lock.unlock();
        SetLastError(error);
        return FALSE;
    }
    if (!reply.empty())
        std::memcpy(output, reply.data(), reply.size());
    Complete(r, 0, static_cast<DWORD>(reply.size()));
    if (returned)
        *returned = static_cast<DWORD>(reply.size());
    lock.unlock();
    cv_.notify_all();
    return TRUE;
}

bool CSimulatedDriver::Answer(DWORD code, const uint8_t* input, DWORD inputSize, Bytes& reply, DWORD& error) {
    auto failure = failures_.find(code);
    if (failure != failures_.end()) {
        error = failure->second;
        return false;
    }
    auto given = replies_.find(code);
    if (given != replies_.end()) {
        reply = given->second;
        return true;
    }
    switch (code) {
    case IOCTL_BRX_GET_VERSION:
        reply.assign(8, 0);
        PutU16(reply, 0, knobs_.version[0]);
        PutU16(reply, 2, knobs_.version[1]);
        return true;
    case IOCTL_BRX_GET_SAFE_MODE:
        PutDword(reply, knobs_.safeMode);
        return true;
    case IOCTL_BRX_GET_COUNTER_FREQUENCY:
        reply.assign(8, 0);
        PutU64(reply, 0, knobs_.counterFrequency);
        return true;
    case IOCTL_BRX_GET_DRIVER_INFO: {
        DRIVER_INFO info = MakeDriverInfo(kDriverRecordLayout);
        reply.assign(info.bytes, info.bytes + DRIVER_INFO_SIZE);
        return true;
    }
    case IOCTL_BRX_GET_SELECTED_DEVICES:
        PutDword(reply, static_cast<uint32_t>(selected_.size()));
        for (uint32_t object : selected_)
            PutDword(reply, object);
        // Never shorter than the 8 bytes the connection requires: no
        // selection is a count of 0 and one zero DWORD.
        if (reply.size() < 8)
            reply.resize(8, 0);
        return true;
    case IOCTL_BRX_GET_REFRESH_DATA:
        reply = scenario_.RefreshDataBlock();
        return true;
    case IOCTL_BRX_GET_REFRESH_LIST:
        reply = scenario_.RefreshListBlock();
        return true;
    case IOCTL_BRX_GET_DRIVER_LIST:
        reply = scenario_.DriverListBlock();
        return true;
    case IOCTL_BRX_GET_DEVICE_LIST:
        reply = scenario_.DeviceListBlock();
        return true;
    case IOCTL_BRX_GET_START_LIST:
        reply = scenario_.StartupBlock();
        return true;
    case IOCTL_BRX_GET_KERNEL_MEMORY_LIMIT:
        PutDword(reply, kernelLimit_);
        return true;
    case IOCTL_BRX_GET_KERNEL_MEMORY_STEP:
        PutDword(reply, kernelStep_);
        return true;
    case IOCTL_BRX_GET_KERNEL_MEMORY_MAX:
        PutDword(reply, kernelMax_);
        return true;
    case IOCTL_BRX_SET_KERNEL_MEMORY_LIMIT: {
        ByteReader in(input, inputSize);
        uint32_t limit = inputSize == 4 ? in.u32le_or(0) : 0;
        if (limit == 0 || limit > kernelMax_ || (limit & KERNEL_MEMORY_UNIT_MASK)) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        kernelLimit_ = limit;
        return true;
    }
    case IOCTL_BRX_SET_CAPTURE_SETTINGS:
        if (inputSize != CAPTURE_SETTINGS_SIZE) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        settings_.assign(input, input + inputSize);
        return true;
    case IOCTL_BRX_ADD_CAPTURE_DEVICES:
    case IOCTL_BRX_REMOVE_CAPTURE_DEVICES: {
        ByteReader in(input, inputSize);
        uint32_t count = in.u32le_or(0);
        if (count == 0 || count > (inputSize - 4) / 4 || inputSize != 4 + 4 * count) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t object = in.u32le_or(4 + 4 * static_cast<size_t>(i));
            if (code == IOCTL_BRX_ADD_CAPTURE_DEVICES)
                selected_.insert(object);
            else
                selected_.erase(object);
        }
        return true;
    }
    case IOCTL_BRX_START_CAPTURE:
        ++starts_;
        if (!capturing_) {
            capturing_ = true;
            queue_.Clear();
            queue_.Add(scenario_.StartMarker());
            queue_.MakeDue(1);
            roundsLeft_ = knobs_.rounds;
            produced_ = 1;
            startTick_ = GetTickCount64();
        }
        return true;
    case IOCTL_BRX_STOP_CAPTURE:
        ++stops_;
        capturing_ = false;
        return true;
    case IOCTL_BRX_RESET_CAPTURE:
        ++resets_;
        scenario_.Reset();
        queue_.Clear();
        deliveredRecords_ = deliveredReads_ = 0;
        delivered_.clear();
        return true;
    default:
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
}

BOOL CSimulatedDriver::ReadFile(HANDLE device, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    {
        std::lock_guard<std::mutex> guard(m_);
        if (read)
            *read = 0;
        if (!ValidHandle(device)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (!overlapped || !buffer) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        overlapped->Internal = kPending;
        overlapped->InternalHigh = 0;
        ResetEvent(overlapped->hEvent);
        Request r{overlapped, static_cast<uint8_t*>(buffer), size, GetCurrentThreadId()};
        if (knobs_.completeAtOnce && capturing_ &&
            !(knobs_.failReadAfter && deliveredReads_ == knobs_.failReadAfter)) {
            Produce();
            if (DWORD used = FillRead(r)) {
                ++completedAtOnce_;
                Complete(r, 0, used);
                if (read)
                    *read = used;
                return TRUE;
            }
        }
        reads_.push_back(r);
    }
    cv_.notify_all();
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

BOOL CSimulatedDriver::GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) {
    if (transferred)
        *transferred = 0;
    if (device != kSimHandle || !overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    {
        // The error is set after the lock is let go, which may touch it.
        std::unique_lock<std::mutex> lock(m_);
        while (overlapped->Internal == kPending && wait)
            cv_.wait(lock);
        if (overlapped->Internal == kPending) {
            error = ERROR_IO_INCOMPLETE;
        } else {
            if (transferred)
                *transferred = static_cast<DWORD>(overlapped->InternalHigh);
            if (overlapped->Internal != 0)
                error = static_cast<DWORD>(overlapped->Internal & ~kFailureBits);
        }
    }
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

BOOL CSimulatedDriver::CancelIo(HANDLE device) {
    std::lock_guard<std::mutex> guard(m_);
    if (!ValidHandle(device)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const DWORD thread = GetCurrentThreadId();
    for (auto* queue : {&reads_, &notifies_, &others_}) {
        for (auto it = queue->begin(); it != queue->end();) {
            if (it->thread == thread) {
                Complete(*it, kFailureBits | ERROR_OPERATION_ABORTED, 0);
                it = queue->erase(it);
            } else {
                ++it;
            }
        }
    }
    return TRUE;
}

// ---------------------------------------------------------------------------
// The device thread

bool CSimulatedDriver::Finished() const {
    return !knobs_.flood && roundsLeft_ == 0 && queue_.Count() == 0;
}

bool CSimulatedDriver::Drained() const {
    return capturing_ && Finished() && notifications_.empty() && reads_.size() == 1 && notifies_.size() == 2;
}

bool CSimulatedDriver::Produce() {
    // Generate rounds while the queue is short.
    std::vector<Bytes> round;
    while ((knobs_.flood || roundsLeft_ > 0) && queue_.Upcoming() < 4096 && queue_.QueuedBytes() < kQueueBytes) {
        round.clear();
        if (scenario_.NextRound(selected_, round) == 0) {
            if (!knobs_.flood)
                roundsLeft_ = 0; // nothing of the scenario selected: the rounds pass without records
            break;
        }
        if (!knobs_.flood)
            --roundsLeft_;
        for (const Bytes& r : round)
            if (!captureFilter_ || captureFilter_(settings_, r))
                queue_.Add(r);
    }
    uint64_t due = queue_.Upcoming();
    if (knobs_.recordsPerSecond) {
        uint64_t elapsed = GetTickCount64() - startTick_;
        uint64_t allowed = knobs_.recordsPerSecond * elapsed / 1000 + 1;
        due = allowed > produced_ ? std::min<uint64_t>(allowed - produced_, due) : 0;
    }
    due = queue_.MakeDue(static_cast<size_t>(due));
    produced_ += due;
    return due > 0;
}

void CSimulatedDriver::CRecordQueue::Clear() {
    Bytes().swap(bytes_);
    head_ = 0;
    sizes_.clear();
    due_ = 0;
}

void CSimulatedDriver::CRecordQueue::Add(const Bytes& record) {
    bytes_.insert(bytes_.end(), record.begin(), record.end());
    sizes_.push_back(static_cast<uint32_t>(record.size()));
}

size_t CSimulatedDriver::CRecordQueue::MakeDue(size_t n) {
    n = std::min(n, Upcoming());
    due_ += n;
    return n;
}

uint32_t CSimulatedDriver::CRecordQueue::Take(uint8_t* to, uint32_t room, uint64_t& count, Bytes* keep) {
    uint32_t used = 0;
    count = 0;
    while (due_ && used + sizes_.front() <= room) {
        used += sizes_.front();
        sizes_.pop_front();
        --due_;
        ++count;
    }
    if (used == 0)
        return 0;
    std::memcpy(to, bytes_.data() + head_, used);
    if (keep)
        keep->insert(keep->end(), bytes_.begin() + static_cast<ptrdiff_t>(head_),
                     bytes_.begin() + static_cast<ptrdiff_t>(head_ + used));
    head_ += used;
    if (head_ == bytes_.size()) {
        bytes_.clear();
        head_ = 0;
    } else if (head_ >= bytes_.size() / 2) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(head_));
        head_ = 0;
    }
    return used;
}

void CSimulatedDriver::Pump() {
    std::unique_lock<std::mutex> lock(m_);
    while (!quit_) {
        bool progressed = false;
        while (!notifications_.empty() && !notifies_.empty()) {
            Request r = notifies_.front();
            const DWORD used = FillNotification(r);
            if (used == 0)
                break;   // what waited was refused; the request stays pending
            notifies_.pop_front();
            Complete(r, 0, used);
            progressed = true;
        }
        if (capturing_) {
            Produce();
            if (!reads_.empty() && knobs_.failReadAfter && deliveredReads_ == knobs_.failReadAfter) {
                Complete(reads_.front(), kFailureBits | knobs_.readError, 0);
                reads_.pop_front();
                ++deliveredReads_;
                progressed = true;
            } else if (!reads_.empty() && queue_.Due()) {
                Request r = reads_.front();
                reads_.pop_front();
                const DWORD used = FillRead(r);
                if (!used)
                    ++deliveredReads_;   // no record fits: the read fails
                Complete(r, used ? 0 : kFailureBits | ERROR_INSUFFICIENT_BUFFER, used);
                progressed = true;
            }
        }
        if (progressed)
            continue;
        if (capturing_ && knobs_.recordsPerSecond && queue_.Upcoming())
            cv_.wait_for(lock, std::chrono::milliseconds(1)); // the next record falls due
        else
            cv_.wait(lock);
    }
}

DWORD CSimulatedDriver::FillNotification(const Request& r) {
    DWORD used = 0;
    while (!notifications_.empty()) {
        if (notifications_.front().size() > r.size) {
            // Cut into blocks that fit; what cannot be cut is refused.
            std::vector<Bytes> pieces = SplitNotificationBlock(notifications_.front(), r.size, &refusedNotifications_);
            notifications_.pop_front();
            for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
                notifications_.push_front(std::move(*it));
            continue;
        }
        const Bytes& block = notifications_.front();
        if (used + block.size() > r.size)
            break;
        std::memcpy(r.buffer + used, block.data(), block.size());
        used += static_cast<DWORD>(block.size());
        notifications_.pop_front();
    }
    return used;
}

DWORD CSimulatedDriver::FillRead(const Request& r) {
    uint64_t count = 0;
    const DWORD used = queue_.Take(r.buffer, r.size, count, knobs_.keepDelivered ? &delivered_ : nullptr);
    if (used) {
        ++deliveredReads_;
        deliveredRecords_ += count;
    }
    return used;
}

// ---------------------------------------------------------------------------
// Knobs and records

CSimulatedDriver::Knobs CSimulatedDriver::GetKnobs() {
    std::lock_guard<std::mutex> guard(m_);
    return knobs_;
}

void CSimulatedDriver::SetKnobs(const Knobs& knobs) {
    {
        std::lock_guard<std::mutex> guard(m_);
        knobs_ = knobs;
    }
    cv_.notify_all();
}

void CSimulatedDriver::SetCaptureFilter(CaptureFilter filter) {
    std::lock_guard<std::mutex> guard(m_);
    captureFilter_ = std::move(filter);
}

void CSimulatedDriver::SetReply(DWORD code, const Bytes& reply) {
    std::lock_guard<std::mutex> guard(m_);
    replies_[code] = reply;
}

void CSimulatedDriver::SetFailure(DWORD code, DWORD error) {
    std::lock_guard<std::mutex> guard(m_);
    if (error == 0)
        failures_.erase(code);
    else
        failures_[code] = error;
}

uint32_t CSimulatedDriver::CompletedAtOnce() {
    std::lock_guard<std::mutex> guard(m_);
    return completedAtOnce_;
}

uint32_t CSimulatedDriver::RefusedNotifications() {
    std::lock_guard<std::mutex> guard(m_);
    return refusedNotifications_;
}

void CSimulatedDriver::SetPendingCode(DWORD code) {
    std::lock_guard<std::mutex> guard(m_);
    pendingCodes_.insert(code);
}

void CSimulatedDriver::QueueNotification(const Bytes& block) {
    {
        std::lock_guard<std::mutex> guard(m_);
        notifications_.push_back(block);
    }
    cv_.notify_all();
}

std::wstring CSimulatedDriver::OpenedPath() {
    std::lock_guard<std::mutex> guard(m_);
    return path_;
}
Bytes CSimulatedDriver::SettingsBlock() {
    std::lock_guard<std::mutex> guard(m_);
    return settings_;
}
std::set<uint32_t> CSimulatedDriver::SelectedDevices() {
    std::lock_guard<std::mutex> guard(m_);
    return selected_;
}
uint32_t CSimulatedDriver::KernelMemoryLimit() {
    std::lock_guard<std::mutex> guard(m_);
    return kernelLimit_;
}
std::vector<CSimulatedDriver::Call> CSimulatedDriver::Calls() {
    std::lock_guard<std::mutex> guard(m_);
    return calls_;
}
uint32_t CSimulatedDriver::CallCount(DWORD code) {
    std::lock_guard<std::mutex> guard(m_);
    return static_cast<uint32_t>(
        std::count_if(calls_.begin(), calls_.end(), [code](const Call& c) { return c.code == code; }));
}
bool CSimulatedDriver::IsOpen() {
    std::lock_guard<std::mutex> guard(m_);
    return open_;
}
bool CSimulatedDriver::IsCapturing() {
    std::lock_guard<std::mutex> guard(m_);
    return capturing_;
}
uint32_t CSimulatedDriver::StartCount() {
    std::lock_guard<std::mutex> guard(m_);
    return starts_;
}
uint32_t CSimulatedDriver::StopCount() {
    std::lock_guard<std::mutex> guard(m_);
    return stops_;
}
uint32_t CSimulatedDriver::ResetCount() {
    std::lock_guard<std::mutex> guard(m_);
    return resets_;
}
uint64_t CSimulatedDriver::DeliveredRecords() {
    std::lock_guard<std::mutex> guard(m_);
    return deliveredRecords_;
}
uint64_t CSimulatedDriver::DeliveredReads() {
    std::lock_guard<std::mutex> guard(m_);
    return deliveredReads_;
}
Bytes CSimulatedDriver::DeliveredBytes() {
    std::lock_guard<std::mutex> guard(m_);
    return delivered_;
}
uint32_t CSimulatedDriver::PendingReads() {
    std::lock_guard<std::mutex> guard(m_);
    return static_cast<uint32_t>(reads_.size());
}
uint32_t CSimulatedDriver::PendingNotifications() {
    std::lock_guard<std::mutex> guard(m_);
    return static_cast<uint32_t>(notifies_.size());
}
uint32_t CSimulatedDriver::PendingOthers() {
    std::lock_guard<std::mutex> guard(m_);
    return static_cast<uint32_t>(others_.size());
}

bool CSimulatedDriver::WaitUntilDrained(DWORD ms) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Drained(); });
}

bool CSimulatedDriver::WaitForPendingOthers(uint32_t n, DWORD ms) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this, n] { return others_.size() == n; });
}

} // namespace brx
