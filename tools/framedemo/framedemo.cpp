// A small frame built on the application framework: a menu with accelerators,
// a toolbar whose buttons follow the commands' update handlers, a status bar
// with the commands' prompt strings and idle-updated indicators, and a view
// filling the rest.
//
//   framedemo.exe [--tour READYFILE EXITMS]
//
// --tour adds a few lines, opens the View menu as a context menu over the view
// with its first item selected, writes READYFILE once the menu shows (for a
// screenshot) and quits EXITMS later.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/Menu.h"
#include "framework/Resource.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"
#include "tools/framedemo/resource.h"

namespace brx::demo {

const UINT kButtons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_SEPARATOR, ID_EDIT_ADDLINE, ID_VIEW_GRID, ID_SEPARATOR,
                         ID_HELP_ABOUT};
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_LINES, ID_INDICATOR_GRID};

// The central view: numbered lines drawn through a double buffer.
class CDemoView : public CWnd {
public:
  int m_lines = 0;
  bool m_grid = true;

  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_EDIT_ADDLINE)) return cmd.Run([&] { ++m_lines; Invalidate(); });
    if (cmd.Is(ID_FILE_NEW)) return cmd.Run([&] { m_lines = 0; Invalidate(); });
    if (cmd.Is(ID_VIEW_GRID)) return cmd.Run([&] { m_grid = !m_grid; Invalidate(); });
    return CWnd::OnCommand(cmd);
  }
  bool OnUpdateCommand(CCmdUI& ui) override {
    switch (ui.m_nID) {
    case ID_FILE_NEW: ui.Enable(m_lines > 0); return true;
    case ID_VIEW_GRID: ui.SetCheck(m_grid ? 1 : 0); return true;
    case ID_INDICATOR_GRID: ui.Enable(m_grid); return true;
    case ID_INDICATOR_LINES: {
      wchar_t text[32];
      std::swprintf(text, 32, L"Lines: %d", m_lines);
      ui.SetText(text);
      return true;
    }
    }
    return CWnd::OnUpdateCommand(ui);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
      Paint();
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }

