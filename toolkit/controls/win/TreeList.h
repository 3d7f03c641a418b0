// A tree whose rows carry up to eight text columns under a header. Column 0
// is the tree item itself (indentation, buttons, label); columns 1-7 are
// plain text cells painted to the right of it. The inner tree, the header and
// a horizontal scroll bar are children of the CTreeList window; the header's
// widths drive the painting, and the whole tree scrolls sideways under the
// scroll bar when the columns are wider than the window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "framework/CommonControls.h"
#include "framework/Wnd.h"

namespace brx {

class CTreeList;

constexpr int kTreeListColumns = 8;
constexpr int kTreeListMinColumn0 = 100;
// Text of this many characters or more (with its terminator) is refused.
constexpr int kTreeListTextChars = 2048;

// Private messages the tooltip (or anyone) sends to a CTreeList.
constexpr UINT TLM_HITTEST = WM_USER + 100;      // lParam TLHITTESTINFO*; returns the item
constexpr UINT TLM_GETCELLRECT = WM_USER + 101;  // wParam item, lParam RECT* (left = column in)
constexpr UINT TLM_GETCELLTEXT = WM_USER + 102;  // wParam item, lParam TLCELLTEXT*

constexpr UINT_PTR kTreeListHoverTimer = 2011;
constexpr UINT_PTR kTreeListTipTimer = 2012;
constexpr UINT_PTR kTreeListTipCloseTimer = 2013;

struct TLHITTESTINFO {
    POINT pt;  // CTreeList client coordinates
    UINT flags;
    HTREEITEM item;
    int column;
};

struct TLCELLTEXT {
    int column;
    wchar_t* buffer;
    int size;  // characters
};

// One row's cells, index = column; null until a text is set.
class CTLSubitemArray {
public:
    std::wstring* Get(int column) const { return m_cells[static_cast<size_t>(column)].get(); }
    void Set(int column, const wchar_t* text) {
        m_cells[static_cast<size_t>(column)] = std::make_unique<std::wstring>(text ? text : L"");
    }

private:
    std::array<std::unique_ptr<std::wstring>, kTreeListColumns> m_cells;
};

// Row handle to its cells. Emptying it frees every cell.
using CTLItemMap = std::unordered_map<HTREEITEM, CTLSubitemArray>;

class CTreeListCtrl : public CTreeCtrl {
public:
    CTreeList* m_pTreeList = nullptr;
    int m_nColumn0Width = 0;

    // On an item in the sense of a click: on its icon, button or state icon,
    // or on the label's text (the label widened to the right edge with full-row
    // selection).
    bool IsOnItem(POINT pt, HTREEITEM* item = nullptr) const;

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnPaint();
    void OnHoverTimer();
};

class CTreeList : public CWnd {
public:
    CTreeList();
    ~CTreeList() override;

    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Bits 0-15 are tree-view styles of the inner tree, bits 16-31 window
    // styles of this window.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);

    int InsertColumn(int index, const wchar_t* text, int format, int width);
    BOOL SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    int GetColumnCount() const { return m_header.GetItemCount(); }

    HTREEITEM InsertItemA(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL SetItemTextA(HTREEITEM item, int column, const char* text);
    BOOL SetItemText(HTREEITEM item, int column, const wchar_t* text);
    std::wstring GetItemText(HTREEITEM item, int column) const;
    BOOL DeleteItem(HTREEITEM item) { return m_tree.DeleteItem(item); }
    BOOL DeleteAllItems();
    BOOL GetCellRect(HTREEITEM item, int column, RECT& rect) const;
    HTREEITEM HitTest(TLHITTESTINFO& info) const;
    void AutoSizeColumn(int column);

    CTreeListCtrl& GetTreeCtrl() { return m_tree; }
    CHeaderCtrl& GetHeaderCtrl() { return m_header; }
    HWND GetScrollBar() const { return m_scroll; }
    int GetScrollOffset() const { return m_nOffset; }
    size_t GetCellRowCount() const { return m_cells.size(); }

protected:
    virtual void CreateChildren();
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnNotify(NMHDR& nm, LRESULT& result) override;

private:
    friend class CTreeListCtrl;
    void Layout();
    void SyncWidths();
    void OnHScroll(int code, int pos);
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW& cd);
    LRESULT Forward(NMHDR& nm);
    int ContentWidth() const;
    int MeasureText(const std::wstring& text) const;
    void OnSettingChange();
    void OnPaint();

    CTreeListCtrl m_tree;
    HWND m_scroll = nullptr;
    CHeaderCtrl m_header;
    int m_nHeaderHeight = 0;
    int m_nTotalWidth = 0;
    int m_nOffset = 0;
    int m_nMinColumn0 = kTreeListMinColumn0;
    bool m_bSynced = false;
    int m_nMargin = 0;
    int m_widths[kTreeListColumns] = {};
    int m_formats[kTreeListColumns] = {};
    CTLItemMap m_cells;
    bool m_bCreating = false;
};

// The panes' tree-lists: no context menu of their own, none passed on.
class CTreeListBase : public CTreeList {
protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// Registers the "TreeListToolTip" class; false when it fails.
bool RegisterTreeListToolTipClass();

} // namespace brx
