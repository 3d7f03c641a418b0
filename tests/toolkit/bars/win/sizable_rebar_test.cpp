// The sizable rebar in a real frame: its state round trip through the
// settings store (order, widths, breaks, hidden bands and their children),
// fewer or stale records, the lock with its grippers and sizing strip, the
// context menu's entries, and the version class from the system seams.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "capture/win/SettingsStore.h"
#include "capture/win/SystemSeams.h"
#include "framework/FrameWnd.h"
#include "framework/ToolBar.h"
#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "toolkit/bars/BarState.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/VersionClass.h"

namespace brx {
namespace {

constexpr const wchar_t* kSection = L"ReBarTest";
constexpr UINT kMenuId = 33004, kMainId = 0xE800, kToolsId = 0xE801;
constexpr UINT kCmdA = 0x7201, kCmdB = 0x7202, kCmdC = 0x7203;

void ClearSection() {
    HKEY app = OpenAppRegKey();
    ASSERT_NE(app, nullptr);
    ::RegDeleteTreeW(app, kSection);
    ::RegCloseKey(app);
}

class CReBarFrame : public CFrameWnd {
public:
    CReBarFrame() { m_bAutoDelete = false; }
    ~CReBarFrame() override { DestroyWindow(); }
    CSizableReBar rebar;
    CToolBar menu, main, tools;

