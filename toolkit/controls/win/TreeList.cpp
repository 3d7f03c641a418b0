#include "toolkit/controls/win/TreeList.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/MsgArgs.h"

namespace brx {

namespace {

constexpr UINT kTreeId = 2;
constexpr UINT kHeaderId = 1;
constexpr UINT kScrollId = 3;
constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | TVS_NOHSCROLL | TVS_NOTOOLTIPS | TVS_SHOWSELALWAYS;
constexpr DWORD kScrollStyle = WS_CHILD | SBS_HORZ | SBS_BOTTOMALIGN;
constexpr DWORD kHeaderStyle = WS_CHILD | WS_VISIBLE | HDS_FULLDRAG | HDS_BUTTONS;
constexpr wchar_t kToolTipClass[] = L"TreeListToolTip";

// The last button press a tooltip forwarded to its tree (screen point, time):
// shared by every tooltip so that two presses on two tooltips still make a
// double click.
POINT g_lastClick = {-32768, -32768};
DWORD g_lastClickTime = 0;

int Align(int format) {
    switch (format & 3) {
    case 1: return DT_RIGHT;
    case 2: return DT_CENTER;
    default: return DT_LEFT;
    }
}

constexpr UINT kCellText = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

// Converts ANSI text into buf (kTreeListTextChars characters); false when it
// does not fit or does not convert. A null text gives an empty one.
bool Widen(const char* text, std::vector<wchar_t>& buf) {
    buf.assign(kTreeListTextChars, L'\0');
    if (!text) return true;
    return ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, buf.data(), kTreeListTextChars) != 0;
}

int TextWidth(HWND hwnd, HFONT font, const wchar_t* text, int length) {
    HDC dc = ::GetDC(hwnd);
    if (!dc) return 0;
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text, length, &size);
    if (old) ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    return size.cx;
}

// ---- The tooltip over a cut-off cell.

struct TipBlock {
    HWND tree;
    HFONT font;
    wchar_t* text;
    int left, top, right, bottom;
};

TipBlock* Block(HWND hwnd) { return reinterpret_cast<TipBlock*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

HWND TreeListOf(HWND tree) { return ::GetParent(tree); }

// Builds the tooltip's block at creation; false when the tooltip must not exist.
bool InitTip(HWND hwnd, HWND tree) {
    if (!::GetFocus() || !tree) return false;
    auto* block = static_cast<TipBlock*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TipBlock)));
    if (!block) return false;
    block->tree = tree;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(block));
    HWND list = TreeListOf(tree);
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(list, &pt);
    TLHITTESTINFO hit{pt, 0, nullptr, 0};
    HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(list, TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item) return false;
    std::vector<wchar_t> text(1024, L'\0');
    TLCELLTEXT cell{hit.column, text.data(), 1024};
    if (!::SendMessageW(list, TLM_GETCELLTEXT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)))
        return false;
    const int length = lstrlenW(text.data());
    HFONT treeFont = reinterpret_cast<HFONT>(::SendMessageW(tree, WM_GETFONT, 0, 0));
    HDC dc = ::GetDC(hwnd);
    if (!dc) return false;
    HGDIOBJ old = treeFont ? ::SelectObject(dc, treeFont) : nullptr;
    SIZE size{};
    const bool measured = ::GetTextExtentPoint32W(dc, text.data(), length, &size) != 0;
    if (old) ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    if (!measured) return false;
    block->text = static_cast<wchar_t*>(
        ::HeapAlloc(::GetProcessHeap(), 0, (static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
    if (!block->text) return false;
    lstrcpynW(block->text, text.data(), length + 1);
    RECT rc{hit.column, 0, 0, 0};
    if (!::SendMessageW(list, TLM_GETCELLRECT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc)))
        return false;
    if (hit.column == 0) {
        RECT label{};
        std::memcpy(&label, &item, sizeof(item));
        if (::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label))) rc.left = label.left - 2;
    }
    rc.right = rc.left + size.cx + 8;
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const int scroll = ::GetScrollPos(::GetDlgItem(list, kScrollId), SB_CTL);
    const int offset = ::IsWindowVisible(::GetDlgItem(list, kScrollId)) ? scroll : 0;
    rc.left -= offset;
    rc.right -= offset;
    const int screen = ::GetSystemMetrics(SM_CXFULLSCREEN);
    if (rc.right > screen) {
        const int shift = rc.right - screen;
        rc.left -= shift;
        rc.right -= shift;
    }
    if (rc.left < 0) rc.left = 0;
    rc.right = std::min<LONG>(rc.right, screen);
    block->left = rc.left;
    block->top = rc.top;
    block->right = rc.right;
    block->bottom = rc.bottom;
    LOGFONTW lf{};
    if (treeFont && ::GetObjectW(treeFont, sizeof(lf), &lf)) block->font = ::CreateFontIndirectW(&lf);
    ::SetWindowPos(hwnd, HWND_TOPMOST, rc.left, rc.top - 1, rc.right - rc.left, rc.bottom - rc.top + 1,
                   SWP_NOACTIVATE);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::SetTimer(hwnd, kTreeListTipTimer, 80, nullptr);
    return true;
}

