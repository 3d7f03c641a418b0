// The docking windows on a real frame: the default screen set laid out
// around the central view, pane notifications, closing and showing panes,
// tabs, splitter and tab drags driven by mouse messages, drop targets, and
// floating and re-docking through the saved layout. Screenshots are saved
// as dock_default.bmp and dock_floating.bmp beside the test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "tests/toolkit/dock/DockTestUtil.h"
#include "toolkit/dock/ScreenSetBlob.h"
#include "toolkit/dock/win/DockManager.h"
#include "toolkit/dock/win/ScreenSetRegistry.h"

using namespace brx;
using namespace brx::test;

namespace {

CWinApp g_app(L"DockManagerTest");

void Pump() { g_app.PumpUntilIdle(); }

const wchar_t* const kTitles[10] = {L"",          L"Device Tree",     L"Device Stack", L"USB Properties",
                                    L"PnP Props", L"Request Summary", L"Raw Data",     L"Data Analysis",
                                    L"Setup",     L"Request Details"};

// Outlines the tracker would draw, recorded instead of drawn.
class RecordingOutline : public DockOutline {
public:
    struct Shown {
        RECT rc;
        DockOutlineKind kind;
    };
    std::vector<Shown> shown;
    int begun = 0, ended = 0, erased = 0;
    void Begin() override { ++begun; }
    void Show(const RECT& rc, DockOutlineKind kind) override { shown.push_back({rc, kind}); }
    void Erase() override { ++erased; }
    void End() override { ++ended; }
};

// The owner frame: attaches a labelled view to every pane it is asked to
// show, records the notifications and can veto closing.
class CTestFrame : public CFrameWnd {
public:
    CTestFrame() { m_bAutoDelete = false; }
    ~CTestFrame() override { DestroyWindow(); }

    CDPManager* manager = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> notes;
    LRESULT closeAnswer = 0;
    std::map<BYTE, HWND> views;

    int Count(WPARAM code) const {
        int n = 0;
        for (const auto& note : notes) n += note.first == code;
        return n;
    }
    // Which views still existed when the frame heard WM_DESTROY (exit).
    std::map<BYTE, bool> viewsAtDestroy;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_DESTROY)
            for (const auto& [id, view] : views) viewsAtDestroy[id] = ::IsWindow(view) != FALSE;
        if (msg != DP_NOTIFY) return CFrameWnd::OnWndMsg(msg, wp, lp, result);
        notes.emplace_back(wp, lp);
        result = 0;
        if (wp == DPN_SHOW_PANE) {
            auto* pane = reinterpret_cast<CDP*>(lp);
            if (!CDPManager::HostWindow(pane)) {
                HWND& view = views[pane->GetId()];
                if (!view)
                    view = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", kTitles[pane->GetId()],
                                             WS_CHILD | ES_MULTILINE, 0, 0, 10, 10, m_hWnd, nullptr, nullptr, nullptr);
                manager->AttachHostWindow(pane, view);
            }
        }
        if (wp == DPN_CLOSE_PANE) result = closeAnswer;
        return true;
    }
};

class DockManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = new CTestFrame;
        ASSERT_TRUE(frame_->Create(nullptr, L"Docking", WS_OVERLAPPEDWINDOW, RECT{0, 0, 1100, 760}));
        central_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"Capture list", WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                                     0, 0, 10, 10, *frame_, reinterpret_cast<HMENU>(UINT_PTR(AFX_IDW_PANE_FIRST)),
                                     nullptr, nullptr);
        manager_ = std::make_unique<CDPManager>();
        frame_->manager = manager_.get();
        manager_->Create(frame_);
        manager_->SetTheme(1);
        manager_->SetOutline(&outline_);
        frame_->ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        for (const DP_INFO& info : Layout().PaneInfos()) manager_->DetachHostWindow(info.pane);
        manager_->ResetLayout();
        frame_->DestroyWindow();
        manager_.reset();
        delete frame_;
        Pump();
    }

    CDPLayout& Layout() { return *manager_->GetLayout(); }

    // The default screen set with its titles, applied and laid out.
    void ApplyDefault() {
        stored_ = manager_->NewLayout();
        ASSERT_TRUE(stored_->LoadFromMemory(kDefaultScreenSetBlob, kDefaultScreenSetBlobSize,
                                            ScreenSetRulesForThisScreen()));
        SetTitles(*stored_);
        manager_->ApplyLayout(stored_.get());
        Pump();
    }
    static void SetTitles(CDPLayout& layout) {
        for (const DP_INFO& info : layout.PaneInfos()) {
            const std::wstring title = kTitles[info.pane->GetId()];
            info.pane->SetTitles(reinterpret_cast<const char16_t*>(title.c_str()),
                                 reinterpret_cast<const char16_t*>(title.substr(0, 8).c_str()));
        }
    }
    CDPTabbedContainer* GroupOf(BYTE id) { return manager_->FindPane(id)->Group(); }
    HWND GroupHwnd(BYTE id) { return *CDPManager::GroupWindow(GroupOf(id)); }
    static RECT ChildRect(HWND child) {
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    static LPARAM Pt(LONG x, LONG y) { return MAKELPARAM(x, y); }
    // A screen point as client coordinates of a window, packed.
    static LPARAM ClientPt(HWND wnd, POINT screen) {
        ::ScreenToClient(wnd, &screen);
        return Pt(screen.x, screen.y);
    }
    static POINT ScreenOf(HWND wnd, LONG x, LONG y) {
        POINT p{x, y};
        ::ClientToScreen(wnd, &p);
        return p;
    }
    size_t FrameCountShown() {
        size_t n = 0;
        for (size_t i = 0; i < Layout().NodeCount(); ++i) {
            CDPBase* node = Layout().Node(i);
            if (node->Type() == DP_NODE_FLOATING && node->window)
                n += ::IsWindowVisible(*static_cast<CDPMiniFrame*>(node->window)) != 0;
        }
        return n;
    }
    bool Screenshot(HWND wnd, const char* name) {
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        RECT rc;
        ::GetWindowRect(::GetDesktopWindow(), &rc);
        const int w = 1280 < rc.right ? 1280 : rc.right, h = 1024 < rc.bottom ? 1024 : rc.bottom;
        HDC screen = ::GetDC(nullptr);
        HDC mem = ::CreateCompatibleDC(screen);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = ::SelectObject(mem, dib);
        ::BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::GdiFlush();
        const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
        BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h), 0, 0,
                              DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
        const std::string path = std::string(BRX_TEST_OUTPUT_DIR) + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && bits;
        if (ok) {
            std::fwrite(&file, sizeof file, 1, f);
            std::fwrite(&bmi.bmiHeader, sizeof bmi.bmiHeader, 1, f);
            std::fwrite(bits, stride * h, 1, f);
        }
        if (f) ok = std::fclose(f) == 0 && ok;
        ::DeleteObject(dib);
        ::DeleteDC(mem);
        ::ReleaseDC(nullptr, screen);
        return ok;
    }

    CTestFrame* frame_ = nullptr;
    HWND central_ = nullptr;
    std::unique_ptr<CDPManager> manager_;
    std::unique_ptr<CDPLayout> stored_;
    RecordingOutline outline_;
};

TEST_F(DockManagerTest, DefaultLayoutPutsTheCentralViewWhereTheSplittersSay) {
    ApplyDefault();
    const RECT client = frame_->GetClientRect();
    // Row: the left column keeps 457 pixels, a bar of 4, the central column
    // takes the rest; in it the group below keeps 344 and a bar of 4.
    const RECT expected{461, 0, client.right, client.bottom - 348};
    const RECT got = ChildRect(central_);
    EXPECT_EQ(expected.left, got.left);
    EXPECT_EQ(expected.top, got.top);
    EXPECT_EQ(expected.right, got.right);
    EXPECT_EQ(expected.bottom, got.bottom);

    // The three docked groups have windows where the model put them; the
    // floating homes are hidden while empty.
    for (BYTE id : {1, 3, 5}) {
        const RECT rc = ChildRect(GroupHwnd(id));
        const DockRect& model = GroupOf(id)->rect;
        EXPECT_EQ(model.left, rc.left) << int(id);
        EXPECT_EQ(model.top, rc.top) << int(id);
        EXPECT_EQ(model.right, rc.right) << int(id);
        EXPECT_EQ(model.bottom, rc.bottom) << int(id);
        EXPECT_TRUE(::IsWindowVisible(GroupHwnd(id))) << int(id);
    }
    EXPECT_EQ(ChildRect(GroupHwnd(5)).left, 461);
    EXPECT_EQ(ChildRect(GroupHwnd(5)).top, client.bottom - 344);
    EXPECT_EQ(0u, FrameCountShown());
    // Every pane's view is the active one's only when its group shows it.
    EXPECT_TRUE(::IsWindowVisible(frame_->views[3]));
    EXPECT_FALSE(frame_->views.count(4) && ::IsWindowVisible(frame_->views[4]));
    EXPECT_TRUE(GroupOf(5)->HasTabs());
    EXPECT_FALSE(GroupOf(1)->HasTabs());
    EXPECT_TRUE(Screenshot(*frame_, "dock_default.bmp"));
}

TEST_F(DockManagerTest, EachRealLayoutPassNotifiesEveryShownGroupOnceAndAQueryNone) {
    ApplyDefault();
    frame_->notes.clear();
    frame_->RecalcLayout();
    std::vector<BYTE> shown;
    for (const auto& [code, lp] : frame_->notes) {
        ASSERT_EQ(WPARAM(DPN_SHOW_PANE), code);
        shown.push_back(reinterpret_cast<CDP*>(lp)->GetId());
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ((std::vector<BYTE>{1, 3, 5}), shown);

    frame_->notes.clear();
    RECT rest{};
    frame_->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rest);
    EXPECT_TRUE(frame_->notes.empty());
    EXPECT_EQ(461, rest.left);
}

