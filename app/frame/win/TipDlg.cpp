#include "app/frame/win/TipDlg.h"

#include "app/frame/Tips.h"
#include "app/res/frame_ids.h"
#include "capture/win/SettingsStore.h"
#include "framework/Gdi.h"

namespace brx {

namespace {

constexpr wchar_t kSection[] = L"Preferences";
constexpr wchar_t kValue[] = L"TipOfTheDay";
constexpr COLORREF kGrey = RGB(128, 128, 128);

HFONT TipFont(int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = FF_SWISS;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return ::CreateFontIndirectW(&lf);
}

void FillRect(HDC dc, const RECT& rc, COLORREF colour) {
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

} // namespace

CTipDlg::CTipDlg(HWND parent) : CDialog(IDD_TIP, parent) {
    m_bStartup = static_cast<int>(ReadAppRegDword(kSection, kValue, 0));
    HRSRC found = ::FindResourceExW(nullptr, MAKEINTRESOURCEW(10) /* RT_RCDATA */, MAKEINTRESOURCEW(IDR_TIPS),
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    // The user's language may have no tips of its own: then the program's.
    if (!found) found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_TIPS), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data) {
        for (const WString& tip : TipsFromResource(static_cast<const uint8_t*>(data), ::SizeofResource(nullptr, found)))
            m_tips.emplace_back(tip.begin(), tip.end());
    }
}

CTipDlg::~CTipDlg() { StoreFlag(); }

void CTipDlg::StoreFlag() const { WriteAppRegDword(kSection, kValue, static_cast<uint32_t>(m_bStartup)); }

INT_PTR CTipDlg::DoModal() {
    if (m_tips.empty()) return IDOK;
    return CDialog::DoModal();
}

void CTipDlg::DoDataExchange(CDataExchange* dx) { DDX_Check(dx, IDC_TIP_STARTUP, m_bStartup); }

BOOL CTipDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_tips.empty()) ::EnableWindow(GetDlgItem(IDC_TIP_NEXT), FALSE);
    ::EnableWindow(GetDlgItem(IDC_TIP_PREVIOUS), FALSE);
    CenterWindow();
    return TRUE;
}

void CTipDlg::OnNextTip() {
    const int last = static_cast<int>(m_tips.size()) - 1;
    if (m_nTip < last) {
        ++m_nTip;
        ::EnableWindow(GetDlgItem(IDC_TIP_PREVIOUS), TRUE);
    }
    if (m_nTip == last) ::EnableWindow(GetDlgItem(IDC_TIP_NEXT), FALSE);
    CClientDC dc(m_hWnd);
    DrawTip(dc, false);
}

void CTipDlg::OnPrevTip() {
    if (m_nTip > 0) {
        --m_nTip;
        ::EnableWindow(GetDlgItem(IDC_TIP_NEXT), TRUE);
    }
    if (m_nTip == 0) ::EnableWindow(GetDlgItem(IDC_TIP_PREVIOUS), FALSE);
    CClientDC dc(m_hWnd);
    DrawTip(dc, false);
}

void CTipDlg::DrawTip(HDC dc, bool withFrame) {
    RECT r{};
    ::GetWindowRect(GetDlgItem(IDC_TIP_AREA), &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    if (withFrame) {
        FillRect(dc, r, window);
        FillRect(dc, RECT{r.left, r.top, r.left + 50, r.bottom}, kGrey);
        HICON icon = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TIP), IMAGE_ICON, 32, 32, 0));
        if (icon) {
            ::DrawIconEx(dc, 20, 30, icon, 32, 32, 0, nullptr, DI_NORMAL);
            ::DestroyIcon(icon);
        }
        HBRUSH frame = ::CreateSolidBrush(kGrey);
        ::FrameRect(dc, &r, frame);
        ::DeleteObject(frame);
    }
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    HFONT title = TipFont(22, FW_BOLD);
    HGDIOBJ oldFont = ::SelectObject(dc, title);
    RECT text{r.left + 80, r.top + 18, r.right - 20, r.bottom - 10};
    FillRect(dc, text, window);
    ::DrawTextW(dc, L"Did you know...", -1, &text, DT_SINGLELINE);
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::MoveToEx(dc, r.left + 80, r.top + 44, nullptr);
    ::LineTo(dc, r.right - 20, r.top + 44);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);

    HFONT body = TipFont(-::MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72), FW_NORMAL);
    ::SelectObject(dc, body);
    if (m_nTip >= 0 && m_nTip < static_cast<int>(m_tips.size())) {
        RECT tip{r.left + 80, r.top + 80, r.right - 20, r.bottom - 10};
        ::DrawTextW(dc, m_tips[static_cast<size_t>(m_nTip)].c_str(), -1, &tip, DT_WORDBREAK);
    }
    ::SelectObject(dc, oldFont);
    ::DeleteObject(title);
    ::DeleteObject(body);
    ::SetBkMode(dc, oldMode);
}

void CTipDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    DrawTip(dc, true);
    ::EndPaint(m_hWnd, &ps);
}

void CTipDlg::OnOK() {
    CDialog::OnOK();
    StoreFlag();
}

bool CTipDlg::OnCommand(CCommand& cmd) {
    if (cmd.Is(IDC_TIP_NEXT)) return cmd.Run([&] { OnNextTip(); });
    if (cmd.Is(IDC_TIP_PREVIOUS)) return cmd.Run([&] { OnPrevTip(); });
    // The check box's state counts however the dialog closes.
    if (cmd.Is(IDC_TIP_STARTUP))
        return cmd.Run([&] { m_bStartup = ::IsDlgButtonChecked(m_hWnd, IDC_TIP_STARTUP) == BST_CHECKED ? 1 : 0; });
    return CDialog::OnCommand(cmd);
}

bool CTipDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_PAINT) {
        OnPaint();
        result = 0;
        return true;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
