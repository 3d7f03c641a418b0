// The toolbar bar: a control bar over the common toolbar control. Buttons
// are command ids (ID_SEPARATOR for a gap) with images from one bitmap strip,
// in order; the idle pass enables, checks and greys them through the owner's
// update handlers, and clicks arrive as commands at the owner.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/ControlBar.h"

namespace brx {

class CToolBar : public CControlBar {
public:
    // style: window and bar styles (CBRS_*); ctrlStyle: TBSTYLE_* of the control.
    BOOL Create(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(HWND parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                  const RECT& borders = CRect(0, 0, 0, 0), UINT id = AFX_IDW_TOOLBAR);

    // Replaces the buttons: one per id, ID_SEPARATOR for a separator; the n-th
    // button that is not a separator shows image n (I_IMAGENONE without images).
    BOOL SetButtons(const UINT* ids, int count);
    // The image strip: a bitmap of images imageSize wide (the bar owns it); the
    // buttons grow to fit them.
    BOOL SetBitmap(HBITMAP bitmap, SIZE imageSize, COLORREF mask = RGB(255, 0, 255));
    BOOL LoadBitmap(UINT bitmapId, SIZE imageSize, COLORREF mask = RGB(255, 0, 255));
    void SetSizes(SIZE button, SIZE image);

    int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    int CommandToIndex(UINT id) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id)); }
    UINT GetItemID(int index) const;
    CRect GetItemRect(int index) const;
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    BOOL SetButtonText(int index, const wchar_t* text);

    void OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    ~CToolBar() override;

protected:
    CSize CalcItemsSize(bool horizontal) override;

private:
    HIMAGELIST m_hImageList = nullptr;
};

} // namespace brx
