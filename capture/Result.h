// Result codes shared by the capture core: the log's own codes and the
// structured-storage errors (HRESULT values kept as uint32_t so that pure code
// needs no system header), with the mapping to and from Win32 error codes.
#pragma once
#include <cstdint>

namespace brx {

using HRESULT32 = uint32_t;

constexpr HRESULT32 S_OK32 = 0;
constexpr HRESULT32 E_FAIL32 = 0x80004005u;

// The capture log's own results.
constexpr HRESULT32 LOG_E_FULL = 0xE0030002u;
constexpr HRESULT32 LOG_E_OLD_FORMAT = 0xE0030003u;
constexpr HRESULT32 LOG_S_NEWER_FORMAT = 0xA0030001u;

// Structured-storage errors. Windows code that has <windows.h> before this
// header keeps the system's macros of the same names and values.
#ifndef STG_E_INVALIDFUNCTION
constexpr HRESULT32 STG_E_INVALIDFUNCTION = 0x80030001u;
constexpr HRESULT32 STG_E_FILENOTFOUND = 0x80030002u;
constexpr HRESULT32 STG_E_PATHNOTFOUND = 0x80030003u;
constexpr HRESULT32 STG_E_TOOMANYOPENFILES = 0x80030004u;
constexpr HRESULT32 STG_E_ACCESSDENIED = 0x80030005u;
constexpr HRESULT32 STG_E_INVALIDHANDLE = 0x80030006u;
constexpr HRESULT32 STG_E_INSUFFICIENTMEMORY = 0x80030008u;
constexpr HRESULT32 STG_E_INVALIDPOINTER = 0x80030009u;
constexpr HRESULT32 STG_E_NOMOREFILES = 0x80030012u;
constexpr HRESULT32 STG_E_DISKISWRITEPROTECTED = 0x80030013u;
constexpr HRESULT32 STG_E_SEEKERROR = 0x80030019u;
constexpr HRESULT32 STG_E_WRITEFAULT = 0x8003001Du;
constexpr HRESULT32 STG_E_READFAULT = 0x8003001Eu;
constexpr HRESULT32 STG_E_SHAREVIOLATION = 0x80030020u;
constexpr HRESULT32 STG_E_LOCKVIOLATION = 0x80030021u;
constexpr HRESULT32 STG_E_FILEALREADYEXISTS = 0x80030050u;
constexpr HRESULT32 STG_E_INVALIDPARAMETER = 0x80030057u;
constexpr HRESULT32 STG_E_MEDIUMFULL = 0x80030070u;
constexpr HRESULT32 STG_E_ABNORMALAPIEXIT = 0x800300FAu;
constexpr HRESULT32 STG_E_INVALIDHEADER = 0x800300FBu;
constexpr HRESULT32 STG_E_INVALIDNAME = 0x800300FCu;
constexpr HRESULT32 STG_E_UNKNOWN = 0x800300FDu;
constexpr HRESULT32 STG_E_UNIMPLEMENTEDFUNCTION = 0x800300FEu;
constexpr HRESULT32 STG_E_INVALIDFLAG = 0x800300FFu;
constexpr HRESULT32 STG_E_DOCFILECORRUPT = 0x80030109u;
#endif

constexpr bool Failed(HRESULT32 hr) { return (hr & 0x80000000u) != 0; }
constexpr bool Succeeded(HRESULT32 hr) { return (hr & 0x80000000u) == 0; }

// HRESULT_FROM_WIN32: 0 and values with the high bit set pass unchanged.
constexpr HRESULT32 HresultFromWin32(uint32_t code) {
    return static_cast<int32_t>(code) <= 0 ? code : ((code & 0xFFFFu) | 0x80070000u);
}

// A structured-storage error as a Win32 error code; any value without a row
// (STG_E_INVALIDFUNCTION included) gives 1 (ERROR_INVALID_FUNCTION).
uint32_t StgErrorToWin32(HRESULT32 hr);
// A Win32 error code as a structured-storage error; codes without a row become
// HRESULT_FROM_WIN32 of themselves.
HRESULT32 Win32ErrorToStg(uint32_t code);

} // namespace brx
