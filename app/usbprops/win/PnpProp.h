// The "PnP Properties" pane: the Plug and Play view of the selected device
// tree node as formatted text (symbolic link, problem, description, status
// flags, IDs, service, setup class and the registry's names), read through
// the USB host seam. User-interface thread.
#pragma once
#include <windows.h>

#include "app/devices/DeviceNode.h"
#include "toolkit/controls/win/RichEditBase.h"

namespace brx {

class IUsbHost;

class CPnpProp : public CRichEditBase {
public:
    static constexpr DWORD kStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_READONLY | ES_MULTILINE;
    static constexpr COLORREF kBlack = 0;
    static constexpr COLORREF kRed = 0x0000FF;

    // The seam the pane reads through (null: the installed USB host).
    void SetUsbHost(IUsbHost* host) { host_ = host; }
    // Clears the text and writes the node's properties (nothing for null).
    void ShowDevice(const DEVICE_NODE* node);

private:
    IUsbHost& Host() const;
    void Label(const wchar_t* text, COLORREF color = kBlack) { AppendText(CFE_BOLD, color, 0, text); }
    void Value(const wchar_t* text, COLORREF color = kBlack) { AppendText(0, color, 0, text); }

    IUsbHost* host_ = nullptr;
};

} // namespace brx
