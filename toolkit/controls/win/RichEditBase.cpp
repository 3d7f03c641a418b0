#include "toolkit/controls/win/RichEditBase.h"

#include <algorithm>
#include <cstring>

#include "framework/MsgArgs.h"
#include "framework/SystemLibrary.h"
#include "framework/WinApp.h"

namespace brx {

namespace {

struct FontSearch {
    const wchar_t* face;
    BYTE pitch;
    bool found;
};

int CALLBACK OnFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
    auto* search = reinterpret_cast<FontSearch*>(param);
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, font->lfFaceName, -1, search->face, -1) == CSTR_EQUAL &&
        (font->lfPitchAndFamily & search->pitch)) {
        search->found = true;
        return 0;
    }
    return 1;
}

struct RtfSource {
    const char* data;
    size_t length;
    size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* read) {
    auto* source = reinterpret_cast<RtfSource*>(cookie);
    const size_t left = source->length - source->at;
    if (left == 0) {
        *read = 0;
        return 1;  // everything delivered: the stream ends
    }
    const size_t n = left < static_cast<size_t>(count) ? left : static_cast<size_t>(count);
    std::memcpy(buffer, source->data + source->at, n);
    source->at += n;
    *read = static_cast<LONG>(n);
    return 0;
}

} // namespace

bool ScreenHasFont(const wchar_t* face, BYTE pitch) {
    FontSearch search{face, pitch, false};
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesW(dc, face, reinterpret_cast<FONTENUMPROCW>(&OnFontFamily), reinterpret_cast<LPARAM>(&search));
    ::ReleaseDC(nullptr, dc);
    return search.found;
}

CRichEditBase::CRichEditBase() : m_hRichEdit(LoadSystemLibrary(L"RichEd20.dll")), m_probe(&ScreenHasFont) {}

CRichEditBase::~CRichEditBase() {
    if (m_hWnd) DestroyWindow();
    if (m_hRichEdit) ::FreeLibrary(m_hRichEdit);
}

BOOL CRichEditBase::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, WindowClass(), nullptr, style | WS_CHILD, rect, parent, id);
}

BOOL CRichEditBase::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.cx = 100;
    cs.cy = 100;
    cs.style |= WS_CLIPSIBLINGS;
    return TRUE;
}

void CRichEditBase::ChooseFonts() {
    m_proportional.clear();
    for (const wchar_t* face : {L"Arial", L"Tahoma", L"Verdana"}) {
        if (m_probe(face, VARIABLE_PITCH)) {
            m_proportional = face;
            break;
        }
    }
    m_fixed.clear();
    for (const wchar_t* face : {L"Courier New", L"Courier"}) {
        if (m_probe(face, FIXED_PITCH)) {
            m_fixed = face;
            break;
        }
    }
}

void CRichEditBase::InitFormat() {
    ChooseFonts();
    CHARFORMATW cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_SIZE | CFM_FACE;
    cf.yHeight = 160;
    cf.bPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(cf.szFaceName, m_proportional.c_str(), LF_FACESIZE);
    SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    HDC dc = ::GetDC(m_hWnd);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    const int dpi = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSX));
    ::ReleaseDC(m_hWnd, dc);
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_STARTINDENT;
    pf.dxStartIndent = tm.tmAveCharWidth * 1440 / dpi;  // one average character, in twips
    SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    SetTabStops(20, 40, 80);
}

void CRichEditBase::SetTabStops(int first, int second, int third) {
    HDC dc = ::GetDC(m_hWnd);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(m_hWnd, dc);
    // A font without an average width, or a context without a resolution,
    // gives no tab positions rather than a division by zero.
    const int perChar = tm.tmAveCharWidth > 0 && dpi / tm.tmAveCharWidth > 0 ? 1440 / (dpi / tm.tmAveCharWidth) : 0;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    SendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    pf.dwMask = PFM_TABSTOPS;
    pf.cTabCount = 3;
    pf.rgxTabs[0] = first * perChar;
    pf.rgxTabs[1] = second * perChar;
    pf.rgxTabs[2] = third * perChar;
    SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

BOOL CRichEditBase::Stream(const char* data, size_t length, int format) {
    if (length > 0x7FFF) SendMessage(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(length));
    RtfSource source{data, data ? length : 0, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &ReadRtf;
    SendMessage(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

BOOL CRichEditBase::SetRtf(const char* data, size_t length) { return Stream(data, length, SF_RTF); }

BOOL CRichEditBase::ReplaceSelRtf(const char* data, size_t length) {
    return Stream(data, length, SF_RTF | SFF_SELECTION);
}

void CRichEditBase::AppendText(DWORD effects, COLORREF color, int font, const wchar_t* text) {
    if (!text) return;
    CHARRANGE end{-1, -1};
    SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMATW cf{};
    cf.cbSize = sizeof(cf);
    SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE | CFM_COLOR;
    cf.dwEffects = effects & ~CFE_AUTOCOLOR;
    cf.crTextColor = color;
    lstrcpynW(cf.szFaceName, (font == 1 ? m_fixed : m_proportional).c_str(), 32);
    SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void CRichEditBase::AppendNewLine() {
    CHARRANGE end{-1, -1};
    SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\r\n"));
}

CRichEditBase::MenuState CRichEditBase::GetMenuState() const {
    GETTEXTLENGTHEX gtl{GTL_DEFAULT, 1200};
    LRESULT length = SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
    if (length == E_INVALIDARG || length < 0) length = 0;
    CHARRANGE sel{};
    SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    MenuState state;
    state.copy = sel.cpMin != sel.cpMax;
    // Everything is selected when the selection reaches the end of the text
    // (the control counts its final paragraph mark as one more character).
    state.selectAll = length > 0 && !(sel.cpMin == 0 && sel.cpMax >= length);
    return state;
}

UINT CRichEditBase::TrackMenu(HMENU menu, POINT screen) {
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : m_hWnd;
    return static_cast<UINT>(::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, screen.x,
                                                screen.y, owner, nullptr));
}

void CRichEditBase::OnContextMenu(POINT pt) {
    const MenuState state = GetMenuState();
    if (pt.x == -1 && pt.y == -1) {
        CHARRANGE sel{};
        SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        POINTL at{};
        SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), sel.cpMax);
        pt = POINT{at.x, at.y};
        const CRect client = GetClientRect();
        if (!::PtInRect(&client, pt)) pt = POINT{client.left + 5, client.top + 5};
        ::ClientToScreen(m_hWnd, &pt);
    }
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    ::AppendMenuW(menu, MF_STRING | (state.copy ? 0 : MF_GRAYED), ID_EDIT_COPY_TEXT, L"&Copy\tCtrl+C");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING | (state.selectAll ? 0 : MF_GRAYED), ID_EDIT_SELECT_ALL_TEXT,
                  L"&Select All\tCtrl+A");
    const UINT command = TrackMenu(menu, pt);
    ::DestroyMenu(menu);
    if (command == ID_EDIT_SELECT_ALL_TEXT) {
        ::LockWindowUpdate(m_hWnd);
        POINT scroll{};
        SendMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
        CHARRANGE all{0, -1};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
        SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
        ::LockWindowUpdate(nullptr);
    } else if (command == ID_EDIT_COPY_TEXT) {
        SendMessage(WM_COPY);
    }
}

bool CRichEditBase::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_SETFOCUS:
        result = Default();
        ::HideCaret(m_hWnd);
        return true;
    case WM_SHOWWINDOW:
        result = Default();
        if (wp) ::HideCaret(m_hWnd);
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(PointArg(lp));
        result = 0;
        return true;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