void FreeTip(HWND hwnd) {
    TipBlock* block = Block(hwnd);
    ::KillTimer(hwnd, kTreeListTipTimer);
    if (!block) return;
    if (block->font) ::DeleteObject(block->font);
    if (block->text) ::HeapFree(::GetProcessHeap(), 0, block->text);
    ::HeapFree(::GetProcessHeap(), 0, block);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void PaintTip(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    if (TipBlock* block = Block(hwnd); block && block->text) {
        HGDIOBJ old = block->font ? ::SelectObject(dc, block->font) : nullptr;
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        RECT rc;
        ::GetClientRect(hwnd, &rc);
        rc.left = 3;
        rc.top = 1;
        ::DrawTextW(dc, block->text, -1, &rc, DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK);
        if (old) ::SelectObject(dc, old);
    }
    ::EndPaint(hwnd, &ps);
}

void TipButton(HWND hwnd, UINT msg, LPARAM lp) {
    TipBlock* block = Block(hwnd);
    if (!block) return;
    POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    ::ClientToScreen(hwnd, &pt);
    if (msg == WM_LBUTTONDOWN) {
        const DWORD now = ::GetTickCount();
        if (pt.x == g_lastClick.x && pt.y == g_lastClick.y && now - g_lastClickTime <= ::GetDoubleClickTime())
            msg = WM_LBUTTONDBLCLK;
        g_lastClick = pt;
        g_lastClickTime = now;
    }
    POINT inTree = pt;
    ::ScreenToClient(block->tree, &inTree);
    ::PostMessageW(block->tree, msg, 0, MAKELPARAM(inTree.x, inTree.y));
    if (msg == WM_LBUTTONDBLCLK) {
        ::SetFocus(block->tree);
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    } else {
        ::SetTimer(hwnd, kTreeListTipCloseTimer, ::GetDoubleClickTime(), nullptr);
    }
}

LRESULT CALLBACK TipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        return InitTip(hwnd, reinterpret_cast<HWND>(cs->lpCreateParams)) ? 0 : -1;
    }
    case WM_PAINT: PaintTip(hwnd); return 0;
    case WM_TIMER:
        if (wp == kTreeListTipTimer) {
            POINT pt;
            RECT rc;
            ::GetCursorPos(&pt);
            ::ScreenToClient(hwnd, &pt);
            ::GetClientRect(hwnd, &rc);
            if (!::PtInRect(&rc, pt)) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        } else if (wp == kTreeListTipCloseTimer) {
            ::KillTimer(hwnd, kTreeListTipCloseTimer);
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_MOUSEMOVE: ::SetTimer(hwnd, kTreeListTipTimer, 80, nullptr); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: TipButton(hwnd, msg, lp); return 0;
    case WM_CLOSE: ::DestroyWindow(hwnd); return 0;
    case WM_DESTROY: FreeTip(hwnd); return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

bool RegisterTreeListToolTipClass() {
    WNDCLASSW wc{};
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoW(instance, kToolTipClass, &wc)) return true;
    wc = WNDCLASSW{};
    wc.lpfnWndProc = &TipProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = kToolTipClass;
    return ::RegisterClassW(&wc) != 0;
}

