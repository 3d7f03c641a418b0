// Free disk space as a test says, through the system seams; every query is
// kept. File mappings above a limit fail as on a full disk. The other seams
// are the system's.
#pragma once
#include <cstdint>
#include <vector>

#include "capture/win/SystemSeams.h"

namespace brx::testing {

class FakeDisk final : public ISystemSeams {
public:
    FakeDisk() { previous_ = SetSystemSeams(this); }
    ~FakeDisk() override { SetSystemSeams(previous_); }
    FakeDisk(const FakeDisk&) = delete;
    FakeDisk& operator=(const FakeDisk&) = delete;

    uint64_t freeBytes = 0;
    int queries = 0;
    // A mapping larger than this fails as on a full disk (0: the system's).
    uint32_t mappingLimit = 0;
    std::vector<uint32_t> mappings;

    BOOL GetDiskFreeSpaceExW(LPCWSTR, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        ++queries;
        if (freeToCaller) freeToCaller->QuadPart = freeBytes;
        return TRUE;
    }
    BOOL IsWow64Process(HANDLE process, PBOOL wow64) override { return previous().IsWow64Process(process, wow64); }
    BOOL GetVersionExW(OSVERSIONINFOW* info) override { return previous().GetVersionExW(info); }
    HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD sizeHigh,
                              DWORD sizeLow, LPCWSTR name) override {
        mappings.push_back(sizeLow);
        if (mappingLimit != 0 && (sizeHigh != 0 || sizeLow > mappingLimit)) {
            SetLastError(ERROR_DISK_FULL);
            return nullptr;
        }
        return ::CreateFileMappingW(file, attributes, protect, sizeHigh, sizeLow, name);
    }

private:
    ISystemSeams& previous() {
        SetSystemSeams(previous_);
        ISystemSeams& system = SystemSeams();
        SetSystemSeams(this);
        return system;
    }
    ISystemSeams* previous_ = nullptr;
};

} // namespace brx::testing
