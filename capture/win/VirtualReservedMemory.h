// Reserved memory from the system's virtual memory (VirtualAlloc), with the
// page size and allocation granularity that GetSystemInfo reports.
#pragma once
#include "capture/RecordIndexArray.h"

namespace brx {

class CVirtualReservedMemory final : public IReservedMemory {
public:
    CVirtualReservedMemory();
    uint32_t GetPageSize() const override { return pageSize_; }
    uint32_t GetGranularity() const override { return granularity_; }
    void* Reserve(size_t bytes) override;
    bool Commit(void* address, size_t bytes) override;
    void Release(void* region, size_t bytes) override;

    // The one instance the capture stores share (it holds no state but the
    // two sizes).
    static CVirtualReservedMemory& Get();

private:
    uint32_t pageSize_;
    uint32_t granularity_;
};

} // namespace brx