    // Shown only when the screen is read.
    bool Build(bool shown = false) {
        if (!Create(nullptr, L"Rebar", WS_OVERLAPPEDWINDOW, CRect(10, 10, 710, 310))) return false;
        if (!rebar.Create(m_hWnd)) return false;
        const UINT ids[] = {kCmdA, kCmdB, kCmdC};
        for (auto [bar, id] : {std::pair{&menu, kMenuId}, {&main, kMainId}, {&tools, kToolsId}}) {
            if (!bar->CreateEx(m_hWnd, TBSTYLE_FLAT | TBSTYLE_LIST, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                               CRect(0, 0, 0, 0), id))
                return false;
            bar->SetButtons(ids, 3);
            for (int i = 0; i < 3; ++i) bar->SetButtonText(i, L"Item");
        }
        if (!rebar.AddBar(&menu, nullptr, 0, nullptr, TRUE, TRUE)) return false;
        if (!rebar.AddBar(&main, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE)) return false;
        if (!rebar.AddBar(&tools, nullptr, 0, L"Tools", TRUE, FALSE)) return false;
        if (shown) ShowWindow(SW_SHOWNORMAL);
        RecalcLayout();
        test::Pump();
        return true;
    }
    HWND Ctrl() const { return rebar.GetReBarCtrl(); }
    std::vector<UINT> Order() const {
        std::vector<UINT> ids;
        int n = static_cast<int>(::SendMessageW(Ctrl(), RB_GETBANDCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) ids.push_back(Band(i).wID);
        return ids;
    }
    REBARBANDINFOW Band(int index) const {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID | RBBIM_CHILD;
        ::SendMessageW(Ctrl(), RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
        return band;
    }
    REBARBANDINFOW BandOf(UINT id) const {
        return Band(static_cast<int>(::SendMessageW(Ctrl(), RB_IDTOINDEX, id, 0)));
    }
    void SetWidth(UINT id, UINT cx) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_SIZE;
        band.cx = cx;
        ::SendMessageW(Ctrl(), RB_SETBANDINFOW, ::SendMessageW(Ctrl(), RB_IDTOINDEX, id, 0),
                       reinterpret_cast<LPARAM>(&band));
    }
};

TEST(SizableReBar, StateRoundTripKeepsOrderWidthsBreaksAndHiddenBands) {
    ClearSection();
    {
        CReBarFrame frame;
        ASSERT_TRUE(frame.Build(true));
        EXPECT_EQ(frame.Order(), (std::vector<UINT>{kMenuId, kMainId, kToolsId}));
        // The user drags Tools to the front of the second row, hides Main and locks.
        ::SendMessageW(frame.Ctrl(), RB_MOVEBAND, 2, 1);
        frame.SetWidth(kToolsId, 230);
        frame.SetWidth(kMenuId, 310);
        frame.rebar.OnContextCommand(kMainId, nullptr);
        EXPECT_FALSE(test::HasVisibleStyle(frame.main.m_hWnd));
        frame.rebar.OnContextCommand(ID_REBAR_LOCK, nullptr);
        frame.rebar.SaveState(kSection);
        EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "rebar_saved.bmp"));
    }
    CReBarFrame frame;
    ASSERT_TRUE(frame.Build());
    EXPECT_FALSE(frame.rebar.IsLocked());
    frame.rebar.LoadState(kSection);
    test::Pump();
    EXPECT_TRUE(frame.rebar.IsLocked());
    EXPECT_EQ(frame.Order(), (std::vector<UINT>{kMenuId, kToolsId, kMainId}));
    EXPECT_EQ(frame.BandOf(kToolsId).cx, 230u);
    EXPECT_EQ(frame.BandOf(kMenuId).cx, 310u);
    // Main carried the row break; moved behind Tools it keeps it and is hidden.
    EXPECT_NE(frame.BandOf(kMainId).fStyle & RBBS_BREAK, 0u);
    EXPECT_NE(frame.BandOf(kMainId).fStyle & RBBS_HIDDEN, 0u);
    EXPECT_FALSE(test::HasVisibleStyle(frame.main.m_hWnd));
    // A layout pass does not show the hidden band again.
    frame.RecalcLayout();
    EXPECT_NE(frame.BandOf(kMainId).fStyle & RBBS_HIDDEN, 0u);
    for (int i = 0; i < 3; ++i) EXPECT_NE(frame.Band(i).fStyle & RBBS_NOGRIPPER, 0u) << i;
    ClearSection();
}

TEST(SizableReBar, FewerAndStaleRecordsLeaveTheOtherBandsAlone) {
    ClearSection();
    CReBarFrame frame;
    ASSERT_TRUE(frame.Build());
    UINT menuWidth = frame.BandOf(kMenuId).cx;
    // One stale record (hidden) in front, then Tools: nothing for Menu or Main.
    std::vector<uint8_t> bytes = EncodeRebarState({{RBBS_HIDDEN, 99, 0xE9FF}, {0, 180, kToolsId}});
    ASSERT_TRUE(WriteAppRegBinary(kSection, L"State", bytes.data(), static_cast<uint32_t>(bytes.size())));
    frame.rebar.LoadState(kSection);
    test::Pump();
    EXPECT_EQ(frame.Order(), (std::vector<UINT>{kToolsId, kMenuId, kMainId}));
    EXPECT_EQ(frame.BandOf(kToolsId).cx, 180u);
    EXPECT_EQ(frame.BandOf(kMenuId).fStyle & RBBS_HIDDEN, 0u);
    EXPECT_TRUE(test::HasVisibleStyle(frame.menu.m_hWnd));
    EXPECT_EQ(frame.BandOf(kMenuId).cx, menuWidth);
    // A record cut short is ignored as a whole.
    bytes = EncodeRebarState({{0, 50, kMainId}});
    bytes.resize(11);
    ASSERT_TRUE(WriteAppRegBinary(kSection, L"State", bytes.data(), 11));
    frame.rebar.LoadState(kSection);
    EXPECT_EQ(frame.Order(), (std::vector<UINT>{kToolsId, kMenuId, kMainId}));
    ClearSection();
}

TEST(SizableReBar, LockRemovesGrippersAndTheSizingStrip) {
    CReBarFrame frame;
    ASSERT_TRUE(frame.Build());
    // Tools was added without a gripper.
    EXPECT_NE(frame.BandOf(kToolsId).fStyle & RBBS_NOGRIPPER, 0u);
    EXPECT_NE(frame.BandOf(kMainId).fStyle & RBBS_GRIPPERALWAYS, 0u);
    CRect window = frame.rebar.GetWindowRect();
    CRect ctrl;
    ::GetWindowRect(frame.Ctrl(), &ctrl);
    EXPECT_EQ(window.Height(), ctrl.Height() + CSizableReBar::kStripHeight);
    LPARAM bottom = MAKELPARAM(window.left + 40, window.bottom - 1);
    EXPECT_EQ(frame.rebar.SendMessage(WM_NCHITTEST, 0, bottom), HTBOTTOM);
    EXPECT_EQ(frame.rebar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.top + 2)), HTCLIENT);

    EXPECT_FALSE(frame.rebar.Lock(TRUE));
    test::Pump();
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(frame.Band(i).fStyle & RBBS_NOGRIPPER, 0u) << i;
        EXPECT_EQ(frame.Band(i).fStyle & RBBS_GRIPPERALWAYS, 0u) << i;
    }
    window = frame.rebar.GetWindowRect();
    ::GetWindowRect(frame.Ctrl(), &ctrl);
    EXPECT_EQ(window.Height(), ctrl.Height());
    EXPECT_EQ(frame.rebar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.bottom - 1)), HTCLIENT);

    EXPECT_TRUE(frame.rebar.Lock(FALSE));
    for (int i = 0; i < 3; ++i) EXPECT_NE(frame.Band(i).fStyle & RBBS_GRIPPERALWAYS, 0u) << i;
}

