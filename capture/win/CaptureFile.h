// Capture files on OLE structured storage: the save, check and open
// operations are members of CCaptureStore (capture/win/CaptureStore.h) and
// live in CaptureFile.cpp; the layout is in capture/CaptureFileFormat.h.
//
// Saving creates the compound file and replaces the target through the
// compound-file seam below, so that tests can make a write or the final
// replacement fail and see the old file survive.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "capture/CaptureFileFormat.h"

namespace brx {

// The file-level calls of a save, with the shape of the system calls.
class ICompoundFiles {
public:
    virtual ~ICompoundFiles() = default;
    virtual HRESULT StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved, IStorage** storage) = 0;
    virtual BOOL MoveFileExW(const WCHAR* existing, const WCHAR* target, DWORD flags) = 0;
};

// The calls in use: the installed ones, else the system's.
ICompoundFiles& CompoundFiles();
// Installs calls (null restores the system's); returns the previous ones
// (null when they were the system's).
ICompoundFiles* SetCompoundFiles(ICompoundFiles* files);

// A capture-file GUID as the system's.
GUID ToGuid(const FILE_GUID& guid);

// "This capture file was created with 64-bit version of the program and can't
// be viewed."
extern const wchar_t kText64BitCapture[];

} // namespace brx
