// What the device tree and the device stack views share: the capture check
// boxes (bitmap IDB_CAPTURE_STATE as an image list) and their double-buffered
// painting.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace brx {

class CWnd;

// The five 16 x 16 boxes (blank, unchecked, checked, partly checked, crossed)
// with magenta transparent, loaded as a DIB section; null when the bitmap is
// missing.
HIMAGELIST LoadCaptureStateImages();

// A 16 x 16 image list with a mask in the colour depth given (ILC_COLOR*).
HIMAGELIST CreateSmallImageList(UINT colorFlags, int initial);

// Adds icon resource id to an image list; its index, or -1.
int AddIconResource(HIMAGELIST list, UINT id);

// WM_PAINT of a common control without flicker: validates the window and
// lets the control draw its background and client area into a bitmap of the
// client's size, which is then copied to the window in one go.
void PaintBuffered(CWnd& control);

} // namespace brx
