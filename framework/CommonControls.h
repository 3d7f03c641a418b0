// Thin wrappers of the common controls: list view, tree view, header,
// progress bar, slider (trackbar), spin (up-down) and tooltip. Each is a CWnd
// whose methods are one-line messages named after them; they cache nothing.
// Create makes the control as a child (destroyed with the object); Attach or
// SubclassWindow wrap one that exists without taking it over.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

namespace brx {

// Text of an item read through a message that fills a buffer of a given size.
std::wstring ReadItemText(HWND hwnd, UINT msg, WPARAM wp, int maxChars);

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, WC_LISTVIEWW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    DWORD SetExtendedStyle(DWORD style) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
    }
    int InsertColumn(int index, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0);
        column.fmt = format;
        column.cx = width;
        column.pszText = const_cast<wchar_t*>(heading);
        return static_cast<int>(
            SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
    }
    BOOL DeleteColumn(int index) {
        return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(index)));
    }
    int GetColumnWidth(int index) const {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index)));
    }
    BOOL SetColumnWidth(int index, int width) {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)));
    }
    int InsertItem(int index, const wchar_t* text, int image = -1) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
        item.iItem = index;
        item.iImage = image;
        item.pszText = const_cast<wchar_t*>(text);
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemText(int index, int subItem, const wchar_t* text) {
        LVITEMW item{};
        item.iSubItem = subItem;
        item.pszText = const_cast<wchar_t*>(text);
        return static_cast<BOOL>(
            SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    std::wstring GetItemText(int index, int subItem, int maxChars = 260) const;
    BOOL SetItemData(int index, LPARAM data) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    LPARAM GetItemData(int index) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        return SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    BOOL GetItem(LVITEMW& item) const {
        return static_cast<BOOL>(SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItem(const LVITEMW& item) {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemState(int index, UINT state, UINT mask) {
        LVITEMW item{};
        item.stateMask = mask;
        item.state = state;
        return static_cast<BOOL>(
            SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    UINT GetItemState(int index, UINT mask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), static_cast<LPARAM>(mask)));
    }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // A virtual list's count; flags LVSICF_*.
    BOOL SetItemCountEx(int count, DWORD flags = 0) {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)));
    }
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL EnsureVisible(int index, BOOL partialOk) {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk));
    }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL RedrawItems(int first, int last) {
        return static_cast<BOOL>(SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)));
    }
    // code: LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS.
    BOOL GetItemRect(int index, RECT& rect, int code) const {
        rect.left = code;
        return static_cast<BOOL>(
            SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)));
    }
    int HitTest(LVHITTESTINFO& info) const {
        return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    HIMAGELIST SetImageList(HIMAGELIST list, int which) {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
    }
    BOOL Scroll(SIZE by) { return static_cast<BOOL>(SendMessage(LVM_SCROLL, static_cast<WPARAM>(by.cx), by.cy)); }
};

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, WC_TREEVIEWW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, int image = -1,
                         int selectedImage = -1, LPARAM data = 0) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
        insert.item.pszText = const_cast<wchar_t*>(text);
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage >= 0 ? selectedImage : image;
        insert.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    BOOL DeleteItem(HTREEITEM item) {
        return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) {
        return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
    }
    BOOL Expand(HTREEITEM item, UINT code) {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
    }
    BOOL EnsureVisible(HTREEITEM item) {
        return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
    }
    BOOL GetItem(TVITEMW& item) const {
        return static_cast<BOOL>(SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItem(const TVITEMW& item) {
        return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    std::wstring GetItemText(HTREEITEM item, int maxChars = 260) const;
    BOOL SetItemText(HTREEITEM item, const wchar_t* text) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = const_cast<wchar_t*>(text);
        return SetItem(tv);
    }
    LPARAM GetItemData(HTREEITEM item) const {
        TVITEMW tv{};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        return GetItem(tv) ? tv.lParam : 0;
    }
    BOOL SetItemData(HTREEITEM item, LPARAM data) {
        TVITEMW tv{};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        tv.lParam = data;
        return SetItem(tv);
    }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask) {
        TVITEMW tv{};
        tv.mask = TVIF_STATE;
        tv.hItem = item;
        tv.state = state;
        tv.stateMask = mask;
        return SetItem(tv);
    }
    UINT GetItemState(HTREEITEM item, UINT mask) const {
        return static_cast<UINT>(
            SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
    }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    BOOL GetItemRect(HTREEITEM item, RECT& rect, BOOL textOnly) const {
        *reinterpret_cast<HTREEITEM*>(&rect) = item;
        return static_cast<BOOL>(
            SendMessage(TVM_GETITEMRECT, static_cast<WPARAM>(textOnly), reinterpret_cast<LPARAM>(&rect)));
    }
    HTREEITEM HitTest(TVHITTESTINFO& info) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    int GetItemHeight() const { return static_cast<int>(SendMessage(TVM_GETITEMHEIGHT)); }
    int SetItemHeight(int height) {
        return static_cast<int>(SendMessage(TVM_SETITEMHEIGHT, static_cast<WPARAM>(height)));
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int which) {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
    }
    HIMAGELIST GetImageList(int which) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, static_cast<WPARAM>(which)));
    }
};

class CHeaderCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, WC_HEADERW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    int InsertItem(int index, const HDITEMW& item) {
        return static_cast<int>(
            SendMessage(HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(index))); }
    BOOL GetItem(int index, HDITEMW& item) const {
        return static_cast<BOOL>(
            SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItem(int index, const HDITEMW& item) {
        return static_cast<BOOL>(
            SendMessage(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL GetItemRect(int index, RECT& rect) const {
        return static_cast<BOOL>(
            SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)));
    }
    BOOL Layout(HDLAYOUT& layout) {
        return static_cast<BOOL>(SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)));
    }
    int HitTest(HDHITTESTINFO& info) const {
        return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    int OrderToIndex(int order) const {
        return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)));
    }
    BOOL GetOrderArray(int* order, int count) const {
        return static_cast<BOOL>(
            SendMessage(HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
    }
    BOOL SetOrderArray(const int* order, int count) {
        return static_cast<BOOL>(
            SendMessage(HDM_SETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
    }
    HIMAGELIST SetImageList(HIMAGELIST list) {
        return reinterpret_cast<HIMAGELIST>(SendMessage(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)));
    }
};

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, PROGRESS_CLASSW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    void SetRange(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const {
        PBRANGE range{};
        SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int by) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(by))); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CSliderCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, TRACKBAR_CLASSW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
        SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
    }
    int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
    int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
    int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
    int GetLineSize() const { return static_cast<int>(SendMessage(TBM_GETLINESIZE)); }
    int GetPageSize() const { return static_cast<int>(SendMessage(TBM_GETPAGESIZE)); }
};

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, UPDOWN_CLASSW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange32(int& lower, int& upper) const {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    }
    int SetPos32(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
    int GetPos32(BOOL* error = nullptr) const {
        return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
    }
    HWND SetBuddy(HWND buddy) {
        return reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
    }
    HWND GetBuddy() const { return reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY)); }
    int SetBase(int base) { return static_cast<int>(SendMessage(UDM_SETBASE, static_cast<WPARAM>(base))); }
    BOOL SetAccel(int count, const UDACCEL* accel) {
        return static_cast<BOOL>(
            SendMessage(UDM_SETACCEL, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(accel)));
    }
};

class CToolTipCtrl : public CWnd {
public:
    // A popup tooltip owned by owner.
    BOOL Create(HWND owner, DWORD style = TTS_ALWAYSTIP) {
        return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CRect(CW_USEDEFAULT, 0, 0, 0), owner,
                        0);
    }
    // A tool for a window (TTF_IDISHWND) or for a rectangle of it (id nonzero).
    BOOL AddTool(HWND wnd, const wchar_t* text, const RECT* rect = nullptr, UINT_PTR id = 0) {
        TTTOOLINFOW info = ToolInfo(wnd, id);
        info.uFlags |= TTF_SUBCLASS;
        if (rect) info.rect = *rect;
        info.lpszText = const_cast<wchar_t*>(text ? text : LPSTR_TEXTCALLBACKW);
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
    }
    void DelTool(HWND wnd, UINT_PTR id = 0) {
        TTTOOLINFOW info = ToolInfo(wnd, id);
        SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    void UpdateTipText(const wchar_t* text, HWND wnd, UINT_PTR id = 0) {
        TTTOOLINFOW info = ToolInfo(wnd, id);
        info.lpszText = const_cast<wchar_t*>(text);
        SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    std::wstring GetText(HWND wnd, UINT_PTR id = 0) const;
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Activate(BOOL active) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(active)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    void SetDelayTime(DWORD which, int ms) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(ms, 0)); }
    void Pop() { SendMessage(TTM_POP); }

private:
    TTTOOLINFOW ToolInfo(HWND wnd, UINT_PTR id) const {
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = id ? wnd : ::GetParent(wnd) ? ::GetParent(wnd) : wnd;
        info.uId = id ? id : reinterpret_cast<UINT_PTR>(wnd);
        info.uFlags = id ? 0 : TTF_IDISHWND;
        return info;
    }
};

} // namespace brx
