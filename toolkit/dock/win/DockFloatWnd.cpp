// Floating frames, the drag tracker and the outline it draws on the desktop.
#include <cstdlib>

#include "framework/MsgArgs.h"
#include "toolkit/dock/DockDrag.h"
#include "toolkit/dock/win/DockManager.h"

namespace brx {

namespace {

// The region of an outline: frames 4 pixels thick, or the filled rectangle
// of a bar.
HRGN OutlineRegion(const RECT& rc, DockOutlineKind kind) {
    if (kind == DockOutlineKind::Bar) return ::CreateRectRgnIndirect(&rc);
    auto frame = [](const DockRect& r) {
        HRGN outer = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
        HRGN inner = ::CreateRectRgn(r.left + DP_OUTLINE_WIDTH, r.top + DP_OUTLINE_WIDTH,
                                     r.right - DP_OUTLINE_WIDTH, r.bottom - DP_OUTLINE_WIDTH);
        ::CombineRgn(outer, outer, inner, RGN_DIFF);
        ::DeleteObject(inner);
        return outer;
    };
    const DockOutlineShape shape = DockOutlineFor(ToDockRect(rc), kind == DockOutlineKind::Tab);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (size_t i = 0; i < shape.frames.size(); ++i) {
        HRGN part = frame(shape.frames[i]);
        ::CombineRgn(region, region, part, i < 2 ? RGN_OR : RGN_XOR);
        ::DeleteObject(part);
    }
    return region;
}

// Inverts the outlines on the desktop's window DC with the halftone brush;
// each change paints only the difference to what is shown.
class DesktopOutline : public DockOutline {
public:
    void Begin() override {
        desktop_ = ::GetDesktopWindow();
        locked_ = ::LockWindowUpdate(desktop_) != FALSE;
        dc_ = ::GetDCEx(desktop_, nullptr, DCX_WINDOW | DCX_CACHE | (locked_ ? DCX_LOCKWINDOWUPDATE : 0));
        shown_ = false;
    }
    void Show(const RECT& rc, DockOutlineKind kind) override { Paint(OutlineRegion(rc, kind), rc, kind); }
    void Erase() override {
        if (shown_) Paint(::CreateRectRgn(0, 0, 0, 0), RECT{}, DockOutlineKind::Frame);
        shown_ = false;
    }
    void End() override {
        if (dc_) ::ReleaseDC(desktop_, dc_);
        if (locked_) ::LockWindowUpdate(nullptr);
        dc_ = nullptr;
        locked_ = false;
    }

private:
    void Paint(HRGN next, const RECT& rc, DockOutlineKind kind) {
        HRGN change = ::CreateRectRgn(0, 0, 0, 0);
        if (shown_) {
            HRGN previous = OutlineRegion(last_, lastKind_);
            ::CombineRgn(change, next, previous, RGN_XOR);
            ::DeleteObject(previous);
        } else {
            ::CombineRgn(change, next, nullptr, RGN_COPY);
        }
        if (dc_) {
            HBRUSH brush = CreateHalftoneBrush();
            ::SelectClipRgn(dc_, change);
            RECT box{};
            ::GetClipBox(dc_, &box);
            const HGDIOBJ old = ::SelectObject(dc_, brush);
            ::PatBlt(dc_, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
            ::SelectObject(dc_, old);
            ::SelectClipRgn(dc_, nullptr);
            ::DeleteObject(brush);
        }
        ::DeleteObject(change);
        ::DeleteObject(next);
        last_ = rc;
        lastKind_ = kind;
        shown_ = true;
    }

    HWND desktop_ = nullptr;
    HDC dc_ = nullptr;
    bool locked_ = false;
    bool shown_ = false;
    RECT last_{};
    DockOutlineKind lastKind_ = DockOutlineKind::Frame;
};

} // namespace

std::unique_ptr<DockOutline> MakeDesktopOutline() { return std::make_unique<DesktopOutline>(); }

// ---- CDPMiniFrame

void CDPMiniFrame::RecalcLayout() {
    m_nIdleFlags &= ~idleLayout;
    if (!node_ || !node_->Child() || !m_hWnd) return;
    if (node_->Child()->IsEmpty()) {
        ShowWindow(SW_HIDE);
        return;
    }
    node_->LayOut(ToDockRect(GetClientRect()), manager_.Theme()->Metrics());
    manager_.PlaceWindows(node_->Child());
    // The content's rectangle is the frame's window rectangle in client
    // coordinates: on the screen it covers the whole frame.
    CRect window = GetWindowRect();
    node_->rect = ToDockRect(window);
    ScreenToClient(window);
    node_->Child()->rect = ToDockRect(window);
}

bool CDPMiniFrame::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_NCLBUTTONDOWN:
        if (wp != HTCAPTION || !node_ || !node_->Child()) break;
        ::SetActiveWindow(GetTopLevelParent());
        ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        CDPDragTracker(manager_).Track(node_->Child(), PointArg(lp));
        return true;
    case WM_NCLBUTTONDBLCLK:
        if (wp != HTCAPTION || !node_ || !node_->Child()) break;
        manager_.ToggleDocking(node_->Child());
        return true;
    case WM_CLOSE: {
        // The frame stays; it hides once nothing is left in it.
        if (!node_ || !node_->Child()) return true;
        std::vector<CDPBase*> panes;
        node_->Child()->CollectNodes(DP_NODE_PANE, panes);
        for (CDPBase* pane : panes)
            if (static_cast<CDP*>(pane)->CanClose()) manager_.ClosePane(static_cast<CDP*>(pane));
        return true;
    }
    case WM_DESTROY:
        if (node_) {
            node_->rect = ToDockRect(GetWindowRect());
            // The views inside are children of this frame's group windows:
            // they go back to the owner frame before those windows die with
            // this one (at exit the owner frame destroys its floating
            // frames first, before it detaches its views itself).
            if (node_->Child()) {
                std::vector<CDPBase*> panes;
                node_->Child()->CollectNodes(DP_NODE_PANE, panes);
                for (CDPBase* pane : panes) manager_.DetachHostWindow(static_cast<CDP*>(pane));
            }
        }
        break;
    case WM_MOVE:
        if (node_) node_->rect = ToDockRect(GetWindowRect());
        break;
    case WM_NCDESTROY:
        if (node_ && node_->window == this) node_->window = nullptr;
        node_ = nullptr;
        break;
    }
    return CMiniFrameWnd::OnWndMsg(msg, wp, lp, result);
}

