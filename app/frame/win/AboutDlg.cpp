#include "app/frame/win/AboutDlg.h"

#include <cwchar>

#include "app/frame/ProductTexts.h"
#include "app/res/frame_ids.h"

namespace brx {

CAboutDlg::CAboutDlg(HWND parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_ABOUT_PICTURE, m_picture);
    if (!m_link.m_hWnd && !dx->m_bFail) {
        HWND link = dx->PrepareCtrl(IDC_ABOUT_LINK);
        if (link && !m_link.SubclassLink(link)) dx->m_bFail = true;
    }
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();

    wchar_t title[65];
    std::swprintf(title, 65, L"About %ls", kProductName);
    SetWindowText(title);

    if (m_picture.LoadFromResource(MAKEINTRESOURCEW(IDR_ABOUT_PICTURE), MAKEINTRESOURCEW(10) /* RT_RCDATA */))
        m_picture.RenderPicture();

    HFONT dialogFont = GetFont();
    LOGFONTW lf{};
    if (dialogFont && ::GetObjectW(dialogFont, sizeof(lf), &lf)) {
        lf.lfWeight = 600;
        lf.lfUnderline = FALSE;
        m_hBoldFont = ::CreateFontIndirectW(&lf);
        if (m_hBoldFont)
            ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_VERSION, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBoldFont), TRUE);
    }

    ::SetDlgItemTextW(m_hWnd, IDC_ABOUT_VERSION, kProductVersionText);
    ::SetDlgItemTextW(m_hWnd, IDC_ABOUT_LEGAL, kProductLegalNotice);

    wchar_t tip[80];
    std::swprintf(tip, 80, L"Click to visit %ls web site", kProductName);
    m_link.SetURL(kProductWebAddress);
    m_link.SetToolTipText(tip);
    m_link.ModifyLinkStyle(0, HLS_HOVERCOLOR, TRUE);
    CHyperLink::SetColors(RGB(0, 0, 255), RGB(0, 0, 255), RGB(0, 0, 255), RGB(255, 0, 0));

    GotoDlgCtrl(GetDlgItem(IDOK));
    return FALSE;
}

void CAboutDlg::OnDestroy() {
    m_picture.FreePicture();
    if (m_hBoldFont) {
        ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_VERSION, WM_SETFONT, 0, FALSE);
        ::DeleteObject(m_hBoldFont);
        m_hBoldFont = nullptr;
    }
}

bool CAboutDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DESTROY) {
        bool handled = CDialog::OnWndMsg(msg, wp, lp, result);
        OnDestroy();
        return handled;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
