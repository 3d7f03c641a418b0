// The status bar: a control bar over the common status control with panes
// that are indicators (command ids whose update handlers set their text and
// state on idle), each with its width, style (SBPS_*) and text. Pane 0 is
// normally the frame's message line (id ID_SEPARATOR, stretching). The part
// edges come from the panes on every resize (StatusPaneEdges).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/ControlBar.h"

namespace brx {

class CStatusBar : public CControlBar {
public:
    // ctrlStyle: SBARS_* of the control (SBARS_SIZEGRIP for a size grip).
    BOOL Create(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(HWND parent, DWORD ctrlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT id = AFX_IDW_STATUS_BAR);

    // One pane per id, texts and widths from the ids' string resources (the
    // text is the pane's widest content); a pane whose id is ID_SEPARATOR has
    // no text and stretches when it comes first. Resets every pane.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    // The index of the pane with id, or -1.
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    // The pane's rectangle in the bar's client coordinates (empty when the
    // index is out of range).
    CRect GetItemRect(int index) const;

    // Pane info: false (nothing changed) for an index out of range.
    bool GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    bool SetPaneInfo(int index, UINT id, UINT style, int width);
    UINT GetPaneStyle(int index) const;
    bool SetPaneStyle(int index, UINT style);
    std::wstring GetPaneText(int index) const;
    bool SetPaneText(int index, const wchar_t* text, bool update = true);

    // The padding on each side of a pane with borders.
    static int PaneBorder();

    void OnUpdateCmdUI(CCmdTarget* target, bool disableIfNoHandler) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    CSize CalcItemsSize(bool horizontal) override;
    // Sets the control's parts from the panes for the current width.
    void UpdateParts();
    // Shows a pane's text with its drawing style (none while disabled).
    void ShowPaneText(int index);

private:
    struct Pane {
        UINT id = 0;
        UINT style = 0;
        int width = 0;
        std::wstring text;
    };
    bool Valid(int index) const { return index >= 0 && index < GetCount(); }
    int TextWidth(const std::wstring& text) const;

    std::vector<Pane> m_panes;
};

} // namespace brx
