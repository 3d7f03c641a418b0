// The capture list's header: columns the user may hide. A hidden column has
// width 0 and stands behind every visible column in the display order. The
// header tracks divider drags itself, since zero-width columns confuse the
// system's own divider handling.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CommonControls.h"
#include "toolkit/controls/res/header_cursor_ids.h"

namespace brx {

// Kept in each header item's lParam.
struct HEADER_COLUMN_INFO {
    int32_t width;     // the width to give the column when it is shown again
    uint32_t option;   // nonzero: the user may hide it
    uint32_t visible;  // nonzero while visible
};

// Posted by the list after a column drag: hidden columns go to the back again.
constexpr UINT HCM_FIXORDER = WM_APP + 0x4D;
// The divider cursors: toolkit/controls/res/header_cursors.rc, which every
// program showing the header includes in its resources.
constexpr int kHeaderDividerCursor = IDC_HEADER_DIVIDER;
constexpr int kHeaderSplitCursor = IDC_HEADER_SPLIT;

class CHeaderCtrlEx : public CHeaderCtrl {
public:
    BOOL SetItemData(int index, HEADER_COLUMN_INFO* info);
    HEADER_COLUMN_INFO* GetItemData(int index) const;
    void SetColumnOption(int index, uint32_t value);
    uint32_t GetColumnOption(int index) const;
    BOOL IsColumnVisible(int index) const;
    BOOL GetColumnsVisible(int* visible, int count) const;
    BOOL SetColumnWidths(const int* widths, int count);
    BOOL GetColumnWidths(int* widths, int count) const;
    int GetColumnWidth(int index) const;
    BOOL SetColumnWidth(int index, int width);
    int GetOrderPosition(int index) const;
    int FindVisibleColumn(int index) const;
    int CountVisibleColumns() const;
    BOOL SetOrderArray(const int* order, int count);
    BOOL ShowColumn(int index, BOOL visible);
    BOOL SetColumnsVisible(const int* visible, int count);

    int GetTrackedColumn() const { return m_nTracked; }

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The drag line over the list (drawn twice it is gone).
    virtual void DrawDragLine();

private:
    bool OnButtonDown(POINT pt);
    void EndDrag(bool apply);
    bool OnSetCursor();

    int m_nTracked = -1;
    POINT m_ptStart{}, m_ptCurrent{}, m_ptEnd{};
    int m_nStartWidth = 0;
    BOOL m_bFullDrag = FALSE;
};

} // namespace brx