TEST_F(DockManagerTest, ClosingAskesTheFrameAndShowingPutsThePaneBack) {
    ApplyDefault();
    CDPTabbedContainer* group = GroupOf(7);
    frame_->closeAnswer = -1;
    manager_->HidePane(7);
    EXPECT_EQ(1, frame_->Count(DPN_CLOSE_PANE));
    EXPECT_EQ(group, GroupOf(7));
    EXPECT_FALSE(manager_->IsPaneHidden(7));

    frame_->closeAnswer = 0;
    manager_->HidePane(7);
    EXPECT_TRUE(manager_->IsPaneHidden(7));
    EXPECT_EQ(4u, group->Panes().size());
    manager_->ShowPane(7);
    EXPECT_EQ(group, GroupOf(7));
    EXPECT_EQ(manager_->FindPane(7), group->GetActivePane());

    // Unknown ids do nothing.
    const size_t notes = frame_->notes.size();
    manager_->HidePane(42);
    manager_->ShowPane(42);
    EXPECT_EQ(notes, frame_->notes.size());
}

TEST_F(DockManagerTest, AHiddenPaneWithoutAHomeStaysHiddenAndTheFocusStays) {
    CDP* pane = manager_->AddPane(1, RECT{0, 0, 200, 200}, DP_DOCK_LEFT, nullptr);
    CDP* other = manager_->AddPane(2, RECT{0, 0, 200, 200}, DP_DOCK_RIGHT, nullptr);
    Pump();
    Layout().HidePane(pane);
    // Forget the pane's homes: it has nowhere to go back to.
    std::unique_ptr<CDPLayout> copy = manager_->NewLayout();
    copy->CopyFrom(Layout());
    const_cast<DP_INFO*>(copy->FindInfo(copy->FindPane(1)))->lastHome = nullptr;
    manager_->ApplyLayout(copy.get());
    Pump();
    CDPManager::SetFocusToHost(manager_->FindPane(2));
    const HWND focus = ::GetFocus();
    ASSERT_EQ(frame_->views[2], focus);
    manager_->ShowPane(1);
    EXPECT_TRUE(manager_->IsPaneHidden(1));
    EXPECT_EQ(focus, ::GetFocus());
    (void)other;
}

TEST_F(DockManagerTest, TitlesAreCutAndTheTabStripNeedsTwoPanes) {
    CDP* first = manager_->AddPane(1, RECT{0, 0, 300, 300}, DP_DOCK_LEFT, nullptr);
    first->SetTitles(u"A title of exactly forty characters long.", u"Fifteen chars!!");
    char16_t title[64], shortTitle[64];
    first->GetTitle(title, 64);
    first->GetShortTitle(shortTitle, 64);
    EXPECT_EQ(std::u16string(u"A title of exactly forty charac"), title);
    EXPECT_EQ(std::u16string(u"Fifteen cha"), shortTitle);

    Pump();
    CDPTabbedContainer* group = first->Group();
    EXPECT_FALSE(group->HasTabs());
    const RECT before = ChildRect(frame_->views[1]);
    CDP* second = manager_->AddPane(2, RECT{0, 0, 300, 300}, DP_DOCK_LEFT, nullptr);
    Layout().MoveToContainer(second, group);
    Pump();
    EXPECT_TRUE(group->HasTabs());
    ASSERT_EQ(2u, group->tabs.size());
    EXPECT_EQ(std::u16string(u"Fifteen cha"), group->tabs[0].text);
    // The view gives the strip its room.
    const RECT after = ChildRect(frame_->views[2]);
    EXPECT_EQ(before.bottom - manager_->Theme()->Metrics().tabHeight, after.bottom);
}

TEST_F(DockManagerTest, RemovingTheActiveTabActivatesTheFirstRemaining) {
    ApplyDefault();
    CDPTabbedContainer* group = GroupOf(5);
    manager_->ShowPane(8);
    ASSERT_EQ(manager_->FindPane(8), group->GetActivePane());
    manager_->HidePane(8);
    EXPECT_EQ(manager_->FindPane(5), group->GetActivePane());
    Pump();
    EXPECT_TRUE(::IsWindowVisible(frame_->views[5]));
    // The last pane gone, the group keeps its place but not its window.
    for (BYTE id : {5, 7, 6, 9}) manager_->HidePane(id);
    EXPECT_EQ(nullptr, group->window);
    EXPECT_TRUE(group->IsPlaced());
    // The views belong to the frame: they outlive the group's window.
    EXPECT_TRUE(::IsWindow(frame_->views[5]));
    EXPECT_FALSE(::IsWindowVisible(frame_->views[5]));
    Pump();
    EXPECT_EQ(ChildRect(central_).bottom, frame_->GetClientRect().bottom);
    // Shown again, the pane returns to its group with the same view.
    manager_->ShowPane(5);
    Pump();
    EXPECT_EQ(group, GroupOf(5));
    EXPECT_EQ(frame_->views[5], CDPManager::HostWindow(manager_->FindPane(5)));
    EXPECT_EQ(GroupHwnd(5), ::GetParent(frame_->views[5]));
    EXPECT_TRUE(::IsWindowVisible(frame_->views[5]));
}

