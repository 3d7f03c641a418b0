// The application's main window as a message target (capture/MessageTarget.h):
// the store's fullness and the capture files' progress go there.
#pragma once
#include "capture/MessageTarget.h"

namespace brx {

// The application's main window (capture/win/AppMessageBox.h), taken at every
// post or send: nothing goes out while there is none.
IMessageTarget& MainWindowTarget();

} // namespace brx
