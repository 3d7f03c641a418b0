#include "toolkit/controls/win/HexMaskedEdit.h"

#include <algorithm>
#include <cstring>

namespace brx {
namespace {

constexpr int kClipboardBytes = 512;

bool ShiftDown() { return (::GetKeyState(VK_SHIFT) & 0x8000) != 0; }

} // namespace

CHexMaskedEdit::CHexMaskedEdit(const wchar_t* mask) { mask_.SetMask(mask); }

void CHexMaskedEdit::SetMask(const wchar_t* mask) {
    mask_.SetMask(mask);
    Refresh(0);
}

void CHexMaskedEdit::SetPromptChar(wchar_t prompt) {
    const bool changed = mask_.SetPromptChar(prompt);
    Refresh(0, false);
    (void)changed;
}

std::wstring CHexMaskedEdit::GetInputText() const {
    if (!mask_.HasMask()) return m_hWnd ? GetWindowText() : std::wstring();
    return mask_.GetInputText();
}

int CHexMaskedEdit::SetInputText(const wchar_t* text, int keep, BOOL raw) {
    const bool all = mask_.SetInputText(text ? text : L"", keep, raw != FALSE);
    Refresh(0);
    return all ? 1 : 0;
}

void CHexMaskedEdit::ResetInput(BOOL keepMask) {
    if (!mask_.HasMask()) {
        if (m_hWnd) ::SetWindowTextW(m_hWnd, L"");
        return;
    }
    if (keepMask)
        mask_.ClearInput();
    else
        mask_.SetMask(nullptr);
    Refresh(0);
}

int CHexMaskedEdit::DeleteInputRange(int from, int to) { return mask_.DeleteInputRange(from, to); }
int CHexMaskedEdit::InsertInputChar(int position, wchar_t ch) { return mask_.InsertInputChar(position, ch); }
int CHexMaskedEdit::OverwriteInputChar(int position, wchar_t ch) { return mask_.OverwriteInputChar(position, ch); }

void CHexMaskedEdit::OnBadKey() { ::MessageBeep(MB_ICONEXCLAMATION); }

BOOL CHexMaskedEdit::SubclassEdit(HWND edit) {
    if (!SubclassWindow(edit)) return FALSE;
    if (mask_.HasMask()) Refresh(0);
    return TRUE;
}

void CHexMaskedEdit::Refresh(int caret, bool moveCaret) {
    if (!m_hWnd) return;
    if (mask_.HasMask()) {
        ++updating_;
        ::SetWindowTextW(m_hWnd, mask_.Text().c_str());
        --updating_;
    }
    if (moveCaret) SetCaret(mask_.FirstInputAt(caret));
}

void CHexMaskedEdit::Selection(int& start, int& end) const {
    GetSel(start, end);
    if (end < start) std::swap(start, end);
}

std::wstring CHexMaskedEdit::SelectedInput(int start, int end) const {
    std::wstring text;
    const auto& positions = mask_.Positions();
    for (int i = std::max(start, 0); i < end && i < mask_.Length(); ++i)
        if (positions[i].kind == MASK_INPUT && positions[i].ch != mask_.GetPromptChar()) text.push_back(positions[i].ch);
    return text;
}

void CHexMaskedEdit::ToClipboard(const std::wstring& text) {
    char ansi[kClipboardBytes + 1] = {};
    int bytes = 0;
    if (!text.empty())
        bytes = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi, kClipboardBytes,
                                      nullptr, nullptr);
    if (bytes < 0) bytes = 0;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, static_cast<SIZE_T>(bytes) + 1);
    if (!block) return;
    if (void* p = ::GlobalLock(block)) {
        std::memcpy(p, ansi, static_cast<size_t>(bytes));
        ::GlobalUnlock(block);
    }
    if (!::OpenClipboard(m_hWnd)) {
        ::GlobalFree(block);
        return;
    }
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, block)) ::GlobalFree(block);
    ::CloseClipboard();
}

