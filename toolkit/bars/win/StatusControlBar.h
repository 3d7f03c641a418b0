// A status bar whose panes can hold child controls (a progress control in a
// pane, say) and to which panes can be added after creation without losing
// the other panes' ids, styles, widths and texts. The controls follow their
// panes on every resize, pane insertion and added control; a pane's controls
// are disabled while the pane is.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/StatusBar.h"

namespace brx {

class CStatusControlBar : public CStatusBar {
public:
    struct _STATUSBAR_PANE {
        UINT nID = 0;
        int cxText = 0;
        UINT nStyle = 0;
        UINT nFlags = 0;
        std::wstring strText;
    };
    struct _STATUSBAR_PANE_CTRL {
        HWND hWnd = nullptr;
        UINT nID = 0;
        BOOL bAutoDestroy = FALSE;
    };

    ~CStatusControlBar() override;

    // Inserts an empty pane with id at position 0..count; false for a position
    // out of range or an id that already has a pane.
    BOOL AddIndicator(UINT id, int position);
    // Places a control in the pane with id; false when no pane has it. With
    // autoDestroy the bar destroys the control with itself.
    BOOL AddControl(HWND control, UINT paneId, BOOL autoDestroy = FALSE);
    BOOL AddControl(CWnd* control, UINT paneId, BOOL autoDestroy = FALSE) {
        return control ? AddControl(control->m_hWnd, paneId, autoDestroy) : FALSE;
    }

    bool SetPaneInfo(int index, UINT id, UINT style, int width);
    bool SetPaneStyle(int index, UINT style);
    bool SetPaneWidth(int index, int width);
    void EnablePaneControls(int index, bool enable);

    // A pane as one record: false for an index out of range.
    bool GetStatusPane(int index, _STATUSBAR_PANE& pane) const;
    bool SetStatusPane(int index, const _STATUSBAR_PANE& pane);

    // Moves every control to its pane (one deferred batch).
    void RepositionControls();
    int GetControlCount() const { return static_cast<int>(m_controls.size()); }

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ReleaseControls();

    std::vector<std::unique_ptr<_STATUSBAR_PANE_CTRL>> m_controls;
};

} // namespace brx