// ---- CDPDragTracker

bool CDPDragTracker::Track(CDPBase* dragged, POINT screen) {
    CDPLayout* layout = manager_.GetLayout();
    if (!dragged || !layout || !layout->Owns(dragged) || ::GetCapture()) return false;
    node = dragged;
    dragRect = ToRECT(DockDragStartRect(manager_.ScreenRect(*node), screen.x, screen.y));
    last_ = screen;
    bool pending = true;
    bool moved = false;
    bool ctrl = false;
    target = nullptr;
    tab = false;

    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
        if (!::GetMessageW(&msg, nullptr, WM_PAINT, WM_PAINT)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::DispatchMessageW(&msg);
    }
    outline_ = &manager_.Outline();
    outline_->Begin();
    const HWND capture = manager_.FrameWindowOf(*node);
    ::SetCapture(capture);
    bool accepted = false;
    while (::GetCapture() == capture) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            accepted = true;
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT pt = PointArg(msg.lParam);
            ::ClientToScreen(msg.hwnd, &pt);
            ctrl = (msg.wParam & MK_CONTROL) != 0;
            if (pending && std::abs(pt.x - screen.x) <= DP_DRAG_THRESHOLD &&
                std::abs(pt.y - screen.y) <= DP_DRAG_THRESHOLD)
                continue;
            pending = false;
            moved = true;
            Move(pt, ctrl);
        } else if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
            if (msg.wParam == VK_CONTROL) {
                ctrl = msg.message == WM_KEYDOWN;
                pending = false;
                Move(last_, ctrl);
            } else if (msg.wParam == VK_ESCAPE) {
                break;
            }
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    outline_->Erase();
    if (::GetCapture() == capture) ::ReleaseCapture();
    outline_->End();
    if (!accepted || !moved || !layout->Owns(node)) return false;

    if (tab && target) {
        layout->MoveToContainer(node, target);
    } else if (target) {
        layout->DockNodeAt(node, mode, target);
    } else if (node->Type() == DP_NODE_SPLITTER && node->FloatingFrame()) {
        CDPMiniWnd* frame = node->FloatingFrame();
        if (auto* wnd = static_cast<CDPMiniFrame*>(frame->window)) {
            wnd->MoveWindow(dragRect, TRUE);
            frame->rect = ToDockRect(dragRect);
        }
    } else {
        layout->FloatNode(node, ToDockRect(dragRect));
    }
    return true;
}

void CDPDragTracker::Move(POINT pt, bool ctrl) {
    ::OffsetRect(&dragRect, pt.x - last_.x, pt.y - last_.y);
    target = nullptr;
    tab = false;
    if (!ctrl) FindTarget(pt);
    last_ = pt;
    outline_->Show(target ? targetRect : dragRect, tab ? DockOutlineKind::Tab : DockOutlineKind::Frame);
}

void CDPDragTracker::FindTarget(POINT pt) {
    target = nullptr;
    tab = false;
    CDPLayout* layout = manager_.GetLayout();
    if (!layout || !node) return;
    auto edge = [&](CDPBase* candidate, bool inside) {
        DockRect half;
        int m = 0;
        if (!DockEdgeTest(manager_.ScreenRect(*candidate), pt.x, pt.y, inside, half, m)) return false;
        target = candidate;
        targetRect = ToRECT(half);
        mode = m;
        return true;
    };
    for (const DP_INFO& info : layout->PaneInfos()) {
        CDPTabbedContainer* group = info.pane->Group();
        if (!group || !group->Parent() || group->Parent()->Type() != DP_NODE_SPLITTER) continue;
        CDPGroupWnd* gw = CDPManager::GroupWindow(group);
        if (!gw || !gw->IsWindowVisible()) continue;
        // Nothing drops onto itself or into a group it holds.
        if (node->IsAncestorOf(group) || group->IsAncestorOf(node) && node->Type() != DP_NODE_PANE) continue;
        const RECT rc = ToRECT(manager_.ScreenRect(*group));
        if (gw->HitTestDockZone(rc, pt)) {
            target = group;
            targetRect = rc;
            tab = true;
            return;
        }
        if (edge(group, true)) return;
    }
    if (CDPBase* placeholder = layout->Placeholder(); placeholder && placeholder->IsPlaced())
        if (edge(placeholder, true)) return;
    if (CDPBase* root = layout->Root()) edge(root, false);
}

} // namespace brx