private:
  void Paint() {
    CPaintDC paint(m_hWnd);
    CRect client = GetClientRect();
    CDoubleBufferDC dc(paint, client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    dc.SelectObject(::GetStockObject(DEFAULT_GUI_FONT));
    dc.SetBkMode(TRANSPARENT);
    const int rowHeight = 18;
    CRect header(0, 0, client.right, rowHeight + 2);
    dc.FillSolidRect(header, ::GetSysColor(COLOR_BTNFACE));
    dc.SetTextColor(RGB(0, 0, 0));
    dc.TextOut(6, 3, L"Line");
    dc.TextOut(70, 3, L"Text");
    CPen gridPen(PS_SOLID, 1, RGB(210, 215, 225));
    HGDIOBJ oldPen = dc.SelectObject(gridPen);
    for (int i = 0; i < m_lines; ++i) {
      int y = header.bottom + i * rowHeight;
      if (i % 2) dc.FillSolidRect(CRect(0, y, client.right, y + rowHeight), RGB(240, 245, 252));
      wchar_t number[16], text[64];
      std::swprintf(number, 16, L"%d", i + 1);
      std::swprintf(text, 64, L"Line %d, added through the command route", i + 1);
      dc.TextOut(6, y + 2, number);
      dc.TextOut(70, y + 2, text);
      if (m_grid) {
        dc.MoveTo(0, y + rowHeight - 1);
        dc.LineTo(client.right, y + rowHeight - 1);
      }
    }
    if (m_grid) {
      dc.MoveTo(64, 0);
      dc.LineTo(64, header.bottom + m_lines * rowHeight);
    }
    dc.SelectObject(oldPen);
    if (m_lines == 0) {
      CRect rc = client;
      dc.SetTextColor(RGB(128, 128, 128));
      dc.DrawText(L"Press Ctrl+L to add a line", rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
};

class CDemoFrame : public CFrameWnd {
public:
  CToolBar m_toolBar;
  CStatusBar m_status;
  CDemoView m_view;
  std::wstring m_readyFile;
  UINT m_exitAfter = 0;

  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_APP_EXIT)) {
      PostMessage(WM_CLOSE);
      return true;
    }
    if (cmd.Is(ID_HELP_ABOUT)) {
      CDialog(IDD_ABOUT, m_hWnd).DoModal();
      return true;
    }
    return CFrameWnd::OnCommand(cmd);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_CREATE:
      result = CreateBars() ? 0 : -1;
      return true;
    case WM_TIMER:
      if (wp == 1) {  // the tour: the menu is up now
        KillTimer(1);
        if (FILE* f = _wfopen(m_readyFile.c_str(), L"w")) std::fclose(f);
        SetTimer(2, m_exitAfter);
      } else if (wp == 2) {
        KillTimer(2);
        ::EndMenu();
        PostMessage(WM_CLOSE);
      } else if (wp == 3) {
        KillTimer(3);
        ShowTourMenu();
      }
      return true;
    }
    return CFrameWnd::OnWndMsg(msg, wp, lp, result);
  }

  bool CreateBars() {
    if (!m_toolBar.CreateEx(m_hWnd, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
        !m_toolBar.LoadBitmap(IDB_TOOLBAR, CSize(16, 16)) || !m_toolBar.SetButtons(kButtons, 7))
      return false;
    m_toolBar.SetButtonStyle(m_toolBar.CommandToIndex(ID_VIEW_GRID), BTNS_CHECK);
    if (!m_status.CreateEx(m_hWnd, SBARS_SIZEGRIP) || !m_status.SetIndicators(kIndicators, 3)) return false;
    if (!m_view.CreateEx(WS_EX_CLIENTEDGE, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), m_hWnd,
                         AFX_IDW_PANE_FIRST))
      return false;
    SetActiveView(&m_view);
    return true;
  }

  void StartTour() {
    for (int i = 0; i < 6; ++i) ExecuteCommand(ID_EDIT_ADDLINE);
    SetTimer(3, 200);
  }

  // The tour's context menu: the View menu over the view, its first item
  // selected as the Down key would, its prompt in the status line.
  void ShowTourMenu() {
    SetTimer(1, 1500);
    PostMessage(WM_KEYDOWN, VK_DOWN, 0);
    CMenu view;
    view.Attach(::GetSubMenu(GetMenu(), 2));
    CRect rc = m_view.GetWindowRect();
    view.TrackPopupMenu(TPM_LEFTALIGN, rc.left + 220, rc.top + 60, this);
  }
};

class CDemoApp : public CWinApp {
public:
  CDemoApp() : CWinApp(L"Frame Demo") {}
  CDemoFrame* m_frame = nullptr;
  bool m_tourPending = false;

  BOOL InitInstance() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_frame = new CDemoFrame;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv && argc >= 4 && std::wcscmp(argv[1], L"--tour") == 0) {
      m_frame->m_readyFile = argv[2];
      m_frame->m_exitAfter = static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10));
      m_tourPending = true;
    }
    if (argv) ::LocalFree(argv);
    if (!m_frame->LoadFrame(IDR_MAINFRAME)) return FALSE;
    m_pMainWnd = m_frame;
    m_frame->SetWindowPos(nullptr, 40, 40, 640, 420, SWP_NOZORDER);
    m_frame->ShowWindow(m_nCmdShow);
    m_frame->UpdateWindow();
    return TRUE;
  }
  BOOL OnIdle(LONG count) override {
    // The tour's lines go in before this idle pass updates the status pane.
    if (m_tourPending && m_pMainWnd) {
      m_tourPending = false;
      m_frame->StartTour();
    }
    return CWinApp::OnIdle(count);
  }
};

CDemoApp theApp;

} // namespace brx::demo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
  return brx::AfxWinMain(instance, cmdShow);
}
