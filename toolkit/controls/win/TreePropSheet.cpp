#include "toolkit/controls/win/TreePropSheet.h"

#include <vector>

#include "framework/MsgArgs.h"
#include "framework/Resource.h"

namespace brx {

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

int PageOfItem(HWND tree, HTREEITEM item) {
    if (!item) return -1;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return -1;
    return static_cast<int>(tv.lParam);
}

} // namespace

CTreePropSheet::CTreePropSheet(const wchar_t* caption, HWND parent, UINT selectPage)
    : CPropertySheet(caption, parent, selectPage) {}

CTreePropSheet::~CTreePropSheet() { Cleanup(); }

BOOL CTreePropSheet::SetTreeWidth(int width) {
    if (m_hWnd) return FALSE;
    m_nTreeWidth = width;
    return TRUE;
}

BOOL CTreePropSheet::SetPageIcon(CPropertyPage* page, LPCWSTR iconName) {
    if (!page) return FALSE;
    HICON icon = static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), iconName, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    if (!icon) return FALSE;
    page->m_psp.dwFlags |= PSP_USEHICON;
    page->m_psp.dwFlags &= ~static_cast<DWORD>(PSP_USEICONID);
    page->m_psp.hIcon = icon;
    return TRUE;
}

BOOL CALLBACK CTreePropSheet::EnableChildProc(HWND window, LPARAM enable) {
    ::EnableWindow(window, enable ? TRUE : FALSE);
    return TRUE;
}

BOOL CTreePropSheet::OnInitDialog() {
    HWND tab = GetTabControl();
    if (tab) CWnd::ModifyStyle(tab, TCS_MULTILINE, 0, 0); // one tab row
    const BOOL result = CPropertySheet::OnInitDialog();
    if (!tab) return result;
    ::ShowWindow(tab, SW_HIDE);
    ::EnableWindow(tab, FALSE);

    m_hPageImages = ImageList_Create(16, 16, m_nColorFlag | ILC_MASK, 0, 1);
    m_hStateImages = ImageList_Create(8, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
    if (HBITMAP states = LoadBitmapResource(kStateBitmapId)) {
        ImageList_AddMasked(m_hStateImages, states, kMagenta);
        ::DeleteObject(states);
    }

    // The tab control's images, rebuilt from the page icons in tab order.
    if (HIMAGELIST icons = ImageList_Create(16, 16, m_nColorFlag | ILC_MASK, 0, 1)) {
        bool failed = false;
        for (int i = 0; i < GetPageCount() && !failed; ++i) {
            const PROPSHEETPAGEW& psp = GetPage(i)->m_psp;
            HICON icon = nullptr;
            if (psp.dwFlags & PSP_USEHICON) icon = psp.hIcon;
            else if (psp.dwFlags & PSP_USEICONID)
                icon = static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), psp.pszIcon, IMAGE_ICON, 16, 16,
                                                       LR_DEFAULTCOLOR | LR_SHARED));
            else continue;
            failed = !icon || ImageList_AddIcon(icons, icon) < 0;
        }
        if (failed) {
            ImageList_Destroy(icons);
        } else {
            HIMAGELIST old = TabCtrl_SetImageList(tab, icons);
            if (old && old != icons) ImageList_Destroy(old);
        }
    }

    // The frame over the tab control's place.
    RECT tabRect{};
    ::GetWindowRect(tab, &tabRect);
    ScreenToClient(tabRect);
    m_pFrame = CreatePageFrame();
    if (!m_pFrame) return FALSE;
    m_pFrame->Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, tabRect, m_hWnd, kFrameId);
    if (CWnd* frame = m_pFrame->GetWnd(); frame && frame->m_hWnd)
        ::SetWindowPos(frame->m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_pFrame->UpdateCaption();

    // Room for the tree: wider by the tree width, every child moved right.
    CRect window = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, window.Width() + m_nTreeWidth, window.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children) {
        RECT rc{};
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        ::SetWindowPos(child, nullptr, rc.left + m_nTreeWidth, rc.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    RECT item{};
    if (TabCtrl_GetItemRect(tab, 0, &item)) m_pFrame->SetCaptionHeight(item.bottom - item.top + 2);

    RECT treeRect = tabRect;
    treeRect.right = treeRect.left + m_nTreeWidth - 5;
    m_hTree = ::CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_SHOWSELALWAYS,
                                treeRect.left, treeRect.top, treeRect.right - treeRect.left,
                                treeRect.bottom - treeRect.top, m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)), AfxGetResourceHandle(), nullptr);
    if (!m_hTree) return FALSE;
    ::SendMessageW(m_hTree, WM_SETFONT, SendMessage(WM_GETFONT), FALSE);
    TreeView_SetItemHeight(m_hTree, TreeView_GetItemHeight(m_hTree) + 10);
    TreeView_SetImageList(m_hTree, m_hPageImages, TVSIL_NORMAL);
    TreeView_SetImageList(m_hTree, m_hStateImages, TVSIL_STATE);

    FillPageTree();
    SelectCurrentPageItem();
    UpdateCaption();
    return result;
}

