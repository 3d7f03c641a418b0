#include "capture/win/VirtualReservedMemory.h"

#include <windows.h>

namespace brx {

CVirtualReservedMemory::CVirtualReservedMemory() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    pageSize_ = info.dwPageSize;
    granularity_ = info.dwAllocationGranularity;
}

CVirtualReservedMemory& CVirtualReservedMemory::Get() {
    static CVirtualReservedMemory memory;
    return memory;
}

void* CVirtualReservedMemory::Reserve(size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_READWRITE);
}

bool CVirtualReservedMemory::Commit(void* address, size_t bytes) {
    return bytes == 0 || VirtualAlloc(address, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void CVirtualReservedMemory::Release(void* region, size_t) {
    if (region) VirtualFree(region, 0, MEM_RELEASE);
}

} // namespace brx
