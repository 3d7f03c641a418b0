#include "framework/StdControls.h"

#include <algorithm>
#include <vector>

namespace brx {

std::wstring CComboBox::GetLBText(int index) const {
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length < 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got == CB_ERR || got < 0) return std::wstring();
    return std::wstring(buffer.data(), std::min(static_cast<size_t>(got), static_cast<size_t>(length)));
}

} // namespace brx
