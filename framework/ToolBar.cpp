#include "framework/ToolBar.h"

#include <algorithm>
#include <vector>

#include "framework/MsgArgs.h"
#include "framework/Resource.h"

namespace brx {

CToolBar::~CToolBar() {
    DestroyWindow();
    if (m_hImageList) ::ImageList_Destroy(m_hImageList);
}

BOOL CToolBar::Create(HWND parent, DWORD style, UINT id) {
    return CreateEx(parent, TBSTYLE_FLAT, style, CRect(0, 0, 0, 0), id);
}

BOOL CToolBar::CreateEx(HWND parent, DWORD ctrlStyle, DWORD style, const RECT& borders, UINT id) {
    DWORD windowStyle = SplitBarStyle(style);
    m_rectBorders = borders;
    // The frame's layout pass places and sizes the bar, not the control itself.
    windowStyle |= ctrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_CHILD;
    if (m_dwStyle & CBRS_TOOLTIPS) windowStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, windowStyle, CRect(0, 0, 100, 30), parent, id)) return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
    while (SendMessage(TB_DELETEBUTTON, 0)) {
    }
    if (count <= 0) return TRUE;
    if (!ids) return FALSE;
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON& b = buttons[static_cast<size_t>(i)];
        b.idCommand = static_cast<int>(ids[i]);
        if (ids[i] == ID_SEPARATOR) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = m_hImageList ? image++ : I_IMAGENONE;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        b.iString = -1;
    }
    return SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) ? TRUE : FALSE;
}

BOOL CToolBar::SetBitmap(HBITMAP bitmap, SIZE imageSize, COLORREF mask) {
    if (!bitmap || imageSize.cx <= 0 || imageSize.cy <= 0) return FALSE;
    HIMAGELIST list = ::ImageList_Create(imageSize.cx, imageSize.cy, ILC_COLOR24 | ILC_MASK, 8, 8);
    if (!list) return FALSE;
    if (::ImageList_AddMasked(list, bitmap, mask) < 0) {
        ::ImageList_Destroy(list);
        return FALSE;
    }
    ::DeleteObject(bitmap);
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    if (m_hImageList) ::ImageList_Destroy(m_hImageList);
    m_hImageList = list;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize.cx, imageSize.cy));
    return TRUE;
}

BOOL CToolBar::LoadBitmap(UINT bitmapId, SIZE imageSize, COLORREF mask) {
    HBITMAP bitmap = LoadBitmapResource(bitmapId);
    if (!bitmap) return FALSE;
    if (SetBitmap(bitmap, imageSize, mask)) return TRUE;
    ::DeleteObject(bitmap);
    return FALSE;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
}

UINT CToolBar::GetItemID(int index) const {
    TBBUTTON b{};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b))) return 0;
    return static_cast<UINT>(b.idCommand);
}

CRect CToolBar::GetItemRect(int index) const {
    CRect rc;
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc))) rc.SetRectEmpty();
    return rc;
}

UINT CToolBar::GetButtonStyle(int index) const {
    TBBUTTON b{};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b))) return 0;
    return b.fsStyle;
}

void CToolBar::SetButtonStyle(int index, UINT style) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE | TBIF_BYINDEX;
    info.fsStyle = static_cast<BYTE>(style);
    SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

BOOL CToolBar::SetButtonText(int index, const wchar_t* text) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = const_cast<wchar_t*>(text ? text : L"");
    return SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info)) ? TRUE : FALSE;
}

CSize CToolBar::CalcItemsSize(bool horizontal) {
    // The buttons' extent: the farthest button edge, at least one button.
    DWORD button = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    CSize size(LOWORD(button), HIWORD(button));
    int count = GetCount();
    CSize extent(0, 0);
    for (int i = 0; i < count; ++i) {
        CRect rc = GetItemRect(i);
        extent.cx = std::max<LONG>(extent.cx, rc.right);
        extent.cy = std::max<LONG>(extent.cy, rc.bottom);
    }
    if (horizontal) return CSize(std::max(extent.cx, size.cx), std::max(size.cy, extent.cy));
    return CSize(std::max(size.cx, extent.cx), std::max(extent.cy, size.cy));
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) {
    UpdateToolBarButtons(m_hWnd, target, disableIfNoHandler);
}

bool CToolBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // The control's own tooltip talks to the control, which asks its parent.
    if (msg == WM_NOTIFY && StructArg<NMHDR>(lp)->hwndFrom == HwndArg(SendMessage(TB_GETTOOLTIPS))) return false;
    return CControlBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
