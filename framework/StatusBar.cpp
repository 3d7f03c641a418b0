#include "framework/StatusBar.h"

#include <algorithm>

#include "framework/Gdi.h"
#include "framework/MsgArgs.h"
#include "framework/Resource.h"
#include "framework/pure/BarLayout.h"

namespace brx {

namespace {

// Puts the state an update handler gives an indicator into its pane.
class CStatusBarCmdUI : public CCmdUI {
public:
    explicit CStatusBarCmdUI(CStatusBar* bar) : m_bar(bar) {}
    void Enable(bool on = true) override {
        m_bEnableChanged = true;
        UINT style = m_bar->GetPaneStyle(static_cast<int>(m_nIndex));
        m_bar->SetPaneStyle(static_cast<int>(m_nIndex), on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED));
    }
    void SetCheck(int check = 1) override {
        UINT style = m_bar->GetPaneStyle(static_cast<int>(m_nIndex));
        m_bar->SetPaneStyle(static_cast<int>(m_nIndex), check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT));
    }
    void SetRadio(bool on = true) override { SetCheck(on ? 1 : 0); }
    void SetText(const wchar_t* text) override { m_bar->SetPaneText(static_cast<int>(m_nIndex), text); }

private:
    CStatusBar* m_bar;
};

} // namespace

BOOL CStatusBar::Create(HWND parent, DWORD style, UINT id) { return CreateEx(parent, 0, style, id); }

BOOL CStatusBar::CreateEx(HWND parent, DWORD ctrlStyle, DWORD style, UINT id) {
    DWORD windowStyle = SplitBarStyle(style);
    // The frame's layout pass places the bar; its parts come from the panes.
    windowStyle |= ctrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_CHILD;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEW, nullptr, windowStyle, CRect(0, 0, 100, 20), parent, id)) return FALSE;
    SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return TRUE;
}

int CStatusBar::PaneBorder() { return ::GetSystemMetrics(SM_CXEDGE) + 1; }

int CStatusBar::TextWidth(const std::wstring& text) const {
    if (text.empty() || !m_hWnd) return 0;
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(GetFont() ? GetFont() : ::GetStockObject(DEFAULT_GUI_FONT));
    int width = dc.GetTextExtent(text).cx;
    dc.SelectObject(old);
    return width;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (count < 0 || (count > 0 && !ids)) return FALSE;
    std::vector<Pane> panes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Pane& pane = panes[static_cast<size_t>(i)];
        pane.id = ids[i];
        if (pane.id == ID_SEPARATOR) {
            if (i == 0) pane.style = SBPS_NOBORDERS | SBPS_STRETCH;
        } else {
            pane.text = LoadStringResource(pane.id);
            pane.width = TextWidth(pane.text);
        }
    }
    m_panes = std::move(panes);
    UpdateParts();
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id) return static_cast<int>(i);
    return -1;
}

UINT CStatusBar::GetItemID(int index) const { return Valid(index) ? m_panes[static_cast<size_t>(index)].id : 0; }

CRect CStatusBar::GetItemRect(int index) const {
    CRect rc;
    if (!Valid(index) || !SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc)))
        rc.SetRectEmpty();
    return rc;
}

bool CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
    if (!Valid(index)) return false;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    id = pane.id;
    style = pane.style;
    width = pane.width;
    return true;
}

bool CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (!Valid(index)) return false;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    bool layout = pane.width != width || ((pane.style ^ style) & (SBPS_STRETCH | SBPS_NOBORDERS));
    pane.id = id;
    pane.style = style;
    pane.width = std::max(width, 0);
    if (layout) UpdateParts();
    else ShowPaneText(index);
    return true;
}

UINT CStatusBar::GetPaneStyle(int index) const { return Valid(index) ? m_panes[static_cast<size_t>(index)].style : 0; }