// ---- The inner tree.

bool CTreeListCtrl::IsOnItem(POINT pt, HTREEITEM* out) const {
    TVHITTESTINFO hit{};
    hit.pt = pt;
    HTREEITEM item = HitTest(hit);
    if (out) *out = item;
    if (!item) return false;
    if (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMBUTTON | TVHT_ONITEMSTATEICON)) return true;
    RECT label{};
    if (!GetItemRect(item, label, TRUE)) return false;
    if (GetStyle() & TVS_FULLROWSELECT) {
        label.right = GetClientRect().right;
        return ::PtInRect(&label, pt) != 0;
    }
    if (!(hit.flags & TVHT_ONITEMLABEL) || pt.x >= m_nColumn0Width) return false;
    const std::wstring text = m_pTreeList ? m_pTreeList->GetItemText(item, 0) : GetItemText(item);
    const int width = TextWidth(m_hWnd, GetFont(), text.c_str(), static_cast<int>(text.size()));
    return pt.x < label.left + width + 6;
}

void CTreeListCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    const CRect client = GetClientRect();
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max(1, client.Width()), std::max(1, client.Height()));
    if (memory && bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        CWnd::DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        CWnd::DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        ::BitBlt(dc, 0, 0, client.Width(), client.Height(), memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (memory) ::DeleteDC(memory);
    ::EndPaint(m_hWnd, &ps);
}

void CTreeListCtrl::OnHoverTimer() {
    POINT pt;
    ::GetCursorPos(&pt);
    if (pt.x == g_lastClick.x && pt.y == g_lastClick.y) {
        KillTimer(kTreeListHoverTimer);
        return;
    }
    POINT inTree = pt;
    ::ScreenToClient(m_hWnd, &inTree);
    const CRect client = GetClientRect();
    if (!::PtInRect(&client, inTree) || !m_pTreeList) return;
    HWND list = m_pTreeList->m_hWnd;
    POINT inList = pt;
    ::ScreenToClient(list, &inList);
    TLHITTESTINFO hit{inList, 0, nullptr, 0};
    HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(list, TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item) return;
    std::vector<wchar_t> text(1024, L'\0');
    TLCELLTEXT cell{hit.column, text.data(), 1024};
    if (!::SendMessageW(list, TLM_GETCELLTEXT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)))
        return;
    const int width = TextWidth(m_hWnd, GetFont(), text.data(), lstrlenW(text.data()));
    RECT rc{hit.column, 0, 0, 0};
    if (!::SendMessageW(list, TLM_GETCELLRECT, reinterpret_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc))) return;
    if (hit.column == 0) {
        RECT label{};
        if (GetItemRect(item, label, TRUE)) rc.left = label.left;
    }
    if (rc.right - rc.left - 8 >= width) return;
    KillTimer(kTreeListHoverTimer);
    RegisterTreeListToolTipClass();
    ::CreateWindowExW(0, kToolTipClass, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, m_hWnd, nullptr,
                      ::GetModuleHandleW(nullptr), m_hWnd);
}

bool CTreeListCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: OnPaint(); result = 0; return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_KEYDOWN: Invalidate(FALSE); return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        HTREEITEM item = nullptr;
        if (IsOnItem(PointArg(lp), &item)) {
            SelectItem(item);
            return false;
        }
        SetFocus();
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE: {
        if (!IsOnItem(PointArg(lp))) {
            result = 0;
            return true;
        }
        POINT screen = PointArg(lp);
        ::ClientToScreen(m_hWnd, &screen);
        if (screen.x == g_lastClick.x && screen.y == g_lastClick.y) {
            KillTimer(kTreeListHoverTimer);
        } else if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
            SetTimer(kTreeListHoverTimer, 40);
        }
        return false;
    }
    case WM_TIMER:
        if (wp != kTreeListHoverTimer) return false;
        OnHoverTimer();
        result = 0;
        return true;
    }
    return CTreeCtrl::OnWndMsg(msg, wp, lp, result);
}

// ---- The tree-list.

