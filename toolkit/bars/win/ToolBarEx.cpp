#include "toolkit/bars/win/ToolBarEx.h"

#include <algorithm>
#include <cstring>

#include "framework/MsgArgs.h"
#include "framework/Resource.h"
#include "toolkit/bars/BarState.h"
#include "toolkit/bars/win/CustomizeDialog.h"
#include "toolkit/bars/win/ToolBarPopup.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/VersionClass.h"

namespace brx {

namespace {

constexpr DWORD kCtrlStyle = TBSTYLE_TRANSPARENT | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS;

bool IsSeparator(const TBBUTTON& b) { return (b.fsStyle & BTNS_SEP) != 0; }

// Copies text into a buffer of capacity characters, cut to fit, terminated.
void CopyText(const std::wstring& text, wchar_t* out, int capacity) {
    if (!out || capacity <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    text.copy(out, n);
    out[n] = L'\0';
}

} // namespace

CToolBarEx::CToolBarEx() : m_nVersionClass(GetWindowsVersionClass()) {}

CToolBarEx::~CToolBarEx() {
    if (CCustomizeDialog::IsHookInstalled() && CCustomizeDialog::HookToolBar() == this) CCustomizeDialog::RemoveHook();
    DestroyWindow();
    for (HIMAGELIST& list : m_images)
        if (list) ::ImageList_Destroy(list);
}

BOOL CToolBarEx::Create(HWND parent, DWORD style, UINT id) {
    if (!CreateEx(parent, kCtrlStyle, style & ~CBRS_TOOLTIPS, CRect(0, 0, 0, 0), id)) return FALSE;
    SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    return TRUE;
}

void CToolBarEx::SetBitmaps(int smallNormal, int smallHot, int smallDisabled, int largeNormal, int largeHot,
                            int largeDisabled, int iconOption, COLORREF mask) {
    const int ids[6] = {smallNormal, smallHot, smallDisabled, largeNormal, largeHot, largeDisabled};
    std::copy(ids, ids + 6, m_bitmaps);
    m_clrMask = mask;
    m_nDefaultIconOption = ClampIconOption(iconOption);
    SetIconOptions(m_nDefaultIconOption, true);
}

void CToolBarEx::DeleteAllButtons() {
    for (int i = GetCount() - 1; i >= 0; --i) SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(i));
}

void CToolBarEx::SetButtons(int count, const TBBUTTONEX* buttons, int textOption) {
    DeleteAllButtons();
    m_buttons.clear();
    for (int i = 0; i < count && buttons; ++i) {
        if (buttons[i].bInitiallyVisible) SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&buttons[i].tbinfo));
        m_buttons.push_back(buttons[i]);
    }
    m_nDefaultTextOption = ClampTextOption(textOption);
    SetTextOption(m_nDefaultTextOption, true);
}

const TBBUTTONEX* CToolBarEx::FindRecord(int id) const {
    for (const TBBUTTONEX& record : m_buttons)
        if (!IsSeparator(record.tbinfo) && record.tbinfo.idCommand == id) return &record;
    return nullptr;
}

void CToolBarEx::GetButtonText(UINT id, std::wstring& text) {
    std::wstring full = LoadStringResource(id);
    size_t newline = full.find(L'\n');
    text = newline == std::wstring::npos ? std::wstring() : full.substr(newline + 1);
}

bool CToolBarEx::HasButtonTip(UINT id) { return ToolbarButtonHasTip(m_nTextOption, HasButtonText(id)); }

