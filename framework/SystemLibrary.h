// Libraries the program loads at run time, always by full path: a library
// asked for by name alone is searched in the current folder too, so a file
// planted beside a capture file would run inside the program when that file
// is opened from its folder. The program's own libraries come from the
// program's folder, the system's from the system folder.
#pragma once
#include <windows.h>

#include <string>

namespace brx {

// The load itself, with the shape of LoadLibraryW; tests record the paths
// asked for. Null restores the system's (LoadLibraryExW with the library's
// own folder searched first for what it needs).
using LoadLibraryCall = HMODULE (*)(const wchar_t* path);
LoadLibraryCall SetLoadLibraryCall(LoadLibraryCall call);

// The full path of a file in the system folder or in the program's folder;
// empty when the folder cannot be read.
std::wstring SystemLibraryPath(const wchar_t* name);
std::wstring ProgramLibraryPath(const wchar_t* name);

// Loads a library of the system (e.g. "UxTheme.dll") or one shipped beside
// the program; null when it is not there (or the folder cannot be read).
HMODULE LoadSystemLibrary(const wchar_t* name);
HMODULE LoadProgramLibrary(const wchar_t* name);

// Takes the current folder out of the search order of every later load by
// name (the system's own ones included). Called once at start-up.
void RemoveCurrentFolderFromLibrarySearch();

} // namespace brx