void CTreePropSheet::FillPageTree() {
    HWND tab = GetTabControl();
    if (!m_hTree || !tab) return;
    TreeView_DeleteAllItems(m_hTree);
    ImageList_RemoveAll(m_hPageImages);
    if (HIMAGELIST icons = TabCtrl_GetImageList(tab)) {
        for (int i = 0; i < ImageList_GetImageCount(icons); ++i) {
            HICON icon = ImageList_GetIcon(icons, i, ILD_NORMAL);
            if (!icon) continue;
            ImageList_AddIcon(m_hPageImages, icon);
            ::DestroyIcon(icon);
        }
    }
    const int images = ImageList_GetImageCount(m_hPageImages);
    const int tabs = TabCtrl_GetItemCount(tab);
    for (int i = 0; i < tabs; ++i) {
        wchar_t text[261] = {};
        TCITEMW tci{};
        tci.mask = TCIF_TEXT | TCIF_IMAGE;
        tci.pszText = text;
        tci.cchTextMax = 260;
        if (!::SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tci))) {
            text[0] = 0;
            tci.iImage = -1;
        }
        TVINSERTSTRUCTW ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        ins.item.pszText = text;
        ins.item.state = TVIS_BOLD | INDEXTOSTATEIMAGEMASK(1);
        ins.item.stateMask = TVIS_BOLD | TVIS_STATEIMAGEMASK;
        // Without an image: I_IMAGENONE, since -1 asks the owner for one
        // (I_IMAGECALLBACK), which nobody answers.
        const int image = tci.iImage >= 0 && tci.iImage < images ? tci.iImage : I_IMAGENONE;
        ins.item.iImage = ins.item.iSelectedImage = image;
        ins.item.lParam = i;
        ::SendMessageW(m_hTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
    }
}

HTREEITEM CTreePropSheet::FindPageItem(int page) const {
    if (!m_hTree || page < 0 || page >= GetPageCount()) return nullptr;
    for (HTREEITEM item = TreeView_GetRoot(m_hTree); item; item = TreeView_GetNextSibling(m_hTree, item))
        if (PageOfItem(m_hTree, item) == page) return item;
    return nullptr;
}

void CTreePropSheet::SelectCurrentPageItem() {
    HWND tab = GetTabControl();
    if (!m_hTree || !tab) return;
    if (HTREEITEM item = FindPageItem(TabCtrl_GetCurSel(tab))) {
        const bool was = m_bSelecting;
        m_bSelecting = true; // the sheet already shows that page
        TreeView_SelectItem(m_hTree, item);
        m_bSelecting = was;
    }
}