bool CHexMaskedEdit::OnKeyDown(UINT key) {
    int start = 0, end = 0;
    switch (key) {
    case VK_END:
        SetCaret(mask_.FirstEmptyInputAt(0));
        return true;
    case VK_HOME:
        Default();
        if (!ShiftDown()) {
            Selection(start, end);
            SetCaret(mask_.FirstInputAt(start));
        }
        return true;
    case VK_LEFT:
    case VK_UP:
        Default();
        if (!ShiftDown()) {
            Selection(start, end);
            SetCaret(mask_.BackToInput(start));
        }
        return true;
    case VK_RIGHT:
    case VK_DOWN:
        Default();
        if (!ShiftDown()) {
            Selection(start, end);
            SetCaret(std::min(mask_.FirstInputAt(start), mask_.FirstEmptyInputAt(0)));
        }
        return true;
    case VK_INSERT:
        insertMode_ = !insertMode_;
        return true;
    case VK_DELETE: {
        Selection(start, end);
        const MaskEditResult r = mask_.DeleteKey(start, end);
        Refresh(r.caret);
        return true;
    }
    }
    return false;
}

void CHexMaskedEdit::OnChar(wchar_t ch) {
    int start = 0, end = 0;
    Selection(start, end);
    if (ch == 8) {
        const MaskEditResult r = mask_.Backspace(start, end);
        Refresh(r.caret);
        return;
    }
    const MaskEditResult r = mask_.TypeChar(start, end, ch, insertMode_ != FALSE);
    if (r.accepted || start != end) Refresh(r.caret);
    else SetCaret(r.caret);
    if (!r.accepted) OnBadKey();
}

bool CHexMaskedEdit::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (!mask_.HasMask()) return CEdit::OnWndMsg(msg, wp, lp, result);
    int start = 0, end = 0;
    switch (msg) {
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<UINT>(wp))) {
            result = 0;
            return true;
        }
        break;
    case WM_CHAR:
        if (wp == 8 || wp >= 32) {
            OnChar(static_cast<wchar_t>(wp));
            result = 0;
            return true;
        }
        break;
    case WM_COPY:
        ToClipboard(mask_.GetInputText());
        result = 0;
        return true;
    case WM_CUT:
    case WM_CLEAR:
        // Cut hands the typed digits of the selection to the clipboard
        // before it removes them.
        Selection(start, end);
        if (msg == WM_CUT) ToClipboard(SelectedInput(start, end));
        mask_.DeleteInputRange(start, end);
        Refresh(start);
        result = 0;
        return true;
    case WM_PASTE: {
        Selection(start, end);
        Default();
        mask_.SetInputText(GetWindowText(), 0, false);
        Refresh(0, false);
        SetCaret(mask_.FirstEmptyInputAt(start));
        result = 0;
        return true;
    }
    case WM_SETTEXT:
        if (updating_ > 0) {
            result = Default();
            if (HWND parent = GetParent()) {
                const auto id = static_cast<WORD>(::GetDlgCtrlID(m_hWnd));
                ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(m_hWnd));
                ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(m_hWnd));
            }
            return true;
        } else {
            const wchar_t* text = reinterpret_cast<const wchar_t*>(lp);
            mask_.SetInputText(mask_.StripLiterals(text ? text : L""), 0, true);
            Refresh(0);
            result = TRUE;
            return true;
        }
    case WM_REFLECT_BASE + WM_COMMAND:
        if (HIWORD(wp) == EN_KILLFOCUS) {
            const std::wstring typed = mask_.GetInputText();
            if (typed.size() % 2) {
                mask_.SetInputText(typed + L"0", 0, false);
                Refresh(0, false);
            }
        }
        return false;  // the parent sees the notification too
    case WM_SETFOCUS:
        result = Default();
        Selection(start, end);
        if (start == 0 && end >= mask_.Length()) SetCaret(mask_.FirstInputAt(0));
        return true;
    case WM_LBUTTONDOWN:
        if (::GetFocus() != m_hWnd && mask_.IsEmpty()) {
            ::SetFocus(m_hWnd);
            SetCaret(mask_.FirstInputAt(0));
            result = 0;
            return true;
        }
        result = Default();
        Selection(start, end);
        if (start == end && start > mask_.FirstEmptyInputAt(0)) SetCaret(mask_.FirstEmptyInputAt(0));
        return true;
    }
    return CEdit::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
