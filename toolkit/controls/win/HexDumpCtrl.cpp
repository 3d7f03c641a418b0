#include "toolkit/controls/win/HexDumpCtrl.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/MsgArgs.h"
#include "toolkit/controls/win/MemDC.h"

namespace brx {

namespace {

constexpr wchar_t kClassName[] = L"HexDumpCtrl";

constexpr int kDefaultColors[kHexColorSlots] = {
    COLOR_WINDOW,     COLOR_HIGHLIGHT, COLOR_WINDOWTEXT, COLOR_HIGHLIGHTTEXT,       COLOR_HIGHLIGHT,
    COLOR_BTNSHADOW,  COLOR_BTNSHADOW, COLOR_INACTIVECAPTIONTEXT, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT,
};

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

void Fill(HDC dc, const RECT& rc, COLORREF color) {
    ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    HPEN pen = ::CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = ::SelectObject(dc, pen);
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

RECT Win(const HexRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

} // namespace

UINT CHexDumpCtrl::BinaryFormat() {
    static const UINT format = ::RegisterClipboardFormatA("BinaryData");
    return format;
}

CHexDumpCtrl::CHexDumpCtrl() {
    WNDCLASSW wc{};
    if (!::GetClassInfoW(::GetModuleHandleW(nullptr), kClassName, &wc))
        CWnd::RegisterClass(kClassName, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    BinaryFormat();
}

CHexDumpCtrl::~CHexDumpCtrl() {
    if (m_hFont) ::DeleteObject(m_hFont);
}

BOOL CHexDumpCtrl::Create(const RECT& rect, HWND parent, UINT id, DWORD style, DWORD exStyle) {
    if (!CreateEx(exStyle, kClassName, nullptr, style | WS_CHILD, rect, parent, id)) return FALSE;
    Relayout();
    return TRUE;
}

BOOL CHexDumpCtrl::PreCreateWindow(CREATESTRUCTW& cs) {
    ResetState();
    ResetDefaults(FALSE);
    return TRUE;
}

void CHexDumpCtrl::ResetState() {
    m_data.clear();
    m_firstVisible = 0;
    m_selStart = m_selEnd = m_anchor = 0;
    m_hoverPart = -1;
    m_hoverRect = RECT{};
    m_bFocus = m_bSelecting = m_bTracking = false;
}

void CHexDumpCtrl::ResetDefaults(BOOL redraw) {
    m_style = kHexDefaultStyle;
    m_valueBar = kHexDefaultValueBar;
    m_parts = kHexDefaultParts;
    m_fixedCellsPerLine = 0;
    m_bLower = false;
    for (int i = 0; i < kHexColorSlots; ++i) m_colors[i] = ::GetSysColor(kDefaultColors[i]);
    m_disabledText = ::GetSysColor(COLOR_BTNSHADOW);
    m_disabledBack = ::GetSysColor(COLOR_BTNFACE);
    SetFontByName(L"Courier", 8, FALSE, FALSE, FALSE, FALSE, FALSE);
    Relayout();
    Repaint(redraw);
}

void CHexDumpCtrl::SetData(const uint8_t* bytes, size_t length, BOOL redraw) {
    m_data.clear();
    m_data.shrink_to_fit();
    if (bytes && length) {
        try {
            m_data.assign(bytes, bytes + length);
        } catch (const std::bad_alloc&) {
            m_data.clear();
        }
    }
    m_firstVisible = 0;
    Relayout();
    m_selStart = m_selEnd = m_anchor = 0;
    Repaint(redraw);
}

void CHexDumpCtrl::SetFont(const LOGFONTW& font, BOOL redraw) {
    if (m_hFont) ::DeleteObject(m_hFont);
    m_hFont = ::CreateFontIndirectW(&font);
    Relayout();
    Repaint(redraw);
}

void CHexDumpCtrl::SetFontByName(const wchar_t* face, int points, BOOL italic, BOOL bold, BOOL underline,
                                 BOOL strikeOut, BOOL redraw) {
    LOGFONTW lf{};
    HDC screen = ::GetDC(nullptr);
    lf.lfHeight = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    lf.lfItalic = italic ? 1 : 0;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = strikeOut ? 1 : 0;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(lf.lfFaceName, face ? face : L"", LF_FACESIZE);
    SetFont(lf, redraw);
}

void CHexDumpCtrl::SetBytesPerLine(int count, BOOL redraw) {
    m_fixedCellsPerLine = std::max(0, count);
    Relayout();
    Repaint(redraw);
}

void CHexDumpCtrl::SetLowercaseHex(BOOL lower, BOOL redraw) {
    m_bLower = lower != FALSE;
    Repaint(redraw);
}

// A change of what is shown starts again at cell 0.
void CHexDumpCtrl::ChangeDisplayWord(uint32_t& word, uint32_t add, uint32_t remove, BOOL redraw) {
    word = add | (word & ~remove);
    Relayout();
    m_firstVisible = 0;
    m_selStart = m_selEnd = m_anchor = 0;
    Repaint(redraw);
}

void CHexDumpCtrl::ModifyDisplayParts(uint32_t add, uint32_t remove, BOOL redraw) {
    ChangeDisplayWord(m_parts, add, remove, redraw);
}

void CHexDumpCtrl::ModifyDisplayStyle(uint32_t add, uint32_t remove, BOOL redraw) {
    ChangeDisplayWord(m_style, add, remove, redraw);
}

void CHexDumpCtrl::ModifyExtraStyle(uint32_t add, uint32_t remove, BOOL redraw) {
    m_valueBar = add | (m_valueBar & ~remove);
    Repaint(redraw);
}

COLORREF CHexDumpCtrl::SetColor(int slot, COLORREF color, BOOL redraw) {
    if (slot < 0 || slot >= kHexColorSlots) return 0;
    const COLORREF old = m_colors[slot];
    m_colors[slot] = color;
    Repaint(redraw);
    return old;
}

void CHexDumpCtrl::SetFirstVisible(long long cell, BOOL redraw) {
    if (cell < 0) cell = 0;
    if (static_cast<unsigned long long>(cell) >= m_data.size()) return;
    const size_t n = static_cast<size_t>(std::max(1, m_cellsPerLine));
    m_firstVisible = static_cast<size_t>(cell) - static_cast<size_t>(cell) % n;
    Repaint(redraw);
}

void CHexDumpCtrl::SetSelection(long long first, long long last, BOOL scroll) {
    if (first < 0) first = 0;
    if (!(m_style & HEXDUMP_STYLE_RANGE) || last < 0) last = first;
    if (last < first) std::swap(first, last);
    const auto count = static_cast<unsigned long long>(m_data.size());
    if (static_cast<unsigned long long>(first) >= count || static_cast<unsigned long long>(last) >= count) return;
    m_selStart = m_anchor = static_cast<size_t>(first);
    m_selEnd = static_cast<size_t>(last);
    if (scroll)
        m_firstVisible = HexScrollIntoView(m_selStart, m_firstVisible, static_cast<size_t>(m_cellsPerLine),
                                           static_cast<size_t>(m_cellsPerPage));
    Repaint(TRUE);
}

HEXDUMP_LAYOUT CHexDumpCtrl::GetLayout() const {
    HEXDUMP_METRICS m{m_charWidth, m_lineHeight, 0, 0, ::GetSystemMetrics(SM_CXVSCROLL)};
    if (m_hWnd) {
        const CRect client = GetClientRect();
        m.clientWidth = client.Width();
        m.clientHeight = client.Height();
    }
    return LayoutHexDump(m, m_parts, m_style, m_valueBar, m_fixedCellsPerLine);
}

// Measures the font and lays the parts out again for the current size.
void CHexDumpCtrl::Relayout() {
    m_charWidth = m_lineHeight = 0;
    if (m_hWnd && m_hFont) {
        HDC dc = ::GetDC(m_hWnd);
        HGDIOBJ old = ::SelectObject(dc, m_hFont);
        TEXTMETRICW tm{};
        if (::GetTextMetricsW(dc, &tm)) {
            m_charWidth = tm.tmAveCharWidth;
            m_lineHeight = tm.tmHeight * 12 / 10;
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
    }
    m_layout = GetLayout();
    m_cellsPerLine = m_layout.cellsPerLine;
    m_cellsPerPage = m_layout.cellsPerPage;
}

size_t CHexDumpCtrl::CurrentCell() const { return m_hoverPart >= 0 ? m_hoverCell : m_selStart; }

BOOL CHexDumpCtrl::CopyToClipboard(BOOL selectionOnly) {
    if (m_data.empty() || !::OpenClipboard(m_hWnd)) return FALSE;
    HCURSOR old = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    ::EmptyClipboard();
    const std::u16string text = HexClipboardText(m_data.data(), m_data.size(), static_cast<size_t>(m_cellsPerLine),
                                                 m_parts, m_bLower);
    const size_t textBytes = (text.size() + 1) * sizeof(char16_t);
    if (HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, textBytes)) {
        if (void* p = ::GlobalLock(block)) {
            std::memcpy(p, text.c_str(), textBytes);
            ::GlobalUnlock(block);
            if (!::SetClipboardData(CF_UNICODETEXT, block)) ::GlobalFree(block);
        } else {
            ::GlobalFree(block);
        }
    }
    const uint8_t* bytes = m_data.data();
    size_t length = m_data.size();
    if (selectionOnly) {
        const size_t end = std::min(m_selEnd, m_data.size() - 1);
        bytes += m_selStart;
        length = m_selStart <= end ? end - m_selStart + 1 : 0;
    }
    if (length) {
        if (HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, length)) {
            if (void* p = ::GlobalLock(block)) {
                std::memcpy(p, bytes, length);
                ::GlobalUnlock(block);
                if (!::SetClipboardData(BinaryFormat(), block)) ::GlobalFree(block);
            } else {
                ::GlobalFree(block);
            }
        }
    }
    ::CloseClipboard();
    ::SetCursor(old);
    return TRUE;
}

// ---- Painting

void CHexDumpCtrl::PaintValueBar(HDC dc, const HEXDUMP_LAYOUT& l, COLORREF text) {
    if (l.valueBar.Height() <= 0) return;
    const RECT bar = Win(l.valueBar);
    Fill(dc, bar, ::GetSysColor(COLOR_BTNFACE));
    Line(dc, bar.left, bar.bottom - 1, bar.right, bar.bottom - 1, ::GetSysColor(COLOR_BTNSHADOW));
    const bool any = !m_data.empty();
    const size_t cell = std::min(CurrentCell(), any ? m_data.size() - 1 : 0);
    ::SetTextColor(dc, text);
    for (int i = 0; i < HEX_PART_COUNT; ++i) {
        if (!l.valueShown[i]) continue;
        RECT label = Win(l.valueLabels[i]);
        const wchar_t caption[3] = {static_cast<wchar_t>(kHexPartLabels[i]), L':', 0};
        ::DrawTextW(dc, caption, 2, &label, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        RECT value = Win(l.valueItems[i]);
        Fill(dc, value, m_colors[0]);
        if (!any) continue;
        const std::wstring v = Wide(i == HEX_PART_ADDRESS ? HexAddressText(static_cast<uint32_t>(cell), m_bLower)
                                                          : HexCellText(i, m_data[cell], m_bLower));
        ::DrawTextW(dc, v.c_str(), static_cast<int>(v.size()), &value,
                    DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
}

void CHexDumpCtrl::PaintParts(HDC dc, const HEXDUMP_LAYOUT& l, COLORREF text) {
    const int s = l.charWidth, h = l.lineHeight;
    const bool enabled = IsWindowEnabled() != FALSE;
    const COLORREF lines = enabled ? m_colors[7] : m_disabledText;
    if (l.caption.Height() > 0) {
        const RECT caption = Win(l.caption);
        Fill(dc, caption, enabled ? m_colors[0] : m_disabledBack);
        Line(dc, caption.left, caption.bottom - 1, caption.right, caption.bottom - 1, lines);
        ::SetTextColor(dc, enabled ? m_colors[8] : m_disabledText);
        for (int i = 0; i < HEX_PART_COUNT; ++i) {
            if (!HexPartShown(m_parts, i)) continue;
            RECT rc{l.parts[i].left, caption.top, l.parts[i].right, caption.bottom};
            const wchar_t label[2] = {static_cast<wchar_t>(kHexPartLabels[i]), 0};
            ::DrawTextW(dc, label, 1, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
            Line(dc, rc.right - 1, caption.top, rc.right - 1, caption.bottom, lines);
        }
    }
    const CRect client = GetClientRect();
    const size_t n = static_cast<size_t>(l.cellsPerLine);
    for (int part = 0; part < HEX_PART_COUNT; ++part) {
        if (!HexPartShown(m_parts, part)) continue;
        int row = 0;
        for (size_t start = m_firstVisible; start < m_data.size(); start += n, ++row) {
            const int top = l.dataTop + h / 4 + row * h;
            if (top + h > client.bottom) break;
            if (part == HEX_PART_ADDRESS) {
                ::SetTextColor(dc, enabled ? m_colors[5] : m_disabledText);
                const std::wstring address = Wide(HexAddressText(static_cast<uint32_t>(start), m_bLower));
                ::TextOutW(dc, l.parts[part].left + s, top, address.c_str(), static_cast<int>(address.size()));
                continue;
            }
            for (size_t column = 0; column < n && start + column < m_data.size(); ++column) {
                const size_t cell = start + column;
                RECT rc = Win(HexCellRect(l, part, row, static_cast<int>(column)));
                const bool selected = cell >= m_selStart && cell <= m_selEnd;
                if (selected) {
                    RECT back = rc;
                    if (part != HEX_PART_CHARS) {
                        back.left += s / 2;
                        back.right -= s / 2;
                    }
                    Fill(dc, back, m_colors[4]);
                }
                ::SetTextColor(dc, !enabled ? m_disabledText : selected ? m_colors[3] : text);
                const std::wstring t = Wide(HexCellText(part, m_data[cell], m_bLower));
                ::DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &rc,
                            DT_SINGLELINE | DT_CENTER | DT_NOPREFIX | DT_NOCLIP);
            }
        }
        if (m_style & HEXDUMP_STYLE_SEPARATORS)
            Line(dc, l.parts[part].right - 1, l.dataTop, l.parts[part].right - 1, client.bottom, lines);
    }
}

void CHexDumpCtrl::UpdateScrollBar(const HEXDUMP_LAYOUT& l) {
    const CRect client = GetClientRect();
    const int cx = ::GetSystemMetrics(SM_CXVSCROLL);
    if (!m_hScroll) {
        m_hScroll = ::CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_RIGHTALIGN,
                                      client.right - cx, 0, cx, client.Height(), m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHexScrollBarId)),
                                      ::GetModuleHandleW(nullptr), nullptr);
    }
    if (!m_hScroll) return;
    ::EnableWindow(m_hScroll, IsWindowEnabled());
    ::MoveWindow(m_hScroll, client.right - cx, 0, cx, client.Height(), FALSE);
    const size_t n = static_cast<size_t>(std::max(1, l.cellsPerLine));
    const size_t lines = (m_data.size() + n - 1) / n;
    const size_t pageLines = static_cast<size_t>(l.cellsPerPage) / n;
    const int range = lines > pageLines ? static_cast<int>(std::min<size_t>(lines - pageLines, 0x7FFFFFFF)) : 0;
    ::SetScrollRange(m_hScroll, SB_CTL, 0, range, FALSE);
    ::SetScrollPos(m_hScroll, SB_CTL, static_cast<int>(m_firstVisible / n), TRUE);
    ::ShowWindow(m_hScroll, range > 0 ? SW_SHOWNA : SW_HIDE);
}

void CHexDumpCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC paint = ::BeginPaint(m_hWnd, &ps);
    if (m_selStart >= m_data.size()) m_selStart = m_selEnd = m_anchor = 0;
    Relayout();
    const HEXDUMP_LAYOUT l = m_layout;
    UpdateScrollBar(l);
    if (m_hScroll && ::IsWindowVisible(m_hScroll) && !m_data.empty()) {
        RECT bar;
        ::GetWindowRect(m_hScroll, &bar);
        ScreenToClient(bar);
        ::ExcludeClipRect(paint, bar.left, bar.top, bar.right, bar.bottom);
    }
    const CRect client = GetClientRect();
    const bool enabled = IsWindowEnabled() != FALSE;
    {
        ::SetBkColor(paint, enabled ? m_colors[0] : m_disabledBack);
        CMemDC dc(paint, &client);
        Fill(dc, client, enabled ? m_colors[0] : m_disabledBack);
        if (l.valid) {
            HGDIOBJ oldFont = ::SelectObject(dc, m_hFont);
            ::SetBkMode(dc, TRANSPARENT);
            const COLORREF text = enabled ? m_colors[2] : m_disabledText;
            PaintValueBar(dc, l, text);
            PaintParts(dc, l, text);
            if (m_style & HEXDUMP_STYLE_HOVER) DrawHover(dc, false);
            if (m_bFocus) ::DrawFocusRect(dc, &client);
            ::SelectObject(dc, oldFont);
        }
    }
    ::EndPaint(m_hWnd, &ps);
}

void CHexDumpCtrl::DrawHover(HDC dc, bool erase) {
    if (::IsRectEmpty(&m_hoverRect)) return;
    HBRUSH brush = ::CreateSolidBrush(erase ? m_colors[0] : m_colors[9]);
    ::FrameRect(dc, &m_hoverRect, brush);
    ::DeleteObject(brush);
}

// ---- Input

void CHexDumpCtrl::ScrollToFirst(size_t first) {
    if (first == m_firstVisible) return;
    m_firstVisible = first;
    Invalidate(FALSE);
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    OnMouseMove(pt);
}

void CHexDumpCtrl::OnKeyDown(UINT key) {
    if (m_data.empty()) return;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    HexKey move;
    switch (key) {
    case VK_HOME: move = ctrl ? HexKey::CtrlHome : HexKey::Home; break;
    case VK_END: move = ctrl ? HexKey::CtrlEnd : HexKey::End; break;
    case VK_LEFT: move = HexKey::Left; break;
    case VK_RIGHT: move = HexKey::Right; break;
    case VK_UP: move = HexKey::Up; break;
    case VK_DOWN: move = HexKey::Down; break;
    case VK_PRIOR: move = HexKey::PageUp; break;
    case VK_NEXT: move = HexKey::PageDown; break;
    default: return;
    }
    const size_t n = static_cast<size_t>(std::max(1, m_cellsPerLine));
    const HEXDUMP_MOVE result = HexKeyMove(move, m_selStart, n, static_cast<size_t>(m_cellsPerPage), m_data.size());
    if (result.select) m_selStart = m_selEnd = m_anchor = result.scrollTo;
    if (result.scroll)
        m_firstVisible = HexScrollIntoView(result.scrollTo, m_firstVisible, n, static_cast<size_t>(m_cellsPerPage));
    Invalidate(FALSE);
}

void CHexDumpCtrl::OnMouseMove(POINT pt) {
    int part = -1;
    size_t cell = 0;
    const bool hit = HexHitTest(m_layout, m_parts, pt.x, pt.y, m_firstVisible, m_data.size(), &part, &cell);
    RECT oldHover = m_hoverRect;
    m_hoverPart = hit ? part : -1;
    m_hoverCell = cell;
    m_hoverRect = RECT{};
    if (hit) {
        const size_t n = static_cast<size_t>(std::max(1, m_cellsPerLine));
        const size_t offset = cell - m_firstVisible;
        m_hoverRect = Win(HexCellRect(m_layout, part, static_cast<int>(offset / n), static_cast<int>(offset % n)));
        if (m_bSelecting) {
            const size_t first = std::min(m_anchor, cell), last = std::max(m_anchor, cell);
            if (first != m_selStart || last != m_selEnd) {
                m_selStart = first;
                m_selEnd = last;
                Invalidate(FALSE);
            }
        }
    }
    if (!::EqualRect(&oldHover, &m_hoverRect)) {
        ::InvalidateRect(m_hWnd, &oldHover, FALSE);
        ::InvalidateRect(m_hWnd, &m_hoverRect, FALSE);
    }
    if (m_layout.valueBar.Height() > 0) {
        const RECT bar = Win(m_layout.valueBar);
        ::InvalidateRect(m_hWnd, &bar, FALSE);
    }
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        m_bTracking = ::TrackMouseEvent(&tme) != FALSE;
    }
}

void CHexDumpCtrl::OnLButtonDown(POINT pt) {
    SetFocus();
    int part = -1;
    size_t cell = 0;
    if (!HexHitTest(m_layout, m_parts, pt.x, pt.y, m_firstVisible, m_data.size(), &part, &cell)) return;
    m_selStart = m_selEnd = m_anchor = cell;
    m_firstVisible = HexScrollIntoView(cell, m_firstVisible, static_cast<size_t>(std::max(1, m_cellsPerLine)),
                                       static_cast<size_t>(m_cellsPerPage));
    if (m_style & HEXDUMP_STYLE_RANGE) {
        m_bSelecting = true;
        ::SetCapture(m_hWnd);
    }
    Invalidate(FALSE);
}

void CHexDumpCtrl::OnVScroll(int code) {
    if (!m_hScroll) return;
    const size_t n = static_cast<size_t>(std::max(1, m_cellsPerLine));
    const long long pageLines = std::max(1, m_cellsPerPage / static_cast<int>(n));
    int low = 0, high = 0;
    ::GetScrollRange(m_hScroll, SB_CTL, &low, &high);
    long long line = static_cast<long long>(m_firstVisible / n);
    switch (code) {
    case SB_LINEUP: line -= 1; break;
    case SB_LINEDOWN: line += 1; break;
    case SB_PAGEUP: line -= pageLines; break;
    case SB_PAGEDOWN: line += pageLines; break;
    case SB_THUMBTRACK: {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(m_hScroll, SB_CTL, &si);
        line = si.nTrackPos;
        break;
    }
    case SB_TOP: line = low; break;
    case SB_BOTTOM: line = high; break;
    default: return;
    }
    line = std::max<long long>(low, std::min<long long>(line, high));
    ScrollToFirst(static_cast<size_t>(line) * n);
}

bool CHexDumpCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: OnPaint(); result = 0; return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wp)); result = 0; return true;
    case WM_GETDLGCODE: result = DLGC_WANTARROWS; return true;
    case WM_MOUSEMOVE: OnMouseMove(PointArg(lp)); result = 0; return true;
    case WM_MOUSELEAVE:
        m_bTracking = false;
        ::InvalidateRect(m_hWnd, &m_hoverRect, FALSE);
        m_hoverRect = RECT{};
        m_hoverPart = -1;
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(PointArg(lp)); result = 0; return true;
    case WM_LBUTTONUP:
        if (m_bSelecting) ::ReleaseCapture();
        m_bSelecting = false;
        result = 0;
        return true;
    case WM_RBUTTONDOWN: result = 0; return true;
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lp) != m_hScroll) return false;
        OnVScroll(LOWORD(wp));
        result = 0;
        return true;
    case WM_MOUSEWHEEL:
        OnVScroll(static_cast<short>(HIWORD(wp)) < 0 ? SB_LINEDOWN : SB_LINEUP);
        result = 0;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_bFocus = msg == WM_SETFOCUS;
        Invalidate(FALSE);
        result = 0;
        return true;
    case WM_ENABLE: Invalidate(FALSE); result = 0; return true;
    case WM_SIZE:
        Relayout();
        // A new width can change the cells per line and a new height the
        // page: the view keeps its first line but never scrolls past the
        // scroll bar's range.
        m_firstVisible = HexClampFirstVisible(m_firstVisible, static_cast<size_t>(std::max(1, m_cellsPerLine)),
                                              static_cast<size_t>(std::max(0, m_cellsPerPage)), m_data.size());
        return false;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
