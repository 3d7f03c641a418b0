#include "tests/toolkit/bars/win/DemoFrame.h"

#include <commctrl.h>

#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/bars_test_ids.h"

namespace brx::test {

namespace {
bool IsDemoCommand(UINT id) {
    return id == kOpen || id == kExit || id == kStatus || id == kAbout || id == kCapture || id == kStop;
}
} // namespace

HMENU BuildDemoMenu() {
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, kOpen, L"&Open...");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, kExit, L"E&xit");
    HMENU view = ::CreatePopupMenu();
    ::AppendMenuW(view, MF_STRING, kStatus, L"&Status Bar");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, kAbout, L"&About");
    HMENU both = ::CreatePopupMenu();
    ::AppendMenuW(both, MF_STRING, kAbout, L"About");
    HMENU menu = ::CreateMenu();
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(both), L"Q && A");
    ::AppendMenuW(menu, MF_STRING, kCapture, L"&Capture");
    return menu;
}

void CDemoToolBar::GetButtonText(UINT id, std::wstring& text) {
    switch (id) {
    case kOpen: text = L"Open"; break;
    case kCapture: text = L"Capture"; break;
    case kStop: text = L"Stop"; break;
    case kAbout: text = L"About"; break;
    default: text.clear();
    }
}

CDemoFrame::~CDemoFrame() {
    DestroyWindow();
    if (m_menu) ::DestroyMenu(m_menu);
}

bool CDemoFrame::Build(const RECT& rect, bool shown) {
    if (!Create(nullptr, L"Brindlex", WS_OVERLAPPEDWINDOW, rect)) return false;
    m_menu = BuildDemoMenu();
    SetMenu(m_menu);
    if (!toolBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, kDemoToolBarId)) return false;
    toolBar.SetBitmaps(IDB_BARS_SMALL, -1, -1, IDB_BARS_LARGE, -1, -1, 0);
    // The images of the test bitmap: open, capture, about, stop.
    const struct {
        UINT id;
        int image;
    } kButtons[] = {{kOpen, 0}, {0, 0}, {kCapture, 1}, {kStop, 3}, {kAbout, 2}};
    TBBUTTONEX buttons[5] = {};
    for (int i = 0; i < 5; ++i) {
        BYTE style = kButtons[i].id ? BTNS_BUTTON : BTNS_SEP;
        buttons[i].tbinfo =
            TBBUTTON{kButtons[i].image, static_cast<int>(kButtons[i].id), TBSTATE_ENABLED, style, {}, 0, -1};
        buttons[i].bInitiallyVisible = TRUE;
    }
    toolBar.SetButtons(5, buttons, 1);
    if (!m_wndReBar.AddBar(&toolBar, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE)) return false;
    toolBar.UpdateBandSize();
    if (!statusBar.CreateEx(m_hWnd, SBARS_SIZEGRIP)) return false;
    const UINT panes[] = {ID_SEPARATOR, kPaneFill};
    statusBar.SetIndicators(panes, 2);
    statusBar.SetPaneInfo(1, kPaneFill, 0, 140);
    progress = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, statusBar.m_hWnd,
                                 nullptr, nullptr, nullptr);
    ::SendMessageW(progress, PBM_SETPOS, 35, 0);
    if (shown) ShowWindow(SW_SHOWNORMAL);
    // Active even when hidden: keys pressed through the input queue reach
    // the menus and popups it opens.
    ::SetForegroundWindow(m_hWnd);
    RecalcLayout();
    Pump();
    return statusBar.AddControl(progress, kPaneFill, TRUE) != FALSE;
}

bool CDemoFrame::OnCommand(CCommand& cmd) {
    if (IsDemoCommand(cmd.Id())) {
        ran.push_back(cmd.Id());
        return true;
    }
    return CFrameWndEx::OnCommand(cmd);
}

bool CDemoFrame::OnUpdateCommand(CCmdUI& ui) {
    if (IsDemoCommand(ui.m_nID) || ui.m_nID == kPaneFill) {
        ui.Enable(true);
        return true;
    }
    return CFrameWndEx::OnUpdateCommand(ui);
}

} // namespace brx::test
