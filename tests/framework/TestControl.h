// A small in-process ActiveX control of our own for the containment tests
// (the browser's engine is missing under Wine): registered by CLSID for this
// process, activated in place in its site's window, with a property, a
// method and an event reached through IDispatch.
#pragma once
#include <windows.h>
#include <ole2.h>

#include "tests/FakeOleObject.h"

#include <string>

namespace brx::test {

// {6A0B3C2E-9D41-4E7B-8F2A-1C5D7E9B0A31}
extern const CLSID CLSID_TestControl;
// The control's outgoing events: {6A0B3C2F-9D41-4E7B-8F2A-1C5D7E9B0A31}
extern const IID DIID_TestControlEvents;

enum : DISPID {
  DISPID_TEST_CAPTION = 1,   // property, a BSTR: the text of the control's window
  DISPID_TEST_ADD = 2,       // method (a, b) -> a + b
  DISPID_TEST_NAVIGATE = 3,  // method (url): fires DISPID_TEST_NAVIGATED (url)
  DISPID_TEST_NAVIGATED = 259,
};

// What the last control learned from its site when it was activated.
struct TestControlReport {
  bool activated = false;
  bool userMode = false;          // ambient DISPID_AMBIENT_USERMODE
  bool hostHandler = false;       // the site answered IDocHostUIHandler
  DWORD hostFlags = 0;            // its GetHostInfo flags
  bool external = false;          // its GetExternal gave a dispatch
  HWND window = nullptr;          // the control's own window
  int live = 0;                   // controls alive
};
TestControlReport& LastControl();

// Registers the control's class factory for this process; the object
// unregisters it.
class CTestControlRegistration : public CClassRegistration {
public:
  CTestControlRegistration();
};

} // namespace brx::test
