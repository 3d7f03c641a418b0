#include "tests/app/frame/win/FrameTestUtil.h"

namespace brx::test {

CHostFrame::~CHostFrame() {
    if (App().m_pMainWnd == this) App().m_pMainWnd = nullptr;
    DestroyWindow();
}

bool CHostFrame::Build(const RECT& rect) {
    if (!Create(nullptr, L"Brindlex frame test", WS_OVERLAPPEDWINDOW, rect)) return false;
    App().m_pMainWnd = this;
    if (!rebar.Create(m_hWnd)) return false;
    if (!toolbar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_FLYBY, AFX_IDW_TOOLBAR)) return false;
    toolbar.ModifyStyle(0, CCS_ADJUSTABLE);
    if (!rebar.AddBar(&toolbar, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE)) return false;
    toolbar.InitBar();
    if (!status.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)) return false;
    ShowWindow(SW_SHOWNORMAL);
    RecalcLayout();
    Pump();
    return true;
}

bool CHostFrame::OnUpdateCommand(CCmdUI& ui) {
    if (ui.m_nID >= 40000 && ui.m_nID < 41000) {
        ui.Enable(true);
        return true;
    }
    return CFrameWnd::OnUpdateCommand(ui);
}

INT_PTR RunModal(CDialog& dialog, const std::function<bool()>& step) {
    bool done = false;
    App().onIdle = [&](LONG) {
        if (!done && dialog.m_hWnd && ::IsWindowVisible(dialog.m_hWnd)) done = step();
    };
    INT_PTR result = dialog.DoModal();
    App().onIdle = nullptr;
    return result;
}

void PostKey(UINT key) {
    HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, key, 1);
    ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

} // namespace brx::test
