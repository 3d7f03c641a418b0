#include "framework/Resource.h"

namespace brx {

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleW(nullptr); }

bool LoadStringResource(UINT id, std::wstring& text) {
    const wchar_t* data = nullptr;
    // With a length of 0 the call returns the read-only resource text itself.
    int len = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&data), 0);
    if (len <= 0 || !data) {
        text.clear();
        return false;
    }
    text.assign(data, static_cast<size_t>(len));
    return true;
}

std::wstring LoadStringResource(UINT id) {
    std::wstring text;
    LoadStringResource(id, text);
    return text;
}

std::wstring ExtractSubString(const std::wstring& text, int part, wchar_t separator) {
    size_t start = 0;
    for (int i = 0; i < part; ++i) {
        size_t next = text.find(separator, start);
        if (next == std::wstring::npos) return std::wstring();
        start = next + 1;
    }
    size_t end = text.find(separator, start);
    return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

HMENU LoadMenuResource(UINT id) { return ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id)); }

HACCEL LoadAcceleratorsResource(UINT id) { return ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id)); }

HICON LoadIconResource(UINT id) { return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id)); }

HBITMAP LoadBitmapResource(UINT id) {
    return static_cast<HBITMAP>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

} // namespace brx
