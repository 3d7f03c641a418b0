// An image list that owns its handle (destroyed with the object unless
// detached). One-line calls of the ImageList_* functions.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace brx {

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
        return Attach(::ImageList_Create(cx, cy, flags, initial, grow));
    }
    BOOL Attach(HIMAGELIST list) {
        DeleteImageList();
        m_hImageList = list;
        return list != nullptr;
    }
    HIMAGELIST Detach() { return std::exchange(m_hImageList, nullptr); }
    BOOL DeleteImageList() {
        HIMAGELIST list = Detach();
        return list ? ::ImageList_Destroy(list) : FALSE;
    }
    int Add(HBITMAP image, HBITMAP mask) { return ::ImageList_Add(m_hImageList, image, mask); }
    int Add(HBITMAP image, COLORREF mask) { return ::ImageList_AddMasked(m_hImageList, image, mask); }
    int Add(HICON icon) { return ::ImageList_ReplaceIcon(m_hImageList, -1, icon); }
    int Replace(int index, HICON icon) { return ::ImageList_ReplaceIcon(m_hImageList, index, icon); }
    BOOL Remove(int index) { return ::ImageList_Remove(m_hImageList, index); }
    BOOL RemoveAll() { return ::ImageList_Remove(m_hImageList, -1); }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
    BOOL Draw(HDC dc, int index, POINT at, UINT style) const {
        return ::ImageList_Draw(m_hImageList, index, dc, at.x, at.y, style);
    }
    HICON ExtractIcon(int index) const { return ::ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    COLORREF SetBkColor(COLORREF color) { return ::ImageList_SetBkColor(m_hImageList, color); }
    BOOL GetImageInfo(int index, IMAGEINFO& info) const { return ::ImageList_GetImageInfo(m_hImageList, index, &info); }
    BOOL GetIconSize(int& cx, int& cy) const { return ::ImageList_GetIconSize(m_hImageList, &cx, &cy); }
};

} // namespace brx
