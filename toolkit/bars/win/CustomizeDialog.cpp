#include "toolkit/bars/win/CustomizeDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "framework/MsgArgs.h"
#include "toolkit/bars/BarState.h"
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx {

namespace {

CCustomizeDialog* g_current = nullptr; // the open dialog
CToolBarEx* g_hookToolBar = nullptr;   // the toolbar whose dialog is awaited
HHOOK g_cbtHook = nullptr;

const wchar_t* const kTextOptionNames[] = {L"Show text labels", L"Selective text on right", L"No text labels"};
const wchar_t* const kSmallIcons = L"Small icons";
const wchar_t* const kSeparator = L"Separator";

// The options dialog: 179 x 34 dialog units, a label and a drop-down list
// for the text option, then the same for the icon option.
class TemplateWriter {
public:
    void Align() {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    void Word(WORD w) {
        m_bytes.push_back(static_cast<BYTE>(w & 0xFF));
        m_bytes.push_back(static_cast<BYTE>(w >> 8));
    }
    void Dword(DWORD d) {
        Word(static_cast<WORD>(d & 0xFFFF));
        Word(static_cast<WORD>(d >> 16));
    }
    void Text(const wchar_t* text) {
        for (; *text; ++text) Word(static_cast<WORD>(*text));
        Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    std::vector<BYTE> Take() { return std::move(m_bytes); }

private:
    std::vector<BYTE> m_bytes;
};

std::vector<BYTE> OptionsTemplate() {
    constexpr WORD kStatic = 0x0082, kCombo = 0x0085;
    constexpr DWORD kComboStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    TemplateWriter w;
    w.Dword(WS_CHILD | DS_CONTROL | DS_SETFONT | DS_3DLOOK);
    w.Dword(WS_EX_CONTROLPARENT);
    w.Word(4);
    for (short v : {0, 0, 179, 34}) w.Word(static_cast<WORD>(v));
    w.Word(0); // no menu
    w.Word(0); // the dialog class
    w.Word(0); // no title
    w.Word(8);
    w.Text(L"MS Shell Dlg");
    w.Item(SS_LEFT, 4, 5, 60, 8, 0xFFFF, kStatic, L"Te&xt options:");
    w.Item(kComboStyle, 66, 3, 109, 60, IDC_OPTIONS_TEXT, kCombo, L"");
    w.Item(SS_LEFT, 4, 21, 60, 8, 0xFFFF, kStatic, L"Ico&n options:");
    w.Item(kComboStyle, 66, 19, 109, 60, IDC_OPTIONS_ICON, kCombo, L"");
    return w.Take();
}

void AddOption(HWND combo, const wchar_t* text, int option) {
    LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), option);
}

void SelectOption(HWND combo, int option) {
    int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == option) {
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
}

RECT ToRect(const LayoutRect& rc) { return RECT{rc.left, rc.top, rc.right, rc.bottom}; }

void Fill(HDC dc, const RECT& rc, COLORREF colour) {
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void Draw3dFrame(HDC dc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    Fill(dc, RECT{rc.left, rc.top, rc.left + w - 1, rc.top + 1}, topLeft);
    Fill(dc, RECT{rc.left, rc.top, rc.left + 1, rc.top + h - 1}, topLeft);
    Fill(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
    Fill(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
}

void DrawItemText(HDC dc, const std::wstring& text, RECT rc, COLORREF colour) {
    COLORREF old = ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SetTextColor(dc, old);
}

} // namespace

// ---- options dialog

COptionsDialog::COptionsDialog(CToolBarEx* toolBar) : m_pToolBar(toolBar) {
    if (toolBar) {
        m_nTextOption = toolBar->GetTextOption();
        m_nIconOption = toolBar->GetIconOption();
    }
}

BOOL COptionsDialog::Create(HWND parent) {
    m_template = OptionsTemplate();
    return CreateIndirect(reinterpret_cast<const DLGTEMPLATE*>(m_template.data()), parent);
}

BOOL COptionsDialog::OnInitDialog() {
    HWND text = GetDlgItem(IDC_OPTIONS_TEXT);
    HWND icon = GetDlgItem(IDC_OPTIONS_ICON);
    for (int option = 0; option < kTextOptionCount; ++option)
        if (m_pToolBar->IsTextOptionAvailable(option)) AddOption(text, kTextOptionNames[option], option);
    SelectOption(text, m_nTextOption);
    // Large icons are not offered.
    if (m_pToolBar->IsIconOptionAvailable(0)) AddOption(icon, kSmallIcons, 0);
    SelectOption(icon, m_nIconOption);
    return TRUE;
}

void COptionsDialog::SelectTextOption(int option) {
    m_nTextOption = option;
    SelectOption(GetDlgItem(IDC_OPTIONS_TEXT), option);
}

void COptionsDialog::SelectIconOption(int option) {
    m_nIconOption = option;
    SelectOption(GetDlgItem(IDC_OPTIONS_ICON), option);
}

void COptionsDialog::OnSelChange(UINT comboId) {
    HWND combo = GetDlgItem(static_cast<int>(comboId));
    LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    int option = static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    CCustomizeDialog* owner = CCustomizeDialog::Current();
    if (comboId == IDC_OPTIONS_TEXT) {
        m_nTextOption = option;
        if (owner) owner->SetTextOption(option, false);
        else m_pToolBar->SetTextOption(option, true);
    } else {
        m_nIconOption = option;
        if (owner) owner->SetIconOption(option, false);
        else m_pToolBar->SetIconOptions(option, true);
    }
}

bool COptionsDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE &&
        (LOWORD(wp) == IDC_OPTIONS_TEXT || LOWORD(wp) == IDC_OPTIONS_ICON)) {
        OnSelChange(LOWORD(wp));
        result = 0;
        return true;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

// ---- customize dialog

CCustomizeDialog::CCustomizeDialog(CToolBarEx* toolBar) : m_options(toolBar), m_pToolBar(toolBar) {}

CCustomizeDialog::~CCustomizeDialog() {
    if (g_current == this) g_current = nullptr;
}

CCustomizeDialog* CCustomizeDialog::Current() { return g_current; }

void CCustomizeDialog::InstallHook(CToolBarEx* toolBar) {
    g_hookToolBar = toolBar;
    if (!g_cbtHook) g_cbtHook = ::SetWindowsHookExW(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
}

void CCustomizeDialog::RemoveHook() {
    if (g_cbtHook) ::UnhookWindowsHookEx(g_cbtHook);
    g_cbtHook = nullptr;
    g_hookToolBar = nullptr;
}

bool CCustomizeDialog::IsHookInstalled() { return g_cbtHook != nullptr; }

CToolBarEx* CCustomizeDialog::HookToolBar() { return g_hookToolBar; }

LRESULT CALLBACK CCustomizeDialog::CbtHook(int code, WPARAM wp, LPARAM lp) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    if (code == HCBT_CREATEWND && !g_current && g_hookToolBar) {
        wchar_t cls[16] = {};
        ::GetClassNameW(hwnd, cls, 16);
        if (::lstrcmpW(cls, L"#32770") == 0) {
            auto* dialog = new CCustomizeDialog(g_hookToolBar);
            if (dialog->SubclassWindow(hwnd)) g_current = dialog;
            else delete dialog;
        }
    } else if (code == HCBT_DESTROYWND && g_current && g_current->m_hWnd == hwnd) {
        g_current = nullptr;
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

int CCustomizeDialog::CellSize() const { return CustomizeCellSize(m_pToolBar->GetIconOption()); }

void CCustomizeDialog::OnInitDialog() {
    if (!m_options.Create(m_hWnd)) return;
    CRect client = GetClientRect();
    CRect options = m_options.GetWindowRect();
    m_options.SetWindowPos(nullptr, 0, client.bottom, client.Width(), options.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    CRect window = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, window.Width(), window.Height() + options.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CCustomizeDialog::ListsCarryOurItemData() const {
    HWND list = GetDlgItem(IDC_CUSTOMIZE_CURRENT);
    if (!list) return false;
    std::vector<int64_t> data;
    int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        data.push_back(static_cast<int64_t>(::SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    std::vector<int32_t> toolbar, records;
    for (int i = 0; i < m_pToolBar->GetCount(); ++i) {
        TBBUTTON b{};
        m_pToolBar->SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        toolbar.push_back((b.fsStyle & BTNS_SEP) ? 0 : b.idCommand);
    }
    for (const TBBUTTONEX& r : m_pToolBar->GetButtonRecords())
        records.push_back((r.tbinfo.fsStyle & BTNS_SEP) ? 0 : r.tbinfo.idCommand);
    return CustomizeListMatchesToolbar(data, toolbar, records);
}

void CCustomizeDialog::SetTextOption(int option, bool selectOnly) {
    if (selectOnly) m_options.SelectTextOption(option);
    else m_pToolBar->SetTextOption(option, true);
}

void CCustomizeDialog::SetIconOption(int option, bool selectOnly) {
    if (selectOnly) m_options.SelectIconOption(option);
    else m_pToolBar->SetIconOptions(option, true);
    int cell = CustomizeCellSize(option);
    for (UINT id : {IDC_CUSTOMIZE_AVAILABLE, IDC_CUSTOMIZE_CURRENT}) {
        HWND list = GetDlgItem(static_cast<int>(id));
        if (!list) continue;
        ::SendMessageW(list, LB_SETITEMHEIGHT, 0, cell);
        ::InvalidateRect(list, nullptr, TRUE);
    }
}

bool CCustomizeDialog::DrawListItem(const DRAWITEMSTRUCT& draw) {
    if (draw.itemID == static_cast<UINT>(-1)) return false;
    const std::vector<TBBUTTONEX>& records = m_pToolBar->GetButtonRecords();
    if (!m_bDrawItems) return false;
    auto data = static_cast<int64_t>(::SendMessageW(draw.hwndItem, LB_GETITEMDATA, draw.itemID, 0));
    CustomizeListItem item = DecodeCustomizeItem(data, records.size());
    const TBBUTTON* button = item.separator ? nullptr : &records[static_cast<size_t>(item.record)].tbinfo;
    if (button && (button->fsStyle & BTNS_SEP)) button = nullptr;
    // A button's image is its record's; anything else is not ours to draw.
    if (button && static_cast<int16_t>(button->iBitmap & 0xFFFF) != item.image) return false;

    HDC dc = draw.hDC;
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    LayoutRect itemRect{draw.rcItem.left, draw.rcItem.top, draw.rcItem.right, draw.rcItem.bottom};
    CustomizeItemRects parts = CustomizeItemLayout(itemRect, CellSize());
    RECT cell = ToRect(parts.cell), text = ToRect(parts.text), highlight = ToRect(parts.highlight);
    COLORREF back = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    Fill(dc, cell, ::GetSysColor(COLOR_BTNFACE));
    Fill(dc, highlight, back);
    if (draw.itemState & ODS_FOCUS) {
        HBRUSH inverse = ::CreateSolidBrush(RGB(GetRValue(back) ^ 255, GetGValue(back) ^ 255, GetBValue(back) ^ 255));
        RECT focus = highlight;
        ::InflateRect(&focus, -2, -2);
        ::FrameRect(dc, &focus, inverse);
        ::DeleteObject(inverse);
    }

    std::wstring label = kSeparator;
    if (button) m_pToolBar->GetButtonText(static_cast<UINT>(button->idCommand), label);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    bool endMarker = draw.CtlID == IDC_CUSTOMIZE_CURRENT &&
                     static_cast<int>(draw.itemID) == static_cast<int>(::SendMessageW(draw.hwndItem, LB_GETCOUNT, 0, 0)) - 1;
    if (endMarker) {
        if (selected) {
            DrawItemText(dc, label, text, ::GetSysColor(COLOR_GRAYTEXT));
        } else {
            RECT raised = text;
            ::OffsetRect(&raised, 1, 1);
            DrawItemText(dc, label, raised, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawItemText(dc, label, text, ::GetSysColor(COLOR_BTNSHADOW));
        }
    } else {
        DrawItemText(dc, label, text, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    }
    ::SetBkMode(dc, oldMode);

    RECT inner = cell;
    ::InflateRect(&inner, -3, -3);
    if (button && item.image >= 0) {
        if (selected) Draw3dFrame(dc, cell, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
        auto hot = reinterpret_cast<HIMAGELIST>(m_pToolBar->SendMessage(TB_GETHOTIMAGELIST));
        auto normal = reinterpret_cast<HIMAGELIST>(m_pToolBar->SendMessage(TB_GETIMAGELIST));
        HIMAGELIST images = selected && hot ? hot : normal;
        if (images) ::ImageList_Draw(images, item.image, dc, inner.left, inner.top, ILD_TRANSPARENT);
    } else if (!button && !endMarker) {
        int middle = (inner.top + inner.bottom) / 2;
        Fill(dc, RECT{inner.left, middle - 1, inner.right, middle}, ::GetSysColor(COLOR_BTNSHADOW));
        Fill(dc, RECT{inner.left, middle, inner.right, middle + 1}, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    return true;
}

bool CCustomizeDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = Default();
        m_bDrawItems = ListsCarryOurItemData();
        return true;
    case WM_CTLCOLORLISTBOX:
        if (IsButtonList(static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(lp))))) {
            result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        break;
    case WM_MEASUREITEM: {
        auto* measure = StructArg<MEASUREITEMSTRUCT>(lp);
        if (measure && measure->CtlType == ODT_LISTBOX && IsButtonList(measure->CtlID)) {
            measure->itemHeight = static_cast<UINT>(CellSize());
            result = TRUE;
            return true;
        }
        break;
    }
    case WM_DRAWITEM: {
        auto* draw = StructArg<DRAWITEMSTRUCT>(lp);
        if (draw && draw->CtlType == ODT_LISTBOX && IsButtonList(draw->CtlID) && DrawListItem(*draw)) {
            result = TRUE;
            return true;
        }
        break;
    }
    case WM_HELP:
        result = Default();
        return true;
    case WM_COMMAND:
        return false; // the common dialog's own buttons
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
