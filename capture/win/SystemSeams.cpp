#include "capture/win/SystemSeams.h"

#include "capture/SystemArithmetic.h"

namespace brx {

namespace {

template <typename F>
F LookUp(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

class RealSystemSeams final : public ISystemSeams {
public:
    BOOL GetDiskFreeSpaceExW(LPCWSTR directory, ULARGE_INTEGER* freeToCaller,
                             ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) override {
        using Fn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
        if (Fn fn = LookUp<Fn>(L"kernel32.dll", "GetDiskFreeSpaceExW"))
            return fn(directory, freeToCaller, total, totalFree);
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (!::GetDiskFreeSpaceW(directory, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                 &clusters))
            return FALSE;
        uint64_t freeBytes = DiskFreeFromClusters(sectorsPerCluster, bytesPerSector, freeClusters);
        if (freeToCaller)
            freeToCaller->QuadPart = freeBytes;
        if (totalFree)
            totalFree->QuadPart = freeBytes;
        if (total)
            total->QuadPart = DiskFreeFromClusters(sectorsPerCluster, bytesPerSector, clusters);
        return TRUE;
    }
    BOOL IsWow64Process(HANDLE process, PBOOL wow64) override {
        using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
        if (Fn fn = LookUp<Fn>(L"kernel32", "IsWow64Process"))
            return fn(process, wow64);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    BOOL GetVersionExW(OSVERSIONINFOW* info) override { return ::GetVersionExW(info); }
};

RealSystemSeams g_realSeams;
ISystemSeams* g_seams = nullptr;

} // namespace

ISystemSeams& SystemSeams() { return g_seams ? *g_seams : g_realSeams; }

ISystemSeams* SetSystemSeams(ISystemSeams* seams) {
    ISystemSeams* previous = g_seams;
    g_seams = seams;
    return previous;
}

} // namespace brx
