// Resource loading from the program's own module, and the wait cursor.
#pragma once
#include <windows.h>
#include <string>

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

// Shows the hourglass for its lifetime: set at once, and kept by every window
// of the framework that receives WM_SETCURSOR meanwhile.
class CWaitCursor {
public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  // Sets the wait cursor again (after a message box changed it).
  void Restore();
  static bool IsWaiting();

private:
  HCURSOR m_previous;
};

} // namespace brx
