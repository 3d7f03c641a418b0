#include "app/usbprops/win/UsbProp.h"

namespace brx {

void CUsbProp::ShowHtml(const char* bytes, size_t length) {
    if (!m_hWnd) return;
    if (bytes && length)
        LoadHtmlFromMemory(bytes, length);
    else
        Navigate(L"about:blank");
}

} // namespace brx
