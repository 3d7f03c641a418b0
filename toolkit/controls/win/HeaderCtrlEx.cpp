#include "toolkit/controls/win/HeaderCtrlEx.h"

#include <algorithm>
#include <vector>

#include "framework/MsgArgs.h"
#include "toolkit/controls/HeaderOrder.h"

namespace brx {

namespace {
constexpr int kMaxColumns = static_cast<int>(kHeaderMaxColumns);
}

BOOL CHeaderCtrlEx::SetItemData(int index, HEADER_COLUMN_INFO* info) {
    HDITEMW item{};
    item.mask = HDI_LPARAM;
    item.lParam = reinterpret_cast<LPARAM>(info);
    return SetItem(index, item);
}

HEADER_COLUMN_INFO* CHeaderCtrlEx::GetItemData(int index) const {
    HDITEMW item{};
    item.mask = HDI_LPARAM;
    return GetItem(index, item) ? reinterpret_cast<HEADER_COLUMN_INFO*>(item.lParam) : nullptr;
}

void CHeaderCtrlEx::SetColumnOption(int index, uint32_t value) {
    if (HEADER_COLUMN_INFO* info = GetItemData(index)) info->option = value;
}

uint32_t CHeaderCtrlEx::GetColumnOption(int index) const {
    const HEADER_COLUMN_INFO* info = GetItemData(index);
    return info ? info->option : 0;
}

BOOL CHeaderCtrlEx::IsColumnVisible(int index) const {
    const HEADER_COLUMN_INFO* info = GetItemData(index);
    return info ? static_cast<BOOL>(info->visible != 0) : FALSE;
}

BOOL CHeaderCtrlEx::GetColumnsVisible(int* visible, int count) const {
    for (int i = 0; i < count; ++i) visible[i] = IsColumnVisible(i);
    return TRUE;
}

BOOL CHeaderCtrlEx::SetColumnWidths(const int* widths, int count) {
    for (int i = 0; i < count; ++i)
        if (!SetColumnWidth(i, widths[i])) return FALSE;
    return TRUE;
}

BOOL CHeaderCtrlEx::GetColumnWidths(int* widths, int count) const {
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        if (!GetItem(i, item)) return FALSE;
        widths[i] = item.cxy;
    }
    return TRUE;
}

int CHeaderCtrlEx::GetColumnWidth(int index) const {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    return GetItem(index, item) ? item.cxy : 0;
}

BOOL CHeaderCtrlEx::SetColumnWidth(int index, int width) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return SetItem(index, item);
}

int CHeaderCtrlEx::GetOrderPosition(int index) const {
    const int count = GetItemCount();
    if (index < 0 || index >= kMaxColumns || count < 1 || count > kMaxColumns) return -1;
    int order[kMaxColumns] = {};
    if (!GetOrderArray(order, count)) return -1;
    for (int i = 0; i < count; ++i)
        if (order[i] == index) return i;
    return -1;
}

int CHeaderCtrlEx::FindVisibleColumn(int index) const {
    if (IsColumnVisible(index)) return index;
    int position = GetOrderPosition(index);
    if (position < 0) return -1;
    int order[kMaxColumns] = {};
    if (!GetOrderArray(order, GetItemCount())) return -1;
    while (--position >= 0)
        if (IsColumnVisible(order[position])) return order[position];
    return -1;
}

int CHeaderCtrlEx::CountVisibleColumns() const {
    int visible = 0;
    for (int i = 0, n = GetItemCount(); i < n; ++i) visible += IsColumnVisible(i) ? 1 : 0;
    return visible;
}

BOOL CHeaderCtrlEx::SetOrderArray(const int* order, int count) {
    if (count < 0 || count > kMaxColumns) return FALSE;
    std::vector<bool> visible(static_cast<size_t>(std::max(0, GetItemCount())));
    for (size_t i = 0; i < visible.size(); ++i) visible[i] = IsColumnVisible(static_cast<int>(i)) != FALSE;
    const std::vector<int> arranged = HiddenColumnsLast(std::vector<int>(order, order + count), visible);
    const BOOL ok = CHeaderCtrl::SetOrderArray(arranged.data(), count);
    if (HWND parent = GetParent()) ::InvalidateRect(parent, nullptr, TRUE);
    return ok;
}

BOOL CHeaderCtrlEx::ShowColumn(int index, BOOL visible) {
    HEADER_COLUMN_INFO* info = GetItemData(index);
    if (!info) return FALSE;
    if ((info->visible != 0) == (visible != FALSE)) return TRUE;
    info->visible = visible ? 1 : 0;
    const int count = GetItemCount();
    if (count > kMaxColumns) return TRUE;
    const int position = GetOrderPosition(index);
    std::vector<int> order(static_cast<size_t>(count));
    GetOrderArray(order.data(), count);
    if (visible) {
        SetColumnWidth(index, info->width);
        order = OrderAfterShowing(order, index, position, CountVisibleColumns());
    } else {
        SetColumnWidth(index, 0);
    }
    return SetOrderArray(order.data(), count);
}

BOOL CHeaderCtrlEx::SetColumnsVisible(const int* visible, int count) {
    for (int i = 0; i < count; ++i) ShowColumn(i, visible[i]);
    return TRUE;
}