TEST(SizableReBar, DraggingTheStripReflowsTheBandsIntoRows) {
    CReBarFrame frame;
    ASSERT_TRUE(frame.Build());
    CRect window = frame.rebar.GetWindowRect();
    int rows = static_cast<int>(::SendMessageW(frame.Ctrl(), RB_GETROWCOUNT, 0, 0));
    POINT start{window.left + 50, window.bottom - 1};
    frame.rebar.SendMessage(WM_NCLBUTTONDOWN, HTBOTTOM, MAKELPARAM(start.x, start.y));
    EXPECT_EQ(::GetCapture(), frame.rebar.m_hWnd);
    POINT to{start.x, start.y + 60};
    ::ScreenToClient(frame.rebar.m_hWnd, &to);
    frame.rebar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    frame.rebar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    test::Pump();
    EXPECT_NE(::GetCapture(), frame.rebar.m_hWnd);
    EXPECT_GE(static_cast<int>(::SendMessageW(frame.Ctrl(), RB_GETROWCOUNT, 0, 0)), rows);
    EXPECT_GT(frame.rebar.GetWindowRect().Height(), window.Height());
}

TEST(SizableReBar, ContextMenuListsTitledBandsAndTheLock) {
    CReBarFrame frame;
    ASSERT_TRUE(frame.Build());
    CRect ctrl;
    ::GetWindowRect(frame.Ctrl(), &ctrl);
    HWND child = nullptr;
    HMENU menu = frame.rebar.BuildContextMenu(POINT{ctrl.left + 5, ctrl.top + 5}, &child);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(::GetMenuItemCount(menu), 4);
    EXPECT_EQ(::GetMenuItemID(menu, 0), kMainId); // the menu band has no title
    EXPECT_EQ(::GetMenuState(menu, 0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuItemID(menu, 1), kToolsId);
    EXPECT_EQ(::GetMenuState(menu, 1, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED),
              static_cast<UINT>(MF_CHECKED | MF_GRAYED));
    EXPECT_EQ(::GetMenuItemID(menu, 3), ID_REBAR_LOCK);
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, 3, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Lock the Toolbars");
    EXPECT_EQ(::GetMenuState(menu, 3, MF_BYPOSITION) & MF_CHECKED, 0u);
    ::DestroyMenu(menu);
    frame.rebar.m_bShowBandMenu = false;
    frame.rebar.m_bShowChildMenu = false;
    EXPECT_EQ(frame.rebar.BuildContextMenu(POINT{ctrl.left + 5, ctrl.top + 5}, &child), nullptr);
}

class VersionSeams : public ISystemSeams {
public:
    OSVERSIONINFOW version{};
    BOOL GetDiskFreeSpaceExW(LPCWSTR, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return FALSE; }
    BOOL IsWow64Process(HANDLE, PBOOL) override { return FALSE; }
    BOOL GetVersionExW(OSVERSIONINFOW* info) override {
        *info = version;
        return TRUE;
    }
};

TEST(VersionClass, FromTheSystemSeams) {
    struct Case {
        DWORD platform, major, minor;
        int expected;
    };
    const Case cases[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0}, {VER_PLATFORM_WIN32_NT, 4, 0, 4},
                          {VER_PLATFORM_WIN32_NT, 5, 0, 5},       {VER_PLATFORM_WIN32_NT, 5, 1, 6},
                          {VER_PLATFORM_WIN32_NT, 5, 2, 7},       {VER_PLATFORM_WIN32_NT, 6, 0, 5},
                          {VER_PLATFORM_WIN32_NT, 6, 1, 6},       {VER_PLATFORM_WIN32_NT, 6, 2, 7}};
    VersionSeams seams;
    ISystemSeams* previous = SetSystemSeams(&seams);
    for (const Case& c : cases) {
        seams.version.dwPlatformId = c.platform;
        seams.version.dwMajorVersion = c.major;
        seams.version.dwMinorVersion = c.minor;
        EXPECT_EQ(GetWindowsVersionClass(), c.expected) << c.major << "." << c.minor;
    }
    SetSystemSeams(previous);
}


} // namespace
} // namespace brx
