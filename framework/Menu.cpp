#include "framework/Menu.h"

#include <vector>

#include "framework/FrameWnd.h"
#include "framework/Resource.h"

namespace brx {

BOOL CMenu::LoadMenu(UINT id) { return Own(LoadMenuResource(id)); }

std::wstring CMenu::GetMenuString(UINT item, UINT flags) const {
    int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetMenuStringW(m_hMenu, item, buffer.data(), length + 1, flags);
    return std::wstring(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const TPMPARAMS* params) const {
    if (!m_hMenu || !owner || !owner->m_hWnd) return FALSE;
    CFrameWnd* frame = owner->IsFrameWnd() ? static_cast<CFrameWnd*>(owner) : owner->GetParentFrame();
    CCmdTarget* target = frame ? static_cast<CCmdTarget*>(frame) : owner;
    bool returnCommand = (flags & TPM_RETURNCMD) != 0;
    // The popup's WM_INITMENUPOPUP reaches owner: its items are filled by the
    // frame's route, not by owner alone.
    CCmdTarget* previous = CWnd::SetPopupUpdateTarget(owner->IsFrameWnd() ? nullptr : target);
    BOOL chosen =
        ::TrackPopupMenuEx(m_hMenu, flags | TPM_RETURNCMD, x, y, owner->m_hWnd, const_cast<TPMPARAMS*>(params));
    CWnd::SetPopupUpdateTarget(previous);
    if (returnCommand || chosen == 0) return chosen;
    target->ExecuteCommand(static_cast<UINT>(chosen));
    return TRUE;
}

} // namespace brx