CTreeList::CTreeList() : m_nMargin(2 * ::GetSystemMetrics(SM_CXEDGE)) {
    m_tree.m_pTreeList = this;
}

CTreeList::~CTreeList() {
    m_cells.clear();
    if (m_header.m_hWnd) m_header.DestroyWindow();
    if (m_scroll) ::DestroyWindow(m_scroll);
    m_scroll = nullptr;
    if (m_tree.m_hWnd) m_tree.DestroyWindow();
}

BOOL CTreeList::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style &= ~WS_BORDER;
    cs.lpszClass = RegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CTreeList::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    m_bCreating = true;
    const BOOL ok = CWnd::Create(nullptr, L"", style, rect, parent, id);
    m_bCreating = false;
    if (!ok) return FALSE;
    CreateChildren();
    return TRUE;
}

void CTreeList::CreateChildren() {
    if (m_bCreating || m_tree.m_hWnd) return;
    const CRect client = GetClientRect();
    m_tree.Create(kTreeStyle, CRect(0, 0, 0, 0), m_hWnd, kTreeId);
    m_scroll = ::CreateWindowExW(0, L"SCROLLBAR", nullptr, kScrollStyle, client.left, client.top, client.Width(),
                                 client.Height(), m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kScrollId)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    m_header.Create(kHeaderStyle, client, m_hWnd, kHeaderId);
    m_header.SetFont(m_tree.GetFont(), FALSE);
    RECT rc = client;
    WINDOWPOS pos{};
    HDLAYOUT layout{&rc, &pos};
    m_header.Layout(layout);
    m_nHeaderHeight = pos.cy;
    m_nOffset = 0;
    SyncWidths();
}

BOOL CTreeList::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    const BOOL tree = m_tree.ModifyStyle(remove & 0xFFFF, add & 0xFFFF, swpFlags);
    const BOOL own = CWnd::ModifyStyle(remove & 0xFFFF0000u, add & 0xFFFF0000u, swpFlags);
    return tree || own;
}

int CTreeList::InsertColumn(int index, const wchar_t* text, int format, int width) {
    if (index < 0 || index >= kTreeListColumns) return -1;
    static constexpr int kHeaderFormats[] = {HDF_LEFT, HDF_RIGHT, HDF_CENTER, HDF_LEFT};
    HDITEMW item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    item.cxy = width;
    item.pszText = const_cast<wchar_t*>(text ? text : L"");
    item.fmt = kHeaderFormats[format & 3];
    const int at = m_header.InsertItem(index, item);
    if (at >= 0 && at < kTreeListColumns) {
        // Later columns move up one place with their alignment.
        for (int i = kTreeListColumns - 1; i > at; --i) m_formats[i] = m_formats[i - 1];
        m_formats[at] = format & 3;
    }
    SyncWidths();
    return at;
}

BOOL CTreeList::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= kTreeListColumns) return FALSE;
    // Our own change is no echo of the last synchronisation: it goes through.
    m_bSynced = false;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return m_header.SetItem(column, item);
}

int CTreeList::GetColumnWidth(int column) const {
    if (column < 0 || column >= kTreeListColumns) return 0;
    return m_widths[column];
}

HTREEITEM CTreeList::InsertItemA(const char* text, HTREEITEM parent, HTREEITEM after) {
    std::vector<wchar_t> wide;
    if (!Widen(text, wide)) return nullptr;
    return InsertItem(wide.data(), parent, after);
}

HTREEITEM CTreeList::InsertItem(const wchar_t* text, HTREEITEM parent, HTREEITEM after) {
    HTREEITEM item = m_tree.InsertItem(text ? text : L"", parent, after);
    if (item) m_cells[item].Set(0, text);
    return item;
}

BOOL CTreeList::SetItemTextA(HTREEITEM item, int column, const char* text) {
    if (column < 0 || column >= kTreeListColumns) return FALSE;
    std::vector<wchar_t> wide;
    if (!Widen(text, wide)) return FALSE;
    return SetItemText(item, column, wide.data());
}

