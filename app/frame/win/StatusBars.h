// The main frame's status bar in two layers: CProgStatusBar lays a progress
// control over the message pane during long operations (open, save,
// export); CStatusBarEx adds the permanent pane with the capture log's
// fullness indicator.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CommonControls.h"
#include "toolkit/bars/win/StatusControlBar.h"

namespace brx {

class CProgStatusBar : public CStatusControlBar {
public:
    // position 0 hides the progress display, 1..100 shows it at that
    // position. The sender's sequence for one operation is 1, the
    // percentages, 100, then 0.
    void SetProgress(int position);
    // Moves the progress control onto pane 0.
    void PlaceProgress();
    CProgressCtrl& GetProgressCtrl() { return m_progress; }

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    virtual int OnCreate(CREATESTRUCTW* cs);
    void OnSize();

private:
    CProgressCtrl m_progress;
};

class CStatusBarEx : public CProgStatusBar {
public:
    // The capture buffer's fullness in percent (the control clamps it to 0..100).
    void SetFullness(int percent);

    class CLogFullnessIndicator : public CProgressCtrl {
    public:
        // The status bar destroys the window; the object goes with it.
        void PostNcDestroy() override { delete this; }
    };
    CLogFullnessIndicator* GetFullnessIndicator() const { return m_pIndicator; }

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    int OnCreate(CREATESTRUCTW* cs) override;

private:
    CLogFullnessIndicator* m_pIndicator = nullptr;
};

} // namespace brx
