// Questions to the user: message boxes, open and save dialogs and the folder
// picker go through this one interface, with the shape of the system calls
// they stand for. The product forwards to the system; tests install scripted
// answers with SetPrompts.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace brx {

class IPrompts {
public:
    virtual ~IPrompts() = default;
    virtual int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) = 0;
    virtual BOOL GetSaveFileNameW(OPENFILENAMEW* dialog) = 0;
    // The chosen folder's item list, freed by the caller through the shell
    // allocator (CoTaskMemFree); null when cancelled.
    virtual PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) = 0;
};

// The prompts in use: the installed ones, else the system's.
IPrompts& Prompts();
// Installs prompts (null restores the system's); returns the previous ones
// (null when they were the system's).
IPrompts* SetPrompts(IPrompts* prompts);

} // namespace brx