void CToolBarEx::SetTextOption(int option, bool relayout) {
    m_nTextOption = option;
    if (option == 1) {
        ModifyStyle(0, TBSTYLE_LIST);
        SendMessage(TB_SETEXTENDEDSTYLE, 0, SendMessage(TB_GETEXTENDEDSTYLE) | TBSTYLE_EX_MIXEDBUTTONS);
    } else {
        ModifyStyle(TBSTYLE_LIST, 0);
        SendMessage(TB_SETEXTENDEDSTYLE, 0, SendMessage(TB_GETEXTENDEDSTYLE) & ~TBSTYLE_EX_MIXEDBUTTONS);
    }
    SendMessage(TB_SETMAXTEXTROWS, option == 2 ? 0 : 1);
    if (option == 0) SendMessage(TB_SETBUTTONWIDTH, 0, MAKELPARAM(0, 76));
    for (TBBUTTONEX& record : m_buttons) {
        TBBUTTON& b = record.tbinfo;
        if (IsSeparator(b)) continue;
        std::wstring text;
        GetButtonText(static_cast<UINT>(b.idCommand), text);
        text.push_back(L'\0'); // the pool takes a double-terminated list
        b.iString = SendMessage(TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(text.c_str()));
        switch (option) {
        case 0: b.fsStyle &= static_cast<BYTE>(~(BTNS_SHOWTEXT | BTNS_AUTOSIZE)); break;
        case 1:
            b.fsStyle |= BTNS_AUTOSIZE;
            if (HasButtonText(static_cast<UINT>(b.idCommand))) b.fsStyle |= BTNS_SHOWTEXT;
            else b.fsStyle &= static_cast<BYTE>(~BTNS_SHOWTEXT);
            break;
        default: b.fsStyle = static_cast<BYTE>((b.fsStyle & ~BTNS_SHOWTEXT) | BTNS_AUTOSIZE); break;
        }
    }
    if (relayout) {
        RefreshButtons();
        UpdateBandSize();
    }
}

void CToolBarEx::ReplaceImageList(UINT msg, int resource, int size) {
    int slot = msg == TB_SETIMAGELIST ? 0 : msg == TB_SETHOTIMAGELIST ? 1 : 2;
    HIMAGELIST list = nullptr;
    if (resource != -1)
        list = ::ImageList_LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), size, 0, m_clrMask,
                                      IMAGE_BITMAP, LR_CREATEDIBSECTION);
    SendMessage(msg, 0, reinterpret_cast<LPARAM>(list));
    if (m_images[slot]) ::ImageList_Destroy(m_images[slot]);
    m_images[slot] = list;
}

void CToolBarEx::SetIconOptions(int option, bool relayout) {
    m_nIconOption = option;
    int size = option == 1 ? 24 : 16;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    int base = option == 1 ? 3 : 0;
    if (m_bitmaps[base] != -1) {
        ReplaceImageList(TB_SETIMAGELIST, m_bitmaps[base], size);
        if (m_bitmaps[base + 1] != -1) ReplaceImageList(TB_SETHOTIMAGELIST, m_bitmaps[base + 1], size);
        if (m_bitmaps[base + 2] != -1) ReplaceImageList(TB_SETDISABLEDIMAGELIST, m_bitmaps[base + 2], size);
    }
    if (relayout) {
        RefreshButtons();
        UpdateBandSize();
    }
}

void CToolBarEx::RefreshButtons() {
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!SendMessage(TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&button))) break;
        if (!IsSeparator(button))
            if (const TBBUTTONEX* record = FindRecord(button.idCommand)) {
                BYTE state = button.fsState;
                button = record->tbinfo;
                button.fsState = state; // enabled and checked come from the update pass
            }
        SendMessage(TB_DELETEBUTTON, 0);
        SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
}

void CToolBarEx::UpdateBandSize() {
    SendMessage(TB_AUTOSIZE);
    int height = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    int width = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CRect rc = GetItemRect(i);
        width += rc.Width();
        height = std::max(height, static_cast<int>(rc.Height()));
    }
    SetBandChildSize(m_hWnd, height, width);
    Invalidate();
}

void CToolBarEx::Reset() {
    DeleteAllButtons();
    for (const TBBUTTONEX& record : m_buttons)
        if (record.bInitiallyVisible) SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&record.tbinfo));
    SetIconOptions(m_nDefaultIconOption, false);
    SetTextOption(m_nDefaultTextOption, false);
    RefreshButtons();
    UpdateBandSize();
}

