#include "base/win/WaitCursor.h"

namespace brx {

namespace {
thread_local int t_waitCount = 0;
} // namespace

CWaitCursor::CWaitCursor() {
    ++t_waitCount;
    previous_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

CWaitCursor::~CWaitCursor() {
    --t_waitCount;
    SetCursor(t_waitCount > 0 ? LoadCursorW(nullptr, IDC_WAIT) : previous_);
}

void CWaitCursor::Restore() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

bool CWaitCursor::IsWaiting() {
    return t_waitCount > 0;
}

} // namespace brx
