#include "toolkit/layout/win/ResizableDialog.h"

namespace brx {

namespace {
constexpr UINT kFirstControlBar = 0xE800;
constexpr UINT kLastControlBar = 0xE8FF;
} // namespace

CLD::CLD(UINT templateId, HWND parent, const wchar_t* section, const wchar_t* entry, BOOL showGrip)
    : CDialog(templateId, parent), CLM(this, section, entry), m_bShowGrip(showGrip) {}

CLD::CLD(const DLGTEMPLATE* dialogTemplate, HWND parent, const wchar_t* section, const wchar_t* entry, BOOL showGrip)
    : CDialog(dialogTemplate, parent), CLM(this, section, entry), m_bShowGrip(showGrip) {}

BOOL CLD::OnInitDialog() {
    CDialog::OnInitDialog();
    CreateSizeGrip(m_bShowGrip, TRUE);
    ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
    LoadWindowPlacement();
    return TRUE;
}

bool CLD::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        result = Default();
        OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return true;
    case WM_GETMINMAXINFO:
        result = Default();
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
        return true;
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wp));
        result = TRUE;
        return true;
    case WM_DESTROY:
        SaveWindowPlacement();
        m_root.reset();
        result = Default();
        return true;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

void CLD::OnSize(UINT type, int cx, int cy) {
    if (type == SIZE_MAXIMIZED) HideSizeGrip(&m_dwGripVisible);
    else ShowSizeGrip(&m_dwGripVisible);
    UpdateSizeGrip();
    if (cx != 0 || cy != 0) {
        UpdateLayout();
        RepositionBars(kFirstControlBar, kLastControlBar, 0);
    }
}

void CLD::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (!info || !m_root || !m_hWnd) return;
    CRect client = GetClientRect();
    if (client.Width() < 1 && client.Height() < 1) return;
    CSize minimum, maximum;
    if (!GetTrackSizes(minimum, maximum)) return;
    info->ptMinTrackSize.x = minimum.cx;
    info->ptMinTrackSize.y = minimum.cy;
    if (maximum.cx != -1) info->ptMaxTrackSize.x = info->ptMaxSize.x = maximum.cx;
    if (maximum.cy != -1) info->ptMaxTrackSize.y = info->ptMaxSize.y = maximum.cy;
}

} // namespace brx
