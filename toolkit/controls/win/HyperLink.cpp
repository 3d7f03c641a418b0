#include "toolkit/controls/win/HyperLink.h"

#include <shellapi.h>

#include "framework/MsgArgs.h"

namespace brx {

namespace {

struct LinkColors {
    COLORREF normal = RGB(0, 0, 255);
    COLORREF active = RGB(0, 128, 128);
    COLORREF visited = RGB(128, 0, 128);
    COLORREF hover = RGB(255, 0, 0);
};
LinkColors g_colors;
HCURSOR g_hand = nullptr;

constexpr UINT_PTR kToolId = 1;

} // namespace

void CHyperLink::SetColors(COLORREF normal, COLORREF active, COLORREF visited, COLORREF hover) {
    g_colors.normal = normal;
    g_colors.active = active;
    g_colors.visited = visited;
    g_colors.hover = hover == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_HIGHLIGHT) : hover;
}
COLORREF CHyperLink::NormalColor() { return g_colors.normal; }
COLORREF CHyperLink::ActiveColor() { return g_colors.active; }
COLORREF CHyperLink::VisitedColor() { return g_colors.visited; }
COLORREF CHyperLink::HoverColor() { return g_colors.hover; }

BOOL CHyperLink::SubclassLink(HWND hwnd) {
    if (!SubclassWindow(hwnd)) return FALSE;
    if (m_url.empty()) m_url = GetWindowText();
    ::SetWindowTextW(m_hWnd, m_url.c_str());
    if (GetFont()) {
        RebuildFont();
        ResizeToText();
    } else {
        m_style &= ~HLS_AUTOSIZE;
    }
    if (!(m_style & HLS_NOHANDCURSOR) && !g_hand) g_hand = ::LoadCursorW(nullptr, IDC_HAND);
    if (m_toolTip.Create(m_hWnd)) {
        const CRect client = GetClientRect();
        m_toolTip.AddTool(m_hWnd, m_url.c_str(), &client, kToolId);
    }
    return TRUE;
}

void CHyperLink::RebuildFont() {
    HFONT current = GetFont();
    LOGFONTW lf{};
    if (!current || !::GetObjectW(current, sizeof(lf), &lf)) return;
    lf.lfUnderline = (m_style & HLS_UNDERLINE) ? 1 : 0;
    CFont font;
    font.CreateFontIndirect(lf);
    m_font = std::move(font);
    CWnd::SetFont(static_cast<HFONT>(m_font.GetSafeHandle()), TRUE);
}

void CHyperLink::SetURL(const wchar_t* url) {
    m_url = url ? url : L"";
    if (!m_hWnd) return;
    ShowWindow(SW_HIDE);
    ::SetWindowTextW(m_hWnd, m_url.c_str());
    ResizeToText();
    SetToolTipText(m_url.c_str());
    ShowWindow(SW_SHOW);
}

void CHyperLink::SetToolTipText(const wchar_t* text) {
    if (m_hWnd && m_toolTip.m_hWnd) m_toolTip.UpdateTipText(text, m_hWnd, kToolId);
}

BOOL CHyperLink::ModifyLinkStyle(DWORD remove, DWORD add, BOOL redraw) {
    if (remove & add) return FALSE;
    m_style = (m_style & ~remove) | add;
    if (redraw && m_hWnd) {
        if ((remove | add) & HLS_UNDERLINE) RebuildFont();
        if (add & HLS_AUTOSIZE) ResizeToText();
        if (remove & HLS_HOVERCOLOR) Invalidate();
    }
    return TRUE;
}

void CHyperLink::SetFont(HFONT font) {
    LOGFONTW lf{};
    if (!font || !::GetObjectW(font, sizeof(lf), &lf)) return;
    ShowWindow(SW_HIDE);
    CFont copy;
    copy.CreateFontIndirect(lf);
    m_font = std::move(copy);
    CWnd::SetFont(static_cast<HFONT>(m_font.GetSafeHandle()), TRUE);
    ResizeToText();
    ShowWindow(SW_SHOW);
}