TEST_F(DockManagerTest, DraggingATabSwapsOnceAndPullingItOutFloatsThePane) {
    ApplyDefault();
    CDPTabbedContainer* group = GroupOf(5);
    const HWND gw = GroupHwnd(5);
    const DockRect t0 = group->tabs[0].rect, t1 = group->tabs[1].rect;
    const LONG y = (t0.top + t0.bottom) / 2;
    ::SendMessageW(gw, WM_LBUTTONDOWN, MK_LBUTTON, Pt(t0.left + 3, y));
    ::SendMessageW(gw, WM_MOUSEMOVE, MK_LBUTTON, Pt(t1.left + 3, y));
    ::SendMessageW(gw, WM_MOUSEMOVE, MK_LBUTTON, Pt(t1.left + 5, y));
    std::vector<BYTE> order;
    for (CDP* pane : group->Panes()) order.push_back(pane->GetId());
    EXPECT_EQ((std::vector<BYTE>{7, 5, 8, 6, 9}), order);
    ::SendMessageW(gw, WM_LBUTTONUP, 0, Pt(t1.left + 5, y));
    EXPECT_EQ(nullptr, ::GetCapture());

    // Out of the strip: a drag of the active pane, released over nothing.
    const POINT drop = ScreenOf(*frame_, 700, 100);
    ::SetCursorPos(ScreenOf(gw, t0.left + 3, y).x, ScreenOf(gw, t0.left + 3, y).y);
    ::SendMessageW(gw, WM_LBUTTONDOWN, MK_LBUTTON, Pt(t0.left + 3, y));
    ::PostMessageW(*frame_, WM_MOUSEMOVE, MK_CONTROL, ClientPt(*frame_, drop));
    ::PostMessageW(*frame_, WM_LBUTTONUP, 0, ClientPt(*frame_, drop));
    ::SendMessageW(gw, WM_MOUSEMOVE, MK_LBUTTON, Pt(t0.left + 3, 5));
    Pump();
    CDP* pane = manager_->FindPane(7);
    ASSERT_NE(nullptr, pane->Group());
    EXPECT_NE(nullptr, pane->FloatingFrame());
    EXPECT_EQ(4u, group->Panes().size());
    EXPECT_EQ(1u, FrameCountShown());
}

TEST_F(DockManagerTest, SplitterDragKeepsTheSumAndEscapeCancels) {
    ApplyDefault();
    CDPSplitterContainer* column = static_cast<CDPSplitterContainer*>(GroupOf(1)->Parent());
    ASSERT_EQ(1u, column->Bars().size());
    auto* bars = static_cast<DockBarWindows*>(column->window);
    ASSERT_EQ(1u, bars->bars.size());
    const HWND bar = *bars->bars[0];
    CDPBase* a = column->Bars()[0].before;
    CDPBase* b = column->Bars()[0].after;
    const int sum = a->cy + b->cy;
    const uint16_t firstBefore = a->cy;

    ::PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, Pt(1, 80));
    ::PostMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, Pt(1, 1));
    EXPECT_EQ(firstBefore, a->cy);
    ASSERT_FALSE(outline_.shown.empty());
    EXPECT_EQ(DockOutlineKind::Bar, outline_.shown.back().kind);
    EXPECT_EQ(outline_.begun, outline_.ended);

    const RECT barBefore = ChildRect(bar);
    ::PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, Pt(1, 81));
    ::PostMessageW(bar, WM_LBUTTONUP, 0, Pt(1, 81));
    ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, Pt(1, 1));
    EXPECT_EQ(sum, a->cy + b->cy);
    EXPECT_GT(a->cy, firstBefore);
    Pump();
    // The split is taken in proportion and truncated: within a pixel.
    EXPECT_NEAR(barBefore.top + 80, ChildRect(bar).top, 1);
}

