// The resizable dialog base on real dialogs: the layout follows the size,
// the tree bounds the tracking size, maximising hides the grip, and the
// placement survives in the profile (damaged or off-screen values centre the
// dialog on its parent).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "tests/WindowScreenshot.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "tests/toolkit/layout/win/layout_test_ids.h"
#include "toolkit/layout/win/ResizableDialog.h"

namespace brx {
namespace {

using test::ChildRect;

constexpr wchar_t kSection[] = L"TestSettings";

class CTestDialog : public CLD {
public:
    explicit CTestDialog(HWND parent, const wchar_t* section = kSection, BOOL showGrip = TRUE)
        : CLD(IDD_RESIZABLE, parent, section, nullptr, showGrip) {}

    std::function<void(CTestDialog&)> build;
    int layouts = 0;

    BOOL OnInitDialog() override {
        CLD::OnInitDialog();
        ::SendDlgItemMessageW(m_hWnd, IDC_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(IDC_NAME)), 0);
        for (const wchar_t* s : {L"Devices", L"Hubs", L"Controllers"}) {
            ::SendDlgItemMessageW(m_hWnd, IDC_KIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
            ::SendDlgItemMessageW(m_hWnd, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
            ::SendDlgItemMessageW(m_hWnd, IDC_SIMPLE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        }
        ::SendDlgItemMessageW(m_hWnd, IDC_KIND, CB_SETCURSEL, 0, 0);
        if (build) build(*this);
        else BuildDefault();
        return TRUE;
    }

    void UpdateLayout() override {
        ++layouts;
        CLD::UpdateLayout();
    }

    // A name row, a framed list with a simple combo and a check box, and the
    // buttons at the bottom right.
    void BuildDefault() {
        CPane root = CreateRoot(LM_COLUMN);
        CPane top = MakePane(LM_ROW, LM_FIXED_H);
        top->AddItem(MakeItem(IDC_LABEL, LM_FIXED_W | LM_FIXED_H | LM_ALIGN_T | LM_ALIGN_B))
            ->AddItem(MakeItem(IDC_NAME, LM_FIXED_H))
            ->AddItem(MakeItem(IDC_KIND, LM_PERCENT_W, 50, 0, 60, -1));
        CPane lists = MakePane(LM_ROW, 0);
        lists->AddItem(MakeItem(IDC_LIST, 0, 0, 0, 60, 40))->AddItem(MakeItem(IDC_SIMPLE, LM_FIXED_W, 0, 0, -1, 40));
        CPane group = MakePaneCtrl(IDC_GROUP, LM_COLUMN, 0, 5, 7, 10);
        group->AddPane(lists)->AddItem(MakeItem(IDC_CHECK, LM_FIXED_H));
        CPane buttons = MakePane(LM_ROW, LM_FIXED_H, 6);
        buttons->AddItem(MakeGrowingSpacer(0))
            ->AddItem(MakeItem(IDOK, LM_FIXED_W | LM_FIXED_H))
            ->AddItem(MakeItem(IDCANCEL, LM_FIXED_W | LM_FIXED_H));
        root->AddPane(top)->AddPane(group)->AddPane(buttons);
        SetRoot(root);
    }

    // Every row of a fixed height: the dialog's height is bounded, its width
    // is not.
    void BuildFixedHeight() {
        CPane root = CreateRoot(LM_COLUMN);
        CPane top = MakePane(LM_ROW, LM_FIXED_H);
        top->AddItem(MakeItem(IDC_LABEL, LM_FIXED_W | LM_FIXED_H))->AddItem(MakeItem(IDC_NAME, LM_FIXED_H));
        CPane buttons = MakePane(LM_ROW, LM_FIXED_H, 6);
        buttons->AddItem(MakeGrowingSpacer(0))
            ->AddItem(MakeItem(IDOK, LM_FIXED_W | LM_FIXED_H))
            ->AddItem(MakeItem(IDCANCEL, LM_FIXED_W | LM_FIXED_H));
        root->AddPane(top)->AddPane(buttons);
        for (int id : {IDC_KIND, IDC_GROUP, IDC_LIST, IDC_SIMPLE, IDC_CHECK}) ::ShowWindow(GetDlgItem(id), SW_HIDE);
        SetRoot(root);
    }

    HWND Item(int id) const { return GetDlgItem(id); }
    HWND Grip() const { return m_wndGrip.m_hWnd; }
};

std::wstring TestProfilePath() {
    std::string dir = BRX_TEST_OUTPUT_DIR;
    std::wstring path(dir.begin(), dir.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path + L"\\layout_profile.INI";
}

CRect ScreenRect(HWND hwnd) {
    CRect rc;
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

class ResizableDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        host_ = test::SharedHost(CRect(200, 150, 900, 650));
        saved_ = test::App().m_strProfileName;
        test::App().m_strProfileName = TestProfilePath();
        ::DeleteFileW(TestProfilePath().c_str());
    }
    void TearDown() override { test::App().m_strProfileName = saved_; }

    std::unique_ptr<CTestDialog> Open(const wchar_t* section = kSection,
                                      std::function<void(CTestDialog&)> build = nullptr) {
        auto dialog = std::make_unique<CTestDialog>(host_->m_hWnd, section);
        dialog->build = std::move(build);
        EXPECT_TRUE(dialog->Create(IDD_RESIZABLE, host_->m_hWnd)) << "error " << ::GetLastError() << " layouts " << dialog->layouts;
        return dialog;
    }

    void Resize(CTestDialog& d, int width, int height) {
        ::SetWindowPos(d, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The rectangle CenterWindow gives a window of this size over the host.
    CRect CentredOnHost(const CRect& window) const {
        CRect over = ScreenRect(host_->m_hWnd);
        int x = (over.left + over.right) / 2 - window.Width() / 2;
        int y = (over.top + over.bottom) / 2 - window.Height() / 2;
        return CRect(x, y, x + window.Width(), y + window.Height());
    }

    std::wstring ProfileValue(const wchar_t* section, const wchar_t* entry) {
        return test::App().GetProfileString(section, entry, L"<none>");
    }

    test::CTestHostWnd* host_ = nullptr;
    std::wstring saved_;
};

TEST_F(ResizableDialog, ControlsFollowTheSize) {
    auto d = Open();
    EXPECT_TRUE(d->GetStyle() & WS_THICKFRAME);
    EXPECT_FALSE(d->GetStyle() & WS_VISIBLE) << "the dialog stays hidden for its owner to show";
    RECT droppedBefore{};
    ::SendMessageW(d->Item(IDC_KIND), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&droppedBefore));
    const int droppedHeight = droppedBefore.bottom - droppedBefore.top;
    CRect okBefore = ChildRect(d->Item(IDOK));

    for (CSize size : {CSize(420, 300), CSize(700, 520), CSize(460, 330)}) {
        Resize(*d, size.cx, size.cy);
        CRect client = d->GetClientRect();
        CRect ok = ChildRect(d->Item(IDOK)), cancel = ChildRect(d->Item(IDCANCEL));
        CRect group = ChildRect(d->Item(IDC_GROUP)), list = ChildRect(d->Item(IDC_LIST));
        CRect name = ChildRect(d->Item(IDC_NAME)), spin = ChildRect(d->Item(IDC_SPIN));
        CRect kind = ChildRect(d->Item(IDC_KIND)), simple = ChildRect(d->Item(IDC_SIMPLE));
        CRect check = ChildRect(d->Item(IDC_CHECK)), label = ChildRect(d->Item(IDC_LABEL));
        SCOPED_TRACE(testing::Message() << "client " << client.Width() << "x" << client.Height());

        // Buttons keep their size at the lower right, inside the margin.
        EXPECT_EQ(cancel.right, client.right - 5);
        EXPECT_EQ(cancel.bottom, client.bottom - 5);
        EXPECT_EQ(ok.Size().cx, okBefore.Width());
        EXPECT_EQ(ok.right + 6, cancel.left);
        // The group box spans the width between the rows; its children sit
        // inside its frame, below its caption.
        EXPECT_EQ(group.left, 5);
        EXPECT_EQ(group.right, client.right - 5);
        EXPECT_EQ(group.bottom + 5, ok.top);
        EXPECT_EQ(list.left, group.left + 7);
        EXPECT_EQ(list.top, group.top + 10 + 7);
        EXPECT_TRUE(Contains(group, check));
        EXPECT_EQ(simple.right, group.right - 7);
        // The simple combo box ends where its list ends.
        CRect simpleList = ScreenRect(::GetDlgItem(d->Item(IDC_SIMPLE), 1000));
        ::MapWindowPoints(nullptr, *d, reinterpret_cast<POINT*>(&simpleList), 2);
        EXPECT_EQ(simple.bottom, simpleList.bottom);
        EXPECT_GT(simple.Height(), 40);
        // The top row: the percent combo takes half of what the label leaves,
        // the name edit shares the rest, the up-down follows its edit box.
        const int rowSpace = client.Width() - 10 - 2 * 5 - label.Width();
        EXPECT_EQ(kind.Width(), rowSpace / 2);
        EXPECT_EQ(kind.right, client.right - 5);
        // (Wine's up-down overlaps its buddy's border and ends 3 pixels
        // beyond the cell: its own arithmetic.)
        EXPECT_TRUE(spin.left < name.right && spin.right > name.right) << "the up-down sits on its buddy's right";
        EXPECT_LE(spin.right + 5, kind.left + 3);
        EXPECT_EQ(spin.top, name.top);
        // The drop-down combo keeps its dropped list.
        RECT dropped{};
        ::SendMessageW(d->Item(IDC_KIND), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        EXPECT_EQ(dropped.bottom - dropped.top, droppedHeight);
        // The grip sits in the corner.
        CRect grip = ChildRect(d->Grip());
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
        EXPECT_TRUE(::GetWindowLongPtrW(d->Grip(), GWL_STYLE) & WS_VISIBLE);
    }
    d->DestroyWindow();
}

TEST_F(ResizableDialog, BackgroundIsPaintedOnlyWhereNoVisibleChildCovers) {
    auto d = Open();
    Resize(*d, 460, 330);
    // A tab control paints its tabs, not its display area; a hidden control
    // is painted over.
    CRect tabRect(20, 160, 200, 230);
    HWND tab = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, tabRect.left,
                                 tabRect.top, tabRect.Width(), tabRect.Height(), *d, nullptr, nullptr, nullptr);
    ASSERT_TRUE(tab);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"General");
    ::SendMessageW(tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ::ShowWindow(d->Item(IDC_CHECK), SW_HIDE);

    CRect client = d->GetClientRect();
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.Width(), client.Height());
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const COLORREF sentinel = RGB(255, 0, 255);
    HBRUSH fill = ::CreateSolidBrush(sentinel);
    ::FillRect(dc, &client, fill);
    ::DeleteObject(fill);
    d->EraseBackground(dc);

    auto painted = [&](POINT p) { return ::GetPixel(dc, p.x, p.y) != sentinel; };
    auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    CRect group = ChildRect(d->Item(IDC_GROUP)), list = ChildRect(d->Item(IDC_LIST));
    CRect display = tabRect;
    ::SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    EXPECT_FALSE(painted(centre(list))) << "a visible control is left alone";
    EXPECT_FALSE(painted(centre(ChildRect(d->Item(IDOK)))));
    EXPECT_TRUE(painted(POINT{group.left + 2, group.top + 2})) << "the group box is painted over";
    EXPECT_TRUE(painted(centre(ChildRect(d->Item(IDC_CHECK))))) << "a hidden control is painted over";
    EXPECT_TRUE(painted(POINT{2, 2})) << "the margin";
    EXPECT_TRUE(painted(centre(display))) << "the tab control's display area";
    EXPECT_FALSE(painted(POINT{tabRect.left + 10, tabRect.top + 5})) << "the tabs themselves";

    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::DestroyWindow(tab);
    d->DestroyWindow();
}

TEST_F(ResizableDialog, TrackingStopsAtTheTreesMinimumAndMaximum) {
    auto d = Open();
    CSize minimum, maximum;
    ASSERT_TRUE(d->GetTrackSizes(minimum, maximum));
    EXPECT_EQ(maximum.cx, -1) << "sharing children: no maximum";
    EXPECT_EQ(maximum.cy, -1);
    MINMAXINFO info{};
    info.ptMaxTrackSize = {4000, 3000};
    ::SendMessageW(*d, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, minimum.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, minimum.cy);
    EXPECT_EQ(info.ptMaxTrackSize.x, 4000) << "unbounded leaves the system's maximum";

    CRect window = d->GetWindowRect(), client = d->GetClientRect();
    EXPECT_EQ(minimum.cx, d->GetRoot()->GetMinWidth() + window.Width() - client.Width() + 10);

    // Sized below the minimum by anyone, the dialog comes back to it, and the
    // controls do not overlap.
    Resize(*d, 40, 30);
    EXPECT_EQ(d->GetWindowRect().Size().cx, minimum.cx);
    EXPECT_EQ(d->GetWindowRect().Size().cy, minimum.cy);
    CRect group = ChildRect(d->Item(IDC_GROUP)), ok = ChildRect(d->Item(IDOK));
    CRect name = ChildRect(d->Item(IDC_NAME)), kind = ChildRect(d->Item(IDC_KIND));
    EXPECT_FALSE(Overlap(group, ok));
    EXPECT_FALSE(Overlap(name, kind));
    EXPECT_TRUE(Contains(d->GetClientRect(), ChildRect(d->Item(IDCANCEL))));
    d->DestroyWindow();

    // All rows of a fixed height: the height is bounded both ways.
    auto f = Open(kSection, [](CTestDialog& t) { t.BuildFixedHeight(); });
    ASSERT_TRUE(f->GetTrackSizes(minimum, maximum));
    EXPECT_EQ(maximum.cx, -1);
    EXPECT_EQ(maximum.cy, minimum.cy);
    info = MINMAXINFO{};
    info.ptMaxTrackSize = {4000, 3000};
    info.ptMaxSize = {4000, 3000};
    ::SendMessageW(*f, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.y, minimum.cy);
    EXPECT_EQ(info.ptMaxSize.y, minimum.cy);
    Resize(*f, 500, 900);
    EXPECT_EQ(f->GetWindowRect().Height(), maximum.cy);
    EXPECT_EQ(f->GetWindowRect().Width(), 500);
    f->DestroyWindow();
}

// The user's drag of the lower-right corner through the system's own sizing
// loop, which reads WM_GETMINMAXINFO, starts from the position of the last
// message taken and follows the position of each mouse message: a message
// taken with the cursor on the corner starts it, a message-filter hook gives
// the loop's mouse move the position `to`, then the button is released.
POINT g_dragTo;

LRESULT CALLBACK DragFilter(int code, WPARAM wp, LPARAM lp) {
    auto* msg = reinterpret_cast<MSG*>(lp);
    if (code >= 0 && msg && msg->message == WM_MOUSEMOVE) msg->pt = g_dragTo;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

CRect DragCorner(HWND dialog, int dx, int dy) {
    CRect window;
    ::GetWindowRect(dialog, &window);
    g_dragTo = POINT{window.right - 1 + dx, window.bottom - 1 + dy};
    ::SetCursorPos(window.right - 1, window.bottom - 1);
    constexpr UINT kStart = WM_APP + 7;
    ::PostMessageW(dialog, kStart, 0, 0);
    MSG taken;
    ::PeekMessageW(&taken, dialog, kStart, kStart, PM_REMOVE);
    HHOOK hook = ::SetWindowsHookExW(WH_MSGFILTER, &DragFilter, nullptr, ::GetCurrentThreadId());
    ::PostMessageW(dialog, WM_MOUSEMOVE, 0, 0);
    ::PostMessageW(dialog, WM_LBUTTONUP, 0, 0);
    ::SendMessageW(dialog, WM_SYSCOMMAND, SC_SIZE + WMSZ_BOTTOMRIGHT, MAKELPARAM(window.right - 1, window.bottom - 1));
    ::UnhookWindowsHookEx(hook);
    ::GetWindowRect(dialog, &window);
    return window;
}

TEST_F(ResizableDialog, TheSystemsSizingLoopIsHeldToTheLimits) {
    auto d = Open();
    d->ShowWindow(SW_SHOWNORMAL);
    CSize minimum, maximum;
    ASSERT_TRUE(d->GetTrackSizes(minimum, maximum));
    Resize(*d, minimum.cx + 40, minimum.cy + 40);
    CRect after = DragCorner(*d, -1000, -1000);
    EXPECT_EQ(after.Width(), minimum.cx) << "dragged far inside, it stops at the minimum";
    EXPECT_EQ(after.Height(), minimum.cy);
    after = DragCorner(*d, 100, 70);
    EXPECT_EQ(after.Width(), minimum.cx + 100) << "dragged outwards, it follows";
    EXPECT_EQ(after.Height(), minimum.cy + 70);
    EXPECT_EQ(ChildRect(d->Item(IDCANCEL)).right, d->GetClientRect().right - 5);
    // What the layout's own invalidation leaves on the screen after the drag.
    test::Pump();
    EXPECT_TRUE(test::SaveScreenshot(*d, "resizable_dragged.bmp"));
    EXPECT_EQ(::SendMessageW(d->Grip(), WM_NCHITTEST, 0, 0), HTBOTTOMRIGHT) << "the grip sizes the dialog";
    EXPECT_EQ(::SendMessageW(d->Grip(), WM_GETDLGCODE, 0, 0), DLGC_STATIC) << "and never takes the focus";
    d->DestroyWindow();

    // Every row of a fixed height: dragging down stops at the maximum height.
    auto f = Open(kSection, [](CTestDialog& t) { t.BuildFixedHeight(); });
    f->ShowWindow(SW_SHOWNORMAL);
    ASSERT_TRUE(f->GetTrackSizes(minimum, maximum));
    CRect window = f->GetWindowRect();
    after = DragCorner(*f, 50, 200);
    EXPECT_EQ(after.Height(), maximum.cy);
    EXPECT_EQ(after.Width(), window.Width() + 50);
    f->DestroyWindow();
}

TEST_F(ResizableDialog, MaximisingHidesTheGripAndRestoringShowsIt) {
    auto d = Open();
    d->ShowWindow(SW_SHOWNORMAL);
    Resize(*d, 440, 310);
    ::RedrawWindow(*d, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    ASSERT_TRUE(test::SaveScreenshot(*d, "resizable_small.bmp"));
    Resize(*d, 640, 450);
    ::RedrawWindow(*d, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    ASSERT_TRUE(test::SaveScreenshot(*d, "resizable_large.bmp"));
    EXPECT_TRUE(d->IsSizeGripVisible());

    d->ShowWindow(SW_MAXIMIZE);
    EXPECT_TRUE(::IsZoomed(*d));
    EXPECT_FALSE(d->IsSizeGripVisible());
    EXPECT_FALSE(::GetWindowLongPtrW(d->Grip(), GWL_STYLE) & WS_VISIBLE);
    CRect client = d->GetClientRect();
    EXPECT_EQ(ChildRect(d->Item(IDCANCEL)).right, client.right - 5) << "laid out at the maximised size";

    d->ShowWindow(SW_RESTORE);
    EXPECT_FALSE(::IsZoomed(*d));
    EXPECT_TRUE(d->IsSizeGripVisible());
    EXPECT_TRUE(::GetWindowLongPtrW(d->Grip(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(d->GetWindowRect().Size().cx, 640);
    EXPECT_EQ(ChildRect(d->Grip()).right, d->GetClientRect().right);

    // Saved while maximised, it reopens maximised.
    d->ShowWindow(SW_MAXIMIZE);
    d->DestroyWindow();
    auto again = Open();
    EXPECT_TRUE(::IsZoomed(*again));
    EXPECT_FALSE(again->IsSizeGripVisible());
    again->ShowWindow(SW_RESTORE);
    EXPECT_EQ(again->GetWindowRect().Size().cx, 640) << "the normal position came back too";
    again->DestroyWindow();
}

TEST_F(ResizableDialog, MissingControlsAndAGripLeftHidden) {
    auto d = std::make_unique<CTestDialog>(host_->m_hWnd, kSection, FALSE);
    d->build = [](CTestDialog& t) {
        // A missing control gives an item without window that keeps its
        // given size; a missing frame frames nothing.
        CLM::CPaneBase ghost = t.MakeItem(9999, LM_FIXED_W | LM_FIXED_H, 40, 30);
        auto* item = dynamic_cast<LayoutItem*>(ghost.get());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->window, 0u);
        EXPECT_EQ(item->GetMinWidth(), 40);
        CLM::CPane root = t.CreateRoot(LM_COLUMN);
        CLM::CPane frame = t.MakePaneCtrl(9998, LM_COLUMN, 0, 5, 0, 10);
        frame->AddItem(t.MakeItem(IDC_LIST, 0));
        root->AddItem(ghost)->AddPane(frame);
        t.SetRoot(root);
    };
    ASSERT_TRUE(d->Create(IDD_RESIZABLE, host_->m_hWnd));
    Resize(*d, 400, 300);
    EXPECT_EQ(ChildRect(d->Item(IDC_LIST)).top, 5 + 30 + 5 + 10) << "below the empty item and the caption space";
    EXPECT_FALSE(d->IsSizeGripVisible());
    EXPECT_FALSE(::GetWindowLongPtrW(d->Grip(), GWL_STYLE) & WS_VISIBLE);
    // Maximising and restoring do not bring a grip the dialog did not want.
    ::SendMessageW(*d, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600));
    ::SendMessageW(*d, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    EXPECT_FALSE(d->IsSizeGripVisible());
    d->DestroyWindow();
}

TEST_F(ResizableDialog, PlacementIsSavedAndRestored) {
    auto d = Open();
    ::SetWindowPos(*d, nullptr, 310, 220, 480, 360, SWP_NOZORDER | SWP_NOACTIVATE);
    CRect placed = d->GetWindowRect();
    d->DestroyWindow();
    std::wstring text = ProfileValue(kSection, L"WindowPlacement");
    EXPECT_EQ(text.size(), 88u) << "44 bytes as two letters each";
    for (wchar_t c : text) EXPECT_TRUE(c >= L'A' && c <= L'P');

    auto again = Open();
    EXPECT_EQ(again->GetWindowRect(), placed);
    EXPECT_FALSE(again->GetStyle() & WS_VISIBLE);
    again->DestroyWindow();

    // Without a section nothing is read or written.
    ::DeleteFileW(TestProfilePath().c_str());
    auto none = Open(nullptr);
    ::SetWindowPos(*none, nullptr, 10, 10, 480, 360, SWP_NOZORDER | SWP_NOACTIVATE);
    none->DestroyWindow();
    EXPECT_EQ(ProfileValue(kSection, L"WindowPlacement"), L"<none>");
    EXPECT_EQ(ProfileValue(L"", L"WindowPlacement"), L"<none>");
}

TEST_F(ResizableDialog, DamagedOrOffScreenPlacementsAreCentredOnTheParent) {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    auto record = [](RECT normal, UINT showCmd = SW_SHOWNORMAL, UINT length = sizeof(WINDOWPLACEMENT)) {
        WINDOWPLACEMENT wp{};
        wp.length = length;
        wp.showCmd = showCmd;
        wp.rcNormalPosition = normal;
        std::vector<uint8_t> bytes(sizeof wp);
        std::memcpy(bytes.data(), &wp, sizeof wp);
        return bytes;
    };
    auto shorter = record({100, 100, 500, 400});
    shorter.pop_back();
    auto longer = record({100, 100, 500, 400});
    longer.push_back(0);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"43 bytes", shorter},
        {"45 bytes", longer},
        {"a wrong length field", record({100, 100, 500, 400}, SW_SHOWNORMAL, 40)},
        {"wholly right of the screen", record({work.right + 100, 100, work.right + 500, 400})},
        {"wholly above the screen", record({100, work.top - 600, 500, work.top - 300})},
        {"an empty rectangle", record({300, 200, 300, 200})},
    };
    for (const Case& c : cases) {
        test::App().WriteProfileBinary(kSection, L"WindowPlacement", c.bytes.data(), c.bytes.size());
        auto d = Open();
        CRect window = d->GetWindowRect();
        EXPECT_EQ(window, CentredOnHost(window)) << c.what;
        d->DestroyWindow();
    }
    // Text that is not two letters per byte is no value either.
    test::App().WriteProfileString(kSection, L"WindowPlacement", L"not a placement");
    auto d = Open();
    EXPECT_EQ(d->GetWindowRect(), CentredOnHost(d->GetWindowRect()));
    d->DestroyWindow();
}

TEST_F(ResizableDialog, PartlyOffScreenPlacementsAreFittedToTheWorkArea) {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = work.right - work.left;
    struct Case {
        const char* what;
        RECT stored;
        UINT showCmd;
        RECT expected;
    } cases[] = {
        {"beyond the right edge moves left", {work.right - 300, 100, work.right + 100, 400}, SW_SHOWNORMAL,
         {work.right - 400, 100, work.right, 400}},
        {"wider than the work area is cut at the left edge", {work.left - 50, 100, work.left + w + 150, 400},
         SW_SHOWNORMAL, {work.left, 100, work.right, 400}},
        {"above the top moves down", {100, work.top - 100, 500, work.top + 250}, SW_SHOWNORMAL,
         {100, work.top, 500, work.top + 350}},
        {"saved minimised reopens normal", {120, 140, 560, 460}, SW_SHOWMINIMIZED, {120, 140, 560, 460}},
        {"inverted edges are put right", {560, 460, 120, 140}, SW_SHOWNORMAL, {120, 140, 560, 460}},
    };
    for (const Case& c : cases) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        wp.showCmd = c.showCmd;
        wp.rcNormalPosition = c.stored;
        test::App().WriteProfileBinary(kSection, L"WindowPlacement", &wp, sizeof wp);
        auto d = Open();
        EXPECT_EQ(d->GetWindowRect(), CRect(c.expected)) << c.what;
        EXPECT_FALSE(::IsIconic(*d)) << c.what;
        d->DestroyWindow();
    }
}

} // namespace
} // namespace brx
