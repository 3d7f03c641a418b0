// The application object of the framework tests and small helpers.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Geometry.h"
#include "framework/WinApp.h"

namespace brx::test {

class CTestApp : public CWinApp {
public:
  // Called on every idle pass (also inside modal loops) before the frames are
  // updated.
  std::function<void(LONG)> onIdle;
  int idleCalls = 0;
  int appCommands = 0;
  bool appUpdateHandled = false;

  BOOL OnIdle(LONG count) override;
  bool OnCommand(CCommand& cmd) override;
  bool OnUpdateCommand(CCmdUI& ui) override;
};

CTestApp& App();
// Dispatches pending messages and runs the idle pass.
void Pump();
// A child window's rectangle in its parent's client coordinates.
CRect ChildRect(HWND child);
// Saves what a window shows on the screen (its whole window rectangle) as a
// 24-bit BMP in the test output folder; false when it cannot.
bool SaveScreenshot(HWND hwnd, const char* name);

} // namespace brx::test
