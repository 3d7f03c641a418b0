// Typed message arguments: what a message's WPARAM and LPARAM carry, unpacked
// in one place so that handlers never re-cast them.
//
//   case WM_SIZE: OnSize(SizeArg(lp)); return true;
//   case WM_LBUTTONDOWN: OnLButtonDown(PointArg(lp)); return true;
//   case WM_NOTIFY: return OnNotify(NotifyArg<NMHDR>(lp), result);
#pragma once
#include <windows.h>

#include "framework/Geometry.h"

namespace brx {

// WM_SIZE: the new client size.
inline CSize SizeArg(LPARAM lp) { return CSize(LOWORD(lp), HIWORD(lp)); }

// Mouse messages and WM_CONTEXTMENU: a point with signed coordinates (a
// second monitor left of the first has negative ones).
inline CPoint PointArg(LPARAM lp) { return CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); }

// WM_COMMAND: the command or control id, the notification code (0 for a
// menu item, 1 for an accelerator) and the control, if any.
struct CommandArgs {
    UINT id;
    UINT code;
    HWND control;
};
inline CommandArgs CommandArg(WPARAM wp, LPARAM lp) {
    return CommandArgs{LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)};
}

// WM_NOTIFY and the item messages: the structure that LPARAM points to.
template <class T>
T& NotifyArg(LPARAM lp) {
    return *reinterpret_cast<T*>(lp);
}
template <class T>
T* StructArg(LPARAM lp) {
    return reinterpret_cast<T*>(lp);
}

// A window handle or a menu handle in either argument.
inline HWND HwndArg(UINT_PTR arg) { return reinterpret_cast<HWND>(arg); }
inline HMENU MenuArg(UINT_PTR arg) { return reinterpret_cast<HMENU>(arg); }

// WM_MENUSELECT: the item (a command id, or a position for a popup), its
// MF_* flags (0xFFFF with a null menu: the menu closed) and its menu.
struct MenuSelectArgs {
    UINT item;
    UINT flags;
    HMENU menu;
};
inline MenuSelectArgs MenuSelectArg(WPARAM wp, LPARAM lp) {
    return MenuSelectArgs{LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp)};
}

// WM_INITMENUPOPUP: the popup, its position and whether it is the system menu.
struct InitMenuPopupArgs {
    HMENU popup;
    UINT index;
    bool systemMenu;
};
inline InitMenuPopupArgs InitMenuPopupArg(WPARAM wp, LPARAM lp) {
    return InitMenuPopupArgs{reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp) != 0};
}

} // namespace brx
