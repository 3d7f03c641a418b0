#include "app/frame/win/SplashScreen.h"

#include "app/frame/ProductTexts.h"
#include "app/res/frame_ids.h"
#include "framework/Gdi.h"

namespace brx {

namespace {

void DrawCentred(HDC dc, const wchar_t* text, int weight, const RECT& rc) {
    LOGFONTW lf{};
    lf.lfHeight = 12;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    HFONT font = ::CreateFontIndirectW(&lf);
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    RECT area = rc;
    ::DrawTextW(dc, text, -1, &area, DT_NOPREFIX | DT_CENTER);
    if (font) {
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    }
}

} // namespace

void CPictureExEx::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = ::SetTextColor(dc, RGB(128, 128, 128));
    const SIZE picture = GetPixelSize();
    if (GetMemoryDC()) ::BitBlt(dc, 0, 0, picture.cx, picture.cy, GetMemoryDC(), 0, 0, SRCCOPY);
    const CRect client = GetClientRect();
    const int height = client.Height();
    DrawCentred(dc, kProductShortVersion, FW_BOLD, CRect(0, static_cast<int>(height * 0.72), client.right, height));
    DrawCentred(dc, kProductLegalNotice, FW_NORMAL, CRect(0, static_cast<int>(height * 0.89), client.right, height));
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    ::EndPaint(m_hWnd, &ps);
}

bool CPictureExEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_PAINT) {
        OnPaint();
        result = 0;
        return true;
    }
    return CPictureEx::OnWndMsg(msg, wp, lp, result);
}

CSplashScreen::CSplashScreen(HWND parent) : CDialog(IDD_SPLASH, parent) {}

BOOL CSplashScreen::Create(HWND parent) { return CDialog::Create(IDD_SPLASH, parent); }

void CSplashScreen::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_SPLASH_PICTURE, m_picture); }

BOOL CSplashScreen::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_picture.m_hWnd &&
        m_picture.LoadFromResource(MAKEINTRESOURCEW(IDR_SPLASH_PICTURE), MAKEINTRESOURCEW(10) /* RT_RCDATA */)) {
        const SIZE size = m_picture.GetPixelSize();
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (::GetWindowPlacement(m_hWnd, &placement)) {
            placement.rcNormalPosition.right = placement.rcNormalPosition.left + size.cx;
            placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + size.cy;
            ::SetWindowPlacement(m_hWnd, &placement);
        }
        // The picture control covers the window with it.
        m_picture.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_picture.RenderPicture();
    }
    CenterOnDesktop();
    return TRUE;
}

void CSplashScreen::GetDesktopRects(RECT& window, RECT& client) const {
    HWND desktop = ::GetDesktopWindow();
    ::GetWindowRect(desktop, &window);
    ::GetClientRect(desktop, &client);
}

void CSplashScreen::CenterOnDesktop() {
    RECT desktop{}, area{};
    GetDesktopRects(desktop, area);
    const CRect rc = GetWindowRect();
    int x = (desktop.left + desktop.right) / 2 - rc.Width() / 2;
    int y = (desktop.top + desktop.bottom) / 2 - rc.Height() / 2;
    if (x < area.left) x = area.left;
    else if (x + rc.Width() > area.right) x = area.right - rc.Width();
    if (y < area.top) y = area.top;
    else if (y + rc.Height() > area.bottom) y = area.bottom - rc.Height();
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CSplashScreen::IsDismissMessage(UINT msg) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: return true;
    }
    return false;
}

BOOL CSplashScreen::PreTranslateMessage(MSG* msg) {
    BOOL result = CDialog::PreTranslateMessage(msg);
    if (msg && IsDismissMessage(msg->message) && m_hWnd) {
        DestroyWindow();
        return TRUE;
    }
    return result;
}

} // namespace brx
