#include "framework/CommonControls.h"

#include <iterator>
#include <vector>

namespace brx {

std::wstring ReadItemText(HWND hwnd, UINT msg, WPARAM wp, int maxChars) {
    if (maxChars <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1, L'\0');
    LRESULT got = ::SendMessageW(hwnd, msg, wp, reinterpret_cast<LPARAM>(buffer.data()));
    if (got < 0) return std::wstring();
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

std::wstring CListCtrl::GetItemText(int index, int subItem, int maxChars) const {
    if (maxChars <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = buffer.data();
    item.cchTextMax = maxChars + 1;
    SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    buffer.back() = L'\0';
    // The control may answer with its own buffer instead of filling ours.
    return std::wstring(item.pszText ? item.pszText : L"");
}

std::wstring CTreeCtrl::GetItemText(HTREEITEM item, int maxChars) const {
    if (maxChars <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1, L'\0');
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer.data();
    tv.cchTextMax = maxChars + 1;
    if (!GetItem(tv)) return std::wstring();
    buffer.back() = L'\0';
    return std::wstring(tv.pszText ? tv.pszText : L"");
}

std::wstring CToolTipCtrl::GetText(HWND wnd, UINT_PTR id) const {
    wchar_t text[1024] = {};
    TTTOOLINFOW info = ToolInfo(wnd, id);
    info.lpszText = text;
    SendMessage(TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&info));
    text[std::size(text) - 1] = L'\0';
    return text;
}

} // namespace brx