BOOL CTreeList::SetItemText(HTREEITEM item, int column, const wchar_t* text) {
    if (!item || column < 0 || column >= kTreeListColumns) return FALSE;
    if (column == 0 && !m_tree.SetItemText(item, text ? text : L"")) return FALSE;
    m_cells[item].Set(column, text);
    return TRUE;
}

std::wstring CTreeList::GetItemText(HTREEITEM item, int column) const {
    if (column < 0 || column >= kTreeListColumns) return {};
    auto it = m_cells.find(item);
    if (it == m_cells.end()) return {};
    const std::wstring* cell = it->second.Get(column);
    return cell ? *cell : std::wstring();
}

BOOL CTreeList::DeleteAllItems() {
    const BOOL ok = m_tree.DeleteAllItems();
    if (ok) m_cells.clear();
    return ok;
}

BOOL CTreeList::GetCellRect(HTREEITEM item, int column, RECT& rect) const {
    if (!item || column < 0 || column >= kTreeListColumns) return FALSE;
    RECT row{};
    if (!m_tree.GetItemRect(item, row, FALSE)) return FALSE;
    ::MapWindowPoints(m_tree.m_hWnd, m_hWnd, reinterpret_cast<POINT*>(&row), 2);
    const int count = m_header.GetItemCount();
    if (count <= 0) return FALSE;
    const int last = std::min(column, count - 1);
    int left = 0;
    for (int i = 0; i < last; ++i) left += m_widths[i];
    rect.left = left;
    rect.right = left + m_widths[last];
    rect.top = row.top;
    rect.bottom = row.bottom;
    return TRUE;
}

HTREEITEM CTreeList::HitTest(TLHITTESTINFO& info) const {
    TVHITTESTINFO hit{};
    hit.pt.x = info.pt.x + m_nOffset;
    hit.pt.y = info.pt.y - m_nHeaderHeight;
    HTREEITEM item = m_tree.HitTest(hit);
    info.column = 0;
    if (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMRIGHT)) {
        const int count = std::min(m_header.GetItemCount(), kTreeListColumns);
        int start = 0;
        for (int i = 0; i < count; ++i) {
            if (hit.pt.x >= start && hit.pt.x <= start + m_widths[i]) {
                info.column = i;
                info.flags = TVHT_ONITEMLABEL;
                info.item = item;
                return item;
            }
            start += m_widths[i];
        }
        info.flags = TVHT_NOWHERE;
        info.item = nullptr;
        return nullptr;
    }
    info.flags = hit.flags;
    info.item = item;
    return item;
}

int CTreeList::MeasureText(const std::wstring& text) const {
    return TextWidth(m_tree.m_hWnd, m_tree.GetFont(), text.c_str(), static_cast<int>(text.size()));
}

void CTreeList::AutoSizeColumn(int column) {
    if (column < 0 || column >= kTreeListColumns) return;
    HTREEITEM first = m_tree.GetRootItem();
    if (!first) return;
    int widest = 0;
    // Every row reachable through expanded parents, without recursion.
    std::vector<HTREEITEM> stack{first};
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        for (; item; item = m_tree.GetNextSiblingItem(item)) {
            int width = MeasureText(GetItemText(item, column));
            if (column == 0) {
                RECT label{};
                if (m_tree.GetItemRect(item, label, TRUE)) width += label.left + m_nOffset;
            }
            widest = std::max(widest, width);
            if (m_tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) {
                if (HTREEITEM child = m_tree.GetChildItem(item)) stack.push_back(child);
            }
        }
    }
    int width = widest + m_nMargin + 6;
    if (column == 0) width = std::max(width, m_nMinColumn0);
    SetColumnWidth(column, width);
    SyncWidths();
    m_tree.Invalidate();
}

void CTreeList::SyncWidths() {
    const int count = std::min(m_header.GetItemCount(), kTreeListColumns);
    m_nTotalWidth = 0;
    for (int i = 0; i < kTreeListColumns; ++i) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        m_widths[i] = i < count && m_header.GetItem(i, item) ? item.cxy : 0;
        m_nTotalWidth += m_widths[i];
    }
    m_tree.m_nColumn0Width = m_widths[0];
    m_bSynced = true;
    Layout();
}

