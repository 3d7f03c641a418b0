// Resource loading from the program's own module.
#pragma once
#include <windows.h>
#include <string>

#include "base/win/WaitCursor.h"

namespace brx {

HINSTANCE AfxGetResourceHandle();
// The string resource, or empty when the table has none.
std::wstring LoadStringResource(UINT id);
bool LoadStringResource(UINT id, std::wstring& text);
// Part n of a text whose parts are separated by '\n' ("prompt\ntip": part 0
// is the status-line prompt, part 1 the tooltip); empty when absent.
std::wstring ExtractSubString(const std::wstring& text, int part, wchar_t separator = L'\n');
HMENU LoadMenuResource(UINT id);
HACCEL LoadAcceleratorsResource(UINT id);
HICON LoadIconResource(UINT id);
HBITMAP LoadBitmapResource(UINT id);

} // namespace brx
