// The size grip of a resizable window: a size-box scroll bar in the lower
// right corner of the carrying window's client area that sizes the window
// when dragged and never takes the focus. Its visibility is a counter raised
// and lowered through callers' bit words, so several reasons to hide it (a
// maximised window, a caller's choice) combine.
#pragma once
#include <windows.h>

#include "framework/Geometry.h"
#include "framework/Wnd.h"

namespace brx {

class CResizableGrip {
public:
    // The grip control: a scroll bar with SBS_SIZEGRIP, optionally cut to a
    // triangle so that only its lower-right half is window.
    class CSizeGrip : public CWnd {
    public:
        CSize m_size;
        bool m_bTriangular = false;

        // Reads the grip's size from the system metrics.
        void ReadMetrics();
        // A region of the triangle (on) or none (off).
        void SetTriangularShape(bool on);
        bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    };

    CResizableGrip() = default;
    virtual ~CResizableGrip() = default;

    // The window that carries the grip.
    virtual CWnd* GetResizableWnd() const = 0;

    // Creates the grip (control id 0) and puts it in the corner; visible sets
    // the show counter to 1, else 0. Returns the creation result.
    BOOL CreateSizeGrip(BOOL visible = TRUE, BOOL triangular = TRUE);
    // Moves the grip to the lower-right corner of the client area, shown while
    // the counter is above 0.
    void UpdateSizeGrip();
    BOOL IsSizeGripVisible() const { return m_nShowCount > 0; }
    // Setting bit `mask` of *bits when it is clear raises the counter;
    // clearing it when set lowers it. Repeated calls change nothing.
    void ShowSizeGrip(DWORD* bits, DWORD mask = 1);
    void HideSizeGrip(DWORD* bits, DWORD mask = 1);

    const CSizeGrip& GetSizeGrip() const { return m_wndGrip; }

protected:
    CSizeGrip m_wndGrip;
    int m_nShowCount = 0;
};

} // namespace brx
