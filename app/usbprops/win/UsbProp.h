// The "USB Properties" pane: the report page of the selected device-tree
// node in the HTML host. The page is copied in; an empty page shows
// about:blank.
#pragma once
#include <windows.h>

#include <cstddef>

#include "toolkit/html/HtmlHost.h"

namespace brx {

class CUsbProp : public CHtmlWnd {
public:
    void ShowHtml(const char* bytes, size_t length);
};

} // namespace brx
