// The customisable toolbar in a rebar band of a real frame: tooltips per
// text option, the state round trip through the settings store (options and
// buttons), short saved blocks, a reset to the default buttons, the customize
// dialog's button list, and its item in the rebar's context menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/win/SettingsStore.h"
#include "framework/FrameWnd.h"
#include "tests/toolkit/bars/win/BarsTestUtil.h"
#include "tests/toolkit/bars/win/bars_test_ids.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx {
namespace {

constexpr const wchar_t* kSection = L"ToolBarExTest";
constexpr UINT kBarId = 0xE800;
constexpr int kOpen = 0x7301, kSave = 0x7302, kStart = 0x7303, kStop = 0x7304, kFind = 0x7305;

class CTestToolBar : public CToolBarEx {
public:
    void GetButtonText(UINT id, std::wstring& text) override {
        switch (id) {
        case kOpen: text = L"Open"; break;
        case kSave: text = L"Save"; break;
        case kStart: text = L"Start"; break;
        case kStop: text = L"Stop"; break;
        case kFind: text = L"Find"; break;
        default: text.clear();
        }
    }
    // Stop shows no text beside its image in the selective option.
    bool HasButtonText(UINT id) override { return id != kStop; }
};

TBBUTTONEX Button(int id, bool visible) {
    TBBUTTONEX b{};
    b.tbinfo.iBitmap = I_IMAGENONE;
    b.tbinfo.idCommand = id;
    b.tbinfo.fsState = TBSTATE_ENABLED;
    b.tbinfo.fsStyle = id ? BTNS_BUTTON : BTNS_SEP;
    b.tbinfo.iString = -1;
    b.bInitiallyVisible = visible;
    return b;
}

const TBBUTTONEX kButtons[] = {Button(kOpen, true), Button(kSave, true), Button(0, true),
                               Button(kStart, true), Button(kStop, true), Button(kFind, false)};

class CToolFrame : public CFrameWnd {
public:
    CToolFrame() { m_bAutoDelete = false; }
    ~CToolFrame() override { DestroyWindow(); }
    CSizableReBar rebar;
    CTestToolBar bar;

    // Shown only when the screen is read.
    bool Build(DWORD extraStyle = 0, bool shown = false) {
        if (!Create(nullptr, L"Toolbar", WS_OVERLAPPEDWINDOW, CRect(30, 30, 630, 230))) return false;
        if (!rebar.Create(m_hWnd)) return false;
        if (!bar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, kBarId)) return false;
        if (extraStyle) bar.ModifyStyle(0, extraStyle);
        bar.SetButtons(6, kButtons, 1);
        if (!rebar.AddBar(&bar, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE)) return false;
        bar.UpdateBandSize();
        if (shown) ShowWindow(SW_SHOWNORMAL);
        RecalcLayout();
        test::Pump();
        return true;
    }
    bool OnUpdateCommand(CCmdUI& ui) override {
        if (ui.m_nID >= kOpen && ui.m_nID <= kFind) {
            ui.Enable(true);
            return true;
        }
        return CFrameWnd::OnUpdateCommand(ui);
    }
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (int i = 0; i < bar.GetCount(); ++i) {
            TBBUTTON b{};
            bar.SendMessage(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
            ids.push_back((b.fsStyle & BTNS_SEP) ? 0 : b.idCommand);
        }
        return ids;
    }
    // What the bar's tooltip would show for a button.
    std::wstring Tip(int id) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(bar.SendMessage(TB_GETTOOLTIPS));
        info.hdr.idFrom = static_cast<UINT_PTR>(id);
        info.hdr.code = TTN_GETDISPINFOW;
        info.lpszText = info.szText; // as the tooltip control sends it
        bar.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
        if (info.lpszText && !IS_INTRESOURCE(info.lpszText)) return info.lpszText;
        return info.szText;
    }
};

void ClearSection() {
    HKEY app = OpenAppRegKey();
    ASSERT_NE(app, nullptr);
    ::RegDeleteTreeW(app, kSection);
    ::RegCloseKey(app);
}

TEST(ToolBarEx, TooltipsFollowTheTextOption) {
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    struct Case {
        int option;
        const wchar_t* open;
        const wchar_t* stop;
    };
    const Case cases[] = {{0, L"", L""}, {1, L"", L"Stop"}, {2, L"Open", L"Stop"}};
    for (const Case& c : cases) {
        frame.bar.SetTextOption(c.option);
        EXPECT_EQ(frame.Tip(kOpen), c.open) << c.option;
        EXPECT_EQ(frame.Tip(kStop), c.stop) << c.option;
    }
}