int CTreeList::ContentWidth() const {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE;
    const bool vertical = ::GetScrollInfo(m_tree.m_hWnd, SB_VERT, &si) && si.nMin != si.nMax &&
                          (m_tree.GetStyle() & WS_VSCROLL);
    return m_nTotalWidth + (vertical ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
}

void CTreeList::Layout() {
    if (!m_tree.m_hWnd || m_bCreating) return;
    const CRect client = GetClientRect();
    const int w = client.Width(), h = client.Height();
    SCROLLINFO vsi{};
    vsi.cbSize = sizeof(vsi);
    vsi.fMask = SIF_RANGE;
    const bool vertical = ::GetScrollInfo(m_tree.m_hWnd, SB_VERT, &vsi) && vsi.nMin != vsi.nMax &&
                          (m_tree.GetStyle() & WS_VSCROLL);
    const int content = ContentWidth();
    m_nOffset = std::max(0, std::min(m_nOffset, content - w));
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = content;
    si.nPage = static_cast<UINT>(std::max(0, w));
    si.nPos = m_nOffset;
    ::SetScrollInfo(m_scroll, SB_CTL, &si, TRUE);
    int origin = 0, extra = 0;
    if (w < content) {
        extra = ::GetScrollPos(m_scroll, SB_CTL);
        origin = -extra;
    }
    const int cyScroll = ::GetSystemMetrics(SM_CYHSCROLL);
    const bool showBar = w < content && h >= cyScroll + m_nHeaderHeight;
    ::ShowWindow(m_scroll, showBar ? SW_SHOWNA : SW_HIDE);
    ::MoveWindow(m_header.m_hWnd, origin, 0, w + extra, m_nHeaderHeight, TRUE);
    ::MoveWindow(m_tree.m_hWnd, origin, m_nHeaderHeight, w + extra,
                 std::max(0, h - m_nHeaderHeight - (showBar ? cyScroll : 0)), TRUE);
    ::MoveWindow(m_scroll, 0, h - cyScroll, w - (vertical ? ::GetSystemMetrics(SM_CXVSCROLL) : 0), cyScroll, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CTreeList::OnHScroll(int code, int pos) {
    const int w = GetClientRect().Width();
    const int content = ContentWidth();
    int offset = m_nOffset;
    switch (code) {
    case SB_LINELEFT: offset -= 15; break;
    case SB_LINERIGHT: offset += 15; break;
    case SB_PAGELEFT: offset -= w; break;
    case SB_PAGERIGHT: offset += w; break;
    case SB_THUMBTRACK: offset = pos; break;
    case SB_LEFT: offset = 0; break;
    case SB_RIGHT: offset = content - w; break;
    default: return;
    }
    offset = std::max(0, std::min(offset, content - w));
    if (offset == m_nOffset) return;
    m_nOffset = offset;
    ::SetScrollPos(m_scroll, SB_CTL, offset, TRUE);
    Layout();
}

void CTreeList::OnSettingChange() {
    m_tree.SendMessage(WM_SETTINGCHANGE);
    ::SendMessageW(m_scroll, WM_SETTINGCHANGE, 0, 0);
    m_header.SendMessage(WM_SETTINGCHANGE);
    m_header.SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    RECT rc = GetClientRect();
    WINDOWPOS pos{};
    HDLAYOUT layout{&rc, &pos};
    m_header.Layout(layout);
    m_nHeaderHeight = pos.cy;
    Layout();
}

void CTreeList::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE;
    if (m_tree.m_hWnd && (m_tree.GetStyle() & WS_VSCROLL) && ::GetScrollInfo(m_tree.m_hWnd, SB_VERT, &si) &&
        si.nMin != si.nMax) {
        const CRect client = GetClientRect();
        RECT corner{client.right - ::GetSystemMetrics(SM_CXVSCROLL), client.bottom - ::GetSystemMetrics(SM_CYHSCROLL),
                    client.right, client.bottom};
        ::FillRect(dc, &corner, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::EndPaint(m_hWnd, &ps);
}

bool CTreeList::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case TLM_HITTEST: {
        auto* info = StructArg<TLHITTESTINFO>(lp);
        result = info ? reinterpret_cast<LRESULT>(HitTest(*info)) : 0;
        return true;
    }
    case TLM_GETCELLRECT: {
        auto* rc = StructArg<RECT>(lp);
        result = rc ? GetCellRect(reinterpret_cast<HTREEITEM>(wp), rc->left, *rc) : 0;
        return true;
    }
    case TLM_GETCELLTEXT: {
        auto* cell = StructArg<TLCELLTEXT>(lp);
        result = 0;
        if (cell && cell->buffer && cell->size > 0) {
            const std::wstring text = GetItemText(reinterpret_cast<HTREEITEM>(wp), cell->column);
            if (!text.empty()) {
                lstrcpynW(cell->buffer, text.c_str(), cell->size);
                result = 1;
            }
        }
        return true;
    }
    case WM_CREATE:
        result = Default();
        RegisterTreeListToolTipClass();
        return true;
    case WM_SIZE: Layout(); result = 0; return true;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lp) != m_scroll) return false;
        OnHScroll(LOWORD(wp), static_cast<short>(HIWORD(wp)));
        result = 0;
        return true;
    case WM_SETTINGCHANGE: OnSettingChange(); result = 0; return true;
    case WM_ENABLE:
        m_header.EnableWindow(static_cast<BOOL>(wp));
        m_tree.EnableWindow(static_cast<BOOL>(wp));
        ::EnableWindow(m_scroll, static_cast<BOOL>(wp));
        result = 0;
        return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: OnPaint(); result = 0; return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

LRESULT CTreeList::Forward(NMHDR& nm) {
    NMHDR saved = nm;
    nm.hwndFrom = m_hWnd;
    nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    const LRESULT r = ::SendMessageW(GetParent(), WM_NOTIFY, saved.idFrom, reinterpret_cast<LPARAM>(&nm));
    nm = saved;
    return r;
}

bool CTreeList::OnNotify(NMHDR& nm, LRESULT& result) {
    if (nm.hwndFrom == m_header.m_hWnd) {
        switch (nm.code) {
        case HDN_ITEMCHANGINGW: {
            auto& hd = reinterpret_cast<NMHEADERW&>(nm);
            if (m_bSynced) {
                m_bSynced = false;
                result = 1;
            } else {
                result = hd.iItem == 0 && hd.pitem && (hd.pitem->mask & HDI_WIDTH) && hd.pitem->cxy < m_nMinColumn0;
            }
            return true;
        }
        case HDN_ITEMCHANGEDW:
            SyncWidths();
            m_tree.Invalidate();
            result = 0;
            return true;
        case HDN_DIVIDERDBLCLICKW: {
            auto& hd = reinterpret_cast<NMHEADERW&>(nm);
            if (hd.iButton == 0) AutoSizeColumn(hd.iItem);
            result = Forward(nm);
            return true;
        }
        }
    } else if (nm.hwndFrom == m_tree.m_hWnd) {
        switch (nm.code) {
        case NM_CUSTOMDRAW: result = OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW&>(nm)); return true;
        case TVN_ITEMEXPANDINGW:
            m_tree.SendMessage(WM_SETREDRAW, FALSE);
            result = Forward(nm);
            return true;
        case TVN_ITEMEXPANDEDW:
            Layout();
            m_tree.SendMessage(WM_SETREDRAW, TRUE);
            m_tree.Invalidate();
            result = Forward(nm);
            return true;
        case TVN_DELETEITEMW:
            // The tree reuses the handles of deleted items: their cells go with them.
            m_cells.erase(reinterpret_cast<NMTREEVIEWW&>(nm).itemOld.hItem);
            result = Forward(nm);
            return true;
        case NM_RCLICK: {
            POINT pt;
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_tree.m_hWnd, &pt);
            TVHITTESTINFO hit{};
            hit.pt = pt;
            m_tree.SelectItem(m_tree.HitTest(hit));
            result = 1;
            return true;
        }
        }
    }
    result = Forward(nm);
    return true;
}

