// Messages, ids and styles shared by the framework's windows, frames and bars.
#pragma once
#include <windows.h>

namespace brx {

// Private messages of the framework, in the range Windows reserves for them
// (WM_AFXFIRST .. WM_AFXLAST).
constexpr UINT WM_SIZEPARENT = 0x0361;       // layout pass: lParam AFX_SIZEPARENTPARAMS*
constexpr UINT WM_SETMESSAGESTRING = 0x0362; // wParam string id, or lParam text; status line
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;  // idle pass: wParam TRUE to disable unhandled
constexpr UINT WM_RECALCPARENT = 0x0368;     // ask the parent frame for a layout pass
constexpr UINT WM_KICKIDLE = 0x036A;         // a modal loop became idle
constexpr UINT WM_FLOATSTATUS = 0x036D;      // wParam FS_*: tool-window activation
constexpr UINT WM_POPMESSAGESTRING = 0x0375; // like WM_SETMESSAGESTRING, from a bar

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
    RECT rect;      // what is still free, in the parent's client coordinates
    SIZE sizeTotal; // total size the bars asked for
    BOOL bStretch;  // bars stretch to the whole width or height
};

// Bar styles (CBRS_*): the low word and bit 22 of a bar's creation style.
// They are kept by the bar apart from its window style, whose low word
// belongs to the control class.
constexpr DWORD CBRS_FLOATING = 0x0001;
constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_HIDE_INPLACE = 0x0008;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_ALL = 0x0040FFFF;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;

// Modes of a bar's dynamic layout (CalcDynamicLayout).
constexpr DWORD LM_STRETCH = 0x01;  // stretch to the whole length
constexpr DWORD LM_HORZ = 0x02;     // horizontal
constexpr DWORD LM_MRUWIDTH = 0x04; // the last width it was given
constexpr DWORD LM_HORZDOCK = 0x08; // docked at the top or bottom of a frame
constexpr DWORD LM_VERTDOCK = 0x10; // docked at the left or right
constexpr DWORD LM_LENGTHY = 0x20;  // length is a height
constexpr DWORD LM_COMMIT = 0x40;   // remember the result

// Status bar pane styles (SBPS_*): the text drawing styles of the control
// plus the framework's own.
constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = 0x0100;    // SBT_NOBORDERS
constexpr UINT SBPS_POPOUT = 0x0200;       // SBT_POPOUT
constexpr UINT SBPS_OWNERDRAW = 0x1000;    // SBT_OWNERDRAW
constexpr UINT SBPS_DISABLED = 0x04000000; // shows no text
constexpr UINT SBPS_STRETCH = 0x08000000;  // takes what the others leave

// Commands that show and hide the frame's standard bars (the bars' ids).
constexpr UINT ID_VIEW_TOOLBAR = AFX_IDW_TOOLBAR;
constexpr UINT ID_VIEW_STATUS_BAR = AFX_IDW_STATUS_BAR;
constexpr UINT ID_SEPARATOR = 0;

// RepositionBars modes.
enum : UINT { reposDefault = 0, reposQuery = 1, reposExtra = 2 };

} // namespace brx