TEST(ToolBarEx, TextOptionsSetStylesAndRefillTheStringPool) {
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    EXPECT_NE(frame.bar.GetStyle() & TBSTYLE_LIST, 0u);
    EXPECT_NE(frame.bar.SendMessage(TB_GETEXTENDEDSTYLE) & TBSTYLE_EX_MIXEDBUTTONS, 0);
    auto style = [&](int id) {
        TBBUTTONINFOW info{sizeof(info), TBIF_STYLE};
        frame.bar.SendMessage(TB_GETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
        return info.fsStyle;
    };
    EXPECT_NE(style(kOpen) & BTNS_SHOWTEXT, 0);
    EXPECT_EQ(style(kStop) & BTNS_SHOWTEXT, 0);
    INT_PTR before = frame.bar.GetButtonRecords()[0].tbinfo.iString;
    frame.bar.SetTextOption(2);
    EXPECT_EQ(frame.bar.GetStyle() & TBSTYLE_LIST, 0u);
    EXPECT_EQ(style(kOpen) & BTNS_SHOWTEXT, 0);
    EXPECT_NE(style(kOpen) & BTNS_AUTOSIZE, 0);
    EXPECT_GT(frame.bar.GetButtonRecords()[0].tbinfo.iString, before);
    frame.bar.SetTextOption(0);
    EXPECT_EQ(style(kOpen) & (BTNS_SHOWTEXT | BTNS_AUTOSIZE), 0);
}

TEST(ToolBarEx, StateRoundTripThroughTheRegistry) {
    ClearSection();
    {
        CToolFrame frame;
        ASSERT_TRUE(frame.Build());
        // The user removes Save, appends Find and switches to text on every button.
        frame.bar.SendMessage(TB_DELETEBUTTON, 1);
        TBBUTTON find = kButtons[5].tbinfo;
        frame.bar.SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&find));
        frame.bar.SetTextOption(0);
        ASSERT_EQ(frame.Ids(), (std::vector<int>{kOpen, 0, kStart, kStop, kFind}));
        frame.rebar.SaveState(kSection);
    }
    uint32_t size = 0;
    ReadAppRegBinary(kSection, L"E800", nullptr, 0, &size);
    EXPECT_GE(size, 8u);
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    EXPECT_EQ(frame.bar.GetTextOption(), 1);
    frame.rebar.LoadState(kSection);
    test::Pump();
    EXPECT_EQ(frame.bar.GetTextOption(), 0);
    EXPECT_EQ(frame.bar.GetIconOption(), 0);
    EXPECT_EQ(frame.Ids(), (std::vector<int>{kOpen, 0, kStart, kStop, kFind}));
    ClearSection();
}

TEST(ToolBarEx, ShortSavedBlocksKeepTheButtons) {
    struct Case {
        std::vector<uint8_t> bytes;
        int text;
        int icon;
    };
    // The bar starts with text option 1 and no icon option (-1).
    const Case cases[] = {
        {{2, 0, 0, 0, 0, 0, 0}, 1, -1},   // 7 bytes: not even the options
        {{2, 0, 0, 0, 0, 0, 0, 0}, 2, 0}, // options only
        {{9, 0, 0, 0, 7, 0, 0, 0}, 2, 1}, // options out of range are clamped
    };
    for (const Case& c : cases) {
        ClearSection();
        CToolFrame frame;
        ASSERT_TRUE(frame.Build());
        std::vector<int> ids = frame.Ids();
        ASSERT_TRUE(WriteAppRegBinary(kSection, L"E800", c.bytes.data(), static_cast<uint32_t>(c.bytes.size())));
        frame.rebar.LoadState(kSection);
        EXPECT_EQ(frame.bar.GetTextOption(), c.text) << c.bytes.size();
        EXPECT_EQ(frame.bar.GetIconOption(), c.icon);
        EXPECT_EQ(frame.Ids(), ids);
    }
    ClearSection();
}

TEST(ToolBarEx, RestoreTakesEachOfTheBarsButtonsOnceAndDropsStaleRecords) {
    // Options (no text, large icons), then Open twice, Start, a separator,
    // hundreds of ids the bar does not have, and Stop.
    std::vector<uint32_t> words{2, 1, kOpen, kOpen, kStart, 0};
    for (int i = 0; i < 600; ++i) words.push_back(0x9000u + static_cast<uint32_t>(i % 7));
    words.push_back(kStop);
    ClearSection();
    ASSERT_TRUE(WriteAppRegBinary(kSection, L"E800", words.data(), static_cast<uint32_t>(words.size() * 4)));
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    frame.rebar.LoadState(kSection);
    test::Pump();
    EXPECT_EQ(frame.bar.GetTextOption(), 2);
    EXPECT_EQ(frame.bar.GetIconOption(), 1);
    EXPECT_EQ(frame.Ids(), (std::vector<int>{kOpen, kStart, 0, kStop}));
    // Nothing but stale records: the bar keeps its buttons.
    const std::vector<int> before = frame.Ids();
    const uint32_t stale[] = {1, 0, 0x9001, 0x9002, 0x9001};
    ASSERT_TRUE(WriteAppRegBinary(kSection, L"E800", stale, sizeof stale));
    frame.rebar.LoadState(kSection);
    EXPECT_EQ(frame.Ids(), before);
    ClearSection();
}

TEST(ToolBarEx, ResetShowsTheDefaultButtonsInRecordOrder) {
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    frame.bar.SendMessage(TB_DELETEBUTTON, 0);
    frame.bar.SendMessage(TB_MOVEBUTTON, 0, 2);
    frame.bar.SetTextOption(2);
    NMHDR nm{frame.bar.m_hWnd, kBarId, static_cast<UINT>(TBN_RESET)};
    frame.rebar.SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(frame.Ids(), (std::vector<int>{kOpen, kSave, 0, kStart, kStop}));
    EXPECT_EQ(frame.bar.GetTextOption(), 1);
}

