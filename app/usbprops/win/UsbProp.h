// The "USB Properties" pane: the report page of the selected device-tree
// node in the HTML host. The page is copied in; an empty page shows
// about:blank. Its context menu offers Copy, Select All and Export...
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "app/res/devtree_ids.h"
#include "toolkit/html/HtmlHost.h"

namespace brx {

class CUsbProp : public CHtmlWnd {
public:
    void ShowHtml(const char* bytes, size_t length);
    // Whether the pane shows a report (else about:blank).
    bool HasReport() const { return hasReport_; }

    // The browser's context menu request for this pane's document: "Copy"
    // (only for a text selection), "Select All", "Export..." (both only
    // with a report shown). Copy and Select All go to the document window
    // (the window of target, else the pane), Export to the main window.
    // Always S_OK.
    HRESULT OnShowContextMenu(POINT screen, IUnknown* target, bool textSelected);

protected:
    // Shows the menu and returns the chosen command (0 for none).
    virtual UINT TrackMenu(HMENU menu, POINT screen, HWND owner);

private:
    bool hasReport_ = false;
};

} // namespace brx
