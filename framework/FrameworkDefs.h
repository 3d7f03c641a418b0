// Messages, ids and styles shared by the framework's windows, frames and bars.
#pragma once
#include <windows.h>

namespace brx {

// Private messages of the framework, in the range Windows reserves for them
// (WM_AFXFIRST .. WM_AFXLAST).
constexpr UINT WM_SIZEPARENT = 0x0361;        // layout pass: lParam AFX_SIZEPARENTPARAMS*
constexpr UINT WM_SETMESSAGESTRING = 0x0362;  // wParam string id, or lParam text; status line
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;   // idle pass: wParam TRUE to disable unhandled
constexpr UINT WM_RECALCPARENT = 0x0368;      // ask the parent frame for a layout pass
constexpr UINT WM_KICKIDLE = 0x036A;          // a modal loop became idle
constexpr UINT WM_FLOATSTATUS = 0x036D;       // wParam FS_*: tool-window activation
constexpr UINT WM_POPMESSAGESTRING = 0x0375;  // like WM_SETMESSAGESTRING, from a bar

// Reflected messages reach the control that sent them as WM_REFLECT_BASE + msg.
constexpr UINT WM_REFLECT_BASE = WM_APP + 0x3000;

// WM_FLOATSTATUS codes.
constexpr WPARAM FS_SYNCACTIVE = 0x0008;

// Ids: control bars (0xE800..0xE8FF), the central view.
constexpr UINT AFX_IDW_CONTROLBAR_FIRST = 0xE800;
constexpr UINT AFX_IDW_CONTROLBAR_LAST = 0xE8FF;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
// String id of the idle text of the status line ("Ready" when the table lacks it).
constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;

// Mini-frame styles (class-specific low bits of the window style).
constexpr DWORD MFS_SYNCACTIVE = 0x0100;   // caption active while its frame is
constexpr DWORD MFS_BLOCKSYSMENU = 0x1000; // no system menu on a caption click

// The layout pass record: every child in the id range takes its part of rect
// (moving itself through hDWP when hDWP is not null; null means "measure only").
struct AFX_SIZEPARENTPARAMS {
  HDWP hDWP;
  RECT rect;       // what is still free, in the parent's client coordinates
  SIZE sizeTotal;  // total size the bars asked for
  BOOL bStretch;   // bars stretch to the whole width or height
};

// RepositionBars modes.
enum : UINT { reposDefault = 0, reposQuery = 1, reposExtra = 2 };

} // namespace brx