SIZE IconSize(HIMAGELIST list) {
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    return SIZE{cx, cy};
}

TEST(ToolBarEx, SetBitmapsLoadsTheImagesOfTheIconOption) {
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    CTestToolBar& bar = frame.bar;
    int heightWithout = HIWORD(bar.SendMessage(TB_GETBUTTONSIZE));
    // Small: normal images only; large: normal and hot.
    bar.SetBitmaps(IDB_BARS_SMALL, -1, -1, IDB_BARS_LARGE, IDB_BARS_LARGE, -1, 0);
    EXPECT_EQ(bar.GetIconOption(), 0);
    auto normal = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(normal), 4);
    EXPECT_EQ(IconSize(normal).cx, 16);
    EXPECT_EQ(IconSize(normal).cy, 16);
    EXPECT_EQ(bar.SendMessage(TB_GETHOTIMAGELIST), 0);
    EXPECT_GE(HIWORD(bar.SendMessage(TB_GETBUTTONSIZE)), std::max(heightWithout, 16));

    bar.SetIconOptions(1, true);
    normal = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
    auto hot = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETHOTIMAGELIST));
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(hot, nullptr);
    EXPECT_EQ(IconSize(normal).cx, 24);
    EXPECT_EQ(IconSize(hot).cy, 24);
    EXPECT_EQ(::ImageList_GetImageCount(normal), 4);
    EXPECT_GE(HIWORD(bar.SendMessage(TB_GETBUTTONSIZE)), 24);
    // The band follows the taller buttons.
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE;
    HWND rebar = frame.rebar.GetReBarCtrl();
    ::SendMessageW(rebar, RB_GETBANDINFOW, static_cast<WPARAM>(::SendMessageW(rebar, RB_IDTOINDEX, kBarId, 0)),
                   reinterpret_cast<LPARAM>(&band));
    EXPECT_EQ(band.cyMinChild, static_cast<UINT>(HIWORD(bar.SendMessage(TB_GETBUTTONSIZE))));

    // A reset returns to the icon option SetBitmaps was given.
    bar.Reset();
    EXPECT_EQ(bar.GetIconOption(), 0);
    EXPECT_EQ(IconSize(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST))).cx, 16);
}

TEST(ToolBarEx, CustomizeListOffersEveryRecordThenEnds) {
    CToolFrame frame;
    ASSERT_TRUE(frame.Build());
    for (int i = 0; i < 7; ++i) {
        wchar_t text[32] = L"x";
        NMTOOLBARW info{};
        info.hdr = NMHDR{frame.bar.m_hWnd, kBarId, static_cast<UINT>(TBN_GETBUTTONINFOW)};
        info.iItem = i;
        info.pszText = text;
        info.cchText = 32;
        LRESULT more = frame.rebar.SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&info));
        if (i == 6) {
            EXPECT_EQ(more, 0);
            break;
        }
        EXPECT_EQ(more, 1) << i;
        EXPECT_EQ(info.tbButton.idCommand, kButtons[i].tbinfo.idCommand);
        std::wstring expected;
        if (kButtons[i].tbinfo.idCommand) frame.bar.GetButtonText(static_cast<UINT>(kButtons[i].tbinfo.idCommand), expected);
        else expected = L"x";
        EXPECT_EQ(std::wstring(text), expected) << i;
    }
    NMHDR init{frame.bar.m_hWnd, kBarId, static_cast<UINT>(TBN_INITCUSTOMIZE)};
    EXPECT_EQ(frame.rebar.SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&init)), TBNRF_HIDEHELP);
}

TEST(ToolBarEx, RebarContextMenuOffersCustomize) {
    for (DWORD style : {DWORD(0), DWORD(CCS_ADJUSTABLE)}) {
        CToolFrame frame;
        ASSERT_TRUE(frame.Build(style, style == 0)); // the plain bar is photographed
        CRect rc = frame.bar.GetWindowRect();
        HWND child = nullptr;
        HMENU menu = frame.rebar.BuildContextMenu(POINT{rc.left + 5, rc.top + 5}, &child);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(child, frame.bar.m_hWnd);
        int last = ::GetMenuItemCount(menu) - 1;
        EXPECT_EQ(::GetMenuItemID(menu, last), ID_TOOLBAR_CUSTOMIZE);
        wchar_t text[32] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(last), text, 32, MF_BYPOSITION);
        EXPECT_STREQ(text, L"&Customize...");
        EXPECT_EQ((::GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_GRAYED) != 0, style == 0);
        ::DestroyMenu(menu);
        if (style == 0) {
            frame.bar.SetTextOption(1);
            frame.RecalcLayout();
            test::Pump();
            ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASE);
            EXPECT_TRUE(test::SaveScreenshot(frame.m_hWnd, "toolbar_ex.bmp"));
        }
    }
}

} // namespace
} // namespace brx
