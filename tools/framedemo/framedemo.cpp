// A small frame built on the application framework: a menu with accelerators,
// a status bar with the commands' prompt strings and an idle-updated pane, and
// a view filling the client area.
//
//   framedemo.exe [--tour READYFILE EXITMS]
//
// --tour adds a few lines, opens the File menu with the keyboard, writes
// READYFILE once the menu shows (for a screenshot) and quits EXITMS later.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"
#include "tools/framedemo/resource.h"

namespace brx::demo {

// The status bar control as a bar of the frame's layout pass.
class CStatusLine : public CWnd {
public:
  UINT m_ids[2] = {0, ID_INDICATOR_LINES};

  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_SIZEPARENT: {
      auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lp);
      if (!IsWindowVisible()) return true;
      int height = GetWindowRect().Height();
      CRect rc = layout->rect;
      rc.top = rc.bottom - height;
      layout->rect.bottom = rc.top;
      RepositionWindow(layout, m_hWnd, rc);
      int parts[2] = {rc.Width() - 120, -1};
      SendMessage(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
      return true;
    }
    case WM_IDLEUPDATECMDUI:
      UpdateStatusPanes(m_hWnd, m_ids, 2, GetParentFrame(), wp != 0);
      return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
  }
};

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
  CStatusLine m_status;
  CDemoView m_view;
  std::wstring m_readyFile;
  UINT m_exitAfter = 0;

  bool OnCommand(CCommand& cmd) override {
    if (cmd.Is(ID_APP_EXIT)) return cmd.Run([&] { PostMessage(WM_CLOSE); });
    if (cmd.Is(ID_VIEW_STATUS_BAR))
      return cmd.Run([&] { ShowControlBar(m_status, !m_status.IsWindowVisible(), false); });
    if (cmd.Is(ID_HELP_ABOUT)) return cmd.Run([&] { CDialog(IDD_ABOUT, m_hWnd).DoModal(); });
    return CFrameWnd::OnCommand(cmd);
  }
  bool OnUpdateCommand(CCmdUI& ui) override {
    if (ui.m_nID == ID_VIEW_STATUS_BAR) {
      ui.SetCheck(m_status.IsWindowVisible() ? 1 : 0);
      return true;
    }
    return CFrameWnd::OnUpdateCommand(ui);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
    case WM_CREATE:
      if (
          !m_status.Create(STATUSCLASSNAMEW, nullptr, WS_VISIBLE | SBARS_SIZEGRIP, CRect(), m_hWnd,
                           AFX_IDW_STATUS_BAR) ||
          !m_view.CreateEx(WS_EX_CLIENTEDGE, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), m_hWnd,
                           AFX_IDW_PANE_FIRST)) {
        result = -1;
        return true;
      }
      SetActiveView(&m_view);
      result = 0;
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
      }
      return true;
    }
    return CFrameWnd::OnWndMsg(msg, wp, lp, result);
  }

  void StartTour() {
    for (int i = 0; i < 6; ++i) ExecuteCommand(ID_EDIT_ADDLINE);
    // Open the File menu as Alt+F would; the first item is selected and its
    // prompt goes to the status bar.
    PostMessage(WM_SYSCOMMAND, SC_KEYMENU, 'f');
    SetTimer(1, 1500);
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
