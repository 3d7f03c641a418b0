// The capture driver's side of the kernel memory limit, as the preferences
// see it. The driver connection implements it and hands itself to the
// preferences once connected (CPreferences::SetKernelMemoryDriver).
#pragma once
#include <cstdint>

namespace brx {

class IKernelMemoryLimit {
public:
    virtual ~IKernelMemoryLimit() = default;
    // The driver's current limit in bytes; 0 when it cannot answer.
    virtual uint32_t GetKernelMemoryLimit() = 0;
    // Nonzero when the driver accepted the limit.
    virtual int SetKernelMemoryLimit(uint32_t bytes) = 0;
};

} // namespace brx
