#include "app/usbprops/win/UsbProp.h"

#include <oleidl.h>

namespace brx {

void CUsbProp::ShowHtml(const char* bytes, size_t length) {
    if (!m_hWnd) return;
    hasReport_ = bytes && length;
    if (hasReport_)
        LoadHtmlFromMemory(bytes, length);
    else
        Navigate(L"about:blank");
}

UINT CUsbProp::TrackMenu(HMENU menu, POINT screen, HWND owner) {
    return static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr));
}

HRESULT CUsbProp::OnShowContextMenu(POINT screen, IUnknown* target, bool textSelected) {
    HWND document = nullptr;
    if (target) {
        IOleWindow* window = nullptr;
        if (SUCCEEDED(target->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window) {
            window->GetWindow(&document);
            window->Release();
        }
    }
    if (!document) document = m_hWnd;
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return S_OK;
    ::AppendMenuW(menu, MF_STRING | (textSelected ? 0 : MF_GRAYED), ID_BROWSER_COPY, L"&Copy");
    ::AppendMenuW(menu, MF_STRING | (hasReport_ ? 0 : MF_GRAYED), ID_BROWSER_SELECT_ALL, L"Select &All");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING | (hasReport_ ? 0 : MF_GRAYED), ID_USB_PROPERTIES_EXPORT, L"&Export...");
    HWND owner = ::GetParent(document) ? ::GetParent(document) : document;
    if (::GetParent(owner)) owner = ::GetParent(owner);
    const UINT chosen = TrackMenu(menu, screen, owner);
    ::DestroyMenu(menu);
    if (chosen == ID_BROWSER_COPY || chosen == ID_BROWSER_SELECT_ALL)
        ::SendMessageW(document, WM_COMMAND, chosen, 0);
    else if (chosen == ID_USB_PROPERTIES_EXPORT)
        // To the main window, also when this pane floats in a frame of its own.
        ::SendMessageW(::GetAncestor(m_hWnd, GA_ROOTOWNER), WM_COMMAND, chosen, 0);
    return S_OK;
}

} // namespace brx