TEST_F(DockManagerTest, DropTargetsFollowTheEdgeDistances) {
    ApplyDefault();
    CDPDragTracker tracker(*manager_);
    tracker.node = GroupOf(1);
    // The central area: 22-pixel bands along its inner edges; the nearer
    // edge wins and left wins a tie.
    const RECT ph = ToRECT(manager_->ScreenRect(*Layout().Placeholder()));
    const LONG midX = (ph.left + ph.right) / 2, midY = (ph.top + ph.bottom) / 2;
    struct Case {
        LONG x, y;
        int mode;
        RECT half;
    };
    const Case cases[] = {
        {ph.left + 15, ph.top + 10, DP_DOCK_ABOVE, {ph.left, ph.top, ph.right, midY}},
        {ph.left + 10, ph.top + 15, DP_DOCK_LEFT, {ph.left, ph.top, midX, ph.bottom}},
        {ph.left + 12, ph.top + 12, DP_DOCK_LEFT, {ph.left, ph.top, midX, ph.bottom}},
        {ph.right - 3, midY, DP_DOCK_RIGHT, {midX, ph.top, ph.right, ph.bottom}},
        {midX, ph.bottom - 21, DP_DOCK_BELOW, {ph.left, midY, ph.right, ph.bottom}},
    };
    for (const Case& c : cases) {
        tracker.FindTarget(POINT{c.x, c.y});
        EXPECT_EQ(Layout().Placeholder(), tracker.target) << c.x << "," << c.y;
        EXPECT_FALSE(tracker.tab);
        EXPECT_EQ(c.mode, tracker.mode) << c.x << "," << c.y;
        EXPECT_TRUE(::EqualRect(&c.half, &tracker.targetRect)) << c.x << "," << c.y;
    }
    tracker.FindTarget(POINT{midX, ph.bottom - 22});
    EXPECT_EQ(nullptr, tracker.target);

    // A group's caption band and tab strip make a tab; its other edges dock.
    const RECT g5 = ToRECT(manager_->ScreenRect(*GroupOf(5)));
    const int strip = manager_->Theme()->Metrics().tabHeight;
    tracker.FindTarget(POINT{g5.left + 100, g5.top + 5});
    EXPECT_EQ(GroupOf(5), tracker.target);
    EXPECT_TRUE(tracker.tab);
    EXPECT_TRUE(::EqualRect(&g5, &tracker.targetRect));
    tracker.FindTarget(POINT{g5.left + 100, g5.bottom - 5});
    EXPECT_TRUE(tracker.tab);
    tracker.FindTarget(POINT{g5.left + 15, g5.bottom - strip - 10});
    EXPECT_EQ(GroupOf(5), tracker.target);
    EXPECT_FALSE(tracker.tab);
    EXPECT_EQ(DP_DOCK_LEFT, tracker.mode);
    tracker.FindTarget(POINT{g5.left + 200, g5.top + 80});
    EXPECT_EQ(nullptr, tracker.target);

    // A group is no target for itself.
    tracker.node = GroupOf(5);
    tracker.FindTarget(POINT{g5.left + 100, g5.top + 5});
    EXPECT_EQ(nullptr, tracker.target);

    // Outside the frame's docking area, the root's outer bands.
    const RECT root = ToRECT(manager_->ScreenRect(*Layout().Root()));
    tracker.FindTarget(POINT{root.right + 5, root.top + 300});
    EXPECT_EQ(Layout().Root(), tracker.target);
    EXPECT_EQ(DP_DOCK_RIGHT, tracker.mode);
}

TEST_F(DockManagerTest, DraggingACaptionDocksJoinsOrFloatsWithCtrl) {
    ApplyDefault();
    const HWND g1 = GroupHwnd(1);
    const POINT start = ScreenOf(g1, 60, 6);
    ::SetCursorPos(start.x, start.y);
    // A click that moves 4 pixels changes nothing.
    const std::string before = DescribeLayout(Layout());
    ::PostMessageW(*frame_, WM_MOUSEMOVE, 0, ClientPt(*frame_, POINT{start.x + 4, start.y + 4}));
    ::PostMessageW(*frame_, WM_LBUTTONUP, 0, ClientPt(*frame_, POINT{start.x + 4, start.y + 4}));
    ::SendMessageW(g1, WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 6));
    EXPECT_EQ(before, DescribeLayout(Layout()));
    EXPECT_TRUE(outline_.shown.empty());

    // Onto the caption band of the other group: its panes become tabs there.
    const RECT g5 = ToRECT(manager_->ScreenRect(*GroupOf(5)));
    const POINT band{g5.left + 150, g5.top + 6};
    ::PostMessageW(*frame_, WM_MOUSEMOVE, 0, ClientPt(*frame_, band));
    ::PostMessageW(*frame_, WM_LBUTTONUP, 0, ClientPt(*frame_, band));
    ::SendMessageW(g1, WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 6));
    Pump();
    EXPECT_EQ(GroupOf(5), GroupOf(1));
    ASSERT_FALSE(outline_.shown.empty());
    EXPECT_EQ(DockOutlineKind::Tab, outline_.shown.back().kind);
    EXPECT_EQ(g5.top, outline_.shown.back().rc.top);

    // With Ctrl held (pressed during the drag) nothing docks: the group
    // floats where the outline was.
    outline_.shown.clear();
    const RECT central = ToRECT(manager_->ScreenRect(*Layout().Placeholder()));
    auto ph = [&central] { return central; };
    const HWND g3 = GroupHwnd(3);
    const POINT s3 = ScreenOf(g3, 60, 6);
    ::SetCursorPos(s3.x, s3.y);
    const POINT over{ph().left + 5, ph().top + 100};
    ::PostMessageW(*frame_, WM_MOUSEMOVE, 0, ClientPt(*frame_, over));
    ::PostMessageW(*frame_, WM_KEYDOWN, VK_CONTROL, 0);
    ::PostMessageW(*frame_, WM_LBUTTONUP, MK_CONTROL, ClientPt(*frame_, over));
    ::SendMessageW(g3, WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 6));
    Pump();
    ASSERT_GE(outline_.shown.size(), 2u);
    EXPECT_EQ(DockOutlineKind::Frame, outline_.shown[0].kind);
    // Before Ctrl the central area's left half was the target; with it the
    // drag rectangle is shown.
    EXPECT_EQ(ph().left, outline_.shown[0].rc.left);
    EXPECT_NE(ph().left, outline_.shown[1].rc.left);
    EXPECT_NE(nullptr, manager_->FindPane(3)->FloatingFrame());
    EXPECT_EQ(1u, FrameCountShown());
}

