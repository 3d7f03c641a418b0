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

CRect ChildRect(HWND child) {
  CRect rc;
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

bool SaveScreenshot(HWND hwnd, const char* name) {
  return SaveWindowBmp(hwnd, std::string(BRX_TEST_OUTPUT_DIR) + "/" + name);
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