void CTreePropSheet::UpdateCaption() {
    if (!m_pFrame || !m_hTree || !SendMessage(PSM_GETCURRENTPAGEHWND)) return;
    wchar_t text[129] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = TreeView_GetSelection(m_hTree);
    tv.pszText = text;
    tv.cchTextMax = 128;
    if (!tv.hItem || !::SendMessageW(m_hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) text[0] = 0;
    m_pFrame->SetCaption(text, nullptr);
}

LRESULT CTreePropSheet::OnSelChanging(const NMTREEVIEWW& nm) {
    if (m_bSelecting) return 0;
    m_bSelecting = true;
    const int page = PageOfItem(m_hTree, nm.itemNew.hItem);
    bool refused;
    if (page >= 0 && page < GetPageCount()) {
        refused = SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(page), 0) == 0;
    } else {
        // No page behind the item: the current page gives up and hides.
        refused = true;
        if (HWND current = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND))) {
            PSHNOTIFY kill{};
            kill.hdr.hwndFrom = m_hWnd;
            kill.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
            kill.hdr.code = PSN_KILLACTIVE;
            // A page's dialog answers through DWLP_MSGRESULT: TRUE keeps it.
            if (!::SendMessageW(current, WM_NOTIFY, kill.hdr.idFrom, reinterpret_cast<LPARAM>(&kill))) {
                ::ShowWindow(current, SW_HIDE);
                refused = false;
            }
        }
    }
    ::SetFocus(m_hTree);
    m_bSelecting = false;
    return refused ? 1 : 0;
}

bool CTreePropSheet::OnDialogKey(const MSG* msg) {
    if (!msg || !m_hTree || msg->message != WM_KEYDOWN || msg->wParam != VK_TAB) return false;
    if (::GetKeyState(VK_CONTROL) >= 0) return false;
    HTREEITEM current = TreeView_GetSelection(m_hTree);
    HTREEITEM next;
    if (::GetKeyState(VK_SHIFT) < 0) {
        next = current ? TreeView_GetPrevSibling(m_hTree, current) : nullptr;
        if (!next) { // before the first: the last
            for (HTREEITEM item = TreeView_GetRoot(m_hTree); item; item = TreeView_GetNextSibling(m_hTree, item))
                next = item;
        }
    } else {
        next = current ? TreeView_GetNextSibling(m_hTree, current) : nullptr;
        if (!next) next = TreeView_GetRoot(m_hTree); // after the last: the first
    }
    if (next) TreeView_SelectItem(m_hTree, next);
    return true;
}

void CTreePropSheet::Cleanup() {
    if (m_hTree && ::IsWindow(m_hTree)) {
        TreeView_SetImageList(m_hTree, nullptr, TVSIL_NORMAL);
        TreeView_SetImageList(m_hTree, nullptr, TVSIL_STATE);
        ::DestroyWindow(m_hTree);
    }
    m_hTree = nullptr;
    if (m_hPageImages) ImageList_Destroy(m_hPageImages);
    if (m_hStateImages) ImageList_Destroy(m_hStateImages);
    m_hPageImages = m_hStateImages = nullptr;
    if (m_pFrame) {
        if (CWnd* frame = m_pFrame->GetWnd(); frame && frame->m_hWnd) frame->DestroyWindow();
        delete m_pFrame;
        m_pFrame = nullptr;
    }
}

bool CTreePropSheet::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_DESTROY:
        CPropertySheet::OnWndMsg(msg, wp, lp, result);
        Cleanup();
        return true;
    case PSM_SETCURSEL:
    case PSM_SETCURSELID:
        result = Default();
        if (!m_bSelecting) SelectCurrentPageItem();
        UpdateCaption();
        return true;
    case PSM_ISDIALOGMESSAGE:
        if (OnDialogKey(reinterpret_cast<const MSG*>(lp))) {
            result = 1;
            return true;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR& nm = NotifyArg<NMHDR>(lp);
        if (m_hTree && nm.hwndFrom == m_hTree && nm.idFrom == kTreeId) {
            switch (nm.code) {
            case TVN_SELCHANGINGA:
            case TVN_SELCHANGINGW:
                result = OnSelChanging(NotifyArg<NMTREEVIEWW>(lp));
                return true;
            case TVN_SELCHANGEDA:
            case TVN_SELCHANGEDW:
                UpdateCaption();
                result = 0;
                return true;
            }
        }
        break;
    }
    }
    return CPropertySheet::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