TEST_F(DockManagerTest, FloatingAndRedockingRoundTripThroughTheBlob) {
    ApplyDefault();
    const DockRect homeRect = GroupOf(1)->rect;
    manager_->ToggleDocking(GroupOf(1));
    Pump();
    CDP* pane = manager_->FindPane(1);
    ASSERT_NE(nullptr, pane->FloatingFrame());
    EXPECT_EQ(1u, FrameCountShown());
    auto* frame = static_cast<CDPMiniFrame*>(pane->FloatingFrame()->window);
    EXPECT_EQ(L"Device Tree", frame->GetWindowText());
    // The frame shows the group without a caption: the view starts at the top.
    EXPECT_EQ(0, ChildRect(GroupHwnd(1)).top);
    EXPECT_FALSE(GroupOf(1)->HasCaption());
    // Pane 3 also floats into the same frame... and joins as a tab.
    Layout().MoveToContainer(manager_->FindPane(3), GroupOf(1));
    Pump();
    EXPECT_TRUE(GroupOf(1)->HasTabs());
    EXPECT_TRUE(Screenshot(*frame_, "dock_floating.bmp"));

    // Saved and loaded again, the frames come back where they were.
    const RECT floating = frame->GetWindowRect();
    std::unique_ptr<CDPLayout> snap = manager_->NewLayout();
    manager_->SnapshotLayout(snap.get());
    std::vector<uint8_t> blob;
    ASSERT_TRUE(snap->Save(blob));
    std::unique_ptr<CDPLayout> loaded = manager_->NewLayout();
    ASSERT_TRUE(loaded->Load(blob.data(), blob.size(), ScreenSetRulesForThisScreen()));
    manager_->ApplyLayout(loaded.get());
    Pump();
    pane = manager_->FindPane(1);
    ASSERT_NE(nullptr, pane->FloatingFrame());
    frame = static_cast<CDPMiniFrame*>(pane->FloatingFrame()->window);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(floating.left, frame->GetWindowRect().left);
    EXPECT_EQ(floating.top, frame->GetWindowRect().top);

    // Double-clicking the frame's title docks the panes in their homes: the
    // loaded layout's copies of the groups they sat in before floating.
    CDPTabbedContainer* dockedHome = Layout().GetHome(pane, false);
    CDPTabbedContainer* dockedHome3 = Layout().GetHome(manager_->FindPane(3), false);
    ASSERT_NE(nullptr, dockedHome);
    ASSERT_NE(nullptr, dockedHome3);
    EXPECT_EQ(nullptr, dockedHome->FloatingFrame());
    ::SendMessageW(*frame, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Pump();
    pane = manager_->FindPane(1);
    EXPECT_EQ(nullptr, pane->FloatingFrame());
    EXPECT_EQ(0u, FrameCountShown());
    EXPECT_EQ(dockedHome, pane->Group());
    EXPECT_EQ(dockedHome3, manager_->FindPane(3)->Group());
    EXPECT_TRUE(pane->Group()->IsPlaced());
    EXPECT_EQ(homeRect, pane->Group()->rect);
}

// Every node kind of the current layout, counted.
std::map<uint8_t, size_t> NodeKinds(const CDPLayout& layout) {
    std::map<uint8_t, size_t> kinds;
    for (size_t i = 0; i < layout.NodeCount(); ++i) ++kinds[layout.Node(i)->Type()];
    return kinds;
}

TEST_F(DockManagerTest, FloatingAndRedockingAgainAndAgainKeepsTheLayoutBounded) {
    ApplyDefault();
    // One cycle: the group floats where it is dragged to (a new frame each
    // time), then docks again, by a double click on the frame's title or by
    // a drag onto the edge of another group.
    auto cycle = [&](bool drag) {
        CDPMiniWnd* floating = Layout().FloatNode(GroupOf(1), DockRect{300, 200, 560, 420});
        ASSERT_NE(nullptr, floating);
        Pump();
        auto* frame = static_cast<CDPMiniFrame*>(floating->window);
        ASSERT_NE(nullptr, frame);
        EXPECT_TRUE(frame->IsWindowVisible());
        if (drag)
            ASSERT_TRUE(Layout().DockNodeAt(floating->Child(), DP_DOCK_BELOW, GroupOf(5)));
        else
            ::SendMessageW(*frame, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        Pump();
        EXPECT_EQ(nullptr, manager_->FindPane(1)->FloatingFrame());
        EXPECT_TRUE(GroupOf(1)->IsPlaced());
        EXPECT_EQ(0u, FrameCountShown());
    };
    for (bool drag : {false, true}) {
        SCOPED_TRACE(drag);
        for (int i = 0; i < 2; ++i) cycle(drag);
        const size_t nodes = Layout().NodeCount();
        const std::map<uint8_t, size_t> kinds = NodeKinds(Layout());
        // Each cycle hides a shown frame (about 2 s under Xvfb without a window
        // manager); an unbounded layout grew by several nodes every cycle.
        for (int i = 0; i < 12; ++i) cycle(drag);
        EXPECT_EQ(nodes, Layout().NodeCount());
        EXPECT_EQ(kinds, NodeKinds(Layout()));
        // Floating frames: at most one per pane (a hidden one is a home).
        EXPECT_LE(NodeKinds(Layout())[DP_NODE_FLOATING], Layout().PaneInfos().size());
    }
    // The pane still toggles between its homes.
    manager_->ToggleDocking(manager_->FindPane(1));
    Pump();
    EXPECT_NE(nullptr, manager_->FindPane(1)->FloatingFrame());
    EXPECT_EQ(1u, FrameCountShown());
}

TEST_F(DockManagerTest, ViewsInsideFloatingFramesAreDetachedBeforeTheFramesCloseAtExit) {
    ApplyDefault();
    manager_->ToggleDocking(GroupOf(1));
    Pump();
    CDP* pane = manager_->FindPane(1);
    ASSERT_NE(nullptr, pane->FloatingFrame());
    const HWND view = frame_->views[1];
    ASSERT_EQ(view, CDPManager::HostWindow(pane));
    ASSERT_TRUE(::IsChild(*static_cast<CDPMiniFrame*>(pane->FloatingFrame()->window), view));
    // Exit: the owner frame goes, and with it first the frames it owns.
    frame_->DestroyWindow();
    EXPECT_TRUE(frame_->viewsAtDestroy[1]) << "the floating pane's view died with its frame";
    EXPECT_EQ(nullptr, CDPManager::HostWindow(pane));
    for (const auto& [id, alive] : frame_->viewsAtDestroy) EXPECT_TRUE(alive) << int(id);
}

} // namespace

namespace {

TEST_F(DockManagerTest, TheCloseButtonAsksTheFrameWhichMayVeto) {
    ApplyDefault();
    const HWND gw = GroupHwnd(1);
    ::UpdateWindow(gw);
    const DockRect button = GroupOf(1)->closeButton.rect;
    ASSERT_FALSE(button.IsEmpty());
    // The button carries a tool tip over its rectangle.
    const HWND tip = CDPManager::GroupWindow(GroupOf(1))->ToolTip();
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    const LPARAM at = Pt((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    const POINT screen = ScreenOf(gw, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
    ::SetCursorPos(screen.x, screen.y);

    frame_->closeAnswer = -1;
    ::PostMessageW(gw, WM_LBUTTONUP, 0, at);
    ::SendMessageW(gw, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(1, frame_->Count(DPN_CLOSE_PANE));
    EXPECT_FALSE(manager_->IsPaneHidden(1));

    // Released outside the button: no question at all.
    ::PostMessageW(gw, WM_LBUTTONUP, 0, Pt(5, 5));
    ::SendMessageW(gw, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(1, frame_->Count(DPN_CLOSE_PANE));

    frame_->closeAnswer = 0;
    ::PostMessageW(gw, WM_LBUTTONUP, 0, at);
    ::SendMessageW(gw, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(2, frame_->Count(DPN_CLOSE_PANE));
    EXPECT_TRUE(manager_->IsPaneHidden(1));
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(DockManagerTest, RightButtonAsksForTheCaptionMenuOnlyWithTheFocus) {
    ApplyDefault();
    CDPTabbedContainer* group = GroupOf(5);
    const HWND gw = GroupHwnd(5);
    const DockRect tab = group->tabs[2].rect;
    const LPARAM at = Pt(tab.left + 3, (tab.top + tab.bottom) / 2);
    ::SendMessageW(gw, WM_RBUTTONDOWN, MK_RBUTTON, at);
    EXPECT_EQ(manager_->FindPane(8), group->GetActivePane());
    ::SendMessageW(gw, WM_RBUTTONUP, 0, at);
    ASSERT_EQ(1, frame_->Count(DPN_CAPTION_MENU));
    EXPECT_EQ(reinterpret_cast<LPARAM>(group), frame_->notes.back().second);

    // A pane without a view cannot hold the focus: no menu.
    manager_->DetachHostWindow(manager_->FindPane(8));
    ::SetFocus(*frame_);
    frame_->closeAnswer = 0;
    ::SendMessageW(gw, WM_RBUTTONUP, 0, at);
    EXPECT_EQ(1, frame_->Count(DPN_CAPTION_MENU));
}

TEST_F(DockManagerTest, ModalLoopsPassQuitOnAndChangeNothing) {
    ApplyDefault();
    const std::string before = DescribeLayout(Layout());
    const HWND g1 = GroupHwnd(1);
    ::SetCursorPos(ScreenOf(g1, 60, 6).x, ScreenOf(g1, 60, 6).y);
    ::PostMessageW(*frame_, WM_MOUSEMOVE, 0, ClientPt(*frame_, ScreenOf(*frame_, 700, 100)));
    ::PostQuitMessage(7);
    ::SendMessageW(g1, WM_LBUTTONDOWN, MK_LBUTTON, Pt(60, 6));
    EXPECT_EQ(before, DescribeLayout(Layout()));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(outline_.begun, outline_.ended);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);

    // The splitter bar's loop does the same.
    auto* column = static_cast<CDPSplitterContainer*>(GroupOf(1)->Parent());
    const HWND bar = *static_cast<DockBarWindows*>(column->window)->bars[0];
    const uint16_t cy = GroupOf(1)->cy;
    ::PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, Pt(1, 60));
    ::PostQuitMessage(8);
    ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, Pt(1, 1));
    EXPECT_EQ(cy, GroupOf(1)->cy);
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(8u, msg.wParam);
}

TEST_F(DockManagerTest, ClosingAFloatingFrameKeepsPanesThatCannotClose) {
    ApplyDefault();
    manager_->ToggleDocking(GroupOf(3));
    Pump();
    CDPMiniWnd* floating = manager_->FindPane(3)->FloatingFrame();
    ASSERT_NE(nullptr, floating);
    ASSERT_EQ(floating, manager_->FindPane(4)->FloatingFrame());
    manager_->FindPane(4)->SetFlags(DP_PANE_NO_CLOSE);
    auto* frame = static_cast<CDPMiniFrame*>(floating->window);
    ::SendMessageW(*frame, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(manager_->IsPaneHidden(3));
    EXPECT_TRUE(manager_->IsPaneHidden(2));
    EXPECT_EQ(floating, manager_->FindPane(4)->FloatingFrame());
    EXPECT_TRUE(frame->IsWindowVisible());
    // A flagged pane's group shows no close button.
    ::UpdateWindow(GroupHwnd(4));
    EXPECT_TRUE(GroupOf(4)->closeButton.rect.IsEmpty());
    if (const HWND tip = CDPManager::GroupWindow(GroupOf(4))->ToolTip()) {
        EXPECT_EQ(0, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    }
}

} // namespace

namespace {

TEST_F(DockManagerTest, PaneIconsComeFromTheBitmapAndSkipIdsBelowOne) {
    const int ids[] = {4, 0, 7};
    EXPECT_TRUE(manager_->LoadPaneIcons(129, ids, 3, RGB(0xFF, 0x00, 0xFF)));
    EXPECT_NE(nullptr, manager_->GetPaneIcon(4));
    EXPECT_NE(nullptr, manager_->GetPaneIcon(7));
    EXPECT_EQ(nullptr, manager_->GetPaneIcon(0));
    EXPECT_EQ(nullptr, manager_->GetPaneIcon(5));
    // The first image is red; the third one is all mask colour.
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(manager_->GetPaneIcon(4), &info));
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, info.hbmColor);
    EXPECT_EQ(RGB(0xFF, 0, 0), ::GetPixel(dc, 8, 8));
    ::SelectObject(dc, info.hbmMask);
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(dc, 8, 8));  // opaque
    ::SelectObject(dc, old);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ASSERT_TRUE(::GetIconInfo(manager_->GetPaneIcon(7), &info));
    ::SelectObject(dc, info.hbmMask);
    EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), ::GetPixel(dc, 8, 8));  // transparent
    ::SelectObject(dc, old);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DeleteDC(dc);

    // Setting an icon keeps a copy; the tabs show the pane's icon.
    const HICON before = manager_->GetPaneIcon(4);
    manager_->SetPaneIcon(4, ::LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_NE(before, manager_->GetPaneIcon(4));
    ApplyDefault();
    CDPTabbedContainer* group = GroupOf(4);
    for (const DP_TAB& tab : group->tabs)
        EXPECT_EQ(manager_->GetPaneIcon(tab.pane->GetId()), tab.icon) << int(tab.pane->GetId());
}

} // namespace

namespace {

TEST_F(DockManagerTest, ThemeCreateAndSystemChangesAskForALayout) {
    ApplyDefault();
    CDPPaintManager* theme = manager_->Theme();
    manager_->SetTheme(1);
    manager_->SetTheme(2);
    EXPECT_EQ(theme, manager_->Theme());
    EXPECT_EQ(1, manager_->Theme()->themeId);
    CDPLayout* layout = manager_->GetLayout();
    manager_->Create(frame_);
    EXPECT_EQ(layout, manager_->GetLayout());

    for (UINT msg : {UINT(WM_SYSCOLORCHANGE), UINT(WM_SETTINGCHANGE)}) {
        Pump();
        ASSERT_FALSE(frame_->IsLayoutPending());
        ::SendMessageW(*manager_, msg, 0, 0);
        EXPECT_TRUE(frame_->IsLayoutPending()) << msg;
        EXPECT_EQ(manager_->Theme()->Metrics().captionHeight,
                  DockMetricsFromBlankHeights(manager_->System().BlankHeight(DockFont::Caption), 0).captionHeight);
    }
}

} // namespace
