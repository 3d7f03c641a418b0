// Where the capture core sends its window messages (the store's fullness, the
// progress of saving and opening, the log's changes): a window handle in the
// product (capture/win/WindowMessageTarget.h, capture/win/MessageTarget.h), a
// recorder in tests. Posting never waits for the receiver, so the capture
// reader thread may post; sending is for the user-interface thread only.
#pragma once
#include <cstdint>

namespace brx {

// The store's fullness in percent (wParam 0-100, lParam 0), posted to the
// application's main window whenever it changes.
constexpr uint32_t WM_LOGFULLNESS = 0x0400 + 4;
// The progress of saving or opening a capture file (wParam 1-100, 0 at the
// end), sent: the status bar shows it before the work goes on.
constexpr uint32_t WM_LOGPROGRESS = 0x0400 + 1;

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // PostMessage: true when the message was queued (false without a window,
    // or when the system refused).
    virtual bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // SendMessage: the receiver's answer; 0 without a window. A target that
    // takes only posted messages sends nothing.
    virtual intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        (void)message;
        (void)wParam;
        (void)lParam;
        return 0;
    }
};

} // namespace brx
