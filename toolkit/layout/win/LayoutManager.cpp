#include "toolkit/layout/win/LayoutManager.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/PlacementFit.h"
#include "framework/WinApp.h"

namespace brx {

namespace {

constexpr wchar_t kDefaultEntry[] = L"WindowPlacement";
constexpr UINT kPlacementSize = 44;
static_assert(sizeof(WINDOWPLACEMENT) == kPlacementSize, "the stored record is the system's 44 bytes");

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t buffer[32] = {};
    return ::GetClassNameW(hwnd, buffer, 32) > 0 && ::lstrcmpiW(buffer, name) == 0;
}

bool IsGroupBox(HWND hwnd) {
    return HasClass(hwnd, L"Button") && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

CRect ChildRectIn(HWND child, HWND parent) {
    CRect rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

PlacementRect ToPlacement(const RECT& r) { return PlacementRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const PlacementRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// A top-level window's normal position is in workspace coordinates: the
// screen shifted by where the primary monitor's work area starts.
POINT WorkspaceOffset() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!primary || !::GetMonitorInfoW(primary, &info)) return POINT{0, 0};
    return POINT{info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

} // namespace

CLM::CLM(CWnd* host, const wchar_t* section, const wchar_t* entry)
    : m_pLayoutHost(host), m_strSection(section ? section : L""), m_strEntry(entry ? entry : kDefaultEntry),
      m_bSavePlacement(section != nullptr && section[0] != 0) {}

CLM::~CLM() = default;

CRect CLM::GetLayoutRect() const {
    CRect rc;
    if (m_pLayoutHost && m_pLayoutHost->m_hWnd) ::GetClientRect(m_pLayoutHost->m_hWnd, &rc);
    return rc;
}

void CLM::SetRoot(CPaneBase root) {
    m_root = std::move(root);
    UpdateLayout();
}

bool CLM::GetTrackSizes(CSize& minimum, CSize& maximum) const {
    if (!m_root || !m_pLayoutHost || !m_pLayoutHost->m_hWnd) return false;
    CRect window = m_pLayoutHost->GetWindowRect();
    CRect client = m_pLayoutHost->GetClientRect();
    const int extraW = window.Width() - client.Width();
    const int extraH = window.Height() - client.Height();
    minimum = CSize(m_root->GetMinWidth() + extraW + 2 * m_margin.cx, m_root->GetMinHeight() + extraH + 2 * m_margin.cy);
    const int32_t maxW = m_root->GetMaxWidth();
    const int32_t maxH = m_root->GetMaxHeight();
    maximum.cx = maxW == -1 ? -1 : std::max<LONG>(minimum.cx, maxW + extraW + 2 * m_margin.cx);
    maximum.cy = maxH == -1 ? -1 : std::max<LONG>(minimum.cy, maxH + extraH + 2 * m_margin.cy);
    return true;
}

void CLM::UpdateLayout() {
    if (!m_root || !m_pLayoutHost || !m_pLayoutHost->m_hWnd || m_bInLayout) return;
    HWND host = m_pLayoutHost->m_hWnd;
    m_bInLayout = true;
    // A top-level dialog never gets smaller or larger than its tree allows
    // (whoever sized it).
    const DWORD style = m_pLayoutHost->GetStyle();
    CSize minimum, maximum;
    if (!(style & WS_CHILD) && HasClass(host, L"#32770") && !::IsIconic(host) && !::IsZoomed(host) &&
        GetTrackSizes(minimum, maximum)) {
        CRect window = m_pLayoutHost->GetWindowRect();
        int width = window.Width(), height = window.Height();
        if (width < minimum.cx) width = minimum.cx;
        if (maximum.cx != -1 && width > maximum.cx) width = maximum.cx;
        if (height < minimum.cy) height = minimum.cy;
        if (maximum.cy != -1 && height > maximum.cy) height = maximum.cy;
        if (width != window.Width() || height != window.Height())
            ::SetWindowPos(host, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CRect area = GetLayoutRect();
    area.DeflateRect(m_margin.cx, m_margin.cy);
    ResizeRoot(area);
    AttachUpDowns();
    ::InvalidateRect(host, nullptr, TRUE);
    m_bInLayout = false;
}

BOOL CLM::ResizeRoot(const CRect& rect) {
    if (!m_root || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;
    m_placements.clear();
    bool ok = m_root->Resize(LayoutRect{rect.left, rect.top, rect.right, rect.bottom}, m_placements);
    ApplyPlacements();
    return ok ? TRUE : FALSE;
}

void CLM::ApplyPlacements() {
    // Everything moves in one batch without drawing (a move that redraws
    // costs several times the move itself); then the moved controls are
    // invalidated, and the host erases its background around them (frames
    // are repainted after that).
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_placements.size()));
    std::vector<HWND> simpleCombos;
    m_moved.clear();
    for (const LayoutPlacement& p : m_placements) {
        HWND hwnd = reinterpret_cast<HWND>(p.window);
        if (!::IsWindow(hwnd)) continue;
        RECT r{p.rect.left, p.rect.top, p.rect.right, p.rect.bottom};
        if (p.combo) {
            LONG_PTR comboStyle = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
            if (comboStyle & CBS_DROPDOWN) {
                // Drop-down styles: the window's height includes its list.
                CRect own;
                ::GetWindowRect(hwnd, &own);
                r.bottom = r.top + own.Height();
            } else if (!(comboStyle & CBS_NOINTEGRALHEIGHT)) {
                simpleCombos.push_back(hwnd);
            }
        }
        if (p.kind == LayoutPlacement::Frame) ::InvalidateRect(hwnd, nullptr, TRUE);
        // A control already in place is not moved again: every move costs
        // the control a round of messages.
        CRect now = ChildRectIn(hwnd, m_pLayoutHost->m_hWnd);
        if (now.left == r.left && now.top == r.top && now.right == r.right && now.bottom == r.bottom) continue;
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW;
        if (batch) batch = ::DeferWindowPos(batch, hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
        if (!batch) ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
        m_moved.push_back(hwnd);
    }
    if (batch) ::EndDeferWindowPos(batch);
    // One invalidation for all: the host and every child.
    if (!m_moved.empty())
        ::RedrawWindow(m_pLayoutHost->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // A simple combo box ends at the bottom of its list.
    HWND host = m_pLayoutHost->m_hWnd;
    for (HWND combo : simpleCombos) {
        HWND list = ::GetDlgItem(combo, 1000);
        if (!list) continue;
        CRect own = ChildRectIn(combo, host);
        CRect listRect = ChildRectIn(list, host);
        if (listRect.bottom > own.top)
            ::MoveWindow(combo, own.left, own.top, own.Width(), listRect.bottom - own.top, TRUE);
    }
}

void CLM::AttachUpDowns() const {
    HWND host = m_pLayoutHost->m_hWnd;
    for (HWND child = ::GetWindow(host, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        // The control's own visibility: a host not shown yet is laid out too.
        if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) || !HasClass(child, UPDOWN_CLASSW)) continue;
        HWND buddy = reinterpret_cast<HWND>(::SendMessageW(child, UDM_GETBUDDY, 0, 0));
        if (buddy && (::GetWindowLongPtrW(child, GWL_STYLE) & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
            ::SendMessageW(child, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    }
}

// --- building

CLM::CPane CLM::CreateRoot(int orientation, int gap, int border) {
    CPane root = MakeLayoutPane(orientation, 0, gap, border, 0);
    m_root = root;
    return root;
}

CLM::CPane CLM::MakePane(int orientation, uint32_t mode, int gap, int border, int size) {
    return MakeLayoutPane(orientation, mode, gap, border, size);
}

CLM::CPane CLM::MakePaneCtrl(UINT id, int orientation, uint32_t mode, int gap, int border, int extraTop, int size) {
    HWND frame = m_pLayoutHost ? m_pLayoutHost->GetDlgItem(static_cast<int>(id)) : nullptr;
    return MakeLayoutPaneCtrl(reinterpret_cast<uintptr_t>(frame), orientation, mode, gap, border, extraTop, size);
}

CLM::CPaneBase CLM::MakeItem(UINT id, uint32_t mode, int width, int height, int minWidth, int minHeight) {
    HWND window = m_pLayoutHost ? m_pLayoutHost->GetDlgItem(static_cast<int>(id)) : nullptr;
    return MakeItem(window, mode, width, height, minWidth, minHeight);
}

CLM::CPaneBase CLM::MakeItem(HWND window, uint32_t mode, int width, int height, int minWidth, int minHeight) {
    auto item = std::make_shared<LayoutItem>();
    item->mode = mode;
    item->width = width;
    item->height = height;
    item->minWidth = minWidth;
    item->minHeight = minHeight;
    if (window && ::IsWindow(window)) {
        CRect rc;
        ::GetWindowRect(window, &rc);
        item->window = reinterpret_cast<uintptr_t>(window);
        item->ownWidth = rc.Width();
        item->ownHeight = rc.Height();
        if (width == 0) item->width = rc.Width();
        if (height == 0) item->height = rc.Height();
        if (minWidth == -1) item->minWidth = rc.Width();
        if (minHeight == -1) item->minHeight = rc.Height();
        item->combo = HasClass(window, L"ComboBox") || HasClass(window, L"ComboBoxEx32");
    }
    return item;
}

CLM::CPaneBase CLM::MakeGrowingSpacer(int vertical) { return MakeLayoutGrowingSpacer(vertical); }

CLM::CPaneBase CLM::MakeFixedSpacer(int direction, int size) { return MakeLayoutFixedSpacer(direction, size); }

// --- background

void CLM::EraseBackground(HDC dc) const {
    if (!m_pLayoutHost || !m_pLayoutHost->m_hWnd) return;
    HWND host = m_pLayoutHost->m_hWnd;
    CRect client = m_pLayoutHost->GetClientRect();
    HRGN region = ::CreateRectRgnIndirect(&client);
    if (!region) return;
    for (HWND child = ::GetWindow(host, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) || IsGroupBox(child)) continue;
        CRect rc = ChildRectIn(child, host);
        HRGN cut = ::CreateRectRgnIndirect(&rc);
        if (!cut) continue;
        ::CombineRgn(region, region, cut, RGN_DIFF);
        if (HasClass(child, WC_TABCONTROLW)) {
            // The tab control does not paint its display area: we do.
            RECT display = rc;
            ::SendMessageW(child, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
            ::SetRectRgn(cut, display.left, display.top, display.right, display.bottom);
            ::CombineRgn(region, region, cut, RGN_OR);
        }
        ::DeleteObject(cut);
    }
    HBRUSH brush = nullptr;
    if (HasClass(host, L"#32770"))
        brush = reinterpret_cast<HBRUSH>(::SendMessageW(host, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(host)));
    if (!brush) brush = ::GetSysColorBrush(COLOR_BTNFACE);
    ::FillRgn(dc, region, brush);
    ::DeleteObject(region);
}

// --- placement

bool CLM::SaveWindowPlacement() const {
    if (!m_bSavePlacement || !m_pLayoutHost || !m_pLayoutHost->m_hWnd) return false;
    CWinApp* app = AfxGetApp();
    if (!app) return false;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(m_pLayoutHost->m_hWnd, &wp)) return false;
    if (wp.showCmd != SW_SHOWMAXIMIZED) wp.showCmd = SW_SHOWNORMAL;
    return app->WriteProfileBinary(m_strSection.c_str(), m_strEntry.c_str(), &wp, sizeof wp);
}

bool CLM::LoadWindowPlacement() {
    if (!m_bSavePlacement || !m_pLayoutHost || !m_pLayoutHost->m_hWnd) return false;
    bool applied = false;
    std::vector<uint8_t> data;
    CWinApp* app = AfxGetApp();
    if (app && app->GetProfileBinary(m_strSection.c_str(), m_strEntry.c_str(), data) && data.size() == kPlacementSize) {
        WINDOWPLACEMENT wp{};
        std::memcpy(&wp, data.data(), kPlacementSize);
        if (wp.length == kPlacementSize) {
            const POINT offset = WorkspaceOffset();
            PlacementRect normal = NormalizeRect(ToPlacement(wp.rcNormalPosition));
            RECT onScreen = ToRect(normal);
            ::OffsetRect(&onScreen, offset.x, offset.y);
            MONITORINFO info{};
            info.cbSize = sizeof info;
            HMONITOR monitor = ::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST);
            if (monitor && ::GetMonitorInfoW(monitor, &info) &&
                RectsOverlap(ToPlacement(onScreen), ToPlacement(info.rcWork))) {
                RECT fitted = ToRect(FitRectToWorkArea(ToPlacement(onScreen), ToPlacement(info.rcWork)));
                ::OffsetRect(&fitted, -offset.x, -offset.y);
                wp.rcNormalPosition = fitted;
                // Only a maximised state comes back; a window that is not
                // shown yet stays hidden for its owner to show.
                if (wp.showCmd != SW_SHOWMAXIMIZED)
                    wp.showCmd = m_pLayoutHost->IsWindowVisible() ? SW_SHOWNORMAL : SW_HIDE;
                wp.flags = 0;
                applied = ::SetWindowPlacement(m_pLayoutHost->m_hWnd, &wp) != FALSE;
            }
        }
    }
    if (!applied) m_pLayoutHost->CenterWindow();
    return applied;
}

} // namespace brx
