#include "capture/Result.h"

namespace brx {
namespace {

struct StgRow {
    HRESULT32 stg;
    uint32_t win32;
};

// One row per structured-storage error; the Win32 code is the one it maps to.
constexpr StgRow kStgRows[] = {
    {STG_E_FILENOTFOUND, 2},
    {STG_E_PATHNOTFOUND, 3},
    {STG_E_TOOMANYOPENFILES, 4},
    {STG_E_ACCESSDENIED, 5},
    {STG_E_INVALIDHANDLE, 6},
    {STG_E_INSUFFICIENTMEMORY, 8},
    {STG_E_NOMOREFILES, 18},
    {STG_E_DISKISWRITEPROTECTED, 19},
    {STG_E_SEEKERROR, 25},
    {STG_E_WRITEFAULT, 29},
    {STG_E_READFAULT, 30},
    {STG_E_SHAREVIOLATION, 32},
    {STG_E_LOCKVIOLATION, 33},
    {STG_E_FILEALREADYEXISTS, 183},
    {STG_E_INVALIDPARAMETER, 87},
    {STG_E_MEDIUMFULL, 112},
    {STG_E_INVALIDNAME, 123},
    {STG_E_INVALIDFLAG, 1004},
    {STG_E_DOCFILECORRUPT, 11},
};

// Further Win32 codes that map back to a structured-storage error.
constexpr StgRow kWin32Extra[] = {
    {STG_E_ACCESSDENIED, 65},       // ERROR_NETWORK_ACCESS_DENIED
    {STG_E_FILEALREADYEXISTS, 80},  // ERROR_FILE_EXISTS
    {STG_E_MEDIUMFULL, 39},         // ERROR_HANDLE_DISK_FULL
    {STG_E_INVALIDNAME, 161},       // ERROR_BAD_PATHNAME
    {STG_E_INVALIDNAME, 206},       // ERROR_FILENAME_EXCED_RANGE
};

} // namespace

uint32_t StgErrorToWin32(HRESULT32 hr) {
    for (const StgRow& r : kStgRows)
        if (r.stg == hr) return r.win32;
    return 1;
}

HRESULT32 Win32ErrorToStg(uint32_t code) {
    if (code == 1) return STG_E_INVALIDFUNCTION;
    for (const StgRow& r : kStgRows)
        if (r.win32 == code) return r.stg;
    for (const StgRow& r : kWin32Extra)
        if (r.win32 == code) return r.stg;
    return HresultFromWin32(code);
}

} // namespace brx