void CHeaderCtrlEx::DrawDragLine() {
    HWND parent = GetParent();
    if (!parent || m_nTracked < 0) return;
    RECT item{};
    if (!GetItemRect(m_nTracked, item)) return;
    RECT rc;
    ::GetWindowRect(parent, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    if (GetExStyle() & WS_EX_LAYOUTRTL) std::swap(rc.left, rc.right);
    const int x = std::max<int>(item.left, item.right + (m_ptCurrent.x - m_ptStart.x));
    int bottom = rc.bottom;
    if (::GetWindowLongPtrW(parent, GWL_STYLE) & WS_HSCROLL) bottom -= ::GetSystemMetrics(SM_CYHSCROLL);
    HDC dc = ::GetDCEx(parent, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!dc) return;
    // Parent window coordinates from header coordinates.
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, nullptr, &origin, 1);
    RECT parentWindow;
    ::GetWindowRect(parent, &parentWindow);
    const int dx = origin.x - parentWindow.left, dy = origin.y - parentWindow.top;
    const int oldRop = ::SetROP2(dc, R2_NOT);
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::MoveToEx(dc, x + dx, rc.top + dy, nullptr);
    ::LineTo(dc, x + dx, bottom + dy);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::SetROP2(dc, oldRop);
    ::ReleaseDC(parent, dc);
}

bool CHeaderCtrlEx::OnButtonDown(POINT pt) {
    HDHITTESTINFO hit{};
    hit.pt = pt;
    HitTest(hit);
    int column = -1;
    if (hit.flags & HHT_ONDIVIDER)
        column = hit.iItem;
    else if (hit.flags & HHT_ONDIVOPEN)
        column = FindVisibleColumn(hit.iItem);
    if (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) ::ReleaseCapture();
    if (column < 0) return false;
    m_nTracked = column;
    m_ptStart = m_ptCurrent = pt;
    ::SetCapture(m_hWnd);
    m_nStartWidth = GetColumnWidth(column);
    m_bFullDrag = FALSE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &m_bFullDrag, 0);
    if (!m_bFullDrag) DrawDragLine();
    return true;
}

void CHeaderCtrlEx::EndDrag(bool apply) {
    if (!m_bFullDrag) DrawDragLine();
    const int column = m_nTracked;
    if (apply && !m_bFullDrag) SetColumnWidth(column, std::max(0, static_cast<int>(m_ptEnd.x + m_nStartWidth - m_ptStart.x)));
    if (!apply && m_bFullDrag) SetColumnWidth(column, m_nStartWidth);
    m_nTracked = -1;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

bool CHeaderCtrlEx::OnSetCursor() {
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    HDHITTESTINFO hit{};
    hit.pt = pt;
    HitTest(hit);
    HCURSOR cursor = nullptr;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    if (hit.flags & HHT_ONDIVIDER) {
        cursor = ::LoadCursorW(module, MAKEINTRESOURCEW(kHeaderDividerCursor));
    } else if (hit.flags & HHT_ONDIVOPEN) {
        const int visible = FindVisibleColumn(hit.iItem);
        if (visible >= 0)
            cursor = ::LoadCursorW(module, MAKEINTRESOURCEW(GetColumnWidth(visible) <= 0 ? kHeaderSplitCursor
                                                                                         : kHeaderDividerCursor));
    }
    ::SetCursor(cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

bool CHeaderCtrlEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case HCM_FIXORDER: {
        const int count = GetItemCount();
        if (count >= 0 && count <= kMaxColumns) {
            int order[kMaxColumns] = {};
            if (GetOrderArray(order, count)) SetOrderArray(order, count);
        }
        result = 0;
        return true;
    }
    case WM_LBUTTONDOWN:
        if (!OnButtonDown(PointArg(lp))) return false;
        result = 0;
        return true;
    case WM_MOUSEMOVE: {
        if (m_nTracked < 0) return false;
        const POINT pt = PointArg(lp);
        if (m_bFullDrag) {
            m_ptCurrent = pt;
            SetColumnWidth(m_nTracked, std::max(0, static_cast<int>(pt.x + m_nStartWidth - m_ptStart.x)));
        } else {
            DrawDragLine();
            m_ptCurrent = pt;
            DrawDragLine();
        }
        result = 0;
        return true;
    }
    case WM_LBUTTONUP:
        if (m_nTracked < 0) return false;
        m_ptEnd = PointArg(lp);
        EndDrag(true);
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        if (m_nTracked >= 0 && reinterpret_cast<HWND>(lp) != m_hWnd) EndDrag(false);
        return false;
    case WM_SETCURSOR:
        OnSetCursor();
        result = TRUE;
        return true;
    case WM_LBUTTONDBLCLK: {
        HDHITTESTINFO hit{};
        hit.pt = PointArg(lp);
        HitTest(hit);
        if (hit.flags & HHT_ONDIVOPEN) {
            const int column = FindVisibleColumn(hit.iItem);
            if (column >= 0 && GetColumnWidth(column) > 0) {
                NMHEADERW nm{};
                nm.hdr.hwndFrom = m_hWnd;
                nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
                nm.hdr.code = HDN_DIVIDERDBLCLICKW;
                nm.iItem = column;
                nm.iButton = 0;
                ::SendMessageW(GetParent(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
            }
        }
        return false;
    }
    case WM_DESTROY:
        for (int i = 0, n = GetItemCount(); i < n; ++i) {
            delete GetItemData(i);
            SetItemData(i, nullptr);
        }
        return false;
    }
    return CHeaderCtrl::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