bool CStatusBar::SetPaneStyle(int index, UINT style) {
    if (!Valid(index)) return false;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    if (pane.style == style) return true;
    return SetPaneInfo(index, pane.id, style, pane.width);
}

std::wstring CStatusBar::GetPaneText(int index) const {
    return Valid(index) ? m_panes[static_cast<size_t>(index)].text : std::wstring();
}

bool CStatusBar::SetPaneText(int index, const wchar_t* text, bool update) {
    if (!Valid(index)) return false;
    std::wstring value = text ? text : L"";
    Pane& pane = m_panes[static_cast<size_t>(index)];
    if (pane.text == value) return true;
    pane.text = std::move(value);
    if (update) ShowPaneText(index);
    return true;
}

void CStatusBar::ShowPaneText(int index) {
    if (!m_hWnd || !Valid(index)) return;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    UINT drawing = pane.style & (SBPS_NOBORDERS | SBPS_POPOUT | SBPS_OWNERDRAW);
    const wchar_t* text = (pane.style & SBPS_DISABLED) ? L"" : pane.text.c_str();
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(index) | drawing, reinterpret_cast<LPARAM>(text));
}

void CStatusBar::UpdateParts() {
    if (!m_hWnd) return;
    std::vector<StatusPaneSpec> specs;
    specs.reserve(m_panes.size());
    for (const Pane& pane : m_panes)
        specs.push_back(StatusPaneSpec{pane.width, (pane.style & SBPS_NOBORDERS) ? 0 : PaneBorder(),
                                       (pane.style & SBPS_STRETCH) != 0});
    int grip = 0;
    if (GetStyle() & SBARS_SIZEGRIP) grip = ::GetSystemMetrics(SM_CXVSCROLL);
    std::vector<int32_t> edges = StatusPaneEdges(specs, GetClientRect().Width(), grip);
    std::vector<int> parts(edges.begin(), edges.end());
    if (parts.empty()) parts.push_back(-1); // the control always has one part
    SendMessage(SB_SETPARTS, parts.size(), reinterpret_cast<LPARAM>(parts.data()));
    for (int i = 0; i < GetCount(); ++i) ShowPaneText(i);
}

CSize CStatusBar::CalcItemsSize(bool) {
    // One line of the bar's font with the control's own borders.
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(GetFont() ? GetFont() : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    dc.SelectObject(old);
    int borders[3] = {0, 0, 0};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    int width = 0;
    for (const Pane& pane : m_panes) width += pane.width + 2 * PaneBorder();
    return CSize(width, tm.tmHeight + 2 * borders[1] + 2 * ::GetSystemMetrics(SM_CYEDGE) + 2);
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) {
    CStatusBarCmdUI ui(this);
    for (int i = 0; i < GetCount(); ++i) {
        ui.m_nID = m_panes[static_cast<size_t>(i)].id;
        ui.m_nIndex = static_cast<UINT>(i);
        if (ui.m_nID != ID_SEPARATOR) ui.DoUpdate(target, disableIfNoHandler);
    }
}

bool CStatusBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        result = Default();
        UpdateParts();
        return true;
    case WM_SETTEXT:
        // The frame's message line: pane 0.
        if (GetCount() == 0) return false;
        SetPaneText(0, reinterpret_cast<const wchar_t*>(lp));
        result = TRUE;
        return true;
    case WM_GETTEXTLENGTH:
        if (GetCount() == 0) return false;
        result = static_cast<LRESULT>(m_panes[0].text.size());
        return true;
    case WM_GETTEXT: {
        if (GetCount() == 0 || wp == 0) return false;
        const std::wstring& text = m_panes[0].text;
        size_t n = std::min(text.size(), static_cast<size_t>(wp) - 1);
        auto* out = reinterpret_cast<wchar_t*>(lp);
        text.copy(out, n);
        out[n] = L'\0';
        result = static_cast<LRESULT>(n);
        return true;
    }
    }
    return CControlBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
