// A capture target over a plain buffer: hands out write windows as the store
// does (refused with LOG_E_FULL once no more than the reserve is free),
// walks committed records with the real indexer so that they are indexed
// and linked, and routes notification blocks to real name tables. Every call
// is counted; the end of a capture signals an event for the test to wait on.
#pragma once
#include <windows.h>

#include <cstring>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "capture/NameTables.h"
#include "capture/RecordIndexer.h"
#include "capture/win/CaptureTarget.h"

namespace brx::testing {

class FakeCaptureTarget final : public ICaptureTarget, private IDriverNotificationSink {
public:
    explicit FakeCaptureTarget(uint32_t size = 8u << 20, uint32_t reserve = 192u << 10)
        : bytes_(size), reserve_(reserve), indexer_(4096) {
        ended_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~FakeCaptureTarget() override { CloseHandle(ended_); }

    // Knobs: refuse every window with E_FAIL (while IsFull still says no);
    // throw from the commit after this many commits (0: never).
    bool refuseWindows = false;
    uint32_t throwAfterCommits = 0;

    bool IsFull() override {
        std::lock_guard<std::mutex> guard(m_);
        return bytes_.size() - used_ <= reserve_;
    }
    void SetCounterFrequency(uint64_t frequency) override {
        std::lock_guard<std::mutex> guard(m_);
        frequency_ = frequency;
    }
    void SetDriverInfo(const DRIVER_INFO& info) override {
        std::lock_guard<std::mutex> guard(m_);
        driverInfoCalls_++;
        BuildRecordLayout(info, layout_);
    }
    bool AddDriverNotifications(const uint8_t* buffer, uint32_t length) override {
        std::lock_guard<std::mutex> guard(m_);
        notificationCalls_++;
        return WalkDriverNotifications(buffer, length, layout_, *this);
    }
    HRESULT32 AcquireWriteWindow(uint8_t** window, uint32_t* length) override {
        std::lock_guard<std::mutex> guard(m_);
        windowRequests_++;
        *window = nullptr;
        *length = 0;
        if (refuseWindows)
            return E_FAIL32;
        const size_t free = bytes_.size() - used_;
        if (reserve_ >= free) {
            fullAnswers_++;
            return LOG_E_FULL;
        }
        *window = bytes_.data() + used_;
        *length = static_cast<uint32_t>(free);
        return S_OK32;
    }
    HRESULT32 CommitCapturedData(uint8_t* window, uint32_t count) override {
        std::lock_guard<std::mutex> guard(m_);
        commits_++;
        if (throwAfterCommits && commits_ > throwAfterCommits)
            throw std::runtime_error("commit failed");
        if (window != bytes_.data() + used_)
            misplacedCommits_++;
        if (count < layout_.requestOffset)
            return E_FAIL32;
        CommitResult r = indexer_.Commit(window, count, static_cast<uint32_t>(used_), layout_, index_);
        used_ += r.consumed;
        return S_OK32;
    }
    void OnCaptureEnded(CaptureEnd end, uint32_t win32Error) override {
        std::lock_guard<std::mutex> guard(m_);
        endCalls_++;
        end_ = end;
        endError_ = win32Error;
        SetEvent(ended_);
    }

    bool WaitEnded(DWORD ms) const { return WaitForSingleObject(ended_, ms) == WAIT_OBJECT_0; }

    // The committed bytes and their index; read once the capture stopped.
    std::vector<uint8_t> Committed() const { return {bytes_.begin(), bytes_.begin() + static_cast<long>(used_)}; }
    const std::vector<RECORD_INDEX_ENTRY>& Entries() const { return index_.entries(); }
    const RECORD_LAYOUT& Layout() const { return layout_; }
    uint64_t Frequency() const { return frequency_; }
    uint32_t DriverInfoCalls() const { return driverInfoCalls_; }
    uint32_t NotificationCalls() const { return notificationCalls_; }
    uint32_t WindowRequests() const { return windowRequests_; }
    uint32_t FullAnswers() const { return fullAnswers_; }
    uint32_t Commits() const { return commits_; }
    uint32_t MisplacedCommits() const { return misplacedCommits_; }
    uint32_t EndCalls() const { return endCalls_; }
    CaptureEnd End() const { return end_; }
    uint32_t EndError() const { return endError_; }
    uint32_t DeviceNameBlocks() const { return deviceBlocks_; }
    uint32_t DriverNameBlocks() const { return driverBlocks_; }
    uint32_t HidBlocks() const { return hidBlocks_; }
    const CDeviceNameHash& DeviceNames() const { return deviceNames_; }
    const CDriverNameHash& DriverNames() const { return driverNames_; }

private:
    void AddDeviceNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) override {
        deviceBlocks_++;
        deviceNames_.AddFromBlock(block, size, layout);
    }
    void AddDriverNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) override {
        driverBlocks_++;
        driverNames_.AddFromBlock(block, size, layout);
    }
    void AddHidDescriptors(const uint8_t*, uint32_t, const RECORD_LAYOUT&) override { hidBlocks_++; }

    mutable std::mutex m_;
    std::vector<uint8_t> bytes_;
    size_t used_ = 0;
    size_t reserve_;
    RECORD_LAYOUT layout_ = kDefaultRecordLayout;
    CRecordIndexer indexer_;
    CVectorRecordIndex index_;
    CDeviceNameHash deviceNames_;
    CDriverNameHash driverNames_;
    HANDLE ended_;
    uint64_t frequency_ = 0;
    uint32_t driverInfoCalls_ = 0, notificationCalls_ = 0, windowRequests_ = 0, fullAnswers_ = 0;
    uint32_t commits_ = 0, misplacedCommits_ = 0, endCalls_ = 0, endError_ = 0;
    uint32_t deviceBlocks_ = 0, driverBlocks_ = 0, hidBlocks_ = 0;
    CaptureEnd end_ = CaptureEnd::None;
};

} // namespace brx::testing
