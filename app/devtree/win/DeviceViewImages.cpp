#include "app/devtree/win/DeviceViewImages.h"

#include <algorithm>

#include "app/res/devtree_ids.h"
#include "framework/Resource.h"
#include "framework/Wnd.h"

namespace brx {

HIMAGELIST LoadCaptureStateImages() {
    auto bitmap = static_cast<HBITMAP>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_CAPTURE_STATE),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return nullptr;
    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 5, 0);
    if (list && ::ImageList_AddMasked(list, bitmap, RGB(255, 0, 255)) < 0) {
        ::ImageList_Destroy(list);
        list = nullptr;
    }
    ::DeleteObject(bitmap);
    return list;
}

HIMAGELIST CreateSmallImageList(UINT colorFlags, int initial) {
    return ::ImageList_Create(16, 16, colorFlags | ILC_MASK, initial, 4);
}

int AddIconResource(HIMAGELIST list, UINT id) {
    if (!list)
        return -1;
    auto icon = static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    if (!icon)
        return -1;
    const int index = ::ImageList_ReplaceIcon(list, -1, icon);
    ::DestroyIcon(icon);
    return index;
}

void PaintBuffered(CWnd& control) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(control, &ps);
    const CRect client = control.GetClientRect();
    const int width = std::max(1, client.Width()), height = std::max(1, client.Height());
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, width, height);
    if (memory && bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        control.DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        control.DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    if (memory)
        ::DeleteDC(memory);
    ::EndPaint(control, &ps);
}

} // namespace brx
