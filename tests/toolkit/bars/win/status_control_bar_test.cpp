// The status bar with controls in its panes, in a real frame: inserting a
// pane keeps the others, a control follows its pane (and the size grip),
// a disabled pane disables its control, and auto-destroyed controls go with
// the bar.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "framework/FrameWnd.h"
#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "toolkit/bars/win/StatusControlBar.h"

namespace brx {
namespace {

constexpr UINT kPaneMode = 0x7101, kPaneFill = 0x7102, kPaneNew = 0x7103, kPaneNone = 0x7109;

class CStatusFrame : public CFrameWnd {
public:
    CStatusFrame() { m_bAutoDelete = false; }
    ~CStatusFrame() override { DestroyWindow(); }
    CStatusControlBar bar;
    HWND progress = nullptr;

    // The panes are enabled: the idle pass would disable panes without a handler.
    bool OnUpdateCommand(CCmdUI& ui) override {
        if (ui.m_nID == kPaneMode || ui.m_nID == kPaneFill || ui.m_nID == kPaneNew) {
            ui.Enable(true);
            return true;
        }
        return CFrameWnd::OnUpdateCommand(ui);
    }

    // Shown only when the screen is read.
    bool Build(DWORD ctrlStyle, bool shown = false) {
        if (!Create(nullptr, L"Status panes", WS_OVERLAPPEDWINDOW, CRect(20, 20, 620, 220))) return false;
        if (!bar.CreateEx(m_hWnd, ctrlStyle)) return false;
        const UINT ids[] = {ID_SEPARATOR, kPaneMode, kPaneFill};
        if (!bar.SetIndicators(ids, 3)) return false;
        bar.SetPaneInfo(1, kPaneMode, 0, 60);
        bar.SetPaneText(1, L"IDLE");
        bar.SetPaneInfo(2, kPaneFill, SBPS_STRETCH, 120);
        progress = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, bar.m_hWnd,
                                     nullptr, nullptr, nullptr);
        ::SendMessageW(progress, PBM_SETPOS, 60, 0);
        if (shown) ShowWindow(SW_SHOWNORMAL);
        RecalcLayout();
        test::Pump();
        return progress != nullptr;
    }
};

TEST(StatusControlBar, AddControlNeedsAPane) {
    CStatusFrame frame;
    ASSERT_TRUE(frame.Build(SBARS_SIZEGRIP));
    EXPECT_FALSE(frame.bar.AddControl(frame.progress, kPaneNone));
    EXPECT_EQ(frame.bar.GetControlCount(), 0);
    EXPECT_TRUE(frame.bar.AddControl(frame.progress, kPaneFill));
    EXPECT_EQ(frame.bar.GetControlCount(), 1);
}

TEST(StatusControlBar, InsertingAPaneKeepsTheOthers) {
    CStatusFrame frame;
    ASSERT_TRUE(frame.Build(0));
    frame.bar.SetPaneStyle(1, SBPS_POPOUT);
    EXPECT_FALSE(frame.bar.AddIndicator(kPaneMode, 1)); // the id has a pane
    EXPECT_FALSE(frame.bar.AddIndicator(kPaneNew, 4));  // past the end
    EXPECT_FALSE(frame.bar.AddIndicator(kPaneNew, -1));
    for (int position : {0, 2, 3}) {
        CStatusFrame f;
        ASSERT_TRUE(f.Build(0));
        f.bar.SetPaneStyle(1, SBPS_POPOUT);
        ASSERT_TRUE(f.bar.AddIndicator(kPaneNew, position)) << position;
        ASSERT_EQ(f.bar.GetCount(), 4);
        EXPECT_EQ(f.bar.GetItemID(position), kPaneNew);
        CStatusControlBar::_STATUSBAR_PANE added;
        ASSERT_TRUE(f.bar.GetStatusPane(position, added));
        EXPECT_EQ(added.cxText, 0);
        EXPECT_EQ(added.nStyle, 0u);
        EXPECT_TRUE(added.strText.empty());
        int mode = f.bar.CommandToIndex(kPaneMode), fill = f.bar.CommandToIndex(kPaneFill);
        CStatusControlBar::_STATUSBAR_PANE pane;
        ASSERT_TRUE(f.bar.GetStatusPane(mode, pane));
        EXPECT_EQ(pane.cxText, 60);
        EXPECT_EQ(pane.nStyle, static_cast<UINT>(SBPS_POPOUT));
        EXPECT_EQ(pane.strText, L"IDLE");
        ASSERT_TRUE(f.bar.GetStatusPane(fill, pane));
        EXPECT_EQ(pane.cxText, 120);
        EXPECT_EQ(pane.nStyle, static_cast<UINT>(SBPS_STRETCH));
        int first = f.bar.CommandToIndex(ID_SEPARATOR);
        ASSERT_TRUE(f.bar.GetStatusPane(first, pane));
        EXPECT_EQ(pane.nStyle, static_cast<UINT>(SBPS_NOBORDERS | SBPS_STRETCH));
    }
    CStatusControlBar::_STATUSBAR_PANE out;
    EXPECT_FALSE(frame.bar.GetStatusPane(3, out));
    EXPECT_FALSE(frame.bar.SetStatusPane(-1, out));
}

TEST(StatusControlBar, StretchedLastPaneControlStopsAtTheSizeGrip) {
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    const int grip = ::GetSystemMetrics(SM_CXSMICON) + edge;
    for (DWORD style : {DWORD(SBARS_SIZEGRIP), DWORD(0)}) {
        CStatusFrame frame;
        ASSERT_TRUE(frame.Build(style, style != 0)); // the grip's case is photographed
        ASSERT_TRUE(frame.bar.AddControl(frame.progress, kPaneFill, TRUE));
        CRect client = frame.bar.GetClientRect();
        CRect rc = test::ChildRect(frame.progress);
        int expectedRight = client.right - (style ? grip : 0) - edge;
        EXPECT_EQ(rc.right, expectedRight) << style;
        CRect pane = frame.bar.GetItemRect(2);
        EXPECT_EQ(rc.left, pane.left + edge);
        EXPECT_EQ(rc.top, pane.top + edge);
        // Resizing the frame takes the control along.
        frame.SetWindowPos(nullptr, 0, 0, 500, 200, SWP_NOMOVE | SWP_NOZORDER);
        test::Pump();
        client = frame.bar.GetClientRect();
        EXPECT_EQ(test::ChildRect(frame.progress).right, client.right - (style ? grip : 0) - edge);
        if (style) {
            frame.bar.SetPaneText(0, L"Capturing: 1234 records");
            test::Pump();
            ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "status_control_bar.bmp"));
        }
    }
}