LRESULT CToolBarEx::OnCustomDraw(NMTBCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if ((draw.nmcd.uItemState & CDIS_CHECKED) && (draw.nmcd.uItemState & CDIS_HOT)) draw.hbrMonoDither = nullptr;
        return 0;
    }
    return 0;
}

LRESULT CToolBarEx::OnSave(NMTBSAVE& save) {
    if (save.iItem != -1) return 0;
    // The options go in front of the control's button records.
    DWORD size = save.cbData + static_cast<DWORD>(kToolbarOptionBytes);
    auto* block = static_cast<BYTE*>(::GlobalAlloc(GMEM_FIXED, size));
    if (!block) return 0;
    EncodeToolbarOptions(m_nTextOption, m_nIconOption, block);
    if (save.pData) {
        std::memcpy(block + kToolbarOptionBytes, save.pData, save.cbData);
        ::GlobalFree(save.pData);
    }
    save.pData = reinterpret_cast<DWORD*>(block);
    save.pCurrent = reinterpret_cast<DWORD*>(block + kToolbarOptionBytes);
    save.cbData = size;
    return 0;
}

LRESULT CToolBarEx::OnRestore(NMTBRESTORE& restore) {
    if (restore.iItem == -1) {
        ToolbarOptionsHeader header =
            DecodeToolbarOptions(reinterpret_cast<const uint8_t*>(restore.pData), restore.pData ? restore.cbData : 0);
        if (!header.present) return 1; // too short to be ours: keep the current buttons
        SetTextOption(header.textOption, false);
        SetIconOptions(header.iconOption, false);
        restore.pCurrent = restore.pData + kToolbarOptionBytes / sizeof(DWORD);
        restore.cButtons = static_cast<int>(KeepRestorableRecords(restore));
        if (restore.cButtons == 0) {
            RefreshButtons();
            UpdateBandSize();
            return 1;
        }
        return 0;
    }
    TBBUTTON& b = restore.tbButton;
    DWORD id = static_cast<DWORD>(b.idCommand);
    if (!IsSeparator(b) && !(id & kSavedSeparatorBit))
        if (const TBBUTTONEX* record = FindRecord(b.idCommand)) b = record->tbinfo;
    return 0;
}

size_t CToolBarEx::KeepRestorableRecords(NMTBRESTORE& restore) const {
    // The control inserts every record it is given, one relayout each, and
    // only then drops those nobody completed: stale or repeated records
    // (a damaged or hostile saved value) would cost minutes at start-up.
    // The records kept are moved to the front of the control's block.
    const size_t recordBytes = static_cast<size_t>(std::max(restore.cbBytesPerRecord, 1));
    const size_t count = ToolbarRecordCount(restore.cbData, recordBytes);
    std::vector<uint32_t> buttonIds, separatorIds;
    for (const TBBUTTONEX& record : m_buttons)
        (IsSeparator(record.tbinfo) ? separatorIds : buttonIds).push_back(static_cast<uint32_t>(record.tbinfo.idCommand));
    auto* records = reinterpret_cast<uint8_t*>(restore.pCurrent);
    const std::vector<size_t> kept = ToolbarRecordsToRestore(records, count, recordBytes, buttonIds, separatorIds);
    for (size_t k = 0; k < kept.size(); ++k)
        if (kept[k] != k) std::memmove(records + k * recordBytes, records + kept[k] * recordBytes, recordBytes);
    return kept.size();
}

