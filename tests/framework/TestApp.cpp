#include "tests/framework/TestApp.h"

#include "tests/WindowScreenshot.h"
#include <string>
#include <vector>

#include "tests/framework/TestIds.h"

namespace brx::test {

namespace {
CTestApp g_app;
} // namespace

CTestApp& App() {
  return g_app;
}

void Pump() {
  g_app.PumpUntilIdle();
}



BOOL CTestApp::OnIdle(LONG count) {
  ++idleCalls;
  if (onIdle) onIdle(count);
  return CWinApp::OnIdle(count);
}

bool CTestApp::OnCommand(CCommand& cmd) {
  if (cmd.Is(ID_CMD_APP)) return cmd.Run([&] { ++appCommands; });
  return CWinApp::OnCommand(cmd);
}

bool CTestApp::OnUpdateCommand(CCmdUI& ui) {
  return CWinApp::OnUpdateCommand(ui);
}

} // namespace brx::test