TEST(StatusControlBar, LastFixedPaneControlEndsAtItsWidth) {
    CStatusFrame frame;
    ASSERT_TRUE(frame.Build(SBARS_SIZEGRIP));
    frame.bar.SetPaneInfo(2, kPaneFill, 0, 80);
    ASSERT_TRUE(frame.bar.AddControl(frame.progress, kPaneFill));
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    CRect pane = frame.bar.GetItemRect(2);
    EXPECT_EQ(test::ChildRect(frame.progress).right, pane.left + 80 + 3 * edge - edge);
}

TEST(StatusControlBar, PaneStyleEnablesItsControlsAndTheBarDestroysOwnedOnes) {
    CStatusFrame frame;
    ASSERT_TRUE(frame.Build(0));
    HWND second = ::CreateWindowExW(0, L"STATIC", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, frame.bar.m_hWnd, nullptr,
                                    nullptr, nullptr);
    ASSERT_TRUE(frame.bar.AddControl(frame.progress, kPaneFill, TRUE));
    ASSERT_TRUE(frame.bar.AddControl(second, kPaneMode, FALSE));
    frame.bar.SetPaneStyle(2, SBPS_STRETCH | SBPS_DISABLED);
    EXPECT_FALSE(::IsWindowEnabled(frame.progress));
    EXPECT_TRUE(::IsWindowEnabled(second));
    frame.bar.SetPaneInfo(2, kPaneFill, SBPS_STRETCH, 120);
    EXPECT_TRUE(::IsWindowEnabled(frame.progress));
    frame.bar.EnablePaneControls(1, false);
    EXPECT_FALSE(::IsWindowEnabled(second));
    // Reparent the unowned control so that it outlives the bar, then destroy the bar.
    ::SetParent(second, frame.m_hWnd);
    HWND progress = frame.progress;
    frame.bar.DestroyWindow();
    EXPECT_FALSE(::IsWindow(progress));
    EXPECT_TRUE(::IsWindow(second));
    EXPECT_FALSE(test::HasVisibleStyle(second));
}

} // namespace
} // namespace brx
