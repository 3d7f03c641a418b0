#include "toolkit/bars/win/SizableReBar.h"

#include <algorithm>
#include <cwchar>

#include <windowsx.h>

#include "capture/win/SettingsStore.h"
#include "framework/FrameWnd.h"
#include "framework/MsgArgs.h"
#include "toolkit/bars/BarState.h"

namespace brx {

namespace {

constexpr UINT kReBarCtrlId = 1;
constexpr DWORD kReBarCtrlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                                  RBS_DBLCLKTOGGLE | RBS_BANDBORDERS | RBS_VARHEIGHT | CCS_NODIVIDER |
                                  CCS_NOPARENTALIGN;

bool IsToolbarWindow(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return std::wcscmp(name, TOOLBARCLASSNAMEW) == 0;
}

UINT GripperStyle(UINT style, bool gripper) {
    return gripper ? ((style | RBBS_GRIPPERALWAYS) & ~RBBS_NOGRIPPER)
                   : ((style | RBBS_NOGRIPPER) & ~RBBS_GRIPPERALWAYS);
}

} // namespace

void SetBandChildSize(HWND bar, int height, int idealWidth) {
    HWND rebar = ::GetParent(bar);
    int band = static_cast<int>(::SendMessageW(rebar, RB_IDTOINDEX, static_cast<WPARAM>(::GetDlgCtrlID(bar)), 0));
    if (band < 0) return;
    REBARBANDINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
    info.cxMinChild = 0;
    info.cyMinChild = static_cast<UINT>(std::max(height, 0));
    info.cxIdeal = static_cast<UINT>(std::max(idealWidth, 0));
    ::SendMessageW(rebar, RB_SETBANDINFOW, band, reinterpret_cast<LPARAM>(&info));
}

BOOL CSizableReBar::Create(HWND parent, UINT id, DWORD style) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_dwStyle = (style & CBRS_ALL) | CBRS_HIDE_INPLACE;
    LPCWSTR cls = RegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CWnd::CreateEx(0, cls, nullptr, ((style & 0xFFBF0000) | WS_CLIPCHILDREN) & ~WS_BORDER, CRect(), parent,
                          id);
}

int CSizableReBar::BandCount() const {
    return m_rebar ? static_cast<int>(::SendMessageW(m_rebar, RB_GETBANDCOUNT, 0, 0)) : 0;
}

BOOL CSizableReBar::AddBar(CWnd* bar, const wchar_t* text, UINT bandStyle, const wchar_t* title, BOOL fixed,
                           BOOL gripper) {
    if (!bar || !bar->m_hWnd || !m_rebar) return FALSE;
    BARINFO info;
    info.nID = static_cast<uint32_t>(bar->GetDlgCtrlID());
    if (title) wcsncpy(info.szTitle, title, 259);
    info.bFixed = fixed ? 1 : 0;
    m_bars.push_back(info);

    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID;
    if (text) {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<wchar_t*>(text);
    }
    CSize size;
    if (auto* controlBar = dynamic_cast<CControlBar*>(bar)) size = controlBar->CalcFixedLayout(false, true);
    else size = bar->GetWindowRect().Size();
    band.cxMinChild = static_cast<UINT>(size.cx);
    band.cyMinChild = static_cast<UINT>(size.cy);
    band.wID = info.nID;
    band.hwndChild = bar->m_hWnd;
    band.fStyle = GripperStyle(bandStyle, !m_bLocked && gripper);
    if (::IsWindow(bar->m_hWnd) && IsToolbarWindow(bar->m_hWnd)) band.fStyle |= RBBS_USECHEVRON;
    if (!::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)))
        return FALSE;
    // The band's commands and update handlers are the frame's.
    if (CWnd* owner = GetCommandOwner()) bar->SetOwner(owner->m_hWnd);
    RecalcParent();
    return TRUE;
}