void CHyperLink::SetWindowText(const wchar_t* text) {
    if (!m_hWnd) return;
    ShowWindow(SW_HIDE);
    ::SetWindowTextW(m_hWnd, text ? text : L"");
    ResizeToText();
    ShowWindow(SW_SHOW);
}

void CHyperLink::ResizeToText() {
    if (!(m_style & HLS_AUTOSIZE) || !m_hWnd) return;
    HFONT font = GetFont();
    if (!font) return;
    RECT window = GetWindowRect();
    ::MapWindowPoints(nullptr, GetParent(), reinterpret_cast<POINT*>(&window), 2);
    const CRect client = GetClientRect();
    const int borderX = (window.right - window.left) - client.Width();
    const int borderY = (window.bottom - window.top) - client.Height();
    const std::wstring text = GetWindowText();
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    const DWORD style = GetStyle();
    RECT rc = window;
    if (style & SS_CENTERIMAGE) {
        rc.top = window.top + (client.Height() - extent.cy) / 2;
    }
    rc.bottom = rc.top + extent.cy + borderY;
    const DWORD align = style & SS_TYPEMASK;
    if (align == SS_CENTER) {
        rc.left = window.left + (client.Width() - extent.cx) / 2;
        rc.right = rc.left + extent.cx + borderX;
    } else if (align == SS_RIGHT) {
        rc.left = window.right - extent.cx - borderX;
    } else {
        rc.right = rc.left + extent.cx + borderX;
    }
    MoveWindow(rc, TRUE);
}

COLORREF CHyperLink::CurrentColor() const {
    if (m_bHover && (m_style & HLS_HOVERCOLOR)) return g_colors.hover;
    if (m_bActive && !(m_style & HLS_NOACTIVECOLOR)) return g_colors.active;
    return m_bVisited ? g_colors.visited : g_colors.normal;
}

INT_PTR CHyperLink::ShellOpen(const wchar_t* target) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOW));
}

void CHyperLink::Beep() { ::MessageBeep(MB_ICONEXCLAMATION); }

void CHyperLink::Open() {
    if (ShellOpen(m_url.c_str()) <= 32) {
        Beep();
        return;
    }
    m_bVisited = 1;
    Invalidate();
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg) {
    if (m_toolTip.m_hWnd) m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

bool CHyperLink::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_REFLECT_BASE + WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, CurrentColor());
        ::SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    case WM_NCHITTEST: result = HTCLIENT; return true;
    case WM_SETCURSOR:
        if (g_hand && !(m_style & HLS_NOHANDCURSOR)) {
            ::SetCursor(g_hand);
            result = 1;
        } else {
            result = 0;
        }
        return true;
    case WM_MOUSEMOVE: {
        const POINT pt = PointArg(lp);
        const CRect client = GetClientRect();
        if (!m_bHover) {
            m_bHover = 1;
            Invalidate();
            ::SetCapture(m_hWnd);
        } else if (!::PtInRect(&client, pt)) {
            m_bHover = 0;
            ::ReleaseCapture();
            Invalidate();
        }
        result = 0;
        return true;
    }
    case WM_LBUTTONDOWN:
        if (m_style & HLS_GETFOCUS) SetFocus();
        if (m_style & HLS_DOWNCLICK) Open();
        m_bActive = 1;
        result = 0;
        return true;
    case WM_LBUTTONUP:
        if (m_bActive && !(m_style & HLS_DOWNCLICK)) Open();
        result = 0;
        return true;
    case WM_KEYDOWN:
        if (wp != VK_SPACE) return false;
        Open();
        result = 0;
        return true;
    case WM_SETFOCUS:
        m_bActive = 1;
        Invalidate();
        return false;
    case WM_KILLFOCUS:
        m_bHover = 0;
        m_bActive = 0;
        Invalidate();
        return false;
    }
    return CStatic::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
