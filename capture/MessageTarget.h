// Where the capture core posts its window messages: a window handle in the
// product (capture/win/WindowMessageTarget.h), a recorder in tests. Posting
// never waits for the receiver, so the capture reader thread may post.
#pragma once
#include <cstdint>

namespace brx {

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // PostMessage: true when the message was queued.
    virtual bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

} // namespace brx