LRESULT CTreeList::OnCustomDraw(NMTVCUSTOMDRAW& cd) {
    NMCUSTOMDRAW& nm = cd.nmcd;
    if (nm.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (nm.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYPOSTPAINT;
    if (nm.dwDrawStage != CDDS_ITEMPOSTPAINT) return CDRF_DODEFAULT;
    if (::IsRectEmpty(&nm.rc)) return CDRF_DODEFAULT;
    HDC dc = nm.hdc;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(nm.dwItemSpec);
    const DWORD treeStyle = m_tree.GetStyle();
    const bool fullRow = (treeStyle & TVS_FULLROWSELECT) != 0;
    const bool enabled = IsWindowEnabled() != FALSE;
    const COLORREF window = ::GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    RECT label{};
    if (!m_tree.GetItemRect(item, label, TRUE)) return CDRF_DODEFAULT;
    // 1. Clear from the label to the row's end.
    RECT clear{label.left, nm.rc.top, nm.rc.right, nm.rc.bottom};
    ::SetBkColor(dc, window);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &clear, nullptr, 0, nullptr);
    // 2. The label's extent.
    const std::wstring cell0 = GetItemText(item, 0);
    RECT calc{0, 0, 0, 0};
    ::DrawTextW(dc, cell0.c_str(), static_cast<int>(cell0.size()), &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    label.right = std::min<LONG>(label.left + calc.right + 4, m_widths[0] - 4);
    // 3. Selection and focus.
    const COLORREF highlight = label.right - label.left < 0 ? window : cd.clrTextBk;
    if (highlight != window) {
        RECT hl = label;
        if (fullRow) hl.right = m_nTotalWidth - 1;
        if (nm.uItemState & CDIS_SELECTED) {
            ::SetBkColor(dc, highlight);
            ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &hl, nullptr, 0, nullptr);
        }
        if (nm.uItemState & CDIS_FOCUS) ::DrawFocusRect(dc, &hl);
    }
    // 4. Hot tracking underlines.
    HFONT underline = nullptr;
    HGDIOBJ oldFont = nullptr;
    if ((treeStyle & TVS_TRACKSELECT) && (nm.uItemState & CDIS_HOT)) {
        LOGFONTW lf{};
        if (::GetObjectW(m_tree.GetFont(), sizeof(lf), &lf)) {
            lf.lfUnderline = TRUE;
            underline = ::CreateFontIndirectW(&lf);
            if (underline) oldFont = ::SelectObject(dc, underline);
        }
    }
    // 5. Cell 0.
    ::SetTextColor(dc, cd.clrText);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, cell0.c_str(), static_cast<int>(cell0.size()), &label, Align(m_formats[0]) | kCellText);
    // 6. The other cells.
    if (!fullRow && enabled) ::SetTextColor(dc, ::GetSysColor(COLOR_MENUTEXT));
    if (underline) {
        ::SelectObject(dc, oldFont);
        ::DeleteObject(underline);
        oldFont = nullptr;
    }
    // 7. Columns 1 and up.
    const int count = std::min(m_header.GetItemCount(), kTreeListColumns);
    int x = m_widths[0];
    for (int column = 1; column < count; ++column) {
        const std::wstring text = GetItemText(item, column);
        RECT rc{x + 1 + m_nMargin, label.top + 1, x + m_widths[column] - 1 - m_nMargin, label.bottom - 1};
        if (!text.empty() && rc.right > rc.left && rc.bottom > rc.top && rc.left >= 0)
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, Align(m_formats[column]) | kCellText);
        x += m_widths[column];
    }
    // 8. Grid.
    x = 0;
    for (int column = 0; column < count; ++column) {
        x += m_widths[column];
        RECT edge{x - 2, nm.rc.top, x, nm.rc.bottom};
        ::DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RIGHT);
    }
    RECT bottom{nm.rc.left, nm.rc.top, std::max<LONG>(nm.rc.right, m_nTotalWidth), nm.rc.bottom};
    ::DrawEdge(dc, &bottom, BDR_SUNKENINNER, BF_BOTTOM);
    return CDRF_DODEFAULT;
}

bool CTreeListBase::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_CONTEXTMENU) {
        result = 0;
        return true;
    }
    return CTreeList::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
