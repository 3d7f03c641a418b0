#include "toolkit/bars/win/StatusControlBar.h"

#include "toolkit/bars/BarState.h"

namespace brx {

CStatusControlBar::~CStatusControlBar() { ReleaseControls(); }

BOOL CStatusControlBar::AddIndicator(UINT id, int position) {
    int count = GetCount();
    if (position < 0 || position > count || CommandToIndex(id) >= 0) return FALSE;
    std::vector<_STATUSBAR_PANE> panes;
    panes.reserve(static_cast<size_t>(count) + 1);
    for (int i = 0; i < count; ++i) {
        if (i == position) panes.push_back(_STATUSBAR_PANE{id, 0, 0, 0, L""});
        _STATUSBAR_PANE pane;
        GetStatusPane(i, pane);
        panes.push_back(std::move(pane));
    }
    if (position == count) panes.push_back(_STATUSBAR_PANE{id, 0, 0, 0, L""});
    std::vector<UINT> ids;
    ids.reserve(panes.size());
    for (const _STATUSBAR_PANE& pane : panes) ids.push_back(pane.nID);
    if (!SetIndicators(ids.data(), static_cast<int>(ids.size()))) return FALSE;
    for (int i = 0; i < static_cast<int>(panes.size()); ++i) {
        if (i == position) {
            // The new pane starts empty whatever its id's string says.
            CStatusBar::SetPaneInfo(i, id, 0, 0);
            CStatusBar::SetPaneText(i, L"");
        } else {
            SetStatusPane(i, panes[static_cast<size_t>(i)]);
        }
    }
    RepositionControls();
    return TRUE;
}

BOOL CStatusControlBar::AddControl(HWND control, UINT paneId, BOOL autoDestroy) {
    if (CommandToIndex(paneId) < 0) return FALSE;
    auto record = std::make_unique<_STATUSBAR_PANE_CTRL>();
    record->hWnd = control;
    record->nID = paneId;
    record->bAutoDestroy = autoDestroy;
    m_controls.push_back(std::move(record));
    // The bar repaints its panes on every text change: it must not paint over its controls.
    ModifyStyle(0, WS_CLIPCHILDREN);
    RepositionControls();
    return TRUE;
}

bool CStatusControlBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (!CStatusBar::SetPaneInfo(index, id, style, width)) return false;
    EnablePaneControls(index, (style & SBPS_DISABLED) == 0);
    return true;
}

bool CStatusControlBar::SetPaneStyle(int index, UINT style) {
    if (!CStatusBar::SetPaneStyle(index, style)) return false;
    EnablePaneControls(index, (style & SBPS_DISABLED) == 0);
    return true;
}

bool CStatusControlBar::SetPaneWidth(int index, int width) {
    _STATUSBAR_PANE pane;
    if (!GetStatusPane(index, pane)) return false;
    pane.cxText = width;
    bool ok = SetStatusPane(index, pane);
    RepositionControls();
    return ok;
}

void CStatusControlBar::EnablePaneControls(int index, bool enable) {
    UINT id = GetItemID(index);
    if (index < 0 || index >= GetCount()) return;
    for (const auto& record : m_controls)
        if (record->nID == id && ::IsWindow(record->hWnd)) ::EnableWindow(record->hWnd, enable ? TRUE : FALSE);
}

bool CStatusControlBar::GetStatusPane(int index, _STATUSBAR_PANE& pane) const {
    if (!GetPaneInfo(index, pane.nID, pane.nStyle, pane.cxText)) return false;
    pane.nFlags = 0;
    pane.strText = GetPaneText(index);
    return true;
}

bool CStatusControlBar::SetStatusPane(int index, const _STATUSBAR_PANE& pane) {
    if (index < 0 || index >= GetCount()) return false;
    CStatusBar::SetPaneInfo(index, pane.nID, pane.nStyle, pane.cxText);
    CStatusBar::SetPaneText(index, pane.strText.c_str(), true);
    return true;
}

void CStatusControlBar::RepositionControls() {
    if (!m_hWnd || m_controls.empty()) return;
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    const int smallIcon = ::GetSystemMetrics(SM_CXSMICON);
    const bool grip = (GetStyle() & SBARS_SIZEGRIP) != 0;
    const CRect client = GetClientRect();
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    std::vector<HWND> moved;
    for (const auto& record : m_controls) {
        int index = CommandToIndex(record->nID);
        if (index < 0 || !::IsWindow(record->hWnd)) continue;
        UINT id = 0, style = 0;
        int width = 0;
        GetPaneInfo(index, id, style, width);
        CRect rc = GetItemRect(index);
        StatusControlPane pane{LayoutRect{rc.left, rc.top, rc.right, rc.bottom}, index == GetCount() - 1,
                               (style & SBPS_STRETCH) != 0, (style & SBPS_NOBORDERS) != 0, width};
        LayoutRect at = StatusControlRect(pane, client.right, grip, edge, smallIcon);
        if (batch)
            batch = ::DeferWindowPos(batch, record->hWnd, nullptr, at.left, at.top, at.Width(), at.Height(),
                                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        moved.push_back(record->hWnd);
    }
    if (batch) ::EndDeferWindowPos(batch);
    for (HWND hwnd : moved)
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW);
}

void CStatusControlBar::ReleaseControls() {
    for (const auto& record : m_controls) {
        if (!::IsWindow(record->hWnd)) continue;
        ::ShowWindow(record->hWnd, SW_HIDE);
        if (record->bAutoDestroy) ::DestroyWindow(record->hWnd);
    }
    m_controls.clear();
}

bool CStatusControlBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        CStatusBar::OnWndMsg(msg, wp, lp, result);
        RepositionControls();
        return true;
    case WM_DESTROY:
        ReleaseControls();
        break;
    }
    return CStatusBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
