// Small helpers that call the system: local time, ANSI code-page conversions,
// error texts, OS facts, resources, the folder picker and the folders the
// preferences use. None keeps state.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace brx {

// UTC file time to local file time; 1 on success.
int ToLocalFileTime(uint64_t utcTime, uint64_t* localTime);

// New copies in UTF-16 (from CP_ACP, precomposed) or in the ANSI code page,
// terminator included; null for a null text or on failure.
std::unique_ptr<wchar_t[]> AnsiToWideAlloc(const char* text);
std::unique_ptr<char[]> WideToAnsiAlloc(const wchar_t* text);

// The system's text for a Win32 error in the user's language; the number of
// characters written (the buffer is always terminated when capacity > 0).
uint32_t SystemErrorText(uint32_t code, wchar_t* buffer, uint32_t capacity);
// The same text as a string (at most 1023 characters; empty when there is none).
std::wstring SystemErrorText(uint32_t code);

// 1 when the process is a 32-bit process on 64-bit Windows.
int IsWow64();

// Product version of the program (version resource 1), most significant part
// first; 0 when missing. The module form reads another module's resource.
int GetProductVersion(uint16_t parts[4]);
int GetModuleProductVersion(HMODULE module, uint16_t parts[4]);

// Free bytes for the caller on the drive of a path ("X:..."); 0 on failure
// and for a path that does not start with a drive letter.
uint64_t GetDiskFreeBytes(const wchar_t* path);
// Whether `bytes` fit in the free space of the folder's disk, as far as the
// system says: a disk whose free space cannot be read is taken to have room.
bool DiskHasRoomFor(const wchar_t* folder, uint64_t bytes);

// (major << 16) | minor from a DLL's DllGetVersion; 0 when missing or failed.
uint32_t GetDllVersion(const wchar_t* dllName);

// The screen's colour depth class: 32, 24, 16, 8, 4 or 0.
uint32_t GetScreenColorDepth();

// Copies a resource of the program (or of a module); its size, or 0 when it
// is missing or larger than the capacity.
uint32_t LoadResourceBytes(LPCWSTR name, LPCWSTR type, void* buffer, uint32_t capacity);
uint32_t LoadModuleResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, void* buffer,
                                 uint32_t capacity);

// Loads a menu of the program, detaches its first popup and destroys the rest;
// the popup (the caller destroys it) or null.
HMENU LoadPopupMenu(UINT menuId);
HMENU DetachFirstPopup(HMENU menu);

// The folder picker (through the prompts): rooted at a CSIDL folder when
// rootCsidl is not 0, starting at initialFolder, with a window title and a
// prompt above the tree (either may be null); OK is disabled off fixed
// drives. 1 and the chosen path (terminated, at most capacity characters
// including the terminator) when a folder was chosen.
int BrowseForFolder(HWND owner, int rootCsidl, const wchar_t* initialFolder, const wchar_t* title,
                    const wchar_t* prompt, wchar_t* path, uint32_t capacity);
// The picker's callback, public for tests: selects the initial folder and sets
// the title on BFFM_INITIALIZED, enables OK only for fixed drives on
// BFFM_SELCHANGED. lParam points to a BROWSE_FOLDER_START.
struct BROWSE_FOLDER_START {
    const wchar_t* initialFolder;
    const wchar_t* title;
};
int CALLBACK BrowseForFolderCallback(HWND window, UINT message, LPARAM param, LPARAM data);

// 1 when the path lies on a fixed drive (drive type 3): an absolute path
// "X:..." whose root is a fixed disk.
int IsOnFixedDrive(const wchar_t* path);

// Creates a directory and any missing parents; 1 when it exists afterwards.
int CreateDirectoryPath(const wchar_t* path);

// The per-user application data folder (CSIDL_APPDATA) and the program's
// default temporary directory below it ("<AppData>\Brindlex"); 1 when the
// path fits the buffer. The default directory is not created here.
int GetAppDataFolder(wchar_t* buffer, uint32_t capacity);
int GetDefaultTempDirectory(wchar_t* buffer, uint32_t capacity);

} // namespace brx
