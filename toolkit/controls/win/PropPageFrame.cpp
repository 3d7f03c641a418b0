#include "toolkit/controls/win/PropPageFrame.h"

#include "toolkit/theme/win/ThemeLibrary.h"

namespace brx {

namespace {

constexpr int kTabPane = 9; // TABP_PANE

} // namespace

// --- interface

void CPropPageFrame::UpdateCaption() {
    CWnd* wnd = GetWnd();
    if (!wnd || !wnd->m_hWnd) return;
    CRect caption = GetCaptionRect();
    ::InvalidateRect(wnd->m_hWnd, &caption, TRUE);
}

void CPropPageFrame::SetCaptionHeight(int height) {
    m_nCaptionHeight = height;
    UpdateCaption();
}

void CPropPageFrame::SetCaption(const wchar_t* text, HICON icon) {
    m_strCaption = text ? text : L"";
    m_hCaptionIcon = icon;
    UpdateCaption();
}

void CPropPageFrame::DrawCaption(HDC dc) {
    CRect caption = GetCaptionRect();
    DrawCaptionContent(dc, caption, m_strCaption.c_str(), m_hCaptionIcon);
}

CRect CPropPageFrame::GetCaptionRect() {
    CRect rect;
    CWnd* wnd = GetWnd();
    if (wnd && wnd->m_hWnd) rect = wnd->GetClientRect();
    rect.bottom = rect.top + m_nCaptionHeight;
    return rect;
}

// --- default frame

CPropPageFrameDefault::CPropPageFrameDefault(const CThemeLibrary* theme) : m_theme(theme ? *theme : ThemeLibrary()) {
    LOGFONTW font{};
    HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
    if (stock && ::GetObjectW(stock, sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        m_hCaptionFont = ::CreateFontIndirectW(&font);
    }
}

CPropPageFrameDefault::~CPropPageFrameDefault() {
    if (m_hWnd) DestroyWindow();
    if (m_hCaptionFont) ::DeleteObject(m_hCaptionFont);
}

bool CPropPageFrameDefault::IsThemed() const { return m_theme.IsThemed(); }

BOOL CPropPageFrameDefault::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    LPCWSTR cls = RegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    const DWORD exStyle = IsThemed() ? 0 : WS_EX_CLIENTEDGE;
    return CreateEx(exStyle, cls, L"", style, rect, parent, id);
}

CRect CPropPageFrameDefault::GetCaptionRect() {
    CRect rect = GetClientRect();
    ::InflateRect(&rect, -1, -1);
    if (IsThemed()) {
        if (HTHEME theme = m_theme.OpenThemeData(m_hWnd, L"Tab")) {
            CRect content = rect;
            HDC dc = ::GetWindowDC(m_hWnd);
            CRect client = GetClientRect();
            if (SUCCEEDED(m_theme.GetThemeBackgroundContentRect(theme, dc, kTabPane, 0, &client, &content))) {
                rect.left = content.left;
                rect.top = content.top;
                rect.right = content.right;
            }
            if (dc) ::ReleaseDC(m_hWnd, dc);
            m_theme.CloseThemeData(theme);
        }
    }
    CRect shrunk = GetClientRect();
    ::InflateRect(&shrunk, -1, -1);
    rect.bottom = shrunk.top + m_nCaptionHeight;
    return rect;
}

void CPropPageFrameDefault::DrawCaptionContent(HDC dc, const RECT& rect, const wchar_t* text, HICON) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_INACTIVECAPTION));
    const COLORREF oldColor = ::SetTextColor(dc, ::GetSysColor(COLOR_CAPTIONTEXT));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = m_hCaptionFont ? ::SelectObject(dc, m_hCaptionFont) : nullptr;
    RECT area = rect;
    ::DrawTextW(dc, text ? text : L"", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (oldFont) ::SelectObject(dc, oldFont);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColor);
}

bool CPropPageFrameDefault::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (IsThemed()) {
            // Like a tab pane; without the "Tab" theme the classic erase.
            if (HTHEME theme = m_theme.OpenThemeData(m_hWnd, L"Tab")) {
                CRect client = GetClientRect();
                m_theme.DrawThemeBackground(theme, reinterpret_cast<HDC>(wp), kTabPane, 0, &client, nullptr);
                m_theme.CloseThemeData(theme);
                result = TRUE;
                return true;
            }
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (dc) DrawCaption(dc);
        ::EndPaint(m_hWnd, &ps);
        result = 0;
        return true;
    }
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
