#include "toolkit/bars/win/VersionClass.h"

#include <windows.h>

#include "capture/win/SystemSeams.h"
#include "toolkit/bars/BarState.h"

namespace brx {

int GetWindowsVersionClass() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!SystemSeams().GetVersionExW(&info)) return 0;
    return VersionClassOf(OsVersion{info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion,
                                    info.dwMinorVersion});
}

} // namespace brx