bool CToolBarEx::OnReflectedNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case NM_CUSTOMDRAW: result = OnCustomDraw(reinterpret_cast<NMTBCUSTOMDRAW&>(nm)); return true;
    case TBN_BEGINADJUST:
        // The common dialog that opens next becomes the toolkit's dialog.
        CCustomizeDialog::InstallHook(this);
        result = 0;
        return true;
    case TBN_INITCUSTOMIZE: result = TBNRF_HIDEHELP; return true;
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE: result = 1; return true;
    case TBN_GETBUTTONINFOW: {
        auto& info = reinterpret_cast<NMTOOLBARW&>(nm);
        if (info.iItem < 0 || info.iItem >= static_cast<int>(m_buttons.size())) {
            result = 0;
            return true;
        }
        const TBBUTTON& b = m_buttons[static_cast<size_t>(info.iItem)].tbinfo;
        info.tbButton = b;
        if (!IsSeparator(b)) {
            std::wstring text;
            GetButtonText(static_cast<UINT>(b.idCommand), text);
            CopyText(text, info.pszText, info.cchText);
        }
        result = 1;
        return true;
    }
    case TBN_TOOLBARCHANGE: UpdateBandSize(); result = 0; return true;
    case TBN_RESET:
        Reset();
        if (CCustomizeDialog* dialog = CCustomizeDialog::Current())
            if (dialog->GetToolBar() == this) {
                dialog->SetTextOption(m_nTextOption, true);
                dialog->SetIconOption(m_nIconOption, true);
            }
        result = 0;
        return true;
    case TBN_ENDADJUST:
        CCustomizeDialog::RemoveHook();
        RefreshButtons();
        UpdateBandSize();
        result = 0;
        return true;
    case TBN_SAVE: result = OnSave(reinterpret_cast<NMTBSAVE&>(nm)); return true;
    case TBN_RESTORE: result = OnRestore(reinterpret_cast<NMTBRESTORE&>(nm)); return true;
    case TBN_GETINFOTIPW: {
        auto& tip = reinterpret_cast<NMTBGETINFOTIPW&>(nm);
        std::wstring text;
        GetButtonTip(static_cast<UINT>(tip.iItem), text);
        CopyText(text, tip.pszText, tip.cchTextMax);
        result = 0;
        return true;
    }
    }
    return false;
}

bool CToolBarEx::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_REFLECT_BASE + WM_NOTIFY:
        if (OnReflectedNotify(*StructArg<NMHDR>(lp), result)) return true;
        break;
    case WM_NOTIFY: {
        // Our tooltip control asks for a button's text: no tip where the text option says none.
        NMHDR& nm = *StructArg<NMHDR>(lp);
        if ((nm.code == TTN_NEEDTEXTW || nm.code == TTN_NEEDTEXTA) && !HasButtonTip(static_cast<UINT>(nm.idFrom))) {
            result = 0;
            return true;
        }
        result = Default();
        return true;
    }
    case WM_BAR_ADDMENUITEMS: {
        // From the rebar's context menu: the number is also a toolbar-control
        // message, so it never reaches the control.
        HMENU menu = reinterpret_cast<HMENU>(wp);
        UINT flags = MF_STRING | ((GetStyle() & CCS_ADJUSTABLE) ? 0u : MF_GRAYED);
        ::AppendMenuW(menu, flags, ID_TOOLBAR_CUSTOMIZE, L"&Customize...");
        result = 0;
        return true;
    }
    case WM_BAR_CHEVRONPUSHED: {
        // From the rebar's chevron: the clipped buttons in a popup below it.
        const RECT* chevron = reinterpret_cast<const RECT*>(wp);
        if (chevron) {
            UINT flags = TPM_VERTICAL | (m_nVersionClass < 5 ? 0u : static_cast<UINT>(TPM_VERPOSANIMATION));
            CToolBarPopup popup(this);
            popup.Show(flags, chevron->left, chevron->bottom, chevron);
        }
        result = 0;
        return true;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == ID_TOOLBAR_CUSTOMIZE && lp == 0) {
            SendMessage(TB_CUSTOMIZE);
            result = 0;
            return true;
        }
        break;
    }
    return CToolBar::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