BOOL CSizableReBar::Lock(BOOL lock) {
    BOOL previous = m_bLocked;
    lock = lock ? TRUE : FALSE;
    if (lock == m_bLocked) return previous;
    for (int i = 0; i < BandCount(); ++i) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_ID;
        ::SendMessageW(m_rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
        bool known = std::any_of(m_bars.begin(), m_bars.end(), [&](const BARINFO& b) { return b.nID == band.wID; });
        if (!known) continue;
        band.fMask = RBBIM_STYLE;
        band.fStyle = GripperStyle(band.fStyle, !lock);
        ::SendMessageW(m_rebar, RB_SETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
    }
    m_bLocked = lock;
    // The strip comes or goes with the lock.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                                                    SWP_NOACTIVATE);
    RecalcParent();
    return previous;
}

void CSizableReBar::RecalcParent() {
    if (CFrameWnd* frame = GetParentFrame()) {
        if (frame->IsInRecalcLayout()) PostMessage(WM_RECALCPARENT);
        else frame->RecalcLayout();
    }
}

CSize CSizableReBar::CalcFixedLayout(bool stretch, bool horizontal) {
    for (int i = 0; i < BandCount(); ++i) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_CHILD;
        ::SendMessageW(m_rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
        if (!band.hwndChild) continue;
        bool visible = (::GetWindowLongPtrW(band.hwndChild, GWL_STYLE) & WS_VISIBLE) != 0;
        ::SendMessageW(m_rebar, RB_SHOWBAND, i, visible);
    }
    CRect rc;
    if (m_rebar) ::GetWindowRect(m_rebar, &rc);
    CSize size(rc.Width(), rc.Height());
    if (stretch && horizontal) size.cx = 32767;
    if (stretch && !horizontal) size.cy = 32767;
    if (HasStrip() && size.cy > 0) size.cy += kStripHeight;
    return size;
}

CSize CSizableReBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CSizableReBar::OnUpdateCmdUI(CCmdTarget*, bool) {
    // The band children are bars of their own and update themselves.
}

HMENU CSizableReBar::BuildContextMenu(POINT screen, HWND* itemsChild) {
    *itemsChild = nullptr;
    if (!m_bShowBandMenu && !m_bShowChildMenu) return nullptr;
    HMENU menu = ::CreatePopupMenu();
    if (m_bShowBandMenu) {
        for (const BARINFO& info : m_bars) {
            if (!info.szTitle[0]) continue;
            int index = static_cast<int>(::SendMessageW(m_rebar, RB_IDTOINDEX, info.nID, 0));
            if (index < 0) continue;
            REBARBANDINFOW band{};
            band.cbSize = sizeof(band);
            band.fMask = RBBIM_STYLE;
            ::SendMessageW(m_rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
            UINT flags = MF_STRING | ((band.fStyle & RBBS_HIDDEN) ? 0u : MF_CHECKED) | (info.bFixed ? MF_GRAYED : 0u);
            ::AppendMenuW(menu, flags, info.nID, info.szTitle);
        }
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING | (m_bLocked ? MF_CHECKED : 0u), ID_REBAR_LOCK, L"Lock the Toolbars");
    }
    if (m_bShowChildMenu) {
        RBHITTESTINFO hit{};
        hit.pt = screen;
        ::ScreenToClient(m_rebar, &hit.pt);
        int index = static_cast<int>(::SendMessageW(m_rebar, RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (index >= 0) {
            REBARBANDINFOW band{};
            band.cbSize = sizeof(band);
            band.fMask = RBBIM_CHILD;
            ::SendMessageW(m_rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
            // Only our bars know this message: to a toolbar control its number means something else.
            if (band.hwndChild && CWnd::FromHandle(band.hwndChild)) {
                ::SendMessageW(band.hwndChild, WM_BAR_ADDMENUITEMS, reinterpret_cast<WPARAM>(menu), 0);
                *itemsChild = band.hwndChild;
            }
        }
    }
    return menu;
}

void CSizableReBar::ToggleBand(UINT id) {
    int index = static_cast<int>(::SendMessageW(m_rebar, RB_IDTOINDEX, id, 0));
    if (index < 0) return;
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD;
    ::SendMessageW(m_rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
    bool show = (band.fStyle & RBBS_HIDDEN) != 0;
    ::SendMessageW(m_rebar, RB_SHOWBAND, index, show);
    if (band.hwndChild) ::ShowWindow(band.hwndChild, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcParent();
}

void CSizableReBar::OnContextCommand(UINT command, HWND itemsChild) {
    if (command == 0) return;
    if (command == ID_REBAR_LOCK) {
        Lock(!m_bLocked);
        return;
    }
    for (const BARINFO& info : m_bars)
        if (info.nID == command) {
            ToggleBand(command);
            return;
        }
    if (itemsChild && ::IsWindow(itemsChild)) ::SendMessageW(itemsChild, WM_COMMAND, LOWORD(command), 0);
}

void CSizableReBar::OnContextMenu(POINT screen) {
    HWND itemsChild = nullptr;
    HMENU menu = BuildContextMenu(screen, &itemsChild);
    if (!menu) return;
    HWND owner = m_hWnd;
    if (CFrameWnd* frame = GetParentFrame()) owner = frame->m_hWnd;
    UINT command = static_cast<UINT>(::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                        screen.x, screen.y, owner, nullptr));
    ::DestroyMenu(menu);
    OnContextCommand(command, itemsChild);
}

void CSizableReBar::SendToolbarSaveRestore(bool save, const wchar_t* section) {
    HKEY key = OpenAppRegKey();
    if (!key) return;
    for (int i = 0; i < BandCount(); ++i) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_CHILD | RBBIM_ID;
        ::SendMessageW(m_rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
        if (!band.hwndChild || !IsToolbarWindow(band.hwndChild)) continue;
        wchar_t name[16];
        swprintf(name, 16, L"%X", band.wID);
        TBSAVEPARAMSW params{key, section, name};
        ::SendMessageW(band.hwndChild, TB_SAVERESTOREW, save ? TRUE : FALSE, reinterpret_cast<LPARAM>(&params));
    }
    ::RegCloseKey(key);
}

void CSizableReBar::SaveState(const wchar_t* section) {
    WriteAppRegDword(section, L"Locked", m_bLocked ? 1 : 0);
    std::vector<RebarBandRecord> records;
    for (int i = 0; i < BandCount(); ++i) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID;
        ::SendMessageW(m_rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
        records.push_back(RebarBandRecord{band.fStyle, band.cx, band.wID});
    }
    std::vector<uint8_t> bytes = EncodeRebarState(records);
    WriteAppRegBinary(section, L"State", bytes.data(), static_cast<uint32_t>(bytes.size()));
    SendToolbarSaveRestore(true, section);
}

void CSizableReBar::LoadState(const wchar_t* section) {
    m_bLocked = ReadAppRegDword(section, L"Locked", 0) ? TRUE : FALSE;
    uint32_t size = 0;
    ReadAppRegBinary(section, L"State", nullptr, 0, &size);
    if (size > 0) {
        std::vector<uint8_t> bytes(size);
        if (ReadAppRegBinary(section, L"State", bytes.data(), size, &size)) {
            std::vector<RebarBandRecord> records = DecodeRebarState(bytes.data(), size);
            std::vector<uint32_t> ids, styles;
            for (int i = 0; i < BandCount(); ++i) {
                REBARBANDINFOW band{};
                band.cbSize = sizeof(band);
                band.fMask = RBBIM_STYLE | RBBIM_ID;
                ::SendMessageW(m_rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
                ids.push_back(band.wID);
                styles.push_back(band.fStyle);
            }
            for (const RebarRestoreStep& step : PlanRebarRestore(ids, styles, records)) {
                int from = static_cast<int>(::SendMessageW(m_rebar, RB_IDTOINDEX, step.id, 0));
                if (from < 0) continue;
                if (from != step.position) ::SendMessageW(m_rebar, RB_MOVEBAND, from, step.position);
                REBARBANDINFOW band{};
                band.cbSize = sizeof(band);
                band.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_CHILD;
                ::SendMessageW(m_rebar, RB_GETBANDINFOW, step.position, reinterpret_cast<LPARAM>(&band));
                band.fMask = RBBIM_STYLE | RBBIM_SIZE;
                // The grippers follow the lock read above, not the saved style.
                band.fStyle = GripperStyle(step.style & ~(RBBS_GRIPPERALWAYS | RBBS_NOGRIPPER), !m_bLocked);
                band.cx = step.cx;
                ::SendMessageW(m_rebar, RB_SETBANDINFOW, step.position, reinterpret_cast<LPARAM>(&band));
                // The child follows, or the next layout pass would show the band again.
                if (band.hwndChild)
                    ::ShowWindow(band.hwndChild, (step.style & RBBS_HIDDEN) ? SW_HIDE : SW_SHOWNOACTIVATE);
            }
        }
    }
    SendToolbarSaveRestore(false, section);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                                                    SWP_NOACTIVATE);
    RecalcParent();
}

void CSizableReBar::EndSizing() {
    if (!m_bSizing) return;
    m_bSizing = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

bool CSizableReBar::OnReBarNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case RBN_CHEVRONPUSHED: {
        auto& chevron = reinterpret_cast<NMREBARCHEVRON&>(nm);
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_CHILD;
        ::SendMessageW(m_rebar, RB_GETBANDINFOW, chevron.uBand, reinterpret_cast<LPARAM>(&band));
        RECT rc = chevron.rc;
        ::MapWindowPoints(m_rebar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        if (band.hwndChild && CWnd::FromHandle(band.hwndChild))
            ::SendMessageW(band.hwndChild, WM_BAR_CHEVRONPUSHED, reinterpret_cast<WPARAM>(&rc), chevron.lParamNM);
        result = 0;
        return true;
    }
    case RBN_HEIGHTCHANGE:
    case RBN_ENDDRAG:
        RecalcParent();
        result = 0;
        return true;
    }
    HWND owner = GetOwner();
    if (!owner || owner == m_hWnd) return false;
    result = ::SendMessageW(owner, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    return true;
}

bool CSizableReBar::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        m_rebar = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr, kReBarCtrlStyle, 0, 0, 0, 0, m_hWnd,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kReBarCtrlId)), nullptr, nullptr);
        result = m_rebar ? 0 : -1;
        return true;
    case WM_SIZE:
        if (m_rebar) ::MoveWindow(m_rebar, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        result = 0;
        return true;
    case WM_NOTIFY: {
        NMHDR& nm = *StructArg<NMHDR>(lp);
        if (nm.hwndFrom == m_rebar && nm.idFrom == kReBarCtrlId) return OnReBarNotify(nm, result);
        break;
    }
    case WM_RECALCPARENT:
        if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
        result = 0;
        return true;
    case WM_SETMESSAGESTRING:
    case WM_POPMESSAGESTRING:
        result = ::SendMessageW(GetOwner(), msg, wp, lp);
        return true;
    case WM_NCCALCSIZE: {
        if (!CControlBar::OnWndMsg(msg, wp, lp, result)) result = Default();
        if (HasStrip()) {
            RECT* rc = wp ? &StructArg<NCCALCSIZE_PARAMS>(lp)->rgrc[0] : StructArg<RECT>(lp);
            rc->bottom = std::max(rc->top, rc->bottom - kStripHeight);
        }
        return true;
    }
    case WM_NCHITTEST: {
        result = HTCLIENT;
        if (HasStrip()) {
            CRect rc = GetWindowRect();
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (pt.y >= rc.bottom - kStripHeight && pt.y < rc.bottom && pt.x >= rc.left && pt.x < rc.right)
                result = HTBOTTOM;
        }
        return true;
    }
    case WM_NCLBUTTONDOWN:
        if (wp >= HTLEFT && wp <= HTBOTTOMRIGHT && HasStrip()) {
            ::SetCapture(m_hWnd);
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            m_bSizing = true;
            CRect client = GetClientRect();
            m_sizeStart = SIZE{client.Width(), client.Height()};
            m_ptStart = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            result = 0;
            return true;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_bSizing) {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ::ClientToScreen(m_hWnd, &pt);
            int height = std::max(0, static_cast<int>(m_sizeStart.cy + pt.y - m_ptStart.y));
            if (height != m_sizeStart.cy) {
                m_sizeStart.cy = height;
                m_ptStart = pt;
                RECT rc{0, 0, m_sizeStart.cx, height};
                ::SendMessageW(m_rebar, RB_SIZETORECT, 0, reinterpret_cast<LPARAM>(&rc));
            }
            result = 0;
            return true;
        }
        break;
    case WM_LBUTTONUP:
        if (m_bSizing) {
            EndSizing();
            result = 0;
            return true;
        }
        break;
    case WM_CAPTURECHANGED:
        if (m_bSizing && reinterpret_cast<HWND>(lp) != m_hWnd) EndSizing();
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        result = 0;
        return true;
    }
    return CControlBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
