// The application object of the framework tests and small helpers.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Geometry.h"
#include "tests/WindowScreenshot.h"
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

} // namespace brx::test
